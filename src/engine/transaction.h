#pragma once

#include "engine/audit.h"
#include "engine/modes.h"
#include "engine/synchronisation.h"

#include "data/cursor.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

class Database;
class LineTable;
class Transaction;
class UiPort;

// A transaction is the data-entry form of one table, declared as data
// (TransactionDecl) and run by one engine (Transaction) that knows nothing of
// any particular table. The engine draws nothing: it talks to a person
// through the UiPort and exposes the state a window shows (field texts,
// enabled and read-only inputs, focus requests, whether Confirm is enabled,
// whether the form asks to close). A window, or a test, drives it:
//
//   Transaction form(TCATEGOR(), database, ui);
//   form.start(key, mode);               // "INS", "UPD", "DLT" or "DSP"
//   form.focusEntered(2);                // the focus moved to the description
//   form.setText(2, "Peones");
//   form.confirm();                      // validate, check, lock, write, audit
//   form.handBack(key, mode);            // what the caller gets back
//
// Positions count from 1 in screen order: the key fields first, then the
// others; fieldCount() + 1 means "every field valid".

/// What a field rule says about a value.
struct FieldVerdict {
    enum class Kind { Ok, Refused, Notice };
    Kind kind = Kind::Ok;
    QString message;

    static FieldVerdict ok() { return {}; }
    /// A refusal shown with the exclamation icon; a text that begins with
    /// "Aviso:" is a notice instead (information icon, the field stays valid).
    /// An empty text refuses without a message: the person was already told.
    static FieldVerdict refuse(const QString& message);
};

/// A rule a member adds to one field, run after the field's own checks.
using FieldRule = std::function<FieldVerdict(Transaction& form)>;

/// How a field is entered and stored.
enum class FieldKind {
    Key,        ///< part of the primary key, entered first
    Text,
    Number,
    Date,
    Flag,       ///< "S" / "N" check box
    CodeList,   ///< one of fixed choices, shown by their texts in a list
    Options,    ///< one of fixed choices, shown as a group of option buttons
    Reference,  ///< the key of another table, offered from its list when missing
    Memo,       ///< free text of several lines
};

/// One choice of a code list: the stored value and the text shown. A list
/// of several columns shows `columns` beside the text when it opens.
struct CodeChoice {
    QVariant value;
    QString text;
    QStringList columns = {};
};

/// The values a check box stores: "S"/"N" unless declared otherwise (the
/// concept's "Inactivo" stores 0 when checked and 1 when not).
struct FlagValues {
    QVariant checked = QStringLiteral("S");
    QVariant unchecked = QStringLiteral("N");
};

/// Whether a field can be typed into, asked each time the form shows itself.
using FieldCondition = std::function<bool(const Transaction& form)>;
/// What a member does when a field was changed and left: set other fields
/// from it (derived values).
using FieldDerivation = std::function<void(Transaction& form)>;

/// The table a reference field points into.
struct ReferenceDecl {
    QString table;
    QString index;             ///< empty: the table's primary index
    QString missingName;       ///< "Cargos": "No existe Cargos. DESEA VISUALIZAR?"
    QString listObject;        ///< the selection list called on Yes ("WCARGOS")
    QString descriptionField;  ///< shown beside the field when the row exists
    /// A list under a parent (the localities of a department): the field
    /// whose value is handed to the list with this field's (pickerKey).
    QString parentField;
    /// Whether a missing code asks "No existe X. DESEA VISUALIZAR?" and
    /// offers the list; false: the plain refusal "No existe X".
    bool offersList = true;
};

