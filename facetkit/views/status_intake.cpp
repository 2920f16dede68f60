#include "status_intake.h"

#include <cstdlib>
#include <cstring>

#include "main_window.h"
#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "host_exports.h"
#include "library_state.h"
#include "skin_plugin.h"
#include "skin_wnd.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

bk::CriticalSection& DisplayLock() {
    static bk::CriticalSection lock;
    return lock;
}
cStatusDisplay* g_display = nullptr;

char g_title[256] = "velmirant-Player";

struct BoxText {
    char text[4096];
    char caption[256];
};

DWORD WINAPI MessageBoxThread(void* p) {
    BoxText* box = static_cast<BoxText*>(p);
    MessageBoxA(nullptr, box->text, box->caption, MB_OK);
    delete box;
    return 0;
}

void DefaultStatusMessage(const char* text, const char* caption) {
    auto* box = new BoxText;
    bk::TextCopy(box->text, text);
    bk::TextCopy(box->caption, caption);
    HANDLE thread = CreateThread(nullptr, 0, MessageBoxThread, box, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        delete box;
}

StatusMessageSink g_messageSink = DefaultStatusMessage;

HWND WindowOf(unsigned long id) {
    cSkinWnd* w = GetWindowList().Find(id);
    return w ? w->GetWindow() : nullptr;
}

void PostAll(UINT msg, WPARAM w = 0, LPARAM l = 0) { GetWindowList().PostToAll(msg, w, l); }

int Number(const char* text) { return text ? atoi(text) : 0; }

// Splits at the byte 0x02 into fields of at most size - 1 characters.
int SplitFields(const char* text, char (*fields)[100], int count) {
    for (int i = 0; i < count; ++i) fields[i][0] = 0;
    if (!text) return 0;
    int n = 0;
    const char* p = text;
    while (n < count) {
        const char* end = strchr(p, '\x02');
        size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
        bk::TextCopyN(fields[n], sizeof fields[n], p, len);
        ++n;
        if (!end) break;
        p = end + 1;
    }
    return n;
}

// Display and navigator effects; called with the display lock held.
void Display(cStatusDisplay* d, int code, const char* value, bool hasNavigator) {
    StatusFlags& flags = GetStatusFlags();
    int n[3];
    switch (code) {
    case 0:
        flags.connecting = 0;
        d->SetStatusLine(value, 0);
        break;
    case 1: d->SetBufferValue(Number(value)); break;
    case 3:
        SplitNumbers(value, n, 3);
        d->SetVolume(n[0], n[1], n[2]);
        break;
    case 6:
        d->SetStatusLine(value, flags.connecting);
        d->SetTrackTitle(1, value);
        break;
    case 7: d->SetSearchFinished(1); break;
    case 8:
    case 9:
    case 10:
        flags.connecting = 0;
        d->SetPlayState(code == 8 ? 0 : code == 9 ? 1 : 3);
        break;
    case 13:
        flags.connecting = 1;
        d->SetPlayState(2);
        d->SetStatusLine(value, 1);
        break;
    case 14:
        if (flags.connecting) d->SetStatusLine(nullptr, 1);
        break;
    case 17:
    case 20: d->SetStatusLine("", flags.connecting); break;
    case 28:
        if (hasNavigator) {
            cSettingsInterface* host = Library().host;
            int english = UiLanguage() == 2;
            int height = host ? (english ? host->GetAdBannerCY_ENG() : host->GetAdBannerCY()) : 0;
            d->SetNavBannerHeight(height);
        }
        break;
    case 42:
        if (hasNavigator) {
            SplitNumbers(value, n, 3);
            d->SetRecordingInfo(n[0], n[1], n[2], 0);
        }
        break;
    case 43:
        if (hasNavigator) d->SetRecDeviceList(value);
        break;
    case 44:
        if (hasNavigator) {
            SplitNumbers(value, n, 3);
            d->SetLevelSlider(n[0], n[1], n[2]);
        }
        break;
    case 52:
        if (hasNavigator) {
            char fields[10][100];
            SplitFields(value, fields, 10);
            d->SetQualityInfo(fields[1], fields[2], atoi(fields[3]), atoi(fields[4]), atoi(fields[5]));
        }
        break;
    case 70:
        if (hasNavigator) d->SetRecSourceList(value);
        break;
    }
}

}  // namespace

