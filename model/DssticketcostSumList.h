#pragma once

#include <boost/json/array.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "model/DssticketcostSum.h"
#include "model/WireModel.h"

namespace busdesk {

class DssticketcostSumList : public WireModelBase<DssticketcostSumList> {
    BUSDESK_WIRE_MODEL(DssticketcostSumList)

  public:
    WireModelArray<DssticketcostSum> DssfuelcostList;

    static void declareProperties(WireModelDeclaration<DssticketcostSumList>& d);
    static bool propertyIsOptional(std::string_view) { return true; }
};

}  // namespace busdesk
