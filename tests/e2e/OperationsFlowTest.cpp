// A driver's working day through the operations screens, as the headless program runs it.
#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "HeadlessFlowFixture.h"
#include "app/Application.h"
#include "core/Session.h"
#include "screens/operations/illegalViewController.h"
#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class OperationsFlow : public test::HeadlessFlow {
  protected:
    void SetUp() override {
        HeadlessFlow::SetUp();
        illegalViewController::setRememberedDay(std::nullopt);
    }
    void TearDown() override {
        HeadlessFlow::TearDown();
        illegalViewController::setRememberedDay(std::nullopt);
    }
};

TEST_F(OperationsFlow, ADriverWalksPlanRosterTripsViolationsDetailsAndAttendance) {
    auto r = run(R"S(type #username 10086
type #password 123456
tap #loginAction
wait 4
# today's plan, then tomorrow's trips not yet dispatched
menu left
tap 运营情况
expect "计划车次：8"
expect [0.0] "1" | "是否发出：已发出" | "开始时间：05:32"
expect "是否发出：未发出"
tap #tmplan
expect button #tmplan: "明日未发车" (selected)
expect [0.0] "1" | "车辆：12004" | "起点：燕山立交桥"
# tomorrow's duty roster
menu left
tap 配车排班
expect "日期：2014-05-21" | "员工姓名：张建国"
# the trips of the 19th
menu left
tap 完成车次
tap #day@19
tap #search
expect bar: [#goBack] "完成车次" [#goIndex]
expect "总车次数："
expect "实际发车：2014-05-19 05:
# the violations of the whole depot that day, and the first one's details
menu left
tap 车辆违规
type #txt 12005
tap #search
expect bar: [#goBack] "违规详情" [#goIndex]
home
menu left
tap 主页
wait 4
tap #showRule
expect [0] "1" | "12004" | "2014-05-20" | "急加速1次"
tap 急加速1次
expect "车辆名称:12004" | "违规类型:急加速"
expect "标准值:2.5m/s²"
back
back
# attendance of this month
menu left
tap 考勤信息
expect field #tf_Btime: "2014-05-01"
expect field #tf_Etime: "2014-05-20"
tap #Search
expect "考勤信息详情"
expect "姓名:张建国" | "考勤日期:2014-05-01"
expect "考勤日期:2014-05-20"
dump
quit
)S");
    ASSERT_EQ(r.status, 0) << r.screen;
    // The vehicle typed for the violations is kept for the next time.
    std::ifstream in(dir_ / "profile" / "config" / "settings.json");
    std::stringstream text;
    text << in.rdbuf();
    auto settings = boost::json::parse(text.str()).as_object();
    EXPECT_EQ(settings["Buselfid"], "12005");
}

}  // namespace
}  // namespace busdesk
