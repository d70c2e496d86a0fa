// TACUMHL, PCTRLDES, WACUMSHL with PACUELIM, WACUMHL, WACUMCOP and WACUMHLU:
// the accumulators as a person keeps them (the listing is in payroll_listings_test).
#include "payroll/accumulators.h"

#include "engine/lines.h"
#include "organisation_tables_fixture.h"
#include "startup/vbglob.h"

using namespace Qt::StringLiterals;

namespace {

class AccumulatorsTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // "M" at position 7: may change concepts and accumulators.
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 1}, {u"ConDesc"_s, u"Sueldo mensual"_s}, {u"ConTipo"_s, 1}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 5}, {u"ConDesc"_s, u"Horas extra"_s}, {u"ConTipo"_s, 1}});
        addRow(u"TIPLIQUI"_s, {{u"TLId"_s, u"1"_s}, {u"TLDesc"_s, u"Liquidación mensual"_s}});
    }

    void addAccumulator(const QString& type, int number, const QString& description, const QString& period = {})
    {
        addRow(u"ACUMHL"_s, {{u"AcuTipo"_s, type}, {u"AcuId"_s, number}, {u"AcuDesc"_s, description},
                             {u"AcuConteni"_s, u"I"_s}, {u"AcuPeriodo"_s, period}, {u"AcuDesde"_s, 1},
                             {u"AcuHasta"_s, 12}});
    }

    void addFeed(int conceptId, const QString& type, int number)
    {
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, conceptId}, {u"AcuTipo"_s, type}, {u"AcuId"_s, number},
                               {u"ConAcuOpe"_s, u"S"_s}, {u"ConAcuMult"_s, 1}});
    }

    /// A report that shows the report field named `description`.
    void addReportShowing(const QString& description)
    {
        addRow(u"CAMPOS"_s, {{u"CamId"_s, 700}, {u"CamDes"_s, description}});
        addRow(u"INFORME"_s, {{u"InfId"_s, 4}, {u"InfDes"_s, u"Horas del año"_s}});
        addRow(u"INFORME1"_s, {{u"InfId"_s, 4}, {u"InfCorCamp"_s, 1}, {u"CamId"_s, 700}});
    }

    std::unique_ptr<Transaction> newAccumulator(const QString& type, const QString& number, const QString& description)
    {
        auto form = open(TACUMHL(), u"0"_s, u"INS"_s);
        form->setText(u"AcuTipo"_s, type);
        form->setText(u"AcuId"_s, number);
        form->focusEntered(form->position(u"AcuDesc"_s));
        form->setText(u"AcuDesc"_s, description);
        return form;
    }

    int accumulators() { return countRows(u"ACUMHL"_s); }
};

QStringList texts(const QList<CodeChoice>& choices)
{
    QStringList shown;
    for (const CodeChoice& choice : choices)
        shown << choice.text;
    return shown;
}

TEST_F(AccumulatorsTest, TheContentsOfferedFollowTheType)
{
    auto form = open(TACUMHL(), u"0"_s, u"INS"_s);
    const int content = form->position(u"AcuConteni"_s);
    ASSERT_TRUE(form->setText(u"AcuTipo"_s, u"L"_s));
    EXPECT_EQ(texts(form->choices(content)), (QStringList{u"Cantidad"_s, u"Importe m/n"_s, u"Importe m/e"_s}));
    EXPECT_FALSE(form->setText(content, u"A"_s)) << "an adjusted amount is for historical accumulators";

    ASSERT_TRUE(form->setText(u"AcuTipo"_s, u"H"_s));
    const QStringList historical = texts(form->choices(content));
    ASSERT_EQ(historical.size(), 30);
    EXPECT_EQ(historical.at(3), u"Imp. m/n ajustado (tabla func)"_s);
    EXPECT_EQ(historical.at(12), u"Importe m/n ajustado (tabla 9)"_s);
    EXPECT_EQ(historical.last(), u"Importe m/n ajustado (tabla 26)"_s);
    ASSERT_TRUE(form->setText(content, u"Importe m/n ajustado (tabla 10)"_s));
    EXPECT_EQ(form->value(u"AcuConteni"_s).toString(), u"J"_s);

    ASSERT_TRUE(form->setText(u"AcuTipo"_s, u"M"_s));
    EXPECT_EQ(texts(form->choices(content)), (QStringList{u"Cantidad"_s, u"Importe"_s}));
}

