#include "core/SettingsKeys.h"
#include "model/NormalInfo.h"
#include "screens/operations/illDeatilTableViewController.h"
#include "screens/operations/illListViewController.h"
#include "screens/operations/illSumTableViewCell.h"
#include "screens/operations/illegalViewController.h"
#include "tests/screens/operations/DriverDayFixture.h"

namespace busdesk::test {
namespace {

TEST(ViolationRowsTest, TheCountFollowsTheKindDirectlyAndTheBadgeCountsFromOne) {
    NormalInfo info;
    info.Busname = "12004";
    info.Rundate = "2026-12-07";
    info.AlertType = "超速";
    info.Num = 3;
    illSumTableViewCell cell;
    cell.layoutView(info, 1);
    EXPECT_EQ(cell.badge->text(), "2");
    const LinesCell& rows = cell;
    ASSERT_EQ(rows.lines.size(), 3u);
    EXPECT_EQ(rows.lines[0]->text(), "12004");
    EXPECT_EQ(rows.lines[1]->text(), "2026-12-07");
    EXPECT_EQ(rows.lines[2]->text(), "超速3次");
}

class ViolationScreenTest : public DriverDayTest {
  protected:
    std::shared_ptr<illegalViewController> openCalendar(const std::string& row) {
        openMenu(row);
        return top<illegalViewController>();
    }
    // The distinct vehicles of the rows on screen.
    static std::set<std::string> vehiclesOf(const NormalList& list) {
        std::set<std::string> out;
        for (std::size_t i = 0; i < list.List.count(); ++i)
            out.insert(list.List.objectAtIndex(i)->Busname.value_or(""));
        return out;
    }
};

TEST_F(ViolationScreenTest, TripsWithoutATappedDayAskForTodayAndRememberNothing) {
    PublicMethod::setObject("12001", kBuselfid);
    auto calendar = openCalendar("完成车次");
    ASSERT_TRUE(calendar);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#presentLeftMenuViewController] \"完成车次\"")) << s;
    EXPECT_TRUE(contains(s, "label #alert:")) << s;
    EXPECT_FALSE(contains(s, "field #txt")) << s;
    // With nothing remembered the hint names today, and no day is chosen.
    EXPECT_TRUE(contains(s, "label #queryDay: \"将查询 2026-12-07\"")) << s;
    EXPECT_FALSE(calendar->calendar->selectedDate());
    run("tap #search");
    auto urls = requestsTo("Query_FinishDisplan");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "RunDate"), "2026-12-07");
    EXPECT_FALSE(illegalViewController::rememberedDay());
    // No vehicle is needed for trips, and the stored one stays.
    EXPECT_EQ(PublicMethod::getStringForKey(kBuselfid), "12001");
    auto list = top<illListViewController>();
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->istag);
    EXPECT_TRUE(contains(screen(), "bar: [#goBack] \"完成车次\" [#goIndex]"));

    // After midnight the next query asks for the new day.
    run("back");
    pinNow("2026-12-08 00:00:30");
    run("tap #search");
    urls = requestsTo("Query_FinishDisplan");
    ASSERT_EQ(urls.size(), 2u);
    EXPECT_EQ(queryParam(urls[1], "RunDate"), "2026-12-08");
}

