#include "server/DemoData.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>

#include "server/CivilDate.h"
#include "server/DemoRandom.h"
#include "server/RowMapping.h"
#include "server/SqlStatement.h"

namespace busdesk::sim {
namespace json = boost::json;
namespace {

using Stmt = SqlStatement;

}  // namespace

DemoData::DemoData(const OfficeDatabase& db, unsigned seed, std::function<std::string()> now)
    : db_(db), seed_(seed), now_(std::move(now)) {
    db_.withConnection([this](sqlite3* c) {
        Stmt s(
            c,
            "SELECT empid,name,IFNULL(bus,''),one_card,IFNULL(route_id,''),role,shift,org_id,is_driver FROM "
            "employees ORDER BY card");
        while (s.step())
            staff_.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5),
                              static_cast<int>(s.integer(6)), static_cast<int>(s.integer(7)),
                              s.integer(8) != 0});
        Stmt b(
            c,
            "SELECT b.busname,b.route_id,r.name,r.first_stop,r.last_stop,b.fuel,r.length,b.odometer,r.depot "
            "FROM buses b JOIN routes r ON r.id=b.route_id ORDER BY b.busname");
        while (b.step())
            buses_.push_back({b.text(0), b.text(1), b.text(2), b.text(3), b.text(4), b.text(5), b.real(6),
                              b.real(7), static_cast<int>(b.integer(8))});
        return 0;
    });
    // Each route's crew: its vehicles, their early and late drivers, its relief drivers.
    for (const Bus& b : buses_) {
        if (crews_.empty() || crews_.back().routeID != b.routeID)
            crews_.push_back({b.routeID, {}, {}, {}, static_cast<int>(crews_.size())});
        RouteCrew& crew = crews_.back();
        crew.buses.push_back(b.name);
        for (int shift = 1; shift <= 2; ++shift)
            for (const Staff& s : staff_)
                if (s.driver && s.bus == b.name && s.shift == shift) crew.drivers.push_back(s.empID);
    }
    for (RouteCrew& crew : crews_)
        for (const Staff& s : staff_)
            if (s.driver && s.bus.empty() && s.route == crew.routeID) crew.relief.push_back(s.empID);
}

