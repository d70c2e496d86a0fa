#pragma once

#include <QHash>
#include <functional>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class UiPort;
struct MainMenuEntry;

/// `UORDANE`: the main menu, a child window of the main window with the
/// heading, the tabs "Principales" and "Otras" of one button and caption per
/// table, and the close button. A button opens its table's work panel; the
/// permission string decides which buttons are enabled.
class MainMenuWindow : public QWidget {
    Q_OBJECT
public:
    /// `openPanel` opens a work panel by name and answers false when the
    /// program has no such panel yet.
    MainMenuWindow(UiPort& ui, std::function<bool(const QString&)> openPanel, QWidget* parent = nullptr);

    /// Enables the buttons from "Permisos" and "VersionCS" of the context.
    void applyPermissions();
    /// "Permisos" changed in the context (the user's own profile was
    /// saved): every main menu applies it at once.
    static void permissionsChanged();
    /// Chooses the entry of button, action key or panel `name`, as a click
    /// on its button does. False when no entry has that name.
    bool choose(const QString& name);
    /// The button of `button` (`Bcategorias`), for tests and screenshots.
    QToolButton* button(const QString& button) const;
    QLabel* caption(const QString& button) const;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildTab(const QString& tab);
    void chooseEntry(const MainMenuEntry& entry);

    UiPort& ui_;
    std::function<bool(const QString&)> openPanel_;
    QHash<QString, QToolButton*> buttons_;
    QHash<QString, QLabel*> captions_;
    bool busy_ = false;
};
