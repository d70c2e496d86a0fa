// The listings of the organisation tables that do not fit one short line a
// row: locales and works have more columns than an upright page holds, so
// they print on paper turned on its side with long texts continued down
// their columns (works take two lines a row); the leave-day scales print
// each scale with its lines of years and days under it.
#include "reports/listing_frame.h"
#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "reports/table_listing.h"
#include "support/picture.h"

#include <cassert>

namespace {

QString holderContributorNumber(const RecordCursor& record)
{
    const QString number = record.text(QStringLiteral("ObrNroCont")).trimmed();
    const QString digit = record.text(QStringLiteral("ObrDigCont")).trimmed();
    return digit.isEmpty() ? number : number + u'-' + digit;
}

TableListingColumn column(const QString& heading, int left, int right, const QString& field,
                          const QString& picture = {}, int line = 0)
{
    TableListingColumn listed;
    listed.heading = heading;
    listed.headingLeft = left;
    listed.headingRight = right;
    listed.detailLeft = left;
    listed.detailRight = right;
    listed.fields = {field};
    listed.picture = picture;
    listed.line = line;
    return listed;
}

/// Opens `table` in the order of `index` on its first row.
}  // namespace

ListingResult RLOCALLI(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = [] {
        TableListing locales;
        locales.documentName = QStringLiteral("Listado de locales");
        locales.title = QStringLiteral("Locales");
        locales.table = QStringLiteral("LOCALES");
        locales.index = QStringLiteral("ILOCALES");
        locales.orientation = PageOrientation::Landscape;
        locales.wrapped = true;
        locales.columns = {
            column(QStringLiteral("Local"), 28, 60, QStringLiteral("LocId"), QStringLiteral("ZZ9")),
            column(QStringLiteral("Descripción/Dirección"), 66, 219, QStringLiteral("LocDesc")),
            column(QStringLiteral("Nº/Km"), 226, 283, QStringLiteral("LocNroKm")),
            column(QStringLiteral("Teléfono"), 290, 379, QStringLiteral("LocTelefon")),
            column(QStringLiteral("Fax"), 386, 475, QStringLiteral("LocFax")),
            column(QStringLiteral("NºMTSS"), 482, 559, QStringLiteral("LocPlaTrab")),
            column(QStringLiteral("Departamento"), 566, 655, QStringLiteral("LocDeparta")),
            column(QStringLiteral("Localidad"), 662, 783, QStringLiteral("LocLocalid")),
            column(QStringLiteral("C.Postal"), 790, 840, QStringLiteral("LocCPostal")),
            column(QStringLiteral("Fecha inicio"), 846, 915, QStringLiteral("LocFchInic"), QStringLiteral("dd/mm/yyyy")),
            column(QStringLiteral("Fecha cierre"), 922, 991, QStringLiteral("LocFchCier"), QStringLiteral("dd/mm/yyyy")),
            column(QStringLiteral("Observaciones"), 998, 1086, QStringLiteral("LocObserva")),
        };
        return locales;
    }();
    return runTableListing(listing, view, run);
}

