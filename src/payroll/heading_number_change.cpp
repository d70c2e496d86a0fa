#include "payroll/heading_number_change.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

bool headingExists(Database& database, double number)
{
    TableCursor cursor(database);
    if (cursor.open(u"RUBROS"_s, Access::ReadOnly))
        return false;
    cursor.seek(Comparison::Equal, {number});
    const bool found = !cursor.noMatch() && cursor.hasCurrent();
    database.idleFreeLocks();
    return found;
}

QString numberText(double number)
{
    return QString::number(number, 'f', 0);
}

/// Inside the transaction: the heading stored under its new number, the old
/// row deleted.
DbError moveHeading(Database& database, UiPort& ui, double oldNumber, double newNumber)
{
    TableCursor old(database);
    if (DbError error = old.open(u"RUBROS"_s))
        return error;
    if (DbError error = old.seek(Comparison::GreaterOrEqual, {oldNumber}))
        return error;
    if (!old.hasCurrent() || old.number(u"RubId"_s) != oldNumber)
        return DbError::make(DbErrorNumber::NoCurrentRecord, u"No existe Rubros"_s);
    DbError failure;
    editWaitingForLock(old, ui, &failure);
    if (failure)
        return failure;
    const QString description = old.text(u"RubDesc"_s);
    const QVariant currency = old.value(u"RubMon"_s);
    const QString external = old.text(u"RubIdExt"_s);
    old.cancelUpdate();

    TableCursor moved(database);
    DbError error = moved.open(u"RUBROS"_s);
    if (!error)
        error = moved.addNew();
    const QList<std::pair<QString, QVariant>> values = {
        {u"RubId"_s, newNumber}, {u"RubDesc"_s, description}, {u"RubMon"_s, currency}, {u"RubIdExt"_s, external}};
    for (const auto& [field, value] : values) {
        if (!error)
            error = moved.setValue(field, value);
    }
    if (!error)
        error = moved.update();
    if (error.number == DbErrorNumber::DuplicateKey)
        return DbError::make(error.number, u"Ya existe el registro"_s, error.driverText);
    if (error)
        return error;
    return database.execute(u"DELETE FROM RUBROS WHERE RubId = ?"_s, {oldNumber});
}

}  // namespace

ProcedureResult PRUBCAMB(Database& database, UiPort& ui, double oldNumber, double newNumber)
{
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        if (DbError failure = moveHeading(database, ui, oldNumber, newNumber))
            return failure;
        return database.execute(u"UPDATE ASIENTO1 SET RubId = ? WHERE RubId = ?"_s, {newNumber, oldNumber});
    });
    database.idleFreeLocks();
    if (error.number == DbErrorNumber::DuplicateKey)
        return ProcedureResult::failure(u"Ya existe el registro"_s, error.number);
    if (error)
        return ProcedureResult::from(error);
    markSynchronisedChange(database, ui);
    return {};
}

void WRUBCAMB::start(const QString& key)
{
    heading_ = key.trimmed().toDouble();
    newNumber_ = 0;
    focusOnNewNumber_ = false;
}

bool WRUBCAMB::confirm()
{
    const auto refuse = [this](const QString& text) {
        ui_.message(text, MessageIcon::Exclamation);
        focusOnNewNumber_ = true;
        return false;
    };
    if (readSyncSwitches(database_, u"Rub"_s).copiedAutomatically()) {
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    if (newNumber_ == 0)
        return refuse(u"Debe indicar el nuevo número de rubro"_s);
    if (headingExists(database_, newNumber_))
        return refuse(u"Ya existe un rubro con ese número."_s);
    focusOnNewNumber_ = false;
    const ProcedureResult result = PRUBCAMB(database_, ui_, heading_, newNumber_);
    if (!result.ok()) {
        ui_.message(result.message, MessageIcon::Exclamation);
        return false;
    }
    writeAuditEntry(database_, AuditArea::Tables,
                    u"Cambia nº rubro "_s + numberText(heading_) + u" a "_s + numberText(newNumber_));
    return true;
}

