#pragma once

#include "data/database.h"

#include <QString>

#include <memory>

/// The datastore that stands for the server itself rather than for one
/// company's database: the server's own maintenance database.
inline const QString masterDatastore = QStringLiteral("TALDO_MASTER");

/// The location of `database` on `server`, as the call parameters of a
/// client/server installation name them. `server` is a host, "host:port",
/// "host,port" or "[IPv6 address]:port". `login` is right-trimmed; an empty
/// one sends no user name, and the server authenticates the operating-system
/// user (or PGUSER). The database `masterDatastore` is the server's
/// maintenance database.
DatabaseLocation serverDatabaseLocation(const QString& server, const QString& database, const QString& login,
                                        const QString& password);

/// A connection to the maintenance database of the server of `location`
/// ("postgres", or "template1" where that is missing), or nullptr when the
/// server does not answer or refuses the login; `error` gets the server's text.
std::unique_ptr<Database> openServerMaintenance(const DatabaseLocation& location, QString* error = nullptr);

/// `value` as it stands in a connection string: in braces, with "}"
/// doubled, when it holds a ";", a brace or blanks at either end, so that a
/// name can never add settings of its own.
QString connectionStringValue(const QString& value);

/// A named server datastore: a database on the PostgreSQL server of a
/// client/server installation. The connection string names it
/// ("SERVER=host;DATABASE=name", plus ";Trusted_Connection=Yes" to let the
/// server authenticate the operating-system user instead of the user name and
/// password set here). The error code tells how the last connect or
/// disconnect went:
///   0 connected;
///   2 not connected: a new connection, a disconnected one, or a server that
///     did not answer or refused the login;
///   4 the connection string names no server or database, or the server
///     answered and has no database of that name;
///   3 the PostgreSQL driver is not installed;
///   1 the server has the database but refused the connection.
/// The connection is closed when the object goes.
class KQDBConnection {
public:
    enum ErrorCode { NoError = 0, UnknownError = 1, NoDatastoreAttached = 2, FunctionCallFailed = 3, BadDatastoreName = 4 };

    KQDBConnection();
    ~KQDBConnection();
    KQDBConnection(const KQDBConnection&) = delete;
    KQDBConnection& operator=(const KQDBConnection&) = delete;

    /// A new, unconnected connection for `datastoreName`.
    static std::unique_ptr<KQDBConnection> forDatastore(const QString& datastoreName);

    QString datastoreName() const { return datastoreName_; }
    int errorCode() const { return errorCode_; }
    /// The text of `code`: "No Error", "Unknown Error", ...
    static QString errorText(int code);
    QString errorText() const { return errorText(errorCode_); }
    /// What the server or the driver said about the last failure; empty
    /// after a success.
    QString driverText() const { return driverText_; }

    void setUserName(const QString& name) { userName_ = name; }
    void setUserPassword(const QString& password) { userPassword_ = password; }
    void setConnectionString(const QString& text) { connectionString_ = text; }
    /// A numeric mode kept for the caller; it changes nothing in the connection.
    void setMode(int mode) { mode_ = mode; }
    QString userName() const { return userName_; }
    QString userPassword() const { return userPassword_; }
    QString connectionString() const { return connectionString_; }
    int mode() const { return mode_; }

    /// The database the connection string and the user settings name.
    DatabaseLocation location() const;

    /// Connects to the datastore; returns the error code.
    int connect();
    /// Closes the connection; the code becomes NoDatastoreAttached.
    int disconnect();
    bool isConnected() const;

private:
    /// Why opening `location` failed, asked of the server's maintenance database.
    int failureCode(const DatabaseLocation& location);

    QString datastoreName_;
    QString userName_;
    QString userPassword_;
    QString connectionString_;
    int mode_ = 0;
    int errorCode_ = NoDatastoreAttached;
    QString driverText_;
    std::unique_ptr<Database> database_;
};
