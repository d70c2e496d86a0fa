// The windows of the basics' own panels, driven through the main window as a
// person would: the change of number from the list, and the separators of
// the import set with the CSV button.
#include "main_form_fixture.h"

#include "data/parameters.h"
#include "ui/procedure_window.h"
#include "ui/work_panel_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

class BasicValuesWindowsTest : public MainFormTest {
protected:
    int count(const QString& select)
    {
        QSqlQuery query(database->connection());
        return query.exec(select) && query.next() ? query.value(0).toInt() : -1;
    }

    /// Runs `step` on the window `name` once it is open, then makes sure it
    /// is closed, so that the call can never hang the test.
    void whenOpen(const QString& name, const std::function<void(ProcedureWindow&)>& step)
    {
        QTimer::singleShot(100, form.area(), [this, name, step] {
            auto* window = openWindow<ProcedureWindow>(name);
            if (!window) {
                ADD_FAILURE() << "the window " << name.toStdString();
                return;
            }
            step(*window);
            // Tied to the window: gone with it, it never outlives the test.
            QTimer::singleShot(300, window, [window] { closeWindow(window); });
        });
    }
};

TEST_F(BasicValuesWindowsTest, ABasicTakesItsNewNumberFromTheListAndAnExistingOneIsRefused)
{
    QString error;
    for (const auto& [number, description] : {std::pair{1, u"Salario mínimo nacional"_s}, std::pair{2, u"BPC"_s}}) {
        ASSERT_TRUE(insertRow(*database, u"BASICOS"_s, {{u"BasId"_s, number}, {u"BasDesc"_s, description}}, &error));
    }
    ASSERT_TRUE(insertRow(*database, u"BASICOS1"_s,
                          {{u"BasId"_s, 1}, {u"CarId"_s, 0}, {u"CCId"_s, QString()}, {u"RefAuxId"_s, QString()},
                           {u"BasImp"_s, 24572.0}},
                          &error));
    ASSERT_TRUE(form.host().open(u"WBASICOS"_s));
    auto* panel = openWindow<WorkPanelWindow>(u"WBASICOS"_s);
    ASSERT_NE(panel, nullptr);

    // Under the list, the values of the basic the cursor is on.
    auto* values = panel->findChild<QTableWidget*>();
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->rowCount(), 1);
    EXPECT_EQ(values->item(0, 5)->text(), u"24,572.00"_s);
    panel->grid()->selectRow(1);
    EXPECT_EQ(values->rowCount(), 0);
    panel->grid()->selectRow(0);

    // The taken number is refused and the window stays; the free one moves
    // the basic with its value.
    whenOpen(u"WCAMBIAB"_s, [](ProcedureWindow& window) {
        auto* number = window.findChild<QLineEdit*>();
        QTest::keyClicks(number, u"2"_s);
        window.confirm();
        number->clear();
        QTest::keyClicks(number, u"10"_s);
        QTest::keyClick(number, Qt::Key_Return);
    });
    panel->press(u"WCAMBIAB"_s);
    EXPECT_EQ(boxes.texts(), QStringList{u"El número de basico nuevo ya existe"_s});
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM BASICOS WHERE BasId = 10"_s), 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM BASICOS1 WHERE BasId = 10"_s), 1);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM BASICOS WHERE BasId = 1"_s), 0);
}

TEST_F(BasicValuesWindowsTest, TheCsvButtonFillsTheSeparatorsAndConfirmStoresThem)
{
    whenOpen(u"WPREFIMP"_s, [](ProcedureWindow& window) {
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == u"C&SV"_s)
                button->click();
        }
        window.confirm();
    });
    QString key;
    QString mode;
    ASSERT_TRUE(form.host().call(u"WPREFIMP"_s, key, mode));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(openWindow<ProcedureWindow>(u"WPREFIMP"_s), nullptr) << "closed once stored";
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(u"SELECT COUNT(*) FROM PARAMETR WHERE ParTabla = 'Importa' "
                            "AND ParValorCa IN (';', ',')"_s)
                && query.next());
    EXPECT_EQ(query.value(0).toInt(), 2);
}

}  // namespace
