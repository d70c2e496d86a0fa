// PLEECONF: the company record, read once at start-up for the window title.
#include "startup/main_object_start.h"

#include "data/cursor.h"
#include "data/database.h"

ConfigurationRecord PLEECONF(Database& database)
{
    ConfigurationRecord record;
    TableCursor configuration(database);
    if (configuration.open("CONFIGUR", Access::ReadOnly))
        return record;
    configuration.setIndex("ICONFIGU");
    configuration.moveFirst();  // an empty table is no error here
    configuration.seek(Comparison::GreaterOrEqual, {0});
    if (!configuration.noMatch() && configuration.hasCurrent() && configuration.integer("CfId") == 0) {
        record.found = true;
        record.companyName = configuration.text("CfEmpresa");
        record.version = configuration.number("CfVersion");
    }
    configuration.close();
    database.idleFreeLocks();
    return record;
}
