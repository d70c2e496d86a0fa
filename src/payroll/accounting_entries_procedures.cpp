#include "payroll/accounting_entries_procedures.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/schema.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "support/ui_port.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

using FieldValues = QList<QPair<QString, QVariant>>;

/// The rows of `table` whose fields `match` hold the given values, every
/// field of the schema in its order.
DbError readRows(Database& database, const QString& table, const FieldValues& match, QList<QVariantList>& rows)
{
    const TableDef* definition = Schema::table(table);
    Q_ASSERT_X(definition, "readRows", "the table is in the schema");
    QStringList fields;
    for (const FieldDef& field : definition->fields)
        fields << field.name;
    QStringList conditions;
    for (const auto& [field, value] : match)
        conditions << field + u" = ?"_s;
    QSqlQuery query(database.connection());
    const QString statement = u"SELECT %1 FROM %2 WHERE %3"_s.arg(fields.join(u", "_s), table, conditions.join(u" AND "_s));
    bool done = query.prepare(translateJetSql(statement, database.backend()));
    for (const auto& [field, value] : match)
        query.addBindValue(value);
    done = done && query.exec();
    if (!done)
        return database.failure(query.lastError(), u"No se pudo leer "_s + table);
    while (query.next()) {
        QVariantList row;
        for (int column = 0; column < fields.size(); ++column)
            row << query.value(column);
        rows << row;
    }
    return {};
}

/// Adds to `table` a copy of each row of `match`, with the fields of
/// `changes` set to their new values.
DbError copyRows(Database& database, const QString& table, const FieldValues& match, const FieldValues& changes)
{
    QList<QVariantList> rows;
    if (DbError error = readRows(database, table, match, rows))
        return error;
    const TableDef* definition = Schema::table(table);
    TableCursor target(database);
    if (DbError error = target.open(table))
        return error;
    for (const QVariantList& row : std::as_const(rows)) {
        if (DbError error = target.addNew())
            return error;
        for (int column = 0; column < definition->fields.size(); ++column) {
            const QString& field = definition->fields.at(column).name;
            QVariant value = row.at(column);
            for (const auto& [changed, newValue] : changes) {
                if (changed.compare(field, Qt::CaseInsensitive) == 0)
                    value = newValue;
            }
            if (value.isNull())
                continue;
            if (DbError error = target.setValue(field, value))
                return error;
        }
        if (DbError error = target.update())
            return error;
    }
    return {};
}

bool rowExists(Database& database, const QString& table, const FieldValues& match)
{
    QList<QVariantList> rows;
    return !readRows(database, table, match, rows) && !rows.isEmpty();
}

/// After a committed change: the synchronisation mark and the audit entry.
void recordChange(Database& database, UiPort& ui, const QString& auditText)
{
    markSynchronisedChange(database, ui);
    writeAuditEntry(database, AuditArea::Tables, auditText);
}

QString entryDescription(Database& database, qint64 entry)
{
    TableCursor cursor(database);
    if (cursor.open(u"ASIENTO"_s, Access::ReadOnly))
        return {};
    cursor.seek(Comparison::Equal, {entry});
    const QString description = cursor.hasCurrent() && !cursor.noMatch() ? cursor.text(u"AsiDesc"_s).trimmed() : QString();
    database.idleFreeLocks();
    return description;
}

}  // namespace

ProcedureResult PASICOPI(Database& database, UiPort& ui, qint64 from, qint64 to)
{
    if (!rowExists(database, u"ASIENTO"_s, {{u"AsiId"_s, from}}))
        return ProcedureResult::failure(u"No existe el asiento "_s + QString::number(from));
    if (rowExists(database, u"ASIENTO"_s, {{u"AsiId"_s, to}}))
        return ProcedureResult::failure(u"Asiento ya existe. Debe indicar un asiento diferente."_s);
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        const FieldValues match = {{u"AsiId"_s, from}};
        const FieldValues renumbered = {{u"AsiId"_s, to}};
        for (const QString& table : {u"ASIENTO"_s, u"ASIENTO1"_s, u"ASIENT4"_s}) {
            if (DbError failure = copyRows(database, table, match, renumbered))
                return failure;
        }
        return {};
    });
    database.idleFreeLocks();
    if (error)
        return ProcedureResult::from(error);
    recordChange(database, ui, u"Copia asiento %1 a %2"_s.arg(from).arg(to));
    return {};
}

