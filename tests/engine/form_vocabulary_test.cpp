// The declaration vocabulary of the payroll forms, driven by field name
// through a form of the concept form's shape (tests/fixtures): defaults,
// option buttons, an inverted check box, enabling, a derived value, a
// notice, a command refused while adding, lines whose last number the header
// keeps, one audit entry per line, a delete refusal of the member's own
// before a reference check of several seeks.
#include "concept_shaped_form.h"

#include "engine/lines.h"
#include "engine/transaction.h"

#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

enum { NumberColumn = 0, OperationColumn = 1, AmountColumn = 2 };

class FormVocabularyTest : public OrganisationTableTest {
protected:
    static void addLine(LineTable& lines, int number, const QString& operation, const QString& amount)
    {
        const int row = lines.addLine();
        ASSERT_GE(row, 0);
        lines.setText(row, NumberColumn, QString::number(number));
        lines.setText(row, OperationColumn, operation);
        lines.setText(row, AmountColumn, amount);
    }

    QVariant stored(const QString& field, int number = 500)
    {
        return fieldOf(u"CONCEPT"_s, field, u"ConId = %1"_s.arg(number));
    }

    QStringList lineNumbers(int number = 500)
    {
        QStringList numbers;
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT OpeLin FROM CONCEPT1 WHERE ConId = %1 ORDER BY OpeLin"_s.arg(number)));
        while (query.next())
            numbers << query.value(0).toString();
        return numbers;
    }
};

TEST_F(FormVocabularyTest, ANewRecordIsEnteredByNameWithItsDefaultsDerivedValuesAndLines)
{
    auto form = open(conceptShapedForm(), u"0"_s, u"INS"_s);
    // Defaults on insert: an earning, active (the "Inactivo" box unchecked
    // stores 1), of the fixed class.
    const int inactive = form->position(u"ConActivo"_s);
    EXPECT_EQ(form->text(u"ConTipo"_s), u"Haber"_s);
    EXPECT_FALSE(form->isChecked(inactive));
    EXPECT_EQ(form->value(u"ConActivo"_s).toInt(), 1);
    EXPECT_EQ(form->text(u"ConClase"_s), u"Fijo"_s);
    EXPECT_EQ(form->labelText(0), u"Conceptos definidos: 0"_s);

    ASSERT_TRUE(form->setText(u"ConId"_s, u"500"_s));
    ASSERT_TRUE(form->focusEntered(2));
    // A command that needs the record is refused while it is being added.
    EXPECT_FALSE(form->press(u"Lineas"_s));
    EXPECT_EQ(ui.texts(), QStringList{u"Debe confirmar antes los datos"_s});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    ui.clear();

    ASSERT_TRUE(form->setText(u"ConDesc"_s, u"Sueldo básico"_s));
    // The taxed percentage belongs to earnings only; a deduction fills its
    // group by derivation and leaves the percentage disabled.
    const int taxed = form->position(u"ConPorGrav"_s);
    EXPECT_TRUE(form->isEnabled(taxed));
    ASSERT_TRUE(form->setText(u"ConTipo"_s, u"3"_s));
    EXPECT_FALSE(form->isEnabled(taxed));
    EXPECT_EQ(form->value(u"ConGrupo"_s).toString(), u"DESC"_s);
    ASSERT_TRUE(form->setText(u"ConTipo"_s, u"1"_s));
    ASSERT_TRUE(form->setText(u"ConGrupo"_s, QString()));
    ASSERT_TRUE(form->setText(u"ConPorGrav"_s, u"100"_s));
    ASSERT_TRUE(form->setText(u"ConActivo"_s, u"S"_s));
    EXPECT_TRUE(form->isChecked(inactive));
    ASSERT_TRUE(form->setText(u"ConNotas"_s, u"Según laudo.\nGrupo 19."_s));

    LineTable& lines = *form->lines();
    addLine(lines, 1, u"+"_s, u"1500"_s);
    addLine(lines, 2, u"*"_s, u"2"_s);
    ASSERT_TRUE(form->confirm());

    // The notice of the empty group did not stop the confirm.
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{u"Aviso: No indicó el grupo."_s});
    EXPECT_EQ(stored(u"ConActivo"_s).toInt(), 0) << "a checked \"Inactivo\" stores 0";
    EXPECT_EQ(stored(u"ConNotas"_s).toString(), u"Según laudo.\nGrupo 19."_s);
    EXPECT_EQ(stored(u"ConUltOpeL"_s).toInt(), 2);
    EXPECT_EQ(lineNumbers(), (QStringList{u"1"_s, u"2"_s}));
    EXPECT_EQ(auditTexts(), (QStringList{u"Agrega concepto 500, descripción = Sueldo básico"_s,
                                         u"Agrega línea 500 1, operación = +"_s,
                                         u"Agrega línea 500 2, operación = *"_s}));
    // The form clears for the next record, defaults again, no lines.
    EXPECT_EQ(form->mode(), Mode::Insert);
    EXPECT_EQ(form->value(u"ConActivo"_s).toInt(), 1);
    EXPECT_EQ(form->lines()->rowCount(), 0);
}

