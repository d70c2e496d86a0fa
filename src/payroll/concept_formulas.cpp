// The amount and quantity programs of a concept: TCONCEP1 over CONCEPT1 and
// TCONCEP4 over CONCEPT4. The header is the concept itself (code and
// description, never typed into: the form is opened with the concept's
// code); the grid below holds its lines, written in the concept's own
// database transaction together with its last line number. The rules of a
// line are in formula_rules.cpp, its reading as one formula in
// readable_formula.cpp, the renumbering in line_renumbering.cpp.
#include "payroll/concept_formulas.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "engine/audit.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"
#include "payroll/formula_rules.h"
#include "payroll/line_renumbering.h"
#include "payroll/readable_formula.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

const QString noPermissionText = u"No tiene permisos para ejecutar esta opción"_s;

/// The fields of a line after its concept and number, in the order they
/// are written and named in the audit sentence.
QStringList writtenFields(const FormulaTable& table)
{
    QStringList fields{table.field(u"Ope"_s)};
    if (table.isAmount())
        fields << table.groupField;
    fields << table.field(u"Usar"_s) << table.field(u"Anio"_s) << u"BasId"_s << table.field(u"Cargo"_s)
           << table.field(u"CCosto"_s) << table.field(u"RefAux"_s) << table.conceptField << table.field(u"APar"_s)
           << table.field(u"Nro"_s) << table.field(u"Mult"_s) << table.field(u"Div"_s) << table.field(u"CPar"_s)
           << table.field(u"Observa"_s);
    return fields;
}

QString auditValue(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QString)
        return value.toString().trimmed();
    return QString::number(value.toDouble(), 'g', 15);
}

/// "Agrega linea calculo de importe Concepto 5-Horas extra, línea 10,+,..."
QString lineAuditSentence(const FormulaTable& table, Mode mode, const QString& conceptId,
                          const std::function<QVariant(const QString& field)>& valueOf)
{
    QString verb;
    switch (mode) {
    case Mode::Insert:
        verb = u"Agrega"_s;
        break;
    case Mode::Update:
        verb = u"Modifica"_s;
        break;
    case Mode::Delete:
        verb = u"Elimina"_s;
        break;
    case Mode::Display:
        return {};
    }
    QString sentence = verb + u" linea calculo de "_s + table.noun + u" Concepto "_s + conceptId + u", línea "_s
                       + auditValue(valueOf(table.field(u"Lin"_s)));
    for (const QString& field : writtenFields(table))
        sentence += u',' + auditValue(valueOf(field));
    return sentence;
}

QString conceptText(const Transaction& form)
{
    return form.text(u"ConId"_s).trimmed() + u'-' + form.value(u"ConDesc"_s).toString().trimmed();
}

/// The highest line number the table holds for `conceptId` (inside the
/// write, the lines just written included).
DbError highestStoredLine(Database& database, const FormulaTable& table, int conceptId, int& highest)
{
    highest = 0;
    TableCursor lines(database);
    DbError error = lines.open(table.table, Access::ReadOnly);
    if (!error)
        error = lines.setIndex(table.index);
    if (!error)
        error = lines.seek(Comparison::GreaterOrEqual, {conceptId});
    for (; !error && lines.hasCurrent() && lines.integer(u"ConId"_s) == conceptId; error = lines.moveNext())
        highest = std::max(highest, int(lines.integer(table.field(u"Lin"_s))));
    return error;
}

/// Inside the write: the concept's last line number follows what the table
/// holds, lines another workstation added meanwhile included.
bool keepLastNumberInStep(Transaction& form, const FormulaTable& table)
{
    Database& database = form.database();
    const int conceptId = form.value(u"ConId"_s).toInt();
    int highest = 0;
    DbError error = highestStoredLine(database, table, conceptId, highest);
    if (!error)
        error = database.execute(u"UPDATE CONCEPT SET "_s + table.lastNumberField + u" = ? WHERE ConId = ?"_s,
                                 {highest, conceptId});
    if (!error)
        return true;
    translateDatabaseError(form.ui(), error);
    return false;
}

