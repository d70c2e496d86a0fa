// The concept form against the same reads and writes done with raw sqlite3
// statements, on the demo company's file:
//
//   Unchanged   open concept 1 in "UPD" and confirm it as it stands
//   Changed     open it and confirm it with nearly every field changed
//               (two full sets of values taken in turn), which writes the
//               audit entry too
//
// The raw side reads what the form reads (the concept, the company's
// configuration and parameters, the referenced rows), reads the concept
// again under the write, rewrites it, marks the change and, when changed,
// writes the audit lines. The ratios are printed (target: at most 2).
//
//   UORDANE_BENCH_ROUNDS   confirms per side (200 when unset)
//
// Exits with 1 when a confirm was refused, so that the suite's small run
// catches a benchmark that no longer works.
#include "data/database.h"
#include "data/database_setup.h"
#include "data/demo_company.h"
#include "engine/transaction.h"
#include "payroll/concepts.h"
#include "startup/vbglob.h"
#include "support/ui_port.h"

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

int rounds = 200;
bool failed = false;
std::unique_ptr<Database> database;

struct Timing {
    qint64 nanoseconds = 0;
    qint64 confirms = 0;
    double perConfirm() const { return confirms ? double(nanoseconds) / double(confirms) : 0; }
};

Timing formUnchanged, rawUnchanged, formChanged, rawChanged;

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString databaseFile()
{
    return folder().filePath(QStringLiteral("KQ_DATA.MDB"));
}

/// A port that records refusals: a bench whose confirm is refused is broken.
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

/// Two full sets of values of concept 1, each passing every rule.
struct FieldChange {
    const char* field;
    const char* first;
    const char* second;
};

const FieldChange changes[] = {
    {"ConDesc", "Sueldo mensual", "Sueldo base"},  {"ConActivo", "N", "S"},
    {"ConClase", "S", "J"},                        {"ConAguinal", "G", "T"},
    {"ConGrupo", "SUELDOS", "BASE"},               {"ConCant", "N", "C"},
    {"ConFracc", "Decimal", "8 horas"},            {"ConCant0", "S", "N"},
    {"ConFijo", "S", "N"},                         {"ConColecti", "N", "S"},
    {"ConDetModi", "N", "S"},                      {"ConPideSub", "No Pide", "Obligatorio"},
    {"ConPorGrav", "100", "90"},                   {"ConImp0", "C", "S"},
    {"ConMonExtr", "N", "E"},                      {"ConPriorid", "10", "12"},
    {"ConPlanRec", "S", "N"},                      {"ConRefAuxi", "1", "3"},
    {"ConImpCant", "N", "S"},                      {"ConGraCC", "Según cargo", "Según liquidación"},
    {"ConBenSoci", "N", "S"},                      {"ConConvJor", "0", "1.5"},
    {"ConCantHL", "M", "D"},                       {"ConConcHL", "1", "F"},
    {"ConL17829", "M", "N"},                       {"ConSumariz", "", "S"},
    {"ConExe20No", "1", "2"},                      {"ConConcCB", "1", "3"},
    {"ConConcFoc", "0", "11"},                     {"ConFicCod", "", "AMON"},
    {"ConForma", "0", "1"},                        {"ConImpRec", "N", "S"},
    {"ConLinAdLi", "", "Licencia del Semanafdesde al Semanafhasta"},
    {"ConDTM", "0", "1"},                          {"ConDTD", "0", "1"},
    {"ConDLGM", "0", "2"},                         {"ConDLGD", "0", "2"},
    {"ConDiasHab", "N", "S"},                      {"ConNotas", "Del mes", "Del mes, proporcional"},
    {"ConInfTecn", "", "Revisado"},
};

bool confirmThroughForm(bool second)
{
    CountingPort ui;
    Transaction form(TCONCEP(), *database, ui);
    form.start(QStringLiteral("1"), QStringLiteral("UPD"));
    for (const FieldChange& change : changes)
        form.setText(QString::fromUtf8(change.field), QString::fromUtf8(second ? change.second : change.first));
    return form.confirm();
}

