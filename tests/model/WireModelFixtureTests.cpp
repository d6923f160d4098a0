#include <gtest/gtest.h>

#include <boost/json/parse.hpp>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/WireModels.h"
#include "platform/Log.h"

namespace busdesk {
namespace {

namespace json = boost::json;

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(BUSDESK_TEST_DATA_DIR) + "/model/" + name + ".json", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The services map list answers row by row; one helper does the same for the tests.
template <class T>
std::vector<std::shared_ptr<T>> rows(const std::string& name) {
    Error e;
    auto list = T::arrayOfModelsFromData(fixture(name), &e);
    EXPECT_TRUE(list.has_value()) << name << ": " << e.description;
    return list.value_or(std::vector<std::shared_ptr<T>>{});
}

TEST(WireModelFixtures, TripPlanTakesItsTripsFromDisplanDetailList) {
    Error e;
    auto plan = DisplanDetailInfoArray::initWithString(fixture("Query_DisplanInfo"), &e);
    ASSERT_NE(plan, nullptr) << e.description;
    EXPECT_EQ(plan->MilePlanSum, "172.8");
    EXPECT_EQ(plan->SeqPlanSum, "8");
    ASSERT_EQ(plan->DisplanDetailInfos.count(), 2u);
    auto second = plan->DisplanDetailInfos.lastObject();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->ISSent, "0");
    EXPECT_EQ(second->Mile, "21.6");  // sent as a number
    EXPECT_EQ(second->SeqNum, "2");
    EXPECT_EQ(second->EndStaion, "东湖公交总站");
    EXPECT_EQ(plan->DisplanDetailInfos.firstObject()->IsFinised, "1");

