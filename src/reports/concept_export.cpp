#include "reports/concept_export.h"
#include "reports/listing_frame.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/work_database.h"
#include "engine/object_registry.h"
#include "engine/transaction.h"
#include "support/ui_port.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QVector>

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

// ---------------------------------------------------------------------------
// The concepts sheet

namespace {

/// One cell of a row of the sheet.
struct Cell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    int numberKind = 1;  ///< as PXLSIMPO: 1 amount, 2 rate or factor, 3 integer

    static Cell ofText(const QString& text)
    {
        const QString trimmed = text.trimmed();
        return trimmed.isEmpty() ? Cell{} : Cell{Kind::Text, trimmed, 0, 1};
    }
    static Cell ofNumber(double number, int kind) { return Cell{Kind::Number, {}, number, kind}; }
};

using Row = QVector<Cell>;

/// Where the sheet goes: the spreadsheet file or a workbook.
class ConceptSheet {
public:
    virtual ~ConceptSheet() = default;
    virtual bool open(const QString& path, QString* error) = 0;
    /// The row of section headings, bold on grey.
    virtual void sectionRow(const Row& cells) = 0;
    /// The row of column headings, bold.
    virtual void headingRow(const Row& cells) = 0;
    virtual void row(const Row& cells) = 0;
    virtual bool close(QString* error) = 0;
};

qsizetype usedLength(const Row& cells)
{
    qsizetype used = cells.size();
    while (used > 0 && cells.at(used - 1).kind == Cell::Kind::Empty)
        --used;
    return used;
}

class HtmlSheet final : public ConceptSheet {
public:
    HtmlSheet(UiPort& ui, int preference) : file_(&ui), preference_(preference) {}

    bool open(const QString& path, QString* error) override
    {
        if (!file_.open(path, preference_)) {
            *error = file_.errorText();
            return false;
        }
        PXLSINI(file_, u"Conceptos"_s);
        return true;
    }
    void sectionRow(const Row& cells) override { write(cells, u"bgcolor=#DDDDDD"_s, u"<B>"_s); }
    void headingRow(const Row& cells) override { write(cells, QString(), u"<B>"_s); }
    void row(const Row& cells) override { write(cells, QString(), QString()); }
    bool close(QString* error) override
    {
        PXLSFIN(file_);
        if (!file_.close()) {
            *error = file_.errorText();
            return false;
        }
        return true;
    }

private:
    void write(const Row& cells, const QString& attributes, const QString& prefix)
    {
        PXLSFILA(file_, u"INI"_s, attributes);
        const qsizetype used = usedLength(cells);
        for (qsizetype column = 0; column < used; ++column) {
            const Cell& cell = cells.at(column);
            switch (cell.kind) {
            case Cell::Kind::Empty: {
                // A run of empty cells (the general columns of a concept's
                // further rows) at once: what PXLSCHAR writes for no text.
                qsizetype run = 1;
                while (column + run < used && cells.at(column + run).kind == Cell::Kind::Empty)
                    ++run;
                writeEmptyCells(run);
                column += run - 1;
                break;
            }
            case Cell::Kind::Text:
                PXLSCHAR(file_, prefix, cell.text);
                break;
            case Cell::Kind::Number:
                PXLSIMPO(file_, cell.number, cell.numberKind);
                break;
            }
        }
        PXLSFILA(file_, u"FIN"_s);
    }

    void writeEmptyCells(qsizetype count)
    {
        static constexpr char empty[] = "    <TD></TD>\r\n";
        static constexpr qsizetype emptySize = sizeof empty - 1;
        static const QByteArray block = [] {
            QByteArray cells;
            for (int repeat = 0; repeat < 128; ++repeat)
                cells.append(empty, emptySize);
            return cells;
        }();
        while (count > 0) {
            const qsizetype now = std::min<qsizetype>(count, 128);
            file_.writeBytes(block.constData(), now * emptySize);
            count -= now;
        }
    }

    XlsFile file_;
    int preference_;
};

/// The characters `number` takes in a cell of `kind`: its digits with two
/// decimals (an integer without), near enough to size a column.
int shownWidth(double number, int kind)
{
    char text[400];
    const auto [end, failure] = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed, kind == 3 ? 0 : 2);
    return failure == std::errc() ? int(end - text) : 12;
}

