#pragma once

// Set-up of the organisation table tests: the engine fixture plus a work
// database for the panels, and short ways to put rows in, read a field back
// and run a form as its window would.

#include "engine_fixture.h"

#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "tables/code_lists.h"

#include <QSqlQuery>
#include <QSqlRecord>

class OrganisationTableTest : public EngineTest {
protected:
    void SetUp() override
    {
        qputenv("TEMP", folder.path().toLocal8Bit());
        EngineTest::SetUp();
        work = std::make_unique<WorkDatabase>();
    }

    void TearDown() override
    {
        CodeLists::setFolder(QString());
        work.reset();
        qunsetenv("TEMP");
        EngineTest::TearDown();
    }

    /// Small code-list files (departments, localities, groups, subgroups) in
    /// place of the shipped ones.
    void useCodeLists()
    {
        codeLists.write(QStringLiteral("deptos.txt"), "# departamentos\n01;Artigas\n02;Canelones\n10;Montevideo\n");
        codeLists.write(QStringLiteral("locali.txt"), "Canelones;Pando\nMontevideo;Montevideo\nCanelones;Las Piedras\n");
        codeLists.write(QStringLiteral("grupo.txt"), "09;Industria de la construcción\n10;Comercio en general\n");
        codeLists.write(QStringLiteral("subgru.txt"), "09;01;Construcción\n10;01;Mayoristas\n10;02;Minoristas\n");
        CodeLists::setFolder(codeLists.path());
    }

    void addRow(const QString& table, const RowValues& values)
    {
        ASSERT_TRUE(database) << "no database: the set-up failed";
        QString error;
        ASSERT_TRUE(insertRow(*database, table, values, &error)) << error.toStdString();
    }

    void execute(const QString& statement)
    {
        ASSERT_TRUE(database) << "no database: the set-up failed";
        ASSERT_FALSE(database->execute(statement)) << statement.toStdString();
    }

    /// `field` of the first row of `table` where `where` holds, or "<ninguna>".
    QVariant fieldOf(const QString& table, const QString& field, const QString& where)
    {
        QSqlQuery query(database->connection());
        if (!query.exec(sql(QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(field, table, where))) || !query.next())
            return QStringLiteral("<ninguna>");
        return query.value(0);
    }

    /// A form started with `key` and `mode`, as a caller starts it; on another
    /// workstation's `connection` and `port` when given.
    std::unique_ptr<Transaction> open(const TransactionDecl& declaration, const QString& key, const QString& mode,
                                      Database* connection = nullptr, UiPort* port = nullptr)
    {
        auto form = std::make_unique<Transaction>(declaration, connection ? *connection : *database,
                                                  port ? *port : static_cast<UiPort&>(ui));
        form->start(key, mode);
        return form;
    }

    /// Opens the form on `key` in "DLT" mode, which deletes at once,
    /// answering `yes` to the delete question if it is asked.
    void removeThrough(const TransactionDecl& declaration, const QString& key, bool yes = true)
    {
        ui.answer(yes);
        auto form = open(declaration, key, QStringLiteral("DLT"));
        EXPECT_TRUE(form->isClosed());
    }

    /// Confirms `form` and expects the refusal `message` alone.
    void expectRefused(Transaction& form, const QString& message)
    {
        ui.clear();
        EXPECT_FALSE(form.confirm());
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{message});
    }

    /// Every row of `table`, each as its values joined, sorted: a picture to
    /// compare before and after a change that must leave the table alone.
    QStringList rowsOf(const QString& table)
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        EXPECT_TRUE(query.exec(sql(QStringLiteral("SELECT * FROM ") + table))) << table.toStdString();
        while (query.next()) {
            QStringList values;
            for (int column = 0; column < query.record().count(); ++column)
                values << query.value(column).toString().trimmed();
            rows << values.join(u'|');
        }
        rows.sort();
        return rows;
    }

    std::unique_ptr<WorkPanel> openPanel(const WorkPanelDecl& declaration, const QString& key = {})
    {
        auto panel = std::make_unique<WorkPanel>(declaration, *database, ui, *work);
        const DbError error = panel->open(key);
        EXPECT_FALSE(error) << error.fullText().toStdString();
        return panel;
    }

    /// The texts of `column` of every loaded grid row, in grid order.
    static QStringList column(const WorkPanel& panel, int column)
    {
        QStringList texts;
        for (int row = 0; row < panel.rowCount(); ++row)
            texts << panel.cellText(row, column);
        return texts;
    }

    /// The keys of the panel's loaded rows, in grid order.
    static QStringList keys(const WorkPanel& panel)
    {
        QStringList found;
        for (int row = 0; row < panel.rowCount(); ++row)
            found << panel.keyAt(row);
        return found;
    }

    /// The grid row whose key is `key`, or -1.
    static int rowOf(const WorkPanel& panel, const QString& key)
    {
        for (int row = 0; row < panel.rowCount(); ++row) {
            if (panel.keyAt(row) == key)
                return row;
        }
        return -1;
    }

    std::unique_ptr<WorkDatabase> work;
    TempFolder codeLists;
};
