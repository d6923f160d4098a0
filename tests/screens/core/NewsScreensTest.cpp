#include <set>

#include "CoreScreensFixture.h"
#include "core/SettingsKeys.h"
#include "model/NormalInfo.h"
#include "screens/core/MainViewController.h"
#include "screens/core/NavigationShell.h"
#include "screens/core/NewsCellView.h"
#include "screens/core/NewsDetailViewController.h"
#include "screens/core/NewsViewController.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

constexpr const char* kNewsPath = "OfficeServiceQ/Query_ByNewInfoPartNP/";
constexpr const char* kRulesPath = "OfficeServiceQ/Query_ByRegulationsInfoPartNP/";

// Bulletins from the scripted server: page 1 holds `firstPage` rows, later pages 3 rows each.
// Announcements carry only "Publishby", regulations only "PublishBy".
class NewsTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        server().on(kNewsPath, handler(false, 12));
        server().on(kRulesPath, handler(true, 4));
        PublicMethod::setOfficeBaseURL(server().baseURL());
        signIn(R"({"IsSuccess":"1","EmpID":"E10086","Name":"张建国"})");
    }
    static ScriptedServer& server() { return ScriptedServer::shared(); }

    static ScriptedServer::Handler handler(bool rules, int firstPage) {
        return [rules, firstPage](const httplib::Request& req, httplib::Response& res) {
            std::string page = req.has_param("Index") ? req.get_param_value("Index") : "1";
            int count = page == "1" ? firstPage : 3;
            boost::json::array rows;
            for (int i = 0; i < count; ++i) {
                std::string id = (rules ? "R" : "N") + page + "-" + std::to_string(i + 1);
                boost::json::object row{{"ID", id},
                                        {"Title", (rules ? "制度" : "通知") + id},
                                        {"RealeaseDate", "2026-12-0" + std::to_string(1 + i % 7)},
                                        {"ContentHtml", "<p>正文 " + id + " <img src=\"static/a.png\"></p>"}};
                row[rules ? "PublishBy" : "Publishby"] = rules ? "安全科" : "办公室";
                rows.push_back(row);
            }
            res.set_content(boost::json::serialize(rows), "application/json");
        };
    }

    std::size_t newsRequests() const { return server().requestCount(kNewsPath); }
    std::string lastIndex(const char* path) const {
        auto q = server().lastRequest(path).query;
        auto at = q.find("Index=");
        return at == std::string::npos ? "" : q.substr(at + 6, q.find('&', at) - at - 6);
    }

    void showHome() {
        window->setRootViewController(NavigationShell::build());
        NavigationShell::showContent(*shell()->contentViewController(),
                                     std::make_shared<MainViewController>());
        screen();
    }
    void showList(int tag) {
        window->setRootViewController(NavigationShell::build());
        auto list = std::make_shared<NewsViewController>();
        list->tag = tag;
        NavigationShell::showContent(*shell()->contentViewController(), list);
        screen();
    }
};

TEST_F(NewsTest, HomeShowsFiveOfTwelveAndTheListAllTwelve) {
    showHome();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "list #aTableView: 5 rows")) << s;
    EXPECT_TRUE(contains(s, "[4] \"通知N1-5\"")) << s;
    EXPECT_FALSE(contains(s, "通知N1-6")) << s;
    // The home rows hide the date.
    EXPECT_FALSE(contains(s, "\"2026-12-01\"")) << s;
    EXPECT_EQ(lastIndex(kNewsPath), "1");
    EXPECT_TRUE(contains(server().lastRequest(kNewsPath).query, "EmpID=E10086"));
    EXPECT_TRUE(contains(s, "label #lblFirstNewsDetail: \"最新公告：通知N1-1\"")) << s;

    ASSERT_TRUE(run("tap #showRules\nexpect list #tbList: 12 rows\n"));
    s = screen();
    EXPECT_TRUE(contains(s, "[11] \"通知N1-12\" | \"2026-12-05\" | \"发布人：办公室\"")) << s;
    EXPECT_TRUE(contains(s, "\"公告通知\"")) << s;
}

