// A detailed user-defined report over the liquidation history: two
// classification levels (cost centre, concept) with subtotals at both,
// every row read, its lines handed to a sink that keeps only counts and
// sums, against the hand-written query with GROUP BY that gives the same
// subtotals, on the same file in the same run. The ratio is printed
// (target: at most 2). The run into an .xlsx workbook is timed as well.
//
//   UORDANE_BENCH_ROWS   liquidation rows (100,000 when unset)
//
// Exits with 1 when the report's total or its number of subtotals differ
// from the query's, so that the suite's small run catches a benchmark that
// no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "reports/report_run.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <sys/resource.h>
#include <cstdio>
#include <memory>

namespace {

using namespace bench;

/// The process's peak resident memory so far, in megabytes.
double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

int rows = 100000;
constexpr int employees = 800;
constexpr int reportId = 1;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 runs = 0;
    double perRun() const { return runs ? double(nanoseconds) / double(runs) : 0; }
};

Timing reported;
Timing grouped;
Timing workbook;

std::unique_ptr<Database> database;

/// Counts the lines and adds up the subtotals and the total.
class CountingSink : public ReportSink {
public:
    bool begin(const ReportLayout&, QString&) override
    {
        *this = CountingSink();
        return true;
    }
    void line(const ReportLine& line) override
    {
        switch (line.kind) {
        case ReportLine::Kind::Detail:
            ++details;
            return;
        case ReportLine::Kind::Heading:
            return;
        case ReportLine::Kind::Subtotal:
            if (line.level == 1)
                ++innerSubtotals;
            return;
        case ReportLine::Kind::Total:
            total = line.values.at(3).number;
            return;
        }
    }
    bool finish(QString&) override { return true; }

    qint64 details = 0;
    qint64 innerSubtotals = 0;
    double total = 0;
};

bool fill(QString* error)
{
    const auto run = [&](const QString& sql, const QVariantList& values = {}) {
        QSqlQuery query(database->connection());
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (query.exec())
            return true;
        *error = sql + QStringLiteral(": ") + query.lastError().text();
        return false;
    };
    if (!database->connection().transaction())
        return false;
    const QStringList centres = {"ADM", "OBRA-1", "OBRA-2", "OBRA-3", "TALLER", "VENTAS", "DEPOSITO", "GERENCIA"};
    for (const QString& centre : centres) {
        if (!run("INSERT INTO \"CENTROCO\" (\"CCId\", \"CCDesc\") VALUES (?, ?)", {centre, "Centro " + centre}))
            return false;
    }
    QSqlQuery employee(database->connection());
    employee.prepare("INSERT INTO \"FUNCIONA\" (\"FunId\", \"FunApeNom\", \"FunActEgr\") VALUES (?, ?, 'A')");
    for (int id = 1; id <= employees; ++id) {
        employee.addBindValue(id);
        employee.addBindValue(QStringLiteral("Funcionario %1").arg(id));
        if (!employee.exec())
            return false;
    }
    QSqlQuery history(database->connection());
    history.prepare("INSERT INTO \"HISTORIA\" (\"FunId\", \"HCorLiq\", \"HCorLin\", \"HConId\", \"HMovImp\", "
                    "\"HMovTipo\", \"HPLFch\", \"MovCCId\") VALUES (?, ?, ?, ?, ?, 'H', '2025-01-31T00:00:00', ?)");
    const int concepts[] = {1, 2, 5, 6, 20, 25, 26, 101, 102, 150};
    for (int row = 0; row < rows; ++row) {
        const int id = row % employees + 1;
        const int liquidation = row / employees / 10 + 1;
        history.addBindValue(id);
        history.addBindValue(liquidation);
        history.addBindValue(row / employees % 10 + 1);
        history.addBindValue(concepts[(row / employees) % 10]);
        history.addBindValue(double((row * 37) % 90000) / 4 + 1000);
        history.addBindValue(centres.at(id % centres.size()));
        if (!history.exec()) {
            *error = history.lastError().text();
            return false;
        }
    }
    // Columns: employee number and name, concept, amount; classified by
    // cost centre and concept, each with subtotals.
    const bool defined =
        run("INSERT INTO \"INFORME\" (\"InfId\", \"InfDes\", \"InfDetRes\", \"InfCarId\") VALUES (1, 'Por centro y concepto', 'D', 0)")
        && run("INSERT INTO \"INFORME1\" (\"InfId\", \"InfCorCamp\", \"CamId\") VALUES (1, 1, 1001), (1, 2, 1002), (1, 3, 1305), (1, 4, 1306)")
        && run("INSERT INTO \"INFORME2\" (\"InfId\", \"InfCorClas\", \"CamId\", \"InfSubtot\") VALUES (1, 1, 1308, 'S'), (1, 2, 1305, 'S')");
    return defined && database->connection().commit();
}

