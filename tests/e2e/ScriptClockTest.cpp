// The headless program keeps one clock: --now sets where it starts, `wait` moves it, and the dates
// the screens ask the office for are read from it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "HeadlessFlowFixture.h"
#include "screens/operations/illegalViewController.h"

namespace busdesk {
namespace {

class ScriptClock : public test::HeadlessFlow {
  protected:
    ScriptClock() : HeadlessFlow("2014-05-20", "23:59:46") {}
    void SetUp() override {
        HeadlessFlow::SetUp();
        illegalViewController::setRememberedDay(std::nullopt);
    }
    void TearDown() override {
        illegalViewController::setRememberedDay(std::nullopt);
        HeadlessFlow::TearDown();
    }
    // The days asked for, from the console lines a script run keeps in the profile's state folder.
    std::vector<std::string> runDates() const {
        std::ifstream in(dir_ / "profile" / "state" / "console.log");
        std::vector<std::string> dates;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("last url == ", 0) == 0 && line.find("RunDate=") != std::string::npos)
                dates.push_back(line.substr(line.find("RunDate=") + 8, 10));
        return dates;
    }
};

TEST_F(ScriptClock, AQueryAfterWaitingPastMidnightAsksForTheNewDay) {
    auto r = run(R"S(type #username 10086
type #password 123456
tap #loginAction
wait 4
menu left
tap 完成车次
tap #search
expect bar: [#goBack] "完成车次" [#goIndex]
back
wait 20
tap #search
expect bar: [#goBack] "完成车次" [#goIndex]
)S");
    ASSERT_EQ(r.status, 0) << r.screen;
    // The first query at 23:59:50 of the 20th, the second at 00:00:10 of the 21st.
    EXPECT_EQ(runDates(), (std::vector<std::string>{"2014-05-20", "2014-05-21"}));
}

}  // namespace
}  // namespace busdesk
