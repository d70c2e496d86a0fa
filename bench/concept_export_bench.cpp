// The conceptInsert export against the same rows read with raw sqlite3 statements
// and the same number of bytes written to a file:
//
//   Html   the spreadsheet file, with formulas
//   Xlsx   the workbook, with formulas
//
// The raw side steps every row of CONCEPT and of its five detail tables in
// key order, reads every column as text, and writes as many bytes as the
// export wrote, in 64 KiB blocks. The ratios are printed (target: at most
// 2), with the process's peak memory after each export.
//
//   UORDANE_BENCH_CONCEPTS   concepts (2,000 when unset)
//   UORDANE_BENCH_LINES      amount lines per conceptInsert (20 when unset)
//
// Exits with 1 when an export fails, so that the suite's small run catches a
// benchmark that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "reports/concept_export.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

int concepts = 2000;
int linesPerConcept = 20;
bool failed = false;
std::unique_ptr<Database> database;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 bytes = 0;
    long peakKib = 0;
};

Timing exportHtml, exportXlsx, rawHtml, rawXlsx;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString databaseFile()
{
    return folder().filePath(QStringLiteral("KQ_DATA.MDB"));
}

long peakMemoryKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool check(sqlite3* handle, int code, const char* what)
{
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
        return true;
    std::fprintf(stderr, "sqlite3 %s: %s\n", what, sqlite3_errmsg(handle));
    failed = true;
    return false;
}

