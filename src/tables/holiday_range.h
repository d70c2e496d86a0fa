#pragma once

#include "tables/holidays.h"

#include "engine/synchronisation.h"

#include <QList>
#include <QString>

#include <array>

class Database;
class UiPort;

// The range panel WPARFERI: adds the holidays of a range of years to a
// calendar (the fixed days of its list, every day on the marked weekdays
// and, when asked, the movable holidays), or deletes the holidays of a
// range of years. It is called with the calendar and its description
// joined by a tab, and the mode "I" (add) or "D" (delete). The window draws
// it and drives it as a person does:
//
//   WPARFERI range(database, ui);
//   range.start("NA\tFeriados nacionales", "I");
//   range.setYearFrom(2025);
//   range.setYearTo(2026);
//   range.setWeekday(Qt::Saturday, true);
//   range.confirm();
class WPARFERI {
public:
    /// Lines of the fixed-date grid.
    static constexpr int lineCount = fixedHolidaySlots;

    WPARFERI(Database& database, UiPort& ui);

    /// Reads the switches and, in mode "I", the stored fixed-date list;
    /// Domingos starts marked.
    void start(const QString& key, const QString& mode);

    bool adding() const { return adding_; }
    /// "Agregar rango de feriados" or "Eliminar rango de feriados".
    QString caption() const;
    QString calendar() const { return calendar_; }
    QString calendarDescription() const { return description_; }

    int yearFrom() const { return yearFrom_; }
    int yearTo() const { return yearTo_; }
    void setYearFrom(int year) { yearFrom_ = year; }
    void setYearTo(int year) { yearTo_ = year; }

    /// Whether `dayOfWeek` (1 Monday ... 7 Sunday) is marked.
    bool weekday(int dayOfWeek) const { return weekdays_.at(dayOfWeek - 1); }
    void setWeekday(int dayOfWeek, bool marked) { weekdays_.at(dayOfWeek - 1) = marked; }
    /// The caption of the check box of `dayOfWeek` ("Lunes" ... "Domingos").
    static QString weekdayCaption(int dayOfWeek);

    /// "Feriados móviles": also Carnival, Tourism week and the holidays
    /// moved to a Monday.
    bool movable() const { return movable_; }
    void setMovable(bool movable) { movable_ = movable; }

    /// Line `row` (from 0) of the fixed-date grid.
    FixedHoliday line(int row) const { return lines_.value(row); }
    void setLine(int row, const FixedHoliday& line);

    /// Confirm: the checks, then the deletion or the generation. True when
    /// the holidays were changed; false when a check refused (the person
    /// was told why and may correct the panel).
    bool confirm();

private:
    bool checksPass();

    Database& database_;
    UiPort& ui_;
    SyncSwitches switches_;
    bool adding_ = true;
    QString calendar_;
    QString description_;
    int yearFrom_ = 0;
    int yearTo_ = 0;
    std::array<bool, 7> weekdays_ = {};
    bool movable_ = false;
    QList<FixedHoliday> lines_;
};
