// Window tests: real widgets on the offscreen platform, driven as a person
// would, with the program's message boxes answered by a watcher.
#include "data/cursor.h"
#include "engine/transaction.h"
#include "reports/kqrview.h"
#include "startup/main_menu.h"
#include "main_form_fixture.h"
#include "ui/desktop_look.h"
#include "ui/transaction_window.h"
#include "ui/work_panel_window.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <functional>

namespace {

/// Runs `action` once the event loop is running (inside a nested call).
void later(int milliseconds, std::function<void()> action)
{
    QTimer::singleShot(milliseconds, std::move(action));
}

/// Processes events until `condition` holds or two seconds passed.
bool waitUntil(const std::function<bool()>& condition)
{
    for (int round = 0; round < 200 && !condition(); ++round)
        QTest::qWait(10);
    return condition();
}

class MainWindowTest : public MainFormTest {
protected:
    void addCategories(int count)
    {
        TableCursor categories(*database);
        ASSERT_FALSE(categories.open("CATEGORI"));
        for (int id = 1; id <= count; ++id) {
            categories.addNew();
            categories.setValue("CatId", id);
            categories.setValue("CatDesc", QString("Categoría %1").arg(id));
            ASSERT_FALSE(categories.update());
        }
    }

    QString categoryDescription(int id)
    {
        TableCursor categories(*database);
        categories.open("CATEGORI", Access::ReadOnly);
        categories.seek(Comparison::Equal, {id});
        return categories.noMatch() ? QStringLiteral("<ninguna>") : categories.text("CatDesc");
    }

    WorkPanelWindow* openCategories()
    {
        form.host().open("WCATEGOR");
        return qobject_cast<WorkPanelWindow*>(form.host().openWindow("WCATEGOR"));
    }
};

bool enabled(MainMenuWindow* menu, const QString& button)
{
    return menu->button(button)->isEnabled();
}

}  // namespace

// Which entry each right allows is main_menu_test's; here every button of
// the window follows it when the permissions are applied again.
TEST_F(MainWindowTest, MenuButtonsFollowThePermissionString)
{
    MainMenuWindow* menu = showMainMenu();
    const QList<std::pair<QString, QString>> logins = {
        {"SSSSSSNSS", "S"}, {"SSSSSSSNS", "S"}, {"MMMMMMMM", "S"}, {"MMMMMMMMS", "N"}};
    for (const auto& [permissions, installation] : logins) {
        logIn("ana", permissions, installation);
        menu->applyPermissions();
        for (const MainMenuEntry& entry : mainMenuEntries()) {
            EXPECT_EQ(enabled(menu, entry.button), mainMenuAllows(entry, permissions, installation))
                << permissions.toStdString() << " " << entry.button.toStdString();
        }
    }
    EXPECT_FALSE(enabled(menu, "Batributos")) << "the last login is no client/server one";
}

TEST_F(MainWindowTest, MenuBarRefusesWithoutPermissionAndUnknownCommandsAreNotAvailable)
{
    logIn("ana", "MMMMMMMMN", "N");
    form.runCommand("Id_usuarios");
    form.runCommand("Id_categoras");  // allowed: opens the panel
    form.runCommand("Nada");
    ASSERT_TRUE(waitUntil([&] { return boxes.seen().size() == 2; }));
    EXPECT_EQ(boxes.texts(), (QStringList{"No tiene permisos para ejecutar esta opción", "Opcion no disponible"}));
    EXPECT_EQ(boxes.seen().front().icon, QMessageBox::Information);
    EXPECT_NE(form.host().openWindow("WCATEGOR"), nullptr);
}

TEST_F(MainWindowTest, ChoosingAnEntryPaintsItsCaptionAndBringsAnOpenPanelForward)
{
    MainMenuWindow* menu = showMainMenu();
    QTest::mouseClick(menu->button("Bcategorias"), Qt::LeftButton);
    QWidget* panel = form.host().openWindow("WCATEGOR");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(menu->caption("Bcategorias")->styleSheet().contains("128, 0, 128"));
    EXPECT_FALSE(menu->caption("Bcargos")->styleSheet().contains("128, 0, 128"));

    form.area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(menu->parentWidget()));
    QTest::mouseClick(menu->button("Bcategorias"), Qt::LeftButton);
    EXPECT_EQ(form.host().openWindow("WCATEGOR"), panel);  // the same window, not a second one
    EXPECT_EQ(form.area()->activeSubWindow()->widget(), panel);
}

