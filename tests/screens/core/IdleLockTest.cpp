#include "CoreScreensFixture.h"
#include "core/RememberedCredentials.h"
#include "core/SettingsKeys.h"
#include "screens/core/IdleLock.h"
#include "screens/core/SignOut.h"
#include "ui/ScreenHelpers.h"

namespace busdesk::test {
namespace {

class LockTest : public CoreScreensTest {
  protected:
    // Signed in as 10086 (张建国), on the home page.
    void signedIn() {
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", false));
        ASSERT_TRUE(run("wait 4\nexpect \"上次刷新时间\"\n"));
    }
    // Every line of the dump belongs to the lock screen.
    static void expectOnlyTheLock(const std::string& dump) {
        for (const char* part : {"#lockPassword", "#unlock", "#switchUser", "张建国"})
            EXPECT_TRUE(contains(dump, part)) << part << "\n" << dump;
        std::istringstream lines(dump);
        std::string line;
        while (std::getline(lines, line))
            EXPECT_TRUE(contains(line, "lock") || contains(line, "#unlock") ||
                        contains(line, "#switchUser") || contains(line, "张建国"))
                << "not the lock's: " << line << "\n"
                << dump;
    }
};

TEST_F(LockTest, FiveMinutesWithoutInputLockAndInputCountsTheTimeAgain) {
    signedIn();
    ASSERT_TRUE(run("wait 200\nmenu left\nmenu hide\nwait 200\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    ASSERT_TRUE(run("wait 99\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    ASSERT_TRUE(run("wait 2\n"));
    EXPECT_TRUE(IdleLock::shared().isLocked());
    expectOnlyTheLock(screen());
}

TEST_F(LockTest, NothingUnderTheLockCanBeReachedByAScript) {
    signedIn();
    std::string before = screen();
    IdleLock::shared().lock();
    for (const char* line : {"menu left", "back", "home", "pull", "tap #presentLeftMenuViewController",
                             "tap 公告通知", "expect 上次刷新时间"}) {
        std::istringstream in(line);
        std::ostringstream sink;
        ScriptRunner runner(window, sink);
        EXPECT_EQ(runner.runScript(in), 1) << line << " reached under the lock";
    }
    ASSERT_TRUE(run("type #lockPassword 123456\ntap #unlock\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    EXPECT_EQ(screen(), before);
}

TEST_F(LockTest, AHalfTypedFormAndItsFocusAreExactlyAsTheyWereAfterUnlocking) {
    signedIn();
    ASSERT_TRUE(run("menu right\ntap #ShowFeedBack\ntap #txtDesc\ntype #txtDesc 刹车片磨损，需要更换\n"));
    std::string before = screen();
    ASSERT_TRUE(run("wait 301\n"));
    EXPECT_TRUE(IdleLock::shared().isLocked());
    expectOnlyTheLock(screen());
    ASSERT_TRUE(run("type #lockPassword 123456\ntap #unlock\n"));
    EXPECT_EQ(screen(), before);
    ASSERT_TRUE(run("expect 刹车片磨损，需要更换\n"));
    auto* text = window->firstResponder();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->identifier(), "txtDesc");
}

TEST_F(LockTest, AnAnswerAndItsToastArrivingUnderTheLockWaitForIt) {
    signedIn();
    // The attendance answer comes while the lock is up.
    sim::Fault slow;
    slow.latencyMs = 300;
    sim().faults().set("Query_FdisempdutyInfo", slow);
    ASSERT_TRUE(run("menu left\ntap 考勤信息\n"));
    ASSERT_TRUE(run("tap #Search\n"));
    IdleLock::shared().lock();
    // A screen's toast raised under the lock.
    screen::setAlertInfo("网络异常！", *shell()->view());
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    std::string locked = ScreenDump::dump(*window);
    expectOnlyTheLock(locked);
    EXPECT_FALSE(contains(locked, "toast:")) << locked;
    ASSERT_TRUE(run("type #lockPassword 123456\ntap #unlock\n"));
    std::string after = screen();
    EXPECT_TRUE(contains(after, "考勤日期")) << after;
    EXPECT_TRUE(contains(after, "toast: \"网络异常！\"")) << after;
}

TEST_F(LockTest, WrongPasswordsAreCountedAndTheFifthSignsOut) {
    PublicMethod::setObject("10086", kZtUsername);
    signedIn();
    IdleLock::shared().lock();
    ASSERT_TRUE(run("tap #unlock\nexpect 请输入密码\n"));
    for (int left = 4; left >= 1; --left)
        ASSERT_TRUE(run("type #lockPassword 12345" + std::to_string(left) +
                        "\ntap #unlock\nexpect \"密码错误，还可尝试" + std::to_string(left) + "次\"\n"));
    // A right one in between starts the count again.
    ASSERT_TRUE(run("type #lockPassword 123456\ntap #unlock\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    IdleLock::shared().lock();
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(run("type #lockPassword nope\ntap #unlock\n"));
    EXPECT_TRUE(IdleLock::shared().isLocked());
    ASSERT_TRUE(run("type #lockPassword nope\ntap #unlock\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    EXPECT_FALSE(window->isCovered());
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->topViewController()));
    EXPECT_FALSE(PublicMethod::getObjectForKey(kZtUsername));
    EXPECT_FALSE(Session::shared().cardID());
    ASSERT_TRUE(run("expect \"密码连续错误5次，已退出登录\"\n"));
    // Signed out: no lock comes any more.
    ASSERT_TRUE(run("wait 600\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
}

TEST_F(LockTest, SwitchUserSignsOutAndTheNextUserLocksWithTheirOwnPassword) {
    signedIn();
    IdleLock::shared().lock();
    ASSERT_TRUE(run("tap #switchUser\n"));
    EXPECT_FALSE(window->isCovered());
    ASSERT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->topViewController()));
    ASSERT_TRUE(loginAs("10010", "654321", false));
    ASSERT_TRUE(
        run("wait 301\nexpect 李秀梅\ntype #lockPassword 123456\ntap #unlock\nexpect 密码错误\n"
            "type #lockPassword 654321\ntap #unlock\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
}

TEST_F(LockTest, TheSettingsChooseTheIdleTimeOrNever) {
    signedIn();
    ASSERT_TRUE(
        run("menu right\ntap #ShowSetting\nexpect \"自动锁定：5分钟\"\ntap #autoLock\npick 1分钟\n"
            "expect \"自动锁定：1分钟\"\nwait 59\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    ASSERT_TRUE(run("wait 2\n"));
    EXPECT_TRUE(IdleLock::shared().isLocked());
    ASSERT_TRUE(
        run("type #lockPassword 123456\ntap #unlock\ntap #autoLock\npick 从不\nexpect \"自动锁定：从不\"\n"
            "wait 86400\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    EXPECT_EQ(PublicMethod::getObjectForKey(kLockMinutes), boost::json::value(0));
    EXPECT_EQ(IdleLock::idleMinutes(), 0);
    // A damaged value reads as the default.
    PublicMethod::setObject("soon", kLockMinutes);
    EXPECT_EQ(IdleLock::idleMinutes(), IdleLock::kDefaultMinutes);
    PublicMethod::setObject(std::optional<boost::json::value>(61), kLockMinutes);
    EXPECT_EQ(IdleLock::idleMinutes(), IdleLock::kDefaultMinutes);
}

TEST_F(LockTest, AChangedPasswordUnlocksAndIsTheOneRemembered) {
    launch();
    ASSERT_TRUE(loginAs("20002", "111111", true));
    ASSERT_TRUE(
        run("wait 4\nmenu right\ntap #ShowSetting\ntap #changePassword\n"
            "type #tf_oldPassword 111111\ntype #tf_newPassword 222222\ntype #tf_confirmPassword 222222\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\n"));
    // No keyring here: the remembered password is this run's, in memory, and it followed.
    EXPECT_EQ(RememberedCredentials::shared().password(), "222222");
    IdleLock::shared().lock();
    ASSERT_TRUE(
        run("type #lockPassword 111111\ntap #unlock\nexpect 密码错误\n"
            "type #lockPassword 222222\ntap #unlock\n"));
    EXPECT_FALSE(IdleLock::shared().isLocked());
    // Back to what the other tests expect of this account.
    ASSERT_TRUE(
        run("type #tf_oldPassword 222222\ntype #tf_newPassword 111111\ntype #tf_confirmPassword 111111\n"
            "tap #changePassword\nexpect toast: \"密码修改成功！\"\n"));
}

}  // namespace
}  // namespace busdesk::test
