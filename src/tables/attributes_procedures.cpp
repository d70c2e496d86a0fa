// The procedures of the additional employee attributes. Each value write is
// its own database transaction, as the main payroll program writes them; a
// definition's deletion takes its values, its application conditions and
// its report field with it in one.
#include "tables/attributes_procedures.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/lock_wait.h"
#include "engine/audit.h"
#include "support/dates.h"
#include "support/ui_port.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString definitionTable = u"FUNATRIB"_s;
const QString valueTable = u"FUNATRVA"_s;
const QString valueIndex = u"IFUNATRV"_s;
const QString valuesByAttribute = u"IFUNATR1"_s;
/// Employees between two progress reports of a long load.
constexpr int progressStep = 250;

StoredAttribute readAttribute(const RecordCursor& row)
{
    StoredAttribute stored;
    stored.id = int(row.integer(u"FunAId"_s));
    stored.table = row.text(u"FunATabla"_s).trimmed();
    stored.classifier = row.text(u"FunAClasif"_s).trimmed();
    stored.help = row.text(u"FunAAyuda"_s).trimmed();
    stored.suggested = row.text(u"FunAValIni"_s);
    AttributeDefinition& definition = stored.definition;
    definition.type = row.text(u"FunATipo"_s).trimmed();
    definition.mandatory = row.text(u"FunAObliga"_s).trimmed() == u"S"_s;
    definition.length = int(row.integer(u"FunALongit"_s));
    definition.decimals = int(row.integer(u"FunADecima"_s));
    definition.capitals = row.text(u"FunAMayusc"_s).trimmed() == u"S"_s;
    definition.validation = row.text(u"FunAValida"_s).trimmed();
    definition.description = row.text(u"FunADescri"_s).trimmed();
    return stored;
}

/// Sets the three value fields of a FUNATRVA row from `value` of `type`.
DbError setValueFields(RecordCursor& row, const QString& type, const QString& value)
{
    QString number = value.trimmed();
    number.replace(u',', u'.');
    const std::optional<DecimalValue> read = type == u"NU"_s ? readDecimal(number) : std::nullopt;
    const std::optional<QDate> date = type == u"FE"_s ? readAttributeDate(value.trimmed()) : std::nullopt;
    DbError error = row.setValue(u"FunAValor"_s, value.left(200));
    if (!error)
        error = row.setValue(u"FunAValN"_s, read ? number.toDouble() : 0.0);
    if (!error)
        error = row.setValue(u"FunAValF"_s, date ? QDateTime(*date, QTime(0, 0)) : emptyDate());
    return error;
}

DbError writeInTransaction(Database& database, RecordCursor& row, const QString& type, const QString& value)
{
    if (DbError error = database.beginTransaction()) {
        row.cancelUpdate();
        return error;
    }
    DbError error = setValueFields(row, type, value);
    if (!error)
        error = row.update();
    if (!error)
        error = database.commit();
    if (!error)
        return {};
    row.cancelUpdate();
    database.rollback();
    return error;
}

/// Adds the row of (employee, position, attribute) in its own transaction.
DbError addValue(Database& database, TableCursor& values, qint64 employee, int position, int attribute,
                 const QString& type, const QString& value)
{
    if (DbError error = values.addNew())
        return error;
    DbError error = values.setValue(u"FunId"_s, employee);
    if (!error)
        error = values.setValue(u"FunAL"_s, position);
    if (!error)
        error = values.setValue(u"FunAId"_s, attribute);
    if (error) {
        values.cancelUpdate();
        return error;
    }
    return writeInTransaction(database, values, type, value);
}

/// One value write on open cursors: the row of (employee, position,
/// attribute) changed under its lock, or added.
/// `known` says whether the row may exist: a row known to be missing is
/// added without a look-up (and looked up after all when another
/// workstation added it meanwhile).
DbError storeValue(Database& database, UiPort& ui, TableCursor& values, qint64 employee, int position,
                   int attribute, const QString& type, const QString& value, bool mayExist = true)
{
    if (!mayExist) {
        const DbError added = addValue(database, values, employee, position, attribute, type, value);
        if (added.number != DbErrorNumber::DuplicateKey)
            return added;
    }
    if (DbError error = values.seek(Comparison::Equal, {employee, position, attribute}))
        return error;
    if (!values.noMatch()) {
        DbError failure;
        editWaitingForLock(values, ui, &failure);
        if (failure)
            return failure;
        return writeInTransaction(database, values, type, value);
    }
    return addValue(database, values, employee, position, attribute, type, value);
}

