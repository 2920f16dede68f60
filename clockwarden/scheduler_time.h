// Time-stamp arithmetic shared by the scheduler's files: comparisons and
// steps on the file-time count of a cVLTime (0 = unset or not a valid time).
#pragma once

#include <cstdint>

#include "timerentry.h"
#include "vltime.h"

namespace cw {

inline uint64_t Count(const cVLTime& t) { return t.GetAsULargeInteger().QuadPart; }

inline bool IsSet(const cVLTime& t) { return Count(t) != 0; }

inline cVLTime FromCount(uint64_t count) {
    cVLTime t;
    ULARGE_INTEGER u;
    u.QuadPart = count;
    t.SetAsULargeInteger(u);
    return t;
}

// The length of a run; a stop before the start counts as none.
inline uint64_t RunLength(const cVLTime& start, const cVLTime& stop) {
    uint64_t a = Count(start), b = Count(stop);
    return b > a ? b - a : 0;
}

// A reminder may still be shown this long after its time.
constexpr uint64_t kReminderGrace = 60 * kTicksPerSecond;
// A shut-down later than this (the computer slept through it) is not done.
constexpr uint64_t kShutdownGrace = 5 * 60 * kTicksPerSecond;

// A recording or playback whose start has passed still runs for the rest of
// its time: it starts late instead of being lost while another job's stop
// command or the list's save took the start second.
inline bool StillRunnable(const cTimerEntry& e, uint64_t now) {
    if (e.GetAction() != TA_RECORD && e.GetAction() != TA_PLAY) return false;
    return Count(e.GetNextJobTime()) + RunLength(e.GetStartTime(), e.GetStopTime()) > now;
}

}  // namespace cw
