#pragma once

#include <boost/json.hpp>
#include <functional>
#include <string>
#include <vector>

#include "server/DutyRoster.h"
#include "server/OfficeDatabase.h"
#include "server/RowMapping.h"

struct sqlite3;

namespace busdesk::sim {

// The operations data of the bus company. Each day is written into the database the first time any
// question touches it, generated from the reference data, the seed and the day alone — so any day
// asked for has data, and the same day always has the same data. What has "happened" (a trip run, a
// ticket sold, a meal paid) is decided when answering, against the clock the server is given.
class DemoData {
  public:
    // now() answers the server's present moment as "yyyy-MM-dd HH:mm:ss".
    DemoData(const OfficeDatabase& db, unsigned seed, std::function<std::string()> now);

    // Each answers the body of one method; bad input (unknown employee, malformed dates) gives the
    // method's empty shape.
    boost::json::value plan(const std::string& empID, const std::string& day) const;
    boost::json::value nosendPlan(const std::string& empID, const std::string& day) const;
    boost::json::value arrange(const std::string& empID, const std::string& day) const;
    boost::json::value finishedTrips(const std::string& empID, const std::string& day) const;
    boost::json::value alertSummary(const std::string& empID, const std::string& bus,
                                    const std::string& start, const std::string& end) const;
    boost::json::value alertDetail(const std::string& empID, const std::string& bus, const std::string& type,
                                   const std::string& start, const std::string& end) const;
    boost::json::value maintenance(const std::string& empID, const std::string& bus, const std::string& start,
                                   const std::string& end) const;
    boost::json::value workorders(const std::string& empID, const std::string& bus, const std::string& start,
                                  const std::string& end) const;
    boost::json::value attendance(const std::string& empID, const std::string& start,
                                  const std::string& end) const;
    boost::json::value stockSummary(const std::string& empID, const std::string& bus,
                                    const std::string& period) const;
    boost::json::value stockDetail(const std::string& empID, const std::string& bus,
                                   const std::string& period) const;
    boost::json::value fuelSummary(const std::string& empID, const std::string& bus,
                                   const std::string& period) const;
    boost::json::value fuelDetail(const std::string& empID, const std::string& bus,
                                  const std::string& period) const;
    boost::json::value revenueOneDay(const std::string& empID, bool all, const std::string& day) const;
    boost::json::value revenueSummary(const std::string& empID, bool all, const std::string& period) const;
    boost::json::value revenueDetail(const std::string& driverID, const std::string& period) const;
    boost::json::value mileOneDay(const std::string& empID, bool all, const std::string& day) const;
    boost::json::value mileSummary(const std::string& empID, bool all, const std::string& period) const;
    boost::json::value mileDetail(const std::string& driverID, const std::string& period) const;
    // month: six digits "yyyyMM"; only months already paid, since joining, have a statement.
    boost::json::value salary(const std::string& empID, const std::string& month) const;
    // kind 0 recharges, 1 consumption, 2 meal subsidies.
    boost::json::value mealCard(int kind, const std::string& empID, const std::string& start,
                                const std::string& end) const;
    boost::json::value riding(const std::string& oneCardID) const;

    // "yyyy-MM-dd" → days since 1970, or -1 when malformed or outside 2000–2099.
    static long dayNumber(const std::string& day);
    static std::string dayText(long dayNumber);
    // "yyyy-MM" or "yyyy-MM-dd" → the days it covers (a month, or one day); empty when malformed.
    static std::vector<long> daysOf(const std::string& period);
    // start..end inclusive; empty when malformed, reversed or longer than kMaxRangeDays.
    static std::vector<long> daysBetween(const std::string& start, const std::string& end);
    static constexpr long kMaxRangeDays = 93;

  private:
    struct Staff {
        std::string empID, name, bus, oneCard, route, role;
        int shift = 0, depot = 0;
        bool driver = false;
    };
    struct Bus {
        std::string name, routeID, routeName, first, last, fuel;
        double length = 0, odometer = 0;
        int depot = 0;
    };
    void ensureDays(sqlite3* db, const std::vector<long>& days) const;
    // The rows of one answer over days or a period: the days made first, then the query mapped
    // through its tables (RowMapping).
    boost::json::array rows(const std::vector<long>& days, const std::string& sql, const SqlValues& params,
                            std::initializer_list<Fields> shapes, const EachRow& each = {}) const;
    void generateDay(sqlite3* db, long day) const;
    const Staff* person(const std::string& empID) const;
    unsigned hash(const std::string& key) const;
    std::string now() const { return now_(); }

    const OfficeDatabase& db_;
    unsigned seed_;
    std::function<std::string()> now_;
    std::vector<Staff> staff_;
    std::vector<Bus> buses_;
    std::vector<RouteCrew> crews_;  // every route's vehicles and drivers, in route order
};

}  // namespace busdesk::sim
