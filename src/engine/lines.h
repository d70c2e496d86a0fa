#pragma once

#include "engine/modes.h"
#include "engine/transaction.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

class LineTable;
class TableCursor;

// The second level of a two-level form (a raise table with its dated
// percentages, a leave-day scale with its seniority steps): the lines of the
// header on the form, held in memory while the form is open. Every line
// carries its own mode: "INS" for a new line, "UPD" for a changed one, "DLT"
// for one marked for deletion, "DSP" for one left as read.
//
// The header's transaction owns its lines (TransactionDecl::lines) and
// drives them: the lines follow the header key on the form, they are
// checked when the header's last field is validated, and they are written
// in the header's own database transaction, so that a line that cannot be
// written leaves header, lines and audit as they were. A window draws them
// through rowCount / text / setText / addLine / markForDeletion, column by
// column in the declared order.

/// One column of the lines; the first one is the line's own key.
struct LineColumn {
    QString field;
    QString heading;
    QString picture;  ///< "dd/mm/yy", "ZZ9.999999"; empty: as typed
    /// A column the grid shows but the table does not hold (the description
    /// of a line's operand): worked out from the line each time it is
    /// shown, never typed into. `field` then only names it.
    std::function<QString(const LineTable& lines, int row)> shown = {};
    /// The selection list F4 opens on this column ("WKQ00A0"); the key
    /// chosen there is typed into the cell.
    QString listObject = {};
};

/// The check of one line before it is written: ok, a refusal, or an
/// "Aviso:" notice that does not stop the Confirm.
using LineCheck = std::function<FieldVerdict(const LineTable& lines, int row)>;
/// A check that may ask and change the line as it goes (a missing code
/// offered from its list, a number left at zero given one). A refusal
/// with an empty message has already told the person why.
using LineReview = std::function<FieldVerdict(LineTable& lines, int row)>;
/// What a member fills into a line (a new line's number).
using LineFill = std::function<void(LineTable& lines, int row)>;

/// The lines of a two-level form as data.
struct LineTableDecl {
    QString table;      ///< "AUMENTO1"
    QString index;      ///< "IAUMENT1": header key, then the line key
    QString headerKey;  ///< the field the header and its lines share ("AumId")
    QList<LineColumn> columns;
    LineCheck check;
    /// The header's field that keeps the highest line number ("ConUltLin"),
    /// written with the lines; empty: none.
    QString lastNumberField;
    /// One audit entry per written line: the verb, the header key and the
    /// line key, then the parts (columns by field). Empty verbs: no entry.
    AuditWording audit;
    /// A third level: each line has lines of its own (an accounting entry's
    /// line and its calculations), kept in `sublines->table` under the
    /// header key, the line's key in `sublines->parentLineField`, and their
    /// own key. The line's field `sublines->lastNumberField` keeps the
    /// highest of them.
    const LineTableDecl* sublines = nullptr;
    /// In a third level's declaration: the field holding its line's key.
    QString parentLineField;
    /// How many leading columns make the line's key (a basic's value is
    /// keyed by position, cost centre and reference together).
    int keyColumns = 1;
    /// Set: the audit sentence of one written line instead of the wording's
    /// (empty: no entry). `mode` is how the line was written; `values` what
    /// it holds now and `asRead` what it held when read.
    std::function<QString(const Transaction& form, Mode mode, const QVector<QVariant>& values,
                          const QVector<QVariant>& asRead)>
        auditText;
    /// A header of a composite key (an accumulator's type and number): its
    /// further key fields, shared by header and lines like `headerKey`, and
    /// following it in `index`.
    QStringList moreHeaderKeys = {};
    /// The form's field that holds the header key, when the form's table
    /// names it otherwise than the lines' table (TLId for PLTLId); empty:
    /// `headerKey` itself.
    QString headerFormField = {};
    /// Used instead of `check` when set.
    LineReview review = {};
    /// Fills a line the person adds (its number, for instance).
    LineFill newLine = {};
    /// A text the window shows below the grid (the lines read as one
    /// formula), worked out again whenever the lines change.
    std::function<QString(const LineTable& lines)> summary = {};
};

class LineTable {
public:
    LineTable(const LineTableDecl& declaration, Transaction& form);

    /// The lines of `form`, or nullptr for a one-level form.
    static LineTable* of(const Transaction& form) { return form.lines(); }

    const LineTableDecl& declaration() const { return declaration_; }
    /// The form the lines belong to.
    Transaction& form() const { return form_; }
    int columnCount() const { return int(declaration_.columns.size()); }
    /// The column of `field` (any letter case), or -1.
    int column(const QString& field) const { return columnOf(field); }
    /// Whether `column` is typed into: not a shown-only column.
    bool columnEditable(int column) const { return !declaration_.columns.at(column).shown; }
    /// F4 on `column` of `row`: opens the column's list with the cell's
    /// value and types the key chosen there. False when the column has no
    /// list or nothing was chosen.
    bool pick(int row, int column);
    /// Reads the lines of the header on the form again; what was typed and
    /// not written is dropped (after a procedure rewrote the lines).
    void reload();

