#pragma once

#include "data/database.h"
#include "data/db_error.h"
#include "data/schema.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVarLengthArray>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class RecordLocks;
class Statement;

// Record access: cursors over the tables of a Database.
//
// A TableCursor is one open table with a current index. It holds one row (or a
// small window of rows read ahead) at a time; every seek and move is a keyset
// query on the index's key fields, so it costs the same on ten rows as on a
// million. Typical use:
//
//   TableCursor categories(*Database::main());
//   if (DbError error = categories.open("CATEGORI"))      // read-write
//       return error;
//   categories.setIndex("ICATEGOR");
//
//   // read one record by its key
//   categories.seek(Comparison::Equal, {catId});
//   Database::main()->idleFreeLocks();
//   if (categories.noMatch())
//       return notFound();
//   QString description = categories.text("CatDesc");     // Null -> ""
//
//   // change it: edit locks the record (3260 when another workstation holds
//   // it) and rereads it; update writes it and releases the lock
//   if (DbError error = categories.edit())
//       return error;
//   database.beginTransaction();
//   categories.setValue("CatDesc", "Peones");
//   if (DbError error = categories.update())              // rolled back on failure
//       return error;
//   database.commit();
//
//   // add one: a taken key fails with 3022 and the cursor stays where it was
//   categories.addNew();
//   categories.setValue("CatId", 7);
//   categories.setValue("CatDesc", "Capataces");
//   if (categories.update().ok())
//       categories.setBookmark(categories.lastModified());
//
//   // read a range in index order
//   for (categories.seek(Comparison::GreaterOrEqual, {first}); !categories.atEnd();
//        categories.moveNext()) { ... }
//
// A QueryCursor runs a select text (brackets around names allowed) and offers
// the same moves, fields, edits and bookmarks, without index or seek.
//
// On SQLite (in write-ahead-log mode, where a reader blocks no writer) a
// cursor that moves first, last or on from a record keeps its select open and
// steps it on each further move in that direction, so that reading through a
// table is one query. On PostgreSQL the held select is a window of rows (128,
// then twice as many each time, up to 2048) that arrives whole in one round
// trip; the cursor converts a row as its moves reach it, and it ends as the
// SQLite select does. The open select holds a read snapshot of the
// connection: it ends before any other statement of the connection runs,
// before a transaction begins or ends, on idleFreeLocks and on close (see
// Database::holdRead). So no read or write of the connection ever works on an
// old snapshot; only the moves of the cursor that holds it may read, until
// then, what the table held when its select began. A scan whose select was
// ended that way goes on from the current key reading a few rows ahead, as
// moves do elsewhere (16 to 512, growing while the cursor keeps moving the
// same way), so that a loop that looks up records in another cursor for each
// one it reads does not query again per row.
//
// A record a held select reaches is not converted whole: each field is read
// from the select when first asked for (a whole number, a real or a text of
// a SQLite row straight into the type asked for); when the select ends while
// the cursor stands on the record, what was not read yet is read first, so
// the record stays readable.
//
// A seek always reads the database afresh; a seek "=" (a look-up) holds
// nothing, the other comparisons start a range and hold their select like a
// move. Edit rereads the record under its lock, so a change by another
// workstation is never written over.
//
// A cursor must be closed or destroyed before its Database; closing the
// Database first makes its operations fail cleanly.
//
// Table, index and field names are case-insensitive. Every value is bound,
// never pasted into SQL text. Operations return a DbError whose number is the
// engine number the program's rules test; reading a field never fails: a Null,
// a missing record or an unknown name gives the empty value of the field's type
// (0, empty text, the empty date 01/01/100).

/// The comparison of a seek.
enum class Comparison { Equal, GreaterOrEqual, Greater, LessOrEqual, Less };

/// "=", ">=", ">", "<=" or "<"; nothing for any other text.
std::optional<Comparison> comparisonFromText(const QString& text);

/// The state of the record buffer.
enum class EditMode { None, Editing, Adding };

/// Whether a cursor may write.
enum class Access { ReadWrite, ReadOnly };

/// An opaque handle of one record of a cursor's table.
struct Bookmark {
    qint64 row = 0;
    bool isValid() const { return row != 0; }
    bool operator==(const Bookmark&) const = default;
};