bool refuseLocked(UiPort& ui, const DbError& error)
{
    if (isLockConflict(error.number))
        ui.message(u"Registro reservado por otro"_s, MessageIcon::Exclamation);
    else
        translateDatabaseError(ui, error);
    return false;
}

/// "&Eliminar": every line of the concept goes, after the question, in one
/// database transaction with the concept's last line number; one audit
/// entry per line.
bool removeAllLines(Transaction& form, const FormulaTable& table)
{
    UiPort& ui = form.ui();
    Database& database = form.database();
    if (!ui.question(u"Eliminar toda la información en Conceptos?"_s, DefaultButton::No))
        return false;
    const int conceptId = form.value(u"ConId"_s).toInt();
    const QString header = conceptText(form);

    TableCursor concepts(database);
    DbError error = concepts.open(u"CONCEPT"_s);
    if (!error)
        error = concepts.setIndex(u"ICONCEPT"_s);
    if (!error)
        error = concepts.seek(Comparison::Equal, {conceptId});
    database.idleFreeLocks();
    if (error)
        return refuseLocked(ui, error);
    if (concepts.noMatch() || !concepts.hasCurrent()) {
        ui.message(u"CONCEPT fue modificada."_s, MessageIcon::Information);
        return false;
    }
    if (DbError locked = concepts.edit())
        return refuseLocked(ui, locked);
    if (concepts.text(u"ConDesc"_s).trimmed() != form.recordValue(u"ConDesc"_s).toString().trimmed()) {
        concepts.cancelUpdate();
        ui.message(u"CONCEPT fue modificada."_s, MessageIcon::Information);
        return false;
    }

    QStringList audit;
    TableCursor lines(database);
    error = database.beginTransaction();
    if (!error)
        error = lines.open(table.table);
    if (!error)
        error = lines.setIndex(table.index);
    if (!error)
        error = lines.seek(Comparison::GreaterOrEqual, {conceptId});
    while (!error && lines.hasCurrent() && lines.integer(u"ConId"_s) == conceptId) {
        audit << lineAuditSentence(table, Mode::Delete, header,
                                   [&](const QString& field) { return lines.value(field); });
        error = lines.remove();  // locks the line while it goes
        if (!error)
            error = lines.seek(Comparison::GreaterOrEqual, {conceptId});
    }
    if (!error)
        error = concepts.setValue(table.lastNumberField, 0);
    if (!error)
        error = concepts.update();
    if (!error)
        error = database.commit();
    if (error) {
        concepts.cancelUpdate();
        database.rollback();
        return refuseLocked(ui, error);
    }
    markSynchronisedChange(database, ui);
    for (const QString& text : std::as_const(audit))
        writeAuditEntry(database, AuditArea::Concepts, text);
    form.lines()->reload();
    return true;
}

/// "Renu&merar líneas": the stored lines, renumbered by the procedure.
void renumber(Transaction& form, const FormulaTable& table)
{
    UiPort& ui = form.ui();
    if (form.switches().copiedAutomatically()) {
        ui.message(u"No puede renumerar lineas de cálculo de "_s + table.noun
                       + u", esta tabla se copia automaticamente."_s,
                   MessageIcon::Exclamation);
        return;
    }
    if (!form.confirmEnabled()) {
        ui.message(noPermissionText, MessageIcon::Exclamation);
        return;
    }
    // The procedure renumbers what is stored: lines typed and not yet
    // written would be lost.
    if (form.lines()->pending()) {
        ui.message(u"Debe confirmar antes los datos"_s, MessageIcon::Exclamation);
        return;
    }
    if (renumberFormulaLines(form.database(), ui, table.kind, form.value(u"ConId"_s).toInt()))
        form.lines()->reload();
}

