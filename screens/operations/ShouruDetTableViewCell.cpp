#include "screens/operations/ShouruDetTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const ShouruDetTableViewCell::Table& ShouruDetTableViewCell::lines() {
    static const Table table = {
        {N_("车辆:%@"), &DssticketcostSum::Busname}, {N_("收入:%.2f"), &DssticketcostSum::Income},
        {N_("线路:%@"), &DssticketcostSum::routeID}, {N_("类型:%@"), &DssticketcostSum::ICorCash},
        {N_("备注:%@"), &DssticketcostSum::Memos},   {N_("日期:%@"), &DssticketcostSum::Rundate},
    };
    return table;
}

}  // namespace busdesk
