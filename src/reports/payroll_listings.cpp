// The listings of the payroll definitions kept beside the concepts: the
// liquidation types with the rules each carries, the accumulators with the
// concepts that feed them, and the contribution groups with their lines.
// Every value is read with bound values.
#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/statement.h"
#include "reports/listing_frame.h"
#include "support/picture.h"

#include <cassert>

using namespace Qt::StringLiterals;

namespace {

/// The rows of `statement` (bare names, "?" for each of `values`); false and
/// `result` set when the read failed.
bool readAll(Database& database, const QString& statement, const QVariantList& values, QList<QVariantList>& rows,
             ListingResult& result)
{
    rows.clear();
    Statement query(database, translateJetSql(statement, database.backend()));
    for (const QVariant& value : values)
        query.addBindValue(storageValue(value, database.backend()));
    bool ok = query.exec();
    while (ok && query.next()) {
        QVariantList row;
        for (int column = 0; column < query.columnCount(); ++column)
            row.append(query.value(column));
        rows.append(row);
    }
    if (!ok || query.stepFailed()) {
        result = ListingResult::from(query.failure(u"No se pudo leer la tabla"_s));
        ok = false;
    }
    query.finish();
    database.idleFreeLocks();
    return ok;
}

QString trimmed(const QVariant& value) { return value.toString().trimmed(); }
bool isSet(const QVariant& flag) { return trimmed(flag) == u"S"_s; }
QString number(const QVariant& value) { return QString::number(value.toLongLong()); }

/// "20 Aguinaldo": a concept's code and description.
QString conceptText(const QVariant& code, const QVariant& description)
{
    return (number(code) + u' ' + trimmed(description)).trimmed();
}

}  // namespace

