#include "security/profile_forms.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "startup/main_menu.h"
#include "startup/vbglob.h"
#include "support/pencript.h"
#include "support/ui_port.h"

namespace {

bool refuse(UiPort& ui, const QString& text)
{
    ui.message(text, MessageIcon::Information);
    return false;
}

void audit(Database& database, const QString& text)
{
    writeAuditEntry(database, AuditArea::UsersAndProfiles, text);
}

QString rightTrimmed(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QChar(' '))
        --end;
    return text.left(end);
}

bool isSet(const QString& rights, int position)
{
    return rightAt(rights, position) == QChar('S');
}

/// Whether any of the rights `first` to `last` is given (not "N" nor blank).
bool anyItemGiven(const QString& rights, int first, int last)
{
    for (int position = first; position <= last; ++position) {
        const QChar value = rightAt(rights, position);
        if (value != QChar('N') && value != QChar(' '))
            return true;
    }
    return false;
}

/// Whether a profile other than `scrambledKey` has the right to create users.
DbError otherProfileMayCreateUsers(Database& database, const QString& scrambledKey, bool& found)
{
    found = false;
    TableCursor profiles(database);
    if (DbError error = profiles.open(QStringLiteral("PERFILES"), Access::ReadOnly))
        return error;
    DbError error = profiles.moveFirst();
    for (; !error && !profiles.atEnd(); error = profiles.moveNext()) {
        if (profiles.text(QStringLiteral("PrfClave")) == scrambledKey)
            continue;
        const ProfileData data =
            ProfileData::fromRecord(pencriptUnscramble(profiles.text(QStringLiteral("PrfDatos"))));
        if (isSet(data.rights, Right::CreateUsers)) {
            found = true;
            break;
        }
    }
    database.idleFreeLocks();
    return error.number == DbErrorNumber::NoCurrentRecord ? DbError::success() : error;
}

/// The message of the first failing check on the rights, or empty.
QString rightsRefusal(const QString& rights)
{
    if (rightAt(rights, Right::SeeAmounts) == QChar('N') && isSet(rights, Right::Reports))
        return QStringLiteral("No puede quitar el permiso -Ver importes del funcionario- y dejar el permiso -Emisión "
                              "de informes-, porque el usuario podría ver los importes en alguno de los informes.");
    if (rightAt(rights, Right::SeeAmounts) == QChar('N') && isSet(rights, Right::ReportDesigner))
        return QStringLiteral("No puede quitar el permiso -Ver importes del funcionario- y dejar el permiso -Crear y "
                              "modificar informes- de la solapa Generador de informes y Planilla horizontal, porque "
                              "el usuario podría ver los importes en alguno de los informes.");
    if (isSet(rights, Right::PersonnelFile) && !anyItemGiven(rights, Right::PersonnelFile + 1, Right::PersonnelFileLastItem))
        return QStringLiteral("Si selecciona -Ficha funcional- debe indicar permiso al menos para un item de la ficha.");
    if (isSet(rights, Right::PerformanceReview)
        && !anyItemGiven(rights, Right::PerformanceReview + 1, Right::PositionDescription - 1))
        return QStringLiteral("Si selecciona -Evaluación de desempeño- debe indicar permiso al menos para un item de "
                              "la evaluación.");
    if (isSet(rights, Right::PositionDescription) && !anyItemGiven(rights, Right::PositionDescription + 1, Right::PositionDescriptionLastItem))
        return QStringLiteral("Si selecciona -Descripción de cargos- debe indicar permiso al menos para un item de la "
                              "descripción.");
    return {};
}

}  // namespace

bool profilesActionAllowed(Database& database, UiPort& ui, ProfilesAction action)
{
    if (!permissionIs(VBGlob::get(QStringLiteral("Permisos")), Right::CreateUsers, QChar('S')))
        return refuse(ui, QStringLiteral("No tiene permiso para efectuar esta operación"));
    const auto copied = [&database] {
        return readSyncSwitches(database, QStringLiteral("Usu")).copiedAutomatically();
    };
    switch (action) {
    case ProfilesAction::Add:
    case ProfilesAction::Change:
        if (copied())
            return refuse(ui, QStringLiteral("Esta tabla se copia automaticamente"));
        return true;
    case ProfilesAction::Delete:
        if (copied())
            return refuse(ui, QStringLiteral("No puede eliminar perfiles, esta tabla se copia automaticamente"));
        return true;
    case ProfilesAction::Copy:
        if (copied())
            return refuse(ui, QStringLiteral("No puede copiar perfiles, esta tabla se copia automaticamente"));
        return true;
    case ProfilesAction::Print:
    case ProfilesAction::Directory:
        return true;
    }
    return true;
}

ProfileFormInput newProfileForm(Database& database, DbError* failure)
{
    ProfileFormInput input;
    input.rights = QString(profileRightsWidth, QChar(' '));
    for (const RightDecl& right : profileRights())
        setRight(input.rights, right.position, QChar('N'));
    QList<ProfileListing> profiles;
    DbError error = WPERFILE(database, profiles);
    int highest = 0;
    for (const ProfileListing& profile : profiles)
        highest = std::max(highest, profile.correlative);
    if (!error)
        error = readWorkPlaceAccess(database, highest + 1, input.workPlaces);
    if (failure)
        *failure = error;
    return input;
}

