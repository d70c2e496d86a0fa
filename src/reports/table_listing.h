#pragma once

#include "reports/listing_frame.h"
#include "reports/listings.h"

#include <QList>
#include <QString>
#include <QStringList>

class RecordCursor;

/// One column of a listing over one table.
struct TableListingColumn {
    QString heading;
    int headingLeft = 0;
    int headingRight = 0;
    int detailLeft = 0;
    int detailRight = 0;
    QStringList fields;          ///< shown joined by a blank
    QString picture;             ///< number or text picture; empty: the text as stored
    QString (*cell)(const RecordCursor& record) = nullptr;  ///< instead of fields, when given
    int line = 0;  ///< the line of a row it prints on, in a wrapped listing of two-line rows
};

/// A listing of one table, one line per row in the order of an index: its
/// names, the table and the columns. The listings of the organisation
/// tables are declarations of this kind.
struct TableListing {
    QString documentName;  ///< e.g. "Listado de Categorias"
    QString title;         ///< drawn on every page, e.g. "Categorías"
    QString table;
    QString index;
    QList<TableListingColumn> columns;
    PageOrientation orientation = PageOrientation::Portrait;
    /// Texts longer than their columns go on on further lines of the same
    /// column (ListingFrame::addWrappedRow) instead of running into the next.
    bool wrapped = false;
    int rowGap = 0;  ///< blank pixels above each wrapped row
};

/// Draws `listing` through the listing frame. The first row and the company
/// record are read before the job starts, so a table that cannot be read
/// gives an error and no listing; a failure half-way drops the job.
ListingResult runTableListing(const TableListing& listing, KQRView& view, const ListingRun& run);

/// The text of `column` for the current row of `record`: its cell function,
/// or its fields joined by a blank through its picture (an empty date
/// prints nothing).
QString listingCellText(const TableListingColumn& column, const RecordCursor& record);

/// "Si" for a set flag ("S" or a number other than 0), "No" otherwise.
QString yesNo(const QVariant& flag);
