#include "reports/spreadsheet_reader.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVector>
#include <QXmlStreamReader>

#include <freexl.h>
#include <minizip/unzip.h>

#include <charconv>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

/// The number a cell's stored value holds, read as QString::toDouble reads
/// it. A workbook writes its numbers as plain decimal text ("1000.25",
/// "4.6E+4" aside); those are read straight from their characters, which
/// gives the same correctly rounded number at a fraction of the cost, and
/// anything else goes to toDouble.
double cellNumber(const QString& value, bool* ok)
{
    char text[40];
    const qsizetype size = value.size();
    bool plain = size > 0 && size < qsizetype(sizeof text);
    for (qsizetype at = 0; plain && at < size; ++at) {
        const char16_t character = value.at(at).unicode();
        plain = (character >= u'0' && character <= u'9') || character == u'.' || character == u'-'
            || character == u'e' || character == u'E';
        text[at] = char(character);
    }
    if (plain) {
        double number = 0;
        const auto [end, error] = std::from_chars(text, text + size, number);
        if (error == std::errc() && end == text + size) {
            *ok = true;
            return number;
        }
    }
    return value.toDouble(ok);
}

/// The columns an import looks at.
constexpr int maximumColumns = 200;

// Error numbers of the .xlsx reader beyond minizip's own (negative) ones.
constexpr int notAZipFile = 1;        ///< not a zip: another format, damaged or protected by a password
constexpr int partMissing = 2;        ///< a zip, but without a workbook's parts
constexpr int damagedXml = 3;         ///< a part that is not well-formed XML
constexpr int partUnreadable = 4;     ///< the zip fails while a part is read

/// Column number (from 1) of a cell reference such as "AB12"; 0 when none.
int columnOfReference(QStringView reference)
{
    int column = 0;
    for (QChar character : reference) {
        if (!character.isLetter())
            break;
        column = column * 26 + (character.toUpper().unicode() - u'A' + 1);
    }
    return column;
}

/// Whether a number format shows a date: day or year letters, or months
/// without hours or seconds, outside quoted texts and bracketed sections.
bool isDateFormat(const QString& code)
{
    QString bare;
    bool quoted = false;
    bool bracketed = false;
    for (QChar character : code) {
        if (character == u'"')
            quoted = !quoted;
        else if (!quoted && character == u'[')
            bracketed = true;
        else if (!quoted && character == u']')
            bracketed = false;
        else if (!quoted && !bracketed)
            bare += character.toLower();
    }
    if (bare.contains(u"general"_s))
        return false;
    const bool hours = bare.contains(u'h') || bare.contains(u's');
    return bare.contains(u'd') || bare.contains(u'y') || (bare.contains(u'm') && !hours);
}

