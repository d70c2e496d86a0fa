// Loading an attribute's suggested value into 10,000 active employees
// (PADDATFC: a look-up and a write per employee, each write its own
// database transaction, as the payroll program writes values), against the
// same rows written by raw prepared sqlite3 inserts, each in its own
// transaction, on the same file. The ratio is printed (target: at most 2).
//
//   UORDANE_BENCH_EMPLOYEES   employees (10,000 when unset)
//
// Exits with 1 when either side wrote the wrong number of rows, so that the
// suite's run catches a benchmark that no longer works.
#include "data/database.h"
#include "data/cursor.h"
#include "data/database_setup.h"
#include "data/schema_sql.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "tables/attributes_procedures.h"
#include "bench_support.h"

#include <QCoreApplication>
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

int employees = 10000;
constexpr int attribute = 3;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 rows = 0;
    double perRow() const { return rows ? double(nanoseconds) / double(rows) : 0; }
};

Timing loaded;
Timing direct;

std::unique_ptr<Database> database;

qint64 valueRows()
{
    QSqlQuery count(database->connection());
    count.exec(QStringLiteral("SELECT COUNT(*) FROM FUNATRVA"));
    return count.next() ? count.value(0).toLongLong() : -1;
}

void clearValues()
{
    database->execute(QStringLiteral("DELETE * FROM FUNATRVA"));
    QSqlQuery(database->connection()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void checkRows(const char* side)
{
    const qint64 rows = valueRows();
    if (rows == employees)
        return;
    std::fprintf(stderr, "%s: %lld filas, se esperaban %d\n", side, static_cast<long long>(rows), employees);
    failed = true;
}

bool addCompany(QString* error)
{
    if (!insertRow(*database, QStringLiteral("FUNATRIB"),
                   {{"FunAId", attribute}, {"FunADescri", QStringLiteral("Turno")}, {"FunATabla", "F"},
                    {"FunATipo", "AN"}, {"FunALongit", 10}, {"FunADecima", 0}, {"FunAMayusc", "N"},
                    {"FunAObliga", "N"}, {"FunAValida", QString()}, {"FunAValIni", QStringLiteral("Noche")}},
                   error))
        return false;
    database->beginTransaction();
    for (int employee = 1; employee <= employees; ++employee) {
        if (!insertRow(*database, QStringLiteral("FUNCIONA"),
                       {{"FunId", employee}, {"FunApeNom", QStringLiteral("Empleado %1").arg(employee)},
                        {"FunActEgr", employee % 2 ? "A" : "G"}},
                       error)) {
            database->rollback();
            return false;
        }
    }
    return !database->commit();
}

void BM_LoadSuggestedValue(benchmark::State& state)
{
    SilentUiPort ui;
    for (auto _ : state) {
        state.PauseTiming();
        clearValues();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        if (PADDATFC(*database, ui, attribute, QStringLiteral("F"), QStringLiteral("Noche")))
            failed = true;
        loaded.nanoseconds += timer.nsecsElapsed();
        loaded.rows += employees;
        state.PauseTiming();
        checkRows("PADDATFC");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadSuggestedValue)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RawPreparedInserts(benchmark::State& state)
{
    sqlite3* handle = nullptr;
    sqliteOk(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
    sqlite3_exec(handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqliteOk(handle,
             sqlite3_prepare_v2(handle,
                                "INSERT INTO \"FUNATRVA\" (\"FunId\", \"FunAL\", \"FunAId\", \"FunAValor\", "
                                "\"FunAValN\", \"FunAValF\") VALUES (?, 0, ?, ?, 0, ?)",
                                -1, &insert, nullptr),
             "prepare");
    // The empty date, stored as the program stores dates.
    const QByteArray noDate = emptyDate().toString(QLatin1String(SchemaSql::sqliteDateFormat)).toLatin1();
    for (auto _ : state) {
        state.PauseTiming();
        clearValues();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        for (int employee = 1; employee <= employees; ++employee) {
            sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
            sqlite3_bind_int(insert, 1, employee);
            sqlite3_bind_int(insert, 2, attribute);
            sqlite3_bind_text(insert, 3, "Noche", -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 4, noDate.constData(), int(noDate.size()), SQLITE_STATIC);
            sqliteOk(handle, sqlite3_step(insert), "insert");
            sqlite3_reset(insert);
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        }
        direct.nanoseconds += timer.nsecsElapsed();
        direct.rows += employees;
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
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_EMPLOYEES"); wanted > 0)
        employees = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)
        || !addCompany(&error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double ratio = direct.perRow() > 0 ? loaded.perRow() / direct.perRow() : 0;
    std::printf("Valor sugerido cargado: %.1f us por funcionario; inserciones directas: %.1f us por fila; "
                "razón %.2f (objetivo: 2 o menos)\n",
                loaded.perRow() / 1000.0, direct.perRow() / 1000.0, ratio);
    database.reset();
    return failed ? 1 : 0;
}
