// The report definition window driven through its widgets: opened by name
// from the main window, the header typed, fields added from the subject
// lists, narrowed, reordered, a subtotal refused, and Confirm refusing and
// then saving the order shown.
#include "main_form_fixture.h"

#include "ui/report_definition_window.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;

class ReportDefinitionWindowTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        if (HasFatalFailure())
            return;
        // A catalogue of the test's own in place of the one init writes.
        ASSERT_TRUE(QSqlQuery(database->connection()).exec(u"DELETE FROM CAMPOS"_s));
        int order = 0;
        for (const auto& [id, description, group, type, summable] :
             {std::tuple{1, u"Número de funcionario"_s, 1, u"N"_s, false},
              std::tuple{2, u"Nombre"_s, 1, u"C"_s, false},
              std::tuple{3, u"Fecha de ingreso"_s, 1, u"F"_s, false},
              std::tuple{21, u"Centro de costo"_s, 2, u"C"_s, false},
              std::tuple{40, u"Importe liquidado"_s, 4, u"N"_s, true}}) {
            QString error;
            ASSERT_TRUE(insertRow(*database, u"CAMPOS"_s,
                                  {{u"CamId"_s, id}, {u"CamDes"_s, description}, {u"CamGrupo"_s, group},
                                   {u"CamOrden"_s, ++order}, {u"CamTipo"_s, type},
                                   {u"CamSumar"_s, summable ? u"S"_s : u"N"_s}, {u"CamAtribut"_s, u"N"_s}},
                                  &error))
                << error.toStdString();
        }
        QString error;
        ASSERT_TRUE(insertRow(*database, u"INFORME5"_s, {{u"InfCarId"_s, 4}, {u"InfCarDes"_s, u"Mensuales"_s}}, &error));
    }

    static QStringList texts(const QListWidget* list)
    {
        QStringList shown;
        for (int row = 0; row < list->count(); ++row)
            shown << list->item(row)->text();
        return shown;
    }

    /// Chooses the available entry `text` of `page` and presses Agregar.
    static void addField(const ReportDefinitionWindow::ListPage& page, const QString& text)
    {
        const QList<QListWidgetItem*> found = page.available->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        page.available->setCurrentItem(found.first());
        QTest::mouseClick(page.add, Qt::LeftButton);
    }
};