/// A workbook written row by row in constant memory: each row goes to disk
/// as it is written, so a large export needs no more memory than a small one.
class WorkbookSheet final : public ConceptSheet {
public:
    ~WorkbookSheet() override
    {
        if (workbook_)
            workbook_close(workbook_);
    }

    bool open(const QString& path, QString* error) override
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        const QByteArray temporary = QDir::toNativeSeparators(temporaryFolder()).toLocal8Bit();
        options.tmpdir = const_cast<char*>(temporary.constData());
        const QByteArray name = QFile::encodeName(path);
        workbook_ = workbook_new_opt(name.constData(), &options);
        if (!workbook_) {
            *error = u"No se pudo crear el archivo "_s + QDir::toNativeSeparators(path);
            return false;
        }
        sheet_ = workbook_add_worksheet(workbook_, "Conceptos");
        section_ = workbook_add_format(workbook_);
        format_set_bold(section_);
        format_set_bg_color(section_, 0xDDDDDD);
        heading_ = workbook_add_format(workbook_);
        format_set_bold(heading_);
        amount_ = workbook_add_format(workbook_);
        format_set_num_format(amount_, "#,##0.00####");
        rate_ = workbook_add_format(workbook_);
        format_set_num_format(rate_, "0.00####");
        worksheet_freeze_panes(sheet_, 2, 0);
        return sheet_ != nullptr;
    }
    void sectionRow(const Row& cells) override { write(cells, section_); }
    void headingRow(const Row& cells) override { write(cells, heading_); }
    void row(const Row& cells) override { write(cells, nullptr); }
    bool close(QString* error) override
    {
        // Columns as wide as their longest text, within reason.
        for (qsizetype column = 0; column < widths_.size(); ++column) {
            const double width = std::clamp(widths_.at(column) * 1.1 + 1.0, 6.0, 60.0);
            worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), width, nullptr);
        }
        const lxw_error result = workbook_close(workbook_);
        workbook_ = nullptr;
        if (result != LXW_NO_ERROR) {
            *error = u"No se pudo escribir el libro: "_s + QString::fromUtf8(lxw_strerror(result));
            return false;
        }
        return true;
    }

private:
    void write(const Row& cells, lxw_format* format)
    {
        const qsizetype used = usedLength(cells);
        if (widths_.size() < used)
            widths_.resize(used, 0);
        for (qsizetype column = 0; column < used; ++column) {
            const Cell& cell = cells.at(column);
            const auto at = lxw_col_t(column);
            switch (cell.kind) {
            case Cell::Kind::Empty:
                break;
            case Cell::Kind::Text: {
                // A note's line breaks as the workbook keeps them.
                utf8_ = cell.text.contains(u'\r') ? QString(cell.text).replace(u"\r\n"_s, u"\n"_s).toUtf8()
                                                  : cell.text.toUtf8();
                worksheet_write_string(sheet_, row_, at, utf8_.constData(), format);
                // A section heading spans its section; it does not widen its column.
                if (format != section_)
                    widths_[column] = std::max<int>(widths_.at(column), int(cell.text.size()));
                break;
            }
            case Cell::Kind::Number: {
                lxw_format* shown = format;
                if (!shown)
                    shown = cell.numberKind == 1 ? amount_ : cell.numberKind == 2 ? rate_ : nullptr;
                const double number = cell.numberKind == 3 ? double(std::llround(cell.number)) : cell.number;
                worksheet_write_number(sheet_, row_, at, number, shown);
                widths_[column] = std::max(widths_.at(column), shownWidth(number, cell.numberKind));
                break;
            }
            }
        }
        ++row_;
    }

    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* section_ = nullptr;
    lxw_format* heading_ = nullptr;
    lxw_format* amount_ = nullptr;
    lxw_format* rate_ = nullptr;
    lxw_row_t row_ = 0;
    QVector<int> widths_;
    QByteArray utf8_;  ///< a text cell's bytes, the buffer kept from cell to cell
};

// What each general column shows.
enum class Show {
    Text,     ///< the text as stored
    Integer,  ///< a whole number
    Code,     ///< a code of another table; empty for 0
    Amount,   ///< a number with its decimals
    Rate,     ///< a percentage or a factor
    Label,    ///< a coded value by the form's text for it
    Flag,     ///< "S"/"N" as "Sí"/"No"
    Active,   ///< 1 "Activo", 0 "Inactivo"
};

