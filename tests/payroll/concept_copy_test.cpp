// WCONCOPI and PCONCOPI: the checks and the question of the copy, a copy
// that repeats every field and detail row but the applications, the reminder
// and the concept form after it, and a copy that fails halfway or is
// answered No changing nothing.
#include "concept_maintenance_fixture.h"

#include "payroll/concept_copy.h"

namespace {

class ConceptCopyTest : public ConceptMaintenanceTest {
protected:
    void SetUp() override
    {
        ConceptMaintenanceTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        addConcept(1, u"Sueldo mensual"_s, 1);
        addConceptWithDetail(150, u"Cuota sindical"_s);
        // The concept a copy may replace, with a definition of its own.
        addConcept(7, u"Viáticos"_s, 1, {{u"ConPriorid"_s, 40}});
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, 7}, {u"OpeLin"_s, 15}, {u"OpeOpe"_s, u"="_s}, {u"OpeUsar"_s, u"VAL"_s}});
        addRow(u"CONCEPT3"_s, {{u"ConId"_s, 7}, {u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 2}, {u"ConAcuOpe"_s, u"S"_s}});
        addRow(u"CONCEPT5"_s, {{u"ConId"_s, 7}, {u"ConAplId"_s, 2}, {u"ConAplValo"_s, u"A"_s}});
        ui.onCall(u"TCONCEP"_s, [this](QString& key, QString& mode) { opened << key + u' ' + mode; });
    }

    /// Every detail of concept `code` but its applications, and its record
    /// without its description.
    QStringList definitionOf(int code)
    {
        QStringList definition;
        for (const QString& table : {u"CONCEPT1"_s, u"CONCEPT2"_s, u"CONCEPT3"_s, u"CONCEPT4"_s})
            definition << table + u": "_s + detailOf(table, code).join(u" / "_s);
        QStringList fields = detailOf(u"CONCEPT"_s, code).join(u'|').split(u'|');
        fields.removeIf([](const QString& field) { return field.startsWith(u"ConDesc="_s); });
        definition << fields.join(u'|');
        return definition;
    }

    QStringList opened;
};

TEST_F(ConceptCopyTest, TheCodeIsCheckedAndAnExistingConceptAnsweredNoChangesNothing)
{
    const QMap<QString, QStringList> before = picture();
    WCONCOPI copy(*database, ui);
    copy.start(u"150"_s);
    EXPECT_EQ(copy.description(), u"Cuota sindical"_s) << "the source's description is offered";
    EXPECT_FALSE(copy.confirm());
    copy.setTarget(u"150"_s);
    EXPECT_FALSE(copy.confirm());
    copy.setTarget(u"7"_s);
    ui.answer(false);
    EXPECT_FALSE(copy.confirm());

    EXPECT_EQ(ui.texts(), (QStringList{u"Falta indicar concepto"_s, u"Debe indicar un concepto diferente"_s,
                                       u"Concepto ya existe. ¿Desea reemplazarlo?"_s}));
    EXPECT_EQ(ui.shown().value(2).defaultButton, DefaultButton::No);
    EXPECT_EQ(picture(), before);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(copy.handBack(), u"150"_s);
}

TEST_F(ConceptCopyTest, ANewConceptGetsEveryFieldAndDetailButTheApplicationsThenItsForm)
{
    WCONCOPI copy(*database, ui);
    copy.start(u"150"_s);
    copy.setTarget(u"160"_s);
    copy.setDescription(u"Cuota sindical adicional"_s);
    ASSERT_TRUE(copy.confirm()) << shownTexts().toStdString();

    EXPECT_EQ(ui.texts(), QStringList{u"Recuerde agregar el nuevo concepto a los asientos"_s});
    EXPECT_EQ(ui.shown().value(0).icon, MessageIcon::Information);
    EXPECT_EQ(opened, QStringList{u"160 UPD"_s});
    EXPECT_EQ(definitionOf(160), definitionOf(150));
    EXPECT_EQ(conceptField(160, u"ConDesc"_s).toString().trimmed(), u"Cuota sindical adicional"_s);
    // The hidden fields came along.
    EXPECT_EQ(conceptField(160, u"ConGlobal"_s).toString().trimmed(), u"G"_s);
    EXPECT_EQ(conceptField(160, u"ConOrdinal"_s).toInt(), 7);
    EXPECT_EQ(conceptField(160, u"ConUltOpeL"_s).toInt(), 10);
    EXPECT_EQ(detailOf(u"CONCEPT5"_s, 160), QStringList{});
    EXPECT_EQ(auditEntries(),
              QStringList{u"Copia concepto 150 a 160. Descripción = Cuota sindical adicional"_s});
    EXPECT_EQ(copy.handBack(), u"160"_s);
}

TEST_F(ConceptCopyTest, ReplacingDropsTheTargetsDefinitionFirstButKeepsItsApplications)
{
    const QStringList applications = detailOf(u"CONCEPT5"_s, 7);
    WCONCOPI copy(*database, ui);
    copy.start(u"150"_s);
    copy.setTarget(u"7"_s);
    copy.setDescription(u"Cuota sindical B"_s);
    ui.answer(true);
    ASSERT_TRUE(copy.confirm()) << shownTexts().toStdString();

    EXPECT_EQ(ui.texts(), (QStringList{u"Concepto ya existe. ¿Desea reemplazarlo?"_s,
                                       u"Recuerde agregar el nuevo concepto a los asientos"_s}));
    EXPECT_EQ(definitionOf(7), definitionOf(150)) << "nothing of the old definition is left";
    EXPECT_EQ(conceptField(7, u"ConPriorid"_s).toInt(), 120);
    EXPECT_EQ(detailOf(u"CONCEPT5"_s, 7), applications);
    EXPECT_EQ(opened, QStringList{u"7 UPD"_s});
}

TEST_F(ConceptCopyTest, ACopyThatFailsHalfwayLeavesTheTargetAsItWas)
{
    const QMap<QString, QStringList> before = picture();
    // The expansion rows are copied last: the target's definition is gone
    // and the new one nearly written when they refuse.
    refuse(u"INSERT"_s, u"CONCEPT2"_s);
    WCONCOPI copy(*database, ui);
    copy.start(u"150"_s);
    copy.setTarget(u"7"_s);
    ui.answer(true);
    EXPECT_FALSE(copy.confirm());
    EXPECT_EQ(ui.texts().size(), 2);
    EXPECT_EQ(ui.shown().value(1).icon, MessageIcon::Exclamation);
    EXPECT_EQ(picture(), before);
    EXPECT_TRUE(opened.isEmpty());
    allow(u"INSERT"_s, u"CONCEPT2"_s);

    // A concept that appeared under the target code since the question is
    // not overwritten: the copy stops on the duplicate key.
    const ProcedureResult result = PCONCOPI(*database, ui, 150, 7, u"Otra"_s, false);
    EXPECT_EQ(result.message, u"Ya existe el registro"_s);
    EXPECT_EQ(picture(), before);
}

}  // namespace
