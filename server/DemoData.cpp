#include "server/DemoData.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>

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
    return static_cast<double>(static_cast<long long>(v * 100 + 0.5)) / 100.0;
}

// Half of the figures go out as numeric text, the way the office service mixes them.
json::value number(double v, bool asText) {
    return asText ? json::value(fixed2(v)) : json::value(round2(v));
}

bool busMatches(const std::string& wanted, const std::string& bus) {
    return wanted.empty() || wanted == bus;
}

const char* kAlertTypes[] = {"超速", "急加速", "急刹车", "疲劳驾驶", "开门行车"};
const char* kStandards[] = {"60km/h", "2.5m/s²", "3.0m/s²", "4小时", "0km/h"};
const char* kMaterials[][3] = {{"机油滤清器", "个", "45"}, {"刹车片", "套", "320"}, {"雨刮片", "副", "38"},
                               {"轮胎", "条", "1250"},     {"灯泡", "个", "12"},    {"冷却液", "桶", "86"}};
const char* kCanteens[] = {"第一食堂", "第二食堂", "保修车间餐厅", "调度中心餐厅"};

}  // namespace

unsigned DemoData::hash(const std::string& key) const {
    unsigned h = 2166136261u ^ seed_;
    for (unsigned char c : key) h = (h ^ c) * 16777619u;
    return h;
}

long DemoData::dayNumber(const std::string& day) {
    int y, m, d;
    char extra;
    if (day.size() != 10 || std::sscanf(day.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3) return -1;
    if (m < 1 || m > 12 || d < 1 || d > 31) return -1;
    // Days from civil (proleptic Gregorian).
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long n = era * 146097 + doe - 719468;
    return dayText(n) == day ? n : -1;  // rejects 2025-02-30
}

std::string DemoData::dayText(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    long d = doy - (153 * mp + 2) / 5 + 1;
    long m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char b[80];
    std::snprintf(b, sizeof b, "%04ld-%02ld-%02ld", y, m, d);
    return b;
}

std::vector<std::string> DemoData::daysOf(const std::string& period) {
    std::vector<std::string> out;
    if (period.size() == 10) {
        if (dayNumber(period) >= 0) out.push_back(period);
        return out;
    }
    if (period.size() != 7 || dayNumber(period + "-01") < 0) return out;
    for (int d = 1; d <= 31; ++d) {
        char b[4];
        std::snprintf(b, sizeof b, "%02d", d);
        if (dayNumber(period + "-" + b) >= 0) out.push_back(period + "-" + b);
    }
    return out;
}

json::value DemoData::plan(const std::string& empID, const std::string& day) const {
    json::object o;
    json::array trips;
    auto routes = db_.routes();
    auto buses = db_.buses();
    if (dayNumber(day) >= 0 && db_.employee(empID) && !routes.empty()) {
        Rng r(hash("plan" + empID + day));
        auto& route = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))];
        std::string bus = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
        int count = 8 + r.below(5);
        int start = 5 * 60 + 30 + r.below(60);
        double planMile = 0, finishMile = 0, nonRevenue = 0;
        int finished = 0;
        for (int i = 0; i < count; ++i) {
            bool up = i % 2 == 0;
            int leave = start + i * 70;
            int arrive = leave + 50 + r.below(15);
            bool done = i < count / 2 + r.below(3);
            double mile = route.length + r.between(-0.5, 0.5);
            planMile += mile;
            if (done) {
                finishMile += mile;
                ++finished;
            }
            json::object t;
            t["ArriveTime"] = hhmm(arrive);
            t["Busname"] = bus;
            t["DisplanID"] = std::to_string(hash(day) % 90000 + 10000 + static_cast<unsigned>(i));
            t["EndStaion"] = up ? route.last : route.first;
            t["ISSent"] = done ? "1" : "0";
            t["IsFinised"] = done ? 1 : 0;
            t["LeaveTime"] = hhmm(leave);
            t["Mile"] = number(mile, i % 2 == 1);
            t["Recstate"] = done ? "已完成" : "计划";
            t["RouteName"] = route.name;
            t["SeqNum"] = std::to_string(i + 1);
            t["ShiftNum"] = i < count / 2 ? "早班" : "晚班";
            t["StartStation"] = up ? route.first : route.last;
            trips.push_back(std::move(t));
        }
        nonRevenue = round2(r.between(1.0, 4.0));
        o["MileFinishSum"] = fixed2(finishMile);
        o["MilePlanSum"] = round2(planMile);
        o["NonSeqMileFinishSum"] = nonRevenue;
        o["SeqFinishSum"] = std::to_string(finished);
        o["SeqPlanSum"] = count;
    }
    o["DisplanDetailList"] = std::move(trips);
    return o;
}

