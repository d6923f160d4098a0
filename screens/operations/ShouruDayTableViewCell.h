#pragma once

#include "model/DssticketcostSum.h"
#include "screens/query/LinesCell.h"

namespace busdesk {

// One driver and vehicle's takings of a day: income and passengers by paper ticket and IC card.
class ShouruDayTableViewCell : public RowLinesCell<DssticketcostSum> {
  public:
    static constexpr const char* kReuseIdentifier = "ShouruDayTableViewCell";
    static const Table& lines();

    ShouruDayTableViewCell() : RowLinesCell(kReuseIdentifier, lines(), false) {}
    void layView(const DssticketcostSum& info) { fill(&info, 0); }
};

}  // namespace busdesk
