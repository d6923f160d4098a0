#include "core/Session.h"
#include "model/NormalInfo.h"
#include "platform/views/TextField.h"
#include "screens/core/LeftMenuViewController.h"
#include "screens/core/NavigationShell.h"
#include "screens/operations/KaoQinListViewController.h"
#include "screens/operations/KaoQinViewController.h"
#include "screens/query/DateRangeInput.h"
#include "screens/query/RowLine.h"
#include "tests/screens/core/CoreScreensFixture.h"
#include "ui/PickerSheet.h"

namespace busdesk::test {
namespace {

// ---- row lines

TEST(RowLineTest, ANumberPrintsTheSameWhetherItArrivedAsTextOrAsANumber) {
    using Text = std::optional<std::string>;
    EXPECT_EQ(formatLine("里程：%@", Text("12.5")), "里程：12.5");
    EXPECT_EQ(formatLine("里程：%@", 12.5), "里程：12.5");
    EXPECT_EQ(formatLine("总里程：%.2f", 12.5), "总里程：12.50");
    EXPECT_EQ(formatLine("总里程：%.2f", Text("12.5")), "总里程：12.50");
    EXPECT_EQ(formatLine("费用：%0.2f", 7), "费用：7.00");
    EXPECT_EQ(formatLine("普票运量：%d", 12), "普票运量：12");
    EXPECT_EQ(formatLine("普票运量：%d", 12.0), "普票运量：12");
    EXPECT_EQ(formatLine("普票运量：%d", Text("12")), "普票运量：12");
    EXPECT_EQ(formatLine("%d", -3), "-3");
}

TEST(RowLineTest, MissingAndOddValuesPrintPlainly) {
    using Text = std::optional<std::string>;
    EXPECT_EQ(formatLine("车号：%@", Text()), "车号：");
    // Text that is no number stays as it is rather than turning into 0.00.
    EXPECT_EQ(formatLine("费用：%.2f", Text("待定")), "费用：待定");
    EXPECT_EQ(formatLine("费用：%.2f", Text()), "费用：0.00");
    // A caption without a conversion is followed by the value; "%%" is a percent sign.
    EXPECT_EQ(formatLine("计划车次：", Text("8")), "计划车次：8");
    EXPECT_EQ(formatLine("完成率%%：%@", Text("90")), "完成率%：90");
    // Only one value per line: a second conversion stays as written.
    EXPECT_EQ(formatLine("%@/%@", Text("a")), "a/%@");
}

TEST(RowLineTest, TablesPrintEveryLineInOrderIncludingComputedOnes) {
    NormalInfo info;
    info.Busname = "沪A-1024";
    info.AlertType = "超速";
    info.Num = 3;
    info.DefMiles = 1234.5;
    std::vector<RowLine<NormalInfo>> table = {
        {"车号：%@", &NormalInfo::Busname},
        {"保养里程：%.2f", &NormalInfo::DefMiles},
        {"%d", &NormalInfo::Num},
        RowLine<NormalInfo>(
            [](const NormalInfo& i) { return formatLine("%@", i.AlertType) + formatLine("%d次", i.Num); }),
        {"备注:%@", &NormalInfo::Memo},
    };
    EXPECT_EQ(printLines(table, info),
              (std::vector<std::string>{"车号：沪A-1024", "保养里程：1234.50", "3", "超速3次", "备注:"}));
}

// ---- the range rule

TEST(QueryRangeTest, CalendarMonthsNotDayCountsDecide) {
    EXPECT_TRUE(queryRangeAllowed("2025-03-01", "2025-03-17"));
    EXPECT_TRUE(queryRangeAllowed("2025-01-01", "2025-01-31"));
    EXPECT_TRUE(queryRangeAllowed("2025-01-15", "2025-02-14"));
    EXPECT_FALSE(queryRangeAllowed("2025-01-15", "2025-02-15"));
    EXPECT_FALSE(queryRangeAllowed("2025-01-31", "2025-03-01"));
    EXPECT_FALSE(queryRangeAllowed("2024-03-01", "2025-03-01"));
    // An end before the start gives negative days and passes (the request is sent as it is).
    EXPECT_TRUE(queryRangeAllowed("2025-02-10", "2025-02-01"));
}

TEST(QueryRangeTest, TextThatIsNoDateFailsWithoutReachingTheCalendar) {
    std::vector<std::string> lines;
    auto previous = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    EXPECT_FALSE(queryRangeAllowed("", "2025-03-17"));
    EXPECT_FALSE(queryRangeAllowed("2025-03-01", "明天"));
    EXPECT_FALSE(queryRangeAllowed("2025-02-30", "2025-03-01"));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(queryRangeAllowed("2025-03-01", "2025-03-17"));
    Log::setSink(previous);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Difference in date components: 16/0/0");
}

// ---- the query screen pattern, through the attendance screens

class QueryScreenTest : public CoreScreensTest {
  protected:
    void SetUp() override {
        CoreScreensTest::SetUp();
        pinNow("2026-12-07 10:00:00");
        launch();
        ASSERT_TRUE(loginAs("10086", "123456", false));
    }
    static void pinNow(const std::string& moment) { Date::setNow(parseDate(moment, "yyyy-MM-dd HH:mm:ss")); }
    std::shared_ptr<KaoQinViewController> openAttendance() {
        run("wait 4\nmenu left\ntap 考勤信息");
        return top<KaoQinViewController>();
    }
};

TEST_F(QueryScreenTest, TheMenuRowOpensTheInputWithTheFirstOfTheMonthAndToday) {
    pinNow("2025-03-17 23:59:00");
    auto input = openAttendance();
    ASSERT_TRUE(input);
    EXPECT_EQ(input->range->tf_Btime->text(), "2025-03-01");
    EXPECT_EQ(input->range->tf_Etime->text(), "2025-03-17");
    EXPECT_TRUE(contains(screen(), "考勤信息")) << screen();
    // In reading order, on the screen as in the dump: the start row above the end row.
    EXPECT_LT(input->range->tf_Btime->frame().y, input->range->tf_Etime->frame().y);
    const std::string s = screen();
    ASSERT_NE(s.find("起始日期"), std::string::npos) << s;
    EXPECT_LT(s.find("起始日期"), s.find("结束日期")) << s;
}

TEST_F(QueryScreenTest, EmptyFieldsAreRefusedInOrderAndNothingIsAsked) {
    auto input = openAttendance();
    ASSERT_TRUE(input);
    input->range->tf_Btime->setText("");
    input->range->tf_Etime->setText("");
    run("tap #Search");
    EXPECT_TRUE(contains(screen(), "toast: \"请输入起始日期！\"")) << screen();
    input->range->tf_Btime->setText("2026-12-01");
    run("tap #Search");
    EXPECT_TRUE(contains(screen(), "toast: \"请输入结束日期！\""));
    EXPECT_TRUE(requestsTo("Query_FdisempdutyInfo").empty());
    EXPECT_EQ(top<KaoQinViewController>(), input);
}

TEST_F(QueryScreenTest, TheListAsksWithTheSessionAndTheFieldsAsTheyStandAndShowsEachRecord) {
    openAttendance();
    run("tap #tf_Btime\npick 2026-12-01\ntap #ShowEtime\npick 2026-12-04\ntap #Search");
    auto list = top<KaoQinListViewController>();
    ASSERT_TRUE(list);
    auto urls = requestsTo("Query_FdisempdutyInfo");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2026-12-01");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2026-12-04");
    auto session = Session::shared().loginResult();
    ASSERT_TRUE(session && session->EmpID);
    EXPECT_EQ(queryParam(urls[0], "EmpID"), *session->EmpID);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "考勤信息详情")) << s;
    EXPECT_TRUE(contains(s, "考勤日期:2026-12-01")) << s;
    EXPECT_TRUE(contains(s, "计划上班:")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    ASSERT_TRUE(list->normalList());
    EXPECT_EQ(list->tbList->numberOfRows(0), static_cast<int>(list->normalList()->List.count()));
    EXPECT_GE(list->tbList->numberOfRows(0), 3);
}