StatusFlags& GetStatusFlags() {
    static StatusFlags flags = {};
    return flags;
}

void SetStatusDisplay(cStatusDisplay* display) {
    bk::ScopedLock hold(DisplayLock());
    g_display = display;
}

void SetStatusMessageSink(StatusMessageSink sink) { g_messageSink = sink ? sink : DefaultStatusMessage; }
void SetProductTitle(const char* title) { bk::TextCopy(g_title, title ? title : ""); }
const char* GetProductTitle() { return g_title; }

void SplitNumbers(const char* text, int* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = 0;
    const char* p = text;
    for (int i = 0; p && i < count; ++i) {
        out[i] = atoi(p);
        p = strchr(p, '|');
        if (p) ++p;
    }
}

int ReceiveStatus(const char* value, int code) {
    SkinStatusHookFn hook = CurrentSkin().entry.StatusHook;
    if (hook && Library().running) hook(value, code);
    if (!GetWindowList().Find(WND_ID_MAIN)) return 0;
    HWND main = WindowOf(WND_ID_MAIN);
    if (!main) return 1;
    HWND nav = WindowOf(WND_ID_NAVIGATOR);
    const char* text = value ? value : "";
    int n[3];

    // Posted effects first: they carry no state of the windows.
    switch (code) {
    case 2: {
        unsigned long station = 0;
        {
            bk::ScopedLock hold(DisplayLock());
            if (g_display) station = g_display->GetStationId();
        }
        HostCallback(14, static_cast<int>(station), nullptr);
        PostAll(WM_FK_LISTS_REFRESH);
        break;
    }
    case 7: PostAll(WM_FK_SEARCH_FINISHED); break;
    case 11: g_messageSink(text, g_title); break;
    case 15: InterlockedExchange(&Library().canClose, 1); break;
    case 16:
        PostAll(WM_FK_PLAYBACK_ENDED);
        if (!strstr(text, "keep_record")) HostCallback(39, 0, nullptr);
        break;
    case 21: InterlockedExchange(&Library().running, 0); break;
    case 28:
        if (nav) PostMessageA(nav, WM_FK_NAV_BANNER_HEIGHT, 0, 0);
        break;
    case 29:
        if (Number(text) == 0) {
            HostCallback(37, 0, nullptr);
            if (nav) PostMessageA(nav, WM_FK_NAV_RECORD_STOPPED, 1, 0);
        }
        break;
    case 31:
    case 32:
    case 33:
        if (nav) PostMessageA(nav, WM_FK_NAV_RECORD_STATE, static_cast<WPARAM>(code - 30), 0);
        break;
    case 40:
        SplitNumbers(text, n, 2);
        PostAll(WM_FK_PEAK_LEVEL, static_cast<WPARAM>(n[0]), n[1]);
        break;
    case 41: {
        // The host's error number travels in the text; this thread's last
        // error is only a stand-in for hosts that send none.
        DWORD error = text[0] ? static_cast<DWORD>(strtoul(text, nullptr, 10)) : GetLastError();
        PostMessageA(main, WM_FK_RECORD_NOTICE, 3, static_cast<LPARAM>(error));
        break;
    }
    case 43: OutputDebugStringA(text); break;
    case 45:
        if (nav) PostMessageA(nav, WM_FK_NAV_REC_SOURCE, 0, 0);
        break;
    case 46: PostMessageA(main, WM_FK_RECORD_START_INFO, reinterpret_cast<WPARAM>(value), 0); break;
    case 47: {
        char* copy = new char[kStatusCopySize];
        bk::TextCopy(copy, kStatusCopySize, text);
        // The window frees only copies it knows were handed out.
        TrackHandedCopy(copy);
        if (!PostMessageA(main, WM_FK_RECORD_START_INFO, reinterpret_cast<WPARAM>(copy), 1) &&
            UntrackHandedCopy(copy))
            delete[] copy;
        break;
    }
    case 48:
        if (Library().host) Library().host->SetRecordingFormat(0);
        PostMessageA(main, WM_FK_RECORD_NOTICE, 1, Number(text));
        if (nav) PostMessageA(nav, WM_FK_LISTS_REFRESH, 0, 0);
        break;
    case 51: PostMessageA(main, WM_FK_RECORD_NOTICE, 2, 0); break;
    case 53: PostMessageA(main, WM_FK_RECORD_NOTICE, 4, 0); break;
    case 60:
        if (value) {
            WavProgressRecord record;
            memcpy(&record, value, sizeof record);
            HWND target = reinterpret_cast<HWND>(static_cast<intptr_t>(record.window));
            if (IsWindow(target))
                PostMessageA(target, WM_FK_WAV_PROGRESS, static_cast<WPARAM>(static_cast<uint32_t>(record.wParam)),
                             record.lParam);
        }
        break;
    case 65:
    case 66:
        if (nav && text[0]) {
            char copy[1024];
            bk::TextCopy(copy, text);
            SplitNumbers(copy, n, 2);
            PostMessageA(nav, code == 65 ? WM_FK_NAV_TIPS_PROGRESS : WM_FK_NAV_DB_PROGRESS,
                         static_cast<WPARAM>(n[0]), n[1]);
        }
        break;
    case 67: PostMessageA(main, WM_FK_UPDATE_NOTICE_A, 0, 0); break;
    case 68: PostMessageA(main, WM_FK_UPDATE_NOTICE_B, 0, 0); break;
    case 71: PostMessageA(main, WM_FK_RECORD_NOTICE, static_cast<WPARAM>(Number(text)), 0); break;
    case 72: Sleep(0); break;
    case 75: InterlockedExchange(&GetStatusFlags().wizardAck1, 1); break;
    case 76: InterlockedExchange(&GetStatusFlags().wizardAck2, 1); break;
    }

    {
        bk::ScopedLock hold(DisplayLock());
        if (g_display) Display(g_display, code, value, nav != nullptr);
    }
    return 1;
}

