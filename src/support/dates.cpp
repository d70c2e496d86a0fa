#include "support/dates.h"

#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <cassert>

namespace {

enum class DatePart { Literal, Day, Month, ShortYear, LongYear, Hour, Minute, Second };

struct PictureToken {
    DatePart part = DatePart::Literal;
    QChar literal;
    int width = 0;  ///< letters in the picture: "d" is 1, "dd" is 2
};

bool isLiteral(const PictureToken& token)
{
    return token.part == DatePart::Literal;
}

/// "m" means minutes next to an hour or before seconds, the month elsewhere.
void resolveMinutes(QList<PictureToken>& tokens, const QList<qsizetype>& ambiguous)
{
    for (qsizetype index : ambiguous) {
        auto previous = index - 1;
        while (previous >= 0 && isLiteral(tokens[previous]))
            --previous;
        auto next = index + 1;
        while (next < tokens.size() && isLiteral(tokens[next]))
            ++next;
        const bool afterHour = previous >= 0 && tokens[previous].part == DatePart::Hour;
        const bool beforeSecond = next < tokens.size() && tokens[next].part == DatePart::Second;
        if (afterHour || beforeSecond)
            tokens[index].part = DatePart::Minute;
    }
}

QList<PictureToken> tokenize(const QString& picture)
{
    static const QString partLetters = QStringLiteral("dmyhns");
    QList<PictureToken> tokens;
    QList<qsizetype> ambiguous;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        const QChar letter = picture[i].toLower();
        if (letter == u'\\') {
            if (i + 1 < picture.size())
                tokens.append({DatePart::Literal, picture[++i], 1});
            continue;
        }
        if (!partLetters.contains(letter)) {
            tokens.append({DatePart::Literal, picture[i], 1});
            continue;
        }
        int width = 1;
        while (i + 1 < picture.size() && picture[i + 1].toLower() == letter) {
            ++width;
            ++i;
        }
        PictureToken token{DatePart::Literal, QChar(), width};
        switch (letter.unicode()) {
        case u'd': token.part = DatePart::Day; break;
        case u'm': token.part = DatePart::Month; ambiguous.append(tokens.size()); break;
        case u'y': token.part = width >= 3 ? DatePart::LongYear : DatePart::ShortYear; break;
        case u'h': token.part = DatePart::Hour; break;
        case u'n': token.part = DatePart::Minute; break;
        case u's': token.part = DatePart::Second; break;
        }
        tokens.append(token);
    }
    resolveMinutes(tokens, ambiguous);
    return tokens;
}

bool hasPart(const QList<PictureToken>& tokens, DatePart part)
{
    for (const auto& token : tokens) {
        if (token.part == part)
            return true;
    }
    return false;
}

bool hasDatePart(const QList<PictureToken>& tokens)
{
    return hasPart(tokens, DatePart::Day) || hasPart(tokens, DatePart::ShortYear)
        || hasPart(tokens, DatePart::LongYear);
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QChar(u'0'));
}

QString formatTokens(const QList<PictureToken>& tokens, const QDate& date, const QTime& time)
{
    QString text;
    for (const auto& token : tokens) {
        const int width = qMin(token.width, 2);
        switch (token.part) {
        case DatePart::Literal: text += token.literal; break;
        case DatePart::Day: text += padded(date.day(), width); break;
        case DatePart::Month: text += padded(date.month(), width); break;
        case DatePart::ShortYear: text += padded(date.year() % 100, 2); break;
        case DatePart::LongYear: text += padded(date.year(), 4); break;
        case DatePart::Hour: text += padded(time.hour(), width); break;
        case DatePart::Minute: text += padded(time.minute(), width); break;
        case DatePart::Second: text += padded(time.second(), width); break;
        }
    }
    return text;
}

