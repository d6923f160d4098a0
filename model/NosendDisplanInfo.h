#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// A trip of the next day not yet dispatched.
class NosendDisplanInfo : public WireModelBase<NosendDisplanInfo> {
    BUSDESK_WIRE_MODEL(NosendDisplanInfo)
    std::optional<std::string> Busname;
    std::optional<std::string> LeaveTime;
    std::optional<std::string> LeaveStation;
    std::optional<std::string> ArriveStation;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<NosendDisplanInfo>& d) {
        WIRE_PROPERTY(d, Busname);
        WIRE_PROPERTY(d, LeaveTime);
        WIRE_PROPERTY(d, LeaveStation);
        WIRE_PROPERTY(d, ArriveStation);
    }
};

}  // namespace busdesk
