#pragma once

#include <QString>

#include <memory>

class Database;
class QWidget;
class UiPort;

// Objects whose windows are written by hand instead of drawn from a
// declaration: the users and profiles windows, whose rows are stored
// scrambled and cannot be listed by the generic work panel. The object host
// opens and calls them by name like the declared objects. A window made here
// has a `closed()` signal and, when called, hands back key and mode through
// its WindowCall.

/// The key and mode of a call, as the window leaves them when it closes.
struct WindowCall {
    QString key;
    QString mode;
};

/// Makes the window of an object; `call` holds the key and mode it was
/// called with (empty when it is opened from a menu).
using WindowFactory = QWidget* (*)(Database& database, UiPort& ui, const std::shared_ptr<WindowCall>& call);

namespace WindowRegistry {

/// Registers the window of `name` (replacing one of that name) and enters it
/// in the catalogue of objects with its title.
void add(const QString& name, const QString& title, WindowFactory factory);
/// Registers the program's hand-written windows (once; later calls do nothing).
void registerAll();
/// The factory of `name` (any letter case), or nullptr.
WindowFactory find(const QString& name);

}  // namespace WindowRegistry
