#include "engine/accent_filter.h"
#include "engine/object_registry.h"
#include "engine/work_panel.h"
#include "payroll/concepts.h"
#include "payroll/liquidation_types.h"
#include "tables/categories.h"

#include <QSqlError>
#include <QSqlQuery>

#include "organisation_tables_fixture.h"

using namespace Qt::StringLiterals;

namespace {

class WorkPanelTest : public OrganisationTableTest {
protected:
    /// TCATEGOR as the window runs it when the panel calls it.
    void runCategoriesFormWith(std::function<void(Transaction&)> person)
    {
        ui.onCall(u"TCATEGOR"_s, [this, person](QString& key, QString& mode) {
            std::unique_ptr<Transaction> form = ObjectRegistry::createTransaction(u"TCATEGOR"_s, *database, ui);
            ASSERT_TRUE(form);
            form->start(key, mode);
            if (!form->isClosed())
                person(*form);
            form->close();
            form->handBack(key, mode);
        });
    }
};

TEST_F(WorkPanelTest, RowsArriveInPagesOfOneHundred)
{
    database->beginTransaction();
    for (int number = 1; number <= 250; ++number)
        addCategory(number, u"Categoría %1"_s.arg(number));
    database->commit();

    auto panel = openPanel(WCATEGOR());
    EXPECT_EQ(panel->rowCount(), 100);
    EXPECT_TRUE(panel->canFetchMore());
    EXPECT_EQ(panel->fetchMore(), 100);
    EXPECT_EQ(panel->rowCount(), 200);
    EXPECT_EQ(panel->fetchMore(), 50);
    EXPECT_EQ(panel->rowCount(), 250);
    EXPECT_FALSE(panel->canFetchMore());
    EXPECT_EQ(panel->fetchMore(), 0);

    EXPECT_EQ(panel->cellText(0, 0), u"  1"_s);
    EXPECT_EQ(panel->cellText(99, 1), u"Categoría 100"_s);
    EXPECT_EQ(panel->cellText(100, 1), u"Categoría 101"_s);
    EXPECT_EQ(panel->keyAt(249), u"250"_s);
    EXPECT_EQ(panel->cellText(250, 1), QString()) << "past the loaded rows";

    panel->refresh();
    EXPECT_EQ(panel->rowCount(), 100) << "a reload starts again with one page";
}

TEST_F(WorkPanelTest, TheAccentFilterLetsAccentedAndPlainVowelsPassAndReloadsTheList)
{
    EXPECT_EQ(accentPattern(u"pe n"_s), u"P[EÉÈ]%N"_s);
    EXPECT_EQ(accentPattern(u"Áu"_s), u"[AÁÀ][UÚÙ]"_s);

    const AccentFilter filter(u"pe n"_s);
    for (const char* passes : {"Peón", "PEÓN", "pension", "Ayudante de peón", "PÈON"})
        EXPECT_TRUE(filter.passes(QString::fromUtf8(passes))) << passes;
    for (const char* refused : {"Capataz", "Pintor", "Peluquero", "Np e"})
        EXPECT_FALSE(filter.passes(QString::fromUtf8(refused))) << refused;
    EXPECT_TRUE(AccentFilter(u"  "_s).passes(u"Cualquiera"_s));
    EXPECT_TRUE(AccentFilter(u"(a"_s).passes(u"x(Á"_s)) << "characters of the person's text are not pattern syntax";

    // The panel's description filter reloads the list through it.
    for (const auto& [number, description] : {std::pair{1, u"Peón"_s}, std::pair{2, u"Capataz"_s},
                                              std::pair{3, u"PEÓN"_s}, std::pair{4, u"pension"_s}})
        addCategory(number, description);
    WorkPanelDecl filtered = WCATEGOR();
    filtered.filterField = u"CatDesc"_s;
    auto panel = openPanel(filtered);
    EXPECT_EQ(panel->rowCount(), 4);
    panel->setDescriptionFilter(u"pe n"_s);
    EXPECT_EQ(column(*panel, 1), (QStringList{u"Peón"_s, u"PEÓN"_s, u"pension"_s}));
    panel->setDescriptionFilter(QString());
    EXPECT_EQ(panel->rowCount(), 4);
}

TEST_F(WorkPanelTest, AddAndModifyGoThroughTheTransaction)
{
    addCategory(5, u"Peones"_s);
    auto panel = openPanel(WCATEGOR());
    ASSERT_TRUE(panel->addEnabled());

    runCategoriesFormWith([](Transaction& form) {
        form.setText(1, u"3"_s);
        form.focusEntered(2);
        form.setText(2, u"Aprendices"_s);
        form.confirm();
    });
    panel->add();
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TCATEGOR"_s});
    EXPECT_EQ(column(*panel, 1), (QStringList{u"Aprendices"_s, u"Peones"_s}));

    QStringList calls;
    ui.onCall(u"TCATEGOR"_s, [&](QString& key, QString& mode) {
        calls << key + u' ' + mode;
        mode = u"UPD"_s;
    });
    panel->modify({0, 1});
    EXPECT_EQ(calls, (QStringList{u"3 UPD"_s, u"5 UPD"_s}));
    EXPECT_EQ(panel->keyAt(1), u"5"_s);
}

TEST_F(WorkPanelTest, DeleteProtectsTheDefaultCategoryOnly)
{
    addCategory(5, u"Peones"_s);
    addCategory(6, u"Oficiales"_s);
    setParameterNumber(u"Default"_s, u"Categoria"_s, 5);
    // The default position is a position number, not a category.
    setParameterNumber(u"Default"_s, u"Cargo"_s, 6);
    auto panel = openPanel(WCATEGOR());

    panel->remove({0});
    EXPECT_EQ(ui.messages(MessageIcon::Information),
              QStringList{u"No se puede eliminar la categoría, utilizada en preferencias del funcionario"_s});
    EXPECT_TRUE(ui.calledObjects().isEmpty()) << "no transaction is opened";

    ui.clear();
    ui.answer(true);
    runCategoriesFormWith([](Transaction&) {});
    panel->setCurrentRow(1);
    panel->remove({});
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TCATEGOR"_s});
    EXPECT_EQ(categoryDescription(6), u"<ninguna>"_s);
    EXPECT_EQ(column(*panel, 1), QStringList{u"Peones"_s});
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina categoría 6"_s});
}

TEST_F(WorkPanelTest, WithoutPermissionAddAndDeleteDoNothingButModifyOpens)
{
    addCategory(5, u"Peones"_s);
    VBGlob::put(u"Permisos"_s, u"MMMMMMMSM"_s);
    auto panel = openPanel(WCATEGOR());
    EXPECT_FALSE(panel->addEnabled());
    EXPECT_FALSE(panel->deleteEnabled());
    ui.onCall(u"TCATEGOR"_s, [](QString&, QString&) {});
    panel->add();
    panel->remove({0});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    panel->modify({0});
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TCATEGOR"_s});
}

TEST_F(WorkPanelTest, PrintCallsTheListing)
{
    auto panel = openPanel(WCATEGOR());
    panel->print();
    EXPECT_EQ(ui.calledObjects(), QStringList{u"RCATEGOR"_s});
}

TEST_F(WorkPanelTest, SelectionPromptHandsBackTheChosenKeyOrTheOnePassedIn)
{
    // The run types "X" and "T" come with every new database.
    std::unique_ptr<WorkPanel> prompt = ObjectRegistry::createWorkPanel(u"wkq00s0"_s, *database, ui, *work);
    ASSERT_TRUE(prompt);
    ASSERT_FALSE(prompt->open(u"X"_s));
    ASSERT_EQ(prompt->rowCount(), 2);
    EXPECT_EQ(prompt->keyAt(0), u"T"_s);
    prompt->close();
    EXPECT_EQ(prompt->result(), u"X"_s);

    auto chosen = openPanel(WKQ00S0(), u"X"_s);
    chosen->confirmSelection(0);
    EXPECT_EQ(chosen->result(), u"T"_s);
    EXPECT_FALSE(chosen->isOpen());
}

TEST_F(WorkPanelTest, RegistryKnowsEveryFormListAndPromptByName)
{
    for (const char* name :
         {"TCATEGOR", "WCATEGOR", "TBANCOST", "WBANCOST", "TCARGO",   "WCARGOS",  "TCENTROC", "WCENTROS", "THORARIO",
          "WHORARIO", "TLUGARTR", "WLUGARST", "TLUGARCO", "WLUGARSC", "TBILLETE", "WBILLETE", "TCODIGO",  "WCODIGOS",
          "TRUBRO",   "WRUBROS",  "TREFAUXI", "WREFAUXI", "WKQ00A0",  "WKQ00I0",  "WKQ00L0",  "WKQ00N0",  "WKQ00S0"}) {
        const QString object = QString::fromLatin1(name);
        const bool found = object.startsWith(u'T') ? ObjectRegistry::transaction(object) != nullptr
                                                   : ObjectRegistry::workPanel(object) != nullptr;
        EXPECT_TRUE(found) << name;
    }
    EXPECT_EQ(ObjectRegistry::createTransaction(u"TNOEXISTE"_s, *database, ui), nullptr);
    EXPECT_EQ(ObjectRegistry::workPanel(u"TCATEGOR"_s), nullptr);
}

}  // namespace

