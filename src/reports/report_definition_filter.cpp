#include "reports/report_definition_filter.h"

#include "support/dates.h"
#include "support/ui_port.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool isNullWord(const QString& condition)
{
    const QString word = condition.simplified().toUpper();
    return word == u"NULL"_s || word == u"NOT NULL"_s;
}

bool isNumber(const QString& text)
{
    static const QRegularExpression number(u"^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"_s);
    return number.match(text).hasMatch();
}

/// A date as a filter takes it: "dd/mm/yy" with one- or two-digit day and
/// month, and a year of two, three or four digits; null when it is not one.
QDate filterDate(const QString& text)
{
    static const QRegularExpression shape(u"^(\\d{1,2})/(\\d{1,2})/(\\d{2,4})$"_s);
    const QRegularExpressionMatch parts = shape.match(text);
    if (!parts.hasMatch())
        return {};
    const QString year = parts.captured(3);
    if (year.size() == 2) {
        const ParsedDate parsed = parseDate(text, u"dd/mm/yy"_s);
        return parsed.valid ? parsed.date : QDate();
    }
    return QDate(year.toInt(), parts.captured(2).toInt(), parts.captured(1).toInt());
}

/// The bounds of each value of a condition: one for a value, two for a range.
QList<QStringList> conditionValues(const QString& condition)
{
    QList<QStringList> values;
    for (const QString& value : condition.split(u',')) {
        QStringList bounds;
        for (const QString& bound : value.split(u':'))
            bounds.append(bound.trimmed());
        values.append(bounds);
    }
    return values;
}

}  // namespace

QString filterConditionFault(const QString& type, const QString& condition)
{
    if (condition.trimmed().isEmpty() || isNullWord(condition))
        return {};
    if (type == u"N"_s) {
        for (const QStringList& bounds : conditionValues(condition)) {
            if (bounds.size() > 2)
                return u"Debe indicar valores numéricos"_s;
            for (const QString& bound : bounds) {
                if (!isNumber(bound))
                    return u"Debe indicar valores numéricos"_s;
            }
        }
        return {};
    }
    if (type == u"F"_s) {
        for (const QStringList& bounds : conditionValues(condition)) {
            if (bounds.size() > 2)
                return u"Fecha incorrecta"_s;
            QList<QDate> dates;
            for (const QString& bound : bounds) {
                const QDate date = filterDate(bound);
                if (!date.isValid())
                    return u"Fecha incorrecta"_s;
                dates.append(date);
            }
            if (dates.size() == 2 && dates.first() > dates.last())
                return u"Fecha desde posterior a fecha hasta"_s;
        }
    }
    return {};
}

WFILTRO::WFILTRO(const ReportField& field, const FilterField& filter, const QString& mode)
    : field_(field), filter_(filter), emission_(mode.trimmed().toUpper() == u"EMI"_s)
{
    filter_.field = field.id;
    if (filter_.negation == FilterOperator::containing && !field_.isCharacter())
        filter_.negation = FilterOperator::equal;
}

QString WFILTRO::caption() const
{
    return u"Filtro por "_s + field_.description;
}

QStringList WFILTRO::operators() const
{
    QStringList texts{FilterOperatorText::equal, FilterOperatorText::notEqual};
    if (field_.isCharacter())
        texts.append(FilterOperatorText::containing);
    return texts;
}

QStringList WFILTRO::examples() const
{
    if (field_.isDate())
        return {u"una fecha         31/10/00"_s,
                u"varias fechas     31/10/00,30/11/00"_s,
                u"rango de fechas   1/10/00:31/10/00"_s,
                u"varios rangos     1/10/99:31/10/99,1/10/00:31/10/00"_s,
                u"sin fecha         1/1/100"_s,
                u"sin fecha         1/1/1753"_s,
                u"inexistente       NULL"_s};
    if (field_.isNumber())
        return {u"un valor          10"_s,
                u"varios valores    10,15,31"_s,
                u"rango de valores  100:300"_s,
                u"varios rangos     100:300,500:600"_s,
                u"valor c/decimales 10.50"_s};
    return {u"un valor          J"_s, u"varios valores    J,M,Z"_s, u"rango de valores  A:F"_s,
            u"varios rangos     A:F,M:R"_s};
}

QString WFILTRO::operatorText() const
{
    if (filter_.negation == FilterOperator::notEqual)
        return FilterOperatorText::notEqual;
    if (filter_.negation == FilterOperator::containing)
        return FilterOperatorText::containing;
    return FilterOperatorText::equal;
}

bool WFILTRO::setOperator(const QString& text)
{
    if (emission_)
        return text == operatorText();
    if (!operators().contains(text))
        return false;
    if (text == FilterOperatorText::notEqual)
        filter_.negation = FilterOperator::notEqual;
    else if (text == FilterOperatorText::containing)
        filter_.negation = FilterOperator::containing;
    else
        filter_.negation = FilterOperator::equal;
    return true;
}

bool WFILTRO::confirm(UiPort& ui)
{
    // A condition asked at the run is the one the report runs with: it
    // cannot be left empty then.
    if ((filter_.isFixed() || emission_) && filter_.condition.isEmpty()) {
        ui.message(u"Falta indicar la condición del filtro"_s, MessageIcon::Exclamation);
        return false;
    }
    if (const QString fault = filterConditionFault(field_.type, filter_.condition); !fault.isEmpty()) {
        ui.message(fault, MessageIcon::Exclamation);
        return false;
    }
    return true;
}
