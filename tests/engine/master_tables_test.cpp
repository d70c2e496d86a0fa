// The small organisation tables (banks, banknotes, cost centres, headings,
// places of payment and of work, auxiliary references): what each one writes
// and audits, which uses refuse a delete, as tables of cases run through the
// forms; the reference's title and the headings list's copy guard.
#include "tables/auxiliary_references.h"
#include "tables/banknotes.h"
#include "tables/banks.h"
#include "tables/cost_centres.h"
#include "tables/headings.h"
#include "tables/places_of_payment.h"
#include "tables/places_of_work.h"

#include "organisation_tables_fixture.h"
#include "support/pencript.h"

using namespace Qt::StringLiterals;

namespace {

using Typed = QList<std::pair<int, QString>>;

class MasterTablesTest : public OrganisationTableTest {
protected:
    /// Opens `form` on `key` in `mode`, types `typed` (position, text) in
    /// order, leaving the key first in a new record, and confirms.
    bool write(const TransactionDecl& form, const QString& key, const QString& mode, const Typed& typed)
    {
        auto running = open(form, key, mode);
        for (const auto& [position, text] : typed) {
            EXPECT_TRUE(running->setText(position, text)) << position;
            if (position == 1) {
                EXPECT_TRUE(running->focusEntered(2));
            }
        }
        return running->confirm();
    }

    static QString refusal(const QString& table)
    {
        return u"Eliminación inválida, hay información en \""_s + table + u"\"."_s;
    }
};

TEST_F(MasterTablesTest, EachFormWritesItsRowAndItsAuditSentence)
{
    addRow(u"LUGARCOB"_s, {{u"CobId"_s, 2}, {u"CobDesc"_s, u"Obra Ciudad Vieja"_s}, {u"LugEnsob"_s, u"OCV"_s}});
    const struct {
        const TransactionDecl& form;
        QString key;
        QString mode;
        Typed typed;
        QString table, field, where, stored;
        QString audit;
    } cases[] = {
        // The key is upper-cased; the description may stay empty.
        {TCENTROC(),
         {},
         u"INS"_s,
         {{1, u"obra-punta"_s}, {3, u"6220"_s}},
         u"CENTROCO"_s,
         u"CCIdExt"_s,
         u"CCId = 'OBRA-PUNTA'"_s,
         u"6220"_s,
         u"Agrega centro de costo OBRA-PUNTA, centro de costo externo = 6220"_s},
        // Fifteen digits, stored and audited whole.
        {TRUBRO(),
         u"0"_s,
         u"INS"_s,
         {{1, u"123456789012345"_s}, {2, u"Sueldos"_s}, {3, u"1"_s}, {4, u"5.2.1.1"_s}},
         u"RUBROS"_s,
         u"RubDesc"_s,
         u"RubId = 123456789012345"_s,
         u"Sueldos"_s,
         u"Agrega rubro 123456789012345, descripción = Sueldos, moneda = 1, rubro externo = 5.2.1.1"_s},
        // A modify without change names the key alone; a changed field alone is named.
        {TLUGARCO(),
         u"2"_s,
         u"UPD"_s,
         {},
         u"LUGARCOB"_s,
         u"LugEnsob"_s,
         u"CobId = 2"_s,
         u"OCV"_s,
         u"Modifica lugar de cobro 2"_s},
        {TLUGARCO(),
         u"2"_s,
         u"UPD"_s,
         {{3, u"ofc"_s}},
         u"LUGARCOB"_s,
         u"LugEnsob"_s,
         u"CobId = 2"_s,
         u"OFC"_s,
         u"Modifica lugar de cobro 2, lugar de ensobrado = OFC"_s},
        {TLUGARTR(),
         u"0"_s,
         u"INS"_s,
         {{1, u"5"_s}, {2, u"Obra Carrasco"_s}},
         u"LUGARTRA"_s,
         u"TraDesc"_s,
         u"TraId = 5"_s,
         u"Obra Carrasco"_s,
         u"Agrega lugar de trabajo 5, descripción = Obra Carrasco"_s},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.audit.toStdString());
        ui.clear();
        const qsizetype before = auditTexts().size();
        ASSERT_TRUE(write(entry.form, entry.key, entry.mode, entry.typed)) << ui.texts().join(u'|').toStdString();
        EXPECT_TRUE(ui.messages(MessageIcon::Exclamation).isEmpty()) << ui.texts().join(u'|').toStdString();
        EXPECT_EQ(fieldOf(entry.table, entry.field, entry.where).toString(), entry.stored);
        EXPECT_EQ(auditTexts().mid(before), QStringList{entry.audit});
    }
}

