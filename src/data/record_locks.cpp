#include "data/record_locks.h"

#include "data/database.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// One key value as text that is the same however the value was typed:
/// 7, 7.0 and "7" name the same numeric key.
QString canonicalText(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (number == std::floor(number) && std::fabs(number) < 1e15)
            return QString::number(static_cast<qint64>(number));
        return QString::number(number, 'g', 17);
    }
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0)).toString(Qt::ISODate);
    }
    return value.toString();
}

void addBytes(quint64& hash, const QByteArray& bytes)
{
    for (char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ULL;
    }
}

/// Lock byte of a key: well inside the range a file offset can take.
off_t lockOffset(quint64 key)
{
    return static_cast<off_t>(key >> 17);
}

/// The byte of the "in use" mark: past the byte of any key.
constexpr off_t inUseOffset = off_t(1) << 47;

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code)) + QStringLiteral(" (errno %1)").arg(code);
}

/// Sets or clears an open-file-description lock on one byte, without waiting.
bool setByteLock(int descriptor, short type, off_t offset)
{
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = offset;
    lock.l_len = 1;
    return ::fcntl(descriptor, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

quint64 recordLockKey(const QString& table, const QVariantList& keyValues)
{
    // FNV-1a over the table name and the values, each closed by a zero byte
    // so that ("AB", "C") and ("A", "BC") differ.
    quint64 hash = 14695981039346656037ULL;
    addBytes(hash, table.toUpper().toUtf8());
    addBytes(hash, QByteArray(1, '\0'));
    for (const QVariant& value : keyValues) {
        addBytes(hash, canonicalText(value).toUtf8());
        addBytes(hash, QByteArray(1, '\0'));
    }
    return hash;
}

std::unique_ptr<RecordLocks> RecordLocks::forDatabase(Database& database)
{
    switch (database.backend()) {
    case Backend::Sqlite:
        return std::make_unique<FileRecordLocks>(database.location().file);
    case Backend::Postgres:
        return std::make_unique<AdvisoryRecordLocks>(database);
    }
    return nullptr;
}

QString lockFileOf(const QString& databaseFile)
{
    return databaseFile + QStringLiteral(".lck");
}

int openLockFile(const QString& databaseFile, QString* reason, QString* details)
{
    const QByteArray path = QFile::encodeName(lockFileOf(databaseFile));
    int descriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0 && errno == ENOENT) {
        struct stat database;
        const mode_t mode = ::stat(QFile::encodeName(databaseFile).constData(), &database) == 0
                                ? (database.st_mode & 0777)
                                : 0660;
        descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        // The creator's umask must not take from others what the database grants.
        if (descriptor >= 0)
            ::fchmod(descriptor, mode);
        else if (errno == EEXIST)
            descriptor = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    }
    if (descriptor >= 0)
        return descriptor;
    const int code = errno;
    if (reason)
        *reason = QStringLiteral("no se puede abrir el archivo de bloqueos ") + lockFileOf(databaseFile);
    if (details)
        *details = systemText(code);
    return -1;
}

bool DatabaseInUse::take(const QString& databaseFile, Kind kind, QString* reason, QString* details)
{
    release();
    QString openReason;
    QString openDetails;
    const int descriptor = openLockFile(databaseFile, &openReason, &openDetails);
    if (descriptor < 0) {
        if (reason)
            *reason = openReason;
        if (details)
            *details = openDetails;
        return false;
    }
    const short type = kind == Kind::Shared ? F_RDLCK : F_WRLCK;
    if (setByteLock(descriptor, type, inUseOffset)) {
        descriptor_ = descriptor;
        return true;
    }
    const int code = errno;
    ::close(descriptor);
    if (reason) {
        const bool conflict = code == EAGAIN || code == EACCES;
        if (!conflict)
            *reason = QStringLiteral("no se puede bloquear el archivo de bloqueos ") + lockFileOf(databaseFile);
        else if (kind == Kind::Shared)
            *reason = QStringLiteral("el archivo se está reemplazando en este momento");
        else
            *reason = QStringLiteral("la base de datos está abierta en otro puesto");
    }
    if (details)
        *details = systemText(code);
    return false;
}

void DatabaseInUse::release()
{
    // Closing the descriptor frees the lock of its open file description.
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

FileRecordLocks::FileRecordLocks(const QString& databaseFile)
    : databaseFile_(databaseFile), lockFile_(lockFileOf(databaseFile))
{
}

FileRecordLocks::~FileRecordLocks()
{
    // Closing the descriptor frees every lock of this open file description.
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

DbError FileRecordLocks::openFile()
{
    if (descriptor_ >= 0)
        return {};
    QString reason;
    QString details;
    descriptor_ = openLockFile(databaseFile_, &reason, &details);
    if (descriptor_ >= 0)
        return {};
    return DbError::make(DbErrorNumber::LockFileFailure, QStringLiteral("No se puede reservar el registro: ") + reason,
                         details);
}

DbError FileRecordLocks::acquire(quint64 key)
{
    auto held = held_.find(key);
    if (held != held_.end()) {
        ++held.value();
        return {};
    }
    if (DbError error = openFile())
        return error;
    if (setByteLock(descriptor_, F_WRLCK, lockOffset(key))) {
        held_.insert(key, 1);
        return {};
    }
    const int code = errno;
    if (code == EAGAIN || code == EACCES)
        return DbError::make(DbErrorNumber::LockedByAnotherWorkstation,
                             QStringLiteral("Registro reservado por otro"));
    return DbError::make(DbErrorNumber::LockFileFailure,
                         QStringLiteral("No se puede reservar el registro: no se puede bloquear en el archivo ")
                             + lockFile_,
                         systemText(code));
}

void FileRecordLocks::release(quint64 key)
{
    auto held = held_.find(key);
    if (held == held_.end())
        return;
    if (--held.value() > 0)
        return;
    held_.erase(held);
    setByteLock(descriptor_, F_UNLCK, lockOffset(key));
}

AdvisoryRecordLocks::~AdvisoryRecordLocks()
{
    // The server frees session locks when the connection ends; free them
    // here too for a connection that stays open.
    for (auto held = held_.cbegin(); held != held_.cend(); ++held) {
        for (int times = 0; times < held.value(); ++times) {
            QSqlQuery query(database_.connection());
            query.prepare(QStringLiteral("SELECT pg_advisory_unlock(?)"));
            query.addBindValue(static_cast<qint64>(held.key()));
            query.exec();
        }
    }
}

DbError AdvisoryRecordLocks::acquire(quint64 key)
{
    auto held = held_.find(key);
    if (held != held_.end()) {
        ++held.value();
        return {};
    }
    QSqlQuery query(database_.connection());
    query.prepare(QStringLiteral("SELECT pg_try_advisory_lock(?)"));
    query.addBindValue(static_cast<qint64>(key));
    if (!query.exec() || !query.next())
        return database_.failure(query.lastError(), QStringLiteral("No se pudo bloquear el registro"));
    if (!query.value(0).toBool())
        return DbError::make(DbErrorNumber::LockedByAnotherWorkstation, QStringLiteral("Registro reservado por otro"));
    held_.insert(key, 1);
    return {};
}

void AdvisoryRecordLocks::release(quint64 key)
{
    auto held = held_.find(key);
    if (held == held_.end())
        return;
    if (--held.value() > 0)
        return;
    held_.erase(held);
    QSqlQuery query(database_.connection());
    query.prepare(QStringLiteral("SELECT pg_advisory_unlock(?)"));
    query.addBindValue(static_cast<qint64>(key));
    query.exec();
}
