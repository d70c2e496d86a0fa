#include "reports/report_condition.h"

#include "support/dates.h"

#include <QDateTime>

#include <cmath>

using namespace Qt::StringLiterals;

ReportFieldType reportFieldType(const QString& code)
{
    const QString trimmed = code.trimmed().toUpper();
    if (trimmed == u"N"_s)
        return ReportFieldType::Number;
    if (trimmed == u"F"_s)
        return ReportFieldType::Date;
    return ReportFieldType::Character;
}

namespace {

/// The dates before this one mean "no date": the empty date (1/1/100) and
/// the first day some databases can hold (1/1/1753).
const QDate firstRealDate(1753, 1, 2);

/// One bound of a condition, read by type; invalid when empty.
struct ReadBound {
    QVariant value;
    QString error;
};

ReadBound readBound(const QString& written, ReportFieldType type)
{
    const QString text = written.trimmed();
    if (text.isEmpty())
        return {};
    switch (type) {
    case ReportFieldType::Character:
        return {text, {}};
    case ReportFieldType::Number: {
        bool read = false;
        const double number = text.toDouble(&read);
        if (!read || !std::isfinite(number))
            return {{}, u"Debe indicar valores numéricos"_s};
        return {number, {}};
    }
    case ReportFieldType::Date: {
        const ParsedDate parsed = parseDate(text);
        if (!parsed.valid)
            return {{}, u"Fecha incorrecta"_s};
        return {QDateTime(parsed.empty ? emptyCalendarDate() : parsed.date, QTime(0, 0)), {}};
    }
    }
    return {};
}

bool isNoDate(const QVariant& value)
{
    return value.isValid() && value.toDateTime().date() < firstRealDate;
}

QVariant dayAfter(const QVariant& value)
{
    return QDateTime(value.toDateTime().date().addDays(1), QTime(0, 0));
}

/// The predicate of one item over `column`, appending its values.
QString itemPredicate(const ConditionItem& item, ReportFieldType type, const QString& column,
                      QVariantList& values)
{
    const bool dates = type == ReportFieldType::Date;
    if (!item.range) {
        if (dates && isNoDate(item.low)) {
            values.append(QDateTime(firstRealDate, QTime(0, 0)));
            return u"("_s + column + u" IS NULL OR "_s + column + u" < ?)"_s;
        }
        if (dates) {
            // A date matches the whole day, whatever time a row may carry.
            values.append(item.low);
            values.append(dayAfter(item.low));
            return u"("_s + column + u" >= ? AND "_s + column + u" < ?)"_s;
        }
        values.append(item.low);
        return column + u" = ?"_s;
    }
    QStringList parts;
    if (item.low.isValid()) {
        values.append(item.low);
        parts.append(column + u" >= ?"_s);
    }
    if (item.high.isValid()) {
        values.append(dates ? dayAfter(item.high) : item.high);
        parts.append(column + (dates ? u" < ?"_s : u" <= ?"_s));
    }
    if (parts.isEmpty())
        return column + u" IS NOT NULL"_s;
    return u"("_s + parts.join(u" AND "_s) + u')';
}

}  // namespace

