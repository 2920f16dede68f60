// A stand-in for the skin engine facetkit.dll: it exports the names the
// player binds, writes every call as one line to the file named by the
// environment value TD_FAKE_FACETKIT_LOG, and runs a window of the main
// window's class in BuildUp until that window is closed. BuildUp fails
// (-1) while the registry value SKIN names "broken.dll"; Prepare answers
// the number in TD_FAKE_FACETKIT_PREPARE (0 when unset). Built once more
// without SetStreamInfo for the missing-export case.
//
// Tests act as the user through the callback the player handed over: in
// process through the export FakeInvokeCallback, from another process by
// WM_COPYDATA kind 77 to the main window with the text "code|number|text".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Callback = int (*)(int, int, void*);

Callback volatile g_callback = nullptr;
constexpr WPARAM kCopyDataCallback = 77;

void Line(const char* fmt, ...) {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", path, sizeof path)) return;
    char line[2048];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintf(line, sizeof line - 2, fmt, args);
    va_end(args);
    if (n < 0) return;
    if (n > static_cast<int>(sizeof line) - 3) n = sizeof line - 3;
    line[n++] = '\r';
    line[n++] = '\n';
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(f);
}

bool SkinIsBroken() {
    char skin[260] = {};
    DWORD size = sizeof skin - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Velmirant\\Radio", "SKIN", RRF_RT_REG_SZ, nullptr, skin, &size) !=
        ERROR_SUCCESS)
        return false;
    return _stricmp(skin, "broken.dll") == 0;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COPYDATA: {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        char text[1024] = {};
        DWORD n = cds && cds->lpData ? cds->cbData : 0;
        if (n > sizeof text - 1) n = sizeof text - 1;
        if (n) memcpy(text, cds->lpData, n);
        if (wParam == kCopyDataCallback) {
            int fkt = atoi(text);
            const char* rest = strchr(text, '|');
            int ch = rest ? atoi(rest + 1) : 0;
            const char* arg = rest ? strchr(rest + 1, '|') : nullptr;
            Callback cb = g_callback;
            int r = cb ? cb(fkt, ch, arg ? const_cast<char*>(arg + 1) : nullptr) : -1;
            Line("Callback %d %d -> %d", fkt, ch, r);
            return 1;
        }
        Line("WM_COPYDATA %d %lu %s", static_cast<int>(wParam), cds ? static_cast<unsigned long>(cds->dwData) : 0ul,
             text);
        return 1;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

#define FK_EXPORT extern "C" __declspec(dllexport)

FK_EXPORT void GetSettings(void* settings) { Line("GetSettings %d", settings ? 1 : 0); }

FK_EXPORT int Prepare(Callback callback, void* downloads, const char* skinFolder, int startArg, int firstStart) {
    char value[32] = {};
    int result = GetEnvironmentVariableA("TD_FAKE_FACETKIT_PREPARE", value, sizeof value) ? atoi(value) : 0;
    g_callback = callback;
    Line("Prepare %d %d %d %s -> %d", callback ? 1 : 0, startArg, firstStart, skinFolder ? skinFolder : "(null)",
         result);
    return result;
}

FK_EXPORT int BuildUp(Callback callback, const char* skinFolder, int startArg) {
    if (SkinIsBroken()) {
        Line("BuildUp %d -> -1", startArg);
        return -1;
    }
    g_callback = callback;
    Line("BuildUp %d", startArg);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "tunerdeck Main Wnd Class";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA(wc.lpszClassName, "velmirant-Player", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    if (!hwnd) return -1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    Line("BuildUp ended");
    return 0;
}

FK_EXPORT int FakeInvokeCallback(int fkt, int ch, void* text) {
    Callback cb = g_callback;
    return cb ? cb(fkt, ch, text) : -1;
}

FK_EXPORT int ReceiveStatus(char* text, int code) {
    Line("ReceiveStatus %d %s", code, text ? text : "(null)");
    return 1;
}

// The partial build lacks one required entry point.
#ifndef FAKE_FACETKIT_PARTIAL
FK_EXPORT void SetStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime, char* title,
                             char* author) {
    Line("SetStreamInfo %lu %lu %lu %s", track, maxTrack, maxPlaytime, title ? title : "(null)");
}
#endif
FK_EXPORT void SetStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
    Line("SetStreamRunInfo %lu %lu %lu %lu", a, b, c, d);
}
FK_EXPORT void ClearList(int kind) { Line("ClearList %d", kind); }
FK_EXPORT void AddToList(int kind, const char* text, int id, int parent) {
    Line("AddToList %d %s %d %d", kind, text ? text : "(null)", id, parent);
}
FK_EXPORT void GetLastPlayedSender(const char* text, int id) {
    Line("GetLastPlayedSender %s %d", text ? text : "(null)", id);
}

