#include "core/Session.h"
#include "screens/operations/LiChengDetTableViewController.h"
#include "screens/operations/LiChengListViewController.h"
#include "screens/operations/ShouRuDetTableViewController.h"
#include "screens/operations/ShouRuListViewController.h"
#include "screens/operations/ShouruDayTableViewCell.h"
#include "screens/operations/ShouruDayTableViewController.h"
#include "screens/operations/ShowRuViewController.h"
#include "tests/screens/operations/DepotScreensFixture.h"

namespace busdesk::test {
namespace {

class StatisticsScreensTest : public DepotScreensTest {
  protected:
    std::shared_ptr<ShowRuViewController> openStatistics(const std::string& row) {
        openMenuRow(row);
        return top<ShowRuViewController>();
    }
};

class RememberedStatisticsTest : public StatisticsScreensTest {
  protected:
    bool rememberAtLogin() const override { return true; }
};

TEST_F(StatisticsScreensTest, BothRowsOpenOneScreenDifferingOnlyInIslicheng) {
    auto revenue = openStatistics("营收情况");
    ASSERT_TRUE(revenue);
    EXPECT_FALSE(revenue->islicheng);
    EXPECT_TRUE(contains(screen(), "\"营收情况\""));
    auto mileage = openStatistics("里程情况");
    ASSERT_TRUE(mileage);
    EXPECT_NE(mileage, revenue);
    EXPECT_TRUE(mileage->islicheng);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"里程情况\"")) << s;
    EXPECT_TRUE(mileage->day);
    EXPECT_TRUE(mileage->onePer);
    EXPECT_TRUE(contains(s, "datepicker #dayPicker: 2026-12-07")) << s;
    EXPECT_TRUE(contains(s, "image #dayImg: radio_on")) << s;
    EXPECT_TRUE(contains(s, "image #onePerImg: radio_on")) << s;
    run("tap #sumPerBtn\ntap #monthAction");
    s = screen();
    EXPECT_FALSE(mileage->onePer);
    EXPECT_FALSE(mileage->day);
    EXPECT_TRUE(contains(s, "image #sumPerImg: radio_on")) << s;
    EXPECT_TRUE(contains(s, "image #onePerImg: radio_off")) << s;
    EXPECT_TRUE(contains(s, "monthpicker #monthPicker: 2026-12")) << s;
    EXPECT_EQ(mileage->monthPicker->maximumYear(), 2027);
    EXPECT_EQ(mileage->monthPicker->minimumYear(), 2000);
}

TEST_F(StatisticsScreensTest, MileageOfADayForOneselfSendsAllZero) {
    openStatistics("里程情况");
    run("pick 2026-12-06\ntap #search");
    auto list = top<LiChengDetTableViewController>();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tag, 7);
    auto url = onlyRequestTo("Query_BusdaymileInfoOnedayByDriver");
    EXPECT_EQ(queryParam(url, "all"), "0");
    EXPECT_EQ(queryParam(url, "StartTime"), "2026-12-06");
    EXPECT_EQ(queryParam(url, "EmpID"), "E10086");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"里程详情\"")) << s;
    ASSERT_TRUE(list->mileDriverList());
    ASSERT_EQ(list->mileDriverList()->List.count(), 1u) << s;
    auto row = list->mileDriverList()->List.objectAtIndex(0);
    EXPECT_TRUE(contains(s, "\"司机:张建国\" | \"里程（公里）:" + formatLine("%.2f", row->Milenum) +
                                "\" | \"日期:2026-12-06\" | \"线路:5路\" | \"非营运里程:"))
        << s;
}

