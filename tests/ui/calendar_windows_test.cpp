// Window tests of the holiday calendars: the main menu's and the menu bar's
// "Calendario feriados", and the range panel WPARFERI, where the person
// types the years, marks a weekday and confirms with Enter; a refusal keeps
// the window open.
#include "main_form_fixture.h"
#include "data/database_setup.h"
#include "ui/holiday_range_window.h"
#include "ui/main_menu_window.h"
#include "ui/work_panel_window.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

class CalendarWindowsTest : public MainFormTest {};

}  // namespace

TEST_F(CalendarWindowsTest, RefusesMissingYearsThenGeneratesAndCloses)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, "CALFER", {{"CalFerId", "NA"}, {"CalFerDsc", "Feriados nacionales"}}, &error));
    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* range = openWindow<HolidayRangeWindow>();
        if (!range)
            return;
        typed = true;
        EXPECT_EQ(range->windowTitle(), "Agregar rango de feriados");
        EXPECT_TRUE(range->weekdayBox(Qt::Sunday)->isChecked());
        EXPECT_EQ(range->linesGrid()->item(0, 1)->text(), "Año Nuevo");
        QTest::keyClicks(range->yearFromBox(), "2025");
        QTest::keyClick(range->yearFromBox(), Qt::Key_Return);
        QTest::keyClicks(range->yearToBox(), "2025");
        range->weekdayBox(Qt::Sunday)->setChecked(false);
        range->weekdayBox(Qt::Saturday)->setChecked(true);
        QTest::keyClick(range->yearToBox(), Qt::Key_Return);
    });
    QString key = "NA\tFeriados nacionales";
    QString mode = "I";
    ASSERT_TRUE(form.host().call("WPARFERI", key, mode));
    ASSERT_TRUE(typed);
    // Every check that fails says so: with no year to, 2025 is also past it.
    EXPECT_EQ(boxes.texts(), (QStringList{"Debe indicar año hasta", "El año hasta debe ser mayor o igual al año desde",
                                          "Se han agregado los feriados"}));
    EXPECT_EQ(openWindow<HolidayRangeWindow>(), nullptr);
    QSqlQuery count(database->connection());
    ASSERT_TRUE(count.exec("SELECT COUNT(*) FROM CALFER1 WHERE CalFerId = 'NA'") && count.next());
    // The 52 Saturdays of 2025 and the 8 fixed days, none of them a Saturday.
    EXPECT_EQ(count.value(0).toInt(), 52 + 8);
}

TEST_F(CalendarWindowsTest, MainMenuAndMenuBarOpenTheCalendars)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, "CALFER", {{"CalFerId", "NA"}, {"CalFerDsc", "Feriados nacionales"}}, &error));
    MainMenuWindow* menu = showMainMenu();
    EXPECT_TRUE(menu->button("Bcalferiados")->isEnabled());
    QTest::mouseClick(menu->button("Bcalferiados"), Qt::LeftButton);
    auto* panel = qobject_cast<WorkPanelWindow*>(form.host().openWindow("WCALFER"));
    ASSERT_NE(panel, nullptr);
    closeWindow(panel);
    QApplication::processEvents();
    ASSERT_EQ(form.host().openWindow("WCALFER"), nullptr);

    form.runCommand("Id_calendario_feriados");
    EXPECT_NE(form.host().openWindow("WCALFER"), nullptr);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(" | ").toStdString();
}
