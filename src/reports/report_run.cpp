#include "reports/report_run.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/statement.h"
#include "reports/kqrview.h"
#include "reports/listing_frame.h"
#include "reports/report_definition.h"
#include "reports/report_run_values.h"
#include "support/dates.h"
#include "support/picture.h"
#include "support/ui_port.h"

#include <QDateTime>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString calculatedBetweenColumns = u"calculo entre columnas"_s;
const QString calculatedBasic = u"basico"_s;
const QString calculatedAmount = u"importe"_s;
const QString calculatedQuantity = u"cantidad"_s;
const QString calculatedForeignAmount = u"importe m/e"_s;
const QString calculatedFileSum = u"suma valor del legajo"_s;

/// `text` in lower case without the accents of Spanish vowels.
QString plain(const QString& text)
{
    QString folded = text.trimmed().toLower();
    const QString accented = u"áéíóúü"_s;
    const QString bare = u"aeiouu"_s;
    for (qsizetype at = 0; at < accented.size(); ++at)
        folded.replace(accented.at(at), bare.at(at));
    return folded;
}

struct StoredColumn {
    int field = 0;       ///< catalogue field (INFORME1.CamId)
    double width = 0;    ///< InfAncho
};

struct Classification {
    int field = 0;
    bool subtotal = false;
};

struct Filter {
    int field = 0;
    bool askedAtRun = false;  ///< "E"
    QString condition;
    bool negated = false;     ///< InfNot "S": "distinto de"
    bool containing = false;  ///< InfNot "C": "conteniendo"
};

struct Calculated {
    int field = 0;  ///< its number among the report's columns, 0 when not placed
    QString title;
    QString kind;
    QString formula;
    QString first;   ///< InfCalF1 to InfCalF3: the parameters of the kind
    QString second;
    QString third;
};

/// A report definition as stored.
struct Definition {
    QString title;
    bool detailed = true;
    QList<StoredColumn> columns;
    QList<Classification> classification;
    QList<Filter> filters;
    QList<Calculated> calculated;
};

QString failureText(const DbError& error)
{
    return error.driverText.isEmpty() ? error.message : error.message + u" ("_s + error.driverText + u')';
}

bool readDefinition(Database& database, int reportId, Definition& definition, QString& error)
{
    QueryCursor header(database);
    if (DbError failure = header.open(u"SELECT InfDes, InfDetRes FROM INFORME WHERE InfId = ?"_s, {reportId})) {
        error = failureText(failure);
        return false;
    }
    if (!header.hasCurrent()) {
        error = u"No existe el informe "_s + QString::number(reportId);
        return false;
    }
    definition.title = header.text(u"InfDes"_s).trimmed();
    definition.detailed = header.text(u"InfDetRes"_s).trimmed().toUpper() != u"R"_s;

    QueryCursor rows(database);
    const auto open = [&](const QString& select) {
        if (DbError failure = rows.open(select, {reportId})) {
            error = failureText(failure);
            return false;
        }
        return true;
    };
    if (!open(u"SELECT CamId, InfAncho FROM INFORME1 WHERE InfId = ? ORDER BY InfCorCamp"_s))
        return false;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.columns.append({int(rows.integer(u"CamId"_s)), rows.value(u"InfAncho"_s).toDouble()});
    if (!open(u"SELECT CamId, InfSubtot FROM INFORME2 WHERE InfId = ? ORDER BY InfCorClas"_s))
        return false;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.classification.append(
            {int(rows.integer(u"CamId"_s)), rows.text(u"InfSubtot"_s).trimmed().toUpper() == u"S"_s});
    if (!open(u"SELECT CamId, InfFijoEmi, InfCondici, InfNot FROM INFORME3 WHERE InfId = ? ORDER BY InfCorFilt"_s))
        return false;
    for (; rows.hasCurrent(); rows.moveNext()) {
        const QString comparison = rows.text(u"InfNot"_s).trimmed().toUpper();
        definition.filters.append({int(rows.integer(u"CamId"_s)),
                                   rows.text(u"InfFijoEmi"_s).trimmed().toUpper() == u"E"_s,
                                   rows.text(u"InfCondici"_s), comparison == u"S"_s, comparison == u"C"_s});
    }
    if (!open(u"SELECT CamId, InfCalTitu, InfConteni, InfCalForm, InfCalF1, InfCalF2, InfCalF3 FROM INFORME4 "
              u"WHERE InfId = ? ORDER BY InfCalId"_s))
        return false;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.calculated.append({int(rows.integer(u"CamId"_s)), rows.text(u"InfCalTitu"_s).trimmed(),
                                      rows.text(u"InfConteni"_s).trimmed(), rows.text(u"InfCalForm"_s),
                                      rows.text(u"InfCalF1"_s).trimmed(), rows.text(u"InfCalF2"_s).trimmed(),
                                      rows.text(u"InfCalF3"_s).trimmed()});
    database.idleFreeLocks();
    return true;
}

/// One printed column: a catalogue field read from the query, or a
/// calculated column evaluated per row.
/// Where a column's value comes from.
enum class ColumnSource {
    Field,          ///< a catalogue field of the query
    Formula,        ///< "Cálculo entre columnas"
    Basic,          ///< "Básico"
    ConceptAmount,  ///< "Importe"
    Counter,        ///< "# (contador)"
    RowCount,       ///< "* (en totales)"
};

/// One printed column: a catalogue field read from the query, a calculated
/// column evaluated per row, or one of the data list's two counts.
struct RunColumn {
    ReportColumnLayout layout;
    ColumnSource source = ColumnSource::Field;
    int select = -1;      ///< Field: index among the query's columns
    int calculated = -1;  ///< Formula, Basic, ConceptAmount: index among the calculated columns
};