/// The order in which day, month and year are written in `picture`.
QList<DatePart> dateOrder(const QString& picture)
{
    QList<DatePart> order;
    for (const auto& token : tokenize(picture)) {
        DatePart part = token.part;
        if (part == DatePart::LongYear)
            part = DatePart::ShortYear;
        const bool isDateField = part == DatePart::Day || part == DatePart::Month
            || part == DatePart::ShortYear;
        if (isDateField && !order.contains(part))
            order.append(part);
    }
    if (order.isEmpty())
        order = {DatePart::Day, DatePart::Month, DatePart::ShortYear};
    return order;
}

bool isAllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar character : text) {
        if (character < u'0' || character > u'9')
            return false;
    }
    return true;
}

/// The fields of a date text, split at its separator or, for a text of
/// digits only, by position. Empty when the text cannot be split.
QStringList dateFields(const QString& text, const QList<DatePart>& order)
{
    for (QChar separator : {u'/', u'-', u'.'}) {
        if (!text.contains(separator))
            continue;
        QStringList fields = text.split(separator);
        for (auto& field : fields)
            field = field.trimmed();
        return fields;
    }
    if (!isAllDigits(text))
        return {};
    const qsizetype dayAndMonthDigits = 2 * (order.size() - (order.contains(DatePart::ShortYear) ? 1 : 0));
    const qsizetype yearDigits = text.size() - dayAndMonthDigits;
    const bool yearFits = order.contains(DatePart::ShortYear) ? (yearDigits == 2 || yearDigits == 4)
                                                              : yearDigits == 0;
    if (!yearFits)
        return {};
    QStringList fields;
    qsizetype position = 0;
    for (DatePart part : order) {
        const qsizetype width = part == DatePart::ShortYear ? yearDigits : 2;
        fields.append(text.mid(position, width));
        position += width;
    }
    return fields;
}

/// Hour, minutes and seconds of a time text; `withSeconds` allows the third part.
std::optional<QTime> readTime(const QString& text, bool withSeconds)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?\\s*([AaPp][Mm]?)?$"));
    const auto match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    if (match.hasCaptured(3) && !withSeconds)
        return std::nullopt;
    int hour = match.captured(1).toInt();
    const int minute = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
    const int second = match.hasCaptured(3) ? match.captured(3).toInt() : 0;
    if (match.hasCaptured(4)) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        const bool afternoon = match.captured(4).front().toUpper() == u'P';
        hour = hour % 12 + (afternoon ? 12 : 0);
    }
    const QTime time(hour, minute, second);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

/// The time written after a date: "hh:nn:ss", "hh:nn" or a two-digit hour.
std::optional<QTime> readTimeAfterDate(const QString& text)
{
    static const QRegularExpression withSeconds(QStringLiteral("^\\d.*:\\d.*:\\d.*$"));
    static const QRegularExpression withMinutes(QStringLiteral("^\\d.*:\\d.*$"));
    static const QRegularExpression hourOnly(QStringLiteral("^\\d\\d( ?[AaPp].*)?$"));
    if (withSeconds.match(text).hasMatch())
        return readTime(text, true);
    if (withMinutes.match(text).hasMatch())
        return readTime(text, false);
    if (hourOnly.match(text).hasMatch())
        return readTime(text, false);
    return std::nullopt;
}

bool isBlankMask(const QString& text)
{
    for (QChar character : text) {
        if (character != u' ' && character != u'/' && character != u'-' && character != u'.')
            return false;
    }
    return true;
}

/// A time field left as its mask: blanks and colons only.
bool isBlankTime(const QString& text)
{
    for (QChar character : text) {
        if (character != u' ' && character != u':')
            return false;
    }
    return true;
}

int fieldValue(const QStringList& fields, const QList<DatePart>& order, DatePart part, int absent)
{
    const auto index = order.indexOf(part);
    return index < 0 ? absent : fields[index].toInt();
}

} // namespace

QDate emptyCalendarDate()
{
    return QDate(100, 1, 1);
}

bool isEmptyDate(const QDate& date)
{
    return !date.isValid() || date == emptyCalendarDate();
}

