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
        return std::make_unique<FileRecordLocks>(database.location().file + QStringLiteral(".lck"));
    case Backend::Postgres:
        return std::make_unique<AdvisoryRecordLocks>(database);
    }
    return nullptr;
}

FileRecordLocks::FileRecordLocks(const QString& lockFile) : lockFile_(lockFile) {}

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
    const QByteArray path = QFile::encodeName(lockFile_);
    descriptor_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor_ >= 0)
        return {};
    const int code = errno;
    return DbError::make(DbErrorNumber::PathNotFound,
                         QStringLiteral("No se pudo abrir el archivo de bloqueos ") + lockFile_,
                         QString::fromLocal8Bit(std::strerror(code)) + QStringLiteral(" (errno %1)").arg(code));
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
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = lockOffset(key);
    lock.l_len = 1;
    if (::fcntl(descriptor_, F_OFD_SETLK, &lock) == 0) {
        held_.insert(key, 1);
        return {};
    }
    const int code = errno;
    if (code == EAGAIN || code == EACCES)
        return DbError::make(DbErrorNumber::LockedByAnotherWorkstation,
                             QStringLiteral("Registro reservado por otro"));
    return DbError::make(DbErrorNumber::Unexpected, QStringLiteral("No se pudo bloquear el registro"),
                         QString::fromLocal8Bit(std::strerror(code)) + QStringLiteral(" (errno %1)").arg(code));
}

void FileRecordLocks::release(quint64 key)
{
    auto held = held_.find(key);
    if (held == held_.end())
        return;
    if (--held.value() > 0)
        return;
    held_.erase(held);
    struct flock lock;
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = lockOffset(key);
    lock.l_len = 1;
    ::fcntl(descriptor_, F_OFD_SETLK, &lock);
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
