// Record access against the same work done by hand, on a table of one
// million rows.
//
// Each operation of our cursors runs next to the same work (the same rows and
// columns) written directly: the sqlite3 C API with prepared statements on the
// same SQLite file, and plain prepared QSqlQuery statements on the same
// PostgreSQL server. The ratios are printed at the end, the PostgreSQL ones
// also against direct SQLite, with the peak memory of the process while a
// cursor reads the first page of the table and then every page.
//
//   UORDANE_BENCH_ROWS                rows of the table (1000000 when unset)
//   UORDANE_TEST_PG_HOST, _PORT, _USER  the PostgreSQL server; without them
//                                     only SQLite runs
//
// Exits with 1 when an operation read the wrong rows or failed, or when the
// memory went over its limit, so that the suite's small run catches a
// benchmark that no longer works.

#include "data/cursor.h"
#include "data/database.h"
#include "data/schema_sql.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

constexpr int rowsPerGroup = 100;
constexpr int pageRows = 100;
constexpr long memoryLimitKb = 150 * 1024;
// Added rows get identities far above the table's, each side its own.
constexpr qint64 firstCursorAddedId = 1000000000;
constexpr qint64 firstDirectAddedId = 1500000000;

const QString benchTableName = QStringLiteral("BENCHMOV");
const QString movId = QStringLiteral("MovId");
const QString movGroup = QStringLiteral("MovGrupo");
const QString movDescription = QStringLiteral("MovDesc");
const QString movAmount = QStringLiteral("MovImp");

int tableRows = 1000000;
bool failed = false;

const TableDef& benchTable()
{
    static const TableDef table{
        benchTableName, QStringLiteral("Movimientos de prueba"),
        {FieldDef{movId, FieldType::Long, 0}, FieldDef{movGroup, FieldType::Long, 0},
         FieldDef{movDescription, FieldType::Text, 40}, FieldDef{movAmount, FieldType::Double, 0}},
        {IndexDef{QStringLiteral("IBENCHMO"), {movId}, true, true},
         IndexDef{QStringLiteral("IBENCHM1"), {movGroup, movId}, false, false}}};
    return table;
}

int randomId()
{
    return QRandomGenerator::global()->bounded(1, tableRows + 1);
}

/// A group of the table, and how many rows it has.
struct Group {
    int number = 0;
    int rows = 0;
};

Group randomGroup()
{
    const int number = (randomId() - 1) / rowsPerGroup;
    return {number, std::min(rowsPerGroup, tableRows - number * rowsPerGroup)};
}

void fail(benchmark::State& state, const char* what)
{
    failed = true;
    state.SkipWithError(what);
}

// ---------------------------------------------------------------------------
// Our cursors, on either backend

void consumeCursor(const RecordCursor& cursor)
{
    benchmark::DoNotOptimize(cursor.integer(movId));
    benchmark::DoNotOptimize(cursor.integer(movGroup));
    benchmark::DoNotOptimize(cursor.text(movDescription));
    benchmark::DoNotOptimize(cursor.number(movAmount));
}

void cursorSeekAndRead(benchmark::State& state, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    for (auto _ : state) {
        const int id = randomId();
        cursor.seek(Comparison::Equal, {id});
        if (cursor.integer(movId) != id)
            return fail(state, "la búsqueda no halló la fila");
        consumeCursor(cursor);
    }
}

void cursorRangeRead(benchmark::State& state, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    cursor.setIndex(QStringLiteral("IBENCHM1"));
    for (auto _ : state) {
        const Group group = randomGroup();
        int rows = 0;
        for (cursor.seek(Comparison::GreaterOrEqual, {group.number});
             !cursor.atEnd() && cursor.integer(movGroup) == group.number; cursor.moveNext()) {
            consumeCursor(cursor);
            ++rows;
        }
        if (rows != group.rows)
            return fail(state, "el rango no tiene las filas del grupo");
    }
}

void cursorAdd(benchmark::State& state, Database& database)
{
    static qint64 nextId = firstCursorAddedId;
    TableCursor cursor(database);
    cursor.open(benchTableName);
    for (auto _ : state) {
        const qint64 id = nextId++;
        cursor.addNew();
        cursor.setValue(movId, id);
        cursor.setValue(movGroup, id / rowsPerGroup);
        cursor.setValue(movDescription, QStringLiteral("Agregado"));
        cursor.setValue(movAmount, 1.5);
        if (!cursor.update().ok())
            return fail(state, "no se pudo agregar");
    }
}

