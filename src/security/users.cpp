#include "security/users.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "support/pencript.h"

#include <QDateTime>
#include <QTime>

#include <cassert>
#include <functional>

namespace {

constexpr int profileDataWidth = 282;
/// Position (1-based) in the profile record of the right to create users.
constexpr int createUsersPosition = 91;

QString padded(const QString& text, int width)
{
    return text.leftJustified(width, ' ', true);
}

QString secondsNow()
{
    return QStringLiteral("%1").arg(QTime::currentTime().second(), 2, 10, QChar('0'));
}

QString storedProfileKey(const QString& profile)
{
    return padded(profile.trimmed().toUpper(), userNameWidth);
}

QDateTime today()
{
    return QDateTime(QDate::currentDate(), QTime(0, 0));
}

ProcedureOutcome invalidCharacters(const QString& what)
{
    return ProcedureOutcome::failure(QStringLiteral("Caracteres inválidos en ") + what);
}

/// Opens USUARIOS on IUSUARIO and seeks the scrambled name.
DbError seekUser(TableCursor& users, const QString& scrambledName, Access access)
{
    if (DbError error = users.open(QStringLiteral("USUARIOS"), access))
        return error;
    if (DbError error = users.setIndex(QStringLiteral("IUSUARIO")))
        return error;
    DbError error = users.seek(Comparison::Equal, {scrambledName});
    users.database().idleFreeLocks();
    return error;
}

/// Writes UsuDatos and the save date of the current record, waiting for its
/// lock; `build` makes the new record from the stored one as read under the
/// lock, so a change made while waiting is not lost.
ProcedureOutcome rewriteUserData(TableCursor& users, UiPort& ui,
                                 const std::function<UserData(const UserData& stored)>& build)
{
    DbError failure;
    editWaitingForLock(users, ui, &failure);
    if (users.editMode() != EditMode::Editing)
        return ProcedureOutcome::fromDbError(failure);
    const UserData stored = UserData::fromRecord(pencriptUnscramble(users.text(QStringLiteral("UsuDatos"))));
    const std::optional<QString> scrambledData = pencriptScramble(build(stored).record());
    if (!scrambledData) {
        users.cancelUpdate();
        return invalidCharacters(QStringLiteral("nombre, contraseña o perfil del usuario"));
    }
    Database& database = users.database();
    if (DbError error = database.beginTransaction()) {
        users.cancelUpdate();
        return ProcedureOutcome::fromDbError(error);
    }
    users.setValue(QStringLiteral("UsuDatos"), *scrambledData);
    users.setValue(QStringLiteral("UsuContraF"), today());
    if (DbError error = users.update()) {
        users.cancelUpdate();  // releases the record's lock
        return ProcedureOutcome::fromDbError(error);
    }
    return ProcedureOutcome::fromDbError(database.commit());
}

/// Adds a user record; 3022 when the name exists.
DbError addUser(TableCursor& users, const QString& scrambledName, const QString& scrambledData)
{
    Database& database = users.database();
    if (DbError error = database.beginTransaction())
        return error;
    users.addNew();
    users.setValue(QStringLiteral("UsuNombre"), scrambledName);
    users.setValue(QStringLiteral("UsuContraF"), today());
    users.setValue(QStringLiteral("UsuDatos"), scrambledData);
    if (DbError error = users.update()) {
        users.cancelUpdate();
        return error;
    }
    return database.commit();
}

bool profileMayCreateUsers(TableCursor& profiles, const QString& profileKey, DbError* failure)
{
    const std::optional<QString> scrambledKey = pencriptScramble(storedProfileKey(profileKey));
    if (!scrambledKey)
        return false;
    *failure = profiles.seek(Comparison::Equal, {*scrambledKey});
    profiles.database().idleFreeLocks();
    if (failure->number != DbErrorNumber::None || profiles.noMatch())
        return false;
    const QString record = padded(pencriptUnscramble(profiles.text(QStringLiteral("PrfDatos"))), profileDataWidth);
    return record.at(createUsersPosition - 1) == QChar('S');
}

}  // namespace

QString UserData::record() const
{
    return padded(seconds, 2) + padded(fullName, userFullNameWidth) + padded(password, userNameWidth)
           + padded(profile, userNameWidth);
}

