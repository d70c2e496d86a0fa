// Accumulators (ACUMHL): numbered running totals of three kinds, historical
// ("H", over a period of months), of the liquidation ("L") and of movements
// ("M"), keyed by kind and number. TACUMHL keeps one; WACUMSHL lists them and
// copies, deletes and prints them; WACUMHL keeps the concepts that feed one
// (CONCEPT3); WACUMCOP copies one with its concepts to another number.
// Synchronisation group "Con", shared with the concepts.
#include "payroll/accumulators.h"

#include "data/database.h"
#include "engine/audit.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "payroll/definition_reads.h"
#include "payroll/procedure_result.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

/// The character of "Permisos" that lets a person change concepts and accumulators.
constexpr int conceptsPermission = 7;
const QString conceptsGroup = u"Con"_s;

const QList<CodeChoice>& accumulatorTypes()
{
    static const QList<CodeChoice> types = {
        {u"H"_s, u"histórico"_s}, {u"L"_s, u"liquidación"_s}, {u"M"_s, u"movimientos"_s}};
    return types;
}

const QList<CodeChoice>& periods()
{
    static const QList<CodeChoice> choices = {
        {u"C"_s, u"Año civil"_s}, {u"L"_s, u"Cronológico"_s}, {u"A"_s, u"Aguinaldo"_s}};
    return choices;
}

/// Every content an accumulator can have, historical ones included.
const QList<CodeChoice>& allContents()
{
    static const QList<CodeChoice> contents = [] {
        QList<CodeChoice> choices = {{u"C"_s, u"Cantidad"_s}, {u"I"_s, u"Importe m/n"_s}, {u"E"_s, u"Importe m/e"_s},
                                     {u"A"_s, u"Imp. m/n ajustado (tabla func)"_s}};
        // Increase tables 1 to 9 are coded by their digit, 10 to 26 by "J" to "Z".
        for (int table = 1; table <= 26; ++table) {
            const QChar code = table <= 9 ? QChar(u'0' + table) : QChar(u'J' + (table - 10));
            choices.append({QString(code), u"Importe m/n ajustado (tabla %1)"_s.arg(table)});
        }
        return choices;
    }();
    return contents;
}

QString kindWords(const QString& type)
{
    if (type == u"H"_s)
        return u"histórico "_s;
    if (type == u"L"_s)
        return u"de la liquidación "_s;
    return u"de movimiento "_s;
}

QString choiceText(const QList<CodeChoice>& choices, const QString& value)
{
    for (const CodeChoice& choice : choices) {
        if (choice.value.toString() == value)
            return choice.text;
    }
    return value;
}

QString typeOf(const Transaction& form) { return form.value(u"AcuTipo"_s).toString().trimmed(); }
int numberOf(const Transaction& form) { return form.value(u"AcuId"_s).toInt(); }
QString periodOf(const Transaction& form) { return form.value(u"AcuPeriodo"_s).toString().trimmed(); }
bool isHistorical(const Transaction& form) { return typeOf(form) == u"H"_s; }

