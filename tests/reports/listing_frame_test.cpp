// The page frame of every listing: the header's boxes and texts, page breaks
// at the bottom limit with the header repeated, page numbers from 1.
#include "reports/listing_frame.h"

#include "scripted_ui.h"

#include <gtest/gtest.h>

namespace {

const QDateTime emitted(QDate(2026, 3, 5), QTime(14, 7, 9));

ListingHeader header()
{
    return {"Categorías", "Construcciones del Plata S.A.", "mgarcia", emitted};
}

/// A started job in the frame's model: two columns like the categories'.
struct FrameFixture {
    KQRView view{nullptr};
    std::unique_ptr<ListingFrame> frame;

    explicit FrameFixture(PageOrientation orientation = PageOrientation::Portrait, UiPort* ui = nullptr)
    {
        EXPECT_TRUE(ListingFrame::startJob(view, {"Listado de Categorias", "SCR", orientation}));
        frame = std::make_unique<ListingFrame>(view, header(), ui);
        frame->addColumn({"Categoría", 211, 267, 211, 267, TextAlignment::Left});
        frame->addColumn({"Descripción", 324, 391, 324, 755, TextAlignment::Left});
    }
    void addRows(int count)
    {
        for (int row = 1; row <= count; ++row)
            frame->addRow({QString::number(row).rightJustified(3), QStringLiteral("Fila %1").arg(row)});
    }
    const QList<ReportPage>& pages() const { return view.document().pages; }
};

/// The detail texts of a page: those drawn below the headings.
QList<TextOperation> detailTexts(const ReportPage& page)
{
    QList<TextOperation> details;
    for (const TextOperation& text : page.texts()) {
        if (text.box.top >= ListingFrame::detailTop)
            details.append(text);
    }
    return details;
}

TEST(ListingFrame, HeaderTextsSitInTheirBoxesWithTheirFonts)
{
    FrameFixture fixture;
    fixture.frame->finish();
    const ReportPage& page = fixture.pages().at(0);

    struct Expected {
        QString text;
        PixelBox box;
        QString font;
        double size;
        bool bold;
    };
    const QList<Expected> expected = {
        {"Construcciones del Plata S.A.", {25, 14, 374, 28}, "Courier New", 9, false},
        {"Emitido:", {588, 15, 633, 27}, "MS Sans Serif", 8, true},
        {"05/03/26", {636, 15, 691, 28}, "Courier New", 8, false},
        {"14:07:09", {700, 15, 755, 28}, "Courier New", 8, false},
        {"Por:", {588, 33, 611, 45}, "MS Sans Serif", 8, true},
        {"MGARCIA", {616, 33, 755, 46}, "Courier New", 8, false},
        {"Página:", {588, 51, 631, 63}, "MS Sans Serif", 8, true},
        {"     1", {714, 51, 755, 64}, "Courier New", 8, false},
        {"Categoría", {211, 96, 267, 109}, "MS Sans Serif", 8, true},
        {"Descripción", {324, 96, 391, 109}, "MS Sans Serif", 8, true},
    };
    for (const Expected& element : expected) {
        SCOPED_TRACE(element.text.toStdString());
        const TextOperation* text = page.findText(element.text);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->box, element.box);
        EXPECT_EQ(text->font.name, element.font);
        EXPECT_EQ(text->font.size, element.size);
        EXPECT_EQ(text->font.bold, element.bold);
    }
    EXPECT_NE(page.findText("Categorías"), nullptr) << "the title is on the page";

    // The frame: a rectangle from 24 to 759 with a white fill, drawn first
    // so the texts stand on it.
    const auto* frame = std::get_if<RectangleOperation>(&page.operations.at(0));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->box.left, 24);
    EXPECT_EQ(frame->box.right, 759);
    EXPECT_TRUE(frame->filled);
    EXPECT_EQ(frame->fill, RgbColor::white());
    EXPECT_LE(frame->box.top, 14);
    EXPECT_GE(frame->box.bottom, 64);

    // The user is shown in upper case, in twenty characters.
    KQRView view(nullptr);
    ASSERT_TRUE(ListingFrame::startJob(view, {"Listado", "SCR"}));
    ListingFrame named(view, {"T", "E", "maría del carmen rodríguez", emitted});
    named.finish();
    EXPECT_NE(view.document().pages.at(0).findText("MARÍA DEL CARMEN ROD"), nullptr);
}

