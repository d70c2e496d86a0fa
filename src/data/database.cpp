#include "data/database.h"

#include "data/error_translator.h"
#include "data/record_locks.h"
#include "data/schema_check.h"
#include "data/schema_sql.h"
#include "data/statement.h"

#include <QAtomicInt>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

Database* mainDatabase = nullptr;

QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("uordane-%1").arg(counter.fetchAndAddRelaxed(1));
}

}  // namespace

DatabaseLocation DatabaseLocation::sqliteFile(const QString& file)
{
    DatabaseLocation location;
    location.backend = Backend::Sqlite;
    location.file = file;
    return location;
}

QString DatabaseLocation::displayName() const
{
    switch (backend) {
    case Backend::Sqlite:
        return file;
    case Backend::Postgres:
        return server + "/" + database;
    }
    return file;
}

Database::Database(const DatabaseLocation& location)
    : location_(location), connectionName_(newConnectionName())
{
}

Database::~Database()
{
    close();
    if (mainDatabase == this)
        mainDatabase = nullptr;
}

namespace {

/// Creates the new SQLite file `file` readable and writable by its owner and
/// group only (workstations of one group share a database), refusing a file
/// or a symbolic link that is already there. An empty file is a new database
/// to SQLite.
bool createEmptyDatabaseFile(const QString& file, QString* details)
{
    const int descriptor = ::open(QFile::encodeName(file).constData(),
                                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0660);
    if (descriptor < 0) {
        const int code = errno;
        *details = QString::fromLocal8Bit(std::strerror(code)) + QStringLiteral(" (errno %1)").arg(code);
        return false;
    }
    // The umask of whoever creates it must not take the group's access away.
    ::fchmod(descriptor, 0660);
    ::close(descriptor);
    return true;
}

/// SQLite takes a double-quoted name that matches no column for a text
/// literal: a missing field would read as its own name in every row. With
/// that leniency off it is an error, as it is on every other engine.
void refuseQuotedLiterals(QSqlDatabase& connection)
{
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
    if (sqlite == nullptr)
        return;
    sqlite3_db_config(sqlite, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(sqlite, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

}  // namespace

bool Database::open(OpenMode mode)
{
    if (isOpen())
        return true;
    errorText_.clear();
    errorDetails_.clear();
    const bool checked = mode == OpenMode::Existing || mode == OpenMode::ReadOnly;
    const bool readOnly = mode == OpenMode::ReadOnly;
    if (location_.backend == Backend::Sqlite) {
        if (checked) {
            // An absent, empty or foreign file is refused before SQLite sees
            // it: SQLite would make an empty file a database of its own.
            if (const QString problem = sqliteFileProblem(location_.file); !problem.isEmpty())
                return refuseOpen(problem);
            if (!readOnly) {
                inUse_ = std::make_unique<DatabaseInUse>();
                QString reason;
                QString details;
                if (!inUse_->take(location_.file, DatabaseInUse::Kind::Shared, &reason, &details))
                    return refuseOpen(reason, details);
            }
        } else if (!QFileInfo::exists(location_.file)) {
            if (mode != OpenMode::CreateIfMissing)
                return refuseOpen(QStringLiteral("el archivo no existe"));
            QString details;
            if (!createEmptyDatabaseFile(location_.file, &details))
                return refuseOpen(QStringLiteral("no se puede crear el archivo"), details);
        }
    }
    if (!connect(mode))
        return false;
    if (location_.backend == Backend::Sqlite)
        refuseQuotedLiterals(connection_);
    if (checked) {
        QString reason;
        if (!checkProgramDatabase(*this, readOnly, &reason))
            return refuseOpen(reason);
    }
    if (location_.backend == Backend::Sqlite) {
        // Only a database of ours, once checked, is switched to the log mode
        // the workstations share; a read-only look changes nothing.
        if (!readOnly) {
            QSqlQuery pragma(connection_);
            pragma.exec("PRAGMA journal_mode=WAL");
            pragma.exec("PRAGMA synchronous=NORMAL");
        }
        rememberFile();
    }
    return true;
}

bool Database::connect(OpenMode mode)
{
    switch (location_.backend) {
    case Backend::Sqlite:
        connection_ = QSqlDatabase::addDatabase("QSQLITE", connectionName_);
        connection_.setDatabaseName(location_.file);
        connection_.setConnectOptions(mode == OpenMode::ReadOnly
                                          ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                                          : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        break;
    case Backend::Postgres:
        connection_ = QSqlDatabase::addDatabase("QPSQL", connectionName_);
        connection_.setHostName(location_.server);
        connection_.setDatabaseName(location_.database);
        connection_.setUserName(location_.user);
        connection_.setPassword(location_.password);
        if (location_.port > 0)
            connection_.setPort(location_.port);
        break;
    }
    if (connection_.open())
        return true;
    const QSqlError error = connection_.lastError();
    const QString driverText = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    const QString reason = databaseFailureReason(location_.backend, error.nativeErrorCode(), driverText);
    return refuseOpen(reason.isEmpty() ? QStringLiteral("el controlador de la base de datos no la abrió") : reason,
                      driverText.trimmed());
}

bool Database::refuseOpen(const QString& reason, const QString& details)
{
    close();
    errorText_ = QStringLiteral("No se puede abrir la base de datos ") + location_.displayName()
                 + QStringLiteral(": ") + reason + '.';
    errorDetails_ = details;
    return false;
}

void Database::rememberFile()
{
    struct stat status;
    encodedFile_ = QFile::encodeName(location_.file);
    if (::stat(encodedFile_.constData(), &status) != 0)
        return;
    fileDevice_ = static_cast<quint64>(status.st_dev);
    fileInode_ = static_cast<quint64>(status.st_ino);
#ifdef O_PATH
    forgetFolder();
    const QByteArray folder = QFile::encodeName(QFileInfo(location_.file).absolutePath());
    folderHandle_ = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    // Local Linux file systems stamp times from the clock's coarse tick, to
    // the nanosecond; others may keep whole seconds, or two.
    struct statfs system;
    const bool fineTimes = folderHandle_ >= 0 && ::fstatfs(folderHandle_, &system) == 0
                           && (system.f_type == EXT4_SUPER_MAGIC || system.f_type == XFS_SUPER_MAGIC
                               || system.f_type == BTRFS_SUPER_MAGIC || system.f_type == TMPFS_MAGIC
                               || system.f_type == OVERLAYFS_SUPER_MAGIC || system.f_type == F2FS_SUPER_MAGIC);
    folderTimeGrain_ = fineTimes ? 0 : 3'000'000'000;
#endif
}

namespace {

qint64 nanoseconds(const struct timespec& moment)
{
    return qint64(moment.tv_sec) * 1000000000 + moment.tv_nsec;
}

qint64 nowIn(clockid_t clock)
{
    struct timespec now;
    ::clock_gettime(clock, &now);
    return nanoseconds(now);
}

}  // namespace

void Database::forgetFolder()
{
    if (folderHandle_ >= 0)
        ::close(folderHandle_);
    folderHandle_ = -1;
    folderTimeSettled_ = false;
}

bool Database::folderUnchanged() const
{
    // A name of the folder that is removed, added or renamed changes its
    // modification time. The time is trusted once the clock has moved past
    // it by more than the file system's grain: a change within the same
    // grain would leave it as it was. The path itself is still looked at
    // once a second, for a folder replaced as a whole.
    constexpr qint64 pathEvery = 1'000'000'000;  // ns
    struct stat folder;
    if (folderHandle_ < 0 || ::fstat(folderHandle_, &folder) != 0)
        return false;
    const qint64 changedAt = nanoseconds(folder.st_mtim);
    const bool unchanged = folderTimeSettled_ && changedAt == folderChangedAt_
                           && nowIn(CLOCK_MONOTONIC_COARSE) - pathCheckedAt_ < pathEvery;
    if (!unchanged) {
        // Taken before the path is looked at: a change after this moment
        // moves the time again.
        folderChangedAt_ = changedAt;
        folderTimeSettled_ = nowIn(CLOCK_REALTIME_COARSE) - changedAt > folderTimeGrain_;
    }
    return unchanged;
}

DbError Database::checkFileInPlace() const
{
    if (location_.backend != Backend::Sqlite || fileInode_ == 0)
        return {};
    // Every write outside a transaction comes here; looking the path up
    // costs as much as a good part of the write.
    if (folderUnchanged())
        return {};
    struct stat status;
    const bool present = ::stat(encodedFile_.constData(), &status) == 0;
    pathCheckedAt_ = nowIn(CLOCK_MONOTONIC_COARSE);
    if (present && static_cast<quint64>(status.st_dev) == fileDevice_
        && static_cast<quint64>(status.st_ino) == fileInode_)
        return {};
    folderTimeSettled_ = false;
    // Writing on would go into a file nobody will ever open again.
    return DbError::make(DbErrorNumber::Unexpected,
                         QStringLiteral("No se puede grabar en la base de datos ") + location_.displayName()
                             + (present ? QStringLiteral(": el archivo fue reemplazado por otro")
                                        : QStringLiteral(": el archivo fue borrado"))
                             + QStringLiteral(" mientras el programa lo usaba. Salga del programa y vuelva a "
                                              "entrar."));
}

void Database::close()
{
    endHeldRead();
    // Locks die with the connection, as they do when a workstation goes away.
    locks_.reset();
    releasedAtTransactionEnd_.clear();
    transactionDepth_ = 0;
    const QList<Statement*> statements = statements_;
    statements_.clear();
    for (Statement* statement : statements)
        statement->release();
    fileDevice_ = 0;
    fileInode_ = 0;
    forgetFolder();
    if (connection_.isValid()) {
        connection_.close();
        connection_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
    inUse_.reset();
}

bool Database::isOpen() const
{
    return connection_.isValid() && connection_.isOpen();
}

Database* Database::main()
{
    return mainDatabase;
}

void Database::setMain(Database* database)
{
    mainDatabase = database;
}

namespace {

/// Runs one statement without values; the failure keeps the driver's text.
DbError runPlain(Database& database, const QString& sql, const QString& message)
{
    // On SQLite the statement stays prepared among the connection's idle
    // ones: a begin and a commit come with every write.
    if (database.backend() == Backend::Sqlite) {
        Statement statement(database, sql);
        if (statement.exec()) {
            statement.finish();
            return {};
        }
        return statement.failure(message);
    }
    QSqlQuery query(database.connection());
    if (query.exec(sql))
        return {};
    return database.failure(query.lastError(), message);
}

}  // namespace

DbError Database::beginTransaction()
{
    endHeldRead();
    if (transactionDepth_ > 0) {
        ++transactionDepth_;
        return {};
    }
    if (DbError error = checkFileInPlace())
        return error;
    // SQLite: take the write lock at once, so that a transaction never fails
    // halfway when another connection wrote since our last read.
    const QString begin = backend() == Backend::Sqlite ? QStringLiteral("BEGIN IMMEDIATE")
                                                       : QStringLiteral("BEGIN");
    DbError error = runPlain(*this, begin, QStringLiteral("No se pudo iniciar la transacción"));
    if (error)
        return error;
    transactionDepth_ = 1;
    return {};
}

DbError Database::commit()
{
    endHeldRead();
    if (transactionDepth_ == 0)
        return {};
    if (transactionDepth_ > 1) {
        --transactionDepth_;
        return {};
    }
    DbError error = runPlain(*this, QStringLiteral("COMMIT"),
                             QStringLiteral("No se pudo confirmar la transacción"));
    if (error) {
        rollback();
        return error;
    }
    transactionDepth_ = 0;
    releaseDeferredLocks();
    return {};
}

DbError Database::rollback()
{
    endHeldRead();
    if (transactionDepth_ == 0)
        return {};
    transactionDepth_ = 0;
    DbError error = runPlain(*this, QStringLiteral("ROLLBACK"), QStringLiteral("No se pudo deshacer la transacción"));
    releaseDeferredLocks();
    return error;
}

void Database::releaseLock(quint64 key)
{
    if (!isOpen())
        return;
    if (transactionDepth_ > 0) {
        releasedAtTransactionEnd_.append(key);
        return;
    }
    locks().release(key);
}

void Database::releaseDeferredLocks()
{
    const QList<quint64> keys = releasedAtTransactionEnd_;
    releasedAtTransactionEnd_.clear();
    for (quint64 key : keys)
        locks().release(key);
}

DbError Database::execute(const QString& statement, const QVariantList& values, int* rowsAffected)
{
    if (rowsAffected)
        *rowsAffected = 0;
    endHeldRead();
    if (transactionDepth_ == 0) {
        if (DbError error = checkFileInPlace())
            return error;
    }
    QSqlQuery query(connection_);
    const QString sql = translateJetSql(statement, backend());
    bool done = query.prepare(sql);
    if (done) {
        for (const QVariant& value : values)
            query.addBindValue(storageValue(value, backend()));
        done = query.exec();
    }
    if (!done) {
        // A failed write inside a transaction must not leave half a change
        // waiting for a commit that will never come.
        DbError error = failure(query.lastError(), QStringLiteral("No se pudo ejecutar: ") + statement);
        rollback();
        return error;
    }
    if (rowsAffected)
        *rowsAffected = query.numRowsAffected();
    return {};
}

void Database::holdRead(HeldRead* reader)
{
    if (heldRead_ != reader)
        endHeldRead();
    heldRead_ = reader;
}

void Database::endHeldRead()
{
    HeldRead* reader = heldRead_;
    heldRead_ = nullptr;
    if (reader)
        reader->endHeldRead();
}

void Database::forgetHeldRead(const HeldRead* reader)
{
    if (heldRead_ == reader)
        heldRead_ = nullptr;
}

void Database::attachStatement(Statement* statement)
{
    statements_.append(statement);
}

void Database::detachStatement(Statement* statement)
{
    statements_.removeOne(statement);
}

RecordLocks& Database::locks()
{
    if (!locks_)
        locks_ = RecordLocks::forDatabase(*this);
    return *locks_;
}

void Database::registerTable(const TableDef& table)
{
    // Open cursors keep a pointer to the definition: change it in place.
    auto found = registered_.find(table.name.toUpper());
    if (found != registered_.end()) {
        **found = table;
        return;
    }
    registered_.insert(table.name.toUpper(), std::make_shared<TableDef>(table));
}

void Database::unregisterTable(const QString& name)
{
    auto found = registered_.find(name.toUpper());
    if (found == registered_.end())
        return;
    // Kept alive for cursors that are still open on the dropped table.
    retired_.push_back(*found);
    registered_.erase(found);
}

const TableDef* Database::tableDef(const QString& name) const
{
    auto found = registered_.constFind(name.toUpper());
    if (found != registered_.constEnd())
        return found->get();
    return Schema::table(name);
}

DbError Database::failure(const QSqlError& error, const QString& message) const
{
    return failure(error.nativeErrorCode(), error.databaseText().isEmpty() ? error.text() : error.databaseText(),
                   message);
}

DbError Database::failure(const QString& code, const QString& engineText, const QString& message) const
{
    const QString driverText = code.isEmpty() ? engineText : engineText + QStringLiteral(" [") + code + ']';
    switch (backend()) {
    case Backend::Sqlite: {
        // Primary and extended result codes: SQLITE_CONSTRAINT (19) with a
        // unique or primary key message, SQLITE_BUSY (5), SQLITE_LOCKED (6).
        const bool uniqueViolation = (code == "19" || code == "2067" || code == "1555")
            && (driverText.contains("UNIQUE", Qt::CaseInsensitive)
                || driverText.contains("PRIMARY KEY", Qt::CaseInsensitive));
        if (uniqueViolation)
            return DbError::make(DbErrorNumber::DuplicateKey, QStringLiteral("Ya existe el registro"), driverText);
        if (code == "5" || code == "6" || code == "517" || code == "262")
            return DbError::make(DbErrorNumber::LockedByAnotherWorkstation,
                                 QStringLiteral("Base de datos bloqueada por otro puesto"), driverText);
        break;
    }
    case Backend::Postgres:
        if (code == "23505")
            return DbError::make(DbErrorNumber::DuplicateKey, QStringLiteral("Ya existe el registro"), driverText);
        if (code == "55P03" || code == "40001" || code == "40P01")
            return DbError::make(DbErrorNumber::LockedByAnotherWorkstation,
                                 QStringLiteral("Registro bloqueado por otro puesto"), driverText);
        break;
    }
    // A failure a person can understand (disk full, read-only, damaged,
    // connection lost...) says so in Spanish and names the database; the
    // driver's text stays apart, for the details line.
    const QString reason = databaseFailureReason(backend(), code, engineText);
    if (reason.isEmpty())
        return DbError::make(DbErrorNumber::Unexpected, message, driverText);
    return DbError::make(DbErrorNumber::Unexpected,
                         message + QStringLiteral(" en la base de datos ") + location_.displayName()
                             + QStringLiteral(": ") + reason + '.',
                         driverText);
}

QString quoteName(const QString& name)
{
    QString quoted = name;
    quoted.replace('"', QStringLiteral("\"\""));
    return '"' + quoted + '"';
}

QString rowIdColumn(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return QStringLiteral("rowid");
    case Backend::Postgres:
        // Tables created for PostgreSQL carry an identity column of this name.
        return QStringLiteral("kq_rowid");
    }
    return QStringLiteral("rowid");
}

namespace {

/// `moment` as PostgreSQL reads a timestamp without time zone.
QString postgresDateText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

/// A Jet date literal "#dd/mm/yyyy#" (optionally with " hh:mm:ss") as a SQL
/// literal; the text unchanged when it is not a date.
QString dateLiteral(const QString& inside, Backend backend)
{
    QDateTime moment = QDateTime::fromString(inside.trimmed(), QStringLiteral("d/M/yyyy H:m:s"));
    if (!moment.isValid())
        moment = QDateTime(QDate::fromString(inside.trimmed(), QStringLiteral("d/M/yyyy")), QTime(0, 0));
    if (!moment.isValid())
        return '#' + inside + '#';
    if (backend == Backend::Sqlite)
        return '\'' + storageValue(moment, backend).toString() + '\'';
    return '\'' + postgresDateText(moment) + '\'';
}

/// The registry's spelling of every table and field name, by upper-case
/// name. PostgreSQL folds an unquoted name to lower case while our tables
/// are created with their mixed-case names quoted, so a bare name in a
/// statement must be quoted with this spelling to be found.
const QHash<QString, QString>& schemaNames()
{
    static const QHash<QString, QString> names = [] {
        QHash<QString, QString> spelled;
        for (const TableDef& table : Schema::tables()) {
            spelled.insert(table.name.toUpper(), table.name);
            for (const FieldDef& field : table.fields)
                spelled.insert(field.name.toUpper(), field.name);
        }
        return spelled;
    }();
    return names;
}

/// `name` in the registry's spelling. A name written exactly as the registry
/// spells it stays so: the table FICCOD and its field FicCod differ only in
/// letter case, and each must keep its own.
QString registrySpelling(const QString& name)
{
    static const QSet<QString> exact = [] {
        QSet<QString> names;
        for (const TableDef& table : Schema::tables()) {
            names.insert(table.name);
            for (const FieldDef& field : table.fields)
                names.insert(field.name);
        }
        return names;
    }();
    if (exact.contains(name))
        return name;
    return schemaNames().value(name.toUpper());
}

bool startsName(QChar character)
{
    return character.isLetter() || character == '_';
}

bool continuesName(QChar character)
{
    return character.isLetterOrNumber() || character == '_' || character == '$';
}

}  // namespace

QString translateJetSql(const QString& statement, Backend backend)
{
    QString out;
    out.reserve(statement.size() + 8);
    const qsizetype length = statement.size();
    qsizetype at = 0;
    while (at < length) {
        const QChar current = statement.at(at);
        if (current == '\'') {
            // A text literal is copied as it stands, doubled quotes included.
            qsizetype end = at + 1;
            while (end < length) {
                if (statement.at(end) == '\'') {
                    if (end + 1 < length && statement.at(end + 1) == '\'') {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            out += statement.mid(at, end - at + 1);
            at = end + 1;
            continue;
        }
        if (current == '"') {
            // A quoted name is copied as it stands.
            qsizetype end = statement.indexOf('"', at + 1);
            if (end < 0)
                end = length - 1;
            out += statement.mid(at, end - at + 1);
            at = end + 1;
            continue;
        }
        if (current == '[') {
            qsizetype end = statement.indexOf(']', at + 1);
            if (end < 0)
                end = length;
            const QString name = statement.mid(at + 1, end - at - 1);
            // Jet compares names without regard to case: [catdesc] is CatDesc.
            const QString spelled = backend == Backend::Postgres ? registrySpelling(name) : QString();
            out += quoteName(spelled.isEmpty() ? name : spelled);
            at = end + 1;
            continue;
        }
        if (startsName(current)) {
            qsizetype end = at + 1;
            while (end < length && continuesName(statement.at(end)))
                ++end;
            const QString word = statement.mid(at, end - at);
            at = end;
            if (backend != Backend::Postgres) {
                out += word;
                continue;
            }
            const QString spelled = registrySpelling(word);
            out += spelled.isEmpty() ? word : quoteName(spelled);
            continue;
        }
        if (current == '#') {
            const qsizetype end = statement.indexOf('#', at + 1);
            if (end > at) {
                out += dateLiteral(statement.mid(at + 1, end - at - 1), backend);
                at = end + 1;
                continue;
            }
        }
        out += current;
        ++at;
    }
    static const QRegularExpression deleteStar(QStringLiteral("^(\\s*DELETE)\\s+\\*\\s+(FROM\\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    out.replace(deleteStar, QStringLiteral("\\1 \\2"));
    return out;
}

namespace {

/// `moment` as "yyyy-MM-ddTHH:mm:ss" reads it, written digit by digit: every
/// date of every record written passes here, and a format text is parsed
/// on each use. Years outside 0-9999 take the format's own way.
QString sqliteDateTimeText(const QDateTime& moment)
{
    const QDate day = moment.date();
    const QTime time = moment.time();
    const int year = day.year();
    if (year < 0 || year > 9999)
        return moment.toString(QLatin1String(SchemaSql::sqliteDateFormat));
    char16_t text[19];
    auto put = [&text](int at, int number, int digits) {
        for (int digit = digits - 1; digit >= 0; --digit) {
            text[at + digit] = char16_t(u'0' + number % 10);
            number /= 10;
        }
    };
    put(0, year, 4);
    text[4] = u'-';
    put(5, day.month(), 2);
    text[7] = u'-';
    put(8, day.day(), 2);
    text[10] = u'T';
    put(11, time.hour(), 2);
    text[13] = u':';
    put(14, time.minute(), 2);
    text[16] = u':';
    put(17, time.second(), 2);
    return QString(reinterpret_cast<const QChar*>(text), 19);
}

}  // namespace

QVariant storageValue(const QVariant& value, Backend backend)
{
    const int type = value.metaType().id();
    if (type != QMetaType::QDateTime && type != QMetaType::QDate)
        return value;
    QDateTime moment = type == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0)) : value.toDateTime();
    switch (backend) {
    case Backend::Sqlite:
        // Text that sorts as the dates do, years with four digits (0100).
        if (!moment.isValid())
            return QVariant(QMetaType::fromType<QString>());
        return sqliteDateTimeText(moment);
    case Backend::Postgres:
        // Wall-clock text for a TIMESTAMP WITHOUT TIME ZONE: the driver would
        // turn a QDateTime into UTC and every date would move by the zone's
        // offset.
        if (!moment.isValid())
            return QVariant(QMetaType::fromType<QString>());
        return postgresDateText(moment);
    }
    return value;
}
