// A form that reads its record and lines again after another object changed
// them: what was typed goes, what the tables hold now is shown, and a later
// Confirm does not take the other object's change for another user's.
#include "concept_shaped_form.h"

#include "engine/lines.h"
#include "engine/transaction.h"

#include "organisation_tables_fixture.h"

namespace {

using namespace Qt::StringLiterals;

class RereadRecordTest : public OrganisationTableTest {};

TEST_F(RereadRecordTest, TheRecordAndItsLinesAreReadAgainAndCanBeConfirmedAfterwards)
{
    addRow(u"ASIENTO"_s, {{u"AsiId"_s, 7}, {u"AsiDesc"_s, u"Sueldos"_s}});
    addRow(u"ASIENTO1"_s, {{u"AsiId"_s, 7}, {u"AsiLin"_s, 1}, {u"AsiDH"_s, u"D"_s}});
    auto form = open(entryShapedForm(), u"7"_s, u"UPD"_s);
    ASSERT_EQ(form->lines()->rowCount(), 1);
    form->lines()->addLine();

    // Another object changes the header and adds a line.
    execute(u"UPDATE ASIENTO SET AsiDesc = 'Sueldos del mes' WHERE AsiId = 7"_s);
    addRow(u"ASIENTO1"_s, {{u"AsiId"_s, 7}, {u"AsiLin"_s, 2}, {u"AsiDH"_s, u"H"_s}});
    form->rereadRecord();
    EXPECT_EQ(form->text(u"AsiDesc"_s), u"Sueldos del mes"_s);
    ASSERT_EQ(form->lines()->rowCount(), 2) << "the typed line went, the stored one came";
    EXPECT_EQ(form->lines()->text(1, 1), u"H"_s);
    EXPECT_FALSE(form->lines()->pending());

    ASSERT_TRUE(form->setText(u"AsiDesc"_s, u"Sueldos de enero"_s));
    ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"ASIENTO"_s, u"AsiDesc"_s, u"AsiId = 7"_s).toString(), u"Sueldos de enero"_s);
}

}  // namespace
