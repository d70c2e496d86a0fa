// RBASICL2: the basics in number order, each with its values under it, on
// paper turned on its side; a basic carried over to a new page heads its
// values again.
#include "listing_lines.h"
#include "report_fixture.h"

#include <QDate>

namespace {

class BasicValuesListingTest : public ListingDatabaseTest {
protected:
    QList<QStringList> detailLines(int page) const { return readDetailLines(view.document(), page); }

    void addValue(int basic, int position, const char* costCentre, const char* reference, double amount,
                  double previous, const QDate& date)
    {
        add("BASICOS1", {{"BasId", basic}, {"CarId", position}, {"CCId", costCentre}, {"RefAuxId", reference},
                         {"BasClasif", position ? "Jornal" : ""}, {"BasImp", amount}, {"BasImpAnt", previous},
                         {"BasVigenci", QDateTime(date, QTime())}});
    }
};

TEST_F(BasicValuesListingTest, BasicsInNumberOrderEachWithItsValues)
{
    ASSERT_FALSE(database->execute("DELETE FROM BASICOS1"));
    ASSERT_FALSE(database->execute("DELETE FROM BASICOS"));
    add("BASICOS", {{"BasId", 3}, {"BasDesc", "Laudo construcción"}});
    add("BASICOS", {{"BasId", 1}, {"BasDesc", "Salario mínimo nacional"}});
    add("BASICOS", {{"BasId", 9}, {"BasDesc", "Sin valores"}});
    addValue(1, 0, "", "", 24572, 23604, QDate(2026, 1, 1));
    addValue(3, 4, "ADM", "SUNCA", 471.35, 452.3, QDate(2026, 5, 1));
    addValue(3, 4, "", "", 1234567.125, 0, QDate(2026, 5, 1));
    // A value whose basic is gone is not listed.
    addValue(2, 0, "", "", 5, 0, QDate(2026, 1, 1));
    print("RBASICL2");

    EXPECT_EQ(view.document().name, "Listado de básicos");
    EXPECT_EQ(view.document().orientation(), PageOrientation::Landscape);
    ASSERT_EQ(view.document().pages.size(), 1);
    int lastRight = 0;
    for (const char* heading : {"Básico", "Descripción", "Vigencia", "Cargo", "Centro de costo", "Referencia",
                                "Clasificador", "Valor", "Valor anterior"}) {
        const TextOperation* text = view.document().pages.at(0).findText(heading);
        ASSERT_NE(text, nullptr) << heading;
        EXPECT_GT(text->box.left, lastRight) << heading;
        lastRight = text->box.right;
    }
    EXPECT_LT(lastRight, view.document().pageWidthPixels() - 20);
    EXPECT_EQ(detailLines(0), (QList<QStringList>{
                                  {"1", "Salario mínimo nacional"},
                                  {"01/01/2026", "24,572.00", "23,604.00"},
                                  {"3", "Laudo construcción"},
                                  {"01/05/2026", "4", "Jornal", "1,234,567.125", "0.00"},
                                  {"01/05/2026", "4", "ADM", "SUNCA", "Jornal", "471.35", "452.30"},
                                  {"9", "Sin valores"},
                              }));
    // A basic's first value sits on the line right under it.
    const TextOperation* basic = view.document().pages.at(0).findText("Salario mínimo nacional");
    const TextOperation* value = view.document().pages.at(0).findText("24,572.00");
    ASSERT_TRUE(basic && value);
    EXPECT_EQ(value->box.top - basic->box.top, ListingFrame::lineHeight);
}

TEST_F(BasicValuesListingTest, ABasicCarriedToANewPageHeadsItsValuesAgain)
{
    ASSERT_FALSE(database->execute("DELETE FROM BASICOS1"));
    ASSERT_FALSE(database->execute("DELETE FROM BASICOS"));
    add("BASICOS", {{"BasId", 1}, {"BasDesc", "Escala"}});
    for (int position = 1; position <= 80; ++position)
        addValue(1, position, "", "", position * 10.0, 0, QDate(2026, 1, 1));
    print("RBASICL2");

    ASSERT_GE(view.document().pages.size(), 2);
    const QList<QStringList> second = detailLines(1);
    ASSERT_FALSE(second.isEmpty());
    EXPECT_EQ(second.front(), (QStringList{"1", "Escala"}));
    int values = 0;
    for (int page = 0; page < view.document().pages.size(); ++page) {
        for (const QStringList& line : detailLines(page))
            values += line.size() > 2 ? 1 : 0;
    }
    EXPECT_EQ(values, 80) << "every value once";
}

}  // namespace
