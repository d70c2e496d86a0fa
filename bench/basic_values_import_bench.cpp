// The import of basic values from a .csv file and from an .xlsx workbook of
// 100,000 data lines (1,000 basics, 100 positions each), control pass and
// import pass, against the same rows written by raw prepared sqlite3 inserts
// in one transaction on the same file. The ratios are printed (target: at
// most 2), with the peak memory each import added to the process, which
// stays flat because the file is streamed line by line.
//
//   UORDANE_BENCH_LINES   data lines (100000 when unset; a multiple of 100)
//
// Exits with 1 when a side wrote the wrong number of rows or the memory went
// over its limit, so that the suite's small run catches a benchmark that no
// longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "reports/basic_values_import.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <minizip/zip.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

using namespace bench;

int lines = 100000;
constexpr int positions = 100;
constexpr long memoryGrowthLimitKb = 64 * 1024;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 rows = 0;
    long peakGrowthKb = 0;
    double perRow() const { return rows ? double(nanoseconds) / double(rows) : 0; }
};

Timing fromCsv;
Timing fromXlsx;
Timing direct;

QString fileIn(const char* name)
{
    return folder().filePath(QString::fromLatin1(name));
}

std::unique_ptr<Database> database;

int basics()
{
    return lines / positions;
}

/// Line `at` (from 0) of the data: basic, position, amount.
struct DataLine {
    int basic;
    int position;
    double amount;
};

DataLine dataLine(int at)
{
    return {at / positions + 1, at % positions + 1, 1000.0 + at * 0.25};
}

qint64 count(const char* table)
{
    QSqlQuery query(database->connection());
    query.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(QLatin1String(table)));
    return query.next() ? query.value(0).toLongLong() : -1;
}

