#include "screens/self_service/SalaryQueryResultTVController.h"

#include "core/Session.h"
#include "platform/Translation.h"

namespace busdesk {

std::string SalaryQueryResultTVController::monthCaption(const std::string& month) {
    if (month.empty()) return tr("查询月份：");
    std::string year = month.substr(0, std::min<std::size_t>(4, month.size()));
    std::string rest = month.size() > 4 ? month.substr(4) : std::string();
    return trFormat("查询月份：%1年%2月", {year, rest});
}

void SalaryQueryResultTVController::configureList(TableView& list) {
    header = std::make_shared<SalaryQueryResultTableHeaderView>(
        Rect{0, 0, view()->bounds().width, SalaryQueryResultTableHeaderView::kHeight});
    header->titleLabel->setText(monthCaption(month));
    header->titleDetLable->setText(tr("实发工资："));
    list.setTableHeaderView(header);
}

std::size_t SalaryQueryResultTVController::keep(std::shared_ptr<WireModel> model, int tag) {
    std::size_t rows = ResultListViewController::keep(std::move(model), tag);
    if (rows == 0) return 0;
    // The last net-pay item wins.
    for (std::size_t i = 0; i < rows; ++i) {
        auto item = itemAt(static_cast<int>(i));
        if (item && item->ItemName == kNetPayItem) {
            moneySum = displayText(item->ItemNum);
            header->titleDetLable->setText(trFormat("实发工资：%1", {moneySum}));
        }
    }
    return rows;
}

}  // namespace busdesk
