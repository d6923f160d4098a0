#pragma once

#include <string>

namespace busdesk {

// Where the client keeps its files. By default the XDG folders, each with a "busdesk" child:
// $XDG_CONFIG_HOME (else ~/.config), $XDG_CACHE_HOME (else ~/.cache), $XDG_DATA_HOME (else
// ~/.local/share) and $XDG_STATE_HOME (else ~/.local/state, where the console log goes). After
// setProfileDir(DIR) all four live inside DIR (DIR/config, DIR/cache, DIR/data, DIR/state), so a test or a
// second profile never touches the user's real settings. The folders are not created here; ensureDirectory
// does that when a file is about to be written.
//
// The four folders and everything below them are ours: made 0700, and tightened to 0700 when an
// earlier version or another program left them wider (their files hold names and card numbers).
// What lies above them (~/.config, the --profile folder itself) is the user's and left as it is.
class Paths {
  public:
    static void setProfileDir(std::string dir);
    // Back to the XDG defaults.
    static void clearProfileDir();
    static std::string profileDir();
    static std::string configDir();
    static std::string cacheDir();
    static std::string dataDir();
    static std::string stateDir();
    // Creates the folder and its missing parents with mode 0700; true when it exists afterwards.
    // A folder of ours on the way (one of the four above, or below one) that is open to group or
    // others is tightened to 0700.
    static bool ensureDirectory(const std::string& dir);
    // Tightens those of the four folders that exist already (at start, before anything is read).
    static void tightenOwnFolders();
};

}  // namespace busdesk
