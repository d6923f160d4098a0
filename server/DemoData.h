#pragma once

#include <boost/json.hpp>
#include <string>

#include "server/OfficeDatabase.h"

namespace busdesk::sim {

// Day-dependent operations data, derived deterministically from the reference data, the seed and
// the day (or month) asked for: the same question always gets the same answer, and every day has one.
class DemoData {
  public:
    DemoData(const OfficeDatabase& db, unsigned seed) : db_(db), seed_(seed) {}

    // Each takes the request's query parameters and returns the answer body.
    boost::json::value plan(const std::string& empID, const std::string& day) const;
    boost::json::value nosendPlan(const std::string& empID, const std::string& day) const;
    boost::json::value arrange(const std::string& empID, const std::string& day) const;
    boost::json::value finishedTrips(const std::string& empID, const std::string& day) const;
    boost::json::value alertSummary(const std::string& bus, const std::string& start,
                                    const std::string& end) const;
    boost::json::value alertDetail(const std::string& bus, const std::string& type,
                                   const std::string& day) const;
    boost::json::value maintenance(const std::string& bus, const std::string& start,
                                   const std::string& end) const;
    boost::json::value workorders(const std::string& bus, const std::string& start,
                                  const std::string& end) const;
    boost::json::value attendance(const std::string& empID, const std::string& start,
                                  const std::string& end) const;
    boost::json::value stockSummary(const std::string& bus, const std::string& period) const;
    boost::json::value stockDetail(const std::string& bus, const std::string& period) const;
    boost::json::value fuelSummary(const std::string& bus, const std::string& period) const;
    boost::json::value fuelDetail(const std::string& bus, const std::string& period) const;
    boost::json::value revenueOneDay(const std::string& empID, bool all, const std::string& day) const;
    boost::json::value revenueSummary(const std::string& empID, bool all, const std::string& month) const;
    boost::json::value revenueDetail(const std::string& driverID, const std::string& month) const;
    boost::json::value mileOneDay(const std::string& empID, bool all, const std::string& day) const;
    boost::json::value mileSummary(const std::string& empID, bool all, const std::string& month) const;
    boost::json::value mileDetail(const std::string& driverID, const std::string& month) const;
    boost::json::value salary(const std::string& empID, const std::string& month) const;
    // kind 0 recharges, 1 consumption, 2 meal subsidies.
    boost::json::value mealCard(int kind, const std::string& empID, const std::string& start,
                                const std::string& end) const;
    boost::json::value riding(const std::string& oneCardID) const;

    // "yyyy-MM-dd" → days since 1970, or -1 when malformed.
    static long dayNumber(const std::string& day);
    static std::string dayText(long dayNumber);
    // "yyyy-MM" or "yyyy-MM-dd" → the days it covers (a month, or one day); empty when malformed.
    static std::vector<std::string> daysOf(const std::string& period);

  private:
    unsigned hash(const std::string& key) const;
    const OfficeDatabase& db_;
    unsigned seed_;
};

}  // namespace busdesk::sim
