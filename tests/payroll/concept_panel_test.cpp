// WCONCEPT and WKQ00N0: the concepts' lists, their filters, the bulk delete's
// question and the protection of the employee preference.
#include "concept_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class ConceptPanelTest : public ConceptTest {
protected:
    void SetUp() override
    {
        ConceptTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addConcept(1, u"Sueldo mensual"_s, 1, {{u"ConNotas"_s, u"Del mes"_s}});
        addConcept(20, u"Aguinaldo"_s, 1);
        addConcept(101, u"Aporte jubilatorio BPS"_s, 2);
        addConcept(150, u"Cuota sindical"_s, 3);
        addConcept(900, u"Días trabajados"_s, 0);
        execute(u"UPDATE CONCEPT SET ConActivo = 0 WHERE ConId = 20"_s);
    }
};

TEST_F(ConceptPanelTest, TheListShowsTypeAndStatusAndFiltersByNumberAndStatus)
{
    auto panel = openPanel(WCONCEPT());
    EXPECT_EQ(panel->title(), u"Conceptos"_s);
    EXPECT_EQ(column(*panel, 0), (QStringList{u"   1"_s, u"  20"_s, u" 101"_s, u" 150"_s, u" 900"_s}));
    EXPECT_EQ(column(*panel, 2), (QStringList{u"Haber"_s, u"Haber"_s, u"Descuento de ley"_s, u"Descuento"_s,
                                              u"Interno"_s}));
    EXPECT_EQ(column(*panel, 3), (QStringList{u"Activo"_s, u"Inactivo"_s, u"Activo"_s, u"Activo"_s, u"Activo"_s}));
    EXPECT_EQ(panel->cellText(0, 4), u"Del mes"_s);

    panel->setFilterValue(u"Numero"_s, u"100"_s);
    EXPECT_EQ(column(*panel, 1), (QStringList{u"Aporte jubilatorio BPS"_s, u"Cuota sindical"_s, u"Días trabajados"_s}));
    panel->setFilterValue(u"Numero"_s, QString());
    panel->setFilterValue(u"Estado"_s, u"0"_s);
    EXPECT_EQ(column(*panel, 1), QStringList{u"Aguinaldo"_s});
    panel->setFilterValue(u"Estado"_s, u"1"_s);
    EXPECT_EQ(panel->rowCount(), 4);
    panel->setDescriptionFilter(u"dias"_s);
    EXPECT_EQ(column(*panel, 1), QStringList{u"Días trabajados"_s});
}

TEST_F(ConceptPanelTest, DeleteAsksThenLeavesItToTheBulkProcedure)
{
    auto panel = openPanel(WCONCEPT());
    const int row = rowOf(*panel, u"150"_s);
    ASSERT_GE(row, 0);
    ui.answer(true);
    panel->remove({row});
    EXPECT_EQ(ui.texts(), QStringList{u"¿Elimina concepto 150 Cuota sindical"_s});
    EXPECT_EQ(conceptField(150, u"ConId"_s).toString(), u"<ninguna>"_s) << "the bulk delete took it";

    // The concept of the employee preferences is never deleted.
    setParameterNumber(u"Default"_s, u"Concepto"_s, 101);
    ui.clear();
    ui.answer(true);
    panel->remove({rowOf(*panel, u"101"_s)});
    EXPECT_EQ(ui.texts(), QStringList{u"No se puede eliminar el concepto, utilizado en preferencias del funcionario"_s});
    EXPECT_EQ(ui.unansweredQuestions(), 0);
}

TEST_F(ConceptPanelTest, ChangesNeedPositionSevenAndTheButtonsOpenTheirObjects)
{
    auto panel = openPanel(WCONCEPT());
    EXPECT_TRUE(panel->addEnabled());
    EXPECT_TRUE(panel->commandEnabled(u"Copiar"_s));
    ui.onCall(u"WCONUSAD"_s, [](QString&, QString&) {});
    panel->press(u"UsadoEn"_s, rowOf(*panel, u"101"_s));
    EXPECT_EQ(ui.calledObjects(), QStringList{u"WCONUSAD"_s});

    VBGlob::put(u"Permisos"_s, u"SSSSSSSMS"_s);  // "M" at 8 only: the tables, not the concepts
    auto readOnly = openPanel(WCONCEPT());
    EXPECT_FALSE(readOnly->addEnabled());
    EXPECT_FALSE(readOnly->commandEnabled(u"Copiar"_s));
    EXPECT_TRUE(readOnly->commandEnabled(u"UsadoEn"_s));
}

TEST_F(ConceptPanelTest, ThePromptListsActiveConceptsFromANumberAndByGroup)
{
    execute(u"UPDATE CONCEPT SET ConGrupo = 'LEYES' WHERE ConId = 101"_s);
    auto prompt = openPanel(WKQ00N0());
    EXPECT_EQ(column(*prompt, 1), (QStringList{u"Sueldo mensual"_s, u"Aporte jubilatorio BPS"_s, u"Cuota sindical"_s,
                                               u"Días trabajados"_s}));
    EXPECT_EQ(prompt->cellText(1, 2), u"Descuento de ley"_s);
    prompt->setFilterValue(u"Inactivos"_s, u"S"_s);
    prompt->setFilterValue(u"Desde"_s, u"20"_s);
    EXPECT_EQ(prompt->rowCount(), 4);
    prompt->setFilterValue(u"Grupo"_s, u"leyes"_s);  // the group in any case
    EXPECT_EQ(column(*prompt, 1), QStringList{u"Aporte jubilatorio BPS"_s});
    prompt->confirmSelection(0);
    EXPECT_EQ(prompt->result(), u"101"_s);
}

}  // namespace
