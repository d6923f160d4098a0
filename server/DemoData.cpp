#include "server/DemoData.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "server/CivilDate.h"
#include "server/SqlStatement.h"

namespace busdesk::sim {
namespace json = boost::json;
namespace {

// Small deterministic generator (splitmix64), enough for demo figures.
struct Rng {
    unsigned long long s;
    explicit Rng(unsigned v) : s(v * 0x9E3779B97F4A7C15ull + 1) {}
    unsigned long long next() {
        unsigned long long z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<unsigned long long>(n)); }
    double between(double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(next() % 10000) / 10000.0;
    }
};

std::string hhmm(int minutes) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d", (minutes / 60) % 24, minutes % 60);
    return b;
}

std::string fixed2(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", v);
    return b;
}

double round2(double v) {
    return std::round(v * 100.0) / 100.0;
}

// The office service mixes JSON numbers and numeric text; so do we, field by field and row by row.
json::value number(double v, bool asText) {
    return asText ? json::value(fixed2(v)) : json::value(round2(v));
}

// "yyyy-MM-dd HH:mm:ss" → "HH:mm"
std::string clock(const std::string& stamp) {
    return stamp.size() >= 16 ? stamp.substr(11, 5) : "";
}

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

}  // namespace

DemoData::DemoData(const OfficeDatabase& db, unsigned seed, std::function<std::string()> now)
    : db_(db), seed_(seed), now_(std::move(now)) {
    db_.withConnection([this](sqlite3* c) {
        Stmt s(
            c,
            "SELECT empid,name,IFNULL(bus,''),shift,org_id,is_driver,one_card FROM employees ORDER BY card");
        while (s.step())
            staff_.push_back({s.text(0), s.text(1), s.text(2), s.text(6), static_cast<int>(s.integer(3)),
                              static_cast<int>(s.integer(4)), s.integer(5) != 0});
        Stmt b(
            c,
            "SELECT b.busname,b.route_id,r.name,r.first_stop,r.last_stop,b.fuel,r.length,b.odometer,r.depot "
            "FROM buses b JOIN routes r ON r.id=b.route_id ORDER BY b.busname");
        while (b.step())
            buses_.push_back({b.text(0), b.text(1), b.text(2), b.text(3), b.text(4), b.text(5), b.real(6),
                              b.real(7), static_cast<int>(b.integer(8))});
        return 0;
    });
}

unsigned DemoData::hash(const std::string& key) const {
    unsigned h = 2166136261u ^ seed_;
    for (unsigned char c : key) h = (h ^ c) * 16777619u;
    return h;
}

long DemoData::dayNumber(const std::string& day) {
    return civilDayNumber(day);
}

std::string DemoData::dayText(long n) {
    return civilDayText(n);
}

std::vector<long> DemoData::daysOf(const std::string& period) {
    std::vector<long> out;
    if (period.size() == 10) {
        if (long n = dayNumber(period); n >= 0) out.push_back(n);
        return out;
    }
    if (period.size() != 7) return out;
    long first = dayNumber(period + "-01");
    if (first < 0) return out;
    for (long d = first; dayText(d).substr(0, 7) == period; ++d) out.push_back(d);
    return out;
}

std::vector<long> DemoData::daysBetween(const std::string& start, const std::string& end) {
    std::vector<long> out;
    long a = dayNumber(start), b = dayNumber(end);
    if (a < 0 || b < a || b - a >= kMaxRangeDays) return out;
    for (long d = a; d <= b; ++d) out.push_back(d);
    return out;
}

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

void DemoData::eachRow(const std::vector<long>& days, const std::string& sql,
                       const std::function<void(Stmt&)>& bind, const std::function<void(Stmt&)>& row) const {
    db_.withConnection([&](sqlite3* c) {
        ensureDays(c, days);
        Stmt s(c, sql.c_str());
        bind(s);
        while (s.step()) row(s);
        return 0;
    });
}

