// TTABAUME: a raise table and its dated percentages, confirmed together.
#include "engine/transaction.h"
#include "engine/lines.h"
#include "tables/raises.h"

#include "data/cursor.h"
#include "organisation_tables_fixture.h"

#include <QDate>

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
        addRow(QStringLiteral("AUMENTO"), {{QStringLiteral("AumId"), id}, {QStringLiteral("AumDesc"), description}});
    }

    void addRaise(int id, const QDate& date, double percent)
    {
        addRow(QStringLiteral("AUMENTO1"), {{QStringLiteral("AumId"), id}, {QStringLiteral("AumFch"), date},
                                            {QStringLiteral("AumPor"), percent}, {QStringLiteral("AumObs"), QString()}});
    }

    /// The lines of table `id` as "dd/MM/yyyy=percent", in date order.
    QStringList raisesOf(int id)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT AumFch, AumPor FROM AUMENTO1 WHERE AumId = ? ORDER BY AumFch")));
        query.addBindValue(id);
        query.exec();
        while (query.next()) {
            found << query.value(0).toDateTime().date().toString(QStringLiteral("dd/MM/yyyy")) + u'='
                         + QString::number(query.value(1).toDouble());
        }
        return found;
    }

    /// Opens a new table `id` and types its description.
    std::unique_ptr<Transaction> newTable(int id, const QString& description)
    {
        auto form = open(TTABAUME(), QStringLiteral("0"), QStringLiteral("INS"));
        form->setText(1, QString::number(id));
        EXPECT_TRUE(form->focusEntered(2));
        form->setText(2, description);
        return form;
    }
};

TEST_F(RaisesTest, ANewTableIsWrittenWithItsLinesAndOneAuditEntry)
{
    auto form = newTable(3, QStringLiteral("Comercio"));
    LineTable& lines = linesOf(*form);
    addLine(lines, QStringLiteral("01/07/25"), QStringLiteral("4.25"), QStringLiteral("Convenio"));
    addLine(lines, QStringLiteral("01/01/26"), QStringLiteral("3,5"));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();

    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(raisesOf(3), (QStringList{QStringLiteral("01/07/2025=4.25"), QStringLiteral("01/01/2026=3.5")}));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega aumento 3, descripción = Comercio")});
    // The form waits for the next table, with no lines left over.
    EXPECT_EQ(form->text(1), QStringLiteral(" 0"));
    EXPECT_EQ(linesOf(*form).rowCount(), 0);
}

TEST_F(RaisesTest, AZeroPercentageIsRefusedAndNothingIsWritten)
{
    auto form = newTable(3, QStringLiteral("Comercio"));
    LineTable& lines = linesOf(*form);
    addLine(lines, QStringLiteral("01/07/25"), QStringLiteral("4"));
    const int zero = addLine(lines, QStringLiteral("01/01/26"), QStringLiteral("0"));
    lines.setCurrentRow(0);

    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("El porcentaje de aumento no puede ser 0.")});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Exclamation);
    EXPECT_EQ(lines.currentRow(), zero) << "the grid goes to the refused line";
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO")), 0) << "the header waits for its lines";
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO1")), 0);
    EXPECT_FALSE(form->isClosed());

    // Corrected, the same form writes both.
    ui.clear();
    ASSERT_TRUE(lines.setText(zero, PercentColumn, QStringLiteral("2")));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(raisesOf(3), (QStringList{QStringLiteral("01/07/2025=4"), QStringLiteral("01/01/2026=2")}));
}