UserData UserData::fromRecord(const QString& record)
{
    const QString full = padded(record, userDataWidth);
    return {full.mid(0, 2), full.mid(2, userFullNameWidth), full.mid(32, userNameWidth), full.mid(52, userNameWidth)};
}

ProcedureOutcome ProcedureOutcome::fromDbError(const DbError& error)
{
    if (error.ok())
        return success();
    return failure(error.fullText(), error.number);
}

std::optional<QString> scrambledUserName(const QString& name)
{
    return pencriptScramble(padded(name.trimmed().toUpper(), userNameWidth));
}

DbError WUSUARIO(Database& database, QList<UserListing>& users)
{
    users.clear();
    TableCursor cursor(database);
    if (DbError error = cursor.open(QStringLiteral("USUARIOS"), Access::ReadOnly))
        return error;
    if (DbError error = cursor.setIndex(QStringLiteral("IUSUARIO")))
        return error;
    if (DbError error = cursor.moveFirst())
        return error;
    for (; !cursor.atEnd(); cursor.moveNext()) {
        const UserData data = UserData::fromRecord(pencriptUnscramble(cursor.text(QStringLiteral("UsuDatos"))));
        users.append({pencriptUnscramble(cursor.text(QStringLiteral("UsuNombre"))).trimmed(),
                      data.fullName.trimmed(), data.profile.trimmed(), data.hasPassword()});
    }
    database.idleFreeLocks();
    return DbError::success();
}

std::optional<UserData> readUser(Database& database, const QString& name, DbError* failure)
{
    const std::optional<QString> scrambled = scrambledUserName(name);
    if (!scrambled)
        return std::nullopt;
    TableCursor users(database);
    const DbError error = seekUser(users, *scrambled, Access::ReadOnly);
    if (failure)
        *failure = error;
    if (error || users.noMatch())
        return std::nullopt;
    return UserData::fromRecord(pencriptUnscramble(users.text(QStringLiteral("UsuDatos"))));
}

ProcedureOutcome PGRABAUS(Database& database, UiPort& ui, const QString& name, const QString& fullName,
                          const QString& profile, const QString& password, const QString& mode)
{
    assert((mode == QLatin1String("INS") || mode == QLatin1String("UPD")) && "PGRABAUS takes INS or UPD");
    (void)mode;  // both modes add the user or change the one that exists
    const std::optional<QString> scrambledName = scrambledUserName(name);
    if (!scrambledName)
        return ProcedureOutcome::failure(QString::fromUtf16(invalidUserNameMessage));
    const UserData data{secondsNow(), fullName, password.toUpper(), profile.trimmed().toUpper()};
    // A record that cannot be scrambled whole would be stored cut short and
    // read back as other data, so it is refused before anything is written.
    const std::optional<QString> scrambledData = pencriptScramble(data.record());
    if (!scrambledData)
        return invalidCharacters(QStringLiteral("nombre, contraseña o perfil del usuario"));

    TableCursor users(database);
    if (DbError error = users.open(QStringLiteral("USUARIOS")))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = users.setIndex(QStringLiteral("IUSUARIO")))
        return ProcedureOutcome::fromDbError(error);
    const DbError added = addUser(users, *scrambledName, *scrambledData);
    if (added.number != DbErrorNumber::DuplicateKey)
        return ProcedureOutcome::fromDbError(added);
    if (DbError error = users.seek(Comparison::Equal, {*scrambledName}))
        return ProcedureOutcome::fromDbError(error);
    database.idleFreeLocks();
    if (users.noMatch())
        return ProcedureOutcome::fromDbError(added);
    return rewriteUserData(users, ui, [&data](const UserData&) { return data; });
}

