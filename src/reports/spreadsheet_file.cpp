#include "reports/spreadsheet_file.h"

#include "data/parameters.h"
#include "startup/archivos_ini.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

#include <QDir>

#include <charconv>
#include <cmath>
#include <cstring>

using namespace Qt::StringLiterals;

// ---------------------------------------------------------------------------
// The preference

const QList<PreferenceChoice>& spreadsheetPreferenceChoices()
{
    static const QList<PreferenceChoice> choices{
        {int(SpreadsheetPreference::Program), u"Programa que abre planillas Excel"_s},
        {int(SpreadsheetPreference::CommaDecimals), u"Microsoft Excel (separador decimal coma)"_s},
        {int(SpreadsheetPreference::PointDecimals), u"Microsoft Excel (separador decimal punto)"_s},
        {int(SpreadsheetPreference::Workbook), u"Libro Excel (.xlsx)"_s},
    };
    return choices;
}

bool isSpreadsheetPreference(int value)
{
    return value >= int(SpreadsheetPreference::Program) && value <= int(SpreadsheetPreference::Workbook);
}

QString dorvoIniFile()
{
    return QDir::current().filePath(u"dorvo.ini"_s);
}

namespace {

/// The section of the current company in the INI file; empty when unknown.
QString companySection(const QString& iniFile)
{
    const QString company = ArchivosIni::readValue(u"Empresas"_s, u"IDEmpresa"_s, QString(), iniFile).trimmed();
    return company.isEmpty() ? VBGlob::get(u"IDEmpresa"_s).trimmed() : company;
}

int preferenceIn(const QString& text)
{
    bool isNumber = false;
    const int value = text.trimmed().toInt(&isNumber);
    return isNumber && isSpreadsheetPreference(value) ? value : 0;
}

QString preferenceKey(const QString& use)
{
    return (use.trimmed().isEmpty() ? u"VARIOS"_s : use.trimmed()) + u"-Planilla"_s;
}

}  // namespace

int readSpreadsheetPreference(Database& database, const QString& use, const QString& iniFile)
{
    const QString section = companySection(iniFile);
    if (!section.isEmpty()) {
        for (const QString& key : {preferenceKey(use), preferenceKey(u"VARIOS"_s)}) {
            if (const int value = preferenceIn(ArchivosIni::readValue(section, key, QString(), iniFile)))
                return value;
        }
    }
    double number = 0;
    PPARLN40(database, u"VARIOS"_s, u"Planilla"_s, 0, number);
    int value = isSpreadsheetPreference(int(number)) ? int(number) : 0;
    if (!value) {
        QString text;
        PPARLC(database, u"VARIOS"_s, u"Planilla"_s, 0, text);
        value = preferenceIn(text);
    }
    if (!value)
        return int(SpreadsheetPreference::Program);
    // The payroll system's other programs read the INI file only.
    if (!section.isEmpty())
        ArchivosIni::writeValue(section, preferenceKey(u"VARIOS"_s), QString::number(value), iniFile);
    return value;
}

bool writeSpreadsheetPreference(const QString& use, int value, const QString& iniFile)
{
    const QString section = companySection(iniFile);
    if (section.isEmpty() || !isSpreadsheetPreference(value))
        return false;
    return ArchivosIni::writeValue(section, preferenceKey(use), QString::number(value), iniFile) == u"S"_s;
}

// ---------------------------------------------------------------------------
// The spreadsheet file

XlsFile::~XlsFile()
{
    if (file_.isOpen())
        close();
}

bool XlsFile::open(const QString& path, int preference)
{
    preference_ = preference;
    failed_ = false;
    errorText_.clear();
    written_ = 0;
    used_ = 0;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failed_ = true;
        errorText_ = u"No se pudo crear el archivo "_s + QDir::toNativeSeparators(path) + u": "_s + file_.errorString();
        return false;
    }
    return true;
}

