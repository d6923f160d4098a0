#include "screens/operations/BaoyangDetailCell.h"
#include "screens/operations/CheliangLingLiaoViewController.h"
#include "screens/operations/RanYouXiaoHaoDateViewController.h"
#include "screens/operations/WeiXiuDateViewController.h"
#include "screens/operations/WeiXiuDetailCell.h"
#include "screens/operations/WeiXiuDetailViewController.h"
#include "tests/screens/operations/DepotScreensFixture.h"

namespace busdesk::test {
namespace {

class MaintenanceScreensTest : public DepotScreensTest {
  protected:
    std::shared_ptr<WeiXiuDateViewController> openInput(const std::string& row = "车辆保养") {
        openMenuRow(row);
        return top<WeiXiuDateViewController>();
    }
    // Sets both fields and presses the query button.
    void query(WeiXiuDateViewController& input, const std::string& start, const std::string& end) {
        input.range->tf_Btime->setText(start);
        input.range->tf_Etime->setText(end);
        run("tap #ShowDetail");
    }
};

TEST_F(MaintenanceScreensTest, BothRowsOpenTheInputWithTheirTitleAndTheMonthSoFarWhichPasses) {
    pinNow("2025-03-17 08:00:00");
    for (const char* row : {"车辆保养", "维修查询"}) {
        auto input = openInput(row);
        ASSERT_TRUE(input) << row;
        EXPECT_EQ(input->titleStr, row);
        EXPECT_TRUE(contains(screen(), std::string("\"") + row + "\"")) << screen();
        EXPECT_EQ(input->range->tf_Btime->text(), "2025-03-01");
        EXPECT_EQ(input->range->tf_Etime->text(), "2025-03-17");
        // Evaluated once on load.
        EXPECT_TRUE(input->canRequest);
    }
    EXPECT_TRUE(logged("Difference in date components: 16/0/0"));
}

TEST_F(MaintenanceScreensTest, TheRangeRuleCountsCalendarMonthsAtThePress) {
    auto input = openInput();
    ASSERT_TRUE(input);
    query(*input, "2025-01-31", "2025-03-01");
    EXPECT_TRUE(contains(screen(), "toast: \"查询的天数不能超过31天！\""));
    EXPECT_TRUE(logged("Difference in date components: 1/1/0"));
    query(*input, "2025-01-15", "2025-02-15");
    EXPECT_TRUE(contains(screen(), "toast: \"查询的天数不能超过31天！\""));
    // Only the start moved, to two months before the end.
    query(*input, "2026-10-07", "2026-12-07");
    EXPECT_TRUE(contains(screen(), "toast: \"查询的天数不能超过31天！\""));
    EXPECT_FALSE(input->canRequest);
    EXPECT_TRUE(requestsTo("Query_TembusdefassInfo").empty());
    EXPECT_EQ(top<WeiXiuDateViewController>(), input);

    query(*input, "2025-01-15", "2025-02-14");
    ASSERT_TRUE(top<WeiXiuDetailViewController>());
    auto url = onlyRequestTo("Query_TembusdefassInfo");
    EXPECT_EQ(queryParam(url, "StartTime"), "2025-01-15");
    EXPECT_EQ(queryParam(url, "EndTime"), "2025-02-14");
}

TEST_F(MaintenanceScreensTest, AnEndBeforeTheStartPassesAndIsSentAsItStands) {
    auto input = openInput("维修查询");
    query(*input, "2025-02-10", "2025-02-01");
    auto url = onlyRequestTo("Query_WorkorderInfo");
    EXPECT_EQ(queryParam(url, "StartTime"), "2025-02-10");
    EXPECT_EQ(queryParam(url, "EndTime"), "2025-02-01");
    EXPECT_TRUE(contains(screen(), "toast: \"暂无数据\""));
}

TEST_F(MaintenanceScreensTest, EmptyFieldsAreNamedFirstAndTextThatIsNoDateFailsTheRule) {
    auto input = openInput();
    query(*input, "", "");
    EXPECT_TRUE(contains(screen(), "toast: \"请输入起始日期！\""));
    query(*input, "2026-12-01", "");
    EXPECT_TRUE(contains(screen(), "toast: \"请输入结束日期！\""));
    std::size_t linesBefore = logLines().size();
    query(*input, "2026-13-01", "2026-12-07");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"查询的天数不能超过31天！\"")) << s;
    // The rule never ran on a missing date.
    for (std::size_t i = linesBefore; i < logLines().size(); ++i)
        EXPECT_FALSE(contains(logLines()[i], "Difference in date components")) << logLines()[i];
    EXPECT_TRUE(requestsTo("Query_TembusdefassInfo").empty());
}

