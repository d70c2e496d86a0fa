// The listings of the organisation tables: one line per row in key order,
// through the listing frame.
#include "reports/listings.h"

#include "data/cursor.h"
#include "reports/table_listing.h"

namespace {

// Detail texts run to the frame's right edge unless a column follows.
constexpr int lastRight = 755;

QString consultAllowed(const RecordCursor& record)
{
    return yesNo(record.value(QStringLiteral("FicAutoges")));
}

QString markAsRead(const RecordCursor& record)
{
    return yesNo(record.value(QStringLiteral("FicReConf")));
}

}  // namespace

ListingResult RCATEGOR(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de Categorias"), QStringLiteral("Categorías"), QStringLiteral("CATEGORI"),
        QStringLiteral("ICATEGOR"),
        {{QStringLiteral("Categoría"), 211, 267, 211, 267, {QStringLiteral("CatId")}, QStringLiteral("ZZ9")},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight, {QStringLiteral("CatDesc")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RCARGOLI(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de cargos"), QStringLiteral("Cargos"), QStringLiteral("CARGOS"),
        QStringLiteral("ICARGOS"),
        {{QStringLiteral("Cargo"), 211, 267, 211, 267, {QStringLiteral("CarId")}, QStringLiteral("ZZZ9")},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight,
          {QStringLiteral("CarDesc1"), QStringLiteral("CarDesc2")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RCENTROC(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de centros de costo"), QStringLiteral("Centros de costo"),
        QStringLiteral("CENTROCO"), QStringLiteral("ICENTROC"),
        {{QStringLiteral("Centro de costo"), 150, 245, 150, 245, {QStringLiteral("CCId")}, {}},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight, {QStringLiteral("CCDesc")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RHORARIO(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de Horarios"), QStringLiteral("Horarios"), QStringLiteral("HORARIOS"),
        QStringLiteral("IHORARIO"),
        {{QStringLiteral("Horario"), 211, 267, 211, 267, {QStringLiteral("HorId")}, QStringLiteral("ZZ9")},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight, {QStringLiteral("HorDesc")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RLUGARTR(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de Lugares de Trabajo"), QStringLiteral("Lugares de trabajo"),
        QStringLiteral("LUGARTRA"), QStringLiteral("ILUGARTR"),
        {{QStringLiteral("Lugar"), 211, 267, 211, 267, {QStringLiteral("TraId")}, QStringLiteral("ZZ9")},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight, {QStringLiteral("TraDesc")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RLUGARCO(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de Lugares de cobro"), QStringLiteral("Lugares de cobro"),
        QStringLiteral("LUGARCOB"), QStringLiteral("ILUGARCO"),
        {{QStringLiteral("Lugar"), 150, 206, 150, 206, {QStringLiteral("CobId")}, QStringLiteral("ZZ9")},
         {QStringLiteral("Descripción"), 250, 317, 250, 480, {QStringLiteral("CobDesc")}, {}},
         {QStringLiteral("Lugar de ensobrado"), 520, 640, 520, 640, {QStringLiteral("LugEnsob")},
          QStringLiteral("!!!")}}};
    return runTableListing(listing, view, run);
}

ListingResult RRUBROLI(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de Rubros"), QStringLiteral("Rubros"), QStringLiteral("RUBROS"),
        QStringLiteral("IRUBROS"),
        {{QStringLiteral("Rubro"), 205, 240, 150, 250, {QStringLiteral("RubId")}, QStringLiteral("ZZZZZZZZZZZZZZ9")},
         {QStringLiteral("Descripción"), 324, 391, 324, lastRight, {QStringLiteral("RubDesc")}, {}}}};
    return runTableListing(listing, view, run);
}

ListingResult RCODIGOL(KQRView& view, const ListingRun& run)
{
    static const TableListing listing = {
        QStringLiteral("Listado de códigos de anotac."), QStringLiteral("Códigos de anotación"),
        QStringLiteral("FICCOD"), QStringLiteral("IFICCOD"),
        {{QStringLiteral("Código"), 30, 80, 30, 80, {QStringLiteral("FicCod")}, {}},
         {QStringLiteral("Descripción"), 90, 157, 90, 285, {QStringLiteral("FicDesc")}, {}},
         {QStringLiteral("Se permite consultar"), 300, 420, 300, 420, {}, {}, &consultAllowed},
         {QStringLiteral("Marcar como leído"), 430, 535, 430, 535, {}, {}, &markAsRead},
         {QStringLiteral("Período de consulta en meses"), 545, 755, 545, 755, {QStringLiteral("FicPerCons")},
          QStringLiteral("ZZ9")}}};
    return runTableListing(listing, view, run);
}
