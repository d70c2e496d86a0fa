#pragma once

// Shared set-up of the console tests: the engine tests' fresh database on the
// backend under test, the session of a console command (the fixed
// supervisor with every right), and the console port writing into texts the
// tests read line by line.

#include "engine_fixture.h"

#include "console/console_ui_port.h"
#include "data/database_setup.h"

#include <QDir>
#include <QProcess>
#include <QTextStream>

#include <functional>

/// What one run of uordane-admin gave.
struct AdminCommandRun {
    int status = -1;  ///< the exit status; -1 when it crashed or hung
    QStringList out;  ///< standard output, one entry per line
    QString err;
};

class ConsoleTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        VBGlob::put("Usuario", "ADMIN");
        VBGlob::put("Permisos", fullRights());
    }

    /// What went to standard output, one entry per line.
    QStringList outputLines() const { return output.split(u'\n', Qt::SkipEmptyParts); }
    void clearOutput()
    {
        output.clear();
        errors.clear();
    }

    void addEmployeeWithCategory(int employee, int category)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, "CARGOSFU",
                              {{"FunId", employee},
                               {"FunAL", 1},
                               {"FunCatId", category}},
                              &error))
            << error.toStdString();
    }

    /// The options that name the test's company: its folder or its server.
    QStringList adminCompany() const
    {
        if (backend() != Backend::Postgres)
            return {folder.path()};
        const DatabaseLocation where = location();
        const QString server = where.port > 0 ? where.server + u':' + QString::number(where.port) : where.server;
        QStringList options{"--server", server, "--database", where.database};
        if (!where.user.isEmpty())
            options << "--user" << where.user;
        return options;
    }

    /// uordane-admin with `arguments` as given, run in the test's folder with
    /// the folder "tmp" in it as its temporary folder; `environment` changes
    /// the rest of its environment.
    AdminCommandRun runAdminProcess(const QStringList& arguments,
                                    const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        QDir().mkpath(folder.file("tmp"));
        QProcess process;
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        variables.insert("TEMP", folder.file("tmp"));
        variables.insert("TMP", folder.file("tmp"));
        if (environment)
            environment(variables);
        process.setProcessEnvironment(variables);
        process.setWorkingDirectory(folder.path());
        process.start(UORDANE_ADMIN_PATH, arguments);
        AdminCommandRun run;
        if (!process.waitForFinished(60000)) {
            ADD_FAILURE() << "uordane-admin did not finish: " << process.errorString().toStdString();
            process.kill();
            return run;
        }
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    /// uordane-admin `command` (the command and its object) on the test's
    /// company, then `arguments`.
    AdminCommandRun runAdmin(const QStringList& command, const QStringList& arguments = {},
                             const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        return runAdminProcess(command + adminCompany() + arguments, environment);
    }

    /// What uordane-admin left in its temporary folder.
    QStringList leftInTemp() const { return QDir(folder.file("tmp")).entryList(QDir::Files | QDir::Hidden); }

    QString output;
    QString errors;
    QTextStream out{&output};
    QTextStream err{&errors};
    ConsoleUiPort console{out, err};
};
