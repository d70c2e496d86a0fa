// WCONCEPT, the concepts' work panel: from a number on, by description and
// by status, with the concept procedures, listings and related tables at
// hand. Also WSELPART, the bank pension fund items to choose from.
#include "payroll/concepts.h"

#include "engine/object_registry.h"
#include "engine/work_panel.h"
#include "payroll/concept_delete.h"
#include "support/ui_port.h"

#include <QCoreApplication>
#include <QHash>
#include <QDir>
#include <QFile>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

CommandDecl panelCommand(const QString& action, const QString& caption, const QString& opens,
                         const QString& toolTip = {}, bool changesData = false)
{
    CommandDecl command;
    command.action = action;
    command.caption = caption;
    command.opens = opens;
    command.toolTip = toolTip;
    command.changesData = changesData;
    return command;
}

/// "Eliminar": the question, then the procedure that deletes a concept with
/// everything that hangs on it.
void removeConcept(WorkPanel& panel, int row)
{
    const QString question = u"¿Elimina concepto "_s + panel.keyAt(row) + u" "_s + panel.cellText(row, 1).trimmed();
    if (!panel.ui().question(question, DefaultButton::No))
        return;
    const ProcedureResult result = PCONELIM(panel.database(), panel.ui(), panel.keyAt(row).toInt());
    if (!result.ok())
        panel.ui().message(result.message, MessageIcon::Exclamation);
}

QString& itemsFolder()
{
    static QString folder;
    return folder;
}

/// Where "CB_CodPartidas.txt" is: the folder set for it, else the program's
/// folder or a "data" folder in it; a program run from its build folder
/// finds the source tree's "data" folder above it.
QString itemsFile()
{
    const QString name = u"CB_CodPartidas.txt"_s;
    if (!itemsFolder().isEmpty())
        return QDir(itemsFolder()).filePath(name);
    QDir dir(QCoreApplication::applicationDirPath());
    for (int level = 0; level < 4; ++level) {
        for (const QString& path : {dir.filePath(name), dir.filePath(u"data/"_s + name)}) {
            if (QFile::exists(path))
                return path;
        }
        if (!dir.cdUp())
            break;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

}  // namespace

QList<BankFundItem> readBankFundItems(QString* error)
{
    QList<BankFundItem> items;
    QFile file(itemsFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = u"No se encontró el archivo CB_CodPartidas.txt"_s;
        return items;
    }
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype separator = line.indexOf(u';');
        if (separator <= 0)
            continue;
        items.append({line.left(separator).trimmed(), line.mid(separator + 1).trimmed()});
    }
    return items;
}

void setBankFundItemsFolder(const QString& folder)
{
    itemsFolder() = folder;
}


const WorkPanelDecl& WCONCEPT()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WCONCEPT"_s;
        declaration.title = u"Conceptos"_s;
        declaration.table = u"CONCEPT"_s;
        declaration.index = u"ICONCEPT"_s;
        declaration.transaction = u"TCONCEP"_s;
        declaration.listing = u"WCONLIS"_s;
        declaration.helpTopic = u"HLP_WConceptos.htm"_s;
        declaration.columns = {
            {u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s, {}},
            {u"ConDesc"_s, u"Descripción"_s, {}, {}},
            {u"ConTipo"_s, u"Tipo"_s, {},
             {{1, u"Haber"_s}, {2, u"Descuento de ley"_s}, {3, u"Descuento"_s}, {0, u"Interno"_s}}},
            {u"ConActivo"_s, u"Activo"_s, {}, {{1, u"Activo"_s}, {0, u"Inactivo"_s}}},
            {u"ConNotas"_s, u"Notas"_s, {}, {}},
        };
        declaration.filterField = u"ConDesc"_s;
        declaration.filters = {
            {u"Numero"_s, u"Número"_s, FilterKind::StartNumber, u"ConId"_s},
            {u"Estado"_s, u"Estado"_s, FilterKind::Choice, u"ConActivo"_s,
             {{u"1"_s, u"Activos"_s}, {u"0"_s, u"Inactivos"_s}, {u""_s, u"Activos e inactivos"_s}}},
        };
        declaration.commands = {
            panelCommand(u"Copiar"_s, u"C&opiar"_s, u"WCONCOPI"_s, {}, true),
            panelCommand(u"cambio"_s, u"Cambiar nº"_s, u"WCONCAMB"_s, {}, true),
            panelCommand(u"Excel"_s, u"Excel"_s, u"WEXPCONE"_s,
                         u"Genera planilla Excel con la definición de los conceptos"_s),
            panelCommand(u"Acumuladores"_s, u"Acumulad."_s, u"WACUMSHL"_s,
                         u"Mantenimiento de la tabla de Acumuladores"_s),
            panelCommand(u"Aportes"_s, u"Aportes"_s, u"WAPORTES"_s,
                         u"Mantenimiento de la tabla de Grupos de aportes"_s),
            panelCommand(u"UsadoEn"_s, u"Usado en"_s, u"WCONUSAD"_s,
                         u"Muestra los acumuladores y las líneas de asiento en las cuales se utiliza un concepto"_s),
            panelCommand(u"ControlConsistencia"_s, u"Control"_s, u"PCTRCON2"_s,
                         u"Control de errores en los conceptos"_s),
        };
        declaration.removeRow = &removeConcept;
        declaration.protection = {u"Default"_s, {u"Concepto"_s}, 0,
                                  u"No se puede eliminar el concepto, utilizado en preferencias del funcionario"_s};
        declaration.permissionPosition = 7;
        declaration.syncGroup = u"Con"_s;
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WSELPART()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WSELPART"_s;
        declaration.title = u"Lista de selección de Código de Partida"_s;
        declaration.columns = {{u"Codigo"_s, u"Código"_s, {}, {}}, {u"Partida"_s, u"Partida"_s, {}, {}}};
        declaration.selection = true;
        declaration.filterField = u"Partida"_s;
        declaration.helpTopic = u"HLP_WSELPART.htm"_s;
        declaration.rowSource = [](QString& error) {
            QList<QStringList> rows;
            for (const BankFundItem& item : readBankFundItems(&error))
                rows.append({item.code, item.text});
            return rows;
        };
        return declaration;
    }();
    return panel;
}

QString bankFundItemText(const QString& code)
{
    // The items the audit knows whatever the file says; others from the file.
    static const QHash<QString, QString> known = {
        {u"1"_s, u"1-Sueldo"_s},
        {u"2"_s, u"2-Aportes a cargo institución"_s},
        {u"3"_s, u"3-Horas extras"_s},
        {u"4"_s, u"4-Mayor horario"_s},
        {u"5"_s, u"5-Casa habitación en especie"_s},
        {u"6"_s, u"6-Viáticos al 50% (en el pais)"_s},
        {u"7"_s, u"7-Gastos de representación"_s},
        {u"8"_s, u"8-Comisiones"_s},
        {u"9"_s, u"9-Subrogación o interinato"_s},
        {u"10"_s, u"10-Quinquenios"_s},
        {u"11"_s, u"11-Horario nocturno"_s},
        {u"12"_s, u"12-Compensación servicios informáticos/tareas especializadas"_s},
    };
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty())
        return u"No se informa"_s;
    if (known.contains(trimmed))
        return known.value(trimmed);
    for (const BankFundItem& item : readBankFundItems()) {
        if (item.code == trimmed)
            return trimmed + u"-"_s + item.text;
    }
    return trimmed;
}

namespace {
const ObjectRegistration panel(&WCONCEPT);
const ObjectRegistration items(&WSELPART);
}  // namespace
