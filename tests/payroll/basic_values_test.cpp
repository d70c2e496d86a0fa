// TBASICO, WBASICOS and the change of number: a basic and its dated values
// written together, the two delete paths with their own texts, and the
// renumbering that moves every reference or nothing.
#include "payroll/basic_value_procedures.h"
#include "payroll/basic_values.h"

#include "data/parameters.h"
#include "engine/lines.h"
#include "organisation_tables_fixture.h"

#include <QDate>

namespace {

class BasicValuesTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        addRow(QStringLiteral("CARGOS"), {{QStringLiteral("CarId"), 4}, {QStringLiteral("CarDesc1"), QStringLiteral("Oficial")}});
        addRow(QStringLiteral("CENTROCO"), {{QStringLiteral("CCId"), QStringLiteral("ADM")},
                                            {QStringLiteral("CCDesc"), QStringLiteral("Administración")}});
    }

    void addBasic(int id, const QString& description)
    {
        addRow(QStringLiteral("BASICOS"), {{QStringLiteral("BasId"), id}, {QStringLiteral("BasDesc"), description}});
    }

    /// A value as the program writes one: blank codes stored as empty texts.
    void addValue(int id, int position, const QString& costCentre, double amount)
    {
        const QString empty = QStringLiteral("");
        addRow(QStringLiteral("BASICOS1"),
               {{QStringLiteral("BasId"), id}, {QStringLiteral("CarId"), position},
                {QStringLiteral("CCId"), costCentre.isNull() ? empty : costCentre},
                {QStringLiteral("RefAuxId"), empty}, {QStringLiteral("BasClasif"), empty},
                {QStringLiteral("BasImp"), amount}, {QStringLiteral("BasImpAnt"), 0.0},
                {QStringLiteral("BasVigenci"), QDate(2026, 1, 1)}});
    }

    void addConcept(int id, const QString& description, const QString& field = {}, int basic = 0)
    {
        RowValues values{{QStringLiteral("ConId"), id}, {QStringLiteral("ConDesc"), description},
                         {QStringLiteral("BasIdTope"), 0}, {QStringLiteral("BasIdBPC"), 0},
                         {QStringLiteral("BasIdAFAP"), 0}};
        for (auto& [name, value] : values) {
            if (name == field)
                value = basic;
        }
        addRow(QStringLiteral("CONCEPT"), values);
    }

    /// The values of basic `id` as "position/cost centre=amount", in key order.
    QStringList valuesOf(int id)
    {
        QList<BasicValueRow> rows;
        QString error;
        EXPECT_TRUE(readBasicValues(*database, id, rows, &error)) << error.toStdString();
        QStringList texts;
        for (const BasicValueRow& row : rows)
            texts << QStringLiteral("%1/%2=%3").arg(row.position).arg(row.costCentre).arg(row.amount);
        return texts;
    }

    static int addLine(LineTable& lines, const QString& position, const QString& costCentre, const QString& amount,
                       const QString& classifier = {})
    {
        const int row = lines.addLine();
        lines.setText(row, PositionColumn, position);
        lines.setText(row, CostCentreColumn, costCentre);
        lines.setText(row, ValidFromColumn, QStringLiteral("01/01/26"));
        lines.setText(row, ClassifierColumn, classifier);
        lines.setText(row, AmountColumn, amount);
        return row;
    }

    std::unique_ptr<Transaction> newBasic(int id, const QString& description)
    {
        auto form = open(TBASICO(), QStringLiteral("0"), QStringLiteral("INS"));
        form->setText(1, QString::number(id));
        EXPECT_TRUE(form->focusEntered(2));
        form->setText(2, description);
        return form;
    }
};

