// PCONELIM, the bulk delete of a concept: the uses that forbid it, then the
// concept with everything that hangs on it, in one database transaction.
#include "payroll/concept_delete.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "engine/audit.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "payroll/definition_reads.h"

using namespace Qt::StringLiterals;

namespace {

/// One place whose use of the concept forbids the delete: a select with
/// one "?" for the concept, and what is shown when it finds a row.
struct DeleteCheck {
    const char16_t* select;
    const char16_t* message;
    int binds = 1;  ///< "?" marks, each bound to the concept
};

// In the order the delete looks; the first use found is the one told.
constexpr DeleteCheck deleteChecks[] = {
    {u"SELECT AporConId FROM APORTE1 WHERE AporConId = ? LIMIT 1",
     u"Concepto usado en Aportes, no puede eliminarse."},
    {u"SELECT HConId FROM HISTORIA WHERE HConId = ? LIMIT 1", u"Concepto usado en Historia, no puede eliminarse."},
    {u"SELECT ConId FROM MOVIMIEN WHERE ConId = ? LIMIT 1", u"Concepto usado en Movimientos, no puede eliminarse."},
    {u"SELECT CfRedRCon FROM CONFIGUR WHERE CfRedRCon = ? LIMIT 1",
     u"Concepto usado en redondeo, no puede eliminarse."},
    {u"SELECT TLId FROM TIPLIQUI WHERE TLConIdRes = ? LIMIT 1",
     u"Concepto usado para resumir liquidaciones de adelanto, no puede eliminarse."},
    {u"SELECT TLId FROM TIPLIQUI WHERE TLConIdNeg = ? LIMIT 1",
     u"Concepto usado para descontar líquidos negativos, no puede eliminarse."},
    {u"SELECT TLId FROM TIPLIQUI WHERE TLConIdDes = ? LIMIT 1",
     u"Concepto usado para descontar liquidaciones de adelanto, no puede eliminarse."},
    {u"SELECT TLId FROM TIPLIQUI WHERE TLConIdAgu = ? LIMIT 1",
     u"Concepto usado en liquidaciones de aguinaldo, no puede eliminarse."},
};

constexpr DeleteCheck lateChecks[] = {
    {u"SELECT ConId FROM ASIENT4 WHERE ConId = ? LIMIT 1", u"Concepto utilizado en asientos, no puede eliminarse"},
    {u"SELECT HMId FROM HORMARCA WHERE HMConHNor = ? OR HMConHExtr = ? OR HMConHNoc = ? OR HMConHENoc = ? "
     u"OR HMConJorna = ? OR HMConDiaFa = ? OR HMConHsFal = ? OR HMConCLT = ? OR HMConMLT = ? LIMIT 1",
     u"Concepto utilizado en horarios, no puede eliminarse", 9},
};

/// Whether `check` finds a use of `conceptCode`; a failed read sets `error`.
bool finds(Database& database, const DeleteCheck& check, int conceptCode, DbError& error)
{
    const QString select = QString::fromUtf16(check.select);
    QVariantList values;
    for (int bound = 0; bound < check.binds; ++bound)
        values << conceptCode;
    bool failed = false;
    const QList<QVariantList> rows = readRows(database, select, values, &failed);
    if (failed)
        error = DbError::make(DbErrorNumber::Unexpected, u"No se pudo leer "_s + select.section(u' ', 3, 3));
    return !rows.isEmpty();
}

/// Every row of `table` whose ConId (the first field of `index`) is the
/// concept, locked with the lock-wait routine and deleted.
DbError deleteRows(Database& database, UiPort& ui, const QString& table, const QString& index, int conceptCode)
{
    TableCursor cursor(database);
    DbError error = cursor.open(table);
    if (!error)
        error = cursor.setIndex(index);
    while (!error) {
        error = cursor.seek(Comparison::GreaterOrEqual, {conceptCode});
        if (error || !cursor.hasCurrent() || cursor.integer(u"ConId"_s) != conceptCode)
            break;
        editWaitingForLock(cursor, ui, &error);
        if (error)
            break;
        error = cursor.remove();
        cursor.cancelUpdate();
    }
    return error;
}

/// The parameters that name the concept: the entries' ones are deleted, the
/// work schedule's are cleared. A parameter names the concept by its number
/// or by its text.
DbError forgetParameters(Database& database, int conceptCode)
{
    const QString code = QString::number(conceptCode);
    const QString entries = u"TRIM(ParTabla) = 'Asientos' AND TRIM(ParParamet) IN ('ConPM', 'ConPJ')"_s;
    if (DbError error = database.execute(u"DELETE FROM PARAMETR WHERE "_s + entries
                                             + u" AND (ParValorNu = ? OR TRIM(ParValorCa) = ?)"_s,
                                         {conceptCode, code}))
        return error;
    const QString schedule = u"TRIM(ParTabla) = 'PlaTrabajo' AND TRIM(ParParamet) IN ('ConIdM', 'ConIdJ')"_s;
    if (DbError error = database.execute(u"UPDATE PARAMETR SET ParValorNu = 0 WHERE "_s + schedule
                                             + u" AND ParValorNu = ?"_s,
                                         {conceptCode}))
        return error;
    return database.execute(u"UPDATE PARAMETR SET ParValorCa = '' WHERE "_s + schedule + u" AND TRIM(ParValorCa) = ?"_s,
                            {code});
}

}  // namespace

