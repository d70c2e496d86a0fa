// uordane-admin panel: lists a work panel on the console, after its filters
// and the buttons pressed on its rows.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "console/panel_script.h"
#include "console/session.h"

#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"panel OBJETO "_s + Company::usage()
    + u" [--filter CAMPO=VALOR]... [--press ACCION [--row N]]... [--answer si|no]..."
      " [--usuario NOMBRE] [--permisos CADENA]"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

int runPanel(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);

    PanelScript script;
    ConsoleSession session;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size();) {
        if (takeSessionOption(arguments, at, session, &problem)) {
            if (!problem.isEmpty())
                return refuseUsage(problem);
            continue;
        }
        const QString& argument = arguments.at(at++);
        const bool hasValue = at < arguments.size();
        if (argument == u"--filter") {
            const QString assignment = hasValue ? arguments.at(at++) : QString();
            const qsizetype equals = assignment.indexOf(u'=');
            if (equals <= 0)
                return refuseUsage(u"Se esperaba --filter CAMPO=VALOR"_s);
            script.filters.append({assignment.left(equals), assignment.mid(equals + 1)});
        } else if (argument == u"--press") {
            if (!hasValue)
                return refuseUsage(u"Falta el valor de --press"_s);
            script.presses.append({arguments.at(at++), 0});
        } else if (argument == u"--row") {
            bool number = false;
            const int row = hasValue ? arguments.at(at++).toInt(&number) : 0;
            if (!number || row <= 0)
                return refuseUsage(u"--row espera un número de fila desde 1"_s);
            if (script.presses.isEmpty())
                return refuseUsage(u"--row va después del --press al que se refiere"_s);
            script.presses.last().row = row;
        } else if (argument.startsWith(u"--")) {
            return refuseUsage(u"Opción desconocida: "_s + argument);
        } else {
            positional.append(argument);
        }
    }
    return runObjectCommand(
        positional, company, session, script.object,
        [&script](Database& database, ConsoleUiPort& ui, QTextStream& out, QString* problem) {
            return runPanelScript(script, database, ui, out, problem);
        },
        &refuseUsage, &adminErr);
}

const AdminCommand command("panel", usage, &runPanel);

}  // namespace
