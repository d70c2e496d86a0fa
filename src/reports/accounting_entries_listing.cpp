// The listing of the accounting entries, RASILIST: each entry with its
// lines under it and each line's calculations under the line. The texts of
// the calculation kinds are those of the calculation form's list.
#include "reports/listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "reports/listing_frame.h"
#include "support/picture.h"

#include <QHash>

#include <cassert>

using namespace Qt::StringLiterals;

namespace {

enum Column {
    LineColumn = 0, SideColumn, HeadingColumn, SplitColumn, CostCentreColumn, MarksColumn, DetailColumn,
    KindColumn, ParameterColumn, ConceptColumn, MultiplierColumn, DivisorColumn
};

/// The text `field` of form `form` shows for `code` in its list; the code
/// itself when the form or the code is unknown.
QString choiceText(const QString& form, const QString& field, const QString& code)
{
    if (const TransactionDecl* declaration = ObjectRegistry::transaction(form)) {
        for (const FieldDecl& each : declaration->fields) {
            if (each.name != field)
                continue;
            for (const CodeChoice& choice : each.choices) {
                if (choice.value.toString() == code)
                    return choice.text;
            }
        }
    }
    return code;
}

QString splitText(const QString& code)
{
    static const QHash<QString, QString> texts = {
        {u""_s, u"No"_s},
        {u"S"_s, u"Centro costo"_s},
        {u"R"_s, u"Fun. = rubro"_s},
        {u"F"_s, u"Fun. <> rubro"_s},
        {u"T"_s, u"C.costo y fun."_s},
    };
    return texts.value(code, code);
}

/// Descriptions of a table keyed by a number or a code, read once.
QHash<QString, QString> descriptions(Database& database, const QString& table, const QString& key,
                                     const QString& description, bool numericKey, DbError& error)
{
    QHash<QString, QString> read;
    TableCursor rows(database);
    error = rows.open(table, Access::ReadOnly);
    for (error = error ? error : rows.moveFirst(); !error && !rows.atEnd(); error = rows.moveNext()) {
        const QString code = numericKey ? QString::number(rows.number(key), 'f', 0) : rows.text(key).trimmed();
        read.insert(code, rows.text(description).trimmed());
    }
    database.idleFreeLocks();
    return read;
}

}  // namespace

ListingResult RASILIST(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;
    DbError error;
    const QHash<QString, QString> headings = descriptions(database, u"RUBROS"_s, u"RubId"_s, u"RubDesc"_s, true, error);
    const QHash<QString, QString> concepts =
        error ? QHash<QString, QString>() : descriptions(database, u"CONCEPT"_s, u"ConId"_s, u"ConDesc"_s, true, error);
    if (error)
        return ListingResult::from(error);

    TableCursor entries(database);
    TableCursor lines(database);
    TableCursor calculations(database);
    error = entries.open(u"ASIENTO"_s, Access::ReadOnly);
    if (!error)
        error = lines.open(u"ASIENTO1"_s, Access::ReadOnly);
    if (!error)
        error = calculations.open(u"ASIENT4"_s, Access::ReadOnly);
    if (!error)
        error = entries.moveFirst();
    if (error)
        return ListingResult::from(error);

    const QString title = u"Listado de Asientos"_s;
    if (!ListingFrame::startJob(view, {title, run.output}))
        return result;
    ListingFrame frame(view, {title, company, run.user, run.emittedAt}, run.ui);
    frame.addColumn({u"Lin"_s, 30, 55, 30, 55, TextAlignment::Right});
    frame.addColumn({u"D/H"_s, 62, 100});
    frame.addColumn({u"Rubro"_s, 105, 300});
    frame.addColumn({u"Apertura"_s, 305, 390});
    frame.addColumn({u"C. costo"_s, 395, 480});
    frame.addColumn({u"Marcas"_s, 485, 530});
    frame.addColumn({u"Detalle"_s, 535, 750});
    frame.addColumn({u"Cálculo"_s, 62, 170, 62, 170, TextAlignment::Left, 1});
    frame.addColumn({u"Parámetro"_s, 175, 300, 175, 300, TextAlignment::Left, 1});
    frame.addColumn({u"Concepto"_s, 305, 480, 305, 480, TextAlignment::Left, 1});
    frame.addColumn({u"Multiplicador"_s, 485, 590, 485, 590, TextAlignment::Right, 1});
    frame.addColumn({u"Divisor"_s, 600, 700, 600, 700, TextAlignment::Right, 1});

    const Picture lineNumber(u"ZZ9"_s);
    const Picture factor(u"ZZZZ9.9999999"_s);
    const Picture conceptNumber(u"ZZZ9"_s);
    for (; !error && !entries.atEnd(); error = entries.moveNext()) {
        const qint64 entry = entries.integer(u"AsiId"_s);
        const int top = frame.reserve(ListingFrame::lineHeight);
        view.setFont(u"Courier New"_s, 8, true);
        view.drawText(u"Asiento %1 - %2"_s.arg(entry).arg(entries.text(u"AsiDesc"_s).trimmed()),
                      {30, top, 600, top + ListingFrame::lineHeight - 1});
        for (error = lines.seek(Comparison::GreaterOrEqual, {entry, 0});
             !error && lines.hasCurrent() && lines.integer(u"AsiId"_s) == entry; error = lines.moveNext()) {
            const int line = int(lines.integer(u"AsiLin"_s));
            const QString heading = QString::number(lines.number(u"RubId"_s), 'f', 0);
            const QString marks = (lines.text(u"AsiMarA"_s).trimmed() + u' ' + lines.text(u"AsiMarB"_s).trimmed()).trimmed();
            QStringList cells(DivisorColumn + 1);
            cells[LineColumn] = lineNumber.format(double(line));
            cells[SideColumn] = lines.text(u"AsiDH"_s).trimmed().toUpper();
            cells[HeadingColumn] = heading + u' ' + headings.value(heading);
            cells[SplitColumn] = splitText(lines.text(u"AsiApCC"_s).trimmed().toUpper());
            cells[CostCentreColumn] = lines.text(u"CCId"_s).trimmed();
            cells[MarksColumn] = marks;
            cells[DetailColumn] = lines.text(u"AsiDetalle"_s).trimmed();
            frame.drawRow(frame.reserve(ListingFrame::lineHeight), cells);
            for (DbError calculationError = calculations.seek(Comparison::GreaterOrEqual, {entry, line, 0});
                 !calculationError && calculations.hasCurrent() && calculations.integer(u"AsiId"_s) == entry
                 && calculations.integer(u"AsiLin"_s) == line;
                 calculationError = calculations.moveNext()) {
                const QString kind = calculations.text(u"AsiCalculo"_s).trimmed().toUpper();
                const qint64 concept_ = calculations.integer(u"ConId"_s);
                QStringList calculation(DivisorColumn + 1);
                calculation[KindColumn] = choiceText(u"TASIENT4"_s, u"AsiCalculo"_s, kind);
                calculation[ParameterColumn] = calculations.text(u"AsiConGrup"_s).trimmed();
                if (concept_ != 0)
                    calculation[ConceptColumn] = conceptNumber.format(double(concept_)).trimmed() + u' '
                                                 + concepts.value(QString::number(concept_));
                calculation[MultiplierColumn] = factor.format(calculations.number(u"AsiMult"_s)).trimmed();
                calculation[DivisorColumn] = factor.format(calculations.number(u"AsiDiv"_s)).trimmed();
                frame.drawRow(frame.reserve(ListingFrame::lineHeight), calculation);
            }
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
