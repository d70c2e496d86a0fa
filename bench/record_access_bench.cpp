// Record access against the same work done by hand, at one or more table
// sizes.
//
// Each operation of our cursors runs next to the same work (the same rows and
// columns) written directly: the sqlite3 C API with prepared statements on the
// same SQLite file, opened as the program opens its own (no mutex: one
// connection per thread), and plain prepared QSqlQuery statements on the same
// PostgreSQL server. For each size the ratios are printed at the end, the
// PostgreSQL ones also against direct SQLite, with the peak memory of each
// case and of a cursor reading the first page of the table and then every
// page, so that how cost and memory grow with the table is visible.
//
//   --rows=N[,M...]     rows of the table, one run per size (10000 when not
//                       given; 10000,1000000 shows how cost grows)
//   --iterations=N      a fixed number of iterations per case, for a
//                       profiler (callgrind counts the same work each run)
//   Each case runs five times, the cases in random order, and the medians
//   are compared (--benchmark_repetitions=N sets another count).
//   UORDANE_TEST_PG_HOST, _PORT, _USER  the PostgreSQL server; without them
//                       only SQLite runs
//
// Exits with 1 when an operation read the wrong rows or failed, or when the
// memory went over its limit, so that the suite's small run catches a
// benchmark that no longer works.

#include "data/cursor.h"
#include "data/database.h"
#include "data/schema_sql.h"

#include "bench_support.h"

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
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int rowsPerGroup = 100;
constexpr int pageRows = 100;
constexpr int defaultRows = 10000;
constexpr long memoryLimitKb = 150 * 1024;
// Added rows get identities far above the table's, from one count for both
// sides: each add of either goes at the end of the indexes, as an office's
// new records do. (Two ranges would leave the lower side inserting into the
// middle of each index once the upper one had added, which costs more.)
constexpr qint64 firstAddedId = 1000000000;

const QString benchTableName = QStringLiteral("BENCHMOV");
const QString movId = QStringLiteral("MovId");
const QString movGroup = QStringLiteral("MovGrupo");
const QString movDescription = QStringLiteral("MovDesc");
const QString movAmount = QStringLiteral("MovImp");

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

/// One size of the table on each backend: our database and the direct
/// connection to the same data.
struct Setup {
    int rows = 0;
    QTemporaryDir folder;
    std::unique_ptr<Database> sqlite;
    sqlite3* directSqlite = nullptr;
    std::unique_ptr<Database> postgres;
    QString postgresName;
    QString directPostgresName;
    QSqlDatabase directPostgres;
    qint64 nextAddedId = firstAddedId;

    int randomId() const { return QRandomGenerator::global()->bounded(1, rows + 1); }
    int firstPageRows() const { return std::min(pageRows, rows); }
};

/// A group of the table, and how many rows it has.
struct Group {
    int number = 0;
    int rows = 0;
};

