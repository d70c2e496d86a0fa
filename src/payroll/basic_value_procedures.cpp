// The procedures of the basics' list: its own delete (PELIMBAS) and the
// change of a basic's number (WCAMBIAB asking, PCAMBIAB changing).
#include "payroll/basic_value_procedures.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "data/parameters.h"
#include "engine/audit.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "support/ui_port.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

const QString duplicateText = u"Ya existe el registro"_s;

ProcedureResult failed(const DbError& error)
{
    return {error.number ? error.number : DbErrorNumber::Unexpected, error.fullText()};
}

/// The lowest-numbered concept (number and description joined by a blank)
/// that `query` finds for `basic`; empty when none. `query` selects ConId and
/// ConDesc with one "?" for the basic.
QString firstConcept(Database& database, const QString& query, int basic, DbError& error)
{
    QSqlQuery select(database.connection());
    select.prepare(translateJetSql(query, database.backend()));
    select.addBindValue(basic);
    if (!select.exec()) {
        error = database.failure(select.lastError(), u"No se pudo leer los conceptos"_s);
        return {};
    }
    if (!select.next())
        return {};
    return select.value(0).toString() + u' ' + select.value(1).toString().trimmed();
}

bool rowExists(Database& database, const QString& table, const QString& index, int key)
{
    TableCursor cursor(database);
    DbError error = cursor.open(table, Access::ReadOnly);
    if (!error)
        error = cursor.setIndex(index);
    if (!error)
        error = cursor.seek(Comparison::GreaterOrEqual, {key});
    const bool found = !error && cursor.hasCurrent() && cursor.integer(u"BasId"_s) == key;
    database.idleFreeLocks();
    return found;
}

/// Every row of `table` whose `field` (the first field of `index`) holds
/// `from`, locked with the lock-wait routine and then deleted (`to` < 0) or
/// given `to`.
DbError rewriteRows(Database& database, UiPort& ui, const QString& table, const QString& index,
                    const QString& field, int from, int to)
{
    TableCursor cursor(database);
    DbError error = cursor.open(table);
    if (!error)
        error = cursor.setIndex(index);
    while (!error) {
        error = cursor.seek(Comparison::GreaterOrEqual, {from});
        if (error || !cursor.hasCurrent() || cursor.integer(field) != from)
            break;
        editWaitingForLock(cursor, ui, &error);
        if (error)
            break;
        if (to < 0) {
            error = cursor.remove();
            cursor.cancelUpdate();
            continue;
        }
        error = cursor.setValue(field, to);
        if (!error)
            error = cursor.update();
        if (error)
            cursor.cancelUpdate();
    }
    return error;
}

}  // namespace

ProcedureResult PELIMBAS(Database& database, UiPort& ui, int basic)
{
    double irpfBasic = 0;
    PPARLN40(database, u"Configur"_s, u"BPCEnero"_s, 0, irpfBasic);
    if (irpfBasic == basic) {
        return {1, u"No se puede eliminar el básico porque es utilizado en el IRPF (cálculo de aportes caja "
                   "profesionales)."_s};
    }
    struct Use {
        QString query;
        QString message;
    };
    const QList<Use> uses = {
        {u"SELECT ConId, ConDesc FROM CONCEPT WHERE BasIdBPC = ? ORDER BY ConId"_s,
         u"No se puede eliminar el básico porque es utilizado como valor de la BPC del concepto "_s},
        {u"SELECT ConId, ConDesc FROM CONCEPT WHERE BasIdTope = ? ORDER BY ConId"_s,
         u"No se puede eliminar el básico porque es utilizado como tope imponible del concepto "_s},
        {u"SELECT c.ConId, c.ConDesc FROM CONCEPT1 l JOIN CONCEPT c ON c.ConId = l.ConId WHERE l.BasId = ? "
         "ORDER BY c.ConId, l.OpeLin"_s,
         u"No se puede eliminar el básico porque es utilizado en el cálculo de importe del concepto "_s},
        {u"SELECT c.ConId, c.ConDesc FROM CONCEPT4 l JOIN CONCEPT c ON c.ConId = l.ConId WHERE l.BasId = ? "
         "ORDER BY c.ConId, l.CanLin"_s,
         u"No se puede eliminar el básico porque es utilizado en el cálculo de cantidad del concepto "_s},
    };
    for (const Use& use : uses) {
        DbError error;
        const QString concept_ = firstConcept(database, use.query, basic, error);
        if (error)
            return failed(error);
        if (!concept_.isEmpty())
            return {1, use.message + concept_};
    }

    QString description;
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        if (DbError failure = rewriteRows(database, ui, u"BASICOS1"_s, u"IBASICO"_s, u"BasId"_s, basic, -1))
            return failure;
        TableCursor header(database);
        DbError failure = header.open(u"BASICOS"_s);
        if (!failure)
            failure = header.setIndex(u"IBASICOS"_s);
        if (!failure)
            failure = header.seek(Comparison::Equal, {basic});
        if (failure || header.noMatch() || !header.hasCurrent())
            return failure;  // the values were all there was
        description = header.text(u"BasDesc"_s).trimmed();
        editWaitingForLock(header, ui, &failure);
        if (!failure)
            failure = header.remove();
        header.cancelUpdate();
        return failure;
    });
    if (error)
        return failed(error);
    markSynchronisedChange(database, ui);
    writeAuditEntry(database, AuditArea::Tables,
                    u"Elimina básico "_s + QString::number(basic) + u", descripción = "_s + description);
    return {};
}