/// What the query reads of each row beyond the report's fields, for the
/// calculated columns: query column indexes, -1 when not read.
struct HiddenColumns {
    int employee = -1;        ///< FUNCIONA.FunId
    int conceptCode = -1;         ///< the row's concept
    int amount = -1;          ///< the row's amount
    int position = -1;        ///< the row's position code (CarId)
    int positionNumber = -1;  ///< the employee's position number (FunAL)
    int costCentre = -1;      ///< the row's cost centre
};

/// Those values of the row being read.
struct RowKeys {
    qint64 employee = 0;
    int conceptCode = 0;
    double amount = 0;
    int position = 0;
    int positionNumber = -1;
    QString costCentre;
};

FieldType storedType(ReportFieldType type)
{
    switch (type) {
    case ReportFieldType::Character:
        return FieldType::Text;
    case ReportFieldType::Number:
        return FieldType::Double;
    case ReportFieldType::Date:
        return FieldType::Date;
    }
    return FieldType::Text;
}

ReportValue readValue(const Statement& statement, int column, ReportFieldType type)
{
    if (statement.isNull(column))
        return ReportValue::null();
    QVariant value;
    statement.readField(column, storedType(type), value);
    switch (type) {
    case ReportFieldType::Character:
        return ReportValue::ofText(value.toString().trimmed());
    case ReportFieldType::Number:
        return ReportValue::ofNumber(value.toDouble());
    case ReportFieldType::Date: {
        const QDate date = value.toDateTime().date();
        return isEmptyDate(date) ? ReportValue::null() : ReportValue::ofDate(date);
    }
    }
    return ReportValue::null();
}

int defaultWidth(const ReportCatalogueField& field, double stored)
{
    if (stored >= 1)
        return qBound(1, int(std::lround(stored)), 80);
    if (!field.picture.isEmpty())
        return qBound(4, int(field.picture.size()) + (field.type == ReportFieldType::Number ? 1 : 0), 40);
    switch (field.type) {
    case ReportFieldType::Character:
        return 24;
    case ReportFieldType::Number:
        return 16;
    case ReportFieldType::Date:
        return 8;
    }
    return 12;
}

/// The columns of a row table that the calculated columns read.
struct RowTableColumns {
    QString conceptCode;
    QString amount;
    QString position;
    QString costCentre;
};

RowTableColumns rowTableColumns(const QString& rowTable)
{
    if (rowTable == u"HISTORIA"_s)
        return {u"HISTORIA.HConId"_s, u"HISTORIA.HMovImp"_s, u"HISTORIA.MovCarId"_s, u"HISTORIA.MovCCId"_s};
    if (rowTable == u"MOVIMIEN"_s)
        return {u"MOVIMIEN.ConId"_s, u"MOVIMIEN.MovImp"_s, u"MOVIMIEN.MovCarId"_s, u"MOVIMIEN.MovCCId"_s};
    if (rowTable == u"LIQUIDAC"_s)
        return {u"LIQUIDAC.LConId"_s, u"LIQUIDAC.LImporte"_s, {}, {}};
    return {};
}

/// The sums of one open group.
struct GroupSums {
    QList<double> sums;
    qint64 rows = 0;
    void reset(qsizetype columns)
    {
        sums = QList<double>(columns, 0.0);
        rows = 0;
    }
};

/// Everything a run works with once the definition has been checked.
class ReportRunner {
public:
    ReportRunner(Database& database, UiPort& ui, const ReportRunOptions& options, ReportSink& sink)
        : database_(database), ui_(ui), options_(options), sink_(sink) {}

    ReportRunResult run(int reportId);

private:
    bool prepare(int reportId);
    bool addColumns();
    bool addFormulas();
    bool buildQuery();
    bool loadCalculations();
    bool conditionOf(const Filter& filter, const ReportCatalogueField& field, QString& condition);
    bool readRows();
    void closeGroups(int fromLevel);
    void openGroups(int fromLevel, const QList<ReportValue>& keys);
    ReportValue evaluate(int column, QList<ReportValue>& row);
    ReportValue basicValue(int calculated);
    void readKeys(const Statement& statement);
    /// The count a "* (en totales)" column shows on a line covering `rows`.
    QList<ReportValue> sumsOf(const GroupSums& group) const;
    bool refuse(const QString& message)
    {
        result_.message = message;
        return false;
    }

    Database& database_;
    UiPort& ui_;
    const ReportRunOptions& options_;
    ReportSink& sink_;
    ReportRunResult result_;
    Definition definition_;
    ReportFieldCatalogue catalogue_;
    ReportLayout layout_;
    QList<RunColumn> columns_;
    std::vector<std::optional<ReportFormula>> formulas_;  ///< by calculated column; set for formulas
    QHash<int, BasicValues> basics_;        ///< "Básico" columns by calculated column
    QHash<int, QSet<int>> conceptSets_;     ///< "Importe" columns' concepts by calculated column
    EmployeePositions positions_;
    EmployeeAmounts employeeAmounts_;
    QString rowTable_;                      ///< the table that gives one row per record, or empty
    HiddenColumns hidden_;
    RowKeys keys_;
    QHash<QString, int> titles_;       ///< column title -> index among the row's values
    QList<int> selectFields_;          ///< catalogue field of each query column
    QList<int> classificationSelect_;  ///< query column of each classification level
    QString sql_;
    QVariantList values_;
    QList<GroupSums> groups_;          ///< per classification level
    GroupSums total_;
    QList<ReportValue> openValues_;
    QHash<QString, qint64> blanked_;   ///< "column: reason" -> rows left blank
};

ReportRunResult ReportRunner::run(int reportId)
{
    if (!prepare(reportId))
        return result_;
    QString error;
    if (!sink_.begin(layout_, error)) {
        result_.message = error;
        return result_;
    }
    if (!readRows()) {
        sink_.abandon();
        return result_;
    }
    if (!sink_.finish(error)) {
        result_.message = error;
        return result_;
    }
    for (auto found = blanked_.cbegin(); found != blanked_.cend(); ++found)
        result_.notices.append(u"Aviso: "_s + QString::number(found.value()) + u" fila(s) con la columna "_s
                               + found.key());
    if (options_.storeRunDate) {
        const DbError stored = database_.execute(u"UPDATE INFORME SET InfUltEjec = ? WHERE InfId = ?"_s,
                                                 {QDateTime(options_.today, QTime(0, 0)), reportId});
        if (stored)
            result_.notices.append(u"Aviso: no se pudo guardar la fecha de emisión: "_s + failureText(stored));
    }
    result_.ok = true;
    return result_;
}

