#include "support/picture.h"

#include "date_printers.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cmath>

namespace {

QString shown(const char* picture, double value, SignRoom sign = SignRoom::Omit)
{
    return Picture(QString::fromLatin1(picture)).format(value, sign);
}

PictureValue typed(const char* picture, const QString& text)
{
    return Picture(QString::fromLatin1(picture)).parse(text);
}

} // namespace

TEST(PictureKind, EachPictureInUseIsReadAsItsKind)
{
    for (const char* number : {"9", "Z9", "ZZ9", "ZZZ9", "ZZZZZZZZZZZZZZ9", "ZZ9.999", "ZZ9.999999",
                               "ZZZZ9.9999999", "ZZZ,ZZ9.99", "ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"})
        EXPECT_EQ(Picture(QString::fromLatin1(number)).kind(), Picture::Kind::Number) << number;
    for (const char* text : {"!", "!!!", "!!!!!!!!!!!!!!!!!!!!", "99/99"})
        EXPECT_EQ(Picture(QString::fromLatin1(text)).kind(), Picture::Kind::Text) << text;
    for (const char* date : {"dd/mm/yy", "dd/mm/yyyy", "DD/MM/YY"})
        EXPECT_EQ(Picture(QString::fromLatin1(date)).kind(), Picture::Kind::Date) << date;
    for (const char* time : {"hh:mm:ss", "hh:nn", "hh:nn:ss"})
        EXPECT_EQ(Picture(QString::fromLatin1(time)).kind(), Picture::Kind::Time) << time;

    const Picture amounts(QStringLiteral("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"));
    EXPECT_EQ(amounts.integerDigits(), 12);
    EXPECT_EQ(amounts.decimals(), 5);
    EXPECT_EQ(amounts.width(), 21);
    EXPECT_EQ(Picture(QStringLiteral("dd/mm/yyyy")).width(), 10);
    EXPECT_EQ(Picture(QStringLiteral("hh:nn")).width(), 5);
}

TEST(PictureFormat, WholeNumbersSuppressLeadingZerosUpToTheFirstNine)
{
    EXPECT_EQ(shown("9", 0), QStringLiteral("0"));
    EXPECT_EQ(shown("9", 7), QStringLiteral("7"));
    EXPECT_EQ(shown("Z9", 0), QStringLiteral(" 0"));
    EXPECT_EQ(shown("Z9", 5), QStringLiteral(" 5"));
    EXPECT_EQ(shown("Z9", 42), QStringLiteral("42"));
    EXPECT_EQ(shown("ZZ9", 0), QStringLiteral("  0"));
    EXPECT_EQ(shown("ZZ9", 7), QStringLiteral("  7"));
    EXPECT_EQ(shown("ZZ9", 123), QStringLiteral("123"));
    EXPECT_EQ(shown("ZZZ9", 9999), QStringLiteral("9999"));
    EXPECT_EQ(shown("ZZZZZ9", 12), QStringLiteral("    12"));
    EXPECT_EQ(shown("ZZZZZZZZZZZZZZ9", 0), QString(14, u' ') + u'0');
    EXPECT_EQ(shown("ZZZZZZZZZZZZZZ9", 123456789012345.0), QStringLiteral("123456789012345"));
    // Nines only: leading zeros stay.
    EXPECT_EQ(shown("999", 7), QStringLiteral("007"));
    EXPECT_EQ(shown("99", 0), QStringLiteral("00"));
}

TEST(PictureFormat, FractionsAreRoundedToThePicture)
{
    EXPECT_EQ(shown("9", 2.5), QStringLiteral("3"));
    EXPECT_EQ(shown("ZZ9", 12.4), QStringLiteral(" 12"));
    EXPECT_EQ(shown("ZZ9", 12.5), QStringLiteral(" 13"));
    EXPECT_EQ(shown("ZZ9.999", 0), QStringLiteral("  0.000"));
    EXPECT_EQ(shown("ZZ9.999", 12.3455), QStringLiteral(" 12.346"));
    EXPECT_EQ(shown("ZZ9.9999", 1.00005), QStringLiteral("  1.0001"));
    EXPECT_EQ(shown("ZZ9.999999", 0.1234567), QStringLiteral("  0.123457"));
    EXPECT_EQ(shown("ZZZZZ9.9999", 123456.78), QStringLiteral("123456.7800"));
    EXPECT_EQ(shown("ZZZZ9.9999999", 1.5), QStringLiteral("    1.5000000"));
}

