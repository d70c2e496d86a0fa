#include "reports/report_run_values.h"

#include "data/database.h"
#include "data/statement.h"
#include "reports/report_condition.h"
#include "support/dates.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

QString failureText(const DbError& error)
{
    return error.driverText.isEmpty() ? error.message : error.message + u" ("_s + error.driverText + u')';
}

/// Runs `sql` with `values` bound and calls `row` for each row; false with
/// `error` when the statement fails.
template <typename Row>
bool eachRow(Database& database, const QString& sql, const QVariantList& values, QString& error, Row row)
{
    Statement statement(database, translateJetSql(sql, database.backend()));
    for (const QVariant& value : values)
        statement.addBindValue(value);
    if (!statement.exec()) {
        error = failureText(statement.failure(u"No se pudo leer los datos de una columna calculada"_s));
        return false;
    }
    while (statement.next())
        row(statement);
    const bool failed = statement.stepFailed();
    if (failed)
        error = failureText(statement.failure(u"No se pudo leer los datos de una columna calculada"_s));
    statement.finish();
    database.idleFreeLocks();
    return !failed;
}

QString textOf(const Statement& statement, int column)
{
    QVariant value;
    statement.readField(column, FieldType::Text, value);
    return value.toString().trimmed();
}

double numberOf(const Statement& statement, int column)
{
    QVariant value;
    statement.readField(column, FieldType::Double, value);
    return value.toDouble();
}

/// Whether `number` is one of the values or ranges of `condition`; an
/// empty condition holds every number.
bool holds(const std::optional<ReportCondition>& condition, double number)
{
    if (!condition)
        return true;
    switch (condition->test) {
    case ReportCondition::Test::IsNull:
        return false;
    case ReportCondition::Test::IsNotNull:
        return true;
    case ReportCondition::Test::Values:
        break;
    }
    for (const ConditionItem& item : condition->items) {
        if (!item.range && item.low.toDouble() == number)
            return true;
        if (item.range && (!item.low.isValid() || number >= item.low.toDouble())
            && (!item.high.isValid() || number <= item.high.toDouble()))
            return true;
    }
    return false;
}

/// Whether the code `text` is one of the values or ranges of `condition`,
/// without regard to letter case; an empty condition holds every code.
bool holdsText(const std::optional<ReportCondition>& condition, const QString& text)
{
    if (!condition || condition->test == ReportCondition::Test::IsNotNull)
        return true;
    if (condition->test == ReportCondition::Test::IsNull)
        return text.isEmpty();
    const QString code = text.toUpper();
    for (const ConditionItem& item : condition->items) {
        const QString low = item.low.toString().trimmed().toUpper();
        const QString high = item.high.toString().trimmed().toUpper();
        if (!item.range && low == code)
            return true;
        if (item.range && (!item.low.isValid() || code >= low) && (!item.high.isValid() || code <= high))
            return true;
    }
    return false;
}

/// `text` read as a condition of `type`; left unset when empty.
bool readCodes(const QString& text, ReportFieldType type, const QString& what,
               std::optional<ReportCondition>& condition, QString& error)
{
    if (text.trimmed().isEmpty())
        return true;
    ReportCondition read = readCondition(text, type);
    if (!read.ok()) {
        error = what + u": "_s + read.error;
        return false;
    }
    condition = std::move(read);
    return true;
}

}  // namespace

bool BasicValues::load(Database& database, int basic, const QDate& date, QString& error)
{
    amounts_.clear();
    return eachRow(database,
                   u"SELECT CarId, CCId, RefAuxId, BasImp, BasImpAnt, BasVigenci FROM BASICOS1 WHERE BasId = ?"_s,
                   {basic}, error, [&](const Statement& row) {
                       // A value for one auxiliary reference is not a report's.
                       if (!textOf(row, 2).isEmpty())
                           return;
                       QVariant validFrom;
                       if (!row.isNull(5))
                           row.readField(5, FieldType::Date, validFrom);
                       const QDate start = validFrom.toDateTime().date();
                       const bool notYet = start.isValid() && !isEmptyDate(start) && start > date;
                       amounts_.insert({int(row.int64(0)), textOf(row, 1)}, numberOf(row, notYet ? 4 : 3));
                   });
}

