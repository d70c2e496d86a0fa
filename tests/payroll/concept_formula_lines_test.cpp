// TCONCEP1 and TCONCEP4 as a whole: the header read from the concept, the
// grid's descriptions, new numbers, the write with the concept's last line
// number and its audit, another workstation's changes, "&Eliminar", the
// renumbering and the program read as one formula; and a program typed
// through the console's form runner.
#include "concept_formula_fixture.h"

#include "console/form_script.h"
#include "payroll/line_renumbering.h"
#include "payroll/readable_formula.h"

namespace {

class ConceptFormulaLinesTest : public ConceptFormulaTest {
protected:
    void SetUp() override
    {
        ConceptFormulaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addConcept(5, QStringLiteral("Horas extra"), 1, 20);
        addConcept(101, QStringLiteral("Aporte jubilatorio BPS"), 2);
        addBasic(12, QStringLiteral("Laudo peón"));
        addAccumulator(QStringLiteral("L"), 2, QStringLiteral("Gravado de la liquidación"));
    }

    static int column(const Transaction& form, const QString& field) { return form.lines()->column(field); }

    void setSwitches(const QString& value)
    {
        setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Con"), value);
        setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), value);
    }
};

TEST_F(ConceptFormulaLinesTest, HeaderDescriptionsAndNewNumbers)
{
    setParameterText(QStringLiteral("Configur"), QStringLiteral("Imp3"), QStringLiteral("Horas nocturnas"));
    addAmountLine(5, 10, QStringLiteral("+"), QStringLiteral("ACL"), 2);
    addAmountLine(5, 20, QStringLiteral("*"), QStringLiteral("XIM"), 3);
    addAmountLine(5, 30, QStringLiteral("+"), QStringLiteral("IMP"), 4);
    addAmountLine(5, 35, QStringLiteral("-"), QStringLiteral("HSM"));
    auto form = open(TCONCEP1(), "5", "UPD");
    EXPECT_EQ(form->title(), QStringLiteral("Cálculo de importe"));
    EXPECT_EQ(form->text("ConDesc"), QStringLiteral("Horas extra"));
    EXPECT_FALSE(form->setText("ConDesc", "Otra cosa")) << "the header is read-only";

    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 4);
    const int description = column(*form, "Descripcion");
    EXPECT_EQ(lines.text(0, description), QStringLiteral("Gravado de la liquidación"));
    EXPECT_EQ(lines.text(1, description), QStringLiteral("Horas nocturnas func. subrogado"));
    EXPECT_EQ(lines.text(2, description), QStringLiteral("Importe 4"));
    EXPECT_EQ(lines.text(3, description), QStringLiteral("Horas mensuales"));
    EXPECT_FALSE(lines.setText(0, description, "x"));

    // The concept keeps 20 but the grid already holds 35: the next is 40, then 45.
    const int first = lines.addLine();
    const int second = lines.addLine();
    EXPECT_EQ(lines.text(first, 0).trimmed(), "40");
    EXPECT_EQ(lines.text(second, 0).trimmed(), "45");
    lines.setText(first, column(*form, "OpeOpe"), "+");
    lines.setText(first, column(*form, "OpeUsar"), "BAS");
    lines.setText(first, column(*form, "BasId"), "12");
    lines.setText(first, column(*form, "OpeCargo"), "N");
    EXPECT_EQ(lines.text(first, description), QStringLiteral("Laudo peón"));
    // A number put back to zero on a new line takes the next one when checked.
    lines.setText(second, 0, "0");
    lines.setText(second, column(*form, "OpeOpe"), "T");
    EXPECT_TRUE(form->confirm());
    EXPECT_EQ(storedLines(5).mid(4), QStringList({"40 + BAS 0", "45 T  0"}));
    EXPECT_EQ(lastLine(5), 45);
}

