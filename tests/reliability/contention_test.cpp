// Two workstations confirming changes to the same few records at once: each
// confirm writes or is refused with the message a person sees, no increment
// is lost, and the audit trail holds one entry per written change.
//
// Two worker processes (this binary on ContentionWorker.*) each make a fixed
// number of tries through TCATEGOR: open category 1, 2 or 3 to modify, read
// the counter in its description ("n=17"), type the next one and confirm. The
// form locks the record ("Registro reservado por otro"), checks it still holds
// what was shown ("CATEGORI fue modificada."), writes, marks the synchronised
// change and audits. UORDANE_CONTENTION_TRIES sets each worker's tries
// (default 60); long run: tools/reliability.sh 300 2000.
//
// An office's worth: sixteen worker processes on one database edit 50
// categories at random for a bounded time (UORDANE_CONTENTION_SECONDS, 6 by
// default; long run: UORDANE_CONTENTION_SECONDS=600 test_reliability
// --gtest_filter='*Sixteen*'), each reading back what it wrote; the counts are
// printed and no increment or audit entry may be lost or doubled.
//
// LockHolderTest plays the two step by step: one stops mid-confirm holding the
// lock, the other is refused, then finds the record modified. All these tests
// run on SQLite and on the test PostgreSQL server (skipped without
// UORDANE_TEST_PG_HOST).
#include "reliability_fixture.h"

#include "engine/audit.h"
#include "engine/transaction.h"
#include "scripted_ui.h"
#include "startup/vbglob.h"
#include "tables/categories.h"
#include "temp_folder.h"
#include "test_server.h"

#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <limits>

using namespace reliability;

