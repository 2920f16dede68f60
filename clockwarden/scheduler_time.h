// Time-stamp arithmetic shared by the scheduler's files: comparisons and
// steps on the file-time count of a cVLTime (0 = unset or not a valid time).
#pragma once

#include <cstdint>

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

}  // namespace cw
