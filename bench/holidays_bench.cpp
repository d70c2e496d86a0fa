// Generating the holidays of 100 years with every weekday marked (about
// 36,600 rows), each holiday in its own database transaction, against the
// same rows written by raw prepared sqlite3 inserts, each in its own
// transaction, on the same file. The ratio is printed (target: at most 1.5).
//
//   UORDANE_BENCH_YEARS   years generated (100 when unset)
//
// Exits with 1 when either side wrote the wrong number of rows, so that the
// suite's small run catches a benchmark that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "data/schema_sql.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "tables/holidays.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

using namespace bench;

int years = 100;
constexpr int firstYear = 2000;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 rows = 0;
    double perRow() const { return rows ? double(nanoseconds) / double(rows) : 0; }
};

Timing generated;
Timing direct;

std::unique_ptr<Database> database;

int expectedRows()
{
    return int(QDate(firstYear, 1, 1).daysTo(QDate(firstYear + years - 1, 12, 31)) + 1);
}

qint64 holidayRows()
{
    QSqlQuery count(database->connection());
    count.exec(QStringLiteral("SELECT COUNT(*) FROM CALFER1"));
    return count.next() ? count.value(0).toLongLong() : -1;
}

void clearHolidays()
{
    database->execute(QStringLiteral("DELETE * FROM CALFER1"));
    QSqlQuery(database->connection()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void checkRows(const char* side)
{
    const qint64 rows = holidayRows();
    if (rows == expectedRows())
        return;
    std::fprintf(stderr, "%s: %lld filas, se esperaban %d\n", side, static_cast<long long>(rows), expectedRows());
    failed = true;
}

void BM_GenerateHolidays(benchmark::State& state)
{
    SilentUiPort ui;
    HolidayGeneration generation;
    generation.calendar = QStringLiteral("NA");
    generation.yearFrom = firstYear;
    generation.yearTo = firstYear + years - 1;
    generation.weekdays.fill(true);
    for (auto _ : state) {
        state.PauseTiming();
        clearHolidays();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const int added = PADDFERI(*database, ui, generation);
        generated.nanoseconds += timer.nsecsElapsed();
        generated.rows += added;
        state.PauseTiming();
        checkRows("PADDFERI");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GenerateHolidays)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RawPreparedInserts(benchmark::State& state)
{
    sqlite3* handle = nullptr;
    sqliteOk(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
    sqlite3_exec(handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqliteOk(handle,
             sqlite3_prepare_v2(handle,
                                "INSERT INTO \"CALFER1\" (\"CalFerId\", \"CalFerFch\", \"CalFchDesc\") VALUES (?, ?, ?)",
                                -1, &insert, nullptr),
             "prepare");
    const QDate first(firstYear, 1, 1);
    for (auto _ : state) {
        state.PauseTiming();
        clearHolidays();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        for (int day = 0; day < expectedRows(); ++day) {
            // Dates stored as the program stores them.
            const QByteArray date =
                QDateTime(first.addDays(day), QTime(0, 0)).toString(QLatin1String(SchemaSql::sqliteDateFormat)).toLatin1();
            sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_bind_text(insert, 1, "NA", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, "", -1, SQLITE_STATIC);
            sqliteOk(handle, sqlite3_step(insert), "insert");
            sqlite3_reset(insert);
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        }
        direct.nanoseconds += timer.nsecsElapsed();
        direct.rows += expectedRows();
        state.PauseTiming();
        checkRows("sqlite3");
        state.ResumeTiming();
    }
    sqlite3_finalize(insert);
    sqlite3_close(handle);
}
BENCHMARK(BM_RawPreparedInserts)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_YEARS"); wanted > 0)
        years = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ratio = direct.perRow() > 0 ? generated.perRow() / direct.perRow() : 0;
    std::printf("Feriados generados: %.1f us por fila; inserciones directas: %.1f us por fila; razón %.2f "
                "(objetivo: 1.5 o menos)\n",
                generated.perRow() / 1000.0, direct.perRow() / 1000.0, ratio);
    database.reset();
    return failed ? 1 : 0;
}
