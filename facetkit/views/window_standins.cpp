#include "window_standins.h"

#include "bounded_text.h"
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

void Pending(const char* what) {
    char text[256];
    bk::TextFormat(text, sizeof text, "%s (not yet carried out)", what);
    HostLog(7, text);
}

}  // namespace

cMainWindowStandin::cMainWindowStandin() { SetSize(350, 160); }

cMainWindowStandin::~cMainWindowStandin() { SetStatusDisplay(nullptr); }

bool cMainWindowStandin::Create(HMODULE) {
    RegisterOnce(kMainWindowClass);
    HWND hwnd = CreateWindowExA(0, kMainWindowClass, "velmirant-Player", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                GetPosX(), GetPosY(), 350, 160, nullptr, nullptr, OwnModule(), this);
    if (!hwnd) return false;
    InitWindow(hwnd, WND_ID_MAIN);
    SetStatusDisplay(this);
    return true;
}

LRESULT cMainWindowStandin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        // The closing sequence proper (questions, saved state) belongs to
        // the main window; here closing only ends the user-interface loop.
        HostLog(5, "main window: close");
        InterlockedExchange(&Library().running, 0);
        return 0;
    case 1181:
        // The private copy of status 47 is this window's to free.
        if (lParam == 1) delete[] reinterpret_cast<char*>(wParam);
        return 0;
    }
    return cSkinWnd::WndProc(hwnd, msg, wParam, lParam);
}

void cMainWindowStandin::SetCurrentSelection(int channelId, const char* name) {
    InterlockedExchange(&stationId_, channelId);
    char text[300];
    bk::TextFormat(text, sizeof text, "main window: current selection %d %s", channelId, name ? name : "");
    HostLog(7, text);
}

void cMainWindowStandin::PlayChannel(unsigned long channelId) {
    HostCallback(1, static_cast<int>(channelId), nullptr);
}

// Reports arrive on host threads; the stand-in shows none of them, so it
// never reaches into the window from there.
void cMainWindowStandin::SetStatusLine(const char*, int) {}

void cMainWindowStandin::SetBufferValue(int) {}
void cMainWindowStandin::SetPlayState(int) {}
void cMainWindowStandin::SetVolume(int, int, int) { Pending("main window: volume"); }
void cMainWindowStandin::SetTrackTitle(int, const char*) {}
void cMainWindowStandin::SetStreamInfo(unsigned long, unsigned long, unsigned long, const char*, const char*) {}

bool cNavWindowStandin::Create(HMODULE, HWND owner) {
    RegisterOnce(kNavWindowClass);
    SetSize(440, 300);
    HWND hwnd = CreateWindowExA(0, kNavWindowClass, "velmirant-Player Navigator", WS_POPUP | WS_CAPTION, GetPosX(),
                                GetPosY() + 170, 440, 300, owner, nullptr, OwnModule(), this);
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
