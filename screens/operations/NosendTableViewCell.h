#pragma once

#include "model/NosendDisplanInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A trip of tomorrow not yet dispatched: position, vehicle, the two stops and the start time.
class NosendTableViewCell : public RowLinesCell<NosendDisplanInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "NosendTableViewCell";
    static const Table& lines();

    NosendTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), true) {}
    // `num` is the 1-based position; a row handed no trip stays as it was.
    void AddRow(const NosendDisplanInfo* info, int num) { fill(info, num - 1); }
};

}  // namespace busdesk