/// The empty date: 1 January of the year 100, time zero.
QDateTime emptyDate();
/// The empty value of a field type: 0, the empty text or the empty date.
QVariant emptyValue(FieldType type);

/// What the cursors have in common: position, fields, edits and bookmarks.
class RecordCursor {
public:
    explicit RecordCursor(Database& database);
    virtual ~RecordCursor();
    RecordCursor(const RecordCursor&) = delete;
    RecordCursor& operator=(const RecordCursor&) = delete;

    bool isOpen() const { return table_ != nullptr || !columns_.isEmpty(); }
    /// Gives up a pending edit (releasing its lock) and closes the cursor.
    void close();
    /// The definition of the table behind the cursor (nullptr for a query
    /// that is not over one table).
    const TableDef* table() const { return table_; }
    Database& database() const { return database_; }

    /// Moves to the first record; on an empty table this is no error and the
    /// cursor stands at end (and at start).
    DbError moveFirst();
    DbError moveLast();
    /// 3021 when already at end.
    virtual DbError moveNext();
    /// 3021 when already at start.
    DbError movePrevious();
    /// After the last record (or on an empty set, or after a seek with no match).
    bool atEnd() const { return position_ == Position::AfterLast; }
    /// Before the first record.
    bool atStart() const { return position_ == Position::BeforeFirst || (empty_ && position_ == Position::AfterLast); }
    /// Whether there is a current record (not at an end, not deleted).
    bool hasCurrent() const { return position_ == Position::OnRow; }
    /// The number of records.
    virtual int recordCount() = 0;

    /// The value of `field` in the current record or in the record being
    /// edited or added; Null reads as the empty value of the field's type.
    QVariant value(const QString& field) const;
    // The typed readers are called for every field of every row a listing
    // or a check passes: the field of a row pending in an SQLite select is
    // read from SQLite straight away, without a call for the dispatch.
    QString text(const QString& field) const
    {
        const int column = columnIndex(field);
        if (straightRead(column) == DirectRead::Text && fieldPending(column))
            return pendingText(column);
        return heldText(column, field);
    }
    double number(const QString& field) const
    {
        const int column = columnIndex(field);
        if (const DirectRead read = straightRead(column); read != DirectRead::None && read != DirectRead::Text)
            return pendingNumber(column, read);
        return heldNumber(column, field);
    }
    qint64 integer(const QString& field) const
    {
        const int column = columnIndex(field);
        if (straightRead(column) == DirectRead::WholeNumber)
            return pendingInteger(column);
        return heldInteger(column, field);
    }
    QDateTime date(const QString& field) const { return value(field).toDateTime(); }
    /// Changes `field` of the record being edited or added (3020 otherwise,
    /// 3265 for an unknown field, 3027 on a read-only cursor).
    DbError setValue(const QString& field, const QVariant& value);
    /// value() and setValue() of the field in `column`, its place among the
    /// table's fields: for callers that move whole records field by field.
    QVariant valueAt(int column) const;
    DbError setValueAt(int column, const QVariant& value);

    /// Starts a new record, all fields empty.
    DbError addNew();
    /// Locks the current record and starts editing it, with its values read
    /// again from the database. 3260 when another workstation holds the lock,
    /// 3197 when the record was deleted by another, 3021 without a record.
    DbError edit();
    /// Writes the record being added or edited and releases its lock. On a
    /// failure the open transaction of the database is rolled back and the
    /// buffer stays as it was (the caller may cancel). 3022 duplicate key.
    DbError update();
    /// Gives up the edit or add in progress and releases its lock.
    void cancelUpdate();
    /// Deletes the current record (taking its lock for the moment).
    DbError remove();
    EditMode editMode() const { return editMode_; }
    /// Whether the last edit() read the record with other values than the
    /// current record held: false when what the caller read of it stands.
    bool editFoundChanges() const { return editFoundChanges_; }
    /// The record being edited as the database holds it now, read again for
    /// a check made inside the write transaction, after its begin: `values`
    /// gets its fields in table order, Null as the empty value. 3197 when
    /// another workstation deleted it, 3020 when no record is being edited.
    DbError storedValues(QVector<QVariant>* values);