TEST_F(RaisesTest, ARepeatedDateIsRefusedAgainstNewAndStoredLines)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);

    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("UPD"));
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(lines.text(0, DateColumn), QStringLiteral("01/05/24"));
    EXPECT_EQ(lines.mode(0), Mode::Display);

    const int repeated = addLine(lines, QStringLiteral("01/05/24"), QStringLiteral("2"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Ya existe el registro")});

    // Two new lines with one date are refused too.
    ui.clear();
    lines.setText(repeated, DateColumn, QStringLiteral("01/11/24"));
    addLine(lines, QStringLiteral("01/11/24"), QStringLiteral("1"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Ya existe el registro")});
    EXPECT_EQ(raisesOf(1), QStringList{QStringLiteral("01/05/2024=5.5")});
    EXPECT_TRUE(auditTexts().isEmpty());
}

TEST_F(RaisesTest, ALineNeedsADateThatIsADate)
{
    auto form = newTable(3, QStringLiteral("Comercio"));
    LineTable& lines = linesOf(*form);
    const int row = addLine(lines, QString(), QStringLiteral("4"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Debe ingresar una fecha para el aumento.")});

    ui.clear();
    QString error;
    EXPECT_FALSE(lines.setText(row, DateColumn, QStringLiteral("31/02/25"), &error));
    EXPECT_EQ(error, QStringLiteral("Fecha inválida"));
    EXPECT_TRUE(lines.invalidDate(row, DateColumn));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Fecha inválida")});
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO1")), 0);
}

TEST_F(RaisesTest, ChangedAndMarkedLinesAreWrittenEachByItsMode)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    addRaise(1, QDate(2025, 5, 1), 4.8);

    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("UPD"));
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 3);
    lines.setText(1, PercentColumn, QStringLiteral("3.4"));
    EXPECT_EQ(lines.mode(1), Mode::Update);
    lines.markForDeletion(0);
    lines.markForDeletion(2);
    EXPECT_EQ(lines.mode(2), Mode::Delete);
    addLine(lines, QStringLiteral("01/11/25"), QStringLiteral("2.1"));
    // A new line marked before it was ever written just goes away.
    lines.markForDeletion(addLine(lines, QStringLiteral("01/12/25"), QStringLiteral("1")));
    EXPECT_EQ(lines.rowCount(), 4);

    ui.answer(true);   // the first marked line goes
    ui.answer(false);  // the second one stays
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? "),
                                       QStringLiteral("¿Realmente desea eliminar estos datos? ")}));
    EXPECT_EQ(raisesOf(1), (QStringList{QStringLiteral("01/11/2024=3.4"), QStringLiteral("01/05/2025=4.8"),
                                        QStringLiteral("01/11/2025=2.1")}));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica aumento 1")});
}

TEST_F(RaisesTest, ALineChangedByAnotherUserStopsTheHeaderAndAllLines)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);

    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("UPD"));
    LineTable& lines = linesOf(*form);
    lines.setText(0, PercentColumn, QStringLiteral("6"));
    lines.setText(1, PercentColumn, QStringLiteral("4"));
    ASSERT_FALSE(database->execute(QStringLiteral("UPDATE AUMENTO1 SET AumPor = 9 WHERE AumFch > '2024-06-01'")));

    form->confirm();
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("AUMENTO1 fue modificada.")});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Information);
    // The first line's change was rolled back with the rest.
    EXPECT_EQ(raisesOf(1), (QStringList{QStringLiteral("01/05/2024=5.5"), QStringLiteral("01/11/2024=9")}));
    EXPECT_FALSE(form->isClosed()) << "the person can look at the lines again";
    EXPECT_TRUE(auditTexts().isEmpty());
}

// A line that cannot be deleted (another workstation holds it) stops the
// whole confirm: the header's change, the other lines and the audit stay as
// they were, whether the line or the whole table was being deleted.
TEST_F(RaisesTest, ALineDeleteThatFailsLeavesHeaderLinesAndAuditAsTheyWere)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    std::unique_ptr<Database> other = openConnection();
    TableCursor holder(*other);
    ASSERT_FALSE(holder.open(QStringLiteral("AUMENTO1")));
    holder.seek(Comparison::Equal, {1, QDate(2024, 11, 1)});
    ASSERT_FALSE(holder.edit());

    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("UPD"));
    ASSERT_TRUE(form->setText(QStringLiteral("AumDesc"), QStringLiteral("Construcción y afines")));
    LineTable& lines = linesOf(*form);
    lines.setText(0, PercentColumn, QStringLiteral("6"));
    lines.markForDeletion(1);
    ui.answer(true);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? "),
                                       QStringLiteral("Registro reservado por otro")}));
    EXPECT_EQ(fieldOf(QStringLiteral("AUMENTO"), QStringLiteral("AumDesc"), QStringLiteral("AumId = 1")).toString(), QStringLiteral("Construcción"));
    EXPECT_EQ(raisesOf(1), (QStringList{QStringLiteral("01/05/2024=5.5"), QStringLiteral("01/11/2024=3.2")}));
    EXPECT_TRUE(auditTexts().isEmpty());
    form->close();

    ui.clear();
    ui.answer(true);
    open(TTABAUME(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Eliminar toda la información en Aumento?"),
                                       QStringLiteral("Registro reservado por otro")}));
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO")), 1);
    EXPECT_EQ(raisesOf(1).size(), 2);
    EXPECT_TRUE(auditTexts().isEmpty());
    holder.cancelUpdate();
}

