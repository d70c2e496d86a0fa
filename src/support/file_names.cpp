#include "support/file_names.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

QString joined(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

/// The entry of `folder` whose name equals `name` without regard to case.
QString entryIgnoringCase(const QString& folder, const QString& name)
{
    const QDir directory(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries = directory.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace

QString findFileIgnoringCase(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;

    const bool absolute = path.startsWith(u'/');
    const bool trailingSeparator = path.endsWith(u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString found = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        const QString exact = joined(found, part);
        if (part == u'.' || part == QStringLiteral("..") || QFileInfo::exists(exact)) {
            found = exact;
            continue;
        }
        const QString entry = entryIgnoringCase(found, part);
        if (entry.isEmpty())
            return path;
        found = joined(found, entry);
    }
    if (trailingSeparator && !found.endsWith(u'/'))
        found += u'/';
    return found;
}
