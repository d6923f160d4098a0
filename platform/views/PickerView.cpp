#include "platform/views/PickerView.h"

#include <algorithm>

#include "platform/views/DumpWriter.h"

namespace busdesk {

PickerView::PickerView(Rect frame) : View(frame) {}

int PickerView::numberOfComponents() const {
    return static_cast<int>(columns_.size());
}

int PickerView::numberOfRows(int component) const {
    if (component < 0 || component >= static_cast<int>(columns_.size())) return 0;
    return static_cast<int>(columns_[static_cast<std::size_t>(component)].size());
}

std::string PickerView::titleForRow(int row, int component) const {
    if (row < 0 || row >= numberOfRows(component)) return {};
    return columns_[static_cast<std::size_t>(component)][static_cast<std::size_t>(row)];
}

void PickerView::setColumns(std::vector<std::vector<std::string>> columns) {
    columns_ = std::move(columns);
    reloadAllComponents();
}

void PickerView::clampSelection() {
    selected_.resize(static_cast<std::size_t>(std::max(0, numberOfComponents())), 0);
    for (int c = 0; c < static_cast<int>(selected_.size()); ++c) {
        int n = numberOfRows(c);
        auto& s = selected_[static_cast<std::size_t>(c)];
        s = n == 0 ? -1 : std::clamp(s, 0, n - 1);
    }
}

void PickerView::reloadAllComponents() {
    clampSelection();
    notifyChanged(ViewChange::Content);
}

int PickerView::selectedRow(int component) const {
    if (component < 0 || component >= static_cast<int>(selected_.size()))
        return numberOfRows(component) > 0 ? 0 : -1;
    return selected_[static_cast<std::size_t>(component)];
}

void PickerView::selectRow(int row, int component, bool animated) {
    (void)animated;
    if (component < 0 || component >= numberOfComponents()) return;
    clampSelection();
    int n = numberOfRows(component);
    if (n == 0) return;
    selected_[static_cast<std::size_t>(component)] = std::clamp(row, 0, n - 1);
    notifyChanged(ViewChange::State);
}

std::optional<int> PickerView::rowWithTitle(const std::string& title, int component) const {
    for (int r = 0; r < numberOfRows(component); ++r)
        if (titleForRow(r, component) == title) return r;
    return std::nullopt;
}

bool PickerView::userSelectRow(int row, int component) {
    if (component < 0 || component >= numberOfComponents() || row < 0 || row >= numberOfRows(component))
        return false;
    auto keep = weak_from_this().lock();
    selectRow(row, component);
    didSelectRow(row, component);
    if (onSelect_) onSelect_(*this, row, component);
    return true;
}

bool PickerView::dump(DumpWriter& out) const {
    std::string line = DumpWriter::head("picker", *this) + ":";
    for (int c = 0; c < numberOfComponents(); ++c)
        line += " " + DumpWriter::quote(titleForRow(selectedRow(c), c));
    out.line(line);
    return false;
}

std::string PickerView::accessibleName() const {
    if (!accessibilityLabel().empty()) return accessibilityLabel();
    std::string out;
    for (int c = 0; c < numberOfComponents(); ++c) {
        int row = selectedRow(c);
        if (row < 0) continue;
        if (!out.empty()) out += " ";
        out += titleForRow(row, c);
    }
    return out;
}

bool PickerView::acceptsKeyboardFocus() const {
    return !accessibilityHidden() && numberOfComponents() > 0;
}

bool PickerView::userKey(const KeyEvent& key) {
    int components = numberOfComponents();
    if (components <= 0 || key.shift) return false;
    keyboardComponent_ = std::clamp(keyboardComponent_, 0, components - 1);
    switch (key.key) {
        case Key::Left:
        case Key::Right:
            if (components == 1) return false;
            keyboardComponent_ =
                std::clamp(keyboardComponent_ + (key.key == Key::Right ? 1 : -1), 0, components - 1);
            notifyChanged(ViewChange::State);
            return true;
        case Key::Up:
        case Key::Down: {
            int rows = numberOfRows(keyboardComponent_);
            if (rows <= 0) return true;
            int row =
                std::clamp(selectedRow(keyboardComponent_) + (key.key == Key::Down ? 1 : -1), 0, rows - 1);
            // At either end the wheel stays: no choice is reported again.
            if (row != selectedRow(keyboardComponent_)) userSelectRow(row, keyboardComponent_);
            return true;
        }
        default:
            return false;
    }
}

Rect PickerView::keyboardFocusRect() const {
    Rect b = bounds();
    int components = numberOfComponents();
    if (components <= 1) return b;
    double width = b.width / components;
    return {b.x + width * std::clamp(keyboardComponent_, 0, components - 1), b.y, width, b.height};
}

}  // namespace busdesk
