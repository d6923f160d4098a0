#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// The answer of a password change.
class ResultInfo : public WireModelBase<ResultInfo> {
    BUSDESK_WIRE_MODEL(ResultInfo)
    bool IsSuccess = false;
    std::optional<std::string> FailReason;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<ResultInfo>& d) {
        WIRE_PROPERTY(d, IsSuccess).boolean();
        WIRE_PROPERTY(d, FailReason);
    }
};

}  // namespace busdesk
