// A depot without the network, as a driver meets it at the terminal: what was read yesterday is
// still there after the office went away and the program was started again.
#include <string>

#include "tests/e2e/TerminalSessionFixture.h"

namespace busdesk {
namespace {

class OfflineTerminal : public TerminalSession {
  protected:
    std::string openAttendance() {
        say("menu left");
        say("tap 考勤信息");
        say("tap #tf_Btime");
        say("pick 2014-05-01");
        say("tap #ShowEtime");
        say("pick 2014-05-04");
        return say("tap #Search");
    }
    std::string openPlan() {
        say("menu left");
        return say("tap 运营情况");
    }
    void quit() {
        untilTheEditorReads();
        const std::string line = "quit\n";
        ASSERT_EQ(::write(master_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        std::string rest;
        EXPECT_EQ(untilExit(rest), 0) << rest;
    }
};

TEST_F(OfflineTerminal, SignedInOnceTheAttendanceAndThePlanAreReadAgainWithoutTheOffice) {
    start();
    transcript_ += untilPrompt();
    say("type #username 10086");
    say("type #password 123456");
    std::string in = say("tap #loginAction");
    ASSERT_NE(in.find("\"首页\""), std::string::npos) << in;
    std::string attendance = openAttendance();
    ASSERT_NE(attendance.find("考勤日期:2014-05-01"), std::string::npos) << attendance;
    std::string plan = openPlan();
    ASSERT_NE(plan.find("#tplan"), std::string::npos) << plan;
    ASSERT_EQ(plan.find("离线数据"), std::string::npos) << plan;
    quit();

    // The office goes away; the program starts again on the same profile.
    sim_->stop();
    start();
    transcript_ += untilPrompt();
    say("type #username 10086");
    say("type #password 123456");
    std::string refused = say("tap #loginAction");
    EXPECT_NE(refused.find("toast: \"网络异常！\""), std::string::npos) << refused;
    ASSERT_NE(refused.find("button #offlineLogin: \"离线登录\""), std::string::npos) << refused;
    std::string offline = say("tap #offlineLogin");
    ASSERT_NE(offline.find("\"首页\""), std::string::npos) << offline;
    EXPECT_NE(offline.find("label #offlineBadge: \"离线\""), std::string::npos) << offline;

    attendance = openAttendance();
    EXPECT_NE(attendance.find("离线数据（更新于 2014-05-20 09:0"), std::string::npos) << attendance;
    EXPECT_NE(attendance.find("考勤日期:2014-05-01"), std::string::npos) << attendance;
    plan = openPlan();
    EXPECT_NE(plan.find("离线数据（更新于 2014-05-20 09:0"), std::string::npos) << plan;
    EXPECT_NE(plan.find("#tplan"), std::string::npos) << plan;
    quit();
}

}  // namespace
}  // namespace busdesk
