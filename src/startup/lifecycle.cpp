#include "startup/lifecycle.h"

#include <cassert>

namespace {

int openObjects = 0;
ShutdownSteps installedSteps;

void runIfSet(const std::function<void()>& step)
{
    if (step)
        step();
}

}  // namespace

void runShutdown(const ShutdownSteps& steps)
{
    runIfSet(steps.closeDatabase);
    runIfSet(steps.deleteWorkDatabase);
    runIfSet(steps.hideForms);
    while (steps.openPreviews && steps.openPreviews() > 0) {
        if (!steps.pause)
            break;
        steps.pause();
    }
    runIfSet(steps.end);
}

namespace TopLevelObjects {

void setShutdown(ShutdownSteps steps)
{
    installedSteps = std::move(steps);
}

void opened()
{
    ++openObjects;
}

void closed()
{
    assert(openObjects > 0 && "a top-level object closed more often than it opened");
    if (--openObjects == 0)
        runShutdown(installedSteps);
}

int count()
{
    return openObjects;
}

}  // namespace TopLevelObjects
