#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class Database;
class Transaction;
class UiPort;
class WorkDatabase;
class WorkPanel;
struct TransactionDecl;
struct WorkPanelDecl;

// The catalogue of the objects that can be called by name: transactions,
// work panels, selection prompts, procedures, listings and the windows
// written by hand. A UiPort's callObject (the Qt window, the tests' scripted
// port, the console) looks the name up here and runs what it finds; the
// main menu, the menu bar, the help and the command line know an object by
// its entry. Members register their declarations beside them:
//
//   static const ObjectRegistration registration(&TCATEGOR);
//
// The report and window layers register their listings and windows by name
// and title (addEntry). One name is one object: a second registration of a
// name under another object is kept as a duplicate, and the programs refuse
// to start while there is one.

using TransactionDeclaration = const TransactionDecl& (*)();
using WorkPanelDeclaration = const WorkPanelDecl& (*)();

/// What kind of object a catalogue name stands for.
enum class ObjectKind { Transaction, WorkPanel, Prompt, Procedure, Listing, Window };

/// One object of the catalogue.
struct CatalogueEntry {
    QString name;   ///< "TCATEGOR"
    ObjectKind kind = ObjectKind::Transaction;
    QString title;  ///< "Categoría"
};

namespace ObjectRegistry {

/// Registers an object that is not a declaration of the engines (a
/// listing, a procedure, a window written by hand).
void addEntry(const QString& name, ObjectKind kind, const QString& title);
/// The entry called `name` (any letter case), or nullptr.
const CatalogueEntry* entry(const QString& name);
/// Every entry, by name.
QList<CatalogueEntry> catalogue();
/// The names registered for two different objects; empty when all is well.
QStringList duplicates();
/// Forgets the entry `name` (and that it was registered twice).
void removeEntry(const QString& name);

/// Registers a transaction under its declared name (replacing one of that name).
void add(TransactionDeclaration declaration);
/// Registers a work panel or selection prompt under its declared name.
void add(WorkPanelDeclaration declaration);

/// The declaration called `name` (any letter case), or nullptr.
const TransactionDecl* transaction(const QString& name);
const WorkPanelDecl* workPanel(const QString& name);
/// Every registered name, in alphabetical order.
QStringList names();

/// A new engine for the object called `name`, or nullptr when there is none.
std::unique_ptr<Transaction> createTransaction(const QString& name, Database& database, UiPort& ui);
std::unique_ptr<WorkPanel> createWorkPanel(const QString& name, Database& database, UiPort& ui,
                                           WorkDatabase& work);

}  // namespace ObjectRegistry

/// Registers a declaration when the program starts.
struct ObjectRegistration {
    explicit ObjectRegistration(TransactionDeclaration declaration) { ObjectRegistry::add(declaration); }
    explicit ObjectRegistration(WorkPanelDeclaration declaration) { ObjectRegistry::add(declaration); }
};
