// TTABAUME: a raise table and its dated percentages, confirmed together.
#include "engine/transaction.h"
#include "engine/lines.h"
#include "tables/raises.h"

#include "data/cursor.h"
#include "organisation_tables_fixture.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace {

using Kind = ScriptedUi::Shown::Kind;

enum { DateColumn = 0, PercentColumn = 1, RemarkColumn = 2 };

class RaisesTest : public OrganisationTableTest {
protected:
    static LineTable& linesOf(Transaction& form)
    {
        LineTable* lines = LineTable::of(form);
        EXPECT_NE(lines, nullptr);
        return *lines;
    }

    static int addLine(LineTable& lines, const QString& date, const QString& percent, const QString& remark = {})
    {
        const int row = lines.addLine();
        lines.setText(row, DateColumn, date);
        lines.setText(row, PercentColumn, percent);
        lines.setText(row, RemarkColumn, remark);
        return row;
    }

    void addTable(int id, const QString& description)
    {
        addRow(u"AUMENTO"_s, {{u"AumId"_s, id}, {u"AumDesc"_s, description}});
    }

    void addRaise(int id, const QDate& date, double percent)
    {
        addRow(u"AUMENTO1"_s,
               {{u"AumId"_s, id}, {u"AumFch"_s, date}, {u"AumPor"_s, percent}, {u"AumObs"_s, QString()}});
    }

    /// The lines of table `id` as "dd/MM/yyyy=percent", in date order.
    QStringList raisesOf(int id)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT AumFch, AumPor FROM AUMENTO1 WHERE AumId = ? ORDER BY AumFch"_s));
        query.addBindValue(id);
        query.exec();
        while (query.next()) {
            found << query.value(0).toDateTime().date().toString(u"dd/MM/yyyy"_s) + u'='
                         + QString::number(query.value(1).toDouble());
        }
        return found;
    }

    /// Opens a new table `id` and types its description.
    std::unique_ptr<Transaction> newTable(int id, const QString& description)
    {
        auto form = open(TTABAUME(), u"0"_s, u"INS"_s);
        form->setText(1, QString::number(id));
        EXPECT_TRUE(form->focusEntered(2));
        form->setText(2, description);
        return form;
    }
};

TEST_F(RaisesTest, ANewTableIsWrittenWithItsLinesAndOneAuditEntry)
{
    auto form = newTable(3, u"Comercio"_s);
    LineTable& lines = linesOf(*form);
    addLine(lines, u"01/07/25"_s, u"4.25"_s, u"Convenio"_s);
    addLine(lines, u"01/01/26"_s, u"3,5"_s);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(raisesOf(3), (QStringList{u"01/07/2025=4.25"_s, u"01/01/2026=3.5"_s}));
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega aumento 3, descripción = Comercio"_s});
    // The form waits for the next table, with no lines left over.
    EXPECT_EQ(form->text(1), u" 0"_s);
    EXPECT_EQ(linesOf(*form).rowCount(), 0);
}

TEST_F(RaisesTest, AZeroPercentageIsRefusedAndNothingIsWritten)
{
    auto form = newTable(3, u"Comercio"_s);
    LineTable& lines = linesOf(*form);
    addLine(lines, u"01/07/25"_s, u"4"_s);
    const int zero = addLine(lines, u"01/01/26"_s, u"0"_s);
    lines.setCurrentRow(0);

    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"El porcentaje de aumento no puede ser 0."_s});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Exclamation);
    EXPECT_EQ(lines.currentRow(), zero) << "the grid goes to the refused line";
    EXPECT_EQ(countRows(u"AUMENTO"_s), 0) << "the header waits for its lines";
    EXPECT_EQ(countRows(u"AUMENTO1"_s), 0);
    EXPECT_FALSE(form->isClosed());

    // Corrected, the same form writes both.
    ui.clear();
    ASSERT_TRUE(lines.setText(zero, PercentColumn, u"2"_s));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(raisesOf(3), (QStringList{u"01/07/2025=4"_s, u"01/01/2026=2"_s}));
}

