// TTIPOLIQ and TTIPOLIN: the liquidation types' rules in screen order, the
// fixed types, the delete checks and the exceptions.
#include "payroll/liquidation_types.h"

#include "data/demo_company.h"
#include "engine/lines.h"
#include "payroll/accumulators.h"
#include "payroll/contributions.h"
#include "organisation_tables_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class LiquidationTypesTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addConcept(1, u"Sueldo mensual"_s, 1, u"S"_s);
        addConcept(20, u"Aguinaldo"_s, 1, u"A"_s);
        addConcept(101, u"Aporte jubilatorio BPS"_s, 2, u"M"_s);
        addConcept(150, u"Cuota sindical"_s, 3, u""_s);
        addConcept(160, u"Descuento adelanto"_s, 3, u""_s);
    }

    void addConcept(int id, const QString& description, int type, const QString& kind)
    {
        addRow(u"CONCEPT"_s, {{u"ConId"_s, id}, {u"ConDesc"_s, description}, {u"ConTipo"_s, type},
                              {u"ConClase"_s, kind}, {u"ConActivo"_s, 1}});
    }

    void addType(const QString& id, const QString& description)
    {
        addRow(u"TIPLIQUI"_s, {{u"TLId"_s, id}, {u"TLDesc"_s, description}, {u"TLModoRep"_s, u"M"_s}});
    }

    /// A new type on the form, typed key and description.
    std::unique_ptr<Transaction> newType(const QString& id, const QString& description)
    {
        auto form = open(TTIPOLIQ(), QString(), u"INS"_s);
        form->setText(u"TLId"_s, id);
        // Leaving the key reads the record, or clears the form for a new one.
        form->focusEntered(form->position(u"TLDesc"_s));
        form->setText(u"TLDesc"_s, description);
        return form;
    }

    int typesNamed(const QString& id)
    {
        return fieldOf(u"TIPLIQUI"_s, u"COUNT(*)"_s, u"TLId = '%1'"_s.arg(id)).toInt();
    }
};

TEST_F(LiquidationTypesTest, TheCodeIsOneDigitOrCapitalUpToXAndTheFixedTypesStayAsTheyAre)
{
    for (const QString& code : {u"Y"_s, u"x"_s, u"#"_s}) {
        auto form = newType(code, u"Otra"_s);
        expectRefused(*form, u"Tipo liquidación debe ser entre 0 y 9 o entre A y X"_s);
    }
    auto blank = newType(u""_s, u"Otra"_s);
    expectRefused(*blank, u"Falta Tipo liquidación."_s);

    // An installation that lost its "X" may write it again, but only as "Próxima".
    execute(u"DELETE FROM TIPLIQUI WHERE TLId = 'X'"_s);
    auto next = newType(u"X"_s, u"Siguiente"_s);
    expectRefused(*next, u"TIpo de liquidación \"\"X\"\" debe ser \"\"Próxima\"\""_s);
    auto all = open(TTIPOLIQ(), u"T"_s, u"UPD"_s);
    expectRefused(*all, u"No puede modificar ni eliminar este tipo de liquidación"_s);
    ASSERT_TRUE(next->setText(u"TLDesc"_s, u"Próxima"_s));
    ui.clear();
    ASSERT_TRUE(next->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"TLDesc"_s, u"TLId = 'X'"_s).toString(), u"Próxima"_s);

    auto changed = open(TTIPOLIQ(), u"X"_s, u"UPD"_s);
    changed->setText(u"TlNotas"_s, u"nota"_s);
    expectRefused(*changed, u"No puede modificar ni eliminar este tipo de liquidación"_s);

    ui.clear();
    removeThrough(TTIPOLIQ(), u"T"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"No puede modificar ni eliminar este tipo de liquidación"_s});
    EXPECT_EQ(typesNamed(u"T"_s), 1);
    EXPECT_EQ(typesNamed(u"X"_s), 1);
}

