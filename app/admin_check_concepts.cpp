// uordane-admin check-concepts: the concepts' consistency control. Writes
// "avisos.txt" (in the current folder, or where --archivo says) and prints
// its warnings, one a line; none printed means none found.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "data/database.h"
#include "payroll/concept_consistency.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"check-concepts "_s + Company::usage() + u" [--archivo RUTA]"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

int runCheckConcepts(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);
    QString file = QDir::current().filePath(QString::fromUtf16(consistencyFileName));
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size();) {
        const QString& argument = arguments.at(at++);
        if (argument == u"--archivo") {
            if (at >= arguments.size())
                return refuseUsage(u"Falta el valor de --archivo"_s);
            file = QFileInfo(arguments.at(at++)).absoluteFilePath();
        } else if (argument.startsWith(u"--")) {
            return refuseUsage(u"Opción desconocida: "_s + argument);
        } else {
            positional.append(argument);
        }
    }
    if (positional.size() > 1)
        return refuseUsage(u"Sobra el argumento: "_s + positional.at(1));
    if (!company.settle(positional.value(0), &problem))
        return refuseUsage(problem);
    std::unique_ptr<Database> database = company.open(&problem, Database::OpenMode::ReadOnly);
    if (!database) {
        adminErr(problem);
        return ExitUsage;
    }
    QTextStream err(stderr);
    ConsoleUiPort ui(err, err);
    QStringList warnings;
    const ProcedureResult result = PCTRCON2(*database, ui, file, &warnings);
    if (!result.ok()) {
        ui.message(result.message, MessageIcon::Exclamation);
        return ExitRefused;
    }
    for (const QString& warning : warnings)
        adminOut(warning);
    return ExitDone;
}

const AdminCommand command("check-concepts", usage, &runCheckConcepts);

}  // namespace
