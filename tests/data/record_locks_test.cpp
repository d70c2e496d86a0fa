#include "data_fixture.h"

#include "data/lock_wait.h"
#include "data/record_locks.h"
#include "scripted_ui.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace {

const QString catDesc = "CatDesc";
/// Set in the environment of the helper process: the database whose
/// category 1 it locks, an SQLite file or "postgres:" and a database name
/// on the test server.
const char* helperVariable = "UORDANE_LOCK_HELPER_DATABASE";
const QString serverPrefix = "postgres:";

}  // namespace

class RecordLocksTest : public BackendDataTest {
protected:
    void SetUp() override
    {
        BackendDataTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addCategory(db(), 1, "Peones");
        addCategory(db(), 2, "Oficiales");
    }

    /// A cursor of `database` standing on category `id`.
    static std::unique_ptr<TableCursor> onCategory(Database& database, int id)
    {
        auto cursor = std::make_unique<TableCursor>(database);
        EXPECT_TRUE(cursor->open("CATEGORI").ok());
        EXPECT_TRUE(cursor->seek(Comparison::Equal, {id}).ok());
        EXPECT_TRUE(cursor->hasCurrent());
        return cursor;
    }
};

TEST_P(RecordLocksTest, ASecondWorkstationCannotEditARecordTheFirstHolds)
{
    auto second = openSecond();
    auto first = onCategory(db(), 1);
    auto other = onCategory(*second, 1);

    ASSERT_TRUE(first->edit().ok());
    const DbError refused = other->edit();
    EXPECT_EQ(refused.number, DbErrorNumber::LockedByAnotherWorkstation);
    EXPECT_TRUE(isLockConflict(refused.number));
    EXPECT_EQ(other->editMode(), EditMode::None);
    // Nor delete it.
    EXPECT_EQ(other->remove().number, DbErrorNumber::LockedByAnotherWorkstation);
    EXPECT_EQ(countRows("CATEGORI"), 2);

    // Another record is free.
    auto neighbour = onCategory(*second, 2);
    EXPECT_TRUE(neighbour->edit().ok());
    neighbour->cancelUpdate();

    // Once the first writes, the second edits what the first wrote.
    first->setValue(catDesc, "Peones rurales");
    ASSERT_TRUE(first->update().ok());
    ASSERT_TRUE(other->edit().ok());
    EXPECT_EQ(other->text(catDesc), "Peones rurales");
}

TEST_P(RecordLocksTest, CancelCloseAndTheLastCursorOfAConnectionReleaseTheLock)
{
    auto second = openSecond();
    auto other = onCategory(*second, 1);

    auto first = onCategory(db(), 1);
    ASSERT_TRUE(first->edit().ok());
    first->cancelUpdate();
    EXPECT_TRUE(other->edit().ok());
    other->cancelUpdate();

    ASSERT_TRUE(first->edit().ok());
    first->close();
    EXPECT_TRUE(other->edit().ok());
    other->cancelUpdate();

    ASSERT_TRUE(first->open("CATEGORI").ok());
    first->seek(Comparison::Equal, {1});
    ASSERT_TRUE(first->edit().ok());
    first.reset();  // destroyed while editing
    EXPECT_TRUE(other->edit().ok());
    other->cancelUpdate();

    // Two cursors of one connection share the lock until both let go.
    auto one = onCategory(db(), 1);
    auto again = onCategory(db(), 1);
    ASSERT_TRUE(one->edit().ok());
    ASSERT_TRUE(again->edit().ok());
    one->setValue(catDesc, "Uno");
    ASSERT_TRUE(one->update().ok());
    EXPECT_EQ(other->edit().number, DbErrorNumber::LockedByAnotherWorkstation);
    again->cancelUpdate();
    EXPECT_TRUE(other->edit().ok());
}

TEST_P(RecordLocksTest, TheLockWaitRoutineWaitsUntilTheOtherWorkstationWrites)
{
    auto second = openSecond();
    auto holder = onCategory(*second, 1);
    ASSERT_TRUE(holder->edit().ok());

    ScriptedUi ui;
    int rounds = 0;
    ui.onProcessEvents([&] {
        // The other workstation writes while we wait.
        if (++rounds == 3 && holder->editMode() == EditMode::Editing) {
            holder->setValue(catDesc, "Escrito por el otro");
            ASSERT_TRUE(holder->update().ok());
        }
    });

    auto waiter = onCategory(db(), 1);
    DbError failure;
    EXPECT_TRUE(editWaitingForLock(*waiter, ui, &failure, 30));
    EXPECT_TRUE(failure.ok());
    EXPECT_EQ(waiter->editMode(), EditMode::Editing);
    EXPECT_EQ(waiter->text(catDesc), "Escrito por el otro");
    EXPECT_GE(ui.processEventsCount(), 3);
    EXPECT_TRUE(ui.texts().isEmpty());

    // A free record is locked at once: no wait, no events.
    ScriptedUi quiet;
    auto free = onCategory(db(), 2);
    EXPECT_FALSE(editWaitingForLock(*free, quiet, &failure, 30));
    EXPECT_EQ(free->editMode(), EditMode::Editing);
    EXPECT_EQ(quiet.processEventsCount(), 0);
}

