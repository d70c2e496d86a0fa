#include "startup/lifecycle.h"
#include "startup/main_object_start.h"
#include "startup/paths.h"
#include "startup/start_routine.h"
#include "startup/vbglob.h"

#include "data/database.h"
#include "data/database_setup.h"
#include "scripted_ui.h"
#include "scoped_environment.h"
#include "temp_folder.h"

#include <QFile>

#include <gtest/gtest.h>


TEST(ConfigurationPaths, DataPathWithOrWithoutSeparatorOrNoIniFileGiveTheDatabaseFile)
{
    TempFolder app;
    app.write("UORDANE.INI", "[KQFiles]\r\nDataPath=/datos\r\nGraphPath=/graf/\r\nMenuPath=\r\n");
    const ConfigurationPaths paths = readConfigurationPaths(app.path(), "uordane");
    EXPECT_EQ(paths.databaseFile(), "/datos/KQ_DATA.MDB");
    EXPECT_EQ(paths.picture, "/graf/");
    EXPECT_EQ(paths.menu, "/");            // an empty value is the root
    EXPECT_EQ(paths.aux, app.path());      // an absent key is the application folder

    app.write("UORDANE.INI", "[kqfiles]\r\ndatapath=/datos/\r\n");
    EXPECT_EQ(readConfigurationPaths(app.path(), "uordane").databaseFile(), "/datos/KQ_DATA.MDB");

    // Without an INI file the data are in the application folder.
    TempFolder bare;
    const ConfigurationPaths defaults = readConfigurationPaths(bare.path().chopped(1), "uordane");
    EXPECT_EQ(defaults.data, bare.path());
    EXPECT_EQ(defaults.databaseFile(), bare.path() + "KQ_DATA.MDB");
}

TEST(WorkstationUser, TrimmedLognameOrGuest)
{
    const QList<std::pair<std::optional<QByteArray>, QString>> cases = {
        {QByteArray("  mrodriguez  "), "mrodriguez"}, {std::nullopt, "GUEST"}, {QByteArray("   "), "GUEST"}};
    for (const auto& [value, user] : cases) {
        ScopedEnvironment logname("LOGNAME", value);
        EXPECT_EQ(workstationUser(), user);
    }
}

TEST(VBGlob, KeysIgnoreCaseAndMissingKeysAreEmpty)
{
    VBGlob::clear();
    VBGlob::put("IDEmpresa", "E1");
    VBGlob::put("IdEmpresa", "E2");
    EXPECT_EQ(VBGlob::get("IDEMPRESA"), "E2");
    EXPECT_EQ(VBGlob::get("Nada"), "");
    VBGlob::put("Contraseña", "x");
    EXPECT_EQ(VBGlob::get("CONTRASEÑA"), "x");
}

TEST(MainObjectStart, TitleLeavesOutABlankCompanyIdentifier)
{
    VBGlob::clear();
    VBGlob::put("IDEmpresa", "   ");
    EXPECT_EQ(PTITULOE("Dorvo", "Construcciones del Plata"), "Dorvo - Construcciones del Plata");
    VBGlob::put("IDEmpresa", "CDP ");
    EXPECT_EQ(PTITULOE("Dorvo", "Construcciones del Plata"), "Dorvo - Construcciones del Plata - CDP");
}

TEST(MainObjectStart, ContextHoldsTheParametersAndTheCompanyFolder)
{
    TempFolder folder;
    const QString ini = folder.write("uordane.ini", "[KQFILES]\r\ndatapath= /empresas/cdp/ \r\n");
    ScriptedUi ui;
    const CallParameters parameters =
        CallParameters::fromList({"ANA", "clave", "MMMMMMMMS", "", "", "", "", "N", "CDP", "7"});
    const MainObjectStart start = startMainObject(parameters, ini, nullptr, ui);
    EXPECT_EQ(start.outcome, MainObjectOutcome::Run);
    EXPECT_EQ(VBGlob::get("usuario"), "ANA");
    EXPECT_EQ(VBGlob::get("Identificador"), "7");
    EXPECT_EQ(VBGlob::get("PathEmpresa"), "/empresas/cdp/");
    EXPECT_EQ(start.title, "Dorvo -  - CDP");
    EXPECT_TRUE(ui.texts().isEmpty());
}

TEST(MainObjectStart, EmptyPermissionStringEndsTheProgramBeforeReadingTables)
{
    TempFolder folder;
    ScriptedUi ui;
    // A database without any table: reading the company record would fail.
    Database database(DatabaseLocation::sqliteFile(folder.file("KQ_DATA.MDB")));
    ASSERT_TRUE(database.open(Database::OpenMode::CreateIfMissing));
    const MainObjectStart start =
        startMainObject(CallParameters::fromList({"ANA", "", "   "}), folder.file("u.ini"), &database, ui);
    EXPECT_EQ(start.outcome, MainObjectOutcome::EndProgram);
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{"Este programa no puede ejecutarse por separado"});
}