struct GeneralColumn {
    QString heading;
    QString field;
    Show show;
};

const QList<GeneralColumn>& generalColumns()
{
    static const QList<GeneralColumn> columns = [] {
        QList<GeneralColumn> list{
            {u"Concepto"_s, u"ConId"_s, Show::Integer},
            {u"Descripción"_s, u"ConDesc"_s, Show::Text},
            {u"Concepto activo"_s, u"ConActivo"_s, Show::Active},
            {u"Tipo"_s, u"ConTipo"_s, Show::Label},
            {u"Clase"_s, u"ConClase"_s, Show::Label},
            {u"Genera aguinaldo"_s, u"ConAguinal"_s, Show::Label},
            {u"Grupo"_s, u"ConGrupo"_s, Show::Text},
            {u"Cantidad"_s, u"ConCant"_s, Show::Label},
            {u"Fracción"_s, u"ConFracc"_s, Show::Label},
            {u"Cantidad 0"_s, u"ConCant0"_s, Show::Flag},
            {u"Fijo"_s, u"ConFijo"_s, Show::Flag},
            {u"Descripción modificable"_s, u"ConDetModi"_s, Show::Flag},
            {u"Movimientos colectivos"_s, u"ConColecti"_s, Show::Flag},
            {u"Funcionario subrogado"_s, u"ConPideSub"_s, Show::Label},
            {u"Gravado en un "_s, u"ConPorGrav"_s, Show::Rate},
            {u"Grupo aportes"_s, u"AporId"_s, Show::Code},
        };
        for (int bracket = 1; bracket <= 10; ++bracket)
            list.append({u"% retención franja %1"_s.arg(bracket), u"ConPorR%1"_s.arg(bracket), Show::Rate});
        list += QList<GeneralColumn>{
            {u"Tope imponible"_s, u"BasIdTope"_s, Show::Code},
            {u"Tope imponible jubilado AFAP"_s, u"BasIdAFAP"_s, Show::Code},
            {u"BPC"_s, u"BasIdBPC"_s, Show::Code},
            {u"Moneda"_s, u"ConMonExtr"_s, Show::Label},
            {u"Nominal/líquido"_s, u"ConLiquido"_s, Show::Label},
            {u"Prioridad"_s, u"ConPriorid"_s, Show::Integer},
            {u"Importe calculado 0"_s, u"ConImp0"_s, Show::Label},
            {u"Descontar"_s, u"ConDescont"_s, Show::Label},
            {u"Acepta reiteración"_s, u"ConAcReite"_s, Show::Flag},
            {u"Beneficio social"_s, u"ConBenSoci"_s, Show::Flag},
            {u"Incluye en Recibos - Líquido - Especie"_s, u"ConPlanRec"_s, Show::Label},
            {u"Imprime cantidad en recibos"_s, u"ConImpCant"_s, Show::Flag},
            {u"Imprime % retención"_s, u"ConImpRet"_s, Show::Flag},
            {u"Concepto para pago al beneficiario"_s, u"ConPBId"_s, Show::Code},
            {u"Referencia"_s, u"ConRefAuxi"_s, Show::Label},
            {u"Abrir por Centro de costo"_s, u"ConGraCC"_s, Show::Label},
            {u"Centro de costo forzado"_s, u"ConCCId"_s, Show::Text},
            {u"Coef. convertir a jornales"_s, u"ConConvJor"_s, Show::Rate},
            {u"Sumariza"_s, u"ConSumariz"_s, Show::Label},
            {u"Cantidad para historia laboral en"_s, u"ConCantHL"_s, Show::Label},
            {u"Concepto para historia laboral"_s, u"ConConcHL"_s, Show::Label},
            {u"Concepto para Focer"_s, u"ConConcFoc"_s, Show::Label},
            {u"Concepto Caja Bancaria"_s, u"ConConcCB"_s, Show::Text},
            {u"Ley 17829 (líquido mínimo)"_s, u"ConL17829"_s, Show::Label},
            {u"Control exceso 20% no gravado"_s, u"ConExe20No"_s, Show::Label},
            {u"Deducción IRPF"_s, u"ConIrpfDed"_s, Show::Label},
            {u"Días trabajados multiplicado por"_s, u"ConDTM"_s, Show::Rate},
            {u"Días trabajados dividido por"_s, u"ConDTD"_s, Show::Rate},
            {u"Licencia gozada multiplicada por"_s, u"ConDLGM"_s, Show::Rate},
            {u"Licencia gozada dividida por"_s, u"ConDLGD"_s, Show::Rate},
            {u"Licencia liquidada multiplicada por"_s, u"ConDLLM"_s, Show::Rate},
            {u"Licencia liquidada dividida por"_s, u"ConDLLD"_s, Show::Rate},
            {u"Texto período de licencia"_s, u"ConLinAdLi"_s, Show::Text},
            {u"Imprime en recibo"_s, u"ConImpRec"_s, Show::Flag},
            {u"Forma"_s, u"ConForma"_s, Show::Label},
            {u"Código de anotación"_s, u"ConFicCod"_s, Show::Text},
            {u"Notas"_s, u"ConNotas"_s, Show::Text},
            {u"Expande"_s, u"ConExpande"_s, Show::Flag},
            {u"Acumulador liquidación"_s, u"ConAcuLiqu"_s, Show::Flag},
            {u"Acumulador histórico"_s, u"ConAcuHist"_s, Show::Flag},
            {u"Días licencia gozada"_s, u"ConDLicGoz"_s, Show::Flag},
            {u"Días licencia liquidada"_s, u"ConDLicLiq"_s, Show::Flag},
            {u"Días trabajados"_s, u"ConDiasTra"_s, Show::Flag},
        };
        return list;
    }();
    return columns;
}