TEST_F(LiquidationTypesTest, AnAdvanceRunIsCheckedFieldByFieldAndAuditedWithItsPhrases)
{
    addType(u"1"_s, u"Liquidación mensual"_s);
    auto form = newType(u"A"_s, u"Adelanto"_s);
    ASSERT_TRUE(form->setText(u"TLAdelanto"_s, u"S"_s));
    expectRefused(*form, u"Falta concepto de descuento de adelantos"_s);
    ASSERT_TRUE(form->setText(u"TLConIdDes"_s, u"1"_s));
    expectRefused(*form, u"Concepto de descuento de adelantos debe ser un descuento"_s);
    ASSERT_TRUE(form->setText(u"TLConIdDes"_s, u"160"_s));
    ASSERT_TRUE(form->setText(u"TLRepetir"_s, u"S"_s));
    expectRefused(*form, u"Falta indicar el modo en que se repiten los movimientos en otra liquidación"_s);
    ASSERT_TRUE(form->setText(u"TLModoRep"_s, u"R"_s));
    ASSERT_TRUE(form->setText(u"TLConResRe"_s, u"10"_s));
    expectRefused(*form, u"Indicó redondeo para concepto de resumen pero no indicó resumir la liquidación"_s);
    ASSERT_TRUE(form->setText(u"TLResumir"_s, u"S"_s));
    expectRefused(*form, u"Falta concepto para resumir"_s);
    ASSERT_TRUE(form->setText(u"TLConIdRes"_s, u"150"_s));
    expectRefused(*form, u"Concepto para resumir debe ser un haber"_s);
    ASSERT_TRUE(form->setText(u"TLConIdRes"_s, u"1"_s));
    expectRefused(*form, u"Falta indicar el tipo de liquidación en que se descontará"_s);
    ASSERT_TRUE(form->setText(u"TLIdDescue"_s, u"A"_s));
    expectRefused(*form, u"El tipo de liquidación en que se descontará la liquidación de adelanto no puede ser la misma"_s);
    ASSERT_TRUE(form->setText(u"TLIdDescue"_s, u"9"_s));
    expectRefused(*form, u"No existe TipLiquidacion"_s);
    ASSERT_TRUE(form->setText(u"TLIdDescue"_s, u"1"_s));
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"TLConIdDes"_s, u"TLId = 'A'"_s).toInt(), 160);
    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"TLIdDescue"_s, u"TLId = 'A'"_s).toString(), u"1"_s);
    EXPECT_EQ(auditEntries().last(),
              u"Agrega tipo liquidación A - , descripción = Adelanto, aplica ley 17829 = N, liquidación de aguinaldo = No"
              u", liquidación de adelanto a descontar en otra liquidación = Sí, tipo de liquidación en que se descontará"
              u" = 1, concepto de descuento de adelantos = 160, repetir movimientos en la otra liquidación = Sí, resumir"
              u" liquidación en un solo concepto por el líquido = Sí, concepto para resumir liquidación = 1, redondeo a"
              u" aplicar al concepto de resumen = 10, reiterar descuentos rechazados en otra liquidación = No, descontar"
              u" líquidos negativos en otra liquidación = No, notas ="_s);

    // A change names only what changed.
    auto change = open(TTIPOLIQ(), u"A"_s, u"UPD"_s);
    ASSERT_TRUE(change->setText(u"TLDesc"_s, u"Adelanto quincenal"_s));
    ASSERT_TRUE(change->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditEntries().last(), u"Modifica tipo de liquidación A, descripción = Adelanto quincenal"_s);
}

