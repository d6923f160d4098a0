#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

class ViewController;

// The screen. Children, bottom to top: the root controller's view, the views of presented
// controllers (in presentation order), the overlay layer (alerts, sheets, toasts), then the cover
// when there is one.
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

    // A screen over everything, the overlay layer included (the lock). While one is set the rest
    // of the window is out of sight: not drawn, not in the dump, not found by a script, not
    // tappable, and a script cannot reach it any other way (menus, back). Underneath, every view
    // keeps its state and answers still arrive; toasts wait (runWhenUncovered). Keyboard focus goes
    // to the cover and comes back to where it was when the cover goes. Null removes the cover.
    void setCoverViewController(std::shared_ptr<ViewController> vc);
    std::shared_ptr<ViewController> coverViewController() const { return cover_; }
    bool isCovered() const { return cover_ != nullptr; }
    // Runs `job` once no cover is set: at once, or right after the cover goes.
    void runWhenUncovered(std::function<void()> job);
    bool hidesSubview(const View& child) const override;

    // Input from the person at the window: a touch, a key, a script's command. Whoever watches for
    // idleness (the lock) is told.
    void noteUserActivity();
    void setUserActivityHandler(std::function<void()> handler) { activityHandler_ = std::move(handler); }

    // The view typing goes to (a field being edited).
    View* firstResponder() const override { return firstResponder_.lock().get(); }
    // A new first responder also takes the keyboard focus.
    void setFirstResponder(View* v) override;
    // The view the keys act on (KeyboardNavigation moves it with Tab); null when none. It may have
    // gone out of reach since: the keyboard then starts again from the screen's first stop.
    View* focusedView() const { return focused_.lock().get(); }
    void setFocusedView(View* v);
    // Whether the person works from the keyboard now: a key says yes, a touch says no. The focus
    // ring is drawn only then.
    bool keyboardInUse() const { return keyboardInUse_; }
    void setKeyboardInUse(bool inUse);

    // Messages shown as toasts since the last takeToasts(), for the dump. Only the newest
    // kMaxRecordedToasts are kept: in the window nothing may ever collect them.
    static constexpr std::size_t kMaxRecordedToasts = 100;
    void recordToast(std::string text);
    std::vector<std::string> takeToasts();
    const std::vector<std::string>& pendingToasts() const { return toasts_; }

    void setFrame(Rect frame) override;
    void layoutSubviews() override;
    // Makes room for the texts at the text size in force (TextFit.h); after the size changed, every
    // screen, list and view is laid out anew first. The presenter calls it before it draws, the
    // screen dump before it prints.
    void fitTexts();

  protected:
    // Whatever is added, the overlay layer stays on top.
    void didAddSubview(View& child) override;

  private:
    // ViewHost
    Window* hostWindow() override { return this; }
    View& hostView() override { return *this; }
    void insertScreenView(std::shared_ptr<View> v) override;
    // The overlay layer above the screens, the cover above all.
    void restack();

    std::shared_ptr<ViewController> root_;
    std::shared_ptr<View> overlay_;
    std::weak_ptr<View> firstResponder_;
    std::weak_ptr<View> focused_;
    bool keyboardInUse_ = false;
    std::vector<std::string> toasts_;
    std::uint64_t textSizeRevision_ = 0;
    std::shared_ptr<ViewController> cover_;
    // Focus before the cover came, and toasts not yet read then or raised since.
    std::weak_ptr<View> focusUnderCover_;
    std::vector<std::string> toastsUnderCover_;
    std::vector<std::function<void()>> whenUncovered_;
    std::function<void()> activityHandler_;
};

}  // namespace busdesk
