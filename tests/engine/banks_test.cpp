// TBANCOST: a table without synchronisation group and without audit.
#include "tables/banks.h"

#include "organisation_tables_fixture.h"

namespace {

class BanksTest : public OrganisationTableTest {};

TEST_F(BanksTest, ABankIsDeletedWithoutReferenceCheckAndLeavesNoAuditEntry)
{
    addRow(QStringLiteral("BANCOSTR"), {{QStringLiteral("BanIdTR"), 1},
                                        {QStringLiteral("BanDscTR"), QStringLiteral("Banco República")},
                                        {QStringLiteral("BanBIC"), QStringLiteral("BROUUYMM")}});
    removeThrough(TBANCOST(), QStringLiteral("1"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(countRows(QStringLiteral("BANCOSTR")), 0);
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
}

TEST_F(BanksTest, NoSwitchBlocksABankAndNoChangeIsAudited)
{
    // Every group copied automatically: banks have no group of their own.
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("S"));
    setParameterText(QStringLiteral("SincroAuto"), QString(), QStringLiteral("S"));

    auto form = open(TBANCOST(), QStringLiteral("0"), QStringLiteral("INS"));
    form->setText(1, QStringLiteral("7"));
    form->focusEntered(2);
    form->setText(2, QStringLiteral("Banco Itaú"));
    form->setText(3, QStringLiteral("ITAUUYMM"));
    ASSERT_TRUE(form->confirm());
    form->close();

    auto change = open(TBANCOST(), QStringLiteral("7"), QStringLiteral("UPD"));
    change->setText(2, QStringLiteral("Banco Itaú Uruguay"));
    ASSERT_TRUE(change->confirm());

    EXPECT_TRUE(ui.messages(MessageIcon::Exclamation).isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(QStringLiteral("BANCOSTR"), QStringLiteral("BanDscTR"), QStringLiteral("BanIdTR = 7")).toString(),
              QStringLiteral("Banco Itaú Uruguay"));
    EXPECT_EQ(fieldOf(QStringLiteral("BANCOSTR"), QStringLiteral("BanBIC"), QStringLiteral("BanIdTR = 7")).toString(),
              QStringLiteral("ITAUUYMM"));
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
}

}  // namespace
