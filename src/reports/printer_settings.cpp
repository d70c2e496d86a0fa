#include "reports/printer_settings.h"

#include "support/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringList>

namespace PrinterSettingsFile {

namespace {

// The file is read and written as Latin-1, the code page of such files: every
// byte maps to one character and back, so the lines we do not touch come
// out exactly as they went in.

struct KeyValue {
    QString key;
    QString value;
};

QList<KeyValue> valuesOf(const PrinterSettings& settings)
{
    return {
        {QStringLiteral("Printer"), settings.printer},
        {QStringLiteral("Mode"), settings.mode},
        {QStringLiteral("Orientation"), QString::number(settings.orientation)},
        {QStringLiteral("PaperSize"), QString::number(settings.paperSize)},
        {QStringLiteral("PaperLength"), QString::number(settings.paperLength)},
        {QStringLiteral("PaperWidth"), QString::number(settings.paperWidth)},
        {QStringLiteral("Scale"), QString::number(settings.scale)},
        {QStringLiteral("DefaultSource"), QString::number(settings.defaultSource)},
        {QStringLiteral("PrintQuality"), QString::number(settings.printQuality)},
        {QStringLiteral("Color"), QString::number(settings.color)},
        {QStringLiteral("Duplex"), QString::number(settings.duplex)},
    };
}

void assign(PrinterSettings& settings, const QString& key, const QString& value)
{
    const auto is = [&key](const char* name) { return key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    const int number = value.toInt();
    if (is("Printer"))
        settings.printer = value;
    else if (is("Mode"))
        settings.mode = value;
    else if (is("Orientation"))
        settings.orientation = number;
    else if (is("PaperSize"))
        settings.paperSize = number;
    else if (is("PaperLength"))
        settings.paperLength = number;
    else if (is("PaperWidth"))
        settings.paperWidth = number;
    else if (is("Scale"))
        settings.scale = number;
    else if (is("DefaultSource"))
        settings.defaultSource = number;
    else if (is("PrintQuality"))
        settings.printQuality = number;
    else if (is("Color"))
        settings.color = number;
    else if (is("Duplex"))
        settings.duplex = number;
}

/// The section name of a "[name]" line, or a null string for other lines.
QString sectionOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith('[') || !trimmed.endsWith(']'))
        return {};
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

bool isComment(const QString& line)
{
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

/// Splits "key=value"; false for lines without "=".
bool splitEntry(const QString& line, QString& key, QString& value)
{
    if (isComment(line))
        return false;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return false;
    key = line.left(equals).trimmed();
    value = line.mid(equals + 1).trimmed();
    return !key.isEmpty();
}

bool readLines(const QString& path, QStringList& lines, QString& lineEnd, QString& error)
{
    lines.clear();
    lineEnd = QStringLiteral("\r\n");
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("No se pudo leer el archivo ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QString text = QString::fromLatin1(file.readAll());
    if (!text.contains(QStringLiteral("\r\n")) && text.contains('\n'))
        lineEnd = QStringLiteral("\n");
    lines = text.split('\n');
    for (QString& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // A final line end leaves an empty last piece that is not a line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

bool sameName(const QString& one, const QString& other)
{
    return one.compare(other, Qt::CaseInsensitive) == 0;
}

}  // namespace

PrinterSettings load(const QString& path, const QString& section)
{
    PrinterSettings settings;
    QStringList lines;
    QString lineEnd;
    QString error;
    if (!readLines(path, lines, lineEnd, error))
        return settings;
    bool inSection = false;
    for (const QString& line : lines) {
        const QString name = sectionOf(line);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        QString key;
        QString value;
        if (inSection && splitEntry(line, key, value))
            assign(settings, key, value);
    }
    return settings;
}

bool save(const QString& path, const PrinterSettings& settings, QString& error, const QString& section)
{
    QStringList lines;
    QString lineEnd;
    if (!readLines(path, lines, lineEnd, error))
        return false;

    QList<KeyValue> pending = valuesOf(settings);
    const auto takePending = [&pending](const QString& key, QString& value) {
        for (qsizetype index = 0; index < pending.size(); ++index) {
            if (sameName(pending.at(index).key, key)) {
                value = pending.takeAt(index).value;
                return true;
            }
        }
        return false;
    };

    // Change the keys of the section in place, then add the ones it lacked
    // after its last entry (before blank lines that separate it from the
    // next section).
    QStringList written;
    bool inSection = false;
    bool sectionFound = false;
    qsizetype insertAt = -1;
    for (const QString& line : lines) {
        const QString name = sectionOf(line);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            if (inSection) {
                sectionFound = true;
                written.append(line);
                insertAt = written.size();
                continue;
            }
            written.append(line);
            continue;
        }
        QString key;
        QString value;
        if (inSection && splitEntry(line, key, value)) {
            QString newValue;
            written.append(takePending(key, newValue) ? key + '=' + newValue : line);
            insertAt = written.size();
            continue;
        }
        written.append(line);
    }
    if (!sectionFound) {
        if (!written.isEmpty() && !written.last().trimmed().isEmpty())
            written.append(QString());
        written.append('[' + section + ']');
        insertAt = written.size();
    }
    for (const KeyValue& entry : pending)
        written.insert(insertAt++, entry.key + '=' + entry.value);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("No se pudo escribir el archivo ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    file.write(written.join(lineEnd).toLatin1());
    file.write(lineEnd.toLatin1());
    if (!file.commit()) {
        error = QStringLiteral("No se pudo escribir el archivo ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

QString findFile(const QString& folder, const QString& name)
{
    return findFileIgnoringCase(QDir(folder).filePath(name));
}

}  // namespace PrinterSettingsFile
