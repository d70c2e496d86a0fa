// The windows of the concept panel's "Cambiar nº" and "Control", called as
// the panel calls them: the change of code shows what moves before it asks,
// and the control's warnings open in the text viewer.
#include "main_form_fixture.h"

#include "ui/procedure_window.h"
#include "ui/text_viewer.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

class ConceptCodeChangeWindowTest : public MainFormTest {
protected:
    void SetUp() override
    {
        qputenv("TEMP", folder.path().toLocal8Bit());
        MainFormTest::SetUp();
        QString error;
        for (const RowValues& row : QList<RowValues>{
                 {{u"ConId"_s, 10}, {u"ConDesc"_s, u"Sueldo"_s}, {u"ConTipo"_s, 1}, {u"ConPriorid"_s, 5}},
                 {{u"ConId"_s, 20}, {u"ConDesc"_s, u"Horas extra"_s}, {u"ConTipo"_s, 1}, {u"ConPriorid"_s, 1}}}) {
            ASSERT_TRUE(insertRow(*database, u"CONCEPT"_s, row, &error)) << error.toStdString();
        }
        ASSERT_TRUE(insertRow(*database, u"CONCEPT3"_s, {{u"ConId"_s, 10}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 3}},
                              &error));
        ASSERT_TRUE(insertRow(*database, u"CONCEPT1"_s,
                              {{u"ConId"_s, 20}, {u"OpeLin"_s, 5}, {u"OpeUsar"_s, u"ACL"_s}, {u"OpeNro"_s, 3}},
                              &error));
        ASSERT_TRUE(insertRow(*database, u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"ConId"_s, 10}}, &error));
    }

    void TearDown() override
    {
        MainFormTest::TearDown();
        qunsetenv("TEMP");
    }

    int movementConcept()
    {
        QSqlQuery query(database->connection());
        return query.exec(u"SELECT ConId FROM MOVIMIEN WHERE MovId = 1"_s) && query.next() ? query.value(0).toInt()
                                                                                          : -1;
    }

    /// Runs `step` on the open window `name` of type `Window`, then closes it.
    template <typename Window>
    void whenOpen(const QString& name, const std::function<void(Window&)>& step)
    {
        QTimer::singleShot(100, form.area(), [this, name, step] {
            auto* window = openWindow<Window>(name);
            if (!window) {
                ADD_FAILURE() << "the window " << name.toStdString();
                return;
            }
            step(*window);
            QTimer::singleShot(300, window, [window] { closeWindow(window); });
        });
    }
};

TEST_F(ConceptCodeChangeWindowTest, TheChangeOfCodeShowsWhatMovesBeforeTheQuestion)
{
    QString preview;
    whenOpen<ProcedureWindow>(u"WCONCAMB"_s, [&preview](ProcedureWindow& window) {
        const QList<QLineEdit*> inputs = window.findChildren<QLineEdit*>();
        ASSERT_GE(inputs.size(), 2);
        EXPECT_EQ(inputs.at(0)->text(), u"10"_s) << "the concept the panel was on";
        QTest::keyClicks(inputs.at(1), u"20"_s);
        for (QCheckBox* box : window.findChildren<QCheckBox*>()) {
            if (box->text().startsWith(u"E&xistente"_s))
                box->setChecked(true);
        }
        window.confirm();  // answered No: the window stays with its preview
        preview = window.findChild<QPlainTextEdit*>()->toPlainText();
    });
    boxes.answer(false);
    QString key = u"10"_s;
    QString mode;
    ASSERT_TRUE(form.host().call(u"WCONCAMB"_s, key, mode));
    EXPECT_EQ(boxes.texts(), QStringList{u"Unifica concepto 10 con el concepto 20 ?"_s});
    EXPECT_TRUE(preview.startsWith(u"Filas con el concepto 10 que pasan al concepto 20:\n"_s)) << preview.toStdString();
    EXPECT_TRUE(preview.contains(u"  Movimientos (MOVIMIEN.ConId): 1\n"_s)) << preview.toStdString();
    EXPECT_EQ(movementConcept(), 10);
}

TEST_F(ConceptCodeChangeWindowTest, TheControlOpensItsWarningsInTheViewer)
{
    QString shown;
    whenOpen<TextViewer>(u"PCTRCON2"_s, [&shown](TextViewer& viewer) { shown = viewer.text(); });
    QString key;
    QString mode;
    ASSERT_TRUE(form.host().call(u"PCTRCON2"_s, key, mode));
    const QString warning = u"AVISO: El concepto '10-Sueldo' que se acumula en el acumulador de liquidación 3 se "
                            "liquida después que el concepto '20-Horas extra' que utiliza dicho acumulador en el "
                            "cálculo de importe."_s;
    EXPECT_EQ(shown.trimmed(), warning);
    EXPECT_TRUE(QFile::exists(folder.file("avisos.txt")));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'|').toStdString();
}

}  // namespace
