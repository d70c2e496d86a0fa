#include "data/cursor.h"

#include "data/database.h"
#include "data/field_value.h"
#include "data/record_locks.h"
#include "data/schema_sql.h"
#include "data/statement.h"

#include <QRegularExpression>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

QString noCurrentRecordText() { return QStringLiteral("No hay registro actual"); }

QString joined(const QStringList& parts, const QString& separator)
{
    return parts.join(separator);
}

QString placeholders(int count)
{
    QStringList marks;
    for (int index = 0; index < count; ++index)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

QString comparisonOperator(Comparison comparison)
{
    switch (comparison) {
    case Comparison::Equal:
        return QStringLiteral("=");
    case Comparison::GreaterOrEqual:
        return QStringLiteral(">=");
    case Comparison::Greater:
        return QStringLiteral(">");
    case Comparison::LessOrEqual:
        return QStringLiteral("<=");
    case Comparison::Less:
        return QStringLiteral("<");
    }
    return QStringLiteral("=");
}

/// The clause that makes an insert return the new row's identity; empty where
/// the driver reports it by itself (SQLite's last insert rowid).
QString returningRowId(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return {};
    case Backend::Postgres:
        return QStringLiteral(" RETURNING ") + rowIdColumn(backend);
    }
    return {};
}

bool searchesBackwards(Comparison comparison)
{
    return comparison == Comparison::Less || comparison == Comparison::LessOrEqual;
}

// On PostgreSQL a scan reads windows of rows, each in one round trip and
// whole, so that the connection stays free for other statements; the cursor
// converts a row when its moves reach it. The first window of a scan covers
// a page of a panel or listing, each next one is twice the last. A window
// left early costs its unread rows, which the server has sent already. Like
// a held select on SQLite, a window ends when the connection runs another
// statement, a transaction begins or ends, or on idle; the scan then goes on
// from its current key reading ahead.
constexpr int firstHeldWindow = 128;
constexpr int largestHeldWindow = 2048;

/// The limit of the next held select: none on SQLite, where the select
/// stays open; on PostgreSQL the first window of a scan, or twice `window`.
int nextHeldLimit(Backend backend, int& window, bool scanStarts)
{
    if (backend == Backend::Sqlite)
        return -1;
    window = scanStarts ? firstHeldWindow : std::clamp(window * 2, firstHeldWindow / 8, largestHeldWindow);
    return window;
}

/// The slot of a held SQLite select, which has no limit at all: a bound
/// limit of -1 would still be counted down on every row.
constexpr quint32 unlimitedSlot = 1u << 24;
/// The slot of a SQLite look-up, whose limit of one row is in its text.
constexpr quint32 singleRowSlot = 1u << 25;

/// The cache slot of a select reading at most `limit` rows (-1: no limit).
/// On SQLite the limit is bound, but for a held select (none) and a look-up
/// (one row, in its text); on PostgreSQL it is written into the text
/// (a limit the server sees as a parameter keeps it planning every run), one
/// statement per window size.
quint32 windowSlot(Backend backend, quint32 slot, int limit)
{
    if (backend == Backend::Sqlite)
        return limit < 0 ? slot | unlimitedSlot : limit == 1 ? slot | singleRowSlot : slot;
    return slot + (static_cast<quint32>(limit) << 12);
}

QString limitClause(Backend backend, int limit)
{
    if (backend == Backend::Sqlite)
        return limit < 0 ? QString() : limit == 1 ? QStringLiteral(" LIMIT 1") : QStringLiteral(" LIMIT ?");
    return QStringLiteral(" LIMIT ") + QString::number(limit);
}

/// Binds the limit of `query` where it is bound, and sets its window.
void bindLimit(Statement& query, Backend backend, int limit)
{
    query.setWindow(limit);
    if (backend == Backend::Sqlite && limit > 1)
        query.addBindInteger(limit);
}

}  // namespace

std::optional<Comparison> comparisonFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == "=")
        return Comparison::Equal;
    if (trimmed == ">=")
        return Comparison::GreaterOrEqual;
    if (trimmed == ">")
        return Comparison::Greater;
    if (trimmed == "<=")
        return Comparison::LessOrEqual;
    if (trimmed == "<")
        return Comparison::Less;
    return std::nullopt;
}

QDateTime emptyDate()
{
    return QDateTime(QDate(100, 1, 1), QTime(0, 0));
}

QVariant emptyValue(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return 0;
    case FieldType::Double:
    case FieldType::Currency:
        return 0.0;
    case FieldType::Date:
        return emptyDate();
    case FieldType::Text:
    case FieldType::Memo:
        return QString();
    }
    return QString();
}

// ---------------------------------------------------------------------------
// RecordCursor

RecordCursor::RecordCursor(Database& database) : database_(database) {}

RecordCursor::~RecordCursor()
{
    releaseLock();
}

void RecordCursor::close()
{
    cancelUpdate();
    detach();
}

