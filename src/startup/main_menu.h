#pragma once

#include <QList>
#include <QString>

// The entries of the main menu `UORDANE` and of the menu bar `BMENUTAB` that
// work panels show, with the permission test of each. The windows draw
// these; the rules live here.

/// Which character of the permission string an entry looks at, and how.
enum class PermissionTest {
    Always,          ///< never disabled
    Position7,       ///< disabled when the 7th character is "N"
    Position8,       ///< disabled when the 8th character is "N"
    Position9IsS,    ///< enabled only when the 9th character is "S"
    Position8AndClientServer,  ///< as Position8, and only when "VersionCS" is "S"
};

/// One button of the main menu.
struct MainMenuEntry {
    QString button;      ///< `Bcategorias`
    QString tab;         ///< "Principales" or "Otras"
    QString caption;     ///< "Categorías"
    QString tooltip;     ///< empty for none
    QString workPanel;   ///< `WCATEGOR`
    QString objectName;  ///< "WCategor": the name the open window is found by
    QString actionKey;   ///< the entry's key in the actions menu "Kq_actions"
    PermissionTest permission;
};

/// The 22 entries in the order of the tabs.
const QList<MainMenuEntry>& mainMenuEntries();
/// The entries' keys in the order of the actions menu "Kq_actions".
const QStringList& actionsMenuOrder();
/// The entry whose button, action key or work panel is `name`, or nullptr.
const MainMenuEntry* findMainMenuEntry(const QString& name);

/// Whether the main menu enables `entry` for `permissions` in an
/// installation whose "VersionCS" is `installationKind`.
bool mainMenuAllows(const MainMenuEntry& entry, const QString& permissions, const QString& installationKind);
/// Why the main menu disables `entry`, in a sentence for the status bar;
/// empty when it is enabled.
QString mainMenuRefusal(const MainMenuEntry& entry, const QString& permissions, const QString& installationKind);

/// One entry of the menu bar `BMENUTAB`.
struct MenuBarEntry {
    int index;
    QString key;        ///< "Id_categoras"
    QString caption;
    int parentIndex;    ///< 0 for a top-level menu
    QString workPanel;  ///< empty for menus, separators and help actions
    int position;       ///< permission position (7, 8, 9, 10); 0 for none
    QString shortcut;   ///< "Ctrl+N" for "Novedades"
};

const QList<MenuBarEntry>& menuBarEntries();

/// Whether the menu bar lets `entry` open: refused only when the character
/// at its position is "N" (a string too short allows it).
bool menuBarAllows(const MenuBarEntry& entry, const QString& permissions);

/// The text of a refused menu-bar choice.
inline const QString noPermissionMessage = QStringLiteral("No tiene permisos para ejecutar esta opción");
/// The text of a command nobody handles.
inline const QString optionNotAvailableMessage = QStringLiteral("Opcion no disponible");

/// Whether `permissions` holds `letter` at `position` (1-based).
bool permissionIs(const QString& permissions, int position, QChar letter);
