#pragma once

#include "security/users.h"

#include <QChar>
#include <QList>
#include <QString>

#include <optional>

class Database;
class UiPort;

// The permission profiles (PERFILES). A profile is stored under its scrambled
// key (capitals, 20 characters) with a scrambled record of 282 characters:
// the clock's seconds at the save, the key, the description (60) and the
// rights string (200), one character per right. `PrfCorrela` (1 to 50) is the
// profile's position in the access string of every place of work
// (`LUGARTRA.TraPerfile`, 50 characters, kept scrambled too): "N" no access,
// "C" consult, "S" modify, which a new place of work gives every profile.

inline constexpr int profileKeyWidth = 20;
inline constexpr int profileDescriptionWidth = 60;
inline constexpr int profileRightsWidth = 200;
inline constexpr int profileRecordWidth = 282;
/// Profiles that may exist at once: one per position of an access string.
inline constexpr int maximumProfiles = 50;
inline constexpr int workPlaceAccessWidth = 50;

/// How a right is chosen on the profile form.
enum class RightKind {
    YesNo,           ///< "S" or "N"
    NoneConsultModify,  ///< "N" "Sin permiso", "C" "Consultar", "M" "Modificar"
};

/// One right of the rights string.
struct RightDecl {
    int position;   ///< 1 to 47, 100 to 119
    QString label;  ///< as the form and the audit text show it
    RightKind kind;
    QString tab;    ///< the tab of the profile form that holds it
};

/// Every right in position order.
const QList<RightDecl>& profileRights();
/// The right at `position`, or nullptr.
const RightDecl* findRight(int position);
/// The tabs of rights in the order the profile form shows them.
const QStringList& rightTabs();

/// Positions of the rights this program and the save checks name.
namespace Right {
constexpr int Concepts = 7;
constexpr int Tables = 8;
constexpr int CreateUsers = 9;
constexpr int Reports = 10;
constexpr int SeeAmounts = 19;
constexpr int ReportDesigner = 30;
constexpr int PersonnelFile = 100;       ///< "Ficha funcional", items 101 to 109
constexpr int PersonnelFileLastItem = 109;
constexpr int PerformanceReview = 111;   ///< items 112 to 114
constexpr int PositionDescription = 115; ///< items 116 to 119
constexpr int PositionDescriptionLastItem = 119;
}  // namespace Right

/// The character of `rights` at `position` (1-based); a blank past its end.
QChar rightAt(const QString& rights, int position);
/// Sets the character at `position`, padding `rights` with blanks as needed.
void setRight(QString& rights, int position, QChar value);
/// The stored rights string: rights 1 to 47 in position order, 52 blanks,
/// rights 100 to 119, padded to 200; other characters of `rights` dropped.
QString normalisedRights(const QString& rights);

/// The plain profile record.
struct ProfileData {
    QString seconds;      ///< two digits
    QString key;          ///< capitals
    QString description;
    QString rights;       ///< 200 characters

    /// The 282 fixed-position characters.
    QString record() const;
    /// Reads a record unscrambled from PrfDatos (a shorter one reads padded).
    static ProfileData fromRecord(const QString& record);
};

/// One profile as the profiles list shows it.
struct ProfileListing {
    QString key;          ///< unscrambled, trimmed
    QString description;  ///< trimmed
    int hierarchy = 0;
    int correlative = 0;
    QString directoryGroup;
};

/// The stored form of a profile key: capitals, padded to 20, scrambled.
/// nullopt when a character is not in the substitution table.
std::optional<QString> scrambledProfileKey(const QString& key);

/// The profiles in the order of IPERFILE, unscrambled.
DbError WPERFILE(Database& database, QList<ProfileListing>& profiles);

/// A stored profile with its position and directory group.
struct StoredProfile {
    ProfileData data;
    int correlative = 0;
    QString directoryGroup;
    int hierarchy = 0;  ///< `PrfJerarqu`
};

/// Reads the profile `key`; nullopt when there is none.
std::optional<StoredProfile> readProfile(Database& database, const QString& key, DbError* failure = nullptr);

/// The profile key of the user of this run ("Usuario" of VBGlob), trimmed;
/// empty when the user is not stored.
QString thisRunsProfile(Database& database);

/// Writes a profile: adds it with the next correlative number, or changes
/// its record and group when it exists (waiting for the record's lock).
/// Adding a 51st profile is refused. `correlative` gets the profile's number.
/// `hierarchy`, when given, is stored in `PrfJerarqu` in the same write; a
/// new profile without it starts at 0 and a stored one keeps its own.
ProcedureOutcome PGRABAPE(Database& database, UiPort& ui, const QString& key, const QString& description,
                          const QString& rights, const QString& directoryGroup, int& correlative,
                          std::optional<int> hierarchy = std::nullopt);

/// Sets the character at `correlative` of the access string of the place of
/// work `workPlace` to `access`, waiting for the record's lock.
ProcedureOutcome PGPRFLUG(Database& database, UiPort& ui, int workPlace, int correlative, QChar access);

/// Renumbers the profiles 1, 2, ... in the order of their correlative
/// numbers. A profile's character in every access string and its "Product"
/// parameters move with it, so no profile inherits another's.
ProcedureOutcome PPRFCORR(Database& database, UiPort& ui);

/// Deletes the profile unless a user has it; removes its "Product" parameters
/// and renumbers the rest.
ProcedureOutcome PBORRAPE(Database& database, UiPort& ui, const QString& key);

/// Creates `newKey` with the description and rights of `source`, the next
/// correlative number and the source's access to every place of work.
/// `failed` is "S" when nothing was created.
ProcedureOutcome PCOPIAPE(Database& database, UiPort& ui, const QString& source, const QString& newKey,
                          QString& failed);

/// One place of work as the profile form's grid shows it.
struct WorkPlaceAccess {
    int id = 0;
    QString description;
    QChar access;  ///< "N" no access, "C" consult, "S" modify
};

/// The access of the profile at `correlative` to every place of work, in
/// the order of ILUGARTR. "S", the character of a new place of work, is full
/// access; anything but "N" and "C" (a short string, say) reads as "S".
DbError readWorkPlaceAccess(Database& database, int correlative, QList<WorkPlaceAccess>& places);

/// The number of stored profiles.
DbError countProfiles(Database& database, int& count);
