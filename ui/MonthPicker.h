#pragma once

#include <memory>
#include <optional>

#include "platform/Date.h"
#include "platform/LocalDate.h"
#include "platform/views/PickerView.h"

namespace busdesk {

class MonthPicker;

class MonthPickerDelegate {
  public:
    virtual ~MonthPickerDelegate() = default;
    virtual void monthPickerWillChangeDate(MonthPicker&) {}
    virtual void monthPickerDidChangeDate(MonthPicker&) {}
};

// A month-and-year wheel. Its date is always the first day of a month, with the year inside the
// minimum/maximum years when they are set.
class MonthPicker : public PickerView {
  public:
    // Year rows span these when no bound is set (widened to include the date's year).
    static constexpr int kDefaultFirstYear = 1970;
    static constexpr int kDefaultLastYear = 2100;

    explicit MonthPicker(Rect frame = {});

    Date date() const { return date_.toDate(); }
    LocalDate month() const { return date_; }
    // Keeps year and month only, clamps the year; selects the wheel rows; no delegate calls.
    void setDate(Date d);
    std::optional<int> minimumYear() const { return minYear_; }
    void setMinimumYear(std::optional<int> y);
    std::optional<int> maximumYear() const { return maxYear_; }
    void setMaximumYear(std::optional<int> y);
    bool yearFirst() const { return yearFirst_; }
    void setYearFirst(bool y);
    bool wrapMonths() const { return wrapMonths_; }
    void setWrapMonths(bool w) { wrapMonths_ = w; }
    void setMonthPickerDelegate(std::weak_ptr<MonthPickerDelegate> d) { delegate_ = std::move(d); }

    // As the user turning both wheels to year/month (one change, one pair of delegate calls).
    bool userSelectMonth(int year, int month);

    int numberOfComponents() const override { return 2; }
    int numberOfRows(int component) const override;
    std::string titleForRow(int row, int component) const override;

    bool dump(DumpWriter& out) const override;

  protected:
    void didSelectRow(int row, int component) override;

  private:
    int firstYear() const;
    int lastYear() const;
    int yearComponent() const { return yearFirst_ ? 0 : 1; }
    int monthComponent() const { return yearFirst_ ? 1 : 0; }
    void clampAndSync();
    void changeTo(LocalDate next);

    LocalDate date_;
    std::optional<int> minYear_, maxYear_;
    bool yearFirst_ = false;
    bool wrapMonths_ = false;
    std::weak_ptr<MonthPickerDelegate> delegate_;
};

}  // namespace busdesk
