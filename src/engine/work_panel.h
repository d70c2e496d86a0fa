#pragma once

#include "engine/accent_filter.h"
#include "engine/synchronisation.h"
#include "engine/transaction.h"

#include "data/cursor.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class Database;
class UiPort;
class WorkDatabase;
class WorkPanel;

// A work panel is the list window of one table, declared as data
// (WorkPanelDecl) and run by one engine (WorkPanel). Its rows live in a work
// table of the private work database, loaded in pages of 100 rows as a grid
// asks for them (rowCount / canFetchMore / fetchMore, as a Qt model pages). It
// never writes its own table: add, modify and delete call the table's
// transaction through UiPort::callObject with a key and a mode. A selection
// prompt is a work panel that hands back the key of the chosen row instead.
//
// A list that is not a table of the database (the code lists of the locale
// pickers) comes from a row source: its rows are copied into a second work
// table when the panel opens, and the panel pages, filters and shows them
// like any other. A picker of a list under a parent (the localities of one
// department) is called with the parent and the current value joined by a
// tab (pickerKey) and shows the parent's rows only.

/// One column of the grid.
struct ColumnDecl {
    QString field;    ///< the source table's field
    QString heading;  ///< "Descripción"
    QString picture;  ///< "ZZ9"; empty: the value as stored, trimmed
    QList<CodeChoice> choices;  ///< a code shown by its name ("Haber")
    /// Set: a text computed from the source row (a weekday name) instead of
    /// a field of the table; `field` names the column.
    std::function<QString(const RecordCursor& row)> computed = {};
};

/// The panel's own check before a delete: a key that is the default of the
/// employee preferences, the number value of (group, name, index) in PARAMETR.
struct DeleteProtection {
    QString group = QStringLiteral("Default");
    QStringList names;  ///< "Cargo", "PtCargo"
    int index = 0;
    QString message;    ///< shown with the information icon
};

/// How a panel filter is entered and what it keeps.
enum class FilterKind {
    StartNumber,  ///< rows whose field is at least the number typed
    Text,         ///< rows whose field matches the typed text, accents aside
    Choice,       ///< rows whose field equals the text typed or chosen
    Check,        ///< a check box that widens the list: unchecked, only rows
                  ///< whose field holds `keeps`
};

/// A filter above the grid; its value is set with setFilterValue(name, ...)
/// and a change reloads the list.
struct FilterDecl {
    QString name;    ///< "Desde", "Grupo", "Inactivos"
    QString label;   ///< "Desde el concepto"
    FilterKind kind = FilterKind::Text;
    QString field;   ///< the source field it looks at
    QList<CodeChoice> choices = {};  ///< a Choice filter's list; empty: typed
    QVariant keeps = {};             ///< Check: what unchecked keeps
};

/// Whether a source row passes the panel's own filters beyond the declared
/// ones.
using RowFilter = std::function<bool(const WorkPanel& panel, const RecordCursor& row)>;

/// The rows of a list that is not a table: one text per column, in column
/// order. Sets `error` when the list cannot be read.
using RowSource = std::function<QList<QStringList>(QString& error)>;

/// A second, read-only grid of a panel: what belongs to the list's current
/// row, read again whenever the current row changes.
struct DetailGridDecl {
    QString caption;       ///< the frame around it ("Valores")
    QStringList headings;  ///< its columns
    QList<int> numeric;    ///< columns aligned to the right
    /// The rows of the list's row `row`, cell by cell as shown; false with
    /// `error` set when they could not be read.
    std::function<bool(const WorkPanel& panel, int row, QList<QStringList>& rows, QString& error)> rows;
};

/// A select (Jet dialect allowed) and the values bound to its "?" marks.
struct SourceQuery {
    QString select;
    QVariantList values;
};

