#include "reports/users_listing.h"

#include "reports/listing_frame.h"
#include "reports/table_listing.h"

#include <cassert>

ListingResult RUSUARIO(KQRView& view, const ListingRun& run, const QList<UsersListingRow>& users)
{
    assert(run.database && "a listing reads the company record");
    ListingResult result;
    QString company;
    if (!readCompanyName(*run.database, company, result))
        return result;
    if (!ListingFrame::startJob(view, {QStringLiteral("Listado de Usuarios"), run.output}))
        return result;
    ListingFrame frame(view, {QStringLiteral("Usuarios"), company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({QStringLiteral("Usuario"), 40, 190, 40, 190, TextAlignment::Left});
    frame.addColumn({QStringLiteral("Nombre"), 200, 430, 200, 430, TextAlignment::Left});
    frame.addColumn({QStringLiteral("Perfil"), 440, 620, 440, 620, TextAlignment::Left});
    frame.addColumn({QStringLiteral("Contraseña"), 630, 755, 630, 755, TextAlignment::Left});
    for (const UsersListingRow& user : users)
        frame.addRow({user.name, user.fullName, user.profile, yesNo(user.hasPassword ? "S" : "N")});
    frame.finish();
    return result;
}
