// The WAV-to-MP3 conversion order: the record the converter pop-up owns and
// hands to the host with callback code 62. Both sides take its layout from
// here; the host copies it before the call returns. The notify window
// travels as a 32-bit word (handles are sign-extended back) so every build
// sends the same 2,060 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace td {

struct ConvertOrder {
    int32_t notifyWindow;    // receives message 1185 (progress)
    char wavPath[1024];      // source file
    char mp3Path[1024];      // file to write
    int32_t lastWParam;      // the worker's last progress message
    int32_t lastLParam;
};
static_assert(sizeof(ConvertOrder) == 2060, "conversion order as the pop-up sends it");
static_assert(offsetof(ConvertOrder, wavPath) == 4 && offsetof(ConvertOrder, mp3Path) == 1028 &&
                  offsetof(ConvertOrder, lastWParam) == 2052 && offsetof(ConvertOrder, lastLParam) == 2056,
              "conversion order layout");

// Progress message posted to the notify window: wParam 100 with lParam 0..99
// while running, 100 when done; wParam 0, lParam 0 when it failed or was stopped.
constexpr unsigned kConvertProgressMessage = 1185;

}  // namespace td
