// What a skin element asks of the skinned window that owns it: the window
// handle, the window's tool-tip control and the cursor choice. The skinned
// top-level window base implements it; elements hold it, not the window
// class, so they can live in any skinned window (and in tests).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "facetkit_api.h"

class cButtonListe;

// Window messages of the skin engine's elements (WM_USER + n).
constexpr UINT WM_SKIN_BUTTON_PRESSED = WM_USER + 119;    // lParam element id
constexpr UINT WM_SKIN_BUTTON_RELEASED = WM_USER + 120;   // lParam element id
constexpr UINT WM_SKIN_MOVE_ELEMENT = WM_USER + 131;      // wParam x, lParam y
constexpr UINT WM_SKIN_SHOW_ELEMENT = WM_USER + 140;      // wParam show
constexpr UINT WM_SKIN_NEXT_CONTROL = WM_USER + 142;
constexpr UINT WM_SKIN_STATUS_CHANGED = WM_USER + 143;    // wParam status, lParam id
constexpr UINT WM_SKIN_GET_BUTTON_LIST = WM_USER + 144;   // answer: cButtonListe*
constexpr UINT WM_SKIN_ENABLE_ELEMENT = WM_USER + 156;    // wParam enable
constexpr UINT WM_SKIN_DISABLED_PRESSED = WM_USER + 174;  // lParam element id
// A window button's own window, from other threads: new status or look
// (wParam), done by the window's thread.
constexpr UINT WM_SKIN_SET_ELEMENT_STATUS = WM_APP + 143;
constexpr UINT WM_SKIN_SET_ELEMENT_LOOK = WM_APP + 144;

class FACETKIT_API cElementHost {
public:
    virtual ~cElementHost() {}
    virtual HWND GetWindow() const = 0;
    virtual HWND GetToolTipWindow() const = 0;
    // TTM_GETTOOLINFOA, TTM_ADDTOOLA, TTM_DELTOOLA on the tool-tip control.
    virtual int GetToolInfo(TOOLINFOA* info) = 0;
    virtual int AddTool(TOOLINFOA* info) = 0;
    virtual void DelTool(TOOLINFOA* info) = 0;
    // Chooses the window's cursor from its state and the elements under the
    // mouse (other: a second element list to consult, may be null).
    virtual void SelectCursor(cButtonListe* other) = 0;
};
