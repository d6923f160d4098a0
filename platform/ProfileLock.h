#pragma once

#include <string>

namespace busdesk {

// One running copy per profile. Two copies on one profile would each rewrite the settings over
// the other's and clear the other's temporary files at start; so the first copy holds an advisory
// lock (flock) on a file in the profile's state folder for as long as it runs, and a second copy
// finds it taken and stops before it reads or changes anything. The lock goes with the process,
// however it ends: nothing stale is left to clean up.
class ProfileLock {
  public:
    enum class Result {
        Held,            // this process holds the lock of the current profile
        TakenByAnother,  // another process holds it
        Unavailable,     // the lock file cannot be made or locked (a read-only disk, ...)
    };

    // Takes the lock of the current profile (Paths::stateDir()/busdesk.lock), or says why not in
    // `problem`. Taking it again for the same profile is Held at once.
    static Result acquire(std::string* problem = nullptr);
    // Whether this process holds the lock of the profile Paths points at now. Clean-ups of what
    // an earlier copy left behind run only when it does.
    static bool held();
    // Gives the lock back (tests; the app keeps it until it exits).
    static void release();
    static std::string lockFilePath();
};

}  // namespace busdesk
