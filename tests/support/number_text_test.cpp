#include "support/number_text.h"

#include "date_printers.h"

#include <gtest/gtest.h>

TEST(NumberToText, WholeNumberForAuditTexts)
{
    EXPECT_EQ(numberToText(7, 10, 0), QStringLiteral("         7"));
    EXPECT_EQ(numberToText(7, 10, 0).trimmed(), QStringLiteral("7"));
    EXPECT_EQ(numberToText(0, 10, 0), QStringLiteral("         0"));
    EXPECT_EQ(numberToText(-45, 10, 0), QStringLiteral("       -45"));
}

TEST(NumberToText, DecimalsThatFitTheLength)
{
    // S is 5 (" 1234"), P is 6; 6 + 2 fits in 8.
    EXPECT_EQ(numberToText(1234.5678, 8, 2), QStringLiteral(" 1234.57"));
    // 6 + 2 exceeds 6 and S + 2 = 7 exceeds 6: no decimals.
    EXPECT_EQ(numberToText(1234.5678, 6, 2), QStringLiteral("  1235"));
    // 6 + 3 exceeds 8 but S + 2 fits: decimals become 8 - 5 - 1 = 2.
    EXPECT_EQ(numberToText(1234.5678, 8, 3), QStringLiteral(" 1234.57"));
    // A whole value keeps its decimals as zeros.
    EXPECT_EQ(numberToText(7, 10, 2), QStringLiteral("      7.00"));
    EXPECT_EQ(numberToText(0.5, 5, 2), QStringLiteral(" 0.50"));
    EXPECT_EQ(numberToText(-0.5, 5, 2), QStringLiteral("-0.50"));
}

TEST(NumberToText, RoundsHalvesAwayFromZeroOnTheDecimalValue)
{
    EXPECT_EQ(numberToText(12.5, 10, 0), QStringLiteral("        13"));
    EXPECT_EQ(numberToText(-12.5, 10, 0), QStringLiteral("       -13"));
    // 2.675 is stored just below 2.675; a person still expects 2.68.
    EXPECT_EQ(numberToText(2.675, 10, 2), QStringLiteral("      2.68"));
    EXPECT_EQ(numberToText(1.005, 10, 2), QStringLiteral("      1.01"));
    // A value that rounds to zero carries no sign.
    EXPECT_EQ(numberToText(-0.4, 3, 0), QStringLiteral("  0"));
}

TEST(NumberToText, ThousandAndMillionBoundaries)
{
    EXPECT_EQ(numberToText(999, 10, 0), QStringLiteral("       999"));
    EXPECT_EQ(numberToText(999.5, 10, 0), QStringLiteral("      1000"));
    EXPECT_EQ(numberToText(1000, 4, 0), QStringLiteral("1000"));
    EXPECT_EQ(numberToText(999999.5, 10, 0), QStringLiteral("   1000000"));
    EXPECT_EQ(numberToText(1000000, 7, 0), QStringLiteral("1000000"));
    EXPECT_EQ(numberToText(-1000000, 8, 0), QStringLiteral("-1000000"));
    EXPECT_EQ(numberToText(1000000.25, 11, 2), QStringLiteral(" 1000000.25"));
    EXPECT_EQ(numberToText(1000000.25, 10, 2), QStringLiteral(" 1000000.3"));
    EXPECT_EQ(numberToText(1000000.25, 9, 2), QStringLiteral("  1000000"));
}

TEST(NumberToText, NeverCutsDigitsOfTheIntegerPart)
{
    // The rounding carries into a new digit: the decimal goes, not a digit.
    EXPECT_EQ(numberToText(99.99, 5, 2), QStringLiteral("100.0"));
    EXPECT_EQ(numberToText(-99.99, 5, 2), QStringLiteral(" -100"));
    // Too wide for the length even without decimals: the whole number.
    EXPECT_EQ(numberToText(1000000, 6, 0), QStringLiteral("1000000"));
    EXPECT_EQ(numberToText(123456.7, 3, 2), QStringLiteral("123457"));
}

TEST(NumberToText, DecimalSeparatorOfTheWorkstation)
{
    EXPECT_EQ(numberToText(1234.5, 10, 2, u','), QStringLiteral("   1234,50"));
    EXPECT_EQ(numberToText(1234, 10, 0, u','), QStringLiteral("      1234"));
}
