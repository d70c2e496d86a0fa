#include "payroll/concept_applications.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "engine/audit.h"
#include "engine/object_registry.h"
#include "engine/synchronisation.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

using namespace Qt::StringLiterals;

namespace {

/// The character of "Permisos" that allows changing concepts.
constexpr int conceptPermission = 7;

QString typeWord(const QString& type)
{
    if (type == u"AN"_s)
        return u"Alfanumérico"_s;
    if (type == u"NU"_s)
        return u"Numérico"_s;
    if (type == u"FE"_s)
        return u"Fecha"_s;
    if (type == u"CH"_s)
        return u"Si/No"_s;
    return type;
}

QString flagText(bool flag)
{
    return flag ? u"S"_s : u"N"_s;
}

QString applicationAudit(int conceptCode, const QString& attribute, const QString& condition)
{
    if (condition.isEmpty())
        return u"Elimina aplicación del concepto = "_s + QString::number(conceptCode) + u", atributo = "_s + attribute;
    return u"Aplica concepto = "_s + QString::number(conceptCode) + u", atributo = "_s + attribute
           + u", condición = "_s + condition;
}

}  // namespace

WCONAPLI::WCONAPLI(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

void WCONAPLI::start(const QString& key, const QString& mode)
{
    concept_ = key.trimmed().toInt();
    const QString permissions = VBGlob::get(u"Permisos"_s);
    editable_ = mode.trimmed().compare(u"DSP"_s, Qt::CaseInsensitive) != 0 && permissions.size() >= conceptPermission
                && permissions.at(conceptPermission - 1) == u'M';
    rows_.clear();
    currentRow_ = 0;

    TableCursor concepts(database_);
    if (!concepts.open(u"CONCEPT"_s, Access::ReadOnly) && !concepts.seek(Comparison::Equal, {concept_})
        && !concepts.noMatch())
        conceptDescription_ = concepts.text(u"ConDesc"_s).trimmed();

    QueryCursor attributes(database_);
    if (DbError error = attributes.open(u"SELECT * FROM FUNATRIB ORDER BY COALESCE(FunAClasif, ''), FunADescri, FunAId"_s)) {
        translateDatabaseError(ui_, error);
        return;
    }
    for (; attributes.hasCurrent(); attributes.moveNext()) {
        Row row;
        row.attribute = int(attributes.integer(u"FunAId"_s));
        AttributeDefinition& definition = row.definition;
        definition.type = attributes.text(u"FunATipo"_s).trimmed();
        definition.mandatory = attributes.text(u"FunAObliga"_s).trimmed() == u"S"_s;
        definition.length = int(attributes.integer(u"FunALongit"_s));
        definition.decimals = int(attributes.integer(u"FunADecima"_s));
        definition.capitals = attributes.text(u"FunAMayusc"_s).trimmed() == u"S"_s;
        definition.validation = attributes.text(u"FunAValida"_s).trimmed();
        definition.description = attributes.text(u"FunADescri"_s).trimmed();
        row.help = attributes.text(u"FunAAyuda"_s).trimmed();
        rows_.append(row);
    }

    TableCursor conditions(database_);
    if (conditions.open(u"CONCEPT5"_s, Access::ReadOnly) || conditions.setIndex(u"ICONCE21"_s))
        return;
    for (conditions.seek(Comparison::GreaterOrEqual, {concept_});
         conditions.hasCurrent() && conditions.integer(u"ConId"_s) == concept_; conditions.moveNext()) {
        const int at = rowOf(int(conditions.integer(u"ConAplId"_s)));
        if (at < 0)
            continue;
        rows_[at].condition = conditions.text(u"ConAplValo"_s).trimmed();
        rows_[at].stored = rows_[at].condition;
    }
    database_.idleFreeLocks();
}

QString WCONAPLI::title() const
{
    return u"Se aplica a"_s;
}

QString WCONAPLI::heading(int column)
{
    static const QStringList headings = {
        u"Campo"_s,      u"Condición"_s, u"Tipo"_s,        u"Longitud"_s,   u"Cantidad de decimales"_s,
        u"Validación"_s, u"Ayuda"_s,     u"Obligatorio"_s, u"Mayúsculas"_s,
    };
    return headings.value(column);
}

QString WCONAPLI::text(int row, int column) const
{
    const Row& line = rows_.at(row);
    const AttributeDefinition& definition = line.definition;
    switch (Column(column)) {
    case Field:
        return definition.description;
    case Condition:
        return line.condition;
    case Type:
        return typeWord(definition.type);
    case Length:
        return QString::number(definition.length);
    case Decimals:
        return QString::number(definition.decimals);
    case Validation:
        return definition.validation;
    case Help:
        return line.help;
    case Mandatory:
        return flagText(definition.mandatory);
    case Capitals:
        return flagText(definition.capitals);
    case ColumnCount:
        break;
    }
    return {};
}

int WCONAPLI::rowOf(int attribute) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (rows_.at(row).attribute == attribute)
            return row;
    }
    return -1;
}