    Bookmark bookmark() const;
    /// Makes the record of `bookmark` current; 3021 when it no longer exists.
    DbError setBookmark(Bookmark bookmark);
    /// The record most recently added or changed through this cursor.
    Bookmark lastModified() const { return lastModified_; }

protected:
    enum class Position { BeforeFirst, OnRow, AfterLast, Deleted };
    struct Row {
        qint64 id = 0;  ///< the row's identity (SQLite rowid)
        QVector<QVariant> values;
    };

    /// Sets up the columns of a cursor over `table` (all its fields).
    void attachTable(const TableDef* table, Access access);
    /// Sets up the columns of a read-only cursor over an arbitrary result.
    void attachColumns(const QStringList& names);
    void detach();

    virtual DbError fetchFirst(bool last) = 0;
    virtual DbError fetchNext(bool backwards) = 0;
    /// Makes `row` current; the cursor type refreshes its position keys.
    virtual void placeOn(const Row& row) = 0;
    /// A written row changed or a new one appeared: forget rows read ahead.
    virtual void forgetReadAhead() = 0;
    virtual void rowAdded(qint64 id) { (void)id; }

    /// Reads the row `id` of the table; nullopt when it is gone.
    virtual std::optional<Row> readRow(qint64 id, DbError* error);
    /// The "SELECT rowid, fields FROM table" prefix of every read.
    QString selectPrefix() const;
    Row rowFromQuery(const Statement& query) const;
    /// Reads the current row of `query` into `row`, reusing its storage.
    void readInto(Row& row, const Statement& query) const;
    /// A prepared query of this cursor, cached by its text.
    Statement& prepared(const QString& sql);
    /// A prepared query of this cursor cached under `slot`; `build` makes its
    /// text the first time only, so that a seek does not compose SQL.
    template <typename Build>
    Statement& preparedSlot(quint32 slot, Build build)
    {
        auto found = slots_.find(slot);
        if (found != slots_.end())
            return *found->second;
        return addSlot(slot, build());
    }
    Statement& addSlot(quint32 slot, const QString& sql);
    enum Slot : quint32 { ReadRowSlot = 1, InsertSlot, DeleteSlot, CountSlot, FirstSlot, LastSlot, NextSlot,
                          PreviousSlot, UpdateSlot, SeekSlots = 0x100 };

    /// The column of `field`, -1 when the cursor has none of that name.
    int columnIndex(const QString& field) const
    {
        // The column found last for these characters. The memo keeps the
        // characters of the column's own name, which the cursor's columns
        // keep alive and unchanged until they are replaced (and the memo
        // with them): the same address and length as that name is that
        // name; another text is compared with it.
        const RecentName& recent = recentNames_[recentSlot(field.constData())];
        if (recent.characters == field.constData() && recent.size == field.size()
            && (recent.characters == recent.name
                || std::memcmp(recent.name, recent.characters, size_t(recent.size) * sizeof(QChar)) == 0))
            return recent.column;
        return findAndRememberColumn(field);
    }
    int findAndRememberColumn(const QString& field) const;
    int findColumn(const QString& field) const;
    static size_t recentSlot(const QChar* characters)
    {
        return (reinterpret_cast<quintptr>(characters) >> 3) & 7;
    }
    /// The value of `field` in the buffer or the current record, without a copy.
    const QVariant* stored(const QString& field) const;
    const QVariant* storedAt(int column) const
    {
        // Most often a record read whole (a look-up's): straight from it.
        if (column >= 0 && source_ == nullptr && editMode_ == EditMode::None && position_ == Position::OnRow)
            return &current_.values.at(column);
        return storedAtWhereItIs(column);
    }
    /// `storedAt` in every other state: a buffer, a pending field, no record.
    const QVariant* storedAtWhereItIs(int column) const;