TEST_F(BasicValuesTest, ANewBasicIsWrittenWithItsValuesAndOneAuditEntryPerValue)
{
    auto form = newBasic(5, QStringLiteral("Laudo comercio"));
    LineTable& lines = *form->lines();
    // Position zero, blank cost centre and reference: the value for everybody.
    addLine(lines, QStringLiteral("0"), QString(), QStringLiteral("900.5"));
    addLine(lines, QStringLiteral("4"), QStringLiteral("ADM"), QStringLiteral("0"), QStringLiteral("Jornal"));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(valuesOf(5), (QStringList{QStringLiteral("0/=900.5"), QStringLiteral("4/ADM=0")}));
    // A zero amount leaves ", Valor = " out; the classifier keeps its label's spelling.
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Agrega básico 5, descripción = Laudo comercio, Valor = 900.50"),
                                         QStringLiteral("Agrega básico 5, descripción = Laudo comercio, Cargo = 4, "
                                                        "Centro de costo = ADM, Calsificador = Jornal")}));

    // A basic without values, and a description changed alone, each get the basic's own entry.
    form->setText(1, QStringLiteral("6"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Sin valores"));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    auto modify = open(TBASICO(), QStringLiteral("6"), QStringLiteral("UPD"));
    ASSERT_TRUE(modify->focusEntered(2));
    modify->setText(2, QStringLiteral("Todavía sin valores"));
    ASSERT_TRUE(modify->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(auditTexts().mid(2), (QStringList{QStringLiteral("Agrega básico 6, descripción = Sin valores"),
                                               QStringLiteral("Modifica básico 6, descripción = Todavía sin valores, "
                                                              "descripcion = Todavía sin valores")}));
}

TEST_F(BasicValuesTest, TheLineChecksRefuseWithTheirOwnTextsAndWriteNothing)
{
    auto zero = open(TBASICO(), QStringLiteral("0"), QStringLiteral("INS"));
    zero->setText(1, QStringLiteral("0"));
    EXPECT_FALSE(zero->focusEntered(2));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Falta número de básico")});

    ui.clear();
    auto form = newBasic(5, QStringLiteral("Laudo comercio"));
    LineTable& lines = *form->lines();
    const int row = addLine(lines, QStringLiteral("9"), QString(), QStringLiteral("10"));
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("No existe Cargos. DESEA VISUALIZAR?")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 0);

    // On Yes the list is shown and the position chosen there is taken.
    ui.clear();
    ui.answer(true);
    ui.onCall(QStringLiteral("WCARGOS"), [](QString& key, QString&) { key = QStringLiteral("4"); });
    addLine(lines, QStringLiteral("4"), QString(), QStringLiteral("20"));
    EXPECT_FALSE(form->confirm()) << "the chosen position repeats the second line's key";
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("No existe Cargos. DESEA VISUALIZAR?"),
                                       QStringLiteral("Ya existe el registro")}));
    EXPECT_EQ(lines.text(row, PositionColumn).trimmed(), QStringLiteral("4"));

    ui.clear();
    lines.setText(row, CostCentreColumn, QStringLiteral("NOHAY"));
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("No existe CentroCosto. DESEA VISUALIZAR?")});

    ui.clear();
    lines.setText(row, CostCentreColumn, QStringLiteral("ADM"));
    EXPECT_FALSE(lines.setText(row, ValidFromColumn, QStringLiteral("30/02/26")));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Fecha inválida")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(BasicValuesTest, OnlyChangedValuesAreWrittenAndNamedInTheAudit)
{
    addBasic(1, QStringLiteral("Laudo"));
    addValue(1, 0, QString(), 900);
    addValue(1, 4, QString(), 950);
    addValue(1, 4, QStringLiteral("ADM"), 980);

    auto form = open(TBASICO(), QStringLiteral("1"), QStringLiteral("UPD"));
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 3);
    EXPECT_EQ(lines.text(1, AmountColumn).trimmed(), QStringLiteral("950.00"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Laudo 2026"));
    lines.setText(1, AmountColumn, QStringLiteral("1000"));
    lines.markForDeletion(2);
    ui.answer(true);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_EQ(valuesOf(1), (QStringList{QStringLiteral("0/=900"), QStringLiteral("4/=1000")}));
    EXPECT_EQ(fieldOf(QStringLiteral("BASICOS"), QStringLiteral("BasDesc"), QStringLiteral("BasId = 1")).toString(),
              QStringLiteral("Laudo 2026"));
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Modifica básico 1, descripción = Laudo 2026, "
                                                        "descripcion = Laudo 2026, Valor = 1,000.00"),
                                         QStringLiteral("Elimina básico 1, descripción = Laudo 2026")}));
}

