// PCONELIM, the concept panel's bulk delete: the eleven uses that stop it,
// in their order and with their texts; the delete of everything that hangs
// on the concept; and all of it undone when a table refuses halfway.
#include "concept_maintenance_fixture.h"

#include "data/cursor.h"
#include "payroll/concept_delete.h"

namespace {

class ConceptDeleteTest : public ConceptMaintenanceTest {
protected:
    void SetUp() override
    {
        ConceptMaintenanceTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addConcept(1, u"Sueldo mensual"_s, 1);
        addConcept(20, u"Aguinaldo"_s, 1);
        addConcept(30, u"Salario vacacional"_s, 1);
        addConceptWithDetail(150, u"Cuota sindical"_s);
        addConceptWithDetail(151, u"Cuota mutual"_s);
        setParameterNumber(u"Asientos"_s, u"ConPM"_s, 150);
        setParameterNumber(u"Asientos"_s, u"ConPJ"_s, 151);
        setParameterNumber(u"PlaTrabajo"_s, u"ConIdM"_s, 150);
        setParameterNumber(u"PlaTrabajo"_s, u"ConIdJ"_s, 151);
        addRow(u"FUNCIONA"_s, {{u"FunId"_s, 1001}, {u"FunApeNom"_s, u"Pérez, Ana"_s}, {u"FunPConId"_s, 150}});
        addRow(u"FUNCIONA"_s, {{u"FunId"_s, 1002}, {u"FunApeNom"_s, u"Silva, Luis"_s}, {u"FunPConId"_s, 151}});
    }

    int conceptRows(const QString& table, int code)
    {
        return fieldOf(table, u"COUNT(*)"_s, u"ConId = %1"_s.arg(code)).toInt();
    }
};

TEST_F(ConceptDeleteTest, EachUseStopsTheDeleteInItsTurnWithItsOwnText)
{
    struct Use {
        QString table;
        RowValues row;
        QString removal;
        QString message;
    };
    const QList<Use> uses = {
        {u"APORTE1"_s, {{u"AporId"_s, 1}, {u"AporConId"_s, 150}, {u"AporPorGra"_s, 100}},
         u"DELETE FROM APORTE1"_s, u"Concepto usado en Aportes, no puede eliminarse."_s},
        {u"HISTORIA"_s, {{u"FunId"_s, 1001}, {u"HCorLiq"_s, 1}, {u"HCorLin"_s, 1}, {u"HConId"_s, 150}},
         u"DELETE FROM HISTORIA"_s, u"Concepto usado en Historia, no puede eliminarse."_s},
        {u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"FunId"_s, 1001}, {u"ConId"_s, 150}},
         u"DELETE FROM MOVIMIEN"_s, u"Concepto usado en Movimientos, no puede eliminarse."_s},
        {{}, {}, u"UPDATE CONFIGUR SET CfRedRCon = 0"_s, u"Concepto usado en redondeo, no puede eliminarse."_s},
        {u"TIPLIQUI"_s, {{u"TLId"_s, u"Q"_s}, {u"TLDesc"_s, u"Adelanto"_s}, {u"TLConIdRes"_s, 150}},
         u"DELETE FROM TIPLIQUI WHERE TLId = 'Q'"_s,
         u"Concepto usado para resumir liquidaciones de adelanto, no puede eliminarse."_s},
        {u"TIPLIQUI"_s, {{u"TLId"_s, u"N"_s}, {u"TLDesc"_s, u"Mensual"_s}, {u"TLConIdNeg"_s, 150}},
         u"DELETE FROM TIPLIQUI WHERE TLId = 'N'"_s,
         u"Concepto usado para descontar líquidos negativos, no puede eliminarse."_s},
        {u"TIPLIQUI"_s, {{u"TLId"_s, u"D"_s}, {u"TLDesc"_s, u"Quincena"_s}, {u"TLConIdDes"_s, 150}},
         u"DELETE FROM TIPLIQUI WHERE TLId = 'D'"_s,
         u"Concepto usado para descontar liquidaciones de adelanto, no puede eliminarse."_s},
        {u"TIPLIQUI"_s, {{u"TLId"_s, u"A"_s}, {u"TLDesc"_s, u"Aguinaldo"_s}, {u"TLConIdAgu"_s, 150}},
         u"DELETE FROM TIPLIQUI WHERE TLId = 'A'"_s,
         u"Concepto usado en liquidaciones de aguinaldo, no puede eliminarse."_s},
        // Two concepts expand into it: the lower code is named.
        {u"CONCEPT2"_s, {{u"ConId"_s, 30}, {u"ExpConId"_s, 150}}, u"DELETE FROM CONCEPT2 WHERE ExpConId = 150"_s,
         u"Concepto usado para expandir al concepto 20, no puede eliminarse."_s},
        {u"ASIENT4"_s, {{u"AsiId"_s, 1}, {u"AsiLin"_s, 1}, {u"AsiCorLin"_s, 1}, {u"ConId"_s, 150}},
         u"DELETE FROM ASIENT4"_s, u"Concepto utilizado en asientos, no puede eliminarse"_s},
        // The last of the nine concept fields of a schedule.
        {u"HORMARCA"_s, {{u"HMId"_s, 1}, {u"HMConMLT"_s, 150}}, u"DELETE FROM HORMARCA"_s,
         u"Concepto utilizado en horarios, no puede eliminarse"_s},
    };
    for (const Use& use : uses) {
        if (!use.table.isEmpty())
            addRow(use.table, use.row);
    }
    addRow(u"CONCEPT2"_s, {{u"ConId"_s, 20}, {u"ExpConId"_s, 150}});
    execute(u"UPDATE CONFIGUR SET CfRedRCon = 150"_s);
    const QStringList before = rowsOf(u"CONCEPT1"_s) + rowsOf(u"CONCEPT"_s);

    QStringList told;
    for (const Use& use : uses) {
        const ProcedureResult result = PCONELIM(*database, ui, 150);
        told << result.message;
        EXPECT_FALSE(result.ok()) << use.message.toStdString();
        execute(use.removal);
    }
    QStringList expected;
    for (const Use& use : uses)
        expected << use.message;
    EXPECT_EQ(told, expected);
    EXPECT_EQ(rowsOf(u"CONCEPT1"_s) + rowsOf(u"CONCEPT"_s), before) << "a refusal deletes nothing";
    EXPECT_TRUE(auditTexts().isEmpty());

    const ProcedureResult result = PCONELIM(*database, ui, 150);
    EXPECT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_TRUE(ui.texts().isEmpty()) << "the procedure itself shows nothing";
}