    auto nosend = rows<NosendDisplanInfo>("Query_NosendDisplanInfo");
    ASSERT_EQ(nosend.size(), 2u);
    EXPECT_EQ(nosend[1]->LeaveStation, "火车站");
    NosendDisplanList list;
    list.List = WireModelArray<NosendDisplanInfo>(nosend);
    EXPECT_EQ(list.List.objectAtIndex(0)->ArriveStation, "火车站");
}

TEST(WireModelFixtures, CompletedTripsAndDutySchedule) {
    auto finished = FinishDisplanInfoArray::initWithString(fixture("Query_FinishDisplan"));
    ASSERT_NE(finished, nullptr);
    EXPECT_DOUBLE_EQ(finished->MileSum, 43.2);
    EXPECT_DOUBLE_EQ(finished->SeqSum, 2.0);  // numeric text
    ASSERT_EQ(finished->FinishDisplanList.count(), 2u);
    EXPECT_EQ(finished->FinishDisplanList[1]->Rectype, "营运");
    EXPECT_EQ(FinishDisplanInfoArray::initWithString("{}")->MileSum, 0.0);

    auto duties = rows<ArrangeInfo>("Query_Arrange");
    ASSERT_EQ(duties.size(), 2u);
    EXPECT_EQ(duties[0]->Empname, "张伟");
    EXPECT_EQ(duties[1]->SeqSum, "7");
}

// 1e400 is a number JSON can write and a double cannot hold: the field is refused (shown empty,
// never as "inf"), the rest of the row stays, and the console names the field.
TEST(WireModelFixtures, ANumberThatIsNotFiniteIsRefusedFieldByField) {
    std::vector<std::string> lines;
    auto old = Log::setSink([&](const std::string& l) { lines.push_back(l); });
    auto finished = FinishDisplanInfoArray::initWithString(
        R"({"MileSum":-1e400,"SeqSum":2,"FinishDisplanList":[{"RouteName":"12路","Mile":1e400,"SeqNum":1}]})");
    ASSERT_NE(finished, nullptr);
    ASSERT_EQ(finished->FinishDisplanList.count(), 1u);
    auto trip = finished->FinishDisplanList[0];
    Log::setSink(old);
    EXPECT_EQ(trip->RouteName, "12路");
    EXPECT_EQ(trip->SeqNum, "1");
    EXPECT_FALSE(trip->Mile.has_value());
    EXPECT_EQ(finished->MileSum, 0.0);
    EXPECT_EQ(finished->SeqSum, 2.0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              "FinishDisplanInfoArray property 'MileSum' refused: the number -Infinity is not finite");
    EXPECT_EQ(lines[1], "FinishDisplanInfo property 'Mile' refused: the number Infinity is not finite");
}

TEST(WireModelFixtures, EveryNormalInfoQueryFillsItsOwnFields) {
    auto news = rows<NormalInfo>("Query_ByNewInfoPartNP");
    ASSERT_EQ(news.size(), 2u);
    EXPECT_EQ(news[0]->ContentHtml, "<p>五一期间<b>12路</b>临时改道。</p>");
    EXPECT_EQ(news[1]->ID, "3022");
    EXPECT_FALSE(news[1]->PublishBy.has_value());  // null
    EXPECT_EQ(news[1]->Publishby, "安全科");
    EXPECT_EQ(rows<NormalInfo>("Query_ByRegulationsInfoPartNP").at(0)->Title, "驾驶员行车规范");

    auto alerts = rows<NormalInfo>("Query_AlertSUM");
    EXPECT_EQ(alerts.at(0)->Num, 3);
    EXPECT_EQ(alerts.at(1)->Num, 1);
    auto detail = rows<NormalInfo>("Query_AlertDetail");
    EXPECT_EQ(detail.at(1)->AlertValue, "62");
    EXPECT_EQ(detail.at(1)->Memo, "");

    auto maint = rows<NormalInfo>("Query_TembusdefassInfo").at(0);
    EXPECT_DOUBLE_EQ(maint->DefMiles, 15000.5);
    EXPECT_DOUBLE_EQ(maint->DefplanMiles, 15000);
    EXPECT_DOUBLE_EQ(maint->DefPreMiles, 500);
    EXPECT_EQ(maint->recordStatus, "未归档");

    auto repair = rows<NormalInfo>("Query_WorkorderInfo").at(0);
    EXPECT_EQ(repair->Factcost, "320.00");
    EXPECT_EQ(repair->mendtype, "车身");

    auto duty = rows<NormalInfo>("Query_FdisempdutyInfo");
    ASSERT_EQ(duty.size(), 2u);
    EXPECT_EQ(duty[0]->RealOnworktime, "05:52");
    EXPECT_FALSE(duty[1]->RealOffworktime.has_value());
    // An attendance row leaves every other family's fields empty or zero.
    EXPECT_FALSE(duty[0]->Title.has_value());
    EXPECT_FALSE(duty[0]->Busname.has_value());
    EXPECT_EQ(duty[0]->Num, 0);
    EXPECT_EQ(duty[0]->Totalsum, 0.0);
    EXPECT_EQ(duty[0]->Fuelnum, 0.0);

    auto stockSum = rows<NormalInfo>("Query_StockbillSUM");
    EXPECT_DOUBLE_EQ(stockSum.at(0)->Totalsum, 1288.5);
    EXPECT_DOUBLE_EQ(stockSum.at(1)->Totalsum, 96);
    auto stock = rows<NormalInfo>("Query_StockbillInfo").at(0);
    EXPECT_DOUBLE_EQ(stock->Count, 2);
    EXPECT_DOUBLE_EQ(stock->Price, 120);
    EXPECT_EQ(stock->Suppliername, "华南配件");

    EXPECT_DOUBLE_EQ(rows<NormalInfo>("Query_DssfuelcostSUM").at(0)->Fuelnum, 186.4);
    auto fuel = rows<NormalInfo>("Query_DssfuelcostInfo");
    EXPECT_EQ(fuel.at(1)->Routename, "12路");
    EXPECT_DOUBLE_EQ(fuel.at(1)->Fuelnum, 94.3);
}

TEST(WireModelFixtures, RevenueAndMileageRows) {
    auto oneday = rows<DssticketcostSum>("Query_DssticketreceiptInfoOneday").at(0);
    EXPECT_EQ(oneday->driverID, "10086");
    EXPECT_DOUBLE_EQ(oneday->GeneralIncome, 356.0);
    EXPECT_EQ(oneday->ICTicketNum, 406);
    EXPECT_EQ(oneday->FreeICTicketNum, 35);
    auto sum = rows<DssticketcostSum>("Query_DssticketreceiptSUM");
    ASSERT_EQ(sum.size(), 2u);
    EXPECT_EQ(sum[0]->driverID, "10086");  // arrived as DriverID
    EXPECT_FALSE(sum[0]->DriverID.has_value());
    EXPECT_EQ(sum[1]->driverID, "10087");  // a number, as text
    EXPECT_DOUBLE_EQ(sum[1]->IcTotalIncome, 19876);
    auto detail = rows<DssticketcostSum>("Query_DssticketreceiptInfo");
    EXPECT_EQ(detail.at(1)->ICorCash, "现金");
    EXPECT_DOUBLE_EQ(detail.at(1)->Income, 356);

    for (const char* q : {"Query_BusdaymileInfoOnedayByDriver", "Query_BusdaymileSUMByDriver",
                          "Query_BusdaymileInfoByDriver"}) {
        auto mile = rows<MileDriverInfo>(q);
        ASSERT_FALSE(mile.empty()) << q;
        EXPECT_EQ(mile[0]->driverID, "10086") << q;
        EXPECT_GT(mile[0]->Milenum, 100) << q;
    }
    EXPECT_DOUBLE_EQ(rows<MileDriverInfo>("Query_BusdaymileInfoByDriver").at(0)->unRunMilenum, 2.5);
}

TEST(WireModelFixtures, LoginAndPasswordAnswers) {
    auto login = LoginResult::initWithString(fixture("User_Login"));
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->EmpID, "10086");
    EXPECT_EQ(login->IsSuccess, "1");
    EXPECT_EQ(login->oneCardID, "8801234567");
    EXPECT_EQ(login->telephone, "13800138000");
    auto refused = LoginResult::initWithString(fixture("User_Login_refused"));
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->IsSuccess, "0");
    EXPECT_EQ(refused->FailReason, "密码错误");
    EXPECT_FALSE(refused->EmpID.has_value());
    // A JSON true arrives as "1", a number as its text.
    auto numeric = LoginResult::initWithString(R"({"IsSuccess":true,"EmpID":10086})");
    EXPECT_EQ(numeric->IsSuccess, "1");
    EXPECT_EQ(numeric->EmpID, "10086");

    auto change = ResultInfo::initWithString(fixture("User_ChangePassword"));
    ASSERT_NE(change, nullptr);
    EXPECT_FALSE(change->IsSuccess);
    EXPECT_EQ(change->FailReason, "原密码不正确");
    auto empty = ResultInfo::initWithString("{}");
    EXPECT_FALSE(empty->IsSuccess);
    EXPECT_FALSE(empty->FailReason.has_value());
    EXPECT_TRUE(ResultInfo::initWithString(R"({"IsSuccess":"true"})")->IsSuccess);
    EXPECT_TRUE(ResultInfo::initWithString(R"({"IsSuccess":1})")->IsSuccess);
    EXPECT_FALSE(ResultInfo::initWithString(R"({"IsSuccess":"no"})")->IsSuccess);
}

