#pragma once

// Procedures a console command runs by name with named inputs, as a person
// fills in a procedure window and confirms it:
//
//   uordane-admin form WCONCAMB DEMO --set Concepto=10 --set Nuevo=20
//       --set Existente=S --answer no
//
// `uordane-admin form` runs a transaction when the name is one, else the
// procedure of that name: --key fills its first input, --set NOMBRE=VALOR
// any input; questions are answered from --answer. What the procedure shows
// goes through the console port, what it prints (a preview, a list) to the
// command's standard output.

#include "console/console_ui_port.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

class Database;
struct FormScript;

/// The inputs given, by the name the procedure declares (an input not
/// given is absent).
using ProcedureInputs = QHash<QString, QString>;

struct ConsoleProcedure {
    QString name;
    QStringList inputs;  ///< the names --set accepts, in the window's order; --key fills the first
    /// Runs on an open company; returns the exit status.
    std::function<ExitStatus(Database& database, ConsoleUiPort& ui, const ProcedureInputs& inputs, QTextStream& out)>
        run;
};

namespace ConsoleProcedures {

/// Registers `procedure` (replacing one of that name).
void add(const ConsoleProcedure& procedure);
/// The procedure called `name` (any letter case), or nullptr.
const ConsoleProcedure* find(const QString& name);

}  // namespace ConsoleProcedures

/// Runs `procedure` with the inputs of `script`: its --key and --set steps.
/// ExitUsage with `problem` set when the script names an input the
/// procedure does not have, or has steps a procedure cannot take (lines,
/// buttons, a mode other than INS).
ExitStatus runConsoleProcedure(const ConsoleProcedure& procedure, const FormScript& script, Database& database,
                               ConsoleUiPort& ui, QTextStream& out, QString* problem);

/// Whether a flag input says yes: "S", "SI", "SÍ", "1" or "X" in any case.
bool consoleFlag(const QString& value);

/// Registers the concept procedures (the change of code); called once by
/// the registry before its first look-up.
void registerConceptConsoleProcedures();
