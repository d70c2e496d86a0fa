// TAPORTE and TAPOCON: contribution groups with their lines and the
// conditional contributions.
#include "payroll/contributions.h"

#include "engine/lines.h"
#include "organisation_tables_fixture.h"
#include "startup/vbglob.h"

using namespace Qt::StringLiterals;

namespace {

enum { ConceptColumn = 0, PercentColumn = 1, ConditionalColumn = 2 };

class ContributionsTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 1}, {u"ConDesc"_s, u"Sueldo mensual"_s}, {u"ConTipo"_s, 1}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 101}, {u"ConDesc"_s, u"Aporte jubilatorio BPS"_s}, {u"ConTipo"_s, 2}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 102}, {u"ConDesc"_s, u"FONASA"_s}, {u"ConTipo"_s, 2}});
        addRow(u"APOCON"_s, {{u"ApCId"_s, 1}, {u"ApCDes"_s, u"Con cónyuge"_s}});
    }

    static int addLine(LineTable& lines, const QString& conceptId, const QString& percent, const QString& conditional)
    {
        const int row = lines.addLine();
        lines.setText(row, ConceptColumn, conceptId);
        lines.setText(row, PercentColumn, percent);
        lines.setText(row, ConditionalColumn, conditional);
        return row;
    }

    std::unique_ptr<Transaction> newGroup(const QString& code, const QString& description)
    {
        auto form = open(TAPORTE(), u"0"_s, u"INS"_s);
        form->setText(u"AporId"_s, code);
        form->focusEntered(form->position(u"AporDesc"_s));
        form->setText(u"AporDesc"_s, description);
        return form;
    }
};

TEST_F(ContributionsTest, AGroupIsOneToNineWithLinesThatNoticeAndRefuseInOrder)
{
    auto tenth = newGroup(u"10"_s, u"Décimo"_s);
    expectRefused(*tenth, u"Código debe ser de 1 a 9"_s);
    auto unnamed = newGroup(u"1"_s, u""_s);
    expectRefused(*unnamed, u"Falta descripción"_s);

    auto form = newGroup(u"1"_s, u"Aportes BPS"_s);
    LineTable& lines = *form->lines();
    addLine(lines, u"1"_s, u"0"_s, u"3"_s);
    ui.clear();
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), (QStringList{u"Aviso: concepto no es descuento de ley"_s, u"Aviso: porcentaje gravado es 0%"_s,
                                       u"No existe ApoCon"_s}));
    lines.setText(0, ConditionalColumn, u"1"_s);
    addLine(lines, u"1"_s, u"10"_s, u"0"_s);
    expectRefused(*form, u"Ya existe el registro"_s);
    lines.setText(1, ConceptColumn, u"101"_s);
    lines.setText(1, PercentColumn, u"15.125"_s);
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    // The notices of a line are shown and pass.
    EXPECT_EQ(ui.messages(MessageIcon::Information),
              (QStringList{u"Aviso: concepto no es descuento de ley"_s, u"Aviso: porcentaje gravado es 0%"_s}));
    EXPECT_EQ(countRows(u"APORTE1"_s), 2);
    const QStringList entries = auditEntries();
    EXPECT_TRUE(entries.contains(u"Agrega grupo de aportes 1 Aportes BPS"_s)) << entries.join(u'|').toStdString();
    EXPECT_TRUE(entries.contains(u"Agrega concepto al grupo de aportes 1, concepto = 101, % = 15.1250, aporte condicional = 0"_s))
        << entries.join(u'|').toStdString();
    EXPECT_TRUE(entries.contains(u"Agrega concepto al grupo de aportes 1, concepto = 1, % = 0.0000, aporte condicional = 1"_s));
}

TEST_F(ContributionsTest, TheSelectedLineIsRemovedAndTheGroupGoesWithItsLinesWhenUnused)
{
    addRow(u"APORTE"_s, {{u"AporId"_s, 2}, {u"AporDesc"_s, u"FONASA"_s}});
    addRow(u"APORTE1"_s, {{u"AporId"_s, 2}, {u"AporConId"_s, 101}, {u"AporPorGra"_s, 100}});
    addRow(u"APORTE1"_s, {{u"AporId"_s, 2}, {u"AporConId"_s, 102}, {u"AporPorGra"_s, 100}});

    auto panel = openPanel(WAPORTES());
    EXPECT_EQ(column(*panel, 1), QStringList{u"FONASA"_s});
    panel->press(u"ApCond"_s, 0);
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TAPOCON"_s});
    ui.clear();

    auto form = open(TAPORTE(), u"2"_s, u"UPD"_s);
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 2);
    lines.setCurrentRow(-1);
    form->press(u"EliminarLinea"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Debe seleccionar el concepto a eliminar"_s});
    lines.setCurrentRow(1);
    form->press(u"EliminarLinea"_s);
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(countRows(u"APORTE1"_s), 1);
    EXPECT_EQ(auditEntries().last(),
              u"Elimina concepto del grupo de aportes 2, concepto = 102, % = 100.0000, aporte condicional = 0"_s);

    // Named by a concept or by a formula line, the group stays.
    addRow(u"CONCEPT"_s, {{u"ConId"_s, 5}, {u"ConDesc"_s, u"Horas"_s}, {u"AporId"_s, 2}});
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 5}, {u"OpeLin"_s, 1}, {u"OpeAporId"_s, 2}});
    ui.clear();
    removeThrough(TAPORTE(), u"2"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Eliminación inválida, hay información en \"Concept1\"."_s});
    execute(u"DELETE FROM CONCEPT1"_s);
    ui.clear();
    removeThrough(TAPORTE(), u"2"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Eliminación inválida, hay información en \"Conceptos\"."_s});
    execute(u"DELETE FROM CONCEPT WHERE ConId = 5"_s);
    ui.clear();
    removeThrough(TAPORTE(), u"2"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminar toda la información en Aporte?"_s});
    EXPECT_EQ(countRows(u"APORTE"_s), 0);
    EXPECT_EQ(countRows(u"APORTE1"_s), 0);
    EXPECT_EQ(auditEntries().last(), u"Elimina grupo de aportes 2 FONASA"_s);
}

TEST_F(ContributionsTest, AConditionalContributionIsRefusedWhileGroupLinesOrEmployeesUseIt)
{
    auto form = open(TAPOCONR(), u"0"_s, u"INS"_s);
    expectRefused(*form, u"Falta código de aporte condicional"_s);
    form->setText(u"ApCId"_s, u"1"_s);
    expectRefused(*form, u"Ya existe el registro"_s);
    form->setText(u"ApCId"_s, u"2"_s);
    expectRefused(*form, u"Falta descripción de aporte condicional"_s);

    addRow(u"APORTE1"_s, {{u"AporId"_s, 1}, {u"AporConId"_s, 101}, {u"AporApCId"_s, 1}});
    addRow(u"FUNCIONA"_s, {{u"FunId"_s, 7}, {u"FunApCId"_s, 1}});
    ui.clear();
    removeThrough(TAPOCONR(), u"1"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Eliminación inválida, hay información en \"Aporte1\"."_s});
    execute(u"DELETE FROM APORTE1"_s);
    ui.clear();
    removeThrough(TAPOCONR(), u"1"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Eliminación inválida, hay información en \"Funcionarios\"."_s});
    EXPECT_EQ(countRows(u"APOCON"_s), 1);

    auto panel = openPanel(TAPOCON());
    EXPECT_EQ(column(*panel, 1), QStringList{u"Con cónyuge"_s});
}

}  // namespace
