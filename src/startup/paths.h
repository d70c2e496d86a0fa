#pragma once

#include <QString>

/// The folders read from the executable's INI file, section "KQFiles". Each
/// ends with the separator.
struct ConfigurationPaths {
    QString data;     ///< `DataPath`: folder of the database file
    QString menu;     ///< `MenuPath`: kept; nothing in this program reads it
    QString picture;  ///< `GraphPath`: where relative picture and icon names are looked up
    QString aux;      ///< `AuxPath`: kept; nothing in this program reads it

    /// Full name of the database file in the data folder.
    QString databaseFile() const;
};

/// `path` with the separator appended when it does not end with one.
QString withTrailingSeparator(const QString& path);

/// The INI file named after the executable: the application folder, the
/// executable's base name and ".INI" (found without regard to letter case).
QString executableIniFile(const QString& applicationFolder, const QString& executableBaseName);

/// One folder of section "KQFiles": the value cut at the first NUL and ending
/// with the separator; the application folder when the file or key is absent.
QString readConfiguredPath(const QString& applicationFolder, const QString& executableBaseName,
                           const QString& key);

ConfigurationPaths readConfigurationPaths(const QString& applicationFolder,
                                          const QString& executableBaseName);

/// The workstation user: "LOGNAME" trimmed, or "GUEST" when empty or unset.
QString workstationUser();
