// Whole flows through the program as a user drives it: the headless app, a script, and the
// substitute office server on a loopback port.
#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "HeadlessFlowFixture.h"
#include "app/Application.h"
#include "core/Session.h"
#include "platform/Paths.h"
#include "platform/Preferences.h"
#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class Flows : public test::HeadlessFlow {
  protected:
    boost::json::object storedSettings() {
        std::ifstream in(Paths::configDir() + "/settings.json");
        std::stringstream text;
        text << in.rdbuf();
        auto v = boost::json::parse(text.str());
        return v.as_object();
    }
};

TEST_F(Flows, NewcomerSignsInReadsABulletinSeesProfileChangesPasswordAndSignsOut) {
    auto r = run(R"(# sign in, remembering the password
type #username 10086
type #password 123456
tap #cb
tap #loginAction
expect "登录成功"
expect "请尽快修改您的初始密码"
wait 3
expect "首页"
# refreshed as the home page opened, three seconds after the start
expect "上次刷新时间：2014-05-20 09:00:03"
# the announcements list and one bulletin
menu left
tap 公告通知
expect "list #tbList: 10 rows"
tap 关于冬季安全行车的通知
expect "公告详情"
expect "发布时间："
back
# the profile from the right menu
menu right
expect "张建国"
tap #userInfo
expect "个人信息"
expect "370102198506123456"
# change the password through the settings screen
menu right
tap #ShowSetting
tap #changePassword
type #tf_oldPassword 123456
type #tf_newPassword 111111
type #tf_confirmPassword 111111
tap #changePassword
expect "密码修改成功！"
# and sign out
menu right
tap #signOut
expect "#loginAction"
dump
quit
)");
    ASSERT_EQ(r.status, 0) << r.screen;
    auto settings = storedSettings();
    EXPECT_FALSE(settings.contains("zt_username"));
    EXPECT_FALSE(settings.contains("zt_password"));
    EXPECT_FALSE(settings.contains("EmpId"));
    EXPECT_FALSE(settings.contains("IDcard"));
    EXPECT_TRUE(settings.contains("time"));
    EXPECT_TRUE(settings.contains("ReadNews"));
    // The server took the new password: the old one is refused now.
    auto again = run(R"(type #username 10086
type #password 123456
tap #loginAction
expect "用户名或密码错误"
type #password 111111
tap #loginAction
expect "登录成功"
)");
    EXPECT_EQ(again.status, 0) << again.screen;
}

TEST_F(Flows, AnotherEmployeeAfterSignOutGetsANewShellWithTheirName) {
    auto r = run(R"(type #username 10086
type #password 123456
tap #loginAction
wait 3
menu right
expect "张建国"
tap #signOut
type #username 10010
type #password 654321
tap #loginAction
wait 3
menu right
expect "李秀梅"
quit
)");
    EXPECT_EQ(r.status, 0) << r.screen;
    EXPECT_EQ(r.screen.find("张建国"), std::string::npos) << "the old shell's name must not show";
}

// After signing out, nothing of the signed-in screens can be reached: not by going back, not by
// the menu, not by a query screen's name.
TEST_F(Flows, AfterSignOutBackShowsTheLoginScreenAndNothingElse) {
    const std::string signedOut = R"(type #username 10086
type #password 123456
tap #loginAction
wait 3
menu left
tap 考勤信息
menu right
tap #signOut
expect "#loginAction"
)";
    for (const char* attempt : {"back", "home", "menu left", "tap 考勤信息", "tap #Search"}) {
        SCOPED_TRACE(attempt);
        auto r = run(signedOut + attempt + "\n");
        EXPECT_EQ(r.status, 1) << r.screen;
        EXPECT_NE(r.screen.find("line 10: "), std::string::npos) << r.screen;
    }
    auto r = run(signedOut + "dump\n");
    ASSERT_EQ(r.status, 0) << r.screen;
    auto last = r.screen.substr(r.screen.rfind("label: \"公交移动办公\""));
    EXPECT_EQ(last.find("考勤"), std::string::npos) << last;
    EXPECT_EQ(last.find("bar:"), std::string::npos) << last;
    EXPECT_NE(last.find("field #username: \"\" placeholder"), std::string::npos) << last;
}

// A script's output is what it asked to print; the requests and answers go to the console log.
TEST_F(Flows, AScriptPrintsOnlyWhatItAskedForAndTheConsoleLinesGoToTheLog) {
    auto r = run(R"(type #username 10086
type #password 123456
tap #loginAction
wait 3
dump
)");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_EQ(r.screen.find("last url =="), std::string::npos) << r.screen;
    EXPECT_EQ(r.screen.find("JSON:"), std::string::npos) << r.screen;
    EXPECT_EQ(r.screen.find("Console lines go to"), std::string::npos) << r.screen;
    EXPECT_NE(r.screen.find("bar: [#presentLeftMenuViewController] \"首页\""), std::string::npos) << r.screen;
    std::ifstream log(dir_ / "profile" / "state" / "console.log");
    std::stringstream logged;
    logged << log.rdbuf();
    EXPECT_NE(logged.str().find("last url =="), std::string::npos);
    EXPECT_EQ(logged.str().find("Password=123456"), std::string::npos);
}

TEST_F(Flows, UnreachableServerShowsNetworkErrorAndStaysOnLogin) {
    sim_->stop();
    auto r = run(R"(type #username 10086
type #password 123456
tap #loginAction
expect "网络异常！"
expect "#loginAction"
)");
    EXPECT_EQ(r.status, 0) << r.screen;
}

// The server takes the request and never answers. Time is virtual in a script, and so is the
// request's time-out: after a minute of waiting the login gives up, as it would for a user.
// (Each command still waits up to ten real seconds for the request in flight, once here.)
TEST_F(Flows, ASilentServerTimesOutWhenTheScriptWaitsPastTheTimeOut) {
    sim::Fault silent;
    silent.body = sim::Fault::Body::NoAnswer;
    sim_->faults().set("User_Login", silent);
    auto r = run(R"(type #username 10086
type #password 123456
tap #loginAction
wait 61
expect "网络异常！"
expect "#loginAction"
)");
    EXPECT_EQ(r.status, 0) << r.screen;
}

TEST_F(Flows, AFailedExpectationEndsTheScriptWithStatusOne) {
    auto r = run("expect \"no such text on the login screen\"\n");
    EXPECT_EQ(r.status, 1);
}

}  // namespace
}  // namespace busdesk