TEST(PictureFormat, ThousandsShowOnlyBetweenShownDigits)
{
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 0), QStringLiteral("      0.00"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 12), QStringLiteral("     12.00"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 999.999), QStringLiteral("  1,000.00"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 1234.5), QStringLiteral("  1,234.50"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 999999.99), QStringLiteral("999,999.99"));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZ9.99999", 1234567.123456), QStringLiteral("  1,234,567.12346"));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZ9.99999", 1000000), QStringLiteral("  1,000,000.00000"));
}

TEST(PictureFormat, TrailingZDecimalsShowTheirZerosAsBlanks)
{
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 0), QString(14, u' ') + QStringLiteral("0.00   "));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 1234.5), QString(10, u' ') + QStringLiteral("1,234.50   "));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 1.234), QString(14, u' ') + QStringLiteral("1.234  "));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 1.23456), QString(14, u' ') + QStringLiteral("1.23456"));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 1.234567), QString(14, u' ') + QStringLiteral("1.23457"));
    EXPECT_EQ(shown("ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ", 123456789012.5),
              QStringLiteral("123,456,789,012.50   "));
}

TEST(PictureFormat, NegativesCarryTheirSignBeforeTheFirstDigit)
{
    EXPECT_EQ(shown("9", -3), QStringLiteral("-3"));
    EXPECT_EQ(shown("Z9", -5), QStringLiteral(" -5"));
    EXPECT_EQ(shown("Z9", -42), QStringLiteral("-42"));
    EXPECT_EQ(shown("ZZ9", -7), QStringLiteral("  -7"));
    EXPECT_EQ(shown("999", -7), QStringLiteral("-007"));
    EXPECT_EQ(shown("ZZ9.999", -1.5), QStringLiteral("  -1.500"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", -1234.5), QStringLiteral("  -1,234.50"));
    // Rounded to zero, a negative value is just zero.
    EXPECT_EQ(shown("ZZ9", -0.4), QStringLiteral("  0"));
    EXPECT_EQ(shown("ZZ9.99", -0.001), QStringLiteral("  0.00"));
}

TEST(PictureFormat, RoomForTheSignLinesNumbersUp)
{
    EXPECT_EQ(shown("ZZ9", 5, SignRoom::Blank), QStringLiteral("   5"));
    EXPECT_EQ(shown("ZZ9", -5, SignRoom::Blank), QStringLiteral("  -5"));
    EXPECT_EQ(shown("ZZ9", 0, SignRoom::Blank), QStringLiteral("   0"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 1234.5, SignRoom::Blank).size(),
              shown("ZZZ,ZZ9.99", -1234.5, SignRoom::Blank).size());
}

TEST(PictureFormat, TooLargeForThePictureShowsStarsNotPartOfTheNumber)
{
    EXPECT_EQ(shown("9", 12), QStringLiteral("*"));
    EXPECT_EQ(shown("Z9", 100), QStringLiteral("**"));
    EXPECT_EQ(shown("Z9", -100), QStringLiteral("***"));
    EXPECT_EQ(shown("ZZ9", 1000), QStringLiteral("***"));
    EXPECT_EQ(shown("ZZZ9", 10000), QStringLiteral("****"));
    EXPECT_EQ(shown("ZZZZZZZZZZZZZZ9", 1e15), QString(15, u'*'));
    // Rounding can carry the value out of the picture.
    EXPECT_EQ(shown("ZZ9.999", 999.9996), QStringLiteral("*******"));
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 999999.995), QStringLiteral("**********"));
    EXPECT_EQ(shown("ZZ9", 1000, SignRoom::Blank), QStringLiteral("****"));
    EXPECT_EQ(shown("ZZ9", std::nan("")), QStringLiteral("***"));
    EXPECT_EQ(shown("ZZ9", INFINITY), QStringLiteral("***"));
}

