#include "console/panel_script.h"

#include "console/console_objects.h"
#include "console/console_ui_port.h"
#include "data/work_database.h"
#include "engine/work_panel.h"

using namespace Qt::StringLiterals;

namespace {

const QStringList panelActions = {u"Agregar"_s, u"Modificar"_s, u"Eliminar"_s, u"Imprimir"_s, u"Renovar"_s};
const QStringList promptActions = {u"Confirmar"_s, u"Renovar"_s};

/// Loads pages until row `row` (from 0) is there; false when the list is shorter.
bool reach(WorkPanel& panel, int row)
{
    while (panel.rowCount() <= row && panel.canFetchMore()) {
        if (panel.fetchMore() == 0)
            break;
    }
    return row < panel.rowCount();
}

void printList(WorkPanel& panel, QTextStream& out)
{
    const QList<ColumnDecl>& columns = panel.declaration().columns;
    QStringList titles;
    for (const ColumnDecl& column : columns)
        titles.append(column.heading);
    out << titles.join(u'\t') << u'\n';
    while (panel.canFetchMore() && panel.fetchMore() > 0) {
    }
    for (int row = 0; row < panel.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < int(columns.size()); ++column)
            cells.append(panel.cellText(row, column).trimmed());
        out << cells.join(u'\t') << u'\n';
    }
    out.flush();
}

ExitStatus press(WorkPanel& panel, const PanelPress& step, QString* problem)
{
    // The panel's own commands, then the standard ones.
    for (const CommandDecl& command : panel.declaration().commands) {
        if (command.action.compare(step.action, Qt::CaseInsensitive) != 0)
            continue;
        const int row = step.row > 0 ? step.row - 1 : panel.currentRow();
        if (command.needsRecord && !reach(panel, row)) {
            *problem = u"El panel "_s + panel.declaration().name + u" no tiene la fila "_s + QString::number(row + 1);
            return ExitUsage;
        }
        panel.setCurrentRow(row);
        return panel.press(command.action, row) ? ExitDone : ExitRefused;
    }
    QStringList actions = panel.declaration().selection ? promptActions : panelActions;
    for (const CommandDecl& command : panel.declaration().commands)
        actions << command.action;
    qsizetype known = -1;
    for (qsizetype at = 0; at < actions.size() && known < 0; ++at) {
        if (actions.at(at).compare(step.action, Qt::CaseInsensitive) == 0)
            known = at;
    }
    if (known < 0) {
        *problem = u"El panel "_s + panel.declaration().name + u" no tiene la acción "_s + step.action
            + u". Acciones: "_s + actions.join(u", "_s);
        return ExitUsage;
    }
    const QString action = actions.at(known);
    const int row = step.row > 0 ? step.row - 1 : panel.currentRow();
    const bool needsRow = action == u"Modificar" || action == u"Eliminar" || action == u"Confirmar";
    if (needsRow && !reach(panel, row)) {
        *problem = u"El panel "_s + panel.declaration().name + u" no tiene la fila "_s + QString::number(row + 1);
        return ExitUsage;
    }
    panel.setCurrentRow(row);
    if (action == u"Agregar")
        panel.add();
    else if (action == u"Modificar")
        panel.modify({row});
    else if (action == u"Eliminar")
        panel.remove({row});
    else if (action == u"Imprimir")
        panel.print();
    else if (action == u"Renovar")
        panel.refresh();
    else
        panel.confirmSelection(row);
    return ExitDone;
}

}  // namespace

ExitStatus runPanelScript(const PanelScript& script, Database& database, ConsoleUiPort& ui, QTextStream& out,
                          QString* problem)
{
    const ConsoleObject object = findObject(script.object);
    if (!object.panel) {
        *problem = object.transaction ? script.object + u" es un formulario: use uordane-admin form"_s
                                      : u"No existe el panel "_s + script.object;
        return ExitUsage;
    }
    ui.setDatabase(&database);
    WorkPanel panel(*object.panel, database, ui, WorkDatabase::process());
    if (DbError error = panel.open()) {
        ui.message(error.fullText(), MessageIcon::Exclamation);
        return ExitRefused;
    }
    for (const auto& [name, value] : script.filters) {
        if (name.compare(object.panel->filterField, Qt::CaseInsensitive) == 0)
            panel.setDescriptionFilter(value);
        else
            panel.setFilterValue(name, value);
    }
    const int refusalsBefore = ui.refusals();
    for (const PanelPress& step : script.presses) {
        if (const ExitStatus status = press(panel, step, problem); status != ExitDone) {
            panel.close();
            return status;
        }
    }
    printList(panel, out);
    panel.close();
    return ui.refusals() > refusalsBefore ? ExitRefused : ExitDone;
}
