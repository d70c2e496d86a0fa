// Procedure windows run by name from the console: the change of a concept's
// code through `form` with named inputs (its preview printed before the
// question), what a procedure cannot take, and uordane-admin itself running
// the change and the consistency control on a company.
#include "console_fixture.h"

#include "console/console_procedures.h"
#include "console/form_script.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

class ConceptProceduresTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        ConsoleTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 10}, {u"ConDesc"_s, u"Sueldo"_s}, {u"ConTipo"_s, 1}, {u"ConPriorid"_s, 5}});
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 20}, {u"ConDesc"_s, u"Horas extra"_s}, {u"ConTipo"_s, 1},
                              {u"ConPriorid"_s, 1}});
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, 10}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 3}});
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, 20}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"+"_s}, {u"OpeUsar"_s, u"ACL"_s},
                               {u"OpeNro"_s, 3}});
        addRow(u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"FunId"_s, 7}, {u"ConId"_s, 10}});
    }

    void addRow(const QString& table, const RowValues& values)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, table, values, &error)) << error.toStdString();
    }

    int movementConcept()
    {
        QSqlQuery query(database->connection());
        if (!query.exec(sql(u"SELECT ConId FROM MOVIMIEN WHERE MovId = 1"_s)) || !query.next())
            return -1;
        return query.value(0).toInt();
    }

    ExitStatus form(const QString& object, const QStringList& steps, QString* problem)
    {
        FormScript script;
        script.object = object;
        for (qsizetype at = 0; at < steps.size();) {
            if (!takeFormStep(steps, at, script.steps, problem) || !problem->isEmpty()) {
                ADD_FAILURE() << "not a step: " << steps.at(at).toStdString();
                return ExitUsage;
            }
        }
        return runFormScript(script, *database, console, out, problem);
    }

    /// uordane-admin `command` (the command and its object), the test's
    /// company and `arguments`, as a script runs it.
    QStringList admin(const QStringList& command, const QStringList& arguments, int* status)
    {
        const AdminCommandRun run = runAdmin(command, arguments);
        *status = run.status;
        if (run.status == ExitUsage)
            ADD_FAILURE() << run.err.toStdString();
        return run.out;
    }
};

TEST_F(ConceptProceduresTest, FormRunsTheChangeOfCodeByItsInputsPrintingThePreviewFirst)
{
    QString problem;
    const QStringList merge = {"--key", "10", "--set", "Nuevo=20", "--set", "existente=S"};
    EXPECT_EQ(form(u"WCONCAMB"_s, merge, &problem), ExitRefused) << problem.toStdString();
    QStringList lines = outputLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.first(), u"Filas con el concepto 10 que pasan al concepto 20:"_s);
    EXPECT_TRUE(lines.contains(u"  Movimientos (MOVIMIEN.ConId): 1"_s));
    EXPECT_TRUE(lines.contains(u"  Acumuladores del concepto (CONCEPT3.ConId): 1 (se eliminan)"_s));
    EXPECT_EQ(lines.last(), u"Pregunta: Unifica concepto 10 con el concepto 20 ? => no"_s);
    EXPECT_EQ(movementConcept(), 10);

    clearOutput();
    console.answer(true);
    EXPECT_EQ(form(u"WCONCAMB"_s, merge, &problem), ExitDone) << problem.toStdString();
    lines = outputLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.at(lines.size() - 2), u"Pregunta: Unifica concepto 10 con el concepto 20 ? => si"_s);
    EXPECT_EQ(lines.last(), u"Información: Cambio finalizado"_s);
    EXPECT_EQ(movementConcept(), 20);
}

TEST_F(ConceptProceduresTest, AProcedureRefusesWhatItCannotTake)
{
    QString problem;
    EXPECT_EQ(form(u"WCONCAMB"_s, {"--key", "10", "--set", "Nuevo=30", "--set", "Existente=S"}, &problem), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{u"Exclamación: Nuevo código de concepto no existe"_s});

    clearOutput();
    EXPECT_EQ(form(u"WCONCAMB"_s, {"--key", "10", "--set", "Color=rojo"}, &problem), ExitUsage);
    EXPECT_EQ(problem, u"WCONCAMB no tiene el dato Color. Datos: Concepto, Nuevo, Existente, SoloLiquidaciones, "
                       "Desde, Hasta"_s);
    problem.clear();
    EXPECT_EQ(form(u"WCONCAMB"_s, {"--key", "10", "--press", "Confirmar"}, &problem), ExitUsage);
    EXPECT_TRUE(problem.startsWith(u"WCONCAMB es un procedimiento"_s)) << problem.toStdString();
    EXPECT_TRUE(outputLines().isEmpty());
    EXPECT_EQ(movementConcept(), 10);

    ASSERT_NE(ConsoleProcedures::find(u"wconcamb"_s), nullptr);
    EXPECT_EQ(ConsoleProcedures::find(u"WNOEXISTE"_s), nullptr);
    EXPECT_TRUE(consoleFlag(u"si"_s));
    EXPECT_FALSE(consoleFlag(u"N"_s));
}

TEST_F(ConceptProceduresTest, AdminPrintsThePreviewAndTheConsistencyWarnings)
{
    int status = -1;
    const QStringList preview =
        admin({"form", "WCONCAMB"}, {"--key", "10", "--set", "Nuevo=20", "--set", "Existente=S", "--answer", "no"},
              &status);
    EXPECT_EQ(status, ExitRefused);
    ASSERT_FALSE(preview.isEmpty());
    EXPECT_EQ(preview.first(), u"Filas con el concepto 10 que pasan al concepto 20:"_s);
    EXPECT_TRUE(preview.contains(u"  Movimientos (MOVIMIEN.ConId): 1"_s));
    EXPECT_EQ(preview.last(), u"Pregunta: Unifica concepto 10 con el concepto 20 ? => no"_s);

    const QString file = folder.file("control/avisos.txt");
    ASSERT_TRUE(QDir().mkpath(folder.file("control")));
    const QStringList warnings = admin({"check-concepts"}, {"--archivo", file}, &status);
    EXPECT_EQ(status, ExitDone);
    const QStringList expected = {
        u"AVISO: El concepto '10-Sueldo' que se acumula en el acumulador de liquidación 3 se liquida después que el "
        "concepto '20-Horas extra' que utiliza dicho acumulador en el cálculo de importe."_s};
    EXPECT_EQ(warnings, expected);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(QString::fromUtf8(written.readAll()).split(u'\n', Qt::SkipEmptyParts), expected);
}

}  // namespace
