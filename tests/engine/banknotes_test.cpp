// TBILLETE: the value is the whole record, cents included.
#include "tables/banknotes.h"

#include "organisation_tables_fixture.h"

namespace {

class BanknotesTest : public OrganisationTableTest {
protected:
    void add(const QString& value)
    {
        auto form = open(TBILLETE(), QStringLiteral("0"), QStringLiteral("INS"));
        ASSERT_TRUE(form->setText(1, value));
        ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    }
};

TEST_F(BanknotesTest, ACoinsCentsAreKeptAndNamedInTheAudit)
{
    add(QStringLiteral("500"));
    add(QStringLiteral("0.50"));
    EXPECT_EQ(countRows(QStringLiteral("BILLETES")), 2);

    // The list hands the form the key it shows; the coin is found by it.
    auto panel = openPanel(WBILLETE());
    ASSERT_EQ(panel->rowCount(), 2);
    EXPECT_EQ(panel->cellText(0, 0).trimmed(), QStringLiteral("0.50"));
    removeThrough(TBILLETE(), panel->keyAt(0));

    EXPECT_EQ(fieldOf(QStringLiteral("BILLETES"), QStringLiteral("COUNT(*)"), QStringLiteral("BilValor = 500")).toInt(),
              1);
    EXPECT_EQ(countRows(QStringLiteral("BILLETES")), 1);
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Agrega billete 500"), QStringLiteral("Agrega billete 0.50"),
                                         QStringLiteral("Elimina billete 0.50")}));
}

}  // namespace
