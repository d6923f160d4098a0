#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <boost/json.hpp>
#include <chrono>
#include <filesystem>
#include <thread>

#include "SimTestSupport.h"
#include "server/OfficeSimulator.h"

using namespace busdesk::sim;
using busdesk::sim::test::pct;
namespace json = boost::json;

namespace {

const std::string kDay = "2026-12-07";

class SimTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(sim.start()) << sim.lastError(); }
    httplib::Client client() {
        httplib::Client c("127.0.0.1", sim.port());
        c.set_read_timeout(30, 0);  // a bound against a hang; sanitizer builds on a busy machine are slow
        return c;
    }
    json::value get(const std::string& path, int* status = nullptr, std::string* type = nullptr) {
        auto c = client();
        auto r = c.Get(("/OfficeServiceQ/" + path).c_str());
        if (!r) return nullptr;
        if (status) *status = r->status;
        if (type) *type = r->get_header_value("Content-Type");
        std::error_code ec;
        auto v = json::parse(r->body, ec);
        return ec ? json::value(r->body) : v;
    }
    static void expectKeys(const json::value& row, std::initializer_list<const char*> keys) {
        ASSERT_TRUE(row.is_object()) << json::serialize(row);
        for (auto* k : keys)
            EXPECT_TRUE(row.as_object().contains(k)) << "missing " << k << " in " << json::serialize(row);
    }
    OfficeSimulator sim{test::at(kDay, "10:00:00")};  // mid-morning
};

}  // namespace

TEST_F(SimTest, LoginAcceptsDemoAccountsAndRefusesWrongPasswords) {
    auto ok = get("User_Login/?CardID=10086&Password=123456");
    expectKeys(ok, {"EmpID", "EmpRole", "EmpRoleName", "FailReason", "IDcard", "IsSuccess", "Name", "OrgID",
                    "OrgName", "OrgType", "address", "birthday", "graduate", "oneCardID", "politic",
                    "serviceAge", "sex", "startTime", "telephone"});
    EXPECT_EQ(ok.at("IsSuccess"), "1");
    std::string idcard(ok.at("IDcard").as_string());
    EXPECT_EQ(idcard.size(), 18u);
    EXPECT_EQ(idcard.substr(12), "123456");

    auto other = get("User_Login/?CardID=10010&Password=654321");
    EXPECT_EQ(other.at("IsSuccess"), "1");
    EXPECT_NE(std::string(other.at("IDcard").as_string()).substr(12), "654321");

    auto refused = get("User_Login/?CardID=10086&Password=654321");
    EXPECT_EQ(refused.at("IsSuccess"), 0);
    EXPECT_FALSE(refused.at("FailReason").as_string().empty());
    EXPECT_EQ(get("User_Login/?CardID=E10086&Password=123456").at("IsSuccess"), 0);
    EXPECT_EQ(get("User_Login/").at("IsSuccess"), 0);
}

TEST_F(SimTest, PasswordChangeIsStoredAndWrongOldPasswordRefused) {
    auto wrong = get("User_ChangePassword/?CardID=10010&OldPassword=nope&NewPassword=abc");
    EXPECT_EQ(wrong.at("IsSuccess"), false);
    EXPECT_FALSE(wrong.at("FailReason").as_string().empty());
    EXPECT_EQ(get("User_ChangePassword/?CardID=10010&OldPassword=654321&NewPassword=abc").at("IsSuccess"),
              true);
    EXPECT_EQ(get("User_Login/?CardID=10010&Password=abc").at("IsSuccess"), "1");
    EXPECT_EQ(get("User_Login/?CardID=10010&Password=654321").at("IsSuccess"), 0);
    EXPECT_EQ(get("User_ChangePassword/?OldPassword=abc&NewPassword=x").at("IsSuccess"), false);
}

