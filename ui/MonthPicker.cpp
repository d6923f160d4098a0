#include "ui/MonthPicker.h"

#include <algorithm>
#include <cstdio>

#include "platform/Translation.h"
#include "platform/views/ScreenDump.h"

namespace busdesk {

MonthPicker::MonthPicker(Rect frame) : PickerView(frame), date_(LocalDate::of(Date::now()).firstOfMonth()) {
    clampAndSync();
}

int MonthPicker::firstYear() const {
    if (minYear_) return *minYear_;
    return std::min(kDefaultFirstYear, maxYear_ ? std::min(*maxYear_, date_.year) : date_.year);
}

int MonthPicker::lastYear() const {
    if (maxYear_) return std::max(*maxYear_, firstYear());
    return std::max(kDefaultLastYear, date_.year);
}

int MonthPicker::numberOfRows(int component) const {
    if (component == monthComponent()) return 12;
    if (component == yearComponent()) return lastYear() - firstYear() + 1;
    return 0;
}

std::string MonthPicker::titleForRow(int row, int component) const {
    if (component == monthComponent()) {
        if (row < 0 || row >= 12) return {};
        return trFormat("%1月", {std::to_string(row + 1)});
    }
    if (component == yearComponent() && row >= 0 && row < numberOfRows(component))
        return trFormat("%1年", {std::to_string(firstYear() + row)});
    return {};
}

void MonthPicker::clampAndSync() {
    if (minYear_ && date_.year < *minYear_) date_.year = *minYear_;
    if (maxYear_ && date_.year > *maxYear_) date_.year = std::max(*maxYear_, minYear_.value_or(*maxYear_));
    date_.day = 1;
    reloadAllComponents();
    selectRow(date_.year - firstYear(), yearComponent());
    selectRow(date_.month - 1, monthComponent());
    notifyChanged(ViewChange::State);
}

void MonthPicker::setDate(Date d) {
    date_ = LocalDate::of(d).firstOfMonth();
    clampAndSync();
}

void MonthPicker::setMinimumYear(std::optional<int> y) {
    minYear_ = y;
    clampAndSync();
}

void MonthPicker::setMaximumYear(std::optional<int> y) {
    maxYear_ = y;
    clampAndSync();
}

void MonthPicker::setYearFirst(bool y) {
    yearFirst_ = y;
    clampAndSync();
}

void MonthPicker::changeTo(LocalDate next) {
    auto keep = weak_from_this().lock();
    auto d = delegate_.lock();
    if (d) d->monthPickerWillChangeDate(*this);
    date_ = next;
    clampAndSync();
    if (d) d->monthPickerDidChangeDate(*this);
}

void MonthPicker::didSelectRow(int row, int component) {
    (void)row, (void)component;
    // The new date is the first day of what both wheels show now.
    LocalDate next{firstYear() + selectedRow(yearComponent()), selectedRow(monthComponent()) + 1, 1};
    changeTo(next);
}

bool MonthPicker::userSelectMonth(int year, int month) {
    if (month < 1 || month > 12 || year < firstYear() || year > lastYear()) return false;
    changeTo({year, month, 1});
    return true;
}

bool MonthPicker::dump(DumpWriter& out) const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d", date_.year, date_.month);
    out.line(DumpWriter::head("monthpicker", *this) + ": " + buf);
    return false;
}

}  // namespace busdesk
