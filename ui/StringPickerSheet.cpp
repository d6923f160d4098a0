#include "ui/StringPickerSheet.h"

#include "platform/views/ScreenDump.h"

namespace busdesk {

StringPickerSheet::StringPickerSheet(std::string title, std::vector<std::string> rows, int initialSelection,
                                     DoneBlock done, CancelBlock cancel, std::weak_ptr<View> origin)
    : PickerSheet(std::move(title), std::move(origin)), done_(std::move(done)), cancel_(std::move(cancel)) {
    picker_ = std::make_shared<PickerView>();
    picker_->setIdentifier("stringPicker");
    picker_->setColumns({std::move(rows)});
    picker_->selectRow(initialSelection, 0);
}

std::shared_ptr<StringPickerSheet> StringPickerSheet::showPickerWithTitle(std::string title,
                                                                          std::vector<std::string> rows,
                                                                          int initialSelection,
                                                                          DoneBlock done, CancelBlock cancel,
                                                                          std::weak_ptr<View> origin) {
    auto sheet = std::make_shared<StringPickerSheet>(std::move(title), std::move(rows), initialSelection,
                                                     std::move(done), std::move(cancel), std::move(origin));
    sheet->showActionSheetPicker();
    return sheet;
}

bool StringPickerSheet::pickValue(const std::string& value) {
    auto row = picker_->rowWithTitle(value, 0);
    if (!row) return false;
    picker_->userSelectRow(*row, 0);
    return true;
}

void StringPickerSheet::notifyDone() {
    int index = picker_->selectedRow(0);
    if (index < 0) return notifyCancel();
    if (done_) done_(*this, index, picker_->titleForRow(index, 0));
}

void StringPickerSheet::notifyCancel() {
    if (cancel_) cancel_(*this);
}

std::string StringPickerSheet::describeValue() const {
    return DumpWriter::quote(picker_->titleForRow(picker_->selectedRow(0), 0));
}

}  // namespace busdesk
