#include "data/cursor.h"
#include "data/database.h"
#include "data/work_database.h"
#include "scoped_environment.h"
#include "temp_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>


class WorkDatabaseTest : public ::testing::Test {
protected:
    TempFolder temp_;
    TempFolder current_;
};

namespace {

/// The name a work database of this process takes for the random part `token`.
QString workName(const QString& token, const QString& extension = ".MDB")
{
    return QStringLiteral("_kq%1_%2%3").arg(QCoreApplication::applicationPid()).arg(token, extension);
}

QString token(char digit)
{
    return QString(32, QChar(digit));
}

unsigned modeOf(const QString& file)
{
    struct stat status;
    if (::lstat(QFile::encodeName(file).constData(), &status) != 0)
        return 0xffff;
    return status.st_mode & 0777;
}

}  // namespace

TEST_F(WorkDatabaseTest, IsCreatedInTempOnFirstNeedForItsOwnerOnlyAndDeletedAtTheEnd)
{
    ScopedEnvironment temp("TEMP", (QStringLiteral("  ") + temp_.path().chopped(1) + QStringLiteral("  ")).toLocal8Bit());
    WorkDatabase work;
    EXPECT_FALSE(work.exists());
    ASSERT_TRUE(work.create().ok());
    ASSERT_TRUE(work.exists());
    const QString name = work.fileName();
    EXPECT_EQ(QFileInfo(name).absolutePath() + '/', temp_.path());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^_kq%1_[0-9a-f]{32}\\.MDB$").arg(QCoreApplication::applicationPid()))
                    .match(QFileInfo(name).fileName())
                    .hasMatch())
        << qPrintable(name);
    EXPECT_EQ(modeOf(name), 0600u);
    ASSERT_TRUE(work.createBufferTable("LINEAS", {FieldDef{"Texto", FieldType::Text, 20}}).ok());
    EXPECT_EQ(modeOf(name + QStringLiteral("-wal")), 0600u);

    ASSERT_TRUE(work.create().ok());  // later calls do nothing
    EXPECT_EQ(work.fileName(), name);

    work.remove();
    EXPECT_FALSE(work.exists());
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_TRUE(QDir(temp_.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WorkDatabaseTest, UsesTmpWhenTempIsEmptyAndTwoNeverShareAName)
{
    ScopedEnvironment temp("TEMP", QByteArray());
    ScopedEnvironment tmp("TMP", temp_.path().toLocal8Bit());
    WorkDatabase first;
    WorkDatabase second;
    ASSERT_TRUE(first.create().ok());
    ASSERT_TRUE(second.create().ok());
    EXPECT_TRUE(first.fileName().startsWith(temp_.path()));
    EXPECT_NE(first.fileName(), second.fileName());
}

TEST_F(WorkDatabaseTest, TakenNamesAndPlantedLinksAreNeverUsedAndAfterTenTheCurrentFolderIs)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    const QString elsewhere = current_.file("victima.txt");
    // Ten draws in a row that name files already in TEMP; the first is a
    // symbolic link to a file that does not exist yet.
    const QString digits = "0123456789a";
    for (int index = 1; index < 10; ++index)
        temp_.write(workName(token(digits.at(index).toLatin1())), "x");
    ASSERT_TRUE(QFile::link(elsewhere, temp_.file(workName(token('0')))));
    int draws = 0;
    WorkDatabase work([&] { return token(digits.at(draws++ % digits.size()).toLatin1()); }, current_.path());
    ASSERT_TRUE(work.create().ok());
    EXPECT_EQ(work.fileName(), current_.file(workName(token('a'), ".TMP")));
    EXPECT_EQ(draws, 11);
    EXPECT_EQ(temp_.read(workName(token('1'))), QByteArray("x"));  // nothing overwritten
    EXPECT_FALSE(QFile::exists(elsewhere));                          // no link followed
}

TEST_F(WorkDatabaseTest, FailsCleanlyWhenEveryNameIsTaken)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    temp_.write(workName(token('5')), "x");
    current_.write(workName(token('5'), ".TMP"), "y");
    WorkDatabase work([] { return token('5'); }, current_.path());
    const DbError error = work.create();
    EXPECT_FALSE(error.ok());
    EXPECT_FALSE(work.exists());
    EXPECT_EQ(current_.read(workName(token('5'), ".TMP")), QByteArray("y"));
}

