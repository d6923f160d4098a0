#pragma once

#include <optional>
#include <string>

#include "model/ArrangeInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// The duty schedule.
class ArrangeInfoList : public WireModelBase<ArrangeInfoList> {
    BUSDESK_WIRE_MODEL(ArrangeInfoList)
    WireModelArray<ArrangeInfo> ArrangeList;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<ArrangeInfoList>& d) {
        WIRE_PROPERTY(d, ArrangeList).convertOnDemand();
    }
};

}  // namespace busdesk
