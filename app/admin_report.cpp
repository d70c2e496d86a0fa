// uordane-admin report: runs a user-defined report of a company's database
// and writes it as a PDF file or an .xlsx workbook, without a window.
// --filter CAMPO=CONDICION gives the condition of a filter asked when the
// report runs (CAMPO is the field's number in the catalogue or its
// description), replaces a fixed one, or adds one.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "data/database.h"
#include "reports/kqrview.h"
#include "reports/listings.h"
#include "reports/report_run.h"
#include "ui/report_render.h"

#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

QString usage()
{
    return u"report "_s + Company::usage() + u" NUMERO (--pdf ARCHIVO | --xlsx ARCHIVO) [--filter CAMPO=CONDICION]..."_s;
}

struct ReportOptions {
    Company company;
    int report = 0;
    QString pdf;
    QString xlsx;
    QStringList filters;  ///< "CAMPO=CONDICION" as given
};

bool parseOptions(const QStringList& given, ReportOptions& options, QString& problem)
{
    QStringList arguments = given;
    if (!options.company.takeServerOptions(arguments, &problem))
        return false;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        QString* target = argument == u"--pdf" ? &options.pdf : argument == u"--xlsx" ? &options.xlsx : nullptr;
        if (target || argument == u"--filter") {
            if (at + 1 >= arguments.size()) {
                problem = u"Falta el valor de "_s + argument;
                return false;
            }
            if (target)
                *target = arguments.at(++at);
            else
                options.filters.append(arguments.at(++at));
        } else if (argument.startsWith(u"--")) {
            problem = u"Opción desconocida: "_s + argument;
            return false;
        } else {
            positional.append(argument);
        }
    }
    const qsizetype wanted = options.company.onServer() ? 1 : 2;
    if (positional.size() != wanted) {
        problem = positional.size() < wanted ? u"Falta el número del informe"_s
                                             : u"Sobra el argumento: "_s + positional.last();
        return false;
    }
    bool number = false;
    options.report = positional.last().toInt(&number);
    if (!number || options.report <= 0) {
        problem = u"Número de informe inválido: "_s + positional.last();
        return false;
    }
    if (options.pdf.isEmpty() == options.xlsx.isEmpty()) {
        problem = u"Indique --pdf ARCHIVO o --xlsx ARCHIVO (uno de los dos)"_s;
        return false;
    }
    return options.company.settle(options.company.onServer() ? QString() : positional.first(), &problem);
}

/// The catalogue field a --filter names: its number or its description.
int fieldNamed(const ReportFieldCatalogue& catalogue, const QString& name)
{
    bool number = false;
    const int id = name.trimmed().toInt(&number);
    if (number)
        return catalogue.contains(id) ? id : 0;
    for (const ReportCatalogueField& entry : catalogue) {
        if (entry.description.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return entry.id;
    }
    return 0;
}

int runReportCommand(const QStringList& arguments)
{
    ReportOptions options;
    QString problem;
    if (!parseOptions(arguments, options, problem)) {
        adminErr(problem);
        adminErr(u"uso: uordane-admin "_s + usage());
        return ExitUsage;
    }
    std::unique_ptr<Database> database = options.company.open(&problem);
    if (!database) {
        adminErr(problem);
        return ExitUsage;
    }
    ReportFieldCatalogue catalogue;
    if (!readReportCatalogue(*database, catalogue, &problem)) {
        adminErr(problem);
        return ExitRefused;
    }
    ReportRunOptions run;
    for (const QString& filter : options.filters) {
        const qsizetype equals = filter.indexOf(u'=');
        const int field = equals > 0 ? fieldNamed(catalogue, filter.left(equals)) : 0;
        if (field == 0) {
            adminErr(u"Filtro inválido (se espera CAMPO=CONDICION con un campo del catálogo): "_s + filter);
            return ExitUsage;
        }
        run.extraFilters.insert(field, filter.mid(equals + 1));
    }
    options.company.putContext(u"admin"_s, QString());
    QTextStream err(stderr);
    ConsoleUiPort ui(err, err);
    ui.setDatabase(database.get());

    ReportRunResult result;
    QString written;
    if (!options.xlsx.isEmpty()) {
        written = QFileInfo(options.xlsx).absoluteFilePath();
        result = writeReportWorkbook(*database, ui, options.report, run, written);
    } else {
        QString company;
        ListingResult companyError;
        readCompanyName(*database, company, companyError);
        // No output is installed: the pages stay here and go to the file.
        KQRView view(nullptr);
        result = printReport(*database, ui, options.report, run, view, company, u"admin"_s);
        written = QFileInfo(options.pdf).absoluteFilePath();
        if (result.ok && !writePdf(view.document(), options.pdf, problem)) {
            adminErr(problem);
            return ExitRefused;
        }
    }
    if (!result.ok) {
        ui.message(result.message, MessageIcon::Exclamation);
        return ExitRefused;
    }
    for (const QString& notice : result.notices)
        ui.message(notice, MessageIcon::Information);
    adminOut(u"Informe "_s + QString::number(options.report) + u": "_s + QString::number(result.rows)
             + u" fila(s) en "_s + written);
    return ExitDone;
}

const AdminCommand command("report", usage(), &runReportCommand);

}  // namespace
