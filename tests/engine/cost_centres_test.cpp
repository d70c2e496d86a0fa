// TCENTROC: a text key in upper case, checked in seven tables.
#include "tables/cost_centres.h"

#include "organisation_tables_fixture.h"

namespace {

class CostCentresTest : public OrganisationTableTest {};

TEST_F(CostCentresTest, KeyIsUpperCasedAndBothTextsAreAudited)
{
    auto form = open(TCENTROC(), QString(), QStringLiteral("INS"));
    ASSERT_TRUE(form->setText(1, QStringLiteral("obra-punta")));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(3, QStringLiteral("6220"));
    ASSERT_TRUE(form->confirm()) << "the description may stay empty";
    EXPECT_EQ(fieldOf(QStringLiteral("CENTROCO"), QStringLiteral("CCIdExt"), QStringLiteral("CCId = 'OBRA-PUNTA'"))
                  .toString(),
              QStringLiteral("6220"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega centro de costo OBRA-PUNTA, centro de costo externo = 6220")});
}

TEST_F(CostCentresTest, AnEmployeesSplitHoldsItsCostCentreOnly)
{
    for (const char* code : {"OBRA", "OBRA-PUNTA"})
        addRow(QStringLiteral("CENTROCO"), {{QStringLiteral("CCId"), QString::fromLatin1(code)},
                                            {QStringLiteral("CCDesc"), QStringLiteral("Obra")}});
    addRow(QStringLiteral("CARGOSCC"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("FunCCId"), QStringLiteral("OBRA-PUNTA")}});

    removeThrough(TCENTROC(), QStringLiteral("OBRA-PUNTA"));
    EXPECT_EQ(ui.texts(),
              QStringList{QStringLiteral("Eliminación inválida, hay información en \"Centro de costos Funcionario\".")});
    ui.clear();
    removeThrough(TCENTROC(), QStringLiteral("OBRA"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina centro de costo OBRA")});
}

}  // namespace
