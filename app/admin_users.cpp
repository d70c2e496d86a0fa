// uordane-admin users: the users of a company's database as the users
// list shows them: name, full name, profile and whether a password is set;
// with --perfiles, the permission profiles as the profiles list shows them.
#include "admin_command.h"

#include "console/company.h"
#include "data/database.h"
#include "security/profiles.h"
#include "security/users.h"

namespace {

QString usage()
{
    return QStringLiteral("users [--perfiles] ") + Company::usage();
}

int listProfiles(Database& database)
{
    QList<ProfileListing> profiles;
    if (DbError error = WPERFILE(database, profiles)) {
        adminErr(QStringLiteral("No se pudo leer la tabla de perfiles: ") + error.fullText());
        return 1;
    }
    adminOut(QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(QStringLiteral("Perfil"), -20)
                 .arg(QStringLiteral("Descripción"), -40)
                 .arg(QStringLiteral("Nro."), 4)
                 .arg(QStringLiteral("Jer."), 4)
                 .arg(QStringLiteral("Grupo")));
    for (const ProfileListing& profile : profiles) {
        adminOut(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(profile.key, -20)
                     .arg(profile.description, -40)
                     .arg(profile.correlative, 4)
                     .arg(profile.hierarchy, 4)
                     .arg(profile.directoryGroup));
    }
    return 0;
}

int runUsers(const QStringList& given)
{
    QStringList arguments = given;
    const bool profiles = arguments.removeAll(QStringLiteral("--perfiles")) > 0;
    Company company;
    QString problem;
    const bool understood = company.takeServerOptions(arguments, &problem);
    if (understood && (arguments.size() > 1 || arguments.value(0).startsWith(QLatin1String("--"))))
        problem = QStringLiteral("Argumento de más o desconocido: ") + arguments.last();
    if (!problem.isEmpty() || !company.settle(arguments.value(0), &problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + usage());
        return 2;
    }
    std::unique_ptr<Database> opened = company.open(&problem, Database::OpenMode::ReadOnly);
    if (!opened) {
        adminErr(problem);
        return 2;
    }
    Database& database = *opened;
    if (profiles)
        return listProfiles(database);
    QList<UserListing> users;
    if (DbError error = WUSUARIO(database, users)) {
        adminErr(QStringLiteral("No se pudo leer la tabla de usuarios: ") + error.fullText());
        return 1;
    }
    adminOut(QStringLiteral("%1 %2 %3 %4")
                 .arg(QStringLiteral("Usuario"), -20)
                 .arg(QStringLiteral("Nombre"), -30)
                 .arg(QStringLiteral("Perfil"), -20)
                 .arg(QStringLiteral("Contraseña")));
    for (const UserListing& user : users) {
        adminOut(QStringLiteral("%1 %2 %3 %4")
                     .arg(user.name, -20)
                     .arg(user.fullName, -30)
                     .arg(user.profile, -20)
                     .arg(user.hasPassword ? QStringLiteral("Sí") : QStringLiteral("No")));
    }
    return 0;
}

}  // namespace

static AdminCommand users("users", usage(), &runUsers);
