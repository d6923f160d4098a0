#include "model/DisplanDetailInfo.h"
#include "model/NosendDisplanInfo.h"
#include "screens/operations/NosendTableViewCell.h"
#include "screens/operations/PlanCellView.h"
#include "screens/operations/PlanRowView.h"
#include "screens/operations/PlanViewController.h"
#include "screens/operations/QArrangeViewController.h"
#include "tests/screens/operations/DriverDayFixture.h"
#include "ui/PullToRefresh.h"

namespace busdesk::test {
namespace {

// ---- rows

// The texts of a row's lines (the cells' own lines() is their table of formats).
std::vector<std::string> texts(const LinesCell& cell) {
    std::vector<std::string> out;
    for (auto& l : cell.lines) out.push_back(l->text());
    return out;
}

TEST(PlanRowsTest, DispatchedIsNotDispatchedOnlyForZero) {
    auto lineFor = [](std::optional<std::string> sent) {
        DisplanDetailInfo trip;
        trip.ISSent = std::move(sent);
        PlanCellView cell;
        cell.AddRow(&trip, 1);
        return texts(cell).at(0);
    };
    EXPECT_EQ(lineFor("0"), "是否发出：未发出");
    EXPECT_EQ(lineFor("1"), "是否发出：已发出");
    EXPECT_EQ(lineFor("2"), "是否发出：已发出");
    EXPECT_EQ(lineFor(""), "是否发出：已发出");
    EXPECT_EQ(lineFor(std::nullopt), "是否发出：已发出");
}

TEST(PlanRowsTest, TomorrowsRowShowsItsPositionAndLinesAndIgnoresAMissingTrip) {
    NosendDisplanInfo trip;
    trip.Busname = "12004";
    trip.LeaveStation = "燕山立交桥";
    trip.ArriveStation = "泉城广场";
    trip.LeaveTime = "05:32";
    NosendTableViewCell cell;
    cell.AddRow(&trip, 3);
    EXPECT_EQ(cell.badge->text(), "3");
    EXPECT_EQ(texts(cell), (std::vector<std::string>{"车辆：12004", "起点：燕山立交桥", "终点：泉城广场",
                                                     "开始时间：05:32"}));
    cell.AddRow(nullptr, 4);
    EXPECT_EQ(cell.badge->text(), "3");
    EXPECT_EQ(texts(cell)[0], "车辆：12004");
}

TEST(PlanRowsTest, TheTotalsAreWrittenLikeTheTripsUnderThemAndHaveRoomForEveryLine) {
    PlanRowView header;
    ASSERT_EQ(header.labels.size(), PlanRowView::lines().size());
    EXPECT_EQ(PlanRowView::kLineCount, PlanRowView::lines().size());
    PlanCellView trip;
    const auto& tripLines = static_cast<LinesCell&>(trip).lines;
    ASSERT_FALSE(tripLines.empty());
    for (auto& label : header.labels) {
        EXPECT_DOUBLE_EQ(label->fontSize(), tripLines.front()->fontSize());
        // Each line whole inside the header, at least as tall as a trip's line.
        EXPECT_GE(label->frame().height, LinesCell::kLineHeight);
        EXPECT_LE(label->frame().y + label->frame().height, PlanRowView::kHeight);
    }
}

// ---- the plan screen

class PlanScreenTest : public DriverDayTest {
  protected:
    std::shared_ptr<PlanViewController> openPlan(const std::string& row = "运营情况") {
        openMenu(row);
        return top<PlanViewController>();
    }
};

TEST_F(PlanScreenTest, OpensOnTodaysPlanOneSectionPerTripUnderTheTotals) {
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    auto urls = requestsTo("Query_DisplanInfo");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "RunDate"), "2026-12-07");
    EXPECT_EQ(queryParam(urls[0], "EmpID"), "E10086");
    ASSERT_TRUE(plan->displanDetailInfoArray);
    int trips = static_cast<int>(plan->displanDetailInfoArray->DisplanDetailInfos.count());
    ASSERT_GE(trips, 3);
    EXPECT_EQ(plan->tbPlan->numberOfSections(), trips);
    for (int s = 0; s < trips; ++s) EXPECT_EQ(plan->tbPlan->numberOfRows(s), 1) << s;

    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#presentLeftMenuViewController] \"运营情况\"")) << s;
    EXPECT_TRUE(contains(s, "list #tbPlan: " + std::to_string(trips) + " rows")) << s;
    // The totals once, above the first trip; trips numbered from 1 by section.
    EXPECT_EQ(count(s, "计划车次："), 1) << s;
    auto totals = s.find("计划车次：");
    auto first = s.find("[0.0] \"1\" | \"是否发出：");
    ASSERT_NE(first, std::string::npos) << s;
    EXPECT_LT(totals, first);
    EXPECT_TRUE(contains(s, "[2.0] \"3\" | \"是否发出：")) << s;
    EXPECT_TRUE(contains(s, "已完成的非营运里程（公里）：")) << s;
    // At ten o'clock the first trips have left and the last have not.
    EXPECT_TRUE(contains(s, "是否发出：已发出")) << s;
    EXPECT_TRUE(contains(s, "是否发出：未发出")) << s;
    EXPECT_TRUE(contains(s, "button #tplan: \"今日计划\" (selected)")) << s;
    EXPECT_FALSE(contains(s, "toast:")) << s;
    EXPECT_TRUE(contains(s, "车辆：12004")) << s;
    bool logged = false;
    for (auto& line : logLines()) logged = logged || line == "count==" + std::to_string(trips);
    EXPECT_TRUE(logged);
}

