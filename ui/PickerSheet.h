#pragma once

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/views/Button.h"
#include "platform/views/Label.h"

namespace busdesk {

// A sheet rising from the bottom with a toolbar (Cancel, custom buttons, title, Done) above a
// picker. Shown sheets are kept (and owned) in a registry until they close, so scripts can find
// the open picker.
class PickerSheet : public View {
  public:
    struct CustomButton {
        std::string title;
        std::any value;
    };

    PickerSheet(std::string title, std::weak_ptr<View> origin);
    ~PickerSheet() override;

    const std::string& title() const { return title_; }
    std::string accessibleName() const override { return title_; }
    std::shared_ptr<View> origin() const { return origin_.lock(); }

    // A missing title becomes "", a missing value the number 0 (a double).
    void addCustomButtonWithTitle(const std::optional<std::string>& title, std::any value = {});
    const std::vector<CustomButton>& customButtons() const { return customButtons_; }
    void setHideCancel(bool hide);
    bool hideCancel() const { return hideCancel_; }

    void showActionSheetPicker();
    bool isShown() const { return shown_; }
    // 0 → 1 while the sheet rises; its toolbar and picker are drawn following it.
    const AnimatedValue& riseAnimation() const { return rise_; }

    // User input.
    void userPressDone();
    // Ignored when the sheet has no Cancel button.
    void userPressCancel();
    void userPressCustomButton(std::size_t index);
    // Closed by the app, not by the user (the session it was opened in has ended): neither Done
    // nor Cancel is reported.
    void dismiss() { close(); }
    // A script's `pick VALUE`: moves the picker to the value; false when it does not fit.
    virtual bool pickValue(const std::string& value) = 0;

    // Open sheets, oldest first.
    static std::vector<std::shared_ptr<PickerSheet>> visibleSheets();

    bool dump(DumpWriter& out) const override;
    void layoutSubviews() override;

  protected:
    // The picker shown under the toolbar; created by the subclass in its constructor.
    virtual std::shared_ptr<View> pickerView() = 0;
    virtual void notifyDone() = 0;
    virtual void notifyCancel() {}
    virtual void customButtonPressed(const CustomButton& button) { (void)button; }
    // One line describing the picker's current value for the dump.
    virtual std::string describeValue() const = 0;
    void close();

  private:
    void build();
    void placeParts();
    void followRise();
    std::shared_ptr<View> toolbar_;
    std::shared_ptr<Label> titleLabel_;
    std::string title_;
    std::weak_ptr<View> origin_;
    std::vector<CustomButton> customButtons_;
    bool hideCancel_ = false;
    bool shown_ = false;
    bool finished_ = false;
    AnimatedValue rise_ = AnimatedValue::fixed(0);
};

}  // namespace busdesk
