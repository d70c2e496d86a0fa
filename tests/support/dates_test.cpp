#include "support/dates.h"

#include "date_printers.h"

#include <gtest/gtest.h>

namespace {

const QDate today(2026, 12, 6);

ParsedDate read(const char* text, const char* picture = "dd/mm/yy")
{
    return parseDate(QString::fromLatin1(text), QString::fromLatin1(picture), today);
}

} // namespace

TEST(EmptyDate, IsFirstOfJanuaryOfYearOneHundredAndShowsAsSuch)
{
    EXPECT_EQ(emptyCalendarDate(), QDate(100, 1, 1));
    EXPECT_TRUE(isEmptyDate(emptyCalendarDate()));
    EXPECT_TRUE(isEmptyDate(QDate()));
    EXPECT_FALSE(isEmptyDate(QDate(100, 1, 2)));
    EXPECT_EQ(formatDate(emptyCalendarDate()), QStringLiteral("01/01/100"));
    EXPECT_EQ(formatDate(emptyCalendarDate(), QStringLiteral("dd/mm/yyyy")), QStringLiteral("01/01/100"));
    EXPECT_EQ(formatDate(QDate()), QStringLiteral("01/01/100"));

    const ParsedDate shownEmpty = read("01/01/100");
    EXPECT_TRUE(shownEmpty.valid);
    EXPECT_TRUE(shownEmpty.empty);
}

TEST(FormatDate, DayMonthYearPictures)
{
    const QDate date(2024, 3, 5);
    EXPECT_EQ(formatDate(date), QStringLiteral("05/03/24"));
    EXPECT_EQ(formatDate(date, QStringLiteral("dd/mm/yyyy")), QStringLiteral("05/03/2024"));
    EXPECT_EQ(formatDate(date, QStringLiteral("DD-MM-YYYY")), QStringLiteral("05-03-2024"));
    EXPECT_EQ(formatDate(QDate(2000, 12, 31), QStringLiteral("dd.mm.yy")), QStringLiteral("31.12.00"));
    EXPECT_EQ(formatDate(QDate(1999, 1, 9), QStringLiteral("mm/yy")), QStringLiteral("01/99"));
}

TEST(FormatTime, TwentyFourHourClock)
{
    const QTime afternoon(15, 4, 9);
    EXPECT_EQ(formatTime(afternoon), QStringLiteral("15:04:09"));
    EXPECT_EQ(formatTime(afternoon, QStringLiteral("hh:nn")), QStringLiteral("15:04"));
    EXPECT_EQ(formatTime(afternoon, QStringLiteral("hh:nn:ss")), QStringLiteral("15:04:09"));
    EXPECT_EQ(formatTime(QTime(0, 0)), QStringLiteral("00:00:00"));
    EXPECT_EQ(formatTime(QTime()), QString());
    // "MM" is the month beside a date and minutes beside hours; "\" quotes.
    EXPECT_EQ(formatDateTime(QDate(2026, 7, 1), afternoon, QStringLiteral("yyyy-MM-dd hh\\:nn\\:ss")),
              QStringLiteral("2026-07-01 15:04:09"));
    EXPECT_EQ(formatDateTime(QDate(2026, 7, 1), afternoon, QStringLiteral("dd/mm/yy hh:mm")),
              QStringLiteral("01/07/26 15:04"));
}

TEST(ParseDate, ThreeSeparatorsAndOneDigitDaysAndMonths)
{
    for (const char* text : {"5/3/98", "05/03/98", "5-3-98", "05-03-1998", "5.3.98", "05.03.1998",
                             " 5/3/98 ", "050398", "05031998", "05/ 3/98"}) {
        const ParsedDate date = read(text);
        EXPECT_TRUE(date.valid) << text;
        EXPECT_FALSE(date.empty) << text;
        EXPECT_EQ(date.date, QDate(1998, 3, 5)) << text;
    }
    EXPECT_EQ(read("5/3/1998", "dd/mm/yyyy").date, QDate(1998, 3, 5));
    EXPECT_EQ(read("3/5/98", "mm/dd/yy").date, QDate(1998, 3, 5));
    EXPECT_EQ(read("1998-03-05", "yyyy-mm-dd").date, QDate(1998, 3, 5));
}