/// Deletes the rows of `employee` whose position and attribute match
/// (0 matches any), each under its lock.
DbError removeValues(Database& database, UiPort& ui, TableCursor& values, qint64 employee, int position,
                     int attribute)
{
    DbError error = values.seek(Comparison::GreaterOrEqual, {employee});
    while (!error && values.hasCurrent() && values.integer(u"FunId"_s) == employee) {
        const bool matches = (position == 0 || values.integer(u"FunAL"_s) == position)
                             && (attribute == 0 || values.integer(u"FunAId"_s) == attribute);
        if (!matches) {
            error = values.moveNext();
            continue;
        }
        const QVariantList at = {employee, values.integer(u"FunAL"_s), values.integer(u"FunAId"_s)};
        editWaitingForLock(values, ui, &error);
        if (!error)
            error = values.remove();
        values.cancelUpdate();
        if (!error)
            error = values.seek(Comparison::Greater, at);
    }
    database.idleFreeLocks();
    return error;
}

QString reportOf(Database& database, int report)
{
    QueryCursor found(database);
    if (found.open(u"SELECT InfDes FROM INFORME WHERE InfId = ?"_s, {report}) || !found.hasCurrent())
        return {};
    return found.text(u"InfDes"_s).trimmed();
}

/// The first report whose `table` names `field` in CamId, or 0.
int reportUsing(Database& database, const QString& table, int field)
{
    QueryCursor found(database);
    if (found.open(u"SELECT InfId FROM "_s + table + u" WHERE CamId = ? ORDER BY InfId"_s, {field})
        || !found.hasCurrent())
        return 0;
    return int(found.integer(u"InfId"_s));
}

/// The first report with a calculated column on the field, or whose
/// formula names the attribute as a field ("[description]").
int reportCalculatingWith(Database& database, int field, const QString& description)
{
    QueryCursor columns(database);
    if (columns.open(u"SELECT InfId, CamId, InfCalForm FROM INFORME4 ORDER BY InfId, InfCalId"_s))
        return 0;
    const QString named = u'[' + description.trimmed() + u']';
    for (; columns.hasCurrent(); columns.moveNext()) {
        if (columns.integer(u"CamId"_s) == field
            || (!description.trimmed().isEmpty() && columns.text(u"InfCalForm"_s).contains(named, Qt::CaseInsensitive)))
            return int(columns.integer(u"InfId"_s));
    }
    return 0;
}

/// The catalogue row of one attribute, as the report generator reads it.
struct CatalogueField {
    QString type;
    QString table;
    QString column;
    QString picture;
    bool summable = false;
};

CatalogueField catalogueField(const StoredAttribute& attribute)
{
    const bool position = attribute.table == u"C"_s;
    const QString number = QString::number(attribute.id);
    const QString alias = (position ? u"FUNATRVAC"_s : u"FUNATRVAF"_s) + number;
    CatalogueField field;
    field.table = position
                      ? u"LEFT JOIN FUNATRVA AS "_s + alias + u" ON ("_s + alias + u".FunId = CARGOSFU.FunId AND "_s
                            + alias + u".FunAL = CARGOSFU.FunAL AND "_s + alias + u".FunAId = "_s + number + u')'
                      : u"LEFT JOIN FUNATRVA AS "_s + alias + u" ON ("_s + alias + u".FunId = FUNCIONA.FunId AND "_s
                            + alias + u".FunAL = 0 AND "_s + alias + u".FunAId = "_s + number + u')';
    const QString& type = attribute.definition.type;
    if (type == u"FE"_s) {
        field.type = u"F"_s;
        field.column = alias + u".FunAValF"_s;
        field.picture = u"dd/mm/yy"_s;
    } else if (type == u"NU"_s) {
        field.type = u"N"_s;
        field.column = alias + u".FunAValN"_s;
        field.summable = true;
        const int decimals = attribute.definition.decimals;
        field.picture = u"ZZZ,ZZZ,ZZZ,ZZ9"_s + (decimals > 0 ? u'.' + QString(decimals, u'9') : QString());
    } else {
        field.type = u"C"_s;
        field.column = alias + u".FunAValor"_s;
    }
    return field;
}

}  // namespace

