#include "engine/transaction.h"

#include "engine/lines.h"

#include "data/database.h"
#include "data/error_translator.h"
#include "data/record_locks.h"
#include "startup/vbglob.h"
#include "support/number_text.h"
#include "support/picture.h"
#include "support/ui_port.h"

#include <QScopeGuard>

#include <cassert>
#include <cmath>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace {

const QString notFoundText = QStringLiteral("No se encontro el registro");
const QString existsText = QStringLiteral("Ya existe el registro");
const QString lockedText = QStringLiteral("Registro reservado por otro");
const QString doneText = QStringLiteral("Done");
const QString confirmFirstText = QStringLiteral("Debe confirmar antes los datos");

bool isNotice(const QString& message)
{
    return message.startsWith(QLatin1String("Aviso:"));
}

QString datePicture(const FieldDecl& field)
{
    return field.picture.isEmpty() ? QStringLiteral("dd/mm/yy") : field.picture;
}

/// The picture of text `picture`, made once per thread: making one costs
/// far more than using it, and forms show and read the same few pictures
/// on every field, every time they open.
const Picture& pictureOf(const QString& picture)
{
    thread_local std::unordered_map<QString, Picture> made;
    auto found = made.find(picture);
    if (found == made.end())
        found = made.emplace(picture, Picture(picture)).first;
    return found->second;
}

/// `text` read through `picture`; only a date picture asks for today (the
/// century of a short year), which costs a clock read.
PictureValue parseThrough(const Picture& picture, const QString& text)
{
    return picture.parse(text, picture.kind() == Picture::Kind::Date ? QDate::currentDate() : QDate());
}

/// The record lock of the record `cursor` stands on, as the cursor's edit
/// computes it: the primary index's fields, or the row itself in a table
/// without one.
quint64 currentLockKey(const TableDef& table, const TableCursor& cursor)
{
    const IndexDef* primary = table.primaryIndex();
    if (primary == nullptr)
        return recordLockKey(table.name, {cursor.bookmark().row});
    QVariantList values;
    for (const QString& name : primary->fields)
        values << cursor.value(name);
    return recordLockKey(table.name, values);
}

/// Where each field of a declaration stands and how its table stores it.
struct FieldLookup {
    const TableDef* table = nullptr;
    QString tableName;
    QStringList names;               ///< the declaration's fields in screen order
    QHash<QString, int> positions;   ///< each name as declared and in lower case
    QVector<const FieldDef*> storedFields;
    /// The column of each stored field in a cursor over the table (its place
    /// among the table's fields); -1 for a screen-only field.
    QVector<int> storedColumns;
    /// The empty value of each field, made by the first form of the lookup:
    /// it depends on the declaration and the table only.
    mutable std::once_flag emptyMade;
    mutable QVector<QVariant> emptyValues;
};

std::shared_ptr<const FieldLookup> makeFieldLookup(const TransactionDecl& declaration, const TableDef* table);

/// The lookup of `declaration` over `table`, made once when the table is
/// one of the schema's, which live as long as the program: a form is opened
/// for every record. A declaration made at the address of an older one,
/// with other fields or table, gets its own.
std::shared_ptr<const FieldLookup> fieldLookup(const TransactionDecl& declaration, const TableDef* table)
{
    if (Schema::table(table->name) != table)
        return makeFieldLookup(declaration, table);  // a work table may go with its connection
    static std::mutex mutex;
    static std::unordered_map<const TransactionDecl*, std::shared_ptr<const FieldLookup>> made;
    const auto matches = [&](const FieldLookup& lookup) {
        if (lookup.table != table || lookup.tableName != table->name
            || lookup.names.size() != declaration.fields.size())
            return false;
        for (qsizetype at = 0; at < lookup.names.size(); ++at) {
            if (lookup.names.at(at) != declaration.fields.at(at).name)
                return false;
        }
        return true;
    };
    std::lock_guard<std::mutex> guard(mutex);
    std::shared_ptr<const FieldLookup>& slot = made[&declaration];
    if (!slot || !matches(*slot))
        slot = makeFieldLookup(declaration, table);
    return slot;
}

std::shared_ptr<const FieldLookup> makeFieldLookup(const TransactionDecl& declaration, const TableDef* table)
{
    auto lookup = std::make_shared<FieldLookup>();
    lookup->table = table;
    lookup->tableName = table->name;
    // The declaration spells most names as the schema does; the others are
    // found without regard to case.
    QHash<QString, const FieldDef*> spelledAsStored;
    spelledAsStored.reserve(table->fields.size());
    for (const FieldDef& stored : table->fields)
        spelledAsStored.insert(stored.name, &stored);
    const qsizetype count = declaration.fields.size();
    lookup->positions.reserve(2 * count);
    lookup->storedFields.reserve(count);
    for (int position = 1; position <= count; ++position) {
        const QString& name = declaration.fields.at(position - 1).name;
        lookup->names << name;
        lookup->positions.insert(name, position);
        lookup->positions.insert(name.toLower(), position);
        const FieldDef* stored = spelledAsStored.value(name);
        if (!stored)
            stored = table->field(name);
        lookup->storedFields.append(stored);
        lookup->storedColumns.append(stored ? int(stored - table->fields.constData()) : -1);
    }
    return lookup;
}

}  // namespace

FieldVerdict FieldVerdict::refuse(const QString& message)
{
    return {isNotice(message) ? Kind::Notice : Kind::Refused, message};
}

FieldDecl keyField(const QString& name, const QString& label, const QString& picture)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.picture = picture;
    field.kind = FieldKind::Key;
    return field;
}

FieldDecl textField(const QString& name, const QString& label, const QString& missingMessage)
{
    FieldDecl field;
    field.name = name;
    field.label = label;
    field.kind = FieldKind::Text;
    field.missingMessage = missingMessage;
    return field;
}

FieldDecl numberField(const QString& name, const QString& label, const QString& picture,
                      const QString& missingMessage)
{
    FieldDecl field = textField(name, label, missingMessage);
    field.kind = FieldKind::Number;
    field.picture = picture;
    return field;
}

