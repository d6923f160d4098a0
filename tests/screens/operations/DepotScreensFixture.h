#pragma once

#include <string>
#include <vector>

#include "core/PublicMethod.h"
#include "core/SettingsKeys.h"
#include "platform/DateFormat.h"
#include "tests/screens/core/CoreScreensFixture.h"

namespace busdesk::test {

// Signed in as the driver 10086 (E10086, vehicle 12004, first depot) through the login screen,
// the clock pinned to the server's today.
class DepotScreensTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        pinNow("2026-12-07 10:00:00");
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", rememberAtLogin()));
        run("wait 4");
    }
    virtual bool rememberAtLogin() const { return false; }

    static void pinNow(const std::string& moment) { Date::setNow(parseDate(moment, "yyyy-MM-dd HH:mm:ss")); }

    // Opens a left-menu row.
    void openMenuRow(const std::string& title) { run("menu left\ntap " + title); }

    // The one request to `method` so far (fails the test when there is not exactly one).
    std::string onlyRequestTo(const std::string& method) {
        auto urls = requestsTo(method);
        EXPECT_EQ(urls.size(), 1u) << method;
        return urls.empty() ? std::string() : urls.back();
    }

    bool logged(const std::string& line) const {
        for (const auto& l : logLines())
            if (l == line) return true;
        return false;
    }
};

}  // namespace busdesk::test
