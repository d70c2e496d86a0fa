// TLUGARCO: the audit of a modification names only what changed.
#include "tables/places_of_payment.h"

#include "organisation_tables_fixture.h"

namespace {

class PlacesOfPaymentTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        addRow(QStringLiteral("LUGARCOB"), {{QStringLiteral("CobId"), 2},
                                            {QStringLiteral("CobDesc"), QStringLiteral("Obra Ciudad Vieja")},
                                            {QStringLiteral("LugEnsob"), QStringLiteral("OCV")}});
    }
};

TEST_F(PlacesOfPaymentTest, ModifyWithoutChangeAuditsTheKeyAlone)
{
    auto form = open(TLUGARCO(), QStringLiteral("2"), QStringLiteral("UPD"));
    ASSERT_EQ(form->text(3), QStringLiteral("OCV"));
    ASSERT_TRUE(form->confirm());
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica lugar de cobro 2")});
}

TEST_F(PlacesOfPaymentTest, ModifyNamesTheEnvelopePlaceAloneWhenOnlyItChanged)
{
    auto form = open(TLUGARCO(), QStringLiteral("2"), QStringLiteral("UPD"));
    ASSERT_TRUE(form->setText(3, QStringLiteral("ofc")));
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(fieldOf(QStringLiteral("LUGARCOB"), QStringLiteral("LugEnsob"), QStringLiteral("CobId = 2")).toString(),
              QStringLiteral("OFC"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica lugar de cobro 2, lugar de ensobrado = OFC")});
}

TEST_F(PlacesOfPaymentTest, DeleteIsRefusedWhileTheHistoryOrAnEmployeeUsesThePlace)
{
    addRow(QStringLiteral("FUNCIONA"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunCobId"), 2}});
    addRow(QStringLiteral("HISTORIA"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("HCorLiq"), 1},
                                        {QStringLiteral("HCorLin"), 1}, {QStringLiteral("HCobId"), 2}});
    removeThrough(TLUGARCO(), QStringLiteral("2"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"Historia\".")});
    execute(QStringLiteral("DELETE FROM HISTORIA"));
    ui.clear();
    removeThrough(TLUGARCO(), QStringLiteral("2"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"Funcionarios\".")});
    EXPECT_EQ(countRows(QStringLiteral("LUGARCOB")), 1);
}

}  // namespace