Transaction::Transaction(const TransactionDecl& declaration, Database& database, UiPort& ui)
    : declaration_(declaration), database_(database), ui_(ui)
{
    assert(!declaration_.fields.isEmpty() && declaration_.fields.first().kind == FieldKind::Key
           && "a transaction declares its key fields first");
    table_ = database_.tableDef(declaration_.table);
    assert(table_ && "a transaction's table is in the schema");
    title_ = declaration_.titleFunction ? declaration_.titleFunction(database_, declaration_.title) : declaration_.title;
    while (keyCount_ < fieldCount() && declaration_.fields.at(keyCount_).kind == FieldKind::Key)
        ++keyCount_;
    // Members look fields up by name many times a confirm: the positions
    // and the stored definitions are found once per declaration and table.
    const std::shared_ptr<const FieldLookup> lookup = fieldLookup(declaration_, table_);
    positions_ = lookup->positions;
    storedFields_ = lookup->storedFields;
    storedColumns_ = lookup->storedColumns;
    // The four copies share one vector until each is first written.
    std::call_once(lookup->emptyMade, [&] {
        QVector<QVariant> made;
        made.reserve(fieldCount());
        for (int position = 1; position <= fieldCount(); ++position)
            made.append(emptyValueOf(position));
        lookup->emptyValues = made;
    });
    const QVector<QVariant>& empty = lookup->emptyValues;
    screen_ = empty;
    record_ = empty;
    asRead_ = empty;
    loaded_ = empty;
    referenceDescriptions_.resize(fieldCount());
    if (declaration_.lines)
        lines_ = std::make_unique<LineTable>(*declaration_.lines, *this);
}

Transaction::~Transaction()
{
    close();
}

// ---------------------------------------------------------------------------
// Fields and values

const FieldDecl& Transaction::field(int position) const
{
    assert(position >= 1 && position <= fieldCount() && "field positions count from 1");
    return declaration_.fields.at(position - 1);
}

int Transaction::position(const QString& name) const
{
    if (const auto found = positions_.constFind(name); found != positions_.constEnd())
        return found.value();
    if (const auto found = positions_.constFind(name.toLower()); found != positions_.constEnd())
        return found.value();
    for (int position = 1; position <= fieldCount(); ++position) {
        if (field(position).name.compare(name, Qt::CaseInsensitive) == 0)
            return position;
    }
    return 0;
}

const FieldDef* Transaction::storedField(int position) const
{
    if (position >= 1 && position <= storedFields_.size())
        return storedFields_.at(position - 1);
    return table_->field(field(position).name);
}

bool Transaction::isNumeric(int position) const
{
    const FieldDef* stored = storedField(position);
    if (!stored)
        return field(position).kind == FieldKind::Number;
    return isNumericType(stored->type);
}

namespace {

bool isIntegral(const FieldDef* stored)
{
    if (!stored)
        return false;
    switch (stored->type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
        return true;
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Date:
    case FieldType::Text:
    case FieldType::Memo:
        return false;
    }
    return false;
}

bool isDateField(const FieldDecl& field, const FieldDef* stored)
{
    return field.kind == FieldKind::Date || (stored && stored->type == FieldType::Date);
}

}  // namespace

QVariant Transaction::emptyValueOf(int position) const
{
    const FieldDef* stored = storedField(position);
    if (isDateField(field(position), stored))
        return emptyDate().date();
    if (field(position).kind == FieldKind::Flag)
        return normalized(position, flagValues(position).unchecked);
    if (isIntegral(stored))
        return qlonglong(0);
    if (isNumeric(position))
        return 0.0;
    return QString();
}

QVariant Transaction::normalized(int position, const QVariant& value) const
{
    // Values are normalized many times a confirm (each comparison does it
    // twice): one that already has the field's form is handed back as it is.
    const FieldDef* stored = storedField(position);
    const int type = value.metaType().id();
    if (isDateField(field(position), stored)) {
        if (type == QMetaType::QDate && value.toDate().isValid())
            return value;
        QDate date = type == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        return date.isValid() ? date : emptyDate().date();
    }
    if (isIntegral(stored)) {
        if (type == QMetaType::LongLong)
            return value;
        if (type == QMetaType::Int)
            return qlonglong(*static_cast<const int*>(value.constData()));
        return qlonglong(std::llround(value.toDouble()));
    }
    if (isNumeric(position))
        return type == QMetaType::Double ? value : QVariant(value.toDouble());
    return type == QMetaType::QString ? value : QVariant(value.toString());
}

bool Transaction::sameValue(int position, const QVariant& left, const QVariant& right) const
{
    // Most comparisons meet two values of one type (a field left as read, or
    // typed): equal as they are, they are equal normalized too, and two
    // values already in the field's form are compared as they stand.
    const QMetaType type = left.metaType();
    if (type == right.metaType() && left.isValid()) {
        if (left == right)
            return true;
        const FieldDef* stored = storedField(position);
        if (!isDateField(field(position), stored)) {
            const bool numeric = isNumeric(position);
            const bool integral = isIntegral(stored);
            switch (type.id()) {
            case QMetaType::QString:
                if (!numeric)
                    return QStringView(*static_cast<const QString*>(left.constData())).trimmed()
                        == QStringView(*static_cast<const QString*>(right.constData())).trimmed();
                break;
            case QMetaType::LongLong:
                if (integral)
                    return false;  // already unequal in the field's form
                break;
            case QMetaType::Double:
                if (numeric && !integral)
                    return false;
                break;
            }
        }
    }
    const QVariant a = normalized(position, left);
    const QVariant b = normalized(position, right);
    if (a.metaType().id() == QMetaType::QString)
        return a.toString().trimmed() == b.toString().trimmed();
    return a == b;
}

bool Transaction::isBlank(int position, const QVariant& value) const
{
    const QVariant normal = normalized(position, value);
    switch (normal.metaType().id()) {
    case QMetaType::QString:
        return normal.toString().trimmed().isEmpty();
    case QMetaType::QDate:
        return normal.toDate() == emptyDate().date();
    default:
        return normal.toDouble() == 0;
    }
}

QVariantList Transaction::keyValues() const
{
    QVariantList values;
    for (int position = 1; position <= keyCount_; ++position)
        values << screen_.at(position - 1);
    return values;
}

