#pragma once

#include "startup/call_parameters.h"
#include "ui/main_menu_window.h"
#include "ui/qt_ui_port.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

class Database;
class MainMenuWindow;
class ObjectHost;
class QMdiArea;
class QAction;
class QMenu;

/// `MainForm`: the main window, a multiple-document frame with the menu bar,
/// the toolbar and the status bar with its three panels. Menu and toolbar
/// commands carry a key: keys beginning with "Kq" are the window's own
/// actions, the others go to the active object, and a key nobody handles
/// answers "Opcion no disponible". The menu "Salida" and the toolbar's
/// printer button choose where every listing goes ("Kq_output_scr",
/// "Kq_output_prn") and set up the printer ("Kq_printsetup").
class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(QWidget* parent = nullptr);
    ~MainForm() override;

    QtUiPort& ui() { return ui_; }
    ObjectHost& host() { return *host_; }
    QMdiArea* area() const { return area_; }
    MainMenuWindow* mainMenu() const { return mainMenu_; }
    void setDatabase(Database* database);

    /// Runs `UORDANE` with the call parameters until it closes; the
    /// parameters then hold what goes back to the caller.
    void runMainObject(CallParameters& parameters);
    /// Routes the command `key` as the menu bar and toolbar do.
    void runCommand(const QString& key);
    /// `PFONDOMD`: the picture `file` ("fondo.jpg" of the current folder)
    /// fills the background behind the windows when it can be read; the
    /// plain background stays otherwise. Returns whether it was shown.
    bool PFONDOMD(const QString& file = QStringLiteral("fondo.jpg"));
    /// The background picture shown, or a null image.
    const QImage& backgroundPicture() const { return background_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    /// The menu "Salida", before "Ayuda": listings to the screen or to the
    /// printer, and the printer set-up.
    void buildOutputMenu(QMenu* before);
    /// Ticks the output choice in the menu and the toolbar.
    void showOutputChoice();
    void updateActionsMenu();
    bool runBuiltIn(const QString& key);
    void openFromMenuBar(const QString& key);
    void showNews();
    void showAbout();
    /// Scales the background picture to cover the area, keeping its shape.
    void fitBackground();

    QtUiPort ui_;
    QMdiArea* area_;
    ObjectHost* host_;
    QPointer<MainMenuWindow> mainMenu_;
    QMenu* actionsMenu_ = nullptr;
    QAction* screenOutput_ = nullptr;
    QAction* printerOutput_ = nullptr;
    QAction* printerButton_ = nullptr;
    QImage background_;
    bool closing_ = false;
};
