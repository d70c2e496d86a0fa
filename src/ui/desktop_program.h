#pragma once

#include "startup/start_routine.h"

/// The desktop program from its start to its end: the main window, the
/// report previews and the start routine, which runs the main menu. The
/// program ends when its last top-level object closes (the main menu, the
/// panels and forms still open in the main window, in any order): the
/// database is closed, the work database deleted, and the end waits until
/// no report preview is open. SIGTERM, SIGINT and SIGHUP close every window,
/// so that the program ends the same way. Returns the process exit code.
int runDesktopProgram(const StartEnvironment& environment);