    /// Makes the row `query` stands on the current record. Only its identity
    /// is read now; each field is read from the query when first asked for,
    /// so that a scan converts what its caller reads and nothing else. The
    /// record must have room for every column (`makeRoomForColumns`), as it
    /// keeps while a held select steps.
    void standOn(const Statement& query)
    {
        current_.id = idNotRead;  // read with the fields, or for a bookmark
        // A new serial marks every field unread at once.
        if (++rowSerial_ == 0)
            restartRowSerials();
        source_ = &query;
    }
    /// Gives the current record and its read marks a place per column.
    void makeRoomForColumns();
    /// The serials wrapped round: the read marks start again from zero.
    void restartRowSerials();
    /// The identity of a record whose select has not been asked for it yet.
    static constexpr qint64 idNotRead = std::numeric_limits<qint64>::min();
    /// Reads the fields of the current record not read yet: the query it
    /// stands on is about to move or end.
    void settleCurrent();
    /// Forgets the query of the current record when it can no longer be
    /// read (a failed step): the fields not read yet read as empty.
    void loseCurrentSource();
    /// Field `column` of the current record, read from its query if not yet.
    const QVariant& currentField(int column) const;
    bool fieldPending(int column) const { return source_ != nullptr && fieldRead_[column] != rowSerial_; }
    /// How the typed readers take a field of a pending SQLite row straight
    /// from SQLite, without a QVariant between: as SQLite reads a Null (0,
    /// 0.0, no text), which is the empty value of these types.
    enum class DirectRead : quint8 { None, WholeNumber, Real, Currency, Text };
    static DirectRead directReadOf(FieldType type);
    /// How `column` of the current record is read straight from the SQLite
    /// row its select stands on; None when it is not read that way now
    /// (another backend, an edit or add buffer, a record read whole). Only
    /// the current record is ever pending in a select, so the row is its.
    DirectRead straightRead(int column) const
    {
        if (source_ == nullptr || editMode_ != EditMode::None || column < 0)
            return DirectRead::None;
        return directRead_[column];
    }
    /// The typed readers' two halves: a field of the SQLite row pending, of
    /// the kind `straightRead` gave; and a field held (or not there at all).
    QString pendingText(int column) const;
    double pendingNumber(int column, DirectRead read) const;
    qint64 pendingInteger(int column) const;
    QString heldText(int column, const QString& field) const;
    double heldNumber(int column, const QString& field) const;
    qint64 heldInteger(int column, const QString& field) const;
    const QVariant& emptyOf(int column) const { return empties_.at(column); }
    DbError failure(int number, const QString& message) const;

    Database& database_;
    const TableDef* table_ = nullptr;
    Access access_ = Access::ReadOnly;
    QStringList columns_;
    QHash<QString, int> columnByName_;  ///< upper-case name -> column
    Position position_ = Position::BeforeFirst;
    bool empty_ = false;
    /// The current record; fields still pending in `source_` are filled in
    /// by the (const) readers as they are asked for.
    mutable Row current_;
    /// The query whose row is the current record while some of its fields
    /// are not read yet (nullptr when `current_` holds them all).
    const Statement* source_ = nullptr;
    /// Per field, the serial of the row it was last read for from `source_`.
    mutable std::vector<quint32> fieldRead_;
    quint32 rowSerial_ = 0;
    /// Per field, how it is read straight from a SQLite row.
    std::vector<DirectRead> directRead_;
    /// The columns of the names asked for last, by the address of their
    /// characters: a loop asks for the same few fields row after row. Only a
    /// hint: the column's name is compared before it is taken.
    struct RecentName {
        const QChar* characters = nullptr;  ///< of the text asked for
        const QChar* name = nullptr;        ///< of the column's name in `columns_`
        qsizetype size = -1;
        int column = -1;
    };
    mutable RecentName recentNames_[8];
    /// Forgets the memo: the columns are replaced.
    void forgetRecentNames() { std::fill(std::begin(recentNames_), std::end(recentNames_), RecentName{}); }
    EditMode editMode_ = EditMode::None;
    Row buffer_;
    QVector<bool> changed_;
    bool editFoundChanges_ = true;
    /// The columns the update in UpdateSlot sets (key of sharedUpdateText).
    QByteArray updateColumns_;
    quint64 heldLock_ = 0;
    Bookmark lastModified_;
    std::unordered_map<QString, std::unique_ptr<Statement>> queries_;
    std::unordered_map<quint32, std::unique_ptr<Statement>> slots_;
    QHash<QString, int> columnByExactName_;
    QVector<QVariant> empties_;  ///< the empty value of each column

private:
    quint64 lockKey(const Row& row) const;
    void releaseLock();
    DbError insertBuffer();
    DbError writeBuffer();
    DbError writeFailed(const Statement& query, const QString& message);
};

