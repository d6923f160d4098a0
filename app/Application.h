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

// The exit status of a copy that finds its profile in use by another running copy.
inline constexpr int kAlreadyRunningStatus = 3;

// Takes the profile lock (ProfileLock) and tightens the profile's folders. False, with one line
// on `err`, when another copy runs with this profile: the caller exits with kAlreadyRunningStatus.
// When the lock cannot be had at all (a read-only disk) it says so and goes on.
bool holdProfile(std::ostream& err);

// Headless: the app on a virtual clock, driven by the script (or the terminal when there is
// none), the screen printed to `out`; `read` wraps pages to `columns`. Console lines go to
// consoleLogPath() unless --console, so the terminal and a script's output hold only the screens.
// With `lineEditing`, and standard input and output a terminal, lines are read with the line
// editor and its history (historyPath()); otherwise as plain lines from `terminal`. Returns the
// exit status.
int runHeadless(const LaunchOptions& options, std::istream& terminal, std::ostream& out, int columns = 80,
                bool lineEditing = false);

// Where the terminal mode and scripts write the console lines: console.log in the state folder.
std::string consoleLogPath();
// The terminal mode's command history: history in the state folder.
std::string historyPath();

}  // namespace busdesk
