#pragma once

#include "platform/Date.h"

namespace busdesk {

// A calendar day in the device time zone.
struct LocalDate {
    int year = 1970;
    int month = 1;  // 1…12
    int day = 1;    // 1…31

    bool operator==(const LocalDate&) const = default;
    static LocalDate of(Date d);
    // Midnight of this day in the device zone (fields out of range are normalised first).
    Date toDate() const;
    LocalDate firstOfMonth() const { return {year, month, 1}; }
    // Month arithmetic that keeps the day 1.
    LocalDate addingMonths(int n) const;
    // The day `n` calendar days later (earlier when negative), across months and years.
    LocalDate addingDays(int n) const;
};

int daysInMonth(int year, int month);
// 0 = Sunday … 6 = Saturday (proleptic Gregorian).
int weekdayOf(int year, int month, int day);

}  // namespace busdesk
