#include "support/picture.h"

#include "support/dates.h"
#include "support/decimal_digits.h"

#include <QLocale>
#include <QStringList>

#include <cassert>
#include <charconv>

namespace {

bool isNumberPicture(const QString& picture)
{
    bool hasDigit = false;
    int points = 0;
    for (QChar character : picture) {
        if (character == u'9' || character == u'Z')
            hasDigit = true;
        else if (character == u'.')
            ++points;
        else if (character != u',')
            return false;
    }
    return hasDigit && points <= 1;
}

bool isPosition(QChar pictureCharacter)
{
    return pictureCharacter == u'9' || pictureCharacter == u'!' || pictureCharacter == u'X';
}

bool isDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

bool isAllDigits(const QString& text)
{
    for (QChar character : text) {
        if (!isDigit(character))
            return false;
    }
    return !text.isEmpty();
}

bool positionAccepts(QChar pictureCharacter, QChar character)
{
    return pictureCharacter != u'9' || isDigit(character);
}

QChar applyPosition(QChar pictureCharacter, QChar character)
{
    return pictureCharacter == u'!' ? character.toUpper() : character;
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == u' ')
        --end;
    return text.left(end);
}

QString countedText(int count, const char* singular, const char* plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? singular : plural));
}

PictureValue refusal(const QString& error)
{
    PictureValue value;
    value.error = error;
    return value;
}

PictureValue emptyValue()
{
    PictureValue value;
    value.valid = true;
    return value;
}

/// The runs of positions of a mask picture, without its literals:
/// "99/99" gives {"99", "99"}.
QStringList positionGroups(const QString& picture)
{
    QStringList groups;
    QString current;
    for (QChar character : picture) {
        if (isPosition(character)) {
            current += character;
            continue;
        }
        if (!current.isEmpty())
            groups.append(current);
        current.clear();
    }
    if (!current.isEmpty())
        groups.append(current);
    return groups;
}

/// Splits a typed number into integer and decimal digits, deciding which of
/// "," and "." is the decimal point: the last one when both appear; a single
/// one is a thousands separator when it is followed by exactly three digits,
/// the picture groups thousands, and it is the workstation's thousands
/// separator or the decimals would not fit; otherwise it is the point.
struct NumberParts {
    QString integer;
    QString fraction;
    bool wellFormed = false;
};

NumberParts splitNumber(const QString& digits, int maximumDecimals, bool groupsThousands,
                        const Separators& workstation)
{
    NumberParts parts;
    const qsizetype lastComma = digits.lastIndexOf(u',');
    const qsizetype lastPoint = digits.lastIndexOf(u'.');
    qsizetype decimalAt = -1;
    if (lastComma >= 0 && lastPoint >= 0) {
        decimalAt = qMax(lastComma, lastPoint);
    } else if (lastComma >= 0 || lastPoint >= 0) {
        const QChar separator = lastComma >= 0 ? u',' : u'.';
        const qsizetype at = qMax(lastComma, lastPoint);
        const qsizetype digitsAfter = digits.size() - at - 1;
        const bool once = digits.count(separator) == 1;
        const bool decimalsFit = maximumDecimals > 0 && digitsAfter <= maximumDecimals;
        const bool looksLikeThousands = groupsThousands && digitsAfter == 3;
        const bool groupsAsTheWorkstation = looksLikeThousands && separator == workstation.thousands;
        if (once && !groupsAsTheWorkstation && (decimalsFit || !looksLikeThousands))
            decimalAt = at;
    }

    QString integer = decimalAt < 0 ? digits : digits.left(decimalAt);
    parts.fraction = decimalAt < 0 ? QString() : digits.mid(decimalAt + 1);
    if (!parts.fraction.isEmpty() && !isAllDigits(parts.fraction))
        return parts;

    // Thousands separators, when there are any, must split the integer part
    // into groups of three after a first group of one to three digits.
    const QChar thousands = decimalAt < 0 ? (lastComma >= 0 ? u',' : u'.')
                                          : (digits[decimalAt] == u',' ? u'.' : u',');
    if (integer.contains(thousands)) {
        const QStringList groups = integer.split(thousands);
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const bool sizeFits = i == 0 ? (groups[i].size() >= 1 && groups[i].size() <= 3)
                                         : groups[i].size() == 3;
            if (!sizeFits || !isAllDigits(groups[i]))
                return parts;
        }
        integer = groups.join(QString());
    }
    if (!integer.isEmpty() && !isAllDigits(integer))
        return parts;
    if (integer.isEmpty() && parts.fraction.isEmpty())
        return parts;
    parts.integer = integer;
    parts.wellFormed = true;
    return parts;
}

} // namespace

