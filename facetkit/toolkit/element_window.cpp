#include "element_window.h"

HWND CreateElementWindow(HWND parent, DWORD style, int x, int y, int width, int height, WNDPROC proc, void* owner,
                         WNDPROC* previous) {
    if (previous) *previous = nullptr;
    HINSTANCE instance = parent ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)) : nullptr;
    HWND window = CreateWindowExA(0, "Static", "", style, x, y, width, height, parent, nullptr, instance, nullptr);
    if (!window) return nullptr;
    SetClassLongPtrA(window, GCLP_HCURSOR, 0);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    WNDPROC prev =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (previous) *previous = prev;
    return window;
}

void DestroyElementWindow(HWND window, WNDPROC previous) {
    if (!window) return;
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (previous) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    if (GetCapture() == window) ReleaseCapture();
    DestroyWindow(window);
}
