#include <gtest/gtest.h>

#include "ServiceTestSupport.h"
#include "services/EmployeMonthSalaryService.h"
#include "services/NormalService.h"
#include "services/SubsidyService.h"
#include "services/SuggestServer.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

constexpr const char* kPrefix = "odd/";

// Answers the substitute server never gives, scripted path by path.
class OddAnswerTest : public ::testing::Test {
  protected:
    void SetUp() override { PublicMethod::setOfficeBaseURL(server().baseURL() + kPrefix); }
    static ScriptedServer& server() { return ScriptedServer::shared(); }
    static std::string path(const std::string& rest) {
        return std::string(kPrefix) + "OfficeServiceQ/" + rest;
    }
    static void answer(const std::string& rest, const std::string& body,
                       const std::string& contentType = "application/json; charset=utf-8", int status = 200) {
        server().respond(path(rest), status, contentType, body);
    }
    LogCapture log_;
};

using ModelCalls = Calls<std::shared_ptr<WireModel>>;

TEST_F(OddAnswerTest, OneRowThatIsNoObjectEmptiesTheWholeList) {
    answer("Query_Arrange/", R"([{"Empname": "甲"}, 7, {"Empname": "乙"}])");
    Calls<std::shared_ptr<ArrangeInfoList>> roster;
    NormalService::getArrangeWithPara({}, roster.success(), roster.fail());
    ASSERT_TRUE(roster.wait());
    ASSERT_EQ(roster.successes, 1);
    ASSERT_TRUE(roster.arg());
    EXPECT_EQ(roster.arg()->ArrangeList.count(), 0u);

    answer("Query_DssticketreceiptSUM/", R"([{"DriverID": "E1"}, null])");
    ModelCalls revenue;
    NormalService::getSearchNumWithPara({}, 5, revenue.success(), revenue.fail());
    ASSERT_TRUE(revenue.wait());
    ASSERT_EQ(revenue.successes, 1);
    auto list = std::dynamic_pointer_cast<DssticketcostSumList>(revenue.arg());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->DssfuelcostList.count(), 0u);
}

TEST_F(OddAnswerTest, EmptyArrayGivesAnEmptyListForEveryListOperation) {
    for (const char* m : {"Query_ByNewInfoPartNP/", "Query_FdisempdutyInfo/", "Query_BusdaymileSUMByDriver/",
                          "Query_ConsumeInfo/"})
        answer(m, "[]");
    Calls<std::shared_ptr<NormalList>> news;
    ModelCalls attendance, mileage;
    Calls<std::shared_ptr<SubsidyRechargeList>> meals;
    NormalService::getNewsServiceInfoWithPara({}, 2, news.success(), news.fail());
    NormalService::getSearchWithPara({}, "考勤", attendance.success(), attendance.fail());
    NormalService::getSearchNumWithPara({}, 8, mileage.success(), mileage.fail());
    SubsidyService::getRechargeInfoWithEmpID("E1", "a", "b", 1, meals.success(), meals.fail());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return news.total() && attendance.total() && mileage.total() && meals.total(); }));
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(news.successes, 1);
    EXPECT_EQ(news.arg()->List.count(), 0u);
    ASSERT_EQ(attendance.successes, 1);
    EXPECT_EQ(std::dynamic_pointer_cast<NormalList>(attendance.arg())->List.count(), 0u);
    ASSERT_EQ(mileage.successes, 1);
    EXPECT_EQ(std::dynamic_pointer_cast<MileDriverList>(mileage.arg())->List.count(), 0u);
    ASSERT_EQ(meals.successes, 1);
    EXPECT_EQ(meals.arg()->listArr.count(), 0u);
}

TEST_F(OddAnswerTest, WrongTopLevelKindEndsInTheFailureBlock) {
    answer("Query_WorkorderInfo/", R"({"List": [{"Status": "x"}]})");
    answer("Query_FinishDisplan/", R"([{"MileSum": 1}])");
    answer("Query_DisplanInfo/", R"({"MilePlanSum": "3", "DisplanDetailList": {"a": 1}})");
    answer("Query_NosendDisplanInfo/", R"({"Trips": []})");
    ModelCalls repair, finished, plan, nosend;
    NormalService::getSearchWithPara({}, "维修查询", repair.success(), repair.fail());
    NormalService::getSearchWithPara({}, "完成车次", finished.success(), finished.fail());
    NormalService::getPlansServiceInfoWithPara({}, 0, plan.success(), plan.fail());
    NormalService::getPlansServiceInfoWithPara({}, 1, nosend.success(), nosend.fail());
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] { return repair.total() && finished.total() && plan.total() && nosend.total(); }));
    RunLoop::main().runUntilIdle();
    for (auto* c : {&repair, &finished, &plan, &nosend}) {
        EXPECT_EQ(c->failures, 1);
        EXPECT_EQ(c->successes, 0);
    }
    EXPECT_EQ(log_.withPrefix("Error: Error Domain=com.busdesk.error.office-service Code=1").size(), 4u);
}

