// Basic values: BASICOS, a number (`BasId`, "ZZZ9") and a description
// (`BasDesc`), with its dated values in BASICOS1, each for a position, a cost
// centre and an auxiliary reference (zero or blank: every one). Concepts name
// basics in three header fields and in their amount and quantity lines, so a
// basic in use is not deleted. Synchronisation group "Bas".
#include "payroll/basic_values.h"

#include "payroll/basic_value_procedures.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/picture.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

// ---------------------------------------------------------------------------
// The checks of a value line

struct ReferencedTable {
    QString table;
    QString index;
    QString missingName;  ///< "Cargos": "No existe Cargos. DESEA VISUALIZAR?"
    QString listObject;
};

bool exists(Database& database, const ReferencedTable& referenced, const QVariant& code)
{
    TableCursor cursor(database);
    DbError error = cursor.open(referenced.table, Access::ReadOnly);
    if (!error)
        error = cursor.setIndex(referenced.index);
    if (!error)
        error = cursor.seek(Comparison::Equal, {code});
    const bool found = !error && !cursor.noMatch() && cursor.hasCurrent();
    database.idleFreeLocks();
    return found;
}

bool isBlankCode(const QVariant& code)
{
    return code.metaType().id() == QMetaType::QString ? code.toString().trimmed().isEmpty() : code.toDouble() == 0;
}

/// A code of a value line that is not zero or blank must exist; when it does
/// not, the person may pick one from the table's list, and a No leaves the
/// line refused (the question said why).
FieldVerdict checkReference(const LineTable& lines, int row, int column, const ReferencedTable& referenced)
{
    Transaction& form = lines.form();
    const QVariant code = lines.value(row, column);
    if (isBlankCode(code) || exists(form.database(), referenced, code))
        return FieldVerdict::ok();
    UiPort& ui = form.ui();
    if (!ui.question(u"No existe "_s + referenced.missingName + u". DESEA VISUALIZAR?"_s, DefaultButton::Yes))
        return FieldVerdict::refuse({});
    QString key = lines.text(row, column).trimmed();
    QString mode;
    ui.callObject(referenced.listObject, key, mode);
    LineTable* editable = form.lines();
    if (editable && editable->setText(row, column, key.trimmed())
        && exists(form.database(), referenced, lines.value(row, column)))
        return FieldVerdict::ok();
    return FieldVerdict::refuse({});
}

FieldVerdict checkBasicValue(const LineTable& lines, int row)
{
    static const ReferencedTable positions{u"CARGOS"_s, u"ICARGOS"_s, u"Cargos"_s, u"WCARGOS"_s};
    static const ReferencedTable costCentres{u"CENTROCO"_s, u"ICENTROC"_s, u"CentroCosto"_s, u"WCENTROS"_s};
    static const ReferencedTable references{u"REFAUXIL"_s, u"IREFAUXI"_s, u"RefAuxiliar"_s, u"WREFAUXI"_s};

    if (lines.invalidDate(row, ValidFromColumn))
        return FieldVerdict::refuse(u"Fecha inválida"_s);
    for (const auto& [column, referenced] : {std::pair{PositionColumn, &positions},
                                             std::pair{CostCentreColumn, &costCentres},
                                             std::pair{ReferenceColumn, &references}}) {
        const FieldVerdict verdict = checkReference(lines, row, column, *referenced);
        if (verdict.kind == FieldVerdict::Kind::Refused)
            return verdict;
    }
    if (lines.repeatsKey(row))
        return FieldVerdict::refuse(u"Ya existe el registro"_s);
    return FieldVerdict::ok();
}

// ---------------------------------------------------------------------------
// Audit sentences: one per written value; the header has its own only when
// no value was written with it.

/// What the header's write leaves for the sentences of its values.
struct BasicAudit {
    bool descriptionChanged = false;
};

