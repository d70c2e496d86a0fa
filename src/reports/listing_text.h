#pragma once

#include <QDateTime>
#include <QString>

// The few display masks the listing frame needs, applied the way the rest of
// the program shows values: "ZZZZZ9" and "ZZ9" for whole numbers, "!!!...!"
// for upper-case texts of fixed room, "dd/mm/yy" and "hh:mm:ss" for the issue
// date and time.
namespace ListingText {

/// A whole number through a picture of "Z" and "9" positions (and ","
/// separators): "Z" shows a leading zero as a blank, "9" always shows the
/// digit. The result is as wide as the picture; a number too wide for it is
/// shown whole rather than cut.
QString number(qint64 value, const QString& picture);
/// A text through a picture of "!" positions: upper case, cut to the room.
QString upperText(const QString& text, const QString& picture);
/// "dd/mm/yy".
QString date(const QDate& date);
/// "hh:mm:ss", 24-hour clock.
QString time(const QTime& time);

}  // namespace ListingText
