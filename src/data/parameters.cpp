#include "data/parameters.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/field_value.h"
#include "data/lock_wait.h"
#include "data/record_locks.h"
#include "data/statement.h"

#include <QSqlDriver>

#include <sqlite3.h>

#include <limits>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace {

/// The values a writer sets; the others stay as they are.
struct ParameterValues {
    std::optional<QString> text;
    std::optional<double> number;
    std::optional<QDateTime> date;
};

/// Opens PARAMETR on IPARAMET and stands on the row of (group, name, index);
/// false when there is no such row or the table cannot be read (then
/// `failed`, when given, is set).
bool seekParameter(TableCursor& parameters, const QString& group, const QString& name, int index, Access access,
                   bool* failed = nullptr)
{
    const auto fail = [failed] {
        if (failed)
            *failed = true;
        return false;
    };
    if (parameters.open(QStringLiteral("PARAMETR"), access))
        return fail();
    if (parameters.setIndex(QStringLiteral("IPARAMET")))
        return fail();
    if (parameters.seek(Comparison::GreaterOrEqual, {group.trimmed(), name.trimmed(), index}))
        return fail();
    parameters.database().idleFreeLocks();
    if (parameters.atEnd())
        return false;
    return parameters.text(QStringLiteral("ParTabla")).trimmed() == group.trimmed()
        && parameters.text(QStringLiteral("ParParamet")).trimmed() == name.trimmed()
        && parameters.integer(QStringLiteral("ParIndice")) == index;
}

// Objects read the same few parameters each time they open (the
// automatic-copy switches, the company's settings). On SQLite the rows
// read are kept per connection, and a kept row is handed out while the
// connection can tell it is still what the table holds:
//  - a row written through this connection, by any statement, is named by
//    the connection's update hook; before the next kept row is handed out,
//    what is kept under that row or under the key it holds now is dropped;
//  - a rollback of this connection drops everything (a row kept may have
//    been read from the transaction undone);
//  - a commit of another connection (another workstation) drops
//    everything: the file's data version, asked before a kept row is
//    handed out, has changed.
// Other backends cannot tell the last one cheaply: they read every time.

/// One row of PARAMETR as read, or its absence.
struct StoredParameter {
    qint64 row = 0;
    QString text;
    double number = 0;
    QDateTime date;
};

struct ParameterKey {
    QString group;
    QString name;
    int index = 0;
    bool operator==(const ParameterKey&) const = default;
};

size_t qHash(const ParameterKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.group, key.name, key.index);
}

/// The rows kept for one connection.
struct ParameterCache {
    sqlite3* handle = nullptr;
    qint64 dataVersion = -1;
    QHash<ParameterKey, std::optional<StoredParameter>> rows;
    /// Rows written since the kept ones were last brought up to date.
    QList<qint64> written;
    /// More rows were written than are worth looking at one by one.
    bool manyWritten = false;

    /// Drops what is kept under `row` or under `key`.
    void drop(qint64 row, const std::optional<ParameterKey>& key)
    {
        for (auto kept = rows.begin(); kept != rows.end();) {
            if ((kept.value() && kept.value()->row == row) || (key && kept.key() == *key))
                kept = rows.erase(kept);
            else
                ++kept;
        }
    }
    void clear()
    {
        rows.clear();
        written.clear();
        manyWritten = false;
    }
};

/// Rows written through a connection looked at one by one; more drop all.
constexpr qsizetype writtenRowsLimit = 32;

std::mutex cacheMutex;

std::unordered_map<const Database*, std::unique_ptr<ParameterCache>>& caches()
{
    static std::unordered_map<const Database*, std::unique_ptr<ParameterCache>> all;
    return all;
}

void rowWritten(void* kept, int, const char* database, const char* table, sqlite3_int64 row)
{
    if (sqlite3_stricmp(database, "main") != 0 || sqlite3_stricmp(table, "PARAMETR") != 0)
        return;
    // Nothing may be read from inside the hook: the row is looked at later.
    std::lock_guard<std::mutex> guard(cacheMutex);
    auto* cache = static_cast<ParameterCache*>(kept);
    if (cache->written.size() >= writtenRowsLimit)
        cache->manyWritten = true;
    else if (!cache->written.contains(row))
        cache->written.append(row);
}