TEST(ParseDate, FourDigitYearsInATwoDigitPicture)
{
    // Generating holidays writes "01/01/" followed by the full year.
    EXPECT_EQ(read("01/01/2024").date, QDate(2024, 1, 1));
    EXPECT_EQ(read("31/12/1950").date, QDate(1950, 12, 31));
    EXPECT_EQ(read("25/12/2090").date, QDate(2090, 12, 25));
}

TEST(ParseDate, InvalidTextsGiveTheEmptyDateAndSaySo)
{
    for (const char* text : {"31/02/00", "00/01/2000", "29/02/2023", "32/01/20", "12/13/20", "0/0/0",
                             "garbage", "1/1", "1/1/1/1", "05/03-98", "5/3/98x", "-5/3/98", "5/3/",
                             "/3/98", "005/03/98", "05/03/12345", "01/01/0050", "0503", "0503199",
                             "5 3 98", "31/04/24"}) {
        const ParsedDate date = read(text);
        EXPECT_FALSE(date.valid) << text;
        EXPECT_TRUE(date.empty) << text;
        EXPECT_EQ(date.date, emptyCalendarDate()) << text;
    }
    EXPECT_TRUE(read("29/02/2024").valid);
    EXPECT_EQ(read("29/02/24").date, QDate(2024, 2, 29));
    EXPECT_FALSE(read("29/02/2100").valid);
    EXPECT_TRUE(read("29/02/2000").valid);
}

TEST(ParseDate, BlankTextsAreEmptyButValid)
{
    for (const char* text : {"", "   ", "  /  /  ", "/ /", "  -  -    "}) {
        const ParsedDate date = read(text);
        EXPECT_TRUE(date.valid) << text;
        EXPECT_TRUE(date.empty) << text;
        EXPECT_EQ(date.date, emptyCalendarDate()) << text;
    }
}

TEST(ParseDate, TwoDigitYearWindowEndsTwentyYearsAhead)
{
    EXPECT_EQ(read("01/01/00").date.year(), 2000);
    EXPECT_EQ(read("01/01/26").date.year(), 2026);
    EXPECT_EQ(read("31/12/46").date.year(), 2046);
    EXPECT_EQ(read("01/01/47").date.year(), 1947);
    EXPECT_EQ(read("01/01/99").date.year(), 1999);
    EXPECT_EQ(read("1/1/5").date.year(), 2005);

    // The window moves with today's year, also across a century.
    EXPECT_EQ(expandTwoDigitYear(46, QDate(2026, 1, 1)), 2046);
    EXPECT_EQ(expandTwoDigitYear(47, QDate(2026, 1, 1)), 1947);
    EXPECT_EQ(expandTwoDigitYear(47, QDate(2027, 1, 1)), 2047);
    EXPECT_EQ(expandTwoDigitYear(5, QDate(2085, 6, 1)), 2105);
    EXPECT_EQ(expandTwoDigitYear(6, QDate(2085, 6, 1)), 2006);
    EXPECT_EQ(expandTwoDigitYear(99, QDate(1999, 6, 1)), 1999);
    EXPECT_EQ(expandTwoDigitYear(19, QDate(1999, 6, 1)), 2019);
    EXPECT_EQ(expandTwoDigitYear(20, QDate(1999, 6, 1)), 1920);
}

TEST(ParseDate, TimeAfterTheDate)
{
    const ParsedDate seconds = read("05/03/1998 10:30:15");
    EXPECT_EQ(seconds.date, QDate(1998, 3, 5));
    EXPECT_EQ(seconds.time, QTime(10, 30, 15));
    EXPECT_EQ(read("5/3/98 10:30").time, QTime(10, 30));
    EXPECT_EQ(read("05/03/1998 10").time, QTime(10, 0));
    EXPECT_EQ(read("05/03/1998 10 PM").time, QTime(22, 0));
    EXPECT_EQ(read("05/03/1998 10pm").time, QTime(22, 0));
    EXPECT_EQ(read("05/03/1998 12 AM").time, QTime(0, 0));

    // A time that cannot be read is ignored; the date stands.
    const ParsedDate ignored = read("05/03/1998 tarde");
    EXPECT_TRUE(ignored.valid);
    EXPECT_EQ(ignored.date, QDate(1998, 3, 5));
    EXPECT_FALSE(ignored.time.isValid());
    EXPECT_FALSE(read("05/03/1998 25:00").time.isValid());
    EXPECT_FALSE(read("05/03/98").time.isValid());
}

