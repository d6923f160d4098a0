#pragma once

#include <optional>
#include <string>

#include "model/NosendDisplanInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// The trips of the next day not yet dispatched.
class NosendDisplanList : public WireModelBase<NosendDisplanList> {
    BUSDESK_WIRE_MODEL(NosendDisplanList)
    WireModelArray<NosendDisplanInfo> List;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<NosendDisplanList>& d) {
        WIRE_PROPERTY(d, List).convertOnDemand();
    }
};

}  // namespace busdesk
