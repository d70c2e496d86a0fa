#include "engine/lines.h"

#include "data/cursor.h"
#include "data/database.h"
#include "data/error_translator.h"
#include "support/picture.h"
#include "support/ui_port.h"

#include <cassert>
#include <cmath>
#include "engine/audit.h"

#include <algorithm>

namespace {

const QString deleteLineQuestion = QStringLiteral("¿Realmente desea eliminar estos datos? ");

FieldType typeOf(const Database& database, const QString& table, const QString& field)
{
    const TableDef* definition = database.tableDef(table);
    assert(definition && "a line table is in the schema");
    const FieldDef* stored = definition ? definition->field(field) : nullptr;
    assert(stored && "a line column is a field of its table");
    return stored ? stored->type : FieldType::Text;
}

bool isWhole(FieldType type)
{
    return type == FieldType::Integer || type == FieldType::Long || type == FieldType::YesNo;
}

QString datePictureOf(const LineColumn& column)
{
    return column.picture.isEmpty() ? QStringLiteral("dd/mm/yy") : column.picture;
}

}  // namespace

LineTable::LineTable(const LineTableDecl& declaration, Transaction& form) : declaration_(declaration), form_(form)
{
    assert(!declaration_.columns.isEmpty() && "a line has at least its own key");
}

LineTable::LineTable(const LineTableDecl& declaration, Transaction& form, const QVariant& readKey)
    : declaration_(declaration), form_(form), third_(true), readKey_(readKey), lineKey_(readKey)
{
    assert(!declaration_.parentLineField.isEmpty() && "a third level names the field of its line's key");
}

QVariantList LineTable::prefix(bool asStored) const
{
    QVariantList key = headerKeys();
    if (third_)
        key << (asStored ? readKey_ : lineKey_);
    return key;
}

bool LineTable::belongs(const TableCursor& cursor, bool asStored) const
{
    if (!cursor.hasCurrent() || cursor.value(declaration_.headerKey) != headerKey())
        return false;
    for (const QString& field : declaration_.moreHeaderKeys) {
        if (cursor.value(field) != form_.value(field))
            return false;
    }
    return !third_ || cursor.value(declaration_.parentLineField) == (asStored ? readKey_ : lineKey_);
}

LineTable* LineTable::sublines(int row)
{
    if (!declaration_.sublines || row < 0 || row >= rowCount())
        return nullptr;
    Line& line = lines_[row];
    if (!line.sublines) {
        // A new line has nothing stored under it yet.
        const QVariant readKey = line.mode == Mode::Insert ? QVariant() : line.asRead.at(0);
        line.sublines.reset(new LineTable(*declaration_.sublines, form_, readKey));
        line.sublines->lineKey_ = line.values.at(0);
        if (line.mode != Mode::Insert)
            line.sublines->follow();
        else
            line.sublines->loaded_ = true;
    }
    return line.sublines.get();
}

