#include "screens/operations/CheliangLingLiaoDetailCell.h"

namespace busdesk {

const CheliangLingLiaoDetailCell::Table& CheliangLingLiaoDetailCell::lines() {
    static const Table table = {
        {"车号：%@", &NormalInfo::Busname},          {"订单号：%@", &NormalInfo::Orderno},
        {"领料日期：%@", &NormalInfo::Billdate},     {"费用：%0.2f", &NormalInfo::Totalsum},
        {"数量：%0.2f", &NormalInfo::Count},         {"单价：%0.2f", &NormalInfo::Price},
        {"材料名称：%@", &NormalInfo::Materialname}, {"领料人：%@", &NormalInfo::Empname},
        {"仓库：%@", &NormalInfo::Warehousename},    {"供应商：%@", &NormalInfo::Suppliername},
        {"作业类别：%@", &NormalInfo::Jobtype},
    };
    return table;
}

}  // namespace busdesk
