// The change of a concept's code and the merge of two concepts: WCONCAMB
// asks and previews, PCONCAMB rewrites every reference in one transaction.
#include "payroll/concept_code_change.h"

#include "data/database.h"
#include "data/parameters.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "support/dates.h"
#include "support/ui_port.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

/// One statement of the rewrite: `field` of `table` holds concept codes.
/// `condition` narrows the rows (the calculated lines of existing entries).
struct RewriteStep {
    const char16_t* table;
    const char16_t* field;
    const char16_t* description;
    const char16_t* condition = u"";
    bool definition = false;  ///< the old concept's own definition: a merge deletes it
};

/// The rewrite in its fixed order.
const RewriteStep rewriteSteps[] = {
    {u"APORTE1", u"AporConId", u"Líneas de grupos de aportes"},
    {u"ASIENT4", u"ConId", u"Cálculos de líneas de asientos",
     u" AND AsiCalculo = 'C' AND AsiId IN (SELECT AsiId FROM ASIENTO)"},
    {u"CARGOSFU", u"PTConId", u"Cargos de funcionarios"},
    {u"CONCEPT", u"ConId", u"Concepto", u"", true},
    {u"CONCEPT1", u"ConId", u"Líneas de cálculo de importe", u"", true},
    {u"CONCEPT2", u"ConId", u"Expansión del concepto", u"", true},
    {u"CONCEPT3", u"ConId", u"Acumuladores del concepto", u"", true},
    {u"CONCEPT4", u"ConId", u"Líneas de cálculo de cantidad", u"", true},
    {u"HISTORIA", u"HConId", u"Historia de movimientos"},
    {u"LIQUIDAC", u"LConId", u"Liquidaciones"},
    {u"MOVIMIEN", u"ConId", u"Movimientos"},
    {u"MOVNUEVO", u"MonConId", u"Movimientos nuevos"},
    {u"PARLIQX", u"PLConIdExc", u"Excepciones de tipos de liquidación"},
    {u"PHDEF2", u"ConId", u"Planilla horizontal"},
    {u"TIPLIQUI", u"TLConIdAgu", u"Tipos de liquidación (aguinaldo)"},
    {u"TIPLIQUI", u"TLConIdDes", u"Tipos de liquidación (descuento de adelantos)"},
    {u"TIPLIQUI", u"TLConIdNeg", u"Tipos de liquidación (líquidos negativos)"},
    {u"TIPLIQUI", u"TLConIdRes", u"Tipos de liquidación (resumen de adelantos)"},
    {u"FORMATOP", u"FPConId", u"Formato de planilla"},
    {u"HORMARCA", u"HMConHNor", u"Conceptos de marcas (horas normales)"},
    {u"HORMARCA", u"HMConJorna", u"Conceptos de marcas (jornales)"},
    {u"HORMARCA", u"HMConHNoc", u"Conceptos de marcas (horas nocturnas)"},
    {u"HORMARCA", u"HMConHExtr", u"Conceptos de marcas (horas extras)"},
    {u"HORMARCA", u"HMConHENoc", u"Conceptos de marcas (horas extras nocturnas)"},
    {u"HORMARCA", u"HMConDiaFa", u"Conceptos de marcas (días de falta)"},
    {u"HORMARCA", u"HMConHsFal", u"Conceptos de marcas (horas de falta)"},
    {u"HORMARCA", u"HMConCLT", u"Conceptos de marcas (CLT)"},
    {u"HORMARCA", u"HMConMLT", u"Conceptos de marcas (MLT)"},
    {u"FUNCIONA", u"FunPConId", u"Funcionarios (concepto preferido)"},
    {u"CONFIGUR", u"CfRedRCon", u"Configuración (concepto de redondeo)"},
};

/// The history step, the only one of "solo liquidaciones".
const RewriteStep historyStep = {u"HISTORIA", u"HConId", u"Historia de movimientos",
                                 u" AND HPLFch >= ? AND HPLFch < ?"};

/// The parameter rows that hold a concept code in their number.
struct ConceptParameter {
    const char16_t* group;
    const char16_t* name;
};
const ConceptParameter conceptParameters[] = {
    {u"PlaTrabajo", u"ConIdM"},    {u"PlaTrabajo", u"ConIdJ"}, {u"PlaTrabajo", u"ArchBROUM"},
    {u"PlaTrabajo", u"ArchBROUJ"}, {u"Asientos", u"ConPM"},    {u"Asientos", u"ConPJ"},
};

