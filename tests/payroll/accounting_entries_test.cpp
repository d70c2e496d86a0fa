// The accounting entry forms driven as their windows drive them: the header,
// the grids of lines and calculations of WASIENT4 with the checks that look
// across the entry, the one-row forms TASIENT2 and TASIENT4, and the
// commands of WASIENT4.
#include "accounting_entries_fixture.h"

#include "payroll/accounting_entries.h"
#include "payroll/accounting_entries_procedures.h"

namespace {

enum { LineNumber = 0, LineSide = 1, LineHeading = 2, LineSplit = 3, LineCostCentre = 4, LineValue = 9,
       LineHeadingName = 10 };
enum { CalcNumber = 0, CalcKind = 1, CalcParameter = 2, CalcConcept = 3 };

class AccountingEntryFormTest : public AccountingEntryTest {};

TEST_F(AccountingEntryFormTest, TheHeaderIsCheckedAuditedAndKeptWhileItHasLines)
{
    auto form = open(TASIENT1(), u"0"_s, u"INS"_s);
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.texts(), QStringList{u"Falta número de asiento"_s});
    ui.clear();
    ASSERT_TRUE(form->setText(u"AsiId"_s, u"10"_s));
    EXPECT_FALSE(form->focusEntered(3));
    EXPECT_EQ(ui.texts(), QStringList{u"Falta descripción"_s});
    ui.clear();
    ASSERT_TRUE(form->setText(u"AsiDesc"_s, u"Sueldos del mes"_s));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"ASIENTO"_s, u"AsiProvisi"_s, u"AsiId = 10"_s).toString().trimmed(), u"N"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega asiento 10, descripción = Sueldos del mes"_s});

    addLine(10, 1, u"D"_s, 52110);
    ui.clear();
    removeThrough(TASIENT1(), u"10"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Eliminación inválida, hay información en \"Asiento1\"."_s});
    EXPECT_EQ(countRows(u"ASIENTO"_s), 1);
}

TEST_F(AccountingEntryFormTest, ACcMutualCalculationAndASplitRefuseEachOtherWhicheverComesFirst)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"D"_s, 52110, u"S"_s);
    addEntry(11, u"Mutual"_s);
    addLine(11, 1, u"H"_s, 21310);
    addCalculation(11, 1, 1, u"M"_s, 0, u"1"_s);

    // A calculation "CC Mutual" on a line split by cost centre.
    auto split = open(WASIENT4(), u"10"_s, u"UPD"_s);
    LineTable& calculations = *split->lines()->sublines(0);
    type(calculations, calculations.addLine(), {u"1"_s, u"M"_s, u"1"_s, u"0"_s, u"1"_s, u"1"_s});
    EXPECT_FALSE(split->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No se permite Complemento de Cuota Mutual en una línea con apertura o "
                                      "filtro por Centro de costo"_s});
    EXPECT_EQ(stored(10), QStringList{u"1:D:52110:S:"_s});

    // A split, then a filter, on a line that holds one.
    ui.clear();
    auto mutual = open(WASIENT4(), u"11"_s, u"UPD"_s);
    ASSERT_TRUE(mutual->lines()->setText(0, LineSplit, u"S"_s));
    EXPECT_FALSE(mutual->confirm());
    ASSERT_TRUE(mutual->lines()->setText(0, LineSplit, QString()));
    ASSERT_TRUE(mutual->lines()->setText(0, LineCostCentre, u"ADM"_s));
    EXPECT_FALSE(mutual->confirm());
    EXPECT_EQ(ui.texts(),
              (QStringList{u"No puede hacer apertura de una linea con cálculo por Complemento de Cuota Mutual"_s,
                           u"No puede filtrar por centro de costo una linea con cálculo por Complemento de Cuota Mutual"_s}));
    EXPECT_EQ(stored(11), (QStringList{u"1:H:21310::"_s, u"1.1=M/0/1"_s}));
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(AccountingEntryFormTest, ALineByTheDifferenceForbidsCostCentreFiltersAnywhereInTheEntry)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"H"_s, 21110);
    addCalculation(10, 1, 1, u"D"_s);
    addLine(10, 2, u"D"_s, 52110);
    addEntry(12, u"Filtrado"_s);
    addLine(12, 1, u"D"_s, 52110, {}, u"ADM"_s);
    addLine(12, 2, u"H"_s, 21110);
    const QString refusal = u"No puede filtrar por centro de costo, si existe la línea por la diferencia"_s;

    // A filter typed on another line of an entry with a difference line.
    auto withDifference = open(WASIENT4(), u"10"_s, u"UPD"_s);
    ASSERT_TRUE(withDifference->lines()->setText(1, LineCostCentre, u"ADM"_s));
    EXPECT_FALSE(withDifference->confirm());
    EXPECT_EQ(ui.texts(), QStringList{refusal});
    EXPECT_EQ(withDifference->lines()->currentRow(), 1) << "the refused line is the one shown";

    // A difference calculation added to an entry whose other line filters.
    ui.clear();
    auto filtered = open(WASIENT4(), u"12"_s, u"UPD"_s);
    LineTable& second = *filtered->lines()->sublines(1);
    type(second, second.addLine(), {u"1"_s, u"D"_s, {}, u"0"_s, u"1"_s, u"1"_s});
    EXPECT_FALSE(filtered->confirm());
    // And on the filtered line itself, with its own text.
    second.markForDeletion(0);
    LineTable& first = *filtered->lines()->sublines(0);
    type(first, first.addLine(), {u"1"_s, u"D"_s, {}, u"0"_s, u"1"_s, u"1"_s});
    EXPECT_FALSE(filtered->confirm());
    EXPECT_EQ(ui.texts(), (QStringList{refusal, u"No se puede marcar línea por la diferencia si seleccionó por "
                                                "centro de costo"_s}));
    EXPECT_EQ(stored(10), (QStringList{u"1:H:21110::"_s, u"2:D:52110::"_s, u"1.1=D/0/"_s}));
    EXPECT_EQ(stored(12), (QStringList{u"1:D:52110::ADM"_s, u"2:H:21110::"_s}));
}

