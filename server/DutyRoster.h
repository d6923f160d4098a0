#pragma once

#include <string>
#include <vector>

namespace busdesk::sim {

// Who works which duty on a day, from the day alone.
//
// Everyone with a roster keeps the same weekly pattern, started on a different weekday: four days of
// their own duty, then a night duty (overnight: it ends after midnight), then two days off. For a
// driver the own duty is their vehicle and shift, the night the route's night service; for a
// dispatcher a day duty (白班) and a night duty (夜班). The six drivers of a route are a day apart
// in the pattern, so on any day some are off; the route's relief drivers take the vehicles and
// shifts left without their driver, and the night service when none of the route's own drivers has
// it that night.
enum class Duty { Own, Night, Off };

// The weekday pattern of one person: `offset` places its start (any whole number).
Duty dutyOn(long dayNumber, int offset);

// A route's people: its vehicles in order, its own drivers (early and late of the first vehicle,
// then of the second, ...), its relief drivers, and its place among the routes.
struct RouteCrew {
    std::string routeID;
    std::vector<std::string> buses;
    std::vector<std::string> drivers;  // 2 × buses.size()
    std::vector<std::string> relief;
    int index = 0;
};

// One driven duty: the vehicle, the shift (1 early, 2 late, 3 the night service) and its driver.
struct DrivenDuty {
    std::string bus;
    int shift = 0;
    std::string driver;
};

// Every duty of the route on the day: each vehicle's early and late shift in vehicle order, then the
// night service (on its driver's own vehicle, or on a vehicle picked by the day when a relief
// driver has it). A duty is left out only when the route has too few relief drivers to cover it.
std::vector<DrivenDuty> routeDuties(const RouteCrew& crew, long dayNumber);

// The pattern offset of the route's own driver number `i` (0-based, in RouteCrew::drivers order).
int driverOffset(const RouteCrew& crew, int i);

}  // namespace busdesk::sim
