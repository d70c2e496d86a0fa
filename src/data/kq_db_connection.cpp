#include "data/kq_db_connection.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

/// The maintenance databases a PostgreSQL server has, in the order tried.
const QStringList maintenanceDatabases = {QStringLiteral("postgres"), QStringLiteral("template1")};

/// `text` as a port number, or 0 when it is not one.
int portNumber(const QString& text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port > 0 && port <= 65535 ? port : 0;
}

/// Splits "host:port", "host,port" and "[address]:port"; a bare IPv6
/// address, or a port that is not a number, leaves the whole text as the host.
void splitServer(const QString& server, QString* host, int* port)
{
    const QString text = server.trimmed();
    *host = text;
    *port = 0;
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close < 0)
            return;
        const QString rest = text.mid(close + 1);
        if (rest.isEmpty()) {
            *host = text.mid(1, close - 1);
            return;
        }
        if ((rest.startsWith(':') || rest.startsWith(',')) && portNumber(rest.mid(1)) > 0) {
            *host = text.mid(1, close - 1);
            *port = portNumber(rest.mid(1));
        }
        return;
    }
    qsizetype separator = text.lastIndexOf(',');
    if (separator < 0 && text.count(':') == 1)
        separator = text.indexOf(':');
    if (separator <= 0 || portNumber(text.mid(separator + 1)) == 0)
        return;
    *host = text.left(separator).trimmed();
    *port = portNumber(text.mid(separator + 1));
}

/// The settings of a connection string, by upper-case key. A value in braces
/// is taken as it stands, "}}" standing for "}"; any other value is trimmed.
QHash<QString, QString> connectionSettings(const QString& text)
{
    QHash<QString, QString> settings;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype equals = text.indexOf('=', at);
        if (equals < 0)
            break;
        const QString key = text.mid(at, equals - at).trimmed().toUpper();
        qsizetype next = equals + 1;
        while (next < text.size() && text.at(next) == ' ')
            ++next;
        QString value;
        if (next < text.size() && text.at(next) == '{') {
            ++next;
            while (next < text.size()) {
                if (text.at(next) == '}') {
                    if (next + 1 < text.size() && text.at(next + 1) == '}') {
                        value += '}';
                        next += 2;
                        continue;
                    }
                    ++next;
                    break;
                }
                value += text.at(next++);
            }
            const qsizetype end = text.indexOf(';', next);
            at = end < 0 ? text.size() : end + 1;
        } else {
            const qsizetype end = text.indexOf(';', next);
            value = text.mid(next, end < 0 ? -1 : end - next).trimmed();
            at = end < 0 ? text.size() : end + 1;
        }
        if (!key.isEmpty())
            settings.insert(key, value);
    }
    return settings;
}

bool isYes(const QString& value)
{
    return value.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0
        || value.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

}  // namespace

DatabaseLocation serverDatabaseLocation(const QString& server, const QString& database, const QString& login,
                                        const QString& password)
{
    DatabaseLocation location;
    location.backend = Backend::Postgres;
    splitServer(server, &location.server, &location.port);
    location.database = database.compare(masterDatastore, Qt::CaseInsensitive) == 0 ? maintenanceDatabases.first()
                                                                                     : database;
    QString user = login;
    while (!user.isEmpty() && user.back().isSpace())
        user.chop(1);
    location.user = user;
    location.password = password;
    return location;
}

std::unique_ptr<Database> openServerMaintenance(const DatabaseLocation& location, QString* error)
{
    for (const QString& name : maintenanceDatabases) {
        DatabaseLocation maintenance = location;
        maintenance.database = name;
        auto database = std::make_unique<Database>(maintenance);
        if (database->open(Database::OpenMode::Unchecked))
            return database;
        if (error)
            *error = database->errorText();
    }
    return nullptr;
}

QString connectionStringValue(const QString& value)
{
    const bool plain = !value.contains(';') && !value.contains('{') && !value.contains('}')
        && value.trimmed() == value;
    if (plain)
        return value;
    QString braced = value;
    braced.replace('}', QStringLiteral("}}"));
    return '{' + braced + '}';
}

KQDBConnection::KQDBConnection() = default;

KQDBConnection::~KQDBConnection() = default;

std::unique_ptr<KQDBConnection> KQDBConnection::forDatastore(const QString& datastoreName)
{
    auto connection = std::make_unique<KQDBConnection>();
    connection->datastoreName_ = datastoreName;
    return connection;
}

QString KQDBConnection::errorText(int code)
{
    switch (code) {
    case NoError:
        return QStringLiteral("No Error");
    case UnknownError:
        return QStringLiteral("Unknown Error");
    case NoDatastoreAttached:
        return QStringLiteral("No Kelquen Datastore attached");
    case FunctionCallFailed:
        return QStringLiteral("Internal Error: Function call failed");
    case BadDatastoreName:
        return QStringLiteral("Bad Datastore Name");
    }
    return QStringLiteral("Unknown Error");
}

DatabaseLocation KQDBConnection::location() const
{
    const QHash<QString, QString> settings = connectionSettings(connectionString_);
    const bool trusted = isYes(settings.value(QStringLiteral("TRUSTED_CONNECTION")));
    return serverDatabaseLocation(settings.value(QStringLiteral("SERVER")), settings.value(QStringLiteral("DATABASE")),
                                  trusted ? QString() : userName_, trusted ? QString() : userPassword_);
}

int KQDBConnection::connect()
{
    database_.reset();
    driverText_.clear();
    const DatabaseLocation target = location();
    if (target.server.isEmpty() || target.database.isEmpty()) {
        driverText_ = QStringLiteral("La cadena de conexión no nombra servidor y base: ") + connectionString_;
        errorCode_ = BadDatastoreName;
        return errorCode_;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        driverText_ = QStringLiteral("Falta el controlador QPSQL de PostgreSQL");
        errorCode_ = FunctionCallFailed;
        return errorCode_;
    }
    // The server's own database is not one of the program's.
    const bool maintenance = datastoreName_.compare(masterDatastore, Qt::CaseInsensitive) == 0
                             || target.database == maintenanceDatabases.first();
    auto database = std::make_unique<Database>(target);
    if (database->open(maintenance ? Database::OpenMode::Unchecked : Database::OpenMode::Existing)) {
        database_ = std::move(database);
        errorCode_ = NoError;
        return errorCode_;
    }
    driverText_ = database->errorText();
    errorCode_ = failureCode(target);
    return errorCode_;
}

int KQDBConnection::failureCode(const DatabaseLocation& location)
{
    std::unique_ptr<Database> maintenance = openServerMaintenance(location);
    if (!maintenance)
        return NoDatastoreAttached;
    QSqlQuery query(maintenance->connection());
    query.prepare(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"));
    query.addBindValue(location.database);
    if (!query.exec())
        return UnknownError;
    return query.next() ? UnknownError : BadDatastoreName;
}

int KQDBConnection::disconnect()
{
    database_.reset();
    driverText_.clear();
    errorCode_ = NoDatastoreAttached;
    return errorCode_;
}

bool KQDBConnection::isConnected() const
{
    return database_ && database_->isOpen();
}
