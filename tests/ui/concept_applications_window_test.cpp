// The applications window WCONAPLI: the person types a condition into the
// grid, the help box follows the current row, a refused row keeps the window
// open with the focus on it, and a confirmed grid is written and closes.
#include "main_form_fixture.h"
#include "data/database_setup.h"
#include "ui/concept_applications_window.h"

#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

class ConceptApplicationsWindowTest : public MainFormTest {};

}  // namespace

TEST_F(ConceptApplicationsWindowTest, ARefusedRowKeepsTheWindowThenTheGridIsWritten)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, "CONCEPT", {{"ConId", 150}, {"ConDesc", "Cuota sindical"}, {"ConActivo", 1}},
                          &error));
    bool typed = false;
    QTimer::singleShot(100, [&] {
        auto* window = openWindow<ConceptApplicationsWindow>();
        if (!window)
            return;
        typed = true;
        EXPECT_EQ(window->windowTitle(), "Se aplica a");
        QTableWidget* grid = window->grid();
        // The fixed attributes: "Admnistrativo/Obrero" first, then "Mensuales/Jornaleros".
        ASSERT_EQ(grid->rowCount(), 2);
        EXPECT_EQ(grid->item(1, 0)->text(), "Mensuales/Jornaleros");
        grid->setCurrentCell(1, 1);
        EXPECT_TRUE(window->helpBox()->toPlainText().startsWith("Tipo: Alfanumérico, longitud: 1\nValidación: M,J"));
        grid->item(1, 1)->setText("x");
        EXPECT_EQ(grid->item(1, 1)->text(), "X");
        grid->setCurrentCell(0, 1);
        window->confirm();
        EXPECT_EQ(grid->currentRow(), 1);
        grid->item(1, 1)->setText("m");
        window->confirm();
    });
    QString key = "150";
    QString mode = "UPD";
    ASSERT_TRUE(form.host().call("WCONAPLI", key, mode));
    ASSERT_TRUE(typed);
    EXPECT_EQ(boxes.texts(), QStringList{"El valor X no es correcto para el At. adicional Mensuales/Jornaleros"});
    EXPECT_EQ(openWindow<ConceptApplicationsWindow>(), nullptr);
    QSqlQuery stored(database->connection());
    ASSERT_TRUE(stored.exec("SELECT ConAplValo FROM CONCEPT5 WHERE ConId = 150 AND ConAplId = 1") && stored.next());
    EXPECT_EQ(stored.value(0).toString(), "M");
}
