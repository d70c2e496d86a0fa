// WCONAPLI: one condition per attribute, checked by the attribute's type and
// list, written to CONCEPT5 on Confirmar.
#include "payroll/concept_applications.h"
#include "tables/attributes_procedures.h"

#include "data/demo_company.h"

#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

class ConceptApplicationsTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        addRow(u"CONCEPT"_s, {{u"ConId"_s, 150}, {u"ConDesc"_s, u"Cuota sindical"_s}, {u"ConActivo"_s, 1}});
        addAttribute(3, u"Horas semanales"_s, u"NU"_s, 3, 0, {}, u"Horario"_s);
        addAttribute(4, u"Certificado médico"_s, u"FE"_s, 0, 0, {}, u"Salud"_s);
        addAttribute(5, u"Afiliado al sindicato"_s, u"CH"_s, 1, 0, u"S,N"_s, u"Gremial"_s, true);
    }

    void addAttribute(int id, const QString& description, const QString& type, int length, int decimals,
                      const QString& validation, const QString& classifier, bool yesNo = false)
    {
        addRow(u"FUNATRIB"_s, {{u"FunAId"_s, id}, {u"FunADescri"_s, description}, {u"FunATipo"_s, type},
                               {u"FunALongit"_s, length}, {u"FunADecima"_s, decimals}, {u"FunATabla"_s, u"F"_s},
                               {u"FunAValida"_s, validation}, {u"FunAClasif"_s, classifier},
                               {u"FunAMayusc"_s, yesNo ? u"S"_s : u"N"_s}, {u"FunAObliga"_s, yesNo ? u"S"_s : u"N"_s},
                               {u"FunAAyuda"_s, QString()}});
    }

    /// "attribute=condition" of concept 150's rows.
    QStringList stored()
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT ConAplId, ConAplValo FROM CONCEPT5 WHERE ConId = 150 ORDER BY ConAplId"_s));
        while (query.next())
            rows << query.value(0).toString() + u'=' + query.value(1).toString();
        return rows;
    }

    /// Types `condition` into the row of `attribute` and confirms; the
    /// messages shown, joined.
    QString confirmWith(WCONAPLI& panel, int attribute, const QString& condition)
    {
        ui.clear();
        panel.setCondition(panel.rowOf(attribute), condition);
        panel.confirm();
        return ui.texts().join(u'|');
    }
};

TEST_F(ConceptApplicationsTest, OneRowPerAttributeWithItsReadOnlyColumnsAndHelp)
{
    WCONAPLI panel(*database, ui);
    panel.start(u"150"_s, u"UPD"_s);
    EXPECT_EQ(panel.title(), u"Se aplica a"_s);
    QStringList fields;
    for (int row = 0; row < panel.rowCount(); ++row)
        fields << panel.text(row, WCONAPLI::Field);
    // The fixed attributes have no classifier and come first.
    EXPECT_EQ(fields, (QStringList{u"Admnistrativo/Obrero"_s, u"Mensuales/Jornaleros"_s, u"Afiliado al sindicato"_s,
                                   u"Horas semanales"_s, u"Certificado médico"_s}));
    const int hours = panel.rowOf(3);
    EXPECT_EQ(panel.text(hours, WCONAPLI::Type), u"Numérico"_s);
    EXPECT_EQ(panel.text(hours, WCONAPLI::Length), u"3"_s);
    EXPECT_EQ(panel.text(panel.rowOf(5), WCONAPLI::Mandatory), u"S"_s);
    EXPECT_EQ(panel.text(panel.rowOf(1), WCONAPLI::Help), u"M=Mensual, J=Jornalero"_s);

    EXPECT_EQ(panel.helpLines(panel.rowOf(1)),
              (QStringList{u"Tipo: Alfanumérico, longitud: 1"_s, u"Validación: M,J"_s, u"Ejemplos: "_s,
                           u"     un valor          J"_s, u"     varios valores    J,M,Z"_s,
                           u"     rango de valores  A:F"_s, u"     varios rangos     A:F,M:R"_s,
                           u"     inexistente       NULL"_s}));
    EXPECT_EQ(panel.helpLines(hours).first(), u"Tipo: Numérico, longitud: 3, decimales: 0"_s);
    EXPECT_EQ(panel.helpLines(hours).last(), u"     valor c/decimales 10.50"_s);
    EXPECT_EQ(panel.helpLines(panel.rowOf(4)).last(), u"     sin fecha         1/1/1753"_s);
    EXPECT_EQ(panel.helpLines(panel.rowOf(5)), (QStringList{u"Tipo: S=Si, N=No"_s, u"Validación: S,N"_s}));
}