TEST_P(RecordLocksTest, TheLockWaitRoutineGivesUpOnOtherErrors)
{
    ScriptedUi ui;
    TableCursor categories(db());
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    categories.seek(Comparison::Equal, {99});
    DbError failure;
    EXPECT_FALSE(editWaitingForLock(categories, ui, &failure, 30));
    EXPECT_EQ(failure.number, DbErrorNumber::NoCurrentRecord);
    EXPECT_EQ(categories.editMode(), EditMode::None);
    EXPECT_EQ(ui.processEventsCount(), 0);
}

TEST_P(RecordLocksTest, EditRereadsTheRecordAndReportsOneDeletedMeanwhile)
{
    auto second = openSecond();
    auto reader = onCategory(db(), 1);
    ASSERT_TRUE(second->execute("UPDATE CATEGORI SET CatDesc = ? WHERE CatId = ?", {"Cambiada", 1}).ok());
    ASSERT_TRUE(reader->edit().ok());
    EXPECT_EQ(reader->text(catDesc), "Cambiada");
    reader->cancelUpdate();

    ASSERT_TRUE(second->execute("DELETE * FROM [CATEGORI] WHERE [CatId] = ?", {1}).ok());
    EXPECT_EQ(reader->edit().number, DbErrorNumber::ChangedByAnotherUser);
    EXPECT_EQ(reader->editMode(), EditMode::None);
    // The lock of the vanished record is not left behind.
    addCategory(*second, 1, "Otra vez");
    auto fresh = onCategory(*second, 1);
    EXPECT_TRUE(fresh->edit().ok());
}

TEST_P(RecordLocksTest, ALockKeyDependsOnTableAndValuesNotOnHowTheyAreTyped)
{
    EXPECT_EQ(recordLockKey("CATEGORI", {7}), recordLockKey("categori", {7.0}));
    EXPECT_EQ(recordLockKey("CATEGORI", {7}), recordLockKey("CATEGORI", {qint64(7)}));
    EXPECT_NE(recordLockKey("CATEGORI", {7}), recordLockKey("CARGOS", {7}));
    EXPECT_NE(recordLockKey("T", {"AB", "C"}), recordLockKey("T", {"A", "BC"}));
    EXPECT_NE(recordLockKey("T", {1, 2}), recordLockKey("T", {2, 1}));
}

// Not a test of its own: the body of the helper process of the test below.
// It locks category 1 of the database named in its environment, says so, and
// waits to be killed.
TEST(RecordLocksHelper, HoldCategoryLockUntilKilled)
{
    const QString file = qEnvironmentVariable(helperVariable);
    if (file.isEmpty())
        GTEST_SKIP() << "only runs as the helper process of another test";
    Database database(file.startsWith(serverPrefix) ? testServerLocation(file.mid(serverPrefix.size()))
                                                     : DatabaseLocation::sqliteFile(file));
    ASSERT_TRUE(database.open()) << qPrintable(database.errorText());
    TableCursor categories(database);
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());
    ASSERT_TRUE(categories.edit().ok());
    std::printf("\nLOCKED\n");
    std::fflush(stdout);
    QThread::sleep(120);
}

