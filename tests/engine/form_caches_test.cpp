// What a form keeps between records or forms (the parameters it read, the
// record as read under its lock) never hides a change another workstation
// made: a switch turned on elsewhere stops the next form, and a record
// changed behind the lock is refused as modified, nothing written.
#include "engine/transaction.h"
#include "tables/categories.h"

#include "data/cursor.h"

#include "organisation_tables_fixture.h"

namespace {

class FormCachesTest : public OrganisationTableTest {};

TEST_F(FormCachesTest, ASwitchTurnedOnByAnotherWorkstationStopsTheNextForm)
{
    addCategory(5, QStringLiteral("Peones"));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Car"), QStringLiteral("S"));
    {
        auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
        form->setText(2, QStringLiteral("Primero"));
        ASSERT_TRUE(form->confirm()) << qPrintable(ui.texts().join(u'|'));
    }
    auto other = openConnection();
    SilentUiPort silent;
    ASSERT_FALSE(PPARGC(*other, silent, QStringLiteral("SincroAuto"), QStringLiteral("Hay"), 0, QStringLiteral("S")));

    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    form->setText(2, QStringLiteral("Segundo"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{copiedAutomaticallyText()});
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Primero"));

    // Turned off again, here: the next form writes.
    ui.clear();
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("N"));
    auto third = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    third->setText(2, QStringLiteral("Tercero"));
    EXPECT_TRUE(third->confirm()) << qPrintable(ui.texts().join(u'|'));
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Tercero"));
}

// A writer that takes no record locks (a statement of another workstation)
// changes the record between the form's lock and its write: the check
// inside the write transaction refuses, whether a field or the key changed.
TEST_F(FormCachesTest, ARecordChangedBehindTheLockIsRefusedAsModified)
{
    addCategory(5, QStringLiteral("Peones"));
    auto other = openConnection();
    for (const QString& change : {QStringLiteral("UPDATE CATEGORI SET CatDesc = 'Otra' WHERE CatId = 5"),
                                  QStringLiteral("UPDATE CATEGORI SET CatId = 6 WHERE CatId = 5")}) {
        SCOPED_TRACE(change.toStdString());
        TransactionDecl declaration = TCATEGOR();
        declaration.hooks.afterLock += [&](Transaction&) { ASSERT_FALSE(other->execute(change)); };
        ui.clear();
        auto form = open(declaration, QStringLiteral("5"), QStringLiteral("UPD"));
        form->setText(2, QStringLiteral("Mía"));
        EXPECT_FALSE(form->confirm());
        EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("CATEGORI fue modificada.")});
        const QVariant mine =
            fieldOf(QStringLiteral("CATEGORI"), QStringLiteral("COUNT(*)"), QStringLiteral("CatDesc = 'Mía'"));
        EXPECT_EQ(mine.toInt(), 0);
        EXPECT_TRUE(auditTexts().isEmpty());
    }
}

// A change is locked and checked inside its write transaction; when the
// lock is refused or the record changed, that transaction is gone before
// the person is told, so the other workstation is never held up.
TEST_F(FormCachesTest, ARefusedLockLeavesNoWriteBegun)
{
    addCategory(5, QStringLiteral("Peones"));
    auto other = openConnection();
    TableCursor holder(*other);
    ASSERT_FALSE(holder.open(QStringLiteral("CATEGORI")));
    ASSERT_FALSE(holder.seek(Comparison::Equal, {5}));
    ASSERT_FALSE(holder.edit());

    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    form->setText(2, QStringLiteral("Mía"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Registro reservado por otro")});
    EXPECT_FALSE(database->inTransaction());

    ASSERT_FALSE(other->beginTransaction());
    holder.setValue(QStringLiteral("CatDesc"), QStringLiteral("Del otro"));
    ASSERT_FALSE(holder.update());
    ASSERT_FALSE(other->commit());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Del otro"));

    // The lock is free now: the same form, confirmed again, finds the
    // record changed and writes nothing.
    ui.clear();
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("CATEGORI fue modificada.")});
    EXPECT_FALSE(database->inTransaction());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Del otro"));
}

}  // namespace