bool confirmUnchanged()
{
    CountingPort ui;
    Transaction form(TCONCEP(), *database, ui);
    form.start(QStringLiteral("1"), QStringLiteral("UPD"));
    return form.confirm();
}

void BM_FormConfirmUnchanged(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < rounds; ++round)
            failed = !confirmUnchanged() || failed;
        formUnchanged.nanoseconds += timer.nsecsElapsed();
        formUnchanged.confirms += rounds;
    }
}
BENCHMARK(BM_FormConfirmUnchanged)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FormConfirmChanged(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < rounds; ++round)
            failed = !confirmThroughForm(round % 2 == 0) || failed;
        formChanged.nanoseconds += timer.nsecsElapsed();
        formChanged.confirms += rounds;
    }
}
BENCHMARK(BM_FormConfirmChanged)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------------------
// The raw side

struct Raw {
    sqlite3* handle = nullptr;
    sqlite3_stmt* conceptRead = nullptr;
    sqlite3_stmt* configuration = nullptr;
    sqlite3_stmt* parameter = nullptr;
    sqlite3_stmt* reference = nullptr;
    sqlite3_stmt* update = nullptr;
    sqlite3_stmt* mark = nullptr;
    sqlite3_stmt* audit = nullptr;
    int columns = 0;
    int descriptionColumn = -1;

    bool ok(int code, const char* what)
    {
        if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
            return true;
        std::fprintf(stderr, "sqlite3 %s: %s\n", what, sqlite3_errmsg(handle));
        failed = true;
        return false;
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        ok(sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr), sql);
        return statement;
    }
    void open()
    {
        ok(sqlite3_open(QFile::encodeName(databaseFile()).constData(), &handle), "open");
        sqlite3_exec(handle, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        conceptRead = prepare("SELECT * FROM \"CONCEPT\" WHERE \"ConId\" = ?");
        configuration = prepare("SELECT * FROM \"CONFIGUR\" ORDER BY \"CfId\" LIMIT 1");
        parameter = prepare("SELECT * FROM \"PARAMETR\" WHERE \"ParTabla\" = ? AND \"ParParamet\" = ? AND "
                            "\"ParIndice\" = 0");
        reference = prepare("SELECT * FROM \"APORTE\" WHERE \"AporId\" = ?");
        mark = prepare("UPDATE \"PARAMETR\" SET \"ParValorFe\" = CURRENT_TIMESTAMP WHERE \"ParTabla\" = "
                       "'SincroAuto' AND \"ParParamet\" = 'UltModific'");
        audit = prepare("INSERT INTO \"AUDITORI\" (\"AudCorrela\", \"AudLinea\", \"AudDescrip\", \"UsuNombre\", "
                        "\"TarCodigo\") VALUES ((SELECT COALESCE(MAX(\"AudCorrela\"), 0) + 1 FROM \"AUDITORI\"), ?, ?, "
                        "'bench', 13)");
        // Every column of the concept rewritten, as the form rewrites them.
        sqlite3_stmt* names = prepare("SELECT * FROM \"CONCEPT\" LIMIT 1");
        columns = sqlite3_column_count(names);
        QByteArray sql = "UPDATE \"CONCEPT\" SET ";
        for (int column = 0; column < columns; ++column) {
            const QByteArray name(sqlite3_column_name(names, column));
            sql += (column ? ", \"" : "\"") + name + "\" = ?";
            if (name == "ConDesc")
                descriptionColumn = column;
        }
        sql += " WHERE \"ConId\" = ?";
        sqlite3_finalize(names);
        update = prepare(sql.constData());
    }
    void close()
    {
        for (sqlite3_stmt* statement : {conceptRead, configuration, parameter, reference, update, mark, audit})
            sqlite3_finalize(statement);
        sqlite3_close(handle);
    }
    void step(sqlite3_stmt* statement, const char* what)
    {
        while (true) {
            const int code = sqlite3_step(statement);
            if (code != SQLITE_ROW) {
                ok(code, what);
                break;
            }
        }
        sqlite3_reset(statement);
    }
    void readParameter(const char* group, const char* name)
    {
        sqlite3_bind_text(parameter, 1, group, -1, SQLITE_STATIC);
        sqlite3_bind_text(parameter, 2, name, -1, SQLITE_STATIC);
        step(parameter, "parameter");
    }
    /// One confirm: what the form reads, the write, the mark and the audit.
    void confirm(bool changed, bool second)
    {
        readParameter("SincroAuto", "Con");
        readParameter("SincroAuto", "Hay");
        readParameter("Empresa", "TipoContri");
        step(configuration, "configuration");
        sqlite3_bind_int(conceptRead, 1, 1);
        ok(sqlite3_step(conceptRead), "concept");
        QList<QByteArray> values;
        for (int column = 0; column < columns; ++column)
            values << QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(conceptRead, column)));
        sqlite3_reset(conceptRead);
        sqlite3_bind_int(reference, 1, 1);
        step(reference, "reference");
        sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_int(conceptRead, 1, 1);
        step(conceptRead, "conceptRead again");
        for (int column = 0; column < columns; ++column) {
            QByteArray value = values.at(column);
            if (changed && column == descriptionColumn)
                value = second ? "Sueldo base" : "Sueldo mensual";
            sqlite3_bind_text(update, column + 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(update, columns + 1, 1);
        step(update, "update");
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        step(mark, "mark");
        if (changed) {
            sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            for (int line = 1; line <= 6; ++line) {
                const QByteArray text(200, 'x');
                sqlite3_bind_int(audit, 1, line);
                sqlite3_bind_text(audit, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                step(audit, "audit");
            }
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        }
    }
};

void BM_RawUnchanged(benchmark::State& state)
{
    Raw raw;
    raw.open();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < rounds; ++round)
            raw.confirm(false, false);
        rawUnchanged.nanoseconds += timer.nsecsElapsed();
        rawUnchanged.confirms += rounds;
    }
    raw.close();
}
BENCHMARK(BM_RawUnchanged)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_RawChanged(benchmark::State& state)
{
    Raw raw;
    raw.open();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int round = 0; round < rounds; ++round)
            raw.confirm(true, round % 2 == 0);
        rawChanged.nanoseconds += timer.nsecsElapsed();
        rawChanged.confirms += rounds;
    }
    raw.close();
}
BENCHMARK(BM_RawChanged)->Unit(benchmark::kMillisecond)->Iterations(1);

