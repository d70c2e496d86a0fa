#include "data/database_setup.h"

#include "data/demo_company.h"
#include "data/record_locks.h"
#include "data/report_fields.h"
#include "data/schema.h"
#include "data/schema_sql.h"
#include "support/pencript.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QTime>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

/// Our message, the driver's text and its error number, as one line.
QString failureText(const QString& message, const QSqlError& sqlError)
{
    QString text = message + QStringLiteral(": ") + sqlError.text().trimmed();
    if (!sqlError.nativeErrorCode().isEmpty())
        text += QStringLiteral(" (error %1)").arg(sqlError.nativeErrorCode());
    return text;
}

bool run(Database& database, const QString& statement, const QString& message, QString* error)
{
    QSqlQuery query(database.connection());
    if (query.exec(statement))
        return true;
    setError(error, failureText(message, query.lastError()));
    return false;
}

/// One database transaction: rolled back unless committed.
class SetupTransaction {
public:
    explicit SetupTransaction(Database& database) : database_(database) {}
    ~SetupTransaction()
    {
        if (open_)
            database_.connection().rollback();
    }
    SetupTransaction(const SetupTransaction&) = delete;
    SetupTransaction& operator=(const SetupTransaction&) = delete;

    bool begin(QString* error)
    {
        open_ = database_.connection().transaction();
        if (!open_)
            setError(error, failureText(QStringLiteral("No se pudo iniciar la transacción"),
                                        database_.connection().lastError()));
        return open_;
    }
    bool commit(QString* error)
    {
        open_ = false;
        if (database_.connection().commit())
            return true;
        setError(error, failureText(QStringLiteral("No se pudo confirmar la transacción"),
                                    database_.connection().lastError()));
        database_.connection().rollback();
        return false;
    }

private:
    Database& database_;
    bool open_ = false;
};

QVariant boundValue(const FieldDef& field, const QVariant& value, Backend backend)
{
    if (field.type != FieldType::Date || value.isNull())
        return value;
    const QDateTime date = value.typeId() == QMetaType::QDate
                               ? value.toDate().startOfDay()
                               : value.toDateTime();
    if (backend == Backend::Sqlite)
        return SchemaSql::sqliteDateText(date);
    return storageValue(date, backend);
}

QString padded(const QString& text, int width)
{
    return text.leftJustified(width, ' ', true);
}

/// The two digits of the clock's seconds that begin a user or profile record.
QString secondsNow()
{
    return QStringLiteral("%1").arg(QTime::currentTime().second(), 2, 10, QChar('0'));
}


QSet<QString> existingTables(Database& database)
{
    QSet<QString> names;
    for (const QString& name : database.connection().tables(QSql::Tables))
        names.insert(name.toUpper());
    return names;
}

bool existingIndexes(Database& database, QSet<QString>* names, QString* error)
{
    QSqlQuery query(database.connection());
    if (!query.exec(SchemaSql::existingIndexesQuery(database.backend()))) {
        setError(error, failureText(QStringLiteral("No se pudieron leer los índices"), query.lastError()));
        return false;
    }
    while (query.next())
        names->insert(query.value(0).toString().toUpper());
    return true;
}

bool createTable(Database& database, const TableDef& table, QString* error)
{
    for (const QString& statement : SchemaSql::createStatements(table, database.backend())) {
        if (!run(database, statement, QStringLiteral("No se pudo crear la tabla ") + table.name, error))
            return false;
    }
    return true;
}

bool rowExists(Database& database, const QString& table, const QString& field, const QVariant& key,
               bool* exists, QString* error)
{
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE \"%2\" = ?").arg(table, field));
    query.addBindValue(key);
    if (!query.exec() || !query.next()) {
        setError(error, failureText(QStringLiteral("No se pudo leer la tabla ") + table, query.lastError()));
        return false;
    }
    *exists = query.value(0).toLongLong() > 0;
    return true;
}

