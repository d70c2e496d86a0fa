// The schema registry and the database it creates: every table, field and
// index of the registry exists in a created SQLite file exactly as declared,
// the fixed rows are there, and an older database is upgraded without losing
// its rows.
#include "data/cursor.h"
#include "data/database.h"
#include "data/database_setup.h"
#include "data/schema.h"
#include "data/schema_sql.h"
#include "support/pencript.h"
#include "data_fixture.h"
#include "temp_folder.h"
#include "test_server.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <memory>

namespace {

/// Runs `sql` and returns its rows, each as a list of column values.
QList<QVariantList> rows(Database& database, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(database.connection());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    EXPECT_TRUE(query.exec()) << sql.toStdString() << ": " << query.lastError().text().toStdString();
    QList<QVariantList> result;
    while (query.next()) {
        QVariantList row;
        for (int column = 0; column < query.record().count(); ++column)
            row.append(query.value(column));
        result.append(row);
    }
    return result;
}

void exec(Database& database, const QString& sql)
{
    QSqlQuery query(database.connection());
    ASSERT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
}

/// A fresh, empty database of one backend for one test: a file in a
/// temporary folder, or a new database on the test server dropped afterwards.
class ScratchDatabase {
public:
    explicit ScratchDatabase(Backend backend) : backend_(backend) {}

    /// Why the backend cannot be tested here, or an empty text when it can.
    QString unavailable() const { return backend_ == Backend::Postgres ? testServerMissing() : QString(); }

    /// Opens a new database named `name`; false with the reason in `error`.
    bool open(const QString& name, QString* error)
    {
        DatabaseLocation location = DatabaseLocation::sqliteFile(folder_.file(name + ".MDB"));
        if (backend_ == Backend::Postgres) {
            if (!server_.create(name, error))
                return false;
            location = server_.location();
        }
        database_ = std::make_unique<Database>(location);
        if (database_->open(Database::OpenMode::CreateIfMissing))
            return true;
        *error = database_->errorText();
        return false;
    }

