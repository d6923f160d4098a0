#pragma once

#include <optional>
#include <string>

#include "model/NormalInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// Rows of any of the queries answered with NormalInfo records.
class NormalList : public WireModelBase<NormalList> {
    BUSDESK_WIRE_MODEL(NormalList)
    WireModelArray<NormalInfo> List;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<NormalList>& d) {
        WIRE_PROPERTY(d, List).convertOnDemand();
    }
};

}  // namespace busdesk
