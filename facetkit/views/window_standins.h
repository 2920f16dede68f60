// A stand-in for the navigator window until its own implementation lands:
// a real skinned window of the navigator's window class that carries the
// skin's navigator elements.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "skin_wnd.h"

constexpr const char* kNavWindowClass = "tunerdeck Nav Wnd Class";

// Message the start-up posts to the navigator when the user interface is
// ready (its start-up checks run then).
enum { WM_FK_NAV_STARTUP_CHECKS = 1196 };

class FACETKIT_API cNavWindowStandin : public cSkinWnd {
public:
    bool Create(HMODULE skinModule, HWND owner);
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
};
