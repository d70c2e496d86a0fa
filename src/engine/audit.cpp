#include "engine/audit.h"

#include "data/database.h"
#include "data/field_value.h"
#include "data/statement.h"
#include "startup/vbglob.h"
#include "support/line_split.h"

#include <QVector>

#include <mutex>

namespace {

constexpr const char* auditTable = "AUDITORI";
constexpr const char* auditIndex = "IAUDITOR";
/// How often a writer takes the next correlative after a duplicate before it
/// gives up; only a storm of workstations writing at once gets near it.
constexpr int maxAttempts = 50;

/// The insert of one line, every field of the table in its order; made
/// once for the schema's table, which lives as long as the program.
QString insertText(const TableDef& table)
{
    static std::mutex mutex;
    static QString made;
    static const TableDef* madeFor = nullptr;
    const bool schemas = Schema::table(table.name) == &table;
    if (schemas) {
        std::lock_guard<std::mutex> guard(mutex);
        if (madeFor == &table)
            return made;
    }
    QStringList names;
    for (const FieldDef& field : table.fields)
        names << quoteName(field.name);
    const QString text = QStringLiteral("INSERT INTO ") + quoteName(table.name) + QStringLiteral(" (")
        + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
        + QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')';
    if (schemas) {
        std::lock_guard<std::mutex> guard(mutex);
        made = text;
        madeFor = &table;
    }
    return text;
}

/// The user name as it fits `UsuNombre`.
QString auditUser(Database& database)
{
    QString user = VBGlob::get(QStringLiteral("Usuario")).trimmed().toUpper();
    const TableDef* table = database.tableDef(QLatin1String(auditTable));
    const FieldDef* field = table ? table->field(QStringLiteral("UsuNombre")) : nullptr;
    if (field && field->size > 0)
        user.truncate(field->size);
    return user;
}

}  // namespace

AuditEntry::AuditEntry(Database& database, int area, const QString& text, const QDateTime& moment)
    : database_(database),
      area_(area),
      lines_(splitLines(text, auditLineWidth)),
      date_(moment.date()),
      time_(moment.time().toString(QStringLiteral("HH:mm:ss"))),
      user_(auditUser(database))
{
}

DbError AuditEntry::findHighestCorrelative(double& highest)
{
    // The last row in IAUDITOR order holds the highest correlative: one
    // read through the index, whatever the size of the table.
    highest = 0;
    const QString correlative = quoteName(QStringLiteral("AudCorrela"));
    Statement last(database_, QStringLiteral("SELECT ") + correlative + QStringLiteral(" FROM ")
                                  + quoteName(QLatin1String(auditTable)) + QStringLiteral(" ORDER BY ") + correlative
                                  + QStringLiteral(" DESC, ") + quoteName(QStringLiteral("AudLinea"))
                                  + QStringLiteral(" DESC LIMIT 1"));
    if (!last.exec())
        return last.failure(QStringLiteral("No se pudo leer la auditoría"));
    if (last.next())
        highest = last.value(0).toDouble();
    const bool failed = last.stepFailed();
    last.finish();
    if (failed)
        return last.failure(QStringLiteral("No se pudo leer la auditoría"));
    return {};
}

DbError AuditEntry::prepare()
{
    double highest = 0;
    if (DbError error = findHighestCorrelative(highest))
        return error;
    correlative_ = highest + 1;
    prepared_ = true;
    return {};
}

DbError AuditEntry::writeLines(bool& duplicate)
{
    duplicate = false;
    const TableDef* table = database_.tableDef(QLatin1String(auditTable));
    if (table == nullptr)
        return DbError::make(DbErrorNumber::TableNotFound, QStringLiteral("No existe la tabla ") + auditTable);
    // All the lines of an entry in one transaction: an entry cut short (a
    // full disk, a killed program) is absent, never shown as if it were whole.
    if (DbError error = database_.beginTransaction())
        return error;
    // Writers of entries take turns, and the correlative is read under the
    // turn: two workstations then never race for the same number. SQLite's
    // write transaction is already one writer at a time; on the server an
    // advisory lock of the transaction (two keys, apart from the record
    // locks' single key) gives the turn.
    if (database_.backend() == Backend::Postgres) {
        if (DbError error = database_.execute(QStringLiteral("SELECT pg_advisory_xact_lock(19281, 1)"))) {
            database_.rollback();
            return error;
        }
    }
    double highest = 0;
    if (DbError error = findHighestCorrelative(highest)) {
        database_.rollback();
        return error;
    }
    correlative_ = std::max(correlative_, highest + 1);
    Statement insert(database_, insertText(*table));
    // Every line stores the same values but its number and its text.
    const Backend backend = database_.backend();
    QVector<QVariant> stored;
    int lineColumn = -1;
    int textColumn = -1;
    for (const FieldDef& field : table->fields) {
        if (field.name == QLatin1String("AudLinea"))
            lineColumn = int(stored.size());
        if (field.name == QLatin1String("AudDescrip"))
            textColumn = int(stored.size());
        stored << toStorage(field.type, lineValue(field.name, 1), backend);
    }
    for (int line = 1; line <= lines_.size(); ++line) {
        if (line == 1) {
            for (const QVariant& value : std::as_const(stored))
                insert.addBindValue(value);
        } else {
            // The other values stay bound from the line before.
            if (lineColumn >= 0)
                insert.rebind(lineColumn + 1, toStorage(table->fields.at(lineColumn).type, line, backend));
            if (textColumn >= 0)
                insert.rebind(textColumn + 1,
                              toStorage(table->fields.at(textColumn).type, lines_.at(line - 1), backend));
        }
        if (!insert.exec()) {
            const DbError error = insert.failure(QStringLiteral("No se pudo agregar el registro a ") + table->name);
            // The failed write takes the lines written so far with it.
            database_.rollback();
            if (error.number != DbErrorNumber::DuplicateKey)
                return error;
            // Another workstation took the correlative: the whole entry is
            // written again under the next one.
            duplicate = true;
            return {};
        }
        insert.finish();
    }
    if (DbError error = database_.commit())
        return error;
    database_.idleFreeLocks();
    return {};
}

QVariant AuditEntry::lineValue(const QString& field, int line) const
{
    if (field == QLatin1String("AudCorrela"))
        return correlative_;
    if (field == QLatin1String("AudLinea"))
        return line;
    if (field == QLatin1String("AudFecha"))
        return date_;
    if (field == QLatin1String("AudHora"))
        return time_;
    if (field == QLatin1String("UsuNombre"))
        return user_;
    if (field == QLatin1String("TarCodigo"))
        return area_;
    if (field == QLatin1String("AudDescrip"))
        return lines_.at(line - 1);
    return {};  // AudFunId and any later field: empty
}

DbError AuditEntry::write()
{
    if (lines_.isEmpty())
        return {};
    // The correlative is read again under the write's turn below, and the
    // entry takes one more than the highest there: an entry not prepared
    // needs no read of its own before.
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        bool duplicate = false;
        if (DbError error = writeLines(duplicate))
            return error;
        if (!duplicate)
            return {};
        double highest = 0;
        if (DbError error = findHighestCorrelative(highest))
            return error;
        correlative_ = std::max(highest, correlative_) + 1;
    }
    return DbError::make(DbErrorNumber::DuplicateKey,
                         QStringLiteral("No se pudo grabar la auditoría: el correlativo estaba siempre ocupado"));
}

DbError writeAuditEntry(Database& database, int area, const QString& text)
{
    AuditEntry entry(database, area, text);
    return entry.write();
}
