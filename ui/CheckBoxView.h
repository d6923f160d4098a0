#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/views/Control.h"
#include "platform/views/Label.h"

namespace busdesk {

enum class CheckBoxStyle { Default, Box, Circle };

// A tick box with a caption. Tapping toggles it, then calls the block, then the target's
// callback (while the target is alive).
class CheckBoxView : public Control {
  public:
    using StateChanged = std::function<void(CheckBoxView&)>;

    CheckBoxView(Rect frame, CheckBoxStyle style, bool checked);

    bool checked() const { return checked_; }
    // For a screen restoring a state; no callbacks.
    void setChecked(bool c);
    CheckBoxStyle style() const { return style_; }
    Label& textLabel() { return *label_; }
    void setStateChangedBlock(StateChanged block) { block_ = std::move(block); }
    void setStateChangedTarget(std::weak_ptr<void> target, StateChanged callback);

    std::optional<CheckBoxLook> checkBoxLook() const override;
    bool userTap() override;
    // The caption takes what the box leaves of the width.
    void layoutSubviews() override;
    // A stop of its own for the keyboard: Space (or Enter) toggles it as a tap does.
    bool acceptsKeyboardFocus() const override { return enabled() && !accessibilityHidden(); }
    bool dump(DumpWriter& out) const override;
    std::vector<std::string> selectableTexts() const override;
    // The label set, else the caption.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::CheckBox; }

  private:
    CheckBoxStyle style_;
    bool checked_;
    std::shared_ptr<Label> label_;
    StateChanged block_;
    std::weak_ptr<void> target_;
    StateChanged targetCallback_;
};

}  // namespace busdesk
