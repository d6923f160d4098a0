#pragma once

#include <set>
#include <string>

#include "screens/operations/illegalViewController.h"
#include "tests/screens/core/CoreScreensFixture.h"

namespace busdesk::test {

// Signed in as the driver 10086 (E10086, early shift of 12004, first depot) on the substitute
// server, the clock pinned to its day, no calendar day remembered.
class DriverDayTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        illegalViewController::setRememberedDay(std::nullopt);
        pinNow("2026-12-07 10:00:00");
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", false));
        ASSERT_TRUE(run("wait 4"));
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        ScreenDump::dump(*window, true);  // the login toast is done with
    }
    void TearDown() override {
        CoreScreensTest::TearDown();
        illegalViewController::setRememberedDay(std::nullopt);
    }
    static void pinNow(const std::string& moment) { Date::setNow(parseDate(moment, "yyyy-MM-dd HH:mm:ss")); }

    // Opens a row of the left menu.
    bool openMenu(const std::string& row) { return run("menu left\ntap " + row); }
    // Back to the home page and presses one of its shortcuts.
    bool openShortcut(const std::string& action) {
        return run("menu left\ntap 主页\nwait 4\ntap #" + action);
    }

    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
        return n;
    }
};

}  // namespace busdesk::test
