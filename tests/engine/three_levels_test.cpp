// A form of three levels (an accounting entry, its lines, each line's
// calculations): every level written in the header's one database
// transaction, a line's last calculation number kept with it, a line that
// goes taking its calculations, and nothing written when one of them fails.
#include "concept_shaped_form.h"

#include "data/cursor.h"
#include "engine/lines.h"
#include "engine/transaction.h"

#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

class ThreeLevelsTest : public OrganisationTableTest {
protected:
    static void type(LineTable& lines, int row, const QStringList& texts)
    {
        for (int column = 0; column < texts.size(); ++column)
            ASSERT_TRUE(lines.setText(row, column, texts.at(column))) << column;
    }

    /// Lines as "line:D/H:last" and calculations as "line.calc=concept", in key order.
    QStringList stored()
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT AsiLin, AsiDH, AsiUltCorL FROM ASIENTO1 WHERE AsiId = 7 ORDER BY AsiLin"_s));
        while (query.next())
            rows << u"%1:%2:%3"_s.arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString());
        query.exec(sql(u"SELECT AsiLin, AsiCorLin, ConId FROM ASIENT4 WHERE AsiId = 7 ORDER BY AsiLin, AsiCorLin"_s));
        while (query.next())
            rows << u"%1.%2=%3"_s.arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString());
        return rows;
    }

    void addEntry()
    {
        addRow(u"ASIENTO"_s, {{u"AsiId"_s, 7}, {u"AsiDesc"_s, u"Sueldos del mes"_s}});
        for (const auto& [line, side, last] : {std::tuple{1, u"D"_s, 2}, std::tuple{2, u"H"_s, 1}})
            addRow(u"ASIENTO1"_s, {{u"AsiId"_s, 7}, {u"AsiLin"_s, line}, {u"AsiDH"_s, side}, {u"AsiUltCorL"_s, last}});
        for (const auto& [line, calculation, concept_] : {std::tuple{1, 1, 10}, std::tuple{1, 2, 20}, std::tuple{2, 1, 30}})
            addRow(u"ASIENT4"_s, {{u"AsiId"_s, 7}, {u"AsiLin"_s, line}, {u"AsiCorLin"_s, calculation},
                                  {u"ConId"_s, concept_}});
    }
};

TEST_F(ThreeLevelsTest, ANewEntryIsWrittenWithItsLinesAndTheirCalculations)
{
    auto form = open(entryShapedForm(), u"0"_s, u"INS"_s);
    ASSERT_TRUE(form->setText(u"AsiId"_s, u"7"_s));
    ASSERT_TRUE(form->focusEntered(2));
    ASSERT_TRUE(form->setText(u"AsiDesc"_s, u"Sueldos del mes"_s));
    LineTable& lines = *form->lines();
    type(lines, lines.addLine(), {u"1"_s, u"D"_s});
    LineTable& calculations = *lines.sublines(0);
    type(calculations, calculations.addLine(), {u"1"_s, u"10"_s});
    type(calculations, calculations.addLine(), {u"2"_s, u"20"_s});
    // A calculation without its concept is refused before anything is written.
    const int missing = calculations.addLine();
    type(calculations, missing, {u"3"_s});
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Falta el concepto del cálculo"_s});
    EXPECT_EQ(countRows(u"ASIENTO"_s), 0);

    calculations.markForDeletion(missing);
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(), (QStringList{u"1:D:2"_s, u"1.1=10"_s, u"1.2=20"_s}));
    EXPECT_EQ(auditTexts(), (QStringList{u"Agrega asiento 7"_s, u"Agrega línea de asiento 7 1"_s,
                                         u"Agrega cálculo 7 1 1"_s, u"Agrega cálculo 7 1 2"_s}));
}

TEST_F(ThreeLevelsTest, ALineGoesWithItsCalculationsAndAnotherKeepsItsLastNumber)
{
    addEntry();
    auto form = open(entryShapedForm(), u"7"_s, u"UPD"_s);
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 2);
    ASSERT_EQ(lines.sublines(0)->rowCount(), 2);
    lines.markForDeletion(0);
    LineTable& second = *lines.sublines(1);
    type(second, second.addLine(), {u"4"_s, u"40"_s});
    ui.answer(true);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(), (QStringList{u"2:H:4"_s, u"2.1=30"_s, u"2.4=40"_s}));
}

TEST_F(ThreeLevelsTest, ACalculationThatCannotBeWrittenLeavesEveryLevelAsItWas)
{
    addEntry();
    std::unique_ptr<Database> other = openConnection();
    TableCursor holder(*other);
    ASSERT_FALSE(holder.open(u"ASIENT4"_s));
    holder.seek(Comparison::Equal, {7, 2, 1});
    ASSERT_FALSE(holder.edit());
    const QStringList before = stored();

    // The entry goes with all its levels, or nothing goes.
    ui.answer(true);
    open(entryShapedForm(), u"7"_s, u"DLT"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Registro reservado por otro"_s});
    EXPECT_EQ(countRows(u"ASIENTO"_s), 1);
    EXPECT_EQ(stored(), before);
    EXPECT_TRUE(auditTexts().isEmpty());

    holder.cancelUpdate();
    ui.clear();
    ui.answer(true);
    open(entryShapedForm(), u"7"_s, u"DLT"_s);
    EXPECT_EQ(countRows(u"ASIENTO"_s), 0);
    EXPECT_EQ(countRows(u"ASIENTO1"_s), 0);
    EXPECT_EQ(countRows(u"ASIENT4"_s), 0);
}

}  // namespace
