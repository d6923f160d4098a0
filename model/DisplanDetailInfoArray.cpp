#include "model/DisplanDetailInfoArray.h"

namespace busdesk {

void DisplanDetailInfoArray::declareProperties(WireModelDeclaration<DisplanDetailInfoArray>& d) {
    WIRE_PROPERTY(d, DisplanDetailInfos).convertOnDemand();
    WIRE_PROPERTY(d, MileFinishSum);
    WIRE_PROPERTY(d, MilePlanSum);
    WIRE_PROPERTY(d, NonSeqMileFinishSum);
    WIRE_PROPERTY(d, SeqFinishSum);
    WIRE_PROPERTY(d, SeqPlanSum);
}

std::shared_ptr<WireKeyMapper> DisplanDetailInfoArray::keyMapper() {
    static const auto mapper =
        WireKeyMapper::initWithDictionary({{"DisplanDetailList", "DisplanDetailInfos"}});
    return mapper;
}

}  // namespace busdesk
