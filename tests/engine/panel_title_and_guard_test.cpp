// Work panels whose title follows the data (WREFAUXI) and whose Add and
// Delete stop while their tables are copied automatically (WRUBROS).
#include "tables/auxiliary_references.h"
#include "tables/headings.h"

#include "organisation_tables_fixture.h"

namespace {

class PanelTitleAndGuardTest : public OrganisationTableTest {};

TEST_F(PanelTitleAndGuardTest, AuxiliaryReferencesPanelCarriesTheEmployersNameForTheReference)
{
    // Which names count is the title function's (AuxiliaryReferencesTest);
    // the panel reads it at every opening.
    EXPECT_EQ(openPanel(WREFAUXI())->title(), QStringLiteral("Referencias auxiliares"));
    setParameterText(QStringLiteral("Configur"), QStringLiteral("RefAux"), QStringLiteral("Obra"));
    EXPECT_EQ(openPanel(WREFAUXI())->title(), QStringLiteral("Obra - Referencias auxiliares"));
    EXPECT_EQ(WREFAUXI().title, QStringLiteral("Referencias auxiliares")) << "the declaration keeps its own title";
}

TEST_F(PanelTitleAndGuardTest, HeadingsPanelRefusesAddAndDeleteWhileTheHeadingsAreCopied)
{
    addRow(QStringLiteral("RUBROS"), {{QStringLiteral("RubId"), 52110}, {QStringLiteral("RubDesc"), QStringLiteral("Sueldos")},
                                      {QStringLiteral("RubMon"), 1}});
    ui.onCall(QStringLiteral("TRUBRO"), [](QString&, QString&) {});
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Rub"), QStringLiteral("S"));
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral(" S "));
    auto copied = openPanel(WRUBROS());
    copied->add();
    copied->remove({0});
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              (QStringList{QStringLiteral("Esta tabla se copia automáticamente"),
                           QStringLiteral("Esta tabla se copia automáticamente")}));
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    copied->modify({0});
    EXPECT_EQ(ui.calledObjects(), QStringList{QStringLiteral("TRUBRO")}) << "the form guards its own Confirm";

    // The switches are read when the panel opens; the group alone does not stop it.
    setParameterText(QStringLiteral("SincroAuto"), QStringLiteral("Hay"), QStringLiteral("N"));
    copied->add();
    EXPECT_EQ(ui.calledObjects().size(), 1);
    ui.clear();
    auto free = openPanel(WRUBROS());
    free->add();
    free->remove({0});
    EXPECT_EQ(ui.calledObjects(), (QStringList{QStringLiteral("TRUBRO"), QStringLiteral("TRUBRO")}));
    EXPECT_TRUE(ui.texts().isEmpty());
}

}  // namespace