TEST(PictureFormat, WorkstationSeparators)
{
    const Picture amounts(QStringLiteral("ZZZ,ZZ9.99"), Separators{u',', u'.'});
    EXPECT_EQ(amounts.format(1234.5), QStringLiteral("  1.234,50"));
    EXPECT_EQ(amounts.parse(amounts.format(1234.5)).number, 1234.5);
}

TEST(PictureParse, NumbersAsAPersonTypesThem)
{
    const Picture amounts(QStringLiteral("ZZZ,ZZ9.99"));
    const struct {
        const char* text;
        double value;
    } accepted[] = {
        {"1234.5", 1234.5},   {"1,234.50", 1234.5}, {"1.234,50", 1234.5}, {"1234,5", 1234.5},
        {"12,34", 12.34},     {"1,234", 1234},      {"1.234", 1234},      {"-12", -12},
        {"+3", 3},            {"- 3", -3},          {"  7  ", 7},         {".5", 0.5},
        {"5.", 5},            {"0001", 1},          {"999999.99", 999999.99},
        {"1.50", 1.5},        {"2.500", 2500},
    };
    for (const auto& sample : accepted) {
        const PictureValue value = amounts.parse(QString::fromLatin1(sample.text));
        EXPECT_TRUE(value.valid) << sample.text << ": " << value.error.toStdString();
        EXPECT_FALSE(value.empty) << sample.text;
        EXPECT_DOUBLE_EQ(value.number, sample.value) << sample.text;
    }
}

TEST(PictureParse, RefusesWhatDoesNotFitWithASpanishReason)
{
    EXPECT_EQ(typed("ZZZ,ZZ9.99", QStringLiteral("1234567")).error,
              QStringLiteral("El número no puede tener más de 6 cifras enteras"));
    EXPECT_EQ(typed("9", QStringLiteral("10")).error,
              QStringLiteral("El número no puede tener más de 1 cifra entera"));
    EXPECT_EQ(typed("ZZZ,ZZ9.99", QStringLiteral("1.2345")).error,
              QStringLiteral("El número no puede tener más de 2 decimales"));
    EXPECT_EQ(typed("ZZ9", QStringLiteral("12.5")).error,
              QStringLiteral("El número no puede tener decimales"));
    // Without thousands in the picture a single point is a decimal point.
    EXPECT_EQ(typed("ZZZ9", QStringLiteral("1.234")).error,
              QStringLiteral("El número no puede tener decimales"));
    for (const char* garbage : {"12a", "1e5", "abc", "-", ".", "1,2,3", "1..2", "1.2.3,4",
                                "12,34.5,6", "--1", "1-", "0x10", "١٢"}) {
        const PictureValue value = typed("ZZZ,ZZ9.99", QString::fromUtf8(garbage));
        EXPECT_FALSE(value.valid) << garbage;
        EXPECT_EQ(value.error, QStringLiteral("Número inválido")) << garbage;
    }
}

TEST(PictureParse, TrailingZerosAndLeadingZerosDoNotCountAsDigits)
{
    EXPECT_TRUE(typed("ZZ9", QStringLiteral("12.0")).valid);
    EXPECT_TRUE(typed("ZZ9", QStringLiteral("00012")).valid);
    EXPECT_DOUBLE_EQ(typed("ZZ9.9", QStringLiteral("0.10")).number, 0.1);
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZZ,ZZ9.99999", QStringLiteral("1,234,567.12345")).number,
                     1234567.12345);
}

TEST(PictureParse, BlankTextIsEmptyNotInvalid)
{
    for (const char* picture : {"ZZ9", "!!!", "99/99"}) {
        const PictureValue value = typed(picture, QStringLiteral("   "));
        EXPECT_TRUE(value.valid) << picture;
        EXPECT_TRUE(value.empty) << picture;
    }
    EXPECT_EQ(typed("ZZ9", QString()).number, 0);
}

