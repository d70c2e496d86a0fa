// TCARGO and WCARGOS: the six tables checked before a delete, in their
// order; the audit sentence with the two description parts; the two
// protected defaults of the list.
#include "tables/positions.h"

#include "organisation_tables_fixture.h"

namespace {

class PositionsTest : public OrganisationTableTest {
protected:
    void addPosition(int number, const QString& first, const QString& second = {})
    {
        addRow(QStringLiteral("CARGOS"), {{QStringLiteral("CarId"), number},
                                          {QStringLiteral("CarDesc1"), first},
                                          {QStringLiteral("CarDesc2"), second}});
    }

    QString refusal(const QString& name) const
    {
        return QStringLiteral("Eliminación inválida, hay información en \"") + name + QStringLiteral("\".");
    }
};

TEST_F(PositionsTest, EachTableThatUsesThePositionRefusesTheDeleteAndTheFirstInOrderIsNamed)
{
    addPosition(4, QStringLiteral("Oficial albañil"));
    // Position 4 is in use everywhere at once; each step removes the use that
    // was named, so the next table in order has to speak up.
    addRow(QStringLiteral("REMUNERA"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("RemCarId"), 4}, {QStringLiteral("RemCorre"), 1}});
    addRow(QStringLiteral("CARGOSFU"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("FunCarId"), 4}, {QStringLiteral("PTCarId"), 0}});
    addRow(QStringLiteral("CARGOSFU"), {{QStringLiteral("FunId"), 101}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("FunCarId"), 9}, {QStringLiteral("PTCarId"), 4}});
    addRow(QStringLiteral("HISTORIA"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("HCorLiq"), 1},
                                        {QStringLiteral("HCorLin"), 1}, {QStringLiteral("MovCarId"), 4}});
    addRow(QStringLiteral("MOVIMIEN"), {{QStringLiteral("MovId"), 1}, {QStringLiteral("MovCarId"), 4}});
    addRow(QStringLiteral("BASICOS1"), {{QStringLiteral("BasId"), 1}, {QStringLiteral("CarId"), 4},
                                        {QStringLiteral("CCId"), QString()}, {QStringLiteral("RefAuxId"), QString()}});

    const QList<QPair<QString, QString>> uses = {
        {QStringLiteral("Remuneraciones"), QStringLiteral("DELETE FROM REMUNERA")},
        {QStringLiteral("CargosFuncionario"), QStringLiteral("DELETE FROM CARGOSFU WHERE FunId = 100")},
        {QStringLiteral("CargosFuncionario"), QStringLiteral("DELETE FROM CARGOSFU WHERE FunId = 101")},
        {QStringLiteral("Historia"), QStringLiteral("DELETE FROM HISTORIA")},
        {QStringLiteral("Movimientos"), QStringLiteral("DELETE FROM MOVIMIEN")},
        {QStringLiteral("Basicos1"), QStringLiteral("DELETE FROM BASICOS1")},
    };
    for (const auto& [name, removeUse] : uses) {
        ui.clear();
        auto form = open(TCARGO(), QStringLiteral("4"), QStringLiteral("DLT"));
        EXPECT_EQ(ui.texts(), QStringList{refusal(name)}) << "expected " << name.toStdString();
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation).size(), 1);
        EXPECT_TRUE(form->isClosed());
        EXPECT_EQ(countRows(QStringLiteral("CARGOS")), 1);
        execute(removeUse);
    }

    // A neighbouring position in use does not hold this one.
    addRow(QStringLiteral("REMUNERA"), {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1},
                                        {QStringLiteral("RemCarId"), 5}, {QStringLiteral("RemCorre"), 2}});
    ui.clear();
    removeThrough(TCARGO(), QStringLiteral("4"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(countRows(QStringLiteral("CARGOS")), 0);
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina cargo 4")});
    EXPECT_EQ(auditLines().first().area, 14);
}

TEST_F(PositionsTest, AuditNamesBothDescriptionPartsJoinedByABlank)
{
    auto form = open(TCARGO(), QStringLiteral("0"), QStringLiteral("INS"));
    form->setText(1, QStringLiteral("12"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Oficial albañil"));
    form->setText(3, QStringLiteral("Categoría VI"));
    ASSERT_TRUE(form->confirm());
    form->setText(1, QStringLiteral("13"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Capataz"));
    ASSERT_TRUE(form->confirm());
    form->close();

    // Only the second part changes: the sentence still shows both.
    auto second = open(TCARGO(), QStringLiteral("12"), QStringLiteral("UPD"));
    second->setText(3, QStringLiteral("Categoría V"));
    ASSERT_TRUE(second->confirm());
    auto unchanged = open(TCARGO(), QStringLiteral("12"), QStringLiteral("UPD"));
    ASSERT_TRUE(unchanged->confirm());

    EXPECT_TRUE(ui.messages(MessageIcon::Exclamation).isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(QStringLiteral("CARGOS"), QStringLiteral("CarDesc2"), QStringLiteral("CarId = 12")).toString(),
              QStringLiteral("Categoría V"));
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Agrega cargo 12, descripción = Oficial albañil Categoría VI"),
                                         QStringLiteral("Agrega cargo 13, descripción = Capataz"),
                                         QStringLiteral("Modifica cargo 12, descripción = Oficial albañil Categoría V"),
                                         QStringLiteral("Modifica cargo 12")}));
}

TEST_F(PositionsTest, ListProtectsTheDefaultPositionAndTheDefaultPartTimePosition)
{
    addPosition(1, QStringLiteral("Gerente general"));
    addPosition(2, QStringLiteral("Auxiliar administrativo"));
    addPosition(3, QStringLiteral("Contador"));
    setParameterNumber(QStringLiteral("Default"), QStringLiteral("Cargo"), 2);
    setParameterNumber(QStringLiteral("Default"), QStringLiteral("PtCargo"), 3);
    ui.onCall(QStringLiteral("TCARGO"), [this](QString& key, QString& mode) {
        ui.answer(true);
        auto form = ObjectRegistry::createTransaction(QStringLiteral("TCARGO"), *database, ui);
        form->start(key, mode);
        form->handBack(key, mode);
    });
    auto panel = openPanel(WCARGOS());
    ASSERT_EQ(panel->rowCount(), 3);

    const QString protectedText =
        QStringLiteral("No se puede eliminar el cargo, utilizado en preferencias del funcionario");
    for (const QString& key : {QStringLiteral("2"), QStringLiteral("3")}) {
        ui.clear();
        panel->remove({rowOf(*panel, key)});
        EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{protectedText}) << key.toStdString();
        EXPECT_TRUE(ui.calledObjects().isEmpty()) << "no form is opened for a protected position";
    }
    EXPECT_EQ(countRows(QStringLiteral("CARGOS")), 3);

    ui.clear();
    panel->remove({rowOf(*panel, QStringLiteral("1"))});
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("TCARGO")});
    EXPECT_EQ(countRows(QStringLiteral("CARGOS")), 2);
    EXPECT_EQ(panel->rowCount(), 2);
}

TEST(OrganisationTablesRegistry, EveryFormAndListCanBeCalledByName)
{
    for (const char* name : {"TBANCOST", "WBANCOST", "TCARGO", "WCARGOS", "TCENTROC", "WCENTROS", "THORARIO",
                             "WHORARIO", "TLUGARTR", "WLUGARST", "TLUGARCO", "WLUGARSC", "TBILLETE", "WBILLETE",
                             "TCODIGO", "WCODIGOS", "TRUBRO", "WRUBROS", "TREFAUXI", "WREFAUXI"}) {
        const QString object = QString::fromLatin1(name);
        const bool isForm = object.startsWith(u'T');
        const bool found = isForm ? ObjectRegistry::transaction(object) != nullptr
                                  : ObjectRegistry::workPanel(object) != nullptr;
        EXPECT_TRUE(found) << name;
        if (!isForm && found) {
            EXPECT_TRUE(ObjectRegistry::transaction(ObjectRegistry::workPanel(object)->transaction)) << name;
        }
    }
}

}  // namespace
