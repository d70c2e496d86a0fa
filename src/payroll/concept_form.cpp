// TCONCEP: a payroll concept. The code, description and status head the
// form; five pages hold the type and taxation, the liquidation, the legal
// reports, the personal file and leave, and the technical notes. The fields
// stand in the order they are validated; the rules, derived values, audit
// sentence and what follows a confirm live in concept_rules.cpp and
// concept_audit.cpp.
#include "payroll/concepts.h"

#include "payroll/concept_rules.h"

#include "engine/object_registry.h"
#include "engine/transaction.h"

using namespace Qt::StringLiterals;

namespace {

enum Page { Header = -1, General = 0, Liquidation = 1, LegalReports = 2, PersonalFile = 3, TechnicalNotes = 4 };

/// A reference to `table` by its primary index, offered from `list`.
ReferenceDecl referenceTo(const QString& table, const QString& missingName, const QString& list,
                          const QString& descriptionField)
{
    ReferenceDecl reference;
    reference.table = table;
    reference.missingName = missingName;
    reference.listObject = list;
    reference.descriptionField = descriptionField;
    return reference;
}

FieldDecl onPage(FieldDecl field, int page, const QString& frame = {})
{
    field.page = page;
    field.frame = frame;
    return field;
}

/// The field in the second column of its page.
FieldDecl beside(FieldDecl field)
{
    field.column = 1;
    return field;
}

FieldDecl codeList(const QString& name, const QString& label, QList<CodeChoice> choices, int page,
                   QVariant initial = {})
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::CodeList;
    field.choices = std::move(choices);
    field.page = page;
    field.defaultValue = std::move(initial);
    return field;
}

FieldDecl flag(const QString& name, const QString& label, int page, const QString& frame = {},
               QVariant initial = {})
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::Flag;
    field.page = page;
    field.frame = frame;
    field.defaultValue = std::move(initial);
    return field;
}

FieldDecl number(const QString& name, const QString& label, const QString& picture, int page,
                 const QString& frame = {})
{
    return onPage(numberField(name, label, picture), page, frame);
}

/// A basic value (a ceiling, the BPC unit), offered from its prompt.
FieldDecl basicValue(const QString& name, const QString& label)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.picture = u"ZZZ9"_s;
    field.kind = FieldKind::Reference;
    field.reference = referenceTo(u"BASICOS"_s, u"Basicos"_s, u"WKQ00A0"_s, u"BasDesc"_s);
    field.page = General;
    return field;
}

FieldDecl memo(const QString& name, const QString& label, int page)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::Memo;
    field.page = page;
    return field;
}

// The code lists, as the combos show them.

QList<CodeChoice> typeChoices()
{
    return {{Concept::Earning, u"Haber"_s}, {Concept::LegalDeduction, u"Descuento de ley"_s},
            {Concept::Deduction, u"Descuento"_s}, {Concept::Internal, u"Interno"_s}};
}

QList<CodeChoice> classChoices()
{
    return {{u"S"_s, u"Sueldo mensual"_s},  {u"J"_s, u"Jornal"_s},
            {u"H"_s, u"Hora extra jornalero"_s}, {u"A"_s, u"Aguinaldo"_s},
            {u"V"_s, u"Salario vacacional"_s}, {u"F"_s, u"Ficto"_s},
            {u"M"_s, u"Montepío"_s},       {u"R"_s, u"IRP"_s},
            {u"I"_s, u"IRPF"_s},           {u"N"_s, u"Fonasa"_s},
            {u"O"_s, u"Otros hechos generadores"_s}, {u""_s, u"Otros"_s}};
}

/// Pay receipt / net pay / payment in kind, padded into three columns.
QList<CodeChoice> receiptChoices()
{
    return {{u"S"_s, u"1)        Si       Si      No"_s}, {u"R"_s, u"2)        Si       No      Si"_s},
            {u""_s, u"3)        No       No      No"_s},  {u"E"_s, u"4)        No       No      Si"_s},
            {u"N"_s, u"5)        Si       No      No"_s}, {u"P"_s, u"6)        No       Si      No"_s}};
}

