#include "CoreScreensFixture.h"
#include "core/SettingsKeys.h"
#include "platform/Translation.h"
#include "screens/core/ChangePasswordViewController.h"
#include "screens/core/LanguageSettings.h"
#include "screens/core/NavigationShell.h"
#include "screens/core/ProfileViewController.h"
#include "screens/core/SettingViewController.h"

namespace busdesk::test {
namespace {

using AccountTest = CoreScreensTest;

TEST_F(AccountTest, SexIsMaleOnlyForTheIntegerOne) {
    EXPECT_EQ(ProfileViewController::sexText(std::string("1")), "男");
    EXPECT_EQ(ProfileViewController::sexText(std::string(" 1")), "男");
    EXPECT_EQ(ProfileViewController::sexText(std::string("0")), "女");
    EXPECT_EQ(ProfileViewController::sexText(std::string("2")), "女");
    EXPECT_EQ(ProfileViewController::sexText(std::string("")), "女");
    EXPECT_EQ(ProfileViewController::sexText(std::nullopt), "女");
}

TEST_F(AccountTest, TheProfileShowsThirteenRowsInThreeSectionsAndEmptyTextForMissingFields) {
    signIn(R"({"IsSuccess":"1","EmpID":"E1","Name":"王五","EmpRoleName":"驾驶员","sex":"1",
               "birthday":"1985-06-12","IDcard":"370102198506123456","graduate":"高中",
               "address":"历下区","startTime":"2008-03-01","OrgName":"第一运营公司","serviceAge":"18"})");
    PublicMethod::setObject("10086", kZtUsername);
    window->setRootViewController(NavigationShell::build());
    NavigationShell::showContent(*shell()->contentViewController(),
                                 std::make_shared<ProfileViewController>());
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"个人信息\"")) << s;
    EXPECT_TRUE(contains(s, "list #aTableView: 13 rows")) << s;
    EXPECT_TRUE(contains(s, "[0.0] \"工号\" | \"10086\"")) << s;
    EXPECT_TRUE(contains(s, "[0.1] \"姓名\" | \"王五\"")) << s;
    EXPECT_TRUE(contains(s, "[0.3] \"性别\" | \"男\"")) << s;
    // telephone and politic are absent: the label alone, never "(null)".
    EXPECT_TRUE(contains(s, "[0.6] \"电话\"\n")) << s;
    EXPECT_TRUE(contains(s, "[1.1] \"政治面貌\"\n")) << s;
    EXPECT_TRUE(contains(s, "[1.3] \"加入公司时间\" | \"2008-03-01\"")) << s;
    EXPECT_TRUE(contains(s, "[2.1] \"工龄\" | \"18\"")) << s;
    EXPECT_FALSE(contains(s, "null")) << s;
    auto profile = top<ProfileViewController>();
    ASSERT_TRUE(profile);
    EXPECT_FALSE(profile->aTableView->userSelectRow({0, 0}));
}

TEST_F(AccountTest, WithoutASessionEveryValueIsEmptyAndSexReadsFemale) {
    auto values = ProfileViewController::values(nullptr, std::nullopt);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].size() + values[1].size() + values[2].size(), 13u);
    EXPECT_EQ(values[0][3], "女");
    EXPECT_EQ(values[0][0], "");
    EXPECT_EQ(values[2][1], "");
}

class ChangePasswordTest : public CoreScreensTest {
  protected:
    // The settings screen inside a shell, signed in (without a request) as `card`.
    void openSettings() {
        window->setRootViewController(NavigationShell::build());
        NavigationShell::showContent(*shell()->contentViewController(),
                                     std::make_shared<SettingViewController>());
        ASSERT_TRUE(run("expect \"系统设置\"\ntap #changePassword\nexpect \"修改密码\"\n"));
        ASSERT_TRUE(top<ChangePasswordViewController>());
    }
};

TEST_F(ChangePasswordTest, EmptyFieldsAreNamedByTheirPlaceholdersInOrder) {
    PublicMethod::setObject("20001", kZtUsername);
    openSettings();
    long before = sim().requestCount();
    ASSERT_TRUE(
        run("tap #changePassword\nexpect toast: \"请输入原密码\"\n"
            "type #tf_oldPassword 111111\ntap #changePassword\nexpect toast: \"请输入新密码\"\n"
            "type #tf_newPassword 222222\ntap #changePassword\nexpect toast: \"请再次输入新密码\"\n"
            "type #tf_confirmPassword 22222\ntap #changePassword\n"
            "expect toast: \"两次输入的密码不一致，请重新输入！\"\n"));
    EXPECT_EQ(sim().requestCount(), before);
}

TEST_F(ChangePasswordTest, ChangesThePasswordOfTheRememberedCardAndKeepsTheScreen) {
    PublicMethod::setObject("20002", kZtUsername);
    PublicMethod::setObject("111111", kZtPassword);
    openSettings();
    ASSERT_TRUE(
        run("type #tf_oldPassword 111111\ntype #tf_newPassword 333333\ntype #tf_confirmPassword 333333\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\n"));
    EXPECT_TRUE(top<ChangePasswordViewController>());
    // The remembered password follows (moved out of the old settings file into this run's memory,
    // there being no keyring here), so the next login does not send a stale one.
    EXPECT_EQ(RememberedCredentials::shared().password(), "333333");
    EXPECT_FALSE(PublicMethod::getStringForKey(kZtPassword));
    // The server took it: the old one is now refused.
    ASSERT_TRUE(run("tap #changePassword\nexpect toast: \"原密码错误\"\n"));
    ASSERT_TRUE(
        run("type #tf_oldPassword 333333\ntype #tf_newPassword 111111\ntype #tf_confirmPassword 111111\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\nback\nexpect \"系统设置\"\n"));
}