bool ReportRunner::prepare(int reportId)
{
    QString error;
    if (!readDefinition(database_, reportId, definition_, error) || !readReportCatalogue(database_, catalogue_, &error))
        return refuse(error);
    layout_.reportId = reportId;
    layout_.title = definition_.title;
    layout_.detailed = definition_.detailed;
    if (definition_.columns.isEmpty() && definition_.calculated.isEmpty())
        return refuse(u"No indicó ningún dato para el informe"_s);
    return addColumns() && addFormulas() && buildQuery() && loadCalculations();
}

bool ReportRunner::addColumns()
{
    const auto selectOf = [this](int field) {
        qsizetype index = selectFields_.indexOf(field);
        if (index < 0) {
            selectFields_.append(field);
            index = selectFields_.size() - 1;
        }
        return int(index);
    };
    QList<bool> placed(definition_.calculated.size(), false);
    const auto addCalculated = [&](qsizetype index) {
        const Calculated& calculated = definition_.calculated.at(index);
        const QString kind = plain(calculated.kind);
        RunColumn column;
        column.layout.title = calculated.title;
        column.layout.type = ReportFieldType::Number;
        column.layout.picture = u"ZZZ,ZZZ,ZZZ,ZZ9.99"_s;
        column.layout.summable = true;
        column.layout.characters = 18;
        column.source = kind == calculatedBasic    ? ColumnSource::Basic
                        : kind == calculatedAmount ? ColumnSource::ConceptAmount
                                                   : ColumnSource::Formula;
        column.calculated = int(index);
        columns_.append(column);
        placed[index] = true;
    };
    // "# (contador)" numbers the detail rows in their order; "* (en
    // totales)" leaves the details blank and gives each subtotal and the
    // total the number of detail rows it covers. Neither is summed.
    const auto addCount = [this](ColumnSource source) {
        RunColumn column;
        column.source = source;
        column.layout = {source == ColumnSource::Counter ? u"#"_s : u"Filas"_s, ReportFieldType::Number,
                         u"ZZZZZZ9"_s, false, 7};
        columns_.append(column);
    };
    for (const StoredColumn& data : definition_.columns) {
        if (data.field == ReportFields::counterField || data.field == ReportFields::inTotalsField) {
            addCount(data.field == ReportFields::counterField ? ColumnSource::Counter : ColumnSource::RowCount);
            continue;
        }
        qsizetype calculated = -1;
        for (qsizetype index = 0; index < definition_.calculated.size(); ++index) {
            if (definition_.calculated.at(index).field != 0 && definition_.calculated.at(index).field == data.field)
                calculated = index;
        }
        if (calculated >= 0) {
            addCalculated(calculated);
            continue;
        }
        if (!catalogue_.contains(data.field))
            return refuse(u"El informe usa el campo "_s + QString::number(data.field)
                          + u", que no está en el catálogo de campos de informes"_s);
        const ReportCatalogueField& field = catalogue_.value(data.field);
        RunColumn column;
        column.layout = {field.description, field.type, field.picture, field.summable, defaultWidth(field, data.width)};
        column.select = selectOf(data.field);
        columns_.append(column);
    }
    for (qsizetype index = 0; index < definition_.calculated.size(); ++index) {
        if (!placed.at(index))
            addCalculated(index);
    }
    for (const Classification& level : definition_.classification) {
        if (!catalogue_.contains(level.field))
            return refuse(u"El informe clasifica por el campo "_s + QString::number(level.field)
                          + u", que no está en el catálogo de campos de informes"_s);
        classificationSelect_.append(selectOf(level.field));
    }
    for (const RunColumn& column : columns_)
        layout_.columns.append(column.layout);
    layout_.levels = int(definition_.classification.size());
    if (!definition_.detailed && layout_.levels > 0)
        layout_.groupTitle = catalogue_.value(definition_.classification.last().field).description;
    // Formulas name the columns by title, and the classification fields too.
    for (qsizetype index = 0; index < columns_.size(); ++index)
        titles_.insert(columns_.at(index).layout.title, int(index));
    for (qsizetype level = 0; level < definition_.classification.size(); ++level) {
        const QString title = catalogue_.value(definition_.classification.at(level).field).description;
        if (!titles_.contains(title))
            titles_.insert(title, int(columns_.size() + level));
    }
    return true;
}

