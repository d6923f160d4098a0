// The roster lives: any day has duties, people have days off and nights, and whatever the roster
// says is what the plan, the attendance and the other crews of the day say too.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SimTestSupport.h"
#include "server/CivilDate.h"
#include "server/DutyRoster.h"
#include "server/OfficeSimulator.h"

using namespace busdesk::sim;
using namespace busdesk::sim::test;
namespace json = boost::json;

namespace {

RouteCrew crewOf(int index, int relief) {
    RouteCrew c;
    c.routeID = "R" + std::to_string(index);
    c.index = index;
    for (int b = 0; b < 3; ++b) {
        c.buses.push_back(c.routeID + "-bus" + std::to_string(b));
        c.drivers.push_back(c.routeID + "-early" + std::to_string(b));
        c.drivers.push_back(c.routeID + "-late" + std::to_string(b));
    }
    for (int r = 0; r < relief; ++r) c.relief.push_back(c.routeID + "-relief" + std::to_string(r));
    return c;
}

std::vector<std::string> week(const std::string& first) {
    std::vector<std::string> out;
    for (long d = civilDayNumber(first); out.size() < 7; ++d) out.push_back(civilDayText(d));
    return out;
}

bool overnight(const json::value& row) {
    return text(row.at("OffWorktime")) < text(row.at("OnWorktime"));
}

}  // namespace

TEST(RouteDuties, EveryShiftAndTheNightHaveOneDriverAndNoDriverHasTwo) {
    for (int index = 0; index < 6; ++index) {
        RouteCrew crew = crewOf(index, 4);
        std::map<std::string, int> worked;
        for (long day = 20000; day < 20000 + 28; ++day) {
            auto duties = routeDuties(crew, day);
            ASSERT_EQ(duties.size(), 7u) << day;
            std::set<std::string> drivers;
            std::set<std::pair<std::string, int>> slots;
            for (auto& d : duties) {
                EXPECT_TRUE(drivers.insert(d.driver).second) << d.driver << " twice on " << day;
                if (d.shift != 3) {
                    EXPECT_TRUE(slots.insert({d.bus, d.shift}).second);
                }
                ++worked[d.driver];
            }
            EXPECT_EQ(slots.size(), 6u);
            EXPECT_EQ(duties.back().shift, 3);
            // A route's own driver drives their own vehicle and shift, or the night service.
            for (size_t i = 0; i < crew.drivers.size(); ++i) {
                Duty own = dutyOn(day, driverOffset(crew, static_cast<int>(i)));
                const DrivenDuty* found = nullptr;
                for (auto& d : duties)
                    if (d.driver == crew.drivers[i]) found = &d;
                switch (own) {
                    case Duty::Off:
                        EXPECT_EQ(found, nullptr);
                        break;
                    case Duty::Night:
                        EXPECT_TRUE(found && found->shift == 3 && found->bus == crew.buses[i / 2]);
                        break;
                    case Duty::Own:
                        EXPECT_TRUE(found && found->bus == crew.buses[i / 2] &&
                                    found->shift == static_cast<int>(i % 2) + 1);
                        break;
                }
            }
        }
        // Four weeks: every own driver works 20 days; relief drivers share the rest and have days off.
        for (auto& d : crew.drivers) EXPECT_EQ(worked[d], 20) << d;
        for (auto& r : crew.relief) {
            EXPECT_GT(worked[r], 10) << r;
            EXPECT_LT(worked[r], 28) << r;
        }
    }
}

TEST(RouteDuties, TooFewReliefDriversLeaveDutiesOutRatherThanDoubleBook) {
    auto duties = routeDuties(crewOf(0, 1), 20000);
    std::set<std::string> drivers;
    for (auto& d : duties) EXPECT_TRUE(drivers.insert(d.driver).second);
    EXPECT_LT(duties.size(), 7u);
    EXPECT_TRUE(routeDuties(RouteCrew{}, 20000).empty());
}

TEST(WeeklyPattern, AnySevenDaysHoldFourOwnDutiesANightAndTwoDaysOff) {
    for (int offset : {-9, 0, 3, 4, 11})
        for (long first = 19990; first < 20004; ++first) {
            std::map<Duty, int> n;
            for (long d = first; d < first + 7; ++d) ++n[dutyOn(d, offset)];
            EXPECT_EQ(n[Duty::Own], 4);
            EXPECT_EQ(n[Duty::Night], 1);
            EXPECT_EQ(n[Duty::Off], 2);
        }
}

namespace {

class LivingRoster : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start()) << sim.lastError();
        office = std::make_unique<SimClient>(sim.port());
    }
    json::array roster(const std::string& who, const std::string& day) {
        return office->rows("Query_Arrange/?EmpID=" + who + "&RunDate=" + day);
    }
    std::vector<json::value> own(const std::string& who, const std::string& day) {
        std::vector<json::value> out;
        for (auto& row : roster(who, day))
            if (row.at("Empid") == who.c_str()) out.push_back(row);
        return out;
    }
    OfficeSimulator sim{at("2026-12-07", "10:00:00")};
    std::unique_ptr<SimClient> office;
};

}  // namespace

