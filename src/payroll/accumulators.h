#pragma once

#include <QList>
#include <QString>

class Database;
class UiPort;
struct CodeChoice;
struct TransactionDecl;
struct WorkPanelDecl;

/// An accumulator: historical, of the liquidation or of movements.
const TransactionDecl& TACUMHL();
/// The accumulators' work panel.
const WorkPanelDecl& WACUMSHL();
/// The concepts that feed one accumulator, with their operation and multiplier.
const TransactionDecl& WACUMHL();
/// Copies an accumulator with its concepts to another number of its type.
const TransactionDecl& WACUMCOP();
/// Where an accumulator is read: concepts' formula lines and reports.
const WorkPanelDecl& WACUMHLU();

/// The contents an accumulator of `type` ("H", "L", "M") may have.
QList<CodeChoice> accumulatorContents(const QString& type);

/// The description control: the refusal for `description` of accumulator
/// (`type`, `number`) with period `period`, or empty when it may be used.
/// `previous` is the description the accumulator had, whose report fields
/// are its own.
QString PCTRLDES(Database& database, const QString& description, const QString& type, int number,
                 const QString& period, const QString& previous = {});

/// How the accumulator delete ended.
struct AccumulatorRemoval {
    bool removed = false;
    QString refusal;  ///< why it was refused, when it was
};

/// Deletes accumulator (`type`, `number`) with its concept lines, unless a
/// concept's formula lines read it; writes the audit entry.
AccumulatorRemoval PACUELIM(Database& database, UiPort& ui, const QString& type, int number);

/// Whether a report of the report generator shows the accumulator with
/// `description` (and, for the calendar year, its previous and current years).
bool reportShowsAccumulator(Database& database, const QString& description);
/// Whether a concept's amount or quantity lines read accumulator (`type`, `number`).
bool conceptsReadAccumulator(Database& database, const QString& type, int number);
