#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// An attendance record: name, date, planned and actual start and end of work.
class KaoQinCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "KaoQinCell";
    static const Table& lines();

    KaoQinCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layoutView(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
