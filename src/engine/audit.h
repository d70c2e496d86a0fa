#pragma once

#include "data/db_error.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

class Database;

// The audit trail: every change a user makes to the master data leaves an
// entry in AUDITORI, one row per line of at most 200 characters, all lines of
// an entry under one correlative. An entry is written after the change it
// describes has been committed and is never part of that change's database
// transaction: a failure here never undoes the change, and is not shown to
// the user.
//
// Two workstations that write at the same moment may both find the same
// highest correlative. The unique index IAUDITOR refuses the second one; the
// writer then takes the next free correlative and writes the entry again, so
// both entries are kept whole.

/// The area codes of audit entries.
namespace AuditArea {
constexpr int UserReports = 4;
constexpr int Concepts = 13;
constexpr int Tables = 14;
constexpr int UsersAndProfiles = 25;
}  // namespace AuditArea

/// Characters of one line of an entry (`AudDescrip`).
inline constexpr int auditLineWidth = 200;

/// One audit entry, prepared (its correlative, date, time and lines worked
/// out) and then written.
class AuditEntry {
public:
    /// Prepares an entry of `area` with `text`, stamped with `moment`; the
    /// user is "Usuario" of VBGlob in capitals.
    AuditEntry(Database& database, int area, const QString& text,
               const QDateTime& moment = QDateTime::currentDateTime());

    /// Finds the correlative the entry will take: one more than the highest
    /// in the table, read through the index IAUDITOR.
    DbError prepare();
    /// Writes every line in one database transaction. On a duplicate
    /// correlative it takes the next free one and starts again.
    DbError write();

    double correlative() const { return correlative_; }
    const QStringList& lines() const { return lines_; }

private:
    DbError findHighestCorrelative(double& highest);
    DbError writeLines(bool& duplicate);
    /// What line `line` of the entry stores in `field`.
    QVariant lineValue(const QString& field, int line) const;

    Database& database_;
    int area_;
    QStringList lines_;
    QDate date_;
    QString time_;
    QString user_;
    double correlative_ = 0;
    bool prepared_ = false;
};

/// Prepares and writes one entry; the failure is returned for logs and
/// tests, callers do not show it.
DbError writeAuditEntry(Database& database, int area, const QString& text);
