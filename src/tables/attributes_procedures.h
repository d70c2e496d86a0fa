#pragma once

#include "data/db_error.h"
#include "engine/work_panel.h"
#include "support/attribute_values.h"

#include <QList>
#include <QString>

class Database;
class UiPort;

// The procedures of the additional employee attributes: their definitions
// (FUNATRIB), the employees' and positions' values (FUNATRVA) and the report
// field catalogue entries made from them (CAMPOS, field 800 + number).

/// The report catalogue field of attribute `attribute`.
inline int attributeReportField(int attribute)
{
    return 800 + attribute;
}

/// One definition as FUNATRIB holds it.
struct StoredAttribute {
    int id = 0;
    QString table;  ///< "F" employee, "C" position
    QString classifier;
    QString help;
    QString suggested;
    AttributeDefinition definition;  ///< with the description
};

/// The list of definitions of one type and table (blank: all), ordered by
/// classifier, description and number; the selections are bound values.
SourceQuery attributeListQuery(const QString& type, const QString& table);

/// Every definition, ordered by classifier, description and number; with a
/// type and a table code (blank: all), only those.
QList<StoredAttribute> attributeDefinitions(Database& database, const QString& type = {},
                                            const QString& table = {});
/// The definition `attribute`, or nothing (id 0) when there is none.
StoredAttribute attributeDefinition(Database& database, int attribute);

/// The smallest number from 1 upward, below 10000, that no definition has;
/// 0 when all are taken.
int PCALCFUN(Database& database);

/// Checks every stored value of `attribute` against the changed
/// `definition`; an empty text when all fit, else "Modificación inválida. El
/// valor ... de -description- del funcionario N[ del cargo P]" followed by
/// the reason.
QString PCTRVALA(Database& database, int attribute, const AttributeDefinition& definition);

/// Writes `value` of `attribute` for employee `employee` and position
/// `position` (0: an employee attribute), each write its own database
/// transaction; an empty value deletes the employee's rows of that position
/// and attribute (0: any).
DbError PGRAFAVA(Database& database, UiPort& ui, qint64 employee, int position, int attribute,
                 const QString& type, const QString& value);

/// Loads the suggested `value` of `attribute` into every active employee
/// (table "F": state "A" or "G") or position (table "C": the employee's
/// state "G", or "A" and the position without an end date), with progress in
/// the status bar. Returns the failure that stopped it, if any.
DbError PADDATFC(Database& database, UiPort& ui, int attribute, const QString& table, const QString& value);

/// Deletes definition `attribute` with its values and its place in the
/// concepts' application lists and the report catalogue, in one database
/// transaction, and writes its audit entry.
DbError PDLTATRI(Database& database, UiPort& ui, int attribute);

/// Brings the report catalogue's attribute fields in line with the
/// definitions, in one database transaction.
DbError PACTUALI(Database& database);

/// Why `attribute` cannot be deleted because a user-defined report uses its
/// catalogue field (columns, classification, filters, calculated columns,
/// in this order), with the report's description in quotes; empty when none
/// uses it.
QString attributeUsedByReport(Database& database, int attribute, const QString& description);

/// How many values employees and positions hold of `attribute`.
int storedValueCount(Database& database, int attribute);