QList<CodeChoice> workHistoryChoices()
{
    return {{u""_s, u"No se informa"_s},
            {u"1"_s, u"1-Monto imponible mensual"_s},
            {u"F"_s, u"1-Monto imponible mensual (ficto patronal)"_s},
            {u"R"_s, u"1-Monto imponible mensual (patrón con remuneración)"_s},
            {u"V"_s, u"1-Monto imponible mensual (viáticos)"_s},
            {u"2"_s, u"2-Aguinaldo"_s},
            {u"E"_s, u"42-Retroactividad aguinaldo"_s},
            {u"L"_s, u"142-Suma retroactividad aguinaldo"_s},
            {u"U"_s, u"242-Resta retroactividad aguinaldo"_s},
            {u"3"_s, u"3-Otros hechos generadores"_s},
            {u"5"_s, u"5-Materia gravada adicional IRPF"_s},
            {u"6"_s, u"6-Retroactividad materia gravada. adicional IRPF"_s},
            {u"7"_s, u"7-Partidas con aporte patronal jubilatorio"_s},
            {u"M"_s, u"7-Partidas con ap. patr. jub.(ficto < real)"_s},
            {u"N"_s, u"7-Partidas con ap. patr. jub.(ficto > real)"_s},
            {u"P"_s, u"17-Rectificación suma partidaap. patr. jub."_s},
            {u"Q"_s, u"27-Rectificación resta partida ap. patr. jub."_s},
            {u"8"_s, u"8-Partidas exclusivas CESS"_s},
            {u"9"_s, u"9-Comp laudo partidas con aporte patronal jub"_s},
            {u"A"_s, u"11-Rectificación suma monto imponible mensual"_s},
            {u"B"_s, u"21-Rectificación resta montoimponible mensual"_s},
            {u"C"_s, u"12-Rectificación suma aguinaldo"_s},
            {u"D"_s, u"22-Rectificación resta aguinaldo"_s},
            {u"G"_s, u"15-Rectificación suma materiagravada adicional IRPF"_s},
            {u"H"_s, u"25-Rectificación resta materia gravada adicional IRPF"_s},
            {u"J"_s, u"18-Rectificación suma partidas exclusivas CESS"_s},
            {u"K"_s, u"28-Rectificación resta partidas exclusivas CESS"_s},
            {u"S"_s, u"41-Salario vacacional"_s},
            {u"W"_s, u"141-Rectificación suma Salario vacacional"_s},
            {u"X"_s, u"241-Rectificación resta Salario vacacional"_s},
            {u"T"_s, u"43-Retroactividad salario vacacional"_s},
            {u"Y"_s, u"143-Rectificación suma retro. salario vacacional"_s},
            {u"Z"_s, u"243-Rectificación resta retro. salario vacacional"_s}};
}

QList<CodeChoice> focerChoices()
{
    return {{0, u"0-No se informa"_s},
            {11, u"1-Imp. Mensual - Haberes del Mes"_s},
            {12, u"1-Imp. Mensual - Otros Haberes del Mes"_s},
            {91, u"1-Importe mensual - Tickets"_s},
            {2, u"2-Aguinaldo"_s},
            {92, u"2-Aguinaldo - Tickets"_s},
            {3, u"3-Dif. laudo"_s},
            {93, u"3-Dif laudo - Tickets"_s},
            {4, u"4-Licencia"_s},
            {94, u"4-Licencia - Tickets"_s},
            {5, u"5-Adicional"_s},
            {95, u"5-Adicional - Tickets"_s}};
}

const QString retentionFrame = u"Porcentajes de retención (excepto IRPF y FONASA)"_s;
const QString fileFrame = u"Anota en legajo"_s;
const QString leaveFrame = u"Período de licencia"_s;
// "Acumula cantidad para:" days worked, leave taken and leave paid, each
// with its multiplier and divisor.
const QString workedFrame = u"Acumula cantidad para: días trabajados"_s;
const QString leaveTakenFrame = u"Acumula cantidad para: días de licencia gozada"_s;
const QString leavePaidFrame = u"Acumula cantidad para: días de licencia liquidada"_s;

QList<FieldDecl> headerFields()
{
    FieldDecl inactive = flag(u"ConActivo"_s, u"Inactivo"_s, Header, {}, 1);
    inactive.flag = {0, 1};  // ticked: inactive (0)
    // The description beside the code, the status under it.
    return {onPage(keyField(u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s), Header),
            beside(onPage(textField(u"ConDesc"_s, u"Descripción"_s, u"Falta descripción"_s), Header)), inactive};
}

