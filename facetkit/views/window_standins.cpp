#include "window_standins.h"

#include "library_state.h"
#include "wnd_list.h"

namespace {

HINSTANCE OwnModule() { return Library().module; }

void RegisterOnce(const char* name) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(OwnModule(), name, &wc)) return;
    wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

}  // namespace

bool cNavWindowStandin::Create(HMODULE, HWND owner) {
    RegisterOnce(kNavWindowClass);
    SetSize(440, 300);
    HWND hwnd = CreateWindowExA(0, kNavWindowClass, "velmirant-Player Navigator", WS_POPUP | WS_CAPTION, GetPosX(),
                                GetPosY(), 440, 300, owner, nullptr, OwnModule(), this);
    if (!hwnd) return false;
    InitWindow(hwnd, WND_ID_NAVIGATOR);
    return true;
}

LRESULT cNavWindowStandin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    return cSkinWnd::WndProc(hwnd, msg, wParam, lParam);
}
