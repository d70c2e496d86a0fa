#include "payroll/cost_centre_change.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/schema.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

const QList<CostCentreField>& costCentreFields()
{
    // The works are cost centres too: a work's code is its cost centre's.
    static const QList<CostCentreField> fields = [] {
        const QList<CostCentreField> declared = {
            {u"CENTROCO"_s, u"CCId"_s},     {u"ASIENTO1"_s, u"CCId"_s},    {u"BASICOS1"_s, u"CCId"_s},
            {u"CARGOSCC"_s, u"FunCCId"_s},  {u"CONCEPT"_s, u"ConCCId"_s},  {u"CRONOGRA"_s, u"CroCCId"_s},
            {u"HISTORIA"_s, u"MovCCId"_s},  {u"MOVIMIEN"_s, u"MovCCId"_s}, {u"OBRAS"_s, u"ObrId"_s},
        };
        for (const CostCentreField& each : declared) {
            const TableDef* table = Schema::table(each.table);
            Q_ASSERT_X(table && table->field(each.field), "costCentreFields", "every cost-centre field is in the schema");
        }
        return declared;
    }();
    return fields;
}

namespace {

QString costCentreDescription(Database& database, const QString& code, bool* found)
{
    TableCursor cursor(database);
    *found = false;
    if (cursor.open(u"CENTROCO"_s, Access::ReadOnly))
        return {};
    cursor.seek(Comparison::Equal, {code});
    *found = !cursor.noMatch() && cursor.hasCurrent();
    const QString description = *found ? cursor.text(u"CCDesc"_s).trimmed() : QString();
    database.idleFreeLocks();
    return description;
}

}  // namespace

ProcedureResult PCAMCCID(Database& database, UiPort& ui, const QString& oldCode, const QString& newCode)
{
    const QString from = oldCode.trimmed().toUpper();
    const QString to = newCode.trimmed().toUpper();
    if (to.isEmpty())
        return ProcedureResult::failure(u"Debe indicar el nuevo código para el centro de costo."_s);
    bool exists = false;
    const QString description = costCentreDescription(database, from, &exists);
    if (!exists)
        return ProcedureResult::failure(u"No existe CentroCosto"_s);
    bool taken = false;
    costCentreDescription(database, to, &taken);
    if (taken)
        return ProcedureResult::failure(u"Nuevo código de centro de costo ya existe"_s);

    ui.statusText(1, u"Cambiando código de centro de costo ..."_s);
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        for (const CostCentreField& each : costCentreFields()) {
            ui.processEvents();
            const QString statement = u"UPDATE %1 SET %2 = ? WHERE %2 = ?"_s.arg(each.table, each.field);
            if (DbError failure = database.execute(statement, {to, from}))
                return failure;
        }
        return {};
    });
    database.idleFreeLocks();
    ui.statusText(1, QString());
    if (error)
        return ProcedureResult::from(error);
    markSynchronisedChange(database, ui);
    writeAuditEntry(database, AuditArea::Tables,
                    u"Cambio código de centro de costo "_s + from + u" - "_s + description + u". Nuevo código = "_s + to);
    return {};
}

void WCAMCCOS::start(const QString& key)
{
    costCentre_ = key.trimmed().toUpper();
    newCode_.clear();
}

bool WCAMCCOS::confirm()
{
    if (readSyncSwitches(database_, u"CC"_s).copiedAutomatically()) {
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    const ProcedureResult result = PCAMCCID(database_, ui_, costCentre_, newCode_);
    if (!result.ok()) {
        ui_.message(result.message, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

