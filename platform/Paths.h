#pragma once

#include <string>

namespace busdesk {

// Where the client keeps its files. By default the XDG folders, each with a "busdesk" child:
// $XDG_CONFIG_HOME (else ~/.config), $XDG_CACHE_HOME (else ~/.cache), $XDG_DATA_HOME (else
// ~/.local/share) and $XDG_STATE_HOME (else ~/.local/state, where the console log goes). After
// setProfileDir(DIR) all four live inside DIR (DIR/config, DIR/cache, DIR/data, DIR/state), so a test or a
// second profile never touches the user's real settings. The folders are not created here; ensureDirectory
// does that when a file is about to be written.
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
    static bool ensureDirectory(const std::string& dir);
};

}  // namespace busdesk
