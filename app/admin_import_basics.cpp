// uordane-admin import-basics: the import of basic values from a delimited
// text file or a spreadsheet, with the same control and import passes as the
// import panel; "errImpBas.txt" goes beside the file. --dry-run reports, one
// line each on standard output, what every data line would add, change or
// leave alone, and writes nothing.
#include "admin_command.h"

#include "console/company.h"
#include "console/console_ui_port.h"
#include "data/database.h"
#include "reports/basic_values_import.h"

#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QString usage = u"import-basics "_s + Company::usage()
    + u" ARCHIVO [--dry-run] [--field-separator C] [--decimal-separator C]"_s;

int refuseUsage(const QString& problem)
{
    return adminRefuseUsage(usage, problem);
}

QString effectText(const ImportLineReport& line)
{
    QString text = u"Linea "_s + QString::number(line.line) + u": "_s;
    switch (line.effect) {
    case ImportLineEffect::Added:
        text += u"agrega un valor al básico "_s;
        break;
    case ImportLineEffect::Changed:
        text += u"modifica un valor del básico "_s;
        break;
    case ImportLineEffect::Unchanged:
        text += u"sin cambios en el básico "_s;
        break;
    }
    text += QString::number(line.basic);
    if (line.basicAdded)
        text += u" (básico nuevo)"_s;
    return text;
}

int runImportBasics(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    if (!company.takeServerOptions(arguments, &problem))
        return refuseUsage(problem);
    BasicImportOptions options;
    ImportSeparators chosen;
    QStringList positional;
    for (qsizetype at = 0; at < arguments.size();) {
        const QString& argument = arguments.at(at++);
        if (argument == u"--dry-run") {
            options.dryRun = true;
        } else if (argument == u"--field-separator" || argument == u"--decimal-separator") {
            if (at >= arguments.size() || arguments.at(at).size() != 1)
                return refuseUsage(u"Falta el carácter de "_s + argument);
            (argument == u"--field-separator" ? chosen.field : chosen.decimal) = arguments.at(at++);
        } else if (argument.startsWith(u"--")) {
            return refuseUsage(u"Opción desconocida: "_s + argument);
        } else {
            positional.append(argument);
        }
    }
    QString file;
    if (!company.settleWithFile(positional, u"Falta el archivo a importar"_s, &file, &problem))
        return refuseUsage(problem);
    if (!QFileInfo(file).isFile()) {
        adminErr(u"No existe el archivo "_s + positional.last());
        return ExitUsage;
    }

    std::unique_ptr<Database> database =
        company.open(&problem, options.dryRun ? Database::OpenMode::ReadOnly : Database::OpenMode::Existing);
    if (!database) {
        adminErr(problem);
        return ExitUsage;
    }
    company.putContext(u"admin"_s, QString());
    QTextStream err(stderr);
    ConsoleUiPort ui(err, err);
    ui.setDatabase(database.get());

    // The separators given on the command line, else the stored preferences.
    options.separators = readImportSeparators(*database);
    if (!chosen.field.isEmpty())
        options.separators.field = chosen.field;
    if (!chosen.decimal.isEmpty())
        options.separators.decimal = chosen.decimal;
    if (!options.separators.complete()) {
        ui.message(u"Falta cargar las preferencias"_s, MessageIcon::Exclamation);
        return ExitRefused;
    }
    if (options.separators.field == options.separators.decimal) {
        ui.message(u"Separador decimal y de campo iguales"_s, MessageIcon::Exclamation);
        return ExitRefused;
    }
    options.progressEvery = 1000;
    const BasicImportResult result = PIMPBASI(*database, ui, file, options);
    if (!result.imported)
        return ExitRefused;
    if (options.dryRun) {
        QTextStream out(stdout);
        for (const ImportLineReport& line : result.lines)
            out << effectText(line) << '\n';
        out << u"Se agregarían "_s << result.added << u", se modificarían "_s << result.changed
            << u" y quedarían sin cambios "_s << result.unchanged << u" valores; básicos nuevos: "_s
            << result.basicsAdded << '\n';
        return ExitDone;
    }
    adminOut(u"Valores agregados: "_s + QString::number(result.added) + u", modificados: "_s
             + QString::number(result.changed) + u", sin cambios: "_s + QString::number(result.unchanged)
             + u"; básicos nuevos: "_s + QString::number(result.basicsAdded));
    return ExitDone;
}

const AdminCommand command("import-basics", usage, &runImportBasics);

}  // namespace