void cursorFirstPage(benchmark::State& state, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    for (auto _ : state) {
        int rows = 0;
        for (cursor.moveFirst(); !cursor.atEnd() && rows < pageRows; cursor.moveNext()) {
            consumeCursor(cursor);
            ++rows;
        }
        if (rows != std::min(pageRows, tableRows))
            return fail(state, "la primera página no está completa");
    }
}

// ---------------------------------------------------------------------------
// SQLite by hand: the sqlite3 C API on the same file

sqlite3* directSqlite = nullptr;

bool sqliteOk(int code, const char* what)
{
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
        return true;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(directSqlite));
    return false;
}

sqlite3_stmt* prepareSqlite(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqliteOk(sqlite3_prepare_v2(directSqlite, sql, -1, &statement, nullptr), sql);
    return statement;
}

/// Reads every column of a row, as the cursor does.
void consumeSqlite(sqlite3_stmt* statement)
{
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 1));
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 2));
    benchmark::DoNotOptimize(sqlite3_column_text(statement, 3));
    benchmark::DoNotOptimize(sqlite3_column_bytes(statement, 3));
    benchmark::DoNotOptimize(sqlite3_column_double(statement, 4));
}

void sqliteSeekAndRead(benchmark::State& state)
{
    sqlite3_stmt* statement = prepareSqlite("SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV WHERE MovId = ? "
                                            "ORDER BY MovId, rowid LIMIT 1");
    for (auto _ : state) {
        const int id = randomId();
        sqlite3_bind_int64(statement, 1, id);
        if (sqlite3_step(statement) != SQLITE_ROW || sqlite3_column_int64(statement, 1) != id)
            return fail(state, "la búsqueda no halló la fila");
        consumeSqlite(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void sqliteRangeRead(benchmark::State& state)
{
    sqlite3_stmt* statement = prepareSqlite("SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV "
                                            "WHERE MovGrupo >= ? ORDER BY MovGrupo, MovId, rowid");
    for (auto _ : state) {
        const Group group = randomGroup();
        int rows = 0;
        sqlite3_bind_int64(statement, 1, group.number);
        while (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int64(statement, 2) == group.number) {
            consumeSqlite(statement);
            ++rows;
        }
        sqlite3_reset(statement);
        if (rows != group.rows)
            return fail(state, "el rango no tiene las filas del grupo");
    }
    sqlite3_finalize(statement);
}

void sqliteAdd(benchmark::State& state)
{
    static qint64 nextId = firstDirectAddedId;
    sqlite3_stmt* statement =
        prepareSqlite("INSERT INTO BENCHMOV (MovId, MovGrupo, MovDesc, MovImp) VALUES (?, ?, ?, ?)");
    for (auto _ : state) {
        const qint64 id = nextId++;
        sqlite3_bind_int64(statement, 1, id);
        sqlite3_bind_int64(statement, 2, id / rowsPerGroup);
        sqlite3_bind_text(statement, 3, "Agregado", -1, SQLITE_STATIC);
        sqlite3_bind_double(statement, 4, 1.5);
        if (sqlite3_step(statement) != SQLITE_DONE)
            return fail(state, "no se pudo agregar");
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void sqliteFirstPage(benchmark::State& state)
{
    const std::string sql = "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV ORDER BY MovId, rowid LIMIT "
        + std::to_string(pageRows);
    sqlite3_stmt* statement = prepareSqlite(sql.c_str());
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            consumeSqlite(statement);
            ++rows;
        }
        sqlite3_reset(statement);
        if (rows != std::min(pageRows, tableRows))
            return fail(state, "la primera página no está completa");
    }
    sqlite3_finalize(statement);
}

// ---------------------------------------------------------------------------
// PostgreSQL by hand: plain prepared QSqlQuery statements on the same server

QSqlDatabase directPostgres;

QSqlQuery preparePostgres(const QString& sql)
{
    QSqlQuery query(directPostgres);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(query.lastError().text()));
    return query;
}

void consumePostgres(const QSqlQuery& query)
{
    benchmark::DoNotOptimize(query.value(0).toLongLong());
    benchmark::DoNotOptimize(query.value(1).toLongLong());
    benchmark::DoNotOptimize(query.value(2).toLongLong());
    benchmark::DoNotOptimize(query.value(3).toString());
    benchmark::DoNotOptimize(query.value(4).toDouble());
}

const QString postgresColumns =
    QStringLiteral("SELECT kq_rowid, \"MovId\", \"MovGrupo\", \"MovDesc\", \"MovImp\" FROM \"BENCHMOV\" ");

void postgresSeekAndRead(benchmark::State& state)
{
    QSqlQuery query = preparePostgres(postgresColumns + "WHERE \"MovId\" = ? ORDER BY \"MovId\", kq_rowid LIMIT 1");
    for (auto _ : state) {
        const int id = randomId();
        query.addBindValue(id);
        if (!query.exec() || !query.next() || query.value(1).toInt() != id)
            return fail(state, "la búsqueda no halló la fila");
        consumePostgres(query);
        query.finish();
    }
}

void postgresRangeRead(benchmark::State& state)
{
    QSqlQuery query =
        preparePostgres(postgresColumns + "WHERE \"MovGrupo\" = ? ORDER BY \"MovGrupo\", \"MovId\", kq_rowid");
    for (auto _ : state) {
        const Group group = randomGroup();
        query.addBindValue(group.number);
        if (!query.exec())
            return fail(state, "no se pudo leer el rango");
        int rows = 0;
        while (query.next()) {
            consumePostgres(query);
            ++rows;
        }
        query.finish();
        if (rows != group.rows)
            return fail(state, "el rango no tiene las filas del grupo");
    }
}

void postgresAdd(benchmark::State& state)
{
    static qint64 nextId = firstDirectAddedId;
    QSqlQuery query = preparePostgres(
        QStringLiteral("INSERT INTO \"BENCHMOV\" (\"MovId\", \"MovGrupo\", \"MovDesc\", \"MovImp\") VALUES (?, ?, ?, ?)"));
    for (auto _ : state) {
        const qint64 id = nextId++;
        query.addBindValue(id);
        query.addBindValue(id / rowsPerGroup);
        query.addBindValue(QStringLiteral("Agregado"));
        query.addBindValue(1.5);
        if (!query.exec())
            return fail(state, "no se pudo agregar");
    }
}

void postgresFirstPage(benchmark::State& state)
{
    QSqlQuery query = preparePostgres(postgresColumns + "ORDER BY \"MovId\", kq_rowid LIMIT " + QString::number(pageRows));
    for (auto _ : state) {
        if (!query.exec())
            return fail(state, "no se pudo leer la primera página");
        int rows = 0;
        while (query.next()) {
            consumePostgres(query);
            ++rows;
        }
        query.finish();
        if (rows != std::min(pageRows, tableRows))
            return fail(state, "la primera página no está completa");
    }
}

// ---------------------------------------------------------------------------
// The table, on each backend

/// Runs `sql` as it is written (no dialect translation).
bool run(QSqlDatabase connection, const QString& sql)
{
    QSqlQuery query(connection);
    if (query.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql.left(80)), qPrintable(query.lastError().text()));
    return false;
}

/// Creates the table and its indexes through the schema's own SQL.
bool createTable(Database& database)
{
    for (const QString& statement : SchemaSql::createStatements(benchTable(), database.backend())) {
        if (!run(database.connection(), statement))
            return false;
    }
    return true;
}

/// Fills the SQLite table in one transaction, through the C API.
bool fillSqlite(const QString& file)
{
    if (!sqliteOk(sqlite3_open(QFile::encodeName(file).constData(), &directSqlite), "open"))
        return false;
    sqlite3_busy_timeout(directSqlite, 10000);
    if (!sqliteOk(sqlite3_exec(directSqlite, "PRAGMA synchronous=NORMAL; BEGIN", nullptr, nullptr, nullptr), "begin"))
        return false;
    sqlite3_stmt* insert = prepareSqlite("INSERT INTO BENCHMOV VALUES (?, ?, ?, ?)");
    for (int id = 1; id <= tableRows; ++id) {
        const std::string description = "Movimiento número " + std::to_string(id);
        sqlite3_bind_int64(insert, 1, id);
        sqlite3_bind_int64(insert, 2, (id - 1) / rowsPerGroup);
        sqlite3_bind_text(insert, 3, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, id * 1.25);
        if (!sqliteOk(sqlite3_step(insert), "insert"))
            return false;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return sqliteOk(sqlite3_exec(directSqlite, "COMMIT", nullptr, nullptr, nullptr), "commit");
}

/// Has the server write out the table just loaded now, so that its
/// checkpoint does not fall into the first cases measured. Only a superuser
/// may ask; without it the cases run as they are.
bool settleServer(Database& database)
{
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("CHECKPOINT")))
        std::fprintf(stderr, "CHECKPOINT: %s\n", qPrintable(query.lastError().text()));
    return true;
}

