#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// Mileage of one driver (summary) or of one driver and day (detail).
class MileDriverInfo : public WireModelBase<MileDriverInfo> {
    BUSDESK_WIRE_MODEL(MileDriverInfo)
    std::optional<std::string> drivername;
    std::optional<std::string> Rundate;
    std::optional<std::string> routeid;
    double Milenum = 0;
    double unRunMilenum = 0;
    std::optional<std::string> driverID;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<MileDriverInfo>& d) {
        WIRE_PROPERTY(d, drivername);
        WIRE_PROPERTY(d, Rundate);
        WIRE_PROPERTY(d, routeid);
        WIRE_PROPERTY(d, Milenum);
        WIRE_PROPERTY(d, unRunMilenum);
        WIRE_PROPERTY(d, driverID);
    }
};

}  // namespace busdesk