void DemoData::generateDay(sqlite3* c, long dayNo) const {
    const std::string day = dayText(dayNo);
    auto at = [&](int minutes, int seconds = 0) {
        char b[16];
        std::snprintf(b, sizeof b, " %02d:%02d:%02d", (minutes / 60) % 24, minutes % 60, seconds % 60);
        return day + b;
    };
    Stmt trip(
        c,
        "INSERT INTO trips(run_date,busname,route_id,driver,shift,seq,leave_at,arrive_at,from_stop,to_stop,"
        "mile,revenue) VALUES(?,?,?,?,?,?,?,?,?,?,?,?)");
    Stmt receipt(c, "INSERT INTO ticket_receipts VALUES(?,?,?,?,?,?,?)");
    Stmt mile(c, "INSERT INTO mileage VALUES(?,?,?)");
    Stmt alert(
        c,
        "INSERT INTO violations(run_date,busname,driver,alert_type,alert_at,alert_value,stand_value,memo) "
        "VALUES(?,?,?,?,?,?,?,?)");
    Stmt roster(c, "INSERT INTO rosters VALUES(?,?,?,?,?,?,?,?,?)");
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

    auto crew = [&](const std::string& bus, int shift, bool driver) -> const Staff* {
        for (auto& s : staff_)
            if (s.bus == bus && s.shift == shift && s.driver == driver) return &s;
        return nullptr;
    };

    for (size_t bi = 0; bi < buses_.size(); ++bi) {
        const Bus& bus = buses_[bi];
        Rng r(hash("bus" + bus.name + day));
        int seq = 0;
        double km = 0;
        bool outbound = bi % 2 == 0;
        for (int shift = 1; shift <= 2; ++shift) {
            const Staff* driver = crew(bus.name, shift, true);
            const Staff* conductor = crew(bus.name, shift, false);
            if (!driver) continue;
            int start = (shift == 1 ? 5 * 60 + 30 : 13 * 60 + 5) + static_cast<int>(bi % 3) * 12 + r.below(6);
            int limit = shift == 1 ? 12 * 60 + 30 : 20 * 60 + 40;
            int t = start, last = start, revenueTrips = 0;
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
                trip.bind(11, m).bind(12, revenue ? 1 : 0).run();
                long long id = sqlite3_last_insert_rowid(c);
                double fare = bus.routeID == "K8" ? 2.0 : 1.0;
                if (revenue) {
                    int general = 8 + r.below(40), ic = 15 + r.below(60), freeIC = 2 + r.below(15);
                    receipt.bind(1, id)
                        .bind(2, general * fare)
                        .bind(3, general)
                        .bind(4, round2(ic * fare * 0.9));
                    receipt.bind(5, ic).bind(6, freeIC).bind(7, conductor ? conductor->name : "").run();
                    ++revenueTrips;
                }
                mile.bind(1, id)
                    .bind(2, revenue ? m : 0.0)
                    .bind(3, revenue ? (firstOfShift ? 2.6 : 0.0) : m)
                    .run();
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
            roster.bind(6, hhmm(start - 20))
                .bind(7, hhmm(last + 15))
                .bind(8, hhmm(start))
                .bind(9, revenueTrips)
                .run();
            for (const Staff* s : {driver, conductor}) {
                if (!s) continue;
                duty.bind(1, s->empID).bind(2, day).bind(3, hhmm(start - 20)).bind(4, hhmm(last + 15));
                duty.bind(5, at(start - 22 - r.below(10), r.below(60)));
                duty.bind(6, at(last + 15 + r.below(18), r.below(60))).run();
            }
        }
        double rate = bus.fuel.rfind("电", 0) == 0 ? 1.05 : bus.fuel.rfind("柴油", 0) == 0 ? 0.31 : 0.42;
        fuel.bind(1, bus.name).bind(2, day).bind(3, bus.routeID).bind(4, bus.fuel);
        fuel.bind(5, round2(km * rate * r.between(0.92, 1.08))).bind(6, at(21 * 60 + 40 + r.below(20))).run();
        if (r.below(6) == 0) {
            auto& m = kMaterials[r.below(6)];
            const Staff* who = crew(bus.name, 1 + r.below(2), true);
            stock.bind(1, bus.name).bind(2, day);
            stock.bind(3, "LL" + day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2) + bus.name.substr(3));
            stock.bind(4, m[0]).bind(5, "中心仓库").bind(6, kSuppliers[r.below(3)]).bind(7, "维修领料");
            stock.bind(8, 1.0 + r.below(4)).bind(9, std::stod(m[1])).bind(10, who ? who->name : "").run();
        }
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

namespace {

// Which trips belong to an employee: a driver or conductor sees the vehicle and shift rostered to
// them; office staff see every vehicle of their depot.
struct Scope {
    std::string bus;
    int shift = 0;
    int depot = 0;
    std::string where() const {
        return bus.empty()
                   ? " AND t.busname IN (SELECT b.busname FROM buses b JOIN routes r ON r.id=b.route_id "
                     "WHERE r.depot=?3)"
                   : " AND t.busname=?3 AND t.shift=?4";
    }
    void bind(Stmt& s) const {
        if (bus.empty()) {
            s.bind(3, depot);
        } else {
            s.bind(3, bus).bind(4, shift);
        }
    }
};

Scope scopeOf(const Employee& e) {
    return {e.bus, e.shift, e.depot};
}

}  // namespace

json::value DemoData::plan(const std::string& empID, const std::string& dayStr) const {
    json::object o;
    json::array trips;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    double planMile = 0, finishMile = 0, nonRevenue = 0;
    int planned = 0, finished = 0;
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        std::string current = now();
        db_.withConnection([&](sqlite3* c) {
            ensureDays(c, {day});
            Stmt s(c,
                   (std::string("SELECT t.id,t.arrive_at,t.busname,t.to_stop,t.leave_at,t.mile,r.name,t.seq,"
                                "t.shift,t.from_stop,t.revenue,m.unrun_km FROM trips t JOIN routes r ON "
                                "r.id=t.route_id JOIN mileage m ON m.trip_id=t.id WHERE t.run_date=?1") +
                    scope.where() + " ORDER BY t.busname,t.seq")
                       .c_str());
            s.bind(1, dayStr);
            scope.bind(s);
            int row = 0;
            while (s.step()) {
                bool sent = s.text(4) <= current, done = s.text(1) <= current, revenue = s.integer(10) != 0;
                double m = s.real(5);
                if (revenue) {
                    planMile += m;
                    ++planned;
                }
                if (done) {
                    if (revenue) {
                        finishMile += m;
                        ++finished;
                    }
                    nonRevenue += revenue ? s.real(11) : m;
                }
                json::object t;
                t["ArriveTime"] = clock(s.text(1));
                t["Busname"] = s.text(2);
                t["DisplanID"] = std::to_string(s.integer(0));
                t["EndStaion"] = s.text(3);
                t["ISSent"] = sent ? "1" : "0";
                t["IsFinised"] = done ? 1 : 0;
                t["LeaveTime"] = clock(s.text(4));
                t["Mile"] = number(m, row % 2 == 1);
                t["Recstate"] = done ? "已完成" : sent ? "运营中" : "计划";
                t["RouteName"] = revenue ? s.text(6) : s.text(6) + "(非营运)";
                t["SeqNum"] = std::to_string(s.integer(7));
                t["ShiftNum"] = s.integer(8) == 1 ? "早班" : "晚班";
                t["StartStation"] = s.text(9);
                trips.push_back(std::move(t));
                ++row;
            }
            return 0;
        });
    }
    o["MileFinishSum"] = fixed2(finishMile);
    o["MilePlanSum"] = round2(planMile);
    o["NonSeqMileFinishSum"] = round2(nonRevenue);
    o["SeqFinishSum"] = std::to_string(finished);
    o["SeqPlanSum"] = planned;
    o["DisplanDetailList"] = std::move(trips);
    return o;
}

