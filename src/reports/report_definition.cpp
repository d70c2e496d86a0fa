#include "reports/report_definition.h"

#include "data/cursor.h"
#include "data/database.h"
#include "support/dates.h"

using namespace Qt::StringLiterals;

QList<QString> CalculatedKind::all()
{
    return {basic, quantity, amount, foreignAmount, betweenColumns, fileSum};
}

DbError ReportCatalogue::load(Database& database)
{
    fields_.clear();
    QueryCursor rows(database);
    if (DbError error = rows.open(u"SELECT * FROM CAMPOS ORDER BY CamGrupo, CamOrden, CamId"_s))
        return error;
    for (; rows.hasCurrent(); rows.moveNext()) {
        ReportField field;
        field.id = int(rows.integer(u"CamId"_s));
        field.description = rows.text(u"CamDes"_s).trimmed();
        field.group = int(rows.integer(u"CamGrupo"_s));
        field.order = int(rows.integer(u"CamOrden"_s));
        field.type = rows.text(u"CamTipo"_s).trimmed().toUpper();
        field.picture = rows.text(u"CamPLEdici"_s).trimmed();
        field.summable = rows.text(u"CamSumar"_s).trimmed() == u"S"_s;
        field.attribute = rows.text(u"CamAtribut"_s).trimmed() == u"S"_s;
        fields_.append(field);
    }
    database.idleFreeLocks();
    return {};
}

QList<ReportField> ReportCatalogue::fieldsOf(int group) const
{
    QList<ReportField> chosen;
    for (const ReportField& field : fields_) {
        if (field.group == group)
            chosen.append(field);
    }
    return chosen;
}

const ReportField* ReportCatalogue::find(int id) const
{
    for (const ReportField& field : fields_) {
        if (field.id == id)
            return &field;
    }
    return nullptr;
}

const ReportField* ReportCatalogue::findByDescription(const QString& description) const
{
    for (const ReportField& field : fields_) {
        if (field.description.compare(description.trimmed(), Qt::CaseInsensitive) == 0)
            return &field;
    }
    return nullptr;
}

const CalculatedColumn* ReportDefinition::calculatedColumn(int id) const
{
    for (const CalculatedColumn& column : calculated) {
        if (column.id == id)
            return &column;
    }
    return nullptr;
}

namespace {

DbError readLists(Database& database, ReportDefinition& definition)
{
    const QVariantList key{definition.id};
    QueryCursor rows(database);
    if (DbError error = rows.open(u"SELECT * FROM INFORME1 WHERE InfId = ? ORDER BY InfCorCamp"_s, key))
        return error;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.data.append({int(rows.integer(u"CamId"_s)), rows.number(u"InfAncho"_s),
                                int(rows.integer(u"InfCorte"_s))});
    if (DbError error = rows.open(u"SELECT * FROM INFORME2 WHERE InfId = ? ORDER BY InfCorClas"_s, key))
        return error;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.classification.append(
            {int(rows.integer(u"CamId"_s)), rows.text(u"InfSubtot"_s).trimmed() == u"S"_s});
    if (DbError error = rows.open(u"SELECT * FROM INFORME3 WHERE InfId = ? ORDER BY InfCorFilt"_s, key))
        return error;
    for (; rows.hasCurrent(); rows.moveNext()) {
        FilterField filter;
        filter.field = int(rows.integer(u"CamId"_s));
        filter.fixedOrAtRun = rows.text(u"InfFijoEmi"_s).trimmed() == u"F"_s ? u"F"_s : u"E"_s;
        filter.condition = rows.text(u"InfCondici"_s).trimmed();
        const QString negation = rows.text(u"InfNot"_s).trimmed();
        filter.negation = negation.isEmpty() ? FilterOperator::equal : negation;
        definition.filters.append(filter);
    }
    if (DbError error = rows.open(u"SELECT * FROM INFORME4 WHERE InfId = ? ORDER BY InfCalId"_s, key))
        return error;
    for (; rows.hasCurrent(); rows.moveNext()) {
        CalculatedColumn column;
        column.id = int(rows.integer(u"InfCalId"_s));
        column.title = rows.text(u"InfCalTitu"_s).trimmed();
        column.kind = rows.text(u"InfConteni"_s).trimmed();
        column.formula = rows.text(u"InfCalForm"_s).trimmed();
        column.first = rows.text(u"InfCalF1"_s).trimmed();
        column.second = rows.text(u"InfCalF2"_s).trimmed();
        column.third = rows.text(u"InfCalF3"_s).trimmed();
        column.auxiliary = rows.text(u"InfCalAuxi"_s).trimmed();
        definition.calculated.append(column);
    }
    return {};
}

}  // namespace