Separators Separators::workstation()
{
    // The system locale is read once per process, as Qt reads it.
    static const Separators separators = [] {
        const QLocale locale = QLocale::system();
        Separators read;
        if (!locale.decimalPoint().isEmpty())
            read.decimal = locale.decimalPoint().front();
        if (!locale.groupSeparator().isEmpty())
            read.thousands = locale.groupSeparator().front();
        // A grouping that typed numbers cannot carry (a blank) or that
        // clashes with the decimal character becomes the other of "," and
        // ".", so that every shown number reads back.
        if (read.thousands == read.decimal || read.thousands.isSpace())
            read.thousands = read.decimal == u',' ? u'.' : u',';
        return read;
    }();
    return separators;
}

Picture::Picture(const QString& picture, Separators separators)
    : picture_(picture), separators_(separators)
{
    if (isDatePicture(picture)) {
        kind_ = Kind::Date;
        return;
    }
    if (isTimePicture(picture)) {
        kind_ = Kind::Time;
        return;
    }
    if (!isNumberPicture(picture)) {
        kind_ = Kind::Text;
        return;
    }
    kind_ = Kind::Number;
    const qsizetype point = picture.indexOf(u'.');
    integerMask_ = point < 0 ? picture : picture.left(point);
    fractionMask_ = point < 0 ? QString() : picture.mid(point + 1);
    fractionMask_.remove(u',');
    integerDigits_ = int(integerMask_.size() - integerMask_.count(u','));
}

int Picture::width() const
{
    switch (kind_) {
    case Kind::Number:
    case Kind::Text:
        return int(picture_.size());
    case Kind::Date:
        return int(formatDate(QDate(2000, 12, 31), picture_).size());
    case Kind::Time:
        return int(formatTime(QTime(23, 59, 59), picture_).size());
    }
    return int(picture_.size());
}

bool Picture::hasLiterals() const
{
    for (QChar character : picture_) {
        if (!isPosition(character))
            return true;
    }
    return false;
}

QString Picture::formatNumber(double value) const
{
    const auto digits = roundedDigits(value, decimals());
    if (!digits)
        return {};
    QString integer = digits->integer == QStringLiteral("0") ? QString() : digits->integer;
    if (integer.size() > integerDigits_)
        return {};
    integer = QString(integerDigits_ - integer.size(), u'0') + integer;

    QString shown;
    bool started = false;
    qsizetype next = 0;
    for (QChar position : integerMask_) {
        if (position == u',') {
            shown += started ? separators_.thousands : u' ';
            continue;
        }
        const QChar digit = integer[next++];
        if (started || digit != u'0' || position == u'9') {
            started = true;
            shown += digit;
        } else {
            shown += u' ';
        }
    }
    if (fractionMask_.isEmpty())
        return shown;

    // Trailing "Z" decimals show their zeros as blanks.
    qsizetype shownDecimals = fractionMask_.size();
    while (shownDecimals > 0 && fractionMask_[shownDecimals - 1] == u'Z'
           && digits->fraction[shownDecimals - 1] == u'0')
        --shownDecimals;
    const QString blanks(fractionMask_.size() - shownDecimals, u' ');
    if (shownDecimals == 0)
        return shown + u' ' + blanks;
    return shown + separators_.decimal + digits->fraction.left(shownDecimals) + blanks;
}

