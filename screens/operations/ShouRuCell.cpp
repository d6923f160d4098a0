#include "screens/operations/ShouRuCell.h"

namespace busdesk {

const ShouRuCell::Table& ShouRuCell::lines() {
    static const Table table = {
        {"%@", &DssticketcostSum::Drivername},
        {"%@", &DssticketcostSum::OperateDate},
        {"IC收入:%.2f", &DssticketcostSum::IcTotalIncome},
        {"现金收入:%.2f", &DssticketcostSum::TotalIncome},
    };
    return table;
}

}  // namespace busdesk
