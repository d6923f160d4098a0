#include <sqlite3.h>

#include <cstdlib>

#include "platform/DateFormat.h"
#include "platform/SQLite.h"
#include "screens/core/MainViewController.h"
#include "screens/core/NewsViewController.h"
#include "screens/operations/KaoQinListViewController.h"
#include "screens/operations/KaoQinViewController.h"
#include "screens/operations/PlanViewController.h"
#include "screens/self_service/DetListViewController.h"
#include "screens/self_service/RidingRecordViewController.h"
#include "services/AnswerStore.h"
#include "tests/screens/core/CoreScreensFixture.h"

namespace busdesk::test {
namespace {

// The query-screen piece with the answer store of the app installed, as at launch.
class StoredAnswerScreenTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        Date::setNow(parseDate("2026-12-07 10:00:00", "yyyy-MM-dd HH:mm:ss"));
        AnswerStore::install();
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", false));
    }
    void TearDown() override {
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
        AnswerStore::uninstall();
        CoreScreensTest::TearDown();
    }
    std::shared_ptr<KaoQinListViewController> searchAttendance() {
        run("wait 4\nmenu left\ntap 考勤信息\ntap #tf_Btime\npick 2026-12-01\ntap #ShowEtime\npick "
            "2026-12-04\n"
            "tap #Search");
        return top<KaoQinListViewController>();
    }
    // Rows in the store's file, read with SQLite itself.
    static long storedRows() {
        sqlite3* db = nullptr;
        long rows = -1;
        if (sqlite3_open_v2(AnswerStore::installed()->path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK)
            sqlite3_exec(
                db, "SELECT count(*) FROM answer",
                [](void* out, int, char** values, char**) {
                    *static_cast<long*>(out) = std::atol(values[0]);
                    return 0;
                },
                &rows, nullptr);
        sqlite3_close(db);
        return rows;
    }
    static sim::Fault down() {
        sim::Fault fault;
        fault.status = 503;
        return fault;
    }
    // Two hours after the first answers, every office method fails.
    void serverGoesDown() {
        Date::setNow(parseDate("2026-12-07 12:00:00", "yyyy-MM-dd HH:mm:ss"));
        sim().faults().set("*", down());
    }
    static constexpr const char* kStoredLine =
        "label #offlineDataLine: \"离线数据（更新于 2026-12-07 10:00）\"";
};

}  // namespace

TEST_F(StoredAnswerScreenTest, TheServerDownShowsTheStoredRowsWithTheirAgeAndAFreshAnswerReplacesThem) {
    auto first = searchAttendance();
    ASSERT_TRUE(first);
    const int rows = first->tbList->numberOfRows(0);
    ASSERT_GT(rows, 0);
    EXPECT_TRUE(first->offlineDataLine->hidden());
    run("back");

    // Two hours later the office does not answer: the rows kept at 10:00 are shown, with the line.
    Date::setNow(parseDate("2026-12-07 12:00:00", "yyyy-MM-dd HH:mm:ss"));
    sim().faults().set("Query_FdisempdutyInfo", down());
    auto offline = searchAttendance();
    ASSERT_TRUE(offline);
    ASSERT_NE(offline, first);
    std::string s = screen();
    EXPECT_EQ(offline->tbList->numberOfRows(0), rows);
    EXPECT_TRUE(contains(s, "label #offlineDataLine: \"离线数据（更新于 2026-12-07 10:00）\"")) << s;
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_TRUE(contains(s, "考勤日期:2026-12-01")) << s;
    EXPECT_TRUE(offline->emptyState->hidden());
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    // The rows sit under the line, not behind it.
    EXPECT_GE(offline->tbList->frame().y,
              offline->offlineDataLine->frame().y + offline->offlineDataLine->frame().height);

    // The office answers again: fresh rows, and the line goes.
    sim().faults().clear("Query_FdisempdutyInfo");
    offline->request();
    s = screen();
    EXPECT_TRUE(offline->offlineDataLine->hidden());
    EXPECT_FALSE(contains(s, "offlineDataLine")) << s;
    EXPECT_EQ(offline->tbList->numberOfRows(0), rows);
    EXPECT_EQ(offline->tbList->frame().y, 0);

    // None of it touched SQLite on the main thread.
    EXPECT_EQ(sqlite::Database::mainThreadCalls(), 0u);
}

TEST_F(StoredAnswerScreenTest, WithoutAStoredAnswerAFailureIsAsBefore) {
    sim().faults().set("Query_FdisempdutyInfo", down());
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(list->offlineDataLine->hidden());
    EXPECT_TRUE(contains(s, "label #emptyState: \"网络异常！\"")) << s;
}

TEST_F(StoredAnswerScreenTest, SigningOutThroughTheMenuDeletesWhatWasStored) {
    ASSERT_TRUE(searchAttendance());
    EXPECT_GT(storedRows(), 0);
    run("back\nmenu right\ntap #signOut");
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(storedRows(), 0);
    ASSERT_TRUE(loginAs("10086", "123456", false));
    sim().faults().set("Query_FdisempdutyInfo", down());
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(list->offlineDataLine->hidden());
}

}  // namespace busdesk::test