bool ReportRunner::addFormulas()
{
    formulas_.resize(std::size_t(definition_.calculated.size()));
    for (qsizetype index = 0; index < definition_.calculated.size(); ++index) {
        const Calculated& calculated = definition_.calculated.at(index);
        if (calculated.title.isEmpty())
            return refuse(u"La columna calculada \""_s + QString::number(index + 1) + u"\" no tiene título."_s);
        const QString kind = plain(calculated.kind);
        const QString refusedKind = u"La columna calculada \""_s + calculated.title + u"\" ("_s + calculated.kind
                                    + u") no se puede emitir: "_s;
        // The liquidations of this program keep amounts only, and the file
        // annotations no value at all: those kinds have nothing to read.
        if (kind == calculatedQuantity)
            return refuse(refusedKind + u"las liquidaciones no guardan cantidades"_s);
        if (kind == calculatedForeignAmount)
            return refuse(refusedKind + u"las liquidaciones no guardan importes en moneda extranjera"_s);
        if (kind == calculatedFileSum)
            return refuse(refusedKind + u"las anotaciones del legajo no guardan valores"_s);
        if (kind == calculatedBasic) {
            bool number = false;
            const int basic = calculated.first.toInt(&number);
            if (!number || basic <= 0)
                return refuse(refusedKind + u"falta indicar código de básico"_s);
            continue;
        }
        if (kind == calculatedAmount) {
            QSet<int> concepts;
            QString error;
            if (!selectConcepts(database_, {calculated.first, calculated.second, calculated.third}, concepts, error))
                return refuse(refusedKind + error);
            conceptSets_.insert(int(index), concepts);
            continue;
        }
        if (kind != calculatedBetweenColumns)
            return refuse(u"La columna calculada \""_s + calculated.title + u"\" es de un tipo desconocido: \""_s
                          + calculated.kind + u'"');
        ReportFormula formula(calculated.formula);
        if (!formula.isValid())
            return refuse(u"Error en la fórmula de ["_s + calculated.title + u"]: "_s + formula.error());
        for (const QString& reference : formula.references()) {
            if (reference == calculated.title)
                return refuse(u"En la columna calculada \""_s + calculated.title
                              + u"\" no puede incluir la propia columna de cálculo en la fórmula."_s);
            if (!titles_.contains(reference))
                return refuse(u"La fórmula de cálculo de ["_s + calculated.title + u"] hace referencia a la columna ["_s
                              + reference + u"] que no está incluida en el informe"_s);
            for (qsizetype later = index + 1; later < definition_.calculated.size(); ++later) {
                if (definition_.calculated.at(later).title == reference)
                    return refuse(u"No puede utilizar la columna ["_s + reference + u"] en la fórmula de cálculo de ["_s
                                  + calculated.title + u"] porque se calcula despues"_s);
            }
        }
        formulas_[std::size_t(index)] = std::move(formula);
    }
    return true;
}

bool ReportRunner::conditionOf(const Filter& filter, const ReportCatalogueField& field, QString& condition)
{
    if (options_.extraFilters.contains(filter.field)) {
        condition = options_.extraFilters.value(filter.field);
        return true;
    }
    if (!filter.askedAtRun) {
        condition = filter.condition;
        return true;
    }
    if (options_.answers.contains(filter.field)) {
        condition = options_.answers.value(filter.field);
        return true;
    }
    // The filter editor asks for the condition; the key carries it both ways.
    QString key = filter.condition;
    QString mode = u"EMI"_s;
    if (!ui_.callObject(u"WFILTRO"_s, key, mode))
        return refuse(u"Falta la condición del filtro por "_s + field.description);
    condition = key;
    return true;
}

bool ReportRunner::buildQuery()
{
    QList<Filter> filters = definition_.filters;
    for (auto extra = options_.extraFilters.cbegin(); extra != options_.extraFilters.cend(); ++extra) {
        const bool defined = std::any_of(filters.cbegin(), filters.cend(),
                                         [&](const Filter& filter) { return filter.field == extra.key(); });
        if (!defined)
            filters.append({extra.key(), false, extra.value(), false});
    }
    QList<ReportCatalogueField> fields;
    for (const int field : selectFields_)
        fields.append(catalogue_.value(field));
    for (const Filter& filter : filters) {
        if (!catalogue_.contains(filter.field))
            return refuse(u"El informe filtra por el campo "_s + QString::number(filter.field)
                          + u", que no está en el catálogo de campos de informes"_s);
        fields.append(catalogue_.value(filter.field));
    }
    const ReportSource source = planReportSource(fields);
    if (!source.ok())
        return refuse(source.error);
    rowTable_ = source.rowTable;

    QStringList where;
    for (const Filter& filter : filters) {
        const ReportCatalogueField& field = catalogue_.value(filter.field);
        QString text;
        if (!conditionOf(filter, field, text))
            return false;
        if (filter.containing) {
            if (field.type != ReportFieldType::Character)
                return refuse(u"Filtro por "_s + field.description
                              + u": \"conteniendo\" solo se usa con campos de caracteres"_s);
            if (text.split(u',').join(QString()).trimmed().isEmpty())
                return refuse(u"Filtro por "_s + field.description + u": Falta indicar la condición"_s);
            const BoundPredicate predicate = containingPredicate(text, source.columns.value(filter.field));
            where.append(predicate.sql);
            values_.append(predicate.values);
            layout_.filters.append(field.description + u": conteniendo "_s + text.trimmed());
            continue;
        }
        const ReportCondition condition = readCondition(text, field.type);
        if (!condition.ok())
            return refuse(u"Filtro por "_s + field.description + u": "_s + condition.error);
        const BoundPredicate predicate = conditionPredicate(condition, source.columns.value(filter.field), filter.negated);
        where.append(predicate.sql);
        for (const QVariant& value : predicate.values)
            values_.append(storageValue(value, database_.backend()));
        layout_.filters.append(field.description + (filter.negated ? u": no "_s : u": "_s) + text.trimmed());
    }
    QStringList selected;
    for (const int field : selectFields_)
        selected.append(source.columns.value(field));
    QStringList order;
    for (const int select : classificationSelect_)
        order.append(selected.at(select));
    for (const QString& column : selected) {
        if (!order.contains(column))
            order.append(column);
    }
    // The calculated columns read the employee, and the row's concept,
    // amount, position and cost centre where its table has them.
    const auto uses = [this](ColumnSource source) {
        return std::any_of(columns_.cbegin(), columns_.cend(),
                           [source](const RunColumn& column) { return column.source == source; });
    };
    const bool basics = uses(ColumnSource::Basic);
    const bool amounts = uses(ColumnSource::ConceptAmount);
    const auto hide = [&selected](const QString& column) {
        selected.append(column);
        return int(selected.size() - 1);
    };
    if (basics || amounts || selected.isEmpty())
        hidden_.employee = hide(u"FUNCIONA.FunId"_s);
    if (order.isEmpty())
        order.append(u"FUNCIONA.FunId"_s);
    const RowTableColumns rowColumns = rowTableColumns(rowTable_);
    if (amounts && !rowColumns.conceptCode.isEmpty()) {
        hidden_.conceptCode = hide(rowColumns.conceptCode);
        hidden_.amount = hide(rowColumns.amount);
    }
    if (basics && !rowColumns.position.isEmpty()) {
        hidden_.position = hide(rowColumns.position);
        hidden_.costCentre = hide(rowColumns.costCentre);
    } else if (basics && source.positionJoined) {
        hidden_.position = hide(u"CARGOSFU.FunCarId"_s);
        hidden_.positionNumber = hide(u"CARGOSFU.FunAL"_s);
    }
    sql_ = u"SELECT "_s + selected.join(u", "_s) + u" FROM "_s + source.from;
    if (!where.isEmpty())
        sql_ += u" WHERE "_s + where.join(u" AND "_s);
    sql_ += u" ORDER BY "_s + order.join(u", "_s);
    return true;
}