struct FieldDecl {
    QString name;      ///< the table's field (`CatDesc`)
    QString label;     ///< "Descripción"
    QString picture;   ///< display mask; empty: the text as typed
    FieldKind kind = FieldKind::Text;
    /// Refusal when the value is blank or zero ("Falta descripción"). For
    /// the last key field, the declaration's keyMissingMessage applies.
    QString missingMessage;
    QList<CodeChoice> choices;  ///< code lists
    /// Reference fields; a text field with only `reference.listObject` set
    /// is chosen from that list (lookup button, F4) and checked by its rule.
    ReferenceDecl reference;
    FieldRule rule;             ///< member rule, after the field's own checks (a key field's before its key is sought)
    int page = 0;               ///< tab page (index into TransactionDecl::pages); -1: above the pages
    QString frame;              ///< the captioned frame the input sits in; empty: none
    FlagValues flag;            ///< check boxes: what checked and unchecked store
    QVariant defaultValue;      ///< what a new record starts with; null: empty
    FieldCondition enabledWhen; ///< set: the input is enabled only while it holds
    FieldDerivation derive;     ///< runs when the typed value changed
    /// A field shown on the form but not stored in the table (a total, a
    /// choice that only steers other fields).
    bool unbound = false;
    /// A key field the caller always sets (the calendar of a holiday): it is
    /// kept from the key passed even when the rest of the key is missing,
    /// and it is never typed into.
    bool fromCaller = false;
    /// Set: the choices a code list offers now (the contents an accumulator
    /// of the type on the form can have), a part of `choices`, which still
    /// name every stored value.
    std::function<QList<CodeChoice>(const Transaction& form)> choicesNow;
    /// The column of its page the input stands in: 0 the left one, 1 a
    /// second column beside it (a long page in two halves).
    int column = 0;
};

/// A key field shown through `picture`.
FieldDecl keyField(const QString& name, const QString& label, const QString& picture);
/// A text field, refused with `missingMessage` when it is blank (when given).
FieldDecl textField(const QString& name, const QString& label, const QString& missingMessage = {});
/// A number shown through `picture`, refused with `missingMessage` when it
/// is zero (when given).
FieldDecl numberField(const QString& name, const QString& label, const QString& picture,
                      const QString& missingMessage = {});

/// A further place of a delete check's table where the key may stand: the
/// same table sought by another index on other fields.
struct DeleteSeek {
    QString index;
    QStringList fields;  ///< the fields holding the form's key fields, in key order
};

/// A table that may still use the key of a record about to be deleted.
/// With a composite key, `field` holds the first key field and `moreFields`
/// the others; `moreSeeks` are other indexes of the same table to look in
/// (a concept named in any of nine fields of one table).
struct DeleteCheck {
    QString table;
    QString index;
    QString field;  ///< the field of `table` that holds the key
    QString name;   ///< "CargosFuncionario", quoted in the refusal
    QStringList moreFields = {};
    QList<DeleteSeek> moreSeeks = {};
};

/// A text the form computes when it opens (the limits of the tax brackets
/// beside their percentages), shown as a label on its page and frame.
struct ComputedLabel {
    QString name;
    int page = 0;
    QString frame;
    std::function<QString(Transaction& form)> text;
    /// Set: the label stands beside this field's input instead of on a row
    /// of its own (a bracket's limit beside its percentage).
    QString beside = {};
};

/// A button of a form or panel beyond the standard ones.
struct CommandDecl {
    QString action;   ///< the name it is pressed by ("Lineas")
    QString caption;  ///< "&Líneas"
    QString toolTip;
    /// Refused while a new record is being added, with "Debe confirmar
    /// antes los datos": what it opens needs the record to exist.
    bool needsRecord = false;
    /// It changes data: disabled without the permission, refused while the
    /// table is copied automatically.
    bool changesData = false;
    /// Opened with the current key and this mode; the handler below may do
    /// more. Empty: the handler alone.
    QString opens;
    QString openMode = QStringLiteral("UPD");
};

/// One field named in the audit sentence, as ", descripción = " + value.
struct AuditPart {
    QString field;
    QString label;
};

/// The words of the audit sentence; an empty `insert` means no audit entry.
struct AuditWording {
    QString insert;   ///< "Agrega categorìa "
    QString modify;   ///< "Modifica categoría "
    QString remove;   ///< "Elimina categoría "
    QList<AuditPart> parts;
    int area = AuditArea::Tables;
};

/// The hooks of one hook point: several parts of a declaration (its lines,
/// its member, a test) each add their own, and they run in the order added.
template <typename Signature>
class HookList {
public:
    using Hook = std::function<Signature>;
    void add(Hook hook) { hooks_.append(std::move(hook)); }
    HookList& operator+=(Hook hook)
    {
        add(std::move(hook));
        return *this;
    }
    bool isEmpty() const { return hooks_.isEmpty(); }
    /// Runs every hook.
    template <typename... Arguments>
    void run(Arguments&&... arguments) const
    {
        for (const Hook& hook : hooks_)
            hook(arguments...);
    }
    /// Runs the hooks until one answers false.
    template <typename... Arguments>
    bool runWhileTrue(Arguments&&... arguments) const
    {
        for (const Hook& hook : hooks_) {
            if (!hook(arguments...))
                return false;
        }
        return true;
    }

private:
    QList<Hook> hooks_;
};