/// A coded value as a key: numbers by their value, texts trimmed.
QString codeKey(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble());
    default:
        return value.toString().trimmed();
    }
}

/// The texts of the concept form's code lists, by field and coded value.
/// The form is the one place that names them.
class ConceptLabels {
public:
    ConceptLabels()
    {
        const TransactionDecl* form = ObjectRegistry::transaction(u"TCONCEP"_s);
        if (!form)
            return;
        for (const FieldDecl& field : form->fields) {
            QHash<QString, QString>& texts = labels_[field.name];
            for (const CodeChoice& choice : field.choices)
                texts.insert(codeKey(choice.value), choice.text.trimmed());
        }
    }

    /// The text for `value` of `field`; the value itself when the list has none.
    QString text(const QString& field, const QVariant& value) const
    {
        const QString key = codeKey(value);
        const auto texts = labels_.constFind(field);
        if (texts != labels_.cend()) {
            const auto found = texts->constFind(key);
            if (found != texts->cend())
                return *found;
        }
        return key;
    }

private:
    QHash<QString, QHash<QString, QString>> labels_;
};

QString flagText(const QString& stored)
{
    const QString flag = stored.trimmed().toUpper();
    if (flag == u"S")
        return u"Sí"_s;
    if (flag == u"N")
        return u"No"_s;
    return flag;
}

Cell generalCell(const TableCursor& concepts, const GeneralColumn& column, const ConceptLabels& labels)
{
    switch (column.show) {
    case Show::Text:
        return Cell::ofText(concepts.text(column.field));
    case Show::Integer:
        return Cell::ofNumber(double(concepts.integer(column.field)), 3);
    case Show::Code: {
        const qint64 code = concepts.integer(column.field);
        return code ? Cell::ofNumber(double(code), 3) : Cell{};
    }
    case Show::Amount:
        return Cell::ofNumber(concepts.number(column.field), 1);
    case Show::Rate:
        return Cell::ofNumber(concepts.number(column.field), 2);
    case Show::Label:
        return Cell::ofText(labels.text(column.field, concepts.value(column.field)));
    case Show::Flag:
        return Cell::ofText(flagText(concepts.text(column.field)));
    case Show::Active:
        return Cell::ofText(concepts.integer(column.field) ? u"Activo"_s : u"Inactivo"_s);
    }
    return {};
}

const QStringList& lineHeadings()
{
    static const QStringList headings{u"Línea"_s, u"Operación"_s, u"Usar"_s, u"Número"_s, u"Año"_s,
                                      u"Cargo"_s, u"Centro costo"_s, u"Multiplicador"_s, u"Divisor"_s,
                                      u"Importe línea"_s, u"Importe parcial"_s, u"Básico"_s, u"Observaciones"_s};
    return headings;
}

