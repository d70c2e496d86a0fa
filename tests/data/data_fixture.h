#pragma once

// Shared set-up of the record-access tests: a fresh database of the program
// in the test's own temporary folder, and more connections to it to play
// other workstations.

#include "data/cursor.h"
#include "data/database.h"
#include "data/database_setup.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <memory>

class DataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        database_ = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
        ASSERT_TRUE(database_->open(Database::OpenMode::CreateIfMissing)) << qPrintable(database_->errorText());
        QString error;
        ASSERT_TRUE(createDatabase(*database_, &error)) << qPrintable(error);
    }

    QString databaseFile() const { return folder_.file(QStringLiteral("KQ_DATA.MDB")); }
    Database& db() { return *database_; }

    /// Another workstation's connection to the same file.
    std::unique_ptr<Database> openSecond()
    {
        auto second = std::make_unique<Database>(DatabaseLocation::sqliteFile(databaseFile()));
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
        EXPECT_TRUE(count.open(sql, values).ok());
        return static_cast<int>(count.integer(QStringLiteral("N")));
    }

    TempFolder folder_;
    std::unique_ptr<Database> database_;
};
