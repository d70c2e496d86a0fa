// The preview window: counted among the open previews while it exists,
// paging and zooming, saving, and opened by "SCR" jobs that outlive it.
#include "ui/report_preview.h"

#include "report_fixture.h"
#include "scripted_ui.h"
#include "temp_folder.h"

#include <QApplication>
#include <QLabel>
#include <QPrinterInfo>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

/// Runs the deferred deletes that closing a preview leaves behind.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

TEST(ReportPreview, CountsAsOpenUntilClosed)
{
    TempFolder folder;
    settle();
    const int before = ReportPreviews::openCount();
    auto* first = new ReportPreview(numberedReport(1), folder.file("KQPRN.INI"));
    auto* second = new ReportPreview(numberedReport(2), folder.file("KQPRN.INI"));
    first->show();
    second->show();
    EXPECT_EQ(ReportPreviews::openCount(), before + 2);
    EXPECT_TRUE(KQRView::alive());

    first->close();
    settle();
    EXPECT_EQ(ReportPreviews::openCount(), before + 1);
    EXPECT_TRUE(KQRView::alive());
    second->close();
    settle();
    EXPECT_EQ(ReportPreviews::openCount(), before);
    EXPECT_EQ(KQRView::alive(), before > 0);
}

TEST(ReportPreview, PagesThroughTheDocumentWithinItsBoundsAndSavesItAsPdf)
{
    TempFolder folder;
    ReportPreview preview(numberedReport(3), folder.file("KQPRN.INI"));
    preview.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(preview.windowTitle(), "Listado de prueba");
    EXPECT_EQ(preview.pageCount(), 3);
    EXPECT_EQ(preview.currentPage(), 1);

    auto* pageNumber = preview.findChild<QSpinBox*>();
    ASSERT_NE(pageNumber, nullptr);
    preview.nextPage();
    EXPECT_EQ(preview.currentPage(), 2);
    EXPECT_EQ(pageNumber->value(), 2);
    preview.lastPage();
    preview.nextPage();
    EXPECT_EQ(preview.currentPage(), 3);
    preview.firstPage();
    preview.previousPage();
    EXPECT_EQ(preview.currentPage(), 1);
    preview.showPage(99);
    EXPECT_EQ(preview.currentPage(), 3);
    pageNumber->setValue(2);
    EXPECT_EQ(preview.currentPage(), 2) << "typing a page number shows it";
    ASSERT_TRUE(preview.saveAsPdf(folder.file("copia.pdf")));
    EXPECT_TRUE(folder.read("copia.pdf").startsWith("%PDF"));
}

TEST(ReportPreview, ZoomGrowsAndShrinksThePageWithinLimits)
{
    TempFolder folder;
    ReportPreview preview(numberedReport(1), folder.file("KQPRN.INI"));
    preview.setAttribute(Qt::WA_DeleteOnClose, false);
    preview.resize(800, 600);
    preview.show();
    auto pageWidth = [&preview] {
        for (QLabel* label : preview.findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                return label->pixmap().deviceIndependentSize().width();
        }
        return 0.0;
    };
    EXPECT_NEAR(pageWidth(), 793, 1);
    preview.zoomIn();
    EXPECT_GT(preview.zoom(), 1.0);
    EXPECT_NEAR(pageWidth(), 793 * preview.zoom(), 2);
    for (int step = 0; step < 30; ++step)
        preview.zoomOut();
    EXPECT_DOUBLE_EQ(preview.zoom(), 0.25);
    for (int step = 0; step < 30; ++step)
        preview.zoomIn();
    EXPECT_DOUBLE_EQ(preview.zoom(), 4.0);
    preview.fitToWindow();
    EXPECT_LT(preview.zoom(), 1.0) << "an A4 page fits a 600-pixel-high window only when shrunk";
}

TEST(DesktopReportOutput, AScreenJobOpensAPreviewThatOutlivesTheListing)
{
    TempFolder folder;
    DesktopReportOutput output(folder.path());
    {
        KQRView view(&output);
        ASSERT_TRUE(view.startJob({}));
        view.maximisePreview(false);
        view.setDocumentName("Listado de Categorias");
        view.drawText("Peones", {324, 116, 755, 130});
        view.newPage();
        view.drawText("Oficiales", {324, 116, 755, 130});
        view.endJob();
    }
    ReportPreview* preview = output.lastPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(KQRView::alive());
    EXPECT_EQ(preview->pageCount(), 2);
    EXPECT_NE(preview->document().pages.at(1).findText("Oficiales"), nullptr);

    const int open = ReportPreviews::openCount();
    preview->close();
    settle();
    EXPECT_EQ(output.lastPreview(), nullptr);
    EXPECT_EQ(ReportPreviews::openCount(), open - 1);
}

TEST(DesktopReportOutput, APrinterJobWithoutAPrinterDoesNotStart)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer; the test would print on it";
    TempFolder folder;
    ScriptedUi ui;
    DesktopReportOutput output(folder.path(), &ui);
    KQRView view(&output);
    JobSettings settings;
    settings.output = "PRN";
    EXPECT_FALSE(view.startJob(settings));
    view.endJob();
    EXPECT_EQ(output.lastPreview(), nullptr);
    EXPECT_EQ(ui.texts(), QStringList{"No hay ninguna impresora instalada. Elija la salida por pantalla para ver "
                                      "el listado."});
}

}  // namespace
