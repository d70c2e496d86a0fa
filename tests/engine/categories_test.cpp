// TCATEGOR driven as a window would drive it: focus moves, typing, Confirm.
#include "engine/transaction.h"
#include "tables/categories.h"

#include "data/cursor.h"
#include "organisation_tables_fixture.h"

#include <QDir>
#include <QFile>

namespace {

using Kind = ScriptedUi::Shown::Kind;

class CategoriesTest : public OrganisationTableTest {
protected:
    void addEmployeeWithCategory(int category)
    {
        addRow(QStringLiteral("CARGOSFU"),
               {{QStringLiteral("FunId"), 100}, {QStringLiteral("FunAL"), 1}, {QStringLiteral("FunCatId"), category}});
    }

    int questionsAsked() const
    {
        int count = 0;
        for (const ScriptedUi::Shown& shown : ui.shown())
            count += shown.kind == Kind::Question ? 1 : 0;
        return count;
    }
};

TEST_F(CategoriesTest, InsertWritesTheRowTheMarkAndTheAuditThenWaitsForTheNext)
{
    auto form = open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"));
    EXPECT_EQ(ui.status(1), QStringLiteral("Inserta"));
    EXPECT_TRUE(form->isEnabled(1));
    EXPECT_EQ(form->takeFocusRequest(), 1);

    ASSERT_TRUE(form->setText(1, QStringLiteral("7")));
    EXPECT_EQ(form->text(1), QStringLiteral("  7"));
    ASSERT_TRUE(form->focusEntered(2));
    EXPECT_EQ(form->validationStage(), 2);
    ASSERT_TRUE(form->setText(2, QStringLiteral("  Capataces  ")));
    ASSERT_TRUE(form->confirm());

    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(categoryDescription(7), QStringLiteral("Capataces"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Agrega categorìa 7, descripción = Capataces")});
    EXPECT_EQ(auditLines().first().area, 14);
    QString mark;
    PPARLC(*database, QStringLiteral("SincroAuto"), QStringLiteral("UltModific"), 0, mark);
    EXPECT_EQ(mark, QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));

    // Open again, empty, for the next category.
    EXPECT_FALSE(form->isClosed());
    EXPECT_EQ(form->mode(), Mode::Insert);
    EXPECT_EQ(form->text(1), QStringLiteral("  0"));
    EXPECT_EQ(form->text(2), QString());
    EXPECT_EQ(form->takeFocusRequest(), 1);
    EXPECT_EQ(ui.status(2), QStringLiteral("Done"));

    form->setText(1, QStringLiteral("8"));
    form->focusEntered(2);
    form->setText(2, QStringLiteral("Peones"));
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(categoryDescription(8), QStringLiteral("Peones"));

    form->close();
    QString key;
    QString mode;
    form->handBack(key, mode);
    EXPECT_EQ(key, QStringLiteral("8"));
    EXPECT_EQ(mode, QStringLiteral("INS"));
    EXPECT_EQ(ui.status(1), QString());
}

TEST_F(CategoriesTest, InsertRefusesATakenKeyAZeroKeyAndABlankDescription)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"));

    form->setText(1, QStringLiteral("5"));
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Ya existe el registro")});
    EXPECT_EQ(form->takeFocusRequest(), 1);
    EXPECT_EQ(form->validationStage(), 1);

    ui.clear();
    form->setText(1, QStringLiteral("0"));
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Falta número de cargo")});

    ui.clear();
    form->setText(1, QStringLiteral("6"));
    EXPECT_TRUE(form->focusEntered(2));
    form->setText(2, QStringLiteral("     "));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Falta descripción")});
    EXPECT_EQ(form->takeFocusRequest(), 2);
    EXPECT_EQ(form->validationStage(), 2);

    // Entering the key again sends validation back to the key.
    form->focusEntered(1);
    EXPECT_EQ(form->validationStage(), 1);

    EXPECT_EQ(countRows(QStringLiteral("CATEGORI")), 1);
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
    EXPECT_FALSE(form->isClosed());
}

TEST_F(CategoriesTest, TypingThatDoesNotFitThePictureIsRefused)
{
    auto form = open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"));
    QString error;
    EXPECT_FALSE(form->setText(1, QStringLiteral("1000"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(form->setText(1, QStringLiteral("abc")));
    EXPECT_EQ(form->text(1), QStringLiteral("  0"));
    // The description keeps no more than the field holds.
    form->setText(2, QString(40, u'x'));
    EXPECT_EQ(form->text(2).size(), 30);
}

TEST_F(CategoriesTest, ModifyNamesOnlyTheKeyWithoutChangeAndTheChangedDescriptionOtherwise)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    EXPECT_FALSE(form->isEnabled(1));
    EXPECT_EQ(form->text(2), QStringLiteral("Peones")) << "the record is read when the focus leaves the key";
    EXPECT_EQ(ui.status(1), QStringLiteral("Actualiza"));

    ASSERT_TRUE(form->confirm());
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica categoría 5")});
    QString key;
    QString mode;
    form->handBack(key, mode);
    EXPECT_EQ(key, QStringLiteral("5"));
    EXPECT_EQ(mode, QStringLiteral("UPD"));

    // A changed description is named.
    auto change = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    change->setText(2, QStringLiteral("Peones rurales"));
    ASSERT_TRUE(change->confirm());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones rurales"));
    EXPECT_EQ(auditTexts().last(), QStringLiteral("Modifica categoría 5, descripción = Peones rurales"));
}

TEST_F(CategoriesTest, ModifyOfAMissingKeyClosesWithNotFound)
{
    auto form = open(TCATEGOR(), QStringLiteral("9"), QStringLiteral("UPD"));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("No se encontro el registro")});
    EXPECT_TRUE(form->isClosed());
}

TEST_F(CategoriesTest, DeleteOfACategoryInUseIsRefusedWithoutAQuestion)
{
    addCategory(5, QStringLiteral("Peones"));
    addCategory(6, QStringLiteral("Oficiales"));
    addEmployeeWithCategory(5);

    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"CargosFuncionario\".")});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Exclamation);
    EXPECT_EQ(questionsAsked(), 0);
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones"));

    // The check looks at the key itself, not at the next one used.
    ui.clear();
    ui.answer(true);
    auto other = open(TCATEGOR(), QStringLiteral("4"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("No se encontro el registro")});
    ui.clear();
    ui.answer(true);
    auto unused = open(TCATEGOR(), QStringLiteral("6"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(categoryDescription(6), QStringLiteral("<ninguna>"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina categoría 6")});
}

TEST_F(CategoriesTest, AnsweringNoKeepsTheRecordAndCloses)
{
    addCategory(5, QStringLiteral("Peones"));
    ui.answer(false);
    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(ui.unansweredQuestions(), 0);
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones"));
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
}

TEST_F(CategoriesTest, BothSwitchesOnBlockEveryChangeOneAloneDoesNot)
{
    addCategory(5, QStringLiteral("Peones"));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Car"), QStringLiteral("S"));

    auto insert = open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"));
    insert->setText(1, QStringLiteral("6"));
    insert->focusEntered(2);
    insert->setText(2, QStringLiteral("Oficiales"));
    EXPECT_TRUE(insert->confirm()) << "the global switch is off";
    EXPECT_EQ(categoryDescription(6), QStringLiteral("Oficiales"));

    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("S"));
    auto blocked = open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"));
    blocked->setText(1, QStringLiteral("7"));
    blocked->focusEntered(2);
    blocked->setText(2, QStringLiteral("Capataces"));
    EXPECT_FALSE(blocked->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Esta tabla se copia automáticamente")});
    EXPECT_EQ(blocked->text(2), QStringLiteral("Capataces")) << "the screen keeps its values";

    auto update = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    update->setText(2, QStringLiteral("Otra"));
    EXPECT_FALSE(update->confirm());
    ui.answer(true);
    auto remove = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("DLT"));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation).size(), 3);

    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones"));
    EXPECT_EQ(categoryDescription(7), QStringLiteral("<ninguna>"));
    EXPECT_EQ(auditTexts().size(), 1);
}

