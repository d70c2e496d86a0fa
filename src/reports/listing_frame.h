#pragma once

#include "reports/kqrview.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class TableCursor;
class UiPort;
struct DbError;

/// What the page header of a listing shows besides its columns.
struct ListingHeader {
    QString title;        ///< drawn on every page, e.g. "Categorías"
    QString company;      ///< `CfEmpresa` of `CONFIGUR`
    QString user;         ///< for "Por:"
    QDateTime emittedAt;  ///< taken once, printed on every page
};

/// One column of a listing: its heading box and the box of its detail texts.
struct ListingColumn {
    QString heading;
    int headingLeft = 0;
    int headingRight = 0;
    int detailLeft = 0;   ///< detail box; the heading box when left as 0/0
    int detailRight = 0;
    TextAlignment alignment = TextAlignment::Left;
    /// The line of a record the column prints on, from 0. A listing whose
    /// records take two lines heads them with two rows of headings, the
    /// first line's above the second's.
    int line = 0;
};

/// How a listing's job starts: the document name and the output choice.
struct ListingJob {
    QString documentName;                    ///< e.g. "Listado de Categorias"
    QString output = QStringLiteral("SCR");  ///< "SCR" or "PRN"
    PageOrientation orientation = PageOrientation::Portrait;
};

/// The page frame that every listing draws: the boxed header with company,
/// "Emitido:", "Por:" and "Página:", the title and the column headings, on
/// every page; detail lines of 15 pixels below it, breaking to a new page
/// before a band would end below the bottom limit. On paper turned on its
/// side the frame and the issue block move out to the wider page.
///
///     if (!ListingFrame::startJob(view, job)) return;
///     ListingFrame frame(view, header, ui);
///     frame.addColumn({"Categoría", 211, 267});
///     for (...) frame.addRow({code, description});
///     frame.finish();
class ListingFrame {
public:
    static constexpr int lineHeight = 15;
    /// Top of the first detail line of a page.
    static constexpr int detailTop = 116;

    /// Sets the initial font and the job settings, the language "spa",
    /// maximises the preview, starts the job and names the document. When
    /// the job does not start it ends it and returns false.
    static bool startJob(KQRView& view, const ListingJob& job);

    /// `ui`, when given, processes pending events every few lines.
    ListingFrame(KQRView& view, ListingHeader header, UiPort* ui = nullptr);

    void addColumn(const ListingColumn& column);
    const QList<ListingColumn>& columns() const { return columns_; }

    /// Draws one detail line: one text per column, in "Courier New" 8.
    void addRow(const QStringList& cells);
    /// Draws one record whose texts may be longer than their columns: each
    /// text is cut into lines of its column's width (at blanks where it can)
    /// and printed down its column; a record's second line (columns with
    /// `line` 1) starts below the tallest text of its first. The record is
    /// kept whole on one page, `gapAbove` blank pixels above it. Returns the
    /// top of its band.
    int addWrappedRow(const QStringList& cells, int gapAbove = 0);
    /// Draws one detail line at `top`, in a band reserved before.
    void drawRow(int top, const QStringList& cells);
    /// The characters of "Courier New" 8 that fit in a detail box.
    static int charactersIn(const ListingColumn& column);
    /// Makes room for a band of `height` pixels: draws the header on the
    /// first page, or ends the page and starts a new one with its header
    /// when the band would end below the bottom limit. Returns the band's top.
    int reserve(int height);
    /// Draws the header if no page has one yet (an empty listing still
    /// gets its page), then ends the page, the document and the job.
    void finish();

    /// The lowest y a band may reach on this job's paper.
    int bottomLimit() const { return bottomLimit_; }
    int pagesDrawn() const { return pagesDrawn_; }
    /// The right edge of the header frame: 759 on A4 upright, further out
    /// on a wider page.
    int frameRight() const;

private:
    void drawHeader();
    void drawHeaderText(const QString& text, const PixelBox& box, const FontState& font);

    KQRView& view_;
    ListingHeader header_;
    UiPort* ui_;
    QList<ListingColumn> columns_;
    int bottomLimit_;
    int widen_;  ///< how much wider than A4 upright the page is
    int y_ = detailTop;
    int pagesDrawn_ = 0;
    int bandsSinceEvents_ = 0;
};

/// Bottom limit of listings for a page `pageHeight` pixels high: 60 lines of
/// 15 pixels on paper of at least 66 lines, else the page less 90 pixels.
int listingBottomLimit(int pageHeight);

/// Opens `table` read-only on `index` and stands on its first row: how a
/// listing or an export walks a table in order.
DbError openInOrder(TableCursor& rows, const QString& table, const QString& index);
