// The rules a formula line meets before it is stored, family by family, on
// the amount lines (TCONCEP1) and where they differ on the quantity lines
// (TCONCEP4): each case types one line, confirms, and compares the
// messages shown, in order, and whether the line was stored.
#include "concept_formula_fixture.h"

namespace {

using Cells = QList<std::pair<QString, QString>>;

struct RuleCase {
    Cells cells;
    QStringList shown;  ///< every message and question, in order; empty: accepted in silence
};

class ConceptFormulaRulesTest : public ConceptFormulaTest {
protected:
    void SetUp() override
    {
        ConceptFormulaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addConcept(5, QStringLiteral("Horas extra"));
        addConcept(1, QStringLiteral("Sueldo mensual"));
        addConcept(101, QStringLiteral("Aporte jubilatorio BPS"), 2);
        addBasic(12, QStringLiteral("Laudo peón"));
        addAccumulator(QStringLiteral("H"), 3, QStringLiteral("Sueldos del año"), QStringLiteral("C"));
        addAccumulator(QStringLiteral("H"), 4, QStringLiteral("Sueldos cronológicos"), QStringLiteral("L"));
        addGroup(1, QStringLiteral("Aportes BPS"));
        addAttribute(7, QStringLiteral("NU"), QStringLiteral("Hijos"));
        addAttribute(8, QStringLiteral("FE"), QStringLiteral("Ingreso al cargo"));
        addAttribute(9, QStringLiteral("AN"), QStringLiteral("Sección"));
    }

    /// Types the case's line into the program of concept 5 and confirms.
    void check(FormulaKind kind, const RuleCase& rule)
    {
        ui.clear();
        // A missing code's question is answered No: the line stays to be corrected.
        for (const QString& text : rule.shown) {
            if (text.endsWith(QStringLiteral("DESEA VISUALIZAR?")))
                ui.answer(false);
        }
        const int before = storedLines(5, kind).size();
        auto form = open(formOf(kind), QStringLiteral("5"), QStringLiteral("UPD"));
        typeLine(*form->lines(), rule.cells);
        const bool written = form->confirm();
        QString typed;
        for (const auto& [field, text] : rule.cells)
            typed += field + u'=' + text + u' ';
        EXPECT_EQ(ui.texts(), rule.shown) << typed.toStdString();
        EXPECT_EQ(written, rule.shown.isEmpty()) << typed.toStdString();
        EXPECT_EQ(storedLines(5, kind).size(), before + (written ? 1 : 0)) << typed.toStdString();
        form->close();
    }

    void checkAll(FormulaKind kind, const QList<RuleCase>& cases)
    {
        for (const RuleCase& rule : cases)
            check(kind, rule);
    }
};

const QString flagsForOperand =
    QStringLiteral("No puede indicar Cargo, Centro de costo o Referencia para el valor del campo -Usar- seleccionado");

TEST_F(ConceptFormulaRulesTest, TheEdgeCasesOfTheLines)
{
    checkAll(FormulaKind::Amount,
             {
                 {{{"OpeOpe", "T"}, {"OpeObserva", "Horas a 150%"}}, {}},
                 {{{"OpeOpe", "T"}, {"OpeMult", "1"}}, {"Si utiliza T toda la línea debe estar en blanco"}},
                 {{{"OpeOpe", "T"}, {"OpeCPar", ")"}}, {"Si utiliza T toda la línea debe estar en blanco"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "VAL"}, {"OpeNro", "11"}}, {"-Nº- debe ser 1 a 10 para Valor (VALOR)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "IMP"}, {"OpeNro", "12"}}, {}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "IMP"}, {"OpeNro", "13"}},
                  {"-Nº- debe ser 1 a 12 para Importe Funcionario (IMP, IMPSUB, IB, IBSUB)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "BAS"}, {"BasId", "12"}},
                  {"Falta indicar -Básico Cargo CCosto Ref.- para búsqueda de básico (BAS, BASSUB, IB, IBSUB)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "HAB"}, {"OpeCargo", "N"}}, {flagsForOperand}},
                 // Codes typed in small letters are taken in capitals.
                 {{{"OpeOpe", "r"}, {"OpeMult", "0.5"}}, {}},
                 {{{"OpeOpe", "R"}}, {"Debe indicar la base de redondeo en el multiplicador"}},
             });
    EXPECT_EQ(storedLines(5), QStringList({"5 T  0", "10 + IMP 12", "15 R  0"}));
}

TEST_F(ConceptFormulaRulesTest, NumberRulesPerOperandFamily)
{
    checkAll(FormulaKind::Amount,
             {
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ACL"}}, {"-Nº- debe ser 1 a 99 para Acumulador de la Liquidación (ACL)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ACH"}}, {"-Nº- debe ser 1 a 99 para Acumulador Histórico (ACH)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ACM"}}, {"-Nº- debe ser 1 a 99 para Acumulador de movimientos (ACM)"}},
                 {{{"OpeOpe", "V"}, {"OpeNro", "11"}}, {"-Nº- debe ser 1 a 10 para operador V"}},
                 {{{"OpeOpe", "V"}}, {"Falta indicar Nº para operador V"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "VAL"}}, {"Falta indicar Nº para VAL"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "XIB"}, {"OpeCargo", "N"}},
                  {"-Nº- debe ser 1 a 12 para Importe Funcionario (IMP, IMPSUB, IB, IBSUB)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADN"}},
                  {"-Nº- debe ser 1 a 99 para Atributos adicionales del cargo o del funcionario (ADINUM, ADIAÑO, BASADI)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADN"}, {"OpeNro", "9"}}, {"El atributo adicional debe ser del tipo numérico."}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADF"}, {"OpeNro", "7"}}, {"El atributo adicional debe ser del tipo fecha."}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADB"}}, {"Falta indicar -Nº- para búsqueda de básico (BASADI)"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "RUT"}}, {"Falta indicar Nº para RUT"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "RUT"}, {"OpeNro", "4"}}, {"Nºde RUT incorrecto"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "HAB"}, {"OpeNro", "2"}},
                  {"-Nº- se indica solo para importe funcionario (IMP, IMPSUB, IB, IBSUB), acumulador de la liquidación "
                   "(ACL), acumulador de movimientos (ACM), acumulador histórico (ACH), RUT, VAL, operador VA, o "
                   "Atributos adicionales del cargo o del funcionario (ADINUM, ADIAÑO)"}},
                 // Accepted: the numbers in range, the attributes of their type, a routine of the list.
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADN"}, {"OpeNro", "7"}}, {}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ADF"}, {"OpeNro", "8"}}, {}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "RUT"}, {"OpeNro", "3"}}, {}},
                 {{{"OpeOpe", "*"}, {"OpeUsar", "VAL"}, {"OpeNro", "10"}}, {}},
             });
    EXPECT_EQ(storedLines(5), QStringList({"5 + ADN 7", "10 + ADF 8", "15 + RUT 3", "20 * VAL 10"}));
}

