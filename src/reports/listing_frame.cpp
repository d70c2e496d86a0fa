#include "reports/listing_frame.h"

#include "data/cursor.h"
#include "support/dates.h"
#include "support/line_split.h"
#include "support/picture.h"
#include "support/ui_port.h"

#include <cassert>

namespace {

// Fonts of the frame, by the names the listings carry.
const QString courier = QStringLiteral("Courier New");
const QString sansSerif = QStringLiteral("MS Sans Serif");
const QString arial = QStringLiteral("Arial");

// Lines of the page and the limit of a full-height page: 66 lines of 15
// pixels, less 6 lines of bottom margin.
constexpr int fullPageLines = 66;
constexpr int bottomMarginLines = 6;
constexpr int shortPageMargin = 90;

// The frame rectangle around the header, and the headings row below it.
constexpr int frameLeft = 24;
constexpr int uprightFrameRight = 759;  // on A4 upright
constexpr int frameTop = 8;
constexpr int frameBottom = 72;
constexpr int headingTop = 96;
constexpr int headingBottom = 109;
constexpr int headingRuleY = 112;
// The row of headings above, for records of two lines.
constexpr int headingLineStep = 16;

// "Courier New" 8 at 96 pixels to the inch: 6.4 pixels a character.
constexpr int courierPixelsTimesFive = 32;

// Events are processed every so many detail bands, so the window stays
// alive while a long listing is drawn.
constexpr int bandsBetweenEvents = 25;

FontState fontOf(const QString& name, double size, bool bold)
{
    FontState font;
    font.name = name;
    font.size = size;
    font.bold = bold;
    return font;
}

}  // namespace

int listingBottomLimit(int pageHeight)
{
    const int lineHeight = ListingFrame::lineHeight;
    if (pageHeight >= fullPageLines * lineHeight)
        return (fullPageLines - bottomMarginLines) * lineHeight;
    return pageHeight - shortPageMargin;
}

bool ListingFrame::startJob(KQRView& view, const ListingJob& job)
{
    view.setFont(courier, 8);
    JobSettings settings;
    settings.output = job.output;
    if (job.orientation == PageOrientation::Landscape)
        settings = settings.landscape();
    view.setLanguage(QStringLiteral("SPA"));
    view.maximisePreview(true);
    if (!view.startJob(settings)) {
        view.endJob();
        return false;
    }
    view.setDocumentName(job.documentName);
    return true;
}

ListingFrame::ListingFrame(KQRView& view, ListingHeader header, UiPort* ui)
    : view_(view), header_(std::move(header)), ui_(ui),
      bottomLimit_(listingBottomLimit(view.pageHeight())),
      widen_(qMax(0, view.pageWidth() - twipsToPixels(JobSettings{}.pageWidthTwips)))
{
    assert(view.isStarted() && "the listing frame draws into a started job");
}

int ListingFrame::frameRight() const
{
    return uprightFrameRight + widen_;
}

int ListingFrame::charactersIn(const ListingColumn& column)
{
    return qMax(1, (column.detailRight - column.detailLeft + 1) * 5 / courierPixelsTimesFive);
}

void ListingFrame::addColumn(const ListingColumn& column)
{
    ListingColumn added = column;
    if (added.detailLeft == 0 && added.detailRight == 0) {
        added.detailLeft = added.headingLeft;
        added.detailRight = added.headingRight;
    }
    columns_.append(added);
}

void ListingFrame::addRow(const QStringList& cells)
{
    drawRow(reserve(lineHeight), cells);
}

void ListingFrame::drawRow(int top, const QStringList& cells)
{
    assert(cells.size() <= columns_.size() && "more cells than columns");
    view_.setFont(courier, 8);
    const qsizetype shown = qMin(cells.size(), columns_.size());
    for (qsizetype index = 0; index < shown; ++index) {
        const ListingColumn& column = columns_.at(index);
        view_.drawText(cells.at(index), {column.detailLeft, top, column.detailRight, top + lineHeight - 1},
                       column.alignment);
    }
}

