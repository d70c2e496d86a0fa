// uordane-admin listing: draws any listing of a company's database and
// writes it as a PDF file, without a window.
#include "admin_command.h"

#include "console/company.h"
#include "data/database.h"
#include "reports/kqrview.h"
#include "reports/listings.h"
#include "ui/report_render.h"

#include <QFileInfo>

namespace {

QString usage()
{
    return QStringLiteral("listing LISTADO ") + Company::usage() + QStringLiteral(" --pdf ARCHIVO");
}

struct ListingOptions {
    QString listing;
    Company company;
    QString pdf;
};

/// Reads the arguments; false with `problem` set when they make no sense.
bool parseOptions(const QStringList& given, ListingOptions& options, QString& problem)
{
    QStringList arguments = given;
    if (!options.company.takeServerOptions(arguments, &problem))
        return false;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        if (argument == QLatin1String("--pdf")) {
            if (at + 1 >= arguments.size()) {
                problem = QStringLiteral("Falta el nombre del archivo PDF después de --pdf");
                return false;
            }
            options.pdf = arguments.at(++at);
        } else if (argument.startsWith(QLatin1String("--"))) {
            problem = QStringLiteral("Opción desconocida: ") + argument;
            return false;
        } else {
            positional.append(argument);
        }
    }
    if (positional.isEmpty()) {
        problem = QStringLiteral("Falta el listado");
        return false;
    }
    if (positional.size() > 2) {
        problem = QStringLiteral("Sobra el argumento: ") + positional.at(2);
        return false;
    }
    if (options.pdf.isEmpty()) {
        problem = QStringLiteral("Falta --pdf ARCHIVO: el listado solo puede escribirse en un archivo PDF");
        return false;
    }
    options.listing = positional.at(0);
    return options.company.settle(positional.value(1), &problem);
}

QString listingNames()
{
    QStringList names;
    for (const ListingEntry& entry : Listings::all())
        names.append(entry.name);
    return names.join(QStringLiteral(", "));
}

int runListing(const QStringList& arguments)
{
    ListingOptions options;
    QString problem;
    if (!parseOptions(arguments, options, problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + usage());
        return 2;
    }
    const ListingEntry* listing = Listings::find(options.listing);
    if (!listing) {
        adminErr(QStringLiteral("No existe el listado ") + options.listing + QStringLiteral(". Listados: ")
                 + listingNames());
        return 2;
    }
    std::unique_ptr<Database> opened = options.company.open(&problem);
    if (!opened) {
        adminErr(problem);
        return 2;
    }
    Database& database = *opened;

    // No output is installed: the job keeps its pages here and they go to
    // the file instead of a preview window.
    KQRView view(nullptr);
    const ListingResult result = listing->run(view, ListingRun::now(database));
    if (!result.ok()) {
        adminErr(result.errorMessage + QStringLiteral(" (error ") + QString::number(result.errorCode) + ')');
        return 1;
    }
    if (view.document().pages.isEmpty()) {
        adminErr(QStringLiteral("El listado ") + listing->name + QStringLiteral(" no produjo páginas"));
        return 1;
    }
    QString error;
    if (!writePdf(view.document(), options.pdf, error)) {
        adminErr(error);
        return 1;
    }
    adminOut(QStringLiteral("%1: %2 página(s) en %3")
                 .arg(listing->name)
                 .arg(view.document().pages.size())
                 .arg(QFileInfo(options.pdf).absoluteFilePath()));
    return 0;
}

const AdminCommand command("listing", usage(), &runListing);

}  // namespace
