#include "screens/operations/CheliangLingLiaoDetailCell.h"
#include "screens/operations/CheliangLingLiaoDetailController.h"
#include "screens/operations/CheliangLingLiaoTableViewController.h"
#include "screens/operations/CheliangLingLiaoViewController.h"
#include "screens/operations/RanYouDetailCell.h"
#include "screens/operations/RanYouDetailViewController.h"
#include "screens/operations/RanYouListCell.h"
#include "screens/operations/RanYouXiaoHaoDateViewController.h"
#include "screens/operations/RanYouXiaoHaoListViewController.h"
#include "tests/screens/operations/DepotScreensFixture.h"

namespace busdesk::test {
namespace {

class FuelScreensTest : public DepotScreensTest {
  protected:
    std::shared_ptr<RanYouXiaoHaoDateViewController> openFuel() {
        openMenuRow("燃料消耗");
        return top<RanYouXiaoHaoDateViewController>();
    }
    std::shared_ptr<CheliangLingLiaoViewController> openMaterial() {
        openMenuRow("车辆领料");
        return top<CheliangLingLiaoViewController>();
    }
};

TEST_F(FuelScreensTest, TheFuelInputStartsInDayModeAtNowWithTheMonthWheelHidden) {
    pinNow("2025-03-17 08:00:00");
    auto input = openFuel();
    ASSERT_TRUE(input);
    EXPECT_TRUE(input->day);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"燃料消耗\"")) << s;
    EXPECT_TRUE(contains(s, "datepicker #datePicker: 2025-03-17")) << s;
    EXPECT_FALSE(contains(s, "monthpicker")) << s;
    EXPECT_TRUE(contains(s, "image #leftBtnImg: radio_on")) << s;
    EXPECT_TRUE(contains(s, "image #rigthBtnImg: radio_off")) << s;
    EXPECT_EQ(input->monthPicker->minimumYear(), 2000);
    EXPECT_EQ(input->monthPicker->maximumYear(), 2026);
    EXPECT_TRUE(input->monthPicker->yearFirst());

    run("tap #monthBtn");
    s = screen();
    EXPECT_FALSE(input->day);
    EXPECT_TRUE(contains(s, "monthpicker #monthPicker: 2025-03")) << s;
    EXPECT_FALSE(contains(s, "datepicker")) << s;
    EXPECT_TRUE(contains(s, "image #leftBtnImg: radio_off")) << s;
    EXPECT_TRUE(contains(s, "image #rigthBtnImg: radio_on")) << s;
    // The wheel keeps to 2000 … next year.
    EXPECT_FALSE(input->monthPicker->userSelectMonth(1999, 12));
    EXPECT_FALSE(input->monthPicker->userSelectMonth(2027, 1));
    EXPECT_TRUE(input->monthPicker->userSelectMonth(2026, 12));
    run("tap #datBtn");
    EXPECT_TRUE(input->day);
    EXPECT_TRUE(contains(screen(), "datepicker #datePicker: 2025-03-17"));
}

TEST_F(FuelScreensTest, ADayAsksForThatDayTwiceAndIsTitledDetails) {
    pinNow("2025-03-17 08:00:00");
    auto input = openFuel();
    run("tap #search");
    auto detail = top<RanYouDetailViewController>();
    ASSERT_TRUE(detail);
    EXPECT_TRUE(detail->isday);
    auto url = onlyRequestTo("Query_DssfuelcostInfo");
    EXPECT_EQ(queryParam(url, "StartTime"), "2025-03-17");
    EXPECT_EQ(queryParam(url, "EndTime"), "2025-03-17");
    EXPECT_EQ(queryParam(url, "Buselfid"), "");
    EXPECT_EQ(queryParam(url, "EmpID"), "E10086");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"详情\" [#goIndex]")) << s;
    // The depot's vehicles each filled up that evening.
    ASSERT_TRUE(detail->normalList());
    EXPECT_GE(detail->normalList()->List.count(), 2u) << s;
    EXPECT_TRUE(contains(s, "营运日期：2025-03-17")) << s;
    EXPECT_TRUE(contains(s, "燃料类型：")) << s;
}

TEST_F(FuelScreensTest, AMonthGivesTheSummaryWhoseDetailButtonOpensThatVehicleForTheMonth) {
    auto input = openFuel();
    run("tap #monthBtn\npick 2025-03\ntap #search");
    auto summary = top<RanYouXiaoHaoListViewController>();
    ASSERT_TRUE(summary);
    auto url = onlyRequestTo("Query_DssfuelcostSUM");
    EXPECT_EQ(queryParam(url, "StartTime"), "2025-03");
    EXPECT_EQ(queryParam(url, "EndTime"), "2025-03");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"统计（2025-03）\"")) << s;
    EXPECT_TRUE(std::any_of(logLines().begin(), logLines().end(),
                            [](const std::string& l) { return l.rfind("selectDate==2025-03-01", 0) == 0; }));
    ASSERT_TRUE(summary->normalList());
    ASSERT_GE(summary->normalList()->List.count(), 2u) << s;
    auto second = summary->normalList()->List.objectAtIndex(1);
    // Position, vehicle, period, fuel with two decimals.
    EXPECT_TRUE(contains(s, "[1] \"2\" | \"" + *second->Busname + "\" | \"2025-03\" | \"" +
                                *second->Fuelname + " " + formatLine("%.2f", second->Fuelnum) +
                                "\" | \"详情\""))
        << s;

    run("tap #showDetail@2");
    auto detail = top<RanYouDetailViewController>();
    ASSERT_TRUE(detail);
    EXPECT_FALSE(detail->isday);
    auto urls = requestsTo("Query_DssfuelcostInfo");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "Buselfid"), *second->Busname);
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2025-03");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2025-03");
    s = screen();
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"" + *second->Busname + "\" [#goIndex]")) << s;
    // One record a day for the vehicle.
    ASSERT_TRUE(detail->normalList());
    EXPECT_EQ(detail->normalList()->List.count(), 31u);
}

