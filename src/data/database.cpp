#include "data/database.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

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

bool Database::open(OpenMode mode)
{
    if (isOpen())
        return true;
    switch (location_.backend) {
    case Backend::Sqlite:
        // An absent file is not created behind the user's back: opening a
        // database that is not there is a failure the caller reports.
        if (mode == OpenMode::Existing && !QFileInfo::exists(location_.file)) {
            errorText_ = QStringLiteral("No existe el archivo ") + location_.file;
            return false;
        }
        connection_ = QSqlDatabase::addDatabase("QSQLITE", connectionName_);
        connection_.setDatabaseName(location_.file);
        connection_.setConnectOptions("QSQLITE_BUSY_TIMEOUT=10000");
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
    if (!connection_.open()) {
        errorText_ = connection_.lastError().text();
        connection_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        return false;
    }
    if (location_.backend == Backend::Sqlite) {
        QSqlQuery pragma(connection_);
        pragma.exec("PRAGMA journal_mode=WAL");
        pragma.exec("PRAGMA synchronous=NORMAL");
    }
    return true;
}

void Database::close()
{
    if (!connection_.isValid())
        return;
    connection_.close();
    connection_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName_);
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
