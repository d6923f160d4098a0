#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

class ViewController;

// The screen. Children, bottom to top: the root controller's view, the views of presented
// controllers (in presentation order), then the overlay layer (alerts, sheets, toasts).
class Window : public View, public ViewHost {
  public:
    // kDefaultFrame (ViewHost) is the frame a window starts with.
    explicit Window(Rect frame = kDefaultFrame);
    ~Window() override;

    // The window that took keyboard focus last (makeKeyAndVisible); null when none.
    static std::shared_ptr<Window> keyWindow();
    void makeKeyAndVisible();
    bool isKeyWindow() const;

    // Replaces the root screen (the old one disappears, the new one appears). Presented screens
    // of the old root are dismissed with it.
    void setRootViewController(const std::shared_ptr<ViewController>& vc);
    std::shared_ptr<ViewController> rootViewController() const { return root_; }
    // The screen on top: the last presented controller, or the root.
    std::shared_ptr<ViewController> topViewController() const;

    // Always the topmost child; toasts, alerts and sheets live here.
    View& overlayLayer() { return *overlay_; }
    std::shared_ptr<View> overlayLayerPtr() const { return overlay_; }

    // Keyboard focus.
    View* firstResponder() const override { return firstResponder_.lock().get(); }
    void setFirstResponder(View* v) override;

    // Messages shown as toasts since the last takeToasts(), for the dump. Only the newest
    // kMaxRecordedToasts are kept: in the window nothing may ever collect them.
    static constexpr std::size_t kMaxRecordedToasts = 100;
    void recordToast(std::string text);
    std::vector<std::string> takeToasts();
    const std::vector<std::string>& pendingToasts() const { return toasts_; }

    void setFrame(Rect frame) override;
    void layoutSubviews() override;

  protected:
    // Whatever is added, the overlay layer stays on top.
    void didAddSubview(View& child) override;

  private:
    // ViewHost
    Window* hostWindow() override { return this; }
    View& hostView() override { return *this; }
    void insertScreenView(std::shared_ptr<View> v) override;

    std::shared_ptr<ViewController> root_;
    std::shared_ptr<View> overlay_;
    std::weak_ptr<View> firstResponder_;
    std::vector<std::string> toasts_;
};

}  // namespace busdesk