std::optional<double> BasicValues::amount(int position, const QString& centre, bool byPosition, bool byCentre) const
{
    QList<int> positions;
    if (byPosition && position != 0)
        positions.append(position);
    positions.append(0);
    QStringList centres;
    if (byCentre && !centre.isEmpty())
        centres.append(centre);
    centres.append(QString());
    for (const int carId : positions) {
        for (const QString& ccId : centres) {
            const auto found = amounts_.constFind({carId, ccId});
            if (found != amounts_.cend())
                return found.value();
        }
    }
    return std::nullopt;
}

bool EmployeePositions::load(Database& database, QString& error)
{
    first_.clear();
    centres_.clear();
    const bool positions = eachRow(database, u"SELECT FunId, FunAL, FunCarId FROM CARGOSFU ORDER BY FunId, FunAL"_s, {},
                                   error, [&](const Statement& row) {
                                       const qint64 employee = row.int64(0);
                                       if (!first_.contains(employee))
                                           first_.insert(employee, {int(row.int64(1)), int(row.int64(2))});
                                   });
    return positions
           && eachRow(database, u"SELECT FunId, FunAL, FunCCId, FunCCPorc FROM CARGOSCC"_s, {}, error,
                      [&](const Statement& row) {
                          const std::pair<qint64, int> key{row.int64(0), int(row.int64(1))};
                          const double share = numberOf(row, 3);
                          const auto found = centres_.constFind(key);
                          if (found == centres_.cend() || share > found.value().first)
                              centres_.insert(key, {share, textOf(row, 2)});
                      });
}

std::optional<std::pair<int, int>> EmployeePositions::firstPosition(qint64 employee) const
{
    const auto found = first_.constFind(employee);
    if (found == first_.cend())
        return std::nullopt;
    return found.value();
}

QString EmployeePositions::costCentre(qint64 employee, int positionNumber) const
{
    return centres_.value({employee, positionNumber}).second;
}

bool selectConcepts(Database& database, const ConceptFilter& filter, QSet<int>& concepts, QString& error)
{
    std::optional<ReportCondition> codes;
    std::optional<ReportCondition> groups;
    if (!readCodes(filter.codes, ReportFieldType::Number, u"Códigos de concepto"_s, codes, error)
        || !readCodes(filter.groups, ReportFieldType::Character, u"Códigos de grupo"_s, groups, error))
        return false;
    const QString type = filter.type.trimmed();
    concepts.clear();
    return eachRow(database, u"SELECT ConId, ConGrupo, ConTipo FROM CONCEPT"_s, {}, error, [&](const Statement& row) {
        const int conceptCode = int(row.int64(0));
        if (!holds(codes, conceptCode) || !holdsText(groups, textOf(row, 1)))
            return;
        if (!type.isEmpty() && QString::number(row.int64(2)) != type)
            return;
        concepts.insert(conceptCode);
    });
}

bool EmployeeAmounts::load(Database& database, QString& error)
{
    byEmployee_.clear();
    return eachRow(database, u"SELECT FunId, HConId, SUM(HMovImp) FROM HISTORIA GROUP BY FunId, HConId"_s, {}, error,
                   [&](const Statement& row) {
                       byEmployee_[row.int64(0)].append({int(row.int64(1)), numberOf(row, 2)});
                   });
}

double EmployeeAmounts::sum(qint64 employee, const QSet<int>& concepts) const
{
    double total = 0;
    for (const auto& [conceptCode, amount] : byEmployee_.value(employee)) {
        if (concepts.contains(conceptCode))
            total += amount;
    }
    return total;
}