namespace {

constexpr const char* workerDatabaseVariable = "UORDANE_CONTENTION_WORKER_DATABASE";
constexpr const char* workerUserVariable = "UORDANE_CONTENTION_WORKER_USER";
constexpr const char* workerTriesVariable = "UORDANE_CONTENTION_WORKER_TRIES";
constexpr const char* workerSeedVariable = "UORDANE_CONTENTION_WORKER_SEED";
constexpr const char* workerStartFileVariable = "UORDANE_CONTENTION_WORKER_START";
/// How many categories (1 to N) the worker picks from: 3 unless given.
constexpr const char* workerCategoriesVariable = "UORDANE_CONTENTION_WORKER_CATEGORIES";
/// With this, the worker stops trying after so many milliseconds.
constexpr const char* workerMillisecondsVariable = "UORDANE_CONTENTION_WORKER_MILLISECONDS";
/// A worker given these stops before its try number PAUSE_AT (from 0) until
/// the file RESUME exists.
constexpr const char* workerPauseAtVariable = "UORDANE_CONTENTION_WORKER_PAUSE_AT";
constexpr const char* workerResumeFileVariable = "UORDANE_CONTENTION_WORKER_RESUME";
const QString workerTest = "ContentionWorker.ConfirmsCounterIncrementsThroughTheForm";
/// The categories the tests' database holds: 1 to 50, at "n=0".
constexpr int categoriesHeld = 50;
/// The few that two workstations fight over.
constexpr int fewCategories = 3;

QList<int> categoriesUpTo(int count)
{
    QList<int> categories;
    for (int category = 1; category <= count; ++category)
        categories << category;
    return categories;
}

const QString lockedText = "Registro reservado por otro";
const QString modifiedText = "CATEGORI fue modificada.";

QString counterText(int counter)
{
    return QStringLiteral("n=%1").arg(counter);
}

/// The counter of a description "n=17"; -1 for anything else.
int counterOf(const QString& description)
{
    const QString text = description.trimmed();
    bool ok = false;
    const int counter = text.startsWith(QLatin1String("n=")) ? text.mid(2).toInt(&ok) : -1;
    return ok ? counter : -1;
}

QString auditTextOf(int category, int counter)
{
    return QStringLiteral("Modifica categoría %1, descripción = ").arg(category) + counterText(counter);
}

// Not a test of its own: the body of a worker process of the contention
// test. It waits until the start file exists, so that both workers begin
// together, then reports each try:
//   "W category counter"   written
//   "B category counter read"  written, but read back below what it wrote
//   "R category lock"      refused: the other holds the lock
//   "R category changed"   refused: the other changed the record
//   "X category texts"     anything else (the test fails)
//   "PAUSED"               it waits for the resume file before going on
//   "L category"           the confirm waited for the other's lock on the
//                          synchronisation mark (before its W line)
TEST(ContentionWorker, ConfirmsCounterIncrementsThroughTheForm)
{
    const QString where = qEnvironmentVariable(workerDatabaseVariable);
    if (where.isEmpty())
        GTEST_SKIP() << "only runs as a worker process of the contention test";
    VBGlob::clear();
    VBGlob::put("Usuario", qEnvironmentVariable(workerUserVariable));
    VBGlob::put("Permisos", "SSSSSSSMS");
    Database database(locationFromText(where));
    ASSERT_TRUE(database.open()) << database.errorText().toStdString();
    QRandomGenerator random(quint32(environmentNumber(workerSeedVariable, 1)));
    const int tries = int(environmentNumber(workerTriesVariable, 0));
    const QList<int> categories = categoriesUpTo(int(environmentNumber(workerCategoriesVariable, fewCategories)));
    const qint64 milliseconds = environmentNumber(workerMillisecondsVariable, -1);
    TableCursor readBack(database);
    ASSERT_FALSE(readBack.open("CATEGORI", Access::ReadOnly));
    report("READY");
    waitForFile(qEnvironmentVariable(workerStartFileVariable));

    ScriptedUi ui;
    const int pauseAt = int(environmentNumber(workerPauseAtVariable, -1));
    const QDeadlineTimer deadline =
        milliseconds < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(milliseconds);
    for (int attempt = 0; attempt < tries && !deadline.hasExpired(); ++attempt) {
        if (attempt == pauseAt) {
            report("PAUSED");
            waitForFile(qEnvironmentVariable(workerResumeFileVariable));
        }
        const int category = categories.at(random.bounded(int(categories.size())));
        ui.clear();
        Transaction form(TCATEGOR(), database, ui);
        form.start(QString::number(category), "UPD");
        const int counter = counterOf(form.text(2));
        if (!ui.texts().isEmpty() || counter < 0) {
            report(QStringLiteral("X %1 start: ").arg(category) + form.text(2) + u' ' + ui.texts().join(u'|'));
            continue;
        }
        // The person types; the other workstation may confirm meanwhile.
        QThread::usleep(random.bounded(3000));
        form.setText(2, counterText(counter + 1));
        const bool written = form.confirm();
        const QStringList shown = ui.texts();
        form.close();
        // The lock-wait routine lets window events run while it waits for the
        // synchronisation mark's row: a confirm that waited for the other.
        if (ui.processEventsCount() > 0)
            report(QStringLiteral("L %1").arg(category));
        if (written && shown.isEmpty()) {
            report(QStringLiteral("W %1 %2").arg(category).arg(counter + 1));
            // Others may have written after it, never under it.
            readBack.seek(Comparison::Equal, {category});
            const int read = counterOf(readBack.text("CatDesc"));
            database.idleFreeLocks();
            if (read < counter + 1)
                report(QStringLiteral("B %1 %2 %3").arg(category).arg(counter + 1).arg(read));
        } else if (!written && shown == QStringList{lockedText}) report(QStringLiteral("R %1 lock").arg(category));
        else if (!written && shown == QStringList{modifiedText})
            report(QStringLiteral("R %1 changed").arg(category));
        else
            report(QStringLiteral("X %1 %2: ").arg(category).arg(written) + shown.join(u'|'));
    }
    report("DONE");
}

/// What one worker reported.
struct WorkerTally {
    QString user;
    int tries = 0;
    int written = 0;
    int refusedLocked = 0;
    int refusedChanged = 0;
    int lockWaits = 0;
    QStringList unexpected;
    QStringList readBackBelow;  ///< writes read back below what was written
    QMap<int, QList<int>> countersWritten;  ///< category -> counters it wrote
};

WorkerTally tallyOf(const QString& user, const QStringList& reports)
{
    WorkerTally tally;
    tally.user = user;
    for (const QString& line : reports) {
        const QStringList parts = line.split(u' ');
        const QString kind = parts.first();
        if (kind == QLatin1String("W") && parts.size() == 3) {
            ++tally.tries;
            ++tally.written;
            tally.countersWritten[parts.at(1).toInt()] << parts.at(2).toInt();
        } else if (kind == QLatin1String("R") && parts.size() == 3) {
            ++tally.tries;
            (parts.at(2) == QLatin1String("lock") ? tally.refusedLocked : tally.refusedChanged) += 1;
        } else if (kind == QLatin1String("L")) {
            ++tally.lockWaits;
        } else if (kind == QLatin1String("B")) {
            tally.readBackBelow << line;
        } else if (kind == QLatin1String("X")) {
            ++tally.tries;
            tally.unexpected << line;
        }
    }
    return tally;
}

/// One audit entry: its user and its lines joined again.
using AuditSentence = QPair<QString, QString>;

QList<AuditSentence> auditSentences(Database& database)
{
    QList<AuditSentence> sentences;
    const AuditTrail trail = auditTrail(database);
    for (const QList<AuditRow>& rows : trail) {
        QStringList lines;
        for (const AuditRow& row : rows)
            lines << row.text;
        sentences.append({rows.first().user, lines.join(u' ')});
    }
    std::sort(sentences.begin(), sentences.end());
    return sentences;
}

/// A database with categories 1 to 50 at "n=0" and the workers that contend
/// for them: an SQLite file, or a database on the test PostgreSQL server.
class ContentionTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres) {
            if (const QString missing = testServerMissing(); !missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
            ASSERT_TRUE(serverProblem.isEmpty()) << serverProblem.toStdString();
        }
        ASSERT_NO_FATAL_FAILURE(createProgramDatabase(location));
        ASSERT_TRUE(database.open()) << database.errorText().toStdString();
        for (int category : categoriesUpTo(categoriesHeld)) {
            QString error;
            ASSERT_TRUE(insertRow(database, "CATEGORI",
                                  {{"CatId", category}, {"CatDesc", counterText(0)}},
                                  &error))
                << error.toStdString();
        }
        trailBefore = auditSentences(database);
    }

    /// Starts one worker per user, each making `tries` on the first
    /// `categories`, and lets them begin together once all are ready. A
    /// worker with a `pauses` entry stops before that try until resume() is
    /// called; with `milliseconds` each stops when that time is up.
    void startWorkers(const QList<int>& tries, const QMap<int, int>& pauses = {}, int categories = fewCategories,
                      qint64 milliseconds = -1)
    {
        const QString startFile = folder.file("start");
        for (int index = 0; index < int(tries.size()); ++index) {
            QMap<QString, QString> environment{
                {QString::fromLatin1(workerDatabaseVariable), locationText(location)},
                {QString::fromLatin1(workerUserVariable), userOf(index)},
                {QString::fromLatin1(workerTriesVariable), QString::number(tries.at(index))},
                {QString::fromLatin1(workerSeedVariable), QString::number(QRandomGenerator::global()->generate())},
                {QString::fromLatin1(workerStartFileVariable), startFile},
                {QString::fromLatin1(workerCategoriesVariable), QString::number(categories)},
                {QString::fromLatin1(workerMillisecondsVariable), QString::number(milliseconds)}};
            if (pauses.contains(index)) {
                environment.insert(QString::fromLatin1(workerPauseAtVariable), QString::number(pauses.value(index)));
                environment.insert(QString::fromLatin1(workerResumeFileVariable), folder.file("resume"));
            }
            workers.push_back(std::make_unique<WorkerProcess>(workerTest, environment));
            ASSERT_TRUE(workers.back()->start());
        }
        for (auto& worker : workers)
            ASSERT_TRUE(worker->waitForReport("READY", 60000)) << worker->transcript();
        folder.write("start", "go");
    }

    /// Lets a paused worker go on.
    void resume() { folder.write("resume", "go"); }

    /// Waits until worker `index` has made all its tries and ended.
    void finish(int index, int milliseconds = 120000)
    {
        WorkerProcess& worker = *workers.at(index);
        ASSERT_TRUE(worker.waitForReport("DONE", milliseconds)) << worker.transcript();
        ASSERT_TRUE(worker.waitForExit(30000));
        EXPECT_EQ(worker.exitCode(), 0) << worker.transcript();
    }

    /// Checks each category's counter against the increments the workers
    /// reported: every counter value written once (a value written twice is
    /// a lost update), and up to `unreported` increments written but not
    /// reported by a worker that was killed. Returns the increments lost.
    int checkCounters(const QList<WorkerTally>& tallies, int unreported)
    {
        int lost = 0;
        int missing = 0;
        const QMap<int, QString> rows = categoryRows(database);
        for (int category : categoriesUpTo(categoriesHeld)) {
            QList<int> counters;
            for (const WorkerTally& tally : tallies)
                counters += tally.countersWritten.value(category);
            std::sort(counters.begin(), counters.end());
            const int finalCounter = counterOf(rows.value(category));
            const auto repeated = std::adjacent_find(counters.begin(), counters.end());
            if (repeated != counters.end()) {
                ADD_FAILURE() << "category " << category << ": the counter " << *repeated
                              << " was written twice, an increment was lost";
            }
            const int distinct = int(std::unique(counters.begin(), counters.end()) - counters.begin());
            lost += int(counters.size()) - distinct;
            EXPECT_TRUE(counters.isEmpty() || counters.last() <= finalCounter)
                << "category " << category << " holds " << rows.value(category).toStdString()
                << " below a reported increment";
            missing += finalCounter - distinct;
        }
        EXPECT_GE(missing, 0);
        EXPECT_LE(missing, unreported) << "the counters hold increments nobody reported";
        return lost;
    }

    /// The audit entries written since SetUp.
    QList<AuditSentence> newAuditEntries()
    {
        QList<AuditSentence> entries = auditSentences(database);
        for (const AuditSentence& old : trailBefore)
            entries.removeOne(old);
        return entries;
    }

    /// The entries the reported writes call for.
    static QList<AuditSentence> expectedAuditEntries(const QList<WorkerTally>& tallies)
    {
        QList<AuditSentence> expected;
        for (const WorkerTally& tally : tallies) {
            for (auto written = tally.countersWritten.begin(); written != tally.countersWritten.end(); ++written) {
                for (int counter : written.value())
                    expected.append({tally.user, auditTextOf(written.key(), counter)});
            }
        }
        std::sort(expected.begin(), expected.end());
        return expected;
    }

    int staleLocks()
    {
        QStringList held;
        const int count = heldLocks(database, "CATEGORI", &held) + heldLocks(database, "PARAMETR", &held);
        EXPECT_EQ(count, 0) << held.join(u'\n').toStdString();
        return count;
    }

    /// The file is checked with SQLite's integrity check; the server keeps
    /// its own files.
    void checkIntegrity()
    {
        if (GetParam() == Backend::Sqlite) {
            EXPECT_EQ(integrityCheck(database), "ok");
        }
    }

    /// What a run of the workers came to.
    struct RunSummary {
        int tries = 0;
        int written = 0;
        int refusedLocked = 0;
        int refusedChanged = 0;
        int lockWaits = 0;
        int readBackBelow = 0;
        int lost = 0;
        int auditMissing = 0;
        int auditDoubled = 0;
        int stale = 0;
    };

    /// The checks of a run where no worker died: each made `triesEach` tries
    /// (with 0, at least one), every try ended written or refused with the
    /// message a person sees, each write read back at least what it wrote,
    /// no counter value was written twice, one audit entry per written change,
    /// whole, by the workstation that wrote it (none missing, none doubled),
    /// a sound file and no lock left.
    RunSummary checkRun(const QList<WorkerTally>& tallies, int triesEach)
    {
        RunSummary run;
        for (const WorkerTally& tally : tallies) {
            if (triesEach > 0)
                EXPECT_EQ(tally.tries, triesEach) << tally.user.toStdString();
            else
                EXPECT_GT(tally.tries, 0) << tally.user.toStdString() << " made no try in its time";
            EXPECT_TRUE(tally.unexpected.isEmpty()) << tally.unexpected.join(u'\n').toStdString();
            EXPECT_TRUE(tally.readBackBelow.isEmpty()) << tally.readBackBelow.join(u'\n').toStdString();
            run.tries += tally.tries;
            run.written += tally.written;
            run.refusedLocked += tally.refusedLocked;
            run.refusedChanged += tally.refusedChanged;
            run.lockWaits += tally.lockWaits;
            run.readBackBelow += int(tally.readBackBelow.size());
        }
        EXPECT_EQ(run.tries, run.written + run.refusedLocked + run.refusedChanged);
        run.lost = checkCounters(tallies, 0);
        QList<AuditSentence> audit = newAuditEntries();
        for (const AuditSentence& entry : expectedAuditEntries(tallies)) {
            if (!audit.removeOne(entry)) {
                ++run.auditMissing;
                ADD_FAILURE() << "no audit entry " << entry.first.toStdString() << ": " << entry.second.toStdString();
            }
        }
        // What is left is an entry no write calls for: a second copy or a stray.
        run.auditDoubled = int(audit.size());
        for (const AuditSentence& extra : audit)
            ADD_FAILURE() << "audit entry no write calls for " << extra.first.toStdString() << ": "
                          << extra.second.toStdString();
        checkIntegrity();
        run.stale = staleLocks();
        EXPECT_EQ(run.lost, 0);
        return run;
    }

    ServerTestDatabase server;
    QString serverProblem;
    TempFolder folder;
    const DatabaseLocation location = chooseLocation();
    Database database{location};
    QList<AuditSentence> trailBefore;
    std::vector<std::unique_ptr<WorkerProcess>> workers;

    /// The workstation name of worker `index`: PUESTO1, PUESTO2...
    static QString userOf(int index) { return QStringLiteral("PUESTO%1").arg(index + 1); }