bool WCONAPLI::setCondition(int row, const QString& condition)
{
    if (!editable_ || row < 0 || row >= rowCount())
        return false;
    Row& line = rows_[row];
    line.condition = line.definition.capitals ? condition.toUpper() : condition;
    return true;
}

void WCONAPLI::setCurrentRow(int row)
{
    if (row >= 0 && row < rowCount())
        currentRow_ = row;
}

QStringList WCONAPLI::helpLines(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const AttributeDefinition& definition = rows_.at(row).definition;
    const QString& type = definition.type;
    QStringList lines;
    QStringList examples;
    if (type == u"AN"_s) {
        lines << u"Tipo: Alfanumérico, longitud: "_s + QString::number(definition.length);
        examples = {u"     un valor          J"_s, u"     varios valores    J,M,Z"_s, u"     rango de valores  A:F"_s,
                    u"     varios rangos     A:F,M:R"_s, u"     inexistente       NULL"_s};
    } else if (type == u"NU"_s) {
        lines << u"Tipo: Numérico, longitud: "_s + QString::number(definition.length) + u", decimales: "_s
                     + QString::number(definition.decimals);
        examples = {u"     un valor          10"_s, u"     varios valores    10,15,31"_s,
                    u"     rango de valores  100:300"_s, u"     varios rangos     100:300,500:600"_s,
                    u"     valor c/decimales 10.50"_s};
    } else if (type == u"FE"_s) {
        lines << u"Tipo: Fecha"_s;
        examples = {u"     una fecha         31/10/00"_s, u"     varias fechas     31/10/00,30/11/00"_s,
                    u"     rango de fechas   1/10/00:31/10/00"_s,
                    u"     varios rangos     1/10/99:31/10/99,1/10/00:31/10/00"_s,
                    u"     sin fecha         1/1/1753"_s};
    } else if (type == u"CH"_s) {
        lines << u"Tipo: S=Si, N=No"_s;
    }
    if (!definition.validation.isEmpty())
        lines << u"Validación: "_s + definition.validation;
    if (!examples.isEmpty())
        lines << u"Ejemplos: "_s << examples;
    return lines;
}

bool WCONAPLI::confirm()
{
    if (!editable_)
        return false;
    if (readSyncSwitches(database_, u"Con"_s).copiedAutomatically()) {
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    for (int row = 0; row < rowCount(); ++row) {
        Row& line = rows_[row];
        const QString message = checkCondition(line.definition, line.condition);
        if (message.isEmpty())
            continue;
        currentRow_ = row;
        ui_.message(message, MessageIcon::Exclamation);
        return false;
    }
    return write();
}

bool WCONAPLI::write()
{
    QList<int> changed;
    for (int row = 0; row < rowCount(); ++row) {
        if (rows_.at(row).condition != rows_.at(row).stored)
            changed << row;
    }
    if (changed.isEmpty())
        return true;
    TableCursor conditions(database_);
    DbError error = conditions.open(u"CONCEPT5"_s);
    if (!error)
        error = database_.beginTransaction();
    for (int row : std::as_const(changed)) {
        if (error)
            break;
        const Row& line = rows_.at(row);
        error = database_.execute(u"DELETE * FROM CONCEPT5 WHERE ConId = ? AND ConAplId = ?"_s,
                                  {concept_, line.attribute});
        if (error || line.condition.isEmpty())
            continue;
        error = conditions.addNew();
        if (!error)
            error = conditions.setValue(u"ConId"_s, concept_);
        if (!error)
            error = conditions.setValue(u"ConAplId"_s, line.attribute);
        if (!error)
            error = conditions.setValue(u"ConAplValo"_s, line.condition);
        if (!error)
            error = conditions.update();
    }
    if (!error)
        error = database_.commit();
    if (error) {
        conditions.cancelUpdate();
        database_.rollback();
        translateDatabaseError(ui_, error);
        return false;
    }
    markSynchronisedChange(database_, ui_);
    for (int row : std::as_const(changed)) {
        Row& line = rows_[row];
        writeAuditEntry(database_, AuditArea::Concepts,
                        applicationAudit(concept_, line.definition.description, line.condition));
        line.stored = line.condition;
    }
    return true;
}

namespace {
const bool registered = [] {
    ObjectRegistry::addEntry(u"WCONAPLI"_s, ObjectKind::Window, u"Se aplica a"_s);
    return true;
}();
}  // namespace