TEST_F(MainWindowTest, AddingACategoryThroughTheWindows)
{
    WorkPanelWindow* panel = openCategories();
    ASSERT_NE(panel, nullptr);
    bool callerDisabledDuringCall = false;
    later(200, [&] {
        TransactionWindow* window = openWindow<TransactionWindow>();
        ASSERT_NE(window, nullptr);
        callerDisabledDuringCall = !panel->isEnabled();
        auto* key = qobject_cast<QLineEdit*>(window->input(1));
        auto* description = qobject_cast<QLineEdit*>(window->input(2));
        key->setFocus();
        QTest::keyClicks(key, "7");
        QTest::keyClick(key, Qt::Key_Tab);
        QTest::keyClicks(description, "Capataces");
        window->confirm();
        // After an insert the form stays open and empty for the next one.
        EXPECT_TRUE(key->text().trimmed().isEmpty() || key->text().trimmed() == "0");
        closeWindow(window);
    });
    panel->add();
    EXPECT_TRUE(callerDisabledDuringCall);
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_EQ(categoryDescription(7), "Capataces");
    EXPECT_EQ(panel->model()->rowCount(), 1);
}

TEST_F(MainWindowTest, ChangingACategoryWithABlankDescriptionIsRefusedInABox)
{
    addCategories(2);
    WorkPanelWindow* panel = openCategories();
    panel->grid()->selectRow(1);
    later(200, [&] {
        TransactionWindow* window = openWindow<TransactionWindow>();
        ASSERT_NE(window, nullptr);
        auto* description = qobject_cast<QLineEdit*>(window->input(2));
        description->setFocus();
        description->selectAll();
        QTest::keyClicks(description, "   ");
        window->confirm();
        EXPECT_TRUE(waitUntil([&] { return boxes.seen().size() == 1; }));
        description->selectAll();
        QTest::keyClicks(description, "Oficiales");
        window->confirm();  // a confirmed change closes the form
        if (TransactionWindow* left = openWindow<TransactionWindow>())
            closeWindow(left);
    });
    panel->modify();
    EXPECT_EQ(boxes.texts(), QStringList{"Falta descripción"});
    EXPECT_EQ(boxes.seen().front().icon, QMessageBox::Warning);
    EXPECT_EQ(categoryDescription(2), "Oficiales");
    EXPECT_EQ(openWindow<TransactionWindow>(), nullptr);
}

TEST_F(MainWindowTest, DeletingACategoryAsksAndOnlyYesDeletes)
{
    addCategories(3);
    WorkPanelWindow* panel = openCategories();
    panel->grid()->selectRow(2);
    boxes.answer(false);
    panel->remove();
    EXPECT_EQ(categoryDescription(3), "Categoría 3");
    boxes.answer(true);
    panel->grid()->selectRow(2);
    panel->remove();
    EXPECT_EQ(categoryDescription(3), "<ninguna>");
    EXPECT_EQ(boxes.texts(), (QStringList{"¿Realmente desea eliminar estos datos? ",
                                          "¿Realmente desea eliminar estos datos? "}));
    EXPECT_EQ(panel->model()->rowCount(), 2);
}

TEST_F(MainWindowTest, TheGridPagesInAsItScrolls)
{
    addCategories(250);
    WorkPanelWindow* panel = openCategories();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->model()->rowCount(), 100);
    QTableView* grid = panel->grid();
    grid->scrollToBottom();
    QApplication::processEvents();
    while (panel->model()->canFetchMore({})) {
        grid->scrollToBottom();
        QApplication::processEvents();
        if (grid->verticalScrollBar()->value() == grid->verticalScrollBar()->maximum() && panel->model()->rowCount() >= 250)
            break;
    }
    EXPECT_EQ(panel->model()->rowCount(), 250);
    EXPECT_EQ(panel->model()->index(249, 1).data().toString(), "Categoría 250");
}

TEST_F(MainWindowTest, TheParametersGoBackWithAPasswordChangedInTheSession)
{
    CallParameters parameters =
        CallParameters::fromList({"ANA", "vieja", "SSSSSSMMS", "", "", "", "", "N", "CDP", "1"});
    later(300, [&] {
        VBGlob::put("Contraseña", "nueva");
        form.mainMenu()->close();
        closeWindow(form.mainMenu());
    });
    form.runMainObject(parameters);
    EXPECT_EQ(parameters[1], "nueva");
    EXPECT_EQ(parameters[0], "ANA");
    EXPECT_TRUE(form.windowTitle().startsWith("Dorvo - "));
}

