#include "ui/CheckBoxView.h"

#include "platform/views/ScreenDump.h"

namespace busdesk {

CheckBoxView::CheckBoxView(Rect frame, CheckBoxStyle style, bool checked)
    : Control(frame), style_(style), checked_(checked) {
    label_ = std::make_shared<Label>(
        Rect{frame.height + 4, 0, std::max(0.0, frame.width - frame.height - 4), frame.height});
    label_->setFontSize(14);
    label_->setAccessibilityHidden(true);
    addSubview(label_);
}

void CheckBoxView::layoutSubviews() {
    Rect b = bounds();
    label_->setFrame({b.height + 4, 0, std::max(0.0, b.width - b.height - 4), b.height});
}

void CheckBoxView::setChecked(bool c) {
    if (c == checked_) return;
    checked_ = c;
    notifyChanged(ViewChange::State);
}

void CheckBoxView::setStateChangedTarget(std::weak_ptr<void> target, StateChanged callback) {
    target_ = std::move(target);
    targetCallback_ = std::move(callback);
}

std::optional<CheckBoxLook> CheckBoxView::checkBoxLook() const {
    return CheckBoxLook{style_ == CheckBoxStyle::Circle, checked_};
}

bool CheckBoxView::userTap() {
    if (!enabled()) return false;
    auto keep = weak_from_this().lock();
    setChecked(!checked_);
    if (block_) block_(*this);
    if (targetCallback_)
        if (auto t = target_.lock()) targetCallback_(*this);
    sendActions();
    return true;
}

bool CheckBoxView::dump(DumpWriter& out) const {
    out.line(DumpWriter::head("checkbox", *this) + ": " + (checked_ ? "[x] " : "[ ] ") +
             DumpWriter::quote(label_->text()));
    return false;
}

std::vector<std::string> CheckBoxView::selectableTexts() const {
    if (label_->text().empty()) return {};
    return {label_->text()};
}

std::string CheckBoxView::accessibleName() const {
    return accessibilityLabel().empty() ? label_->text() : accessibilityLabel();
}

}  // namespace busdesk
