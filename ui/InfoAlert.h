#pragma once

#include <memory>
#include <string>

#include "platform/views/Label.h"

namespace busdesk {

// A short-lived message box over the application window.
class InfoAlert : public View {
  public:
    static constexpr double kFontSize = 14;
    static constexpr Size kMaxTextSize{200, 100};
    static constexpr double kPadding = 10;
    static constexpr double kFadeInSeconds = 0.3;
    static constexpr double kFadeOutAfterSeconds = 1.0;
    static constexpr double kFadeOutSeconds = 0.5;
    static constexpr double kRemoveAfterFadeOutSeconds = 1.5;

    // Centred horizontally on `view`, its vertical centre at `vertical` (clamped to 0…1) of the
    // view's height; added to the key window (else the view's window). Returns the box, or null
    // when there is no window to show it in, or when the window is covered (locked): then the
    // message waits and is shown when the cover goes.
    static std::shared_ptr<InfoAlert> showInfo(const std::string& text, Color bgColor, View& view,
                                               double vertical);

    InfoAlert(const std::string& text, Color bgColor);
    const std::string& text() const { return label_->text(); }

    bool dump(DumpWriter& out) const override;
    // Announced as an alert when it shows.
    std::string accessibleName() const override { return text(); }

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Alert; }

  private:
    std::shared_ptr<Label> label_;
};

}  // namespace busdesk