/// Adds the row unless a row with the same key is there already.
bool ensureRow(Database& database, const QString& table, const QString& keyField,
               const RowValues& values, QString* error)
{
    QVariant key;
    for (const auto& [field, value] : values) {
        if (field == keyField)
            key = value;
    }
    assert(key.isValid() && "the row's values must hold its key");
    bool exists = false;
    if (!rowExists(database, table, keyField, key, &exists, error))
        return false;
    return exists || insertRow(database, table, values, error);
}

// ---- The fixed rows ---------------------------------------------------------

bool writeCompanyRecord(Database& database, QString* error)
{
    return ensureRow(database, "CONFIGUR", "CfId",
                     {{"CfId", 0}, {"CfEmpresa", QStringLiteral("Nueva empresa")},
                      {"CfRedRCon", 0}, {"CfVersion", 0}, {"PLTLId", QString()}},
                     error);
}

/// "X" (the next run) and "T" (all runs): movements may name them, and
/// neither can be changed nor deleted.
bool writeFixedRunTypes(Database& database, QString* error)
{
    const auto runType = [](const QString& id, const QString& description) {
        return RowValues{{"TLId", id}, {"TLDesc", description},
                         {"TLConIdAgu", 0}, {"TLConIdDes", 0}, {"TLConIdNeg", 0}, {"TLConIdRes", 0},
                         {"TLDtoSinHa", "N"}, {"TLIncTodas", "N"}, {"TLL17829", "N"},
                         {"TLMovBenef", "N"}, {"TLModoRep", "M"}};
    };
    return ensureRow(database, "TIPLIQUI", "TLId", runType("X", QStringLiteral("Próxima")), error)
           && ensureRow(database, "TIPLIQUI", "TLId", runType("T", QStringLiteral("Todas")), error);
}

/// Monthly or daily paid, and office or manual worker: the two employee
/// attributes every installation has.
bool writeFixedAttributes(Database& database, QString* error)
{
    const auto attribute = [](int id, const QString& description, const QString& validation,
                              const QString& help) {
        return RowValues{{"FunAId", id}, {"FunADescri", description}, {"FunATabla", "F"},
                         {"FunATipo", "AN"}, {"FunALongit", 1}, {"FunADecima", 0},
                         {"FunAMayusc", "S"}, {"FunAObliga", "N"}, {"FunAValida", validation},
                         {"FunAValIni", QString()}, {"FunAClasif", QString()}, {"FunAAyuda", help}};
    };
    return ensureRow(database, "FUNATRIB", "FunAId",
                     attribute(1, QStringLiteral("Mensuales/Jornaleros"), "M,J",
                               QStringLiteral("M=Mensual, J=Jornalero")),
                     error)
           && ensureRow(database, "FUNATRIB", "FunAId",
                        attribute(2, QStringLiteral("Admnistrativo/Obrero"), "A,O",
                                  QStringLiteral("A=Administrativo, O=Obrero")),
                        error);
}

/// The fixed-date holiday list a new company starts with, under "Feriados"
/// ("FerNoLab" = "dd/mm", "FerDesc" = its name, numbered from 1). A list the
/// company has already is left as it is.
bool writeFixedHolidayList(Database& database, QString* error)
{
    bool exists = false;
    if (!rowExists(database, "PARAMETR", "ParTabla", QStringLiteral("Feriados"), &exists, error))
        return false;
    if (exists)
        return true;
    int entry = 0;
    for (const auto& [day, description] : uruguayanFixedHolidays()) {
        ++entry;
        const auto row = [&](const QString& name, const QString& value) {
            return RowValues{{"ParTabla", QStringLiteral("Feriados")}, {"ParParamet", name}, {"ParIndice", entry},
                             {"ParValorCa", value}, {"ParValorNu", 0}};
        };
        if (!insertRow(database, "PARAMETR", row(QStringLiteral("FerNoLab"), day), error)
            || !insertRow(database, "PARAMETR", row(QStringLiteral("FerDesc"), description), error))
            return false;
    }
    return true;
}

