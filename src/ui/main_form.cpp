#include "ui/main_form.h"

#include "data/database.h"
#include "reports/kqrview.h"
#include "startup/main_menu.h"
#include "startup/main_object_start.h"
#include "startup/vbglob.h"
#include "ui/help_viewer.h"
#include "ui/main_menu_window.h"
#include "ui/object_host.h"
#include "ui/pictures.h"
#include "ui/work_panel_window.h"
#include "support/file_names.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>

namespace {

/// Gives every action of `actions` without an Alt letter the first letter
/// of its caption that no sibling uses yet, and does the same inside each
/// submenu, so that the whole menu bar can be walked by keyboard.
void giveMnemonics(const QList<QAction*>& actions)
{
    QString taken;
    for (const QAction* action : actions) {
        const QString text = action->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < text.size())
            taken += text.at(amp + 1).toLower();
    }
    for (QAction* action : actions) {
        QString text = action->text();
        if (!action->isSeparator() && !text.contains(QLatin1Char('&'))) {
            for (qsizetype at = 0; at < text.size(); ++at) {
                const QChar letter = text.at(at).toLower();
                if (letter.isLetterOrNumber() && !taken.contains(letter)) {
                    taken += letter;
                    text.insert(at, QLatin1Char('&'));
                    action->setText(text);
                    break;
                }
            }
        }
        if (QMenu* menu = action->menu())
            giveMnemonics(menu->actions());
    }
}

/// The colour behind the windows, and around a background picture.
const QColor plainBackground(0x4a, 0x6f, 0x8f);

const QString newsText = QStringLiteral(
    "<h3>Novedades de esta versión</h3>"
    "<ul>"
    "<li>La base de datos de una instalación de archivo es un archivo SQLite compartido; "
    "los registros se reservan mientras se modifican y se detectan los cambios de otros usuarios.</li>"
    "<li>Cada cambio deja su entrada en la auditoría; <i>uordane-admin audit</i> la muestra.</li>"
    "<li>Los listados se ven en una vista previa propia, se imprimen o se guardan como PDF.</li>"
    "<li>Las listas cargan de a 100 filas y el filtro de descripción no distingue acentos.</li>"
    "</ul>");

}  // namespace

MainForm::MainForm(QWidget* parent) : QMainWindow(parent), area_(new QMdiArea(this))
{
    setObjectName("MainForm");
    setWindowTitle(QStringLiteral("Dorvo"));
    setWindowIcon(picture("tabla.ico"));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setBackground(plainBackground);
    area_->viewport()->installEventFilter(this);
    setCentralWidget(area_);

    ui_.setParentWindow(this);
    ui_.attachStatusBar(statusBar());
    // The credit line of the status bar.
    statusBar()->addWidget(new QLabel(QStringLiteral("Tablas de liquidación de sueldos")));

    host_ = new ObjectHost(area_, ui_, this);
    ui_.setObjectCaller([this](const QString& name, QString& key, QString& mode) {
        return host_->call(name, key, mode);
    });
    connect(host_, &ObjectHost::panelClosed, this, [this] {
        if (mainMenu_)
            mainMenu_->applyPermissions();
    });
    connect(area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { updateActionsMenu(); });

    buildMenus();
    buildToolBar();
    resize(1024, 720);
}

MainForm::~MainForm() = default;

void MainForm::setDatabase(Database* database)
{
    host_->setDatabase(database);
}

void MainForm::buildMenus()
{
    QHash<int, QMenu*> menus;
    QMenu* helpMenu = nullptr;
    for (const MenuBarEntry& entry : menuBarEntries()) {
        QMenu* parent = menus.value(entry.parentIndex);
        const bool isMenu = entry.workPanel.isEmpty() && (entry.key == "Id_datos" || entry.key == "Id_otras_tablas"
                                                          || entry.key == "Kq_help");
        if (isMenu) {
            QMenu* menu = parent ? parent->addMenu(entry.caption) : menuBar()->addMenu(entry.caption);
            menus.insert(entry.index, menu);
            if (entry.key == "Kq_help")
                helpMenu = menu;
            if (entry.key == "Id_datos") {
                actionsMenu_ = menuBar()->addMenu(QStringLiteral("Acciones"));
                actionsMenu_->setObjectName("Kq_actions");
            }
            continue;
        }
        if (entry.key.isEmpty()) {
            parent->addSeparator();
            continue;
        }
        QAction* action = parent->addAction(entry.caption);
        action->setObjectName(entry.key);
        if (!entry.shortcut.isEmpty())
            action->setShortcut(QKeySequence(entry.shortcut));
        const QString key = entry.key;
        connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
    }
    buildOutputMenu(helpMenu);
    updateActionsMenu();
    giveMnemonics(menuBar()->actions());
}