json::value DemoData::nosendPlan(const std::string& empID, const std::string& day) const {
    json::array trips;
    auto routes = db_.routes();
    if (dayNumber(day) >= 0 && db_.employee(empID)) {
        Rng r(hash("nosend" + empID + day));
        auto& route = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))];
        auto buses = db_.buses();
        std::string bus = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
        int count = 6 + r.below(4);
        for (int i = 0; i < count; ++i) {
            json::object t;
            t["Busname"] = bus;
            t["LeaveTime"] = day + " " + hhmm(6 * 60 + i * 75 + r.below(10)) + ":00";
            t["LeaveStation"] = i % 2 ? route.last : route.first;
            t["ArriveStation"] = i % 2 ? route.first : route.last;
            trips.push_back(std::move(t));
        }
    }
    json::object o;
    o["List"] = std::move(trips);
    return o;
}

json::value DemoData::arrange(const std::string& empID, const std::string& day) const {
    json::array out;
    if (dayNumber(day) < 0 || !db_.employee(empID)) return out;
    auto routes = db_.routes();
    auto buses = db_.buses();
    int i = 0;
    for (auto& e : db_.drivers()) {
        Rng r(hash("arrange" + e.cardID + day));
        auto& route = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))];
        int on = 5 * 60 + 10 + r.below(8) * 15;
        json::object a;
        a["Busname"] = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
        a["Empid"] = e.profile.at("EmpID");
        a["Empname"] = e.profile.at("Name");
        a["Firstleavetime"] = hhmm(on + 20);
        a["OnWorktime"] = hhmm(on);
        a["OffWorktime"] = hhmm(on + 8 * 60 + 30);
        a["Shiftnum"] = (i++ % 2) ? "晚班" : "早班";
        a["Routename"] = route.name;
        a["SeqSum"] = std::to_string(6 + r.below(5));
        out.push_back(std::move(a));
    }
    return out;
}

json::value DemoData::finishedTrips(const std::string& empID, const std::string& day) const {
    json::object o;
    json::array trips;
    double mileSum = 0;
    if (dayNumber(day) >= 0 && db_.employee(empID)) {
        Rng r(hash("finish" + empID + day));
        auto routes = db_.routes();
        auto& route = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))];
        auto buses = db_.buses();
        std::string bus = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
        int count = 5 + r.below(5);
        for (int i = 0; i < count; ++i) {
            int leave = 6 * 60 + i * 72 + r.below(6);
            double mile = route.length + r.between(-0.3, 0.3);
            mileSum += mile;
            json::object t;
            t["RouteName"] = route.name;
            t["LeaveTime"] = day + " " + hhmm(leave) + ":00";
            t["ArriveTime"] = day + " " + hhmm(leave + 52 + r.below(10)) + ":00";
            t["ShiftNum"] = i < count / 2 ? "早班" : "晚班";
            t["Busname"] = bus;
            t["Mile"] = number(mile, i % 2 == 0);
            t["SeqNum"] = i + 1;
            t["StartStation"] = i % 2 ? route.last : route.first;
            t["EndStaion"] = i % 2 ? route.first : route.last;
            t["Rectype"] = r.below(6) == 0 ? "非营运" : "营运";
            trips.push_back(std::move(t));
        }
        o["MileSum"] = fixed2(mileSum);
        o["SeqSum"] = count;
    }
    o["FinishDisplanList"] = std::move(trips);
    return o;
}

