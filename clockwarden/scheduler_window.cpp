#include "scheduler_window.h"

#include <cstring>

#include "debugtext.h"
#include "scheduler.h"
#include "scheduler_host.h"
#include "win_handles.h"

namespace {

LRESULT CALLBACK SchedulerWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* scheduler = reinterpret_cast<cTimerScheduler*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    switch (msg) {
    case UWM_TIMER_RELOAD:
        if (scheduler) scheduler->OnReload();
        return 0;
    case UWM_TIMER_RECHECK:
        if (scheduler) scheduler->RecheckAllConflicts();
        return 0;
    case WM_COPYDATA:
        // Only the id in wParam counts; the entry sent along is not read.
        if (scheduler) scheduler->OnConflictQuery(wParam);
        return 0;
    case WM_TIMER:
        if (scheduler && wParam == kSchedulerTimerId) scheduler->OnTimerTick();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

}  // namespace

int ClockwardenMain(const char* commandLine, cSchedulerHost* host) {
    const char* line = commandLine ? commandLine : "";
    if (strcmp(line, "-Quit") == 0) {
        HWND other = FindWindowA(kSchedulerWindowClass, nullptr);
        if (other) PostMessageA(other, WM_CLOSE, 0, 0);
        Sleep(700);
        return 0;
    }
    // Two starts at the same moment (log-on autostart and the player's offer
    // to start the scheduler) must not both pass the window test, or every
    // job would fire twice.
    bk::ScopedHandle instance(CreateMutexA(nullptr, FALSE, kSchedulerInstanceMutex));
    if (!instance || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    if (FindWindowA(kSchedulerWindowClass, nullptr)) return 0;

    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpszClassName = kSchedulerWindowClass;
    wc.lpfnWndProc = SchedulerWndProc;
    wc.hInstance = module;
    RegisterClassExA(&wc);

    DebugLog(DL_INF, "clockwarden: Start");
    int rc = 0;
    {
        cTimerScheduler scheduler(host);
        HWND wnd = CreateWindowExA(WS_EX_APPWINDOW, kSchedulerWindowClass, "", WS_POPUPWINDOW, 1, 1, 2, 2, nullptr,
                                   nullptr, module, nullptr);
        if (!wnd) {
            DebugLog(DL_ERR, "clockwarden: ERR=Fenster nicht erzeugt (%lu)", GetLastError());
            rc = 1;
        } else {
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&scheduler));
            scheduler.SetWindow(wnd);
            scheduler.IniProgramm();
            MSG msg;
            while (IsWindow(wnd) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (IsWindow(wnd)) {
                SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
                DestroyWindow(wnd);
            }
            scheduler.SetWindow(nullptr);
        }
    }
    UnregisterClassA(kSchedulerWindowClass, module);
    DebugLog(DL_INF, "clockwarden: Ende");
    return rc;
}