ProcedureResult PASIELIM(Database& database, UiPort& ui, qint64 entry)
{
    if (!rowExists(database, u"ASIENTO"_s, {{u"AsiId"_s, entry}}))
        return ProcedureResult::failure(u"No existe el asiento "_s + QString::number(entry));
    const QString description = entryDescription(database, entry);
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        for (const QString& table : {u"ASIENT4"_s, u"ASIENTO1"_s, u"ASIENTO"_s}) {
            if (DbError failure = database.execute(u"DELETE FROM %1 WHERE AsiId = ?"_s.arg(table), {entry}))
                return failure;
        }
        return {};
    });
    database.idleFreeLocks();
    if (error)
        return ProcedureResult::from(error);
    recordChange(database, ui, u"Elimina asiento %1, descripción = %2"_s.arg(entry).arg(description));
    return {};
}

ProcedureResult PLINASIE(Database& database, UiPort& ui, qint64 entry, int from, int to)
{
    if (rowExists(database, u"ASIENTO1"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, to}}))
        return ProcedureResult::failure(u"Ya existe el registro"_s);
    int moved = 0;
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        if (DbError failure = database.execute(u"UPDATE ASIENTO1 SET AsiLin = ? WHERE AsiId = ? AND AsiLin = ?"_s,
                                               {to, entry, from}, &moved))
            return failure;
        return database.execute(u"UPDATE ASIENT4 SET AsiLin = ? WHERE AsiId = ? AND AsiLin = ?"_s, {to, entry, from});
    });
    database.idleFreeLocks();
    if (error)
        return ProcedureResult::from(error);
    if (moved == 0)
        return ProcedureResult::failure(u"No existe la línea %1 del asiento"_s.arg(from));
    recordChange(database, ui, u"Cambia nº línea de asiento %1 de %2 a %3"_s.arg(entry).arg(from).arg(to));
    return {};
}

ProcedureResult copyEntryLine(Database& database, UiPort& ui, qint64 entry, int from, int to)
{
    if (rowExists(database, u"ASIENTO1"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, to}}))
        return ProcedureResult::failure(u"Ya existe ese numero de linea en el asiento"_s);
    if (!rowExists(database, u"ASIENTO1"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, from}}))
        return ProcedureResult::failure(u"No existe la línea %1 del asiento"_s.arg(from));
    const DbError error = runInOneTransaction(database, [&]() -> DbError {
        const FieldValues match = {{u"AsiId"_s, entry}, {u"AsiLin"_s, from}};
        const FieldValues moved = {{u"AsiLin"_s, to}};
        if (DbError failure = copyRows(database, u"ASIENTO1"_s, match, moved))
            return failure;
        return copyRows(database, u"ASIENT4"_s, match, moved);
    });
    database.idleFreeLocks();
    if (error)
        return ProcedureResult::from(error);
    recordChange(database, ui, u"Copia línea de asiento %1 de %2 a %3"_s.arg(entry).arg(from).arg(to));
    return {};
}

// ---- The prompts -------------------------------------------------------------

void WASICOPI::start(const QString& key)
{
    entry_ = key.section(u'\t', 0, 0).trimmed().toLongLong();
    target_ = 0;
}

bool WASICOPI::confirm()
{
    const auto refuse = [this](const QString& text) {
        ui_.message(text, MessageIcon::Exclamation);
        return false;
    };
    if (entry_ == 0 || target_ == 0)
        return refuse(u"Falta indicar asiento."_s);
    if (entry_ == target_)
        return refuse(u"Debe indicar un asiento diferente."_s);
    const ProcedureResult result = PASICOPI(database_, ui_, entry_, target_);
    if (!result.ok())
        return refuse(result.message);
    return true;
}

void WPIDENRO::start(const QString& key, const QString& mode)
{
    entry_ = key.section(u'\t', 0, 0).trimmed().toLongLong();
    line_ = key.section(u'\t', 1, 1).trimmed().toInt();
    renumbering_ = mode.trimmed().compare(u"N"_s, Qt::CaseInsensitive) == 0;
    newLine_ = 0;
}

QString WPIDENRO::title() const
{
    return renumbering_ ? u"Cambia número de linea de asiento"_s : u"Copia linea de asiento"_s;
}

bool WPIDENRO::confirm()
{
    if (newLine_ <= 0) {
        ui_.message(u"Falta nº de línea"_s, MessageIcon::Exclamation);
        return false;
    }
    const ProcedureResult result = renumbering_ ? PLINASIE(database_, ui_, entry_, line_, newLine_)
                                                : copyEntryLine(database_, ui_, entry_, line_, newLine_);
    if (!result.ok()) {
        ui_.message(result.message, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