    Database& db() { return *database_; }

private:
    Backend backend_;
    TempFolder folder_;
    ServerTestDatabase server_;
    std::unique_ptr<Database> database_;  // closed before its server database is dropped
};

/// The declared type of a column as each engine reports it back.
QString reportedType(const FieldDef& field, Backend backend)
{
    const QString type = SchemaSql::columnType(field, backend);
    if (backend == Backend::Sqlite)
        return type;
    if (type.startsWith("VARCHAR"))
        return "character varying" + type.mid(7);
    if (type == "TIMESTAMP")
        return "timestamp without time zone";
    return type.toLower();
}

class SchemaDatabase : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (const QString reason = scratch_.unavailable(); !reason.isEmpty())
            GTEST_SKIP() << reason.toStdString();
        QString error;
        ASSERT_TRUE(scratch_.open("principal", &error)) << error.toStdString();
    }

    Database& db() { return scratch_.db(); }
    Backend backend() const { return GetParam(); }

    struct Column {
        QString name;
        QString type;
    };
    struct Index {
        bool unique = false;
        QStringList keys;
    };

    QList<Column> columnsOf(Database& database, const QString& table)
    {
        QList<Column> columns;
        const QString sql = backend() == Backend::Sqlite
            ? QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid")
            : QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) FROM pg_attribute a "
                             "JOIN pg_class t ON t.oid = a.attrelid WHERE t.relname = ? AND a.attnum > 0 "
                             "AND NOT a.attisdropped ORDER BY a.attnum");
        for (const QVariantList& row : rows(database, sql, {table}))
            columns.append({row.at(0).toString(), row.at(1).toString()});
        return columns;
    }

    QHash<QString, Index> indexesOf(Database& database, const QString& table)
    {
        QHash<QString, Index> indexes;
        const QString sql = backend() == Backend::Sqlite
            ? QStringLiteral("SELECT l.name, l.\"unique\", i.name FROM pragma_index_list(?) l, "
                             "pragma_index_info(l.name) i ORDER BY l.name, i.seqno")
            : QStringLiteral("SELECT i.relname, ix.indisunique, a.attname FROM pg_index ix "
                             "JOIN pg_class i ON i.oid = ix.indexrelid JOIN pg_class t ON t.oid = ix.indrelid "
                             "CROSS JOIN LATERAL unnest(ix.indkey) WITH ORDINALITY AS k(attnum, ord) "
                             "JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = k.attnum "
                             "WHERE t.relname = ? ORDER BY i.relname, k.ord");
        for (const QVariantList& row : rows(database, sql, {table})) {
            Index& index = indexes[row.at(0).toString()];
            index.unique = row.at(1).toBool();
            index.keys.append(row.at(2).toString());
        }
        return indexes;
    }

    /// Creates `table` as an older program had it: only `fields`, with the
    /// types they have now, and no indexes.
    void oldTable(Database& database, const QString& table, const QStringList& fields)
    {
        QStringList columns;
        for (const QString& name : fields) {
            const FieldDef* field = Schema::table(table)->field(name);
            columns << '"' + field->name + "\" " + SchemaSql::columnType(*field, backend());
        }
        exec(database, QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table, columns.join(", ")));
    }

    int tableCount(Database& database) { return int(database.connection().tables(QSql::Tables).size()); }

    /// Every difference between the tables of `database` and the registry.
    QStringList differencesFromRegistry(Database& database)
    {
        QStringList differences;
        for (const TableDef& table : Schema::tables()) {
            const QList<Column> columns = columnsOf(database, table.name);
            if (columns.isEmpty()) {
                differences << table.name + ": no existe";
                continue;
            }
            QHash<QString, QString> declared;
            for (const Column& column : columns)
                declared.insert(column.name, column.type);
            // PostgreSQL tables carry their row identity as a last column
            // with a unique index of its own.
            if (backend() == Backend::Postgres && declared.take("kq_rowid") != "bigint")
                differences << table.name + ": falta kq_rowid";
            for (const FieldDef& field : table.fields) {
                if (!declared.contains(field.name))
                    differences << table.name + "." + field.name + ": falta";
                else if (declared.value(field.name) != reportedType(field, backend()))
                    differences << table.name + "." + field.name + ": tipo " + declared.value(field.name);
            }
            if (declared.size() != table.fields.size())
                differences << table.name + ": sobran campos";

            QHash<QString, Index> indexes = indexesOf(database, table.name);
            if (backend() == Backend::Postgres) {
                const Index rowId = indexes.take(table.name + "_pkey");
                if (!rowId.unique || rowId.keys != QStringList{"kq_rowid"})
                    differences << table.name + ": kq_rowid sin índice";
            }
            for (const IndexDef& index : table.indexes) {
                const QString name = SchemaSql::indexSqlName(table, index);
                if (!indexes.contains(name)) {
                    differences << table.name + "." + index.name + ": falta el índice";
                    continue;
                }
                if (indexes.value(name).unique != index.unique)
                    differences << table.name + "." + index.name + ": unicidad distinta";
                if (indexes.value(name).keys != index.fields)
                    differences << table.name + "." + index.name + ": claves " + indexes.value(name).keys.join(",");
            }
            if (indexes.size() != table.indexes.size())
                differences << table.name + ": sobran índices";
        }
        return differences;
    }
    QStringList differencesFromRegistry() { return differencesFromRegistry(db()); }

    ScratchDatabase scratch_{GetParam()};
};

// ---- The registry itself ----------------------------------------------------

TEST(SchemaRegistry, TablesAreSortedAndFoundInAnyLetterCase)
{
    const QList<TableDef>& tables = Schema::tables();
    ASSERT_GT(tables.size(), 60);
    for (qsizetype at = 1; at < tables.size(); ++at)
        EXPECT_LT(tables.at(at - 1).name, tables.at(at).name);
    ASSERT_NE(Schema::table("categori"), nullptr);
    EXPECT_EQ(Schema::table("categori")->name, "CATEGORI");
    EXPECT_EQ(Schema::table("CARGOSFU")->index("icargos6")->fields, QStringList{"FunCatId"});
    EXPECT_EQ(Schema::table("CATEGORI")->field("CATDESC")->name, "CatDesc");
    EXPECT_EQ(Schema::table("NOEXISTE"), nullptr);
    EXPECT_EQ(Schema::table("CATEGORI")->index("ICARGOS6"), nullptr);
}