    /// Reads the lines again when the header key on the form changed since
    /// they were read; new lines typed so far are kept.
    void follow();
    int rowCount() const { return int(lines_.size()); }
    Mode mode(int row) const { return lines_.at(row).mode; }
    /// The stored value of `column` (from 0) in `row` (from 0).
    QVariant value(int row, int column) const { return lines_.at(row).values.at(column); }
    /// The value as the grid shows it, through the column's picture.
    QString text(int row, int column) const;
    /// What the person typed. False (and why in `error`) when the form is
    /// not open for changes or a number does not fit the picture. A date
    /// that is not one is kept as invalid and refused when the line is checked.
    bool setText(int row, int column, const QString& text, QString* error = nullptr);
    /// Whether the date typed into `column` of `row` was not a date.
    bool invalidDate(int row, int column) const { return lines_.at(row).invalid.at(column); }
    /// Whether the lines may be changed: the form is open for changes.
    bool editable() const;
    /// Appends an empty new line and returns its row (-1 when not editable).
    int addLine();
    /// Marks `row` for deletion; a new line that was never written just goes.
    void markForDeletion(int row);
    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row) { currentRow_ = row; }

    /// Whether another line that is not being deleted has the key of `row`
    /// (every one of its key columns).
    bool repeatsKey(int row) const;
    /// Checks the new and changed lines in grid order: notices are shown
    /// and passed, the first refusal is returned (its row becomes current).
    FieldVerdict validate();
    /// Before the header's write: checks the lines again if they changed
    /// since, and asks about each line marked for deletion (a line the
    /// person keeps goes back to as read). False: nothing is to be written.
    bool prepareWrite();
    /// Inside the header's database transaction: locks, checks and writes
    /// every new, changed and deleted line. False (already told) when one
    /// could not be written; the caller rolls back.
    bool writeWithin();
    /// Inside the header's database transaction: deletes every line of the
    /// header on the form.
    bool removeAllWithin();
    /// After the header's transaction committed: the audit entries of the
    /// lines written, then the grid shows what the table holds (or nothing,
    /// when the form clears for a new header).
    void committed(Mode headerMode);
    /// After the header's transaction was rolled back: the lines stay as the
    /// person left them.
    void rolledBack();
    /// The highest line number among the lines that stay.
    qlonglong lastNumber() const;

    /// The lines of line `row` (a third level), read when first asked for;
    /// nullptr when the declaration has none.
    LineTable* sublines(int row);
    /// Whether any line (or line of a line) is new, changed or marked.
    bool pending() const;

    /// Reads the lines again from the table, dropping what was typed: after
    /// another object changed them (a line copied or renumbered).
    void reread();

private:
    struct Line {
        Mode mode = Mode::Insert;
        QVector<QVariant> values;
        QVector<QVariant> asRead;
        QVector<bool> invalid;
        std::shared_ptr<LineTable> sublines;  ///< read when first asked for
    };

    /// A third level's lines, under a line of `parent`.
    LineTable(const LineTableDecl& declaration, Transaction& form, const QVariant& readKey);

    QVariant headerKey() const;
    /// The header's key and its further key fields' values, in index order.
    QVariantList headerKeys() const;
    /// The key fields and values every line of this level is stored under:
    /// the header key, and for a third level its line's key.
    QVariantList prefix(bool asStored) const;
    bool belongs(const TableCursor& cursor, bool asStored) const;
    QVariant normalized(int column, const QVariant& value) const;
    bool sameValue(int column, const QVariant& left, const QVariant& right) const;
    Line emptyLine() const;
    bool readLines(QList<Line>& into) const;
    bool writeLine(TableCursor& cursor, const Line& line);
    bool refuseAsModified();
    /// Inside the write: removes the stored lines of `line` (third level).
    bool removeLinesOf(const Line& line);
    QString auditText(const Line& line) const;
    QString shownText(int column, const QVariant& stored) const;
    QString lineText(const Line& line, int column) const;
    int columnOf(const QString& field) const;
    int keyColumnCount() const;

    const LineTableDecl& declaration_;
    Transaction& form_;
    QList<Line> lines_;
    QVariant loadedKey_;
    bool loaded_ = false;
    int currentRow_ = 0;
    int revision_ = 0;
    int validatedRevision_ = -1;
    QList<Line> written_;  ///< written in the open transaction, for the audit
    bool third_ = false;   ///< the lines of a line
    QVariant readKey_;     ///< a third level: its line's key as stored
    QVariant lineKey_;     ///< a third level: its line's key as it will be stored
};

/// A field named in an audit sentence that the plain wording cannot build.
struct AuditField {
    QString field;
    QString label;        ///< ", descripción = "
    QString insertLabel;  ///< the insert sentence's own label; empty: `label`
    /// How the value reads; empty: as the form shows it.
    std::function<QString(const Transaction& form, const QVariant& value)> show;
};

/// The audit sentence of the form's last write: the wording's verb and the
/// key, then each field given on insert or changed on modification.
QString auditSentence(const Transaction& form, const AuditWording& wording, const QList<AuditField>& fields);
