#include "reports/basic_values_import.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/field_value.h"
#include "data/statement.h"
#include "data/lock_wait.h"
#include "data/parameters.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "reports/spreadsheet_reader.h"
#include "support/ui_port.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString group = u"Importa"_s;
constexpr int fieldCount = 9;
/// Longer lines are refused: no import line needs more.
constexpr qint64 longestLine = 64 * 1024;
/// Messages of the control pass shown to the person; the error file keeps all.
constexpr int shownErrors = 50;

// ---------------------------------------------------------------------------
// Reading the file line by line

/// A spreadsheet converted to "importa.txt" on a second thread: the
/// converter writes the text file as always and hands over each block of
/// whole lines it writes, so that the import reads a line soon after it is
/// converted instead of reading the file again once it is complete. Only a
/// few blocks wait at a time: memory stays flat for a sheet of any length.
class ConvertedLines {
public:
    ConvertedLines(const QString& sheet, const QString& text, const CellTextOptions& options)
        : worker_([this, sheet, text, options] {
              const SpreadsheetConversion conversion
                  = convertSpreadsheetToText(sheet, text, options, {}, [this](const QByteArray& lines) { put(lines); });
              const std::lock_guard lock(mutex_);
              conversion_ = conversion;
              finished_ = true;
              changed_.notify_all();
          })
    {
    }
    ~ConvertedLines() { stop(); }
    ConvertedLines(const ConvertedLines&) = delete;
    ConvertedLines& operator=(const ConvertedLines&) = delete;

    /// The next block of lines; false once the conversion has ended.
    bool next(QByteArray& lines)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !blocks_.empty() || finished_; });
        if (blocks_.empty())
            return false;
        lines = std::move(blocks_.front());
        blocks_.pop_front();
        changed_.notify_all();
        return true;
    }

    /// Waits for the converter to end, dropping the lines not read yet.
    void stop()
    {
        {
            const std::lock_guard lock(mutex_);
            abandoned_ = true;
            blocks_.clear();
            changed_.notify_all();
        }
        if (worker_.joinable())
            worker_.join();
    }

    /// How the conversion ended; known once next() returned false or after stop().
    SpreadsheetConversion conversion()
    {
        const std::lock_guard lock(mutex_);
        return conversion_;
    }

private:
    static constexpr size_t waitingBlocks = 8;

    void put(const QByteArray& lines)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return blocks_.size() < waitingBlocks || abandoned_; });
        if (abandoned_)
            return;
        blocks_.push_back(lines);
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QByteArray> blocks_;
    bool finished_ = false;
    bool abandoned_ = false;  ///< the import stopped reading: the converter only writes the file
    SpreadsheetConversion conversion_;
    std::thread worker_;  ///< last: it starts once the members above are made
};

/// The lines of a text file, or of a spreadsheet being converted, one at a
/// time: UTF-8 or, when a line is not UTF-8, Latin-1; line ends of any
/// system; over-long lines flagged. Every line is read into the same buffer
/// and the same text, so that a file of any length is read without an
/// allocation per line.
class LineSource {
public:
    explicit LineSource(const QString& path, ConvertedLines* converted = nullptr) : file_(path), converted_(converted) {}
    bool open()
    {
        if (converted_)
            return true;
        buffer_.resize(longestLine + 3);
        return file_.open(QIODevice::ReadOnly);
    }
    QString errorString() const { return file_.errorString(); }

    /// The next line; false at the end of the file.
    bool next(QString& line, bool& tooLong)
    {
        if (converted_)
            return nextConverted(line, tooLong);
        if (file_.atEnd())
            return false;
        qint64 size = file_.readLine(buffer_.data(), buffer_.size());
        if (size < 0)
            return false;
        ++number_;
        if (!endsLine(size)) {
            // The rest of the line is passed over, a chunk at a time.
            while (!endsLine(file_.readLine(buffer_.data(), buffer_.size()))) {
            }
            tooLong = true;
            line.clear();
            return true;
        }
        take(QByteArrayView(buffer_.constData(), size), line, tooLong);
        return true;
    }
    int number() const { return number_; }

private:
    bool nextConverted(QString& line, bool& tooLong)
    {
        while (at_ >= block_.size()) {
            if (!converted_->next(block_))
                return false;
            at_ = 0;
        }
        // A block holds whole lines.
        const qsizetype end = block_.indexOf('\n', at_);
        const qsizetype stop = end < 0 ? block_.size() : end;
        ++number_;
        take(QByteArrayView(block_.constData() + at_, stop - at_), line, tooLong);
        at_ = stop + 1;
        return true;
    }

