#include "screens/operations/PlanRowView.h"

#include "platform/Translation.h"
#include "platform/views/Palette.h"

namespace busdesk {

const std::vector<RowLine<DisplanDetailInfoArray>>& PlanRowView::lines() {
    static const std::vector<RowLine<DisplanDetailInfoArray>> table = {
        {N_("计划车次：%@"), &DisplanDetailInfoArray::SeqPlanSum},
        {N_("计划总里程（公里）：%@"), &DisplanDetailInfoArray::MilePlanSum},
        {N_("已完成里程（公里）：%@"), &DisplanDetailInfoArray::MileFinishSum},
        {N_("完成车次：%@"), &DisplanDetailInfoArray::SeqFinishSum},
        {N_("已完成的非营运里程（公里）：%@"), &DisplanDetailInfoArray::NonSeqMileFinishSum},
    };
    return table;
}

PlanRowView::PlanRowView() : View(Rect{0, 0, 390, kHeight}) {
    setIdentifier("PlanRowView");
    setBackgroundColor(Color::of(ColorRole::SecondaryBackground));
    for (std::size_t i = 0; i < lines().size(); ++i) {
        auto label = std::make_shared<Label>();
        label->setFontSize(LinesCell::kFontSize);
        label->setTextColor(Color::of(ColorRole::Text));
        labels.push_back(label);
        addSubview(label);
    }
    // Placed now as well: a section header may be shown without a layout pass.
    layoutSubviews();
}

void PlanRowView::setTotals(const DisplanDetailInfoArray& totals) {
    auto texts = printLines(lines(), totals);
    for (std::size_t i = 0; i < labels.size(); ++i) labels[i]->setText(texts[i]);
}

void PlanRowView::layoutSubviews() {
    View::layoutSubviews();
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i]->setFrame({12, LinesCell::kPadding + LinesCell::kLineHeight * static_cast<double>(i),
                             bounds().width - 24, LinesCell::kLineHeight});
}

}  // namespace busdesk