TEST(WireModelFixtures, PersonnelAnswers) {
    auto salary = rows<SalaryItem>("Query_Salary");
    ASSERT_EQ(salary.size(), 3u);
    EXPECT_EQ(salary[1]->ItemNum, "1850.5");
    EXPECT_EQ(salary[2]->ItemName, "实发金额");
    EmployeMonthSalary month;
    month.salaryItems = WireModelArray<SalaryItem>(salary);
    EXPECT_EQ(month.salaryItems.count(), 3u);

    for (const char* q : {"Query_RechargeInfo", "Query_ConsumeInfo", "Query_MealsubsidsInfo"}) {
        auto records = rows<SubsidyRecharge>(q);
        ASSERT_EQ(records.size(), 2u) << q;
        EXPECT_EQ(records[1]->Money, "12") << q;
        EXPECT_EQ(records[1]->RemainMoney, "250.5") << q;
        EXPECT_EQ(records[0]->CanteenName, "东湖食堂") << q;
    }
    auto rides = rows<RidingRecordInfo>("Query_RidingRecode");
    EXPECT_EQ(rides.at(1)->RemainMoney, "50.6");
    auto suggestions = rows<SuggestInfo>("Query_FeedBackInfoNP");
    ASSERT_EQ(suggestions.size(), 2u);
    ASSERT_EQ(suggestions[0]->Imagenames.size(), 2u);
    EXPECT_EQ(suggestions[0]->Imagenames[1], json::value("http://127.0.0.1:8088/upload/551_2.jpg"));
    EXPECT_EQ(suggestions[1]->ID, "552");
    EXPECT_FALSE(suggestions[1]->AnsContent.has_value());
    EXPECT_TRUE(suggestions[1]->Imagenames.empty());
}

TEST(WireModelFixtures, AnAnswerWithOneNonObjectRowYieldsNoList) {
    EXPECT_FALSE(SubsidyRecharge::arrayOfModelsFromData(R"([{"Money":"1"}, 5])").has_value());
    EXPECT_FALSE(SuggestInfo::arrayOfModelsFromData(R"([{"ID":"1"}, "x"])").has_value());
    auto ok = SuggestInfo::arrayOfModelsFromData("[]");
    ASSERT_TRUE(ok.has_value());
    EXPECT_TRUE(ok->empty());
}

}  // namespace
}  // namespace busdesk
