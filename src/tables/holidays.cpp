// The holidays of the calendars and their procedures. A calendar (CALFER) is
// a named set of non-working days; its holidays (CALFER1) are keyed by the
// calendar and the date. The range panel proposes a list of fixed days kept
// under "Feriados" in PARAMETR ("FerNoLab" = "dd/mm", "FerDesc" = its name,
// numbered from 1 without gaps).
#include "tables/holidays.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "data/parameters.h"
#include "support/dates.h"
#include "support/ui_port.h"

namespace {

const QString calendarTable = QStringLiteral("CALFER");
const QString calendarIndex = QStringLiteral("ICALFER");
const QString holidayTable = QStringLiteral("CALFER1");
const QString holidayIndex = QStringLiteral("ICALFER1");
const QString listGroup = QStringLiteral("Feriados");
const QString listDays = QStringLiteral("FerNoLab");
const QString listDescriptions = QStringLiteral("FerDesc");
/// The years a holiday may fall in.
constexpr int firstYear = 1;
constexpr int lastYear = 9999;

QDateTime atMidnight(const QDate& date)
{
    return QDateTime(date, QTime(0, 0));
}

bool sameCalendar(const RecordCursor& row, const QString& calendar)
{
    return row.hasCurrent() && row.text(QStringLiteral("CalFerId")).trimmed() == calendar.trimmed();
}

/// A holiday that the law moves to a Monday: on a Tuesday or Wednesday to
/// the Monday before, on a Thursday or Friday to the Monday after, on any
/// other day it stays.
QDate movedToMonday(const QDate& date)
{
    const int day = date.dayOfWeek();
    if (day == Qt::Tuesday || day == Qt::Wednesday)
        return date.addDays(Qt::Monday - day);
    if (day == Qt::Thursday || day == Qt::Friday)
        return date.addDays(Qt::Monday + 7 - day);
    return date;
}

/// Writes one holiday in its own database transaction. An existing holiday
/// (3022) is skipped, and so is any other failure: the generation goes on.
bool insertHoliday(Database& database, TableCursor& holidays, const QString& calendar, const QDate& date,
                   const QString& description)
{
    database.beginTransaction();
    DbError error = holidays.addNew();
    if (!error)
        error = holidays.setValue(QStringLiteral("CalFerId"), calendar);
    if (!error)
        error = holidays.setValue(QStringLiteral("CalFerFch"), atMidnight(date));
    if (!error)
        error = holidays.setValue(QStringLiteral("CalFchDesc"), description.left(30));
    if (!error)
        error = holidays.update();
    if (!error)
        error = database.commit();
    if (!error)
        return true;
    holidays.cancelUpdate();
    database.rollback();
    return false;
}

/// Deletes the holidays of `calendar` from `first` to `last`, each locked
/// (waiting for another workstation's lock) before it goes.
DbError deleteHolidays(Database& database, UiPort& ui, const QString& calendar, const QDate& first,
                       const QDate& last)
{
    TableCursor holidays(database);
    DbError error = holidays.open(holidayTable);
    if (!error)
        error = holidays.setIndex(holidayIndex);
    const QVariantList from = {calendar, atMidnight(first)};
    if (!error)
        error = holidays.seek(Comparison::GreaterOrEqual, from);
    while (!error && sameCalendar(holidays, calendar) && holidays.date(QStringLiteral("CalFerFch")).date() <= last) {
        editWaitingForLock(holidays, ui, &error);
        if (!error)
            error = holidays.remove();
        holidays.cancelUpdate();
        if (!error)
            error = holidays.seek(Comparison::GreaterOrEqual, from);
    }
    database.idleFreeLocks();
    return error;
}

}  // namespace

QDate easterSunday(int year)
{
    // The Gregorian computus (the anonymous algorithm of 1876, as Meeus
    // gives it): the first Sunday after the ecclesiastical full moon on or
    // after 21 March.
    const int golden = year % 19;
    const int century = year / 100;
    const int yearOfCentury = year % 100;
    const int leapCenturies = century / 4;
    const int centuryRest = century % 4;
    const int moonCorrection = (century + 8) / 25;
    const int solarCorrection = (century - moonCorrection + 1) / 3;
    const int epact = (19 * golden + century - leapCenturies - solarCorrection + 15) % 30;
    const int leapYears = yearOfCentury / 4;
    const int yearRest = yearOfCentury % 4;
    const int toSunday = (32 + 2 * centuryRest + 2 * leapYears - epact - yearRest) % 7;
    const int correction = (golden + 11 * epact + 22 * toSunday) / 451;
    const int days = epact + toSunday - 7 * correction + 114;
    return QDate(year, days / 31, days % 31 + 1);
}

QList<Holiday> movableHolidays(int year)
{
    const QDate easter = easterSunday(year);
    const QString carnival = QStringLiteral("Carnaval");
    const QString tourism = QStringLiteral("Semana de Turismo");
    // Carnival Monday and Tuesday and Tourism week (the secular name that
    // Ley 6.997 gave to Holy Week) follow Easter and are observed on their
    // days (Ley 16.805 in the wording of Ley 17.414).
    QList<Holiday> holidays = {
        {easter.addDays(-48), carnival},
        {easter.addDays(-47), carnival},
    };
    for (int day = -6; day <= -2; ++day)
        holidays.append({easter.addDays(day), tourism});
    // The other holidays move to a Monday by the same law's article 2. The
    // descriptions fit the 30 characters of CalFchDesc.
    holidays.append({movedToMonday(QDate(year, 4, 19)), QStringLiteral("Desembarco de los 33")});
    holidays.append({movedToMonday(QDate(year, 5, 18)), QStringLiteral("Batalla de Las Piedras")});
    holidays.append({movedToMonday(QDate(year, 10, 12)), QStringLiteral("Día de la Diversidad Cultural")});
    std::stable_sort(holidays.begin(), holidays.end(),
                     [](const Holiday& left, const Holiday& right) { return left.date < right.date; });
    return holidays;
}