TEST_F(NewsTest, LoadMoreAsksPageTwoAfterTwoSecondsAndAppends) {
    showList(2);
    auto list = top<NewsViewController>();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->page, 1);
    auto before = newsRequests();
    ASSERT_TRUE(run("more\nwait 1.9\n"));
    EXPECT_EQ(newsRequests(), before);
    ASSERT_TRUE(run("wait 0.1\nexpect list #tbList: 15 rows\n"));
    EXPECT_EQ(lastIndex(kNewsPath), "2");
    EXPECT_EQ(list->page, 2);
    EXPECT_TRUE(contains(screen(), "[14] \"通知N2-3\"")) << screen();
    ASSERT_TRUE(run("more\nwait 2\nexpect list #tbList: 18 rows\n"));
    EXPECT_EQ(lastIndex(kNewsPath), "3");
    // A pull starts again from page 1 and replaces the rows.
    ASSERT_TRUE(run("pull\nwait 2\nexpect list #tbList: 12 rows\n"));
    EXPECT_EQ(lastIndex(kNewsPath), "1");
    EXPECT_EQ(list->page, 1);
}

TEST_F(NewsTest, AnAnswerForPageOneReplacesTheListEvenWhenALoadMoreIsUnderway) {
    showList(2);
    auto list = top<NewsViewController>();
    // Both a pull and a load-more outstanding: the page-1 answer must not be appended.
    list->refreshData(1);
    list->page = 2;
    list->refreshData(2);
    screen();
    EXPECT_TRUE(list->rowCount() == 15u || list->rowCount() == 12u) << list->rowCount();
    std::set<std::string> ids;
    for (std::size_t i = 0; i < list->rowCount(); ++i) ids.insert(displayText(list->rowAt(i)->ID));
    EXPECT_EQ(ids.size(), list->rowCount());
}

TEST_F(NewsTest, AFailedLoadMoreIsAskedForAgainByTheNextOne) {
    showList(2);
    server().respond(kNewsPath, 500, "text/plain", "down");
    ASSERT_TRUE(run("more\nwait 2\nexpect toast: \"网络异常！\"\nexpect list #tbList: 12 rows\n"));
    server().on(kNewsPath, handler(false, 12));
    ASSERT_TRUE(run("more\nwait 2\nexpect list #tbList: 15 rows\n"));
    EXPECT_EQ(lastIndex(kNewsPath), "2");
}

TEST_F(NewsTest, AFailedFirstPageSaysNetworkErrorInTheListsPlaceUntilRowsArrive) {
    server().respond(kNewsPath, 500, "text/plain", "down");
    showList(2);
    auto list = top<NewsViewController>();
    ASSERT_TRUE(list && list->emptyState);
    EXPECT_TRUE(contains(screen(), "label #emptyState: \"网络异常！\"")) << screen();
    server().on(kNewsPath, handler(false, 12));
    ASSERT_TRUE(run("pull\nwait 2\nexpect list #tbList: 12 rows\n"));
    EXPECT_TRUE(list->emptyState->hidden());
}

TEST_F(NewsTest, TheUnreadMarkGoesOnTheHomePageOnceRead) {
    showHome();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "[1] \"通知N1-2\" | \"发布人：办公室\" | \"未读\"")) << s;
    auto home = top<MainViewController>();
    auto cell = std::dynamic_pointer_cast<NewsCellView>(home->aTableView->cellForRow({0, 1}));
    ASSERT_TRUE(cell);
    EXPECT_FALSE(cell->imageNew->hidden());
    EXPECT_EQ(cell->btnDetail->tag(), 101);

    ASSERT_TRUE(run("tap #btnDetail@2\nexpect \"公告详情\"\n"));
    auto detail = top<NewsDetailViewController>();
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->newid, "N1-2");
    EXPECT_TRUE(PublicMethod::getNewsRead("N1-2"));
    s = screen();
    EXPECT_TRUE(contains(s, "label #lblTitle: \"通知N1-2\"")) << s;
    EXPECT_TRUE(contains(s, "label #people: \"发布人：办公室\"")) << s;
    EXPECT_TRUE(contains(s, "label #time: \"发布时间：2026-12-02\"")) << s;
    EXPECT_TRUE(contains(s, "web #webV: \"正文 N1-2\"")) << s;
    EXPECT_EQ(detail->webV->baseURL(), server().baseURL());
    EXPECT_EQ(detail->webV->resolve("static/a.png"), server().baseURL() + "static/a.png");

    ASSERT_TRUE(run("back\nexpect \"首页\"\n"));
    cell = std::dynamic_pointer_cast<NewsCellView>(home->aTableView->cellForRow({0, 1}));
    ASSERT_TRUE(cell);
    EXPECT_TRUE(cell->imageNew->hidden());
    auto other = std::dynamic_pointer_cast<NewsCellView>(home->aTableView->cellForRow({0, 0}));
    EXPECT_FALSE(other->imageNew->hidden());
}