TEST_F(StatisticsScreensTest, AMileageSummaryRowAsksForThatDriverWithoutAll) {
    openStatistics("里程情况");
    run("tap #sumPerBtn\ntap #monthAction\npick 2026-11\ntap #search");
    auto summary = top<LiChengListViewController>();
    ASSERT_TRUE(summary);
    auto url = onlyRequestTo("Query_BusdaymileSUMByDriver");
    EXPECT_EQ(queryParam(url, "all"), "1");
    EXPECT_EQ(queryParam(url, "StartTime"), "2026-11");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"里程汇总\"")) << s;
    ASSERT_TRUE(summary->mileDriverList());
    // Every driver of the first depot.
    ASSERT_GE(summary->mileDriverList()->List.count(), 3u) << s;
    auto third = summary->mileDriverList()->List.objectAtIndex(2);
    ASSERT_TRUE(third->driverID);
    run("tap " + *third->drivername);
    auto detail = top<LiChengDetTableViewController>();
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->tag, 9);
    auto detailUrl = onlyRequestTo("Query_BusdaymileInfoByDriver");
    EXPECT_EQ(queryParam(detailUrl, "EmpID"), *third->driverID);
    EXPECT_EQ(queryParam(detailUrl, "StartTime"), "2026-11");
    EXPECT_FALSE(queryParam(detailUrl, "all"));
    EXPECT_TRUE(logged("info.driverID==" + *third->driverID));
    // The month's days add up to the summary.
    ASSERT_TRUE(detail->mileDriverList());
    double sum = 0;
    for (std::size_t i = 0; i < detail->mileDriverList()->List.count(); ++i)
        sum += detail->mileDriverList()->List.objectAtIndex(i)->Milenum;
    EXPECT_NEAR(sum, third->Milenum, 0.05 * static_cast<double>(detail->mileDriverList()->List.count()));
}

TEST_F(StatisticsScreensTest, RevenueOfAMonthForEverybodySendsAllOneAndOpensADriver) {
    openStatistics("营收情况");
    run("tap #sumPerBtn\ntap #monthAction\npick 2025-03\ntap #search");
    auto summary = top<ShouRuListViewController>();
    ASSERT_TRUE(summary);
    auto url = onlyRequestTo("Query_DssticketreceiptSUM");
    EXPECT_EQ(queryParam(url, "all"), "1");
    EXPECT_EQ(queryParam(url, "StartTime"), "2025-03");
    EXPECT_EQ(queryParam(url, "EmpID"), "E10086");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"营收汇总\"")) << s;
    ASSERT_TRUE(summary->revenueList());
    ASSERT_GE(summary->revenueList()->DssfuelcostList.count(), 2u) << s;
    auto second = summary->revenueList()->DssfuelcostList.objectAtIndex(1);
    EXPECT_TRUE(contains(s, "[1] \"2\" | \"" + *second->Drivername +
                                "\" | \"2025-03\" | \"IC收入:" + formatLine("%.2f", second->IcTotalIncome) +
                                "\" | \"现金收入:" + formatLine("%.2f", second->TotalIncome) +
                                "\" | \"详情\""))
        << s;
    // The summary names the driver with a capital D; the row still knows it.
    ASSERT_TRUE(second->driverID);

    run("tap #showDetail@2");
    auto detail = top<ShouRuDetTableViewController>();
    ASSERT_TRUE(detail);
    auto detailUrl = onlyRequestTo("Query_DssticketreceiptInfo");
    EXPECT_EQ(queryParam(detailUrl, "EmpID"), *second->driverID);
    EXPECT_EQ(queryParam(detailUrl, "StartTime"), "2025-03");
    EXPECT_FALSE(queryParam(detailUrl, "all"));
    EXPECT_TRUE(logged("-----8==" + *second->driverID));
    s = screen();
    EXPECT_TRUE(contains(s, "\"营收详情\"")) << s;
    EXPECT_TRUE(contains(s, "类型:IC卡")) << s;
    EXPECT_TRUE(contains(s, "类型:现金")) << s;
}

TEST_F(StatisticsScreensTest, ASummaryRowWithoutADriverOpensItsDetailWithNone) {
    openStatistics("营收情况");
    run("tap #monthAction\ntap #search");
    auto summary = top<ShouRuListViewController>();
    ASSERT_TRUE(summary);
    auto list = std::make_shared<DssticketcostSumList>();
    auto row = std::make_shared<DssticketcostSum>();
    row->Drivername = "无名";
    list->DssfuelcostList =
        WireModelArray<DssticketcostSum>(std::vector<std::shared_ptr<DssticketcostSum>>{row});
    summary->received = list;
    summary->tbList->reloadData();
    run("tap #showDetail");
    auto detail = top<ShouRuDetTableViewController>();
    ASSERT_TRUE(detail);
    EXPECT_FALSE(detail->userId);
    auto url = onlyRequestTo("Query_DssticketreceiptInfo");
    EXPECT_FALSE(queryParam(url, "EmpID")) << url;
    EXPECT_TRUE(logged("-----8==(null)"));
    EXPECT_TRUE(contains(screen(), "toast: \"暂无数据\""));

    // The same for a mileage summary row.
    openStatistics("里程情况");
    run("tap #monthAction\ntap #search");
    auto miles = top<LiChengListViewController>();
    ASSERT_TRUE(miles);
    auto mileList = std::make_shared<MileDriverList>();
    auto mileRow = std::make_shared<MileDriverInfo>();
    mileRow->drivername = "无名";
    mileList->List = WireModelArray<MileDriverInfo>(std::vector<std::shared_ptr<MileDriverInfo>>{mileRow});
    miles->received = mileList;
    miles->tbList->reloadData();
    run("tap 无名");
    ASSERT_TRUE(top<LiChengDetTableViewController>());
    EXPECT_FALSE(queryParam(onlyRequestTo("Query_BusdaymileInfoByDriver"), "EmpID"));
}

