// TCONCEP's rules, family by family: the BPC pair and the retention
// percentages of legal deductions, the beneficiary concept, the cost-centre
// split, the work-history notices, the IRPF deduction, the annotation code
// and its form, and the defaults of a new concept.
#include "concept_fixture.h"

#include "data/parameters.h"

using namespace Qt::StringLiterals;

namespace {

using ConceptRulesTest = ConceptTest;

TEST_F(ConceptRulesTest, ALegalDeductionNeedsItsBpcAndPrintsItsRetention)
{
    auto form = newConcept(300, u"Retención IRP"_s, u"Descuento de ley"_s);
    type(*form, u"ConPorR1"_s, u"10"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Falta cargar el código de BPC"_s});
    EXPECT_EQ(focusedField(*form), u"BasIdBPC"_s);
    EXPECT_EQ(form->field(form->position(u"BasIdBPC"_s)).page, 0);

    type(*form, u"BasIdBPC"_s, u"2"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(conceptField(300, u"ConImpRet"_s).toString(), u"S"_s);
    EXPECT_EQ(conceptField(300, u"ConPorR1"_s).toDouble(), 10.0);
    EXPECT_EQ(conceptField(300, u"BasIdBPC"_s).toInt(), 2);
}

TEST_F(ConceptRulesTest, RetentionPercentagesAndTheBpcBelongToLegalDeductionsOfDefinedBrackets)
{
    auto form = newConcept(301, u"Retención"_s, u"Descuento de ley"_s);
    type(*form, u"ConPorR4"_s, u"5"_s);  // the configuration defines three brackets
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Especificó porcentaje para una franja inexistente"_s});
    EXPECT_EQ(focusedField(*form), u"ConPorR4"_s);
    EXPECT_EQ(form->labelText(0), u"hasta 7 bpc"_s);
    EXPECT_EQ(form->labelText(2), u"más de 15 bpc"_s);
    EXPECT_EQ(form->labelText(3), QString());

    ui.clear();
    type(*form, u"ConPorR4"_s, u"0"_s);
    type(*form, u"ConPorR2"_s, u"5"_s);
    type(*form, u"ConClase"_s, u"IRPF"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Los porcentajes para IRPF y FONASA no se indican en esta ventana, se indican en la "
                          u"\"\"Configuración\"\"."_s});

    ui.clear();
    type(*form, u"ConTipo"_s, u"Descuento"_s);
    type(*form, u"ConClase"_s, u"Otros"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Los porcentajes de retención solo se indican para los descuentos de ley"_s});

    ui.clear();
    type(*form, u"ConPorR2"_s, u"0"_s);
    type(*form, u"BasIdBPC"_s, u"2"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"No puede cargar el código de BPC para conceptos que no sean de tipo Descuentos de Ley"_s});

    // A basic value that does not exist is offered from its list.
    ui.clear();
    type(*form, u"BasIdBPC"_s, u"0"_s);
    type(*form, u"BasIdTope"_s, u"9"_s);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe Basicos. DESEA VISUALIZAR?"_s});
    EXPECT_EQ(focusedField(*form), u"BasIdTope"_s);
}

TEST_F(ConceptRulesTest, TheIrnrClassIsOnlyForLegalDeductions)
{
    addConcept(310, u"IRNR"_s, 3, {{u"ConClase"_s, u"K"_s}, {u"ConDescont"_s, 1}, {u"ConL17829"_s, u"C"_s},
                                   {u"ConGraCC"_s, 1}});
    auto form = open(TCONCEP(), u"310"_s, u"UPD"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Si el concepto es de clase IRNR debe ser un descuento de ley"_s});
    EXPECT_EQ(focusedField(*form), u"ConClase"_s);
}

TEST_F(ConceptRulesTest, TheBeneficiaryConceptIsAnotherEarningOfADeduction)
{
    addConcept(171, u"Pago retención judicial"_s, 1);
    addConcept(101, u"Aporte jubilatorio"_s, 2);
    auto form = newConcept(170, u"Retención judicial"_s, u"Descuento"_s);
    type(*form, u"ConL17829"_s, u"C"_s);
    type(*form, u"ConGraCC"_s, u"No"_s);

    const QList<std::pair<QString, QString>> cases = {
        {u"170"_s, u"El concepto para pago al beneficiario no puede ser el mismo concepto"_s},
        {u"101"_s, u"El concepto para pago al beneficiario debe ser un haber"_s},
        {u"999"_s, u"El concepto para pago al beneficiario no existe"_s},
    };
    for (const auto& [beneficiary, message] : cases) {
        ui.clear();
        type(*form, u"ConPBId"_s, beneficiary);
        EXPECT_FALSE(form->confirm()) << beneficiary.toStdString();
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{message});
        EXPECT_EQ(focusedField(*form), u"ConPBId"_s);
    }

    // The substitute employee is asked first.
    ui.clear();
    type(*form, u"ConPBId"_s, u"171"_s);
    type(*form, u"ConPideSub"_s, u"Opcional"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"No puede indicar Concepto para pago al beneficiario si selecciona Funcionario subrogado "
                          u"opcional u obligatorio."_s});

    ui.clear();
    type(*form, u"ConPideSub"_s, u"No Pide"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(conceptField(170, u"ConPBId"_s).toInt(), 171);

    // Its own code is refused even when the concept is an earning; another
    // earning is refused on an earning.
    ui.clear();
    auto earning = newConcept(172, u"Otro haber"_s, u"Haber"_s);
    type(*earning, u"ConPBId"_s, u"172"_s);
    EXPECT_FALSE(earning->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"El concepto para pago al beneficiario no puede ser el mismo concepto"_s});
    ui.clear();
    type(*earning, u"ConPBId"_s, u"171"_s);
    EXPECT_FALSE(earning->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Concepto para pago al beneficiario solo puede indicarse en conceptos de descuento"_s});
}

TEST_F(ConceptRulesTest, TheForcedCostCentreNeedsTheClientServerInstallationAndACentre)
{
    auto form = newConcept(400, u"Viáticos"_s, u"Haber"_s);
    type(*form, u"ConGraCC"_s, u"Forzado"_s);
    EXPECT_TRUE(form->isEnabled(form->position(u"ConCCId"_s)));
    EXPECT_FALSE(form->confirm());
    // Refused before the cost centre is asked.
    EXPECT_EQ(ui.texts(), QStringList{u"Esta opción esta disponible solamente para la versión Cliente Servidor"_s});
    EXPECT_EQ(focusedField(*form), u"ConGraCC"_s);

    form->close();
    VBGlob::put(u"VersionCS"_s, u"S"_s);
    ui.clear();
    form = newConcept(400, u"Viáticos"_s, u"Haber"_s);
    type(*form, u"ConGraCC"_s, u"Forzado"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(),
              QStringList{u"Si selecciona -Apertura por centro de costo Forzado- debe indicar un centro de costo"_s});
    EXPECT_EQ(focusedField(*form), u"ConCCId"_s);
    EXPECT_EQ(form->field(form->position(u"ConCCId"_s)).page, 1);

    ui.clear();
    type(*form, u"ConCCId"_s, u"NADA"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe CentroCosto"_s});

    ui.clear();
    type(*form, u"ConCCId"_s, u"ADM"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(conceptField(400, u"ConCCId"_s).toString(), u"ADM"_s);
    EXPECT_EQ(conceptField(400, u"ConGraCC"_s).toInt(), 3);
}

TEST_F(ConceptRulesTest, DeductionsAreNotSplitByCostCentre)
{
    // "Según cargo" on a legal deduction is refused; on another deduction
    // it is only unusual. Any split but "Forzado" clears the centre.
    auto legal = newConcept(410, u"FONASA"_s, u"Descuento de ley"_s);
    type(*legal, u"BasIdBPC"_s, u"2"_s);
    type(*legal, u"ConGraCC"_s, u"Según cargo"_s);
    EXPECT_FALSE(legal->isEnabled(legal->position(u"ConCCId"_s)));
    EXPECT_FALSE(legal->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Para conceptos indicados como Descuentos de ley no se permite la apertura por Centro de "
                          u"costo."_s});

    ui.clear();
    auto other = newConcept(411, u"Cuota mutual"_s, u"Descuento"_s);
    EXPECT_EQ(other->text(u"ConGraCC"_s), u"No"_s);  // a new deduction is not split
    EXPECT_EQ(other->text(u"ConDescont"_s), u"Siempre"_s);
    type(*other, u"ConGraCC"_s, u"Según liquidación"_s);
    ASSERT_TRUE(other->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Information).value(0),
              u"Aviso: No es habitual que los conceptos de descuento se abran por centro de costo"_s);
    EXPECT_EQ(conceptField(411, u"ConGraCC"_s).toInt(), 2);
}

TEST_F(ConceptRulesTest, TheWorkHistoryNoticesLetTheConfirmGoOn)
{
    // Not taxed, yet "Aguinaldo" for the work history, on a concept whose
    // class is not "Aguinaldo": both notices, in order, and the concept is
    // written.
    auto form = newConcept(500, u"Partida anual"_s, u"Haber"_s);
    type(*form, u"ConConcHL"_s, u"2-Aguinaldo"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList());
    EXPECT_EQ(ui.messages(MessageIcon::Information).mid(0, 2),
              (QStringList{u"Aviso: el concepto no está gravado pero indicó que es \"Aguinaldo\" para Historia Laboral"_s,
                           u"Aviso: el concepto no tiene clase \"Aguinaldo\" pero indicó que es concepto \"Aguinaldo\" "
                           u"para Historia Laboral"_s}));
    EXPECT_EQ(conceptField(500, u"ConConcHL"_s).toString(), u"2"_s);

    // A taxed new concept gets the work-history code from its class.
    ui.clear();
    auto bonus = newConcept(501, u"Aguinaldo"_s, u"Haber"_s);
    type(*bonus, u"ConClase"_s, u"Aguinaldo"_s);
    type(*bonus, u"AporId"_s, u"1"_s);
    type(*bonus, u"ConPorGrav"_s, u"100"_s);
    ASSERT_TRUE(bonus->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(conceptField(501, u"ConConcHL"_s).toString(), u"2"_s);
    EXPECT_FALSE(ui.texts().join(u'|').contains(u"Historia Laboral"_s)) << shownTexts().toStdString();

    // Holiday pay without its code, on a modify: the notice, no refusal.
    addConcept(502, u"Salario vacacional"_s, 1, {{u"ConClase"_s, u"V"_s}, {u"ConL17829"_s, u"M"_s},
                                                  {u"ConCant"_s, u"N"_s}, {u"ConCant0"_s, u"S"_s}});
    ui.clear();
    auto holiday = open(TCONCEP(), u"502"_s, u"UPD"_s);
    type(*holiday, u"ConPriorid"_s, u"30"_s);
    ASSERT_TRUE(holiday->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Information).value(0),
              u"Aviso: el concepto tiene clase \"Salario vacacional\" pero no indicó que es concepto \"Salario "
              u"vacacional o Retroactovidad Salario vacacional\" para Historia Laboral"_s);
}

TEST_F(ConceptRulesTest, OnlyLegalDeductionsAndInternalValuesAreIrpfDeductions)
{
    auto form = newConcept(600, u"Cuota"_s, u"Descuento"_s);
    type(*form, u"ConIrpfDed"_s, u"Aporte Personal BPS"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"-Deducción IRPF- se indica sólo para descuentos de ley"_s});
    EXPECT_EQ(focusedField(*form), u"ConIrpfDed"_s);

    const QList<std::pair<QString, QString>> classes = {
        {u"IRP"_s, u"El IRP no puede ser una deducción para el IRPF"_s},
        {u"IRPF"_s, u"El IRPF no puede ser una deducción para el IRPF"_s}};
    for (const auto& [kind, message] : classes) {
        ui.clear();
        auto legal = newConcept(601, u"Impuesto"_s, u"Descuento de ley"_s);
        type(*legal, u"ConClase"_s, kind);
        type(*legal, u"BasIdBPC"_s, u"2"_s);
        type(*legal, u"ConGraCC"_s, u"No"_s);
        type(*legal, u"ConIrpfDed"_s, u"Cajas de Auxilio"_s);
        EXPECT_FALSE(legal->confirm());
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{message});
    }

