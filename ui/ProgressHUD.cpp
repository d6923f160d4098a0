#include "ui/ProgressHUD.h"

#include "platform/RunLoop.h"
#include "platform/views/Palette.h"
#include "platform/views/ScreenDump.h"
#include "platform/views/WeakCallback.h"

namespace busdesk {

ProgressHUD::ProgressHUD(Rect frame) : View(frame) {
    setBackgroundColor(Color::of(ColorRole::Scrim, 0.15));
    setBlocksTouchesBelow(true);
    setIdentifier("progressHUD");
    setShowsActivityIndicator(true);
    label_ = std::make_shared<Label>(Rect{0, frame.height / 2 + 24, frame.width, 20});
    label_->setTextAlignment(TextAlignment::Center);
    label_->setTextColor(Color::of(ColorRole::OnBackdrop));
    label_->setFontSize(15);
    label_->setAccessibilityHidden(true);
    addSubview(label_);
}

std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo(View& view, const std::string& label,
                                                         bool animated) {
    auto hud = std::make_shared<ProgressHUD>(view.bounds());
    hud->setLabelText(label);
    view.addSubview(hud);
    hud->show(animated);
    return hud;
}

std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo(View& view, bool animated) {
    return showHUDAddedTo(view, std::string(), animated);
}

std::shared_ptr<ProgressHUD> ProgressHUD::HUDForView(View& view) {
    auto& children = view.subviews();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto hud = std::dynamic_pointer_cast<ProgressHUD>(*it); hud && !hud->hiding_) return hud;
    return nullptr;
}

bool ProgressHUD::hideHUDForView(View& view, bool animated) {
    auto hud = HUDForView(view);
    if (!hud) return false;
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hide(animated);
    return true;
}

void ProgressHUD::setLabelText(std::string text) {
    label_->setText(std::move(text));
    notifyChanged(ViewChange::Text);
}

void ProgressHUD::show(bool animated) {
    hiding_ = false;
    setBlocksTouchesBelow(true);
    setHidden(false);
    if (animated) {
        setAlpha(0);
        animateAlpha(1, seconds(kFadeSeconds));
    } else {
        setAlpha(1);
    }
}

void ProgressHUD::hide(bool animated) {
    if (hiding_) return;
    hiding_ = true;
    // Touches go through at once, even while the fade runs.
    setBlocksTouchesBelow(false);
    setUserInteractionEnabled(false);
    auto finish = whileAlive(this, [](ProgressHUD& self) {
        if (!self.hiding_) return;
        self.setHidden(true);
        if (self.removeOnHide_) self.removeFromSuperview();
    });
    if (animated) {
        animateAlpha(0, seconds(kFadeSeconds));
        RunLoop::main().postDelayed(seconds(kFadeSeconds), finish);
    } else {
        setAlpha(0);
        finish();
    }
}

bool ProgressHUD::dump(DumpWriter& out) const {
    if (hiding_) return false;
    out.line("overlay: " + DumpWriter::quote(labelText()));
    return false;
}

}  // namespace busdesk