namespace {

/// The column lookups and select text of one table, made once for every
/// cursor that opens it: a form opens a cursor per look-up, and a wide table
/// has a hundred columns to hash and quote.
struct TableColumns {
    QString table;
    QStringList names;
    QHash<QString, int> byName;       ///< upper-case name -> column
    QHash<QString, int> byExactName;  ///< name as the schema spells it -> column
    std::vector<FieldType> types;
    QVector<QVariant> empties;        ///< the empty value of each field
    QString selectPrefix[2];          ///< by backend; made when first asked for
    /// Statements of the cursors, by index and by textKey (key columns, slot, backend).
    QHash<QString, QHash<quint64, QString>> texts;
    /// Updates, by backend and the columns they set (updateKey).
    QHash<QByteArray, QString> updates;
};

std::mutex tableColumnsMutex;

/// The shared columns of `table`, whose field names are `names`. A table
/// registered later at the same address under another name or with other
/// fields gets its own.
std::shared_ptr<TableColumns> tableColumns(const TableDef* table, const QStringList& names)
{
    static std::unordered_map<const TableDef*, std::shared_ptr<TableColumns>> made;
    std::lock_guard<std::mutex> guard(tableColumnsMutex);
    std::shared_ptr<TableColumns>& slot = made[table];
    std::vector<FieldType> types;
    types.reserve(table->fields.size());
    for (const FieldDef& field : table->fields)
        types.push_back(field.type);
    if (slot && slot->table == table->name && slot->names == names && slot->types == types)
        return slot;
    auto columns = std::make_shared<TableColumns>();
    columns->table = table->name;
    columns->names = names;
    columns->types = std::move(types);
    for (const FieldType type : columns->types)
        columns->empties.append(emptyValue(type));
    for (int column = 0; column < names.size(); ++column) {
        columns->byName.insert(names.at(column).toUpper(), column);
        columns->byExactName.insert(names.at(column), column);
    }
    slot = columns;
    return columns;
}

/// `name` in double quotes, inner quotes doubled, appended to `out`
/// (quoteName without its temporary texts).
void appendQuoted(QString& out, const QString& name)
{
    out += u'"';
    if (!name.contains(u'"')) {
        out += name;
    } else {
        QString inner = name;
        out += inner.replace(u'"', QStringLiteral("\"\""));
    }
    out += u'"';
}

/// The statement text a cursor of `table` made before under `key` (index,
/// slot and backend), or the one `build` makes now, kept for the next cursor:
/// composing a select of a wide table costs more than running it.
template <typename Build>
QString sharedText(const TableDef* table, const QStringList& columns, const QString& index, quint64 key, Build build)
{
    const std::shared_ptr<TableColumns> shared = tableColumns(table, columns);
    {
        std::lock_guard<std::mutex> guard(tableColumnsMutex);
        const auto byIndex = shared->texts.constFind(index);
        if (byIndex != shared->texts.constEnd()) {
            const auto found = byIndex->constFind(key);
            if (found != byIndex->constEnd())
                return found.value();
        }
    }
    const QString text = build();
    std::lock_guard<std::mutex> guard(tableColumnsMutex);
    shared->texts[index].insert(key, text);
    return text;
}

/// The update of `table` whose key is `changedColumns` (the backend, then
/// '1' for each column it sets), made before by a cursor of the table or by
/// `build` now.
template <typename Build>
QString sharedUpdateText(const TableDef* table, const QStringList& columns, const QByteArray& changedColumns,
                         Build build)
{
    const std::shared_ptr<TableColumns> shared = tableColumns(table, columns);
    {
        std::lock_guard<std::mutex> guard(tableColumnsMutex);
        const auto found = shared->updates.constFind(changedColumns);
        if (found != shared->updates.constEnd())
            return found.value();
    }
    const QString text = build();
    std::lock_guard<std::mutex> guard(tableColumnsMutex);
    shared->updates.insert(changedColumns, text);
    return text;
}

/// The key of a statement of an index with `keyCount` key columns, in
/// `slot`, on `backend`.
quint64 textKey(int keyCount, quint32 slot, Backend backend)
{
    return (quint64(slot) << 16) | (quint64(keyCount & 0xfff) << 4) | quint64(static_cast<int>(backend) & 0xf);
}

int backendSlot(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return 0;
    case Backend::Postgres:
        return 1;
    }
    return 0;
}

}  // namespace

RecordCursor::DirectRead RecordCursor::directReadOf(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return DirectRead::WholeNumber;
    case FieldType::Double:
        return DirectRead::Real;
    case FieldType::Currency:
        return DirectRead::Currency;
    case FieldType::Text:
    case FieldType::Memo:
        return DirectRead::Text;
    case FieldType::Date:
        return DirectRead::None;  // a Null date is not SQLite's empty text
    }
    return DirectRead::None;
}

void RecordCursor::attachTable(const TableDef* table, Access access)
{
    table_ = table;
    access_ = access;
    QStringList names;
    names.reserve(table->fields.size());
    for (const FieldDef& field : table->fields)
        names << field.name;
    const std::shared_ptr<const TableColumns> columns = tableColumns(table, names);
    directRead_.assign(table->fields.size(), DirectRead::None);
    if (database_.backend() == Backend::Sqlite) {
        for (int column = 0; column < table->fields.size(); ++column)
            directRead_[column] = directReadOf(table->fields.at(column).type);
    }
    columns_ = columns->names;
    forgetRecentNames();
    columnByName_ = columns->byName;
    columnByExactName_ = columns->byExactName;
    empties_ = columns->empties;
    slots_.clear();
    position_ = Position::BeforeFirst;
    empty_ = false;
    current_ = {};
    source_ = nullptr;
    editMode_ = EditMode::None;
}

void RecordCursor::attachColumns(const QStringList& names)
{
    directRead_.clear();
    columns_ = names;
    forgetRecentNames();
    columnByName_.clear();
    columnByExactName_.clear();
    for (int column = 0; column < names.size(); ++column) {
        columnByName_.insert(names.at(column).toUpper(), column);
        columnByExactName_.insert(names.at(column), column);
    }
    empties_ = QVector<QVariant>(names.size(), QString());
    slots_.clear();
    position_ = Position::BeforeFirst;
    empty_ = false;
    current_ = {};
    source_ = nullptr;
    editMode_ = EditMode::None;
}

void RecordCursor::detach()
{
    forgetReadAhead();
    releaseLock();
    queries_.clear();
    slots_.clear();
    table_ = nullptr;
    columns_.clear();
    forgetRecentNames();
    columnByName_.clear();
    empties_.clear();
    position_ = Position::BeforeFirst;
    current_ = {};
    source_ = nullptr;
    buffer_ = {};
    editMode_ = EditMode::None;
}

int RecordCursor::findAndRememberColumn(const QString& field) const
{
    const int column = findColumn(field);
    if (column >= 0)
        recentNames_[recentSlot(field.constData())] = {field.constData(), columns_.at(column).constData(), field.size(),
                                                       column};
    return column;
}

int RecordCursor::findColumn(const QString& field) const
{
    // Most callers spell the name as the schema does. For the usual small
    // table a plain scan beats hashing the name on every read; the names are
    // compared as bytes, most of them told apart by their length.
    if (columns_.size() <= 24) {
        const qsizetype length = field.size();
        const QChar* wanted = field.constData();
        for (int column = 0; column < columns_.size(); ++column) {
            const QString& name = columns_.at(column);
            if (name.size() == length
                && (name.constData() == wanted || std::memcmp(name.constData(), wanted, length * sizeof(QChar)) == 0))
                return column;
        }
        return columnByName_.value(field.toUpper(), -1);
    }
    auto exact = columnByExactName_.constFind(field);
    if (exact != columnByExactName_.constEnd())
        return exact.value();
    return columnByName_.value(field.toUpper(), -1);
}