void MainForm::buildOutputMenu(QMenu* before)
{
    auto* menu = new QMenu(QStringLiteral("&Salida"), this);
    menu->setObjectName("Kq_output");
    if (before)
        menuBar()->insertMenu(before->menuAction(), menu);
    else
        menuBar()->addMenu(menu);
    auto* choices = new QActionGroup(menu);
    auto add = [&](const QString& key, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
        return action;
    };
    screenOutput_ = add("Kq_output_scr", QStringLiteral("Listados por &pantalla"));
    printerOutput_ = add("Kq_output_prn", QStringLiteral("Listados a la &impresora"));
    for (QAction* choice : {screenOutput_, printerOutput_}) {
        choice->setCheckable(true);
        choices->addAction(choice);
    }
    screenOutput_->setStatusTip(QStringLiteral("Los listados se muestran en una vista previa"));
    printerOutput_->setStatusTip(QStringLiteral("Los listados van directamente a la impresora"));
    menu->addSeparator();
    add("Kq_printsetup", QStringLiteral("&Configurar impresora..."));
}

void MainForm::showOutputChoice()
{
    const bool printer = ReportOutputChoice::current() == QLatin1String("PRN");
    for (QAction* action : {screenOutput_, printerOutput_, printerButton_}) {
        if (!action)
            continue;
        const QSignalBlocker blocker(action);
        action->setChecked(action == screenOutput_ ? !printer : printer);
    }
}

void MainForm::buildToolBar()
{
    QToolBar* toolBar = addToolBar(QStringLiteral("Herramientas"));
    toolBar->setObjectName("Herramientas");
    toolBar->setMovable(false);
    auto add = [&](const QString& key, const QString& file, const QString& tip) {
        QAction* action = toolBar->addAction(picture(file), tip);
        action->setObjectName(key);
        connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
    };
    add("Kq_close", "cerrar.ico", QStringLiteral("Cerrar la ventana activa"));
    add("Kq_cascade", "tabla.ico", QStringLiteral("Ventanas en cascada"));
    add("Kq_arrange", "modifica.ico", QStringLiteral("Ventanas en mosaico"));
    add("Kq_index", "ayuda.ico", QStringLiteral("Ayuda"));
    toolBar->addSeparator();
    // Pressed: every listing goes straight to the printer; released: to the
    // preview window.
    printerButton_ = toolBar->addAction(picture("imprimir.ico"), QStringLiteral("Listados a la impresora"));
    printerButton_->setObjectName("Kq_output_button");
    printerButton_->setCheckable(true);
    connect(printerButton_, &QAction::toggled, this,
            [this](bool printer) { runCommand(printer ? QStringLiteral("Kq_output_prn") : QStringLiteral("Kq_output_scr")); });
    showOutputChoice();
}

void MainForm::updateActionsMenu()
{
    if (!actionsMenu_)
        return;
    actionsMenu_->clear();
    QMdiSubWindow* active = area_->activeSubWindow();
    QWidget* widget = active ? active->widget() : nullptr;
    QStringList keys;
    if (widget && widget == mainMenu_)
        keys = actionsMenuOrder();
    else if (auto* panel = qobject_cast<WorkPanelWindow*>(widget))
        keys = panel->actions();
    for (const QString& key : keys) {
        QAction* action = actionsMenu_->addAction(key);
        connect(action, &QAction::triggered, this, [this, key] { runCommand(key); });
    }
    giveMnemonics(actionsMenu_->actions());
    actionsMenu_->menuAction()->setVisible(!keys.isEmpty());
}

void MainForm::runCommand(const QString& key)
{
    if (key.startsWith("Kq", Qt::CaseInsensitive)) {
        runBuiltIn(key);
        return;
    }
    if (key.startsWith("Id_", Qt::CaseInsensitive)) {
        openFromMenuBar(key);
        return;
    }
    QMdiSubWindow* active = area_->activeSubWindow();
    QWidget* widget = active ? active->widget() : nullptr;
    if (widget && widget == mainMenu_ && mainMenu_->choose(key))
        return;
    if (auto* panel = qobject_cast<WorkPanelWindow*>(widget); panel && panel->runAction(key))
        return;
    ui_.message(optionNotAvailableMessage, MessageIcon::Information);
}

