// The client/server installation: the datastore connection, PCONECTA and
// PCTRLSUS against the test PostgreSQL server, and a start-up whose program
// database is the server's.
#include "startup/main_menu.h"
#include "startup/main_object_start.h"
#include "startup/start_routine.h"
#include "startup/vbglob.h"

#include "data/database_setup.h"
#include "data/kq_db_connection.h"
#include "scripted_ui.h"
#include "scoped_environment.h"
#include "temp_folder.h"
#include "test_server.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

TEST(ServerLocation, ServerTextsGiveHostAndPortAndTheMasterDatastoreIsTheMaintenanceDatabase)
{
    const DatabaseLocation plain = serverDatabaseLocation("nominas:6543", "NOMINA", "sa  ", "x");
    EXPECT_EQ(plain.server, "nominas");
    EXPECT_EQ(plain.port, 6543);
    EXPECT_EQ(plain.database, "NOMINA");
    EXPECT_EQ(plain.user, "sa");
    EXPECT_EQ(serverDatabaseLocation("nominas,6543", "B", "", "").port, 6543);
    EXPECT_EQ(serverDatabaseLocation("[::1]:6543", "B", "", "").server, "::1");
    EXPECT_EQ(serverDatabaseLocation("::1", "B", "", "").server, "::1");
    EXPECT_EQ(serverDatabaseLocation("nominas:x", "B", "", "").server, "nominas:x");
    EXPECT_EQ(serverDatabaseLocation("nominas", "taldo_master", "", "").database, "postgres");
}

TEST(KQDBConnection, ANameCannotAddSettingsToTheConnectionString)
{
    auto connection = KQDBConnection::forDatastore("default");
    connection->setUserName("ana");
    connection->setUserPassword("clave");
    connection->setMode(3);
    const QString base = "a}b;Trusted_Connection=Yes";
    connection->setConnectionString("SERVER=" + connectionStringValue("h;x") + ";DATABASE=" + connectionStringValue(base));
    const DatabaseLocation location = connection->location();
    EXPECT_EQ(location.server, "h;x");
    EXPECT_EQ(location.database, base);
    EXPECT_EQ(location.user, "ana") << "the name turned the login into a trusted one";
    EXPECT_EQ(connection->mode(), 3);

    connection->setConnectionString("SERVER=h;DATABASE=b;Trusted_Connection=Yes");
    EXPECT_EQ(connection->location().user, "");
}

/// A database of the program on the test server, and the call parameters that
/// name it.
class ServerChecksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString missing = testServerMissing(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        QString error;
        ASSERT_TRUE(server_.create("startup", &error)) << error.toStdString();
        Database database(server_.location());
        ASSERT_TRUE(database.open(Database::OpenMode::CreateIfMissing)) << database.errorText().toStdString();
        ASSERT_TRUE(createDatabase(database, &error)) << error.toStdString();
    }

    void TearDown() override
    {
        Database::setMain(nullptr);
        TopLevelObjects::setShutdown({});
        VBGlob::clear();
    }

    QString base() const { return server_.name(); }
    static QString serverText()
    {
        return qEnvironmentVariable("UORDANE_TEST_PG_HOST") + ':' + qEnvironmentVariable("UORDANE_TEST_PG_PORT");
    }
    static QString login() { return qEnvironmentVariable("UORDANE_TEST_PG_USER"); }

    /// The parameters of a client/server call with `server` and `database`.
    static CallParameters clientServer(const QString& server, const QString& database)
    {
        return CallParameters::fromList({"ANA", "x", "MMMMMMMMS", login(), "", database, server, "S", "CDP", "1"});
    }

    /// The connection string PCONECTA builds, on `server` and `database`.
    static int connectTo(const QString& server, const QString& database, KQDBConnection& connection)
    {
        connection.setUserName(login());
        connection.setConnectionString("SERVER=" + server + ";DATABASE=" + database);
        return connection.connect();
    }

    ServerTestDatabase server_;
    ScriptedUi ui;
};

TEST_F(ServerChecksTest, TheConnectionReportsTruthfullyHowConnectingWent)
{
    auto connection = KQDBConnection::forDatastore("default");
    EXPECT_EQ(connectTo(serverText(), base(), *connection), KQDBConnection::NoError);
    EXPECT_EQ(connection->errorText(), "No Error");
    EXPECT_TRUE(connection->isConnected());
    EXPECT_EQ(connection->disconnect(), KQDBConnection::NoDatastoreAttached);
    EXPECT_FALSE(connection->isConnected());

    // Port 1 of the loopback: nothing answers there.
    EXPECT_EQ(connectTo("127.0.0.1:1", base(), *connection), KQDBConnection::NoDatastoreAttached);
    EXPECT_FALSE(connection->driverText().isEmpty());
    EXPECT_EQ(connectTo(serverText(), "no_existe_esta_base", *connection), KQDBConnection::BadDatastoreName);
    EXPECT_FALSE(connection->isConnected());
}

