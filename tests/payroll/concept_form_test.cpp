// TCONCEP as a whole: the audit sentences, hidden fields kept, the header
// buttons, the delete refusals in their order, what follows a confirm, and
// the demo company's concepts confirmed as they stand.
#include "concept_fixture.h"

#include "data/demo_company.h"
#include "engine/object_registry.h"

using namespace Qt::StringLiterals;

namespace {

using ConceptFormTest = ConceptTest;

/// Catalogue entries of objects other subjects build, for one test; an
/// object the program already has is left as it is.
class StandInObjects {
public:
    explicit StandInObjects(const QStringList& names)
    {
        for (const QString& name : names) {
            if (ObjectRegistry::entry(name))
                continue;
            ObjectRegistry::addEntry(name, ObjectKind::Transaction, name);
            names_ << name;
        }
    }
    ~StandInObjects()
    {
        for (const QString& name : names_)
            ObjectRegistry::removeEntry(name);
    }

private:
    QStringList names_;
};

TEST_F(ConceptFormTest, TheAuditOfANewConceptTellsEveryPhraseInOrder)
{
    auto form = newConcept(250, u"Horas nocturnas"_s, u"Haber"_s);
    type(*form, u"ConAguinal"_s, u"Por lo gravado"_s);
    type(*form, u"ConCant"_s, u"Lleva cantidad"_s);
    type(*form, u"ConFracc"_s, u"60 minutos"_s);
    type(*form, u"ConFijo"_s, u"S"_s);
    type(*form, u"AporId"_s, u"1"_s);
    type(*form, u"ConPorGrav"_s, u"100"_s);
    type(*form, u"ConPriorid"_s, u"20"_s);
    type(*form, u"ConConcHL"_s, u"1-Monto imponible mensual"_s);
    type(*form, u"ConCantHL"_s, u"Horas"_s);
    type(*form, u"ConConcCB"_s, u"11"_s);
    type(*form, u"ConNotas"_s, u"Entre las 22 y las 6"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();

    QString expected = u"Agrega concepto 250. Descripción = Horas nocturnas Concepto = Activo , tipo = Haber"
                       u", genera aguinaldo por lo gravado, clase = Otros, lleva cantidad, fracción = 60 minutos"
                       u", admite cantidad cero = N, puede ser fijo = Sí, descripción modificable = N"
                       u", gravado en un = 100%, grupo de aportes = 1 - Aportes comunes"_s;
    for (int bracket = 1; bracket <= 9; ++bracket)
        expected += u", porcentaje de retención franja %1 = 0"_s.arg(bracket);
    expected += u", tope imponible = 0, tope imponible jubilado AFAP = 0, moneda = nacional"
                u", nominal/líquido = nominal, prioridad = 20, importe calculado 0 = acepta con aviso"
                u", coeficiente conv. a jornales = 0, Concepto para pago al beneficiario = 0, Referencia = 1"
                u", No graba C. Costo = 0, cantidad para historia laboral en = horas"
                u", concepto para historia laboral = 1-monto imponible mensual"
                u", concepto para focer = 0-No se informa, concepto para caja bancaria = 11-Horario nocturno"
                u", Ley 17829 (líquido mínimo 30%) = calcula líquido mínimo"
                u", Control de exceso del 20% no gravado = No incide, No es deducción IRPF, beneficio social = No"
                u", sumariza variables = No, acepta reiteración en siguiente liquidación = No"
                u", incluye en recibos y planillas = No, imprime porcentaje de retención = No"
                u", imprime cantidad en recibos = No"
                u", acumular cantidad para días trabajados multiplicada por = 0"
                u", acumular cantidad para días trabajados dividida por = 0"
                u", acumular cantidad para días de licencia gozada multiplicada por = 0"
                u", acumular cantidad para días de licencia gozada dividida por = 0"
                u", acumular cantidad para días de licencia liquidada multiplicada por = 0"
                u", acumular cantidad para días de licencia liquidada dividida por = 0"
                u", notas = Entre las 22 y las 6, movimientos colectivos = , Texto período de licencia = "
                u", Imprime texto licencia en recibos = No"_s;
    ASSERT_EQ(auditEntries().size(), 1);
    EXPECT_EQ(auditEntries().first(), expected);
    EXPECT_EQ(auditLines().first().area, 13);
}

TEST_F(ConceptFormTest, TheAuditOfAModifyNamesOnlyWhatChanged)
{
    addConcept(1, u"Sueldo mensual"_s, 1,
               {{u"ConCant"_s, u"N"_s}, {u"ConCant0"_s, u"S"_s}, {u"ConL17829"_s, u"M"_s}, {u"ConPriorid"_s, 10}});
    auto form = open(TCONCEP(), u"1"_s, u"UPD"_s);
    type(*form, u"ConPriorid"_s, u"15"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(auditEntries(), QStringList{u"Modifica concepto 1, prioridad = 15"_s});
    EXPECT_EQ(conceptField(1, u"ConPriorid"_s).toInt(), 15);

    // Confirmed as it stands: no entry.
    auto again = open(TCONCEP(), u"1"_s, u"UPD"_s);
    ASSERT_TRUE(again->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(auditEntries().size(), 1);

    // The description and the status come first.
    auto renamed = open(TCONCEP(), u"1"_s, u"UPD"_s);
    type(*renamed, u"ConDesc"_s, u"Sueldo"_s);
    type(*renamed, u"ConActivo"_s, u"S"_s);
    type(*renamed, u"ConFijo"_s, u"S"_s);
    ASSERT_TRUE(renamed->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(auditEntries().last(),
              u"Modifica concepto 1, descripción = Sueldo, concepto = Inactivo, puede ser fijo = Sí"_s);
    EXPECT_EQ(conceptField(1, u"ConActivo"_s).toInt(), 0);
}

TEST_F(ConceptFormTest, FieldsTheFormDoesNotShowAreWrittenBackAsRead)
{
    addConcept(30, u"Prima"_s, 1,
               {{u"ConCant"_s, u"N"_s}, {u"ConCant0"_s, u"S"_s}, {u"ConL17829"_s, u"M"_s},
                {u"ConGlobal"_s, u"G"_s}, {u"ConIncVora"_s, u"V"_s}, {u"ConOrdinal"_s, 7},
                {u"ConUltOpeL"_s, 30}, {u"ConExpande"_s, u"S"_s}, {u"ConAplica"_s, u"S"_s},
                {u"ConAcuHist"_s, u"H"_s}, {u"ConDiasTra"_s, u"D"_s}});
    auto form = open(TCONCEP(), u"30"_s, u"UPD"_s);
    type(*form, u"ConDesc"_s, u"Prima por presentismo"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    const QList<std::pair<QString, QString>> kept = {
        {u"ConGlobal"_s, u"G"_s}, {u"ConIncVora"_s, u"V"_s}, {u"ConOrdinal"_s, u"7"_s},  {u"ConUltOpeL"_s, u"30"_s},
        {u"ConExpande"_s, u"S"_s}, {u"ConAplica"_s, u"S"_s}, {u"ConAcuHist"_s, u"H"_s}, {u"ConDiasTra"_s, u"D"_s}};
    for (const auto& [field, value] : kept)
        EXPECT_EQ(conceptField(30, field).toString(), value) << field.toStdString();
    EXPECT_EQ(conceptField(30, u"ConDesc"_s).toString(), u"Prima por presentismo"_s);
}

TEST_F(ConceptFormTest, TheHeaderButtonsNeedAConfirmedConceptAndTheirObjects)
{
    auto form = newConcept(40, u"Comisiones"_s, u"Haber"_s);
    for (const QString& action : {u"Calculo"_s, u"Calculo cantidad"_s, u"ExpSob"_s}) {
        ui.clear();
        form->press(action);
        ASSERT_EQ(ui.shown().size(), 1) << action.toStdString();
        EXPECT_EQ(ui.shown().first().text, u"Debe confirmar antes los datos"_s);
        EXPECT_EQ(ui.shown().first().icon, MessageIcon::Information);
    }
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    form->close();

    addConcept(41, u"Comisiones"_s, 1);
    auto existing = open(TCONCEP(), u"41"_s, u"UPD"_s);
    QString amountCall;
    ui.onCall(u"TCONCEP1"_s, [&](QString& key, QString& mode) { amountCall = key + u' ' + mode; });
    ui.clear();
    existing->press(u"Calculo"_s);
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(amountCall, u"41 UPD"_s);

    const StandInObjects lines({u"TCONCEP4"_s});
    QString calledWith;
    ui.onCall(u"TCONCEP4"_s, [&](QString& key, QString& mode) { calledWith = key + u' ' + mode; });
    ui.clear();
    existing->press(u"Calculo cantidad"_s);
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TCONCEP4"_s});
    EXPECT_EQ(calledWith, u"41 UPD"_s);
    EXPECT_TRUE(ui.texts().isEmpty());
}

TEST_F(ConceptFormTest, ANewConceptRunsIntoItsLinesAndEndsWithTheNotice)
{
    const StandInObjects later({u"WCONAPLI"_s, u"TCONCEP1"_s, u"TCONCEP4"_s, u"TCONCEP2"_s});
    QStringList keys;
    for (const QString& object : {u"WCONAPLI"_s, u"TCONCEP1"_s, u"TCONCEP2"_s})
        ui.onCall(object, [&keys](QString& key, QString&) { keys << key; });
    // TCONCEP4 has no handler: the call fails, and the chain stops there.
    auto form = newConcept(42, u"Comisiones"_s, u"Haber"_s);
    ASSERT_TRUE(form->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.calledObjects(), (QStringList{u"WCONAPLI"_s, u"TCONCEP1"_s, u"TCONCEP4"_s}));
    EXPECT_EQ(keys, (QStringList{u"42"_s, u"42"_s}));
    EXPECT_EQ(ui.texts().last(),
              u"Tome en cuenta que el Concepto agregado puede requerir cambios en las siguientes opciones del "
              u"programa:\n- Asientos\n- Acumuladores\n- Grupos de Aportes\n- Generador de informes\n"
              u"- Planilla horizontal\n- Crédito social del BROU\n- Planilla de movimientos\n"
              u"- Horarios de trabajo\n- VORAN"_s);
    EXPECT_EQ(ui.shown().last().icon, MessageIcon::Information);

    // A modify opens the applications only, and shows no notice.
    ui.clear();
    auto modify = open(TCONCEP(), u"42"_s, u"UPD"_s);
    type(*modify, u"ConPriorid"_s, u"5"_s);
    ASSERT_TRUE(modify->confirm()) << shownTexts().toStdString();
    EXPECT_EQ(ui.calledObjects(), QStringList{u"WCONAPLI"_s});
    EXPECT_TRUE(ui.texts().isEmpty()) << shownTexts().toStdString();
}

TEST_F(ConceptFormTest, ADeleteIsRefusedWhileAnythingUsesTheConcept)
{
    addConcept(20, u"Aguinaldo"_s, 1);
    addConcept(21, u"Comisiones"_s, 1);
    addConcept(22, u"Horas de espera"_s, 1);
    addConcept(23, u"Presentismo"_s, 1);
    addConcept(24, u"Libre"_s, 1);
    addRow(u"CONCEPT2"_s, {{u"ConId"_s, 1}, {u"ExpConId"_s, 20}});
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 21}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"+"_s}});
    addRow(u"HORMARCA"_s, {{u"HMId"_s, 1}, {u"HMConMLT"_s, 22}});
    addRow(u"FUNCIONA"_s, {{u"FunId"_s, 9}, {u"FunPConId"_s, 23}});
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 23}, {u"OpeLin"_s, 5}, {u"OpeOpe"_s, u"+"_s}});

    const QList<std::pair<QString, QString>> refused = {
        {u"20"_s, u"Concepto utilizado por otros conceptos, no puede eliminarse."_s},
        {u"21"_s, u"Eliminación inválida, hay información en \"Concept1\"."_s},
        {u"22"_s, u"Eliminación inválida, hay información en \"HorMarcas\"."_s},
        {u"23"_s, u"Eliminación inválida, hay información en \"Funcionarios\"."_s},
    };
    for (const auto& [code, message] : refused) {
        ui.clear();
        removeThrough(TCONCEP(), code);
        EXPECT_EQ(ui.texts(), QStringList{message}) << code.toStdString();
        EXPECT_EQ(conceptField(code.toInt(), u"ConId"_s).toInt(), code.toInt());
    }

    ui.clear();
    removeThrough(TCONCEP(), u"24"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(conceptField(24, u"ConId"_s).toString(), u"<ninguna>"_s);
    EXPECT_EQ(auditEntries(), QStringList{u"Elimina concepto 24. Descripción = Libre"_s});
}

