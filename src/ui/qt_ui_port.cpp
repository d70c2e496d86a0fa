#include "ui/qt_ui_port.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace {

// Message boxes carry the program's name as their caption, as every window
// of the payroll system does.
const QString messageCaption = QStringLiteral("Dorvo");

}  // namespace

QtUiPort::QtUiPort() = default;
QtUiPort::~QtUiPort() = default;

void QtUiPort::attachStatusBar(QStatusBar* statusBar)
{
    panels_.clear();
    for (int panel = 0; panel < 3; ++panel) {
        auto* label = new QLabel(statusBar);
        label->setMinimumWidth(panel == 0 ? 110 : 90);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        statusBar->addPermanentWidget(label, panel == 2 ? 1 : 0);
        panels_ << label;
    }
}

void QtUiPort::message(const QString& text, MessageIcon icon)
{
    QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information,
                    messageCaption, text, QMessageBox::Ok, parent_);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    box.exec();
}

bool QtUiPort::question(const QString& text, DefaultButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, messageCaption, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sí"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtUiPort::statusText(int panel, const QString& text)
{
    if (panel < 1 || panel > panels_.size() || !panels_[panel - 1])
        return;
    panels_[panel - 1]->setText(text);
}

bool QtUiPort::callObject(const QString& objectName, QString& key, QString& mode)
{
    return caller_ && caller_(objectName, key, mode);
}

QString QtUiPort::pickFile(const FileRequest& request)
{
    if (request.forSaving)
        return QFileDialog::getSaveFileName(parent_, request.title, request.folder, request.filter);
    return QFileDialog::getOpenFileName(parent_, request.title, request.folder, request.filter);
}

void QtUiPort::processEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}