bool writeSchemaVersion(Database& database, QString* error)
{
    bool exists = false;
    if (!rowExists(database, "KQVERSIO", "VerId", 1, &exists, error))
        return false;
    if (!exists)
        return insertRow(database, "KQVERSIO", {{"VerId", 1}, {"VerNumero", Schema::currentVersion}}, error);
    QSqlQuery query(database.connection());
    query.prepare(QStringLiteral("UPDATE \"KQVERSIO\" SET \"VerNumero\" = ? WHERE \"VerId\" = 1"));
    query.addBindValue(Schema::currentVersion);
    if (query.exec())
        return true;
    setError(error, failureText(QStringLiteral("No se pudo guardar la versión de la base de datos"),
                                query.lastError()));
    return false;
}

bool tableIsEmpty(Database& database, const QString& table, bool* empty, QString* error)
{
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)) || !query.next()) {
        setError(error, failureText(QStringLiteral("No se pudo leer la tabla ") + table, query.lastError()));
        return false;
    }
    *empty = query.value(0).toLongLong() == 0;
    return true;
}

bool writeFixedRows(Database& database, QString* error)
{
    return writeCompanyRecord(database, error) && writeFixedRunTypes(database, error)
           && writeFixedAttributes(database, error) && writeFixedHolidayList(database, error)
           && writeReportFields(database, error);
}

/// Brings one existing table up to its definition: fields and indexes that
/// it lacks are added; nothing is removed.
bool completeTable(Database& database, const TableDef& table, const QSet<QString>& indexes,
                   QString* error)
{
    const QString escaped = database.connection().driver()->escapeIdentifier(table.name, QSqlDriver::TableName);
    const QSqlRecord columns = database.connection().record(escaped);
    QSet<QString> present;
    for (int column = 0; column < columns.count(); ++column)
        present.insert(columns.fieldName(column).toUpper());
    const QString rowId = SchemaSql::addRowId(table, database.backend());
    if (!rowId.isEmpty() && !present.contains(rowIdColumn(database.backend()).toUpper())
        && !run(database, rowId, QStringLiteral("No se pudo numerar las filas de la tabla ") + table.name, error))
        return false;
    for (const FieldDef& field : table.fields) {
        if (present.contains(field.name.toUpper()))
            continue;
        if (!run(database, SchemaSql::addColumn(table, field, database.backend()),
                 QStringLiteral("No se pudo agregar el campo %1 a la tabla %2").arg(field.name, table.name),
                 error))
            return false;
    }
    for (const IndexDef& index : table.indexes) {
        if (indexes.contains(SchemaSql::indexSqlName(table, index).toUpper()))
            continue;
        if (!run(database, SchemaSql::createIndex(table, index),
                 QStringLiteral("No se pudo crear el índice %1 de la tabla %2").arg(index.name, table.name),
                 error))
            return false;
    }
    return true;
}

}  // namespace

bool insertRow(Database& database, const QString& tableName, const RowValues& values, QString* error)
{
    const TableDef* table = Schema::table(tableName);
    assert(table && "insertRow: the table is not in the schema");
    if (!table) {
        setError(error, QStringLiteral("La tabla %1 no existe en el esquema").arg(tableName));
        return false;
    }
    QStringList names;
    QStringList marks;
    QSqlQuery query(database.connection());
    QVariantList bound;
    for (const auto& [fieldName, value] : values) {
        const FieldDef* field = table->field(fieldName);
        assert(field && "insertRow: the field is not in the table");
        if (!field) {
            setError(error, QStringLiteral("El campo %1 no existe en la tabla %2").arg(fieldName, table->name));
            return false;
        }
        names.append('"' + field->name + '"');
        marks.append(QStringLiteral("?"));
        bound.append(boundValue(*field, value, database.backend()));
    }
    query.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                      .arg(table->name, names.join(", "), marks.join(", ")));
    for (const QVariant& value : bound)
        query.addBindValue(value);
    if (query.exec())
        return true;
    setError(error, failureText(QStringLiteral("No se pudo agregar una fila a la tabla ") + table->name,
                                query.lastError()));
    return false;
}

