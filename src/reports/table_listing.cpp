#include "reports/table_listing.h"

#include "data/cursor.h"
#include "data/database.h"
#include "support/dates.h"
#include "support/picture.h"

#include <cassert>

QString listingCellText(const TableListingColumn& column, const RecordCursor& record)
{
    if (column.cell)
        return column.cell(record);
    if (!column.picture.isEmpty() && column.fields.size() == 1) {
        const Picture picture(column.picture);
        if (picture.kind() == Picture::Kind::Date) {
            const QDate date = record.date(column.fields.first()).date();
            return isEmptyDate(date) ? QString() : picture.format(date);
        }
    }
    QStringList parts;
    for (const QString& field : column.fields)
        parts.append(record.text(field).trimmed());
    const QString text = parts.join(' ').trimmed();
    if (column.picture.isEmpty())
        return text;
    const Picture picture(column.picture);
    if (picture.kind() == Picture::Kind::Number && column.fields.size() == 1)
        return picture.format(record.number(column.fields.first()));
    return picture.format(text);
}

ListingResult runTableListing(const TableListing& listing, KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    TableCursor rows(database);
    if (DbError error = rows.open(listing.table, Access::ReadOnly))
        return ListingResult::from(error);
    if (DbError error = rows.setIndex(listing.index))
        return ListingResult::from(error);
    DbError error = rows.moveFirst();
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    if (!ListingFrame::startJob(view, {listing.documentName, run.output, listing.orientation}))
        return result;
    ListingFrame frame(view, {listing.title, company, run.user, run.emittedAt}, run.ui);
    for (const TableListingColumn& column : listing.columns)
        frame.addColumn({column.heading, column.headingLeft, column.headingRight, column.detailLeft, column.detailRight,
                         TextAlignment::Left, column.line});

    for (; !error && !rows.atEnd(); error = rows.moveNext()) {
        QStringList cells;
        for (const TableListingColumn& column : listing.columns)
            cells.append(listingCellText(column, rows));
        if (listing.wrapped)
            frame.addWrappedRow(cells, listing.rowGap);
        else
            frame.addRow(cells);
    }
    database.idleFreeLocks();
    if (error) {
        // A listing that could not be read to its end is not shown as if it
        // were complete.
        view.abortJob();
        return ListingResult::from(error);
    }
    frame.finish();
    return result;
}

QString yesNo(const QVariant& flag)
{
    const QString text = flag.toString().trimmed().toUpper();
    const bool set = text == QLatin1String("S") || (text.toDouble() != 0);
    return set ? QStringLiteral("Si") : QStringLiteral("No");
}
