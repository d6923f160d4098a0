#include "screens/operations/RanYouDetailCell.h"

#include "platform/Translation.h"

namespace busdesk {

const RanYouDetailCell::Table& RanYouDetailCell::lines() {
    static const Table table = {
        {N_("营运日期：%@"), &NormalInfo::Runningdate},
        {N_("消耗数量：%.2f"), &NormalInfo::Fuelnum},
        {N_("线路：%@"), &NormalInfo::Routename},
        {N_("燃料类型：%@"), &NormalInfo::Fuelname},
    };
    return table;
}

}  // namespace busdesk
