// A stand-in playback host for the client's tests: answers the probes,
// reports engine play states for play, pause and continue, and ends on stop,
// unless TD_FAKE_IGNORE_STOP is set (a host that hangs). Every command it
// receives is reported back as a log record "cmd <message> <wParam> <lParam>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "statusrecords.h"

namespace {

HWND StatusWindow() { return FindWindowA(bk::kStatusWindowClass, nullptr); }

void Send(uint32_t kind, const void* record, DWORD size) {
    COPYDATASTRUCT cds = {0, size, const_cast<void*>(record)};
    DWORD_PTR result = 0;
    if (HWND w = StatusWindow())
        SendMessageTimeoutA(w, WM_COPYDATA, kind, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 2000, &result);
}

// The engine's own play state: 2 playing, 1 paused.
void SendEngineState(uint32_t state) {
    bk::StatusValueRecord r = {GetCurrentProcessId(), state};
    Send(bk::kStatusEnginePlayState, &r, sizeof r);
}

void SendLog(const char* text) {
    bk::StatusLogRecord r = {};
    r.processId = GetCurrentProcessId();
    snprintf(r.text, sizeof r.text, "%s", text);
    r.level = 7;
    Send(bk::kStatusLog, &r, sizeof r);
}

int EnvNumber(const char* name, int fallback) {
    char text[32] = {};
    if (!GetEnvironmentVariableA(name, text, sizeof text)) return fallback;
    return atoi(text);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* line = GetCommandLineA();
    WPARAM reply = 0;
    LPARAM value = 0;
    if (strstr(line, " -mpV")) reply = 11, value = EnvNumber("TD_FAKE_MP_LEVEL", 1);
    else if (strstr(line, " -rpV")) reply = 10, value = EnvNumber("TD_FAKE_RP_VERSION", 6);
    else if (strstr(line, " -CheckConnection")) reply = 12, value = 1;
    if (reply) {
        DWORD_PTR result = 0;
        if (HWND w = StatusWindow()) SendMessageTimeoutA(w, WM_USER + 131, reply, value, SMTO_ABORTIFHUNG, 2000, &result);
        return 0;
    }
    const bool ignoreStop = EnvNumber("TD_FAKE_IGNORE_STOP", 0) != 0;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    char text[128];
    snprintf(text, sizeof text, "started%s", strstr(line, " -rp") ? " -rp" : strstr(line, " -mp9") ? " -mp9" : " -mp");
    SendLog(text);
    DWORD begin = GetTickCount();
    while (GetTickCount() - begin < 60000) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            continue;
        }
        if (msg.hwnd) {
            DispatchMessageA(&msg);
            continue;
        }
        snprintf(text, sizeof text, "cmd %u %u %ld", msg.message, static_cast<unsigned>(msg.wParam),
                 static_cast<long>(msg.lParam));
        SendLog(text);
        switch (msg.message) {
            case 1154: SendEngineState(2); break;
            case 1150: SendEngineState(1); break;
            case 1151:
                if (!ignoreStop) return 0;
                break;
            default: break;
        }
    }
    return 3;
}
