#pragma once

#include "payroll/concept_formulas.h"

#include <QString>

class LineTable;

// A concept's program read as one formula, for the person who writes it:
// the lines in number order, each as its operation, its parentheses and
// what it uses, "( BAS 12 [Carg N] × 1,5 ) + IMP 3". Lines marked for
// deletion and "T" lines (comments) are left out.

/// The formula of the lines on the grid.
QString readableFormula(const LineTable& lines, FormulaKind kind);

/// The parentheses the program opens and closes.
struct Parentheses {
    int opened = 0;
    int closed = 0;
    bool balanced() const { return opened == closed; }
};
Parentheses countParentheses(const LineTable& lines, FormulaKind kind);

/// The notice shown at Confirm when the program's parentheses do not
/// balance ("Aviso: ..."); empty when they do.
QString unbalancedNotice(const LineTable& lines, FormulaKind kind);
