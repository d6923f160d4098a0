#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include "CoreScreensFixture.h"
#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "platform/views/AlertView.h"
#include "screens/core/CultureViewController.h"
#include "screens/core/HomeAdvertiseViewController.h"
#include "screens/core/LeftMenuViewController.h"
#include "screens/core/MainViewController.h"
#include "screens/core/NavigationShell.h"
#include "screens/core/NewsViewController.h"
#include "screens/core/ProfileViewController.h"
#include "screens/core/RightMenu1ViewController.h"
#include "screens/core/SettingViewController.h"

namespace busdesk::test {
namespace {

class ShellTest : public CoreScreensTest {
  protected:
    // Signed in as 10086 with the advertisement gone: the home page is showing.
    void signedInAtHome(bool remember = true) {
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", remember));
        ASSERT_TRUE(run("wait 3\n"));
        ASSERT_TRUE(top<MainViewController>());
    }
    std::shared_ptr<LeftMenuViewController> leftMenu() {
        return std::dynamic_pointer_cast<LeftMenuViewController>(shell()->leftMenuViewController());
    }
    std::shared_ptr<RightMenu1ViewController> rightMenu() {
        return std::dynamic_pointer_cast<RightMenu1ViewController>(shell()->rightMenuViewController());
    }
};

TEST_F(ShellTest, TheLeftMenuHasAllSeventeenRowsInOrder) {
    signedInAtHome();
    ASSERT_TRUE(run("menu left\n"));
    std::string s = screen();
    const char* titles[] = {"主页",     "企业文化", "公告通知", "规章制度", "配车排班", "我的排班",
                            "实时查询", "运营情况", "完成车次", "车辆违规", "车辆保养", "维修查询",
                            "车辆领料", "燃料消耗", "营收情况", "里程情况", "考勤信息"};
    EXPECT_TRUE(contains(s, "list #tableView: 17 rows")) << s;
    for (int i = 0; i < 17; ++i)
        EXPECT_TRUE(contains(s, "[" + std::to_string(i) + "] \"" + titles[i] + "\"")) << titles[i] << "\n"
                                                                                      << s;
    auto entries = LeftMenuViewController::entries();
    ASSERT_EQ(entries.size(), 17u);
    EXPECT_EQ(entries[5].screenClass, "MyWeekViewController");
    EXPECT_EQ(entries[6].screenClass, entries[7].screenClass);
    EXPECT_EQ(entries[14].screenClass, "ShowRuViewController");
    EXPECT_EQ(entries[15].screenClass, "ShowRuViewController");
    EXPECT_EQ(entries[16].screenClass, "KaoQinViewController");
    EXPECT_TRUE(
        contains(s, "button #btnVersion: \"V " + LeftMenuBottomNarbarViewController::buildVersion() + "\""))
        << s;
}

TEST_F(ShellTest, EachCoreRowOpensAFreshScreenAsTheOnlyContent) {
    signedInAtHome();
    auto home = top<MainViewController>();
    ASSERT_TRUE(run("menu left\ntap 企业文化\n"));
    EXPECT_EQ(shell()->menuState(), SideMenu::MenuState::Hidden);
    auto culture = top<CultureViewController>();
    ASSERT_TRUE(culture);
    EXPECT_EQ(content()->viewControllers().size(), 1u);
    EXPECT_EQ(culture->aWebview->url(), sim().baseURL() + "LXVoffice/index.html");
    EXPECT_TRUE(culture->aWebview->scalesPageToFit());
    EXPECT_TRUE(contains(screen(), "\"企业文化\"")) << screen();

    ASSERT_TRUE(run("menu left\ntap 规章制度\nexpect \"规章制度\"\n"));
    ASSERT_TRUE(top<NewsViewController>());
    EXPECT_EQ(top<NewsViewController>()->tag, 3);

    // The same entry again: a new screen, the old one let go.
    std::weak_ptr<NewsViewController> first = top<NewsViewController>();
    ASSERT_TRUE(run("menu left\ntap 规章制度\n"));
    auto second = top<NewsViewController>();
    ASSERT_TRUE(second);
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(second->tag, 3);

    ASSERT_TRUE(run("menu left\ntap 主页\nexpect \"首页\"\n"));
    EXPECT_TRUE(top<MainViewController>());
    EXPECT_NE(top<MainViewController>(), home);
}

TEST_F(ShellTest, EveryRowOpensItsOwnScreenAndARowWithoutOneChangesNothing) {
    signedInAtHome();
    for (const auto& entry : LeftMenuViewController::entries()) {
        auto before = content();
        ASSERT_TRUE(run("menu left\ntap " + entry.title + "\n")) << entry.title;
        if (!entry.available()) {
            EXPECT_EQ(content(), before) << entry.title;
            EXPECT_EQ(shell()->menuState(), SideMenu::MenuState::Left) << entry.title;
            EXPECT_FALSE(leftMenu()->tableView->indexPathForSelectedRow()) << entry.title;
            ASSERT_TRUE(run("menu hide\n"));
            continue;
        }
        EXPECT_NE(content(), before) << entry.title;
        auto top = content() ? content()->topViewController() : nullptr;
        ASSERT_TRUE(top) << entry.title;
        int status = 0;
        const ViewController& shownScreen = *top;
        char* name = abi::__cxa_demangle(typeid(shownScreen).name(), nullptr, nullptr, &status);
        std::string shown = status == 0 && name ? name : "";
        std::free(name);
        EXPECT_EQ(shown, "busdesk::" + entry.screenClass) << entry.title;
    }
}

TEST_F(ShellTest, TheRightMenuShowsTheNameAndOpensProfileAndSettings) {
    signedInAtHome();
    ASSERT_TRUE(run("menu right\nexpect button #userBtn: \"张建国\"\ntap #userInfo\nexpect \"个人信息\"\n"));
    EXPECT_TRUE(top<ProfileViewController>());
    ASSERT_TRUE(run("menu right\ntap #ShowSetting\nexpect \"系统设置\"\n"));
    EXPECT_TRUE(top<SettingViewController>());
    // The self-service entries replace the content with their screens.
    const std::pair<const char*, const char*> entries[] = {{"ShowSalary", "薪资查看"},
                                                           {"ShowLunch", "个人就餐"},
                                                           {"ShowBusRecord", "乘车记录"},
                                                           {"ShowFeedBack", "车况信息反馈"}};
    for (auto [action, title] : entries) {
        SCOPED_TRACE(action);
        auto before = content();
        ASSERT_TRUE(run(std::string("menu right\ntap #") + action + "\nexpect \"" + title + "\"\n"));
        EXPECT_NE(content(), before);
        EXPECT_EQ(content()->viewControllers().size(), 1u);
    }
}

TEST_F(ShellTest, AnOpenMenuPrintsUnderItsOwnHeading) {
    signedInAtHome();
    ASSERT_TRUE(run("menu left\n"));
    std::string s = screen();
    auto heading = s.find("— 左侧菜单 —");
    ASSERT_NE(heading, std::string::npos) << s;
    EXPECT_LT(s.find("bar: [#presentLeftMenuViewController] \"首页\""), heading) << s;
    EXPECT_GT(s.find("list #tableView: 17 rows"), heading) << s;
    EXPECT_EQ(s.find("— 右侧菜单 —"), std::string::npos) << s;

    ASSERT_TRUE(run("menu right\n"));
    s = screen();
    heading = s.find("— 右侧菜单 —");
    ASSERT_NE(heading, std::string::npos) << s;
    EXPECT_GT(s.find("button #userBtn: \"张建国\""), heading) << s;
    EXPECT_EQ(s.find("— 左侧菜单 —"), std::string::npos) << s;

    ASSERT_TRUE(run("menu hide\n"));
    s = screen();
    EXPECT_EQ(s.find("菜单 —"), std::string::npos) << s;
}

TEST_F(ShellTest, TheVersionButtonOffersTheDownloadUntilAVersionSourceSaysOtherwise) {
    signedInAtHome();
    int downloads = 0;
    LeftMenuBottomNarbarViewController::setDownload([&] { ++downloads; });
    bool ok =
        run("menu left\ntap #btnVersion\nexpect alert: \"温馨提示\" \"您确定要下载最新版本\" [取消] [确定]\n"
            "alert 取消\ntap #btnVersion\nalert 确定\n");
    EXPECT_TRUE(ok);
    EXPECT_EQ(downloads, 1);

    LeftMenuBottomNarbarViewController::setNewestCheck([](const std::string&) { return true; });
    ok = run("tap #btnVersion\nexpect alert: \"温馨提示\" \"当前版本为最新版，版本号为" +
             LeftMenuBottomNarbarViewController::buildVersion() + "\" [关闭]\nalert 关闭\n");
    LeftMenuBottomNarbarViewController::setNewestCheck({});
    LeftMenuBottomNarbarViewController::setDownload({});
    EXPECT_TRUE(ok);
    EXPECT_EQ(shell()->menuState(), SideMenu::MenuState::Hidden);
    EXPECT_EQ(downloads, 1);
    EXPECT_TRUE(AlertView::visibleAlerts().empty());
}

TEST_F(ShellTest, TheShellIsBuiltAsDocumented) {
    auto menu = NavigationShell::build();
    EXPECT_TRUE(std::dynamic_pointer_cast<LeftMenuViewController>(menu->leftMenuViewController()));
    EXPECT_TRUE(std::dynamic_pointer_cast<RightMenu1ViewController>(menu->rightMenuViewController()));
    auto nav = std::dynamic_pointer_cast<NavigationController>(menu->contentViewController());
    ASSERT_TRUE(nav);
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<HomeAdvertiseViewController>(nav->rootViewController()));
}

}  // namespace
}  // namespace busdesk::test