QList<LineColumn> formulaColumns(FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    QList<LineColumn> columns{
        {table.field(u"Lin"_s), u"Lin"_s, u"ZZZ9"_s},
        {table.field(u"Ope"_s), u"Oper"_s, {}},
        {table.field(u"APar"_s), u"("_s, {}},
    };
    if (table.isAmount())
        columns << LineColumn{table.groupField, u"Apor."_s, u"9"_s, {}, u"WKQ00L0"_s};
    columns << LineColumn{table.field(u"Usar"_s), u"Usar"_s, {}}
            << LineColumn{table.field(u"Nro"_s), u"Nº"_s, u"Z9"_s}
            << LineColumn{u"Descripcion"_s, u"Descripción"_s, {},
                          [kind](const LineTable& lines, int row) {
                              return operandDescription(lines.form().database(), kind,
                                                        FormulaLine::of(lines, row, formulaTable(kind)));
                          }}
            << LineColumn{table.field(u"Anio"_s), u"Año"_s, {}}
            << LineColumn{u"BasId"_s, u"Básic"_s, u"ZZZ9"_s, {}, u"WKQ00A0"_s}
            << LineColumn{table.field(u"Cargo"_s), u"Carg"_s, {}}
            << LineColumn{table.field(u"CCosto"_s), u"CCos"_s, {}}
            << LineColumn{table.field(u"RefAux"_s), u"Ref."_s, {}}
            << LineColumn{table.conceptField, u"Conc."_s, u"ZZZ9"_s, {}, u"WKQ00N0"_s}
            << LineColumn{table.field(u"Mult"_s), u"Multip"_s, u"ZZZZZ9.9999"_s}
            // The divisor is stored as a whole number.
            << LineColumn{table.field(u"Div"_s), u"Div"_s, u"ZZZZ9"_s}
            << LineColumn{table.field(u"CPar"_s), u")"_s, {}}
            << LineColumn{table.field(u"Observa"_s), u"Comentarios"_s, {}};
    return columns;
}

LineTableDecl formulaLines(FormulaKind kind)
{
    const FormulaTable& table = formulaTable(kind);
    LineTableDecl declaration;
    declaration.table = table.table;
    declaration.index = table.index;
    declaration.headerKey = u"ConId"_s;
    declaration.columns = formulaColumns(kind);
    declaration.lastNumberField = table.lastNumberField;
    declaration.audit.area = AuditArea::Concepts;
    declaration.review = [kind](LineTable& lines, int row) { return reviewFormulaLine(lines, row, kind); };
    declaration.newLine = [kind](LineTable& lines, int row) {
        lines.setText(row, 0, QString::number(nextLineNumber(lines, kind)));
    };
    declaration.auditText = [kind](const Transaction& form, Mode mode, const QVector<QVariant>& values,
                                   const QVector<QVariant>& asRead) {
        // A deleted line is told as it was read.
        const QVector<QVariant>& told = mode == Mode::Delete ? asRead : values;
        const LineTable& lines = *LineTable::of(form);
        return lineAuditSentence(formulaTable(kind), mode, conceptText(form), [&](const QString& field) {
            const int column = lines.column(field);
            return column < 0 ? QVariant() : told.at(column);
        });
    };
    declaration.summary = [kind](const LineTable& lines) { return readableFormula(lines, kind); };
    return declaration;
}

