#include "console/form_script.h"

#include "console/console_objects.h"
#include "console/console_procedures.h"
#include "console/console_ui_port.h"
#include "engine/modes.h"
#include "engine/transaction.h"
#include "startup/main_menu.h"
#include "engine/lines.h"

using namespace Qt::StringLiterals;

bool takeFormStep(const QStringList& arguments, qsizetype& at, QList<FormStep>& steps, QString* problem)
{
    const QString& option = arguments.at(at);
    FormStep step;
    if (option == u"--key")
        step.kind = FormStep::Kind::Key;
    else if (option == u"--set")
        step.kind = FormStep::Kind::Set;
    else if (option == u"--row")
        step.kind = FormStep::Kind::Row;
    else if (option == u"--delete-row")
        step.kind = FormStep::Kind::DeleteRow;
    else if (option == u"--press")
        step.kind = FormStep::Kind::Press;
    else
        return false;
    if (at + 1 >= arguments.size()) {
        *problem = u"Falta el valor de "_s + option;
        return true;
    }
    const QString value = arguments.at(at + 1);
    at += 2;

    auto lineNumber = [&](const QString& text) {
        bool number = false;
        step.row = text.toInt(&number);
        if (!number || step.row <= 0)
            *problem = u"Número de línea inválido en "_s + option + u' ' + value;
        return number && step.row > 0;
    };
    switch (step.kind) {
    case FormStep::Kind::Key:
    case FormStep::Kind::Press:
        step.value = value;
        break;
    case FormStep::Kind::DeleteRow:
        if (!lineNumber(value))
            return true;
        break;
    case FormStep::Kind::Set:
    case FormStep::Kind::Row: {
        QString assignment = value;
        if (step.kind == FormStep::Kind::Row) {
            const qsizetype colon = value.indexOf(u':');
            if (colon < 0 || !lineNumber(value.left(colon))) {
                if (problem->isEmpty())
                    *problem = u"Se esperaba --row N:CAMPO=VALOR, no "_s + value;
                return true;
            }
            assignment = value.mid(colon + 1);
        }
        const qsizetype equals = assignment.indexOf(u'=');
        if (equals <= 0) {
            *problem = u"Se esperaba CAMPO=VALOR después de "_s + option + u", no "_s + value;
            return true;
        }
        step.field = assignment.left(equals);
        step.value = assignment.mid(equals + 1);
        break;
    }
    }
    steps.append(step);
    return true;
}

