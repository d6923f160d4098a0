#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One violation: vehicle, kind, measured and limit value, time and remark.
class illDetTableViewCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "illDetTableViewCell";
    static const Table& lines();

    illDetTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layView(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
