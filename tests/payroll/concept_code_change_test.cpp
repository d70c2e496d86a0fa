// The change of a concept's code and the merge of two concepts (WCONCAMB,
// PCONCAMB): every reference moves or none does, the preview counts what
// will move and what stays, the panel's refusals and questions in order.
#include "concept_fixture.h"

#include "payroll/concept_code_change.h"

using namespace Qt::StringLiterals;

namespace {

class ConceptCodeChangeTest : public ConceptTest {
protected:
    void SetUp() override
    {
        ConceptTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        // Concept 10 with its definition, and references to it in the
        // tables the change rewrites.
        addConcept(10, u"Sueldo"_s, 1);
        addAmountLine(10, 5, 0);
        addAmountLine(10, 10, 0);
        addRow(u"CONCEPT4"_s, {{u"ConId"_s, 10}, {u"CanLin"_s, 5}});
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, 10}, {u"AcuTipo"_s, u"L"_s}, {u"AcuId"_s, 3}});
        addRow(u"CONCEPT2"_s, {{u"ConId"_s, 10}, {u"ExpConId"_s, 12}});
        addRow(u"CONCEPT5"_s, {{u"ConId"_s, 10}, {u"ConAplId"_s, 1}, {u"ConAplValo"_s, u"S"_s}});
        addRow(u"APORTE1"_s, {{u"AporId"_s, 1}, {u"AporConId"_s, 10}});
        addRow(u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"FunId"_s, 7}, {u"ConId"_s, 10}});
        addRow(u"MOVIMIEN"_s, {{u"MovId"_s, 2}, {u"FunId"_s, 8}, {u"ConId"_s, 10}});
        addHistory(1, 10, QDate(2026, 1, 31));
        addHistory(2, 10, QDate(2026, 2, 28));
        addHistory(3, 10, QDate(2026, 3, 31));
        addRow(u"PARLIQX"_s, {{u"CfId"_s, 1}, {u"PLTLId"_s, u"X"_s}, {u"PLConIdExc"_s, 10}});
        addRow(u"HORMARCA"_s, {{u"HMId"_s, 1}, {u"HMConHNor"_s, 10}, {u"HMConMLT"_s, 10}});
        addRow(u"FUNCIONA"_s, {{u"FunId"_s, 7}, {u"FunPConId"_s, 10}});
        execute(u"UPDATE TIPLIQUI SET TLConIdAgu = 10 WHERE TLId = 'X'"_s);
        execute(u"UPDATE CONFIGUR SET CfRedRCon = 10"_s);
        // Entry 1 exists: its calculated line moves, the fixed one stays; the
        // line of entry 9, which does not exist, stays too.
        addRow(u"ASIENTO"_s, {{u"AsiId"_s, 1}, {u"AsiDesc"_s, u"Sueldos"_s}});
        addEntryLine(1, 1, u"C"_s);
        addEntryLine(1, 2, u"F"_s);
        addEntryLine(9, 1, u"C"_s);
        setParameterNumber(u"PlaTrabajo"_s, u"ConIdM"_s, 10);
        setParameterNumber(u"Asientos"_s, u"ConPJ"_s, 10);
        setParameterNumber(u"Asientos"_s, u"ConPM"_s, 11);
        // Concept 11 names 10 where no step goes: an operand, an expansion.
        addConcept(11, u"Aguinaldo"_s, 1);
        addAmountLine(11, 5, 10);
        addRow(u"CONCEPT2"_s, {{u"ConId"_s, 11}, {u"ExpConId"_s, 10}});
        // Concept 20, a merge's target, with its own definition.
        addConcept(20, u"Sueldo nuevo"_s, 1);
        addAmountLine(20, 5, 0);
        ui.clear();
    }

    void addAmountLine(int concept_, int line, int operandConcept)
    {
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, concept_}, {u"OpeLin"_s, line}, {u"OpeOpe"_s, u"+"_s},
                               {u"ConIdImp"_s, operandConcept}});
    }

    void addHistory(int line, int concept_, const QDate& liquidated)
    {
        addRow(u"HISTORIA"_s, {{u"FunId"_s, 7}, {u"HCorLiq"_s, line}, {u"HCorLin"_s, 1}, {u"HConId"_s, concept_},
                               {u"HPLFch"_s, QDateTime(liquidated, QTime(0, 0))}});
    }

    void addEntryLine(int entry, int line, const QString& calculation)
    {
        addRow(u"ASIENT4"_s, {{u"AsiId"_s, entry}, {u"AsiLin"_s, line}, {u"AsiCorLin"_s, 1},
                              {u"AsiCalculo"_s, calculation}, {u"ConId"_s, 10}});
    }

    int rowsWhere(const QString& table, const QString& where)
    {
        return fieldOf(table, u"COUNT(*)"_s, where).toInt();
    }

    /// Where concept 10 is named, table by table, as the tests compare it
    /// before and after a change that must leave everything.
    QStringList whereTenIs()
    {
        const QStringList places = {
            u"CONCEPT|ConId = 10"_s,         u"CONCEPT1|ConId = 10"_s,       u"CONCEPT2|ConId = 10"_s,
            u"CONCEPT3|ConId = 10"_s,        u"CONCEPT4|ConId = 10"_s,       u"APORTE1|AporConId = 10"_s,
            u"MOVIMIEN|ConId = 10"_s,        u"HISTORIA|HConId = 10"_s,      u"PARLIQX|PLConIdExc = 10"_s,
            u"HORMARCA|HMConHNor = 10"_s,    u"FUNCIONA|FunPConId = 10"_s,   u"TIPLIQUI|TLConIdAgu = 10"_s,
            u"CONFIGUR|CfRedRCon = 10"_s,    u"ASIENT4|ConId = 10"_s,
            u"PARAMETR|ParValorNu = 10"_s,
        };
        QStringList counts;
        for (const QString& place : places) {
            const QStringList parts = place.split(u'|');
            counts << place + u": "_s + QString::number(rowsWhere(parts.at(0), parts.at(1)));
        }
        return counts;
    }

    /// Runs the panel on concept 10 as a person fills it in.
    bool changeTen(const QString& newCode, bool merge, bool answer, QStringList* preview = nullptr)
    {
        WCONCAMB panel(*database, ui);
        panel.start(u"10"_s);
        panel.setNewCode(newCode);
        panel.setMerge(merge);
        if (preview)
            panel.onImpact([preview](const QStringList& lines) { *preview = lines; });
        ui.answer(answer);
        return panel.confirm();
    }
};