QString Transaction::keyArgument() const
{
    QStringList parts;
    for (int position = 1; position <= keyCount_; ++position) {
        const QVariant value = screen_.at(position - 1);
        parts << (value.metaType().id() == QMetaType::QString ? value.toString().trimmed() : value.toString());
    }
    return parts.join(u'\t');
}

QString Transaction::auditKeyText() const
{
    QStringList parts;
    for (int position = 1; position <= keyCount_; ++position)
        parts << auditValueText(position);
    return parts.join(u' ');
}

QString Transaction::auditValueText(int position) const
{
    const QVariant value = screen_.at(position - 1);
    if (isNumeric(position) && field(position).kind != FieldKind::CodeList)
        return numberToText(value.toDouble(), 10, 0).trimmed();
    return displayValue(position, value).trimmed();
}

QString Transaction::displayValue(int position, const QVariant& value) const
{
    const FieldDecl& decl = field(position);
    if (decl.kind == FieldKind::CodeList || decl.kind == FieldKind::Options) {
        for (const CodeChoice& choice : choices(position)) {
            if (sameValue(position, choice.value, value))
                return choice.text;
        }
        return value.toString();
    }
    if (isDateField(decl, storedField(position))) {
        const QDate date = value.toDate();
        if (date == emptyDate().date())
            return {};
        return pictureOf(datePicture(decl)).format(date);
    }
    if (isNumeric(position)) {
        if (decl.picture.isEmpty())
            return QString::number(value.toDouble(), 'g', 15);
        return pictureOf(decl.picture).format(value.toDouble());
    }
    if (decl.picture.isEmpty())
        return value.toString();
    return pictureOf(decl.picture).format(value.toString());
}

QList<CodeChoice> Transaction::choices(int position) const
{
    const FieldDecl& decl = field(position);
    return decl.choicesNow ? decl.choicesNow(*this) : decl.choices;
}

QString Transaction::text(int position) const
{
    return displayValue(position, screen_.at(position - 1));
}

bool Transaction::setText(int position, const QString& text, QString* error)
{
    const FieldDecl& decl = field(position);
    auto refuse = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (closed_ || !isEnabled(position) || isReadOnly(position))
        return refuse(QStringLiteral("El campo no se puede modificar"));

    QVariant value;
    if (decl.kind == FieldKind::CodeList || decl.kind == FieldKind::Options) {
        bool matched = false;
        // Letters are compared one by one without regard to case: texts of
        // other lengths never match, and most choices are told apart so.
        const QString typed = text.trimmed();
        const auto sameWord = [&typed](const QString& word) {
            return word.size() == typed.size() && word.compare(typed, Qt::CaseInsensitive) == 0;
        };
        for (const CodeChoice& choice : choices(position)) {
            if (sameWord(choice.text) || sameWord(choice.value.toString())) {
                value = choice.value;
                matched = true;
                break;
            }
        }
        if (!matched)
            return refuse(QStringLiteral("Valor inválido"));
    } else if (decl.kind == FieldKind::Flag) {
        // A check box takes what it stores, or "S" / "N" for checked and not.
        const QString typed = text.trimmed().toUpper();
        const FlagValues values = flagValues(position);
        if (typed == values.checked.toString().toUpper())
            value = values.checked;
        else if (typed == values.unchecked.toString().toUpper())
            value = values.unchecked;
        else if (typed == QLatin1String("S"))
            value = values.checked;
        else if (typed == QLatin1String("N"))
            value = values.unchecked;
        else
            return refuse(QStringLiteral("Valor inválido"));
    } else if (isDateField(decl, storedField(position))) {
        const PictureValue read = pictureOf(datePicture(decl)).parse(text);
        if (!read.valid)
            return refuse(read.error.isEmpty() ? QStringLiteral("Fecha inválida") : read.error);
        value = read.empty ? emptyDate().date() : read.date;
    } else if (isNumeric(position)) {
        if (decl.picture.isEmpty()) {
            bool ok = false;
            const double number = text.trimmed().isEmpty() ? 0 : text.trimmed().toDouble(&ok);
            if (!ok && !text.trimmed().isEmpty())
                return refuse(QStringLiteral("Número inválido"));
            value = number;
        } else {
            const PictureValue read = parseThrough(pictureOf(decl.picture), text);
            if (!read.valid)
                return refuse(read.error);
            value = read.empty ? 0.0 : read.number;
        }
    } else if (!decl.picture.isEmpty()) {
        const PictureValue read = parseThrough(pictureOf(decl.picture), text);
        if (!read.valid)
            return refuse(read.error);
        value = read.text;
    } else {
        // The input takes no more characters than the field stores.
        QString typed = text;
        if (const FieldDef* stored = storedField(position); stored && stored->size > 0)
            typed.truncate(stored->size);
        value = typed;
    }
    const QVariant typedValue = normalized(position, value);
    // A field changed after it passed validation is checked again: the stage
    // falls back to it, so the next focus move or Confirm cannot store a value
    // that no rule has seen (a description blanked with the mouse, a locality
    // left over from another department).
    const bool differs = !sameValue(position, typedValue, screen_.at(position - 1));
    if (position < stage_ && differs)
        stage_ = position;
    screen_[position - 1] = typedValue;
    if (differs && decl.derive)
        decl.derive(*this);
    return true;
}

bool Transaction::setText(const QString& name, const QString& text, QString* error)
{
    const int at = position(name);
    assert(at > 0 && "the field is declared");
    return setText(at, text, error);
}

FlagValues Transaction::flagValues(int position) const
{
    const FlagValues declared = field(position).flag;
    const FlagValues plain;
    // A flag kept in a number field stores 1 and 0 unless declared otherwise.
    if (isNumeric(position) && declared.checked == plain.checked && declared.unchecked == plain.unchecked)
        return {qlonglong(1), qlonglong(0)};
    return declared;
}

bool Transaction::isChecked(int position) const
{
    return sameValue(position, screen_.at(position - 1), flagValues(position).checked);
}

QVariant Transaction::value(const QString& name) const
{
    const int at = position(name);
    assert(at > 0 && "the field is declared");
    return screen_.at(at - 1);
}

void Transaction::setValue(const QString& name, const QVariant& value)
{
    const int at = position(name);
    assert(at > 0 && "the field is declared");
    screen_[at - 1] = normalized(at, value);
}

