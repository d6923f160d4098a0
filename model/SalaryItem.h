#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One line of a salary statement.
class SalaryItem : public WireModelBase<SalaryItem> {
    BUSDESK_WIRE_MODEL(SalaryItem)
    std::optional<std::string> ItemName;
    std::optional<std::string> ItemNum;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<SalaryItem>& d) {
        WIRE_PROPERTY(d, ItemName);
        WIRE_PROPERTY(d, ItemNum);
    }
};

}  // namespace busdesk