const DemoData::Staff* DemoData::person(const std::string& empID) const {
    for (const Staff& s : staff_)
        if (s.empID == empID) return &s;
    return nullptr;
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

namespace {

// Which trips belong to an employee: a driver's are the trips they drive; a conductor's those of
// their vehicle and shift; office staff see every vehicle of their depot. The condition reads
// parameters from ?3 on.
struct Scope {
    std::string where;
    SqlValues params;
};

Scope scopeOf(const Employee& e) {
    if (e.isDriver) return {" AND t.driver=?3", {e.empID}};
    if (!e.bus.empty()) return {" AND t.busname=?3 AND t.shift=?4", {e.bus, static_cast<long long>(e.shift)}};
    return {
        " AND t.busname IN (SELECT b.busname FROM buses b JOIN routes r ON r.id=b.route_id WHERE r.depot=?3)",
        {static_cast<long long>(e.depot)}};
}

SqlValues withScope(SqlValues params, const Scope& scope) {
    params.insert(params.end(), scope.params.begin(), scope.params.end());
    return params;
}

const char* const kShiftName = "CASE t.shift WHEN 1 THEN '早班' WHEN 2 THEN '晚班' ELSE '夜班' END";

// ?1 the day, ?2 the present moment.
const std::string kPlanSql =
    std::string(
        "SELECT t.arrive_at,t.busname,t.id,t.to_stop,CASE WHEN t.leave_at<=?2 THEN '1' ELSE '0' END,"
        "t.arrive_at<=?2,t.leave_at,t.mile,CASE WHEN t.arrive_at<=?2 THEN '已完成' WHEN "
        "t.leave_at<=?2 THEN '运营中' ELSE '计划' END,r.name||CASE WHEN t.revenue<>0 THEN '' ELSE "
        "'(非营运)' END,t.seq,") +
    kShiftName + ",t.from_stop,t.revenue FROM trips t JOIN routes r ON r.id=t.route_id WHERE t.run_date=?1";
constexpr Field kPlanFields[] = {{"ArriveTime", 0, Cell::Clock},
                                 {"Busname", 1, Cell::Text},
                                 {"DisplanID", 2, Cell::Integer, rows::all},
                                 {"EndStaion", 3, Cell::Text},
                                 {"ISSent", 4, Cell::Text},
                                 {"IsFinised", 5, Cell::Integer},
                                 {"LeaveTime", 6, Cell::Clock},
                                 {"Mile", 7, Cell::Amount, rows::odd},
                                 {"Recstate", 8, Cell::Text},
                                 {"RouteName", 9, Cell::Text},
                                 {"SeqNum", 10, Cell::Integer, rows::all},
                                 {"ShiftNum", 11, Cell::Text},
                                 {"StartStation", 12, Cell::Text}};
enum PlanColumn { kPlanFinished = 5, kPlanMile = 7, kPlanRevenue = 13 };

constexpr Field kNosendFields[] = {{"Busname", 0, Cell::Text},
                                   {"LeaveTime", 1, Cell::Clock},
                                   {"LeaveStation", 2, Cell::Text},
                                   {"ArriveStation", 3, Cell::Text}};

// ?1 the day, ?2 the employee's route ('' for office staff), ?3 the depot: the crews of the route, or
// for office staff every duty of the depot, theirs included.
const char* const kArrangeSql =
    "SELECT x.busname,x.empid,e.name,x.first_leave,x.on_work,x.off_work,x.shift_name,r.name,x.trips FROM "
    "rosters x JOIN employees e ON e.empid=x.empid JOIN routes r ON r.id=x.route_id WHERE x.run_date=?1 AND "
    "((x.busname<>'' AND x.route_id=?2) OR (?2='' AND r.depot=?3)) ORDER BY x.shift,x.busname";
constexpr Field kArrangeFields[] = {{"Busname", 0, Cell::Text},
                                    {"Empid", 1, Cell::Text},
                                    {"Empname", 2, Cell::Text},
                                    {"Firstleavetime", 3, Cell::Text},
                                    {"OnWorktime", 4, Cell::Text},
                                    {"OffWorktime", 5, Cell::Text},
                                    {"Shiftnum", 6, Cell::Text},
                                    {"Routename", 7, Cell::Text},
                                    {"SeqSum", 8, Cell::Integer, rows::all}};

constexpr Field kFinishedFields[] = {{"RouteName", 0, Cell::Text},  {"LeaveTime", 1, Cell::Text},
                                     {"ArriveTime", 2, Cell::Text}, {"ShiftNum", 3, Cell::Text},
                                     {"Busname", 4, Cell::Text},    {"Mile", 5, Cell::Amount, rows::all},
                                     {"SeqNum", 6, Cell::Integer},  {"StartStation", 7, Cell::Text},
                                     {"EndStaion", 8, Cell::Text},  {"Rectype", 9, Cell::Text}};
enum FinishedColumn { kFinishedMile = 5 };

// ?1..?2 the days, ?3 the present moment, ?4 the vehicle ('' for every one of depot ?5).
const char* const kAlertSummarySql =
    "SELECT v.alert_type,v.busname,COUNT(*),v.run_date FROM violations v WHERE v.run_date BETWEEN ?1 "
    "AND ?2 AND v.alert_at<=?3 AND (v.busname=?4 OR (?4='' AND v.busname IN (SELECT b.busname FROM "
    "buses b JOIN routes r ON r.id=b.route_id WHERE r.depot=?5))) "
    "GROUP BY v.run_date,v.busname,v.alert_type ORDER BY v.run_date,v.busname,v.alert_type";
constexpr Field kAlertSummaryFields[] = {
    {"AlertType", 0, Cell::Text},
    {"Busname", 1, Cell::Text},
    {"Num", 2, Cell::Integer, [](std::size_t row) { return row % 3 == 2; }},
    {"Rundate", 3, Cell::Text}};

// ?1..?2 the days, ?3 the present moment, ?4 the vehicle, ?5 the kind.
const char* const kAlertDetailSql =
    "SELECT alert_type,busname,alert_value,stand_value,alert_at,memo FROM violations WHERE run_date "
    "BETWEEN ?1 AND ?2 AND alert_at<=?3 AND busname=?4 AND alert_type=?5 ORDER BY alert_at";
constexpr Field kAlertDetailFields[] = {{"AlertType", 0, Cell::Text},  {"Busname", 1, Cell::Text},
                                        {"AlertValue", 2, Cell::Text}, {"StandValue", 3, Cell::Text},
                                        {"AlertTime", 4, Cell::Text},  {"Memo", 5, Cell::Text}};

// The vehicles a maintenance, repair, material or fuel question covers, on `column`: the vehicle
// named by parameter ?bus, or, when that is empty, every vehicle of the depot in parameter ?depot.
std::string vehicleOrDepot(const std::string& column, int bus, int depot) {
    std::string b = "?" + std::to_string(bus);
    return "(" + column + "=" + b + " OR (" + b + "='' AND " + column +
           " IN (SELECT v.busname FROM buses v JOIN routes w ON w.id=v.route_id WHERE w.depot=?" +
           std::to_string(depot) + ")))";
}

// ?1..?2 the days, ?3 the vehicle, ?4 the depot, ?5 today.
const std::string kMaintenanceSql =
    "SELECT m.busname,m.level,m.plan_date,m.company,m.miles,m.plan_miles,m.pre_miles,CASE WHEN "
    "m.plan_date<?5 THEN '已归档' ELSE '未归档' END,r.name FROM maintenance_plans m JOIN buses b ON "
    "b.busname=m.busname JOIN routes r ON r.id=b.route_id WHERE m.plan_date BETWEEN ?1 AND ?2 AND " +
    vehicleOrDepot("m.busname", 3, 4) + " ORDER BY m.plan_date,m.busname";
constexpr Field kMaintenanceFields[] = {{"Busname", 0, Cell::Text},
                                        {"DefLevel", 1, Cell::Text},
                                        {"Defplandate", 2, Cell::Text},
                                        {"DefCompany", 3, Cell::Text},
                                        {"DefMiles", 4, Cell::Real},
                                        {"DefplanMiles", 5, Cell::Amount, rows::all},
                                        {"DefPreMiles", 6, Cell::Amount, rows::odd},
                                        {"recordStatus", 7, Cell::Text},
                                        {"RouteID", 8, Cell::Text}};

// ?1..?2 the days, ?3 the present moment, ?4 the vehicle, ?5 the depot. An order shows only what has
// happened by now.
const std::string kWorkorderSql =
    "SELECT busname,CASE WHEN finish_at<=?3 THEN '已完工' WHEN comein_at<=?3 THEN '维修中' ELSE '待接修' "
    "END,create_type,org_name,report_at,CASE WHEN comein_at<=?3 THEN comein_at ELSE '' END,CASE WHEN "
    "finish_at<=?3 THEN finish_at ELSE '' END,CASE WHEN finish_at<=?3 THEN cost ELSE 0 END,checkview,CASE "
    "WHEN finish_at<=?3 THEN notes ELSE '' END,level,caretype,mendtype FROM repair_orders WHERE "
    "report_date BETWEEN ?1 AND ?2 AND report_at<=?3 AND " +
    vehicleOrDepot("busname", 4, 5) + " ORDER BY report_at";
constexpr Field kWorkorderFields[] = {{"Busname", 0, Cell::Text},    {"Status", 1, Cell::Text},
                                      {"Createtype", 2, Cell::Text}, {"Orgname", 3, Cell::Text},
                                      {"Reportdate", 4, Cell::Text}, {"Comeindate", 5, Cell::Text},
                                      {"Finishdate", 6, Cell::Text}, {"Factcost", 7, Cell::Amount, rows::all},
                                      {"Checkview", 8, Cell::Text},  {"Notes", 9, Cell::Text},
                                      {"level", 10, Cell::Text},     {"caretype", 11, Cell::Text},
                                      {"mendtype", 12, Cell::Text}};

// ?1 the employee, ?2..?3 the days, ?4 the present moment.
const char* const kAttendanceSql =
    "SELECT e.name,a.exec_date,a.plan_on,a.plan_off,a.real_on_at,CASE WHEN a.real_off_at<=?4 THEN "
    "a.real_off_at ELSE '' END FROM attendance a JOIN employees e ON e.empid=a.empid WHERE a.empid=?1 AND "
    "a.exec_date BETWEEN ?2 AND ?3 AND a.real_on_at<=?4 ORDER BY a.exec_date";
constexpr Field kAttendanceFields[] = {
    {"Empname", 0, Cell::Text},         {"Execdate", 1, Cell::Text},
    {"PlanOnworktime", 2, Cell::Text},  {"PlanOffworktime", 3, Cell::Text},
    {"RealOnworktime", 4, Cell::Clock}, {"RealOffworktime", 5, Cell::Clock}};

// ?1..?2 the days, ?3 today, ?4 the vehicle, ?5 the depot.
const std::string kStockDetailSql =
    "SELECT busname,order_no,bill_date,count*price,count,price,material,warehouse,supplier,job_type,drawn_by "
    "FROM stock_bills WHERE bill_date BETWEEN ?1 AND ?2 AND bill_date<=?3 AND " +
    vehicleOrDepot("busname", 4, 5) + " ORDER BY busname,bill_date";
constexpr Field kStockDetailFields[] = {
    {"Busname", 0, Cell::Text},      {"Orderno", 1, Cell::Text},
    {"Billdate", 2, Cell::Text},     {"Totalsum", 3, Cell::Amount, rows::even},
    {"Count", 4, Cell::Real},        {"Price", 5, Cell::Amount, rows::odd},
    {"Materialname", 6, Cell::Text}, {"Warehousename", 7, Cell::Text},
    {"Suppliername", 8, Cell::Text}, {"Jobtype", 9, Cell::Text},
    {"Empname", 10, Cell::Text}};

const std::string kStockSummarySql =
    "SELECT busname,SUM(count*price) FROM stock_bills WHERE bill_date BETWEEN ?1 AND ?2 AND bill_date<=?3 "
    "AND " +
    vehicleOrDepot("busname", 4, 5) + " GROUP BY busname ORDER BY busname";
constexpr Field kStockSummaryFields[] = {{"Busname", 0, Cell::Text},
                                         {"Totalsum", 1, Cell::Amount, rows::odd}};

// ?1..?2 the days, ?3 the present moment, ?4 the vehicle, ?5 the depot, ?6 the period asked.
const std::string kFuelSummarySql =
    "SELECT busname,?6,fuel,SUM(quantity) FROM fuel_records WHERE run_date BETWEEN ?1 AND ?2 AND "
    "filled_at<=?3 AND " +
    vehicleOrDepot("busname", 4, 5) + " GROUP BY busname ORDER BY busname";
constexpr Field kFuelSummaryFields[] = {{"Busname", 0, Cell::Text},
                                        {"Runningdate", 1, Cell::Text},
                                        {"Fuelname", 2, Cell::Text},
                                        {"Fuelnum", 3, Cell::Amount, rows::odd}};

const std::string kFuelDetailSql =
    "SELECT f.run_date,f.quantity,r.name,f.fuel,f.busname FROM fuel_records f JOIN routes r ON "
    "r.id=f.route_id WHERE f.run_date BETWEEN ?1 AND ?2 AND f.filled_at<=?3 AND " +
    vehicleOrDepot("f.busname", 4, 5) + " ORDER BY f.busname,f.run_date";
constexpr Field kFuelDetailFields[] = {{"Runningdate", 0, Cell::Text},
                                       {"Fuelnum", 1, Cell::Amount, rows::even},
                                       {"Routename", 2, Cell::Text},
                                       {"Fuelname", 3, Cell::Text},
                                       {"Busname", 4, Cell::Text}};

// The drivers a revenue or mileage question covers: the employee alone (?5), or with all (?3) set
// every driver of the employee's depot (?4).
const char* const kDriverScope =
    " AND ((?3=1 AND t.driver IN (SELECT empid FROM employees WHERE is_driver=1 AND org_id=?4)) OR "
    "(?3=0 AND t.driver=?5))";

SqlValues driverScope(SqlValues first, const Employee& e, bool all) {
    first.emplace_back(all ? 1LL : 0LL);
    first.emplace_back(static_cast<long long>(e.depot));
    first.emplace_back(e.empID);
    return first;
}

// ?1 the day, ?2 the present moment, ?3..?5 the drivers.
const std::string kRevenueOneDaySql =
    std::string(
        "SELECT t.driver,t.busname,?1,SUM(k.general_income),SUM(k.general_num),SUM(k.ic_income),"
        "SUM(k.ic_num),MAX(k.attendant),SUM(k.free_ic_num),r.name FROM trips t JOIN ticket_receipts k "
        "ON k.trip_id=t.id JOIN routes r ON r.id=t.route_id WHERE t.run_date=?1 AND t.arrive_at<=?2") +
    kDriverScope + " GROUP BY t.driver,t.busname ORDER BY t.busname,t.driver";
constexpr Field kRevenueOneDayFields[] = {{"driverID", 0, Cell::Text},
                                          {"Busname", 1, Cell::Text},
                                          {"Rundate", 2, Cell::Text},
                                          {"GeneralIncome", 3, Cell::Amount, rows::even},
                                          {"GeneralTicketNum", 4, Cell::Integer},
                                          {"IClIncome", 5, Cell::Amount, rows::odd},
                                          {"ICTicketNum", 6, Cell::Integer, rows::even},
                                          {"attendant", 7, Cell::Text},
                                          {"FreeICTicketNum", 8, Cell::Integer},
                                          {"routeid", 9, Cell::Text}};

// ?1..?6 the days, ?2 the present moment, ?3..?5 the drivers, ?7 the period asked.
const std::string kRevenueSummarySql =
    std::string(
        "SELECT t.driver,e.name,?7,SUM(k.ic_income),SUM(k.general_income) FROM trips t JOIN "
        "ticket_receipts k ON k.trip_id=t.id JOIN employees e ON e.empid=t.driver WHERE t.run_date "
        "BETWEEN ?1 AND ?6 AND t.arrive_at<=?2") +
    kDriverScope + " GROUP BY t.driver ORDER BY t.driver";
// The summary names the driver with a capital D (the client reads it as driverID), and its
// TotalIncome, shown as the cash income, carries the cash figure.
constexpr Field kRevenueSummaryFields[] = {
    {"DriverID", 0, Cell::Text},          {"Drivername", 1, Cell::Text},
    {"OperateDate", 2, Cell::Text},       {"IcTotalIncome", 3, Cell::Amount, rows::even},
    {"cashTotalIncome", 4, Cell::Amount}, {"TotalIncome", 4, Cell::Amount, rows::odd}};

// ?1..?2 the days, ?3 the present moment, ?4 the driver. Each day is two lines: IC card, then cash.
const char* const kRevenueDetailSql =
    "SELECT t.busname,t.run_date,SUM(k.ic_income),'免费IC卡'||SUM(k.free_ic_num)||'人次','IC卡',r.name,"
    "SUM(k.general_income),'','现金' FROM trips t JOIN ticket_receipts k ON k.trip_id=t.id JOIN routes r ON "
    "r.id=t.route_id WHERE t.run_date BETWEEN ?1 AND ?2 AND t.arrive_at<=?3 AND t.driver=?4 GROUP BY "
    "t.run_date,t.busname ORDER BY t.run_date";
constexpr Field kRevenueICFields[] = {
    {"Busname", 0, Cell::Text}, {"Rundate", 1, Cell::Text},  {"Income", 2, Cell::Amount, rows::odd},
    {"Memos", 3, Cell::Text},   {"ICorCash", 4, Cell::Text}, {"routeID", 5, Cell::Text}};
constexpr Field kRevenueCashFields[] = {
    {"Busname", 0, Cell::Text}, {"Rundate", 1, Cell::Text},  {"Income", 6, Cell::Amount, rows::odd},
    {"Memos", 7, Cell::Text},   {"ICorCash", 8, Cell::Text}, {"routeID", 5, Cell::Text}};

// ?1 the day, ?2 the present moment, ?3..?5 the drivers.
const std::string kMileOneDaySql =
    std::string(
        "SELECT e.name,?1,r.name,SUM(m.run_km),SUM(m.unrun_km),t.driver FROM trips t JOIN "
        "mileage m ON m.trip_id=t.id JOIN routes r ON r.id=t.route_id JOIN employees e ON "
        "e.empid=t.driver WHERE t.run_date=?1 AND t.arrive_at<=?2") +
    kDriverScope + " GROUP BY t.driver ORDER BY t.driver";
constexpr Field kMileDayFields[] = {
    {"drivername", 0, Cell::Text},     {"Rundate", 1, Cell::Text},
    {"routeid", 2, Cell::Text},        {"Milenum", 3, Cell::Amount, rows::even},
    {"unRunMilenum", 4, Cell::Amount}, {"driverID", 5, Cell::Text}};

// ?1..?6 the days, ?2 the present moment, ?3..?5 the drivers.
const std::string kMileSummarySql =
    std::string(
        "SELECT e.name,SUM(m.run_km),t.driver FROM trips t JOIN mileage m ON m.trip_id=t.id JOIN "
        "employees e ON e.empid=t.driver WHERE t.run_date BETWEEN ?1 AND ?6 AND t.arrive_at<=?2") +
    kDriverScope + " GROUP BY t.driver ORDER BY t.driver";
constexpr Field kMileSummaryFields[] = {
    {"drivername", 0, Cell::Text}, {"Milenum", 1, Cell::Amount, rows::even}, {"driverID", 2, Cell::Text}};

// ?1..?2 the days, ?3 the present moment, ?4 the driver.
const char* const kMileDetailSql =
    "SELECT e.name,t.run_date,r.name,SUM(m.run_km),SUM(m.unrun_km),t.driver FROM trips t JOIN mileage m ON "
    "m.trip_id=t.id JOIN routes r ON r.id=t.route_id JOIN employees e ON e.empid=t.driver WHERE t.run_date "
    "BETWEEN ?1 AND ?2 AND t.arrive_at<=?3 AND t.driver=?4 GROUP BY t.run_date ORDER BY t.run_date";
constexpr Field kMileDetailFields[] = {
    {"drivername", 0, Cell::Text},           {"Rundate", 1, Cell::Text},        {"routeid", 2, Cell::Text},
    {"Milenum", 3, Cell::Amount, rows::odd}, {"unRunMilenum", 4, Cell::Amount}, {"driverID", 5, Cell::Text}};

const char* const kSalarySql =
    "SELECT item,amount FROM salaries WHERE empid=?1 AND month=?2 ORDER BY position";
constexpr Field kSalaryFields[] = {
    {"ItemName", 0, Cell::Text}, {"ItemNum", 1, Cell::Amount, [](std::size_t row) { return row % 3 != 1; }}};

// ?1 the employee, ?2 the kind, ?3..?4 the moments of the range, ?5 the present moment.
const char* const kMealCardSql =
    "SELECT act_at,canteen,load_at,money,remain FROM meal_card_records WHERE empid=?1 AND kind=?2 AND "
    "act_at BETWEEN ?3 AND ?4 AND act_at<=?5 ORDER BY act_at";
constexpr Field kMealCardFields[] = {{"ActTime", 0, Cell::Text},
                                     {"CanteenName", 1, Cell::Text},
                                     {"Loadtime", 2, Cell::Text},
                                     {"Money", 3, Cell::Amount, rows::even},
                                     {"RemainMoney", 4, Cell::Amount, rows::odd}};

// ?1 the bus card, ?2 the first day, ?3 the present moment.
const char* const kRidingSql =
    "SELECT act_at,route_name,remain FROM bus_card_records WHERE one_card=?1 AND act_at>=?2 AND act_at<=?3 "
    "ORDER BY act_at DESC";
constexpr Field kRidingFields[] = {
    {"ActTime", 0, Cell::Text}, {"Routename", 1, Cell::Text}, {"RemainMoney", 2, Cell::Amount, rows::odd}};

}  // namespace

json::array DemoData::rows(const std::vector<long>& days, const std::string& sql, const SqlValues& params,
                           std::initializer_list<Fields> shapes, const EachRow& each) const {
    return db_.withConnection([&](sqlite3* c) {
        ensureDays(c, days);
        return mapRows(c, sql, params, shapes, each);
    });
}

json::value DemoData::plan(const std::string& empID, const std::string& dayStr) const {
    json::object o;
    json::array trips;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    // The totals are those of the trips listed: every trip counts, and the non-revenue kilometres
    // are those of the finished trips marked "(非营运)".
    double planMile = 0, finishMile = 0, nonRevenue = 0;
    int finished = 0;
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        trips = rows({day}, kPlanSql + scope.where + " ORDER BY t.busname,t.seq",
                     withScope({dayStr, now()}, scope), {kPlanFields}, [&](const SqlStatement& s) {
                         double m = s.real(kPlanMile);
                         planMile += m;
                         if (s.integer(kPlanFinished) == 0) return;
                         finishMile += m;
                         ++finished;
                         if (s.integer(kPlanRevenue) == 0) nonRevenue += m;
                     });
    }
    o["MileFinishSum"] = fixed2(finishMile);
    o["MilePlanSum"] = round2(planMile);
    o["NonSeqMileFinishSum"] = round2(nonRevenue);
    o["SeqFinishSum"] = std::to_string(finished);
    o["SeqPlanSum"] = static_cast<std::int64_t>(trips.size());
    o["DisplanDetailList"] = std::move(trips);
    return o;
}

