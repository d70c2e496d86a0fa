// The concept form against the same reads and writes done with raw sqlite3
// statements, on the demo company's file:
//
//   Unchanged   open concept 1 in "UPD" and confirm it as it stands
//   Changed     open it and confirm it with nearly every field changed
//               (two full sets of values taken in turn), which writes the
//               audit entry too
//
// The raw side reads what the form reads (the concept, the company's
// configuration and parameters, the row of every reference the form
// checks: those of the values the form holds in that round), reads the
// concept again under the write, rewrites it, marks the change and, when
// changed, writes the audit entry the form wrote (its lines, taken from the
// form's own entries, every column). The two sides run in ten alternating
// blocks; the ratio of the totals, of each side's best block and the median
// of the blocks' ratios are printed (target: at most 2).
//
//   UORDANE_BENCH_ROUNDS   confirms per side and case (200 when unset), in
//                          ten alternating blocks
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
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
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

/// The field names and both sets of values as the form takes them, made
/// before any timing: the raw side too binds values made beforehand.
struct TypedChange {
    QString field;
    QString first;
    QString second;
};

const QList<TypedChange>& typedChanges()
{
    static const QList<TypedChange> typed = [] {
        QList<TypedChange> list;
        for (const FieldChange& change : changes)
            list << TypedChange{QString::fromUtf8(change.field), QString::fromUtf8(change.first),
                                QString::fromUtf8(change.second)};
        return list;
    }();
    return typed;
}

bool confirmThroughForm(bool second)
{
    CountingPort ui;
    Transaction form(TCONCEP(), *database, ui);
    form.start(QStringLiteral("1"), QStringLiteral("UPD"));
    for (const TypedChange& change : typedChanges())
        form.setText(change.field, second ? change.second : change.first);
    return form.confirm();
}

bool confirmUnchanged()
{
    CountingPort ui;
    Transaction form(TCONCEP(), *database, ui);
    form.start(QStringLiteral("1"), QStringLiteral("UPD"));
    return form.confirm();
}

// ---------------------------------------------------------------------------
// The raw side

/// A row the form reads to check a reference field: `table` sought by
/// `column` = `value`.
struct ReferenceRead {
    QByteArray table;
    QByteArray column;
    QVariant value;
};

/// The references the form checks on concept 1 as read (no set), or with
/// the first or second set of changes typed: every reference field that
/// holds a value then.
QList<ReferenceRead> referenceReads(int set)
{
    CountingPort ui;
    Transaction form(TCONCEP(), *database, ui);
    form.start(QStringLiteral("1"), QStringLiteral("UPD"));
    if (set > 0) {
        for (const FieldChange& change : changes)
            form.setText(QString::fromUtf8(change.field), QString::fromUtf8(set == 2 ? change.second : change.first));
    }
    QList<ReferenceRead> reads;
    for (int position = 1; position <= form.fieldCount(); ++position) {
        const FieldDecl& field = form.field(position);
        const QVariant value = form.value(field.name);
        const bool blank = value.metaType().id() == QMetaType::QString ? value.toString().trimmed().isEmpty()
                                                                        : value.toDouble() == 0;
        if (field.kind != FieldKind::Reference || blank)
            continue;
        const TableDef* table = database->tableDef(field.reference.table);
        const IndexDef* index =
            field.reference.index.isEmpty() ? table->primaryIndex() : table->index(field.reference.index);
        reads << ReferenceRead{table->name.toUtf8(), index->fields.first().toUtf8(), value};
    }
    form.close();
    return reads;
}

/// The lines of the audit entries the form wrote last, newest first.
QList<QStringList> formAuditEntries(int count)
{
    QList<QStringList> entries;
    QSqlQuery query(database->connection());
    query.exec(QStringLiteral("SELECT AudCorrela, AudDescrip FROM AUDITORI ORDER BY AudCorrela DESC, AudLinea"));
    double correlative = -1;
    while (query.next()) {
        if (query.value(0).toDouble() != correlative) {
            if (entries.size() == count)
                break;
            entries.append(QStringList());
            correlative = query.value(0).toDouble();
        }
        entries.last() << query.value(1).toString();
    }
    return entries;
}

