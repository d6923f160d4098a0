#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A line of the violation summary: position, vehicle, day, and the kind with its count ("超速3次").
class illSumTableViewCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "illSumTableViewCell";
    static const Table& lines();

    illSumTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), true) {}
    // `num` is the 0-based row; the badge shows num + 1.
    void layoutView(const NormalInfo& info, int num) { fill(&info, num); }
};

}  // namespace busdesk
