#pragma once

#include <functional>

// The request to end the program at once, made where no window is at hand:
// the error translator makes it for error 1060, after its message. The
// program that runs the windows installs what ending means (closing them
// so that the usual shutdown runs); where none is installed the request is
// only remembered.
namespace ProgramEnd {

/// Installs what a request does; an empty handler removes it. Forgets an
/// earlier request.
void setHandler(std::function<void()> handler);
/// Asks the program to end. A second request while the first is being
/// carried out does nothing more.
void request();
/// Whether the program was asked to end since the handler was installed.
bool requested();

}  // namespace ProgramEnd
