// The rules of the timer editor that involve no window: weekday bits, the
// calendar checks of what the user chose, the years the date lists offer,
// the stop time of a start and a stop time of day, and the name given to an
// entry the user left unnamed. The scheduler reads the stored fields by
// exactly these encodings.
#pragma once

#include <cstddef>
#include <vector>

#include "facetkit_api.h"
#include "vltime.h"

namespace timer {

// Weekday index 0 (Sunday) to 6 (Saturday) and its bit in the weekday set.
inline int DayFlagFromIndex(int index) { return index >= 0 && index <= 6 ? 1 << index : 0; }
// The lowest weekday whose bit is set; -1 when none of bits 0-6 is.
FACETKIT_API int IndexFromDayFlag(int flags);

FACETKIT_API int DaysInMonth(int year, int month);
FACETKIT_API bool IsValidDate(int year, int month, int day);

// The years a date list offers: from one year before `thisYear` to five
// after, and `extra` in its place when it is a plausible year outside them.
FACETKIT_API std::vector<int> YearChoices(int thisYear, int extra);
// Position of `year` in the choices; -1 when absent.
FACETKIT_API int YearIndex(const std::vector<int>& years, int year);

// The stop instant: the start's date with the stop time of day, one day
// later when that is earlier than the start; second 0.
FACETKIT_API cVLTime StopTimeFor(const cVLTime& start, int stopHour, int stopMinute);

// Whole-day comparison of two dates (-1, 0, 1).
FACETKIT_API int CompareDates(int y1, int m1, int d1, int y2, int m2, int d2);

// An entry's name from its start: with the station for recordings and
// playbacks, without for reminders and shut-downs; cut to the buffer.
FACETKIT_API void BuildEntryName(char* out, size_t size, const char* format, bool withStation, const char* station,
                    const cVLTime& start);

}  // namespace timer