Group randomGroup(const Setup& setup)
{
    const int number = (setup.randomId() - 1) / rowsPerGroup;
    return {number, std::min(rowsPerGroup, setup.rows - number * rowsPerGroup)};
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

void cursorSeekAndRead(benchmark::State& state, Setup& setup, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    for (auto _ : state) {
        const int id = setup.randomId();
        cursor.seek(Comparison::Equal, {id});
        if (cursor.integer(movId) != id)
            return fail(state, "la búsqueda no halló la fila");
        consumeCursor(cursor);
    }
}

void cursorRangeRead(benchmark::State& state, Setup& setup, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    cursor.setIndex(QStringLiteral("IBENCHM1"));
    for (auto _ : state) {
        const Group group = randomGroup(setup);
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

void cursorAdd(benchmark::State& state, Setup& setup, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName);
    for (auto _ : state) {
        const qint64 id = setup.nextAddedId++;
        cursor.addNew();
        cursor.setValue(movId, id);
        cursor.setValue(movGroup, id / rowsPerGroup);
        cursor.setValue(movDescription, QStringLiteral("Agregado"));
        cursor.setValue(movAmount, 1.5);
        if (!cursor.update().ok())
            return fail(state, "no se pudo agregar");
    }
}

void cursorFirstPage(benchmark::State& state, Setup& setup, Database& database)
{
    TableCursor cursor(database);
    cursor.open(benchTableName, Access::ReadOnly);
    for (auto _ : state) {
        int rows = 0;
        for (cursor.moveFirst(); !cursor.atEnd() && rows < pageRows; cursor.moveNext()) {
            consumeCursor(cursor);
            ++rows;
        }
        if (rows != setup.firstPageRows())
            return fail(state, "la primera página no está completa");
    }
}

// ---------------------------------------------------------------------------
// SQLite by hand: the sqlite3 C API on the same file

sqlite3_stmt* prepareSqlite(sqlite3* connection, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqliteOk(connection, sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr), sql);
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

void sqliteSeekAndRead(benchmark::State& state, Setup& setup)
{
    sqlite3_stmt* statement = prepareSqlite(setup.directSqlite,
                                            "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV WHERE MovId = ? "
                                            "ORDER BY MovId, rowid LIMIT 1");
    for (auto _ : state) {
        const int id = setup.randomId();
        sqlite3_bind_int64(statement, 1, id);
        if (sqlite3_step(statement) != SQLITE_ROW || sqlite3_column_int64(statement, 1) != id)
            return fail(state, "la búsqueda no halló la fila");
        consumeSqlite(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void sqliteRangeRead(benchmark::State& state, Setup& setup)
{
    sqlite3_stmt* statement = prepareSqlite(setup.directSqlite,
                                            "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV "
                                            "WHERE MovGrupo >= ? ORDER BY MovGrupo, MovId, rowid");
    for (auto _ : state) {
        const Group group = randomGroup(setup);
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

void sqliteAdd(benchmark::State& state, Setup& setup)
{
    sqlite3_stmt* statement =
        prepareSqlite(setup.directSqlite, "INSERT INTO BENCHMOV (MovId, MovGrupo, MovDesc, MovImp) VALUES (?, ?, ?, ?)");
    for (auto _ : state) {
        const qint64 id = setup.nextAddedId++;
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

void sqliteFirstPage(benchmark::State& state, Setup& setup)
{
    const std::string sql = "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV ORDER BY MovId, rowid LIMIT "
        + std::to_string(pageRows);
    sqlite3_stmt* statement = prepareSqlite(setup.directSqlite, sql.c_str());
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            consumeSqlite(statement);
            ++rows;
        }
        sqlite3_reset(statement);
        if (rows != setup.firstPageRows())
            return fail(state, "la primera página no está completa");
    }
    sqlite3_finalize(statement);
}

// ---------------------------------------------------------------------------
// PostgreSQL by hand: plain prepared QSqlQuery statements on the same server

QSqlQuery preparePostgres(Setup& setup, const QString& sql)
{
    QSqlQuery query(setup.directPostgres);
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

void postgresSeekAndRead(benchmark::State& state, Setup& setup)
{
    QSqlQuery query =
        preparePostgres(setup, postgresColumns + "WHERE \"MovId\" = ? ORDER BY \"MovId\", kq_rowid LIMIT 1");
    for (auto _ : state) {
        const int id = setup.randomId();
        query.addBindValue(id);
        if (!query.exec() || !query.next() || query.value(1).toInt() != id)
            return fail(state, "la búsqueda no halló la fila");
        consumePostgres(query);
        query.finish();
    }
}

void postgresRangeRead(benchmark::State& state, Setup& setup)
{
    QSqlQuery query =
        preparePostgres(setup, postgresColumns + "WHERE \"MovGrupo\" = ? ORDER BY \"MovGrupo\", \"MovId\", kq_rowid");
    for (auto _ : state) {
        const Group group = randomGroup(setup);
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

void postgresAdd(benchmark::State& state, Setup& setup)
{
    QSqlQuery query = preparePostgres(
        setup,
        QStringLiteral("INSERT INTO \"BENCHMOV\" (\"MovId\", \"MovGrupo\", \"MovDesc\", \"MovImp\") VALUES (?, ?, ?, ?)"));
    for (auto _ : state) {
        const qint64 id = setup.nextAddedId++;
        query.addBindValue(id);
        query.addBindValue(id / rowsPerGroup);
        query.addBindValue(QStringLiteral("Agregado"));
        query.addBindValue(1.5);
        if (!query.exec())
            return fail(state, "no se pudo agregar");
    }
}

void postgresFirstPage(benchmark::State& state, Setup& setup)
{
    QSqlQuery query =
        preparePostgres(setup, postgresColumns + "ORDER BY \"MovId\", kq_rowid LIMIT " + QString::number(pageRows));
    for (auto _ : state) {
        if (!query.exec())
            return fail(state, "no se pudo leer la primera página");
        int rows = 0;
        while (query.next()) {
            consumePostgres(query);
            ++rows;
        }
        query.finish();
        if (rows != setup.firstPageRows())
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

/// Opens the direct connection to the SQLite file as the program's driver
/// opens its own, without sqlite3's mutexes (each connection is used by one
/// thread), and fills the table in one transaction.
bool fillSqlite(Setup& setup, const QString& file)
{
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &setup.directSqlite,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        std::fprintf(stderr, "open: %s\n", sqlite3_errmsg(setup.directSqlite));
        return false;
    }
    sqlite3* connection = setup.directSqlite;
    sqlite3_busy_timeout(connection, 10000);
    if (!sqliteOk(connection, sqlite3_exec(connection, "PRAGMA synchronous=NORMAL; BEGIN", nullptr, nullptr, nullptr),
                  "begin"))
        return false;
    sqlite3_stmt* insert = prepareSqlite(connection, "INSERT INTO BENCHMOV VALUES (?, ?, ?, ?)");
    for (int id = 1; id <= setup.rows; ++id) {
        const std::string description = "Movimiento número " + std::to_string(id);
        sqlite3_bind_int64(insert, 1, id);
        sqlite3_bind_int64(insert, 2, (id - 1) / rowsPerGroup);
        sqlite3_bind_text(insert, 3, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, id * 1.25);
        if (!sqliteOk(connection, sqlite3_step(insert), "insert"))
            return false;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return sqliteOk(connection, sqlite3_exec(connection, "COMMIT", nullptr, nullptr, nullptr), "commit");
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
bool fillPostgres(Database& database, int rows)
{
    return run(database.connection(),
               QStringLiteral("INSERT INTO \"BENCHMOV\" (\"MovId\", \"MovGrupo\", \"MovDesc\", \"MovImp\") "
                              "SELECT id, (id - 1) / %1, 'Movimiento número ' || id, id * 1.25 "
                              "FROM generate_series(1, %2) AS id")
                   .arg(rowsPerGroup)
                   .arg(rows))
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

/// Creates the SQLite file of `setup` and fills it.
bool prepareSqlite(Setup& setup)
{
    const QString file = setup.folder.filePath(QStringLiteral("KQ_DATA.MDB"));
    setup.sqlite = std::make_unique<Database>(DatabaseLocation::sqliteFile(file));
    if (!setup.sqlite->open(Database::OpenMode::CreateIfMissing) || !createTable(*setup.sqlite)
        || !fillSqlite(setup, file)) {
        std::fprintf(stderr, "SQLite: %s\n", qPrintable(setup.sqlite->errorText()));
        return false;
    }
    setup.sqlite->registerTable(benchTable());
    std::printf("SQLite: tabla de %d filas creada\n", setup.rows);
    return true;
}

/// Creates a database of its own for `setup` on the test server (dropped by
/// `dropPostgres`), fills it and opens the direct connection to it.
bool preparePostgres(Setup& setup)
{
    setup.postgresName =
        QStringLiteral("uordane_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(setup.rows);
    if (!onServer(QStringLiteral("CREATE DATABASE %1").arg(quoteName(setup.postgresName))))
        return false;
    setup.postgres = std::make_unique<Database>(postgresLocation(setup.postgresName));
    if (!setup.postgres->open(Database::OpenMode::CreateIfMissing) || !createTable(*setup.postgres)
        || !fillPostgres(*setup.postgres, setup.rows)) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(setup.postgres->errorText()));
        return false;
    }
    setup.postgres->registerTable(benchTable());
    const DatabaseLocation location = setup.postgres->location();
    setup.directPostgresName = QStringLiteral("bench-direct-%1").arg(setup.rows);
    setup.directPostgres = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), setup.directPostgresName);
    setup.directPostgres.setHostName(location.server);
    setup.directPostgres.setPort(location.port);
    setup.directPostgres.setUserName(location.user);
    setup.directPostgres.setDatabaseName(location.database);
    if (!setup.directPostgres.open()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(setup.directPostgres.lastError().text()));
        return false;
    }
    std::printf("PostgreSQL: tabla de %d filas creada\n", setup.rows);
    return true;
}

void dropPostgres(Setup& setup)
{
    if (setup.postgresName.isEmpty())
        return;
    setup.postgres.reset();
    if (setup.directPostgres.isValid()) {
        setup.directPostgres.close();
        setup.directPostgres = QSqlDatabase();
        QSqlDatabase::removeDatabase(setup.directPostgresName);
    }
    onServer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(quoteName(setup.postgresName)));
}

// ---------------------------------------------------------------------------
// Memory

/// The peak memory of each case while it ran, by its name, in kilobytes.
std::map<std::string, long> peakByCase;

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
            // Of repeated runs, the median stands for the case; a case run
            // once stands for itself.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            // The case's own name, without what a fixed iteration count adds.
            realTime[run.run_name.function_name] = run.GetAdjustedRealTime();
            cpuTime[run.run_name.function_name] = run.GetAdjustedCPUTime();
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

/// The peak memory of two cases as "cursor/direct" in megabytes, "-" when
/// either did not run.
std::string peaks(const std::string& ours, const std::string& direct)
{
    const auto mine = peakByCase.find(ours);
    const auto theirs = peakByCase.find(direct);
    if (mine == peakByCase.end() || theirs == peakByCase.end())
        return "-";
    char text[48];
    std::snprintf(text, sizeof text, "%.1f/%.1f", mine->second / 1024.0, theirs->second / 1024.0);
    return text;
}

// The adds come last: on the server the rows they add set autovacuum going,
// which would slow whichever read ran next (the cursor's, registered first).
const char* const operations[] = {"SeekAndRead", "RangeRead", "First100", "Add"};

using CursorCase = void (*)(benchmark::State&, Setup&, Database&);
using DirectCase = void (*)(benchmark::State&, Setup&);

/// Registers `run` under `name`; each of its runs notes the peak memory it reached.
void registerCase(const std::string& name, std::function<void(benchmark::State&)> run, int iterations)
{
    benchmark::internal::Benchmark* registered =
        benchmark::RegisterBenchmark(name.c_str(), [name, run](benchmark::State& state) {
            resetPeakMemory();
            run(state);
            long& peak = peakByCase[name];
            peak = std::max(peak, peakMemoryKb());
        });
    if (iterations > 0)
        registered->Iterations(iterations);
}

std::string caseName(const char* backend, const Setup& setup, const std::string& side, const std::string& operation)
{
    return std::string(backend) + "/" + std::to_string(setup.rows) + "/" + side + "_" + operation;
}

void registerBenchmarks(const char* backend, Setup& setup, Database& database,
                        const std::map<std::string, DirectCase>& direct, int iterations)
{
    const std::map<std::string, CursorCase> ours = {{"SeekAndRead", cursorSeekAndRead},
                                                    {"RangeRead", cursorRangeRead},
                                                    {"Add", cursorAdd},
                                                    {"First100", cursorFirstPage}};
    for (const char* operation : operations) {
        const CursorCase cursorCase = ours.at(operation);
        const DirectCase directCase = direct.at(operation);
        registerCase(caseName(backend, setup, "Cursor", operation),
                     [cursorCase, &setup, &database](benchmark::State& state) { cursorCase(state, setup, database); },
                     iterations);
        registerCase(caseName(backend, setup, "Direct", operation),
                     [directCase, &setup](benchmark::State& state) { directCase(state, setup); }, iterations);
    }
}

/// Prints the ratios and peak memory of one size.
void printRatios(const RatioReporter& reporter, const Setup& setup)
{
    std::printf("\n%d filas: relación cursor / trabajo directo (objetivo: SQLite 1.2, PostgreSQL 1.5 o menos)\n",
                setup.rows);
    std::printf("  %-12s %7s %7s %13s %11s %13s %10s\n", "operación", "SQLite", "(cpu)", "pico MB", "PostgreSQL",
                "pico MB", "PG/SQLite");
    for (const std::string operation : operations) {
        const std::string cursorSqlite = caseName("SQLite", setup, "Cursor", operation);
        const std::string directSqlite = caseName("SQLite", setup, "Direct", operation);
        const std::string cursorPostgres = caseName("PostgreSQL", setup, "Cursor", operation);
        const std::string directPostgres = caseName("PostgreSQL", setup, "Direct", operation);
        std::printf("  %-12s %7s %7s %13s %11s %13s %10s\n", operation.c_str(),
                    reporter.ratio(cursorSqlite, directSqlite).c_str(),
                    reporter.ratio(cursorSqlite, directSqlite, true).c_str(), peaks(cursorSqlite, directSqlite).c_str(),
                    reporter.ratio(cursorPostgres, directPostgres).c_str(),
                    peaks(cursorPostgres, directPostgres).c_str(), reporter.ratio(cursorPostgres, directSqlite).c_str());
    }
}

/// The value of `--name=value` in `argument`, or nothing.
const char* option(const char* argument, const char* name)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0 || argument[length] != '=')
        return nullptr;
    return argument + length + 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // Our own options go before the benchmark library reads the rest.
    std::vector<int> sizes;
    int iterations = 0;
    std::vector<char*> rest;
    for (int index = 0; index < argc; ++index) {
        if (const char* rows = option(argv[index], "--rows")) {
            for (const QByteArray& size : QByteArray(rows).split(',')) {
                if (const int count = size.toInt(); count > 0)
                    sizes.push_back(count);
            }
        } else if (const char* count = option(argv[index], "--iterations")) {
            iterations = std::atoi(count);
        } else {
            rest.push_back(argv[index]);
        }
    }
    if (sizes.empty())
        sizes.push_back(defaultRows);
    // Unless told otherwise, each case runs five times with the cases in a
    // random order, and the median of each is compared: a busy moment of the
    // machine then falls on both sides of a ratio alike, not on one run.
    const auto given = [&rest](const char* name) {
        return std::any_of(rest.begin(), rest.end(), [name](const char* argument) {
            return std::strncmp(argument, name, std::strlen(name)) == 0;
        });
    };
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    static char aggregatesOnly[] = "--benchmark_display_aggregates_only=true";
    if (iterations == 0 && !given("--benchmark_repetitions")) {
        rest.push_back(repetitions);
        if (!given("--benchmark_enable_random_interleaving"))
            rest.push_back(interleaving);
        if (!given("--benchmark_display_aggregates_only"))
            rest.push_back(aggregatesOnly);
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());

    const bool withPostgres = !qEnvironmentVariableIsEmpty("UORDANE_TEST_PG_HOST");
    if (!withPostgres)
        std::printf("PostgreSQL: se omite (UORDANE_TEST_PG_HOST no está definido)\n");
    std::vector<std::unique_ptr<Setup>> setups;
    bool prepared = true;
    for (const int rows : sizes) {
        auto setup = std::make_unique<Setup>();
        setup->rows = rows;
        prepared = prepareSqlite(*setup) && (!withPostgres || preparePostgres(*setup));
        Setup& made = *setups.emplace_back(std::move(setup));
        if (!prepared)
            break;
        registerBenchmarks("SQLite", made, *made.sqlite,
                           {{"SeekAndRead", sqliteSeekAndRead}, {"RangeRead", sqliteRangeRead},
                            {"Add", sqliteAdd}, {"First100", sqliteFirstPage}},
                           iterations);
        if (withPostgres)
            registerBenchmarks("PostgreSQL", made, *made.postgres,
                               {{"SeekAndRead", postgresSeekAndRead}, {"RangeRead", postgresRangeRead},
                                {"Add", postgresAdd}, {"First100", postgresFirstPage}},
                               iterations);
    }

    bool withinMemory = true;
    if (prepared) {
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        for (const auto& setup : setups)
            printRatios(reporter, *setup);
        for (const auto& setup : setups) {
            std::printf("\nMemoria pico al leer %d filas por páginas con un cursor (límite %ld kB)\n", setup->rows,
                        memoryLimitKb);
            withinMemory = measureMemory("SQLite", *setup->sqlite) && withinMemory;
            if (setup->postgres)
                withinMemory = measureMemory("PostgreSQL", *setup->postgres) && withinMemory;
        }
    }

    for (const auto& setup : setups) {
        if (setup->sqlite)
            setup->sqlite->close();
        sqlite3_close(setup->directSqlite);
        dropPostgres(*setup);
    }
    benchmark::Shutdown();
    if (!prepared)
        return 1;
    if (!withinMemory)
        std::printf("La memoria pasó el límite\n");
    return failed || !withinMemory ? 1 : 0;
}
