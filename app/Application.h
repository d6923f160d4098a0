#pragma once

#include <iosfwd>
#include <string>

#include "app/LaunchOptions.h"

namespace busdesk {

// The whole program behind main(): options, then the window or the headless terminal.
int runBusDesk(int argc, char** argv);

// Settles what every run needs before the first screen: the profile folder, the server
// addresses, the pinned clock and the network loaders.
void prepareEnvironment(const LaunchOptions& options);

// Headless: the app on a virtual clock, driven by the script (or the terminal when there is
// none), the screen printed to `out`; `read` wraps pages to `columns`. At the terminal (no
// script) console lines go to consoleLogPath() unless --console. Returns the exit status.
int runHeadless(const LaunchOptions& options, std::istream& terminal, std::ostream& out, int columns = 80);

// Where the terminal mode writes the console lines: console.log in the state folder.
std::string consoleLogPath();

}  // namespace busdesk