TEST_F(AccumulatorsTest, AHistoricalAccumulatorIsCheckedInScreenOrderAndAudited)
{
    auto form = newAccumulator(u"H"_s, u"0"_s, u"Horas del año"_s);
    expectRefused(*form, u"Falta nº de acumulador"_s);
    ASSERT_TRUE(form->setText(u"AcuId"_s, u"0"_s));
    auto outside = newAccumulator(u"H"_s, u"100"_s, u"Horas del año"_s);
    if (outside->value(u"AcuId"_s).toInt() == 100)
        expectRefused(*outside, u"Nº de acumulador debe ser 1 a 99"_s);
    ASSERT_TRUE(form->setText(u"AcuId"_s, u"3"_s));
    form->focusEntered(form->position(u"AcuDesc"_s));
    ASSERT_TRUE(form->setText(u"AcuDesc"_s, u"Horas del año"_s));
    expectRefused(*form, u"Falta contenido"_s);
    ASSERT_TRUE(form->setText(u"AcuConteni"_s, u"I"_s));
    expectRefused(*form, u"Falta período"_s);
    ASSERT_TRUE(form->setText(u"AcuPeriodo"_s, u"C"_s));
    ASSERT_TRUE(form->setText(u"AcuDesde"_s, u"3"_s));
    ASSERT_TRUE(form->setText(u"AcuHasta"_s, u"2"_s));
    expectRefused(*form, u"Desde debe ser anterior a hasta"_s);
    ASSERT_TRUE(form->setText(u"AcuHasta"_s, u"13"_s));
    expectRefused(*form, u"Hasta debe ser 1 a 12 si período es Año civil"_s);
    ASSERT_TRUE(form->setText(u"AcuDesde"_s, u"0"_s));
    expectRefused(*form, u"Desde debe ser 1 a 12 si período es Año civil"_s);
    ASSERT_TRUE(form->setText(u"AcuDesde"_s, u"1"_s));
    ASSERT_TRUE(form->setText(u"AcuHasta"_s, u"12"_s));
    ASSERT_TRUE(form->setText(u"AcuTLId"_s, u"9"_s));
    ui.clear();
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe TipLiquidacion. DESEA VISUALIZAR?"_s});
    ASSERT_TRUE(form->setText(u"AcuTLId"_s, u"1"_s));
    ASSERT_TRUE(form->setText(u"AcuExAdela"_s, u"S"_s));
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditEntries().last(),
              u"Agrega acumulador histórico nro. 3. Descripción = Horas del año, contenido = Importe m/n, período = "
              u"año civil, desde = 1 hasta 12, tipo de liquidación = 1, excluír liquidación de adelanto = Sí"_s);

    auto change = open(TACUMHL(), u"H\t3"_s, u"UPD"_s);
    ASSERT_TRUE(change->setText(u"AcuTLId"_s, u""_s));
    ASSERT_TRUE(change->setText(u"AcuPeriodo"_s, u"A"_s));
    ui.clear();
    ASSERT_TRUE(change->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditEntries().last(),
              u"Modifica acumulador histórico nro. 3, período = aguinaldo, tipo de liquidación = Todas"_s);
}

TEST_F(AccumulatorsTest, TheDescriptionControlLooksAtFourSourcesAccentsAndCaseAside)
{
    addAccumulator(u"H"_s, 1, u"Vacaciones"_s, u"C"_s);
    addRow(u"FUNATRIB"_s, {{u"FunAId"_s, 10}, {u"FunADescri"_s, u"Antigüedad"_s}});
    addRow(u"INFORME4"_s, {{u"InfId"_s, 1}, {u"InfCalId"_s, 1}, {u"InfCalTitu"_s, u"Total jornales"_s}});
    addRow(u"CAMPOS"_s, {{u"CamId"_s, 10}, {u"CamDes"_s, u"Sueldo básico"_s}});

    EXPECT_EQ(PCTRLDES(*database, u"Horas. extra"_s, u"H"_s, 2, u"C"_s),
              u"No se permiten corchetes ni puntos en la descripción"_s);
    EXPECT_EQ(PCTRLDES(*database, u"Horas [extra]"_s, u"H"_s, 2, u"C"_s),
              u"No se permiten corchetes ni puntos en la descripción"_s);
    // The calendar-year accumulator is offered as "(ANTERIOR)" and "(CORRIENTE)" too.
    EXPECT_EQ(PCTRLDES(*database, u"VACACIONES (anterior)"_s, u"H"_s, 2, u"L"_s),
              u"Ya existe un acumulador histórico con esa descripción"_s);
    EXPECT_EQ(PCTRLDES(*database, u"vacaciónes"_s, u"L"_s, 1, {}),
              u"Ya existe un acumulador histórico con esa descripción"_s);
    EXPECT_EQ(PCTRLDES(*database, u"Vacaciones"_s, u"H"_s, 1, u"C"_s), QString()) << "its own description";
    EXPECT_EQ(PCTRLDES(*database, u"TOTAL JORNALES"_s, u"H"_s, 2, u"A"_s),
              u"Ya existe un campo calculado del generador de informes con esa descripción"_s);
    EXPECT_EQ(PCTRLDES(*database, u"Sueldo basico"_s, u"H"_s, 2, u"A"_s),
              u"Ya existe un campo del generador de informes con esa descripción"_s);
    // A calendar-year accumulator would take "Sueldo básico (corriente)" too.
    addRow(u"CAMPOS"_s, {{u"CamId"_s, 11}, {u"CamDes"_s, u"Premio (CORRIENTE)"_s}});
    EXPECT_EQ(PCTRLDES(*database, u"Premio"_s, u"H"_s, 2, u"C"_s),
              u"Ya existe un campo del generador de informes con esa descripción"_s);
    EXPECT_EQ(PCTRLDES(*database, u"Premio"_s, u"H"_s, 2, u"A"_s), QString());

    // Through the form: an attribute that differs by an accent only.
    auto form = newAccumulator(u"H"_s, u"2"_s, u"antiguedad"_s);
    expectRefused(*form, u"Ya existe un atributo adicional con esa descripción"_s);
    EXPECT_EQ(accumulators(), 1);
}

