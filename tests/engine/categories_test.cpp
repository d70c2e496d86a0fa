// TCATEGOR driven as a window would drive it: focus moves, typing, Confirm.
#include "engine/transaction.h"
#include "tables/categories.h"

#include "data/cursor.h"
#include "organisation_tables_fixture.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

class CategoriesTest : public OrganisationTableTest {
protected:
    void addEmployeeWithCategory(int category)
    {
        addRow(u"CARGOSFU"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"FunCatId"_s, category}});
    }

    /// A new category typed into `form` as the window does: key, leave it, description.
    static void typeCategory(Transaction& form, const QString& number, const QString& description)
    {
        form.setText(1, number);
        form.focusEntered(2);
        form.setText(2, description);
    }
};

TEST_F(CategoriesTest, InsertWritesTheRowTheMarkAndTheAuditThenWaitsForTheNext)
{
    auto form = open(TCATEGOR(), u"0"_s, u"INS"_s);
    EXPECT_EQ(ui.status(1), u"Inserta"_s);
    EXPECT_TRUE(form->isEnabled(1));
    EXPECT_EQ(form->takeFocusRequest(), 1);

    ASSERT_TRUE(form->setText(1, u"7"_s));
    EXPECT_EQ(form->text(1), u"  7"_s);
    ASSERT_TRUE(form->focusEntered(2));
    EXPECT_EQ(form->validationStage(), 2);
    ASSERT_TRUE(form->setText(2, u"  Capataces  "_s));
    ASSERT_TRUE(form->confirm());

    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(categoryDescription(7), u"Capataces"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Agrega categorìa 7, descripción = Capataces"_s});
    EXPECT_EQ(auditLines().first().area, 14);
    QString mark;
    PPARLC(*database, u"SincroAuto"_s, u"UltModific"_s, 0, mark);
    EXPECT_EQ(mark, QDate::currentDate().toString(u"dd/MM/yy"_s));

    // Open again, empty, for the next category.
    EXPECT_FALSE(form->isClosed());
    EXPECT_EQ(form->mode(), Mode::Insert);
    EXPECT_EQ(form->text(1), u"  0"_s);
    EXPECT_EQ(form->text(2), QString());
    EXPECT_EQ(form->takeFocusRequest(), 1);
    EXPECT_EQ(ui.status(2), u"Done"_s);

    typeCategory(*form, u"8"_s, u"Peones"_s);
    ASSERT_TRUE(form->confirm());
    EXPECT_EQ(categoryDescription(8), u"Peones"_s);

    form->close();
    QString key;
    QString mode;
    form->handBack(key, mode);
    EXPECT_EQ(key, u"8"_s);
    EXPECT_EQ(mode, u"INS"_s);
    EXPECT_EQ(ui.status(1), QString());
}

TEST_F(CategoriesTest, InsertRefusesATakenKeyAZeroKeyAndABlankDescription)
{
    addCategory(5, u"Peones"_s);
    auto form = open(TCATEGOR(), u"0"_s, u"INS"_s);

    form->setText(1, u"5"_s);
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Ya existe el registro"_s});
    EXPECT_EQ(form->takeFocusRequest(), 1);
    EXPECT_EQ(form->validationStage(), 1);

    ui.clear();
    form->setText(1, u"0"_s);
    EXPECT_FALSE(form->focusEntered(2));
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Falta número de cargo"_s});

    ui.clear();
    form->setText(1, u"6"_s);
    EXPECT_TRUE(form->focusEntered(2));
    form->setText(2, u"     "_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Falta descripción"_s});
    EXPECT_EQ(form->takeFocusRequest(), 2);
    EXPECT_EQ(form->validationStage(), 2);

    // Entering the key again sends validation back to the key.
    form->focusEntered(1);
    EXPECT_EQ(form->validationStage(), 1);

    EXPECT_EQ(countRows(u"CATEGORI"_s), 1);
    EXPECT_EQ(countRows(u"AUDITORI"_s), 0);
    EXPECT_FALSE(form->isClosed());
}

TEST_F(CategoriesTest, TypingThatDoesNotFitThePictureIsRefused)
{
    auto form = open(TCATEGOR(), u"0"_s, u"INS"_s);
    QString error;
    EXPECT_FALSE(form->setText(1, u"1000"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(form->setText(1, u"abc"_s));
    EXPECT_EQ(form->text(1), u"  0"_s);
    // The description keeps no more than the field holds.
    form->setText(2, QString(40, u'x'));
    EXPECT_EQ(form->text(2).size(), 30);
}

TEST_F(CategoriesTest, ModifyNamesOnlyTheKeyWithoutChangeAndTheChangedDescriptionOtherwise)
{
    addCategory(5, u"Peones"_s);
    auto form = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    EXPECT_FALSE(form->isEnabled(1));
    EXPECT_EQ(form->text(2), u"Peones"_s) << "the record is read when the focus leaves the key";
    EXPECT_EQ(ui.status(1), u"Actualiza"_s);

    ASSERT_TRUE(form->confirm());
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(auditTexts(), QStringList{u"Modifica categoría 5"_s});
    QString key;
    QString mode;
    form->handBack(key, mode);
    EXPECT_EQ(key, u"5"_s);
    EXPECT_EQ(mode, u"UPD"_s);

    // A changed description is named.
    auto change = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    change->setText(2, u"Peones rurales"_s);
    ASSERT_TRUE(change->confirm());
    EXPECT_EQ(categoryDescription(5), u"Peones rurales"_s);
    EXPECT_EQ(auditTexts().last(), u"Modifica categoría 5, descripción = Peones rurales"_s);
}

TEST_F(CategoriesTest, DeleteOfACategoryInUseIsRefusedWithoutAQuestion)
{
    addCategory(5, u"Peones"_s);
    addCategory(6, u"Oficiales"_s);
    addEmployeeWithCategory(5);

    auto form = open(TCATEGOR(), u"5"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminación inválida, hay información en \"CargosFuncionario\"."_s});
    EXPECT_EQ(ui.shown().first().icon, MessageIcon::Exclamation);  // the one thing shown: no question
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(categoryDescription(5), u"Peones"_s);

    // The check looks at the key itself, not at the next one used.
    ui.clear();
    ui.answer(true);
    auto other = open(TCATEGOR(), u"4"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"No se encontro el registro"_s});
    ui.clear();
    EXPECT_TRUE(open(TCATEGOR(), u"9"_s, u"UPD"_s)->isClosed()) << "a modify of a missing key closes too";
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"No se encontro el registro"_s});
    ui.clear();
    ui.answer(true);
    auto unused = open(TCATEGOR(), u"6"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(categoryDescription(6), u"<ninguna>"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina categoría 6"_s});
}

TEST_F(CategoriesTest, AnsweringNoKeepsTheRecordAndCloses)
{
    addCategory(5, u"Peones"_s);
    ui.answer(false);
    auto form = open(TCATEGOR(), u"5"_s, u"DLT"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(ui.unansweredQuestions(), 0);
    EXPECT_TRUE(form->isClosed());
    EXPECT_EQ(categoryDescription(5), u"Peones"_s);
    EXPECT_EQ(countRows(u"AUDITORI"_s), 0);
}

TEST_F(CategoriesTest, BothSwitchesOnBlockEveryChangeOneAloneDoesNot)
{
    addCategory(5, u"Peones"_s);
    setParameterText(u"SincroAuto"_s, u"Car"_s, u"S"_s);

    auto insert = open(TCATEGOR(), u"0"_s, u"INS"_s);
    typeCategory(*insert, u"6"_s, u"Oficiales"_s);
    EXPECT_TRUE(insert->confirm()) << "the global switch is off";
    EXPECT_EQ(categoryDescription(6), u"Oficiales"_s);

    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    auto blocked = open(TCATEGOR(), u"0"_s, u"INS"_s);
    typeCategory(*blocked, u"7"_s, u"Capataces"_s);
    EXPECT_FALSE(blocked->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Esta tabla se copia automáticamente"_s});
    EXPECT_EQ(blocked->text(2), u"Capataces"_s) << "the screen keeps its values";

    auto update = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    update->setText(2, u"Otra"_s);
    EXPECT_FALSE(update->confirm());
    ui.answer(true);
    auto remove = open(TCATEGOR(), u"5"_s, u"DLT"_s);
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation).size(), 3);

    EXPECT_EQ(categoryDescription(5), u"Peones"_s);
    EXPECT_EQ(categoryDescription(7), u"<ninguna>"_s);
    EXPECT_EQ(auditTexts().size(), 1);
}

TEST_F(CategoriesTest, WithoutMAtPositionEightRecordsShowButConfirmIsDisabled)
{
    addCategory(5, u"Peones"_s);
    VBGlob::put(u"Permisos"_s, u"MMMMMMMCM"_s);
    auto form = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    EXPECT_FALSE(form->confirmEnabled());
    EXPECT_EQ(form->text(2), u"Peones"_s);
    form->setText(2, u"Cambiada"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(categoryDescription(5), u"Peones"_s);

    VBGlob::put(u"Permisos"_s, u"MMMMMMM"_s);
    EXPECT_FALSE(open(TCATEGOR(), u"0"_s, u"INS"_s)->confirmEnabled()) << "too short a string";
}

TEST_F(CategoriesTest, DisplayShowsTheRecordReadOnly)
{
    addCategory(5, u"Peones"_s);
    auto form = open(TCATEGOR(), u"5"_s, u"DSP"_s);
    EXPECT_EQ(ui.status(1), u"Visualizar"_s);
    EXPECT_EQ(form->text(2), u"Peones"_s);
    EXPECT_TRUE(form->isReadOnly(2));
    EXPECT_FALSE(form->setText(2, u"Otra"_s));
    EXPECT_FALSE(form->confirm());
    form->activated();
    EXPECT_EQ(ui.status(1), u"DSP"_s);
}

TEST_F(CategoriesTest, SecondUserIsRefusedWhileTheFirstHoldsTheLockThenSeesTheChange)
{
    addCategory(5, u"Peones"_s);
    std::unique_ptr<Database> other = openConnection();
    ScriptedUi otherUi;

    auto mine = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    auto theirs = open(TCATEGOR(), u"5"_s, u"UPD"_s, other.get(), &otherUi);
    ASSERT_EQ(theirs->text(2), u"Peones"_s);

    // The first workstation is in the middle of writing the record.
    TableCursor writer(*database);
    ASSERT_FALSE(writer.open(u"CATEGORI"_s));
    writer.seek(Comparison::Equal, {5});
    ASSERT_FALSE(writer.edit());

    theirs->setText(2, u"Segundo"_s);
    EXPECT_FALSE(theirs->confirm());
    EXPECT_EQ(otherUi.messages(MessageIcon::Exclamation), QStringList{u"Registro reservado por otro"_s});
    writer.cancelUpdate();

    // The first user commits a change; the second one's confirm sees it.
    mine->setText(2, u"Primero"_s);
    ASSERT_TRUE(mine->confirm());
    otherUi.clear();
    EXPECT_FALSE(theirs->confirm());
    EXPECT_EQ(otherUi.texts(), QStringList{u"CATEGORI fue modificada."_s});
    EXPECT_EQ(otherUi.shown().first().icon, MessageIcon::Information);
    EXPECT_EQ(theirs->validationStage(), 1);
    EXPECT_EQ(theirs->text(2), u"Peones"_s) << "the values shown before the edit";
    EXPECT_EQ(categoryDescription(5), u"Primero"_s);

    // Its next confirm reads the record afresh and shows the other's values.
    otherUi.clear();
    EXPECT_TRUE(theirs->confirm());
    EXPECT_EQ(categoryDescription(5), u"Primero"_s);
    EXPECT_EQ(auditTexts(), (QStringList{u"Modifica categoría 5, descripción = Primero"_s, u"Modifica categoría 5"_s}));

    // The refused confirm left no lock behind.
    TableCursor check(*database);
    check.open(u"CATEGORI"_s);
    check.seek(Comparison::Equal, {5});
    EXPECT_FALSE(check.edit());
}

TEST_F(CategoriesTest, ALockFileThatCannotBeOpenedStopsConfirmWithAMessage)
{
    if (backend() != Backend::Sqlite)
        GTEST_SKIP() << "the lock file belongs to the file installation; the server's locks are its own";
    addCategory(5, u"Peones"_s);
    // What a second account meets when the first created the lock file
    // without write access for others: here a folder under its name, which
    // no account, root included, can open for writing.
    std::unique_ptr<Database> other = openConnection();
    const QString lockFile = location().file + u".lck"_s;
    ASSERT_TRUE(QFile::remove(lockFile));
    ASSERT_TRUE(QDir().mkdir(lockFile));
    ScriptedUi otherUi;
    auto theirs = open(TCATEGOR(), u"5"_s, u"UPD"_s, other.get(), &otherUi);
    theirs->setText(2, u"Segundo"_s);
    EXPECT_FALSE(theirs->confirm());
    ASSERT_EQ(otherUi.messages(MessageIcon::Exclamation).size(), 1) << qPrintable(otherUi.texts().join('|'));
    EXPECT_TRUE(otherUi.messages(MessageIcon::Exclamation)
                    .first()
                    .startsWith(QStringLiteral("No se puede reservar el registro: no se puede abrir el archivo de "
                                               "bloqueos ")
                                + lockFile))
        << qPrintable(otherUi.texts().join('|'));
    EXPECT_EQ(categoryDescription(5), u"Peones"_s);
    EXPECT_TRUE(auditTexts().isEmpty());
}

// With its lock file gone, a second workstation can lock and write the same
// record while the first holds what it believes is the lock: the first one's
// write sees the change inside its own transaction and writes nothing.
TEST_F(CategoriesTest, ALockFileRemovedBetweenTwoEditsLosesNoUpdate)
{
    if (backend() != Backend::Sqlite)
        GTEST_SKIP() << "the server's advisory locks have no file to lose";
    addCategory(5, u"Peones"_s);
    TransactionDecl declaration = TCATEGOR();
    std::unique_ptr<Database> other;
    ScriptedUi otherUi;
    declaration.hooks.afterLock += [&](Transaction&) {
        ASSERT_TRUE(QFile::remove(location().file + u".lck"_s));
        other = openConnection();
        auto theirs = open(TCATEGOR(), u"5"_s, u"UPD"_s, other.get(), &otherUi);
        theirs->setText(2, u"Segundo"_s);
        ASSERT_TRUE(theirs->confirm()) << qPrintable(otherUi.texts().join('|'));
    };
    auto mine = open(declaration, u"5"_s, u"UPD"_s);
    mine->setText(2, u"Primero"_s);
    EXPECT_FALSE(mine->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"CATEGORI fue modificada."_s});
    EXPECT_EQ(categoryDescription(5), u"Segundo"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Modifica categoría 5, descripción = Segundo"_s});
}

TEST_F(CategoriesTest, ARecordDeletedByAnotherUserIsReportedAsModified)
{
    addCategory(5, u"Peones"_s);
    auto form = open(TCATEGOR(), u"5"_s, u"UPD"_s);
    ASSERT_FALSE(database->execute(u"DELETE FROM CATEGORI WHERE CatId = 5"_s));
    form->setText(2, u"Otra"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.texts(), QStringList{u"CATEGORI fue modificada."_s});
    EXPECT_EQ(countRows(u"CATEGORI"_s), 0);
}

}  // namespace
