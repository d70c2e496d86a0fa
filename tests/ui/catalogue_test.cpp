// Every declaration of the program against the schema and the catalogue:
// a field, column, delete check, reference, list object or listing named
// anywhere resolves, so a misspelt name fails here instead of never being
// stored. (In the window layer's binary because the catalogue is whole only
// with the hand-written windows and the listings registered.)
#include "data/schema.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "reports/listings.h"
#include "ui/object_host.h"
#include "ui/window_registry.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WindowRegistry::registerAll();
        (void)Listings::all();
    }

    /// Records a fault of `object` unless `holds`.
    void expect(bool holds, const QString& object, const QString& fault)
    {
        if (!holds)
            faults << object + u": "_s + fault;
    }

    void expectTable(const QString& object, const QString& table, const QString& index = {})
    {
        const TableDef* definition = Schema::table(table);
        expect(definition, object, u"no existe la tabla "_s + table);
        if (definition && !index.isEmpty())
            expect(definition->index(index), object, u"la tabla %1 no tiene el índice %2"_s.arg(table, index));
    }

    void expectField(const QString& object, const QString& table, const QString& field)
    {
        const TableDef* definition = Schema::table(table);
        expect(definition && definition->field(field), object, u"la tabla %1 no tiene el campo %2"_s.arg(table, field));
    }

    /// An index of `table` whose leading key fields are `fields`.
    void expectSeek(const QString& object, const QString& table, const QString& index, const QStringList& fields)
    {
        expectTable(object, table, index);
        const TableDef* definition = Schema::table(table);
        const IndexDef* keys = definition ? definition->index(index) : nullptr;
        if (!keys)
            return;
        expect(keys->fields.mid(0, fields.size()).join(u',').compare(fields.join(u','), Qt::CaseInsensitive) == 0,
               object, u"el índice %1 no empieza por %2"_s.arg(index, fields.join(u", ")));
    }

    /// Objects that declarations already name and that other subjects
    /// build; until they are registered their buttons answer "Opcion no
    /// disponible". The concepts' panel opens the concept procedures
    /// (WCONCOPI, WCONCAMB, WCONUSAD, PCTRCON2), the concept listing
    /// (WCONLIS) and the spreadsheet export (WEXPCONE).
    static bool stillToCome(const QString& name)
    {
        static const QStringList toCome = {u"WCONCOPI"_s, u"WCONCAMB"_s, u"WCONUSAD"_s, u"PCTRCON2"_s,
                                           u"WCONLIS"_s,  u"WEXPCONE"_s};
        return toCome.contains(name) && !ObjectRegistry::entry(name);
    }

    void expectObject(const QString& object, const QString& name)
    {
        if (stillToCome(name))
            return;
        expect(ObjectRegistry::entry(name), object, u"no existe el objeto "_s + name);
    }

    void checkTransaction(const TransactionDecl& form)
    {
        const QString& name = form.name;
        expectTable(name, form.table, form.index);
        for (const FieldDecl& field : form.fields) {
            if (!field.unbound)
                expectField(name, form.table, field.name);
            if (field.kind == FieldKind::Reference) {
                expectTable(name, field.reference.table, field.reference.index);
                if (!field.reference.descriptionField.isEmpty())
                    expectField(name, field.reference.table, field.reference.descriptionField);
            }
            if (!field.reference.listObject.isEmpty())
                expectObject(name, field.reference.listObject);
        }
        for (const DeleteCheck& check : form.deleteChecks) {
            expectSeek(name, check.table, check.index, QStringList{check.field} + check.moreFields);
            for (const QString& field : QStringList{check.field} + check.moreFields)
                expectField(name, check.table, field);
            for (const DeleteSeek& seek : check.moreSeeks)
                expectSeek(name, check.table, seek.index, seek.fields);
        }
        if (const LineTableDecl* lines = form.lines) {
            expectSeek(name, lines->table, lines->index, {lines->headerKey});
            for (const LineColumn& column : lines->columns) {
                if (!column.shown)  // a shown-only column is no field of the table
                    expectField(name, lines->table, column.field);
                if (!column.listObject.isEmpty())
                    expectObject(name, column.listObject);
            }
            if (!lines->lastNumberField.isEmpty())
                expectField(name, form.table, lines->lastNumberField);
        }
        for (const CommandDecl& command : form.commands) {
            if (!command.opens.isEmpty())
                expectObject(name, command.opens);
        }
    }

    void checkPanel(const WorkPanelDecl& panel)
    {
        const QString& name = panel.name;
        const bool listed = panel.rowSource || panel.panelRows;
        if (!listed)
            expectTable(name, panel.table, panel.index);
        for (const ColumnDecl& column : panel.columns) {
            // A computed column (a weekday) is no field of the table.
            if (!listed && !column.computed)
                expectField(name, panel.table, column.field);
        }
        if (!panel.filterField.isEmpty() && !listed)
            expectField(name, panel.table, panel.filterField);
        for (const FilterDecl& filter : panel.filters) {
            if (!filter.field.isEmpty())
                expectField(name, panel.table, filter.field);
        }
        if (!panel.transaction.isEmpty())
            expect(ObjectRegistry::transaction(panel.transaction), name, u"no existe la transacción "_s + panel.transaction);
        // A panel's listing is a listing or the window that chooses one (WCONLIS).
        if (!panel.listing.isEmpty() && !stillToCome(panel.listing))
            expect(Listings::find(panel.listing) || WindowRegistry::find(panel.listing), name,
                   u"no existe el listado "_s + panel.listing);
        for (const CommandDecl& command : panel.commands) {
            if (!command.opens.isEmpty())
                expectObject(name, command.opens);
        }
    }

    QStringList faults;
};

