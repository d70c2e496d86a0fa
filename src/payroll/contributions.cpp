// Contribution groups (APORTE, 1 to 9) list the concepts whose amounts tax a
// concept and the percentage taxed (APORTE1); a line may be qualified by a
// conditional contribution (APOCON). TAPORTE keeps a group with its lines,
// WAPORTES lists the groups, TAPOCON lists the conditional contributions and
// TAPOCONR keeps one of them; WKQ00L0 is the groups' selection prompt.
// Synchronisation group "Con", shared with the concepts.
#include "payroll/contributions.h"

#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "payroll/definition_reads.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int conceptsPermission = 7;
const QString conceptsGroup = u"Con"_s;

enum GroupLineColumn { LineConcept = 0, LinePercent = 1, LineConditional = 2 };

FieldVerdict checkGroupCode(Transaction& form)
{
    const int code = form.value(u"AporId"_s).toInt();
    if (code < 1 || code > 9)
        return FieldVerdict::refuse(u"Código debe ser de 1 a 9"_s);
    return FieldVerdict::ok();
}

/// A group line: the refusals stop it; its notices are shown in order and pass.
FieldVerdict checkGroupLine(const LineTable& lines, int row)
{
    Database& database = lines.form().database();
    const int conceptId = lines.value(row, LineConcept).toInt();
    if (conceptId == 0)
        return FieldVerdict::refuse(u"Falta concepto"_s);
    const QVariant type = conceptField(database, conceptId, u"ConTipo"_s);
    if (!type.isValid())
        return FieldVerdict::refuse(u"No existe Conceptos"_s);

    QStringList notices;
    if (ConceptType(type.toInt()) != ConceptType::LegalDeduction)
        notices << u"Aviso: concepto no es descuento de ley"_s;
    if (lines.value(row, LinePercent).toDouble() == 0)
        notices << u"Aviso: porcentaje gravado es 0%"_s;

    FieldVerdict refusal;
    const int conditional = lines.value(row, LineConditional).toInt();
    if (conditional != 0 && !anyRow(database, u"SELECT ApCId FROM APOCON WHERE ApCId = ?"_s, {conditional}))
        refusal = FieldVerdict::refuse(u"No existe ApoCon"_s);
    else if (lines.repeatsKey(row))
        refusal = FieldVerdict::refuse(u"Ya existe el registro"_s);

    if (refusal.kind != FieldVerdict::Kind::Ok || notices.size() > 1) {
        // Notices come before the refusal, as the checks run.
        const qsizetype shown = refusal.kind != FieldVerdict::Kind::Ok ? notices.size() : notices.size() - 1;
        for (qsizetype at = 0; at < shown; ++at)
            lines.form().ui().message(notices.at(at), MessageIcon::Information);
        if (refusal.kind != FieldVerdict::Kind::Ok)
            return refusal;
    }
    return notices.isEmpty() ? FieldVerdict::ok() : FieldVerdict::refuse(notices.last());
}

QString percentText(const QVariant& value) { return QString::number(value.toDouble(), 'f', 4); }

QString groupLineAudit(const Transaction& form, Mode mode, const QVector<QVariant>& values,
                       const QVector<QVariant>& /*asRead*/)
{
    QString verb;
    switch (mode) {
    case Mode::Insert:
        verb = u"Agrega concepto al grupo de aportes "_s;
        break;
    case Mode::Update:
        verb = u"Modifica concepto del grupo de aportes "_s;
        break;
    case Mode::Delete:
        verb = u"Elimina concepto del grupo de aportes "_s;
        break;
    case Mode::Display:
        return {};
    }
    return verb + QString::number(form.value(u"AporId"_s).toInt()) + u", concepto = "_s
           + QString::number(values.value(LineConcept).toInt()) + u", % = "_s + percentText(values.value(LinePercent))
           + u", aporte condicional = "_s + QString::number(values.value(LineConditional).toInt());
}

const LineTableDecl& groupLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"APORTE1"_s;
        declaration.index = u"IGRAVAN1"_s;
        declaration.headerKey = u"AporId"_s;
        declaration.columns = {{u"AporConId"_s, u"Concepto"_s, u"ZZZ9"_s},
                               {u"AporPorGra"_s, u"% gravado"_s, u"ZZ9.9999"_s},
                               {u"AporApCId"_s, u"Aporte condicional"_s, u"Z9"_s}};
        declaration.check = &checkGroupLine;
        declaration.auditText = &groupLineAudit;
        declaration.audit.area = AuditArea::Concepts;
        return declaration;
    }();
    return lines;
}

/// "&Eliminar": the selected line is marked for deletion.
void removeSelectedLine(Transaction& form, const CommandDecl& command)
{
    if (command.action != u"EliminarLinea"_s)
        return;
    LineTable* lines = form.lines();
    const int row = lines ? lines->currentRow() : -1;
    if (!lines || row < 0 || row >= lines->rowCount() || lines->mode(row) == Mode::Delete) {
        form.ui().message(u"Debe seleccionar el concepto a eliminar"_s, MessageIcon::Exclamation);
        return;
    }
    lines->markForDeletion(row);
}

}  // namespace