TEST_F(ServerChecksTest, PconectaConnectsAndRefusesADatabaseThatAcceptsNoConnections)
{
    EXPECT_EQ(PCONECTA(login(), "", base(), serverText(), "default"), 0);
    EXPECT_EQ(PCONECTA(login(), "", masterDatastore, serverText(), masterDatastore), 0);
    EXPECT_EQ(PCONECTA(login(), "", base(), "127.0.0.1:1", "default"), KQDBConnection::NoDatastoreAttached);
    EXPECT_EQ(PCONECTA(login(), "", "", serverText(), "default"), KQDBConnection::NoDatastoreAttached);

    ServerTestDatabase closed;
    QString error;
    ASSERT_TRUE(closed.create("cerrada", &error)) << error.toStdString();
    {
        std::unique_ptr<Database> maintenance = openServerMaintenance(closed.location(), &error);
        ASSERT_TRUE(maintenance) << error.toStdString();
        QSqlQuery alter(maintenance->connection());
        ASSERT_TRUE(alter.exec("ALTER DATABASE " + quoteName(closed.name()) + " ALLOW_CONNECTIONS false"));
    }
    EXPECT_EQ(PCTRLSUS(serverText(), login(), "", closed.name()), 1);
    EXPECT_EQ(PCTRLSUS(serverText(), login(), "", base()), 0);
    EXPECT_EQ(PCTRLSUS(serverText(), login(), "", "x' OR '1'='1"), 0) << "the name is a value, not SQL";
    EXPECT_EQ(PCONECTA(login(), "", closed.name(), serverText(), "default"), 99);

    const MainObjectStart start = startMainObject(clientServer(serverText(), closed.name()), "u.ini", nullptr, ui);
    EXPECT_EQ(start.outcome, MainObjectOutcome::Close);
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{"No puede conectar con la base de datos"});
}

TEST_F(ServerChecksTest, AnEmptyLoginLeavesTheUserToTheServersOwnAuthentication)
{
    // With no user name sent, libpq names the operating-system user or PGUSER.
    {
        ScopedEnvironment user("PGUSER", login().toUtf8());
        EXPECT_EQ(PCONECTA("  ", "", base(), serverText(), "default"), 0);
    }
    ScopedEnvironment user("PGUSER", QByteArray("usuario_que_no_existe"));
    EXPECT_NE(PCONECTA("", "", base(), serverText(), "default"), 0);
    EXPECT_EQ(PCONECTA(login(), "", base(), serverText(), "default"), 0) << "a login is sent as it is";
}

TEST_F(ServerChecksTest, AClientServerStartWorksOnTheServersDatabaseAndOffersTheAttributes)
{
    TempFolder app;
    TempFolder data;  // no KQ_DATA.MDB in it: the file is not needed
    app.write("uordane.ini", ("[KQFiles]\nDataPath=" + data.path() + "\n").toUtf8());
    const CallParameters parameters = clientServer(serverText(), base());
    bool ran = false;
    StartHooks hooks;
    hooks.callMainObject = [&](CallParameters& called) {
        ran = true;
        Database* main = Database::main();
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->backend(), Backend::Postgres);
        EXPECT_EQ(main->location().database, base());
        const MainObjectStart start = startMainObject(called, app.file("u.ini"), main, ui);
        EXPECT_EQ(start.outcome, MainObjectOutcome::Run);
        EXPECT_EQ(start.title, "Dorvo - Nueva empresa - CDP");
        const MainMenuEntry* attributes = findMainMenuEntry("Batributos");
        ASSERT_NE(attributes, nullptr);
        EXPECT_TRUE(mainMenuAllows(*attributes, VBGlob::get("Permisos"), VBGlob::get("VersionCS")));
    };
    std::unique_ptr<Database> database;
    EXPECT_EQ(runStartRoutine({app.path(), "uordane", QStringList(parameters.values.begin(), parameters.values.end())},
                              ui, hooks, database),
              0);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(ui.texts().isEmpty()) << ui.texts().join('|').toStdString();
}

TEST_F(ServerChecksTest, AWrongServerOrDatabaseStopsTheStartWithTheMessage)
{
    TempFolder app;
    for (const CallParameters& parameters :
         {clientServer("127.0.0.1:1", base()), clientServer(serverText(), "no_existe_esta_base")}) {
        ScriptedUi ui;
        MainObjectOutcome outcome = MainObjectOutcome::Run;
        StartHooks hooks;
        hooks.callMainObject = [&](CallParameters& called) {
            EXPECT_EQ(Database::main(), nullptr);
            outcome = startMainObject(called, app.file("u.ini"), Database::main(), ui).outcome;
        };
        std::unique_ptr<Database> database;
        runStartRoutine({app.path(), "uordane", QStringList(parameters.values.begin(), parameters.values.end())}, ui,
                        hooks, database);
        EXPECT_EQ(outcome, MainObjectOutcome::Close);
        EXPECT_EQ(ui.texts(), QStringList{"No puede conectar con la base de datos"});
    }
}

}  // namespace