FieldDecl groupField()
{
    FieldDecl group = onPage(textField(u"ConGrupo"_s, u"Grupo"_s), General);
    group.picture = u"XXXXXXXXXX"_s;  // as long as the group, no wider
    return group;
}

QList<FieldDecl> generalFields()
{
    QList<FieldDecl> fields = {
        codeList(u"ConTipo"_s, u"Tipo"_s, typeChoices(), General),
        codeList(u"ConClase"_s, u"Clase"_s, classChoices(), General),
        codeList(u"ConAguinal"_s, u"Gen. aguinaldo"_s,
                 {{u""_s, u"No genera"_s}, {u"G"_s, u"Por lo gravado"_s}, {u"T"_s, u"Por el total"_s}}, General),
        groupField(),
        codeList(u"ConCant"_s, u"Cantidad"_s,
                 {{u"C"_s, u"Lleva cantidad"_s}, {u"P"_s, u"Lleva porcentaje"_s}, {u"N"_s, u"No lleva cantidad"_s}},
                 General, u"N"_s),
        codeList(u"ConFracc"_s, u"Fracción"_s,
                 {{0.0, u"Decimal"_s}, {0.8, u"8 horas"_s}, {0.6, u"60 minutos"_s}}, General),
        flag(u"ConCant0"_s, u"Admite cantidad cero"_s, General, {}, u"N"_s),
        flag(u"ConFijo"_s, u"Puede ser fijo"_s, General),
        flag(u"ConColecti"_s, u"Admite movimientos colectivos"_s, General, {}, u""_s),
        flag(u"ConDetModi"_s, u"Descripción modificable"_s, General, {}, u"N"_s),
        codeList(u"ConPideSub"_s, u"Funcionario subrogado"_s,
                 {{0, u"No Pide"_s}, {1, u"Obligatorio"_s}, {2, u"Opcional"_s}}, General),
    };
    for (int bracket = 1; bracket <= Concept::bracketCount; ++bracket)
        fields << beside(number(Concept::percentageField(bracket), u"Franja %1"_s.arg(bracket), u"ZZ9.999"_s,
                                General, retentionFrame));
    fields << beside(basicValue(u"BasIdTope"_s, u"Tope imponible"_s)) << beside(basicValue(u"BasIdBPC"_s, u"BPC"_s))
           << beside(basicValue(u"BasIdAFAP"_s, u"Tope imponible montepío jubilado AFAP"_s));

    FieldDecl group;
    group.name = u"AporId"_s;
    group.label = u"Grupo aportes"_s;
    group.picture = u"ZZZ9"_s;
    group.kind = FieldKind::Reference;
    group.reference = referenceTo(u"APORTE"_s, u"Aporte"_s, u"WKQ00L0"_s, u"AporDesc"_s);
    group.page = General;
    fields << group << number(u"ConPorGrav"_s, u"Gravado en un"_s, u"ZZ9.999"_s, General);
    return fields;
}

