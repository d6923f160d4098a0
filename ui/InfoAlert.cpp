#include "ui/InfoAlert.h"

#include <algorithm>

#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "platform/views/Palette.h"
#include "platform/views/TextSize.h"
#include "platform/views/Window.h"

namespace busdesk {

InfoAlert::InfoAlert(const std::string& text, Color bgColor) {
    // Larger text takes a wider and taller toast, up to most of the window's width.
    const double scale = TextSize::scale();
    Size textSize = measureText(text, TextSize::scaled(kFontSize),
                                {kMaxTextSize.width * std::min(scale, 1.6), kMaxTextSize.height * scale});
    setFrame({0, 0, textSize.width + 2 * kPadding, textSize.height + 2 * kPadding});
    setBackgroundColor(bgColor);
    setCornerRadius(8);
    setUserInteractionEnabled(false);
    label_ = std::make_shared<Label>(Rect{kPadding, kPadding, textSize.width, textSize.height}, text);
    label_->setFontSize(kFontSize);
    label_->setNumberOfLines(0);
    label_->setTextColor(Color::of(ColorRole::OnToast));
    label_->setTextAlignment(TextAlignment::Center);
    label_->setAccessibilityHidden(true);
    addSubview(label_);
}

std::shared_ptr<InfoAlert> InfoAlert::showInfo(const std::string& text, Color bgColor, View& view,
                                               double vertical) {
    auto window = Window::keyWindow();
    Window* target = window ? window.get() : view.window();
    if (!target) {
        Log::line("toast without a window: " + text);
        return nullptr;
    }
    if (target->isCovered()) {
        // Nobody can read it under the lock: it waits, and shows once the lock is gone.
        std::weak_ptr<View> weakView = view.weak_from_this();
        std::weak_ptr<View> weakWindow = target->weak_from_this();
        target->runWhenUncovered([text, bgColor, vertical, weakView, weakWindow] {
            if (auto v = weakView.lock())
                showInfo(text, bgColor, *v, vertical);
            else if (auto w = weakWindow.lock())
                showInfo(text, bgColor, *w, vertical);
        });
        return nullptr;
    }
    double fraction = std::clamp(vertical, 0.0, 1.0);
    if (!(fraction == fraction)) fraction = 0;  // NaN
    auto toast = std::make_shared<InfoAlert>(text, bgColor);
    // The view's place on screen; a view outside any window counts from the window's origin.
    Rect area = view.window() ? view.frameInWindow() : view.frame();
    if (!view.window()) area.x = area.y = 0;
    toast->setCenter({area.midX(), area.y + fraction * area.height});
    toast->setAlpha(0);
    target->overlayLayer().addSubview(toast);
    target->recordToast(text);
    toast->animateAlpha(1, seconds(kFadeInSeconds));
    std::weak_ptr<View> weak = toast;
    RunLoop::main().postDelayed(seconds(kFadeOutAfterSeconds), [weak] {
        if (auto t = weak.lock()) t->animateAlpha(0, seconds(kFadeOutSeconds));
    });
    RunLoop::main().postDelayed(seconds(kFadeOutAfterSeconds + kRemoveAfterFadeOutSeconds), [weak] {
        if (auto t = weak.lock()) t->removeFromSuperview();
    });
    return toast;
}

bool InfoAlert::dump(DumpWriter& out) const {
    // Toasts are listed from the window's record, once each, at the end of the dump.
    (void)out;
    return false;
}

}  // namespace busdesk
