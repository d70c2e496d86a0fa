#pragma once

#include "data/database.h"
#include "data/db_error.h"

#include <QString>

class UiPort;

/// Result of the translator when the failing statement is to be passed over
/// and the handler resumes after it (errors 76 and 481).
inline constexpr int resumeNextResult = -10;

/// The one place where a failure of a write becomes a message. `pending` is
/// the engine error being handled; with none (number 0) the stored last error
/// number is used. Shows the message of the number through `ui`, clears the
/// last error message and returns the result: 0 success, resumeNextResult,
/// or the number. For 1060 it also asks the program to end (ProgramEnd),
/// once the message was dismissed; the caller stops what it was doing.
int translateDatabaseError(UiPort& ui, const DbError& pending = {});

/// A failure of the database a person can meet (not a database, damaged,
/// read-only, disk full, cannot be opened, busy, server unreachable or
/// connection lost, login refused) as a Spanish clause, from the engine's error
/// `code` (SQLite's result code, PostgreSQL's SQLSTATE) and, where the
/// driver gives no code, its text; empty for any other failure. The driver's
/// text itself belongs on a details line, never in the sentence.
QString databaseFailureReason(Backend backend, const QString& code, const QString& driverText);
