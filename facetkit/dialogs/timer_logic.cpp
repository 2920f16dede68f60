#include "timer_logic.h"

#include <algorithm>

#include "bounded_text.h"

namespace timer {

int IndexFromDayFlag(int flags) {
    for (int i = 0; i <= 6; ++i)
        if (flags & (1 << i)) return i;
    return -1;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1601 && year <= 9999 && day >= 1 && day <= DaysInMonth(year, month);
}

std::vector<int> YearChoices(int thisYear, int extra) {
    std::vector<int> years;
    for (int y = thisYear - 1; y <= thisYear + 5; ++y) years.push_back(y);
    if (extra >= 1601 && extra <= 9999 && std::find(years.begin(), years.end(), extra) == years.end()) {
        years.push_back(extra);
        std::sort(years.begin(), years.end());
    }
    return years;
}

int YearIndex(const std::vector<int>& years, int year) {
    auto it = std::find(years.begin(), years.end(), year);
    return it == years.end() ? -1 : static_cast<int>(it - years.begin());
}

cVLTime StopTimeFor(const cVLTime& start, int stopHour, int stopMinute) {
    cVLTime stop(start);
    stop.SetHour(stopHour);
    stop.SetMinute(stopMinute);
    stop.SetSecond(0);
    ULARGE_INTEGER a = start.GetAsULargeInteger();
    ULARGE_INTEGER b = stop.GetAsULargeInteger();
    if (a.QuadPart > b.QuadPart && b.QuadPart != 0) {
        b.QuadPart += 864000000000ULL;
        stop.SetAsULargeInteger(b);
    }
    return stop;
}

int CompareDates(int y1, int m1, int d1, int y2, int m2, int d2) {
    long a = y1 * 10000L + m1 * 100L + d1;
    long b = y2 * 10000L + m2 * 100L + d2;
    return a < b ? -1 : a > b ? 1 : 0;
}

void BuildEntryName(char* out, size_t size, const char* format, bool withStation, const char* station,
                    const cVLTime& start) {
    if (!out || size == 0) return;
    out[0] = 0;
    if (!format) return;
    // The format comes from the catalogue; its fields are fixed by the id.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    if (withStation)
        bk::TextFormat(out, size, format, station ? station : "", start.GetDay(), start.GetMonth(), start.GetYear(),
                       start.GetHour(), start.GetMinute());
    else
        bk::TextFormat(out, size, format, start.GetDay(), start.GetMonth(), start.GetYear(), start.GetHour(),
                       start.GetMinute());
#pragma GCC diagnostic pop
}

}  // namespace timer