json::value DemoData::nosendPlan(const std::string& empID, const std::string& dayStr) const {
    json::array trips;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        trips = rows({day},
                     "SELECT t.busname,t.leave_at,t.from_stop,t.to_stop FROM trips t WHERE t.run_date=?1 AND "
                     "t.leave_at>?2" +
                         scope.where + " ORDER BY t.leave_at,t.busname",
                     withScope({dayStr, now()}, scope), {kNosendFields});
    }
    json::object o;
    o["List"] = std::move(trips);
    return o;
}

json::value DemoData::arrange(const std::string& empID, const std::string& dayStr) const {
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day < 0 || !e) return json::array();
    return rows({day}, kArrangeSql, {dayStr, e->route, static_cast<long long>(e->depot)}, {kArrangeFields});
}

json::value DemoData::finishedTrips(const std::string& empID, const std::string& dayStr) const {
    json::object o;
    json::array trips;
    double mileSum = 0;
    long day = dayNumber(dayStr);
    auto e = db_.employee(empID);
    if (day >= 0 && e) {
        Scope scope = scopeOf(*e);
        trips =
            rows({day},
                 std::string("SELECT r.name,t.leave_at,t.arrive_at,") + kShiftName +
                     ",t.busname,t.mile,t.seq,t.from_stop,t.to_stop,CASE WHEN t.revenue<>0 THEN '营运' ELSE "
                     "'非营运' END FROM trips t JOIN routes r ON r.id=t.route_id WHERE t.run_date=?1 AND "
                     "t.arrive_at<=?2" +
                     scope.where + " ORDER BY t.busname,t.seq",
                 withScope({dayStr, now()}, scope), {kFinishedFields},
                 [&](const SqlStatement& s) { mileSum += s.real(kFinishedMile); });
    }
    o["MileSum"] = round2(mileSum);
    o["SeqSum"] = std::to_string(trips.size());
    o["FinishDisplanList"] = std::move(trips);
    return o;
}

