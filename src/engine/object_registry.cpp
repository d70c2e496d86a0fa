#include "engine/object_registry.h"

#include "engine/transaction.h"
#include "engine/work_panel.h"

#include <QMap>

namespace {

struct Registry {
    QMap<QString, TransactionDeclaration> transactions;  ///< upper-case name
    QMap<QString, WorkPanelDeclaration> panels;
    QMap<QString, CatalogueEntry> entries;               ///< upper-case name
    QStringList duplicates;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

/// Enters `entry`; the same object registered again is no duplicate.
void enter(const CatalogueEntry& entry, bool sameObject)
{
    Registry& objects = registry();
    const QString key = entry.name.trimmed().toUpper();
    if (objects.entries.contains(key) && !sameObject && !objects.duplicates.contains(key))
        objects.duplicates << key;
    objects.entries[key] = entry;
}



}  // namespace

void ObjectRegistry::add(TransactionDeclaration declaration)
{
    const QString key = declaration().name.toUpper();
    enter({declaration().name, ObjectKind::Transaction, declaration().title},
          registry().transactions.value(key) == declaration);
    registry().transactions[key] = declaration;
}

void ObjectRegistry::add(WorkPanelDeclaration declaration)
{
    const QString key = declaration().name.toUpper();
    const ObjectKind kind = declaration().selection ? ObjectKind::Prompt : ObjectKind::WorkPanel;
    enter({declaration().name, kind, declaration().title}, registry().panels.value(key) == declaration);
    registry().panels[key] = declaration;
}

void ObjectRegistry::addEntry(const QString& name, ObjectKind kind, const QString& title)
{
    const CatalogueEntry* known = entry(name);
    enter({name, kind, title}, known && known->kind == kind && known->title == title);
}

const CatalogueEntry* ObjectRegistry::entry(const QString& name)
{
    const auto found = registry().entries.constFind(name.trimmed().toUpper());
    return found == registry().entries.constEnd() ? nullptr : &found.value();
}

QList<CatalogueEntry> ObjectRegistry::catalogue()
{
    return registry().entries.values();
}

QStringList ObjectRegistry::duplicates()
{
    return registry().duplicates;
}

void ObjectRegistry::removeEntry(const QString& name)
{
    const QString key = name.trimmed().toUpper();
    registry().entries.remove(key);
    registry().duplicates.removeAll(key);
}

const TransactionDecl* ObjectRegistry::transaction(const QString& name)
{
    const TransactionDeclaration declaration = registry().transactions.value(name.trimmed().toUpper());
    return declaration ? &declaration() : nullptr;
}

const WorkPanelDecl* ObjectRegistry::workPanel(const QString& name)
{
    const WorkPanelDeclaration declaration = registry().panels.value(name.trimmed().toUpper());
    return declaration ? &declaration() : nullptr;
}

QStringList ObjectRegistry::names()
{
    return registry().entries.keys();
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
