#include "screens/operations/illDetTableViewCell.h"

#include "platform/Translation.h"

namespace busdesk {

const illDetTableViewCell::Table& illDetTableViewCell::lines() {
    static const Table table = {
        {N_("车辆名称:%@"), &NormalInfo::Busname},   {N_("违规类型:%@"), &NormalInfo::AlertType},
        {N_("违规值:%@"), &NormalInfo::AlertValue},  {N_("标准值:%@"), &NormalInfo::StandValue},
        {N_("违规时间:%@"), &NormalInfo::AlertTime}, {N_("备注:%@"), &NormalInfo::Memo},
    };
    return table;
}

}  // namespace busdesk
