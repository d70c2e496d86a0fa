#include "engine/work_panel.h"

#include "data/database.h"
#include "data/error_translator.h"
#include "data/parameters.h"
#include "data/work_database.h"
#include "startup/vbglob.h"
#include "support/picture.h"
#include "support/ui_port.h"

#include <QRandomGenerator>

#include <cassert>
#include <cmath>

namespace {

const QString lineField = QString::fromLatin1(workLineField);
const QString keyIndex = QString::fromLatin1(workKeyIndex);
/// The work table's column holding a row's key, for panels that make it.
const QString rowKeyField = QStringLiteral("KQRowKey");

/// "_kq" and five digits, as the work database names its tables.
QString randomTableName()
{
    const int number = 100000 + int(std::lround(QRandomGenerator::global()->bounded(10001)));
    return QStringLiteral("_kq") + QString::number(number).right(5);
}

/// A busy flag that is cleared however the command ends.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }

private:
    bool& busy_;
};

}  // namespace

WorkPanel::WorkPanel(const WorkPanelDecl& declaration, Database& database, UiPort& ui, WorkDatabase& work)
    : declaration_(declaration), database_(database), ui_(ui), work_(work)
{
    assert(!declaration_.columns.isEmpty() && "a work panel shows at least its key");
}

WorkPanel::~WorkPanel()
{
    close();
}

WorkPanelDecl selectionPrompt(const QString& name, const QString& title, const QString& table,
                              const QString& index, QList<ColumnDecl> columns)
{
    WorkPanelDecl prompt;
    prompt.name = name;
    prompt.title = title;
    prompt.table = table;
    prompt.index = index;
    prompt.columns = std::move(columns);
    prompt.selection = true;
    return prompt;
}

QString pickerKey(const QString& parent, const QString& value)
{
    if (parent.trimmed().isEmpty())
        return value;
    return parent.trimmed() + u'\t' + value;
}

DbError WorkPanel::open(const QString& keyPassed)
{
    // The caller reports a failure once the wait is over.
    const WaitScope wait(ui_);
    close();
    result_ = keyPassed;
    parent_.clear();
    if (!declaration_.parentField.isEmpty() && keyPassed.contains(u'\t')) {
        parent_ = keyPassed.section(u'\t', 0, -2).trimmed();
        result_ = keyPassed.section(u'\t', -1);
    }
    title_ = declaration_.titleFunction ? declaration_.titleFunction(database_, declaration_.title)
                                        : declaration_.title;
    if (declaration_.titleOf)
        title_ = declaration_.titleOf(*this);
    switches_ = readSyncSwitches(database_, declaration_.syncGroup);

    QList<FieldDef> columns;
    const bool listed = declaration_.rowSource || declaration_.panelRows;
    const TableDef* table = listed ? nullptr : database_.tableDef(declaration_.table);
    assert((listed || table) && "a work panel lists a table of the schema or a row source");
    for (const ColumnDecl& column : declaration_.columns) {
        if (!table || column.computed) {
            columns << FieldDef{column.field, FieldType::Text, 0};
            continue;
        }
        const FieldDef* field = table->field(column.field);
        assert(field && "a work panel column is a field of its table");
        columns << *field;
    }
    if (declaration_.rowKey)
        columns << FieldDef{rowKeyField, FieldType::Text, 0};
    if (DbError error = work_.create())
        return error;
    if (DbError error = createWorkTable(workTable_, columns))
        return error;
    rows_ = std::make_unique<TableCursor>(work_.database());
    DbError error = rows_->open(workTable_);
    if (!error)
        error = rows_->setIndex(keyIndex);
    if (!error)
        error = listed ? openRowSource(columns) : openTable();
    if (error) {
        close();
        return error;
    }

    const QString permissions = VBGlob::get(QStringLiteral("Permisos"));
    const int at = declaration_.permissionPosition;
    changesAllowed_ = permissions.size() >= at && permissions.at(at - 1) == u'M';
    currentRow_ = 0;
    return fullLoad();
}

DbError WorkPanel::createWorkTable(QString& name, const QList<FieldDef>& columns)
{
    // Another panel may hold a table of the drawn name: draw again.
    DbError created;
    for (int attempt = 0; attempt < 10; ++attempt) {
        name = randomTableName();
        if (work_.database().tableDef(name) != nullptr)
            continue;
        created = work_.createBufferTable(name, columns);
        if (!created)
            return created;
    }
    name.clear();
    if (!created)
        created = DbError::make(DbErrorNumber::Unexpected, QStringLiteral("No se pudo crear una tabla de trabajo"));
    return created;
}

