// The amount program's window: the operand's description in its own
// column that cannot be typed into, the program read as one formula below
// the grid and kept up as a cell changes, and F4 on "Básic" typing the code
// chosen in the list of basic values.
#include "engine/lines.h"
#include "engine/transaction.h"
#include "main_form_fixture.h"
#include "payroll/concept_formulas.h"
#include "scripted_ui.h"
#include "ui/transaction_window.h"

#include <QLabel>
#include <QTableView>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;

class FormulaWindowTest : public MainFormTest {
protected:
    void add(const QString& table, const RowValues& values)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, table, values, &error)) << error.toStdString();
    }

    ScriptedUi port;
};

TEST_F(FormulaWindowTest, TheFormulaBelowTheGridFollowsTheCellsAndF4ChoosesABasic)
{
    add(u"CONCEPT"_s, {{u"ConId"_s, 5}, {u"ConDesc"_s, u"Horas extra"_s}, {u"ConTipo"_s, 1}, {u"ConUltOpeL"_s, 10}});
    add(u"BASICOS"_s, {{u"BasId"_s, 12}, {u"BasDesc"_s, u"Laudo peón"_s}});
    add(u"CONCEPT1"_s, {{u"ConId"_s, 5}, {u"OpeLin"_s, 10}, {u"OpeOpe"_s, u"+"_s}, {u"OpeUsar"_s, u"HAB"_s}});
    Transaction engine(TCONCEP1(), *database, port);
    engine.start(u"5"_s, u"UPD"_s);
    TransactionWindow window(engine);
    window.show();

    auto* summary = window.findChild<QLabel*>(u"LinesSummary"_s);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->text(), u"HAB"_s);
    QTableView* grid = window.linesView();
    ASSERT_NE(grid, nullptr);
    LineTable& lines = *engine.lines();
    const int description = lines.column(u"Descripcion"_s);
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, description)).toString(), u"Haberes"_s);
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, description)) & Qt::ItemIsEditable);

    grid->model()->setData(grid->model()->index(0, lines.column(u"OpeMult"_s)), u"2"_s);
    EXPECT_EQ(summary->text(), u"HAB × 2"_s);

    port.onCall(u"WKQ00A0"_s, [](QString& key, QString&) { key = u"12"_s; });
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, lines.column(u"BasId"_s)));
    QTest::keyClick(grid, Qt::Key_F4);
    EXPECT_EQ(port.calledObjects(), QStringList{u"WKQ00A0"_s});
    EXPECT_EQ(lines.text(0, lines.column(u"BasId"_s)).trimmed(), u"12"_s);
    EXPECT_EQ(summary->text(), u"HAB 12 × 2"_s);
    engine.close();
}

}  // namespace
