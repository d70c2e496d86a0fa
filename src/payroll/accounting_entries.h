#pragma once

#include "engine/transaction.h"

#include <QList>
#include <QString>
#include <QStringList>

class Database;
struct WorkPanelDecl;

// Accounting entry definitions: an entry (ASIENTO) has lines (ASIENTO1) that
// post to an account heading on the debit or credit side, and each line has
// calculations (ASIENT4) that say where its amount comes from. The forms:
// TASIENT1 (the header), WASIENT4 (the header with the grid of its lines and
// the grid of the calculations of the line chosen), TASIENT2 (one line),
// TASIENT4 (one calculation) and the panel WASIENT1.

/// Synchronisation group of the accounting entries.
inline constexpr char16_t entrySyncGroup[] = u"Asi";

/// The calculation kinds (`AsiCalculo`) with their texts.
const QList<CodeChoice>& calculationKinds();
/// The text of calculation kind `code` ("C" -> "Concepto"); empty when unknown.
QString calculationKindText(const QString& code);
/// The splits of a line (`AsiApCC`) with their texts; "" is no split.
const QList<CodeChoice>& lineSplits();
/// The short text of split `code` the grid shows ("S" -> "C de Ctos.").
QString lineSplitShortText(const QString& code);

/// One item of the employees' work history that a calculation "H. Laboral"
/// ("X") adds up; its code is the calculation's parameter.
struct WorkHistoryItem {
    int code = 0;
    QString description;
};
/// The work-history items, in code order.
const QList<WorkHistoryItem>& workHistoryItems();

/// What the parameter of a calculation of kind `kind` says: the concept
/// group for "R", the contribution regime for "M", the work-history item
/// for "X"; empty for the other kinds.
QString calculationParameterDescription(const QString& kind, const QString& parameter);

/// What the checks of a line need to know of it and of its calculations.
struct EntryLineFacts {
    int line = 0;
    QString split;            ///< `AsiApCC`, trimmed; empty: none
    QString costCentre;       ///< `CCId`, trimmed; empty: no filter
    QString externalValue;    ///< `AsiValor`, trimmed
    QStringList kinds;        ///< the `AsiCalculo` of its calculations

    bool hasSplit() const { return !split.isEmpty(); }
    bool filtersCostCentre() const { return !costCentre.isEmpty(); }
    bool calculates(const QString& kind) const { return kinds.contains(kind); }
};

/// One calculation as its checks see it.
struct CalculationFacts {
    int number = 0;       ///< `AsiCorLin`
    QString kind;         ///< `AsiCalculo`, trimmed
    int conceptId = 0;    ///< `ConId`
    QString parameter;    ///< `AsiConGrup`, trimmed
};

/// The checks of a line against itself, its calculations and the entry's
/// other lines (`others` excludes it): the external auxiliary value against
/// a split, the cost-centre filter against "CC Mutual" and against a line by
/// the difference anywhere in the entry, a split against "CC Mutual".
FieldVerdict checkLineAgainstEntry(const EntryLineFacts& line, const QList<EntryLineFacts>& others);
/// The checks of a calculation, in their fixed order, on `line` (its line,
/// as it will be written) of an entry whose other lines are `others`.
/// Reads CONCEPT for the concept.
FieldVerdict checkCalculation(Database& database, const CalculationFacts& calculation, const EntryLineFacts& line,
                              const QList<EntryLineFacts>& others);
/// Whether `table` holds a row whose `field` is `value` (a reference check).
bool referenceExists(Database& database, const QString& table, const QString& field, const QVariant& value);
/// The lines of entry `entry` as stored, with the kinds of their calculations.
QList<EntryLineFacts> storedEntryLines(Database& database, qint64 entry);

const TransactionDecl& TASIENT1();
const TransactionDecl& TASIENT2();
const TransactionDecl& TASIENT4();
const TransactionDecl& WASIENT4();
const WorkPanelDecl& WASIENT1();
