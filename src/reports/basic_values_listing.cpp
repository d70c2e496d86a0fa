// The listing of the basics (RBASICL2): every basic in number order with its
// values under it (validity date, position, cost centre, reference,
// classifier, amount and previous amount), on paper turned on its side.
#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "reports/listing_frame.h"
#include "support/picture.h"

#include <cassert>

using namespace Qt::StringLiterals;

namespace {

QString dateText(const QDateTime& stored)
{
    static const Picture date(u"dd/mm/yyyy"_s);
    return stored.date() == emptyDate().date() || !stored.isValid() ? QString() : date.format(stored.date());
}

}  // namespace

ListingResult RBASICL2(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    // The basics and their values are read side by side, both in number order.
    TableCursor basics(database);
    TableCursor values(database);
    DbError error = openInOrder(basics, u"BASICOS"_s, u"IBASICOS"_s);
    if (!error)
        error = openInOrder(values, u"BASICOS1"_s, u"IBASICO"_s);
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    const QString title = u"Básicos"_s;
    if (!ListingFrame::startJob(view, {u"Listado de básicos"_s, run.output, PageOrientation::Landscape}))
        return result;
    ListingFrame frame(view, {title, company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({u"Básico"_s, 28, 70, 28, 70, TextAlignment::Right});
    frame.addColumn({u"Descripción"_s, 80, 300, 80, 300});
    frame.addColumn({u"Vigencia"_s, 310, 385, 310, 385});
    frame.addColumn({u"Cargo"_s, 390, 430, 390, 430, TextAlignment::Right});
    frame.addColumn({u"Centro de costo"_s, 440, 540, 440, 540});
    frame.addColumn({u"Referencia"_s, 550, 660, 550, 660});
    frame.addColumn({u"Clasificador"_s, 670, 810, 670, 810});
    frame.addColumn({u"Valor"_s, 820, 950, 820, 950, TextAlignment::Right});
    frame.addColumn({u"Valor anterior"_s, 960, 1090, 960, 1090, TextAlignment::Right});

    const Picture number(u"ZZZ9"_s);
    const Picture amount(u"ZZZ,ZZZ,ZZZ,ZZ9.99ZZZ"_s);
    for (; !error && !basics.atEnd(); error = basics.moveNext()) {
        const qint64 basic = basics.integer(u"BasId"_s);
        const QStringList header = {number.format(double(basic)).trimmed(), basics.text(u"BasDesc"_s).trimmed()};
        // Values of a basic that no longer exists are not listed.
        while (!error && !values.atEnd() && values.integer(u"BasId"_s) < basic)
            error = values.moveNext();
        const bool hasValues = !values.atEnd() && values.integer(u"BasId"_s) == basic;
        // A basic starts a page rather than be parted from its first value.
        int top = frame.reserve(ListingFrame::lineHeight * (hasValues ? 2 : 1));
        frame.drawRow(top, header);
        top += ListingFrame::lineHeight;  // the first value's line was reserved with its basic
        for (bool first = true; !error && !values.atEnd() && values.integer(u"BasId"_s) == basic;
             error = values.moveNext(), first = false) {
            if (!first) {
                const int pages = frame.pagesDrawn();
                top = frame.reserve(ListingFrame::lineHeight);
                // Values carried over to a new page come under their basic again.
                if (frame.pagesDrawn() != pages) {
                    frame.drawRow(top, header);
                    top = frame.reserve(ListingFrame::lineHeight);
                }
            }
            const qint64 position = values.integer(u"CarId"_s);
            frame.drawRow(top, {QString(), QString(), dateText(values.date(u"BasVigenci"_s)),
                                position ? number.format(double(position)).trimmed() : QString(),
                                values.text(u"CCId"_s).trimmed(), values.text(u"RefAuxId"_s).trimmed(),
                                values.text(u"BasClasif"_s).trimmed(),
                                amount.format(values.number(u"BasImp"_s)).trimmed(),
                                amount.format(values.number(u"BasImpAnt"_s)).trimmed()});
        }
    }
    database.idleFreeLocks();
    if (error) {
        view.abortJob();
        return ListingResult::from(error);
    }
    frame.finish();
    return result;
}
