// Record access against raw SQLite, on a table of one million rows.
//
// Each of our operations runs next to the same work done with the sqlite3 C
// API and prepared statements on the same file, and the ratio of the two is
// printed at the end, with the peak memory of the process after reading the
// first page and after reading every row through a cursor.

#include "data/cursor.h"
#include "data/database.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int tableRows = 1000000;
constexpr int rowsPerGroup = 100;

QTemporaryDir* folder = nullptr;
Database* database = nullptr;
sqlite3* raw = nullptr;
qint64 nextAddedId = tableRows + 1;
qint64 nextRawAddedId = 3 * tableRows;

const TableDef& benchTable()
{
    static const TableDef table{
        QStringLiteral("BENCHMOV"), QStringLiteral("Movimientos de prueba"),
        {FieldDef{QStringLiteral("MovId"), FieldType::Long, 0}, FieldDef{QStringLiteral("MovGrupo"), FieldType::Long, 0},
         FieldDef{QStringLiteral("MovDesc"), FieldType::Text, 40}, FieldDef{QStringLiteral("MovImp"), FieldType::Double, 0}},
        {IndexDef{QStringLiteral("IBENCHMO"), {QStringLiteral("MovId")}, true, true},
         IndexDef{QStringLiteral("IBENCHM1"), {QStringLiteral("MovGrupo"), QStringLiteral("MovId")}, false, false}}};
    return table;
}

void check(int code, const char* what)
{
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
        return;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(raw));
    std::exit(1);
}

/// Builds the million rows once, with raw SQLite in one transaction.
void buildTable(const QString& file)
{
    check(sqlite3_open(QFile::encodeName(file).constData(), &raw), "open");
    check(sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr), "pragma");
    check(sqlite3_exec(raw,
                       "CREATE TABLE \"BENCHMOV\" (\"MovId\" INTEGER, \"MovGrupo\" INTEGER, \"MovDesc\" TEXT, \"MovImp\" REAL);"
                       "CREATE UNIQUE INDEX \"BENCHMOV_IBENCHMO\" ON \"BENCHMOV\" (\"MovId\");"
                       "CREATE INDEX \"BENCHMOV_IBENCHM1\" ON \"BENCHMOV\" (\"MovGrupo\", \"MovId\");",
                       nullptr, nullptr, nullptr),
          "create");
    check(sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr), "begin");
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(raw, "INSERT INTO BENCHMOV VALUES (?, ?, ?, ?)", -1, &insert, nullptr), "prepare");
    for (int id = 1; id <= tableRows; ++id) {
        const std::string description = "Movimiento número " + std::to_string(id);
        sqlite3_bind_int64(insert, 1, id);
        sqlite3_bind_int64(insert, 2, (id - 1) / rowsPerGroup);
        sqlite3_bind_text(insert, 3, description.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, id * 1.25);
        check(sqlite3_step(insert), "insert");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr), "commit");
}

int randomId()
{
    return QRandomGenerator::global()->bounded(1, tableRows + 1);
}

/// Reads the columns of a raw row as the cursor does: every field.
void consumeRaw(sqlite3_stmt* statement)
{
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 1));
    benchmark::DoNotOptimize(sqlite3_column_int64(statement, 2));
    benchmark::DoNotOptimize(sqlite3_column_text(statement, 3));
    benchmark::DoNotOptimize(sqlite3_column_bytes(statement, 3));
    benchmark::DoNotOptimize(sqlite3_column_double(statement, 4));
}

void consumeCursor(const RecordCursor& cursor)
{
    benchmark::DoNotOptimize(cursor.integer(QStringLiteral("MovId")));
    benchmark::DoNotOptimize(cursor.integer(QStringLiteral("MovGrupo")));
    benchmark::DoNotOptimize(cursor.text(QStringLiteral("MovDesc")));
    benchmark::DoNotOptimize(cursor.number(QStringLiteral("MovImp")));
}

void Cursor_SeekAndRead(benchmark::State& state)
{
    TableCursor cursor(*database);
    cursor.open(QStringLiteral("BENCHMOV"), Access::ReadOnly);
    for (auto _ : state) {
        cursor.seek(Comparison::Equal, {randomId()});
        consumeCursor(cursor);
    }
}