namespace {

/// Every character of the setup's own texts is in the substitution table.
QString scrambledSetupText(const QString& text)
{
    const std::optional<QString> result = pencriptScramble(text);
    assert(result && "the setup's users and profiles scramble");
    return result.value_or(QString());
}

}  // namespace

// "M" (modify) for the rights chosen from none/consult/modify that this
// program reads, "S" for the rest of rights 1 to 47 and 100 to 119, blanks
// between.
QString fullRights()
{
    QString rights;
    for (int position = 1; position <= 47; ++position)
        rights += (position == 7 || position == 8) ? QChar('M') : QChar('S');
    rights += QString(52, ' ');
    rights += QString(20, 'S');
    return rights;
}

bool writeSetupProfile(Database& database, const SetupProfile& profile, QString* error)
{
    const QString key = padded(profile.key.toUpper(), 20);
    const QString record = secondsNow() + key + padded(profile.description, 60) + padded(profile.rights, 200);
    return insertRow(database, "PERFILES",
                     {{"PrfClave", scrambledSetupText(key)}, {"PrfDatos", scrambledSetupText(record)},
                      {"PrfCorrela", profile.correlative}, {"PrfGruLDAP", QString()}, {"PrfJerarqu", 0}},
                     error);
}

bool writeSetupUser(Database& database, const SetupUser& user, QString* error)
{
    const QString record = secondsNow() + padded(user.fullName, 30) + padded(user.password.toUpper(), 20)
                           + padded(user.profileKey.toUpper(), 20);
    return insertRow(database, "USUARIOS",
                     {{"UsuNombre", scrambledSetupText(padded(user.name.toUpper(), 20))},
                      {"UsuDatos", scrambledSetupText(record)}, {"UsuContraF", QDate::currentDate()}},
                     error);
}

bool writeFixedUserAndProfile(Database& database, QString* error)
{
    return writeSetupProfile(database, {QStringLiteral("SUPERVISOR"), QStringLiteral("Supervisor"), fullRights(), 1},
                             error)
           && writeSetupUser(database, {QStringLiteral("ADMIN"), QStringLiteral("Administrador"), QString(),
                                        QStringLiteral("SUPERVISOR")},
                             error);
}

QList<std::pair<QString, QString>> uruguayanFixedHolidays()
{
    // The holidays observed on the day they fall every year (Ley 16.805 in
    // the wording of Ley 17.414, article 1); the others move (see the
    // movable holidays of the calendars).
    return {
        {QStringLiteral("01/01"), QStringLiteral("Año Nuevo")},
        {QStringLiteral("06/01"), QStringLiteral("Día de Reyes")},
        {QStringLiteral("01/05"), QStringLiteral("Día de los Trabajadores")},
        {QStringLiteral("19/06"), QStringLiteral("Natalicio de Artigas")},
        {QStringLiteral("18/07"), QStringLiteral("Jura de la Constitución")},
        {QStringLiteral("25/08"), QStringLiteral("Declaratoria de Independencia")},
        {QStringLiteral("02/11"), QStringLiteral("Día de los Difuntos")},
        {QStringLiteral("25/12"), QStringLiteral("Navidad")},
    };
}

bool createDatabase(Database& database, QString* error)
{
    const QSet<QString> present = existingTables(database);
    for (const TableDef& table : Schema::tables()) {
        if (present.contains(table.name.toUpper())) {
            setError(error, QStringLiteral("La base de datos %1 no está vacía: ya tiene la tabla %2.")
                                .arg(database.location().displayName(), table.name));
            return false;
        }
    }
    SetupTransaction transaction(database);
    if (!transaction.begin(error))
        return false;
    for (const TableDef& table : Schema::tables()) {
        if (!createTable(database, table, error))
            return false;
    }
    return writeFixedRows(database, error) && writeFixedUserAndProfile(database, error)
           && writeSchemaVersion(database, error) && transaction.commit(error);
}

