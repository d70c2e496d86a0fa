// Holiday calendars: the calendar form and list (TCALFER, WCALFER) and the
// holiday form and list (TCALFER1, WCALFER1), driven by field name.
#include "tables/calendars.h"
#include "tables/holidays.h"

#include "organisation_tables_fixture.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace {

class CalendarsTest : public OrganisationTableTest {
protected:
    void addCalendar(const QString& code, const QString& description)
    {
        addRow(u"CALFER"_s, {{u"CalFerId"_s, code}, {u"CalFerDsc"_s, description}});
    }

    void addHoliday(const QString& code, const QDate& date, const QString& description = {})
    {
        addRow(u"CALFER1"_s, {{u"CalFerId"_s, code}, {u"CalFerFch"_s, date}, {u"CalFchDesc"_s, description}});
    }

    /// The holidays of `code` as "dd/MM/yyyy description", in date order.
    QStringList holidaysOf(const QString& code)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT CalFerFch, CalFchDesc FROM CALFER1 WHERE CalFerId = ? "
                                         "ORDER BY CalFerFch")));
        query.addBindValue(code);
        query.exec();
        while (query.next()) {
            found << (query.value(0).toDateTime().date().toString(u"dd/MM/yyyy"_s) + u' '
                      + query.value(1).toString().trimmed())
                         .trimmed();
        }
        return found;
    }

    void copyAutomatically(const QString& group, const QString& global)
    {
        setParameterText(u"SincroAuto"_s, u"DiL"_s, group);
        setParameterText(u"SincroAuto"_s, u"Hay"_s, global);
    }

    /// Records the calls of the range panel as "key|mode".
    QStringList rangeCalls;
    void watchRange()
    {
        ui.onCall(u"WPARFERI"_s, [this](QString& key, QString& mode) { rangeCalls << key + u'|' + mode; });
    }
};

TEST_F(CalendarsTest, ACalendarIsCheckedAuditedOnlyWhenChangedAndANewOneOpensTheRangePanel)
{
    watchRange();
    auto form = open(TCALFER(), QString(), u"INS"_s);
    EXPECT_FALSE(form->confirm());
    form->setText(u"CalFerId"_s, u"NA"_s);
    EXPECT_FALSE(form->confirm());
    form->setText(u"CalFerDsc"_s, u"Feriados nacionales"_s);
    EXPECT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), (QStringList{u"Falta código del calendario"_s, u"Falta descripción"_s}));
    EXPECT_EQ(fieldOf(u"CALFER"_s, u"CalFerDsc"_s, u"CalFerId = 'NA'"_s).toString(), u"Feriados nacionales"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega calendario NA, descripción = Feriados nacionales"_s});
    EXPECT_EQ(rangeCalls, QStringList{u"NA\tFeriados nacionales|I"_s});

    // A modify is audited only when the description changed, and opens nothing.
    rangeCalls.clear();
    auto same = open(TCALFER(), u"NA"_s, u"UPD"_s);
    EXPECT_EQ(same->text(u"CalFerDsc"_s), u"Feriados nacionales"_s);
    EXPECT_TRUE(same->confirm());
    auto changed = open(TCALFER(), u"NA"_s, u"UPD"_s);
    changed->setText(u"CalFerDsc"_s, u"Nacionales"_s);
    EXPECT_TRUE(changed->confirm());
    EXPECT_EQ(auditTexts().mid(1), QStringList{u"Modifica calendario NA, descripción = Nacionales"_s});
    EXPECT_TRUE(rangeCalls.isEmpty());
}

TEST_F(CalendarsTest, DeleteRefusesInItsOrderAndAsksLast)
{
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    addHoliday(u"NA"_s, QDate(2025, 1, 1), u"Año Nuevo"_s);
    addRow(u"CARGOSFU"_s, {{u"FunId"_s, 7}, {u"FunAL"_s, 1}, {u"CalFerId"_s, u"NA"_s}});
    addRow(u"GRUPOSHO"_s, {{u"GHId"_s, u"G1"_s}, {u"GHCalFerId"_s, u"NA"_s}});

    copyAutomatically(u"S"_s, u"S"_s);
    removeThrough(TCALFER(), u"NA"_s);
    openPanel(WCALFER())->remove({0});  // the list refuses too, asking nothing
    copyAutomatically(u"N"_s, u"S"_s);
    removeThrough(TCALFER(), u"NA"_s);
    execute(u"DELETE FROM GRUPOSHO"_s);
    removeThrough(TCALFER(), u"NA"_s);
    execute(u"DELETE FROM CARGOSFU"_s);
    removeThrough(TCALFER(), u"NA"_s);
    execute(u"DELETE FROM CALFER1"_s);
    removeThrough(TCALFER(), u"NA"_s);

    EXPECT_EQ(ui.texts(), (QStringList{u"Esta tabla se copia automáticamente"_s,
                                       u"No se puede eliminar calendarios, esta tabla se copia automaticamente."_s,
                                       u"Eliminación inválida, hay información en \"GruposHorarios\"."_s,
                                       u"Eliminación inválida, hay información en \"CargosFuncionario\"."_s,
                                       u"Eliminación inválida, hay información en \"CalFer1\"."_s,
                                       u"¿Realmente desea eliminar estos datos? "_s}));
    EXPECT_EQ(countRows(u"CALFER"_s), 0);
}

