// Holiday calendars: the calendar form and list (TCALFER, WCALFER) and the
// holiday form and list (TCALFER1, WCALFER1), driven by field name.
#include "tables/calendars.h"
#include "tables/holidays.h"

#include "organisation_tables_fixture.h"

#include <QDate>

namespace {

class CalendarsTest : public OrganisationTableTest {
protected:
    void addCalendar(const QString& code, const QString& description)
    {
        addRow(QStringLiteral("CALFER"), {{QStringLiteral("CalFerId"), code}, {QStringLiteral("CalFerDsc"), description}});
    }

    void addHoliday(const QString& code, const QDate& date, const QString& description = {})
    {
        addRow(QStringLiteral("CALFER1"), {{QStringLiteral("CalFerId"), code},
                                           {QStringLiteral("CalFerFch"), date},
                                           {QStringLiteral("CalFchDesc"), description}});
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
            found << (query.value(0).toDateTime().date().toString(QStringLiteral("dd/MM/yyyy")) + u' '
                      + query.value(1).toString().trimmed())
                         .trimmed();
        }
        return found;
    }

    void copyAutomatically(const QString& group, const QString& global)
    {
        setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("DiL"), group);
        setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), global);
    }

    /// Records the calls of the range panel as "key|mode".
    QStringList rangeCalls;
    void watchRange()
    {
        ui.onCall(QStringLiteral("WPARFERI"),
                  [this](QString& key, QString& mode) { rangeCalls << key + u'|' + mode; });
    }
};

TEST_F(CalendarsTest, NewCalendarIsCheckedAuditedAndOpensTheRangePanel)
{
    watchRange();
    auto form = open(TCALFER(), QString(), QStringLiteral("INS"));
    EXPECT_FALSE(form->confirm());
    form->setText(QStringLiteral("CalFerId"), QStringLiteral("NA"));
    EXPECT_FALSE(form->confirm());
    form->setText(QStringLiteral("CalFerDsc"), QStringLiteral("Feriados nacionales"));
    EXPECT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Falta código del calendario"),
                                       QStringLiteral("Falta descripción")}));
    EXPECT_EQ(fieldOf(QStringLiteral("CALFER"), QStringLiteral("CalFerDsc"), QStringLiteral("CalFerId = 'NA'")).toString(),
              QStringLiteral("Feriados nacionales"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega calendario NA, descripción = Feriados nacionales")});
    EXPECT_EQ(rangeCalls, QStringList{QStringLiteral("NA\tFeriados nacionales|I")});
}

TEST_F(CalendarsTest, ChangeIsAuditedOnlyWhenTheDescriptionChanged)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    watchRange();
    auto same = open(TCALFER(), QStringLiteral("NA"), QStringLiteral("UPD"));
    EXPECT_EQ(same->text(QStringLiteral("CalFerDsc")), QStringLiteral("Feriados nacionales"));
    EXPECT_TRUE(same->confirm());
    EXPECT_TRUE(auditTexts().isEmpty());

    auto changed = open(TCALFER(), QStringLiteral("NA"), QStringLiteral("UPD"));
    changed->setText(QStringLiteral("CalFerDsc"), QStringLiteral("Nacionales"));
    EXPECT_TRUE(changed->confirm());
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica calendario NA, descripción = Nacionales")});
    EXPECT_TRUE(rangeCalls.isEmpty());
}

TEST_F(CalendarsTest, FormDeleteRefusesInItsOrderAndAsksLast)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 1, 1), QStringLiteral("Año Nuevo"));
    addRow(QStringLiteral("CARGOSFU"), {{QStringLiteral("FunId"), 7}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("CalFerId"), QStringLiteral("NA")}});
    addRow(QStringLiteral("GRUPOSHO"), {{QStringLiteral("GHId"), QStringLiteral("G1")},
                                        {QStringLiteral("GHCalFerId"), QStringLiteral("NA")}});

    copyAutomatically(QStringLiteral("S"), QStringLiteral("S"));
    removeThrough(TCALFER(), QStringLiteral("NA"));
    copyAutomatically(QStringLiteral("N"), QStringLiteral("S"));
    removeThrough(TCALFER(), QStringLiteral("NA"));
    execute(QStringLiteral("DELETE FROM GRUPOSHO"));
    removeThrough(TCALFER(), QStringLiteral("NA"));
    execute(QStringLiteral("DELETE FROM CARGOSFU"));
    removeThrough(TCALFER(), QStringLiteral("NA"));
    execute(QStringLiteral("DELETE FROM CALFER1"));
    removeThrough(TCALFER(), QStringLiteral("NA"));

    EXPECT_EQ(ui.texts(),
              (QStringList{QStringLiteral("Esta tabla se copia automáticamente"),
                           QStringLiteral("Eliminación inválida, hay información en \"GruposHorarios\"."),
                           QStringLiteral("Eliminación inválida, hay información en \"CargosFuncionario\"."),
                           QStringLiteral("Eliminación inválida, hay información en \"CalFer1\"."),
                           QStringLiteral("¿Realmente desea eliminar estos datos? ")}));
    EXPECT_EQ(countRows(QStringLiteral("CALFER")), 0);
}

