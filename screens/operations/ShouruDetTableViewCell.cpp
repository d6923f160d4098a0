#include "screens/operations/ShouruDetTableViewCell.h"

namespace busdesk {

const ShouruDetTableViewCell::Table& ShouruDetTableViewCell::lines() {
    static const Table table = {
        {"车辆:%@", &DssticketcostSum::Busname}, {"收入:%.2f", &DssticketcostSum::Income},
        {"线路:%@", &DssticketcostSum::routeID}, {"类型:%@", &DssticketcostSum::ICorCash},
        {"备注:%@", &DssticketcostSum::Memos},   {"日期:%@", &DssticketcostSum::Rundate},
    };
    return table;
}

}  // namespace busdesk