TEST(SchemaRegistry, IndexesAreWellFormedAndNamedOncePerDatabase)
{
    QHash<QString, QString> owners;  // index name -> table
    QSet<QString> sqlNames;
    for (const TableDef& table : Schema::tables()) {
        SCOPED_TRACE(table.name.toStdString());
        int primaries = 0;
        for (const IndexDef& index : table.indexes) {
            EXPECT_FALSE(index.fields.isEmpty()) << index.name.toStdString();
            for (const QString& key : index.fields)
                EXPECT_NE(table.field(key), nullptr) << index.name.toStdString() << " " << key.toStdString();
            if (index.primary) {
                ++primaries;
                EXPECT_TRUE(index.unique) << index.name.toStdString();
            }
            EXPECT_FALSE(owners.contains(index.name))
                << index.name.toStdString() << " also on " << owners.value(index.name).toStdString();
            owners.insert(index.name, table.name);
            const QString sqlName = SchemaSql::indexSqlName(table, index).toUpper();
            EXPECT_FALSE(sqlNames.contains(sqlName));
            sqlNames.insert(sqlName);
        }
        EXPECT_LE(primaries, 1);
        // The index named after the table is its key, when there is one.
        const QString ruleName = ("I" + table.name).left(8);
        if (const IndexDef* named = table.index(ruleName); named && table.name != "APORTE1") {
            EXPECT_TRUE(named->primary) << ruleName.toStdString();
        }
    }
}

// ---- Dates in SQLite ----------------------------------------------------------

TEST(SchemaSqlDates, TextOrderIsChronologicalAndRoundTrips)
{
    const QList<QDateTime> dates{
        QDateTime(QDate(100, 1, 1), QTime(0, 0)),  // the empty date
        QDateTime(QDate(999, 12, 31), QTime(23, 59, 59)),
        QDateTime(QDate(2024, 2, 29), QTime(8, 5, 3)),
        QDateTime(QDate(2024, 10, 1), QTime(0, 0)),
    };
    EXPECT_EQ(SchemaSql::sqliteDateText(dates.first()), "0100-01-01T00:00:00");
    for (qsizetype at = 0; at < dates.size(); ++at) {
        EXPECT_EQ(SchemaSql::sqliteDate(SchemaSql::sqliteDateText(dates.at(at))), dates.at(at));
        if (at > 0) {
            EXPECT_LT(SchemaSql::sqliteDateText(dates.at(at - 1)), SchemaSql::sqliteDateText(dates.at(at)));
        }
    }
    EXPECT_FALSE(SchemaSql::sqliteDate("31/12/2024").isValid());
}

TEST_P(SchemaDatabase, DatesWrittenByInsertRowSortChronologically)
{
    QString error;
    ASSERT_TRUE(createDatabase(db(), &error)) << error.toStdString();
    const QList<QDate> days{QDate(2025, 12, 25), QDate(100, 1, 1), QDate(2025, 5, 1), QDate(2024, 12, 31)};
    for (const QDate& day : days)
        ASSERT_TRUE(insertRow(db(), "CALFER1", {{"CalFerId", "NA"}, {"CalFerFch", day}}, &error))
            << error.toStdString();
    const auto stored = rows(db(), "SELECT \"CalFerFch\" FROM \"CALFER1\" ORDER BY \"CalFerFch\"");
    QList<QDate> read;
    for (const QVariantList& row : stored) {
        read << (backend() == Backend::Sqlite ? SchemaSql::sqliteDate(row.at(0).toString()).date()
                                              : row.at(0).toDateTime().date());
    }
    EXPECT_EQ(read, (QList<QDate>{QDate(100, 1, 1), QDate(2024, 12, 31), QDate(2025, 5, 1), QDate(2025, 12, 25)}));
}

// ---- Creation ---------------------------------------------------------------

TEST_P(SchemaDatabase, CreatedFileHoldsEveryTableFieldAndIndexOfTheRegistry)
{
    QString error;
    ASSERT_TRUE(createDatabase(db(), &error)) << error.toStdString();
    EXPECT_EQ(differencesFromRegistry(), QStringList());
    EXPECT_EQ(storedSchemaVersion(db(), &error), Schema::currentVersion);
}