json::value DemoData::alertSummary(const std::string& empID, const std::string& bus, const std::string& start,
                                   const std::string& end) const {
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    // No vehicle number: every vehicle of the employee's depot.
    return rows(days, kAlertSummarySql, {start, end, now(), bus, static_cast<long long>(e->depot)},
                {kAlertSummaryFields});
}

json::value DemoData::alertDetail(const std::string& empID, const std::string& bus, const std::string& type,
                                  const std::string& start, const std::string& end) const {
    auto days = daysBetween(start, end);
    if (days.empty() || !db_.employee(empID)) return json::array();
    return rows(days, kAlertDetailSql, {start, end, now(), bus, type}, {kAlertDetailFields});
}

json::value DemoData::maintenance(const std::string& empID, const std::string& bus, const std::string& start,
                                  const std::string& end) const {
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kMaintenanceSql,
                {start, end, bus, static_cast<long long>(e->depot), now().substr(0, 10)},
                {kMaintenanceFields});
}

json::value DemoData::workorders(const std::string& empID, const std::string& bus, const std::string& start,
                                 const std::string& end) const {
    auto days = daysBetween(start, end);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kWorkorderSql, {start, end, now(), bus, static_cast<long long>(e->depot)},
                {kWorkorderFields});
}

json::value DemoData::attendance(const std::string& empID, const std::string& start,
                                 const std::string& end) const {
    auto e = db_.employee(empID);
    auto days = daysBetween(start, end);
    if (!e || days.empty()) return json::array();
    return rows(days, kAttendanceSql, {e->empID, start, end, now()}, {kAttendanceFields});
}

