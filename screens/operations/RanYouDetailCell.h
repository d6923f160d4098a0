#pragma once

#include "model/NormalInfo.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A fuel record: operating date, quantity, route and fuel type.
class RanYouDetailCell : public RowLinesCell<NormalInfo> {
  public:
    static constexpr const char* kReuseIdentifier = "RanYouDetailCell";
    static const Table& lines();

    RanYouDetailCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void AddRow(const NormalInfo& info) { fill(&info, 0); }
};

}  // namespace busdesk