    ui.clear();
    auto computed = newConcept(602, u"Deducción"_s, u"Descuento de ley"_s);
    type(*computed, u"BasIdBPC"_s, u"2"_s);
    type(*computed, u"ConIrpfDed"_s, u"Deducción calculada"_s);
    EXPECT_FALSE(computed->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Si el concepto es deducción calculada debe ser interno."_s});

    // An internal computed deduction: a notice unless the company
    // contributes as a rural employer.
    ui.clear();
    auto internal = newConcept(603, u"Deducción"_s, u"Interno"_s);
    type(*internal, u"ConIrpfDed"_s, u"Deducción calculada"_s);
    ASSERT_TRUE(internal->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Information).value(0),
              u"Aviso: La empresa no tiene aportación rural, no debe tener conceptos codificados como deducción "
              u"calculada."_s);

    setParameterText(u"Empresa"_s, u"TipoContri"_s, u"03"_s);
    ui.clear();
    auto rural = newConcept(604, u"Deducción"_s, u"Interno"_s);
    type(*rural, u"ConIrpfDed"_s, u"Deducción calculada"_s);
    ASSERT_TRUE(rural->confirm()) << shownTexts().toStdString();
    EXPECT_FALSE(shownTexts().contains(u"aportación rural"_s)) << shownTexts().toStdString();
}