/// One section of detail rows: the lines, accumulators, expansions or
/// applications of the concepts, read side by side with them.
struct DetailSection {
    QString table;
    QString index;
    QStringList headings;
    /// The cells of the current row of `rows`.
    std::function<Row(const TableCursor& rows)> cells;
};

Cell codeCell(qint64 code)
{
    return code ? Cell::ofNumber(double(code), 3) : Cell{};
}

/// The fields of the amount ("Ope") or quantity ("Can") lines, named once.
struct FormulaFields {
    explicit FormulaFields(const QString& prefix)
        : line(prefix + u"Lin"_s), open(prefix + u"APar"_s), operation(prefix + u"Ope"_s),
          close(prefix + u"CPar"_s), operand(prefix + u"Usar"_s), number(prefix + u"Nro"_s),
          year(prefix + u"Anio"_s), position(prefix + u"Cargo"_s), costCentre(prefix + u"CCosto"_s),
          multiplier(prefix + u"Mult"_s), divisor(prefix + u"Div"_s), lineAmount(prefix + u"ImpLine"_s),
          partialAmount(prefix + u"ImpParc"_s), comment(prefix + u"Observa"_s)
    {
    }
    QString line, open, operation, close, operand, number, year, position, costCentre, multiplier, divisor,
        lineAmount, partialAmount, comment;
};

Row formulaCells(const TableCursor& rows, const FormulaFields& fields)
{
    static const QString basic = u"BasId"_s;
    // The operation with the parentheses the line opens and closes.
    QString operation = rows.text(fields.operation).trimmed();
    if (const QString open = rows.text(fields.open).trimmed(); !open.isEmpty())
        operation = operation.isEmpty() ? open : open + u' ' + operation;
    if (const QString close = rows.text(fields.close).trimmed(); !close.isEmpty())
        operation = operation.isEmpty() ? close : operation + u' ' + close;
    return {Cell::ofNumber(double(rows.integer(fields.line)), 3),
            Cell::ofText(operation),
            Cell::ofText(rows.text(fields.operand)),
            codeCell(rows.integer(fields.number)),
            Cell::ofText(rows.text(fields.year)),
            Cell::ofText(rows.text(fields.position)),
            Cell::ofText(rows.text(fields.costCentre)),
            Cell::ofNumber(rows.number(fields.multiplier), 2),
            Cell::ofNumber(rows.number(fields.divisor), 2),
            Cell::ofNumber(rows.number(fields.lineAmount), 1),
            Cell::ofNumber(rows.number(fields.partialAmount), 1),
            codeCell(rows.integer(basic)),
            Cell::ofText(rows.text(fields.comment))};
}

QList<DetailSection> detailSections()
{
    return {
        {u"CONCEPT1"_s, u"ICONCEP2"_s, lineHeadings(),
         [fields = std::make_shared<FormulaFields>(u"Ope"_s)](const TableCursor& rows) {
             return formulaCells(rows, *fields);
         }},
        {u"CONCEPT4"_s, u"ICONCE11"_s, lineHeadings(),
         [fields = std::make_shared<FormulaFields>(u"Can"_s)](const TableCursor& rows) {
             return formulaCells(rows, *fields);
         }},
        {u"CONCEPT3"_s, u"ICONCEP7"_s, {u"Nº acumulador"_s, u"Multiplicador acum hist/liq"_s},
         [](const TableCursor& rows) {
             // The accumulator by its kind ("H" historical, "L" of the
             // liquidation) and number.
             const QString number = (rows.text(u"AcuTipo"_s).trimmed() + u' '
                                     + QString::number(rows.integer(u"AcuId"_s))).trimmed();
             return Row{Cell::ofText(number), Cell::ofNumber(rows.number(u"ConAcuMult"_s), 2)};
         }},
        {u"CONCEPT2"_s, u"ICONCEP5"_s, {u"Expande en concepto"_s},
         [](const TableCursor& rows) { return Row{codeCell(rows.integer(u"ExpConId"_s))}; }},
        {u"CONCEPT5"_s, u"ICONCE21"_s, {u"Aplica A"_s, u"Valor"_s},
         [](const TableCursor& rows) {
             return Row{codeCell(rows.integer(u"ConAplId"_s)), Cell::ofText(rows.text(u"ConAplValo"_s))};
         }},
    };
}

