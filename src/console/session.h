#pragma once

#include "console/console_ui_port.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Company;
class Database;
class QTextStream;

/// Who runs a console command and how its questions are answered: the
/// options --usuario NOMBRE (the user the audit names; the fixed supervisor
/// when not given), --permisos CADENA (every right when not given) and
/// --answer si|no (one per question, in order).
struct ConsoleSession {
    QString user = QStringLiteral("ADMIN");
    QString permissions;  ///< empty until defaults(): every right
    QList<bool> answers;

    /// Fills what the command line did not say.
    void defaults();
};

/// Reads one session option at `arguments[at]` with its value, moving `at`
/// past it. False when the argument is no session option; `problem` is set
/// when it is one but its value is wrong.
bool takeSessionOption(const QStringList& arguments, qsizetype& at, ConsoleSession& session, QString* problem);

/// What a console script does on an open company: its exit status, and the
/// usage problem in `problem` when that is ExitUsage.
using ConsoleScript = std::function<ExitStatus(Database& database, ConsoleUiPort& ui, QTextStream& out,
                                               QString* problem)>;

/// Opens `company`, puts the session's user and rights in the context,
/// answers questions from `session` and runs `script` on the console.
/// ExitUsage with the program's message in `problem` when the company
/// cannot be opened.
ExitStatus runOnCompany(const Company& company, ConsoleSession& session, const ConsoleScript& script,
                        QString* problem, bool* companyFailed);

/// The end of a console command over one object: `positional` holds the
/// object's name and the company folder (none on a server); the company is
/// settled and opened, and `script` runs on it. What goes wrong is said
/// through `refuseUsage` (wrong usage: it prints the usage too) or
/// `sayError` (a company that cannot be opened); the exit status is returned.
int runObjectCommand(QStringList positional, Company& company, ConsoleSession& session, QString& object,
                     const ConsoleScript& script, const std::function<int(const QString&)>& refuseUsage,
                     const std::function<void(const QString&)>& sayError);
