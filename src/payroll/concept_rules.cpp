// The rules of the concept form: the values derived as the fields are
// validated in screen order, every check with its exact message, the state
// read when the form opens, the used-by-other-concepts refusal of a delete,
// the header buttons and what follows a confirm.
#include "payroll/concept_rules.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/parameters.h"
#include "engine/object_registry.h"
#include "startup/main_menu.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

#include <QHash>

#include <algorithm>
#include <cassert>
#include <optional>

using namespace Qt::StringLiterals;

namespace Concept {

namespace {

int type(const Transaction& form)
{
    return int(form.value(u"ConTipo"_s).toLongLong());
}

bool isEarningOrInternal(const Transaction& form)
{
    return type(form) == Earning || type(form) == Internal;
}

bool isDeduction(const Transaction& form)
{
    return type(form) == LegalDeduction || type(form) == Deduction;
}

QString textOf(const Transaction& form, const QString& name)
{
    return form.value(name).toString().trimmed();
}

double numberOf(const Transaction& form, const QString& name)
{
    return form.value(name).toDouble();
}

QString conceptClass(const Transaction& form)
{
    return textOf(form, u"ConClase"_s).toUpper();
}

bool anyPercentage(const Transaction& form)
{
    for (int bracket = 1; bracket <= bracketCount; ++bracket) {
        if (numberOf(form, percentageField(bracket)) != 0)
            return true;
    }
    return false;
}

bool isYearEndBonusCode(const QString& code)
{
    return QStringList{u"2"_s, u"C"_s, u"D"_s, u"E"_s, u"L"_s, u"U"_s}.contains(code);
}

bool isHolidayPayCode(const QString& code)
{
    return QStringList{u"S"_s, u"T"_s, u"W"_s, u"X"_s, u"Y"_s, u"Z"_s}.contains(code);
}

const FieldVerdict ok = FieldVerdict::ok();

FieldVerdict refuse(const QString& message)
{
    return FieldVerdict::refuse(message);
}

/// Several notices of one field: each is shown, the last as the field's
/// verdict (none stops the confirm).
FieldVerdict notices(Transaction& form, const QStringList& texts)
{
    if (texts.isEmpty())
        return ok;
    for (qsizetype at = 0; at + 1 < texts.size(); ++at)
        form.ui().message(texts.at(at), MessageIcon::Information);
    return refuse(texts.last());
}

// ---------------------------------------------------------------------------
// The rules, field by field, in screen order.

FieldVerdict classRule(Transaction& form)
{
    if (conceptClass(form) == u"K"_s && type(form) != LegalDeduction)
        return refuse(u"Si el concepto es de clase IRNR debe ser un descuento de ley"_s);
    return ok;
}

/// "Cantidad": a concept without quantity admits a quantity of zero.
FieldVerdict quantityRule(Transaction& form)
{
    if (textOf(form, u"ConCant"_s) == u"N"_s)
        form.setValue(u"ConCant0"_s, u"S"_s);
    return ok;
}

FieldVerdict percentageRule(Transaction& form, int bracket)
{
    const double percentage = numberOf(form, percentageField(bracket));
    const OpeningState& state = openingState(form);
    if (percentage != 0 && state.bracketLimits.value(bracket - 1) == 0)
        return refuse(u"Especificó porcentaje para una franja inexistente"_s);
    if (percentage != 0 && form.mode() == Mode::Insert && type(form) == LegalDeduction)
        form.setValue(u"ConImpRet"_s, u"S"_s);
    if (bracket < bracketCount || !anyPercentage(form))
        return ok;
    // With the last percentage, the checks of the ten together.
    if (type(form) != LegalDeduction)
        return refuse(u"Los porcentajes de retención solo se indican para los descuentos de ley"_s);
    if (conceptClass(form) == u"I"_s || conceptClass(form) == u"N"_s)
        return refuse(u"Los porcentajes para IRPF y FONASA no se indican en esta ventana, se indican en la "
                      u"\"\"Configuración\"\"."_s);
    return ok;
}

FieldVerdict bpcRule(Transaction& form)
{
    const bool given = numberOf(form, u"BasIdBPC"_s) != 0;
    if (given && type(form) != LegalDeduction)
        return refuse(u"No puede cargar el código de BPC para conceptos que no sean de tipo Descuentos de Ley"_s);
    if (!given && type(form) == LegalDeduction)
        return refuse(u"Falta cargar el código de BPC"_s);
    return ok;
}

FieldVerdict taxedRule(Transaction& form)
{
    if (numberOf(form, u"ConPorGrav"_s) != 0 && numberOf(form, u"AporId"_s) == 0)
        return refuse(u"Indicó porcentaje con que está gravado pero no indicó conceptos que lo gravan"_s);
    return ok;
}

FieldVerdict currencyRule(Transaction& form)
{
    if (conceptClass(form) == u"F"_s && textOf(form, u"ConMonExtr"_s) == u"E"_s)
        return refuse(u"No se permite ficto en moneda extranjera"_s);
    return ok;
}

FieldVerdict netRule(Transaction& form)
{
    if (textOf(form, u"ConLiquido"_s) != u"L"_s)
        return ok;
    if (numberOf(form, u"ConPorGrav"_s) == 0)
        return refuse(u"Indicó importe líquido pero no indicó porcentaje ni conceptos que lo gravan"_s);
    if (conceptClass(form) == u"A"_s)
        return refuse(u"No puede indicar importe líquido para un concepto de aguinaldo"_s);
    return ok;
}

FieldVerdict deductRule(Transaction& form)
{
    const int deduct = int(numberOf(form, u"ConDescont"_s));
    if (deduct != 0 && isEarningOrInternal(form))
        return refuse(u"No puede indicar -Descontar- para este tipo de concepto"_s);
    if (deduct == 0 && isDeduction(form))
        return refuse(u"No indicó -Descontar-"_s);
    return ok;
}

FieldVerdict carryOverRule(Transaction& form)
{
    if (textOf(form, u"ConAcReite"_s) != u"S"_s)
        return ok;
    if (isEarningOrInternal(form))
        return refuse(u"No puede indicar -Acepta reiteración en siguiente liquidación- para este tipo de concepto"_s);
    if (int(numberOf(form, u"ConDescont"_s)) == 1)
        return refuse(u"No puede indicar -Acepta reiteración en siguiente liquidación- para un concepto que "
                      u"descuenta Siempre"_s);
    return ok;
}

/// The type of concept `code`, or nothing when there is none.
std::optional<int> typeOfConcept(Database& database, int code)
{
    TableCursor concepts(database);
    if (concepts.open(u"CONCEPT"_s, Access::ReadOnly))
        return std::nullopt;
    concepts.seek(Comparison::Equal, {code});
    database.idleFreeLocks();
    if (concepts.noMatch() || !concepts.hasCurrent())
        return std::nullopt;
    return int(concepts.integer(u"ConTipo"_s));
}

/// The concept through which a deduction (a judicial retention) is paid
/// out to its beneficiary.
FieldVerdict beneficiaryRule(Transaction& form)
{
    const int beneficiary = int(numberOf(form, u"ConPBId"_s));
    if (beneficiary == 0)
        return ok;
    const int substitute = int(numberOf(form, u"ConPideSub"_s));
    if (substitute == 1 || substitute == 2)
        return refuse(u"No puede indicar Concepto para pago al beneficiario si selecciona Funcionario subrogado "
                      u"opcional u obligatorio."_s);
    if (beneficiary == int(numberOf(form, u"ConId"_s)))
        return refuse(u"El concepto para pago al beneficiario no puede ser el mismo concepto"_s);
    const std::optional<int> beneficiaryType = typeOfConcept(form.database(), beneficiary);
    if (beneficiaryType && *beneficiaryType != Earning)
        return refuse(u"El concepto para pago al beneficiario debe ser un haber"_s);
    if (!beneficiaryType)
        return refuse(u"El concepto para pago al beneficiario no existe"_s);
    if (type(form) != Deduction)
        return refuse(u"Concepto para pago al beneficiario solo puede indicarse en conceptos de descuento"_s);
    return ok;
}

FieldVerdict printRetentionRule(Transaction& form)
{
    if (textOf(form, u"ConImpRet"_s) != u"S"_s)
        return ok;
    if (isEarningOrInternal(form))
        return refuse(u"No puede imprimir porcentaje de retención para este tipo de concepto"_s);
    if (!anyPercentage(form) && conceptClass(form) != u"I"_s && conceptClass(form) != u"N"_s)
        return refuse(u"No puede imprimir porcentaje de retención para un concepto sin porcentaje de retención"_s);
    return ok;
}

FieldVerdict costCentreSplitRule(Transaction& form)
{
    const int split = int(numberOf(form, u"ConGraCC"_s));
    if (split != Forced)
        form.setValue(u"ConCCId"_s, QString());
    const bool opened = split == ByPosition || split == ByLiquidation;
    if (opened && type(form) == LegalDeduction)
        return refuse(u"Para conceptos indicados como Descuentos de ley no se permite la apertura por Centro de "
                      u"costo."_s);
    if (opened && type(form) == Deduction)
        return refuse(u"Aviso: No es habitual que los conceptos de descuento se abran por centro de costo"_s);
    if (split == Forced && !openingState(form).clientServer)
        return refuse(u"Esta opción esta disponible solamente para la versión Cliente Servidor"_s);
    return ok;
}

FieldVerdict costCentreRule(Transaction& form)
{
    if (int(numberOf(form, u"ConGraCC"_s)) == Forced && textOf(form, u"ConCCId"_s).isEmpty())
        return refuse(u"Si selecciona -Apertura por centro de costo Forzado- debe indicar un centro de costo"_s);
    return ok;
}

FieldVerdict workHistoryRule(Transaction& form)
{
    const bool taxed = numberOf(form, u"ConPorGrav"_s) != 0;
    const QString kind = conceptClass(form);
    if (form.mode() == Mode::Insert && taxed && textOf(form, u"ConConcHL"_s).isEmpty())
        form.setValue(u"ConConcHL"_s, kind == u"A"_s ? u"2"_s : u"1"_s);
    const QString code = textOf(form, u"ConConcHL"_s).toUpper();

    QStringList found;
    if (code.isEmpty() && taxed)
        found << u"Aviso: el concepto está gravado pero no indicó el concepto para Historia Laboral"_s;
    if (code == u"1"_s && !taxed)
        found << u"Aviso: el concepto no está gravado pero indicó que es \"Monto mensual\" para Historia Laboral"_s;
    if (code == u"2"_s && !taxed)
        found << u"Aviso: el concepto no está gravado pero indicó que es \"Aguinaldo\" para Historia Laboral"_s;
    if (isYearEndBonusCode(code) && kind != u"A"_s)
        found << u"Aviso: el concepto no tiene clase \"Aguinaldo\" pero indicó que es concepto \"Aguinaldo\" para "
                 u"Historia Laboral"_s;
    if (kind == u"A"_s && !isYearEndBonusCode(code))
        found << u"Aviso: el concepto tiene clase \"Aguinaldo\" pero no indicó que es concepto \"Aguinaldo\" para "
                 u"Historia Laboral"_s;
    if (kind == u"V"_s && !isHolidayPayCode(code))
        found << u"Aviso: el concepto tiene clase \"Salario vacacional\" pero no indicó que es concepto \"Salario "
                 u"vacacional o Retroactovidad Salario vacacional\" para Historia Laboral"_s;
    if (isHolidayPayCode(code) && kind != u"V"_s)
        found << u"Aviso: el concepto no tiene clase \"Salario vacacional\" pero indicó que es concepto \"Salario "
                 u"vacacional o Retroactovidad Salario vacacional\" para Historia Laboral"_s;
    return notices(form, found);
}

FieldVerdict minimumNetRule(Transaction& form)
{
    if (textOf(form, u"ConL17829"_s).isEmpty()) {
        switch (type(form)) {
        case Earning:
        case LegalDeduction:
            form.setValue(u"ConL17829"_s, u"M"_s);
            break;
        case Deduction:
            form.setValue(u"ConL17829"_s, u"C"_s);
            break;
        case Internal:
            form.setValue(u"ConL17829"_s, u"N"_s);
            break;
        }
    }
    const QString law = textOf(form, u"ConL17829"_s);
    if (law.isEmpty())
        return refuse(u"Falta indicar Ley 17829"_s);
    if ((law == u"L"_s || law == u"C"_s) && isEarningOrInternal(form))
        return refuse(u"Las opciones -Controla líquido 30%- y -Controla líquido escalas- se aplica sólo a "
                      u"descuentos"_s);
    return ok;
}

FieldVerdict incomeTaxDeductionRule(Transaction& form)
{
    const int deduction = int(numberOf(form, u"ConIrpfDed"_s));
    if ((deduction == 1 || deduction == 2) && type(form) != LegalDeduction)
        return refuse(u"-Deducción IRPF- se indica sólo para descuentos de ley"_s);
    if (deduction != 0 && conceptClass(form) == u"R"_s)
        return refuse(u"El IRP no puede ser una deducción para el IRPF"_s);
    if (deduction != 0 && conceptClass(form) == u"I"_s)
        return refuse(u"El IRPF no puede ser una deducción para el IRPF"_s);
    if (deduction != 0 && conceptClass(form) == u"K"_s)
        return refuse(u"El IRNR no puede ser una deducción para el IRPF"_s);
    if (deduction == 3 && type(form) != Internal)
        return refuse(u"Si el concepto es deducción calculada debe ser interno."_s);
    if (deduction == 3 && !openingState(form).ruralContribution)
        return refuse(u"Aviso: La empresa no tiene aportación rural, no debe tener conceptos codificados como "
                      u"deducción calculada."_s);
    return ok;
}

FieldVerdict annotationFormRule(Transaction& form)
{
    const bool formChosen = numberOf(form, u"ConForma"_s) != 0;
    const bool codeGiven = !textOf(form, u"ConFicCod"_s).isEmpty();
    if (formChosen && !codeGiven)
        return refuse(u"Si selecciona una forma debe ingresar un código de anotación"_s);
    if (codeGiven && !formChosen)
        return refuse(u"Si ingresa un código de anotación debe seleccionar una forma"_s);
    return ok;
}

/// The leave-period text proposed for the pay receipt; the payroll program
/// replaces the two words with the period's dates.
const QString proposedLeaveText = u"Licencia reglamentaria del Semanafdesde al Semanafhasta "_s;

/// "Imprime en recibo" ticked with no text: the usual leave-period text.
FieldVerdict printLeaveRule(Transaction& form)
{
    if (textOf(form, u"ConImpRec"_s) == u"S"_s && form.value(u"ConLinAdLi"_s).toString().isEmpty())
        form.setValue(u"ConLinAdLi"_s, proposedLeaveText);
    return ok;
}

FieldVerdict leaveTextRule(Transaction& form)
{
    // The form trims what it validates; the proposed text keeps its
    // trailing blank, which separates it from the dates put after it.
    if (textOf(form, u"ConLinAdLi"_s) == proposedLeaveText.trimmed())
        form.setValue(u"ConLinAdLi"_s, proposedLeaveText);
    const bool hasText = !form.value(u"ConLinAdLi"_s).toString().trimmed().isEmpty();
    const bool printed = textOf(form, u"ConImpRec"_s) == u"S"_s;
    if (hasText && !printed && textOf(form, u"ConFicCod"_s).isEmpty())
        return refuse(u"Aviso: Ingresó texto para recibo/legajo y no indicó \"Imprime en recibo\" o \"Anota en "
                      u"legajo\"."_s);
    if (!hasText && printed)
        return refuse(u"Falta texto para imprimir en recibo"_s);
    return ok;
}

/// "Tipo" changed: what "Descontar" and the cost-centre split become.
void typeChanged(Transaction& form)
{
    if (isEarningOrInternal(form))
        form.setValue(u"ConDescont"_s, 0);
    else if (int(numberOf(form, u"ConDescont"_s)) == 0)
        form.setValue(u"ConDescont"_s, 1);
    if (form.mode() == Mode::Insert)
        form.setValue(u"ConGraCC"_s, isEarningOrInternal(form) ? ByPosition : NoSplit);
}

FieldDecl& fieldNamed(QList<FieldDecl>& fields, const QString& name)
{
    auto found = std::find_if(fields.begin(), fields.end(), [&](const FieldDecl& field) { return field.name == name; });
    assert(found != fields.end() && "the concept form declares the field");
    return *found;
}

/// `prefix` followed by 1 to bracketCount: the fields of the ten brackets,
/// named once, since the rules ask for them on every confirm.
QStringList bracketFieldNames(const QString& prefix)
{
    QStringList names;
    for (int bracket = 1; bracket <= bracketCount; ++bracket)
        names << prefix + QString::number(bracket);
    return names;
}

}  // namespace

QString percentageField(int bracket)
{
    static const QStringList names = bracketFieldNames(u"ConPorR"_s);
    return names.value(bracket - 1);
}

void attachRules(QList<FieldDecl>& fields)
{
    auto rule = [&](const QString& name, FieldRule check) { fieldNamed(fields, name).rule = std::move(check); };
    rule(u"ConClase"_s, &classRule);
    rule(u"ConCant"_s, &quantityRule);
    for (int bracket = 1; bracket <= bracketCount; ++bracket)
        rule(percentageField(bracket), [bracket](Transaction& form) { return percentageRule(form, bracket); });
    rule(u"BasIdBPC"_s, &bpcRule);
    rule(u"ConPorGrav"_s, &taxedRule);
    rule(u"ConMonExtr"_s, &currencyRule);
    rule(u"ConLiquido"_s, &netRule);
    rule(u"ConDescont"_s, &deductRule);
    rule(u"ConAcReite"_s, &carryOverRule);
    rule(u"ConPBId"_s, &beneficiaryRule);
    rule(u"ConImpRet"_s, &printRetentionRule);
    rule(u"ConGraCC"_s, &costCentreSplitRule);
    rule(u"ConCCId"_s, &costCentreRule);
    rule(u"ConConcHL"_s, &workHistoryRule);
    rule(u"ConL17829"_s, &minimumNetRule);
    rule(u"ConIrpfDed"_s, &incomeTaxDeductionRule);
    rule(u"ConForma"_s, &annotationFormRule);
    rule(u"ConImpRec"_s, &printLeaveRule);
    rule(u"ConLinAdLi"_s, &leaveTextRule);

    fieldNamed(fields, u"ConTipo"_s).derive = &typeChanged;
    fieldNamed(fields, u"ConDescont"_s).enabledWhen = &isDeduction;
    fieldNamed(fields, u"ConGraCC"_s).derive = [](Transaction& form) {
        if (int(numberOf(form, u"ConGraCC"_s)) != Forced)
            form.setValue(u"ConCCId"_s, QString());
    };
    fieldNamed(fields, u"ConCCId"_s).enabledWhen = [](const Transaction& form) {
        return int(numberOf(form, u"ConGraCC"_s)) == Forced;
    };
}

// ---------------------------------------------------------------------------
// Opening

OpeningState& openingState(Transaction& form)
{
    return form.state<OpeningState>();
}

/// Whether the company's contribution type is rural. The type is the
/// parameter ("Empresa", "TipoContri", 0), holding the social-security
/// "aportación" the company declares under; rural activity is the BPS's
/// aportación 3 ("Rural"), kept as "3" or "03". Any other value, or none,
/// is not rural.
bool readsRuralContribution(Database& database)
{
    QString contribution;
    PPARLC(database, u"Empresa"_s, u"TipoContri"_s, 0, contribution);
    bool isNumber = false;
    const int code = contribution.trimmed().toInt(&isNumber);
    return isNumber && code == 3;
}

void readOpeningState(Transaction& form)
{
    OpeningState& state = openingState(form);
    state.clientServer = VBGlob::get(u"VersionCS"_s).trimmed().compare(u"S"_s, Qt::CaseInsensitive) == 0;
    state.ruralContribution = readsRuralContribution(form.database());
    state.bracketLimits.fill(0.0, bracketCount);
    TableCursor configuration(form.database());
    if (!configuration.open(u"CONFIGUR"_s, Access::ReadOnly) && !configuration.moveFirst()
        && configuration.hasCurrent()) {
        static const QStringList limitFields = bracketFieldNames(u"CfFranja"_s);
        for (int bracket = 1; bracket <= bracketCount; ++bracket)
            state.bracketLimits[bracket - 1] = configuration.number(limitFields.at(bracket - 1));
    }
    form.database().idleFreeLocks();
}

QString bracketLimitText(const OpeningState& state, int bracket)
{
    const double limit = state.bracketLimits.value(bracket - 1);
    if (limit == 0)
        return {};
    const bool last = bracket == bracketCount || state.bracketLimits.value(bracket) == 0;
    return (last ? u"más de "_s : u"hasta "_s) + QString::number(limit, 'g', 10) + u" bpc"_s;
}

// ---------------------------------------------------------------------------
// Delete, buttons and what follows a confirm

FieldVerdict deleteVerdict(Transaction& form)
{
    QueryCursor expansions(form.database());
    const DbError error =
        expansions.open(u"SELECT ConId FROM CONCEPT2 WHERE ExpConId = ?"_s, {form.value(u"ConId"_s)});
    const bool expanded = !error && expansions.hasCurrent();
    form.database().idleFreeLocks();
    if (expanded)
        return refuse(u"Concepto utilizado por otros conceptos, no puede eliminarse."_s);
    return ok;
}

bool openIfRegistered(Transaction& form, const QString& object, const QString& mode)
{
    if (!ObjectRegistry::entry(object)) {
        form.ui().message(optionNotAvailableMessage, MessageIcon::Information);
        return false;
    }
    QString key = QString::number(form.value(u"ConId"_s).toLongLong());
    QString openMode = mode;
    return form.ui().callObject(object, key, openMode);
}

void pressCommand(Transaction& form, const CommandDecl& command)
{
    if (form.mode() == Mode::Insert) {
        form.ui().message(u"Debe confirmar antes los datos"_s, MessageIcon::Information);
        return;
    }
    static const QHash<QString, QString> opened = {
        {u"calculo"_s, u"TCONCEP1"_s}, {u"calculo cantidad"_s, u"TCONCEP4"_s}, {u"expsob"_s, u"TCONCEP2"_s}};
    const QString object = opened.value(command.action.toLower());
    if (!object.isEmpty())
        openIfRegistered(form, object, form.mode() == Mode::Display ? u"DSP"_s : u"UPD"_s);
}

void afterConfirm(Transaction& form, Mode written)
{
    if (written != Mode::Insert && written != Mode::Update)
        return;
    // Each object opens when the program has it; a missing one is skipped
    // quietly here, since the person did not ask for it.
    auto openQuietly = [&](const QString& object, const QString& mode) {
        if (!ObjectRegistry::entry(object))
            return true;
        QString key = QString::number(form.value(u"ConId"_s).toLongLong());
        QString openMode = mode;
        return form.ui().callObject(object, key, openMode);
    };
    openQuietly(u"WCONAPLI"_s, u"UPD"_s);
    if (written != Mode::Insert)
        return;
    for (const QString& object : {u"TCONCEP1"_s, u"TCONCEP4"_s, u"TCONCEP2"_s}) {
        if (!openQuietly(object, u"UPD"_s))
            break;
    }
    form.ui().message(QStringList{u"Tome en cuenta que el Concepto agregado puede requerir cambios en las siguientes "
                                  u"opciones del programa:"_s,
                                  u"- Asientos"_s, u"- Acumuladores"_s, u"- Grupos de Aportes"_s,
                                  u"- Generador de informes"_s, u"- Planilla horizontal"_s,
                                  u"- Crédito social del BROU"_s, u"- Planilla de movimientos"_s,
                                  u"- Horarios de trabajo"_s, u"- VORAN"_s}
                          .join(u'\n'),
                      MessageIcon::Information);
}

void storeNewConceptDefaults(Transaction& form, RecordCursor& record)
{
    if (form.mode() != Mode::Insert)
        return;
    // Kept with the concept and written by other parts of the program; a
    // new concept starts them empty, "#" for the sibling program's flag.
    record.setValue(u"ConIncVora"_s, u"#"_s);
    for (const QString& text : {u"ConGlobal"_s, u"ConAcuLiqu"_s, u"ConAcuHist"_s, u"ConDLicGoz"_s, u"ConDLicLiq"_s,
                                u"ConDiasTra"_s, u"ConAplica"_s, u"ConExpande"_s, u"ConVoranM"_s})
        record.setValue(text, QString());
    for (const QString& number : {u"ConOrdinal"_s, u"ConUltOpeL"_s, u"ConUltCanL"_s})
        record.setValue(number, 0);
}

}  // namespace Concept
