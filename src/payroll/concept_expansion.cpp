// The expansion of a concept: the other concepts that a movement of it brings
// along (CONCEPT2, one row per concept and expanded concept). The form is
// opened on an existing concept, by the concept form's "Expande" button and
// at the end of adding a concept; its grid is written in the concept's own
// database transaction, with `ConExpande` kept in step ("S" while the
// concept has rows), and each row added or removed leaves its own audit
// entry.
#include "payroll/concept_expansion.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "engine/audit.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"
#include "payroll/procedure_result.h"
#include "support/ui_port.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

/// The expanded concepts as stored before and after one write.
struct ExpansionWrite {
    QList<int> before;
    QList<int> after;
};

int conceptOn(const Transaction& form)
{
    return form.value(u"ConId"_s).toInt();
}

QString conceptDescription(Database& database, int conceptCode)
{
    TableCursor concepts(database);
    if (concepts.open(u"CONCEPT"_s, Access::ReadOnly) || concepts.seek(Comparison::Equal, {conceptCode})
        || concepts.noMatch())
        return {};
    const QString description = concepts.text(u"ConDesc"_s).trimmed();
    database.idleFreeLocks();
    return description;
}

bool conceptExists(Database& database, int conceptCode)
{
    TableCursor concepts(database);
    const bool found = !concepts.open(u"CONCEPT"_s, Access::ReadOnly) && !concepts.seek(Comparison::Equal, {conceptCode})
                       && !concepts.noMatch();
    database.idleFreeLocks();
    return found;
}

/// The concepts `concept` expands into, in code order.
QList<int> storedExpansion(Database& database, int conceptCode)
{
    QList<int> codes;
    TableCursor rows(database);
    if (rows.open(u"CONCEPT2"_s, Access::ReadOnly) || rows.setIndex(u"ICONCEP5"_s))
        return codes;
    for (rows.seek(Comparison::GreaterOrEqual, {conceptCode}); rows.hasCurrent() && rows.integer(u"ConId"_s) == conceptCode;
         rows.moveNext())
        codes << int(rows.integer(u"ExpConId"_s));
    database.idleFreeLocks();
    return codes;
}

DbError keepExpandeInStep(Database& database, int conceptCode)
{
    const bool expands = !storedExpansion(database, conceptCode).isEmpty();
    return database.execute(u"UPDATE CONCEPT SET ConExpande = ? WHERE ConId = ?"_s,
                            {expands ? u"S"_s : u"N"_s, conceptCode});
}

QString expansionAudit(const char16_t* verb, int expanded, int conceptCode)
{
    return QString::fromUtf16(verb) + QString::number(expanded) + u" al concepto = "_s + QString::number(conceptCode);
}

/// One audit entry per row that came or went, in code order.
void auditExpansion(Database& database, int conceptCode, const QList<int>& before, const QList<int>& after)
{
    const QSet<int> was(before.begin(), before.end());
    const QSet<int> is(after.begin(), after.end());
    for (int expanded : before) {
        if (!is.contains(expanded))
            writeAuditEntry(database, AuditArea::Concepts, expansionAudit(u"Elimina concepto expande = ", expanded, conceptCode));
    }
    for (int expanded : after) {
        if (!was.contains(expanded))
            writeAuditEntry(database, AuditArea::Concepts, expansionAudit(u"Agrega concepto expande = ", expanded, conceptCode));
    }
}

FieldVerdict checkExpansionLine(const LineTable& lines, int row)
{
    Database& database = lines.form().database();
    const int expanded = lines.value(row, 0).toInt();
    if (expanded == 0 || !conceptExists(database, expanded))
        return FieldVerdict::refuse(u"Concepto inexistente"_s);
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(u"Ya existe el registro"_s);
    // A concept that brought itself along would expand without end.
    if (expanded == conceptOn(lines.form()))
        return FieldVerdict::refuse(u"Un concepto no puede expandirse en sí mismo"_s);
    return FieldVerdict::ok();
}

QString expandedDescription(const LineTable& lines, int row)
{
    const int expanded = lines.value(row, 0).toInt();
    return expanded == 0 ? QString() : conceptDescription(lines.form().database(), expanded);
}

