// The conceptId listings: RCONLISR, one line per conceptId with its main
// settings, and RCONLISD, every setting and every calculation line of each
// conceptId.
#include "reports/concept_listings.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/parameters.h"
#include "reports/concept_export.h"
#include "reports/listing_frame.h"
#include "support/line_split.h"
#include "support/picture.h"

#include <cassert>
#include <QHash>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

bool near(double value, double wanted)
{
    return std::abs(value - wanted) < 1e-9;
}

QString typeText(qint64 type)
{
    switch (type) {
    case 0:
        return u"Interno"_s;
    case 1:
        return u"Haber"_s;
    case 2:
        return u"Dto ley"_s;
    case 3:
        return u"Dto"_s;
    }
    return {};
}

QString quantityText(const QString& quantity)
{
    if (quantity == u"C")
        return u"Cantidad"_s;
    if (quantity == u"P")
        return u"Porcentaje"_s;
    return {};
}

/// The fraction of a quantity conceptId; other concepts show none.
QString fractionText(const QString& quantity, double fraction)
{
    if (quantity != u"C")
        return {};
    if (near(fraction, 0))
        return u"Decimal"_s;
    if (near(fraction, 0.6))
        return u"60 minutos"_s;
    if (near(fraction, 0.8))
        return u"8 horas"_s;
    return {};
}

QString pick(const QString& value, const QString& first, const QString& firstText, const QString& second,
             const QString& secondText)
{
    if (value == first)
        return firstText;
    if (value == second)
        return secondText;
    return {};
}

/// The cursor's code and description of a table looked up by its key; the
/// code alone when no row has it.
class Describer {
public:
    Describer(Database& database, const QString& table, const QString& index, QString field)
        : rows_(database), field_(std::move(field))
    {
        if (!rows_.open(table, Access::ReadOnly))
            rows_.setIndex(index);
    }

    /// The description of the row with `key`; empty when there is none.
    QString description(const QVariantList& key)
    {
        if (!rows_.isOpen() || rows_.seek(Comparison::Equal, key) || rows_.noMatch())
            return {};
        return rows_.text(field_).trimmed();
    }

    /// "code - description", the code alone without a description, empty for 0.
    QString codeAndDescription(qint64 code)
    {
        if (code == 0)
            return {};
        const QString found = description({code});
        return found.isEmpty() ? QString::number(code) : QString::number(code) + u" - "_s + found;
    }

private:
    TableCursor rows_;
    QString field_;
};

}  // namespace

QString daysAccumulationText(double multiplier, double divisor)
{
    // Whole numbers, as the picture "##0" shows them, without its limit of
    // three digits.
    if (!near(divisor, 0))
        return u"/"_s + QString::number(std::llround(divisor));
    if (!near(multiplier, 0))
        return u"x"_s + QString::number(std::llround(multiplier));
    return {};
}