SourceQuery attributeListQuery(const QString& type, const QString& table)
{
    // 1 in the first of each pair means that its blank "all" was chosen, so
    // a quote in a selection is only ever compared, never read as SQL.
    const QString typeCode = type.trimmed();
    const QString tableCode = table.trimmed();
    return {u"SELECT * FROM FUNATRIB WHERE (? = 1 OR FunATipo = ?) AND (? = 1 OR FunATabla = ?) "
            u"ORDER BY COALESCE(FunAClasif, ''), FunADescri, FunAId"_s,
            {typeCode.isEmpty() ? 1 : 0, typeCode, tableCode.isEmpty() ? 1 : 0, tableCode}};
}

QList<StoredAttribute> attributeDefinitions(Database& database, const QString& type, const QString& table)
{
    const SourceQuery query = attributeListQuery(type, table);
    QueryCursor rows(database);
    QList<StoredAttribute> found;
    if (rows.open(query.select, query.values))
        return found;
    for (; rows.hasCurrent(); rows.moveNext())
        found.append(readAttribute(rows));
    database.idleFreeLocks();
    return found;
}

StoredAttribute attributeDefinition(Database& database, int attribute)
{
    TableCursor definitions(database);
    if (definitions.open(definitionTable, Access::ReadOnly)
        || definitions.seek(Comparison::Equal, {attribute}) || definitions.noMatch())
        return {};
    StoredAttribute stored = readAttribute(definitions);
    database.idleFreeLocks();
    return stored;
}

int PCALCFUN(Database& database)
{
    TableCursor definitions(database);
    if (definitions.open(definitionTable, Access::ReadOnly))
        return 0;
    int candidate = 1;
    // The numbers come in order: the first gap is the answer.
    for (definitions.seek(Comparison::GreaterOrEqual, {1}); definitions.hasCurrent() && candidate < 10000;
         definitions.moveNext()) {
        const int taken = int(definitions.integer(u"FunAId"_s));
        if (taken > candidate)
            break;
        if (taken == candidate)
            ++candidate;
    }
    database.idleFreeLocks();
    return candidate < 10000 ? candidate : 0;
}

QString PCTRVALA(Database& database, int attribute, const AttributeDefinition& definition)
{
    TableCursor values(database);
    if (values.open(valueTable, Access::ReadOnly) || values.setIndex(valuesByAttribute))
        return {};
    for (values.seek(Comparison::Equal, {attribute}); values.hasCurrent() && values.integer(u"FunAId"_s) == attribute;
         values.moveNext()) {
        const QString value = values.text(u"FunAValor"_s);
        const QString reason = PVALFUNA(definition, value);
        if (reason.isEmpty())
            continue;
        QString message = u"Modificación inválida. El valor "_s + value.trimmed() + u" de -"_s + definition.description
                          + u"- del funcionario "_s + QString::number(values.integer(u"FunId"_s));
        if (const qint64 position = values.integer(u"FunAL"_s); position != 0)
            message += u" del cargo "_s + QString::number(position);
        database.idleFreeLocks();
        return message + reason;
    }
    database.idleFreeLocks();
    return {};
}

DbError PGRAFAVA(Database& database, UiPort& ui, qint64 employee, int position, int attribute, const QString& type,
                 const QString& value)
{
    // The type the definition holds wins over the one passed.
    const StoredAttribute stored = attributeDefinition(database, attribute);
    const QString valueType = stored.id != 0 ? stored.definition.type : type.trimmed();
    TableCursor values(database);
    if (DbError error = values.open(valueTable))
        return error;
    if (value.trimmed().isEmpty())
        return removeValues(database, ui, values, employee, position, attribute);
    DbError error = storeValue(database, ui, values, employee, position, attribute, valueType, value);
    database.idleFreeLocks();
    return error;
}

