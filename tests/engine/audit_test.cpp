#include "engine/audit.h"
#include "engine/synchronisation.h"

#include "engine_fixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMap>
#include <QProcess>
#include <QSqlError>
#include <QProcessEnvironment>
#include <QElapsedTimer>
#include <QThread>

namespace {

QString words(int count, const QString& word)
{
    QStringList all;
    for (int i = 0; i < count; ++i)
        all << word;
    return all.join(u' ');
}

class AuditTest : public EngineTest {};

TEST_F(AuditTest, FirstEntryTakesCorrelativeOneWithTheUserInCapitals)
{
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("María López"));
    const QDateTime moment(QDate(2026, 3, 5), QTime(14, 7, 9));
    AuditEntry entry(*database, AuditArea::Tables, QStringLiteral("Agrega categorìa 5"), moment);
    ASSERT_FALSE(entry.write());

    const QList<AuditLine> lines = auditLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].correlative, 1);
    EXPECT_EQ(lines[0].line, 1);
    EXPECT_EQ(lines[0].text, QStringLiteral("Agrega categorìa 5"));
    EXPECT_EQ(lines[0].user, QStringLiteral("MARÍA LÓPEZ"));
    EXPECT_EQ(lines[0].area, 14);
    EXPECT_EQ(lines[0].employee, 0);
    ASSERT_FALSE(writeAuditEntry(*database, AuditArea::Tables, QStringLiteral("   ")));
    EXPECT_EQ(auditLines().size(), 1) << "an empty text writes nothing";

    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(QStringLiteral("SELECT AudFecha, AudHora FROM AUDITORI"))) && query.next());
    EXPECT_EQ(query.value(0).toDateTime().date(), QDate(2026, 3, 5));
    EXPECT_EQ(query.value(0).toDateTime().time(), QTime(0, 0));
    EXPECT_EQ(query.value(1).toString(), QStringLiteral("14:07:09"));
}

TEST_F(AuditTest, AnEntryCutShortLeavesNoneOfItsLines)
{
    // The third line of the entry cannot be written, as when the disk fills.
    QSqlQuery trigger(database->connection());
    if (backend() == Backend::Sqlite) {
        ASSERT_TRUE(trigger.exec(QStringLiteral("CREATE TRIGGER lleno BEFORE INSERT ON AUDITORI "
                                                "WHEN NEW.AudLinea = 3 BEGIN SELECT RAISE(ABORT, 'disco lleno'); END")))
            << trigger.lastError().text().toStdString();
    } else {
        ASSERT_TRUE(trigger.exec(QStringLiteral(
            "CREATE FUNCTION lleno() RETURNS trigger AS $$ BEGIN IF NEW.\"AudLinea\" = 3 THEN "
            "RAISE EXCEPTION 'disco lleno'; END IF; RETURN NEW; END $$ LANGUAGE plpgsql")))
            << trigger.lastError().text().toStdString();
        ASSERT_TRUE(trigger.exec(QStringLiteral(
            "CREATE TRIGGER lleno BEFORE INSERT ON \"AUDITORI\" FOR EACH ROW EXECUTE FUNCTION lleno()")))
            << trigger.lastError().text().toStdString();
    }
    AuditEntry entry(*database, AuditArea::Tables, words(60, QStringLiteral("categoría")));
    ASSERT_GE(entry.lines().size(), 3);
    EXPECT_TRUE(entry.write());
    EXPECT_TRUE(auditLines().isEmpty());
    EXPECT_FALSE(database->inTransaction());

    // The next entry is whole.
    AuditEntry next(*database, AuditArea::Tables, QStringLiteral("Agrega categoría 5"));
    ASSERT_FALSE(next.write());
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega categoría 5")});
}

