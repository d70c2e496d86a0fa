// The listings that do not fit one short line a row: locales and works on
// paper turned on its side with long texts continued down their columns,
// leave-day scales with their lines under each scale.
#include "listing_lines.h"
#include "report_fixture.h"

namespace {

class OrganisationListingTest : public ListingDatabaseTest {
protected:
    QList<QStringList> detailLines(int page) const { return readDetailLines(view.document(), page); }

    const TextOperation& textAt(int page, const QString& text) const
    {
        const TextOperation* found = view.document().pages.at(page).findText(text);
        EXPECT_NE(found, nullptr) << text.toStdString();
        static const TextOperation none;
        return found ? *found : none;
    }
};

TEST_F(OrganisationListingTest, LocalesListEveryColumnInKeyOrderAndContinueLongTextsInTheirColumn)
{
    ASSERT_FALSE(database->execute("DELETE FROM LOCALES"));
    add("LOCALES", {{"LocId", 12}, {"LocDesc", "Depósito"}, {"LocDeparta", "Canelones"}, {"LocLocalid", "Pando"},
                    {"LocFchInic", QDateTime(QDate(2010, 8, 16), QTime())}});
    add("LOCALES", {{"LocId", 3}, {"LocDesc", "Avenida General Rivera esquina Soca"}, {"LocNroKm", "3042"},
                    {"LocTelefon", "2709 1111"}, {"LocFax", "2709 1112"}, {"LocPlaTrab", "123456"},
                    {"LocDeparta", "Montevideo"}, {"LocLocalid", "Montevideo"}, {"LocCPostal", "11300"},
                    {"LocFchInic", QDateTime(QDate(1998, 3, 2), QTime())},
                    {"LocFchCier", QDateTime(QDate(2024, 12, 31), QTime())}, {"LocObserva", "Cerrado"}});
    print("RLOCALLI");

    EXPECT_EQ(view.document().name, "Listado de locales");
    EXPECT_EQ(view.document().orientation(), PageOrientation::Landscape);
    ASSERT_EQ(view.document().pages.size(), 1);
    int lastRight = 0;
    for (const char* heading : {"Local", "Descripción/Dirección", "Nº/Km", "Teléfono", "Fax", "NºMTSS",
                                "Departamento", "Localidad", "C.Postal", "Fecha inicio", "Fecha cierre",
                                "Observaciones"}) {
        const TextOperation& text = textAt(0, heading);
        EXPECT_GT(text.box.left, lastRight) << heading;
        lastRight = text.box.right;
    }
    EXPECT_LT(lastRight, view.document().pageWidthPixels() - 30);

    // The long address goes on below itself instead of over the number
    // column; an empty closing date prints nothing.
    EXPECT_EQ(detailLines(0),
              (QList<QStringList>{{"  3", "Avenida General Rivera", "3042", "2709 1111", "2709 1112", "123456",
                                   "Montevideo", "Montevideo", "11300", "02/03/1998", "31/12/2024", "Cerrado"},
                                  {"esquina Soca"},
                                  {" 12", "Depósito", "Canelones", "Pando", "16/08/2010"}}));
    EXPECT_EQ(textAt(0, "esquina Soca").box.left, textAt(0, "Avenida General Rivera").box.left);
}

TEST_F(OrganisationListingTest, WorksTakeTwoLinesUnderTwoRowsOfHeadings)
{
    add("OBRAS", {{"ObrId", "OBRA-B"}, {"ObrEstado", "9"}, {"ObrDireccO", "Sarandí 588"}, {"ObrNroEmpr", "2100345"},
                  {"ObrNroCont", "210034500017"}, {"ObrDigCont", "7"}, {"ObrTipoApo", "1"}, {"ObrTipoCon", "2"},
                  {"ObrRazonSo", "Inmobiliaria Sarandí"}, {"ObrDireccT", "Rincón 477"}, {"ObrTelTit", "2915 3030"},
                  {"ObrCodApor", "15"}, {"ObrTipoVen", "3"}, {"ObrCiuuTit", "4100"}});
    add("OBRAS", {{"ObrId", "OBRA-A"}, {"ObrEstado", "1"}, {"ObrRazonSo", "Fideicomiso"}});
    print("ROBRASLI");

    EXPECT_EQ(view.document().name, "ObrasListado");
    ASSERT_EQ(view.document().pages.size(), 1);
    EXPECT_NE(view.document().pages.at(0).findText("ObrasListado"), nullptr);
    EXPECT_LT(textAt(0, "Id.").box.top, textAt(0, "Razón social").box.top) << "the works' headings above the holder's";
    EXPECT_LT(textAt(0, "Razón social").box.bottom, ListingFrame::detailTop);
    EXPECT_EQ(detailLines(0), (QList<QStringList>{{"OBRA-A", "1"},
                                                  {"Fideicomiso"},
                                                  {"OBRA-B", "9", "Sarandí 588", "2100345", "210034500017-7", "1", "2"},
                                                  {"Inmobiliaria Sarandí", "Rincón 477", "2915 3030", "15", "3",
                                                   "4100"}}));
    EXPECT_EQ(textAt(0, "Rincón 477").box.left, textAt(0, "Dirección titular").box.left);
}

TEST_F(OrganisationListingTest, LeaveDayScalesCarryTheirLinesAndRepeatTheScaleOnANewPage)
{
    add("DIASLICE", {{"DiLId", 2}, {"DilDesc", "Construcción"}});
    add("DIASLICE", {{"DiLId", 1}, {"DilDesc", "General"}});
    add("DIASLICE", {{"DiLId", 4}, {"DilDesc", "Sin escala"}});
    // Scale 2 has more lines than a page holds; scale 3 no longer exists.
    for (int years = 0; years < 70; ++years)
        add("DIASLIC1", {{"DiLId", 2}, {"DiLAnios", years}, {"DiLDias", 20 + years / 4}});
    add("DIASLIC1", {{"DiLId", 1}, {"DiLAnios", 5}, {"DiLDias", 21}});
    add("DIASLIC1", {{"DiLId", 1}, {"DiLAnios", 0}, {"DiLDias", 20}});
    add("DIASLIC1", {{"DiLId", 3}, {"DiLAnios", 0}, {"DiLDias", 99}});
    print("RDIASLIC");

    EXPECT_EQ(view.document().name, "Días de licencia");
    ASSERT_EQ(view.document().pages.size(), 2);
    const QList<QStringList> first = detailLines(0);
    ASSERT_GE(first.size(), 5);
    EXPECT_EQ(first.mid(0, 5), (QList<QStringList>{
                                   {" 1", "General"}, {"  0", " 20"}, {"  5", " 21"}, {" 2", "Construcción"},
                                   {"  0", " 20"}}));
    const QList<QStringList> second = detailLines(1);
    ASSERT_GE(second.size(), 3);
    EXPECT_EQ(second.front(), (QStringList{" 2", "Construcción"})) << "the scale heads its lines on the new page";
    EXPECT_EQ(second.at(1).size(), 2);
    EXPECT_EQ(second.back(), (QStringList{" 4", "Sin escala"}));
    // Every line of scale 2 once, in order, and nothing of the lost scale 3
    // (line texts are three characters wide, scale codes two).
    QStringList years;
    for (const QList<QStringList>& page : {first, second}) {
        for (const QStringList& line : page) {
            if (line.at(0).size() == 3)
                years.append(line.join('|'));
        }
    }
    ASSERT_EQ(years.size(), 72);
    EXPECT_EQ(years.mid(2, 3), (QStringList{"  0| 20", "  1| 20", "  2| 20"}));
    EXPECT_EQ(years.last(), " 69| 37");
    EXPECT_FALSE(years.contains("  0| 99"));
}

}  // namespace
