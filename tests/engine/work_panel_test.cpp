#include "engine/accent_filter.h"
#include "engine/object_registry.h"
#include "engine/work_panel.h"
#include "payroll/concepts.h"
#include "payroll/liquidation_types.h"
#include "tables/categories.h"

#include <QSqlError>
#include <QSqlQuery>

#include "organisation_tables_fixture.h"

namespace {

class WorkPanelTest : public OrganisationTableTest {
protected:
    /// TCATEGOR as the window runs it when the panel calls it.
    void runCategoriesFormWith(std::function<void(Transaction&)> person)
    {
        ui.onCall(QStringLiteral("TCATEGOR"), [this, person](QString& key, QString& mode) {
            std::unique_ptr<Transaction> form = ObjectRegistry::createTransaction(QStringLiteral("TCATEGOR"), *database, ui);
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
        addCategory(number, QStringLiteral("Categoría %1").arg(number));
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

    EXPECT_EQ(panel->cellText(0, 0), QStringLiteral("  1"));
    EXPECT_EQ(panel->cellText(99, 1), QStringLiteral("Categoría 100"));
    EXPECT_EQ(panel->cellText(100, 1), QStringLiteral("Categoría 101"));
    EXPECT_EQ(panel->keyAt(249), QStringLiteral("250"));
    EXPECT_EQ(panel->cellText(250, 1), QString()) << "past the loaded rows";

    panel->refresh();
    EXPECT_EQ(panel->rowCount(), 100) << "a reload starts again with one page";
}

TEST_F(WorkPanelTest, AccentFilterLetsAccentedAndPlainVowelsPass)
{
    EXPECT_EQ(accentPattern(QStringLiteral("pe n")), QStringLiteral("P[EÉÈ]%N"));
    EXPECT_EQ(accentPattern(QStringLiteral("Áu")), QStringLiteral("[AÁÀ][UÚÙ]"));

    const AccentFilter filter(QStringLiteral("pe n"));
    for (const char* passes : {"Peón", "PEÓN", "pension", "Ayudante de peón", "PÈON"})
        EXPECT_TRUE(filter.passes(QString::fromUtf8(passes))) << passes;
    for (const char* refused : {"Capataz", "Pintor", "Peluquero", "Np e"})
        EXPECT_FALSE(filter.passes(QString::fromUtf8(refused))) << refused;
    EXPECT_TRUE(AccentFilter(QStringLiteral("  ")).passes(QStringLiteral("Cualquiera")));
    EXPECT_TRUE(AccentFilter(QStringLiteral("(a")).passes(QStringLiteral("x(Á")))
        << "characters of the person's text are not pattern syntax";
}

TEST_F(WorkPanelTest, DescriptionFilterReloadsTheList)
{
    addCategory(1, QStringLiteral("Peón"));
    addCategory(2, QStringLiteral("Capataz"));
    addCategory(3, QStringLiteral("PEÓN"));
    addCategory(4, QStringLiteral("pension"));
    WorkPanelDecl filtered = WCATEGOR();
    filtered.filterField = QStringLiteral("CatDesc");

    auto panel = openPanel(filtered);
    EXPECT_EQ(panel->rowCount(), 4);
    panel->setDescriptionFilter(QStringLiteral("pe n"));
    EXPECT_EQ(column(*panel, 1), (QStringList{QStringLiteral("Peón"), QStringLiteral("PEÓN"),
                                                      QStringLiteral("pension")}));
    panel->setDescriptionFilter(QString());
    EXPECT_EQ(panel->rowCount(), 4);
}

TEST_F(WorkPanelTest, AddAndModifyGoThroughTheTransaction)
{
    addCategory(5, QStringLiteral("Peones"));
    auto panel = openPanel(WCATEGOR());
    ASSERT_TRUE(panel->addEnabled());

    runCategoriesFormWith([](Transaction& form) {
        form.setText(1, QStringLiteral("3"));
        form.focusEntered(2);
        form.setText(2, QStringLiteral("Aprendices"));
        form.confirm();
    });
    panel->add();
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("TCATEGOR")});
    EXPECT_EQ(column(*panel, 1), (QStringList{QStringLiteral("Aprendices"), QStringLiteral("Peones")}));

    QStringList calls;
    ui.onCall(QStringLiteral("TCATEGOR"), [&](QString& key, QString& mode) {
        calls << key + u' ' + mode;
        mode = QStringLiteral("UPD");
    });
    panel->modify({0, 1});
    EXPECT_EQ(calls, (QStringList{QStringLiteral("3 UPD"), QStringLiteral("5 UPD")}));
    EXPECT_EQ(panel->keyAt(1), QStringLiteral("5"));
}

TEST_F(WorkPanelTest, DeleteProtectsTheDefaultCategoryOnly)
{
    addCategory(5, QStringLiteral("Peones"));
    addCategory(6, QStringLiteral("Oficiales"));
    setParameterNumber(QStringLiteral("Default"), QStringLiteral("Categoria"), 5);
    // The default position is a position number, not a category.
    setParameterNumber(QStringLiteral("Default"), QStringLiteral("Cargo"), 6);
    auto panel = openPanel(WCATEGOR());

    panel->remove({0});
    EXPECT_EQ(ui.messages(MessageIcon::Information),
              QStringList{QStringLiteral("No se puede eliminar la categoría, utilizada en preferencias del funcionario")});
    EXPECT_TRUE(ui.calledObjects().isEmpty()) << "no transaction is opened";

    ui.clear();
    ui.answer(true);
    runCategoriesFormWith([](Transaction&) {});
    panel->setCurrentRow(1);
    panel->remove({});
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("TCATEGOR")});
    EXPECT_EQ(categoryDescription(6), QStringLiteral("<ninguna>"));
    EXPECT_EQ(column(*panel, 1), QStringList{QStringLiteral("Peones")});
    EXPECT_EQ(auditTexts(), QStringList{QStringLiteral("Elimina categoría 6")});
}