QString formatDate(const QDate& date, const QString& picture)
{
    if (isEmptyDate(date))
        return QStringLiteral("01/01/100");
    return formatTokens(tokenize(picture), date, QTime(0, 0));
}

QString formatTime(const QTime& time, const QString& picture)
{
    if (!time.isValid())
        return {};
    return formatTokens(tokenize(picture), emptyCalendarDate(), time);
}

QString formatDateTime(const QDate& date, const QTime& time, const QString& picture)
{
    return formatTokens(tokenize(picture), date.isValid() ? date : emptyCalendarDate(),
                        time.isValid() ? time : QTime(0, 0));
}

int expandTwoDigitYear(int year, const QDate& today)
{
    assert(year >= 0 && year < 100 && "expandTwoDigitYear takes the last two digits of a year");
    const int lastYearOfWindow = today.year() + 20;
    return lastYearOfWindow - ((lastYearOfWindow - year) % 100 + 100) % 100;
}

ParsedDate parseDate(const QString& text, const QString& picture, const QDate& today)
{
    ParsedDate invalid;
    QString dateText = text.trimmed();
    if (isBlankMask(dateText)) {
        ParsedDate blank;
        blank.valid = true;
        return blank;
    }

    QTime time;
    if (dateText.size() > 10) {
        const auto blank = dateText.indexOf(u' ');
        if (blank > 0) {
            time = readTimeAfterDate(dateText.mid(blank + 1).trimmed()).value_or(QTime());
            dateText = dateText.left(blank);
        }
    }

    const QList<DatePart> order = dateOrder(picture);
    const QStringList fields = dateFields(dateText, order);
    if (fields.size() != order.size())
        return invalid;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const qsizetype maximumDigits = order[i] == DatePart::ShortYear ? 4 : 2;
        if (!isAllDigits(fields[i]) || fields[i].size() > maximumDigits)
            return invalid;
    }

    const int day = fieldValue(fields, order, DatePart::Day, 1);
    const int month = fieldValue(fields, order, DatePart::Month, 1);
    int year = fieldValue(fields, order, DatePart::ShortYear, today.year());
    const auto yearIndex = order.indexOf(DatePart::ShortYear);
    if (yearIndex >= 0 && fields[yearIndex].size() <= 2)
        year = expandTwoDigitYear(year, today);

    const QDate date(year, month, day);
    if (!date.isValid() || date < emptyCalendarDate())
        return invalid;

    ParsedDate result;
    result.date = date;
    result.time = time;
    result.valid = true;
    result.empty = date == emptyCalendarDate();
    return result;
}

ParsedTime parseTime(const QString& text, const QString& picture)
{
    ParsedTime result;
    const QString trimmed = text.trimmed();
    if (isBlankTime(trimmed)) {
        result.valid = true;
        return result;
    }
    const auto time = readTime(trimmed, hasPart(tokenize(picture), DatePart::Second));
    if (!time)
        return result;
    result.time = *time;
    result.valid = true;
    result.empty = false;
    return result;
}

bool isDatePicture(const QString& picture)
{
    return hasDatePart(tokenize(picture));
}

bool isTimePicture(const QString& picture)
{
    const auto tokens = tokenize(picture);
    return hasPart(tokens, DatePart::Hour) && !hasDatePart(tokens);
}

QString monthName(int month)
{
    static const char* const names[] = {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio",
                                        "Julio", "Agosto", "Setiembre", "Octubre", "Noviembre",
                                        "Diciembre"};
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(names[month - 1]);
}

QString dayName(int dayOfWeek)
{
    static const char* const names[] = {"Lunes", "Martes", "Miércoles", "Jueves",
                                        "Viernes", "Sábado", "Domingo"};
    if (dayOfWeek < 1 || dayOfWeek > 7)
        return {};
    return QString::fromUtf8(names[dayOfWeek - 1]);
}
