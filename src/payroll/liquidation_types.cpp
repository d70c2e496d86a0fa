// Liquidation types (TIPLIQUI): one character names a kind of payroll run and
// carries what the calculation applies to runs of that kind. TTIPOLIQ keeps
// one type on two pages (general data, advances); TTIPOLIN the concepts that
// are not repeated where an advance is deducted (PARLIQX); WTIPOSLI lists the
// types; WKQ00S0 is their selection prompt. The types "X" (the next run) and
// "T" (all runs) are written when a database is created and never change.
// Synchronisation group "TL".
#include "payroll/liquidation_types.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/audit.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "payroll/definition_reads.h"
#include "payroll/procedure_result.h"
#include "support/picture.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

const QString fixedTypeRefusal = u"No puede modificar ni eliminar este tipo de liquidación"_s;

bool ticked(const Transaction& form, const QString& field)
{
    return form.value(field).toString() == u"S"_s;
}

int conceptOf(const Transaction& form, const QString& field)
{
    return form.value(field).toInt();
}

bool isAdvance(const Transaction& form) { return ticked(form, u"TLAdelanto"_s); }

ConceptType typeOfConcept(Transaction& form, int conceptId)
{
    return ConceptType(conceptField(form.database(), conceptId, u"ConTipo"_s).toInt());
}

bool isFixedType(const QString& type) { return type == u"X"_s || type == u"T"_s; }

FieldVerdict checkType(Transaction& form)
{
    const QString type = form.value(u"TLId"_s).toString().trimmed();
    const bool inRange = type.size() == 1
                         && ((type.at(0) >= u'0' && type.at(0) <= u'9') || (type.at(0) >= u'A' && type.at(0) <= u'X'));
    if (!inRange)
        return FieldVerdict::refuse(u"Tipo liquidación debe ser entre 0 y 9 o entre A y X"_s);
    if (isFixedType(type) && form.mode() == Mode::Update)
        return FieldVerdict::refuse(fixedTypeRefusal);
    return FieldVerdict::ok();
}

FieldVerdict checkDescription(Transaction& form)
{
    const QString type = form.value(u"TLId"_s).toString().trimmed();
    const QString description = form.value(u"TLDesc"_s).toString().trimmed();
    if (type == u"X"_s && description != u"Próxima"_s)
        return FieldVerdict::refuse(u"TIpo de liquidación \"\"X\"\" debe ser \"\"Próxima\"\""_s);
    if (type == u"T"_s && description != u"Todas"_s)
        return FieldVerdict::refuse(u"TIpo de liquidación \"\"T\"\" debe ser \"\"Todas\"\""_s);
    return FieldVerdict::ok();
}