TEST_F(SimTest, BulletinsPageByTenWithTheirOwnPublisherSpelling) {
    int total = 0;
    for (int page = 1; page <= 4; ++page) {
        auto a = get("Query_ByNewInfoPartNP/?EmpID=E10086&Index=" + std::to_string(page));
        ASSERT_TRUE(a.is_array());
        EXPECT_LE(a.as_array().size(), 10u);
        for (auto& row : a.as_array()) {
            expectKeys(row, {"ID", "Title", "RealeaseDate", "ContentHtml", "Publishby"});
            EXPECT_FALSE(row.as_object().contains("PublishBy"));
        }
        total += static_cast<int>(a.as_array().size());
    }
    EXPECT_GE(total, 23);
    auto regs = get("Query_ByRegulationsInfoPartNP/?EmpID=E10086&Index=1");
    ASSERT_EQ(regs.as_array().size(), 10u);
    expectKeys(regs.as_array()[0], {"PublishBy"});
    EXPECT_EQ(get("Query_ByRegulationsInfoPartNP/?EmpID=E10086&Index=2").as_array().size(), 4u);
    EXPECT_TRUE(get("Query_ByNewInfoPartNP/?EmpID=E10086&Index=abc").as_array().empty());
}

TEST_F(SimTest, LogoIsTheAddressOfAServedPictureWithoutStrippedCharacters) {
    auto c = client();
    auto logo = c.Get("/OfficeServiceQ/Query_CompanyLogo");
    ASSERT_TRUE(logo);
    std::string url = logo->body;
    EXPECT_EQ(url.rfind("http://127.0.0.1:" + std::to_string(sim.port()) + "/", 0), 0u) << url;
    EXPECT_EQ(url.find_first_of("-_ \"\n"), std::string::npos) << url;
    auto path = url.substr(url.find("/static/"));
    auto r = c.Get(path.c_str());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->body.substr(1, 3), "PNG");
    int status = 0;
    get("Query_CompanyLogo/", &status);
    EXPECT_EQ(status, 404);
    auto culture = c.Get("/LXVoffice/index.html");
    ASSERT_TRUE(culture);
    EXPECT_NE(culture->body.find("<img"), std::string::npos);
}

