#include "data_fixture.h"

#include "data/error_translator.h"
#include "data/kq_db_connection.h"
#include "data/schema_sql.h"
#include "data/selection_list.h"
#include "support/program_end.h"
#include "scripted_ui.h"

class DatabaseTest : public BackendDataTest {};

TEST(JetStatementTranslation, TranslatesTheJetDialectAndLeavesTheRestAlone)
{
    const QList<QPair<QString, QString>> cases = {
        {"DELETE * FROM [KQ W1]", "DELETE FROM \"KQ W1\""},
        {"delete * from CATEGORI where CatId = 1", "delete from CATEGORI where CatId = 1"},
        {"UPDATE [PERFILES] SET [PrfDatos] = 'a [b] #1/2/2000# *' WHERE [PrfClave] = 'x''y'",
         "UPDATE \"PERFILES\" SET \"PrfDatos\" = 'a [b] #1/2/2000# *' WHERE \"PrfClave\" = 'x''y'"},
        {"SELECT * FROM AUMENTF WHERE ([AufFch] >= #05/03/2024#)",
         "SELECT * FROM AUMENTF WHERE (\"AufFch\" >= '2024-03-05T00:00:00')"},
        {"SELECT * FROM PERFILES  ORDER BY PrfCorrela", "SELECT * FROM PERFILES  ORDER BY PrfCorrela"},
        {"SELECT \"Odd]Name\" FROM T", "SELECT \"Odd]Name\" FROM T"},
    };
    for (const auto& [jet, expected] : cases)
        EXPECT_EQ(translateJetSql(jet, Backend::Sqlite), expected) << qPrintable(jet);
}

TEST(JetStatementTranslation, QuotesTheSchemasNamesForPostgresInTheirOwnSpelling)
{
    const QList<QPair<QString, QString>> cases = {
        // Bare and bracketed names in any letter case; unknown names, literals
        // and quoted names stay as they are.
        {R"(SELECT catdesc, Otra FROM Categori WHERE [catid] = ? AND x = 'CatId')",
         R"(SELECT "CatDesc", Otra FROM "CATEGORI" WHERE "CatId" = ? AND x = 'CatId')"},
        {R"(DELETE * FROM CATEGORI WHERE CatId = 1)", R"(DELETE FROM "CATEGORI" WHERE "CatId" = 1)"},
        {R"(SELECT COUNT(*) AS N FROM PARAMETR p WHERE p.ParTabla = "ParTabla")",
         R"(SELECT COUNT(*) AS N FROM "PARAMETR" p WHERE p."ParTabla" = "ParTabla")"},
        {R"(SELECT * FROM AUMENTF WHERE ([AufFch] >= #05/03/2024#))",
         R"(SELECT * FROM "AUMENTF" WHERE ("AufFch" >= '2024-03-05 00:00:00'))"},
        {R"(DELETE * FROM [KQ W1])", R"(DELETE FROM "KQ W1")"},
        // A table and a field whose names differ only in letter case.
        {R"(SELECT FicCod FROM FICCOD)", R"(SELECT "FicCod" FROM "FICCOD")"},
    };
    for (const auto& [jet, expected] : cases)
        EXPECT_EQ(translateJetSql(jet, Backend::Postgres), expected) << qPrintable(jet);
}

