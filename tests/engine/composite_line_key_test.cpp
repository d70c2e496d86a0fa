// Lines keyed by several columns (a value per position and cost centre),
// with an audit sentence of the member's own per line, and a line check that
// refuses without a message of its own after asking a question.
#include "engine/lines.h"
#include "engine/transaction.h"

#include "organisation_tables_fixture.h"

#include <QSqlQuery>

namespace {

using namespace Qt::StringLiterals;

enum { Position = 0, CostCentre = 1, Amount = 2 };

const LineTableDecl& valueLines()
{
    static const LineTableDecl lines = [] {
        LineTableDecl declaration;
        declaration.table = u"BASICOS1"_s;
        declaration.index = u"IBASICO"_s;
        declaration.headerKey = u"BasId"_s;
        declaration.columns = {{u"CarId"_s, u"Cargo"_s, u"ZZZ9"_s},
                               {u"CCId"_s, u"Centro"_s, {}},
                               {u"BasImp"_s, u"Valor"_s, u"ZZZ9.99"_s}};
        declaration.keyColumns = 2;
        declaration.check = [](const LineTable& lines, int row) {
            if (lines.value(row, Amount).toDouble() < 0) {
                lines.form().ui().question(u"¿Valor negativo?"_s, DefaultButton::No);
                return FieldVerdict::refuse({});
            }
            return lines.repeatsKey(row) ? FieldVerdict::refuse(u"Ya existe el registro"_s) : FieldVerdict::ok();
        };
        declaration.auditText = [](const Transaction&, Mode mode, const QVector<QVariant>& values,
                                   const QVector<QVariant>& asRead) {
            return modeCode(mode) + u' ' + values.at(CostCentre).toString() + u'=' + values.at(Amount).toString()
                   + u" (antes "_s + asRead.at(Amount).toString() + u")"_s;
        };
        return declaration;
    }();
    return lines;
}

const TransactionDecl& valueForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = u"TPRUEBAV"_s;
        declaration.title = u"Valores"_s;
        declaration.table = u"BASICOS"_s;
        declaration.index = u"IBASICOS"_s;
        declaration.fields = {keyField(u"BasId"_s, u"Básico"_s, u"ZZZ9"_s), textField(u"BasDesc"_s, u"Descripción"_s)};
        declaration.lines = &valueLines();
        return declaration;
    }();
    return form;
}

class CompositeLineKeyTest : public OrganisationTableTest {
protected:
    QStringList stored()
    {
        QStringList rows;
        QSqlQuery query(database->connection());
        query.exec(sql(u"SELECT CarId, CCId, BasImp FROM BASICOS1 WHERE BasId = 1 ORDER BY CarId, CCId"_s));
        while (query.next())
            rows << u"%1/%2=%3"_s.arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString());
        return rows;
    }
};

TEST_F(CompositeLineKeyTest, LinesAreFoundAndRefusedByEveryKeyColumn)
{
    addRow(u"BASICOS"_s, {{u"BasId"_s, 1}, {u"BasDesc"_s, u"Laudo"_s}});
    for (const auto& [position, centre] : {std::pair{4, u"A"_s}, std::pair{4, u"B"_s}})
        addRow(u"BASICOS1"_s, {{u"BasId"_s, 1}, {u"CarId"_s, position}, {u"CCId"_s, centre}, {u"RefAuxId"_s, u""_s},
                               {u"BasImp"_s, 10.0}});
    auto form = open(valueForm(), u"1"_s, u"UPD"_s);
    LineTable& lines = *form->lines();
    ASSERT_EQ(lines.rowCount(), 2);
    // The second stored line, found by both its key columns, changes alone.
    ASSERT_TRUE(lines.setText(1, Amount, u"20"_s));
    // Same position, another cost centre: a new key.
    const int added = lines.addLine();
    lines.setText(added, Position, u"4"_s);
    lines.setText(added, CostCentre, u"C"_s);
    lines.setText(added, Amount, u"-1"_s);
    ui.answer(false);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"¿Valor negativo?"_s}) << "the check's question is all the person sees";

    ui.clear();
    lines.setText(added, CostCentre, u"A"_s);
    lines.setText(added, Amount, u"5"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"Ya existe el registro"_s});

    ui.clear();
    lines.setText(added, CostCentre, u"C"_s);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(), (QStringList{u"4/A=10"_s, u"4/B=20"_s, u"4/C=5"_s}));
    EXPECT_EQ(auditTexts(), (QStringList{u"UPD B=20 (antes 10)"_s, u"INS C=5 (antes 0)"_s}));
}

}  // namespace