TEST_P(SchemaDatabase, UniqueIndexesRefuseDuplicateKeys)
{
    QString error;
    ASSERT_TRUE(createDatabase(db(), &error)) << error.toStdString();
    ASSERT_TRUE(insertRow(db(), "CATEGORI", {{"CatId", 1}, {"CatDesc", "Uno"}}, &error));
    EXPECT_FALSE(insertRow(db(), "CATEGORI", {{"CatId", 1}, {"CatDesc", "Otro"}}, &error));
    EXPECT_TRUE(error.startsWith("No se pudo agregar una fila a la tabla CATEGORI: ")) << error.toStdString();
    EXPECT_TRUE(error.contains("CATEGORI_ICATEGOR") || error.contains("UNIQUE"))
        << "keeps the driver's text: " << error.toStdString();
    EXPECT_TRUE(error.contains("(error ")) << "keeps the driver's error number: " << error.toStdString();
    // A secondary index allows repeated values.
    EXPECT_TRUE(insertRow(db(), "CARGOSFU", {{"FunId", 1}, {"FunAL", 1}, {"FunCatId", 1}}, &error));
    EXPECT_TRUE(insertRow(db(), "CARGOSFU", {{"FunId", 2}, {"FunAL", 1}, {"FunCatId", 1}}, &error));
}

TEST_P(SchemaDatabase, FixedRowsAreWritten)
{
    QString error;
    ASSERT_TRUE(createDatabase(db(), &error)) << error.toStdString();

    const auto company = rows(db(), "SELECT \"CfId\", \"CfEmpresa\" FROM \"CONFIGUR\"");
    ASSERT_EQ(company.size(), 1);
    EXPECT_EQ(company.at(0).at(0).toInt(), 0);

    const auto runTypes = rows(db(), "SELECT \"TLId\", \"TLDesc\" FROM \"TIPLIQUI\" ORDER BY \"TLId\"");
    ASSERT_EQ(runTypes.size(), 2);
    EXPECT_EQ(runTypes.at(0), (QVariantList{"T", "Todas"}));
    EXPECT_EQ(runTypes.at(1), (QVariantList{"X", "Próxima"}));

    const auto attributes = rows(db(), "SELECT \"FunADescri\", \"FunATipo\", \"FunAValida\", \"FunAAyuda\" "
                                       "FROM \"FUNATRIB\" ORDER BY \"FunAId\"");
    ASSERT_EQ(attributes.size(), 2);
    EXPECT_EQ(attributes.at(0), (QVariantList{"Mensuales/Jornaleros", "AN", "M,J", "M=Mensual, J=Jornalero"}));
    EXPECT_EQ(attributes.at(1), (QVariantList{"Admnistrativo/Obrero", "AN", "A,O", "A=Administrativo, O=Obrero"}));

    const auto profiles = rows(db(), "SELECT \"PrfClave\", \"PrfDatos\", \"PrfCorrela\" FROM \"PERFILES\"");
    ASSERT_EQ(profiles.size(), 1);
    EXPECT_EQ(pencriptUnscramble(profiles.at(0).at(0).toString()), QString("SUPERVISOR").leftJustified(20));
    const QString profile = pencriptUnscramble(profiles.at(0).at(1).toString());
    ASSERT_EQ(profile.size(), 282);
    EXPECT_EQ(profile.mid(2, 20).trimmed(), "SUPERVISOR");
    EXPECT_EQ(profile.mid(22, 60).trimmed(), "Supervisor");
    const QString rights = profile.mid(82);
    EXPECT_EQ(rights.at(7 - 1), 'M') << "concepts: modify";
    EXPECT_EQ(rights.at(8 - 1), 'M') << "organisation tables: modify";
    EXPECT_EQ(rights.at(9 - 1), 'S') << "may create users and profiles";
    EXPECT_EQ(rights.mid(47, 52).trimmed(), "") << "rights 48 to 99 are blank";
    EXPECT_EQ(rights.mid(99, 20), QString(20, 'S'));
    EXPECT_EQ(profiles.at(0).at(2).toInt(), 1);

    const auto users = rows(db(), "SELECT \"UsuNombre\", \"UsuDatos\" FROM \"USUARIOS\"");
    ASSERT_EQ(users.size(), 1);
    EXPECT_EQ(pencriptUnscramble(users.at(0).at(0).toString()).trimmed(), "ADMIN");
    const QString user = pencriptUnscramble(users.at(0).at(1).toString());
    ASSERT_EQ(user.size(), 72);
    EXPECT_EQ(user.mid(32, 20).trimmed(), "") << "no password";
    EXPECT_EQ(user.mid(52, 20).trimmed(), "SUPERVISOR");
}