TEST(PictureParse, WhatIsShownReadsBackAsTheSameNumber)
{
    for (const char* picture : {"Z9", "ZZ9.999", "ZZZZZ9.9999", "ZZZ,ZZ9.99", "ZZZ,ZZZ,ZZ9.99999",
                                "ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"}) {
        const Picture mask(QString::fromLatin1(picture));
        for (double value : {0.0, 1.5, -12.25, 42.0, 99.125}) {
            const QString text = mask.format(value);
            const PictureValue back = mask.parse(text);
            EXPECT_TRUE(back.valid) << picture << " " << text.toStdString();
            EXPECT_DOUBLE_EQ(back.number, mask.parse(mask.format(back.number)).number) << picture;
            EXPECT_NEAR(back.number, value, 0.5 * std::pow(10.0, -mask.decimals())) << picture;
        }
    }
}

TEST(PictureText, BangUpperCasesAndLimitsTheLength)
{
    EXPECT_EQ(Picture(QStringLiteral("!")).format(QStringLiteral("a")), QStringLiteral("A"));
    EXPECT_EQ(Picture(QStringLiteral("!!!")).format(QStringLiteral("hello")), QStringLiteral("HEL"));
    EXPECT_EQ(Picture(QStringLiteral("!!!")).format(QStringLiteral("añ")), QStringLiteral("AÑ"));

    const PictureValue code = typed("!!!", QStringLiteral("ab "));
    EXPECT_TRUE(code.valid);
    EXPECT_EQ(code.text, QStringLiteral("AB"));

    const PictureValue tooLong = typed("!!!", QStringLiteral("abcd"));
    EXPECT_FALSE(tooLong.valid);
    EXPECT_EQ(tooLong.error, QStringLiteral("El texto no puede tener más de 3 caracteres"));
    EXPECT_EQ(typed("!", QStringLiteral("ab")).error,
              QStringLiteral("El texto no puede tener más de 1 carácter"));

    const QString twenty(20, u'x');
    EXPECT_EQ(typed("!!!!!!!!!!!!!!!!!!!!", twenty).text, QString(20, u'X'));
    EXPECT_FALSE(typed("!!!!!!!!!!!!!!!!!!!!", twenty + u'x').valid);
}

TEST(PictureText, DayAndMonthMask)
{
    const Picture dayMonth(QStringLiteral("99/99"));
    EXPECT_EQ(dayMonth.parse(QStringLiteral("25/12")).text, QStringLiteral("25/12"));
    EXPECT_EQ(dayMonth.parse(QStringLiteral("1/5")).text, QStringLiteral("01/05"));
    EXPECT_EQ(dayMonth.parse(QStringLiteral("0105")).text, QStringLiteral("01/05"));
    EXPECT_EQ(dayMonth.parse(QStringLiteral(" 1/ 5")).text, QStringLiteral("01/05"));
    for (const char* wrong : {"ab/cd", "123/4", "1/2/3", "12345", "/5", "1a/05"}) {
        const PictureValue value = dayMonth.parse(QString::fromLatin1(wrong));
        EXPECT_FALSE(value.valid) << wrong;
        EXPECT_EQ(value.error, QStringLiteral("Valor inválido")) << wrong;
    }
    EXPECT_TRUE(dayMonth.parse(QStringLiteral("  /  ")).empty);
    EXPECT_EQ(dayMonth.format(QStringLiteral("2512")), QStringLiteral("25/12"));
    EXPECT_EQ(dayMonth.format(QStringLiteral("25/12")), QStringLiteral("25/12"));
    EXPECT_EQ(dayMonth.format(QString()), QStringLiteral("  /  "));
}

