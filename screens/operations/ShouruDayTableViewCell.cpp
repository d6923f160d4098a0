#include "screens/operations/ShouruDayTableViewCell.h"

namespace busdesk {

const ShouruDayTableViewCell::Table& ShouruDayTableViewCell::lines() {
    static const Table table = {
        {"车辆：%@", &DssticketcostSum::Busname},
        {"司机编号：%@", &DssticketcostSum::driverID},
        {"日期：%@", &DssticketcostSum::Rundate},
        {"普票收入：%.2f", &DssticketcostSum::GeneralIncome},
        {"普票运量：%d", &DssticketcostSum::GeneralTicketNum},
        {"IC卡收入：%.2f", &DssticketcostSum::IClIncome},
        {"IC卡运量：%d", &DssticketcostSum::ICTicketNum},
        {"免费IC运量：%d", &DssticketcostSum::FreeICTicketNum},
        {"乘务员：%@", &DssticketcostSum::attendant},
        {"线路：%@", &DssticketcostSum::routeid},
    };
    return table;
}

}  // namespace busdesk
