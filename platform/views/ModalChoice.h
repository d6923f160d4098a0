#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/Palette.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace busdesk {

// What alerts and action sheets share: titled buttons by index, a registry that owns the shown
// ones until a button closes them, and one callback per showing, made after the panel is gone.
template <class Self>
class ModalChoice : public View {
  public:
    using Callback = std::function<void(Self&, int buttonIndex)>;

    int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
    const std::string& buttonTitleAtIndex(int i) const { return buttons_.at(static_cast<std::size_t>(i)); }
    int cancelButtonIndex() const { return cancelIndex_; }  // -1 without one
    std::optional<int> indexOfButton(const std::string& title) const {
        auto it = std::find(buttons_.begin(), buttons_.end(), title);
        if (it == buttons_.end()) return std::nullopt;
        return static_cast<int>(it - buttons_.begin());
    }
    bool isShown() const { return shown_; }

    // As if the user pressed button `index`; out-of-range indices are ignored (returns false).
    // A second press (or a scripted one after it closed) calls nothing.
    bool dismissWithClickedButtonIndex(int index) {
        if (index < 0 || index >= numberOfButtons()) return false;
        auto self = selfPtr();
        bool wasShown = shown_;
        shown_ = false;
        std::erase(registry(), self);
        removeFromSuperview();
        if (wasShown && callback_) {
            auto cb = std::move(callback_);
            callback_ = nullptr;
            cb(*self, index);
        }
        return wasShown;
    }

    // Closed by the app, not by a choice (the session it was asked in has ended): nobody is
    // called back.
    void dismissWithoutChoice() {
        auto self = selfPtr();
        shown_ = false;
        callback_ = nullptr;
        std::erase(registry(), self);
        removeFromSuperview();
    }

  protected:
    ModalChoice(std::vector<std::string> buttons, int cancelIndex, Callback callback)
        : buttons_(std::move(buttons)), callback_(std::move(callback)) {
        cancelIndex_ = cancelIndex >= 0 && cancelIndex < numberOfButtons() ? cancelIndex : -1;
        setBlocksTouchesBelow(true);
        setBackgroundColor(Color::of(ColorRole::Scrim, 0.4));
        // Escape is the cancel button; without one it closes nothing. The handler lives in the
        // panel, so the panel is there whenever it runs.
        setEscapeHandler([this] { return cancelIndex_ >= 0 && dismissWithClickedButtonIndex(cancelIndex_); });
    }

    // Shown ones, oldest first; the last is on top.
    static std::vector<std::shared_ptr<Self>>& registry() {
        static std::vector<std::shared_ptr<Self>> list;
        return list;
    }

    // Registers the panel, lays it out over `w` (when there is one) and puts it into w's overlay.
    void presentIn(Window* w) {
        if (shown_) return;
        auto self = selfPtr();
        shown_ = true;
        registry().push_back(self);
        if (w) setFrame(w->bounds());
        static_cast<Self&>(*this).build();
        if (w) w->overlayLayer().addSubview(self);
    }

    std::vector<std::string> buttons_;
    int cancelIndex_ = -1;

  private:
    std::shared_ptr<Self> selfPtr() { return std::static_pointer_cast<Self>(shared_from_this()); }
    Callback callback_;
    bool shown_ = false;
};

}  // namespace busdesk
