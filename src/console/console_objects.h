#pragma once

#include <QString>

class Database;
class UiPort;
struct TransactionDecl;
struct WorkPanelDecl;

/// What a name given on the command line is: a transaction (a form a person
/// fills in and confirms), a work panel, or nothing the console can run.
struct ConsoleObject {
    const TransactionDecl* transaction = nullptr;
    const WorkPanelDecl* panel = nullptr;

    bool exists() const { return transaction || panel; }
};

/// The declaration of the object called `name` (any letter case). The one
/// place where the console turns a name into a declaration.
ConsoleObject findObject(const QString& name);

/// Runs the object `name` for a caller with no one at the keyboard: a
/// transaction starts with `key` and `mode` and is closed at once (in "DLT"
/// it asks and deletes as it starts), a work panel opens and closes, a
/// listing is drawn and dropped. Key and mode are handed back. False when
/// there is no object of that name.
bool runUnattended(const QString& name, QString& key, QString& mode, Database& database, UiPort& ui);
