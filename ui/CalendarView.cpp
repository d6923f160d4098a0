#include "ui/CalendarView.h"

#include <algorithm>
#include <cstdio>

#include "platform/Translation.h"
#include "platform/views/Label.h"
#include "platform/views/Palette.h"
#include "platform/views/ScreenDump.h"

namespace busdesk {

namespace {
const char* const kWeekdayNames[] = {N_("日"), N_("一"), N_("二"), N_("三"), N_("四"), N_("五"), N_("六")};
}  // namespace

CalendarView::CalendarView(Rect frame) : View(frame), month_(LocalDate::of(Date::now()).firstOfMonth()) {
    rebuild();
    View::setFrame({frame.x, frame.y, frame.width, targetHeight()});
}

void CalendarView::setDelegate(std::weak_ptr<CalendarViewDelegate> d) {
    delegate_ = std::move(d);
    if (auto del = delegate_.lock())
        del->calendarViewSwitchedToMonth(*this, month_.month, targetHeight(), false);
}

int CalendarView::numberOfWeeks() const {
    int lead = weekdayOf(month_.year, month_.month, 1);
    int cells = lead + daysInMonth(month_.year, month_.month);
    return (cells + 6) / 7;
}

void CalendarView::showMonth(LocalDate m, bool animated) {
    m = m.firstOfMonth();
    if (m == month_) return;
    month_ = m;
    marks_.clear();  // marks belong to the month they were made for
    rebuild();
    View::setFrame({frame().x, frame().y, frame().width, targetHeight()});
    notifyChanged(ViewChange::Content);
    auto keep = weak_from_this().lock();
    if (auto d = delegate_.lock())
        d->calendarViewSwitchedToMonth(*this, month_.month, targetHeight(), animated);
}

void CalendarView::showNextMonth() {
    showMonth(month_.addingMonths(1), true);
}

void CalendarView::showPreviousMonth() {
    showMonth(month_.addingMonths(-1), true);
}

void CalendarView::selectDate(Date date) {
    LocalDate day = LocalDate::of(date);
    showMonth(day.firstOfMonth(), true);
    selected_ = day.toDate();
    rebuild();
    notifyChanged(ViewChange::State);
}

void CalendarView::reset() {
    selected_.reset();
    marks_.clear();
    LocalDate today = LocalDate::of(Date::now()).firstOfMonth();
    if (today == month_) {
        rebuild();
        notifyChanged(ViewChange::Content);
    } else {
        showMonth(today, false);
    }
}

void CalendarView::markDates(const std::vector<MarkItem>& items) {
    markDates(items, {});
}

void CalendarView::markDates(const std::vector<MarkItem>& items, const std::vector<Color>& colors) {
    marks_.clear();
    Color standard = Color::of(ColorRole::CalendarMark);
    int days = daysInMonth(month_.year, month_.month);
    for (std::size_t i = 0; i < items.size(); ++i) {
        int day = 0;
        if (auto* n = std::get_if<int>(&items[i])) {
            day = *n;
        } else {
            LocalDate d = LocalDate::of(std::get<Date>(items[i]));
            if (d.year != month_.year || d.month != month_.month) continue;
            day = d.day;
        }
        if (day < 1 || day > days) continue;
        marks_[day] = i < colors.size() ? colors[i] : standard;
    }
    rebuild();
    notifyChanged(ViewChange::Content);
}

bool CalendarView::userSelectDay(int day) {
    if (day < 1 || day > daysInMonth(month_.year, month_.month)) return false;
    auto keep = weak_from_this().lock();
    selected_ = LocalDate{month_.year, month_.month, day}.toDate();
    rebuild();
    notifyChanged(ViewChange::State);
    if (auto d = delegate_.lock()) d->calendarViewDateSelected(*this, *selected_);
    return true;
}

void CalendarView::rebuild() {
    removeAllSubviews();
    double w = frame().width > 0 ? frame().width : 320;
    double cell = w / 7;
    char year[16];
    std::snprintf(year, sizeof year, "%04d", month_.year);
    auto title = std::make_shared<Label>(Rect{0, 0, w, 36},
                                         trFormat("%1年%2月", {year, std::to_string(month_.month)}));
    title->setTextAlignment(TextAlignment::Center);
    title->setIdentifier("calendarTitle");
    addSubview(title);
    // The weekday names over the columns, Sunday first as the grid is.
    for (int i = 0; i < 7; ++i) {
        auto name =
            std::make_shared<Label>(Rect{cell * i, 36, cell, kHeaderHeight - 36}, tr(kWeekdayNames[i]));
        name->setTextAlignment(TextAlignment::Center);
        name->setFontSize(13);
        name->setTextColor(Color::of(ColorRole::SecondaryText));
        name->setIdentifier("weekdayName");
        addSubview(name);
    }
    // Actions find the calendar through the button's parent: rebuild() also runs in the constructor,
    // where no weak reference to the calendar exists yet.
    auto calendarOf = [](View& sender) { return dynamic_cast<CalendarView*>(sender.superview()); };
    auto prev = std::make_shared<Button>(Rect{0, 0, 44, 36}, "<");
    prev->setIdentifier("showPreviousMonth");
    prev->setAccessibilityLabel(tr("上个月"));
    prev->addAction([calendarOf](View& sender) {
        if (auto* s = calendarOf(sender)) s->showPreviousMonth();
    });
    addSubview(prev);
    auto next = std::make_shared<Button>(Rect{w - 44, 0, 44, 36}, ">");
    next->setIdentifier("showNextMonth");
    next->setAccessibilityLabel(tr("下个月"));
    next->addAction([calendarOf](View& sender) {
        if (auto* s = calendarOf(sender)) s->showNextMonth();
    });
    addSubview(next);
    std::optional<LocalDate> sel;
    if (selected_) sel = LocalDate::of(*selected_);
    const LocalDate today = LocalDate::of(Date::now());
    int lead = weekdayOf(month_.year, month_.month, 1);
    for (int day = 1; day <= daysInMonth(month_.year, month_.month); ++day) {
        const int index = lead + day - 1;
        const int week = index / 7, weekday = index % 7;
        auto b = std::make_shared<Button>(
            Rect{cell * weekday, kHeaderHeight + kRowHeight * week, cell, kRowHeight}, std::to_string(day));
        b->setIdentifier("day");
        b->setTag(day);
        const bool chosen = sel && sel->year == month_.year && sel->month == month_.month && sel->day == day;
        b->setSelected(chosen);
        if (chosen) {
            // The chosen day: white on the accent colour, so it is seen at a glance.
            b->setTitleColor(Color::of(ColorRole::OnAccent), ControlState::Selected);
            b->setBackgroundColor(Color::of(ColorRole::Accent));
            b->setCornerRadius(6);
        }
        if (today.year == month_.year && today.month == month_.month && today.day == day) {
            // Today: a ring, so it stays told apart from the chosen day (a filled square) and
            // shows inside it when today is the chosen day.
            const double side = std::min(cell, kRowHeight) - 8;
            auto ring = std::make_shared<View>(Rect{(cell - side) / 2, (kRowHeight - side) / 2, side, side});
            ring->setIdentifier("today");
            ring->setCornerRadius(side / 2);
            ring->setOutline(Outline{Color::of(chosen ? ColorRole::OnAccent : ColorRole::Accent), 2});
            ring->setUserInteractionEnabled(false);
            b->addSubview(ring);
        }
        b->addAction([calendarOf, day](View& sender) {
            if (auto* s = calendarOf(sender)) s->userSelectDay(day);
        });
        addSubview(b);
        if (auto it = marks_.find(day); it != marks_.end()) {
            auto dot = std::make_shared<View>(Rect{cell / 2 - 2, kRowHeight - 8, 4, 4});
            dot->setBackgroundColor(it->second);
            dot->setCornerRadius(2);
            dot->setUserInteractionEnabled(false);
            b->addSubview(dot);
        }
    }
}

bool CalendarView::dump(DumpWriter& out) const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d", month_.year, month_.month);
    std::string line = DumpWriter::head("calendar", *this) + ": " + buf;
    if (selected_) {
        LocalDate s = LocalDate::of(*selected_);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", s.year, s.month, s.day);
        line += std::string(" selected ") + buf;
    }
    if (!marks_.empty()) {
        line += " marks";
        bool first = true;
        for (auto& [day, c] : marks_) {
            line += (first ? " " : ",") + std::to_string(day);
            first = false;
        }
    }
    out.line(line);
    for (const auto& row : gridLines()) out.indented(row);
    return false;
}

