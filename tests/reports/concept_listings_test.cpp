// The concept listings: the summarised listing's columns, codes and the
// fraction and days-worked rules, the detailed listing's sections, headings
// and descriptions, no text wider than its box, and the PDF's text.
#include "../engine/engine_fixture.h"

#include "listing_lines.h"
#include "reports/concept_listings.h"
#include "reports/kqrview.h"
#include "reports/listing_frame.h"
#include "ui/report_render.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>

namespace {

using namespace Qt::StringLiterals;

class ConceptListingsTest : public EngineTest {
protected:
    void add(const QString& table, const RowValues& values)
    {
        QString error;
        ASSERT_TRUE(insertRow(*database, table, values, &error)) << error.toStdString();
    }

    void addConcept(int id, const QString& description, RowValues more)
    {
        more.append({u"ConId"_s, id});
        more.append({u"ConDesc"_s, description});
        add(u"CONCEPT"_s, more);
    }

    void print(const char* name)
    {
        const ListingEntry* entry = Listings::find(QString::fromLatin1(name));
        ASSERT_NE(entry, nullptr) << name;
        const ListingResult result = entry->run(view, ListingRun::now(*database));
        ASSERT_TRUE(result.ok()) << result.errorMessage.toStdString();
    }

    QList<QStringList> detailLines() const { return readDetailLines(view.document()); }

    /// Every text drawn in "Courier New" 8 fits its box (6.4 pixels a character).
    void expectNothingClipped() const
    {
        for (const ReportPage& page : view.document().pages) {
            for (const TextOperation& text : page.texts()) {
                if (text.font.name != u"Courier New" || text.font.size != 8)
                    continue;
                const double width = text.text.size() * 6.4;
                EXPECT_LE(width, text.box.right - text.box.left + 1.5)
                    << text.text.toStdString() << " in " << text.box.left << "-" << text.box.right;
            }
        }
    }

