// WDEPTOS, WLOCALI, WGRUPO, WSUBGRUP: selection lists over the code-list
// files, the localities of one department and the subgroups of one group.
#include "tables/locale_pickers.h"

#include "organisation_tables_fixture.h"

namespace {

class LocalePickersTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        useCodeLists();
    }

    int workTables()
    {
        QSqlQuery query(work->database().connection());
        if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'")) || !query.next())
            return -1;
        return query.value(0).toInt();
    }
};

TEST_F(LocalePickersTest, LocalitiesOfTheFormsDepartmentOnlyAndTheChoiceComesBackAlone)
{
    auto localities = openPanel(WLOCALI(), pickerKey(QStringLiteral(" canelones "), QStringLiteral("Pando")));
    EXPECT_EQ(column(*localities, 0), (QStringList{QStringLiteral("Pando"), QStringLiteral("Las Piedras")}));
    EXPECT_EQ(localities->result(), QStringLiteral("Pando")) << "closed without a choice: the value passed in";
    localities->confirmSelection(1);
    EXPECT_EQ(localities->result(), QStringLiteral("Las Piedras"));

    // Without a department every locality is offered, in the file's order.
    auto all = openPanel(WLOCALI(), QStringLiteral("Pando"));
    EXPECT_EQ(all->rowCount(), 3);
    EXPECT_EQ(all->cellText(1, 1), QStringLiteral("Montevideo"));

    auto subgroups = openPanel(WSUBGRUP(), pickerKey(QStringLiteral("10"), QString()));
    EXPECT_EQ(column(*subgroups, 1), (QStringList{QStringLiteral("Mayoristas"), QStringLiteral("Minoristas")}));
    subgroups->confirmSelection(1);
    EXPECT_EQ(subgroups->result(), QStringLiteral("02"));
}

TEST_F(LocalePickersTest, DepartmentsAndGroupsHandBackWhatTheLocaleStoresAndFilterByName)
{
    auto departments = openPanel(WDEPTOS(), QString());
    departments->setDescriptionFilter(QStringLiteral("monte"));
    ASSERT_EQ(departments->rowCount(), 1);
    departments->confirmSelection(0);
    EXPECT_EQ(departments->result(), QStringLiteral("Montevideo")) << "a department is stored by name";

    auto groups = openPanel(WGRUPO(), QString());
    groups->setDescriptionFilter(QStringLiteral("construccion"));
    ASSERT_EQ(groups->rowCount(), 1);
    groups->confirmSelection(0);
    EXPECT_EQ(groups->result(), QStringLiteral("09")) << "a group is stored by code";
}

TEST_F(LocalePickersTest, AMissingListIsReportedAndLeavesNoWorkTableBehind)
{
    QFile::remove(codeLists.file(QStringLiteral("locali.txt")));
    ASSERT_FALSE(work->create());
    const int tablesBefore = workTables();
    WorkPanel localities(WLOCALI(), *database, ui, *work);
    const DbError error = localities.open(QStringLiteral("Pando"));
    ASSERT_TRUE(error);
    EXPECT_TRUE(error.message.contains(QStringLiteral("locali.txt"))) << error.message.toStdString();
    EXPECT_FALSE(localities.isOpen());
    EXPECT_EQ(workTables(), tablesBefore);

    // A list read again later is read afresh.
    codeLists.write(QStringLiteral("locali.txt"), "Canelones;Pando\n");
    EXPECT_FALSE(localities.open(QStringLiteral("Pando")));
    EXPECT_EQ(localities.rowCount(), 1);
}

}  // namespace
