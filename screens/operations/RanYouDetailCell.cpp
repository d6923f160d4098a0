#include "screens/operations/RanYouDetailCell.h"

namespace busdesk {

const RanYouDetailCell::Table& RanYouDetailCell::lines() {
    static const Table table = {
        {"营运日期：%@", &NormalInfo::Runningdate},
        {"消耗数量：%.2f", &NormalInfo::Fuelnum},
        {"线路：%@", &NormalInfo::Routename},
        {"燃料类型：%@", &NormalInfo::Fuelname},
    };
    return table;
}

}  // namespace busdesk