TEST_F(AuditTest, NextCorrelativeFollowsTheHighestWhateverTheOrderOfRows)
{
    for (double correlative : {7.0, 41.0, 3.0}) {
        QString error;
        ASSERT_TRUE(insertRow(*database, QStringLiteral("AUDITORI"),
                              {{QStringLiteral("AudCorrela"), correlative}, {QStringLiteral("AudLinea"), 1}}, &error));
    }
    AuditEntry entry(*database, AuditArea::Concepts, QStringLiteral("Modifica concepto 1"));
    ASSERT_FALSE(entry.write());
    EXPECT_EQ(entry.correlative(), 42);
    EXPECT_EQ(auditLines().last().area, 13);
}

TEST_F(AuditTest, LongTextsAreCutIntoLinesOfOneEntry)
{
    // Where lines are cut is the line splitter's (LineSplit tests); here: the
    // lines of 450 characters go under one correlative, numbered from 1.
    const QString text = words(45, QStringLiteral("categoria")) + u'x';
    ASSERT_FALSE(writeAuditEntry(*database, AuditArea::Tables, text));
    const QList<AuditLine> lines = auditLines();
    ASSERT_EQ(lines.size(), 3);
    QStringList joined;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].correlative, 1);
        EXPECT_EQ(lines[i].line, i + 1);
        joined << lines[i].text;
    }
    EXPECT_EQ(joined.join(u' '), text);
}

TEST_F(AuditTest, TwoWorkstationsWritingAtOnceKeepBothEntriesWhole)
{
    std::unique_ptr<Database> other = openConnection();
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("ana"));
    const QString first = words(45, QStringLiteral("primera12"));
    const QString second = words(45, QStringLiteral("segunda12"));
    AuditEntry mine(*database, AuditArea::Tables, first);
    AuditEntry theirs(*other, AuditArea::Tables, second);
    // Both find the same highest correlative before either writes.
    ASSERT_FALSE(mine.prepare());
    ASSERT_FALSE(theirs.prepare());
    EXPECT_EQ(mine.correlative(), theirs.correlative());

    ASSERT_FALSE(mine.write());
    ASSERT_FALSE(theirs.write());

    const QList<AuditLine> lines = auditLines();
    ASSERT_EQ(lines.size(), 6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].correlative, 1);
        EXPECT_TRUE(lines[i].text.startsWith(QStringLiteral("primera12")));
        EXPECT_EQ(lines[i + 3].correlative, 2);
        EXPECT_EQ(lines[i + 3].line, i + 1);
        EXPECT_TRUE(lines[i + 3].text.startsWith(QStringLiteral("segunda12")));
    }
}

constexpr int parentEntries = 40;
constexpr int childEntries = 150;
constexpr const char* childDatabaseVariable = "UORDANE_AUDIT_CHILD_DB";

/// The three-line sentence entry `number` of `author` writes.
QString sentenceOf(const QString& author, int number)
{
    return words(45, author.leftJustified(9, u'x').left(9)) + QStringLiteral(" %1").arg(number);
}

// The second workstation of the test below: this same binary, started again
// with only this test and the database in the environment.
TEST(AuditChildProcess, WritesEntriesIntoTheSharedDatabase)
{
    const QString file = qEnvironmentVariable(childDatabaseVariable);
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as the second process of TwoProcessesWritingTogetherKeepEveryEntryWhole";
    Database database(locationFromText(file));
    ASSERT_TRUE(database.open()) << database.errorText().toStdString();
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("hijo"));
    for (int number = 1; number <= childEntries; ++number)
        ASSERT_FALSE(writeAuditEntry(database, AuditArea::Tables, sentenceOf(QStringLiteral("hijo"), number)));
}

