#include "security/directory_groups.h"

#include "data/parameters.h"

namespace {

DirectoryLookup* lookup = nullptr;

}  // namespace

DirectoryLookup* installedDirectoryLookup()
{
    return lookup;
}

void installDirectoryLookup(DirectoryLookup* installed)
{
    lookup = installed;
}

bool directoryInUse(Database& database)
{
    double used = 0;
    PPARLN40(database, QStringLiteral("Configur"), QStringLiteral("USALDAP"), 0, used);
    return used == 1;
}

QStringList WSELGRLD(Database& database, const QString& filter)
{
    QStringList choices = {noDirectoryGroup};
    if (!lookup || !directoryInUse(database))
        return choices;
    const QString text = filter.trimmed();
    for (const DirectoryGroup& group : lookup->groups(text)) {
        // The directory's own matching may be looser than "contains".
        if (text.isEmpty() || group.name.contains(text, Qt::CaseInsensitive))
            choices.append(group.name);
    }
    return choices;
}
