// What opening a database refuses and what it never does to a file: a
// database short of a field or of a newer version, an empty or foreign file;
// a file replaced or removed under a running program; the lock file that
// cannot be opened; the modes of the files the program creates.
#include "data_fixture.h"

#include "data/error_translator.h"
#include "data/record_locks.h"
#include "data/schema.h"
#include "scripted_ui.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>

#include <sys/stat.h>

namespace {

/// The permission bits of `file`.
unsigned modeOf(const QString& file)
{
    struct stat status;
    if (::stat(QFile::encodeName(file).constData(), &status) != 0)
        return 0xffff;
    return status.st_mode & 0777;
}

QByteArray bytesOf(const QString& file)
{
    QFile handle(file);
    return handle.open(QIODevice::ReadOnly) ? handle.readAll() : QByteArray();
}

}  // namespace

class OpenCheckTest : public BackendDataTest {
protected:
    /// Runs `statement` on the test's own connection, in the backend's dialect.
    void run(const QString& statement)
    {
        QSqlQuery query(db().connection());
        ASSERT_TRUE(query.exec(translateJetSql(statement, backend()))) << qPrintable(query.lastError().text());
    }

    /// What a second workstation is told when it opens the database.
    QString refusalOfSecondOpen()
    {
        Database second(location());
        EXPECT_FALSE(second.open());
        EXPECT_FALSE(second.isOpen());
        return second.errorText();
    }

    QString opening() const { return QStringLiteral("No se puede abrir la base de datos ") + location().displayName(); }
};

TEST_P(OpenCheckTest, ADatabaseShortOfAFieldIsRefusedNamingTableAndField)
{
    addCategory(db(), 1, "Peones");
    run("ALTER TABLE CATEGORI DROP COLUMN CatDesc");
    EXPECT_EQ(refusalOfSecondOpen(), opening() + QStringLiteral(": a la tabla CATEGORI le falta el campo CatDesc."));

    run("DROP TABLE CATEGORI");
    EXPECT_EQ(refusalOfSecondOpen(), opening() + QStringLiteral(": falta la tabla CATEGORI."));
}

TEST_P(OpenCheckTest, ADatabaseOfANewerVersionIsRefusedAndLeftAsItIs)
{
    run("UPDATE KQVERSIO SET VerNumero = 999 WHERE VerId = 1");
    EXPECT_EQ(refusalOfSecondOpen(),
              opening() + QStringLiteral(": es de la versión 999 del esquema y este programa conoce hasta la "
                                         "versión %1.")
                              .arg(Schema::currentVersion));
    QString error;
    EXPECT_EQ(storedSchemaVersion(db(), &error), 999);
}

TEST_P(OpenCheckTest, ADatabaseOfAnOlderVersionIsUpgradedWhenOpened)
{
    run("DELETE FROM KQVERSIO");
    run("DROP TABLE CATEGORI");
    auto second = openSecond();
    ASSERT_TRUE(second->isOpen());
    QString error;
    EXPECT_EQ(storedSchemaVersion(*second, &error), Schema::currentVersion);
    addCategory(*second, 4, "Capataces");
    EXPECT_EQ(countRows("CATEGORI"), 1);
}

TEST_P(OpenCheckTest, ADatabaseOfAnotherProgramIsRefused)
{
    run("DROP TABLE KQVERSIO");
    EXPECT_EQ(refusalOfSecondOpen(),
              opening() + QStringLiteral(": no es una base de datos del programa (no tiene la tabla KQVERSIO)."));
}

TEST_P(OpenCheckTest, AFailureAPersonCanMeetIsSaidInSpanishNamingTheDatabase)
{
    auto second = openSecond();
    DbError error;
    QStringList reasons;
    if (backend() == Backend::Sqlite) {
        // The file may not grow: every write beyond fails as on a full disk.
        struct rlimit saved;
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit none = saved;
        none.rlim_cur = 1;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
        error = second->execute("INSERT INTO CATEGORI (CatId, CatDesc) VALUES (?, ?)", {7, QString(4000, QChar('x'))});
        if (!error)
            error = second->execute("DELETE FROM CATEGORI");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        reasons << "el disco está lleno" << "falló la lectura o la escritura del disco";
    } else {
        // The server ends the workstation's session.
        QSqlQuery pid(second->connection());
        ASSERT_TRUE(pid.exec("SELECT pg_backend_pid()") && pid.next());
        QSqlQuery terminate(db().connection());
        ASSERT_TRUE(terminate.exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.value(0).toLongLong())));
        QThread::msleep(200);
        error = second->execute("DELETE FROM CATEGORI");
        reasons << "se perdió la conexión con el servidor";
    }
    ASSERT_TRUE(error);
    const QString sentence = error.message;
    const bool saysWhy = std::any_of(reasons.cbegin(), reasons.cend(), [&](const QString& reason) {
        return sentence.endsWith(QStringLiteral(" en la base de datos ") + location().displayName()
                                 + QStringLiteral(": ") + reason + '.');
    });
    EXPECT_TRUE(saysWhy) << qPrintable(sentence) << " / " << qPrintable(error.driverText);
    EXPECT_FALSE(error.driverText.isEmpty());
    EXPECT_FALSE(sentence.contains(error.driverText));
}

