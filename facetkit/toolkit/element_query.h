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

// A table's lines, asked the same way of the table's own child window: the
// registered message kTableLineQueryMessage with the line's position (from
// 0, in the order shown) in wParam and the asking window in lParam. The
// table returns 0 past its last line; otherwise it sends one report for the
// line (id: the line's entry id; text: its column texts joined by " | ";
// rectangle in the table window; visible when the line is scrolled into
// view), then one for each of the line's buttons (id: the button's element
// id; rectangle in the table window, valid while the line is in view), and
// returns 1.
constexpr const char kTableLineQueryMessage[] = "tunerdeck table line query";