/// Fills the concepts, each with its amount lines, two quantity lines, an
/// accumulator, an expansion and an application, in one transaction.
bool fill()
{
    sqlite3* handle = nullptr;
    if (!check(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open"))
        return false;
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    auto prepare = [&](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        check(handle, sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr), sql);
        return statement;
    };
    sqlite3_stmt* conceptInsert = prepare(
        "INSERT INTO \"CONCEPT\" (\"ConId\", \"ConDesc\", \"ConActivo\", \"ConTipo\", \"ConClase\", \"ConAguinal\", "
        "\"ConCant\", \"ConFracc\", \"ConPorGrav\", \"ConPorR1\", \"ConLiquido\", \"ConMonExtr\", \"ConDescont\", "
        "\"ConDTM\", \"ConNotas\") VALUES (?, ?, 1, 1, 'S', 'G', 'C', 0.6, 100, 12.5, 'N', 'N', 2, 30, "
        "'Se liquida a mes vencido')");
    sqlite3_stmt* amount = prepare(
        "INSERT INTO \"CONCEPT1\" (\"ConId\", \"OpeLin\", \"OpeOpe\", \"OpeUsar\", \"BasId\", \"OpeMult\", \"OpeDiv\", "
        "\"OpeImpLine\", \"OpeObserva\") VALUES (?, ?, '+', 'BAS', 3, 1.5, 30, 1234.56, 'Línea de cálculo')");
    sqlite3_stmt* quantity = prepare("INSERT INTO \"CONCEPT4\" (\"ConId\", \"CanLin\", \"CanOpe\", \"CanUsar\", "
                                     "\"CanMult\") VALUES (?, ?, '*', 'HSM', 2)");
    sqlite3_stmt* accumulator = prepare("INSERT INTO \"CONCEPT3\" (\"ConId\", \"AcuTipo\", \"AcuId\", "
                                        "\"ConAcuMult\") VALUES (?, 'H', 4, 1)");
    sqlite3_stmt* expansion = prepare("INSERT INTO \"CONCEPT2\" (\"ConId\", \"ExpConId\") VALUES (?, 1)");
    sqlite3_stmt* application = prepare("INSERT INTO \"CONCEPT5\" (\"ConId\", \"ConAplId\", \"ConAplValo\") "
                                        "VALUES (?, 2, 'Rural')");
    auto run = [&](sqlite3_stmt* statement, const char* what) {
        check(handle, sqlite3_step(statement), what);
        sqlite3_reset(statement);
    };
    for (int id = 1; id <= concepts && !failed; ++id) {
        const QByteArray description = QStringLiteral("Concepto número %1").arg(id).toUtf8();
        sqlite3_bind_int(conceptInsert, 1, id);
        sqlite3_bind_text(conceptInsert, 2, description.constData(), -1, SQLITE_TRANSIENT);
        run(conceptInsert, "conceptInsert");
        for (int line = 1; line <= linesPerConcept; ++line) {
            sqlite3_bind_int(amount, 1, id);
            sqlite3_bind_int(amount, 2, line * 5);
            run(amount, "amount line");
        }
        for (int line = 1; line <= 2; ++line) {
            sqlite3_bind_int(quantity, 1, id);
            sqlite3_bind_int(quantity, 2, line * 5);
            run(quantity, "quantity line");
        }
        for (sqlite3_stmt* statement : {accumulator, expansion, application}) {
            sqlite3_bind_int(statement, 1, id);
            run(statement, "detail");
        }
    }
    for (sqlite3_stmt* statement : {conceptInsert, amount, quantity, accumulator, expansion, application})
        sqlite3_finalize(statement);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    return !failed;
}

void runExport(benchmark::State& state, int preference, const char* name, Timing& timing)
{
    for (auto _ : state) {
        SilentUiPort ui;
        ConceptExportOptions options;
        options.file = folder().filePath(QString::fromLatin1(name));
        options.preference = preference;
        options.formulas = true;
        options.progressEvery = 1000;
        QElapsedTimer timer;
        timer.start();
        const ConceptExportResult result = PEXPCONE(*database, ui, options);
        timing.nanoseconds += timer.nsecsElapsed();
        if (!result.written || result.concepts != concepts) {
            std::fprintf(stderr, "exportación fallida: %s\n", qPrintable(result.failure));
            failed = true;
        }
        timing.bytes = QFileInfo(options.file).size();
        timing.peakKib = peakMemoryKib();
    }
}

void BM_ExportHtml(benchmark::State& state)
{
    runExport(state, int(SpreadsheetPreference::PointDecimals), "conceptos.xls", exportHtml);
}
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportXlsx(benchmark::State& state)
{
    runExport(state, int(SpreadsheetPreference::Workbook), "conceptos.xlsx", exportXlsx);
}
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

/// Reads every row of the concepts and their details in key order and
/// writes `bytes` bytes.
void readAndWrite(qint64 bytes, Timing& timing)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* handle = nullptr;
    check(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
    qint64 characters = 0;
    for (const char* sql : {"SELECT * FROM \"CONCEPT\" ORDER BY \"ConId\"",
                            "SELECT * FROM \"CONCEPT1\" ORDER BY \"ConId\", \"OpeLin\"",
                            "SELECT * FROM \"CONCEPT4\" ORDER BY \"ConId\", \"CanLin\"",
                            "SELECT * FROM \"CONCEPT3\" ORDER BY \"ConId\", \"AcuTipo\", \"AcuId\"",
                            "SELECT * FROM \"CONCEPT2\" ORDER BY \"ConId\", \"ExpConId\"",
                            "SELECT * FROM \"CONCEPT5\" ORDER BY \"ConId\", \"ConAplId\""}) {
        sqlite3_stmt* statement = nullptr;
        check(handle, sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr), sql);
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < columns; ++column) {
                sqlite3_column_text(statement, column);
                characters += sqlite3_column_bytes(statement, column);
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(handle);
    benchmark::DoNotOptimize(characters);

    QFile file(folder().filePath(QStringLiteral("directo.bin")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failed = true;
        return;
    }
    const QByteArray block(1 << 16, 'x');
    for (qint64 left = bytes; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
    file.close();
    timing.nanoseconds += timer.nsecsElapsed();
    timing.bytes = bytes;
}

void BM_RawHtml(benchmark::State& state)
{
    for (auto _ : state)
        readAndWrite(exportHtml.bytes, rawHtml);
}
BENCHMARK(BM_RawHtml)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RawXlsx(benchmark::State& state)
{
    for (auto _ : state)
        readAndWrite(exportXlsx.bytes, rawXlsx);
}
BENCHMARK(BM_RawXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

double ratio(const Timing& exported, const Timing& raw)
{
    return raw.nanoseconds > 0 ? double(exported.nanoseconds) / double(raw.nanoseconds) : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_CONCEPTS"); wanted > 0)
        concepts = wanted;
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_LINES"); wanted > 0)
        linesPerConcept = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QString error;
    if (!createDatabaseFile(folder().path(), false, &error) || !fill()) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
    if (!database->open()) {
        std::fprintf(stderr, "No se pudo abrir la base de datos: %s\n", qPrintable(database->errorText()));
        return 1;
    }
    const long before = peakMemoryKib();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("%d conceptos con %d líneas de importe cada uno. Archivo de planilla: %.0f ms, directo %.0f ms, "
                "razón %.2f, %lld bytes; libro .xlsx: %.0f ms, directo %.0f ms, razón %.2f, %lld bytes "
                "(objetivo: 2 o menos). Memoria máxima: %ld KiB antes, %ld KiB tras la planilla, %ld KiB tras el "
                "libro\n",
                concepts, linesPerConcept, exportHtml.nanoseconds / 1e6, rawHtml.nanoseconds / 1e6,
                ratio(exportHtml, rawHtml), static_cast<long long>(exportHtml.bytes), exportXlsx.nanoseconds / 1e6,
                rawXlsx.nanoseconds / 1e6, ratio(exportXlsx, rawXlsx), static_cast<long long>(exportXlsx.bytes),
                before, exportHtml.peakKib, exportXlsx.peakKib);
    database.reset();
    return failed ? 1 : 0;
}