bool readReportDefinition(Database& database, int id, ReportDefinition& definition, DbError* error)
{
    definition = ReportDefinition();
    QueryCursor header(database);
    DbError failure = header.open(u"SELECT * FROM INFORME WHERE InfId = ?"_s, {id});
    if (!failure && !header.hasCurrent()) {
        database.idleFreeLocks();
        return false;
    }
    if (!failure) {
        definition.id = id;
        definition.description = header.text(u"InfDes"_s).trimmed();
        definition.detailOrSummary = header.text(u"InfDetRes"_s).trimmed().toUpper();
        definition.folder = int(header.integer(u"InfCarId"_s));
        definition.category = int(header.integer(u"InfCategor"_s));
        const QDate lastRun = header.date(u"InfUltEjec"_s).date();
        definition.lastRun = isEmptyDate(lastRun) ? QDate() : lastRun;
        failure = readLists(database, definition);
    }
    database.idleFreeLocks();
    if (error)
        *error = failure;
    return !failure;
}

QString lastRunText(const ReportDefinition& definition)
{
    if (!definition.lastRun.isValid())
        return {};
    return u"Última emisión: "_s + formatDate(definition.lastRun, u"dd/mm/yyyy"_s);
}

DbError PGRAINF1(Database& database, ReportDefinition& definition)
{
    if (definition.id != 0) {
        int changed = 0;
        DbError error = database.execute(
            u"UPDATE INFORME SET InfDes = ?, InfDetRes = ?, InfCarId = ?, InfCategor = ? WHERE InfId = ?"_s,
            {definition.description, definition.detailOrSummary, definition.folder, definition.category,
             definition.id},
            &changed);
        if (error || changed > 0)
            return error;
        // Deleted meanwhile by another workstation: written again under its number.
    } else {
        QueryCursor highest(database);
        if (DbError error = highest.open(u"SELECT InfId FROM INFORME ORDER BY InfId DESC"_s))
            return error;
        definition.id = int(highest.hasCurrent() ? highest.integer(u"InfId"_s) : 0) + 1;
    }
    return database.execute(
        u"INSERT INTO INFORME (InfId, InfDes, InfDetRes, InfCarId, InfCategor) VALUES (?, ?, ?, ?, ?)"_s,
        {definition.id, definition.description, definition.detailOrSummary, definition.folder, definition.category});
}

DbError PGRAINF2(Database& database, int report, int position, const DataColumn& column, ListWriteMode mode)
{
    switch (mode) {
    case ListWriteMode::DeleteAll:
        return database.execute(u"DELETE FROM INFORME1 WHERE InfId = ?"_s, {report});
    case ListWriteMode::WriteOne:
        return database.execute(
            u"INSERT INTO INFORME1 (InfId, InfCorCamp, CamId, InfAncho, InfCorte) VALUES (?, ?, ?, ?, ?)"_s,
            {report, position, column.field, column.width, column.breakFlag});
    }
    return {};
}

DbError PGRAINF3(Database& database, int report, int position, const ClassificationField& field,
                 ListWriteMode mode)
{
    switch (mode) {
    case ListWriteMode::DeleteAll:
        return database.execute(u"DELETE FROM INFORME2 WHERE InfId = ?"_s, {report});
    case ListWriteMode::WriteOne:
        return database.execute(
            u"INSERT INTO INFORME2 (InfId, InfCorClas, CamId, InfSubtot) VALUES (?, ?, ?, ?)"_s,
            {report, position, field.field, field.subtotal ? u"S"_s : u"N"_s});
    }
    return {};
}

DbError PGRAINF4(Database& database, int report, int position, const FilterField& filter, ListWriteMode mode)
{
    switch (mode) {
    case ListWriteMode::DeleteAll:
        return database.execute(u"DELETE FROM INFORME3 WHERE InfId = ?"_s, {report});
    case ListWriteMode::WriteOne:
        return database.execute(
            u"INSERT INTO INFORME3 (InfId, InfCorFilt, CamId, ConId, InfFijoEmi, InfCondici, InfNot) "
            "VALUES (?, ?, ?, 0, ?, ?, ?)"_s,
            {report, position, filter.field, filter.fixedOrAtRun, filter.condition, filter.negation});
    }
    return {};
}

DbError writeCalculatedColumns(Database& database, int report, const QList<CalculatedColumn>& columns)
{
    if (DbError error = database.execute(u"DELETE FROM INFORME4 WHERE InfId = ?"_s, {report}))
        return error;
    for (const CalculatedColumn& column : columns) {
        if (DbError error = database.execute(
                u"INSERT INTO INFORME4 (InfId, InfCalId, CamId, InfCalTitu, InfConteni, InfCalForm, InfCalF1, "
                "InfCalF2, InfCalF3, InfCalAuxi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s,
                {report, column.id, column.field(), column.title, column.kind, column.formula, column.first,
                 column.second, column.third, column.auxiliary}))
            return error;
    }
    return {};
}

QList<ReportFolder> PINFORM5(Database& database, DbError* error)
{
    QList<ReportFolder> folders;
    QueryCursor rows(database);
    const DbError failure = rows.open(u"SELECT * FROM INFORME5  ORDER BY InfCarDes"_s);
    for (; !failure && rows.hasCurrent(); rows.moveNext())
        folders.append({int(rows.integer(u"InfCarId"_s)), rows.text(u"InfCarDes"_s).trimmed()});
    database.idleFreeLocks();
    if (error)
        *error = failure;
    return folders;
}