INSTANTIATE_ON_EACH_BACKEND(OpenCheckTest);

class SqliteOpenCheckTest : public DataTest {};

TEST_F(SqliteOpenCheckTest, AQuotedNameTheTableLacksIsAnErrorNotItsOwnText)
{
    addCategory(db(), 1, "Peones");
    const DbError error = db().execute("UPDATE CATEGORI SET CatDesc = \"CatNoExiste\"");
    EXPECT_TRUE(error);
    EXPECT_TRUE(error.driverText.contains("CatNoExiste")) << qPrintable(error.driverText);
    EXPECT_EQ(countRows("CATEGORI", "CatDesc = ?", {"Peones"}), 1);
}

TEST_F(SqliteOpenCheckTest, EmptyAndForeignFilesAreRefusedAndNeverChanged)
{
    const QString empty = folder_.write("VACIO.MDB", QByteArray());
    Database onEmpty(DatabaseLocation::sqliteFile(empty));
    EXPECT_FALSE(onEmpty.open(Database::OpenMode::ReadOnly));
    EXPECT_EQ(onEmpty.errorText(), QStringLiteral("No se puede abrir la base de datos ") + empty
                                       + QStringLiteral(": el archivo está vacío."));
    EXPECT_FALSE(onEmpty.open());
    EXPECT_EQ(QFileInfo(empty).size(), 0);

    const QString text = folder_.write("TEXTO.MDB", "Sueldos de marzo\n");
    Database onText(DatabaseLocation::sqliteFile(text));
    EXPECT_FALSE(onText.open());
    EXPECT_EQ(onText.errorText(), QStringLiteral("No se puede abrir la base de datos ") + text
                                      + QStringLiteral(": el archivo no es una base de datos."));
    EXPECT_EQ(bytesOf(text), QByteArray("Sueldos de marzo\n"));

    // An SQLite file of another program: refused, and not switched to the
    // write-ahead log (bytes 18 and 19 of its header stay 1).
    const QString foreign = folder_.file("OTRO.DB");
    {
        const QString name = "otro-programa";
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", name);
            other.setDatabaseName(foreign);
            ASSERT_TRUE(other.open());
            QSqlQuery(other).exec("CREATE TABLE notas (texto TEXT)");
            other.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    const QByteArray before = bytesOf(foreign);
    ASSERT_EQ(before.at(18), 1);
    Database onForeign(DatabaseLocation::sqliteFile(foreign));
    EXPECT_FALSE(onForeign.open());
    EXPECT_TRUE(onForeign.errorText().endsWith("no tiene la tabla KQVERSIO).")) << qPrintable(onForeign.errorText());
    EXPECT_EQ(bytesOf(foreign), before);
    EXPECT_FALSE(QFile::exists(foreign + QStringLiteral("-wal")));
}

TEST_F(SqliteOpenCheckTest, AReadOnlyOpenReadsAndWritesNothing)
{
    addCategory(db(), 1, "Peones");
    database_.reset();
    const QByteArray before = bytesOf(databaseFile());
    Database reader(location());
    ASSERT_TRUE(reader.open(Database::OpenMode::ReadOnly)) << qPrintable(reader.errorText());
    TableCursor categories(reader);
    ASSERT_TRUE(categories.open("CATEGORI", Access::ReadOnly).ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());
    EXPECT_EQ(categories.text("CatDesc"), "Peones");
    EXPECT_TRUE(reader.execute("DELETE FROM CATEGORI"));
    categories.close();
    reader.close();
    EXPECT_EQ(bytesOf(databaseFile()), before);
}

TEST_F(SqliteOpenCheckTest, AFileReplacedOrRemovedUnderTheProgramIsNotWrittenInto)
{
    addCategory(db(), 1, "Peones");
    auto second = openSecond();
    TableCursor categories(*second);
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());

    // Another file takes the database's name, as a restored copy would.
    database_.reset();
    ASSERT_TRUE(QFile::copy(databaseFile(), folder_.file("COPIA.MDB")));
    ASSERT_EQ(::rename(QFile::encodeName(folder_.file("COPIA.MDB")).constData(),
                       QFile::encodeName(databaseFile()).constData()),
              0);
    const DbError begun = second->beginTransaction();
    ASSERT_TRUE(begun);
    EXPECT_EQ(begun.message, QStringLiteral("No se puede grabar en la base de datos ") + databaseFile()
                                 + QStringLiteral(": el archivo fue reemplazado por otro mientras el programa lo "
                                                  "usaba. Salga del programa y vuelva a entrar."));
    ASSERT_TRUE(categories.edit().ok());
    categories.setValue("CatDesc", "Oficiales");
    EXPECT_TRUE(categories.update());
    categories.cancelUpdate();

    ASSERT_TRUE(QFile::remove(databaseFile()));
    const DbError removed = second->execute("DELETE FROM CATEGORI");
    ASSERT_TRUE(removed);
    EXPECT_TRUE(removed.message.contains("el archivo fue borrado")) << qPrintable(removed.message);
}