QVariant Transaction::recordValue(const QString& name) const
{
    const int at = position(name);
    assert(at > 0 && "the field is declared");
    return record_.at(at - 1);
}

bool Transaction::screenMatchesRecord() const
{
    for (int position = 1; position <= fieldCount(); ++position) {
        if (!sameValue(position, screen_.at(position - 1), record_.at(position - 1)))
            return false;
    }
    return true;
}

QString Transaction::referenceDescription(int position) const
{
    return referenceDescriptions_.value(position - 1);
}

bool Transaction::isEnabled(int position) const
{
    if (isKey(position))
        return keyEnabled_ && !field(position).fromCaller;
    const FieldCondition& condition = field(position).enabledWhen;
    return !condition || condition(*this);
}

bool Transaction::isReadOnly(int position) const
{
    (void)position;
    return readOnly_;
}

int Transaction::takeFocusRequest()
{
    const int requested = focusRequest_;
    focusRequest_ = 0;
    return requested;
}

int Transaction::firstEditablePosition() const
{
    for (int position = 1; position <= fieldCount(); ++position) {
        if (isEnabled(position) && !isReadOnly(position))
            return position;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Start, close and the status bar

void Transaction::start(const QString& key, const QString& modeText)
{
    // A form that is already open ignores a second call.
    if (started_ && !closed_)
        return;
    const std::optional<Mode> mode = modeFromCode(modeText);
    assert(mode && "a transaction is called with INS, UPD, DLT or DSP");
    mode_ = mode.value_or(Mode::Display);
    initialMode_ = mode_;
    keyPassed_ = key;
    lastKey_ = key;
    stage_ = 1;
    changed_ = false;
    closeRequested_ = false;
    lockHeld_ = false;
    started_ = true;

    busy_ = true;
    openCursors();
    switches_ = readSyncSwitches(database_, declaration_.syncGroup);
    const QString permissions = VBGlob::get(QStringLiteral("Permisos"));
    const int at = declaration_.permissionPosition;
    confirmEnabled_ = mode_ != Mode::Display && permissions.size() >= at && permissions.at(at - 1) == u'M';
    showModeWord();

    // Callers pass 0 for "no key" to a form with a number key; "0" is a
    // key like any other for a form keyed by text.
    const bool zeroKey = key.trimmed() == QLatin1String("0") && isNumeric(1);
    setKeyFromText(zeroKey ? QString() : key);
    hasKeyPassed_ = !zeroKey;
    for (int position = 1; position <= keyCount_; ++position)
        hasKeyPassed_ = hasKeyPassed_ && !isBlank(position, screen_.at(position - 1));
    if (!hasKeyPassed_) {
        setKeyFromText(QString());
        keepCallerFields(key);
    }
    if (mode_ == Mode::Insert)
        applyDefaults();
    applyFieldEnabling();
    declaration_.hooks.afterStart.run(*this);
    labels_.clear();
    for (const ComputedLabel& label : declaration_.labels)
        labels_ << (label.text ? label.text(*this) : QString());
    if (lines_)
        lines_->follow();
    busy_ = false;

    switch (mode_) {
    case Mode::Display:
        readPassedRecord();
        break;
    case Mode::Delete:
        // The person sees only the delete question; the form closes
        // whatever the answer.
        if (readPassedRecord())
            confirm();
        requestClose();
        break;
    case Mode::Insert:
    case Mode::Update:
        // The record is read when the key is validated: with a key passed,
        // the focus lands on the first other input, which validates it.
        if (const int first = firstEditablePosition(); first > keyCount_)
            focusEntered(first);
        else if (first == 0 && hasKeyPassed_)
            focusEntered(keyCount_ + 1);  // nothing to type above the lines: read the record now
        break;
    }
    finishCommand();
}

void Transaction::openCursors()
{
    own_ = std::make_unique<TableCursor>(database_);
    recordIsCursorRow_ = false;
    DbError error = own_->open(declaration_.table);
    if (!error && !declaration_.index.isEmpty())
        error = own_->setIndex(declaration_.index);
    // Nothing is read here: the record is sought when its key is known, and
    // a database whose tables do not match the schema is refused when it
    // opens.
    if (error) {
        reportWriteError(error);
        requestClose();
    }
    // The delete checks' cursors are opened when a delete first needs them:
    // a form that adds or changes records never seeks them.
    checkCursors_.clear();
    checkCursors_.resize(declaration_.deleteChecks.size());
}

std::shared_ptr<TableCursor> Transaction::checkCursor(const DeleteCheck& check)
{
    auto cursor = std::make_shared<TableCursor>(database_);
    DbError error = cursor->open(check.table, Access::ReadOnly);
    if (!error)
        error = cursor->setIndex(check.index);
    assert(!error && "a delete check names a table and index of the schema");
    return cursor;
}

void Transaction::applyFieldEnabling()
{
    readOnly_ = mode_ == Mode::Display;
    if (readOnly_)
        return;
    keyEnabled_ = !hasKeyPassed_;
    requestFocus(firstEditablePosition());
}

void Transaction::setKeyFromText(const QString& key)
{
    const QStringList parts = key.split(u'\t');
    for (int position = 1; position <= keyCount_; ++position) {
        const QString part = parts.value(position - 1).trimmed();
        if (isNumeric(position))
            screen_[position - 1] = normalized(position, part.toDouble());
        else
            screen_[position - 1] = normalized(position, part);
    }
}

void Transaction::keepCallerFields(const QString& key)
{
    const QStringList parts = key.split(u'\t');
    for (int position = 1; position <= keyCount_; ++position) {
        if (field(position).fromCaller)
            screen_[position - 1] = normalized(position, parts.value(position - 1).trimmed());
    }
}

void Transaction::showModeWord()
{
    ui_.statusText(1, modeWord(mode_));
}

void Transaction::activated()
{
    ui_.statusText(1, modeCode(mode_));
    ui_.statusText(2, QString());
    ui_.statusText(3, QString());
}

void Transaction::handBack(QString& key, QString& modeText) const
{
    key = lastKey_;
    modeText = modeCode(mode_);
}

void Transaction::finishCommand()
{
    if (closeRequested_ && !closed_ && !busy_)
        close();
}

void Transaction::close()
{
    if (closed_ || !started_)
        return;
    closed_ = true;
    closeRequested_ = true;
    for (int panel = 1; panel <= 3; ++panel)
        ui_.statusText(panel, QString());
    if (own_) {
        own_->close();  // gives up an edit in progress and its lock
        own_.reset();
    }
    recordIsCursorRow_ = false;
    lockHeld_ = false;
    checkCursors_.clear();
    database_.idleFreeLocks();
    declaration_.hooks.closed.run(*this);
}

// ---------------------------------------------------------------------------
// Reading the record

void Transaction::readRecordValues()
{
    for (int position = 1; position <= fieldCount(); ++position) {
        if (!storedField(position))
            continue;
        record_[position - 1] = recordFound_ ? normalized(position, own_->valueAt(storedColumns_.at(position - 1)))
                                             : emptyValueOf(position);
    }
}

bool Transaction::seekKey()
{
    recordFound_ = false;
    if (!own_) {
        readRecordValues();
        return false;
    }
    const DbError error = own_->seek(Comparison::Equal, keyValues());
    database_.idleFreeLocks();
    recordFound_ = !error && !own_->noMatch() && own_->hasCurrent();
    readRecordValues();
    recordIsCursorRow_ = recordFound_;
    return recordFound_;
}

void Transaction::takeRecordAsScreen()
{
    for (int position = 1; position <= fieldCount(); ++position) {
        if (!storedField(position))
            continue;
        screen_[position - 1] = record_.at(position - 1);
        if (!isKey(position)) {
            asRead_[position - 1] = record_.at(position - 1);
            loaded_[position - 1] = record_.at(position - 1);
        }
    }
    previousKey_ = keyValues();
    lastKey_ = keyArgument();
    declaration_.hooks.afterRead.run(*this);
    changed_ = false;
}

void Transaction::rereadRecord()
{
    if (mode_ != Mode::Insert && seekKey())
        takeRecordAsScreen();
    if (lines_)
        lines_->reread();
}

bool Transaction::readPassedRecord()
{
    if (!seekKey()) {
        ui_.message(notFoundText, MessageIcon::Exclamation);
        requestClose();
        return false;
    }
    takeRecordAsScreen();
    return true;
}

void Transaction::clearNonKeyFields()
{
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position) {
        screen_[position - 1] = emptyValueOf(position);
        loaded_[position - 1] = emptyValueOf(position);
        asRead_[position - 1] = emptyValueOf(position);
        referenceDescriptions_[position - 1].clear();
    }
    if (mode_ == Mode::Insert)
        applyDefaults();
}

void Transaction::applyDefaults()
{
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position) {
        const QVariant& initial = field(position).defaultValue;
        if (initial.isValid())
            screen_[position - 1] = normalized(position, initial);
    }
}

