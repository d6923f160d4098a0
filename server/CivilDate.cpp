#include "server/CivilDate.h"

#include <cstdio>

namespace busdesk::sim {

long civilDayNumber(const std::string& day) {
    int y, m, d;
    char extra;
    if (day.size() != 10 || day[4] != '-' || day[7] != '-' ||
        std::sscanf(day.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &extra) != 3)
        return -1;
    if (y < 2000 || y > 2099 || m < 1 || m > 12 || d < 1 || d > 31) return -1;
    // Days from civil (proleptic Gregorian).
    y -= m <= 2;
    long era = (y >= 0 ? y : y - 399) / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long n = era * 146097 + doe - 719468;
    return civilDayText(n) == day ? n : -1;  // rejects 2025-02-30
}

std::string civilDayText(long z) {
    z += 719468;
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    long d = doy - (153 * mp + 2) / 5 + 1;
    long m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    char b[80];
    std::snprintf(b, sizeof b, "%04ld-%02ld-%02ld", y, m, d);
    return b;
}

std::string clockText(int minutes) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d:%02d", (minutes / 60) % 24, minutes % 60);
    return b;
}

}  // namespace busdesk::sim