DbError PADDATFC(Database& database, UiPort& ui, int attribute, const QString& table, const QString& value)
{
    const StoredAttribute stored = attributeDefinition(database, attribute);
    const QString type = stored.definition.type;
    const bool positions = table.trimmed() == u"C"_s;
    TableCursor values(database);
    TableCursor employees(database);
    DbError error = values.open(valueTable);
    if (!error)
        error = employees.open(u"FUNCIONA"_s, Access::ReadOnly);
    if (error)
        return error;

    // The employees' states, read once: a position looks at its employee's.
    QHash<qint64, QString> states;
    for (error = employees.moveFirst(); !error && employees.hasCurrent(); error = employees.moveNext())
        states.insert(employees.integer(u"FunId"_s), employees.text(u"FunActEgr"_s).trimmed());
    if (error)
        return error;
    database.idleFreeLocks();

    struct Target {
        qint64 employee;
        int position;
    };
    QList<Target> targets;
    if (!positions) {
        for (auto state = states.cbegin(); state != states.cend(); ++state) {
            if (state.value() == u"A"_s || state.value() == u"G"_s)
                targets.append({state.key(), 0});
        }
        std::sort(targets.begin(), targets.end(),
                  [](const Target& left, const Target& right) { return left.employee < right.employee; });
    } else {
        TableCursor positionRows(database);
        error = positionRows.open(u"CARGOSFU"_s, Access::ReadOnly);
        for (error = error ? error : positionRows.moveFirst(); !error && positionRows.hasCurrent();
             error = positionRows.moveNext()) {
            const qint64 employee = positionRows.integer(u"FunId"_s);
            const QString state = states.value(employee);
            const bool open = isEmptyDate(positionRows.date(u"FunFecBaja"_s).date());
            if (state == u"G"_s || (state == u"A"_s && open))
                targets.append({employee, int(positionRows.integer(u"FunAL"_s))});
        }
        if (error)
            return error;
        database.idleFreeLocks();
    }

    // The rows the attribute has already, read once: the others are added
    // without a look-up each.
    QSet<std::pair<qint64, int>> existing;
    {
        TableCursor stored(database);
        error = stored.open(valueTable, Access::ReadOnly);
        if (!error)
            error = stored.setIndex(valuesByAttribute);
        for (error = error ? error : stored.seek(Comparison::Equal, {attribute});
             !error && stored.hasCurrent() && stored.integer(u"FunAId"_s) == attribute; error = stored.moveNext())
            existing.insert({stored.integer(u"FunId"_s), int(stored.integer(u"FunAL"_s))});
        if (error)
            return error;
        database.idleFreeLocks();
    }

    const QString total = QString::number(targets.size());
    for (qsizetype done = 0; done < targets.size(); ++done) {
        if (done % progressStep == 0) {
            ui.statusText(1, u"Cargando valor sugerido: "_s + QString::number(done) + u" de "_s + total);
            ui.processEvents();
        }
        const Target& target = targets.at(done);
        if (value.trimmed().isEmpty())
            error = removeValues(database, ui, values, target.employee, target.position, attribute);
        else
            error = storeValue(database, ui, values, target.employee, target.position, attribute, type, value,
                               existing.contains({target.employee, target.position}));
        if (error)
            break;
    }
    database.idleFreeLocks();
    ui.statusText(1, QString());
    return error;
}

