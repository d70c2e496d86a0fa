// Uruguay's movable holidays, the generation and deletion of holidays by
// year range, and the range panel WPARFERI.
#include "tables/holiday_range.h"
#include "tables/holidays.h"

#include "organisation_tables_fixture.h"

#include "data/demo_company.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace {

QList<QDate> datesNamed(const QList<Holiday>& holidays, const QString& name)
{
    QList<QDate> dates;
    for (const Holiday& holiday : holidays) {
        if (holiday.description == name)
            dates << holiday.date;
    }
    return dates;
}

QList<QDate> week(const QDate& monday)
{
    QList<QDate> days;
    for (int day = 0; day < 5; ++day)
        days << monday.addDays(day);
    return days;
}

TEST(EasterTest, GregorianComputusGivesKnownSundays)
{
    EXPECT_EQ(easterSunday(1818), QDate(1818, 3, 22));  // the earliest possible
    EXPECT_EQ(easterSunday(2000), QDate(2000, 4, 23));
    EXPECT_EQ(easterSunday(2008), QDate(2008, 3, 23));
    EXPECT_EQ(easterSunday(2011), QDate(2011, 4, 24));
    EXPECT_EQ(easterSunday(2024), QDate(2024, 3, 31));
    EXPECT_EQ(easterSunday(2025), QDate(2025, 4, 20));
    EXPECT_EQ(easterSunday(2038), QDate(2038, 4, 25));  // the latest possible
    for (int year = 1900; year <= 2200; ++year)
        EXPECT_EQ(easterSunday(year).dayOfWeek(), Qt::Sunday) << year;
}

// Carnival and Tourism week as they were published for those years.
TEST(MovableHolidaysTest, CarnivalAndTourismWeekMatchThePublishedDates)
{
    const struct {
        int year;
        QDate carnivalMonday;
        QDate tourismMonday;
    } published[] = {
        {2018, QDate(2018, 2, 12), QDate(2018, 3, 26)}, {2019, QDate(2019, 3, 4), QDate(2019, 4, 15)},
        {2022, QDate(2022, 2, 28), QDate(2022, 4, 11)}, {2023, QDate(2023, 2, 20), QDate(2023, 4, 3)},
        {2024, QDate(2024, 2, 12), QDate(2024, 3, 25)}, {2025, QDate(2025, 3, 3), QDate(2025, 4, 14)},
        {2026, QDate(2026, 2, 16), QDate(2026, 3, 30)},  // Tourism week: 30 March to 5 April
    };
    for (const auto& year : published) {
        const QList<Holiday> holidays = movableHolidays(year.year);
        EXPECT_EQ(datesNamed(holidays, u"Carnaval"_s),
                  (QList<QDate>{year.carnivalMonday, year.carnivalMonday.addDays(1)}))
            << year.year;
        EXPECT_EQ(datesNamed(holidays, u"Semana de Turismo"_s), week(year.tourismMonday)) << year.year;
        for (const Holiday& holiday : holidays)
            EXPECT_LE(holiday.description.size(), 30) << "fits the description field";
    }
    // 2022's Carnival Tuesday is 1 March: the leap day does not shift it.
    EXPECT_EQ(datesNamed(movableHolidays(2022), u"Carnaval"_s).last(), QDate(2022, 3, 1));
}