json::value DemoData::alertSummary(const std::string& bus, const std::string& start,
                                   const std::string& end) const {
    json::array out;
    long a = dayNumber(start), b = dayNumber(end);
    if (a < 0 || b < a || b - a > 62) return out;
    for (long d = a; d <= b; ++d) {
        for (auto& busname : db_.buses()) {
            if (!busMatches(bus, busname)) continue;
            Rng r(hash("alert" + busname + dayText(d)));
            if (r.below(3) == 0) continue;
            int kinds = 1 + r.below(2);
            for (int k = 0; k < kinds; ++k) {
                json::object o;
                o["AlertType"] = kAlertTypes[(r.below(5) + k) % 5];
                o["Busname"] = busname;
                o["Num"] =
                    (k % 2) ? json::value(std::to_string(1 + r.below(6))) : json::value(1 + r.below(6));
                o["Rundate"] = dayText(d);
                out.push_back(std::move(o));
            }
        }
    }
    return out;
}

json::value DemoData::alertDetail(const std::string& bus, const std::string& type,
                                  const std::string& day) const {
    json::array out;
    if (dayNumber(day) < 0) return out;
    int typeIndex = -1;
    for (int i = 0; i < 5; ++i)
        if (type == kAlertTypes[i]) typeIndex = i;
    if (typeIndex < 0) return out;
    Rng r(hash("detail" + bus + type + day));
    int n = 1 + r.below(5);
    for (int i = 0; i < n; ++i) {
        json::object o;
        o["AlertType"] = type;
        o["Busname"] = bus;
        o["AlertValue"] =
            typeIndex == 0 ? std::to_string(62 + r.below(20)) + "km/h" : fixed2(r.between(2.6, 5.0));
        o["StandValue"] = kStandards[typeIndex];
        o["AlertTime"] = day + " " + hhmm(6 * 60 + r.below(14 * 60)) + ":" + std::to_string(10 + r.below(49));
        o["Memo"] = r.below(2) ? "已提醒驾驶员" : "";
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::maintenance(const std::string& bus, const std::string& start,
                                  const std::string& end) const {
    json::array out;
    long a = dayNumber(start), b = dayNumber(end);
    if (a < 0 || b < a) return out;
    auto routes = db_.routes();
    for (auto& busname : db_.buses()) {
        if (!busMatches(bus, busname)) continue;
        Rng r(hash("def" + busname));
        // One maintenance every 20 days per vehicle, phase set by the vehicle.
        long phase = r.below(20);
        for (long d = a; d <= b; ++d) {
            if ((d + phase) % 20 != 0) continue;
            json::object o;
            o["Busname"] = busname;
            o["DefLevel"] = (d / 20) % 3 == 0 ? "二级保养" : "一级保养";
            o["Defplandate"] = dayText(d);
            o["DefCompany"] = "保修车间" + std::to_string(1 + r.below(3)) + "号工位";
            double miles = 120000 + static_cast<double>(d % 1000) * 37.5;
            o["DefMiles"] = number(miles, false);
            o["DefplanMiles"] = number(miles + 5000, true);
            o["DefPreMiles"] = 500;
            o["recordStatus"] = d < b - 3 ? "已归档" : "未归档";
            o["RouteID"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
            out.push_back(std::move(o));
        }
    }
    return out;
}

json::value DemoData::workorders(const std::string& bus, const std::string& start,
                                 const std::string& end) const {
    json::array out;
    long a = dayNumber(start), b = dayNumber(end);
    if (a < 0 || b < a) return out;
    const char* faults[] = {"后门关闭异响", "空调不制冷", "刹车偏软", "仪表盘报警灯亮", "雨刮不回位"};
    const char* fixes[] = {"更换门泵", "补充冷媒，更换滤网", "更换刹车片并调整", "更换传感器",
                           "更换雨刮电机"};
    for (auto& busname : db_.buses()) {
        if (!busMatches(bus, busname)) continue;
        for (long d = a; d <= b; ++d) {
            Rng r(hash("wo" + busname + dayText(d)));
            if (r.below(7) != 0) continue;
            int f = r.below(5);
            json::object o;
            o["Busname"] = busname;
            o["Status"] = d < b ? "已完工" : "维修中";
            o["Createtype"] = r.below(2) ? "驾驶员报修" : "例检发现";
            o["Orgname"] = "保修车间";
            o["Reportdate"] = dayText(d) + " 07:" + std::to_string(10 + r.below(49));
            o["Comeindate"] = dayText(d) + " 09:" + std::to_string(10 + r.below(49));
            o["Finishdate"] = d < b ? dayText(d + 1) + " 16:30" : "";
            o["Factcost"] = fixed2(r.between(80, 1800));
            o["Checkview"] = faults[f];
            o["Notes"] = fixes[f];
            o["level"] = "小修";
            o["caretype"] = "故障维修";
            o["mendtype"] = r.below(2) ? "机修" : "电修";
            out.push_back(std::move(o));
        }
    }
    return out;
}

json::value DemoData::attendance(const std::string& empID, const std::string& start,
                                 const std::string& end) const {
    json::array out;
    auto e = db_.employee(empID);
    long a = dayNumber(start), b = dayNumber(end);
    if (!e || a < 0 || b < a || b - a > 92) return out;
    for (long d = a; d <= b; ++d) {
        Rng r(hash("duty" + empID + dayText(d)));
        if ((d + 4) % 7 == 6) continue;  // a rest day each week
        int on = 5 * 60 + 30 + r.below(4) * 30;
        json::object o;
        o["Empname"] = e->profile.at("Name");
        o["Execdate"] = dayText(d);
        o["PlanOnworktime"] = hhmm(on);
        o["PlanOffworktime"] = hhmm(on + 8 * 60);
        o["RealOnworktime"] = hhmm(on - 5 - r.below(10));
        o["RealOffworktime"] = hhmm(on + 8 * 60 + r.below(20));
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::stockDetail(const std::string& bus, const std::string& period) const {
    json::array out;
    auto days = daysOf(period);
    auto drivers = db_.drivers();
    for (auto& busname : db_.buses()) {
        if (!busMatches(bus, busname)) continue;
        for (auto& day : days) {
            Rng r(hash("stock" + busname + day));
            if (r.below(5) != 0) continue;
            auto& m = kMaterials[r.below(6)];
            double count = 1 + r.below(4);
            double price = std::stod(m[2]);
            json::object o;
            o["Busname"] = busname;
            o["Orderno"] = "LL" + day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2) +
                           std::to_string(100 + r.below(900));
            o["Billdate"] = day;
            o["Totalsum"] = number(count * price, r.below(2));
            o["Count"] = count;
            o["Price"] = number(price, true);
            o["Materialname"] = m[0];
            o["Warehousename"] = "中心仓库";
            o["Suppliername"] = "济南汽配有限公司";
            o["Jobtype"] = "维修领料";
            o["Empname"] =
                drivers.empty()
                    ? json::value("")
                    : drivers[static_cast<size_t>(r.below(static_cast<int>(drivers.size())))].profile.at(
                          "Name");
            out.push_back(std::move(o));
        }
    }
    return out;
}

json::value DemoData::stockSummary(const std::string& bus, const std::string& period) const {
    json::array out;
    auto rows = stockDetail(bus, period).as_array();
    std::map<std::string, double> sums;
    for (auto& row : rows) {
        auto& t = row.as_object().at("Totalsum");
        sums[std::string(row.as_object().at("Busname").as_string())] +=
            t.is_string() ? std::stod(std::string(t.as_string())) : t.as_double();
    }
    for (auto& [b, s] : sums) {
        json::object o;
        o["Busname"] = b;
        o["Totalsum"] = round2(s);
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::fuelDetail(const std::string& bus, const std::string& period) const {
    json::array out;
    auto routes = db_.routes();
    for (auto& busname : db_.buses()) {
        if (!busMatches(bus, busname)) continue;
        Rng rb(hash("fueltype" + busname));
        bool electric = rb.below(3) == 0;
        for (auto& day : daysOf(period)) {
            Rng r(hash("fuel" + busname + day));
            json::object o;
            o["Runningdate"] = day;
            o["Fuelnum"] = number(electric ? r.between(120, 220) : r.between(45, 85), r.below(2));
            o["Routename"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
            o["Fuelname"] = electric ? "电(kWh)" : "柴油(L)";
            o["Busname"] = busname;
            out.push_back(std::move(o));
        }
    }
    return out;
}

json::value DemoData::fuelSummary(const std::string& bus, const std::string& period) const {
    json::array out;
    std::map<std::pair<std::string, std::string>, double> sums;
    auto detail = fuelDetail(bus, period);  // keep the rows alive while summing them
    for (auto& row : detail.as_array()) {
        auto& o = row.as_object();
        auto& n = o.at("Fuelnum");
        sums[{std::string(o.at("Busname").as_string()), std::string(o.at("Fuelname").as_string())}] +=
            n.is_string() ? std::stod(std::string(n.as_string())) : n.as_double();
    }
    for (auto& [k, s] : sums) {
        json::object o;
        o["Busname"] = k.first;
        o["Runningdate"] = period;
        o["Fuelname"] = k.second;
        o["Fuelnum"] = round2(s);
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::revenueOneDay(const std::string& empID, bool all, const std::string& day) const {
    json::array out;
    if (dayNumber(day) < 0) return out;
    auto routes = db_.routes();
    auto buses = db_.buses();
    auto me = db_.employee(empID);
    for (auto& e : db_.drivers()) {
        if (!all && (!me || me->cardID != e.cardID)) continue;
        Rng r(hash("rev" + e.cardID + day));
        json::object o;
        o["driverID"] = e.profile.at("EmpID");
        o["Busname"] = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
        o["Rundate"] = day;
        o["GeneralIncome"] = number(r.between(200, 600), r.below(2));
        o["GeneralTicketNum"] = 100 + r.below(300);
        o["IClIncome"] = number(r.between(300, 900), false);
        o["ICTicketNum"] = std::to_string(200 + r.below(500));
        o["attendant"] = r.below(2) ? "无人售票" : "王晓燕";
        o["FreeICTicketNum"] = 20 + r.below(80);
        o["routeid"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::revenueSummary(const std::string& empID, bool all, const std::string& month) const {
    json::array out;
    auto days = daysOf(month);
    if (days.empty() || month.size() != 7) return out;
    auto me = db_.employee(empID);
    for (auto& e : db_.drivers()) {
        if (!all && (!me || me->cardID != e.cardID)) continue;
        Rng r(hash("revsum" + e.cardID + month));
        double ic = r.between(9000, 26000), cash = r.between(6000, 15000);
        json::object o;
        o["DriverID"] = e.profile.at("EmpID");  // the summary spells the key with a capital D
        o["Drivername"] = e.profile.at("Name");
        o["OperateDate"] = month;
        o["IcTotalIncome"] = number(ic, true);
        o["cashTotalIncome"] = round2(cash);
        o["TotalIncome"] = round2(cash);
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::revenueDetail(const std::string& driverID, const std::string& month) const {
    json::array out;
    auto e = db_.employee(driverID);
    if (!e || month.size() != 7) return out;
    auto routes = db_.routes();
    auto buses = db_.buses();
    for (auto& day : daysOf(month)) {
        Rng r(hash("revdet" + e->cardID + day));
        for (int k = 0; k < 2; ++k) {
            json::object o;
            o["Busname"] = buses[static_cast<size_t>(r.below(static_cast<int>(buses.size())))];
            o["Rundate"] = day;
            o["Income"] = number(r.between(250, 900), k == 1);
            o["Memos"] = "";
            o["ICorCash"] = k == 0 ? "IC卡" : "现金";
            o["routeID"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
            out.push_back(std::move(o));
        }
    }
    return out;
}

json::value DemoData::mileOneDay(const std::string& empID, bool all, const std::string& day) const {
    json::array out;
    if (dayNumber(day) < 0) return out;
    auto routes = db_.routes();
    auto me = db_.employee(empID);
    for (auto& e : db_.drivers()) {
        if (!all && (!me || me->cardID != e.cardID)) continue;
        Rng r(hash("mile" + e.cardID + day));
        json::object o;
        o["drivername"] = e.profile.at("Name");
        o["Rundate"] = day;
        o["routeid"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
        o["Milenum"] = number(r.between(120, 260), r.below(2));
        o["unRunMilenum"] = number(r.between(2, 12), false);
        o["driverID"] = e.profile.at("EmpID");
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::mileSummary(const std::string& empID, bool all, const std::string& month) const {
    json::array out;
    if (month.size() != 7 || daysOf(month).empty()) return out;
    auto me = db_.employee(empID);
    for (auto& e : db_.drivers()) {
        if (!all && (!me || me->cardID != e.cardID)) continue;
        Rng r(hash("milesum" + e.cardID + month));
        json::object o;
        o["drivername"] = e.profile.at("Name");
        o["Milenum"] = number(r.between(4200, 6800), true);
        o["driverID"] = e.profile.at("EmpID");
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::mileDetail(const std::string& driverID, const std::string& month) const {
    json::array out;
    auto e = db_.employee(driverID);
    if (!e || month.size() != 7) return out;
    for (auto& day : daysOf(month)) {
        auto one = mileOneDay(driverID, false, day).as_array();
        for (auto& row : one) out.push_back(row);
    }
    return out;
}

json::value DemoData::salary(const std::string& empID, const std::string& month) const {
    json::array out;
    auto e = db_.employee(empID);
    int y, m;
    char extra;
    if (!e || month.size() != 6 || std::sscanf(month.c_str(), "%4d%2d%c", &y, &m, &extra) != 2 || m < 1 ||
        m > 12)
        return out;
    // Pay exists from 2020 up to the current month.
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    if (y < 2020 || y * 100 + m > (tm.tm_year + 1900) * 100 + tm.tm_mon + 1) return out;
    Rng r(hash("salary" + e->cardID + month));
    double base = 3200 + r.below(8) * 50, merit = r.between(800, 2200), overtime = r.between(0, 900);
    double meal = 300, social = -(base * 0.105), fund = -(base * 0.08);
    double gross = base + merit + overtime + meal;
    double tax = -std::max(0.0, (gross + social + fund - 5000) * 0.03);
    struct Item {
        const char* name;
        double value;
    } items[] = {{"基本工资", base},   {"绩效工资", merit}, {"加班费", overtime},
                 {"餐补", meal},       {"应发合计", gross}, {"社会保险", social},
                 {"住房公积金", fund}, {"个人所得税", tax}, {"实发金额", gross + social + fund + tax}};
    int i = 0;
    for (auto& it : items) {
        json::object o;
        o["ItemName"] = it.name;
        o["ItemNum"] = (i++ % 2) ? json::value(fixed2(it.value)) : json::value(round2(it.value));
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::mealCard(int kind, const std::string& empID, const std::string& start,
                               const std::string& end) const {
    json::array out;
    long a = dayNumber(start), b = dayNumber(end);
    if (!db_.employee(empID) || a < 0 || b < a || b - a > 366) return out;
    double balance = 300;
    for (long d = a; d <= b; ++d) {
        Rng r(hash("meal" + empID + dayText(d)));
        double spend = r.between(8, 22);
        bool recharge = r.below(10) == 0;
        bool subsidy = dayText(d).substr(8) == "01";
        if (subsidy) balance += 300;
        if (recharge) balance += 100;
        balance -= spend;
        json::object o;
        o["Loadtime"] = dayText(d) + " 00:00:00";
        o["CanteenName"] = kCanteens[r.below(4)];
        if (kind == 0 && recharge) {
            o["ActTime"] = dayText(d) + " 10:" + std::to_string(10 + r.below(49)) + ":00";
            o["Money"] = number(100, true);
        } else if (kind == 1) {
            o["ActTime"] = dayText(d) + " 12:" + std::to_string(10 + r.below(49)) + ":00";
            o["Money"] = number(spend, r.below(2));
        } else if (kind == 2 && subsidy) {
            o["ActTime"] = dayText(d) + " 00:30:00";
            o["Money"] = number(300, false);
            o["CanteenName"] = "公司补贴";
        } else {
            continue;
        }
        o["RemainMoney"] = fixed2(balance);
        out.push_back(std::move(o));
    }
    return out;
}

json::value DemoData::riding(const std::string& oneCardID) const {
    json::array out;
    auto e = db_.employeeByBusCard(oneCardID);
    if (!e || e->profile.at("oneCardID").as_string() != oneCardID) return out;
    auto routes = db_.routes();
    Rng r(hash("ride" + oneCardID));
    double balance = 86.5;
    for (int i = 0; i < 15; ++i) {
        json::object o;
        o["ActTime"] = DemoData::dayText(20400 - i * 2) + " 0" + std::to_string(7 + r.below(2)) + ":" +
                       std::to_string(10 + r.below(49)) + ":00";
        o["Routename"] = routes[static_cast<size_t>(r.below(static_cast<int>(routes.size())))].name;
        o["RemainMoney"] = number(balance, i % 2);
        balance += 1.0;
        out.push_back(std::move(o));
    }
    return out;
}

}  // namespace busdesk::sim