TEST_F(WorkPanelTest, WithoutPermissionAddAndDeleteDoNothingButModifyOpens)
{
    addCategory(5, QStringLiteral("Peones"));
    VBGlob::put(QStringLiteral("Permisos"), QStringLiteral("MMMMMMMSM"));
    auto panel = openPanel(WCATEGOR());
    EXPECT_FALSE(panel->addEnabled());
    EXPECT_FALSE(panel->deleteEnabled());
    ui.onCall(QStringLiteral("TCATEGOR"), [](QString&, QString&) {});
    panel->add();
    panel->remove({0});
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    panel->modify({0});
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("TCATEGOR")});
}

TEST_F(WorkPanelTest, PrintCallsTheListing)
{
    auto panel = openPanel(WCATEGOR());
    panel->print();
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("RCATEGOR")});
}

TEST_F(WorkPanelTest, SelectionPromptHandsBackTheChosenKeyOrTheOnePassedIn)
{
    // The run types "X" and "T" come with every new database.
    std::unique_ptr<WorkPanel> prompt =
        ObjectRegistry::createWorkPanel(QStringLiteral("wkq00s0"), *database, ui, *work);
    ASSERT_TRUE(prompt);
    ASSERT_FALSE(prompt->open(QStringLiteral("X")));
    ASSERT_EQ(prompt->rowCount(), 2);
    EXPECT_EQ(prompt->keyAt(0), QStringLiteral("T"));
    prompt->close();
    EXPECT_EQ(prompt->result(), QStringLiteral("X"));

    auto chosen = openPanel(WKQ00S0(), QStringLiteral("X"));
    chosen->confirmSelection(0);
    EXPECT_EQ(chosen->result(), QStringLiteral("T"));
    EXPECT_FALSE(chosen->isOpen());
}

TEST_F(WorkPanelTest, RegistryKnowsMembersAndPrompts)
{
    for (const char* name : {"TCATEGOR", "WCATEGOR", "WKQ00A0", "WKQ00I0", "WKQ00L0", "WKQ00N0", "WKQ00S0"})
        EXPECT_TRUE(ObjectRegistry::names().contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(ObjectRegistry::createTransaction(QStringLiteral("TNOEXISTE"), *database, ui), nullptr);
    EXPECT_EQ(ObjectRegistry::workPanel(QStringLiteral("TCATEGOR")), nullptr);
}

TEST_F(WorkPanelTest, ConceptPromptFiltersByNumberGroupAndActivity)
{
    auto addConcept = [&](int number, const QString& description, const QString& group, int active) {
        QString error;
        ASSERT_TRUE(insertRow(*database, QStringLiteral("CONCEPT"),
                              {{QStringLiteral("ConId"), number}, {QStringLiteral("ConDesc"), description},
                               {QStringLiteral("ConGrupo"), group}, {QStringLiteral("ConActivo"), active},
                               {QStringLiteral("ConTipo"), 2}},
                              &error))
            << error.toStdString();
    };
    addConcept(10, QStringLiteral("Sueldo"), QStringLiteral("SUE"), 1);
    addConcept(20, QStringLiteral("Jornal"), QStringLiteral("SUE"), 0);
    addConcept(30, QStringLiteral("Aporte jubilatorio"), QStringLiteral("APO"), 1);

    auto prompt = openPanel(WKQ00N0());
    EXPECT_EQ(column(*prompt, 1), (QStringList{QStringLiteral("Sueldo"), QStringLiteral("Aporte jubilatorio")}));
    EXPECT_EQ(prompt->cellText(0, 2), QStringLiteral("Descuento de ley"));
    prompt->setFilterValue(QStringLiteral("Inactivos"), QStringLiteral("S"));
    EXPECT_EQ(prompt->rowCount(), 3);
    prompt->setFilterValue(QStringLiteral("Desde"), QStringLiteral("15"));
    prompt->setFilterValue(QStringLiteral("Grupo"), QStringLiteral("sue"));
    EXPECT_EQ(column(*prompt, 1), QStringList{QStringLiteral("Jornal")});
}

}  // namespace

TEST_F(WorkPanelTest, TheWaitEndsOnEveryWayOutOfALoadAndBeforeItsFailureIsShown)
{
    for (int number = 1; number <= 3; ++number)
        addCategory(number, QStringLiteral("Categoría %1").arg(number));
    auto panel = openPanel(WCATEGOR());
    EXPECT_GT(ui.waitsBegun(), 0) << "opening loads under the wait cursor";
    EXPECT_EQ(ui.waitsOpen(), 0);
    ASSERT_EQ(panel->rowCount(), 3);

    // The table goes away under the open panel: the reload fails, says so
    // once the wait is over, and leaves no wait behind.
    QSqlQuery drop(database->connection());
    ASSERT_TRUE(drop.exec(sql(QStringLiteral("DROP TABLE [CATEGORI]")))) << drop.lastError().text().toStdString();
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
