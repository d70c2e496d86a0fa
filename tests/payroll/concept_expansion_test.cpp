// TCONCEP2: the concepts a concept expands into, written with the concept's
// flag in one database transaction, one audit entry per row.
#include "payroll/concept_expansion.h"

#include "engine/lines.h"
#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

class ConceptExpansionTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        // "M" at position 7: may change concepts.
        VBGlob::put(u"Permisos"_s, u"SSSSSSMMS"_s);
        for (const auto& [code, description] : QList<std::pair<int, QString>>{
                 {10, u"Sueldo"_s}, {20, u"Aguinaldo"_s}, {30, u"Salario vacacional"_s}}) {
            addRow(u"CONCEPT"_s, {{u"ConId"_s, code}, {u"ConDesc"_s, description}, {u"ConExpande"_s, u"N"_s},
                                  {u"ConActivo"_s, 1}});
        }
    }

    static LineTable& linesOf(Transaction& form)
    {
        LineTable* lines = LineTable::of(form);
        EXPECT_NE(lines, nullptr);
        return *lines;
    }

    /// Opens concept `concept`'s expansion, adds the codes and confirms.
    bool expand(int code, const QStringList& codes)
    {
        auto form = open(TCONCEP2(), QString::number(code), u"UPD"_s);
        LineTable& lines = linesOf(*form);
        for (const QString& code : codes)
            lines.setText(lines.addLine(), 0, code);
        return form->confirm();
    }

    QString expande(int code)
    {
        return fieldOf(u"CONCEPT"_s, u"ConExpande"_s, u"ConId = "_s + QString::number(code)).toString();
    }

    int expansionRows() { return countRows(u"CONCEPT2"_s); }
};

TEST_F(ConceptExpansionTest, ExpandingTwiceIsRefusedAndTheExpandedConceptIsUsed)
{
    ASSERT_TRUE(expand(10, {u"20"_s})) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(expande(10), u"S"_s);
    EXPECT_EQ(auditEntries().last(), u"Agrega concepto expande = 20 al concepto = 10"_s);
    EXPECT_TRUE(conceptUsedByOtherConcepts(*database, 20));
    EXPECT_FALSE(conceptUsedByOtherConcepts(*database, 10));

    ui.clear();
    EXPECT_FALSE(expand(10, {u"20"_s}));
    EXPECT_EQ(ui.texts(), QStringList{u"Ya existe el registro"_s});
    EXPECT_EQ(expansionRows(), 1);

    ui.clear();
    EXPECT_FALSE(expand(10, {u"999"_s}));
    EXPECT_EQ(ui.texts(), QStringList{u"Concepto inexistente"_s});
    ui.clear();
    EXPECT_FALSE(expand(10, {u"10"_s}));
    EXPECT_EQ(ui.texts(), QStringList{u"Un concepto no puede expandirse en sí mismo"_s});
    EXPECT_EQ(expansionRows(), 1);
}

TEST_F(ConceptExpansionTest, TheGridShowsDescriptionsAndRemovedRowsClearTheFlag)
{
    ASSERT_TRUE(expand(10, {u"20"_s, u"30"_s})) << ui.texts().join(u'|').toStdString();
    auto form = open(TCONCEP2(), u"10"_s, u"UPD"_s);
    LineTable& lines = linesOf(*form);
    ASSERT_EQ(lines.rowCount(), 2);
    EXPECT_EQ(lines.text(1, 1), u"Salario vacacional"_s);
    EXPECT_FALSE(lines.setText(1, 1, u"otra"_s));

    lines.markForDeletion(0);
    ui.answer(true);
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(expande(10), u"S"_s);
    EXPECT_EQ(auditEntries().last(), u"Elimina concepto expande = 20 al concepto = 10"_s);
    EXPECT_FALSE(conceptUsedByOtherConcepts(*database, 20));

    // "&Eliminar" asks once and takes every row.
    auto again = open(TCONCEP2(), u"10"_s, u"UPD"_s);
    ui.clear();
    ui.answer(true);
    ASSERT_TRUE(again->press(u"Eliminar"_s));
    EXPECT_EQ(ui.texts(), QStringList{u"Eliminar toda la información en Conceptos?"_s});
    EXPECT_EQ(expansionRows(), 0);
    EXPECT_EQ(expande(10), u"N"_s);
    EXPECT_EQ(linesOf(*again).rowCount(), 0);
    EXPECT_EQ(auditEntries().last(), u"Elimina concepto expande = 30 al concepto = 10"_s);
}

}  // namespace
