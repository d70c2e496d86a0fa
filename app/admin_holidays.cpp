// uordane-admin holidays: the holidays of one calendar. --add generates a
// range of years (the company's fixed-date list, the chosen weekdays and,
// with --movable, Carnival, Tourism week and the holidays moved to a
// Monday), --delete removes a range of years, --list prints them one a line:
// the date, the weekday and the description, separated by tabs.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "console/form_script.h"
#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "engine/synchronisation.h"
#include "support/dates.h"
#include "tables/calendars.h"
#include "tables/holidays.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"holidays "_s + Company::usage()
    + u" CALENDARIO (--add DESDE HASTA [--weekdays lu,ma,mi,ju,vi,sa,do] [--movable] | --delete DESDE HASTA"
      " | --list [AÑO])"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

enum class Action { None, Add, Delete, List };

struct HolidaysRequest {
    Action action = Action::None;
    QString calendar;
    int yearFrom = 0;
    int yearTo = 0;
    int listFrom = 0;
    std::array<bool, 7> weekdays = {};
    bool movable = false;
};

/// A year of four digits at most, 1 or later; false when it is not one.
bool readYear(const QString& text, int* year)
{
    bool number = false;
    *year = text.toInt(&number);
    return number && *year >= 1 && *year <= 9999;
}

/// "lu,ma,mi,ju,vi,sa,do" into the weekday flags, Monday first.
bool readWeekdays(const QString& text, std::array<bool, 7>& weekdays, QString* problem)
{
    static const QStringList names = {u"lu"_s, u"ma"_s, u"mi"_s, u"ju"_s, u"vi"_s, u"sa"_s, u"do"_s};
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype day = names.indexOf(part.trimmed().toLower());
        if (day < 0) {
            *problem = u"Día de la semana desconocido: "_s + part + u" (lu, ma, mi, ju, vi, sa, do)"_s;
            return false;
        }
        weekdays.at(day) = true;
    }
    return true;
}

bool takeYears(const QStringList& arguments, qsizetype& at, HolidaysRequest& request, QString* problem)
{
    if (at + 1 >= arguments.size() || !readYear(arguments.at(at), &request.yearFrom)
        || !readYear(arguments.at(at + 1), &request.yearTo)) {
        *problem = u"Faltan los años DESDE y HASTA, o no son años"_s;
        return false;
    }
    at += 2;
    return true;
}

/// The options and the positional arguments; `wanted` positional ones
/// (folder and calendar, or the calendar alone) come before --list's year.
bool parseRequest(const QStringList& arguments, qsizetype wanted, HolidaysRequest& request, QStringList& positional,
                  QString* problem)
{
    const auto setAction = [&](Action action) {
        if (request.action != Action::None) {
            *problem = u"Indique solo una de --add, --delete y --list"_s;
            return false;
        }
        request.action = action;
        return true;
    };
    for (qsizetype at = 0; at < arguments.size();) {
        const QString& argument = arguments.at(at++);
        if (argument == u"--add" || argument == u"--delete") {
            if (!setAction(argument == u"--add" ? Action::Add : Action::Delete)
                || !takeYears(arguments, at, request, problem))
                return false;
        } else if (argument == u"--list") {
            if (!setAction(Action::List))
                return false;
            if (at < arguments.size() && positional.size() == wanted) {
                if (!readYear(arguments.at(at), &request.listFrom)) {
                    *problem = u"El año no es válido: "_s + arguments.at(at);
                    return false;
                }
                ++at;
            }
        } else if (argument == u"--weekdays") {
            if (at >= arguments.size()) {
                *problem = u"Falta el valor de --weekdays"_s;
                return false;
            }
            if (!readWeekdays(arguments.at(at++), request.weekdays, problem))
                return false;
        } else if (argument == u"--movable") {
            request.movable = true;
        } else if (argument.startsWith(u"--")) {
            *problem = u"Opción desconocida: "_s + argument;
            return false;
        } else {
            positional.append(argument);
        }
    }
    if (request.action == Action::None) {
        *problem = u"Falta --add, --delete o --list"_s;
        return false;
    }
    return true;
}

