#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/views/View.h"

namespace busdesk {

// A wheel of one or more columns ("components"). The rows come from the virtual methods, whose
// default answers read the columns given to setColumns; a component subclass (month wheel)
// overrides them instead.
class PickerView : public View {
  public:
    using SelectHandler = std::function<void(PickerView&, int row, int component)>;

    PickerView() = default;
    explicit PickerView(Rect frame);

    virtual int numberOfComponents() const;
    virtual int numberOfRows(int component) const;
    virtual std::string titleForRow(int row, int component) const;

    void setColumns(std::vector<std::vector<std::string>> columns);
    void reloadAllComponents();

    // -1 when the component has no rows.
    int selectedRow(int component) const;
    // Programmatic: clamped into range, no callback.
    void selectRow(int row, int component, bool animated = false);
    // The first row of `component` titled `title`.
    std::optional<int> rowWithTitle(const std::string& title, int component = 0) const;

    void setSelectHandler(SelectHandler h) { onSelect_ = std::move(h); }
    // As the finger stops the wheel on `row`: selects, then didSelectRow and the handler.
    bool userSelectRow(int row, int component);

    // Up and Down turn the keyboard's wheel by one row (as a finger would); Left and Right choose
    // that wheel among several.
    int keyboardComponent() const { return keyboardComponent_; }
    bool acceptsKeyboardFocus() const override;
    bool userKey(const KeyEvent& key) override;
    Rect keyboardFocusRect() const override;

    bool dump(DumpWriter& out) const override;
    // The label set, else the values chosen on the wheels.
    std::string accessibleName() const override;

  protected:
    AccessibilityRole defaultAccessibilityRole() const override { return AccessibilityRole::Picker; }
    virtual void didSelectRow(int row, int component) { (void)row, (void)component; }

  private:
    void clampSelection();
    std::vector<std::vector<std::string>> columns_;
    std::vector<int> selected_;
    SelectHandler onSelect_;
    int keyboardComponent_ = 0;
};

}  // namespace busdesk
