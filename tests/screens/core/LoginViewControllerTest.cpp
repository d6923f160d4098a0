#include "CoreScreensFixture.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/LoginViewController.h"
#include "screens/core/NavigationShell.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

using LoginTest = CoreScreensTest;

TEST_F(LoginTest, FirstLaunchHasEmptyFieldsAndAnUntickedBox) {
    launch();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #username: \"\" placeholder")) << s;
    EXPECT_TRUE(contains(s, "field #password: \"\" placeholder")) << s;
    EXPECT_TRUE(contains(s, "checkbox #cb: [ ] \"记住密码\"")) << s;
    auto login = std::dynamic_pointer_cast<LoginViewController>(window->rootViewController());
    ASSERT_TRUE(login);
    EXPECT_TRUE(login->password->secureTextEntry());
    EXPECT_TRUE(login->prefersStatusBarHidden());
}

TEST_F(LoginTest, RememberedCredentialsArePutBackWithTheBoxTicked) {
    PublicMethod::setObject("10086", kZtUsername);
    PublicMethod::setObject("123456", kZtPassword);
    launch();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #username: \"10086\"")) << s;
    EXPECT_TRUE(contains(s, "field #password: \"••••••\"")) << s;
    EXPECT_TRUE(contains(s, "checkbox #cb: [x]")) << s;
}

TEST_F(LoginTest, EmptyFieldsAreRefusedWithoutARequestAndFocusGoesToTheEmptyOne) {
    launch();
    long before = sim().requestCount();
    ASSERT_TRUE(run("tap #cb\ntap #loginAction\nexpect toast: \"用户名或者密码不能为空！\"\n"));
    auto login = std::dynamic_pointer_cast<LoginViewController>(window->rootViewController());
    EXPECT_TRUE(login->username->isFirstResponder());
    ASSERT_TRUE(run("type #username 10086\ntap #loginAction\nexpect toast: \"用户名或者密码不能为空！\"\n"));
    EXPECT_TRUE(login->password->isFirstResponder());
    EXPECT_EQ(sim().requestCount(), before);
    EXPECT_FALSE(PublicMethod::getObjectForKey(kZtUsername));
    EXPECT_FALSE(PublicMethod::getObjectForKey(kZtPassword));
}

TEST_F(LoginTest, ATickedBoxStoresBothCredentialsEvenWhenTheLoginIsRefused) {
    launch();
    ASSERT_TRUE(loginAs("10086", "wrong-password", true));
    ASSERT_TRUE(run("expect toast: \"用户名或密码错误\"\n"));
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), "10086");
    EXPECT_EQ(PublicMethod::getStringForKey(kZtPassword), "wrong-password");
    // Still on the login screen; the session holds the refusal.
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
    auto session = Session::shared().loginResult();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->FailReason, "用户名或密码错误");
    EXPECT_FALSE(PublicMethod::getObjectForKey(kEmpId));
}

TEST_F(LoginTest, AnUntickedBoxStoresNothingAndRemovesNothing) {
    PublicMethod::setObject("10086", kZtUsername);
    PublicMethod::setObject("123456", kZtPassword);
    launch();
    ASSERT_TRUE(run("tap #cb\ntype #username 10010\ntype #password 654321\ntap #loginAction\n"));
    ASSERT_TRUE(shell());
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), "10086");
    EXPECT_EQ(PublicMethod::getStringForKey(kZtPassword), "123456");
    // The signed-in account is the one typed, not the stale remembered one.
    EXPECT_EQ(Session::shared().cardID(), "10010");
}

TEST_F(LoginTest, AcceptedLoginStoresTheEmployeeAndOpensTheShellOnTheAdvertisement) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(run("expect toast: \"登录成功\"\n"));
    EXPECT_EQ(PublicMethod::getStringForKey(kEmpId), "E10086");
    EXPECT_EQ(PublicMethod::getStringForKey(kIDcard), "370102198506123456");
    ASSERT_TRUE(shell());
    EXPECT_TRUE(top<HomeAdvertiseViewController>());
    EXPECT_TRUE(content()->navigationBarHidden());
    auto login = std::dynamic_pointer_cast<LoginViewController>(window->topViewController());
    EXPECT_FALSE(login);
}

TEST_F(LoginTest, TheAppIsToldOfEachNewShell) {
    std::shared_ptr<SideMenu> recorded;
    NavigationShell::setInstalledHandler([&](const std::shared_ptr<SideMenu>& m) { recorded = m; });
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    NavigationShell::setInstalledHandler({});
    EXPECT_TRUE(recorded);
    EXPECT_EQ(recorded, shell());
}

TEST_F(LoginTest, ANetworkFailureSaysSoAndKeepsTheScreen) {
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("User_Login", fault);
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", true));
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
    // Stored before the request went out.
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), "10086");
}

TEST_F(LoginTest, AUserNameOfSpacesIsSentAsTyped) {
    auto& server = ScriptedServer::shared();
    server.respond("OfficeServiceQ/User_Login/", 200, "application/json",
                   R"({"IsSuccess":"0","FailReason":"用户名或密码错误"})");
    PublicMethod::setOfficeBaseURL(server.baseURL());
    launch();
    ASSERT_TRUE(run(
        "type #username \"   \"\ntype #password 1\ntap #loginAction\nexpect toast: \"用户名或密码错误\"\n"));
    ASSERT_EQ(server.requestCount("OfficeServiceQ/User_Login/"), 1u);
    auto query = server.lastRequest("OfficeServiceQ/User_Login/").query;
    EXPECT_TRUE(contains(query, "CardID=%20%20%20")) << query;
}

TEST_F(LoginTest, AnAnswerThatIsNoRecordIsReportedNotShownAsAnEmptyBox) {
    auto& server = ScriptedServer::shared();
    server.respond("OfficeServiceQ/User_Login/", 200, "application/json", "[]");
    PublicMethod::setOfficeBaseURL(server.baseURL());
    launch();
    ASSERT_TRUE(
        run("type #username 10086\ntype #password 1\ntap #loginAction\nexpect toast: \"网络异常！\"\n"));
    EXPECT_FALSE(contains(screen(), "toast: \"\"")) << screen();
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
}

}  // namespace
}  // namespace busdesk::test
