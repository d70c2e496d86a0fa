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
#include "test_server.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <memory>
#include <string>

/// "Sqlite" or "Postgres", for the names of parameterised tests.
inline std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return testBackendName(info.param).toStdString();
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
            QString error;
            ASSERT_TRUE(server_.create("data", &error)) << qPrintable(error);
        }
        database_ = std::make_unique<Database>(location());
        ASSERT_TRUE(database_->open(Database::OpenMode::CreateIfMissing)) << qPrintable(database_->errorText());
        QString error;
        ASSERT_TRUE(createDatabase(*database_, &error)) << qPrintable(error);
    }

    void TearDown() override
    {
        database_.reset();
        QString error;
        EXPECT_TRUE(server_.drop(&error)) << qPrintable(error);
    }

    virtual Backend backend() const { return Backend::Sqlite; }

    /// Where the test's database is.
    DatabaseLocation location() const
    {
        if (backend() == Backend::Postgres)
            return server_.location();
        return DatabaseLocation::sqliteFile(databaseFile());
    }
    QString databaseFile() const { return folder_.file("KQ_DATA.MDB"); }
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
        ASSERT_TRUE(categories.open("CATEGORI").ok());
        ASSERT_TRUE(categories.addNew().ok());
        ASSERT_TRUE(categories.setValue("CatId", id).ok());
        ASSERT_TRUE(categories.setValue("CatDesc", description).ok());
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
        return static_cast<int>(count.integer("N"));
    }

    TempFolder folder_;
    std::unique_ptr<Database> database_;

private:
    ServerTestDatabase server_;
};

/// DataTest once per backend; the backend is the test's parameter.
class BackendDataTest : public DataTest, public ::testing::WithParamInterface<Backend> {
protected:
    Backend backend() const override { return GetParam(); }
};
