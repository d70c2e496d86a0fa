// The concept maintenance procedures against raw sqlite3 statements doing
// the same work, in one run on one SQLite file:
//
//   CodeChange   PCONCAMB moving a concept's movements and history (every
//                row of MOVIMIEN and HISTORIA holds it) to a new code,
//                against the same UPDATE statements, codes bound, run raw
//                in one transaction (target: at most 1.5 times)
//   Consistency  PCTRCON2 over concepts with 20 amount lines each, writing
//                "avisos.txt", against one SQL join that finds the same
//                warnings (target: at most 2 times)
//
// The two sides of a pair take turns moving the rows back and forth, so each
// moves every row once per round. Sizes:
//
//   UORDANE_BENCH_MOVEMENTS   rows of MOVIMIEN and of HISTORIA (1,000,000)
//   UORDANE_BENCH_CONCEPTS    concepts of the control (2,000)
//
// Exits with 1 when a side failed or the two sides disagree, so that the
// suite's small run catches a benchmark that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "payroll/concept_code_change.h"
#include "payroll/concept_consistency.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {

using namespace bench;

int movements = 1000000;
int concepts = 2000;
constexpr int linesPerConcept = 20;
constexpr int accumulators = 100;
std::unique_ptr<Database> database;

struct Timing {
    qint64 nanoseconds = 0;
    int runs = 0;
    double perRun() const { return runs ? double(nanoseconds) / double(runs) : 0; }
};
Timing procedureChange, rawChange, procedureControl, rawControl;
qsizetype procedureWarnings = -1;
qsizetype rawWarnings = -1;

/// The concept the rows hold now: each change moves them to the other code.
int currentCode = 10;
int otherCode() { return currentCode == 10 ? 30 : 10; }

class CountingPort : public SilentUiPort {
public:
    void message(const QString& text, MessageIcon icon) override
    {
        if (icon == MessageIcon::Exclamation) {
            std::fprintf(stderr, "rechazo: %s\n", qPrintable(text));
            failed = true;
        }
    }
};

struct Raw {
    sqlite3* handle = nullptr;

