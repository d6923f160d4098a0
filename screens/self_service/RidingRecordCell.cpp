#include "screens/self_service/RidingRecordCell.h"

#include "platform/Translation.h"

namespace busdesk {

const RidingRecordCell::Table& RidingRecordCell::lines() {
    static const Table table = {
        {N_("消费时间：%@"), &RidingRecordInfo::ActTime},
        {N_("余额：%@"), &RidingRecordInfo::RemainMoney},
        {N_("线路名称：%@"), &RidingRecordInfo::Routename},
    };
    return table;
}

}  // namespace busdesk
