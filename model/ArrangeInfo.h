#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One duty of the schedule.
class ArrangeInfo : public WireModelBase<ArrangeInfo> {
    BUSDESK_WIRE_MODEL(ArrangeInfo)
    std::optional<std::string> Busname;
    std::optional<std::string> Empid;
    std::optional<std::string> Empname;
    std::optional<std::string> Firstleavetime;
    std::optional<std::string> OnWorktime;
    std::optional<std::string> OffWorktime;
    std::optional<std::string> Shiftnum;
    std::optional<std::string> Routename;
    std::optional<std::string> SeqSum;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<ArrangeInfo>& d) {
        WIRE_PROPERTY(d, Busname);
        WIRE_PROPERTY(d, Empid);
        WIRE_PROPERTY(d, Empname);
        WIRE_PROPERTY(d, Firstleavetime);
        WIRE_PROPERTY(d, OnWorktime);
        WIRE_PROPERTY(d, OffWorktime);
        WIRE_PROPERTY(d, Shiftnum);
        WIRE_PROPERTY(d, Routename);
        WIRE_PROPERTY(d, SeqSum);
    }
};

}  // namespace busdesk