/// What a member does beyond the pattern. Every hook is optional.
struct TransactionHooks {
    /// After Start (cursors open, switches read, fields enabled).
    HookList<void(Transaction& form)> afterStart;
    /// Before a new or changed record is stored, inside its database
    /// transaction: set the fields the screen does not hold.
    HookList<void(Transaction& form, RecordCursor& record)> beforeStore;
    /// Before the database transaction begins: the questions a write needs
    /// (nothing is locked while the person answers). False: nothing is written.
    HookList<bool(Transaction& form)> beforeWrite;
    /// The record is locked and was found as it was read; its write
    /// transaction has not begun yet.
    HookList<void(Transaction& form)> afterLock;
    /// Inside the record's database transaction, after the record was
    /// stored (or, on a delete, before it is removed): what must be written
    /// with it. False rolls everything back (the hook has told the person why).
    HookList<bool(Transaction& form)> withinWrite;
    /// After the write was committed and audited.
    HookList<void(Transaction& form, Mode written)> afterWrite;
    /// Replaces the audit sentence the wording builds.
    std::function<QString(const Transaction& form)> auditText;
    /// Runs before the reference checks of a delete: a refusal of the
    /// member's own (shown with the exclamation icon; the delete stops; an
    /// empty message: the hook has told the person itself).
    std::function<FieldVerdict(Transaction& form)> deleteVerdict;
    /// A command was pressed (after its guards): what it does beyond
    /// opening its object.
    std::function<void(Transaction& form, const CommandDecl& command)> command;
    /// The form closed.
    HookList<void(const Transaction& form)> closed;
    /// After the stored record was read onto the screen (a modify or a
    /// display, and again after a reread): fill what the screen shows
    /// beside the stored fields.
    HookList<void(Transaction& form)> afterRead;
};

struct LineTableDecl;

/// The title of a window whose title depends on the data, read when it opens.
using WindowTitle = std::function<QString(Database& database, const QString& declaredTitle)>;

/// A transaction as data.
struct TransactionDecl {
    QString name;    ///< "TCATEGOR"
    QString title;   ///< "Categoría"
    QString table;   ///< "CATEGORI"
    QString index;   ///< "ICATEGOR"; empty: the table's primary index
    QList<FieldDecl> fields;  ///< screen order, key fields first
    QString keyMissingMessage;  ///< "Falta número de cargo"
    QList<DeleteCheck> deleteChecks;  ///< in the order they are made
    QString deleteQuestion = QStringLiteral("¿Realmente desea eliminar estos datos? ");
    AuditWording audit;
    QString syncGroup;        ///< "Car"; empty: no automatic-copy guard
    int permissionPosition = 8;  ///< the character of "Permisos" that must be "M"
    QStringList pages;        ///< tab captions; empty: one page
    QString helpTopic;        ///< "HLP_TFunAtri.htm"; empty: the help file's first topic
    WindowTitle titleFunction;  ///< set: the title shown instead of `title`
    QList<ComputedLabel> labels;  ///< computed when the form starts
    QList<CommandDecl> commands;  ///< buttons of the form beyond Confirm, Help, Close
    const LineTableDecl* lines = nullptr;  ///< a grid of lines under the record
    TransactionHooks hooks;
};

/// The engine that runs any TransactionDecl.
class Transaction {
public:
    Transaction(const TransactionDecl& declaration, Database& database, UiPort& ui);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Opens the cursors, reads the switches and the permission, enables the
    /// inputs and, by mode, shows (DSP) or deletes (DLT) the record of `key`.
    /// A key of "0" or blanks means that none was passed. Composite keys
    /// come as their values joined by tabs.
    void start(const QString& key, const QString& modeText);
    /// The key of the last record handled and the final mode, for the caller.
    void handBack(QString& key, QString& modeText) const;

    const TransactionDecl& declaration() const { return declaration_; }
    /// The window's title: the declared one, or what the title function
    /// made of it when the form was created.
    QString title() const { return title_; }
    Database& database() const { return database_; }
    UiPort& ui() const { return ui_; }
    Mode mode() const { return mode_; }

