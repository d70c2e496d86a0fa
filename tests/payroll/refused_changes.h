#pragma once

// Triggers that make every change of one kind ("UPDATE", "DELETE",
// "INSERT") of a table fail, as a damaged table would: the payroll
// procedures' tests use them to fail a procedure halfway and see that every
// table is left as it was.

#include "data/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <gtest/gtest.h>

/// Runs `statement` as the backend reads it, untranslated.
inline void runNative(Database& database, const QString& statement)
{
    QSqlQuery query(database.connection());
    ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
}

inline void refuseChanges(Database& database, const QString& change, const QString& table)
{
    const QString trigger = QStringLiteral("refuse_") + change.toLower();
    if (database.backend() == Backend::Postgres) {
        runNative(database, QStringLiteral("CREATE OR REPLACE FUNCTION refuse_change() RETURNS trigger AS $$ "
                                           "BEGIN RAISE EXCEPTION 'rechazado'; END $$ LANGUAGE plpgsql"));
        runNative(database, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON \"%3\" FOR EACH ROW EXECUTE FUNCTION "
                                           "refuse_change()").arg(trigger, change, table));
        return;
    }
    runNative(database, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON \"%3\" BEGIN SELECT RAISE(ABORT, "
                                       "'rechazado'); END").arg(trigger, change, table));
}

inline void allowChanges(Database& database, const QString& change, const QString& table)
{
    const QString trigger = QStringLiteral("refuse_") + change.toLower();
    runNative(database, database.backend() == Backend::Postgres
                            ? QStringLiteral("DROP TRIGGER %1 ON \"%2\"").arg(trigger, table)
                            : QStringLiteral("DROP TRIGGER ") + trigger);
}
