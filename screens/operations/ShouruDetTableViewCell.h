#pragma once

#include "model/DssticketcostSum.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// A driver's income of one day and vehicle, IC card or cash.
class ShouruDetTableViewCell : public RowLinesCell<DssticketcostSum> {
  public:
    static constexpr const char* kReuseIdentifier = "ShouruDetTableViewCell";
    static const Table& lines();

    ShouruDetTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layoutView(const DssticketcostSum& info) { fill(&info, 0); }
};

}  // namespace busdesk