TEST_F(CalendarsTest, ListDeleteAsksRefusesAnAssignedCalendarAndTakesItsHolidays)
{
    addCalendar(u"CO"_s, u"Construcción"_s);
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    addHoliday(u"CO"_s, QDate(2025, 1, 1), u"Año Nuevo"_s);
    addHoliday(u"NA"_s, QDate(2025, 1, 1), u"Año Nuevo"_s);
    addHoliday(u"NA"_s, QDate(2025, 5, 1));
    addRow(u"CARGOSFU"_s, {{u"FunId"_s, 7}, {u"FunAL"_s, 1}, {u"CalFerId"_s, u"CO"_s}});
    // A schedule group is not looked at on this path.
    addRow(u"GRUPOSHO"_s, {{u"GHId"_s, u"G1"_s}, {u"GHCalFerId"_s, u"NA"_s}});
    auto panel = openPanel(WCALFER());
    ASSERT_EQ(column(*panel, 0), (QStringList{u"CO"_s, u"NA"_s}));
    // Feriados opens the holidays of the chosen calendar.
    QString holidaysKey;
    ui.onCall(u"WCALFER1"_s, [&](QString& key, QString&) { holidaysKey = key; });
    EXPECT_TRUE(panel->press(u"Feriados"_s, 1));
    EXPECT_EQ(holidaysKey, u"NA\t"_s);

    ui.answer(true);
    panel->remove({0});
    ui.answer(false);
    panel->remove({1});
    ui.answer(true);
    panel->remove({1});

    ASSERT_EQ(ui.shown().size(), 4);
    EXPECT_EQ(ui.shown().at(0).defaultButton, DefaultButton::No);
    EXPECT_EQ(ui.texts(),
              (QStringList{u"Desea eliminar el calendario CO Construcción?"_s,
                           u"No se puede eliminar el calendario CO Construcción, esta asignado a un funcionario"_s,
                           u"Desea eliminar el calendario NA Feriados nacionales?"_s,
                           u"Desea eliminar el calendario NA Feriados nacionales?"_s}));
    EXPECT_EQ(column(*panel, 0), QStringList{u"CO"_s});
    EXPECT_TRUE(holidaysOf(u"NA"_s).isEmpty());
    EXPECT_EQ(holidaysOf(u"CO"_s), QStringList{u"01/01/2025 Año Nuevo"_s});
}

TEST_F(CalendarsTest, CalendarAndHolidaysGoTogetherOrNotAtAll)
{
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    for (int month = 1; month <= 12; ++month)
        addHoliday(u"NA"_s, QDate(2025, month, 1));
    // The calendar row cannot be deleted: the holidays deleted before it
    // must come back.
    QSqlQuery trigger(database->connection());
    if (backend() == Backend::Postgres) {
        ASSERT_TRUE(trigger.exec(QStringLiteral("CREATE FUNCTION keep_calendar() RETURNS trigger AS $$ BEGIN RAISE "
                                                "EXCEPTION 'calendario protegido'; END $$ LANGUAGE plpgsql")));
        ASSERT_TRUE(trigger.exec(QStringLiteral("CREATE TRIGGER keep_calendar BEFORE DELETE ON \"CALFER\" FOR EACH "
                                                "ROW EXECUTE FUNCTION keep_calendar()")));
    } else {
        ASSERT_TRUE(trigger.exec(QStringLiteral("CREATE TRIGGER keep_calendar BEFORE DELETE ON CALFER BEGIN "
                                                "SELECT RAISE(ABORT, 'calendario protegido'); END")));
    }
    EXPECT_TRUE(PDLTCALE(*database, ui, u"NA"_s));
    EXPECT_EQ(holidaysOf(u"NA"_s).size(), 12);
    EXPECT_EQ(countRows(u"CALFER"_s), 1);
}

