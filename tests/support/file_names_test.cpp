#include "support/file_names.h"

#include "date_printers.h"
#include "temp_folder.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

/// A folder with "Data/kq_data.mdb", "Año.ini" and "Menu/" inside.
class FileNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Data")));
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Menu")));
        folder.write(QStringLiteral("Data/kq_data.mdb"), "db");
        folder.write(QStringLiteral("Año.ini"), "[KQFiles]");
    }

    TempFolder folder;
};

} // namespace

TEST_F(FileNames, ExistingPathIsKeptAsGiven)
{
    const QString path = folder.file(QStringLiteral("Data/kq_data.mdb"));
    EXPECT_EQ(findFileIgnoringCase(path), path);
}

TEST_F(FileNames, EachPartIsLookedUpWithoutRegardToCase)
{
    EXPECT_EQ(findFileIgnoringCase(folder.file(QStringLiteral("DATA/KQ_DATA.MDB"))),
              folder.file(QStringLiteral("Data/kq_data.mdb")));
    EXPECT_EQ(findFileIgnoringCase(folder.file(QStringLiteral("data/kq_data.mdb"))),
              folder.file(QStringLiteral("Data/kq_data.mdb")));
    EXPECT_EQ(findFileIgnoringCase(folder.file(QStringLiteral("AÑO.INI"))),
              folder.file(QStringLiteral("Año.ini")));
    EXPECT_EQ(findFileIgnoringCase(folder.file(QStringLiteral("MENU/"))),
              folder.file(QStringLiteral("Menu/")));
}

TEST_F(FileNames, NoMatchGivesThePathAsGiven)
{
    for (const char* missing : {"Data/otro.mdb", "DATA/OTRO.MDB", "Nada/kq_data.mdb", "kq_data.mdb"}) {
        const QString path = folder.file(QString::fromLatin1(missing));
        EXPECT_EQ(findFileIgnoringCase(path), path) << missing;
    }
    EXPECT_EQ(findFileIgnoringCase(QString()), QString());
}

TEST_F(FileNames, RelativePathsFromTheCurrentFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const QString found = findFileIgnoringCase(QStringLiteral("DATA/KQ_DATA.MDB"));
    const QString foundDotted = findFileIgnoringCase(QStringLiteral("./año.INI"));
    QDir::setCurrent(previous);
    EXPECT_EQ(found, QStringLiteral("Data/kq_data.mdb"));
    EXPECT_EQ(foundDotted, QStringLiteral("./Año.ini"));
}

TEST_F(FileNames, NamesThatDifferOnlyInCaseTakeTheFirstInOrder)
{
    folder.write(QStringLiteral("Data/KQ_DATA.mdb"), "other");
    EXPECT_EQ(findFileIgnoringCase(folder.file(QStringLiteral("Data/Kq_Data.MDB"))),
              folder.file(QStringLiteral("Data/KQ_DATA.mdb")));
}
