#include <gtest/gtest.h>
#include <windows.h>

#include "calendar_date.h"
#include "vltime.h"

namespace {

struct DateCase {
    int day, month, year;
    int weekday;
};

TEST(CalendarDate, WeekdaysOfKnownDates) {
    const DateCase cases[] = {
        {1, 1, 2005, 6},  {29, 2, 2004, 0}, {1, 5, 2009, 5},  {1, 3, 2000, 3},
        {31, 12, 2099, 4}, {28, 2, 2100, 0}, {1, 1, 1999, 5}, {15, 8, 1995, 2},
    };
    for (const auto& c : cases) {
        cCalendarDate d(c.day, c.month, c.year);
        EXPECT_EQ(d.GetWeekday(), c.weekday) << c.day << "." << c.month << "." << c.year;
    }
    EXPECT_EQ(cCalendarDate().GetWeekday(), 6);   // the default date, 1 January 2005
}

// The weekday must agree with the system's calendar on every day the
// scheduler can meet, not only on the listed ones.
TEST(CalendarDate, WeekdayAgreesWithSystemForEveryDay) {
    cCalendarDate d(1, 1, 1990);
    for (int i = 0; i < 120 * 366; ++i) {
        SYSTEMTIME st = {};
        st.wYear = static_cast<WORD>(d.GetYear());
        st.wMonth = static_cast<WORD>(d.GetMonth());
        st.wDay = static_cast<WORD>(d.GetDay());
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&st, &ft)) << d.GetDay() << "." << d.GetMonth() << "." << d.GetYear();
        SYSTEMTIME back;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        ASSERT_EQ(d.GetWeekday(), back.wDayOfWeek) << d.GetDay() << "." << d.GetMonth() << "." << d.GetYear();
        d.AddDays(1);
    }
}

struct StepCase {
    int day, month, year;
    int add;   // negative: SubDays
    int eDay, eMonth, eYear;
};

TEST(CalendarDate, DayStepsCarryOverMonthAndYearEnds) {
    const StepCase cases[] = {
        {31, 12, 2008, 1, 1, 1, 2009},   {31, 1, 2009, 29, 1, 3, 2009},  {5, 1, 2006, -10, 26, 12, 2005},
        {28, 2, 2008, 1, 29, 2, 2008},   {28, 2, 2009, 1, 1, 3, 2009},   {1, 3, 2008, -1, 29, 2, 2008},
        {1, 1, 2010, -365, 1, 1, 2009},  {15, 6, 2010, 400, 20, 7, 2011}, {1, 3, 2100, -1, 28, 2, 2100},
        {29, 2, 2000, 366, 1, 3, 2001},
    };
    for (const auto& c : cases) {
        cCalendarDate d(c.day, c.month, c.year);
        if (c.add >= 0)
            d.AddDays(c.add);
        else
            d.SubDays(-c.add);
        EXPECT_EQ(d.GetDay(), c.eDay) << c.day << "." << c.month << "." << c.year << " + " << c.add;
        EXPECT_EQ(d.GetMonth(), c.eMonth) << c.day << "." << c.month << "." << c.year << " + " << c.add;
        EXPECT_EQ(d.GetYear(), c.eYear) << c.day << "." << c.month << "." << c.year << " + " << c.add;
    }
}

TEST(CalendarDate, DaysFromCountsSignedDays) {
    EXPECT_EQ(cCalendarDate(1, 3, 2008).DaysFrom(cCalendarDate(28, 2, 2008)), 2);
    EXPECT_EQ(cCalendarDate(28, 2, 2008).DaysFrom(cCalendarDate(1, 3, 2008)), -2);
    EXPECT_EQ(cCalendarDate(1, 3, 2009).DaysFrom(cCalendarDate(28, 2, 2009)), 1);
    EXPECT_EQ(cCalendarDate(7, 7, 2010).DaysFrom(cCalendarDate(7, 7, 2010)), 0);
    EXPECT_EQ(cCalendarDate(1, 1, 2011).DaysFrom(cCalendarDate(1, 1, 2010)), 365);
}

TEST(CalendarDate, ComparesDatesWithoutTimeOfDay) {
    cCalendarDate a(cVLTime(2009, 5, 1, 23, 59, 59));
    cCalendarDate b(cVLTime(2009, 5, 1, 0, 0, 0));
    EXPECT_FALSE(a.IsLater(b));
    EXPECT_TRUE(a.IsSameDate(b));
    cCalendarDate c(2, 5, 2009);
    EXPECT_TRUE(c.IsLater(a));
    EXPECT_FALSE(a.IsLater(c));
    EXPECT_TRUE(cCalendarDate(1, 1, 2010).IsLater(cCalendarDate(31, 12, 2009)));
}

TEST(CalendarDate, MonthBeyondTwelveCarriesIntoYears) {
    cCalendarDate d(10, 6, 2008);
    d.SetMonth(14);
    EXPECT_EQ(d.GetMonth(), 2);
    EXPECT_EQ(d.GetYear(), 2009);
    // A damaged month number must neither recurse deeply nor index outside
    // the month table.
    cCalendarDate e(1, 1, 2008);
    e.SetMonth(12 * 100000 + 3);
    EXPECT_EQ(e.GetMonth(), 3);
    EXPECT_EQ(e.GetYear(), 2008 + 100000);
    cCalendarDate f(1, 1, 2008);
    f.SetMonth(0);
    EXPECT_EQ(f.GetMonth(), 12);
    EXPECT_EQ(f.GetYear(), 2007);
}

TEST(CalendarDate, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(cCalendarDate(1, 1, 2000).IsLeapYear());
    EXPECT_TRUE(cCalendarDate(1, 1, 2008).IsLeapYear());
    EXPECT_FALSE(cCalendarDate(1, 1, 2100).IsLeapYear());
    EXPECT_FALSE(cCalendarDate(1, 1, 2009).IsLeapYear());
    cCalendarDate d(1, 1, 2008);
    const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(d.DaysInMonthOf(m), lengths[m - 1]) << m;
    EXPECT_EQ(d.DaysInMonthOf(13), 29);   // any other number counts as February
}

TEST(CalendarDate, ConvertsToAndFromTimeStamps) {
    cVLTime t(2009, 5, 15, 20, 5, 9);
    cCalendarDate d(t);
    EXPECT_EQ(d.GetTimeOfDay(), 200509);
    EXPECT_EQ(d.GetWeekday(), 5);
    d.AddDays(17);
    EXPECT_STREQ(d.ToVLTime().GetTime(), "20090601200509");
    cCalendarDate e;
    e.SetDate(d);
    EXPECT_EQ(e.GetTimeOfDay(), 0);
    EXPECT_TRUE(e.IsSameDate(d));
}

}  // namespace
