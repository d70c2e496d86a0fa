// WCONUSAD on the demo company: the accumulators the year-end bonus feeds,
// the entry lines that take it, every other place that names it, and the
// buttons that open an accumulator or an entry line unless the table is
// copied automatically.
#include "concept_maintenance_fixture.h"

#include "data/demo_company.h"
#include "payroll/concept_usage.h"

namespace {

class ConceptUsageTest : public ConceptMaintenanceTest {
protected:
    void SetUp() override
    {
        ConceptMaintenanceTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        // The demo brings its own basics, groups, cost centres and codes.
        for (const QString& table : {u"BASICOS"_s, u"APORTE"_s, u"CENTROCO"_s, u"FICCOD"_s})
            execute(u"DELETE FROM "_s + table);
        QString error;
        ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    }

    static QList<QStringList> cells(const QList<UsageRow>& rows)
    {
        QList<QStringList> texts;
        for (const UsageRow& row : rows)
            texts << row.cells;
        return texts;
    }
};

TEST_F(ConceptUsageTest, TheYearEndBonusShowsItsAccumulatorsEntryLinesAndEveryOtherUse)
{
    // Beyond the demo: holiday pay takes the bonus as an operand, leave
    // expands into it, the entries' monthly parameter, the fortnight that
    // does not repeat it and a schedule's day wages name it.
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 25}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"="_s}, {u"ConIdImp"_s, 20}});
    addRow(u"CONCEPT2"_s, {{u"ConId"_s, 26}, {u"ExpConId"_s, 20}});
    setParameterNumber(u"Asientos"_s, u"ConPM"_s, 20);
    addRow(u"PARLIQX"_s, {{u"CfId"_s, 1}, {u"PLTLId"_s, u"2"_s}, {u"PLConIdExc"_s, 20}});
    addRow(u"HORMARCA"_s, {{u"HMId"_s, 3}, {u"HMConJorna"_s, 20}});

    WCONUSAD usage(*database, ui);
    ASSERT_TRUE(usage.start(u"20"_s)) << shownTexts().toStdString();
    EXPECT_EQ(usage.title(), u"Concepto 20 - Aguinaldo usado en"_s);
    EXPECT_EQ(cells(usage.usage().accumulators),
              (QList<QStringList>{
                  {u"histórico"_s, u"2"_s, u"Haberes gravados del año"_s, u"Año civil"_s, u"1"_s, u"12"_s, u"G"_s},
                  {u"liquidación"_s, u"1"_s, u"Haberes gravados BPS"_s, u""_s, u""_s, u""_s, u"G"_s},
                  {u"liquidación"_s, u"2"_s, u"Haberes gravados IRPF"_s, u""_s, u""_s, u""_s, u"G"_s},
              }));
    EXPECT_EQ(usage.usage().accumulators.value(0).key, u"H\t2"_s);
    EXPECT_EQ(cells(usage.usage().entries), (QList<QStringList>{{u"1"_s, u"Sueldos del mes"_s, u"2"_s}}));
    EXPECT_EQ(usage.usage().entries.value(0).key, u"1\t2"_s);
    EXPECT_EQ(cells(usage.usage().elsewhere),
              (QList<QStringList>{
                  {u"Cálculo de importe"_s, u"25"_s, u"Salario vacacional"_s, u"Línea 5"_s},
                  {u"Expansión"_s, u"26"_s, u"Licencia"_s, u"Se expande en este concepto"_s},
                  {u"Grupo de aportes"_s, u"1"_s, u"Aportes BPS"_s, u"Gravado 100%"_s},
                  {u"Grupo de aportes"_s, u"2"_s, u"FONASA"_s, u"Gravado 100%"_s},
                  {u"Tipo de liquidación"_s, u"2"_s, u"Quincena de jornaleros"_s, u"Concepto que no se repite"_s},
                  {u"Tipo de liquidación"_s, u"A"_s, u"Aguinaldo diciembre"_s, u"Concepto de aguinaldo"_s},
                  {u"Tipo de liquidación"_s, u"J"_s, u"Aguinaldo junio"_s, u"Concepto de aguinaldo"_s},
                  {u"Conceptos de marcas"_s, u"3"_s, u""_s, u"Jornales"_s},
                  {u"Aplicación"_s, u"1"_s, u"Mensuales/Jornaleros"_s, u"M,J"_s},
                  {u"Parámetro"_s, u"Asientos ConPM"_s, u""_s, u"Índice 0"_s},
              }));
    EXPECT_TRUE(ui.texts().isEmpty());

    // A concept nothing names shows three empty grids.
    ASSERT_TRUE(usage.start(u"190"_s));
    EXPECT_TRUE(usage.usage().accumulators.isEmpty());
    EXPECT_TRUE(usage.usage().entries.isEmpty());
    EXPECT_EQ(cells(usage.usage().elsewhere), QList<QStringList>{});
}

TEST_F(ConceptUsageTest, TheButtonsOpenTheAccumulatorAndTheEntryLineUnlessTheTableIsCopied)
{
    QStringList calls;
    for (const QString& object : {u"TACUMHL"_s, u"TASIENT2"_s}) {
        ui.onCall(object, [this, object, &calls](QString& key, QString& mode) {
            calls << object + u' ' + key + u' ' + mode;
            // What the person changed there shows when the call returns.
            execute(u"UPDATE ACUMHL SET AcuDesc = 'Gravado BPS' WHERE AcuTipo = 'L' AND AcuId = 1"_s);
        });
    }
    WCONUSAD usage(*database, ui);
    ASSERT_TRUE(usage.start(u"20"_s));
    EXPECT_TRUE(usage.modifyAccumulator(1));
    EXPECT_EQ(usage.usage().accumulators.value(1).cells.value(2), u"Gravado BPS"_s);
    EXPECT_TRUE(usage.modifyEntryLine(0));
    EXPECT_FALSE(usage.modifyEntryLine(1)) << "no such row";
    EXPECT_EQ(calls, (QStringList{u"TACUMHL L\t1 UPD"_s, u"TASIENT2 1\t2 UPD"_s}));

    // The concepts' tables copied automatically: the accumulator refuses,
    // the entries (a group of their own) still open.
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Con"_s, u"S"_s);
    EXPECT_FALSE(usage.modifyAccumulator(0));
    EXPECT_TRUE(usage.modifyEntryLine(0));
    setParameterText(u"SincroAuto"_s, u"Asi"_s, u"S"_s);
    EXPECT_FALSE(usage.modifyEntryLine(0));
    EXPECT_EQ(ui.texts(), (QStringList{u"Esta tabla se copia automáticamente. "_s,
                                       u"Esta tabla se copia automáticamente. "_s}));
    EXPECT_EQ(calls.size(), 3);
}

}  // namespace
