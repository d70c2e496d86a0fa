#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/object_registry.h"
#include "reports/concept_listings.h"
#include "startup/paths.h"

namespace {

/// Every listing enters the catalogue of objects under its name and title.
const bool catalogued = [] {
    for (const ListingEntry& listing : Listings::all())
        ObjectRegistry::addEntry(listing.name, ObjectKind::Listing, listing.title);
    return true;
}();

}  // namespace

namespace Listings {

const QList<ListingEntry>& all()
{
    static const QList<ListingEntry> listings = {
        {QStringLiteral("RBASICL2"), QStringLiteral("Listado de básicos"), &RBASICL2},
        {QStringLiteral("RASILIST"), QStringLiteral("Listado de Asientos"), &RASILIST},
        {QStringLiteral("RACUMHLL"), QStringLiteral("Listado de acumuladores"), &RACUMHLL},
        {QStringLiteral("RAPORTEL"), QStringLiteral("Listado de grupos de aportes"), &RAPORTEL},
        {QStringLiteral("RCARGOLI"), QStringLiteral("Listado de cargos"), &RCARGOLI},
        {QStringLiteral("RCATEGOR"), QStringLiteral("Listado de Categorias"), &RCATEGOR},
        {QStringLiteral("RCONLISD"), QStringLiteral("Listado detallado de conceptos"), &RCONLISD},
        {QStringLiteral("RCONLISR"), QStringLiteral("Listado resumido de conceptos"), &RCONLISR},
        {QStringLiteral("RCENTROC"), QStringLiteral("Listado de centros de costo"), &RCENTROC},
        {QStringLiteral("RCODIGOL"), QStringLiteral("Listado de códigos de anotac."), &RCODIGOL},
        {QStringLiteral("RDIASLIC"), QStringLiteral("Días de licencia"), &RDIASLIC},
        {QStringLiteral("RHORARIO"), QStringLiteral("Listado de Horarios"), &RHORARIO},
        {QStringLiteral("RLOCALLI"), QStringLiteral("Listado de locales"), &RLOCALLI},
        {QStringLiteral("RLUGARCO"), QStringLiteral("Listado de Lugares de cobro"), &RLUGARCO},
        {QStringLiteral("RLUGARTR"), QStringLiteral("Listado de Lugares de Trabajo"), &RLUGARTR},
        {QStringLiteral("ROBRASLI"), QStringLiteral("ObrasListado"), &ROBRASLI},
        {QStringLiteral("RRUBROLI"), QStringLiteral("Listado de Rubros"), &RRUBROLI},
        {QStringLiteral("RTIPOSLI"), QStringLiteral("Listado de Tipos Liquidacion"), &RTIPOSLI},
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

ListingRun ListingRun::now(Database& database, const QString& output)
{
    ListingRun run;
    run.database = &database;
    run.output = output.isEmpty() ? ReportOutputChoice::current() : output;
    run.user = workstationUser();
    // Whole seconds: the time is printed as "hh:mm:ss" on every page.
    const QDateTime now = QDateTime::currentDateTime();
    run.emittedAt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return run;
}

bool readCompanyName(Database& database, QString& company, ListingResult& error)
{
    company.clear();
    TableCursor configuration(database);
    DbError failure = configuration.open(QStringLiteral("CONFIGUR"), Access::ReadOnly);
    if (!failure)
        failure = configuration.setIndex(QStringLiteral("ICONFIGU"));
    if (!failure)
        failure = configuration.seek(Comparison::GreaterOrEqual, {0});
    database.idleFreeLocks();
    if (failure) {
        error = ListingResult::from(failure);
        return false;
    }
    // The company record is the one numbered 0; a table without it is no
    // error, the listing just has no company name.
    if (configuration.hasCurrent() && configuration.integer(QStringLiteral("CfId")) == 0)
        company = configuration.text(QStringLiteral("CfEmpresa")).trimmed();
    return true;
}
