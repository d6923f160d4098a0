#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/views/Button.h"

namespace busdesk {

// A title-bar button. With a customView the bar shows that view as is (it must be a Button to be
// tappable); otherwise the bar builds a Button from title/imageName whose identifier is
// `identifier` and which runs `action`.
struct BarButtonItem {
    std::string title;
    std::string imageName;
    std::string identifier;
    // What an icon-only button does, in words, for a screen reader.
    std::string accessibilityLabel;
    // A key that presses the button from anywhere on the screen, and the words that say so.
    std::optional<KeyEvent> keyboardShortcut;
    std::string accessibilityHint;
    View::Action action;
    std::shared_ptr<View> customView;
    Size size{30, 30};

    static std::shared_ptr<BarButtonItem> withView(std::shared_ptr<View> v) {
        auto item = std::make_shared<BarButtonItem>();
        item->customView = std::move(v);
        return item;
    }
};

// What a screen wants in the title bar while it is on top of its navigation stack.
class NavigationItem {
  public:
    const std::string& title() const { return title_; }
    void setTitle(std::string t);
    std::shared_ptr<View> titleView() const { return titleView_; }
    void setTitleView(std::shared_ptr<View> v);
    std::shared_ptr<BarButtonItem> leftBarButtonItem() const { return left_; }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item);
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const { return right_; }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item);
    bool hidesBackButton() const { return hidesBack_; }
    void setHidesBackButton(bool h);

    // Set by the owning controller: runs after any change so the shown bar is rebuilt.
    void setChangeHandler(std::function<void()> h) { changed_ = std::move(h); }

  private:
    void changed() {
        if (changed_) changed_();
    }
    std::string title_;
    std::shared_ptr<View> titleView_;
    std::shared_ptr<BarButtonItem> left_, right_;
    bool hidesBack_ = false;
    std::function<void()> changed_;
};

}  // namespace busdesk