DbError RecordCursor::failure(int number, const QString& message) const
{
    return DbError::make(number, message);
}

QString RecordCursor::selectPrefix() const
{
    const Backend backend = database_.backend();
    std::shared_ptr<TableColumns> columns;
    if (table_ != nullptr) {
        columns = tableColumns(table_, columns_);
        std::lock_guard<std::mutex> guard(tableColumnsMutex);
        const QString& made = columns->selectPrefix[backendSlot(backend)];
        if (!made.isEmpty())
            return made;
    }
    QString select = QStringLiteral("SELECT ") + rowIdColumn(backend);
    for (const QString& column : columns_) {
        select += QStringLiteral(", ");
        appendQuoted(select, column);
    }
    select += QStringLiteral(" FROM ");
    appendQuoted(select, table_->name);
    if (columns) {
        std::lock_guard<std::mutex> guard(tableColumnsMutex);
        columns->selectPrefix[backendSlot(backend)] = select;
    }
    return select;
}

RecordCursor::Row RecordCursor::rowFromQuery(const Statement& query) const
{
    Row row;
    readInto(row, query);
    return row;
}

void RecordCursor::readInto(Row& row, const Statement& query) const
{
    row.id = query.int64(0);
    row.values.resize(columns_.size());
    QVariant* values = row.values.data();
    for (int column = 0; column < columns_.size(); ++column)
        query.readField(column + 1, table_->fields.at(column).type, values[column]);
}

Statement& RecordCursor::prepared(const QString& sql)
{
    auto found = queries_.find(sql);
    if (found != queries_.end())
        return *found->second;
    return *queries_.emplace(sql, std::make_unique<Statement>(database_, sql)).first->second;
}

Statement& RecordCursor::addSlot(quint32 slot, const QString& sql)
{
    return *slots_.emplace(slot, std::make_unique<Statement>(database_, sql)).first->second;
}

std::optional<RecordCursor::Row> RecordCursor::readRow(qint64 id, DbError* error)
{
    Statement& query = preparedSlot(ReadRowSlot, [&] {
        return sharedText(table_, columns_, QString(), textKey(0, ReadRowSlot, database_.backend()), [&] {
            return selectPrefix() + QStringLiteral(" WHERE ") + rowIdColumn(database_.backend()) + QStringLiteral(" = ?");
        });
    });
    query.addBindValue(id);
    if (!query.exec()) {
        if (error)
            *error = query.failure(QStringLiteral("No se pudo leer ") + table_->name);
        return std::nullopt;
    }
    std::optional<Row> row;
    if (query.next())
        row = rowFromQuery(query);
    query.finish();
    return row;
}

DbError RecordCursor::moveFirst()
{
    if (!isOpen())
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    cancelUpdate();
    return fetchFirst(false);
}

DbError RecordCursor::moveLast()
{
    if (!isOpen())
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    cancelUpdate();
    return fetchFirst(true);
}

DbError RecordCursor::moveNext()
{
    if (!isOpen() || position_ == Position::AfterLast)
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    // Moves come one per row of a scan: there is seldom an edit to give up.
    if (editMode_ != EditMode::None || heldLock_ != 0)
        cancelUpdate();
    if (position_ == Position::BeforeFirst)
        return fetchFirst(false);
    return fetchNext(false);
}

DbError RecordCursor::movePrevious()
{
    if (!isOpen() || position_ == Position::BeforeFirst || (empty_ && position_ == Position::AfterLast))
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    cancelUpdate();
    if (position_ == Position::AfterLast)
        return fetchFirst(true);
    return fetchNext(true);
}

QVariant RecordCursor::value(const QString& field) const
{
    const int column = columnIndex(field);
    Q_ASSERT_X(column >= 0, "RecordCursor::value", qPrintable(QStringLiteral("campo desconocido ") + field));
    return valueAt(column);
}

QVariant RecordCursor::valueAt(int column) const
{
    if (column < 0 || column >= columns_.size())
        return QString();
    if (editMode_ != EditMode::None)
        return buffer_.values.at(column);
    if (position_ != Position::OnRow)
        return emptyOf(column);
    return currentField(column);
}

const QVariant* RecordCursor::stored(const QString& field) const
{
    return storedAt(columnIndex(field));
}

const QVariant* RecordCursor::storedAtWhereItIs(int column) const
{
    if (column < 0)
        return nullptr;
    if (editMode_ != EditMode::None)
        return &buffer_.values.at(column);
    if (position_ != Position::OnRow)
        return nullptr;
    return &currentField(column);
}

void RecordCursor::makeRoomForColumns()
{
    const size_t columns = static_cast<size_t>(columns_.size());
    if (fieldRead_.size() != columns || current_.values.size() != columns_.size()) {
        fieldRead_.assign(columns, 0);
        current_.values.resize(columns_.size());
    }
}

void RecordCursor::restartRowSerials()
{
    std::fill(fieldRead_.begin(), fieldRead_.end(), 0);
    rowSerial_ = 1;
}

const QVariant& RecordCursor::currentField(int column) const
{
    QVariant& value = current_.values[column];
    if (fieldPending(column)) {
        source_->readField(column + 1, table_->fields.at(column).type, value);
        fieldRead_[column] = rowSerial_;
    }
    return value;
}

void RecordCursor::settleCurrent()
{
    if (source_ == nullptr)
        return;
    if (current_.id == idNotRead)
        current_.id = source_->int64(0);
    for (int column = 0; column < columns_.size(); ++column)
        currentField(column);
    source_ = nullptr;
}

void RecordCursor::loseCurrentSource()
{
    if (source_ == nullptr)
        return;
    if (current_.id == idNotRead)
        current_.id = 0;  // no bookmark
    for (int column = 0; column < columns_.size(); ++column) {
        if (fieldPending(column))
            current_.values[column] = emptyOf(column);
    }
    source_ = nullptr;
}

QString RecordCursor::pendingText(int column) const
{
    // Decoded into the string the field held for the last row, which keeps
    // its buffer; the caller gets a shared copy.
    sqlite3_stmt* row = source_->sqliteStatement();
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(row, column + 1));
    const int length = sqlite3_column_bytes(row, column + 1);
    QVariant& value = current_.values[column];
    fieldRead_[column] = rowSerial_;
    if (QString* held = textHeldAlone(value); held != nullptr && bytes != nullptr) {
        assignUtf8Text(*held, bytes, length);
        return *held;
    }
    assignUtf8Value(value, bytes, length);
    return *static_cast<const QString*>(value.constData());
}