QString conceptDeleteRefusal(Database& database, int conceptCode, DbError& error)
{
    for (const DeleteCheck& check : deleteChecks) {
        if (finds(database, check, conceptCode, error))
            return QString::fromUtf16(check.message);
        if (error)
            return {};
    }
    bool failed = false;
    const QList<QVariantList> expanding =
        readRows(database, u"SELECT ConId FROM CONCEPT2 WHERE ExpConId = ? ORDER BY ConId, ExpConId"_s, {conceptCode},
                 &failed);
    if (failed) {
        error = DbError::make(DbErrorNumber::Unexpected, u"No se pudo leer CONCEPT2"_s);
        return {};
    }
    if (!expanding.isEmpty()) {
        return u"Concepto usado para expandir al concepto "_s + QString::number(expanding.first().value(0).toInt())
               + u", no puede eliminarse."_s;
    }
    for (const DeleteCheck& check : lateChecks) {
        if (finds(database, check, conceptCode, error))
            return QString::fromUtf16(check.message);
        if (error)
            return {};
    }
    return {};
}

DbError deleteConceptDefinition(Database& database, UiPort& ui, int conceptCode)
{
    struct Definition {
        const char16_t* table;
        const char16_t* index;
    };
    static constexpr Definition tables[] = {
        {u"CONCEPT4", u"ICONCE11"}, {u"CONCEPT3", u"ICONCEP7"}, {u"CONCEPT2", u"ICONCEP5"},
        {u"CONCEPT1", u"ICONCEP2"}, {u"CONCEPT", u"ICONCEPT"},
    };
    for (const Definition& definition : tables) {
        if (DbError error = deleteRows(database, ui, QString::fromUtf16(definition.table),
                                       QString::fromUtf16(definition.index), conceptCode))
            return error;
    }
    return {};
}

ProcedureResult PCONELIM(Database& database, UiPort& ui, int conceptCode)
{
    DbError error;
    const QString refusal = conceptDeleteRefusal(database, conceptCode, error);
    if (error)
        return ProcedureResult::from(error);
    if (!refusal.isEmpty())
        return ProcedureResult::failure(refusal);
    const QVariant description = conceptField(database, conceptCode, u"ConDesc"_s);
    if (!description.isValid())
        return {DbErrorNumber::NoCurrentRecord, u"No se encontro el registro"_s};

    // One transaction for all of it, the audit entry included: a failure
    // anywhere leaves no concept without its lines, no lines without their
    // concept and no entry telling of a delete that did not happen.
    error = runInOneTransaction(database, [&]() -> DbError {
        if (DbError failure = deleteConceptDefinition(database, ui, conceptCode))
            return failure;
        if (DbError failure = forgetParameters(database, conceptCode))
            return failure;
        if (DbError failure = database.execute(u"UPDATE FUNCIONA SET FunPConId = 0 WHERE FunPConId = ?"_s,
                                               {conceptCode}))
            return failure;
        return writeAuditEntry(database, AuditArea::Concepts,
                               u"Elimina concepto "_s + QString::number(conceptCode) + u"."_s + u" Descripción = "_s
                                   + description.toString().trimmed());
    });
    database.idleFreeLocks();
    if (error)
        return ProcedureResult::from(error);
    markSynchronisedChange(database, ui);
    return {};
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"PCONELIM"_s, ObjectKind::Procedure, u"Elimina un concepto"_s);
    return true;
}();
}  // namespace
