// What the settings and timer pop-ups share about their controls: the
// skinned drop-down list and edit box, the check-box states, and the window
// order that Tab walks.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "skin_combo.h"
#include "skin_edit.h"

// Ticked check boxes read 1, or 8 while the pointer or the focus is on them.
inline bool IsTicked(int status) { return status == 1 || status == 8; }

// Places `window` right behind `previous` in the z-order (Tab order).
inline void PlaceBehind(HWND window, HWND previous) {
    if (window && previous)
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

class cElementHost;
class cPopUpWnd;
class cResourceManager;
class cWndButton;

// Puts `proc` in front of the pop-up's window procedure (unhandled messages
// go on to the pop-up's own), then sizes, centres and titles the pop-up.
FACETKIT_API void PreparePopup(cPopUpWnd* popup, WNDPROC proc, int width, int height, unsigned titleSprite);
// A skinned button of the pop-up (owned by its element list); latching
// buttons are the check boxes and tabs.
FACETKIT_API cWndButton* AddPopupButton(cPopUpWnd* popup, cElementHost* owner, cResourceManager* res,
                                        unsigned long id, unsigned long sprite, int x, int y, int group,
                                        bool latching);
// A pop-up's answer to an edit field's change notice: the field checks
// (and clamps) what was typed.
FACETKIT_API void ValidateChangedEdit(WPARAM wParam, LPARAM lParam);