TEST_F(AuditTest, TwoProcessesWritingTogetherKeepEveryEntryWhole)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childDatabaseVariable), locationText(location()));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=AuditChildProcess.WritesEntriesIntoTheSharedDatabase")});
    ASSERT_TRUE(child.waitForStarted());
    // Start writing once the child writes, so that the two overlap.
    QElapsedTimer waited;
    waited.start();
    while (countRows(QStringLiteral("AUDITORI")) == 0 && child.state() == QProcess::Running && waited.elapsed() < 30000)
        QThread::msleep(2);
    VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("padre"));
    for (int number = 1; number <= parentEntries; ++number) {
        const DbError error = writeAuditEntry(*database, AuditArea::Tables, sentenceOf(QStringLiteral("padre"), number));
        ASSERT_FALSE(error) << error.fullText().toStdString();
    }
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

    // Every entry is whole: three lines under one correlative, one author,
    // and joined again they give the sentence that was written.
    QMap<double, QList<AuditLine>> entries;
    for (const AuditLine& line : auditLines())
        entries[line.correlative].append(line);
    ASSERT_EQ(entries.size(), parentEntries + childEntries);
    QStringList sentences;
    for (const QList<AuditLine>& entry : entries) {
        ASSERT_EQ(entry.size(), 3);
        QStringList texts;
        for (int line = 0; line < 3; ++line) {
            EXPECT_EQ(entry[line].line, line + 1);
            EXPECT_EQ(entry[line].user, entry[0].user);
            texts << entry[line].text;
        }
        sentences << texts.join(u' ');
        EXPECT_TRUE(sentences.last().startsWith(entry[0].user.toLower().left(5)));
    }
    for (int number = 1; number <= parentEntries; ++number)
        EXPECT_TRUE(sentences.contains(sentenceOf(QStringLiteral("padre"), number))) << number;
    for (int number = 1; number <= childEntries; ++number)
        EXPECT_TRUE(sentences.contains(sentenceOf(QStringLiteral("hijo"), number))) << number;
}

class SynchronisationTest : public EngineTest {
protected:
    QString parameterText(const QString& name)
    {
        QString text = QStringLiteral("<sin fila>");
        PPARLC(*database, QStringLiteral("SincroAuto"), name, 0, text);
        return text;
    }
    int parameterRows(const QString& name)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT COUNT(*) FROM PARAMETR WHERE ParTabla = 'SincroAuto' AND ParParamet = ?")));
        query.addBindValue(name);
        return query.exec() && query.next() ? query.value(0).toInt() : -1;
    }
};

TEST_F(SynchronisationTest, LastChangeIsCreatedThenOverwritten)
{
    ASSERT_EQ(parameterText(QStringLiteral("UltModific")), QStringLiteral("<sin fila>"));
    ASSERT_FALSE(markSynchronisedChange(*database, ui, QDate(2026, 2, 1)));
    EXPECT_EQ(parameterText(QStringLiteral("UltModific")), QStringLiteral("01/02/26"));
    ASSERT_FALSE(markSynchronisedChange(*database, ui, QDate(2026, 12, 24)));
    EXPECT_EQ(parameterText(QStringLiteral("UltModific")), QStringLiteral("24/12/26"));
    EXPECT_EQ(parameterRows(QStringLiteral("UltModific")), 1);
}

TEST_F(SynchronisationTest, OnlyBothSwitchesOnBlockChanges)
{
    EXPECT_FALSE(readSyncSwitches(*database, QStringLiteral("Car")).copiedAutomatically());

    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Car"), QStringLiteral("S"));
    EXPECT_FALSE(readSyncSwitches(*database, QStringLiteral("Car")).copiedAutomatically()) << "no global switch";
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("N"));
    EXPECT_FALSE(readSyncSwitches(*database, QStringLiteral("Car")).copiedAutomatically());

    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral(" S "));
    EXPECT_TRUE(readSyncSwitches(*database, QStringLiteral("Car")).copiedAutomatically());
    EXPECT_FALSE(readSyncSwitches(*database, QStringLiteral("CC")).copiedAutomatically()) << "another group";
    EXPECT_FALSE(readSyncSwitches(*database, QString()).copiedAutomatically()) << "a table without group";

    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Car"), QStringLiteral("s"));
    EXPECT_FALSE(readSyncSwitches(*database, QStringLiteral("Car")).copiedAutomatically()) << "exactly S";
}

}  // namespace
