#include "screens/operations/ShouRuCell.h"

#include "platform/Translation.h"

namespace busdesk {

const ShouRuCell::Table& ShouRuCell::lines() {
    static const Table table = {
        {"%@", &DssticketcostSum::Drivername},
        {"%@", &DssticketcostSum::OperateDate},
        {N_("IC收入:%.2f"), &DssticketcostSum::IcTotalIncome},
        {N_("现金收入:%.2f"), &DssticketcostSum::TotalIncome},
    };
    return table;
}

}  // namespace busdesk
