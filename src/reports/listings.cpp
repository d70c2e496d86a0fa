#include "reports/listings.h"

#include "data/database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Listings {

const QList<ListingEntry>& all()
{
    static const QList<ListingEntry> listings = {
        {QStringLiteral("RCATEGOR"), QStringLiteral("Listado de Categorias"), &RCATEGOR},
    };
    return listings;
}

const ListingEntry* find(const QString& name)
{
    for (const ListingEntry& entry : all()) {
        if (entry.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace Listings

ListingResult ListingResult::databaseFailure(const QString& message, const QSqlError& error)
{
    const int number = error.nativeErrorCode().toInt();
    return {number != 0 ? number : 1, message + QStringLiteral(": ") + error.text()};
}

ListingRun ListingRun::now(Database& database, const QString& output)
{
    ListingRun run;
    run.database = &database;
    run.output = output;
    run.user = currentUserName();
    // Whole seconds: the time is printed as "hh:mm:ss" on every page.
    const QDateTime now = QDateTime::currentDateTime();
    run.emittedAt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return run;
}

QString currentUserName()
{
    const QString user = qEnvironmentVariable("LOGNAME").trimmed();
    return user.isEmpty() ? QStringLiteral("GUEST") : user;
}

bool readCompanyName(Database& database, QString& company, ListingResult& error)
{
    company.clear();
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT CfEmpresa FROM CONFIGUR WHERE CfId = ?"));
    query.addBindValue(0);
    if (!query.exec()) {
        error = ListingResult::databaseFailure(QStringLiteral("No se pudo leer la tabla CONFIGUR"),
                                               query.lastError());
        return false;
    }
    if (query.next())
        company = query.value(0).toString().trimmed();
    return true;
}