private:
    /// The test's database: made on the server here, before the connection
    /// member is built on it; SetUp reports a server that refused.
    DatabaseLocation chooseLocation()
    {
        if (GetParam() == Backend::Sqlite || !testServerMissing().isEmpty())
            return DatabaseLocation::sqliteFile(folder.file(QString::fromLatin1(databaseFileName)));
        server.create("contention", &serverProblem);
        return server.location();
    }
};

TEST_P(ContentionTest, TwoWorkstationsConfirmingTheSameRecordsLoseNoIncrement)
{
    const int tries = int(environmentNumber("UORDANE_CONTENTION_TRIES", 60));
    ASSERT_NO_FATAL_FAILURE(startWorkers({tries, tries}));
    QList<WorkerTally> tallies;
    for (int index = 0; index < int(workers.size()); ++index) {
        ASSERT_NO_FATAL_FAILURE(finish(index));
        tallies << tallyOf(userOf(index), workers.at(index)->reports());
    }
    const RunSummary run = checkRun(tallies, tries);
    std::printf("contention test: tries %d, written %d, refused %d (locked %d, changed %d), lost %d, "
                "audit entries missing %d, doubled %d, stale locks %d, confirms that waited for the mark's lock %d\n",
                run.tries, run.written, run.refusedLocked + run.refusedChanged, run.refusedLocked, run.refusedChanged,
                run.lost, run.auditMissing, run.auditDoubled, run.stale, run.lockWaits);
    EXPECT_GT(run.written, 0);
}

