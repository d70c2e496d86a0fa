#pragma once

#include "security/users.h"

#include <QString>

class Database;
class UiPort;

// The users forms without their windows: the confirm of the user form
// (WABMUSUA) with its checks in their fixed order, and the actions of the
// users work panel (WUSUARIO) and of the copy form (WCOPIAUS). Refusals are
// shown through the UI port; every change leaves an audit entry of area 25.

/// What the user form holds when it is confirmed.
struct UserFormInput {
    QString name;
    QString fullName;
    QString profile = QStringLiteral("Supervisor");
    QString password;
    QString passwordRepeated;
};

/// The actions of the users work panel.
enum class UsersAction { Add, Change, Delete, Copy, ClearPassword, Print };

/// Checks the permission (right 9 of "Permisos") and, for the actions that
/// change the table, the automatic copy of "Usu"; shows the refusal and
/// returns false when the action may not run.
bool usersActionAllowed(Database& database, UiPort& ui, UsersAction action);

/// Confirms the user form in `mode` ("INS" or "UPD"): runs the checks,
/// writes the user, its audit entry and, for the user of this run, the new
/// password into VBGlob. Returns whether the user was written.
bool WABMUSUA(Database& database, UiPort& ui, const UserFormInput& input, const QString& mode);

/// Asks, deletes with PBORRAUS and writes the audit entry.
bool deleteUser(Database& database, UiPort& ui, const QString& name);
/// Asks, clears the password with PBORRACO and writes the audit entry.
bool clearUserPassword(Database& database, UiPort& ui, const QString& name);
/// Asks, copies with PCOPIARU and writes the audit entry (WCOPIAUS).
bool WCOPIAUS(Database& database, UiPort& ui, const QString& source, const QString& newName);