    int fieldCount() const { return int(declaration_.fields.size()); }
    const FieldDecl& field(int position) const;
    /// The position of field `name` (any letter case), 0 when unknown.
    int position(const QString& name) const;

    /// The text input `position` shows.
    QString text(int position) const;
    /// What the person typed into input `position`. False (and the reason in
    /// `error`) when the text does not fit the field's picture; the value
    /// stays as it was.
    bool setText(int position, const QString& text, QString* error = nullptr);
    /// The value of field `name` as it will be written.
    QVariant value(const QString& name) const;
    void setValue(const QString& name, const QVariant& value);
    /// The value read from the table for `name` (the record as last sought).
    QVariant recordValue(const QString& name) const;
    /// The value and the value read of the field at `position`, without a
    /// copy: for sentences that compare many fields.
    const QVariant& valueAt(int position) const { return screen_.at(position - 1); }
    const QVariant& recordValueAt(int position) const { return record_.at(position - 1); }
    /// Whether every field holds the value read from the table: a change's
    /// audit sentence, which compares them one by one, has nothing to tell
    /// then.
    bool screenMatchesRecord() const;
    /// The description shown beside a reference field.
    QString referenceDescription(int position) const;
    /// The choices code list `position` offers now: its own choices, or
    /// those its `choicesNow` gives for the form as it stands.
    QList<CodeChoice> choices(int position) const;

    bool isEnabled(int position) const;
    bool isReadOnly(int position) const;

    /// The input `name` (the table's field) shows; what the person typed
    /// into it, as setText; the position counts from 1 in screen order.
    QString text(const QString& name) const { return text(position(name)); }
    bool setText(const QString& name, const QString& text, QString* error = nullptr);
    /// Whether check box `position` is checked.
    bool isChecked(int position) const;

    /// The text of computed label `index` (of declaration().labels).
    QString labelText(int index) const { return labels_.value(index); }

    /// The lines under the record, or nullptr for a one-level form.
    LineTable* lines() const { return lines_.get(); }

    /// Whether command `action` can be pressed now.
    bool commandEnabled(const QString& action) const;
    /// Presses command `action`: its guards, then what it opens and its
    /// hook. False when a guard refused (already told) or there is none.
    bool press(const QString& action);

    /// A per-form object of a member (state kept between its hooks), made
    /// on first use and owned by this form.
    template <typename State>
    State& state()
    {
        std::shared_ptr<void>& slot = states_[std::type_index(typeid(State))];
        if (!slot)
            slot = std::make_shared<State>();
        return *static_cast<State*>(slot.get());
    }
    bool confirmEnabled() const { return confirmEnabled_; }
    /// The input the window should focus (0: leave the focus alone); reading
    /// it clears it.
    int takeFocusRequest();
    int focusRequest() const { return focusRequest_; }
    bool closeRequested() const { return closeRequested_; }
    bool isClosed() const { return closed_; }
    bool changed() const { return changed_; }
    /// The first field not yet validated (1 = the key).
    int validationStage() const { return stage_; }
    const SyncSwitches& switches() const { return switches_; }

    /// The focus entered input `position`: validates the fields before it,
    /// from the validation stage on. Entering a key input sends the stage
    /// back to 1. False when a field failed; the focus request names it.
    bool focusEntered(int position);
    /// Confirm: validation, delete preparation, automatic-copy guard, lock
    /// and change check, write, synchronisation mark and audit, then clear
    /// for the next record (INS) or close. True when a record was written.
    bool confirm();
    /// Close: status bar emptied, cursors closed, locks released. Nothing
    /// on the screen is written.
    void close();
    /// The window became active again: panel 1 shows the mode code.
    void activated();
    /// Reads the record on the form and its lines again from the tables,
    /// dropping what was typed: after another object changed them (a line
    /// copied, the header changed through its own form).
    void rereadRecord();

private:
    struct Values {
        QVector<QVariant> byField;
    };