TEST_F(BasicValuesTest, TheFormsDeleteLooksAtEveryConceptFieldAndTheLines)
{
    addBasic(1, QStringLiteral("Tope AFAP"));
    addBasic(2, QStringLiteral("Horas"));
    addBasic(3, QStringLiteral("Sin uso"));
    addValue(3, 0, QString(), 10);
    addValue(3, 4, QString(), 11);
    addConcept(101, QStringLiteral("Aporte jubilatorio BPS"), QStringLiteral("BasIdAFAP"), 1);
    addRow(QStringLiteral("CONCEPT4"), {{QStringLiteral("ConId"), 101}, {QStringLiteral("CanLin"), 1},
                                        {QStringLiteral("BasId"), 2}});

    removeThrough(TBASICO(), QStringLiteral("1"));
    removeThrough(TBASICO(), QStringLiteral("2"));
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Eliminación inválida, hay información en \"Conceptos\"."),
                                       QStringLiteral("Eliminación inválida, hay información en \"Concept4\".")}));
    ui.clear();
    removeThrough(TBASICO(), QStringLiteral("3"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminar toda la información en Basicos?")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 2);
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0) << "every value of the basic goes with it";
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina básico 3, descripción = Sin uso")});
}

TEST_F(BasicValuesTest, TheListsDeleteHasItsOwnChecksAndIgnoresTheAfapBasic)
{
    addBasic(1, QStringLiteral("Tope AFAP"));
    addBasic(2, QStringLiteral("BPC"));
    addBasic(3, QStringLiteral("IRPF"));
    addBasic(4, QStringLiteral("Importe"));
    addValue(1, 0, QString(), 5);
    addConcept(101, QStringLiteral("Aporte jubilatorio BPS"), QStringLiteral("BasIdAFAP"), 1);
    addConcept(103, QStringLiteral("IRPF"), QStringLiteral("BasIdBPC"), 2);
    addConcept(1, QStringLiteral("Sueldo mensual"));
    addRow(QStringLiteral("CONCEPT1"), {{QStringLiteral("ConId"), 1}, {QStringLiteral("OpeLin"), 1},
                                        {QStringLiteral("BasId"), 4}});
    ASSERT_FALSE(PPARGN40(*database, ui, QStringLiteral("Configur"), QStringLiteral("BPCEnero"), 0, 3));

    auto panel = openPanel(WBASICOS());
    ASSERT_EQ(panel->rowCount(), 4);
    for (int answer = 0; answer < 4; ++answer)
        ui.answer(true);
    panel->remove({0, 1, 2, 3});
    EXPECT_EQ(ui.texts(),
              (QStringList{
                  QStringLiteral("¿Confirma eliminación del básico 1?"), QStringLiteral("¿Confirma eliminación del básico 2?"),
                  QStringLiteral("No se puede eliminar el básico porque es utilizado como valor de la BPC del concepto "
                                 "103 IRPF"),
                  QStringLiteral("¿Confirma eliminación del básico 3?"),
                  QStringLiteral("No se puede eliminar el básico porque es utilizado en el IRPF (cálculo de aportes "
                                 "caja profesionales)."),
                  QStringLiteral("¿Confirma eliminación del básico 4?"),
                  QStringLiteral("No se puede eliminar el básico porque es utilizado en el cálculo de importe del "
                                 "concepto 1 Sueldo mensual")}));
    EXPECT_EQ(ui.messages(MessageIcon::Information).size(), 3);
    EXPECT_EQ(fieldOf(QStringLiteral("BASICOS"), QStringLiteral("BasId"), QStringLiteral("BasId = 1")).toString(),
              QStringLiteral("<ninguna>"));
    EXPECT_EQ(countRows(QStringLiteral("BASICOS1")), 0);
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina básico 1, descripción = Tope AFAP")});
    EXPECT_EQ(panel->rowCount(), 3);

    // While the basics are copied automatically nothing is asked or deleted.
    ui.clear();
    ASSERT_FALSE(PPARGC(*database, ui, QStringLiteral("SincroAuto"), QStringLiteral("Bas"), 0, QStringLiteral("S")));
    ASSERT_FALSE(PPARGC(*database, ui, QStringLiteral("SincroAuto"), QStringLiteral("Hay"), 0, QStringLiteral("S")));
    panel->remove({0});
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Esta tabla se copia automaticamente.")});
    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 3);
}

