#pragma once

#include <string>

namespace busdesk {

// Who this program is, as the build set it: one id for the desktop entry, the software-centre
// metadata, the icons and the window; one version for `--version`, the settings screen and the
// packages.
struct AppInfo {
    // The reverse-DNS application id ("org.busdesk.BusDesk").
    static std::string appId();
    // The project version ("1.0.0").
    static std::string version();
    // The build number the version button shows ("100").
    static std::string buildVersion();
};

}  // namespace busdesk