TEST_F(OddAnswerTest, PlanTotalsSurviveARowThatCannotBeRead) {
    answer("Query_DisplanInfo/",
           R"({"MilePlanSum": 105.5, "SeqPlanSum": "8", "DisplanDetailList": [{"SeqNum": "1"}, "x"]})");
    ModelCalls plan;
    NormalService::getPlansServiceInfoWithPara({}, 0, plan.success(), plan.fail());
    ASSERT_TRUE(plan.wait());
    ASSERT_EQ(plan.successes, 1);
    auto record = std::dynamic_pointer_cast<DisplanDetailInfoArray>(plan.arg());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->MilePlanSum, "105.5");
    EXPECT_EQ(record->SeqPlanSum, "8");
    EXPECT_EQ(record->DisplanDetailInfos.count(), 0u);
}

TEST_F(OddAnswerTest, CompletedTripsWithoutTotalsReadZero) {
    answer("Query_FinishDisplan/", R"({"FinishDisplanList": [{"Busname": "12001", "Mile": 3.5}]})");
    ModelCalls finished;
    NormalService::getSearchWithPara({}, "完成车次", finished.success(), finished.fail());
    ASSERT_TRUE(finished.wait());
    ASSERT_EQ(finished.successes, 1);
    auto record = std::dynamic_pointer_cast<FinishDisplanInfoArray>(finished.arg());
    ASSERT_TRUE(record);
    EXPECT_DOUBLE_EQ(record->MileSum, 0.0);
    ASSERT_EQ(record->FinishDisplanList.count(), 1u);
    EXPECT_EQ(record->FinishDisplanList[0]->Mile, "3.5");
}

TEST_F(OddAnswerTest, LogoTextInBracketsComesOutBare) {
    answer("Query_CompanyLogo", "[\"http://img.example.com/logo.png\"]", "text/html");
    Calls<std::string> logo;
    NormalService::getADImageWithPara({}, logo.success(), logo.fail());
    ASSERT_TRUE(logo.wait());
    ASSERT_EQ(logo.successes, 1);
    // The double quotes are the caller's to strip.
    EXPECT_EQ(logo.arg(), "\"http://img.example.com/logo.png\"");
    EXPECT_EQ(log_.withPrefix("1str==").front(), "1str==[\"http://img.example.com/logo.png\"]");
}

TEST_F(OddAnswerTest, TextThatDoesNotDecodeIsAFailureThatShowsTheOperation) {
    answer("FeedBackInfoNP/", std::string("\"5\xFF\xFE\""), "text/plain");
    Calls<std::string> text;
    SuggestServer::PostSubmitTextWithPar({{"Empid", "E1"}, {"Content", "x"}}, text.success(), text.fail());
    ASSERT_TRUE(text.wait());
    EXPECT_EQ(text.failures, 1);
    EXPECT_EQ(text.successes, 0);
    EXPECT_TRUE(log_.has("operation===(null)"));
    EXPECT_TRUE(log_.has("JSON: <2235fffe 22>"));
}

TEST_F(OddAnswerTest, LongAnswersAreCutInTheConsole) {
    answer("FeedBackInfoNP/", std::string(5000, '7'), "text/plain");
    Calls<std::string> text;
    SuggestServer::PostSubmitTextWithPar({}, text.success(), text.fail());
    ASSERT_TRUE(text.wait());
    ASSERT_EQ(text.successes, 1);
    EXPECT_EQ(text.arg().size(), 5000u);
    auto line = log_.withPrefix("JSON: ").front();
    EXPECT_LT(line.size(), 1000u);
    EXPECT_NE(line.find("5000 bytes"), std::string::npos);
}

