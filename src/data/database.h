#pragma once

#include <QSqlDatabase>
#include <QString>

/// Which engine stands behind a database: the embedded SQLite file of a
/// file installation, or the PostgreSQL server of a client/server one.
enum class Backend { Sqlite, Postgres };

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

    enum class OpenMode { Existing, CreateIfMissing };
    /// Opens the connection; false with `errorText()` set when it fails. A
    /// missing SQLite file is an error unless the caller is creating it.
    bool open(OpenMode mode = OpenMode::Existing);
    void close();
    bool isOpen() const;

    Backend backend() const { return location_.backend; }
    const DatabaseLocation& location() const { return location_; }
    QSqlDatabase& connection() { return connection_; }
    QString errorText() const { return errorText_; }

    /// The process-wide main connection, or nullptr before start-up opened it.
    static Database* main();
    static void setMain(Database* database);

private:
    DatabaseLocation location_;
    QString connectionName_;
    QSqlDatabase connection_;
    QString errorText_;
};