/// A reference to a concept that no step rewrites; `field` holds the old
/// code in rows of other concepts (`ownerField`), or in the concept's own
/// rows when `ownerField` is empty.
struct UntouchedReference {
    const char16_t* table;
    const char16_t* field;
    const char16_t* ownerField;
    const char16_t* description;
};
const UntouchedReference untouchedReferences[] = {
    {u"CONCEPT1", u"ConIdImp", u"ConId", u"Líneas de importe de otros conceptos que lo usan"},
    {u"CONCEPT4", u"ConIdCant", u"ConId", u"Líneas de cantidad de otros conceptos que lo usan"},
    {u"CONCEPT2", u"ExpConId", u"ConId", u"Otros conceptos que se expanden en él"},
    {u"CONCEPT5", u"ConId", u"", u"Aplicaciones del concepto"},
};

QString text(const char16_t* value)
{
    return QString::fromUtf16(value);
}

/// The values bound after the two codes of a step: the date range of the
/// history step, from the first day to the day after the last.
QVariantList rangeValues(const ConceptCodeChange& change)
{
    return {QDateTime(change.from, QTime(0, 0)), QDateTime(change.to.addDays(1), QTime(0, 0))};
}

QSqlQuery prepared(Database& database, const QString& statement, const QVariantList& values)
{
    QSqlQuery query(database.connection());
    query.prepare(translateJetSql(statement, database.backend()));
    for (const QVariant& value : values)
        query.addBindValue(storageValue(value, database.backend()));
    return query;
}

/// How many rows `step` finds holding `code`.
int countRows(Database& database, const RewriteStep& step, const QVariantList& values, DbError* error)
{
    const QString statement = u"SELECT COUNT(*) FROM "_s + text(step.table) + u" WHERE "_s + text(step.field)
        + u" = ?"_s + text(step.condition);
    QSqlQuery query = prepared(database, statement, values);
    if (!query.exec() || !query.next()) {
        *error = database.failure(query.lastError(), u"No se pudo contar "_s + text(step.table));
        return 0;
    }
    return query.value(0).toInt();
}

ImpactCount stepCount(Database& database, const RewriteStep& step, const ConceptCodeChange& change, bool range,
                      DbError* error)
{
    QVariantList values{change.oldCode};
    if (range)
        values += rangeValues(change);
    ImpactCount count;
    count.table = text(step.table);
    count.field = text(step.field);
    count.description = text(step.description);
    count.deleted = change.merge && step.definition;
    count.rows = countRows(database, step, values, error);
    return count;
}

ImpactCount untouchedCount(Database& database, const UntouchedReference& reference, int code, DbError* error)
{
    ImpactCount count;
    count.table = text(reference.table);
    count.field = text(reference.field);
    count.description = text(reference.description);
    const QString owner = text(reference.ownerField);
    const QString statement = owner.isEmpty()
        ? u"SELECT %1 FROM %2 WHERE %1 = ?"_s.arg(count.field, count.table)
        : u"SELECT %1 FROM %2 WHERE %3 = ? AND %1 <> ? ORDER BY %1"_s.arg(owner, count.table, count.field);
    QSqlQuery query = prepared(database, statement, owner.isEmpty() ? QVariantList{code} : QVariantList{code, code});
    if (!query.exec()) {
        *error = database.failure(query.lastError(), u"No se pudo leer "_s + count.table);
        return count;
    }
    while (query.next()) {
        ++count.rows;
        const int concept_ = query.value(0).toInt();
        if (!owner.isEmpty() && !count.concepts.contains(concept_))
            count.concepts.append(concept_);
    }
    return count;
}

int parameterRows(Database& database, int code, DbError* error)
{
    int rows = 0;
    for (const ConceptParameter& parameter : conceptParameters) {
        QSqlQuery query = prepared(database,
                                   u"SELECT COUNT(*) FROM PARAMETR WHERE ParTabla = ? AND ParParamet = ? "
                                   "AND ParValorNu = ?"_s,
                                   {text(parameter.group), text(parameter.name), code});
        if (!query.exec() || !query.next()) {
            *error = database.failure(query.lastError(), u"No se pudo leer los parámetros"_s);
            return rows;
        }
        rows += query.value(0).toInt();
    }
    return rows;
}