QList<FieldDecl> liquidationFields()
{
    FieldDecl beneficiary = number(u"ConPBId"_s, u"Concepto para pago al beneficiario"_s, u"ZZZ9"_s, Liquidation);
    beneficiary.reference.listObject = u"WKQ00N0"_s;

    FieldDecl costCentre;
    costCentre.name = u"ConCCId"_s;
    costCentre.label = u"Centro de costo"_s;
    costCentre.kind = FieldKind::Reference;
    costCentre.reference = referenceTo(u"CENTROCO"_s, u"CentroCosto"_s, u"WCENTROS"_s, u"CCDesc"_s);
    costCentre.reference.offersList = false;
    costCentre.picture = u"XXXXXXXXXXXX"_s;  // as long as the code, no wider
    costCentre.page = Liquidation;

    return {
        codeList(u"ConImp0"_s, u"Importe calculado 0"_s,
                 {{u"C"_s, u"Acepta con aviso"_s}, {u"S"_s, u"Acepta sin aviso"_s}, {u"I"_s, u"Ignora movimiento"_s}},
                 Liquidation, u"C"_s),
        codeList(u"ConMonExtr"_s, u"Moneda"_s, {{u"N"_s, u"Nacional"_s}, {u"E"_s, u"Extranjera"_s}}, Liquidation,
                 u"N"_s),
        codeList(u"ConLiquido"_s, u"Nominal/Líquido"_s, {{u"N"_s, u"Nominal"_s}, {u"L"_s, u"Líquido"_s}},
                 Liquidation, u"N"_s),
        codeList(u"ConDescont"_s, u"Descontar"_s,
                 {{1, u"Siempre"_s}, {2, u"Solo si alcanza"_s}, {3, u"Parcial"_s}, {0, u""_s}}, Liquidation),
        number(u"ConPriorid"_s, u"Prioridad"_s, u"ZZZ9"_s, Liquidation),
        flag(u"ConAcReite"_s, u"Acepta reiteración en sig. liquidación"_s, Liquidation, {}, u"N"_s),
        codeList(u"ConPlanRec"_s, u"Incluye en Recibos - Líquido - Especie"_s, receiptChoices(), Liquidation),
        beside(codeList(u"ConRefAuxi"_s, u"Referencia"_s,
                 {{1, u"No pide"_s}, {2, u"Opcional y codificada"_s}, {3, u"Opcional y libre"_s},
                  {4, u"Obligatoria y codificada"_s}, {5, u"Obligatoria y libre"_s}},
                 Liquidation, 1)),
        beside(beneficiary),
        beside(flag(u"ConImpRet"_s, u"Imprime % de retención"_s, Liquidation)),
        beside(flag(u"ConImpCant"_s, u"Imprime cantidad en recibos"_s, Liquidation)),
        beside(codeList(u"ConGraCC"_s, u"Apertura por Centro de costo"_s,
                 {{Concept::NoSplit, u"No"_s}, {Concept::ByPosition, u"Según cargo"_s},
                  {Concept::ByLiquidation, u"Según liquidación"_s}, {Concept::Forced, u"Forzado"_s}},
                 Liquidation)),
        beside(costCentre),
        beside(flag(u"ConBenSoci"_s, u"Beneficio social"_s, Liquidation)),
    };
}

QList<FieldDecl> legalReportFields()
{
    FieldDecl bankItem = onPage(textField(u"ConConcCB"_s, u"Código de partida para Caja Bancaria"_s), LegalReports);
    bankItem.reference.listObject = u"WSELPART"_s;
    bankItem.picture = u"XXXXXXXXXX"_s;
    return {
        number(u"ConConvJor"_s, u"Coef. convertir a jornales"_s, u"ZZ9.9999"_s, LegalReports),
        codeList(u"ConCantHL"_s, u"Cantidad para Historia Laboral en"_s,
                 {{u""_s, u""_s}, {u"M"_s, u"Meses"_s}, {u"H"_s, u"Horas"_s}, {u"D"_s, u"Días"_s}}, LegalReports),
        codeList(u"ConConcHL"_s, u"Concepto para Historia Laboral"_s, workHistoryChoices(), LegalReports),
        codeList(u"ConL17829"_s, u"Ley 17829-19210 (líquido mínimo)"_s,
                 {{u"N"_s, u"No se aplica"_s}, {u"L"_s, u"Controla líquido 30%"_s},
                  {u"C"_s, u"Controla líquido escalas"_s}, {u"M"_s, u"Calcula líquido mínimo"_s}},
                 LegalReports),
        codeList(u"ConIrpfDed"_s, u"Deducción IRPF"_s,
                 {{0, u"No es Deducción"_s}, {1, u"Aporte Personal BPS"_s}, {2, u"Cajas de Auxilio"_s},
                  {3, u"Deducción calculada"_s}},
                 LegalReports),
        codeList(u"ConSumariz"_s, u"Sumariza"_s,
                 {{u""_s, u"No sumariza"_s}, {u"S"_s, u"Sumariza con fecha"_s}, {u"F"_s, u"Sumariza sin fecha"_s}},
                 LegalReports),
        codeList(u"ConExe20No"_s, u"Control de exceso del 20% no gravado"_s,
                 {{1, u"No Incide"_s}, {2, u"Materia Gravada"_s}, {3, u"Suma Exenta"_s}}, LegalReports, 1),
        bankItem,
        codeList(u"ConConcFoc"_s, u"Concepto para FOCER"_s, focerChoices(), LegalReports),
    };
}