int storedSchemaVersion(Database& database, QString* error)
{
    if (!existingTables(database).contains(QStringLiteral("KQVERSIO")))
        return 0;
    QSqlQuery query(database.connection());
    if (!query.exec(QStringLiteral("SELECT \"VerNumero\" FROM \"KQVERSIO\" WHERE \"VerId\" = 1"))) {
        setError(error, failureText(QStringLiteral("No se pudo leer la versión de la base de datos"),
                                    query.lastError()));
        return -1;
    }
    return query.next() ? query.value(0).toInt() : 0;
}

bool upgradeDatabase(Database& database, QString* error)
{
    const int version = storedSchemaVersion(database, error);
    if (version < 0)
        return false;
    if (version > Schema::currentVersion) {
        setError(error, QStringLiteral("La base de datos %1 es de una versión más nueva del programa "
                                       "(versión %2); esta versión conoce hasta la %3.")
                            .arg(database.location().displayName())
                            .arg(version)
                            .arg(Schema::currentVersion));
        return false;
    }
    if (version == Schema::currentVersion)
        return true;

    SetupTransaction transaction(database);
    if (!transaction.begin(error))
        return false;
    const QSet<QString> tables = existingTables(database);
    QSet<QString> indexes;
    if (!existingIndexes(database, &indexes, error))
        return false;
    for (const TableDef& table : Schema::tables()) {
        const bool done = tables.contains(table.name.toUpper()) ? completeTable(database, table, indexes, error)
                                                                : createTable(database, table, error);
        if (!done)
            return false;
    }
    if (!writeFixedRows(database, error))
        return false;
    // A database whose users and profiles are both empty would lock every
    // administrator out; one that has any keeps them as they are.
    bool noUsers = false;
    bool noProfiles = false;
    if (!tableIsEmpty(database, "USUARIOS", &noUsers, error)
        || !tableIsEmpty(database, "PERFILES", &noProfiles, error))
        return false;
    if (noUsers && noProfiles && !writeFixedUserAndProfile(database, error))
        return false;
    return writeSchemaVersion(database, error) && transaction.commit(error);
}

namespace {

QString shownPath(const QString& file)
{
    return QDir::toNativeSeparators(file);
}

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

/// Removes a database file this process made and the companions SQLite made
/// beside it.
void removeBuiltFile(const QString& file)
{
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(file + suffix);
}

/// Builds a new database in a new file in `folder`, named after `target`;
/// the file's name, or an empty text with `error` set.
QString buildBesideTarget(const QString& target, bool demo, QString* error)
{
    QTemporaryFile scratch(target + QStringLiteral(".%1-XXXXXX.nuevo").arg(QCoreApplication::applicationPid()));
    scratch.setAutoRemove(false);
    if (!scratch.open()) {
        setError(error, QStringLiteral("No se pudo crear un archivo nuevo junto a %1: %2")
                            .arg(shownPath(target), scratch.errorString()));
        return {};
    }
    const QString file = scratch.fileName();
    scratch.close();
    // Owner and group: the workstations of one group share the database.
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                    | QFileDevice::WriteGroup);
    bool built = false;
    {
        Database database(DatabaseLocation::sqliteFile(file));
        if (!database.open(Database::OpenMode::CreateIfMissing)) {
            setError(error, database.errorText());
        } else {
            built = createDatabase(database, error) && (!demo || loadDemoCompany(database, error));
            // Closing the last connection writes the log into the file.
            database.close();
        }
    }
    if (built)
        return file;
    removeBuiltFile(file);
    return {};
}

