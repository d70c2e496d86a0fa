// A workstation that dies mid-work must cost nothing committed, leave nothing
// half-written and hold no record lock. A worker process (this binary on
// CrashWorker.*) adds, changes and deletes categories through the record
// layer, each change in its own begin/commit followed by the synchronisation
// mark and the audit entry, as a transaction does; it reports each step once
// the step returned. The test SIGKILLs it at random moments and after each kill
// checks the database on a fresh connection: integrity_check is "ok"; every
// category is as the reported changes left it, the change in flight wholly
// there or wholly absent; every reported audit entry is whole, the one in
// flight missing or a prefix of its lines, no other entry changed; every
// category and parameter row can be locked.
//
// Default: 15 kills. Longer: UORDANE_CRASH_SECONDS=300 (or tools/reliability.sh
// 300); UORDANE_CRASH_KILLS sets the kills, UORDANE_CRASH_SEED repeats a run's
// random choices (printed at the end), not the exact timing of its kills.
#include "reliability_fixture.h"

#include "data/parameters.h"
#include "engine/audit.h"
#include "engine/synchronisation.h"
#include "startup/vbglob.h"
#include "support/line_split.h"
#include "support/ui_port.h"
#include "temp_folder.h"

#include <QDate>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>

#include <optional>

using namespace reliability;