TEST_F(SimTest, EveryOperationsQueryAnswersItsShape) {
    std::string b = "Buselfid=&StartTime=" + kDay + "&EndTime=" + kDay;
    auto plan = get("Query_DisplanInfo/?EmpID=E10086&RunDate=" + kDay);
    expectKeys(plan, {"DisplanDetailList", "MileFinishSum", "MilePlanSum", "NonSeqMileFinishSum",
                      "SeqFinishSum", "SeqPlanSum"});
    ASSERT_FALSE(plan.at("DisplanDetailList").as_array().empty());
    expectKeys(plan.at("DisplanDetailList").as_array()[0],
               {"ArriveTime", "Busname", "DisplanID", "EndStaion", "ISSent", "IsFinised", "LeaveTime", "Mile",
                "Recstate", "RouteName", "SeqNum", "ShiftNum", "StartStation"});
    EXPECT_EQ(plan, get("Query_DisplanInfo/?EmpID=E10086&RunDate=" + kDay));  // deterministic
    auto nosend = get("Query_NosendDisplanInfo/?EmpID=E10086&RunDate=2026-12-08");
    ASSERT_FALSE(nosend.at("List").as_array().empty());
    expectKeys(nosend.at("List").as_array()[0], {"Busname", "LeaveTime", "LeaveStation", "ArriveStation"});
    auto arrange = get("Query_Arrange/?EmpID=E10086&RunDate=2026-12-08");
    ASSERT_FALSE(arrange.as_array().empty());
    expectKeys(arrange.as_array()[0], {"Busname", "Empid", "Empname", "Firstleavetime", "OnWorktime",
                                       "OffWorktime", "Shiftnum", "Routename", "SeqSum"});
    auto finish = get("Query_FinishDisplan/?EmpID=E10086&RunDate=" + kDay);
    expectKeys(finish, {"FinishDisplanList", "MileSum", "SeqSum"});
    expectKeys(finish.at("FinishDisplanList").as_array()[0],
               {"RouteName", "LeaveTime", "ArriveTime", "ShiftNum", "Busname", "Mile", "SeqNum",
                "StartStation", "EndStaion", "Rectype"});
    auto alerts = get("Query_AlertSUM/?EmpID=E10086&" + b);
    ASSERT_FALSE(alerts.as_array().empty());
    auto& first = alerts.as_array()[0].as_object();
    expectKeys(first, {"AlertType", "Busname", "Num", "Rundate"});
    auto detail =
        get("Query_AlertDetail/?EmpID=E10086&Buselfid=" + std::string(first.at("Busname").as_string()) +
            "&Alerttype=" + pct(std::string(first.at("AlertType").as_string())) + "&StartTime=" + kDay +
            "&EndTime=" + kDay);
    ASSERT_FALSE(detail.as_array().empty());
    expectKeys(detail.as_array()[0], {"AlertValue", "StandValue", "AlertTime", "Memo"});
    auto month = "Buselfid=&StartTime=2026-11-01&EndTime=2026-11-30";
    auto maint = get(std::string("Query_TembusdefassInfo/?EmpID=E10086&") + month);
    ASSERT_FALSE(maint.as_array().empty());
    expectKeys(maint.as_array()[0], {"Busname", "DefLevel", "Defplandate", "DefCompany", "DefMiles",
                                     "DefplanMiles", "DefPreMiles", "recordStatus", "RouteID"});
    auto wo = get(std::string("Query_WorkorderInfo/?EmpID=E10086&") + month);
    ASSERT_FALSE(wo.as_array().empty());
    expectKeys(wo.as_array()[0], {"Status", "Createtype", "Orgname", "Reportdate", "Comeindate", "Finishdate",
                                  "Factcost", "Checkview", "Notes", "level", "caretype", "mendtype"});
    auto duty = get("Query_FdisempdutyInfo/?EmpID=E10086&StartTime=2026-12-01&EndTime=" + kDay);
    ASSERT_FALSE(duty.as_array().empty());
    expectKeys(duty.as_array()[0], {"Empname", "Execdate", "PlanOnworktime", "PlanOffworktime",
                                    "RealOnworktime", "RealOffworktime"});
    auto stock = get("Query_StockbillInfo/?EmpID=E10086&Buselfid=&StartTime=2026-11&EndTime=2026-11");
    ASSERT_FALSE(stock.as_array().empty());
    expectKeys(stock.as_array()[0], {"Orderno", "Billdate", "Totalsum", "Count", "Price", "Materialname",
                                     "Warehousename", "Suppliername", "Jobtype", "Empname"});
    expectKeys(
        get("Query_StockbillSUM/?EmpID=E10086&Buselfid=&StartTime=2026-11&EndTime=2026-11").as_array()[0],
        {"Busname", "Totalsum"});
    // Vehicles refuel after the late shift: in the morning only yesterday has a fuel record.
    std::string fuelDay = "Buselfid=12001&StartTime=2026-12-06&EndTime=2026-12-06";
    auto fuelSum = get("Query_DssfuelcostSUM/?EmpID=E10086&" + fuelDay).as_array();
    ASSERT_EQ(fuelSum.size(), 1u);
    expectKeys(fuelSum[0], {"Busname", "Runningdate", "Fuelname", "Fuelnum"});
    auto fuelRows = get("Query_DssfuelcostInfo/?EmpID=E10086&" + fuelDay).as_array();
    ASSERT_EQ(fuelRows.size(), 1u);
    expectKeys(fuelRows[0], {"Runningdate", "Fuelnum", "Routename", "Fuelname"});
    EXPECT_TRUE(
        get("Query_DssfuelcostInfo/?EmpID=E10086&Buselfid=12001&StartTime=" + kDay + "&EndTime=" + kDay)
            .as_array()
            .empty());
}

TEST_F(SimTest, RevenueAndMileageCarryTheDriverKeysTheClientReads) {
    auto oneDay = get("Query_DssticketreceiptInfoOneday/?EmpID=10086&all=0&StartTime=" + kDay).as_array();
    ASSERT_EQ(oneDay.size(), 1u);
    expectKeys(oneDay[0], {"driverID", "Busname", "Rundate", "GeneralIncome", "GeneralTicketNum", "IClIncome",
                           "ICTicketNum", "attendant", "FreeICTicketNum", "routeid"});
    EXPECT_GT(get("Query_DssticketreceiptInfoOneday/?EmpID=10086&all=1&StartTime=" + kDay).as_array().size(),
              1u);
    auto sum = get("Query_DssticketreceiptSUM/?EmpID=E10086&all=1&StartTime=2026-11").as_array();
    ASSERT_GT(sum.size(), 1u);
    expectKeys(sum[0], {"DriverID", "Drivername", "OperateDate", "IcTotalIncome", "TotalIncome"});
    EXPECT_FALSE(sum[0].as_object().contains("driverID"));
    std::string driver(sum[0].at("DriverID").as_string());
    expectKeys(get("Query_DssticketreceiptInfo/?EmpID=" + driver + "&StartTime=2026-11").as_array()[0],
               {"Income", "Memos", "ICorCash", "routeID"});
    auto mileSum = get("Query_BusdaymileSUMByDriver/?EmpID=E10086&all=1&StartTime=2026-11").as_array();
    expectKeys(mileSum[0], {"drivername", "Milenum", "driverID"});
    auto mileDet =
        get("Query_BusdaymileInfoByDriver/?EmpID=" + std::string(mileSum[0].at("driverID").as_string()) +
            "&StartTime=2026-11")
            .as_array();
    // A driver works most days of a month, not all: a day per month row for each day driven.
    EXPECT_GT(mileDet.size(), 15u);
    EXPECT_LT(mileDet.size(), 30u);
    expectKeys(mileDet[0], {"drivername", "Rundate", "routeid", "Milenum", "unRunMilenum", "driverID"});
    expectKeys(get("Query_BusdaymileInfoOnedayByDriver/?EmpID=E10086&all=0&StartTime=" + kDay).as_array()[0],
               {"Milenum"});
}