void Transaction::clearForNextRecord()
{
    for (int position = 1; position <= fieldCount(); ++position) {
        screen_[position - 1] = emptyValueOf(position);
        loaded_[position - 1] = emptyValueOf(position);
        asRead_[position - 1] = emptyValueOf(position);
        referenceDescriptions_[position - 1].clear();
    }
    previousKey_.clear();
    if (hasKeyPassed_)
        setKeyFromText(keyPassed_);
    else
        keepCallerFields(keyPassed_);
    applyDefaults();
    stage_ = 1;
    applyFieldEnabling();
    requestFocus(firstEditablePosition());
}

// ---------------------------------------------------------------------------
// Field-order validation

bool Transaction::focusEntered(int position)
{
    if (busy_ || closed_)
        return true;
    if (isKey(position)) {
        stage_ = 1;
        return true;
    }
    busy_ = true;
    const bool valid = validateRange(position - 1);
    busy_ = false;
    finishCommand();
    return valid;
}

bool Transaction::validateRange(int last)
{
    for (int position = stage_; position <= last; ++position) {
        if (!validateField(position) || closeRequested_) {
            stage_ = std::min(stage_, position);
            return false;
        }
        stage_ = position + 1;
    }
    return true;
}

bool Transaction::applyVerdict(int position, const FieldVerdict& verdict)
{
    switch (verdict.kind) {
    case FieldVerdict::Kind::Ok:
        return true;
    case FieldVerdict::Kind::Refused:
        // An empty refusal was already told (a question the person said No to).
        if (!verdict.message.isEmpty())
            ui_.message(verdict.message, MessageIcon::Exclamation);
        requestFocus(position);
        return false;
    case FieldVerdict::Kind::Notice:
        // A notice never stops the person: the field counts as valid.
        ui_.message(verdict.message, MessageIcon::Information);
        requestFocus(position);
        return true;
    }
    return true;
}

bool Transaction::validateField(int position)
{
    if (isKey(position))
        return position < keyCount_ || validateKey();

    const FieldDecl& decl = field(position);
    if (!sameValue(position, screen_.at(position - 1), record_.at(position - 1)))
        changed_ = true;
    if (screen_.at(position - 1).metaType().id() == QMetaType::QString)
        screen_[position - 1] = screen_.at(position - 1).toString().trimmed();
    if (!decl.missingMessage.isEmpty() && isEnabled(position) && isBlank(position, screen_.at(position - 1))) {
        if (!applyVerdict(position, FieldVerdict::refuse(decl.missingMessage)))
            return false;
    }
    if (decl.kind == FieldKind::Reference && !validateReference(position))
        return false;
    if (decl.rule && !applyVerdict(position, decl.rule(*this)))
        return false;
    // The lines are checked with the header's last field.
    if (position == fieldCount() && lines_)
        return applyVerdict(position, lines_->validate());
    return true;
}

