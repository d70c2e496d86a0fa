#pragma once

#include "reports/listings.h"

#include <QList>
#include <QString>

/// One line of the users listing, as the users list shows it: the names
/// already unscrambled.
struct UsersListingRow {
    QString name;
    QString fullName;
    QString profile;
    bool hasPassword = false;
};

/// The listing of the users ("Listado de Usuarios"): user, full name,
/// profile and whether a password is set, one line per user in the order
/// given. Passwords themselves are never printed.
ListingResult RUSUARIO(KQRView& view, const ListingRun& run, const QList<UsersListingRow>& users);