/// The demo company, loaded whole.
class DemoConceptTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        QString error;
        ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
        // The demo's taxed concepts name contribution group 1, the common
        // contributions, which the contribution groups' own demo rows bring.
        if (fieldOf(u"APORTE"_s, u"AporId"_s, u"AporId = 1"_s).toString() == u"<ninguna>"_s)
            addRow(u"APORTE"_s, {{u"AporId"_s, 1}, {u"AporDesc"_s, u"Aportes comunes"_s}});
    }
};

TEST_F(DemoConceptTest, EveryDemoConceptConfirmsAsItStands)
{
    QStringList codes;
    QSqlQuery query(database->connection());
    ASSERT_TRUE(query.exec(sql(u"SELECT ConId FROM CONCEPT ORDER BY ConId"_s)));
    while (query.next())
        codes << query.value(0).toString();
    for (const QString& kept : {u"1"_s, u"2"_s, u"5"_s, u"20"_s, u"101"_s, u"102"_s, u"103"_s, u"150"_s})
        EXPECT_TRUE(codes.contains(kept)) << kept.toStdString();
    EXPECT_GE(codes.size(), 15);

    const int entriesBefore = int(auditEntries().size());
    for (const QString& code : codes) {
        ui.clear();
        auto form = open(TCONCEP(), code, u"UPD"_s);
        EXPECT_TRUE(form->confirm()) << code.toStdString() << ": " << ui.texts().join(u'|').toStdString();
        EXPECT_TRUE(ui.texts().isEmpty()) << code.toStdString() << ": " << ui.texts().join(u'|').toStdString();
    }
    // Nothing was derived differently from what is stored.
    EXPECT_EQ(auditEntries().size(), entriesBefore);
    // The judicial retention is paid out through its beneficiary concept.
    EXPECT_EQ(fieldOf(u"CONCEPT"_s, u"ConPBId"_s, u"ConId = 170"_s).toInt(), 171);
    // The retention percentages stand beside the monthly IRP scale.
    auto form = open(TCONCEP(), u"1"_s, u"UPD"_s);
    EXPECT_EQ(form->labelText(0), u"hasta 7 bpc"_s);
    EXPECT_EQ(form->labelText(6), u"hasta 115 bpc"_s);
    EXPECT_EQ(form->labelText(7), u"más de 115 bpc"_s);
    EXPECT_EQ(form->labelText(8), QString());
}

}  // namespace
