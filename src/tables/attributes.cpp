// Additional employee attributes: the definitions of FUNATRIB, each with its
// type, size, capitals, mandatory flag, allowed values and suggested value,
// for employees ("F") or their positions ("C"). The form checks a
// definition in field order; a change is refused while a stored value would
// no longer fit it. Synchronisation group "AtAdic".
#include "tables/attributes.h"

#include "tables/attributes_procedures.h"

#include "data/database.h"
#include "engine/lines.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

const QString syncGroup = u"AtAdic"_s;
/// The check box that loads the suggested value after the confirm.
const QString loadField = u"CargaValor"_s;

const QList<CodeChoice>& typeChoices()
{
    static const QList<CodeChoice> choices = {
        {u"AN"_s, u"Alfanumérico"_s},
        {u"CH"_s, u"Si/No"_s},
        {u"FE"_s, u"Fecha"_s},
        {u"NU"_s, u"Numérico"_s},
    };
    return choices;
}

const QList<CodeChoice>& tableChoices()
{
    static const QList<CodeChoice> choices = {{u"F"_s, u"Funcionario"_s}, {u"C"_s, u"Cargo"_s}};
    return choices;
}

QString textOf(const Transaction& form, const QString& field)
{
    return form.value(field).toString().trimmed();
}

int numberOf(const Transaction& form, const QString& field)
{
    return form.value(field).toInt();
}

bool flagOf(const Transaction& form, const QString& field)
{
    return textOf(form, field) == u"S"_s;
}

/// The definition as it stands on the form.
AttributeDefinition definitionOn(const Transaction& form)
{
    AttributeDefinition definition;
    definition.type = textOf(form, u"FunATipo"_s);
    definition.mandatory = flagOf(form, u"FunAObliga"_s);
    definition.length = numberOf(form, u"FunALongit"_s);
    definition.decimals = numberOf(form, u"FunADecima"_s);
    definition.capitals = flagOf(form, u"FunAMayusc"_s);
    definition.validation = textOf(form, u"FunAValida"_s);
    definition.description = textOf(form, u"FunADescri"_s);
    return definition;
}

bool typeIs(const Transaction& form, const char16_t* type)
{
    return textOf(form, u"FunATipo"_s) == QStringView(type);
}

/// Choosing a type sets what that type requires.
void applyTypeSettings(Transaction& form)
{
    if (typeIs(form, u"CH")) {
        form.setValue(u"FunALongit"_s, 1);
        form.setValue(u"FunAMayusc"_s, u"S"_s);
        form.setValue(u"FunAObliga"_s, u"S"_s);
        form.setValue(u"FunAValida"_s, u"S,N"_s);
        return;
    }
    if (typeIs(form, u"FE"))
        form.setValue(u"FunALongit"_s, 0);
    if (form.mode() == Mode::Insert) {
        form.setValue(u"FunAMayusc"_s, u"N"_s);
        form.setValue(u"FunAObliga"_s, u"N"_s);
    }
}