bool LineTable::pending() const
{
    for (const Line& line : lines_) {
        if (line.mode != Mode::Display || (line.sublines && line.sublines->pending()))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Values

QVariant LineTable::headerKey() const
{
    return form_.value(declaration_.headerFormField.isEmpty() ? declaration_.headerKey : declaration_.headerFormField);
}

QVariantList LineTable::headerKeys() const
{
    QVariantList keys{headerKey()};
    for (const QString& field : declaration_.moreHeaderKeys)
        keys << form_.value(field);
    return keys;
}

QVariant LineTable::normalized(int column, const QVariant& value) const
{
    if (!columnEditable(column))
        return QString();  // a shown-only column holds no value
    const FieldType type = typeOf(form_.database(), declaration_.table, declaration_.columns.at(column).field);
    if (type == FieldType::Date) {
        const QDate date = value.metaType().id() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        return date.isValid() ? date : emptyDate().date();
    }
    if (isWhole(type))
        return qlonglong(std::llround(value.toDouble()));
    if (isNumericType(type))
        return value.toDouble();
    return value.toString().trimmed();
}

bool LineTable::sameValue(int column, const QVariant& left, const QVariant& right) const
{
    return normalized(column, left) == normalized(column, right);
}

LineTable::Line LineTable::emptyLine() const
{
    Line line;
    for (int column = 0; column < columnCount(); ++column) {
        if (!columnEditable(column)) {
            line.values.append(QString());
            line.invalid.append(false);
            continue;
        }
        const FieldType type = typeOf(form_.database(), declaration_.table, declaration_.columns.at(column).field);
        line.values.append(normalized(column, emptyValue(type)));
        line.invalid.append(false);
    }
    line.asRead = line.values;
    return line;
}

QString LineTable::text(int row, int column) const
{
    if (const auto& shown = declaration_.columns.at(column).shown)
        return shown(*this, row);
    return shownText(column, value(row, column));
}

QString LineTable::lineText(const Line& line, int column) const
{
    return shownText(column, line.values.at(column)).trimmed();
}

int LineTable::columnOf(const QString& field) const
{
    for (int column = 0; column < columnCount(); ++column) {
        if (declaration_.columns.at(column).field.compare(field, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

QString LineTable::shownText(int column, const QVariant& stored) const
{
    const LineColumn& decl = declaration_.columns.at(column);
    if (stored.metaType().id() == QMetaType::QDate) {
        if (stored.toDate() == emptyDate().date())
            return {};
        return Picture(datePictureOf(decl)).format(stored.toDate());
    }
    if (stored.metaType().id() == QMetaType::QString)
        return decl.picture.isEmpty() ? stored.toString() : Picture(decl.picture).format(stored.toString());
    if (decl.picture.isEmpty())
        return QString::number(stored.toDouble(), 'g', 15);
    return Picture(decl.picture).format(stored.toDouble());
}

bool LineTable::setText(int row, int column, const QString& typed, QString* error)
{
    auto refuse = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!editable() || lines_.at(row).mode == Mode::Delete || !columnEditable(column))
        return refuse(QStringLiteral("El campo no se puede modificar"));

    const LineColumn& decl = declaration_.columns.at(column);
    if (decl.shown)
        return refuse(QStringLiteral("El campo no se puede modificar"));
    const FieldType type = typeOf(form_.database(), declaration_.table, decl.field);
    Line& line = lines_[row];
    QVariant value;
    bool invalid = false;
    if (type == FieldType::Date) {
        const PictureValue read = Picture(datePictureOf(decl)).parse(typed);
        invalid = !read.valid;
        value = read.valid && !read.empty ? read.date : emptyDate().date();
    } else if (isNumericType(type)) {
        if (decl.picture.isEmpty()) {
            bool ok = true;
            const double number = typed.trimmed().isEmpty() ? 0 : typed.trimmed().toDouble(&ok);
            if (!ok)
                return refuse(QStringLiteral("Número inválido"));
            value = number;
        } else {
            const PictureValue read = Picture(decl.picture).parse(typed);
            if (!read.valid)
                return refuse(read.error);
            value = read.empty ? 0.0 : read.number;
        }
    } else {
        QString text = typed;
        if (const FieldDef* stored = form_.database().tableDef(declaration_.table)->field(decl.field);
            stored && stored->size > 0)
            text.truncate(stored->size);
        value = text;
    }

    line.values[column] = normalized(column, value);
    line.invalid[column] = invalid;
    if (column == 0 && line.sublines)
        line.sublines->lineKey_ = line.values.at(0);
    if (line.mode == Mode::Display) {
        for (int at = 0; at < columnCount(); ++at) {
            if (!sameValue(at, line.values.at(at), line.asRead.at(at)))
                line.mode = Mode::Update;
        }
    }
    ++revision_;
    if (invalid)
        return refuse(QStringLiteral("Fecha inválida"));
    return true;
}

bool LineTable::editable() const
{
    return !form_.isClosed() && form_.confirmEnabled() && form_.mode() != Mode::Display
           && form_.mode() != Mode::Delete;
}

int LineTable::addLine()
{
    if (!editable())
        return -1;
    lines_.append(emptyLine());
    ++revision_;
    currentRow_ = rowCount() - 1;
    if (declaration_.newLine)
        declaration_.newLine(*this, currentRow_);
    return currentRow_;
}

void LineTable::markForDeletion(int row)
{
    if (!editable())
        return;
    ++revision_;
    if (lines_.at(row).mode == Mode::Insert) {
        lines_.removeAt(row);
        currentRow_ = std::min(currentRow_, std::max(0, rowCount() - 1));
        return;
    }
    lines_[row].mode = Mode::Delete;
}

bool LineTable::repeatsKey(int row) const
{
    for (int other = 0; other < rowCount(); ++other) {
        if (other == row || lines_.at(other).mode == Mode::Delete)
            continue;
        bool same = true;
        for (int column = 0; same && column < keyColumnCount(); ++column)
            same = sameValue(column, value(other, column), value(row, column));
        if (same)
            return true;
    }
    return false;
}

int LineTable::keyColumnCount() const
{
    return std::clamp(declaration_.keyColumns, 1, columnCount());
}

// ---------------------------------------------------------------------------
// Reading

void LineTable::follow()
{
    const QVariant key = declaration_.moreHeaderKeys.isEmpty() ? headerKey() : QVariant(headerKeys());
    if (third_ && loaded_)
        return;  // a line's lines are read once, when first asked for
    if (loaded_ && key == loadedKey_)
        return;
    QList<Line> fresh;
    if (!readLines(fresh))
        return;
    // Lines typed before the header key was settled belong to the new key.
    for (const Line& line : std::as_const(lines_)) {
        if (line.mode == Mode::Insert)
            fresh.append(line);
    }
    lines_ = fresh;
    loadedKey_ = key;
    loaded_ = true;
    currentRow_ = 0;
    ++revision_;
}

void LineTable::reread()
{
    lines_.clear();
    loaded_ = false;
    follow();
}

bool LineTable::readLines(QList<Line>& into) const
{
    TableCursor cursor(form_.database());
    DbError error = cursor.open(declaration_.table, Access::ReadOnly);
    if (!error)
        error = cursor.setIndex(declaration_.index);
    if (!error)
        error = cursor.seek(Comparison::GreaterOrEqual, prefix(true));
    if (error) {
        form_.database().idleFreeLocks();
        translateDatabaseError(form_.ui(), error);
        return false;
    }
    for (; belongs(cursor, true); cursor.moveNext()) {
        Line line = emptyLine();
        line.mode = Mode::Display;
        for (int column = 0; column < columnCount(); ++column) {
            if (columnEditable(column))
                line.values[column] = normalized(column, cursor.value(declaration_.columns.at(column).field));
        }
        line.asRead = line.values;
        into.append(line);
    }
    form_.database().idleFreeLocks();
    return true;
}

// ---------------------------------------------------------------------------
// Checking and writing

FieldVerdict LineTable::validate()
{
    follow();
    validatedRevision_ = revision_;
    if (!declaration_.check && !declaration_.review)
        return FieldVerdict::ok();
    for (int row = 0; row < rowCount(); ++row) {
        if (mode(row) != Mode::Insert && mode(row) != Mode::Update)
            continue;
        const FieldVerdict verdict =
            declaration_.review ? declaration_.review(*this, row) : declaration_.check(*this, row);
        switch (verdict.kind) {
        case FieldVerdict::Kind::Ok:
            break;
        case FieldVerdict::Kind::Notice:
            form_.ui().message(verdict.message, MessageIcon::Information);
            break;
        case FieldVerdict::Kind::Refused:
            currentRow_ = row;
            validatedRevision_ = -1;
            return verdict;
        }
    }
    for (int row = 0; row < rowCount(); ++row) {
        LineTable* under = lines_.at(row).sublines.get();
        if (!under || lines_.at(row).mode == Mode::Delete)
            continue;
        const FieldVerdict verdict = under->validate();
        if (verdict.kind == FieldVerdict::Kind::Refused) {
            currentRow_ = row;
            validatedRevision_ = -1;
            return verdict;
        }
    }
    // What a review filled in (a number, a code chosen from a list) was
    // checked with the rest.
    validatedRevision_ = revision_;
    return FieldVerdict::ok();
}

bool LineTable::refuseAsModified()
{
    form_.ui().message(declaration_.table + QStringLiteral(" fue modificada."), MessageIcon::Information);
    return false;
}

bool LineTable::writeLine(TableCursor& cursor, const Line& line)
{
    UiPort& ui = form_.ui();
    auto failed = [&](const DbError& error) {
        cursor.cancelUpdate();
        if (isLockConflict(error.number)) {
            ui.message(QStringLiteral("Registro reservado por otro"), MessageIcon::Exclamation);
            return false;
        }
        if (error.number == DbErrorNumber::ChangedByAnotherUser)
            return refuseAsModified();
        translateDatabaseError(ui, error);
        return false;
    };
    auto store = [&]() -> DbError {
        if (DbError error = cursor.setValue(declaration_.headerKey, headerKey()))
            return error;
        for (const QString& field : declaration_.moreHeaderKeys) {
            if (DbError error = cursor.setValue(field, form_.value(field)))
                return error;
        }
        if (third_) {
            if (DbError error = cursor.setValue(declaration_.parentLineField, lineKey_))
                return error;
        }
        if (line.sublines && declaration_.sublines && !declaration_.sublines->lastNumberField.isEmpty()) {
            const qlonglong last = line.sublines->lastNumber();
            if (DbError error = cursor.setValue(declaration_.sublines->lastNumberField, last))
                return error;
        }
        for (int column = 0; column < columnCount(); ++column) {
            if (!columnEditable(column))
                continue;
            if (DbError error = cursor.setValue(declaration_.columns.at(column).field, line.values.at(column)))
                return error;
        }
        return {};
    };

    if (line.mode == Mode::Insert) {
        cursor.addNew();
        DbError error = store();
        if (!error)
            error = cursor.update();
        return error ? failed(error) : true;
    }

    // A changed or deleted line is locked and compared with what was read.
    QVariantList storedKey = prefix(true);
    for (int column = 0; column < keyColumnCount(); ++column)
        storedKey << line.asRead.at(column);
    cursor.seek(Comparison::Equal, storedKey);
    if (cursor.noMatch() || !cursor.hasCurrent())
        return refuseAsModified();
    if (DbError error = cursor.edit())
        return failed(error);
    for (int column = 0; column < columnCount(); ++column) {
        if (columnEditable(column)
            && !sameValue(column, cursor.value(declaration_.columns.at(column).field), line.asRead.at(column))) {
            cursor.cancelUpdate();
            return refuseAsModified();
        }
    }
    if (line.mode == Mode::Delete) {
        const DbError error = cursor.remove();
        cursor.cancelUpdate();
        return error ? failed(error) : true;
    }
    DbError error = store();
    if (!error)
        error = cursor.update();
    return error ? failed(error) : true;
}

bool LineTable::prepareWrite()
{
    follow();
    if (validatedRevision_ != revision_) {
        // Lines changed after the header was checked: check them again.
        const FieldVerdict verdict = validate();
        if (verdict.kind == FieldVerdict::Kind::Refused) {
            if (!verdict.message.isEmpty())
                form_.ui().message(verdict.message, MessageIcon::Exclamation);
            return false;
        }
    }
    // The questions come first: nothing is locked while the person answers.
    for (Line& line : lines_) {
        if (line.mode == Mode::Delete && !form_.ui().question(deleteLineQuestion, DefaultButton::No)) {
            line.mode = Mode::Display;
            line.values = line.asRead;
        }
        if (line.mode != Mode::Delete && line.sublines && !line.sublines->prepareWrite())
            return false;
    }
    return true;
}

bool LineTable::writeWithin()
{
    written_.clear();
    TableCursor cursor(form_.database());
    DbError error = cursor.open(declaration_.table);
    if (!error)
        error = cursor.setIndex(declaration_.index);
    if (error) {
        translateDatabaseError(form_.ui(), error);
        return false;
    }
    for (Line& line : lines_) {
        const bool linesBelow = line.sublines && line.sublines->pending();
        if (line.mode == Mode::Delete && declaration_.sublines && !removeLinesOf(line)) {
            written_.clear();
            return false;
        }
        // A line whose own lines changed is written again for their last number.
        if (line.mode == Mode::Display && linesBelow && !declaration_.sublines->lastNumberField.isEmpty())
            line.mode = Mode::Update;
        if (line.mode != Mode::Display && !writeLine(cursor, line)) {
            written_.clear();
            return false;
        }
        if (line.mode != Mode::Delete && linesBelow && !line.sublines->writeWithin()) {
            written_.clear();
            return false;
        }
        if (line.mode != Mode::Display)
            written_.append(line);
    }
    return true;
}

bool LineTable::removeLinesOf(const Line& line)
{
    LineTable under(*declaration_.sublines, form_, line.asRead.at(0));
    return under.removeAllWithin();
}

bool LineTable::removeAllWithin()
{
    written_.clear();
    TableCursor cursor(form_.database());
    DbError error = cursor.open(declaration_.table);
    if (!error)
        error = cursor.setIndex(declaration_.index);
    const QVariantList key = prefix(true);
    if (!error)
        error = cursor.seek(Comparison::GreaterOrEqual, key);
    while (!error && belongs(cursor, true)) {
        error = cursor.remove();  // locks the line while it goes
        if (!error)
            error = cursor.seek(Comparison::GreaterOrEqual, key);
    }
    // A header's lines take the lines of their lines with them.
    if (!error && !third_ && declaration_.sublines) {
        TableCursor below(form_.database());
        error = below.open(declaration_.sublines->table);
        if (!error)
            error = below.setIndex(declaration_.sublines->index);
        if (!error)
            error = below.seek(Comparison::GreaterOrEqual, {headerKey()});
        while (!error && below.hasCurrent() && below.value(declaration_.sublines->headerKey) == headerKey()) {
            error = below.remove();
            if (!error)
                error = below.seek(Comparison::GreaterOrEqual, {headerKey()});
        }
    }
    if (!error)
        return true;
    if (isLockConflict(error.number))
        form_.ui().message(QStringLiteral("Registro reservado por otro"), MessageIcon::Exclamation);
    else
        translateDatabaseError(form_.ui(), error);
    return false;
}

void LineTable::committed(Mode headerMode)
{
    for (const Line& line : std::as_const(written_)) {
        const QString text = auditText(line);
        if (!text.isEmpty())
            writeAuditEntry(form_.database(), declaration_.audit.area, text);
    }
    written_.clear();
    if (third_)
        return;  // its line's table reads everything again
    for (const Line& line : std::as_const(lines_)) {
        if (line.sublines)
            line.sublines->committed(headerMode);
    }
    // A new header's form clears for the next one: so do its lines; a
    // deleted header has none left.
    if (headerMode == Mode::Insert || headerMode == Mode::Delete) {
        lines_.clear();
        loaded_ = false;
        currentRow_ = 0;
        ++revision_;
        return;
    }
    // What is now in the table is what the grid shows.
    QList<Line> fresh;
    if (readLines(fresh))
        lines_ = fresh;
    currentRow_ = 0;
    ++revision_;
    validatedRevision_ = revision_;
}

void LineTable::rolledBack()
{
    written_.clear();
    for (const Line& line : std::as_const(lines_)) {
        if (line.sublines)
            line.sublines->rolledBack();
    }
}

bool LineTable::pick(int row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return false;
    const QString& list = declaration_.columns.at(column).listObject;
    if (list.isEmpty() || !editable())
        return false;
    QString key = text(row, column).trimmed();
    QString mode;
    if (!form_.ui().callObject(list, key, mode) || key.trimmed().isEmpty())
        return false;
    return setText(row, column, key.trimmed());
}

void LineTable::reload()
{
    QList<Line> fresh;
    if (!readLines(fresh))
        return;
    lines_ = fresh;
    loadedKey_ = headerKey();
    loaded_ = true;
    currentRow_ = 0;
    ++revision_;
    validatedRevision_ = revision_;
}

qlonglong LineTable::lastNumber() const
{
    qlonglong highest = 0;
    for (const Line& line : lines_) {
        if (line.mode != Mode::Delete)
            highest = std::max(highest, qlonglong(std::llround(line.values.at(0).toDouble())));
    }
    return highest;
}

QString LineTable::auditText(const Line& line) const
{
    if (declaration_.auditText)
        return declaration_.auditText(form_, line.mode, line.values, line.asRead);
    const AuditWording& wording = declaration_.audit;
    const QString verb = line.mode == Mode::Insert ? wording.insert
                         : line.mode == Mode::Update ? wording.modify
                         : line.mode == Mode::Delete ? wording.remove
                                                     : QString();
    if (verb.isEmpty())
        return {};
    const int keyPosition =
        form_.position(declaration_.headerFormField.isEmpty() ? declaration_.headerKey : declaration_.headerFormField);
    QString header = keyPosition > 0 ? form_.text(keyPosition).trimmed() : headerKey().toString();
    for (const QString& field : declaration_.moreHeaderKeys) {
        const int position = form_.position(field);
        header += u' ' + (position > 0 ? form_.text(position).trimmed() : form_.value(field).toString());
    }
    QString sentence = verb + header + u' ';
    if (third_)
        sentence += lineKey_.toString() + u' ';
    sentence += lineText(line, 0);
    if (line.mode == Mode::Delete)
        return sentence;
    for (const AuditPart& part : wording.parts) {
        const int column = columnOf(part.field);
        if (column < 0)
            continue;
        const bool named = line.mode == Mode::Insert ? !lineText(line, column).isEmpty()
                                                     : !sameValue(column, line.values.at(column), line.asRead.at(column));
        if (named)
            sentence += part.label + lineText(line, column);
    }
    return sentence;
}

// ---------------------------------------------------------------------------
// Audit sentences

namespace {

bool blankValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return value.toString().trimmed().isEmpty();
    case QMetaType::QDate:
        return value.toDate() == emptyDate().date();
    case QMetaType::QDateTime:
        return value.toDateTime().date() == emptyDate().date();
    default:
        return value.toDouble() == 0;
    }
}

bool sameAuditValue(const QVariant& left, const QVariant& right)
{
    if (left.metaType().id() == QMetaType::QString || right.metaType().id() == QMetaType::QString)
        return left.toString().trimmed() == right.toString().trimmed();
    return left == right;
}

}  // namespace

QString auditSentence(const Transaction& form, const AuditWording& wording, const QList<AuditField>& fields)
{
    QString verb;
    switch (form.mode()) {
    case Mode::Insert:
        verb = wording.insert;
        break;
    case Mode::Update:
        verb = wording.modify;
        break;
    case Mode::Delete:
        verb = wording.remove;
        break;
    case Mode::Display:
        return {};
    }
    if (verb.isEmpty())
        return {};
    QString sentence = verb + form.text(1).trimmed();
    if (form.mode() == Mode::Delete)
        return sentence;
    for (const AuditField& part : fields) {
        const int position = form.position(part.field);
        assert(position > 0 && "an audit field is a field of the form");
        const QVariant now = form.value(part.field);
        const bool named = form.mode() == Mode::Insert ? !blankValue(now)
                                                       : !sameAuditValue(now, form.recordValue(part.field));
        if (!named)
            continue;
        const QString label =
            form.mode() == Mode::Insert && !part.insertLabel.isEmpty() ? part.insertLabel : part.label;
        sentence += label + (part.show ? part.show(form, now) : form.text(position).trimmed());
    }
    return sentence;
}
