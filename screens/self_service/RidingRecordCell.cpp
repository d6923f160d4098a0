#include "screens/self_service/RidingRecordCell.h"

namespace busdesk {

const RidingRecordCell::Table& RidingRecordCell::lines() {
    static const Table table = {
        {"消费时间：%@", &RidingRecordInfo::ActTime},
        {"余额：%@", &RidingRecordInfo::RemainMoney},
        {"线路名称：%@", &RidingRecordInfo::Routename},
    };
    return table;
}

}  // namespace busdesk