ListingResult ROBRASLI(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = [] {
        TableListing works;
        works.documentName = QStringLiteral("ObrasListado");
        works.title = QStringLiteral("ObrasListado");
        works.table = QStringLiteral("OBRAS");
        works.index = QStringLiteral("IOBRAS");
        works.orientation = PageOrientation::Landscape;
        works.wrapped = true;
        works.rowGap = 6;  // the two lines of one works stay apart from the next
        TableListingColumn contributor = column(QStringLiteral("Nro. contribu. titular"), 608, 738, {});
        contributor.fields.clear();
        contributor.cell = &holderContributorNumber;
        // First line: the works; second line: the company that holds it.
        works.columns = {
            column(QStringLiteral("Id."), 28, 105, QStringLiteral("ObrId")),
            column(QStringLiteral("Estado"), 112, 150, QStringLiteral("ObrEstado")),
            column(QStringLiteral("Dirección obra"), 156, 475, QStringLiteral("ObrDireccO")),
            column(QStringLiteral("Nro. empresa titular"), 482, 602, QStringLiteral("ObrNroEmpr")),
            contributor,
            column(QStringLiteral("Tipo de aporte"), 744, 840, QStringLiteral("ObrTipoApo")),
            column(QStringLiteral("Tipo contribu."), 848, 930, QStringLiteral("ObrTipoCon")),
            column(QStringLiteral("Razón social"), 28, 250, QStringLiteral("ObrRazonSo"), {}, 1),
            column(QStringLiteral("Dirección titular"), 256, 475, QStringLiteral("ObrDireccT"), {}, 1),
            column(QStringLiteral("Tel. titular"), 482, 602, QStringLiteral("ObrTelTit"), {}, 1),
            column(QStringLiteral("Fax titular"), 608, 738, QStringLiteral("ObrFaxTit"), {}, 1),
            column(QStringLiteral("Cod. aporte titular"), 744, 840, QStringLiteral("ObrCodApor"), {}, 1),
            column(QStringLiteral("Tipo venc."), 848, 930, QStringLiteral("ObrTipoVen"), {}, 1),
            column(QStringLiteral("CIUU titular"), 938, 1040, QStringLiteral("ObrCiuuTit"), {}, 1),
        };
        return works;
    }();
    return runTableListing(listing, view, run);
}

ListingResult RDIASLIC(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    // The scales and their lines are read side by side, both in scale order.
    TableCursor scales(database);
    TableCursor lines(database);
    DbError error = openInOrder(scales, QStringLiteral("DIASLICE"), QStringLiteral("IDIASLIC"));
    if (!error)
        error = openInOrder(lines, QStringLiteral("DIASLIC1"), QStringLiteral("IDIASLI1"));
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    const QString title = QStringLiteral("Días de licencia");
    if (!ListingFrame::startJob(view, {title, run.output}))
        return result;
    ListingFrame frame(view, {title, company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({QStringLiteral("Código"), 40, 85, 40, 85});
    frame.addColumn({QStringLiteral("Descripción"), 100, 167, 100, 330});
    frame.addColumn({QStringLiteral("Años de antigüedad"), 360, 470, 380, 420});
    frame.addColumn({QStringLiteral("Días"), 490, 530, 490, 530});

    const Picture code(QStringLiteral("Z9"));
    const Picture count(QStringLiteral("ZZ9"));
    for (; !error && !scales.atEnd(); error = scales.moveNext()) {
        const qint64 scale = scales.integer(QStringLiteral("DiLId"));
        const QStringList header = {code.format(double(scale)), scales.text(QStringLiteral("DilDesc")).trimmed()};
        // Lines of a scale that no longer exists are not listed.
        while (!error && !lines.atEnd() && lines.integer(QStringLiteral("DiLId")) < scale)
            error = lines.moveNext();
        const bool hasLines = !lines.atEnd() && lines.integer(QStringLiteral("DiLId")) == scale;
        // A scale starts a page rather than be parted from its first line.
        int top = frame.reserve(ListingFrame::lineHeight * (hasLines ? 2 : 1));
        frame.drawRow(top, header);
        top += ListingFrame::lineHeight;
        for (bool first = true; !error && !lines.atEnd() && lines.integer(QStringLiteral("DiLId")) == scale;
             first = false) {
            if (!first) {
                const int pages = frame.pagesDrawn();
                top = frame.reserve(ListingFrame::lineHeight);
                // Lines carried over to a new page come under their scale again.
                if (frame.pagesDrawn() != pages) {
                    frame.drawRow(top, header);
                    top = frame.reserve(ListingFrame::lineHeight);
                }
            }
            frame.drawRow(top, {QString(), QString(), count.format(lines.number(QStringLiteral("DiLAnios"))),
                                count.format(lines.number(QStringLiteral("DiLDias")))});
            error = lines.moveNext();
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