QString Picture::format(double value, SignRoom sign) const
{
    assert(kind_ == Kind::Number && "format(double) needs a number picture");
    const auto digits = roundedDigits(value, decimals());
    const bool negative = digits && digits->negative;
    const bool widened = negative || sign == SignRoom::Blank;
    QString shown = formatNumber(value);
    if (shown.isEmpty())
        return QString(width() + (widened ? 1 : 0), u'*');
    if (!widened)
        return shown;
    shown.prepend(u' ');
    if (!negative)
        return shown;
    qsizetype firstShown = 0;
    while (firstShown < shown.size() && shown[firstShown] == u' ')
        ++firstShown;
    shown[qMax<qsizetype>(firstShown - 1, 0)] = u'-';
    return shown;
}

QString Picture::formatMask(const QString& text) const
{
    const PictureValue typed = parseMask(text);
    QString data;
    if (typed.valid) {
        data = typed.text;
    } else {
        data = text;
    }
    // Fill the positions in order with the characters that are not literals.
    QString characters;
    for (QChar character : data) {
        if (!picture_.contains(character) || isPosition(character))
            characters += character;
    }
    QString shown;
    qsizetype next = 0;
    for (QChar position : picture_) {
        if (!isPosition(position)) {
            shown += position;
            continue;
        }
        shown += next < characters.size() ? applyPosition(position, characters[next]) : QChar(u' ');
        ++next;
    }
    return shown;
}

QString Picture::format(const QString& text) const
{
    switch (kind_) {
    case Kind::Number: {
        const PictureValue typed = parseNumber(text);
        return typed.valid ? format(typed.number) : text;
    }
    case Kind::Date: {
        const ParsedDate typed = parseDate(text, picture_);
        return typed.valid ? formatDate(typed.date, picture_) : text;
    }
    case Kind::Time: {
        const ParsedTime typed = parseTime(text, picture_);
        return typed.valid ? formatTime(typed.time, picture_) : text;
    }
    case Kind::Text:
        break;
    }
    if (hasLiterals())
        return formatMask(text);
    QString shown = text.left(picture_.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        shown[i] = applyPosition(picture_[i], shown[i]);
    return shown;
}

QString Picture::format(const QDate& date) const
{
    assert(kind_ == Kind::Date && "format(QDate) needs a date picture");
    return formatDate(date, picture_);
}

QString Picture::format(const QTime& time) const
{
    assert(kind_ == Kind::Time && "format(QTime) needs a time picture");
    return formatTime(time, picture_);
}

PictureValue Picture::parseNumber(const QString& text) const
{
    QString typed = text.trimmed();
    if (typed.isEmpty())
        return emptyValue();
    bool negative = false;
    if (typed.front() == u'-' || typed.front() == u'+') {
        negative = typed.front() == u'-';
        typed = typed.mid(1).trimmed();
    }
    const QString invalidNumber = QStringLiteral("Número inválido");
    for (QChar character : typed) {
        if (!isDigit(character) && character != u',' && character != u'.')
            return refusal(invalidNumber);
    }
    const bool groupsThousands = integerMask_.contains(u',');
    NumberParts parts = splitNumber(typed, decimals(), groupsThousands, separators_);
    if (!parts.wellFormed)
        return refusal(invalidNumber);

    while (parts.integer.size() > 1 && parts.integer.front() == u'0')
        parts.integer.remove(0, 1);
    if (parts.integer == QStringLiteral("0"))
        parts.integer.clear();
    while (!parts.fraction.isEmpty() && parts.fraction.back() == u'0')
        parts.fraction.chop(1);

    if (parts.integer.size() > integerDigits_) {
        return refusal(QStringLiteral("El número no puede tener más de ")
                       + countedText(integerDigits_, "cifra entera", "cifras enteras"));
    }
    if (parts.fraction.size() > decimals()) {
        if (decimals() == 0)
            return refusal(QStringLiteral("El número no puede tener decimales"));
        return refusal(QStringLiteral("El número no puede tener más de ")
                       + countedText(decimals(), "decimal", "decimales"));
    }

    // Digits and a point only: read as Latin-1 by the standard library, which
    // rounds as QString::toDouble does at a fraction of its cost.
    const QByteArray plain = (parts.integer.isEmpty() ? QByteArrayLiteral("0") : parts.integer.toLatin1()) + '.'
        + (parts.fraction.isEmpty() ? QByteArrayLiteral("0") : parts.fraction.toLatin1());
    double magnitude = 0;
    std::from_chars(plain.constData(), plain.constData() + plain.size(), magnitude);
    PictureValue value;
    value.valid = true;
    value.empty = false;
    value.number = negative && magnitude != 0 ? -magnitude : magnitude;
    return value;
}

PictureValue Picture::parseText(const QString& text) const
{
    QString typed = withoutTrailingBlanks(text);
    if (typed.trimmed().isEmpty())
        return emptyValue();
    if (typed.size() > picture_.size()) {
        return refusal(QStringLiteral("El texto no puede tener más de ")
                       + countedText(int(picture_.size()), "carácter", "caracteres"));
    }
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (!positionAccepts(picture_[i], typed[i]))
            return refusal(QStringLiteral("Valor inválido"));
        typed[i] = applyPosition(picture_[i], typed[i]);
    }
    PictureValue value;
    value.valid = true;
    value.empty = false;
    value.text = typed;
    return value;
}

