#pragma once

#include "data/db_error.h"

class RecordCursor;
class UiPort;

/// How long one wait step of the lock-wait routine lasts.
inline constexpr int lockWaitStepMilliseconds = 2000;

/// The lock-wait routine of procedures: tries `edit` on the current record of
/// `cursor`; while another workstation holds its lock, waits one step of wall
/// clock time (letting window events run through `ui`), frees read locks and
/// tries again, without limit. Returns whether it had to wait; a procedure
/// that waited reads its fields again. Any other failure ends the routine
/// with "not waited" and the record not locked; `failure` then tells why.
bool editWaitingForLock(RecordCursor& cursor, UiPort& ui, DbError* failure = nullptr,
                        int stepMilliseconds = lockWaitStepMilliseconds);
