#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

// A list of choices rising from the bottom. Same index rule as the caller gives: buttons in the
// order passed, `cancelButtonIndex` naming one of them (or -1).
class ActionSheet : public View {
  public:
    using Callback = std::function<void(ActionSheet&, int buttonIndex)>;

    ActionSheet(std::string title, std::vector<std::string> buttonTitles, int cancelButtonIndex,
                Callback callback = {});
    ~ActionSheet() override;

    const std::string& title() const { return title_; }
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    const std::string& buttonTitleAtIndex(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }
    int cancelButtonIndex() const { return cancelIndex_; }
    std::optional<int> indexOfButton(const std::string& title) const;
    bool isShown() const { return shown_; }

    // Shows over `origin`'s window (the key window when it has none).
    void showInView(View* origin);
    bool dismissWithClickedButtonIndex(int index);

    static std::vector<std::shared_ptr<ActionSheet>> visibleSheets();

    bool dump(DumpWriter& out) const override;

  private:
    void build();
    std::string title_;
    std::vector<std::string> buttons_;
    int cancelIndex_ = -1;
    Callback callback_;
    bool shown_ = false;
};

}  // namespace busdesk
