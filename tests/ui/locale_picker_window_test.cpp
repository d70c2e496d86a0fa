// The locale form's pickers through the real windows: F4 in the locality
// opens the localities of the department typed above it on the locality the
// form holds, and the one chosen comes back into the form.
#include "engine/transaction.h"
#include "main_form_fixture.h"
#include "tables/code_lists.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

class LocalePickerWindowTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        lists.write("deptos.txt", "02;Canelones\n10;Montevideo\n");
        lists.write("locali.txt", "Canelones;Pando\nMontevideo;Montevideo\nCanelones;Las Piedras\n");
        CodeLists::setFolder(lists.path());
    }
    void TearDown() override
    {
        MainFormTest::TearDown();
        CodeLists::setFolder(QString());
    }

    TempFolder lists;
};

TEST_F(LocalePickerWindowTest, F4InTheLocalityOffersTheDepartmentsLocalitiesAndBringsTheChoiceBack)
{
    QStringList offered;
    int openedOn = -1;
    QString shown;
    QTimer::singleShot(200, [&] {
        auto* window = openWindow<TransactionWindow>("TLOCAL");
        ASSERT_NE(window, nullptr);
        auto* department = qobject_cast<QLineEdit*>(window->input(window->engine().position("LocDeparta")));
        auto* locality = qobject_cast<QLineEdit*>(window->input(window->engine().position("LocLocalid")));
        ASSERT_TRUE(department && locality);
        department->setFocus();
        QTest::keyClicks(department, "Canelones");
        locality->setFocus();
        QTest::keyClicks(locality, "Las Piedras");
        QTimer::singleShot(200, [&] {
            auto* picker = openWindow<WorkPanelWindow>("WLOCALI");
            ASSERT_NE(picker, nullptr);
            for (int row = 0; row < picker->model()->rowCount(); ++row)
                offered << picker->model()->index(row, 0).data().toString();
            openedOn = picker->grid()->currentIndex().row();
            picker->grid()->selectRow(0);
            picker->confirmSelection();
        });
        QTest::keyClick(locality, Qt::Key_F4);
        shown = locality->text();
        closeWindow(window);
    });
    QString key = "0";
    QString mode = "INS";
    ASSERT_TRUE(form.host().call("TLOCAL", key, mode));
    EXPECT_EQ(offered, (QStringList{"Pando", "Las Piedras"}));
    EXPECT_EQ(openedOn, 1) << "the list opens on the locality the form holds";
    EXPECT_EQ(shown, "Pando");
}

}  // namespace