std::vector<std::string> CalendarView::gridLines() const {
    // Five columns a day: the number right-aligned in the middle, "[7]" for the chosen day,
    // "(7)" for today, a "*" after a marked one.
    std::optional<LocalDate> sel;
    if (selected_) sel = LocalDate::of(*selected_);
    const LocalDate today = LocalDate::of(Date::now());
    auto same = [this](const std::optional<LocalDate>& d, int day) {
        return d && d->year == month_.year && d->month == month_.month && d->day == day;
    };
    std::vector<std::string> rows;
    std::string heading;
    for (const char* name : kWeekdayNames) heading += std::string(" ") + tr(name) + "  ";
    rows.push_back(heading.substr(0, heading.size() - 2));
    const int lead = weekdayOf(month_.year, month_.month, 1);
    const int days = daysInMonth(month_.year, month_.month);
    std::string row(static_cast<std::size_t>(lead) * 5, ' ');
    for (int day = 1; day <= days; ++day) {
        const bool chosen = same(sel, day), isToday = same(today, day), marked = marks_.count(day) > 0;
        std::string number = std::to_string(day);
        std::string cell = chosen ? "[" + number + "]" : isToday ? "(" + number + ")" : number;
        if (marked) cell += "*";
        // The digits end in the third column whatever surrounds them.
        const std::size_t before = 3 - number.size() - ((chosen || isToday) ? 1 : 0);
        cell = std::string(before, ' ') + cell;
        cell.resize(5, ' ');
        row += cell;
        if ((lead + day) % 7 == 0 || day == days) {
            while (!row.empty() && row.back() == ' ') row.pop_back();
            rows.push_back(row);
            row.clear();
        }
    }
    rows.push_back("[n] chosen  (n) today  n* marked");
    return rows;
}

}  // namespace busdesk
