#pragma once

#include <boost/json/array.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "model/DisplanDetailInfo.h"
#include "model/WireModel.h"

namespace busdesk {

class DisplanDetailInfoArray : public WireModelBase<DisplanDetailInfoArray> {
    BUSDESK_WIRE_MODEL(DisplanDetailInfoArray)

  public:
    WireModelArray<DisplanDetailInfo> DisplanDetailInfos;
    std::optional<std::string> MileFinishSum;
    std::optional<std::string> MilePlanSum;
    std::optional<std::string> NonSeqMileFinishSum;
    std::optional<std::string> SeqFinishSum;
    std::optional<std::string> SeqPlanSum;

    static void declareProperties(WireModelDeclaration<DisplanDetailInfoArray>& d);
    static bool propertyIsOptional(std::string_view) { return true; }
    // The trip list arrives under "DisplanDetailList".
    static std::shared_ptr<WireKeyMapper> keyMapper();
};

}  // namespace busdesk