void Raw_SeekAndRead(benchmark::State& state)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw, "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV WHERE MovId = ? "
                            "ORDER BY MovId, rowid LIMIT 1", -1, &statement, nullptr);
    for (auto _ : state) {
        sqlite3_bind_int64(statement, 1, randomId());
        if (sqlite3_step(statement) == SQLITE_ROW)
            consumeRaw(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void Cursor_RangeRead(benchmark::State& state)
{
    TableCursor cursor(*database);
    cursor.open(QStringLiteral("BENCHMOV"), Access::ReadOnly);
    cursor.setIndex(QStringLiteral("IBENCHM1"));
    for (auto _ : state) {
        const int group = randomId() / rowsPerGroup;
        int rows = 0;
        for (cursor.seek(Comparison::GreaterOrEqual, {group}); !cursor.atEnd() && cursor.integer(QStringLiteral("MovGrupo")) == group;
             cursor.moveNext()) {
            consumeCursor(cursor);
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}

void Raw_RangeRead(benchmark::State& state)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw, "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV WHERE MovGrupo >= ? "
                            "ORDER BY MovGrupo, MovId, rowid", -1, &statement, nullptr);
    for (auto _ : state) {
        const int group = randomId() / rowsPerGroup;
        int rows = 0;
        sqlite3_bind_int64(statement, 1, group);
        while (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int64(statement, 2) == group) {
            consumeRaw(statement);
            ++rows;
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(statement);
}

void Cursor_Add(benchmark::State& state)
{
    TableCursor cursor(*database);
    cursor.open(QStringLiteral("BENCHMOV"));
    for (auto _ : state) {
        const qint64 id = nextAddedId++;
        cursor.addNew();
        cursor.setValue(QStringLiteral("MovId"), id);
        cursor.setValue(QStringLiteral("MovGrupo"), id / rowsPerGroup);
        cursor.setValue(QStringLiteral("MovDesc"), QStringLiteral("Agregado"));
        cursor.setValue(QStringLiteral("MovImp"), 1.5);
        if (!cursor.update().ok())
            state.SkipWithError("update failed");
    }
}

void Raw_Add(benchmark::State& state)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw, "INSERT INTO BENCHMOV (MovId, MovGrupo, MovDesc, MovImp) VALUES (?, ?, ?, ?)", -1,
                       &statement, nullptr);
    for (auto _ : state) {
        const qint64 id = nextRawAddedId++;
        sqlite3_bind_int64(statement, 1, id);
        sqlite3_bind_int64(statement, 2, id / rowsPerGroup);
        sqlite3_bind_text(statement, 3, "Agregado", -1, SQLITE_STATIC);
        sqlite3_bind_double(statement, 4, 1.5);
        if (sqlite3_step(statement) != SQLITE_DONE)
            state.SkipWithError("insert failed");
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void Cursor_First100(benchmark::State& state)
{
    TableCursor cursor(*database);
    cursor.open(QStringLiteral("BENCHMOV"), Access::ReadOnly);
    for (auto _ : state) {
        int rows = 0;
        for (cursor.moveFirst(); !cursor.atEnd() && rows < 100; cursor.moveNext()) {
            consumeCursor(cursor);
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}

void Raw_First100(benchmark::State& state)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw, "SELECT rowid, MovId, MovGrupo, MovDesc, MovImp FROM BENCHMOV ORDER BY MovId, rowid LIMIT 100",
                       -1, &statement, nullptr);
    for (auto _ : state) {
        int rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            consumeRaw(statement);
            ++rows;
        }
        sqlite3_reset(statement);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(statement);
}

BENCHMARK(Cursor_SeekAndRead);
BENCHMARK(Raw_SeekAndRead);
BENCHMARK(Cursor_RangeRead);
BENCHMARK(Raw_RangeRead);
BENCHMARK(Cursor_Add);
BENCHMARK(Raw_Add);
BENCHMARK(Cursor_First100);
BENCHMARK(Raw_First100);

/// Remembers the time per iteration of every benchmark run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            perIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpuPerIteration[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }
    std::map<std::string, double> perIteration;
    std::map<std::string, double> cpuPerIteration;
};

/// Peak resident memory of the process so far, in kilobytes.
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir dir;
    folder = &dir;
    const QString file = dir.filePath(QStringLiteral("KQ_DATA.MDB"));
    buildTable(file);
    Database ours(DatabaseLocation::sqliteFile(file));
    if (!ours.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(ours.errorText()));
        return 1;
    }
    ours.registerTable(benchTable());
    database = &ours;
    std::printf("Tabla de %d filas creada; memoria pico %ld kB\n", tableRows, peakMemoryKb());

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // Processor time is the steadier measure on a machine that others share.
    std::printf("\nRelación cursor / SQLite directo (objetivo: 1.5 o menos)\n");
    std::printf("  %-12s %8s %8s\n", "operación", "real", "cpu");
    for (const char* operation : {"SeekAndRead", "RangeRead", "Add", "First100"}) {
        const std::string ours = std::string("Cursor_") + operation;
        const std::string direct = std::string("Raw_") + operation;
        if (!reporter.perIteration.count(ours) || !reporter.perIteration.count(direct))
            continue;
        std::printf("  %-12s %8.2f %8.2f\n", operation, reporter.perIteration[ours] / reporter.perIteration[direct],
                    reporter.cpuPerIteration[ours] / reporter.cpuPerIteration[direct]);
    }

    // Memory: a cursor holds a small window, whatever the size of the table.
    TableCursor cursor(ours);
    cursor.open(QStringLiteral("BENCHMOV"), Access::ReadOnly);
    int rows = 0;
    for (cursor.moveFirst(); !cursor.atEnd() && rows < 100; cursor.moveNext())
        ++rows;
    std::printf("\nMemoria pico tras leer la primera página: %ld kB\n", peakMemoryKb());
    rows = 0;
    double total = 0;
    for (cursor.moveFirst(); !cursor.atEnd(); cursor.moveNext()) {
        total += cursor.number(QStringLiteral("MovImp"));
        ++rows;
    }
    std::printf("Memoria pico tras leer las %d filas: %ld kB (suma %.0f)\n", rows, peakMemoryKb(), total);

    cursor.close();
    ours.close();
    sqlite3_close(raw);
    benchmark::Shutdown();
    return 0;
}
