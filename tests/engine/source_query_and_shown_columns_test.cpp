// Two things a declaration may ask of the engines: a panel whose rows come
// from a select made again, with its filter values bound, on every load; and
// a column of lines that is shown beside the stored ones but never stored.
#include "engine/lines.h"
#include "engine/work_panel.h"
#include "tables/categories.h"
#include "tables/raises.h"

#include "organisation_tables_fixture.h"

#include <QDate>

namespace {

using namespace Qt::StringLiterals;

class SourceQueryTest : public OrganisationTableTest {
protected:
    static QStringList keys(const WorkPanel& panel)
    {
        QStringList found;
        for (int row = 0; row < panel.rowCount(); ++row)
            found << panel.keyAt(row);
        return found;
    }
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

TEST_F(SourceQueryTest, AShownLineColumnIsComputedAndNeverStored)
{
    LineTableDecl lines = raiseLines();
    lines.columns.append({u"Doble"_s, u"Doble"_s, {}, [](const LineTable& table, int row) {
                              return QString::number(table.value(row, 1).toDouble() * 2);
                          }});
    TransactionDecl form = TTABAUME();
    form.lines = &lines;
    addRow(u"AUMENTO"_s, {{u"AumId"_s, 3}, {u"AumDesc"_s, u"Comercio"_s}});
    auto opened = open(form, u"3"_s, u"UPD"_s);
    LineTable* grid = LineTable::of(*opened);
    ASSERT_NE(grid, nullptr);
    const int row = grid->addLine();
    grid->setText(row, 0, u"01/07/25"_s);
    grid->setText(row, 1, u"4.5"_s);
    EXPECT_EQ(grid->text(row, 3), u"9"_s);
    EXPECT_FALSE(grid->setText(row, 3, u"1"_s));
    ASSERT_TRUE(opened->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"AUMENTO1"_s, u"AumPor"_s, u"AumId = 3"_s).toDouble(), 4.5);
    EXPECT_EQ(grid->text(0, 3), u"9"_s);
}

}  // namespace
