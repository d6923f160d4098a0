// Every total the server answers agrees with the rows it answers beside it or in the matching detail
// query, for the demo accounts over a span of days and months, at two times of day.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "SimTestSupport.h"
#include "server/OfficeSimulator.h"

using namespace busdesk::sim;
using namespace busdesk::sim::test;
namespace json = boost::json;

namespace {

const std::vector<std::string> kAccounts = {"E10086", "E10010", "E20017", "E30001"};

std::vector<std::string> days() {
    std::vector<std::string> out = {"2014-05-18", "2014-05-19", "2014-05-20", "2014-05-21", "2014-05-22"};
    for (int d = 23; d <= 30; ++d) out.push_back("2026-11-" + std::to_string(d));
    for (int d = 1; d <= 9; ++d) out.push_back("2026-12-0" + std::to_string(d));
    return out;
}

std::vector<std::string> daysOfMonth(const std::string& month, int count) {
    std::vector<std::string> out;
    for (int d = 1; d <= count; ++d) out.push_back(month + (d < 10 ? "-0" : "-") + std::to_string(d));
    return out;
}

bool nonRevenue(const json::value& trip) {
    std::string route = text(trip.at("RouteName"));
    const std::string mark = "(非营运)";
    return route.size() > mark.size() && route.compare(route.size() - mark.size(), mark.size(), mark) == 0;
}

// Mid-morning (a shift half run) and late evening (both shifts run, fuel recorded).
class DemoTotals : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start()) << sim.lastError();
        office = std::make_unique<SimClient>(sim.port());
    }
    SimClient& client() { return *office; }
    OfficeSimulator sim{at("2026-12-07", GetParam())};
    std::unique_ptr<SimClient> office;
};

}  // namespace

TEST_P(DemoTotals, ThePlanCountsAndAddsUpTheTripsItLists) {
    int nonRevenueSeen = 0, finishedSeen = 0;
    for (auto& who : kAccounts)
        for (auto& day : days()) {
            SCOPED_TRACE(who + " " + day);
            auto plan = client().get("Query_DisplanInfo/?EmpID=" + who + "&RunDate=" + day);
            ASSERT_TRUE(plan.is_object());
            const auto& trips = plan.at("DisplanDetailList").as_array();
            long long planned = 0, done = 0, doneNonRevenue = 0;
            int finished = 0;
            for (auto& t : trips) {
                planned += cents(t.at("Mile"));
                if (t.at("IsFinised") != 1) continue;
                ++finished;
                done += cents(t.at("Mile"));
                if (nonRevenue(t)) {
                    doneNonRevenue += cents(t.at("Mile"));
                    ++nonRevenueSeen;
                }
            }
            finishedSeen += finished;
            EXPECT_EQ(text(plan.at("SeqPlanSum")), std::to_string(trips.size()));
            EXPECT_EQ(cents(plan.at("MilePlanSum")), planned);
            EXPECT_EQ(text(plan.at("SeqFinishSum")), std::to_string(finished));
            EXPECT_EQ(cents(plan.at("MileFinishSum")), done);
            EXPECT_EQ(cents(plan.at("NonSeqMileFinishSum")), doneNonRevenue);

            // The completed trips are the plan's finished ones, with the same totals.
            auto trips2 = client().get("Query_FinishDisplan/?EmpID=" + who + "&RunDate=" + day);
            const auto& list = trips2.at("FinishDisplanList").as_array();
            long long sum = 0;
            for (auto& t : list) sum += cents(t.at("Mile"));
            EXPECT_EQ(list.size(), static_cast<size_t>(finished));
            EXPECT_EQ(text(trips2.at("SeqSum")), std::to_string(list.size()));
            EXPECT_EQ(cents(trips2.at("MileSum")), sum);
            EXPECT_EQ(sum, done);
        }
    EXPECT_GT(finishedSeen, 0);
    EXPECT_GT(nonRevenueSeen, 0);  // the span holds non-revenue trips, so that total is tested too
}

TEST_P(DemoTotals, EachViolationCountIsTheNumberOfItsDetails) {
    int kinds = 0;
    for (auto& who : kAccounts)
        for (auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
                 {"2026-11-23", "2026-12-09"}, {"2014-05-18", "2014-05-22"}})
            for (auto& row : client().rows("Query_AlertSUM/?EmpID=" + who + "&Buselfid=&StartTime=" + from +
                                           "&EndTime=" + to)) {
                std::string bus = text(row.at("Busname")), day = text(row.at("Rundate"));
                auto details = client().rows("Query_AlertDetail/?EmpID=" + who + "&Buselfid=" + bus +
                                             "&Alerttype=" + pct(text(row.at("AlertType"))) +
                                             "&StartTime=" + day + "&EndTime=" + day);
                EXPECT_EQ(text(row.at("Num")), std::to_string(details.size())) << bus << " " << day;
                ++kinds;
            }
    EXPECT_GT(kinds, 20);
}

TEST_P(DemoTotals, FuelAndMaterialSummariesAreTheSumsOfTheirDetails) {
    int vehicles = 0;
    for (auto* who : {"E10086", "E10010"})
        for (auto* period : {"2026-11", "2026-12", "2026-12-06", "2014-05"})
            for (auto* bus : {"", "12004"}) {
                std::string q = std::string("/?EmpID=") + who + "&Buselfid=" + bus + "&StartTime=" + period +
                                "&EndTime=" + period;
                for (auto [summary, detail, figure] :
                     {std::tuple{"Query_DssfuelcostSUM", "Query_DssfuelcostInfo", "Fuelnum"},
                      std::tuple{"Query_StockbillSUM", "Query_StockbillInfo", "Totalsum"}}) {
                    SCOPED_TRACE(std::string(summary) + q);
                    std::map<std::string, long long> sums;
                    for (auto& row : client().rows(detail + q))
                        sums[text(row.at("Busname"))] += cents(row.at(figure));
                    auto rows = client().rows(summary + q);
                    EXPECT_EQ(rows.size(), sums.size());
                    for (auto& row : rows) {
                        EXPECT_EQ(cents(row.at(figure)), sums[text(row.at("Busname"))])
                            << text(row.at("Busname"));
                        ++vehicles;
                    }
                }
            }
    EXPECT_GT(vehicles, 20);
}