TEST_F(ConceptFormulaRulesTest, YearFlagsParenthesesAndCodes)
{
    checkAll(FormulaKind::Amount,
             {
                 {{{"OpeOpe", "X"}}, {"-Operación- debe ser +, -, *, /, L, >, >=, <, <=, =, <>, :=, ::, T, R, R+, R-, V, F"}},
                 {{{"OpeOpe", "+"}, {"OpeAPar", "["}}, {"Caracter incorrecto en apertura de paréntesis"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ZZZ"}}, {"-Usar- inválido"}},
                 // Only the quantity lines know the dismissal wages.
                 {{{"OpeOpe", "+"}, {"OpeUsar", "JID"}}, {"-Usar- inválido"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ACH"}, {"OpeNro", "3"}},
                  {"Debe indicar año para acumulador histórico año civil: A-anterior, C-corriente"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ACH"}, {"OpeNro", "4"}, {"OpeAnio", "A"}},
                  {"Año se indica solo para acumulador histórico año civil"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "BAS"}, {"BasId", "12"}, {"OpeCargo", "X"}}, {"-Cargo- debe ser N, M, F"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "BAS"}, {"BasId", "12"}, {"OpeCCosto", "Q"}}, {"-CCosto- debe ser N, M, F"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "BAS"}, {"BasId", "12"}, {"OpeCargo", "N"}, {"OpeRefAux", "Z"}},
                  {"-Ref.- debe ser N, M, F"}},
                 {{{"OpeOpe", "R"}, {"OpeMult", "-2"}}, {"La base de redondeo no puede ser negativa"}},
                 {{{"OpeOpe", "+"}, {"OpeCPar", "]"}}, {"Caracter incorrecto en cierre de paréntesis"}},
                 {{{"OpeOpe", ">="}, {"OpeAPar", "("}},
                  {"No puede hacer una comparación en la misma línea en que abre o cierra paréntesis"}},
                 {{{"OpeOpe", "+"}, {"OpeUsar", "ach"}, {"OpeNro", "3"}, {"OpeAnio", "c"}}, {}},
                 {{{"OpeOpe", "*"}, {"OpeUsar", "BAS"}, {"BasId", "12"}, {"OpeCargo", "N"}, {"OpeCCosto", "m"}}, {}},
             });
    EXPECT_EQ(storedLines(5), QStringList({"5 + ACH 3", "10 * BAS 0"}));
    EXPECT_EQ(fieldOf("CONCEPT1", "OpeCCosto", "ConId = 5 AND OpeLin = 10").toString().trimmed(), "M");
}

TEST_F(ConceptFormulaRulesTest, ContributionGroupAndConceptOfAmountLines)
{
    checkAll(FormulaKind::Amount,
             {
                 {{{"OpeOpe", "L"}}, {"Operación L requiere grupo de aportes"}},
                 {{{"OpeOpe", "L"}, {"OpeAporId", "3"}}, {"No existe Aporte. DESEA VISUALIZAR?"}},
                 {{{"OpeOpe", "+"}, {"ConIdImp", "777"}}, {"No existe Conceptos. DESEA VISUALIZAR?"}},
                 {{{"OpeOpe", "+"}, {"ConIdImp", "1"}}, {"El concepto indicado no es descuento de ley"}},
                 {{{"OpeOpe", "+"}, {"ConIdImp", "101"}, {"OpeAporId", "1"}},
                  {"Si indicó concepto no debe indicar grupo de aportes"}},
                 {{{"OpeOpe", "L"}, {"OpeAporId", "1"}}, {}},
                 {{{"OpeOpe", "-"}, {"ConIdImp", "101"}}, {}},
             });
    EXPECT_EQ(storedLines(5), QStringList({"5 L  0", "10 -  0"}));
    EXPECT_EQ(ui.unansweredQuestions(), 0);  // the questions above were answered No by default
}

TEST_F(ConceptFormulaRulesTest, QuantityLinesKeepOnlyTheConceptRulesAndTheirOwnOperands)
{
    checkAll(FormulaKind::Quantity,
             {
                 {{{"CanOpe", "+"}, {"ConIdCant", "1"}}, {"El concepto indicado no es descuento de ley"}},
                 {{{"CanOpe", "+"}, {"ConIdCant", "777"}}, {"No existe Conceptos. DESEA VISUALIZAR?"}},
                 {{{"CanOpe", "+"}, {"CanUsar", "HAB"}, {"CanNro", "2"}},
                  {"-Nº- se indica solo para importe funcionario (IMP, IMPSUB, IB, IBSUB), acumulador de la liquidación "
                   "(ACL), acumulador de movimientos (ACM) o acumulador histórico (ACH), RUT o Atributos adicionales del "
                   "cargo o del funcionario (ADINUM, ADIAÑO, BASADI)"}},
                 {{{"CanOpe", "V"}}, {"Falta indicar Nº para operador V"}},
                 {{{"CanOpe", "+"}, {"CanUsar", "JID"}}, {}},
                 {{{"CanOpe", "+"}, {"ConIdCant", "101"}}, {}},
                 // No contribution group on these lines: "L" is only an operation here.
                 {{{"CanOpe", "L"}}, {}},
             });
    EXPECT_EQ(storedLines(5, FormulaKind::Quantity), QStringList({"5 + JID 0", "10 +  0", "15 L  0"}));
    EXPECT_EQ(lastLine(5, FormulaKind::Quantity), 15);
    EXPECT_EQ(LineTable::of(*open(TCONCEP4(), "5", "DSP"))->columnCount(), 16) << "no contribution group column";
}

TEST_F(ConceptFormulaRulesTest, AMissingCodeIsChosenFromItsList)
{
    ui.onCall(QStringLiteral("WKQ00A0"), [](QString& key, QString&) { key = QStringLiteral("12"); });
    ui.answer(true);
    auto form = open(TCONCEP1(), "5", "UPD");
    typeLine(*form->lines(), {{"OpeOpe", "+"}, {"OpeUsar", "BAS"}, {"BasId", "99"}, {"OpeCargo", "N"}});
    EXPECT_TRUE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{"No existe Basicos. DESEA VISUALIZAR?"});
    EXPECT_EQ(ui.calledObjects(), QStringList{"WKQ00A0"});
    EXPECT_EQ(fieldOf("CONCEPT1", "BasId", "ConId = 5 AND OpeLin = 5").toInt(), 12);
}

TEST_F(ConceptFormulaRulesTest, TheRoutineListIsReadFromItsFile)
{
    SpecificRoutines read = SpecificRoutineList::read();
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.byNumber.keys(), QList<int>({3, 7}));
    EXPECT_EQ(read.byNumber.value(7), QStringLiteral("Salario vacacional"));

    routines.write(QStringLiteral("rutinas.txt"), "3;Días trabajados\ntres;Mal escrita\n");
    read = SpecificRoutineList::read();
    EXPECT_EQ(read.error, QStringLiteral("Línea 2 de rutinas.txt: el número de rutina debe ser de 1 a 99"));
    EXPECT_TRUE(read.byNumber.isEmpty());
    // A list that cannot be read says so on the line that needs it.
    check(FormulaKind::Amount, {{{"OpeOpe", "+"}, {"OpeUsar", "RUT"}, {"OpeNro", "3"}}, {read.error}});
}

}  // namespace