FieldVerdict checkNumber(Transaction& form)
{
    const int number = numberOf(form);
    if (number < 1 || number > 99)
        return FieldVerdict::refuse(u"Nº de acumulador debe ser 1 a 99"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkDescription(Transaction& form)
{
    const QString previous = form.mode() == Mode::Insert ? QString() : form.recordValue(u"AcuDesc"_s).toString();
    const QString refusal = PCTRLDES(form.database(), form.value(u"AcuDesc"_s).toString(), typeOf(form),
                                     numberOf(form), periodOf(form), previous);
    return refusal.isEmpty() ? FieldVerdict::ok() : FieldVerdict::refuse(refusal);
}

FieldVerdict checkContent(Transaction& form)
{
    const QString content = form.value(u"AcuConteni"_s).toString().trimmed();
    if (content.isEmpty())
        return FieldVerdict::refuse(u"Falta contenido"_s);
    // A content kept from another type is not one this type can have.
    for (const CodeChoice& choice : accumulatorContents(typeOf(form))) {
        if (choice.value.toString() == content)
            return FieldVerdict::ok();
    }
    return FieldVerdict::refuse(u"Falta contenido"_s);
}

FieldVerdict checkPeriod(Transaction& form)
{
    if (isHistorical(form) && periodOf(form).isEmpty())
        return FieldVerdict::refuse(u"Falta período"_s);
    return FieldVerdict::ok();
}

bool isMonth(int month) { return month >= 1 && month <= 12; }

FieldVerdict checkFrom(Transaction& form)
{
    if (periodOf(form) == u"C"_s && !isMonth(form.value(u"AcuDesde"_s).toInt()))
        return FieldVerdict::refuse(u"Desde debe ser 1 a 12 si período es Año civil"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkTo(Transaction& form)
{
    const QString period = periodOf(form);
    const int from = form.value(u"AcuDesde"_s).toInt();
    const int to = form.value(u"AcuHasta"_s).toInt();
    if (period == u"C"_s && !isMonth(to))
        return FieldVerdict::refuse(u"Hasta debe ser 1 a 12 si período es Año civil"_s);
    if ((period == u"C"_s || period == u"L"_s) && from >= to)
        return FieldVerdict::refuse(u"Desde debe ser anterior a hasta"_s);
    return FieldVerdict::ok();
}

QString yesOrNo(const QVariant& flag) { return flag.toString() == u"S"_s ? u"Sí"_s : u"No"_s; }

QString periodPhrase(const Transaction& form)
{
    const QString period = periodOf(form);
    if (period == u"C"_s)
        return u", período = año civil"_s;
    if (period == u"L"_s)
        return u", período = cronológico"_s;
    if (period == u"A"_s)
        return u", período = aguinaldo"_s;
    return {};
}

QString monthsPhrase(const Transaction& form)
{
    return u", desde = "_s + QString::number(form.value(u"AcuDesde"_s).toInt()) + u" hasta "_s
           + QString::number(form.value(u"AcuHasta"_s).toInt());
}

QString runTypePhrase(const Transaction& form)
{
    const QString runType = form.value(u"AcuTLId"_s).toString().trimmed();
    return u", tipo de liquidación = "_s + (runType.isEmpty() ? u"Todas"_s : runType);
}

QString accumulatorAudit(const Transaction& form)
{
    const QString named = kindWords(typeOf(form)) + u"nro. "_s + QString::number(numberOf(form));
    const auto text = [&](const QString& field) { return form.value(field).toString().trimmed(); };
    const auto changed = [&](const QString& field) { return text(field) != form.recordValue(field).toString().trimmed(); };
    const QString content = u", contenido = "_s + choiceText(allContents(), text(u"AcuConteni"_s));
    const QString advance = u", excluír liquidación de adelanto = "_s + yesOrNo(form.value(u"AcuExAdela"_s));
    switch (form.mode()) {
    case Mode::Insert: {
        QString sentence = u"Agrega acumulador "_s + named + u". Descripción = "_s + text(u"AcuDesc"_s) + content;
        if (!periodOf(form).isEmpty())
            sentence += periodPhrase(form) + monthsPhrase(form);
        return sentence + runTypePhrase(form) + advance;
    }
    case Mode::Update: {
        QString sentence = u"Modifica acumulador "_s + named;
        if (changed(u"AcuDesc"_s))
            sentence += u", descripción = "_s + text(u"AcuDesc"_s);
        if (changed(u"AcuConteni"_s))
            sentence += content;
        if (changed(u"AcuPeriodo"_s))
            sentence += periodPhrase(form);
        if (changed(u"AcuDesde"_s) || changed(u"AcuHasta"_s))
            sentence += monthsPhrase(form);
        if (changed(u"AcuTLId"_s))
            sentence += runTypePhrase(form);
        if (changed(u"AcuExAdela"_s))
            sentence += advance;
        return sentence;
    }
    case Mode::Delete:
        return u"Elimina acumulador "_s + named;
    case Mode::Display:
        return {};
    }
    return {};
}

FieldDecl flagField(const QString& name, const QString& label)
{
    FieldDecl flag;
    flag.name = name;
    flag.label = label;
    flag.kind = FieldKind::Flag;
    flag.defaultValue = u"N"_s;
    return flag;
}

FieldVerdict checkType(Transaction& form)
{
    const QString type = typeOf(form);
    if (type != u"H"_s && type != u"L"_s && type != u"M"_s)
        return FieldVerdict::refuse(u"Tipo debe ser H (histórico), L (liquidación) o M (movimientos)"_s);
    return FieldVerdict::ok();
}

/// The type is typed as its letter: a key field takes no list of choices.
FieldDecl typeKey()
{
    FieldDecl type = keyField(u"AcuTipo"_s, u"Tipo"_s, u"!"_s);
    type.missingMessage = u"Falta tipo"_s;
    type.rule = &checkType;
    return type;
}

FieldDecl numberKey()
{
    FieldDecl number = keyField(u"AcuId"_s, u"Número"_s, u"Z9"_s);
    number.missingMessage = u"Falta nº de acumulador"_s;
    number.rule = &checkNumber;
    return number;
}

}  // namespace

QList<CodeChoice> accumulatorContents(const QString& type)
{
    const QList<CodeChoice>& all = allContents();
    if (type == u"H"_s)
        return all;
    if (type == u"L"_s)
        return all.mid(0, 3);
    if (type == u"M"_s)
        return {{u"C"_s, u"Cantidad"_s}, {u"I"_s, u"Importe"_s}};
    return {};
}

const TransactionDecl& TACUMHL()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TACUMHL"_s;
        declaration.title = u"Acumulador histórico/liquidación/movimientos"_s;
        declaration.table = u"ACUMHL"_s;
        declaration.index = u"IACUMHL"_s;

        FieldDecl description = textField(u"AcuDesc"_s, u"Descripción"_s, u"Falta descripción"_s);
        description.rule = &checkDescription;

        FieldDecl content;
        content.name = u"AcuConteni"_s;
        content.label = u"Contenido"_s;
        content.kind = FieldKind::CodeList;
        content.choices = allContents();
        content.choicesNow = [](const Transaction& form) { return accumulatorContents(typeOf(form)); };
        content.rule = &checkContent;

        FieldDecl period;
        period.name = u"AcuPeriodo"_s;
        period.label = u"Período"_s;
        period.kind = FieldKind::Options;
        period.choices = periods();
        period.frame = u"Período"_s;
        period.rule = &checkPeriod;
        period.enabledWhen = &isHistorical;

        FieldDecl excludeRun = flagField(u"AcuExLiqAc"_s, u"Excluir liquidación en curso"_s);
        excludeRun.enabledWhen = &isHistorical;

        FieldDecl from = numberField(u"AcuDesde"_s, u"Desde"_s, u"Z9"_s);
        from.rule = &checkFrom;
        from.enabledWhen = &isHistorical;
        FieldDecl to = numberField(u"AcuHasta"_s, u"hasta"_s, u"Z9"_s);
        to.rule = &checkTo;
        to.enabledWhen = &isHistorical;

        FieldDecl runType;
        runType.name = u"AcuTLId"_s;
        runType.label = u"Tipo de liquidación"_s;
        runType.kind = FieldKind::Reference;
        runType.reference = {u"TIPLIQUI"_s, u"ITIPLIQU"_s, u"TipLiquidacion"_s, u"WKQ00S0"_s, u"TLDesc"_s, {}};

        declaration.fields = {typeKey(), numberKey(), description, content, period, excludeRun, from, to, runType,
                              flagField(u"AcuExAdela"_s, u"Excluir liquidación de adelanto"_s)};
        declaration.keyMissingMessage = u"Falta nº de acumulador"_s;
        declaration.deleteChecks = {
            {u"CONCEPT3"_s, u"ICONCEP8"_s, u"AcuTipo"_s, u"Concept3"_s, {u"AcuId"_s}},
        };
        declaration.hooks.auditText = &accumulatorAudit;
        declaration.audit.insert = u"Agrega acumulador "_s;
        declaration.audit.modify = u"Modifica acumulador "_s;
        declaration.audit.remove = u"Elimina acumulador "_s;
        declaration.audit.area = AuditArea::Concepts;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        declaration.helpTopic = u"HLP_TACUMHL.htm"_s;
        return declaration;
    }();
    return form;
}

// ---------------------------------------------------------------------------
// The concepts that feed one accumulator

namespace {

enum FeedColumn { FeedConcept = 0, FeedOperation = 1, FeedMultiplier = 2 };

FieldVerdict checkFeed(const LineTable& lines, int row)
{
    const int conceptId = lines.value(row, FeedConcept).toInt();
    if (conceptId == 0)
        return FieldVerdict::refuse(u"Falta concepto"_s);
    if (!conceptField(lines.form().database(), conceptId, u"ConId"_s).isValid())
        return FieldVerdict::refuse(u"No existe Conceptos"_s);
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(u"Ya existe el registro"_s);
    const QString operation = lines.value(row, FeedOperation).toString().trimmed().toUpper();
    if (operation != u"S"_s && operation != u"R"_s && operation != u"G"_s)
        return FieldVerdict::refuse(u"Operación debe ser S-Suma, R-Resta o G-Suma grav"_s);
    return FieldVerdict::ok();
}

const LineTableDecl& feedLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"CONCEPT3"_s;
        declaration.index = u"ICONCEP8"_s;
        declaration.headerKey = u"AcuTipo"_s;
        declaration.moreHeaderKeys = {u"AcuId"_s};
        declaration.columns = {{u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s},
                               {u"ConAcuOpe"_s, u"Operación"_s, u"!"_s},
                               {u"ConAcuMult"_s, u"Multiplicador"_s, u"ZZ9.999"_s}};
        declaration.check = &checkFeed;
        declaration.audit.insert = u"Agrega concepto al acumulador "_s;
        declaration.audit.modify = u"Modifica concepto del acumulador "_s;
        declaration.audit.remove = u"Elimina concepto del acumulador "_s;
        declaration.audit.parts = {{u"ConAcuOpe"_s, u", operación = "_s}, {u"ConAcuMult"_s, u", multiplicador = "_s}};
        declaration.audit.area = AuditArea::Concepts;
        return declaration;
    }();
    return lines;
}