TEST_F(BasicValuesTest, TheChangeOfNumberMovesEveryReferenceAndTheParameters)
{
    addBasic(3, QStringLiteral("BPC"));
    addValue(3, 0, QString(), 6864);
    addValue(3, 4, QStringLiteral("ADM"), 7000);
    addConcept(101, QStringLiteral("Aporte"), QStringLiteral("BasIdTope"), 3);
    addConcept(102, QStringLiteral("FONASA"), QStringLiteral("BasIdBPC"), 3);
    addConcept(103, QStringLiteral("IRPF"), QStringLiteral("BasIdAFAP"), 3);
    addRow(QStringLiteral("CONCEPT1"), {{QStringLiteral("ConId"), 101}, {QStringLiteral("OpeLin"), 1}, {QStringLiteral("BasId"), 3}});
    addRow(QStringLiteral("CONCEPT4"), {{QStringLiteral("ConId"), 101}, {QStringLiteral("CanLin"), 1}, {QStringLiteral("BasId"), 3}});
    ASSERT_FALSE(PPARGN40(*database, ui, QStringLiteral("FONASA"), QStringLiteral("BasicoCM"), 1, 3));
    ASSERT_FALSE(PPARGN40(*database, ui, QStringLiteral("FONASA"), QStringLiteral("BasicoCM"), 4, 3));
    ASSERT_FALSE(PPARGN40(*database, ui, QStringLiteral("Configur"), QStringLiteral("BPCEnero"), 0, 3));
    ASSERT_FALSE(PPARGN40(*database, ui, QStringLiteral("HisLaboral"), QStringLiteral("Basico"), 0, 7));

    WCAMBIAB change(*database, ui);
    change.start(QStringLiteral("3"));
    change.setNewNumber(30);
    ASSERT_TRUE(change.confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(change.closeRequested());
    EXPECT_EQ(change.handBack(), QStringLiteral("30"));

    EXPECT_EQ(countRows(QStringLiteral("BASICOS")), 1);
    EXPECT_EQ(valuesOf(30), (QStringList{QStringLiteral("0/=6864"), QStringLiteral("4/ADM=7000")}));
    EXPECT_TRUE(valuesOf(3).isEmpty());
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT"), QStringLiteral("BasIdTope"), QStringLiteral("ConId = 101")).toInt(), 30);
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT"), QStringLiteral("BasIdBPC"), QStringLiteral("ConId = 102")).toInt(), 30);
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT"), QStringLiteral("BasIdAFAP"), QStringLiteral("ConId = 103")).toInt(), 30);
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT1"), QStringLiteral("BasId"), QStringLiteral("ConId = 101")).toInt(), 30);
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT4"), QStringLiteral("BasId"), QStringLiteral("ConId = 101")).toInt(), 30);
    double number = 0;
    for (const auto& [group, name, index] : {std::tuple{"FONASA", "BasicoCM", 1}, std::tuple{"FONASA", "BasicoCM", 4},
                                             std::tuple{"Configur", "BPCEnero", 0}}) {
        ASSERT_TRUE(PPARLN40(*database, QLatin1String(group), QLatin1String(name), index, number));
        EXPECT_EQ(number, 30) << group << '/' << name << '/' << index;
    }
    ASSERT_TRUE(PPARLN40(*database, QStringLiteral("HisLaboral"), QStringLiteral("Basico"), 0, number));
    EXPECT_EQ(number, 7) << "a parameter naming another basic is left alone";
}

TEST_F(BasicValuesTest, AChangeOfNumberThatWouldCollideChangesNothing)
{
    addBasic(3, QStringLiteral("BPC"));
    addBasic(4, QStringLiteral("Otro"));
    addValue(3, 0, QString(), 6864);
    addValue(3, 4, QString(), 7000);
    // A value left under number 9 by an older program, without its basic.
    addValue(9, 4, QString(), 1);
    addConcept(101, QStringLiteral("Aporte"), QStringLiteral("BasIdTope"), 3);

    WCAMBIAB change(*database, ui);
    change.start(QStringLiteral("3"));
    change.setNewNumber(4);
    EXPECT_FALSE(change.confirm());
    EXPECT_FALSE(change.closeRequested()) << "the focus stays on the new number";
    change.setNewNumber(9);
    EXPECT_FALSE(change.confirm());
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("El número de basico nuevo ya existe"),
                                       QStringLiteral("Ya existe el registro")}));
    EXPECT_EQ(PCAMBIAB(*database, ui, 3, 9).message, QStringLiteral("Ya existe el registro"));

    EXPECT_EQ(valuesOf(3), (QStringList{QStringLiteral("0/=6864"), QStringLiteral("4/=7000")}));
    EXPECT_EQ(valuesOf(9), QStringList{QStringLiteral("4/=1")});
    EXPECT_EQ(fieldOf(QStringLiteral("CONCEPT"), QStringLiteral("BasIdTope"), QStringLiteral("ConId = 101")).toInt(), 3);
    EXPECT_EQ(fieldOf(QStringLiteral("BASICOS"), QStringLiteral("BasDesc"), QStringLiteral("BasId = 3")).toString(),
              QStringLiteral("BPC"));
}

}  // namespace
