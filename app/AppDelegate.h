#pragma once

#include <memory>
#include <string>

#include "app/BackgroundTask.h"
#include "ui/SideMenu.h"

namespace busdesk {

class Window;

// What the phone's idle timer and audio session were told at launch. This platform has neither
// (a desktop does not lock the screen under a running app, and BusDesk plays no sound), so the
// settings are only kept, for whoever wants to know what was asked.
struct DeviceSettings {
    bool idleTimerDisabled = false;
    bool audioSessionActive = false;
    std::string audioCategory;
    bool mixWithOthers = false;
};

// The application delegate: builds the window with the login screen at launch, and keeps the
// background-time grant when the app goes to the background. It is the side menu's delegate but
// wants none of its calls.
class AppDelegate : public SideMenuDelegate, public std::enable_shared_from_this<AppDelegate> {
  public:
    AppDelegate() = default;

    bool applicationDidFinishLaunchingWithOptions();
    void applicationDidEnterBackground();
    void applicationWillResignActive() {}
    void applicationWillEnterForeground() {}
    void applicationDidBecomeActive() {}
    void applicationWillTerminate() {}

    std::shared_ptr<Window> window() const { return window_; }
    // The navigation shell a login put up, while it is the window's root; nothing before the first
    // login and after signing out. The window owns it: held here, it would outlive a sign-out.
    std::shared_ptr<SideMenu> sideMenu() const { return sideMenu_.lock(); }
    const DeviceSettings& deviceSettings() const { return device_; }
    BackgroundTaskIdentifier backgroundTask() const { return bgTask_; }

  private:
    void invalidateBackgroundTask();

    std::shared_ptr<Window> window_;
    std::weak_ptr<SideMenu> sideMenu_;
    DeviceSettings device_;
    BackgroundTaskIdentifier bgTask_ = BackgroundTaskInvalid;
};

}  // namespace busdesk
