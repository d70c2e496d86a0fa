#pragma once

#include <QString>

class Database;
struct TransactionDecl;
struct WorkPanelDecl;

/// The calendar form: CALFER, code and description.
const TransactionDecl& TCALFER();
/// The list of calendars; its Eliminar deletes a calendar with its holidays.
const WorkPanelDecl& WCALFER();
/// The holiday form: one date of a calendar, keyed by the calendar it is
/// called with and the date.
const TransactionDecl& TCALFER1();
/// The holidays of one calendar, from a year on, with their weekdays.
const WorkPanelDecl& WCALFER1();

/// The description of calendar `calendar`, trimmed; empty when there is none.
QString calendarDescription(Database& database, const QString& calendar);