Image patterned(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(static_cast<size_t>(w) * h * 4, 255);
    for (size_t i = 0; i < img.rgba.size(); i += 4) img.rgba[i] = static_cast<std::uint8_t>(i);
    return img;
}

// Image i travels under file name i (the sizes tell the parts apart).
TEST_F(OddAnswerTest, UploadSendsOneJPEGPartPerImageUnderItsFileName) {
    answer("UploadPictureFromID/57", "1", "text/html");
    Calls<> upload;
    SuggestServer::PostSubmitImageWithPar({{"id", "57"}}, {patterned(20, 10), patterned(7, 9)},
                                          {"B1.png", "A2.png"}, upload.success(), upload.fail());
    ASSERT_TRUE(upload.wait());
    EXPECT_EQ(upload.successes, 1);
    EXPECT_EQ(upload.failures, 0);

    auto req = server().lastRequest(path("UploadPictureFromID/57"));
    EXPECT_EQ(req.method, "POST");
    EXPECT_TRUE(req.query.empty());
    EXPECT_NE(req.header("Content-Type").find("multipart/form-data; boundary="), std::string::npos);
    ASSERT_EQ(req.files.size(), 2u);
    const std::pair<const char*, std::pair<int, int>> expected[] = {{"B1.png", {20, 10}}, {"A2.png", {7, 9}}};
    for (auto& [name, size] : expected) {
        SCOPED_TRACE(name);
        auto it = req.files.find(name);
        ASSERT_NE(it, req.files.end());
        EXPECT_EQ(it->second.filename, "pic");
        EXPECT_EQ(it->second.content_type, "application/octet-stream");
        auto decoded = Image::decode(it->second.content);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, size.first);
        EXPECT_EQ(decoded->height, size.second);
        EXPECT_EQ(it->second.content.substr(0, 2), "\xFF\xD8");
    }
    EXPECT_EQ(log_.withPrefix("count===2").size(), 1u);
}

TEST_F(OddAnswerTest, UploadCountsOnlyTheExactTextOne) {
    const std::pair<const char*, bool> answers[] = {{"1", true},   {"1\n", false}, {"\"1\"", false},
                                                    {" 1", false}, {"0", false},   {"", false}};
    for (auto [body, stored] : answers) {
        SCOPED_TRACE(body);
        answer("UploadPictureFromID/58", body, "text/plain");
        Calls<> upload;
        SuggestServer::PostSubmitImageWithPar({{"id", "58"}}, {patterned(4, 4)}, {"x.png"}, upload.success(),
                                              upload.fail());
        ASSERT_TRUE(upload.wait());
        EXPECT_EQ(upload.successes, stored ? 1 : 0);
        EXPECT_EQ(upload.failures, stored ? 0 : 1);
    }
}

TEST_F(OddAnswerTest, UploadIdentifierStaysOnePathSegment) {
    answer("UploadPictureFromID/5%2F..%2Fx%20", "1", "text/plain");
    Calls<> upload;
    SuggestServer::PostSubmitImageWithPar({{"id", "5/../x "}}, {patterned(4, 4)}, {"x.png"}, upload.success(),
                                          upload.fail());
    ASSERT_TRUE(upload.wait());
    EXPECT_EQ(upload.total(), 1);
    // The server sees one segment after UploadPictureFromID/, never a walk up the path.
    EXPECT_EQ(server().requests(path("UploadPictureFromID/x ")).size(), 0u);
    EXPECT_EQ(server().requests(path("UploadPictureFromID/x%20")).size(), 0u);
    auto seen = server().requests(path("UploadPictureFromID/5/../x "));
    auto escaped = server().requests(path("UploadPictureFromID/5%2F..%2Fx%20"));
    EXPECT_EQ(seen.size() + escaped.size(), 1u);
}

TEST_F(OddAnswerTest, SalaryWithAnUnreadableLineIsNoStatement) {
    answer("Query_Salary/", R"([{"ItemName": "基本工资", "ItemNum": "1"}, []])");
    Calls<std::shared_ptr<EmployeMonthSalary>, bool> salary;
    EmployeMonthSalaryService::getEmpolyeMonthWithEmpID("E1", "202611", salary.success(), salary.fail());
    ASSERT_TRUE(salary.wait());
    ASSERT_EQ(salary.successes, 1);
    EXPECT_EQ(salary.arg<0>(), nullptr);
    EXPECT_FALSE(salary.arg<1>());
}

}  // namespace
}  // namespace busdesk::test