DbError runStep(Database& database, const RewriteStep& step, const ConceptCodeChange& change, bool range)
{
    const QString table = text(step.table);
    const QString field = text(step.field);
    if (change.merge && step.definition) {
        return database.execute(u"DELETE FROM "_s + table + u" WHERE "_s + field + u" = ?"_s + text(step.condition),
                                {change.oldCode});
    }
    QVariantList values{change.newCode, change.oldCode};
    if (range)
        values += rangeValues(change);
    return database.execute(
        u"UPDATE "_s + table + u" SET "_s + field + u" = ? WHERE "_s + field + u" = ?"_s + text(step.condition),
        values);
}

DbError rewriteParameters(Database& database, UiPort& ui, const ConceptCodeChange& change)
{
    for (const ConceptParameter& parameter : conceptParameters) {
        // Parameters that hold a list keep a code at any position.
        QSqlQuery query = prepared(database,
                                   u"SELECT ParIndice FROM PARAMETR WHERE ParTabla = ? AND ParParamet = ? "
                                   "AND ParValorNu = ? ORDER BY ParIndice"_s,
                                   {text(parameter.group), text(parameter.name), change.oldCode});
        if (!query.exec())
            return database.failure(query.lastError(), u"No se pudo leer los parámetros"_s);
        QList<int> positions;
        while (query.next())
            positions.append(query.value(0).toInt());
        query.finish();
        for (int position : positions) {
            if (DbError error = PPARGN40(database, ui, text(parameter.group), text(parameter.name), position,
                                         change.newCode))
                return error;
        }
    }
    return {};
}

bool conceptExists(Database& database, int code)
{
    QSqlQuery query = prepared(database, u"SELECT ConId FROM CONCEPT WHERE ConId = ?"_s, {code});
    const bool found = query.exec() && query.next();
    database.idleFreeLocks();
    return found;
}

/// A code typed in the panel: a whole number from 1 to 9999, else 0.
int codeOf(const QString& typed)
{
    bool number = false;
    const int code = typed.toInt(&number);
    return number && code > 0 && code <= 9999 ? code : 0;
}

QString conceptList(const QList<int>& concepts)
{
    QStringList codes;
    for (int code : concepts)
        codes << QString::number(code);
    return codes.join(u", "_s);
}

}  // namespace

QStringList ConceptChangeImpact::lines(const ConceptCodeChange& change) const
{
    const QString oldCode = QString::number(change.oldCode);
    const QString newCode = QString::number(change.newCode);
    QStringList lines;
    lines << u"Filas con el concepto "_s + oldCode + u" que pasan al concepto "_s + newCode + u":"_s;
    for (const ImpactCount& count : rewritten) {
        QString line = u"  "_s + count.description + u" ("_s + count.table + u"."_s + count.field + u"): "_s
            + QString::number(count.rows);
        if (count.deleted)
            line += u" (se eliminan)"_s;
        lines << line;
    }
    if (change.onlyLiquidations)
        return lines;
    lines << u"  Parámetros (PARAMETR): "_s + QString::number(parameters);
    lines << u"Referencias que no se cambian (corregir a mano):"_s;
    for (const ImpactCount& count : untouched) {
        QString line = u"  "_s + count.description + u" ("_s + count.table + u"."_s + count.field + u"): "_s
            + QString::number(count.rows);
        if (!count.concepts.isEmpty())
            line += u" - conceptos "_s + conceptList(count.concepts);
        lines << line;
    }
    return lines;
}

ConceptChangeImpact previewConceptCodeChange(Database& database, const ConceptCodeChange& change, DbError* error)
{
    ConceptChangeImpact impact;
    DbError failure;
    if (change.onlyLiquidations) {
        impact.rewritten << stepCount(database, historyStep, change, true, &failure);
    } else {
        for (const RewriteStep& step : rewriteSteps) {
            if (failure)
                break;
            impact.rewritten << stepCount(database, step, change, false, &failure);
        }
        if (!failure)
            impact.parameters = parameterRows(database, change.oldCode, &failure);
        for (const UntouchedReference& reference : untouchedReferences) {
            if (failure)
                break;
            impact.untouched << untouchedCount(database, reference, change.oldCode, &failure);
        }
    }
    database.idleFreeLocks();
    if (error)
        *error = failure;
    return impact;
}

