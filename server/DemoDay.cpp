#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "server/CivilDate.h"
#include "server/DemoData.h"
#include "server/DemoRandom.h"
#include "server/RowMapping.h"
#include "server/SqlStatement.h"

// How the operations data of one day is made: every vehicle's timetable and its trips, tickets,
// mileage, violations, roster, attendance, fuel, material, maintenance and repairs, then every
// employee's meal-card and bus-card records.

namespace busdesk::sim {
namespace {

const char* kAlertTypes[] = {"超速", "急加速", "急刹车", "疲劳驾驶", "开门行车"};
const char* kStandards[] = {"60km/h", "2.5m/s²", "3.0m/s²", "4小时", "0km/h"};
const char* kMaterials[][2] = {{"机油滤清器", "45"}, {"刹车片", "320"}, {"雨刮片", "38"},
                               {"轮胎", "1250"},     {"灯泡", "12"},    {"冷却液", "86"}};
const char* kSuppliers[] = {"济南汽配有限公司", "山东重汽配件中心", "泉城轮胎经销部"};
const char* kCanteens[] = {"第一食堂", "第二食堂", "调度中心餐厅", "保修车间餐厅"};
const char* kFaults[] = {"后门关闭异响",   "空调不制冷", "刹车偏软",
                         "仪表盘报警灯亮", "雨刮不回位", "投币机卡币"};
const char* kFixes[] = {"更换门泵",   "补充冷媒，更换滤网", "更换刹车片并调整",
                        "更换传感器", "更换雨刮电机",       "清理投币通道"};

using Stmt = SqlStatement;

// Where the dispatchers' weekly pattern starts: day duties Monday to Thursday, the night duty on
// Friday, off at the weekend (1970-01-01, day 0, was a Thursday).
constexpr int kDispatcherOffset = 3;

}  // namespace

void DemoData::ensureDays(sqlite3* c, const std::vector<long>& days) const {
    std::vector<long> missing;
    {
        Stmt q(c, "SELECT 1 FROM generated_days WHERE day=?");
        for (long d : days) {
            q.bind(1, dayText(d));
            if (!q.step()) missing.push_back(d);
            q.reset();
        }
    }
    if (missing.empty()) return;
    sqlite3_exec(c, "BEGIN", nullptr, nullptr, nullptr);
    for (long d : missing) generateDay(c, d);
    sqlite3_exec(c, "COMMIT", nullptr, nullptr, nullptr);
}

void DemoData::generateDay(sqlite3* c, long dayNo) const {
    const std::string day = dayText(dayNo);
    // A moment of the day as "yyyy-MM-dd HH:mm:ss"; minutes past 24:00 fall on the next day.
    auto at = [&](int minutes, int seconds = 0) {
        char b[16];
        std::snprintf(b, sizeof b, " %02d:%02d:%02d", (minutes / 60) % 24, minutes % 60, seconds % 60);
        return dayText(dayNo + minutes / (24 * 60)) + b;
    };
    // A trip's number is fixed by its day, vehicle and place in the vehicle's day, so the same day
    // always shows the same plan identifiers whatever was asked before.
    auto tripID = [&](size_t busIndex, int seq) {
        return static_cast<long long>(dayNo) * 10000 + static_cast<long long>(busIndex) * 100 + seq;
    };
    Stmt trip(
        c,
        "INSERT INTO trips(run_date,busname,route_id,driver,shift,seq,leave_at,arrive_at,from_stop,to_stop,"
        "mile,revenue,id) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Stmt receipt(c, "INSERT INTO ticket_receipts VALUES(?,?,?,?,?,?,?)");
    Stmt mile(c, "INSERT INTO mileage VALUES(?,?,?)");
    Stmt alert(
        c,
        "INSERT INTO violations(run_date,busname,driver,alert_type,alert_at,alert_value,stand_value,memo) "
        "VALUES(?,?,?,?,?,?,?,?)");
    Stmt roster(
        c,
        "INSERT INTO rosters(run_date,empid,busname,route_id,shift,on_work,off_work,first_leave,trips,"
        "shift_name) VALUES(?,?,?,?,?,?,?,?,?,?)");
    Stmt duty(c, "INSERT INTO attendance VALUES(?,?,?,?,?,?)");
    Stmt fuel(
        c, "INSERT INTO fuel_records(busname,run_date,route_id,fuel,quantity,filled_at) VALUES(?,?,?,?,?,?)");
    Stmt stock(
        c,
        "INSERT INTO stock_bills(busname,bill_date,order_no,material,warehouse,supplier,job_type,count,"
        "price,drawn_by) VALUES(?,?,?,?,?,?,?,?,?,?)");
    Stmt plan(c,
              "INSERT INTO maintenance_plans(busname,plan_date,level,company,miles,plan_miles,pre_miles) "
              "VALUES(?,?,?,?,?,?,?)");
    Stmt repair(
        c,
        "INSERT INTO repair_orders(busname,report_date,report_at,comein_at,finish_at,create_type,org_name,"
        "cost,checkview,notes,level,caretype,mendtype) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Stmt meal(c,
              "INSERT INTO meal_card_records(empid,kind,act_at,canteen,load_at,money,remain) "
              "VALUES(?,?,?,?,?,?,?)");
    Stmt ride(c, "INSERT INTO bus_card_records(one_card,act_at,route_name,money,remain) VALUES(?,?,?,?,?)");

    auto conductorOf = [&](const std::string& bus, int shift) -> const Staff* {
        for (auto& s : staff_)
            if (s.bus == bus && s.shift == shift && !s.driver) return &s;
        return nullptr;
    };
    // Who drives which vehicle and shift today, and the night services.
    std::map<std::pair<std::string, int>, const Staff*> driving;
    std::vector<std::pair<const RouteCrew*, DrivenDuty>> nights;
    for (const RouteCrew& crew : crews_)
        for (DrivenDuty& d : routeDuties(crew, dayNo)) {
            if (d.shift == 3)
                nights.emplace_back(&crew, d);
            else
                driving[{d.bus, d.shift}] = person(d.driver);
        }
    auto driverOf = [&](const std::string& bus, int shift) -> const Staff* {
        auto it = driving.find({bus, shift});
        return it == driving.end() ? nullptr : it->second;
    };
    std::map<std::string, int> lastSeq;  // per vehicle

    for (size_t bi = 0; bi < buses_.size(); ++bi) {
        const Bus& bus = buses_[bi];
        Rng r(hash("bus" + bus.name + day));
        int seq = 0;
        double km = 0;
        bool outbound = bi % 2 == 0;
        for (int shift = 1; shift <= 2; ++shift) {
            const Staff* driver = driverOf(bus.name, shift);
            const Staff* conductor = conductorOf(bus.name, shift);
            if (!driver) continue;
            int start = (shift == 1 ? 5 * 60 + 30 : 13 * 60 + 5) + static_cast<int>(bi % 3) * 12 + r.below(6);
            int limit = shift == 1 ? 12 * 60 + 30 : 20 * 60 + 40;
            int t = start, last = start, trips = 0;
            bool firstOfShift = true;
            while (t <= limit) {
                bool revenue = r.below(14) != 0 || firstOfShift;
                int minutes = revenue ? static_cast<int>(bus.length * 3.1) + r.below(9) : 15 + r.below(6);
                double m = revenue ? round2(bus.length + r.between(-0.4, 0.4)) : round2(r.between(2.5, 4.0));
                const std::string& from = outbound ? bus.first : bus.last;
                const std::string& to = revenue ? (outbound ? bus.last : bus.first) : from;
                trip.bind(1, day)
                    .bind(2, bus.name)
                    .bind(3, bus.routeID)
                    .bind(4, driver->empID)
                    .bind(5, shift);
                trip.bind(6, ++seq).bind(7, at(t)).bind(8, at(t + minutes)).bind(9, from).bind(10, to);
                long long id = tripID(bi, seq);
                trip.bind(11, m).bind(12, revenue ? 1 : 0).bind(13, id).run();
                double fare = bus.routeID == "K8" ? 2.0 : 1.0;
                if (revenue) {
                    int general = 8 + r.below(40), ic = 15 + r.below(60), freeIC = 2 + r.below(15);
                    receipt.bind(1, id)
                        .bind(2, general * fare)
                        .bind(3, general)
                        .bind(4, round2(ic * fare * 0.9));
                    receipt.bind(5, ic).bind(6, freeIC).bind(7, conductor ? conductor->name : "").run();
                }
                ++trips;
                // Revenue and non-revenue kilometres are the trips' own: what the plan lists adds up
                // to what the mileage statistics count.
                mile.bind(1, id).bind(2, revenue ? m : 0.0).bind(3, revenue ? 0.0 : m).run();
                km += m;
                if (revenue && r.below(9) == 0) {
                    int k = r.below(5);
                    std::string value = k == 0   ? std::to_string(62 + r.below(20)) + "km/h"
                                        : k == 3 ? "4小时" + std::to_string(5 + r.below(40)) + "分"
                                        : k == 4 ? std::to_string(3 + r.below(12)) + "km/h"
                                                 : fixed2(r.between(2.6, 5.0)) + "m/s²";
                    alert.bind(1, day).bind(2, bus.name).bind(3, driver->empID).bind(4, kAlertTypes[k]);
                    alert.bind(5, at(t + r.below(minutes), r.below(60)))
                        .bind(6, value)
                        .bind(7, kStandards[k]);
                    alert.bind(8, r.below(2) ? "已提醒驾驶员" : "").run();
                }
                if (revenue) outbound = !outbound;
                firstOfShift = false;
                last = t + minutes;
                t = last + 8 + r.below(8);
            }
            roster.bind(1, day).bind(2, driver->empID).bind(3, bus.name).bind(4, bus.routeID).bind(5, shift);
            roster.bind(6, clockText(start - 20))
                .bind(7, clockText(last + 15))
                .bind(8, clockText(start))
                .bind(9, trips)
                .bind(10, shift == 1 ? "早班" : "晚班")
                .run();
            for (const Staff* s : {driver, conductor}) {
                if (!s) continue;
                duty.bind(1, s->empID)
                    .bind(2, day)
                    .bind(3, clockText(start - 20))
                    .bind(4, clockText(last + 15));
                duty.bind(5, at(start - 22 - r.below(10), r.below(60)));
                duty.bind(6, at(last + 15 + r.below(18), r.below(60))).run();
            }
        }
        double rate = bus.fuel.rfind("电", 0) == 0 ? 1.05 : bus.fuel.rfind("柴油", 0) == 0 ? 0.31 : 0.42;
        fuel.bind(1, bus.name).bind(2, day).bind(3, bus.routeID).bind(4, bus.fuel);
        fuel.bind(5, round2(km * rate * r.between(0.92, 1.08))).bind(6, at(21 * 60 + 40 + r.below(20))).run();
        if (r.below(6) == 0) {
            auto& m = kMaterials[r.below(6)];
            const Staff* who = driverOf(bus.name, 1 + r.below(2));
            stock.bind(1, bus.name).bind(2, day);
            stock.bind(3, "LL" + day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2) + bus.name.substr(3));
            stock.bind(4, m[0]).bind(5, "中心仓库").bind(6, kSuppliers[r.below(3)]).bind(7, "维修领料");
            stock.bind(8, 1.0 + r.below(4)).bind(9, std::stod(m[1])).bind(10, who ? who->name : "").run();
        }
        lastSeq[bus.name] = seq;
        if ((dayNo + static_cast<long>(bi) * 7) % 20 == 0) {
            // 182 km a day over a vehicle's eight years of service, then a new vehicle from 0 km:
            // the reading stays positive on any day asked for.
            const long life = 8 * 365 + 2;
            long inService = (dayNo - 19000 + static_cast<long>(bus.odometer / 182.0)) % life;
            if (inService < 0) inService += life;
            double odo = static_cast<double>(inService) * 182.0 + std::fmod(bus.odometer, 182.0);
            bool second = ((dayNo + static_cast<long>(bi) * 7) / 20) % 3 == 0;
            plan.bind(1, bus.name).bind(2, day).bind(3, second ? "二级保养" : "一级保养");
            plan.bind(4, "保修车间" + std::to_string(1 + r.below(3)) + "号工位").bind(5, odo);
            plan.bind(6, std::ceil(odo / 5000.0) * 5000.0).bind(7, 500.0).run();
        }
        if (r.below(10) == 0) {
            int f = r.below(6), reported = 7 * 60 + r.below(600), taken = reported + 30 + r.below(120);
            repair.bind(1, bus.name).bind(2, day).bind(3, at(reported)).bind(4, at(taken));
            repair.bind(5, dayText(dayNo + (taken > 14 * 60 ? 1 : 0)) + " 16:30:00");
            repair.bind(6, r.below(2) ? "驾驶员报修" : "例检发现").bind(7, "保修车间");
            repair.bind(8, round2(r.between(60, 1800))).bind(9, kFaults[f]).bind(10, kFixes[f]);
            repair.bind(11, r.below(4) ? "小修" : "中修")
                .bind(12, "故障维修")
                .bind(13, r.below(2) ? "机修" : "电修");
            repair.run();
        }
    }

    // Each route's night service runs after the late shift, past midnight, on one vehicle.
    for (auto& [crew, night] : nights) {
        const Staff* driver = person(night.driver);
        size_t bi = 0;
        while (bi < buses_.size() && buses_[bi].name != night.bus) ++bi;
        if (!driver || bi == buses_.size()) continue;
        const Bus& bus = buses_[bi];
        Rng r(hash("night" + bus.name + day));
        int seq = lastSeq[bus.name], trips = 0;
        int start = 22 * 60 + 30 + crew->index * 4 + r.below(6), t = start, last = start;
        bool outbound = true;
        double fare = bus.routeID == "K8" ? 2.0 : 1.0;
        while (t <= 24 * 60 + 40) {
            int minutes = static_cast<int>(bus.length * 3.1) + r.below(9);
            double m = round2(bus.length + r.between(-0.4, 0.4));
            long long id = tripID(bi, ++seq);
            trip.bind(1, day).bind(2, bus.name).bind(3, bus.routeID).bind(4, driver->empID).bind(5, 3);
            trip.bind(6, seq).bind(7, at(t)).bind(8, at(t + minutes));
            trip.bind(9, outbound ? bus.first : bus.last).bind(10, outbound ? bus.last : bus.first);
            trip.bind(11, m).bind(12, 1).bind(13, id).run();
            int general = 2 + r.below(12), ic = 5 + r.below(20), freeIC = r.below(4);
            receipt.bind(1, id).bind(2, general * fare).bind(3, general).bind(4, round2(ic * fare * 0.9));
            receipt.bind(5, ic).bind(6, freeIC).bind(7, "").run();
            mile.bind(1, id).bind(2, m).bind(3, 0.0).run();
            ++trips;
            outbound = !outbound;
            last = t + minutes;
            t = last + 8 + r.below(8);
        }
        roster.bind(1, day).bind(2, driver->empID).bind(3, bus.name).bind(4, bus.routeID).bind(5, 3);
        roster.bind(6, clockText(start - 20)).bind(7, clockText(last + 15)).bind(8, clockText(start));
        roster.bind(9, trips).bind(10, "夜班").run();
        duty.bind(1, driver->empID).bind(2, day).bind(3, clockText(start - 20)).bind(4, clockText(last + 15));
        duty.bind(5, at(start - 22 - r.below(10), r.below(60)));
        duty.bind(6, at(last + 15 + r.below(18), r.below(60))).run();
    }

    // Dispatchers keep the same weekly pattern at the terminal of their depot's first route: a day
    // duty, or a night duty until the next morning. Their duty counts the departures it sees off.
    int dispatchers = 0;
    for (const Staff& s : staff_) {
        if (s.role != "2") continue;
        Duty d = dutyOn(dayNo, kDispatcherOffset + dispatchers++);
        auto station =
            std::find_if(buses_.begin(), buses_.end(), [&](const Bus& b) { return b.depot == s.depot; });
        if (d == Duty::Off || station == buses_.end()) continue;
        int on = d == Duty::Own ? 7 * 60 + 30 : 17 * 60 + 30, off = on + (d == Duty::Own ? 10 : 14) * 60;
        Stmt seen(c,
                  "SELECT IFNULL(MIN(leave_at),''),COUNT(*) FROM trips WHERE run_date=?1 AND route_id=?2 AND "
                  "leave_at>=?3 AND leave_at<?4");
        seen.bind(1, day).bind(2, station->routeID).bind(3, at(on)).bind(4, at(off));
        std::string first;
        long long departures = 0;
        if (seen.step()) {
            first = seen.text(0).size() >= 16 ? seen.text(0).substr(11, 5) : "";
            departures = seen.integer(1);
        }
        roster.bind(1, day)
            .bind(2, s.empID)
            .bind(3, "")
            .bind(4, station->routeID)
            .bind(5, d == Duty::Own ? 4 : 5);
        roster.bind(6, clockText(on)).bind(7, clockText(off)).bind(8, first).bind(9, departures);
        roster.bind(10, d == Duty::Own ? "白班" : "夜班").run();
        Rng r(hash("duty" + s.empID + day));
        duty.bind(1, s.empID).bind(2, day).bind(3, clockText(on)).bind(4, clockText(off));
        duty.bind(5, at(on - 5 - r.below(20), r.below(60))).bind(6, at(off + r.below(25), r.below(60))).run();
    }

    for (const Staff& s : staff_) {
        Rng r(hash("card" + s.empID + day));
        double balance = 150 + static_cast<double>(r.below(50000)) / 100.0;
        std::string canteen = kCanteens[(s.depot + r.below(2)) % 4];
        auto add = [&](int kind, int minutes, double money) {
            balance = round2(kind == 1 ? balance - money : balance + money);
            int sec = r.below(60);
            meal.bind(1, s.empID)
                .bind(2, kind)
                .bind(3, at(minutes, sec))
                .bind(4, kind == 2 ? "公司补贴" : canteen);
            meal.bind(5, at(minutes, std::min(59, sec + 3))).bind(6, money).bind(7, balance).run();
        };
        if (day.substr(8) == "01") add(2, 30, 300);
        if (r.below(8) == 0) add(0, 10 * 60 + r.below(50), r.below(2) ? 100 : 200);
        add(1, 11 * 60 + 20 + r.below(80), round2(r.between(8, 20)));
        if (s.shift != 1) add(1, 17 * 60 + 20 + r.below(60), round2(r.between(8, 16)));
        if (r.below(3) == 0) {
            const Bus& b = buses_[static_cast<size_t>(r.below(static_cast<int>(buses_.size())))];
            double fare = b.routeID == "K8" ? 2.0 : 1.0;
            double remain = round2(20 + static_cast<double>(r.below(8000)) / 100.0);
            ride.bind(1, s.oneCard)
                .bind(2, at(r.below(2) ? 7 * 60 + r.below(50) : 18 * 60 + r.below(60), r.below(60)));
            ride.bind(3, b.routeName).bind(4, fare).bind(5, remain).run();
        }
    }
    Stmt(c, "INSERT INTO generated_days VALUES(?)").bind(1, day).run();
}

}  // namespace busdesk::sim