bool ReportRunner::loadCalculations()
{
    QString error;
    bool positionsNeeded = false;
    for (const RunColumn& column : columns_) {
        if (column.source != ColumnSource::Basic)
            continue;
        const Calculated& calculated = definition_.calculated.at(column.calculated);
        BasicValues values;
        if (!values.load(database_, calculated.first.toInt(), options_.today, error))
            return refuse(error);
        basics_.insert(column.calculated, values);
        const bool byPosition = calculated.second.toUpper() == u"S"_s;
        const bool byCentre = calculated.third.toUpper() == u"S"_s;
        // Rows without a position of their own take the employee's first.
        positionsNeeded = positionsNeeded || (hidden_.costCentre < 0 && (byCentre || (byPosition && hidden_.position < 0)));
    }
    if (positionsNeeded && !positions_.load(database_, error))
        return refuse(error);
    if (!conceptSets_.isEmpty() && hidden_.conceptCode < 0 && !employeeAmounts_.load(database_, error))
        return refuse(error);
    return true;
}

void ReportRunner::readKeys(const Statement& statement)
{
    const auto number = [&statement](int column) -> qint64 {
        return column < 0 || statement.isNull(column) ? 0 : statement.int64(column);
    };
    keys_.employee = number(hidden_.employee);
    keys_.conceptCode = int(number(hidden_.conceptCode));
    keys_.amount = 0;
    if (hidden_.amount >= 0 && !statement.isNull(hidden_.amount)) {
        QVariant amount;
        statement.readField(hidden_.amount, FieldType::Double, amount);
        keys_.amount = amount.toDouble();
    }
    keys_.position = int(number(hidden_.position));
    keys_.positionNumber = hidden_.positionNumber >= 0 && !statement.isNull(hidden_.positionNumber)
                               ? int(statement.int64(hidden_.positionNumber))
                               : -1;
    keys_.costCentre.clear();
    if (hidden_.costCentre >= 0 && !statement.isNull(hidden_.costCentre)) {
        QVariant centre;
        statement.readField(hidden_.costCentre, FieldType::Text, centre);
        keys_.costCentre = centre.toString().trimmed();
    }
}

ReportValue ReportRunner::basicValue(int calculated)
{
    const Calculated& column = definition_.calculated.at(calculated);
    const bool byPosition = column.second.toUpper() == u"S"_s;
    const bool byCentre = column.third.toUpper() == u"S"_s;
    int position = keys_.position;
    int positionNumber = keys_.positionNumber;
    if (hidden_.position < 0 && (byPosition || byCentre)) {
        if (const auto first = positions_.firstPosition(keys_.employee)) {
            positionNumber = first->first;
            position = first->second;
        }
    }
    const QString centre = hidden_.costCentre >= 0 ? keys_.costCentre
                                                   : positions_.costCentre(keys_.employee, positionNumber);
    const std::optional<double> amount = basics_.value(calculated).amount(position, centre, byPosition, byCentre);
    if (amount)
        return ReportValue::ofNumber(*amount);
    ++blanked_[u"["_s + column.title + u"] en blanco: el básico "_s + column.first + u" no tiene valor para la fila"_s];
    return ReportValue::null();
}

ReportValue ReportRunner::evaluate(int column, QList<ReportValue>& row)
{
    const RunColumn& shown = columns_.at(column);
    switch (shown.source) {
    case ColumnSource::Field:
    case ColumnSource::Counter:
    case ColumnSource::RowCount:
        return ReportValue::null();
    case ColumnSource::Basic:
        return basicValue(shown.calculated);
    case ColumnSource::ConceptAmount: {
        // A row of liquidations, movements or calculations counts its own
        // amount when its concept is one of the column's; a row that is an
        // employee (or a position, or an annotation) sums the employee's
        // liquidated amounts of those concepts.
        const QSet<int>& concepts = conceptSets_[shown.calculated];
        if (hidden_.conceptCode >= 0)
            return ReportValue::ofNumber(concepts.contains(keys_.conceptCode) ? keys_.amount : 0.0);
        return ReportValue::ofNumber(employeeAmounts_.sum(keys_.employee, concepts));
    }
    case ColumnSource::Formula:
        break;
    }
    const ReportFormula::ColumnLookup lookup = [&](const QString& title) -> std::optional<ReportValue> {
        const auto found = titles_.constFind(title);
        if (found == titles_.cend())
            return std::nullopt;
        return row.at(found.value());
    };
    const FormulaOutcome outcome = formulas_.at(std::size_t(shown.calculated))->evaluate(lookup);
    if (outcome.ok())
        return outcome.value;
    ++blanked_[u"["_s + definition_.calculated.at(shown.calculated).title + u"] en blanco: "_s + outcome.error];
    return ReportValue::null();
}

QList<ReportValue> ReportRunner::sumsOf(const GroupSums& group) const
{
    QList<ReportValue> values;
    for (qsizetype column = 0; column < columns_.size(); ++column) {
        const RunColumn& shown = columns_.at(column);
        if (shown.source == ColumnSource::RowCount)
            values.append(ReportValue::ofNumber(double(group.rows)));
        else
            values.append(shown.layout.summable ? ReportValue::ofNumber(group.sums.at(column)) : ReportValue::null());
    }
    return values;
}

