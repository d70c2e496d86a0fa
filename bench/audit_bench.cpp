// Writing one audit entry must not grow with the audit trail: the writer
// finds the highest correlative through the index, never by reading the
// table. The same entry is written into an AUDITORI of one million rows and
// into an empty one; the ratio of the two is printed (target: at most 1.2).
#include "data/database.h"
#include "data/database_setup.h"
#include "engine/audit.h"
#include "startup/vbglob.h"
#include "bench_support.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <utility>
#include <memory>

namespace {

using namespace bench;

constexpr int bigTrail = 1000000;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 entries = 0;
    double perEntry() const { return entries ? double(nanoseconds) / double(entries) : 0; }
};

Timing emptyTiming;
Timing bigTiming;

std::unique_ptr<Database> makeDatabase(const QString& name, int auditRows)
{
    auto database = std::make_unique<Database>(DatabaseLocation::sqliteFile(folder().filePath(name)));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        std::exit(1);
    }
    // The trail is filled with plain SQL: only the writer under test goes
    // through the program's own code.
    database->beginTransaction();
    QSqlQuery insert(database->connection());
    insert.prepare(QStringLiteral("INSERT INTO AUDITORI (AudCorrela, AudLinea, AudFecha, AudHora, UsuNombre, "
                                  "TarCodigo, AudDescrip, AudFunId) VALUES (?, ?, '2026-01-02 00:00:00', "
                                  "'10:00:00', 'ADMIN', 14, ?, 0)"));
    for (int row = 0; row < auditRows; ++row) {
        insert.addBindValue(double(row / 2 + 1));
        insert.addBindValue(row % 2 + 1);
        insert.addBindValue(QStringLiteral("Modifica categoría %1").arg(row));
        insert.exec();
    }
    database->commit();
    // Measure from a steady state: the bulk load leaves a large write-ahead
    // log that the first commit of the writer would otherwise copy back.
    QSqlQuery(database->connection()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return database;
}

const QString entryText = QStringLiteral(
    "Modifica categoría 12, descripción = Peones de la construcción y afines, con una descripción larga que "
    "ocupa más de una línea de la auditoría para que la entrada tenga dos renglones como las de los conceptos "
    "que cambian varias cosas a la vez");

void writeEntries(benchmark::State& state, Database& database, Timing& timing)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const DbError error = writeAuditEntry(database, AuditArea::Tables, entryText);
        timing.nanoseconds += timer.nsecsElapsed();
        ++timing.entries;
        if (error)
            state.SkipWithError(qPrintable(error.fullText()));
    }
}

std::unique_ptr<Database> emptyDatabase;
std::unique_ptr<Database> bigDatabase;

void BM_AuditEntryIntoEmptyTrail(benchmark::State& state)
{
    writeEntries(state, *emptyDatabase, emptyTiming);
}
BENCHMARK(BM_AuditEntryIntoEmptyTrail)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_AuditEntryIntoMillionRowTrail(benchmark::State& state)
{
    writeEntries(state, *bigDatabase, bigTiming);
}
BENCHMARK(BM_AuditEntryIntoMillionRowTrail)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Both databases exist before either is measured.
    bigDatabase = makeDatabase(QStringLiteral("big.MDB"), bigTrail);
    emptyDatabase = makeDatabase(QStringLiteral("empty.MDB"), 0);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The ratio comes from entries written in turns into one database and
    // the other, so that the disk traffic of other programs weighs on both
    // alike; the runs above alone are too noisy on a shared machine.
    emptyTiming = {};
    bigTiming = {};
    for (int turn = 0; turn < 2000; ++turn) {
        for (auto [database, timing] : {std::pair{bigDatabase.get(), &bigTiming},
                                        std::pair{emptyDatabase.get(), &emptyTiming}}) {
            QElapsedTimer timer;
            timer.start();
            writeAuditEntry(*database, AuditArea::Tables, entryText);
            timing->nanoseconds += timer.nsecsElapsed();
            ++timing->entries;
        }
    }
    bigDatabase.reset();
    emptyDatabase.reset();
    if (emptyTiming.entries > 0 && bigTiming.entries > 0) {
        const double ratio = bigTiming.perEntry() / emptyTiming.perEntry();
        std::printf("Entrada de auditoría: %.1f us con %d filas, %.1f us con la tabla vacía; razón %.2f "
                    "(objetivo <= 1.20) %s\n",
                    bigTiming.perEntry() / 1000, bigTrail, emptyTiming.perEntry() / 1000, ratio,
                    ratio <= 1.2 ? "OK" : "EXCEDIDO");
    }
    return 0;
}
