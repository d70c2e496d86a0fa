#pragma once

#include <QHash>
#include <QString>

// VBGlob: the process-wide context value store that holds the run's user
// context ("Usuario", "Permisos", "VersionCS", "IDEmpresa", "PathEmpresa", ...).
// Keys compare without regard to letter case; a missing key reads as empty.
namespace VBGlob {

/// Puts `value` under `key`, replacing any entry with the same key.
void put(const QString& key, const QString& value);
/// The value under `key`, or an empty text when there is none.
QString get(const QString& key);
/// Empties the store (start-up creates it empty).
void clear();

}  // namespace VBGlob
