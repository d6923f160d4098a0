#include <algorithm>

#include "CoreScreensFixture.h"
#include "core/OfflineCard.h"
#include "core/RememberedCredentials.h"
#include "core/SessionEnd.h"
#include "core/SettingsKeys.h"
#include "platform/views/AlertView.h"
#include "platform/views/ViewFinder.h"
#include "screens/core/MainViewController.h"
#include "screens/core/SignOut.h"
#include "server/FaultSet.h"

namespace busdesk::test {
namespace {

class SignOutTest : public CoreScreensTest {
  protected:
    void signedInAtHome(bool remember = true) {
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", remember));
        ASSERT_TRUE(run("wait 3\n"));
        ASSERT_TRUE(top<MainViewController>());
    }
    // One command whose failure is the expected outcome.
    ScriptRunner::Outcome attempt(const std::string& line) {
        ScriptRunner runner(window, out);
        return runner.execute(line);
    }
    // A tap as a finger makes it, without waiting for what it starts.
    void tapNow(const std::string& selector) {
        View* v = ViewFinder::find(*window, selector);
        ASSERT_NE(v, nullptr) << selector << "\n" << screen();
        for (; v; v = v->superview())
            if (v->userTap()) return;
        ADD_FAILURE() << "nothing reacts to " << selector;
    }
};

TEST_F(SignOutTest, SignOutEndsEverythingOfTheSignedInUserAndNothingLeadsBack) {
    signedInAtHome(true);
    PublicMethod::setObject("12004", kBuselfid);
    PublicMethod::setNewsRead("N1");
    std::weak_ptr<SideMenu> oldShell = shell();
    std::weak_ptr<MainViewController> oldHome = top<MainViewController>();
    ASSERT_TRUE(run("menu right\ntap #signOut\n"));

    // The remembered credentials go; the rest of the settings stays.
    auto disk = settingsOnDisk();
    EXPECT_FALSE(disk.contains(kZtPassword));
    EXPECT_FALSE(disk.contains(kZtUsername));
    EXPECT_FALSE(disk.contains(kEmpId));
    for (const char* key : {kTime, kReadNews, kBuselfid}) EXPECT_TRUE(disk.contains(key)) << key;
    // Password and identity-card number were never in the file; the password is gone.
    EXPECT_FALSE(disk.contains(kIDcard));
    EXPECT_FALSE(RememberedCredentials::shared().password());
    // The identity-card number of the last login stays in memory only, for the reminder of an
    // initial password at the next login.
    EXPECT_TRUE(RememberedCredentials::shared().idCard());
    // Nobody is signed in, and the signed-in screens are gone, not hidden under the login.
    EXPECT_FALSE(Session::shared().loginResult());
    EXPECT_FALSE(Session::shared().cardID());
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
    EXPECT_EQ(window->topViewController(), window->rootViewController());
    EXPECT_TRUE(oldShell.expired());
    EXPECT_TRUE(oldHome.expired());

    for (const char* command : {"back", "home", "menu left", "menu right"}) {
        auto outcome = attempt(command);
        EXPECT_FALSE(outcome.ok) << command;
    }
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #username: \"\" placeholder")) << s;
    EXPECT_TRUE(contains(s, "checkbox #cb: [ ]")) << s;
    EXPECT_FALSE(contains(s, "首页")) << s;
    EXPECT_FALSE(contains(s, "张建国")) << s;
    // A query screen can only be reached by signing in again.
    EXPECT_FALSE(attempt("tap 考勤信息").ok);
}

TEST_F(SignOutTest, AnAnswerArrivingAfterSignOutReachesNoScreenAndChangesNothing) {
    signedInAtHome(false);
    ASSERT_TRUE(run("menu left\ntap 考勤信息\n"));
    sim::Fault slow;
    slow.latencyMs = 1500;
    sim().faults().set("Query_FdisempdutyInfo", slow);
    tapNow("#Search");
    std::weak_ptr<ViewController> list = content()->topViewController();
    ASSERT_EQ(content()->viewControllers().size(), 2u);
    ASSERT_EQ(requestsTo("Query_FdisempdutyInfo").size(), 1u);
    // Signed out while the answer is on its way.
    shell()->presentRightMenuViewController();
    tapNow("#signOut");
    RunLoop::main().advance(std::chrono::seconds(5));
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));

