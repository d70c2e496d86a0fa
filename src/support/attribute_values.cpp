#include "support/attribute_values.h"

#include "support/dates.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

/// Up to `count` leading digits of `text` from `from`; how many were read.
int digitRun(const QString& text, qsizetype from)
{
    int count = 0;
    while (from + count < text.size() && isDigit(text.at(from + count)))
        ++count;
    return count;
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

bool isNumeric(const QString& type)
{
    return type == u"NU"_s;
}

bool isDate(const QString& type)
{
    return type == u"FE"_s;
}

bool isText(const QString& type)
{
    return type == u"AN"_s || type == u"CH"_s;
}

/// " no puede tener decimales." / " no puede tener más de 1 decimal." /
/// " no puede tener más de n decimales."
QString tooManyDecimals(int allowed)
{
    if (allowed <= 0)
        return u" no puede tener decimales."_s;
    return u" no puede tener más de "_s + QString::number(allowed)
           + (allowed == 1 ? u" decimal."_s : u" decimales."_s);
}

QString tooManyIntegers(int allowed)
{
    return u" no puede tener más de "_s + QString::number(allowed)
           + (allowed == 1 ? u" entero."_s : u" enteros."_s);
}

/// The limits of a number of the attribute: decimals, then integer digits
/// (length minus decimals). Empty when it fits.
QString numberLimits(const AttributeDefinition& definition, const DecimalValue& number, bool writtenWithPoint)
{
    if (writtenWithPoint && number.writtenDecimals > definition.decimals)
        return tooManyDecimals(definition.decimals);
    const int integers = definition.length - definition.decimals;
    if (number.integer.size() > integers)
        return tooManyIntegers(integers);
    return {};
}

/// A bound or a single value of a validation expression compared with a
/// value of the attribute: -1, 0, 1, or nothing when the bound is not a
/// value of the type.
struct TypedValue {
    QString type;
    QString text;                  ///< "AN", "CH" and unknown types: trimmed
    std::optional<DecimalValue> number;
    std::optional<QDate> date;
    bool valid = false;
};

TypedValue typed(const QString& type, const QString& written)
{
    TypedValue value;
    value.type = type;
    if (isNumeric(type)) {
        QString text = written.trimmed();
        text.replace(u',', u'.');
        value.number = readDecimal(text);
        value.valid = value.number.has_value();
        return value;
    }
    if (isDate(type)) {
        value.date = readAttributeDate(written.trimmed());
        value.valid = value.date.has_value();
        return value;
    }
    value.text = written.trimmed();
    value.valid = true;
    return value;
}

int compareTyped(const TypedValue& left, const TypedValue& right)
{
    if (left.number && right.number)
        return compareDecimal(*left.number, *right.number);
    if (left.date && right.date)
        return left.date < right.date ? -1 : (left.date == right.date ? 0 : 1);
    const int order = QString::compare(left.text, right.text, Qt::CaseSensitive);
    return order < 0 ? -1 : (order == 0 ? 0 : 1);
}

bool matchesItem(const QString& type, const ValueListItem& item, const TypedValue& value)
{
    if (item.malformed)
        return false;
    if (!item.range) {
        if (item.lower.trimmed().isEmpty())
            return false;
        const TypedValue single = typed(type, item.lower);
        return single.valid && compareTyped(value, single) == 0;
    }
    if (!item.lower.trimmed().isEmpty()) {
        const TypedValue lower = typed(type, item.lower);
        if (!lower.valid || compareTyped(value, lower) < 0)
            return false;
    }
    if (item.upper.trimmed().isEmpty())
        return true;
    const TypedValue upper = typed(type, item.upper);
    if (!upper.valid)
        return false;
    // A numeric range whose upper bound is 0 has no upper limit ("5:0").
    if (upper.number && upper.number->isZero())
        return true;
    return compareTyped(value, upper) <= 0;
}

/// The checks of one value of a condition; the value concerned goes in
/// front of each message.
QString checkConditionValue(const AttributeDefinition& definition, const QString& value)
{
    if (value.compare(QStringView(conditionNoValue), Qt::CaseInsensitive) == 0)
        return {};
    if (isDate(definition.type)) {
        const std::optional<QDate> date = readAttributeDate(value);
        if (!date)
            return value + u" no es una fecha válida."_s;
        if (*date == QDate(1753, 1, 1))
            return {};
    } else if (isNumeric(definition.type)) {
        const std::optional<DecimalValue> number = readDecimal(value);
        if (!number)
            return value + u" no es un número válido."_s;
        if (const QString limits = numberLimits(definition, *number, value.contains(u'.')); !limits.isEmpty())
            return value + limits;
    } else if (value.size() > definition.length) {
        return value + u" no puede tener más de "_s + QString::number(definition.length) + u" caracteres."_s;
    }
    if (!definition.validation.trimmed().isEmpty()
        && !matchesValidation(definition.type, definition.validation, value)) {
        return u"El valor "_s + value + u" no es correcto para el At. adicional "_s + definition.description;
    }
    return {};
}

}  // namespace

QList<ValueListItem> splitValueList(const QString& text)
{
    QList<ValueListItem> items;
    if (text.isEmpty())
        return items;
    ValueListItem current;
    QString* piece = &current.lower;
    for (const QChar character : text) {
        if (character == u',') {
            items.append(current);
            current = {};
            piece = &current.lower;
            continue;
        }
        if (character == u':') {
            if (current.range)
                current.malformed = true;
            current.range = true;
            piece = &current.upper;
            if (current.malformed)
                piece->clear();
            continue;
        }
        if (!current.malformed)
            piece->append(character);
    }
    items.append(current);
    return items;
}