TEST_F(CategoriesTest, WithoutMAtPositionEightRecordsShowButConfirmIsDisabled)
{
    addCategory(5, QStringLiteral("Peones"));
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("MMMMMMMCM"));
    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    EXPECT_FALSE(form->confirmEnabled());
    EXPECT_EQ(form->text(2), QStringLiteral("Peones"));
    form->setText(2, QStringLiteral("Cambiada"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones"));

    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("MMMMMMM"));
    EXPECT_FALSE(open(TCATEGOR(), QStringLiteral("0"), QStringLiteral("INS"))->confirmEnabled())
        << "too short a string";
}

TEST_F(CategoriesTest, DisplayShowsTheRecordReadOnly)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("DSP"));
    EXPECT_EQ(ui.status(1), QStringLiteral("Visualizar"));
    EXPECT_EQ(form->text(2), QStringLiteral("Peones"));
    EXPECT_TRUE(form->isReadOnly(2));
    EXPECT_FALSE(form->setText(2, QStringLiteral("Otra")));
    EXPECT_FALSE(form->confirm());
    form->activated();
    EXPECT_EQ(ui.status(1), QStringLiteral("DSP"));
}

TEST_F(CategoriesTest, SecondUserIsRefusedWhileTheFirstHoldsTheLockThenSeesTheChange)
{
    addCategory(5, QStringLiteral("Peones"));
    std::unique_ptr<Database> other = openConnection();
    ScriptedUi otherUi;

    auto mine = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    auto theirs = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"), other.get(), &otherUi);
    ASSERT_EQ(theirs->text(2), QStringLiteral("Peones"));

    // The first workstation is in the middle of writing the record.
    TableCursor writer(*database);
    ASSERT_FALSE(writer.open(QStringLiteral("CATEGORI")));
    writer.seek(Comparison::Equal, {5});
    ASSERT_FALSE(writer.edit());

    theirs->setText(2, QStringLiteral("Segundo"));
    EXPECT_FALSE(theirs->confirm());
    EXPECT_EQ(otherUi.messages(MessageIcon::Exclamation), QStringList{QStringLiteral("Registro reservado por otro")});
    writer.cancelUpdate();

    // The first user commits a change; the second one's confirm sees it.
    mine->setText(2, QStringLiteral("Primero"));
    ASSERT_TRUE(mine->confirm());
    otherUi.clear();
    EXPECT_FALSE(theirs->confirm());
    EXPECT_EQ(otherUi.texts(), QStringList{QStringLiteral("CATEGORI fue modificada.")});
    EXPECT_EQ(otherUi.shown().first().icon, MessageIcon::Information);
    EXPECT_EQ(theirs->validationStage(), 1);
    EXPECT_EQ(theirs->text(2), QStringLiteral("Peones")) << "the values shown before the edit";
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Primero"));

    // Its next confirm reads the record afresh and shows the other's values.
    otherUi.clear();
    EXPECT_TRUE(theirs->confirm());
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Primero"));
    EXPECT_EQ(auditTexts(), (QStringList{QStringLiteral("Modifica categoría 5, descripción = Primero"),
                                         QStringLiteral("Modifica categoría 5")}));

    // The refused confirm left no lock behind.
    TableCursor check(*database);
    check.open(QStringLiteral("CATEGORI"));
    check.seek(Comparison::Equal, {5});
    EXPECT_FALSE(check.edit());
}

