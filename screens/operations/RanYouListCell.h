#pragma once

#include "model/NormalInfo.h"
#include "platform/Translation.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One vehicle's fuel of a month: position, vehicle, period, fuel and quantity, and the detail button.
class RanYouListCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "RanYouListCell";
    static const Table& lines();

    RanYouListCell() : RowLinesCell(kReuseIdentifier, lines(), true) {
        addTrailingButton("showDetail", tr("详情"));
    }
};

}  // namespace busdesk
