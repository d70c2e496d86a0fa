#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// The values of the additional employee attributes and the two small
// languages written about them:
//
// - a validation expression ("S,N", "1:10,99", "01/01/00:", "A:M"): the
//   values an attribute allows, a list of single values and ranges;
// - a concept's application condition ("J,M", "100:300,500:600", "NULL",
//   "1/1/1753"): which employees a concept applies to, by the value of one
//   attribute, written in the same list shape.
//
// Both are read by one splitter: "," (or the end of the text) closes an
// item, ":" closes the lower bound of a range, any other character belongs
// to the item. The pieces are then read by the attribute's type: "AN" and
// "CH" as trimmed texts compared by character code, "NU" as decimal numbers
// compared exactly (no binary rounding, any number of digits), "FE" as dates
// written "dd/mm/yy" (or with a four-digit year).
//
// Messages start with a blank so that the caller puts the attribute's name
// (or the value concerned) in front of them.

/// The definition of one attribute, as far as its values are concerned.
struct AttributeDefinition {
    QString type;        ///< "AN", "CH", "FE" or "NU"
    bool mandatory = false;
    int length = 0;
    int decimals = 0;
    bool capitals = false;
    QString validation;  ///< allowed values; empty: any
    QString description; ///< the attribute's name, for the condition messages
};

/// One item of a value list: a single value, or a range with its two bounds
/// (either may be empty).
struct ValueListItem {
    QString lower;       ///< the single value, or the range's lower bound
    QString upper;
    bool range = false;
    /// More than one ":" in the item: it is no value and no range.
    bool malformed = false;
};

/// The items of `text`, in order. An empty text has no items; "a," has two
/// (the second empty).
QList<ValueListItem> splitValueList(const QString& text);

/// A decimal number as written: sign, integer digits and fraction digits,
/// without leading zeros in the integer part nor trailing ones in the
/// fraction. Compared exactly, whatever its size.
struct DecimalValue {
    bool negative = false;
    QString integer;   ///< "" for zero integer part
    QString fraction;  ///< "" for no fraction
    /// Digits after the point as written (trailing zeros included).
    int writtenDecimals = 0;

    bool isZero() const { return integer.isEmpty() && fraction.isEmpty(); }
};

/// Reads "digits with an optional leading sign and one decimal point"
/// ("-12", "+3.50", "7.", ".5"); nothing for any other text.
std::optional<DecimalValue> readDecimal(const QString& text);
/// -1, 0 or 1 as `left` is less than, equal to or greater than `right`.
int compareDecimal(const DecimalValue& left, const DecimalValue& right);

/// Reads a date written day/month/year with "/" ("31/10/00", "1/1/1753"):
/// one or two digits of day and month, two or four of year. Nothing for
/// any other text or a day the calendar lacks (31/02/00).
std::optional<QDate> readAttributeDate(const QString& text);

/// Whether `value` (already valid for its type) is one of the values the
/// validation expression allows. An empty expression allows any value.
bool matchesValidation(const QString& type, const QString& validation, const QString& value);

/// Validates one value of an attribute (trailing blanks ignored): an empty
/// text when it is valid, otherwise the reason, starting with a blank
/// (" es obligatorio.", " no es un número válido.", " tiene valor
/// incorrecto."...).
QString PVALFUNA(const AttributeDefinition& definition, const QString& value);

/// The word of a condition for an employee who has no value of the attribute.
inline constexpr char16_t conditionNoValue[] = u"NULL";
/// The date of a condition that stands for no date.
inline constexpr char16_t conditionNoDate[] = u"1/1/1753";

/// Checks a concept's application condition on one attribute. Returns an
/// empty text when every item is valid, otherwise the first refusal with the
/// value concerned in front ("10.5 no puede tener decimales.", "El valor X no
/// es correcto para el At. adicional Mensuales/Jornaleros"). `condition` is
/// turned to capitals first when the attribute is in capitals, and trimmed.
QString checkCondition(const AttributeDefinition& definition, QString& condition);
