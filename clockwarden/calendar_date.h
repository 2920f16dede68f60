// A calendar date with weekday and time of day, stepped by whole days with
// carry over month and year ends. Local time only; knows no time zones.
#pragma once

class cVLTime;

class cCalendarDate {
public:
    cCalendarDate();                                  // 1 January 2005, 00:00:00
    cCalendarDate(int day, int month, int year);
    explicit cCalendarDate(const cVLTime& time);      // time must be valid (see IsSchedulable)
    virtual ~cCalendarDate() = default;
    cCalendarDate(const cCalendarDate&) = default;
    cCalendarDate& operator=(const cCalendarDate&) = default;

    void SetDay(int day);        // carries into the following months
    void SetMonth(int month);    // carries into the following (or previous) years
    void SetYear(int year);
    void SetTimeOfDay(int hhmmss);

    int GetDay() const { return m_day; }
    int GetWeekday() const { return m_weekday; }   // 0 Sunday ... 6 Saturday
    int GetMonth() const { return m_month; }
    int GetYear() const { return m_year; }
    int GetTimeOfDay() const { return m_time; }    // hour * 10000 + minute * 100 + second

    void AddDays(int n);
    void SubDays(int n);
    void SetDate(const cCalendarDate& other);      // date only, not the time of day

    bool IsLater(const cCalendarDate& other) const;     // by date, times ignored
    bool IsSameDate(const cCalendarDate& other) const;
    int DaysFrom(const cCalendarDate& other) const;     // this date minus other's, in days

    int DaysInMonth() const { return DaysInMonthOf(m_month); }
    int DaysInMonthOf(int month) const;
    bool IsLeapYear() const;

    cVLTime ToVLTime() const;

private:
    void ComputeWeekday();
    long long DayNumber() const;

    // Field order and widths as the scheduler has always laid them out.
    int m_day = 1;
    int m_weekday = 6;
    int m_month = 1;
    int m_year = 2005;
    int m_time = 0;
};