TEST_F(QueryScreenTest, AReversedRangeIsSentUnchangedAndAnEmptyAnswerSaysNoData) {
    auto input = openAttendance();
    input->range->tf_Btime->setText("2026-12-05");
    input->range->tf_Etime->setText("2026-12-01");
    run("tap #Search");
    auto urls = requestsTo("Query_FdisempdutyInfo");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2026-12-05");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2026-12-01");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"暂无数据\"")) << s;
    EXPECT_TRUE(contains(s, "list #tbList: 0 rows")) << s;
    // Besides the toast, which fades, the list's place says it.
    EXPECT_TRUE(contains(s, "label #emptyState: \"暂无数据\"")) << s;
}

TEST_F(QueryScreenTest, AFailureWithNothingShownSaysSoInTheListsPlaceUntilRowsArrive) {
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("Query_FdisempdutyInfo", fault);
    openAttendance();
    run("tap #Search");
    auto list = top<KaoQinListViewController>();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->emptyState->hidden());
    EXPECT_EQ(list->emptyState->text(), "网络异常！");
    sim().faults().clear("Query_FdisempdutyInfo");
    list->request();
    screen();
    ASSERT_GT(list->tbList->numberOfRows(0), 0);
    EXPECT_TRUE(list->emptyState->hidden());
}