TEST_F(PlanScreenTest, TheSecondTabAsksForTomorrowAndShowsItsTripsWithoutTotals) {
    auto plan = openPlan("实时查询");
    ASSERT_TRUE(plan);
    run("tap #tmplan");
    EXPECT_EQ(plan->btnTag, 1);
    auto urls = requestsTo("Query_NosendDisplanInfo");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "RunDate"), "2026-12-08");
    ASSERT_TRUE(plan->nosendDisplanList);
    std::string s = screen();
    EXPECT_FALSE(contains(s, "计划车次：")) << s;
    EXPECT_FALSE(contains(s, "是否发出")) << s;
    EXPECT_TRUE(contains(s, "[0.0] \"1\" | \"车辆：")) << s;
    EXPECT_TRUE(contains(s, "button #tmplan: \"明日未发车\" (selected)")) << s;
    // Back to today: asked again, today's rows and totals.
    run("tap #tplan");
    EXPECT_EQ(requestsTo("Query_DisplanInfo").size(), 2u);
    EXPECT_TRUE(contains(screen(), "计划车次："));
}

TEST_F(PlanScreenTest, RunDatesJustBeforeMidnightAreTodayAndTheNextCalendarDay) {
    pinNow("2026-12-31 23:59:30");
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    run("tap #tmplan");
    EXPECT_EQ(queryParam(requestsTo("Query_DisplanInfo").at(0), "RunDate"), "2026-12-31");
    EXPECT_EQ(queryParam(requestsTo("Query_NosendDisplanInfo").at(0), "RunDate"), "2027-01-01");
    openMenu("配车排班");
    EXPECT_EQ(queryParam(requestsTo("Query_Arrange").at(0), "RunDate"), "2027-01-01");
}

TEST_F(PlanScreenTest, AnEmptyPlanSaysNothingButAnAnswerWithoutAPlanSaysNoData) {
    // An employee the office does not know has an empty plan.
    signIn(R"({"EmpID":"E99999","Name":"测试","IsSuccess":"1"})");
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "list #tbPlan: 0 rows")) << s;
    EXPECT_FALSE(contains(s, "toast:")) << s;
    ASSERT_TRUE(plan->displanDetailInfoArray);
    EXPECT_EQ(plan->displanDetailInfoArray->DisplanDetailInfos.count(), 0u);

    signIn(R"({"EmpID":"E10086","Name":"张建国","IsSuccess":"1"})");
    plan->request();
    screen();
    int trips = plan->tbPlan->numberOfSections();
    ASSERT_GT(trips, 0);
    // An array where the plan should be: the rows held so far stay, and "暂无数据！".
    sim::Fault array;
    array.body = sim::Fault::Body::WrongKind;
    sim().faults().set("Query_DisplanInfo", array);
    plan->request();
    s = screen();
    EXPECT_TRUE(contains(s, "toast: \"暂无数据！\"")) << s;
    EXPECT_EQ(plan->tbPlan->numberOfSections(), trips);
    EXPECT_FALSE(contains(s, "overlay:")) << s;
}

TEST_F(PlanScreenTest, AFailureSaysNetworkErrorAndKeepsTheRows) {
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    int trips = plan->tbPlan->numberOfSections();
    sim::Fault fault;
    fault.status = 503;
    sim().faults().set("Query_DisplanInfo", fault);
    plan->request();
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    EXPECT_EQ(plan->tbPlan->numberOfSections(), trips);
}

