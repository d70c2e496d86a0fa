#pragma once

#include <QString>

class LineTable;
struct TransactionDecl;

// The formula lines of a concept: its amount program in CONCEPT1 (TCONCEP1,
// "Cálculo de importe") and its quantity program in CONCEPT4 (TCONCEP4,
// "Cálculo de cantidad"). The two are twins: the same grid, the same rules,
// the same writing; what differs is named in one FormulaTable each.

/// Which program of a concept.
enum class FormulaKind { Amount, Quantity };

/// The names that differ between the amount and the quantity lines.
struct FormulaTable {
    FormulaKind kind;
    QString table;            ///< "CONCEPT1"
    QString index;            ///< "ICONCEP2": concept, then line number
    QString prefix;           ///< "Ope": OpeLin, OpeOpe, OpeUsar ...
    QString conceptField;     ///< the operand concept: "ConIdImp", "ConIdCant"
    QString groupField;       ///< "OpeAporId"; empty for quantity lines
    QString lastNumberField;  ///< the concept's "ConUltOpeL", "ConUltCanL"
    QString noun;             ///< "importe", "cantidad": in audit texts and notices

    /// The field of the lines named by its common part: field("Lin") is
    /// "OpeLin" or "CanLin".
    QString field(const QString& suffix) const { return prefix + suffix; }
    bool isAmount() const { return kind == FormulaKind::Amount; }
};

const FormulaTable& formulaTable(FormulaKind kind);

/// One line of a program as its rules and its reading see it, taken from
/// row `row` of the grid.
struct FormulaLine {
    int line = 0;
    QString operation;  ///< "+", ">=", "R+", "T" ...
    QString open;       ///< "(" or blank
    QString operand;    ///< "BAS", "ACH" ... or blank
    int number = 0;
    QString year;       ///< "A", "C" or blank
    int basic = 0;
    QString position;   ///< the dimension flags: "N", "M", "F" or blank
    QString costCentre;
    QString reference;
    int operandConcept = 0;
    double multiplier = 0;
    double divisor = 0;
    QString close;  ///< ")" or blank
    QString comment;
    int group = 0;  ///< contribution group; always 0 on quantity lines

    static FormulaLine of(const LineTable& lines, int row, const FormulaTable& table);
    bool hasFlags() const { return !position.isEmpty() || !costCentre.isEmpty() || !reference.isEmpty(); }
};

/// "Cálculo de importe": the amount lines of a concept under its code and
/// description.
const TransactionDecl& TCONCEP1();
/// "Cálculo de cantidad": the quantity lines.
const TransactionDecl& TCONCEP4();