TEST_F(FuelScreensTest, TheMaterialMonthFollowsTheWheelOneSecondLate) {
    auto input = openMaterial();
    ASSERT_TRUE(input);
    EXPECT_EQ(CheliangLingLiaoViewController::selectedMonth(), "2026-12");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "monthpicker #monthPicker: 2026-12")) << s;
    EXPECT_EQ(input->monthPicker->maximumYear(), 2027);

    run("pick 2026-10\ntap #search");
    EXPECT_EQ(queryParam(onlyRequestTo("Query_StockbillSUM"), "StartTime"), "2026-12");
    EXPECT_TRUE(contains(screen(), "\"领料列表（2026-12）\""));
    run("back\nwait 0.5");
    EXPECT_EQ(CheliangLingLiaoViewController::selectedMonth(), "2026-12");
    run("wait 0.6\ntap #search");
    auto urls = requestsTo("Query_StockbillSUM");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(queryParam(urls[1], "StartTime"), "2026-10");
    EXPECT_EQ(queryParam(urls[1], "EndTime"), "2026-10");

    // The month outlives the screen, and a new screen starts again at this month.
    run("back");
    EXPECT_EQ(CheliangLingLiaoViewController::selectedMonth(), "2026-10");
    openMaterial();
    EXPECT_EQ(CheliangLingLiaoViewController::selectedMonth(), "2026-12");
}

TEST_F(FuelScreensTest, TwoQuickTurnsEndOnTheLastMonth) {
    openMaterial();
    run("pick 2026-08\nwait 0.5\npick 2026-09\nwait 1");
    EXPECT_EQ(CheliangLingLiaoViewController::selectedMonth(), "2026-09");
}

TEST_F(FuelScreensTest, AMaterialRowOpensThatVehiclesRequisitionsWithTwoDecimalMoney) {
    auto input = openMaterial();
    run("pick 2026-11\nwait 1\ntap #search");
    auto summary = top<CheliangLingLiaoTableViewController>();
    ASSERT_TRUE(summary);
    auto url = onlyRequestTo("Query_StockbillSUM");
    EXPECT_EQ(queryParam(url, "Buselfid"), "");
    std::string s = screen();
    ASSERT_TRUE(summary->normalList());
    ASSERT_GT(summary->normalList()->List.count(), 0u) << s;
    auto first = summary->normalList()->List.objectAtIndex(0);
    EXPECT_TRUE(contains(s, "[0] \"1\" | \"车辆：" + *first->Busname + "\" | \"费用：" +
                                formatLine("%0.2f", first->Totalsum) + "\""))
        << s;

    run("tap 车辆：" + *first->Busname);
    auto detail = top<CheliangLingLiaoDetailController>();
    ASSERT_TRUE(detail);
    auto detailUrl = onlyRequestTo("Query_StockbillInfo");
    EXPECT_EQ(queryParam(detailUrl, "Buselfid"), *first->Busname);
    EXPECT_EQ(queryParam(detailUrl, "StartTime"), "2026-11");
    s = screen();
    EXPECT_TRUE(contains(s, "\"领料详情（2026-11）\"")) << s;
    ASSERT_TRUE(detail->normalList());
    double total = 0;
    for (std::size_t i = 0; i < detail->normalList()->List.count(); ++i) {
        auto bill = detail->normalList()->List.objectAtIndex(i);
        EXPECT_EQ(bill->Busname, first->Busname);
        total += bill->Totalsum;
    }
    // The summary is the sum of the vehicle's requisitions.
    EXPECT_NEAR(total, first->Totalsum, 0.01);
    for (const char* caption : {"订单号：", "领料日期：", "数量：", "单价：", "材料名称：", "领料人：",
                                "仓库：", "供应商：", "作业类别："})
        EXPECT_TRUE(contains(s, caption)) << caption;
}

TEST(FuelRowsTest, QuantitiesAndMoneyPrintWithTwoDecimals) {
    NormalInfo fuel;
    fuel.Runningdate = "2025-03-17";
    fuel.Fuelnum = 7;
    fuel.Fuelname = "柴油";
    RanYouDetailCell detail;
    detail.AddRow(fuel);
    EXPECT_EQ(detail.LinesCell::lines[1]->text(), "消耗数量：7.00");
    RanYouListCell summary;
    summary.fill(&fuel, 4);
    EXPECT_EQ(summary.badge->text(), "5");
    EXPECT_EQ(summary.LinesCell::lines[2]->text(), "柴油 7.00");
    ASSERT_TRUE(summary.trailingButton);
    EXPECT_EQ(summary.trailingButton->identifier(), "showDetail");

    NormalInfo bill;
    bill.Count = 2;
    bill.Price = 12.5;
    bill.Totalsum = 25;
    CheliangLingLiaoDetailCell billCell;
    billCell.AddRow(bill);
    EXPECT_EQ(billCell.LinesCell::lines[3]->text(), "费用：25.00");
    EXPECT_EQ(billCell.LinesCell::lines[4]->text(), "数量：2.00");
    EXPECT_EQ(billCell.LinesCell::lines[5]->text(), "单价：12.50");
}

}  // namespace
}  // namespace busdesk::test
