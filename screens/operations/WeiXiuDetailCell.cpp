#include "screens/operations/WeiXiuDetailCell.h"

#include "platform/Translation.h"

namespace busdesk {

const WeiXiuDetailCell::Table& WeiXiuDetailCell::lines() {
    static const Table table = {
        {N_("车号：%@"), &NormalInfo::Busname},        {N_("状态：%@"), &NormalInfo::Status},
        {N_("报修类型：%@"), &NormalInfo::Createtype}, {N_("维修地点：%@"), &NormalInfo::Orgname},
        {N_("报修时间：%@"), &NormalInfo::Reportdate}, {N_("接修时间：%@"), &NormalInfo::Comeindate},
        {N_("完工时间：%@"), &NormalInfo::Finishdate}, {N_("费用：%@"), &NormalInfo::Factcost},
        {N_("报修描述：%@"), &NormalInfo::Checkview},  {N_("实修内容：%@"), &NormalInfo::Notes},
        {N_("保养级别：%@"), &NormalInfo::level},      {N_("保养类型：%@"), &NormalInfo::caretype},
        {N_("维修类型：%@"), &NormalInfo::mendtype},
    };
    return table;
}

}  // namespace busdesk