void MainForm::openFromMenuBar(const QString& key)
{
    for (const MenuBarEntry& entry : menuBarEntries()) {
        if (entry.key.compare(key, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.key == "Id_novedades") {
            showNews();
            return;
        }
        if (!menuBarAllows(entry, VBGlob::get("Permisos"))) {
            ui_.message(noPermissionMessage, MessageIcon::Information);
            return;
        }
        if (entry.workPanel.isEmpty() || !host_->open(entry.workPanel))
            ui_.message(optionNotAvailableMessage, MessageIcon::Information);
        return;
    }
    ui_.message(optionNotAvailableMessage, MessageIcon::Information);
}

bool MainForm::runBuiltIn(const QString& key)
{
    const QString action = key.toLower();
    QMdiSubWindow* active = area_->activeSubWindow();
    if (action == "kq_cascade") {
        area_->cascadeSubWindows();
    } else if (action == "kq_arrange") {
        area_->tileSubWindows();
    } else if (action == "kq_close") {
        if (active)
            active->close();
    } else if (action == "kq_exit") {
        close();
    } else if (action == "kq_index" || action == "kq_search") {
        showHelp(active && active->widget() ? active->widget()->objectName() : QStringLiteral("UORDANE"), this);
    } else if (action == "kq_about") {
        showAbout();
    } else if (action == "kq_toolbar") {
        for (QToolBar* toolBar : findChildren<QToolBar*>())
            toolBar->setVisible(!toolBar->isVisible());
    } else if (action == "kq_output_scr" || action == "kq_output_prn") {
        ReportOutputChoice::set(action == "kq_output_prn" ? QStringLiteral("PRN") : QStringLiteral("SCR"));
        showOutputChoice();
    } else if (action == "kq_printsetup") {
        KQRView view;
        if (!installedReportOutput())
            ui_.message(optionNotAvailableMessage, MessageIcon::Information);
        else
            view.printerSetup();
    } else if (action == "kq_statusbar") {
        statusBar()->setVisible(!statusBar()->isVisible());
    } else if (action == "kq_refresh") {
        if (auto* panel = active ? qobject_cast<WorkPanelWindow*>(active->widget()) : nullptr)
            panel->refresh();
    } else if (action == "kq_delrec") {
        if (auto* panel = active ? qobject_cast<WorkPanelWindow*>(active->widget()) : nullptr)
            panel->remove();
    } else {
        ui_.message(optionNotAvailableMessage, MessageIcon::Information);
        return false;
    }
    return true;
}

bool MainForm::PFONDOMD(const QString& file)
{
    const QImage picture(findFileIgnoringCase(QDir::current().filePath(file)));
    if (picture.isNull())
        return false;
    background_ = picture;
    fitBackground();
    return true;
}

void MainForm::fitBackground()
{
    if (background_.isNull())
        return;
    const QSize size = area_->viewport()->size();
    if (size.isEmpty())
        return;
    // Covers the whole area without stretching the picture out of shape;
    // what sticks out past the edges is cut off evenly on both sides.
    const QImage scaled = background_.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(plainBackground);
    QPainter painter(&canvas);
    painter.drawImage(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2), scaled);
    painter.end();
    area_->setBackground(QBrush(canvas));
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == area_->viewport() && event->type() == QEvent::Resize)
        fitBackground();
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::showNews()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Novedades"), newsText, QMessageBox::Ok, this);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

void MainForm::showAbout()
{
    QMessageBox::about(this, QStringLiteral("Acerca de"),
                       QStringLiteral("<b>Tablas</b> del sistema de liquidación de sueldos Dorvo.<br>"
                                      "Mantenimiento de conceptos, básicos, tablas de la organización, "
                                      "usuarios y perfiles."));
}

void MainForm::runMainObject(CallParameters& parameters)
{
    auto* menu = new MainMenuWindow(ui_, [this](const QString& panel) { return host_->open(panel); });
    mainMenu_ = menu;
    host_->setMainMenuWindow(menu);

    MainObjectStart start;
    {
        const WaitScope wait(ui_);
        start = startMainObject(parameters, companyIniFile, Database::main(), ui_);
    }
    if (start.outcome != MainObjectOutcome::Run) {
        delete menu;
        return;
    }
    setWindowTitle(start.title);
    PFONDOMD();
    menu->applyPermissions();

    QMdiSubWindow* frame = area_->addSubWindow(menu, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                                                         | Qt::WindowCloseButtonHint);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->resize(560, 440);
    frame->move(20, 20);
    frame->show();
    area_->setActiveSubWindow(frame);
    updateActionsMenu();

    QEventLoop loop;
    connect(menu, &MainMenuWindow::closed, &loop, &QEventLoop::quit);
    connect(frame, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();

    // What the session changed in the context (a new password, say) goes
    // back to the caller.
    for (int index = 0; index < CallParameters::count; ++index)
        parameters[index] = VBGlob::get(CallParameters::contextKeys[static_cast<size_t>(index)]);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    // Every child window closes first; a window that refuses (a command
    // running) keeps the program open.
    area_->closeAllSubWindows();
    if (!area_->subWindowList().isEmpty()) {
        closing_ = false;
        event->ignore();
        return;
    }
    event->accept();
}
