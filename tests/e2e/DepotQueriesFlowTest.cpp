// A depot employee walks every maintenance, repair, material, fuel, mileage and revenue screen
// through the headless program against the substitute office server.
#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "HeadlessFlowFixture.h"
#include "app/Application.h"
#include "core/Session.h"
#include "platform/Paths.h"
#include "server/OfficeSimulator.h"

namespace busdesk {
namespace {

namespace fs = std::filesystem;

class DepotQueriesFlow : public test::HeadlessFlow {
  protected:
    DepotQueriesFlow() : HeadlessFlow("2026-12-07", "14:00:00") {}
};

TEST_F(DepotQueriesFlow, EveryMaintenanceFuelMaterialMileageAndRevenueScreen) {
    auto r = run(R"(type #username 10086
type #password 123456
tap #cb
tap #loginAction
expect "登录成功"
wait 3
# maintenance plans of the depot this month
menu left
tap 车辆保养
expect field #tf_Btime: "2026-12-01"
expect field #tf_Etime: "2026-12-07"
tap #ShowDetail
expect bar: [#goBack] "车辆保养" [#goIndex]
expect "保养里程："
back
# a range too long is refused
tap #ShowBtime
pick 2026-10-01
tap #ShowDetail
expect "查询的天数不能超过31天！"
# repair orders of one vehicle, which is remembered
menu left
tap 维修查询
type #tf_busNo 12004
tap #ShowDetail
expect bar: [#goBack] "维修详情"
# material requisitions: the vehicle is prefilled; clear it for the whole depot
menu left
tap 车辆领料
expect field #tf_busNo: "12004"
type #tf_busNo ""
pick 2026-11
wait 1
tap #search
expect bar: [#goBack] "领料列表（2026-11）"
expect "费用："
tap 1
expect bar: [#goBack] "领料详情（2026-11）"
expect "材料名称："
back
back
# fuel of yesterday, then of last month per vehicle and one vehicle's days
menu left
tap 燃料消耗
expect field #tf_BusNo: ""
pick 2026-12-06
tap #search
expect bar: [#goBack] "详情" [#goIndex]
expect "营运日期：2026-12-06"
expect "消耗数量："
back
tap #monthBtn
pick 2026-11
tap #search
expect bar: [#goBack] "统计（2026-11）"
tap #showDetail
expect "营运日期：2026-11-01"
back
back
# revenue: yesterday for oneself, last month for everybody, one driver's month
menu left
tap 营收情况
pick 2026-12-06
tap #search
expect bar: [#goBack] "营收详情"
expect "司机编号：E10086"
expect "普票运量："
back
tap #monthAction
tap #sumPerBtn
pick 2026-11
tap #search
expect bar: [#goBack] "营收汇总"
expect "IC收入:"
tap #showDetail@2
expect bar: [#goBack] "营收详情"
expect "类型:现金"
back
back
# mileage: today so far, last month's summary, one driver's days
menu left
tap 里程情况
tap #search
expect bar: [#goBack] "里程详情"
expect "司机:张建国"
back
tap #monthAction
pick 2026-11
tap #search
expect bar: [#goBack] "里程汇总"
tap 张建国
expect bar: [#goBack] "里程详情"
expect "日期:2026-11-30"
quit
)");
    ASSERT_EQ(r.status, 0) << r.screen;
}

}  // namespace
}  // namespace busdesk