/// Whether two classification values fall in the same group.
bool sameValue(const ReportValue& left, const ReportValue& right)
{
    if (left.kind != right.kind)
        return false;
    switch (left.kind) {
    case ReportValue::Kind::Null:
        return true;
    case ReportValue::Kind::Number:
        return left.number == right.number;
    case ReportValue::Kind::Text:
        return left.text == right.text;
    case ReportValue::Kind::Date:
        return left.date == right.date;
    }
    return false;
}

void ReportRunner::openGroups(int fromLevel, const QList<ReportValue>& keys)
{
    const int levels = int(definition_.classification.size());
    for (int level = fromLevel; level < levels; ++level) {
        openValues_[level] = keys.at(level);
        groups_[level].reset(columns_.size());
        // A summarised report shows its deepest groups as lines of their own.
        if (!definition_.detailed && level == levels - 1)
            continue;
        const ReportCatalogueField& field = catalogue_.value(definition_.classification.at(level).field);
        ReportLine heading;
        heading.kind = ReportLine::Kind::Heading;
        heading.level = level;
        heading.label = field.description + u": "_s + formatReportValue(keys.at(level), field.picture);
        sink_.line(heading);
    }
}

void ReportRunner::closeGroups(int fromLevel)
{
    const int levels = int(definition_.classification.size());
    for (int level = levels - 1; level >= fromLevel; --level) {
        const GroupSums& group = groups_.at(level);
        const bool deepestOfSummary = !definition_.detailed && level == levels - 1;
        if (!definition_.classification.at(level).subtotal && !deepestOfSummary)
            continue;
        const ReportCatalogueField& field = catalogue_.value(definition_.classification.at(level).field);
        ReportLine line;
        line.kind = ReportLine::Kind::Subtotal;
        line.level = level;
        const QString shown = formatReportValue(openValues_.at(level), field.picture);
        line.label = deepestOfSummary ? shown : u"Total "_s + field.description + u' ' + shown;
        line.rows = group.rows;
        line.values = sumsOf(group);
        sink_.line(line);
    }
}

bool ReportRunner::readRows()
{
    Statement statement(database_, translateJetSql(sql_, database_.backend()));
    for (const QVariant& value : values_)
        statement.addBindValue(value);
    if (!statement.exec())
        return refuse(failureText(statement.failure(u"No se pudo leer los datos del informe"_s)));
    const int levels = int(definition_.classification.size());
    groups_ = QList<GroupSums>(levels);
    openValues_ = QList<ReportValue>(levels);
    total_.reset(columns_.size());
    QList<ReportFieldType> selectTypes;
    for (const int field : selectFields_)
        selectTypes.append(catalogue_.value(field).type);
    QList<ReportValue> selected(selectFields_.size());
    QList<ReportValue> row(columns_.size() + levels);
    QList<ReportValue> keys(levels);
    bool first = true;
    ReportLine detail;
    detail.kind = ReportLine::Kind::Detail;
    detail.values = QList<ReportValue>(columns_.size());
    while (statement.next()) {
        for (qsizetype index = 0; index < selectFields_.size(); ++index)
            selected[index] = readValue(statement, int(index), selectTypes.at(index));
        for (int level = 0; level < levels; ++level) {
            keys[level] = selected.at(classificationSelect_.at(level));
            row[columns_.size() + level] = keys.at(level);
        }
        int changed = first ? 0 : levels;
        for (int level = 0; !first && level < levels; ++level) {
            if (!sameValue(keys.at(level), openValues_.at(level))) {
                changed = level;
                break;
            }
        }
        if (!first && changed < levels)
            closeGroups(changed);
        if (changed < levels)
            openGroups(changed, keys);
        first = false;
        readKeys(statement);
        for (qsizetype column = 0; column < columns_.size(); ++column) {
            const RunColumn& shown = columns_.at(column);
            if (shown.source == ColumnSource::Field)
                row[column] = selected.at(shown.select);
            else if (shown.source == ColumnSource::Counter)
                row[column] = ReportValue::ofNumber(double(total_.rows + 1));
            else
                row[column] = evaluate(int(column), row);
            if (shown.layout.summable && row.at(column).kind == ReportValue::Kind::Number) {
                const double number = row.at(column).number;
                total_.sums[column] += number;
                for (GroupSums& group : groups_)
                    group.sums[column] += number;
            }
        }
        ++total_.rows;
        for (GroupSums& group : groups_)
            ++group.rows;
        if (definition_.detailed) {
            for (qsizetype column = 0; column < columns_.size(); ++column)
                detail.values[column] = row.at(column);
            sink_.line(detail);
        }
        if (total_.rows % std::max(1, options_.progressRows) == 0) {
            ui_.statusText(1, u"Emitiendo "_s + definition_.title + u": "_s + QString::number(total_.rows) + u" filas"_s);
            ui_.processEvents();
            if (options_.progress && !options_.progress(total_.rows)) {
                statement.finish();
                database_.idleFreeLocks();
                ui_.statusText(1, QString());
                result_.cancelled = true;
                return refuse(u"Emisión cancelada"_s);
            }
        }
    }
    if (statement.stepFailed()) {
        const QString failure = failureText(statement.failure(u"No se pudo leer los datos del informe"_s));
        statement.finish();
        return refuse(failure);
    }
    statement.finish();
    database_.idleFreeLocks();
    ui_.statusText(1, QString());
    if (!first)
        closeGroups(0);
    result_.rows = total_.rows;
    ReportLine total;
    total.kind = ReportLine::Kind::Total;
    total.label = u"Total general"_s;
    total.rows = total_.rows;
    total.values = sumsOf(total_);
    sink_.line(total);
    return true;
}

// ---- The report writer's pages ---------------------------------------------

class PageSink : public ReportSink {
public:
    PageSink(KQRView& view, UiPort& ui, QString company, QString user, QString output)
        : view_(view), ui_(ui), company_(std::move(company)), user_(std::move(user)), output_(std::move(output)) {}

