#include <sqlite3.h>

#include <cstdlib>

#include "platform/DateFormat.h"
#include "platform/SQLite.h"
#include "screens/operations/KaoQinListViewController.h"
#include "screens/operations/KaoQinViewController.h"
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
