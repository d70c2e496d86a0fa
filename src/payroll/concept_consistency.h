#pragma once

// The consistency control of the concepts (PCTRCON2): a concept that adds
// into a liquidation accumulator but is liquidated after a concept whose
// formula reads that accumulator ("ACL") leaves the reader an accumulator
// not yet filled. Each such pair is a warning line of "avisos.txt".

#include "payroll/procedure_result.h"

#include <QString>
#include <QStringList>

class Database;
class UiPort;

/// The name of the warnings file.
inline constexpr char16_t consistencyFileName[] = u"avisos.txt";

/// The warnings, in the order of the concept that accumulates, its
/// accumulators, then the readers' amount lines and quantity lines, each by
/// concept code. A failure to read is returned in `error`.
QStringList conceptConsistencyWarnings(Database& database, DbError* error);

/// Runs the control and writes its warnings to `file`, one a line (an empty
/// file when there are none); `warnings` receives them. The failure to read
/// or to write is the result's message.
ProcedureResult PCTRCON2(Database& database, UiPort& ui, const QString& file, QStringList* warnings = nullptr);