QString basicSentence(const Transaction& form, const QString& verb)
{
    return verb + form.text(u"BasId"_s).trimmed() + u", descripción = "_s + form.value(u"BasDesc"_s).toString().trimmed();
}

QString verbOf(Mode mode)
{
    switch (mode) {
    case Mode::Insert:
        return u"Agrega básico "_s;
    case Mode::Update:
        return u"Modifica básico "_s;
    case Mode::Delete:
        return u"Elimina básico "_s;
    case Mode::Display:
        return {};
    }
    return {};
}

/// A column of a value as its part of the sentence reads; empty: not named.
struct ValuePart {
    int column;
    QString label;
};

const QList<ValuePart>& valueParts()
{
    static const QList<ValuePart> parts = {
        {PositionColumn, u", Cargo = "_s},           {CostCentreColumn, u", Centro de costo = "_s},
        {ReferenceColumn, u", Referencia = "_s},      {ClassifierColumn, u", Calsificador = "_s},
        {AmountColumn, u", Valor = "_s},              {PreviousAmountColumn, u", Valor Anterior = "_s},
    };
    return parts;
}

QString partText(int column, const QVariant& value)
{
    switch (column) {
    case PositionColumn:
        return QString::number(value.toLongLong());
    case AmountColumn:
    case PreviousAmountColumn:
        return basicAmountText(value.toDouble());
    default:
        return value.toString().trimmed();
    }
}

bool samePart(int column, const QVariant& left, const QVariant& right)
{
    if (column == AmountColumn || column == PreviousAmountColumn || column == PositionColumn)
        return left.toDouble() == right.toDouble();
    return left.toString().trimmed() == right.toString().trimmed();
}

QString valueAuditText(const Transaction& form, Mode mode, const QVector<QVariant>& values,
                       const QVector<QVariant>& asRead)
{
    const QString verb = verbOf(mode);
    if (verb.isEmpty())
        return {};
    QString sentence = basicSentence(form, verb);
    if (mode == Mode::Delete)
        return sentence;
    if (mode == Mode::Update && const_cast<Transaction&>(form).state<BasicAudit>().descriptionChanged)
        sentence += u", descripcion = "_s + form.value(u"BasDesc"_s).toString().trimmed();
    for (const ValuePart& part : valueParts()) {
        const QVariant& now = values.at(part.column);
        const bool named = mode == Mode::Insert ? !isBlankCode(now) : !samePart(part.column, now, asRead.at(part.column));
        if (named)
            sentence += part.label + partText(part.column, now);
    }
    return sentence;
}

QString headerAuditText(const Transaction& form)
{
    const LineTable* lines = form.lines();
    if (lines && lines->pending())
        return {};
    QString sentence = basicSentence(form, verbOf(form.mode()));
    if (form.mode() == Mode::Update && const_cast<Transaction&>(form).state<BasicAudit>().descriptionChanged)
        sentence += u", descripcion = "_s + form.value(u"BasDesc"_s).toString().trimmed();
    return form.mode() == Mode::Display ? QString() : sentence;
}

bool rememberDescriptionChange(Transaction& form)
{
    form.state<BasicAudit>().descriptionChanged =
        form.mode() == Mode::Update
        && form.value(u"BasDesc"_s).toString().trimmed() != form.recordValue(u"BasDesc"_s).toString().trimmed();
    return true;
}

// ---------------------------------------------------------------------------
// The panel's own delete and commands

void removeThroughPELIMBAS(WorkPanel& panel, int row)
{
    Database& database = panel.database();
    UiPort& ui = panel.ui();
    if (readSyncSwitches(database, u"Bas"_s).copiedAutomatically()) {
        ui.message(u"Esta tabla se copia automaticamente."_s, MessageIcon::Information);
        return;
    }
    const QString number = panel.keyAt(row).trimmed();
    if (!ui.question(u"¿Confirma eliminación del básico "_s + number + u"?"_s, DefaultButton::No))
        return;
    const ProcedureResult outcome = PELIMBAS(database, ui, number.toInt());
    if (!outcome.ok())
        ui.message(outcome.message, MessageIcon::Information);
}