PictureValue Picture::parseMask(const QString& text) const
{
    const QString typed = text.trimmed();
    QString literals;
    for (QChar character : picture_) {
        if (!isPosition(character) && !literals.contains(character))
            literals += character;
    }
    bool onlyLiterals = true;
    for (QChar character : typed) {
        if (character != u' ' && !literals.contains(character))
            onlyLiterals = false;
    }
    if (onlyLiterals)
        return emptyValue();

    const QStringList groups = positionGroups(picture_);
    QStringList typedGroups;
    QString current;
    bool hasLiteral = false;
    for (QChar character : typed) {
        if (!literals.contains(character)) {
            current += character;
            continue;
        }
        hasLiteral = true;
        if (!current.trimmed().isEmpty())
            typedGroups.append(current.trimmed());
        current.clear();
    }
    if (!current.trimmed().isEmpty())
        typedGroups.append(current.trimmed());

    const PictureValue invalidValue = refusal(QStringLiteral("Valor inválido"));
    QString data;
    if (!hasLiteral) {
        data = typed;
        if (data.size() != groups.join(QString()).size())
            return invalidValue;
    } else {
        if (typedGroups.size() != groups.size())
            return invalidValue;
        for (qsizetype i = 0; i < groups.size(); ++i) {
            QString group = typedGroups[i];
            const bool digitsOnly = !groups[i].contains(u'!') && !groups[i].contains(u'X');
            // A person writes "1/5" for "01/05".
            if (group.size() < groups[i].size() && digitsOnly && isAllDigits(group))
                group = QString(groups[i].size() - group.size(), u'0') + group;
            if (group.size() != groups[i].size())
                return invalidValue;
            data += group;
        }
    }

    QString stored;
    qsizetype next = 0;
    for (QChar position : picture_) {
        if (!isPosition(position)) {
            stored += position;
            continue;
        }
        if (!positionAccepts(position, data[next]))
            return invalidValue;
        stored += applyPosition(position, data[next++]);
    }
    PictureValue value;
    value.valid = true;
    value.empty = false;
    value.text = stored;
    return value;
}

PictureValue Picture::parse(const QString& text, const QDate& today) const
{
    switch (kind_) {
    case Kind::Number:
        return parseNumber(text);
    case Kind::Date: {
        const ParsedDate typed = parseDate(text, picture_, today);
        PictureValue value;
        value.valid = typed.valid;
        value.empty = typed.empty;
        value.date = typed.date;
        value.time = typed.time;
        if (!typed.valid)
            value.error = QStringLiteral("Fecha inválida");
        return value;
    }
    case Kind::Time: {
        const ParsedTime typed = parseTime(text, picture_);
        PictureValue value;
        value.valid = typed.valid;
        value.empty = typed.empty;
        value.time = typed.time;
        if (!typed.valid)
            value.error = QStringLiteral("Hora inválida");
        return value;
    }
    case Kind::Text:
        break;
    }
    return hasLiterals() ? parseMask(text) : parseText(text);
}
