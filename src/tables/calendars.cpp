// Holiday calendars: CALFER, a code (`CalFerId`, 2 characters) and a
// description (`CalFerDsc`), with its holidays in CALFER1 keyed by the
// calendar and the date (`CalFerFch`), each with an optional description
// (`CalFchDesc`). The weekday of a holiday is never stored; lists and the
// holiday form compute it. Synchronisation group "DiL".
//
// The calendar form refuses to delete a calendar that still has holidays;
// the calendar list deletes it with its holidays, in one database
// transaction. After a new calendar the range panel opens so that its
// holidays can be loaded at once.
#include "tables/calendars.h"

#include "tables/holidays.h"

#include "data/cursor.h"
#include "data/error_translator.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/dates.h"
#include "support/ui_port.h"

namespace {

const QString syncGroup = QStringLiteral("DiL");

/// "Agrega calendario NA, descripción = Feriados nacionales"; a change is
/// audited only when the description changed.
QString calendarAuditText(const Transaction& form)
{
    const AuditWording& wording = form.declaration().audit;
    const QString key = form.value(QStringLiteral("CalFerId")).toString().trimmed();
    const QString description = form.value(QStringLiteral("CalFerDsc")).toString();
    const QString part = QStringLiteral(", descripción = ") + description;
    switch (form.mode()) {
    case Mode::Insert:
        return wording.insert + key + part;
    case Mode::Update:
        if (description.trimmed() == form.recordValue(QStringLiteral("CalFerDsc")).toString().trimmed())
            return {};
        return wording.modify + key + part;
    case Mode::Delete:
    case Mode::Display:
        return {};
    }
    return {};
}

/// The key the range panel is called with: the calendar and its description.
QString rangeKey(const QString& calendar, const QString& description)
{
    return calendar.trimmed() + u'\t' + description.trimmed();
}

void openRange(UiPort& ui, const QString& calendar, const QString& description, const QString& mode)
{
    QString key = rangeKey(calendar, description);
    QString called = mode;
    ui.callObject(QStringLiteral("WPARFERI"), key, called);
}

/// Whether an employee's position is on `calendar`.
bool assignedToEmployee(Database& database, const QString& calendar)
{
    TableCursor positions(database);
    if (positions.open(QStringLiteral("CARGOSFU"), Access::ReadOnly)
        || positions.setIndex(QStringLiteral("ICARGOS9")))
        return false;
    positions.seek(Comparison::Equal, {calendar});
    const bool found = positions.hasCurrent();
    database.idleFreeLocks();
    return found;
}

/// Eliminar of the calendar list: asks, refuses a calendar that an
/// employee uses, and deletes the calendar with all its holidays.
void removeCalendar(WorkPanel& panel, int row)
{
    UiPort& ui = panel.ui();
    Database& database = panel.database();
    const QString calendar = panel.keyAt(row);
    if (calendar.isEmpty())
        return;
    if (readSyncSwitches(database, syncGroup).copiedAutomatically()) {
        ui.message(QStringLiteral("No se puede eliminar calendarios, esta tabla se copia automaticamente."),
                   MessageIcon::Exclamation);
        return;
    }
    const QString named = calendar + u' ' + panel.cellText(row, 1);
    if (!ui.question(QStringLiteral("Desea eliminar el calendario ") + named + u'?', DefaultButton::No))
        return;
    if (assignedToEmployee(database, calendar)) {
        ui.message(QStringLiteral("No se puede eliminar el calendario ") + named
                       + QStringLiteral(", esta asignado a un funcionario"),
                   MessageIcon::Exclamation);
        return;
    }
    if (DbError error = PDLTCALE(database, ui, calendar))
        translateDatabaseError(ui, error);
}

}  // namespace

QString calendarDescription(Database& database, const QString& calendar)
{
    TableCursor calendars(database);
    if (calendars.open(QStringLiteral("CALFER"), Access::ReadOnly)
        || calendars.setIndex(QStringLiteral("ICALFER")))
        return {};
    calendars.seek(Comparison::Equal, {calendar.trimmed()});
    const QString description = calendars.hasCurrent() ? calendars.text(QStringLiteral("CalFerDsc")).trimmed()
                                                       : QString();
    database.idleFreeLocks();
    return description;
}

