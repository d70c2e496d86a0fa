// Accounting entry definitions: the header form TASIENT1, the entry form
// WASIENT4 with its lines and their calculations, the one-line form
// TASIENT2, the one-calculation form TASIENT4 and the panel WASIENT1.
//
// A line's checks look across the whole entry: a line by the difference
// ("D") anywhere forbids cost-centre filters on every line, and a line with
// a "CC Mutual" calculation ("M") can be neither split nor filtered, whichever
// of the two was typed first. The grids of WASIENT4 and the one-row forms
// run the same checks, on what the grid holds or on what is stored.
#include "payroll/accounting_entries.h"

#include "payroll/accounting_entries_procedures.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/work_panel.h"
#include "payroll/definition_reads.h"
#include "support/ui_port.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString mutualKind = u"M"_s;
const QString differenceKind = u"D"_s;
const QString conceptKind = u"C"_s;

const QString lineNumberMissing = u"Falta nº de línea"_s;
const QString repeatedKey = u"Ya existe el registro"_s;
const QString noDifferenceWithFilter = u"No puede filtrar por centro de costo, si existe la línea por la diferencia"_s;

bool takesParameter(const QString& kind)
{
    return kind == mutualKind || kind == u"R"_s || kind == u"X"_s;
}

bool anyCalculates(const QList<EntryLineFacts>& lines, const QString& kind)
{
    return std::any_of(lines.cbegin(), lines.cend(), [&](const EntryLineFacts& line) { return line.calculates(kind); });
}

bool anyFiltersCostCentre(const QList<EntryLineFacts>& lines)
{
    return std::any_of(lines.cbegin(), lines.cend(), [](const EntryLineFacts& line) { return line.filtersCostCentre(); });
}

bool knownSplit(const QString& code)
{
    const QList<CodeChoice>& splits = lineSplits();
    return std::any_of(splits.cbegin(), splits.cend(), [&](const CodeChoice& choice) { return choice.value.toString() == code; });
}

}  // namespace

const QList<CodeChoice>& calculationKinds()
{
    static const QList<CodeChoice> kinds = {
        {u"M"_s, u"CC Mutual"_s},   {u"C"_s, u"Concepto"_s},          {u"D"_s, u"Diferencia"_s},
        {u"3"_s, u"Dtos"_s},        {u"1"_s, u"Dtos ley"_s},          {u"R"_s, u"Grupo"_s},
        {u"H"_s, u"Haberes"_s},     {u"G"_s, u"Hab.grav."_s},         {u"4"_s, u"Hab.grav. no agui."_s},
        {u"T"_s, u"HGT"_s},         {u"U"_s, u"HGT Aguin"_s},         {u"X"_s, u"H. Laboral"_s},
        {u"L"_s, u"Líquido"_s},     {u"N"_s, u"Líq.negat."_s},        {u"P"_s, u"Líq.posit."_s},
        {u"2"_s, u"Otros dtos"_s},
    };
    return kinds;
}

QString calculationKindText(const QString& code)
{
    for (const CodeChoice& kind : calculationKinds()) {
        if (kind.value.toString() == code.trimmed().toUpper())
            return kind.text;
    }
    return {};
}

const QList<CodeChoice>& lineSplits()
{
    static const QList<CodeChoice> splits = {
        {u""_s, u"No"_s, {u"No"_s}},
        {u"S"_s, u"Por cada centro de costos"_s, {u"C de Ctos."_s}},
        {u"R"_s, u"Por funcionario mismo rubro"_s, {u"Func = R"_s}},
        {u"F"_s, u"Por funcionario distinto rubro"_s, {u"Func <> R"_s}},
        {u"T"_s, u"Por centro de costos y funcionario mismo rubro"_s, {u"C de C y F"_s}},
    };
    return splits;
}

QString lineSplitShortText(const QString& code)
{
    for (const CodeChoice& split : lineSplits()) {
        if (split.value.toString() == code.trimmed().toUpper())
            return split.columns.value(0);
    }
    return code.trimmed();
}

// The work history the payroll keeps of each employee's month: the days
// and hours the liquidation paid and the absences it discounted. A
// calculation "H. Laboral" posts the amount of one of them.
const QList<WorkHistoryItem>& workHistoryItems()
{
    static const QList<WorkHistoryItem> items = {
        {1, u"Días trabajados"_s},
        {2, u"Horas trabajadas"_s},
        {3, u"Jornales trabajados"_s},
        {4, u"Horas extra"_s},
        {5, u"Días de licencia"_s},
        {6, u"Días de enfermedad"_s},
        {7, u"Días de accidente de trabajo"_s},
        {8, u"Faltas"_s},
    };
    return items;
}

