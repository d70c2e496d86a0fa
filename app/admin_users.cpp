// uordane-admin users: the users of a data folder's database as the users
// list shows them: name, full name, profile and whether a password is set;
// with --perfiles, the permission profiles as the profiles list shows them.
#include "admin_command.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "security/profiles.h"
#include "security/users.h"
#include "support/file_names.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const usage = "users [--perfiles] CARPETA";

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
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--"))) {
        adminErr(arguments.isEmpty() ? QStringLiteral("Falta la carpeta de datos")
                                     : QStringLiteral("Argumento de más o desconocido: ") + arguments.last());
        adminErr(QStringLiteral("uso: uordane-admin ") + QString::fromUtf8(usage));
        return 2;
    }
    const QString file =
        findFileIgnoringCase(QDir(arguments.first()).filePath(QString::fromLatin1(databaseFileName)));
    if (!QFileInfo::exists(file)) {
        adminErr(QStringLiteral("No existe la base de datos ") + file);
        return 1;
    }
    Database database(DatabaseLocation::sqliteFile(file));
    // Only reads: opened read-only, so that nothing in the file changes.
    if (!database.open(Database::OpenMode::ReadOnly)) {
        adminErr(database.errorText());
        return 1;
    }
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

static AdminCommand users("users", usage, &runUsers);
