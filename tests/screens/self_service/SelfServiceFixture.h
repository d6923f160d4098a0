#pragma once

#include <memory>
#include <string>

#include "platform/DateFormat.h"
#include "platform/views/NavigationController.h"
#include "tests/screens/core/CoreScreensFixture.h"

namespace busdesk::test {

// The self-service screens on their own navigation stack, with a signed-in session.
class SelfServiceTest : public CoreScreensTest {
  protected:
    static constexpr const char* kSession =
        R"({"IsSuccess":"1","EmpID":"E10086","Name":"张建国","EmpRoleName":"驾驶员","OrgName":"第一运营公司",)"
        R"("oneCardID":"880010086"})";

    template <class T>
    std::shared_ptr<T> open(std::shared_ptr<T> screen) {
        nav = std::make_shared<NavigationController>(screen);
        window->setRootViewController(nav);
        screen->view();
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        return screen;
    }
    template <class T>
    std::shared_ptr<T> topScreen() const {
        return nav ? std::dynamic_pointer_cast<T>(nav->topViewController()) : nullptr;
    }
    void setToday(const std::string& moment) { Date::setNow(parseDate(moment, "yyyy-MM-dd HH:mm:ss")); }
    int toastCount(const std::string& text) const {
        int n = 0;
        for (auto& t : window->pendingToasts()) n += t == text;
        return n;
    }
    bool overlayShown() { return contains(ScreenDump::dump(*window, false), "overlay:"); }

    std::shared_ptr<NavigationController> nav;
};

}  // namespace busdesk::test
