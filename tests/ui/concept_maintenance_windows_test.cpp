// The concept panel's copy, where-used and delete, driven through the main
// window as a person would: the copy window hands over to the concept form,
// the where-used window shows its three grids, and "Eliminar" deletes the
// concept after its question.
#include "main_form_fixture.h"

#include "ui/procedure_window.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

class ConceptMaintenanceWindowsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        if (HasFatalFailure())
            return;
        QString error;
        const QList<RowValues> rows = {
            {{u"ConId"_s, 1}, {u"ConDesc"_s, u"Sueldo mensual"_s}, {u"ConTipo"_s, 1}, {u"ConActivo"_s, 1}},
            {{u"ConId"_s, 150}, {u"ConDesc"_s, u"Cuota sindical"_s}, {u"ConTipo"_s, 3}, {u"ConActivo"_s, 1}},
        };
        for (const RowValues& row : rows)
            ASSERT_TRUE(insertRow(*database, u"CONCEPT"_s, row, &error)) << error.toStdString();
        ASSERT_TRUE(insertRow(*database, u"CONCEPT1"_s,
                              {{u"ConId"_s, 150}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"="_s}, {u"ConIdImp"_s, 1}}, &error));
        ASSERT_TRUE(insertRow(*database, u"ACUMHL"_s,
                              {{u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 1}, {u"AcuDesc"_s, u"Haberes gravados BPS"_s}},
                              &error));
        ASSERT_TRUE(insertRow(*database, u"CONCEPT3"_s,
                              {{u"ConId"_s, 1}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 1}, {u"ConAcuOpe"_s, u"G"_s}},
                              &error));
        ASSERT_TRUE(form.host().open(u"WCONCEPT"_s));
        panel = openWindow<WorkPanelWindow>(u"WCONCEPT"_s);
        ASSERT_NE(panel, nullptr);
    }

    int count(const QString& select)
    {
        QSqlQuery query(database->connection());
        return query.exec(select) && query.next() ? query.value(0).toInt() : -1;
    }

    /// Runs `step` on the window `name` once it is open, then makes sure it
    /// is closed, so that the call can never hang the test.
    template <typename Window>
    void whenOpen(const QString& name, const std::function<void(Window&)>& step, int delay = 100)
    {
        QTimer::singleShot(delay, form.area(), [this, name, step] {
            auto* window = openWindow<Window>(name);
            if (!window) {
                ADD_FAILURE() << "the window " << name.toStdString();
                return;
            }
            step(*window);
            QTimer::singleShot(300, window, [window] { closeWindow(window); });
        });
    }

    WorkPanelWindow* panel = nullptr;
};

TEST_F(ConceptMaintenanceWindowsTest, CopyShowsTheNewConceptsFormUsedInShowsItsGridsAndEliminarDeletes)
{
    // Copy 150 to 160: the reminder, then the concept form on 160.
    panel->grid()->selectRow(1);
    QString formOpened;
    whenOpen<ProcedureWindow>(u"WCONCOPI"_s, [this, &formOpened](ProcedureWindow& window) {
        const QList<QLineEdit*> inputs = window.findChildren<QLineEdit*>();
        ASSERT_EQ(inputs.size(), 2);
        EXPECT_EQ(inputs.at(1)->text(), u"Cuota sindical"_s);
        QTest::keyClicks(inputs.at(0), u"160"_s);
        whenOpen<TransactionWindow>(u"TCONCEP"_s, [&formOpened](TransactionWindow& conceptForm) {
            formOpened = conceptForm.windowTitle();
        }, 400);
        QTest::keyClick(inputs.at(0), Qt::Key_Return);
    });
    panel->press(u"Copiar"_s);
    EXPECT_EQ(boxes.texts(), QStringList{u"Recuerde agregar el nuevo concepto a los asientos"_s});
    EXPECT_FALSE(formOpened.isEmpty()) << "the concept form opened on the copy";
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM CONCEPT1 WHERE ConId = 160 AND ConIdImp = 1"_s), 1);
    EXPECT_EQ(panel->grid()->model()->rowCount(), 3) << "the list is read again";

    // Where the monthly salary is used: its accumulator, and the copy's and
    // the dues' amount lines.
    panel->grid()->selectRow(0);
    QList<int> rowCounts;
    QStringList frames;
    whenOpen<ProcedureWindow>(u"WCONUSAD"_s, [&rowCounts, &frames](ProcedureWindow& window) {
        for (const QString& name : {u"Acumuladores"_s, u"Asientos"_s, u"OtrosUsos"_s}) {
            auto* grid = window.findChild<QTableWidget*>(name);
            rowCounts << (grid ? grid->rowCount() : -1);
        }
        for (QGroupBox* frame : window.findChildren<QGroupBox*>())
            frames << frame->title();
        auto* accumulators = window.findChild<QTableWidget*>(u"Acumuladores"_s);
        if (accumulators && accumulators->rowCount() > 0)
            frames << accumulators->item(0, 2)->text();
    });
    panel->press(u"UsadoEn"_s);
    EXPECT_EQ(rowCounts, (QList<int>{1, 0, 2}));
    EXPECT_EQ(frames, (QStringList{u"Acumuladores"_s, u"Asientos"_s, u"Otros usos"_s, u"Haberes gravados BPS"_s}));

    // "Eliminar" on the copy: the question, then the copy is gone.
    panel->grid()->selectRow(2);
    boxes.answer(true);
    panel->remove();
    EXPECT_EQ(boxes.texts().mid(1), QStringList{u"¿Elimina concepto 160 Cuota sindical"_s});
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM CONCEPT WHERE ConId = 160"_s), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM CONCEPT1 WHERE ConId = 160"_s), 0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM AUDITORI WHERE AudDescrip LIKE 'Elimina concepto 160.%'"_s), 1);
}

}  // namespace