TEST_F(AccumulatorsTest, ADeleteIsRefusedWhileConceptsReadItAndTakesItsFeedsOtherwise)
{
    addAccumulator(u"L"_s, 2, u"Horas extra"_s);
    addAccumulator(u"H"_s, 4, u"Horas del año"_s, u"C"_s);
    addFeed(5, u"L"_s, 2);
    addFeed(5, u"H"_s, 4);
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 1}, {u"OpeLin"_s, 1}, {u"OpeUsar"_s, u"ACL"_s}, {u"OpeNro"_s, 2}});
    addRow(u"CONCEPT4"_s, {{u"ConId"_s, 1}, {u"CanLin"_s, 1}, {u"CanUsar"_s, u"ACH"_s}, {u"CanNro"_s, 4}});
    addReportShowing(u"Horas del año (anterior)"_s);

    auto panel = openPanel(WACUMSHL());
    ASSERT_EQ(panel->rowCount(), 2);
    EXPECT_EQ(column(*panel, 0), (QStringList{u"histórico"_s, u"liquidación"_s}));
    EXPECT_EQ(column(*panel, 3), (QStringList{u"Año civil"_s, QString()}));
    ui.answer(true);
    panel->remove({rowOf(*panel, u"L\t2"_s)});
    EXPECT_EQ(ui.texts(), (QStringList{u"¿Confirma eliminación acumulador L 2?"_s,
                                       u"El acumulador no se puede eliminar porque se utiliza en conceptos"_s}));
    ui.clear();
    ui.answer(true);
    panel->remove({rowOf(*panel, u"H\t4"_s)});
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"El acumulador no se puede eliminar porque se utiliza en conceptos y en informes"_s});
    EXPECT_EQ(accumulators(), 2);

    // The form refuses while concepts feed it; the panel takes the feeds along.
    ui.clear();
    removeThrough(TACUMHL(), u"L\t2"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Eliminación inválida, hay información en \"Concept3\"."_s});
    execute(u"DELETE FROM CONCEPT1"_s);
    ui.clear();
    ui.answer(true);
    panel->remove({rowOf(*panel, u"L\t2"_s)});
    EXPECT_EQ(ui.texts(), QStringList{u"¿Confirma eliminación acumulador L 2?"_s});
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'L'"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'H'"_s).toInt(), 1);
    EXPECT_EQ(accumulators(), 1);
    EXPECT_EQ(auditEntries().last(), u"Elimina acumulador de la liquidación nro. 2"_s);
}

