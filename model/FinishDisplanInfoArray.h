#pragma once

#include <optional>
#include <string>

#include "model/FinishDisplanInfo.h"
#include "model/WireModel.h"

namespace busdesk {

// The completed trips of a day with their totals, mapped from the whole answer.
class FinishDisplanInfoArray : public WireModelBase<FinishDisplanInfoArray> {
    BUSDESK_WIRE_MODEL(FinishDisplanInfoArray)
    double MileSum = 0;
    double SeqSum = 0;
    WireModelArray<FinishDisplanInfo> FinishDisplanList;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<FinishDisplanInfoArray>& d) {
        WIRE_PROPERTY(d, MileSum);
        WIRE_PROPERTY(d, SeqSum);
        WIRE_PROPERTY(d, FinishDisplanList).convertOnDemand();
    }
};

}  // namespace busdesk