TEST_F(WorkPanelTest, TheWaitEndsOnEveryWayOutOfALoadAndBeforeItsFailureIsShown)
{
    for (int number = 1; number <= 3; ++number)
        addCategory(number, u"Categoría %1"_s.arg(number));
    auto panel = openPanel(WCATEGOR());
    EXPECT_GT(ui.waitsBegun(), 0) << "opening loads under the wait cursor";
    EXPECT_EQ(ui.waitsOpen(), 0);
    ASSERT_EQ(panel->rowCount(), 3);

    // The table goes away under the open panel: the reload fails, says so
    // once the wait is over, and leaves no wait behind.
    QSqlQuery drop(database->connection());
    ASSERT_TRUE(drop.exec(sql(u"DROP TABLE [CATEGORI]"_s))) << drop.lastError().text().toStdString();
    ui.clear();
    panel->refresh();
    EXPECT_GT(ui.waitsBegun(), 0);
    EXPECT_EQ(ui.waitsOpen(), 0);
    ASSERT_EQ(ui.shown().size(), 1) << ui.texts().join('|').toStdString();
    EXPECT_EQ(ui.shown().first().waitsOpen, 0) << "the message shows the ordinary pointer";

    // Opening on the missing table fails the same way.
    ui.clear();
    WorkPanel another(WCATEGOR(), *database, ui, *work);
    EXPECT_TRUE(another.open());
    EXPECT_GT(ui.waitsBegun(), 0);
    EXPECT_EQ(ui.waitsOpen(), 0);
}