// Writes look at the path only when the folder's names may have changed:
// a folder whose time has long stood still is trusted, and a file replaced
// in it afterwards is still seen at the next write.
TEST_F(SqliteOpenCheckTest, AFileReplacedInAFolderLongUnchangedIsStillSeen)
{
    addCategory(db(), 1, "Peones");
    auto second = openSecond();
    ASSERT_TRUE(QFile::copy(databaseFile(), folder_.file("COPIA.MDB")));
    // The folder's names last changed an hour ago.
    const QByteArray folder = QFile::encodeName(QFileInfo(databaseFile()).absolutePath());
    struct timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[1] = times[0];
    times[1].tv_sec -= 3600;
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.constData(), times, 0), 0);
    ASSERT_FALSE(second->execute("UPDATE CATEGORI SET CatDesc = 'Oficiales'"));
    ASSERT_FALSE(second->execute("UPDATE CATEGORI SET CatDesc = 'Capataces'"));

    ASSERT_EQ(::rename(QFile::encodeName(folder_.file("COPIA.MDB")).constData(),
                       QFile::encodeName(databaseFile()).constData()),
              0);
    const DbError refused = second->execute("DELETE FROM CATEGORI");
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused.message.contains("el archivo fue reemplazado por otro")) << qPrintable(refused.message);
}

TEST_F(SqliteOpenCheckTest, ALockFileThatCannotBeOpenedIsAnErrorThePersonSees)
{
    addCategory(db(), 1, "Peones");
    auto second = openSecond();
    TableCursor categories(*second);
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    ASSERT_TRUE(categories.seek(Comparison::Equal, {1}).ok());
    // A directory under the lock file's name: no account, root included,
    // can open it for writing.
    const QString lockFile = lockFileOf(databaseFile());
    ASSERT_TRUE(QFile::remove(lockFile));
    ASSERT_TRUE(QDir().mkdir(lockFile));

    const DbError error = categories.edit();
    ASSERT_TRUE(error);
    EXPECT_FALSE(isLockConflict(error.number));
    EXPECT_EQ(categories.editMode(), EditMode::None);
    ScriptedUi ui;
    EXPECT_EQ(translateDatabaseError(ui, error), DbErrorNumber::LockFileFailure);
    ASSERT_EQ(ui.texts().size(), 1);
    EXPECT_TRUE(ui.texts().first().startsWith(
        QStringLiteral("No se puede reservar el registro: no se puede abrir el archivo de bloqueos ") + lockFile
        + QStringLiteral("\nDetalle: ")))
        << qPrintable(ui.texts().first());
}

TEST_F(SqliteOpenCheckTest, FilesAreCreatedForOwnerAndGroupAndTheLockFileTakesTheDatabasesMode)
{
    addCategory(db(), 1, "Peones");
    auto first = openSecond();
    EXPECT_EQ(modeOf(databaseFile()), 0660u);
    EXPECT_EQ(modeOf(databaseFile() + QStringLiteral("-wal")), 0660u);
    EXPECT_EQ(modeOf(databaseFile() + QStringLiteral("-shm")), 0660u);
    EXPECT_EQ(modeOf(lockFileOf(databaseFile())), 0660u);

    // An installation that lets every account in: its lock file follows.
    database_.reset();
    first.reset();
    ASSERT_TRUE(QFile::remove(lockFileOf(databaseFile())));
    ASSERT_EQ(::chmod(QFile::encodeName(databaseFile()).constData(), 0664), 0);
    auto second = openSecond();
    EXPECT_EQ(modeOf(lockFileOf(databaseFile())), 0664u);
}
