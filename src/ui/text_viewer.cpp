#include "ui/text_viewer.h"

#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/security_window_parts.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TextViewer::TextViewer(const QString& object, const QString& title, QWidget* parent)
    : QWidget(parent), text_(new QPlainTextEdit(this)), helpTopic_(u"HLP_%1.htm"_s.arg(object))
{
    setObjectName(object);
    setWindowTitle(title);
    setWindowIcon(picture("tabla.ico"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton* close = newCommand(this, u"&Cerrar"_s, u"cerrar.ico"_s);
    connect(close, &QPushButton::clicked, this, [this] { closeWindow(this); });
    buttons->addWidget(close);
    layout->addLayout(buttons);
    text_->setFocus();
}

bool TextViewer::showFile(const QString& file, const QString& emptyText)
{
    setWindowTitle(windowTitle() + u" - "_s + QFileInfo(file).fileName());
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        text_->setPlainText(u"No se pudo leer "_s + file + u": "_s + input.errorString());
        return false;
    }
    const QString contents = QString::fromUtf8(input.readAll());
    text_->setPlainText(contents.trimmed().isEmpty() ? emptyText : contents);
    return true;
}

void TextViewer::showText(const QString& text)
{
    text_->setPlainText(text);
}

QString TextViewer::text() const
{
    return text_->toPlainText();
}

void TextViewer::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void TextViewer::keyPressEvent(QKeyEvent* event)
{
    if (!formKey(this, event, helpTopic_, {}))
        QWidget::keyPressEvent(event);
}