TEST_P(DemoTotals, RevenueAndMileageOfAMonthAreTheSumsOfItsDaysAndDetails) {
    for (auto [month, length] :
         {std::pair{"2026-11", 30}, std::pair{"2026-12", 31}, std::pair{"2014-05", 31}})
        for (auto* who : {"E10086", "E10010"}) {
            SCOPED_TRACE(std::string(who) + " " + month);
            std::map<std::string, long long> ic, cash, km;
            for (auto& day : daysOfMonth(month, length)) {
                for (auto& row : client().rows(std::string("Query_DssticketreceiptInfoOneday/?EmpID=") + who +
                                               "&all=1&StartTime=" + day)) {
                    ic[text(row.at("driverID"))] += cents(row.at("IClIncome"));
                    cash[text(row.at("driverID"))] += cents(row.at("GeneralIncome"));
                }
                for (auto& row : client().rows(std::string("Query_BusdaymileInfoOnedayByDriver/?EmpID=") +
                                               who + "&all=1&StartTime=" + day))
                    km[text(row.at("driverID"))] += cents(row.at("Milenum"));
            }
            auto revenue = client().rows(std::string("Query_DssticketreceiptSUM/?EmpID=") + who +
                                         "&all=1&StartTime=" + month);
            EXPECT_EQ(revenue.size(), ic.size());
            for (auto& row : revenue) {
                std::string driver = text(row.at("DriverID"));
                EXPECT_EQ(cents(row.at("IcTotalIncome")), ic[driver]) << driver;
                EXPECT_EQ(cents(row.at("TotalIncome")), cash[driver]) << driver;
                EXPECT_EQ(cents(row.at("cashTotalIncome")), cash[driver]) << driver;
                long long detailIC = 0, detailCash = 0;
                for (auto& line :
                     client().rows("Query_DssticketreceiptInfo/?EmpID=" + driver + "&StartTime=" + month))
                    (text(line.at("ICorCash")) == "IC卡" ? detailIC : detailCash) += cents(line.at("Income"));
                EXPECT_EQ(detailIC, ic[driver]) << driver;
                EXPECT_EQ(detailCash, cash[driver]) << driver;
            }
            auto mileage = client().rows(std::string("Query_BusdaymileSUMByDriver/?EmpID=") + who +
                                         "&all=1&StartTime=" + month);
            EXPECT_EQ(mileage.size(), km.size());
            for (auto& row : mileage) {
                std::string driver = text(row.at("driverID"));
                EXPECT_EQ(cents(row.at("Milenum")), km[driver]) << driver;
                long long detail = 0;
                for (auto& line :
                     client().rows("Query_BusdaymileInfoByDriver/?EmpID=" + driver + "&StartTime=" + month))
                    detail += cents(line.at("Milenum"));
                EXPECT_EQ(detail, km[driver]) << driver;
            }
        }
}

TEST_P(DemoTotals, ADriversMileageIsThatOfTheFinishedTripsOfThePlan) {
    for (auto* who : {"E10086", "E20017"})
        for (auto& day : days()) {
            SCOPED_TRACE(std::string(who) + " " + day);
            long long revenue = 0, other = 0;
            auto plan = client().get(std::string("Query_DisplanInfo/?EmpID=") + who + "&RunDate=" + day);
            for (auto& t : plan.at("DisplanDetailList").as_array())
                if (t.at("IsFinised") == 1) (nonRevenue(t) ? other : revenue) += cents(t.at("Mile"));
            auto rows = client().rows(std::string("Query_BusdaymileInfoOnedayByDriver/?EmpID=") + who +
                                      "&all=0&StartTime=" + day);
            if (revenue + other == 0) {
                EXPECT_TRUE(rows.empty());
                continue;
            }
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(cents(rows[0].at("Milenum")), revenue);
            EXPECT_EQ(cents(rows[0].at("unRunMilenum")), other);
        }
}

TEST_P(DemoTotals, APayslipsTotalsAreItsItems) {
    int statements = 0;
    for (auto& who : kAccounts)
        for (auto* month : {"202611", "202610", "202601", "201405", "200808"}) {
            SCOPED_TRACE(who + " " + month);
            auto items = client().rows("Query_Salary/?EmpID=" + who + "&Month=" + month);
            if (items.empty()) continue;
            ++statements;
            long long income = 0, gross = -1, deductions = 0, net = -1;
            for (auto& item : items) {
                std::string name = text(item.at("ItemName"));
                long long v = cents(item.at("ItemNum"));
                if (name == "应发合计")
                    gross = v;
                else if (name == "实发金额")
                    net = v;
                else if (name.rfind("代扣", 0) == 0)
                    deductions += v;
                else if (gross < 0)
                    income += v;
            }
            EXPECT_EQ(gross, income);
            EXPECT_EQ(net, gross - deductions);
        }
    EXPECT_GT(statements, 8);
}

INSTANTIATE_TEST_SUITE_P(AtTwoTimesOfDay, DemoTotals, ::testing::Values("10:00:00", "21:50:00"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, 2) == "10" ? "Morning" : "Evening";
                         });
