// RACUMHLL, RTIPOSLI and RAPORTEL: each listing's title and its detail lines,
// cell by cell, over one small set of accumulators, run types and
// contribution groups.
#include "organisation_tables_fixture.h"
#include "report_fixture.h"
#include "reports/listings.h"

using namespace Qt::StringLiterals;

namespace {

class PayrollListingsTest : public OrganisationTableTest {
protected:
    void SetUp() override
    {
        OrganisationTableTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const std::tuple<int, QString, int> concepts[] = {{1, u"Sueldo mensual"_s, 1},
                                                          {5, u"Horas extra"_s, 1},
                                                          {20, u"Aguinaldo"_s, 1},
                                                          {101, u"Aporte jubilatorio BPS"_s, 2},
                                                          {160, u"Descuento adelanto"_s, 3}};
        for (const auto& [id, description, type] : concepts)
            addRow(u"CONCEPT"_s, {{u"ConId"_s, id}, {u"ConDesc"_s, description}, {u"ConTipo"_s, type}});

        addAccumulator(u"H"_s, 4, u"Horas del año"_s, u"C"_s);
        addAccumulator(u"M"_s, 1, u"Movimientos"_s);
        // A type with a quote in it, as a damaged row may hold: its concepts
        // are read with the type bound, never pasted into the statement.
        addAccumulator(u"'"_s, 9, u"Dañado"_s);
        for (const auto& [id, type, number] : {std::tuple{1, u"H"_s, 4}, std::tuple{5, u"H"_s, 4},
                                               std::tuple{5, u"'"_s, 9}})
            addRow(u"CONCEPT3"_s, {{u"ConId"_s, id}, {u"AcuTipo"_s, type}, {u"AcuId"_s, number},
                                   {u"ConAcuOpe"_s, u"S"_s}, {u"ConAcuMult"_s, 1}});

        addRow(u"TIPLIQUI"_s, {{u"TLId"_s, u"A"_s}, {u"TLDesc"_s, u"Adelanto"_s}, {u"TLAdelanto"_s, u"S"_s},
                               {u"TLConIdDes"_s, 160}, {u"TLIdDescue"_s, u"1"_s}, {u"TLRepetir"_s, u"S"_s}});
        addRow(u"TIPLIQUI"_s, {{u"TLId"_s, u"B"_s}, {u"TLDesc"_s, u"Aguinaldo"_s}, {u"TLAguinald"_s, u"S"_s},
                               {u"TLConIdAgu"_s, 20}});

        addRow(u"APOCON"_s, {{u"ApCId"_s, 1}, {u"ApCDes"_s, u"Con cónyuge"_s}});
        addRow(u"APORTE"_s, {{u"AporId"_s, 1}, {u"AporDesc"_s, u"Aportes BPS"_s}});
        addRow(u"APORTE"_s, {{u"AporId"_s, 3}, {u"AporDesc"_s, u"Sin líneas"_s}});
        addRow(u"APORTE1"_s, {{u"AporId"_s, 1}, {u"AporConId"_s, 1}, {u"AporPorGra"_s, 100}, {u"AporApCId"_s, 1}});
        addRow(u"APORTE1"_s, {{u"AporId"_s, 1}, {u"AporConId"_s, 101}, {u"AporPorGra"_s, 12.5}});
    }

    void addAccumulator(const QString& type, int number, const QString& description, const QString& period = {})
    {
        addRow(u"ACUMHL"_s, {{u"AcuTipo"_s, type}, {u"AcuId"_s, number}, {u"AcuDesc"_s, description},
                             {u"AcuConteni"_s, u"I"_s}, {u"AcuPeriodo"_s, period}, {u"AcuDesde"_s, 1},
                             {u"AcuHasta"_s, 12}});
    }
};

TEST_F(PayrollListingsTest, EachListingShowsItsRowsWithWhatHangsOnThem)
{
    const struct {
        QString listing;
        QString title;
        QList<QStringList> lines;  // the cells of each detail line, empty cells left out
    } cases[] = {
        {u"RACUMHLL"_s,
         u"Listado de acumuladores"_s,
         {{u"'"_s, u"9"_s, u"Dañado"_s, u"Importe m/n"_s, u"No"_s, u"5 Horas extra"_s, u"Suma"_s, u"1.000"_s},
          {u"Hist"_s, u"4"_s, u"Horas del año"_s, u"Importe m/n"_s, u"Año civil"_s, u"1 a 12"_s, u"No"_s,
           u"1 Sueldo mensual"_s, u"Suma"_s, u"1.000"_s},
          {u"5 Horas extra"_s, u"Suma"_s, u"1.000"_s},
          {u"Mov"_s, u"1"_s, u"Movimientos"_s, u"Importe"_s, u"No"_s}}},
        {u"RTIPOSLI"_s,
         u"Listado de Tipos Liquidacion"_s,
         {{u"A"_s, u"Adelanto"_s},
          {u"   Liquidación de adelanto a descontar en otra liquidación: Sí"_s},
          {u"   Concepto de descuento de adelantos: 160 Descuento adelanto"_s},
          {u"   Repetir movimientos en la otra liquidación: Sí"_s},
          {u"   Tipo de liquidación en que se descontará: 1"_s},
          {u"B"_s, u"Aguinaldo"_s},
          {u"   Liquidación de aguinaldo: Sí"_s},
          {u"   Concepto de aguinaldo: 20 Aguinaldo"_s},
          {u"T"_s, u"Todas"_s},
          {u"X"_s, u"Próxima"_s}}},
        {u"RAPORTEL"_s,
         u"Listado de grupos de aportes"_s,
         {{u"1"_s, u"Aportes BPS"_s, u"1 Sueldo mensual"_s, u"100.0000"_s, u"1 Con cónyuge"_s},
          {u"101 Aporte jubilatorio BPS"_s, u"12.5000"_s},
          {u"3"_s, u"Sin líneas"_s}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.listing.toStdString());
        KQRView view(nullptr);
        const ListingEntry* listing = Listings::find(entry.listing);
        ASSERT_NE(listing, nullptr);
        const ListingResult result = listing->run(view, ListingRun::now(*database));
        ASSERT_TRUE(result.ok()) << result.errorMessage.toStdString();
        EXPECT_EQ(view.document().name, entry.title);
        QList<QStringList> lines = detailLines(view.document());
        for (QStringList& line : lines)
            line.removeAll(QString());
        EXPECT_EQ(lines, entry.lines);
    }
}

}  // namespace
