#include "data/schema_check.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "data/error_translator.h"
#include "data/schema.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr const char* versionTable = "KQVERSIO";

/// The fields of every table of the database, by table name. SQLite compares
/// names without regard to case, so its names are kept in capitals;
/// PostgreSQL knows our tables only in the registry's exact spelling.
using ColumnsByTable = QHash<QString, QSet<QString>>;

QString comparable(const QString& name, Backend backend)
{
    return backend == Backend::Sqlite ? name.toUpper() : name;
}

QString columnsQuery(Backend backend)
{
    switch (backend) {
    case Backend::Sqlite:
        return QStringLiteral("SELECT m.name, p.name FROM sqlite_master AS m "
                              "JOIN pragma_table_info(m.name) AS p WHERE m.type = 'table'");
    case Backend::Postgres:
        return QStringLiteral("SELECT table_name, column_name FROM information_schema.columns "
                              "WHERE table_schema = current_schema()");
    }
    return {};
}

bool readColumns(Database& database, ColumnsByTable* columns, QString* reason)
{
    columns->clear();
    QSqlQuery query(database.connection());
    if (!query.exec(columnsQuery(database.backend()))) {
        const QSqlError error = query.lastError();
        *reason = databaseFailureReason(database.backend(), error.nativeErrorCode(), error.databaseText());
        if (reason->isEmpty())
            *reason = QStringLiteral("no se pudo leer su lista de tablas (%1)").arg(error.text().trimmed());
        return false;
    }
    while (query.next())
        (*columns)[comparable(query.value(0).toString(), database.backend())].insert(
            comparable(query.value(1).toString(), database.backend()));
    return true;
}

/// The first table or field of the schema that `columns` lacks, as a clause.
QString firstMissing(const ColumnsByTable& columns, Backend backend)
{
    for (const TableDef& table : Schema::tables()) {
        const auto found = columns.constFind(comparable(table.name, backend));
        if (found == columns.constEnd())
            return QStringLiteral("falta la tabla %1").arg(table.name);
        for (const FieldDef& field : table.fields) {
            if (!found->contains(comparable(field.name, backend)))
                return QStringLiteral("a la tabla %1 le falta el campo %2").arg(table.name, field.name);
        }
        if (backend == Backend::Postgres && !found->contains(rowIdColumn(backend)))
            return QStringLiteral("a la tabla %1 le falta el campo %2").arg(table.name, rowIdColumn(backend));
    }
    return {};
}

bool hasVersionRow(const ColumnsByTable& columns, Backend backend)
{
    const TableDef* table = Schema::table(QLatin1String(versionTable));
    const auto found = columns.constFind(comparable(table->name, backend));
    if (found == columns.constEnd())
        return false;
    for (const FieldDef& field : table->fields) {
        if (!found->contains(comparable(field.name, backend)))
            return false;
    }
    return true;
}

}  // namespace

QString sqliteFileProblem(const QString& file)
{
    QFile handle(file);
    if (!handle.exists())
        return QStringLiteral("el archivo no existe");
    if (!handle.open(QIODevice::ReadOnly))
        return QStringLiteral("no se puede leer el archivo");
    static const QByteArray sqliteHeader("SQLite format 3", 16);  // with its closing zero byte
    const QByteArray header = handle.read(sqliteHeader.size());
    if (header.isEmpty())
        return QStringLiteral("el archivo está vacío");
    if (header != sqliteHeader)
        return QStringLiteral("el archivo no es una base de datos");
    return {};
}

bool checkProgramDatabase(Database& database, bool readOnly, QString* reason)
{
    const Backend backend = database.backend();
    ColumnsByTable columns;
    if (!readColumns(database, &columns, reason))
        return false;
    if (!hasVersionRow(columns, backend)) {
        *reason = QStringLiteral("no es una base de datos del programa (no tiene la tabla %1)")
                      .arg(QLatin1String(versionTable));
        return false;
    }
    QString error;
    const int version = storedSchemaVersion(database, &error);
    if (version < 0) {
        *reason = error;
        return false;
    }
    if (version > Schema::currentVersion) {
        *reason = QStringLiteral("es de la versión %1 del esquema y este programa conoce hasta la versión %2")
                      .arg(version)
                      .arg(Schema::currentVersion);
        return false;
    }
    if (version < Schema::currentVersion) {
        if (readOnly) {
            *reason = QStringLiteral("es de la versión %1 del esquema; ábrala con el programa para llevarla "
                                     "a la versión %2")
                          .arg(version)
                          .arg(Schema::currentVersion);
            return false;
        }
        if (!upgradeDatabase(database, &error)) {
            *reason = QStringLiteral("no se pudo actualizar a la versión %1 del esquema (%2)")
                          .arg(Schema::currentVersion)
                          .arg(error);
            return false;
        }
        if (!readColumns(database, &columns, reason))
            return false;
    }
    *reason = firstMissing(columns, backend);
    return reason->isEmpty();
}
