// TDIASLIC with its seniority lines, and TDIASLI1 over the scale alone.
#include "engine/transaction.h"
#include "tables/leave_days.h"
#include "engine/lines.h"

#include "data/cursor.h"
#include "organisation_tables_fixture.h"

namespace {

using Kind = ScriptedUi::Shown::Kind;

enum { YearsColumn = 0, DaysColumn = 1 };

class LeaveDaysTest : public OrganisationTableTest {
protected:
    void addScale(int id, const QString& description, const QList<QPair<int, int>>& steps)
    {
        addRow(QStringLiteral("DIASLICE"), {{QStringLiteral("DiLId"), id}, {QStringLiteral("DilDesc"), description}});
        for (const auto& [years, days] : steps)
            addRow(QStringLiteral("DIASLIC1"), {{QStringLiteral("DiLId"), id}, {QStringLiteral("DiLAnios"), years},
                                                {QStringLiteral("DiLDias"), days}});
    }

    /// The steps of scale `id` as "years:days", in years order.
    QStringList stepsOf(int id)
    {
        QStringList found;
        QSqlQuery query(database->connection());
        query.prepare(sql(QStringLiteral("SELECT DiLAnios, DiLDias FROM DIASLIC1 WHERE DiLId = ? ORDER BY DiLAnios")));
        query.addBindValue(id);
        query.exec();
        while (query.next())
            found << query.value(0).toString() + u':' + query.value(1).toString();
        return found;
    }
};

TEST_F(LeaveDaysTest, ALineWithoutDaysIsPointedOutAndSaved)
{
    auto form = open(TDIASLIC(), QStringLiteral("0"), QStringLiteral("INS"));
    form->setText(1, QStringLiteral("4"));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("Rural"));
    LineTable& lines = *LineTable::of(*form);
    int row = lines.addLine();
    lines.setText(row, YearsColumn, QStringLiteral("0"));
    lines.setText(row, DaysColumn, QStringLiteral("20"));
    row = lines.addLine();
    lines.setText(row, YearsColumn, QStringLiteral("5"));

    ASSERT_TRUE(form->confirm());
    ASSERT_EQ(ui.shown().size(), 1);
    EXPECT_EQ(ui.shown().first().kind, Kind::Message);
    EXPECT_EQ(ui.shown().first().text, QStringLiteral("Aviso: Falta indicar días"));
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Information);
    EXPECT_EQ(stepsOf(4), (QStringList{QStringLiteral("0:20"), QStringLiteral("5:0")}));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega días de licencia 4, descripción = Rural")});
}

TEST_F(LeaveDaysTest, AStepDeleteThatFailsLeavesTheScaleItsStepsAndTheAuditAsTheyWere)
{
    addScale(1, QStringLiteral("General"), {{0, 20}, {5, 21}});
    std::unique_ptr<Database> other = openConnection();
    TableCursor holder(*other);
    ASSERT_FALSE(holder.open(QStringLiteral("DIASLIC1")));
    holder.seek(Comparison::Equal, {1, 5});
    ASSERT_FALSE(holder.edit());

    auto form = open(TDIASLIC(), QStringLiteral("1"), QStringLiteral("UPD"));
    ASSERT_TRUE(form->setText(QStringLiteral("DilDesc"), QStringLiteral("General rural")));
    LineTable& lines = *LineTable::of(*form);
    lines.setText(0, DaysColumn, QStringLiteral("22"));
    lines.markForDeletion(1);
    ui.answer(true);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Registro reservado por otro")});
    EXPECT_EQ(fieldOf(QStringLiteral("DIASLICE"), QStringLiteral("DilDesc"), QStringLiteral("DiLId = 1")).toString(), QStringLiteral("General"));
    EXPECT_EQ(stepsOf(1), (QStringList{QStringLiteral("0:20"), QStringLiteral("5:21")}));
    EXPECT_TRUE(auditTexts().isEmpty());

    // Once the other workstation lets go, the same screen is written whole.
    holder.cancelUpdate();
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(fieldOf(QStringLiteral("DIASLICE"), QStringLiteral("DilDesc"), QStringLiteral("DiLId = 1")).toString(), QStringLiteral("General rural"));
    EXPECT_EQ(stepsOf(1), QStringList{QStringLiteral("0:22")});
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica días de licencia 1, descripción = General rural")});
}

TEST_F(LeaveDaysTest, DeletingAScaleTakesItsStepsWhileTheHeaderFormRefuses)
{
    addScale(1, QStringLiteral("General"), {{0, 20}, {5, 21}});
    addScale(2, QStringLiteral("Construcción"), {{0, 20}});
    addScale(3, QStringLiteral("Sin escalones"), {});

    // The header form alone leaves no steps without their scale.
    open(TDIASLI1(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"DiasLic1\".")});
    EXPECT_EQ(countRows(QStringLiteral("DIASLICE")), 3);
    ui.clear();
    ui.answer(true);
    open(TDIASLI1(), QStringLiteral("3"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(countRows(QStringLiteral("DIASLICE")), 2);

    ui.clear();
    ui.answer(true);
    open(TDIASLIC(), QStringLiteral("1"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminar toda la información en DiasLicencia?")});
    EXPECT_TRUE(stepsOf(1).isEmpty());
    EXPECT_EQ(stepsOf(2), QStringList{QStringLiteral("0:20")});
    EXPECT_EQ(countRows(QStringLiteral("DIASLICE")), 1);
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Elimina días de licencia 3"),
                                         QStringLiteral("Elimina días de licencia 1")}));
}

TEST_F(LeaveDaysTest, TheHeaderFormHasItsOwnMessages)
{
    auto form = open(TDIASLI1(), QStringLiteral("0"), QStringLiteral("INS"));
    EXPECT_FALSE(form->focusEntered(2));
    form->setText(1, QStringLiteral("6"));
    ASSERT_TRUE(form->focusEntered(2));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), (QStringList{QStringLiteral("Falta indicar código"),
                                       QStringLiteral("Falta indicar descripción")}));
}

}  // namespace
