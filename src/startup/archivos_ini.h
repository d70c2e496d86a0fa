#pragma once

#include <QString>

// ArchivosIni: reading and writing INI files with the semantics of the
// Windows private-profile functions, so that files shared with the other
// programs of the payroll system keep working:
//  - sections and keys compare without regard to letter case;
//  - a value is trimmed, and one pair of enclosing quotes is dropped;
//  - the first occurrence of a section or key wins;
//  - a write changes only the line of its key (or adds one), every other
//    line of the file stays as it was, byte for byte;
//  - a file name that does not exist as written is looked up without regard
//    to letter case.
namespace ArchivosIni {

/// The value of `key` in `section` of `file`, trimmed and cut to
/// `bufferSize` - 1 characters, or `defaultValue` when the key is absent.
QString readValue(const QString& section, const QString& key, const QString& defaultValue,
                  const QString& file, int bufferSize = 255);

/// Writes `key`=`value` into `section` of `file`, creating the file, the
/// section or the key as needed. Returns "S" on success, "N" otherwise.
QString writeValue(const QString& section, const QString& key, const QString& value,
                   const QString& file);

/// Removes `key` from `section` of `file`. Returns "S" when the file is as
/// asked afterwards (also when the key was not there), "N" when it could not
/// be read or written.
QString deleteKey(const QString& section, const QString& key, const QString& file);

}  // namespace ArchivosIni
