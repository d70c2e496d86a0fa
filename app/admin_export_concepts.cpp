// uordane-admin export-concepts: the concepts in code order to a spreadsheet
// file, as the export window writes it, and nothing opened afterwards. The
// format is the spreadsheet file of the payroll system ("html", written as
// the preference of ".\dorvo.ini" says) or a workbook ("xlsx"); without
// --format a name ending in ".xlsx" asks for a workbook.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "data/database.h"
#include "reports/concept_export.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"export-concepts "_s + Company::usage() + u" ARCHIVO [--formulas] [--format html|xlsx]"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

int runExportConcepts(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);
    bool formulas = false;
    QString format;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size();) {
        const QString& argument = arguments.at(at++);
        if (argument == u"--formulas") {
            formulas = true;
        } else if (argument == u"--format") {
            if (at >= arguments.size())
                return refuseUsage(u"Falta el formato después de --format (html o xlsx)"_s);
            format = arguments.at(at++).toLower();
            if (format != u"html" && format != u"xlsx")
                return refuseUsage(u"Formato desconocido: "_s + format + u" (html o xlsx)"_s);
        } else if (argument.startsWith(u"--")) {
            return refuseUsage(u"Opción desconocida: "_s + argument);
        } else {
            positional.append(argument);
        }
    }
    QString file;
    if (!company.settleWithFile(positional, u"Falta el archivo a escribir"_s, &file, &problem))
        return refuseUsage(problem);
    if (format.isEmpty())
        format = file.endsWith(u".xlsx"_s, Qt::CaseInsensitive) ? u"xlsx"_s : u"html"_s;

    std::unique_ptr<Database> database = company.open(&problem, Database::OpenMode::ReadOnly);
    if (!database) {
        adminErr(problem);
        return ExitUsage;
    }
    company.putContext(u"admin"_s, QString());
    QTextStream err(stderr);
    ConsoleUiPort ui(err, err);
    ui.setDatabase(database.get());

    ConceptExportOptions options;
    options.file = file;
    options.formulas = formulas;
    options.progressEvery = 1000;
    if (format == u"xlsx") {
        options.preference = int(SpreadsheetPreference::Workbook);
    } else {
        // The file of the payroll system as the company's preference writes it.
        const int preference = readSpreadsheetPreference(*database, u"CONCEPTOS"_s);
        options.preference = preference == int(SpreadsheetPreference::Workbook)
                                 ? int(SpreadsheetPreference::Program) : preference;
    }
    const ConceptExportResult result = PEXPCONE(*database, ui, options);
    if (!result.written) {
        ui.message(result.failure, MessageIcon::Exclamation);
        return ExitRefused;
    }
    adminOut(u"Conceptos exportados: "_s + QString::number(result.concepts) + u" en "_s
             + QString::number(result.rows) + u" filas; archivo "_s + QDir::toNativeSeparators(file));
    return ExitDone;
}

const AdminCommand command("export-concepts", usage, &runExportConcepts);

}  // namespace
