#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/views/PickerView.h"
#include "ui/PickerSheet.h"

namespace busdesk {

// One column of strings in a sheet. Done calls the done callback with the selected index and
// text; Cancel calls the cancel callback. With no rows at all Done has nothing to deliver and
// counts as Cancel.
class StringPickerSheet : public PickerSheet {
  public:
    using DoneBlock =
        std::function<void(StringPickerSheet& picker, int selectedIndex, const std::string& selectedValue)>;
    using CancelBlock = std::function<void(StringPickerSheet& picker)>;

    StringPickerSheet(std::string title, std::vector<std::string> rows, int initialSelection, DoneBlock done,
                      CancelBlock cancel, std::weak_ptr<View> origin);

    static std::shared_ptr<StringPickerSheet> showPickerWithTitle(std::string title,
                                                                  std::vector<std::string> rows,
                                                                  int initialSelection, DoneBlock done,
                                                                  CancelBlock cancel,
                                                                  std::weak_ptr<View> origin);

    int selectedIndex() const { return picker_->selectedRow(0); }
    PickerView& picker() { return *picker_; }

    // A row's text.
    bool pickValue(const std::string& value) override;

  protected:
    std::shared_ptr<View> pickerView() override { return picker_; }
    void notifyDone() override;
    void notifyCancel() override;
    std::string describeValue() const override;

  private:
    std::shared_ptr<PickerView> picker_;
    DoneBlock done_;
    CancelBlock cancel_;
};

}  // namespace busdesk
