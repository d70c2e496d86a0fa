#pragma once

#include "data/db_error.h"
#include "data/schema.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class DatabaseInUse;
class QSqlError;
class RecordLocks;
class Statement;

/// Which engine stands behind a database: the embedded SQLite file of a
/// file installation, or the PostgreSQL server of a client/server one.
enum class Backend { Sqlite, Postgres };

/// A reader that keeps a select open between calls (on SQLite, a cursor
/// reading on through a table), and with it the engine's read snapshot.
class HeldRead {
public:
    /// Ends the read now: the snapshot goes, the rows already read stay.
    virtual void endHeldRead() = 0;

protected:
    ~HeldRead() = default;
};

/// Where a database lives and how to reach it.
struct DatabaseLocation {
    Backend backend = Backend::Sqlite;
    QString file;      ///< SQLite: full path of the database file
    QString server;    ///< PostgreSQL: host
    QString database;  ///< PostgreSQL: database name
    QString user;      ///< PostgreSQL: user; empty = the operating-system user
    QString password;
    int port = 0;      ///< PostgreSQL: 0 = the default port

    static DatabaseLocation sqliteFile(const QString& file);
    /// Text that names the database in messages (the file's full path).
    QString displayName() const;
};

/// One connection to the program's database. The process has one main
/// connection, opened at start-up; tests open more to play other workstations.
class Database {
public:
    explicit Database(const DatabaseLocation& location);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// How a connection is opened:
    enum class OpenMode {
        Existing,         ///< a database of the program, checked against the schema first
        ReadOnly,         ///< the same, and nothing is ever written to it
        CreateIfMissing,  ///< a database the caller builds or fills itself: not checked
        Unchecked,        ///< any existing database as it is (a server's own): not checked
    };
    /// Opens the connection; false with `errorText()` set when it fails. An
    /// existing database is refused when it is missing, empty, not a
    /// database, of a newer schema version or short of any table or field
    /// of the schema, before anything is read from it or written to it; one
    /// of an older version is upgraded (not when read-only). A new SQLite
    /// file is created readable and writable by its owner and group only.
    bool open(OpenMode mode = OpenMode::Existing);
    void close();
    bool isOpen() const;

    Backend backend() const { return location_.backend; }
    const DatabaseLocation& location() const { return location_; }
    /// The driver's connection. Whoever runs SQL on it gets a fresh read:
    /// the held read ends first.
    QSqlDatabase& connection()
    {
        endHeldRead();
        return connection_;
    }
    /// Why the last open failed: "No se puede abrir la base de datos " with
    /// the file or server and the reason, in Spanish.
    QString errorText() const { return errorText_; }
    /// The driver's or the system's own text of the last failure, if any.
    QString errorDetails() const { return errorDetails_; }

    /// Fails (so that nothing is written) when the SQLite file this
    /// connection opened was removed or replaced by another file since.
    DbError checkFileInPlace() const;

    /// The process-wide main connection, or nullptr before start-up opened it.
    static Database* main();
    static void setMain(Database* database);

    /// Groups the writes of one logical change. Transactions nest: only the
    /// outermost commit writes.
    DbError beginTransaction();
    DbError commit();
    /// Undoes every write since the outermost begin; no-op outside one.
    DbError rollback();
    bool inTransaction() const { return transactionDepth_ > 0; }

    /// Runs an update, delete or insert statement with bound `values` ("?"
    /// placeholders). Jet-dialect texts are translated first. The failure is
    /// returned; callers that do not care may ignore it.
    DbError execute(const QString& statement, const QVariantList& values = {},
                    int* rowsAffected = nullptr);
    /// Releases the read locks the engine holds after reads: ends the held
    /// read, so that the next read sees what other workstations wrote.
    void idleFreeLocks() { endHeldRead(); }