// An office on one database: sixteen workstations, each its own process and
// connection, confirm changes to 50 categories picked at random until their
// time is up, with the same checks as two workstations on three records.
TEST_P(ContentionTest, SixteenWorkstationsOnFiftyRecordsLoseNoIncrementNorAuditEntry)
{
    constexpr int workstations = 16;
    const qint64 milliseconds = environmentNumber("UORDANE_CONTENTION_SECONDS", 6) * 1000;
    ASSERT_NO_FATAL_FAILURE(
        startWorkers(QList<int>(workstations, std::numeric_limits<int>::max()), {}, categoriesHeld, milliseconds));
    QList<WorkerTally> tallies;
    for (int index = 0; index < workstations; ++index) {
        ASSERT_NO_FATAL_FAILURE(finish(index, int(milliseconds) + 120000));
        tallies << tallyOf(userOf(index), workers.at(index)->reports());
    }
    const RunSummary run = checkRun(tallies, 0);
    std::printf("sixteen workstations, %s, %lld s: tries %d, written %d, refused \"%s\" %d, refused \"%s\" %d, "
                "read back below what was written %d, lost updates %d, audit entries missing %d, doubled %d, "
                "stale locks %d\n",
                testBackendName(GetParam()).toUtf8().constData(), static_cast<long long>(milliseconds / 1000),
                run.tries, run.written, lockedText.toUtf8().constData(), run.refusedLocked,
                modifiedText.toUtf8().constData(), run.refusedChanged, run.readBackBelow, run.lost, run.auditMissing,
                run.auditDoubled, run.stale);
    EXPECT_GT(run.written, workstations);
}

