#include "payroll/line_renumbering.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "data/lock_wait.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int step = 5;
constexpr int highestNumber = 1000;

/// The line numbers of `concept`, in order; false when they could not be read.
bool readNumbers(Database& database, UiPort& ui, const FormulaTable& table, int conceptId, QList<int>& numbers)
{
    TableCursor lines(database);
    DbError error = lines.open(table.table, Access::ReadOnly);
    if (!error)
        error = lines.setIndex(table.index);
    if (!error)
        error = lines.seek(Comparison::GreaterOrEqual, {conceptId});
    for (; !error && lines.hasCurrent() && lines.integer(u"ConId"_s) == conceptId; error = lines.moveNext())
        numbers << int(lines.integer(table.field(u"Lin"_s)));
    database.idleFreeLocks();
    if (!error)
        return true;
    translateDatabaseError(ui, error);
    return false;
}

/// Inside the transaction: every line to its new number. The lines first
/// step aside to their own negative numbers, so that no new number meets
/// an old one whatever the old numbering was.
DbError rewriteNumbers(Database& database, const FormulaTable& table, int conceptId, const QList<int>& numbers)
{
    const QString statement = u"UPDATE "_s + table.table + u" SET "_s + table.field(u"Lin"_s) + u" = ? WHERE ConId = ? AND "_s
                              + table.field(u"Lin"_s) + u" = ?"_s;
    for (int number : numbers) {
        if (DbError error = database.execute(statement, {-number, conceptId, number}))
            return error;
    }
    for (int at = 0; at < numbers.size(); ++at) {
        if (DbError error = database.execute(statement, {step * (at + 1), conceptId, -numbers.at(at)}))
            return error;
    }
    return {};
}

}  // namespace

bool renumberFormulaLines(Database& database, UiPort& ui, FormulaKind kind, int conceptId)
{
    const FormulaTable& table = formulaTable(kind);
    QList<int> numbers;
    if (!readNumbers(database, ui, table, conceptId, numbers))
        return false;
    if (numbers.size() * step > highestNumber) {
        ui.message(u"No se puede renumerar de 5 en 5 porque se pasaría de 1000"_s, MessageIcon::Information);
        return false;
    }

    // The concept stays locked while its lines move: a form of another
    // workstation cannot write them meanwhile.
    TableCursor concepts(database);
    DbError error = concepts.open(u"CONCEPT"_s);
    if (!error)
        error = concepts.setIndex(u"ICONCEPT"_s);
    if (!error)
        error = concepts.seek(Comparison::Equal, {conceptId});
    if (!error && (concepts.noMatch() || !concepts.hasCurrent())) {
        database.idleFreeLocks();
        ui.message(u"CONCEPT fue modificada."_s, MessageIcon::Information);
        return false;
    }
    if (!error && editWaitingForLock(concepts, ui, &error)) {
        // It waited: the lines may have changed meanwhile.
        numbers.clear();
        if (!readNumbers(database, ui, table, conceptId, numbers)) {
            concepts.cancelUpdate();
            return false;
        }
        if (numbers.size() * step > highestNumber) {
            concepts.cancelUpdate();
            ui.message(u"No se puede renumerar de 5 en 5 porque se pasaría de 1000"_s, MessageIcon::Information);
            return false;
        }
    }
    if (error) {
        translateDatabaseError(ui, error);
        return false;
    }
    const QString description = concepts.text(u"ConDesc"_s).trimmed();

    error = database.beginTransaction();
    if (!error)
        error = rewriteNumbers(database, table, conceptId, numbers);
    if (!error)
        error = concepts.setValue(table.lastNumberField, step * int(numbers.size()));
    if (!error)
        error = concepts.update();
    if (!error)
        error = database.commit();
    if (error) {
        concepts.cancelUpdate();
        database.rollback();
        translateDatabaseError(ui, error);
        return false;
    }
    markSynchronisedChange(database, ui);
    writeAuditEntry(database, AuditArea::Concepts,
                    u"Renumera lineas calculo de "_s + table.noun + u" Concepto "_s + QString::number(conceptId) + u'-'
                        + description);
    return true;
}
