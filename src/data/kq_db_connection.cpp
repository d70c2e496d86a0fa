#include "data/kq_db_connection.h"

std::unique_ptr<KQDBConnection> KQDBConnection::forDatastore(const QString& datastoreName)
{
    (void)datastoreName;
    return std::make_unique<KQDBConnection>();
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

int KQDBConnection::connect()
{
    errorCode_ = BadDatastoreName;
    return errorCode_;
}

int KQDBConnection::disconnect()
{
    errorCode_ = NoDatastoreAttached;
    return errorCode_;
}
