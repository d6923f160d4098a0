#include "screens/operations/CheliangLingLiaoCell.h"

#include "platform/Translation.h"

namespace busdesk {

const CheliangLingLiaoCell::Table& CheliangLingLiaoCell::lines() {
    static const Table table = {
        {N_("车辆：%@"), &NormalInfo::Busname},
        {N_("费用：%0.2f"), &NormalInfo::Totalsum},
    };
    return table;
}

}  // namespace busdesk