bool Transaction::validateKey()
{
    const QVariantList key = keyValues();
    if (key != previousKey_)
        changed_ = true;
    for (int position = 1; position <= keyCount_; ++position) {
        if (!isBlank(position, screen_.at(position - 1)))
            continue;
        const QString missing = field(position).missingMessage.isEmpty() ? declaration_.keyMissingMessage
                                                                         : field(position).missingMessage;
        ui_.message(missing, MessageIcon::Exclamation);
        requestFocus(position);
        return false;
    }
    // A key field's own rule (a range of codes, a key that may not be
    // changed) runs before the key is sought.
    for (int position = 1; position <= keyCount_; ++position) {
        if (field(position).rule && !applyVerdict(position, field(position).rule(*this)))
            return false;
    }

    if (!seekKey()) {
        if (mode_ != Mode::Insert) {
            ui_.message(notFoundText, MessageIcon::Exclamation);
            requestClose();
            return false;
        }
        // A new record starts empty.
        clearNonKeyFields();
        previousKey_ = key;
        showModeWord();
        return true;
    }
    if (mode_ == Mode::Insert) {
        ui_.message(existsText, MessageIcon::Exclamation);
        requestFocus(1);
        return false;
    }
    takeRecordAsScreen();
    showModeWord();
    return true;
}

bool Transaction::validateReference(int position)
{
    const ReferenceDecl& reference = field(position).reference;
    referenceDescriptions_[position - 1].clear();
    if (isBlank(position, screen_.at(position - 1)))
        return true;

    auto lookUp = [&]() {
        TableCursor cursor(database_);
        if (cursor.open(reference.table, Access::ReadOnly))
            return false;
        if (!reference.index.isEmpty() && cursor.setIndex(reference.index))
            return false;
        cursor.seek(Comparison::Equal, {screen_.at(position - 1)});
        database_.idleFreeLocks();
        if (cursor.noMatch() || !cursor.hasCurrent())
            return false;
        if (!reference.descriptionField.isEmpty())
            referenceDescriptions_[position - 1] = cursor.text(reference.descriptionField).trimmed();
        return true;
    };
    if (lookUp())
        return true;
    if (!reference.offersList) {
        ui_.message(QStringLiteral("No existe ") + reference.missingName, MessageIcon::Exclamation);
        requestFocus(position);
        return false;
    }

    const QString question =
        QStringLiteral("No existe ") + reference.missingName + QStringLiteral(". DESEA VISUALIZAR?");
    if (ui_.question(question, DefaultButton::Yes) && !reference.listObject.isEmpty()) {
        const QVariant current = screen_.at(position - 1);
        QString key = current.metaType().id() == QMetaType::QString ? current.toString().trimmed()
                                                                    : current.toString();
        QString mode;
        ui_.callObject(reference.listObject, key, mode);
        screen_[position - 1] = normalized(position, key.trimmed());
        if (lookUp())
            return true;
    }
    requestFocus(position);
    return false;
}

// ---------------------------------------------------------------------------
// Confirm

bool Transaction::confirm()
{
    if (busy_ || closed_ || !confirmEnabled_)
        return false;
    busy_ = true;
    const bool written = runConfirm();
    busy_ = false;
    finishCommand();
    return written;
}

bool Transaction::runConfirm()
{
    // A delete checks no field: a record is deleted as it stands, whatever
    // the rules of its fields say today. Only the delete's own refusals,
    // the reference checks and the question come before it.
    if (mode_ != Mode::Delete && !validateRange(fieldCount()))
        return false;
    showModeWord();

    if (mode_ == Mode::Delete && !prepareDelete()) {
        requestClose();
        return false;
    }
    if (switches_.copiedAutomatically()) {
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    if (!declaration_.hooks.beforeWrite.runWhileTrue(*this))
        return false;
    if (lines_ && mode_ != Mode::Delete && !lines_->prepareWrite())
        return false;
    // With nothing of the member's to run between the lock and the write, a
    // change is locked and checked inside its write transaction: that read
    // is the last one, and the write needs no read of its own.
    const bool lockInsideWrite = mode_ == Mode::Update && declaration_.hooks.afterLock.isEmpty();
    if (mode_ != Mode::Insert && !lockAndCheck(lockInsideWrite))
        return false;
    if (mode_ != Mode::Insert)
        declaration_.hooks.afterLock.run(*this);
    if (!write())
        return false;

    const Mode written = mode_;
    mode_ = initialMode_;
    auditAndMark(written);
    if (lines_)
        lines_->committed(written);
    declaration_.hooks.afterWrite.run(*this, written);
    if (written == Mode::Insert)
        clearForNextRecord();
    else
        requestClose();
    ui_.statusText(2, doneText);
    changed_ = false;
    return true;
}

bool Transaction::prepareDelete()
{
    mode_ = Mode::Delete;
    initialMode_ = Mode::Delete;
    for (int position = 1; position <= fieldCount(); ++position) {
        if (storedField(position))
            screen_[position - 1] = record_.at(position - 1);
    }
    if (declaration_.hooks.deleteVerdict) {
        const FieldVerdict verdict = declaration_.hooks.deleteVerdict(*this);
        if (verdict.kind == FieldVerdict::Kind::Refused) {
            if (!verdict.message.isEmpty())  // empty: the hook has told the person
                ui_.message(verdict.message, MessageIcon::Exclamation);
            return false;
        }
        if (verdict.kind == FieldVerdict::Kind::Notice)
            ui_.message(verdict.message, MessageIcon::Information);
    }
    for (int at = 0; at < declaration_.deleteChecks.size(); ++at) {
        if (!referenceFound(at))
            continue;
        ui_.message(QStringLiteral("Eliminación inválida, hay información en \"") + declaration_.deleteChecks.at(at).name
                        + QStringLiteral("\"."),
                    MessageIcon::Exclamation);
        return false;
    }
    return ui_.question(declaration_.deleteQuestion, DefaultButton::No);
}

bool Transaction::referenceFound(int checkIndex)
{
    const DeleteCheck& check = declaration_.deleteChecks.at(checkIndex);
    std::shared_ptr<TableCursor>& slot = checkCursors_[checkIndex];
    if (!slot)
        slot = checkCursor(check);
    TableCursor& cursor = *slot;
    if (seekFinds(cursor, check.index, QStringList{check.field} + check.moreFields))
        return true;
    for (const DeleteSeek& seek : check.moreSeeks) {
        if (seekFinds(cursor, seek.index, seek.fields))
            return true;
    }
    return false;
}

bool Transaction::seekFinds(TableCursor& cursor, const QString& index, const QStringList& fields)
{
    assert(!fields.isEmpty() && fields.size() <= keyCount_ && "a delete check names one field per key field");
    if (cursor.indexName().compare(index, Qt::CaseInsensitive) != 0 && cursor.setIndex(index))
        return false;
    QVariantList key;
    for (int at = 0; at < fields.size(); ++at)
        key << screen_.at(at);
    cursor.seek(Comparison::GreaterOrEqual, key);
    database_.idleFreeLocks();
    if (!cursor.hasCurrent())
        return false;
    for (int at = 0; at < fields.size(); ++at) {
        if (!sameValue(at + 1, cursor.value(fields.at(at)), key.at(at)))
            return false;
    }
    return true;
}

bool Transaction::nonKeyRecordChanged() const
{
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position) {
        if (storedField(position) && !sameValue(position, record_.at(position - 1), asRead_.at(position - 1)))
            return true;
    }
    return false;
}

