// A raise table changed through its real window and confirmed by the button
// or by Alt+C, with a cell still being typed: the program lives on after the
// form closes, and what was typed in the cell is stored.
#include "engine/transaction.h"
#include "main_form_fixture.h"
#include "ui/object_host.h"
#include "ui/transaction_window.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

class LinesWindowTest : public MainFormTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        QString error;
        ASSERT_TRUE(insertRow(*database, u"AUMENTO"_s, {{u"AumId"_s, 1}, {u"AumDesc"_s, u"Construcción"_s}}, &error))
            << error.toStdString();
        ASSERT_TRUE(insertRow(*database, u"AUMENTO1"_s,
                              {{u"AumId"_s, 1}, {u"AumFch"_s, QDate(2024, 5, 1)}, {u"AumPor"_s, 5.5},
                               {u"AumObs"_s, QString()}},
                              &error))
            << error.toStdString();
    }

    QString storedRemark()
    {
        QSqlQuery query(database->connection());
        if (!query.exec(u"SELECT AumObs FROM AUMENTO1 WHERE AumId = 1"_s) || !query.next())
            return u"<ninguna>"_s;
        return query.value(0).toString();
    }
};

TEST_P(LinesWindowTest, ConfirmingAChangedTableWithAnOpenCellStoresItAndTheProgramLivesOn)
{
    const bool byKeyboard = GetParam();
    bool typed = false;
    QPointer<TransactionWindow> shown;
    QTimer::singleShot(100, [&] {
        auto* window = openWindow<TransactionWindow>(u"TTABAUME"_s);
        shown = window;
        QTableView* grid = window ? window->linesView() : nullptr;
        if (!grid || grid->model()->rowCount() != 1) {
            ADD_FAILURE() << "the raise table's window with its one line";
            if (window)
                closeWindow(window);
            return;
        }
        const QModelIndex remark = grid->model()->index(0, 2);
        grid->setFocus();
        grid->setCurrentIndex(remark);
        grid->edit(remark);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(remark));
        if (!editor) {
            ADD_FAILURE() << "no cell editor";
            closeWindow(window);
            return;
        }
        editor->setFocus();
        QTest::keyClicks(editor, u"Laudo 2024"_s);
        typed = true;
        if (byKeyboard) {
            QTest::keyClick(editor, Qt::Key_C, Qt::AltModifier);
        } else {
            for (QPushButton* button : window->findChildren<QPushButton*>()) {
                if (button->text() == u"&Confirmar"_s)
                    button->click();
            }
        }
        // Should the confirm not have closed it, the test must not hang.
        QTimer::singleShot(500, [this] {
            if (auto* still = openWindow<TransactionWindow>(u"TTABAUME"_s))
                closeWindow(still);
        });
    });
    QString key = u"1"_s;
    QString mode = u"UPD"_s;
    ASSERT_TRUE(form.host().call(u"TTABAUME"_s, key, mode));
    // The window and its grid went with the call, before the form they show:
    // nothing is left to read the form's lines while it hides later.
    EXPECT_TRUE(shown.isNull());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    ASSERT_TRUE(typed);
    EXPECT_EQ(storedRemark(), u"Laudo 2024"_s) << boxes.texts().join(u'|').toStdString();
    EXPECT_EQ(openWindow<TransactionWindow>(u"TTABAUME"_s), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ButtonAndKeyboard, LinesWindowTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("AltC") : std::string("Button");
                         });

}  // namespace
