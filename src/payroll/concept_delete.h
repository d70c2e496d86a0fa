#pragma once

#include "payroll/procedure_result.h"

#include <QString>

class Database;
class UiPort;

// The bulk delete of a concept (PCONELIM), which the concept panel's
// "&Eliminar" runs after its question: a concept that nothing uses goes
// with everything that hangs on it.

/// The first use of `conceptCode` that stops its delete, in the order the
/// delete looks: contribution lines, history, movements, the rounding
/// concept, the four concepts of the run types, other concepts' expansion,
/// accounting-entry calculations and the schedules' concepts. Empty when
/// nothing uses it; `error` is set when a table could not be read.
QString conceptDeleteRefusal(Database& database, int conceptCode, DbError& error);

/// Deletes the definition of `conceptCode`: its quantity lines, accumulator
/// lines, expansion rows, amount lines and the concept record, row by row
/// with the lock-wait routine. Runs inside the caller's transaction.
DbError deleteConceptDefinition(Database& database, UiPort& ui, int conceptCode);

/// Deletes concept `conceptCode` unless something uses it (code 1 and the
/// refusal in the message). Its definition, the entries' parameters
/// ("Asientos" "ConPM"/"ConPJ") that hold it, the employees' preferred
/// concept and the work-schedule parameters ("PlaTrabajo" "ConIdM"/"ConIdJ")
/// that name it, and the audit entry "Elimina concepto ...", all in one
/// database transaction: a failure anywhere leaves every table as it was.
ProcedureResult PCONELIM(Database& database, UiPort& ui, int conceptCode);
