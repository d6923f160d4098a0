#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One ride on the bus card.
class RidingRecordInfo : public WireModelBase<RidingRecordInfo> {
    BUSDESK_WIRE_MODEL(RidingRecordInfo)
    std::optional<std::string> ActTime;
    std::optional<std::string> Routename;
    std::optional<std::string> RemainMoney;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<RidingRecordInfo>& d) {
        WIRE_PROPERTY(d, ActTime);
        WIRE_PROPERTY(d, Routename);
        WIRE_PROPERTY(d, RemainMoney);
    }
};

}  // namespace busdesk