TEST(MovableHolidaysTest, HolidaysMoveToTheMondayTheLawSays)
{
    const auto movedDate = [](int year, const QString& name) {
        const QList<QDate> dates = datesNamed(movableHolidays(year), name);
        return dates.size() == 1 ? dates.first() : QDate();
    };
    const QString landing = u"Desembarco de los 33"_s;
    const QString battle = u"Batalla de Las Piedras"_s;
    const QString culture = u"Día de la Diversidad Cultural"_s;
    // Published: 2023 moved 19 April (Wednesday) to the 17th, 18 May
    // (Thursday) to the 22nd and 12 October (Thursday) to the 16th; 2022
    // moved 12 October (Wednesday) to the 10th; 2025 kept all three (a
    // Saturday and two Sundays).
    EXPECT_EQ(movedDate(2023, landing), QDate(2023, 4, 17));
    EXPECT_EQ(movedDate(2023, battle), QDate(2023, 5, 22));
    EXPECT_EQ(movedDate(2023, culture), QDate(2023, 10, 16));
    EXPECT_EQ(movedDate(2022, culture), QDate(2022, 10, 10));
    EXPECT_EQ(movedDate(2025, landing), QDate(2025, 4, 19));
    EXPECT_EQ(movedDate(2025, battle), QDate(2025, 5, 18));
    EXPECT_EQ(movedDate(2025, culture), QDate(2025, 10, 12));

    // Each holiday on each weekday: Monday, Saturday and Sunday stay,
    // Tuesday and Wednesday go back to Monday, Thursday and Friday forward.
    const int shift[] = {0, -1, -2, 4, 3, 0, 0};
    const struct {
        QString name;
        int month;
        int day;
    } holidays[] = {{landing, 4, 19}, {battle, 5, 18}, {culture, 10, 12}};
    for (const auto& holiday : holidays) {
        QList<int> weekdaysSeen;
        for (int year = 2020; year <= 2034; ++year) {
            const QDate date(year, holiday.month, holiday.day);
            const QDate moved = movedDate(year, holiday.name);
            EXPECT_EQ(moved, date.addDays(shift[date.dayOfWeek() - 1])) << holiday.name.toStdString() << year;
            if (!weekdaysSeen.contains(date.dayOfWeek()))
                weekdaysSeen << date.dayOfWeek();
        }
        EXPECT_EQ(weekdaysSeen.size(), 7) << holiday.name.toStdString();
    }
}

class HolidayGenerationTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        addRow(u"CALFER"_s, {{u"CalFerId"_s, u"NA"_s}, {u"CalFerDsc"_s, u"Feriados nacionales"_s}});
    }

    QStringList holidaysOf(const QString& code, int year)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT CalFerFch, CalFchDesc FROM CALFER1 WHERE CalFerId = ? "
                                         "ORDER BY CalFerFch")));
        query.addBindValue(code);
        query.exec();
        while (query.next()) {
            const QDate date = query.value(0).toDateTime().date();
            if (year == 0 || date.year() == year)
                found << (date.toString(u"dd/MM/yyyy"_s) + u' ' + query.value(1).toString().trimmed()).trimmed();
        }
        return found;
    }

    QStringList storedList()
    {
        QStringList entries;
        for (const FixedHoliday& entry : storedFixedHolidays(*database)) {
            if (!entry.day.isEmpty() || !entry.description.isEmpty())
                entries << entry.day + u' ' + entry.description;
        }
        return entries;
    }
};

TEST_F(HolidayGenerationTest, NewCompanyHasTheFixedListOfUruguay)
{
    EXPECT_EQ(storedList(), (QStringList{
                                u"01/01 Año Nuevo"_s,
                                u"06/01 Día de Reyes"_s,
                                u"01/05 Día de los Trabajadores"_s,
                                u"19/06 Natalicio de Artigas"_s,
                                u"18/07 Jura de la Constitución"_s,
                                u"25/08 Declaratoria de Independencia"_s,
                                u"02/11 Día de los Difuntos"_s,
                                u"25/12 Navidad"_s,
                            }));
}