QString weekdayName(const QDate& date)
{
    return isEmptyDate(date) ? QString() : dayName(date.dayOfWeek());
}

int PADDFERI(Database& database, UiPort& ui, const HolidayGeneration& generation)
{
    // Years the calendar has no days for are never looked at.
    const int yearFrom = std::max(generation.yearFrom, firstYear);
    const int yearTo = std::min(generation.yearTo, lastYear);
    TableCursor holidays(database);
    if (holidays.open(holidayTable) || holidays.setIndex(holidayIndex))
        return 0;
    int added = 0;
    const QString calendar = generation.calendar.trimmed();
    for (int year = yearFrom; year <= yearTo; ++year) {
        const QString yearText = QString::number(year);
        ui.statusText(1, QStringLiteral("Cargando feriados del año ") + yearText);
        ui.processEvents();

        // Fixed and movable dates come before the weekdays, so that a
        // holiday on a marked weekday keeps its name. A day that the year
        // lacks (29/02 of a common year) is skipped.
        const int slotCount = std::min<int>(fixedHolidaySlots, int(generation.fixedDays.size()));
        for (int slot = 0; slot < slotCount; ++slot) {
            const QString day = generation.fixedDays.at(slot).trimmed();
            if (day.isEmpty())
                continue;
            const ParsedDate parsed = parseDate(day + u'/' + yearText, QStringLiteral("dd/mm/yy"));
            if (!parsed.valid || parsed.empty)
                continue;
            added += insertHoliday(database, holidays, calendar, parsed.date,
                                   generation.fixedDescriptions.value(slot).trimmed());
        }
        if (generation.movable) {
            for (const Holiday& holiday : movableHolidays(year))
                added += insertHoliday(database, holidays, calendar, holiday.date, holiday.description);
        }
        const QDate last(year, 12, 31);
        for (QDate date(year, 1, 1); date <= last; date = date.addDays(1)) {
            if (generation.weekdays.at(date.dayOfWeek() - 1))
                added += insertHoliday(database, holidays, calendar, date, QString());
        }
        database.idleFreeLocks();
    }
    ui.statusText(1, QString());
    return added;
}

DbError PDLTFERI(Database& database, UiPort& ui, const QString& calendar, int yearFrom, int yearTo)
{
    yearFrom = std::max(yearFrom, firstYear);
    yearTo = std::min(yearTo, lastYear);
    if (yearFrom > yearTo)
        return {};
    return deleteHolidays(database, ui, calendar.trimmed(), QDate(yearFrom, 1, 1), QDate(yearTo, 12, 31));
}

DbError PDLTCALE(Database& database, UiPort& ui, const QString& calendar)
{
    const QString code = calendar.trimmed();
    if (DbError error = database.beginTransaction())
        return error;
    DbError error = deleteHolidays(database, ui, code, QDate(firstYear, 1, 1), QDate(lastYear, 12, 31));
    TableCursor calendars(database);
    if (!error)
        error = calendars.open(calendarTable);
    if (!error)
        error = calendars.setIndex(calendarIndex);
    if (!error)
        error = calendars.seek(Comparison::GreaterOrEqual, {code});
    if (!error && sameCalendar(calendars, code)) {
        editWaitingForLock(calendars, ui, &error);
        if (!error)
            error = calendars.remove();
        calendars.cancelUpdate();
    }
    if (!error)
        error = database.commit();
    if (error)
        database.rollback();
    database.idleFreeLocks();
    return error;
}

DbError PPARE1(Database& database, const QString& group, const QString& name)
{
    return database.execute(
        QStringLiteral("DELETE * FROM PARAMETR WHERE TRIM(ParTabla) = ? AND TRIM(ParParamet) = ?"),
        {group.trimmed(), name.trimmed()});
}

QList<FixedHoliday> storedFixedHolidays(Database& database)
{
    QList<FixedHoliday> list;
    for (int entry = 1; entry <= fixedHolidaySlots; ++entry) {
        QString day;
        QString description;
        PPARLC(database, listGroup, listDays, entry, day);
        PPARLC(database, listGroup, listDescriptions, entry, description);
        list.append({day.left(5).trimmed(), description.left(30).trimmed()});
    }
    return list;
}

DbError storeFixedHolidays(Database& database, UiPort& ui, const QList<FixedHoliday>& lines)
{
    // The old list goes and the new one comes in one database transaction,
    // so that a failure never leaves the company without its list.
    if (DbError error = database.beginTransaction())
        return error;
    DbError error = PPARE1(database, listGroup, listDays);
    if (!error)
        error = PPARE1(database, listGroup, listDescriptions);
    int entry = 0;
    for (const FixedHoliday& line : lines) {
        if (error || entry == fixedHolidaySlots)
            break;
        if (line.day.trimmed().isEmpty())
            continue;
        ++entry;
        error = PPARGC(database, ui, listGroup, listDays, entry, line.day.trimmed().left(5));
        if (!error)
            error = PPARGC(database, ui, listGroup, listDescriptions, entry, line.description.trimmed().left(30));
    }
    if (!error)
        error = database.commit();
    if (error)
        database.rollback();
    return error;
}
