#include <gtest/gtest.h>

#include <set>

#include "ServiceTestSupport.h"
#include "core/SettingsKeys.h"
#include "services/AnswerDecoders.h"
#include "services/OfficeQueries.h"
#include "services/OfficeQuery.h"

namespace busdesk::test {
namespace {

// ---- the key

TEST(QueryKeyTest, ParametersFollowTheQueryStringsOrderAndText) {
    boost::json::object params{
        {"StartTime", "2026-12-01"}, {"EmpID", "E10086"}, {"all", 1}, {"Buselfid", ""}, {"Index", true}};
    auto key = QueryKey::of("Query_AlertSUM", params, "E10086");
    // Sorted as the serializer sorts (UTF-16 code units: capitals before lower case), numbers and
    // booleans as the query string writes them.
    std::vector<QueryKey::Parameter> expected{
        {"Buselfid", ""}, {"EmpID", "E10086"}, {"Index", "1"}, {"StartTime", "2026-12-01"}, {"all", "1"}};
    EXPECT_EQ(key.parameters, expected);
    EXPECT_EQ(key.text(), "Query_AlertSUM?Buselfid=&EmpID=E10086&Index=1&StartTime=2026-12-01&all=1#E10086");
    // The order the caller wrote the parameters in does not matter.
    boost::json::object reordered{
        {"Index", true}, {"Buselfid", ""}, {"all", 1}, {"EmpID", "E10086"}, {"StartTime", "2026-12-01"}};
    EXPECT_EQ(QueryKey::of("Query_AlertSUM", reordered, "E10086"), key);
}

TEST(QueryKeyTest, TheTextTellsEveryDifferentKeyApart) {
    // Values that look like separators, another user, another method, non-ASCII text: each a
    // different key with a different text, which stays one line.
    std::vector<QueryKey> keys = {
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08"}}, "E1"),
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08"}}, "E2"),
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08"}}, ""),
        QueryKey::of("Query_DisplanInfo", {{"RunDate", "2026-12-08"}}, "E1"),
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08&EmpID=E1"}}, ""),
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08"}, {"EmpID", "E1"}}, ""),
        QueryKey::of("Query_Arrange", {{"RunDate", "2026-12-08#E1"}}, ""),
        QueryKey::of("Query_Arrange", {{"RunDate=2026-12-08", ""}}, ""),
        QueryKey::of("Query_Arrange", {}, "E1"),
        QueryKey::of("Query_AlertSUM", {{"Buselfid", "鲁A·12004\n"}}, "E1"),
    };
    std::set<std::string> texts;
    for (const auto& key : keys) {
        const auto text = key.text();
        EXPECT_EQ(text.find_first_of("\n\r "), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), keys.size());
    EXPECT_EQ(keys[9].text(), "Query_AlertSUM?Buselfid=%E9%B2%81A%C2%B712004%0A#E1");
}

// ---- the typed queries: what each sends, for whom

class TypedQueryTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        Session::shared().setTypedCardID(std::nullopt);
        signIn(R"({"EmpID":"E10086","oneCardID":"C77"})");
    }
    void TearDown() override {
        setQueryObserver(nullptr);
        Session::shared().setTypedCardID(std::nullopt);
        ServiceTest::TearDown();
    }
    static void signIn(const char* json) {
        Session::shared().setLoginResult(LoginResult::initWithString(json));
    }
    // The office out of service for `method`.
    void down(const std::string& method) {
        sim::Fault fault;
        fault.status = 503;
        sim().faults().set(method, fault);
    }
};

