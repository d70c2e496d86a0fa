// The listings of the other organisation tables: each reads its own table in
// key order and shows its columns through their pictures.
#include "reports/table_listing.h"

#include "report_fixture.h"

namespace {

struct ListingCase {
    const char* name;
    QString title;
    QString table;
    QList<RowValues> rows;              ///< inserted in this order
    QStringList headings;
    QList<QStringList> expectedLines;   ///< detail texts, line by line
};

void PrintTo(const ListingCase& listingCase, std::ostream* out)
{
    *out << listingCase.name;
}

class MasterListingTest : public ListingDatabaseTest, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(MasterListingTest, ListsItsTableInKeyOrderWithItsHeadings)
{
    const ListingCase& listingCase = GetParam();
    ASSERT_FALSE(database->execute("DELETE FROM " + listingCase.table));
    for (const RowValues& row : listingCase.rows)
        add(listingCase.table, row);
    ASSERT_NO_FATAL_FAILURE(print(listingCase.name));

    EXPECT_EQ(view.document().name, Listings::find(listingCase.name)->title);
    ASSERT_EQ(view.document().pages.size(), 1);
    const ReportPage& page = view.document().pages.at(0);
    EXPECT_NE(page.findText(listingCase.title), nullptr);
    EXPECT_NE(page.findText("Página:"), nullptr);
    int lastLeft = 0;
    for (const QString& heading : listingCase.headings) {
        const TextOperation* text = page.findText(heading);
        ASSERT_NE(text, nullptr) << heading.toStdString();
        EXPECT_GT(text->box.left, lastLeft) << "headings run left to right without overlap";
        lastLeft = text->box.right;
        EXPECT_LE(text->box.right, 759);
    }
    EXPECT_EQ(detailLines(view.document()), listingCase.expectedLines);
}

INSTANTIATE_TEST_SUITE_P(
    OrganisationTables, MasterListingTest,
    ::testing::Values(
        ListingCase{"RCARGOLI", "Cargos", "CARGOS",
                    {{{"CarId", 20}, {"CarDesc1", "Oficial"}, {"CarDesc2", "albañil"}},
                     {{"CarId", 3}, {"CarDesc1", "Peón"}, {"CarDesc2", QVariant()}}},
                    {"Cargo", "Descripción"},
                    {{"   3", "Peón"}, {"  20", "Oficial albañil"}}},
        ListingCase{"RCENTROC", "Centros de costo", "CENTROCO",
                    {{{"CCId", "OBRA2"}, {"CCDesc", "Torre norte"}}, {{"CCId", "ADM"}, {"CCDesc", "Oficina"}}},
                    {"Centro de costo", "Descripción"},
                    {{"ADM", "Oficina"}, {"OBRA2", "Torre norte"}}},
        ListingCase{"RHORARIO", "Horarios", "HORARIOS",
                    {{{"HorId", 9}, {"HorDesc", "Nocturno"}}, {{"HorId", 1}, {"HorDesc", "Diurno"}}},
                    {"Horario", "Descripción"},
                    {{"  1", "Diurno"}, {"  9", "Nocturno"}}},
        ListingCase{"RLUGARTR", "Lugares de trabajo", "LUGARTRA",
                    {{{"TraId", 2}, {"TraDesc", "Obra Pocitos"}}, {{"TraId", 1}, {"TraDesc", "Taller"}}},
                    {"Lugar", "Descripción"},
                    {{"  1", "Taller"}, {"  2", "Obra Pocitos"}}},
        ListingCase{"RLUGARCO", "Lugares de cobro", "LUGARCOB",
                    {{{"CobId", 5}, {"CobDesc", "Banco"}, {"LugEnsob", "ofi"}},
                     {{"CobId", 4}, {"CobDesc", "Caja"}, {"LugEnsob", "OBR"}}},
                    {"Lugar", "Descripción", "Lugar de ensobrado"},
                    {{"  4", "Caja", "OBR"}, {"  5", "Banco", "OFI"}}},
        ListingCase{"RRUBROLI", "Rubros", "RUBROS",
                    {{{"RubId", 511000000000001.0}, {"RubDesc", "Sueldos"}}, {{"RubId", 42}, {"RubDesc", "Caja"}}},
                    {"Rubro", "Descripción"},
                    {{"             42", "Caja"}, {"511000000000001", "Sueldos"}}},
        ListingCase{"RCODIGOL", "Códigos de anotación", "FICCOD",
                    {{{"FicCod", "VAC"}, {"FicDesc", "Vacaciones"}, {"FicAutoges", 1}, {"FicReConf", 0},
                      {"FicPerCons", 12}},
                     {{"FicCod", "ACC"}, {"FicDesc", "Accidente"}, {"FicAutoges", 0}, {"FicReConf", -1},
                      {"FicPerCons", 0}}},
                    {"Código", "Descripción", "Se permite consultar", "Marcar como leído",
                     "Período de consulta en meses"},
                    {{"ACC", "Accidente", "No", "Si", "  0"}, {"VAC", "Vacaciones", "Si", "No", " 12"}}}),
    [](const ::testing::TestParamInfo<ListingCase>& info) { return std::string(info.param.name); });

TEST(TableListing, FlagsReadAsSiOrNo)
{
    for (const QVariant& yes : {QVariant("S"), QVariant(" s "), QVariant(-1), QVariant(1)})
        EXPECT_EQ(yesNo(yes), "Si") << yes.toString().toStdString();
    for (const QVariant& no : {QVariant("N"), QVariant(0), QVariant()})
        EXPECT_EQ(yesNo(no), "No") << no.toString().toStdString();
}

TEST(Listings, EveryRegisteredListingHasATitleAndAProcedureAndIsFoundInAnyLetterCase)
{
    QStringList names;
    for (const ListingEntry& entry : Listings::all()) {
        EXPECT_TRUE(entry.name.startsWith('R')) << entry.name.toStdString();
        EXPECT_LE(entry.name.size(), 8);
        EXPECT_FALSE(entry.title.isEmpty());
        EXPECT_NE(entry.run, nullptr);
        names.append(entry.name);
    }
    EXPECT_EQ(names.removeDuplicates(), 0);
    // Each is found by its object name in any letter case.
    const ListingEntry* entry = Listings::find(" rcategor ");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, "RCATEGOR");
    EXPECT_EQ(entry->title, "Listado de Categorias");
    EXPECT_EQ(entry->run, &RCATEGOR);
    EXPECT_EQ(Listings::find("RNOEXIST"), nullptr);
}

}  // namespace