TEST_F(LiquidationTypesTest, BonusAndNegativeNetConceptsMustMatchTheirFlags)
{
    addType(u"1"_s, u"Liquidación mensual"_s);
    auto form = newType(u"B"_s, u"Aguinaldo junio"_s);
    ASSERT_TRUE(form->setText(u"TLConIdAgu"_s, u"20"_s));
    expectRefused(*form, u"Indicó concepto de aguinaldo pero la liquidación no es de aguinaldo"_s);
    ASSERT_TRUE(form->setText(u"TLAguinald"_s, u"S"_s));
    ASSERT_TRUE(form->setText(u"TLConIdAgu"_s, u"1"_s));
    expectRefused(*form, u"Concepto de aguinaldo debe tener clase aguinaldo"_s);
    ASSERT_TRUE(form->setText(u"TLConIdAgu"_s, u"20"_s));

    // A concept for negative nets comes before the bonus concept on the screen.
    ASSERT_TRUE(form->setText(u"TLConIdNeg"_s, u"150"_s));
    expectRefused(*form, u"Indicó concepto pero no indicó descontar líquidos negativos"_s);
    ASSERT_TRUE(form->setText(u"TLNegativo"_s, u"S"_s));
    ASSERT_TRUE(form->setText(u"TLConIdNeg"_s, u"101"_s));
    expectRefused(*form, u"Concepto de descuento de líquidos negativos debe ser un descuento"_s);
    ASSERT_TRUE(form->setText(u"TLConIdNeg"_s, u"150"_s));
    expectRefused(*form, u"Falta indicar el tipo de liquidación en que se descontará"_s);
    ASSERT_TRUE(form->setText(u"TLIdDescue"_s, u"1"_s));
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(auditEntries().last().contains(u", liquidación de aguinaldo = Sí, concepto de aguinaldo = 20"_s));
    EXPECT_TRUE(auditEntries().last().contains(
        u", descontar líquidos negativos en otra liquidación = Sí, concepto de descuento de líquidos negativos = 150"_s));

    // A run that deducts nothing later names no run to deduct in.
    auto plain = newType(u"C"_s, u"Complementaria"_s);
    ASSERT_TRUE(plain->setText(u"TLIdDescue"_s, u"7"_s));
    expectRefused(*plain, u"Indicó liquidación en que se descontará pero liquidación no es de adelantos ni descontará "
                          u"descuentos rechazados ni líquidos negativos"_s);
}

TEST_F(LiquidationTypesTest, ADeleteLooksForUsesInOrderThenAsksAndAudits)
{
    addType(u"3"_s, u"Vacacional"_s);
    addRow(u"ACUMHL"_s, {{u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 1}, {u"AcuDesc"_s, u"Vacaciones"_s}, {u"AcuTLId"_s, u"3"_s}});
    addRow(u"PARLIQX"_s, {{u"CfId"_s, 0}, {u"PLTLId"_s, u"3"_s}, {u"PLConIdExc"_s, 1}});
    addRow(u"MOVIMIEN"_s, {{u"MovTLId"_s, u"3"_s}});

    const QStringList expected = {u"Eliminación inválida, hay información en \"AcumHL\"."_s,
                                  u"Eliminación inválida, hay información en \"Configuracion\"."_s,
                                  u"Eliminación inválida, hay información en \"Movimientos\"."_s};
    for (const QString& message : expected) {
        ui.clear();
        removeThrough(TTIPOLIQ(), u"3"_s);
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{message});
        EXPECT_EQ(typesNamed(u"3"_s), 1);
        if (message.contains(u"AcumHL"_s))
            execute(u"DELETE FROM ACUMHL"_s);
        else if (message.contains(u"Configuracion"_s))
            execute(u"DELETE FROM PARLIQX"_s);
        else
            execute(u"DELETE FROM MOVIMIEN"_s);
    }
    auto panel = openPanel(WTIPOSLI());
    EXPECT_EQ(column(*panel, 0), (QStringList{u"3"_s, u"T"_s, u"X"_s}));
    EXPECT_EQ(column(*panel, 1), (QStringList{u"Vacacional"_s, u"Todas"_s, u"Próxima"_s}));
    ui.clear();
    removeThrough(TTIPOLIQ(), u"3"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(typesNamed(u"3"_s), 0);
    EXPECT_EQ(auditEntries().last(), u"Elimina tipo liquidación 3, descripción = Vacacional"_s);
}

