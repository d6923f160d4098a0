#include "model/SalaryItem.h"
#include "screens/self_service/SalaryQueryResultTVController.h"
#include "screens/self_service/SalaryQueryViewController.h"
#include "tests/screens/self_service/SelfServiceFixture.h"
#include "tests/support/ScriptedServer.h"

namespace busdesk::test {
namespace {

class SalaryTest : public SelfServiceTest {
  protected:
    std::shared_ptr<SalaryQueryViewController> openSelection(const std::string& today) {
        setToday(today);
        return open(std::make_shared<SalaryQueryViewController>());
    }
    static std::string shownMonth(const SalaryQueryViewController& s) {
        return s.monthPicker->titleForRow(s.monthPicker->selectedRow(0), 0);
    }
    static std::string shownYear(const SalaryQueryViewController& s) {
        return s.yearPicker->titleForRow(s.yearPicker->selectedRow(0), 0);
    }
};

TEST_F(SalaryTest, MidMarchOffersUpToFebruaryAndSendsIt) {
    signIn(kSession);
    auto s = openSelection("2014-03-15 10:00:00");
    ASSERT_EQ(s->years.size(), 11u);
    EXPECT_EQ(s->years.front(), 2004);
    EXPECT_EQ(s->years.back(), 2014);
    EXPECT_EQ(s->months, (std::vector<int>{1, 2}));
    EXPECT_EQ(shownYear(*s), "2014");
    EXPECT_EQ(shownMonth(*s), "2");
    ASSERT_TRUE(run("tap #query\n"));
    auto result = topScreen<SalaryQueryResultTVController>();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->month, "201402");
    auto sent = requestsTo("Query_Salary");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(queryParam(sent[0], "Month"), "201402");
    EXPECT_EQ(queryParam(sent[0], "EmpID"), "E10086");
}

TEST_F(SalaryTest, JanuaryStartsOnLastDecemberAndTheCurrentYearIsNotOffered) {
    auto s = openSelection("2015-01-20 10:00:00");
    EXPECT_EQ(s->years.back(), 2014);
    EXPECT_EQ(s->selectedYear, 2014);
    EXPECT_EQ(s->selectedMonth, 12);
    EXPECT_EQ(s->months.size(), 12u);
    EXPECT_EQ(shownMonth(*s), "12");
    EXPECT_FALSE(s->yearPicker->rowWithTitle("2015"));
    // The current year offers nothing in January.
    EXPECT_TRUE(SalaryQueryViewController::monthsOf(2015, 2015, 1).empty());
}

TEST_F(SalaryTest, AYearSwitchMovesTheMonthToTheLastOfferedAndTheWheelShowsWhatWillBeSent) {
    auto s = openSelection("2014-05-15 10:00:00");
    for (int month : {5, 12}) {
        SCOPED_TRACE(month);
        ASSERT_TRUE(s->yearPicker->userSelectRow(*s->yearPicker->rowWithTitle("2013"), 0));
        ASSERT_EQ(s->months.size(), 12u);
        ASSERT_TRUE(s->monthPicker->userSelectRow(*s->monthPicker->rowWithTitle(std::to_string(month)), 0));
        EXPECT_EQ(s->selectedMonth, month);
        ASSERT_TRUE(s->yearPicker->userSelectRow(*s->yearPicker->rowWithTitle("2014"), 0));
        EXPECT_EQ(s->months, (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(s->selectedMonth, 4);
        EXPECT_EQ(shownMonth(*s), "4");
    }
    // A month that stays offered stays, and the wheel shows it rather than the row it had.
    ASSERT_TRUE(s->monthPicker->userSelectRow(*s->monthPicker->rowWithTitle("2"), 0));
    ASSERT_TRUE(s->yearPicker->userSelectRow(*s->yearPicker->rowWithTitle("2010"), 0));
    EXPECT_EQ(s->selectedMonth, 2);
    EXPECT_EQ(shownMonth(*s), "2");
    EXPECT_EQ(SalaryQueryViewController::monthText(s->selectedYear, s->selectedMonth), "201002");
}

TEST_F(SalaryTest, MonthTextsPadOnlyMonthsBelowTen) {
    EXPECT_EQ(SalaryQueryViewController::monthText(2014, 3), "201403");
    EXPECT_EQ(SalaryQueryViewController::monthText(2014, 9), "201409");
    EXPECT_EQ(SalaryQueryViewController::monthText(2014, 10), "201410");
    EXPECT_EQ(SalaryQueryViewController::monthText(2014, 11), "201411");
    EXPECT_EQ(SalaryQueryViewController::monthText(2014, 12), "201412");
    EXPECT_EQ(SalaryQueryResultTVController::monthCaption("201403"), "查询月份：2014年03月");
    EXPECT_EQ(SalaryQueryResultTVController::monthCaption(""), "查询月份：");
}

TEST_F(SalaryTest, TheStatementListsEveryItemAndTheHeaderShowsTheNetPay) {
    signIn(kSession);
    setToday("2026-12-07 10:00:00");
    auto result = std::make_shared<SalaryQueryResultTVController>();
    result->month = "202611";
    open(result);
    auto record = result->employeMonthSalary();
    ASSERT_TRUE(record);
    ASSERT_GT(record->salaryItems.count(), 1u);
    auto last = record->salaryItems[record->salaryItems.count() - 1];
    ASSERT_EQ(last->ItemName, "实发金额");
    EXPECT_EQ(result->moneySum, *last->ItemNum);
    EXPECT_EQ(result->header->titleLabel->text(), "查询月份：2026年11月");
    EXPECT_EQ(result->header->titleDetLable->text(), "实发工资：" + *last->ItemNum);
    // The net pay is a row like the others.
    EXPECT_EQ(result->tbList->numberOfRows(0), static_cast<int>(record->salaryItems.count()));
    EXPECT_TRUE(contains(screen(), "实发金额")) << screen();
}

TEST_F(SalaryTest, WithoutNetPayTheHeaderKeepsItsCaptionAndEmptyOrFailedAnswersSaySo) {
    auto& server = ScriptedServer::shared();
    server.respond("h14salary/OfficeServiceQ/Query_Salary/", 200, "application/json",
                   R"([{"ItemName":"基本工资","ItemNum":"3450"},{"ItemName":"岗位工资","ItemNum":"1200"}])");
    PublicMethod::setOfficeBaseURL(server.url("h14salary/"));
    signIn(kSession);
    auto result = std::make_shared<SalaryQueryResultTVController>();
    result->month = "201403";
    open(result);
    EXPECT_EQ(result->tbList->numberOfRows(0), 2);
    EXPECT_EQ(result->header->titleDetLable->text(), "实发工资：");
    EXPECT_EQ(result->outstandingRequests(), 0);

    server.respond("h14salary/OfficeServiceQ/Query_Salary/", 200, "application/json", "[]");
    auto empty = std::make_shared<SalaryQueryResultTVController>();
    empty->month = "201403";
    open(empty);
    EXPECT_EQ(toastCount("暂无数据"), 1);
    EXPECT_EQ(empty->header->titleLabel->text(), "查询月份：2014年03月");
    EXPECT_EQ(empty->header->titleDetLable->text(), "实发工资：");

    server.respond("h14salary/OfficeServiceQ/Query_Salary/", 500, "text/plain", "down");
    open(std::make_shared<SalaryQueryResultTVController>());
    EXPECT_EQ(toastCount("网络异常！"), 1);
    EXPECT_FALSE(overlayShown());
}

}  // namespace
}  // namespace busdesk::test
