#include "data/field_value.h"

#include "data/cursor.h"
#include "data/schema_sql.h"

#include <cmath>
#include <optional>

double roundToCurrency(double value)
{
    return std::round(value * 10000.0) / 10000.0;
}

namespace {

/// "yyyy-MM-ddTHH:mm:ss" (the time part optional) read by hand: the form
/// every date is stored in on SQLite, read far more often than any other.
/// Nothing when the text is not in that form.
std::optional<QDateTime> canonicalSqliteDate(const char* text, int length)
{
    auto digits = [&](int from, int count, int& result) {
        result = 0;
        for (int at = from; at < from + count; ++at) {
            if (at >= length || text[at] < '0' || text[at] > '9')
                return false;
            result = result * 10 + (text[at] - '0');
        }
        return true;
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (length < 10 || !digits(0, 4, year) || !digits(5, 2, month) || !digits(8, 2, day))
        return std::nullopt;
    if (length >= 19 && !(digits(11, 2, hour) && digits(14, 2, minute) && digits(17, 2, second)))
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return emptyDate();
    return QDateTime(date, time);
}

}  // namespace

QDateTime dateFromStorage(const QVariant& stored)
{
    if (stored.metaType().id() == QMetaType::QString) {
        const QByteArray latin = stored.toString().toLatin1();
        if (const std::optional<QDateTime> moment = canonicalSqliteDate(latin.constData(), int(latin.size())))
            return *moment;
    }
    if (stored.metaType().id() == QMetaType::QDateTime)
        return stored.toDateTime();
    if (stored.metaType().id() == QMetaType::QDate)
        return QDateTime(stored.toDate(), QTime(0, 0));
    const QString text = stored.toString();
    QDateTime moment = QDateTime::fromString(text, QLatin1String(SchemaSql::sqliteDateFormat));
    if (!moment.isValid())
        moment = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!moment.isValid())
        moment = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
    return moment.isValid() ? moment : emptyDate();
}

/// A stored value as the program sees it: typed, Null as the empty value.
QVariant fromStorage(FieldType type, const QVariant& stored)
{
    if (stored.isNull())
        return emptyValue(type);
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return stored.toInt();
    case FieldType::Double:
        return stored.toDouble();
    case FieldType::Currency:
        return roundToCurrency(stored.toDouble());
    case FieldType::Date:
        return dateFromStorage(stored);
    case FieldType::Text:
    case FieldType::Memo:
        return stored.toString();
    }
    return stored;
}

/// A value given to a field as it is stored; an invalid value is the empty one.
QVariant toStorage(FieldType type, const QVariant& given, Backend backend)
{
    if (!given.isValid() || given.isNull())
        return storageValue(emptyValue(type), backend);
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return given.toLongLong();
    case FieldType::Double:
        return given.toDouble();
    case FieldType::Currency:
        return roundToCurrency(given.toDouble());
    case FieldType::Date: {
        const int id = given.metaType().id();
        if (id == QMetaType::QDateTime || id == QMetaType::QDate)
            return storageValue(given, backend);
        return storageValue(dateFromStorage(given), backend);
    }
    case FieldType::Text:
    case FieldType::Memo:
        return given.toString();
    }
    return given;
}

QDateTime dateFromSqliteText(const char* text, int length)
{
    if (const std::optional<QDateTime> moment = canonicalSqliteDate(text, length))
        return *moment;
    return dateFromStorage(QString::fromUtf8(text, length));
}
