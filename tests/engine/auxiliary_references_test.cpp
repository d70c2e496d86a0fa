// TREFAUXI: the employer's own name for the reference in the title, and a
// delete that leaves no audit entry.
#include "tables/auxiliary_references.h"

#include "organisation_tables_fixture.h"

namespace {

class AuxiliaryReferencesTest : public OrganisationTableTest {};

TEST_F(AuxiliaryReferencesTest, TheEmployersNameForTheReferencePrecedesTheTitle)
{
    const QString plain = QStringLiteral("Referencia auxiliar");
    EXPECT_EQ(auxiliaryReferenceTitle(*database, plain), plain) << "no parameter row";

    setParameterText(QStringLiteral("Configur"), QStringLiteral("RefAux"), QStringLiteral("referencia"));
    EXPECT_EQ(auxiliaryReferenceTitle(*database, plain), plain) << "the usual name in any case";
    setParameterText(QStringLiteral("Configur"), QStringLiteral("RefAux"), QStringLiteral("   "));
    EXPECT_EQ(auxiliaryReferenceTitle(*database, plain), plain);

    setParameterText(QStringLiteral("Configur"), QStringLiteral("RefAux"), QStringLiteral("Obra"));
    auto form = open(TREFAUXI(), QString(), QStringLiteral("INS"));
    EXPECT_EQ(form->title(), QStringLiteral("Obra - Referencia auxiliar"));
    form->close();

    // Read again at every start.
    setParameterText(QStringLiteral("Configur"), QStringLiteral("RefAux"), QStringLiteral("REFERENCIA"));
    EXPECT_EQ(open(TREFAUXI(), QString(), QStringLiteral("INS"))->title(), plain);
    EXPECT_EQ(TREFAUXI().title, plain) << "the declaration keeps its own title";
}

TEST_F(AuxiliaryReferencesTest, DeleteChecksTheExactCodeAndWritesNoAuditEntry)
{
    addRow(QStringLiteral("REFAUXIL"), {{QStringLiteral("RefAuxId"), QStringLiteral("ANDA")},
                                        {QStringLiteral("RefAuxDesc"), QStringLiteral("Préstamo ANDA")}});
    addRow(QStringLiteral("REFAUXIL"), {{QStringLiteral("RefAuxId"), QStringLiteral("ANDA-2")},
                                        {QStringLiteral("RefAuxDesc"), QStringLiteral("Préstamo ANDA 2")}});
    addRow(QStringLiteral("MOVIMIEN"), {{QStringLiteral("MovId"), 1},
                                        {QStringLiteral("MovRefAuxi"), QStringLiteral("ANDA-2")}});

    removeThrough(TREFAUXI(), QStringLiteral("ANDA-2"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("Eliminación inválida, hay información en \"Movimientos\".")});

    // A longer code in use that begins with this one does not hold it.
    ui.clear();
    removeThrough(TREFAUXI(), QStringLiteral("ANDA"));
    EXPECT_EQ(ui.texts(), QStringList{QStringLiteral("¿Realmente desea eliminar estos datos? ")});
    EXPECT_EQ(countRows(QStringLiteral("REFAUXIL")), 1);
    EXPECT_EQ(countRows(QStringLiteral("AUDITORI")), 0);
}

}  // namespace
