// Real user input for the skinned controls' tests: mouse clicks and key
// strokes go through SendInput, so the controls see the messages a user's
// hands make, in the order Windows makes them.
#pragma once

#include <windows.h>

#include <functional>

namespace fk {

inline void SendKey(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

// Presses and releases a key, with modifier keys held around it.
inline void Stroke(WORD vk, bool shift = false, bool control = false) {
    if (control) SendKey(VK_CONTROL, false);
    if (shift) SendKey(VK_SHIFT, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (shift) SendKey(VK_SHIFT, true);
    if (control) SendKey(VK_CONTROL, true);
}

// Types plain text (letters, digits, blanks and the usual punctuation).
inline void TypeText(const char* text) {
    for (const char* p = text; *p; ++p) {
        SHORT code = VkKeyScanA(*p);
        if (code == -1) continue;
        Stroke(static_cast<WORD>(code & 0xFF), (code & 0x100) != 0, (code & 0x200) != 0);
    }
}

inline void MoveMouseTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

// A click at a point of a window's client area.
inline void ClickAt(HWND wnd, int x, int y, bool right = false) {
    POINT p = {x, y};
    ClientToScreen(wnd, &p);
    MoveMouseTo(p);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof in[0]);
}

inline void Wheel(HWND wnd, int x, int y, int clicks) {
    POINT p = {x, y};
    ClientToScreen(wnd, &p);
    MoveMouseTo(p);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(clicks * WHEEL_DELTA);
    SendInput(1, &in, sizeof in);
}

// Handles this thread's messages until `done` holds or `ms` pass; answers
// whether it held.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 30000) {
    DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
}

// Brings a top-level window to the front and gives a control the keyboard.
inline void FocusControl(HWND top, HWND control) {
    SetForegroundWindow(top);
    SetActiveWindow(top);
    SetFocus(control);
}

}  // namespace fk
