// TLUGARTR: the profiles' access to a new place of work.
#include "tables/places_of_work.h"

#include "organisation_tables_fixture.h"
#include "support/pencript.h"

namespace {

class PlacesOfWorkTest : public OrganisationTableTest {
protected:
    QString access(int place)
    {
        return fieldOf(QStringLiteral("LUGARTRA"), QStringLiteral("TraPerfile"),
                       QStringLiteral("TraId = %1").arg(place))
            .toString();
    }
};

TEST_F(PlacesOfWorkTest, ANewPlaceIsOpenToEveryProfileAndAModificationKeepsTheAccess)
{
    EXPECT_EQ(pencriptUnscramble(newPlaceOfWorkAccess()), QString(50, u'S'));
    EXPECT_NE(newPlaceOfWorkAccess(), QString(50, u'S'));  // not stored readable

    auto form = open(TLUGARTR(), QStringLiteral("0"), QStringLiteral("INS"));
    form->setText(1, QStringLiteral("5"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Obra Carrasco"));
    ASSERT_TRUE(form->confirm());
    form->close();
    EXPECT_EQ(access(5), newPlaceOfWorkAccess());
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega lugar de trabajo 5, descripción = Obra Carrasco")});

    // The profiles form has since closed the place to the second profile.
    const QString restricted = *pencriptScramble(QStringLiteral("SN") + QString(48, u'S'));
    ASSERT_FALSE(database->execute(QStringLiteral("UPDATE LUGARTRA SET TraPerfile = ? WHERE TraId = 5"), {restricted}));
    auto change = open(TLUGARTR(), QStringLiteral("5"), QStringLiteral("UPD"));
    change->setText(2, QStringLiteral("Obra Carrasco Norte"));
    ASSERT_TRUE(change->confirm());
    EXPECT_EQ(access(5), restricted);
}

}  // namespace
