// The locale form's pickers through the real windows: F4 in the locality
// opens the localities of the department typed above it on the locality the
// form holds, and the one chosen comes back into the form.
#include "data/database.h"
#include "data/database_setup.h"
#include "engine/transaction.h"
#include "message_box_watcher.h"
#include "startup/vbglob.h"
#include "tables/code_lists.h"
#include "temp_folder.h"
#include "ui/main_form.h"
#include "ui/object_host.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class LocalePickerWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(createDatabaseFile(folder.path(), false, &error)) << error.toStdString();
        database = std::make_unique<Database>(DatabaseLocation::sqliteFile(folder.file("KQ_DATA.MDB")));
        ASSERT_TRUE(database->open());
        Database::setMain(database.get());
        lists.write("deptos.txt", "02;Canelones\n10;Montevideo\n");
        lists.write("locali.txt", "Canelones;Pando\nMontevideo;Montevideo\nCanelones;Las Piedras\n");
        CodeLists::setFolder(lists.path());
        VBGlob::clear();
        VBGlob::put("Usuario", "ana");
        VBGlob::put("Permisos", "SSSSSSMMS");
        form.setDatabase(database.get());
        form.resize(1000, 700);
        form.show();
    }
    void TearDown() override
    {
        form.area()->closeAllSubWindows();
        QApplication::processEvents();
        CodeLists::setFolder(QString());
        Database::setMain(nullptr);
    }

    template <typename Window>
    Window* openWindow(const QString& name)
    {
        for (QMdiSubWindow* frame : form.area()->subWindowList()) {
            auto* window = qobject_cast<Window*>(frame->widget());
            if (window && window->objectName() == name)
                return window;
        }
        return nullptr;
    }

    TempFolder folder;
    TempFolder lists;
    std::unique_ptr<Database> database;
    MainForm form;
    MessageBoxWatcher boxes;
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