TEST_F(MaintenanceScreensTest, ATypedVehicleIsRememberedEvenWhenRefusedAndPrefilledNextTime) {
    auto input = openInput();
    EXPECT_EQ(input->tf_busNo->text(), "");
    run("type #tf_busNo 12004");
    query(*input, "2025-01-01", "2025-03-01");  // refused, but the vehicle is kept first
    EXPECT_EQ(PublicMethod::getStringForKey(kBuselfid), "12004");
    EXPECT_EQ(std::string(settingsOnDisk()["Buselfid"].as_string()), "12004");

    // An empty field leaves the stored number alone and is sent empty.
    input = openInput("维修查询");
    EXPECT_EQ(input->tf_busNo->text(), "12004");
    run("type #tf_busNo \"\"");
    query(*input, "2026-12-01", "2026-12-07");
    EXPECT_EQ(queryParam(onlyRequestTo("Query_WorkorderInfo"), "Buselfid"), "");
    EXPECT_EQ(PublicMethod::getStringForKey(kBuselfid), "12004");

    // The material screen shows it too; the fuel screen neither reads nor writes it.
    openMenuRow("车辆领料");
    ASSERT_TRUE(top<CheliangLingLiaoViewController>());
    EXPECT_EQ(top<CheliangLingLiaoViewController>()->tf_busNo->text(), "12004");
    openMenuRow("燃料消耗");
    auto fuel = top<RanYouXiaoHaoDateViewController>();
    ASSERT_TRUE(fuel);
    EXPECT_EQ(fuel->tf_BusNo->text(), "");
    run("type #tf_BusNo 12001\ntap #search");
    EXPECT_EQ(PublicMethod::getStringForKey(kBuselfid), "12004");
}

TEST_F(MaintenanceScreensTest, PlansOfTheDepotThisMonthShowEveryLineWithTwoDecimalMileages) {
    auto input = openInput();
    run("tap #ShowDetail");
    auto list = top<WeiXiuDetailViewController>();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->istag);
    auto url = onlyRequestTo("Query_TembusdefassInfo");
    EXPECT_EQ(queryParam(url, "EmpID"), "E10086");
    EXPECT_EQ(queryParam(url, "Buselfid"), "");
    EXPECT_EQ(queryParam(url, "StartTime"), "2026-12-01");
    EXPECT_EQ(queryParam(url, "EndTime"), "2026-12-07");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"车辆保养\" [#goIndex]")) << s;
    ASSERT_TRUE(list->normalList());
    ASSERT_GT(list->normalList()->List.count(), 0u) << s;
    EXPECT_FALSE(list->tbList->hidden());
    auto first = list->normalList()->List.objectAtIndex(0);
    EXPECT_TRUE(contains(s, "车号：" + *first->Busname)) << s;
    EXPECT_TRUE(contains(s, "保养里程：" + formatLine("%.2f", first->DefMiles))) << s;
    for (const char* caption : {"保养级别：", "计划保养日期：", "保养地点：", "设置保养里程：", "预提里程：",
                                "归档状态：", "线路名称："})
        EXPECT_TRUE(contains(s, caption)) << caption;
    // Only vehicles of the driver's own depot (routes 1路 and 5路 of the first depot).
    for (std::size_t i = 0; i < list->normalList()->List.count(); ++i) {
        auto route = list->normalList()->List.objectAtIndex(i)->RouteID.value_or("");
        EXPECT_TRUE(route == "1路" || route == "5路") << route;
    }
}