TEST_F(RememberedStatisticsTest, RevenueOfADaySendsTheRememberedNameWithCountsWithoutDecimals) {
    openStatistics("营收情况");
    run("pick 2026-12-06\ntap #search");
    auto day = top<ShouruDayTableViewController>();
    ASSERT_TRUE(day);
    auto url = onlyRequestTo("Query_DssticketreceiptInfoOneday");
    EXPECT_EQ(queryParam(url, "EmpID"), "10086");
    EXPECT_EQ(queryParam(url, "all"), "0");
    EXPECT_EQ(queryParam(url, "StartTime"), "2026-12-06");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "\"营收详情\"")) << s;
    ASSERT_TRUE(day->revenueList());
    ASSERT_EQ(day->revenueList()->DssfuelcostList.count(), 1u) << s;
    auto row = day->revenueList()->DssfuelcostList.objectAtIndex(0);
    EXPECT_TRUE(contains(s, "\"车辆：12004\" | \"司机编号：E10086\" | \"日期：2026-12-06\" | \"普票收入：" +
                                formatLine("%.2f", row->GeneralIncome) + "\" | \"普票运量：" +
                                std::to_string(row->GeneralTicketNum) + "\" | \"IC卡收入："))
        << s;
    EXPECT_GT(row->GeneralTicketNum, 0);
}

TEST_F(StatisticsScreensTest, WithoutARememberedNameTheDayQueryUsesTheCardTypedAtLogin) {
    ASSERT_FALSE(PublicMethod::getStringForKey(kZtUsername));
    openStatistics("营收情况");
    run("tap #sumPerBtn\ntap #search");
    auto url = onlyRequestTo("Query_DssticketreceiptInfoOneday");
    EXPECT_EQ(queryParam(url, "EmpID"), "10086");
    EXPECT_EQ(queryParam(url, "all"), "1");
    auto day = top<ShouruDayTableViewController>();
    ASSERT_TRUE(day && day->revenueList());
    // Today's trips so far, every driver of the depot.
    EXPECT_GE(day->revenueList()->DssfuelcostList.count(), 2u) << screen();

    // Nothing remembered and nothing typed: EmpID is left out, and nothing breaks.
    Session::shared().setTypedCardID(std::nullopt);
    run("back\ntap #search");
    auto urls = requestsTo("Query_DssticketreceiptInfoOneday");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_FALSE(queryParam(urls[1], "EmpID")) << urls[1];
    EXPECT_TRUE(contains(screen(), "toast: \"暂无数据\""));
}

TEST(StatisticsRowsTest, CountsPrintWithoutDecimalsAndMoneyWithTwo) {
    DssticketcostSum day;
    day.GeneralIncome = 35;
    day.GeneralTicketNum = 12;
    day.IClIncome = 48.6;
    day.ICTicketNum = 54;
    day.FreeICTicketNum = 7;
    ShouruDayTableViewCell cell;
    cell.layView(day);
    const auto& lines = cell.LinesCell::lines;
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[3]->text(), "普票收入：35.00");
    EXPECT_EQ(lines[4]->text(), "普票运量：12");
    EXPECT_EQ(lines[5]->text(), "IC卡收入：48.60");
    EXPECT_EQ(lines[6]->text(), "IC卡运量：54");
    EXPECT_EQ(lines[7]->text(), "免费IC运量：7");
}

}  // namespace
}  // namespace busdesk::test
