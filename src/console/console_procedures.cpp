#include "console/console_procedures.h"

#include "console/form_script.h"

#include <QMap>

using namespace Qt::StringLiterals;

namespace {

QMap<QString, ConsoleProcedure>& registry()
{
    static QMap<QString, ConsoleProcedure> procedures;
    return procedures;
}

/// The program's procedures, registered before the first look-up (the
/// console library is not linked whole, so static registrations would be
/// dropped).
QMap<QString, ConsoleProcedure>& filledRegistry()
{
    static const bool filled = [] {
        registerConceptConsoleProcedures();
        return true;
    }();
    (void)filled;
    return registry();
}

/// The declared spelling of `name` among `inputs`, or empty.
QString declaredInput(const QStringList& inputs, const QString& name)
{
    for (const QString& input : inputs) {
        if (input.compare(name, Qt::CaseInsensitive) == 0)
            return input;
    }
    return {};
}

}  // namespace

void ConsoleProcedures::add(const ConsoleProcedure& procedure)
{
    registry().insert(procedure.name.trimmed().toUpper(), procedure);
}

const ConsoleProcedure* ConsoleProcedures::find(const QString& name)
{
    const QMap<QString, ConsoleProcedure>& procedures = filledRegistry();
    const auto found = procedures.constFind(name.trimmed().toUpper());
    return found == procedures.constEnd() ? nullptr : &found.value();
}

bool consoleFlag(const QString& value)
{
    const QString flag = value.trimmed().toUpper();
    return flag == u"S" || flag == u"SI" || flag == u"SÍ" || flag == u"1" || flag == u"X";
}

ExitStatus runConsoleProcedure(const ConsoleProcedure& procedure, const FormScript& script, Database& database,
                               ConsoleUiPort& ui, QTextStream& out, QString* problem)
{
    const QString inputList = procedure.inputs.join(u", "_s);
    if (script.mode.compare(u"INS"_s, Qt::CaseInsensitive) != 0) {
        *problem = procedure.name + u" es un procedimiento: no tiene modos"_s;
        return ExitUsage;
    }
    ProcedureInputs inputs;
    int keysGiven = 0;
    for (const FormStep& step : script.steps) {
        switch (step.kind) {
        case FormStep::Kind::Key:
            if (keysGiven++ > 0 || procedure.inputs.isEmpty()) {
                *problem = procedure.name + u" recibe una sola clave"_s;
                return ExitUsage;
            }
            inputs.insert(procedure.inputs.first(), step.value);
            break;
        case FormStep::Kind::Set: {
            const QString input = declaredInput(procedure.inputs, step.field);
            if (input.isEmpty()) {
                *problem = procedure.name + u" no tiene el dato "_s + step.field + u". Datos: "_s + inputList;
                return ExitUsage;
            }
            inputs.insert(input, step.value);
            break;
        }
        case FormStep::Kind::Row:
        case FormStep::Kind::DeleteRow:
        case FormStep::Kind::Press:
            *problem = procedure.name + u" es un procedimiento: solo valen --key y --set ("_s + inputList + u")"_s;
            return ExitUsage;
        }
    }
    ui.setDatabase(&database);
    return procedure.run(database, ui, inputs, out);
}