/// How many rows the hook has noted for `database`; -1 when none are kept.
qsizetype rowsWrittenSoFar(const Database& database)
{
    std::lock_guard<std::mutex> guard(cacheMutex);
    const auto found = caches().find(&database);
    if (found == caches().end() || found->second->manyWritten)
        return -1;
    return found->second->written.size();
}

/// The rows noted since `before` were written by an update of `key`: what
/// is kept of them goes now, with no read to learn their key.
void dropOwnWrites(const Database& database, qsizetype before, const ParameterKey& key)
{
    if (before < 0)
        return;
    std::lock_guard<std::mutex> guard(cacheMutex);
    const auto found = caches().find(&database);
    if (found == caches().end())
        return;
    ParameterCache& cache = *found->second;
    if (cache.manyWritten || cache.written.size() < before)
        return;
    for (qsizetype at = before; at < cache.written.size(); ++at)
        cache.drop(cache.written.at(at), key);
    cache.written.resize(before);
}

void rolledBack(void* kept)
{
    std::lock_guard<std::mutex> guard(cacheMutex);
    static_cast<ParameterCache*>(kept)->clear();
}

/// The key row `row` of PARAMETR holds now; nothing when it is gone.
std::optional<ParameterKey> keyOfRow(Database& database, qint64 row, bool& failed)
{
    Statement read(database, QStringLiteral("SELECT ") + quoteName(QStringLiteral("ParTabla")) + QStringLiteral(", ")
                                 + quoteName(QStringLiteral("ParParamet")) + QStringLiteral(", ")
                                 + quoteName(QStringLiteral("ParIndice")) + QStringLiteral(" FROM ")
                                 + quoteName(QStringLiteral("PARAMETR")) + QStringLiteral(" WHERE rowid = ?"));
    read.addBindValue(row);
    std::optional<ParameterKey> key;
    if (!read.exec()) {
        failed = true;
        return key;
    }
    if (read.next())
        key = ParameterKey{read.value(0).toString().trimmed(), read.value(1).toString().trimmed(),
                           int(read.value(2).toLongLong())};
    failed = failed || read.stepFailed();
    read.finish();
    return key;
}

