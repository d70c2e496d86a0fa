#pragma once

#include "console/console_ui_port.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

class Database;
class ConsoleUiPort;

// `uordane-admin form`: a transaction filled in and confirmed from the
// command line, step by step as a person would:
//
//   uordane-admin form TCATEGOR DEMO --mode INS --key 90 --set CatDesc=Capataz
//
// --key values fill the key fields in order; --set types into the field
// with that table field name and leaves it, so its checks and derived
// values run then; --row N:CAMPO=VALOR types into line N of the form's grid
// (a number past the last line adds a line); --delete-row N marks line N
// for deletion; --press presses a button by its action name. At the end
// Confirm is pressed, except in DSP, which prints the fields instead.

struct FormStep {
    enum class Kind { Key, Set, Row, DeleteRow, Press };
    Kind kind = Kind::Key;
    int row = 0;    ///< line number from 1 (--row, --delete-row)
    QString field;  ///< table field name (--set, --row)
    QString value;  ///< what is typed, or the action pressed
};

struct FormScript {
    QString object;
    QString mode = QStringLiteral("INS");
    QList<FormStep> steps;  ///< in command-line order
};

/// Reads one step option at `arguments[at]` ("--key", "--set", "--row",
/// "--delete-row", "--press") with its value, moving `at` past it. Returns
/// false and leaves `at` when the argument is no step; sets `problem` when
/// it is one but its value is malformed.
bool takeFormStep(const QStringList& arguments, qsizetype& at, QList<FormStep>& steps, QString* problem);

/// Runs `script` on `database`; messages and questions go through `ui`,
/// the fields of a DSP to `out`. Returns the exit status: done, refused, or
/// usage when the script names what the form does not have (`problem` then
/// says what).
ExitStatus runFormScript(const FormScript& script, Database& database, ConsoleUiPort& ui, QTextStream& out,
                         QString* problem);
