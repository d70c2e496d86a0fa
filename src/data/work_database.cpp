#include "data/work_database.h"

#include "data/database.h"
#include "data/schema_sql.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int namingTries = 10;

QString withSeparator(const QString& folder)
{
    if (folder.endsWith('/') || folder.endsWith(QDir::separator()))
        return folder;
    return folder + '/';
}

QString systemRandom()
{
    quint64 bits[2];
    QRandomGenerator::system()->fillRange(bits);
    return QStringLiteral("%1%2").arg(bits[0], 16, 16, QChar('0')).arg(bits[1], 16, 16, QChar('0'));
}

const QStringList companionSuffixes = {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral(".lck")};

/// Whether process `pid` is gone: no process of that number exists.
bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
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
    return folder + QStringLiteral("_kq") + QString::number(QCoreApplication::applicationPid()) + '_' + random_()
           + extension;
}

QString WorkDatabase::createFile(const QString& folder, const QString& extension) const
{
    for (int attempt = 0; attempt < namingTries; ++attempt) {
        const QString name = candidateName(folder, extension);
        const int descriptor = ::open(QFile::encodeName(name).constData(),
                                      O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0)
            continue;
        ::fchmod(descriptor, 0600);
        ::close(descriptor);
        return name;
    }
    return {};
}

int removeStaleWorkDatabases(const QString& folder)
{
    static const QRegularExpression workName(QStringLiteral("^_kq(\\d+)_[0-9a-f]{32}\\.(MDB|TMP)$"));
    int removed = 0;
    const QStringList names = QDir(folder).entryList({QStringLiteral("_kq*")}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = workName.match(name);
        if (!match.hasMatch() || !processGone(match.captured(1).toLongLong()))
            continue;
        const QString path = QDir(folder).filePath(name);
        struct stat status;
        // Only a file of ours, never what a link points to.
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode)
            || status.st_uid != ::getuid())
            continue;
        QFile::remove(path);
        for (const QString& suffix : companionSuffixes)
            QFile::remove(path + suffix);
        ++removed;
    }
    return removed;
}

DbError WorkDatabase::create()
{
    if (exists())
        return {};
    removeStaleWorkDatabases(temporaryFolder());
    QString name = createFile(temporaryFolder(), QStringLiteral(".MDB"));
    if (name.isEmpty()) {
        const QString current = currentFolder_.isEmpty() ? QDir::currentPath() : currentFolder_;
        name = createFile(withSeparator(current), QStringLiteral(".TMP"));
    }
    if (name.isEmpty())
        return DbError::make(DbErrorNumber::PathNotFound,
                             QStringLiteral("No se pudo crear la base de datos de trabajo: todos los nombres probados existen"));
    auto database = std::make_unique<Database>(DatabaseLocation::sqliteFile(name));
    if (!database->open(Database::OpenMode::CreateIfMissing)) {
        QFile::remove(name);
        return DbError::make(DbErrorNumber::PathNotFound,
                             QStringLiteral("No se pudo crear la base de datos de trabajo ") + name,
                             database->errorText());
    }
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
