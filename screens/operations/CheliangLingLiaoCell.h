#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One vehicle's material requisitions of a month: position, vehicle and cost.
class CheliangLingLiaoCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "CheliangLingLiaoCell";
    static const Table& lines();

    CheliangLingLiaoCell() : RowLinesCell(kReuseIdentifier, lines(), true) {}
    void AddRow(const NormalInfo& info, int index) { fill(&info, index); }
};

}  // namespace busdesk