/// A detail section's cursor and the rows of the current concept.
struct OpenSection {
    DetailSection section;
    std::unique_ptr<TableCursor> rows;
    int firstColumn = 0;
    QList<Row> ofConcept;
};

/// Collects into `section.ofConcept` the rows of concept `conceptId`,
/// skipping rows of concepts that no longer exist.
DbError collect(OpenSection& section, qint64 conceptId)
{
    section.ofConcept.clear();
    TableCursor& rows = *section.rows;
    DbError error;
    while (!error && !rows.atEnd() && rows.integer(u"ConId"_s) < conceptId)
        error = rows.moveNext();
    while (!error && !rows.atEnd() && rows.integer(u"ConId"_s) == conceptId) {
        section.ofConcept.append(section.section.cells(rows));
        error = rows.moveNext();
    }
    return error;
}

}  // namespace

QList<ConceptSetting> conceptSettings(const TableCursor& concepts)
{
    static const ConceptLabels labels;
    QList<ConceptSetting> settings;
    for (const GeneralColumn& column : generalColumns()) {
        const Cell cell = generalCell(concepts, column, labels);
        QString text = cell.text;
        if (cell.kind == Cell::Kind::Number)
            text = spreadsheetNumber(cell.number, cell.numberKind, u'.');
        settings.append({column.heading, column.field, text});
    }
    return settings;
}

QString conceptExportFile(int preference, const QString& folder)
{
    const QString name = preference == int(SpreadsheetPreference::Workbook) ? u"conceptos.xlsx"_s
                                                                            : u"conceptos.xls"_s;
    return QDir(folder.isEmpty() ? temporaryFolder() : folder).filePath(name);
}

ConceptExportResult PEXPCONE(Database& database, UiPort& ui, const ConceptExportOptions& options)
{
    ConceptExportResult result;
    TableCursor concepts(database);
    DbError error = openInOrder(concepts, u"CONCEPT"_s, u"ICONCEPT"_s);

    const QList<GeneralColumn>& general = generalColumns();
    std::vector<OpenSection> sections;
    int width = int(general.size());
    if (options.formulas) {
        for (const DetailSection& section : detailSections()) {
            OpenSection open{section, std::make_unique<TableCursor>(database), width, {}};
            if (!error)
                error = openInOrder(*open.rows, section.table, section.index);
            width += int(section.headings.size());
            sections.push_back(std::move(open));
        }
    }
    if (error) {
        database.idleFreeLocks();
        result.failure = error.fullText();
        return result;
    }

    std::unique_ptr<ConceptSheet> sheet;
    if (options.preference == int(SpreadsheetPreference::Workbook))
        sheet = std::make_unique<WorkbookSheet>();
    else
        sheet = std::make_unique<HtmlSheet>(ui, options.preference);
    // Written beside its final name and put in its place when whole, so that
    // a failure leaves no half-written file for the spreadsheet to open.
    const QString partial = options.file + u".part"_s;
    if (!sheet->open(partial, &result.failure)) {
        database.idleFreeLocks();
        return result;
    }

    Row sectionCells(width);
    sectionCells[0] = Cell::ofText(u"DATOS GENERALES"_s);
    Row headings(width);
    for (qsizetype column = 0; column < general.size(); ++column)
        headings[column] = Cell::ofText(general.at(column).heading);
    static const QStringList sectionNames{u"CÁLCULO IMPORTE"_s, u"CÁLCULO CANTIDAD"_s, u"ACUMULADORES"_s,
                                          u"EXPANDE"_s};
    for (size_t at = 0; at < sections.size(); ++at) {
        const OpenSection& section = sections.at(at);
        // The applications belong with the expansion, under "EXPANDE".
        if (qsizetype(at) < sectionNames.size())
            sectionCells[section.firstColumn] = Cell::ofText(sectionNames.at(qsizetype(at)));
        for (qsizetype column = 0; column < section.section.headings.size(); ++column)
            headings[section.firstColumn + column] = Cell::ofText(section.section.headings.at(column));
    }
    sheet->sectionRow(sectionCells);
    sheet->headingRow(headings);

    const ConceptLabels labels;
    Row cells(width);
    for (; !error && !concepts.atEnd(); error = concepts.moveNext()) {
        const qint64 conceptId = concepts.integer(u"ConId"_s);
        qsizetype detailRows = 1;
        for (OpenSection& section : sections) {
            if (!error)
                error = collect(section, conceptId);
            detailRows = std::max(detailRows, section.ofConcept.size());
        }
        if (error)
            break;
        for (qsizetype line = 0; line < detailRows; ++line) {
            for (Cell& cell : cells) {
                if (cell.kind != Cell::Kind::Empty)
                    cell = Cell{};
            }
            if (line == 0) {
                for (qsizetype column = 0; column < general.size(); ++column)
                    cells[column] = generalCell(concepts, general.at(column), labels);
            } else {
                cells[0] = Cell::ofNumber(double(conceptId), 3);
            }
            for (const OpenSection& section : sections) {
                if (line >= section.ofConcept.size())
                    continue;
                const Row& detail = section.ofConcept.at(line);
                for (qsizetype column = 0; column < detail.size(); ++column)
                    cells[section.firstColumn + column] = detail.at(column);
            }
            sheet->row(cells);
            ++result.rows;
        }
        ++result.concepts;
        if (options.progressEvery > 0 && result.concepts % options.progressEvery == 0) {
            ui.statusText(1, u"Exportando concepto "_s + QString::number(conceptId));
            ui.processEvents();
        }
    }
    database.idleFreeLocks();
    ui.statusText(1, QString());

    QString closeFailure;
    const bool closed = sheet->close(&closeFailure);
    sheet.reset();
    if (error || !closed) {
        QFile::remove(partial);
        result.failure = error ? error.fullText() : closeFailure;
        result.concepts = 0;
        result.rows = 0;
        return result;
    }
    QFile::remove(options.file);
    if (!QFile::rename(partial, options.file)) {
        QFile::remove(partial);
        result.failure = u"No se pudo reemplazar el archivo "_s + QDir::toNativeSeparators(options.file)
                         + u" (¿está abierto en la planilla?)"_s;
        return result;
    }
    result.written = true;
    return result;
}