TEST_F(MasterTablesTest, AHeadingNeedsItsCurrency)
{
    auto form = open(TRUBRO(), u"0"_s, u"INS"_s);
    ASSERT_TRUE(form->setText(1, u"52110"_s));
    ASSERT_TRUE(form->focusEntered(2));
    form->setText(2, u"Sueldos"_s);
    EXPECT_FALSE(form->confirm());
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation), QStringList{u"Falta moneda"_s});
    EXPECT_EQ(form->takeFocusRequest(), 3);
    EXPECT_EQ(countRows(u"RUBROS"_s), 0);
}

TEST_F(MasterTablesTest, BanksHaveNoSynchronisationGroupAndNoAudit)
{
    // Every group copied automatically: banks have no group of their own.
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, QString(), u"S"_s);
    ASSERT_TRUE(write(TBANCOST(), u"0"_s, u"INS"_s, {{1, u"7"_s}, {2, u"Banco Itaú"_s}, {3, u"ITAUUYMM"_s}}))
        << ui.texts().join(u'|').toStdString();
    ASSERT_TRUE(write(TBANCOST(), u"7"_s, u"UPD"_s, {{2, u"Banco Itaú Uruguay"_s}}));
    EXPECT_EQ(fieldOf(u"BANCOSTR"_s, u"BanDscTR"_s, u"BanIdTR = 7"_s).toString(), u"Banco Itaú Uruguay"_s);
    EXPECT_EQ(fieldOf(u"BANCOSTR"_s, u"BanBIC"_s, u"BanIdTR = 7"_s).toString(), u"ITAUUYMM"_s);

    removeThrough(TBANCOST(), u"7"_s);
    EXPECT_EQ(ui.texts(), QStringList{u"¿Realmente desea eliminar estos datos? "_s});
    EXPECT_EQ(countRows(u"BANCOSTR"_s), 0);
    EXPECT_EQ(countRows(u"AUDITORI"_s), 0);
}

