// What a skinned window shows, asked from outside the program the way a
// screen reader or a test that acts as the user does: the registered
// message kElementQueryMessage with the element id in wParam and the
// asking window in lParam. The window answers with WM_COPYDATA (dwData
// kElementReportKind, one ElementReport) sent to the asker, and returns 1
// when it has the element, else 0. The record crosses processes: fixed
// widths only.
#pragma once

#include <cstdint>

constexpr const char kElementQueryMessage[] = "tunerdeck element query";
constexpr uint32_t kElementReportKind = 0x454C454Du;   // "ELEM"

struct ElementReport {
    int32_t id;
    int32_t visible;
    int32_t enabled;
    int32_t status;                // the button state (2 up, pressed and latched states above)
    int32_t left, top, right, bottom;   // in the skinned window's client area
    uint64_t ownWindow;            // the element's own child window; 0 when it is drawn by its window
    char text[512];                // what a text element shows, or a button's tool tip; cut and terminated
};
static_assert(sizeof(ElementReport) == 552, "element report layout");
