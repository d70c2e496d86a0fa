#include "startup/start_routine.h"

#include "data/database.h"

ProgramState& programState()
{
    static ProgramState state;
    return state;
}

namespace {

bool isClientServer(const CallParameters& parameters)
{
    return parameters.installationKind().trimmed() == "S";
}

}  // namespace

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
    // installation connects to its server when the main object starts.
    if (!isClientServer(source.parameters)) {
        database = std::make_unique<Database>(DatabaseLocation::sqliteFile(state.databaseFile));
        if (!database->open()) {
            ui.message("No se puede abrir la base de datos " + state.databaseFile, MessageIcon::Exclamation);
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
    TopLevelObjects::closed();
    return 0;
}
