#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "ServiceTestSupport.h"
#include "services/EmployeMonthSalaryService.h"
#include "services/RidingRecodeService.h"
#include "services/SubsidyService.h"
#include "services/SuggestServer.h"

namespace busdesk::test {
namespace {

Image testImage(int w, int h, std::uint8_t shade) {
    Image img;
    img.width = w;
    img.height = h;
    img.rgba.resize(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        img.rgba[i] = shade;
        img.rgba[i + 1] = static_cast<std::uint8_t>(i / 4 % 251);
        img.rgba[i + 2] = 40;
        img.rgba[i + 3] = 255;
    }
    return img;
}

class PersonnelServiceTest : public ServiceTest {};

TEST_F(PersonnelServiceTest, SalaryOfAPaidMonthEndsInTheNetAmount) {
    Calls<std::shared_ptr<EmployeMonthSalary>, bool> salary;
    EmployeMonthSalaryService::getEmpolyeMonthWithEmpID("E10086", "202611", salary.success(), salary.fail());
    ASSERT_TRUE(salary.wait());
    ASSERT_EQ(salary.successes, 1);
    EXPECT_TRUE(salary.arg<1>());
    auto record = salary.arg<0>();
    ASSERT_TRUE(record);
    ASSERT_GT(record->salaryItems.count(), 2u);
    EXPECT_EQ(record->salaryItems[0]->ItemName, "基本工资");
    EXPECT_EQ(record->salaryItems[0]->ItemNum, "3450.00");
    EXPECT_EQ(record->salaryItems[1]->ItemNum, "1200");  // a JSON number, read as text
    EXPECT_EQ(record->salaryItems.lastObject()->ItemName, "实发金额");
    auto sent = log_.sent("Query_Salary");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/OfficeServiceQ/Query_Salary/");
    EXPECT_EQ(sent->query, (std::map<std::string, std::string>{{"EmpID", "E10086"}, {"Month", "202611"}}));
    EXPECT_FALSE(log_.has("JSON: "));
}

TEST_F(PersonnelServiceTest, SalaryWithoutAStatementGivesNothingAndFalse) {
    // The current month is not paid yet: an empty array.
    Calls<std::shared_ptr<EmployeMonthSalary>, bool> unpaid;
    EmployeMonthSalaryService::getEmpolyeMonthWithEmpID("E10086", "202612", unpaid.success(), unpaid.fail());
    ASSERT_TRUE(unpaid.wait());
    ASSERT_EQ(unpaid.successes, 1);
    EXPECT_EQ(unpaid.arg<0>(), nullptr);
    EXPECT_FALSE(unpaid.arg<1>());

    // No identifier: left out of the request.
    Calls<std::shared_ptr<EmployeMonthSalary>, bool> nobody;
    EmployeMonthSalaryService::getEmpolyeMonthWithEmpID(std::nullopt, "202611", nobody.success(),
                                                        nobody.fail());
    ASSERT_TRUE(nobody.wait());
    ASSERT_EQ(nobody.successes, 1);
    EXPECT_FALSE(nobody.arg<1>());
    EXPECT_FALSE(log_.sent("Query_Salary")->has("EmpID"));

    // An object is no statement either.
    sim().faults().set("Query_Salary", fault(sim::Fault::Body::WrongKind));
    Calls<std::shared_ptr<EmployeMonthSalary>, bool> object;
    EmployeMonthSalaryService::getEmpolyeMonthWithEmpID("E10086", "202611", object.success(), object.fail());
    ASSERT_TRUE(object.wait());
    ASSERT_EQ(object.successes, 1);
    EXPECT_EQ(object.arg<0>(), nullptr);
    EXPECT_FALSE(object.arg<1>());
}

TEST_F(PersonnelServiceTest, MealCardKindsReachTheirMethodsWithLowerCaseKeys) {
    const std::pair<int, const char*> kinds[] = {
        {0, "Query_RechargeInfo"}, {1, "Query_ConsumeInfo"}, {2, "Query_MealsubsidsInfo"}};
    for (auto [tag, method] : kinds) {
        SCOPED_TRACE(method);
        Calls<std::shared_ptr<SubsidyRechargeList>> calls;
        SubsidyService::getRechargeInfoWithEmpID("E10086", "2026-11-01", "2026-12-06", tag, calls.success(),
                                                 calls.fail());
        ASSERT_TRUE(calls.wait());
        ASSERT_EQ(calls.successes, 1);
        auto sent = log_.sent(method);
        ASSERT_TRUE(sent);
        EXPECT_EQ(sent->path, std::string("/OfficeServiceQ/") + method + "/");
        EXPECT_EQ(sent->query,
                  (std::map<std::string, std::string>{
                      {"EmpID", "E10086"}, {"starttime", "2026-11-01"}, {"endtime", "2026-12-06"}}));
        const auto& rows = calls.arg()->listArr;
        ASSERT_GT(rows.count(), 0u);
        EXPECT_TRUE(rows[0]->ActTime);
        EXPECT_TRUE(rows[0]->CanteenName);
        EXPECT_TRUE(rows[0]->Money);
        EXPECT_TRUE(rows[0]->RemainMoney);
    }
    Calls<std::shared_ptr<SubsidyRechargeList>> consume;
    SubsidyService::getRechargeInfoWithEmpID("E10086", "2026-12-01", "2026-12-06", 1, consume.success(),
                                             consume.fail());
    ASSERT_TRUE(consume.wait());
    auto first = consume.arg()->listArr[0];
    EXPECT_EQ(first->CanteenName, "第二食堂");
    EXPECT_EQ(first->Money, "19.43");
    EXPECT_EQ(first->RemainMoney, "983.93");  // a JSON number, read as text
}

TEST_F(PersonnelServiceTest, MealCardWithoutIdentifierOrWithAnUnknownKind) {
    const long before = sim().requestCount();
    Calls<std::shared_ptr<SubsidyRechargeList>> unknown;
    SubsidyService::getRechargeInfoWithEmpID("E10086", "2026-11-01", "2026-12-06", 3, unknown.success(),
                                             unknown.fail());
    EXPECT_EQ(unknown.total(), 0);
    ASSERT_TRUE(unknown.wait());
    EXPECT_EQ(unknown.failures, 1);
    EXPECT_EQ(sim().requestCount(), before);

    Calls<std::shared_ptr<SubsidyRechargeList>> nobody;
    SubsidyService::getRechargeInfoWithEmpID(std::nullopt, "2026-11-01", "2026-12-06", 2, nobody.success(),
                                             nobody.fail());
    ASSERT_TRUE(nobody.wait());
    ASSERT_EQ(nobody.successes, 1);
    EXPECT_EQ(nobody.arg()->listArr.count(), 0u);
    auto sent = log_.sent("Query_MealsubsidsInfo");
    ASSERT_TRUE(sent);
    EXPECT_FALSE(sent->has("EmpID"));
    EXPECT_TRUE(sent->has("starttime"));
}

TEST_F(PersonnelServiceTest, RidingRecordsOfTheBusCard) {
    Calls<std::shared_ptr<RidingRecordList>> rides;
    RidingRecodeService::getRidingWithEmpID("880010086", rides.success(), rides.fail());
    ASSERT_TRUE(rides.wait());
    ASSERT_EQ(rides.successes, 1);
    EXPECT_EQ(log_.sent("Query_RidingRecode")->query.at("EmpID"), "880010086");
    const auto& rows = rides.arg()->List;
    ASSERT_GT(rows.count(), 1u);
    EXPECT_EQ(rows[0]->ActTime, "2026-12-05 07:32:50");
    EXPECT_EQ(rows[0]->Routename, "游2路");
    EXPECT_EQ(rows[0]->RemainMoney, "59.27");
    EXPECT_TRUE(log_.has("JSON: ["));

    Calls<std::shared_ptr<RidingRecordList>> nobody;
    RidingRecodeService::getRidingWithEmpID(std::nullopt, nobody.success(), nobody.fail());
    ASSERT_TRUE(nobody.wait());
    ASSERT_EQ(nobody.successes, 1);
    EXPECT_FALSE(log_.sent("Query_RidingRecode")->has("EmpID"));
}

TEST_F(PersonnelServiceTest, SuggestionListWithAnswers) {
    Calls<std::shared_ptr<SuggestList>> list;
    SuggestServer::getSuggestsWithEmpID("E10086", list.success(), list.fail());
    ASSERT_TRUE(list.wait());
    ASSERT_EQ(list.successes, 1);
    EXPECT_EQ(log_.sent("Query_FeedBackInfoNP")->path, "/OfficeServiceQ/Query_FeedBackInfoNP/");
    const auto& rows = list.arg()->List;
    // Other tests add suggestions of their own; the seeded one has the JSON number 2 as its ID.
    std::shared_ptr<SuggestInfo> seeded;
    for (size_t i = 0; i < rows.count(); ++i)
        if (rows[i]->ID == "2") seeded = rows[i];
    ASSERT_TRUE(seeded);
    EXPECT_EQ(seeded->Type, "咨询");
    EXPECT_EQ(seeded->Empid, "E10086");
    EXPECT_EQ(seeded->AnsTime, "2026-12-02 10:20:00");
    EXPECT_TRUE(seeded->AnsContent);
    EXPECT_TRUE(seeded->Imagenames.empty());
}

TEST_F(PersonnelServiceTest, TextSubmissionThenTwoConcurrentPhotoUploadsAreStored) {
    Calls<std::string> text;
    SuggestServer::PostSubmitTextWithPar(
        {{"Empid", "E10086"}, {"Content", "后门气泵漏气，请检查。"}, {"ParentID", "0"}, {"pType", "投诉"}},
        text.success(), text.fail());
    ASSERT_TRUE(text.wait());
    ASSERT_EQ(text.successes, 1);
    auto sent = log_.sent("FeedBackInfoNP");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->path, "/OfficeServiceQ/FeedBackInfoNP/");
    EXPECT_EQ(sent->query.at("pType"), "投诉");
    EXPECT_EQ(sent->query.at("Content"), "后门气泵漏气，请检查。");
    // Handed on as the server wrote it, quotes included.
    const std::string answer = text.arg();
    ASSERT_GE(answer.size(), 3u);
    EXPECT_EQ(answer.front(), '"');
    EXPECT_EQ(answer.back(), '"');
    const std::string id = answer.substr(1, answer.size() - 2);
    EXPECT_NE(id, "0");
    EXPECT_TRUE(log_.has("1str ID==" + answer));