TEST_F(SimTest, PersonnelQueries) {
    auto salary = get("Query_Salary/?EmpID=E10086&Month=202611").as_array();
    bool net = false;
    for (auto& item : salary) {
        expectKeys(item, {"ItemName", "ItemNum"});
        net = net || item.at("ItemName") == "实发金额";
    }
    EXPECT_TRUE(net);
    EXPECT_TRUE(get("Query_Salary/?EmpID=E10086&Month=200601").as_array().empty());  // before joining
    EXPECT_TRUE(get("Query_Salary/?EmpID=E10086&Month=202612").as_array().empty());  // not yet paid
    EXPECT_FALSE(get("Query_Salary/?EmpID=E10086&Month=200708").as_array().empty());
    EXPECT_TRUE(get("Query_Salary/?EmpID=E10086&Month=202613").as_array().empty());
    EXPECT_TRUE(get("Query_Salary/?EmpID=E10086&Month=2026-11").as_array().empty());
    for (auto* m : {"Query_RechargeInfo", "Query_ConsumeInfo", "Query_MealsubsidsInfo"}) {
        auto rows = get(std::string(m) + "/?EmpID=E10086&starttime=2026-10-01&endtime=2026-11-30").as_array();
        ASSERT_FALSE(rows.empty()) << m;
        expectKeys(rows[0], {"ActTime", "CanteenName", "Loadtime", "Money", "RemainMoney"});
    }
    auto rides = get("Query_RidingRecode/?EmpID=880010086").as_array();
    ASSERT_FALSE(rides.empty());
    expectKeys(rides[0], {"ActTime", "Routename", "RemainMoney"});
    EXPECT_TRUE(get("Query_RidingRecode/?EmpID=E10086").as_array().empty());
}

TEST_F(SimTest, FeedbackRoundTripStoresTwoPhotos) {
    auto id =
        get("FeedBackInfoNP/"
            "?Empid=E10010&Content=%E5%90%8E%E9%97%A8%E5%BC%82%E5%93%8D&ParentID=0&pType=%E5%92%A8%E8%AF%A2");
    ASSERT_TRUE(id.is_string());
    std::string sid(id.as_string());
    ASSERT_NE(sid, "0");
    auto c = client();
    for (auto* name : {"A1.jpg", "A2.jpg"}) {
        httplib::MultipartFormDataItems items = {
            {name, std::string("\xFF\xD8 jpeg bytes of ") + name, "pic", "application/octet-stream"}};
        auto r = c.Post(("/OfficeServiceQ/UploadPictureFromID/" + sid).c_str(), items);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->body, "1");
    }
    auto bad = c.Post("/OfficeServiceQ/UploadPictureFromID/999999",
                      httplib::MultipartFormDataItems{{"x.jpg", "x", "pic", "application/octet-stream"}});
    EXPECT_EQ(bad->body, "0");
    // Newest first: the new one, then the answered one she had.
    auto list = get("Query_FeedBackInfoNP/?EmpID=E10010").as_array();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[1].at("AnsContent"), "");
    expectKeys(list[0], {"AnsContent", "AnsTime", "Empid", "ID", "Imagenames", "ParentID", "QueTime",
                         "Content", "Type"});
    EXPECT_EQ(list[0].at("Type"), "咨询");
    auto& images = list[0].at("Imagenames").as_array();
    ASSERT_EQ(images.size(), 2u);
    std::string url(images[1].as_string());
    auto photo = c.Get(url.substr(url.find("/uploads/")).c_str());
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->body, "\xFF\xD8 jpeg bytes of A2.jpg");
}

