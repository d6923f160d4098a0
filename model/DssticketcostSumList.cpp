#include "model/DssticketcostSumList.h"

namespace busdesk {

void DssticketcostSumList::declareProperties(WireModelDeclaration<DssticketcostSumList>& d) {
    WIRE_PROPERTY(d, DssfuelcostList).convertOnDemand();
}

}  // namespace busdesk