TEST_F(AccumulatorsTest, CopyAndDeleteAreRefusedWhileTheConceptsAreCopiedAutomatically)
{
    addAccumulator(u"H"_s, 1, u"Vacaciones"_s, u"A"_s);
    setParameterText(u"SincroAuto"_s, u"Con"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    auto panel = openPanel(WACUMSHL());
    panel->press(u"Copiar"_s, 0);
    panel->remove({0});
    EXPECT_EQ(ui.texts(), (QStringList{u"No puede copiar acumuladores, esta tabla se copia automaticamente."_s,
                                       u"No puede eliminar acumuladores, esta tabla se copia automaticamente."_s}));
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    EXPECT_EQ(accumulators(), 1);

    // Its concepts may still be looked at; the key names type and number.
    QString calledWith;
    ui.onCall(u"WACUMHL"_s, [&calledWith](QString& key, QString&) { calledWith = key; });
    panel->press(u"Conceptos"_s, 0);
    EXPECT_EQ(calledWith, u"H\t1"_s);
}

TEST_F(AccumulatorsTest, TheConceptsThatFeedAnAccumulatorAreKeptUnderItsTypeAndNumber)
{
    addAccumulator(u"H"_s, 1, u"Vacaciones"_s, u"A"_s);
    addAccumulator(u"L"_s, 1, u"Haberes"_s);
    addFeed(1, u"L"_s, 1);
    auto form = open(WACUMHL(), u"H\t1"_s, u"UPD"_s);
    ASSERT_FALSE(form->isClosed()) << ui.texts().join(u'|').toStdString();
    LineTable& lines = *form->lines();
    EXPECT_EQ(lines.rowCount(), 0) << "the liquidation accumulator's concept is not this one's";
    int row = lines.addLine();
    lines.setText(row, 0, u"1"_s);
    lines.setText(row, 1, u"G"_s);
    lines.setText(row, 2, u"0.5"_s);
    row = lines.addLine();
    lines.setText(row, 0, u"1"_s);
    lines.setText(row, 1, u"S"_s);
    expectRefused(*form, u"Ya existe el registro"_s);
    lines.setText(row, 0, u"5"_s);
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'H' AND AcuId = 1"_s).toInt(), 2);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"ConAcuMult"_s, u"AcuTipo = 'H' AND ConId = 1"_s).toDouble(), 0.5);
    EXPECT_TRUE(auditEntries().contains(u"Agrega concepto al acumulador H 1 1, operación = G, multiplicador = 0.500"_s))
        << auditEntries().join(u'|').toStdString();

    // Left without concepts, it says so and writes.
    auto empty = open(WACUMHL(), u"H\t1"_s, u"UPD"_s);
    ui.answer(true);
    ui.answer(true);
    empty->lines()->markForDeletion(1);
    empty->lines()->markForDeletion(0);
    ui.clear();
    ui.answer(true);
    ui.answer(true);
    ASSERT_TRUE(empty->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{u"Aviso: No está acumulando ningún concepto"_s});
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'H'"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'L'"_s).toInt(), 1);
}

TEST_F(AccumulatorsTest, ACopyTakesTheConceptsToAFreeNumberOfTheSameType)
{
    addAccumulator(u"H"_s, 1, u"Vacaciones"_s, u"A"_s);
    addAccumulator(u"H"_s, 2, u"Licencia"_s, u"A"_s);
    addFeed(1, u"H"_s, 1);
    addFeed(5, u"H"_s, 1);
    auto form = open(WACUMCOP(), u"H\t1"_s, u"UPD"_s);
    ASSERT_FALSE(form->isClosed()) << ui.texts().join(u'|').toStdString();
    expectRefused(*form, u"Falta indicar número de acumulador"_s);
    ASSERT_TRUE(form->setText(u"AcuNuevo"_s, u"1"_s));
    expectRefused(*form, u"Debe indicar un acumulador diferente"_s);
    ASSERT_TRUE(form->setText(u"AcuNuevo"_s, u"2"_s));
    expectRefused(*form, u"El acumulador al cual va a copiar ya existe."_s);
    ASSERT_TRUE(form->setText(u"AcuNuevo"_s, u"7"_s));
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"ACUMHL"_s, u"AcuDesc"_s, u"AcuTipo = 'H' AND AcuId = 7"_s).toString(), u"Vacaciones"_s);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'H' AND AcuId = 7"_s).toInt(), 2);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'H' AND AcuId = 1"_s).toInt(), 2);
    EXPECT_EQ(auditEntries().last(), u"Copia acumulador 1, tipo H, con el número 7"_s);
}

TEST_F(AccumulatorsTest, TheUsesListNamesTheConceptsAndReportsThatReadTheAccumulator)
{
    addAccumulator(u"H"_s, 4, u"Horas del año"_s, u"C"_s);
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 5}, {u"OpeLin"_s, 1}, {u"OpeUsar"_s, u"ACH"_s}, {u"OpeNro"_s, 4}});
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 1}, {u"OpeLin"_s, 1}, {u"OpeUsar"_s, u"ACL"_s}, {u"OpeNro"_s, 4}});
    addReportShowing(u"Horas del año (CORRIENTE)"_s);

    auto panel = openPanel(WACUMHLU(), pickerKey(u"H 4"_s, QString()));
    ASSERT_EQ(panel->rowCount(), 2);
    EXPECT_EQ(column(*panel, 0), (QStringList{u"Concepto"_s, u"Informe"_s}));
    EXPECT_EQ(column(*panel, 1), (QStringList{u"5"_s, u"4"_s}));
    EXPECT_EQ(column(*panel, 2), (QStringList{u"Horas extra"_s, u"Horas del año"_s}));
    panel->press(u"ModificaInforme"_s, 0);
    EXPECT_TRUE(ui.calledObjects().isEmpty()) << "a concept's row is no report";
    panel->press(u"ModificaConcepto"_s, 0);
    panel->press(u"ModificaInforme"_s, 1);
    EXPECT_EQ(ui.calledObjects(), (QStringList{u"TCONCEPT"_s, u"WDEFINFO"_s}));
}

}  // namespace
