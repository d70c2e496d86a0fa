#pragma once

#include "payroll/concept_formulas.h"

class Database;
class UiPort;

// Renumbering of a concept's formula lines: 5, 10, 15 ... in their present
// order, so that there is room again between them. The lines and the
// concept's last line number are rewritten in one database transaction,
// with the concept locked meanwhile; a program of more than 200 lines is
// left as it is, since its numbers would pass 1000.

/// Renumbers the lines of `conceptId` of program `kind`. False when it was
/// refused or failed; the person has been told why and nothing changed.
bool renumberFormulaLines(Database& database, UiPort& ui, FormulaKind kind, int conceptId);

/// The amount lines (CONCEPT1).
inline bool PRENUM1(Database& database, UiPort& ui, int conceptId)
{
    return renumberFormulaLines(database, ui, FormulaKind::Amount, conceptId);
}

/// The quantity lines (CONCEPT4).
inline bool PRENUM2(Database& database, UiPort& ui, int conceptId)
{
    return renumberFormulaLines(database, ui, FormulaKind::Quantity, conceptId);
}