double ratio(const Timing& form, const Timing& raw)
{
    return raw.perConfirm() > 0 ? form.perConfirm() / raw.perConfirm() : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("bench"));
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSMMS"));
    if (const int wanted = qEnvironmentVariableIntValue("UORDANE_BENCH_ROUNDS"); wanted > 0)
        rounds = wanted;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    database = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
    QString error;
    if (!database->open(Database::OpenMode::CreateIfMissing) || !createDatabase(*database, &error)
        || !loadDemoCompany(*database, &error)) {
        std::fprintf(stderr, "No se pudo crear la base de datos: %s\n", qPrintable(error));
        return 1;
    }
    // The demo's taxed concepts name contribution group 1.
    QSqlQuery(database->connection())
        .exec(QStringLiteral("INSERT INTO APORTE (AporId, AporDesc) SELECT 1, 'Aportes comunes' WHERE NOT EXISTS "
                             "(SELECT 1 FROM APORTE WHERE AporId = 1)"));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("Concepto sin cambios: formulario %.0f us, directo %.0f us, razón %.2f; con todos los campos "
                "cambiados: formulario %.0f us, directo %.0f us, razón %.2f (objetivo: 2 o menos)\n",
                formUnchanged.perConfirm() / 1000.0, rawUnchanged.perConfirm() / 1000.0,
                ratio(formUnchanged, rawUnchanged), formChanged.perConfirm() / 1000.0,
                rawChanged.perConfirm() / 1000.0, ratio(formChanged, rawChanged));
    database.reset();
    return failed ? 1 : 0;
}
