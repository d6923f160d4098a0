#include "screens/operations/CheliangLingLiaoCell.h"

namespace busdesk {

const CheliangLingLiaoCell::Table& CheliangLingLiaoCell::lines() {
    static const Table table = {
        {"车辆：%@", &NormalInfo::Busname},
        {"费用：%0.2f", &NormalInfo::Totalsum},
    };
    return table;
}

}  // namespace busdesk
