#pragma once

// Shared pieces of the reliability tests: worker processes (this very test
// binary started again to run one test body that is skipped unless its
// environment names a role), the report lines they write, and the checks a
// database must pass after a worker died or finished: the file is sound, no
// record lock is left, the rows and the audit trail as they stand.

#include "data/cursor.h"
#include "data/database.h"
#include "data/database_setup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace reliability {

/// Worker report lines start with this, so they stand apart from gtest's own
/// output on the same stream.
inline constexpr const char* reportPrefix = "@@ ";

/// Writes one report line and flushes it at once: the parent must see it even
/// when the worker is killed a moment later.
inline void report(const QString& line)
{
    std::printf("%s%s\n", reportPrefix, line.toUtf8().constData());
    std::fflush(stdout);
}

/// An integer from the environment, or `fallback` when it is absent or not a
/// number.
inline qint64 environmentNumber(const char* name, qint64 fallback)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(name).trimmed().toLongLong(&ok);
    return ok ? value : fallback;
}

/// Waits until `file` exists, half a minute at most: how workers are told
/// to begin together or to go on.
inline void waitForFile(const QString& file)
{
    for (QDeadlineTimer deadline(30000); !QFile::exists(file) && !deadline.hasExpired();)
        QThread::usleep(200);
}

/// This test binary run again as a worker: `test` is the gtest name of the
/// worker's body, `environment` the variables that give it its role.
class WorkerProcess {
public:
    WorkerProcess(const QString& test, const QMap<QString, QString>& environment)
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (auto item = environment.begin(); item != environment.end(); ++item)
            variables.insert(item.key(), item.value());
        process_.setProcessEnvironment(variables);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setProgram(QCoreApplication::applicationFilePath());
        process_.setArguments({QStringLiteral("--gtest_filter=") + test});
    }

    ~WorkerProcess()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.kill();
        process_.waitForFinished(10000);
    }

    bool start()
    {
        process_.start();
        return process_.waitForStarted(10000);
    }

    /// Takes in what the worker wrote, waiting until `deadline` at most for
    /// more; returns early when something arrived.
    void read(QDeadlineTimer deadline)
    {
        if (process_.state() != QProcess::NotRunning && process_.bytesAvailable() == 0)
            process_.waitForReadyRead(static_cast<int>(std::max<qint64>(0, deadline.remainingTime())));
        collect();
    }

    /// Keeps reading until `deadline`: the worker never stalls on a full pipe.
    void readUntil(QDeadlineTimer deadline)
    {
        do read(deadline);
        while (!deadline.hasExpired() && process_.state() != QProcess::NotRunning);
        collect();
    }

    /// Reads until a report line equal to `line` arrived, the worker ended or
    /// `milliseconds` passed.
    bool waitForReport(const QString& line, int milliseconds)
    {
        QDeadlineTimer deadline(milliseconds);
        while (!reports_.contains(line)) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
                break;
            read(deadline);
        }
        collect();
        return reports_.contains(line);
    }

    /// Reads until `count` report lines starting with `prefix` arrived, the
    /// worker ended or `milliseconds` passed; returns at once when they are
    /// there, so that a kill can follow them closely.
    bool waitForReports(const QString& prefix, int count, int milliseconds)
    {
        QDeadlineTimer deadline(milliseconds);
        while (reportsStartingWith(prefix) < count) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
                return false;
            read(deadline);
        }
        return true;
    }

    int reportsStartingWith(const QString& prefix) const
    {
        return int(std::count_if(reports_.begin(), reports_.end(),
                                 [&](const QString& line) { return line.startsWith(prefix); }));
    }

    /// SIGKILL: the worker gets no chance to clean up anything.
    void kill()
    {
        process_.kill();
        process_.waitForFinished(10000);
        collect();
    }

    bool waitForExit(int milliseconds)
    {
        const bool ended = process_.waitForFinished(milliseconds);
        collect();
        return ended;
    }

    bool crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
    int exitCode() const { return process_.exitCode(); }
    /// The complete report lines so far, without their prefix. A line cut
    /// short by a kill is not among them.
    const QStringList& reports() const { return reports_; }
    /// Everything the worker wrote, for failure messages.
    std::string transcript() const
    {
        return (output_ + "\n--- stderr ---\n" + errors_).toStdString();
    }

