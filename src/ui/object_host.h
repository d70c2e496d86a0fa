#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class Database;
class QMdiArea;
class QMdiSubWindow;
class UiPort;
class WorkDatabase;

/// Closes a window of the program: its frame in the multiple-document area
/// when it has one, so that frame and window go together.
void closeWindow(QWidget* window);

/// Runs the program's objects as child windows of the main window:
/// transactions, work panels, selection prompts and listings, found by name
/// in the object registry. A call is modal in effect: the calling window is
/// disabled (never the main menu), the call waits in a nested event loop that
/// keeps every other window painted, and hands the key and mode back.
class ObjectHost : public QObject {
    Q_OBJECT
public:
    ObjectHost(QMdiArea* area, UiPort& ui, QObject* parent = nullptr);
    ~ObjectHost() override;

    void setDatabase(Database* database) { database_ = database; }
    /// The main menu's window, which a call never disables.
    void setMainMenuWindow(QWidget* window) { mainMenu_ = window; }

    /// Calls the object `name` and waits until it closes. False when no
    /// object of that name exists.
    bool call(const QString& name, QString& key, QString& mode);
    /// Opens the work panel `name` without waiting, or brings it to the
    /// front when it is open already. False when there is no such panel.
    bool open(const QString& name);
    /// The open window of object `name` (any letter case), or nullptr.
    QWidget* openWindow(const QString& name) const;
    /// Whether an object of that name can be run.
    static bool exists(const QString& name);

signals:
    /// A window the main menu opened has closed.
    void panelClosed(const QString& name);

protected:
    /// Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages of
    /// the form that has the focus; while a window waits for the one it
    /// called, they never reach the waiting window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Brings the newest window that is not waiting for a call to the front.
    void activateNewestEnabled();
    QMdiSubWindow* show(QWidget* window);
    bool callTransaction(const QString& name, QString& key, QString& mode);
    bool callWorkPanel(const QString& name, QString& key);
    bool runListing(const QString& name);
    /// Disables the active window while `run` waits for a called object.
    void waitFor(QWidget* window);

    QMdiArea* area_;
    UiPort& ui_;
    Database* database_ = nullptr;
    QPointer<QWidget> mainMenu_;
    QHash<QString, QPointer<QWidget>> open_;
};
