// The report writer's page model: job settings, font state carried by each
// text, page opening rules, and what reaches the output.
#include "reports/kqrview.h"
#include "reports/listing_frame.h"
#include "reports/printer_settings.h"

#include <gtest/gtest.h>

namespace {

/// An output that records what it was asked and handed.
class RecordingOutput : public ReportOutput {
public:
    bool accept = true;
    QList<JobSettings> asked;
    QList<ReportDocument> delivered;

    bool canStart(const JobSettings& settings) override
    {
        asked.append(settings);
        return accept;
    }
    void deliver(const ReportDocument& document) override { delivered.append(document); }
    bool setUpPrinter(const QString& settingsFile, const QString& section) override
    {
        setUps.append(settingsFile + '/' + section);
        return accept;
    }
    QStringList setUps;
};

TEST(KQRView, StartsOnA4PortraitOrTurnedWithTheJobSettingsAndOnePageOpen)
{
    KQRView view(nullptr);
    view.setLanguage(" SPA ");
    view.maximisePreview(true);
    JobSettings settings;
    settings.output = "prn";
    ASSERT_TRUE(view.startJob(settings));
    view.setDocumentName("Listado de Categorias");

    const ReportDocument& document = view.document();
    EXPECT_EQ(document.output, "PRN");
    EXPECT_EQ(document.language, "spa");
    EXPECT_EQ(document.settingsFile, "KQPRN.INI");
    EXPECT_EQ(document.settingsSection, "LISTADOS");
    EXPECT_EQ(document.name, "Listado de Categorias");
    EXPECT_TRUE(document.maximisePreview);
    EXPECT_EQ(document.orientation(), PageOrientation::Portrait);
    // 11906 x 16838 twips at 15 twips a pixel.
    EXPECT_EQ(view.pageWidth(), 793);
    EXPECT_EQ(view.pageHeight(), 1122);
    EXPECT_EQ(view.pageNumber(), 1);

    KQRView turned(nullptr);
    ASSERT_TRUE(turned.startJob(JobSettings().landscape()));
    EXPECT_EQ(turned.pageWidth(), 1122);
    EXPECT_EQ(turned.pageHeight(), 793);
    EXPECT_EQ(turned.document().orientation(), PageOrientation::Landscape);
    // Turning twice keeps it on its side.
    EXPECT_EQ(JobSettings().landscape().landscape().pageWidthTwips, 16838);
}

TEST(KQRView, EachTextKeepsTheFontSetBeforeIt)
{
    KQRView view(nullptr);
    ASSERT_TRUE(view.startJob({}));
    view.setFont("MS Sans Serif", 8, true);
    view.drawText("Emitido:", {588, 15, 633, 27});
    FontState red;
    red.name = "Arial";
    red.size = 12;
    red.italic = true;
    red.underline = true;
    red.foreground = {255, 0, 0};
    view.setFont(red);
    view.drawText("Total", {10, 20, 110, 40}, TextAlignment::Right);

    const QList<TextOperation> texts = view.document().pages.at(0).texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].font.name, "MS Sans Serif");
    EXPECT_EQ(texts[0].font.size, 8);
    EXPECT_TRUE(texts[0].font.bold);
    EXPECT_FALSE(texts[0].font.italic);
    EXPECT_EQ(texts[0].box, (PixelBox{588, 15, 633, 27}));
    EXPECT_EQ(texts[0].alignment, TextAlignment::Left);
    EXPECT_EQ(texts[1].font, red);
    EXPECT_EQ(texts[1].alignment, TextAlignment::Right);
}

TEST(KQRView, PagesOpenOnNewPageOrOnTheFirstDrawingAfterAnEndedPage)
{
    KQRView view(nullptr);
    ASSERT_TRUE(view.startJob({}));
    view.drawLine({0, 0, 10, 0});
    view.newPage();
    view.drawRectangle({});
    view.endPage();
    view.endPage();  // ending an ended page adds nothing
    EXPECT_EQ(view.pageNumber(), 2);
    view.drawPicture("logo.png", {1, 2, 3, 4});
    EXPECT_EQ(view.pageNumber(), 3);

    const QList<ReportPage>& pages = view.document().pages;
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(std::holds_alternative<LineOperation>(pages[0].operations.at(0)));
    EXPECT_TRUE(std::holds_alternative<RectangleOperation>(pages[1].operations.at(0)));
    const auto* picture = std::get_if<PictureOperation>(&pages[2].operations.at(0));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->file, "logo.png");
    EXPECT_EQ(picture->box, (PixelBox{1, 2, 3, 4}));
}

