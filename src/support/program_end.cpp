#include "support/program_end.h"

namespace {

std::function<void()> installedHandler;
bool endRequested = false;

}  // namespace

namespace ProgramEnd {

void setHandler(std::function<void()> handler)
{
    installedHandler = std::move(handler);
    endRequested = false;
}

void request()
{
    if (endRequested)
        return;
    endRequested = true;
    if (installedHandler)
        installedHandler();
}

bool requested()
{
    return endRequested;
}

}  // namespace ProgramEnd
