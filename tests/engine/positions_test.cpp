// TCARGO and WCARGOS: the six tables checked before a delete, in their
// order; the audit sentence with the two description parts; the two
// protected defaults of the list.
#include "tables/positions.h"

#include "organisation_tables_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class PositionsTest : public OrganisationTableTest {
protected:
    void addPosition(int number, const QString& first, const QString& second = {})
    {
        addRow(u"CARGOS"_s, {{u"CarId"_s, number}, {u"CarDesc1"_s, first}, {u"CarDesc2"_s, second}});
    }

    QString refusal(const QString& name) const
    {
        return u"Eliminación inválida, hay información en \""_s + name + u"\"."_s;
    }
};

TEST_F(PositionsTest, EachTableThatUsesThePositionRefusesTheDeleteAndTheFirstInOrderIsNamed)
{
    addPosition(4, u"Oficial albañil"_s);
    // Position 4 is in use everywhere at once; each step removes the use that
    // was named, so the next table in order has to speak up.
    addRow(u"REMUNERA"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"RemCarId"_s, 4}, {u"RemCorre"_s, 1}});
    addRow(u"CARGOSFU"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"FunCarId"_s, 4}, {u"PTCarId"_s, 0}});
    addRow(u"CARGOSFU"_s, {{u"FunId"_s, 101}, {u"FunAL"_s, 1}, {u"FunCarId"_s, 9}, {u"PTCarId"_s, 4}});
    addRow(u"HISTORIA"_s, {{u"FunId"_s, 100}, {u"HCorLiq"_s, 1}, {u"HCorLin"_s, 1}, {u"MovCarId"_s, 4}});
    addRow(u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"MovCarId"_s, 4}});
    addRow(u"BASICOS1"_s, {{u"BasId"_s, 1}, {u"CarId"_s, 4}, {u"CCId"_s, QString()}, {u"RefAuxId"_s, QString()}});

    const QList<QPair<QString, QString>> uses = {
        {u"Remuneraciones"_s, u"DELETE FROM REMUNERA"_s},
        {u"CargosFuncionario"_s, u"DELETE FROM CARGOSFU WHERE FunId = 100"_s},
        {u"CargosFuncionario"_s, u"DELETE FROM CARGOSFU WHERE FunId = 101"_s},
        {u"Historia"_s, u"DELETE FROM HISTORIA"_s},
        {u"Movimientos"_s, u"DELETE FROM MOVIMIEN"_s},
        {u"Basicos1"_s, u"DELETE FROM BASICOS1"_s},
    };
    for (const auto& [name, removeUse] : uses) {
        ui.clear();
        auto form = open(TCARGO(), u"4"_s, u"DLT"_s);
        EXPECT_EQ(ui.texts(), QStringList{refusal(name)}) << "expected " << name.toStdString();
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation).size(), 1);
        EXPECT_TRUE(form->isClosed());
        EXPECT_EQ(countRows(u"CARGOS"_s), 1);
        execute(removeUse);
    }

    // A neighbouring position in use does not hold this one.
    addRow(u"REMUNERA"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"RemCarId"_s, 5}, {u"RemCorre"_s, 2}});
    ui.clear();
    removeThrough(TCARGO(), u"4"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(countRows(u"CARGOS"_s), 0);
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina cargo 4"_s});
    EXPECT_EQ(auditLines().first().area, 14);
}

TEST_F(PositionsTest, AuditNamesBothDescriptionPartsJoinedByABlank)
{
    auto form = open(TCARGO(), u"0"_s, u"INS"_s);
    form->setText(1, u"12"_s);
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, u"Oficial albañil"_s);
    form->setText(3, u"Categoría VI"_s);
    ASSERT_TRUE(form->confirm());
    form->setText(1, u"13"_s);
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, u"Capataz"_s);
    ASSERT_TRUE(form->confirm());
    form->close();

    // Only the second part changes: the sentence still shows both.
    auto second = open(TCARGO(), u"12"_s, u"UPD"_s);
    second->setText(3, u"Categoría V"_s);
    ASSERT_TRUE(second->confirm());
    auto unchanged = open(TCARGO(), u"12"_s, u"UPD"_s);
    ASSERT_TRUE(unchanged->confirm());

    EXPECT_TRUE(ui.messages(MessageIcon::Exclamation).isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"CARGOS"_s, u"CarDesc2"_s, u"CarId = 12"_s).toString(), u"Categoría V"_s);
    EXPECT_EQ(auditTexts(),
              (QStringList{u"Agrega cargo 12, descripción = Oficial albañil Categoría VI"_s,
                           u"Agrega cargo 13, descripción = Capataz"_s,
                           u"Modifica cargo 12, descripción = Oficial albañil Categoría V"_s, u"Modifica cargo 12"_s}));
}

TEST_F(PositionsTest, ListProtectsTheDefaultPositionAndTheDefaultPartTimePosition)
{
    addPosition(1, u"Gerente general"_s);
    addPosition(2, u"Auxiliar administrativo"_s);
    addPosition(3, u"Contador"_s);
    setParameterNumber(u"Default"_s, u"Cargo"_s, 2);
    setParameterNumber(u"Default"_s, u"PtCargo"_s, 3);
    ui.onCall(u"TCARGO"_s, [this](QString& key, QString& mode) {
        ui.answer(true);
        auto form = ObjectRegistry::createTransaction(u"TCARGO"_s, *database, ui);
        form->start(key, mode);
        form->handBack(key, mode);
    });
    auto panel = openPanel(WCARGOS());
    ASSERT_EQ(panel->rowCount(), 3);

    const QString protectedText = u"No se puede eliminar el cargo, utilizado en preferencias del funcionario"_s;
    for (const QString& key : {u"2"_s, u"3"_s}) {
        ui.clear();
        panel->remove({rowOf(*panel, key)});
        EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{protectedText}) << key.toStdString();
        EXPECT_TRUE(ui.calledObjects().isEmpty()) << "no form is opened for a protected position";
    }
    EXPECT_EQ(countRows(u"CARGOS"_s), 3);

    ui.clear();
    panel->remove({rowOf(*panel, u"1"_s)});
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TCARGO"_s});
    EXPECT_EQ(countRows(u"CARGOS"_s), 2);
    EXPECT_EQ(panel->rowCount(), 2);
}

}  // namespace
