#include "data/cursor.h"
#include "data/database.h"
#include "data/work_database.h"
#include "scoped_environment.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>


class WorkDatabaseTest : public ::testing::Test {
protected:
    TempFolder temp_;
    TempFolder current_;
};

TEST_F(WorkDatabaseTest, IsCreatedInTempOnFirstNeedAndDeletedAtTheEnd)
{
    ScopedEnvironment temp("TEMP", (QStringLiteral("  ") + temp_.path().chopped(1) + QStringLiteral("  ")).toLocal8Bit());
    WorkDatabase work;
    EXPECT_FALSE(work.exists());
    ASSERT_TRUE(work.create().ok());
    ASSERT_TRUE(work.exists());
    const QString name = work.fileName();
    EXPECT_EQ(QFileInfo(name).absolutePath() + '/', temp_.path());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^_kq\\d{5}\\.MDB$")).match(QFileInfo(name).fileName()).hasMatch())
        << qPrintable(name);
    EXPECT_TRUE(QFile::exists(name));

    ASSERT_TRUE(work.create().ok());  // later calls do nothing
    EXPECT_EQ(work.fileName(), name);

    work.remove();
    EXPECT_FALSE(work.exists());
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_TRUE(QDir(temp_.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WorkDatabaseTest, UsesTmpWhenTempIsEmpty)
{
    ScopedEnvironment temp("TEMP", QByteArray());
    ScopedEnvironment tmp("TMP", temp_.path().toLocal8Bit());
    WorkDatabase work;
    ASSERT_TRUE(work.create().ok());
    EXPECT_TRUE(work.fileName().startsWith(temp_.path()));
}

TEST_F(WorkDatabaseTest, NamesRunFrom00000To10000)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    WorkDatabase lowest([] { return 0.0; }, current_.path());
    ASSERT_TRUE(lowest.create().ok());
    EXPECT_EQ(QFileInfo(lowest.fileName()).fileName(), QStringLiteral("_kq00000.MDB"));
    WorkDatabase highest([] { return 1.0; }, current_.path());
    ASSERT_TRUE(highest.create().ok());
    EXPECT_EQ(QFileInfo(highest.fileName()).fileName(), QStringLiteral("_kq10000.MDB"));
}

TEST_F(WorkDatabaseTest, AfterTenTakenNamesTheCurrentFolderIsUsedWithTmp)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    // Ten draws in a row that all name files already in TEMP.
    int draws = 0;
    const QList<double> sequence = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.05, 0.5};
    for (int index = 0; index < 10; ++index)
        temp_.write(QStringLiteral("_kq%1.MDB").arg(qRound(sequence.at(index) * 10000), 5, 10, QChar('0')), "x");
    WorkDatabase work([&] { return sequence.at(draws++ % sequence.size()); }, current_.path());
    ASSERT_TRUE(work.create().ok());
    EXPECT_EQ(work.fileName(), current_.file(QStringLiteral("_kq05000.TMP")));
    EXPECT_EQ(draws, 11);
    EXPECT_EQ(temp_.read(QStringLiteral("_kq01000.MDB")), QByteArray("x"));  // nothing overwritten
}

TEST_F(WorkDatabaseTest, FailsCleanlyWhenEveryNameIsTaken)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    temp_.write(QStringLiteral("_kq05000.MDB"), "x");
    current_.write(QStringLiteral("_kq05000.TMP"), "y");
    WorkDatabase work([] { return 0.5; }, current_.path());
    const DbError error = work.create();
    EXPECT_FALSE(error.ok());
    EXPECT_FALSE(work.exists());
    EXPECT_EQ(current_.read(QStringLiteral("_kq05000.TMP")), QByteArray("y"));
}

TEST_F(WorkDatabaseTest, BufferTablesHoldRowsInLoadingOrderAndSortByAColumn)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    WorkDatabase work;
    ASSERT_TRUE(work.createBufferTable(QStringLiteral("WCATEGOR"),
                                       {FieldDef{QStringLiteral("Numero"), FieldType::Text, 5},
                                        FieldDef{QStringLiteral("Descripcion"), FieldType::Text, 30}})
                    .ok());
    TableCursor buffer(work.database());
    ASSERT_TRUE(buffer.open(QStringLiteral("WCATEGOR")).ok());
    EXPECT_EQ(buffer.indexName(), QStringLiteral("KQ KEY"));
    const QStringList descriptions = {"Zeta", "Alfa", "Media"};
    for (int line = 0; line < descriptions.size(); ++line) {
        buffer.addNew();
        buffer.setValue(QStringLiteral("KQ SF LINE"), line + 1);
        buffer.setValue(QStringLiteral("Numero"), QString::number(line + 1));
        buffer.setValue(QStringLiteral("Descripcion"), descriptions.at(line));
        ASSERT_TRUE(buffer.update().ok());
    }
    auto readAll = [&] {
        QStringList read;
        for (buffer.moveFirst(); !buffer.atEnd(); buffer.moveNext())
            read << buffer.text(QStringLiteral("Descripcion"));
        return read;
    };
    EXPECT_EQ(readAll(), descriptions);

    // Sorting by a column: a further index, neither primary nor unique.
    ASSERT_TRUE(work.createIndex(QStringLiteral("WCATEGOR"), IndexDef{QStringLiteral("KQ SORT 2"), {QStringLiteral("Descripcion")}}).ok());
    ASSERT_TRUE(buffer.setIndex(QStringLiteral("KQ SORT 2")).ok());
    EXPECT_EQ(readAll(), (QStringList{"Alfa", "Media", "Zeta"}));
    ASSERT_TRUE(buffer.setIndex(QStringLiteral("KQ KEY")).ok());
    EXPECT_EQ(readAll(), descriptions);

    // Emptied before each reload, deleted when the panel closes.
    ASSERT_TRUE(work.database().execute(QStringLiteral("DELETE * FROM [WCATEGOR]")).ok());
    EXPECT_EQ(buffer.recordCount(), 0);
    buffer.close();
    ASSERT_TRUE(work.dropTable(QStringLiteral("WCATEGOR")).ok());
    TableCursor gone(work.database());
    EXPECT_EQ(gone.open(QStringLiteral("WCATEGOR")).number, DbErrorNumber::TableNotFound);
}

TEST_F(WorkDatabaseTest, AnAutoNumberFieldNumbersTheRows)
{
    ScopedEnvironment temp("TEMP", temp_.path().toLocal8Bit());
    WorkDatabase work;
    TableDef table{QStringLiteral("NUMERADA"), QString(),
                   {FieldDef{QStringLiteral("Linea"), FieldType::Long, 0}, FieldDef{QStringLiteral("Texto"), FieldType::Text, 10}},
                   {IndexDef{QStringLiteral("INUMERAD"), {QStringLiteral("Linea")}, true, true}}};
    ASSERT_TRUE(work.createTable(table, QStringLiteral("Linea")).ok());
    ASSERT_TRUE(work.database().execute(QStringLiteral("INSERT INTO NUMERADA (Texto) VALUES (?)"), {QStringLiteral("a")}).ok());
    ASSERT_TRUE(work.database().execute(QStringLiteral("INSERT INTO NUMERADA (Texto) VALUES (?)"), {QStringLiteral("b")}).ok());
    TableCursor rows(work.database());
    ASSERT_TRUE(rows.open(QStringLiteral("NUMERADA")).ok());
    ASSERT_TRUE(rows.moveLast().ok());
    EXPECT_EQ(rows.integer(QStringLiteral("Linea")), 2);
    EXPECT_EQ(rows.text(QStringLiteral("Texto")), QStringLiteral("b"));
}
