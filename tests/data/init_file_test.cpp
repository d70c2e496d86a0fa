// Making the database file of a file installation: built beside its place and
// put there whole, never over another file, and replaced only with a copy of
// the old one kept and no workstation on it.
#include "data_fixture.h"

#include "data/record_locks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class InitFileTest : public ::testing::Test {
protected:
    QString target() const { return folder_.file("KQ_DATA.MDB"); }

    /// The descriptions of the categories of the database in `file`.
    static QStringList categories(const QString& file)
    {
        Database database(DatabaseLocation::sqliteFile(file));
        if (!database.open())
            return {QStringLiteral("<no abre: ") + database.errorText() + '>'};
        QStringList descriptions;
        TableCursor cursor(database);
        cursor.open("CATEGORI", Access::ReadOnly);
        for (cursor.moveFirst(); cursor.hasCurrent(); cursor.moveNext())
            descriptions << cursor.text("CatDesc");
        return descriptions;
    }

    static void addCategory(const QString& file, int id, const QString& description)
    {
        Database database(DatabaseLocation::sqliteFile(file));
        ASSERT_TRUE(database.open()) << qPrintable(database.errorText());
        QString error;
        ASSERT_TRUE(insertRow(database, "CATEGORI",
                              {{"CatId", id}, {"CatDesc", description}}, &error))
            << qPrintable(error);
    }

    QStringList filesInFolder() const { return QDir(folder_.path()).entryList(QDir::Files, QDir::Name); }

    TempFolder folder_;
};

TEST_F(InitFileTest, TwoCreationsAtOnceLeaveOneWholeDatabaseAndTheLoserTouchesNothing)
{
    std::atomic<int> ready = 0;
    bool created[2] = {false, false};
    QString errors[2];
    const auto create = [&](int which) {
        return QThread::create([&, which] {
            ++ready;
            while (ready < 2) {
            }
            created[which] = createDatabaseFile(folder_.path(), false, &errors[which]);
        });
    };
    std::unique_ptr<QThread> first(create(0));
    std::unique_ptr<QThread> second(create(1));
    first->start();
    second->start();
    first->wait();
    second->wait();

    EXPECT_NE(created[0], created[1]) << qPrintable(errors[0]) << " / " << qPrintable(errors[1]);
    const QString& refusal = created[0] ? errors[1] : errors[0];
    EXPECT_EQ(refusal, QStringLiteral("Ya existe el archivo ") + target());
    // The winner's database is there, whole, and nothing else is left.
    EXPECT_EQ(filesInFolder(), QStringList{"KQ_DATA.MDB"});
    EXPECT_EQ(categories(target()), QStringList());
}

TEST_F(InitFileTest, ACreationKilledHalfwayLeavesNoDatabaseAndTheNextOneSucceeds)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QString error;
        ::_exit(createDatabaseFile(folder_.path(), true, &error) ? 0 : 1);
    }
    // Killed as soon as the first file of the creation appears.
    QElapsedTimer waited;
    waited.start();
    while (filesInFolder().isEmpty() && waited.elapsed() < 20000)
        QThread::usleep(200);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the creation ended before it could be killed";

    EXPECT_FALSE(QFile::exists(target()));
    QString error;
    EXPECT_TRUE(createDatabaseFile(folder_.path(), false, &error)) << qPrintable(error);
    // What the killed one left goes with it.
    EXPECT_EQ(filesInFolder(), QStringList{"KQ_DATA.MDB"});
    EXPECT_EQ(categories(target()), QStringList());
}

TEST_F(InitFileTest, ReplacingIsRefusedWhileAWorkstationHasTheDatabaseOpenElseKeepsADatedCopy)
{
    QString error;
    ASSERT_TRUE(createDatabaseFile(folder_.path(), false, &error)) << qPrintable(error);
    addCategory(target(), 1, "Peones");
    {
        Database workstation(DatabaseLocation::sqliteFile(target()));
        ASSERT_TRUE(workstation.open()) << qPrintable(workstation.errorText());
        QString backup;
        EXPECT_FALSE(replaceDatabaseFile(folder_.path(), false, &backup, &error));
        EXPECT_EQ(error, QStringLiteral("No se puede reemplazar el archivo ") + target()
                             + QStringLiteral(": la base de datos está abierta en otro puesto."));
        EXPECT_TRUE(backup.isEmpty());
    }
    EXPECT_EQ(categories(target()), QStringList{"Peones"});
    EXPECT_FALSE(filesInFolder().join(' ').contains(".bak"));

    // With no workstation on it, the old file is kept as a dated copy.
    QString backup;
    ASSERT_TRUE(replaceDatabaseFile(folder_.path(), false, &backup, &error)) << qPrintable(error);
    const QRegularExpression dated("^KQ_DATA\\.MDB\\.\\d{8}-\\d{6}\\.bak$");
    EXPECT_TRUE(dated.match(QFileInfo(backup).fileName()).hasMatch()) << qPrintable(backup);
    EXPECT_EQ(QFileInfo(backup).absolutePath(), QFileInfo(target()).absolutePath());
    EXPECT_EQ(categories(target()), QStringList());
    // The copy is the old database, whole.
    const QString restored = folder_.file("restaurada/KQ_DATA.MDB");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(restored).absolutePath()));
    ASSERT_TRUE(QFile::copy(backup, restored));
    EXPECT_EQ(categories(restored), QStringList{"Peones"});
}

TEST_F(InitFileTest, AWorkstationCannotOpenTheFileWhileItIsReplaced)
{
    QString error;
    ASSERT_TRUE(createDatabaseFile(folder_.path(), false, &error)) << qPrintable(error);
    DatabaseInUse replacing;
    QString reason;
    ASSERT_TRUE(replacing.take(target(), DatabaseInUse::Kind::Exclusive, &reason)) << qPrintable(reason);
    Database workstation(DatabaseLocation::sqliteFile(target()));
    EXPECT_FALSE(workstation.open());
    EXPECT_EQ(workstation.errorText(), QStringLiteral("No se puede abrir la base de datos ") + target()
                                           + QStringLiteral(": el archivo se está reemplazando en este momento."));
    replacing.release();
    EXPECT_TRUE(workstation.open()) << qPrintable(workstation.errorText());
}

}  // namespace