TEST(MainObjectStart, ClientServerWithoutAServerCannotConnect)
{
    TempFolder folder;
    ScriptedUi ui;
    CallParameters parameters = CallParameters::fromList({"ANA", "", "MMMMMMMMS", "sa", "x", "NOMINA", "", "S"});
    const MainObjectStart start = startMainObject(parameters, folder.file("u.ini"), nullptr, ui);
    EXPECT_EQ(start.outcome, MainObjectOutcome::Close);
    EXPECT_EQ(ui.messages(MessageIcon::Information), QStringList{"No puede conectar con la base de datos"});
}

TEST(Lifecycle, ShutdownRunsInOrderAndWaitsForPreviews)
{
    QStringList steps;
    int previews = 2;
    ShutdownSteps shutdown;
    shutdown.closeDatabase = [&] { steps << "base"; };
    shutdown.deleteWorkDatabase = [&] { steps << "trabajo"; };
    shutdown.hideForms = [&] { steps << "ocultar"; };
    shutdown.openPreviews = [&] { return previews; };
    shutdown.pause = [&] { steps << "espera"; --previews; };
    shutdown.end = [&] { steps << "fin"; };
    TopLevelObjects::setShutdown(shutdown);

    TopLevelObjects::opened();
    {
        TopLevelObjectScope panel;
        EXPECT_EQ(TopLevelObjects::count(), 2);
    }
    EXPECT_TRUE(steps.isEmpty());
    TopLevelObjects::closed();
    EXPECT_EQ(steps, (QStringList{"base", "trabajo", "ocultar", "espera", "espera", "fin"}));
    TopLevelObjects::setShutdown({});
}

// A database that is missing or is no database: the reason named with the
// file, no main window, no main object, and the file kept as it was.
TEST(StartRoutine, AMissingFileOrOneThatIsNotADatabaseIsRefusedBeforeTheMainWindow)
{
    const QByteArray notADatabase("Planilla de sueldos, no una base de datos");
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "not a database" : "missing");
        TempFolder app;
        TempFolder data;
        app.write("uordane.ini", ("[KQFiles]\nDataPath=" + data.path() + "\n").toUtf8());
        if (present)
            data.write("KQ_DATA.MDB", notADatabase);
        ScriptedUi ui;
        bool ran = false;
        StartHooks hooks;
        hooks.showMainWindow = [&] { ran = true; };
        hooks.callMainObject = [&](CallParameters&) { ran = true; };
        std::unique_ptr<Database> database;
        EXPECT_NE(runStartRoutine({app.path(), "uordane", {"ANA", "x", "MMMMMMMMS"}}, ui, hooks, database), 0);
        EXPECT_FALSE(ran);
        EXPECT_EQ(ui.messages(MessageIcon::Exclamation),
                  QStringList{"No se puede abrir la base de datos " + data.path() + "KQ_DATA.MDB: el archivo "
                              + (present ? "no es una base de datos." : "no existe.")});
        if (present) {
            EXPECT_EQ(data.read("KQ_DATA.MDB"), notADatabase);
            EXPECT_FALSE(QFile::exists(data.file("KQ_DATA.MDB-wal")));
        }
    }
}

TEST(StartRoutine, RunsTheMainObjectAndHandsBackTheParameterFile)
{
    TempFolder app;
    TempFolder data;
    app.write("uordane.ini", ("[KQFiles]\nDataPath=" + data.path() + "\n").toUtf8());
    {
        Database create(DatabaseLocation::sqliteFile(data.file("KQ_DATA.MDB")));
        ASSERT_TRUE(create.open(Database::OpenMode::CreateIfMissing));
        QString error;
        ASSERT_TRUE(createDatabase(create, &error)) << qPrintable(error);
    }
    const QString parameterFile = app.write("param.txt", "\"ANA\",\"vieja\",\"MMMMMMMMS\"\r\n");
    ScriptedUi ui;
    QStringList order;
    StartHooks hooks;
    hooks.showMainWindow = [&] { order << "ventana"; };
    hooks.callMainObject = [&](CallParameters& parameters) {
        order << "menu";
        EXPECT_NE(Database::main(), nullptr);
        parameters[1] = "nueva";
    };
    hooks.shutdown.end = [&] { order << "fin"; };
    std::unique_ptr<Database> database;
    EXPECT_EQ(runStartRoutine({app.path(), "uordane", {parameterFile}}, ui, hooks, database), 0);
    EXPECT_EQ(order, (QStringList{"ventana", "menu", "fin"}));
    EXPECT_EQ(Database::main(), nullptr);
    EXPECT_FALSE(database->isOpen());
    EXPECT_TRUE(app.read("param.txt").startsWith("\"ANA\"\r\n\"nueva\"\r\n\"MMMMMMMMS\"\r\n"));
    TopLevelObjects::setShutdown({});
}