bool XlsFile::close()
{
    if (!file_.isOpen())
        return !failed_;
    flush();
    file_.close();
    return !failed_;
}

QChar XlsFile::decimalMark() const
{
    return preference_ == int(SpreadsheetPreference::CommaDecimals) ? u',' : u'.';
}

void XlsFile::flush()
{
    const qsizetype pending = used_;
    used_ = 0;
    if (pending == 0 || failed_)
        return;
    if (file_.write(buffer_, pending) != pending)
        fail();
}

void XlsFile::writeThrough(const char* bytes, qsizetype size)
{
    written_ += size;
    if (!failed_ && file_.write(bytes, size) != size)
        fail();
}

void XlsFile::fail()
{
    failed_ = true;
    errorText_ = u"No se pudo escribir el archivo "_s + QDir::toNativeSeparators(file_.fileName()) + u": "_s
                 + file_.errorString();
}

void XlsFile::writeBytes(const char* bytes, qsizetype size)
{
    if (used_ + size > qsizetype(sizeof buffer_))
        flush();
    if (size > qsizetype(sizeof buffer_)) {
        writeThrough(bytes, size);
        return;
    }
    std::memcpy(buffer_ + used_, bytes, size_t(size));
    used_ += size;
    written_ += size;
}

void XlsFile::writeRaw(QStringView text)
{
    // Latin-1 straight into the buffer; beyond it, a character reference
    // the spreadsheet reads back.
    if (used_ + text.size() > qsizetype(sizeof buffer_))
        flush();
    qsizetype at = 0;
    if (text.size() <= qsizetype(sizeof buffer_)) {
        char* out = buffer_ + used_;
        for (; at < text.size(); ++at) {
            const char16_t code = text[at].unicode();
            if (code >= 0x100)
                break;
            out[at] = char(code);
        }
        used_ += at;
        written_ += at;
    }
    for (; at < text.size(); ++at) {
        const char16_t code = text[at].unicode();
        if (code < 0x100) {
            const char byte = char(code);
            writeBytes(&byte, 1);
        } else {
            const QByteArray reference = "&#" + QByteArray::number(int(code)) + ';';
            writeBytes(reference.constData(), reference.size());
        }
    }
}

namespace {

bool needsEscaping(QStringView text)
{
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code == u'&' || code == u'<' || code == u'>' || code == u'\r' || code == u'\n'
            || (code >= 0xD800 && code <= 0xDBFF))
            return true;
    }
    return false;
}

}  // namespace

void XlsFile::writeEscaped(QStringView text)
{
    if (!needsEscaping(text)) {
        writeRaw(text);
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar character = text.at(at);
        if (character == u'&') {
            escaped += u"&amp;"_s;
        } else if (character == u'<') {
            escaped += u"&lt;"_s;
        } else if (character == u'>') {
            escaped += u"&gt;"_s;
        } else if (character == u'\r' || character == u'\n') {
            // A line break of a note stays inside its cell.
            if (character == u'\r' && at + 1 < text.size() && text.at(at + 1) == u'\n')
                ++at;
            escaped += u"<br style=\"mso-data-placement:same-cell\">"_s;
        } else if (character.unicode() >= 0xD800 && character.unicode() <= 0xDBFF && at + 1 < text.size()) {
            escaped += u"&#"_s + QString::number(QChar::surrogateToUcs4(character, text.at(at + 1))) + u';';
            ++at;
        } else {
            escaped += character;
        }
    }
    writeRaw(escaped);
}

void XlsFile::writeLine(QStringView line)
{
    writeRaw(line);
    writeBytes("\r\n", 2);
}