bool Transaction::lockAndCheck(bool insideWrite)
{
    // Whether the record read holds the key on the screen.
    const auto keyMatches = [this](const auto& valueAt) {
        for (int position = 1; position <= keyCount_; ++position) {
            if (!sameValue(position, valueAt(position), screen_.at(position - 1)))
                return false;
        }
        return true;
    };
    // The cursor mostly stands on the record already, found when its key
    // was validated: edit reads it again under the lock in any case, so it
    // is sought again only when the cursor stands elsewhere.
    const bool standsOnKey = own_ && recordFound_ && own_->hasCurrent() && own_->editMode() == EditMode::None
        && keyMatches([this](int position) { return own_->value(field(position).name); });
    // Inside the write transaction, the record's lock is taken before the
    // transaction begins: a record another workstation is writing is
    // refused at once, not after waiting for that workstation's write.
    // Its key as stored is known when the cursor stands on it.
    insideWrite = insideWrite && standsOnKey;
    RecordLocks* locks = insideWrite ? &database_.locks() : nullptr;
    const quint64 lockedAhead = insideWrite ? currentLockKey(*table_, *own_) : 0;
    if (locks) {
        if (DbError error = locks->acquire(lockedAhead)) {
            if (isLockConflict(error.number))
                ui_.message(lockedText, MessageIcon::Exclamation);
            else
                reportWriteError(error);
            return false;
        }
        if (DbError error = database_.beginTransaction()) {
            locks->release(lockedAhead);
            reportWriteError(error);
            return false;
        }
    }
    // The edit below takes the lock again for the cursor, which keeps it
    // until the write ends; this hold of it ends with this check.
    const auto releaseAhead = qScopeGuard([&] {
        if (locks)
            locks->release(lockedAhead);
    });
    // Nothing stays begun while the person reads why the write stopped.
    const auto giveUpWrite = [&] {
        if (insideWrite)
            database_.rollback();
    };
    bool found = standsOnKey || seekKey();
    if (found) {
        const DbError error = own_->edit();
        if (error && isLockConflict(error.number)) {
            giveUpWrite();
            ui_.message(lockedText, MessageIcon::Exclamation);
            return false;
        }
        if (error && error.number != DbErrorNumber::ChangedByAnotherUser) {
            giveUpWrite();
            reportWriteError(error);
            return false;
        }
        found = !error;
        if (found) {
            lockHeld_ = true;
            // As edit read it again, under the lock; what was read from the
            // row the cursor stands on holds when edit found it unchanged.
            if (!standsOnKey || !recordIsCursorRow_ || own_->editFoundChanges())
                readRecordValues();
            // Another workstation may have given the row another key.
            found = keyMatches([this](int position) { return record_.at(position - 1); });
        }
    }
    if (found && !nonKeyRecordChanged()) {
        lockedInsideWrite_ = insideWrite;
        return true;
    }
    giveUpWrite();
    return refuseAsModified();
}


bool Transaction::refuseAsModified()
{
    // Another user changed or deleted the record since it was shown. The
    // lock is given up at once: no lock is held while the person types.
    if (lockHeld_) {
        own_->cancelUpdate();
        lockHeld_ = false;
    }
    stage_ = 1;
    requestFocus(firstEditablePosition());
    ui_.message(declaration_.table + QStringLiteral(" fue modificada."), MessageIcon::Information);
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position)
        screen_[position - 1] = loaded_.at(position - 1);
    return false;
}

bool Transaction::write()
{
    switch (mode_) {
    case Mode::Insert:
        return insertRecord();
    case Mode::Update:
        return updateRecord();
    case Mode::Delete:
        return deleteRecord();
    case Mode::Display:
        return false;
    }
    return false;
}

DbError Transaction::storeFields(bool withKey)
{
    for (int position = 1; position <= fieldCount(); ++position) {
        if ((isKey(position) && !withKey) || !storedField(position))
            continue;
        if (DbError error = own_->setValueAt(storedColumns_.at(position - 1), screen_.at(position - 1)))
            return error;
    }
    if (lines_ && !declaration_.lines->lastNumberField.isEmpty()) {
        if (DbError error = own_->setValue(declaration_.lines->lastNumberField, lines_->lastNumber()))
            return error;
    }
    declaration_.hooks.beforeStore.run(*this, *own_);
    return {};
}

bool Transaction::storeInTransaction(bool withKey)
{
    const bool begun = std::exchange(lockedInsideWrite_, false);
    if (!begun) {
        if (DbError error = database_.beginTransaction()) {
            own_->cancelUpdate();
            reportWriteError(error);
            return false;
        }
    }
    // What another workstation committed since the record was read is seen
    // here, under the write lock: a change is refused even when the record
    // lock could not protect it. A record locked inside this transaction
    // was read and compared there already.
    if (!withKey && !begun && !unchangedInsideWrite()) {
        own_->cancelUpdate();
        database_.rollback();
        return refuseAsModified();
    }
    recordIsCursorRow_ = false;  // the cursor's row takes what is written
    DbError error = storeFields(withKey);
    if (!error)
        error = own_->update();
    if (error) {
        own_->cancelUpdate();
        database_.rollback();
        reportWriteError(error);
        return false;
    }
    if (!writeDependents()) {
        database_.rollback();
        return false;
    }
    if (DbError committed = database_.commit()) {
        database_.rollback();
        reportWriteError(committed);
        return false;
    }
    lastKey_ = keyArgument();
    return true;
}