TEST_F(CalendarsTest, ListDeleteAsksRefusesAnAssignedCalendarAndTakesItsHolidays)
{
    addCalendar(QStringLiteral("CO"), QStringLiteral("Construcción"));
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    addHoliday(QStringLiteral("CO"), QDate(2025, 1, 1), QStringLiteral("Año Nuevo"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 1, 1), QStringLiteral("Año Nuevo"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 5, 1));
    addRow(QStringLiteral("CARGOSFU"), {{QStringLiteral("FunId"), 7}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("CalFerId"), QStringLiteral("CO")}});
    // A schedule group is not looked at on this path.
    addRow(QStringLiteral("GRUPOSHO"), {{QStringLiteral("GHId"), QStringLiteral("G1")},
                                        {QStringLiteral("GHCalFerId"), QStringLiteral("NA")}});
    auto panel = openPanel(WCALFER());
    ASSERT_EQ(column(*panel, 0), (QStringList{QStringLiteral("CO"), QStringLiteral("NA")}));

    ui.answer(true);
    panel->remove({0});
    ui.answer(false);
    panel->remove({1});
    ui.answer(true);
    panel->remove({1});

    ASSERT_EQ(ui.shown().size(), 4);
    EXPECT_EQ(ui.shown().at(0).defaultButton, DefaultButton::No);
    EXPECT_EQ(ui.texts(),
              (QStringList{QStringLiteral("Desea eliminar el calendario CO Construcción?"),
                           QStringLiteral("No se puede eliminar el calendario CO Construcción, esta asignado a un funcionario"),
                           QStringLiteral("Desea eliminar el calendario NA Feriados nacionales?"),
                           QStringLiteral("Desea eliminar el calendario NA Feriados nacionales?")}));
    EXPECT_EQ(column(*panel, 0), QStringList{QStringLiteral("CO")});
    EXPECT_TRUE(holidaysOf(QStringLiteral("NA")).isEmpty());
    EXPECT_EQ(holidaysOf(QStringLiteral("CO")), QStringList{QStringLiteral("01/01/2025 Año Nuevo")});
}

TEST_F(CalendarsTest, ListDeleteIsRefusedWhileTheCalendarsAreCopied)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    copyAutomatically(QStringLiteral("S"), QStringLiteral("S"));
    auto panel = openPanel(WCALFER());
    panel->remove({0});
    EXPECT_EQ(ui.texts(),
              QStringList{QStringLiteral("No se puede eliminar calendarios, esta tabla se copia automaticamente.")});
    EXPECT_EQ(countRows(QStringLiteral("CALFER")), 1);
}

TEST_F(CalendarsTest, CalendarAndHolidaysGoTogetherOrNotAtAll)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    for (int month = 1; month <= 12; ++month)
        addHoliday(QStringLiteral("NA"), QDate(2025, month, 1));
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
    EXPECT_TRUE(PDLTCALE(*database, ui, QStringLiteral("NA")));
    EXPECT_EQ(holidaysOf(QStringLiteral("NA")).size(), 12);
    EXPECT_EQ(countRows(QStringLiteral("CALFER")), 1);
}

TEST_F(CalendarsTest, HolidayFormTakesTheCalendarFromItsCallerAndShowsTheWeekday)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 1, 1), QStringLiteral("Año Nuevo"));
    auto form = open(TCALFER1(), QStringLiteral("NA"), QStringLiteral("INS"));
    const int calendar = form->position(QStringLiteral("CalFerId"));
    EXPECT_EQ(form->text(calendar), QStringLiteral("NA"));
    EXPECT_FALSE(form->isEnabled(calendar));
    EXPECT_EQ(form->labelText(0), QStringLiteral("Feriados nacionales"));

    EXPECT_FALSE(form->confirm());
    QString error;
    EXPECT_FALSE(form->setText(QStringLiteral("CalFerFch"), QStringLiteral("31/02/25"), &error));
    EXPECT_EQ(error, QStringLiteral("Fecha inválida"));
    form->setText(QStringLiteral("CalFerFch"), QStringLiteral("01/01/25"));
    EXPECT_FALSE(form->confirm());
    form->setText(QStringLiteral("CalFerFch"), QStringLiteral("01/05/25"));
    form->focusEntered(form->position(QStringLiteral("CalFchDesc")));
    EXPECT_EQ(form->text(QStringLiteral("CalFerDia")), QStringLiteral("Jueves"));
    form->setText(QStringLiteral("CalFchDesc"), QStringLiteral("Día de los Trabajadores"));
    EXPECT_TRUE(form->confirm());

    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Falta fecha del feriado"), QStringLiteral("Ya existe el registro")}));
    EXPECT_EQ(holidaysOf(QStringLiteral("NA")), (QStringList{QStringLiteral("01/01/2025 Año Nuevo"),
                                                              QStringLiteral("01/05/2025 Día de los Trabajadores")}));
    // Holidays are not audited.
    EXPECT_TRUE(auditTexts().isEmpty());
    // The form stays on the calendar for the next holiday.
    EXPECT_EQ(form->text(calendar), QStringLiteral("NA"));
}