DbError WorkPanel::openTable()
{
    if (declaration_.sourceQuery) {
        // Opened by each full load, with the filter values of that moment.
        source_ = std::make_unique<QueryCursor>(database_);
        return {};
    }
    auto table = std::make_unique<TableCursor>(database_);
    DbError error = table->open(declaration_.table, Access::ReadOnly);
    if (!error && !declaration_.index.isEmpty())
        error = table->setIndex(declaration_.index);
    source_ = std::move(table);
    return error;
}

DbError WorkPanel::openRowSource(const QList<FieldDef>& columns)
{
    QString problem;
    const QList<QStringList> rows =
        declaration_.panelRows ? declaration_.panelRows(*this, problem) : declaration_.rowSource(problem);
    if (!problem.isEmpty())
        return DbError::make(DbErrorNumber::PathNotFound, problem);
    if (DbError error = createWorkTable(listTable_, columns))
        return error;

    // The list is copied once, in its own order, into a work table that the
    // loading reads like a table of the database.
    Database& work = work_.database();
    TableCursor list(work);
    if (DbError error = list.open(listTable_))
        return error;
    work.beginTransaction();
    int line = 0;
    for (const QStringList& row : rows) {
        list.addNew();
        list.setValue(lineField, ++line);
        for (int column = 0; column < columns.size(); ++column)
            list.setValue(columns.at(column).name, row.value(column).trimmed());
        if (DbError error = list.update()) {
            work.rollback();
            return error;
        }
    }
    if (DbError error = work.commit())
        return error;
    auto copied = std::make_unique<TableCursor>(work);
    DbError error = copied->open(listTable_, Access::ReadOnly);
    if (!error)
        error = copied->setIndex(keyIndex);
    source_ = std::move(copied);
    return error;
}

const TableDef* WorkPanel::sourceTable() const
{
    if (declaration_.rowSource || declaration_.panelRows)
        return work_.database().tableDef(listTable_);
    return database_.tableDef(declaration_.table);
}

void WorkPanel::close()
{
    if (!rows_ && !source_ && workTable_.isEmpty() && listTable_.isEmpty())
        return;
    source_.reset();
    rows_.reset();
    for (QString* table : {&workTable_, &listTable_}) {
        if (!table->isEmpty())
            work_.dropTable(*table);
        table->clear();
    }
    database_.idleFreeLocks();
}

// ---------------------------------------------------------------------------
// Loading

bool WorkPanel::passes(const RecordCursor& row) const
{
    if (!parent_.isEmpty()
        && row.text(declaration_.parentField).trimmed().compare(parent_, Qt::CaseInsensitive) != 0)
        return false;
    if (!declaration_.filterField.isEmpty() && !descriptionFilter_.passes(row.text(declaration_.filterField)))
        return false;
    for (const FilterDecl& filter : declaration_.filters) {
        if (!passesFilter(filter, row))
            return false;
    }
    return !declaration_.rowFilter || declaration_.rowFilter(*this, row);
}

bool WorkPanel::passesFilter(const FilterDecl& filter, const RecordCursor& row) const
{
    if (filter.field.isEmpty())
        return true;
    const QString typed = filterValue(filter.name).trimmed();
    switch (filter.kind) {
    case FilterKind::StartNumber:
        return typed.isEmpty() || row.number(filter.field) >= typed.toDouble();
    case FilterKind::Text:
        return typed.isEmpty() || AccentFilter(typed).passes(row.text(filter.field));
    case FilterKind::Choice:
        return typed.isEmpty() || row.text(filter.field).trimmed().compare(typed, Qt::CaseInsensitive) == 0;
    case FilterKind::Check:
        if (typed.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0)
            return true;
        return row.text(filter.field).trimmed() == filter.keeps.toString();
    }
    return true;
}

const CommandDecl* WorkPanel::command(const QString& action) const
{
    for (const CommandDecl& command : declaration_.commands) {
        if (command.action.compare(action, Qt::CaseInsensitive) == 0)
            return &command;
    }
    return nullptr;
}

bool WorkPanel::commandEnabled(const QString& action) const
{
    const CommandDecl* found = command(action);
    return found && isOpen() && (!found->changesData || (changesAllowed_ && !disabledBySwitch()));
}

bool WorkPanel::press(const QString& action, int row)
{
    const CommandDecl* found = command(action);
    if (busy_ || !found || !commandEnabled(action))
        return false;
    BusyScope busy(busy_);
    if (found->changesData && refusedWhileCopied())
        return false;
    if (found->needsRecord && (row < 0 || row >= rowCount()))
        return false;
    if (!found->opens.isEmpty()) {
        QString key = row >= 0 && row < rowCount() ? keyAt(row) : QStringLiteral("0");
        QString mode = found->openMode;
        ui_.callObject(found->opens, key, mode);
    }
    if (declaration_.command) {
        // A member's command is a procedure of the panel: renumbering,
        // copying. Its questions and the forms it calls show the pointer.
        const WaitScope wait(ui_);
        declaration_.command(*this, *found, row);
    }
    if (found->changesData)
        reloadKeepingRow();
    return true;
}