TEST_F(SimTest, FaultSwitchesAreVisibleOnTheWire) {
    auto c = client();
    auto setFault = [&](const std::string& faultJSON) {
        auto r = c.Post("/__sim/faults", faultJSON, "application/json");
        ASSERT_TRUE(r);
        ASSERT_EQ(r->status, 200) << r->body;
    };
    std::string path = "/OfficeServiceQ/Query_Arrange/?EmpID=E10086&RunDate=" + kDay;
    setFault(R"({"method":"Query_Arrange","status":500})");
    EXPECT_EQ(c.Get(path.c_str())->status, 500);
    setFault(R"({"method":"Query_Arrange","contentType":"text/plain"})");
    EXPECT_EQ(c.Get(path.c_str())->get_header_value("Content-Type"), "text/plain");
    setFault(R"({"method":"Query_Arrange","body":"space"})");
    EXPECT_EQ(c.Get(path.c_str())->body, " ");
    setFault(R"({"method":"Query_Arrange","body":"empty"})");
    EXPECT_EQ(c.Get(path.c_str())->body, "");
    setFault(R"({"method":"Query_Arrange","body":"wrongKind"})");
    EXPECT_EQ(c.Get(path.c_str())->body, "{}");
    setFault(R"({"method":"Query_Arrange","body":"malformed"})");
    std::error_code ec;
    auto ignored = json::parse(c.Get(path.c_str())->body, ec);
    EXPECT_TRUE(ec);
    setFault(R"({"method":"Query_Arrange","charset":"GBK"})");
    auto gbk = c.Get(path.c_str());
    EXPECT_EQ(gbk->get_header_value("Content-Type"), "application/json; charset=GBK");
    EXPECT_NE(gbk->body.find("\xD5\xC5"), std::string::npos);  // 张 in GBK
    setFault(R"({"method":"Query_Arrange","body":"closeMidBody"})");
    EXPECT_FALSE(c.Get(path.c_str()));
    setFault(R"({"method":"*","body":"noAnswer"})");
    httplib::Client impatient("127.0.0.1", sim.port());
    impatient.set_read_timeout(0, 200000);
    EXPECT_FALSE(impatient.Get("/OfficeServiceQ/Query_Salary/?EmpID=E10086&Month=202611"));
    auto del = c.Delete("/__sim/faults");
    ASSERT_TRUE(del);
    EXPECT_EQ(c.Get(path.c_str())->status, 200);
    EXPECT_EQ(c.Post("/__sim/faults", "{\"body\":\"sideways\"}", "application/json")->status, 400);
    Fault slow;
    slow.latencyMs = 150;
    sim.faults().set("Query_Salary", slow);
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(c.Get("/OfficeServiceQ/Query_Salary/?EmpID=E10086&Month=202611")->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(150));
    // Clearing one method leaves the others' faults in place.
    setFault(R"({"method":"Query_Arrange","status":503})");
    ASSERT_EQ(c.Delete("/__sim/faults?method=Query_Salary")->status, 200);
    EXPECT_FALSE(sim.faults().lookup("Query_Salary"));
    EXPECT_EQ(c.Get(path.c_str())->status, 503);
}

TEST_F(SimTest, AFaultForOneRunDateLeavesTheOtherDaysAlone) {
    auto c = client();
    auto arrange = [&](const std::string& day) {
        return c.Get(("/OfficeServiceQ/Query_Arrange/?EmpID=E10086&RunDate=" + day).c_str())->status;
    };
    ASSERT_EQ(
        c.Post("/__sim/faults", R"({"method":"Query_Arrange@2026-12-09","status":500})", "application/json")
            ->status,
        200);
    EXPECT_EQ(arrange("2026-12-09"), 500);
    EXPECT_EQ(arrange("2026-12-08"), 200);
    EXPECT_EQ(c.Get("/OfficeServiceQ/Query_DisplanInfo/?EmpID=E10086&RunDate=2026-12-09")->status, 200);
    // The day's own entry comes before the method's.
    Fault refused;
    refused.status = 503;
    sim.faults().set("Query_Arrange", refused);
    EXPECT_EQ(arrange("2026-12-09"), 500);
    EXPECT_EQ(arrange("2026-12-10"), 503);
}

