#pragma once

#include "data/db_error.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class UiPort;

// The directory groups a profile may be linked to (`PrfGruLDAP`): the
// members of the group get the profile. The groups come from an LDAP
// directory (Active Directory or OpenLDAP) that the parameters below name;
// with the "USALDAP" parameter off there are no groups to choose from and a
// profile can only be left without a group.

/// One group of the directory.
struct DirectoryGroup {
    QString name;
    QString path;  ///< the entry's distinguished name
};

/// Seconds the directory may take to connect or to answer one request.
inline constexpr int defaultDirectoryTimeout = 5;

/// Where the directory is and how to sign in to it.
struct DirectorySettings {
    QString uri;       ///< "ldap://servidor", "ldaps://servidor:636"; several separated by spaces
    QString bindDn;    ///< the account's distinguished name; empty signs in anonymously
    QString password;  ///< plain text here, stored scrambled
    bool startTls = false;
    int timeoutSeconds = defaultDirectoryTimeout;
};

/// What one search of the directory found.
struct DirectoryAnswer {
    QList<DirectoryGroup> groups;  ///< sorted by name
    QString error;                 ///< why the directory did not answer; empty when it did
    bool ok() const { return error.isEmpty(); }
};

/// The groups whose name contains `text` (any letter case; empty: every
/// group), sorted by name. The text is matched literally: the characters of
/// LDAP's filter syntax in it never widen the search. Never waits more than
/// the settings' timeout for any one step.
DirectoryAnswer findDirectoryGroups(const DirectorySettings& settings, const QString& text);

/// `text` escaped as a value of an LDAP search filter: "*", "(", ")", "\"
/// and NUL written as "\2a", "\28", "\29", "\5c" and "\00".
QString ldapFilterValue(const QString& text);

/// The text of the choice that clears a profile's group.
inline const QString noDirectoryGroup = QStringLiteral("--Ninguno--");

/// Whether the directory is to be used: parameter ("Configur", "USALDAP", 0)
/// with the number 1.
bool directoryInUse(Database& database);

/// The directory's settings from the parameter store (group "Configur").
DirectorySettings readDirectorySettings(Database& database);

/// Checks and stores whether the directory is used and where it is, all
/// rows in one transaction, and writes the audit entry. A refusal is shown
/// through `ui`; returns whether it was stored.
bool saveDirectorySettings(Database& database, UiPort& ui, bool inUse, const DirectorySettings& settings);

/// Shows how many groups a search of every group found, or why the
/// directory did not answer (the "Probar" button of the settings form).
/// Returns whether the directory answered.
bool showDirectoryTest(const DirectoryAnswer& answer, UiPort& ui);

/// The choices of the group selection (WSELGRLD): "--Ninguno--" first, then
/// the groups whose name contains `filter`, when the directory is in use. A
/// directory that fails adds no groups; `problem` (when given) gets why.
QStringList WSELGRLD(Database& database, const QString& filter, QString* problem = nullptr);
