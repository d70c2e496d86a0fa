// PCONECTA and PCTRLSUS: the server checks of a client/server installation.
#include "startup/main_object_start.h"

#include "data/kq_db_connection.h"

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

    QString connectionString = "SERVER=" + server + ";DATABASE=" + database;
    if (!rightTrimmed(login).isEmpty()) {
        connection->setUserName(login);
        connection->setUserPassword(password);
    } else {
        connectionString += ";Trusted_Connection=Yes";
    }
    connection->setConnectionString(connectionString);
    if (PCTRLSUS(server, login, password, database) != 0)
        return 99;
    return connection->connect();
}

int PCTRLSUS(const QString&, const QString&, const QString&, const QString&)
{
    // A database the server marks as suspect is one that does not accept
    // connections; with no server attached there is nothing to ask.
    return 0;
}