    bool begin(const ReportLayout& layout, QString& error) override
    {
        layout_ = layout;
        offset_ = layout.groupTitle.isEmpty() ? 0 : 1;
        // Each column as wide as its values and, within reason, its heading.
        QList<ReportColumnLayout> shown;
        if (offset_)
            shown.append({layout.groupTitle, ReportFieldType::Character, {}, false, groupCharacters});
        shown.append(layout.columns);
        int characters = 0;
        for (ReportColumnLayout& column : shown) {
            column.characters = qMax(column.characters, qMin(int(column.title.size()), 24));
            characters += column.characters + 1;
        }
        // Columns that do not fit upright turn the paper on its side.
        const int uprightCharacters = (759 - 24 - 8) * 5 / 32;
        ListingJob job;
        job.documentName = u"Informe "_s + layout.title;
        job.output = output_.isEmpty() ? ReportOutputChoice::current() : output_;
        job.orientation = characters > uprightCharacters ? PageOrientation::Landscape : PageOrientation::Portrait;
        if (!ListingFrame::startJob(view_, job)) {
            error = u"No se pudo iniciar la emisión del informe"_s;
            return false;
        }
        ListingHeader header{layout.title, company_, user_, QDateTime::currentDateTime()};
        frame_.emplace(view_, header, &ui_);
        const int right = frame_->frameRight() - 4;
        const int available = (right - 28) * 5 / 32;
        // Too wide even on its side: every column gives way.
        double scale = 1;
        if (characters > available)
            scale = double(available) / characters;
        int left = 28;
        for (const ReportColumnLayout& column : shown) {
            const int width = qMax(3, int(column.characters * scale)) * 32 / 5;
            ListingColumn added;
            added.heading = column.title;
            added.headingLeft = left;
            added.headingRight = qMin(right, left + width);
            added.alignment = column.type == ReportFieldType::Number ? TextAlignment::Right : TextAlignment::Left;
            frame_->addColumn(added);
            left += width + 6;
        }
        return true;
    }

    void line(const ReportLine& line) override
    {
        switch (line.kind) {
        case ReportLine::Kind::Detail: {
            QStringList cells(offset_);
            for (qsizetype column = 0; column < line.values.size(); ++column)
                cells.append(formatReportValue(line.values.at(column), layout_.columns.at(column).picture));
            frame_->addRow(cells);
            return;
        }
        case ReportLine::Kind::Heading:
            labelled(line.label, line.level * 12, {});
            return;
        case ReportLine::Kind::Subtotal:
            if (offset_ && line.level == layout_.levels - 1) {
                // A summarised report's group: its name in the first column.
                QStringList cells = {line.label};
                for (qsizetype column = 0; column < line.values.size(); ++column)
                    cells.append(formatReportValue(line.values.at(column), layout_.columns.at(column).picture));
                frame_->addRow(cells);
                return;
            }
            labelled(line.label, line.level * 12, line.values);
            return;
        case ReportLine::Kind::Total:
            labelled(line.label, line.level * 12, line.values);
            return;
        }
    }

    bool finish(QString& error) override
    {
        (void)error;
        frame_->finish();
        return true;
    }

    void abandon() override { view_.abortJob(); }

private:
    /// A line of its own: the label in bold from the left, and the sums in
    /// their columns.
    void labelled(const QString& label, int indent, const QList<ReportValue>& sums)
    {
        const int top = frame_->reserve(ListingFrame::lineHeight);
        const QList<ListingColumn>& columns = frame_->columns();
        int labelRight = frame_->frameRight() - 4;
        QStringList cells(offset_);
        for (qsizetype column = 0; column < sums.size(); ++column) {
            const bool shown = !sums.at(column).isNull();
            cells.append(shown ? formatReportValue(sums.at(column), layout_.columns.at(column).picture) : QString());
            if (shown)
                labelRight = qMin(labelRight, columns.at(column + offset_).detailLeft - 6);
        }
        frame_->drawRow(top, cells);
        // The label keeps to the room left of the first sum.
        const int labelLeft = 28 + indent;
        const int room = qMax(4, (labelRight - labelLeft) * 5 / 32);
        view_.setFont(u"Courier New"_s, 8, true);
        view_.drawText(label.left(room), {labelLeft, top, qMax(labelLeft + 40, labelRight),
                                          top + ListingFrame::lineHeight - 1});
    }

    /// Characters of the column that names a summarised report's groups.
    static constexpr int groupCharacters = 32;

    KQRView& view_;
    UiPort& ui_;
    QString company_;
    QString user_;
    QString output_;  ///< "SCR", "PRN" or empty for the program-wide choice
    ReportLayout layout_;
    int offset_ = 0;  ///< 1 when the groups of a summarised report have a column
    std::optional<ListingFrame> frame_;
};

// ---- The .xlsx workbook -------------------------------------------------------

/// The number format of a catalogue picture: thousands and its decimals.
QString spreadsheetFormat(const QString& picture)
{
    const qsizetype point = picture.indexOf(u'.');
    const int decimals = point < 0 ? 0 : int(picture.size() - point - 1);
    const bool thousands = picture.contains(u',');
    QString format = thousands ? u"#,##0"_s : u"0"_s;
    if (decimals > 0)
        format += u'.' + QString(decimals, u'0');
    return format;
}

class WorkbookSink : public ReportSink {
public:
    explicit WorkbookSink(QString path) : path_(std::move(path)) {}
    ~WorkbookSink() override
    {
        if (workbook_)
            abandon();
    }