const TransactionDecl& TCALFER()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCALFER");
        declaration.title = QStringLiteral("Calendario de feriados");
        declaration.table = QStringLiteral("CALFER");
        declaration.index = QStringLiteral("ICALFER");
        declaration.fields = {
            keyField(QStringLiteral("CalFerId"), QStringLiteral("Código"), QStringLiteral("!!")),
            textField(QStringLiteral("CalFerDsc"), QStringLiteral("Descripción"), QStringLiteral("Falta descripción")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta código del calendario");
        declaration.deleteChecks = {
            {QStringLiteral("GRUPOSHO"), QStringLiteral("IGRUPOS2"), QStringLiteral("GHCalFerId"),
             QStringLiteral("GruposHorarios")},
            {QStringLiteral("CARGOSFU"), QStringLiteral("ICARGOS9"), QStringLiteral("CalFerId"),
             QStringLiteral("CargosFuncionario")},
            {QStringLiteral("CALFER1"), QStringLiteral("ICALFER1"), QStringLiteral("CalFerId"),
             QStringLiteral("CalFer1")},
        };
        declaration.audit.insert = QStringLiteral("Agrega calendario ");
        declaration.audit.modify = QStringLiteral("Modifica calendario ");
        declaration.syncGroup = syncGroup;
        declaration.helpTopic = QStringLiteral("HLP_TCalFer.htm");
        declaration.hooks.auditText = &calendarAuditText;
        // A delete is refused first of all while the calendars are copied.
        declaration.hooks.deleteVerdict = [](Transaction& form) {
            if (form.switches().copiedAutomatically())
                return FieldVerdict::refuse(copiedAutomaticallyText());
            return FieldVerdict::ok();
        };
        // A new calendar has no holidays yet: the range panel opens at once.
        declaration.hooks.afterWrite += [](Transaction& form, Mode written) {
            if (written == Mode::Insert)
                openRange(form.ui(), form.value(QStringLiteral("CalFerId")).toString(),
                          form.value(QStringLiteral("CalFerDsc")).toString(), QStringLiteral("I"));
        };
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCALFER()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCALFER");
        declaration.title = QStringLiteral("Calendarios de feriados");
        declaration.table = QStringLiteral("CALFER");
        declaration.index = QStringLiteral("ICALFER");
        declaration.columns = {
            {QStringLiteral("CalFerId"), QStringLiteral("Código"), {}, {}},
            {QStringLiteral("CalFerDsc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TCALFER");
        declaration.filterField = QStringLiteral("CalFerDsc");
        declaration.helpTopic = QStringLiteral("HLP_WCalFer.htm");
        CommandDecl holidays;
        holidays.action = QStringLiteral("Feriados");
        holidays.caption = QStringLiteral("&Feriados");
        holidays.toolTip = QStringLiteral("Dias feriados del calendario");
        holidays.needsRecord = true;
        declaration.commands = {holidays};
        // The holidays list is a list under its calendar.
        declaration.command = [](WorkPanel& panel, const CommandDecl&, int row) {
            QString key = pickerKey(panel.keyAt(row), QString());
            QString mode = QStringLiteral("UPD");
            panel.ui().callObject(QStringLiteral("WCALFER1"), key, mode);
        };
        declaration.removeRow = &removeCalendar;
        return declaration;
    }();
    return panel;
}

const TransactionDecl& TCALFER1()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TCALFER1");
        declaration.title = QStringLiteral("Feriado");
        declaration.table = QStringLiteral("CALFER1");
        declaration.index = QStringLiteral("ICALFER1");

        FieldDecl calendar = keyField(QStringLiteral("CalFerId"), QStringLiteral("Calendario"), QStringLiteral("!!"));
        calendar.fromCaller = true;
        FieldDecl date = keyField(QStringLiteral("CalFerFch"), QStringLiteral("Fecha"), QStringLiteral("dd/mm/yy"));
        date.derive = [](Transaction& form) {
            form.setValue(QStringLiteral("CalFerDia"), weekdayName(form.value(QStringLiteral("CalFerFch")).toDate()));
        };
        FieldDecl weekday = textField(QStringLiteral("CalFerDia"), QStringLiteral("Día"));
        weekday.unbound = true;
        weekday.enabledWhen = [](const Transaction&) { return false; };
        declaration.fields = {
            calendar,
            date,
            weekday,
            textField(QStringLiteral("CalFchDesc"), QStringLiteral("Descripción")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta fecha del feriado");
        declaration.labels = {
            {QStringLiteral("CalFerDsc"), 0, {},
             [](Transaction& form) {
                 return calendarDescription(form.database(), form.value(QStringLiteral("CalFerId")).toString());
             }},
        };
        declaration.syncGroup = syncGroup;
        declaration.helpTopic = QStringLiteral("HLP_TCalFer1.htm");
        // The holidays are refused by the calendars' own switch alone.
        declaration.hooks.deleteVerdict = [](Transaction& form) {
            if (form.switches().group.trimmed() == QLatin1String("S"))
                return FieldVerdict::refuse(copiedAutomaticallyText());
            return FieldVerdict::ok();
        };
        // The weekday of a holiday read from the table.
        declaration.fields[2].rule = [](Transaction& form) {
            form.setValue(QStringLiteral("CalFerDia"), weekdayName(form.value(QStringLiteral("CalFerFch")).toDate()));
            return FieldVerdict::ok();
        };
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WCALFER1()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WCALFER1");
        declaration.title = QStringLiteral("Feriados");
        declaration.table = QStringLiteral("CALFER1");
        declaration.index = QStringLiteral("ICALFER1");
        ColumnDecl weekday{QStringLiteral("CalFerDia"), QStringLiteral("Día"), {}, {}};
        weekday.computed = [](const RecordCursor& row) {
            return weekdayName(row.date(QStringLiteral("CalFerFch")).date());
        };
        declaration.columns = {
            weekday,
            {QStringLiteral("CalFerFch"), QStringLiteral("Fecha"), QStringLiteral("dd/mm/yy"), {}},
            {QStringLiteral("CalFchDesc"), QStringLiteral("Descripción"), {}, {}},
        };
        declaration.transaction = QStringLiteral("TCALFER1");
        declaration.parentField = QStringLiteral("CalFerId");
        // The calendar's description stands above its holidays.
        declaration.titleOf = [](const WorkPanel& panel) {
            const QString description = calendarDescription(panel.database(), panel.parent());
            return description.isEmpty() ? panel.declaration().title
                                         : panel.declaration().title + QStringLiteral(" - ") + description;
        };
        declaration.rowKey = [](const RecordCursor& row) {
            return row.text(QStringLiteral("CalFerId")).trimmed() + u'\t'
                + row.date(QStringLiteral("CalFerFch")).date().toString(Qt::ISODate);
        };
        declaration.syncGroup = syncGroup;
        declaration.disabledWhileGroupCopied = true;
        declaration.helpTopic = QStringLiteral("HLP_WCalFer1.htm");
        // The year filter shows that year and every later one.
        declaration.filters = {{QStringLiteral("Año"), QStringLiteral("Año"), FilterKind::StartNumber, {}}};
        declaration.rowFilter = [](const WorkPanel& panel, const RecordCursor& row) {
            const int year = panel.filterValue(QStringLiteral("Año")).trimmed().toInt();
            return year == 0 || row.date(QStringLiteral("CalFerFch")).date().year() >= year;
        };
        CommandDecl addRange;
        addRange.action = QStringLiteral("AddRango");
        addRange.caption = QStringLiteral("Agregar ran&go");
        addRange.toolTip = QStringLiteral("Agrega feriados por rango");
        addRange.changesData = true;
        CommandDecl deleteRange;
        deleteRange.action = QStringLiteral("DltRango");
        deleteRange.caption = QStringLiteral("E&liminar rango");
        deleteRange.toolTip = QStringLiteral("Elimina feriados por rango");
        deleteRange.changesData = true;
        declaration.commands = {addRange, deleteRange};
        declaration.command = [](WorkPanel& panel, const CommandDecl& command, int) {
            const QString calendar = panel.parent();
            const bool adding = command.action == QLatin1String("AddRango");
            openRange(panel.ui(), calendar, calendarDescription(panel.database(), calendar),
                      adding ? QStringLiteral("I") : QStringLiteral("D"));
        };
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration calendarForm(&TCALFER);
const ObjectRegistration calendarList(&WCALFER);
const ObjectRegistration holidayForm(&TCALFER1);
const ObjectRegistration holidayList(&WCALFER1);
}  // namespace
