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

/// While it lives, the ordinary pointer over a box, dialog or window that
/// asks something of the user in the middle of a wait; the wait cursor
/// comes back when it ends.
class PointerWhileAsking {
public:
    PointerWhileAsking() : waiting_(QApplication::overrideCursor() != nullptr)
    {
        if (waiting_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~PointerWhileAsking()
    {
        if (waiting_)
            QApplication::restoreOverrideCursor();
    }
    PointerWhileAsking(const PointerWhileAsking&) = delete;
    PointerWhileAsking& operator=(const PointerWhileAsking&) = delete;

private:
    bool waiting_;
};

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
    const PointerWhileAsking pointer;
    box.exec();
}

bool QtUiPort::question(const QString& text, DefaultButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, messageCaption, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sí"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(defaultButton == DefaultButton::Yes ? QMessageBox::Yes : QMessageBox::No);
    const PointerWhileAsking pointer;
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
    const PointerWhileAsking pointer;
    return caller_ && caller_(objectName, key, mode);
}

QString QtUiPort::pickFile(const FileRequest& request)
{
    const PointerWhileAsking pointer;
    if (request.forSaving)
        return QFileDialog::getSaveFileName(parent_, request.title, request.folder, request.filter);
    return QFileDialog::getOpenFileName(parent_, request.title, request.folder, request.filter);
}

void QtUiPort::beginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUiPort::endWait()
{
    QApplication::restoreOverrideCursor();
}

void QtUiPort::processEvents()
{
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}
