#include "data/statement.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/field_value.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringEncoder>

#include <sqlite3.h>

#include <QVarLengthArray>

#include <mutex>
#include <unordered_map>

namespace {

/// The sqlite3 handle behind a Qt SQLite connection.
sqlite3* sqliteHandle(Database& database)
{
    const QVariant handle = database.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Cursors are short-lived: a look-up, a parameter read or a form opens one,
// runs a statement or two and goes. Preparing a select of a wide table costs
// far more than running it, so a statement a cursor lets go of stays
// prepared, idle, for the next cursor of the same connection that runs the
// same text. The idle statements of a connection are finalized when it
// closes: an anchor Statement attached to the Database stands for them, and
// its release (which the close calls) finalizes them all.
struct IdleStatements {
    sqlite3* handle = nullptr;
    Statement* anchor = nullptr;
    QHash<QString, QVarLengthArray<sqlite3_stmt*, 2>> byText;
    int count = 0;
    /// Whether the connection was seen in write-ahead-log mode (which,
    /// once set, it keeps).
    bool walSeen = false;
};

/// Idle statements kept at most per connection and per text: enough for
/// the few cursors a form has open at once on one table.
constexpr int idleLimit = 256;
constexpr int idleLimitPerText = 4;

std::mutex idleMutex;
std::unordered_map<const Database*, std::unique_ptr<IdleStatements>>& idleByDatabase()
{
    static std::unordered_map<const Database*, std::unique_ptr<IdleStatements>> all;
    return all;
}

/// The idle statements of `database` over `handle`; created on first use
/// when `create`. A connection opened again under the same Database (a new
/// handle) starts with none.
IdleStatements* idleOf(Database& database, sqlite3* handle, bool create);

void finalizeIdle(IdleStatements& idle)
{
    for (auto& statements : idle.byText) {
        for (sqlite3_stmt* statement : statements)
            sqlite3_finalize(statement);
    }
    idle.byText.clear();
    idle.count = 0;
}

IdleStatements* idleOf(Database& database, sqlite3* handle, bool create)
{
    auto& all = idleByDatabase();
    auto found = all.find(&database);
    if (found != all.end() && found->second->handle == handle)
        return found->second.get();
    if (!create)
        return nullptr;
    if (found != all.end())
        finalizeIdle(*found->second);  // left from a connection that was not closed through us
    auto idle = std::make_unique<IdleStatements>();
    idle->handle = handle;
    IdleStatements* kept = idle.get();
    all[&database] = std::move(idle);
    return kept;
}

/// A prepared statement of `text` left idle on `handle`, or nullptr.
sqlite3_stmt* takeIdle(Database& database, sqlite3* handle, const QString& text)
{
    std::lock_guard<std::mutex> guard(idleMutex);
    IdleStatements* idle = idleOf(database, handle, false);
    if (idle == nullptr)
        return nullptr;
    auto found = idle->byText.find(text);
    if (found == idle->byText.end() || found->isEmpty())
        return nullptr;
    sqlite3_stmt* statement = found->back();
    found->pop_back();
    --idle->count;
    return statement;
}

}  // namespace

bool Statement::keepIdle()
{
    if (database_ == nullptr || statement_ == nullptr || sql_.isEmpty())
        return false;
    // A statement still prepared belongs to the connection that is open:
    // closing it would have released the statement.
    sqlite3* handle = sqlite3_db_handle(statement_);
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    bool makeAnchor = false;
    {
        std::lock_guard<std::mutex> guard(idleMutex);
        IdleStatements* idle = idleOf(*database_, handle, true);
        auto& statements = idle->byText[sql_];
        if (idle->count >= idleLimit || statements.size() >= idleLimitPerText)
            return false;
        statements.append(statement_);
        ++idle->count;
        makeAnchor = idle->anchor == nullptr;
        if (makeAnchor)
            idle->anchor = reinterpret_cast<Statement*>(1);  // being made below, outside the lock
    }
    statement_ = nullptr;
    if (makeAnchor) {
        // An empty text prepares nothing: the anchor only stands for the
        // idle statements among the connection's statements.
        auto* anchor = new Statement(*database_, QString());
        std::lock_guard<std::mutex> guard(idleMutex);
        idleOf(*database_, handle, true)->anchor = anchor;
    }
    return true;
}

bool Statement::releaseIdleOf(Database& database)
{
    std::unique_ptr<IdleStatements> idle;
    {
        std::lock_guard<std::mutex> guard(idleMutex);
        auto& all = idleByDatabase();
        auto found = all.find(&database);
        if (found == all.end() || found->second->anchor != this)
            return false;
        idle = std::move(found->second);
        all.erase(found);
    }
    finalizeIdle(*idle);
    return true;
}

Statement::Statement(Database& database, const QString& sql) : database_(&database), sql_(sql)
{
    database.attachStatement(this);
    if (database.backend() != Backend::Sqlite) {
        query_ = std::make_unique<QSqlQuery>(database.connection());
        query_->setForwardOnly(true);
        return;
    }
    if (sql.isEmpty())
        return;
    sqlite3* handle = sqliteHandle(database);
    if (handle == nullptr) {
        errorCode_ = SQLITE_MISUSE;
        errorText_ = QStringLiteral("la conexión no está abierta");
        return;
    }
    statement_ = takeIdle(database, handle, sql);
    if (statement_ != nullptr)
        return;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v3(handle, text.constData(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement_, nullptr)
        != SQLITE_OK) {
        errorCode_ = sqlite3_extended_errcode(handle);
        errorText_ = QString::fromUtf8(sqlite3_errmsg(handle));
        statement_ = nullptr;
    }
}

Statement::~Statement()
{
    keepIdle();
    release();
}

void Statement::release()
{
    if (database_ == nullptr)
        return;
    Database* database = database_;
    database_->detachStatement(this);
    database_ = nullptr;
    if (statement_ == nullptr && sql_.isEmpty() && releaseIdleOf(*database)) {
        // This was the anchor of the idle statements, owned by nobody
        // else: the connection closes and takes them with it.
        delete this;
        return;
    }
    if (statement_)
        sqlite3_finalize(statement_);
    statement_ = nullptr;
    query_.reset();
    errorCode_ = SQLITE_MISUSE;
    errorText_ = QStringLiteral("la conexión está cerrada");
}

void Statement::setWindow(int rows)
{
    window_ = rows;
    // A window streamed row by row would cost the driver a result and a wait
    // per row, and keep the connection from other statements until its end.
    if (query_ && preparation_ == Preparation::Pending)
        query_->setForwardOnly(rows < 0);
}

bool Statement::prepare()
{
    if (preparation_ == Preparation::Pending)
        preparation_ = query_->prepare(sql_) ? Preparation::Done : Preparation::Failed;
    return preparation_ == Preparation::Done;
}

void Statement::addBindValue(const QVariant& value)
{
    if (query_) {
        if (prepare())
            query_->addBindValue(value);
        return;
    }
    if (statement_ == nullptr)
        return;
    if (bound_ == 0)
        finish();
    bindAt(++bound_, value);
}

void Statement::rebind(int position, const QVariant& value)
{
    if (query_) {
        if (prepare())
            query_->bindValue(position - 1, value);
        return;
    }
    if (statement_ == nullptr)
        return;
    if (bound_ == 0)
        finish();
    bound_ = std::max(bound_, position);
    bindAt(position, value);
}

void Statement::bindAt(int position, const QVariant& value)
{
    // Keys and limits are whole numbers, bound on every seek.
    switch (value.metaType().id()) {
    case QMetaType::Int:
        sqlite3_bind_int64(statement_, position, *static_cast<const int*>(value.constData()));
        return;
    case QMetaType::LongLong:
        sqlite3_bind_int64(statement_, position, *static_cast<const qint64*>(value.constData()));
        return;
    }
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement_, position);
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        sqlite3_bind_int64(statement_, position, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement_, position, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(statement_, position, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
    if (value.metaType().id() == QMetaType::QString)
        bindText(position, *static_cast<const QString*>(value.constData()));
    else
        bindText(position, value.toString());
}

void Statement::bindText(int position, QStringView text)
{
    if (text.isEmpty()) {
        sqlite3_bind_text(statement_, position, "", 0, SQLITE_STATIC);
        return;
    }
    // The file keeps its texts in UTF-8: the text is encoded here, once,
    // into a buffer the statement takes over, instead of being copied as
    // UTF-16 and then converted by the engine (a form binds every field of
    // its record on each write).
    const qsizetype most = text.size() * 3;
    auto* buffer = static_cast<char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(most)));
    if (buffer == nullptr) {
        sqlite3_bind_text16(statement_, position, text.utf16(), static_cast<int>(text.size() * sizeof(char16_t)),
                            SQLITE_TRANSIENT);
        return;
    }
    // Characters of up to three bytes (all of a Spanish text) are encoded
    // here; from the first surrogate on, Qt's encoder takes over, so that a
    // pair or a lone half is encoded as QString::toUtf8 encodes it.
    const char16_t* units = text.utf16();
    char* end = buffer;
    qsizetype at = 0;
    for (; at < text.size(); ++at) {
        const char16_t unit = units[at];
        if (unit < 0x80) {
            *end++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *end++ = static_cast<char>(0xC0 | (unit >> 6));
            *end++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else if (unit < 0xD800 || unit > 0xDFFF) {
            *end++ = static_cast<char>(0xE0 | (unit >> 12));
            *end++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *end++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            break;
        }
    }
    if (at < text.size()) {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        end = encoder.appendToBuffer(end, text.mid(at));
    }
    sqlite3_bind_text64(statement_, position, buffer, static_cast<sqlite3_uint64>(end - buffer), sqlite3_free,
                        SQLITE_UTF8);
}

void Statement::addBindInteger(qint64 value)
{
    if (query_) {
        addBindValue(value);
        return;
    }
    if (statement_ == nullptr)
        return;
    if (bound_ == 0)
        finish();
    sqlite3_bind_int64(statement_, ++bound_, value);
}

void Statement::addBindText(QByteArrayView utf8)
{
    if (query_) {
        addBindValue(utf8.isEmpty() ? QStringLiteral("") : QString::fromUtf8(utf8));
        return;
    }
    if (statement_ == nullptr)
        return;
    if (bound_ == 0)
        finish();
    // Never Null: an empty text is bound as an empty text.
    sqlite3_bind_text(statement_, ++bound_, utf8.isNull() ? "" : utf8.data(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

bool Statement::exec()
{
    stepFailed_ = false;
    rowsRead_ = 0;
    // A select another cursor keeps open would hand this statement its old
    // snapshot, and a write on it fails with SQLITE_BUSY_SNAPSHOT.
    if (database_)
        database_->endHeldRead();
    if (query_)
        return prepare() && query_->exec();
    if (statement_ == nullptr)
        return false;
    if (bound_ == 0)
        finish();
    bound_ = 0;
    stepped_ = true;
    stepResult_ = sqlite3_step(statement_);
    if (stepResult_ == SQLITE_ROW) {
        firstRowPending_ = true;
        return true;
    }
    if (stepResult_ == SQLITE_DONE)
        return true;
    sqlite3* handle = sqlite3_db_handle(statement_);
    errorCode_ = sqlite3_extended_errcode(handle);
    errorText_ = QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_reset(statement_);
    stepped_ = false;
    return false;
}

bool Statement::next()
{
    if (query_) {
        if (query_->next()) {
            ++rowsRead_;
            return true;
        }
        stepFailed_ = query_->lastError().isValid();
        return false;
    }
    if (statement_ == nullptr)
        return false;
    if (firstRowPending_) {
        firstRowPending_ = false;
        ++rowsRead_;
        return true;
    }
    if (stepResult_ != SQLITE_ROW)
        return false;
    stepResult_ = sqlite3_step(statement_);
    if (stepResult_ == SQLITE_ROW) {
        ++rowsRead_;
        return true;
    }
    if (stepResult_ != SQLITE_DONE) {
        stepFailed_ = true;
        sqlite3* handle = sqlite3_db_handle(statement_);
        errorCode_ = sqlite3_extended_errcode(handle);
        errorText_ = QString::fromUtf8(sqlite3_errmsg(handle));
    }
    return false;
}

void Statement::finish()
{
    if (query_) {
        query_->finish();
        return;
    }
    if (statement_ == nullptr)
        return;
    // A statement not stepped since its last reset has nothing to release
    // (binding the values of a run finishes the last one first).
    if (stepped_)
        sqlite3_reset(statement_);
    stepped_ = false;
    firstRowPending_ = false;
    stepResult_ = SQLITE_DONE;
}

bool Statement::isNull(int column) const
{
    if (query_)
        return query_->isNull(column);
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

qint64 Statement::int64(int column) const
{
    if (query_)
        return query_->value(column).toLongLong();
    return sqlite3_column_int64(statement_, column);
}

void Statement::readField(int column, FieldType type, QVariant& into) const
{
    if (query_) {
        into = fromStorage(type, query_->value(column));
        return;
    }
    // SQLite reads a Null as 0, 0.0 or no text: the empty value of those
    // types. Only a date needs to tell a Null apart.
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        into.setValue(static_cast<int>(sqlite3_column_int64(statement_, column)));
        return;
    case FieldType::Double:
        into.setValue(sqlite3_column_double(statement_, column));
        return;
    case FieldType::Currency:
        into.setValue(roundToCurrency(sqlite3_column_double(statement_, column)));
        return;
    case FieldType::Date: {
        if (sqlite3_column_type(statement_, column) == SQLITE_NULL) {
            into = emptyDate();
            return;
        }
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        into = dateFromSqliteText(text, sqlite3_column_bytes(statement_, column));
        return;
    }
    case FieldType::Text:
    case FieldType::Memo: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        assignUtf8Value(into, text, sqlite3_column_bytes(statement_, column));
        return;
    }
    }
    into = value(column);
}

QVariant Statement::value(int column) const
{
    if (query_)
        return query_->value(column);
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return static_cast<qint64>(sqlite3_column_int64(statement_, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement_, column);
    case SQLITE_BLOB: {
        const char* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
        return QByteArray(bytes, sqlite3_column_bytes(statement_, column));
    }
    case SQLITE_NULL:
        return QVariant();
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement_, column));
}

int Statement::columnCount() const
{
    if (query_)
        return query_->record().count();
    return statement_ ? sqlite3_column_count(statement_) : 0;
}

QString Statement::columnName(int column) const
{
    if (query_)
        return query_->record().fieldName(column);
    return QString::fromUtf8(sqlite3_column_name(statement_, column));
}

int Statement::rowsAffected() const
{
    if (query_)
        return query_->numRowsAffected();
    return statement_ ? sqlite3_changes(sqlite3_db_handle(statement_)) : 0;
}

qint64 Statement::lastInsertId() const
{
    if (query_)
        return query_->lastInsertId().toLongLong();
    return statement_ ? sqlite3_last_insert_rowid(sqlite3_db_handle(statement_)) : 0;
}

bool Statement::readsMayBeHeld(Database& database)
{
    // A held select there is a window of rows that arrived whole.
    if (database.backend() != Backend::Sqlite)
        return true;
    sqlite3* handle = sqliteHandle(database);
    if (handle == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> guard(idleMutex);
        if (IdleStatements* idle = idleOf(database, handle, false); idle && idle->walSeen)
            return true;
    }
    sqlite3_stmt* pragma = nullptr;
    if (sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &pragma, nullptr) != SQLITE_OK)
        return false;
    const bool wal = sqlite3_step(pragma) == SQLITE_ROW
        && qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(pragma, 0)), "wal") == 0;
    sqlite3_finalize(pragma);
    if (wal) {
        // The log mode stays once set; a connection not yet in it is asked
        // again next time.
        std::lock_guard<std::mutex> guard(idleMutex);
        if (IdleStatements* idle = idleOf(database, handle, false))
            idle->walSeen = true;
    }
    return wal;
}

DbError Statement::failure(const QString& message) const
{
    if (database_ == nullptr)
        return DbError::make(DbErrorNumber::Unexpected, message, errorText_);
    if (query_)
        return database_->failure(query_->lastError(), message);
    return database_->failure(QString::number(errorCode_), errorText_, message);
}
