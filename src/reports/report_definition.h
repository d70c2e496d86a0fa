#pragma once

// A user-defined report as its editor holds it: the header (INFORME), the
// data columns (INFORME1), the classification fields (INFORME2), the filters
// (INFORME3) and the calculated columns (INFORME4), with the report field
// catalogue (CAMPOS) the lists are picked from. Reading a definition and
// writing it back (PGRAINF1 to PGRAINF4) live here; the editor's rules live
// in report_definition_editor.h.
//
// A calculated column stands in the data list as the field number
// calculatedFieldBase + `InfCalId` (also kept in its INFORME4 row's CamId),
// so that its place among the data columns is stored like any other
// column's. The data list's two fixed entries, "# (contador)" and
// "* (en totales)", are the fields counterField and inTotalsField.

#include "data/db_error.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>

class Database;

namespace ReportFields {
/// The data list's "# (contador)" entry.
constexpr int counterField = 9998;
/// The data list's "* (en totales)" entry.
constexpr int inTotalsField = 9999;
/// Calculated column n is the data column calculatedFieldBase + n.
constexpr int calculatedFieldBase = 10000;

constexpr bool isCalculated(int field) { return field > calculatedFieldBase; }
}  // namespace ReportFields

/// One field of the catalogue CAMPOS.
struct ReportField {
    int id = 0;              ///< `CamId`
    QString description;     ///< `CamDes`
    int group = 0;           ///< `CamGrupo`, one of ReportSubjects
    int order = 0;           ///< `CamOrden`
    QString type;            ///< `CamTipo`: "C", "N" or "F"
    QString picture;         ///< `CamPLEdici`
    bool summable = false;   ///< `CamSumar` "S": amounts and quantities
    bool attribute = false;  ///< `CamAtribut` "S"

    bool isDate() const { return type == QLatin1String("F"); }
    bool isNumber() const { return type == QLatin1String("N"); }
    bool isCharacter() const { return !isDate() && !isNumber(); }
};

/// The catalogue as read when the editor starts (and again on "Renovar lista
/// de campos").
class ReportCatalogue {
public:
    /// Reads every field, ordered by group, order and number.
    DbError load(Database& database);
    /// The fields of subject `group`, in the catalogue's order.
    QList<ReportField> fieldsOf(int group) const;
    /// The field `id`, or nullptr.
    const ReportField* find(int id) const;
    /// The field whose description is `description` (any letter case), or nullptr.
    const ReportField* findByDescription(const QString& description) const;
    const QList<ReportField>& fields() const { return fields_; }
    /// For tests and callers that hold a catalogue of their own.
    void setFields(QList<ReportField> fields) { fields_ = std::move(fields); }

private:
    QList<ReportField> fields_;
};

/// One data column (INFORME1).
struct DataColumn {
    int field = 0;       ///< `CamId`
    double width = 0;    ///< `InfAncho`; 0: the field's own width
    int breakFlag = 0;   ///< `InfCorte`: 1 starts a new page at each change
    bool operator==(const DataColumn&) const = default;
};

/// One classification field (INFORME2).
struct ClassificationField {
    int field = 0;          ///< `CamId`
    bool subtotal = false;  ///< `InfSubtot` "S"
    bool operator==(const ClassificationField&) const = default;
};

/// How a filter compares (`InfNot`).
namespace FilterOperator {
inline const QString equal = QStringLiteral("N");       ///< "igual a"
inline const QString notEqual = QStringLiteral("S");    ///< "distinto de"
inline const QString containing = QStringLiteral("C");  ///< "conteniendo", character fields only
}  // namespace FilterOperator

/// One filter (INFORME3).
struct FilterField {
    int field = 0;                                   ///< `CamId`
    QString fixedOrAtRun = QStringLiteral("E");      ///< `InfFijoEmi`: "F" fixed, "E" asked when run
    QString condition;                               ///< `InfCondici`
    QString negation = FilterOperator::equal;        ///< `InfNot`
    bool isFixed() const { return fixedOrAtRun == QLatin1String("F"); }
    bool operator==(const FilterField&) const = default;
};