bool noticeWhenNothingFeeds(Transaction& form)
{
    const LineTable* lines = form.lines();
    bool any = false;
    for (int row = 0; lines && row < lines->rowCount(); ++row)
        any = any || lines->mode(row) != Mode::Delete;
    if (!any)
        form.ui().message(u"Aviso: No está acumulando ningún concepto"_s, MessageIcon::Information);
    return true;
}

FieldDecl shownOnly(FieldDecl field)
{
    field.enabledWhen = [](const Transaction&) { return false; };
    return field;
}

}  // namespace

const TransactionDecl& WACUMHL()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"WACUMHL"_s;
        declaration.title = u"Conceptos que se acumulan"_s;
        declaration.table = u"ACUMHL"_s;
        declaration.index = u"IACUMHL"_s;
        FieldDecl type = typeKey();
        type.fromCaller = true;
        FieldDecl number = numberKey();
        number.fromCaller = true;
        declaration.fields = {type, number, shownOnly(textField(u"AcuDesc"_s, u"Descripción"_s))};
        declaration.keyMissingMessage = u"Falta nº de acumulador"_s;
        declaration.lines = &feedLines();
        declaration.hooks.beforeWrite += &noticeWhenNothingFeeds;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        declaration.helpTopic = u"HLP_WACUMHL.htm"_s;
        return declaration;
    }();
    return form;
}