    /// The line `bytes` (its line end included or not) into `line`.
    void take(QByteArrayView bytes, QString& line, bool& tooLong) const
    {
        qsizetype size = bytes.size();
        while (size > 0 && (bytes[size - 1] == '\n' || bytes[size - 1] == '\r'))
            --size;
        const char* start = bytes.data();
        if (number_ == 1 && size >= 3 && QByteArrayView(start, 3) == "\xEF\xBB\xBF") {
            start += 3;
            size -= 3;
        }
        tooLong = size > longestLine;
        if (tooLong)
            line.clear();
        else
            decode(QByteArrayView(start, size), line);
    }

    /// Whether the `size` bytes just read end their line (or the file).
    bool endsLine(qint64 size) const { return size <= 0 || buffer_[size - 1] == '\n' || file_.atEnd(); }

    /// `bytes` into `line`, reusing its storage: plain ASCII is widened in
    /// place; anything else is read as UTF-8, or as Latin-1 when it is not.
    static void decode(QByteArrayView bytes, QString& line)
    {
        line.resize(bytes.size());
        char16_t* out = reinterpret_cast<char16_t*>(line.data());
        for (qsizetype at = 0; at < bytes.size(); ++at) {
            const uchar byte = uchar(bytes[at]);
            if (byte >= 0x80) {
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                line = utf8(bytes);
                if (utf8.hasError())
                    line = QString::fromLatin1(bytes);
                return;
            }
            out[at] = byte;
        }
    }

    QFile file_;
    QByteArray buffer_;
    int number_ = 0;
    ConvertedLines* converted_ = nullptr;
    QByteArray block_;  ///< the converted lines being read
    qsizetype at_ = 0;  ///< where the next of them starts
};

// ---------------------------------------------------------------------------
// One data line

/// A data line read; its texts are views into the line's text, valid while
/// that text is.
struct ImportLine {
    int number = 0;
    int basic = 0;
    QStringView description;
    int position = 0;
    QStringView costCentre;
    QStringView reference;
    QStringView classifier;
    double amount = 0;
    double previousAmount = 0;
    QDate validFrom;  ///< invalid: none given
};

const QStringList& titles()
{
    static const QStringList expected = {u"COD BASICO"_s, u"DESC BASICO"_s, u"CARGO"_s, u"CCOSTOS"_s, u"REF"_s,
                                         u"CLASIF"_s,     u"VALOR"_s,       u"VALOR ANT"_s, u"VIGENCIA"_s};
    return expected;
}

const QStringList& titleMessages()
{
    static const QStringList messages = {
        u"Titulo de la columna 1 debe ser -Cod basico-"_s, u"Titulo de la columna 2 debe ser -Desc basico-"_s,
        u"Titulo de la columna 3 debe ser -Cargo-"_s,      u"Titulo de la columna 4 debe ser -CCostos-"_s,
        u"Titulo de la columna 5 debe ser -Ref-"_s,        u"Titulo de la columna 6 debe ser -Clasif-"_s,
        u"Titulo de la columna 7 debe ser -Valor-"_s,      u"Titulo de la columna 8 debe ser -Valor ant-"_s,
        u"Titulo de la columna 9 debe ser -Vigencia-"_s,
    };
    return messages;
}

bool isBlank(const QString& line)
{
    return QStringView(line).trimmed().isEmpty();
}

/// The fields of a line, split at the separator once, as views into it.
struct LineFields {
    std::array<QStringView, fieldCount> at;
    qsizetype count = 0;  ///< fields the line has, more than `at` holds too
};

LineFields splitLine(QStringView line, QChar separator)
{
    LineFields fields;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = line.indexOf(separator, start);
        if (fields.count < fieldCount)
            fields.at[size_t(fields.count)] = line.mid(start, end < 0 ? -1 : end - start);
        ++fields.count;
        if (end < 0)
            return fields;
        start = end + 1;
    }
}

/// A whole number of at most `digits` digits; false for anything else.
bool parseWhole(QStringView text, int digits, int& number)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > digits)
        return false;
    number = 0;
    for (QChar character : trimmed) {
        if (character.unicode() < u'0' || character.unicode() > u'9')
            return false;
        number = number * 10 + (character.unicode() - u'0');
    }
    return true;
}

/// A number written with `decimal` as its only separator: an optional
/// sign, digits, and at most one decimal mark. Empty is zero.
bool parseAmount(QStringView text, QChar decimal, double& amount)
{
    const QStringView trimmed = text.trimmed();
    amount = 0;
    if (trimmed.isEmpty())
        return true;
    // Checked character by character into a plain buffer, read with
    // from_chars: no allocation on a path taken for every amount of a file.
    char buffer[32];
    int marks = 0;
    int digits = 0;
    if (trimmed.size() >= qsizetype(sizeof buffer))
        return false;
    for (qsizetype at = 0; at < trimmed.size(); ++at) {
        const QChar character = trimmed.at(at);
        if (character.isDigit() && character.unicode() < 0x80) {
            ++digits;
            buffer[at] = char(character.unicode());
        } else if (character == decimal) {
            ++marks;
            buffer[at] = '.';
        } else if (at == 0 && character == u'-') {
            buffer[at] = '-';
        } else {
            return false;
        }
    }
    if (digits == 0 || marks > 1 || digits > 15)
        return false;
    const char* end = buffer + trimmed.size();
    const auto [stop, failure] = std::from_chars(buffer, end, amount);
    return failure == std::errc() && stop == end;
}