TEST_F(ConceptRulesTest, TheAnnotationCodeAndItsFormGoTogether)
{
    auto form = newConcept(700, u"Sanción"_s, u"Interno"_s);
    type(*form, u"ConForma"_s, u"Forma 2"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Si selecciona una forma debe ingresar un código de anotación"_s});
    EXPECT_EQ(focusedField(*form), u"ConForma"_s);
    EXPECT_EQ(form->field(form->position(u"ConForma"_s)).page, 3);

    ui.clear();
    type(*form, u"ConFicCod"_s, u"NADA"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe FicCod"_s});

    ui.clear();
    type(*form, u"ConFicCod"_s, u"AMON"_s);
    type(*form, u"ConForma"_s, u"0"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Si ingresa un código de anotación debe seleccionar una forma"_s});
    EXPECT_EQ(form->referenceDescription(form->position(u"ConFicCod"_s)), u"Amonestación"_s);

    // "Imprime en recibo" without a text: the usual leave text is proposed.
    ui.clear();
    type(*form, u"ConForma"_s, u"Forma 1"_s);
    type(*form, u"ConImpRec"_s, u"S"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(conceptField(700, u"ConLinAdLi"_s).toString(), u"Licencia reglamentaria del Semanafdesde al Semanafhasta "_s);
    EXPECT_EQ(conceptField(700, u"ConForma"_s).toInt(), 1);

    // A text that is neither printed nor noted in the file: a notice.
    ui.clear();
    auto text = newConcept(701, u"Licencia"_s, u"Haber"_s);
    type(*text, u"ConLinAdLi"_s, u"Licencia anual"_s);
    ASSERT_TRUE(text->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Information).value(0),
              u"Aviso: Ingresó texto para recibo/legajo y no indicó \"Imprime en recibo\" o \"Anota en legajo\"."_s);
}

TEST_F(ConceptRulesTest, DeductRulesFollowTheType)
{
    auto form = newConcept(800, u"Préstamo"_s, u"Descuento"_s);
    type(*form, u"ConDescont"_s, u"0"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No indicó -Descontar-"_s});

    ui.clear();
    type(*form, u"ConDescont"_s, u"Siempre"_s);
    type(*form, u"ConAcReite"_s, u"S"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No puede indicar -Acepta reiteración en siguiente liquidación- para un concepto "
                                      u"que descuenta Siempre"_s});

    ui.clear();
    type(*form, u"ConDescont"_s, u"Solo si alcanza"_s);
    type(*form, u"ConLiquido"_s, u"Líquido"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Indicó importe líquido pero no indicó porcentaje ni conceptos que lo gravan"_s});

    ui.clear();
    type(*form, u"ConLiquido"_s, u"Nominal"_s);
    type(*form, u"ConPorGrav"_s, u"50"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(),
              QStringList{u"Indicó porcentaje con que está gravado pero no indicó conceptos que lo gravan"_s});
    EXPECT_EQ(focusedField(*form), u"ConPorGrav"_s);

    // Switching to an earning clears and disables "Descontar".
    type(*form, u"ConPorGrav"_s, u"0"_s);
    type(*form, u"ConTipo"_s, u"Haber"_s);
    EXPECT_EQ(form->value(u"ConDescont"_s).toInt(), 0);
    EXPECT_FALSE(form->isEnabled(form->position(u"ConDescont"_s)));
    ui.clear();
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No puede indicar -Acepta reiteración en siguiente liquidación- para este tipo "
                                      u"de concepto"_s});
}

TEST_F(ConceptRulesTest, ANewConceptStartsWithItsDefaults)
{
    auto form = newConcept(900, u"Días trabajados"_s, u"Interno"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList());
    const QList<std::pair<QString, QVariant>> expected = {
        {u"ConActivo"_s, 1},         {u"ConDetModi"_s, u"N"_s}, {u"ConAcReite"_s, u"N"_s},
        {u"ConIncVora"_s, u"#"_s},   {u"ConImp0"_s, u"C"_s},    {u"ConCant"_s, u"N"_s},
        {u"ConCant0"_s, u"S"_s},     {u"ConRefAuxi"_s, 1},      {u"ConExe20No"_s, 1},
        {u"ConL17829"_s, u"N"_s},    {u"ConGlobal"_s, u""_s},   {u"ConColecti"_s, u""_s},
        {u"ConDescont"_s, 0},        {u"ConGraCC"_s, 0},        {u"ConOrdinal"_s, 0}};
    for (const auto& [field, value] : expected)
        EXPECT_EQ(conceptField(900, field).toString(), value.toString()) << field.toStdString();
}

}  // namespace
