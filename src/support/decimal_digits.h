#pragma once

#include <QString>

#include <optional>

/// A number written in decimal digits: what both the pictures and the number
/// texts show, before any blanks, separators or sign are put around it.
struct DecimalDigits {
    QString integer;    ///< without leading zeros; "0" below one
    QString fraction;   ///< exactly the asked number of decimals
    bool negative = false;  ///< false for a value that rounds to zero

    bool isZero() const;
};

/// |value| rounded to `decimals` places, halves away from zero. The rounding
/// works on the shortest decimal text that reads back as the same double, so
/// 1.005 rounds to 1.01 as a person expects, not to 1.00 as its binary value
/// would. Returns nothing for infinities and NaN.
std::optional<DecimalDigits> roundedDigits(double value, int decimals);