    bool ok(int code, const char* what)
    {
        if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
            return true;
        std::fprintf(stderr, "sqlite3 %s: %s\n", what, sqlite3_errmsg(handle));
        failed = true;
        return false;
    }
    void open()
    {
        ok(sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
        sqlite3_exec(handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    void close() { sqlite3_close(handle); }
    void exec(const char* sql) { ok(sqlite3_exec(handle, sql, nullptr, nullptr, nullptr), sql); }
    sqlite3_stmt* prepare(const QByteArray& sql)
    {
        sqlite3_stmt* statement = nullptr;
        ok(sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr), sql.constData());
        return statement;
    }
    void run(sqlite3_stmt* statement, const char* what)
    {
        ok(sqlite3_step(statement), what);
        sqlite3_reset(statement);
    }
};

// ---------------------------------------------------------------------------
// The data

void fillMovementsAndHistory()
{
    Raw raw;
    raw.open();
    raw.exec("BEGIN");
    sqlite3_stmt* movement = raw.prepare("INSERT INTO \"MOVIMIEN\" (\"MovId\", \"FunId\", \"ConId\", \"MovImp\") "
                                         "VALUES (?, ?, 10, 1500)");
    sqlite3_stmt* history = raw.prepare("INSERT INTO \"HISTORIA\" (\"FunId\", \"HCorLiq\", \"HCorLin\", \"HConId\", "
                                        "\"HMovImp\", \"HPLFch\") VALUES (?, ?, 1, 10, 1500, '2026-01-31T00:00:00')");
    for (int row = 1; row <= movements; ++row) {
        sqlite3_bind_int(movement, 1, row);
        sqlite3_bind_int(movement, 2, row % 5000);
        raw.run(movement, "movement");
        sqlite3_bind_int(history, 1, row % 5000);
        sqlite3_bind_int(history, 2, row);
        raw.run(history, "history");
    }
    sqlite3_finalize(movement);
    sqlite3_finalize(history);
    raw.exec("INSERT INTO \"CONCEPT\" (\"ConId\", \"ConDesc\", \"ConTipo\", \"ConActivo\") VALUES (10, 'Sueldo', 1, 1)");
    raw.exec("COMMIT");
    raw.close();
}

/// Concepts 1001 on, each with 20 amount lines of which two read a
/// liquidation accumulator, each adding into one accumulator; priorities
/// spread so that about half the pairs warn.
void fillConcepts()
{
    Raw raw;
    raw.open();
    raw.exec("BEGIN");
    sqlite3_stmt* concept_ = raw.prepare("INSERT INTO \"CONCEPT\" (\"ConId\", \"ConDesc\", \"ConTipo\", \"ConActivo\", "
                                         "\"ConPriorid\") VALUES (?, ?, 1, 1, ?)");
    sqlite3_stmt* line = raw.prepare("INSERT INTO \"CONCEPT1\" (\"ConId\", \"OpeLin\", \"OpeOpe\", \"OpeUsar\", "
                                     "\"OpeNro\") VALUES (?, ?, '+', ?, ?)");
    sqlite3_stmt* accumulates = raw.prepare("INSERT INTO \"CONCEPT3\" (\"ConId\", \"AcuTipo\", \"AcuId\") "
                                            "VALUES (?, 'L', ?)");
    for (int number = 0; number < concepts; ++number) {
        const int code = 1001 + number;
        const QByteArray description = "Concepto " + QByteArray::number(code);
        sqlite3_bind_int(concept_, 1, code);
        sqlite3_bind_text(concept_, 2, description.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(concept_, 3, number % 50);
        raw.run(concept_, "concept");
        for (int lineNumber = 1; lineNumber <= linesPerConcept; ++lineNumber) {
            const bool readsAccumulator = lineNumber <= 2;
            sqlite3_bind_int(line, 1, code);
            sqlite3_bind_int(line, 2, lineNumber * 5);
            sqlite3_bind_text(line, 3, readsAccumulator ? "ACL" : "BAS", -1, SQLITE_STATIC);
            sqlite3_bind_int(line, 4, readsAccumulator ? (number + lineNumber * 37) % accumulators + 1 : 1);
            raw.run(line, "line");
        }
        sqlite3_bind_int(accumulates, 1, code);
        sqlite3_bind_int(accumulates, 2, (number * 7) % accumulators + 1);
        raw.run(accumulates, "accumulator");
    }
    sqlite3_finalize(concept_);
    sqlite3_finalize(line);
    sqlite3_finalize(accumulates);
    raw.exec("COMMIT");
    raw.close();
}

// ---------------------------------------------------------------------------
// Change of code

void BM_CodeChangeProcedure(benchmark::State& state)
{
    for (auto _ : state) {
        CountingPort ui;
        ConceptCodeChange change;
        change.oldCode = currentCode;
        change.newCode = otherCode();
        QElapsedTimer timer;
        timer.start();
        const ProcedureResult result = PCONCAMB(*database, ui, change);
        procedureChange.nanoseconds += timer.nsecsElapsed();
        ++procedureChange.runs;
        if (!result.ok()) {
            std::fprintf(stderr, "PCONCAMB: %s\n", qPrintable(result.message));
            failed = true;
        }
        currentCode = otherCode();
    }
}

/// The statements of the change as anyone would write them by hand: each
/// table's UPDATE with the two codes bound, in one transaction.
void BM_CodeChangeRaw(benchmark::State& state)
{
    static const char* const places[][2] = {
        {"APORTE1", "AporConId"},   {"CARGOSFU", "PTConId"},    {"CONCEPT", "ConId"},      {"CONCEPT1", "ConId"},
        {"CONCEPT2", "ConId"},      {"CONCEPT3", "ConId"},      {"CONCEPT4", "ConId"},     {"HISTORIA", "HConId"},
        {"LIQUIDAC", "LConId"},     {"MOVIMIEN", "ConId"},      {"MOVNUEVO", "MonConId"},  {"PARLIQX", "PLConIdExc"},
        {"PHDEF2", "ConId"},        {"TIPLIQUI", "TLConIdAgu"}, {"TIPLIQUI", "TLConIdDes"}, {"TIPLIQUI", "TLConIdNeg"},
        {"TIPLIQUI", "TLConIdRes"}, {"FORMATOP", "FPConId"},    {"HORMARCA", "HMConHNor"}, {"HORMARCA", "HMConJorna"},
        {"HORMARCA", "HMConHNoc"},  {"HORMARCA", "HMConHExtr"}, {"HORMARCA", "HMConHENoc"}, {"HORMARCA", "HMConDiaFa"},
        {"HORMARCA", "HMConHsFal"}, {"HORMARCA", "HMConCLT"},   {"HORMARCA", "HMConMLT"},  {"FUNCIONA", "FunPConId"},
        {"CONFIGUR", "CfRedRCon"},
    };
    Raw raw;
    raw.open();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        raw.exec("BEGIN IMMEDIATE");
        for (const auto& place : places) {
            const QByteArray sql = QByteArray("UPDATE \"") + place[0] + "\" SET \"" + place[1] + "\" = ? WHERE \""
                + place[1] + "\" = ?";
            sqlite3_stmt* update = raw.prepare(sql);
            sqlite3_bind_int(update, 1, otherCode());
            sqlite3_bind_int(update, 2, currentCode);
            raw.run(update, place[0]);
            sqlite3_finalize(update);
        }
        sqlite3_stmt* entries = raw.prepare("UPDATE \"ASIENT4\" SET \"ConId\" = ? WHERE \"ConId\" = ? AND "
                                            "\"AsiCalculo\" = 'C' AND \"AsiId\" IN (SELECT \"AsiId\" FROM \"ASIENTO\")");
        sqlite3_bind_int(entries, 1, otherCode());
        sqlite3_bind_int(entries, 2, currentCode);
        raw.run(entries, "ASIENT4");
        sqlite3_finalize(entries);
        sqlite3_stmt* parameters = raw.prepare("UPDATE \"PARAMETR\" SET \"ParValorNu\" = ? WHERE \"ParValorNu\" = ? AND "
                                               "((\"ParTabla\" = 'PlaTrabajo' AND \"ParParamet\" IN ('ConIdM', "
                                               "'ConIdJ', 'ArchBROUM', 'ArchBROUJ')) OR (\"ParTabla\" = 'Asientos' "
                                               "AND \"ParParamet\" IN ('ConPM', 'ConPJ')))");
        sqlite3_bind_int(parameters, 1, otherCode());
        sqlite3_bind_int(parameters, 2, currentCode);
        raw.run(parameters, "PARAMETR");
        sqlite3_finalize(parameters);
        raw.exec("COMMIT");
        rawChange.nanoseconds += timer.nsecsElapsed();
        ++rawChange.runs;
        currentCode = otherCode();
    }
    raw.close();
}

// ---------------------------------------------------------------------------
// Consistency control

void BM_ConsistencyProcedure(benchmark::State& state)
{
    const QString file = folder().filePath(QStringLiteral("avisos.txt"));
    for (auto _ : state) {
        CountingPort ui;
        QStringList warnings;
        QElapsedTimer timer;
        timer.start();
        const ProcedureResult result = PCTRCON2(*database, ui, file, &warnings);
        procedureControl.nanoseconds += timer.nsecsElapsed();
        ++procedureControl.runs;
        if (!result.ok()) {
            std::fprintf(stderr, "PCTRCON2: %s\n", qPrintable(result.message));
            failed = true;
        }
        procedureWarnings = warnings.size();
    }
}

void BM_ConsistencyRawJoin(benchmark::State& state)
{
    Raw raw;
    raw.open();
    sqlite3_stmt* join = raw.prepare(
        "SELECT a.\"ConId\", a.\"ConDesc\", x.\"AcuId\", b.\"ConId\", b.\"ConDesc\", r.kind FROM \"CONCEPT3\" x "
        "JOIN \"CONCEPT\" a ON a.\"ConId\" = x.\"ConId\" "
        "JOIN (SELECT DISTINCT \"ConId\", \"OpeNro\" AS number, 1 AS kind FROM \"CONCEPT1\" WHERE \"OpeUsar\" = 'ACL' "
        "UNION SELECT DISTINCT \"ConId\", \"CanNro\", 2 FROM \"CONCEPT4\" WHERE \"CanUsar\" = 'ACL') r "
        "ON r.number = x.\"AcuId\" "
        "JOIN \"CONCEPT\" b ON b.\"ConId\" = r.\"ConId\" "
        "WHERE x.\"AcuTipo\" = 'L' AND a.\"ConPriorid\" > b.\"ConPriorid\" "
        "ORDER BY a.\"ConId\", x.\"AcuId\", r.kind, b.\"ConId\"");
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QStringList warnings;
        while (sqlite3_step(join) == SQLITE_ROW) {
            auto text = [&](int column) {
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(join, column)));
            };
            warnings << QStringLiteral("AVISO: El concepto '%1-%2' que se acumula en el acumulador de liquidación %3 "
                                       "se liquida después que el concepto '%4-%5' que utiliza dicho acumulador en el "
                                       "cálculo de %6.")
                            .arg(text(0), text(1).trimmed(), text(2), text(3), text(4).trimmed(),
                                 sqlite3_column_int(join, 5) == 1 ? QStringLiteral("importe")
                                                                  : QStringLiteral("cantidad"));
        }
        sqlite3_reset(join);
        rawControl.nanoseconds += timer.nsecsElapsed();
        ++rawControl.runs;
        rawWarnings = warnings.size();
    }
    sqlite3_finalize(join);
    raw.close();
}

