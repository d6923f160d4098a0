#include "core/OfflineCard.h"
#include "platform/SQLite.h"
#include "platform/views/AlertView.h"
#include "screens/core/ChangePasswordViewController.h"
#include "screens/operations/KaoQinListViewController.h"
#include "services/AnswerStore.h"
#include "services/LoginResultService.h"
#include "services/OfflineSignIn.h"
#include "tests/screens/core/CoreScreensFixture.h"

namespace busdesk::test {
namespace {

// Signing in at the login screen while the office cannot be reached, with the answer store of
// the app installed as at launch.
class OfflineSignInTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        Date::setNow(parseDate("2026-12-07 10:00:00", "yyyy-MM-dd HH:mm:ss"));
        AnswerStore::install();
        launch();
    }
    void TearDown() override {
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        AnswerStore::uninstall();
        CoreScreensTest::TearDown();
    }
    // The program started again on the same profile: nobody signed in, the login screen.
    void restart() {
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        AnswerStore::uninstall();
        Session::shared().setLoginResult(nullptr);
        Session::shared().setTypedCardID(std::nullopt);
        IdleLock::shared().signedOut();
        AnswerStore::install();
        launch();
        screen();
    }
    // Signs in, asks for the attendance of a few days (kept in the store), and starts again.
    void answeredOnceThenRestart(const std::string& card, const std::string& password) {
        ASSERT_TRUE(loginAs(card, password, false));
        ASSERT_TRUE(searchAttendance());
        ASSERT_GT(top<KaoQinListViewController>()->tbList->numberOfRows(0), 0);
        restart();
    }
    std::shared_ptr<KaoQinListViewController> searchAttendance() {
        run("wait 4\nmenu left\ntap 考勤信息\ntap #tf_Btime\npick 2026-12-01\ntap #ShowEtime\npick "
            "2026-12-04\ntap #Search");
        screen();
        return top<KaoQinListViewController>();
    }
    static sim::Fault down() {
        sim::Fault fault;
        fault.status = 503;
        return fault;
    }
    bool offered() {
        auto login = std::dynamic_pointer_cast<LoginViewController>(window->rootViewController());
        return login && contains(screen(), "#offlineLogin");
    }
    void offlineLogin(const std::string& password) {
        run("type #password " + password + "\ntap #offlineLogin");
        screen();
    }
};

}  // namespace

TEST_F(OfflineSignInTest, OfferedOnlyWhenTheOfficeGaveNoAnswerAndOnlyForAKnownCard) {
    // No card file yet: a server that is down offers nothing.
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("10086", "123456", false));
    EXPECT_FALSE(offered());
    sim().faults().clear();
    answeredOnceThenRestart("10086", "123456");

    // The office answers, and refuses: no offer, whatever the card file says.
    ASSERT_TRUE(loginAs("10086", "000000", false));
    EXPECT_FALSE(offered());
    // An answer that cannot be used is an answer too.
    sim::Fault malformed;
    malformed.body = sim::Fault::Body::Malformed;
    sim().faults().set("User_Login", malformed);
    ASSERT_TRUE(loginAs("10086", "123456", false));
    EXPECT_FALSE(offered());

    // No answer at all (a server error): offered, for the card typed.
    sim().faults().clear();
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("10086", "123456", false));
    EXPECT_TRUE(offered());
    EXPECT_TRUE(contains(screen(), "button #offlineLogin: \"离线登录\"")) << screen();
    // Another card, never signed in here: not offered.
    run("type #username 20021");
    ASSERT_TRUE(loginAs("20021", "111111", false));
    EXPECT_FALSE(offered());
}

TEST_F(OfflineSignInTest, AWrongPasswordOpensNothingAndTheRightOneOpensTheStoredAnswersMarkedOffline) {
    answeredOnceThenRestart("10086", "123456");
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(offered());

    offlineLogin("654321");
    EXPECT_TRUE(contains(screen(), "toast: \"离线登录失败：密码错误\"")) << screen();
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
    EXPECT_FALSE(Session::shared().loginResult());
    EXPECT_FALSE(offline_sign_in::isOffline());

    offlineLogin("123456");
    ASSERT_TRUE(shell());
    EXPECT_TRUE(offline_sign_in::isOffline());
    auto record = Session::shared().loginResult();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->EmpID, "E10086");
    EXPECT_EQ(record->Name, "张建国");
    EXPECT_TRUE(contains(screen(), "label #offlineBadge: \"离线\"")) << screen();

    // Two hours on, the attendance asked for before is there, from the store.
    Date::setNow(parseDate("2026-12-07 12:00:00", "yyyy-MM-dd HH:mm:ss"));
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_GT(list->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(contains(s, "离线数据（更新于 2026-12-07 10:00）")) << s;
    EXPECT_TRUE(contains(s, "label #offlineBadge: \"离线\"")) << s;
    EXPECT_EQ(sqlite::Database::mainThreadCalls(), 0u);
}