TEST_F(TypedQueryTest, EachQueryNamesItsMethodAndTheSignedInEmployee) {
    using Q = Scope;
    struct Case {
        QueryRequest query;
        std::string expected;
    };
    using namespace OfficeQueries;
    const Case cases[] = {
        {bulletins(Bulletins::Announcements, 1), "Query_ByNewInfoPartNP?EmpID=E10086&Index=1"},
        {bulletins(Bulletins::Regulations, 12), "Query_ByRegulationsInfoPartNP?EmpID=E10086&Index=12"},
        {dayPlan("2026-12-07"), "Query_DisplanInfo?EmpID=E10086&RunDate=2026-12-07"},
        {undispatchedTrips("2026-12-08"), "Query_NosendDisplanInfo?EmpID=E10086&RunDate=2026-12-08"},
        {roster("2026-12-08"), "Query_Arrange?EmpID=E10086&RunDate=2026-12-08"},
        {completedTrips("2026-12-03"), "Query_FinishDisplan?EmpID=E10086&RunDate=2026-12-03"},
        {violationSummary("", "2026-12-07"),
         "Query_AlertSUM?Buselfid=&EmpID=E10086&EndTime=2026-12-07&StartTime=2026-12-07"},
        {violationDetails("12004", "超速", "2026-12-07"),
         "Query_AlertDetail?Alerttype=%E8%B6%85%E9%80%9F&Buselfid=12004&EmpID=E10086&EndTime=2026-12-07&"
         "StartTime=2026-12-07"},
        {maintenancePlans("12004", "2026-12-01", "2026-12-07"),
         "Query_TembusdefassInfo?Buselfid=12004&EmpID=E10086&EndTime=2026-12-07&StartTime=2026-12-01"},
        {repairOrders("", "2026-12-09", "2026-12-01"),
         "Query_WorkorderInfo?Buselfid=&EmpID=E10086&EndTime=2026-12-01&StartTime=2026-12-09"},
        {attendance("2026-12-01", "2026-12-07"),
         "Query_FdisempdutyInfo?EmpID=E10086&EndTime=2026-12-07&StartTime=2026-12-01"},
        {materialSummary("12004", "2026-11"),
         "Query_StockbillSUM?Buselfid=12004&EmpID=E10086&EndTime=2026-11&StartTime=2026-11"},
        {materialRecords("12004", "2026-11"),
         "Query_StockbillInfo?Buselfid=12004&EmpID=E10086&EndTime=2026-11&StartTime=2026-11"},
        {fuelSummary("", "2026-11"),
         "Query_DssfuelcostSUM?Buselfid=&EmpID=E10086&EndTime=2026-11&StartTime=2026-11"},
        {fuelRecords("12004", "2026-12-06"),
         "Query_DssfuelcostInfo?Buselfid=12004&EmpID=E10086&EndTime=2026-12-06&StartTime=2026-12-06"},
        {revenueSummary(Q::Everybody, "2026-11"),
         "Query_DssticketreceiptSUM?EmpID=E10086&StartTime=2026-11&all=1"},
        {revenueOfDriver(std::string("D3"), "2026-11"),
         "Query_DssticketreceiptInfo?EmpID=D3&StartTime=2026-11"},
        {mileageOfDay(Q::Oneself, "2026-12-06"),
         "Query_BusdaymileInfoOnedayByDriver?EmpID=E10086&StartTime=2026-12-06&all=0"},
        {mileageSummary(Q::Oneself, "2026-11"),
         "Query_BusdaymileSUMByDriver?EmpID=E10086&StartTime=2026-11&all=0"},
        {mileageOfDriver(std::string("D4"), "2026-11"),
         "Query_BusdaymileInfoByDriver?EmpID=D4&StartTime=2026-11"},
        {salaryStatement("202611"), "Query_Salary?EmpID=E10086&Month=202611"},
        // The bus card answers to its own number.
        {rides(), "Query_RidingRecode?EmpID=C77"},
        {suggestions(), "Query_FeedBackInfoNP?EmpID=E10086"},
        {companyLogo(), "Query_CompanyLogo?"},
    };
    for (const auto& c : cases) {
        // Whoever a query asks about, its answer is for the signed-in employee.
        EXPECT_EQ(c.query.key().text(), c.expected + "#E10086");
    }
}

