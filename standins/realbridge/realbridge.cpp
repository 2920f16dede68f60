// Stand-in for realbridge: the RealPlayer engine's calls served by the
// shared playback engine, reporting through the host's status reporter on
// the thread that called REALBRIDGE_Init (the host's main thread), so that
// the reporter is only ever used from that thread.
#include "realbridge.h"

#include <windows.h>

#include <cstdlib>
#include <memory>

#include "bounded_text.h"
#include "play_engine.h"
#include "playerstatus.h"

namespace {

const UINT kEngineNews = WM_APP + 2;
const UINT_PTR kRunInfoTimer = 1;
const UINT_PTR kBufferingTimer = 2;
const char kWindowClass[] = "tunerdeck realbridge stand-in";
char g_version[] = "6.0.14.806";

struct Bridge {
    cSendRunTimeInfo* reporter = nullptr;
    HWND window = nullptr;
    std::unique_ptr<pe::PlayEngine> engine;
    bool streamInfoSent = false;
    bool buffering = false;   // between the engine's buffering start and its end
    // Going to another entry stops the current one first; that stop is no
    // end of playing (which would end the reporter's session).
    bool switchingTrack = false;
};
Bridge* g_bridge = nullptr;

void ReportStreamInfo(Bridge* b) {
    pe::EngineInfo info = b->engine->Info();
    unsigned long track = info.currentEntry > 0 ? static_cast<unsigned long>(info.currentEntry - 1) : 0;
    b->reporter->SetMyStreamInfo(track, static_cast<unsigned long>(info.entryCount), info.durationMs, info.title,
                                 info.author);
}

void EndBuffering(Bridge* b) {
    if (!b->buffering) return;
    b->buffering = false;
    KillTimer(b->window, kBufferingTimer);
    b->reporter->OnBuffering(100);
}

void TakeEvents(Bridge* b) {
    pe::Event ev;
    while (b->engine && b->engine->PopEvent(&ev)) {
        if (!b->reporter) continue;
        switch (ev.kind) {
        case pe::EventKind::OpenState:
            b->reporter->OnOpenState(static_cast<unsigned long>(ev.value));
            break;
        case pe::EventKind::BufferingStart:
            b->buffering = true;
            b->reporter->OnBuffering(1);
            SetTimer(b->window, kBufferingTimer, 500, nullptr);
            break;
        case pe::EventKind::BufferingEnd:
            EndBuffering(b);
            break;
        case pe::EventKind::PlayState:
            if (ev.value == pe::kStopped && b->switchingTrack) break;
            // The engine tells the sound's start before the buffer's end: the
            // buffer is reported full first, or the player would show the
            // buffering text over a stream that plays.
            if (ev.value == pe::kPlaying || ev.value == pe::kPaused) EndBuffering(b);
            if (ev.value != pe::kStopped) b->switchingTrack = false;
            b->reporter->OnPlayState(static_cast<unsigned long>(ev.value));
            if (ev.value == pe::kPlaying) {
                if (!b->streamInfoSent) ReportStreamInfo(b);
                b->streamInfoSent = true;
                SetTimer(b->window, kRunInfoTimer, 1000, nullptr);
            } else if (ev.value == pe::kStopped) {
                KillTimer(b->window, kRunInfoTimer);
            }
            break;
        case pe::EventKind::NewStream:
            ReportStreamInfo(b);
            break;
        case pe::EventKind::EndOfStream:
            break;
        case pe::EventKind::Error: {
            KillTimer(b->window, kRunInfoTimer);
            KillTimer(b->window, kBufferingTimer);
            b->buffering = false;
            pe::EngineInfo info = b->engine->Info();
            b->reporter->OnError(info.error);
            b->reporter->OnOpenState(0);
            break;
        }
        }
    }
}

LRESULT CALLBACK BridgeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Bridge* b = g_bridge;
    if (b && b->window == hwnd) {
        if (msg == kEngineNews) {
            TakeEvents(b);
            return 0;
        }
        if (msg == WM_TIMER && b->reporter && b->engine) {
            pe::EngineInfo info = b->engine->Info();
            if (wParam == kRunInfoTimer)
                b->reporter->SetMyStreamRunInfo(info.positionMs, info.bitrate, 0,
                                                static_cast<unsigned long>(info.bufferingProgress));
            else if (wParam == kBufferingTimer && info.bufferingProgress < 100)
                b->reporter->OnBuffering(static_cast<unsigned long>(info.bufferingProgress + 1));
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

REALBRIDGE_API int REALBRIDGE_Init(cSendRunTimeInfo* reporter, char*, char*) {
    if (g_bridge) return 1;
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = BridgeProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        atom = RegisterClassA(&wc);
    }
    auto* b = new Bridge();
    b->reporter = reporter;
    g_bridge = b;
    b->window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    b->engine.reset(new pe::PlayEngine(b->window, kEngineNews));
    return b->window ? 1 : 0;
}

REALBRIDGE_API void REALBRIDGE_SetProxy(char* host, char* port) {
    if (!g_bridge) return;
    unsigned long p = port ? strtoul(port, nullptr, 10) : 0;
    g_bridge->engine->SetProxy(host && host[0] ? host : nullptr, static_cast<uint32_t>(p));
}

REALBRIDGE_API void REALBRIDGE_SetHTTPOnly(int) {
    // Every stream of the engine travels over HTTP already.
}

REALBRIDGE_API char* REALBRIDGE_GetVersion() { return g_version; }

REALBRIDGE_API void REALBRIDGE_SetBuffersize(int seconds) {
    if (!g_bridge) return;
    if (seconds < 0) seconds = 0;
    if (seconds > 120) seconds = 120;
    g_bridge->engine->SetBufferMs(static_cast<uint32_t>(seconds) * 1000);
}

REALBRIDGE_API void REALBRIDGE_Pause() {
    if (g_bridge) g_bridge->engine->Pause();
}

REALBRIDGE_API int REALBRIDGE_Stop() {
    if (!g_bridge) return 0;
    KillTimer(g_bridge->window, kRunInfoTimer);
    KillTimer(g_bridge->window, kBufferingTimer);
    g_bridge->engine->Stop();
    return 1;
}

REALBRIDGE_API void REALBRIDGE_GotoTrackPos(unsigned long positionMs) {
    if (g_bridge && g_bridge->engine->Info().durationMs > 0) g_bridge->engine->Seek(static_cast<uint32_t>(positionMs));
}

REALBRIDGE_API void REALBRIDGE_GotoTrack(unsigned long entry) {
    if (!g_bridge || entry > 0x7FFFFFFF) return;
    g_bridge->switchingTrack = true;
    g_bridge->engine->Stop();
    g_bridge->engine->SetCurrentEntry(static_cast<int32_t>(entry) + 1);
    g_bridge->streamInfoSent = false;
    g_bridge->engine->Play();
}

REALBRIDGE_API int REALBRIDGE_OpenUrl(char* address) {
    if (!g_bridge || !address || !address[0]) return 0;
    g_bridge->streamInfoSent = false;
    g_bridge->engine->Open(address, true);
    return 1;
}

REALBRIDGE_API void REALBRIDGE_Continue() {
    if (g_bridge) g_bridge->engine->Play();
}

REALBRIDGE_API void REALBRIDGE_Term() {
    Bridge* b = g_bridge;
    if (!b) return;
    b->reporter = nullptr;
    b->engine.reset();
    if (b->window) DestroyWindow(b->window);
    g_bridge = nullptr;
    delete b;
}