sqlite3* sqliteHandleOf(Database& database)
{
    if (database.backend() != Backend::Sqlite || !database.isOpen())
        return nullptr;
    const QVariant handle = database.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

/// The file's data version: it changes when another connection commits.
std::optional<qint64> dataVersion(Database& database)
{
    Statement version(database, QStringLiteral("PRAGMA data_version"));
    if (!version.exec() || !version.next())
        return std::nullopt;
    const qint64 value = version.int64(0);
    version.finish();
    return value;
}

/// The rows kept for `database`, still good; nullptr where none are kept.
ParameterCache* currentCache(Database& database)
{
    sqlite3* handle = sqliteHandleOf(database);
    if (handle == nullptr)
        return nullptr;
    const std::optional<qint64> version = dataVersion(database);
    if (!version)
        return nullptr;
    std::lock_guard<std::mutex> guard(cacheMutex);
    std::unique_ptr<ParameterCache>& cache = caches()[&database];
    if (!cache)
        cache = std::make_unique<ParameterCache>();
    // The hooks are set again each time: a connection opened anew (or
    // another Database at the address of one gone) has none of ours, and
    // then nothing kept before is good.
    const bool updateHookOurs = sqlite3_update_hook(handle, &rowWritten, cache.get()) == cache.get();
    const bool rollbackHookOurs = sqlite3_rollback_hook(handle, &rolledBack, cache.get()) == cache.get();
    const bool ours = updateHookOurs && rollbackHookOurs && cache->handle == handle;
    if (!ours || cache->dataVersion != *version || cache->manyWritten) {
        cache->clear();
        cache->handle = handle;
        cache->dataVersion = *version;
    }
    return cache.get();
}

/// Drops what is kept under the rows written since last time, or under the
/// keys they hold now.
void dropWrittenRows(Database& database, ParameterCache& cache)
{
    QList<qint64> written;
    {
        std::lock_guard<std::mutex> guard(cacheMutex);
        written.swap(cache.written);
    }
    for (const qint64 row : std::as_const(written)) {
        bool failed = false;
        const std::optional<ParameterKey> key = keyOfRow(database, row, failed);
        std::lock_guard<std::mutex> guard(cacheMutex);
        if (failed) {
            cache.clear();
            return;
        }
        cache.drop(row, key);
    }
}

/// The row of (group, name, index), from the rows kept when they are good.
std::optional<StoredParameter> readParameter(Database& database, const QString& group, const QString& name, int index)
{
    ParameterCache* cache = currentCache(database);
    if (cache)
        dropWrittenRows(database, *cache);
    const ParameterKey key{group.trimmed(), name.trimmed(), index};
    if (cache) {
        std::lock_guard<std::mutex> guard(cacheMutex);
        if (const auto kept = cache->rows.constFind(key); kept != cache->rows.constEnd())
            return kept.value();
    }
    TableCursor parameters(database);
    std::optional<StoredParameter> stored;
    bool failed = false;
    if (seekParameter(parameters, group, name, index, Access::ReadOnly, &failed)) {
        stored = StoredParameter{parameters.bookmark().row, parameters.text(QStringLiteral("ParValorCa")),
                                 parameters.number(QStringLiteral("ParValorNu")),
                                 parameters.date(QStringLiteral("ParValorFe"))};
    }
    if (cache && !failed) {
        std::lock_guard<std::mutex> guard(cacheMutex);
        cache->rows.insert(key, stored);
    }
    return stored;
}

/// The characters text field `field` of PARAMETR holds.
int textSize(Database& database, const QString& field)
{
    const TableDef* table = database.tableDef(QStringLiteral("PARAMETR"));
    const FieldDef* definition = table ? table->field(field) : nullptr;
    return definition && definition->size > 0 ? definition->size : std::numeric_limits<int>::max();
}

DbError setValues(TableCursor& parameters, const ParameterValues& values)
{
    if (values.text)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorCa"), *values.text))
            return error;
    if (values.number)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorNu"), *values.number))
            return error;
    if (values.date)
        if (DbError error = parameters.setValue(QStringLiteral("ParValorFe"), *values.date))
            return error;
    return {};
}

/// Writes the values into the row of (group, name, index) with one update,
/// under the row's record lock. False when that is not how it can be done
/// (no such row stored trimmed, its lock held by another workstation): the
/// cursor's way below then adds the row or waits for the lock. True with
/// `error` set when the update failed.
bool updatedInPlace(Database& database, const QString& group, const QString& name, int index,
                    const ParameterValues& values, DbError& error)
{
    const TableDef* table = database.tableDef(QStringLiteral("PARAMETR"));
    if (table == nullptr)
        return false;
    const QVariantList key{group.trimmed(), name.trimmed(), index};
    const quint64 lock = recordLockKey(table->name, key);
    if (database.locks().acquire(lock))
        return false;
    if (!database.inTransaction()) {
        if ((error = database.checkFileInPlace())) {
            database.locks().release(lock);
            return true;
        }
    }
    const Backend backend = database.backend();
    // The text depends only on which values are written: made once each.
    static std::mutex textMutex;
    static QHash<int, QString> texts;
    const int written = (values.text ? 1 : 0) | (values.number ? 2 : 0) | (values.date ? 4 : 0);
    QString sql;
    {
        std::lock_guard<std::mutex> guard(textMutex);
        sql = texts.value(written);
    }
    if (sql.isEmpty()) {
        QStringList assignments;
        if (values.text)
            assignments << quoteName(QStringLiteral("ParValorCa")) + QStringLiteral(" = ?");
        if (values.number)
            assignments << quoteName(QStringLiteral("ParValorNu")) + QStringLiteral(" = ?");
        if (values.date)
            assignments << quoteName(QStringLiteral("ParValorFe")) + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE ") + quoteName(table->name) + QStringLiteral(" SET ")
            + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + quoteName(QStringLiteral("ParTabla"))
            + QStringLiteral(" = ? AND ") + quoteName(QStringLiteral("ParParamet")) + QStringLiteral(" = ? AND ")
            + quoteName(QStringLiteral("ParIndice")) + QStringLiteral(" = ?");
        std::lock_guard<std::mutex> guard(textMutex);
        texts.insert(written, sql);
    }
    QVariantList bound;
    if (values.text)
        bound << toStorage(FieldType::Text, *values.text, backend);
    if (values.number)
        bound << toStorage(FieldType::Double, *values.number, backend);
    if (values.date)
        bound << toStorage(FieldType::Date, *values.date, backend);
    bound << key;
    Statement update(database, sql);
    for (const QVariant& value : std::as_const(bound))
        update.addBindValue(value);
    const qsizetype writtenBefore = rowsWrittenSoFar(database);
    const bool ran = update.exec();
    const int rows = ran ? update.rowsAffected() : 0;
    update.finish();
    if (ran)
        dropOwnWrites(database, writtenBefore, ParameterKey{group.trimmed(), name.trimmed(), index});
    // A lock taken inside the caller's transaction is let go when it ends.
    database.releaseLock(lock);
    if (!ran) {
        error = update.failure(QStringLiteral("No se pudo modificar el registro de ") + table->name);
        return true;
    }
    return rows > 0;
}

DbError writeParameter(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                       const ParameterValues& values)
{
    if (!values.text || values.text->size() <= textSize(database, QStringLiteral("ParValorCa"))) {
        DbError error;
        if (updatedInPlace(database, group, name, index, values, error))
            return error;
    }
    TableCursor parameters(database);
    const bool exists = seekParameter(parameters, group, name, index, Access::ReadWrite);
    if (!parameters.isOpen())
        return DbError::make(DbErrorNumber::TableNotFound, QStringLiteral("No existe la tabla PARAMETR"));
    if (exists) {
        DbError lockError;
        editWaitingForLock(parameters, ui, &lockError);
        if (lockError)
            return lockError;
        if (DbError error = database.beginTransaction())
            return error;
        if (DbError error = setValues(parameters, values)) {
            parameters.cancelUpdate();
            database.rollback();
            return error;
        }
        if (DbError error = parameters.update())
            return error;
        return database.commit();
    }
    parameters.addNew();
    if (DbError error = database.beginTransaction())
        return error;
    parameters.setValue(QStringLiteral("ParTabla"), group.trimmed());
    parameters.setValue(QStringLiteral("ParParamet"), name.trimmed());
    parameters.setValue(QStringLiteral("ParIndice"), index);
    if (DbError error = setValues(parameters, values)) {
        parameters.cancelUpdate();
        database.rollback();
        return error;
    }
    if (DbError error = parameters.update()) {
        parameters.cancelUpdate();
        if (error.number == DbErrorNumber::DuplicateKey)
            return DbError::make(error.number, QStringLiteral("Ya existe el registro"), error.driverText);
        return error;
    }
    if (DbError error = database.commit())
        return error;
    parameters.setBookmark(parameters.lastModified());
    return {};
}

}  // namespace