/// "dd/mm/yy" or "dd/mm/yyyy" (a day or month of one digit too); empty is none.
bool parseDate(QStringView text, QDate& date)
{
    const QStringView trimmed = text.trimmed();
    date = QDate();
    if (trimmed.isEmpty())
        return true;
    const qsizetype first = trimmed.indexOf(u'/');
    const qsizetype second = first < 0 ? -1 : trimmed.indexOf(u'/', first + 1);
    if (second < 0 || trimmed.indexOf(u'/', second + 1) >= 0)
        return false;
    const QStringView yearText = trimmed.mid(second + 1).trimmed();
    int day = 0;
    int month = 0;
    int year = 0;
    if (!parseWhole(trimmed.first(first), 2, day) || !parseWhole(trimmed.mid(first + 1, second - first - 1), 2, month)
        || (yearText.size() != 2 && yearText.size() != 4) || !parseWhole(yearText, 4, year))
        return false;
    if (yearText.size() == 2)
        year += year < 30 ? 2000 : 1900;  // two-digit years as the date pictures read them
    date = QDate(year, month, day);
    return date.isValid();
}

// ---------------------------------------------------------------------------
// The control pass

/// Bound existence lookups, each code sought once.
class ExistenceCache {
public:
    ExistenceCache(Database& database, const QString& table, const QString& index)
        : database_(database), table_(table), index_(index)
    {
    }

    bool exists(const QVariant& code)
    {
        // Neighbouring lines mostly name the same code.
        if (code == lastCode_)
            return lastFound_;
        lastCode_ = code;
        lastFound_ = lookUp(code);
        return lastFound_;
    }
    /// The same for a number code, without making its text each time: the
    /// positions of a file change from line to line.
    bool exists(int code)
    {
        if (auto found = knownNumbers_.constFind(code); found != knownNumbers_.cend())
            return *found;
        const bool found = exists(QVariant(code));
        knownNumbers_.insert(code, found);
        return found;
    }

private:
    bool lookUp(const QVariant& code)
    {
        const QString key = code.toString();
        if (auto found = known_.constFind(key); found != known_.cend())
            return *found;
        if (!cursor_) {
            cursor_ = std::make_unique<TableCursor>(database_);
            if (cursor_->open(table_, Access::ReadOnly) || cursor_->setIndex(index_))
                return false;
        }
        const bool found = !cursor_->seek(Comparison::Equal, {code}) && !cursor_->noMatch() && cursor_->hasCurrent();
        database_.idleFreeLocks();
        known_.insert(key, found);
        return found;
    }

    Database& database_;
    QString table_;
    QString index_;
    std::unique_ptr<TableCursor> cursor_;
    QHash<QString, bool> known_;
    QHash<int, bool> knownNumbers_;
    QVariant lastCode_;
    bool lastFound_ = false;
};

/// The bound form of a text field of the lines, made again only when a
/// line's text differs from the line before's: neighbouring lines mostly
/// repeat their codes and classifier. An empty text is bound as an empty
/// text, never as Null, so that the key of a value compares as stored.
class RepeatedText {
public:
    const QVariant& operator()(QStringView text)
    {
        if (!made_ || text != current_) {
            current_ = text.isEmpty() ? u""_s : text.toString();
            bound_ = current_;
            utf8_ = current_.toUtf8();
            made_ = true;
        }
        return bound_;
    }
    /// The same text in UTF-8, as a statement binds it cheapest.
    QByteArrayView utf8(QStringView text)
    {
        operator()(text);
        return utf8_;
    }

private:
    QString current_;
    QVariant bound_;
    QByteArray utf8_;
    bool made_ = false;
};

/// A date in its stored form and, when that is a text, in UTF-8 too.
struct StoredDate {
    QVariant value;
    QByteArray utf8;  ///< null when the stored form is not a text
};

/// The import pass's prepared statements, each run once per line at most.
struct ImportStatements {
    std::unique_ptr<Statement> findBasic;
    std::unique_ptr<Statement> addBasic;
    /// Whether a basic has any value stored.
    std::unique_ptr<Statement> findAnyValue;
    std::unique_ptr<Statement> findValue;
    std::unique_ptr<Statement> addValue;
    /// Adds a value unless one with its key is there (an earlier line of
    /// the file added it): the one statement a line of a new basic costs.
    std::unique_ptr<Statement> addNewValue;
};

/// What the import knows of a basic once its first line is seen.
enum class BasicState {
    /// Values were stored before the import: each line's value is looked
    /// for, and compared, before it is written.
    HadValues,
    /// No value was stored: a line's value is added at once, and only a key
    /// an earlier line of the file added is looked for.
    HadNoValues,
};

