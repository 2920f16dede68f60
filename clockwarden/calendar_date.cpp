#include "calendar_date.h"

#include "vltime.h"

cCalendarDate::cCalendarDate() { ComputeWeekday(); }

cCalendarDate::cCalendarDate(int day, int month, int year) {
    SetYear(year);
    SetMonth(month);
    SetDay(day);
    m_time = 0;
    ComputeWeekday();
}

cCalendarDate::cCalendarDate(const cVLTime& time) {
    cVLTime t(time);
    SetYear(t.GetYear());
    SetMonth(t.GetMonth());
    SetDay(t.GetDay());
    SetTimeOfDay(t.GetHour() * 10000 + t.GetMinute() * 100 + t.GetSecond());
    ComputeWeekday();
}

void cCalendarDate::SetYear(int year) { m_year = year; }

void cCalendarDate::SetTimeOfDay(int hhmmss) { m_time = hhmmss; }

void cCalendarDate::SetMonth(int month) {
    // A loop rather than one call per twelve months: a hostile month number
    // must not cost a deep recursion. Months below 1 borrow from the year.
    while (month > 12) {
        month -= 12;
        ++m_year;
    }
    while (month < 1) {
        month += 12;
        --m_year;
    }
    m_month = month;
}

void cCalendarDate::SetDay(int day) {
    while (day > DaysInMonth()) {
        day -= DaysInMonth();
        SetMonth(m_month + 1);
    }
    while (day < 1) {
        SetMonth(m_month - 1);
        day += DaysInMonth();
    }
    m_day = day;
}

void cCalendarDate::AddDays(int n) {
    SetDay(m_day + n);
    ComputeWeekday();
}

void cCalendarDate::SubDays(int n) {
    SetDay(m_day - n);
    ComputeWeekday();
}

void cCalendarDate::SetDate(const cCalendarDate& other) {
    m_year = other.m_year;
    m_month = other.m_month;
    m_day = other.m_day;
    ComputeWeekday();
}

bool cCalendarDate::IsLater(const cCalendarDate& other) const {
    if (m_year != other.m_year) return m_year > other.m_year;
    if (m_month != other.m_month) return m_month > other.m_month;
    return m_day > other.m_day;
}

bool cCalendarDate::IsSameDate(const cCalendarDate& other) const {
    return !IsLater(other) && !other.IsLater(*this);
}

int cCalendarDate::DaysFrom(const cCalendarDate& other) const {
    // Counting the difference of day numbers gives what stepping one day at
    // a time would, without a loop whose length a stored date decides.
    return static_cast<int>(DayNumber() - other.DayNumber());
}

int cCalendarDate::DaysInMonthOf(int month) const {
    switch (month) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    default:
        return IsLeapYear() ? 29 : 28;
    }
}

bool cCalendarDate::IsLeapYear() const {
    return m_year % 400 == 0 || (m_year % 4 == 0 && m_year % 100 != 0);
}

cVLTime cCalendarDate::ToVLTime() const {
    return cVLTime(m_year, m_month, m_day, m_time / 10000, (m_time % 10000) / 100, m_time % 100);
}

// Days since 1 March of year 0 in the proleptic Gregorian calendar.
long long cCalendarDate::DayNumber() const {
    long long y = m_year;
    int m = m_month;
    if (m <= 2) --y;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    int mp = (m + 9) % 12;
    long long doy = (153 * mp + 2) / 5 + m_day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

void cCalendarDate::ComputeWeekday() {
    // Exact for every Gregorian date (the short two-digit-year formula is
    // only right between March 2000 and 2099, and wrong before).
    long long n = DayNumber();        // day 0 = 1 March of year 0, a Wednesday
    long long w = (n + 3) % 7;
    if (w < 0) w += 7;
    m_weekday = static_cast<int>(w);
}