/// The values of the list's current basic, as the grid under the list shows them.
bool basicValueCells(const WorkPanel& panel, int row, QList<QStringList>& cells, QString& error)
{
    QList<BasicValueRow> values;
    if (!readBasicValues(panel.database(), panel.keyAt(row).trimmed().toInt(), values, &error))
        return false;
    for (const BasicValueRow& value : values) {
        cells.append({value.position ? QString::number(value.position) : QString(), value.costCentre,
                      value.reference, value.validFrom.isValid() ? value.validFrom.toString(u"dd/MM/yy"_s) : QString(),
                      value.classifier, basicAmountText(value.amount),
                      value.previousAmount ? basicAmountText(value.previousAmount) : QString()});
    }
    return true;
}

void basicCommand(WorkPanel& panel, const CommandDecl& command, int row)
{
    // The change of number and the import have panels of their own, opened
    // through the port when it can show them.
    QString key = panel.keyAt(row);
    QString mode = command.openMode;
    if (!panel.ui().callObject(command.action, key, mode))
        panel.ui().message(u"Opcion no disponible"_s, MessageIcon::Information);
}

}  // namespace

QString basicAmountText(double amount)
{
    static const Picture picture(u"ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"_s);
    return picture.format(amount).trimmed();
}

const LineTableDecl& basicValueLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"BASICOS1"_s;
        declaration.index = u"IBASICO"_s;
        declaration.headerKey = u"BasId"_s;
        declaration.columns = {
            {u"CarId"_s, u"Cargo"_s, u"ZZZ9"_s},
            {u"CCId"_s, u"Centro de costo"_s, {}},
            {u"RefAuxId"_s, u"Referencia"_s, {}},
            {u"BasVigenci"_s, u"Vigencia"_s, u"dd/mm/yy"_s},
            {u"BasClasif"_s, u"Clasificador"_s, {}},
            {u"BasImp"_s, u"Valor"_s, u"ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"_s},
            {u"BasImpAnt"_s, u"Valor anterior"_s, u"ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"_s},
        };
        declaration.keyColumns = 3;
        declaration.check = &checkBasicValue;
        declaration.auditText = &valueAuditText;
        return declaration;
    }();
    return lines;
}

const TransactionDecl& TBASICO()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TBASICO"_s;
        declaration.title = u"Basico"_s;
        declaration.table = u"BASICOS"_s;
        declaration.index = u"IBASICOS"_s;
        declaration.fields = {
            keyField(u"BasId"_s, u"Básico"_s, u"ZZZ9"_s),
            textField(u"BasDesc"_s, u"Descripción"_s, u"Falta descripción"_s),
        };
        declaration.keyMissingMessage = u"Falta número de básico"_s;
        declaration.deleteChecks = {
            {u"CONCEPT"_s, u"ICONCE20"_s, u"BasIdTope"_s, u"Conceptos"_s, {},
             {{u"ICONCE14"_s, {u"BasIdBPC"_s}}, {u"ICONCEP3"_s, {u"BasIdAFAP"_s}}}},
            {u"CONCEPT4"_s, u"ICONCE12"_s, u"BasId"_s, u"Concept4"_s},
            {u"CONCEPT1"_s, u"ICONCE10"_s, u"BasId"_s, u"Concept1"_s},
        };
        declaration.deleteQuestion = u"Eliminar toda la información en Basicos?"_s;
        declaration.syncGroup = u"Bas"_s;
        declaration.helpTopic = u"HLP_TBASICO.htm"_s;
        declaration.lines = &basicValueLines();
        declaration.hooks.beforeWrite += &rememberDescriptionChange;
        declaration.hooks.auditText = &headerAuditText;
        return declaration;
    }();
    return form;
}

