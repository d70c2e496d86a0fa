#include "startup/call_parameters.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

const std::array<QString, CallParameters::count> CallParameters::contextKeys = {
    QStringLiteral("Usuario"),   QStringLiteral("Contraseña"), QStringLiteral("Permisos"),
    QStringLiteral("UsuarioBD"), QStringLiteral("ContraseñaBD"), QStringLiteral("Base"),
    QStringLiteral("Servidor"),  QStringLiteral("VersionCS"),  QStringLiteral("IDEmpresa"),
    QStringLiteral("Identificador"),
};

CallParameters CallParameters::fromList(const QStringList& list)
{
    CallParameters parameters;
    for (int index = 0; index < count && index < list.size(); ++index)
        parameters[index] = list[index];
    return parameters;
}

namespace {

/// Takes one token from the front of `rest`, which always ends with a blank.
QString takeToken(QString& rest)
{
    if (rest.startsWith('"')) {
        qsizetype index = 1;
        while (index < rest.size()) {
            if (rest[index] == '"') {
                if (index + 1 < rest.size() && rest[index + 1] == '"') {
                    index += 2;
                    continue;
                }
                QString token = rest.mid(1, index - 1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
                rest = rest.mid(index + 1).trimmed() + ' ';
                return token;
            }
            ++index;
        }
        // An opening quote that is never closed holds no token, and nothing
        // after it can be told apart from its text.
        rest = QStringLiteral(" ");
        return {};
    }
    const qsizetype blank = rest.indexOf(' ');
    QString token = rest.left(blank);
    rest = rest.mid(blank + 1).trimmed() + ' ';
    return token;
}

bool isLineEnd(QChar character)
{
    return character == '\n' || character == '\r';
}

/// Skips one field separator at `index`: a comma, or a line end (CR LF
/// counts as one).
qsizetype skipSeparator(const QString& text, qsizetype index)
{
    if (index >= text.size())
        return index;
    if (text[index] == '\r' && index + 1 < text.size() && text[index + 1] == '\n')
        return index + 2;
    return index + 1;
}

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

}  // namespace

QStringList tokenizeCommandLine(const QString& commandLine, int count)
{
    QStringList tokens;
    QString rest = commandLine.trimmed() + ' ';
    for (int index = 0; index < count; ++index)
        tokens << takeToken(rest);
    return tokens;
}

QStringList readQuotedFields(const QString& text, int count)
{
    QStringList fields;
    qsizetype index = 0;
    while (fields.size() < count && index < text.size()) {
        while (index < text.size() && (text[index] == ' ' || text[index] == '\t'))
            ++index;
        if (index < text.size() && text[index] == '"') {
            QString field;
            ++index;
            while (index < text.size()) {
                if (text[index] == '"') {
                    if (index + 1 < text.size() && text[index + 1] == '"') {
                        field += '"';
                        index += 2;
                        continue;
                    }
                    ++index;
                    break;
                }
                field += text[index++];
            }
            // Whatever stands between the closing quote and the separator
            // is not part of the field.
            while (index < text.size() && text[index] != ',' && !isLineEnd(text[index]))
                ++index;
            fields << field;
        } else {
            const qsizetype start = index;
            while (index < text.size() && text[index] != ',' && !isLineEnd(text[index]))
                ++index;
            fields << text.mid(start, index - start).trimmed();
        }
        index = skipSeparator(text, index);
    }
    while (fields.size() < count)
        fields << QString();
    return fields;
}

ParameterSource readCallParameters(const QStringList& arguments)
{
    ParameterSource source;
    if (arguments.size() > 1) {
        source.parameters = CallParameters::fromList(arguments);
        return source;
    }
    const QString commandLine = arguments.value(0).trimmed();
    const QFileInfo info(commandLine);
    if (commandLine.isEmpty() || !info.isFile()) {
        source.parameters = CallParameters::fromList(tokenizeCommandLine(commandLine));
        return source;
    }
    source.file = info.absoluteFilePath();
    QFile file(source.file);
    if (!file.open(QIODevice::ReadOnly))
        return source;
    const QByteArray bytes = file.readAll();
    source.latin1 = !isUtf8(bytes);
    const QString text = source.latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    source.parameters = CallParameters::fromList(readQuotedFields(text));
    return source;
}

bool writeCallParameters(const ParameterSource& source, const CallParameters& parameters)
{
    if (!source.fromFile())
        return true;
    QString text;
    for (const QString& value : parameters.values) {
        // A quote inside a value is doubled, so that the file reads back the
        // very same value.
        text += '"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + "\"\r\n";
    }
    QSaveFile file(source.file);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(source.latin1 ? text.toLatin1() : text.toUtf8());
    return file.commit();
}
