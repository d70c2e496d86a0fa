#pragma once

#include "payroll/concept_formulas.h"

#include <QString>
#include <QStringList>

class Database;
class LineTable;
struct FieldVerdict;

// The vocabulary of the formula lines (operations and operands) and the
// rules a line must satisfy before it is stored, checked in the order of
// the grid's columns. The rules ask the tables the lines name: ACUMHL for
// accumulators, BASICOS, APORTE, CONCEPT and the attribute definitions in
// FUNATRIB.

namespace FormulaVocabulary {

/// Every operation a line accepts.
const QStringList& operations();
/// The comparisons among them.
bool isComparison(const QString& operation);
/// Whether `operand` is accepted on lines of `kind` (blank is: no operand).
bool acceptsOperand(FormulaKind kind, const QString& operand);
/// The fixed description of an operand ("Haberes"); empty for the
/// operands described by what they name (accumulators, basic values,
/// employee amounts, attributes).
QString fixedDescription(const QString& operand);
/// Whether the operand concerns the substituted employee ("XIM", "XBA", "XIB").
bool concernsSubstitute(const QString& operand);

}  // namespace FormulaVocabulary

/// The parameter group that keeps the user names of the twelve employee
/// amounts, ("Configur", "Imp1", 0) to ("Configur", "Imp12", 0).
inline constexpr char16_t employeeAmountNamesGroup[] = u"Configur";
/// The user name of employee amount `number` (1 to 12): the parameter's
/// text, "Importe <n>" when none was given.
QString employeeAmountName(Database& database, int number);

/// What the grid shows as the description of the operand of `line`.
QString operandDescription(Database& database, FormulaKind kind, const FormulaLine& line);

/// Checks line `row` of the grid, rule by rule in column order, and returns
/// the first refusal. A new line whose number is zero first gets the next
/// number; codes are taken in capitals; a basic value, contribution group
/// or concept that does not exist is offered from its list
/// ("... DESEA VISUALIZAR?"), and the code chosen there is typed in.
FieldVerdict reviewFormulaLine(LineTable& lines, int row, FormulaKind kind);

/// The number a new line gets: the concept's last line number (stored, or
/// the highest in the grid when that is higher) plus 5.
int nextLineNumber(const LineTable& lines, FormulaKind kind);
