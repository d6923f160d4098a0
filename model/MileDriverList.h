#pragma once

#include <optional>
#include <string>

#include "model/MileDriverInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// Mileage rows by driver.
class MileDriverList : public WireModelBase<MileDriverList> {
    BUSDESK_WIRE_MODEL(MileDriverList)
    WireModelArray<MileDriverInfo> List;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<MileDriverList>& d) {
        WIRE_PROPERTY(d, List).convertOnDemand();
    }
};

}  // namespace busdesk
