#pragma once

#include <optional>
#include <string>

#include "model/SuggestInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// The suggestions of the employee.
class SuggestList : public WireModelBase<SuggestList> {
    BUSDESK_WIRE_MODEL(SuggestList)
    WireModelArray<SuggestInfo> List;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<SuggestList>& d) {
        WIRE_PROPERTY(d, List).convertOnDemand();
    }
};

}  // namespace busdesk