ReportCondition readCondition(const QString& text, ReportFieldType type)
{
    ReportCondition condition;
    const QString trimmed = text.trimmed();
    if (trimmed.size() > maximumConditionLength) {
        condition.error = u"La condición tiene más de "_s + QString::number(maximumConditionLength) + u" caracteres"_s;
        return condition;
    }
    const QString simplified = trimmed.simplified().toUpper();
    if (simplified == u"NULL"_s) {
        condition.test = ReportCondition::Test::IsNull;
        return condition;
    }
    if (simplified == u"NOT NULL"_s) {
        condition.test = ReportCondition::Test::IsNotNull;
        return condition;
    }
    if (trimmed.isEmpty()) {
        condition.error = u"Falta indicar la condición"_s;
        return condition;
    }
    for (const QString& written : trimmed.split(u',')) {
        ConditionItem item;
        const qsizetype colon = written.indexOf(u':');
        item.range = colon >= 0;
        const ReadBound low = readBound(item.range ? written.left(colon) : written, type);
        const ReadBound high = item.range ? readBound(written.mid(colon + 1), type) : ReadBound{};
        if (!low.error.isEmpty() || !high.error.isEmpty()) {
            condition.error = low.error.isEmpty() ? high.error : low.error;
            condition.items.clear();
            return condition;
        }
        if (item.range && written.mid(colon + 1).contains(u':')) {
            condition.error = type == ReportFieldType::Number ? u"Debe indicar valores numéricos"_s
                              : type == ReportFieldType::Date ? u"Fecha incorrecta"_s
                                                              : u"Rango incorrecto: "_s + written.trimmed();
            condition.items.clear();
            return condition;
        }
        item.low = low.value;
        item.high = high.value;
        if (!item.range && !item.low.isValid())
            continue;  // "10,,15": an empty item says nothing
        if (item.range && type == ReportFieldType::Date && item.low.isValid() && item.high.isValid()
            && item.low.toDateTime() > item.high.toDateTime()) {
            condition.error = u"Fecha desde posterior a fecha hasta"_s;
            condition.items.clear();
            return condition;
        }
        condition.items.push_back(item);
    }
    if (condition.items.empty())
        condition.error = u"Falta indicar la condición"_s;
    return condition;
}

BoundPredicate conditionPredicate(const ReportCondition& condition, const QString& column, bool negated)
{
    Q_ASSERT_X(condition.ok(), "conditionPredicate", "only a condition that was read may become a predicate");
    BoundPredicate predicate;
    switch (condition.test) {
    case ReportCondition::Test::IsNull:
        predicate.sql = column + (negated ? u" IS NOT NULL"_s : u" IS NULL"_s);
        return predicate;
    case ReportCondition::Test::IsNotNull:
        predicate.sql = column + (negated ? u" IS NULL"_s : u" IS NOT NULL"_s);
        return predicate;
    case ReportCondition::Test::Values:
        break;
    }
    QStringList items;
    ReportFieldType type = ReportFieldType::Character;
    for (const ConditionItem& item : condition.items) {
        const QVariant sample = item.low.isValid() ? item.low : item.high;
        if (sample.metaType().id() == QMetaType::QDateTime)
            type = ReportFieldType::Date;
    }
    for (const ConditionItem& item : condition.items)
        items.append(itemPredicate(item, type, column, predicate.values));
    const QString any = u"("_s + items.join(u" OR "_s) + u')';
    predicate.sql = negated ? u"NOT "_s + any : any;
    return predicate;
}

namespace {

/// `value` as a LIKE pattern that finds it anywhere: its wildcards and the
/// escape character itself are escaped with "!".
QString containingPattern(const QString& value)
{
    QString pattern = u"%"_s;
    for (const QChar character : value) {
        if (character == u'%' || character == u'_' || character == u'!')
            pattern += u'!';
        pattern += character;
    }
    return pattern + u'%';
}

}  // namespace

BoundPredicate containingPredicate(const QString& text, const QString& column)
{
    BoundPredicate predicate;
    QStringList items;
    for (const QString& written : text.split(u',')) {
        const QString value = written.trimmed();
        if (value.isEmpty())
            continue;
        // UPPER on both sides finds "PEREZ" in "Pérez" with PostgreSQL; the
        // plain LIKE finds "núñez" in "Núñez" with SQLite, whose UPPER and
        // LIKE fold only unaccented letters.
        items.append(u"(UPPER("_s + column + u") LIKE ? ESCAPE '!' OR "_s + column + u" LIKE ? ESCAPE '!')"_s);
        predicate.values.append(containingPattern(value.toUpper()));
        predicate.values.append(containingPattern(value));
    }
    Q_ASSERT_X(!items.isEmpty(), "containingPredicate", "a condition with no value to look for");
    predicate.sql = u"("_s + items.join(u" OR "_s) + u')';
    return predicate;
}
