// The concept export against the same rows read with raw sqlite3 statements
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
// A workbook's bytes are its sheet's XML deflated: libxlsxwriter prints each
// cell as XML and deflates the whole part when the workbook closes, work the
// raw side (which writes the deflated size) never does. So the bench also
// times that floor: libxlsxwriter writing the very cells of the exported
// workbook (read back beforehand), with the same options and formats and no
// database, and prints what the export costs over it.
//
//   UORDANE_BENCH_CONCEPTS   concepts (2,000 when unset)
//   UORDANE_BENCH_LINES      amount lines per concept (20 when unset)
//
// Exits with 1 when an export fails, so that the suite's small run catches a
// benchmark that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "reports/concept_export.h"
#include "reports/spreadsheet_reader.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <xlsxwriter.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

int concepts = 2000;
int linesPerConcept = 20;
std::unique_ptr<Database> database;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 bytes = 0;
    long peakKib = 0;
};

Timing exportHtml, exportXlsx, rawHtml, rawXlsx, libraryFloor;

/// Fills the concepts, each with its amount lines, two quantity lines, an
/// accumulator, an expansion and an application, in one transaction.
bool fill()
{
    sqlite3* handle = nullptr;
    if (!sqliteOk(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open"))
        return false;
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    auto prepare = [&](const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqliteOk(handle, sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr), sql);
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
        sqliteOk(handle, sqlite3_step(statement), what);
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
        timing.peakKib = peakMemoryKb();
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
    sqliteOk(handle, sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
    qint64 characters = 0;
    for (const char* sql : {"SELECT * FROM \"CONCEPT\" ORDER BY \"ConId\"",
                            "SELECT * FROM \"CONCEPT1\" ORDER BY \"ConId\", \"OpeLin\"",
                            "SELECT * FROM \"CONCEPT4\" ORDER BY \"ConId\", \"CanLin\"",
                            "SELECT * FROM \"CONCEPT3\" ORDER BY \"ConId\", \"AcuTipo\", \"AcuId\"",
                            "SELECT * FROM \"CONCEPT2\" ORDER BY \"ConId\", \"ExpConId\"",
                            "SELECT * FROM \"CONCEPT5\" ORDER BY \"ConId\", \"ConAplId\""}) {
        sqlite3_stmt* statement = nullptr;
        sqliteOk(handle, sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr), sql);
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

/// One cell of the exported workbook, read back.
struct SheetCell {
    lxw_row_t row;
    lxw_col_t column;
    bool isNumber;
    double number;
    std::string text;
};

/// The cells of the workbook at `path`, numbers as numbers.
std::vector<SheetCell> workbookCells(const QString& path)
{
    std::vector<SheetCell> cells;
    std::unique_ptr<SpreadsheetReader> reader = SpreadsheetReader::forFile(path, {u'.'});
    if (!reader || reader->open() != 0) {
        failed = true;
        return cells;
    }
    int row = 0;
    std::vector<std::string> texts;
    while (reader->nextRow(row, texts)) {
        for (size_t column = 0; column < texts.size(); ++column) {
            const std::string& text = texts[column];
            if (text.empty())
                continue;
            double number = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
            const bool isNumber = error == std::errc() && end == text.data() + text.size();
            cells.push_back({lxw_row_t(row - 1), lxw_col_t(column), isNumber, number, isNumber ? std::string() : text});
        }
    }
    return cells;
}

void BM_LibraryFloor(benchmark::State& state)
{
    const std::vector<SheetCell> cells = workbookCells(folder().filePath(QStringLiteral("conceptos.xlsx")));
    const QByteArray path = QFile::encodeName(folder().filePath(QStringLiteral("suelo.xlsx")));
    const QByteArray temporary = QFile::encodeName(folder().path());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = const_cast<char*>(temporary.constData());
        lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Conceptos");
        lxw_format* heading = workbook_add_format(workbook);
        format_set_bold(heading);
        lxw_format* amount = workbook_add_format(workbook);
        format_set_num_format(amount, "#,##0.00####");
        worksheet_freeze_panes(sheet, 2, 0);
        for (const SheetCell& cell : cells) {
            if (cell.isNumber)
                worksheet_write_number(sheet, cell.row, cell.column, cell.number, amount);
            else
                worksheet_write_string(sheet, cell.row, cell.column, cell.text.c_str(), cell.row < 2 ? heading : nullptr);
        }
        if (workbook_close(workbook) != LXW_NO_ERROR)
            failed = true;
        libraryFloor.nanoseconds += timer.nsecsElapsed();
        libraryFloor.bytes = QFileInfo(QFile::decodeName(path)).size();
    }
}
BENCHMARK(BM_LibraryFloor)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    const long before = peakMemoryKb();
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
    std::printf("Suelo del libro: libxlsxwriter escribe las mismas celdas sin base de datos en %.0f ms (%lld bytes), "
                "razón %.2f frente a lo directo; la exportación .xlsx toma %.2f veces ese suelo\n",
                libraryFloor.nanoseconds / 1e6, static_cast<long long>(libraryFloor.bytes),
                ratio(libraryFloor, rawXlsx), ratio(exportXlsx, libraryFloor));
    database.reset();
    return failed ? 1 : 0;
}