struct Raw {
    sqlite3* handle = nullptr;
    sqlite3_stmt* conceptRead = nullptr;
    sqlite3_stmt* configuration = nullptr;
    sqlite3_stmt* parameter = nullptr;
    /// The reference reads of the unchanged, first and second rounds.
    QList<sqlite3_stmt*> references[3];
    /// The audit lines of the first and second set, as the form wrote them.
    QStringList auditLines[2];
    sqlite3_stmt* update = nullptr;
    sqlite3_stmt* mark = nullptr;
    sqlite3_stmt* audit = nullptr;
    sqlite3_stmt* highest = nullptr;
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
        for (int set = 0; set < 3; ++set) {
            for (const ReferenceRead& read : referenceReads(set)) {
                sqlite3_stmt* statement =
                    prepare("SELECT * FROM \"" + read.table + "\" WHERE \"" + read.column + "\" = ?");
                if (read.value.metaType().id() == QMetaType::QString) {
                    const QByteArray text = read.value.toString().toUtf8();
                    sqlite3_bind_text(statement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                } else {
                    sqlite3_bind_int64(statement, 1, read.value.toLongLong());
                }
                references[set] << statement;
            }
        }
        // The form's last two entries: the second set's, then the first's.
        const QList<QStringList> entries = formAuditEntries(2);
        if (entries.size() != 2) {
            std::fprintf(stderr, "El formulario no escribió la auditoría de los dos juegos de valores\n");
            failed = true;
        } else {
            auditLines[1] = entries.at(0);
            auditLines[0] = entries.at(1);
        }
        // The day of the change, number 0 and the empty date, as the form
        // marks it.
        mark = prepare("UPDATE \"PARAMETR\" SET \"ParValorCa\" = strftime('%d/%m/%y', 'now'), \"ParValorNu\" = 0, "
                       "\"ParValorFe\" = '0100-01-01T00:00:00' WHERE \"ParTabla\" = 'SincroAuto' AND "
                       "\"ParParamet\" = 'UltModific' AND \"ParIndice\" = 0");
        audit = prepare("INSERT INTO \"AUDITORI\" (\"AudCorrela\", \"AudLinea\", \"AudFecha\", \"AudHora\", "
                        "\"UsuNombre\", \"TarCodigo\", \"AudDescrip\", \"AudFunId\") "
                        "VALUES (?, ?, ?, ?, 'BENCH', 13, ?, 0)");
        highest = prepare("SELECT \"AudCorrela\" FROM \"AUDITORI\" ORDER BY \"AudCorrela\" DESC, \"AudLinea\" DESC "
                          "LIMIT 1");
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
        for (sqlite3_stmt* statement : {conceptRead, configuration, parameter, update, mark, audit, highest})
            sqlite3_finalize(statement);
        for (const QList<sqlite3_stmt*>& reads : references) {
            for (sqlite3_stmt* statement : reads)
                sqlite3_finalize(statement);
        }
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
        for (sqlite3_stmt* reference : references[changed ? (second ? 2 : 1) : 0])
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
            const QDateTime now = QDateTime::currentDateTime();
            const QByteArray day = now.date().toString(Qt::ISODate).toUtf8() + "T00:00:00";
            const QByteArray time = now.time().toString(QStringLiteral("HH:mm:ss")).toUtf8();
            sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            double correlative = 1;
            if (sqlite3_step(highest) == SQLITE_ROW)
                correlative = sqlite3_column_double(highest, 0) + 1;
            sqlite3_reset(highest);
            const QStringList& lines = auditLines[second ? 1 : 0];
            for (int line = 1; line <= lines.size(); ++line) {
                const QByteArray text = lines.at(line - 1).toUtf8();
                sqlite3_bind_double(audit, 1, correlative);
                sqlite3_bind_int(audit, 2, line);
                sqlite3_bind_text(audit, 3, day.constData(), int(day.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(audit, 4, time.constData(), int(time.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(audit, 5, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                step(audit, "audit");
            }
            sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        }
    }
};

/// Times `confirms` confirms of `confirm` into `timing`; gives this
/// block's time per confirm.
template <typename Confirm>
double timeBlock(Timing& timing, int confirms, Confirm confirm)
{
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < confirms; ++round)
        confirm(round);
    const qint64 spent = timer.nsecsElapsed();
    timing.nanoseconds += spent;
    timing.confirms += confirms;
    return double(spent) / double(confirms);
}

/// Per case, each side's best block (time per confirm) and the ratio of
/// every pair of blocks.
struct BlockResults {
    double bestForm = 0;
    double bestRaw = 0;
    QList<double> ratios;

    void add(double form, double raw)
    {
        bestForm = ratios.isEmpty() ? form : std::min(bestForm, form);
        bestRaw = ratios.isEmpty() ? raw : std::min(bestRaw, raw);
        ratios << (raw > 0 ? form / raw : 0);
    }
    double bestRatio() const { return bestRaw > 0 ? bestForm / bestRaw : 0; }
    double medianRatio() const
    {
        QList<double> sorted = ratios;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty() ? 0 : sorted.at(sorted.size() / 2);
    }
};

BlockResults unchangedBlocks, changedBlocks;

// The machine the bench runs on may be shared: the form and the raw side
// run in alternating blocks, so that a busy moment falls on both alike, and
// besides the ratio of the totals, the ratio of each side's best block and
// the median of the blocks' ratios are printed.
void BM_FormAgainstRaw(benchmark::State& state)
{
    // Confirms of the second set, the first and the second again first: the
    // last two entries hold what each set changes from the other, and the
    // raw side writes these very lines.
    failed = !confirmThroughForm(true) || failed;
    failed = !confirmThroughForm(false) || failed;
    failed = !confirmThroughForm(true) || failed;
    Raw raw;
    raw.open();
    // The log is copied into the file between blocks, untimed, rather than
    // by whichever side's commit happens to cross its limit: that copy
    // costs as much as many confirms and would fall on one side only.
    QSqlQuery(database->connection()).exec(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
    sqlite3_exec(raw.handle, "PRAGMA wal_autocheckpoint=0", nullptr, nullptr, nullptr);
    const auto checkpoint = [&] {
        sqlite3_wal_checkpoint_v2(raw.handle, nullptr, SQLITE_CHECKPOINT_RESTART, nullptr, nullptr);
    };
    // The setup's last confirm stored the second set: the first set comes next.
    int formTurn = 1;
    int rawTurn = 1;
    const int blocks = std::max(1, std::min(10, rounds));
    const int perBlock = std::max(1, rounds / blocks);
    for (auto _ : state) {
        for (int block = 0; block < blocks; ++block) {
            checkpoint();
            const double form =
                timeBlock(formUnchanged, perBlock, [](int) { failed = !confirmUnchanged() || failed; });
            checkpoint();
            const double direct = timeBlock(rawUnchanged, perBlock, [&](int) { raw.confirm(false, false); });
            unchangedBlocks.add(form, direct);
            checkpoint();
            // Each confirm takes the other set than the one before, across
            // blocks too: a confirm of the set already stored would change
            // nothing and write no audit entry.
            const double formAll = timeBlock(formChanged, perBlock, [&](int) {
                failed = !confirmThroughForm(formTurn++ % 2 == 0) || failed;
            });
            checkpoint();
            const double directAll =
                timeBlock(rawChanged, perBlock, [&](int) { raw.confirm(true, rawTurn++ % 2 == 0); });
            changedBlocks.add(formAll, directAll);
        }
    }
    raw.close();
}
BENCHMARK(BM_FormAgainstRaw)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    std::printf("Concepto sin cambios: formulario %.0f us, directo %.0f us, razón %.2f (mejores bloques %.2f, "
                "mediana %.2f); con todos los campos cambiados: formulario %.0f us, directo %.0f us, razón %.2f "
                "(mejores bloques %.2f, mediana %.2f) (objetivo: 2 o menos)\n",
                formUnchanged.perConfirm() / 1000.0, rawUnchanged.perConfirm() / 1000.0,
                ratio(formUnchanged, rawUnchanged), unchangedBlocks.bestRatio(), unchangedBlocks.medianRatio(),
                formChanged.perConfirm() / 1000.0, rawChanged.perConfirm() / 1000.0, ratio(formChanged, rawChanged),
                changedBlocks.bestRatio(), changedBlocks.medianRatio());
    database.reset();
    return failed ? 1 : 0;
}