const LineTableDecl& expansionLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"CONCEPT2"_s;
        declaration.index = u"ICONCEP5"_s;
        declaration.headerKey = u"ConId"_s;
        declaration.columns = {
            {u"ExpConId"_s, u"Concepto"_s, u"ZZZ9"_s},
            {u"ExpConDesc"_s, u"Descripción"_s, {}, &expandedDescription},
        };
        declaration.check = &checkExpansionLine;
        // The rows' audit entries name both concepts; they are written by
        // the form, from what the write changed.
        declaration.audit.area = AuditArea::Concepts;
        return declaration;
    }();
    return lines;
}

/// "&Eliminar": every expansion row of the concept goes, in one database
/// transaction with the concept's flag.
void removeWholeExpansion(Transaction& form)
{
    Database& database = form.database();
    UiPort& ui = form.ui();
    if (!ui.question(u"Eliminar toda la información en "_s + u"Conceptos?"_s, DefaultButton::No))
        return;
    const int conceptCode = conceptOn(form);
    const QList<int> before = storedExpansion(database, conceptCode);
    const DbError error = runInOneTransaction(database, [&] {
        if (DbError failed = database.execute(u"DELETE * FROM CONCEPT2 WHERE ConId = ?"_s, {conceptCode}))
            return failed;
        return keepExpandeInStep(database, conceptCode);
    });
    if (error) {
        translateDatabaseError(ui, error);
        return;
    }
    markSynchronisedChange(database, ui);
    auditExpansion(database, conceptCode, before, {});
    if (LineTable* lines = form.lines())
        lines->committed(Mode::Update);
}

}  // namespace

bool conceptUsedByOtherConcepts(Database& database, int conceptCode)
{
    // Every row is looked at: the index leads with the expanding concept.
    TableCursor rows(database);
    if (rows.open(u"CONCEPT2"_s, Access::ReadOnly) || rows.setIndex(u"ICONCEP5"_s))
        return false;
    int count = 0;
    for (rows.moveFirst(); rows.hasCurrent(); rows.moveNext()) {
        if (rows.integer(u"ExpConId"_s) == conceptCode)
            ++count;
    }
    database.idleFreeLocks();
    return count != 0;
}

const TransactionDecl& TCONCEP2()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TCONCEP2"_s;
        declaration.title = u"Expande"_s;
        declaration.table = u"CONCEPT"_s;
        declaration.index = u"ICONCEPT"_s;
        FieldDecl conceptCode = keyField(u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s);
        conceptCode.fromCaller = true;
        FieldDecl description = textField(u"ConDesc"_s, u"Descripción"_s);
        description.enabledWhen = [](const Transaction&) { return false; };
        declaration.fields = {conceptCode, description};
        declaration.keyMissingMessage = u"Concepto inexistente"_s;
        declaration.syncGroup = u"Con"_s;
        declaration.permissionPosition = 7;
        declaration.audit.area = AuditArea::Concepts;
        declaration.helpTopic = u"HLP_TConcep2.htm"_s;
        declaration.lines = &expansionLines();
        CommandDecl removeAll;
        removeAll.action = u"Eliminar"_s;
        removeAll.caption = u"&Eliminar"_s;
        removeAll.toolTip = u"Elimina toda la expansión del concepto"_s;
        removeAll.needsRecord = true;
        removeAll.changesData = true;
        declaration.commands = {removeAll};
        declaration.hooks.command = [](Transaction& form, const CommandDecl& command) {
            if (command.action == u"Eliminar"_s)
                removeWholeExpansion(form);
        };
        declaration.hooks.afterLock += [](Transaction& form) {
            form.state<ExpansionWrite>() = {storedExpansion(form.database(), conceptOn(form)), {}};
        };
        declaration.hooks.withinWrite += [](Transaction& form) {
            const int conceptCode = conceptOn(form);
            form.state<ExpansionWrite>().after = storedExpansion(form.database(), conceptCode);
            if (DbError error = keepExpandeInStep(form.database(), conceptCode)) {
                translateDatabaseError(form.ui(), error);
                return false;
            }
            return true;
        };
        declaration.hooks.afterWrite += [](Transaction& form, Mode) {
            const ExpansionWrite& written = form.state<ExpansionWrite>();
            auditExpansion(form.database(), conceptOn(form), written.before, written.after);
        };
        return declaration;
    }();
    return form;
}

namespace {
const ObjectRegistration registration(&TCONCEP2);
}  // namespace
