// uordane-admin init: creates an empty database, optionally with the demo
// company, as a SQLite file in a data folder or on a PostgreSQL server.
#include "admin_command.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "data/demo_company.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const usage = "init [--demo] [--force] CARPETA | init [--demo] --server HOST [--port PUERTO] --database NOMBRE [--user USUARIO]";

struct InitOptions {
    bool demo = false;
    bool force = false;
    QString folder;
    QString server;
    QString database;
    QString user;
    int port = 0;
};

/// Reads the arguments; false with `problem` set when they make no sense.
bool parseOptions(const QStringList& arguments, InitOptions* options, QString* problem)
{
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
        if (argument == "--demo") {
            options->demo = true;
        } else if (argument == "--force") {
            options->force = true;
        } else if (argument == "--server") {
            if (!nextValue(&options->server))
                return false;
        } else if (argument == "--database") {
            if (!nextValue(&options->database))
                return false;
        } else if (argument == "--user") {
            if (!nextValue(&options->user))
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
        } else if (options->folder.isEmpty()) {
            options->folder = argument;
        } else {
            *problem = QStringLiteral("Sobra el argumento: ") + argument;
            return false;
        }
    }
    const bool server = !options->server.isEmpty() || !options->database.isEmpty() || options->port > 0;
    if (server && (options->server.isEmpty() || options->database.isEmpty())) {
        *problem = QStringLiteral("Para un servidor PostgreSQL hacen falta --server y --database");
        return false;
    }
    if (server && !options->folder.isEmpty()) {
        *problem = QStringLiteral("Indique una carpeta o un servidor, no ambos");
        return false;
    }
    if (server && options->force) {
        *problem = QStringLiteral("--force solo vale para un archivo; en un servidor la base debe estar vacía");
        return false;
    }
    if (!server && options->folder.isEmpty()) {
        *problem = QStringLiteral("Falta la carpeta de datos");
        return false;
    }
    return true;
}

void reportCreated(const QString& where, bool demo)
{
    adminOut(QStringLiteral("Base de datos creada: ") + where);
    if (demo)
        adminOut(QStringLiteral("Empresa de demostración cargada: ") + QString::fromUtf8(demoCompanyName));
    adminOut(QStringLiteral("Usuario inicial: ADMIN, perfil Supervisor, sin contraseña."));
}

int initFile(const InitOptions& options)
{
    const QString file = QDir(options.folder).absoluteFilePath(QString::fromLatin1(databaseFileName));
    const QString shown = QDir::toNativeSeparators(file);
    const bool exists = QFileInfo::exists(file);
    if (exists && !options.force) {
        adminErr(QStringLiteral("Ya existe el archivo %1. Use --force para reemplazarlo.").arg(shown));
        return 1;
    }
    QString error;
    QString backup;
    const bool created = exists ? replaceDatabaseFile(options.folder, options.demo, &backup, &error)
                                : createDatabaseFile(options.folder, options.demo, &error);
    if (!created) {
        adminErr(error);
        return 1;
    }
    if (exists)
        adminOut(QStringLiteral("Archivo anterior guardado como ") + QDir::toNativeSeparators(backup));
    reportCreated(shown, options.demo);
    return 0;
}

int initServer(const InitOptions& options)
{
    DatabaseLocation location;
    location.backend = Backend::Postgres;
    location.server = options.server;
    location.database = options.database;
    location.user = options.user;
    location.port = options.port;
    Database database(location);
    // An empty database is what init fills: it is not checked against the schema.
    if (!database.open(Database::OpenMode::CreateIfMissing)) {
        adminErr(database.errorText());
        return 1;
    }
    QString error;
    if (!createDatabase(database, &error) || (options.demo && !loadDemoCompany(database, &error))) {
        adminErr(error);
        return 1;
    }
    reportCreated(location.displayName(), options.demo);
    return 0;
}

int runInit(const QStringList& arguments)
{
    InitOptions options;
    QString problem;
    if (!parseOptions(arguments, &options, &problem)) {
        adminErr(problem);
        adminErr(QStringLiteral("uso: uordane-admin ") + QString::fromUtf8(usage));
        return 2;
    }
    return options.server.isEmpty() ? initFile(options) : initServer(options);
}

AdminCommand init("init", usage, &runInit);

}  // namespace
