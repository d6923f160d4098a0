#include <gtest/gtest.h>

#include <type_traits>

#include "ServiceTestSupport.h"
#include "services/AnswerDecoders.h"
#include "services/NormalService.h"

namespace busdesk::test {
namespace {

// A check of the first row of a list answer of the expected kind.
template <class List, class Row>
std::function<void(const std::shared_ptr<WireModel>&)> firstRowOf(
    WireModelArray<Row> List::*field, std::type_identity_t<std::function<void(const Row&)>> f) {
    return [field, f](const std::shared_ptr<WireModel>& m) {
        auto list = std::dynamic_pointer_cast<List>(m);
        ASSERT_TRUE(list);
        ASSERT_GT(((*list).*field).count(), 0u);
        f(*((*list).*field)[0]);
    };
}

namespace json = boost::json;
using json::object;

using ModelCalls = Calls<std::shared_ptr<WireModel>>;

class NormalServiceTest : public ServiceTest {};

TEST_F(NormalServiceTest, AnnouncementsAndRegulationsGoToTheirMethodsWithoutEchoingTheAnswer) {
    Calls<std::shared_ptr<NormalList>> news, rules;
    NormalService::getNewsServiceInfoWithPara({{"EmpID", "E10086"}, {"Index", "1"}}, 2, news.success(),
                                              news.fail());
    ASSERT_TRUE(news.wait());
    NormalService::getNewsServiceInfoWithPara({{"EmpID", "E10086"}, {"Index", "2"}}, 3, rules.success(),
                                              rules.fail());
    ASSERT_TRUE(rules.wait());

    ASSERT_EQ(news.successes, 1);
    EXPECT_EQ(news.failures, 0);
    EXPECT_FALSE(news.offMainThread);
    auto sent = log_.sent("Query_ByNewInfoPartNP");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/OfficeServiceQ/Query_ByNewInfoPartNP/");
    EXPECT_EQ(sent->query, (std::map<std::string, std::string>{{"EmpID", "E10086"}, {"Index", "1"}}));
    const auto& list = news.arg()->List;
    ASSERT_EQ(list.count(), 10u);
    EXPECT_EQ(list[0]->ID, "N1000");
    EXPECT_EQ(list[0]->Title, "关于冬季安全行车的通知");
    EXPECT_TRUE(list[0]->Publishby);
    EXPECT_FALSE(list[0]->PublishBy);

    ASSERT_EQ(rules.successes, 1);
    auto sentRules = log_.sent("Query_ByRegulationsInfoPartNP");
    ASSERT_TRUE(sentRules);
    EXPECT_EQ(sentRules->query.at("Index"), "2");
    ASSERT_GT(rules.arg()->List.count(), 0u);
    EXPECT_EQ(rules.arg()->List[0]->ID->rfind("R", 0), 0u);
    EXPECT_TRUE(rules.arg()->List[0]->PublishBy);
    // Bulletin bodies are long HTML; the announcements operation never logs its answer.
    EXPECT_FALSE(log_.has("JSON: "));
}

TEST_F(NormalServiceTest, ListRowsAreMappedWhenFirstReadAndOutliveTheRequest) {
    Calls<std::shared_ptr<NormalList>> news;
    NormalService::getNewsServiceInfoWithPara({{"EmpID", "E10086"}, {"Index", "1"}}, 2, news.success(),
                                              news.fail());
    ASSERT_TRUE(news.wait());
    ASSERT_EQ(news.successes, 1);
    const auto& list = news.arg()->List;
    ASSERT_EQ(list.count(), 10u);
    for (std::size_t i = 0; i < list.count(); ++i) EXPECT_FALSE(list.isConvertedAtIndex(i)) << i;
    // The request and its operation are gone; the rows still read from the kept answer.
    ASSERT_TRUE(RunLoop::main().runUntilIdle());
    auto last = list[9];
    ASSERT_TRUE(last);
    EXPECT_TRUE(last->ID);
    EXPECT_TRUE(list.isConvertedAtIndex(9));
    EXPECT_FALSE(list.isConvertedAtIndex(8));
    EXPECT_EQ(list[0]->ID, "N1000");
}

TEST_F(NormalServiceTest, PlanOfTheDayCarriesItsTotalsAndTrips) {
    ModelCalls plan;
    NormalService::getPlansServiceInfoWithPara({{"EmpID", "E10086"}, {"RunDate", "2026-12-07"}}, 0,
                                               plan.success(), plan.fail());
    ASSERT_TRUE(plan.wait());
    ASSERT_EQ(plan.successes, 1);
    EXPECT_EQ(plan.failures, 0);
    auto sent = log_.sent("Query_DisplanInfo");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/OfficeServiceQ/Query_DisplanInfo/");
    EXPECT_EQ(sent->query.at("RunDate"), "2026-12-07");

    auto record = std::dynamic_pointer_cast<DisplanDetailInfoArray>(plan.arg());
    ASSERT_TRUE(record);
    // Totals arrive as text or as numbers; both read as text.
    EXPECT_EQ(record->MileFinishSum, "65.85");
    EXPECT_EQ(record->MilePlanSum, "105.37");
    EXPECT_EQ(record->SeqFinishSum, "5");
    EXPECT_EQ(record->SeqPlanSum, "8");
    ASSERT_EQ(record->DisplanDetailInfos.count(), 8u);
    auto first = record->DisplanDetailInfos[0];
    ASSERT_TRUE(first);
    EXPECT_EQ(first->EndStaion, "泉城广场");
    EXPECT_EQ(first->ISSent, "1");
    EXPECT_EQ(first->IsFinised, "1");
    EXPECT_EQ(first->Mile, "12.89");
    EXPECT_TRUE(log_.has("JSON: {"));
}

TEST_F(NormalServiceTest, TripsNotYetDispatchedAreReadFromTheListMember) {
    ModelCalls trips;
    NormalService::getPlansServiceInfoWithPara({{"EmpID", "E10086"}, {"RunDate", "2026-12-08"}}, 1,
                                               trips.success(), trips.fail());
    ASSERT_TRUE(trips.wait());
    ASSERT_EQ(trips.successes, 1);
    ASSERT_TRUE(log_.sent("Query_NosendDisplanInfo"));
    auto list = std::dynamic_pointer_cast<NosendDisplanList>(trips.arg());
    ASSERT_TRUE(list);
    ASSERT_GT(list->List.count(), 0u);
    EXPECT_EQ(list->List[0]->Busname, "12004");
    EXPECT_EQ(list->List[0]->LeaveTime, "05:34");
    EXPECT_EQ(list->List[0]->LeaveStation, "燕山立交桥");
    EXPECT_EQ(list->List[0]->ArriveStation, "泉城广场");
}

TEST_F(NormalServiceTest, PlanAnsweredWithAnArrayGivesNothingForEitherTag) {
    sim().faults().set("Query_DisplanInfo", fault(sim::Fault::Body::WrongKind));
    sim().faults().set("Query_NosendDisplanInfo", fault(sim::Fault::Body::WrongKind));
    for (int tag : {0, 5}) {
        ModelCalls plan;
        NormalService::getPlansServiceInfoWithPara({{"EmpID", "E10086"}, {"RunDate", "2026-12-07"}}, tag,
                                                   plan.success(), plan.fail());
        ASSERT_TRUE(plan.wait());
        EXPECT_EQ(plan.successes, 1) << tag;
        EXPECT_EQ(plan.failures, 0) << tag;
        EXPECT_EQ(plan.arg(), nullptr) << tag;
    }
}

TEST_F(NormalServiceTest, DutyScheduleMapsEveryCrew) {
    Calls<std::shared_ptr<ArrangeInfoList>> roster;
    NormalService::getArrangeWithPara({{"EmpID", "E10086"}, {"RunDate", "2026-12-07"}}, roster.success(),
                                      roster.fail());
    ASSERT_TRUE(roster.wait());
    ASSERT_EQ(roster.successes, 1);
    EXPECT_EQ(log_.sent("Query_Arrange")->path, "/OfficeServiceQ/Query_Arrange/");
    const auto& rows = roster.arg()->ArrangeList;
    ASSERT_GT(rows.count(), 1u);
    EXPECT_EQ(rows[0]->Empid, "E10086");
    EXPECT_EQ(rows[0]->Empname, "张建国");
    EXPECT_EQ(rows[0]->Shiftnum, "早班");
    EXPECT_EQ(rows[0]->SeqSum, "8");
}

TEST_F(NormalServiceTest, CompletedTripsCarryTheirTotals) {
    ModelCalls trips;
    NormalService::getSearchWithPara({{"EmpID", "E10086"}, {"RunDate", "2026-12-06"}}, "完成车次",
                                     trips.success(), trips.fail());
    ASSERT_TRUE(trips.wait());
    ASSERT_EQ(trips.successes, 1);
    EXPECT_EQ(log_.sent("Query_FinishDisplan")->query.at("RunDate"), "2026-12-06");
    auto record = std::dynamic_pointer_cast<FinishDisplanInfoArray>(trips.arg());
    ASSERT_TRUE(record);
    EXPECT_DOUBLE_EQ(record->MileSum, 103.87);
    EXPECT_DOUBLE_EQ(record->SeqSum, 8.0);
    ASSERT_EQ(record->FinishDisplanList.count(), 8u);
    auto first = record->FinishDisplanList[0];
    EXPECT_EQ(first->LeaveTime, "2026-12-06 05:30:00");
    EXPECT_EQ(first->SeqNum, "1");  // a JSON number, read as its text
    EXPECT_EQ(first->Rectype, "营运");
}

struct SearchCase {
    const char* tag;
    const char* method;
    object params;
    std::function<void(const NormalInfo&)> check;
};

TEST_F(NormalServiceTest, EachSearchTagReachesItsMethodWithItsParameters) {
    const std::vector<SearchCase> cases = {
        {"车辆违规",
         "Query_AlertSUM",
         {{"EmpID", "E10086"}, {"Buselfid", ""}, {"StartTime", "2026-11-01"}, {"EndTime", "2026-12-06"}},
         [](const NormalInfo& r) {
             EXPECT_EQ(r.AlertType, "急刹车");
             EXPECT_EQ(r.Busname, "12001");
             EXPECT_EQ(r.Num, 1);
             EXPECT_EQ(r.Rundate, "2026-11-01");
         }},
        {"违规详情",
         "Query_AlertDetail",
         {{"EmpID", "E10086"},
          {"Buselfid", "12001"},
          {"Alerttype", "急刹车"},
          {"StartTime", "2026-11-01"},
          {"EndTime", "2026-11-01"}},
         [](const NormalInfo& r) {
             EXPECT_EQ(r.AlertValue, "3.97m/s²");
             EXPECT_EQ(r.StandValue, "3.0m/s²");
             EXPECT_EQ(r.Memo, "已提醒驾驶员");
         }},
        {"车辆保养",
         "Query_TembusdefassInfo",
         {{"EmpID", "E10086"}, {"Buselfid", "12004"}, {"StartTime", "2026-11-01"}, {"EndTime", "2026-12-31"}},
         [](const NormalInfo& r) {
             EXPECT_EQ(r.DefLevel, "一级保养");
             EXPECT_DOUBLE_EQ(r.DefMiles, 502666);
             EXPECT_DOUBLE_EQ(r.DefplanMiles, 505000);  // "505000.00" as text
             EXPECT_EQ(r.RouteID, "5路");
         }},
        {"维修查询",
         "Query_WorkorderInfo",
         {{"EmpID", "E10086"}, {"Buselfid", ""}, {"StartTime", "2026-11-01"}, {"EndTime", "2026-12-06"}},
         [](const NormalInfo& r) {
             EXPECT_EQ(r.Status, "已完工");
             EXPECT_EQ(r.Checkview, "空调不制冷");
             EXPECT_EQ(r.mendtype, "电修");
         }},
        {"考勤",
         "Query_FdisempdutyInfo",
         {{"EmpID", "E10086"}, {"StartTime", "2026-12-01"}, {"EndTime", "2026-12-06"}},
         [](const NormalInfo& r) {
             EXPECT_EQ(r.Empname, "张建国");
             EXPECT_EQ(r.Execdate, "2026-12-01");
             EXPECT_EQ(r.RealOnworktime, "05:02");
             // An attendance row fills nothing of the other families.
             EXPECT_FALSE(r.Title);
             EXPECT_FALSE(r.AlertType);
             EXPECT_EQ(r.Num, 0);
             EXPECT_DOUBLE_EQ(r.Totalsum, 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        ModelCalls calls;
        NormalService::getSearchWithPara(c.params, c.tag, calls.success(), calls.fail());
        ASSERT_TRUE(calls.wait());
        ASSERT_EQ(calls.successes, 1);
        EXPECT_EQ(calls.failures, 0);
        auto sent = log_.sent(c.method);
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->path, std::string("/OfficeServiceQ/") + c.method + "/");
        std::map<std::string, std::string> expected;
        for (auto& kv : c.params) expected[kv.key()] = std::string(kv.value().as_string());
        EXPECT_EQ(sent->query, expected);
        auto list = std::dynamic_pointer_cast<NormalList>(calls.arg());
        ASSERT_TRUE(list);
        ASSERT_GT(list->List.count(), 0u);
        c.check(*list->List[0]);
    }
}

TEST_F(NormalServiceTest, NumberedSearchesYieldTheirListKinds) {
    const object vehicleMonth = {
        {"EmpID", "E10086"}, {"Buselfid", "12004"}, {"StartTime", "2026-11"}, {"EndTime", "2026-11"}};
    const object everyVehicleMonth = {
        {"EmpID", "E10086"}, {"Buselfid", ""}, {"StartTime", "2026-11"}, {"EndTime", "2026-11"}};
    const object vehicleDay = {
        {"EmpID", "E10086"}, {"Buselfid", "12004"}, {"StartTime", "2026-12-06"}, {"EndTime", "2026-12-06"}};
    const object scopeDay = {{"EmpID", "10086"}, {"all", "0"}, {"StartTime", "2026-12-06"}};
    const object scopeMonth = {{"EmpID", "E10086"}, {"all", "0"}, {"StartTime", "2026-11"}};
    const object driverMonth = {{"EmpID", "E10086"}, {"StartTime", "2026-11"}};

    struct NumCase {
        int tag;
        const char* method;
        object params;
        std::function<void(const std::shared_ptr<WireModel>&)> check;
    };
    auto normal = [](std::function<void(const NormalInfo&)> f) {
        return firstRowOf(&NormalList::List, std::move(f));
    };
    auto revenue = [](std::function<void(const DssticketcostSum&)> f) {
        return firstRowOf(&DssticketcostSumList::DssfuelcostList, std::move(f));
    };
    auto mileage = [](std::function<void(const MileDriverInfo&)> f) {
        return firstRowOf(&MileDriverList::List, std::move(f));
    };
    const std::vector<NumCase> cases = {
        {0, "Query_StockbillSUM", everyVehicleMonth, normal([](const NormalInfo& r) {
             EXPECT_EQ(r.Busname, "12001");
             EXPECT_DOUBLE_EQ(r.Totalsum, 6104);
         })},
        {1, "Query_StockbillInfo", everyVehicleMonth, normal([](const NormalInfo& r) {
             EXPECT_EQ(r.Materialname, "轮胎");
             EXPECT_DOUBLE_EQ(r.Totalsum, 1250);  // "1250.00" as text
             EXPECT_DOUBLE_EQ(r.Count, 1);
         })},
        {2, "Query_DssfuelcostSUM", vehicleDay, normal([](const NormalInfo& r) {
             EXPECT_EQ(r.Fuelname, "电(kWh)");
             EXPECT_DOUBLE_EQ(r.Fuelnum, 227.38);
         })},
        {3, "Query_DssfuelcostInfo", vehicleMonth, normal([](const NormalInfo& r) {
             EXPECT_EQ(r.Runningdate, "2026-11-01");
             EXPECT_EQ(r.Routename, "5路");
             EXPECT_DOUBLE_EQ(r.Fuelnum, 237.57);
         })},
        {4, "Query_DssticketreceiptInfoOneday", scopeDay, revenue([](const DssticketcostSum& r) {
             EXPECT_EQ(r.driverID, "E10086");
             EXPECT_DOUBLE_EQ(r.GeneralIncome, 240);
             EXPECT_EQ(r.ICTicketNum, 347);
             EXPECT_EQ(r.FreeICTicketNum, 62);
         })},
        {5, "Query_DssticketreceiptSUM", scopeMonth, revenue([](const DssticketcostSum& r) {
             // The summary names the driver under DriverID; it reads through driverID.
             EXPECT_EQ(r.driverID, "E10086");
             EXPECT_EQ(r.Drivername, "张建国");
             EXPECT_DOUBLE_EQ(r.IcTotalIncome, 5578.20);
             EXPECT_DOUBLE_EQ(r.TotalIncome, 4032);
         })},
        {6, "Query_DssticketreceiptInfo", driverMonth, revenue([](const DssticketcostSum& r) {
             EXPECT_EQ(r.ICorCash, "IC卡");
             EXPECT_DOUBLE_EQ(r.Income, 362.7);
             EXPECT_EQ(r.routeID, "5路");
         })},
        {7, "Query_BusdaymileInfoOnedayByDriver", scopeDay, mileage([](const MileDriverInfo& r) {
             EXPECT_EQ(r.drivername, "张建国");
             EXPECT_DOUBLE_EQ(r.Milenum, 103.87);
             EXPECT_DOUBLE_EQ(r.unRunMilenum, 0);  // no non-revenue trip that day
         })},
        {8, "Query_BusdaymileSUMByDriver", scopeMonth, mileage([](const MileDriverInfo& r) {
             EXPECT_EQ(r.driverID, "E10086");
             EXPECT_DOUBLE_EQ(r.Milenum, 2006.21);
         })},
        {9, "Query_BusdaymileInfoByDriver", driverMonth, mileage([](const MileDriverInfo& r) {
             EXPECT_EQ(r.Rundate, "2026-11-01");
             EXPECT_DOUBLE_EQ(r.unRunMilenum, 3.43);
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        ModelCalls calls;
        NormalService::getSearchNumWithPara(c.params, c.tag, calls.success(), calls.fail());
        ASSERT_TRUE(calls.wait());
        ASSERT_EQ(calls.successes, 1);
        EXPECT_EQ(calls.failures, 0);
        auto sent = log_.sent(c.method);
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->path, std::string("/OfficeServiceQ/") + c.method + "/");
        for (auto& kv : c.params) EXPECT_EQ(sent->query[kv.key()], kv.value().as_string()) << kv.key();
        EXPECT_EQ(sent->query.size(), c.params.size());
        c.check(calls.arg());
    }
}

TEST_F(NormalServiceTest, TagsWithoutAMethodFailOnceWithoutARequest) {
    const long before = sim().requestCount();
    ModelCalls search, num, plan;
    Calls<std::shared_ptr<NormalList>> news;
    NormalService::getSearchWithPara({}, "考勤 ", search.success(), search.fail());
    NormalService::getSearchNumWithPara({}, 10, num.success(), num.fail());
    NormalService::getSearchNumWithPara({}, -1, plan.success(), plan.fail());
    NormalService::getNewsServiceInfoWithPara({}, 1, news.success(), news.fail());
    // Never inside the caller's own call: the screen has finished showing its indicator first.
    EXPECT_EQ(search.total() + num.total() + plan.total() + news.total(), 0);
    ASSERT_TRUE(news.wait());
    for (auto* c : {&search, &num, &plan}) {
        EXPECT_EQ(c->failures, 1);
        EXPECT_EQ(c->successes, 0);
    }
    EXPECT_EQ(news.failures, 1);
    EXPECT_EQ(news.successes, 0);
    EXPECT_EQ(sim().requestCount(), before);
}

TEST_F(NormalServiceTest, CompanyLogoAddressHasNoClosingSlashAndIsCleaned) {
    Calls<std::string> logo;
    NormalService::getADImageWithPara(std::nullopt, logo.success(), logo.fail());
    ASSERT_TRUE(logo.wait());
    ASSERT_EQ(logo.successes, 1);
    EXPECT_EQ(log_.sent("Query_CompanyLogo")->path, "/OfficeServiceQ/Query_CompanyLogo");
    // No parameters: the address goes out bare, without a lone "?".
    EXPECT_EQ(log_.withPrefix("last url == ").back(),
              "last url == " + sim().baseURL() + "OfficeServiceQ/Query_CompanyLogo");
    EXPECT_EQ(logo.arg(), sim().baseURL() + "static/companylogo.png");
    EXPECT_TRUE(log_.has("JSON: <68747470"));  // "http" as bytes
    EXPECT_EQ(log_.withPrefix("1str==").size(), 1u);
    EXPECT_EQ(log_.withPrefix("2str==").front(), "2str==" + logo.arg());
}

TEST(LogoCleaning, RemovesExactlyTheDecorationCharacters) {
    EXPECT_EQ(AnswerDecoders::cleanLogoText("httpexamplecomlogopng123"), "httpexamplecomlogopng123");
    EXPECT_EQ(AnswerDecoders::cleanLogoText("[http://a.b/c.png]"), "http://a.b/c.png");
    EXPECT_EQ(AnswerDecoders::cleanLogoText("[]{}（）#%-*+=_\\|~()＜＞$^& "), "");
    // Punctuation outside the set stays: : / . ? , ; ' " ! @ and the quotes the caller strips.
    EXPECT_EQ(AnswerDecoders::cleanLogoText("\"http://h:1/a.png?x,y;z'!@\""),
              "\"http://h:1/a.png?x,y;z'!@\"");
    // Full-width characters other than the four, and Chinese text, survive whole.
    EXPECT_EQ(AnswerDecoders::cleanLogoText("（公司＝标志）"), "公司＝标志");
    EXPECT_EQ(AnswerDecoders::cleanLogoText("＜a＞b＿"), "ab＿");
    EXPECT_EQ(AnswerDecoders::cleanLogoText("a b\tc"), "ab\tc");
    EXPECT_EQ(AnswerDecoders::cleanLogoText(""), "");
    // A truncated multi-byte tail is kept as it is, not read past the end.
    EXPECT_EQ(AnswerDecoders::cleanLogoText("x\xEF\xBC"), "x\xEF\xBC");
}

}  // namespace
}  // namespace busdesk::test