TEST_F(HolidayGenerationTest, FixedDatesComeFirstAndRepeatsAreSkipped)
{
    HolidayGeneration generation;
    generation.calendar = u"NA"_s;
    generation.yearFrom = 2025;
    generation.yearTo = 2025;
    generation.weekdays.at(Qt::Wednesday - 1) = true;
    generation.weekdays.at(Qt::Saturday - 1) = true;
    generation.fixedDays = {u"01/01"_s, u"29/02"_s, u"01/01"_s};
    generation.fixedDescriptions = {u"Año Nuevo"_s, u"Bisiesto"_s, u"Otra"_s};
    // 53 Wednesdays (1 January among them) and 52 Saturdays.
    EXPECT_EQ(PADDFERI(*database, ui, generation), 105);

    const QStringList year = holidaysOf(u"NA"_s, 2025);
    ASSERT_EQ(year.size(), 105);
    EXPECT_EQ(year.at(0), u"01/01/2025 Año Nuevo"_s);  // a Wednesday, named
    EXPECT_EQ(year.at(1), u"04/01/2025"_s);            // a Saturday, unnamed
    EXPECT_EQ(ui.status(1), QString());

    // A second run over the same years adds only what is missing and keeps
    // the descriptions; a leap year takes 29 February.
    execute(u"UPDATE CALFER1 SET CalFchDesc = 'Cambiado' WHERE CalFchDesc = 'Año Nuevo'"_s);
    generation.yearFrom = 2024;
    EXPECT_EQ(PADDFERI(*database, ui, generation), 106);
    EXPECT_EQ(holidaysOf(u"NA"_s, 2025).first(), u"01/01/2025 Cambiado"_s);
    EXPECT_TRUE(holidaysOf(u"NA"_s, 2024).contains(u"29/02/2024 Bisiesto"_s));
}

TEST_F(HolidayGenerationTest, MovableHolidaysKeepTheirNamesOnMarkedWeekdays)
{
    HolidayGeneration generation;
    generation.calendar = u"NA"_s;
    generation.yearFrom = 2025;
    generation.yearTo = 2025;
    generation.weekdays.at(Qt::Monday - 1) = true;
    generation.movable = true;
    PADDFERI(*database, ui, generation);
    const QStringList year = holidaysOf(u"NA"_s, 2025);
    EXPECT_TRUE(year.contains(u"03/03/2025 Carnaval"_s));
    EXPECT_TRUE(year.contains(u"04/03/2025 Carnaval"_s));
    EXPECT_TRUE(year.contains(u"14/04/2025 Semana de Turismo"_s));
    EXPECT_TRUE(year.contains(u"18/04/2025 Semana de Turismo"_s));
    EXPECT_TRUE(year.contains(u"12/10/2025 Día de la Diversidad Cultural"_s));
    EXPECT_TRUE(year.contains(u"06/01/2025"_s));
    EXPECT_EQ(year.size(), 52 + 1 + 4 + 3);  // Mondays, Carnival Tuesday, Tourism Tuesday to Friday, 3 moved
}