TEST_F(TypedQueryTest, TheRememberedLoginNameAsksForTheDaysRevenueAndTheMealCard) {
    using namespace OfficeQueries;
    // Nothing remembered and nothing typed: no identifier at all, never the employee's.
    EXPECT_EQ(revenueOfDay(Scope::Oneself, "2026-12-06").key().text(),
              "Query_DssticketreceiptInfoOneday?StartTime=2026-12-06&all=0#E10086");
    EXPECT_EQ(mealCard(MealCardRecords::Purchases, "2026-12-01", "2026-12-07").key().text(),
              "Query_ConsumeInfo?endtime=2026-12-07&starttime=2026-12-01#E10086");
    // The card typed at this run's login, then the remembered name over it.
    Session::shared().setTypedCardID("10086");
    EXPECT_EQ(revenueOfDay(Scope::Everybody, "2026-12-06").key().text(),
              "Query_DssticketreceiptInfoOneday?EmpID=10086&StartTime=2026-12-06&all=1#E10086");
    PublicMethod::setObject(std::string("10010"), kZtUsername);
    EXPECT_EQ(mealCard(MealCardRecords::Recharges, "2026-12-01", "2026-12-07").key().text(),
              "Query_RechargeInfo?EmpID=10010&endtime=2026-12-07&starttime=2026-12-01#E10086");
    EXPECT_EQ(mealCard(MealCardRecords::Subsidies, "a", "b").method, "Query_MealsubsidsInfo");
}

TEST_F(TypedQueryTest, AMissingIdentifierIsLeftOutAndAnEmptyOneSentEmpty) {
    using namespace OfficeQueries;
    EXPECT_EQ(revenueOfDriver(std::nullopt, "2026-11").key().text(),
              "Query_DssticketreceiptInfo?StartTime=2026-11#E10086");
    EXPECT_EQ(mileageOfDriver(std::nullopt, "2026-11").key().text(),
              "Query_BusdaymileInfoByDriver?StartTime=2026-11#E10086");
    signIn(R"({"EmpID":"E10086","oneCardID":""})");
    EXPECT_EQ(rides().key().text(), "Query_RidingRecode?EmpID=#E10086");
    // Nobody signed in: no EmpID, and the key belongs to nobody.
    Session::shared().setLoginResult(nullptr);
    EXPECT_EQ(rides().key().text(), "Query_RidingRecode?#");
    EXPECT_EQ(attendance("2026-12-01", "2026-12-07").key().text(),
              "Query_FdisempdutyInfo?EndTime=2026-12-07&StartTime=2026-12-01#");
}

// ---- the run function and its observer

// Everything the observer hears, in order.
struct Recorder : QueryObserver {
    std::vector<std::string> heard;
    std::vector<std::pair<std::string, std::string>> answers;  // bytes, content type
    void queryWillSend(const QueryKey& key) override { heard.push_back("send " + key.text()); }
    void queryDidDecode(const QueryKey& key, const RawAnswer& answer) override {
        heard.push_back("decoded " + key.text());
        answers.emplace_back(std::string(answer.body), answer.contentType);
    }
};

