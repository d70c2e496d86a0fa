#pragma once

#include "data/database.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

// Creating the program's database: every table and index of the schema, the
// rows the program cannot work without, and the upgrade of a database written
// by an older version of the schema. Each function runs in one database
// transaction: it either does all its work or leaves the database as it was.
// Failures return false with a Spanish message that keeps the driver's text
// and error number.

/// The database file of a file installation, in the data folder.
inline constexpr const char* databaseFileName = "KQ_DATA.MDB";

/// The values of one row: field names of the schema and their values.
using RowValues = QList<QPair<QString, QVariant>>;

/// Adds one row to `table` with bound values; dates may be QDate or QDateTime.
/// The table and the fields must be in the schema.
bool insertRow(Database& database, const QString& table, const RowValues& values, QString* error);

/// Creates every table and index of the schema in an empty database and
/// writes the fixed rows: the company record (CfId 0), the run types "X" and
/// "T", the two fixed employee attributes, the profile "Supervisor" with every
/// right, its first user, the fixed-date holiday list and the schema version.
bool createDatabase(Database& database, QString* error);

/// Uruguay's holidays that keep their day, as "dd/mm" and name: the
/// fixed-date list of the holiday calendars that a new company starts with.
QList<std::pair<QString, QString>> uruguayanFixedHolidays();

/// The schema version stored in `database`: 0 when it has no version row,
/// -1 (with `error` set) when it cannot be read.
int storedSchemaVersion(Database& database, QString* error);

/// Brings a database of an older schema version up to Schema::currentVersion:
/// creates the tables, fields and indexes it lacks, adds the fixed rows that
/// are missing and stores the new version. Existing rows are kept. A database
/// of a newer version is refused.
bool upgradeDatabase(Database& database, QString* error);

/// A permission profile as a new database or the demo company writes it.
struct SetupProfile {
    QString key;          ///< "SUPERVISOR"
    QString description;  ///< "Supervisor"
    QString rights;       ///< the rights string, up to 200 characters
    int correlative = 1;  ///< its character in the places of work's access strings
};

/// A user as a new database or the demo company writes it.
struct SetupUser {
    QString name;        ///< "ADMIN"
    QString fullName;    ///< "Administrador"
    QString password;    ///< empty: none
    QString profileKey;  ///< "SUPERVISOR"
};

/// The rights string with every right granted.
QString fullRights();

/// Adds `profile` and `user` rows in the stored form the users and profiles
/// screens read: fixed-width records scrambled with PENCRIPT, names and
/// passwords in capitals. Every character must be in the substitution table.
bool writeSetupProfile(Database& database, const SetupProfile& profile, QString* error);
bool writeSetupUser(Database& database, const SetupUser& user, QString* error);

/// Writes the profile "Supervisor" with every right and the first user,
/// "ADMIN", with that profile and no password.
bool writeFixedUserAndProfile(Database& database, QString* error);

/// Creates `dataFolder`/KQ_DATA.MDB with createDatabase() and, when `demo` is
/// true, the demo company. The database is built in a new file beside it and
/// put in place only when complete, never over an existing file: a creation
/// that fails or is killed halfway leaves no KQ_DATA.MDB, and of two made at
/// once the second is refused without touching the first one's file.
bool createDatabaseFile(const QString& dataFolder, bool demo, QString* error);

/// Replaces `dataFolder`/KQ_DATA.MDB by a new database as createDatabaseFile()
/// builds it. Refused while any workstation has the file open. The old file
/// is kept as KQ_DATA.MDB.AAAAMMDD-HHMMSS.bak (with its -wal and -shm, if
/// any), whose name `backup` gets; nothing is deleted.
bool replaceDatabaseFile(const QString& dataFolder, bool demo, QString* backup, QString* error);