TEST_F(MasterTablesTest, ADeleteIsRefusedWhileAnotherTableUsesTheKey)
{
    for (const QString& code : {u"OBRA"_s, u"OBRA-PUNTA"_s})
        addRow(u"CENTROCO"_s, {{u"CCId"_s, code}, {u"CCDesc"_s, u"Obra"_s}});
    addRow(u"CARGOSCC"_s, {{u"FunId"_s, 100}, {u"FunAL"_s, 1}, {u"FunCCId"_s, u"OBRA-PUNTA"_s}});
    addRow(u"RUBROS"_s, {{u"RubId"_s, 52110}, {u"RubDesc"_s, u"Sueldos"_s}, {u"RubMon"_s, 1}});
    addRow(u"ASIENTO1"_s, {{u"AsiId"_s, 1}, {u"AsiLin"_s, 1}, {u"RubId"_s, 52110}});
    // Place 2 is used by the history and by an employee: the history is named first.
    for (int place : {2, 3})
        addRow(u"LUGARCOB"_s, {{u"CobId"_s, place}, {u"CobDesc"_s, u"Obra"_s}});
    addRow(u"FUNCIONA"_s, {{u"FunId"_s, 100}, {u"FunCobId"_s, 2}});
    addRow(u"FUNCIONA"_s, {{u"FunId"_s, 101}, {u"FunCobId"_s, 3}});
    addRow(u"HISTORIA"_s, {{u"FunId"_s, 100}, {u"HCorLiq"_s, 1}, {u"HCorLin"_s, 1}, {u"HCobId"_s, 2}});
    for (const QString& code : {u"ANDA"_s, u"ANDA-2"_s})
        addRow(u"REFAUXIL"_s, {{u"RefAuxId"_s, code}, {u"RefAuxDesc"_s, u"Préstamo "_s + code}});
    addRow(u"MOVIMIEN"_s, {{u"MovId"_s, 1}, {u"MovRefAuxi"_s, u"ANDA-2"_s}});

    const QString question = u"¿Realmente desea eliminar estos datos? "_s;
    const struct {
        const TransactionDecl& form;
        QString key;
        QString shown;
        QString table, where;
    } cases[] = {
        {TCENTROC(), u"OBRA-PUNTA"_s, refusal(u"Centro de costos Funcionario"_s), u"CENTROCO"_s,
         u"CCId = 'OBRA-PUNTA'"_s},
        // Only the key itself counts, not one that starts like it.
        {TCENTROC(), u"OBRA"_s, question, u"CENTROCO"_s, u"CCId = 'OBRA'"_s},
        {TRUBRO(), u"52110"_s, refusal(u"Asiento1"_s), u"RUBROS"_s, u"RubId = 52110"_s},
        {TLUGARCO(), u"2"_s, refusal(u"Historia"_s), u"LUGARCOB"_s, u"CobId = 2"_s},
        {TLUGARCO(), u"3"_s, refusal(u"Funcionarios"_s), u"LUGARCOB"_s, u"CobId = 3"_s},
        {TREFAUXI(), u"ANDA-2"_s, refusal(u"Movimientos"_s), u"REFAUXIL"_s, u"RefAuxId = 'ANDA-2'"_s},
        {TREFAUXI(), u"ANDA"_s, question, u"REFAUXIL"_s, u"RefAuxId = 'ANDA'"_s},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.where.toStdString());
        ui.clear();
        removeThrough(entry.form, entry.key);
        EXPECT_EQ(ui.texts(), QStringList{entry.shown});
        const bool kept = entry.shown != question;
        EXPECT_EQ(fieldOf(entry.table, u"COUNT(*)"_s, entry.where).toInt(), kept ? 1 : 0);
    }
    // Auxiliary references are not audited.
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina centro de costo OBRA"_s});
}

TEST_F(MasterTablesTest, ACoinsCentsAreKeptAndNamedInTheAudit)
{
    for (const QString& value : {u"500"_s, u"0.50"_s}) {
        auto form = open(TBILLETE(), u"0"_s, u"INS"_s);
        ASSERT_TRUE(form->setText(1, value));
        ASSERT_TRUE(form->confirm()) << ui.texts().join(u'|').toStdString();
    }
    // The list hands the form the key it shows; the coin is found by it.
    auto panel = openPanel(WBILLETE());
    ASSERT_EQ(panel->rowCount(), 2);
    EXPECT_EQ(panel->cellText(0, 0).trimmed(), u"0.50"_s);
    removeThrough(TBILLETE(), panel->keyAt(0));
    EXPECT_EQ(fieldOf(u"BILLETES"_s, u"COUNT(*)"_s, u"BilValor = 500"_s).toInt(), 1);
    EXPECT_EQ(countRows(u"BILLETES"_s), 1);
    EXPECT_EQ(auditTexts(),
              (QStringList{u"Agrega billete 500"_s, u"Agrega billete 0.50"_s, u"Elimina billete 0.50"_s}));
}