namespace {

// The worker's role, given through its environment.
constexpr const char* workerDatabaseVariable = "UORDANE_CRASH_WORKER_DATABASE";
constexpr const char* workerSeedVariable = "UORDANE_CRASH_WORKER_SEED";
constexpr const char* workerFirstChangeVariable = "UORDANE_CRASH_WORKER_FIRST";
const QString workerTest = "CrashWorker.WritesCategoriesAndAuditUntilKilled";
const QString workerUser = "operador";
/// A worker that is never killed stops by itself after this long.
constexpr qint64 workerLifetimeMilliseconds = 120000;
/// Category numbers the worker uses: few enough that changes and deletes
/// keep meeting rows it wrote in earlier lives.
constexpr int highestCategory = 24;

enum class Operation { Add, Change, Pair, Delete };

/// One change of the worker: what it does to which categories. The
/// descriptions and the audit text follow from the sequence number, so the
/// test knows them without being told.
struct CategoryChange {
    int sequence = 0;
    Operation operation = Operation::Add;
    int first = 0;
    int second = 0;  ///< Pair only
};

QString operationCode(Operation operation)
{
    switch (operation) {
    case Operation::Add:
        return "ADD";
    case Operation::Change:
        return "CHG";
    case Operation::Pair:
        return "PAR";
    case Operation::Delete:
        return "DEL";
    }
    return {};
}

std::optional<Operation> operationFromCode(const QString& code)
{
    for (Operation operation : {Operation::Add, Operation::Change, Operation::Pair, Operation::Delete}) {
        if (operationCode(operation) == code)
            return operation;
    }
    return std::nullopt;
}

/// The description change `sequence` gives to its `which`-th row (1 or 2).
QString descriptionOf(int sequence, int which)
{
    return QStringLiteral("Cambio %1/%2").arg(sequence).arg(which);
}

/// The audit text of change `sequence`: one to four lines of 200 characters,
/// so that a kill can cut an entry between its lines.
QString auditTextOf(int sequence)
{
    QString text = QStringLiteral("Modifica categorías, cambio %1:").arg(sequence);
    const int words = 5 + (sequence % 4) * 22;
    for (int word = 1; word <= words; ++word)
        text += QStringLiteral(" palabra%1").arg(word, 2, 10, QLatin1Char('0'));
    return text;
}

/// The categories after `change`.
void apply(QMap<int, QString>& rows, const CategoryChange& change)
{
    switch (change.operation) {
    case Operation::Add:
    case Operation::Change:
        rows[change.first] = descriptionOf(change.sequence, 1);
        return;
    case Operation::Pair:
        rows[change.first] = descriptionOf(change.sequence, 1);
        rows[change.second] = descriptionOf(change.sequence, 2);
        return;
    case Operation::Delete:
        rows.remove(change.first);
        return;
    }
}

QString intentLine(const CategoryChange& change)
{
    return QStringLiteral("I %1 %2 %3 %4")
        .arg(change.sequence)
        .arg(operationCode(change.operation))
        .arg(change.first)
        .arg(change.second);
}

std::optional<CategoryChange> changeFromIntent(const QString& line)
{
    const QStringList parts = line.split(u' ');
    if (parts.size() != 5 || parts.at(0) != QLatin1String("I"))
        return std::nullopt;
    const std::optional<Operation> operation = operationFromCode(parts.at(2));
    if (!operation)
        return std::nullopt;
    return CategoryChange{parts.at(1).toInt(), *operation, parts.at(3).toInt(), parts.at(4).toInt()};
}

// ---------------------------------------------------------------------------
// The worker

/// A change that fits the categories as they stand: adds while there are
/// few, otherwise a mix of changes, two-row changes and deletes.
CategoryChange chooseChange(const QMap<int, QString>& rows, QRandomGenerator& random, int sequence)
{
    const QList<int> present = rows.keys();
    const bool canAdd = present.size() < highestCategory;
    const int roll = random.bounded(100);
    if (present.size() < 4 || (canAdd && roll < 30)) {
        int number = 1 + random.bounded(highestCategory);
        while (rows.contains(number))
            number = number % highestCategory + 1;
        return {sequence, Operation::Add, number, 0};
    }
    const int first = present.at(random.bounded(int(present.size())));
    if (roll < 50) {
        int second = present.at(random.bounded(int(present.size())));
        while (second == first)
            second = present.at(random.bounded(int(present.size())));
        return {sequence, Operation::Pair, first, second};
    }
    if (roll < 70)
        return {sequence, Operation::Delete, first, 0};
    return {sequence, Operation::Change, first, 0};
}

/// Positions `cursor` on category `number` and locks it.
DbError editCategory(TableCursor& cursor, int number)
{
    if (DbError error = cursor.seek(Comparison::Equal, {number}))
        return error;
    if (cursor.noMatch())
        return DbError::make(DbErrorNumber::NoCurrentRecord, QStringLiteral("No existe la categoría %1").arg(number));
    return cursor.edit();
}

/// Writes `change` through the record layer in one database transaction.
DbError perform(Database& database, TableCursor& categories, TableCursor& partner, const CategoryChange& change)
{
    const QString description = descriptionOf(change.sequence, 1);
    switch (change.operation) {
    case Operation::Add: {
        categories.addNew();
        if (DbError error = database.beginTransaction())
            return error;
        categories.setValue("CatId", change.first);
        categories.setValue("CatDesc", description);
        if (DbError error = categories.update())
            return error;
        return database.commit();
    }
    case Operation::Change: {
        if (DbError error = editCategory(categories, change.first))
            return error;
        if (DbError error = database.beginTransaction())
            return error;
        categories.setValue("CatDesc", description);
        if (DbError error = categories.update())
            return error;
        return database.commit();
    }
    case Operation::Pair: {
        if (DbError error = editCategory(categories, change.first))
            return error;
        if (DbError error = editCategory(partner, change.second))
            return error;
        if (DbError error = database.beginTransaction())
            return error;
        categories.setValue("CatDesc", description);
        if (DbError error = categories.update())
            return error;
        partner.setValue("CatDesc", descriptionOf(change.sequence, 2));
        if (DbError error = partner.update())
            return error;
        return database.commit();
    }
    case Operation::Delete: {
        if (DbError error = categories.seek(Comparison::Equal, {change.first}))
            return error;
        if (DbError error = database.beginTransaction())
            return error;
        if (DbError error = categories.remove())
            return error;
        return database.commit();
    }
    }
    return {};
}

// Not a test of its own: the body of the worker process of the crash test.
// It writes until it is killed, reporting each step after it returned:
//   "READY"                 the database is open
//   "I seq op first second" change `seq` is about to start
//   "C seq"                 its commit returned
//   "A seq correlative"     its audit entry is written, under `correlative`
//   "E seq text"            a step failed (the test fails)
TEST(CrashWorker, WritesCategoriesAndAuditUntilKilled)
{
    const QString file = qEnvironmentVariable(workerDatabaseVariable);
    if (file.isEmpty())
        GTEST_SKIP() << "only runs as the worker process of the crash test";
    VBGlob::put("Usuario", workerUser);
    Database database(DatabaseLocation::sqliteFile(file));
    if (!database.open()) {
        report(QStringLiteral("E 0 ") + database.errorText());
        FAIL() << database.errorText().toStdString();
    }
    TableCursor categories(database);
    TableCursor partner(database);
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    ASSERT_TRUE(partner.open("CATEGORI").ok());
    QMap<int, QString> rows = categoryRows(database);
    QRandomGenerator random(quint32(environmentNumber(workerSeedVariable, 1)));
    SilentUiPort ui;
    report("READY");

    QElapsedTimer alive;
    alive.start();
    for (int sequence = int(environmentNumber(workerFirstChangeVariable, 1));
         alive.elapsed() < workerLifetimeMilliseconds; ++sequence) {
        const CategoryChange change = chooseChange(rows, random, sequence);
        report(intentLine(change));
        if (DbError error = perform(database, categories, partner, change)) {
            report(QStringLiteral("E %1 ").arg(sequence) + error.fullText());
            FAIL() << error.fullText().toStdString();
        }
        apply(rows, change);
        report(QStringLiteral("C %1").arg(sequence));

        if (DbError error = markSynchronisedChange(database, ui)) {
            report(QStringLiteral("E %1 ").arg(sequence) + error.fullText());
            FAIL() << error.fullText().toStdString();
        }
        AuditEntry entry(database, AuditArea::Tables, auditTextOf(sequence));
        if (DbError error = entry.write()) {
            report(QStringLiteral("E %1 ").arg(sequence) + error.fullText());
            FAIL() << error.fullText().toStdString();
        }
        report(QStringLiteral("A %1 %2").arg(sequence).arg(qint64(entry.correlative())));
    }
    report("END");
}

// ---------------------------------------------------------------------------
// The test

/// What one life of the worker reported.
struct WorkerLife {
    QList<CategoryChange> started;
    QSet<int> committed;
    QMap<int, double> audited;  ///< sequence -> correlative
    QStringList errors;
    int lastSequence = 0;
};

WorkerLife readLife(const QStringList& reports)
{
    WorkerLife life;
    for (const QString& line : reports) {
        const QStringList parts = line.split(u' ');
        const QString kind = parts.first();
        if (kind == QLatin1String("I")) {
            const std::optional<CategoryChange> change = changeFromIntent(line);
            if (!change) {
                life.errors << QStringLiteral("línea ilegible: ") + line;
                continue;
            }
            life.started << *change;
            life.lastSequence = change->sequence;
        } else if (kind == QLatin1String("C") && parts.size() == 2) {
            life.committed << parts.at(1).toInt();
        } else if (kind == QLatin1String("A") && parts.size() == 3) {
            life.audited.insert(parts.at(1).toInt(), parts.at(2).toDouble());
        } else if (kind == QLatin1String("E") || kind == QLatin1String("END")) {
            life.errors << line;
        }
    }
    return life;
}

/// Counts over the whole run, printed at its end.
struct CrashTally {
    int kills = 0;
    int killsDuringStartUp = 0;
    int killsOnChange = 0;
    int integrityPassed = 0;
    int committedChanges = 0;
    int changesInFlight = 0;
    int inFlightLanded = 0;
    int entriesCutShort = 0;
    int lostChanges = 0;
    int halfWritten = 0;
    int staleLocks = 0;
};

/// The state the database had after the last check; each life starts there.
struct Baseline {
    QMap<int, QString> categories;
    AuditTrail trail;
    int nextSequence = 1;
};

QString describe(const QMap<int, QString>& rows)
{
    QStringList items;
    for (auto row = rows.begin(); row != rows.end(); ++row)
        items << QStringLiteral("%1=%2").arg(row.key()).arg(row.value());
    return items.join(", ");
}

/// Whether `rows` are the first lines of an entry with `lines`: lines 1..k,
/// each with its text, by the worker's user in the tables area.
bool isPrefixOf(const QList<AuditRow>& rows, const QStringList& lines)
{
    const QList<AuditRow> whole = auditRows(lines, workerUser.toUpper(), AuditArea::Tables);
    return !rows.isEmpty() && rows.size() <= whole.size() && rows == whole.mid(0, rows.size());
}

/// Checks the categories against the reported changes of one life.
void checkCategories(Database& database, const Baseline& baseline, const WorkerLife& life, CrashTally& tally)
{
    QMap<int, QString> committed = baseline.categories;
    std::optional<CategoryChange> inFlight;
    for (const CategoryChange& change : life.started) {
        if (life.committed.contains(change.sequence)) {
            EXPECT_FALSE(inFlight) << "change " << change.sequence << " committed after an unfinished one";
            apply(committed, change);
            ++tally.committedChanges;
            continue;
        }
        EXPECT_FALSE(inFlight) << "two changes in flight at once";
        inFlight = change;
    }
    const QMap<int, QString> actual = categoryRows(database);
    if (actual == committed)
        return;
    if (inFlight) {
        QMap<int, QString> landed = committed;
        apply(landed, *inFlight);
        if (actual == landed) {
            ++tally.inFlightLanded;
            return;
        }
    }
    // Rows of the change in flight that differ are a change half-written;
    // any other row that differs is a committed change lost.
    const QList<int> inFlightRows = inFlight ? QList<int>{inFlight->first, inFlight->second} : QList<int>{};
    QList<int> keys = committed.keys() + actual.keys();
    for (int key : QSet<int>(keys.begin(), keys.end())) {
        if (committed.value(key, "<ninguna>") == actual.value(key, "<ninguna>"))
            continue;
        (inFlightRows.contains(key) ? tally.halfWritten : tally.lostChanges) += 1;
    }
    ADD_FAILURE() << "categories after the kill: " << describe(actual).toStdString()
                  << "\nexpected: " << describe(committed).toStdString()
                  << (inFlight ? "\nor the same with change " + std::to_string(inFlight->sequence) + " applied"
                               : std::string());
}

/// Checks the audit trail: earlier entries kept, reported entries whole, at
/// most the entry in flight cut short.
void checkAudit(Database& database, const Baseline& baseline, const WorkerLife& life, CrashTally& tally)
{
    const AuditTrail trail = auditTrail(database);
    for (auto entry = baseline.trail.begin(); entry != baseline.trail.end(); ++entry) {
        if (trail.value(entry.key()) == entry.value())
            continue;
        ++tally.lostChanges;
        ADD_FAILURE() << "audit entry " << entry.key() << " changed after the kill";
    }

    // The change committed last may still lack its entry; every other
    // committed change has one, whole.
    std::optional<int> entryInFlight;
    QSet<double> reported;
    for (const CategoryChange& change : life.started) {
        if (!life.committed.contains(change.sequence))
            continue;
        if (!life.audited.contains(change.sequence)) {
            EXPECT_FALSE(entryInFlight) << "change " << *entryInFlight << " committed without its audit entry";
            entryInFlight = change.sequence;
            continue;
        }
        const double correlative = life.audited.value(change.sequence);
        reported << correlative;
        const QList<AuditRow> expected =
            auditRows(splitLines(auditTextOf(change.sequence), auditLineWidth), workerUser.toUpper(),
                      AuditArea::Tables);
        if (trail.value(correlative) == expected)
            continue;
        ++tally.halfWritten;
        ADD_FAILURE() << "audit entry " << correlative << " of change " << change.sequence << " has "
                      << trail.value(correlative).size() << " of its " << expected.size() << " lines or other texts";
    }

    for (auto entry = trail.begin(); entry != trail.end(); ++entry) {
        if (baseline.trail.contains(entry.key()) || reported.contains(entry.key()))
            continue;
        const QStringList lines =
            entryInFlight ? splitLines(auditTextOf(*entryInFlight), auditLineWidth) : QStringList();
        if (entryInFlight && isPrefixOf(entry.value(), lines)) {
            tally.entriesCutShort += entry.value().size() < lines.size() ? 1 : 0;
            entryInFlight.reset();  // only one entry may be in flight
            continue;
        }
        ++tally.halfWritten;
        QStringList texts;
        for (const AuditRow& row : entry.value())
            texts << QStringLiteral("%1:%2").arg(row.line).arg(row.text.left(40));
        ADD_FAILURE() << "audit entry " << entry.key() << " is no whole entry nor a prefix of the one in flight: "
                      << texts.join(" | ").toStdString();
    }
}

/// The synchronisation mark, once written, holds a day as "dd/mm/yy".
void checkMark(Database& database, const CrashTally& tally)
{
    QString mark;
    const bool found = PPARLC(database, "SincroAuto", "UltModific", 0, mark);
    if (tally.committedChanges == 0 && !found)
        return;
    EXPECT_TRUE(found) << "no synchronisation mark after committed changes";
    EXPECT_TRUE(QDate::fromString(mark, "dd/MM/yy").isValid()) << mark.toStdString();
}

void checkLocks(Database& database, CrashTally& tally)
{
    QStringList held;
    tally.staleLocks += heldLocks(database, "CATEGORI", &held);
    tally.staleLocks += heldLocks(database, "PARAMETR", &held);
    EXPECT_TRUE(held.isEmpty()) << held.join(u'\n').toStdString();
}

/// When the worker is killed. Random delays land mostly in the audit entry
/// and the mark, which take most of the worker's time; a kill that follows
/// the report of a change's start closely lands inside the change itself.
struct KillMoment {
    enum Kind { DuringStartUp, AfterReady, OnChangeStarted } kind = AfterReady;
    int amount = 0;        ///< milliseconds, or the change to wait for
    int microseconds = 0;  ///< OnChangeStarted: a further pause
};

KillMoment chooseKillMoment(QRandomGenerator& random)
{
    const int roll = random.bounded(6);
    if (roll == 0)
        return {KillMoment::DuringStartUp, random.bounded(40), 0};
    if (roll <= 2)
        return {KillMoment::AfterReady, 2 + random.bounded(299), 0};
    return {KillMoment::OnChangeStarted, 1 + random.bounded(150), random.bounded(400)};
}

/// Waits `microseconds` without giving up the processor.
void spin(int microseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < qint64(microseconds) * 1000) {
    }
}