std::optional<ProfileFormInput> readProfileForm(Database& database, const QString& key, DbError* failure)
{
    DbError error;
    const std::optional<StoredProfile> stored = readProfile(database, key, &error);
    if (failure)
        *failure = error;
    if (!stored)
        return std::nullopt;
    ProfileFormInput input{stored->data.key.trimmed(), stored->data.description.trimmed(), stored->data.rights,
                           stored->directoryGroup, {}, stored->hierarchy};
    error = readWorkPlaceAccess(database, stored->correlative, input.workPlaces);
    if (failure)
        *failure = error;
    return input;
}

QString profileAuditText(const ProfileFormInput& input, const QString& mode)
{
    QString text = (mode == QLatin1String("INS") ? QStringLiteral("Crea perfil ") : QStringLiteral("Modifica perfil "))
                   + input.key.trimmed() + QStringLiteral(", ") + input.description.trimmed();
    for (const RightDecl& right : profileRights())
        text += QStringLiteral(", ") + right.label + QStringLiteral(" ") + rightAt(input.rights, right.position);
    text += QStringLiteral(", Acceso a funcionarios de ");
    QStringList places;
    for (const WorkPlaceAccess& place : input.workPlaces)
        places.append(place.description + QStringLiteral(" ") + place.access);
    return text + places.join(QStringLiteral(", "));
}

bool WABMPERF(Database& database, UiPort& ui, const ProfileFormInput& input, const QString& mode)
{
    const bool adding = mode == QLatin1String("INS");
    if (input.key.trimmed().isEmpty())
        return refuse(ui, QStringLiteral("Falta indicar perfil."));
    if (input.hierarchy < profileHierarchyMinimum || input.hierarchy > profileHierarchyMaximum)
        return refuse(ui, QStringLiteral("La jerarquía debe ser un número entre %1 y %2")
                              .arg(profileHierarchyMinimum)
                              .arg(profileHierarchyMaximum));
    const std::optional<QString> scrambledKey = scrambledProfileKey(input.key);
    DbError failure;
    const std::optional<StoredProfile> stored = scrambledKey ? readProfile(database, input.key, &failure)
                                                             : std::nullopt;
    if (failure)
        return refuse(ui, failure.fullText());
    if (adding) {
        if (!scrambledKey)
            return refuse(ui, QStringLiteral("Caracteres inválidos en perfil"));
        if (stored)
            return refuse(ui, QStringLiteral("Ya existe perfil"));
        int count = 0;
        if (DbError error = countProfiles(database, count))
            return refuse(ui, error.fullText());
        if (count >= maximumProfiles)
            return refuse(ui, QStringLiteral("No se permiten más de 50 perfiles"));
    } else if (!stored) {
        return refuse(ui, QStringLiteral("No existe el perfil ") + input.key.trimmed());
    }

    const QString rights = normalisedRights(input.rights);
    const bool losesCreateUsers = !adding && isSet(stored->data.rights, Right::CreateUsers)
                                  && !isSet(rights, Right::CreateUsers);
    if (losesCreateUsers) {
        bool another = false;
        if (DbError error = otherProfileMayCreateUsers(database, *scrambledKey, another))
            return refuse(ui, error.fullText());
        if (!another)
            return refuse(ui, QStringLiteral("No puede quitar el permiso -Crear usuarios y perfiles, asignar permisos- "
                                             "o el menú completo a este perfil porque no quedaría ningún perfil "
                                             "habilitado a crear usuarios."));
    }
    if (const QString refusal = rightsRefusal(rights); !refusal.isEmpty())
        return refuse(ui, refusal);

    int correlative = 0;
    const ProcedureOutcome written =
        PGRABAPE(database, ui, input.key, input.description.trimmed(), rights, input.directoryGroup.trimmed(),
                 correlative, input.hierarchy);
    if (!written.ok())
        return refuse(ui, written.errorMessage);
    for (const WorkPlaceAccess& place : input.workPlaces) {
        const ProcedureOutcome access = PGPRFLUG(database, ui, place.id, correlative, place.access);
        if (!access.ok())
            return refuse(ui, access.errorMessage);
    }
    audit(database, profileAuditText(input, adding ? QStringLiteral("INS") : QStringLiteral("UPD")));
    if (thisRunsProfile(database) == input.key.trimmed().toUpper())
        VBGlob::put(QStringLiteral("Permisos"), rightTrimmed(rights));
    return true;
}

bool deleteProfile(Database& database, UiPort& ui, const QString& key)
{
    if (!ui.question(QStringLiteral("¿Confirma al eliminación del perfil ") + key.trimmed() + QStringLiteral("?"),
                     DefaultButton::No))
        return false;
    const ProcedureOutcome outcome = PBORRAPE(database, ui, key);
    if (!outcome.ok())
        return refuse(ui, outcome.errorMessage);
    audit(database, QStringLiteral("Elimina perfil ") + key.trimmed());
    return true;
}

bool WCOPIAPE(Database& database, UiPort& ui, const QString& source, const QString& newKey)
{
    if (!ui.question(QStringLiteral("¿Confirma copiado del perfil?"), DefaultButton::No))
        return false;
    QString failed;
    const ProcedureOutcome outcome = PCOPIAPE(database, ui, source, newKey, failed);
    if (failed == QLatin1String("S"))
        return refuse(ui, outcome.errorMessage);
    // The profile exists even when an access string could not be copied.
    audit(database, QStringLiteral("Copia perfil ") + source.trimmed() + QStringLiteral(" a perfil ") + newKey.trimmed());
    if (!outcome.ok())
        refuse(ui, outcome.errorMessage);
    return true;
}