TEST_F(WorkDatabaseTest, WorkDatabasesOfEndedProcessesGoWhenTheNextOneIsCreated)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QString stale = QStringLiteral("_kq%1_%2.MDB").arg(gone).arg(token('b'));
    temp_.write(stale, "x");
    temp_.write(stale + QStringLiteral("-wal"), "x");
    const QString running = workName(token('c'));
    temp_.write(running, "x");
    temp_.write("_kq99999.MDB", "x");  // not a name of ours

    WorkDatabase work;
    ASSERT_TRUE(work.create().ok());
    EXPECT_FALSE(QFile::exists(temp_.file(stale)));
    EXPECT_FALSE(QFile::exists(temp_.file(stale + QStringLiteral("-wal"))));
    EXPECT_TRUE(QFile::exists(temp_.file(running)));
    EXPECT_TRUE(QFile::exists(temp_.file("_kq99999.MDB")));
}

TEST_F(WorkDatabaseTest, BufferTablesHoldRowsInLoadingOrderAndSortByAColumn)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    WorkDatabase work;
    ASSERT_TRUE(work.createBufferTable("WCATEGOR",
                                       {FieldDef{"Numero", FieldType::Text, 5},
                                        FieldDef{"Descripcion", FieldType::Text, 30}})
                    .ok());
    TableCursor buffer(work.database());
    ASSERT_TRUE(buffer.open("WCATEGOR").ok());
    EXPECT_EQ(buffer.indexName(), "KQ KEY");
    const QStringList descriptions = {"Zeta", "Alfa", "Media"};
    for (int line = 0; line < descriptions.size(); ++line) {
        buffer.addNew();
        buffer.setValue("KQ SF LINE", line + 1);
        buffer.setValue("Numero", QString::number(line + 1));
        buffer.setValue("Descripcion", descriptions.at(line));
        ASSERT_TRUE(buffer.update().ok());
    }
    auto readAll = [&] {
        QStringList read;
        for (buffer.moveFirst(); !buffer.atEnd(); buffer.moveNext())
            read << buffer.text("Descripcion");
        return read;
    };
    EXPECT_EQ(readAll(), descriptions);

    // Sorting by a column: a further index, neither primary nor unique.
    ASSERT_TRUE(work.createIndex("WCATEGOR", IndexDef{"KQ SORT 2", {"Descripcion"}}).ok());
    ASSERT_TRUE(buffer.setIndex("KQ SORT 2").ok());
    EXPECT_EQ(readAll(), (QStringList{"Alfa", "Media", "Zeta"}));
    ASSERT_TRUE(buffer.setIndex("KQ KEY").ok());
    EXPECT_EQ(readAll(), descriptions);

    // Emptied before each reload, deleted when the panel closes.
    ASSERT_TRUE(work.database().execute("DELETE * FROM [WCATEGOR]").ok());
    EXPECT_EQ(buffer.recordCount(), 0);
    buffer.close();
    ASSERT_TRUE(work.dropTable("WCATEGOR").ok());
    TableCursor gone(work.database());
    EXPECT_EQ(gone.open("WCATEGOR").number, DbErrorNumber::TableNotFound);
}

TEST_F(WorkDatabaseTest, AnAutoNumberFieldNumbersTheRows)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    WorkDatabase work;
    TableDef table{"NUMERADA", QString(),
                   {FieldDef{"Linea", FieldType::Long, 0}, FieldDef{"Texto", FieldType::Text, 10}},
                   {IndexDef{"INUMERAD", {"Linea"}, true, true}}};
    ASSERT_TRUE(work.createTable(table, "Linea").ok());
    ASSERT_TRUE(work.database().execute("INSERT INTO NUMERADA (Texto) VALUES (?)", {"a"}).ok());
    ASSERT_TRUE(work.database().execute("INSERT INTO NUMERADA (Texto) VALUES (?)", {"b"}).ok());
    TableCursor rows(work.database());
    ASSERT_TRUE(rows.open("NUMERADA").ok());
    ASSERT_TRUE(rows.moveLast().ok());
    EXPECT_EQ(rows.integer("Linea"), 2);
    EXPECT_EQ(rows.text("Texto"), "b");
}