TEST_F(LiquidationTypesTest, TheExceptionsOfATypeAreConceptsThatExistOnceAndGoAllTogether)
{
    addType(u"A"_s, u"Adelanto"_s);
    auto form = open(TTIPOLIN(), u"A"_s, u"UPD"_s);
    ASSERT_FALSE(form->isClosed()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(form->labelText(0), u"Conceptos que no se repiten en la liquidación en que se descontará el adelanto:"_s);
    LineTable& lines = *form->lines();
    const int missing = lines.addLine();
    lines.setText(missing, 0, u"999"_s);
    expectRefused(*form, u"No existe Conceptos. DESEA VISUALIZAR?"_s);
    lines.setText(missing, 0, u"1"_s);
    lines.setText(lines.addLine(), 0, u"1"_s);
    expectRefused(*form, u"Ya existe el registro"_s);
    lines.setText(lines.rowCount() - 1, 0, u"20"_s);
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"PARLIQX"_s, u"COUNT(*)"_s, u"CfId = 0 AND PLTLId = 'A'"_s).toInt(), 2);

    auto again = open(TTIPOLIN(), u"A"_s, u"UPD"_s);
    EXPECT_EQ(again->lines()->rowCount(), 2);
    ui.clear();
    ui.answer(true);
    again->press(u"Eliminar"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminar toda la información en Configuracion?"_s});
    EXPECT_EQ(fieldOf(u"PARLIQX"_s, u"COUNT(*)"_s, u"PLTLId = 'A'"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"COUNT(*)"_s, u"TLId = 'A'"_s).toInt(), 1) << "the type itself stays";
}

TEST_F(LiquidationTypesTest, TheDemoCompanysRunTypesAccumulatorsAndGroupsPassTheirOwnForms)
{
    execute(u"DELETE FROM CONCEPT"_s);
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);

    // Every type but the fixed two is confirmed unchanged by its form.
    const QStringList types = {u"1"_s, u"2"_s, u"A"_s, u"J"_s, u"Q"_s, u"V"_s};
    for (const QString& type : types) {
        auto form = open(TTIPOLIQ(), type, u"UPD"_s);
        ui.clear();
        EXPECT_TRUE(form->confirm()) << type.toStdString() << ": " << ui.texts().join(u'|').toStdString();
    }
    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"TLConIdDes"_s, u"TLId = 'Q'"_s).toInt(), 160);
    EXPECT_EQ(fieldOf(u"TIPLIQUI"_s, u"TLConIdAgu"_s, u"TLId = 'J'"_s).toInt(), 20);

    for (const QString& key : {u"H\t1"_s, u"H\t2"_s, u"L\t1"_s, u"L\t2"_s, u"M\t1"_s}) {
        auto form = open(TACUMHL(), key, u"UPD"_s);
        ui.clear();
        EXPECT_TRUE(form->confirm()) << key.toStdString() << ": " << ui.texts().join(u'|').toStdString();
    }
    // What the accumulators gather are demo concepts.
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"ConId NOT IN (SELECT ConId FROM CONCEPT)"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"CONCEPT3"_s, u"COUNT(*)"_s, u"AcuTipo = 'L' AND AcuId = 1"_s).toInt(), 4);

    auto group = open(TAPORTE(), u"1"_s, u"UPD"_s);
    ASSERT_EQ(group->lines()->rowCount(), 4);
    EXPECT_EQ(group->text(u"AporDesc"_s), u"Aportes BPS"_s);
    EXPECT_EQ(fieldOf(u"APORTE1"_s, u"COUNT(*)"_s, u"AporConId NOT IN (SELECT ConId FROM CONCEPT)"_s).toInt(), 0);
}

}  // namespace

