#pragma once

#include "data/db_error.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
class UiPort;

// Where a concept is used (WCONUSAD): the accumulators it feeds, the
// accounting-entry lines that take it, and every other place that names it.

/// One row of a where-used grid: its cells as shown, and the key of the
/// object its button opens (empty when it opens nothing).
struct UsageRow {
    QStringList cells;
    QString key;
};

/// The three grids of one concept.
struct ConceptUsage {
    /// "Acumuladores": type, number, description, period, from, to,
    /// operation; keyed "type<tab>number" as TACUMHL is called.
    QList<UsageRow> accumulators;
    /// "Asientos": entry, description, line; keyed "entry<tab>line" as
    /// TASIENT2 is called.
    QList<UsageRow> entries;
    /// "Otros usos": where, code, description, detail. Other concepts'
    /// amount and quantity lines that take it as operand, the concepts that
    /// expand into it, contribution groups, run types and the concepts they
    /// do not repeat, the rounding of the configuration, the schedules'
    /// concepts, the parameters that name it and its own applications.
    QList<UsageRow> elsewhere;
};

QStringList accumulatorHeadings();
QStringList entryHeadings();
QStringList elsewhereHeadings();

/// Reads the three grids of `conceptCode`; `error` is set when a table
/// could not be read (the grids then hold what was read before it).
ConceptUsage readConceptUsage(Database& database, int conceptCode, DbError& error);

/// The where-used panel, called with the concept as key. Its buttons open
/// the accumulator or the entry line of the current row, unless that table
/// is copied automatically; afterwards the grids are read again.
class WCONUSAD {
public:
    WCONUSAD(Database& database, UiPort& ui) : database_(database), ui_(ui) {}

    /// Reads the concept and its uses; false (and the reason shown) when
    /// they could not be read.
    bool start(const QString& key);
    int conceptCode() const { return conceptCode_; }
    QString title() const;
    const ConceptUsage& usage() const { return usage_; }
    /// "Modifica acumulador en el cual se utiliza el concepto": TACUMHL in
    /// "UPD" on accumulator row `row`.
    bool modifyAccumulator(int row);
    /// "Modifica la linea del asiento en la cual se utiliza el concepto":
    /// TASIENT2 in "UPD" on entry row `row`.
    bool modifyEntryLine(int row);
    bool refresh();

private:
    bool open(const QList<UsageRow>& rows, int row, const QString& syncGroup, const QString& object);

    Database& database_;
    UiPort& ui_;
    int conceptCode_ = 0;
    QString description_;
    ConceptUsage usage_;
};
