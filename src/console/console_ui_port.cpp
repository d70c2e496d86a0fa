#include "console/console_ui_port.h"

#include "console/console_objects.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

ConsoleUiPort::ConsoleUiPort(QTextStream& out, QTextStream& err) : out_(out), err_(err) {}

QString ConsoleUiPort::iconWord(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation:
        return u"Exclamación"_s;
    case MessageIcon::Information:
        return u"Información"_s;
    }
    return {};
}

QString ConsoleUiPort::oneLine(const QString& text)
{
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    return QString(text).replace(lineBreak, u" / "_s);
}

void ConsoleUiPort::message(const QString& text, MessageIcon icon)
{
    if (icon == MessageIcon::Exclamation)
        ++refusals_;
    out_ << iconWord(icon) << u": "_s << oneLine(text) << u'\n';
    out_.flush();
}

bool ConsoleUiPort::question(const QString& text, DefaultButton)
{
    // A script that did not foresee the question says No: nothing is
    // deleted or overwritten that the script did not ask for.
    const bool yes = !answers_.isEmpty() && answers_.dequeue();
    out_ << u"Pregunta: "_s << oneLine(text) << u" => "_s << (yes ? u"si"_s : u"no"_s) << u'\n';
    out_.flush();
    return yes;
}

void ConsoleUiPort::statusText(int panel, const QString& text)
{
    // Each panel's text once, when it changes: the mode word of every
    // validation would otherwise bury the progress of long work.
    if (status_.value(panel) == text)
        return;
    status_.insert(panel, text);
    if (text.trimmed().isEmpty())
        return;
    err_ << oneLine(text) << u'\n';
    err_.flush();
}

bool ConsoleUiPort::callObject(const QString& objectName, QString& key, QString& mode)
{
    if (!database_)
        return false;
    return runUnattended(objectName, key, mode, *database_, *this);
}

QString ConsoleUiPort::pickFile(const FileRequest& request)
{
    // No one can choose a file here: the dialog is cancelled, and the
    // console says so.
    out_ << u"Archivo: "_s << oneLine(request.title) << u" => (ninguno)"_s << u'\n';
    out_.flush();
    return {};
}