// One workstation dies in the middle of its confirms. The other one, whose
// connection stayed open all along, carries on: once the first is gone,
// every one of its confirms writes. The dead one's last change, if it was
// committed before the kill, is whole or absent, and so is its audit entry.
TEST_P(ContentionTest, AWorkstationKilledMidwayBlocksNothingForTheOther)
{
    constexpr int survivorTries = 80;
    constexpr int aloneAtTheEnd = 20;
    // The survivor's last tries wait until the victim is dead.
    ASSERT_NO_FATAL_FAILURE(startWorkers({10000, survivorTries}, {{1, survivorTries - aloneAtTheEnd}}));
    WorkerProcess& victim = *workers.at(0);
    const int writesBeforeKill = 5 + QRandomGenerator::global()->bounded(20);
    ASSERT_TRUE(victim.waitForReports("W ", writesBeforeKill, 60000)) << victim.transcript();
    victim.kill();
    EXPECT_TRUE(victim.crashed());
    resume();
    ASSERT_NO_FATAL_FAILURE(finish(1));

    const QList<WorkerTally> tallies = {tallyOf(userOf(0), victim.reports()),
                                        tallyOf(userOf(1), workers.at(1)->reports())};
    const WorkerTally& survivor = tallies.at(1);
    EXPECT_EQ(survivor.tries, survivorTries);
    EXPECT_TRUE(survivor.unexpected.isEmpty()) << survivor.unexpected.join(u'\n').toStdString();
    EXPECT_TRUE(tallies.at(0).unexpected.isEmpty()) << tallies.at(0).unexpected.join(u'\n').toStdString();

    // The survivor's last tries came after the kill: nobody else holds a
    // lock or changes a record any more.
    QStringList outcomes;
    for (const QString& line : workers.at(1)->reports()) {
        if (line.startsWith(QLatin1String("W ")) || line.startsWith(QLatin1String("R "))
            || line.startsWith(QLatin1String("X ")))
            outcomes << line;
    }
    for (const QString& outcome : outcomes.mid(outcomes.size() - aloneAtTheEnd))
        EXPECT_TRUE(outcome.startsWith(QLatin1String("W "))) << outcome.toStdString();

    // The change in flight at the kill may be committed without its report
    // and without its audit entry, never anything else.
    const int lost = checkCounters(tallies, 1);
    QList<AuditSentence> audit = newAuditEntries();
    const QList<AuditSentence> expected = expectedAuditEntries(tallies);
    for (const AuditSentence& entry : expected)
        EXPECT_TRUE(audit.removeOne(entry)) << "no audit entry " << entry.second.toStdString();
    EXPECT_LE(audit.size(), 1);
    for (const AuditSentence& extra : audit)
        EXPECT_EQ(extra.first, userOf(0)) << extra.second.toStdString();
    checkIntegrity();
    const int stale = staleLocks();

    std::printf("contention with a kill: killed after %d writes, survivor tries %d, written %d, refused %d, "
                "lost %d, stale locks %d\n",
                tallies.at(0).written, survivor.tries, survivor.written,
                survivor.refusedLocked + survivor.refusedChanged, lost, stale);
}

