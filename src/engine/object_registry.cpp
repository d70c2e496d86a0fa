#include "engine/object_registry.h"

#include "engine/transaction.h"
#include "engine/work_panel.h"

#include <QMap>

namespace {

struct Registry {
    QMap<QString, TransactionDeclaration> transactions;  ///< upper-case name
    QMap<QString, WorkPanelDeclaration> panels;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

Registry& filledRegistry()
{
    return registry();
}

}  // namespace

void ObjectRegistry::add(TransactionDeclaration declaration)
{
    registry().transactions[declaration().name.toUpper()] = declaration;
}

void ObjectRegistry::add(WorkPanelDeclaration declaration)
{
    registry().panels[declaration().name.toUpper()] = declaration;
}

const TransactionDecl* ObjectRegistry::transaction(const QString& name)
{
    const TransactionDeclaration declaration = filledRegistry().transactions.value(name.trimmed().toUpper());
    return declaration ? &declaration() : nullptr;
}

const WorkPanelDecl* ObjectRegistry::workPanel(const QString& name)
{
    const WorkPanelDeclaration declaration = filledRegistry().panels.value(name.trimmed().toUpper());
    return declaration ? &declaration() : nullptr;
}

QStringList ObjectRegistry::names()
{
    const Registry& objects = filledRegistry();
    QStringList all = objects.transactions.keys() + objects.panels.keys();
    all.sort();
    return all;
}

std::unique_ptr<Transaction> ObjectRegistry::createTransaction(const QString& name, Database& database, UiPort& ui)
{
    const TransactionDecl* declaration = transaction(name);
    if (!declaration)
        return nullptr;
    return std::make_unique<Transaction>(*declaration, database, ui);
}

std::unique_ptr<WorkPanel> ObjectRegistry::createWorkPanel(const QString& name, Database& database, UiPort& ui,
                                                           WorkDatabase& work)
{
    const WorkPanelDecl* declaration = workPanel(name);
    if (!declaration)
        return nullptr;
    return std::make_unique<WorkPanel>(*declaration, database, ui, work);
}
