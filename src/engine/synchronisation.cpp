#include "engine/synchronisation.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/parameters.h"
#include "support/picture.h"

namespace {

const QString syncTable = QStringLiteral("SincroAuto");

}  // namespace

bool SyncSwitches::copiedAutomatically() const
{
    return group.trimmed() == QLatin1String("S") && global.trimmed() == QLatin1String("S");
}

SyncSwitches readSyncSwitches(Database& database, const QString& groupCode)
{
    SyncSwitches switches;
    if (groupCode.trimmed().isEmpty())
        return switches;
    PPARLC(database, syncTable, groupCode, 0, switches.group);
    PPARLC(database, syncTable, QStringLiteral("Hay"), 0, switches.global);
    return switches;
}

DbError markSynchronisedChange(Database& database, UiPort& ui, const QDate& today)
{
    const QString day = Picture(QStringLiteral("dd/mm/yy")).format(today);
    DbError error = PPARAMGR(database, ui, syncTable, QStringLiteral("UltModific"), 0, day, 0, emptyDate());
    database.idleFreeLocks();
    return error;
}

QString copiedAutomaticallyText()
{
    return QStringLiteral("Esta tabla se copia automáticamente");
}
