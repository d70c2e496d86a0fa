#include "engine/audit.h"

#include "data/cursor.h"
#include "data/database.h"
#include "startup/vbglob.h"
#include "support/line_split.h"

namespace {

constexpr const char* auditTable = "AUDITORI";
constexpr const char* auditIndex = "IAUDITOR";
/// How often a writer takes the next correlative after a duplicate before it
/// gives up; only a storm of workstations writing at once gets near it.
constexpr int maxAttempts = 50;

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
    // keyset read, whatever the size of the table.
    highest = 0;
    TableCursor audit(database_);
    if (DbError error = audit.open(QLatin1String(auditTable), Access::ReadOnly))
        return error;
    if (DbError error = audit.setIndex(QLatin1String(auditIndex)))
        return error;
    if (DbError error = audit.moveLast())
        return error;
    database_.idleFreeLocks();
    if (audit.hasCurrent())
        highest = audit.number(QStringLiteral("AudCorrela"));
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
    TableCursor audit(database_);
    if (DbError error = audit.open(QLatin1String(auditTable)))
        return error;
    if (DbError error = audit.setIndex(QLatin1String(auditIndex)))
        return error;
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
        if (DbError error = database_.execute(QStringLiteral("SELECT pg_advisory_xact_lock(19281, 1)")))
            return error;
    }
    double highest = 0;
    if (DbError error = findHighestCorrelative(highest)) {
        database_.rollback();
        return error;
    }
    correlative_ = std::max(correlative_, highest + 1);
    for (int line = 1; line <= lines_.size(); ++line) {
        audit.addNew();
        audit.setValue(QStringLiteral("AudCorrela"), correlative_);
        audit.setValue(QStringLiteral("AudLinea"), line);
        audit.setValue(QStringLiteral("AudFecha"), date_);
        audit.setValue(QStringLiteral("AudHora"), time_);
        audit.setValue(QStringLiteral("UsuNombre"), user_);
        audit.setValue(QStringLiteral("TarCodigo"), area_);
        audit.setValue(QStringLiteral("AudDescrip"), lines_.at(line - 1));
        audit.setValue(QStringLiteral("AudFunId"), 0);
        if (DbError error = audit.update()) {
            // The failed write rolled back the lines written so far.
            audit.cancelUpdate();
            database_.rollback();
            if (error.number != DbErrorNumber::DuplicateKey)
                return error;
            // Another workstation took the correlative: the whole entry is
            // written again under the next one.
            duplicate = true;
            return {};
        }
    }
    if (DbError error = database_.commit())
        return error;
    database_.idleFreeLocks();
    return {};
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