private:
    void collect()
    {
        const QByteArray fresh = process_.readAllStandardOutput();
        output_ += QString::fromUtf8(fresh);
        errors_ += QString::fromUtf8(process_.readAllStandardError());
        pending_ += fresh;
        for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            if (line.startsWith(reportPrefix))
                reports_ << QString::fromUtf8(line.mid(qsizetype(std::strlen(reportPrefix))));
        }
    }

    QProcess process_;
    QByteArray pending_;
    QStringList reports_;
    QString output_;
    QString errors_;
};

/// Creates an empty database of the program at `location`.
inline void createProgramDatabase(const DatabaseLocation& location)
{
    Database database(location);
    ASSERT_TRUE(database.open(Database::OpenMode::CreateIfMissing)) << database.errorText().toStdString();
    QString error;
    ASSERT_TRUE(createDatabase(database, &error)) << error.toStdString();
}

/// Creates an empty database of the program in the SQLite file `file`.
inline void createProgramDatabase(const QString& file)
{
    createProgramDatabase(DatabaseLocation::sqliteFile(file));
}

/// What `PRAGMA integrity_check` says, its rows joined: "ok" for a sound file.
inline QString integrityCheck(Database& database)
{
    QSqlQuery query(database.connection());
    if (!query.exec("PRAGMA integrity_check"))
        return "integrity_check failed to run";
    QStringList rows;
    while (query.next())
        rows << query.value(0).toString();
    return rows.join(u'\n');
}

/// The primary key values of every row of `table`, in key order.
inline QList<QVariantList> rowKeys(Database& database, const QString& table)
{
    QList<QVariantList> keys;
    TableCursor cursor(database);
    if (cursor.open(table, Access::ReadOnly))
        return keys;
    const IndexDef* primary = cursor.table()->primaryIndex();
    for (cursor.moveFirst(); !cursor.atEnd(); cursor.moveNext()) {
        QVariantList key;
        for (const QString& field : primary->fields)
            key << cursor.value(field);
        keys << key;
    }
    return keys;
}

/// Locks every row of `table` at once through `database` and counts the rows
/// whose lock someone else still holds; every lock taken is released again.
/// `failures` names the keys of the rows that could not be locked.
inline int heldLocks(Database& database, const QString& table, QStringList* failures = nullptr)
{
    int held = 0;
    std::vector<std::unique_ptr<TableCursor>> editing;
    for (const QVariantList& key : rowKeys(database, table)) {
        auto cursor = std::make_unique<TableCursor>(database);
        cursor->open(table);
        cursor->seek(Comparison::Equal, key);
        const DbError error = cursor->edit();
        if (error) {
            ++held;
            if (failures) {
                QStringList values;
                for (const QVariant& value : key)
                    values << value.toString();
                *failures << table + u'(' + values.join(u',') + QStringLiteral("): ") + error.fullText();
            }
            continue;
        }
        editing.push_back(std::move(cursor));
    }
    for (auto& cursor : editing)
        cursor->cancelUpdate();
    return held;
}

/// Every category: number -> description, read with plain SQL.
inline QMap<int, QString> categoryRows(Database& database)
{
    QMap<int, QString> rows;
    QSqlQuery query(database.connection());
    query.exec(translateJetSql("SELECT CatId, CatDesc FROM CATEGORI", database.backend()));
    while (query.next())
        rows.insert(query.value(0).toInt(), query.value(1).toString());
    return rows;
}

/// One row of AUDITORI as the reliability checks compare it.
struct AuditRow {
    int line = 0;
    QString text;
    QString user;
    int area = 0;
    bool operator==(const AuditRow&) const = default;
};

/// The audit trail: correlative -> its rows in line order.
using AuditTrail = QMap<double, QList<AuditRow>>;

inline AuditTrail auditTrail(Database& database)
{
    AuditTrail trail;
    QSqlQuery query(database.connection());
    query.exec(translateJetSql(QStringLiteral("SELECT AudCorrela, AudLinea, AudDescrip, UsuNombre, TarCodigo "
                                              "FROM AUDITORI ORDER BY AudCorrela, AudLinea"),
                               database.backend()));
    while (query.next()) {
        trail[query.value(0).toDouble()].append(
            {query.value(1).toInt(), query.value(2).toString(), query.value(3).toString(), query.value(4).toInt()});
    }
    return trail;
}

/// The rows an entry of `lines` by `user` in `area` is stored as.
inline QList<AuditRow> auditRows(const QStringList& lines, const QString& user, int area)
{
    QList<AuditRow> rows;
    for (int line = 1; line <= lines.size(); ++line)
        rows.append({line, lines.at(line - 1), user, area});
    return rows;
}

}  // namespace reliability