/// Fills the PostgreSQL table on the server, with the same rows.
bool fillPostgres(Database& database)
{
    return run(database.connection(),
               QStringLiteral("INSERT INTO \"BENCHMOV\" (\"MovId\", \"MovGrupo\", \"MovDesc\", \"MovImp\") "
                              "SELECT id, (id - 1) / %1, 'Movimiento número ' || id, id * 1.25 "
                              "FROM generate_series(1, %2) AS id")
                   .arg(rowsPerGroup)
                   .arg(tableRows))
        && run(database.connection(), QStringLiteral("VACUUM ANALYZE \"BENCHMOV\""))
        && settleServer(database);
}

DatabaseLocation postgresLocation(const QString& name)
{
    DatabaseLocation location;
    location.backend = Backend::Postgres;
    location.server = qEnvironmentVariable("UORDANE_TEST_PG_HOST");
    location.port = qEnvironmentVariableIntValue("UORDANE_TEST_PG_PORT");
    location.user = qEnvironmentVariable("UORDANE_TEST_PG_USER");
    location.database = name;
    return location;
}

/// Runs `statement` on the server's maintenance database.
bool onServer(const QString& statement)
{
    Database maintenance(postgresLocation(QStringLiteral("postgres")));
    if (!maintenance.open(Database::OpenMode::Unchecked)) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(maintenance.errorText()));
        return false;
    }
    return run(maintenance.connection(), statement);
}