TEST_P(SchemaDatabase, CreationRefusesADatabaseThatHasTablesAndChangesNothing)
{
    exec(db(), "CREATE TABLE \"CATEGORI\" (\"CatId\" SMALLINT, \"CatDesc\" TEXT)");
    exec(db(), "INSERT INTO \"CATEGORI\" VALUES (3, 'Vieja')");
    QString error;
    EXPECT_FALSE(createDatabase(db(), &error));
    EXPECT_TRUE(error.contains("no está vacía")) << error.toStdString();
    EXPECT_TRUE(error.contains("CATEGORI")) << error.toStdString();
    EXPECT_EQ(tableCount(db()), 1);
    EXPECT_EQ(rows(db(), "SELECT \"CatDesc\" FROM \"CATEGORI\"").at(0).at(0).toString(), "Vieja");
}

TEST(SchemaDatabaseFile, CreatesTheFileOnceAndLeavesNothingOnFailure)
{
    TempFolder folder;
    const QString dataFolder = folder.file("datos/empresa");
    QString error;
    ASSERT_TRUE(createDatabaseFile(dataFolder, false, &error)) << error.toStdString();
    const QString file = dataFolder + "/KQ_DATA.MDB";
    ASSERT_TRUE(QFileInfo::exists(file));
    {
        Database database(DatabaseLocation::sqliteFile(file));
        ASSERT_TRUE(database.open());
        EXPECT_EQ(storedSchemaVersion(database, &error), Schema::currentVersion);
        EXPECT_EQ(rows(database, "SELECT COUNT(*) FROM \"CATEGORI\"").at(0).at(0).toInt(), 0);
    }
    const QByteArray before = folder.read("datos/empresa/KQ_DATA.MDB");
    EXPECT_FALSE(createDatabaseFile(dataFolder, true, &error));
    EXPECT_TRUE(error.startsWith("Ya existe el archivo ")) << error.toStdString();
    EXPECT_EQ(folder.read("datos/empresa/KQ_DATA.MDB"), before);

    // A folder that cannot be made is reported and creates nothing.
    folder.write("archivo", "x");
    EXPECT_FALSE(createDatabaseFile(folder.file("archivo/sub"), false, &error));
    EXPECT_TRUE(error.startsWith("No se pudo crear la carpeta ")) << error.toStdString();
}

// ---- Upgrade ------------------------------------------------------------------