// The rest only has to exist (and record that it was called).
#define FK_PLAIN(name) \
    FK_EXPORT void name(void*, void*, void*, void*, void*) { Line(#name); }
// The level meter is fed many times a second: counted, not written.
volatile LONG g_peakCalls = 0;
FK_EXPORT void SetPeakLevel(int, int) { InterlockedIncrement(&g_peakCalls); }
FK_EXPORT LONG FakePeakCalls() { return g_peakCalls; }
FK_EXPORT void SetRecTime(int freeSeconds, int totalBytes, int recordedSeconds, int state) {
    Line("SetRecTime %d %d %d %d", freeSeconds, totalBytes, recordedSeconds, state);
}
FK_EXPORT void AddToSkinDefinedSender(const char* text, int id) {
    Line("AddToSkinDefinedSender %s %d", text ? text : "(null)", id);
}
FK_PLAIN(AddToFavoriten)
FK_PLAIN(AddToTimerEntrie)
FK_PLAIN(AddToTopTen)
FK_PLAIN(AddToPodcast)
FK_PLAIN(SearchResult)
FK_PLAIN(GetDetails)
FK_PLAIN(AddToProgrammtipps)
FK_PLAIN(ShowInfo)
// The banner records name an area of the main window once it is up.
struct FakeBannerRecord {
    int32_t window;
    int32_t x, y, cx, cy;
    int32_t updateKind;
    char url[500];
};
static_assert(sizeof(FakeBannerRecord) == 524, "banner record of 131 words");
FakeBannerRecord* FillBannerRecord(const char* name, FakeBannerRecord* record) {
    Line("%s", name);
    if (!record) return record;
    *record = FakeBannerRecord{};
    HWND main = FindWindowA("tunerdeck Main Wnd Class", nullptr);
    DWORD pid = 0;
    if (main) GetWindowThreadProcessId(main, &pid);
    if (!main || pid != GetCurrentProcessId()) return record;
    record->window = static_cast<int32_t>(reinterpret_cast<intptr_t>(main));
    record->x = 10;
    record->y = 10;
    record->cx = 180;
    record->cy = 40;
    strcpy(record->url, "http://127.0.0.1:9/podcast-banner");
    return record;
}
FK_EXPORT FakeBannerRecord* GetBannerInfo(FakeBannerRecord* r) { return FillBannerRecord("GetBannerInfo", r); }
FK_EXPORT FakeBannerRecord* GetSpezBannerInfo(FakeBannerRecord* r) { return FillBannerRecord("GetSpezBannerInfo", r); }
FK_EXPORT FakeBannerRecord* GetInfoBannerInfo(FakeBannerRecord* r) { return FillBannerRecord("GetInfoBannerInfo", r); }
FK_EXPORT FakeBannerRecord* GetPodcastBannerInfo(FakeBannerRecord* r) {
    return FillBannerRecord("GetPodcastBannerInfo", r);
}
FK_PLAIN(AddUserDefinedSender)
