#include "reports/listing_text.h"

#include <QRegularExpression>
#include <cassert>

namespace ListingText {

namespace {

[[maybe_unused]] bool isNumberPicture(const QString& picture)
{
    for (QChar position : picture) {
        if (position != 'Z' && position != '9' && position != ',')
            return false;
    }
    return !picture.isEmpty();
}

}  // namespace

QString number(qint64 value, const QString& picture)
{
    assert(isNumberPicture(picture) && "a whole-number picture holds only Z, 9 and ,");
    const bool negative = value < 0;
    // The magnitude as text; qint64's smallest value has no positive twin,
    // so go through an unsigned value.
    const quint64 magnitude = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    const QString digits = QString::number(magnitude);

    // Fill the picture from the right: each digit position takes the next
    // digit, or a blank ("Z") or zero ("9") once the digits run out.
    QString shown(picture.size(), ' ');
    qsizetype next = digits.size() - 1;
    for (qsizetype position = picture.size() - 1; position >= 0; --position) {
        const QChar mask = picture.at(position);
        if (mask == ',') {
            // A separator shows only between digits that are shown.
            const bool digitOnTheLeft = next >= 0 || picture.left(position).contains('9');
            shown[position] = digitOnTheLeft ? QChar(',') : QChar(' ');
            continue;
        }
        if (next >= 0) {
            shown[position] = digits.at(next--);
            continue;
        }
        // A "9" keeps every position to its left as a digit too: leading
        // zeros are suppressed only up to the first "9".
        shown[position] = picture.left(position + 1).contains('9') ? QChar('0') : QChar(' ');
    }
    if (next >= 0) {
        // Too wide for the picture: show every digit rather than a wrong
        // number with its leading digits cut off.
        shown = digits;
    }
    if (!negative)
        return shown;
    const qsizetype firstDigit = shown.indexOf(QRegularExpression(QStringLiteral("[0-9]")));
    if (firstDigit > 0 && shown.at(firstDigit - 1) == ' ') {
        shown[firstDigit - 1] = '-';
        return shown;
    }
    return '-' + shown;
}

QString upperText(const QString& text, const QString& picture)
{
    return text.left(picture.size()).toUpper();
}

QString date(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yy"));
}

QString time(const QTime& time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace ListingText