DbError WorkPanel::appendRow(int line, const RecordCursor& row)
{
    rows_->addNew();
    rows_->setValue(lineField, line);
    for (const ColumnDecl& column : declaration_.columns)
        rows_->setValue(column.field, column.computed ? QVariant(column.computed(row)) : row.value(column.field));
    if (declaration_.rowKey)
        rows_->setValue(rowKeyField, declaration_.rowKey(row));
    return rows_->update();
}

// Loading shows the wait cursor; it is over before any caller reports a
// failure of the load.
DbError WorkPanel::fullLoad()
{
    const WaitScope wait(ui_);
    loaded_ = 0;
    exhausted_ = false;
    if (DbError error = work_.database().execute(QStringLiteral("DELETE * FROM [") + workTable_ + u']'))
        return error;
    DbError error;
    if (declaration_.sourceQuery) {
        const SourceQuery query = declaration_.sourceQuery(*this);
        error = static_cast<QueryCursor&>(*source_).open(query.select, query.values);
    } else {
        error = source_->moveFirst();
    }
    if (error) {
        exhausted_ = true;
        return error;
    }
    database_.idleFreeLocks();
    return loadPage();
}

DbError WorkPanel::loadPage()
{
    const WaitScope wait(ui_);
    // The source cursor stays on the first row not yet looked at, so the
    // next page goes on from there.
    Database& work = work_.database();
    work.beginTransaction();
    int appended = 0;
    while (appended < pageSize && source_->hasCurrent()) {
        if (passes(*source_)) {
            if (DbError error = appendRow(loaded_ + 1, *source_)) {
                work.rollback();
                return error;
            }
            ++loaded_;
            ++appended;
        }
        source_->moveNext();
    }
    database_.idleFreeLocks();
    exhausted_ = !source_->hasCurrent();
    return work.commit();
}

int WorkPanel::fetchMore()
{
    if (!canFetchMore())
        return 0;
    const int before = loaded_;
    if (DbError error = loadPage())
        translateDatabaseError(ui_, error);
    return loaded_ - before;
}

void WorkPanel::setDescriptionFilter(const QString& typed)
{
    if (typed == descriptionFilter_.typed())
        return;
    descriptionFilter_ = AccentFilter(typed);
    if (!isOpen())
        return;
    if (DbError error = fullLoad())
        translateDatabaseError(ui_, error);
}

void WorkPanel::setFilterValue(const QString& name, const QString& value)
{
    if (filterValues_.value(name) == value)
        return;
    filterValues_[name] = value;
    if (!isOpen())
        return;
    if (DbError error = fullLoad())
        translateDatabaseError(ui_, error);
}

// ---------------------------------------------------------------------------
// Reading the grid's rows

bool WorkPanel::seekLine(int row) const
{
    if (!rows_ || row < 0 || row >= loaded_)
        return false;
    rows_->seek(Comparison::Equal, {row + 1});
    return rows_->hasCurrent();
}

QVariant WorkPanel::cellValue(int row, int column) const
{
    if (column < 0 || column >= declaration_.columns.size() || !seekLine(row))
        return {};
    return rows_->value(declaration_.columns.at(column).field);
}

QString WorkPanel::shown(int column, const QVariant& value) const
{
    const ColumnDecl& decl = declaration_.columns.at(column);
    for (const CodeChoice& choice : decl.choices) {
        if (choice.value.toString() == value.toString())
            return choice.text;
    }
    const TableDef* table = sourceTable();
    const FieldDef* field = table ? table->field(decl.field) : nullptr;
    if (field && isNumericType(field->type)) {
        if (decl.picture.isEmpty())
            return QString::number(value.toDouble(), 'g', 15);
        return Picture(decl.picture).format(value.toDouble());
    }
    if (field && field->type == FieldType::Date)
        return Picture(decl.picture.isEmpty() ? QStringLiteral("dd/mm/yy") : decl.picture)
            .format(value.toDateTime().date());
    if (decl.picture.isEmpty())
        return value.toString().trimmed();
    return Picture(decl.picture).format(value.toString().trimmed());
}

QString WorkPanel::cellText(int row, int column) const
{
    if (column < 0 || column >= declaration_.columns.size() || !seekLine(row))
        return {};
    return shown(column, rows_->value(declaration_.columns.at(column).field));
}

QString WorkPanel::keyText(const QVariant& value) const
{
    const TableDef* table = sourceTable();
    const FieldDef* field = table ? table->field(declaration_.columns.first().field) : nullptr;
    if (field && isNumericType(field->type))
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString().trimmed();
}