TEST_P(SchemaDatabase, UpgradeOfAVersionZeroDatabaseAddsWhatIsMissingAndKeepsRows)
{
    // A database of an older program: some tables, fewer fields, no indexes,
    // no version row.
    oldTable(db(), "CATEGORI", {"CatId", "CatDesc"});
    exec(db(), "INSERT INTO \"CATEGORI\" VALUES (7, 'Peones')");
    oldTable(db(), "CONFIGUR", {"CfId", "CfEmpresa"});
    exec(db(), "INSERT INTO \"CONFIGUR\" VALUES (0, 'Barraca del Sur')");
    oldTable(db(), "TIPLIQUI", {"TLId", "TLDesc"});
    exec(db(), "INSERT INTO \"TIPLIQUI\" VALUES ('X', 'Próxima')");
    oldTable(db(), "USUARIOS", {"UsuNombre", "UsuDatos"});
    exec(db(), "INSERT INTO \"USUARIOS\" VALUES ('PEDRO', 'datos de Pedro')");
    QString error;
    ASSERT_EQ(storedSchemaVersion(db(), &error), 0);

    ASSERT_TRUE(upgradeDatabase(db(), &error)) << error.toStdString();

    EXPECT_EQ(differencesFromRegistry(), QStringList());
    EXPECT_EQ(storedSchemaVersion(db(), &error), Schema::currentVersion);
    EXPECT_EQ(rows(db(), "SELECT \"CatId\", \"CatDesc\" FROM \"CATEGORI\""), (QList<QVariantList>{{7, "Peones"}}));
    EXPECT_EQ(rows(db(), "SELECT \"CfId\", \"CfEmpresa\" FROM \"CONFIGUR\""),
              (QList<QVariantList>{{0, "Barraca del Sur"}}));
    // A kept row has a row identity now: a cursor finds it and writes it back.
    {
        TableCursor categories(db());
        ASSERT_TRUE(categories.open("CATEGORI").ok());
        ASSERT_TRUE(categories.seek(Comparison::Equal, {7}).ok());
        ASSERT_TRUE(categories.hasCurrent());
        ASSERT_TRUE(categories.edit().ok());
        ASSERT_TRUE(categories.setValue("CatDesc", "Peones rurales").ok());
        const DbError written = categories.update();
        ASSERT_TRUE(written.ok()) << written.fullText().toStdString();
    }
    EXPECT_EQ(rows(db(), "SELECT \"CatDesc\" FROM \"CATEGORI\""), (QList<QVariantList>{{"Peones rurales"}}));
    // The missing run type "T" is added beside the existing "X".
    EXPECT_EQ(rows(db(), "SELECT \"TLId\" FROM \"TIPLIQUI\" ORDER BY \"TLId\""), (QList<QVariantList>{{"T"}, {"X"}}));
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"FUNATRIB\"").at(0).at(0).toInt(), 2);
    // Existing users are left alone: no fixed user or profile is forced in.
    EXPECT_EQ(rows(db(), "SELECT \"UsuNombre\" FROM \"USUARIOS\""), (QList<QVariantList>{{"PEDRO"}}));
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"PERFILES\"").at(0).at(0).toInt(), 0);

    // A second upgrade has nothing to do.
    exec(db(), "INSERT INTO \"CATEGORI\" (\"CatId\") VALUES (8)");
    ASSERT_TRUE(upgradeDatabase(db(), &error)) << error.toStdString();
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"CATEGORI\"").at(0).at(0).toInt(), 2);
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"TIPLIQUI\"").at(0).at(0).toInt(), 2);
}

TEST_P(SchemaDatabase, UpgradeOfAnEmptyDatabaseGivesTheFixedUserAndProfile)
{
    QString error;
    ASSERT_TRUE(upgradeDatabase(db(), &error)) << error.toStdString();
    EXPECT_EQ(differencesFromRegistry(), QStringList());
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"USUARIOS\"").at(0).at(0).toInt(), 1);
    EXPECT_EQ(rows(db(), "SELECT COUNT(*) FROM \"PERFILES\"").at(0).at(0).toInt(), 1);
}

TEST_P(SchemaDatabase, UpgradeRefusesANewerDatabaseAndAFailedUpgradeChangesNothing)
{
    QString error;
    ASSERT_TRUE(createDatabase(db(), &error)) << error.toStdString();
    exec(db(), "UPDATE \"KQVERSIO\" SET \"VerNumero\" = 99");
    EXPECT_FALSE(upgradeDatabase(db(), &error));
    EXPECT_TRUE(error.contains("versión más nueva")) << error.toStdString();
    EXPECT_TRUE(error.contains("99")) << error.toStdString();

    // An old database whose rows break a unique index cannot be upgraded;
    // the failure names the index, keeps the driver's text and leaves the
    // database as it was.
    ScratchDatabase second(backend());
    ASSERT_TRUE(second.open("vieja", &error)) << error.toStdString();
    Database& old = second.db();
    oldTable(old, "CATEGORI", {"CatId", "CatDesc"});
    exec(old, "INSERT INTO \"CATEGORI\" VALUES (1, 'Una'), (1, 'Repetida')");
    EXPECT_FALSE(upgradeDatabase(old, &error));
    EXPECT_TRUE(error.startsWith("No se pudo crear el índice ICATEGOR de la tabla CATEGORI: ")) << error.toStdString();
    EXPECT_TRUE(error.contains("(error ")) << error.toStdString();
    EXPECT_EQ(tableCount(old), 1);
    EXPECT_TRUE(indexesOf(old, "CATEGORI").isEmpty());
    EXPECT_EQ(columnsOf(old, "CATEGORI").size(), 2);
    EXPECT_EQ(storedSchemaVersion(old, &error), 0);
}

INSTANTIATE_ON_EACH_BACKEND(SchemaDatabase);

}  // namespace