void PXLSINI(XlsFile& file, const QString& name)
{
    if (file.preference() != int(SpreadsheetPreference::CommaDecimals)) {
        static const QStringList before{
            u"<html xmlns:o=\"urn:schemas-microsoft-com:office:office\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"_s,
            u"<head>"_s,
            u"  <style>"_s,
            u"    <!--table"_s,
            u"      td"_s,
            u"        {white-space:nowrap;}"_s,
            u"    -->"_s,
            u"  </style>"_s,
            u"  <!--[if gte mso 9]>"_s,
            u"    <xml>"_s,
            u"      <x:ExcelWorkbook>"_s,
            u"        <x:ExcelWorksheets>"_s,
            u"          <x:ExcelWorksheet>"_s,
        };
        static const QStringList after{
            u"            <x:WorksheetOptions>"_s,
            u"              <x:DefaultColWidth>10</x:DefaultColWidth>"_s,
            u"            </x:WorksheetOptions>"_s,
            u"          </x:ExcelWorksheet>"_s,
            u"        </x:ExcelWorksheets>"_s,
            u"      </x:ExcelWorkbook>"_s,
            u"    </xml>"_s,
            u"  <![endif]-->"_s,
            u"</head>"_s,
        };
        for (const QString& line : before)
            file.writeLine(line);
        file.writeRaw(u"            <x:Name>"_s);
        file.writeEscaped(name);
        file.writeLine(u"</x:Name>"_s);
        for (const QString& line : after)
            file.writeLine(line);
    }
    file.writeLine(u"<Table>"_s);
}

void PXLSFILA(XlsFile& file, const QString& function, const QString& attributes)
{
    if (function == u"INI") {
        if (attributes.isEmpty())
            file.writeBytes("  <TR>\r\n", 8);
        else
            file.writeLine(QString(u"  <TR "_s + attributes + u'>'));
        return;
    }
    if (function == u"FIN") {
        file.writeBytes("  </TR>\r\n", 9);
        return;
    }
    if (file.ui())
        file.ui()->message(u"rutina XLSFila: error en funcion"_s, MessageIcon::Exclamation);
}

void PXLSCHAR(XlsFile& file, const QString& prefix, const QString& text)
{
    static constexpr char start[] = "    <TD>";
    static constexpr char end[] = "</TD>\r\n";
    file.writeBytes(start, sizeof start - 1);
    file.writeRaw(prefix);
    file.writeEscaped(QStringView(text).trimmed());
    file.writeBytes(end, sizeof end - 1);
}

namespace {

/// Writes `number` as PXLSIMPO shows it into `out`; returns its length.
int formatSpreadsheetNumber(double number, int kind, char decimalMark, char* out, int room)
{
    if (!std::isfinite(number))
        number = 0;
    if (kind == 3) {
        const auto [end, failure] = std::to_chars(out, out + room, static_cast<long long>(std::llround(number)));
        return failure == std::errc() ? int(end - out) : 0;
    }
    if (std::abs(number) < 5e-7)
        number = 0;  // no "-0.00"
    // The fewest decimals from two to six that show the number: the patterns
    // "##############0.00" to "##########0.000000".
    const auto [end, failure] = std::to_chars(out, out + room, number, std::chars_format::fixed, 6);
    if (failure != std::errc())
        return 0;
    int size = int(end - out);
    const int point = size - 7;
    while (size > point + 3 && out[size - 1] == '0')
        --size;
    out[point] = decimalMark;
    return size;
}

}  // namespace

QString spreadsheetNumber(double number, int kind, QChar decimalMark)
{
    char text[64];
    const int size = formatSpreadsheetNumber(number, kind, char(decimalMark.unicode()), text, sizeof text);
    return QString::fromLatin1(text, size);
}

void PXLSIMPO(XlsFile& file, double number, int kind)
{
    static constexpr char start[] = "    <TD>";
    static constexpr char end[] = "</TD>\r\n";
    char text[64];
    const int size = formatSpreadsheetNumber(number, kind, char(file.decimalMark().unicode()), text, sizeof text);
    file.writeBytes(start, sizeof start - 1);
    file.writeBytes(text, size);
    file.writeBytes(end, sizeof end - 1);
}

void PXLSFIN(XlsFile& file)
{
    file.writeLine(u"</TABLE>"_s);
}
