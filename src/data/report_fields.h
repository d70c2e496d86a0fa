#pragma once

// The fixed part of the report field catalogue (CAMPOS): the fields of the
// payroll data that user-defined reports offer, by subject, as every new
// database gets them, and the catalogue rows of the employee attributes
// (800 + attribute number). The catalogue's texts name tables and columns of
// the schema only; the report generator builds its queries from them and
// from nothing a user types.

#include "data/database.h"

#include <QString>

/// The subject groups (`CamGrupo`) of the catalogue, in the order the
/// editor's combos offer them.
namespace ReportSubject {
inline constexpr int employee = 1;      ///< "Funcionario"
inline constexpr int position = 2;      ///< "Cargo"
inline constexpr int personalFile = 3;  ///< "Legajo"
inline constexpr int liquidations = 4;  ///< "Liquidaciones"
inline constexpr int concepts = 5;      ///< "Conceptos"
inline constexpr int clockMarks = 6;    ///< "Marcas"
inline constexpr int movements = 7;     ///< "Movimientos"
inline constexpr int calculations = 8;  ///< "Calculos"
}  // namespace ReportSubject

/// One fixed catalogue field.
struct ReportFieldRow {
    int id;
    const char* description;
    int group;
    const char* table;   ///< `CamTabla`: the table the column comes from
    const char* column;  ///< `CamText`: TABLE.Field
    const char* type;    ///< "C", "N" or "F"
    const char* picture;
    bool summable;
};

/// The fixed fields, in catalogue order.
const QList<ReportFieldRow>& fixedReportFields();

/// The table expression and column of the catalogue row of an attribute,
/// as the report generator expects them: a LEFT JOIN of FUNATRVA under the
/// alias "FUNATRVAF<n>" (employee) or "FUNATRVAC<n>" (position).
QString attributeJoin(bool position, int attribute);

/// Writes the fixed fields that `database` lacks (a field already there is
/// left as it is) and the catalogue rows of the attributes defined so far.
/// Runs inside the caller's transaction.
bool writeReportFields(Database& database, QString* error);

/// Adds the demo company's payroll history (more employees, liquidations,
/// the calculation under way, movements) and its example reports in a
/// folder of their own; the catalogue then gets the demo's attributes.
/// Runs inside the demo company's transaction.
bool loadDemoReports(Database& database, QString* error);
