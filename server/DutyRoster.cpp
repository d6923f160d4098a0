#include "server/DutyRoster.h"

namespace busdesk::sim {
namespace {

// Four own duties, a night, two days off.
constexpr Duty kWeek[7] = {Duty::Own, Duty::Own, Duty::Own, Duty::Own, Duty::Night, Duty::Off, Duty::Off};

}  // namespace

Duty dutyOn(long dayNumber, int offset) {
    long at = (dayNumber + offset) % 7;
    return kWeek[at < 0 ? at + 7 : at];
}

int driverOffset(const RouteCrew& crew, int i) {
    return 3 + crew.index + i;
}

std::vector<DrivenDuty> routeDuties(const RouteCrew& crew, long dayNumber) {
    std::vector<DrivenDuty> out;
    std::vector<size_t> open;  // duties still without a driver
    DrivenDuty night{"", 3, ""};
    for (size_t i = 0; i < crew.drivers.size() && i / 2 < crew.buses.size(); ++i) {
        DrivenDuty d{crew.buses[i / 2], static_cast<int>(i % 2) + 1, ""};
        switch (dutyOn(dayNumber, driverOffset(crew, static_cast<int>(i)))) {
            case Duty::Own:
                d.driver = crew.drivers[i];
                break;
            case Duty::Night:
                night = {d.bus, 3, crew.drivers[i]};
                open.push_back(out.size());
                break;
            case Duty::Off:
                open.push_back(out.size());
                break;
        }
        out.push_back(d);
    }
    if (night.driver.empty() && !crew.buses.empty()) {
        night.bus = crew.buses[static_cast<size_t>(dayNumber) % crew.buses.size()];
        open.push_back(out.size());
    }
    if (!crew.buses.empty()) out.push_back(night);
    // The relief drivers in turn, starting from one picked by the day: no one has two duties.
    for (size_t k = 0; k < open.size() && k < crew.relief.size(); ++k)
        out[open[k]].driver = crew.relief[(k + static_cast<size_t>(dayNumber)) % crew.relief.size()];
    std::erase_if(out, [](const DrivenDuty& d) { return d.driver.empty(); });
    return out;
}

}  // namespace busdesk::sim