ProcedureOutcome PHAYUSUP(Database& database, const QString& scrambledName, QString& answer)
{
    answer = QStringLiteral("N");
    TableCursor users(database);
    if (DbError error = users.open(QStringLiteral("USUARIOS"), Access::ReadOnly))
        return ProcedureOutcome::fromDbError(error);
    TableCursor profiles(database);
    if (DbError error = profiles.open(QStringLiteral("PERFILES"), Access::ReadOnly))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = profiles.setIndex(QStringLiteral("IPERFILE")))
        return ProcedureOutcome::fromDbError(error);
    if (DbError error = users.moveFirst())
        return ProcedureOutcome::fromDbError(error);
    for (; !users.atEnd(); users.moveNext()) {
        if (users.text(QStringLiteral("UsuNombre")) == scrambledName)
            continue;
        const UserData data = UserData::fromRecord(pencriptUnscramble(users.text(QStringLiteral("UsuDatos"))));
        DbError failure;
        const bool mayCreate = profileMayCreateUsers(profiles, data.profile, &failure);
        if (failure)
            return ProcedureOutcome::fromDbError(failure);
        if (mayCreate) {
            answer = QStringLiteral("S");
            break;
        }
    }
    database.idleFreeLocks();
    return ProcedureOutcome::success();
}

ProcedureOutcome PBORRAUS(Database& database, UiPort& ui, const QString& name)
{
    const std::optional<QString> scrambledName = scrambledUserName(name);
    if (!scrambledName)
        return ProcedureOutcome::failure(QString::fromUtf16(invalidUserNameMessage));
    QString answer;
    if (ProcedureOutcome outcome = PHAYUSUP(database, *scrambledName, answer); !outcome.ok())
        return outcome;
    if (answer != QLatin1String("S"))
        return ProcedureOutcome::failure(
            QStringLiteral("No se puede eliminar el usuario porque es el único que puede crear otros usuarios"));
    TableCursor users(database);
    if (DbError error = seekUser(users, *scrambledName, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (users.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("No existe el usuario ") + name.trimmed());
    DbError failure;
    editWaitingForLock(users, ui, &failure);
    if (users.editMode() != EditMode::Editing)
        return ProcedureOutcome::fromDbError(failure);
    users.cancelUpdate();
    // The lock was free a moment ago; remove() takes it again for the delete.
    return ProcedureOutcome::fromDbError(users.remove());
}

ProcedureOutcome PCOPIARU(Database& database, const QString& source, const QString& newName, QString& failed)
{
    failed = QStringLiteral("S");
    const std::optional<QString> scrambledNew = scrambledUserName(newName);
    if (!scrambledNew)
        return ProcedureOutcome::failure(QString::fromUtf16(invalidUserNameMessage));
    TableCursor users(database);
    if (DbError error = seekUser(users, *scrambledNew, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (!users.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("El usuario ") + newName.trimmed() + QStringLiteral(" ya existe"));
    DbError readFailure;
    const std::optional<UserData> original = readUser(database, source, &readFailure);
    if (readFailure)
        return ProcedureOutcome::fromDbError(readFailure);
    if (!original)
        return ProcedureOutcome::failure(QStringLiteral("No existe el usuario ") + source.trimmed());
    const UserData copy{original->seconds, original->fullName, QString(), original->profile};
    const std::optional<QString> scrambledData = pencriptScramble(copy.record());
    if (!scrambledData)
        return ProcedureOutcome::failure(QString::fromUtf16(invalidUserNameMessage));
    const DbError added = addUser(users, *scrambledNew, *scrambledData);
    if (added.number == DbErrorNumber::DuplicateKey)
        return ProcedureOutcome::failure(QStringLiteral("Ya existe el registro"), added.number);
    if (added)
        return ProcedureOutcome::fromDbError(added);
    failed = QStringLiteral("N");
    return ProcedureOutcome::success();
}

ProcedureOutcome PBORRACO(Database& database, UiPort& ui, const QString& name)
{
    const std::optional<QString> scrambledName = scrambledUserName(name);
    if (!scrambledName)
        return ProcedureOutcome::failure(QString::fromUtf16(invalidUserNameMessage));
    TableCursor users(database);
    if (DbError error = seekUser(users, *scrambledName, Access::ReadWrite))
        return ProcedureOutcome::fromDbError(error);
    if (users.noMatch())
        return ProcedureOutcome::failure(QStringLiteral("No existe el usuario ") + name.trimmed());
    return rewriteUserData(users, ui, [](const UserData& stored) {
        return UserData{secondsNow(), stored.fullName, QString(), stored.profile};
    });
}
