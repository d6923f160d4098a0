#include "screens/self_service/SalaryQueryResultTVController.h"

#include "core/Session.h"

namespace busdesk {

std::string SalaryQueryResultTVController::monthCaption(const std::string& month) {
    if (month.empty()) return "查询月份：";
    std::string year = month.substr(0, std::min<std::size_t>(4, month.size()));
    std::string rest = month.size() > 4 ? month.substr(4) : std::string();
    return "查询月份：" + year + "年" + rest + "月";
}

void SalaryQueryResultTVController::configureList(TableView& list) {
    header = std::make_shared<SalaryQueryResultTableHeaderView>(
        Rect{0, 0, view()->bounds().width, SalaryQueryResultTableHeaderView::kHeight});
    header->titleLabel->setText(monthCaption(month));
    header->titleDetLable->setText("实发工资：");
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
            header->titleDetLable->setText("实发工资：" + moneySum);
        }
    }
    return rows;
}

}  // namespace busdesk
