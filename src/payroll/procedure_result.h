#pragma once

// What the payroll procedures hand back to their panels, and the one way
// they write several tables: inside one database transaction.

#include "data/db_error.h"

#include <QString>

#include <functional>

class Database;

/// What a procedure leaves for its caller: error code 0 and no message when
/// it did its work.
struct ProcedureResult {
    int errorCode = 0;
    QString message;

    bool ok() const { return errorCode == 0; }
    static ProcedureResult failure(const QString& message, int code = 1) { return {code, message}; }
    /// A database failure: its number and our text with the driver's.
    static ProcedureResult from(const DbError& error);
};

/// Runs `steps` in one database transaction: committed when every step
/// went, rolled back (and the failure returned) when one did not.
DbError runInOneTransaction(Database& database, const std::function<DbError()>& steps);
