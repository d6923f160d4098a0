#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One planned trip of the day.
class DisplanDetailInfo : public WireModelBase<DisplanDetailInfo> {
    BUSDESK_WIRE_MODEL(DisplanDetailInfo)
    std::optional<std::string> ArriveTime;
    std::optional<std::string> Busname;
    std::optional<std::string> DisplanID;
    std::optional<std::string> EndStaion;
    std::optional<std::string> ISSent;
    std::optional<std::string> IsFinised;
    std::optional<std::string> LeaveTime;
    std::optional<std::string> Mile;
    std::optional<std::string> Recstate;
    std::optional<std::string> RouteName;
    std::optional<std::string> SeqNum;
    std::optional<std::string> ShiftNum;
    std::optional<std::string> StartStation;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<DisplanDetailInfo>& d) {
        WIRE_PROPERTY(d, ArriveTime);
        WIRE_PROPERTY(d, Busname);
        WIRE_PROPERTY(d, DisplanID);
        WIRE_PROPERTY(d, EndStaion);
        WIRE_PROPERTY(d, ISSent);
        WIRE_PROPERTY(d, IsFinised);
        WIRE_PROPERTY(d, LeaveTime);
        WIRE_PROPERTY(d, Mile);
        WIRE_PROPERTY(d, Recstate);
        WIRE_PROPERTY(d, RouteName);
        WIRE_PROPERTY(d, SeqNum);
        WIRE_PROPERTY(d, ShiftNum);
        WIRE_PROPERTY(d, StartStation);
    }
};

}  // namespace busdesk
