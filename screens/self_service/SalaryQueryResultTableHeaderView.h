#pragma once

#include <memory>

#include "platform/views/Label.h"
#include "platform/views/View.h"

namespace busdesk {

// Above the statement: the month queried and the net pay.
class SalaryQueryResultTableHeaderView : public View {
  public:
    static constexpr double kHeight = 80;

    explicit SalaryQueryResultTableHeaderView(Rect frame);
    void layoutSubviews() override;

    std::shared_ptr<Label> titleLabel;
    std::shared_ptr<Label> titleDetLable;
};

}  // namespace busdesk