namespace {

// The period's first and last day, then the rest: the parameters of a material or fuel question.
SqlValues periodParams(const std::vector<long>& days, std::initializer_list<SqlValue> rest) {
    SqlValues out = {DemoData::dayText(days.front()), DemoData::dayText(days.back())};
    out.insert(out.end(), rest);
    return out;
}

}  // namespace

json::value DemoData::stockDetail(const std::string& empID, const std::string& bus,
                                  const std::string& period) const {
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kStockDetailSql,
                periodParams(days, {now().substr(0, 10), bus, static_cast<long long>(e->depot)}),
                {kStockDetailFields});
}

json::value DemoData::stockSummary(const std::string& empID, const std::string& bus,
                                   const std::string& period) const {
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kStockSummarySql,
                periodParams(days, {now().substr(0, 10), bus, static_cast<long long>(e->depot)}),
                {kStockSummaryFields});
}

json::value DemoData::fuelSummary(const std::string& empID, const std::string& bus,
                                  const std::string& period) const {
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kFuelSummarySql,
                periodParams(days, {now(), bus, static_cast<long long>(e->depot), period}),
                {kFuelSummaryFields});
}

json::value DemoData::fuelDetail(const std::string& empID, const std::string& bus,
                                 const std::string& period) const {
    auto days = daysOf(period);
    auto e = db_.employee(empID);
    if (days.empty() || !e) return json::array();
    return rows(days, kFuelDetailSql, periodParams(days, {now(), bus, static_cast<long long>(e->depot)}),
                {kFuelDetailFields});
}