TransactionDecl formulaForm(FormulaKind kind, const LineTableDecl& lines)
{
    const FormulaTable& table = formulaTable(kind);
    const bool amount = table.isAmount();
    TransactionDecl declaration;
    declaration.name = amount ? u"TCONCEP1"_s : u"TCONCEP4"_s;
    declaration.title = amount ? u"Cálculo de importe"_s : u"Cálculo de cantidad"_s;
    declaration.table = u"CONCEPT"_s;
    declaration.index = u"ICONCEPT"_s;
    FieldDecl description = textField(u"ConDesc"_s, u"Descripción"_s);
    description.enabledWhen = [](const Transaction&) { return false; };
    declaration.fields = {keyField(u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s), description};
    declaration.keyMissingMessage = u"Falta número de concepto"_s;
    declaration.syncGroup = u"Con"_s;
    declaration.permissionPosition = 7;
    declaration.helpTopic = amount ? u"HLP_TConcep1.htm"_s : u"HLP_TConcep4.htm"_s;

    CommandDecl renumbering;
    renumbering.action = amount ? u"Renumera"_s : u"RenumLinea"_s;
    renumbering.caption = amount ? u"Renu&merar líneas"_s : u"Renu&merar Líneas"_s;
    renumbering.toolTip = u"Renumera las líneas de 5 en 5"_s;
    renumbering.needsRecord = true;
    CommandDecl removal;
    removal.action = u"Eliminar"_s;
    removal.caption = u"&Eliminar"_s;
    removal.toolTip = u"Elimina todas las líneas del concepto"_s;
    removal.needsRecord = true;
    removal.changesData = true;
    declaration.commands = {renumbering, removal};
    declaration.hooks.command = [kind](Transaction& form, const CommandDecl& command) {
        if (command.action == u"Eliminar"_s)
            removeAllLines(form, formulaTable(kind));
        else
            renumber(form, formulaTable(kind));
    };
    // Deleting through this form removes the program, never the concept.
    declaration.hooks.deleteVerdict = [kind](Transaction& form) {
        if (form.switches().copiedAutomatically())
            return FieldVerdict::refuse(copiedAutomaticallyText());
        removeAllLines(form, formulaTable(kind));
        FieldVerdict done;
        done.kind = FieldVerdict::Kind::Refused;
        return done;
    };
    declaration.hooks.beforeWrite += [kind](Transaction& form) {
        // The lines are each checked on their own; whether the program as a
        // whole closes what it opens is only pointed out.
        if (const QString notice = unbalancedNotice(*form.lines(), kind); !notice.isEmpty())
            form.ui().message(notice, MessageIcon::Information);
        return true;
    };
    declaration.hooks.withinWrite += [kind](Transaction& form) { return keepLastNumberInStep(form, formulaTable(kind)); };
    declaration.lines = &lines;
    return declaration;
}

}  // namespace

const FormulaTable& formulaTable(FormulaKind kind)
{
    static const FormulaTable amount{FormulaKind::Amount, u"CONCEPT1"_s, u"ICONCEP2"_s, u"Ope"_s, u"ConIdImp"_s,
                                     u"OpeAporId"_s, u"ConUltOpeL"_s, u"importe"_s};
    static const FormulaTable quantity{FormulaKind::Quantity, u"CONCEPT4"_s, u"ICONCE11"_s, u"Can"_s, u"ConIdCant"_s,
                                       {}, u"ConUltCanL"_s, u"cantidad"_s};
    return kind == FormulaKind::Amount ? amount : quantity;
}

FormulaLine FormulaLine::of(const LineTable& lines, int row, const FormulaTable& table)
{
    auto value = [&](const QString& field) {
        const int column = lines.column(field);
        return column < 0 ? QVariant() : lines.value(row, column);
    };
    auto code = [&](const QString& field) { return value(field).toString().trimmed(); };
    FormulaLine line;
    line.line = value(table.field(u"Lin"_s)).toInt();
    line.operation = code(table.field(u"Ope"_s));
    line.open = code(table.field(u"APar"_s));
    line.operand = code(table.field(u"Usar"_s));
    line.number = value(table.field(u"Nro"_s)).toInt();
    line.year = code(table.field(u"Anio"_s));
    line.basic = value(u"BasId"_s).toInt();
    line.position = code(table.field(u"Cargo"_s));
    line.costCentre = code(table.field(u"CCosto"_s));
    line.reference = code(table.field(u"RefAux"_s));
    line.operandConcept = value(table.conceptField).toInt();
    line.multiplier = value(table.field(u"Mult"_s)).toDouble();
    line.divisor = value(table.field(u"Div"_s)).toDouble();
    line.close = code(table.field(u"CPar"_s));
    line.comment = code(table.field(u"Observa"_s));
    line.group = table.isAmount() ? value(table.groupField).toInt() : 0;
    return line;
}

const TransactionDecl& TCONCEP1()
{
    static const LineTableDecl lines = formulaLines(FormulaKind::Amount);
    static const TransactionDecl form = formulaForm(FormulaKind::Amount, lines);
    return form;
}

const TransactionDecl& TCONCEP4()
{
    static const LineTableDecl lines = formulaLines(FormulaKind::Quantity);
    static const TransactionDecl form = formulaForm(FormulaKind::Quantity, lines);
    return form;
}

namespace {
const ObjectRegistration amountForm(&TCONCEP1);
const ObjectRegistration quantityForm(&TCONCEP4);
}  // namespace