json::value DemoData::nosendPlan(const std::string& empID, const std::string& dayStr) const {
    json::array trips;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        std::string current = now();
        db_.withConnection([&](sqlite3* c) {
            ensureDays(c, {day});
            Stmt s(c, (std::string("SELECT t.busname,t.leave_at,t.from_stop,t.to_stop FROM trips t "
                                   "WHERE t.run_date=?1 AND t.leave_at>?2") +
                       scope.where() + " ORDER BY t.leave_at,t.busname")
                          .c_str());
            s.bind(1, dayStr).bind(2, current);
            scope.bind(s);
            while (s.step()) {
                json::object t;
                t["Busname"] = s.text(0);
                t["LeaveTime"] = clock(s.text(1));
                t["LeaveStation"] = s.text(2);
                t["ArriveStation"] = s.text(3);
                trips.push_back(std::move(t));
            }
            return 0;
        });
    }
    json::object o;
    o["List"] = std::move(trips);
    return o;
}

json::value DemoData::arrange(const std::string& empID, const std::string& dayStr) const {
    json::array out;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day < 0 || !e) return out;
    db_.withConnection([&](sqlite3* c) {
        ensureDays(c, {day});
        // The crews of the employee's own route, or of the whole depot for office staff.
        Stmt s(c,
               "SELECT x.busname,x.empid,e.name,x.first_leave,x.on_work,x.off_work,x.shift,r.name,x.trips "
               "FROM rosters x JOIN employees e ON e.empid=x.empid JOIN routes r ON r.id=x.route_id "
               "WHERE x.run_date=?1 AND (x.route_id=(SELECT route_id FROM buses WHERE busname=?2) OR "
               "(?2='' AND r.depot=?3)) ORDER BY x.shift,x.busname");
        s.bind(1, dayStr).bind(2, e->bus).bind(3, e->depot);
        while (s.step()) {
            json::object a;
            a["Busname"] = s.text(0);
            a["Empid"] = s.text(1);
            a["Empname"] = s.text(2);
            a["Firstleavetime"] = s.text(3);
            a["OnWorktime"] = s.text(4);
            a["OffWorktime"] = s.text(5);
            a["Shiftnum"] = s.integer(6) == 1 ? "早班" : "晚班";
            a["Routename"] = s.text(7);
            a["SeqSum"] = std::to_string(s.integer(8));
            out.push_back(std::move(a));
        }
        return 0;
    });
    return out;
}

json::value DemoData::finishedTrips(const std::string& empID, const std::string& dayStr) const {
    json::object o;
    json::array trips;
    double mileSum = 0;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        std::string current = now();
        db_.withConnection([&](sqlite3* c) {
            ensureDays(c, {day});
            Stmt s(c, (std::string(
                           "SELECT r.name,t.leave_at,t.arrive_at,t.shift,t.busname,t.mile,t.seq,"
                           "t.from_stop,t.to_stop,t.revenue FROM trips t JOIN routes r ON r.id=t.route_id "
                           "WHERE t.run_date=?1 AND t.arrive_at<=?2") +
                       scope.where() + " ORDER BY t.busname,t.seq")
                          .c_str());
            s.bind(1, dayStr).bind(2, current);
            scope.bind(s);
            while (s.step()) {
                json::object t;
                t["RouteName"] = s.text(0);
                t["LeaveTime"] = s.text(1);
                t["ArriveTime"] = s.text(2);
                t["ShiftNum"] = s.integer(3) == 1 ? "早班" : "晚班";
                t["Busname"] = s.text(4);
                t["Mile"] = fixed2(s.real(5));
                t["SeqNum"] = s.integer(6);
                t["StartStation"] = s.text(7);
                t["EndStaion"] = s.text(8);
                t["Rectype"] = s.integer(9) ? "营运" : "非营运";
                mileSum += s.real(5);
                trips.push_back(std::move(t));
            }
            return 0;
        });
    }
    o["MileSum"] = round2(mileSum);
    o["SeqSum"] = std::to_string(trips.size());
    o["FinishDisplanList"] = std::move(trips);
    return o;
}

