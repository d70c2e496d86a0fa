// The generic form window draws what a declaration of the payroll forms
// holds: tab pages, frames with option buttons, a memo, a computed label, a
// command of its own, and the grid of lines, whose open cell counts when
// the form is confirmed.
#include "concept_shaped_form.h"
#include "main_form_fixture.h"
#include "scripted_ui.h"

#include "engine/lines.h"
#include "engine/transaction.h"
#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/work_panel.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;

class FormWindowTest : public MainFormTest {
protected:
    QVariant stored(const QString& select)
    {
        QSqlQuery query(database->connection());
        if (!query.exec(select) || !query.next())
            return u"<ninguno>"_s;
        return query.value(0);
    }

    ScriptedUi port;
};

TEST_F(FormWindowTest, PagesFramesOptionsMemoLabelAndCommandAreDrawnFromTheDeclaration)
{
    Transaction engine(conceptShapedForm(), *database, port);
    engine.start(u"0"_s, u"INS"_s);
    TransactionWindow window(engine);
    window.show();

    auto* tabs = window.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    QStringList captions;
    for (int page = 0; page < tabs->count(); ++page)
        captions << tabs->tabText(page);
    EXPECT_EQ(captions, (QStringList{u"General"_s, u"Liquidación"_s, u"IRPF"_s, u"Contabilidad"_s, u"Notas"_s}));

    auto* frame = window.findChild<QGroupBox*>();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), u"Tipo de concepto"_s);
    QStringList options;
    QString checked;
    for (QRadioButton* option : frame->findChildren<QRadioButton*>()) {
        options << option->text();
        if (option->isChecked())
            checked = option->text();
    }
    EXPECT_EQ(options, (QStringList{u"Haber"_s, u"Descuento de ley"_s, u"Descuento"_s, u"Interno"_s}));
    EXPECT_EQ(checked, u"Haber"_s) << "the default of a new record";
    EXPECT_NE(qobject_cast<QPlainTextEdit*>(window.input(engine.position(u"ConNotas"_s))), nullptr);
    ASSERT_NE(window.computedLabel(0), nullptr);
    EXPECT_EQ(window.computedLabel(0)->text(), u"Conceptos definidos: 0"_s);

    // Choosing a deduction disables the earnings' percentage.
    QWidget* taxed = window.input(engine.position(u"ConPorGrav"_s));
    EXPECT_TRUE(taxed->isEnabled());
    frame->findChildren<QRadioButton*>().at(2)->click();
    EXPECT_FALSE(taxed->isEnabled());

    // The form's own command, refused while the record is being added.
    QAbstractButton* command = window.commandButton(u"Lineas"_s);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), u"&Líneas de cantidad"_s);
    command->click();
    EXPECT_EQ(port.texts(), QStringList{u"Debe confirmar antes los datos"_s});
    // Enter on the focused button presses it too.
    port.clear();
    command->setFocus();
    QTest::keyClick(command, Qt::Key_Return);
    EXPECT_EQ(port.texts(), QStringList{u"Debe confirmar antes los datos"_s});
}

TEST_F(FormWindowTest, TheCellBeingTypedIsWrittenWhenTheFormIsConfirmed)
{
    Transaction engine(conceptShapedForm(), *database, port);
    engine.start(u"0"_s, u"INS"_s);
    TransactionWindow window(engine);
    window.show();
    QApplication::setActiveWindow(&window);

    auto* key = qobject_cast<QLineEdit*>(window.input(1));
    auto* description = qobject_cast<QLineEdit*>(window.input(2));
    ASSERT_TRUE(key && description);
    key->setFocus();
    QTest::keyClicks(key, u"500"_s);
    description->setFocus(Qt::TabFocusReason);
    description->setText(u"Sueldo básico"_s);
    description->setModified(true);
    for (const auto& [field, text] : {std::pair{u"ConGrupo"_s, u"SUE"_s}, std::pair{u"ConPorGrav"_s, u"100"_s}}) {
        auto* input = qobject_cast<QLineEdit*>(window.input(engine.position(field)));
        ASSERT_NE(input, nullptr);
        input->setText(text);
        input->setModified(true);
    }

    QTableView* grid = window.linesView();
    ASSERT_NE(grid, nullptr);
    auto* addLine = window.findChild<QPushButton*>();
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == u"Agregar &línea"_s)
            addLine = button;
    }
    addLine->click();
    QAbstractItemModel* model = grid->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), u"1"_s) << "rows are numbered, not moded";
    model->setData(model->index(0, 0), u"1"_s);
    model->setData(model->index(0, 2), u"250"_s);
    // The operation is still being typed in its cell when Confirm comes.
    grid->setCurrentIndex(model->index(0, 1));
    grid->edit(model->index(0, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, u"+"_s);
    window.confirm();

    EXPECT_TRUE(port.texts().isEmpty()) << port.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(u"SELECT OpeOpe FROM CONCEPT1 WHERE ConId = 500 AND OpeLin = 1"_s).toString(), u"+"_s);
    EXPECT_EQ(stored(u"SELECT ConUltOpeL FROM CONCEPT WHERE ConId = 500"_s).toInt(), 1);
    EXPECT_EQ(model->rowCount(), 0) << "the grid follows the form, cleared for the next concept";
}

