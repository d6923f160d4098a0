#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

class Button;

// A modal message with buttons. Button indices: the cancel button (when given) is 0, the other
// buttons follow in order. show() puts it into the key window's overlay layer and into the
// registry of shown alerts; pressing a button closes it first and then calls back once.
class AlertView : public View {
  public:
    using Callback = std::function<void(AlertView&, int buttonIndex)>;

    AlertView(std::string title, std::string message, std::optional<std::string> cancelButtonTitle,
              std::vector<std::string> otherButtonTitles, Callback callback = {});
    ~AlertView() override;

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    const std::string& buttonTitleAtIndex(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }
    int cancelButtonIndex() const { return cancelIndex_; }  // -1 without one
    std::optional<int> indexOfButton(const std::string& title) const;
    bool isShown() const { return shown_; }

    void show();
    // As if the user pressed button `index`; out-of-range indices are ignored (returns false).
    bool dismissWithClickedButtonIndex(int index);

    // Shown alerts, oldest first; the last is on top.
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();

    bool dump(DumpWriter& out) const override;

  private:
    void build();
    std::string title_, message_;
    std::vector<std::string> buttons_;
    int cancelIndex_ = -1;
    Callback callback_;
    bool shown_ = false;
};

}  // namespace busdesk
