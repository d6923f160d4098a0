#include "CoreScreensFixture.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/MainViewController.h"
#include "ui/RemoteImageLoader.h"

namespace busdesk::test {
namespace {

using AdvertiseTest = CoreScreensTest;

TEST_F(AdvertiseTest, TheReminderNeedsTheRememberedPasswordToEndTheIdentityCard) {
    auto shows = HomeAdvertiseViewController::showsInitialPasswordReminder;
    EXPECT_TRUE(shows(std::string("370102198506123456"), std::string("123456")));
    EXPECT_FALSE(shows(std::string("370102198506123456"), std::string("654321")));
    EXPECT_FALSE(shows(std::string("370102198506123456"), std::nullopt));
    EXPECT_FALSE(shows(std::nullopt, std::string("123456")));
    // Shorter than 12 characters: nothing from position 12 to compare.
    EXPECT_FALSE(shows(std::string("12345678901"), std::string("1")));
    // Exactly 12: only an empty password could match, and none is ever stored.
    EXPECT_FALSE(shows(std::string("123456789012"), std::string("2")));
    // Comparison is exact: the whole rest, not a suffix of it.
    EXPECT_FALSE(shows(std::string("37010219850612345X"), std::string("12345")));
    EXPECT_TRUE(shows(std::string("37010219850612345X"), std::string("12345X")));
}

TEST_F(AdvertiseTest, ReminderShownFor10086WithThePasswordRemembered) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", true));
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"请尽快修改您的初始密码\"")) << s;
}

TEST_F(AdvertiseTest, NoReminderWhenThePasswordIsNotRemembered) {
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"登录成功\"")) << s;
    EXPECT_FALSE(contains(s, "请尽快修改您的初始密码")) << s;
}

TEST_F(AdvertiseTest, ThePictureShowsForExactlyThreeSecondsAfterTheAnswer) {
    std::vector<std::string> fetched;
    RemoteImageLoader::shared().setCacheDirectory(std::string());
    RemoteImageLoader::shared().setFetch([&](const std::string& url, auto done) {
        fetched.push_back(url);
        done(std::nullopt);
    });
    launch();
    bool ok = loginAs("10086", "123456", false);
    RemoteImageLoader::shared().setFetch({});
    ASSERT_TRUE(ok);
    auto ad = top<HomeAdvertiseViewController>();
    ASSERT_TRUE(ad);
    // The picture is asked for at the address the server gave.
    ASSERT_EQ(fetched.size(), 1u);
    EXPECT_EQ(fetched[0].rfind(sim().baseURL(), 0), 0u) << fetched[0];
    EXPECT_FALSE(contains(fetched[0], "\""));
    RunLoop::main().advance(std::chrono::milliseconds(2999));
    EXPECT_EQ(top<HomeAdvertiseViewController>(), ad);
    RunLoop::main().advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(top<MainViewController>());
    EXPECT_EQ(content()->viewControllers().size(), 2u);
    EXPECT_FALSE(content()->lastTransitionAnimated());
    EXPECT_FALSE(content()->navigationBarHidden());
    // Moving on happens once.
    RunLoop::main().advance(std::chrono::seconds(5));
    EXPECT_EQ(content()->viewControllers().size(), 2u);
}

TEST_F(AdvertiseTest, AFailedPictureRequestMovesOnAtOnce) {
    sim::Fault fault;
    fault.status = 404;
    sim().faults().set("Query_CompanyLogo", fault);
    launch();
    ASSERT_TRUE(loginAs("10086", "123456", false));
    EXPECT_TRUE(top<MainViewController>());
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"首页\"")) << s;
    EXPECT_FALSE(contains(s, "网络异常")) << s;
}

}  // namespace
}  // namespace busdesk::test