TEST_F(TypedQueryTest, TheObserverSeesTheKeyFirstAndTheBytesOfAnAcceptedAnswer) {
    auto recorder = std::make_shared<Recorder>();
    setQueryObserver(recorder);
    auto query = OfficeQueries::attendance("2026-12-01", "2026-12-07");
    Calls<std::shared_ptr<NormalList>> calls;
    runQuery(query, calls.success(), calls.fail());
    // Told before anything went out; the answer comes later, never inside the call.
    ASSERT_EQ(recorder->heard, std::vector<std::string>{"send " + query.key().text()});
    EXPECT_EQ(calls.total(), 0);
    ASSERT_TRUE(calls.wait());
    ASSERT_EQ(calls.successes, 1);
    EXPECT_FALSE(calls.offMainThread);
    ASSERT_EQ(recorder->heard.size(), 2u);
    EXPECT_EQ(recorder->heard[1], "decoded " + query.key().text());
    // The request that went out is the one the key describes.
    auto sent = log_.sent("Query_FdisempdutyInfo");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->query, (std::map<std::string, std::string>{
                               {"EmpID", "E10086"}, {"StartTime", "2026-12-01"}, {"EndTime", "2026-12-07"}}));

    // The bytes kept are the answer itself: read again, they give the same rows.
    const auto& [bytes, contentType] = recorder->answers.at(0);
    EXPECT_EQ(contentType.rfind("application/json", 0), 0u) << contentType;
    auto stored = query.decodeStored(RawAnswer{bytes, contentType});
    ASSERT_TRUE(std::holds_alternative<std::shared_ptr<NormalList>>(stored));
    const auto& fresh = calls.arg()->List;
    const auto& again = std::get<0>(stored)->List;
    ASSERT_GT(fresh.count(), 3u);
    ASSERT_EQ(again.count(), fresh.count());
    for (std::size_t i = 0; i < fresh.count(); ++i) {
        EXPECT_EQ(again[i]->Execdate, fresh[i]->Execdate) << i;
        EXPECT_EQ(again[i]->RealOnworktime, fresh[i]->RealOnworktime) << i;
        EXPECT_EQ(again[i]->Empname, fresh[i]->Empname) << i;
    }
}

TEST_F(TypedQueryTest, AFailedOrUnusableAnswerIsNeverHandedToTheObserver) {
    auto recorder = std::make_shared<Recorder>();
    setQueryObserver(recorder);
    down("Query_Arrange");
    sim().faults().set("Query_FdisempdutyInfo", fault(sim::Fault::Body::WrongKind));
    Calls<std::shared_ptr<ArrangeInfoList>> roster;
    runQuery(OfficeQueries::roster("2026-12-08"), roster.success(), roster.fail());
    ASSERT_TRUE(roster.wait());
    Calls<std::shared_ptr<NormalList>> attendance;
    runQuery(OfficeQueries::attendance("2026-12-01", "2026-12-07"), attendance.success(), attendance.fail());
    ASSERT_TRUE(attendance.wait());
    EXPECT_EQ(roster.failures, 1);
    EXPECT_EQ(attendance.failures, 1);
    EXPECT_TRUE(recorder->answers.empty());
    EXPECT_EQ(recorder->heard.size(), 2u);
    EXPECT_TRUE(log_.has("Error: Error Domain=com.busdesk.error.office-service Code=1"));
}

// A store whose look-ups the test finishes by hand, as a slow disk would.
struct HeldLookUps : QueryObserver {
    std::vector<std::pair<Reader, std::function<void()>>> held;
    void queryWillSend(const QueryKey&) override {}
    void queryDidDecode(const QueryKey&, const RawAnswer&) override {}
    bool lookUp(const QueryKey&, const Reader& read, const std::function<void()>& finished) override {
        held.emplace_back(read, finished);
        return true;
    }
    // Ends the oldest look-up, with `body` found under its key or nothing found.
    void finish(std::optional<std::string> body) {
        const auto lookUp = held.front();
        held.erase(held.begin());
        std::function<void()> job;
        if (body) job = lookUp.first(RawAnswer{*body, "application/json"}, Date{1.8e9});
        dispatchMain([job, finished = lookUp.second] {
            if (job) job();
            finished();
        });
    }
};

