#include "screens/operations/ShouruDayTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const ShouruDayTableViewCell::Table& ShouruDayTableViewCell::lines() {
    static const Table table = {
        {N_("车辆：%@"), &DssticketcostSum::Busname},
        {N_("司机编号：%@"), &DssticketcostSum::driverID},
        {N_("日期：%@"), &DssticketcostSum::Rundate},
        {N_("普票收入：%.2f"), &DssticketcostSum::GeneralIncome},
        {N_("普票运量：%d"), &DssticketcostSum::GeneralTicketNum},
        {N_("IC卡收入：%.2f"), &DssticketcostSum::IClIncome},
        {N_("IC卡运量：%d"), &DssticketcostSum::ICTicketNum},
        {N_("免费IC运量：%d"), &DssticketcostSum::FreeICTicketNum},
        {N_("乘务员：%@"), &DssticketcostSum::attendant},
        {N_("线路：%@"), &DssticketcostSum::routeid},
    };
    return table;
}

}  // namespace busdesk
