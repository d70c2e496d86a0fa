// What a member adds to a grid of lines beyond columns and a check: a
// column shown but not stored, a review that asks and fills in, a new
// line's values, F4 lists on a column, its own audit sentence, a summary
// below the grid, reading the lines again; and a form with nothing to type
// above its lines, which reads its record as soon as it opens.
#include "engine/lines.h"
#include "engine/transaction.h"
#include "tables/raises.h"

#include "organisation_tables_fixture.h"

namespace {

enum { DateColumn = 0, PercentColumn = 1, ShownColumn = 2, RemarkColumn = 3 };

const LineTableDecl& reviewedLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration = raiseLines();
        declaration.columns = {
            {QStringLiteral("AumFch"), QStringLiteral("Fecha"), QStringLiteral("dd/mm/yy")},
            {QStringLiteral("AumPor"), QStringLiteral("Porcentaje"), QStringLiteral("ZZ9.99")},
            {QStringLiteral("Doble"), QStringLiteral("Doble"), {},
             [](const LineTable& lines, int row) {
                 return QString::number(lines.value(row, PercentColumn).toDouble() * 2);
             }},
            {QStringLiteral("AumObs"), QStringLiteral("Observaciones"), {}, {}, QStringLiteral("WOBSERVA")},
        };
        declaration.check = {};
        declaration.review = [](LineTable& lines, int row) {
            if (lines.value(row, PercentColumn).toDouble() == 0)
                lines.setText(row, PercentColumn, QStringLiteral("1"));  // filled in, then stored
            if (lines.value(row, RemarkColumn).toString() == QStringLiteral("preguntar")) {
                lines.form().ui().question(QStringLiteral("¿Seguro?"), DefaultButton::No);
                FieldVerdict told;
                told.kind = FieldVerdict::Kind::Refused;
                return told;  // the question said it all
            }
            return FieldVerdict::ok();
        };
        declaration.newLine = [](LineTable& lines, int row) {
            lines.setText(row, RemarkColumn, QStringLiteral("nueva"));
        };
        declaration.auditText = [](const Transaction& form, Mode mode, const QVector<QVariant>& values,
                                   const QVector<QVariant>& asRead) {
            const QVector<QVariant>& told = mode == Mode::Delete ? asRead : values;
            return modeCode(mode) + QStringLiteral(" tabla ") + form.text(1).trimmed() + QStringLiteral(" ")
                   + QString::number(told.at(PercentColumn).toDouble());
        };
        declaration.summary = [](const LineTable& lines) {
            return QStringLiteral("%1 líneas").arg(lines.rowCount());
        };
        return declaration;
    }();
    return lines;
}

const TransactionDecl& reviewedForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration = TTABAUME();
        declaration.lines = &reviewedLines();
        declaration.fields[1].enabledWhen = [](const Transaction&) { return false; };
        return declaration;
    }();
    return form;
}

class LineHooksTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addRow(QStringLiteral("AUMENTO"), {{QStringLiteral("AumId"), 3}, {QStringLiteral("AumDesc"), QStringLiteral("Comercio")}});
        addRow(QStringLiteral("AUMENTO1"), {{QStringLiteral("AumId"), 3},
                                            {QStringLiteral("AumFch"), QDate(2026, 1, 1)},
                                            {QStringLiteral("AumPor"), 4.5},
                                            {QStringLiteral("AumObs"), QStringLiteral("enero")}});
    }
};

TEST_F(LineHooksTest, ShownColumnsNewLinesListsAndTheSummary)
{
    auto form = open(reviewedForm(), QStringLiteral("3"), QStringLiteral("UPD"));
    EXPECT_EQ(form->text(QStringLiteral("AumDesc")), QStringLiteral("Comercio")) << "read as the form opened";
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(lines.text(0, ShownColumn), QStringLiteral("9"));
    EXPECT_FALSE(lines.columnEditable(ShownColumn));
    EXPECT_TRUE(lines.columnEditable(RemarkColumn));
    QString error;
    EXPECT_FALSE(lines.setText(0, ShownColumn, QStringLiteral("7"), &error));
    EXPECT_EQ(error, QStringLiteral("El campo no se puede modificar"));
    EXPECT_EQ(lines.mode(0), Mode::Display);

    const int row = lines.addLine();
    EXPECT_EQ(lines.text(row, RemarkColumn), QStringLiteral("nueva"));
    ui.onCall(QStringLiteral("WOBSERVA"), [](QString& key, QString&) { key = QStringLiteral("elegida"); });
    EXPECT_TRUE(lines.pick(row, RemarkColumn));
    EXPECT_EQ(lines.text(row, RemarkColumn), QStringLiteral("elegida"));
    EXPECT_FALSE(lines.pick(row, PercentColumn)) << "no list on this column";
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("WOBSERVA")});
    EXPECT_EQ(lines.declaration().summary(lines), QStringLiteral("2 líneas"));

    // What was typed and not written goes when the lines are read again.
    lines.reload();
    EXPECT_EQ(lines.rowCount(), 1);
    EXPECT_FALSE(lines.pending());
}

TEST_F(LineHooksTest, AReviewFillsInAsksAndNamesItsOwnAudit)
{
    auto form = open(reviewedForm(), QStringLiteral("3"), QStringLiteral("UPD"));
    LineTable& lines = *form->lines();
    const int row = lines.addLine();
    lines.setText(row, DateColumn, QStringLiteral("01/07/26"));
    lines.setText(row, RemarkColumn, QStringLiteral("preguntar"));
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Seguro?")}) << "no empty message after the question";
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO1")), 1);

    ui.clear();
    lines.setText(row, RemarkColumn, QStringLiteral("julio"));
    lines.setText(0, PercentColumn, QStringLiteral("5"));
    EXPECT_TRUE(form->confirm());
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(QStringLiteral("AUMENTO1"), QStringLiteral("AumPor"), QStringLiteral("AumObs = 'julio'")).toDouble(),
              1.0)
        << "the review's value was stored";
    EXPECT_EQ(lines.text(0, ShownColumn), QStringLiteral("10")) << "the shown column, never stored, is computed";
    const QStringList audit = auditTexts();
    EXPECT_TRUE(audit.contains(QStringLiteral("UPD tabla 3 5"))) << audit.join(u'|').toStdString();
    EXPECT_TRUE(audit.contains(QStringLiteral("INS tabla 3 1"))) << audit.join(u'|').toStdString();
}

}  // namespace