TEST_F(MasterTablesTest, ANewPlaceOfWorkIsOpenToEveryProfileAndAModifyKeepsTheAccess)
{
    EXPECT_EQ(pencriptUnscramble(newPlaceOfWorkAccess()), QString(50, u'S'));
    EXPECT_NE(newPlaceOfWorkAccess(), QString(50, u'S'));  // not stored readable
    const auto access = [this] { return fieldOf(u"LUGARTRA"_s, u"TraPerfile"_s, u"TraId = 5"_s).toString(); };

    ASSERT_TRUE(write(TLUGARTR(), u"0"_s, u"INS"_s, {{1, u"5"_s}, {2, u"Obra Carrasco"_s}}));
    EXPECT_EQ(access(), newPlaceOfWorkAccess());

    // The profiles form has since closed the place to the second profile.
    const QString restricted = *pencriptScramble(u"SN"_s + QString(48, u'S'));
    ASSERT_FALSE(database->execute(u"UPDATE LUGARTRA SET TraPerfile = ? WHERE TraId = 5"_s, {restricted}));
    ASSERT_TRUE(write(TLUGARTR(), u"5"_s, u"UPD"_s, {{2, u"Obra Carrasco Norte"_s}}));
    EXPECT_EQ(access(), restricted);
}

TEST_F(MasterTablesTest, TheEmployersNameForTheAuxiliaryReferencePrecedesTheTitles)
{
    const QString plain = u"Referencia auxiliar"_s;
    EXPECT_EQ(auxiliaryReferenceTitle(*database, plain), plain) << "no parameter row";
    // The usual name in any case, or blanks: the plain title.
    for (const QString& name : {u"referencia"_s, u"   "_s}) {
        setParameterText(u"Configur"_s, u"RefAux"_s, name);
        EXPECT_EQ(auxiliaryReferenceTitle(*database, plain), plain) << name.toStdString();
    }
    EXPECT_EQ(openPanel(WREFAUXI())->title(), u"Referencias auxiliares"_s);

    // Form and panel read it again at every start; the declarations keep their own.
    setParameterText(u"Configur"_s, u"RefAux"_s, u"Obra"_s);
    EXPECT_EQ(open(TREFAUXI(), QString(), u"INS"_s)->title(), u"Obra - Referencia auxiliar"_s);
    EXPECT_EQ(openPanel(WREFAUXI())->title(), u"Obra - Referencias auxiliares"_s);
    EXPECT_EQ(TREFAUXI().title, plain);
    EXPECT_EQ(WREFAUXI().title, u"Referencias auxiliares"_s);
    setParameterText(u"Configur"_s, u"RefAux"_s, u"REFERENCIA"_s);
    EXPECT_EQ(open(TREFAUXI(), QString(), u"INS"_s)->title(), plain);
}

TEST_F(MasterTablesTest, TheHeadingsListRefusesAddAndDeleteWhileTheHeadingsAreCopied)
{
    addRow(u"RUBROS"_s, {{u"RubId"_s, 52110}, {u"RubDesc"_s, u"Sueldos"_s}, {u"RubMon"_s, 1}});
    ui.onCall(u"TRUBRO"_s, [](QString&, QString&) {});
    setParameterText(u"SincroAuto"_s, u"Rub"_s, u"S"_s);
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u" S "_s);
    auto copied = openPanel(WRUBROS());
    copied->add();
    copied->remove({0});
    EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
              (QStringList{u"Esta tabla se copia automáticamente"_s, u"Esta tabla se copia automáticamente"_s}));
    EXPECT_TRUE(ui.calledObjects().isEmpty());
    copied->modify({0});
    EXPECT_EQ(ui.calledObjects(), QStringList{u"TRUBRO"_s}) << "the form guards its own Confirm";

    // The switches are read when the panel opens; the group alone does not stop it.
    setParameterText(u"SincroAuto"_s, u"Hay"_s, u"N"_s);
    copied->add();
    EXPECT_EQ(ui.calledObjects().size(), 1);
    ui.clear();
    auto free = openPanel(WRUBROS());
    free->add();
    free->remove({0});
    EXPECT_EQ(ui.calledObjects(), (QStringList{u"TRUBRO"_s, u"TRUBRO"_s}));
    EXPECT_TRUE(ui.texts().isEmpty());
}

}  // namespace