TEST(ParseTime, HoursMinutesAndSecondsOfThePicture)
{
    EXPECT_EQ(parseTime(QStringLiteral("9:5"), QStringLiteral("hh:nn")).time, QTime(9, 5));
    EXPECT_EQ(parseTime(QStringLiteral("23:59:59")).time, QTime(23, 59, 59));
    EXPECT_EQ(parseTime(QStringLiteral("7")).time, QTime(7, 0));
    EXPECT_EQ(parseTime(QStringLiteral("7 pm"), QStringLiteral("hh:nn")).time, QTime(19, 0));
    EXPECT_EQ(parseTime(QStringLiteral("12:15 AM"), QStringLiteral("hh:nn")).time, QTime(0, 15));

    for (const char* wrong : {"24:00", "12:60", "10:00:60", "13 PM", "0 AM", "ab", "1:2:3:4", "-1:00", "10::"})
        EXPECT_FALSE(parseTime(QString::fromLatin1(wrong)).valid) << wrong;
    // Seconds in a picture without seconds are refused, not dropped.
    EXPECT_FALSE(parseTime(QStringLiteral("10:30:15"), QStringLiteral("hh:nn")).valid);
    EXPECT_TRUE(parseTime(QStringLiteral("10:30:15"), QStringLiteral("hh:nn:ss")).valid);

    for (const char* blank : {"", "  :  ", "  :  :  "}) {
        const ParsedTime time = parseTime(QString::fromLatin1(blank));
        EXPECT_TRUE(time.valid) << blank;
        EXPECT_TRUE(time.empty) << blank;
    }
}

TEST(DatePictures, TellDatesFromTimesFromOtherMasks)
{
    EXPECT_TRUE(isDatePicture(QStringLiteral("dd/mm/yy")));
    EXPECT_TRUE(isDatePicture(QStringLiteral("mm/yy")));
    EXPECT_FALSE(isDatePicture(QStringLiteral("hh:mm:ss")));
    EXPECT_TRUE(isTimePicture(QStringLiteral("hh:mm:ss")));
    EXPECT_TRUE(isTimePicture(QStringLiteral("hh:nn")));
    EXPECT_FALSE(isTimePicture(QStringLiteral("dd/mm/yy hh:nn")));
    for (const char* other : {"99/99", "!!!", "ZZ9.999"}) {
        EXPECT_FALSE(isDatePicture(QString::fromLatin1(other))) << other;
        EXPECT_FALSE(isTimePicture(QString::fromLatin1(other))) << other;
    }
}

TEST(Names, SpanishMonthsAndDays)
{
    EXPECT_EQ(monthName(9), QStringLiteral("Setiembre"));
    EXPECT_EQ(monthName(1), QStringLiteral("Enero"));
    EXPECT_EQ(monthName(12), QStringLiteral("Diciembre"));
    EXPECT_EQ(monthName(0), QString());
    EXPECT_EQ(monthName(13), QString());

    EXPECT_EQ(dayName(QDate(2026, 12, 6).dayOfWeek()), QStringLiteral("Domingo"));
    EXPECT_EQ(dayName(QDate(2026, 12, 7).dayOfWeek()), QStringLiteral("Lunes"));
    EXPECT_EQ(dayName(QDate(2026, 12, 9).dayOfWeek()), QStringLiteral("Miércoles"));
    EXPECT_EQ(dayName(QDate(2026, 12, 12).dayOfWeek()), QStringLiteral("Sábado"));
    EXPECT_EQ(dayName(0), QString());
    EXPECT_EQ(dayName(8), QString());
}