std::optional<DecimalValue> readDecimal(const QString& text)
{
    qsizetype at = 0;
    DecimalValue value;
    if (at < text.size() && (text.at(at) == u'-' || text.at(at) == u'+')) {
        value.negative = text.at(at) == u'-';
        ++at;
    }
    const int integerDigits = digitRun(text, at);
    QString integer = text.mid(at, integerDigits);
    at += integerDigits;
    QString fraction;
    if (at < text.size() && text.at(at) == u'.') {
        ++at;
        const int fractionDigits = digitRun(text, at);
        fraction = text.mid(at, fractionDigits);
        at += fractionDigits;
    }
    if (at != text.size() || (integer.isEmpty() && fraction.isEmpty()))
        return std::nullopt;
    value.writtenDecimals = int(fraction.size());
    qsizetype firstSignificant = 0;
    while (firstSignificant < integer.size() && integer.at(firstSignificant) == u'0')
        ++firstSignificant;
    value.integer = integer.mid(firstSignificant);
    qsizetype lastSignificant = fraction.size();
    while (lastSignificant > 0 && fraction.at(lastSignificant - 1) == u'0')
        --lastSignificant;
    value.fraction = fraction.left(lastSignificant);
    if (value.isZero())
        value.negative = false;
    return value;
}

int compareDecimal(const DecimalValue& left, const DecimalValue& right)
{
    if (left.negative != right.negative)
        return left.negative ? -1 : 1;
    const int sign = left.negative ? -1 : 1;
    if (left.integer.size() != right.integer.size())
        return left.integer.size() < right.integer.size() ? -sign : sign;
    if (const int order = QString::compare(left.integer, right.integer); order != 0)
        return order < 0 ? -sign : sign;
    // Fractions compare digit by digit; a missing digit is a zero, and the
    // fractions hold no trailing zeros, so the shorter one is the smaller
    // when they agree as far as it goes.
    const qsizetype shared = std::min(left.fraction.size(), right.fraction.size());
    if (const int order = QString::compare(left.fraction.left(shared), right.fraction.left(shared)); order != 0)
        return order < 0 ? -sign : sign;
    if (left.fraction.size() == right.fraction.size())
        return 0;
    return left.fraction.size() < right.fraction.size() ? -sign : sign;
}

std::optional<QDate> readAttributeDate(const QString& text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    for (const QString& part : parts) {
        if (part.isEmpty() || digitRun(part, 0) != part.size())
            return std::nullopt;
    }
    const QString& day = parts.at(0);
    const QString& month = parts.at(1);
    const QString& year = parts.at(2);
    if (day.size() > 2 || month.size() > 2 || (year.size() != 2 && year.size() != 4))
        return std::nullopt;
    int fullYear = year.toInt();
    if (year.size() == 2)
        fullYear = expandTwoDigitYear(fullYear, QDate::currentDate());
    const QDate date(fullYear, month.toInt(), day.toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

bool matchesValidation(const QString& type, const QString& validation, const QString& value)
{
    if (validation.trimmed().isEmpty())
        return true;
    const TypedValue typedValue = typed(type, value);
    if (!typedValue.valid)
        return false;
    const QList<ValueListItem> items = splitValueList(validation);
    return std::any_of(items.begin(), items.end(),
                       [&](const ValueListItem& item) { return matchesItem(type, item, typedValue); });
}

QString PVALFUNA(const AttributeDefinition& definition, const QString& value)
{
    const QString written = withoutTrailingBlanks(value);
    if (written.isEmpty())
        return definition.mandatory ? u" es obligatorio."_s : QString();
    if (isText(definition.type) && written.size() > definition.length)
        return u" no puede tener más de "_s + QString::number(definition.length) + u" caracteres."_s;
    if (isNumeric(definition.type)) {
        QString number = written;
        number.replace(u',', u'.');
        const std::optional<DecimalValue> read = readDecimal(number);
        if (!read)
            return u" no es un número válido."_s;
        if (const QString limits = numberLimits(definition, *read, number.contains(u'.')); !limits.isEmpty())
            return limits;
    }
    if (isDate(definition.type) && !readAttributeDate(written))
        return u" no es una fecha válida."_s;
    if (!matchesValidation(definition.type, definition.validation, written))
        return u" tiene valor incorrecto."_s;
    return {};
}

QString checkCondition(const AttributeDefinition& definition, QString& condition)
{
    condition = condition.trimmed();
    if (definition.capitals)
        condition = condition.toUpper();
    if (condition.isEmpty())
        return {};
    for (const ValueListItem& item : splitValueList(condition)) {
        if (item.malformed)
            return item.lower.trimmed() + u":... no es un rango válido."_s;
        const QString lower = item.lower.trimmed();
        const QString upper = item.upper.trimmed();
        if (lower.isEmpty() && upper.isEmpty())
            return u"Falta un valor en la condición."_s;
        for (const QString& bound : {lower, upper}) {
            if (bound.isEmpty())
                continue;
            if (const QString message = checkConditionValue(definition, bound); !message.isEmpty())
                return message;
        }
    }
    return {};
}
