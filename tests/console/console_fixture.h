#pragma once

// Shared set-up of the console tests: the engine tests' fresh database on the
// backend under test, the session of a console command (the fixed
// supervisor with every right), and the console port writing into texts the
// tests read line by line.

#include "engine_fixture.h"

#include "console/console_ui_port.h"
#include "data/database_setup.h"

#include <QTextStream>

class ConsoleTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        VBGlob::put(QStringLiteral("Usuario"), QStringLiteral("ADMIN"));
        VBGlob::put(QStringLiteral("Permisos"), fullRights());
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
        ASSERT_TRUE(insertRow(*database, QStringLiteral("CARGOSFU"),
                              {{QStringLiteral("FunId"), employee},
                               {QStringLiteral("FunAL"), 1},
                               {QStringLiteral("FunCatId"), category}},
                              &error))
            << error.toStdString();
    }

    QString output;
    QString errors;
    QTextStream out{&output};
    QTextStream err{&errors};
    ConsoleUiPort console{out, err};
};
