#pragma once

#include <vector>

#include "platform/views/View.h"

namespace busdesk {

enum class ControlState { Normal, Highlighted, Selected, Disabled };

// Something with target-action: every registered action runs, in order, on sendActions().
class Control : public View {
  public:
    using View::View;

    bool enabled() const { return enabled_; }
    void setEnabled(bool e);
    bool selected() const { return selected_; }
    void setSelected(bool s);
    bool highlighted() const { return highlighted_; }
    void setHighlighted(bool h);
    ControlState state() const;

    void addAction(Action action);
    void removeAllActions() { actions_.clear(); }
    bool hasActions() const { return !actions_.empty(); }
    // Runs the actions as a touch-up-inside would. A disabled control does nothing.
    void sendActions();

    // A tap on an enabled control sends its actions.
    bool userTap() override;
    // An enabled control that does something takes the focus; Enter and Space press it.
    bool acceptsKeyboardFocus() const override;
    bool userKey(const KeyEvent& key) override;

  private:
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
    std::vector<Action> actions_;
};

}  // namespace busdesk
