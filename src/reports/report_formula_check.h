#pragma once

// The two guards of the calculated columns' formulas: PCONTSQL refuses words
// that have no place in a formula, PCONTFOR checks that every column a
// formula names by "[title]" exists, is in the report and is worked out
// before the column that uses it. A formula is never run as SQL; the word
// guard only keeps such texts out of the definitions.

#include "reports/report_formula.h"

#include <QList>
#include <QString>
#include <QStringList>

class ReportCatalogue;
struct ReportDefinition;

/// The words a formula may not hold, in the order they are looked for.
QStringList forbiddenFormulaWords();

/// The first forbidden word contained in `text` (upper-cased, as a
/// substring: "Selected" holds "SELECT"), or empty.
QString PCONTSQL(const QString& text);

/// "No se permite utilizar la palabra " + word + " en la fórmula", or empty
/// when `formula` holds none.
QString formulaWordRefusal(const QString& formula);

// The names a formula refers to, formulaReferences, come from the
// evaluator's header: the check and the run read a formula alike.

/// One line of the formula check's result.
struct FormulaCheckLine {
    QString text;
    bool error = false;
};

/// Checks every calculated column of `definition`, in the order of the data
/// columns (columns not placed among them last, by number): a missing
/// title, a formula naming its own column, a column that does not exist, one
/// that is not in the report, and one calculated later. A column without
/// fault gives one line that says so. `alsoKnown` names that always exist
/// (the accumulators the column chooser offers).
QList<FormulaCheckLine> PCONTFOR(const ReportDefinition& definition, const ReportCatalogue& catalogue,
                                 const QStringList& alsoKnown = {});

/// The title of the check's result window.
inline constexpr char16_t formulaCheckTitle[] = u"Errores fórmulas de cálculo entre columnas";