TEST_F(ConceptCodeChangeTest, AChangeMovesEveryRewrittenReferenceAndLeavesTheOthers)
{
    EXPECT_TRUE(changeTen(u"30"_s, false, true));
    EXPECT_EQ(ui.texts(), (QStringList{u"Cambia nº concepto 10 a 30 ?"_s, u"Cambio finalizado"_s}));

    EXPECT_EQ(conceptField(30, u"ConDesc"_s).toString().trimmed(), u"Sueldo"_s);
    EXPECT_EQ(conceptField(10, u"ConDesc"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 30"_s), 2);
    EXPECT_EQ(rowsWhere(u"CONCEPT2"_s, u"ConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"CONCEPT3"_s, u"ConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"CONCEPT4"_s, u"ConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"MOVIMIEN"_s, u"ConId = 30"_s), 2);
    EXPECT_EQ(rowsWhere(u"HISTORIA"_s, u"HConId = 30"_s), 3);
    EXPECT_EQ(rowsWhere(u"APORTE1"_s, u"AporConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"PARLIQX"_s, u"PLConIdExc = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"HORMARCA"_s, u"HMConHNor = 30 AND HMConMLT = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"FUNCIONA"_s, u"FunPConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"TIPLIQUI"_s, u"TLId = 'X' AND TLConIdAgu = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"CONFIGUR"_s, u"CfRedRCon = 30"_s), 1);
    // Only the calculated line of an existing entry.
    EXPECT_EQ(rowsWhere(u"ASIENT4"_s, u"ConId = 30"_s), 1);
    EXPECT_EQ(rowsWhere(u"ASIENT4"_s, u"ConId = 10 AND AsiId = 1 AND AsiCalculo = 'F'"_s), 1);
    EXPECT_EQ(rowsWhere(u"ASIENT4"_s, u"ConId = 10 AND AsiId = 9"_s), 1);
    double number = 0;
    EXPECT_TRUE(PPARLN40(*database, u"PlaTrabajo"_s, u"ConIdM"_s, 0, number));
    EXPECT_EQ(number, 30);
    EXPECT_TRUE(PPARLN40(*database, u"Asientos"_s, u"ConPJ"_s, 0, number));
    EXPECT_EQ(number, 30);
    EXPECT_TRUE(PPARLN40(*database, u"Asientos"_s, u"ConPM"_s, 0, number));
    EXPECT_EQ(number, 11);
    // What no step rewrites still names 10.
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 11 AND ConIdImp = 10"_s), 1);
    EXPECT_EQ(rowsWhere(u"CONCEPT2"_s, u"ConId = 11 AND ExpConId = 10"_s), 1);
    EXPECT_EQ(rowsWhere(u"CONCEPT5"_s, u"ConId = 10"_s), 1);
}

TEST_F(ConceptCodeChangeTest, ThePreviewCountsWhatMovesAndWhatStaysBeforeTheQuestion)
{
    QStringList preview;
    EXPECT_FALSE(changeTen(u"30"_s, false, false, &preview));
    const QStringList expected = {
        u"Filas con el concepto 10 que pasan al concepto 30:"_s,
        u"  Líneas de grupos de aportes (APORTE1.AporConId): 1"_s,
        u"  Cálculos de líneas de asientos (ASIENT4.ConId): 1"_s,
        u"  Cargos de funcionarios (CARGOSFU.PTConId): 0"_s,
        u"  Concepto (CONCEPT.ConId): 1"_s,
        u"  Líneas de cálculo de importe (CONCEPT1.ConId): 2"_s,
        u"  Expansión del concepto (CONCEPT2.ConId): 1"_s,
        u"  Acumuladores del concepto (CONCEPT3.ConId): 1"_s,
        u"  Líneas de cálculo de cantidad (CONCEPT4.ConId): 1"_s,
        u"  Historia de movimientos (HISTORIA.HConId): 3"_s,
        u"  Liquidaciones (LIQUIDAC.LConId): 0"_s,
        u"  Movimientos (MOVIMIEN.ConId): 2"_s,
        u"  Movimientos nuevos (MOVNUEVO.MonConId): 0"_s,
        u"  Excepciones de tipos de liquidación (PARLIQX.PLConIdExc): 1"_s,
        u"  Planilla horizontal (PHDEF2.ConId): 0"_s,
        u"  Tipos de liquidación (aguinaldo) (TIPLIQUI.TLConIdAgu): 1"_s,
        u"  Tipos de liquidación (descuento de adelantos) (TIPLIQUI.TLConIdDes): 0"_s,
        u"  Tipos de liquidación (líquidos negativos) (TIPLIQUI.TLConIdNeg): 0"_s,
        u"  Tipos de liquidación (resumen de adelantos) (TIPLIQUI.TLConIdRes): 0"_s,
        u"  Formato de planilla (FORMATOP.FPConId): 0"_s,
        u"  Conceptos de marcas (horas normales) (HORMARCA.HMConHNor): 1"_s,
        u"  Conceptos de marcas (jornales) (HORMARCA.HMConJorna): 0"_s,
        u"  Conceptos de marcas (horas nocturnas) (HORMARCA.HMConHNoc): 0"_s,
        u"  Conceptos de marcas (horas extras) (HORMARCA.HMConHExtr): 0"_s,
        u"  Conceptos de marcas (horas extras nocturnas) (HORMARCA.HMConHENoc): 0"_s,
        u"  Conceptos de marcas (días de falta) (HORMARCA.HMConDiaFa): 0"_s,
        u"  Conceptos de marcas (horas de falta) (HORMARCA.HMConHsFal): 0"_s,
        u"  Conceptos de marcas (CLT) (HORMARCA.HMConCLT): 0"_s,
        u"  Conceptos de marcas (MLT) (HORMARCA.HMConMLT): 1"_s,
        u"  Funcionarios (concepto preferido) (FUNCIONA.FunPConId): 1"_s,
        u"  Configuración (concepto de redondeo) (CONFIGUR.CfRedRCon): 1"_s,
        u"  Parámetros (PARAMETR): 2"_s,
        u"Referencias que no se cambian (corregir a mano):"_s,
        u"  Líneas de importe de otros conceptos que lo usan (CONCEPT1.ConIdImp): 1 - conceptos 11"_s,
        u"  Líneas de cantidad de otros conceptos que lo usan (CONCEPT4.ConIdCant): 0"_s,
        u"  Otros conceptos que se expanden en él (CONCEPT2.ExpConId): 1 - conceptos 11"_s,
        u"  Aplicaciones del concepto (CONCEPT5.ConId): 1"_s,
    };
    EXPECT_EQ(preview, expected);
    // Shown before the question; No changes nothing.
    EXPECT_EQ(ui.texts(), QStringList{u"Cambia nº concepto 10 a 30 ?"_s});
    EXPECT_EQ(rowsWhere(u"MOVIMIEN"_s, u"ConId = 10"_s), 2);
    EXPECT_EQ(conceptField(30, u"ConId"_s).toString(), u"<ninguna>"_s);
}

TEST_F(ConceptCodeChangeTest, MergingTenIntoTwentyMovesTheDataAndDeletesTheOldDefinition)
{
    QStringList preview;
    EXPECT_TRUE(changeTen(u"20"_s, true, true, &preview));
    EXPECT_EQ(ui.texts(), (QStringList{u"Unifica concepto 10 con el concepto 20 ?"_s, u"Cambio finalizado"_s}));
    EXPECT_TRUE(preview.contains(u"  Líneas de cálculo de importe (CONCEPT1.ConId): 2 (se eliminan)"_s));

    EXPECT_EQ(rowsWhere(u"MOVIMIEN"_s, u"ConId = 20"_s), 2);
    EXPECT_EQ(rowsWhere(u"HISTORIA"_s, u"HConId = 20"_s), 3);
    for (const QString& table : {u"CONCEPT"_s, u"CONCEPT1"_s, u"CONCEPT2"_s, u"CONCEPT3"_s, u"CONCEPT4"_s})
        EXPECT_EQ(rowsWhere(table, u"ConId = 10"_s), 0) << table.toStdString();
    // The target keeps its own definition.
    EXPECT_EQ(conceptField(20, u"ConDesc"_s).toString().trimmed(), u"Sueldo nuevo"_s);
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 20"_s), 1);
}

TEST_F(ConceptCodeChangeTest, AStepThatFailsLeavesEveryTableAsItWas)
{
    // Concept 20 is already an exception of run type "X": moving 10's
    // exception onto it collides, after movements and history were moved.
    addRow(u"PARLIQX"_s, {{u"CfId"_s, 1}, {u"PLTLId"_s, u"X"_s}, {u"PLConIdExc"_s, 20}});
    const QStringList before = whereTenIs();

    EXPECT_FALSE(changeTen(u"20"_s, true, true));
    EXPECT_EQ(ui.texts(), (QStringList{u"Unifica concepto 10 con el concepto 20 ?"_s, u"Ya existe el registro"_s}));
    EXPECT_EQ(whereTenIs(), before);
    EXPECT_EQ(rowsWhere(u"MOVIMIEN"_s, u"ConId = 20"_s), 0);
    EXPECT_EQ(rowsWhere(u"HISTORIA"_s, u"HConId = 20"_s), 0);

    // The same database takes the next change whole.
    execute(u"DELETE FROM PARLIQX WHERE PLConIdExc = 20"_s);
    ui.clear();
    EXPECT_TRUE(changeTen(u"20"_s, true, true));
    EXPECT_EQ(rowsWhere(u"PARLIQX"_s, u"PLConIdExc = 20"_s), 1);
}

TEST_F(ConceptCodeChangeTest, OnlyLiquidationsMovesTheHistoryOfTheRangeAndNothingElse)
{
    WCONCAMB panel(*database, ui);
    panel.start(u"10"_s);
    panel.setNewCode(u"20"_s);
    panel.setMerge(true);
    panel.setOnlyLiquidations(true);
    panel.setDates(u"01/02/2026"_s, u"28/02/2026"_s);
    QStringList preview;
    panel.onImpact([&preview](const QStringList& lines) { preview = lines; });
    ui.answer(true);
    EXPECT_TRUE(panel.confirm());
    EXPECT_EQ(ui.texts(), (QStringList{u"Unifica concepto 10 con el concepto 20 solo liquidaciones ?"_s,
                                       u"Cambio finalizado"_s}));
    EXPECT_EQ(preview, (QStringList{u"Filas con el concepto 10 que pasan al concepto 20:"_s,
                                    u"  Historia de movimientos (HISTORIA.HConId): 1"_s}));
    EXPECT_EQ(rowsWhere(u"HISTORIA"_s, u"HConId = 20 AND HCorLiq = 2"_s), 1);
    EXPECT_EQ(rowsWhere(u"HISTORIA"_s, u"HConId = 10"_s), 2);
    EXPECT_EQ(rowsWhere(u"MOVIMIEN"_s, u"ConId = 10"_s), 2);
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 10"_s), 2);
    double number = 0;
    EXPECT_TRUE(PPARLN40(*database, u"PlaTrabajo"_s, u"ConIdM"_s, 0, number));
    EXPECT_EQ(number, 10);
}

TEST_F(ConceptCodeChangeTest, ThePanelRefusesWhatCannotBeChangedAndChangesNothing)
{
    struct Typed {
        QString newCode;
        bool merge;
        bool only;
        QString from;
        QString to;
        QString message;
    };
    const QList<Typed> cases = {
        {u""_s, false, false, {}, {}, u"Falta indicar concepto"_s},
        {u"10"_s, false, false, {}, {}, u"Debe indicar un concepto diferente"_s},
        {u"20"_s, false, false, {}, {}, u"Nuevo código de concepto ya existe"_s},
        {u"30"_s, true, false, {}, {}, u"Nuevo código de concepto no existe"_s},
        {u"20"_s, true, true, u"01/02/2026"_s, {}, u"Debe indicar fecha desde y fecha hasta"_s},
        {u"20"_s, true, true, u"31/02/2026"_s, u"01/03/2026"_s, u"Fecha inválida"_s},
        {u"20"_s, true, true, u"01/03/2026"_s, u"28/02/2026"_s, u"La fecha hasta debe ser mayor que la fecha desde"_s},
    };
    const QStringList before = whereTenIs();
    for (const Typed& typed : cases) {
        ui.clear();
        WCONCAMB panel(*database, ui);
        panel.start(u"10"_s);
        panel.setNewCode(typed.newCode);
        panel.setMerge(typed.merge);
        panel.setOnlyLiquidations(typed.only);
        panel.setDates(typed.from, typed.to);
        EXPECT_FALSE(panel.confirm()) << typed.message.toStdString();
        EXPECT_TRUE(panel.refused());
        EXPECT_EQ(ui.texts(), QStringList{typed.message});
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{typed.message});
    }
    EXPECT_EQ(whereTenIs(), before);
}

TEST_F(ConceptCodeChangeTest, TwoHundredOneLinesMoveWhole)
{
    for (int line = 15; line <= 1005; line += 5)
        addAmountLine(10, line, 0);
    ASSERT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 10"_s), 201);
    EXPECT_TRUE(changeTen(u"30"_s, false, true));
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 30"_s), 201);
    EXPECT_EQ(rowsWhere(u"CONCEPT1"_s, u"ConId = 10"_s), 0);
}

}  // namespace