namespace {

bool isKeyPosition(const Transaction& form, int position)
{
    return form.field(position).kind == FieldKind::Key;
}

int keyFieldCount(const Transaction& form)
{
    int count = 0;
    for (int position = 1; position <= form.fieldCount(); ++position)
        count += isKeyPosition(form, position) ? 1 : 0;
    return count;
}

QString keyArgument(const FormScript& script)
{
    QStringList keys;
    for (const FormStep& step : script.steps) {
        if (step.kind == FormStep::Kind::Key)
            keys.append(step.value);
    }
    return keys.join(u'\t');
}

/// Whether the record of `key` is there: the form opened to display it
/// finds it. Nothing is shown.
bool recordExists(const TransactionDecl& declaration, Database& database, const QString& key)
{
    SilentUiPort silent;
    Transaction probe(declaration, database, silent);
    probe.start(key, u"DSP"_s);
    const bool found = !probe.isClosed() && !probe.closeRequested();
    probe.close();
    return found;
}

void printFields(Transaction& form, QTextStream& out)
{
    for (int position = 1; position <= form.fieldCount(); ++position)
        out << form.field(position).name << u'\t' << form.text(position).trimmed() << u'\n';
    const LineTable* lines = LineTable::of(form);
    if (!lines)
        return;
    for (int row = 0; row < lines->rowCount(); ++row) {
        for (int column = 0; column < lines->columnCount(); ++column) {
            out << row + 1 << u':' << lines->declaration().columns.at(column).field << u'\t'
                << lines->text(row, column).trimmed() << u'\n';
        }
    }
    if (const auto& summary = lines->declaration().summary)
        out << u"Resumen\t"_s << summary(*lines) << u'\n';
}

/// Presses Confirm. A window shows a Confirm the user may not press
/// disabled; here the press is refused in words.
bool pressConfirm(Transaction& form, ConsoleUiPort& ui)
{
    if (!form.confirmEnabled() && !form.isClosed()) {
        ui.message(noPermissionMessage, MessageIcon::Exclamation);
        return false;
    }
    return form.confirm();
}

int columnOf(const LineTable& lines, const QString& field)
{
    const QList<LineColumn>& columns = lines.declaration().columns;
    for (int column = 0; column < int(columns.size()); ++column) {
        if (columns.at(column).field.compare(field, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

/// Runs the steps of one form. Each step either goes on, or stops the
/// script as refused (the form has said why) or as wrong usage.
class FormRun {
public:
    FormRun(Transaction& form, ConsoleUiPort& ui, QString* problem) : form_(form), ui_(ui), problem_(problem) {}

    ExitStatus run(const FormStep& step)
    {
        switch (step.kind) {
        case FormStep::Kind::Key:
            return typeKey(step.value);
        case FormStep::Kind::Set:
            return set(step.field, step.value);
        case FormStep::Kind::Row:
            return typeIntoLine(step.row, step.field, step.value);
        case FormStep::Kind::DeleteRow:
            return deleteLine(step.row);
        case FormStep::Kind::Press:
            return press(step.value);
        }
        return ExitUsage;
    }

    bool closedByPress() const { return closedByPress_; }

private:
    ExitStatus usage(const QString& text)
    {
        *problem_ = text;
        return ExitUsage;
    }

    /// Types `text` into input `position`: a text that does not fit is
    /// refused in a message box, as the window does.
    ExitStatus type(int position, const QString& text)
    {
        QString error;
        if (form_.setText(position, text, &error))
            return ExitDone;
        ui_.message(error, MessageIcon::Exclamation);
        return ExitRefused;
    }

    ExitStatus typeKey(const QString& value)
    {
        const int position = ++keysTyped_;
        if (position > keyFieldCount(form_))
            return usage(u"El formulario "_s + form_.declaration().name + u" tiene "_s
                         + QString::number(keyFieldCount(form_)) + u" campo(s) de clave"_s);
        if (!form_.focusEntered(position))
            return ExitRefused;
        return type(position, value);
    }

    ExitStatus set(const QString& field, const QString& value)
    {
        const int position = form_.position(field);
        if (position == 0)
            return usage(u"El formulario "_s + form_.declaration().name + u" no tiene el campo "_s + field);
        // Entering the input validates the fields before it; leaving it
        // (for the next one) validates it.
        if (!form_.focusEntered(position))
            return ExitRefused;
        if (const ExitStatus typed = type(position, value); typed != ExitDone)
            return typed;
        return form_.focusEntered(position + 1) ? ExitDone : ExitRefused;
    }

    /// The form's lines, read for the key on the form: a person leaves the
    /// key fields (which reads the record) before working on the lines.
    /// Null when the form has none, or when the key was refused (`refused`).
    LineTable* lines(bool& refused)
    {
        refused = false;
        LineTable* table = LineTable::of(form_);
        if (!table)
            return nullptr;
        if (!form_.focusEntered(keyFieldCount(form_) + 1) || form_.isClosed()) {
            refused = true;
            return nullptr;
        }
        table->follow();
        return table;
    }

    ExitStatus typeIntoLine(int row, const QString& field, const QString& value)
    {
        bool refused = false;
        LineTable* table = lines(refused);
        if (refused)
            return ExitRefused;
        if (!table)
            return usage(u"El formulario "_s + form_.declaration().name + u" no tiene líneas"_s);
        const int column = columnOf(*table, field);
        if (column < 0)
            return usage(u"Las líneas de "_s + form_.declaration().name + u" no tienen el campo "_s + field);
        int index = row - 1;
        if (index >= table->rowCount()) {
            index = table->addLine();
            if (index < 0) {
                ui_.message(u"El campo no se puede modificar"_s, MessageIcon::Exclamation);
                return ExitRefused;
            }
        }
        QString error;
        if (table->setText(index, column, value, &error))
            return ExitDone;
        ui_.message(error, MessageIcon::Exclamation);
        return ExitRefused;
    }

    ExitStatus deleteLine(int row)
    {
        bool refused = false;
        LineTable* table = lines(refused);
        if (refused)
            return ExitRefused;
        if (!table)
            return usage(u"El formulario "_s + form_.declaration().name + u" no tiene líneas"_s);
        if (row > table->rowCount())
            return usage(u"No existe la línea "_s + QString::number(row) + u"; el formulario tiene "_s
                         + QString::number(table->rowCount()));
        if (!table->editable()) {
            ui_.message(u"El campo no se puede modificar"_s, MessageIcon::Exclamation);
            return ExitRefused;
        }
        table->markForDeletion(row - 1);
        return ExitDone;
    }

    /// The form's buttons by the names a person reads on them.
    ExitStatus press(const QString& action)
    {
        if (action.compare(u"Confirmar"_s, Qt::CaseInsensitive) == 0)
            return pressConfirm(form_, ui_) ? ExitDone : ExitRefused;
        if (action.compare(u"Cerrar"_s, Qt::CaseInsensitive) == 0) {
            form_.close();
            closedByPress_ = true;
            return ExitDone;
        }
        for (const CommandDecl& command : form_.declaration().commands) {
            if (command.action.compare(action, Qt::CaseInsensitive) == 0)
                return form_.press(command.action) ? ExitDone : ExitRefused;
        }
        QStringList actions{u"Confirmar"_s, u"Cerrar"_s};
        for (const CommandDecl& command : form_.declaration().commands)
            actions << command.action;
        return usage(u"El formulario "_s + form_.declaration().name + u" no tiene la acción "_s + action
                     + u". Acciones: "_s + actions.join(u", "_s));
    }

    Transaction& form_;
    ConsoleUiPort& ui_;
    QString* problem_;
    int keysTyped_ = 0;
    bool closedByPress_ = false;
};

ExitStatus runDelete(const TransactionDecl& declaration, const QString& key, Database& database,
                     ConsoleUiPort& ui)
{
    const bool existed = recordExists(declaration, database, key);
    Transaction form(declaration, database, ui);
    // The form reads the record, checks its references and asks, all as it
    // starts, and closes whatever the answer.
    form.start(key, u"DLT"_s);
    if (existed && !form.confirmEnabled())
        ui.message(noPermissionMessage, MessageIcon::Exclamation);
    if (!form.isClosed())
        form.close();
    return existed && !recordExists(declaration, database, key) ? ExitDone : ExitRefused;
}

ExitStatus runDisplay(const TransactionDecl& declaration, const QString& key, Database& database,
                      ConsoleUiPort& ui, QTextStream& out)
{
    Transaction form(declaration, database, ui);
    form.start(key, u"DSP"_s);
    if (form.isClosed() || form.closeRequested()) {
        form.close();
        return ExitRefused;
    }
    printFields(form, out);
    out.flush();
    form.close();
    return ExitDone;
}

}  // namespace

ExitStatus runFormScript(const FormScript& script, Database& database, ConsoleUiPort& ui, QTextStream& out,
                         QString* problem)
{
    const ConsoleObject object = findObject(script.object);
    if (!object.transaction) {
        // A procedure window is filled in by its named inputs.
        if (const ConsoleProcedure* procedure = ConsoleProcedures::find(script.object))
            return runConsoleProcedure(*procedure, script, database, ui, out, problem);
        *problem = object.panel ? script.object + u" es un panel: use uordane-admin panel"_s
                                : u"No existe el formulario "_s + script.object;
        return ExitUsage;
    }
    const std::optional<Mode> mode = modeFromCode(script.mode);
    if (!mode) {
        *problem = u"Modo inválido: "_s + script.mode + u" (INS, UPD, DLT o DSP)"_s;
        return ExitUsage;
    }
    ui.setDatabase(&database);
    const TransactionDecl& declaration = *object.transaction;
    switch (*mode) {
    case Mode::Delete:
    case Mode::Display: {
        // These modes work on the record of the key the form is opened with;
        // there is nothing to type.
        for (const FormStep& step : script.steps) {
            if (step.kind != FormStep::Kind::Key) {
                *problem = u"En modo "_s + modeCode(*mode) + u" solo valen --key y --answer"_s;
                return ExitUsage;
            }
        }
        const QString key = keyArgument(script);
        if (key.isEmpty()) {
            *problem = u"Falta --key: el modo "_s + modeCode(*mode) + u" trabaja sobre un registro"_s;
            return ExitUsage;
        }
        return *mode == Mode::Delete ? runDelete(declaration, key, database, ui)
                                     : runDisplay(declaration, key, database, ui, out);
    }
    case Mode::Insert:
    case Mode::Update:
        break;
    }

    Transaction form(declaration, database, ui);
    // No key passed: the keys are typed. An empty key means none for every
    // form; "0" would be a key of a form keyed by text.
    form.start(QString(), modeCode(*mode));
    FormRun run(form, ui, problem);
    ExitStatus status = form.isClosed() ? ExitRefused : ExitDone;
    for (const FormStep& step : script.steps) {
        if (status != ExitDone || run.closedByPress())
            break;
        status = run.run(step);
        // A form that closed itself (an unknown key in UPD) took nothing in.
        if (status == ExitDone && form.isClosed() && !run.closedByPress())
            status = ExitRefused;
    }
    if (status == ExitDone && !run.closedByPress() && !form.isClosed())
        status = pressConfirm(form, ui) ? ExitDone : ExitRefused;
    if (!form.isClosed())
        form.close();
    return status;
}