bool Transaction::writeDependents()
{
    const bool linesWritten = !lines_ || (mode_ == Mode::Delete ? lines_->removeAllWithin() : lines_->writeWithin());
    if (linesWritten && declaration_.hooks.withinWrite.runWhileTrue(*this))
        return true;
    if (lines_)
        lines_->rolledBack();
    return false;
}

bool Transaction::unchangedInsideWrite()
{
    // The record being edited is read again by its row, under the write
    // lock: its key and every stored field must be as they were read.
    if (own_ && own_->editMode() == EditMode::Editing) {
        QVector<QVariant> stored;
        if (own_->storedValues(&stored))
            return false;
        const FieldDef* first = table_->fields.constData();
        for (int position = 1; position <= fieldCount(); ++position) {
            const FieldDef* definition = storedField(position);
            if (!definition)
                continue;
            const qsizetype column = definition - first;
            if (column < 0 || column >= stored.size())
                return false;
            const QVariant& expected = isKey(position) ? screen_.at(position - 1) : asRead_.at(position - 1);
            if (!sameValue(position, stored.at(column), expected))
                return false;
        }
        return true;
    }
    TableCursor check(database_);
    DbError error = check.open(declaration_.table, Access::ReadOnly);
    if (!error && !declaration_.index.isEmpty())
        error = check.setIndex(declaration_.index);
    if (!error)
        error = check.seek(Comparison::Equal, keyValues());
    if (error || check.noMatch() || !check.hasCurrent())
        return false;
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position) {
        if (storedField(position) && !sameValue(position, check.value(field(position).name), asRead_.at(position - 1)))
            return false;
    }
    return true;
}

bool Transaction::insertRecord()
{
    recordIsCursorRow_ = false;
    own_->addNew();
    if (!storeInTransaction(true))
        return false;
    own_->setBookmark(own_->lastModified());
    return true;
}

bool Transaction::updateRecord()
{
    const bool editing = lockHeld_ && own_->editMode() == EditMode::Editing;
    lockHeld_ = false;
    if (!editing) {
        if (std::exchange(lockedInsideWrite_, false))
            database_.rollback();
        return false;
    }
    return storeInTransaction(false);
}

bool Transaction::deleteRecord()
{
    if (switches_.copiedAutomatically()) {
        own_->cancelUpdate();
        lockHeld_ = false;
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    if (DbError error = database_.beginTransaction()) {
        own_->cancelUpdate();
        lockHeld_ = false;
        reportWriteError(error);
        return false;
    }
    if (!unchangedInsideWrite()) {
        database_.rollback();
        return refuseAsModified();
    }
    // The lines go with their header, in the same transaction.
    if (!writeDependents()) {
        own_->cancelUpdate();
        lockHeld_ = false;
        database_.rollback();
        return false;
    }
    recordIsCursorRow_ = false;
    DbError error = own_->remove();
    if (!error)
        error = database_.commit();
    own_->cancelUpdate();
    lockHeld_ = false;
    if (error) {
        database_.rollback();
        reportWriteError(error);
        return false;
    }
    for (int position = keyCount_ + 1; position <= fieldCount(); ++position)
        loaded_[position - 1] = screen_.at(position - 1);
    lastKey_ = keyArgument();
    return true;
}

void Transaction::reportWriteError(const DbError& error)
{
    const int result = translateDatabaseError(ui_, error);
    if (result == DbErrorNumber::ProgramEnds)
        requestClose();
}

// ---------------------------------------------------------------------------
// Audit and synchronisation

void Transaction::auditAndMark(Mode written)
{
    markSynchronisedChange(database_, ui_);
    const QString text =
        declaration_.hooks.auditText ? declaration_.hooks.auditText(*this) : composeAuditText(written);
    if (!text.isEmpty())
        writeAuditEntry(database_, declaration_.audit.area, text);
}

QString Transaction::composeAuditText(Mode written) const
{
    const AuditWording& wording = declaration_.audit;
    QString sentence;
    switch (written) {
    case Mode::Insert:
        if (wording.insert.isEmpty())
            return {};
        sentence = wording.insert + auditKeyText();
        for (const AuditPart& part : wording.parts) {
            const int at = position(part.field);
            if (at > 0 && !isBlank(at, screen_.at(at - 1)))
                sentence += part.label + auditValueText(at);
        }
        return sentence;
    case Mode::Update:
        if (wording.modify.isEmpty())
            return {};
        sentence = wording.modify + auditKeyText();
        for (const AuditPart& part : wording.parts) {
            const int at = position(part.field);
            if (at > 0 && !sameValue(at, screen_.at(at - 1), loaded_.at(at - 1)))
                sentence += part.label + auditValueText(at);
        }
        return sentence;
    case Mode::Delete:
        if (wording.remove.isEmpty())
            return {};
        return wording.remove + auditKeyText();
    case Mode::Display:
        return {};
    }
    return {};
}

// ---------------------------------------------------------------------------
// Commands

const CommandDecl* Transaction::command(const QString& action) const
{
    for (const CommandDecl& command : declaration_.commands) {
        if (command.action.compare(action, Qt::CaseInsensitive) == 0)
            return &command;
    }
    return nullptr;
}

bool Transaction::commandEnabled(const QString& action) const
{
    const CommandDecl* found = command(action);
    return found && !closed_ && (!found->changesData || confirmEnabled_);
}

bool Transaction::press(const QString& action)
{
    const CommandDecl* found = command(action);
    if (!found || busy_ || !commandEnabled(action))
        return false;
    if (found->needsRecord && mode_ == Mode::Insert) {
        ui_.message(confirmFirstText, MessageIcon::Exclamation);
        return false;
    }
    if (found->changesData && switches_.copiedAutomatically()) {
        ui_.message(copiedAutomaticallyText(), MessageIcon::Exclamation);
        return false;
    }
    busy_ = true;
    if (!found->opens.isEmpty()) {
        QString key = keyArgument();
        QString mode = found->openMode;
        ui_.callObject(found->opens, key, mode);
    }
    if (declaration_.hooks.command)
        declaration_.hooks.command(*this, *found);
    busy_ = false;
    finishCommand();
    return true;
}
