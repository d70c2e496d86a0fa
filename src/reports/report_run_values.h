#pragma once

// The values of a report's calculated columns that come from other tables
// than the report's own rows: the amount of a basic valid at the run date
// ("Básico") and the liquidated amounts of a set of concepts ("Importe").
// Each is read once per run with bound values and then looked up per row,
// so a report over many rows asks the database only a few questions more.

#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>

class Database;

/// "Básico": the values of one basic (BASICOS1) as they stand at a date.
class BasicValues {
public:
    /// Reads the values of basic `basic` that apply to every auxiliary
    /// reference; a value whose validity starts after `date` counts with its
    /// previous amount. False with `error` on a database failure.
    bool load(Database& database, int basic, const QDate& date, QString& error);
    /// The most specific value of those asked for: position and cost
    /// centre, position, cost centre, then the value for all; nullopt when
    /// the basic has none of them.
    std::optional<double> amount(int position, const QString& centre, bool byPosition, bool byCentre) const;

private:
    QHash<std::pair<int, QString>, double> amounts_;  ///< (CarId, CCId) -> amount
};

/// Where an employee works when a report's rows do not say: the first
/// position (lowest FunAL) and, for each position, the cost centre with the
/// largest share (CARGOSCC).
class EmployeePositions {
public:
    bool load(Database& database, QString& error);
    /// The first position's number (FunAL) and code (FunCarId); nullopt when none.
    std::optional<std::pair<int, int>> firstPosition(qint64 employee) const;
    /// The main cost centre of position `positionNumber`; empty when none.
    QString costCentre(qint64 employee, int positionNumber) const;

private:
    QHash<qint64, std::pair<int, int>> first_;
    QHash<std::pair<qint64, int>, std::pair<double, QString>> centres_;  ///< share and cost centre
};

/// The concept filter of a calculated column (WPARCONC): concept codes
/// ("10,12,20:25") and the concepts' group codes ("SUELDOS,EXTRAS") as
/// conditions, and the concept type ("1", "2", "3"). An empty part does not
/// filter.
struct ConceptFilter {
    QString codes;
    QString groups;
    QString type;
};

/// The concepts of CONCEPT that `filter` selects. False with `error` when a
/// part cannot be read or the database fails.
bool selectConcepts(Database& database, const ConceptFilter& filter, QSet<int>& concepts, QString& error);

/// Each employee's liquidated amounts (HISTORIA) by concept.
class EmployeeAmounts {
public:
    bool load(Database& database, QString& error);
    /// The employee's amounts of the concepts in `concepts`, summed.
    double sum(qint64 employee, const QSet<int>& concepts) const;

private:
    QHash<qint64, QList<std::pair<int, double>>> byEmployee_;
};
