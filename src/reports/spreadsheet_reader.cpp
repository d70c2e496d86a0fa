#include "reports/spreadsheet_reader.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVector>

#include <freexl.h>
#include <minizip/unzip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

/// The columns an import looks at.
constexpr int maximumColumns = 200;

// Error numbers of the .xlsx reader beyond minizip's own (negative) ones.
constexpr int notAZipFile = 1;        ///< not a zip: another format, damaged or protected by a password
constexpr int partMissing = 2;        ///< a zip, but without a workbook's parts
constexpr int damagedXml = 3;         ///< a part that is not well-formed XML
constexpr int partUnreadable = 4;     ///< the zip fails while a part is read

/// Column number (from 1) of a cell reference such as "AB12"; 0 when none.
int columnOfReference(QByteArrayView reference)
{
    int column = 0;
    for (const char character : reference) {
        const char upper = character >= 'a' && character <= 'z' ? char(character - 'a' + 'A') : character;
        if (upper < 'A' || upper > 'Z' || column > maximumColumns)
            break;
        column = column * 26 + (upper - 'A' + 1);
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

/// The whole number `text` holds; 0 when none.
int wholeNumber(QByteArrayView text)
{
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

/// Whether `one` and `other` hold the same bytes: a plain equality, where
/// the views' own comparison orders them.
inline bool sameBytes(QByteArrayView one, QByteArrayView other)
{
    return one.size() == other.size() && std::memcmp(one.data(), other.data(), size_t(one.size())) == 0;
}

/// Where `what` is in `data` between `from` and `end`; -1 when it is not.
qsizetype findIn(const char* data, qsizetype from, qsizetype end, QByteArrayView what)
{
    if (what.size() == 1) {
        const void* hit = std::memchr(data + from, what.front(), size_t(std::max<qsizetype>(0, end - from)));
        return hit ? static_cast<const char*>(hit) - data : -1;
    }
    return QByteArrayView(data, end).indexOf(what, from);
}

/// Appends `raw` XML text to `out` (UTF-8) with its entity and character
/// references resolved; false for a reference XML does not know.
bool appendDecoded(QByteArrayView raw, std::string& out)
{
    qsizetype at = 0;
    while (at < raw.size()) {
        const qsizetype amp = raw.indexOf('&', at);
        if (amp < 0) {
            out.append(raw.data() + at, size_t(raw.size() - at));
            return true;
        }
        out.append(raw.data() + at, size_t(amp - at));
        const qsizetype semicolon = raw.indexOf(';', amp);
        if (semicolon < 0)
            return false;
        const QByteArrayView entity = raw.sliced(amp + 1, semicolon - amp - 1);
        if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "amp") {
            out += '&';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.startsWith('#')) {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const QByteArrayView digits = entity.sliced(hex ? 2 : 1);
            unsigned code = 0;
            const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (failure != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10FFFF)
                return false;
            const char32_t character = code;
            out += QString::fromUcs4(&character, 1).toStdString();
        } else {
            return false;
        }
        at = semicolon + 1;
    }
    return true;
}

/// A small pull reader over the XML of one part of an open zip, inflated a
/// chunk at a time: it hands out start tags with their attributes, end tags
/// and texts as views into its buffer, valid up to the next call. It checks
/// that tags nest, and reads what workbook writers write: comments,
/// processing instructions and CDATA are understood, a document type is
/// passed over. Qt's stream reader does the same work several times slower,
/// and a sheet is read cell by cell.
class XmlPull {
public:
    enum class Token { Start, End, Text, EndOfDocument, Failure };

    explicit XmlPull(unzFile zip) : zip_(zip) {}
    ~XmlPull() { close(); }
    XmlPull(const XmlPull&) = delete;
    XmlPull& operator=(const XmlPull&) = delete;

    /// Opens the part `name`; 0, or partMissing, or the zip's error.
    int open(const char* name)
    {
        close();
        if (unzLocateFile(zip_, name, 0) != UNZ_OK)
            return partMissing;
        if (int status = unzOpenCurrentFile(zip_); status != UNZ_OK)
            return status < 0 ? status : partUnreadable;
        open_ = true;
        buffer_.resize(1 << 16);
        begin_ = end_ = 0;
        atEnd_ = false;
        seenRoot_ = false;
        error_ = 0;
        open_elements_.clear();
        element_starts_.clear();
        return 0;
    }

    void close()
    {
        if (open_)
            unzCloseCurrentFile(zip_);
        open_ = false;
    }

    Token next()
    {
        if (!seenRoot_ && begin_ == 0 && have(3) && QByteArrayView(buffer_.constData(), 3) == "\xEF\xBB\xBF")
            begin_ = 3;  // a byte order mark, as some writers put before the XML
        for (;;) {
            if (error_)
                return Token::Failure;
            if (begin_ == end_ && !fill())
                return finish();
            if (buffer_.constData()[begin_] != '<') {
                qsizetype stop = -1;
                if (!findFrom(begin_, "<", stop)) {
                    if (error_)
                        return Token::Failure;
                    stop = end_;  // what follows the last tag
                }
                text_ = {buffer_.constData() + begin_, stop - begin_};
                cdata_ = false;
                begin_ = stop;
                if (open_elements_.empty()) {
                    if (!isBlankBytes(text_))
                        return fail();
                    continue;
                }
                return Token::Text;
            }
            if (const Token token = markup(); token != Token::Text || !text_.isEmpty())
                return token;
        }
    }

    /// Whether the local name (without its prefix) of the current start or
    /// end tag is `name`.
    bool named(QByteArrayView name) const { return sameBytes(name_, name); }
    /// Whether the current start tag closes itself ("<c/>").
    bool selfClosing() const { return selfClosing_; }
    /// The raw value of the current start tag's attribute whose local name
    /// is `name`; empty when it has none.
    QByteArrayView attribute(QByteArrayView name) const
    {
        for (const Attribute& attribute : attributes_) {
            if (sameBytes(localName(attribute.name), name))
                return attribute.value;
        }
        return {};
    }
    /// The same, with its references resolved.
    QString attributeText(QByteArrayView name) const
    {
        std::string decoded;
        appendDecoded(attribute(name), decoded);
        return QString::fromStdString(decoded);
    }
    /// Appends the current text, references resolved, to `out`.
    bool appendText(std::string& out)
    {
        if (cdata_) {
            out.append(text_.data(), size_t(text_.size()));
            return true;
        }
        if (appendDecoded(text_, out))
            return true;
        error_ = damagedXml;
        return false;
    }

    /// Appends to `out` the text under the current start tag up to its end
    /// tag: its own text (a <v>), or for `runs` (an <si> or <is>) the text
    /// of its <t> elements, phonetic runs left out, so that the spaces a
    /// writer lays out its XML with are not taken. False on a failure.
    bool appendTextUnder(std::string& out, bool runs)
    {
        if (selfClosing_)
            return true;
        int depth = 1;
        int phonetic = 0;  ///< depth inside an <rPh>
        int textDepth = runs ? 0 : 1;  ///< the depth whose text is taken
        while (depth > 0) {
            switch (next()) {
            case Token::Start:
                if (selfClosing_)
                    break;
                ++depth;
                if (phonetic || sameBytes(name_, "rPh"))
                    ++phonetic;
                else if (runs && sameBytes(name_, "t"))
                    textDepth = depth;
                break;
            case Token::End:
                if (depth == textDepth && runs)
                    textDepth = 0;
                --depth;
                if (phonetic)
                    --phonetic;
                break;
            case Token::Text:
                if (!phonetic && depth == textDepth && !appendText(out))
                    return false;
                break;
            case Token::EndOfDocument:
            case Token::Failure:
                return false;
            }
        }
        return true;
    }

    int error() const { return error_; }

private:
    struct Attribute {
        QByteArrayView name;
        QByteArrayView value;
    };

    static bool isSpace(char character)
    {
        return character == ' ' || character == '\t' || character == '\n' || character == '\r';
    }
    static bool isBlankBytes(QByteArrayView bytes)
    {
        return std::all_of(bytes.begin(), bytes.end(), isSpace);
    }
    static QByteArrayView localName(QByteArrayView name)
    {
        // Names are a few bytes long: a plain loop, where the view's own
        // search costs more than the name (it runs for every tag and attribute).
        for (qsizetype at = name.size() - 1; at >= 0; --at) {
            if (name[at] == ':')
                return name.sliced(at + 1);
        }
        return name;
    }

    Token fail()
    {
        error_ = damagedXml;
        return Token::Failure;
    }

    Token finish()
    {
        if (error_)
            return Token::Failure;
        // A part that stops inside an element was cut short.
        if (!open_elements_.empty() || !seenRoot_)
            return fail();
        return Token::EndOfDocument;
    }

    /// Reads more of the part after what is not consumed yet, moving that
    /// to the front first (the positions of the caller move by the returned
    /// shift); false at the end of the part or on a failure.
    bool fill(qsizetype* shift = nullptr)
    {
        if (atEnd_ || !open_)
            return false;
        if (begin_ > 0) {
            std::memmove(buffer_.data(), buffer_.constData() + begin_, size_t(end_ - begin_));
            if (shift)
                *shift = begin_;
            end_ -= begin_;
            begin_ = 0;
        }
        if (buffer_.size() - end_ < (1 << 15)) {
            // One token larger than the buffer: a text of a cell can be long,
            // but not without end.
            if (buffer_.size() >= longestToken) {
                error_ = damagedXml;
                return false;
            }
            buffer_.resize(buffer_.size() * 2);
        }
        const int read = unzReadCurrentFile(zip_, buffer_.data() + end_, unsigned(buffer_.size() - end_));
        if (read < 0) {
            error_ = read;
            return false;
        }
        if (read == 0) {
            atEnd_ = true;
            return false;
        }
        end_ += read;
        return true;
    }

    /// Finds `what` at or after `from`, reading more as needed; `found` is
    /// its position. False when the part ends first (or fails).
    bool findFrom(qsizetype from, QByteArrayView what, qsizetype& found)
    {
        qsizetype searched = from;
        for (;;) {
            const qsizetype at = findIn(buffer_.constData(), searched, end_, what);
            if (at >= 0) {
                found = at;
                return true;
            }
            searched = std::max(from, end_ - what.size() + 1);
            qsizetype shift = 0;
            if (!fill(&shift))
                return false;
            from -= shift;
            searched -= shift;
        }
    }

    /// Whether the buffer holds `count` bytes from `begin_`, reading more as needed.
    bool have(qsizetype count)
    {
        while (end_ - begin_ < count) {
            if (!fill())
                return false;
        }
        return true;
    }

    /// The markup at `begin_`: a tag, or a comment, processing instruction
    /// or document type passed over (an empty text then), or CDATA.
    Token markup()
    {
        if (!have(2))
            return fail();
        const char second = buffer_.constData()[begin_ + 1];
        qsizetype stop = 0;
        if (second == '?') {
            if (!findFrom(begin_ + 2, "?>", stop))
                return fail();
            return skipTo(stop + 2);
        }
        if (second == '!') {
            if (have(4) && QByteArrayView(buffer_.constData() + begin_, 4) == "<!--") {
                if (!findFrom(begin_ + 4, "-->", stop))
                    return fail();
                return skipTo(stop + 3);
            }
            if (have(9) && QByteArrayView(buffer_.constData() + begin_, 9) == "<![CDATA[") {
                if (!findFrom(begin_ + 9, "]]>", stop) || open_elements_.empty())
                    return fail();
                text_ = {buffer_.constData() + begin_ + 9, stop - begin_ - 9};
                cdata_ = true;
                begin_ = stop + 3;
                return Token::Text;
            }
            if (!findFrom(begin_ + 2, ">", stop))
                return fail();
            return skipTo(stop + 1);
        }
        if (!tagEnd(stop))
            return fail();
        const QByteArrayView tag(buffer_.constData() + begin_, stop - begin_ + 1);
        begin_ = stop + 1;
        return second == '/' ? endTag(tag) : startTag(tag);
    }

    Token skipTo(qsizetype position)
    {
        begin_ = position;
        text_ = {};
        return Token::Text;
    }

    /// The '>' that ends the tag at `begin_`, outside quoted values.
    bool tagEnd(qsizetype& stop)
    {
        qsizetype at = begin_ + 1;
        for (;;) {
            const char* data = buffer_.constData();
            while (at < end_) {
                const char character = data[at];
                if (character == '>') {
                    stop = at;
                    return true;
                }
                if (character == '<')
                    return false;
                if (character != '"' && character != '\'') {
                    ++at;
                    continue;
                }
                // A quoted value is passed over whole; when its end is not
                // read yet, it is looked for again from its quote.
                const void* closing = std::memchr(data + at + 1, character, size_t(end_ - at - 1));
                if (!closing)
                    break;
                at = static_cast<const char*>(closing) - data + 1;
            }
            qsizetype shift = 0;
            if (!fill(&shift))
                return false;
            at -= shift;
        }
    }

    Token endTag(QByteArrayView tag)
    {
        QByteArrayView name = tag.sliced(2, tag.size() - 3);
        while (!name.isEmpty() && isSpace(name.back()))
            name.chop(1);
        if (element_starts_.empty())
            return fail();
        const qsizetype start = element_starts_.back();
        if (!sameBytes(QByteArrayView(open_elements_).sliced(start), name))
            return fail();
        open_elements_.resize(size_t(start));
        element_starts_.pop_back();
        name_ = localName(name);
        selfClosing_ = false;
        return Token::End;
    }

    Token startTag(QByteArrayView tag)
    {
        QByteArrayView inside = tag.sliced(1, tag.size() - 2);
        selfClosing_ = inside.endsWith('/');
        if (selfClosing_)
            inside.chop(1);
        qsizetype at = 0;
        while (at < inside.size() && !isSpace(inside[at]))
            ++at;
        const QByteArrayView name = inside.first(at);
        if (name.isEmpty() || (open_elements_.empty() && seenRoot_))
            return fail();
        seenRoot_ = true;
        name_ = localName(name);
        attributes_.clear();
        while (at < inside.size()) {
            while (at < inside.size() && isSpace(inside[at]))
                ++at;
            if (at == inside.size())
                break;
            const qsizetype nameStart = at;
            while (at < inside.size() && inside[at] != '=' && !isSpace(inside[at]))
                ++at;
            const QByteArrayView attributeName = inside.sliced(nameStart, at - nameStart);
            while (at < inside.size() && isSpace(inside[at]))
                ++at;
            if (at == inside.size() || inside[at] != '=')
                return fail();
            ++at;
            while (at < inside.size() && isSpace(inside[at]))
                ++at;
            if (at == inside.size() || (inside[at] != '"' && inside[at] != '\''))
                return fail();
            const char quote = inside[at++];
            const qsizetype valueEnd = inside.indexOf(quote, at);
            if (valueEnd < 0)
                return fail();
            attributes_.push_back({attributeName, inside.sliced(at, valueEnd - at)});
            at = valueEnd + 1;
        }
        if (!selfClosing_) {
            element_starts_.push_back(qsizetype(open_elements_.size()));
            open_elements_.append(name.data(), size_t(name.size()));
        }
        return Token::Start;
    }

    /// The largest buffer a single tag or text may need.
    static constexpr qsizetype longestToken = qsizetype(64) << 20;

    unzFile zip_;
    QByteArray buffer_;
    qsizetype begin_ = 0;  ///< the first byte not consumed
    qsizetype end_ = 0;    ///< the end of what was read
    bool open_ = false;
    bool atEnd_ = false;
    bool seenRoot_ = false;
    int error_ = 0;
    // The current token.
    QByteArrayView name_;
    QByteArrayView text_;
    bool cdata_ = false;
    bool selfClosing_ = false;
    std::vector<Attribute> attributes_;
    // The open elements' names, one after another, and where each starts.
    std::string open_elements_;
    std::vector<qsizetype> element_starts_;
};

/// The number a cell's stored value holds, read straight from its
/// characters (a workbook writes plain decimal text, "4.6E+4" aside) and
/// by QString::toDouble when from_chars does not take it.
double cellNumber(QByteArrayView value, bool* ok)
{
    while (!value.isEmpty() && (value.front() == ' ' || value.front() == '+'))
        value = value.sliced(1);
    while (!value.isEmpty() && value.back() == ' ')
        value.chop(1);
    double number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (!value.isEmpty() && error == std::errc() && stop == end) {
        *ok = true;
        return number;
    }
    return QString::fromLatin1(value).toDouble(ok);
}

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
        const QByteArray sheetPart = firstSheetPart();
        if (error_)
            return error_;
        if (!readSharedStrings() || !readStyles())
            return error_;
        sheet_ = std::make_unique<XmlPull>(zip_);
        if (int status = sheet_->open(sheetPart.constData()))
            return error_ = status;
        return 0;
    }

    bool nextRow(int& row, std::vector<std::string>& cells) override
    {
        if (!sheet_ || error_)
            return false;
        for (;;) {
            const XmlPull::Token token = sheet_->next();
            if (token == XmlPull::Token::EndOfDocument || token == XmlPull::Token::Failure)
                break;
            if (token != XmlPull::Token::Start || !sheet_->named("row"))
                continue;
            const QByteArrayView number = sheet_->attribute("r");
            row = number.isEmpty() ? lastRow_ + 1 : wholeNumber(number);
            lastRow_ = row;
            used_ = 0;
            const bool read = sheet_->selfClosing() || readRowCells(cells);
            cells.resize(used_);
            if (read)
                return true;
            break;
        }
        error_ = sheet_->error();
        return false;
    }

    int error() const override { return error_; }

private:
    QByteArray firstSheetPart()
    {
        // The workbook names its first sheet's relation; the relations name the part.
        XmlPull workbook(zip_);
        if (int status = workbook.open("xl/workbook.xml")) {
            error_ = status;
            return {};
        }
        QByteArray relation;
        for (XmlPull::Token token = workbook.next(); token != XmlPull::Token::EndOfDocument;
             token = workbook.next()) {
            if (token == XmlPull::Token::Failure) {
                error_ = workbook.error();
                return {};
            }
            if (token != XmlPull::Token::Start)
                continue;
            if (workbook.named("workbookPr"))
                from1904_ = workbook.attribute("date1904") == "1" || workbook.attribute("date1904") == "true";
            if (workbook.named("sheet")) {
                relation = workbook.attribute("id").toByteArray();
                break;
            }
        }
        QByteArray target = "worksheets/sheet1.xml";
        XmlPull relations(zip_);
        if (!relation.isEmpty() && relations.open("xl/_rels/workbook.xml.rels") == 0) {
            for (XmlPull::Token token = relations.next();
                 token != XmlPull::Token::EndOfDocument && token != XmlPull::Token::Failure; token = relations.next()) {
                if (token == XmlPull::Token::Start && relations.named("Relationship")
                    && relations.attribute("Id") == relation) {
                    target = relations.attributeText("Target").toUtf8();
                    break;
                }
            }
        }
        if (target.startsWith('/'))
            return target.mid(1);
        return "xl/" + target;
    }

    bool readSharedStrings()
    {
        XmlPull strings(zip_);
        if (strings.open("xl/sharedStrings.xml"))
            return true;  // a workbook without texts has none
        std::string text;
        for (XmlPull::Token token = strings.next(); token != XmlPull::Token::EndOfDocument; token = strings.next()) {
            if (token == XmlPull::Token::Failure) {
                error_ = strings.error();
                return false;
            }
            if (token != XmlPull::Token::Start || !strings.named("si"))
                continue;
            text.clear();
            if (!strings.appendTextUnder(text, true)) {
                error_ = strings.error() ? strings.error() : damagedXml;
                return false;
            }
            sharedStrings_.push_back(text);
        }
        return true;
    }

    bool readStyles()
    {
        XmlPull styles(zip_);
        if (styles.open("xl/styles.xml"))
            return true;
        QHash<int, bool> customDates;
        bool inCellFormats = false;
        for (XmlPull::Token token = styles.next(); token != XmlPull::Token::EndOfDocument; token = styles.next()) {
            if (token == XmlPull::Token::Failure) {
                error_ = styles.error();
                return false;
            }
            if (token == XmlPull::Token::End && styles.named("cellXfs"))
                inCellFormats = false;
            if (token != XmlPull::Token::Start)
                continue;
            if (styles.named("numFmt")) {
                customDates.insert(wholeNumber(styles.attribute("numFmtId")),
                                   isDateFormat(styles.attributeText("formatCode")));
            } else if (styles.named("cellXfs")) {
                inCellFormats = !styles.selfClosing();
            } else if (inCellFormats && styles.named("xf")) {
                const int format = wholeNumber(styles.attribute("numFmtId"));
                dateStyles_.append(customDates.contains(format) ? customDates.value(format) : isBuiltInDateFormat(format));
            }
        }
        return true;
    }

    /// The cells of the current <row>, up to its end: the first used_ of
    /// `cells`.
    bool readRowCells(std::vector<std::string>& cells)
    {
        int nextColumn = 1;
        for (;;) {
            const XmlPull::Token token = sheet_->next();
            if (token == XmlPull::Token::EndOfDocument || token == XmlPull::Token::Failure)
                return false;
            if (token == XmlPull::Token::End && sheet_->named("row"))
                return true;
            if (token != XmlPull::Token::Start || !sheet_->named("c"))
                continue;
            const QByteArrayView reference = sheet_->attribute("r");
            const int column = reference.isEmpty() ? nextColumn : columnOfReference(reference);
            nextColumn = column + 1;
            const CellType type = cellType(sheet_->attribute("t"));
            const int style = wholeNumber(sheet_->attribute("s"));
            const bool empty = sheet_->selfClosing();
            if (!empty && !readCellValue())
                return false;
            if (column < 1 || column > maximumColumns || empty)
                continue;
            if (cells.size() < size_t(column))
                cells.resize(size_t(column));
            for (; used_ < column - 1; ++used_)
                cells[size_t(used_)].clear();
            cellText(type, style, cells[size_t(column - 1)]);
            used_ = std::max(used_, column);
        }
    }

    enum class CellType { Number, Shared, Inline, Formula, Boolean, Error };

    static CellType cellType(QByteArrayView type)
    {
        if (type == "s")
            return CellType::Shared;
        if (type == "inlineStr")
            return CellType::Inline;
        if (type == "str")
            return CellType::Formula;
        if (type == "b")
            return CellType::Boolean;
        if (type == "e")
            return CellType::Error;
        return CellType::Number;
    }

    /// Reads the current <c> up to its end: its <v> into value_, the text
    /// of its <is> into inline_.
    bool readCellValue()
    {
        value_.clear();
        inline_.clear();
        for (;;) {
            const XmlPull::Token token = sheet_->next();
            if (token == XmlPull::Token::EndOfDocument || token == XmlPull::Token::Failure)
                return false;
            if (token == XmlPull::Token::End && sheet_->named("c"))
                return true;
            if (token != XmlPull::Token::Start)
                continue;
            if (sheet_->named("v") && !sheet_->appendTextUnder(value_, false))
                return false;
            if (sheet_->named("is") && !sheet_->appendTextUnder(inline_, true))
                return false;
        }
    }

    /// The value just read, as text, over `out`.
    void cellText(CellType type, int style, std::string& out) const
    {
        switch (type) {
        case CellType::Inline:
            out = inline_;
            return;
        case CellType::Shared: {
            size_t index = 0;
            const auto [end, failure] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
            if (failure == std::errc() && index < sharedStrings_.size())
                out = sharedStrings_[index];
            else
                out.clear();
            return;
        }
        case CellType::Formula:
        case CellType::Error:
            out = value_;
            return;
        case CellType::Boolean:
            out = value_ == "1" ? "1" : "0";
            return;
        case CellType::Number:
            break;
        }
        bool ok = false;
        const double number = value_.empty() ? 0 : cellNumber(QByteArrayView(value_.data(), qsizetype(value_.size())), &ok);
        if (!ok)
            out = value_;
        else if (dateStyles_.value(style, false))
            dateText(number, out);
        else
            writeSpreadsheetNumber(number, char(options_.decimalSeparator.unicode()), out);
    }

    /// A date cell's text; a sheet mostly repeats its dates from row to row.
    void dateText(double serial, std::string& out) const
    {
        if (serial != lastDateSerial_ || lastDateText_.empty()) {
            writeSpreadsheetDate(serial, from1904_, lastDateText_);
            lastDateSerial_ = serial;
        }
        out = lastDateText_;
    }

    QString path_;
    CellTextOptions options_;
    unzFile zip_ = nullptr;
    mutable double lastDateSerial_ = 0;
    mutable std::string lastDateText_;
    std::unique_ptr<XmlPull> sheet_;
    std::vector<std::string> sharedStrings_;  ///< in UTF-8
    QVector<bool> dateStyles_;  ///< by cell format (the "s" of a cell): shows a date
    bool from1904_ = false;
    int lastRow_ = 0;
    int used_ = 0;  ///< cells of the row being read
    int error_ = 0;
    std::string value_;   ///< the <v> of the cell being read
    std::string inline_;  ///< the text of its <is>
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

    bool nextRow(int& row, std::vector<std::string>& cells) override
    {
        const unsigned short columns = std::min<unsigned short>(columns_, maximumColumns);
        while (next_ < rows_) {
            const unsigned int at = next_++;
            cells.resize(columns);
            for (unsigned short column = 0; column < columns; ++column) {
                FreeXL_CellValue value;
                if (int status = freexl_get_cell_value(handle_, at, column, &value); status != FREEXL_OK) {
                    error_ = std::abs(status);
                    return false;
                }
                cellText(value, cells[column]);
            }
            while (!cells.empty() && cells.back().empty())
                cells.pop_back();
            if (cells.empty())
                continue;
            row = int(at) + 1;
            return true;
        }
        return false;
    }

    int error() const override { return error_; }

private:
    void cellText(const FreeXL_CellValue& value, std::string& out) const
    {
        switch (value.type) {
        case FREEXL_CELL_INT:
            out = std::to_string(value.value.int_value);
            return;
        case FREEXL_CELL_DOUBLE:
            writeSpreadsheetNumber(value.value.double_value, char(options_.decimalSeparator.unicode()), out);
            return;
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
        case FREEXL_CELL_TIME:
            out = value.value.text_value;
            return;
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: {
            const QDate date = QDate::fromString(QString::fromLatin1(value.value.text_value).left(10), u"yyyy-MM-dd"_s);
            out = date.isValid() ? date.toString(u"dd/MM/yyyy"_s).toStdString() : std::string(value.value.text_value);
            return;
        }
        default:
            out.clear();
            return;
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

bool SpreadsheetReader::nextRow(int& row, QStringList& cells)
{
    std::vector<std::string> texts;
    if (!nextRow(row, texts))
        return false;
    cells.clear();
    for (const std::string& text : texts)
        cells.append(QString::fromStdString(text));
    return true;
}

void writeSpreadsheetDate(double serial, bool from1904, std::string& out)
{
    // Day 60 of the 1900 system is a 29 February that never was: the epoch
    // that makes later serials right is 30 December 1899.
    const QDate epoch = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const QDate date = epoch.addDays(qint64(std::floor(serial)));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        out = date.toString(u"dd/MM/yyyy"_s).toStdString();
        return;
    }
    // Written digit by digit: a sheet has a date on every line.
    out.resize(10);
    out[0] = char('0' + date.day() / 10);
    out[1] = char('0' + date.day() % 10);
    out[2] = '/';
    out[3] = char('0' + date.month() / 10);
    out[4] = char('0' + date.month() % 10);
    out[5] = '/';
    for (int digit = 3, year = date.year(); digit >= 0; --digit, year /= 10)
        out[size_t(6 + digit)] = char('0' + year % 10);
}

void writeSpreadsheetNumber(double value, char decimalSeparator, std::string& out)
{
    char text[400];
    char* end = nullptr;
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        end = std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr;
    } else {
        const auto [stop, failure] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 10);
        if (failure != std::errc()) {
            out = QString::number(value, 'g', 17).toStdString();
            return;
        }
        end = stop;
        if (std::find(text, end, '.') != end) {
            while (end[-1] == '0')
                --end;
            if (end[-1] == '.')
                --end;
        }
    }
    std::replace(text, end, '.', decimalSeparator);
    out.assign(text, size_t(end - text));
}

