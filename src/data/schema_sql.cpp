#include "data/schema_sql.h"

namespace {

QString quoted(const QString& identifier)
{
    return '"' + identifier + '"';
}

QString quotedList(const QStringList& identifiers)
{
    QStringList parts;
    parts.reserve(identifiers.size());
    for (const QString& identifier : identifiers)
        parts.append(quoted(identifier));
    return parts.join(", ");
}

QString columnDefinition(const FieldDef& field, Backend backend)
{
    return quoted(field.name) + ' ' + SchemaSql::columnType(field, backend);
}

}  // namespace

QString SchemaSql::sqliteDateText(const QDateTime& date)
{
    // QDateTime writes years below 1000 with fewer digits; pad them so that
    // text order stays chronological.
    const QDate day = date.date();
    const QTime time = date.time();
    return QStringLiteral("%1-%2-%3T%4:%5:%6")
        .arg(day.year(), 4, 10, QChar('0'))
        .arg(day.month(), 2, 10, QChar('0'))
        .arg(day.day(), 2, 10, QChar('0'))
        .arg(time.hour(), 2, 10, QChar('0'))
        .arg(time.minute(), 2, 10, QChar('0'))
        .arg(time.second(), 2, 10, QChar('0'));
}

QDateTime SchemaSql::sqliteDate(const QString& text)
{
    return QDateTime::fromString(text, QString::fromLatin1(sqliteDateFormat));
}

QString SchemaSql::columnType(const FieldDef& field, Backend backend)
{
    const bool sqlite = backend == Backend::Sqlite;
    switch (field.type) {
    case FieldType::Integer:
    case FieldType::YesNo:
        return QStringLiteral("SMALLINT");
    case FieldType::Long:
        return QStringLiteral("INTEGER");
    case FieldType::Double:
        return sqlite ? QStringLiteral("REAL") : QStringLiteral("DOUBLE PRECISION");
    case FieldType::Currency:
        return sqlite ? QStringLiteral("NUMERIC") : QStringLiteral("NUMERIC(19,4)");
    case FieldType::Date:
        return sqlite ? QStringLiteral("TEXT") : QStringLiteral("TIMESTAMP");
    case FieldType::Text:
        if (sqlite || field.size <= 0)
            return QStringLiteral("TEXT");
        return QStringLiteral("VARCHAR(%1)").arg(field.size);
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

QString SchemaSql::indexSqlName(const TableDef& table, const IndexDef& index)
{
    return table.name + '_' + index.name;
}

QString SchemaSql::createTable(const TableDef& table, Backend backend)
{
    QStringList columns;
    columns.reserve(table.fields.size());
    for (const FieldDef& field : table.fields)
        columns.append(columnDefinition(field, backend));
    if (const QString rowId = rowIdDefinition(backend); !rowId.isEmpty())
        columns.append(rowId);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), columns.join(", "));
}

QString SchemaSql::createIndex(const TableDef& table, const IndexDef& index)
{
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
             quoted(indexSqlName(table, index)), quoted(table.name), quotedList(index.fields));
}

QString SchemaSql::addColumn(const TableDef& table, const FieldDef& field, Backend backend)
{
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
        .arg(quoted(table.name), columnDefinition(field, backend));
}

QString SchemaSql::rowIdDefinition(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return {};
    case Backend::Postgres:
        return rowIdColumn(backend) + QStringLiteral(" BIGSERIAL PRIMARY KEY");
    }
    return {};
}

QString SchemaSql::addRowId(const TableDef& table, Backend backend)
{
    const QString rowId = rowIdDefinition(backend);
    if (rowId.isEmpty())
        return {};
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoted(table.name), rowId);
}

QStringList SchemaSql::createStatements(const TableDef& table, Backend backend)
{
    QStringList statements{createTable(table, backend)};
    for (const IndexDef& index : table.indexes)
        statements.append(createIndex(table, index));
    return statements;
}

QString SchemaSql::existingIndexesQuery(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index'");
    case Backend::Postgres:
        return QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()");
    }
    return {};
}