class ImportRun {
public:
    ImportRun(Database& database, UiPort& ui, const BasicImportOptions& options)
        : database_(database), ui_(ui), options_(options),
          positions_(database, u"CARGOS"_s, u"ICARGOS"_s),
          costCentres_(database, u"CENTROCO"_s, u"ICENTROC"_s),
          references_(database, u"REFAUXIL"_s, u"IREFAUXI"_s)
    {
    }

    BasicImportResult run(const QString& file);

private:
    void fault(const QString& message)
    {
        result_.errors << message;
        errors_.write(message.toUtf8());
        errors_.write("\r\n");
    }
    void lineFault(int line, const QString& message) { fault(u"Linea "_s + QString::number(line) + u": "_s + message); }
    void progress(const QString& text, int line, int panel = 1)
    {
        if (line % std::max(1, options_.progressEvery) != 0)
            return;
        ui_.statusText(panel, text + QString::number(line));
        ui_.processEvents();
    }

    /// How the pass over the file ended.
    enum class PassEnd {
        Unreadable,   ///< the file or the tables could not be opened (told already)
        Faults,       ///< the control found faults: nothing is kept
        WriteFailed,  ///< a write failed (told already): nothing is kept
        ConversionFailed,  ///< the spreadsheet could not be read (told already): nothing is kept
        Done,         ///< every line checked and written, or weighed on a dry run
    };

    /// Starts converting the spreadsheet `file` to "importa.txt" in the
    /// work folder, whose lines the pass reads as they are converted.
    std::unique_ptr<ConvertedLines> convert(const QString& file, QString& text);
    /// Reads the file (or the lines converted from a spreadsheet) once:
    /// each line is checked and, while no line has shown a fault, written,
    /// all in one database transaction that is committed only when the
    /// whole file passed.
    PassEnd pass(const QString& file, ConvertedLines* converted);
    ImportStatements prepareStatements();
    void checkTitles(const QString& text, int number);
    /// Reads and checks one data line: each fault goes to the error file,
    /// the codes are looked up.
    bool readLine(const QString& text, int number, ImportLine& line);
    bool importLine(const ImportLine& line, ImportStatements& statements, TableCursor& values,
                    QHash<int, BasicState>& basics, QSet<QString>& dryRunKeys, DbError& error);
    /// The basic of `line` the first time it is seen: added when missing,
    /// and whether it had values.
    bool knowBasic(const ImportLine& line, ImportStatements& statements, QHash<int, BasicState>& basics,
                   ImportLineReport& report, DbError& error);
    /// Binds the nine fields of the value of `line`.
    void bindValue(Statement& statement, const ImportLine& line, const StoredDate& validFrom);
    /// A line's effect is kept for the dry run's report only: an import of
    /// any length keeps its counts and nothing per line.
    void keep(const ImportLineReport& report)
    {
        if (options_.dryRun)
            result_.lines << report;
    }
    /// `date` in its stored form, made once per date: a file holds few.
    const StoredDate& storedDate(const QDate& date)
    {
        auto found = storedDates_.find(date);
        if (found == storedDates_.end()) {
            StoredDate stored{toStorage(FieldType::Date, date, database_.backend()), {}};
            if (stored.value.typeId() == QMetaType::QString)
                stored.utf8 = stored.value.toString().toUtf8();
            found = storedDates_.insert(date, stored);
        }
        return *found;
    }
    void tellFailure(const QString& text)
    {
        result_.failure = text;
        ui_.message(text, MessageIcon::Exclamation);
    }

    Database& database_;
    UiPort& ui_;
    BasicImportOptions options_;
    QChar fieldSeparator_;
    QChar decimalSeparator_;
    ExistenceCache positions_;
    ExistenceCache costCentres_;
    ExistenceCache references_;
    QFile errors_;
    BasicImportResult result_;
    QHash<QDate, StoredDate> storedDates_;
    RepeatedText boundCostCentre_;
    RepeatedText boundReference_;
    RepeatedText boundClassifier_;
};

std::unique_ptr<ConvertedLines> ImportRun::convert(const QString& file, QString& text)
{
    ui_.statusText(1, u"Convirtiendo planilla a txt..."_s);
    const QString folder = options_.workFolder.isEmpty() ? QDir::tempPath() : options_.workFolder;
    text = QDir(folder).filePath(u"importa.txt"_s);
    return std::make_unique<ConvertedLines>(file, text, CellTextOptions{decimalSeparator_});
}

