#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A material requisition: order, date, cost, quantity and price, material, who, where from.
class CheliangLingLiaoDetailCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "CheliangLingLiaoDetailCell";
    static const Table& lines();

    CheliangLingLiaoDetailCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void AddRow(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
