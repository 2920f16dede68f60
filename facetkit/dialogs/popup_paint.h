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
}  // namespace dlgs
