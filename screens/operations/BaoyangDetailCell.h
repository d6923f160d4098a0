#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A maintenance plan of a vehicle: level, planned date and place, the mileages, archive state, route.
class BaoyangDetailCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "BaoyangDetailCell";
    static const Table& lines();

    BaoyangDetailCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void AddRow(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
