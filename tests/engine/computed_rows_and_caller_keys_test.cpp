// The engine's vocabulary for lists under a parent and composite keys, on
// declarations of the tests' own: computed grid columns, a row key made from
// the source row, a member's own delete, buttons disabled by the group's
// own switch, Add under the parent, and a key field the caller sets.
#include "engine/transaction.h"
#include "engine/work_panel.h"
#include "support/dates.h"

#include "organisation_tables_fixture.h"

#include <QDate>

namespace {

/// The dated lines of a raise table, listed under their table.
const WorkPanelDecl& raiseLinesPanel()
{
    static const WorkPanelDecl panel = [] {
        WorkPanelDecl declaration;
        declaration.name = QStringLiteral("WPRUEBA1");
        declaration.title = QStringLiteral("Aumentos");
        declaration.table = QStringLiteral("AUMENTO1");
        declaration.index = QStringLiteral("IAUMENT1");
        ColumnDecl month{QStringLiteral("Mes"), QStringLiteral("Mes"), {}, {}};
        month.computed = [](const RecordCursor& row) { return monthName(row.date(QStringLiteral("AumFch")).date().month()); };
        declaration.columns = {
            month,
            {QStringLiteral("AumPor"), QStringLiteral("Porcentaje"), QStringLiteral("Z9.99"), {}},
        };
        declaration.transaction = QStringLiteral("TPRUEBA1");
        declaration.parentField = QStringLiteral("AumId");
        declaration.rowKey = [](const RecordCursor& row) {
            return row.text(QStringLiteral("AumId")) + u'\t' + row.date(QStringLiteral("AumFch")).date().toString(Qt::ISODate);
        };
        declaration.syncGroup = QStringLiteral("Aum");
        declaration.disabledWhileGroupCopied = true;
        CommandDecl copy;
        copy.action = QStringLiteral("Copiar");
        copy.changesData = true;
        declaration.commands = {copy};
        declaration.removeRow = [](WorkPanel& panel, int row) {
            panel.ui().message(QStringLiteral("Borrar ") + panel.keyAt(row), MessageIcon::Information);
        };
        return declaration;
    }();
    return panel;
}

/// One dated line, its table set by the caller.
const TransactionDecl& raiseLineForm()
{
    static const TransactionDecl form = [] {
        TransactionDecl declaration;
        declaration.name = QStringLiteral("TPRUEBA1");
        declaration.title = QStringLiteral("Aumento");
        declaration.table = QStringLiteral("AUMENTO1");
        declaration.index = QStringLiteral("IAUMENT1");
        FieldDecl table = keyField(QStringLiteral("AumId"), QStringLiteral("Tabla"), QStringLiteral("Z9"));
        table.fromCaller = true;
        declaration.fields = {
            table,
            keyField(QStringLiteral("AumFch"), QStringLiteral("Fecha"), QStringLiteral("dd/mm/yy")),
            numberField(QStringLiteral("AumPor"), QStringLiteral("Porcentaje"), QStringLiteral("Z9.99")),
        };
        declaration.keyMissingMessage = QStringLiteral("Falta fecha");
        return declaration;
    }();
    return form;
}

class ComputedRowsTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        for (int table : {1, 2})
            addRow(QStringLiteral("AUMENTO"), {{QStringLiteral("AumId"), table}, {QStringLiteral("AumDesc"), QStringLiteral("Tabla")}});
        addRaise(1, QDate(2025, 3, 1), 2.5);
        addRaise(1, QDate(2025, 9, 1), 3.0);
        addRaise(2, QDate(2025, 5, 1), 4.0);
    }

    void addRaise(int table, const QDate& date, double percent)
    {
        addRow(QStringLiteral("AUMENTO1"), {{QStringLiteral("AumId"), table}, {QStringLiteral("AumFch"), date},
                                            {QStringLiteral("AumPor"), percent}});
    }
};

TEST_F(ComputedRowsTest, RowsUnderTheirParentShowComputedColumnsAndCallWithTheirOwnKey)
{
    auto panel = openPanel(raiseLinesPanel(), pickerKey(QStringLiteral("1"), QString()));
    EXPECT_EQ(column(*panel, 0), (QStringList{QStringLiteral("Marzo"), QStringLiteral("Setiembre")}));
    EXPECT_EQ(panel->keyAt(1), QStringLiteral("1\t2025-09-01"));

    QStringList calls;
    ui.onCall(QStringLiteral("TPRUEBA1"), [&](QString& key, QString& mode) { calls << key + u'|' + mode; });
    panel->add();
    panel->modify({1});
    panel->remove({0});
    EXPECT_EQ(calls, (QStringList{QStringLiteral("1|INS"), QStringLiteral("1\t2025-09-01|UPD")}));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Borrar 1\t2025-03-01")});
    // The member's delete left the row as it was; the key stays the row's.
    EXPECT_EQ(panel->keyAt(0), QStringLiteral("1\t2025-03-01"));
}

TEST_F(ComputedRowsTest, GroupSwitchAloneDisablesEveryChange)
{
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Aum"), QStringLiteral("S"));
    auto panel = openPanel(raiseLinesPanel(), pickerKey(QStringLiteral("1"), QString()));
    EXPECT_FALSE(panel->addEnabled());
    EXPECT_FALSE(panel->modifyEnabled());
    EXPECT_FALSE(panel->deleteEnabled());
    EXPECT_FALSE(panel->commandEnabled(QStringLiteral("Copiar")));
    panel->add();
    panel->modify({0});
    panel->remove({0});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    EXPECT_TRUE(ui.texts().isEmpty());
}

TEST_F(ComputedRowsTest, KeyFieldFromTheCallerStaysAndCannotBeTyped)
{
    auto form = open(raiseLineForm(), QStringLiteral("2"), QStringLiteral("INS"));
    EXPECT_FALSE(form->isEnabled(1));
    EXPECT_TRUE(form->isEnabled(2));
    EXPECT_EQ(form->takeFocusRequest(), 2);
    form->setText(QStringLiteral("AumFch"), QStringLiteral("01/07/25"));
    form->focusEntered(3);
    form->setText(QStringLiteral("AumPor"), QStringLiteral("1.5"));
    EXPECT_TRUE(form->confirm());
    EXPECT_EQ(countRows(QStringLiteral("AUMENTO1")), 4);
    EXPECT_EQ(fieldOf(QStringLiteral("AUMENTO1"), QStringLiteral("AumPor"), QStringLiteral("AumId = 2 AND AumPor <> 4")).toDouble(), 1.5);
    // Cleared for the next line, on the same table.
    EXPECT_EQ(form->value(QStringLiteral("AumId")).toInt(), 2);
    EXPECT_TRUE(isEmptyDate(form->value(QStringLiteral("AumFch")).toDate()));

    // Passed whole, the key is the record's, as for any form.
    auto existing = open(raiseLineForm(), QStringLiteral("1\t2025-03-01"), QStringLiteral("UPD"));
    existing->focusEntered(3);
    EXPECT_EQ(existing->text(QStringLiteral("AumPor")).trimmed(), QStringLiteral("2.50"));
}

}  // namespace