TEST_F(MainWindowTest, FondoJpgOfTheCurrentFolderIsTheBackgroundWhenPresent)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    // No picture: the plain background stays.
    EXPECT_FALSE(form.PFONDOMD());
    EXPECT_EQ(form.area()->background().style(), Qt::SolidPattern);

    QImage red(40, 30, QImage::Format_RGB32);
    red.fill(QColor(200, 0, 0));
    ASSERT_TRUE(red.save(folder.file("FONDO.JPG"), "JPG"));  // found in any letter case
    const bool shown = form.PFONDOMD();
    QDir::setCurrent(before);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(form.backgroundPicture().isNull());
    const QImage painted = form.area()->background().textureImage();
    ASSERT_FALSE(painted.isNull());
    EXPECT_EQ(painted.size(), form.area()->viewport()->size());
    const QColor middle = painted.pixelColor(painted.width() / 2, painted.height() / 2);
    EXPECT_GT(middle.red(), 150);
    EXPECT_LT(middle.green(), 60);

    // It follows the area's size.
    form.resize(700, 500);
    QApplication::processEvents();
    EXPECT_EQ(form.area()->background().textureImage().size(), form.area()->viewport()->size());
}

TEST_F(MainWindowTest, APanelThatCannotLoadSaysSoUnderThePointerAndLeavesNoWaitCursor)
{
    ASSERT_FALSE(database->execute("DROP TABLE CATEGORI"));
    form.host().open("WCATEGOR");
    ASSERT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(boxes.seen().first().pointer, Qt::ArrowCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.host().openWindow("WCATEGOR"), nullptr);
}

namespace {

/// Records the output of every listing job instead of showing or printing it.
class RecordingOutput : public ReportOutput {
public:
    QStringList asked;
    bool canStart(const JobSettings& settings) override
    {
        asked.append(settings.output);
        return true;
    }
    void deliver(const ReportDocument&) override {}
};

}  // namespace

TEST_F(MainWindowTest, TheOutputChosenInTheMenuOrTheToolbarIsWhereAPanelsPrintGoes)
{
    RecordingOutput output;
    installReportOutput(&output);
    auto* menuChoice = form.findChild<QAction*>("Kq_output_prn");
    auto* screenChoice = form.findChild<QAction*>("Kq_output_scr");
    auto* button = form.findChild<QAction*>("Kq_output_button");
    ASSERT_TRUE(menuChoice && screenChoice && button);
    EXPECT_TRUE(screenChoice->isChecked());
    EXPECT_FALSE(button->isChecked());

    menuChoice->trigger();
    EXPECT_EQ(ReportOutputChoice::current(), "PRN");
    EXPECT_TRUE(button->isChecked()) << "the toolbar shows the menu's choice";
    WorkPanelWindow* panel = openCategories();
    ASSERT_NE(panel, nullptr);
    panel->print();

    button->trigger();  // released: back to the screen
    EXPECT_EQ(ReportOutputChoice::current(), "SCR");
    EXPECT_TRUE(screenChoice->isChecked());
    panel->print();

    installReportOutput(nullptr);
    ReportOutputChoice::set("SCR");
    EXPECT_EQ(output.asked, (QStringList{"PRN", "SCR"}));
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
}

namespace {

TEST(DesktopLookTest, QtsOwnDialogsSpeakSpanishAndButtonsTakeThemePictures)
{
    prepareDesktopLook();
    QMessageBox box(QMessageBox::Warning, "Listado", "No hay datos", QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), "Aceptar");
    QFileDialog dialog(nullptr, "Guardar");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.labelText(QFileDialog::Reject).remove(QLatin1Char('&')), "Cancelar");
    EXPECT_FALSE(QIcon::fromTheme("document-print").isNull()) << "no icon theme found";

    // The focused button wears a frame in the highlight colour.
    QWidget window;
    auto* focused = new QPushButton("Confirmar", &window);
    auto* other = new QPushButton("Cerrar", &window);
    other->move(0, 40);
    window.show();
    QApplication::setActiveWindow(&window);
    focused->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(focused->hasFocus());
    auto highlighted = [](QPushButton* button) {
        const QImage image = button->grab().toImage();
        const QColor mark = button->palette().color(QPalette::Highlight);
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == mark;
        }
        return count;
    };
    EXPECT_GT(highlighted(focused), focused->width());
    EXPECT_LT(highlighted(other), other->width() / 4);
}

}  // namespace