TEST_F(NewsTest, TheBulletinListShowsARowReadAsSoonAsItIsBackFromIt) {
    showList(2);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "[1] \"通知N1-2\" | \"2026-12-02\" | \"发布人：办公室\" | \"未读\"")) << s;
    ASSERT_TRUE(run("tap 通知N1-2\nexpect \"公告详情\"\nback\n"));
    auto list = top<NewsViewController>();
    ASSERT_TRUE(list);
    s = screen();
    EXPECT_TRUE(contains(s, "[1] \"通知N1-2\" | \"2026-12-02\" | \"发布人：办公室\"\n")) << s;
    EXPECT_TRUE(contains(s, "[0] \"通知N1-1\"")) << s;
    EXPECT_TRUE(contains(s, "未读")) << s;  // the others are still unread
}

TEST_F(NewsTest, RegulationsNeverShowTheMarkAndNameTheirPublisherFromPublishBy) {
    showList(3);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"规章制度\"")) << s;
    EXPECT_TRUE(contains(s, "[0] \"制度R1-1\" | \"2026-12-01\" | \"发布人：安全科\"")) << s;
    EXPECT_FALSE(contains(s, "未读")) << s;
    ASSERT_TRUE(run("tap 制度R1-3\nexpect \"规章制度\"\nexpect label #people: \"发布人：安全科\"\n"));
    EXPECT_TRUE(PublicMethod::getNewsRead("R1-3"));
    EXPECT_EQ(top<NewsDetailViewController>()->tag, 3);
}

TEST_F(NewsTest, ABulletinWithOnlyTheOtherSpellingShowsAnEmptyPublisher) {
    auto info = NormalInfo::initWithString(R"({"ID":"7","Title":"t","PublishBy":"安全科"})");
    ASSERT_TRUE(info);
    EXPECT_EQ(publisherText(*info, 2), "发布人：");
    EXPECT_EQ(publisherText(*info, 3), "发布人：安全科");
    NewsCellView cell;
    cell.addInfo(info, 3, "7");
    EXPECT_TRUE(cell.imageNew->hidden());
    cell.addInfo(info, 2, "7");
    EXPECT_FALSE(cell.imageNew->hidden());
    EXPECT_EQ(cell.people->text(), "发布人：");
    cell.addInfo(nullptr, 2, "");
    EXPECT_EQ(cell.lblTitle->text(), "");
    EXPECT_TRUE(cell.imageNew->hidden());
}

TEST_F(NewsTest, TheRefreshLabelIsSetAndStoredEvenWhenTheRequestFails) {
    Date::setNow(parseDate("2026-12-07 09:30:15", "yyyy-MM-dd HH:mm:ss"));
    server().respond(kNewsPath, 503, "text/plain", "busy");
    showHome();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "label #time: \"上次刷新时间：2026-12-07 09:30:15\"")) << s;
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    EXPECT_TRUE(contains(s, std::string("label #lblFirstNewsDetail: \"") + MainViewController::kWelcomeText))
        << s;
    EXPECT_EQ(PublicMethod::getStringForKey(kTime), "上次刷新时间：2026-12-07 09:30:15");
}

TEST_F(NewsTest, TheHomePagePullsAgainAfterTwoSeconds) {
    showHome();
    auto before = newsRequests();
    Date::setNow(parseDate("2026-12-07 11:05:00", "yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(run("pull\nexpect refresh: loading\nwait 1.9\n"));
    EXPECT_EQ(newsRequests(), before);
    // The refresh happens two seconds after the pull, on the same clock as the dates.
    ASSERT_TRUE(run("wait 0.1\nexpect label #time: \"上次刷新时间：2026-12-07 11:05:02\"\n"));
    EXPECT_EQ(newsRequests(), before + 1);
    EXPECT_FALSE(contains(screen(), "refresh: loading"));
}

}  // namespace
}  // namespace busdesk::test