TEST_F(RaisesTest, ARepeatedDateIsRefusedAgainstNewAndStoredLines)
{
    addTable(1, u"Construcción"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);

    auto form = open(TTABAUME(), u"1"_s, u"UPD"_s);
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(lines.text(0, DateColumn), u"01/05/24"_s);
    EXPECT_EQ(lines.mode(0), Mode::Display);

    const int repeated = addLine(lines, u"01/05/24"_s, u"2"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Ya existe el registro"_s});

    // Two new lines with one date are refused too.
    ui.clear();
    lines.setText(repeated, DateColumn, u"01/11/24"_s);
    addLine(lines, u"01/11/24"_s, u"1"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Ya existe el registro"_s});
    EXPECT_EQ(raisesOf(1), QStringList{u"01/05/2024=5.5"_s});
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(RaisesTest, ALineNeedsADateThatIsADate)
{
    auto form = newTable(3, u"Comercio"_s);
    LineTable& lines = linesOf(*form);
    const int row = addLine(lines, QString(), u"4"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Debe ingresar una fecha para el aumento."_s});

    ui.clear();
    QString error;
    EXPECT_FALSE(lines.setText(row, DateColumn, u"31/02/25"_s, &error));
    EXPECT_EQ(error, u"Fecha inválida"_s);
    EXPECT_TRUE(lines.invalidDate(row, DateColumn));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Fecha inválida"_s});
    EXPECT_EQ(countRows(u"AUMENTO1"_s), 0);
}

TEST_F(RaisesTest, ChangedAndMarkedLinesAreWrittenEachByItsMode)
{
    addTable(1, u"Construcción"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    addRaise(1, QDate(2025, 5, 1), 4.8);

    auto form = open(TTABAUME(), u"1"_s, u"UPD"_s);
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 3);
    lines.setText(1, PercentColumn, u"3.4"_s);
    EXPECT_EQ(lines.mode(1), Mode::Update);
    lines.markForDeletion(0);
    lines.markForDeletion(2);
    EXPECT_EQ(lines.mode(2), Mode::Delete);
    addLine(lines, u"01/11/25"_s, u"2.1"_s);
    // A new line marked before it was ever written just goes away.
    lines.markForDeletion(addLine(lines, u"01/12/25"_s, u"1"_s));
    EXPECT_EQ(lines.rowCount(), 4);

    ui.answer(true);   // the first marked line goes
    ui.answer(false);  // the second one stays
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(ui.texts(), (QStringList{u"¿Realmente desea eliminar estos datos? "_s,
                                       u"¿Realmente desea eliminar estos datos? "_s}));
    EXPECT_EQ(raisesOf(1), (QStringList{u"01/11/2024=3.4"_s, u"01/05/2025=4.8"_s, u"01/11/2025=2.1"_s}));
    EXPECT_EQ(auditTexts(), QStringList{u"Modifica aumento 1"_s});
}

TEST_F(RaisesTest, ALineChangedByAnotherUserStopsTheHeaderAndAllLines)
{
    addTable(1, u"Construcción"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);

    auto form = open(TTABAUME(), u"1"_s, u"UPD"_s);
    LineTable& lines = linesOf(*form);
    lines.setText(0, PercentColumn, u"6"_s);
    lines.setText(1, PercentColumn, u"4"_s);
    ASSERT_FALSE(database->execute(u"UPDATE AUMENTO1 SET AumPor = 9 WHERE AumFch > '2024-06-01'"_s));

    form->confirm();
    EXPECT_EQ(ui.texts(), QStringList{u"AUMENTO1 fue modificada."_s});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Information);
    // The first line's change was rolled back with the rest.
    EXPECT_EQ(raisesOf(1), (QStringList{u"01/05/2024=5.5"_s, u"01/11/2024=9"_s}));
    EXPECT_FALSE(form->isClosed()) << "the person can look at the lines again";
    EXPECT_TRUE(auditTexts().isEmpty());
}

// A line that cannot be written (another workstation holds it) stops the
// whole confirm: the header's change, the other lines and the audit stay as
// they were, whether the line was changed or the whole table was being
// deleted; once it is free the same screen is written. (The delete of one
// held line is the leave-days scale's test.)
TEST_F(RaisesTest, ALineHeldElsewhereLeavesHeaderLinesAndAuditAsTheyWereUntilItIsFree)
{
    addTable(1, u"Construcción"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    std::unique_ptr<Database> other = openConnection();
    TableCursor holder(*other);
    ASSERT_FALSE(holder.open(u"AUMENTO1"_s));
    holder.seek(Comparison::Equal, {1, QDate(2024, 11, 1)});
    ASSERT_FALSE(holder.edit());

    auto form = open(TTABAUME(), u"1"_s, u"UPD"_s);
    ASSERT_TRUE(form->setText(u"AumDesc"_s, u"Construcción y afines"_s));
    LineTable& lines = linesOf(*form);
    lines.setText(0, PercentColumn, u"6"_s);
    lines.setText(1, PercentColumn, u"4"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Registro reservado por otro"_s});
    EXPECT_EQ(fieldOf(u"AUMENTO"_s, u"AumDesc"_s, u"AumId = 1"_s).toString(), u"Construcción"_s);
    EXPECT_EQ(raisesOf(1), (QStringList{u"01/05/2024=5.5"_s, u"01/11/2024=3.2"_s}));
    EXPECT_TRUE(auditTexts().isEmpty());

    ui.clear();
    ui.answer(true);
    open(TTABAUME(), u"1"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(),
              (QStringList{u"Eliminar toda la información en Aumento?"_s, u"Registro reservado por otro"_s}));
    EXPECT_EQ(countRows(u"AUMENTO"_s), 1);
    EXPECT_EQ(raisesOf(1).size(), 2);
    EXPECT_TRUE(auditTexts().isEmpty());

    // Once the other workstation lets go, the same screen is written whole.
    holder.cancelUpdate();
    ui.clear();
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"AUMENTO"_s, u"AumDesc"_s, u"AumId = 1"_s).toString(), u"Construcción y afines"_s);
    EXPECT_EQ(raisesOf(1), (QStringList{u"01/05/2024=6"_s, u"01/11/2024=4"_s}));
}

TEST_F(RaisesTest, DeletingATableInUseIsRefusedOtherwiseItAsksAndTakesItsLines)
{
    addTable(1, u"Construcción"_s);
    addTable(2, u"Administrativos"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    addRaise(2, QDate(2024, 7, 1), 6);
    addRow(u"CARGOSFU"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"AumId"_s, 2}});
    open(TTABAUME(), u"2"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminación inválida, hay información en \"CargosFuncionario\"."_s});
    ui.clear();

    ui.answer(false);
    open(TTABAUME(), u"1"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminar toda la información en Aumento?"_s});
    EXPECT_EQ(raisesOf(1).size(), 2);
    EXPECT_EQ(countRows(u"AUMENTO"_s), 2);

    ui.clear();
    ui.answer(true);
    auto form = open(TTABAUME(), u"1"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminar toda la información en Aumento?"_s});
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(countRows(u"AUMENTO"_s), 1);
    EXPECT_TRUE(raisesOf(1).isEmpty());
    EXPECT_EQ(raisesOf(2), QStringList{u"01/07/2024=6"_s}) << "another table keeps its lines";
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina aumento 1"_s});
}

TEST_F(RaisesTest, LinesCannotBeTypedIntoADisplayedTable)
{
    addTable(1, u"Construcción"_s);
    addRaise(1, QDate(2024, 5, 1), 5.5);
    auto form = open(TTABAUME(), u"1"_s, u"DSP"_s);
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_FALSE(lines.editable());
    EXPECT_FALSE(lines.setText(0, PercentColumn, u"7"_s));
    EXPECT_EQ(lines.addLine(), -1);
    lines.markForDeletion(0);
    EXPECT_EQ(lines.mode(0), Mode::Display);
    EXPECT_EQ(lines.text(0, PercentColumn), u"  5.500000"_s);
}

}  // namespace