namespace busdesk::test {

// Screens not built on the result list: each shows what was stored for its query, with the line,
// and says "网络异常！"; a fresh answer takes the line away.
TEST_F(StoredAnswerScreenTest, ThePlanShowsItsStoredTripsPerTabAndAFreshAnswerTakesTheLineAway) {
    run("wait 4\nmenu left\ntap 运营情况");
    auto fresh = top<PlanViewController>();
    ASSERT_TRUE(fresh);
    screen();
    const int trips = fresh->tbList->numberOfSections();
    ASSERT_GT(trips, 0);
    run("tap #tmplan");
    screen();
    const int tomorrow = fresh->tbList->numberOfRows(0);

    serverGoesDown();
    run("menu left\ntap 运营情况");
    auto offline = top<PlanViewController>();
    ASSERT_TRUE(offline);
    ASSERT_NE(offline, fresh);
    std::string s = screen();
    EXPECT_EQ(offline->tbList->numberOfSections(), trips);
    EXPECT_TRUE(contains(s, kStoredLine)) << s;
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    // The other tab's stored answer is its own.
    run("tap #tmplan");
    s = screen();
    EXPECT_EQ(offline->tbList->numberOfRows(0), tomorrow);
    EXPECT_FALSE(offline->offlineDataLine->hidden());

    sim().faults().clear();
    run("tap #tplan");
    s = screen();
    EXPECT_TRUE(offline->offlineDataLine->hidden());
    EXPECT_FALSE(contains(s, "offlineDataLine")) << s;
    EXPECT_EQ(offline->tbList->numberOfSections(), trips);
}

TEST_F(StoredAnswerScreenTest, TheHomePageAndTheBulletinPagesShowWhatWasStoredPageByPage) {
    run("wait 4");
    auto home = top<MainViewController>();
    ASSERT_TRUE(home);
    screen();
    const std::size_t homeRows = home->aTableView->numberOfRows(0);
    ASSERT_GT(homeRows, 0u);
    run("menu left\ntap 公告通知");
    auto list = top<NewsViewController>();
    ASSERT_TRUE(list);
    screen();
    const int firstPage = list->tbList->numberOfRows(0);
    run("more\nwait 2");
    screen();
    const int twoPages = list->tbList->numberOfRows(0);
    ASSERT_GT(twoPages, firstPage) << "the demo data holds more than one page of bulletins";

    serverGoesDown();
    run("menu left\ntap 主页\nwait 4");
    home = top<MainViewController>();
    ASSERT_TRUE(home);
    std::string s = screen();
    EXPECT_EQ(static_cast<std::size_t>(home->aTableView->numberOfRows(0)), homeRows);
    EXPECT_TRUE(contains(s, kStoredLine)) << s;
    // The rows sit under the line, and the shortcuts stay where they were.
    EXPECT_GE(home->aTableView->frame().y,
              home->offlineDataLine->frame().y + home->offlineDataLine->frame().height);

    run("menu left\ntap 公告通知");
    list = top<NewsViewController>();
    ASSERT_TRUE(list);
    s = screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), firstPage);
    EXPECT_TRUE(contains(s, kStoredLine)) << s;
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    // The second page from the store, once, not twice.
    run("more\nwait 2");
    screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), twoPages);

    // Back online: the fresh first page replaces the stored pages and the line goes.
    sim().faults().clear();
    run("pull\nwait 2");
    s = screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), firstPage);
    EXPECT_FALSE(contains(s, "offlineDataLine")) << s;
    EXPECT_EQ(list->tbList->frame().y, 0);
}

// Result lists of the self-service menu: the riding records and the suggestions list.
TEST_F(StoredAnswerScreenTest, SelfServiceListsShowTheirStoredRowsAndAnUnstoredQueryFailsAsBefore) {
    run("wait 4\nmenu right\ntap 乘车记录");
    auto rides = top<RidingRecordViewController>();
    ASSERT_TRUE(rides);
    screen();
    const int rideRows = rides->tbList->numberOfRows(0);
    ASSERT_GT(rideRows, 0);

    serverGoesDown();
    run("menu right\ntap 乘车记录");
    rides = top<RidingRecordViewController>();
    ASSERT_TRUE(rides);
    std::string s = screen();
    EXPECT_EQ(rides->tbList->numberOfRows(0), rideRows);
    EXPECT_TRUE(contains(s, kStoredLine)) << s;
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;

    // Nothing was stored for the suggestions: the failure as it always was.
    auto suggestions = std::make_shared<DetListViewController>();
    content()->pushViewController(suggestions, false);
    s = screen();
    EXPECT_EQ(suggestions->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(suggestions->offlineDataLine->hidden());
    EXPECT_TRUE(contains(s, "label #emptyState: \"网络异常！\"")) << s;
}

TEST_F(StoredAnswerScreenTest, AnotherUserSeesNothingOfTheFirstUsersStoredAnswers) {
    ASSERT_TRUE(searchAttendance());
    screen();
    // Another driver at the same computer: the first one's rows are kept for them, not shown.
    Session::shared().setLoginResult(
        LoginResult::initWithString(R"({"IsSuccess":"1","EmpID":"E20001","Name":"李四"})"));
    sim().faults().set("Query_FdisempdutyInfo", down());
    auto list = searchAttendance();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_EQ(list->tbList->numberOfRows(0), 0);
    EXPECT_FALSE(contains(s, "offlineDataLine")) << s;
}

}  // namespace busdesk::test