    // The form uploads one photo per call, all at once.
    Calls<> first, second;
    SuggestServer::PostSubmitImageWithPar({{"id", id}}, {testImage(64, 48, 200)},
                                          {PublicMethod::getUniqueStrByUUID() + ".png"}, first.success(),
                                          first.fail());
    SuggestServer::PostSubmitImageWithPar({{"id", id}}, {testImage(32, 32, 20)},
                                          {PublicMethod::getUniqueStrByUUID() + ".png"}, second.success(),
                                          second.fail());
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return first.total() > 0 && second.total() > 0; },
                                         std::chrono::milliseconds(10000)));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(first.successes, 1);
    EXPECT_EQ(second.successes, 1);
    EXPECT_EQ(first.failures + second.failures, 0);

    // The photo sizes are logged, never the photo bytes.
    auto sizes = log_.withPrefix("_________picdate===");
    ASSERT_EQ(sizes.size(), 2u);
    for (auto& line : sizes)
        EXPECT_TRUE(std::regex_match(line, std::regex("_________picdate===[0-9]+ bytes")));
    EXPECT_EQ(log_.withPrefix("count===1").size(), 2u);

    Calls<std::shared_ptr<SuggestList>> list;
    SuggestServer::getSuggestsWithEmpID("E10086", list.success(), list.fail());
    ASSERT_TRUE(list.wait());
    ASSERT_EQ(list.successes, 1);
    std::shared_ptr<SuggestInfo> stored;
    for (size_t i = 0; i < list.arg()->List.count(); ++i)
        if (list.arg()->List[i]->ID == id) stored = list.arg()->List[i];
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Content, "后门气泵漏气，请检查。");
    EXPECT_EQ(stored->Type, "投诉");
    ASSERT_EQ(stored->Imagenames.size(), 2u);
    size_t files = 0;
    for (auto& entry : std::filesystem::recursive_directory_iterator(sim().dataDir()))
        if (entry.is_regular_file()) ++files;
    EXPECT_GE(files, 2u);
}

