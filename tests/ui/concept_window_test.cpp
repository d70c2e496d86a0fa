// The concept form's window and the way to its panel: the header above the
// pages, the bracket limits beside their percentages, the pages laid
// out without clipped labels or combos too narrow for their texts, and the
// main menu's "Conceptos" opening WCONCEPT.
#include "main_form_fixture.h"
#include "scripted_ui.h"

#include "engine/transaction.h"
#include "payroll/concepts.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;

class ConceptWindowTest : public MainFormTest {
protected:
    ScriptedUi port;
};

TEST_F(ConceptWindowTest, TheHeaderStandsAboveFivePagesWithNothingClipped)
{
    QSqlQuery(database->connection()).exec(u"UPDATE CONFIGUR SET CfFranja1 = 7, CfFranja2 = 115"_s);
    Transaction engine(TCONCEP(), *database, port);
    engine.start(u"0"_s, u"INS"_s);
    TransactionWindow window(engine);
    window.show();
    window.resize(window.sizeHint());
    QApplication::processEvents();

    auto* tabs = window.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 5);
    // The code, description and status are outside the pages.
    for (const QString& name : {u"ConId"_s, u"ConDesc"_s, u"ConActivo"_s}) {
        QWidget* input = window.input(engine.position(name));
        ASSERT_NE(input, nullptr) << name.toStdString();
        EXPECT_FALSE(tabs->isAncestorOf(input)) << name.toStdString();
    }

    // The limits stand on the rows of their percentages.
    QLabel* first = window.computedLabel(0);
    QLabel* second = window.computedLabel(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->text(), u"hasta 7 bpc"_s);
    EXPECT_EQ(second->text(), u"más de 115 bpc"_s);
    QWidget* percentage = window.input(engine.position(u"ConPorR1"_s));
    EXPECT_EQ(first->mapTo(&window, QPoint(0, first->height() / 2)).y() / 4,
              percentage->mapTo(&window, QPoint(0, percentage->height() / 2)).y() / 4);

    // Labels are checked in every declared window (keyboard_test); combos here.
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QApplication::processEvents();
        QWidget* shown = tabs->currentWidget();
        for (auto* combo : shown->findChildren<QComboBox*>()) {
            if (combo->isVisible()) {
                EXPECT_GE(combo->width(), combo->minimumSizeHint().width()) << combo->currentText().toStdString();
            }
        }
    }
    // The whole form, every page laid out in full, fits a screen of 1280 by
    // 720 (the main window of 1024 by 720 scrolls its area to show it).
    EXPECT_LE(window.sizeHint().width(), 1280);
    EXPECT_LE(window.sizeHint().height(), 720);
}

TEST_F(ConceptWindowTest, ARefusalBringsItsPageForward)
{
    Transaction engine(TCONCEP(), *database, port);
    engine.start(u"0"_s, u"INS"_s);
    TransactionWindow window(engine);
    window.show();
    auto* tabs = window.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    engine.setText(u"ConId"_s, u"77"_s);
    ASSERT_TRUE(engine.focusEntered(2));
    engine.setText(u"ConDesc"_s, u"Viáticos"_s);
    engine.setText(u"ConTipo"_s, u"Haber"_s);
    engine.setText(u"ConGraCC"_s, u"Forzado"_s);  // refused outside the client-server installation
    EXPECT_FALSE(engine.confirm());
    window.refresh();
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(port.texts(), QStringList{u"Esta opción esta disponible solamente para la versión Cliente Servidor"_s});
}

TEST_F(ConceptWindowTest, TheMainMenuOpensTheConceptsPanelWithPositionSeven)
{
    logIn(u"ana"_s, u"SSSSSSMSS"_s);
    form.runCommand(u"Id_conceptos"_s);
    QApplication::processEvents();
    auto* panel = qobject_cast<WorkPanelWindow*>(form.host().openWindow(u"WCONCEPT"_s));
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel->findChild<QLineEdit*>(u"Numero"_s), nullptr);
    EXPECT_NE(panel->findChild<QComboBox*>(u"Estado"_s), nullptr);
}

}  // namespace
