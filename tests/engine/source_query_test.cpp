// A panel whose rows come from a select made again, with its filter values
// bound, on every load. (A line column shown but never stored is the line
// hooks' test: their review writes lines beside such a column.)
#include "engine/work_panel.h"
#include "tables/categories.h"

#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

class SourceQueryTest : public OrganisationTableTest {
protected:
};

TEST_F(SourceQueryTest, ThePanelBindsItsFilterValuesAndKeepsTheSelectsOrder)
{
    for (const auto& [number, description] : QList<std::pair<int, QString>>{
             {1, u"Peones"_s}, {2, u"Administrativos"_s}, {3, u"Capataces"_s}, {4, u"Peones de obra"_s}})
        addCategory(number, description);
    WorkPanelDecl declaration = WCATEGOR();
    declaration.filters = {{u"Desde"_s, u"Desde"_s, FilterKind::StartNumber, {}}};
    declaration.sourceQuery = [](const WorkPanel& panel) {
        return SourceQuery{u"SELECT * FROM CATEGORI WHERE CatId >= ? ORDER BY CatDesc DESC"_s,
                           {panel.filterValue(u"Desde"_s).toInt()}};
    };
    auto panel = openPanel(declaration);
    EXPECT_EQ(keys(*panel), (QStringList{u"4"_s, u"1"_s, u"3"_s, u"2"_s}));
    panel->setFilterValue(u"Desde"_s, u"3"_s);
    EXPECT_EQ(keys(*panel), (QStringList{u"4"_s, u"3"_s}));
    // A row added meanwhile is read by the next load.
    addCategory(5, u"Zafrales"_s);
    panel->refresh();
    EXPECT_EQ(keys(*panel), (QStringList{u"5"_s, u"4"_s, u"3"_s}));
}

}  // namespace
