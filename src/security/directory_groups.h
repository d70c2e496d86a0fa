#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// The directory groups a profile may be linked to (`PrfGruLDAP`): the
// members of the group get the profile. The directory itself is reached
// through a lookup that an installation provides; without one, or with the
// "USALDAP" parameter off, there are no groups to choose from and a profile
// can only be left without a group.

/// One group of the directory.
struct DirectoryGroup {
    QString name;
    QString path;  ///< the group's address in the directory
};

/// A directory service that answers the group query: every group whose
/// name matches `nameFilter` (empty: all), sorted by name. A failure of the
/// directory answers no groups.
class DirectoryLookup {
public:
    virtual ~DirectoryLookup() = default;
    virtual QList<DirectoryGroup> groups(const QString& nameFilter) = 0;
};

/// The lookup of this process, or nullptr when no directory is configured.
DirectoryLookup* installedDirectoryLookup();
void installDirectoryLookup(DirectoryLookup* lookup);

/// The text of the choice that clears a profile's group.
inline const QString noDirectoryGroup = QStringLiteral("--Ninguno--");

/// Whether the directory is to be used: parameter ("Configur", "USALDAP", 0)
/// with the number 1.
bool directoryInUse(Database& database);

/// The choices of the group selection (WSELGRLD): "--Ninguno--" first, then
/// the names of the groups that contain `filter` (any letter case), when the
/// directory is in use and a lookup is installed.
QStringList WSELGRLD(Database& database, const QString& filter);