bool isBuiltInDateFormat(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

// ---------------------------------------------------------------------------
// .xlsx

/// One part of an open zip, read in chunks into an XML stream reader.
class ZipPartStream {
public:
    explicit ZipPartStream(unzFile zip) : zip_(zip) {}
    ~ZipPartStream() { close(); }

    int open(const QString& name)
    {
        close();
        if (unzLocateFile(zip_, name.toUtf8().constData(), 0) != UNZ_OK)
            return partMissing;
        if (int status = unzOpenCurrentFile(zip_); status != UNZ_OK)
            return status < 0 ? status : partUnreadable;
        open_ = true;
        xml_.clear();
        return 0;
    }

    void close()
    {
        if (open_)
            unzCloseCurrentFile(zip_);
        open_ = false;
    }

    /// The next token; refills from the zip when the data so far runs out.
    /// False at the end of the document or on a failure (error() says which).
    bool next()
    {
        for (;;) {
            xml_.readNext();
            if (xml_.tokenType() == QXmlStreamReader::EndDocument)
                return false;
            if (!xml_.hasError())
                return true;
            if (xml_.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                error_ = damagedXml;
                return false;
            }
            if (chunk_.isEmpty())
                chunk_.resize(1 << 18);
            const int read = unzReadCurrentFile(zip_, chunk_.data(), unsigned(chunk_.size()));
            if (read < 0) {
                error_ = read;
                return false;
            }
            if (read == 0) {
                error_ = damagedXml;  // the part ends in the middle of its XML
                return false;
            }
            xml_.addData(QByteArray(chunk_.constData(), read));
        }
    }

    QXmlStreamReader& xml() { return xml_; }
    int error() const { return error_; }

    /// The text under the current element, up to its end, read through the
    /// refilling next() (a text may end in a later chunk); phonetic runs
    /// are left out.
    QString runsText()
    {
        QString text;
        int depth = 1;
        bool phonetic = false;
        while (depth > 0 && next()) {
            if (xml_.isStartElement()) {
                ++depth;
                if (xml_.name() == u"rPh")
                    phonetic = true;
            } else if (xml_.isEndElement()) {
                --depth;
                if (xml_.name() == u"rPh")
                    phonetic = false;
            } else if (xml_.isCharacters() && !phonetic) {
                text += xml_.text();
            }
        }
        return text;
    }

private:
    unzFile zip_;
    QXmlStreamReader xml_;
    QByteArray chunk_;  ///< what the part is read into, a quarter of a megabyte at a time
    bool open_ = false;
    int error_ = 0;
};

class XlsxReader : public SpreadsheetReader {
public:
    XlsxReader(const QString& path, const CellTextOptions& options) : path_(path), options_(options) {}
    ~XlsxReader() override
    {
        sheet_.reset();
        if (zip_)
            unzClose(zip_);
    }

    int open() override
    {
        zip_ = unzOpen64(QFile::encodeName(path_).constData());
        if (!zip_)
            return error_ = notAZipFile;
        const QString sheetPart = firstSheetPart();
        if (error_)
            return error_;
        if (!readSharedStrings() || !readStyles())
            return error_;
        sheet_ = std::make_unique<ZipPartStream>(zip_);
        if (int status = sheet_->open(sheetPart))
            return error_ = status;
        return 0;
    }

    bool nextRow(int& row, QStringList& cells) override
    {
        if (!sheet_ || error_)
            return false;
        QXmlStreamReader& xml = sheet_->xml();
        while (sheet_->next()) {
            if (!xml.isStartElement() || xml.name() != u"row")
                continue;
            const QString number = xml.attributes().value(u"r"_s).toString();
            row = number.isEmpty() ? lastRow_ + 1 : number.toInt();
            lastRow_ = row;
            cells.clear();
            if (readRowCells(cells))
                return true;
            break;
        }
        error_ = sheet_->error();
        return false;
    }

    int error() const override { return error_; }

private:
    QString firstSheetPart()
    {
        // The workbook names its first sheet's relation; the relations name the part.
        ZipPartStream workbook(zip_);
        if (int status = workbook.open(u"xl/workbook.xml"_s)) {
            error_ = status;
            return {};
        }
        QString relation;
        while (workbook.next()) {
            QXmlStreamReader& xml = workbook.xml();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"workbookPr")
                from1904_ = xml.attributes().value(u"date1904"_s) == u"1" || xml.attributes().value(u"date1904"_s) == u"true";
            if (xml.name() == u"sheet") {
                for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                    if (attribute.name() == u"id")
                        relation = attribute.value().toString();
                }
                break;
            }
        }
        if (workbook.error()) {
            error_ = workbook.error();
            return {};
        }
        QString target = u"worksheets/sheet1.xml"_s;
        ZipPartStream relations(zip_);
        if (!relation.isEmpty() && relations.open(u"xl/_rels/workbook.xml.rels"_s) == 0) {
            while (relations.next()) {
                QXmlStreamReader& xml = relations.xml();
                if (xml.isStartElement() && xml.name() == u"Relationship" && xml.attributes().value(u"Id"_s) == relation) {
                    target = xml.attributes().value(u"Target"_s).toString();
                    break;
                }
            }
        }
        if (target.startsWith(u'/'))
            return target.mid(1);
        return u"xl/"_s + target;
    }

    bool readSharedStrings()
    {
        ZipPartStream strings(zip_);
        if (strings.open(u"xl/sharedStrings.xml"_s))
            return true;  // a workbook without texts has none
        while (strings.next()) {
            if (strings.xml().isStartElement() && strings.xml().name() == u"si")
                sharedStrings_.append(strings.runsText());
        }
        error_ = strings.error();
        return !error_;
    }

    bool readStyles()
    {
        ZipPartStream styles(zip_);
        if (styles.open(u"xl/styles.xml"_s))
            return true;
        QHash<int, bool> customDates;
        bool inCellFormats = false;
        while (styles.next()) {
            QXmlStreamReader& xml = styles.xml();
            if (xml.isEndElement() && xml.name() == u"cellXfs")
                inCellFormats = false;
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"numFmt") {
                customDates.insert(xml.attributes().value(u"numFmtId"_s).toInt(),
                                   isDateFormat(xml.attributes().value(u"formatCode"_s).toString()));
            } else if (xml.name() == u"cellXfs") {
                inCellFormats = true;
            } else if (inCellFormats && xml.name() == u"xf") {
                const int format = xml.attributes().value(u"numFmtId"_s).toInt();
                dateStyles_.append(customDates.contains(format) ? customDates.value(format) : isBuiltInDateFormat(format));
            }
        }
        error_ = styles.error();
        return !error_;
    }

    /// The cells of the current <row>, up to its end.
    bool readRowCells(QStringList& cells)
    {
        QXmlStreamReader& xml = sheet_->xml();
        int nextColumn = 1;
        while (sheet_->next()) {
            if (xml.isEndElement() && xml.name() == u"row")
                return true;
            if (!xml.isStartElement() || xml.name() != u"c")
                continue;
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString reference = attributes.value(u"r"_s).toString();
            const int column = reference.isEmpty() ? nextColumn : columnOfReference(reference);
            nextColumn = column + 1;
            const QString type = attributes.value(u"t"_s).toString();
            const int style = attributes.value(u"s"_s).toInt();
            const QString text = cellText(type, style);
            if (sheet_->error())
                return false;
            if (column < 1 || column > maximumColumns)
                continue;
            while (cells.size() < column)
                cells.append(QString());
            cells[column - 1] = text;
        }
        return false;
    }

    /// The value of the current <c>, read up to its end, as text.
    QString cellText(const QString& type, int style)
    {
        QXmlStreamReader& xml = sheet_->xml();
        QString value;
        QString inline_;
        while (sheet_->next()) {
            if (xml.isEndElement() && xml.name() == u"c")
                break;
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"v")
                value = sheet_->runsText();
            else if (xml.name() == u"is")
                inline_ = sheet_->runsText();
        }
        if (type == u"inlineStr")
            return inline_;
        if (type == u"s")
            return sharedStrings_.value(value.toInt());
        if (type == u"str" || type == u"e")
            return value;
        if (type == u"b")
            return value == u"1" ? u"1"_s : u"0"_s;
        if (value.isEmpty())
            return {};
        bool ok = false;
        const double number = cellNumber(value, &ok);
        if (!ok)
            return value;
        if (dateStyles_.value(style, false))
            return spreadsheetDateText(number, from1904_);
        return spreadsheetNumberText(number, options_.decimalSeparator);
    }

    QString path_;
    CellTextOptions options_;
    unzFile zip_ = nullptr;
    std::unique_ptr<ZipPartStream> sheet_;
    QStringList sharedStrings_;
    QVector<bool> dateStyles_;  ///< by cell format (the "s" of a cell): shows a date
    bool from1904_ = false;
    int lastRow_ = 0;
    int error_ = 0;
};

