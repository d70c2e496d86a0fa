#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// Dates and times as the program shows and reads them.
//
// A date field that was never set holds the empty date, 1 January of the
// year 100, which is shown as "01/01/100" whatever the picture.
//
// Date pictures are made of "dd" (day), "mm" (month), "yy" or "yyyy" (year)
// and separators, in any case: "dd/mm/yy", "dd/mm/yyyy", "mm/yy". Time
// pictures use "hh", "nn" or "mm" (minutes, when next to hours or seconds)
// and "ss": "hh:mm:ss", "hh:nn", "hh:nn:ss". A backslash makes the next
// character literal ("yyyy-MM-dd hh\:nn\:ss"). Hours are always 24-hour.
//
// Two-digit years: a year written with one or two digits is placed in the
// hundred years that end twenty years after today's year. With today in
// 2026, "46" is 2046 and "47" is 1947. Years written with three or four
// digits are taken as written.

/// The date a date field holds when it has no value: 1 January of year 100
/// (the record-access layer keeps the same day as a QDateTime at midnight).
QDate emptyCalendarDate();

/// True for the empty date and for no date at all (a null QDate).
bool isEmptyDate(const QDate& date);

/// `date` through a date picture; the empty date (or no date) gives "01/01/100".
QString formatDate(const QDate& date, const QString& picture = QStringLiteral("dd/mm/yy"));

/// `time` through a time picture; no time gives an empty text.
QString formatTime(const QTime& time, const QString& picture = QStringLiteral("hh:mm:ss"));

/// A moment through a picture with date and time parts ("yyyy-MM-dd hh\:nn\:ss").
QString formatDateTime(const QDate& date, const QTime& time, const QString& picture);

/// The full year of a one- or two-digit year, in the window described above.
int expandTwoDigitYear(int year, const QDate& today);

/// What a date text said.
struct ParsedDate {
    QDate date = emptyCalendarDate();  ///< the empty date unless a date was read
    QTime time;                ///< a time written after the date, else null
    bool valid = false;        ///< false: the text is not a date ("Fecha inválida")
    bool empty = true;         ///< no date: a blank text, the empty date, or invalid
};

/// Reads a date typed by a person. Day, month and year come in the order of
/// the picture, separated by the first of "/", "-" and "." that the text
/// holds ("5/3/98", "05-03-1998", "5.3.98"); days and months may have one
/// digit; six or eight digits without separators are read by position.
/// Any picture reads a four-digit year. A text longer than ten characters
/// may carry a time after its first blank ("hh:nn:ss", "hh:nn" or "hh",
/// with an optional AM/PM mark); a time that cannot be read is ignored.
ParsedDate parseDate(const QString& text, const QString& picture = QStringLiteral("dd/mm/yy"),
                     const QDate& today = QDate::currentDate());

/// What a time text said.
struct ParsedTime {
    QTime time;           ///< null unless a time was read
    bool valid = false;   ///< false: the text is not a time ("Hora inválida")
    bool empty = true;    ///< a blank text or invalid
};

/// Reads a time typed by a person: "h", "h:m" or, when the picture has
/// seconds, "h:m:s", each part one or two digits, 24-hour or with "AM"/"PM".
ParsedTime parseTime(const QString& text, const QString& picture = QStringLiteral("hh:mm:ss"));

/// True when `picture` is a date picture (has a day, month-and-year or year part).
bool isDatePicture(const QString& picture);

/// True when `picture` is a time picture (has an hour part and no date part).
bool isTimePicture(const QString& picture);

/// The Spanish name of month 1 to 12 ("Setiembre" for 9); empty otherwise.
QString monthName(int month);

/// The Spanish name of a day of the week, numbered as QDate::dayOfWeek does
/// (1 "Lunes" ... 7 "Domingo"); empty otherwise.
QString dayName(int dayOfWeek);