ProcedureResult PCAMBIAB(Database& database, UiPort& ui, int from, int to)
{
    if (from == to)
        return {};
    // A collision refuses the whole change: nothing is copied over a basic
    // or a value that already holds the new number.
    if (rowExists(database, u"BASICOS"_s, u"IBASICOS"_s, to) || rowExists(database, u"BASICOS1"_s, u"IBASICO"_s, to))
        return {DbErrorNumber::DuplicateKey, duplicateText};
    if (!rowExists(database, u"BASICOS"_s, u"IBASICOS"_s, from))
        return {DbErrorNumber::NoCurrentRecord, u"No se encontro el registro"_s};

    struct Renumbered {
        const char16_t* table;
        const char16_t* index;
        const char16_t* field;
    };
    static const Renumbered places[] = {
        {u"BASICOS", u"IBASICOS", u"BasId"},     {u"BASICOS1", u"IBASICO", u"BasId"},
        {u"CONCEPT", u"ICONCE20", u"BasIdTope"}, {u"CONCEPT", u"ICONCE14", u"BasIdBPC"},
        {u"CONCEPT", u"ICONCEP3", u"BasIdAFAP"}, {u"CONCEPT1", u"ICONCE10", u"BasId"},
        {u"CONCEPT4", u"ICONCE12", u"BasId"},
    };
    struct Parameter {
        const char16_t* group;
        const char16_t* name;
        int index;
    };
    static const Parameter parameters[] = {
        {u"FONASA", u"BasicoCM", 1}, {u"FONASA", u"BasicoCM", 4}, {u"Configur", u"BPCEnero", 0},
        {u"HisLaboral", u"Basico", 0},
    };
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        for (const Renumbered& place : places) {
            if (DbError failure = rewriteRows(database, ui, QString::fromUtf16(place.table),
                                              QString::fromUtf16(place.index), QString::fromUtf16(place.field), from,
                                              to))
                return failure;
        }
        for (const Parameter& parameter : parameters) {
            double number = 0;
            const QString group = QString::fromUtf16(parameter.group);
            const QString name = QString::fromUtf16(parameter.name);
            if (!PPARLN40(database, group, name, parameter.index, number) || number != from)
                continue;
            if (DbError failure = PPARGN40(database, ui, group, name, parameter.index, to))
                return failure;
        }
        return {};
    });
    if (error.number == DbErrorNumber::DuplicateKey)
        return {error.number, duplicateText};
    if (error)
        return failed(error);
    markSynchronisedChange(database, ui);
    return {};
}

void WCAMBIAB::start(const QString& key)
{
    oldNumber_ = key.trimmed().toInt();
    newNumber_ = 0;
    changed_ = false;
    closeRequested_ = false;
}

bool WCAMBIAB::confirm()
{
    if (newNumber_ <= 0) {
        ui_.message(u"Falta número de básico"_s, MessageIcon::Exclamation);
        return false;
    }
    if (rowExists(database_, u"BASICOS"_s, u"IBASICOS"_s, newNumber_)) {
        ui_.message(u"El número de basico nuevo ya existe"_s, MessageIcon::Exclamation);
        return false;
    }
    const ProcedureResult outcome = PCAMBIAB(database_, ui_, oldNumber_, newNumber_);
    if (!outcome.ok()) {
        ui_.message(outcome.message, MessageIcon::Exclamation);
        return false;
    }
    changed_ = true;
    closeRequested_ = true;
    return true;
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"PELIMBAS"_s, ObjectKind::Procedure, u"Elimina un básico"_s);
    ObjectRegistry::addEntry(u"PCAMBIAB"_s, ObjectKind::Procedure, u"Cambia el número de un básico"_s);
    return true;
}();
}  // namespace
