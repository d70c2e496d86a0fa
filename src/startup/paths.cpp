#include "startup/paths.h"

#include "startup/archivos_ini.h"

#include <QDir>

namespace {

const QString databaseFileName = QStringLiteral("KQ_DATA.MDB");

}  // namespace

QString ConfigurationPaths::databaseFile() const
{
    return data + databaseFileName;
}

QString withTrailingSeparator(const QString& path)
{
    if (path.endsWith('/'))
        return path;
    return path + '/';
}

QString executableIniFile(const QString& applicationFolder, const QString& executableBaseName)
{
    return withTrailingSeparator(applicationFolder) + executableBaseName.trimmed() + ".INI";
}

QString readConfiguredPath(const QString& applicationFolder, const QString& executableBaseName,
                           const QString& key)
{
    const QString folder = withTrailingSeparator(applicationFolder);
    QString value = ArchivosIni::readValue("KQFiles", key, folder,
                                           executableIniFile(applicationFolder, executableBaseName), 2048);
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    return withTrailingSeparator(value);
}

ConfigurationPaths readConfigurationPaths(const QString& applicationFolder,
                                          const QString& executableBaseName)
{
    ConfigurationPaths paths;
    paths.data = readConfiguredPath(applicationFolder, executableBaseName, "DataPath");
    paths.menu = readConfiguredPath(applicationFolder, executableBaseName, "MenuPath");
    paths.picture = readConfiguredPath(applicationFolder, executableBaseName, "GraphPath");
    paths.aux = readConfiguredPath(applicationFolder, executableBaseName, "AuxPath");
    return paths;
}

QString workstationUser()
{
    const QString name = qEnvironmentVariable("LOGNAME").trimmed();
    return name.isEmpty() ? QStringLiteral("GUEST") : name;
}