TEST_F(ConceptApplicationsTest, ConditionsAreCheckedByTypeAndListBeforeAnythingIsWritten)
{
    WCONAPLI panel(*database, ui);
    panel.start(u"150"_s, u"UPD"_s);
    // A valid row before a refused one is not written either.
    panel.setCondition(panel.rowOf(5), u"s"_s);
    EXPECT_EQ(panel.text(panel.rowOf(5), WCONAPLI::Condition), u"S"_s);
    EXPECT_EQ(confirmWith(panel, 3, u"10.5"_s), u"10.5 no puede tener decimales."_s);
    EXPECT_EQ(panel.currentRow(), panel.rowOf(3));
    EXPECT_TRUE(stored().isEmpty());

    EXPECT_EQ(confirmWith(panel, 3, u"100:300,5000"_s), u"5000 no puede tener más de 3 enteros."_s);
    EXPECT_EQ(confirmWith(panel, 3, u"100:300,500:600"_s), u""_s);
    EXPECT_EQ(confirmWith(panel, 4, u"31/02/00"_s), u"31/02/00 no es una fecha válida."_s);
    EXPECT_EQ(panel.currentRow(), panel.rowOf(4));
    EXPECT_EQ(confirmWith(panel, 4, u"1/10/00:31/10/00,1/1/1753"_s), u""_s);
    EXPECT_EQ(confirmWith(panel, 1, u"x"_s), u"El valor X no es correcto para el At. adicional Mensuales/Jornaleros"_s);
    EXPECT_EQ(confirmWith(panel, 1, u"M,NULL"_s), u""_s);
    EXPECT_EQ(stored(), (QStringList{u"1=M,NULL"_s, u"3=100:300,500:600"_s, u"4=1/10/00:31/10/00,1/1/1753"_s,
                                     u"5=S"_s}));
    EXPECT_EQ(auditEntries().last(), u"Aplica concepto = 150, atributo = Mensuales/Jornaleros, condición = M,NULL"_s);
}

TEST_F(ConceptApplicationsTest, EmptyConditionsMeanNoConditionAndKeepNoRow)
{
    addRow(u"CONCEPT5"_s, {{u"ConId"_s, 150}, {u"ConAplId"_s, 3}, {u"ConAplValo"_s, u"40"_s}});
    WCONAPLI panel(*database, ui);
    panel.start(u"150"_s, u"UPD"_s);
    EXPECT_EQ(panel.text(panel.rowOf(3), WCONAPLI::Condition), u"40"_s);
    // Attribute 5 is mandatory and stays empty: accepted. The emptied row
    // of attribute 3 goes.
    EXPECT_EQ(confirmWith(panel, 3, u"  "_s), u""_s);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(auditEntries().last(), u"Elimina aplicación del concepto = 150, atributo = Horas semanales"_s);

    WCONAPLI display(*database, ui);
    display.start(u"150"_s, u"DSP"_s);
    EXPECT_FALSE(display.setCondition(display.rowOf(3), u"10"_s));
    EXPECT_FALSE(display.confirm());
}

using DemoApplicationsTest = OrganisationTableTest;

TEST_F(DemoApplicationsTest, TheDemoCompanysValuesAndConditionsFitTheirDefinitions)
{
    VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    const QList<StoredAttribute> attributes = attributeDefinitions(*database);
    ASSERT_GE(attributes.size(), 6);
    for (const StoredAttribute& attribute : attributes) {
        EXPECT_EQ(PCTRVALA(*database, attribute.id, attribute.definition), QString()) << attribute.id;
        EXPECT_EQ(PVALFUNA(attribute.definition, attribute.suggested), QString()) << attribute.id;
    }
    EXPECT_GT(countRows(u"FUNATRVA"_s), 20);
    for (int code : {1, 2, 5, 20, 101, 102, 103, 150}) {
        WCONAPLI panel(*database, ui);
        panel.start(QString::number(code), u"UPD"_s);
        int conditions = 0;
        for (int row = 0; row < panel.rowCount(); ++row)
            conditions += panel.text(row, WCONAPLI::Condition).isEmpty() ? 0 : 1;
        EXPECT_GT(conditions, 0) << code;
        EXPECT_TRUE(panel.confirm()) << code;
    }
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    WCONAPLI dues(*database, ui);
    dues.start(u"150"_s, u"UPD"_s);
    EXPECT_EQ(dues.text(dues.rowOf(3), WCONAPLI::Condition), u"S"_s);
}

}  // namespace
