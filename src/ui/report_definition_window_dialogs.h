#pragma once

// The small windows the report definition editor opens over itself: the
// filter condition (WFILTRO), the list of calculated columns (WDEFCALL) with
// the editor of one (WDEFCALC and its parameter panels WPARBASI, WPARCONC,
// WPARCALC, WPARFICC), the column chooser of formulas (WSELCOLU) and the
// result of the formula check (WMUESTRA). Each is modal over the editor and
// leaves the rules to the classes of the reports layer.

#include "reports/report_definition.h"
#include "reports/report_formula_check.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class QWidget;
class ReportDefinitionEditor;
class UiPort;

/// WFILTRO over `field`: true with `filter` changed when confirmed. With the
/// mode "EMI" it asks the condition of a filter marked "E" as the report is
/// run: the operator is shown but kept, and the fixed/at-run choice hidden.
bool editFilterDialog(QWidget* parent, UiPort& ui, const ReportField& field, FilterField& filter,
                      const QString& mode = {});

/// WDEFCALL: add, change and delete the calculated columns of `editor`.
void calculatedColumnsDialog(QWidget* parent, Database& database, UiPort& ui, ReportDefinitionEditor& editor);

/// WDEFCALC: edits `column`; true with it changed when confirmed.
bool calculatedColumnDialog(QWidget* parent, Database& database, UiPort& ui, const ReportDefinitionEditor& editor,
                            CalculatedColumn& column);

/// WSELCOLU: what the person chose to put into a formula, or empty.
QString chooseColumnDialog(QWidget* parent, Database& database, const QStringList& columnNames);

/// WMUESTRA: the lines of the formula check, with "Mostrar solo errores"
/// and Print.
void formulaCheckDialog(QWidget* parent, const QList<FormulaCheckLine>& lines);
