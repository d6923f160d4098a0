#include "screens/operations/WeiXiuDetailCell.h"

namespace busdesk {

const WeiXiuDetailCell::Table& WeiXiuDetailCell::lines() {
    static const Table table = {
        {"车号：%@", &NormalInfo::Busname},        {"状态：%@", &NormalInfo::Status},
        {"报修类型：%@", &NormalInfo::Createtype}, {"维修地点：%@", &NormalInfo::Orgname},
        {"报修时间：%@", &NormalInfo::Reportdate}, {"接修时间：%@", &NormalInfo::Comeindate},
        {"完工时间：%@", &NormalInfo::Finishdate}, {"费用：%@", &NormalInfo::Factcost},
        {"报修描述：%@", &NormalInfo::Checkview},  {"实修内容：%@", &NormalInfo::Notes},
        {"保养级别：%@", &NormalInfo::level},      {"保养类型：%@", &NormalInfo::caretype},
        {"维修类型：%@", &NormalInfo::mendtype},
    };
    return table;
}

}  // namespace busdesk
