#pragma once

#include "model/MileDriverInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A driver's mileage of one day: driver, distance, date, route, non-revenue distance.
class LichDetTableViewCell : public RowLinesCell<MileDriverInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "LichDetTableViewCell";
    static const Table& lines();

    LichDetTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layout(const MileDriverInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
