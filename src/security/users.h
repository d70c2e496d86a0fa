#pragma once

#include "data/db_error.h"

#include <QList>
#include <QString>

#include <optional>

class Database;
class UiPort;

// The users of the payroll system (USUARIOS). Every user is stored under the
// scrambled user name (capitals, 20 characters) with a scrambled data record
// of 72 characters: the clock's seconds at the save (so the same data saved
// twice is stored differently), the full name, the password in capitals
// (blank when there is none) and the profile key in capitals. Names and
// passwords are compared in capitals: "ana" and "ANA" are one user.

/// Width of the stored user name and of the password and profile key.
inline constexpr int userNameWidth = 20;
inline constexpr int userFullNameWidth = 30;
inline constexpr int userDataWidth = 72;

/// The refusal of a user name with a character that cannot be scrambled,
/// the same on every path (adding, copying, deleting, clearing a password).
inline constexpr char16_t invalidUserNameMessage[] = u"Caracteres invalidos en usuario";

/// The plain user data record.
struct UserData {
    QString seconds;   ///< two digits
    QString fullName;  ///< up to 30 characters
    QString password;  ///< capitals, blank when there is none
    QString profile;   ///< profile key in capitals

    /// The 72 fixed-position characters.
    QString record() const;
    /// Reads a record unscrambled from UsuDatos (shorter records read padded).
    static UserData fromRecord(const QString& record);
    bool hasPassword() const { return !password.trimmed().isEmpty(); }
};

/// One user as the users list shows it.
struct UserListing {
    QString name;      ///< unscrambled, trimmed
    QString fullName;  ///< trimmed
    QString profile;   ///< trimmed
    bool hasPassword = false;
};

/// The outcome of a users procedure: error code 0 with no message on success.
struct ProcedureOutcome {
    int errorCode = 0;
    QString errorMessage;

    bool ok() const { return errorCode == 0; }
    static ProcedureOutcome success() { return {}; }
    static ProcedureOutcome failure(const QString& message, int code = 1) { return {code, message}; }
    static ProcedureOutcome fromDbError(const DbError& error);
};

/// The stored form of a user name: capitals, padded to 20, scrambled.
/// nullopt when a character is not in the substitution table.
std::optional<QString> scrambledUserName(const QString& name);

/// The users in the order of IUSUARIO, unscrambled; fails only when the
/// table cannot be read.
DbError WUSUARIO(Database& database, QList<UserListing>& users);

/// Reads the data record of `name`; nullopt when there is no such user (or
/// its name cannot be scrambled).
std::optional<UserData> readUser(Database& database, const QString& name, DbError* failure = nullptr);

/// Writes the user: adds it, or changes its data when it exists (waiting for
/// the record's lock). `mode` is "INS" or "UPD".
ProcedureOutcome PGRABAUS(Database& database, UiPort& ui, const QString& name, const QString& fullName,
                          const QString& profile, const QString& password, const QString& mode);

/// Deletes the user unless no other user may create users.
ProcedureOutcome PBORRAUS(Database& database, UiPort& ui, const QString& name);

/// "S" when a user other than `scrambledName` has a profile whose right 9
/// (creating users) is "S", else "N".
ProcedureOutcome PHAYUSUP(Database& database, const QString& scrambledName, QString& answer);

/// Creates `newName` with the full name and profile of `source` and no
/// password. `failed` is "S" when nothing was created.
ProcedureOutcome PCOPIARU(Database& database, const QString& source, const QString& newName, QString& failed);

/// Clears the password of the user.
ProcedureOutcome PBORRACO(Database& database, UiPort& ui, const QString& name);
