// Running a user-defined report from the desktop: the menu bar opens the
// report list, Emitir asks the filter marked "E" through WFILTRO in its
// emission mode (with the checks of the definition), the output is chosen,
// the file written and InfUltEjec stored; WDEFINFO runs a saved definition;
// the rights of the report generator refuse what they must.
#include "main_form_fixture.h"

#include "data/database_setup.h"
#include "reports/spreadsheet_reader.h"
#include "ui/report_definition_window.h"
#include "ui/report_run_window.h"
#include "ui/window_registry.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

using namespace Qt::StringLiterals;

class ReportRunWindowTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        if (HasFatalFailure())
            return;
        QString error;
        for (const auto& [id, name] : {std::pair{1, u"Ana Pérez"_s}, std::pair{2, u"Juan Núñez"_s},
                                       std::pair{3, u"Zoe Ríos"_s}, std::pair{4, u"Luis Paz"_s}})
            ASSERT_TRUE(insertRow(*database, u"FUNCIONA"_s,
                                  {{u"FunId"_s, id}, {u"FunApeNom"_s, name}, {u"FunActEgr"_s, u"A"_s}}, &error))
                << error.toStdString();
        ASSERT_TRUE(insertRow(*database, u"INFORME"_s,
                              {{u"InfId"_s, 77}, {u"InfDes"_s, u"Personal"_s}, {u"InfDetRes"_s, u"D"_s},
                               {u"InfCarId"_s, 0}, {u"InfCategor"_s, 0}},
                              &error))
            << error.toStdString();
        for (const auto& [position, field] : {std::pair{1, 1001}, std::pair{2, 1002}})
            ASSERT_TRUE(insertRow(*database, u"INFORME1"_s,
                                  {{u"InfId"_s, 77}, {u"InfCorCamp"_s, position}, {u"CamId"_s, field},
                                   {u"InfAncho"_s, 0}, {u"InfCorte"_s, 0}},
                                  &error));
        ASSERT_TRUE(insertRow(*database, u"INFORME3"_s,
                              {{u"InfId"_s, 77}, {u"InfCorFilt"_s, 1}, {u"CamId"_s, 1001}, {u"InfFijoEmi"_s, u"E"_s},
                               {u"InfCondici"_s, u"1:3"_s}, {u"InfNot"_s, u"N"_s}, {u"ConId"_s, 0}},
                              &error));
    }

    /// Runs `act` on the modal dialog `name` once it is open.
    static void onModal(const QString& name, const std::function<void(QDialog*)>& act)
    {
        QTimer::singleShot(50, qApp, [name, act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->objectName() != name) {
                ADD_FAILURE() << name.toStdString() << " is not open";
                if (dialog)
                    dialog->reject();
                return;
            }
            act(dialog);
        });
    }

    /// Answers WFILTRO with `condition` and then WEMIINFO with `output` into `path`.
    static void answerRun(const QString& condition, const QString& output, const QString& path)
    {
        onModal(u"WFILTRO"_s, [=](QDialog* filter) {
            onModal(u"WEMIINFO"_s, [=](QDialog* emission) {
                emission->findChild<QRadioButton*>(output)->setChecked(true);
                emission->findChild<QLineEdit*>(u"Archivo"_s)->setText(path);
                QTest::mouseClick(emission->findChild<QPushButton*>(u"Emitir"_s), Qt::LeftButton);
            });
            filter->findChild<QLineEdit*>(u"InfCondici"_s)->setText(condition);
            QTest::mouseClick(filter->findChild<QPushButton*>(u"Confirmar"_s), Qt::LeftButton);
        });
    }

    QDate storedRunDate()
    {
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.exec(u"SELECT InfUltEjec FROM INFORME WHERE InfId = 77"_s) && query.next());
        return query.value(0).toDateTime().date();
    }

    const QString today = QDate::currentDate().toString(u"dd/MM/yyyy"_s);
};

