#pragma once

#include <optional>
#include <string>

#include "model/SubsidyRecharge.h"
#include "model/WireModel.h"

namespace busdesk {

// Meal-card records of one kind for a date range.
class SubsidyRechargeList : public WireModelBase<SubsidyRechargeList> {
    BUSDESK_WIRE_MODEL(SubsidyRechargeList)
    WireModelArray<SubsidyRecharge> listArr;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<SubsidyRechargeList>& d) {
        WIRE_PROPERTY(d, listArr).convertOnDemand();
    }
};

}  // namespace busdesk
