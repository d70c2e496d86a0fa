#pragma once

#include <functional>

// The count of open top-level objects and the shutdown that follows when it
// drops to zero. The start routine and every object that opens as an
// independent window (work panels, transactions, procedures, reports) count
// themselves in while they are open.

/// What the program does, in this order, when its last top-level object
/// closes. Steps left empty are skipped.
struct ShutdownSteps {
    std::function<void()> closeDatabase;
    std::function<void()> deleteWorkDatabase;
    std::function<void()> hideForms;
    std::function<int()> openPreviews;  ///< report previews still open
    std::function<void()> pause;        ///< waits 800 ms while processing window events
    std::function<void()> end;          ///< ends the process (or its event loop)
};

/// Runs the shutdown: closes the database and the work database, hides the
/// forms, waits until no report preview is open, and ends.
void runShutdown(const ShutdownSteps& steps);

namespace TopLevelObjects {

/// Installs what happens when the count reaches zero.
void setShutdown(ShutdownSteps steps);
/// One more object is open.
void opened();
/// One object closed; at zero the shutdown runs.
void closed();
int count();

}  // namespace TopLevelObjects

/// Counts an object in for its lifetime.
class TopLevelObjectScope {
public:
    TopLevelObjectScope() { TopLevelObjects::opened(); }
    ~TopLevelObjectScope() { TopLevelObjects::closed(); }
    TopLevelObjectScope(const TopLevelObjectScope&) = delete;
    TopLevelObjectScope& operator=(const TopLevelObjectScope&) = delete;
};
