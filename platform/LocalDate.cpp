#include "platform/LocalDate.h"

#include <cstdio>
#include <string>

#include "platform/DateFormat.h"

namespace busdesk {

LocalDate LocalDate::of(Date d) {
    LocalDate out;
    std::string text = formatDate(d, "yyyy-MM-dd");
    if (std::sscanf(text.c_str(), "%d-%d-%d", &out.year, &out.month, &out.day) != 3) return LocalDate{};
    return out;
}

Date LocalDate::toDate() const {
    LocalDate n = LocalDate{year, 1, 1}.addingMonths(month - 1);
    int d = day < 1 ? 1 : (day > daysInMonth(n.year, n.month) ? daysInMonth(n.year, n.month) : day);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", n.year, n.month, d);
    if (auto parsed = parseDate(buf, "yyyy-MM-dd")) return *parsed;
    return Date{};
}

LocalDate LocalDate::addingMonths(int n) const {
    int index = year * 12 + (month - 1) + n;
    int y = index >= 0 ? index / 12 : -((-index + 11) / 12);
    int m = index - y * 12 + 1;
    return {y, m, 1};
}

LocalDate LocalDate::addingDays(int n) const {
    // Days since 1970-01-01 and back (proleptic Gregorian, Howard Hinnant's civil-day formulas).
    long long y = year - (month <= 2 ? 1 : 0);
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153LL * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long long z = era * 146097 + doe + n;
    era = (z >= 0 ? z : z - 146096) / 146097;
    doe = z - era * 146097;
    yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    LocalDate out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(yoe + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 30;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

int weekdayOf(int year, int month, int day) {
    // Sakamoto's method.
    static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    int w = (year + year / 4 - year / 100 + year / 400 + t[(month - 1 + 12) % 12] + day) % 7;
    return w < 0 ? w + 7 : w;
}

}  // namespace busdesk
