#include "reports/report_formula_check.h"

#include "reports/report_definition.h"

using namespace Qt::StringLiterals;

QStringList forbiddenFormulaWords()
{
    return {u"UPDATE"_s, u"BACKUP"_s, u"RESTORE"_s, u"TRUNCATE"_s, u"SELECT"_s, u"DELETE"_s,
            u"INSERT"_s, u"DROP"_s,   u"ALTER"_s,   u"CREATE"_s,   u"EXEC"_s};
}

QString PCONTSQL(const QString& text)
{
    const QString upper = text.toUpper();
    for (const QString& word : forbiddenFormulaWords()) {
        if (upper.contains(word))
            return word;
    }
    return {};
}

QString formulaWordRefusal(const QString& formula)
{
    const QString word = PCONTSQL(formula);
    if (word.isEmpty())
        return {};
    return u"No se permite utilizar la palabra "_s + word + u" en la fórmula"_s;
}

namespace {

const QChar quote = u'"';

/// The calculated columns in the order they are worked out: as placed among
/// the data columns, then those not placed, by number.
QList<const CalculatedColumn*> inColumnOrder(const ReportDefinition& definition)
{
    QList<const CalculatedColumn*> ordered;
    for (const DataColumn& column : definition.data) {
        if (!ReportFields::isCalculated(column.field))
            continue;
        if (const CalculatedColumn* calculated =
                definition.calculatedColumn(column.field - ReportFields::calculatedFieldBase))
            ordered.append(calculated);
    }
    for (const CalculatedColumn& calculated : definition.calculated) {
        if (!ordered.contains(&calculated))
            ordered.append(&calculated);
    }
    return ordered;
}

/// The place of `field` among the data columns, or -1.
int placeOf(const ReportDefinition& definition, int field)
{
    for (int place = 0; place < definition.data.size(); ++place) {
        if (definition.data.at(place).field == field)
            return place;
    }
    return -1;
}

const CalculatedColumn* calculatedTitled(const ReportDefinition& definition, const QString& title)
{
    for (const CalculatedColumn& column : definition.calculated) {
        if (!column.title.isEmpty() && column.title.compare(title, Qt::CaseInsensitive) == 0)
            return &column;
    }
    return nullptr;
}

/// The fault of one reference `name` in the formula of `column`, or empty.
QString referenceFault(const ReportDefinition& definition, const ReportCatalogue& catalogue,
                       const QStringList& alsoKnown, const CalculatedColumn& column, const QString& name)
{
    const QString title = column.title;
    if (name.compare(title, Qt::CaseInsensitive) == 0)
        return u"En la columna calculada "_s + quote + title + quote
               + u" no puede incluir la propia columna de cálculo en la fórmula."_s;
    if (alsoKnown.contains(name, Qt::CaseInsensitive))
        return {};
    const QString beginning = u"La fórmula de cálculo de ["_s + title + u"] hace referencia a la columna ["_s + name;
    int field = 0;
    if (const CalculatedColumn* other = calculatedTitled(definition, name))
        field = other->field();
    else if (const ReportField* catalogued = catalogue.findByDescription(name))
        field = catalogued->id;
    else
        return beginning + u"] que no existe"_s;
    const int place = placeOf(definition, field);
    if (place < 0)
        return beginning + u"] que no está incluida en el informe"_s;
    const int ownPlace = placeOf(definition, column.field());
    if (ReportFields::isCalculated(field) && (ownPlace < 0 || place > ownPlace))
        return u"No puede utilizar la columna ["_s + name + u"] en la fórmula de cálculo de ["_s + title
               + u"] porque se calcula despues"_s;
    return {};
}

}  // namespace

QList<FormulaCheckLine> PCONTFOR(const ReportDefinition& definition, const ReportCatalogue& catalogue,
                                 const QStringList& alsoKnown)
{
    QList<FormulaCheckLine> lines;
    for (const CalculatedColumn* column : inColumnOrder(definition)) {
        if (column->title.trimmed().isEmpty()) {
            lines.append({u"La columna calculada "_s + quote + QString::number(column->id) + quote
                              + u" no tiene título."_s,
                          true});
            continue;
        }
        bool faultless = true;
        if (column->kind == CalculatedKind::betweenColumns) {
            for (const QString& name : formulaReferences(column->formula)) {
                const QString fault = referenceFault(definition, catalogue, alsoKnown, *column, name);
                if (fault.isEmpty())
                    continue;
                lines.append({fault, true});
                faultless = false;
            }
        }
        if (faultless)
            lines.append({u"La columna calculada ["_s + column->title + u"] es correcta"_s, false});
    }
    return lines;
}