TEST_P(DatabaseTest, AFailedWriteIsReportedAndRollsItsTransactionBack)
{
    addCategory(db(), 1, "Peones");
    auto second = openSecond();

    // A duplicate key in the middle of a change: nothing of it stays, and the
    // database is free for the other workstation at once.
    ASSERT_TRUE(db().beginTransaction().ok());
    TableCursor categories(db());
    ASSERT_TRUE(categories.open("CATEGORI").ok());
    categories.addNew();
    categories.setValue("CatId", 2);
    ASSERT_TRUE(categories.update().ok());
    categories.addNew();
    categories.setValue("CatId", 1);
    EXPECT_EQ(categories.update().number, DbErrorNumber::DuplicateKey);
    EXPECT_FALSE(db().inTransaction());
    EXPECT_TRUE(db().commit().ok());  // the caller's commit finds nothing to do
    EXPECT_EQ(countRows("CATEGORI"), 1);
    EXPECT_TRUE(second->execute("UPDATE CATEGORI SET CatDesc = ?", {"Libre"}).ok());

    // Likewise a failing statement, reported with the name it could not
    // find in our message and in the driver's text.
    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(db().execute("UPDATE CATEGORI SET CatDesc = ?", {"A medias"}).ok());
    const DbError error = db().execute("DELETE * FROM [NOEXISTE] WHERE [Id] = ?", {1});
    EXPECT_EQ(error.number, DbErrorNumber::Unexpected);
    EXPECT_TRUE(error.message.contains("NOEXISTE"));
    EXPECT_TRUE(error.driverText.contains("NOEXISTE")) << qPrintable(error.driverText);
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(countRows("CATEGORI", "CatDesc = ?", {"Libre"}), 1);

    // The connection goes on working after the failure.
    int affected = -1;
    ASSERT_TRUE(db().execute("UPDATE [CATEGORI] SET [CatDesc] = ?", {"Nueva"}, &affected).ok());
    EXPECT_EQ(affected, 1);
}

TEST_P(DatabaseTest, TransactionsNestAndOnlyTheOutermostCommitWrites)
{
    auto second = openSecond();
    ASSERT_TRUE(db().beginTransaction().ok());
    ASSERT_TRUE(db().beginTransaction().ok());
    addCategory(db(), 1, "Peones");
    ASSERT_TRUE(db().commit().ok());
    EXPECT_TRUE(db().inTransaction());
    ASSERT_TRUE(db().rollback().ok());
    EXPECT_EQ(countRows("CATEGORI"), 0);

    ASSERT_TRUE(db().beginTransaction().ok());
    addCategory(db(), 2, "Oficiales");
    ASSERT_TRUE(db().commit().ok());
    QueryCursor seen(*second);
    ASSERT_TRUE(seen.open("SELECT * FROM CATEGORI").ok());
    EXPECT_EQ(seen.recordCount(), 1);
    EXPECT_EQ(seen.integer("CatId"), 2);
}

TEST_P(DatabaseTest, TheSelectionListFillerListsCodesAndDescriptions)
{
    addCategory(db(), 3, "Alfa");
    addCategory(db(), 1, "Zeta");
    addCategory(db(), 2, "Beta");
    EXPECT_EQ(KQDCJET(db(), "CATEGORI", "CatId", "CatDesc", "CatDesc"),
              (QList<SelectionEntry>{{"3", "Alfa"}, {"2", "Beta"}, {"1", "Zeta"}}));
    EXPECT_EQ(KQDCJET(db(), "CATEGORI", "CatId", "CatDesc", "CatId").first(), (SelectionEntry{"1", "Zeta"}));
    // Failures are not reported: the list is empty.
    EXPECT_TRUE(KQDCJET(db(), "NOEXISTE", "A", "B").isEmpty());
    EXPECT_TRUE(KQDCJET(db(), "CATEGORI] ; DROP TABLE [CATEGORI", "CatId", "CatDesc").isEmpty());
    EXPECT_EQ(countRows("CATEGORI"), 3);
}