QList<FieldDecl> personalFileFields()
{
    FieldDecl annotation;
    annotation.name = u"ConFicCod"_s;
    annotation.label = u"Código anotación"_s;
    annotation.kind = FieldKind::Reference;
    annotation.reference = referenceTo(u"FICCOD"_s, u"FicCod"_s, u"WCODIGOS"_s, u"FicDesc"_s);
    annotation.reference.offersList = false;
    annotation.picture = u"XXXXXX"_s;
    annotation.page = PersonalFile;
    annotation.frame = fileFrame;

    FieldDecl form = codeList(u"ConForma"_s, u"Forma"_s,
                              {{0, u""_s}, {1, u"Forma 1"_s}, {2, u"Forma 2"_s}, {3, u"Forma 3"_s}, {4, u"Forma 4"_s}},
                              PersonalFile);
    form.frame = fileFrame;

    FieldDecl leaveText = onPage(textField(u"ConLinAdLi"_s, u"Texto para recibo/legajo"_s), PersonalFile, leaveFrame);
    return {
        annotation,
        form,
        flag(u"ConImpRec"_s, u"Imprime en recibo"_s, PersonalFile, leaveFrame),
        leaveText,
        beside(number(u"ConDTM"_s, u"multiplicada por"_s, u"ZZ9.99"_s, PersonalFile, workedFrame)),
        beside(number(u"ConDTD"_s, u"dividida por"_s, u"ZZ9.99"_s, PersonalFile, workedFrame)),
        beside(number(u"ConDLGM"_s, u"multiplicada por"_s, u"ZZ9.99"_s, PersonalFile, leaveTakenFrame)),
        beside(number(u"ConDLGD"_s, u"dividida por"_s, u"ZZ9.99"_s, PersonalFile, leaveTakenFrame)),
        beside(number(u"ConDLLM"_s, u"multiplicada por"_s, u"ZZ9.99"_s, PersonalFile, leavePaidFrame)),
        beside(number(u"ConDLLD"_s, u"dividida por"_s, u"ZZ9.99"_s, PersonalFile, leavePaidFrame)),
        flag(u"ConDiasHab"_s, u"Controla días hábiles que exceden el mes corriente"_s, PersonalFile),
        memo(u"ConNotas"_s, u"Ayuda para el ingreso de movimientos"_s, PersonalFile),
    };
}

/// A header button; what it opens is the member's (see Concept::pressCommand):
/// on a concept not yet confirmed it says "Debe confirmar antes los datos"
/// with the information icon, and its object opens only when the program
/// has it.
CommandDecl headerCommand(const QString& action, const QString& caption, const QString& toolTip)
{
    CommandDecl command;
    command.action = action;
    command.caption = caption;
    command.toolTip = toolTip;
    return command;
}

QList<DeleteCheck> deleteChecks()
{
    return {
        {u"FUNCIONA"_s, u"IFUNCIO5"_s, u"FunPConId"_s, u"Funcionarios"_s},
        {u"HORMARCA"_s, u"IHORMAR9"_s, u"HMConHNor"_s, u"HorMarcas"_s, {},
         {{u"IHORMAR8"_s, {u"HMConHExtr"_s}}, {u"IHORMAR7"_s, {u"HMConHNoc"_s}},
          {u"IHORMAR6"_s, {u"HMConHENoc"_s}}, {u"IHORMAR5"_s, {u"HMConJorna"_s}},
          {u"IHORMAR4"_s, {u"HMConDiaFa"_s}}, {u"IHORMAR3"_s, {u"HMConHsFal"_s}},
          {u"IHORMAR2"_s, {u"HMConCLT"_s}}, {u"IHORMAR1"_s, {u"HMConMLT"_s}}}},
        {u"FORMATOP"_s, u"IFORMAT1"_s, u"FPConId"_s, u"FormatoPlanilla"_s},
        {u"HISTORIA"_s, u"IHISTOR4"_s, u"HConId"_s, u"Historia"_s},
        {u"CARGOSFU"_s, u"ICARGOS3"_s, u"PTConId"_s, u"CargosFuncionario"_s},
        {u"PARLIQX"_s, u"IPARLIQ1"_s, u"PLConIdExc"_s, u"ParLiqX"_s},
        {u"TIPLIQUI"_s, u"ITIPLIQ5"_s, u"TLConIdAgu"_s, u"TipLiquidacion"_s, {},
         {{u"ITIPLIQ4"_s, {u"TLConIdDes"_s}}, {u"ITIPLIQ3"_s, {u"TLConIdNeg"_s}},
          {u"ITIPLIQ2"_s, {u"TLConIdRes"_s}}}},
        {u"CONFIGUR"_s, u"ICONFIG1"_s, u"CfRedRCon"_s, u"Configuracion"_s},
        {u"ASIENT4"_s, u"IASIENT6"_s, u"ConId"_s, u"Asient4"_s},
        {u"MOVIMIEN"_s, u"IMOVIMI4"_s, u"ConId"_s, u"Movimientos"_s},
        {u"CONCEPT5"_s, u"ICONCE21"_s, u"ConId"_s, u"Concept5"_s},
        {u"CONCEPT4"_s, u"ICONCE18"_s, u"ConIdCant"_s, u"Concept4"_s, {}, {{u"ICONCE11"_s, {u"ConId"_s}}}},
        {u"CONCEPT3"_s, u"ICONCEP7"_s, u"ConId"_s, u"Concept3"_s},
        {u"PHDEF2"_s, u"IPHDEF21"_s, u"ConId"_s, u"PHDef2"_s},
        {u"CONCEPT2"_s, u"ICONCEP5"_s, u"ConId"_s, u"Concept2"_s},
        {u"CONCEPT1"_s, u"ICONCE17"_s, u"ConIdImp"_s, u"Concept1"_s, {}, {{u"ICONCEP2"_s, {u"ConId"_s}}}},
    };
}

