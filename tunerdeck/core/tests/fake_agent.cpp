// A stand-in tray agent: a window of the agent's class that ends the
// program when it is closed (or after a minute).
#include <windows.h>

static LRESULT CALLBACK AgentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(h, m, w, l);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AgentProc;
    wc.hInstance = instance;
    wc.lpszClassName = "vl_control_center_class";
    RegisterClassA(&wc);
    CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) break;
        DispatchMessageA(&msg);
    }
    return 0;
}
