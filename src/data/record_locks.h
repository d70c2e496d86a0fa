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

/// Byte-range locks on "<database file>.lck", one byte per key, taken with
/// open-file-description locks: two connections of one process conflict, and
/// the kernel frees the locks of a process that ends in any way.
class FileRecordLocks : public RecordLocks {
public:
    explicit FileRecordLocks(const QString& lockFile);
    ~FileRecordLocks() override;

    DbError acquire(quint64 key) override;
    void release(quint64 key) override;
    bool holds(quint64 key) const override { return held_.contains(key); }
    QString lockFile() const { return lockFile_; }

private:
    DbError openFile();

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
