#include "ui/window_registry.h"

#include "engine/object_registry.h"
#include "ui/basic_values_windows.h"
#include "ui/entry_windows.h"
#include "ui/concept_applications_window.h"
#include "ui/concept_code_change_window.h"
#include "ui/concept_maintenance_windows.h"
#include "ui/concept_export_windows.h"
#include "ui/holiday_range_window.h"
#include "ui/profiles_window.h"
#include "ui/report_definition_window.h"
#include "ui/report_run_window.h"
#include "ui/users_window.h"

#include <QHash>

namespace {

QHash<QString, WindowFactory>& registry()
{
    static QHash<QString, WindowFactory> factories;
    return factories;
}

/// The program's hand-written windows, registered before the first look-up
/// (the ui library is not linked whole, so static registrations would be
/// dropped).
QHash<QString, WindowFactory>& filledRegistry()
{
    static const bool filled = [] {
        registerUsersWindows();
        registerProfilesWindows();
        registerHolidayRangeWindow();
        registerBasicValuesWindows();
        registerEntryWindows();
        registerConceptApplicationsWindow();
        registerConceptCopyWindow();
        registerConceptUsageWindow();
        registerConceptMaintenanceWindows();
        registerConceptExportWindows();
        registerReportDefinitionWindows();
        registerReportRunWindows();
        return true;
    }();
    (void)filled;
    return registry();
}

}  // namespace

void WindowRegistry::add(const QString& name, const QString& title, WindowFactory factory)
{
    registry().insert(name.trimmed().toUpper(), factory);
    ObjectRegistry::addEntry(name, ObjectKind::Window, title);
}

void WindowRegistry::registerAll()
{
    filledRegistry();
}

WindowFactory WindowRegistry::find(const QString& name)
{
    return filledRegistry().value(name.trimmed().toUpper());
}