TEST_P(DatabaseTest, TheSelectionListFindsChoosesAddsAndRemovesByCode)
{
    addCategory(db(), 3, "Alfa");
    addCategory(db(), 12, "Beta");
    SelectionList list;
    list.fill(db(), "CATEGORI", "CatId", "CatDesc", "CatDesc");
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.selectedIndex(), -1);
    EXPECT_EQ(list.selectedCode(), QString());

    QString error;
    EXPECT_EQ(list.find(" 12 ", &error), 1) << "blanks around a code do not count";
    EXPECT_EQ(list.find("12.0"), 1) << "numbers are compared as numbers";
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(list.find("1", &error), -1) << "no partial match of 12";
    EXPECT_EQ(error, "Invalid Combo Key");

    ASSERT_TRUE(list.select("12"));
    EXPECT_EQ(list.selectedCode(), "12");
    error.clear();
    EXPECT_FALSE(list.select("99", &error));
    EXPECT_EQ(error, "Invalid Combo Key");
    EXPECT_EQ(list.selectedCode(), "12") << "a failed choice keeps the one before";

    // Entries added before the chosen one move it along; the code stays.
    ASSERT_TRUE(list.add({"7", "Gama"}, 0));
    ASSERT_TRUE(list.add({"8", "Delta"}));
    EXPECT_EQ(list.entries(), (QList<SelectionEntry>{{"7", "Gama"}, {"3", "Alfa"}, {"12", "Beta"}, {"8", "Delta"}}));
    EXPECT_EQ(list.selectedCode(), "12");
    ASSERT_TRUE(list.remove("3"));
    EXPECT_EQ(list.selectedCode(), "12");
    ASSERT_TRUE(list.remove("12"));
    EXPECT_EQ(list.selectedCode(), QString()) << "the chosen entry went";
    error.clear();
    EXPECT_FALSE(list.remove("12", &error));
    EXPECT_EQ(error, "Invalid Combo Key");
    EXPECT_FALSE(list.removeAt(5));
    EXPECT_EQ(list.entries(), (QList<SelectionEntry>{{"7", "Gama"}, {"8", "Delta"}}));

    // Filling again starts over.
    list.selectIndex(0);
    list.fill(db(), "CATEGORI", "CatId", "CatDesc", "CatId");
    EXPECT_EQ(list.entries(), (QList<SelectionEntry>{{"3", "Alfa"}, {"12", "Beta"}}));
    EXPECT_EQ(list.selectedIndex(), -1);
}

TEST_P(DatabaseTest, TheSelectionListStopsAt32767Entries)
{
    // Only the rows below: not the lists a new company starts with.
    ASSERT_TRUE(db().execute("DELETE * FROM PARAMETR").ok());
    ASSERT_TRUE(db().beginTransaction().ok());
    for (int row = 0; row < 32800; ++row)
        ASSERT_TRUE(db().execute("INSERT INTO PARAMETR (ParTabla, ParParamet, ParIndice) VALUES ('L', ?, 0)",
                                 {QStringLiteral("P%1").arg(row, 5, 10, QChar('0'))})
                        .ok());
    ASSERT_TRUE(db().commit().ok());
    const QList<SelectionEntry> entries = KQDCJET(db(), "PARAMETR", "ParParamet", "ParTabla", "ParParamet");
    ASSERT_EQ(entries.size(), 32767);
    EXPECT_EQ(entries.last().code, "P32766");
    // A full list takes no further entry.
    SelectionList list;
    list.fill(entries);
    EXPECT_TRUE(list.isFull());
    EXPECT_FALSE(list.add({"X", "otra"}));
    EXPECT_EQ(list.count(), 32767);
}

// Connecting to a real server: tests/startup/server_checks_test.cpp.
TEST(DatastoreConnection, StartsUnattachedKeepsItsSettingsAndNeedsAServerAndADatabase)
{
    auto connection = KQDBConnection::forDatastore("Kelquen");
    EXPECT_EQ(connection->errorCode(), 2);
    EXPECT_EQ(connection->errorText(), "No Kelquen Datastore attached");
    connection->setUserName("ana");
    EXPECT_EQ(connection->userName(), "ana");
    EXPECT_EQ(connection->connect(), 4);
    EXPECT_EQ(connection->errorText(), "Bad Datastore Name");
    EXPECT_EQ(connection->disconnect(), 2);
    EXPECT_NE(KQDBConnection::forDatastore("x").get(), connection.get());
    EXPECT_EQ(KQDBConnection::errorText(0), "No Error");
    EXPECT_EQ(KQDBConnection::errorText(1), "Unknown Error");
    EXPECT_EQ(KQDBConnection::errorText(3), "Internal Error: Function call failed");
}

class ErrorTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override { LastError::clear(); }
    void TearDown() override { LastError::clear(); }
    ScriptedUi ui_;
};