// ---------------------------------------------------------------------------
// .xls

class XlsReader : public SpreadsheetReader {
public:
    XlsReader(const QString& path, const CellTextOptions& options) : path_(path), options_(options) {}
    ~XlsReader() override
    {
        if (handle_)
            freexl_close(handle_);
    }

    int open() override
    {
        if (int status = freexl_open(QFile::encodeName(path_).constData(), &handle_); status != FREEXL_OK) {
            handle_ = nullptr;
            return error_ = std::abs(status);
        }
        unsigned int obfuscated = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &obfuscated) == FREEXL_OK
            && obfuscated == FREEXL_BIFF_OBFUSCATED)
            return error_ = FREEXL_BIFF_PASSWORD;
        if (int status = freexl_select_active_worksheet(handle_, 0); status != FREEXL_OK)
            return error_ = std::abs(status);
        if (int status = freexl_worksheet_dimensions(handle_, &rows_, &columns_); status != FREEXL_OK)
            return error_ = std::abs(status);
        return 0;
    }

    bool nextRow(int& row, QStringList& cells) override
    {
        const unsigned short columns = std::min<unsigned short>(columns_, maximumColumns);
        while (next_ < rows_) {
            const unsigned int at = next_++;
            cells.clear();
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue value;
                if (int status = freexl_get_cell_value(handle_, at, column, &value); status != FREEXL_OK) {
                    error_ = std::abs(status);
                    return false;
                }
                cells.append(cellText(value));
            }
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            if (cells.isEmpty())
                continue;
            row = int(at) + 1;
            return true;
        }
        return false;
    }

    int error() const override { return error_; }