    /// The text of the listing written as a PDF, as pdftotext reads it.
    QString pdfText(const QString& name)
    {
        const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (pdftotext.isEmpty())
            return {};
        const QString file = folder.file(name);
        QString error;
        EXPECT_TRUE(writePdf(view.document(), file, error)) << error.toStdString();
        QProcess process;
        process.start(pdftotext, {u"-layout"_s, file, u"-"_s});
        EXPECT_TRUE(process.waitForFinished(30000));
        // Keep the pages for a person to look at when asked.
        if (const QString keep = qEnvironmentVariable("UORDANE_KEEP_LISTINGS"); !keep.isEmpty())
            QFile::copy(file, QDir(keep).filePath(name));
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    KQRView view{nullptr};
};

TEST(DaysAccumulation, AMultiplierAfterXADivisorAfterASlash)
{
    EXPECT_EQ(daysAccumulationText(30, 0), u"x30"_s);
    EXPECT_EQ(daysAccumulationText(30, 25), u"/25"_s);
    EXPECT_EQ(daysAccumulationText(0, 25), u"/25"_s);
    EXPECT_EQ(daysAccumulationText(0, 0), QString());
}

TEST_F(ConceptListingsTest, TheSummarisedListingShowsTheCodesOfEachConceptInItsColumns)
{
    addConcept(1, u"Horas extra"_s, {{u"ConTipo"_s, 1}, {u"ConCant"_s, u"C"_s}, {u"ConFracc"_s, 0.6},
                                     {u"ConLiquido"_s, u"N"_s}, {u"ConMonExtr"_s, u"N"_s}, {u"ConDTM"_s, 30.0}});
    addConcept(2, u"Jornales"_s, {{u"ConTipo"_s, 0}, {u"ConCant"_s, u"C"_s}, {u"ConFracc"_s, 0.5},
                                  {u"ConDTM"_s, 30.0}, {u"ConDTD"_s, 25.0}, {u"ConDLGM"_s, 1.0}});
    addConcept(3, u"Montepío"_s, {{u"ConTipo"_s, 2}, {u"ConCant"_s, u"P"_s}, {u"ConFracc"_s, 0.6},
                                  {u"ConLiquido"_s, u"L"_s}, {u"ConMonExtr"_s, u"E"_s}, {u"ConDLLD"_s, 30.0}});
    addConcept(14, u"Descuento préstamo cooperativa"_s, {{u"ConTipo"_s, 3}, {u"ConCant"_s, u"N"_s},
                                                         {u"ConFracc"_s, 0.8}});
    print("RCONLISR");

    EXPECT_EQ(view.document().name, u"Listado resumido de conceptos"_s);
    ASSERT_EQ(view.document().pages.size(), 1);
    const ReportPage& page = view.document().pages.first();
    ASSERT_NE(page.findText(u"Listado resumido de conceptos"_s), nullptr);
    // Two-line headings: the first line above the second.
    const TextOperation* days = page.findText(u"Días"_s);
    const TextOperation* worked = page.findText(u"trabajados"_s);
    ASSERT_TRUE(days && worked);
    EXPECT_LT(days->box.bottom, worked->box.top);
    EXPECT_EQ(days->box.left, worked->box.left);
    for (const char* heading : {"Concepto", "Tipo", "Cantidad", "Fracción", "Nominal/Líquido", "Moneda", "gozada",
                                "liquidada"})
        EXPECT_NE(page.findText(QString::fromUtf8(heading)), nullptr) << heading;

    EXPECT_EQ(detailLines(), (QList<QStringList>{
                                 {u"1"_s, u"Horas extra"_s, u"Haber"_s, u"Cantidad"_s, u"60 minutos"_s, u"Nom"_s,
                                  u"Nac"_s, u"x30"_s},
                                 // 0.5 is no fraction of the list: nothing shown.
                                 {u"2"_s, u"Jornales"_s, u"Interno"_s, u"Cantidad"_s, u"/25"_s, u"x1"_s},
                                 // A percentage shows no fraction.
                                 {u"3"_s, u"Montepío"_s, u"Dto ley"_s, u"Porcentaje"_s, u"Líq"_s, u"Ext"_s,
                                  u"/30"_s},
                                 // A description wider than its box goes on below.
                                 {u"14"_s, u"Descuento préstamo"_s, u"Dto"_s},
                                 {u"cooperativa"_s},
                             }));
    const TextOperation* code = page.findText(u"x30"_s);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(code->box.left, 574);
    EXPECT_EQ(code->box.right, 615);
    const TextOperation* fraction = page.findText(u"60 minutos"_s);
    ASSERT_NE(fraction, nullptr);
    EXPECT_EQ(fraction->box.left, 361);
    EXPECT_EQ(fraction->box.right, 430);
    expectNothingClipped();

    const QString text = pdfText(u"RCONLISR.pdf"_s);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the PDF's text was not read";
    const QStringList pdfLines = text.split(u'\n');
    auto lineWith = [&](const QString& start) {
        for (const QString& line : pdfLines) {
            if (line.simplified().startsWith(start))
                return line.simplified();
        }
        return QString();
    };
    EXPECT_EQ(lineWith(u"1 Horas extra"_s), u"1 Horas extra Haber Cantidad 60 minutos Nom Nac x30"_s);
    EXPECT_EQ(lineWith(u"2 Jornales"_s), u"2 Jornales Interno Cantidad /25 x1"_s);
    EXPECT_EQ(lineWith(u"3 Montepío"_s), u"3 Montepío Dto ley Porcentaje Líq Ext /30"_s);
    EXPECT_TRUE(text.contains(u"Listado resumido de conceptos"_s));
}

TEST_F(ConceptListingsTest, TheDetailedListingShowsSettingsLinesAccumulatorsAndExpansionWithTheirNames)
{
    add(u"APORTE"_s, {{u"AporId"_s, 2}, {u"AporDesc"_s, u"Industria y comercio"_s}});
    add(u"BASICOS"_s, {{u"BasId"_s, 7}, {u"BasDesc"_s, u"Salario mínimo nacional"_s}});
    add(u"ACUMHL"_s, {{u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 5}, {u"AcuDesc"_s, u"Sueldos del año"_s}});
    add(u"FUNATRIB"_s, {{u"FunAId"_s, 12}, {u"FunADescri"_s, u"Antigüedad en la empresa"_s}});
    setParameterText(u"Configur"_s, u"Imp3"_s, u"Prima por presentismo"_s);
    addConcept(1, u"Sueldo"_s, {{u"ConTipo"_s, 1}, {u"ConAguinal"_s, u"G"_s}, {u"AporId"_s, 2},
                                {u"BasIdTope"_s, 7}, {u"ConPideSub"_s, 2}, {u"ConCant"_s, u"C"_s},
                                {u"ConNotas"_s, u"Se liquida a mes vencido."_s}});
    addConcept(2, u"Aguinaldo"_s, {{u"ConTipo"_s, 1}});
    const QList<std::pair<QString, int>> operands{{u"BAS"_s, 0}, {u"IMP"_s, 3}, {u"XIM"_s, 2}, {u"ACH"_s, 5},
                                                  {u"ADN"_s, 12}, {u"HAB"_s, 0}};
    int line = 0;
    for (const auto& [operand, number] : operands) {
        line += 5;
        add(u"CONCEPT1"_s, {{u"ConId"_s, 1}, {u"OpeLin"_s, line}, {u"OpeOpe"_s, u"+"_s}, {u"OpeUsar"_s, operand},
                            {u"OpeNro"_s, number}, {u"BasId"_s, operand == u"BAS" ? 7 : 0}, {u"OpeMult"_s, 1.5},
                            {u"OpeAporId"_s, line == 5 ? 2 : 0}});
    }
    add(u"CONCEPT4"_s, {{u"ConId"_s, 1}, {u"CanLin"_s, 5}, {u"CanOpe"_s, u"+"_s}, {u"CanUsar"_s, u"HSM"_s},
                        {u"CanDiv"_s, 8}});
    add(u"CONCEPT3"_s, {{u"ConId"_s, 1}, {u"AcuTipo"_s, u"H"_s}, {u"AcuId"_s, 5}, {u"ConAcuMult"_s, 1.0}});
    add(u"CONCEPT2"_s, {{u"ConId"_s, 1}, {u"ExpConId"_s, 2}});
    print("RCONLISD");

    EXPECT_EQ(view.document().name, u"Listado detallado de conceptos"_s);
    QStringList texts;
    for (const ReportPage& page : view.document().pages) {
        for (const TextOperation& text : page.texts())
            texts << text.text;
    }
    for (const QString& expected :
         {u"Concepto 1 - Sueldo"_s, u"Concepto 2 - Aguinaldo"_s, u"Genera aguinaldo:"_s, u"Por lo gravado"_s,
          u"Grupo aportes:"_s, u"2 - Industria y comercio"_s, u"7 - Salario mínimo nacional"_s, u"Opcional"_s,
          u"Se liquida a mes vencido."_s, u"Cálculos de importes"_s, u"Cálculo de cantidad"_s,
          u"Salario mínimo nacional"_s, u"Prima por presentismo"_s, u"Importe 2 func. subrogado"_s,
          u"Sueldos del año"_s, u"Antigüedad en la empresa"_s, u"Haberes"_s, u"Horas mensuales"_s,
          u"1.5000"_s, u"8.0000"_s, u"Acumuladores"_s, u"Histórico"_s, u"Expande en conceptos"_s, u"Aguinaldo"_s})
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
    for (const QString& heading : {u"Ope"_s, u"Lin"_s, u"Usar"_s, u"Nº"_s, u"Año"_s, u"Bás"_s, u"Descripción"_s,
                                   u"Car"_s, u"CCo"_s, u"Mult"_s, u"Div"_s})
        EXPECT_EQ(texts.count(heading), 2) << heading.toStdString();
    // Only the amount lines have a contribution group.
    EXPECT_EQ(texts.count(u"Apor"_s), 1);
    // The sections come in their order: settings, amount, quantity,
    // accumulators, expansion, then the next concept.
    const auto at = [&](const QString& text) { return texts.indexOf(text); };
    EXPECT_LT(at(u"Concepto 1 - Sueldo"_s), at(u"Cálculos de importes"_s));
    EXPECT_LT(at(u"Cálculos de importes"_s), at(u"Cálculo de cantidad"_s));
    EXPECT_LT(at(u"Cálculo de cantidad"_s), at(u"Acumuladores"_s));
    EXPECT_LT(at(u"Acumuladores"_s), at(u"Expande en conceptos"_s));
    EXPECT_LT(at(u"Expande en conceptos"_s), at(u"Concepto 2 - Aguinaldo"_s));
    expectNothingClipped();

    const QString text = pdfText(u"RCONLISD.pdf"_s);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the PDF's text was not read";
    EXPECT_TRUE(text.contains(u"Listado detallado de conceptos"_s));
    EXPECT_TRUE(text.contains(u"Importe 2 func. subrogado"_s));
    EXPECT_TRUE(text.contains(u"Cálculos de importes"_s));
}

TEST_F(ConceptListingsTest, ManyConceptsRunOverPagesWithTheFrameOnEach)
{
    for (int id = 1; id <= 130; ++id)
        addConcept(id, u"Concepto número %1"_s.arg(id), {{u"ConTipo"_s, 1}, {u"ConCant"_s, u"C"_s}});
    print("RCONLISR");
    ASSERT_EQ(view.document().pages.size(), 3);
    for (const ReportPage& page : view.document().pages)
        EXPECT_NE(page.findText(u"Fracción"_s), nullptr);
    EXPECT_EQ(detailLines().size(), 130);
    EXPECT_EQ(detailLines().last().first(), u"130"_s);
}

}  // namespace