TEST_F(ErrorTranslatorTest, ShowsEachNumberAsItsRowSays)
{
    struct Row {
        int number;
        int result;
        QString shown;   ///< empty: nothing shown
        bool question;
    };
    const QList<Row> rows = {
        {0, 0, {}, false},
        {76, -10, {}, false},
        {481, -10, {}, false},
        {3022, 3022, "Ya existe el registro", false},
        {2004, 2004, "Transaction Log Is Full, must commit or rollback", true},
        {3197, 3197, "Los datos fueron modificados por otro usuarioDescarta modificaciones", true},
        {1060, 1060, "mensaje propio", false},
        {1150, 1150, "mensaje propio", false},
        {3146, 3146, "Error No. 3146 : mensaje propio", false},
        {3050, 3050, "mensaje propio", false},
        {1201, 1201, "Error No. 1201 : mensaje propio", false},
    };
    // Only 1060 asks the program to end, and only once its message was shown.
    QList<int> endsAsked;
    QStringList shownBeforeTheEnd;
    for (const Row& row : rows) {
        ui_.clear();
        ProgramEnd::setHandler([&, number = row.number] {
            endsAsked.append(number);
            shownBeforeTheEnd = ui_.texts();
        });
        LastError::set(row.number, "mensaje propio");
        EXPECT_EQ(translateDatabaseError(ui_), row.result) << row.number;
        EXPECT_TRUE(LastError::message().isEmpty()) << row.number;
        if (row.shown.isEmpty()) {
            EXPECT_TRUE(ui_.shown().isEmpty()) << row.number;
            continue;
        }
        ASSERT_EQ(ui_.shown().size(), 1) << row.number;
        EXPECT_EQ(ui_.shown().first().text, row.shown);
        EXPECT_EQ(ui_.shown().first().kind == ScriptedUi::Shown::Question, row.question) << row.number;
    }
    ProgramEnd::setHandler({});
    EXPECT_EQ(endsAsked, QList<int>{1060});
    EXPECT_EQ(shownBeforeTheEnd, QStringList{"mensaje propio"});
}

TEST_F(ErrorTranslatorTest, APendingEngineErrorBecomesTheLastError)
{
    const DbError pending = DbError::make(3146, "No se pudo ejecutar", "no such table: X");
    EXPECT_EQ(translateDatabaseError(ui_, pending), 3146);
    EXPECT_EQ(ui_.texts(), QStringList{"Error No. 3146 : No se pudo ejecutar\nDetalle: no such table: X"});
    EXPECT_EQ(LastError::number(), 3146);

    // A message the program set before keeps its place.
    ui_.clear();
    LastError::setMessage("Texto del programa");
    EXPECT_EQ(translateDatabaseError(ui_, DbError::make(3146, "otro")), 3146);
    EXPECT_EQ(ui_.texts(), QStringList{"Error No. 3146 : Texto del programa"});
}

INSTANTIATE_ON_EACH_BACKEND(DatabaseTest);

TEST(StorageValue, WritesDatesAsTheirSqliteFormatReadsThem)
{
    // The text is written digit by digit; it must be what the format gives,
    // the empty date's year 100 included.
    const QList<QDateTime> moments = {
        QDateTime(QDate(100, 1, 1), QTime(0, 0)),          QDateTime(QDate(999, 12, 31), QTime(23, 59, 59)),
        QDateTime(QDate(1000, 2, 3), QTime(4, 5, 6)),      QDateTime(QDate(2026, 12, 7), QTime(11, 40, 9, 870)),
        QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)), QDateTime(QDate(1, 1, 1), QTime(12, 0))};
    for (const QDateTime& moment : moments) {
        const QString expected = moment.toString(QLatin1String(SchemaSql::sqliteDateFormat));
        EXPECT_EQ(storageValue(moment, Backend::Sqlite).toString(), expected) << qPrintable(expected);
        const QDateTime midnight(moment.date(), QTime(0, 0));
        EXPECT_EQ(storageValue(moment.date(), Backend::Sqlite).toString(),
                  midnight.toString(QLatin1String(SchemaSql::sqliteDateFormat)));
    }
    EXPECT_TRUE(storageValue(QDateTime(), Backend::Sqlite).isNull());
    EXPECT_TRUE(storageValue(QDate(), Backend::Sqlite).isNull());
}