void BM_ReportRun(benchmark::State& state)
{
    SilentUiPort ui;
    ReportRunOptions options;
    options.storeRunDate = false;
    for (auto _ : state) {
        CountingSink sink;
        QElapsedTimer timer;
        timer.start();
        const ReportRunResult result = runReport(*database, ui, reportId, options, sink);
        reported.nanoseconds += timer.nsecsElapsed();
        ++reported.runs;
        state.PauseTiming();
        if (!result.ok || sink.details != rows) {
            std::fprintf(stderr, "informe: %s, %lld filas\n", qPrintable(result.message), (long long)sink.details);
            failed = true;
        }
        // The same subtotals and total as the query's.
        QSqlQuery check(database->connection());
        check.exec("SELECT COUNT(*), SUM(s) FROM (SELECT SUM(\"HMovImp\") AS s FROM \"HISTORIA\" "
                   "GROUP BY \"MovCCId\", \"HConId\") g");
        check.next();
        if (check.value(0).toLongLong() != sink.innerSubtotals || std::abs(check.value(1).toDouble() - sink.total) > 0.01) {
            std::fprintf(stderr, "informe: %lld subtotales y total %.2f; consulta: %lld y %.2f\n",
                         (long long)sink.innerSubtotals, sink.total, check.value(0).toLongLong(), check.value(1).toDouble());
            failed = true;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReportRun)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GroupByQuery(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QSqlQuery query(database->connection());
        query.setForwardOnly(true);
        query.exec("SELECT H.\"MovCCId\", C.\"CCDesc\", H.\"HConId\", SUM(H.\"HMovImp\"), COUNT(*) "
                   "FROM \"FUNCIONA\" F JOIN \"HISTORIA\" H ON H.\"FunId\" = F.\"FunId\" "
                   "LEFT JOIN \"CENTROCO\" C ON C.\"CCId\" = H.\"MovCCId\" "
                   "GROUP BY H.\"MovCCId\", C.\"CCDesc\", H.\"HConId\" ORDER BY H.\"MovCCId\", H.\"HConId\"");
        double total = 0;
        while (query.next())
            total += query.value(3).toDouble();
        benchmark::DoNotOptimize(total);
        grouped.nanoseconds += timer.nsecsElapsed();
        ++grouped.runs;
    }
}
BENCHMARK(BM_GroupByQuery)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReportToWorkbook(benchmark::State& state)
{
    SilentUiPort ui;
    ReportRunOptions options;
    options.storeRunDate = false;
    const QString file = folder().filePath(QStringLiteral("informe.xlsx"));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const ReportRunResult result = writeReportWorkbook(*database, ui, reportId, options, file);
        workbook.nanoseconds += timer.nsecsElapsed();
        ++workbook.runs;
        if (!result.ok) {
            std::fprintf(stderr, "planilla: %s\n", qPrintable(result.message));
            failed = true;
        }
    }
}
BENCHMARK(BM_ReportToWorkbook)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_ROWS"); wanted > 0)
        rows = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(folder().filePath(QStringLiteral("KQ_DATA.MDB"))));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error) || !fill(&error)) {
        std::fprintf(stderr, "No se pudo preparar la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    // The run streams its rows: the peak memory stays near that of the
    // filled database whatever the number of rows.
    const double beforeRuns = peakMegabytes();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Memoria máxima: %.1f MB antes de los informes, %.1f MB después\n", beforeRuns, peakMegabytes());
    const double ratio = grouped.perRun() > 0 ? reported.perRun() / grouped.perRun() : 0;
    std::printf("Informe detallado de %d filas con dos niveles de subtotales: %.1f ms; consulta con GROUP BY: "
                "%.1f ms; razón %.2f (objetivo: 2 o menos); a .xlsx: %.1f ms\n",
                rows, reported.perRun() / 1e6, grouped.perRun() / 1e6, ratio, workbook.perRun() / 1e6);
    database.reset();
    return failed ? 1 : 0;
}