    bool begin(const ReportLayout& layout, QString& error) override
    {
        layout_ = layout;
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        const QByteArray file = QFile::encodeName(path_);
        workbook_ = workbook_new_opt(file.constData(), &options);
        if (!workbook_) {
            error = u"No se pudo crear el archivo "_s + path_;
            return false;
        }
        sheet_ = workbook_add_worksheet(workbook_, "Informe");
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
        date_ = workbook_add_format(workbook_);
        format_set_num_format(date_, "dd/mm/yyyy");
        for (const ReportColumnLayout& column : layout.columns) {
            lxw_format* plainFormat = workbook_add_format(workbook_);
            lxw_format* boldFormat = workbook_add_format(workbook_);
            format_set_bold(boldFormat);
            if (column.type == ReportFieldType::Number) {
                const QByteArray number = spreadsheetFormat(column.picture).toUtf8();
                format_set_num_format(plainFormat, number.constData());
                format_set_num_format(boldFormat, number.constData());
            }
            numberFormats_.append(plainFormat);
            boldNumberFormats_.append(boldFormat);
        }
        text(0, 0, layout.title, bold_);
        lxw_row_t row = 1;
        for (const QString& filter : layout.filters)
            text(row++, 0, filter, nullptr);
        headingRow_ = row + 1;
        offset_ = layout.groupTitle.isEmpty() ? 0 : 1;
        if (offset_) {
            text(headingRow_, 0, layout.groupTitle, bold_);
            worksheet_set_column(sheet_, 0, 0, 34, nullptr);
        }
        for (qsizetype column = 0; column < layout.columns.size(); ++column) {
            const lxw_col_t at = lxw_col_t(column + offset_);
            text(headingRow_, at, layout.columns.at(column).title, bold_);
            worksheet_set_column(sheet_, at, at, qBound(8, layout.columns.at(column).characters + 2, 60), nullptr);
        }
        row_ = headingRow_ + 1;
        return true;
    }

    void line(const ReportLine& line) override
    {
        const bool labelled = line.kind != ReportLine::Kind::Detail;
        // A summarised report's groups are plain lines with their name first.
        const bool group = offset_ && line.kind == ReportLine::Kind::Subtotal && line.level == layout_.levels - 1;
        if (labelled)
            text(row_, 0, line.label, group ? nullptr : bold_);
        for (qsizetype column = 0; column < line.values.size(); ++column) {
            const ReportValue& value = line.values.at(column);
            // The label takes the first cell of a subtotal when nothing is summed there.
            if (labelled && !offset_ && column == 0 && value.isNull())
                continue;
            cell(lxw_col_t(column + offset_), value, labelled && !group);
        }
        ++row_;
    }

    bool finish(QString& error) override
    {
        const lxw_error result = workbook_close(workbook_);
        workbook_ = nullptr;
        if (result == LXW_NO_ERROR)
            return true;
        error = u"No se pudo escribir el archivo "_s + path_ + u": "_s + QString::fromUtf8(lxw_strerror(result));
        QFile::remove(path_);
        return false;
    }

    void abandon() override
    {
        if (workbook_)
            workbook_close(workbook_);
        workbook_ = nullptr;
        QFile::remove(path_);
    }

private:
    void text(lxw_row_t row, lxw_col_t column, const QString& value, lxw_format* format)
    {
        const QByteArray bytes = value.toUtf8();
        worksheet_write_string(sheet_, row, column, bytes.constData(), format);
    }

    void cell(lxw_col_t column, const ReportValue& value, bool bold)
    {
        switch (value.kind) {
        case ReportValue::Kind::Null:
            return;
        case ReportValue::Kind::Number:
            worksheet_write_number(sheet_, row_, column, value.number,
                                   bold ? boldNumberFormats_.at(column - offset_) : numberFormats_.at(column - offset_));
            return;
        case ReportValue::Kind::Text:
            text(row_, column, value.text, bold ? bold_ : nullptr);
            return;
        case ReportValue::Kind::Date: {
            lxw_datetime moment{};
            moment.year = value.date.year();
            moment.month = value.date.month();
            moment.day = value.date.day();
            worksheet_write_datetime(sheet_, row_, column, &moment, date_);
            return;
        }
        }
    }

    QString path_;
    ReportLayout layout_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* date_ = nullptr;
    QList<lxw_format*> numberFormats_;
    QList<lxw_format*> boldNumberFormats_;
    lxw_row_t headingRow_ = 0;
    int offset_ = 0;  ///< 1 when the groups of a summarised report have a column
    lxw_row_t row_ = 0;
};

}  // namespace

QString formatReportValue(const ReportValue& value, const QString& picture)
{
    switch (value.kind) {
    case ReportValue::Kind::Null:
        return {};
    case ReportValue::Kind::Number: {
        if (picture.isEmpty())
            return QString::number(value.number, 'f', value.number == std::trunc(value.number) ? 0 : 2);
        return Picture(picture).format(value.number).trimmed();
    }
    case ReportValue::Kind::Text:
        return value.text;
    case ReportValue::Kind::Date:
        return formatDate(value.date, picture.isEmpty() ? u"dd/mm/yy"_s : picture);
    }
    return {};
}

ReportRunResult runReport(Database& database, UiPort& ui, int reportId, const ReportRunOptions& options,
                          ReportSink& sink)
{
    ReportRunner runner(database, ui, options, sink);
    return runner.run(reportId);
}

ReportRunResult printReport(Database& database, UiPort& ui, int reportId, const ReportRunOptions& options,
                            KQRView& view, const QString& company, const QString& user)
{
    PageSink sink(view, ui, company, user, options.output);
    return runReport(database, ui, reportId, options, sink);
}

ReportRunResult writeReportWorkbook(Database& database, UiPort& ui, int reportId, const ReportRunOptions& options,
                                    const QString& path)
{
    WorkbookSink sink(path);
    return runReport(database, ui, reportId, options, sink);
}

QString lastRunText(Database& database, int reportId)
{
    QueryCursor report(database);
    if (report.open(u"SELECT InfUltEjec FROM INFORME WHERE InfId = ?"_s, {reportId}) || !report.hasCurrent())
        return {};
    const QDate date = report.value(u"InfUltEjec"_s).toDateTime().date();
    database.idleFreeLocks();
    if (isEmptyDate(date))
        return {};
    return u"Última emisión: "_s + formatDate(date);
}
