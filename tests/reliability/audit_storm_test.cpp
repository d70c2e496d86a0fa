// Two workstations writing audit entries as fast as they can. Both keep
// finding the same highest correlative, so the unique index refuses one of
// them again and again; the refused writer takes the next correlative and
// writes its entry again. Every entry must end whole, under a correlative of
// its own, its lines never mixed with the other workstation's.
#include "reliability_fixture.h"

#include "engine/audit.h"
#include "startup/vbglob.h"
#include "support/line_split.h"
#include "temp_folder.h"

#include <QSet>

using namespace reliability;

namespace {

constexpr const char* workerDatabaseVariable = "UORDANE_AUDIT_STORM_DATABASE";
constexpr const char* workerUserVariable = "UORDANE_AUDIT_STORM_USER";
constexpr const char* workerEntriesVariable = "UORDANE_AUDIT_STORM_ENTRIES";
constexpr const char* workerStartFileVariable = "UORDANE_AUDIT_STORM_START";
const QString workerTest = "AuditStormWorker.WritesEntriesAsFastAsItCan";
constexpr int entriesPerWorker = 80;

/// Entry `number` of `user`: one to three lines, each naming its writer, so
/// that a line stored under another entry's correlative shows.
QString stormText(const QString& user, int number)
{
    QString text = QStringLiteral("Entrada %1 de %2:").arg(number).arg(user);
    const int words = 10 + (number % 3) * 25;
    for (int word = 1; word <= words; ++word)
        text += QStringLiteral(" %1-%2").arg(user).arg(word);
    return text;
}

// Not a test of its own: the body of a worker process of the audit storm.
// Reports "A number correlative" after each entry is written, then "T
// number" when the entry had to take another correlative than the one it
// prepared, "X number text" when one fails, "DONE" at the end.
TEST(AuditStormWorker, WritesEntriesAsFastAsItCan)
{
    const QString file = qEnvironmentVariable(workerDatabaseVariable);
    if (file.isEmpty())
        GTEST_SKIP() << "only runs as a worker process of the audit storm test";
    const QString user = qEnvironmentVariable(workerUserVariable);
    VBGlob::put("Usuario", user);
    Database database(DatabaseLocation::sqliteFile(file));
    ASSERT_TRUE(database.open()) << database.errorText().toStdString();
    report("READY");
    waitForFile(qEnvironmentVariable(workerStartFileVariable));

    const int entries = int(environmentNumber(workerEntriesVariable, 0));
    for (int number = 1; number <= entries; ++number) {
        AuditEntry entry(database, AuditArea::Tables, stormText(user, number));
        DbError error = entry.prepare();
        const double prepared = entry.correlative();
        if (!error)
            error = entry.write();
        if (error) {
            report(QStringLiteral("X %1 ").arg(number) + error.fullText());
            continue;
        }
        report(QStringLiteral("A %1 %2").arg(number).arg(qint64(entry.correlative())));
        if (entry.correlative() != prepared)
            report(QStringLiteral("T %1").arg(number));
    }
    report("DONE");
}

TEST(AuditStormTest, TwoWorkstationsWritingAtOnceKeepEveryEntryWhole)
{
    TempFolder folder;
    const QString file = folder.file(QString::fromLatin1(databaseFileName));
    ASSERT_NO_FATAL_FAILURE(createProgramDatabase(file));
    Database database(DatabaseLocation::sqliteFile(file));
    ASSERT_TRUE(database.open());
    const AuditTrail before = auditTrail(database);

    const QStringList users = {"PUESTO1", "PUESTO2"};
    const QString startFile = folder.file("start");
    std::vector<std::unique_ptr<WorkerProcess>> workers;
    for (const QString& user : users) {
        workers.push_back(std::make_unique<WorkerProcess>(
            workerTest, QMap<QString, QString>{{QString::fromLatin1(workerDatabaseVariable), file},
                                               {QString::fromLatin1(workerUserVariable), user},
                                               {QString::fromLatin1(workerEntriesVariable),
                                                QString::number(entriesPerWorker)},
                                               {QString::fromLatin1(workerStartFileVariable), startFile}}));
        ASSERT_TRUE(workers.back()->start());
    }
    for (auto& worker : workers)
        ASSERT_TRUE(worker->waitForReport("READY", 30000)) << worker->transcript();
    folder.write("start", "go");

    for (auto& worker : workers) {
        ASSERT_TRUE(worker->waitForReport("DONE", 120000)) << worker->transcript();
        ASSERT_TRUE(worker->waitForExit(30000));
    }

    // Each reported entry stands whole under a correlative of its own.
    const AuditTrail after = auditTrail(database);
    QSet<double> reported;
    int failed = 0;
    int retaken = 0;
    for (int index = 0; index < int(workers.size()); ++index) {
        for (const QString& line : workers.at(index)->reports()) {
            const QStringList parts = line.split(u' ');
            if (parts.first() == QLatin1String("X")) {
                ++failed;
                ADD_FAILURE() << users.at(index).toStdString() << ": " << line.toStdString();
                continue;
            }
            retaken += parts.first() == QLatin1String("T");
            if (parts.first() != QLatin1String("A") || parts.size() != 3)
                continue;
            const double correlative = parts.at(2).toDouble();
            EXPECT_FALSE(reported.contains(correlative)) << "correlative " << correlative << " reported twice";
            reported << correlative;
            const QStringList lines = splitLines(stormText(users.at(index), parts.at(1).toInt()), auditLineWidth);
            EXPECT_EQ(after.value(correlative), auditRows(lines, users.at(index), AuditArea::Tables))
                << "entry " << parts.at(1).toStdString() << " of " << users.at(index).toStdString()
                << " under correlative " << correlative;
        }
    }

    // Nothing but the reported entries was added.
    int added = 0;
    for (auto entry = after.begin(); entry != after.end(); ++entry) {
        if (before.contains(entry.key()))
            continue;
        ++added;
        EXPECT_TRUE(reported.contains(entry.key())) << "unreported entry under correlative " << entry.key();
    }
    EXPECT_EQ(added, 2 * entriesPerWorker);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(integrityCheck(database), "ok");
    std::printf("audit storm: entries written %d of %d, failed %d, written again under another correlative %d\n",
                added, 2 * entriesPerWorker, failed, retaken);
}

}  // namespace