// ---------------------------------------------------------------------------
// Results

/// Remembers the times per iteration of every run, and whether one failed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                failed = true;
            realTime[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpuTime[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }

    /// `ours` over `direct` as a text, "-" when either did not run.
    std::string ratio(const std::string& ours, const std::string& direct, bool cpu = false) const
    {
        const std::map<std::string, double>& times = cpu ? cpuTime : realTime;
        const auto mine = times.find(ours);
        const auto theirs = times.find(direct);
        if (mine == times.end() || theirs == times.end() || theirs->second <= 0)
            return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", mine->second / theirs->second);
        return text;
    }

private:
    std::map<std::string, double> realTime;
    std::map<std::string, double> cpuTime;
};

// The adds come last: on the server the rows they add set autovacuum going,
// which would slow whichever read ran next (the cursor's, registered first).
const char* const operations[] = {"SeekAndRead", "RangeRead", "First100", "Add"};

void registerBenchmarks(const char* backend, Database& database,
                        const std::map<std::string, std::function<void(benchmark::State&)>>& direct)
{
    const std::map<std::string, void (*)(benchmark::State&, Database&)> ours = {
        {"SeekAndRead", cursorSeekAndRead}, {"RangeRead", cursorRangeRead}, {"Add", cursorAdd},
        {"First100", cursorFirstPage}};
    for (const char* operation : operations) {
        const std::string prefix = std::string(backend) + "/";
        auto cursorCase = ours.at(operation);
        benchmark::RegisterBenchmark((prefix + "Cursor_" + operation).c_str(),
                                     [cursorCase, &database](benchmark::State& state) { cursorCase(state, database); });
        benchmark::RegisterBenchmark((prefix + "Direct_" + operation).c_str(), direct.at(operation));
    }
}

/// Peak resident memory of the process since the last reset, in kilobytes.
long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

/// Starts the peak memory again from what the process holds now.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