TEST_F(CategoriesTest, ALockFileThatCannotBeOpenedStopsConfirmWithAMessage)
{
    if (backend() != Backend::Sqlite)
        GTEST_SKIP() << "the lock file belongs to the file installation; the server's locks are its own";
    addCategory(5, QStringLiteral("Peones"));
    // What a second account meets when the first created the lock file
    // without write access for others: here a folder under its name, which
    // no account, root included, can open for writing.
    std::unique_ptr<Database> other = openConnection();
    const QString lockFile = location().file + QStringLiteral(".lck");
    ASSERT_TRUE(QFile::remove(lockFile));
    ASSERT_TRUE(QDir().mkdir(lockFile));
    ScriptedUi otherUi;
    auto theirs = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"), other.get(), &otherUi);
    theirs->setText(2, QStringLiteral("Segundo"));
    EXPECT_FALSE(theirs->confirm());
    ASSERT_EQ(otherUi.messages(MessageIcon::Exclamation).size(), 1) << qPrintable(otherUi.texts().join('|'));
    EXPECT_TRUE(otherUi.messages(MessageIcon::Exclamation)
                    .first()
                    .startsWith(QStringLiteral("No se puede reservar el registro: no se puede abrir el archivo de "
                                               "bloqueos ")
                                + lockFile))
        << qPrintable(otherUi.texts().join('|'));
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Peones"));
    EXPECT_TRUE(auditTexts().isEmpty());
}

// With its lock file gone, a second workstation can lock and write the same
// record while the first holds what it believes is the lock: the first one's
// write sees the change inside its own transaction and writes nothing.
TEST_F(CategoriesTest, ALockFileRemovedBetweenTwoEditsLosesNoUpdate)
{
    if (backend() != Backend::Sqlite)
        GTEST_SKIP() << "the server's advisory locks have no file to lose";
    addCategory(5, QStringLiteral("Peones"));
    TransactionDecl declaration = TCATEGOR();
    std::unique_ptr<Database> other;
    ScriptedUi otherUi;
    declaration.hooks.afterLock += [&](Transaction&) {
        ASSERT_TRUE(QFile::remove(location().file + QStringLiteral(".lck")));
        other = openConnection();
        auto theirs = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"), other.get(), &otherUi);
        theirs->setText(2, QStringLiteral("Segundo"));
        ASSERT_TRUE(theirs->confirm()) << qPrintable(otherUi.texts().join('|'));
    };
    auto mine = open(declaration, QStringLiteral("5"), QStringLiteral("UPD"));
    mine->setText(2, QStringLiteral("Primero"));
    EXPECT_FALSE(mine->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("CATEGORI fue modificada.")});
    EXPECT_EQ(categoryDescription(5), QStringLiteral("Segundo"));
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Modifica categoría 5, descripción = Segundo")});
}

TEST_F(CategoriesTest, ARecordDeletedByAnotherUserIsReportedAsModified)
{
    addCategory(5, QStringLiteral("Peones"));
    auto form = open(TCATEGOR(), QStringLiteral("5"), QStringLiteral("UPD"));
    ASSERT_FALSE(database->execute(QStringLiteral("DELETE FROM CATEGORI WHERE CatId = 5")));
    form->setText(2, QStringLiteral("Otra"));
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("CATEGORI fue modificada.")});
    EXPECT_EQ(countRows(QStringLiteral("CATEGORI")), 0);
}

}  // namespace
