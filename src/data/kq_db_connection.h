#pragma once

#include <QString>

#include <memory>

/// A named server datastore. No datastore is attached in this program: the
/// setters keep nothing, the getters answer empty, connecting fails with code
/// 4 and disconnecting sets code 2, which is also the code of a new connection.
class KQDBConnection {
public:
    enum ErrorCode { NoError = 0, UnknownError = 1, NoDatastoreAttached = 2, FunctionCallFailed = 3, BadDatastoreName = 4 };

    /// A new connection for `datastoreName` (the name is not used).
    static std::unique_ptr<KQDBConnection> forDatastore(const QString& datastoreName);

    int errorCode() const { return errorCode_; }
    /// The text of `code`: "No Error", "Unknown Error", ...
    static QString errorText(int code);
    QString errorText() const { return errorText(errorCode_); }

    void setUserName(const QString&) {}
    void setUserPassword(const QString&) {}
    void setConnectionString(const QString&) {}
    void setMode(int) {}
    QString userName() const { return {}; }
    QString userPassword() const { return {}; }
    QString connectionString() const { return {}; }
    int mode() const { return 0; }

    /// Always fails: sets and returns BadDatastoreName.
    int connect();
    /// Sets and returns NoDatastoreAttached.
    int disconnect();

private:
    int errorCode_ = NoDatastoreAttached;
};