double RecordCursor::pendingNumber(int column, DirectRead read) const
{
    if (read == DirectRead::WholeNumber)
        return double(pendingInteger(column));
    const double stored = sqlite3_column_double(source_->sqliteStatement(), column + 1);
    return read == DirectRead::Currency ? roundToCurrency(stored) : stored;
}

qint64 RecordCursor::pendingInteger(int column) const
{
    // As a read field holds it: an int.
    return static_cast<int>(sqlite3_column_int64(source_->sqliteStatement(), column + 1));
}

// A held field is taken as it is when it already has the type asked for:
// fields are read on every row of a listing.

QString RecordCursor::heldText(int column, const QString& field) const
{
    const QVariant* held = storedAt(column);
    if (held == nullptr)
        return value(field).toString();
    if (held->metaType().id() == QMetaType::QString)
        return *static_cast<const QString*>(held->constData());
    return held->toString();
}

double RecordCursor::heldNumber(int column, const QString& field) const
{
    const QVariant* held = storedAt(column);
    if (held == nullptr)
        return value(field).toDouble();
    switch (held->metaType().id()) {
    case QMetaType::Double:
        return *static_cast<const double*>(held->constData());
    case QMetaType::Int:
        return *static_cast<const int*>(held->constData());
    }
    return held->toDouble();
}

qint64 RecordCursor::heldInteger(int column, const QString& field) const
{
    const QVariant* held = storedAt(column);
    if (held == nullptr)
        return value(field).toLongLong();
    switch (held->metaType().id()) {
    case QMetaType::Int:
        return *static_cast<const int*>(held->constData());
    case QMetaType::LongLong:
        return *static_cast<const qint64*>(held->constData());
    }
    return held->toLongLong();
}

DbError RecordCursor::setValue(const QString& field, const QVariant& value)
{
    const int column = columnIndex(field);
    if (column < 0)
        return failure(DbErrorNumber::ItemNotFound, QStringLiteral("No existe el campo ") + field);
    return setValueAt(column, value);
}

DbError RecordCursor::setValueAt(int column, const QVariant& value)
{
    if (column < 0 || column >= columns_.size())
        return failure(DbErrorNumber::ItemNotFound, QStringLiteral("No existe la columna %1").arg(column));
    if (access_ == Access::ReadOnly)
        return failure(DbErrorNumber::ReadOnly, QStringLiteral("La tabla está abierta solo para lectura"));
    if (editMode_ == EditMode::None)
        return failure(DbErrorNumber::NotEditing, QStringLiteral("No se está editando ni agregando un registro"));
    const FieldDef& definition = table_->fields.at(column);
    // What the field would hold once stored and read back; most callers
    // give it already.
    QVariant held = heldAsGiven(definition.type, value)
                        ? value
                        : fromStorage(definition.type, toStorage(definition.type, value, database_.backend()));
    if (definition.type == FieldType::Text && definition.size > 0 && held.toString().size() > definition.size)
        return failure(DbErrorNumber::FieldTooSmall,
                       QStringLiteral("El valor no cabe en el campo %1 (%2 caracteres como máximo)")
                           .arg(definition.name)
                           .arg(definition.size));
    buffer_.values[column] = std::move(held);
    changed_[column] = true;
    return {};
}

DbError RecordCursor::addNew()
{
    if (!isOpen() || table_ == nullptr || access_ == Access::ReadOnly)
        return failure(DbErrorNumber::ReadOnly, QStringLiteral("La tabla está abierta solo para lectura"));
    cancelUpdate();
    // In the storage of the last buffer: a loop that adds records adds them
    // one by one.
    buffer_.id = 0;
    buffer_.values.resize(columns_.size());
    for (int column = 0; column < columns_.size(); ++column)
        buffer_.values[column] = emptyOf(column);
    changed_.fill(false, columns_.size());
    editMode_ = EditMode::Adding;
    return {};
}

quint64 RecordCursor::lockKey(const Row& row) const
{
    const IndexDef* primary = table_->primaryIndex();
    QVariantList keyValues;
    if (primary == nullptr) {
        keyValues << row.id;
        return recordLockKey(table_->name, keyValues);
    }
    for (const QString& field : primary->fields)
        keyValues << row.values.at(columnIndex(field));
    return recordLockKey(table_->name, keyValues);
}

void RecordCursor::releaseLock()
{
    if (heldLock_ == 0)
        return;
    database_.releaseLock(heldLock_);
    heldLock_ = 0;
}

DbError RecordCursor::edit()
{
    if (!isOpen() || table_ == nullptr || access_ == Access::ReadOnly)
        return failure(DbErrorNumber::ReadOnly, QStringLiteral("La tabla está abierta solo para lectura"));
    cancelUpdate();
    if (position_ != Position::OnRow)
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    settleCurrent();
    quint64 key = lockKey(current_);
    if (DbError error = database_.locks().acquire(key))
        return error;
    // Read the record again under the lock: what another workstation wrote
    // before we got the lock is what we edit.
    DbError readError;
    std::optional<Row> fresh = readRow(current_.id, &readError);
    if (fresh && lockKey(*fresh) != key) {
        database_.locks().release(key);
        key = lockKey(*fresh);
        if (DbError error = database_.locks().acquire(key))
            return error;
    }
    if (!fresh) {
        database_.locks().release(key);
        if (readError)
            return readError;
        position_ = Position::Deleted;
        forgetReadAhead();
        return failure(DbErrorNumber::ChangedByAnotherUser,
                       QStringLiteral("Los datos fueron modificados por otro usuario"));
    }
    editFoundChanges_ = fresh->values != current_.values;
    if (editFoundChanges_) {
        current_ = *fresh;
        forgetReadAhead();
    }
    heldLock_ = key;
    buffer_ = *fresh;
    changed_ = QVector<bool>(columns_.size(), false);
    editMode_ = EditMode::Editing;
    return {};
}

DbError RecordCursor::writeFailed(const Statement& query, const QString& message)
{
    DbError error = query.failure(message);
    // The caller's transaction must not stay open behind a failed write.
    database_.rollback();
    return error;
}