/// The content kinds of a calculated column (`InfConteni`), as shown.
namespace CalculatedKind {
inline const QString basic = QStringLiteral("Básico");
inline const QString quantity = QStringLiteral("Cantidad");
inline const QString amount = QStringLiteral("Importe");
inline const QString foreignAmount = QStringLiteral("Importe m/e");
inline const QString betweenColumns = QStringLiteral("Cálculo entre columnas");
inline const QString fileSum = QStringLiteral("Suma valor del legajo");
/// Every kind, in the order the combo offers them.
QList<QString> all();
}  // namespace CalculatedKind

/// One calculated column (INFORME4). The parameters by kind:
///   "Básico": F1 the basic's `BasId`, F2 "S" by position, F3 "S" by cost centre;
///   "Cantidad", "Importe", "Importe m/e": F1 concept codes, F2 group codes,
///     F3 concept type ("1", "2", "3" or empty);
///   "Cálculo entre columnas": the formula;
///   "Suma valor del legajo": F1 the annotation codes.
struct CalculatedColumn {
    int id = 0;           ///< `InfCalId`
    QString title;        ///< `InfCalTitu`
    QString kind;         ///< `InfConteni`
    QString formula;      ///< `InfCalForm`
    QString first;        ///< `InfCalF1`
    QString second;       ///< `InfCalF2`
    QString third;        ///< `InfCalF3`
    QString auxiliary;    ///< `InfCalAuxi`
    int field() const { return ReportFields::calculatedFieldBase + id; }
    bool operator==(const CalculatedColumn&) const = default;
};

/// A whole definition.
struct ReportDefinition {
    int id = 0;                 ///< `InfId`; 0 until it is first written
    QString description;        ///< `InfDes`
    QString detailOrSummary;    ///< `InfDetRes`: "D", "R" or empty
    int folder = 0;             ///< `InfCarId`
    int category = 0;           ///< `InfCategor`
    QDate lastRun;              ///< `InfUltEjec`; null: never run
    QList<DataColumn> data;
    QList<ClassificationField> classification;
    QList<FilterField> filters;
    QList<CalculatedColumn> calculated;

    /// The calculated column `id`, or nullptr.
    const CalculatedColumn* calculatedColumn(int id) const;
};

/// Reads definition `id` with its four lists in their stored order; false
/// when there is no such report (`error` set on a database failure).
bool readReportDefinition(Database& database, int id, ReportDefinition& definition, DbError* error = nullptr);

/// "Última emisión: " and the date of the last run; empty when never run.
QString lastRunText(const ReportDefinition& definition);

// The writers. Each works inside the caller's database transaction.

/// Writes the INFORME row (`InfDes`, `InfDetRes`, `InfCarId`, `InfCategor`):
/// updates report `definition.id`, or adds it under the next free number
/// and sets `definition.id` when it is 0.
DbError PGRAINF1(Database& database, ReportDefinition& definition);

/// The two modes of PGRAINF2 to PGRAINF4.
enum class ListWriteMode {
    DeleteAll,  ///< "B": every row of the report in the table
    WriteOne,   ///< "G": one row at `position`
};

/// INFORME1: the data column `column` at `position`, or all rows deleted.
DbError PGRAINF2(Database& database, int report, int position, const DataColumn& column, ListWriteMode mode);
/// INFORME2: the classification field at `position`, or all rows deleted.
DbError PGRAINF3(Database& database, int report, int position, const ClassificationField& field,
                 ListWriteMode mode);
/// INFORME3: the filter at `position`, or all rows deleted.
DbError PGRAINF4(Database& database, int report, int position, const FilterField& filter, ListWriteMode mode);
/// INFORME4: every calculated column of the report, rewritten.
DbError writeCalculatedColumns(Database& database, int report, const QList<CalculatedColumn>& columns);

/// The folders (INFORME5) ordered by description, as (number, description).
struct ReportFolder {
    int id = 0;
    QString description;
};
/// PINFORM5: the list of folders the editor's combo and WINFCARP show,
/// ordered by description.
QList<ReportFolder> PINFORM5(Database& database, DbError* error = nullptr);
