#pragma once

#include "data/database.h"

#include <QString>
#include <QStringList>

#include <memory>

// How every uordane-admin command names its company: a data folder, whose
// database is its KQ_DATA.MDB (SQLite), or a PostgreSQL server:
//
//   uordane-admin audit /datos/empresa
//   uordane-admin audit --server db.local:5433 --database empresa --user nomina
//
// "--port PUERTO" may name the port instead of "HOST:PUERTO". The password,
// when the server asks for one, comes from PGPASSWORD or ~/.pgpass, as for
// the server's own tools: never on the command line, where every account
// can read it.

class Company {
public:
    /// The company arguments as usage lines show them.
    static QString usage();

    /// Takes --server, --port, --database and --user with their values out of
    /// `arguments`, leaving the rest in order. False with `problem` set when
    /// a value is missing or the port is not a number.
    bool takeServerOptions(QStringList& arguments, QString* problem);
    /// Whether the company is on a server.
    bool onServer() const { return !server_.isEmpty() || !database_.isEmpty() || port_ > 0; }
    /// Settles the company: `folder` (empty when none was given) on a file
    /// installation. False with `problem` set when both or neither are given.
    bool settle(const QString& folder, QString* problem);
    /// Settles the company of a command that names one file after it:
    /// "CARPETA ARCHIVO" on a file installation, "ARCHIVO" with a server;
    /// `file` gets the file's absolute path. False with `problem` set when
    /// the file is not given (`missingFile` says so), an argument is left
    /// over, or settle() refuses.
    bool settleWithFile(const QStringList& positional, const QString& missingFile, QString* file,
                        QString* problem);

    /// Where the company's database is; settle() must have succeeded.
    DatabaseLocation location() const;
    /// The data folder of a file installation; empty on a server.
    QString folder() const { return folder_; }

    /// Opens the company's database (read-only for the commands that only
    /// read); nullptr with the program's message in `problem` when it cannot
    /// be opened.
    std::unique_ptr<Database> open(QString* problem, Database::OpenMode mode = Database::OpenMode::Existing) const;
    /// Puts the company into the context store as the start-up does for a
    /// run of the desktop program: installation kind, server, database and
    /// login, or the company folder; with `user` and `permissions`.
    void putContext(const QString& user, const QString& permissions) const;

private:
    QString folder_;
    QString server_;
    QString database_;
    QString user_;
    int port_ = 0;
};
