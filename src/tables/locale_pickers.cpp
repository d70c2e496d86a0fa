// The pickers of the locale form: selection lists over the code lists of the
// installation folder, read afresh each time a picker opens (PLEEDEPT,
// PLEELOCA, PLEEGRUP, PLEESUBG). The first column is what the picker hands
// back: the name for a department or locality, which the locale stores by
// name, and the code for a group or subgroup. Each list can be narrowed by
// typing part of a name.
#include "tables/locale_pickers.h"

#include "tables/code_lists.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"

namespace {

using Columns = QStringList (*)(const CodeListEntry& entry);

/// The rows of `list` as `columns` lays out each entry.
RowSource rowsOf(CodeList (*read)(), Columns columns)
{
    return [read, columns](QString& error) {
        const CodeList list = read();
        error = list.error;
        QList<QStringList> rows;
        for (const CodeListEntry& entry : list.entries)
            rows.append(columns(entry));
        return rows;
    };
}

WorkPanelDecl picker(const QString& name, const QString& title, QList<ColumnDecl> columns, RowSource rows)
{
    WorkPanelDecl declaration;
    declaration.name = name;
    declaration.title = title;
    declaration.columns = std::move(columns);
    declaration.selection = true;
    declaration.rowSource = std::move(rows);
    declaration.helpTopic = QStringLiteral("HLP_") + name + QStringLiteral(".htm");
    return declaration;
}

}  // namespace

const WorkPanelDecl& WDEPTOS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration = picker(
            QStringLiteral("WDEPTOS"), QStringLiteral("Departamentos"),
            {{QStringLiteral("Nombre"), QStringLiteral("Departamento"), {}, {}},
             {QStringLiteral("Codigo"), QStringLiteral("Código"), {}, {}}},
            rowsOf(&PLEEDEPT, [](const CodeListEntry& entry) { return QStringList{entry.name, entry.code}; }));
        declaration.filterField = QStringLiteral("Nombre");
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WLOCALI()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration = picker(
            QStringLiteral("WLOCALI"), QStringLiteral("Localidades"),
            {{QStringLiteral("Nombre"), QStringLiteral("Localidad"), {}, {}},
             {QStringLiteral("Departamento"), QStringLiteral("Departamento"), {}, {}}},
            rowsOf(&PLEELOCA, [](const CodeListEntry& entry) { return QStringList{entry.name, entry.parent}; }));
        declaration.filterField = QStringLiteral("Nombre");
        declaration.parentField = QStringLiteral("Departamento");
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WGRUPO()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration = picker(
            QStringLiteral("WGRUPO"), QStringLiteral("Grupos"),
            {{QStringLiteral("Codigo"), QStringLiteral("Grupo"), {}, {}},
             {QStringLiteral("Nombre"), QStringLiteral("Descripción"), {}, {}}},
            rowsOf(&PLEEGRUP, [](const CodeListEntry& entry) { return QStringList{entry.code, entry.name}; }));
        declaration.filterField = QStringLiteral("Nombre");
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WSUBGRUP()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration = picker(
            QStringLiteral("WSUBGRUP"), QStringLiteral("Subgrupos"),
            {{QStringLiteral("Codigo"), QStringLiteral("Subgrupo"), {}, {}},
             {QStringLiteral("Nombre"), QStringLiteral("Descripción"), {}, {}},
             {QStringLiteral("Grupo"), QStringLiteral("Grupo"), {}, {}}},
            rowsOf(&PLEESUBG,
                   [](const CodeListEntry& entry) { return QStringList{entry.code, entry.name, entry.parent}; }));
        declaration.filterField = QStringLiteral("Nombre");
        declaration.parentField = QStringLiteral("Grupo");
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration departments(&WDEPTOS);
const ObjectRegistration localities(&WLOCALI);
const ObjectRegistration groups(&WGRUPO);
const ObjectRegistration subgroups(&WSUBGRUP);
}  // namespace