TEST_F(RaisesTest, ALineLockedByAnotherWorkstationStopsTheLinesUntilItIsFree)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    std::unique_ptr<Database> other = openConnection();

    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("UPD"));
    LineTable& lines = linesOf(*form);
    lines.setText(0, PercentColumn, QStringLiteral("6"));
    lines.setText(1, PercentColumn, QStringLiteral("4"));

    TableCursor writer(*other);
    ASSERT_FALSE(writer.open(QStringLiteral("AUMENTO1")));
    writer.seek(Comparison::Equal, {1, QDate(2024, 11, 1)});
    ASSERT_FALSE(writer.edit());
    form->confirm();
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Registro reservado por otro")});
    EXPECT_EQ(raisesOf(1), (QStringList{QStringLiteral("01/05/2024=5.5"), QStringLiteral("01/11/2024=3.2")}));
    writer.cancelUpdate();

    // Once the other workstation lets go, a second confirm writes both.
    ui.clear();
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(raisesOf(1), (QStringList{QStringLiteral("01/05/2024=6"), QStringLiteral("01/11/2024=4")}));
}

TEST_F(RaisesTest, DeletingATableAsksItsOwnQuestionAndTakesItsLines)
{
    addTable(1, QStringLiteral("Construcción"));
    addTable(2, QStringLiteral("Administrativos"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    addRaise(1, QDate(2024, 11, 1), 3.2);
    addRaise(2, QDate(2024, 7, 1), 6);

    ui.answer(false);
    open(TTABAUME(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminar toda la información en Aumento?")});
    EXPECT_EQ(raisesOf(1).size(), 2);
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO")), 2);

    ui.clear();
    ui.answer(true);
    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminar toda la información en Aumento?")});
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO")), 1);
    EXPECT_TRUE(raisesOf(1).isEmpty());
    EXPECT_EQ(raisesOf(2), QStringList{QStringLiteral("01/07/2024=6")}) << "another table keeps its lines";
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina aumento 1")});
}

TEST_F(RaisesTest, ATableUsedByAnEmployeeIsNotDeleted)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    QString error;
    ASSERT_TRUE(insertRow(*database, QStringLiteral("CARGOSFU"),
                          {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1}, {QStringLiteral("AumId"), 1}},
                          &error))
        << error.toStdString();
    open(TTABAUME(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(),
              QStringList{QStringLiteral("Eliminación inválida, hay información en \"CargosFuncionario\".")});
    EXPECT_EQ(raisesOf(1).size(), 1);
}

TEST_F(RaisesTest, LinesCannotBeTypedIntoADisplayedTable)
{
    addTable(1, QStringLiteral("Construcción"));
    addRaise(1, QDate(2024, 5, 1), 5.5);
    auto form = open(TTABAUME(), QStringLiteral("1"), QStringLiteral("DSP"));
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_FALSE(lines.editable());
    EXPECT_FALSE(lines.setText(0, PercentColumn, QStringLiteral("7")));
    EXPECT_EQ(lines.addLine(), -1);
    lines.markForDeletion(0);
    EXPECT_EQ(lines.mode(0), Mode::Display);
    EXPECT_EQ(lines.text(0, PercentColumn), QStringLiteral("  5.500000"));
}

}  // namespace