private:
    QString cellText(const FreeXL_CellValue& value) const
    {
        switch (value.type) {
        case FREEXL_CELL_INT:
            return QString::number(value.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return spreadsheetNumberText(value.value.double_value, options_.decimalSeparator);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_TIME:
            return QString::fromUtf8(value.value.text_value);
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: {
            const QDate date = QDate::fromString(QString::fromLatin1(value.value.text_value).left(10), u"yyyy-MM-dd"_s);
            return date.isValid() ? date.toString(u"dd/MM/yyyy"_s) : QString::fromUtf8(value.value.text_value);
        }
        default:
            return {};
        }
    }

    QString path_;
    CellTextOptions options_;
    const void* handle_ = nullptr;
    unsigned int rows_ = 0;
    unsigned short columns_ = 0;
    unsigned int next_ = 0;
    int error_ = 0;
};

}  // namespace

bool isSpreadsheetFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"xls" || suffix == u"xlsx" || suffix == u"xlsm";
}

std::unique_ptr<SpreadsheetReader> SpreadsheetReader::forFile(const QString& path, const CellTextOptions& options)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx" || suffix == u"xlsm")
        return std::make_unique<XlsxReader>(path, options);
    if (suffix == u"xls")
        return std::make_unique<XlsReader>(path, options);
    return nullptr;
}

QString spreadsheetDateText(double serial, bool from1904)
{
    // Day 60 of the 1900 system is a 29 February that never was: the epoch
    // that makes later serials right is 30 December 1899.
    const QDate epoch = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return epoch.addDays(qint64(std::floor(serial))).toString(u"dd/MM/yyyy"_s);
}

QString spreadsheetNumberText(double value, QChar decimalSeparator)
{
    QString text;
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        text = QString::number(qint64(value));
    } else {
        text = QString::number(value, 'f', 10);
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    text.replace(u'.', decimalSeparator);
    return text;
}

SpreadsheetConversion convertSpreadsheetToText(const QString& sheet, const QString& text,
                                               const CellTextOptions& options,
                                               const std::function<void(int row)>& progress)
{
    SpreadsheetConversion result;
    std::unique_ptr<SpreadsheetReader> reader = SpreadsheetReader::forFile(sheet, options);
    if (!reader) {
        result.errorNumber = notAZipFile;
        return result;
    }
    if (int status = reader->open()) {
        result.errorNumber = status;
        return result;
    }
    QFile out(text);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        result.errorNumber = partUnreadable;
        return result;
    }
    QList<int> taken;  // columns (from 0) whose first-row cell is not empty
    int row = 0;
    QStringList cells;
    int written = 0;
    while (reader->nextRow(row, cells)) {
        if (row == 1) {
            for (int column = 0; column < cells.size(); ++column) {
                if (!cells.at(column).trimmed().isEmpty())
                    taken << column;
            }
        }
        // Rows without cells between two rows become empty lines.
        for (; written < row - 1; ++written)
            out.write("\n");
        QStringList line;
        line.reserve(taken.size());
        for (int column : std::as_const(taken)) {
            QString cell = cells.value(column);
            cell.replace(u'\n', u' ').replace(u'\r', u' ');
            line << cell;
        }
        out.write(line.join(u';').toUtf8());
        out.write("\n");
        written = row;
        if (progress)
            progress(row);
    }
    if (reader->error()) {
        result.errorNumber = reader->error();
        return result;
    }
    result.rows = written;
    if (!out.flush())
        result.errorNumber = partUnreadable;
    return result;
}