void SetPeakLevel(int left, int right) {
    PostAll(WM_FK_PEAK_LEVEL, static_cast<WPARAM>(left), right);
    HWND wizard = GetStatusFlags().wizardWindow;
    if (wizard) PostMessageA(wizard, WM_FK_PEAK_LEVEL, static_cast<WPARAM>(left), right);
}

void SetRecTime(int a, int b, int c, int d) {
    if (!WindowOf(WND_ID_NAVIGATOR)) return;
    bk::ScopedLock hold(DisplayLock());
    if (g_display) g_display->SetRecordingInfo(a, b, c, d);
}

void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                   const char* text2) {
    if (!GetWindowList().Find(WND_ID_MAIN)) return;
    bk::ScopedLock hold(DisplayLock());
    if (g_display) g_display->SetStreamInfo(track, count, duration, text1, text2);
}

void SetStreamRunInfo(unsigned long position, unsigned long nominalRate, unsigned long rate, unsigned long buffer) {
    SkinStatusHookFn hook = CurrentSkin().entry.StatusHook;
    if (position && hook) hook("PLAY OK", 20);
    if (!WindowOf(WND_ID_MAIN)) return;
    bk::ScopedLock hold(DisplayLock());
    if (!g_display) return;
    DWORD stamp = g_display->GetRunInfoFlag();
    DWORD now = GetTickCount();
    // Unsigned difference: right across the tick counter's wrap.
    if (stamp && now != stamp && now - stamp < kRunInfoQuietMs) return;
    g_display->SetRunInfoFlag(0);
    if (!g_display->IsRunInfoHeld()) g_display->SetRunInfo(nominalRate, position, rate);
    g_display->SetBufferValue(static_cast<int>(buffer));
}
