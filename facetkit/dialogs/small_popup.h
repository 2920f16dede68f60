// The window procedure the small pop-ups share: white behind their edit
// fields and labels, each skinned button's press to the pop-up's
// `OnButton`, every other message on to the pop-up base.
#pragma once

#include <windows.h>

#include "popup_paint.h"
#include "popup_wnd.h"
#include "element_host.h"
#include "window_binding.h"

namespace dlgs {

// `next` is the pop-up base's procedure, which only the pop-up can name.
// Popup provides `HBRUSH WhiteBrush()` and `void OnButton(unsigned long id)`.
template <class Popup>
LRESULT SmallPopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, WNDPROC next) {
    auto* self = static_cast<Popup*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return WhiteControl(wParam, self->WhiteBrush());
    case WM_SKIN_BUTTON_PRESSED:
        self->OnButton(static_cast<unsigned long>(lParam));
        return 0;
    default:
        return next(hwnd, msg, wParam, lParam);
    }
}

}  // namespace dlgs