int listHolidays(Database& database, const HolidaysRequest& request)
{
    TableCursor holidays(database);
    DbError error = holidays.open(u"CALFER1"_s, Access::ReadOnly);
    if (!error)
        error = holidays.setIndex(u"ICALFER1"_s);
    if (!error)
        error = holidays.seek(Comparison::GreaterOrEqual,
                              {request.calendar, QDateTime(QDate(std::max(request.listFrom, 1), 1, 1), QTime(0, 0))});
    QTextStream out(stdout);
    while (!error && holidays.hasCurrent()
           && holidays.text(u"CalFerId"_s).trimmed() == request.calendar) {
        const QDate date = holidays.date(u"CalFerFch"_s).date();
        out << formatDate(date, u"dd/mm/yyyy"_s) << '\t' << weekdayName(date) << '\t'
            << holidays.text(u"CalFchDesc"_s).trimmed() << '\n';
        error = holidays.moveNext();
    }
    out.flush();
    if (error) {
        adminErr(error.fullText());
        return ExitRefused;
    }
    return ExitDone;
}

int runHolidays(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);
    HolidaysRequest request;
    QStringList positional;
    const qsizetype wanted = company.onServer() ? 1 : 2;
    if (!parseRequest(arguments, wanted, request, positional, &problem))
        return refuseUsage(problem);
    if (positional.size() != wanted)
        return refuseUsage(positional.size() < wanted ? u"Falta el calendario"_s
                                                      : u"Sobra el argumento: "_s + positional.last());
    request.calendar = positional.last().trimmed().toUpper();
    if (!company.settle(company.onServer() ? QString() : positional.first(), &problem))
        return refuseUsage(problem);
    if (request.yearFrom > request.yearTo)
        return refuseUsage(u"El año hasta debe ser mayor o igual al año desde"_s);

    const bool reading = request.action == Action::List;
    std::unique_ptr<Database> database =
        company.open(&problem, reading ? Database::OpenMode::ReadOnly : Database::OpenMode::Existing);
    if (!database) {
        adminErr(problem);
        return ExitUsage;
    }
    if (calendarDescription(*database, request.calendar).isEmpty()) {
        adminErr(u"No existe el calendario "_s + request.calendar);
        return ExitRefused;
    }
    if (reading)
        return listHolidays(*database, request);

    company.putContext(u"admin"_s, QString());
    QTextStream err(stderr);
    ConsoleUiPort ui(err, err);
    ui.setDatabase(database.get());
    if (readSyncSwitches(*database, u"DiL"_s).copiedAutomatically()) {
        ui.message(u"Esta tabla se copia automaticamente."_s, MessageIcon::Exclamation);
        return ExitRefused;
    }
    if (request.action == Action::Delete) {
        if (DbError error = PDLTFERI(*database, ui, request.calendar, request.yearFrom, request.yearTo)) {
            translateDatabaseError(ui, error);
            return ExitRefused;
        }
        ui.message(u"La eliminación de feriados ha finalizado"_s, MessageIcon::Information);
        return ExitDone;
    }
    HolidayGeneration generation;
    generation.calendar = request.calendar;
    generation.yearFrom = request.yearFrom;
    generation.yearTo = request.yearTo;
    generation.weekdays = request.weekdays;
    generation.movable = request.movable;
    for (const FixedHoliday& entry : storedFixedHolidays(*database)) {
        if (entry.day.isEmpty())
            continue;
        generation.fixedDays << entry.day;
        generation.fixedDescriptions << entry.description;
    }
    const int added = PADDFERI(*database, ui, generation);
    ui.message(u"Se han agregado los feriados"_s + u" ("_s + QString::number(added) + u")"_s,
               MessageIcon::Information);
    return ExitDone;
}

const AdminCommand command("holidays", usage, &runHolidays);

}  // namespace