TEST_F(FormVocabularyTest, TheHeaderKeepsTheLastLineNumberWrittenWithItsLines)
{
    addRow(u"CONCEPT"_s, {{u"ConId"_s, 500}, {u"ConDesc"_s, u"Sueldo"_s}, {u"ConTipo"_s, 1}, {u"ConActivo"_s, 1},
                          {u"ConGrupo"_s, u"SUE"_s}, {u"ConPorGrav"_s, 100}, {u"ConUltOpeL"_s, 2}});
    for (int number : {1, 2})
        addRow(u"CONCEPT1"_s, {{u"ConId"_s, 500}, {u"OpeLin"_s, number}, {u"OpeOpe"_s, u"+"_s}});

    auto form = open(conceptShapedForm(), u"500"_s, u"UPD"_s);
    EXPECT_EQ(form->labelText(0), u"Conceptos definidos: 1"_s);
    // With the record there, the command opens its form on the key.
    QString calledWith;
    ui.onCall(u"TFORMA1"_s, [&](QString& key, QString& mode) { calledWith = key + u' ' + mode; });
    EXPECT_TRUE(form->press(u"Lineas"_s));
    EXPECT_EQ(calledWith, u"500 UPD"_s);

    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 2);
    lines.markForDeletion(1);
    addLine(lines, 5, u"-"_s, u"10"_s);
    ui.answer(true);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(lineNumbers(), (QStringList{u"1"_s, u"5"_s}));
    EXPECT_EQ(stored(u"ConUltOpeL"_s).toInt(), 5);
    EXPECT_EQ(auditTexts(), (QStringList{u"Modifica concepto 500"_s, u"Elimina línea 500 2"_s,
                                         u"Agrega línea 500 5, operación = -"_s}));
}

TEST_F(FormVocabularyTest, ADeleteMeetsTheMembersRefusalThenEverySeekOfItsCheck)
{
    for (int number : {5, 500})
        addRow(u"CONCEPT"_s, {{u"ConId"_s, number}, {u"ConDesc"_s, u"Sueldo"_s}, {u"ConTipo"_s, 1}});
    addRow(u"CONCEPT1"_s, {{u"ConId"_s, 500}, {u"OpeLin"_s, 1}, {u"OpeOpe"_s, u"+"_s}});
    // Named by a liquidation type as the concept its net negatives go to:
    // the check's third seek.
    addRow(u"TIPLIQUI"_s, {{u"TLId"_s, u"M"_s}, {u"TLDesc"_s, u"Mensual"_s}, {u"TLConIdDes"_s, 500}});

    open(conceptShapedForm(), u"5"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"No se puede eliminar un concepto del sistema"_s});
    ui.clear();
    open(conceptShapedForm(), u"500"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminación inválida, hay información en \"TiposLiquidacion\"."_s});
    EXPECT_EQ(countRows(u"CONCEPT"_s), 2);

    // Free of it, the concept goes with its lines after the question alone.
    ASSERT_FALSE(database->execute(u"UPDATE TIPLIQUI SET TLConIdDes = 0"_s));
    ui.clear();
    ui.answer(true);
    open(conceptShapedForm(), u"500"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(countRows(u"CONCEPT"_s), 1);
    EXPECT_TRUE(lineNumbers().isEmpty());
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina concepto 500"_s});
}

}  // namespace