TEST_F(CalendarsTest, HolidayFormTakesTheCalendarFromItsCallerAndShowsTheWeekday)
{
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    addHoliday(u"NA"_s, QDate(2025, 1, 1), u"Año Nuevo"_s);
    auto form = open(TCALFER1(), u"NA"_s, u"INS"_s);
    const int calendar = form->position(u"CalFerId"_s);
    EXPECT_EQ(form->text(calendar), u"NA"_s);
    EXPECT_FALSE(form->isEnabled(calendar));
    EXPECT_EQ(form->labelText(0), u"Feriados nacionales"_s);

    EXPECT_FALSE(form->confirm());
    QString error;
    EXPECT_FALSE(form->setText(u"CalFerFch"_s, u"31/02/25"_s, &error));
    EXPECT_EQ(error, u"Fecha inválida"_s);
    form->setText(u"CalFerFch"_s, u"01/01/25"_s);
    EXPECT_FALSE(form->confirm());
    form->setText(u"CalFerFch"_s, u"01/05/25"_s);
    form->focusEntered(form->position(u"CalFchDesc"_s));
    EXPECT_EQ(form->text(u"CalFerDia"_s), u"Jueves"_s);
    form->setText(u"CalFchDesc"_s, u"Día de los Trabajadores"_s);
    EXPECT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), (QStringList{u"Falta fecha del feriado"_s, u"Ya existe el registro"_s}));
    EXPECT_EQ(holidaysOf(u"NA"_s), (QStringList{u"01/01/2025 Año Nuevo"_s, u"01/05/2025 Día de los Trabajadores"_s}));
    // Holidays are not audited.
    EXPECT_TRUE(auditTexts().isEmpty());
    // The form stays on the calendar for the next holiday.
    EXPECT_EQ(form->text(calendar), u"NA"_s);
}

TEST_F(CalendarsTest, TheCalendarsSwitchAloneStopsHolidayDeletesAndTheHolidayListsButtons)
{
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    addHoliday(u"NA"_s, QDate(2025, 1, 1));
    copyAutomatically(u"S"_s, u"N"_s);
    removeThrough(TCALFER1(), u"NA\t2025-01-01"_s);
    auto copied = openPanel(WCALFER1(), pickerKey(u"NA"_s, QString()));
    EXPECT_FALSE(copied->addEnabled());
    EXPECT_FALSE(copied->deleteEnabled());
    EXPECT_FALSE(copied->modifyEnabled());
    EXPECT_FALSE(copied->commandEnabled(u"AddRango"_s));
    EXPECT_FALSE(copied->commandEnabled(u"DltRango"_s));
    copied->add();
    copied->modify({0});
    copied->remove({0});
    EXPECT_TRUE(ui.calledObjects().isEmpty()) << "a disabled button does nothing";

    copyAutomatically(u"N"_s, u"N"_s);
    auto open = openPanel(WCALFER1(), pickerKey(u"NA"_s, QString()));
    EXPECT_TRUE(open->addEnabled());
    EXPECT_TRUE(open->commandEnabled(u"AddRango"_s));
    removeThrough(TCALFER1(), u"NA\t2025-01-01"_s);
    EXPECT_EQ(ui.texts(),
              (QStringList{u"Esta tabla se copia automáticamente"_s, u"¿Realmente desea eliminar estos datos? "_s}));
    EXPECT_TRUE(holidaysOf(u"NA"_s).isEmpty());
}

TEST_F(CalendarsTest, HolidayListShowsOneCalendarFromTheFilterYearWithWeekdays)
{
    addCalendar(u"CO"_s, u"Construcción"_s);
    addCalendar(u"NA"_s, u"Feriados nacionales"_s);
    addHoliday(u"CO"_s, QDate(2025, 3, 3), u"Carnaval"_s);
    addHoliday(u"NA"_s, QDate(2024, 12, 25), u"Navidad"_s);
    addHoliday(u"NA"_s, QDate(2025, 1, 1), u"Año Nuevo"_s);
    addHoliday(u"NA"_s, QDate(2026, 1, 6));
    auto panel = openPanel(WCALFER1(), pickerKey(u"NA"_s, QString()));
    EXPECT_EQ(panel->title(), u"Feriados - Feriados nacionales"_s);

    EXPECT_EQ(column(*panel, 0), (QStringList{u"Miércoles"_s, u"Miércoles"_s, u"Martes"_s}));
    EXPECT_EQ(column(*panel, 1), (QStringList{u"25/12/24"_s, u"01/01/25"_s, u"06/01/26"_s}));
    panel->setFilterValue(u"Año"_s, u"2025"_s);
    EXPECT_EQ(column(*panel, 2), (QStringList{u"Año Nuevo"_s, QString()}));

    // Agregar calls the form on the calendar; Modificar with the whole key.
    QStringList calls;
    ui.onCall(u"TCALFER1"_s, [&](QString& key, QString& mode) { calls << key + u'|' + mode; });
    ui.onCall(u"WPARFERI"_s, [&](QString& key, QString& mode) { calls << key + u'|' + mode; });
    panel->add();
    panel->modify({0});
    EXPECT_TRUE(panel->press(u"DltRango"_s, 0));
    EXPECT_EQ(calls, (QStringList{u"NA|INS"_s, u"NA\t2025-01-01|UPD"_s, u"NA\tFeriados nacionales|D"_s}));
}

}  // namespace