/// A work panel or selection prompt as data.
struct WorkPanelDecl {
    QString name;         ///< "WCATEGOR"
    QString title;        ///< "Categorias"
    QString table;        ///< "CATEGORI"
    QString index;        ///< "ICATEGOR": the order of the list
    QList<ColumnDecl> columns;  ///< the first column is the key
    QString transaction;  ///< "TCATEGOR"; empty for a selection prompt
    QString listing;      ///< "RCATEGOR": the object Print calls; empty: no Print
    bool selection = false;   ///< a selection prompt: Confirm hands back the key
    QString filterField;  ///< the description the accent filter looks at; empty: none
    RowFilter rowFilter;
    DeleteProtection protection;  ///< no names: no own check
    int permissionPosition = 8;   ///< the character of "Permisos" that must be "M"
    QString helpTopic;            ///< "HLP_WCargos.htm"; empty: the help file's first topic
    /// "Rub": while the group is copied automatically Add and Delete refuse;
    /// empty: no guard.
    QString syncGroup;
    WindowTitle titleFunction;     ///< set: the title shown instead of `title`
    /// Set: the title made when the panel opens, from the panel itself (a
    /// list under a parent names the parent); it wins over titleFunction.
    std::function<QString(const WorkPanel& panel)> titleOf;
    /// Set: the rows come from it and `table`/`index` are not used; the
    /// columns are texts.
    RowSource rowSource;
    /// The column (a field of `columns`) that holds each row's parent; a
    /// picker called with a parent lists that parent's rows only.
    QString parentField;
    QList<FilterDecl> filters;    ///< drawn above the grid, in this order
    QList<CommandDecl> commands;  ///< buttons beyond the standard ones
    /// A command was pressed on `row` (after its guards): what it does
    /// beyond opening its object.
    std::function<void(WorkPanel& panel, const CommandDecl& command, int row)> command;
    /// Set: the key a row is called with, made from its source row when it
    /// is loaded (a composite key joined by tabs); unset: the first column.
    std::function<QString(const RecordCursor& row)> rowKey;
    /// Set: Delete runs this for each chosen row instead of calling the
    /// transaction in "DLT" (the member asks and deletes itself).
    std::function<void(WorkPanel& panel, int row)> removeRow;
    /// While the group's own switch is "S" (whatever the global one says),
    /// the buttons that change data are disabled.
    bool disabledWhileGroupCopied = false;
    /// Set: the rows come from this select over `table`, made again from
    /// the panel (its filter values bound, never pasted) on every full load;
    /// its ORDER BY is the list's order and `index` is not used.
    std::function<SourceQuery(const WorkPanel& panel)> sourceQuery;
    /// Set: a second grid under the list with the rows that belong to the
    /// current one (a basic's dated values).
    DetailGridDecl detail = {};
    /// Set: the rows come from it, as from `rowSource`, made for the panel
    /// as it opens (its database, the parent it was called with).
    std::function<QList<QStringList>(const WorkPanel& panel, QString& error)> panelRows;
};

/// A selection prompt over `table` by `index`: the key column first.
WorkPanelDecl selectionPrompt(const QString& name, const QString& title, const QString& table,
                              const QString& index, QList<ColumnDecl> columns);

/// The key a picker of a list under a parent is called with: the parent
/// and the current value joined by a tab. Without a parent, the value alone.
QString pickerKey(const QString& parent, const QString& value);

class WorkPanel {
public:
    /// Rows read from the table per page.
    static constexpr int pageSize = 100;

    WorkPanel(const WorkPanelDecl& declaration, Database& database, UiPort& ui, WorkDatabase& work);
    ~WorkPanel();
    WorkPanel(const WorkPanel&) = delete;
    WorkPanel& operator=(const WorkPanel&) = delete;

    /// Creates the work table, opens the source, reads the permission and
    /// loads the first page. `keyPassed` is what a selection prompt hands
    /// back when it is closed without a choice; a picker under a parent
    /// takes it as pickerKey(parent, value) and lists the parent's rows.
    DbError open(const QString& keyPassed = {});
    /// Deletes the work table and closes the cursors.
    void close();
    bool isOpen() const { return source_ != nullptr; }

    const WorkPanelDecl& declaration() const { return declaration_; }
    /// The window's title: the declared one, or what the title function
    /// made of it when the panel opened.
    QString title() const { return title_; }
    Database& database() const { return database_; }
    UiPort& ui() const { return ui_; }
    /// The parent a picker was called with; empty: every row.
    QString parent() const { return parent_; }
    /// The automatic-copy switches of the declaration's group, read at open.
    const SyncSwitches& switches() const { return switches_; }

