#include "payroll/definition_reads.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/statement.h"

QVariant conceptField(Database& database, int conceptId, const QString& field)
{
    TableCursor concepts(database);
    if (concepts.open(QStringLiteral("CONCEPT"), Access::ReadOnly))
        return {};
    concepts.seek(Comparison::Equal, {conceptId});
    QVariant value;
    if (!concepts.noMatch() && concepts.hasCurrent())
        value = concepts.value(field);
    database.idleFreeLocks();
    return value;
}

QList<QVariantList> readRows(Database& database, const QString& statement, const QVariantList& values, bool* failed)
{
    QList<QVariantList> rows;
    Statement query(database, translateJetSql(statement, database.backend()));
    for (const QVariant& value : values)
        query.addBindValue(storageValue(value, database.backend()));
    const bool ran = query.exec();
    while (ran && query.next()) {
        QVariantList row;
        for (int column = 0; column < query.columnCount(); ++column)
            row.append(query.value(column));
        rows.append(row);
    }
    if (failed)
        *failed = !ran || query.stepFailed();
    query.finish();
    database.idleFreeLocks();
    return rows;
}

bool anyRow(Database& database, const QString& statement, const QVariantList& values)
{
    bool failed = false;
    const QList<QVariantList> rows = readRows(database, statement, values, &failed);
    return failed || !rows.isEmpty();
}