TEST_F(LivingRoster, EachDemoAccountHasDutiesDaysOffAndANightInAnyWeek) {
    for (auto* who : {"E10086", "E10010"})
        for (auto* first : {"2026-12-01", "2026-12-05", "2014-05-17", "2025-03-12", "2099-12-20"}) {
            SCOPED_TRACE(std::string(who) + " from " + first);
            int duties = 0, free = 0, nights = 0;
            for (auto& day : week(first)) {
                auto rows = own(who, day);
                EXPECT_LE(rows.size(), 1u) << day;
                (rows.empty() ? free : duties)++;
                for (auto& row : rows) {
                    nights += overnight(row);
                    for (auto* key : {"Busname", "Empid", "Empname", "Firstleavetime", "OnWorktime",
                                      "OffWorktime", "Shiftnum", "Routename", "SeqSum"})
                        EXPECT_TRUE(row.at(key).is_string()) << key;
                    EXPECT_EQ(text(row.at("OnWorktime")).size(), 5u);
                    EXPECT_EQ(text(row.at("OffWorktime")).size(), 5u);
                }
            }
            EXPECT_EQ(duties, 5);
            EXPECT_EQ(free, 2);
            EXPECT_EQ(nights, 1);
        }
}

TEST_F(LivingRoster, ADriversDutyIsWhatTheirPlanAndAttendanceSay) {
    // A week of the first demo account and of a relief driver of the same route.
    for (auto* who : {"E10086", "E20041"})
        for (auto& day : week("2026-11-28")) {
            SCOPED_TRACE(std::string(who) + " " + day);
            auto rows = own(who, day);
            auto plan = office->get(std::string("Query_DisplanInfo/?EmpID=") + who + "&RunDate=" + day);
            const auto& trips = plan.at("DisplanDetailList").as_array();
            auto attendance = office->rows(std::string("Query_FdisempdutyInfo/?EmpID=") + who +
                                           "&StartTime=" + day + "&EndTime=" + day);
            if (rows.empty()) {
                EXPECT_TRUE(trips.empty());
                EXPECT_TRUE(attendance.empty());
                continue;
            }
            auto& duty = rows[0];
            ASSERT_EQ(text(duty.at("SeqSum")), std::to_string(trips.size()));
            EXPECT_EQ(trips[0].at("LeaveTime"), duty.at("Firstleavetime"));
            for (auto& t : trips) {
                EXPECT_EQ(t.at("Busname"), duty.at("Busname"));
                EXPECT_EQ(t.at("ShiftNum"), duty.at("Shiftnum"));
            }
            if (day < "2026-12-07") {
                ASSERT_EQ(attendance.size(), 1u);
                EXPECT_EQ(attendance[0].at("PlanOnworktime"), duty.at("OnWorktime"));
                EXPECT_EQ(attendance[0].at("PlanOffworktime"), duty.at("OffWorktime"));
            }
        }
}

TEST_F(LivingRoster, EveryVehicleAndShiftOfTheDepotIsDrivenOnceADayAndTheNightServiceRuns) {
    for (auto& day : week("2026-12-03")) {
        SCOPED_TRACE(day);
        std::set<std::string> people;
        std::map<std::string, int> shifts;
        int dispatch = 0;
        for (auto& row : roster("E10010", day)) {
            EXPECT_TRUE(people.insert(text(row.at("Empid"))).second) << text(row.at("Empid"));
            if (text(row.at("Busname")).empty()) {
                ++dispatch;  // the dispatcher's own duty, at a terminal of her depot
                EXPECT_GT(std::stoi(text(row.at("SeqSum"))), 0);
                EXPECT_FALSE(text(row.at("Firstleavetime")).empty());
                continue;
            }
            ++shifts[text(row.at("Shiftnum"))];
        }
        EXPECT_EQ(shifts["早班"], 6);
        EXPECT_EQ(shifts["晚班"], 6);
        EXPECT_EQ(shifts["夜班"], 2);  // one night service on each of the depot's two routes
        EXPECT_LE(dispatch, 1);
        // A driver sees the crews of their own route only, and no dispatcher.
        for (auto& row : roster("E10086", day)) {
            EXPECT_EQ(row.at("Routename"), "5路");
            EXPECT_FALSE(text(row.at("Busname")).empty());
        }
    }
}

TEST(LivingRosterDays, ADayIsTheSameWhateverWasAskedBefore) {
    auto answers = [](bool backwards) {
        OfficeSimulator sim(at("2026-12-07", "21:50:00"));
        EXPECT_TRUE(sim.start());
        SimClient office(sim.port());
        std::vector<std::string> days = week("2026-12-04");
        if (backwards) std::reverse(days.begin(), days.end());
        std::map<std::string, std::string> out;
        for (auto& day : days)
            for (auto* m : {"Query_Arrange", "Query_DisplanInfo"})
                out[std::string(m) + day] =
                    json::serialize(office.get(std::string(m) + "/?EmpID=E10010&RunDate=" + day));
        return out;
    };
    auto forwards = answers(false);
    EXPECT_EQ(forwards, answers(true));
    EXPECT_NE(forwards["Query_Arrange2026-12-04"], forwards["Query_Arrange2026-12-05"]);
}
