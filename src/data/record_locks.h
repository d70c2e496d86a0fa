#pragma once

#include "data/db_error.h"

#include <QHash>
#include <QString>
#include <QVariantList>

#include <memory>

class Database;

// Pessimistic record locks that every workstation sees. A lock is named by a
// 64-bit hash of the table and the record's key values. A connection holds a
// lock until it releases it or closes; a process that dies leaves no lock
// behind. Locks taken twice through one connection are counted and freed on
// the last release.

/// The name of the lock of one record.
quint64 recordLockKey(const QString& table, const QVariantList& keyValues);

class RecordLocks {
public:
    virtual ~RecordLocks() = default;

    /// Takes the lock at once or fails with 3260 when another connection or
    /// process holds it; never waits.
    virtual DbError acquire(quint64 key) = 0;
    virtual void release(quint64 key) = 0;
    /// Whether this connection holds `key`.
    virtual bool holds(quint64 key) const = 0;

    /// The locks that suit `database`'s backend: byte-range locks on a file
    /// beside an SQLite database, advisory locks on a PostgreSQL server.
    static std::unique_ptr<RecordLocks> forDatabase(Database& database);
};

/// The lock file beside an SQLite database file: "<database file>.lck".
QString lockFileOf(const QString& databaseFile);

/// Opens (creating it if need be) the lock file of `databaseFile` for
/// reading and writing. A new lock file takes the database file's own
/// permission bits, so that every account that may write the database may
/// lock in it. -1 with `reason` (a Spanish clause) and `details` (the
/// system's text) set when it cannot be opened.
int openLockFile(const QString& databaseFile, QString* reason, QString* details);

/// The mark that a database file is in use: every workstation that opens it
/// holds a shared lock on one byte of its lock file, past every record's
/// byte, for as long as it has the file open; whoever replaces the file takes
/// that byte exclusively first, so it can neither replace a file in use nor
/// have a workstation open the file while it does.
class DatabaseInUse {
public:
    enum class Kind { Shared, Exclusive };
    DatabaseInUse() = default;
    ~DatabaseInUse() { release(); }
    DatabaseInUse(const DatabaseInUse&) = delete;
    DatabaseInUse& operator=(const DatabaseInUse&) = delete;

    /// Takes the mark of `databaseFile` without waiting. False with `reason`
    /// (a Spanish clause) and `details` set when the lock file cannot be
    /// opened or another holder's lock conflicts.
    bool take(const QString& databaseFile, Kind kind, QString* reason, QString* details = nullptr);
    void release();
    bool held() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

/// Byte-range locks on "<database file>.lck", one byte per key, taken with
/// open-file-description locks: two connections of one process conflict, and
/// the kernel frees the locks of a process that ends in any way.
class FileRecordLocks : public RecordLocks {
public:
    /// The locks of the SQLite database `databaseFile`.
    explicit FileRecordLocks(const QString& databaseFile);
    ~FileRecordLocks() override;

    DbError acquire(quint64 key) override;
    void release(quint64 key) override;
    bool holds(quint64 key) const override { return held_.contains(key); }
    QString lockFile() const { return lockFile_; }

private:
    DbError openFile();

    QString databaseFile_;
    QString lockFile_;
    int descriptor_ = -1;
    QHash<quint64, int> held_;  ///< key -> times taken
};

/// Session advisory locks of a PostgreSQL server, keyed by the same hash.
class AdvisoryRecordLocks : public RecordLocks {
public:
    explicit AdvisoryRecordLocks(Database& database) : database_(database) {}
    ~AdvisoryRecordLocks() override;

    DbError acquire(quint64 key) override;
    void release(quint64 key) override;
    bool holds(quint64 key) const override { return held_.contains(key); }

private:
    Database& database_;
    QHash<quint64, int> held_;
};