/// A table with a current index, positioned by seek and by moves.
class TableCursor : public RecordCursor, private HeldRead {
public:
    explicit TableCursor(Database& database);
    ~TableCursor() override;

    /// Opens `table` (a table of the schema or one the database registered);
    /// 3078 when there is no such table. The primary index is current.
    DbError open(const QString& table, Access access = Access::ReadWrite);
    /// Makes `index` current for seeks and moves; 3800 when the table has no
    /// index of that name.
    DbError setIndex(const QString& index);
    QString indexName() const;
    /// Positions on the first record (the last one for "<" and "<=") whose
    /// leading key fields compare with `values`, one per leading key field;
    /// key fields not given are not compared. No match: `noMatch()` and at end.
    DbError seek(Comparison comparison, const QVariantList& values)
    {
        return seek(comparison, values.constData(), values.size());
    }
    /// The same for a braced list of values, `seek(Comparison::Equal, {id})`,
    /// which then needs no list on the heap: a look-up is made per record
    /// of many listings and checks.
    DbError seek(Comparison comparison, std::initializer_list<QVariant> values)
    {
        return seek(comparison, values.begin(), qsizetype(values.size()));
    }
    DbError seek(Comparison comparison, const QVariant* values, qsizetype count);
    bool noMatch() const { return noMatch_; }
    int recordCount() override;
    DbError moveNext() override;

protected:
    DbError fetchFirst(bool last) override;
    DbError fetchNext(bool backwards) override;
    void placeOn(const Row& row) override;
    void forgetReadAhead() override;

private:
    /// Values bound to a read: a seek's keys or a record's, kept off the heap.
    using KeyValues = QVarLengthArray<QVariant, 8>;
    DbError fetchFrom(Statement& query, const KeyValues& values, int limit, bool backwards);
    /// Runs `query` without a limit and keeps it open, standing on its first row.
    DbError readOn(Statement& query, const KeyValues& values, bool backwards);
    /// Steps the held select; at its end the cursor is at end (or start).
    DbError stepHeld();
    /// The held select gave no next row: its end, its failure, or the end of
    /// its window (`windowUsedUp`), after which the scan reads on.
    DbError endHeldStep(bool windowUsedUp);
    bool canHoldReads();
    /// Ended from outside (another statement of the connection, idle).
    void endHeldRead() override;
    /// Lets go of the held select, if any.
    void releaseHeldRead();
    QString orderBy(bool backwards) const;
    KeyValues keyValues(const Row& row) const;

    QStringList keyColumns_;     ///< quoted index fields, then the row identity
    QVector<int> keyFieldColumns_;
    QString indexName_;
    bool noMatch_ = false;
    Row spare_;                  ///< storage for the next record read, swapped with the current one
    QList<Row> readAhead_;       ///< rows after (or before) the current one
    qsizetype readAheadNext_ = 0;  ///< the next of them to become current
    bool readAheadBackwards_ = false;
    bool readAheadComplete_ = false;  ///< no rows beyond the read-ahead window
    int window_ = 16;
    Statement* held_ = nullptr;  ///< the open select standing on the current row
    bool heldBackwards_ = false;
    bool heldReadInterrupted_ = false;  ///< read ahead in windows until the next scan starts
    std::optional<bool> readsMayBeHeld_;
};

/// The result of a select text, as an updatable set of records when it
/// selects from one table; a read-only set otherwise.
class QueryCursor : public RecordCursor {
public:
    explicit QueryCursor(Database& database);
    ~QueryCursor() override;

    /// Runs `select` (Jet dialect allowed) and stands on its first record.
    DbError open(const QString& select, const QVariantList& values = {});
    int recordCount() override { return static_cast<int>(ids_.size()); }

protected:
    DbError fetchFirst(bool last) override;
    DbError fetchNext(bool backwards) override;
    void placeOn(const Row& row) override;
    void forgetReadAhead() override {}
    void rowAdded(qint64 id) override;
    std::optional<Row> readRow(qint64 id, DbError* error) override;

private:
    DbError loadAt(qsizetype index);

    QVector<qint64> ids_;            ///< the rows of the result, in its order
    QList<Row> detachedRows_;        ///< the rows of a result not over one table
    qsizetype index_ = -1;
};