QString spreadsheetDateText(double serial, bool from1904)
{
    std::string text;
    writeSpreadsheetDate(serial, from1904, text);
    return QString::fromStdString(text);
}

QString spreadsheetNumberText(double value, QChar decimalSeparator)
{
    std::string text;
    writeSpreadsheetNumber(value, char(decimalSeparator.unicode()), text);
    return QString::fromStdString(text);
}

SpreadsheetConversion convertSpreadsheetToText(const QString& sheet, const QString& text,
                                               const CellTextOptions& options,
                                               const std::function<void(int row)>& progress,
                                               const std::function<void(const QByteArray& lines)>& linesWritten)
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
    std::vector<size_t> taken;  // columns (from 0) whose first-row cell is not empty
    int row = 0;
    std::vector<std::string> cells;
    QByteArray pending;  // lines not written yet, a block at a time
    int written = 0;
    while (reader->nextRow(row, cells)) {
        if (row == 1) {
            for (size_t column = 0; column < cells.size(); ++column) {
                if (!QByteArrayView(cells[column].data(), qsizetype(cells[column].size())).trimmed().isEmpty())
                    taken.push_back(column);
            }
        }
        // Rows without cells between two rows become empty lines.
        for (; written < row - 1; ++written)
            pending += '\n';
        for (size_t at = 0; at < taken.size(); ++at) {
            if (at > 0)
                pending += ';';
            if (taken[at] >= cells.size())
                continue;
            // A cell's line breaks would split its line.
            const qsizetype start = pending.size();
            pending.append(cells[taken[at]].data(), qsizetype(cells[taken[at]].size()));
            char* text = pending.data();
            std::replace_if(text + start, text + pending.size(), [](char byte) { return byte == '\n' || byte == '\r'; },
                            ' ');
        }
        pending += '\n';
        written = row;
        if (pending.size() >= (1 << 16)) {
            out.write(pending);
            if (linesWritten)
                linesWritten(pending);
            pending = QByteArray();
            pending.reserve((1 << 16) + 1024);
        }
        if (progress)
            progress(row);
    }
    out.write(pending);
    if (linesWritten && !pending.isEmpty())
        linesWritten(pending);
    if (reader->error()) {
        result.errorNumber = reader->error();
        return result;
    }
    result.rows = written;
    if (!out.flush())
        result.errorNumber = partUnreadable;
    return result;
}
