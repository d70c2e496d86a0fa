#pragma once

#include "security/profiles.h"

#include <QList>
#include <QString>

#include <optional>

class Database;
class UiPort;

// The profiles forms without their windows: the confirm of the profile form
// (WABMPERF) with its checks in their fixed order, and the actions of the
// profiles list (WPERFILE) and of the copy form (WCOPIAPE). Refusals are
// shown through the UI port; every change leaves an audit entry of area 25.

/// What the profile form holds.
struct ProfileFormInput {
    QString key;
    QString description;
    QString rights;  ///< by position, 1 to 200
    QString directoryGroup;
    QList<WorkPlaceAccess> workPlaces;
    /// `PrfJerarqu`, stored as entered; what it ranks is left to the other
    /// programs of the payroll system.
    int hierarchy = 0;
};

/// The values `PrfJerarqu` holds (a 16-bit integer): the form takes any of
/// them, so a value another program stored survives a save unchanged.
inline constexpr int profileHierarchyMinimum = -32768;
inline constexpr int profileHierarchyMaximum = 32767;

/// The actions of the profiles list.
enum class ProfilesAction { Add, Change, Delete, Copy, Print, Directory };

/// Checks the permission (right 9 of "Permisos") and, for the actions that
/// change the table, the automatic copy of "Usu"; shows the refusal and
/// returns false when the action may not run.
bool profilesActionAllowed(Database& database, UiPort& ui, ProfilesAction action);

/// What the form shows for a new profile: no rights, and the access that
/// the next profile number already has in every place of work.
ProfileFormInput newProfileForm(Database& database, DbError* failure = nullptr);
/// What the form shows for the stored profile `key`; nullopt when there is
/// no such profile.
std::optional<ProfileFormInput> readProfileForm(Database& database, const QString& key, DbError* failure = nullptr);

/// Confirms the profile form in `mode` ("INS" or "UPD"): runs the checks,
/// writes the profile and its access to every place of work, the audit
/// entry and, when it is the profile of this run's user, its rights into
/// "Permisos". Returns whether the profile was written.
bool WABMPERF(Database& database, UiPort& ui, const ProfileFormInput& input, const QString& mode);

/// The audit text of a saved profile: "Crea perfil " or "Modifica perfil ",
/// the key, the description, every right's label and value, and the access
/// to each place of work.
QString profileAuditText(const ProfileFormInput& input, const QString& mode);

/// Asks, deletes with PBORRAPE and writes the audit entry.
bool deleteProfile(Database& database, UiPort& ui, const QString& key);
/// Asks, copies with PCOPIAPE and writes the audit entry (WCOPIAPE).
bool WCOPIAPE(Database& database, UiPort& ui, const QString& source, const QString& newKey);