const TransactionDecl& TAPORTE()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TAPORTE"_s;
        declaration.title = u"Grupo de aportes"_s;
        declaration.table = u"APORTE"_s;
        declaration.index = u"IGRAVANT"_s;
        FieldDecl code = keyField(u"AporId"_s, u"Código"_s, u"Z9"_s);
        code.rule = &checkGroupCode;
        declaration.fields = {code, textField(u"AporDesc"_s, u"Descripción"_s, u"Falta descripción"_s)};
        declaration.keyMissingMessage = u"Falta código"_s;
        declaration.lines = &groupLines();
        declaration.deleteChecks = {
            {u"CONCEPT1"_s, u"ICONCE15"_s, u"OpeAporId"_s, u"Concept1"_s},
            {u"CONCEPT"_s, u"ICONCEP1"_s, u"AporId"_s, u"Conceptos"_s},
        };
        declaration.deleteQuestion = u"Eliminar toda la información en Aporte?"_s;
        CommandDecl removeLine;
        removeLine.action = u"EliminarLinea"_s;
        removeLine.caption = u"&Eliminar"_s;
        removeLine.toolTip = u"Elimina el concepto seleccionado del grupo"_s;
        declaration.commands = {removeLine};
        declaration.hooks.command = &removeSelectedLine;
        declaration.audit.insert = u"Agrega grupo de aportes "_s;
        declaration.audit.modify = u"Modifica grupo de aportes "_s;
        declaration.audit.remove = u"Elimina grupo de aportes "_s;
        declaration.hooks.auditText = [](const Transaction& form) -> QString {
            const QString named = QString::number(form.value(u"AporId"_s).toInt()) + u' '
                                  + form.value(u"AporDesc"_s).toString().trimmed();
            switch (form.mode()) {
            case Mode::Insert:
                return u"Agrega grupo de aportes "_s + named;
            case Mode::Update:
                return u"Modifica grupo de aportes "_s + named;
            case Mode::Delete:
                return u"Elimina grupo de aportes "_s + named;
            case Mode::Display:
                return {};
            }
            return {};
        };
        declaration.audit.area = AuditArea::Concepts;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        declaration.helpTopic = u"HLP_TAPORTE.htm"_s;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WAPORTES()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WAPORTES"_s;
        declaration.title = u"Grupos de aportes"_s;
        declaration.table = u"APORTE"_s;
        declaration.index = u"IGRAVANT"_s;
        declaration.columns = {{u"AporId"_s, u"Código"_s, u"9"_s, {}}, {u"AporDesc"_s, u"Descripción"_s, {}, {}}};
        declaration.transaction = u"TAPORTE"_s;
        declaration.listing = u"RAPORTEL"_s;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        CommandDecl conditional;
        conditional.action = u"ApCond"_s;
        conditional.caption = u"Ap. cond."_s;
        conditional.toolTip = u"Aportes condicionales"_s;
        conditional.opens = u"TAPOCON"_s;
        declaration.commands = {conditional};
        declaration.helpTopic = u"HLP_WAPORTES.htm"_s;
        return declaration;
    }();
    return panel;
}

const TransactionDecl& TAPOCONR()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TAPOCONR"_s;
        declaration.title = u"Aporte condicional"_s;
        declaration.table = u"APOCON"_s;
        declaration.index = u"IAPOCON"_s;
        declaration.fields = {keyField(u"ApCId"_s, u"Código"_s, u"Z9"_s),
                              textField(u"ApCDes"_s, u"Descripción"_s, u"Falta descripción de aporte condicional"_s)};
        declaration.keyMissingMessage = u"Falta código de aporte condicional"_s;
        declaration.deleteChecks = {
            {u"APORTE1"_s, u"IAPORTE1"_s, u"AporApCId"_s, u"Aporte1"_s},
            {u"FUNCIONA"_s, u"IFUNCIO6"_s, u"FunApCId"_s, u"Funcionarios"_s},
        };
        declaration.audit.insert = u"Agrega aporte condicional "_s;
        declaration.audit.modify = u"Modifica aporte condicional "_s;
        declaration.audit.remove = u"Elimina aporte condicional "_s;
        declaration.audit.parts = {{u"ApCDes"_s, u", descripción = "_s}};
        declaration.audit.area = AuditArea::Concepts;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        declaration.helpTopic = u"HLP_TAPOCON.htm"_s;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& TAPOCON()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"TAPOCON"_s;
        declaration.title = u"Aportes condicionales"_s;
        declaration.table = u"APOCON"_s;
        declaration.index = u"IAPOCON"_s;
        declaration.columns = {{u"ApCId"_s, u"Código"_s, u"Z9"_s, {}}, {u"ApCDes"_s, u"Descripción"_s, {}, {}}};
        declaration.transaction = u"TAPOCONR"_s;
        declaration.syncGroup = conceptsGroup;
        declaration.permissionPosition = conceptsPermission;
        declaration.helpTopic = u"HLP_TAPOCON.htm"_s;
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WKQ00L0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00L0"_s, u"Grupos de aportes"_s, u"APORTE"_s, u"IGRAVANT"_s,
                        {{u"AporId"_s, u"Grupo"_s, u"9"_s, {}}, {u"AporDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration group(&TAPORTE);
const ObjectRegistration groups(&WAPORTES);
const ObjectRegistration conditional(&TAPOCONR);
const ObjectRegistration conditionals(&TAPOCON);
const ObjectRegistration prompt(&WKQ00L0);
}  // namespace
