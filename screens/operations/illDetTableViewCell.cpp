#include "screens/operations/illDetTableViewCell.h"

namespace busdesk {

const illDetTableViewCell::Table& illDetTableViewCell::lines() {
    static const Table table = {
        {"车辆名称:%@", &NormalInfo::Busname},   {"违规类型:%@", &NormalInfo::AlertType},
        {"违规值:%@", &NormalInfo::AlertValue},  {"标准值:%@", &NormalInfo::StandValue},
        {"违规时间:%@", &NormalInfo::AlertTime}, {"备注:%@", &NormalInfo::Memo},
    };
    return table;
}

}  // namespace busdesk
