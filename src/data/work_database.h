#pragma once

#include "data/db_error.h"
#include "data/schema.h"

#include <QString>

#include <functional>
#include <memory>

class Database;

// The private scratch database of the work panels: an SQLite file in the
// temporary folder ("TEMP", else "TMP", else the platform's), named "_kq",
// the process number, "_" and 128 random bits in hexadecimal, with the
// extension ".MDB"; after ten names in a row that are taken, the current
// folder with the extension ".TMP". The name cannot be guessed, and the file
// is created readable by its owner only, exclusively: a file or a symbolic
// link already under the name is never used. It is created on first need, has
// its own connection, and is deleted at program end; the files of a run that
// crashed are removed when the next one creates its own and their process is
// gone.
//
// Its tables are not in the schema: each one is registered with the work
// database's connection, so TableCursor opens them like any other table.

/// Name of the line-number field of a work-panel buffer table.
inline constexpr const char* workLineField = "KQ SF LINE";
/// Name of the index on the line number, the order in which rows were loaded.
inline constexpr const char* workKeyIndex = "KQ KEY";

class WorkDatabase {
public:
    /// The random part of a name: 32 hexadecimal digits.
    using RandomSource = std::function<QString()>;

    WorkDatabase();
    /// For tests: the names drawn from `random`, ".TMP" files made in `currentFolder`.
    WorkDatabase(RandomSource random, const QString& currentFolder);
    ~WorkDatabase();
    WorkDatabase(const WorkDatabase&) = delete;
    WorkDatabase& operator=(const WorkDatabase&) = delete;

    /// The work database of the program.
    static WorkDatabase& process();

    /// Creates the file unless it exists already.
    DbError create();
    bool exists() const { return database_ != nullptr; }
    QString fileName() const { return fileName_; }
    /// The connection to the work database; create() must have succeeded.
    Database& database();
    /// Closes the work database and deletes its file (program end).
    void remove();

    /// Creates `table` with its indexes and registers it; `autoNumberField`,
    /// when given, becomes an auto-incrementing integer. Text fields take
    /// their sizes; every field allows empty values.
    DbError createTable(const TableDef& table, const QString& autoNumberField = {});
    /// A work-panel buffer table: "KQ SF LINE", then `columns`, with the
    /// index "KQ KEY" on the line number.
    DbError createBufferTable(const QString& name, const QList<FieldDef>& columns);
    /// Adds an index (neither primary nor unique unless said) to a work table.
    DbError createIndex(const QString& table, const IndexDef& index);
    DbError dropTable(const QString& name);

private:
    QString candidateName(const QString& folder, const QString& extension) const;
    /// Creates a file under a new name in `folder`; empty when ten names in a
    /// row were taken.
    QString createFile(const QString& folder, const QString& extension) const;

    RandomSource random_;
    QString currentFolder_;
    QString fileName_;
    std::unique_ptr<Database> database_;
};

/// Removes the work databases in `folder` (and their -wal, -shm and .lck
/// files) that belong to this account and to a process that no longer runs.
/// Returns how many databases went.
int removeStaleWorkDatabases(const QString& folder);

/// The temporary folder: "TEMP" trimmed, else "TMP", else the platform's,
/// ending with the separator.
QString temporaryFolder();