FieldVerdict checkNegativeConcept(Transaction& form)
{
    const int conceptId = conceptOf(form, u"TLConIdNeg"_s);
    const bool carried = ticked(form, u"TLNegativo"_s);
    if (conceptId != 0 && !carried)
        return FieldVerdict::refuse(u"Indicó concepto pero no indicó descontar líquidos negativos"_s);
    if (conceptId != 0 && typeOfConcept(form, conceptId) != ConceptType::Deduction)
        return FieldVerdict::refuse(u"Concepto de descuento de líquidos negativos debe ser un descuento"_s);
    if (conceptId == 0 && carried)
        return FieldVerdict::refuse(u"Falta concepto de descuento de líquidos negativos"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkBonusConcept(Transaction& form)
{
    const int conceptId = conceptOf(form, u"TLConIdAgu"_s);
    const bool bonusRun = ticked(form, u"TLAguinald"_s);
    if (conceptId != 0 && !bonusRun)
        return FieldVerdict::refuse(u"Indicó concepto de aguinaldo pero la liquidación no es de aguinaldo"_s);
    if (conceptId == 0 && bonusRun)
        return FieldVerdict::refuse(u"Falta concepto de aguinaldo"_s);
    if (conceptId != 0 && conceptField(form.database(), conceptId, u"ConClase"_s).toString().trimmed() != u"A"_s)
        return FieldVerdict::refuse(u"Concepto de aguinaldo debe tener clase aguinaldo"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkAdvanceConcept(Transaction& form)
{
    const int conceptId = conceptOf(form, u"TLConIdDes"_s);
    if (conceptId != 0 && !isAdvance(form))
        return FieldVerdict::refuse(u"Indicó concepto de descuento de adelantos pero la liquidación no es de adelantos"_s);
    if (conceptId != 0 && typeOfConcept(form, conceptId) != ConceptType::Deduction)
        return FieldVerdict::refuse(u"Concepto de descuento de adelantos debe ser un descuento"_s);
    if (conceptId == 0 && isAdvance(form))
        return FieldVerdict::refuse(u"Falta concepto de descuento de adelantos"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkRepetition(Transaction& form)
{
    if (ticked(form, u"TLRepetir"_s) && !isAdvance(form))
        return FieldVerdict::refuse(u"Indicó repetir movimientos pero la liquidación no es de adelantos"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkRepetitionMode(Transaction& form)
{
    if (ticked(form, u"TLRepetir"_s) && form.value(u"TLModoRep"_s).toString().trimmed().isEmpty())
        return FieldVerdict::refuse(u"Falta indicar el modo en que se repiten los movimientos en otra liquidación"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkSummary(Transaction& form)
{
    if (ticked(form, u"TLResumir"_s) && !isAdvance(form))
        return FieldVerdict::refuse(u"Indicó resumir liquidación pero la liquidación no es de adelantos"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkSummaryConcept(Transaction& form)
{
    const int conceptId = conceptOf(form, u"TLConIdRes"_s);
    const bool summarised = ticked(form, u"TLResumir"_s);
    if (conceptId != 0 && !summarised)
        return FieldVerdict::refuse(u"Indicó concepto pero no indicó resumir la liquidación"_s);
    if (conceptId != 0 && typeOfConcept(form, conceptId) != ConceptType::Earning)
        return FieldVerdict::refuse(u"Concepto para resumir debe ser un haber"_s);
    if (conceptId == 0 && summarised)
        return FieldVerdict::refuse(u"Falta concepto para resumir"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkSummaryRounding(Transaction& form)
{
    if (form.value(u"TLConResRe"_s).toDouble() != 0 && !ticked(form, u"TLResumir"_s))
        return FieldVerdict::refuse(
            u"Indicó redondeo para concepto de resumen pero no indicó resumir la liquidación"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkDeductionRun(Transaction& form)
{
    const QString deductedIn = form.value(u"TLIdDescue"_s).toString().trimmed();
    const bool deductsLater =
        isAdvance(form) || ticked(form, u"TLRechazos"_s) || ticked(form, u"TLNegativo"_s);
    if (!deductedIn.isEmpty() && !deductsLater)
        return FieldVerdict::refuse(u"Indicó liquidación en que se descontará pero liquidación no es de adelantos "
                                    u"ni descontará descuentos rechazados ni líquidos negativos"_s);
    if (deductedIn.isEmpty() && deductsLater)
        return FieldVerdict::refuse(u"Falta indicar el tipo de liquidación en que se descontará"_s);
    if (deductedIn.isEmpty())
        return FieldVerdict::ok();
    if (deductedIn == form.value(u"TLId"_s).toString().trimmed())
        return FieldVerdict::refuse(
            u"El tipo de liquidación en que se descontará la liquidación de adelanto no puede ser la misma"_s);
    if (!anyRow(form.database(), u"SELECT TLId FROM TIPLIQUI WHERE TLId = ?"_s, {deductedIn}))
        return FieldVerdict::refuse(u"No existe TipLiquidacion"_s);
    return FieldVerdict::ok();
}

/// A run's flag: "S" when ticked, blank when not.
FieldDecl runFlag(const QString& name, const QString& label, int page, FieldRule rule = {})
{
    FieldDecl flag;
    flag.name = name;
    flag.label = label;
    flag.kind = FieldKind::Flag;
    flag.flag = {u"S"_s, u""_s};
    flag.page = page;
    flag.rule = std::move(rule);
    return flag;
}

/// A "S"/"N" switch of the run.
FieldDecl yesNoFlag(const QString& name, const QString& label)
{
    FieldDecl flag;
    flag.name = name;
    flag.label = label;
    flag.kind = FieldKind::Flag;
    flag.defaultValue = u"N"_s;
    return flag;
}

FieldDecl conceptLookup(const QString& name, const QString& label, int page, FieldRule rule)
{
    FieldDecl conceptId;
    conceptId.name = name;
    conceptId.label = label;
    conceptId.picture = u"ZZZ9"_s;
    conceptId.kind = FieldKind::Reference;
    conceptId.reference = {u"CONCEPT"_s, u"ICONCEPT"_s, u"Conceptos"_s, u"WKQ00N0"_s, u"ConDesc"_s, {}};
    conceptId.page = page;
    conceptId.rule = std::move(rule);
    return conceptId;
}

QString yesOrNo(bool yes) { return yes ? u"Sí"_s : u"No"_s; }

/// The audit phrases of a type, in the order the sentence names them; on a
/// change only those whose fields changed.
QString runTypePhrases(const Transaction& form, bool all)
{
    const auto changed = [&](std::initializer_list<const char16_t*> fields) {
        if (all)
            return true;
        for (const char16_t* field : fields) {
            const QString name = QString::fromUtf16(field);
            if (form.value(name).toString().trimmed() != form.recordValue(name).toString().trimmed())
                return true;
        }
        return false;
    };
    const auto text = [&](const QString& field) { return form.value(field).toString().trimmed(); };
    const auto number = [&](const QString& field) { return QString::number(form.value(field).toInt()); };
    QString phrases;
    if (changed({u"TLDesc"}))
        phrases += u", descripción = "_s + text(u"TLDesc"_s);
    if (changed({u"TLL17829"}))
        phrases += u", aplica ley 17829 = "_s + text(u"TLL17829"_s);
    if (changed({u"TLAguinald", u"TLConIdAgu"})) {
        phrases += ticked(form, u"TLAguinald"_s)
                       ? u", liquidación de aguinaldo = Sí, concepto de aguinaldo = "_s + number(u"TLConIdAgu"_s)
                       : u", liquidación de aguinaldo = No"_s;
    }
    if (changed({u"TLAdelanto", u"TLIdDescue", u"TLConIdDes", u"TLRepetir", u"TLResumir", u"TLConIdRes",
                 u"TLConResRe"})) {
        if (isAdvance(form)) {
            phrases += u", liquidación de adelanto a descontar en otra liquidación = Sí"_s
                       + u", tipo de liquidación en que se descontará = "_s + text(u"TLIdDescue"_s)
                       + u", concepto de descuento de adelantos = "_s + number(u"TLConIdDes"_s)
                       + u", repetir movimientos en la otra liquidación = "_s + yesOrNo(ticked(form, u"TLRepetir"_s));
            phrases += ticked(form, u"TLResumir"_s)
                           ? u", resumir liquidación en un solo concepto por el líquido = Sí"_s
                                 + u", concepto para resumir liquidación = "_s + number(u"TLConIdRes"_s)
                                 + u", redondeo a aplicar al concepto de resumen = "_s
                                 + QString::number(form.value(u"TLConResRe"_s).toDouble())
                           : u", resumir liquidación en un solo concepto por el líquido = No"_s;
        } else {
            phrases += u", liquidación de adelanto a descontar en otra liquidación = No"_s;
        }
    }
    if (changed({u"TLRechazos"}))
        phrases += u", reiterar descuentos rechazados en otra liquidación = "_s + yesOrNo(ticked(form, u"TLRechazos"_s));
    if (changed({u"TLNegativo", u"TLConIdNeg"})) {
        phrases += ticked(form, u"TLNegativo"_s)
                       ? u", descontar líquidos negativos en otra liquidación = Sí"_s
                             + u", concepto de descuento de líquidos negativos = "_s + number(u"TLConIdNeg"_s)
                       : u", descontar líquidos negativos en otra liquidación = No"_s;
    }
    if (changed({u"TlNotas"}))
        phrases += u", notas = "_s + text(u"TlNotas"_s);
    return phrases;
}

QString runTypeAudit(const Transaction& form)
{
    const QString type = form.value(u"TLId"_s).toString().trimmed();
    switch (form.mode()) {
    case Mode::Insert:
        return u"Agrega tipo liquidación "_s + type + u" - "_s + runTypePhrases(form, true);
    case Mode::Update:
        return u"Modifica tipo de liquidación "_s + type + runTypePhrases(form, false);
    case Mode::Delete:
        return u"Elimina tipo liquidación "_s + type + u", descripción = "_s
               + form.value(u"TLDesc"_s).toString().trimmed();
    case Mode::Display:
        return {};
    }
    return {};
}

/// Where a type may still be used, in the order the delete looks: the
/// exceptions kept under the company configuration count as "Configuracion".
struct RunTypeUse {
    const char16_t* statement;
    const char16_t* name;
};

const RunTypeUse runTypeUses[] = {
    {u"SELECT HLTLId FROM HISLIQ WHERE HLTLId = ?", u"HisLiq"},
    {u"SELECT AcuTLId FROM ACUMHL WHERE AcuTLId = ?", u"AcumHL"},
    {u"SELECT PLTLId FROM CONFIGUR WHERE PLTLId = ? UNION ALL SELECT PLTLId FROM PARLIQX WHERE PLTLId = ?",
     u"Configuracion"},
    {u"SELECT MovTLId FROM MOVIMIEN WHERE MovTLId = ?", u"Movimientos"},
    {u"SELECT HTLId FROM HISTORIA WHERE HTLId = ?", u"Historia"},
};

FieldVerdict runTypeDeleteVerdict(Transaction& form)
{
    const QString type = form.value(u"TLId"_s).toString().trimmed();
    if (isFixedType(type))
        return FieldVerdict::refuse(fixedTypeRefusal);
    for (const RunTypeUse& use : runTypeUses) {
        const QString statement = QString::fromUtf16(use.statement);
        const QVariantList values(statement.count(u'?'), type);
        if (anyRow(form.database(), statement, values))
            return FieldVerdict::refuse(u"Eliminación inválida, hay información en \""_s + QString::fromUtf16(use.name)
                                        + u"\"."_s);
    }
    return FieldVerdict::ok();
}

}  // namespace

const TransactionDecl& TTIPOLIQ()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TTIPOLIQ"_s;
        declaration.title = u"Tipo de liquidación"_s;
        declaration.table = u"TIPLIQUI"_s;
        declaration.index = u"ITIPLIQU"_s;
        declaration.pages = {u"Datos generales"_s, u"Adelantos"_s};
        enum Page { General = 0, Advances = 1 };

        FieldDecl type = keyField(u"TLId"_s, u"Tipo liquidación"_s, {});
        type.rule = &checkType;

        FieldDecl description = textField(u"TLDesc"_s, u"Descripción"_s, u"Falta descripción"_s);
        description.rule = &checkDescription;

        FieldDecl notes;
        notes.name = u"TlNotas"_s;
        notes.label = u"Notas"_s;
        notes.kind = FieldKind::Memo;

        FieldDecl law;
        law.name = u"TLL17829"_s;
        law.label = u"Aplica ley 17829 (liq. min. 30%)"_s;
        law.kind = FieldKind::CodeList;
        law.choices = {{u"N"_s, u"No"_s}, {u"S"_s, u"Si, separado por liquidación"_s},
                       {u"M"_s, u"Si, para todo el mes"_s}};
        law.defaultValue = u"N"_s;

        FieldDecl repetitionMode;
        repetitionMode.name = u"TLModoRep"_s;
        repetitionMode.label = u"Modo"_s;
        repetitionMode.kind = FieldKind::Options;
        repetitionMode.choices = {{u"M"_s, u"Con mismo importe"_s}, {u"R"_s, u"Recalculando importe"_s}};
        repetitionMode.page = Advances;
        repetitionMode.rule = &checkRepetitionMode;
        repetitionMode.enabledWhen = [](const Transaction& form) { return ticked(form, u"TLRepetir"_s); };

        FieldDecl rounding = numberField(u"TLConResRe"_s, u"Redondeo a aplicar al concepto de resumen"_s,
                                         u"ZZZ,ZZ9.99"_s);
        rounding.page = Advances;
        rounding.rule = &checkSummaryRounding;

        // Chosen from the types' list; checked by its rule, since a type
        // that deducts in itself is told so before it is looked for.
        FieldDecl deductedIn = textField(u"TLIdDescue"_s, u"Tipo de liquidación en que se descontará"_s);
        deductedIn.reference.listObject = u"WKQ00S0"_s;
        deductedIn.rule = &checkDeductionRun;

        declaration.fields = {
            type,
            description,
            notes,
            law,
            runFlag(u"TLNegativo"_s, u"Descontar líquidos negativos en otra liquidación"_s, General),
            conceptLookup(u"TLConIdNeg"_s, u"Concepto de descuento de líquidos negativos"_s, General,
                          &checkNegativeConcept),
            runFlag(u"TLAguinald"_s, u"Liquidación de aguinaldo"_s, General),
            conceptLookup(u"TLConIdAgu"_s, u"Concepto de aguinaldo"_s, General, &checkBonusConcept),
            runFlag(u"TLRechazos"_s, u"Reiterar descuentos rechazados en otra liquidación"_s, General),
            yesNoFlag(u"TLDtoSinHa"_s, u"Incluir descuentos de funcionarios sin haberes"_s),
            yesNoFlag(u"TLMovBenef"_s, u"No generar pago al beneficiario"_s),
            yesNoFlag(u"TLIncTodas"_s, u"Incluir movimientos para los tipos de liquidación T-Todas y X-Próxima"_s),
            runFlag(u"TLAdelanto"_s, u"Liquidación de adelanto a descontar en otra liquidación"_s, Advances),
            conceptLookup(u"TLConIdDes"_s, u"Concepto de descuento de adelantos"_s, Advances, &checkAdvanceConcept),
            runFlag(u"TLRepetir"_s, u"Repetir movimientos en la otra liquidación"_s, Advances, &checkRepetition),
            repetitionMode,
            runFlag(u"TLResumir"_s, u"Resumir liquidación en un solo concepto por el líquido"_s, Advances,
                    &checkSummary),
            conceptLookup(u"TLConIdRes"_s, u"Concepto para resumir liquidación"_s, Advances, &checkSummaryConcept),
            rounding,
            deductedIn,
        };
        declaration.keyMissingMessage = u"Falta Tipo liquidación."_s;
        declaration.hooks.deleteVerdict = &runTypeDeleteVerdict;
        declaration.hooks.auditText = &runTypeAudit;
        declaration.audit.insert = u"Agrega tipo liquidación "_s;
        declaration.audit.modify = u"Modifica tipo de liquidación "_s;
        declaration.audit.remove = u"Elimina tipo liquidación "_s;
        declaration.syncGroup = u"TL"_s;
        declaration.helpTopic = u"HLP_TTIPOLIQ.htm"_s;

        CommandDecl exceptions;
        exceptions.action = u"Excepciones"_s;
        exceptions.caption = u"Excepciones"_s;
        exceptions.toolTip = u"Conceptos que no se repiten en la liquidación en que se descontará el adelanto"_s;
        exceptions.needsRecord = true;
        exceptions.opens = u"TTIPOLIN"_s;
        declaration.commands = {exceptions};
        return declaration;
    }();
    return form;
}

namespace {

enum ExceptionColumn { ExceptionConcept = 0 };

FieldVerdict checkException(const LineTable& lines, int row)
{
    const int conceptId = lines.value(row, ExceptionConcept).toInt();
    if (conceptId == 0)
        return FieldVerdict::refuse(u"Falta concepto"_s);
    if (!conceptField(lines.form().database(), conceptId, u"ConId"_s).isValid())
        return FieldVerdict::refuse(u"No existe Conceptos. DESEA VISUALIZAR?"_s);
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(u"Ya existe el registro"_s);
    return FieldVerdict::ok();
}

/// The exceptions of the company configuration (record 0) for one type,
/// kept in the order of their concepts.
const LineTableDecl& exceptionLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"PARLIQX"_s;
        declaration.index = u"IPARLIQ2"_s;
        declaration.headerKey = u"PLTLId"_s;
        declaration.headerFormField = u"TLId"_s;
        // Kept under the company configuration, record 0.
        declaration.moreHeaderKeys = {u"CfId"_s};
        declaration.columns = {{u"PLConIdExc"_s, u"Concepto"_s, u"ZZZ9"_s}};
        declaration.check = &checkException;
        declaration.audit.insert = u"Agrega concepto que no se repite, tipo de liquidación "_s;
        declaration.audit.remove = u"Elimina concepto que no se repite, tipo de liquidación "_s;
        return declaration;
    }();
    return lines;
}

/// "Eliminar": every exception of the type goes, after one question.
void removeAllExceptions(Transaction& form, const CommandDecl& command)
{
    if (command.action != u"Eliminar"_s)
        return;
    if (!form.ui().question(u"Eliminar toda la información en Configuracion?"_s, DefaultButton::No))
        return;
    Database& database = form.database();
    const QString type = form.value(u"TLId"_s).toString().trimmed();
    const DbError error = runInOneTransaction(
        database, [&] { return database.execute(u"DELETE FROM PARLIQX WHERE CfId = ? AND PLTLId = ?"_s, {0, type}); });
    if (error) {
        form.ui().message(error.fullText(), MessageIcon::Exclamation);
        return;
    }
    writeAuditEntry(database, AuditArea::Tables, u"Elimina conceptos que no se repiten, tipo de liquidación "_s + type);
    form.close();
}

}  // namespace

const TransactionDecl& TTIPOLIN()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TTIPOLIN"_s;
        declaration.title = u"Conceptos que no se repiten"_s;
        declaration.table = u"TIPLIQUI"_s;
        declaration.index = u"ITIPLIQU"_s;
        FieldDecl type = keyField(u"TLId"_s, u"Tipo liquidación"_s, {});
        type.fromCaller = true;
        FieldDecl description = textField(u"TLDesc"_s, u"Descripción"_s);
        description.enabledWhen = [](const Transaction&) { return false; };
        // The company configuration the exceptions belong to: always the
        // one record 0 of CONFIGUR.
        FieldDecl configuration = numberField(u"CfId"_s, u"Configuración"_s, u"Z9"_s);
        configuration.unbound = true;
        configuration.enabledWhen = [](const Transaction&) { return false; };
        declaration.fields = {type, description, configuration};
        declaration.keyMissingMessage = u"Falta Tipo liquidación."_s;
        declaration.labels = {{u"Excepciones"_s, 0, {}, [](Transaction&) {
                                   return u"Conceptos que no se repiten en la liquidación en que se descontará el "
                                          u"adelanto:"_s;
                               }}};
        declaration.lines = &exceptionLines();
        CommandDecl removeAll;
        removeAll.action = u"Eliminar"_s;
        removeAll.caption = u"&Eliminar"_s;
        removeAll.toolTip = u"Elimina todos los conceptos de la lista"_s;
        removeAll.needsRecord = true;
        removeAll.changesData = true;
        declaration.commands = {removeAll};
        declaration.hooks.command = &removeAllExceptions;
        // The type itself is kept by TTIPOLIQ: this form writes only its lines.
        declaration.syncGroup = u"TL"_s;
        declaration.helpTopic = u"HLP_TTIPOLIN.htm"_s;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WTIPOSLI()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WTIPOSLI"_s;
        declaration.title = u"Tipos de liquidación"_s;
        declaration.table = u"TIPLIQUI"_s;
        declaration.index = u"ITIPLIQU"_s;
        declaration.columns = {
            {u"TLId"_s, u"Tipo liquidación"_s, {}, {}},
            {u"TLDesc"_s, u"Descripción"_s, {}, {}},
            {u"TlNotas"_s, u"Notas"_s, {}, {}},
        };
        declaration.transaction = u"TTIPOLIQ"_s;
        declaration.listing = u"RTIPOSLI"_s;
        declaration.syncGroup = u"TL"_s;
        declaration.helpTopic = u"HLP_WTIPOSLI.htm"_s;
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WKQ00S0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00S0"_s, u"Tipos de liquidación"_s, u"TIPLIQUI"_s, u"ITIPLIQU"_s,
                        {{u"TLId"_s, u"Tipo"_s, u"!"_s, {}}, {u"TLDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

namespace {
const ObjectRegistration form(&TTIPOLIQ);
const ObjectRegistration exceptions(&TTIPOLIN);
const ObjectRegistration panel(&WTIPOSLI);
const ObjectRegistration prompt(&WKQ00S0);
}  // namespace