DbError RecordCursor::insertBuffer()
{
    Statement& query = preparedSlot(InsertSlot, [&] {
        QStringList names;
        for (const QString& column : columns_)
            names << quoteName(column);
        return QStringLiteral("INSERT INTO ") + quoteName(table_->name) + QStringLiteral(" (")
            + joined(names, QStringLiteral(", ")) + QStringLiteral(") VALUES (") + placeholders(columns_.size())
            + QStringLiteral(")") + returningRowId(database_.backend());
    });
    for (int column = 0; column < columns_.size(); ++column)
        query.addBindValue(toStorage(table_->fields.at(column).type, buffer_.values.at(column), database_.backend()));
    if (!query.exec())
        return writeFailed(query, QStringLiteral("No se pudo agregar el registro a ") + table_->name);
    // PostgreSQL hands the new identity back as the statement's one row.
    const qint64 id = returningRowId(database_.backend()).isEmpty() ? query.lastInsertId()
                      : query.next()                              ? query.int64(0)
                                                                  : 0;
    query.finish();
    lastModified_ = Bookmark{id};
    editMode_ = EditMode::None;
    empty_ = false;
    forgetReadAhead();
    rowAdded(id);
    return {};
}

DbError RecordCursor::writeBuffer()
{
    // The update names the changed columns only. Its text is made once per
    // table and set of columns, and kept in this cursor's slot while the set
    // stays the same: a form changes most of a wide record's columns, and
    // composing that text costs a good part of the write.
    QByteArray changedColumns(columns_.size() + 1, '0');
    changedColumns[0] = char('0' + backendSlot(database_.backend()));
    bool anyChanged = false;
    for (int column = 0; column < columns_.size(); ++column) {
        if (changed_.at(column)) {
            changedColumns[column + 1] = '1';
            anyChanged = true;
        }
    }
    if (!anyChanged) {
        releaseLock();
        editMode_ = EditMode::None;
        lastModified_ = Bookmark{buffer_.id};
        return {};
    }
    if (changedColumns != updateColumns_)
        slots_.erase(UpdateSlot);
    Statement& query = preparedSlot(UpdateSlot, [&] {
        updateColumns_ = changedColumns;
        return sharedUpdateText(table_, columns_, changedColumns, [&] {
            QString sql = QStringLiteral("UPDATE ");
            appendQuoted(sql, table_->name);
            sql += QStringLiteral(" SET ");
            bool first = true;
            for (int column = 0; column < columns_.size(); ++column) {
                if (!changed_.at(column))
                    continue;
                if (!first)
                    sql += QStringLiteral(", ");
                appendQuoted(sql, columns_.at(column));
                sql += QStringLiteral(" = ?");
                first = false;
            }
            return sql + QStringLiteral(" WHERE ") + rowIdColumn(database_.backend()) + QStringLiteral(" = ?");
        });
    });
    for (int column = 0; column < columns_.size(); ++column) {
        if (changed_.at(column))
            query.addBindValue(toStorage(table_->fields.at(column).type, buffer_.values.at(column), database_.backend()));
    }
    query.addBindValue(buffer_.id);
    if (!query.exec())
        return writeFailed(query, QStringLiteral("No se pudo modificar el registro de ") + table_->name);
    const int written = query.rowsAffected();
    query.finish();
    if (written == 0) {
        // Deleted by a writer that does not take record locks.
        database_.rollback();
        cancelUpdate();
        position_ = Position::Deleted;
        return failure(DbErrorNumber::ChangedByAnotherUser,
                       QStringLiteral("Los datos fueron modificados por otro usuario"));
    }
    releaseLock();
    editMode_ = EditMode::None;
    current_ = buffer_;
    lastModified_ = Bookmark{buffer_.id};
    forgetReadAhead();
    placeOn(current_);
    return {};
}

DbError RecordCursor::update()
{
    if (editMode_ != EditMode::None && !database_.inTransaction()) {
        if (DbError error = database_.checkFileInPlace())
            return error;
    }
    switch (editMode_) {
    case EditMode::None:
        return failure(DbErrorNumber::NotEditing, QStringLiteral("No se está editando ni agregando un registro"));
    case EditMode::Adding:
        return insertBuffer();
    case EditMode::Editing:
        return writeBuffer();
    }
    return {};
}

void RecordCursor::cancelUpdate()
{
    releaseLock();
    editMode_ = EditMode::None;
    buffer_.id = 0;
    buffer_.values.clear();  // keeps its storage for the next edit or add
}

DbError RecordCursor::storedValues(QVector<QVariant>* values)
{
    if (editMode_ != EditMode::Editing)
        return failure(DbErrorNumber::NotEditing, QStringLiteral("No se está editando un registro"));
    DbError readError;
    const std::optional<Row> fresh = readRow(buffer_.id, &readError);
    if (readError)
        return readError;
    if (!fresh)
        return failure(DbErrorNumber::ChangedByAnotherUser, QStringLiteral("Los datos fueron modificados por otro usuario"));
    values->clear();
    values->reserve(fresh->values.size());
    for (int column = 0; column < fresh->values.size(); ++column) {
        const QVariant& value = fresh->values.at(column);
        values->append(value.isNull() ? emptyOf(column) : value);
    }
    return {};
}

DbError RecordCursor::remove()
{
    if (!isOpen() || table_ == nullptr || access_ == Access::ReadOnly)
        return failure(DbErrorNumber::ReadOnly, QStringLiteral("La tabla está abierta solo para lectura"));
    if (position_ != Position::OnRow)
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    cancelUpdate();
    if (!database_.inTransaction()) {
        if (DbError error = database_.checkFileInPlace())
            return error;
    }
    settleCurrent();
    const quint64 key = lockKey(current_);
    if (DbError error = database_.locks().acquire(key))
        return error;
    Statement& query = preparedSlot(DeleteSlot, [&] {
        return QStringLiteral("DELETE FROM ") + quoteName(table_->name) + QStringLiteral(" WHERE ")
            + rowIdColumn(database_.backend()) + QStringLiteral(" = ?");
    });
    query.addBindValue(current_.id);
    const bool done = query.exec();
    database_.releaseLock(key);
    if (!done)
        return writeFailed(query, QStringLiteral("No se pudo eliminar el registro de ") + table_->name);
    query.finish();
    position_ = Position::Deleted;
    forgetReadAhead();
    return {};
}

Bookmark RecordCursor::bookmark() const
{
    if (position_ != Position::OnRow)
        return {};
    if (current_.id == idNotRead && source_ != nullptr)
        current_.id = source_->int64(0);
    return Bookmark{current_.id};
}

