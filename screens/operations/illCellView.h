#pragma once

#include "model/FinishDisplanInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A completed trip: route, distance, trip and shift, vehicle, actual times, stops, operation type.
class illCellView : public RowLinesCell<FinishDisplanInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "illCellView";
    static const Table& lines();

    illCellView() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layViewInfo(const FinishDisplanInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
