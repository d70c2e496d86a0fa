#include "data/lock_wait.h"

#include "data/cursor.h"
#include "data/database.h"
#include "support/ui_port.h"

#include <QElapsedTimer>
#include <QThread>

namespace {

/// Waits `milliseconds` of wall-clock time with the window alive. A short
/// sleep between event rounds keeps the wait from burning a processor.
void waitStep(UiPort& ui, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    do {
        ui.processEvents();
        if (timer.elapsed() >= milliseconds)
            break;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, milliseconds - timer.elapsed())));
    } while (timer.elapsed() < milliseconds);
}

}  // namespace

bool editWaitingForLock(RecordCursor& cursor, UiPort& ui, DbError* failure, int stepMilliseconds)
{
    bool waited = false;
    for (;;) {
        const DbError error = cursor.edit();
        if (failure)
            *failure = error;
        if (error.ok())
            return waited;
        if (!isLockConflict(error.number))
            return false;
        waited = true;
        waitStep(ui, stepMilliseconds);
        cursor.database().idleFreeLocks();
    }
}
