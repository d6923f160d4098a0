#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A repair order: state, kind, place, its three moments, cost, the fault and the work done.
class WeiXiuDetailCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "WeiXiuDetailCell";
    static const Table& lines();

    WeiXiuDetailCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void AddRow(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