TEST_F(MaintenanceScreensTest, MileagesOfPlansYearsBackAreStillReadingsOfARunningVehicle) {
    auto input = openInput();
    query(*input, "2014-05-01", "2014-05-20");
    auto list = top<WeiXiuDetailViewController>();
    ASSERT_TRUE(list && list->normalList());
    ASSERT_GT(list->normalList()->List.count(), 0u);
    for (std::size_t i = 0; i < list->normalList()->List.count(); ++i) {
        auto plan = list->normalList()->List.objectAtIndex(i);
        EXPECT_GT(plan->DefMiles, 0) << *plan->Busname;
        // The planned mileage is the next multiple of 5000 at or above the reading.
        EXPECT_GE(plan->DefplanMiles, plan->DefMiles);
        EXPECT_LT(plan->DefplanMiles - plan->DefMiles, 5000);
    }
}

TEST_F(MaintenanceScreensTest, RepairOrdersAreTitledRepairDetailsAndUseTheRepairRows) {
    auto input = openInput("维修查询");
    run("tap #ShowDetail");
    auto list = top<WeiXiuDetailViewController>();
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->istag);
    onlyRequestTo("Query_WorkorderInfo");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"维修详情\"")) << s;
    ASSERT_TRUE(list->normalList() && list->normalList()->List.count() > 0) << s;
    for (const char* caption : {"状态：", "报修类型：", "维修地点：", "报修时间：", "接修时间：",
                                "完工时间：", "费用：", "报修描述：", "实修内容：", "维修类型："})
        EXPECT_TRUE(contains(s, caption)) << caption;
    EXPECT_FALSE(contains(s, "计划保养日期：")) << s;
}

TEST_F(MaintenanceScreensTest, AVehicleWithoutPlansLeavesTheListHiddenWithNoData) {
    auto input = openInput();
    run("type #tf_busNo 99999\ntap #ShowDetail");
    auto list = top<WeiXiuDetailViewController>();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"暂无数据\"")) << s;
    EXPECT_TRUE(list->tbList->hidden());
    EXPECT_FALSE(contains(s, "overlay:")) << s;
}

TEST(MaintenanceRowsTest, PlanAndRepairRowsPrintTheirFieldsAsWritten) {
    NormalInfo plan;
    plan.Busname = "12004";
    plan.DefMiles = 1234.5;
    plan.DefplanMiles = 5000;
    plan.DefPreMiles = 0;
    BaoyangDetailCell planCell;
    planCell.AddRow(plan);
    ASSERT_EQ(planCell.LinesCell::lines.size(), 9u);
    EXPECT_EQ(planCell.LinesCell::lines[0]->text(), "车号：12004");
    EXPECT_EQ(planCell.LinesCell::lines[4]->text(), "保养里程：1234.50");
    EXPECT_EQ(planCell.LinesCell::lines[5]->text(), "设置保养里程：5000.00");
    EXPECT_EQ(planCell.LinesCell::lines[6]->text(), "预提里程：0.00");

    NormalInfo order;
    order.Factcost = "356.8";
    order.mendtype = "电修";
    WeiXiuDetailCell orderCell;
    orderCell.AddRow(order);
    ASSERT_EQ(orderCell.LinesCell::lines.size(), 13u);
    // The cost is text and prints as it came.
    EXPECT_EQ(orderCell.LinesCell::lines[7]->text(), "费用：356.8");
    EXPECT_EQ(orderCell.LinesCell::lines[12]->text(), "维修类型：电修");
    EXPECT_GT(orderCell.rowHeight(), planCell.rowHeight());
}

}  // namespace
}  // namespace busdesk::test