    int keyCount() const { return keyCount_; }
    bool isKey(int position) const { return position >= 1 && position <= keyCount_; }
    const FieldDef* storedField(int position) const;
    bool isNumeric(int position) const;
    QVariant emptyValueOf(int position) const;
    QVariant normalized(int position, const QVariant& value) const;
    bool sameValue(int position, const QVariant& left, const QVariant& right) const;
    bool isBlank(int position, const QVariant& value) const;
    QVariantList keyValues() const;
    /// The key as the caller gets it back: plain values joined by tabs.
    QString keyArgument() const;
    /// The key as audit sentences show it.
    QString auditKeyText() const;
    QString auditValueText(int position) const;
    bool nonKeyRecordChanged() const;
    QString displayValue(int position, const QVariant& value) const;

    void openCursors();
    void applyFieldEnabling();
    void requestFocus(int position) { focusRequest_ = position; }
    int firstEditablePosition() const;
    void showModeWord();
    void requestClose() { closeRequested_ = true; }
    void finishCommand();
    void readRecordValues();
    void takeRecordAsScreen();
    void clearNonKeyFields();
    bool seekKey();
    bool readPassedRecord();
    void setKeyFromText(const QString& key);
    /// After a key that was not passed whole: the fields the caller sets
    /// take their part of `key`.
    void keepCallerFields(const QString& key);
    void clearForNextRecord();

    bool validateRange(int last);
    bool runConfirm();
    bool validateField(int position);
    bool validateKey();
    bool validateReference(int position);
    bool applyVerdict(int position, const FieldVerdict& verdict);

    bool prepareDelete();
    bool referenceFound(int checkIndex);
    bool seekFinds(TableCursor& cursor, const QString& index, const QStringList& fields);
    void applyDefaults();
    void runDerivation(int position);
    /// Locks the record and reads it again (inside its write transaction,
    /// begun here, when `insideWrite`); false, with nothing locked or
    /// begun, when it is held by another or changed since it was read.
    bool lockAndCheck(bool insideWrite);
    bool refuseAsModified();
    bool unchangedInsideWrite();
    /// The lines and the members' own writes, inside the record's
    /// database transaction.
    bool writeDependents();
    FlagValues flagValues(int position) const;
    const CommandDecl* command(const QString& action) const;
    bool write();
    bool insertRecord();
    bool updateRecord();
    bool deleteRecord();
    DbError storeFields(bool withKey);
    /// Sets the fields and stores the record inside one database
    /// transaction; a failure is rolled back and reported.
    bool storeInTransaction(bool withKey);
    void reportWriteError(const DbError& error);
    void auditAndMark(Mode written);
    QString composeAuditText(Mode written) const;
    std::shared_ptr<TableCursor> checkCursor(const DeleteCheck& check);

    const TransactionDecl& declaration_;
    QString title_;
    Database& database_;
    UiPort& ui_;

    Mode mode_ = Mode::Insert;
    Mode initialMode_ = Mode::Insert;
    const TableDef* table_ = nullptr;
    QString keyPassed_;
    bool hasKeyPassed_ = false;
    QString lastKey_;
    int keyCount_ = 0;
    QVector<QVariant> screen_;
    QVector<QVariant> record_;
    QVector<QVariant> asRead_;
    QVector<QVariant> loaded_;
    QVector<QString> referenceDescriptions_;
    QVariantList previousKey_;
    bool recordFound_ = false;
    bool changed_ = false;
    int stage_ = 1;
    bool lockHeld_ = false;
    /// The record was locked and checked inside its write transaction,
    /// which stays open for the write.
    bool lockedInsideWrite_ = false;
    bool closeRequested_ = false;
    bool closed_ = false;
    bool busy_ = false;
    bool started_ = false;
    bool confirmEnabled_ = true;
    bool keyEnabled_ = true;
    bool readOnly_ = false;
    int focusRequest_ = 0;
    SyncSwitches switches_;
    std::unique_ptr<TableCursor> own_;
    /// Whether record_ holds what was read of the row own_ stands on (set by
    /// seekKey, cleared by anything that moves or writes own_).
    bool recordIsCursorRow_ = false;
    QList<std::shared_ptr<TableCursor>> checkCursors_;
    QStringList labels_;
    std::unique_ptr<LineTable> lines_;
    std::unordered_map<std::type_index, std::shared_ptr<void>> states_;
    QHash<QString, int> positions_;  ///< each field's name as declared and in lower case
    QVector<const FieldDef*> storedFields_;  ///< by position - 1; null for a screen-only field
    QVector<int> storedColumns_;             ///< their columns in own_, by position - 1; -1 when none
};