// ---------------------------------------------------------------------------
// The panels

void WEXPEXCE::start(const QString& use)
{
    use_ = use.trimmed().isEmpty() ? u"VARIOS"_s : use.trimmed().toUpper();
    choice_ = readSpreadsheetPreference(database_, use_, iniFile_);
}

bool WEXPEXCE::confirm()
{
    if (!isSpreadsheetPreference(choice_)) {
        ui_.message(u"Opción incorrecta"_s, MessageIcon::Exclamation);
        return false;
    }
    if (!writeSpreadsheetPreference(use_, choice_, iniFile_)) {
        ui_.message(u"No se pudo grabar la preferencia en "_s + QDir::toNativeSeparators(iniFile_)
                        + u" (falta la empresa o el archivo no puede escribirse)"_s,
                    MessageIcon::Exclamation);
        return false;
    }
    return true;
}

void WEXPCONE::start()
{
    preference_ = readSpreadsheetPreference(database_, u"CONCEPTOS"_s, iniFile_);
}

void WEXPCONE::pressPreferences()
{
    QString key = u"CONCEPTOS"_s;
    QString mode;
    ui_.callObject(u"WEXPEXCE"_s, key, mode);
    start();
}

bool WEXPCONE::confirm()
{
    file_ = conceptExportFile(preference_, folder_);
    ConceptExportOptions options;
    options.file = file_;
    options.preference = preference_;
    options.formulas = formulas_;
    {
        const WaitScope wait(ui_);
        result_ = PEXPCONE(database_, ui_, options);
    }
    if (!result_.written) {
        ui_.message(result_.failure, MessageIcon::Exclamation);
        return false;
    }
    return true;
}

bool WCONLIS::confirm()
{
    QString listing;
    if (kind_ == u"D")
        listing = u"RCONLISD"_s;
    else if (kind_ == u"R")
        listing = u"RCONLISR"_s;
    if (listing.isEmpty()) {
        ui_.message(u"Falta indicar tipo de listado"_s, MessageIcon::Exclamation);
        return false;
    }
    QString key;
    QString mode;
    if (!ui_.callObject(listing, key, mode))
        ui_.message(u"Opcion no disponible"_s, MessageIcon::Exclamation);
    return true;
}
