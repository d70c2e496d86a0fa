#include "console/company.h"

#include "data/database_setup.h"
#include "data/kq_db_connection.h"
#include "startup/vbglob.h"
#include "support/file_names.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString Company::usage()
{
    return u"(CARPETA | --server HOST[:PUERTO] --database BASE [--user USUARIO])"_s;
}

bool Company::takeServerOptions(QStringList& arguments, QString* problem)
{
    QStringList rest;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        const QString& argument = arguments.at(at);
        QString* target = nullptr;
        QString port;
        if (argument == u"--server")
            target = &server_;
        else if (argument == u"--database")
            target = &database_;
        else if (argument == u"--user")
            target = &user_;
        else if (argument == u"--port")
            target = &port;
        if (!target) {
            rest.append(argument);
            continue;
        }
        if (at + 1 >= arguments.size() || arguments.at(at + 1).startsWith(u"--")) {
            *problem = u"Falta el valor de "_s + argument;
            return false;
        }
        *target = arguments.at(++at);
        if (target == &port) {
            bool number = false;
            port_ = port.toInt(&number);
            if (!number || port_ <= 0 || port_ > 65535) {
                *problem = u"Puerto inválido: "_s + port;
                return false;
            }
        }
    }
    arguments = rest;
    return true;
}

bool Company::settle(const QString& folder, QString* problem)
{
    if (onServer() && !folder.isEmpty()) {
        *problem = u"Indique una carpeta o un servidor, no ambos"_s;
        return false;
    }
    if (onServer() && (server_.isEmpty() || database_.isEmpty())) {
        *problem = u"Para un servidor PostgreSQL hacen falta --server y --database"_s;
        return false;
    }
    if (!onServer() && folder.isEmpty()) {
        *problem = u"Falta la carpeta de datos"_s;
        return false;
    }
    folder_ = folder;
    return true;
}

bool Company::settleWithFile(const QStringList& positional, const QString& missingFile, QString* file,
                             QString* problem)
{
    const qsizetype wanted = onServer() ? 1 : 2;
    if (positional.size() != wanted) {
        *problem = positional.size() < wanted ? missingFile : u"Sobra el argumento: "_s + positional.last();
        return false;
    }
    if (!settle(onServer() ? QString() : positional.first(), problem))
        return false;
    *file = QFileInfo(positional.last()).absoluteFilePath();
    return true;
}

DatabaseLocation Company::location() const
{
    if (!onServer()) {
        return DatabaseLocation::sqliteFile(
            findFileIgnoringCase(QDir(folder_).absoluteFilePath(QString::fromLatin1(databaseFileName))));
    }
    DatabaseLocation location = serverDatabaseLocation(server_, database_, user_, QString());
    if (port_ > 0)
        location.port = port_;
    return location;
}

std::unique_ptr<Database> Company::open(QString* problem, Database::OpenMode mode) const
{
    const DatabaseLocation where = location();
    if (where.backend == Backend::Sqlite && !QFileInfo::exists(where.file)) {
        *problem = u"No existe la base de datos "_s + QDir::toNativeSeparators(where.file);
        return nullptr;
    }
    auto database = std::make_unique<Database>(where);
    if (database->open(mode))
        return database;
    // The file's refusal already names the file and says why.
    *problem = where.backend == Backend::Sqlite
        ? database->errorText()
        : u"No puede conectar con la base de datos "_s + where.displayName() + u": "_s + database->errorText();
    return nullptr;
}

void Company::putContext(const QString& user, const QString& permissions) const
{
    VBGlob::put(u"Usuario"_s, user);
    VBGlob::put(u"Permisos"_s, permissions);
    VBGlob::put(u"VersionCS"_s, onServer() ? u"S"_s : u"N"_s);
    if (onServer()) {
        const DatabaseLocation where = location();
        VBGlob::put(u"Servidor"_s, server_);
        VBGlob::put(u"Base"_s, where.database);
        VBGlob::put(u"UsuarioBD"_s, where.user);
        return;
    }
    QString path = QDir(folder_).absolutePath();
    if (!path.endsWith(QDir::separator()) && !path.endsWith(u'/'))
        path += QDir::separator();
    VBGlob::put(u"PathEmpresa"_s, path);
}
