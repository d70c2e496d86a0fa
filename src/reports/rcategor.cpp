// RCATEGOR: the listing of categories, one line per category in number order.
#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "reports/listing_frame.h"
#include "support/picture.h"

#include <cassert>

ListingResult RCATEGOR(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    TableCursor categories(database);
    if (DbError error = categories.open(QStringLiteral("CATEGORI"), Access::ReadOnly))
        return ListingResult::from(error);
    if (DbError error = categories.setIndex(QStringLiteral("ICATEGOR")))
        return ListingResult::from(error);
    // The first read comes before the job starts: a table that cannot be
    // read gives an error and no listing at all.
    DbError error = categories.moveFirst();
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    if (!ListingFrame::startJob(view, {QStringLiteral("Listado de Categorias"), run.output}))
        return result;
    ListingFrame frame(view, {QStringLiteral("Categorías"), company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({QStringLiteral("Categoría"), 211, 267, 211, 267, TextAlignment::Left});
    frame.addColumn({QStringLiteral("Descripción"), 324, 391, 324, 755, TextAlignment::Left});

    const Picture number(QStringLiteral("ZZ9"));
    for (; !error && !categories.atEnd(); error = categories.moveNext())
        frame.addRow({number.format(categories.number(QStringLiteral("CatId"))),
                      categories.text(QStringLiteral("CatDesc")).trimmed()});
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