TEST_F(PersonnelServiceTest, UploadsThatCannotSucceedFailOnce) {
    const long before = sim().requestCount();
    Calls<> mismatch, blank, noId;
    SuggestServer::PostSubmitImageWithPar({{"id", "1"}}, {testImage(4, 4, 1), testImage(4, 4, 2)}, {"a.png"},
                                          mismatch.success(), mismatch.fail());
    SuggestServer::PostSubmitImageWithPar({{"id", "1"}}, {Image{}}, {"a.png"}, blank.success(), blank.fail());
    SuggestServer::PostSubmitImageWithPar({}, {testImage(4, 4, 1)}, {"a.png"}, noId.success(), noId.fail());
    EXPECT_EQ(mismatch.total() + blank.total() + noId.total(), 0);
    ASSERT_TRUE(noId.wait());
    for (auto* c : {&mismatch, &blank, &noId}) {
        EXPECT_EQ(c->failures, 1);
        EXPECT_EQ(c->successes, 0);
    }
    EXPECT_EQ(sim().requestCount(), before);

    // A record the server does not know: it answers "0".
    Calls<> unknown;
    SuggestServer::PostSubmitImageWithPar({{"id", 999999}}, {testImage(8, 8, 9)}, {"b.png"},
                                          unknown.success(), unknown.fail());
    ASSERT_TRUE(unknown.wait());
    EXPECT_EQ(unknown.failures, 1);
    EXPECT_EQ(unknown.successes, 0);
    EXPECT_TRUE(log_.has("image JSON: <30>,iii===999999"));
}

}  // namespace
}  // namespace busdesk::test