TEST_F(ConceptDeleteTest, TheEliminarButtonDeletesTheConceptWithItsDetailParametersAndPreference)
{
    const QStringList untouched = detailOf(u"CONCEPT1"_s, 151) + detailOf(u"CONCEPT3"_s, 151);
    auto panel = openPanel(WCONCEPT());
    ui.answer(true);
    panel->remove({rowOf(*panel, u"150"_s)});

    EXPECT_EQ(ui.texts(), QStringList{u"¿Elimina concepto 150 Cuota sindical"_s});
    for (const QString& table : {u"CONCEPT"_s, u"CONCEPT1"_s, u"CONCEPT2"_s, u"CONCEPT3"_s, u"CONCEPT4"_s})
        EXPECT_EQ(conceptRows(table, 150), 0) << table.toStdString();
    EXPECT_EQ(detailOf(u"CONCEPT1"_s, 151) + detailOf(u"CONCEPT3"_s, 151), untouched);
    EXPECT_EQ(conceptRows(u"CONCEPT5"_s, 150), 1) << "the applications are not the bulk delete's";

    // The entries' parameter of the concept goes, the schedule's is cleared;
    // those of another concept stay.
    double number = -1;
    EXPECT_FALSE(PPARLN40(*database, u"Asientos"_s, u"ConPM"_s, 0, number));
    EXPECT_TRUE(PPARLN40(*database, u"Asientos"_s, u"ConPJ"_s, 0, number));
    EXPECT_EQ(number, 151);
    EXPECT_TRUE(PPARLN40(*database, u"PlaTrabajo"_s, u"ConIdM"_s, 0, number));
    EXPECT_EQ(number, 0);
    EXPECT_TRUE(PPARLN40(*database, u"PlaTrabajo"_s, u"ConIdJ"_s, 0, number));
    EXPECT_EQ(number, 151);
    EXPECT_EQ(fieldOf(u"FUNCIONA"_s, u"FunPConId"_s, u"FunId = 1001"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"FUNCIONA"_s, u"FunPConId"_s, u"FunId = 1002"_s).toInt(), 151);

    EXPECT_EQ(auditEntries(), QStringList{u"Elimina concepto 150. Descripción = Cuota sindical"_s});
    EXPECT_EQ(auditLines().value(0).area, 13);
    EXPECT_EQ(rowOf(*panel, u"150"_s), -1) << "the list is read again";
}

