// The copy of a concept: WCONCOPI takes the new code and description and
// asks before replacing, PCONCOPI copies the concept and its detail.
#include "payroll/concept_copy.h"

#include "data/database.h"
#include "data/schema.h"
#include "engine/audit.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "payroll/concept_delete.h"
#include "payroll/definition_reads.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

const QString duplicateText = u"Ya existe el registro"_s;

/// The fields of `table` in the schema's order.
QStringList fieldsOf(const QString& table)
{
    const TableDef* definition = Schema::table(table);
    Q_ASSERT_X(definition, "fieldsOf", "the concept tables are in the schema");
    QStringList fields;
    for (const FieldDef& field : definition->fields)
        fields << field.name;
    return fields;
}

/// Adds to `table` a copy of every row of concept `source`, each field as
/// stored (hidden ones and empty ones too) but ConId, which becomes
/// `target`, and the fields of `changes`. One statement, values bound.
DbError copyRows(Database& database, const QString& table, int source, int target,
                 const QList<QPair<QString, QVariant>>& changes = {})
{
    const QStringList fields = fieldsOf(table);
    QStringList taken;
    QVariantList values;
    for (const QString& field : fields) {
        QVariant replaced;
        if (field == u"ConId"_s)
            replaced = target;
        for (const auto& [changed, value] : changes) {
            if (changed == field)
                replaced = value;
        }
        if (!replaced.isValid()) {
            taken << field;
            continue;
        }
        taken << u"?"_s;
        values << replaced;
    }
    values << source;
    return database.execute(u"INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE ConId = ?"_s.arg(
                                table, fields.join(u", "_s), taken.join(u", "_s)),
                            values);
}

bool conceptExists(Database& database, int code)
{
    return conceptField(database, code, u"ConId"_s).isValid();
}

}  // namespace

ProcedureResult PCONCOPI(Database& database, UiPort& ui, int source, int target, const QString& description,
                         bool replace)
{
    if (!conceptExists(database, source))
        return {DbErrorNumber::NoCurrentRecord, u"No se encontro el registro"_s};
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        if (replace) {
            if (DbError failure = deleteConceptDefinition(database, ui, target))
                return failure;
        }
        if (DbError failure = copyRows(database, u"CONCEPT"_s, source, target, {{u"ConDesc"_s, description}}))
            return failure;
        // The applications (CONCEPT5) stay with their own concept.
        for (const QString& detail : {u"CONCEPT1"_s, u"CONCEPT4"_s, u"CONCEPT3"_s, u"CONCEPT2"_s}) {
            if (DbError failure = copyRows(database, detail, source, target))
                return failure;
        }
        return writeAuditEntry(database, AuditArea::Concepts,
                               u"Copia concepto "_s + QString::number(source) + u" a "_s + QString::number(target)
                                   + u"."_s + u" Descripción = "_s + description);
    });
    database.idleFreeLocks();
    if (error.number == DbErrorNumber::DuplicateKey)
        return {error.number, duplicateText};
    if (error)
        return ProcedureResult::from(error);
    markSynchronisedChange(database, ui);
    return {};
}

void WCONCOPI::start(const QString& key)
{
    source_ = key.section(u'\t', 0, 0).trimmed().toInt();
    sourceDescription_ = conceptField(database_, source_, u"ConDesc"_s).toString().trimmed();
    target_.clear();
    description_ = sourceDescription_;
    copied_ = 0;
}

bool WCONCOPI::confirm()
{
    const auto refuse = [this](const QString& text) {
        ui_.message(text, MessageIcon::Exclamation);
        return false;
    };
    bool isNumber = false;
    const int target = target_.trimmed().toInt(&isNumber);
    if (!isNumber || target <= 0)
        return refuse(u"Falta indicar concepto"_s);
    if (target == source_)
        return refuse(u"Debe indicar un concepto diferente"_s);
    if (description_.trimmed().isEmpty())
        return refuse(u"Falta descripción"_s);
    const bool replace = conceptExists(database_, target);
    if (replace && !ui_.question(u"Concepto ya existe. ¿Desea reemplazarlo?"_s, DefaultButton::No))
        return false;
    const ProcedureResult result = PCONCOPI(database_, ui_, source_, target, description_.trimmed(), replace);
    if (!result.ok())
        return refuse(result.message);
    copied_ = target;
    ui_.message(u"Recuerde agregar el nuevo concepto a los asientos"_s, MessageIcon::Information);
    QString key = QString::number(target);
    QString mode = u"UPD"_s;
    ui_.callObject(u"TCONCEP"_s, key, mode);
    return true;
}

QString WCONCOPI::handBack() const
{
    return QString::number(copied_ ? copied_ : source_);
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"PCONCOPI"_s, ObjectKind::Procedure, u"Copia un concepto"_s);
    return true;
}();
}  // namespace