QString WorkPanel::keyAt(int row) const
{
    if (!seekLine(row))
        return {};
    if (declaration_.rowKey)
        return rows_->text(rowKeyField);
    return keyText(rows_->value(declaration_.columns.first().field));
}

// ---------------------------------------------------------------------------
// Commands

void WorkPanel::reloadKeepingRow()
{
    const int row = currentRow_;
    DbError error = fullLoad();
    while (!error && row >= loaded_ && canFetchMore())
        error = loadPage();
    if (error)
        translateDatabaseError(ui_, error);
    currentRow_ = loaded_ == 0 ? 0 : std::min(row, loaded_ - 1);
}

bool WorkPanel::disabledBySwitch() const
{
    return declaration_.disabledWhileGroupCopied && switches_.group.trimmed() == QLatin1String("S");
}

bool WorkPanel::refusedWhileCopied()
{
    if (!switches_.copiedAutomatically())
        return false;
    ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
    return true;
}

void WorkPanel::add()
{
    if (busy_ || !isOpen() || !addEnabled() || declaration_.transaction.isEmpty())
        return;
    BusyScope busy(busy_);
    if (refusedWhileCopied())
        return;
    // "No key": 0 for a table keyed by number, nothing for one keyed by
    // text, where "0" is a key like any other.
    const FieldDef* key = sourceTable()->field(declaration_.columns.first().field);
    QString passed = key && isNumericType(key->type) ? QStringLiteral("0") : QString();
    // A list under a parent adds under it: the parent is the key's first part.
    if (!parent_.isEmpty())
        passed = parent_;
    QString mode = modeCode(Mode::Insert);
    ui_.callObject(declaration_.transaction, passed, mode);
    reloadKeepingRow();
}

void WorkPanel::modify(const QList<int>& rows)
{
    if (busy_ || !isOpen() || !modifyEnabled() || declaration_.transaction.isEmpty())
        return;
    BusyScope busy(busy_);
    for (int row : rows) {
        if (!seekLine(row))
            continue;
        QVariantList before;
        for (const ColumnDecl& column : declaration_.columns)
            before << rows_->value(column.field);
        QString key = declaration_.rowKey ? keyAt(row) : keyText(before.first());
        QString mode = modeCode(Mode::Update);
        ui_.callObject(declaration_.transaction, key, mode);

        // The row keeps the columns it had; only the key comes back.
        if (declaration_.rowKey || !seekLine(row) || rows_->edit())
            continue;
        rows_->setValue(declaration_.columns.first().field, key.trimmed());
        for (int column = 1; column < declaration_.columns.size(); ++column)
            rows_->setValue(declaration_.columns.at(column).field, before.at(column));
        if (rows_->update())
            rows_->cancelUpdate();
    }
}

QList<double> WorkPanel::protectedKeys() const
{
    QList<double> keys;
    for (const QString& name : declaration_.protection.names) {
        QString text;
        double number = 0;
        QDateTime date;
        if (PPARAMLE(database_, declaration_.protection.group, name, declaration_.protection.index, text, number,
                     date))
            keys << number;
    }
    return keys;
}

bool WorkPanel::isProtected(const QString& key, const QList<double>& defaults) const
{
    bool numeric = false;
    const double number = key.toDouble(&numeric);
    return numeric && defaults.contains(number);
}

void WorkPanel::remove(const QList<int>& rows)
{
    if (busy_ || !isOpen() || !deleteEnabled() || (declaration_.transaction.isEmpty() && !declaration_.removeRow))
        return;
    BusyScope busy(busy_);
    if (refusedWhileCopied())
        return;
    // The defaults are read once, when the command starts.
    const QList<double> defaults = protectedKeys();
    const QList<int> chosen = rows.isEmpty() ? QList<int>{currentRow_} : rows;
    for (int row : chosen) {
        const QString key = keyAt(row);
        if (key.isEmpty())
            continue;
        if (isProtected(key, defaults)) {
            ui_.message(declaration_.protection.message, MessageIcon::Information);
            break;
        }
        if (declaration_.removeRow) {
            declaration_.removeRow(*this, row);
            continue;
        }
        QString calledKey = key;
        QString mode = modeCode(Mode::Delete);
        ui_.callObject(declaration_.transaction, calledKey, mode);
    }
    reloadKeepingRow();
}

void WorkPanel::print()
{
    if (busy_ || !isOpen() || declaration_.listing.isEmpty())
        return;
    BusyScope busy(busy_);
    QString key;
    QString mode;
    ui_.callObject(declaration_.listing, key, mode);
}

void WorkPanel::refresh()
{
    if (busy_ || !isOpen())
        return;
    BusyScope busy(busy_);
    reloadKeepingRow();
}

void WorkPanel::confirmSelection(int row)
{
    if (!isOpen())
        return;
    const QString key = keyAt(row);
    if (!key.isEmpty())
        result_ = key;
    close();
}
