// PCONECTA and PCTRLSUS: the server checks of a client/server installation.
#include "startup/main_object_start.h"

#include "data/kq_db_connection.h"

#include <QSqlQuery>

namespace {

QString rightTrimmed(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

}  // namespace

int PCONECTA(const QString& login, const QString& password, const QString& database,
             const QString& server, const QString& datastore)
{
    std::unique_ptr<KQDBConnection> connection = KQDBConnection::forDatastore(datastore);
    if (rightTrimmed(database).isEmpty())
        return connection->disconnect();

    QString connectionString =
        "SERVER=" + connectionStringValue(server) + ";DATABASE=" + connectionStringValue(database);
    if (!rightTrimmed(login).isEmpty()) {
        connection->setUserName(rightTrimmed(login));
        connection->setUserPassword(password);
    } else {
        connectionString += ";Trusted_Connection=Yes";
    }
    connection->setConnectionString(connectionString);
    if (PCTRLSUS(server, login, password, database) != 0)
        return 99;
    return connection->connect();
}

int PCTRLSUS(const QString& server, const QString& login, const QString& password, const QString& database)
{
    // A database that does not accept connections (ALLOW_CONNECTIONS false,
    // or left invalid by a DROP that did not finish) is the one to refuse
    // before trying it. A server that cannot be asked is not a refusal here:
    // connecting reports it.
    const DatabaseLocation location = serverDatabaseLocation(server, database, login, password);
    if (location.server.isEmpty())
        return 0;
    std::unique_ptr<Database> maintenance = openServerMaintenance(location);
    if (!maintenance)
        return 0;
    QSqlQuery query(maintenance->connection());
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM pg_database "
                                 "WHERE datname = ? AND (NOT datallowconn OR datconnlimit = -2)"));
    query.addBindValue(location.database);
    if (!query.exec() || !query.next())
        return 0;
    return query.value(0).toInt() != 0 ? 1 : 0;
}
