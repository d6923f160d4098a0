#pragma once

#include "model/DisplanDetailInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A trip of today's plan: its position, whether it has left, then times, route, state, distance,
// shift, vehicle, trip number and the two end stops.
class PlanCellView : public RowLinesCell<DisplanDetailInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "PlanCellView";
    static const Table& lines();

    PlanCellView() : RowLinesCell(kReuseIdentifier, lines(), true) {}
    // `num` is the 1-based position of the trip.
    void AddRow(const DisplanDetailInfo* info, int num) { fill(info, num - 1); }
};

}  // namespace busdesk