TEST_F(ConceptFormulaLinesTest, LinesAreWrittenWithTheLastNumberAndOneAuditEntryEach)
{
    addAmountLine(5, 10, QStringLiteral("+"), QStringLiteral("HAB"));
    addAmountLine(5, 20, QStringLiteral("*"), QStringLiteral("VAL"), 2);
    auto form = open(TCONCEP1(), "5", "UPD");
    LineTable& lines = *form->lines();
    lines.setText(0, column(*form, "OpeObserva"), "todos los haberes");
    lines.markForDeletion(1);
    typeLine(lines, {{"OpeOpe", "-"}, {"ConIdImp", "101"}, {"OpeMult", "1.5"}});
    ui.answer(true);  // the line marked for deletion
    EXPECT_TRUE(form->confirm());

    EXPECT_EQ(storedLines(5), QStringList({"10 + HAB 0", "25 -  0"}));
    EXPECT_EQ(lastLine(5), 25);
    EXPECT_EQ(auditEntries(),
              QStringList({"Modifica linea calculo de importe Concepto 5-Horas extra, línea 10,+,0,HAB,,0,,,,0,,0,0,0,,"
                           "todos los haberes",
                           "Elimina linea calculo de importe Concepto 5-Horas extra, línea 20,*,0,VAL,,0,,,,0,,2,0,0,,",
                           "Agrega linea calculo de importe Concepto 5-Horas extra, línea 25,-,0,,,0,,,,101,,0,1.5,0,,"}));
    for (const AuditLine& line : auditLines())
        EXPECT_EQ(line.area, 13);

    // A change that leaves the highest line alone keeps the concept's number
    // in step with what the table holds.
    form = open(TCONCEP1(), "5", "UPD");
    form->lines()->markForDeletion(1);
    ui.answer(true);
    EXPECT_TRUE(form->confirm());
    EXPECT_EQ(lastLine(5), 10);
}