bool ImportRun::readLine(const QString& text, int number, ImportLine& line)
{
    const LineFields fields = splitLine(text, fieldSeparator_);
    const auto refuse = [&](const QString& message) {
        lineFault(number, message);
        return false;
    };
    line = {};
    line.number = number;
    if (fields.count != fieldCount) {
        return refuse(u"tiene "_s + QString::number(fields.count) + u" campos y debe tener "_s
                      + QString::number(fieldCount) + u" separados por \""_s + fieldSeparator_ + u"\""_s);
    }
    bool passed = true;
    const auto fail = [&](const QString& message) { passed = refuse(message) && passed; };
    const auto field = [&](int column) { return fields.at[size_t(column)].trimmed(); };
    const QStringView code = field(0);
    if (code.isEmpty())
        fail(u"Debe indicar un código de básico"_s);
    else if (!parseWhole(code, 4, line.basic) || line.basic == 0)
        fail(u"El código de básico "_s + code.toString() + u" no es un número de 1 a 9999"_s);
    line.description = field(1);
    if (line.description.size() > 50)
        fail(u"La descripción del básico tiene más de 50 caracteres"_s);
    const QStringView position = field(2);
    if (!position.isEmpty() && (!parseWhole(position, 4, line.position) || !positions_.exists(line.position)))
        fail(u"El cargo "_s + position.toString() + u" no existe"_s);
    line.costCentre = field(3);
    if (!line.costCentre.isEmpty()
        && (line.costCentre.size() > 12 || !costCentres_.exists(line.costCentre.toString())))
        fail(u"El centro de costo "_s + line.costCentre.toString() + u" no existe"_s);
    line.reference = field(4);
    if (!line.reference.isEmpty()
        && (line.reference.size() > 15 || !references_.exists(line.reference.toString())))
        fail(u"la referencia "_s + line.reference.toString() + u" no existe"_s);
    line.classifier = field(5);
    if (line.classifier.size() > 20)
        fail(u"El clasificador tiene más de 20 caracteres"_s);
    const QChar decimal = decimalSeparator_;
    if (!parseAmount(field(6), decimal, line.amount))
        fail(u"El valor "_s + field(6).toString() + u" no es un número con separador decimal \""_s + decimal + u"\""_s);
    if (!parseAmount(field(7), decimal, line.previousAmount)) {
        fail(u"El valor anterior "_s + field(7).toString() + u" no es un número con separador decimal \""_s + decimal
             + u"\""_s);
    }
    if (!parseDate(field(8), line.validFrom))
        fail(u"La fecha de vigencia "_s + field(8).toString() + u" no es una fecha válida (dd/mm/aa)"_s);
    return passed;
}

bool ImportRun::knowBasic(const ImportLine& line, ImportStatements& statements, QHash<int, BasicState>& basics,
                          ImportLineReport& report, DbError& error)
{
    Statement& find = *statements.findBasic;
    find.addBindValue(line.basic);
    if (!find.exec()) {
        error = find.failure(u"No se pudo leer BASICOS"_s);
        return false;
    }
    const bool exists = find.next();
    find.finish();
    if (!exists) {
        report.basicAdded = true;
        ++result_.basicsAdded;
        if (!options_.dryRun) {
            Statement& add = *statements.addBasic;
            add.addBindValue(line.basic);
            add.addBindValue(line.description.toString());
            if (!add.exec()) {
                error = add.failure(u"No se pudo agregar el básico"_s);
                return false;
            }
        }
    }
    // Values of a basic without its row (left by an older program) count too.
    Statement& anyValue = *statements.findAnyValue;
    anyValue.addBindValue(line.basic);
    if (!anyValue.exec()) {
        error = anyValue.failure(u"No se pudo leer BASICOS1"_s);
        return false;
    }
    basics.insert(line.basic, anyValue.next() ? BasicState::HadValues : BasicState::HadNoValues);
    anyValue.finish();
    return true;
}

void ImportRun::bindValue(Statement& statement, const ImportLine& line, const StoredDate& validFrom)
{
    // The texts go in UTF-8: binding them as QStrings cost a conversion each,
    // four per line.
    statement.addBindValue(line.basic);
    statement.addBindValue(line.position);
    statement.addBindText(boundCostCentre_.utf8(line.costCentre));
    statement.addBindText(boundReference_.utf8(line.reference));
    statement.addBindText(boundClassifier_.utf8(line.classifier));
    statement.addBindValue(line.amount);
    statement.addBindValue(line.previousAmount);
    if (validFrom.utf8.isNull())
        statement.addBindValue(validFrom.value);
    else
        statement.addBindText(validFrom.utf8);
}

