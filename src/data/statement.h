#pragma once

#include "data/db_error.h"
#include "data/schema.h"

#include <QByteArrayView>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class Database;
struct sqlite3_stmt;

/// One prepared statement of a Database, kept by the cursors between uses.
/// On SQLite it runs straight on the connection's sqlite3 handle, so that a
/// seek costs what the engine costs; on other backends it goes through
/// QSqlQuery. Values are always bound, never pasted into the text.
class Statement {
public:
    Statement(Database& database, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /// Binds the next "?" in order; `value` is already in its stored form.
    void addBindValue(const QVariant& value);
    /// Binds the "?" at `position` (from 1) anew, the others keeping what
    /// they held at the last run: for an insert run many times whose values
    /// differ in a few places.
    void rebind(int position, const QVariant& value);
    /// Binds the next "?" to the whole number `value`, without a QVariant.
    void addBindInteger(qint64 value);
    /// Binds the next "?" to the text `utf8` (UTF-8): on SQLite without the
    /// conversion a QString costs, for statements run once per line of a file.
    void addBindText(QByteArrayView utf8);
    /// Runs the statement with the values bound since the last run; a select
    /// then stands before its first row.
    bool exec();
    /// Steps to the next row of a select; false at the end or on a failure.
    bool next();
    /// Whether the last `next()` returned false because the step failed.
    bool stepFailed() const { return stepFailed_; }
    /// Marks a select that reads at most `rows` rows (-1: no limit), as a
    /// cursor's window. From a server the result of such a select arrives
    /// whole at its run, and the connection is free for other statements
    /// while the rows are stepped (only before its first run).
    void setWindow(int rows);
    int window() const { return window_; }
    /// The rows `next()` gave since the last run.
    int rowsRead() const { return rowsRead_; }
    /// Ends the run: the engine's read of the statement is released.
    void finish();

    bool isNull(int column) const;
    qint64 int64(int column) const;
    /// Column `column` read into `into` as the program sees a field of
    /// `type`: typed, and a Null as the empty value of the type. The value
    /// `into` holds is overwritten in place where it can be (a cursor reads
    /// every field of every row it passes).
    void readField(int column, FieldType type, QVariant& into) const;
    /// Column `column` as the engine holds it; Null as an invalid QVariant.
    QVariant value(int column) const;
    /// The SQLite statement this one runs (nullptr on other backends), for a
    /// reader that takes the columns of the current row as SQLite holds them.
    sqlite3_stmt* sqliteStatement() const { return statement_; }
    int columnCount() const;
    QString columnName(int column) const;

    int rowsAffected() const;
    qint64 lastInsertId() const;
    /// The failure of the last prepare, exec or next, as an engine error with
    /// our `message`.
    DbError failure(const QString& message) const;
    /// The connection closes: lets go of the engine's statement for good.
    void release();

    /// Whether a select of `database` may stay open between calls without
    /// holding up other connections: SQLite in write-ahead-log mode, where
    /// readers never block writers, and PostgreSQL, where a held select is
    /// a window of rows read whole (see TableCursor).
    static bool readsMayBeHeld(Database& database);

private:
    Database* database_;
    QString sql_;
    int window_ = -1;
    int rowsRead_ = 0;
    // SQLite
    sqlite3_stmt* statement_ = nullptr;
    int bound_ = 0;
    int stepResult_ = 0;
    bool firstRowPending_ = false;
    bool stepped_ = false;  ///< stepped since its last reset
    bool stepFailed_ = false;
    int errorCode_ = 0;
    QString errorText_;
    // other backends
    std::unique_ptr<QSqlQuery> query_;
    /// Prepared at the first bind or run, once its way of reading is known.
    enum class Preparation { Pending, Done, Failed } preparation_ = Preparation::Pending;
    bool prepare();
    /// SQLite: binds `text` at `position`.
    void bindAt(int position, const QVariant& value);
    void bindText(int position, QStringView text);
    /// SQLite: hands the prepared statement to the connection's idle ones
    /// for the next Statement of the same text; false when it is not kept.
    bool keepIdle();
    /// Whether this was the anchor of `database`'s idle statements, which
    /// are now finalized.
    bool releaseIdleOf(Database& database);
};
