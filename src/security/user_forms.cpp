#include "security/user_forms.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/parameters.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "startup/vbglob.h"
#include "support/pencript.h"
#include "support/ui_port.h"

namespace {

/// Position in the permission string of the right to maintain users.
constexpr int usersRightPosition = 9;

bool refuse(UiPort& ui, const QString& text)
{
    ui.message(text, MessageIcon::Information);
    return false;
}

bool passwordIsMandatory(Database& database)
{
    double mandatory = 0;
    PPARLN40(database, QStringLiteral("Configur"), QStringLiteral("CONTRASEÑA"), 0, mandatory);
    return mandatory == 1;
}

QString rightTrimmed(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QChar(' '))
        --end;
    return text.left(end);
}

bool isThisRunsUser(const QString& name)
{
    return VBGlob::get(QStringLiteral("Usuario")).trimmed().toUpper() == name.trimmed().toUpper();
}

void audit(Database& database, const QString& text)
{
    writeAuditEntry(database, AuditArea::UsersAndProfiles, text);
}

QString addText(const UserFormInput& input)
{
    QString text = QStringLiteral("Agrega usuario ") + input.name.trimmed();
    if (!input.fullName.trimmed().isEmpty())
        text += QStringLiteral(", Nombre = ") + input.fullName.trimmed();
    if (!input.profile.trimmed().isEmpty())
        text += QStringLiteral(", Perfil = ") + input.profile.trimmed();
    if (!input.password.trimmed().isEmpty())
        text += QStringLiteral(", Con contraseña");
    return text;
}

QString changeText(const UserFormInput& input, const UserData& before)
{
    QString text = QStringLiteral("Modifica usuario ") + input.name.trimmed();
    if (input.fullName.trimmed() != before.fullName.trimmed())
        text += QStringLiteral(", Nombre = ") + input.fullName.trimmed();
    if (input.profile.trimmed().toUpper() != before.profile.trimmed())
        text += QStringLiteral(", Perfil = ") + input.profile.trimmed();
    if (input.password.trimmed().toUpper() != before.password.trimmed())
        text += QStringLiteral(", Contraseña modificada");
    return text;
}

}  // namespace

bool usersActionAllowed(Database& database, UiPort& ui, UsersAction action)
{
    const QString permissions = VBGlob::get(QStringLiteral("Permisos"));
    if (permissions.size() < usersRightPosition || permissions.at(usersRightPosition - 1) != QChar('S'))
        return refuse(ui, QStringLiteral("No tiene permiso para efectuar esta operación"));
    switch (action) {
    case UsersAction::Add:
    case UsersAction::Change:
    case UsersAction::Delete:
        if (readSyncSwitches(database, QStringLiteral("Usu")).copiedAutomatically())
            return refuse(ui, copiedAutomaticallyText());
        return true;
    case UsersAction::Copy:
        if (readSyncSwitches(database, QStringLiteral("Usu")).copiedAutomatically())
            return refuse(ui, QStringLiteral("No puede copiar usuarios, esta tabla se copia automaticamente."));
        return true;
    case UsersAction::ClearPassword:
    case UsersAction::Print:
        return true;
    }
    return true;
}

bool WABMUSUA(Database& database, UiPort& ui, const UserFormInput& input, const QString& mode)
{
    const bool adding = mode == QLatin1String("INS");
    if (input.name.trimmed().isEmpty())
        return refuse(ui, QStringLiteral("Falta indicar usuario"));
    if (input.fullName.trimmed().isEmpty())
        return refuse(ui, QStringLiteral("Falta indicar nombre de usuario"));
    if (input.profile.trimmed().isEmpty())
        return refuse(ui, QStringLiteral("Falta indicar el perfil"));
    if (rightTrimmed(input.password) != rightTrimmed(input.passwordRepeated))
        return refuse(ui, QStringLiteral("La contraseña nueva y la repetición de la contraseña no son iguales"));
    if (passwordIsMandatory(database) && input.password.trimmed().isEmpty())
        return refuse(ui, QStringLiteral("La contraseña no puede estar vacía"));

    const std::optional<QString> scrambledName = scrambledUserName(input.name);
    UserData before;
    if (!adding && scrambledName) {
        DbError failure;
        const std::optional<UserData> stored = readUser(database, input.name, &failure);
        if (failure)
            return refuse(ui, failure.fullText());
        if (stored)
            before = *stored;
        if (stored && input.profile.trimmed().toUpper() != stored->profile.trimmed()) {
            QString answer;
            const ProcedureOutcome outcome = PHAYUSUP(database, *scrambledName, answer);
            if (!outcome.ok())
                return refuse(ui, outcome.errorMessage);
            if (answer == QLatin1String("N"))
                return refuse(ui, QStringLiteral("No puede cambiar el perfil porque es el único usuario con perfil "
                                                 "para crear usuarios"));
        }
    }
    if (adding || !scrambledName) {
        if (!scrambledName)
            return refuse(ui, QString::fromUtf16(invalidUserNameMessage));
        if (readUser(database, input.name).has_value())
            return refuse(ui, QStringLiteral("Ya existe usuario"));
    }

    const ProcedureOutcome written =
        PGRABAUS(database, ui, input.name, input.fullName, input.profile, rightTrimmed(input.password), mode);
    if (!written.ok())
        return refuse(ui, written.errorMessage);
    audit(database, adding ? addText(input) : changeText(input, before));
    if (isThisRunsUser(input.name))
        VBGlob::put(QStringLiteral("Contraseña"), rightTrimmed(input.password));
    return true;
}

bool deleteUser(Database& database, UiPort& ui, const QString& name)
{
    if (!ui.question(QStringLiteral("¿Confirma al eliminación del usuario ") + name.trimmed() + QStringLiteral("?"),
                     DefaultButton::No))
        return false;
    const ProcedureOutcome outcome = PBORRAUS(database, ui, name);
    if (!outcome.ok())
        return refuse(ui, outcome.errorMessage);
    audit(database, QStringLiteral("Elimina usuario ") + name.trimmed());
    return true;
}

bool clearUserPassword(Database& database, UiPort& ui, const QString& name)
{
    if (!ui.question(QStringLiteral("¿Desea borrar la contraseña del usuario ") + name.trimmed() + QStringLiteral(" ?"),
                     DefaultButton::No))
        return false;
    const ProcedureOutcome outcome = PBORRACO(database, ui, name);
    if (!outcome.ok())
        return refuse(ui, outcome.errorMessage);
    audit(database, QStringLiteral("Borra contraseña usuario ") + name.trimmed());
    if (isThisRunsUser(name))
        VBGlob::put(QStringLiteral("Contraseña"), QString());
    return true;
}

bool WCOPIAUS(Database& database, UiPort& ui, const QString& source, const QString& newName)
{
    if (!ui.question(QStringLiteral("¿Confirma copiado del usuario?"), DefaultButton::No))
        return false;
    QString failed;
    const ProcedureOutcome outcome = PCOPIARU(database, source, newName, failed);
    if (!outcome.ok() || failed == QLatin1String("S"))
        return refuse(ui, outcome.errorMessage);
    audit(database, QStringLiteral("Copia usuario ") + source.trimmed() + QStringLiteral(" a usuario ") + newName.trimmed());
    return true;
}