DbError RecordCursor::setBookmark(Bookmark bookmark)
{
    cancelUpdate();
    DbError error;
    std::optional<Row> row = bookmark.isValid() ? readRow(bookmark.row, &error) : std::nullopt;
    if (error)
        return error;
    if (!row)
        return failure(DbErrorNumber::NoCurrentRecord, noCurrentRecordText());
    forgetReadAhead();
    current_ = *row;
    position_ = Position::OnRow;
    empty_ = false;
    placeOn(current_);
    return {};
}

// ---------------------------------------------------------------------------
// TableCursor

TableCursor::TableCursor(Database& database) : RecordCursor(database) {}

TableCursor::~TableCursor()
{
    source_ = nullptr;  // nobody reads the current record any more
    releaseHeldRead();
}

DbError TableCursor::open(const QString& table, Access access)
{
    close();
    const TableDef* definition = database_.tableDef(table);
    if (definition == nullptr)
        return failure(DbErrorNumber::TableNotFound, QStringLiteral("No existe la tabla ") + table);
    attachTable(definition, access);
    const IndexDef* primary = definition->primaryIndex();
    if (primary != nullptr)
        return setIndex(primary->name);
    // A table without indexes is read in the order of its rows.
    keyColumns_ = {rowIdColumn(database_.backend())};
    keyFieldColumns_.clear();
    indexName_.clear();
    return {};
}

DbError TableCursor::setIndex(const QString& index)
{
    if (table_ == nullptr)
        return failure(DbErrorNumber::TableNotFound, QStringLiteral("La tabla no está abierta"));
    const IndexDef* definition = table_->index(index);
    if (definition == nullptr)
        return failure(DbErrorNumber::NotAnIndex,
                       QStringLiteral("%1 no es un índice de la tabla %2").arg(index, table_->name));
    cancelUpdate();
    forgetReadAhead();
    slots_.clear();
    indexName_ = definition->name;
    keyColumns_.clear();
    keyFieldColumns_.clear();
    for (const QString& field : definition->fields) {
        const int column = columnIndex(field);
        QString quoted;
        appendQuoted(quoted, column >= 0 ? columns_.at(column) : table_->field(field)->name);
        keyColumns_ << quoted;
        keyFieldColumns_ << column;
    }
    // The row identity closes the order, so that equal keys still have a
    // definite next and previous record.
    keyColumns_ << rowIdColumn(database_.backend());
    return {};
}

QString TableCursor::indexName() const
{
    return indexName_;
}

QString TableCursor::orderBy(bool backwards) const
{
    QStringList terms;
    for (const QString& column : keyColumns_)
        terms << column + (backwards ? QStringLiteral(" DESC") : QString());
    return QStringLiteral(" ORDER BY ") + joined(terms, QStringLiteral(", "));
}

TableCursor::KeyValues TableCursor::keyValues(const Row& row) const
{
    KeyValues values;
    for (int column : keyFieldColumns_)
        values << toStorage(table_->fields.at(column).type, row.values.at(column), database_.backend());
    values << row.id;
    return values;
}

DbError TableCursor::fetchFrom(Statement& query, const KeyValues& values, int limit, bool backwards)
{
    releaseHeldRead();
    for (const QVariant& value : values)
        query.addBindValue(value);
    bindLimit(query, database_.backend(), limit);
    if (!query.exec())
        return query.failure(QStringLiteral("No se pudo leer ") + table_->name);
    readAhead_.clear();
    readAheadNext_ = 0;
    readAheadBackwards_ = backwards;
    // The first row goes into the spare record, whose storage the record
    // it replaces takes over (a look-up allocates nothing); the rows after
    // it are read ahead.
    int count = 0;
    if (query.next()) {
        readInto(spare_, query);
        ++count;
    }
    // A select that gave its `limit` rows has no more: it is not stepped to
    // its end (a look-up would run the engine once more for nothing).
    while ((limit < 0 || count < limit) && !query.stepFailed() && query.next()) {
        readAhead_.append(rowFromQuery(query));
        ++count;
    }
    if (query.stepFailed()) {
        const DbError error = query.failure(QStringLiteral("No se pudo leer ") + table_->name);
        query.finish();
        readAhead_.clear();
        return error;
    }
    query.finish();
    readAheadComplete_ = count < limit;
    if (count == 0) {
        position_ = backwards ? Position::BeforeFirst : Position::AfterLast;
        return {};
    }
    std::swap(current_, spare_);
    position_ = Position::OnRow;
    empty_ = false;
    return {};
}

DbError TableCursor::readOn(Statement& query, const KeyValues& values, bool backwards)
{
    forgetReadAhead();
    for (const QVariant& value : values)
        query.addBindValue(value);
    // On SQLite no limit: the select stays open as long as the cursor
    // reads on. On PostgreSQL a window, continued from its last key.
    bindLimit(query, database_.backend(), query.window());
    if (!query.exec())
        return query.failure(QStringLiteral("No se pudo leer ") + table_->name);
    if (!query.next()) {
        const DbError error = query.stepFailed() ? query.failure(QStringLiteral("No se pudo leer ") + table_->name)
                                                 : DbError{};
        query.finish();
        if (error)
            return error;
        position_ = backwards ? Position::BeforeFirst : Position::AfterLast;
        return {};
    }
    makeRoomForColumns();
    standOn(query);
    position_ = Position::OnRow;
    empty_ = false;
    held_ = &query;
    heldBackwards_ = backwards;
    // A server's window needs no connection of its own, but it ends as a
    // snapshot does: no move reads rows older than the connection's last
    // statement, transaction or idle.
    database_.holdRead(this);
    return {};
}

DbError TableCursor::moveNext()
{
    // The move of a forward scan, once per row of every listing: straight
    // to the held select's next row when nothing else is to be done first
    // (the path the general move takes in that state).
    if (held_ != nullptr && !heldBackwards_ && position_ == Position::OnRow && editMode_ == EditMode::None
        && heldLock_ == 0)
        return stepHeld();
    return RecordCursor::moveNext();
}

inline DbError TableCursor::stepHeld()
{
    Statement& query = *held_;
    // A window read to its last row goes on with the next one, from the
    // keys of the current record: they are read before the window ends.
    const bool windowUsedUp = query.window() >= 0 && query.rowsRead() >= query.window();
    if (windowUsedUp)
        settleCurrent();
    if (query.next()) {
        standOn(query);
        return {};
    }
    return endHeldStep(windowUsedUp);
}

