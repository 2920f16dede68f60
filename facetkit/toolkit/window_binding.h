// How the skin engine's window objects are bound to their Win32 windows:
// the object's address in the window's user data, looked up by a static
// window procedure that forwards to it. Unbinding clears the user data only
// while it still names the object, so a window that outlives its object
// finds none and its late messages go to the default procedure.
#pragma once

#include <windows.h>

namespace fkwin {

inline void Bind(HWND hwnd, const void* object) {
    if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

template <class T>
T* Bound(HWND hwnd) {
    return hwnd ? reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

inline bool IsBoundTo(HWND hwnd, const void* object) {
    return hwnd && IsWindow(hwnd) && GetWindowLongPtrA(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(object);
}

inline void Unbind(HWND hwnd, const void* object) {
    if (IsBoundTo(hwnd, object)) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

// Window work belongs to the window's own thread: a caller on another thread
// posts the message and returns (true), so it never waits on a busy window
// thread while it holds a lock that thread wants; on the window's thread
// nothing is posted (false) and the caller does the work itself.
inline bool PostedToWindowThread(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) return false;
    PostMessageA(hwnd, msg, wParam, lParam);
    return true;
}

}  // namespace fkwin