ProcedureResult PCONCAMB(Database& database, UiPort& ui, const ConceptCodeChange& change)
{
    if (change.oldCode == change.newCode)
        return {};
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        if (change.onlyLiquidations)
            return runStep(database, historyStep, change, true);
        for (const RewriteStep& step : rewriteSteps) {
            ui.statusText(1, u"Actualizando "_s + text(step.table) + u"..."_s);
            ui.processEvents();
            if (DbError failure = runStep(database, step, change, false))
                return failure;
        }
        return rewriteParameters(database, ui, change);
    });
    ui.statusText(1, QString());
    if (error.number == DbErrorNumber::DuplicateKey)
        return {error.number, u"Ya existe el registro"_s};
    if (error)
        return ProcedureResult::from(error);
    // The copy between installations learns that the concepts changed.
    markSynchronisedChange(database, ui);
    return {};
}

void WCONCAMB::start(const QString& key)
{
    change_ = {};
    oldText_ = key.trimmed();
    change_.oldCode = codeOf(oldText_);
    newText_.clear();
    fromText_.clear();
    toText_.clear();
    refused_ = false;
}

QString WCONCAMB::question(const ConceptCodeChange& change)
{
    const QString only = change.onlyLiquidations ? u" solo liquidaciones "_s : u" "_s;
    const QString oldCode = QString::number(change.oldCode);
    const QString newCode = QString::number(change.newCode);
    if (change.merge)
        return u"Unifica concepto "_s + oldCode + u" con el concepto "_s + newCode + only + u"?"_s;
    return u"Cambia nº concepto "_s + oldCode + u" a "_s + newCode + only + u"?"_s;
}

bool WCONCAMB::refuse(const QString& text)
{
    ui_.message(text, MessageIcon::Exclamation);
    refused_ = true;
    return false;
}

bool WCONCAMB::checked()
{
    change_.oldCode = codeOf(oldText_);
    change_.newCode = codeOf(newText_);
    if (change_.oldCode == 0 || change_.newCode == 0)
        return refuse(u"Falta indicar concepto"_s);
    if (change_.oldCode == change_.newCode)
        return refuse(u"Debe indicar un concepto diferente"_s);
    const bool exists = conceptExists(database_, change_.newCode);
    if (!change_.merge && exists)
        return refuse(u"Nuevo código de concepto ya existe"_s);
    if (change_.merge && !exists)
        return refuse(u"Nuevo código de concepto no existe"_s);
    if (!change_.onlyLiquidations)
        return true;
    if (fromText_.isEmpty() || toText_.isEmpty())
        return refuse(u"Debe indicar fecha desde y fecha hasta"_s);
    const ParsedDate from = parseDate(fromText_, u"dd/mm/yyyy"_s);
    const ParsedDate to = parseDate(toText_, u"dd/mm/yyyy"_s);
    if (!from.valid || !to.valid || from.empty || to.empty)
        return refuse(u"Fecha inválida"_s);
    // A single day is a range: only an end before the start is refused.
    if (to.date < from.date)
        return refuse(u"La fecha hasta debe ser mayor que la fecha desde"_s);
    change_.from = from.date;
    change_.to = to.date;
    return true;
}

bool WCONCAMB::showPreview()
{
    if (!showImpact_)
        return true;
    DbError error;
    const ConceptChangeImpact impact = previewConceptCodeChange(database_, change_, &error);
    if (error)
        return refuse(error.fullText());
    showImpact_(impact.lines(change_));
    // The window draws the preview before the question covers it.
    ui_.processEvents();
    return true;
}

bool WCONCAMB::preview()
{
    refused_ = false;
    return checked() && showPreview();
}

bool WCONCAMB::confirm()
{
    refused_ = false;
    if (!checked() || !showPreview())
        return false;
    if (!ui_.question(question(change_), DefaultButton::No))
        return false;
    const ProcedureResult outcome = [&] {
        const WaitScope wait(ui_);
        return PCONCAMB(database_, ui_, change_);
    }();
    if (!outcome.ok())
        return refuse(outcome.message);
    ui_.message(u"Cambio finalizado"_s, MessageIcon::Information);
    return true;
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"PCONCAMB"_s, ObjectKind::Procedure, u"Cambia el código de un concepto"_s);
    return true;
}();
}  // namespace