TEST_F(HolidayGenerationTest, RangePanelChecksEveryYearAndTheCopySwitchesBeforeWriting)
{
    WPARFERI range(*database, ui);
    range.start(u"NA\tFeriados nacionales"_s, u"I"_s);
    EXPECT_EQ(range.caption(), u"Agregar rango de feriados"_s);
    EXPECT_TRUE(range.weekday(Qt::Sunday));
    EXPECT_FALSE(range.weekday(Qt::Saturday));
    EXPECT_EQ(range.line(7).description, u"Navidad"_s);
    EXPECT_FALSE(range.confirm());
    range.setYearFrom(2024);
    range.setYearTo(2023);
    EXPECT_FALSE(range.confirm());

    EXPECT_EQ(ui.texts(), (QStringList{u"Debe indicar año desde"_s, u"Debe indicar año hasta"_s,
                                       u"El año hasta debe ser mayor o igual al año desde"_s}));
    EXPECT_EQ(ui.messages(MessageIcon::Information).size(), 3);

    // While the calendars are copied automatically nothing is written either.
    setParameterText(u"SincroAuto"_s, u"DiL"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    ui.clear();
    WPARFERI copied(*database, ui);  // the switches are read as the panel starts
    copied.start(u"NA\tFeriados nacionales"_s, u"I"_s);
    copied.setYearFrom(2025);
    copied.setYearTo(2025);
    copied.setLine(0, {});
    EXPECT_FALSE(copied.confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Esta tabla se copia automaticamente."_s});
    EXPECT_EQ(countRows(u"CALFER1"_s), 0);
    EXPECT_EQ(storedList().size(), 8);
}

TEST_F(HolidayGenerationTest, RangePanelStoresTheListCompactedAndGenerates)
{
    WPARFERI range(*database, ui);
    range.start(u"NA\tFeriados nacionales"_s, u"I"_s);
    for (int row = 0; row < WPARFERI::lineCount; ++row)
        range.setLine(row, {});
    range.setLine(2, {u"18/07"_s, u"Jura de la Constitución"_s});
    range.setLine(6, {u"25/12"_s, u"Navidad"_s});
    range.setYearFrom(2025);
    range.setYearTo(2026);
    EXPECT_TRUE(range.confirm());

    EXPECT_EQ(ui.texts(), QStringList{u"Se han agregado los feriados"_s});
    EXPECT_EQ(storedList(), (QStringList{u"18/07 Jura de la Constitución"_s, u"25/12 Navidad"_s}));
    const QStringList all = holidaysOf(u"NA"_s, 0);
    EXPECT_EQ(all.size(), 52 + 52 + 4);  // the Sundays of both years and two fixed days each
    EXPECT_TRUE(all.contains(u"25/12/2026 Navidad"_s));
}

TEST_F(HolidayGenerationTest, RangePanelDeletesOnlyTheYearsOfItsRange)
{
    HolidayGeneration generation;
    generation.calendar = u"NA"_s;
    generation.yearFrom = 2023;
    generation.yearTo = 2025;
    generation.fixedDays = {u"01/01"_s};
    generation.fixedDescriptions = {u"Año Nuevo"_s};
    generation.weekdays.at(Qt::Sunday - 1) = true;
    PADDFERI(*database, ui, generation);
    generation.calendar = u"CO"_s;
    PADDFERI(*database, ui, generation);
    const int before2024 = holidaysOf(u"NA"_s, 2023).size();
    const int after2024 = holidaysOf(u"NA"_s, 2025).size();

    WPARFERI range(*database, ui);
    range.start(u"NA\tFeriados nacionales"_s, u"D"_s);
    EXPECT_EQ(range.caption(), u"Eliminar rango de feriados"_s);
    range.setYearFrom(2024);
    range.setYearTo(2024);
    EXPECT_TRUE(range.confirm());

    EXPECT_EQ(ui.texts(), QStringList{u"La eliminación de feriados ha finalizado"_s});
    EXPECT_TRUE(holidaysOf(u"NA"_s, 2024).isEmpty());
    EXPECT_EQ(holidaysOf(u"NA"_s, 2023).size(), before2024);
    EXPECT_EQ(holidaysOf(u"NA"_s, 2025).size(), after2024);
    EXPECT_EQ(holidaysOf(u"CO"_s, 2024).size(), 1 + 52);
}

TEST_F(HolidayGenerationTest, DemoCalendarHoldsTheNationalHolidaysOfItsYears)
{
    execute(u"DELETE FROM CALFER"_s);
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    // The national calendar is what the generation makes of the stored
    // fixed list and the movable holidays.
    HolidayGeneration generation;
    generation.calendar = u"ZZ"_s;
    generation.yearFrom = 2025;
    generation.yearTo = 2026;
    generation.movable = true;
    for (const FixedHoliday& entry : storedFixedHolidays(*database)) {
        generation.fixedDays << entry.day;
        generation.fixedDescriptions << entry.description;
    }
    EXPECT_EQ(PADDFERI(*database, ui, generation), 2 * 18);
    for (int year : {2025, 2026})
        EXPECT_EQ(holidaysOf(u"NA"_s, year), holidaysOf(u"ZZ"_s, year)) << year;
}

}  // namespace
