#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// One meal-card record: a recharge, a purchase or a subsidy.
class SubsidyRecharge : public WireModelBase<SubsidyRecharge> {
    BUSDESK_WIRE_MODEL(SubsidyRecharge)
    std::optional<std::string> ActTime;
    std::optional<std::string> CanteenName;
    std::optional<std::string> Loadtime;
    std::optional<std::string> Money;
    std::optional<std::string> RemainMoney;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<SubsidyRecharge>& d) {
        WIRE_PROPERTY(d, ActTime);
        WIRE_PROPERTY(d, CanteenName);
        WIRE_PROPERTY(d, Loadtime);
        WIRE_PROPERTY(d, Money);
        WIRE_PROPERTY(d, RemainMoney);
    }
};

}  // namespace busdesk