    /// Rows loaded into the work table so far.
    int rowCount() const { return loaded_; }
    /// Whether the table may hold further rows for the grid.
    bool canFetchMore() const { return isOpen() && !exhausted_; }
    /// Appends the next page; returns the rows appended.
    int fetchMore();
    /// The text of `row` (from 0) and `column` (from 0), through the column's
    /// picture or code names.
    QString cellText(int row, int column) const;
    /// The stored value of `row` and `column`.
    QVariant cellValue(int row, int column) const;
    /// The key of `row` as a transaction is called with it.
    QString keyAt(int row) const;

    /// The description filter as typed; a change reloads the list.
    void setDescriptionFilter(const QString& typed);
    const AccentFilter& descriptionFilter() const { return descriptionFilter_; }
    /// A further filter value for the declaration's row filter ("Desde",
    /// "Grupo", "Inactivos"); a change reloads the list.
    void setFilterValue(const QString& name, const QString& value);
    QString filterValue(const QString& name) const { return filterValues_.value(name); }

    bool addEnabled() const { return changesAllowed_ && !disabledBySwitch(); }
    bool deleteEnabled() const { return changesAllowed_ && !disabledBySwitch(); }
    bool modifyEnabled() const { return !disabledBySwitch(); }
    /// The row the grid stands on (from 0).
    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row) { currentRow_ = row; }

    /// Add: the transaction in "INS" with key 0, then a full load.
    void add();
    /// Modify: the transaction in "UPD" for each row, in grid order; each
    /// row is rewritten with the key handed back.
    void modify(const QList<int>& rows);
    /// Delete: the own check, then the transaction in "DLT", for each row
    /// (the current one when none is given); then a full load.
    void remove(const QList<int>& rows);
    /// Print: the declaration's listing object.
    void print();
    /// Whether command `action` can be pressed now.
    bool commandEnabled(const QString& action) const;
    /// Presses command `action` on `row`: its guards, what it opens with
    /// the row's key, its hook, then a full load when it changes data.
    bool press(const QString& action, int row);
    /// Refresh: a full load.
    void refresh();

    /// Selection prompt Confirm: takes the key of `row` and closes.
    void confirmSelection(int row);
    /// The key a selection prompt hands back: the chosen one, or the key
    /// passed in.
    QString result() const { return result_; }

private:
    bool disabledBySwitch() const;
    /// Creates a work table of a free name with `columns`.
    DbError createWorkTable(QString& name, const QList<FieldDef>& columns);
    DbError openTable();
    DbError openRowSource(const QList<FieldDef>& columns);
    /// The definition of what the panel lists: its table, or the work table
    /// its row source was copied into.
    const TableDef* sourceTable() const;
    /// The automatic-copy guard of Add and Delete: true (and the refusal
    /// shown) while the group is copied automatically.
    bool refusedWhileCopied();
    DbError fullLoad();
    DbError loadPage();
    bool passes(const RecordCursor& row) const;
    bool passesFilter(const FilterDecl& filter, const RecordCursor& row) const;
    const CommandDecl* command(const QString& action) const;
    DbError appendRow(int line, const RecordCursor& row);
    bool seekLine(int row) const;
    bool isProtected(const QString& key, const QList<double>& defaults) const;
    QList<double> protectedKeys() const;
    void reloadKeepingRow();
    QString keyText(const QVariant& value) const;
    QString shown(int column, const QVariant& value) const;

    const WorkPanelDecl& declaration_;
    Database& database_;
    UiPort& ui_;
    WorkDatabase& work_;
    QString workTable_;
    QString listTable_;  ///< the work table a row source was copied into
    QString title_;
    QString parent_;
    SyncSwitches switches_;
    std::unique_ptr<RecordCursor> source_;
    std::unique_ptr<TableCursor> rows_;  ///< over the work table
    int loaded_ = 0;
    bool exhausted_ = true;
    bool busy_ = false;
    int currentRow_ = 0;
    bool changesAllowed_ = false;
    AccentFilter descriptionFilter_;
    QHash<QString, QString> filterValues_;
    QString result_;
};
