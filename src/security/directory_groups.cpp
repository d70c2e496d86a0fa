#include "security/directory_groups.h"

#include "data/database.h"
#include "data/parameters.h"
#include "engine/audit.h"
#include "support/pencript.h"
#include "support/ui_port.h"

#include <optional>

namespace {

// The directory's rows of the parameter store, all under group "Configur".
const QString settingsGroup = QStringLiteral("Configur");
const QString inUseName = QStringLiteral("USALDAP");
const QString uriName = QStringLiteral("LDAPSERVID");
const QString bindDnName = QStringLiteral("LDAPUSUARI");
const QString passwordName = QStringLiteral("LDAPCLAVE");
const QString startTlsName = QStringLiteral("LDAPTLS");

/// Characters a text row of the parameter store holds.
constexpr int parameterTextWidth = 255;

bool refuse(UiPort& ui, const QString& text)
{
    ui.message(text, MessageIcon::Exclamation);
    return false;
}

/// The first refusal the settings deserve, or an empty text.
QString settingsProblem(bool inUse, const DirectorySettings& settings, const std::optional<QString>& password)
{
    if (inUse && settings.uri.trimmed().isEmpty())
        return QStringLiteral("Falta indicar el servidor de directorio.");
    if (settings.uri.trimmed().size() > parameterTextWidth)
        return QStringLiteral("La dirección del servidor de directorio es demasiado larga.");
    if (settings.bindDn.trimmed().size() > parameterTextWidth)
        return QStringLiteral("El usuario del directorio es demasiado largo.");
    if (!settings.bindDn.trimmed().isEmpty() && settings.password.isEmpty())
        return QStringLiteral("Falta la contraseña del usuario del directorio.");
    if (!password)
        return QStringLiteral("Caracteres inválidos en la contraseña del directorio.");
    if (settings.password.size() > pencriptMaxLength || password->size() > parameterTextWidth)
        return QStringLiteral("La contraseña del directorio es demasiado larga.");
    return {};
}

DbError writeSettings(Database& database, UiPort& ui, bool inUse, const DirectorySettings& settings,
                      const QString& scrambledPassword)
{
    if (DbError error = PPARGN40(database, ui, settingsGroup, inUseName, 0, inUse ? 1 : 0))
        return error;
    if (DbError error = PPARGC(database, ui, settingsGroup, uriName, 0, settings.uri.trimmed()))
        return error;
    if (DbError error = PPARGC(database, ui, settingsGroup, bindDnName, 0, settings.bindDn.trimmed()))
        return error;
    if (DbError error = PPARGC(database, ui, settingsGroup, passwordName, 0, scrambledPassword))
        return error;
    return PPARGN40(database, ui, settingsGroup, startTlsName, 0, settings.startTls ? 1 : 0);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("S") : QStringLiteral("N");
}

}  // namespace

bool directoryInUse(Database& database)
{
    double used = 0;
    PPARLN40(database, settingsGroup, inUseName, 0, used);
    return used == 1;
}

DirectorySettings readDirectorySettings(Database& database)
{
    DirectorySettings settings;
    PPARLC(database, settingsGroup, uriName, 0, settings.uri);
    PPARLC(database, settingsGroup, bindDnName, 0, settings.bindDn);
    QString scrambled;
    if (PPARLC(database, settingsGroup, passwordName, 0, scrambled))
        settings.password = pencriptUnscramble(scrambled);
    double startTls = 0;
    PPARLN40(database, settingsGroup, startTlsName, 0, startTls);
    settings.uri = settings.uri.trimmed();
    settings.bindDn = settings.bindDn.trimmed();
    settings.startTls = startTls == 1;
    return settings;
}

bool saveDirectorySettings(Database& database, UiPort& ui, bool inUse, const DirectorySettings& settings)
{
    const std::optional<QString> password = pencriptScramble(settings.password);
    if (const QString problem = settingsProblem(inUse, settings, password); !problem.isEmpty())
        return refuse(ui, problem);
    if (DbError error = database.beginTransaction())
        return refuse(ui, error.fullText());
    if (DbError error = writeSettings(database, ui, inUse, settings, *password)) {
        database.rollback();
        return refuse(ui, error.fullText());
    }
    if (DbError error = database.commit())
        return refuse(ui, error.fullText());
    // The password stays out of the audit trail.
    writeAuditEntry(database, AuditArea::UsersAndProfiles,
                    QStringLiteral("Modifica directorio, Usa directorio %1, Servidor %2, Usuario %3, StartTLS %4")
                        .arg(yesNo(inUse), settings.uri.trimmed(), settings.bindDn.trimmed(),
                             yesNo(settings.startTls)));
    return true;
}

bool showDirectoryTest(const DirectoryAnswer& answer, UiPort& ui)
{
    if (!answer.ok())
        return refuse(ui, QStringLiteral("No se pudo consultar el directorio. ") + answer.error);
    const qsizetype found = answer.groups.size();
    ui.message(found == 1 ? QStringLiteral("Se encontró 1 grupo en el directorio.")
                          : QStringLiteral("Se encontraron %1 grupos en el directorio.").arg(found),
               MessageIcon::Information);
    return true;
}

QStringList WSELGRLD(Database& database, const QString& filter, QString* problem)
{
    QStringList choices = {noDirectoryGroup};
    if (!directoryInUse(database))
        return choices;
    const DirectoryAnswer answer = findDirectoryGroups(readDirectorySettings(database), filter);
    if (problem)
        *problem = answer.error;
    for (const DirectoryGroup& group : answer.groups)
        choices.append(group.name);
    return choices;
}