bool PPARLC(Database& database, const QString& group, const QString& name, int index, QString& text)
{
    const std::optional<StoredParameter> stored = readParameter(database, group, name, index);
    if (!stored)
        return false;
    text = stored->text;
    return true;
}

bool PPARLN40(Database& database, const QString& group, const QString& name, int index, double& number)
{
    const std::optional<StoredParameter> stored = readParameter(database, group, name, index);
    if (!stored)
        return false;
    number = stored->number;
    return true;
}

bool PPARAMLE(Database& database, const QString& group, const QString& name, int index, QString& text,
              double& number, QDateTime& date)
{
    const std::optional<StoredParameter> stored = readParameter(database, group, name, index);
    if (!stored)
        return false;
    text = stored->text;
    number = stored->number;
    date = stored->date;
    return true;
}

DbError PPARGC(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
               const QString& text)
{
    return writeParameter(database, ui, group, name, index, {text, std::nullopt, std::nullopt});
}

DbError PPARGN40(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 double number)
{
    return writeParameter(database, ui, group, name, index, {std::nullopt, number, std::nullopt});
}

DbError PPARAMGR(Database& database, UiPort& ui, const QString& group, const QString& name, int index,
                 const QString& text, double number, const QDateTime& date)
{
    return writeParameter(database, ui, group, name, index, {text, number, date});
}
