#pragma once

#include "model/RidingRecordInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A ride on the bus card: when it was paid, the balance left and the line.
class RidingRecordCell : public RowLinesCell<RidingRecordInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "RidingRecordCell";
    static const Table& lines();

    RidingRecordCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    double rowHeight() const { return 90; }
};

}  // namespace busdesk
