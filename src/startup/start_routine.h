#pragma once

#include "startup/call_parameters.h"
#include "startup/lifecycle.h"
#include "startup/paths.h"
#include "support/ui_port.h"

#include <QStringList>
#include <functional>
#include <memory>

class Database;

/// Where the program runs from and what it was called with.
struct StartEnvironment {
    QString applicationFolder;
    QString executableBaseName;  ///< names the executable's INI file
    QStringList arguments;       ///< without the program name
};

/// Values every part of the program may read; set once by the start routine.
struct ProgramState {
    ConfigurationPaths paths;
    QString workstationUser;
    QString programName;
    QString databaseFile;
};

/// The program's process-wide values.
ProgramState& programState();

/// What the start routine needs from the desktop program around it.
struct StartHooks {
    /// Shows the main window (not modally).
    std::function<void()> showMainWindow;
    /// Runs the main object with the parameters until it closes; the object
    /// leaves in them the values to hand back to the caller.
    std::function<void(CallParameters&)> callMainObject;
    /// The rest of the shutdown (hide forms, wait for previews, end); closing
    /// the database is the start routine's own step.
    ShutdownSteps shutdown;
    /// Keeps the program running, after the main object returned, until
    /// the shutdown has ended it: windows the main menu opened may still be
    /// open. Returns at once when the shutdown has run.
    std::function<void()> waitForEnd;
};

/// The start routine: reads the folders and the parameters, opens the
/// database, runs the main object, writes the parameters back and ends.
/// Returns the process exit code. `database` receives the opened main
/// connection and stays owned by the caller.
int runStartRoutine(const StartEnvironment& environment, UiPort& ui, const StartHooks& hooks,
                    std::unique_ptr<Database>& database);
