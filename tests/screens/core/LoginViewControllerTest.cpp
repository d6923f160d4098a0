#include "CoreScreensFixture.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/LoginViewController.h"
#include "screens/core/NavigationShell.h"
#include "tests/support/PrivateSecretService.h"
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
    PrivateSecretService keyring;
    ASSERT_TRUE(keyring.running()) << keyring.error();
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", true));
    ASSERT_TRUE(run("menu right\ntap #signOut\n"));
    // Signing out forgot them; remembered again, then a new start of the program.
    ASSERT_TRUE(run("type #username 10086\ntype #password 123456\ntap #cb\ntap #loginAction\n"));
    RememberedCredentials::shared().resetForNewRun();
    launch();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #username: \"10086\"")) << s;
    EXPECT_TRUE(contains(s, "field #password: \"••••••\"")) << s;
    EXPECT_TRUE(contains(s, "checkbox #cb: [x]")) << s;
    EXPECT_FALSE(contains(s, LoginViewController::kNoKeyringMessage)) << s;
    auto item = keyring.item("10086");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->label, "BusDesk – 10086");
    EXPECT_TRUE(contains(item->secret, "\"password\":\"123456\"")) << item->secret;
    EXPECT_FALSE(settingsOnDisk().contains(kZtPassword));
}

TEST_F(LoginTest, AnOldSettingsFileWithoutAKeyringIsCleanedAndTheScreenSaysSo) {
    PublicMethod::setObject("10086", kZtUsername);
    PublicMethod::setObject("123456", kZtPassword);
    PublicMethod::setObject("370102198506123456", kIDcard);
    launch();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #username: \"10086\"")) << s;
    // Moved out of the file into this run's memory, since no keyring can take it.
    EXPECT_TRUE(contains(s, "field #password: \"••••••\"")) << s;
    EXPECT_TRUE(contains(s, "label #keyringWarning: \"无法安全保存密码：系统钥匙串不可用\"")) << s;
    auto disk = settingsOnDisk();
    EXPECT_FALSE(disk.contains(kZtPassword));
    EXPECT_FALSE(disk.contains(kIDcard));
    EXPECT_EQ(disk.at(kZtUsername), "10086");
}

TEST_F(LoginTest, WithoutAKeyringTheWarningFollowsTheBox) {
    launch();
    std::string s = screen();
    EXPECT_FALSE(contains(s, "keyringWarning")) << s;
    ASSERT_TRUE(run("tap #cb\nexpect \"无法安全保存密码：系统钥匙串不可用\"\ntap #cb\n"));
    EXPECT_FALSE(contains(screen(), "keyringWarning"));
    ASSERT_TRUE(loginAs("10086", "123456", true));
    EXPECT_FALSE(settingsOnDisk().contains(kZtPassword));
    EXPECT_EQ(settingsOnDisk().at(kZtUsername), "10086");
}

TEST_F(LoginTest, APlainAddressToAnotherMachineIsNamedUnderTheButton) {
    const std::pair<const char*, bool> addresses[] = {{"http://office.example:8088/", true},
                                                      {"http://10.1.2.3/", true},
                                                      {"HTTP://Office.Example/", true},
                                                      {"http://127.0.0.1:8088/", false},
                                                      {"http://127.8.9.10/", false},
                                                      {"http://localhost:8088/", false},
                                                      {"http://[::1]:8088/", false},
                                                      {"https://office.example/", false},
                                                      {"http://127.0.0.1.office.example/", true}};
    for (auto [address, warned] : addresses) {
        PublicMethod::setOfficeBaseURL(address);
        launch();
        EXPECT_EQ(contains(screen(), "label #plainConnectionWarning: \"连接未加密，密码可能被他人截获\""),
                  warned)
            << address << "\n"
            << screen();
    }
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
    PrivateSecretService keyring;
    ASSERT_TRUE(keyring.running()) << keyring.error();
    launch();
    ASSERT_TRUE(loginAs("10086", "wrong-password", true));
    ASSERT_TRUE(run("expect toast: \"用户名或密码错误\"\n"));
    EXPECT_EQ(PublicMethod::getStringForKey(kZtUsername), "10086");
    EXPECT_FALSE(PublicMethod::getStringForKey(kZtPassword));
    auto item = keyring.item("10086");
    ASSERT_TRUE(item);
    EXPECT_TRUE(contains(item->secret, "wrong-password")) << item->secret;
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
    EXPECT_EQ(RememberedCredentials::shared().password(), "123456");
    // The signed-in account is the one typed, not the stale remembered one.
    EXPECT_EQ(Session::shared().cardID(), "10010");
}

TEST_F(LoginTest, AcceptedLoginStoresTheEmployeeAndOpensTheShellOnTheAdvertisement) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(run("expect toast: \"登录成功\"\n"));
    EXPECT_EQ(PublicMethod::getStringForKey(kEmpId), "E10086");
    // The identity-card number is kept in memory, never in the file.
    EXPECT_EQ(RememberedCredentials::shared().idCard(), "370102198506123456");
    EXPECT_FALSE(settingsOnDisk().contains(kIDcard));
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