TEST_F(PlanScreenTest, EachAnswerLandsInTheTabThatAskedAndRowsFollowTheSelectedTab) {
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    plan->displanDetailInfoArray = nullptr;
    plan->nosendDisplanList = nullptr;
    // Today's answer is slow: it arrives after tomorrow's, with the second tab selected.
    sim::Fault slow;
    slow.latencyMs = 400;
    sim().faults().set("Query_DisplanInfo", slow);
    plan->request();
    plan->tmplanPressed();
    EXPECT_EQ(plan->outstandingRequests(), 2);
    std::string s = screen();
    EXPECT_EQ(plan->outstandingRequests(), 0);
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    ASSERT_TRUE(plan->displanDetailInfoArray);
    ASSERT_TRUE(plan->nosendDisplanList);
    EXPECT_GT(plan->displanDetailInfoArray->DisplanDetailInfos.count(), 0u);
    EXPECT_GT(plan->nosendDisplanList->List.count(), 0u);
    EXPECT_EQ(plan->tbPlan->numberOfSections(), static_cast<int>(plan->nosendDisplanList->List.count()));
    EXPECT_FALSE(contains(s, "是否发出")) << s;
    EXPECT_FALSE(contains(s, "计划车次：")) << s;
    // Today's tab shows today's answer without asking twice for it to be right.
    sim().faults().clear();
    run("tap #tplan");
    EXPECT_TRUE(contains(screen(), "计划车次："));
}

TEST_F(PlanScreenTest, PullingAsksAgainForTheTabShownTwoSecondsLater) {
    auto plan = openPlan();
    ASSERT_TRUE(plan);
    run("tap #tmplan\npull");
    EXPECT_EQ(requestsTo("Query_NosendDisplanInfo").size(), 1u);
    run("wait 1.9");
    EXPECT_EQ(requestsTo("Query_NosendDisplanInfo").size(), 1u);
    run("wait 0.2");
    auto urls = requestsTo("Query_NosendDisplanInfo");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(queryParam(urls[1], "RunDate"), "2026-12-08");
    EXPECT_EQ(requestsTo("Query_DisplanInfo").size(), 1u);
    auto header = pullToRefreshView(*plan->tbPlan);
    ASSERT_TRUE(header);
    EXPECT_FALSE(header->isAnimating());
    EXPECT_GT(plan->tbPlan->numberOfSections(), 0);
}

TEST_F(PlanScreenTest, TheHomeShortcutPushesThePlanWithABackButton) {
    openShortcut("showPlan");
    auto plan = top<PlanViewController>();
    ASSERT_TRUE(plan);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"运营情况\" [#goIndex]")) << s;
    EXPECT_EQ(requestsTo("Query_DisplanInfo").size(), 1u);
    run("back");
    EXPECT_TRUE(contains(screen(), "\"首页\""));
}

// ---- the duty roster

TEST_F(PlanScreenTest, TheRosterAsksForTomorrowAndDatesEveryRowWithIt) {
    openMenu("配车排班");
    auto roster = top<QArrangeViewController>();
    ASSERT_TRUE(roster);
    auto urls = requestsTo("Query_Arrange");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "RunDate"), "2026-12-08");
    EXPECT_EQ(roster->dateStr, "2026-12-08");
    ASSERT_TRUE(roster->arrange());
    int rows = roster->tbList->numberOfRows(0);
    ASSERT_GE(rows, 2);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#presentLeftMenuViewController] \"配车排班\"")) << s;
    EXPECT_EQ(count(s, "\"日期：2026-12-08\""), rows) << s;
    EXPECT_TRUE(contains(s, "\"员工姓名：张建国\" | \"上班时间：")) << s;
    EXPECT_TRUE(contains(s, "\"首发时间：")) << s;
}

TEST_F(PlanScreenTest, AnEmptyRosterShowsNoRowsAndNoMessage) {
    signIn(R"({"EmpID":"E99999","Name":"测试","IsSuccess":"1"})");
    openMenu("配车排班");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "list #aTableView: 0 rows")) << s;
    EXPECT_FALSE(contains(s, "toast:")) << s;
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("Query_Arrange", fault);
    top<QArrangeViewController>()->request();
    EXPECT_TRUE(contains(screen(), "toast: \"网络异常！\""));
}

TEST_F(PlanScreenTest, TheHomeShortcutPushesTheRoster) {
    openShortcut("showcheci");
    ASSERT_TRUE(top<QArrangeViewController>());
    EXPECT_TRUE(contains(screen(), "bar: [#goBack] \"配车排班\" [#goIndex]"));
    EXPECT_EQ(requestsTo("Query_Arrange").size(), 1u);
}

}  // namespace
}  // namespace busdesk::test