    EXPECT_TRUE(list.expired());
    EXPECT_FALSE(Session::shared().loginResult());
    EXPECT_TRUE(window->pendingToasts().empty()) << screen();
    // The request was called off, not left to finish.
    bool cancelled = false;
    for (const auto& line : logLines()) cancelled = cancelled || contains(line, "Code=-999");
    EXPECT_TRUE(cancelled);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "#loginAction")) << s;
    EXPECT_FALSE(contains(s, "网络异常")) << s;
    EXPECT_FALSE(contains(s, "list #tbList")) << s;
}

TEST_F(SignOutTest, EveryRegisteredStepRunsOnceWithWhoSignedOutAndTheLoginSaysWhy) {
    signedInAtHome(false);
    std::vector<EndedSession> seen;
    std::vector<std::string> order;
    SessionEnd::add("test.answers", [&](EndedSession& ended) {
        seen.push_back(ended);
        order.push_back("answers");
    });
    SessionEnd::add("test.outbox", [&](EndedSession& ended) {
        order.push_back("outbox");
        ended.notices.push_back("待发送的反馈将在下次登录后发送");
    });
    // Added twice under one name: still one step.
    SessionEnd::add("test.outbox", [&](EndedSession& ended) {
        order.push_back("outbox");
        ended.notices.push_back("待发送的反馈将在下次登录后发送");
    });
    // An alert the signed-in screens left open does not survive them.
    ASSERT_TRUE(run("menu left\ntap #btnVersion\n"));
    ASSERT_EQ(AlertView::visibleAlerts().size(), 1u);

    SignOut::signOut(*window, "密码已修改，请重新登录");
    SessionEnd::remove("test.answers");
    SessionEnd::remove("test.outbox");

    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].cardID, "10086");
    EXPECT_EQ(seen[0].empID, "E10086");
    EXPECT_EQ(seen[0].reason, "密码已修改，请重新登录");
    EXPECT_EQ(order, (std::vector<std::string>{"answers", "outbox"}));
    auto alerts = AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->message(), "密码已修改，请重新登录\n待发送的反馈将在下次登录后发送");
    ASSERT_TRUE(run("alert 确定\nexpect #loginAction\n"));
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
    // What remains is the app's own: the login registered the offline card's steps, the feedback
    // outbox its own (it keeps the user's unsent feedback and says so).
    auto names = SessionEnd::stepNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"offlineCard", "offlineSession", "outbox"}));
}

TEST_F(SignOutTest, TheNextLoginBuildsAFreshShellForTheNextEmployee) {
    signedInAtHome(false);
    ASSERT_TRUE(run("menu right\ntap #signOut\n"));
    ASSERT_TRUE(loginAs("10010", "654321", false));
    ASSERT_TRUE(shell());
    EXPECT_EQ(RememberedCredentials::shared().idCard(), "370103199003154428");
    EXPECT_EQ(Session::shared().cardID(), "10010");
    ASSERT_TRUE(run("menu right\nexpect button #userBtn: \"李秀梅\"\n"));
}

TEST_F(SignOutTest, AnAcceptedLoginKeepsTheOfflineCardAndSigningOutDeletesIt) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(shell());
    EXPECT_TRUE(offline::canOffer("10086"));
    SignOut::signOut(*window);
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_FALSE(offline::canOffer("10086"));
    EXPECT_FALSE(std::filesystem::exists(offline::cardFile("10086")));
}

}  // namespace
}  // namespace busdesk::test
