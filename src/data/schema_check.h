#pragma once

#include <QString>

class Database;

// What a database must hold before the program reads or writes it: its
// schema version row, and every table and field of the schema registry. A
// database that lacks any of them would be read wrongly (SQLite takes an
// unknown quoted name for a text), so it is refused before anything is read
// from it or written to it.

/// Why `file` cannot be an SQLite database of the program, judged from its
/// first bytes without opening it: missing, empty, unreadable or not an SQLite
/// file. An empty text when it may be one.
QString sqliteFileProblem(const QString& file);

/// Makes sure the open `database` is one the program can use. A database of
/// an older schema version is upgraded first unless `readOnly`. False with
/// `reason` set, a Spanish clause that names the table, the field or the
/// versions at fault; the database is then left as it was.
bool checkProgramDatabase(Database& database, bool readOnly, QString* reason);
