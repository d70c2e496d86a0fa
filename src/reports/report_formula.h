#pragma once

// The formula language of the calculated columns of user-defined reports:
// numbers with "." as decimal point, texts in quotes, dates between "#",
// other columns by their title in brackets ("[Sueldo básico]"), the
// operators + - * / and the comparisons = <> < > <= >=, parentheses, and the
// functions REDONDEAR, SQR, Fix, Int, iif, Switch, Left$, Right$, Mid$, Day,
// Month, Year, DateAdd and DateDiff (any letter case). A formula is read
// once into a tree and evaluated per row; nothing of it ever reaches SQL.
// Bad formulas (unknown functions, unbalanced parentheses, too deep or too
// long) and bad values (division by zero, square root of a negative) give a
// Spanish message, never a crash.

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

/// One value of a report cell or of a step of a formula.
struct ReportValue {
    enum class Kind { Null, Number, Text, Date };
    Kind kind = Kind::Null;
    double number = 0;
    QString text;
    QDate date;

    static ReportValue null() { return {}; }
    static ReportValue ofNumber(double value) { return {Kind::Number, value, {}, {}}; }
    static ReportValue ofText(const QString& value) { return {Kind::Text, 0, value, {}}; }
    static ReportValue ofDate(const QDate& value) { return {Kind::Date, 0, {}, value}; }
    bool isNull() const { return kind == Kind::Null; }
    /// The value as a number: texts are read as numbers, dates count days
    /// from 30/12/1899, Null is 0.
    double toNumber() const;
};

/// What an evaluation gives: a value, or the message of why there is none.
struct FormulaOutcome {
    ReportValue value;
    QString error;  ///< empty when `value` holds the result
    bool ok() const { return error.isEmpty(); }
};

/// The longest formula accepted, in characters.
inline constexpr int maximumFormulaLength = 4000;
/// The deepest nesting of parentheses and function calls accepted.
inline constexpr int maximumFormulaDepth = 64;

class ReportFormula {
public:
    /// Reads `text`; on failure `error()` says why and evaluation refuses.
    explicit ReportFormula(const QString& text);
    ~ReportFormula();
    ReportFormula(ReportFormula&&) noexcept;
    ReportFormula& operator=(ReportFormula&&) noexcept;

    bool isValid() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    /// The column titles the formula refers to, in order of first use.
    const QStringList& references() const { return references_; }

    /// Evaluates with `column` giving the value of a referenced column by
    /// its title (std::nullopt: no such column).
    using ColumnLookup = std::function<std::optional<ReportValue>(const QString& title)>;
    FormulaOutcome evaluate(const ColumnLookup& column) const;

    struct Node;

private:
    QString error_;
    QStringList references_;
    std::vector<Node> nodes_;
    int root_ = -1;
};

/// The column titles `formula` refers to in brackets, in order; the same
/// reading the formula check uses, also for formulas that do not parse.
QStringList formulaReferences(const QString& formula);