TEST(KQRView, TheOutputGetsTheFinishedDocumentOnceAndNothingFromAFailedOrAbortedJob)
{
    RecordingOutput output;
    {
        KQRView view(&output);
        ASSERT_TRUE(view.startJob({}));
        view.setDocumentName("Uno");
        view.drawText("hola", {0, 0, 50, 15});
        view.endPage();
        view.endDocument();
        EXPECT_TRUE(output.delivered.isEmpty());
        view.endJob();
        view.endJob();
    }
    ASSERT_EQ(output.delivered.size(), 1);
    EXPECT_EQ(output.delivered[0].name, "Uno");
    ASSERT_EQ(output.delivered[0].pages.size(), 1);
    EXPECT_NE(output.delivered[0].pages[0].findText("hola"), nullptr);

    output.accept = false;
    KQRView refused(&output);
    EXPECT_FALSE(refused.startJob({}));
    EXPECT_FALSE(refused.isStarted());
    refused.endJob();
    EXPECT_EQ(output.delivered.size(), 1);
    EXPECT_EQ(output.asked.size(), 2);

    output.accept = true;
    KQRView aborted(&output);
    ASSERT_TRUE(aborted.startJob({}));
    aborted.drawText("a medias", {0, 0, 50, 15});
    aborted.abortJob();
    aborted.endJob();
    EXPECT_EQ(output.delivered.size(), 1);
    EXPECT_TRUE(aborted.document().pages.isEmpty());
}

TEST(KQRView, ARefusedListingJobIsEndedAndDrawsNothing)
{
    RecordingOutput output;
    output.accept = false;
    KQRView view(&output);
    EXPECT_FALSE(ListingFrame::startJob(view, {"Listado de Categorias", "PRN"}));
    ASSERT_EQ(output.asked.size(), 1);
    EXPECT_EQ(output.asked[0].output, "PRN");
    EXPECT_EQ(output.asked[0].settingsSection, "LISTADOS");
    EXPECT_TRUE(view.document().pages.isEmpty());
    EXPECT_TRUE(output.delivered.isEmpty());
}

TEST(KQRView, ATextJobDrawsItsTextsPlainAndLeavesPicturesOut)
{
    RecordingOutput output;
    KQRView view(&output);
    view.setFont("Arial", 10, true, true);
    ASSERT_TRUE(view.startTextJob(JobSettings{}));
    EXPECT_TRUE(view.isTextJob());
    view.drawText("Total", {10, 10, 100, 25});
    view.drawPicture("logo.bmp", {0, 0, 50, 50});
    view.endJob();

    ASSERT_EQ(output.delivered.size(), 1);
    const ReportDocument& document = output.delivered.first();
    EXPECT_TRUE(document.plainText);
    ASSERT_EQ(document.pages.size(), 1);
    const QList<TextOperation> texts = document.pages.first().texts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts.first().font.name, "Courier New");
    EXPECT_EQ(texts.first().font.size, 10);
    EXPECT_FALSE(texts.first().font.bold);
    EXPECT_FALSE(texts.first().font.italic);
    EXPECT_EQ(document.pages.first().operations.size(), 1) << "the picture is left out";

    // The next job of a writer is an ordinary one again.
    KQRView ordinary(&output);
    ASSERT_TRUE(ordinary.startJob(JobSettings{}));
    EXPECT_FALSE(ordinary.isTextJob());
}

TEST(KQRView, PrinterCommandsTheJobUnderstandsTravelWithItsDocument)
{
    RecordingOutput output;
    KQRView view(&output);
    EXPECT_FALSE(view.printerCommand("COPIAS 2")) << "no job yet";
    ASSERT_TRUE(view.startJob(JobSettings{}));
    EXPECT_TRUE(view.printerCommand(" copias  2 "));
    EXPECT_TRUE(view.printerCommand("DUPLEX 2"));
    EXPECT_FALSE(view.printerCommand("COPIAS 0"));
    EXPECT_FALSE(view.printerCommand("GRAPAR 1"));
    EXPECT_FALSE(view.printerCommand("DUPLEX"));
    view.endJob();
    ASSERT_EQ(output.delivered.size(), 1);
    EXPECT_EQ(output.delivered.first().printerCommands, (QStringList{"COPIAS 2", "DUPLEX 2"}));

    PrinterSettings saved;
    saved.duplex = 1;
    saved.color = PrinterSettings::colour;
    const JobPrinting printing =
        withPrinterCommands(saved, {"COPIAS 3", "DUPLEX 3", "BANDEJA 4", "COLOR 1", "COPIAS 0"});
    EXPECT_EQ(printing.copies, 3) << "a command not understood changes nothing";
    EXPECT_EQ(printing.settings.duplex, 3);
    EXPECT_EQ(printing.settings.defaultSource, 4);
    EXPECT_EQ(printing.settings.color, PrinterSettings::monochrome);
    EXPECT_EQ(withPrinterCommands(saved, {}).settings, saved);
}

TEST(KQRView, PrinterSetUpAsksTheOutputForTheJobsSettingsFile)
{
    RecordingOutput output;
    KQRView view(&output);
    EXPECT_TRUE(view.printerSetup());
    JobSettings settings;
    settings.settingsFile = "OTRO.INI";
    settings.settingsSection = "RECIBOS";
    ASSERT_TRUE(view.startJob(settings));
    output.accept = false;
    EXPECT_FALSE(view.printerSetup());
    EXPECT_EQ(output.setUps, (QStringList{"KQPRN.INI/LISTADOS", "OTRO.INI/RECIBOS"}));
    KQRView headless(nullptr);
    EXPECT_FALSE(headless.printerSetup()) << "nobody to ask";
}

}  // namespace