DbError TableCursor::endHeldStep(bool windowUsedUp)
{
    Statement& query = *held_;
    const DbError error =
        query.stepFailed() ? query.failure(QStringLiteral("No se pudo leer ") + table_->name) : DbError{};
    if (error)
        loseCurrentSource();
    else
        source_ = nullptr;  // past the last record: nothing more to read of it
    releaseHeldRead();
    if (error)
        return error;
    if (windowUsedUp)
        return fetchNext(heldBackwards_);
    position_ = heldBackwards_ ? Position::BeforeFirst : Position::AfterLast;
    return {};
}

bool TableCursor::canHoldReads()
{
    if (!readsMayBeHeld_ && database_.isOpen())
        readsMayBeHeld_ = Statement::readsMayBeHeld(database_);
    return readsMayBeHeld_.value_or(false);
}

void TableCursor::endHeldRead()
{
    // Another cursor (or idle) needed the connection: while this scan goes
    // on, its moves read ahead in windows, which others do not disturb.
    heldReadInterrupted_ = true;
    releaseHeldRead();
}

void TableCursor::releaseHeldRead()
{
    // Without a held select the database is not asked: a cursor may outlive
    // a closed database, whose close ended the read.
    if (held_ == nullptr)
        return;
    // The rows already read stay: the current one is read whole first.
    settleCurrent();
    held_->finish();
    held_ = nullptr;
    database_.forgetHeldRead(this);
}

DbError TableCursor::fetchFirst(bool last)
{
    noMatch_ = false;
    window_ = 16;
    heldReadInterrupted_ = false;
    const Backend backend = database_.backend();
    const bool hold = canHoldReads();
    const int limit = hold ? nextHeldLimit(backend, window_, true) : window_;
    const quint32 slot = windowSlot(backend, last ? LastSlot : FirstSlot, limit);
    Statement& query = preparedSlot(slot, [&] {
        return sharedText(table_, columns_, indexName_, textKey(int(keyColumns_.size()), slot, backend),
                          [&] { return selectPrefix() + orderBy(last) + limitClause(backend, limit); });
    });
    query.setWindow(limit);
    DbError error = hold ? readOn(query, {}, last) : fetchFrom(query, {}, limit, last);
    if (error)
        return error;
    if (position_ != Position::OnRow) {
        // An empty table: at end and at start at once, and no error.
        position_ = Position::AfterLast;
        empty_ = true;
    }
    return {};
}

DbError TableCursor::fetchNext(bool backwards)
{
    if (held_ != nullptr && heldBackwards_ == backwards && position_ == Position::OnRow)
        return stepHeld();
    settleCurrent();  // its keys start the next read
    const bool readAheadLeft = readAheadNext_ < readAhead_.size();
    if (readAheadLeft && readAheadBackwards_ == backwards && position_ == Position::OnRow) {
        current_ = std::move(readAhead_[readAheadNext_++]);
        return {};
    }
    if (!readAheadLeft && readAheadComplete_ && readAheadBackwards_ == backwards
        && position_ == Position::OnRow) {
        position_ = backwards ? Position::BeforeFirst : Position::AfterLast;
        return {};
    }
    // Sequential reading: each refill reads twice as far ahead, up to a limit
    // that keeps the memory of a cursor small.
    const Backend backend = database_.backend();
    const bool hold = canHoldReads() && !heldReadInterrupted_;
    const int limit = hold ? nextHeldLimit(backend, window_, false) : (window_ = std::min(window_ * 2, 512));
    const quint32 slot = windowSlot(backend, backwards ? PreviousSlot : NextSlot, limit);
    Statement& query = preparedSlot(slot, [&] {
        return sharedText(table_, columns_, indexName_, textKey(int(keyColumns_.size()), slot, backend), [&] {
            return selectPrefix() + QStringLiteral(" WHERE (") + joined(keyColumns_, QStringLiteral(", "))
                + QStringLiteral(") ") + (backwards ? QStringLiteral("<") : QStringLiteral(">"))
                + QStringLiteral(" (") + placeholders(keyColumns_.size()) + QStringLiteral(")") + orderBy(backwards)
                + limitClause(backend, limit);
        });
    });
    query.setWindow(limit);
    if (hold)
        return readOn(query, keyValues(current_), backwards);
    return fetchFrom(query, keyValues(current_), limit, backwards);
}

void TableCursor::placeOn(const Row& row)
{
    (void)row;
    forgetReadAhead();
}

void TableCursor::forgetReadAhead()
{
    releaseHeldRead();
    readAhead_.clear();
    readAheadNext_ = 0;
    readAheadComplete_ = false;
}

DbError TableCursor::seek(Comparison comparison, const QVariant* values, qsizetype count)
{
    if (table_ == nullptr)
        return failure(DbErrorNumber::TableNotFound, QStringLiteral("La tabla no está abierta"));
    if (count == 0 || count > keyFieldColumns_.size())
        return failure(DbErrorNumber::Unexpected,
                       QStringLiteral("Cantidad de valores inválida para el índice %1").arg(indexName_));
    cancelUpdate();
    const int given = static_cast<int>(count);
    KeyValues bound;
    for (int position = 0; position < given; ++position) {
        const int column = keyFieldColumns_.at(position);
        bound << toStorage(table_->fields.at(column).type, values[position], database_.backend());
    }
    const bool backwards = searchesBackwards(comparison);
    const quint32 slot = SeekSlots + static_cast<quint32>(comparison) * 64 + static_cast<quint32>(given);
    const Backend backend = database_.backend();
    const bool lookUp = comparison == Comparison::Equal;
    const bool hold = !lookUp && canHoldReads();
    const int limit = lookUp ? 1 : hold ? nextHeldLimit(backend, window_, true) : 16;
    const quint32 seekSlot = windowSlot(backend, slot, limit);
    Statement& query = preparedSlot(seekSlot, [&] {
        return sharedText(table_, columns_, indexName_, textKey(int(keyColumns_.size()), seekSlot, backend), [&] {
            const QStringList compared = keyColumns_.mid(0, given);
            QString condition;
            if (comparison == Comparison::Equal) {
                QStringList equalities;
                for (const QString& column : compared)
                    equalities << column + QStringLiteral(" = ?");
                condition = joined(equalities, QStringLiteral(" AND "));
            } else if (given == 1) {
                condition = compared.first() + ' ' + comparisonOperator(comparison) + QStringLiteral(" ?");
            } else {
                condition = '(' + joined(compared, QStringLiteral(", ")) + QStringLiteral(") ")
                    + comparisonOperator(comparison) + QStringLiteral(" (") + placeholders(given) + ')';
            }
            return selectPrefix() + QStringLiteral(" WHERE ") + condition + orderBy(backwards) + limitClause(backend, limit);
        });
    });
    query.setWindow(limit);
    // A seek "=" looks one record up and holds nothing. The others start a
    // range, which the moves that follow read on: their select is held, or
    // its first rows are read ahead (it selects exactly the records from the
    // found one on, in the order of the moves).
    DbError error;
    if (lookUp) {
        window_ = 8;  // the first refill after a look-up reads 16 rows
        error = fetchFrom(query, bound, limit, backwards);
        readAheadComplete_ = false;
    } else if (hold) {
        heldReadInterrupted_ = false;
        error = readOn(query, bound, backwards);
    } else {
        window_ = limit;
        error = fetchFrom(query, bound, limit, backwards);
    }
    if (error)
        return error;
    noMatch_ = position_ != Position::OnRow;
    if (noMatch_) {
        position_ = Position::AfterLast;
        empty_ = false;
    }
    return {};
}