// ---------------------------------------------------------------------------
// Copy

namespace {

FieldVerdict checkCopyTarget(Transaction& form)
{
    const int target = form.value(u"AcuNuevo"_s).toInt();
    if (target == 0)
        return FieldVerdict::refuse(u"Falta indicar número de acumulador"_s);
    if (target == numberOf(form))
        return FieldVerdict::refuse(u"Debe indicar un acumulador diferente"_s);
    const QString type = typeOf(form);
    if (type != u"H"_s && type != u"L"_s && type != u"M"_s)
        return FieldVerdict::refuse(u"Tipo desconocido"_s);
    if (target < 1 || target > 99)
        return FieldVerdict::refuse(u"Nº de acumulador debe ser 1 a 99"_s);
    if (anyRow(form.database(), u"SELECT AcuId FROM ACUMHL WHERE AcuTipo = ? AND AcuId = ?"_s, {type, target}))
        return FieldVerdict::refuse(u"El acumulador al cual va a copiar ya existe."_s);
    return FieldVerdict::ok();
}

/// Inside the write: the accumulator and its concept lines under the new number.
bool copyWithin(Transaction& form)
{
    Database& database = form.database();
    const QString type = typeOf(form);
    const int source = numberOf(form);
    const int target = form.value(u"AcuNuevo"_s).toInt();
    const QString fields = u"AcuConteni, AcuDesc, AcuDesde, AcuExAdela, AcuExLiqAc, AcuHasta, AcuPeriodo, AcuTLId, "
                           u"ConId"_s;
    DbError error = database.execute(u"INSERT INTO ACUMHL (AcuTipo, AcuId, "_s + fields + u") SELECT AcuTipo, ?, "_s
                                         + fields + u" FROM ACUMHL WHERE AcuTipo = ? AND AcuId = ?"_s,
                                     {target, type, source});
    if (!error)
        error = database.execute(u"INSERT INTO CONCEPT3 (ConId, AcuTipo, AcuId, BasId, ConAcuMult, ConAcuOpe) "
                                 u"SELECT ConId, AcuTipo, ?, BasId, ConAcuMult, ConAcuOpe FROM CONCEPT3 "
                                 u"WHERE AcuTipo = ? AND AcuId = ?"_s,
                                 {target, type, source});
    if (error) {
        form.ui().message(error.fullText(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

QString copyAudit(const Transaction& form)
{
    return u"Copia acumulador "_s + QString::number(numberOf(form)) + u", tipo "_s + typeOf(form)
           + u", con el número "_s + QString::number(form.value(u"AcuNuevo"_s).toInt());
}

}  // namespace

const TransactionDecl& WACUMCOP()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"WACUMCOP"_s;
        declaration.title = u"Copia acumulador"_s;
        declaration.table = u"ACUMHL"_s;
        declaration.index = u"IACUMHL"_s;
        FieldDecl type = typeKey();
        type.fromCaller = true;
        type.rule = {};  // an unknown type is told when the copy is confirmed
        FieldDecl number = numberKey();
        number.fromCaller = true;
        number.rule = {};
        FieldDecl target = numberField(u"AcuNuevo"_s, u"Copiar al número"_s, u"Z9"_s);
        target.unbound = true;
        target.rule = &checkCopyTarget;
        declaration.fields = {type, number, shownOnly(textField(u"AcuDesc"_s, u"Descripción"_s)), target};
        declaration.keyMissingMessage = u"Falta indicar número de acumulador"_s;
        declaration.hooks.withinWrite += &copyWithin;
        declaration.hooks.auditText = &copyAudit;
        declaration.audit.insert = u"Copia acumulador "_s;
        declaration.audit.modify = u"Copia acumulador "_s;
        declaration.audit.area = AuditArea::Concepts;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        return declaration;
    }();
    return form;
}

// ---------------------------------------------------------------------------
// Delete

bool conceptsReadAccumulator(Database& database, const QString& type, int number)
{
    const QString operand = u"AC"_s + type;
    return anyRow(database, u"SELECT ConId FROM CONCEPT1 WHERE OpeUsar = ? AND OpeNro = ?"_s, {operand, number})
           || anyRow(database, u"SELECT ConId FROM CONCEPT4 WHERE CanUsar = ? AND CanNro = ?"_s, {operand, number});
}

AccumulatorRemoval PACUELIM(Database& database, UiPort& ui, const QString& type, int number)
{
    AccumulatorRemoval removal;
    if (conceptsReadAccumulator(database, type, number)) {
        removal.refusal = u"El acumulador no se puede eliminar porque se utiliza en conceptos"_s;
        const QList<QVariantList> described =
            readRows(database, u"SELECT AcuDesc FROM ACUMHL WHERE AcuTipo = ? AND AcuId = ?"_s, {type, number});
        if (!described.isEmpty() && reportShowsAccumulator(database, described.first().value(0).toString()))
            removal.refusal += u" y en informes"_s;
        return removal;
    }
    const DbError error = runInOneTransaction(database, [&] {
        if (DbError failed = database.execute(u"DELETE FROM CONCEPT3 WHERE AcuTipo = ? AND AcuId = ?"_s, {type, number}))
            return failed;
        return database.execute(u"DELETE FROM ACUMHL WHERE AcuTipo = ? AND AcuId = ?"_s, {type, number});
    });
    if (error) {
        removal.refusal = error.fullText();
        return removal;
    }
    removal.removed = true;
    writeAuditEntry(database, AuditArea::Concepts,
                    u"Elimina acumulador "_s + kindWords(type) + u"nro. "_s + QString::number(number));
    markSynchronisedChange(database, ui);
    return removal;
}

// ---------------------------------------------------------------------------
// The panel

namespace {

/// The row's type and number joined by a tab, as TACUMHL is called.
QString accumulatorKey(const WorkPanel& panel, int row)
{
    return panel.keyAt(row);
}

void removeAccumulator(WorkPanel& panel, int row)
{
    UiPort& ui = panel.ui();
    if (readSyncSwitches(panel.database(), conceptsGroup).copiedAutomatically()) {
        ui.message(u"No puede eliminar acumuladores, esta tabla se copia automaticamente."_s,
                   MessageIcon::Exclamation);
        return;
    }
    const QString type = panel.cellValue(row, 0).toString().trimmed();
    const int number = panel.cellValue(row, 1).toInt();
    if (!ui.question(u"¿Confirma eliminación acumulador "_s + type + u" "_s + QString::number(number) + u"?"_s,
                     DefaultButton::No))
        return;
    const AccumulatorRemoval removal = PACUELIM(panel.database(), ui, type, number);
    if (!removal.removed)
        ui.message(removal.refusal, MessageIcon::Exclamation);
}

void accumulatorCommand(WorkPanel& panel, const CommandDecl& command, int row)
{
    if (row < 0 || row >= panel.rowCount())
        return;
    QString key = accumulatorKey(panel, row);
    QString mode = u"UPD"_s;
    if (command.action == u"Copiar"_s) {
        if (readSyncSwitches(panel.database(), conceptsGroup).copiedAutomatically()) {
            panel.ui().message(u"No puede copiar acumuladores, esta tabla se copia automaticamente."_s,
                               MessageIcon::Exclamation);
            return;
        }
        panel.ui().callObject(u"WACUMCOP"_s, key, mode);
        panel.refresh();
        return;
    }
    if (command.action == u"UsadoEn"_s) {
        // The list of uses is called under its accumulator: "H 3" and a tab.
        QString parent = pickerKey(key.section(u'\t', 0, 0) + u' ' + key.section(u'\t', 1, 1), QString());
        mode = u"DSP"_s;
        panel.ui().callObject(u"WACUMHLU"_s, parent, mode);
    }
}

CommandDecl button(const QString& action, const QString& caption, const QString& toolTip, const QString& opens = {})
{
    CommandDecl command;
    command.action = action;
    command.caption = caption;
    command.toolTip = toolTip;
    command.needsRecord = true;
    command.opens = opens;
    return command;
}

}  // namespace

const WorkPanelDecl& WACUMSHL()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WACUMSHL"_s;
        declaration.title = u"Acumuladores históricos/liquidación/movimientos"_s;
        declaration.table = u"ACUMHL"_s;
        declaration.index = u"IACUMHL"_s;
        declaration.columns = {
            {u"AcuTipo"_s, u"Tipo"_s, {}, accumulatorTypes()},
            {u"AcuId"_s, u"Número"_s, u"Z9"_s, {}},
            {u"AcuDesc"_s, u"Descripción"_s, {}, {}},
            {u"AcuPeriodo"_s, u"Período"_s, {}, periods()},
        };
        declaration.rowKey = [](const RecordCursor& row) {
            return row.text(u"AcuTipo"_s).trimmed() + u'\t' + QString::number(row.integer(u"AcuId"_s));
        };
        declaration.transaction = u"TACUMHL"_s;
        declaration.listing = u"RACUMHLL"_s;
        declaration.filterField = u"AcuDesc"_s;
        declaration.permissionPosition = conceptsPermission;
        declaration.removeRow = &removeAccumulator;
        declaration.commands = {
            button(u"Copiar"_s, u"C&opiar"_s, u"Copia el acumulador con sus conceptos a otro número"_s),
            button(u"Conceptos"_s, u"Conceptos"_s, u"Conceptos que se acumulan en el acumulador"_s, u"WACUMHL"_s),
            button(u"UsadoEn"_s, u"U&sado en"_s, u"Conceptos e informes que utilizan el acumulador"_s),
        };
        declaration.command = &accumulatorCommand;
        declaration.helpTopic = u"HLP_WACUMSHL.htm"_s;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration form(&TACUMHL);
const ObjectRegistration panel(&WACUMSHL);
const ObjectRegistration feeds(&WACUMHL);
const ObjectRegistration copy(&WACUMCOP);
}  // namespace
