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

// The objects that can be called by name: transactions, work panels and
// selection prompts. A UiPort's callObject (the Qt window, the tests'
// scripted port) looks the name up here and runs what it finds. Members
// register their declarations beside them:
//
//   static const ObjectRegistration registration(&TCATEGOR);
//

using TransactionDeclaration = const TransactionDecl& (*)();
using WorkPanelDeclaration = const WorkPanelDecl& (*)();

namespace ObjectRegistry {

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
