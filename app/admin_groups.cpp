// uordane-admin groups: the directory groups a profile may be linked to, as
// the group selection finds them with the company's directory settings: one
// line per group, its name and its path separated by a tab.
#include "admin_command.h"

#include "console/company.h"
#include "data/database.h"
#include "security/directory_groups.h"

#include <memory>

namespace {

QString usage()
{
    return QStringLiteral("groups ") + Company::usage() + QStringLiteral(" [TEXTO]");
}

int runGroups(const QStringList& given)
{
    QStringList arguments = given;
    Company company;
    QString problem;
    const bool understood = company.takeServerOptions(arguments, &problem);
    // A folder first when there is no server; then at most the text.
    const QString folder = understood && !company.onServer() ? arguments.value(0) : QString();
    if (understood && !company.onServer() && !arguments.isEmpty())
        arguments.removeFirst();
    if (understood && (arguments.size() > 1 || arguments.value(0).startsWith(QLatin1String("--"))))
        problem = QStringLiteral("Argumento de más o desconocido: ") + arguments.last();
    if (!problem.isEmpty() || !company.settle(folder, &problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + usage());
        return 2;
    }
    const std::unique_ptr<Database> database = company.open(&problem, Database::OpenMode::ReadOnly);
    if (!database) {
        adminErr(problem);
        return 2;
    }
    // The command searches also while the directory is switched off, so that
    // an administrator can try the settings before turning it on.
    if (!directoryInUse(*database))
        adminErr(QStringLiteral("Aviso: esta empresa no usa el directorio (parámetro USALDAP); se consulta igual."));
    const DirectoryAnswer answer = findDirectoryGroups(readDirectorySettings(*database), arguments.value(0));
    if (!answer.ok()) {
        adminErr(QStringLiteral("No se pudo consultar el directorio. ") + answer.error);
        return 1;
    }
    for (const DirectoryGroup& group : answer.groups)
        adminOut(group.name + QChar('\t') + group.path);
    return 0;
}

}  // namespace

static AdminCommand groups("groups", usage(), &runGroups);
