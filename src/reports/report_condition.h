#pragma once

// The filter conditions of user-defined reports: values separated by ",",
// a range written "lower:upper" (either bound may be left out), the words
// "NULL" and "NOT NULL" (any case) alone, dates as "dd/mm/yy", numbers with
// "." or "," as decimal point. A condition is read against its field's type
// and turned into a predicate over the field's column expression with every
// value bound: the condition's text itself never becomes SQL.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>
#include <vector>

/// The catalogue's field types ("C", "N", "F").
enum class ReportFieldType { Character, Number, Date };

/// `CamTipo` as a type; anything but "N" and "F" is character.
ReportFieldType reportFieldType(const QString& code);

/// One item of a condition: a value, or a range with optional bounds.
struct ConditionItem {
    bool range = false;
    QVariant low;   ///< the value of a single item; a range's lower bound (invalid: none)
    QVariant high;  ///< a range's upper bound (invalid: none)
};

/// A condition read, or why it cannot be.
struct ReportCondition {
    enum class Test { Values, IsNull, IsNotNull };
    Test test = Test::Values;
    std::vector<ConditionItem> items;
    QString error;  ///< the refusal ("Debe indicar valores numéricos", ...)
    bool ok() const { return error.isEmpty(); }
};

/// The longest condition accepted, in characters.
inline constexpr int maximumConditionLength = 2000;

/// Reads `text` as a condition on a field of `type`. The checks and their
/// messages are those of the filter editor: "Debe indicar valores
/// numéricos", "Fecha incorrecta", "Fecha desde posterior a fecha hasta";
/// an empty condition gives "Falta indicar la condición".
ReportCondition readCondition(const QString& text, ReportFieldType type);

/// A predicate of a WHERE clause: SQL made only of `column` (catalogue text)
/// and "?" placeholders, with the values to bind in order.
struct BoundPredicate {
    QString sql;
    QVariantList values;
};

/// The predicate of `condition` over `column`; `negated` turns it into its
/// opposite (rows where the column is Null do not pass a negated value test
/// either, as with SQL's NOT).
BoundPredicate conditionPredicate(const ReportCondition& condition, const QString& column, bool negated);

/// The predicate of the operator "conteniendo" over a character `column`:
/// each value of `text` separated by "," is looked for anywhere in the
/// column, without regard to letter case, and any one found lets the row
/// through. The values are bound as LIKE patterns with their own "%", "_"
/// and "!" escaped, so what a user types is only ever text to look for.
BoundPredicate containingPredicate(const QString& text, const QString& column);