TEST_F(QueryScreenTest, AFailureSaysNetworkErrorHidesTheOverlayAndKeepsWhatWasShown) {
    openAttendance();
    run("tap #Search");
    auto list = top<KaoQinListViewController>();
    ASSERT_TRUE(list);
    int rows = list->tbList->numberOfRows(0);
    ASSERT_GT(rows, 0);
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("Query_FdisempdutyInfo", fault);
    list->request();
    EXPECT_EQ(list->outstandingRequests(), 1);
    std::string s = screen();
    EXPECT_EQ(list->outstandingRequests(), 0);
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    EXPECT_EQ(list->tbList->numberOfRows(0), rows);
    // The rows shown stand; nothing is said in their place.
    EXPECT_TRUE(list->emptyState->hidden());
}

TEST_F(QueryScreenTest, AnAnswerForAScreenThatIsGoneIsDropped) {
    openAttendance();
    sim::Fault slow;
    slow.latencyMs = 300;
    sim().faults().set("Query_FdisempdutyInfo", slow);
    run("tap #Search");
    auto list = top<KaoQinListViewController>();
    ASSERT_TRUE(list);
    // A second request is still on its way (300 ms) when the screen is closed.
    list->request();
    std::weak_ptr<KaoQinListViewController> weak = list;
    list.reset();
    run("back");
    screen();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(top<KaoQinViewController>());
}

TEST_F(QueryScreenTest, APickerOpensAtTheFieldsDateOrAtNowWhenTheTextIsNoDate) {
    auto input = openAttendance();
    input->range->tf_Etime->setText("不是日期");
    run("tap #ShowEtime");
    auto sheets = PickerSheet::visibleSheets();
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0]->title(), "结束日期");
    EXPECT_TRUE(contains(screen(), "picker: \"结束日期\" 2026-12-07")) << screen();
    run("cancel\ntap #tf_Btime");
    EXPECT_TRUE(contains(screen(), "picker: \"起始日期\" 2026-12-01")) << screen();
    run("pick 2026-11-20");
    EXPECT_EQ(input->range->tf_Btime->text(), "2026-11-20");
    EXPECT_EQ(input->range->tf_Etime->text(), "不是日期");
}

}  // namespace
}  // namespace busdesk::test
