#include "startup/start_routine.h"

#include "data/database.h"
#include "data/kq_db_connection.h"

ProgramState& programState()
{
    static ProgramState state;
    return state;
}

int runStartRoutine(const StartEnvironment& environment, UiPort& ui, const StartHooks& hooks,
                    std::unique_ptr<Database>& database)
{
    ProgramState& state = programState();
    state.paths = readConfigurationPaths(environment.applicationFolder, environment.executableBaseName);
    state.workstationUser = workstationUser();
    state.databaseFile = state.paths.databaseFile();
    state.programName = "UORDANE";

    ParameterSource source = readCallParameters(environment.arguments);

    // A file installation works on the shared database file; a client/server
    // one on the database "Base" of the server "Servidor".
    if (source.parameters.isClientServer()) {
        // Whether the server can be reached is the main object's first check,
        // which says so to the user; until then a failure here leaves the
        // program without a database and nothing else.
        const CallParameters& parameters = source.parameters;
        database = std::make_unique<Database>(serverDatabaseLocation(
            parameters.server(), parameters.databaseName(), parameters.serverLogin(),
            parameters.serverPassword()));
        state.databaseFile = database->location().displayName();
        if (database->open())
            Database::setMain(database.get());
        else
            database.reset();
    } else {
        database = std::make_unique<Database>(DatabaseLocation::sqliteFile(state.databaseFile));
        if (!database->open()) {
            // Says which file and why: missing, empty, not a database, of
            // another version or short of a table or field.
            QString message = database->errorText();
            if (!database->errorDetails().isEmpty())
                message += QStringLiteral("\nDetalle: ") + database->errorDetails();
            ui.message(message, MessageIcon::Exclamation);
            database.reset();
            return 1;
        }
        Database::setMain(database.get());
    }

    ShutdownSteps steps = hooks.shutdown;
    steps.closeDatabase = [&database] {
        if (!database)
            return;
        Database::setMain(nullptr);
        database->close();
    };
    TopLevelObjects::setShutdown(steps);

    if (hooks.showMainWindow)
        hooks.showMainWindow();
    TopLevelObjects::opened();
    CallParameters parameters = source.parameters;
    if (hooks.callMainObject)
        hooks.callMainObject(parameters);
    writeCallParameters(source, parameters);
    // The program ends when the count reaches zero, which is now unless
    // panels or forms outlive the main menu.
    TopLevelObjects::closed();
    if (hooks.waitForEnd)
        hooks.waitForEnd();
    return 0;
}
