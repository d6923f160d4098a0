#pragma once

#include <memory>
#include <string>

#include "platform/views/Label.h"

namespace busdesk {

// A busy overlay that covers its view and takes the view's touches while shown.
class ProgressHUD : public View {
  public:
    static constexpr double kFadeSeconds = 0.3;

    explicit ProgressHUD(Rect frame);

    // Sized to `view`, added as its topmost child, shown.
    static std::shared_ptr<ProgressHUD> showHUDAddedTo(View& view, const std::string& label, bool animated);
    static std::shared_ptr<ProgressHUD> showHUDAddedTo(View& view, bool animated);
    // Hides the last overlay among the view's children that is not already going away and removes
    // it once hidden (at once, or after the fade when animated). False when there is none.
    static bool hideHUDForView(View& view, bool animated);
    // The last live overlay of `view`, or null.
    static std::shared_ptr<ProgressHUD> HUDForView(View& view);

    const std::string& labelText() const { return label_->text(); }
    void setLabelText(std::string text);
    bool removeFromSuperViewOnHide() const { return removeOnHide_; }
    void setRemoveFromSuperViewOnHide(bool r) { removeOnHide_ = r; }
    void show(bool animated);
    void hide(bool animated);
    bool isHiding() const { return hiding_; }

    bool dump(DumpWriter& out) const override;
    // A busy indicator named by its text ("请稍后...").
    std::string accessibleName() const override { return labelText(); }

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::BusyIndicator; }

  private:
    std::shared_ptr<Label> label_;
    bool removeOnHide_ = false;
    bool hiding_ = false;
};

}  // namespace busdesk
