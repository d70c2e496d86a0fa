// uordane-admin form, run in the process: transactions filled in step by
// step, their messages on the console and their effects in the database.
#include "console_fixture.h"

#include "console/form_script.h"
#include "console/panel_script.h"

#include <QSqlQuery>

namespace {

class FormScriptTest : public ConsoleTest {
protected:
    /// Runs `object` in `mode` with the step options `steps`.
    ExitStatus form(const QString& object, const QString& mode, const QStringList& steps, QString* problem = nullptr)
    {
        FormScript script;
        script.object = object;
        script.mode = mode;
        QString parseProblem;
        for (qsizetype at = 0; at < steps.size();) {
            if (!takeFormStep(steps, at, script.steps, &parseProblem) || !parseProblem.isEmpty()) {
                ADD_FAILURE() << "not a step: " << steps.at(at).toStdString() << parseProblem.toStdString();
                return ExitUsage;
            }
        }
        QString runProblem;
        const ExitStatus status = runFormScript(script, *database, console, out, &runProblem);
        if (problem)
            *problem = runProblem;
        return status;
    }

    QStringList raiseLines(int table)
    {
        QSqlQuery query(database->connection());
        query.prepare(sql("SELECT AumFch, AumPor FROM AUMENTO1 WHERE AumId = ? ORDER BY AumFch"));
        query.addBindValue(table);
        EXPECT_TRUE(query.exec());
        QStringList lines;
        while (query.next()) {
            lines << query.value(0).toDate().toString("dd/MM/yyyy") + u' ' + QString::number(query.value(1).toDouble());
        }
        return lines;
    }
};

TEST_F(FormScriptTest, AddsACategoryWithItsAuditAndRefusesAnExistingKey)
{
    EXPECT_EQ(form("TCATEGOR", "INS", {"--key", "90", "--set", "CatDesc=Capataz"}), ExitDone);
    EXPECT_EQ(categoryDescription(90), "Capataz");
    EXPECT_EQ(auditTexts(), QStringList{"Agrega categorìa 90, descripción = Capataz"});
    EXPECT_TRUE(outputLines().isEmpty()) << output.toStdString();

    EXPECT_EQ(form("TCATEGOR", "INS", {"--key", "90", "--set", "CatDesc=Otra"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Exclamación: Ya existe el registro"});
    EXPECT_EQ(categoryDescription(90), "Capataz");
    EXPECT_EQ(auditTexts().size(), 1);
}

TEST_F(FormScriptTest, DeleteIsRefusedWhileInUseAndOnlyYesDeletesAFreeOne)
{
    addCategory(3, "Peón");
    addCategory(4, "Oficial");
    addEmployeeWithCategory(100, 3);

    console.answer(true);
    EXPECT_EQ(form("TCATEGOR", "DLT", {"--key", "3"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{QStringLiteral(
                                 "Exclamación: Eliminación inválida, hay información en \"CargosFuncionario\".")});
    EXPECT_EQ(categoryDescription(3), "Peón");

    // The answer was not used by the refused delete: it goes to the next question.
    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "DLT", {"--key", "4"}), ExitDone);
    EXPECT_EQ(outputLines(), QStringList{"Pregunta: ¿Realmente desea eliminar estos datos?  => si"});
    EXPECT_EQ(categoryDescription(4), "<ninguna>");
    EXPECT_EQ(auditTexts(), QStringList{"Elimina categoría 4"});

    // No answers left: the question is answered No and nothing goes.
    addCategory(5, "Medio oficial");
    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "DLT", {"--key", "5"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Pregunta: ¿Realmente desea eliminar estos datos?  => no"});
    EXPECT_EQ(categoryDescription(5), "Medio oficial");

    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "DLT", {"--key", "6"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Exclamación: No se encontro el registro"});
}

TEST_F(FormScriptTest, EachSetIsCheckedWhenItsFieldIsLeftAndUpdatesNeedTheRecord)
{
    addCategory(3, "Peón");

    EXPECT_EQ(form("TCATEGOR", "UPD", {"--key", "3", "--set", "CatDesc=   "}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Exclamación: Falta descripción"});
    EXPECT_EQ(categoryDescription(3), "Peón");

    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "UPD", {"--key", "3", "--set", "CatDesc=Peones"}), ExitDone);
    EXPECT_EQ(categoryDescription(3), "Peones");

    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "UPD", {"--key", "77", "--set", "CatDesc=Nadie"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Exclamación: No se encontro el registro"});
    EXPECT_EQ(categoryDescription(77), "<ninguna>");

    // A key that does not fit its picture is refused as the window refuses it.
    clearOutput();
    EXPECT_EQ(form("TCATEGOR", "INS", {"--key", "ab", "--set", "CatDesc=Letras"}), ExitRefused);
    ASSERT_EQ(outputLines().size(), 1);
    EXPECT_TRUE(outputLines().first().startsWith("Exclamación: ")) << output.toStdString();
    EXPECT_EQ(countRows("CATEGORI"), 1);
}

TEST_F(FormScriptTest, NamesTheFormDoesNotHaveAreWrongUsage)
{
    QString problem;
    EXPECT_EQ(form("TCATEGOR", "INS", {"--key", "9", "--set", "CatNombre=x"}, &problem), ExitUsage);
    EXPECT_EQ(problem, "El formulario TCATEGOR no tiene el campo CatNombre");
    EXPECT_EQ(form("TCATEGOR", "INS", {"--key", "9", "--key", "1"}, &problem), ExitUsage);
    EXPECT_EQ(form("TCATEGOR", "INS", {"--row", "1:CatDesc=x"}, &problem), ExitUsage);
    EXPECT_EQ(problem, "El formulario TCATEGOR no tiene líneas");
    EXPECT_EQ(form("WCATEGOR", "INS", {}, &problem), ExitUsage);
    EXPECT_EQ(problem, "WCATEGOR es un panel: use uordane-admin panel");
    EXPECT_EQ(form("TNADA", "INS", {}, &problem), ExitUsage);
    EXPECT_EQ(form("TCATEGOR", "XYZ", {}, &problem), ExitUsage);
    EXPECT_EQ(form("TCATEGOR", "DSP", {}, &problem), ExitUsage);
    EXPECT_EQ(countRows("CATEGORI"), 0);
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(FormScriptTest, DisplayPrintsTheFieldsByName)
{
    addCategory(3, "Peón");
    EXPECT_EQ(form("TCATEGOR", "DSP", {"--key", "3"}), ExitDone);
    EXPECT_EQ(outputLines(), (QStringList{"CatId\t3", "CatDesc\tPeón"}));
}

TEST_F(FormScriptTest, RaiseTableLinesAreEnteredByRowAndDeletedByRow)
{
    EXPECT_EQ(form("TTABAUME", "INS",
                   {"--key", "5", "--set", "AumDesc=Convenio", "--row", "1:AumFch=01/03/26", "--row", "1:AumPor=2.5",
                    "--row", "2:AumFch=01/09/26", "--row", "2:AumPor=3", "--row", "3:AumFch=01/01/27", "--row",
                    "3:AumPor=4"}),
              ExitDone)
        << output.toStdString();
    EXPECT_EQ(raiseLines(5), (QStringList{"01/03/2026 2.5", "01/09/2026 3", "01/01/2027 4"}));

    // Line 2 goes, line 3 changes: one confirm writes both.
    clearOutput();
    console.answer(true);
    EXPECT_EQ(form("TTABAUME", "UPD", {"--key", "5", "--delete-row", "2", "--row", "3:AumPor=4.75"}), ExitDone)
        << output.toStdString();
    EXPECT_EQ(raiseLines(5), (QStringList{"01/03/2026 2.5", "01/01/2027 4.75"}));

    // A line the check refuses stops the confirm and writes nothing.
    clearOutput();
    EXPECT_EQ(form("TTABAUME", "UPD", {"--key", "5", "--row", "3:AumFch=01/06/27"}), ExitRefused);
    EXPECT_EQ(outputLines(), QStringList{"Exclamación: El porcentaje de aumento no puede ser 0."});
    EXPECT_EQ(raiseLines(5).size(), 2);

    QString problem;
    EXPECT_EQ(form("TTABAUME", "UPD", {"--key", "5", "--delete-row", "9"}, &problem), ExitUsage);
    EXPECT_EQ(problem, "No existe la línea 9; el formulario tiene 2");

    clearOutput();
    EXPECT_EQ(form("TTABAUME", "DSP", {"--key", "5"}), ExitDone);
    const QStringList shown = outputLines();
    EXPECT_TRUE(shown.contains("AumDesc\tConvenio")) << output.toStdString();
    EXPECT_TRUE(shown.contains("2:AumFch\t01/01/27")) << output.toStdString();
}

class PanelScriptTest : public ConsoleTest {
protected:
    ExitStatus panel(const PanelScript& script, QString* problem = nullptr)
    {
        QString runProblem;
        const ExitStatus status = runPanelScript(script, *database, console, out, &runProblem);
        if (problem)
            *problem = runProblem;
        return status;
    }
};

TEST_F(PanelScriptTest, ListsTheRowsAfterTheButtonsPressedOnThem)
{
    addCategory(1, "Peón");
    addCategory(2, "Oficial");
    addCategory(3, "Capataz");
    addEmployeeWithCategory(100, 3);

    EXPECT_EQ(panel({"WCATEGOR", {}, {}}), ExitDone);
    ASSERT_EQ(outputLines().size(), 4) << output.toStdString();
    EXPECT_TRUE(outputLines().at(0).contains(u'\t'));
    EXPECT_EQ(outputLines().mid(1), (QStringList{"1\tPeón", "2\tOficial", "3\tCapataz"}));

    // Eliminar on row 2 asks through its transaction; on row 3 the transaction refuses.
    clearOutput();
    console.answer(true);
    EXPECT_EQ(panel({"WCATEGOR", {}, {{"Eliminar", 2}}}), ExitDone);
    EXPECT_EQ(outputLines().mid(2), (QStringList{"1\tPeón", "3\tCapataz"}));
    EXPECT_EQ(outputLines().first(), "Pregunta: ¿Realmente desea eliminar estos datos?  => si");

    clearOutput();
    console.answer(true);
    EXPECT_EQ(panel({"WCATEGOR", {}, {{"eliminar", 2}}}), ExitRefused);
    EXPECT_EQ(outputLines().first(), "Exclamación: Eliminación inválida, hay información en \"CargosFuncionario\".");
    EXPECT_EQ(categoryDescription(3), "Capataz");

    QString problem;
    EXPECT_EQ(panel({"WCATEGOR", {}, {{"Copiar", 1}}}, &problem), ExitUsage);
    EXPECT_TRUE(problem.startsWith("El panel WCATEGOR no tiene la acción Copiar"));
    EXPECT_EQ(panel({"WCATEGOR", {}, {{"Eliminar", 7}}}, &problem), ExitUsage);
    EXPECT_EQ(panel({"TCATEGOR", {}, {}}, &problem), ExitUsage);
}

TEST_F(PanelScriptTest, TheDescriptionFilterTakesTheFieldNameAndIgnoresAccents)
{
    for (const auto& [number, description] :
         QList<QPair<int, QString>>{{1, "Peón"}, {2, "PENSIONISTA"}, {3, "Oficial"}, {4, "pe"}}) {
        QString error;
        ASSERT_TRUE(insertRow(*database, "CARGOS",
                              {{"CarId", number}, {"CarDesc1", description}}, &error))
            << error.toStdString();
    }
    EXPECT_EQ(panel({"WCARGOS", {{"cardesc1", "pe n"}}, {}}), ExitDone);
    const QStringList rows = outputLines().mid(1);
    ASSERT_EQ(rows.size(), 2) << output.toStdString();
    EXPECT_TRUE(rows.at(0).startsWith("1\tPeón"));
    EXPECT_TRUE(rows.at(1).startsWith("2\tPENSIONISTA"));
}

}  // namespace
