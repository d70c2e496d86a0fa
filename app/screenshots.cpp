// uordane-screenshots: opens the main windows of the program on a data
// folder and saves a PNG of each, so that a person can look at them without
// clicking through the program (tools/screenshot.sh runs it under Xvfb).
//
//   uordane-screenshots DATAFOLDER OUTFOLDER
#include "data/database.h"
#include "data/parameters.h"
#include "engine/transaction.h"
#include "startup/call_parameters.h"
#include "ui/desktop_look.h"
#include "ui/main_form.h"
#include "ui/main_menu_window.h"
#include "ui/object_host.h"
#include "ui/qt_ui_port.h"
#include "ui/transaction_window.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTableView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

QString outFolder;

void save(QWidget* window, const QString& name)
{
    QApplication::processEvents();
    const QString file = outFolder + "/" + name + ".png";
    window->grab().save(file);
    std::printf("%s\n", file.toUtf8().constData());
}

/// Runs `steps` one after the other, each after the events of the one
/// before have been processed and painted.
void runSteps(QList<std::function<void()>> steps)
{
    if (steps.isEmpty())
        return;
    QTimer::singleShot(400, [steps]() mutable {
        std::function<void()> step = steps.takeFirst();
        step();
        runSteps(steps);
    });
}

/// Opens the form `name` on `key` in "UPD", saves one picture per tab page
/// (or one picture when `pictures` has one name) and closes it.
void showForm(MainForm& form, const QString& name, const QString& key, const QStringList& pictures)
{
    QTimer::singleShot(600, [&form, pictures] {
        QMdiSubWindow* active = form.area()->activeSubWindow();
        if (!active)
            return;
        auto* tabs = active->widget()->findChild<QTabWidget*>();
        for (int page = 0; page < pictures.size(); ++page) {
            if (tabs && page < tabs->count())
                tabs->setCurrentIndex(page);
            save(&form, pictures[page]);
        }
        // Back to normal first, so that the windows opened next are not
        // maximized after it.
        active->showNormal();
        active->close();
    });
    QString keyInOut = key;
    QString mode = "UPD";
    form.host().call(name, keyInOut, mode);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    prepareDesktopLook();
    if (argc < 3) {
        std::fprintf(stderr, "uso: uordane-screenshots CARPETA_DATOS CARPETA_SALIDA\n");
        return 2;
    }
    const QString dataFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    outFolder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(outFolder);

    Database database(DatabaseLocation::sqliteFile(dataFolder + "KQ_DATA.MDB"));
    if (!database.open()) {
        std::fprintf(stderr, "%s\n", database.errorText().toUtf8().constData());
        return 1;
    }
    Database::setMain(&database);

    MainForm form;
    form.setDatabase(&database);
    form.resize(1100, 760);
    form.show();

    runSteps({
        [&] { save(&form, "01_menu_principal"); },
        [&] {
            form.mainMenu()->choose("Bcategorias");
        },
        [&] { save(&form, "02_categorias"); },
        [&] {
            // A transaction waits for its window to close: the picture is
            // taken from inside the wait, then the window is closed.
            QTimer::singleShot(600, [&] {
                save(&form, "03_categoria_modificar");
                if (QMdiSubWindow* active = form.area()->activeSubWindow())
                    active->close();
            });
            QString key = "2";
            QString mode = "UPD";
            form.host().call("TCATEGOR", key, mode);
        },
        [&] { showForm(form, "TOBRAS", "OBRA-CVIEJA", {"04_obra_pestana_obra", "05_obra_pestana_titular"}); },
        [&] { showForm(form, "TTABAUME", "1", {"06_tabla_aumentos_lineas"}); },
        [&] {
            // The raise table with a cell being typed in its grid.
            QTimer::singleShot(600, [&] {
                QMdiSubWindow* active = form.area()->activeSubWindow();
                auto* window = active ? qobject_cast<TransactionWindow*>(active->widget()) : nullptr;
                QTableView* grid = window ? window->linesView() : nullptr;
                if (grid && grid->model()->rowCount() > 0) {
                    const QModelIndex cell = grid->model()->index(0, grid->model()->columnCount() - 1);
                    grid->setFocus();
                    grid->setCurrentIndex(cell);
                    grid->edit(cell);
                    if (auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
                        editor->setText("Laudo del grupo 9");
                }
                save(&form, "21_tabla_aumentos_celda_abierta");
                if (window)
                    closeWindow(window);
            });
            QString key = "1";
            QString mode = "UPD";
            form.host().call("TTABAUME", key, mode);
        },
        [&] { form.host().open("WCODIGOS"); },
        [&] {
            save(&form, "22_codigos_anotacion");
            if (QMdiSubWindow* active = form.area()->activeSubWindow())
                active->close();
        },
        [&] {
            // Qt's own save dialog, as a listing's preview opens it.
            auto* dialog = new QFileDialog(&form, "Guardar como PDF", QDir::homePath(), "Documentos PDF (*.pdf)");
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->setOption(QFileDialog::DontUseNativeDialog);
            dialog->setAcceptMode(QFileDialog::AcceptSave);
            dialog->show();
            QTimer::singleShot(600, [dialog] {
                save(dialog, "23_guardar_pdf");
                dialog->close();
            });
        },
        [&] {
            // The concepts' prompt with its declared filters above the grid.
            QTimer::singleShot(600, [&] {
                save(&form, "14_conceptos_seleccion");
                if (QMdiSubWindow* active = form.area()->activeSubWindow())
                    active->close();
            });
            QString key = "0";
            QString mode;
            form.host().call("WKQ00N0", key, mode);
        },
        [&] { showForm(form, "TLOCAL", "1", {"07_local"}); },
        [&] {
            // The concept form fills the main window: it is shown maximized.
            QTimer::singleShot(300, [&form] {
                if (QMdiSubWindow* active = form.area()->activeSubWindow())
                    active->showMaximized();
            });
            showForm(form, "TCONCEP", "26",
                     {"15_concepto_general", "16_concepto_liquidacion", "17_concepto_informes_legales",
                      "18_concepto_legajo_licencia", "19_concepto_informacion_tecnica"});
        },
        [&] { form.host().open("WCONCEPT"); },
        [&] {
            save(&form, "20_conceptos");
            if (QMdiSubWindow* active = form.area()->activeSubWindow())
                active->close();
        },
        [&] {
            // F4 in the locality of a locale in Canelones: the picker lists
            // that department's localities over the form.
            QTimer::singleShot(600, [&] {
                QMdiSubWindow* active = form.area()->activeSubWindow();
                auto* window = active ? qobject_cast<TransactionWindow*>(active->widget()) : nullptr;
                if (!window)
                    return;
                QTimer::singleShot(600, [&] {
                    save(&form, "11_local_elegir_localidad");
                    if (QMdiSubWindow* picker = form.area()->activeSubWindow())
                        picker->close();
                });
                QKeyEvent f4(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier);
                QApplication::sendEvent(window->input(window->engine().position("LocLocalid")), &f4);
                closeWindow(window);
            });
            QString key = "2";
            QString mode = "UPD";
            form.host().call("TLOCAL", key, mode);
        },
        [&] {
            // The employer calls the auxiliary reference "Obra".
            PPARGC(database, form.ui(), "Configur", "RefAux", 0, "Obra");
            form.host().open("WREFAUXI");
        },
        [&] {
            save(&form, "12_referencias_auxiliares_obra");
            if (QMdiSubWindow* active = form.area()->activeSubWindow())
                active->close();
        },
        [&] { form.mainMenu()->choose("Busuarios"); },
        [&] { save(&form, "08_usuarios"); },
        [&] {
            // The profile form: its first tab of rights, then the places of work.
            QTimer::singleShot(600, [&] {
                QMdiSubWindow* active = form.area()->activeSubWindow();
                auto* tabs = active ? active->widget()->findChild<QTabWidget*>() : nullptr;
                save(&form, "09_perfil_derechos");
                if (tabs) {
                    tabs->setCurrentIndex(tabs->count() - 1);
                    save(&form, "10_perfil_lugares_trabajo");
                }
                if (active)
                    active->close();
            });
            QString key = "SUPERVISOR";
            QString mode = "UPD";
            form.host().call("WABMPERF", key, mode);
        },
        [&] { showForm(form, "WPARLDAP", QString(), {"13_directorio"}); },
        [&] { form.host().open("WINFORME"); },
        [&] {
            save(&form, "24_generador_informes");
            if (QMdiSubWindow* active = form.area()->activeSubWindow())
                active->close();
        },
        [&] {
            // The demo's payroll by cost centre in the definition editor.
            QTimer::singleShot(600, [&] {
                save(&form, "25_definicion_informe");
                if (QMdiSubWindow* active = form.area()->activeSubWindow())
                    active->close();
            });
            QString key = "1";
            QString mode = "UPD";
            form.host().call("WDEFINFO", key, mode);
        },
        [&] {
            form.area()->closeAllSubWindows();
        },
    });

    CallParameters parameters = CallParameters::fromList(
        {"ADMIN", "", "SSSSSSMMSSSSSSSSSSSS", "", "", "", "", "N", "CDP", "1"});
    form.runMainObject(parameters);
    return 0;
}