TEST_F(ConceptDeleteTest, TheYearEndBonusRunTypeStopsTheDeleteAndLeavesEverything)
{
    addRow(u"TIPLIQUI"_s, {{u"TLId"_s, u"A"_s}, {u"TLDesc"_s, u"Aguinaldo diciembre"_s}, {u"TLAguinald"_s, u"S"_s},
                           {u"TLConIdAgu"_s, 150}});
    const QMap<QString, QStringList> before = picture();
    auto panel = openPanel(WCONCEPT());
    ui.answer(true);
    panel->remove({rowOf(*panel, u"150"_s)});

    EXPECT_EQ(ui.texts(), (QStringList{u"¿Elimina concepto 150 Cuota sindical"_s,
                                       u"Concepto usado en liquidaciones de aguinaldo, no puede eliminarse."_s}));
    EXPECT_EQ(ui.shown().value(1).icon, MessageIcon::Exclamation);
    EXPECT_EQ(picture(), before);
    EXPECT_GE(rowOf(*panel, u"150"_s), 0);

    // Answered No, nothing is even looked at.
    ui.clear();
    ui.answer(false);
    panel->remove({rowOf(*panel, u"150"_s)});
    EXPECT_EQ(ui.texts(), QStringList{u"¿Elimina concepto 150 Cuota sindical"_s});
    EXPECT_EQ(picture(), before);
}

TEST_F(ConceptDeleteTest, ATableThatRefusesHalfwayLeavesEveryTableAsItWas)
{
    const QMap<QString, QStringList> before = picture();

    // The concept record goes last of the definition: its lines, expansion
    // and accumulators were already deleted when it refuses.
    refuse(u"DELETE"_s, u"CONCEPT"_s);
    ProcedureResult result = PCONELIM(*database, ui, 150);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.message.isEmpty());
    EXPECT_EQ(picture(), before);
    allow(u"DELETE"_s, u"CONCEPT"_s);

    // The employees come after the definition and the parameters.
    refuse(u"UPDATE"_s, u"FUNCIONA"_s);
    result = PCONELIM(*database, ui, 150);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(picture(), before);
    allow(u"UPDATE"_s, u"FUNCIONA"_s);

    // Once the tables take the change the concept goes whole.
    result = PCONELIM(*database, ui, 150);
    EXPECT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_EQ(conceptRows(u"CONCEPT1"_s, 150), 0);
    EXPECT_EQ(conceptRows(u"CONCEPT"_s, 150), 0);
    EXPECT_EQ(auditEntries().size(), 1);
}

TEST_F(ConceptDeleteTest, ALineAnotherWorkstationIsWritingIsWaitedForThenDeleted)
{
    // The other workstation stands on the second amount line of 150, as a
    // form does while it writes it.
    auto other = openConnection();
    TableCursor line(*other);
    ASSERT_FALSE(line.open(u"CONCEPT1"_s));
    ASSERT_FALSE(line.seek(Comparison::Equal, {150, 10}));
    ASSERT_FALSE(line.edit());
    ui.onProcessEvents([&line] { line.cancelUpdate(); });

    const ProcedureResult result = PCONELIM(*database, ui, 150);
    EXPECT_TRUE(result.ok()) << result.message.toStdString();
    EXPECT_GT(ui.processEventsCount(), 0) << "the delete waited for the line";
    EXPECT_EQ(conceptRows(u"CONCEPT1"_s, 150), 0);
    EXPECT_EQ(conceptRows(u"CONCEPT"_s, 150), 0);
}

}  // namespace