json::value DemoData::revenueOneDay(const std::string& empID, bool all, const std::string& dayStr) const {
    auto e = db_.employee(empID);
    long day = dayNumber(dayStr);
    if (!e || day < 0) return json::array();
    return rows({day}, kRevenueOneDaySql, driverScope({dayStr, now()}, *e, all), {kRevenueOneDayFields});
}

json::value DemoData::revenueSummary(const std::string& empID, bool all, const std::string& period) const {
    auto e = db_.employee(empID);
    auto days = daysOf(period);
    if (!e || days.empty()) return json::array();
    SqlValues params = driverScope({dayText(days.front()), now()}, *e, all);
    params.emplace_back(dayText(days.back()));
    params.emplace_back(period);
    return rows(days, kRevenueSummarySql, params, {kRevenueSummaryFields});
}

json::value DemoData::revenueDetail(const std::string& driverID, const std::string& period) const {
    auto e = db_.employee(driverID);
    auto days = daysOf(period);
    if (!e || days.empty()) return json::array();
    return rows(days, kRevenueDetailSql, periodParams(days, {now(), e->empID}),
                {kRevenueICFields, kRevenueCashFields});
}

json::value DemoData::mileOneDay(const std::string& empID, bool all, const std::string& dayStr) const {
    auto e = db_.employee(empID);
    long day = dayNumber(dayStr);
    if (!e || day < 0) return json::array();
    return rows({day}, kMileOneDaySql, driverScope({dayStr, now()}, *e, all), {kMileDayFields});
}