TEST_F(ViolationScreenTest, ATappedDayIsUsedAndRememberedForLaterScreens) {
    openCalendar("完成车次");
    run("tap #day@3");
    EXPECT_TRUE(contains(screen(), "label #queryDay: \"将查询 2026-12-03\"")) << screen();
    run("tap #search");
    EXPECT_EQ(queryParam(requestsTo("Query_FinishDisplan").at(0), "RunDate"), "2026-12-03");
    EXPECT_EQ(illegalViewController::rememberedDay(), "2026-12-03");
    bool logged = false;
    for (auto& line : logLines()) logged = logged || line == "Selected date = 2026-12-03";
    EXPECT_TRUE(logged);

    // A later visit, even of the other calendar, asks for the same day, and shows it: the day
    // chosen on the calendar and named under it.
    auto violations = openCalendar("车辆违规");
    ASSERT_TRUE(violations);
    auto chosen = violations->calendar->selectedDate();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(PublicMethod::getDateString(*chosen, "yyyy-MM-dd"), "2026-12-03");
    EXPECT_TRUE(contains(screen(), "label #queryDay: \"将查询 2026-12-03\"")) << screen();
    run("type #txt 12004\ntap #search");
    auto urls = requestsTo("Query_AlertSUM");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2026-12-03");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2026-12-03");
    EXPECT_EQ(queryParam(urls[0], "Buselfid"), "12004");
    openCalendar("完成车次");
    run("tap #search");
    EXPECT_EQ(queryParam(requestsTo("Query_FinishDisplan").at(1), "RunDate"), "2026-12-03");
}

TEST_F(ViolationScreenTest, TheFirstAndFifthAreMarkedInThisMonthOnly) {
    auto calendar = openCalendar("车辆违规");
    ASSERT_TRUE(calendar);
    EXPECT_EQ(calendar->calendar->marks().size(), 2u);
    EXPECT_TRUE(calendar->calendar->marks().count(1) && calendar->calendar->marks().count(5));
    EXPECT_TRUE(contains(screen(), "marks 1,5"));
    run("tap #showNextMonth");
    EXPECT_TRUE(calendar->calendar->marks().empty());
    run("tap #showPreviousMonth");
    EXPECT_EQ(calendar->calendar->marks().size(), 2u);
}

TEST_F(ViolationScreenTest, ViolationsNeedAVehicleWhichIsStoredAndOfferedNextTime) {
    auto calendar = openCalendar("车辆违规");
    ASSERT_TRUE(calendar);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "field #txt: \"\" placeholder")) << s;
    EXPECT_FALSE(contains(s, "label #alert:")) << s;
    run("tap #search");
    EXPECT_TRUE(contains(screen(), "toast: \"请输入车号\""));
    EXPECT_TRUE(requestsTo("Query_AlertSUM").empty());
    EXPECT_EQ(top<illegalViewController>(), calendar);
    EXPECT_FALSE(PublicMethod::getStringForKey(kBuselfid));

    run("type #txt 12005\ntap #search");
    EXPECT_EQ(PublicMethod::getStringForKey(kBuselfid), "12005");
    EXPECT_EQ(settingsOnDisk()["Buselfid"], "12005");
    EXPECT_EQ(queryParam(requestsTo("Query_AlertSUM").at(0), "Buselfid"), "12005");
    openCalendar("车辆违规");
    EXPECT_EQ(top<illegalViewController>()->txt->text(), "12005");
}

TEST_F(ViolationScreenTest, TheHomeShortcutAsksForEveryVehicleOfTheDepotTodayUnderTheOriginalTag) {
    openShortcut("showRule");
    auto list = top<illListViewController>();
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->istag);
    EXPECT_TRUE(list->isAll);
    // Titled as the details, asked as the summary.
    EXPECT_TRUE(requestsTo("Query_AlertDetail").empty());
    auto urls = requestsTo("Query_AlertSUM");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "Buselfid"), "");
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2026-12-07");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2026-12-07");
    std::string s = screen();
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"违规详情\" [#goIndex]")) << s;
    ASSERT_TRUE(list->normalList);
    ASSERT_GE(list->normalList->List.count(), 2u) << s;
    EXPECT_TRUE(contains(s, "[0] \"1\" | \"")) << s;
    EXPECT_TRUE(contains(s, "[1] \"2\" | \"")) << s;
    // Every vehicle of the driver's depot (the first: 12001-12006), more than their own.
    auto vehicles = vehiclesOf(*list->normalList);
    EXPECT_GE(vehicles.size(), 2u);
    for (auto& v : vehicles) EXPECT_TRUE(v >= "12001" && v <= "12006") << v;
}

