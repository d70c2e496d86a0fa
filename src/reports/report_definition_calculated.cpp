#include "reports/report_definition_calculated.h"

#include "data/cursor.h"
#include "data/database.h"
#include "reports/report_definition_filter.h"
#include "reports/report_formula_check.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

QStringList conceptTypeTexts()
{
    return {u"1 - Haber"_s, u"2 - Descuento de ley"_s, u"3 - Descuento"_s};
}

QStringList formulaFunctionTexts()
{
    return {u"REDONDEAR()"_s, u"SQR()"_s,    u"Fix()"_s,  u"Int()"_s,    u"iif()"_s,
            u"Switch()"_s,    u"Left$()"_s,  u"Right$()"_s, u"Mid$()"_s, u"Day()"_s,
            u"Month()"_s,     u"Year()"_s,   u"DateAdd()"_s, u"DateDiff()"_s};
}

QStringList accumulatorPrefixes()
{
    return {u"ACH"_s, u"ACH0"_s, u"ACHCC"_s, u"ACHCC0"_s};
}

namespace {

/// (name, description) of every accumulator under every prefix, by number.
QList<std::pair<QString, QString>> accumulatorEntries(Database& database)
{
    QList<std::pair<QString, QString>> entries;
    QueryCursor rows(database);
    if (rows.open(u"SELECT AcuId, AcuDesc FROM ACUMHL ORDER BY AcuId"_s))
        return entries;
    for (; rows.hasCurrent(); rows.moveNext()) {
        const QString number = QString::number(rows.integer(u"AcuId"_s));
        for (const QString& prefix : accumulatorPrefixes())
            entries.append({prefix + number, rows.text(u"AcuDesc"_s).trimmed()});
    }
    database.idleFreeLocks();
    return entries;
}

}  // namespace

QList<ColumnChoice> WSELCOLU(Database& database, const QStringList& columnNames)
{
    QList<ColumnChoice> choices;
    for (const QString& name : columnNames)
        choices.append({u'[' + name + u']', name});
    for (const QString& function : formulaFunctionTexts())
        choices.append({function, function});
    for (const auto& [name, description] : accumulatorEntries(database))
        choices.append({u'[' + name + u']', name + u" - "_s + description});
    return choices;
}

QStringList accumulatorNames(Database& database)
{
    QStringList names;
    for (const auto& entry : accumulatorEntries(database))
        names.append(entry.first);
    return names;
}

namespace {

/// The kind as the audit sentence names it.
QString auditKind(const QString& kind)
{
    if (kind == CalculatedKind::basic)
        return u"Basico"_s;
    if (kind == CalculatedKind::foreignAmount)
        return u"Importe M/E"_s;
    if (kind == CalculatedKind::betweenColumns)
        return u"Calculo entre columnas"_s;
    return kind;
}

QString conceptFilterText(const CalculatedColumn& column)
{
    return u"Codigos de concepto="_s + column.first + u", Codigos de grupo="_s + column.second
           + u", Tipo de concepto="_s + column.third;
}

QString auditParameters(const CalculatedColumn& column)
{
    const QString& kind = column.kind;
    if (kind == CalculatedKind::basic)
        return u"Basico='"_s + column.first + u"', Cargo='"_s + column.second + u"',Centro de costo='"_s
               + column.third + u"'"_s;
    if (kind == CalculatedKind::quantity)
        return u"Cantidad='"_s + conceptFilterText(column) + u"'"_s;
    if (kind == CalculatedKind::amount)
        return u"Importe='"_s + conceptFilterText(column) + u"'"_s;
    if (kind == CalculatedKind::foreignAmount)
        return u"Importe M/E='"_s + conceptFilterText(column) + u"'"_s;
    if (kind == CalculatedKind::betweenColumns)
        return u"Formula='"_s + column.formula + u"'"_s;
    if (kind == CalculatedKind::fileSum)
        return u"Codigos de anotacion='"_s + column.first + u"'"_s;
    return {};
}

bool basicExists(Database& database, const QString& code)
{
    bool number = false;
    const int basic = code.toInt(&number);
    if (!number)
        return false;
    QueryCursor found(database);
    const bool exists = !found.open(u"SELECT BasId FROM BASICOS WHERE BasId = ?"_s, {basic}) && found.hasCurrent();
    database.idleFreeLocks();
    return exists;
}

}  // namespace

QString calculatedAuditText(const CalculatedColumn& column)
{
    return u"Modifica cálculo: "_s + column.title + u", Contenido='"_s + auditKind(column.kind) + u"', "_s
           + auditParameters(column);
}

WDEFCALC::WDEFCALC(Database& database, const CalculatedColumn& column, const QList<CalculatedColumn>& others)
    : database_(database), column_(column)
{
    for (const CalculatedColumn& other : others) {
        if (other.id != column.id)
            others_.append(other);
    }
}

void WDEFCALC::setKind(const QString& kind)
{
    if (kind == column_.kind)
        return;
    column_.kind = kind;
    column_.formula.clear();
    column_.first.clear();
    column_.second.clear();
    column_.third.clear();
}

QString WDEFCALC::panelOf(const QString& kind)
{
    if (kind == CalculatedKind::basic)
        return u"WPARBASI"_s;
    if (kind == CalculatedKind::betweenColumns)
        return u"WPARCALC"_s;
    if (kind == CalculatedKind::fileSum)
        return u"WPARFICC"_s;
    if (kind.isEmpty())
        return {};
    return u"WPARCONC"_s;
}

void WDEFCALC::setBasic(const QString& code, bool byPosition, bool byCostCentre)
{
    column_.first = code.trimmed();
    column_.second = byPosition ? u"S"_s : u"N"_s;
    column_.third = byCostCentre ? u"S"_s : u"N"_s;
}

void WDEFCALC::setConceptFilter(const QString& concepts, const QString& groups, const QString& type)
{
    column_.first = concepts.simplified().remove(u' ');
    column_.second = groups.simplified().remove(u' ');
    column_.third = type.trimmed().left(1);
}

QString WDEFCALC::fault() const
{
    for (const CalculatedColumn& other : others_) {
        if (!column_.title.isEmpty() && other.title.compare(column_.title, Qt::CaseInsensitive) == 0)
            return u"Ya existe una columna calculada con ese título"_s;
    }
    const QString& kind = column_.kind;
    if (!CalculatedKind::all().contains(kind))
        return u"Falta indicar el contenido de la columna"_s;
    if (kind == CalculatedKind::basic) {
        if (column_.first.isEmpty())
            return u"Falta indicar código de básico"_s;
        if (!basicExists(database_, column_.first))
            return u"No existe el básico "_s + column_.first;
        return {};
    }
    if (kind == CalculatedKind::betweenColumns) {
        if (column_.formula.isEmpty())
            return u"No indicó una fórmula para el campo calculado"_s;
        return formulaWordRefusal(column_.formula);
    }
    if (kind == CalculatedKind::fileSum) {
        if (column_.first.isEmpty())
            return u"Falta indicar códigos de anotación"_s;
        return {};
    }
    // A concept filter: concept codes are numbers and ranges; group codes
    // are the concepts' text codes ("SUELDOS"), values and ranges too.
    if (!filterConditionFault(u"N"_s, column_.first).isEmpty())
        return u"Debe indicar valores numéricos"_s;
    return {};
}

bool WDEFCALC::confirm(UiPort& ui)
{
    const QString refusal = fault();
    if (refusal.isEmpty())
        return true;
    ui.message(refusal, MessageIcon::Exclamation);
    return false;
}
