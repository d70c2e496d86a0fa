// TRUBRO: a fifteen-digit number and a required currency.
#include "tables/headings.h"

#include "organisation_tables_fixture.h"

namespace {

class HeadingsTest : public OrganisationTableTest {};

TEST_F(HeadingsTest, AFifteenDigitHeadingIsStoredAndAuditedWhole)
{
    auto form = open(TRUBRO(), QStringLiteral("0"), QStringLiteral("INS"));
    ASSERT_TRUE(form->setText(1, QStringLiteral("123456789012345")));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Sueldos"));
    form->setText(4, QStringLiteral("5.2.1.1"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Falta moneda")});
    EXPECT_EQ(form->takeFocusRequest(), 3);

    form->setText(3, QStringLiteral("1"));
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(fieldOf(QStringLiteral("RUBROS"), QStringLiteral("RubDesc"), QStringLiteral("RubId = 123456789012345"))
                  .toString(),
              QStringLiteral("Sueldos"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral(
                                "Agrega rubro 123456789012345, descripción = Sueldos, moneda = 1, rubro externo = 5.2.1.1")});
}

TEST_F(HeadingsTest, AHeadingPostedToByAnEntryLineIsNotDeleted)
{
    addRow(QStringLiteral("RUBROS"), {{QStringLiteral("RubId"), 52110}, {QStringLiteral("RubDesc"), QStringLiteral("Sueldos")},
                                      {QStringLiteral("RubMon"), 1}});
    addRow(QStringLiteral("ASIENTO1"), {{QStringLiteral("AsiId"), 1}, {QStringLiteral("AsiLin"), 1},
                                        {QStringLiteral("RubId"), 52110}});
    removeThrough(TRUBRO(), QStringLiteral("52110"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"Asiento1\".")});
    EXPECT_EQ(countRows(QStringLiteral("RUBROS")), 1);
}

}  // namespace