ListingResult RTIPOSLI(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    ListingResult result;
    QList<QVariantList> types;
    const QString statement =
        u"SELECT T.TLId, T.TLDesc, T.TLAguinald, T.TLConIdAgu, A.ConDesc, T.TLAdelanto, T.TLConIdDes, D.ConDesc, "
        u"T.TLRepetir, T.TLResumir, T.TLConIdRes, R.ConDesc, T.TLRechazos, T.TLNegativo, T.TLConIdNeg, N.ConDesc, "
        u"T.TLIdDescue FROM TIPLIQUI T LEFT JOIN CONCEPT A ON A.ConId = T.TLConIdAgu "
        u"LEFT JOIN CONCEPT D ON D.ConId = T.TLConIdDes LEFT JOIN CONCEPT R ON R.ConId = T.TLConIdRes "
        u"LEFT JOIN CONCEPT N ON N.ConId = T.TLConIdNeg ORDER BY T.TLId"_s;
    if (!readAll(database, statement, {}, types, result))
        return result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    const QString title = u"Tipos de liquidación"_s;
    if (!ListingFrame::startJob(view, {u"Listado de Tipos Liquidacion"_s, run.output}))
        return result;
    ListingFrame frame(view, {title, company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({u"Tipo"_s, 40, 80, 40, 80});
    frame.addColumn({u"Descripción"_s, 90, 300, 90, 740});

    for (const QVariantList& type : types) {
        QStringList details;
        const auto detail = [&details](const QString& heading, const QString& value) {
            details << u"   "_s + heading + u": "_s + value;
        };
        if (isSet(type.at(2))) {
            detail(u"Liquidación de aguinaldo"_s, u"Sí"_s);
            detail(u"Concepto de aguinaldo"_s, conceptText(type.at(3), type.at(4)));
        }
        if (isSet(type.at(5))) {
            detail(u"Liquidación de adelanto a descontar en otra liquidación"_s, u"Sí"_s);
            detail(u"Concepto de descuento de adelantos"_s, conceptText(type.at(6), type.at(7)));
            detail(u"Repetir movimientos en la otra liquidación"_s, isSet(type.at(8)) ? u"Sí"_s : u"No"_s);
        }
        if (isSet(type.at(9)))
            detail(u"Resumir liquidación en un solo concepto por el líquido"_s, conceptText(type.at(10), type.at(11)));
        if (isSet(type.at(12)))
            detail(u"Descontar descuentos rechazados en otra liquidación"_s, u"Sí"_s);
        if (isSet(type.at(13))) {
            detail(u"Descontar líquidos negativos en otra liquidación"_s, u"Sí"_s);
            detail(u"Concepto de descuento de líquidos negativos"_s, conceptText(type.at(14), type.at(15)));
        }
        if (!trimmed(type.at(16)).isEmpty())
            detail(u"Tipo de liquidación en que se descontará"_s, trimmed(type.at(16)));
        // A type is kept on one page with its rules.
        int top = frame.reserve(ListingFrame::lineHeight * int(1 + details.size()));
        frame.drawRow(top, {trimmed(type.at(0)), trimmed(type.at(1))});
        for (const QString& line : std::as_const(details)) {
            top += ListingFrame::lineHeight;
            frame.drawRow(top, {QString(), line});
        }
    }
    frame.finish();
    return result;
}

namespace {

QString accumulatorKind(const QString& type)
{
    if (type == u"H"_s)
        return u"Hist"_s;
    if (type == u"L"_s)
        return u"Liq"_s;
    if (type == u"M"_s)
        return u"Mov"_s;
    return type;
}

QString contentText(const QString& type, const QString& content)
{
    if (content == u"C"_s)
        return u"Cantidad"_s;
    if (content == u"I"_s)
        return type == u"M"_s ? u"Importe"_s : u"Importe m/n"_s;
    if (content == u"E"_s)
        return u"Importe m/e"_s;
    if (content == u"A"_s)
        return u"Imp. m/n ajustado (tabla func)"_s;
    if (content.size() == 1 && content.at(0) >= u'1' && content.at(0) <= u'9')
        return u"Importe m/n ajustado (tabla %1)"_s.arg(content);
    if (content.size() == 1 && content.at(0) >= u'J' && content.at(0) <= u'Z')
        return u"Importe m/n ajustado (tabla %1)"_s.arg(content.at(0).unicode() - u'J' + 10);
    return content;
}

QString periodText(const QString& period)
{
    if (period == u"C"_s)
        return u"Año civil"_s;
    if (period == u"L"_s)
        return u"Año cron."_s;
    if (period == u"A"_s)
        return u"Aguinaldo"_s;
    return {};
}

QString operationText(const QString& operation)
{
    if (operation == u"S"_s)
        return u"Suma"_s;
    if (operation == u"R"_s)
        return u"Resta"_s;
    if (operation == u"G"_s)
        return u"Suma grav"_s;
    return operation;
}

}  // namespace

ListingResult RACUMHLL(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    ListingResult result;
    QList<QVariantList> accumulators;
    if (!readAll(database,
                 u"SELECT AcuTipo, AcuId, AcuDesc, AcuConteni, AcuPeriodo, AcuDesde, AcuHasta, AcuExAdela "
                 u"FROM ACUMHL ORDER BY AcuTipo, AcuId"_s,
                 {}, accumulators, result))
        return result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    if (!ListingFrame::startJob(view, {u"Listado de acumuladores"_s, run.output, PageOrientation::Landscape}))
        return result;
    ListingFrame frame(view, {u"Acumuladores históricos/liquidación/movimientos"_s, company, run.user, run.emittedAt},
                       run.ui);
    frame.addColumn({u"Tipo"_s, 28, 60, 28, 60});
    frame.addColumn({u"Nº"_s, 64, 90, 64, 90, TextAlignment::Right});
    frame.addColumn({u"Descripción"_s, 100, 300, 100, 300});
    frame.addColumn({u"Contenido"_s, 306, 500, 306, 500});
    frame.addColumn({u"Período"_s, 506, 570, 506, 570});
    frame.addColumn({u"Meses"_s, 576, 630, 576, 630});
    frame.addColumn({u"Excluir adelanto"_s, 636, 730, 636, 730});
    frame.addColumn({u"Concepto"_s, 736, 920, 736, 920});
    frame.addColumn({u"Operación"_s, 926, 990, 926, 990});
    frame.addColumn({u"Multiplicador"_s, 996, 1080, 996, 1080, TextAlignment::Right});

    const Picture multiplier(u"ZZ9.999"_s);
    QList<QVariantList> concepts;
    for (const QVariantList& accumulator : std::as_const(accumulators)) {
        const QString type = trimmed(accumulator.at(0));
        // The concepts of one accumulator, read with its type and number bound.
        if (!readAll(database,
                     u"SELECT F.ConId, C.ConDesc, F.ConAcuOpe, F.ConAcuMult FROM CONCEPT3 F "
                     u"LEFT JOIN CONCEPT C ON C.ConId = F.ConId WHERE F.AcuTipo = ? AND F.AcuId = ? "
                     u"ORDER BY F.AcuTipo, F.AcuId, F.ConId"_s,
                     {type, accumulator.at(1)}, concepts, result)) {
            view.abortJob();
            return result;
        }
        const QString period = trimmed(accumulator.at(4));
        const QString months =
            period.isEmpty() ? QString() : number(accumulator.at(5)) + u" a "_s + number(accumulator.at(6));
        QStringList cells = {accumulatorKind(type), number(accumulator.at(1)), trimmed(accumulator.at(2)),
                             contentText(type, trimmed(accumulator.at(3))), periodText(period), months,
                             isSet(accumulator.at(7)) ? u"Sí"_s : u"No"_s};
        // Each concept takes a line of its own; the first shares the accumulator's.
        int top = frame.reserve(ListingFrame::lineHeight);
        if (concepts.isEmpty()) {
            frame.drawRow(top, cells);
            continue;
        }
        for (qsizetype at = 0; at < concepts.size(); ++at) {
            const QVariantList& conceptId = concepts.at(at);
            if (at > 0) {
                cells = QStringList(7, QString());
                top = frame.reserve(ListingFrame::lineHeight);
            }
            frame.drawRow(top, cells + QStringList{conceptText(conceptId.at(0), conceptId.at(1)),
                                                   operationText(trimmed(conceptId.at(2))),
                                                   multiplier.format(conceptId.at(3).toDouble()).trimmed()});
        }
    }
    frame.finish();
    return result;
}

ListingResult RAPORTEL(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    ListingResult result;
    QList<QVariantList> lines;
    if (!readAll(database,
                 u"SELECT G.AporId, G.AporDesc, L.AporConId, C.ConDesc, L.AporPorGra, L.AporApCId, A.ApCDes "
                 u"FROM APORTE G LEFT JOIN APORTE1 L ON L.AporId = G.AporId "
                 u"LEFT JOIN CONCEPT C ON C.ConId = L.AporConId LEFT JOIN APOCON A ON A.ApCId = L.AporApCId "
                 u"ORDER BY G.AporId, L.AporConId"_s,
                 {}, lines, result))
        return result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;

    if (!ListingFrame::startJob(view, {u"Listado de grupos de aportes"_s, run.output}))
        return result;
    ListingFrame frame(view, {u"Grupos de aportes"_s, company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({u"Código"_s, 28, 70, 28, 70});
    frame.addColumn({u"Descripción"_s, 76, 250, 76, 250});
    frame.addColumn({u"Concepto"_s, 256, 480, 256, 480});
    frame.addColumn({u"% gravado"_s, 486, 560, 486, 560, TextAlignment::Right});
    frame.addColumn({u"Aporte condicional"_s, 570, 755, 570, 755});

    const Picture percent(u"ZZ9.9999"_s);
    QVariant group;
    for (const QVariantList& line : std::as_const(lines)) {
        const bool first = line.at(0) != group;
        group = line.at(0);
        const bool hasLine = !line.at(2).isNull() && line.at(2).toInt() != 0;
        const QString conditional =
            line.at(5).toInt() == 0 ? QString() : conceptText(line.at(5), line.at(6));
        frame.addRow({first ? number(line.at(0)) : QString(), first ? trimmed(line.at(1)) : QString(),
                      hasLine ? conceptText(line.at(2), line.at(3)) : QString(),
                      hasLine ? percent.format(line.at(4).toDouble()).trimmed() : QString(), hasLine ? conditional : QString()});
    }
    frame.finish();
    return result;
}
