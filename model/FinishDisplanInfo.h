#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One completed trip.
class FinishDisplanInfo : public WireModelBase<FinishDisplanInfo> {
    BUSDESK_WIRE_MODEL(FinishDisplanInfo)
    std::optional<std::string> RouteName;
    std::optional<std::string> LeaveTime;
    std::optional<std::string> ArriveTime;
    std::optional<std::string> ShiftNum;
    std::optional<std::string> Busname;
    std::optional<std::string> Mile;
    std::optional<std::string> SeqNum;
    std::optional<std::string> StartStation;
    std::optional<std::string> EndStaion;
    std::optional<std::string> Rectype;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<FinishDisplanInfo>& d) {
        WIRE_PROPERTY(d, RouteName);
        WIRE_PROPERTY(d, LeaveTime);
        WIRE_PROPERTY(d, ArriveTime);
        WIRE_PROPERTY(d, ShiftNum);
        WIRE_PROPERTY(d, Busname);
        WIRE_PROPERTY(d, Mile);
        WIRE_PROPERTY(d, SeqNum);
        WIRE_PROPERTY(d, StartStation);
        WIRE_PROPERTY(d, EndStaion);
        WIRE_PROPERTY(d, Rectype);
    }
};

}  // namespace busdesk