/// How the run is bounded: by time when UORDANE_CRASH_SECONDS is set, else
/// by a number of kills.
struct CrashBudget {
    qint64 seconds = environmentNumber("UORDANE_CRASH_SECONDS", 0);
    qint64 kills = environmentNumber("UORDANE_CRASH_KILLS", 15);

    bool spent(const QElapsedTimer& elapsed, int killsDone) const
    {
        if (seconds > 0)
            return elapsed.elapsed() >= seconds * 1000;
        return killsDone >= kills;
    }
};

/// One life of the worker: started on `file`, killed at a moment chosen
/// with `random`, then the database checked against what it reported.
void liveAndDie(const QString& file, QRandomGenerator& random, quint32 seed, Baseline& baseline, CrashTally& tally)
{
    WorkerProcess worker(workerTest, {{QString::fromLatin1(workerDatabaseVariable), file},
                                      {QString::fromLatin1(workerSeedVariable), QString::number(random.generate())},
                                      {QString::fromLatin1(workerFirstChangeVariable),
                                       QString::number(baseline.nextSequence)}});
    ASSERT_TRUE(worker.start());
    const KillMoment moment = chooseKillMoment(random);
    QString when;
    switch (moment.kind) {
    case KillMoment::DuringStartUp:
        worker.readUntil(QDeadlineTimer(moment.amount));
        when = QStringLiteral("%1 ms after start").arg(moment.amount);
        ++tally.killsDuringStartUp;
        break;
    case KillMoment::AfterReady:
        ASSERT_TRUE(worker.waitForReport("READY", 30000)) << worker.transcript();
        worker.readUntil(QDeadlineTimer(moment.amount));
        when = QStringLiteral("%1 ms after READY").arg(moment.amount);
        break;
    case KillMoment::OnChangeStarted:
        ASSERT_TRUE(worker.waitForReports("I ", moment.amount, 30000)) << worker.transcript();
        spin(moment.microseconds);
        when = QStringLiteral("%1 us after change %2 began").arg(moment.microseconds).arg(moment.amount);
        ++tally.killsOnChange;
        break;
    }
    worker.kill();
    ++tally.kills;
    SCOPED_TRACE(QStringLiteral("kill %1, %2, seed %3").arg(tally.kills).arg(when).arg(seed).toStdString());
    EXPECT_TRUE(worker.crashed()) << "the worker ended before it was killed:\n" << worker.transcript();

    const WorkerLife life = readLife(worker.reports());
    EXPECT_TRUE(life.errors.isEmpty()) << life.errors.join(u'\n').toStdString() << "\n" << worker.transcript();
    tally.changesInFlight += !life.started.isEmpty() && !life.committed.contains(life.lastSequence);

    Database fresh(DatabaseLocation::sqliteFile(file));
    ASSERT_TRUE(fresh.open()) << fresh.errorText().toStdString();
    const QString integrity = integrityCheck(fresh);
    EXPECT_EQ(integrity, "ok");
    tally.integrityPassed += integrity == QLatin1String("ok");
    checkCategories(fresh, baseline, life, tally);
    checkAudit(fresh, baseline, life, tally);
    checkMark(fresh, tally);
    checkLocks(fresh, tally);

    baseline.categories = categoryRows(fresh);
    baseline.trail = auditTrail(fresh);
    baseline.nextSequence = std::max(baseline.nextSequence, life.lastSequence + 1);
}