TEST_F(SimTest, UnknownPathsAndBadParametersNeverHang) {
    int status = 0;
    get("Query_Nothing/", &status);
    EXPECT_EQ(status, 404);
    get("Query_Arrange", &status);
    EXPECT_EQ(status, 404);
    EXPECT_TRUE(get("Query_Arrange/?EmpID=nobody&RunDate=2026-12-07").as_array().empty());
    EXPECT_TRUE(get("Query_Arrange/?EmpID=E10086&RunDate=2026-02-30").as_array().empty());
    EXPECT_TRUE(get("Query_FdisempdutyInfo/?EmpID=E10086&StartTime=x&EndTime=y").as_array().empty());
    EXPECT_TRUE(get("Query_DisplanInfo/").at("DisplanDetailList").as_array().empty());
}

TEST_F(SimTest, TwoHundredConcurrentRequestsAllAnswered) {
    const char* paths[] = {
        "/OfficeServiceQ/Query_ByNewInfoPartNP/?EmpID=E10086&Index=1",
        "/OfficeServiceQ/Query_DisplanInfo/?EmpID=E10086&RunDate=2026-12-07",
        "/OfficeServiceQ/User_Login/?CardID=10086&Password=123456",
        "/OfficeServiceQ/Query_BusdaymileSUMByDriver/?EmpID=E10086&all=1&StartTime=2026-10"};
    std::atomic<int> ok{0}, ready{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 200; ++t)
        threads.emplace_back([&, t] {
            httplib::Client c("127.0.0.1", sim.port());
            c.set_read_timeout(20, 0);
            c.set_connection_timeout(20, 0);
            ++ready;
            while (!go) std::this_thread::yield();  // all 200 leave together
            auto r = c.Get(paths[t % 4]);
            if (r && r->status == 200 && !r->body.empty()) ++ok;
        });
    while (ready < 200) std::this_thread::yield();
    go = true;
    for (auto& t : threads) t.join();
    EXPECT_EQ(ok, 200);
}

TEST_F(SimTest, AHeldRequestDoesNotHoldUpShutdown) {
    Fault hold;
    hold.body = Fault::Body::NoAnswer;
    sim.faults().set("Query_Arrange", hold);
    std::atomic<bool> answered{true};
    std::thread waiting([&] {
        httplib::Client c("127.0.0.1", sim.port());
        c.set_read_timeout(30, 0);
        auto r = c.Get("/OfficeServiceQ/Query_Arrange/?EmpID=E10086&RunDate=2026-12-07");
        answered = r && r->status == 200;
    });
    // The request is held once the server has counted it.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sim.requestCount() == 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    ASSERT_EQ(sim.requestCount(), 1);
    auto before = std::chrono::steady_clock::now();
    sim.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    waiting.join();
    EXPECT_FALSE(answered);  // the held client never got a real answer
}