/// Reads the first page of the table through a cursor and then every page,
/// printing the peak memory of each; false when it goes over the limit.
bool measureMemory(const char* backend, Database& database)
{
    resetPeakMemory();
    const long before = peakMemoryKb();
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    int rows = 0;
    for (cursor.moveFirst(); !cursor.atEnd() && rows < pageRows; cursor.moveNext())
        ++rows;
    const long firstPage = peakMemoryKb();
    rows = 0;
    double total = 0;
    for (cursor.moveFirst(); !cursor.atEnd(); cursor.moveNext()) {
        total += cursor.number(movAmount);
        ++rows;
    }
    const long everyPage = peakMemoryKb();
    std::printf("  %-10s antes %7ld kB, primera página %7ld kB, las %d filas %7ld kB (suma %.0f)\n", backend, before,
                firstPage, rows, everyPage, total);
    return everyPage < memoryLimitKb;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (const int rows = qEnvironmentVariableIntValue("UORDANE_BENCH_ROWS"); rows > 0)
        tableRows = rows;

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("KQ_DATA.MDB"));
    Database sqlite(DatabaseLocation::sqliteFile(file));
    if (!sqlite.open(Database::OpenMode::CreateIfMissing) || !createTable(sqlite) || !fillSqlite(file)) {
        std::fprintf(stderr, "SQLite: %s\n", qPrintable(sqlite.errorText()));
        return 1;
    }
    sqlite.registerTable(benchTable());
    registerBenchmarks("SQLite", sqlite,
                       {{"SeekAndRead", sqliteSeekAndRead}, {"RangeRead", sqliteRangeRead}, {"Add", sqliteAdd},
                        {"First100", sqliteFirstPage}});
    std::printf("SQLite: tabla de %d filas creada\n", tableRows);

    // PostgreSQL: a database of its own on the test server, dropped at the end.
    const QString postgresName = QStringLiteral("uordane_bench_%1").arg(QCoreApplication::applicationPid());
    const bool withPostgres = !qEnvironmentVariableIsEmpty("UORDANE_TEST_PG_HOST");
    std::unique_ptr<Database> postgres;
    if (!withPostgres) {
        std::printf("PostgreSQL: se omite (UORDANE_TEST_PG_HOST no está definido)\n");
    } else {
        if (!onServer(QStringLiteral("CREATE DATABASE %1").arg(quoteName(postgresName))))
            return 1;
        postgres = std::make_unique<Database>(postgresLocation(postgresName));
        if (!postgres->open(Database::OpenMode::CreateIfMissing) || !createTable(*postgres) || !fillPostgres(*postgres)) {
            std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(postgres->errorText()));
            postgres.reset();
            onServer(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(quoteName(postgresName)));
            return 1;
        }
        postgres->registerTable(benchTable());
        const DatabaseLocation location = postgres->location();
        directPostgres = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-direct"));
        directPostgres.setHostName(location.server);
        directPostgres.setPort(location.port);
        directPostgres.setUserName(location.user);
        directPostgres.setDatabaseName(location.database);
        if (!directPostgres.open()) {
            std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(directPostgres.lastError().text()));
            return 1;
        }
        registerBenchmarks("PostgreSQL", *postgres,
                           {{"SeekAndRead", postgresSeekAndRead}, {"RangeRead", postgresRangeRead},
                            {"Add", postgresAdd}, {"First100", postgresFirstPage}});
        std::printf("PostgreSQL: tabla de %d filas creada\n", tableRows);
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Processor time is the steadier measure of SQLite on a machine that
    // others share; PostgreSQL's work is in the server, so there it is the
    // time that passed.
    std::printf("\nRelación cursor / trabajo directo (objetivo frente a SQLite directo: 1.5 o menos)\n");
    std::printf("  %-13s %8s %8s %16s %22s\n", "operación", "SQLite", "(cpu)", "PostgreSQL", "PostgreSQL/SQLite");
    for (const std::string operation : operations) {
        const std::string cursorSqlite = "SQLite/Cursor_" + operation;
        const std::string directSqliteName = "SQLite/Direct_" + operation;
        const std::string cursorPostgres = "PostgreSQL/Cursor_" + operation;
        std::printf("  %-12s %8s %8s %16s %22s\n", operation.c_str(),
                    reporter.ratio(cursorSqlite, directSqliteName).c_str(),
                    reporter.ratio(cursorSqlite, directSqliteName, true).c_str(),
                    reporter.ratio(cursorPostgres, "PostgreSQL/Direct_" + operation).c_str(),
                    reporter.ratio(cursorPostgres, directSqliteName).c_str());
    }

    std::printf("\nMemoria pico al leer la tabla por páginas con un cursor (límite %ld kB)\n", memoryLimitKb);
    bool withinMemory = measureMemory("SQLite", sqlite);
    if (postgres)
        withinMemory = measureMemory("PostgreSQL", *postgres) && withinMemory;

    sqlite.close();
    sqlite3_close(directSqlite);
    if (postgres) {
        postgres.reset();
        directPostgres.close();
        directPostgres = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("bench-direct"));
        onServer(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(quoteName(postgresName)));
    }
    benchmark::Shutdown();
    if (!withinMemory)
        std::printf("La memoria pasó el límite\n");
    return failed || !withinMemory ? 1 : 0;
}