int ListingFrame::addWrappedRow(const QStringList& cells, int gapAbove)
{
    assert(cells.size() <= columns_.size() && "more cells than columns");
    QList<QStringList> texts;
    int lines = 1;
    for (qsizetype index = 0; index < columns_.size(); ++index) {
        const QString cell = cells.value(index);
        texts.append(splitLines(cell, charactersIn(columns_.at(index))));
        lines = qMax(lines, columns_.at(index).line + 1);
    }
    // Each line of the record is as tall as its tallest text.
    QList<int> heights(lines, 1);
    for (qsizetype index = 0; index < columns_.size(); ++index) {
        int& height = heights[columns_.at(index).line];
        height = qMax(height, int(texts.at(index).size()));
    }
    int total = 0;
    QList<int> lineTops;
    for (int height : heights) {
        lineTops.append(total);
        total += height * lineHeight;
    }

    const int top = reserve(gapAbove + total) + gapAbove;
    view_.setFont(courier, 8);
    for (qsizetype index = 0; index < columns_.size(); ++index) {
        const ListingColumn& column = columns_.at(index);
        int y = top + lineTops.at(column.line);
        for (const QString& text : texts.at(index)) {
            view_.drawText(text, {column.detailLeft, y, column.detailRight, y + lineHeight - 1}, column.alignment);
            y += lineHeight;
        }
    }
    return top;
}

int ListingFrame::reserve(int height)
{
    if (pagesDrawn_ == 0) {
        drawHeader();
    } else if (y_ + height > bottomLimit_) {
        view_.newPage();
        drawHeader();
    }
    const int top = y_;
    y_ += height;
    if (ui_ && ++bandsSinceEvents_ >= bandsBetweenEvents) {
        bandsSinceEvents_ = 0;
        ui_->processEvents();
    }
    return top;
}

void ListingFrame::finish()
{
    if (pagesDrawn_ == 0)
        drawHeader();
    view_.endPage();
    view_.endDocument();
    view_.endJob();
}

void ListingFrame::drawHeader()
{
    ++pagesDrawn_;
    y_ = detailTop;

    RectangleOperation frame;
    frame.box = {frameLeft, frameTop, frameRight(), frameBottom};
    frame.fill = RgbColor::white();
    view_.drawRectangle(frame);

    const FontState company = fontOf(courier, 9, false);
    const FontState label = fontOf(sansSerif, 8, true);
    const FontState value = fontOf(courier, 8, false);
    const QDateTime& emitted = header_.emittedAt;

    // The issue block keeps to the frame's right edge.
    const int x = widen_;
    drawHeaderText(header_.company, {25, 14, 374, 28}, company);
    drawHeaderText(QStringLiteral("Emitido:"), {588 + x, 15, 633 + x, 27}, label);
    drawHeaderText(formatDate(emitted.date(), QStringLiteral("dd/mm/yy")), {636 + x, 15, 691 + x, 28}, value);
    drawHeaderText(formatTime(emitted.time(), QStringLiteral("hh:mm:ss")), {700 + x, 15, 755 + x, 28}, value);
    drawHeaderText(QStringLiteral("Por:"), {588 + x, 33, 611 + x, 45}, label);
    drawHeaderText(Picture(QStringLiteral("!!!!!!!!!!!!!!!!!!!!")).format(header_.user),
                   {616 + x, 33, 755 + x, 46}, value);
    drawHeaderText(QStringLiteral("Página:"), {588 + x, 51, 631 + x, 63}, label);
    drawHeaderText(Picture(QStringLiteral("ZZZZZ9")).format(double(pagesDrawn_)), {714 + x, 51, 755 + x, 64},
                   value);

    // The title sits in the frame below the company name, centred on the
    // room left of the issue block.
    view_.setFont(fontOf(arial, 12, true));
    view_.drawText(header_.title, {25, 38, 584 + x, 60}, TextAlignment::Center);

    view_.setFont(label);
    int lastLine = 0;
    for (const ListingColumn& column : columns_)
        lastLine = qMax(lastLine, column.line);
    for (const ListingColumn& column : columns_) {
        const int raise = (lastLine - column.line) * headingLineStep;
        view_.drawText(column.heading,
                       {column.headingLeft, headingTop - raise, column.headingRight, headingBottom - raise});
    }
    view_.drawLine({frameLeft, headingRuleY, frameRight(), headingRuleY, 1, RgbColor::black()});
}

void ListingFrame::drawHeaderText(const QString& text, const PixelBox& box, const FontState& font)
{
    view_.setFont(font);
    view_.drawText(text, box);
}

DbError openInOrder(TableCursor& rows, const QString& table, const QString& index)
{
    DbError error = rows.open(table, Access::ReadOnly);
    if (!error)
        error = rows.setIndex(index);
    if (!error)
        error = rows.moveFirst();
    return error;
}
