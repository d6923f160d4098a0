// The headless program keeps one clock: --now sets where it starts, `wait` moves it, and the dates
// the screens ask the office for are read from it.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "HeadlessFlowFixture.h"
#include "platform/Log.h"
#include "screens/operations/illegalViewController.h"

namespace busdesk {
namespace {

class ScriptClock : public test::HeadlessFlow {
  protected:
    ScriptClock() : HeadlessFlow("2014-05-20", "23:59:46") {}
    void SetUp() override {
        HeadlessFlow::SetUp();
        illegalViewController::setRememberedDay(std::nullopt);
        previousSink_ = Log::setSink([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            if (line.rfind("last url == ", 0) == 0 && line.find("RunDate=") != std::string::npos)
                runDates_.push_back(line.substr(line.find("RunDate=") + 8, 10));
        });
    }
    void TearDown() override {
        Log::setSink(previousSink_);
        illegalViewController::setRememberedDay(std::nullopt);
        HeadlessFlow::TearDown();
    }
    std::vector<std::string> runDates() {
        std::lock_guard lock(mutex_);
        return runDates_;
    }

  private:
    Log::Sink previousSink_;
    std::mutex mutex_;
    std::vector<std::string> runDates_;
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
