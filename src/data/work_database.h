#pragma once

#include "data/db_error.h"
#include "data/schema.h"

#include <QString>

#include <functional>
#include <memory>

class Database;

// The private scratch database of the work panels: an SQLite file in the
// temporary folder ("TEMP", else "TMP", else the platform's), named "_kq" and
// five random digits with the extension ".MDB"; after ten names in a row that
// are taken, the current folder with the extension ".TMP". It is created on
// first need, has its own connection, and is deleted at program end.
//
// Its tables are not in the schema: each one is registered with the work
// database's connection, so TableCursor opens them like any other table.

/// Name of the line-number field of a work-panel buffer table.
inline constexpr const char* workLineField = "KQ SF LINE";
/// Name of the index on the line number, the order in which rows were loaded.
inline constexpr const char* workKeyIndex = "KQ KEY";

class WorkDatabase {
public:
    /// A number from 0 to 1, like the random generator the names are drawn with.
    using RandomSource = std::function<double()>;

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
    QString freeName(const QString& folder, const QString& extension) const;

    RandomSource random_;
    QString currentFolder_;
    QString fileName_;
    std::unique_ptr<Database> database_;
};

/// The temporary folder: "TEMP" trimmed, else "TMP", else the platform's,
/// ending with the separator.
QString temporaryFolder();