INSTANTIATE_TEST_SUITE_P(, ContentionTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return testBackendName(info.param).toStdString();
                         });

constexpr const char* holderDatabaseVariable = "UORDANE_LOCK_HOLDER_DATABASE";
constexpr const char* holderResumeFileVariable = "UORDANE_LOCK_HOLDER_RESUME";
const QString holderTest = "LockHolderWorker.StopsInTheMiddleOfItsConfirm";

// Not a test of its own: the body of the worker process of LockHolderTest.
// It changes category 1 to "n=1" through TCATEGOR and stops inside the
// confirm, with the record locked and its change written but not committed,
// until the resume file exists. It reports "HOLDING" when it stops, then "W"
// when the change was written, or "X" and what it was shown.
TEST(LockHolderWorker, StopsInTheMiddleOfItsConfirm)
{
    const QString where = qEnvironmentVariable(holderDatabaseVariable);
    if (where.isEmpty())
        GTEST_SKIP() << "only runs as the worker process of LockHolderTest";
    VBGlob::clear();
    VBGlob::put("Usuario", "PUESTO1");
    VBGlob::put("Permisos", "SSSSSSSMS");
    Database database(locationFromText(where));
    ASSERT_TRUE(database.open()) << database.errorText().toStdString();

    TransactionDecl declaration = TCATEGOR();
    const QString resumeFile = qEnvironmentVariable(holderResumeFileVariable);
    declaration.hooks.beforeStore += [resumeFile](Transaction&, RecordCursor&) {
        report("HOLDING");
        waitForFile(resumeFile);
    };
    ScriptedUi ui;
    Transaction form(declaration, database, ui);
    form.start("1", "UPD");
    form.setText(2, counterText(1));
    const bool written = form.confirm();
    report(written && ui.texts().isEmpty() ? QStringLiteral("W") : QStringLiteral("X ") + ui.texts().join(u'|'));
}

class LockHolderTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres) {
            if (const QString missing = testServerMissing(); !missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
            QString error;
            ASSERT_TRUE(server.create("contention", &error)) << error.toStdString();
            location = server.location();
        }
        ASSERT_NO_FATAL_FAILURE(createProgramDatabase(location));
        database = std::make_unique<Database>(location);
        ASSERT_TRUE(database->open()) << database->errorText().toStdString();
        QString error;
        ASSERT_TRUE(insertRow(*database, "CATEGORI",
                              {{"CatId", 1}, {"CatDesc", counterText(0)}}, &error))
            << error.toStdString();
        VBGlob::clear();
        VBGlob::put("Usuario", "PUESTO2");
        VBGlob::put("Permisos", "SSSSSSSMS");
    }

    void TearDown() override { VBGlob::clear(); }

    ServerTestDatabase server;
    TempFolder folder;
    DatabaseLocation location = DatabaseLocation::sqliteFile(folder.file(QString::fromLatin1(databaseFileName)));
    std::unique_ptr<Database> database;
};

TEST_P(LockHolderTest, AnotherProcessIsRefusedWhileTheLockIsHeldThenFindsTheRecordModified)
{
    WorkerProcess holder(holderTest, {{QString::fromLatin1(holderDatabaseVariable), locationText(location)},
                                      {QString::fromLatin1(holderResumeFileVariable), folder.file("resume")}});
    ASSERT_TRUE(holder.start());
    ASSERT_TRUE(holder.waitForReport("HOLDING", 60000)) << holder.transcript();

    // This workstation shows the category as it was committed and confirms
    // a change of its own while the other process holds the record.
    ScriptedUi ui;
    Transaction form(TCATEGOR(), *database, ui);
    form.start("1", "UPD");
    ASSERT_EQ(form.text(2), counterText(0));
    form.setText(2, counterText(5));
    EXPECT_FALSE(form.confirm());
    EXPECT_EQ(ui.texts(), QStringList{lockedText});

    folder.write("resume", "go");
    ASSERT_TRUE(holder.waitForReport("W", 60000)) << holder.transcript();
    ASSERT_TRUE(holder.waitForExit(30000));
    EXPECT_EQ(holder.exitCode(), 0) << holder.transcript();

    // The same screen, confirmed again, is now stale: nothing is written over
    // the other process's change.
    ui.clear();
    EXPECT_FALSE(form.confirm());
    EXPECT_EQ(ui.texts(), QStringList{modifiedText});
    EXPECT_EQ(categoryRows(*database).value(1), counterText(1));
}

INSTANTIATE_TEST_SUITE_P(Backends, LockHolderTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return testBackendName(info.param).toStdString();
                         });

}  // namespace
