#pragma once

#include <QChar>
#include <QString>

/// `value` as a text of `length` characters, right-aligned, for audit
/// sentences and listings.
///
/// The decimals that fit are worked out first: with S the width of the
/// integer part including its sign position (a blank or "-") and P = S + 1
/// when the value has decimal digits, a P + decimals beyond `length` lowers
/// the decimals to length - S - 1 when S + 2 fits in `length`, and to none
/// otherwise. The value is then rounded (halves away from zero) and written
/// without leading zeros ("0" below one), the decimals padded with zeros,
/// "." replaced by `decimalSeparator`.
///
/// A number whose digits cannot fit in `length` is never cut: decimals are
/// dropped first and, when even the whole number is too wide, the text is
/// the whole number, longer than `length`.
QString numberToText(double value, int length, int decimals, QChar decimalSeparator = u'.');
