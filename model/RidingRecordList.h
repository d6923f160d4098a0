#pragma once

#include <optional>
#include <string>

#include "model/RidingRecordInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// The bus-card rides of the employee.
class RidingRecordList : public WireModelBase<RidingRecordList> {
    BUSDESK_WIRE_MODEL(RidingRecordList)
    WireModelArray<RidingRecordInfo> List;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<RidingRecordList>& d) {
        WIRE_PROPERTY(d, List).convertOnDemand();
    }
};

}  // namespace busdesk
