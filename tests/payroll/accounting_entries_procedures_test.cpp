// The procedures over whole entries and codes: copy, renumbering and
// deletion of entries and lines, the change of a cost centre's code and of
// a heading's number (each all or nothing, made to fail halfway), the
// listing of the entries, and the demo company's salary journal.
#include "accounting_entries_fixture.h"
#include "refused_changes.h"

#include "data/demo_company.h"
#include "data/schema.h"
#include "payroll/accounting_entries.h"
#include "payroll/accounting_entries_procedures.h"
#include "payroll/cost_centre_change.h"
#include "payroll/heading_number_change.h"
#include "reports/kqrview.h"
#include "reports/listing_frame.h"
#include "reports/listings.h"
#include "tables/headings.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

class EntryProcedureTest : public AccountingEntryTest {
protected:
    /// Entry 10 with lines 5 (two calculations) and 10 (one).
    void addPayrollEntry()
    {
        addEntry(10, u"Sueldos"_s);
        addLine(10, 5, u"D"_s, 52110, u"S"_s);
        addCalculation(10, 5, 1, u"C"_s, 1);
        addCalculation(10, 5, 2, u"X"_s, 0, u"3"_s);
        addLine(10, 10, u"H"_s, 21110);
        addCalculation(10, 10, 1, u"L"_s);
    }

    /// Makes every `change` of `table` fail, and lets it go again.
    void refuse(const QString& change, const QString& table) { refuseChanges(*database, change, table); }
    void allow(const QString& change, const QString& table) { allowChanges(*database, change, table); }
};