const WorkPanelDecl& WBASICOS()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WBASICOS"_s;
        declaration.title = u"Básicos"_s;
        declaration.table = u"BASICOS"_s;
        declaration.index = u"IBASICOS"_s;
        declaration.columns = {
            {u"BasId"_s, u"Básico"_s, u"ZZZ9"_s, {}},
            {u"BasDesc"_s, u"Descripción"_s, {}, {}},
        };
        declaration.transaction = u"TBASICO"_s;
        declaration.listing = u"RBASICL2"_s;
        declaration.filterField = u"BasDesc"_s;
        declaration.helpTopic = u"HLP_WBASICOS.htm"_s;
        declaration.removeRow = &removeThroughPELIMBAS;
        CommandDecl renumber;
        renumber.action = u"WCAMBIAB"_s;
        renumber.caption = u"Cam&biar número"_s;
        renumber.toolTip = u"Cambia el número del básico seleccionado"_s;
        renumber.changesData = true;
        CommandDecl importing;
        importing.action = u"WIMPBASI"_s;
        importing.caption = u"Im&portar"_s;
        importing.toolTip = u"Importa básicos desde una planilla o un archivo de texto"_s;
        importing.changesData = true;
        declaration.commands = {renumber, importing};
        declaration.command = &basicCommand;
        declaration.detail = {u"Valores"_s,
                              {u"Cargo"_s, u"Centro de costo"_s, u"Referencia"_s, u"Vigencia"_s,
                               u"Clasificador"_s, u"Valor"_s, u"Valor anterior"_s},
                              {0, 5, 6},
                              &basicValueCells};
        return declaration;
    }();
    return panel;
}

const WorkPanelDecl& WSELBASI()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WSELBASI"_s, u"Selección de básicos"_s, u"BASICOS"_s, u"IBASICOS"_s,
                        {{u"BasId"_s, u"Básico"_s, u"ZZZ9"_s, {}}, {u"BasDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

const WorkPanelDecl& WKQ00A0()
{
    static const WorkPanelDecl panel =
        selectionPrompt(u"WKQ00A0"_s, u"Básicos"_s, u"BASICOS"_s, u"IBASICOS"_s,
                        {{u"BasId"_s, u"Básico"_s, u"ZZZ9"_s, {}}, {u"BasDesc"_s, u"Descripción"_s, {}, {}}});
    return panel;
}

bool readBasicValues(Database& database, int basic, QList<BasicValueRow>& rows, QString* error)
{
    rows.clear();
    TableCursor cursor(database);
    DbError failure = cursor.open(u"BASICOS1"_s, Access::ReadOnly);
    if (!failure)
        failure = cursor.setIndex(u"IBASICO"_s);
    if (!failure)
        failure = cursor.seek(Comparison::GreaterOrEqual, {basic});
    for (; !failure && cursor.hasCurrent() && cursor.integer(u"BasId"_s) == basic; failure = cursor.moveNext()) {
        BasicValueRow row;
        row.basic = basic;
        row.position = int(cursor.integer(u"CarId"_s));
        row.costCentre = cursor.text(u"CCId"_s).trimmed();
        row.reference = cursor.text(u"RefAuxId"_s).trimmed();
        const QDate date = cursor.date(u"BasVigenci"_s).date();
        row.validFrom = date == emptyDate().date() ? QDate() : date;
        row.classifier = cursor.text(u"BasClasif"_s).trimmed();
        row.amount = cursor.number(u"BasImp"_s);
        row.previousAmount = cursor.number(u"BasImpAnt"_s);
        rows.append(row);
    }
    database.idleFreeLocks();
    if (failure && error)
        *error = failure.fullText();
    return !failure;
}

namespace {
const ObjectRegistration transaction(&TBASICO);
const ObjectRegistration panel(&WBASICOS);
const ObjectRegistration selection(&WSELBASI);
const ObjectRegistration prompt(&WKQ00A0);
}  // namespace