TEST_F(ChangePasswordTest, WithoutARememberedCardTheOneTypedAtLoginIsUsed) {
    launch();
    ASSERT_TRUE(loginAs("20003", "111111", false));
    EXPECT_FALSE(PublicMethod::getObjectForKey(kZtUsername));
    ASSERT_TRUE(
        run("wait 3\nmenu right\ntap #ShowSetting\ntap #changePassword\n"
            "type #tf_oldPassword 111111\ntype #tf_newPassword 444444\ntype #tf_confirmPassword 444444\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\n"
            "type #tf_oldPassword 444444\ntype #tf_newPassword 111111\ntype #tf_confirmPassword 111111\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\n"));
}

TEST_F(ChangePasswordTest, WithNoCardNumberAtAllNothingIsSent) {
    openSettings();
    long before = sim().requestCount();
    ASSERT_TRUE(
        run("type #tf_oldPassword 1\ntype #tf_newPassword 2\ntype #tf_confirmPassword 2\n"
            "tap #changePassword\n"));
    EXPECT_TRUE(contains(screen(), std::string("toast: \"") + ChangePasswordViewController::kNoCardMessage))
        << screen();
    EXPECT_EQ(sim().requestCount(), before);
}

TEST_F(ChangePasswordTest, ANetworkFailureSaysSo) {
    PublicMethod::setObject("20004", kZtUsername);
    sim::Fault fault;
    fault.status = 502;
    sim().faults().set("User_ChangePassword", fault);
    openSettings();
    ASSERT_TRUE(
        run("type #tf_oldPassword 1\ntype #tf_newPassword 2\ntype #tf_confirmPassword 2\n"
            "tap #changePassword\nexpect toast: \"网络异常！\"\n"));
    EXPECT_FALSE(contains(screen(), "overlay:"));
}

class LanguageRowTest : public CoreScreensTest {
  protected:
    void TearDown() override {
        LanguageSettings::apply(std::nullopt);  // forgets a --lang of the test
        translation::useLanguage(translation::kSourceLanguage);
        CoreScreensTest::TearDown();
    }

    // A settings screen built now, in the language in force.
    void openSettings() {
        window->setRootViewController(NavigationShell::build());
        NavigationShell::showContent(*shell()->contentViewController(),
                                     std::make_shared<SettingViewController>());
    }
};

TEST_F(LanguageRowTest, TheChoiceIsStoredSaidToComeAtTheNextStartAndTakenThen) {
    openSettings();
    ASSERT_TRUE(
        run("expect \"语言：跟随系统\"\ntap #language\npick English\n"
            "expect \"语言：English\"\nexpect toast: \"新的语言将在下次启动时生效\"\n"));
    EXPECT_EQ(settingsOnDisk()["Language"], "en");
    // This run keeps its language; the next start reads the choice.
    EXPECT_STREQ(tr("登录"), "登录");
    LanguageSettings::apply(std::nullopt);
    EXPECT_EQ(translation::currentLanguage(), "en");
    EXPECT_STRNE(tr("登录"), "登录");
    // The command line goes over the setting.
    LanguageSettings::apply(std::string("zh_CN"));
    EXPECT_STREQ(tr("登录"), "登录");

    ASSERT_TRUE(run("tap #language\npick 跟随系统\n"));
    EXPECT_FALSE(settingsOnDisk().contains("Language"));
    EXPECT_EQ(LanguageSettings::choice(), LanguageSettings::Choice::FollowSystem);
}

// With --lang the row says the language in force and that the command line chose it; a pick is
// still stored for the next start, and the row goes on saying what this run speaks.
TEST_F(LanguageRowTest, TheRowSaysWhichLanguageTheCommandLineChose) {
    LanguageSettings::apply(std::string("en"));
    openSettings();
    ASSERT_TRUE(
        run("expect \"Language: English (command line --lang)\"\ntap #language\npick 中文\n"
            "expect \"Language: English (command line --lang)\"\n"
            "expect toast: \"The new language takes effect the next time BusDesk starts\"\n"));
    EXPECT_EQ(settingsOnDisk()["Language"], "zh_CN");

    // The stored choice says English; the command line says Chinese for this run.
    PublicMethod::setObject("en", kLanguage);
    LanguageSettings::apply(std::string("zh_CN"));
    openSettings();
    ASSERT_TRUE(run("expect \"语言：中文（命令行 --lang）\"\n"));

    // Without --lang the row shows the stored choice again.
    LanguageSettings::apply(std::nullopt);
    translation::useLanguage(translation::kSourceLanguage);
    openSettings();
    ASSERT_TRUE(run("expect \"语言：English\"\n"));
    EXPECT_FALSE(contains(screen(), "命令行")) << screen();
}

}  // namespace
}  // namespace busdesk::test