TEST_P(RecordLocksTest, ALockOfAProcessKilledWithSigkillIsFreeAgain)
{
    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(helperVariable),
                       backend() == Backend::Postgres ? serverPrefix + location().database : databaseFile());
    helper.setProcessEnvironment(environment);
    helper.setProcessChannelMode(QProcess::SeparateChannels);
    helper.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=RecordLocksHelper.HoldCategoryLockUntilKilled"});
    ASSERT_TRUE(helper.waitForStarted(10000));
    QByteArray output;
    while (!output.contains("LOCKED") && helper.waitForReadyRead(20000))
        output += helper.readAllStandardOutput();
    ASSERT_TRUE(output.contains("LOCKED")) << output.constData();

    auto mine = onCategory(db(), 1);
    EXPECT_EQ(mine->edit().number, DbErrorNumber::LockedByAnotherWorkstation);

    helper.kill();  // SIGKILL: the helper cannot clean up
    ASSERT_TRUE(helper.waitForFinished(10000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    // A server notices the dropped connection a moment later, not at once.
    DbError error = mine->edit();
    for (int attempt = 0; attempt < 100 && error.number == DbErrorNumber::LockedByAnotherWorkstation; ++attempt) {
        QThread::msleep(50);
        error = mine->edit();
    }
    EXPECT_TRUE(error.ok()) << qPrintable(error.fullText());
}

TEST_P(RecordLocksTest, ARecordDeletedBetweenEditAndUpdateIsReportedAs3197)
{
    auto second = openSecond();
    auto editor = onCategory(db(), 1);
    ASSERT_TRUE(editor->edit().ok());
    // A bulk statement of another workstation takes no record lock.
    ASSERT_TRUE(second->execute("DELETE FROM CATEGORI WHERE CatId = ?", {1}).ok());

    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(db().execute("UPDATE CATEGORI SET CatDesc = ? WHERE CatId = ?", {"Antes", 2}).ok());
    editor->setValue(catDesc, "Perdida");
    EXPECT_EQ(editor->update().number, DbErrorNumber::ChangedByAnotherUser);
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(editor->editMode(), EditMode::None);
    EXPECT_EQ(countRows("CATEGORI", "CatDesc = ?", {"Antes"}), 0);
    EXPECT_EQ(countRows("CATEGORI"), 1);
}

TEST_P(RecordLocksTest, ALockIsFreedWhenTheConnectionHoldingItCloses)
{
    auto second = openSecond();
    auto theirs = onCategory(*second, 1);
    ASSERT_TRUE(theirs->edit().ok());
    EXPECT_TRUE(second->locks().holds(recordLockKey("CATEGORI", {1})));

    auto mine = onCategory(db(), 1);
    EXPECT_EQ(mine->edit().message, "Registro reservado por otro");

    // The cursor is left open, as a workstation that goes away leaves it.
    second->close();
    const DbError error = mine->edit();
    ASSERT_TRUE(error.ok()) << qPrintable(error.fullText());
    mine->setValue(catDesc, "Tras el cierre");
    ASSERT_TRUE(mine->update().ok());
    EXPECT_EQ(countRows("CATEGORI", "CatDesc = ?", {"Tras el cierre"}), 1);
}

TEST_P(RecordLocksTest, ARecordStaysLockedUntilItsChangeIsCommittedOrRolledBack)
{
    auto second = openSecond();
    auto theirs = onCategory(*second, 1);
    auto mine = onCategory(db(), 1);

    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(mine->edit().ok());
    mine->setValue(catDesc, "Sin confirmar");
    ASSERT_TRUE(mine->update().ok());
    // Written but not committed: the other workstation would read the old value.
    EXPECT_EQ(theirs->edit().number, DbErrorNumber::LockedByAnotherWorkstation);
    // Deleting in the same transaction keeps that record locked as well.
    auto neighbour = onCategory(db(), 2);
    ASSERT_TRUE(neighbour->remove().ok());
    ASSERT_TRUE(db().commit().ok());
    ASSERT_TRUE(theirs->edit().ok());
    EXPECT_EQ(theirs->text(catDesc), "Sin confirmar");
    theirs->cancelUpdate();

    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(mine->edit().ok());
    mine->setValue(catDesc, "Deshecho");
    ASSERT_TRUE(mine->update().ok());
    EXPECT_EQ(theirs->edit().number, DbErrorNumber::LockedByAnotherWorkstation);
    ASSERT_TRUE(db().rollback().ok());
    ASSERT_TRUE(theirs->edit().ok());
    EXPECT_EQ(theirs->text(catDesc), "Sin confirmar");
}
TEST_P(RecordLocksTest, InsideTheWriteTransactionTheEditedRecordCanBeReadAsStoredNow)
{
    auto first = onCategory(db(), 1);
    ASSERT_TRUE(first->edit().ok());
    first->setValue(catDesc, "Mía");
    // A write that got past the lock (a lock file deleted under the
    // workstations): only a check after the write transaction begins sees it.
    auto second = openSecond();
    ASSERT_FALSE(second->execute("UPDATE CATEGORI SET CatDesc = ? WHERE CatId = 1", {"Suya"}));
    ASSERT_FALSE(db().beginTransaction());
    QVector<QVariant> stored;
    ASSERT_TRUE(first->storedValues(&stored).ok());
    const FieldDef* described = first->table()->field(catDesc);
    const auto description = std::distance(first->table()->fields.data(), described);
    EXPECT_EQ(stored.at(description).toString(), "Suya");
    EXPECT_EQ(first->text(catDesc), "Mía") << "the edit in progress is kept";
    ASSERT_FALSE(db().rollback());
    first->cancelUpdate();

    auto again = onCategory(db(), 2);
    ASSERT_TRUE(again->edit().ok());
    ASSERT_FALSE(second->execute("DELETE FROM CATEGORI WHERE CatId = 2"));
    EXPECT_EQ(again->storedValues(&stored).number, DbErrorNumber::ChangedByAnotherUser);
    again->cancelUpdate();
    EXPECT_EQ(again->storedValues(&stored).number, DbErrorNumber::NotEditing);
}

INSTANTIATE_ON_EACH_BACKEND(RecordLocksTest);