TEST_F(ReportRunWindowTest, TheMenuListAsksTheFilterAtRunAndWritesThePdf)
{
    form.runCommand(u"Id_generador_de_informes"_s);
    auto* list = openWindow<ReportListWindow>(u"WINFORME"_s);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->reports()->topLevelItemCount(), 1);
    EXPECT_EQ(list->reports()->topLevelItem(0)->text(1), u"Personal"_s);
    EXPECT_EQ(list->reports()->topLevelItem(0)->text(2), QString());

    const QString pdf = folder.file("personal.pdf");
    QString offered;
    bool operatorKept = false;
    bool kindHidden = false;
    onModal(u"WFILTRO"_s, [&](QDialog* filter) {
        auto* condition = filter->findChild<QLineEdit*>(u"InfCondici"_s);
        offered = condition->text();
        operatorKept = !filter->findChild<QComboBox*>(u"Operador"_s)->isEnabled();
        const QList<QRadioButton*> kinds = filter->findChildren<QRadioButton*>();
        kindHidden = !kinds.isEmpty() && std::none_of(kinds.cbegin(), kinds.cend(),
                                                      [](const QRadioButton* kind) { return kind->isVisible(); });
        auto* confirm = filter->findChild<QPushButton*>(u"Confirmar"_s);
        condition->clear();
        QTest::mouseClick(confirm, Qt::LeftButton);
        condition->setText(u"uno"_s);
        QTest::mouseClick(confirm, Qt::LeftButton);
        onModal(u"WEMIINFO"_s, [&](QDialog* emission) {
            if (const QByteArray shots = qgetenv("UORDANE_SCREENSHOTS"); !shots.isEmpty())
                emission->grab().save(QString::fromLocal8Bit(shots) + u"/WEMIINFO.png"_s);
            emission->findChild<QRadioButton*>(u"Pdf"_s)->setChecked(true);
            auto* path = emission->findChild<QLineEdit*>(u"Archivo"_s);
            EXPECT_TRUE(path->text().endsWith(u"Personal.pdf"_s)) << path->text().toStdString();
            path->clear();
            auto* run = emission->findChild<QPushButton*>(u"Emitir"_s);
            QTest::mouseClick(run, Qt::LeftButton);
            path->setText(pdf);
            QTest::mouseClick(run, Qt::LeftButton);
        });
        condition->setText(u"2:3"_s);
        QTest::mouseClick(confirm, Qt::LeftButton);
    });
    QTest::mouseClick(list->findChild<QPushButton*>(u"Emitir"_s), Qt::LeftButton);

    EXPECT_EQ(offered, u"1:3"_s) << "the definition's condition is offered";
    EXPECT_TRUE(operatorKept);
    EXPECT_TRUE(kindHidden);
    EXPECT_EQ(boxes.texts(), (QStringList{u"Falta indicar la condición del filtro"_s,
                                          u"Debe indicar valores numéricos"_s, u"Falta indicar el archivo"_s,
                                          u"Informe guardado en "_s + pdf}));
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.read(5).startsWith("%PDF"));
    EXPECT_EQ(storedRunDate(), QDate::currentDate());
    EXPECT_EQ(list->reports()->topLevelItem(0)->text(2), today);
    if (const QByteArray shots = qgetenv("UORDANE_SCREENSHOTS"); !shots.isEmpty())
        list->grab().save(QString::fromLocal8Bit(shots) + u"/WINFORME.png"_s);
    // The asked condition is the run's only: the definition keeps its own.
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(u"SELECT InfCondici FROM INFORME3 WHERE InfId = 77"_s) && query.next());
    EXPECT_EQ(query.value(0).toString(), u"1:3"_s);
}

TEST_F(ReportRunWindowTest, TheDefinitionWindowRunsItsSavedReportIntoAWorkbook)
{
    ReportDefinitionWindow fresh(*database, form.ui(), std::make_shared<WindowCall>(WindowCall{{}, u"INS"_s}));
    EXPECT_FALSE(fresh.emitButton()->isEnabled()) << "nothing saved to run yet";

    ReportDefinitionWindow window(*database, form.ui(), std::make_shared<WindowCall>(WindowCall{u"77"_s, u"UPD"_s}));
    window.show();
    ASSERT_TRUE(window.emitButton()->isEnabled());
    EXPECT_EQ(window.lastRunLabel()->text(), QString());
    const QString xlsx = folder.file("personal.xlsx");
    answerRun(u"2,4"_s, u"Xlsx"_s, xlsx);
    QTest::mouseClick(window.emitButton(), Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{u"Informe guardado en "_s + xlsx});
    EXPECT_EQ(window.lastRunLabel()->text(), u"Última emisión: "_s + today);

    std::unique_ptr<SpreadsheetReader> reader = SpreadsheetReader::forFile(xlsx, {});
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->open(), 0);
    int row = 0;
    QStringList cells;
    QStringList names;
    QStringList lines;
    while (reader->nextRow(row, cells)) {
        lines << cells.join(u'|');
        if (cells.size() > 1 && cells.at(0).toInt() > 0)
            names << cells.at(1);
    }
    EXPECT_EQ(names, (QStringList{u"Juan Núñez"_s, u"Luis Paz"_s})) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(u"Número de funcionario: 2,4"_s)) << lines.join(u'\n').toStdString();
}

TEST_F(ReportRunWindowTest, TheRightsOfTheGeneratorRefuseTheMenuTheDefinitionAndTheCategory)
{
    logIn("ana", "SSSSSSMMSN");
    form.runCommand(u"Id_generador_de_informes"_s);
    EXPECT_EQ(openWindow<ReportListWindow>(u"WINFORME"_s), nullptr);

    // Running allowed, defining not, category 0 not.
    logIn("ana", u"SSSSSSMMSS"_s + QString(19, u'S') + u"NN"_s);
    form.runCommand(u"Id_generador_de_informes"_s);
    auto* list = openWindow<ReportListWindow>(u"WINFORME"_s);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->findChild<QPushButton*>(u"Nuevo"_s)->isEnabled());
    EXPECT_FALSE(list->findChild<QPushButton*>(u"Modificar"_s)->isEnabled());
    QTest::mouseClick(list->findChild<QPushButton*>(u"Emitir"_s), Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), (QStringList{u"No tiene permisos para ejecutar esta opción"_s,
                                          u"No tiene permisos para emitir informes de la categoría 0"_s}));
    EXPECT_NE(storedRunDate(), QDate::currentDate());
}

}  // namespace
