// The splash window's countdown and the second start's text that changes
// it, free of Windows calls: the payload comes from any local process.
#pragma once

#include <cstddef>

#include "facetkit_api.h"

// The countdown of a splash window: remaining and total ticks, ticks done.
struct FACETKIT_API SplashCountdown {
    int remaining = 0;
    int total = 0;
    int ticks = 0;

    void Set(int n) { remaining = total = n; }
    // A second start's value: remaining := n; above the total it adds to it.
    void SetRemaining(int n) {
        remaining = n;
        if (n > total) total += n;
    }
    // One tick of timer 1 (only while remaining is above 0); answers true
    // when the window is to close now.
    bool Tick() {
        if (remaining <= 0) return false;
        --remaining;
        ++ticks;
        return remaining == 0;
    }
    // The close button shows from the 29th tick on.
    bool CloseButtonVisible() const { return ticks > 28; }
    // (total - remaining) x 100 / total, 0 without a total.
    int Percent() const;
};

// The number after "|SPLASH|" in a second start's text; false when the
// payload does not carry one that may change the countdown (0, or outside
// -1..129). -1 stops the countdown.
FACETKIT_API bool ParseSplashCopyData(const void* data, size_t size, int* value);
