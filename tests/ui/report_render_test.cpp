// The renderers of recorded pages: fonts mapped to installed equivalents,
// boxes placed at any resolution, PDF files with one page per page.
#include "ui/report_render.h"
#include "reports/printer_settings.h"

#include "report_fixture.h"
#include "temp_folder.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

/// The smallest rectangle holding every pixel darker than mid grey.
QRect darkArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                area = area.united(QRect(x, y, 1, 1));
        }
    }
    return area;
}

TEST(ReportFonts, ListingFontsMapToInstalledMetricEquivalents)
{
    EXPECT_EQ(installedFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(installedFontFamily("courier new"), "Liberation Mono");
    EXPECT_EQ(installedFontFamily("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(installedFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(installedFontFamily("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(installedFontFamily("DejaVu Sans"), "DejaVu Sans");

    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    FontState state;
    state.name = "Courier New";
    state.bold = true;
    const QFont font = reportFont(state, painter, 96);
    EXPECT_EQ(font.family(), "Liberation Mono");
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << "Courier's stand-in must be monospaced for the columns";
}

TEST(ReportRender, BoxesLandWhereTheyWereRecordedAtEveryResolution)
{
    KQRView view(nullptr);
    ASSERT_TRUE(view.startJob({}));
    RectangleOperation block;
    block.box = {100, 200, 200, 250};
    block.borderWidth = 0;
    block.fill = RgbColor::black();
    view.drawRectangle(block);
    view.endJob();

    for (double dpi : {96.0, 192.0}) {
        SCOPED_TRACE(dpi);
        const double scale = dpi / 96.0;
        const QImage image = renderPageImage(view.document(), 0, dpi);
        EXPECT_EQ(image.width(), qRound(793 * scale));
        EXPECT_EQ(image.height(), qRound(1122 * scale));
        const QRect dark = darkArea(image);
        EXPECT_NEAR(dark.left(), 100 * scale, 1);
        EXPECT_NEAR(dark.top(), 200 * scale, 1);
        EXPECT_NEAR(dark.right() + 1, 200 * scale, 1);
        EXPECT_NEAR(dark.bottom() + 1, 250 * scale, 1);
    }
}

TEST(ReportRender, TextKeepsItsSizeAndBoxWhenZoomed)
{
    KQRView view(nullptr);
    ASSERT_TRUE(view.startJob({}));
    view.setFont("Courier New", 8);
    view.drawText("MMMMMMMMMM", {50, 60, 250, 75});
    view.setFont("Arial", 8);
    view.drawText("Derecha", {400, 60, 500, 75}, TextAlignment::Right);
    view.endJob();

    const QImage small = renderPageImage(view.document(), 0, 96);
    const QImage large = renderPageImage(view.document(), 0, 192);
    const QRect left = darkArea(small.copy(0, 0, 300, 100));
    const QRect leftLarge = darkArea(large.copy(0, 0, 600, 200));
    // Ten monospaced letters of 8 points: 0.6 em each, 64 pixels at 96 dpi.
    EXPECT_NEAR(left.width(), 64, 6);
    EXPECT_NEAR(leftLarge.width(), 2 * left.width(), 6);
    EXPECT_NEAR(left.left(), 50, 2);
    EXPECT_GE(left.top(), 58);
    EXPECT_LE(left.bottom(), 77);

    const QRect right = darkArea(small.copy(300, 0, 300, 100)).translated(300, 0);
    EXPECT_NEAR(right.right() + 1, 500, 2) << "right-aligned text ends at the box's right edge";
}

/// The width and height of the first page box of a PDF, in points.
QSizeF pdfPageSize(const QByteArray& pdf)
{
    const QRegularExpressionMatch box =
        QRegularExpression("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)")
            .match(QString::fromLatin1(pdf));
    return box.hasMatch() ? QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble()) : QSizeF();
}

TEST(ReportRender, APdfFileHasOnePagePerRecordedPageOnPaperOfItsOrientationOrSaysWhyNot)
{
    TempFolder folder;
    QString error;
    ASSERT_TRUE(writePdf(numberedReport(3), folder.file("listado.pdf"), error)) << error.toStdString();
    const QByteArray pdf = folder.read("listado.pdf");
    EXPECT_TRUE(pdf.startsWith("%PDF")) << pdf.left(20).toStdString();
    const QRegularExpression pageObject("/Type\\s*/Page(?![s\\w])");
    EXPECT_EQ(QString::fromLatin1(pdf).count(pageObject), 3);
    // A4 portrait: 595 x 842 points.
    EXPECT_NEAR(pdfPageSize(pdf).width(), 595, 1);
    EXPECT_NEAR(pdfPageSize(pdf).height(), 842, 1);

    ASSERT_TRUE(writePdf(numberedReport(1, PageOrientation::Landscape), folder.file("apaisado.pdf"), error));
    const QSizeF landscape = pdfPageSize(folder.read("apaisado.pdf"));
    EXPECT_GT(landscape.width(), landscape.height());

    // A place that cannot be written, or nothing to write, is reported.
    const QString path = folder.file("no/existe/listado.pdf");
    EXPECT_FALSE(writePdf(numberedReport(1), path, error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    error.clear();
    EXPECT_FALSE(writePdf(ReportDocument{}, folder.file("vacio.pdf"), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ReportRender, APdfCutShortByAFullDiskLeavesTheEarlierFileWhole)
{
    TempFolder folder;
    const QString path = folder.write("listado.pdf", "%PDF listado de ayer");
    // Files of this process may not grow past 300 bytes: every write beyond
    // fails as on a full disk.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 300;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = writePdf(numberedReport(3), path, error);
    const bool writtenNew = writePdf(numberedReport(3), folder.file("nuevo.pdf"), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_TRUE(error.contains("No se pudo escribir el archivo")) << error.toStdString();
    EXPECT_EQ(folder.read("listado.pdf"), QByteArray("%PDF listado de ayer"));
    EXPECT_FALSE(writtenNew);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"listado.pdf"});
}

TEST(ReportPrinter, SavedSettingsAndTheJobsCommandsSetUpThePrinterAndComeBack)
{
    PrinterSettings saved;
    saved.paperSize = 9;
    saved.color = PrinterSettings::monochrome;
    saved.duplex = 3;
    saved.mode = "RAW";
    saved.scale = 90;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    applyPrinterSettings(printer, saved, numberedReport(1, PageOrientation::Landscape));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(printer.colorMode(), QPrinter::GrayScale);
    EXPECT_EQ(printer.docName(), "Listado de prueba");

    const PrinterSettings back = printerSettingsOf(printer, saved);
    EXPECT_EQ(back.orientation, PrinterSettings::landscape);
    EXPECT_EQ(back.paperSize, 9);
    EXPECT_EQ(back.paperWidth, 2100);
    EXPECT_EQ(back.paperLength, 2970);
    EXPECT_EQ(back.color, PrinterSettings::monochrome);
    EXPECT_EQ(back.mode, "RAW") << "what the printer does not know is kept";
    EXPECT_EQ(back.scale, 90);
    // The job's own commands win over the saved settings.
    saved.color = PrinterSettings::colour;
    ReportDocument commanded = numberedReport(1);
    commanded.printerCommands = {"COPIAS 3", "COLOR 1"};
    QPrinter second(QPrinter::HighResolution);
    second.setOutputFormat(QPrinter::PdfFormat);
    applyPrinterSettings(second, saved, commanded);
    EXPECT_EQ(second.copyCount(), 3);
    EXPECT_EQ(second.colorMode(), QPrinter::GrayScale);
}

TEST(ReportPrinter, PrintingToAPdfPrinterDrawsEveryPage)
{
    TempFolder folder;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.file("impreso.pdf"));
    const ReportDocument document = numberedReport(2);
    applyPrinterSettings(printer, {}, document);
    QString error;
    ASSERT_TRUE(printDocument(document, printer, error)) << error.toStdString();
    const QString pdf = QString::fromLatin1(folder.read("impreso.pdf"));
    EXPECT_EQ(pdf.count(QRegularExpression("/Type\\s*/Page(?![s\\w])")), 2);
}

TEST(ReportPrinter, TheSetUpKeepsItsChoiceInKqprnIniAndEveryOtherLine)
{
    TempFolder folder;
    folder.write("KQPRN.INI", "; impresoras del sistema\r\n[RECIBOS]\r\nPrinter=Oficina\r\n"
                              "[LISTADOS]\r\nMode=RAW\r\nScale=90\r\nOtra=1\r\n");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF()));
    printer.setColorMode(QPrinter::GrayScale);
    QString error;
    ASSERT_TRUE(savePrinterSetUp(printer, folder.file("KQPRN.INI"), "LISTADOS", error)) << error.toStdString();

    const PrinterSettings back = PrinterSettingsFile::load(folder.file("KQPRN.INI"));
    EXPECT_EQ(back.orientation, PrinterSettings::landscape);
    EXPECT_EQ(back.paperSize, 11);
    EXPECT_EQ(back.color, PrinterSettings::monochrome);
    EXPECT_EQ(back.mode, "RAW") << "what the dialog does not set stays";
    EXPECT_EQ(back.scale, 90);
    const QString text = QString::fromLatin1(folder.read("KQPRN.INI"));
    EXPECT_TRUE(text.startsWith("; impresoras del sistema")) << text.toStdString();
    EXPECT_TRUE(text.contains("Printer=Oficina")) << "other sections stay";
    EXPECT_TRUE(text.contains("Otra=1")) << "other keys stay";
    EXPECT_EQ(PrinterSettingsFile::load(folder.file("KQPRN.INI"), "RECIBOS").printer, "Oficina");
}

}  // namespace
