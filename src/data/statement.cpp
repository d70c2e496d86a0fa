#include "data/statement.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/field_value.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QStringDecoder>

#include <sqlite3.h>

namespace {

/// The sqlite3 handle behind a Qt SQLite connection.
sqlite3* sqliteHandle(Database& database)
{
    const QVariant handle = database.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

}  // namespace

Statement::Statement(Database& database, const QString& sql) : database_(&database), sql_(sql)
{
    database.attachStatement(this);
    if (database.backend() != Backend::Sqlite) {
        query_ = std::make_unique<QSqlQuery>(database.connection());
        query_->setForwardOnly(true);
        return;
    }
    sqlite3* handle = sqliteHandle(database);
    if (handle == nullptr) {
        errorCode_ = SQLITE_MISUSE;
        errorText_ = QStringLiteral("la conexión no está abierta");
        return;
    }
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
    release();
}

void Statement::release()
{
    if (database_ == nullptr)
        return;
    database_->detachStatement(this);
    database_ = nullptr;
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
    const int position = ++bound_;
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
    const QString text = value.toString();
    sqlite3_bind_text16(statement_, position, text.utf16(), static_cast<int>(text.size() * sizeof(char16_t)),
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
    sqlite3_reset(statement_);
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

namespace {

/// Stores the UTF-8 `bytes` in `into` as text, in the buffer of the text it
/// already holds when that is not shared and is large enough.
void assignUtf8(QVariant& into, const char* bytes, int length)
{
    if (bytes == nullptr) {
        into.setValue(QString());
        return;
    }
    if (into.metaType() == QMetaType::fromType<QString>()) {
        QString& text = *static_cast<QString*>(into.data());
        if (text.isDetached() && text.capacity() >= length) {
            text.resize(length);  // UTF-16 never needs more units than UTF-8 bytes
            QChar* out = text.data();
            // Plain ASCII is copied as it is; the decoder takes over at the
            // first byte of a longer sequence.
            int ascii = 0;
            for (; ascii < length && static_cast<unsigned char>(bytes[ascii]) < 0x80; ++ascii)
                out[ascii] = QLatin1Char(bytes[ascii]);
            QChar* end = out + ascii;
            if (ascii < length) {
                QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                end = decoder.appendToBuffer(end, QByteArrayView(bytes + ascii, length - ascii));
            }
            text.truncate(end - out);
            return;
        }
    }
    into = QString::fromUtf8(bytes, length);
}

}  // namespace

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
        assignUtf8(into, text, sqlite3_column_bytes(statement_, column));
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
    sqlite3_stmt* pragma = nullptr;
    if (handle == nullptr || sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &pragma, nullptr) != SQLITE_OK)
        return false;
    const bool wal = sqlite3_step(pragma) == SQLITE_ROW
        && qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(pragma, 0)), "wal") == 0;
    sqlite3_finalize(pragma);
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