TEST(ListingFrame, LongListingsBreakBeforeTheBottomLimitRepeatTheHeaderAndLetTheWindowBreathe)
{
    ScriptedUi ui;
    FrameFixture fixture(PageOrientation::Portrait, &ui);
    fixture.addRows(150);
    fixture.frame->finish();

    // 15-pixel lines from y 116 while they end at 900 at most: 52 a page.
    const QList<ReportPage>& pages = fixture.pages();
    ASSERT_EQ(pages.size(), 3);
    const QList<int> linesPerPage = {52, 52, 46};
    int row = 0;
    for (int index = 0; index < pages.size(); ++index) {
        SCOPED_TRACE(index);
        const ReportPage& page = pages.at(index);
        const TextOperation* number = page.findText(QString::number(index + 1).rightJustified(6));
        ASSERT_NE(number, nullptr) << "page number";
        EXPECT_EQ(number->box, (PixelBox{714, 51, 755, 64}));
        EXPECT_NE(page.findText("Emitido:"), nullptr);
        EXPECT_NE(page.findText("05/03/26"), nullptr) << "the same issue date on every page";
        EXPECT_NE(page.findText("Construcciones del Plata S.A."), nullptr);
        EXPECT_NE(page.findText("Descripción"), nullptr);

        const QList<TextOperation> details = detailTexts(page);
        ASSERT_EQ(details.size(), linesPerPage.at(index) * 2);
        EXPECT_EQ(details.first().box.top, ListingFrame::detailTop);
        for (qsizetype at = 0; at < details.size(); at += 2) {
            ++row;
            EXPECT_EQ(details.at(at + 1).text, QStringLiteral("Fila %1").arg(row));
            EXPECT_EQ(details.at(at).box.top, ListingFrame::detailTop + int(at / 2) * ListingFrame::lineHeight);
            EXPECT_LE(details.at(at).box.top + ListingFrame::lineHeight, 900);
            EXPECT_EQ(details.at(at).font.name, "Courier New");
            EXPECT_EQ(details.at(at).font.size, 8);
            EXPECT_FALSE(details.at(at).font.bold);
        }
    }
    EXPECT_EQ(row, 150);
    EXPECT_EQ(fixture.frame->pagesDrawn(), 3);
    EXPECT_GE(ui.processEventsCount(), 5);

    // Exactly one page full does not start an empty page.
    FrameFixture full;
    full.addRows(52);
    full.frame->finish();
    EXPECT_EQ(full.pages().size(), 1);
}

TEST(ListingFrame, BottomLimitIsSixtyLinesOnTallPagesElseThePageLessNinety)
{
    EXPECT_EQ(listingBottomLimit(1122), 900);
    EXPECT_EQ(listingBottomLimit(990), 900);
    EXPECT_EQ(listingBottomLimit(989), 899);
    EXPECT_EQ(listingBottomLimit(793), 703);

    FrameFixture landscape(PageOrientation::Landscape);
    EXPECT_EQ(landscape.frame->bottomLimit(), 703);
    landscape.addRows(40);
    landscape.frame->finish();
    // (703 - 116) / 15 = 39 lines on the first page.
    ASSERT_EQ(landscape.pages().size(), 2);
    EXPECT_EQ(detailTexts(landscape.pages().at(1)).size(), 2);
}

TEST(ListingFrame, TallBandsAreKeptWholeOnOnePage)
{
    FrameFixture fixture;
    fixture.addRows(50);  // the last ends at 116 + 750 = 866
    const int top = fixture.frame->reserve(3 * ListingFrame::lineHeight);
    EXPECT_EQ(top, ListingFrame::detailTop) << "45 pixels do not fit under 866: the band opens page 2";
    EXPECT_EQ(fixture.view.pageNumber(), 2);
}

}  // namespace