bool ImportRun::importLine(const ImportLine& line, ImportStatements& statements, TableCursor& values,
                           QHash<int, BasicState>& basics, QSet<QString>& dryRunKeys, DbError& error)
{
    ImportLineReport report;
    report.line = line.number;
    report.basic = line.basic;
    auto known = basics.constFind(line.basic);
    if (known == basics.cend()) {
        if (!knowBasic(line, statements, basics, report, error))
            return false;
        known = basics.constFind(line.basic);
    }
    const QDate validFrom = line.validFrom.isValid() ? line.validFrom : emptyDate().date();
    if (*known == BasicState::HadNoValues && !options_.dryRun) {
        Statement& add = *statements.addNewValue;
        bindValue(add, line, storedDate(validFrom));
        if (!add.exec()) {
            error = add.failure(u"No se pudo agregar el valor"_s);
            return false;
        }
        if (add.rowsAffected() > 0) {
            report.effect = ImportLineEffect::Added;
            ++result_.added;
            return true;
        }
    }

    // The value is looked for with one prepared select; only a value that
    // changes is locked and written through a cursor.
    const QVariantList key{line.basic, line.position, boundCostCentre_(line.costCentre), boundReference_(line.reference)};
    Statement& find = *statements.findValue;
    for (const QVariant& part : key)
        find.addBindValue(part);
    if (!find.exec()) {
        error = find.failure(u"No se pudo leer BASICOS1"_s);
        return false;
    }
    bool found = find.next();
    bool same = true;
    if (found) {
        QVariant classifier;
        QVariant amount;
        QVariant previous;
        QVariant date;
        find.readField(0, FieldType::Text, classifier);
        find.readField(1, FieldType::Double, amount);
        find.readField(2, FieldType::Double, previous);
        // The date as stored is compared first: reading it as a date costs
        // a time-zone lookup per line.
        const bool sameDate = find.value(3) == storedDate(validFrom).value
                              || (find.readField(3, FieldType::Date, date), date.toDateTime().date() == validFrom);
        same = classifier.toString().trimmed() == line.classifier && amount.toDouble() == line.amount
               && previous.toDouble() == line.previousAmount && sameDate;
    }
    find.finish();
    const QString dryKey = QStringLiteral("%1\t%2\t%3\t%4").arg(line.basic).arg(line.position).arg(line.costCentre,
                                                                                                 line.reference);
    if (!found && options_.dryRun && dryRunKeys.contains(dryKey))
        found = true;  // an earlier line of the file adds it
    if (!found) {
        report.effect = ImportLineEffect::Added;
        ++result_.added;
        keep(report);
        if (options_.dryRun) {
            dryRunKeys.insert(dryKey);
            return true;
        }
        Statement& add = *statements.addValue;
        bindValue(add, line, storedDate(validFrom));
        if (!add.exec()) {
            error = add.failure(u"No se pudo agregar el valor"_s);
            return false;
        }
        return true;
    }
    report.effect = same ? ImportLineEffect::Unchanged : ImportLineEffect::Changed;
    ++(same ? result_.unchanged : result_.changed);
    keep(report);
    if (same || options_.dryRun)
        return true;
    error = values.seek(Comparison::Equal, key);
    if (!error && (values.noMatch() || !values.hasCurrent()))
        error = DbError::make(DbErrorNumber::NoCurrentRecord, u"No se encontro el registro"_s);
    if (!error)
        editWaitingForLock(values, ui_, &error);
    if (!error)
        error = values.setValue(u"BasClasif"_s, line.classifier.toString());
    if (!error)
        error = values.setValue(u"BasImp"_s, line.amount);
    if (!error)
        error = values.setValue(u"BasImpAnt"_s, line.previousAmount);
    if (!error)
        error = values.setValue(u"BasVigenci"_s, validFrom);
    if (!error)
        error = values.update();
    if (error)
        values.cancelUpdate();
    return !error;
}

ImportStatements ImportRun::prepareStatements()
{
    const auto prepared = [&](const QString& text) {
        return std::make_unique<Statement>(database_, translateJetSql(text, database_.backend()));
    };
    ImportStatements statements;
    statements.findBasic = prepared(u"SELECT BasId FROM BASICOS WHERE BasId = ?"_s);
    statements.addBasic = prepared(u"INSERT INTO BASICOS (BasId, BasDesc) VALUES (?, ?)"_s);
    // A blank code stored as Null by an older program is the same value as
    // an empty one: the value is found, never added a second time.
    statements.findValue = prepared(u"SELECT BasClasif, BasImp, BasImpAnt, BasVigenci FROM BASICOS1 "
                                    "WHERE BasId = ? AND CarId = ? AND COALESCE(CCId, '') = ? "
                                    "AND COALESCE(RefAuxId, '') = ?"_s);
    statements.findAnyValue = prepared(u"SELECT BasId FROM BASICOS1 WHERE BasId = ?"_s);
    const QString addValue = u"INSERT INTO BASICOS1 (BasId, CarId, CCId, RefAuxId, BasClasif, BasImp, BasImpAnt, "
                             "BasVigenci) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s;
    statements.addValue = prepared(addValue);
    statements.addNewValue = prepared(addValue + u" ON CONFLICT DO NOTHING"_s);
    return statements;
}

