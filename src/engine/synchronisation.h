#pragma once

#include "data/db_error.h"

#include <QDate>
#include <QString>

class Database;
class UiPort;

// The automatic-copy switches and the synchronisation mark, kept in PARAMETR
// under "SincroAuto". A process outside this program copies groups of tables
// between installations: while a group's switch and the global switch ("Hay")
// are both on, the objects of that group change nothing. Every committed
// change to the master data writes the day of the change under "UltModific".

/// The two switches of one synchronisation group, read once when an object
/// starts.
struct SyncSwitches {
    QString group;   ///< ("SincroAuto", group code, 0)
    QString global;  ///< ("SincroAuto", "Hay", 0)

    /// True when the group is copied automatically: both switches, trimmed,
    /// are exactly "S".
    bool copiedAutomatically() const;
};

/// The switches of `groupCode` ("Car", "Con", ...). An empty code (a table
/// without a group) reads nothing and never blocks.
SyncSwitches readSyncSwitches(Database& database, const QString& groupCode);

/// Writes ("SincroAuto", "UltModific", 0) = `today` as "dd/mm/yy", number 0
/// and the empty date; creates the row when it is missing.
/// `ui` lets window events run while the row's lock is waited for.
DbError markSynchronisedChange(Database& database, UiPort& ui, const QDate& today = QDate::currentDate());

/// The refusal shown when a group is copied automatically.
QString copiedAutomaticallyText();