TEST_F(AccountingEntryFormTest, EachCalculationRuleRefusesInItsOrderAndAGoodCalculationIsWrittenAndAudited)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"D"_s, 52110);
    struct Case {
        QStringList typed;  // number, kind, parameter, concept
        QString refusal;
    };
    const QList<Case> cases = {
        {{u"1"_s, {}, {}, u"0"_s}, u"Falta cálculo"_s},
        {{u"1"_s, u"C"_s, {}, u"0"_s}, u"Indicó cálculo por Concepto pero no indicó Concepto"_s},
        {{u"1"_s, u"L"_s, {}, u"1"_s}, u"No se indica Concepto para ese tipo de cálculo"_s},
        {{u"1"_s, u"C"_s, {}, u"999"_s}, u"No existe Conceptos"_s},
        {{u"1"_s, u"M"_s, {}, u"0"_s}, u"Indicó cálculo CC Mutual pero no indicó el Parámetro"_s},
        {{u"1"_s, u"R"_s, {}, u"0"_s}, u"Indicó cálculo por Grupo/H.laboral pero no indicó el Parámetro"_s},
        {{u"1"_s, u"X"_s, {}, u"0"_s}, u"Indicó cálculo por Grupo/H.laboral pero no indicó el Parámetro"_s},
        {{u"1"_s, u"H"_s, u"5"_s, u"0"_s}, u"No se indica Parámetro para ese tipo de cálculo"_s},
        {{u"0"_s, u"H"_s, {}, u"0"_s}, u"Falta nº de línea"_s},
    };
    for (const Case& each : cases) {
        ui.clear();
        auto form = open(WASIENT4(), u"10"_s, u"UPD"_s);
        LineTable& calculations = *form->lines()->sublines(0);
        type(calculations, calculations.addLine(), each.typed);
        EXPECT_FALSE(form->confirm()) << each.refusal.toStdString();
        EXPECT_EQ(ui.texts(), QStringList{each.refusal});
    }
    EXPECT_EQ(stored(10), QStringList{u"1:D:52110::"_s});

    ui.clear();
    auto form = open(WASIENT4(), u"10"_s, u"UPD"_s);
    LineTable& calculations = *form->lines()->sublines(0);
    type(calculations, calculations.addLine(), {u"1"_s, u"C"_s, {}, u"1"_s, u"1"_s, u"1"_s});
    type(calculations, calculations.addLine(), {u"2"_s, u"X"_s, u"2"_s, u"0"_s, u"1"_s, u"1"_s});
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(10), (QStringList{u"1:D:52110::"_s, u"1.1=C/1/"_s, u"1.2=X/0/2"_s}));
    EXPECT_EQ(fieldOf(u"ASIENTO1"_s, u"AsiUltCorL"_s, u"AsiId = 10 AND AsiLin = 1"_s).toInt(), 2);
    // The line is rewritten with its last calculation number.
    EXPECT_EQ(auditTexts(), (QStringList{u"Modifica asiento 10"_s, u"Modifica línea de asiento 10 1"_s,
                                         u"Agrega cálculo de asiento 10 1 1, cálculo = C, concepto = 1"_s,
                                         u"Agrega cálculo de asiento 10 1 2, cálculo = X, concepto = 0"_s}));
    EXPECT_EQ(calculationParameterDescription(u"X"_s, u"2"_s), u"Horas trabajadas"_s);
    EXPECT_EQ(calculationParameterDescription(u"M"_s, u"1"_s),
              u"Ind. y Com., Civil, Bancaria, Trab. domicilio, Serv. domés."_s);
    EXPECT_EQ(calculationParameterDescription(u"M"_s, u"2"_s), u"Construcción"_s);
}

