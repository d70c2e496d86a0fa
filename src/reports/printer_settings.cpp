#include "reports/printer_settings.h"

#include "startup/archivos_ini.h"
#include "support/file_names.h"

#include <QDir>
#include <QList>

namespace {

/// A printer command split into its word and its number; false when it is
/// not one the printer understands.
bool parsePrinterCommand(const QString& command, QString& word, int& number)
{
    const QStringList parts = command.simplified().split(u' ');
    if (parts.size() != 2)
        return false;
    bool isNumber = false;
    number = parts[1].toInt(&isNumber);
    word = parts[0].toUpper();
    if (!isNumber)
        return false;
    if (word == QLatin1String("COPIAS"))
        return number >= 1 && number <= 99;
    if (word == QLatin1String("DUPLEX"))
        return number >= 1 && number <= 3;
    if (word == QLatin1String("BANDEJA"))
        return number >= 1 && number <= 999;
    if (word == QLatin1String("COLOR"))
        return number == PrinterSettings::monochrome || number == PrinterSettings::colour;
    return false;
}

}  // namespace

bool isPrinterCommand(const QString& command)
{
    QString word;
    int number = 0;
    return parsePrinterCommand(command, word, number);
}

JobPrinting withPrinterCommands(const PrinterSettings& saved, const QStringList& commands)
{
    JobPrinting printing{saved, 1};
    for (const QString& command : commands) {
        QString word;
        int number = 0;
        if (!parsePrinterCommand(command, word, number))
            continue;
        if (word == QLatin1String("COPIAS"))
            printing.copies = number;
        else if (word == QLatin1String("DUPLEX"))
            printing.settings.duplex = number;
        else if (word == QLatin1String("BANDEJA"))
            printing.settings.defaultSource = number;
        else if (word == QLatin1String("COLOR"))
            printing.settings.color = number;
    }
    return printing;
}

namespace PrinterSettingsFile {

namespace {

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

}  // namespace

// The file is shared with the other programs of the payroll system: it is
// read and written with the private-profile rules, which change only the
// lines of our keys.
PrinterSettings load(const QString& path, const QString& section)
{
    // A default no value can hold tells a missing key from an empty one.
    const QString absent(QChar(0x1));
    PrinterSettings settings;
    for (const KeyValue& entry : valuesOf(settings)) {
        const QString value = ArchivosIni::readValue(section, entry.key, absent, path);
        if (value != absent)
            assign(settings, entry.key, value);
    }
    return settings;
}

bool save(const QString& path, const PrinterSettings& settings, QString& error, const QString& section)
{
    for (const KeyValue& entry : valuesOf(settings)) {
        if (ArchivosIni::writeValue(section, entry.key, entry.value, path) != QLatin1String("S")) {
            error = QStringLiteral("No se pudo escribir el archivo ") + path;
            return false;
        }
    }
    return true;
}

QString findFile(const QString& folder, const QString& name)
{
    return findFileIgnoringCase(QDir(folder).filePath(name));
}

}  // namespace PrinterSettingsFile