int TableCursor::recordCount()
{
    if (table_ == nullptr)
        return 0;
    Statement& query = preparedSlot(CountSlot, [&] { return QStringLiteral("SELECT COUNT(*) FROM ") + quoteName(table_->name); });
    if (!query.exec() || !query.next())
        return 0;
    const int count = static_cast<int>(query.int64(0));
    query.finish();
    return count;
}

// ---------------------------------------------------------------------------
// QueryCursor

QueryCursor::QueryCursor(Database& database) : RecordCursor(database) {}

QueryCursor::~QueryCursor() = default;

namespace {

/// The table of a select over exactly one table whose rows can be written
/// back, or an empty text: "SELECT list FROM table [WHERE ...] [ORDER BY ...]".
QString updatableTable(const QString& select, QString* rest)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*SELECT\\s+(.+?)\\s+FROM\\s+(\"[^\"]+\"|[A-Za-z_][A-Za-z0-9_]*)(.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression plainList(
        QStringLiteral("^\\s*(\\*|(\"[^\"]+\"|[A-Za-z_][A-Za-z0-9_]*)(\\s*,\\s*(\"[^\"]+\"|[A-Za-z_][A-Za-z0-9_]*))*)\\s*$"));
    static const QRegularExpression notOneTable(
        QStringLiteral("^\\s*,|\\bJOIN\\b|\\bGROUP\\s+BY\\b|\\bUNION\\b|\\bHAVING\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = shape.match(select);
    if (!match.hasMatch() || !plainList.match(match.captured(1)).hasMatch())
        return {};
    if (notOneTable.match(match.captured(3)).hasMatch())
        return {};
    QString table = match.captured(2);
    if (table.startsWith('"'))
        table = table.mid(1, table.size() - 2);
    *rest = match.captured(3);
    return table;
}

}  // namespace

DbError QueryCursor::open(const QString& select, const QVariantList& values)
{
    close();
    ids_.clear();
    detachedRows_.clear();
    index_ = -1;
    const QString sql = translateJetSql(select, database_.backend());
    QString rest;
    const TableDef* table = database_.tableDef(updatableTable(sql, &rest));
    // Only the identities of a result over one table are kept; each record
    // is read when the cursor comes to it.
    Statement query(database_, table != nullptr ? QStringLiteral("SELECT ") + rowIdColumn(database_.backend())
                                                      + QStringLiteral(" FROM ") + quoteName(table->name) + rest
                                                : sql);
    for (const QVariant& value : values)
        query.addBindValue(storageValue(value, database_.backend()));
    if (!query.exec())
        return query.failure(QStringLiteral("No se pudo abrir la consulta: ") + select);
    if (table != nullptr) {
        while (query.next())
            ids_.append(query.int64(0));
        attachTable(table, Access::ReadWrite);
    } else {
        QStringList names;
        for (int column = 0; column < query.columnCount(); ++column)
            names << query.columnName(column);
        while (query.next()) {
            Row row;
            row.id = detachedRows_.size() + 1;
            for (int column = 0; column < names.size(); ++column) {
                const QVariant stored = query.value(column);
                row.values.append(stored.isNull() ? QVariant(QString()) : stored);
            }
            detachedRows_.append(row);
            ids_.append(row.id);
        }
        attachColumns(names);
        access_ = Access::ReadOnly;
    }
    query.finish();
    return fetchFirst(false);
}

std::optional<RecordCursor::Row> QueryCursor::readRow(qint64 id, DbError* error)
{
    if (table_ != nullptr)
        return RecordCursor::readRow(id, error);
    if (id < 1 || id > detachedRows_.size())
        return std::nullopt;
    return detachedRows_.at(id - 1);
}

DbError QueryCursor::loadAt(qsizetype index)
{
    // Records deleted since the query ran are passed over.
    const qsizetype step = index < index_ ? -1 : 1;
    for (; index >= 0 && index < ids_.size(); index += step) {
        DbError error;
        std::optional<Row> row = readRow(ids_.at(index), &error);
        if (error)
            return error;
        if (!row)
            continue;
        index_ = index;
        current_ = *row;
        position_ = Position::OnRow;
        return {};
    }
    index_ = index < 0 ? -1 : ids_.size();
    position_ = index < 0 ? Position::BeforeFirst : Position::AfterLast;
    return {};
}

DbError QueryCursor::fetchFirst(bool last)
{
    if (ids_.isEmpty()) {
        position_ = Position::AfterLast;
        empty_ = true;
        return {};
    }
    index_ = last ? ids_.size() : -1;
    return loadAt(last ? ids_.size() - 1 : 0);
}

DbError QueryCursor::fetchNext(bool backwards)
{
    return loadAt(backwards ? index_ - 1 : index_ + 1);
}

void QueryCursor::placeOn(const Row& row)
{
    const qsizetype found = ids_.indexOf(row.id);
    if (found >= 0)
        index_ = found;
}

void QueryCursor::rowAdded(qint64 id)
{
    ids_.append(id);
}