FieldVerdict checkLength(Transaction& form)
{
    const int length = numberOf(form, u"FunALongit"_s);
    const bool text = typeIs(form, u"AN");
    const bool number = typeIs(form, u"NU");
    if ((text || number) && length == 0)
        return FieldVerdict::refuse(u"Debe ingresar longitud para este tipo de atributo"_s);
    if (text && length > 200)
        return FieldVerdict::refuse(u"La longitud máxima de un atributo de tipo alfanumérico es 200"_s);
    if (number && length > 15)
        return FieldVerdict::refuse(u"La longitud máxima de un atributo de tipo numérico es 15"_s);
    if (typeIs(form, u"CH") && length != 1)
        return FieldVerdict::refuse(u"La longitud debe ser 1 para un atributo de tipo Si/No"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkDecimals(Transaction& form)
{
    const int length = numberOf(form, u"FunALongit"_s);
    const int decimals = numberOf(form, u"FunADecima"_s);
    const bool number = typeIs(form, u"NU");
    if (typeIs(form, u"FE") && length != 0)
        return FieldVerdict::refuse(u"No debe ingresar longitud para este tipo de atributo"_s);
    if (number && decimals > 5)
        return FieldVerdict::refuse(u"La cantidad de decimales no puede ser mayor a 5"_s);
    if (!number && decimals != 0)
        return FieldVerdict::refuse(u"No debe ingresar decimales para este tipo de atributo"_s);
    if (number && length <= decimals)
        return FieldVerdict::refuse(u"La longitud debe ser mayor que la cantidad de decimales"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkCapitals(Transaction& form)
{
    const bool capitals = flagOf(form, u"FunAMayusc"_s);
    if (capitals && (typeIs(form, u"FE") || typeIs(form, u"NU")))
        return FieldVerdict::refuse(u"No puede seleccionar mayúsculas para este tipo de atributo"_s);
    if (!capitals && typeIs(form, u"CH"))
        return FieldVerdict::refuse(u"Los atributos de tipo Si/No deben ser en mayúsculas"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkMandatory(Transaction& form)
{
    if (typeIs(form, u"CH") && !flagOf(form, u"FunAObliga"_s))
        return FieldVerdict::refuse(u"Los atributos de tipo Si/No deben ser obligatorios"_s);
    return FieldVerdict::ok();
}

FieldVerdict checkValidation(Transaction& form)
{
    if (typeIs(form, u"CH") && textOf(form, u"FunAValida"_s) != u"S,N"_s)
        return FieldVerdict::refuse(u"Los atributos de tipo Si/No deben tener validación \"\"S,N\"\""_s);
    if (form.mode() != Mode::Update)
        return FieldVerdict::ok();
    // The values already stored must fit the changed definition.
    const QString message = PCTRVALA(form.database(), numberOf(form, u"FunAId"_s), definitionOn(form));
    return message.isEmpty() ? FieldVerdict::ok() : FieldVerdict::refuse(message);
}

FieldVerdict checkSuggested(Transaction& form)
{
    const QString suggested = form.value(u"FunAValIni"_s).toString();
    if (suggested.trimmed().isEmpty())
        return FieldVerdict::ok();
    const QString message = PVALFUNA(definitionOn(form), suggested);
    return message.isEmpty() ? FieldVerdict::ok() : FieldVerdict::refuse(u"-Valor sugerido- "_s + message);
}

FieldVerdict checkLoad(Transaction& form)
{
    if (flagOf(form, loadField) && textOf(form, u"FunAValIni"_s).isEmpty())
        return FieldVerdict::refuse(u"Para cargar el valor sugerido debe indicar -Valor sugerido-"_s);
    return FieldVerdict::ok();
}

FieldVerdict refuseWhenAReportUsesIt(Transaction& form)
{
    const QString message =
        attributeUsedByReport(form.database(), numberOf(form, u"FunAId"_s), textOf(form, u"FunADescri"_s));
    return message.isEmpty() ? FieldVerdict::ok() : FieldVerdict::refuse(message);
}

/// A deleted definition leaves no application condition behind.
bool removeApplications(Transaction& form)
{
    if (form.mode() != Mode::Delete)
        return true;
    const DbError error =
        form.database().execute(u"DELETE * FROM CONCEPT5 WHERE ConAplId = ?"_s, {numberOf(form, u"FunAId"_s)});
    if (error)
        form.ui().message(error.fullText(), MessageIcon::Exclamation);
    return !error;
}

void afterDefinitionWritten(Transaction& form, Mode written)
{
    if (written != Mode::Delete && flagOf(form, loadField)) {
        if (DbError error = PADDATFC(form.database(), form.ui(), numberOf(form, u"FunAId"_s),
                                     textOf(form, u"FunATabla"_s), form.value(u"FunAValIni"_s).toString()))
            form.ui().message(error.fullText(), MessageIcon::Exclamation);
    }
    PACTUALI(form.database());
}

QString shownValue(const Transaction&, const QVariant& value)
{
    return value.toString().trimmed();
}

QString definitionAudit(const Transaction& form)
{
    if (form.mode() == Mode::Delete)
        return u"Elimina atributo "_s + form.text(1).trimmed() + u" - "_s + textOf(form, u"FunADescri"_s);
    AuditWording wording;
    wording.insert = u"Agrega atributo "_s;
    wording.modify = u"Modifica atributo "_s;
    const auto part = [](const char16_t* field, const char16_t* label, const char16_t* insertLabel = u"") {
        return AuditField{QString::fromUtf16(field), QString::fromUtf16(label), QString::fromUtf16(insertLabel),
                          &shownValue};
    };
    const QList<AuditField> fields = {
        part(u"FunADescri", u", Descripción = "),
        part(u"FunATabla", u", Tabla = "),
        part(u"FunATipo", u", Tipo = "),
        part(u"FunAMayusc", u", Mayúsculas = "),
        part(u"FunAObliga", u", Obligatorio = "),
        part(u"FunALongit", u", Longitud = "),
        part(u"FunADecima", u", Decimales = ", u", Cantidad de decimales = "),
        part(u"FunAClasif", u", Clasificador = "),
        part(u"FunAValida", u", Validación = "),
        part(u"FunAValIni", u", Valor sugerido = "),
    };
    return auditSentence(form, wording, fields);
}

FieldDecl fieldOfKind(const QString& name, const QString& label, FieldKind kind, const QString& missing = {})
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = kind;
    field.missingMessage = missing;
    return field;
}

FieldDecl flagField(const QString& name, const QString& label, FieldRule rule)
{
    FieldDecl field = fieldOfKind(name, label, FieldKind::Flag);
    field.defaultValue = u"N"_s;
    field.rule = std::move(rule);
    return field;
}

}  // namespace

const TransactionDecl& TFUNATRI()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TFUNATRI"_s;
        declaration.title = u"Atributo adicional"_s;
        declaration.table = u"FUNATRIB"_s;
        declaration.index = u"IFUNATRI"_s;

        FieldDecl type = fieldOfKind(u"FunATipo"_s, u"Tipo"_s, FieldKind::CodeList,
                                     u"Debe seleccionar el tipo para el atributo"_s);
        type.choices = typeChoices();
        type.derive = &applyTypeSettings;
        FieldDecl table = fieldOfKind(u"FunATabla"_s, u"Tabla"_s, FieldKind::Options);
        table.choices = tableChoices();
        table.defaultValue = u"F"_s;
        FieldDecl length = numberField(u"FunALongit"_s, u"Longitud"_s, u"ZZ9"_s);
        length.rule = &checkLength;
        FieldDecl decimals = numberField(u"FunADecima"_s, u"Decimales"_s, u"9"_s);
        decimals.rule = &checkDecimals;
        FieldDecl validation = textField(u"FunAValida"_s, u"Validación"_s);
        validation.rule = &checkValidation;
        FieldDecl suggested = textField(u"FunAValIni"_s, u"-Valor sugerido-"_s);
        suggested.rule = &checkSuggested;
        FieldDecl load = flagField(loadField, u"Cargar el valor sugerido en todos los funcionarios o cargos"_s,
                                   &checkLoad);
        load.unbound = true;
        FieldDecl help = fieldOfKind(u"FunAAyuda"_s, u"Ayuda"_s, FieldKind::Memo);

        declaration.fields = {
            keyField(u"FunAId"_s, u"Número"_s, u"ZZZ9"_s),
            type,
            textField(u"FunADescri"_s, u"Descripción"_s, u"Debe ingresar una descripción para el atributo"_s),
            table,
            textField(u"FunAClasif"_s, u"Clasificador"_s),
            length,
            decimals,
            flagField(u"FunAMayusc"_s, u"Mayúsculas"_s, &checkCapitals),
            flagField(u"FunAObliga"_s, u"Obligatorio"_s, &checkMandatory),
            validation,
            suggested,
            load,
            help,
        };
        declaration.keyMissingMessage = u"Debe ingresar el número del atributo"_s;
        declaration.deleteChecks = {{u"FUNATRVA"_s, u"IFUNATR1"_s, u"FunAId"_s, u"FunAtrValores"_s}};
        declaration.deleteQuestion = u"¿Confirma eliminación del atributo?"_s;
        declaration.audit.area = AuditArea::Tables;
        declaration.syncGroup = syncGroup;
        declaration.helpTopic = u"HLP_TFunAtri.htm"_s;
        declaration.hooks.afterStart += [](Transaction& form) {
            // A new definition is offered the first free number.
            if (form.mode() == Mode::Insert && numberOf(form, u"FunAId"_s) == 0) {
                if (const int proposed = PCALCFUN(form.database()))
                    form.setValue(u"FunAId"_s, proposed);
            }
        };
        declaration.hooks.deleteVerdict = &refuseWhenAReportUsesIt;
        declaration.hooks.withinWrite += &removeApplications;
        declaration.hooks.afterWrite += &afterDefinitionWritten;
        declaration.hooks.auditText = &definitionAudit;
        return declaration;
    }();
    return form;
}

namespace {

/// The code a filter's value stands for: the code itself or its text.
QString codeOf(const QString& chosen, const QList<CodeChoice>& choices)
{
    const QString typed = chosen.trimmed();
    for (const CodeChoice& choice : choices) {
        if (typed.compare(choice.text, Qt::CaseInsensitive) == 0
            || typed.compare(choice.value.toString(), Qt::CaseInsensitive) == 0)
            return choice.value.toString();
    }
    return typed;
}

SourceQuery definitionsQuery(const WorkPanel& panel)
{
    return attributeListQuery(codeOf(panel.filterValue(u"Tipo"_s), typeChoices()),
                              codeOf(panel.filterValue(u"Tabla"_s), tableChoices()));
}

/// Eliminar: the copy switches, the reports that use the attribute, the
/// question (with a warning when values are stored), then PDLTATRI.
void removeDefinition(WorkPanel& panel, int row)
{
    Database& database = panel.database();
    UiPort& ui = panel.ui();
    if (readSyncSwitches(database, syncGroup).copiedAutomatically()) {
        ui.message(u"No puede eliminar atributos adicionales, esta tabla se copia automaticamente."_s,
                   MessageIcon::Exclamation);
        return;
    }
    const int attribute = panel.keyAt(row).toInt();
    const StoredAttribute stored = attributeDefinition(database, attribute);
    if (stored.id == 0)
        return;
    const QString description = stored.definition.description;
    if (const QString refusal = attributeUsedByReport(database, attribute, description); !refusal.isEmpty()) {
        ui.message(refusal, MessageIcon::Exclamation);
        return;
    }
    const QString question =
        storedValueCount(database, attribute) == 0
            ? u"¿Confirma eliminación de -"_s + description + u"-?"_s
            : u"Existen valores cargados que se perderán para -"_s + description + u"-, ¿Confirma eliminación?"_s;
    if (!ui.question(question, DefaultButton::No))
        return;
    if (DbError error = PDLTATRI(database, ui, attribute)) {
        ui.message(error.fullText(), MessageIcon::Exclamation);
        return;
    }
    markSynchronisedChange(database, ui);
}

}  // namespace

const WorkPanelDecl& WFUNATRI()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = u"WFUNATRI"_s;
        declaration.title = u"Atributos adicionales"_s;
        declaration.table = u"FUNATRIB"_s;
        declaration.index = u"IFUNATRI"_s;
        declaration.columns = {
            {u"FunAId"_s, u"Número"_s, u"ZZZ9"_s, {}},
            {u"FunAClasif"_s, u"Clasificador"_s, {}, {}},
            {u"FunADescri"_s, u"Descripción"_s, {}, {}},
            {u"FunATipo"_s, u"Tipo"_s, {}, typeChoices()},
            {u"FunALongit"_s, u"Longitud"_s, u"ZZ9"_s, {}},
            {u"FunADecima"_s, u"Decimales"_s, u"Z9"_s, {}},
        };
        declaration.transaction = u"TFUNATRI"_s;
        declaration.filterField = u"FunADescri"_s;
        QList<CodeChoice> anyType = {{QString(), QString()}};
        anyType += typeChoices();
        QList<CodeChoice> anyTable = {{QString(), QString()}};
        anyTable += tableChoices();
        declaration.filters = {
            {u"Tipo"_s, u"Tipo"_s, FilterKind::Choice, {}, anyType},
            {u"Tabla"_s, u"Tabla"_s, FilterKind::Choice, {}, anyTable},
        };
        declaration.sourceQuery = &definitionsQuery;
        declaration.removeRow = &removeDefinition;
        declaration.helpTopic = u"HLP_WFunAtri.htm"_s;
        return declaration;
    }();
    return panel;
}

namespace {
const ObjectRegistration transaction(&TFUNATRI);
const ObjectRegistration panel(&WFUNATRI);
const bool procedures = [] {
    const QList<std::pair<const char16_t*, const char16_t*>> entries = {
        {u"PCALCFUN", u"Próximo número de atributo"},
        {u"PVALFUNA", u"Valida un valor de atributo"},
        {u"PCTRVALA", u"Controla los valores de un atributo modificado"},
        {u"PGRAFAVA", u"Graba un valor de atributo"},
        {u"PADDATFC", u"Carga el valor sugerido de un atributo"},
        {u"PDLTATRI", u"Elimina un atributo con sus valores"},
        {u"PACTUALI", u"Actualiza los campos de informes de los atributos"},
    };
    for (const auto& [name, title] : entries)
        ObjectRegistry::addEntry(QString::fromUtf16(name), ObjectKind::Procedure, QString::fromUtf16(title));
    return true;
}();
}  // namespace
