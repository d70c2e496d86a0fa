#pragma once

#include "data/db_error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class Database;
class UiPort;

// The holidays of the calendars (CALFER1) and the procedures that generate
// and delete them, with Uruguay's holidays: the fixed list proposed to the
// range panel and the holidays whose date moves from year to year.

/// The most entries of the fixed-date list.
inline constexpr int fixedHolidaySlots = 30;

/// One holiday of a year: its date and its name.
struct Holiday {
    QDate date;
    QString description;
    bool operator==(const Holiday&) const = default;
};

/// One entry of the fixed-date list: "dd/mm" and its name.
struct FixedHoliday {
    QString day;
    QString description;
};

/// Easter Sunday of `year` in the Gregorian calendar.
QDate easterSunday(int year);

/// The holidays of `year` whose date moves: Carnival, Tourism week and the
/// three holidays moved to a Monday, in date order.
QList<Holiday> movableHolidays(int year);

/// The Spanish name of the weekday of `date` ("Lunes" ... "Domingo").
QString weekdayName(const QDate& date);

/// What PADDFERI generates.
struct HolidayGeneration {
    QString calendar;
    int yearFrom = 0;
    int yearTo = 0;
    /// Marked weekdays, Monday first (as QDate::dayOfWeek - 1).
    std::array<bool, 7> weekdays = {};
    /// Up to 30 fixed days ("dd/mm") and their descriptions, compacted.
    QStringList fixedDays;
    QStringList fixedDescriptions;
    /// Also the movable holidays of each year.
    bool movable = false;
};

/// Generates the holidays of a range of years, each in its own database
/// transaction; a holiday that exists is skipped and keeps its description.
/// Returns how many were added.
int PADDFERI(Database& database, UiPort& ui, const HolidayGeneration& generation);

/// Deletes the holidays of `calendar` from `yearFrom` to `yearTo`; returns
/// the failure, if any (the holidays deleted before it stay deleted).
DbError PDLTFERI(Database& database, UiPort& ui, const QString& calendar, int yearFrom, int yearTo);

/// Deletes calendar `calendar` with all its holidays, in one database
/// transaction: a failure leaves both as they were.
DbError PDLTCALE(Database& database, UiPort& ui, const QString& calendar);

/// Deletes every PARAMETR row of `group` and `name`.
DbError PPARE1(Database& database, const QString& group, const QString& name);

/// The fixed-date list stored under "Feriados": up to 30 entries, as stored.
QList<FixedHoliday> storedFixedHolidays(Database& database);

/// Replaces the stored fixed-date list with the entries of `lines` whose day
/// is not blank, numbered from 1 without gaps.
DbError storeFixedHolidays(Database& database, UiPort& ui, const QList<FixedHoliday>& lines);