BENCHMARK(BM_CodeChangeProcedure)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CodeChangeRaw)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ConsistencyProcedure)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ConsistencyRawJoin)->Unit(benchmark::kMillisecond)->Iterations(3);

double ratio(const Timing& procedure, const Timing& raw)
{
    return raw.perRun() > 0 ? procedure.perRun() / raw.perRun() : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_MOVEMENTS"); wanted > 0)
        movements = wanted;
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_CONCEPTS"); wanted > 0)
        concepts = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    fillMovementsAndHistory();
    fillConcepts();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Cambio de código sobre %d movimientos y %d filas de historia: procedimiento %.0f ms, directo "
                "%.0f ms, razón %.2f (objetivo: 1.5 o menos)\n",
                movements, movements, procedureChange.perRun() / 1e6, rawChange.perRun() / 1e6,
                ratio(procedureChange, rawChange));
    std::printf("Control de consistencia sobre %d conceptos de %d líneas (%lld avisos): procedimiento %.0f ms, "
                "una consulta %.0f ms, razón %.2f (objetivo: 2 o menos)\n",
                concepts, linesPerConcept, static_cast<long long>(procedureWarnings), procedureControl.perRun() / 1e6,
                rawControl.perRun() / 1e6, ratio(procedureControl, rawControl));
    if (procedureWarnings != rawWarnings || procedureWarnings <= 0) {
        std::fprintf(stderr, "El control halló %lld avisos y la consulta %lld\n",
                     static_cast<long long>(procedureWarnings), static_cast<long long>(rawWarnings));
        failed = true;
    }
    database.reset();
    return failed ? 1 : 0;
}
