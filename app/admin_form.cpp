// uordane-admin form: fills in and confirms any transaction from the command
// line, step by step as a person would, or runs a procedure window by its
// named inputs (--set NOMBRE=VALOR).
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "console/form_script.h"
#include "console/session.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"form OBJETO "_s + Company::usage()
    + u" [--mode INS|UPD|DLT|DSP] [--key VALOR]... [--set CAMPO=VALOR]... [--row N:CAMPO=VALOR]..."
      " [--delete-row N]... [--press ACCION]... [--answer si|no]... [--usuario NOMBRE] [--permisos CADENA]"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

int runForm(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);

    FormScript script;
    ConsoleSession session;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size();) {
        if (takeFormStep(arguments, at, script.steps, &problem)
            || takeSessionOption(arguments, at, session, &problem)) {
            if (!problem.isEmpty())
                return refuseUsage(problem);
            continue;
        }
        const QString& argument = arguments.at(at++);
        if (argument == u"--mode") {
            if (at >= arguments.size())
                return refuseUsage(u"Falta el valor de --mode"_s);
            script.mode = arguments.at(at++).toUpper();
        } else if (argument.startsWith(u"--")) {
            return refuseUsage(u"Opción desconocida: "_s + argument);
        } else {
            positional.append(argument);
        }
    }
    return runObjectCommand(
        positional, company, session, script.object,
        [&script](Database& database, ConsoleUiPort& ui, QTextStream& out, QString* problem) {
            return runFormScript(script, database, ui, out, problem);
        },
        &refuseUsage, &adminErr);
}

const AdminCommand command("form", usage, &runForm);

}  // namespace