QString calculationParameterDescription(const QString& kind, const QString& parameter)
{
    const QString code = kind.trimmed().toUpper();
    const QString value = parameter.trimmed();
    if (value.isEmpty())
        return {};
    if (code == mutualKind) {
        return value.toInt() == 1 ? u"Ind. y Com., Civil, Bancaria, Trab. domicilio, Serv. domés."_s
                                  : u"Construcción"_s;
    }
    if (code == u"R"_s)
        return u"Conceptos del grupo "_s + value.toUpper();
    if (code == u"X"_s) {
        for (const WorkHistoryItem& item : workHistoryItems()) {
            if (item.code == value.toInt())
                return item.description;
        }
    }
    return {};
}

FieldVerdict checkLineAgainstEntry(const EntryLineFacts& line, const QList<EntryLineFacts>& others)
{
    if (!line.externalValue.isEmpty() && line.hasSplit())
        return FieldVerdict::refuse(u"No debe indicar valor del Auxiliar externo si seleccionó alguna apertura para el asiento"_s);
    if (line.filtersCostCentre() && line.calculates(mutualKind))
        return FieldVerdict::refuse(u"No puede filtrar por centro de costo una linea con cálculo por Complemento de Cuota Mutual"_s);
    if (line.filtersCostCentre() && (line.calculates(differenceKind) || anyCalculates(others, differenceKind)))
        return FieldVerdict::refuse(noDifferenceWithFilter);
    if (line.hasSplit() && line.calculates(mutualKind))
        return FieldVerdict::refuse(u"No puede hacer apertura de una linea con cálculo por Complemento de Cuota Mutual"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkCalculation(Database& database, const CalculationFacts& calculation, const EntryLineFacts& line,
                              const QList<EntryLineFacts>& others)
{
    const QString& kind = calculation.kind;
    if (kind.isEmpty())
        return FieldVerdict::refuse(u"Falta cálculo"_s);
    if (calculationKindText(kind).isEmpty())
        return FieldVerdict::refuse(u"Cálculo incorrecto"_s);
    if (kind == conceptKind && calculation.conceptId == 0)
        return FieldVerdict::refuse(u"Indicó cálculo por Concepto pero no indicó Concepto"_s);
    if (kind != conceptKind && calculation.conceptId != 0)
        return FieldVerdict::refuse(u"No se indica Concepto para ese tipo de cálculo"_s);
    if (calculation.conceptId != 0 && !referenceExists(database, u"CONCEPT"_s, u"ConId"_s, calculation.conceptId))
        return FieldVerdict::refuse(u"No existe Conceptos"_s);
    if (kind == mutualKind && calculation.parameter.isEmpty())
        return FieldVerdict::refuse(u"Indicó cálculo CC Mutual pero no indicó el Parámetro"_s);
    if ((kind == u"R"_s || kind == u"X"_s) && calculation.parameter.isEmpty())
        return FieldVerdict::refuse(u"Indicó cálculo por Grupo/H.laboral pero no indicó el Parámetro"_s);
    if (!takesParameter(kind) && !calculation.parameter.isEmpty())
        return FieldVerdict::refuse(u"No se indica Parámetro para ese tipo de cálculo"_s);
    if (kind == mutualKind && (line.hasSplit() || line.filtersCostCentre()))
        return FieldVerdict::refuse(u"No se permite Complemento de Cuota Mutual en una línea con apertura o filtro por Centro de costo"_s);
    if (kind == differenceKind && (line.hasSplit() || line.filtersCostCentre()))
        return FieldVerdict::refuse(u"No se puede marcar línea por la diferencia si seleccionó por centro de costo"_s);
    // The same rule as a filter typed on a line, seen from the difference's side.
    if (kind == differenceKind && anyFiltersCostCentre(others))
        return FieldVerdict::refuse(noDifferenceWithFilter);
    if (calculation.number == 0)
        return FieldVerdict::refuse(lineNumberMissing);
    return FieldVerdict::ok();
}

bool referenceExists(Database& database, const QString& table, const QString& field, const QVariant& value)
{
    TableCursor cursor(database);
    if (cursor.open(table, Access::ReadOnly))
        return false;
    const TableDef* definition = Schema::table(table);
    const IndexDef* primary = definition ? definition->primaryIndex() : nullptr;
    if (!primary || primary->fields.value(0).compare(field, Qt::CaseInsensitive) != 0)
        return false;
    cursor.seek(Comparison::Equal, {value});
    const bool found = !cursor.noMatch() && cursor.hasCurrent();
    database.idleFreeLocks();
    return found;
}

QList<EntryLineFacts> storedEntryLines(Database& database, qint64 entry)
{
    QList<EntryLineFacts> lines;
    TableCursor cursor(database);
    if (cursor.open(u"ASIENTO1"_s, Access::ReadOnly))
        return lines;
    for (cursor.seek(Comparison::GreaterOrEqual, {entry, 0}); cursor.hasCurrent() && cursor.integer(u"AsiId"_s) == entry;
         cursor.moveNext()) {
        EntryLineFacts line;
        line.line = int(cursor.integer(u"AsiLin"_s));
        line.split = cursor.text(u"AsiApCC"_s).trimmed().toUpper();
        line.costCentre = cursor.text(u"CCId"_s).trimmed();
        line.externalValue = cursor.text(u"AsiValor"_s).trimmed();
        lines.append(line);
    }
    TableCursor calculations(database);
    if (!calculations.open(u"ASIENT4"_s, Access::ReadOnly)) {
        for (EntryLineFacts& line : lines) {
            for (calculations.seek(Comparison::GreaterOrEqual, {entry, line.line, 0});
                 calculations.hasCurrent() && calculations.integer(u"AsiId"_s) == entry
                 && calculations.integer(u"AsiLin"_s) == line.line;
                 calculations.moveNext())
                line.kinds << calculations.text(u"AsiCalculo"_s).trimmed().toUpper();
        }
    }
    database.idleFreeLocks();
    return lines;
}

namespace {

// ---- The grids of WASIENT4 -------------------------------------------------

enum LineColumnIndex {
    LineNumber = 0, LineSide, LineHeading, LineSplit, LineCostCentre, LineDetail, LineMarkA, LineMarkB,
    LineExternalConcept, LineExternalValue
};
enum CalculationColumnIndex { CalcNumber = 0, CalcKind, CalcParameter, CalcConcept, CalcMultiplier, CalcDivisor };

QString trimmedUpper(const QVariant& value)
{
    return value.toString().trimmed().toUpper();
}

EntryLineFacts gridLineFacts(LineTable& lines, int row)
{
    EntryLineFacts facts;
    facts.line = lines.value(row, LineNumber).toInt();
    facts.split = trimmedUpper(lines.value(row, LineSplit));
    facts.costCentre = lines.value(row, LineCostCentre).toString().trimmed();
    facts.externalValue = lines.value(row, LineExternalValue).toString().trimmed();
    if (LineTable* calculations = lines.sublines(row)) {
        for (int at = 0; at < calculations->rowCount(); ++at) {
            if (calculations->mode(at) != Mode::Delete)
                facts.kinds << trimmedUpper(calculations->value(at, CalcKind));
        }
    }
    return facts;
}

/// The lines of the grid that stay, but `except`.
QList<EntryLineFacts> gridOtherLines(LineTable& lines, int except)
{
    QList<EntryLineFacts> others;
    for (int row = 0; row < lines.rowCount(); ++row) {
        if (row != except && lines.mode(row) != Mode::Delete)
            others.append(gridLineFacts(lines, row));
    }
    return others;
}

FieldVerdict checkGridLine(const LineTable& checked, int row)
{
    LineTable& lines = *checked.form().lines();
    Database& database = checked.form().database();
    if (lines.value(row, LineNumber).toInt() == 0)
        return FieldVerdict::refuse(lineNumberMissing);
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(repeatedKey);
    const QString side = trimmedUpper(lines.value(row, LineSide));
    if (side != u"D"_s && side != u"H"_s)
        return FieldVerdict::refuse(u"Debe/Haber incorrecto"_s);
    if (!referenceExists(database, u"RUBROS"_s, u"RubId"_s, lines.value(row, LineHeading).toDouble()))
        return FieldVerdict::refuse(u"No existe Rubros"_s);
    if (!knownSplit(trimmedUpper(lines.value(row, LineSplit))))
        return FieldVerdict::refuse(u"Apertura incorrecta"_s);
    const QString costCentre = lines.value(row, LineCostCentre).toString().trimmed();
    if (!costCentre.isEmpty() && !referenceExists(database, u"CENTROCO"_s, u"CCId"_s, costCentre))
        return FieldVerdict::refuse(u"No existe CentroCosto"_s);
    return checkLineAgainstEntry(gridLineFacts(lines, row), gridOtherLines(lines, row));
}

FieldVerdict checkGridCalculation(const LineTable& calculations, int row)
{
    LineTable& lines = *calculations.form().lines();
    int parent = -1;
    for (int at = 0; at < lines.rowCount() && parent < 0; ++at) {
        if (lines.sublines(at) == &calculations)
            parent = at;
    }
    Q_ASSERT_X(parent >= 0, "checkGridCalculation", "a calculation grid belongs to a line of its form");
    if (parent < 0)
        return FieldVerdict::ok();
    if (calculations.repeatsKey(row))
        return FieldVerdict::refuse(repeatedKey);
    CalculationFacts facts;
    facts.number = calculations.value(row, CalcNumber).toInt();
    facts.kind = trimmedUpper(calculations.value(row, CalcKind));
    facts.conceptId = calculations.value(row, CalcConcept).toInt();
    facts.parameter = calculations.value(row, CalcParameter).toString().trimmed();
    return checkCalculation(calculations.form().database(), facts, gridLineFacts(lines, parent),
                            gridOtherLines(lines, parent));
}

const QString factorPicture = u"ZZZZ9.9999999"_s;

const LineTableDecl& entryCalculations()
{
    static const LineTableDecl calculations = [] {
        LineTableDecl declaration;
        declaration.table = u"ASIENT4"_s;
        declaration.index = u"IASIENT5"_s;
        declaration.headerKey = u"AsiId"_s;
        declaration.parentLineField = u"AsiLin"_s;
        declaration.columns = {
            {u"AsiCorLin"_s, u"Nº"_s, u"ZZ9"_s},
            {u"AsiCalculo"_s, u"Cálculo"_s, u"!"_s},
            {u"AsiConGrup"_s, u"Parámetro"_s, {}},
            {u"ConId"_s, u"Concepto"_s, u"ZZZ9"_s},
            {u"AsiMult"_s, u"Multiplicar por"_s, factorPicture},
            {u"AsiDiv"_s, u"Dividir por"_s, factorPicture},
        };
        declaration.check = &checkGridCalculation;
        declaration.lastNumberField = u"AsiUltCorL"_s;
        declaration.audit.insert = u"Agrega cálculo de asiento "_s;
        declaration.audit.modify = u"Modifica cálculo de asiento "_s;
        declaration.audit.remove = u"Elimina cálculo de asiento "_s;
        declaration.audit.parts = {{u"AsiCalculo"_s, u", cálculo = "_s}, {u"ConId"_s, u", concepto = "_s}};
        return declaration;
    }();
    return calculations;
}

const LineTableDecl& entryLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"ASIENTO1"_s;
        declaration.index = u"IASIENT1"_s;
        declaration.headerKey = u"AsiId"_s;
        declaration.columns = {
            {u"AsiLin"_s, u"Línea"_s, u"ZZ9"_s},
            {u"AsiDH"_s, u"D/H"_s, u"!"_s},
            {u"RubId"_s, u"Rubro"_s, u"ZZZZZZZZZZZZZZ9"_s},
            {u"AsiApCC"_s, u"Abrir por"_s, u"!"_s},
            {u"CCId"_s, u"C.C"_s, {}},
            {u"AsiDetalle"_s, u"Detalle"_s, {}},
            {u"AsiMarA"_s, u"Marca A"_s, {}},
            {u"AsiMarB"_s, u"Marca B"_s, {}},
            {u"AsiConcept"_s, u"Concepto"_s, {}},
            {u"AsiValor"_s, u"Valor"_s, {}},
            // The heading's name beside the numbers, read as the grid shows it.
            {u"RubDesc"_s, u"Descripción del rubro"_s, {}, [](const LineTable& lines, int row) {
                 const QList<QVariantList> found = readRows(lines.form().database(),
                                                            u"SELECT RubDesc FROM RUBROS WHERE RubId = ?"_s,
                                                            {lines.value(row, LineHeading)});
                 return found.isEmpty() ? QString() : found.first().value(0).toString().trimmed();
             }},
        };
        declaration.check = &checkGridLine;
        declaration.sublines = &entryCalculations();
        declaration.audit.insert = u"Agrega línea de asiento "_s;
        declaration.audit.modify = u"Modifica línea de asiento "_s;
        declaration.audit.remove = u"Elimina línea de asiento "_s;
        declaration.audit.parts = {{u"AsiDH"_s, u", debe/haber = "_s}, {u"RubId"_s, u", rubro = "_s}};
        return declaration;
    }();
    return lines;
}

// ---- The header ------------------------------------------------------------

QList<FieldDecl> headerFields()
{
    FieldDecl provision;
    provision.name = u"AsiProvisi"_s;
    provision.label = u"Cálculo de saldo de provisiones"_s;
    provision.kind = FieldKind::Flag;
    provision.defaultValue = u"N"_s;
    return {keyField(u"AsiId"_s, u"Asiento"_s, u"ZZZZ9"_s),
            textField(u"AsiDesc"_s, u"Descripción"_s, u"Falta descripción"_s), provision};
}

void declareHeader(TransactionDecl& declaration)
{
    declaration.table = u"ASIENTO"_s;
    declaration.index = u"IASIENTO"_s;
    declaration.fields = headerFields();
    declaration.keyMissingMessage = u"Falta número de asiento"_s;
    declaration.audit.insert = u"Agrega asiento "_s;
    declaration.audit.modify = u"Modifica asiento "_s;
    declaration.audit.remove = u"Elimina asiento "_s;
    declaration.audit.parts = {{u"AsiDesc"_s, u", descripción = "_s}};
    declaration.syncGroup = QString::fromUtf16(entrySyncGroup);
}

// ---- The commands of WASIENT4 ----------------------------------------------

CommandDecl entryCommand(const QString& action, const QString& caption, const QString& toolTip)
{
    CommandDecl command;
    command.action = action;
    command.caption = caption;
    command.toolTip = toolTip;
    command.changesData = true;
    return command;
}

/// A command that works on what is stored refuses while the grids hold
/// changes not yet confirmed.
bool storedAsShown(Transaction& form)
{
    if (form.mode() == Mode::Insert || form.lines()->pending()) {
        form.ui().message(u"Debe confirmar antes los datos"_s, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

int currentLine(Transaction& form)
{
    LineTable& lines = *form.lines();
    const int row = lines.currentRow();
    if (row < 0 || row >= lines.rowCount()) {
        form.ui().message(u"Debe seleccionar una línea del asiento"_s, MessageIcon::Exclamation);
        return -1;
    }
    return row;
}

QString entryKey(const Transaction& form)
{
    return QString::number(form.value(u"AsiId"_s).toLongLong());
}

void addLine(Transaction& form)
{
    LineTable& lines = *form.lines();
    const int row = lines.addLine();
    if (row < 0)
        return;
    lines.setText(row, LineNumber, QString::number(lines.lastNumber() + 1));
    lines.setCurrentRow(row);
}

void addCalculation(Transaction& form)
{
    const int line = currentLine(form);
    if (line < 0)
        return;
    LineTable& calculations = *form.lines()->sublines(line);
    const int row = calculations.addLine();
    if (row < 0)
        return;
    calculations.setText(row, CalcNumber, QString::number(calculations.lastNumber() + 1));
    calculations.setText(row, CalcMultiplier, u"1"_s);
    calculations.setText(row, CalcDivisor, u"1"_s);
    calculations.setCurrentRow(row);
}

void removeLine(Transaction& form)
{
    const int line = currentLine(form);
    if (line < 0)
        return;
    LineTable& calculations = *form.lines()->sublines(line);
    for (int row = 0; row < calculations.rowCount(); ++row) {
        if (calculations.mode(row) != Mode::Delete) {
            form.ui().message(u"Eliminación inválida, hay información en \"Asient4\"."_s, MessageIcon::Exclamation);
            return;
        }
    }
    form.lines()->markForDeletion(line);
}

void removeCalculation(Transaction& form)
{
    const int line = currentLine(form);
    if (line < 0)
        return;
    LineTable& calculations = *form.lines()->sublines(line);
    const int row = calculations.currentRow();
    if (row >= 0 && row < calculations.rowCount())
        calculations.markForDeletion(row);
}

/// Opens a one-row form on what is stored, then shows what it left.
void openStored(Transaction& form, const QString& object, QString key, const QString& modeText)
{
    if (!storedAsShown(form))
        return;
    QString mode = modeText;
    form.ui().callObject(object, key, mode);
    form.rereadRecord();
}

void runEntryCommand(Transaction& form, const CommandDecl& command)
{
    const QString& action = command.action;
    if (action == u"AddLinea"_s)
        return addLine(form);
    if (action == u"AddCalculo"_s)
        return addCalculation(form);
    if (action == u"EliminaLin"_s)
        return removeLine(form);
    if (action == u"EliminaCalculo"_s)
        return removeCalculation(form);
    if (action == u"ModCabezal"_s)
        return openStored(form, u"TASIENT1"_s, entryKey(form), u"UPD"_s);
    const int line = currentLine(form);
    if (line < 0)
        return;
    const QString lineKey = entryKey(form) + u'\t' + QString::number(form.lines()->value(line, LineNumber).toInt());
    if (action == u"ModLin"_s)
        return openStored(form, u"TASIENT2"_s, lineKey, u"UPD"_s);
    if (action == u"CopiaLineaAsiento"_s)
        return openStored(form, u"WPIDENRO"_s, lineKey, u"C"_s);
    if (action == u"Cambiar nº"_s)
        return openStored(form, u"WPIDENRO"_s, lineKey, u"N"_s);
    if (action == u"ModiCalculo"_s) {
        LineTable& calculations = *form.lines()->sublines(line);
        const int row = calculations.currentRow();
        if (row < 0 || row >= calculations.rowCount())
            return;
        return openStored(form, u"TASIENT4"_s,
                          lineKey + u'\t' + QString::number(calculations.value(row, CalcNumber).toInt()), u"UPD"_s);
    }
}

// ---- TASIENT2 and TASIENT4: one line, one calculation -----------------------

QString text(const Transaction& form, const QString& field)
{
    return form.value(field).toString().trimmed();
}

/// The line on TASIENT2 as it will be written, with its stored calculations.
EntryLineFacts formLineFacts(const Transaction& form, const QList<EntryLineFacts>& stored)
{
    EntryLineFacts facts;
    facts.line = form.value(u"AsiLin"_s).toInt();
    facts.split = text(form, u"AsiApCC"_s).toUpper();
    facts.costCentre = text(form, u"CCId"_s);
    facts.externalValue = text(form, u"AsiValor"_s);
    for (const EntryLineFacts& line : stored) {
        if (line.line == facts.line)
            facts.kinds = line.kinds;
    }
    return facts;
}

QList<EntryLineFacts> otherThan(const QList<EntryLineFacts>& lines, int line)
{
    QList<EntryLineFacts> others;
    for (const EntryLineFacts& each : lines) {
        if (each.line != line)
            others.append(each);
    }
    return others;
}

FieldVerdict checkStoredLine(Transaction& form)
{
    const QList<EntryLineFacts> stored = storedEntryLines(form.database(), form.value(u"AsiId"_s).toLongLong());
    const EntryLineFacts line = formLineFacts(form, stored);
    return checkLineAgainstEntry(line, otherThan(stored, line.line));
}

FieldVerdict checkStoredCalculation(Transaction& form)
{
    const QList<EntryLineFacts> stored = storedEntryLines(form.database(), form.value(u"AsiId"_s).toLongLong());
    const int lineNumber = form.value(u"AsiLin"_s).toInt();
    EntryLineFacts line;
    line.line = lineNumber;
    for (const EntryLineFacts& each : stored) {
        if (each.line == lineNumber)
            line = each;
    }
    CalculationFacts facts;
    facts.number = form.value(u"AsiCorLin"_s).toInt();
    facts.kind = text(form, u"AsiCalculo"_s).toUpper();
    facts.conceptId = form.value(u"ConId"_s).toInt();
    facts.parameter = text(form, u"AsiConGrup"_s);
    return checkCalculation(form.database(), facts, line, otherThan(stored, lineNumber));
}

/// A new calculation moves its line's last calculation number on.
bool keepLastCalculationNumber(Transaction& form)
{
    if (form.mode() != Mode::Insert)
        return true;
    const DbError error = form.database().execute(
        u"UPDATE ASIENTO1 SET AsiUltCorL = ? WHERE AsiId = ? AND AsiLin = ? AND AsiUltCorL < ?"_s,
        {form.value(u"AsiCorLin"_s).toInt(), form.value(u"AsiId"_s).toLongLong(), form.value(u"AsiLin"_s).toInt(),
         form.value(u"AsiCorLin"_s).toInt()});
    if (error) {
        form.ui().message(error.fullText(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

/// "Descripción" beside the parameter: what the parameter of the kind says.
void showParameterDescription(Transaction& form)
{
    form.setValue(u"AsiParDesc"_s,
                  calculationParameterDescription(text(form, u"AsiCalculo"_s), text(form, u"AsiConGrup"_s)));
}

FieldDecl callerKey(const QString& name, const QString& label, const QString& picture)
{
    FieldDecl key = keyField(name, label, picture);
    key.fromCaller = true;
    return key;
}

}  // namespace

const TransactionDecl& TASIENT1()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TASIENT1"_s;
        declaration.title = u"Asiento"_s;
        declareHeader(declaration);
        declaration.deleteChecks = {{u"ASIENTO1"_s, u"IASIENT1"_s, u"AsiId"_s, u"Asiento1"_s}};
        declaration.helpTopic = u"HLP_TASIENT1.htm"_s;
        return declaration;
    }();
    return form;
}

const TransactionDecl& WASIENT4()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"WASIENT4"_s;
        declaration.title = u"Líneas y cálculos del asiento"_s;
        declareHeader(declaration);
        declaration.lines = &entryLines();
        declaration.commands = {
            entryCommand(u"AddLinea"_s, u"Agregar línea"_s, u"Agrega lineas al asiento"_s),
            entryCommand(u"ModLin"_s, u"Modificar línea"_s, u"Modifica lineas del asiento"_s),
            entryCommand(u"EliminaLin"_s, u"Eliminar línea"_s, u"Elimina lineas del asiento"_s),
            entryCommand(u"AddCalculo"_s, u"Agregar cálculo"_s, u"Agrega cálculo a la linea del asiento"_s),
            entryCommand(u"ModiCalculo"_s, u"Modificar cálculo"_s, u"Modifica cálculo de la linea del asiento"_s),
            entryCommand(u"EliminaCalculo"_s, u"Eliminar cálculo"_s, u"Elimina cálculo de la linea del asiento"_s),
            entryCommand(u"ModCabezal"_s, u"Modificar cabezal"_s, u"Modifica cabezal del asiento"_s),
            entryCommand(u"CopiaLineaAsiento"_s, u"Copiar línea"_s, u"Copia la linea del asiento"_s),
            entryCommand(u"Cambiar nº"_s, u"Cambiar nº"_s, u"Cambia número de la linea del asiento"_s),
        };
        declaration.hooks.command = &runEntryCommand;
        declaration.helpTopic = u"HLP_WASIENT4.htm"_s;
        return declaration;
    }();
    return form;
}

const TransactionDecl& TASIENT2()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TASIENT2"_s;
        declaration.title = u"Línea de asiento"_s;
        declaration.table = u"ASIENTO1"_s;
        declaration.index = u"IASIENT1"_s;

        FieldDecl side;
        side.name = u"AsiDH"_s;
        side.label = u"Debe/Haber"_s;
        side.kind = FieldKind::Options;
        side.choices = {{u"D"_s, u"Debe"_s}, {u"H"_s, u"Haber"_s}};
        side.rule = [](Transaction& form) {
            const QString value = text(form, u"AsiDH"_s).toUpper();
            if (value != u"D"_s && value != u"H"_s)
                return FieldVerdict::refuse(u"Debe/Haber incorrecto"_s);
            return FieldVerdict::ok();
        };

        FieldDecl heading;
        heading.name = u"RubId"_s;
        heading.label = u"Rubro contable"_s;
        heading.picture = u"ZZZZZZZZZZZZZZ9"_s;
        heading.kind = FieldKind::Reference;
        heading.reference = {u"RUBROS"_s, u"IRUBROS"_s, u"Rubros"_s, u"WRUBROS"_s, u"RubDesc"_s, {}};

        FieldDecl split;
        split.name = u"AsiApCC"_s;
        split.label = u"Apertura"_s;
        split.kind = FieldKind::CodeList;
        split.choices = lineSplits();

        FieldDecl costCentre;
        costCentre.name = u"CCId"_s;
        costCentre.label = u"Filtro por centro de costos"_s;
        costCentre.picture = u"!!!!!!!!!!!!"_s;
        costCentre.kind = FieldKind::Reference;
        costCentre.reference = {u"CENTROCO"_s, u"ICENTROC"_s, u"CentroCosto"_s, u"WCENTROS"_s, u"CCDesc"_s, {}};

        FieldDecl externalConcept = textField(u"AsiConcept"_s, u"Concepto"_s);
        externalConcept.frame = u"Auxiliar externo"_s;
        FieldDecl externalValue = textField(u"AsiValor"_s, u"Valor"_s);
        externalValue.frame = u"Auxiliar externo"_s;
        externalValue.rule = &checkStoredLine;

        FieldDecl line = keyField(u"AsiLin"_s, u"Nº línea"_s, u"ZZ9"_s);
        declaration.fields = {callerKey(u"AsiId"_s, u"Asiento"_s, u"ZZZZ9"_s),
                              line,
                              side,
                              heading,
                              split,
                              costCentre,
                              textField(u"AsiMarA"_s, u"Marca A"_s),
                              textField(u"AsiMarB"_s, u"Marca B"_s),
                              textField(u"AsiDetalle"_s, u"Detalle"_s),
                              externalConcept,
                              externalValue};
        declaration.keyMissingMessage = lineNumberMissing;
        declaration.deleteChecks = {{u"ASIENT4"_s, u"IASIENT5"_s, u"AsiId"_s, u"Asient4"_s, {u"AsiLin"_s}}};
        declaration.audit.insert = u"Agrega línea de asiento "_s;
        declaration.audit.modify = u"Modifica línea de asiento "_s;
        declaration.audit.remove = u"Elimina línea de asiento "_s;
        declaration.audit.parts = {{u"AsiDH"_s, u", debe/haber = "_s}, {u"RubId"_s, u", rubro = "_s}};
        declaration.syncGroup = QString::fromUtf16(entrySyncGroup);
        declaration.helpTopic = u"HLP_TASIENT2.htm"_s;
        return declaration;
    }();
    return form;
}

const TransactionDecl& TASIENT4()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TASIENT4"_s;
        declaration.title = u"Cálculos de la línea"_s;
        declaration.table = u"ASIENT4"_s;
        declaration.index = u"IASIENT5"_s;

        FieldDecl kind;
        kind.name = u"AsiCalculo"_s;
        kind.label = u"Cálculo"_s;
        kind.kind = FieldKind::CodeList;
        kind.choices = calculationKinds();

        FieldDecl concept_;
        concept_.name = u"ConId"_s;
        concept_.label = u"Concepto"_s;
        concept_.picture = u"ZZZ9"_s;
        concept_.kind = FieldKind::Reference;
        concept_.reference = {u"CONCEPT"_s, u"ICONCEPT"_s, u"Conceptos"_s, u"WKQ00N0"_s, u"ConDesc"_s, {}};

        FieldDecl parameterText;
        parameterText.name = u"AsiParDesc"_s;
        parameterText.label = u"Descripción"_s;
        parameterText.unbound = true;
        parameterText.enabledWhen = [](const Transaction&) { return false; };

        FieldDecl parameter = textField(u"AsiConGrup"_s, u"Parámetro"_s);
        parameter.derive = &showParameterDescription;
        kind.derive = &showParameterDescription;

        FieldDecl multiplier = numberField(u"AsiMult"_s, u"Multiplicar por"_s, factorPicture);
        multiplier.defaultValue = 1;
        FieldDecl divisor = numberField(u"AsiDiv"_s, u"Dividir por"_s, factorPicture);
        divisor.defaultValue = 1;
        divisor.rule = &checkStoredCalculation;

        declaration.fields = {callerKey(u"AsiId"_s, u"Asiento"_s, u"ZZZZ9"_s),
                              callerKey(u"AsiLin"_s, u"Línea"_s, u"ZZ9"_s),
                              keyField(u"AsiCorLin"_s, u"Nº"_s, u"ZZ9"_s),
                              kind,
                              parameter,
                              parameterText,
                              concept_,
                              multiplier,
                              divisor};
        declaration.keyMissingMessage = lineNumberMissing;
        declaration.hooks.withinWrite += &keepLastCalculationNumber;
        declaration.hooks.afterStart += &showParameterDescription;
        declaration.hooks.afterRead += &showParameterDescription;
        declaration.audit.insert = u"Agrega cálculo de asiento "_s;
        declaration.audit.modify = u"Modifica cálculo de asiento "_s;
        declaration.audit.remove = u"Elimina cálculo de asiento "_s;
        declaration.audit.parts = {{u"AsiCalculo"_s, u", cálculo = "_s}, {u"ConId"_s, u", concepto = "_s}};
        declaration.syncGroup = QString::fromUtf16(entrySyncGroup);
        declaration.helpTopic = u"HLP_TASIENT4.htm"_s;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WASIENT1()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WASIENT1"_s;
        declaration.title = u"Asientos"_s;
        declaration.table = u"ASIENTO"_s;
        declaration.index = u"IASIENTO"_s;
        declaration.columns = {{u"AsiId"_s, u"Nº Asiento"_s, u"ZZZZ9"_s, {}},
                               {u"AsiDesc"_s, u"Descripción"_s, {}, {}}};
        declaration.transaction = u"WASIENT4"_s;
        declaration.listing = u"RASILIST"_s;
        declaration.filterField = u"AsiDesc"_s;
        declaration.syncGroup = QString::fromUtf16(entrySyncGroup);
        declaration.helpTopic = u"HLP_WASIENT1.htm"_s;
        CommandDecl copy;
        copy.action = u"Copiar"_s;
        copy.caption = u"&Copiar"_s;
        copy.toolTip = u"Copia el asiento con sus líneas y cálculos"_s;
        copy.changesData = true;
        copy.opens = u"WASICOPI"_s;
        declaration.commands = {copy};
        declaration.removeRow = [](WorkPanel& panel, int row) {
            const qint64 entry = panel.cellValue(row, 0).toLongLong();
            const QString question =
                u"¿Elimina asiento "_s + QString::number(entry) + u" - "_s + panel.cellText(row, 1) + u"?"_s;
            if (!panel.ui().question(question, DefaultButton::No))
                return;
            const ProcedureResult result = PASIELIM(panel.database(), panel.ui(), entry);
            if (!result.ok())
                panel.ui().message(result.message, MessageIcon::Exclamation);
        };
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration header(&TASIENT1);
const ObjectRegistration entry(&WASIENT4);
const ObjectRegistration line(&TASIENT2);
const ObjectRegistration calculation(&TASIENT4);
const ObjectRegistration panel(&WASIENT1);
}  // namespace