TEST_F(FormWindowTest, TheThirdLevelGridShowsTheLinesOfTheCurrentLine)
{
    QString error;
    ASSERT_TRUE(insertRow(*database, u"ASIENTO"_s, {{u"AsiId"_s, 7}, {u"AsiDesc"_s, u"Sueldos"_s}}, &error));
    for (const auto& [line, side] : {std::pair{1, u"D"_s}, std::pair{2, u"H"_s}})
        ASSERT_TRUE(insertRow(*database, u"ASIENTO1"_s, {{u"AsiId"_s, 7}, {u"AsiLin"_s, line}, {u"AsiDH"_s, side}},
                              &error));
    for (const auto& [line, calculation, concept_] : {std::tuple{1, 1, 10}, std::tuple{1, 2, 20}, std::tuple{2, 1, 30}})
        ASSERT_TRUE(insertRow(*database, u"ASIENT4"_s,
                              {{u"AsiId"_s, 7}, {u"AsiLin"_s, line}, {u"AsiCorLin"_s, calculation}, {u"ConId"_s, concept_}},
                              &error))
            << error.toStdString();
    Transaction engine(entryShapedForm(), *database, port);
    engine.start(u"7"_s, u"UPD"_s);
    TransactionWindow window(engine);
    window.show();
    ASSERT_NE(window.sublinesView(), nullptr);
    QAbstractItemModel* calculations = window.sublinesView()->model();
    EXPECT_EQ(calculations->rowCount(), 2);
    EXPECT_EQ(calculations->index(1, 1).data().toString().trimmed(), u"20"_s);
    // Enter moves on to the next line, whose calculations show below.
    window.linesView()->setCurrentIndex(window.linesView()->model()->index(0, 1));
    window.linesView()->setFocus();
    QTest::keyClick(window.linesView(), Qt::Key_Return);
    EXPECT_EQ(window.linesView()->currentIndex().row(), 1);
    EXPECT_EQ(window.linesView()->currentIndex().column(), 0);
    ASSERT_EQ(calculations->rowCount(), 1);
    EXPECT_EQ(calculations->index(0, 1).data().toString().trimmed(), u"30"_s);
    // A calculation typed under the second line is written under it.
    calculations->setData(calculations->index(0, 1), u"35"_s);
    window.confirm();
    EXPECT_EQ(stored(u"SELECT ConId FROM ASIENT4 WHERE AsiId = 7 AND AsiLin = 2"_s).toInt(), 35);
}

TEST_F(FormWindowTest, APanelDrawsItsDeclaredFiltersAndEachOneNarrowsTheList)
{
    for (const auto& [number, description, group, active] :
         {std::tuple{10, u"Sueldo"_s, u"SUE"_s, 1}, std::tuple{20, u"Jornal"_s, u"SUE"_s, 0},
          std::tuple{30, u"Aporte jubilatorio"_s, u"APO"_s, 1}}) {
        QString error;
        ASSERT_TRUE(insertRow(*database, u"CONCEPT"_s,
                              {{u"ConId"_s, number}, {u"ConDesc"_s, description}, {u"ConGrupo"_s, group},
                               {u"ConActivo"_s, active}, {u"ConTipo"_s, 1}},
                              &error))
            << error.toStdString();
    }
    WorkDatabase work;
    auto panel = ObjectRegistry::createWorkPanel(u"WKQ00N0"_s, *database, port, work);
    ASSERT_TRUE(panel);
    ASSERT_FALSE(panel->open());
    WorkPanelWindow window(*panel);
    window.show();
    EXPECT_EQ(window.model()->rowCount(), 2) << "inactive concepts are left out at first";

    auto* inactive = window.findChild<QCheckBox*>(u"Inactivos"_s);
    ASSERT_NE(inactive, nullptr);
    EXPECT_EQ(inactive->text(), u"Incluir inactivos"_s);
    inactive->setChecked(true);
    EXPECT_EQ(window.model()->rowCount(), 3);

    auto* from = window.findChild<QLineEdit*>(u"Desde"_s);
    ASSERT_NE(from, nullptr);
    from->setFocus();
    QTest::keyClicks(from, u"15"_s);
    QTest::keyClick(from, Qt::Key_Return);
    EXPECT_EQ(window.model()->rowCount(), 2);
    EXPECT_EQ(window.model()->index(0, 1).data().toString(), u"Jornal"_s);
    EXPECT_TRUE(window.grid()->selectionModel()->isRowSelected(0, {})) << "the first row stays chosen";
    // Enter on the row under the cursor chooses it, whatever was selected.
    window.grid()->setCurrentIndex(window.model()->index(1, 0));
    window.grid()->setFocus();
    QTest::keyClick(window.grid(), Qt::Key_Return);
    EXPECT_EQ(panel->result(), u"30"_s);
}

}  // namespace
