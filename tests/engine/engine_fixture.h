#pragma once

// Shared set-up of the engine tests: a fresh database made by createDatabase,
// a logged-in user allowed to change the tables, and small readers of what the
// tests assert on (rows, audit lines, parameters).
//
// The database is an SQLite file in the test's temporary folder, or, when
// UORDANE_TEST_BACKEND is "Postgres", a database of its own on the test server
// (UORDANE_TEST_PG_*), dropped afterwards. CTest runs the binary once per
// backend; the Postgres run fails when no server is named, so that it never
// passes without having touched one.

#include "scripted_ui.h"
#include "temp_folder.h"
#include "test_server.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "data/parameters.h"
#include "startup/vbglob.h"

#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>

/// One line of AUDITORI as the tests look at it.
struct AuditLine {
    double correlative = 0;
    int line = 0;
    QString text;
    QString user;
    int area = 0;
    qint64 employee = -1;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VBGlob::clear();
        VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("juan"));
        // "M" at position 8: may change the organisation tables.
        VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("SSSSSSSMS"));
        QString problem;
        backend_ = testBackend(&problem);
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        if (backend_ == Backend::Postgres) {
            // As the data tests do: no server named, the server's run of the
            // test is skipped and says why.
            if (const QString missing = testServerMissing(); !missing.isEmpty())
                GTEST_SKIP() << missing.toStdString();
            ASSERT_TRUE(server_.create(QStringLiteral("engine"), &problem)) << problem.toStdString();
        }
        database = openConnection(true);
        QString error;
        ASSERT_TRUE(createDatabase(*database, &error)) << error.toStdString();
    }

    void TearDown() override { VBGlob::clear(); }

    Backend backend() const { return backend_; }

    /// Where the test's database is.
    DatabaseLocation location() const
    {
        if (backend_ == Backend::Postgres)
            return server_.location();
        return DatabaseLocation::sqliteFile(folder.file("KQ_DATA.MDB"));
    }

    /// `statement`, written as the tests write it (bare mixed-case names), in
    /// the dialect of the test's database.
    QString sql(const QString& statement) const { return translateJetSql(statement, backend_); }

    /// Another workstation: a second connection to the same database.
    std::unique_ptr<Database> openConnection(bool create = false)
    {
        auto connection = std::make_unique<Database>(location());
        EXPECT_TRUE(connection->open(create ? Database::OpenMode::CreateIfMissing : Database::OpenMode::Existing))
            << connection->errorText().toStdString();
        return connection;
    }

    void addCategory(int number, const QString& description)
    {
        ASSERT_TRUE(database) << "no database: the set-up failed";
        QString error;
        ASSERT_TRUE(insertRow(*database, QStringLiteral("CATEGORI"),
                              {{QStringLiteral("CatId"), number}, {QStringLiteral("CatDesc"), description}}, &error))
            << error.toStdString();
    }

    /// The description of category `number`, or "<ninguna>" when it is missing.
    QString categoryDescription(int number)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT CatDesc FROM CATEGORI WHERE CatId = ?")));
        query.addBindValue(number);
        if (!query.exec() || !query.next())
            return QStringLiteral("<ninguna>");
        return query.value(0).toString();
    }

    int countRows(const QString& table)
    {
        QSqlQuery query(database->connection());
        if (!query.exec(sql(QStringLiteral("SELECT COUNT(*) FROM ") + table)) || !query.next())
            return -1;
        return query.value(0).toInt();
    }

    QList<AuditLine> auditLines()
    {
        QList<AuditLine> lines;
        QSqlQuery query(database->connection());
        query.exec(sql(QStringLiteral("SELECT AudCorrela, AudLinea, AudDescrip, UsuNombre, TarCodigo, AudFunId "
                                      "FROM AUDITORI ORDER BY AudCorrela, AudLinea")));
        while (query.next()) {
            lines.append({query.value(0).toDouble(), query.value(1).toInt(), query.value(2).toString(),
                          query.value(3).toString(), query.value(4).toInt(), query.value(5).toLongLong()});
        }
        return lines;
    }

    QStringList auditTexts()
    {
        QStringList texts;
        for (const AuditLine& line : auditLines())
            texts << line.text;
        return texts;
    }

    /// The audit entries, each one's lines joined again at the blank they were split on.
    QStringList auditEntries()
    {
        QStringList entries;
        double correlative = -1;
        for (const AuditLine& line : auditLines()) {
            if (line.correlative == correlative)
                entries.last() += u' ' + line.text;
            else
                entries << line.text;
            correlative = line.correlative;
        }
        return entries;
    }

    void setParameterText(const QString& group, const QString& name, const QString& text)
    {
        SilentUiPort silent;
        ASSERT_FALSE(PPARGC(*database, silent, group, name, 0, text));
    }

    void setParameterNumber(const QString& group, const QString& name, double number)
    {
        SilentUiPort silent;
        ASSERT_FALSE(PPARGN40(*database, silent, group, name, 0, number));
    }

private:
    // Declared before the connections so that it is destroyed after them:
    // they are closed before the server database is dropped.
    ServerTestDatabase server_;
    Backend backend_ = Backend::Sqlite;

protected:
    TempFolder folder;
    std::unique_ptr<Database> database;
    ScriptedUi ui;
};