TEST(CrashTest, AWriterKilledAtRandomMomentsLosesNothingCommittedAndLeavesNoLock)
{
    TempFolder folder;
    const QString file = folder.file(QString::fromLatin1(databaseFileName));
    ASSERT_NO_FATAL_FAILURE(createProgramDatabase(file));

    const quint32 seed = quint32(environmentNumber("UORDANE_CRASH_SEED", QRandomGenerator::global()->generate()));
    QRandomGenerator random(seed);
    const CrashBudget budget;
    CrashTally tally;
    Baseline baseline;
    {
        Database database(DatabaseLocation::sqliteFile(file));
        ASSERT_TRUE(database.open());
        baseline.categories = categoryRows(database);
        baseline.trail = auditTrail(database);
    }

    QElapsedTimer elapsed;
    elapsed.start();
    // The summary is printed however the run ends.
    while (!budget.spent(elapsed, tally.kills) && !::testing::Test::HasFailure())
        liveAndDie(file, random, seed, baseline, tally);

    std::printf("crash test: kills %d (%d during start-up, %d just after a change began), "
                "integrity checks passed %d, committed changes %d, "
                "changes in flight %d (landed %d), audit entries cut short %d, lost changes %d, "
                "half-written %d, stale locks %d, %lld s, seed %u\n",
                tally.kills, tally.killsDuringStartUp, tally.killsOnChange, tally.integrityPassed,
                tally.committedChanges,
                tally.changesInFlight, tally.inFlightLanded, tally.entriesCutShort, tally.lostChanges,
                tally.halfWritten, tally.staleLocks, static_cast<long long>(elapsed.elapsed() / 1000), seed);
    EXPECT_EQ(tally.integrityPassed, tally.kills);
    EXPECT_EQ(tally.lostChanges, 0);
    EXPECT_EQ(tally.halfWritten, 0);
    EXPECT_EQ(tally.staleLocks, 0);
    EXPECT_GT(tally.committedChanges, 0) << "the worker never got to write";
}

}  // namespace