TEST_F(AccountingEntryFormTest, GridLinesAreCheckedForSideHeadingCostCentreAndExternalValue)
{
    addEntry(10, u"Sueldos"_s);
    struct Case {
        QStringList typed;  // line, side, heading, split, cost centre
        QString refusal;
    };
    const QList<Case> cases = {
        {{u"0"_s, u"D"_s, u"52110"_s}, u"Falta nº de línea"_s},
        {{u"1"_s, u"X"_s, u"52110"_s}, u"Debe/Haber incorrecto"_s},
        {{u"1"_s, u"D"_s, u"99999"_s}, u"No existe Rubros"_s},
        {{u"1"_s, u"D"_s, u"52110"_s, {}, u"NINGUNO"_s}, u"No existe CentroCosto"_s},
    };
    for (const Case& each : cases) {
        ui.clear();
        auto form = open(WASIENT4(), u"10"_s, u"UPD"_s);
        type(*form->lines(), form->lines()->addLine(), each.typed);
        EXPECT_FALSE(form->confirm());
        EXPECT_EQ(ui.texts(), QStringList{each.refusal});
    }
    ui.clear();
    auto form = open(WASIENT4(), u"10"_s, u"UPD"_s);
    const int row = form->lines()->addLine();
    type(*form->lines(), row, {u"1"_s, u"D"_s, u"52110"_s, u"S"_s});
    EXPECT_EQ(form->lines()->text(row, LineHeadingName), u"Sueldos y jornales"_s) << "the heading's name beside it";
    ASSERT_TRUE(form->lines()->setText(row, LineValue, u"X"_s));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No debe indicar valor del Auxiliar externo si seleccionó alguna apertura "
                                      "para el asiento"_s});
    EXPECT_EQ(countRows(u"ASIENTO1"_s), 0);
}

TEST_F(AccountingEntryFormTest, TheOneRowFormsCheckAgainstWhatIsStored)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"D"_s, 52110, u"S"_s);
    addCalculation(10, 1, 1, u"C"_s, 1);

    // A line whose heading does not exist: the heading's list is offered.
    ui.answer(false);
    auto line = open(TASIENT2(), u"10"_s, u"INS"_s);
    ASSERT_TRUE(line->setText(u"AsiLin"_s, u"2"_s));
    ASSERT_TRUE(line->focusEntered(3));
    ASSERT_TRUE(line->setText(u"AsiDH"_s, u"H"_s));
    ASSERT_TRUE(line->setText(u"RubId"_s, u"99999"_s));
    EXPECT_FALSE(line->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No existe Rubros. DESEA VISUALIZAR?"_s});
    ui.clear();
    ASSERT_TRUE(line->setText(u"RubId"_s, u"21110"_s));
    ASSERT_TRUE(line->confirm()) << ui.texts().join(u'|').toStdString();

    // A line with calculations is not deleted alone.
    ui.clear();
    removeThrough(TASIENT2(), u"10\t1"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              QStringList{u"Eliminación inválida, hay información en \"Asient4\"."_s});

    // "CC Mutual" on the stored split line; then a good calculation moves
    // the line's last number on.
    ui.clear();
    auto calculation = open(TASIENT4(), u"10\t1"_s, u"INS"_s);
    ASSERT_TRUE(calculation->setText(u"AsiCorLin"_s, u"2"_s));
    ASSERT_TRUE(calculation->focusEntered(4));
    ASSERT_TRUE(calculation->setText(u"AsiCalculo"_s, u"M"_s));
    ASSERT_TRUE(calculation->setText(u"AsiConGrup"_s, u"1"_s));
    calculation->focusEntered(6);
    EXPECT_EQ(calculation->text(u"AsiParDesc"_s), u"Ind. y Com., Civil, Bancaria, Trab. domicilio, Serv. domés."_s);
    EXPECT_FALSE(calculation->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"No se permite Complemento de Cuota Mutual en una línea con apertura o "
                                      "filtro por Centro de costo"_s});
    ui.clear();
    ASSERT_TRUE(calculation->setText(u"AsiCalculo"_s, u"C"_s));
    ASSERT_TRUE(calculation->setText(u"AsiConGrup"_s, QString()));
    ASSERT_TRUE(calculation->setText(u"ConId"_s, u"101"_s));
    ASSERT_TRUE(calculation->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(10), (QStringList{u"1:D:52110:S:"_s, u"2:H:21110::"_s, u"1.1=C/1/"_s, u"1.2=C/101/"_s}));
    EXPECT_EQ(fieldOf(u"ASIENTO1"_s, u"AsiUltCorL"_s, u"AsiId = 10 AND AsiLin = 1"_s).toInt(), 2);

    // A stored calculation opens with its parameter described.
    addRow(u"ASIENT4"_s, {{u"AsiId"_s, 10}, {u"AsiLin"_s, 2}, {u"AsiCorLin"_s, 1}, {u"AsiCalculo"_s, u"M"_s},
                          {u"AsiConGrup"_s, u"1"_s}, {u"ConId"_s, 0}, {u"AsiMult"_s, 1.0}, {u"AsiDiv"_s, 1.0}});
    auto stored = open(TASIENT4(), u"10\t2\t1"_s, u"UPD"_s);
    stored->focusEntered(4);
    EXPECT_EQ(stored->text(u"AsiParDesc"_s), u"Ind. y Com., Civil, Bancaria, Trab. domicilio, Serv. domés."_s);
}

