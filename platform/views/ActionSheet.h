#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/ModalChoice.h"

namespace busdesk {

// A list of choices rising from the bottom. Same index rule as the caller gives: buttons in the
// order passed, `cancelButtonIndex` naming one of them (or -1).
class ActionSheet : public ModalChoice<ActionSheet> {
  public:
    ActionSheet(std::string title, std::vector<std::string> buttonTitles, int cancelButtonIndex,
                Callback callback = {});
    ~ActionSheet() override;

    const std::string& title() const { return title_; }

    // Shows over `origin`'s window (the key window when it has none).
    void showInView(View* origin);

    static std::vector<std::shared_ptr<ActionSheet>> visibleSheets();

    bool dump(DumpWriter& out) const override;
    // The title, else the choices.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Dialog; }

  private:
    friend class ModalChoice<ActionSheet>;
    void build();
    std::string title_;
};

}  // namespace busdesk