TEST(PictureText, NumberAndDateTextsAreShownThroughThePicture)
{
    EXPECT_EQ(Picture(QStringLiteral("ZZZ,ZZ9.99")).format(QStringLiteral("1234,5")),
              QStringLiteral("  1,234.50"));
    EXPECT_EQ(Picture(QStringLiteral("ZZ9")).format(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(Picture(QStringLiteral("dd/mm/yyyy")).format(QStringLiteral("5/3/1998")),
              QStringLiteral("05/03/1998"));
    EXPECT_EQ(Picture(QStringLiteral("dd/mm/yy")).format(QString()), QStringLiteral("01/01/100"));
    EXPECT_EQ(Picture(QStringLiteral("hh:nn")).format(QStringLiteral("9:5")), QStringLiteral("09:05"));
}

TEST(PictureDates, DateAndTimePicturesParseThroughTheDateRules)
{
    const QDate today(2026, 12, 6);
    const PictureValue date = Picture(QStringLiteral("dd/mm/yy")).parse(QStringLiteral("5/3/98"), today);
    EXPECT_TRUE(date.valid);
    EXPECT_EQ(date.date, QDate(1998, 3, 5));

    const PictureValue wrong = Picture(QStringLiteral("dd/mm/yy")).parse(QStringLiteral("31/02/00"), today);
    EXPECT_FALSE(wrong.valid);
    EXPECT_TRUE(wrong.empty);
    EXPECT_EQ(wrong.error, QStringLiteral("Fecha inválida"));

    const PictureValue time = Picture(QStringLiteral("hh:nn")).parse(QStringLiteral("25:00"));
    EXPECT_FALSE(time.valid);
    EXPECT_EQ(time.error, QStringLiteral("Hora inválida"));
    EXPECT_EQ(Picture(QStringLiteral("hh:mm:ss")).format(QTime(8, 5, 3)), QStringLiteral("08:05:03"));
    EXPECT_EQ(Picture(QStringLiteral("dd/mm/yyyy")).format(QDate(2024, 2, 29)), QStringLiteral("29/02/2024"));
}

namespace {

// The workstation's separators come from the system locale, which the test
// main pins: "C" in every run, "es_UY.UTF-8" in the run CTest names
// WorkstationLocale.Uruguay.
bool uruguayanWorkstation()
{
    return QLocale::system().decimalPoint() == QStringLiteral(",");
}

} // namespace

TEST(WorkstationLocale, APlainWorkstationWritesDecimalPoints)
{
    if (uruguayanWorkstation())
        GTEST_SKIP() << "the system locale writes decimal commas";
    EXPECT_EQ(Separators::workstation().decimal, u'.');
    EXPECT_EQ(Separators::workstation().thousands, u',');
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 1234.56), QStringLiteral("  1,234.56"));
    EXPECT_EQ(shown("ZZ9.999999", 2.5), QStringLiteral("  2.500000"));
    // A lone "," before three digits groups thousands even where three
    // decimals would fit; a lone "." is the point.
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZZ,ZZ9.99999", QStringLiteral("1,234")).number, 1234);
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZZ,ZZ9.99999", QStringLiteral("1.234")).number, 1.234);
}

TEST(WorkstationLocale, AUruguayanWorkstationWritesDecimalCommas)
{
    if (!uruguayanWorkstation())
        GTEST_SKIP() << "the system locale writes decimal points; CTest runs this under es_UY";
    EXPECT_EQ(QLocale::system().name(), QStringLiteral("es_UY"));
    EXPECT_EQ(Separators::workstation().decimal, u',');
    EXPECT_EQ(Separators::workstation().thousands, u'.');
    EXPECT_EQ(shown("ZZZ,ZZ9.99", 1234.56), QStringLiteral("  1.234,56"));
    EXPECT_EQ(shown("ZZ9.999999", 2.5), QStringLiteral("  2,500000"));
    // What the workstation shows reads back, and so does what its user types.
    const Picture amounts(QStringLiteral("ZZZ,ZZ9.99"));
    EXPECT_DOUBLE_EQ(amounts.parse(amounts.format(1234.56)).number, 1234.56);
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZ9.99", QStringLiteral("12,5")).number, 12.5);
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZZ,ZZ9.99999", QStringLiteral("1.234")).number, 1234);
    EXPECT_DOUBLE_EQ(typed("ZZZ,ZZZ,ZZ9.99999", QStringLiteral("1,234")).number, 1.234);
}
