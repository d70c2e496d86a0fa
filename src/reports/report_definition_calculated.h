#pragma once

// WDEFCALC: one calculated column of a report, with the parameter panel of
// its kind: WPARBASI (a basic salary, by position and by cost centre),
// WPARCONC (a concept filter, for "Cantidad", "Importe" and "Importe m/e"),
// WPARCALC (a formula over other columns) and WPARFICC (annotation codes of
// the employee's file). The list of a report's calculated columns (WDEFCALL)
// is kept by the definition editor.

#include "reports/report_definition.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class UiPort;

/// The concept types of WPARCONC's combo; the stored value is the leading digit.
QStringList conceptTypeTexts();

/// The functions the column chooser offers for formulas ("REDONDEAR()", ...).
QStringList formulaFunctionTexts();

/// One entry of the column chooser WSELCOLU: what it puts into the formula
/// and what the list shows.
struct ColumnChoice {
    QString inserted;  ///< "[Sueldo]", "REDONDEAR()", "[ACH3]"
    QString shown;
};

/// The accumulator prefixes of the column chooser.
QStringList accumulatorPrefixes();

/// WSELCOLU: the report's columns `columnNames` as "[name]", then the
/// functions, then every accumulator of ACUMHL under each prefix ("ACH3",
/// "ACH03", "ACHCC3", "ACHCC03").
QList<ColumnChoice> WSELCOLU(Database& database, const QStringList& columnNames);

/// The accumulator names the chooser offers ("ACH3", ...), which formulas may use.
QStringList accumulatorNames(Database& database);

/// "Modifica cálculo: " + title + ", " + the kind and its parameters, the
/// audit sentence of a new or changed calculated column.
QString calculatedAuditText(const CalculatedColumn& column);

class WDEFCALC {
public:
    /// Edits `column`; `others` are the report's other calculated columns
    /// (their titles must differ from this one's).
    WDEFCALC(Database& database, const CalculatedColumn& column, const QList<CalculatedColumn>& others);

    void setTitle(const QString& title) { column_.title = title.trimmed(); }
    /// One of CalculatedKind; parameters of another kind are cleared.
    void setKind(const QString& kind);
    /// The parameter panel the kind opens ("WPARBASI", ...).
    static QString panelOf(const QString& kind);

    /// WPARBASI.
    void setBasic(const QString& code, bool byPosition, bool byCostCentre);
    /// WPARCONC: concept codes and group codes as lists ("10,12,20:25"), the
    /// type as its leading digit or empty.
    void setConceptFilter(const QString& concepts, const QString& groups, const QString& type);
    /// WPARCALC.
    void setFormula(const QString& formula) { column_.formula = formula.trimmed(); }
    /// WPARFICC.
    void setAnnotationCodes(const QString& codes) { column_.first = codes.trimmed(); }

    /// The checks of Confirm; the first fault is shown and false returned.
    bool confirm(UiPort& ui);
    const CalculatedColumn& column() const { return column_; }

private:
    QString fault() const;

    Database& database_;
    CalculatedColumn column_;
    QList<CalculatedColumn> others_;
};