ListingResult RCONLISR(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    TableCursor concepts(database);
    DbError error = openInOrder(concepts, u"CONCEPT"_s, u"ICONCEPT"_s);
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;
    if (!ListingFrame::startJob(view, {u"Listado resumido de conceptos"_s, run.output}))
        return result;
    ListingFrame frame(view, {u"Listado resumido de conceptos"_s, company, run.user, run.emittedAt}, run.ui);
    // Detail boxes as fixed; a heading wider than its narrow column gets a
    // wider box of its own. Headings of two lines put their first line on
    // the row above (the columns of line 0, which print no detail).
    frame.addColumn({u"Concepto"_s, 25, 75, 25, 52, TextAlignment::Right, 1});
    frame.addColumn({QString(), 59, 226, 59, 226, TextAlignment::Left, 1});
    frame.addColumn({u"Tipo"_s, 232, 280, 232, 280, TextAlignment::Left, 1});
    frame.addColumn({u"Cantidad"_s, 286, 355, 286, 355, TextAlignment::Left, 1});
    frame.addColumn({u"Fracción"_s, 361, 430, 361, 430, TextAlignment::Left, 1});
    frame.addColumn({u"Nominal/Líquido"_s, 432, 520, 453, 473, TextAlignment::Left, 1});
    frame.addColumn({u"Moneda"_s, 525, 570, 533, 553, TextAlignment::Left, 1});
    frame.addColumn({u"trabajados"_s, 574, 638, 574, 615, TextAlignment::Left, 1});
    frame.addColumn({u"gozada"_s, 642, 690, 642, 683, TextAlignment::Left, 1});
    frame.addColumn({u"liquidada"_s, 695, 755, 695, 736, TextAlignment::Left, 1});
    frame.addColumn({u"Días"_s, 574, 638, 574, 615, TextAlignment::Left, 0});
    frame.addColumn({u"Licencia"_s, 642, 690, 642, 683, TextAlignment::Left, 0});
    frame.addColumn({u"Licencia"_s, 695, 755, 695, 736, TextAlignment::Left, 0});

    const Picture code(u"ZZZ9"_s);
    const int descriptionWidth = ListingFrame::charactersIn(frame.columns().at(1));
    for (; !error && !concepts.atEnd(); error = concepts.moveNext()) {
        const QString quantity = concepts.text(u"ConCant"_s).trimmed();
        // A description longer than its box goes on under itself.
        const QStringList description = splitLines(concepts.text(u"ConDesc"_s).trimmed(), descriptionWidth);
        const int lines = qMax(1, int(description.size()));
        int top = frame.reserve(lines * ListingFrame::lineHeight);
        frame.drawRow(top, {code.format(double(concepts.integer(u"ConId"_s))).trimmed(), description.value(0),
                            typeText(concepts.integer(u"ConTipo"_s)), quantityText(quantity),
                            fractionText(quantity, concepts.number(u"ConFracc"_s)),
                            pick(concepts.text(u"ConLiquido"_s).trimmed(), u"N"_s, u"Nom"_s, u"L"_s, u"Líq"_s),
                            pick(concepts.text(u"ConMonExtr"_s).trimmed(), u"N"_s, u"Nac"_s, u"E"_s, u"Ext"_s),
                            daysAccumulationText(concepts.number(u"ConDTM"_s), concepts.number(u"ConDTD"_s)),
                            daysAccumulationText(concepts.number(u"ConDLGM"_s), concepts.number(u"ConDLGD"_s)),
                            daysAccumulationText(concepts.number(u"ConDLLM"_s), concepts.number(u"ConDLLD"_s))});
        for (int line = 1; line < lines; ++line) {
            top += ListingFrame::lineHeight;
            frame.drawRow(top, {QString(), description.at(line)});
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

// ---------------------------------------------------------------------------
// The detailed listing

namespace {

/// A text box of the detailed listing's own layout.
struct Box {
    int left;
    int right;
    TextAlignment alignment = TextAlignment::Left;
};

/// A bold font of the listing: `name` at `size` points.
FontState boldFont(const QString& name, double size)
{
    FontState font;
    font.name = name;
    font.size = size;
    font.bold = true;
    return font;
}

/// The title over each section of a concept.
const FontState& sectionFont()
{
    static const FontState font = boldFont(u"Arial"_s, 9);
    return font;
}

/// The column headings of the line grids.
const FontState& headingFont()
{
    static const FontState font = boldFont(u"MS Sans Serif"_s, 8);
    return font;
}

int charactersIn(const Box& box)
{
    return ListingFrame::charactersIn({QString(), box.left, box.right, box.left, box.right});
}

/// A heading line waiting for the band under it.
struct HeadingLine {
    QList<Box> boxes;
    QStringList texts;
    FontState font;
    int gapAbove = 0;
};

/// Draws the detailed listing's bands: texts in boxes, each cut into lines
/// of its box's width. A band is kept whole on one page, and the headings
/// given before it go on the same page, so that no heading is left at the
/// foot of a page without its first line.
class DetailWriter {
public:
    DetailWriter(KQRView& view, ListingFrame& frame) : view_(view), frame_(frame) {}

    void heading(const QList<Box>& boxes, const QStringList& texts, const FontState& font, int gapAbove = 0)
    {
        pending_.append({boxes, texts, font, gapAbove});
    }

    void band(const QList<Box>& boxes, const QStringList& texts)
    {
        QList<QStringList> lines;
        int height = 1;
        for (qsizetype at = 0; at < boxes.size(); ++at) {
            lines.append(splitLines(texts.value(at), charactersIn(boxes.at(at))));
            height = qMax(height, int(lines.last().size()));
        }
        int total = height * ListingFrame::lineHeight;
        for (const HeadingLine& heading : pending_)
            total += heading.gapAbove + ListingFrame::lineHeight;
        int top = frame_.reserve(total);
        for (const HeadingLine& heading : pending_) {
            top += heading.gapAbove;
            view_.setFont(heading.font);
            for (qsizetype at = 0; at < heading.boxes.size() && at < heading.texts.size(); ++at) {
                const Box& box = heading.boxes.at(at);
                view_.drawText(heading.texts.at(at), {box.left, top, box.right, top + ListingFrame::lineHeight - 1},
                               box.alignment);
            }
            top += ListingFrame::lineHeight;
        }
        pending_.clear();
        view_.setFont(u"Courier New"_s, 8);
        for (qsizetype at = 0; at < boxes.size(); ++at) {
            int y = top;
            for (const QString& line : lines.at(at)) {
                view_.drawText(line, {boxes.at(at).left, y, boxes.at(at).right, y + ListingFrame::lineHeight - 1},
                               boxes.at(at).alignment);
                y += ListingFrame::lineHeight;
            }
        }
    }

private:
    KQRView& view_;
    ListingFrame& frame_;
    QList<HeadingLine> pending_;
};

/// The columns of the calculation lines; the amount lines have "Apor" too.
const QList<Box>& lineBoxes()
{
    static const QList<Box> boxes{
        {25, 70},                        // Ope
        {74, 96, TextAlignment::Right},  // Lin
        {102, 124},                      // Usar
        {128, 150, TextAlignment::Right},  // Nº
        {156, 180},                        // Año
        {184, 208, TextAlignment::Right},  // Bás
        {214, 432},                        // Descripción
        {436, 458},                      // Car
        {462, 484},                      // CCo
        {488, 560, TextAlignment::Right},  // Mult
        {566, 638, TextAlignment::Right},  // Div
        {646, 672, TextAlignment::Right},  // Apor
    };
    return boxes;
}

/// What an operand of a calculation line stands for, as the formula grid
/// describes it.
class OperandDescriber {
public:
    explicit OperandDescriber(Database& database)
        : database_(database), accumulators_(database, u"ACUMHL"_s, u"IACUMHL"_s, u"AcuDesc"_s),
          basics_(database, u"BASICOS"_s, u"IBASICOS"_s, u"BasDesc"_s),
          attributes_(database, u"FUNATRIB"_s, u"IFUNATRI"_s, u"FunADescri"_s)
    {
    }

    QString describe(const QString& operand, int number, int basic)
    {
        QString description;
        if (operand == u"ACH" || operand == u"ACL" || operand == u"ACM")
            description = accumulators_.description({operand.right(1), number});
        else if (operand == u"BAS" || operand == u"IB" || operand == u"XBA" || operand == u"XIB")
            description = basics_.description({basic});
        else if ((operand == u"IMP" || operand == u"XIM") && number >= 1 && number <= 12)
            description = amountName(number);
        else if (operand == u"ADN" || operand == u"ADF" || operand == u"ADB")
            description = attributes_.description({number});
        else
            description = fixedDescription(operand);
        if (operand == u"XIM" || operand == u"XBA" || operand == u"XIB")
            description += u" func. subrogado"_s;
        return description;
    }

private:
    /// The user's name of employee amount `number`, "Importe <n>" without one.
    QString amountName(int number)
    {
        QString name;
        PPARLC(database_, u"Configur"_s, u"Imp"_s + QString::number(number), 0, name);
        return name.trimmed().isEmpty() ? u"Importe "_s + QString::number(number) : name.trimmed();
    }

    static QString fixedDescription(const QString& operand)
    {
        static const QHash<QString, QString> descriptions{
            {u"AGN"_s, u"Aguinaldo"_s}, {u"HAB"_s, u"Haberes"_s}, {u"HAM"_s, u"Haberes mes"_s},
            {u"FIJ"_s, u"Haberes fijo"_s}, {u"GRA"_s, u"Haberes gravados"_s},
            {u"GRM"_s, u"Haberes gravados mes"_s}, {u"RET"_s, u"Retenciones"_s},
            {u"ANT"_s, u"Años antigüedad"_s}, {u"ANM"_s, u"Meses antigüedad"_s},
            {u"ANR"_s, u"Años desde fecha reconocida"_s}, {u"ANI"_s, u"Años desde fecha ingreso"_s},
            {u"LIC"_s, u"Licencia año corriente"_s}, {u"SMN"_s, u"Base prestaciones y contrib."_s},
            {u"HSD"_s, u"Horas diarias"_s}, {u"HSM"_s, u"Horas mensuales"_s}, {u"CAN"_s, u"Cantidad"_s},
            {u"RUT"_s, u"Rutina específica"_s}, {u"DCA"_s, u"Días corrientes año anterior"_s},
            {u"DCC"_s, u"Días corrientes año actual"_s}, {u"GAS"_s, u"Licencia gozar año ant sdo"_s},
            {u"GAT"_s, u"Licencia gozar año ant tot"_s}, {u"GCT"_s, u"Licencia gozar año corr tot"_s},
            {u"LAS"_s, u"Licencia liqui año ant sdo"_s}, {u"LAT"_s, u"Licencia liqui año ant tot"_s},
            {u"LCT"_s, u"Licencia liqui año corr tot"_s}, {u"VAL"_s, u"Valor"_s},
            {u"JID"_s, u"Jornales indem. despido"_s}, {u"MID"_s, u"Meses indemnización despido"_s},
            {u"LGA"_s, u"Licencia gozar año ant."_s}, {u"LGC"_s, u"Licencia gozar año corr."_s},
            {u"LLA"_s, u"Licencia liquidar año ant."_s}, {u"LLC"_s, u"Licencia liquidar año corr."_s},
        };
        return descriptions.value(operand);
    }

    Database& database_;
    Describer accumulators_;
    Describer basics_;
    Describer attributes_;
};

/// The calculation lines of one concept, amount ("Ope") or quantity ("Can").
DbError drawLines(DetailWriter& writer, TableCursor& lines, qint64 conceptId, const QString& prefix,
                  const QString& conceptField, bool amount, OperandDescriber& operands)
{
    DbError error;
    while (!error && !lines.atEnd() && lines.integer(u"ConId"_s) < conceptId)
        error = lines.moveNext();
    if (error || lines.atEnd() || lines.integer(u"ConId"_s) != conceptId)
        return error;

    QStringList headings{u"Ope"_s, u"Lin"_s, u"Usar"_s, u"Nº"_s, u"Año"_s, u"Bás"_s, u"Descripción"_s,
                         u"Car"_s, u"CCo"_s, u"Mult"_s, u"Div"_s};
    if (amount)
        headings << u"Apor"_s;
    writer.heading({{25, 400}}, {amount ? u"Cálculos de importes"_s : u"Cálculo de cantidad"_s}, sectionFont(), 6);
    writer.heading(lineBoxes(), headings, headingFont());

    static const Picture lineNumber(u"ZZ9"_s);
    static const Picture year(u"Z9"_s);
    static const Picture code(u"!!!"_s);
    static const Picture number(u"ZZZ9"_s);
    static const Picture factor(u"ZZZZZ9.9999"_s);
    for (; !error && !lines.atEnd() && lines.integer(u"ConId"_s) == conceptId; error = lines.moveNext()) {
        QStringList operation;
        for (const QString& part : {lines.text(prefix + u"APar"_s), lines.text(prefix + u"Ope"_s),
                                    lines.text(prefix + u"CPar"_s)}) {
            if (!part.trimmed().isEmpty())
                operation << part.trimmed();
        }
        const QString operand = lines.text(prefix + u"Usar"_s).trimmed().toUpper();
        const int operandNumber = int(lines.integer(prefix + u"Nro"_s));
        const int basic = int(lines.integer(u"BasId"_s));
        QString description = operand.isEmpty() ? QString() : operands.describe(operand, operandNumber, basic);
        if (const qint64 operandConcept = lines.integer(conceptField))
            description = (description + u" (concepto "_s + QString::number(operandConcept) + u')').trimmed();
        const QString yearText = lines.text(prefix + u"Anio"_s).trimmed();
        bool isYear = false;
        const int yearNumber = yearText.toInt(&isYear);
        QStringList texts{operation.join(u' '),
                          lineNumber.format(double(lines.integer(prefix + u"Lin"_s))).trimmed(),
                          code.format(operand).trimmed(),
                          operandNumber ? number.format(double(operandNumber)).trimmed() : QString(),
                          isYear ? year.format(double(yearNumber)).trimmed() : yearText,
                          basic ? number.format(double(basic)).trimmed() : QString(),
                          description,
                          code.format(lines.text(prefix + u"Cargo"_s)).trimmed(),
                          code.format(lines.text(prefix + u"CCosto"_s)).trimmed(),
                          factor.format(lines.number(prefix + u"Mult"_s)).trimmed(),
                          factor.format(lines.number(prefix + u"Div"_s)).trimmed()};
        if (amount) {
            const qint64 group = lines.integer(u"OpeAporId"_s);
            texts << (group ? number.format(double(group)).trimmed() : QString());
        }
        writer.band(lineBoxes().mid(0, texts.size()), texts);
    }
    return error;
}

}  // namespace

ListingResult RCONLISD(KQRView& view, const ListingRun& run)
{
    assert(run.database && "a listing reads a database");
    Database& database = *run.database;
    TableCursor concepts(database);
    TableCursor amountLines(database);
    TableCursor quantityLines(database);
    TableCursor accumulatorRows(database);
    TableCursor expansionRows(database);
    DbError error = openInOrder(concepts, u"CONCEPT"_s, u"ICONCEPT"_s);
    if (!error)
        error = openInOrder(amountLines, u"CONCEPT1"_s, u"ICONCEP2"_s);
    if (!error)
        error = openInOrder(quantityLines, u"CONCEPT4"_s, u"ICONCE11"_s);
    if (!error)
        error = openInOrder(accumulatorRows, u"CONCEPT3"_s, u"ICONCEP7"_s);
    if (!error)
        error = openInOrder(expansionRows, u"CONCEPT2"_s, u"ICONCEP5"_s);
    if (error)
        return ListingResult::from(error);
    ListingResult result;
    QString company;
    if (!readCompanyName(database, company, result))
        return result;
    if (!ListingFrame::startJob(view, {u"Listado detallado de conceptos"_s, run.output}))
        return result;
    ListingFrame frame(view, {u"Listado detallado de conceptos"_s, company, run.user, run.emittedAt}, run.ui);

    Describer groups(database, u"APORTE"_s, u"IGRAVANT"_s, u"AporDesc"_s);
    Describer basics(database, u"BASICOS"_s, u"IBASICOS"_s, u"BasDesc"_s);
    Describer accumulators(database, u"ACUMHL"_s, u"IACUMHL"_s, u"AcuDesc"_s);
    Describer conceptNames(database, u"CONCEPT"_s, u"ICONCEPT"_s, u"ConDesc"_s);
    OperandDescriber operands(database);

    // The settings in two columns of label and value.
    const QList<Box> settingBoxes{{25, 190}, {194, 385}, {395, 560}, {564, 755}};
    const QList<Box> wideBoxes{{25, 190}, {194, 755}};
    const Picture code(u"ZZZ9"_s);
    DetailWriter writer(view, frame);
    for (; !error && !concepts.atEnd(); error = concepts.moveNext()) {
        const qint64 conceptId = concepts.integer(u"ConId"_s);
        writer.heading({{25, 755}},
                     {u"Concepto "_s + code.format(double(conceptId)).trimmed() + u" - "_s
                      + concepts.text(u"ConDesc"_s).trimmed()},
                     sectionFont(), frame.pagesDrawn() == 0 ? 0 : 10);
        QList<ConceptSetting> settings;
        QList<ConceptSetting> longTexts;
        for (ConceptSetting setting : conceptSettings(concepts)) {
            if (setting.field == u"ConId" || setting.field == u"ConDesc")
                continue;
            if (setting.field == u"AporId")
                setting.text = groups.codeAndDescription(concepts.integer(setting.field));
            else if (setting.field.startsWith(u"BasId"))
                setting.text = basics.codeAndDescription(concepts.integer(setting.field));
            // Free texts take the width of the page.
            if (setting.field == u"ConNotas" || setting.field == u"ConLinAdLi")
                longTexts.append(setting);
            else
                settings.append(setting);
        }
        for (qsizetype at = 0; at < settings.size(); at += 2) {
            QStringList texts{settings.at(at).heading + u':', settings.at(at).text};
            if (at + 1 < settings.size())
                texts << settings.at(at + 1).heading + u':' << settings.at(at + 1).text;
            writer.band(settingBoxes, texts);
        }
        for (const ConceptSetting& setting : longTexts) {
            if (!setting.text.isEmpty())
                writer.band(wideBoxes, {setting.heading + u':', setting.text});
        }

        if (!error)
            error = drawLines(writer, amountLines, conceptId, u"Ope"_s, u"ConIdImp"_s, true, operands);
        if (!error)
            error = drawLines(writer, quantityLines, conceptId, u"Can"_s, u"ConIdCant"_s, false, operands);

        // The accumulators the concept feeds.
        while (!error && !accumulatorRows.atEnd() && accumulatorRows.integer(u"ConId"_s) < conceptId)
            error = accumulatorRows.moveNext();
        bool headed = false;
        for (; !error && !accumulatorRows.atEnd() && accumulatorRows.integer(u"ConId"_s) == conceptId;
             error = accumulatorRows.moveNext()) {
            if (!headed) {
                writer.heading({{25, 400}}, {u"Acumuladores"_s}, sectionFont(), 6);
                headed = true;
            }
            const QString kind = accumulatorRows.text(u"AcuTipo"_s).trimmed();
            const qint64 number = accumulatorRows.integer(u"AcuId"_s);
            static const Picture factor(u"ZZZZZ9.9999"_s);
            writer.band({{25, 98}, {102, 128, TextAlignment::Right}, {134, 432}, {488, 560, TextAlignment::Right}},
                     {kind == u"H" ? u"Histórico"_s : kind == u"L" ? u"Liquidación"_s : kind,
                      code.format(double(number)).trimmed(), accumulators.description({kind, number}),
                      factor.format(accumulatorRows.number(u"ConAcuMult"_s)).trimmed()});
        }
        // The concepts it expands to.
        while (!error && !expansionRows.atEnd() && expansionRows.integer(u"ConId"_s) < conceptId)
            error = expansionRows.moveNext();
        headed = false;
        for (; !error && !expansionRows.atEnd() && expansionRows.integer(u"ConId"_s) == conceptId;
             error = expansionRows.moveNext()) {
            if (!headed) {
                writer.heading({{25, 400}}, {u"Expande en conceptos"_s}, sectionFont(), 6);
                headed = true;
            }
            const qint64 target = expansionRows.integer(u"ExpConId"_s);
            writer.band({{74, 102, TextAlignment::Right}, {108, 432}},
                     {code.format(double(target)).trimmed(), conceptNames.description({target})});
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
