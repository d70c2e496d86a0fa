#pragma once

// Shared set-up of the record-access tests: a fresh database of the program
// for each test, and more connections to it to play other workstations.
//
// DataTest runs on SQLite, a file in the test's own temporary folder.
// BackendDataTest runs each test once per backend (INSTANTIATE_ON_EACH_BACKEND);
// its PostgreSQL run creates a database of its own on the server that
// UORDANE_TEST_PG_HOST, UORDANE_TEST_PG_PORT and UORDANE_TEST_PG_USER name and
// drops it afterwards. With those variables unset (a binary run by hand) the
// PostgreSQL run is skipped with the reason; with them set, a server that
// cannot be reached fails the test.

#include "data/cursor.h"
#include "data/database.h"
#include "data/database_setup.h"
#include "temp_folder.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <memory>
#include <string>

/// The test server's location, on its database `name`.
inline DatabaseLocation testServerLocation(const QString& name)
{
    DatabaseLocation location;
    location.backend = Backend::Postgres;
    location.server = qEnvironmentVariable("UORDANE_TEST_PG_HOST");
    location.port = qEnvironmentVariableIntValue("UORDANE_TEST_PG_PORT");
    location.user = qEnvironmentVariable("UORDANE_TEST_PG_USER");
    location.database = name;
    return location;
}

/// Why PostgreSQL cannot be tested here, or an empty text when a server is named.
inline QString testServerMissing()
{
    if (qEnvironmentVariableIsEmpty("UORDANE_TEST_PG_HOST"))
        return QStringLiteral("PostgreSQL: UORDANE_TEST_PG_HOST no está definido; ./test.sh inicia un servidor");
    return {};
}

/// "Sqlite" or "Postgres", for the names of parameterised tests.
inline std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    switch (info.param) {
    case Backend::Sqlite:
        return "Sqlite";
    case Backend::Postgres:
        return "Postgres";
    }
    return "Unknown";
}

/// Runs the tests of `fixture` (a BackendDataTest) once on each backend.
#define INSTANTIATE_ON_EACH_BACKEND(fixture)                                                              \
    INSTANTIATE_TEST_SUITE_P(Backends, fixture, ::testing::Values(Backend::Sqlite, Backend::Postgres), \
                             backendName)

class DataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (backend() == Backend::Postgres) {
            if (const QString missing = testServerMissing(); !missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
            ASSERT_NO_FATAL_FAILURE(createServerDatabase());
        }
        database_ = std::make_unique<Database>(location());
        ASSERT_TRUE(database_->open(Database::OpenMode::CreateIfMissing)) << qPrintable(database_->errorText());
        QString error;
        ASSERT_TRUE(createDatabase(*database_, &error)) << qPrintable(error);
    }

    void TearDown() override
    {
        database_.reset();
        if (serverDatabase_.isEmpty())
            return;
        Database maintenance(testServerLocation(QStringLiteral("postgres")));
        ASSERT_TRUE(maintenance.open()) << qPrintable(maintenance.errorText());
        QSqlQuery drop(maintenance.connection());
        EXPECT_TRUE(drop.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(serverDatabase_)))
            << qPrintable(drop.lastError().text());
    }

    virtual Backend backend() const { return Backend::Sqlite; }

    /// Where the test's database is.
    DatabaseLocation location() const
    {
        if (backend() == Backend::Postgres)
            return testServerLocation(serverDatabase_);
        return DatabaseLocation::sqliteFile(databaseFile());
    }
    QString databaseFile() const { return folder_.file(QStringLiteral("KQ_DATA.MDB")); }
    Database& db() { return *database_; }

    /// Another workstation's connection to the same database.
    std::unique_ptr<Database> openSecond()
    {
        auto second = std::make_unique<Database>(location());
        EXPECT_TRUE(second->open()) << qPrintable(second->errorText());
        return second;
    }

    /// Adds a category through a cursor, as a transaction does.
    static void addCategory(Database& database, int id, const QString& description)
    {
        TableCursor categories(database);
        ASSERT_TRUE(categories.open(QStringLiteral("CATEGORI")).ok());
        ASSERT_TRUE(categories.addNew().ok());
        ASSERT_TRUE(categories.setValue(QStringLiteral("CatId"), id).ok());
        ASSERT_TRUE(categories.setValue(QStringLiteral("CatDesc"), description).ok());
        const DbError error = categories.update();
        ASSERT_TRUE(error.ok()) << qPrintable(error.fullText());
    }

    /// The number of rows of `table` that `where` selects, counted with SQL.
    int countRows(const QString& table, const QString& where = QString(), const QVariantList& values = {})
    {
        QueryCursor count(db());
        const QString sql = QStringLiteral("SELECT COUNT(*) AS N FROM ") + table
            + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
        const DbError error = count.open(sql, values);
        EXPECT_TRUE(error.ok()) << qPrintable(error.fullText());
        return static_cast<int>(count.integer(QStringLiteral("N")));
    }

    TempFolder folder_;
    std::unique_ptr<Database> database_;

private:
    /// A new, empty database on the test server; a server that does not
    /// answer is a failure, never a skip.
    void createServerDatabase()
    {
        static int counter = 0;
        serverDatabase_ = QStringLiteral("uordane_data_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        Database maintenance(testServerLocation(QStringLiteral("postgres")));
        ASSERT_TRUE(maintenance.open()) << "El servidor PostgreSQL de pruebas no responde: "
                                        << qPrintable(maintenance.errorText());
        QSqlQuery create(maintenance.connection());
        ASSERT_TRUE(create.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(serverDatabase_)))
            << qPrintable(create.lastError().text());
    }

    QString serverDatabase_;
};

/// DataTest once per backend; the backend is the test's parameter.
class BackendDataTest : public DataTest, public ::testing::WithParamInterface<Backend> {
protected:
    Backend backend() const override { return GetParam(); }
};
