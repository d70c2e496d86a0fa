#pragma once

#include "data/db_error.h"

class UiPort;

/// Result of the translator when the failing statement is to be passed over
/// and the handler resumes after it (errors 76 and 481).
inline constexpr int resumeNextResult = -10;

/// The one place where a failure of a write becomes a message. `pending` is
/// the engine error being handled; with none (number 0) the stored last error
/// number is used. Shows the message of the number through `ui`, clears the
/// last error message and returns the result: 0 success, resumeNextResult,
/// or the number. The result 1060 tells the caller to end the program.
int translateDatabaseError(UiPort& ui, const DbError& pending = {});