TEST_F(ConceptFormulaLinesTest, AnotherWorkstationsChangesAreRefused)
{
    addAmountLine(5, 10, QStringLiteral("+"), QStringLiteral("HAB"));
    auto other = openConnection();

    auto form = open(TCONCEP1(), "5", "UPD");
    form->lines()->setText(0, column(*form, "OpeObserva"), "mío");
    ASSERT_FALSE(other->execute("UPDATE CONCEPT1 SET OpeObserva = 'suyo' WHERE ConId = 5 AND OpeLin = 10"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts().last(), QStringLiteral("CONCEPT1 fue modificada."));
    EXPECT_EQ(fieldOf("CONCEPT1", "OpeObserva", "ConId = 5").toString(), QStringLiteral("suyo"));
    EXPECT_EQ(lastLine(5), 20) << "nothing of the write stayed";
    form->close();

    ui.clear();
    form = open(TCONCEP1(), "5", "UPD");
    typeLine(*form->lines(), {{"OpeOpe", "+"}, {"OpeUsar", "HSD"}});
    ASSERT_FALSE(other->execute("UPDATE CONCEPT SET ConDesc = 'Horas extra 100%' WHERE ConId = 5"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts().last(), QStringLiteral("CONCEPT fue modificada."));
    EXPECT_EQ(storedLines(5), QStringList{"10 + HAB 0"});
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(ConceptFormulaLinesTest, EliminarRemovesEveryLineAfterItsQuestionUnlessTheTableIsCopied)
{
    addAmountLine(5, 10, QStringLiteral("+"), QStringLiteral("HAB"));
    addAmountLine(5, 15, QStringLiteral("*"), QStringLiteral("VAL"), 1);
    addAmountLine(6, 5, QStringLiteral("+"), QStringLiteral("HAB"));
    auto form = open(TCONCEP1(), "5", "UPD");
    ui.answer(false);
    EXPECT_TRUE(form->press("Eliminar"));
    EXPECT_EQ(storedLines(5).size(), 2);

    ui.answer(true);
    EXPECT_TRUE(form->press("Eliminar"));
    EXPECT_EQ(ui.texts(), QStringList({"Eliminar toda la información en Conceptos?",
                                       "Eliminar toda la información en Conceptos?"}));
    EXPECT_TRUE(storedLines(5).isEmpty());
    EXPECT_EQ(storedLines(6).size(), 1) << "another conceptId's lines stay";
    EXPECT_EQ(lastLine(5), 0);
    EXPECT_EQ(form->lines()->rowCount(), 0);
    EXPECT_EQ(auditTexts(),
              QStringList({"Elimina linea calculo de importe Concepto 5-Horas extra, línea 10,+,0,HAB,,0,,,,0,,0,0,0,,",
                           "Elimina linea calculo de importe Concepto 5-Horas extra, línea 15,*,0,VAL,,0,,,,0,,1,0,0,,"}));

    // The form opened to delete removes the program too; the concept stays.
    addAmountLine(5, 10, QStringLiteral("+"), QStringLiteral("HAB"));
    ui.clear();
    ui.answer(true);
    open(TCONCEP1(), "5", "DLT");
    EXPECT_EQ(ui.texts(), QStringList{"Eliminar toda la información en Conceptos?"});
    EXPECT_TRUE(storedLines(5).isEmpty());
    EXPECT_EQ(fieldOf("CONCEPT", "ConDesc", "ConId = 5").toString().trimmed(), QStringLiteral("Horas extra"));

    // Copied automatically: nothing is asked, renumbered or deleted.
    addAmountLine(5, 7, QStringLiteral("+"), QStringLiteral("HAB"));
    setSwitches("S");
    ui.clear();
    const qsizetype audited = auditTexts().size();
    form = open(TCONCEP1(), "5", "UPD");
    EXPECT_FALSE(form->press("Eliminar"));
    form->press("Renumera");
    form->close();
    open(TCONCEP4(), "5", "UPD")->press("RenumLinea");
    EXPECT_EQ(ui.texts(),
              QStringList({copiedAutomaticallyText(),
                           "No puede renumerar lineas de cálculo de importe, esta tabla se copia automaticamente.",
                           "No puede renumerar lineas de cálculo de cantidad, esta tabla se copia automaticamente."}));
    EXPECT_EQ(storedLines(5), QStringList{"7 + HAB 0"});
    EXPECT_EQ(auditTexts().size(), audited);
}

TEST_F(ConceptFormulaLinesTest, RenumberingTwoHundredLinesReachesAThousand)
{
    for (int line = 1; line <= 200; ++line)
        addAmountLine(5, line * 3, QStringLiteral("+"), QStringLiteral("VAL"), line % 10 + 1);
    auto form = open(TCONCEP1(), "5", "UPD");
    EXPECT_TRUE(form->press("Renumera"));
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    const QStringList lines = storedLines(5);
    ASSERT_EQ(lines.size(), 200);
    EXPECT_EQ(lines.first(), QStringLiteral("5 + VAL 2"));
    EXPECT_EQ(lines.at(1), QStringLiteral("10 + VAL 3"));
    EXPECT_EQ(lines.last(), QStringLiteral("1000 + VAL 1"));
    EXPECT_EQ(lastLine(5), 1000);
    EXPECT_EQ(form->lines()->rowCount(), 200);
    EXPECT_EQ(form->lines()->text(199, 0).trimmed(), QStringLiteral("1000")) << "the grid shows the new numbers";
    EXPECT_EQ(auditTexts(), QStringList{"Renumera lineas calculo de importe Concepto 5-Horas extra"});

    // One more line would pass 1000.
    addAmountLine(5, 2000, QStringLiteral("+"), QStringLiteral("HAB"));
    ui.clear();
    EXPECT_TRUE(PRENUM1(*database, ui, 5) == false);
    EXPECT_EQ(ui.messages(MessageIcon::Information),
              QStringList{"No se puede renumerar de 5 en 5 porque se pasaría de 1000"});
    EXPECT_EQ(storedLines(5).last(), QStringLiteral("2000 + HAB 0"));
    EXPECT_EQ(lastLine(5), 1000);
}

TEST_F(ConceptFormulaLinesTest, RenumberingKeepsOrderWhereNewNumbersMeetOldOnes)
{
    addRow("CONCEPT4", {{"ConId", 5}, {"CanLin", 10}, {"CanOpe", "+"}, {"CanUsar", "HSD"}});
    addRow("CONCEPT4", {{"ConId", 5}, {"CanLin", 20}, {"CanOpe", "*"}, {"CanUsar", "VAL"}, {"CanNro", 2}});
    addRow("CONCEPT4", {{"ConId", 5}, {"CanLin", 25}, {"CanOpe", "/"}, {"CanUsar", "CAN"}});
    auto form = open(TCONCEP4(), "5", "UPD");
    // Lines typed and not written would be lost: confirm first.
    typeLine(*form->lines(), {{"CanOpe", "+"}});
    form->press("RenumLinea");
    EXPECT_EQ(ui.texts(), QStringList{"Debe confirmar antes los datos"});
    form->close();

    ui.clear();
    form = open(TCONCEP4(), "5", "UPD");
    EXPECT_TRUE(form->press("RenumLinea"));
    EXPECT_EQ(storedLines(5, FormulaKind::Quantity), QStringList({"5 + HSD 0", "10 * VAL 2", "15 / CAN 0"}));
    EXPECT_EQ(lastLine(5, FormulaKind::Quantity), 15);
    EXPECT_EQ(auditTexts(), QStringList{"Renumera lineas calculo de cantidad Concepto 5-Horas extra"});
}

TEST_F(ConceptFormulaLinesTest, TheProgramReadsAsOneFormulaAndUnbalancedParenthesesAreANotice)
{
    auto form = open(TCONCEP1(), "5", "UPD");
    LineTable& lines = *form->lines();
    typeLine(lines, {{"OpeOpe", "+"}, {"OpeAPar", "("}, {"OpeUsar", "BAS"}, {"BasId", "12"}, {"OpeCargo", "N"},
                     {"OpeMult", "1,5"}, {"OpeCPar", ")"}});
    typeLine(lines, {{"OpeOpe", "T"}, {"OpeObserva", "más el importe 3"}});
    typeLine(lines, {{"OpeOpe", "+"}, {"OpeUsar", "IMP"}, {"OpeNro", "3"}});
    typeLine(lines, {{"OpeOpe", "*"}, {"OpeAPar", "("}, {"OpeUsar", "ACL"}, {"OpeNro", "2"}, {"OpeDiv", "30"}});
    typeLine(lines, {{"OpeOpe", "R"}, {"OpeMult", "0.5"}});
    EXPECT_EQ(readableFormula(lines, FormulaKind::Amount),
              QStringLiteral("( BAS 12 [Carg N] × 1,5 ) + IMP 3 × ( ACL 2 ÷ 30 R 0,5"));
    // Moving the rounding before the product reorders the reading.
    lines.setText(4, 0, "37");
    EXPECT_EQ(readableFormula(lines, FormulaKind::Amount),
              QStringLiteral("( BAS 12 [Carg N] × 1,5 ) + IMP 3 R 0,5 × ( ACL 2 ÷ 30"));

    EXPECT_TRUE(form->confirm());
    EXPECT_EQ(ui.texts(),
              QStringList{"Aviso: Los paréntesis del cálculo de importe no están balanceados: se abren 2 y se cierran 1."});
    EXPECT_EQ(ui.messages(MessageIcon::Information).size(), 1);
    EXPECT_EQ(storedLines(5).size(), 5) << "a notice never stops the write";
}

TEST_F(ConceptFormulaLinesTest, OnlyALineOfParenthesesGoesWithoutOperation)
{
    auto form = open(TCONCEP1(), "5", "UPD");
    LineTable& lines = *form->lines();
    typeLine(lines, {{"OpeOpe", "+"}, {"OpeAPar", "("}, {"OpeUsar", "HAB"}});
    typeLine(lines, {{"OpeOpe", "-"}, {"OpeUsar", "RET"}});
    typeLine(lines, {{"OpeCPar", ")"}});
    typeLine(lines, {{"OpeOpe", "*"}, {"OpeUsar", "VAL"}, {"OpeNro", "1"}});
    EXPECT_EQ(readableFormula(lines, FormulaKind::Amount), QStringLiteral("( HAB - RET ) × VAL 1"));
    EXPECT_TRUE(form->confirm());
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(storedLines(5).size(), 4);

    form = open(TCONCEP1(), "5", "UPD");
    typeLine(*form->lines(), {{"OpeUsar", "HAB"}});
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(),
              QStringList{"-Operación- debe ser +, -, *, /, L, >, >=, <, <=, =, <>, :=, ::, T, R, R+, R-, V, F"});
}

TEST_F(ConceptFormulaLinesTest, TheFormRunnerTypesAProgramRowByRow)
{
    QString output;
    QString errors;
    QTextStream out(&output);
    QTextStream err(&errors);
    ConsoleUiPort console(out, err);
    auto run = [&](const QStringList& steps) {
        FormScript script;
        script.object = QStringLiteral("TCONCEP1");
        script.mode = QStringLiteral("UPD");
        QString problem;
        for (qsizetype at = 0; at < steps.size();)
            EXPECT_TRUE(takeFormStep(steps, at, script.steps, &problem) && problem.isEmpty()) << problem.toStdString();
        const ExitStatus status = runFormScript(script, *database, console, out, &problem);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        return status;
    };
    EXPECT_EQ(run({"--key", "5", "--row", "1:OpeOpe=+", "--row", "1:OpeUsar=HAB", "--row", "2:OpeOpe=*", "--row",
                   "2:OpeUsar=VAL", "--row", "2:OpeNro=2"}),
              ExitDone);
    EXPECT_EQ(storedLines(5), QStringList({"25 + HAB 0", "30 * VAL 2"}));
    EXPECT_EQ(lastLine(5), 30);
    EXPECT_EQ(auditTexts().size(), 2);
    EXPECT_TRUE(output.isEmpty()) << output.toStdString();

    EXPECT_EQ(run({"--key", "5", "--row", "3:OpeOpe=+", "--row", "3:OpeUsar=IMP", "--row", "3:OpeNro=13"}),
              ExitRefused);
    EXPECT_EQ(output.trimmed(),
              QStringLiteral("Exclamación: -Nº- debe ser 1 a 12 para Importe Funcionario (IMP, IMPSUB, IB, IBSUB)"));
    EXPECT_EQ(storedLines(5).size(), 2);
}

}  // namespace