void ImportRun::checkTitles(const QString& text, int number)
{
    const LineFields found = splitLine(text, fieldSeparator_);
    for (int column = 0; column < fieldCount; ++column) {
        const QStringView title = column < found.count ? found.at[size_t(column)].trimmed() : QStringView();
        if (title.compare(titles().at(column), Qt::CaseInsensitive) != 0)
            fault(titleMessages().at(column));
    }
    if (found.count > fieldCount)
        lineFault(number, u"la línea de títulos tiene más de 9 columnas"_s);
}

ImportRun::PassEnd ImportRun::pass(const QString& file, ConvertedLines* converted)
{
    ui_.statusText(1, u"Controlando archivo..."_s);
    LineSource source(file, converted);
    if (!source.open()) {
        tellFailure(u"No se puede abrir el archivo "_s + QDir::toNativeSeparators(file) + u": "_s + source.errorString());
        return PassEnd::Unreadable;
    }
    ImportStatements statements = prepareStatements();
    TableCursor values(database_);
    DbError error = values.open(u"BASICOS1"_s, options_.dryRun ? Access::ReadOnly : Access::ReadWrite);
    if (!error)
        error = values.setIndex(u"IBASICO"_s);
    if (!error && !options_.dryRun)
        error = database_.beginTransaction();
    if (error) {
        tellFailure(u"No se pudo importar: "_s + error.fullText());
        return PassEnd::Unreadable;
    }
    // Each line is controlled and imported as it is read.
    ui_.statusText(1, u"Importando archivo..."_s);
    QHash<int, BasicState> basics;
    QSet<QString> dryRunKeys;
    QString text;
    bool tooLong = false;
    bool title = true;
    int dataLines = 0;
    int failedLine = 0;
    while (source.next(text, tooLong)) {
        const int number = source.number();
        if (tooLong) {
            lineFault(number, u"la línea tiene más de "_s + QString::number(longestLine) + u" caracteres"_s);
            title = false;
            continue;
        }
        if (title) {
            title = false;
            checkTitles(text, number);
            continue;
        }
        if (isBlank(text))
            continue;
        ++dataLines;
        // Every line is checked; lines are written only while the file has
        // shown no fault and no write has failed.
        ImportLine line;
        if (readLine(text, number, line) && result_.errors.isEmpty() && !error) {
            importLine(line, statements, values, basics, dryRunKeys, error);
            if (error) {
                failedLine = number;
                // A server refuses every statement of a failed transaction,
                // the look-ups of the lines still to check among them.
                if (!options_.dryRun)
                    database_.rollback();
            }
        }
        // A spreadsheet is converted while it is imported: its rows reach
        // the import as they are converted, so the conversion's progress goes
        // in the second panel beside the import's.
        if (converted)
            progress(u"Convirtiendo desde Excel fila "_s, number, 2);
        progress(u"Importando fila "_s, number);
    }
    if (const SpreadsheetConversion conversion = converted ? converted->conversion() : SpreadsheetConversion();
        !conversion.ok()) {
        // A sheet that cannot be read all through is not imported, and the
        // lines read before say nothing of it.
        if (!options_.dryRun)
            database_.rollback();
        const QString errorFile = result_.errorFile;
        result_ = {};
        result_.errorFile = errorFile;
        errors_.resize(0);
        tellFailure(u"Error al abrir la planilla Excel (Error = "_s + QString::number(conversion.errorNumber) + u")"_s);
        return PassEnd::ConversionFailed;
    }
    if (source.number() == 0)
        fault(u"El archivo está vacío"_s);
    else if (dataLines == 0 && result_.errors.isEmpty())
        fault(u"El archivo no tiene líneas de datos: solo la línea de títulos"_s);

    PassEnd end = !result_.errors.isEmpty() ? PassEnd::Faults : error ? PassEnd::WriteFailed : PassEnd::Done;
    if (options_.dryRun) {
        database_.idleFreeLocks();
    } else if (end == PassEnd::Done) {
        error = database_.commit();
        if (error)
            end = PassEnd::WriteFailed;
    }
    if (end != PassEnd::Done) {
        if (!options_.dryRun)
            database_.rollback();
        result_.added = result_.changed = result_.unchanged = result_.basicsAdded = 0;
        result_.lines.clear();
    }
    if (end == PassEnd::WriteFailed) {
        const QString where = failedLine ? u"Linea "_s + QString::number(failedLine) + u": "_s : QString();
        tellFailure(where + (error.number == DbErrorNumber::DuplicateKey ? u"Ya existe el registro"_s : error.fullText())
                    + u"\nLa importación no se realizó: las tablas quedaron como estaban."_s);
    }
    if (end == PassEnd::Done && !options_.dryRun)
        markSynchronisedChange(database_, ui_);
    return end;
}

