#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/ModalChoice.h"

namespace busdesk {

class Button;

// A modal message with buttons. Button indices: the cancel button (when given) is 0, the other
// buttons follow in order. show() puts it into the key window's overlay layer and into the
// registry of shown alerts; pressing a button closes it first and then calls back once.
class AlertView : public ModalChoice<AlertView> {
  public:
    AlertView(std::string title, std::string message, std::optional<std::string> cancelButtonTitle,
              std::vector<std::string> otherButtonTitles, Callback callback = {});
    ~AlertView() override;

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }

    void show();

    // Shown alerts, oldest first; the last is on top.
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();

    bool dump(DumpWriter& out) const override;
    // The title, else the message.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Dialog; }

  private:
    friend class ModalChoice<AlertView>;
    void build();
    std::string title_, message_;
};

}  // namespace busdesk