TEST_F(ReportDefinitionWindowTest, TheWidgetsBuildADefinitionThatConfirmSavesInTheOrderShown)
{
    ASSERT_TRUE(form.host().open(u"WDEFINFO"_s));
    auto* window = openWindow<ReportDefinitionWindow>(u"WDEFINFO"_s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->pages()->count(), 3);
    EXPECT_EQ(window->folderBox()->itemText(1), u"Mensuales"_s);

    const auto& data = window->page(ReportList::Data);
    EXPECT_EQ(data.subject->currentText(), u"Funcionario"_s);
    EXPECT_EQ(data.subject->count(), 8);
    addField(data, u"Número de funcionario"_s);
    addField(data, u"Nombre"_s);
    QTest::keyClicks(data.narrowing, u"fecha"_s);
    EXPECT_EQ(texts(data.available), QStringList{u"Fecha de ingreso"_s});
    addField(data, u"Fecha de ingreso"_s);
    data.narrowing->clear();
    data.chosen->setCurrentRow(2);
    QTest::mouseClick(data.up, Qt::LeftButton);
    EXPECT_EQ(texts(data.chosen),
              (QStringList{u"Número de funcionario"_s, u"Fecha de ingreso"_s, u"Nombre"_s}));
    EXPECT_EQ(data.chosen->currentRow(), 1) << "the moved field stays chosen";

    window->pages()->setCurrentIndex(1);
    const auto& classification = window->page(ReportList::Classification);
    classification.subject->setCurrentText(u"Liquidaciones"_s);
    EXPECT_EQ(texts(classification.available), QStringList{u"Importe liquidado"_s});
    addField(classification, u"Importe liquidado"_s);
    classification.chosen->setCurrentRow(0);
    QTest::mouseClick(window->subtotalButton(), Qt::LeftButton);
    classification.subject->setCurrentText(u"Cargo"_s);
    addField(classification, u"Centro de costo"_s);
    classification.chosen->setCurrentRow(1);
    QTest::mouseClick(window->subtotalButton(), Qt::LeftButton);
    EXPECT_EQ(texts(classification.chosen), (QStringList{u"Importe liquidado"_s, u"*Centro de costo"_s}));

    // A filter added opens its condition at once; a reversed range is refused there.
    window->pages()->setCurrentIndex(2);
    const auto& filter = window->page(ReportList::Filter);
    QString caption;
    QTimer::singleShot(50, window, [&caption] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != u"WFILTRO"_s) {
            ADD_FAILURE() << "the filter window is not open";
            if (dialog)
                dialog->reject();
            return;
        }
        caption = dialog->windowTitle();
        auto* condition = dialog->findChild<QLineEdit*>(u"InfCondici"_s);
        auto* confirm = dialog->findChild<QPushButton*>(u"Confirmar"_s);
        condition->setText(u"31/10/26:1/10/26"_s);
        QTest::mouseClick(confirm, Qt::LeftButton);
        if (const QByteArray folder = qgetenv("UORDANE_SCREENSHOTS"); !folder.isEmpty())
            dialog->grab().save(QString::fromLocal8Bit(folder) + u"/WFILTRO.png"_s);
        condition->setText(u"1/10/26:31/10/26"_s);
        QTest::mouseClick(confirm, Qt::LeftButton);
    });
    addField(filter, u"Fecha de ingreso"_s);
    EXPECT_EQ(caption, u"Filtro por Fecha de ingreso"_s);
    EXPECT_EQ(texts(filter.chosen), QStringList{u"Fecha de ingreso  (1/10/26:31/10/26)  [emisión]"_s});

    // A calculated column through WDEFCALL and WDEFCALC; the word guard refuses first.
    QTimer::singleShot(50, window, [] {
        auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!list || list->objectName() != u"WDEFCALL"_s) {
            ADD_FAILURE() << "the calculated columns are not open";
            if (list)
                list->reject();
            return;
        }
        QTimer::singleShot(50, list, [] {
            auto* column = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!column || column->objectName() != u"WDEFCALC"_s) {
                ADD_FAILURE() << "the calculated column is not open";
                return;
            }
            column->findChild<QLineEdit*>(u"InfCalTitu"_s)->setText(u"Doble"_s);
            column->findChild<QComboBox*>(u"InfConteni"_s)->setCurrentText(u"Cálculo entre columnas"_s);
            auto* formula = column->findChild<QPlainTextEdit*>(u"InfCalForm"_s);
            formula->setPlainText(u"[Número de funcionario] * 2 + [Selected]"_s);
            if (const QByteArray folder = qgetenv("UORDANE_SCREENSHOTS"); !folder.isEmpty())
                column->grab().save(QString::fromLocal8Bit(folder) + u"/WDEFCALC.png"_s);
            auto* confirm = column->findChild<QPushButton*>(u"Confirmar"_s);
            QTest::mouseClick(confirm, Qt::LeftButton);
            formula->setPlainText(u"[Número de funcionario] * 2"_s);
            QTest::mouseClick(confirm, Qt::LeftButton);
        });
        const auto buttons = list->findChildren<QPushButton*>();
        auto named = [&buttons](const QString& caption) {
            for (QPushButton* button : buttons) {
                if (button->text() == caption)
                    return button;
            }
            return static_cast<QPushButton*>(nullptr);
        };
        QTest::mouseClick(named(u"&Agregar"_s), Qt::LeftButton);
        if (const QByteArray folder = qgetenv("UORDANE_SCREENSHOTS"); !folder.isEmpty())
            list->grab().save(QString::fromLocal8Bit(folder) + u"/WDEFCALL.png"_s);
        QTest::mouseClick(named(u"&Cerrar"_s), Qt::LeftButton);
    });
    QTest::mouseClick(window->findChild<QPushButton*>(u"Calculo"_s), Qt::LeftButton);
    EXPECT_EQ(texts(data.chosen).last(), u"Doble"_s);

    // No description, then no kind: refused, the window stays.
    window->confirm();
    QTest::keyClicks(window->descriptionBox(), u"Personal por centro"_s);
    window->confirm();
    EXPECT_EQ(boxes.texts(), (QStringList{u"No se puede totalizar por campos de importes o cantidades"_s,
                                          u"Fecha desde posterior a fecha hasta"_s,
                                          u"No se permite utilizar la palabra SELECT en la fórmula"_s,
                                          u"Falta descripción del informe"_s,
                                          u"Falta indicar si es Detallado o Resumido"_s}));
    ASSERT_EQ(openWindow<ReportDefinitionWindow>(u"WDEFINFO"_s), window);

    if (const QByteArray folder = qgetenv("UORDANE_SCREENSHOTS"); !folder.isEmpty())
        window->grab().save(QString::fromLocal8Bit(folder) + u"/WDEFINFO.png"_s);

    QTest::mouseClick(window->summarisedButton(), Qt::LeftButton);
    window->folderBox()->setCurrentIndex(1);
    window->confirm();
    QApplication::processEvents();
    EXPECT_EQ(openWindow<ReportDefinitionWindow>(u"WDEFINFO"_s), nullptr) << "saved, it closes";

    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(u"SELECT InfDes, InfDetRes, InfCarId FROM INFORME"_s) && query.next());
    EXPECT_EQ(query.value(0).toString(), u"Personal por centro"_s);
    EXPECT_EQ(query.value(1).toString(), u"R"_s);
    EXPECT_EQ(query.value(2).toInt(), 4);
    ASSERT_TRUE(query.exec(u"SELECT InfCorCamp, CamId FROM INFORME1 ORDER BY InfCorCamp"_s));
    QStringList columns;
    while (query.next())
        columns << query.value(0).toString() + u':' + query.value(1).toString();
    EXPECT_EQ(columns, (QStringList{u"1:1"_s, u"2:3"_s, u"3:2"_s, u"4:10001"_s}));
    ASSERT_TRUE(query.exec(u"SELECT CamId, InfSubtot FROM INFORME2 ORDER BY InfCorClas"_s));
    QStringList classes;
    while (query.next())
        classes << query.value(0).toString() + u':' + query.value(1).toString();
    EXPECT_EQ(classes, (QStringList{u"40:N"_s, u"21:S"_s}));
    ASSERT_TRUE(query.exec(u"SELECT CamId, InfFijoEmi, InfCondici FROM INFORME3"_s) && query.next());
    EXPECT_EQ(query.value(0).toInt(), 3);
    EXPECT_EQ(query.value(1).toString(), u"E"_s);
    EXPECT_EQ(query.value(2).toString(), u"1/10/26:31/10/26"_s);
    ASSERT_TRUE(query.exec(u"SELECT InfCalTitu, InfConteni, InfCalForm FROM INFORME4"_s) && query.next());
    EXPECT_EQ(query.value(0).toString(), u"Doble"_s);
    EXPECT_EQ(query.value(1).toString(), u"Cálculo entre columnas"_s);
    EXPECT_EQ(query.value(2).toString(), u"[Número de funcionario] * 2"_s);
}

}  // namespace