json::value DemoData::mileSummary(const std::string& empID, bool all, const std::string& period) const {
    auto e = db_.employee(empID);
    auto days = daysOf(period);
    if (!e || days.empty()) return json::array();
    SqlValues params = driverScope({dayText(days.front()), now()}, *e, all);
    params.emplace_back(dayText(days.back()));
    return rows(days, kMileSummarySql, params, {kMileSummaryFields});
}

json::value DemoData::mileDetail(const std::string& driverID, const std::string& period) const {
    auto e = db_.employee(driverID);
    auto days = daysOf(period);
    if (!e || days.empty()) return json::array();
    return rows(days, kMileDetailSql, periodParams(days, {now(), e->empID}), {kMileDetailFields});
}

json::value DemoData::salary(const std::string& empID, const std::string& month) const {
    auto e = db_.employee(empID);
    if (!e || month.size() != 6 || month.find_first_not_of("0123456789") != std::string::npos)
        return json::array();
    std::string m = month.substr(0, 4) + "-" + month.substr(4);
    if (daysOf(m).empty()) return json::array();
    // A statement exists for every month from joining up to the last completed one.
    std::string current = now();
    std::string joined(e->profile.at("startTime").as_string());
    if (m >= current.substr(0, 7) || m < joined.substr(0, 7)) return json::array();
    return db_.withConnection([&](sqlite3* c) {
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
        return mapRows(c, kSalarySql, {e->empID, m}, kSalaryFields);
    });
}

json::value DemoData::mealCard(int kind, const std::string& empID, const std::string& start,
                               const std::string& end) const {
    auto e = db_.employee(empID);
    auto days = daysBetween(start, end);
    if (!e || days.empty() || kind < 0 || kind > 2) return json::array();
    return rows(days, kMealCardSql,
                {e->empID, static_cast<long long>(kind), start + " 00:00:00", end + " 23:59:59", now()},
                {kMealCardFields});
}

json::value DemoData::riding(const std::string& oneCardID) const {
    // Bus-card records are looked up by the card's own number only.
    auto e = db_.employeeByBusCard(oneCardID);
    if (!e) return json::array();
    std::string current = now();
    long today = dayNumber(current.substr(0, 10));
    if (today < 0) return json::array();
    std::vector<long> days;
    for (long d = today - 29; d <= today; ++d) days.push_back(d);
    return rows(days, kRidingSql, {e->oneCardID, dayText(today - 29), current}, {kRidingFields});
}

}  // namespace busdesk::sim
