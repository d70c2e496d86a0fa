#include "support/decimal_digits.h"

#include <charconv>
#include <cmath>

namespace {

/// Adds one to the last digit of `digits`, carrying to the left; returns
/// true when the carry runs out of the leftmost digit ("99" -> "00", true).
bool incrementDigits(QString& digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return false;
        }
        digits[i] = u'0';
    }
    return true;
}

QString withoutLeadingZeros(const QString& digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0')
        ++first;
    return digits.mid(first);
}

} // namespace

bool DecimalDigits::isZero() const
{
    auto allZero = [](const QString& digits) {
        for (QChar digit : digits) {
            if (digit != u'0')
                return false;
        }
        return true;
    };
    return allZero(integer) && allZero(fraction);
}

std::optional<DecimalDigits> roundedDigits(double value, int decimals)
{
    if (!std::isfinite(value))
        return std::nullopt;
    if (decimals < 0)
        decimals = 0;

    // The largest double needs 309 integer digits in fixed notation.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::fixed);
    const QString text = QString::fromLatin1(buffer, written.ptr - buffer);

    const qsizetype point = text.indexOf(u'.');
    QString integer = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);

    bool roundUp = false;
    if (fraction.size() > decimals) {
        roundUp = fraction[decimals] >= u'5';
        fraction.truncate(decimals);
    }
    while (fraction.size() < decimals)
        fraction.append(u'0');

    if (roundUp) {
        QString digits = integer + fraction;
        if (incrementDigits(digits))
            digits.prepend(u'1');
        integer = digits.left(digits.size() - decimals);
        fraction = digits.right(decimals);
    }

    DecimalDigits result;
    result.integer = withoutLeadingZeros(integer.isEmpty() ? QStringLiteral("0") : integer);
    result.fraction = fraction;
    result.negative = value < 0 && !result.isZero();
    return result;
}
