#include "ui/procedure_window.h"

#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ProcedureWindow::ProcedureWindow(const QString& object, const QString& title, QWidget* parent)
    : QWidget(parent), helpTopic_(QStringLiteral("HLP_%1.htm").arg(object)), rows_(new QFormLayout)
{
    setObjectName(object);
    setWindowTitle(title);
    setWindowIcon(picture("tabla.ico"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons_ = buttons;
    layout->addLayout(buttons);
}

void ProcedureWindow::addText(const QString& label, const QString& text)
{
    auto* value = new QLabel(text, this);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    rows_->addRow(label, value);
}

QLineEdit* ProcedureWindow::addInput(const QString& label, int maxLength)
{
    auto* input = new QLineEdit(this);
    if (maxLength > 0) {
        input->setMaxLength(maxLength);
        input->setMaximumWidth(input->fontMetrics().horizontalAdvance(QString(qMax(maxLength, 4) + 2, u'0')) + 12);
    }
    rows_->addRow(label, input);
    if (!firstInput_)
        firstInput_ = input;
    return input;
}

QPushButton* ProcedureWindow::addButton(const QString& caption, const QString& icon,
                                        const std::function<void()>& pressed)
{
    QPushButton* button = newCommand(this, caption, icon);
    button->setAutoDefault(false);
    static_cast<QHBoxLayout*>(buttons_)->insertWidget(buttons_->count() - 1, button);
    connect(button, &QPushButton::clicked, this, [pressed] { pressed(); });
    return button;
}

void ProcedureWindow::finish(const QString& caption, const std::function<bool()>& action)
{
    action_ = action;
    QPushButton* confirmButton = nullptr;
    static_cast<QVBoxLayout*>(layout())->addLayout(formCommands(this, &confirmButton, helpTopic_));
    confirmButton->setText(caption);
    connect(confirmButton, &QPushButton::clicked, this, &ProcedureWindow::confirm);
    if (firstInput_)
        firstInput_->setFocus();
    adjustSize();
}

void ProcedureWindow::confirm()
{
    if (busy_ || !action_)
        return;
    busy_ = true;
    const bool done = action_();
    busy_ = false;
    if (done) {
        closeWindow(this);
        return;
    }
    if (firstInput_) {
        firstInput_->setFocus();
        firstInput_->selectAll();
    }
}

void ProcedureWindow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void ProcedureWindow::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, helpTopic_, [this] { confirm(); }))
        QWidget::keyPressEvent(event);
}