TEST(OfficeSimulatorStart, ListensWithinASecondOnAnEphemeralPort) {
    auto before = std::chrono::steady_clock::now();
    OfficeSimulator s;
    ASSERT_TRUE(s.start()) << s.lastError();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
    EXPECT_GT(s.port(), 0);
    EXPECT_EQ(s.baseURL(), "http://127.0.0.1:" + std::to_string(s.port()) + "/");
    httplib::Client c("127.0.0.1", s.port());
    auto r = c.Get("/OfficeServiceQ/Query_CompanyLogo");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST(OfficeDatabaseFile, SeedsOnceAndKeepsChangesAcrossRestarts) {
    auto dir = std::filesystem::temp_directory_path() / ("busdesk-simdb-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    SimOptions o;
    o.dbPath = (dir / "office.db").string();
    o.dataDir = (dir / "data").string();
    {
        OfficeSimulator s(o);
        ASSERT_TRUE(s.start());
        httplib::Client c("127.0.0.1", s.port());
        ASSERT_EQ(
            c.Get("/OfficeServiceQ/User_ChangePassword/?CardID=10086&OldPassword=123456&NewPassword=999")
                ->status,
            200);
    }
    OfficeSimulator s(o);
    ASSERT_TRUE(s.start());
    httplib::Client c("127.0.0.1", s.port());
    auto r = c.Get("/OfficeServiceQ/User_Login/?CardID=10086&Password=999");
    EXPECT_NE(r->body.find("\"IsSuccess\":\"1\""), std::string::npos);
    auto page = json::parse(c.Get("/OfficeServiceQ/Query_ByNewInfoPartNP/?EmpID=E10086&Index=3")->body);
    EXPECT_EQ(page.as_array().size(), 5u);  // 25 announcements, seeded once
    s.stop();
    std::filesystem::remove_all(dir);
}

TEST_F(SimTest, OneEmployeeDrivesOneVehicleAcrossEveryQueryOfTheDay) {
    auto plan = get("Query_DisplanInfo/?EmpID=E10086&RunDate=" + kDay);
    auto& trips = plan.at("DisplanDetailList").as_array();
    ASSERT_FALSE(trips.empty());
    std::string bus(trips[0].at("Busname").as_string());
    int sent = 0, unsent = 0, finished = 0;
    for (auto& t : trips) {
        EXPECT_EQ(t.at("Busname"), bus.c_str());
        (t.at("ISSent") == "1" ? sent : unsent)++;
        if (t.at("IsFinised") == 1) ++finished;
    }
    // Mid-morning the early shift is partly run: some trips are out, some still to leave.
    EXPECT_GT(sent, 0);
    EXPECT_GT(unsent, 0);
    auto nosend = get("Query_NosendDisplanInfo/?EmpID=E10086&RunDate=" + kDay).at("List").as_array();
    EXPECT_EQ(nosend.size(), static_cast<size_t>(unsent));
    auto finish = get("Query_FinishDisplan/?EmpID=E10086&RunDate=" + kDay);
    EXPECT_EQ(finish.at("FinishDisplanList").as_array().size(), static_cast<size_t>(finished));
    EXPECT_EQ(finish.at("SeqSum"), std::to_string(finished).c_str());

    auto roster = get("Query_Arrange/?EmpID=E10086&RunDate=" + kDay).as_array();
    bool own = false;
    for (auto& r : roster)
        if (r.at("Empid") == "E10086") {
            own = true;
            EXPECT_EQ(r.at("Busname"), bus.c_str());
        }
    EXPECT_TRUE(own);
    auto revenue = get("Query_DssticketreceiptInfoOneday/?EmpID=10086&all=0&StartTime=" + kDay).as_array();
    ASSERT_EQ(revenue.size(), 1u);
    EXPECT_EQ(revenue[0].at("Busname"), bus.c_str());
    EXPECT_EQ(revenue[0].at("driverID"), "E10086");

    // Tomorrow nothing has left yet; the day after a fixed "now" is as far ahead as any other.
    auto tomorrow = get("Query_DisplanInfo/?EmpID=E10086&RunDate=2026-12-08");
    EXPECT_EQ(tomorrow.at("SeqFinishSum"), "0");
    EXPECT_EQ(get("Query_NosendDisplanInfo/?EmpID=E10086&RunDate=2026-12-08").at("List").as_array().size(),
              tomorrow.at("DisplanDetailList").as_array().size());
    EXPECT_TRUE(get("Query_FinishDisplan/?EmpID=E10086&RunDate=2026-12-08")
                    .at("FinishDisplanList")
                    .as_array()
                    .empty());
}

TEST_F(SimTest, ScopeFlagWidensRevenueAndMileageToTheDepot) {
    auto own = get("Query_BusdaymileSUMByDriver/?EmpID=E10086&all=0&StartTime=2026-11").as_array();
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(own[0].at("driverID"), "E10086");
    auto depot = get("Query_BusdaymileSUMByDriver/?EmpID=E10086&all=1&StartTime=2026-11").as_array();
    // Two routes of three vehicles with an early and a late driver each, and four relief drivers a route.
    EXPECT_EQ(depot.size(), 20u);
    // Office staff drive nothing themselves, but see their depot's drivers.
    EXPECT_TRUE(get("Query_DssticketreceiptSUM/?EmpID=E10010&all=0&StartTime=2026-11").as_array().empty());
    auto office = get("Query_DssticketreceiptSUM/?EmpID=E10010&all=1&StartTime=2026-11").as_array();
    ASSERT_EQ(office.size(), 20u);
    for (auto& row : office) EXPECT_NE(row.at("DriverID"), "E10086");
}

TEST_F(SimTest, BulletinPicturesAreAbsoluteAddressesTheServerServes) {
    auto page = get("Query_ByNewInfoPartNP/?EmpID=E10086&Index=1").as_array();
    std::string html(page[0].at("ContentHtml").as_string());
    auto at = html.find("src=\"");
    ASSERT_NE(at, std::string::npos) << html;
    std::string src = html.substr(at + 5, html.find('"', at + 5) - at - 5);
    std::string base = "http://127.0.0.1:" + std::to_string(sim.port()) + "/";
    ASSERT_EQ(src.rfind(base, 0), 0u) << src;
    auto c = client();
    auto r = c.Get(("/" + src.substr(base.size())).c_str());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->get_header_value("Content-Type"), "image/png");
    // Released before the server's today, newest first.
    EXPECT_LT(std::string(page[0].at("RealeaseDate").as_string()), kDay);
    EXPECT_GE(page[0].at("RealeaseDate").as_string(), page[9].at("RealeaseDate").as_string());
}

TEST_F(SimTest, NumbersAreWrittenPlainlyAndSometimesAsText) {
    auto c = client();
    auto r = c.Get(
        "/OfficeServiceQ/Query_DssfuelcostSUM/?EmpID=E10086&Buselfid=&StartTime=2026-11&EndTime=2026-11");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/json; charset=utf-8");
    EXPECT_EQ(r->body.find("E+"), std::string::npos);
    EXPECT_EQ(r->body.find("E1"), std::string::npos) << r->body.substr(0, 300);
    auto rows = json::parse(r->body).as_array();
    ASSERT_GE(rows.size(), 2u);
    bool number = false, text = false;
    for (auto& row : rows) {
        number = number || row.at("Fuelnum").is_double() || row.at("Fuelnum").is_int64();
        text = text || row.at("Fuelnum").is_string();
    }
    EXPECT_TRUE(number && text);
    EXPECT_EQ(jsonText(json::parse("[144.7,3,\"x\"]")), "[144.7,3,\"x\"]");
}

TEST_F(SimTest, UploadsNeverWriteOutsideTheDataFolderAndRefusalsAreWellFormed) {
    EXPECT_EQ(get("FeedBackInfoNP/?Empid=nobody&Content=x&ParentID=0&pType=x"), "0");
    EXPECT_EQ(get("FeedBackInfoNP/?Empid=E10086&Content=&ParentID=0&pType=x"), "0");
    std::string sid(get("FeedBackInfoNP/?Empid=E10086&Content=abc&ParentID=0&pType=x").as_string());
    auto c = client();
    httplib::MultipartFormDataItems items = {
        {"../../escape.png", "bytes", "pic", "application/octet-stream"}};
    auto r = c.Post(("/OfficeServiceQ/UploadPictureFromID/" + sid).c_str(), items);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->body, "1");
    namespace fs = std::filesystem;
    EXPECT_FALSE(fs::exists(fs::path(sim.dataDir()).parent_path().parent_path() / "escape.png"));
    // A second photo under the same field name is kept beside the first, not over it.
    ASSERT_EQ(c.Post(("/OfficeServiceQ/UploadPictureFromID/" + sid).c_str(), items)->body, "1");
    std::vector<std::string> stored;
    for (auto& f : fs::directory_iterator(sim.dataDir())) stored.push_back(f.path().filename().string());
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{sid + "p1.bin", sid + "p2.bin"}));
    auto list = get("Query_FeedBackInfoNP/?EmpID=E10086").as_array();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0].at("Content"), "abc");  // newest first
    EXPECT_EQ(list[0].at("Imagenames").as_array().size(), 2u);
}

TEST(OfficeSimulatorSeed, SameSeedSameCompanyOtherSeedOtherFigures) {
    auto body = [](unsigned seed) {
        SimOptions o;
        o.today = "2026-12-07";
        o.seed = seed;
        OfficeSimulator s(o);
        EXPECT_TRUE(s.start());
        // A month of a fresh server is thirty days made at once: slow under a sanitizer.
        test::SimClient c(s.port());
        auto r =
            c.http().Get("/OfficeServiceQ/Query_DssticketreceiptSUM/?EmpID=E10086&all=1&StartTime=2026-11");
        return r ? r->body : std::string();
    };
    auto first = body(7);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, body(7));
    EXPECT_NE(first, body(8));
}
