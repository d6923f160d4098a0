#pragma once

#include "model/MileDriverInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One driver's mileage of a month: position, driver and distance.
class LichListTableViewCell : public RowLinesCell<MileDriverInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "LichListTableViewCell";
    static const Table& lines();

    LichListTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), true) {}
    void layout(const MileDriverInfo& info, int position) { fill(&info, position - 1); }
};

}  // namespace busdesk