DbError PDLTATRI(Database& database, UiPort& ui, int attribute)
{
    const StoredAttribute stored = attributeDefinition(database, attribute);
    TableCursor definitions(database);
    TableCursor values(database);
    if (DbError error = definitions.open(definitionTable))
        return error;
    if (DbError error = values.open(valueTable))
        return error;
    values.setIndex(valuesByAttribute);
    if (DbError error = database.beginTransaction())
        return error;
    DbError error;
    for (error = values.seek(Comparison::Equal, {attribute}); !error && values.hasCurrent();
         error = values.seek(Comparison::Equal, {attribute})) {
        editWaitingForLock(values, ui, &error);
        if (!error)
            error = values.remove();
        values.cancelUpdate();
    }
    if (!error)
        error = database.execute(u"DELETE * FROM CONCEPT5 WHERE ConAplId = ?"_s, {attribute});
    if (!error)
        error = database.execute(u"DELETE * FROM CAMPOS WHERE CamId = ?"_s, {attributeReportField(attribute)});
    if (!error)
        error = definitions.seek(Comparison::Equal, {attribute});
    if (!error && !definitions.noMatch()) {
        editWaitingForLock(definitions, ui, &error);
        if (!error)
            error = definitions.remove();
        definitions.cancelUpdate();
    }
    if (!error)
        error = database.commit();
    if (error) {
        database.rollback();
        database.idleFreeLocks();
        return error;
    }
    database.idleFreeLocks();
    writeAuditEntry(database, AuditArea::Tables,
                    u"Elimina atributo "_s + QString::number(attribute) + u" - "_s + stored.definition.description);
    return {};
}

DbError PACTUALI(Database& database)
{
    const QList<StoredAttribute> attributes = attributeDefinitions(database);
    TableCursor catalogue(database);
    if (DbError error = catalogue.open(u"CAMPOS"_s))
        return error;
    if (DbError error = database.beginTransaction())
        return error;
    DbError error = database.execute(u"DELETE * FROM CAMPOS WHERE CamAtribut = 'S'"_s);
    for (const StoredAttribute& attribute : attributes) {
        if (error)
            break;
        const CatalogueField field = catalogueField(attribute);
        const int number = attributeReportField(attribute.id);
        // A field of that number that is not an attribute's gives way.
        error = database.execute(u"DELETE * FROM CAMPOS WHERE CamId = ?"_s, {number});
        if (!error)
            error = catalogue.addNew();
        const QList<std::pair<QString, QVariant>> fields = {
            {u"CamId"_s, number},
            {u"CamDes"_s, attribute.definition.description.left(50)},
            {u"CamGrupo"_s, attribute.table == u"C"_s ? 2 : 1},
            {u"CamOrden"_s, number},
            {u"CamTabla"_s, field.table},
            {u"CamText"_s, field.column},
            {u"CamTipo"_s, field.type},
            {u"CamPLEdici"_s, field.picture},
            {u"CamSumar"_s, field.summable ? u"S"_s : u"N"_s},
            {u"CamAtribut"_s, u"S"_s},
        };
        for (const auto& [name, value] : fields) {
            if (!error)
                error = catalogue.setValue(name, value);
        }
        if (!error)
            error = catalogue.update();
    }
    if (!error)
        error = database.commit();
    if (error) {
        catalogue.cancelUpdate();
        database.rollback();
    }
    database.idleFreeLocks();
    return error;
}

QString attributeUsedByReport(Database& database, int attribute, const QString& description)
{
    const int field = attributeReportField(attribute);
    const auto refusal = [&](const QString& text, int report) {
        return text + u'"' + reportOf(database, report) + u'"';
    };
    if (const int report = reportUsing(database, u"INFORME1"_s, field))
        return refusal(u"No puede eliminar el atributo porque es un campo del informe "_s, report);
    if (const int report = reportUsing(database, u"INFORME2"_s, field))
        return refusal(u"No puede eliminar el atributo porque es un campo clasificación del informe "_s, report);
    if (const int report = reportUsing(database, u"INFORME3"_s, field))
        return refusal(u"No puede eliminar el atributo porque es un campo filtro del informe "_s, report);
    if (const int report = reportCalculatingWith(database, field, description))
        return refusal(u"No puede eliminar el atributo porque esta en una fórmula de cálculo del informe "_s, report);
    return {};
}

int storedValueCount(Database& database, int attribute)
{
    QueryCursor count(database);
    if (count.open(u"SELECT COUNT(*) AS Cuantos FROM FUNATRVA WHERE FunAId = ?"_s, {attribute}) || !count.hasCurrent())
        return 0;
    const int found = int(count.integer(u"Cuantos"_s));
    database.idleFreeLocks();
    return found;
}