TEST_F(ViolationScreenTest, ASummaryRowOpensTheSingleViolationsOfThatVehicleAndKind) {
    openShortcut("showRule");
    auto list = top<illListViewController>();
    ASSERT_TRUE(list && list->normalList && list->normalList->List.count() > 0);
    auto row = list->normalList->List.objectAtIndex(0);
    ASSERT_TRUE(list->tbList->userSelectRow({0, 0}));
    auto detail = top<illDeatilTableViewController>();
    ASSERT_TRUE(detail);
    std::string s = screen();
    auto urls = requestsTo("Query_AlertDetail");
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(queryParam(urls[0], "Buselfid"), row->Busname);
    EXPECT_EQ(queryParam(urls[0], "Alerttype"), row->AlertType);
    EXPECT_EQ(queryParam(urls[0], "StartTime"), "2026-12-07");
    EXPECT_EQ(queryParam(urls[0], "EndTime"), "2026-12-07");
    ASSERT_TRUE(detail->normalList());
    EXPECT_EQ(static_cast<int>(detail->normalList()->List.count()), row->Num);
    EXPECT_TRUE(contains(s, "bar: [#goBack] \"违规详情\" [#goIndex]")) << s;
    EXPECT_TRUE(contains(s, "\"车辆名称:" + *row->Busname + "\" | \"违规类型:" + *row->AlertType + "\""))
        << s;
    EXPECT_TRUE(contains(s, "\"标准值:")) << s;
    EXPECT_TRUE(contains(s, "\"备注:")) << s;
}

TEST_F(ViolationScreenTest, TripsShowTheirTotalsWithTwoDecimalsAboveTheRows) {
    openCalendar("完成车次");
    run("tap #day@3\ntap #search");
    auto list = top<illListViewController>();
    ASSERT_TRUE(list && list->finishArrModel);
    int trips = static_cast<int>(list->finishArrModel->FinishDisplanList.count());
    ASSERT_GE(trips, 3);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "list #tbList: " + std::to_string(trips) + " rows")) << s;
    EXPECT_TRUE(contains(s, "label #lblSeqSum: \"总车次数：" + std::to_string(trips) + ".00\"")) << s;
    EXPECT_TRUE(contains(s, "\"线路名称：5路\" | \"里程（km）：")) << s;
    EXPECT_TRUE(contains(s, "\"营运类型：")) << s;
    // 12.5 prints as 12.50.
    list->finishArrModel->MileSum = 12.5;
    list->finishArrModel->SeqSum = 3;
    list->tbList->reloadData();
    s = screen();
    EXPECT_TRUE(contains(s, "label #lblMileSum: \"总里程：12.50\"")) << s;
    EXPECT_TRUE(contains(s, "label #lblSeqSum: \"总车次数：3.00\"")) << s;
    // Trip rows open nothing.
    list->tbList->userSelectRow({0, 0});
    EXPECT_EQ(top<illListViewController>(), list);
}

TEST_F(ViolationScreenTest, AnEmptyAnswerKeepsTheListHiddenAndAFailureSaysNetworkError) {
    openCalendar("车辆违规");
    run("type #txt 99999\ntap #search");
    auto list = top<illListViewController>();
    ASSERT_TRUE(list);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "toast: \"暂无数据\"")) << s;
    EXPECT_FALSE(contains(s, "list #tbList")) << s;
    EXPECT_TRUE(list->tbList->hidden());
    sim::Fault fault;
    fault.status = 500;
    sim().faults().set("Query_AlertSUM", fault);
    list->request();
    s = screen();
    EXPECT_TRUE(contains(s, "toast: \"网络异常！\"")) << s;
    EXPECT_FALSE(contains(s, "overlay:")) << s;
    EXPECT_TRUE(list->tbList->hidden());
}

}  // namespace
}  // namespace busdesk::test
