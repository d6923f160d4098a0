#include "core/Session.h"
#include "core/SettingsKeys.h"
#include "screens/self_service/RidingRecordViewController.h"
#include "screens/self_service/SubsidyViewController.h"
#include "tests/screens/self_service/SelfServiceFixture.h"
#include "ui/DatePickerSheet.h"
#include "ui/PickerSheet.h"

namespace busdesk::test {
namespace {

class MealCardTest : public SelfServiceTest {
  protected:
    std::shared_ptr<SubsidyViewController> openCard() {
        return open(std::make_shared<SubsidyViewController>());
    }
    // Opens a page's date sheet and picks `day`.
    void pickDate(const std::shared_ptr<Button>& button, const std::string& day) {
        button->userTap();
        auto sheets = PickerSheet::visibleSheets();
        ASSERT_FALSE(sheets.empty());
        ASSERT_TRUE(sheets.back()->pickValue(day));
        sheets.back()->userPressDone();
        RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    }
};

TEST_F(MealCardTest, EachTabAsksOnceOnFirstDisplayWithTheMonthSoFar) {
    signIn(kSession);
    PublicMethod::setObject("10086", kZtUsername);
    setToday("2014-05-20 09:00:00");
    auto card = openCard();
    EXPECT_EQ(card->userid->text(), "10086");
    EXPECT_EQ(card->name->text(), "张建国");
    EXPECT_EQ(card->job->text(), "驾驶员");
    EXPECT_EQ(card->org->text(), "第一运营公司");
    auto recharge = requestsTo("Query_RechargeInfo");
    ASSERT_EQ(recharge.size(), 1u);
    EXPECT_EQ(queryParam(recharge[0], "EmpID"), "10086");
    EXPECT_EQ(queryParam(recharge[0], "starttime"), "2014-05-01");
    EXPECT_EQ(queryParam(recharge[0], "endtime"), "2014-05-20");
    EXPECT_TRUE(requestsTo("Query_ConsumeInfo").empty());
    EXPECT_EQ(card->vc1->btnStartTime->currentTitle(), "2014-05-01");
    EXPECT_EQ(card->vc1->btnEndTime->currentTitle(), "2014-05-20");

    card->slideSwitchView->selectTab(1);
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    auto consume = requestsTo("Query_ConsumeInfo");
    ASSERT_EQ(consume.size(), 1u);
    EXPECT_EQ(queryParam(consume[0], "starttime"), "2014-05-01");
    EXPECT_EQ(queryParam(consume[0], "endtime"), "2014-05-20");
    card->slideSwitchView->selectTab(0);
    card->slideSwitchView->selectTab(2);
    card->slideSwitchView->selectTab(1);
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    EXPECT_EQ(requestsTo("Query_RechargeInfo").size(), 1u);
    EXPECT_EQ(requestsTo("Query_ConsumeInfo").size(), 1u);
    EXPECT_EQ(requestsTo("Query_MealsubsidsInfo").size(), 1u);
    // The subsidy tab has its own two columns.
    card->slideSwitchView->selectTab(2);
    std::string s = screen();
    EXPECT_TRUE(contains(s, "补贴余额(元)")) << s;
    EXPECT_FALSE(contains(s, "\"余额(元)\"")) << s;
    EXPECT_TRUE(contains(s, "\"时间/地点\"")) << s;
}

TEST_F(MealCardTest, WithoutARememberedNameTheCardTypedAtLoginIsUsed) {
    signIn(kSession);
    Session::shared().setTypedCardID("10010");
    setToday("2026-12-07 10:00:00");
    auto card = openCard();
    EXPECT_EQ(card->userid->text(), "10010");
    auto sent = requestsTo("Query_RechargeInfo");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(queryParam(sent[0], "EmpID"), "10010");
}

TEST_F(MealCardTest, EitherDateAsksWithinOneCalendarMonthAndAnEmptyAnswerEmptiesTheList) {
    signIn(kSession);
    PublicMethod::setObject("10086", kZtUsername);
    setToday("2026-12-07 10:00:00");
    auto card = openCard();
    auto page = card->vc2;
    card->slideSwitchView->selectTab(1);
    RunLoop::main().runUntilIdle(std::chrono::milliseconds(5000));
    ASSERT_EQ(requestsTo("Query_ConsumeInfo").size(), 1u);
    int rows = page->tbList->numberOfRows(0);
    ASSERT_GT(rows, 0);

    // A start date that makes the range too long is refused as an end date is; the rows stay.
    pickDate(page->btnStartTime, "2026-10-15");
    EXPECT_EQ(page->btnStartTime->currentTitle(), "2026-10-15");
    EXPECT_EQ(toastCount("查询的天数不能超过31天！"), 1);
    EXPECT_EQ(requestsTo("Query_ConsumeInfo").size(), 1u);
    // One calendar month is refused although it spans 31 days.
    pickDate(page->btnEndTime, "2026-11-15");
    EXPECT_EQ(page->btnEndTime->currentTitle(), "2026-11-15");
    EXPECT_EQ(toastCount("查询的天数不能超过31天！"), 2);
    EXPECT_EQ(requestsTo("Query_ConsumeInfo").size(), 1u);
    EXPECT_EQ(page->tbList->numberOfRows(0), rows);
    EXPECT_TRUE(contains(screen(), "提示：查询的时间段不能超过31天")) << screen();
    // Within a month either date asks, and the rows follow the dates shown.
    pickDate(page->btnStartTime, "2026-11-01");
    pickDate(page->btnEndTime, "2026-11-30");
    auto sent = requestsTo("Query_ConsumeInfo");
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(queryParam(sent[1], "starttime"), "2026-11-01");
    EXPECT_EQ(queryParam(sent[1], "endtime"), "2026-11-15");
    EXPECT_EQ(queryParam(sent[2], "starttime"), "2026-11-01");
    EXPECT_EQ(queryParam(sent[2], "endtime"), "2026-11-30");
    // An end before the start passes and is sent as it is; the empty answer empties the list and
    // says so in its place.
    pickDate(page->btnEndTime, "2026-10-25");
    sent = requestsTo("Query_ConsumeInfo");
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(queryParam(sent[3], "endtime"), "2026-10-25");
    EXPECT_EQ(toastCount("暂无数据"), 1);
    EXPECT_EQ(page->tbList->numberOfRows(0), 0);
    EXPECT_FALSE(page->emptyState->hidden());
    EXPECT_EQ(page->emptyState->text(), "暂无数据");
    EXPECT_FALSE(overlayShown());
}

TEST_F(MealCardTest, AFailedQueryKeepsTheRowsAndHidesTheOverlay) {
    signIn(kSession);
    PublicMethod::setObject("10086", kZtUsername);
    setToday("2026-12-07 10:00:00");
    auto card = openCard();
    int rows = card->vc1->tbList->numberOfRows(0);
    sim::Fault down;
    down.status = 500;
    sim().faults().set("Query_RechargeInfo", down);
    pickDate(card->vc1->btnEndTime, "2026-12-06");
    EXPECT_EQ(toastCount("网络异常！"), 1);
    EXPECT_EQ(card->vc1->tbList->numberOfRows(0), rows);
    EXPECT_FALSE(overlayShown());
}

class RidesTest : public SelfServiceTest {};

TEST_F(RidesTest, TheBusCardNumberIsSentAndEachRideShowsItsThreeLines) {
    signIn(kSession);
    auto rides = open(std::make_shared<RidingRecordViewController>());
    auto sent = requestsTo("Query_RidingRecode");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(queryParam(sent[0], "EmpID"), "880010086");
    ASSERT_TRUE(rides->data());
    ASSERT_GT(rides->tbList->numberOfRows(0), 0);
    EXPECT_EQ(rides->tbList->rectForRow(IndexPath{0, 0}).height, 90);
    auto first = rides->data()->List[0];
    std::string s = screen();
    EXPECT_TRUE(contains(s, "消费时间：" + *first->ActTime)) << s;
    EXPECT_TRUE(contains(s, "线路名称：" + *first->Routename)) << s;
    EXPECT_TRUE(contains(s, "余额：")) << s;
}

TEST_F(RidesTest, AnEmptyCardNumberIsSentEmptyAndTheEmptyAnswerSaysNoData) {
    signIn(R"({"IsSuccess":"1","EmpID":"E10086","oneCardID":""})");
    open(std::make_shared<RidingRecordViewController>());
    auto sent = requestsTo("Query_RidingRecode");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(queryParam(sent[0], "EmpID"), "");
    EXPECT_EQ(toastCount("暂无数据"), 1);
}

}  // namespace
}  // namespace busdesk::test
