#include "core/AppInfo.h"

#ifndef BUSDESK_APP_ID
#error "BUSDESK_APP_ID is set by the build (CMakeLists.txt)"
#endif

namespace busdesk {

std::string AppInfo::appId() {
    return BUSDESK_APP_ID;
}

std::string AppInfo::version() {
    return BUSDESK_APP_VERSION;
}

std::string AppInfo::buildVersion() {
    return BUSDESK_BUILD_VERSION;
}

}  // namespace busdesk
