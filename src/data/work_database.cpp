#include "data/work_database.h"

#include "data/database.h"
#include "data/schema_sql.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

namespace {

constexpr int namingTries = 10;

QString withSeparator(const QString& folder)
{
    if (folder.endsWith('/') || folder.endsWith(QDir::separator()))
        return folder;
    return folder + '/';
}

double systemRandom()
{
    return QRandomGenerator::global()->generateDouble();
}

QString sqlIndexName(const QString& table, const QString& index)
{
    return quoteName(table + '_' + index);
}

}  // namespace

QString temporaryFolder()
{
    QString folder = qEnvironmentVariable("TEMP").trimmed();
    if (folder.isEmpty())
        folder = qEnvironmentVariable("TMP").trimmed();
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return withSeparator(folder);
}

WorkDatabase::WorkDatabase() : WorkDatabase(&systemRandom, QString()) {}

WorkDatabase::WorkDatabase(RandomSource random, const QString& currentFolder)
    : random_(std::move(random)), currentFolder_(currentFolder)
{
}

WorkDatabase::~WorkDatabase()
{
    remove();
}

WorkDatabase& WorkDatabase::process()
{
    // Never destroyed at exit: the program removes it at its end, while the
    // database drivers are still loaded.
    static WorkDatabase* instance = new WorkDatabase();
    return *instance;
}

QString WorkDatabase::candidateName(const QString& folder, const QString& extension) const
{
    // 100000 plus a whole number from 0 to 10000, of which the last five
    // digits: "00000" to "10000".
    const long drawn = std::lround(random_() * 10000.0);
    const QString digits = QString::number(100000 + drawn).right(5);
    return folder + QStringLiteral("_kq") + digits + extension;
}

QString WorkDatabase::freeName(const QString& folder, const QString& extension) const
{
    for (int attempt = 0; attempt < namingTries; ++attempt) {
        const QString name = candidateName(folder, extension);
        if (!QFile::exists(name))
            return name;
    }
    return {};
}

DbError WorkDatabase::create()
{
    if (exists())
        return {};
    QString name = freeName(temporaryFolder(), QStringLiteral(".MDB"));
    if (name.isEmpty()) {
        const QString current = currentFolder_.isEmpty() ? QDir::currentPath() : currentFolder_;
        name = freeName(withSeparator(current), QStringLiteral(".TMP"));
    }
    if (name.isEmpty())
        return DbError::make(DbErrorNumber::PathNotFound,
                             QStringLiteral("No se pudo crear la base de datos de trabajo: todos los nombres probados existen"));
    auto database = std::make_unique<Database>(DatabaseLocation::sqliteFile(name));
    if (!database->open(Database::OpenMode::CreateIfMissing))
        return DbError::make(DbErrorNumber::PathNotFound,
                             QStringLiteral("No se pudo crear la base de datos de trabajo ") + name,
                             database->errorText());
    fileName_ = name;
    database_ = std::move(database);
    return {};
}

Database& WorkDatabase::database()
{
    Q_ASSERT_X(database_ != nullptr, "WorkDatabase::database", "la base de trabajo no fue creada");
    return *database_;
}

void WorkDatabase::remove()
{
    if (!database_)
        return;
    database_->close();
    database_.reset();
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral(".lck")})
        QFile::remove(fileName_ + suffix);
    fileName_.clear();
}

DbError WorkDatabase::createTable(const TableDef& table, const QString& autoNumberField)
{
    if (DbError error = create())
        return error;
    QStringList columns;
    for (const FieldDef& field : table.fields) {
        const bool autoNumber = !autoNumberField.isEmpty()
            && field.name.compare(autoNumberField, Qt::CaseInsensitive) == 0;
        columns << quoteName(field.name) + ' '
                + (autoNumber ? QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")
                              : SchemaSql::columnType(field, Backend::Sqlite));
    }
    if (DbError error = database_->execute(QStringLiteral("CREATE TABLE ") + quoteName(table.name) + QStringLiteral(" (")
                                           + columns.join(QStringLiteral(", ")) + ')'))
        return error;
    database_->registerTable(TableDef{table.name, table.description, table.fields, {}});
    for (const IndexDef& index : table.indexes) {
        if (DbError error = createIndex(table.name, index))
            return error;
    }
    return {};
}

DbError WorkDatabase::createBufferTable(const QString& name, const QList<FieldDef>& columns)
{
    TableDef table;
    table.name = name;
    table.fields << FieldDef{QString::fromLatin1(workLineField), FieldType::Long, 0};
    table.fields << columns;
    table.indexes << IndexDef{QString::fromLatin1(workKeyIndex), {QString::fromLatin1(workLineField)}, true, true};
    return createTable(table);
}

DbError WorkDatabase::createIndex(const QString& table, const IndexDef& index)
{
    if (DbError error = create())
        return error;
    const TableDef* registered = database_->tableDef(table);
    if (registered == nullptr)
        return DbError::make(DbErrorNumber::TableNotFound, QStringLiteral("No existe la tabla de trabajo ") + table);
    QStringList fields;
    for (const QString& field : index.fields)
        fields << quoteName(field);
    const QString sql = QStringLiteral("CREATE ") + (index.unique ? QStringLiteral("UNIQUE ") : QString())
        + QStringLiteral("INDEX ") + sqlIndexName(registered->name, index.name) + QStringLiteral(" ON ")
        + quoteName(registered->name) + QStringLiteral(" (") + fields.join(QStringLiteral(", ")) + ')';
    if (DbError error = database_->execute(sql))
        return error;
    TableDef updated = *registered;
    updated.indexes << index;
    database_->registerTable(updated);
    return {};
}

DbError WorkDatabase::dropTable(const QString& name)
{
    if (!exists())
        return {};
    DbError error = database_->execute(QStringLiteral("DROP TABLE IF EXISTS ") + quoteName(name));
    database_->unregisterTable(name);
    return error;
}