TEST_F(CalendarsTest, HolidayDeleteIsRefusedByTheCalendarsSwitchAlone)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 1, 1));
    copyAutomatically(QStringLiteral("S"), QStringLiteral("N"));
    removeThrough(TCALFER1(), QStringLiteral("NA\t2025-01-01"));
    copyAutomatically(QStringLiteral("N"), QStringLiteral("N"));
    removeThrough(TCALFER1(), QStringLiteral("NA\t2025-01-01"));
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Esta tabla se copia automáticamente"),
                                       QStringLiteral("¿Realmente desea eliminar estos datos? ")}));
    EXPECT_TRUE(holidaysOf(QStringLiteral("NA")).isEmpty());
}

TEST_F(CalendarsTest, HolidayListShowsOneCalendarFromTheFilterYearWithWeekdays)
{
    addCalendar(QStringLiteral("CO"), QStringLiteral("Construcción"));
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    addHoliday(QStringLiteral("CO"), QDate(2025, 3, 3), QStringLiteral("Carnaval"));
    addHoliday(QStringLiteral("NA"), QDate(2024, 12, 25), QStringLiteral("Navidad"));
    addHoliday(QStringLiteral("NA"), QDate(2025, 1, 1), QStringLiteral("Año Nuevo"));
    addHoliday(QStringLiteral("NA"), QDate(2026, 1, 6));
    auto panel = openPanel(WCALFER1(), pickerKey(QStringLiteral("NA"), QString()));
    EXPECT_EQ(panel->title(), QStringLiteral("Feriados - Feriados nacionales"));

    EXPECT_EQ(column(*panel, 0), (QStringList{QStringLiteral("Miércoles"), QStringLiteral("Miércoles"),
                                               QStringLiteral("Martes")}));
    EXPECT_EQ(column(*panel, 1), (QStringList{QStringLiteral("25/12/24"), QStringLiteral("01/01/25"),
                                               QStringLiteral("06/01/26")}));
    panel->setFilterValue(QStringLiteral("Año"), QStringLiteral("2025"));
    EXPECT_EQ(column(*panel, 2), (QStringList{QStringLiteral("Año Nuevo"), QString()}));

    // Agregar calls the form on the calendar; Modificar with the whole key.
    QStringList calls;
    ui.onCall(QStringLiteral("TCALFER1"), [&](QString& key, QString& mode) { calls << key + u'|' + mode; });
    ui.onCall(QStringLiteral("WPARFERI"), [&](QString& key, QString& mode) { calls << key + u'|' + mode; });
    panel->add();
    panel->modify({0});
    EXPECT_TRUE(panel->press(QStringLiteral("DltRango"), 0));
    EXPECT_EQ(calls, (QStringList{QStringLiteral("NA|INS"), QStringLiteral("NA\t2025-01-01|UPD"),
                                  QStringLiteral("NA\tFeriados nacionales|D")}));
}

TEST_F(CalendarsTest, HolidayListButtonsAreDisabledWhileTheCalendarsAreCopied)
{
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("DiL"), QStringLiteral("S"));
    auto copied = openPanel(WCALFER1(), pickerKey(QStringLiteral("NA"), QString()));
    EXPECT_FALSE(copied->addEnabled());
    EXPECT_FALSE(copied->deleteEnabled());
    EXPECT_FALSE(copied->modifyEnabled());
    EXPECT_FALSE(copied->commandEnabled(QStringLiteral("AddRango")));
    EXPECT_FALSE(copied->commandEnabled(QStringLiteral("DltRango")));

    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("DiL"), QStringLiteral("N"));
    auto open = openPanel(WCALFER1(), pickerKey(QStringLiteral("NA"), QString()));
    EXPECT_TRUE(open->addEnabled());
    EXPECT_TRUE(open->commandEnabled(QStringLiteral("AddRango")));
}

TEST_F(CalendarsTest, FeriadosOpensTheHolidaysOfTheChosenCalendar)
{
    addCalendar(QStringLiteral("CO"), QStringLiteral("Construcción"));
    addCalendar(QStringLiteral("NA"), QStringLiteral("Feriados nacionales"));
    QStringList calls;
    ui.onCall(QStringLiteral("WCALFER1"), [&](QString& key, QString&) { calls << key; });
    auto panel = openPanel(WCALFER());
    EXPECT_TRUE(panel->press(QStringLiteral("Feriados"), 1));
    EXPECT_EQ(calls, QStringList{QStringLiteral("NA\t")});
}

}  // namespace