TEST_F(EntryProcedureTest, AnEntryIsCopiedWholeUnderANewNumberButNeverOverAnother)
{
    addPayrollEntry();
    addEntry(20, u"Aguinaldo"_s);
    WASICOPI copy(*database, ui);
    copy.start(u"10"_s);
    EXPECT_FALSE(copy.confirm());
    copy.setTarget(10);
    EXPECT_FALSE(copy.confirm());
    copy.setTarget(20);
    EXPECT_FALSE(copy.confirm());
    EXPECT_EQ(ui.texts(), (QStringList{u"Falta indicar asiento."_s, u"Debe indicar un asiento diferente."_s,
                                       u"Asiento ya existe. Debe indicar un asiento diferente."_s}));
    EXPECT_EQ(stored(20), QStringList{});

    // Calculations left under number 30 stop the copy at its last table:
    // the header and the lines copied before go too.
    addCalculation(30, 5, 1, u"H"_s);
    copy.setTarget(30);
    ui.clear();
    EXPECT_FALSE(copy.confirm());
    EXPECT_EQ(ui.texts().size(), 1);
    EXPECT_EQ(stored(30), QStringList{u"5.1=H/0/"_s});
    EXPECT_EQ(fieldOf(u"ASIENTO"_s, u"COUNT(*)"_s, u"AsiId = 30"_s).toInt(), 0);

    execute(u"DELETE FROM ASIENT4 WHERE AsiId = 30"_s);
    ASSERT_TRUE(copy.confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(stored(30), stored(10));
    EXPECT_EQ(fieldOf(u"ASIENTO"_s, u"AsiDesc"_s, u"AsiId = 30"_s).toString().trimmed(), u"Sueldos"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Copia asiento 10 a 30"_s});
}

TEST_F(EntryProcedureTest, RenumberingALineMovesItsCalculationsOrNothingAtAll)
{
    addPayrollEntry();
    const QStringList before = stored(10);
    // Onto an existing line: refused, both lines keep their calculations.
    EXPECT_EQ(PLINASIE(*database, ui, 10, 5, 10).message, u"Ya existe el registro"_s);
    EXPECT_EQ(stored(10), before);

    // Calculations left behind by a line long gone stand where line 5 goes:
    // the second statement fails and the first is undone with it.
    addCalculation(10, 7, 1, u"H"_s);
    const QStringList withOrphan = stored(10);
    const ProcedureResult failed = PLINASIE(*database, ui, 10, 5, 7);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(stored(10), withOrphan);

    execute(u"DELETE FROM ASIENT4 WHERE AsiLin = 7"_s);
    ASSERT_TRUE(PLINASIE(*database, ui, 10, 5, 7).ok());
    EXPECT_EQ(stored(10), (QStringList{u"7:D:52110:S:"_s, u"10:H:21110::"_s, u"7.1=C/1/"_s, u"7.2=X/0/3"_s,
                                       u"10.1=L/0/"_s}));
    EXPECT_EQ(auditTexts(), QStringList{u"Cambia nº línea de asiento 10 de 5 a 7"_s});
}

TEST_F(EntryProcedureTest, AnEntryIsDeletedWithItsLinesAndCalculationsOrNotAtAll)
{
    addPayrollEntry();
    const QStringList before = stored(10);
    refuse(u"DELETE"_s, u"ASIENTO"_s);
    EXPECT_FALSE(PASIELIM(*database, ui, 10).ok());
    EXPECT_EQ(stored(10), before) << "the lines and calculations deleted first come back";
    EXPECT_TRUE(auditTexts().isEmpty());

    allow(u"DELETE"_s, u"ASIENTO"_s);
    ASSERT_TRUE(PASIELIM(*database, ui, 10).ok());
    EXPECT_EQ(stored(10), QStringList{});
    EXPECT_EQ(countRows(u"ASIENTO"_s), 0);
    EXPECT_EQ(PASIELIM(*database, ui, 10).message, u"No existe el asiento 10"_s);
    EXPECT_EQ(auditTexts(), QStringList{u"Elimina asiento 10, descripción = Sueldos"_s});
}

TEST_F(EntryProcedureTest, ACostCentreCodeChangesInEveryTableThatHoldsOneOrInNone)
{
    for (const QString& table : {u"RUBROS"_s, u"CENTROCO"_s, u"CONCEPT"_s})
        execute(u"DELETE FROM "_s + table);
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    // Every field of the schema named as a cost-centre code is rewritten.
    QStringList listed;
    for (const CostCentreField& each : costCentreFields())
        listed << each.table + u'.' + each.field;
    for (const TableDef& table : Schema::tables()) {
        for (const FieldDef& field : table.fields) {
            if (field.name.endsWith(u"CCId"_s, Qt::CaseInsensitive)) {
                EXPECT_TRUE(listed.contains(table.name + u'.' + field.name)) << field.name.toStdString();
            }
        }
    }
    addRow(u"ASIENTO1"_s, {{u"AsiId"_s, 1}, {u"AsiLin"_s, 50}, {u"AsiDH"_s, u"D"_s}, {u"RubId"_s, 52110},
                           {u"CCId"_s, u"TALLER"_s}});
    const auto uses = [&](const QString& code) {
        int count = 0;
        for (const CostCentreField& each : costCentreFields())
            count += fieldOf(each.table, u"COUNT(*)"_s, u"%1 = '%2'"_s.arg(each.field, code)).toInt();
        return count;
    };
    const int taller = uses(u"TALLER"_s);
    ASSERT_GE(taller, 4) << "the demo uses the cost centre in several tables";

    WCAMCCOS change(*database, ui);
    change.start(u"TALLER"_s);
    EXPECT_FALSE(change.confirm());
    change.setNewCode(u"adm"_s);
    EXPECT_FALSE(change.confirm());
    EXPECT_EQ(ui.texts(), (QStringList{u"Debe indicar el nuevo código para el centro de costo."_s,
                                       u"Nuevo código de centro de costo ya existe"_s}));
    change.setNewCode(u"deposito"_s);
    QStringList statusWhileRunning;
    ui.onProcessEvents([&] { statusWhileRunning << ui.status(1); });
    ASSERT_TRUE(change.confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_TRUE(statusWhileRunning.contains(u"Cambiando código de centro de costo ..."_s));
    EXPECT_EQ(ui.status(1), QString());
    EXPECT_EQ(uses(u"TALLER"_s), 0);
    EXPECT_EQ(uses(u"DEPOSITO"_s), taller);
    EXPECT_EQ(auditTexts(), QStringList{u"Cambio código de centro de costo TALLER - Taller y depósito. Nuevo código "
                                        "= DEPOSITO"_s});

    // An employee share already under the new code makes the change fail
    // halfway through the tables: every one of them stays as it was.
    addRow(u"CARGOSCC"_s, {{u"FunId"_s, 1005}, {u"FunAL"_s, 1}, {u"FunCCId"_s, u"NUEVO"_s}, {u"FunCCPorc"_s, 0}});
    QMap<QString, QStringList> before;
    for (const CostCentreField& each : costCentreFields())
        before[each.table] = rowsOf(each.table);
    ui.clear();
    change.start(u"DEPOSITO"_s);
    change.setNewCode(u"NUEVO"_s);
    EXPECT_FALSE(change.confirm());
    EXPECT_EQ(ui.texts().size(), 1);
    for (const CostCentreField& each : costCentreFields())
        EXPECT_EQ(rowsOf(each.table), before.value(each.table)) << each.table.toStdString();
    EXPECT_EQ(auditTexts().size(), 1);
}

TEST_F(EntryProcedureTest, AHeadingTakesItsNewNumberWithEveryLineThatPostsToItOrNothingMoves)
{
    addPayrollEntry();
    addEntry(11, u"Otro"_s);
    addLine(11, 1, u"D"_s, 52110);
    QStringList calls;
    ui.onCall(u"WRUBCAMB"_s, [&](QString& key, QString&) { calls << key; });
    auto panel = openPanel(WRUBROS());
    ASSERT_TRUE(panel->press(u"CambiarNumero"_s, rowOf(*panel, u"52110"_s)));
    EXPECT_EQ(calls, QStringList{u"52110"_s}) << "the headings panel reaches the change";

    WRUBCAMB change(*database, ui);
    change.start(u"52110"_s);
    EXPECT_FALSE(change.confirm());
    change.setNewNumber(21110);
    EXPECT_FALSE(change.confirm());
    EXPECT_TRUE(change.focusOnNewNumber());
    EXPECT_EQ(ui.texts(), (QStringList{u"Debe indicar el nuevo número de rubro"_s,
                                       u"Ya existe un rubro con ese número."_s}));

    // A line that cannot be rewritten undoes the heading's move too.
    refuse(u"UPDATE"_s, u"ASIENTO1"_s);
    const QStringList headings = rowsOf(u"RUBROS"_s);
    const QStringList lines = rowsOf(u"ASIENTO1"_s);
    ui.clear();
    change.setNewNumber(52111);
    EXPECT_FALSE(change.confirm());
    EXPECT_EQ(ui.texts().size(), 1);
    EXPECT_EQ(rowsOf(u"RUBROS"_s), headings);
    EXPECT_EQ(rowsOf(u"ASIENTO1"_s), lines);
    EXPECT_TRUE(auditTexts().isEmpty());

    allow(u"UPDATE"_s, u"ASIENTO1"_s);
    ASSERT_TRUE(change.confirm()) << ui.texts().join(u'|').toStdString();
    EXPECT_EQ(fieldOf(u"RUBROS"_s, u"RubDesc"_s, u"RubId = 52111"_s).toString().trimmed(), u"Sueldos y jornales"_s);
    EXPECT_EQ(fieldOf(u"RUBROS"_s, u"RubIdExt"_s, u"RubId = 52111"_s).toString().trimmed(), u"52110"_s);
    EXPECT_EQ(fieldOf(u"RUBROS"_s, u"COUNT(*)"_s, u"RubId = 52110"_s).toInt(), 0);
    EXPECT_EQ(fieldOf(u"ASIENTO1"_s, u"COUNT(*)"_s, u"RubId = 52111"_s).toInt(), 2);
    EXPECT_EQ(auditTexts(), QStringList{u"Cambia nº rubro 52110 a 52111"_s});
}

TEST_F(EntryProcedureTest, TheListingShowsEachEntryWithItsLinesAndCalculations)
{
    addPayrollEntry();
    addLine(10, 12, u"H"_s, 21310, {}, u"ADM"_s);
    addCalculation(10, 12, 1, u"C"_s, 101, {});
    execute(u"UPDATE ASIENT4 SET AsiDiv = 12 WHERE AsiLin = 12"_s);
    execute(u"UPDATE CONFIGUR SET CfEmpresa = 'Constructora del Sur S.A.' WHERE CfId = 0"_s);
    KQRView view(nullptr);
    const ListingEntry* listing = Listings::find(u"RASILIST"_s);
    ASSERT_NE(listing, nullptr);
    const ListingResult result = listing->run(view, ListingRun::now(*database));
    ASSERT_TRUE(result.ok()) << result.errorMessage.toStdString();

    ASSERT_EQ(view.document().pages.size(), 1);
    const ReportPage& page = view.document().pages.at(0);
    EXPECT_EQ(view.document().name, u"Listado de Asientos"_s);
    EXPECT_NE(page.findText(u"Constructora del Sur S.A."_s), nullptr);
    for (const QString& heading : {u"Lin"_s, u"D/H"_s, u"Rubro"_s, u"Apertura"_s, u"Marcas"_s, u"Cálculo"_s,
                                   u"Parámetro"_s, u"Concepto"_s, u"Multiplicador"_s, u"Divisor"_s})
        EXPECT_NE(page.findText(heading), nullptr) << heading.toStdString();
    QList<QStringList> lines;
    int lastTop = -1;
    for (const TextOperation& text : page.texts()) {
        if (text.box.top < ListingFrame::detailTop || text.text.isEmpty())
            continue;
        if (text.box.top != lastTop)
            lines.append(QStringList());
        lines.last().append(text.text);
        lastTop = text.box.top;
    }
    EXPECT_EQ(lines, (QList<QStringList>{
                         {u"Asiento 10 - Sueldos"_s},
                         {u"  5"_s, u"D"_s, u"52110 Sueldos y jornales"_s, u"Centro costo"_s},
                         {u"Concepto"_s, u"1 Sueldo mensual"_s, u"1.0000000"_s, u"1.0000000"_s},
                         {u"H. Laboral"_s, u"3"_s, u"1.0000000"_s, u"1.0000000"_s},
                         {u" 10"_s, u"H"_s, u"21110 Sueldos a pagar"_s, u"No"_s},
                         {u"Líquido"_s, u"1.0000000"_s, u"1.0000000"_s},
                         {u" 12"_s, u"H"_s, u"21310 BPS a pagar"_s, u"No"_s, u"ADM"_s},
                         {u"Concepto"_s, u"101 Aporte jubilatorio BPS"_s, u"1.0000000"_s, u"12.0000000"_s},
                     }));
}

TEST_F(EntryProcedureTest, TheDemoSalaryJournalBalancesByTheRulesOfItsOwnForms)
{
    for (const QString& table : {u"RUBROS"_s, u"CENTROCO"_s, u"CONCEPT"_s})
        execute(u"DELETE FROM "_s + table);
    QString error;
    ASSERT_TRUE(loadDemoCompany(*database, &error)) << error.toStdString();
    for (const qint64 entry : {1, 2}) {
        const QList<EntryLineFacts> lines = storedEntryLines(*database, entry);
        ASSERT_FALSE(lines.isEmpty());
        for (const EntryLineFacts& line : lines) {
            QList<EntryLineFacts> others = lines;
            others.removeIf([&](const EntryLineFacts& each) { return each.line == line.line; });
            EXPECT_EQ(checkLineAgainstEntry(line, others).kind, FieldVerdict::Kind::Ok) << entry << " " << line.line;
        }
        QSqlQuery query(database->connection());
        query.prepare(sql(u"SELECT AsiLin, AsiCorLin, AsiCalculo, ConId, AsiConGrup FROM ASIENT4 WHERE AsiId = ?"_s));
        query.addBindValue(entry);
        ASSERT_TRUE(query.exec());
        while (query.next()) {
            const CalculationFacts calculation{query.value(1).toInt(), query.value(2).toString().trimmed(),
                                               query.value(3).toInt(), query.value(4).toString().trimmed()};
            EntryLineFacts line;
            QList<EntryLineFacts> others;
            for (const EntryLineFacts& each : lines)
                (each.line == query.value(0).toInt() ? line : others.emplaceBack()) = each;
            const FieldVerdict verdict = checkCalculation(*database, calculation, line, others);
            EXPECT_EQ(verdict.kind, FieldVerdict::Kind::Ok) << verdict.message.toStdString();
        }
    }
    // Debits and credits on headings of the organisation, the withholdings
    // by concept, the net pay and the line by the difference.
    EXPECT_EQ(fieldOf(u"ASIENTO1"_s, u"COUNT(*)"_s, u"AsiId = 1 AND RubId NOT IN (SELECT RubId FROM RUBROS)"_s).toInt(), 0);
    for (const int concept_ : {1, 2, 5, 20, 101, 102, 103})
        EXPECT_EQ(fieldOf(u"ASIENT4"_s, u"COUNT(*)"_s, u"AsiId = 1 AND AsiCalculo = 'C' AND ConId = %1"_s.arg(concept_)).toInt(), 1)
            << concept_;
    EXPECT_EQ(fieldOf(u"ASIENT4"_s, u"COUNT(*)"_s, u"AsiId = 1 AND AsiCalculo IN ('L', 'D', 'M')"_s).toInt(), 3);
    EXPECT_EQ(fieldOf(u"ASIENTO1"_s, u"COUNT(*)"_s, u"AsiId = 1 AND AsiApCC = 'S' AND AsiDH = 'D'"_s).toInt(), 2);
}

}  // namespace
