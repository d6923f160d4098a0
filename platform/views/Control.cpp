#include "platform/views/Control.h"

namespace busdesk {

void Control::setEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    notifyChanged(ViewChange::State);
}

void Control::setSelected(bool s) {
    if (s == selected_) return;
    selected_ = s;
    notifyChanged(ViewChange::State);
}

void Control::setHighlighted(bool h) {
    if (h == highlighted_) return;
    highlighted_ = h;
    notifyChanged(ViewChange::State);
}

ControlState Control::state() const {
    if (!enabled_) return ControlState::Disabled;
    if (highlighted_) return ControlState::Highlighted;
    if (selected_) return ControlState::Selected;
    return ControlState::Normal;
}

void Control::addAction(Action action) {
    if (action) actions_.push_back(std::move(action));
}

void Control::sendActions() {
    if (!enabled_) return;
    // An action may remove this control (a screen replacing its content); keep it alive.
    auto keep = weak_from_this().lock();
    auto actions = actions_;
    for (auto& a : actions) a(*this);
}

bool Control::acceptsKeyboardFocus() const {
    return enabled_ && !accessibilityHidden() && (!actions_.empty() || hasTapHandlers());
}

bool Control::userKey(const KeyEvent& key) {
    if ((key.key == Key::Return || key.key == Key::Space) && !key.shift && enabled_) return userTap();
    return false;
}

bool Control::userTap() {
    if (!enabled_) return false;
    if (actions_.empty()) return View::userTap();
    // The tap handlers run after the actions, and an action may drop the last owner of this
    // control (a bar rebuilding its buttons): keep it alive for both.
    auto keep = weak_from_this().lock();
    sendActions();
    View::userTap();
    return true;
}

}  // namespace busdesk