    /// Lets `reader` keep its select open until the next statement of this
    /// connection, transaction boundary, idle or close; ends any other.
    void holdRead(HeldRead* reader);
    /// Ends the held read, if any. Every statement of the connection runs
    /// after it, so that no read is stale and no write meets an old snapshot.
    void endHeldRead();
    /// `reader` ended its read by itself or is going away.
    void forgetHeldRead(const HeldRead* reader);

    /// The record locks every cursor of this connection takes.
    RecordLocks& locks();
    /// Releases the record lock `key` now, or at the end of the open
    /// transaction: a record stays locked until its change is committed or
    /// rolled back, or another workstation could read it from before the change
    /// and write over it.
    void releaseLock(quint64 key);

    /// Makes `table` known to the cursors of this connection beside the
    /// schema's tables (work tables, benchmark tables).
    void registerTable(const TableDef& table);
    void unregisterTable(const QString& name);
    /// The definition of `name`: a registered table, else the schema's.
    const TableDef* tableDef(const QString& name) const;

    /// A failure of the driver as an engine error: unique violations become
    /// 3022, a busy database 3260, anything else 3146; `message` is ours.
    DbError failure(const QSqlError& error, const QString& message) const;
    /// The same from the engine's own error code and text.
    DbError failure(const QString& nativeCode, const QString& driverText, const QString& message) const;

    /// Statements prepared on this connection; closing it finalizes them, so
    /// that a cursor still open cannot keep the file open or touch a closed
    /// connection.
    void attachStatement(Statement* statement);
    void detachStatement(Statement* statement);

private:
    DatabaseLocation location_;
    QString connectionName_;
    QSqlDatabase connection_;
    QString errorText_;
    QString errorDetails_;
    /// The SQLite file as it was opened (device and inode), to see it replaced.
    quint64 fileDevice_ = 0;
    quint64 fileInode_ = 0;
    /// Its path as the system names it, encoded once: every write looks.
    QByteArray encodedFile_;
    /// The file's folder, held open (not the file: closing another handle on
    /// it would drop SQLite's locks) to see cheaply that none of the folder's
    /// names changed since the path was last looked at. See checkFileInPlace.
    int folderHandle_ = -1;
    mutable qint64 folderChangedAt_ = 0;  ///< its change time then, in ns
    mutable bool folderTimeSettled_ = false;
    qint64 folderTimeGrain_ = 0;  ///< how coarsely its file system keeps times, in ns
    mutable qint64 pathCheckedAt_ = 0;  ///< in ns of the steady clock
    bool folderUnchanged() const;
    void forgetFolder();
    std::unique_ptr<DatabaseInUse> inUse_;
    int transactionDepth_ = 0;
    std::unique_ptr<RecordLocks> locks_;
    QHash<QString, std::shared_ptr<TableDef>> registered_;
    std::vector<std::shared_ptr<TableDef>> retired_;
    QList<Statement*> statements_;
    QList<quint64> releasedAtTransactionEnd_;
    HeldRead* heldRead_ = nullptr;

    void releaseDeferredLocks();
    bool connect(OpenMode mode);
    bool refuseOpen(const QString& reason, const QString& details = {});
    void rememberFile();
};

/// `name` as a quoted SQL identifier.
QString quoteName(const QString& name);
/// The column that identifies a row of any table: SQLite's rowid, the
/// `kq_rowid` column of every table created on PostgreSQL.
QString rowIdColumn(Backend backend);
/// A statement in the Jet dialect the procedures carry, in the dialect of
/// `backend`: [names] quoted, "DELETE * FROM" without the star, #dd/mm/yyyy#
/// dates as date literals. Text literals and quoted names are left alone. On
/// PostgreSQL the schema's table and field names, bare or in brackets and in
/// any letter case, are quoted in the registry's spelling.
QString translateJetSql(const QString& statement, Backend backend);
/// `value` as it is bound for a column of `backend` (dates as text for SQLite).
QVariant storageValue(const QVariant& value, Backend backend);