BasicImportResult ImportRun::run(const QString& file)
{
    fieldSeparator_ = options_.separators.field.isEmpty() ? u';' : options_.separators.field.at(0);
    decimalSeparator_ = options_.separators.decimal.isEmpty() ? u',' : options_.separators.decimal.at(0);
    const QFileInfo info(file);
    const QString errorFolder = options_.errorFolder.isEmpty() ? info.absolutePath() : options_.errorFolder;
    result_.errorFile = QDir(errorFolder).filePath(u"errImpBas.txt"_s);
    errors_.setFileName(result_.errorFile);
    if (!errors_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        tellFailure(u"No se puede escribir el archivo "_s + QDir::toNativeSeparators(result_.errorFile));
        return result_;
    }
    if (!info.exists()) {
        tellFailure(u"No existe el archivo "_s + QDir::toNativeSeparators(file));
        return result_;
    }

    QString text = file;
    std::unique_ptr<ConvertedLines> converted;
    if (isSpreadsheetFile(file)) {
        converted = convert(file, text);
        fieldSeparator_ = u';';  // the converted file joins its cells with ";"
    }
    const PassEnd end = pass(text, converted.get());
    if (converted)
        ui_.statusText(2, QString());
    converted.reset();
    errors_.close();
    ui_.statusText(1, QString());
    if (end == PassEnd::Faults) {
        QStringList shown = result_.errors.mid(0, shownErrors);
        if (result_.errors.size() > shownErrors)
            shown << u"... ("_s + QString::number(result_.errors.size() - shownErrors) + u" más en errImpBas.txt)"_s;
        ui_.message(u"Mensajes de la importación\n"_s + shown.join(u'\n'), MessageIcon::Exclamation);
        ui_.message(u"Debido a los errores la importación no se realizará"_s, MessageIcon::Exclamation);
        return result_;
    }
    result_.imported = end == PassEnd::Done;
    if (result_.imported && !options_.dryRun)
        ui_.message(u"La importación se realizó correctamente"_s, MessageIcon::Information);
    return result_;
}

}  // namespace

ImportSeparators readImportSeparators(Database& database)
{
    ImportSeparators separators;
    PPARLC(database, group, u"SepCampo"_s, 0, separators.field);
    PPARLC(database, group, u"SepDeci"_s, 0, separators.decimal);
    separators.field = separators.field.trimmed().left(1);
    separators.decimal = separators.decimal.trimmed().left(1);
    return separators;
}

void WPREFIMP::start()
{
    separators_ = readImportSeparators(database_);
}

void WPREFIMP::pressCsv()
{
    if (separators_.field == u";" && separators_.decimal == u",") {
        ui_.message(u"Separadores ya corresponden a CSV"_s, MessageIcon::Information);
        return;
    }
    separators_ = {u";"_s, u","_s};
}

bool WPREFIMP::confirm()
{
    if (separators_.field.trimmed().isEmpty()) {
        ui_.message(u"No indicó separador de campo"_s, MessageIcon::Exclamation);
        return false;
    }
    if (separators_.decimal.trimmed().isEmpty()) {
        ui_.message(u"No indicó separador decimal"_s, MessageIcon::Exclamation);
        return false;
    }
    if (separators_.field == separators_.decimal) {
        ui_.message(u"Separador decimal y de campo iguales"_s, MessageIcon::Exclamation);
        return false;
    }
    if (DbError error = PPARGC(database_, ui_, group, u"SepCampo"_s, 0, separators_.field)) {
        ui_.message(error.textWithDetails(), MessageIcon::Exclamation);
        return false;
    }
    if (DbError error = PPARGC(database_, ui_, group, u"SepDeci"_s, 0, separators_.decimal)) {
        ui_.message(error.textWithDetails(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

BasicImportResult PIMPBASI(Database& database, UiPort& ui, const QString& file, const BasicImportOptions& options)
{
    WaitScope wait(ui);
    ImportRun run(database, ui, options);
    return run.run(file);
}

bool WIMPBASI::start()
{
    separators_ = readImportSeparators(database_);
    if (separators_.complete())
        return true;
    ui_.message(u"Falta cargar las preferencias"_s, MessageIcon::Exclamation);
    return false;
}

bool WIMPBASI::importFile()
{
    if (!separators_.complete() && !start())
        return false;
    QString folder;
    PPARLC(database_, u"Carpeta"_s, u"ImportaBas"_s, 0, folder);
    const QString file = ui_.pickFile({u"Seleccione archivo para importar"_s, folder.trimmed(),
                                       u"Planillas (*.xls *.xlsx);;Texto (*.txt *.csv)"_s, false});
    if (file.isEmpty())
        return false;
    PPARGC(database_, ui_, u"Carpeta"_s, u"ImportaBas"_s, 0, QFileInfo(file).absolutePath());
    BasicImportOptions options;
    options.separators = separators_;
    result_ = PIMPBASI(database_, ui_, file, options);
    return result_.imported;
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"PIMPBASI"_s, ObjectKind::Procedure, u"Importación de básicos"_s);
    ObjectRegistry::addEntry(u"PCONVXLS"_s, ObjectKind::Procedure, u"Convierte una planilla a texto"_s);
    return true;
}();
}  // namespace