TEST_F(TypedQueryTest, AFailureWaitsForTheStoredAnswersLookUpAndComesAfterItsRows) {
    auto store = std::make_shared<HeldLookUps>();
    setQueryObserver(store);
    down("Query_FdisempdutyInfo");
    std::vector<std::string> order;
    auto run = [&] {
        runQuery<std::shared_ptr<NormalList>>(
            OfficeQueries::attendance("2026-12-01", "2026-12-07"),
            [&](const std::shared_ptr<NormalList>&) { order.push_back("fresh"); },
            [&] { order.push_back("failed"); },
            [&](const std::shared_ptr<NormalList>& rows, Date) {
                order.push_back("stored " + std::to_string(rows->List.count()));
            });
    };

    // The office fails at once; the failure is held while the look-up is under way.
    run();
    ASSERT_TRUE(RunLoop::main().runUntilIdle(std::chrono::milliseconds(10000)));
    ASSERT_EQ(store->held.size(), 1u);
    EXPECT_TRUE(order.empty());
    store->finish(R"([{"Execdate":"2026-12-01"},{"Execdate":"2026-12-02"}])");
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(order, (std::vector<std::string>{"stored 2", "failed"}));

    // Nothing found: the failure follows the look-up's end, once.
    order.clear();
    run();
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(10000));
    EXPECT_TRUE(order.empty());
    store->finish(std::nullopt);
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(order, std::vector<std::string>{"failed"});

    // A fresh answer is not held, and the look-up ending after it shows nothing.
    sim().faults().clear("Query_FdisempdutyInfo");
    order.clear();
    run();
    RunLoop::main().runUntil([&] { return !order.empty(); }, std::chrono::milliseconds(10000));
    EXPECT_EQ(order, std::vector<std::string>{"fresh"});
    store->finish(R"([{"Execdate":"2026-12-01"}])");
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(order, std::vector<std::string>{"fresh"});
}

TEST_F(TypedQueryTest, StoredAnswersDecodeAsFreshOnesWhateverTheirShapeOrCharset) {
    auto recorder = std::make_shared<Recorder>();
    setQueryObserver(recorder);
    // A plan in GBK, named in its content type; the company logo as text.
    sim::Fault gbk;
    gbk.charset = "GBK";
    sim().faults().set("Query_DisplanInfo", gbk);
    auto planQuery = OfficeQueries::dayPlan("2026-12-07");
    Calls<std::shared_ptr<DisplanDetailInfoArray>> plan;
    runQuery(planQuery, plan.success(), plan.fail());
    ASSERT_TRUE(plan.wait());
    auto logoQuery = OfficeQueries::companyLogo();
    Calls<std::string> logo;
    runQuery(logoQuery, logo.success(), logo.fail());
    ASSERT_TRUE(logo.wait());
    ASSERT_EQ(plan.successes, 1);
    ASSERT_EQ(logo.successes, 1);
    ASSERT_EQ(recorder->answers.size(), 2u);

    const auto& [planBytes, planType] = recorder->answers[0];
    EXPECT_NE(planType.find("GBK"), std::string::npos) << planType;
    auto storedPlan = planQuery.decodeStored({planBytes, planType});
    ASSERT_TRUE(std::holds_alternative<std::shared_ptr<DisplanDetailInfoArray>>(storedPlan));
    auto& kept = std::get<0>(storedPlan);
    EXPECT_EQ(kept->MilePlanSum, plan.arg()->MilePlanSum);
    ASSERT_EQ(kept->DisplanDetailInfos.count(), plan.arg()->DisplanDetailInfos.count());
    EXPECT_EQ(kept->DisplanDetailInfos[0]->EndStaion, "泉城广场");

    const auto& [logoBytes, logoType] = recorder->answers[1];
    auto storedLogo = logoQuery.decodeStored({logoBytes, logoType});
    ASSERT_TRUE(std::holds_alternative<std::string>(storedLogo));
    EXPECT_EQ(std::get<std::string>(storedLogo), logo.arg());

    // Bytes damaged in keeping are refused, not mapped into something else.
    auto damaged = planQuery.decodeStored({planBytes.substr(0, planBytes.size() / 2), planType});
    EXPECT_TRUE(std::holds_alternative<Error>(damaged));
}

}  // namespace
}  // namespace busdesk::test
