// RCATEGOR: the listing of categories, one line per category in number order.
#include "reports/listings.h"

#include "data/database.h"
#include "reports/listing_frame.h"
#include "reports/listing_text.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cassert>

namespace {

struct CategoryRow {
    qint64 number = 0;
    QString description;
};

bool readCategories(Database& database, QList<CategoryRow>& rows, ListingResult& error)
{
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT CatId, CatDesc FROM CATEGORI ORDER BY CatId"))) {
        error = ListingResult::databaseFailure(QStringLiteral("No se pudo leer la tabla CATEGORI"),
                                               query.lastError());
        return false;
    }
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1).toString().trimmed()});
    if (query.lastError().isValid()) {
        error = ListingResult::databaseFailure(QStringLiteral("No se pudo leer la tabla CATEGORI"),
                                               query.lastError());
        return false;
    }
    return true;
}

}  // namespace

ListingResult RCATEGOR(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    // Everything is read before the job starts, so a failed read leaves no
    // half-drawn listing behind.
    ListingResult result;
    QList<CategoryRow> rows;
    QString company;
    if (!readCategories(*run.database, rows, result) || !readCompanyName(*run.database, company, result))
        return result;

    if (!ListingFrame::startJob(view, {QStringLiteral("Listado de Categorias"), run.output}))
        return result;
    ListingFrame frame(view, {QStringLiteral("Categorías"), company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({QStringLiteral("Categoría"), 211, 267, 211, 267, TextAlignment::Left});
    frame.addColumn({QStringLiteral("Descripción"), 324, 391, 324, 755, TextAlignment::Left});
    for (const CategoryRow& row : rows)
        frame.addRow({ListingText::number(row.number, QStringLiteral("ZZ9")), row.description});
    frame.finish();
    return result;
}