TEST_F(AccountingEntryFormTest, CommandsWorkOnTheGridsOrThroughTheirObjectsAndRefuseWhileCopied)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"D"_s, 52110);
    addCalculation(10, 1, 1, u"C"_s, 1);
    addLine(10, 2, u"H"_s, 21110);

    auto form = open(WASIENT4(), u"10"_s, u"UPD"_s);
    ASSERT_TRUE(form->press(u"AddLinea"_s));
    EXPECT_EQ(form->lines()->text(2, LineNumber).trimmed(), u"3"_s) << "a new line takes the next number";
    ui.clear();
    // The copy needs what the grid shows to be stored first.
    ASSERT_TRUE(form->press(u"CopiaLineaAsiento"_s));
    EXPECT_EQ(ui.texts(), QStringList{u"Debe confirmar antes los datos"_s});
    form->lines()->markForDeletion(2);

    QStringList calls;
    ui.onCall(u"WPIDENRO"_s, [&](QString& key, QString& mode) {
        calls << key + u'/' + mode;
        WPIDENRO prompt(*database, ui);
        prompt.start(key, mode);
        prompt.setNewLine(mode == u"N"_s ? 2 : 5);
        prompt.confirm();
    });
    ui.clear();
    form->lines()->setCurrentRow(0);
    ASSERT_TRUE(form->press(u"CopiaLineaAsiento"_s));
    EXPECT_EQ(form->lines()->rowCount(), 3) << "the grid shows the copied line";
    form->lines()->setCurrentRow(0);
    ASSERT_TRUE(form->press(u"Cambiar nº"_s));
    EXPECT_EQ(calls, (QStringList{u"10\t1/C"_s, u"10\t1/N"_s}));
    // Line 1 cannot take the number of line 2: both keep their calculations.
    EXPECT_EQ(ui.texts(), QStringList{u"Ya existe el registro"_s});
    EXPECT_EQ(stored(10), (QStringList{u"1:D:52110::"_s, u"2:H:21110::"_s, u"5:D:52110::"_s, u"1.1=C/1/"_s,
                                       u"5.1=C/1/"_s}));

    ui.clear();
    copyAutomatically(u"Asi"_s);
    auto copied = open(WASIENT4(), u"10"_s, u"UPD"_s);
    EXPECT_FALSE(copied->press(u"AddLinea"_s));
    EXPECT_FALSE(copied->press(u"Cambiar nº"_s));
    EXPECT_EQ(ui.texts(), (QStringList{u"Esta tabla se copia automáticamente"_s,
                                       u"Esta tabla se copia automáticamente"_s}));
    EXPECT_EQ(copied->lines()->rowCount(), 3);
}

TEST_F(AccountingEntryFormTest, TheEntryPanelDeletesAWholeEntryAfterItsQuestion)
{
    addEntry(10, u"Sueldos"_s);
    addLine(10, 1, u"D"_s, 52110);
    addCalculation(10, 1, 1, u"C"_s, 1);
    addEntry(20, u"Aguinaldo"_s);
    auto panel = openPanel(WASIENT1());
    ASSERT_EQ(column(*panel, 0), (QStringList{u"   10"_s, u"   20"_s}));

    ui.answer(false);
    panel->remove({0});
    EXPECT_EQ(countRows(u"ASIENT4"_s), 1) << "No keeps the entry";
    ui.answer(true);
    panel->remove({0});
    EXPECT_EQ(ui.texts(), (QStringList{u"¿Elimina asiento 10 - Sueldos?"_s, u"¿Elimina asiento 10 - Sueldos?"_s}));
    EXPECT_EQ(countRows(u"ASIENTO"_s), 1);
    EXPECT_EQ(countRows(u"ASIENTO1"_s), 0);
    EXPECT_EQ(countRows(u"ASIENT4"_s), 0);
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina asiento 10, descripción = Sueldos"_s});
    EXPECT_EQ(column(*panel, 0), QStringList{u"   20"_s});
}

}  // namespace