QList<ComputedLabel> computedLabels()
{
    QList<ComputedLabel> labels;
    for (int bracket = 1; bracket <= Concept::bracketCount; ++bracket) {
        ComputedLabel limit{u"Limite%1"_s.arg(bracket), General, retentionFrame,
                            [bracket](Transaction& form) {
                                return Concept::bracketLimitText(Concept::openingState(form), bracket);
                            }};
        limit.beside = Concept::percentageField(bracket);
        labels << limit;
    }
    ComputedLabel percent{u"PorcentajeGravado"_s, General, {}, [](Transaction&) { return u"%"_s; }};
    percent.beside = u"ConPorGrav"_s;
    labels << percent;
    return labels;
}

}  // namespace

const TransactionDecl& TCONCEP()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TCONCEP"_s;
        declaration.title = u"Conceptos"_s;
        declaration.table = u"CONCEPT"_s;
        declaration.index = u"ICONCEPT"_s;
        declaration.pages = {u"General"_s, u"Liquidación"_s, u"Informes legales"_s, u"Legajo y licencia"_s,
                             u"Información técnica"_s};
        declaration.fields = headerFields() + generalFields() + liquidationFields() + legalReportFields()
                             + personalFileFields() + QList<FieldDecl>{memo(u"ConInfTecn"_s, u"Información técnica"_s,
                                                                            TechnicalNotes)};
        Concept::attachRules(declaration.fields);
        declaration.keyMissingMessage = u"Falta concepto"_s;
        declaration.syncGroup = u"Con"_s;
        declaration.permissionPosition = 7;
        declaration.helpTopic = u"HLP_TConcep.htm"_s;
        declaration.labels = computedLabels();
        declaration.commands = {headerCommand(u"Calculo"_s, u"Cálculo Importe"_s, u"Líneas de cálculo del importe"_s),
                                headerCommand(u"Calculo cantidad"_s, u"Cálculo cantidad"_s,
                                              u"Líneas de cálculo de la cantidad"_s),
                                headerCommand(u"ExpSob"_s, u"Expande"_s, u"Conceptos en los que se expande"_s)};
        declaration.deleteChecks = deleteChecks();
        declaration.audit.insert = u"Agrega concepto "_s;
        declaration.audit.modify = u"Modifica concepto "_s;
        declaration.audit.remove = u"Elimina concepto "_s;
        declaration.audit.area = AuditArea::Concepts;
        declaration.hooks.afterStart += &Concept::readOpeningState;
        declaration.hooks.deleteVerdict = &Concept::deleteVerdict;
        declaration.hooks.auditText = &Concept::auditText;
        declaration.hooks.afterWrite += &Concept::afterConfirm;
        declaration.hooks.command = &Concept::pressCommand;
        declaration.hooks.beforeStore += &Concept::storeNewConceptDefaults;
        return declaration;
    }();
    return form;
}

namespace {
const ObjectRegistration form(&TCONCEP);
}  // namespace
