#include "screens/operations/CheliangLingLiaoDetailCell.h"

#include "platform/Translation.h"

namespace busdesk {

const CheliangLingLiaoDetailCell::Table& CheliangLingLiaoDetailCell::lines() {
    static const Table table = {
        {N_("车号：%@"), &NormalInfo::Busname},          {N_("订单号：%@"), &NormalInfo::Orderno},
        {N_("领料日期：%@"), &NormalInfo::Billdate},     {N_("费用：%0.2f"), &NormalInfo::Totalsum},
        {N_("数量：%0.2f"), &NormalInfo::Count},         {N_("单价：%0.2f"), &NormalInfo::Price},
        {N_("材料名称：%@"), &NormalInfo::Materialname}, {N_("领料人：%@"), &NormalInfo::Empname},
        {N_("仓库：%@"), &NormalInfo::Warehousename},    {N_("供应商：%@"), &NormalInfo::Suppliername},
        {N_("作业类别：%@"), &NormalInfo::Jobtype},
    };
    return table;
}

}  // namespace busdesk