/// Puts the built `file` in place as `target` unless a file is there already:
/// a hard link cannot replace a file, so of two at once only one succeeds.
bool placeBuiltFile(const QString& file, const QString& target, QString* error)
{
    if (::link(QFile::encodeName(file).constData(), QFile::encodeName(target).constData()) == 0) {
        QFile::remove(file);
        return true;
    }
    const int code = errno;
    removeBuiltFile(file);
    if (code == EEXIST)
        setError(error, QStringLiteral("Ya existe el archivo ") + shownPath(target));
    else
        setError(error, QStringLiteral("No se pudo poner en su lugar el archivo %1: %2")
                            .arg(shownPath(target), systemText(code)));
    return false;
}

/// Moves `from` to `to` unless `to` exists; true when `from` is not there.
bool moveAside(const QString& from, const QString& to, QString* error)
{
    const QByteArray source = QFile::encodeName(from);
    if (::link(source.constData(), QFile::encodeName(to).constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    const int code = errno;
    if (code == ENOENT)
        return true;
    setError(error, QStringLiteral("No se pudo guardar el archivo %1 como %2: %3")
                        .arg(shownPath(from), shownPath(to), systemText(code)));
    return false;
}

/// Removes the files that creations killed halfway left beside `target`:
/// those whose process no longer runs.
void removeAbandonedBuilds(const QString& target)
{
    const QFileInfo info(target);
    static const QRegularExpression built(QStringLiteral("^\\.(\\d+)-\\w{6}\\.nuevo(-wal|-shm|-journal)?$"));
    const QStringList names = info.dir().entryList({info.fileName() + QStringLiteral(".*.nuevo*")}, QDir::Files);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = built.match(name.mid(info.fileName().size()));
        if (!match.hasMatch())
            continue;
        const pid_t pid = static_cast<pid_t>(match.captured(1).toLongLong());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(info.dir().filePath(name));
    }
}

QString databaseFileIn(const QString& dataFolder)
{
    return QDir(dataFolder).absoluteFilePath(QString::fromLatin1(databaseFileName));
}

}  // namespace

bool createDatabaseFile(const QString& dataFolder, bool demo, QString* error)
{
    if (!QDir().mkpath(dataFolder)) {
        setError(error, QStringLiteral("No se pudo crear la carpeta ") + shownPath(dataFolder));
        return false;
    }
    const QString target = databaseFileIn(dataFolder);
    if (QFileInfo::exists(target)) {
        setError(error, QStringLiteral("Ya existe el archivo ") + shownPath(target));
        return false;
    }
    removeAbandonedBuilds(target);
    const QString built = buildBesideTarget(target, demo, error);
    return !built.isEmpty() && placeBuiltFile(built, target, error);
}

bool replaceDatabaseFile(const QString& dataFolder, bool demo, QString* backup, QString* error)
{
    const QString target = databaseFileIn(dataFolder);
    // Held until the new file is in place: no workstation has the old one
    // open, and none can open either while it is replaced.
    DatabaseInUse exclusive;
    QString reason;
    if (!exclusive.take(target, DatabaseInUse::Kind::Exclusive, &reason)) {
        setError(error, QStringLiteral("No se puede reemplazar el archivo %1: %2.").arg(shownPath(target), reason));
        return false;
    }
    removeAbandonedBuilds(target);
    const QString built = buildBesideTarget(target, demo, error);
    if (built.isEmpty())
        return false;
    const QString kept =
        target + '.' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".bak");
    // The log may hold committed changes of a workstation that crashed: it
    // goes with the file, under the name SQLite looks for beside the copy.
    const QStringList suffixes = {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")};
    for (qsizetype moved = 0; moved < suffixes.size(); ++moved) {
        if (moveAside(target + suffixes.at(moved), kept + suffixes.at(moved), error))
            continue;
        // Put back what was moved, so that the old database stays whole.
        for (qsizetype back = 0; back < moved; ++back)
            moveAside(kept + suffixes.at(back), target + suffixes.at(back), nullptr);
        removeBuiltFile(built);
        return false;
    }
    if (!placeBuiltFile(built, target, error))
        return false;
    if (backup)
        *backup = kept;
    return true;
}
