#include "reports/report_run.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/statement.h"
#include "reports/kqrview.h"
#include "reports/listing_frame.h"
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

struct DataColumn {
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
    bool negated = false;
};

struct Calculated {
    int field = 0;  ///< its number among the report's columns, 0 when not placed
    QString title;
    QString kind;
    QString formula;
};

/// A report definition as stored.
struct Definition {
    QString title;
    bool detailed = true;
    QList<DataColumn> columns;
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
    for (; rows.hasCurrent(); rows.moveNext())
        definition.filters.append({int(rows.integer(u"CamId"_s)),
                                   rows.text(u"InfFijoEmi"_s).trimmed().toUpper() == u"E"_s,
                                   rows.text(u"InfCondici"_s),
                                   rows.text(u"InfNot"_s).trimmed().toUpper() == u"S"_s});
    if (!open(u"SELECT CamId, InfCalTitu, InfConteni, InfCalForm FROM INFORME4 WHERE InfId = ? ORDER BY InfCalId"_s))
        return false;
    for (; rows.hasCurrent(); rows.moveNext())
        definition.calculated.append({int(rows.integer(u"CamId"_s)), rows.text(u"InfCalTitu"_s).trimmed(),
                                      rows.text(u"InfConteni"_s).trimmed(), rows.text(u"InfCalForm"_s)});
    database.idleFreeLocks();
    return true;
}

/// One printed column: a catalogue field read from the query, or a
/// calculated column evaluated per row.
struct RunColumn {
    ReportColumnLayout layout;
    int select = -1;   ///< index among the query's columns; -1 when calculated
    int formula = -1;  ///< index among the formulas
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
    bool conditionOf(const Filter& filter, const ReportCatalogueField& field, QString& condition);
    bool readRows();
    void closeGroups(int fromLevel);
    void openGroups(int fromLevel, const QList<ReportValue>& keys);
    ReportValue evaluate(int column, QList<ReportValue>& row);
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
    std::vector<ReportFormula> formulas_;
    QList<QString> formulaTitles_;
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
    return addColumns() && addFormulas() && buildQuery();
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
        RunColumn column;
        column.layout.title = calculated.title;
        column.layout.type = ReportFieldType::Number;
        column.layout.picture = u"ZZZ,ZZZ,ZZZ,ZZ9.99"_s;
        column.layout.summable = true;
        column.layout.characters = 18;
        column.formula = int(index);
        columns_.append(column);
        placed[index] = true;
    };
    for (const DataColumn& data : definition_.columns) {
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
    for (qsizetype index = 0; index < definition_.calculated.size(); ++index) {
        const Calculated& calculated = definition_.calculated.at(index);
        if (plain(calculated.kind) != calculatedBetweenColumns)
            return refuse(u"La columna calculada \""_s + calculated.title + u"\" es de tipo \""_s + calculated.kind
                          + u"\"; este programa solo emite columnas de cálculo entre columnas"_s);
        if (calculated.title.isEmpty())
            return refuse(u"La columna calculada \""_s + QString::number(index + 1) + u"\" no tiene título."_s);
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
        formulas_.push_back(std::move(formula));
        formulaTitles_.append(calculated.title);
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

    QStringList where;
    for (const Filter& filter : filters) {
        const ReportCatalogueField& field = catalogue_.value(filter.field);
        QString text;
        if (!conditionOf(filter, field, text))
            return false;
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
    sql_ = u"SELECT "_s + selected.join(u", "_s) + u" FROM "_s + source.from;
    if (!where.isEmpty())
        sql_ += u" WHERE "_s + where.join(u" AND "_s);
    sql_ += u" ORDER BY "_s + order.join(u", "_s);
    return true;
}

ReportValue ReportRunner::evaluate(int column, QList<ReportValue>& row)
{
    const int formula = columns_.at(column).formula;
    const ReportFormula::ColumnLookup lookup = [&](const QString& title) -> std::optional<ReportValue> {
        const auto found = titles_.constFind(title);
        if (found == titles_.cend())
            return std::nullopt;
        return row.at(found.value());
    };
    const FormulaOutcome outcome = formulas_.at(std::size_t(formula)).evaluate(lookup);
    if (outcome.ok())
        return outcome.value;
    ++blanked_[u"["_s + formulaTitles_.at(formula) + u"] en blanco: "_s + outcome.error];
    return ReportValue::null();
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
        for (qsizetype column = 0; column < columns_.size(); ++column)
            line.values.append(columns_.at(column).layout.summable ? ReportValue::ofNumber(group.sums.at(column))
                                                                   : ReportValue::null());
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
        for (qsizetype column = 0; column < columns_.size(); ++column) {
            const RunColumn& shown = columns_.at(column);
            row[column] = shown.select >= 0 ? selected.at(shown.select) : evaluate(int(column), row);
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
    for (qsizetype column = 0; column < columns_.size(); ++column)
        total.values.append(columns_.at(column).layout.summable ? ReportValue::ofNumber(total_.sums.at(column))
                                                                : ReportValue::null());
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
