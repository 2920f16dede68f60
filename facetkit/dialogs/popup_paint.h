// Small pieces the profile editors, the converter and the small pop-ups
// share: the white behind their edit fields and one-line labels.
#pragma once

#include <windows.h>

class cResourceManager;

namespace dlgs {
// The answer to WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC: white behind the text.
inline LRESULT WhiteControl(WPARAM dc, HBRUSH white) {
    SetBkColor(reinterpret_cast<HDC>(dc), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(white);
}
// The pop-ups' separator: every third pixel of a row.
inline void DrawDottedLine(HDC dc, int x1, int x2, int y, COLORREF colour) {
    for (int x = x1; x <= x2; x += 3) SetPixel(dc, x, y, colour);
}
}  // namespace dlgs
