#pragma once

// What the benchmarks share: a scratch folder for their database and files,
// the flag that makes a benchmark exit with 1 when a side did the wrong work,
// the check of a raw sqlite3 call, and the process's peak memory.

#include <QFile>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <cstdio>

namespace bench {

/// Set when either side of a benchmark failed or wrote the wrong rows; the
/// benchmark then exits with 1, so that the suite's run catches it.
inline bool failed = false;

/// The benchmark's scratch folder, removed when the process ends.
inline QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

/// The company database in the scratch folder.
inline QString databaseFile()
{
    return folder().filePath(QStringLiteral("KQ_DATA.MDB"));
}

/// True when a raw sqlite3 call succeeded; otherwise says which failed and
/// marks the benchmark failed.
inline bool sqliteOk(sqlite3* handle, int code, const char* what)
{
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW)
        return true;
    std::fprintf(stderr, "sqlite3 %s: %s\n", what, sqlite3_errmsg(handle));
    failed = true;
    return false;
}

/// The peak resident memory of the process so far, in KiB (VmHWM); -1 when
/// it cannot be read.
inline long peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

/// Starts the peak of peakMemoryKb() again from the present use.
inline void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

}  // namespace bench
