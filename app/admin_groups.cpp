// uordane-admin groups: the directory groups a profile may be linked to, as
// the group selection finds them with the company's directory settings: one
// line per group, its name and its path separated by a tab.
#include "admin_command.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "security/directory_groups.h"
#include "support/file_names.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace {

const char* const usage =
    "groups (CARPETA | --server HOST [--port PUERTO] --database NOMBRE [--user USUARIO]) [TEXTO]";

struct GroupsOptions {
    QString folder;
    QString server;
    QString database;
    QString user;
    int port = 0;
    QString text;
};

/// Reads the arguments; false with `problem` set when they make no sense.
bool parseOptions(const QStringList& arguments, GroupsOptions* options, QString* problem)
{
    QStringList plain;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        const auto nextValue = [&](QString* target) {
            if (at + 1 >= arguments.size() || arguments.at(at + 1).startsWith("--")) {
                *problem = QStringLiteral("Falta el valor de ") + argument;
                return false;
            }
            *target = arguments.at(++at);
            return true;
        };
        if (argument == "--server" || argument == "--database" || argument == "--user") {
            QString* target = argument == "--server"     ? &options->server
                              : argument == "--database" ? &options->database
                                                         : &options->user;
            if (!nextValue(target))
                return false;
        } else if (argument == "--port") {
            QString port;
            if (!nextValue(&port))
                return false;
            bool number = false;
            options->port = port.toInt(&number);
            if (!number || options->port <= 0 || options->port > 65535) {
                *problem = QStringLiteral("Puerto inválido: ") + port;
                return false;
            }
        } else if (argument.startsWith("--")) {
            *problem = QStringLiteral("Opción desconocida: ") + argument;
            return false;
        } else {
            plain.append(argument);
        }
    }
    const bool server = !options->server.isEmpty() || !options->database.isEmpty() || options->port > 0;
    if (server && (options->server.isEmpty() || options->database.isEmpty())) {
        *problem = QStringLiteral("Para un servidor PostgreSQL hacen falta --server y --database");
        return false;
    }
    if (!server && plain.isEmpty()) {
        *problem = QStringLiteral("Falta la carpeta de datos");
        return false;
    }
    if (!server)
        options->folder = plain.takeFirst();
    if (plain.size() > 1) {
        *problem = QStringLiteral("Sobra el argumento: ") + plain.last();
        return false;
    }
    options->text = plain.value(0);
    return true;
}

/// Opens the company's database; nullptr after saying why when it cannot.
std::unique_ptr<Database> openCompany(const GroupsOptions& options)
{
    DatabaseLocation location;
    if (options.server.isEmpty()) {
        const QString file =
            findFileIgnoringCase(QDir(options.folder).filePath(QString::fromLatin1(databaseFileName)));
        if (!QFileInfo::exists(file)) {
            adminErr(QStringLiteral("No existe la base de datos ") + QDir::toNativeSeparators(file));
            return nullptr;
        }
        location = DatabaseLocation::sqliteFile(file);
    } else {
        location.backend = Backend::Postgres;
        location.server = options.server;
        location.database = options.database;
        location.user = options.user;
        location.port = options.port;
    }
    auto database = std::make_unique<Database>(location);
    if (!database->open()) {
        adminErr(QStringLiteral("No se pudo abrir la base de datos %1: %2")
                     .arg(location.displayName(), database->errorText()));
        return nullptr;
    }
    return database;
}

int runGroups(const QStringList& arguments)
{
    GroupsOptions options;
    QString problem;
    if (!parseOptions(arguments, &options, &problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + QString::fromUtf8(usage));
        return 2;
    }
    const std::unique_ptr<Database> database = openCompany(options);
    if (!database)
        return 1;
    // The command searches also while the directory is switched off, so that
    // an administrator can try the settings before turning it on.
    if (!directoryInUse(*database))
        adminErr(QStringLiteral("Aviso: esta empresa no usa el directorio (parámetro USALDAP); se consulta igual."));
    const DirectoryAnswer answer = findDirectoryGroups(readDirectorySettings(*database), options.text);
    if (!answer.ok()) {
        adminErr(QStringLiteral("No se pudo consultar el directorio. ") + answer.error);
        return 1;
    }
    for (const DirectoryGroup& group : answer.groups)
        adminOut(group.name + QChar('\t') + group.path);
    return 0;
}

}  // namespace

static AdminCommand groups("groups", usage, &runGroups);