TEST_F(CatalogueTest, EveryNameADeclarationUsesResolvesAgainstTheSchemaAndTheCatalogue)
{
    int transactions = 0;
    int panels = 0;
    for (const CatalogueEntry& entry : ObjectRegistry::catalogue()) {
        EXPECT_FALSE(entry.title.trimmed().isEmpty()) << entry.name.toStdString() << " has no title";
        if (const TransactionDecl* form = ObjectRegistry::transaction(entry.name)) {
            checkTransaction(*form);
            ++transactions;
        }
        if (const WorkPanelDecl* panel = ObjectRegistry::workPanel(entry.name)) {
            checkPanel(*panel);
            ++panels;
        }
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    EXPECT_TRUE(ObjectRegistry::duplicates().isEmpty()) << ObjectRegistry::duplicates().join(u", ").toStdString();
    // The organisation tables alone declare a form and a panel each.
    EXPECT_GE(transactions, 15);
    EXPECT_GE(panels, 20);
}

TEST_F(CatalogueTest, TheCatalogueKnowsEachKindOfObjectByNameAndTitle)
{
    const QList<std::tuple<QString, ObjectKind, QString>> expected = {
        {u"TCATEGOR"_s, ObjectKind::Transaction, u"Categoría"_s},
        {u"WCATEGOR"_s, ObjectKind::WorkPanel, u"Categorias"_s},
        {u"WKQ00N0"_s, ObjectKind::Prompt, u"Conceptos"_s},
        {u"RCATEGOR"_s, ObjectKind::Listing, u"Listado de Categorias"_s},
        {u"WUSUARIO"_s, ObjectKind::Window, u"Usuarios"_s},
    };
    for (const auto& [name, kind, title] : expected) {
        const CatalogueEntry* entry = ObjectRegistry::entry(name.toLower());
        ASSERT_NE(entry, nullptr) << name.toStdString();
        EXPECT_EQ(entry->kind, kind) << name.toStdString();
        EXPECT_EQ(entry->title, title) << name.toStdString();
    }
    EXPECT_TRUE(ObjectHost::exists(u"RDIASLIC"_s));
    EXPECT_FALSE(ObjectHost::exists(u"TNOEXISTE"_s));
}

TEST_F(CatalogueTest, ASecondObjectUnderAKnownNameIsADuplicate)
{
    ObjectRegistry::addEntry(u"RCATEGOR"_s, ObjectKind::Listing, u"Listado de Categorias"_s);
    EXPECT_FALSE(ObjectRegistry::duplicates().contains(u"RCATEGOR"_s)) << "the same object registered again";
    ObjectRegistry::addEntry(u"ZDOBLE"_s, ObjectKind::Procedure, u"Uno"_s);
    ObjectRegistry::addEntry(u"ZDOBLE"_s, ObjectKind::Procedure, u"Otro"_s);
    EXPECT_TRUE(ObjectRegistry::duplicates().contains(u"ZDOBLE"_s));
    ObjectRegistry::removeEntry(u"ZDOBLE"_s);
    EXPECT_TRUE(ObjectRegistry::duplicates().isEmpty()) << "the program would refuse to start";
}

}  // namespace