TEST_F(OfflineSignInTest, FiveWrongPasswordsInARowDeleteTheCardAndTheOfferGoes) {
    answeredOnceThenRestart("10086", "123456");
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("10086", "123456", false));
    ASSERT_TRUE(offered());
    for (int i = 0; i < offline::kMaxWrongTries; ++i) offlineLogin("00000" + std::to_string(i));
    EXPECT_FALSE(offered());
    EXPECT_FALSE(offline::canOffer("10086"));
    // Not even the right password opens anything now.
    ASSERT_TRUE(loginAs("10086", "123456", false));
    EXPECT_FALSE(offered());
}

TEST_F(OfflineSignInTest, TheFirstAnsweredQueryBringsTheSessionBackOnlineWithARealLogin) {
    answeredOnceThenRestart("10086", "123456");
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("10086", "123456", false));
    offlineLogin("123456");
    ASSERT_TRUE(offline_sign_in::isOffline());
    const auto loginsBefore = requestsTo("User_Login").size();

    // A failed query changes nothing.
    ASSERT_TRUE(searchAttendance());
    EXPECT_TRUE(offline_sign_in::isOffline());
    EXPECT_EQ(requestsTo("User_Login").size(), loginsBefore);

    sim().faults().clear();
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_EQ(requestsTo("User_Login").size(), loginsBefore + 1);
    EXPECT_FALSE(offline_sign_in::isOffline());
    EXPECT_FALSE(contains(s, "offlineBadge")) << s;
    EXPECT_FALSE(contains(s, "offlineDataLine")) << s;
    // The session holds the office's fresh record, and the app stays signed in.
    ASSERT_TRUE(shell());
    ASSERT_TRUE(Session::shared().loginResult());
    EXPECT_EQ(Session::shared().loginResult()->EmpID, "E10086");
    // Later answers send no more logins.
    searchAttendance();
    EXPECT_EQ(requestsTo("User_Login").size(), loginsBefore + 1);
}

TEST_F(OfflineSignInTest, APasswordTheOfficeNoLongerTakesSignsOutAndSaysWhy) {
    answeredOnceThenRestart("20011", "111111");
    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("20011", "111111", false));
    offlineLogin("111111");
    ASSERT_TRUE(offline_sign_in::isOffline());
    ASSERT_TRUE(shell());

    // Meanwhile the password was changed on another device.
    sim().faults().clear();
    bool changed = false;
    LoginResultService::changePasswordWithUsername(
        std::string("20011"), "111111", "222222",
        [&changed](const std::shared_ptr<ResultInfo>&, bool ok) { changed = ok; }, [] {});
    screen();
    ASSERT_TRUE(changed);

    searchAttendance();
    screen();
    EXPECT_TRUE(std::dynamic_pointer_cast<LoginViewController>(window->rootViewController()));
    EXPECT_FALSE(offline_sign_in::isOffline());
    EXPECT_FALSE(Session::shared().loginResult());
    auto alerts = AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_TRUE(contains(alerts[0]->message(), "密码已失效，请重新登录")) << alerts[0]->message();
    // The card's offline file went with the sign-out.
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_FALSE(offline::canOffer("20011"));

    // Back as it was for the other tests of this server.
    LoginResultService::changePasswordWithUsername(
        std::string("20011"), "222222", "111111", [](const std::shared_ptr<ResultInfo>&, bool) {}, [] {});
    screen();
}

TEST_F(OfflineSignInTest, AChangedPasswordOpensTheSameStoredAnswersOffline) {
    ASSERT_TRUE(loginAs("20012", "111111", false));
    ASSERT_TRUE(searchAttendance());
    run("wait 4");
    auto change = std::make_shared<ChangePasswordViewController>();
    content()->pushViewController(change, false);
    screen();
    run("type #tf_oldPassword 111111\ntype #tf_newPassword 333333\ntype #tf_confirmPassword 333333\ntap "
        "#changePassword");
    EXPECT_TRUE(contains(screen(), "密码修改成功！")) << screen();
    restart();

    sim().faults().set("*", down());
    ASSERT_TRUE(loginAs("20012", "333333", false));
    offlineLogin("333333");
    ASSERT_TRUE(offline_sign_in::isOffline());
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    EXPECT_GT(list->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(contains(screen(), "离线数据（更新于")) << screen();

    sim().faults().clear();
    SignOut::signOut(*window);
    ASSERT_TRUE(loginAs("20012", "333333", false));
    run("wait 4");
    auto back = std::make_shared<ChangePasswordViewController>();
    content()->pushViewController(back, false);
    run("type #tf_oldPassword 333333\ntype #tf_newPassword 111111\ntype #tf_confirmPassword 111111\ntap "
        "#changePassword");
    screen();
}

}  // namespace busdesk::test
