#include "support/number_text.h"

#include "support/decimal_digits.h"

#include <cmath>

namespace {

/// The width of the integer part of `value` (truncated, not rounded) with
/// one position for its sign.
int integerWidthWithSign(double value)
{
    const auto digits = roundedDigits(std::trunc(value), 0);
    return 1 + int(digits ? digits->integer.size() : 1);
}

bool hasDecimalDigits(double value)
{
    return value != std::trunc(value);
}

int decimalsThatFit(double value, int length, int decimals)
{
    const int signedWidth = integerWidthWithSign(value);
    const int widthWithPoint = signedWidth + (hasDecimalDigits(value) ? 1 : 0);
    if (widthWithPoint + decimals > length)
        decimals = signedWidth + 2 <= length ? length - signedWidth - 1 : 0;
    return decimals < 0 ? 0 : decimals;
}

QString plainText(const DecimalDigits& digits, QChar decimalSeparator)
{
    QString text = digits.negative ? QStringLiteral("-") : QString();
    text += digits.integer;
    if (!digits.fraction.isEmpty())
        text += decimalSeparator + digits.fraction;
    return text;
}

} // namespace

QString numberToText(double value, int length, int decimals, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return QString(qMax(length, 1), u'*');

    int places = decimalsThatFit(value, length, decimals);
    QString text = plainText(*roundedDigits(value, places), decimalSeparator);
    // Rounding can carry into a new integer digit (99.99 -> 100.0); give up
    // decimals rather than digits of the integer part.
    while (text.size() > length && places > 0) {
        --places;
        text = plainText(*roundedDigits(value, places), decimalSeparator);
    }
    if (text.size() >= length)
        return text;
    return QString(length - text.size(), u' ') + text;
}
