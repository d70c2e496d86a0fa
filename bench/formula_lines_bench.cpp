// A concept's amount program of 200 lines typed into TCONCEP1 and confirmed
// (every line reviewed, written with its audit entry, in one transaction),
// then renumbered 5 to 1000 by PRENUM1. Exits with 1 when the lines stored
// are not the 200 expected, so that the suite's run catches a benchmark
// that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "engine/lines.h"
#include "engine/transaction.h"
#include "payroll/concept_formulas.h"
#include "payroll/line_renumbering.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int lineCount = 200;
std::unique_ptr<Database> database;
bool failed = false;

int storedLines()
{
    QSqlQuery count(database->connection());
    count.exec(QStringLiteral("SELECT COUNT(*) FROM CONCEPT1 WHERE ConId = 5"));
    return count.next() ? count.value(0).toInt() : -1;
}

void check(const char* step)
{
    if (storedLines() == lineCount)
        return;
    std::fprintf(stderr, "%s: %d líneas, se esperaban %d\n", step, storedLines(), lineCount);
    failed = true;
}

void BM_ConfirmTwoHundredLines(benchmark::State& state)
{
    SilentUiPort ui;
    for (auto _ : state) {
        state.PauseTiming();
        database->execute(QStringLiteral("DELETE FROM CONCEPT1"));
        database->execute(QStringLiteral("UPDATE CONCEPT SET ConUltOpeL = 0"));
        Transaction form(TCONCEP1(), *database, ui);
        form.start(QStringLiteral("5"), QStringLiteral("UPD"));
        LineTable& lines = *form.lines();
        for (int line = 0; line < lineCount; ++line) {
            const int row = lines.addLine();
            lines.setText(row, lines.column(QStringLiteral("OpeOpe")), QStringLiteral("+"));
            lines.setText(row, lines.column(QStringLiteral("OpeUsar")), QStringLiteral("VAL"));
            lines.setText(row, lines.column(QStringLiteral("OpeNro")), QString::number(line % 10 + 1));
        }
        state.ResumeTiming();
        form.confirm();
        state.PauseTiming();
        check("TCONCEP1");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConfirmTwoHundredLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RenumberTwoHundredLines(benchmark::State& state)
{
    SilentUiPort ui;
    for (auto _ : state) {
        PRENUM1(*database, ui, 5);
        state.PauseTiming();
        check("PRENUM1");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RenumberTwoHundredLines)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir folder;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(folder.filePath(QStringLiteral("KQ_DATA.MDB"))));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)
        || !insertRow(*database, QStringLiteral("CONCEPT"),
                      {{QStringLiteral("ConId"), 5}, {QStringLiteral("ConDesc"), QStringLiteral("Horas extra")}},
                      &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    database.reset();
    return failed ? 1 : 0;
}