void clearBasics()
{
    database->execute(QStringLiteral("DELETE * FROM BASICOS1"));
    database->execute(QStringLiteral("DELETE * FROM BASICOS"));
    QSqlQuery(database->connection()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void checkRows(const char* side)
{
    if (count("BASICOS1") == lines && count("BASICOS") == basics())
        return;
    std::fprintf(stderr, "%s: %lld valores y %lld básicos, se esperaban %d y %d\n", side,
                 static_cast<long long>(count("BASICOS1")), static_cast<long long>(count("BASICOS")), lines, basics());
    failed = true;
}

const char* const titles = "COD BASICO;DESC BASICO;CARGO;CCOSTOS;REF;CLASIF;VALOR;VALOR ANT;VIGENCIA";

void writeCsv()
{
    QFile file(fileIn("basicos.csv"));
    file.open(QIODevice::WriteOnly);
    file.write(titles);
    file.write("\r\n");
    for (int at = 0; at < lines; ++at) {
        const DataLine line = dataLine(at);
        file.write(QStringLiteral("%1;Básico %1;%2;;;Mensual;%3;0;01/01/2026\r\n")
                       .arg(line.basic)
                       .arg(line.position)
                       .arg(QString::number(line.amount, 'f', 2).replace(u'.', u','))
                       .toUtf8());
    }
}

bool addPart(zipFile zip, const char* name, const QByteArray& content)
{
    zip_fileinfo info{};
    return zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION)
               == ZIP_OK
           && zipWriteInFileInZip(zip, content.constData(), unsigned(content.size())) == ZIP_OK
           && zipCloseFileInZip(zip) == ZIP_OK;
}

QByteArray inlineCell(const QString& text)
{
    return "<c t=\"inlineStr\"><is><t>" + text.toHtmlEscaped().toUtf8() + "</t></is></c>";
}

QByteArray numberCell(double value, int style = 0)
{
    return "<c" + (style ? QByteArray(" s=\"") + QByteArray::number(style) + "\"" : QByteArray()) + "><v>"
           + QByteArray::number(value, 'g', 15) + "</v></c>";
}

/// A workbook of the same lines, the date cells with a date format, written
/// part by part as a spreadsheet program lays it out.
void writeXlsx()
{
    zipFile zip = zipOpen(QFile::encodeName(fileIn("basicos.xlsx")).constData(), APPEND_STATUS_CREATE);
    bool ok = zip != nullptr;
    ok = ok && addPart(zip, "[Content_Types].xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats.org/"
                       "package/2006/content-types\"><Default Extension=\"rels\" ContentType=\"application/"
                       "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                       "ContentType=\"application/xml\"/></Types>");
    ok = ok && addPart(zip, "xl/workbook.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"http://schemas.openxmlformats.org/"
                       "spreadsheetml/2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                       "relationships\"><sheets><sheet name=\"Basicos\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
                       "</workbook>");
    ok = ok && addPart(zip, "xl/_rels/workbook.xml.rels",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships xmlns=\"http://schemas.openxmlformats."
                       "org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"http://schemas."
                       "openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/"
                       "sheet1.xml\"/></Relationships>");
    ok = ok && addPart(zip, "xl/styles.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><styleSheet xmlns=\"http://schemas.openxmlformats."
                       "org/spreadsheetml/2006/main\"><cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                       "</cellXfs></styleSheet>");
    QByteArray sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/"
                       "spreadsheetml/2006/main\"><sheetData><row r=\"1\">";
    for (const QByteArray& title : QByteArray(titles).split(';'))
        sheet += inlineCell(QString::fromLatin1(title));
    sheet += "</row>";
    constexpr double firstOf2026 = 46023;
    for (int at = 0; at < lines; ++at) {
        const DataLine line = dataLine(at);
        sheet += "<row r=\"" + QByteArray::number(at + 2) + "\">" + numberCell(line.basic)
                 + inlineCell(QStringLiteral("Básico %1").arg(line.basic)) + numberCell(line.position)
                 + "<c/><c/>" + inlineCell(QStringLiteral("Mensual")) + numberCell(line.amount) + numberCell(0)
                 + numberCell(firstOf2026, 1) + "</row>";
    }
    sheet += "</sheetData></worksheet>";
    ok = ok && addPart(zip, "xl/worksheets/sheet1.xml", sheet);
    if (!zip || zipClose(zip, nullptr) != ZIP_OK || !ok) {
        std::fprintf(stderr, "No se pudo escribir la planilla de prueba\n");
        failed = true;
    }
}

void importFile(benchmark::State& state, const char* name, Timing& timing)
{
    SilentUiPort ui;
    BasicImportOptions options;
    options.separators = {QStringLiteral(";"), QStringLiteral(",")};
    options.workFolder = folder().path();
    options.progressEvery = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        clearBasics();
        resetPeakMemory();
        const long before = peakMemoryKb();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const BasicImportResult result = PIMPBASI(*database, ui, fileIn(name), options);
        timing.nanoseconds += timer.nsecsElapsed();
        timing.rows += lines;
        state.PauseTiming();
        timing.peakGrowthKb = std::max(timing.peakGrowthKb, peakMemoryKb() - before);
        if (!result.imported) {
            std::fprintf(stderr, "%s: %s %s\n", name, qPrintable(result.errors.mid(0, 3).join(u'|')),
                         qPrintable(result.failure));
            failed = true;
        }
        checkRows(name);
        state.ResumeTiming();
    }
}

void BM_ImportCsv(benchmark::State& state)
{
    importFile(state, "basicos.csv", fromCsv);
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ImportXlsx(benchmark::State& state)
{
    importFile(state, "basicos.xlsx", fromXlsx);
}
BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RawPreparedInserts(benchmark::State& state)
{
    sqlite3* handle = nullptr;
    sqliteOk(handle, sqlite3_open(QFile::encodeName(fileIn("KQ_DATA.MDB")).constData(), &handle), "open");
    sqlite3_exec(handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* basic = nullptr;
    sqlite3_stmt* value = nullptr;
    sqliteOk(handle,
             sqlite3_prepare_v2(handle, "INSERT INTO \"BASICOS\" (\"BasId\", \"BasDesc\") VALUES (?, ?)", -1, &basic,
                                nullptr),
             "prepare");
    sqliteOk(handle,
             sqlite3_prepare_v2(handle,
                                "INSERT INTO \"BASICOS1\" (\"BasId\", \"CarId\", \"CCId\", \"RefAuxId\", \"BasClasif\", "
                                "\"BasImp\", \"BasImpAnt\", \"BasVigenci\") VALUES (?, ?, '', '', 'Mensual', ?, 0, "
                                "'2026-01-01T00:00:00')",
                                -1, &value, nullptr),
             "prepare");
    for (auto _ : state) {
        state.PauseTiming();
        clearBasics();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
        for (int at = 0; at < lines; ++at) {
            const DataLine line = dataLine(at);
            if (line.position == 1) {
                const QByteArray description = QStringLiteral("Básico %1").arg(line.basic).toUtf8();
                sqlite3_bind_int(basic, 1, line.basic);
                sqlite3_bind_text(basic, 2, description.constData(), int(description.size()), SQLITE_TRANSIENT);
                sqliteOk(handle, sqlite3_step(basic), "insert");
                sqlite3_reset(basic);
            }
            sqlite3_bind_int(value, 1, line.basic);
            sqlite3_bind_int(value, 2, line.position);
            sqlite3_bind_double(value, 3, line.amount);
            sqliteOk(handle, sqlite3_step(value), "insert");
            sqlite3_reset(value);
        }
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        direct.nanoseconds += timer.nsecsElapsed();
        direct.rows += lines;
        state.PauseTiming();
        checkRows("sqlite3");
        state.ResumeTiming();
    }
    sqlite3_finalize(basic);
    sqlite3_finalize(value);
    sqlite3_close(handle);
}
BENCHMARK(BM_RawPreparedInserts)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_LINES"); wanted >= positions)
        lines = wanted / positions * positions;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(fileIn("KQ_DATA.MDB")));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    for (int position = 1; position <= positions; ++position) {
        if (!insertRow(*database, QStringLiteral("CARGOS"),
                       {{QStringLiteral("CarId"), position}, {QStringLiteral("CarDesc1"), QStringLiteral("Cargo")}},
                       &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    writeCsv();
    writeXlsx();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto ratio = [](const Timing& side) { return direct.perRow() > 0 ? side.perRow() / direct.perRow() : 0; };
    std::printf("%d líneas. Importación .csv: %.1f us por línea, razón %.2f, memoria pico +%ld KB; "
                ".xlsx: %.1f us por línea, razón %.2f, memoria pico +%ld KB; inserciones directas: %.1f us por "
                "línea (objetivo: razón 2 o menos)\n",
                lines, fromCsv.perRow() / 1000.0, ratio(fromCsv), fromCsv.peakGrowthKb, fromXlsx.perRow() / 1000.0,
                ratio(fromXlsx), fromXlsx.peakGrowthKb, direct.perRow() / 1000.0);
    if (fromCsv.peakGrowthKb > memoryGrowthLimitKb || fromXlsx.peakGrowthKb > memoryGrowthLimitKb) {
        std::fprintf(stderr, "La memoria creció más de %ld KB\n", memoryGrowthLimitKb);
        failed = true;
    }
    database.reset();
    return failed ? 1 : 0;
}
