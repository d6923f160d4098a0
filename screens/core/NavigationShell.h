#pragma once

#include <functional>
#include <memory>

#include "ui/SideMenu.h"

namespace busdesk {

class Window;

// The side-menu shell an accepted login puts into the window: the advertising screen inside a
// navigation controller as content, the feature menu on the left, the employee's menu on the right.
class NavigationShell {
  public:
    using Installed = std::function<void(const std::shared_ptr<SideMenu>&)>;

    // The app records each new shell (its `sideMenu`) through this, and is the shell's delegate.
    static void setInstalledHandler(Installed handler);
    static void setSideMenuDelegate(std::weak_ptr<SideMenuDelegate> delegate);

    static std::shared_ptr<SideMenu> build();
    // Builds a shell and makes it the window's root screen; a login screen presented over the
    // previous shell goes away with it.
    static std::shared_ptr<SideMenu> install(Window& window);

    // Menu switching: `screen` becomes the root of a new navigation controller that replaces the
    // content (the old stack is let go), then the menu slides away. Nothing happens outside a shell.
    static void showContent(ViewController& from, std::shared_ptr<ViewController> screen);
};

}  // namespace busdesk