json::value DemoData::alertSummary(const std::string& empID, const std::string& bus, const std::string& start,
                                   const std::string& end) const {
    json::array out;
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string current = now();
    // No vehicle number: every vehicle of the employee's depot.
    eachRow(
        days,
        "SELECT v.alert_type,v.busname,COUNT(*),v.run_date FROM violations v WHERE v.run_date BETWEEN ?1 "
        "AND ?2 AND v.alert_at<=?3 AND (v.busname=?4 OR (?4='' AND v.busname IN (SELECT b.busname FROM "
        "buses b JOIN routes r ON r.id=b.route_id WHERE r.depot=?5))) "
        "GROUP BY v.run_date,v.busname,v.alert_type ORDER BY v.run_date,v.busname,v.alert_type",
        [&](Stmt& s) { s.bind(1, start).bind(2, end).bind(3, current).bind(4, bus).bind(5, e->depot); },
        [&](Stmt& s) {
            json::object o;
            o["AlertType"] = s.text(0);
            o["Busname"] = s.text(1);
            o["Num"] =
                out.size() % 3 == 2 ? json::value(std::to_string(s.integer(2))) : json::value(s.integer(2));
            o["Rundate"] = s.text(3);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::alertDetail(const std::string& empID, const std::string& bus, const std::string& type,
                                  const std::string& start, const std::string& end) const {
    json::array out;
    auto days = daysBetween(start, end);
    if (days.empty() || !db_.employee(empID)) return out;
    std::string current = now();
    eachRow(
        days,
        "SELECT alert_type,busname,alert_value,stand_value,alert_at,memo FROM violations WHERE run_date "
        "BETWEEN ?1 AND ?2 AND alert_at<=?3 AND busname=?4 AND alert_type=?5 ORDER BY alert_at",
        [&](Stmt& s) { s.bind(1, start).bind(2, end).bind(3, current).bind(4, bus).bind(5, type); },
        [&](Stmt& s) {
            json::object o;
            o["AlertType"] = s.text(0);
            o["Busname"] = s.text(1);
            o["AlertValue"] = s.text(2);
            o["StandValue"] = s.text(3);
            o["AlertTime"] = s.text(4);
            o["Memo"] = s.text(5);
            out.push_back(std::move(o));
        });
    return out;
}

namespace {

// The vehicles a maintenance, repair, material or fuel question covers, on `column`: the vehicle
// named by parameter ?bus, or, when that is empty, every vehicle of the depot in parameter ?depot.
std::string vehicleOrDepot(const std::string& column, int bus, int depot) {
    std::string b = "?" + std::to_string(bus);
    return "(" + column + "=" + b + " OR (" + b + "='' AND " + column +
           " IN (SELECT v.busname FROM buses v JOIN routes w ON w.id=v.route_id WHERE w.depot=?" +
           std::to_string(depot) + ")))";
}

}  // namespace

json::value DemoData::maintenance(const std::string& empID, const std::string& bus, const std::string& start,
                                  const std::string& end) const {
    json::array out;
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string today = now().substr(0, 10);
    eachRow(
        days,
        std::string("SELECT m.busname,m.level,m.plan_date,m.company,m.miles,m.plan_miles,m.pre_miles,r.name "
                    "FROM maintenance_plans m JOIN buses b ON b.busname=m.busname JOIN routes r ON "
                    "r.id=b.route_id WHERE m.plan_date BETWEEN ?1 AND ?2 AND ") +
            vehicleOrDepot("m.busname", 3, 4) + " ORDER BY m.plan_date,m.busname",
        [&](Stmt& s) { s.bind(1, start).bind(2, end).bind(3, bus).bind(4, e->depot); },
        [&](Stmt& s) {
            json::object o;
            o["Busname"] = s.text(0);
            o["DefLevel"] = s.text(1);
            o["Defplandate"] = s.text(2);
            o["DefCompany"] = s.text(3);
            o["DefMiles"] = s.real(4);
            o["DefplanMiles"] = fixed2(s.real(5));
            o["DefPreMiles"] = number(s.real(6), out.size() % 2 == 1);
            o["recordStatus"] = s.text(2) < today ? "已归档" : "未归档";
            o["RouteID"] = s.text(7);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::workorders(const std::string& empID, const std::string& bus, const std::string& start,
                                 const std::string& end) const {
    json::array out;
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string current = now();
    eachRow(
        days,
        std::string("SELECT "
                    "busname,report_at,comein_at,finish_at,create_type,org_name,cost,checkview,notes,level,"
                    "caretype,mendtype "
                    "FROM repair_orders WHERE report_date BETWEEN ?1 AND ?2 AND report_at<=?3 AND ") +
            vehicleOrDepot("busname", 4, 5) + " ORDER BY report_at",
        [&](Stmt& s) { s.bind(1, start).bind(2, end).bind(3, current).bind(4, bus).bind(5, e->depot); },
        [&](Stmt& s) {
            bool taken = s.text(2) <= current, done = s.text(3) <= current;
            json::object o;
            o["Busname"] = s.text(0);
            o["Status"] = done ? "已完工" : taken ? "维修中" : "待接修";
            o["Createtype"] = s.text(4);
            o["Orgname"] = s.text(5);
            o["Reportdate"] = s.text(1);
            o["Comeindate"] = taken ? s.text(2) : "";
            o["Finishdate"] = done ? s.text(3) : "";
            o["Factcost"] = done ? fixed2(s.real(6)) : "0.00";
            o["Checkview"] = s.text(7);
            o["Notes"] = done ? s.text(8) : "";
            o["level"] = s.text(9);
            o["caretype"] = s.text(10);
            o["mendtype"] = s.text(11);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::attendance(const std::string& empID, const std::string& start,
                                 const std::string& end) const {
    json::array out;
    auto e = db_.employee(empID);
    auto days = daysBetween(start, end);
    if (!e || days.empty()) return out;
    std::string current = now();
    eachRow(
        days,
        "SELECT exec_date,plan_on,plan_off,real_on_at,real_off_at FROM attendance WHERE empid=?1 AND "
        "exec_date BETWEEN ?2 AND ?3 AND real_on_at<=?4 ORDER BY exec_date",
        [&](Stmt& s) { s.bind(1, e->empID).bind(2, start).bind(3, end).bind(4, current); },
        [&](Stmt& s) {
            json::object o;
            o["Empname"] = e->name;
            o["Execdate"] = s.text(0);
            o["PlanOnworktime"] = s.text(1);
            o["PlanOffworktime"] = s.text(2);
            o["RealOnworktime"] = clock(s.text(3));
            o["RealOffworktime"] = s.text(4) <= current ? clock(s.text(4)) : "";
            out.push_back(std::move(o));
        });
    // Office staff keep office hours on weekdays and have no roster.
    if (!e->bus.empty()) return out;
    std::string today = current.substr(0, 10);
    for (long d : days) {
        std::string day = dayText(d);
        if (day > today || (d + 4) % 7 >= 5) continue;  // 1970-01-01 was a Thursday
        Rng r(hash("office" + e->empID + day));
        json::object o;
        o["Empname"] = e->name;
        o["Execdate"] = day;
        o["PlanOnworktime"] = "08:30";
        o["PlanOffworktime"] = "17:30";
        o["RealOnworktime"] = hhmm(8 * 60 + 10 + r.below(20));
        o["RealOffworktime"] = day < today ? hhmm(17 * 60 + 30 + r.below(40)) : "";
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::stockDetail(const std::string& empID, const std::string& bus,
                                  const std::string& period) const {
    json::array out;
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string today = now().substr(0, 10);
    eachRow(
        days,
        std::string("SELECT "
                    "busname,order_no,bill_date,count,price,material,warehouse,supplier,job_type,drawn_by "
                    "FROM stock_bills WHERE bill_date BETWEEN ?1 AND ?2 AND bill_date<=?3 AND ") +
            vehicleOrDepot("busname", 4, 5) + " ORDER BY busname,bill_date",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front()))
                .bind(2, dayText(days.back()))
                .bind(3, today)
                .bind(4, bus)
                .bind(5, e->depot);
        },
        [&](Stmt& s) {
            bool text = out.size() % 2 == 0;
            json::object o;
            o["Busname"] = s.text(0);
            o["Orderno"] = s.text(1);
            o["Billdate"] = s.text(2);
            o["Totalsum"] = number(s.real(3) * s.real(4), text);
            o["Count"] = s.real(3);
            o["Price"] = number(s.real(4), !text);
            o["Materialname"] = s.text(5);
            o["Warehousename"] = s.text(6);
            o["Suppliername"] = s.text(7);
            o["Jobtype"] = s.text(8);
            o["Empname"] = s.text(9);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::stockSummary(const std::string& empID, const std::string& bus,
                                   const std::string& period) const {
    json::array out;
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string today = now().substr(0, 10);
    eachRow(
        days,
        std::string("SELECT busname,SUM(count*price) FROM stock_bills WHERE bill_date BETWEEN ?1 AND ?2 AND "
                    "bill_date<=?3 AND ") +
            vehicleOrDepot("busname", 4, 5) + " GROUP BY busname ORDER BY busname",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front()))
                .bind(2, dayText(days.back()))
                .bind(3, today)
                .bind(4, bus)
                .bind(5, e->depot);
        },
        [&](Stmt& s) {
            json::object o;
            o["Busname"] = s.text(0);
            o["Totalsum"] = number(s.real(1), out.size() % 2 == 1);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::fuelSummary(const std::string& empID, const std::string& bus,
                                  const std::string& period) const {
    json::array out;
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string current = now();
    eachRow(
        days,
        std::string(
            "SELECT busname,fuel,SUM(quantity) FROM fuel_records WHERE run_date BETWEEN ?1 AND ?2 AND "
            "filled_at<=?3 AND ") +
            vehicleOrDepot("busname", 4, 5) + " GROUP BY busname ORDER BY busname",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front()))
                .bind(2, dayText(days.back()))
                .bind(3, current)
                .bind(4, bus)
                .bind(5, e->depot);
        },
        [&](Stmt& s) {
            json::object o;
            o["Busname"] = s.text(0);
            o["Runningdate"] = period;
            o["Fuelname"] = s.text(1);
            o["Fuelnum"] = number(s.real(2), out.size() % 2 == 1);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::fuelDetail(const std::string& empID, const std::string& bus,
                                 const std::string& period) const {
    json::array out;
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return out;
    std::string current = now();
    eachRow(
        days,
        std::string("SELECT f.run_date,f.quantity,r.name,f.fuel,f.busname FROM fuel_records f JOIN routes r "
                    "ON r.id=f.route_id WHERE f.run_date BETWEEN ?1 AND ?2 AND f.filled_at<=?3 AND ") +
            vehicleOrDepot("f.busname", 4, 5) + " ORDER BY f.busname,f.run_date",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front()))
                .bind(2, dayText(days.back()))
                .bind(3, current)
                .bind(4, bus)
                .bind(5, e->depot);
        },
        [&](Stmt& s) {
            json::object o;
            o["Runningdate"] = s.text(0);
            o["Fuelnum"] = number(s.real(1), out.size() % 2 == 0);
            o["Routename"] = s.text(2);
            o["Fuelname"] = s.text(3);
            o["Busname"] = s.text(4);
            out.push_back(std::move(o));
        });
    return out;
}

namespace {

// The drivers a revenue or mileage question covers: the employee alone, or with all set every
// driver of the employee's depot.
const char* kDriverScope =
    " AND ((?3=1 AND t.driver IN (SELECT empid FROM employees WHERE is_driver=1 AND org_id=?4)) OR "
    "(?3=0 AND t.driver=?5))";

void bindScope(Stmt& s, const Employee& e, bool all) {
    s.bind(3, all ? 1 : 0).bind(4, e.depot).bind(5, e.empID);
}

}  // namespace

json::value DemoData::revenueOneDay(const std::string& empID, bool all, const std::string& dayStr) const {
    json::array out;
    auto e = db_.employee(empID);
    long day = dayNumber(dayStr);
    if (!e || day < 0) return out;
    std::string current = now();
    eachRow(
        {day},
        (std::string("SELECT t.driver,t.busname,SUM(k.general_income),SUM(k.general_num),"
                     "SUM(k.ic_income),SUM(k.ic_num),MAX(k.attendant),SUM(k.free_ic_num),r.name FROM "
                     "trips t JOIN ticket_receipts k ON k.trip_id=t.id JOIN routes r ON r.id=t.route_id "
                     "WHERE t.run_date=?1 AND t.arrive_at<=?2") +
         kDriverScope + " GROUP BY t.driver,t.busname ORDER BY t.busname,t.driver"),
        [&](Stmt& s) {
            s.bind(1, dayStr).bind(2, current);
            bindScope(s, *e, all);
        },
        [&](Stmt& s) {
            bool text = out.size() % 2 == 0;
            json::object o;
            o["driverID"] = s.text(0);
            o["Busname"] = s.text(1);
            o["Rundate"] = dayStr;
            o["GeneralIncome"] = number(s.real(2), text);
            o["GeneralTicketNum"] = s.integer(3);
            o["IClIncome"] = number(s.real(4), !text);
            o["ICTicketNum"] = text ? json::value(std::to_string(s.integer(5))) : json::value(s.integer(5));
            o["attendant"] = s.text(6);
            o["FreeICTicketNum"] = s.integer(7);
            o["routeid"] = s.text(8);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::revenueSummary(const std::string& empID, bool all, const std::string& period) const {
    json::array out;
    auto e = db_.employee(empID);
    auto days = daysOf(period);
    if (!e || days.empty()) return out;
    std::string current = now();
    eachRow(
        days,
        (std::string("SELECT t.driver,e.name,SUM(k.ic_income),SUM(k.general_income) FROM trips t "
                     "JOIN ticket_receipts k ON k.trip_id=t.id JOIN employees e ON e.empid=t.driver "
                     "WHERE t.run_date BETWEEN ?1 AND ?6 AND t.arrive_at<=?2") +
         kDriverScope + " GROUP BY t.driver ORDER BY t.driver"),
        [&](Stmt& s) {
            s.bind(1, dayText(days.front())).bind(2, current).bind(6, dayText(days.back()));
            bindScope(s, *e, all);
        },
        [&](Stmt& s) {
            json::object o;
            // The summary names the driver with a capital D; the client reads it as driverID.
            o["DriverID"] = s.text(0);
            o["Drivername"] = s.text(1);
            o["OperateDate"] = period;
            o["IcTotalIncome"] = number(s.real(2), out.size() % 2 == 0);
            o["cashTotalIncome"] = round2(s.real(3));
            // Shown as the cash income, so it carries the cash figure.
            o["TotalIncome"] = number(s.real(3), out.size() % 2 == 1);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::revenueDetail(const std::string& driverID, const std::string& period) const {
    json::array out;
    auto e = db_.employee(driverID);
    auto days = daysOf(period);
    if (!e || days.empty()) return out;
    std::string current = now();
    eachRow(
        days,
        "SELECT t.busname,t.run_date,SUM(k.ic_income),SUM(k.general_income),SUM(k.free_ic_num),r.name "
        "FROM trips t JOIN ticket_receipts k ON k.trip_id=t.id JOIN routes r ON r.id=t.route_id WHERE "
        "t.run_date BETWEEN ?1 AND ?2 AND t.arrive_at<=?3 AND t.driver=?4 GROUP BY t.run_date,t.busname "
        "ORDER BY t.run_date",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front())).bind(2, dayText(days.back())).bind(3, current).bind(4, e->empID);
        },
        [&](Stmt& s) {
            for (int ic = 1; ic >= 0; --ic) {
                json::object o;
                o["Busname"] = s.text(0);
                o["Rundate"] = s.text(1);
                o["Income"] = number(ic ? s.real(2) : s.real(3), ic == 0);
                o["Memos"] = ic ? "免费IC卡" + std::to_string(s.integer(4)) + "人次" : "";
                o["ICorCash"] = ic ? "IC卡" : "现金";
                o["routeID"] = s.text(5);
                out.push_back(std::move(o));
            }
        });
    return out;
}

json::value DemoData::mileOneDay(const std::string& empID, bool all, const std::string& dayStr) const {
    json::array out;
    auto e = db_.employee(empID);
    long day = dayNumber(dayStr);
    if (!e || day < 0) return out;
    std::string current = now();
    eachRow(
        {day},
        (std::string("SELECT e.name,r.name,SUM(m.run_km),SUM(m.unrun_km),t.driver FROM trips t JOIN "
                     "mileage m ON m.trip_id=t.id JOIN routes r ON r.id=t.route_id JOIN employees e ON "
                     "e.empid=t.driver WHERE t.run_date=?1 AND t.arrive_at<=?2") +
         kDriverScope + " GROUP BY t.driver ORDER BY t.driver"),
        [&](Stmt& s) {
            s.bind(1, dayStr).bind(2, current);
            bindScope(s, *e, all);
        },
        [&](Stmt& s) {
            json::object o;
            o["drivername"] = s.text(0);
            o["Rundate"] = dayStr;
            o["routeid"] = s.text(1);
            o["Milenum"] = number(s.real(2), out.size() % 2 == 0);
            o["unRunMilenum"] = round2(s.real(3));
            o["driverID"] = s.text(4);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::mileSummary(const std::string& empID, bool all, const std::string& period) const {
    json::array out;
    auto e = db_.employee(empID);
    auto days = daysOf(period);
    if (!e || days.empty()) return out;
    std::string current = now();
    eachRow(
        days,
        (std::string("SELECT e.name,SUM(m.run_km),t.driver FROM trips t JOIN mileage m ON "
                     "m.trip_id=t.id JOIN employees e ON e.empid=t.driver WHERE t.run_date BETWEEN ?1 "
                     "AND ?6 AND t.arrive_at<=?2") +
         kDriverScope + " GROUP BY t.driver ORDER BY t.driver"),
        [&](Stmt& s) {
            s.bind(1, dayText(days.front())).bind(2, current).bind(6, dayText(days.back()));
            bindScope(s, *e, all);
        },
        [&](Stmt& s) {
            json::object o;
            o["drivername"] = s.text(0);
            o["Milenum"] = number(s.real(1), out.size() % 2 == 0);
            o["driverID"] = s.text(2);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::mileDetail(const std::string& driverID, const std::string& period) const {
    json::array out;
    auto e = db_.employee(driverID);
    auto days = daysOf(period);
    if (!e || days.empty()) return out;
    std::string current = now();
    eachRow(
        days,
        "SELECT t.run_date,r.name,SUM(m.run_km),SUM(m.unrun_km) FROM trips t JOIN mileage m ON "
        "m.trip_id=t.id JOIN routes r ON r.id=t.route_id WHERE t.run_date BETWEEN ?1 AND ?2 AND "
        "t.arrive_at<=?3 AND t.driver=?4 GROUP BY t.run_date ORDER BY t.run_date",
        [&](Stmt& s) {
            s.bind(1, dayText(days.front())).bind(2, dayText(days.back())).bind(3, current).bind(4, e->empID);
        },
        [&](Stmt& s) {
            json::object o;
            o["drivername"] = e->name;
            o["Rundate"] = s.text(0);
            o["routeid"] = s.text(1);
            o["Milenum"] = number(s.real(2), out.size() % 2 == 1);
            o["unRunMilenum"] = round2(s.real(3));
            o["driverID"] = e->empID;
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::salary(const std::string& empID, const std::string& month) const {
    json::array out;
    auto e = db_.employee(empID);
    if (!e || month.size() != 6 || month.find_first_not_of("0123456789") != std::string::npos) return out;
    std::string m = month.substr(0, 4) + "-" + month.substr(4);
    if (daysOf(m).empty()) return out;
    // A statement exists for every month from joining up to the last completed one.
    std::string current = now();
    std::string joined(e->profile.at("startTime").as_string());
    if (m >= current.substr(0, 7) || m < joined.substr(0, 7)) return out;
    db_.withConnection([&](sqlite3* c) {
        Stmt have(c, "SELECT COUNT(*) FROM salaries WHERE empid=? AND month=?");
        have.bind(1, e->empID).bind(2, m);
        if (have.step() && have.integer(0) == 0) {
            Rng r(hash("salary" + e->empID + m));
            double base = e->isDriver ? 3450 : e->bus.empty() ? 3900 : 2800;
            int years = std::atoi(std::string(e->profile.at("serviceAge").as_string()).c_str());
            std::vector<std::pair<std::string, double>> items = {
                {"基本工资", base},
                {"岗位工资", e->isDriver ? 1200 : 800},
                {"工龄工资", 30.0 * years},
                {"绩效工资", round2(r.between(1200, 2600))},
                {"加班费", round2(r.between(0, 900))},
                {"安全奖", e->isDriver ? 100.0 * (2 + r.below(3)) : 0},
                {"餐补", 300}};
            double gross = 0;
            for (auto& [_, v] : items) gross += v;
            double pension = round2(gross * 0.08), medical = round2(gross * 0.02),
                   unemployment = round2(gross * 0.005), housing = round2(gross * 0.07);
            double taxable = gross - pension - medical - unemployment - housing - 5000;
            double tax = taxable <= 0 ? 0 : taxable <= 3000 ? taxable * 0.03 : taxable * 0.1 - 210;
            tax = round2(tax);
            items.push_back({"应发合计", round2(gross)});
            items.push_back({"代扣养老保险", pension});
            items.push_back({"代扣医疗保险", medical});
            items.push_back({"代扣失业保险", unemployment});
            items.push_back({"代扣住房公积金", housing});
            items.push_back({"代扣个人所得税", tax});
            items.push_back({"实发金额", round2(gross - pension - medical - unemployment - housing - tax)});
            Stmt ins(c, "INSERT INTO salaries VALUES(?,?,?,?,?)");
            int position = 0;
            for (auto& [name, v] : items)
                ins.bind(1, e->empID).bind(2, m).bind(3, position++).bind(4, name).bind(5, v).run();
        }
        Stmt s(c, "SELECT item,amount FROM salaries WHERE empid=? AND month=? ORDER BY position");
        s.bind(1, e->empID).bind(2, m);
        while (s.step()) {
            json::object o;
            o["ItemName"] = s.text(0);
            o["ItemNum"] = number(s.real(1), out.size() % 3 != 1);
            out.push_back(std::move(o));
        }
        return 0;
    });
    return out;
}

json::value DemoData::mealCard(int kind, const std::string& empID, const std::string& start,
                               const std::string& end) const {
    json::array out;
    auto e = db_.employee(empID);
    auto days = daysBetween(start, end);
    if (!e || days.empty() || kind < 0 || kind > 2) return out;
    std::string current = now();
    eachRow(
        days,
        "SELECT act_at,canteen,load_at,money,remain FROM meal_card_records WHERE empid=?1 AND kind=?2 "
        "AND "
        "act_at BETWEEN ?3 AND ?4 AND act_at<=?5 ORDER BY act_at",
        [&](Stmt& s) {
            s.bind(1, e->empID)
                .bind(2, kind)
                .bind(3, start + " 00:00:00")
                .bind(4, end + " 23:59:59")
                .bind(5, current);
        },
        [&](Stmt& s) {
            json::object o;
            o["ActTime"] = s.text(0);
            o["CanteenName"] = s.text(1);
            o["Loadtime"] = s.text(2);
            o["Money"] = number(s.real(3), out.size() % 2 == 0);
            o["RemainMoney"] = number(s.real(4), out.size() % 2 == 1);
            out.push_back(std::move(o));
        });
    return out;
}

json::value DemoData::riding(const std::string& oneCardID) const {
    json::array out;
    // Bus-card records are looked up by the card's own number only.
    auto e = db_.employeeByBusCard(oneCardID);
    if (!e) return out;
    std::string current = now();
    long today = dayNumber(current.substr(0, 10));
    if (today < 0) return out;
    std::vector<long> days;
    for (long d = today - 29; d <= today; ++d) days.push_back(d);
    eachRow(
        days,
        "SELECT act_at,route_name,remain FROM bus_card_records WHERE one_card=?1 AND act_at>=?2 AND "
        "act_at<=?3 ORDER BY act_at DESC",
        [&](Stmt& s) { s.bind(1, e->oneCardID).bind(2, dayText(today - 29)).bind(3, current); },
        [&](Stmt& s) {
            json::object o;
            o["ActTime"] = s.text(0);
            o["Routename"] = s.text(1);
            o["RemainMoney"] = number(s.real(2), out.size() % 2 == 1);
            out.push_back(std::move(o));
        });
    return out;
}

}  // namespace busdesk::sim
