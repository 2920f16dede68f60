#include "cradle_app.h"

#include <exception>

#include <initguid.h>
#include <mmdeviceapi.h>
#include <audioclient.h>
#include <audiopolicy.h>
#include <endpointvolume.h>
#include <ole2.h>

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "interface_host.h"
#include "cradle_log.h"
#include "internetcheck.h"
#include "mediabridge.h"
#include "media_wnd.h"
#include "playerstatus.h"
#include "realbridge_binding.h"
#include "shared_data.h"
#include "url_protocol.h"
#include "win_handles.h"

namespace {

// State the watchdog thread reads: plain integers, as a lost update only
// delays the watchdog by one check.
volatile LONG g_stop = 0;
volatile LONG g_alive = 0;
volatile LONG g_timerFlag = 0;
EngineKind g_engine = kEngineNone;
int32_t g_probe = 0;

const int kWatchdogLimit = 70;       // checks of 200 ms: about 14 s
const int kWatchCheckPasses = 501;

// The audio session's grouping: all playback hosts share one entry in the
// volume mixer. {00000001-AA42-8A3E-638A-49DD82F9CC34}
const GUID kGroupingGuid = {0x00000001, 0xAA42, 0x8A3E, {0x63, 0x8A, 0x49, 0xDD, 0x82, 0xF9, 0xCC, 0x34}};
const CLSID kClsidMMDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIidMMDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIidSessionManager = {0xBFA971F1, 0x4D5E, 0x40BB, {0x93, 0x5E, 0x96, 0x70, 0x39, 0xBF, 0xBE, 0xE4}};
const IID kIidAudioClient = {0x1CB9AD4C, 0xDBFA, 0x4C32, {0xB1, 0x78, 0xC2, 0xF5, 0x68, 0xA7, 0x03, 0xB2}};
const IID kIidEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF0, 0x74, 0x07, 0x82, 0x29}};

// The watchdog's last log line goes out on a thread of its own, made before
// it is needed: the watchdog strikes when the main thread is frozen, and a
// frozen thread may hold a lock the log call needs (the heap, the window
// system), so logging could block for good. The process ends regardless.
const DWORD kLastWordsWaitMs = 1000;
volatile LONG g_strike = 0;

DWORD WINAPI WatchdogLastWords(LPVOID go) {
    WaitForSingleObject(static_cast<HANDLE>(go), INFINITE);
    if (g_strike) CradleLog(7, "Watchdog Terminate!!!!");
    return 0;
}

DWORD WINAPI WatchRP(LPVOID) {
    PlainLog(15, "olecrtl: WatchRP - Eingang");
    bk::ScopedHandle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    bk::ScopedHandle lastWords(go ? CreateThread(nullptr, 0, WatchdogLastWords, go.Get(), 0, nullptr) : nullptr);
    int idle = 0;
    while (!g_stop) {
        if (g_alive >= 1 || g_timerFlag) {
            g_alive = 0;
            idle = 0;
        } else if (++idle > kWatchdogLimit) {
            g_strike = 1;
            if (lastWords) {
                SetEvent(go.Get());
                WaitForSingleObject(lastWords.Get(), kLastWordsWaitMs);
            }
            TerminateProcess(GetCurrentProcess(), 1);
        }
        Sleep(200);
    }
    if (lastWords) {
        SetEvent(go.Get());   // nothing to say: the thread just ends
        WaitForSingleObject(lastWords.Get(), kLastWordsWaitMs);
    }
    PlainLog(15, "olecrtl: WatchRP - Ausgang");
    return 0;
}

// Sends an answer to the status window, bounded so that a hung main program
// cannot hold the host past its watchdog.
void SendReply(cSendRunTimeInfo* reporter, WPARAM kind, LPARAM value, bool post = false) {
    HWND w = reporter ? reporter->GetWatchWindow() : nullptr;
    if (!w) return;
    if (post) {
        PostMessageA(w, UWM_PLAYER_REPLY, kind, value);
    } else {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(w, UWM_PLAYER_REPLY, kind, value, SMTO_ABORTIFHUNG, 5000, &result);
    }
}

}  // namespace

// ---------------------------------------------------------------- start-up

BOOL CradleApp::InitInstance() {
    exitCode_ = 0;
    CradleLog(7, "Start...");
    OleInitialize(nullptr);
    MSG peek;
    PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE);   // a queue before the main program posts to it

    bool checkConnection = false;
    g_engine = ParseCradleCommandLine(CommandLine(), &g_probe, &checkConnection);

    user_[0] = password_[0] = 0;
    if (!g_probe) {
        char* u = user_;
        char* pw = password_;
        GetUserNameA(&u, &pw);
    }

    if (checkConnection) {
        cSendRunTimeInfo* reporter = new cSendRunTimeInfo(nullptr);
        reporter->Reset(0);
        char server[256];
        bk::InterfaceServer(server, sizeof server);
        cInternetCheck check(server, user_, password_);
        int ok = check.CheckConnection();
        SendReply(reporter, 12, ok ? 1 : 0);
        delete reporter;
        CradleLog(7, "CheckConnection ok, terminating");
        OleUninitialize();
        return FALSE;
    }
    if (g_engine == kEngineNone) {
        PlainLog(1, "kein Player angegeben.");
        OleUninitialize();
        return FALSE;
    }

    cSendRunTimeInfo* reporter = new cSendRunTimeInfo(nullptr);
    proxyHost_[0] = proxyPort_[0] = 0;
    GetProxySettings(proxyHost_, sizeof proxyHost_, proxyPort_, sizeof proxyPort_, &proxyUse_, &httpOnly_);

    if (!g_probe) SetUpAudioSession();

    if (g_engine == kEngineReal) {
        CradleLog(7, "init_rp..");
        if (g_realbridge.Load()) {
            g_realbridge.Init(reporter, user_, password_);
            if (!g_probe) {
                if (proxyUse_ == 1) g_realbridge.SetProxy(proxyHost_, proxyPort_);
                else g_realbridge.SetProxy(nullptr, nullptr);
                g_realbridge.SetHTTPOnly(httpOnly_ == 1);
            }
        } else {
            PlainLog(1, "playcradle: realbridge.dll not available");
        }
        CradleLog(7, "init_rp..ok");
    } else {
        CradleLog(7, "init_mp..");
        if (g_probe || g_engine == kEngineMp64) {
            if (!g_probe) PlainLog(7, "cradlectl: CreateMediaPlayer");
            mediaWnd_ = new CMediaWnd(reporter);
            if (!mediaWnd_->Create()) PlainLog(1, "cradlectl: CreateMediaPlayer failed");
        }
        if (g_probe || g_engine == kEngineMp9) {
            if (!g_probe) PlainLog(7, "cradlectl: CreateMediaPlayer");
            bridge_ = new CMediabridge(reporter, user_, password_);
            bridge_->Init(Instance());
        }
        if (!g_probe) {
            PlainLog(7, "cradlectl: CreateMediaPlayer ok");
            long port = atol(proxyPort_);
            PlainLogF(7, "cradlectl: SetProxy MediaPlayer (URL:%s,Port:%ld,Use:%lu)", proxyHost_, port, proxyUse_);
            if (g_engine == kEngineMp64) {
                if (proxyUse_ == 1) SetProxiMP(proxyHost_, static_cast<unsigned long>(port));
                else UnsetProxiMP();
            } else if (bridge_) {
                if (proxyUse_ == 1) bridge_->SetProxie(proxyHost_, port);
                else bridge_->SetProxie(nullptr, 0);
            }
            PlainLog(7, "cradlectl: SetProxy MediaPlayer ok");
            if (g_engine == kEngineMp64) SetTransportMP(httpOnly_ == 1);
            else SetTransportMP9(httpOnly_ == 1);
        }
        CradleLog(7, "init_mp..ok");
    }

    if (g_probe) {
        if (g_engine == kEngineReal) AnswerVersion(reporter);
        else AnswerMediaPlayerLevel(reporter);
        g_stop = 1;
    } else {
        HANDLE watchdog = CreateThread(nullptr, 0, WatchRP, nullptr, 0, nullptr);
        if (watchdog) CloseHandle(watchdog);
        DoMessageLoop(reporter);
        if (endpointVolume_) {
            endpointVolume_->Release();
            endpointVolume_ = nullptr;
        }
        Sleep(500);
    }

    if (g_engine == kEngineReal) {
        CradleLog(7, "term_real");
        if (g_realbridge.Loaded()) g_realbridge.Term();
    } else {
        CradleLog(7, "term_mp");
        EndBridge();
        if (mediaWnd_) {
            mediaWnd_->TermPlayer();
            mediaWnd_ = nullptr;
        }
    }
    delete reporter;
    PlainLog(15, "playcradle: Terminating");
    OleUninitialize();
    return FALSE;
}

void CradleApp::EndBridge() {
    if (!bridge_) return;
    bridge_->Term();
    delete bridge_;
    bridge_ = nullptr;
}

void CradleApp::AnswerVersion(cSendRunTimeInfo* reporter) {
    CradleLog(7, "uwm_getversion rp");
    const char* version = g_realbridge.Loaded() ? g_realbridge.GetVersion() : nullptr;
    char cut[10];
    bk::TextCopyN(cut, sizeof cut, version ? version : "", 9);
    if (char* dot = strchr(cut, '.')) *dot = 0;
    if (char* comma = strchr(cut, ',')) *comma = 0;
    reporter->Reset(0);
    SendReply(reporter, 10, MajorVersion(version));
    CradleLog(7, "RP-Version: %s", cut);
}

void CradleApp::AnswerMediaPlayerLevel(cSendRunTimeInfo* reporter) {
    CradleLog(7, "ProcessVersionMP");
    // The status window is looked up first: a fresh reporter knows none yet.
    reporter->Reset(0);
    if (bridge_ && bridge_->IsPlayerOK() == 2) {
        SendReply(reporter, 11, 2, true);
        CradleLog(7, "MP-Version: 2");
    } else if (mediaWnd_ && mediaWnd_->IsCreated()) {
        SendReply(reporter, 11, 1);
        CradleLog(7, "MP-Version: 1");
    } else {
        SendReply(reporter, 11, 0);
        CradleLog(7, "MP-Version: 0");
    }
}

void CradleApp::SetUpAudioSession() {
    IMMDeviceEnumerator* enumerator = nullptr;
    if (FAILED(CoCreateInstance(kClsidMMDeviceEnumerator, nullptr, CLSCTX_ALL, kIidMMDeviceEnumerator,
                                reinterpret_cast<void**>(&enumerator))))
        return;
    IMMDevice* device = nullptr;
    HRESULT hr = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
    enumerator->Release();
    if (FAILED(hr) || !device) return;
    IAudioSessionManager* manager = nullptr;
    if (SUCCEEDED(device->Activate(kIidSessionManager, CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&manager)))) {
        IAudioSessionControl* control = nullptr;
        if (SUCCEEDED(manager->GetAudioSessionControl(nullptr, 0, &control)) && control) {
            control->SetGroupingParam(&kGroupingGuid, nullptr);
            control->Release();
        }
        manager->Release();
    }
    IAudioClient* client = nullptr;
    if (SUCCEEDED(device->Activate(kIidAudioClient, CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&client)))) {
        WAVEFORMATEX* mix = nullptr;
        if (SUCCEEDED(client->GetMixFormat(&mix)) && mix) {
            if (SUCCEEDED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 0, 0, mix, nullptr))) client->Start();
            CoTaskMemFree(mix);
        }
        // The client stays started until the process ends: it is not released.
    }
    if (FAILED(device->Activate(kIidEndpointVolume, CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&endpointVolume_))))
        endpointVolume_ = nullptr;
    device->Release();
}

void CradleApp::SetVolume(WPARAM volume) {
    if (!endpointVolume_) return;
    // The host has no user in front of it: a refused change is logged, never
    // shown in a box that would stop the command loop.
    if (volume > 100) volume = 100;
    HRESULT hr = endpointVolume_->SetMasterVolumeLevelScalar(static_cast<float>(volume) / 100.0f, nullptr);
    if (FAILED(hr)) PlainLogF(1, "playcradle: volume failt! (%08lx)", static_cast<unsigned long>(hr));
}

// ---------------------------------------------------------------- command loop

void CradleApp::DoMessageLoop(cSendRunTimeInfo* reporter) {
    PlainLogF(7, "olecrtl DoMessageLoop - Eingang, Params: *sendinfo=%d", reporter ? 1 : 0);
    unsigned long passes = 0;
    while (!g_stop) {
        ++passes;
        InterlockedIncrement(&g_alive);
        if (passes % kWatchCheckPasses == 0 && reporter) {
            HWND w = reporter->GetWatchWindow();
            if (!w) {
                PlainLog(1, "playcradle: Nowatch window Terminate!!!!");
                g_stop = 1;
                break;
            }
            if (!IsWindow(w)) reporter->ResetWatchWindow();
        }
        MSG msg;
        while (!g_stop && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER) g_timerFlag = 1;
            // An engine or handler that throws ends the host in order: the
            // main program hears the end at once instead of waiting for it.
            try {
                ProcessMessage(msg, reporter);
            } catch (const std::exception& e) {
                PlainLogF(1, "exception in peekmessage Terminate!!!! (%s)", e.what());
                g_stop = 1;
            } catch (...) {
                PlainLog(1, "exception in peekmessage Terminate!!!!");
                g_stop = 1;
            }
            InterlockedIncrement(&g_alive);
            g_timerFlag = 0;
        }
        Sleep(4);
    }
    PlainLog(15, "olecrtl: DoMessageLoop - Ausgang");
}

int CradleApp::ProcessMessage(const MSG& msg, cSendRunTimeInfo* reporter) {
    if (msg.message == UWM_SET_VOLUME) {
        SetVolume(msg.wParam);
        return 0;
    }
    InterlockedIncrement(&g_alive);
    switch (g_engine) {
    case kEngineReal:
        if (!ProcessMessageRP(msg, reporter)) DispatchMessageA(&msg);
        return 1;
    case kEngineMp64:
        if (!msg.hwnd) ProcessMessageMP(msg, reporter);
        else DispatchMessageA(&msg);
        return 1;
    case kEngineMp9:
        if (msg.hwnd) DispatchMessageA(&msg);
        else ProcessMessageMP9(msg, reporter);
        return 1;
    default:
        PlainLog(15, "olecrtl: ProcessMessage - Ausgang4, FALSE");
        return 0;
    }
}

bool CradleApp::ReadPlayUrl(char* buffer) {
    buffer[0] = 0;
    GetPlayURL(buffer);
    buffer[1023] = 0;
    return buffer[0] != 0;
}

int CradleApp::ProcessMessageRP(const MSG& msg, cSendRunTimeInfo* reporter) {
    if (g_stop) {
        PlainLog(15, "olecrtl: ProcessMessageRP - Ausgang1, FALSE");
        return 0;
    }
    if (msg.hwnd) return 0;
    RealBridge& rb = g_realbridge;
    switch (msg.message) {
    case UWM_SET_BUFF_SIZE:
        CradleLog(7, "SetBuffersize(%d)", static_cast<int>(msg.lParam));
        if (rb.Loaded()) rb.SetBuffersize(static_cast<int>(msg.lParam));
        CradleLog(7, "set buffersize...term");
        return 1;
    case UWM_CMD_PAUSE:
        if (rb.Loaded()) rb.Pause();
        return 1;
    case UWM_CMD_STOP:
        CradleLog(7, "ResetWatchWindow...");
        reporter->ResetWatchWindow();
        CradleLog(7, "Call RP_Stop...");
        if (rb.Loaded()) rb.Stop();
        CradleLog(7, "SetPlaystate...");
        reporter->SetPlaystate(1);
        g_stop = 1;
        CradleLog(7, "stop command - Terminate!!!!");
        return 1;
    case UWM_CMD_TRACKPOS:
        if (rb.Loaded()) rb.GotoTrackPos(static_cast<unsigned long>(msg.lParam));
        return 1;
    case UWM_CMD_PLAYTRACK:
        if (rb.Loaded()) rb.GotoTrack(static_cast<unsigned long>(msg.lParam));
        return 1;
    case UWM_CMD_PLAY: {
        char address[1024];
        ReadPlayUrl(address);
        if (msg.wParam == 1) {
            reporter->Reset(0);
            reporter->SetPlaystate(2);
            CradleLog(7, "OpenURL -RP- (%s)", address);
            if (!rb.Loaded() || !rb.OpenUrl(address)) reporter->OnPlayState(0);
        } else if (msg.wParam == 2) {
            CradleLog(7, "REALBRIDGE_Continue");
            if (rb.Loaded()) rb.Continue();
        }
        return 1;
    }
    case UWM_GETVERSION:
        AnswerVersion(reporter);
        g_stop = 1;
        return 0;
    default:
        return 0;
    }
}

int CradleApp::ProcessMessageMP(const MSG& msg, cSendRunTimeInfo* reporter) {
    if (g_stop) {
        PlainLog(15, "olecrtl: ProcessMessageMP - Ausgang1, FALSE");
        return 0;
    }
    CMediaWnd* w = mediaWnd_ && mediaWnd_->IsCreated() ? mediaWnd_ : nullptr;
    switch (msg.message) {
    case UWM_SET_BUFF_SIZE:
        if (mediaWnd_) mediaWnd_->SetBusy(1);
        SetBufferSizeMP(static_cast<int>(msg.lParam) * 1000);
        if (mediaWnd_) mediaWnd_->SetBusy(0);
        return 1;
    case UWM_CMD_PAUSE:
        if (w) w->Player().Pause();
        return 1;
    case UWM_CMD_STOP:
        reporter->ResetWatchWindow();
        if (mediaWnd_) {
            mediaWnd_->TermPlayer();
            mediaWnd_ = nullptr;
        }
        reporter->SetPlaystate(1);
        g_stop = 1;
        CradleLog(7, "stopcommand Terminate!!!!");
        return 1;
    case UWM_CMD_TRACKPOS:
        if (w) {
            w->Player().SetCurrentPosition(static_cast<double>(msg.lParam));
            w->Player().Play();
        }
        return 1;
    case UWM_CMD_PLAYTRACK:
        if (w) {
            w->Player().SetCurrentPosition(0);
            w->Player().Stop();
            w->Player().SetCurrentEntry(static_cast<long>(msg.lParam));
            w->Player().GetCurrentEntry();
            w->Player().Play();
        }
        return 1;
    case UWM_CMD_PLAY:
        ReadPlayUrl(playUrl_);
        if (msg.wParam == 1) {
            reporter->Reset(0);
            reporter->SetPlaystate(2);
            if (w) {
                w->Player().Open(playUrl_);
            } else {
                // Without the control nothing would ever answer the main program.
                reporter->OnError("Media Player control not available");
                reporter->OnOpenState(0);
            }
        } else if (msg.wParam == 2 && w) {
            w->Player().Play();
        }
        return 1;
    case UWM_GETVERSION:
        AnswerMediaPlayerLevel(reporter);
        g_stop = 1;
        return 0;
    default:
        return 0;
    }
}

int CradleApp::ProcessMessageMP9(const MSG& msg, cSendRunTimeInfo* reporter) {
    if (g_stop) {
        CradleLog(7, "processmsgMP9 - GlobalTerm");
        return 0;
    }
    switch (msg.message) {
    case UWM_SET_BUFF_SIZE:
        CradleLog(7, "processmsgMP9 UWM_SET_BUFF_SIZE");
        return 1;
    case UWM_CMD_PAUSE:
        if (bridge_) bridge_->Pause();
        CradleLog(7, "processmsgMP9 UWM_CMD_PAUSE");
        return 1;
    case UWM_CMD_STOP:
        reporter->ResetWatchWindow();
        EndBridge();
        reporter->SetPlaystate(1);
        g_stop = 1;
        CradleLog(7, "stop command Terminate!!!!");
        return 1;
    case UWM_CMD_TRACKPOS:
        if (bridge_) bridge_->SetCurrentPosition(static_cast<unsigned long>(msg.lParam));
        CradleLog(7, "processmsgMP9 UWM_CMD_TRACKPOS");
        return 1;
    case UWM_CMD_PLAYTRACK:
        if (bridge_) bridge_->SetCurrentEntry(static_cast<unsigned long>(msg.lParam));
        return 1;
    case UWM_CMD_PLAY:
        ReadPlayUrl(playUrl_);
        CradleLog(7, "processmsgMP9 UWM_CMD_PLAY");
        if (msg.wParam == 1) {
            reporter->Reset(0);
            reporter->SetPlaystate(2);
            // The bridge reports what happens to an accepted address; a
            // refusal would otherwise leave the main program waiting.
            if (!bridge_) {
                reporter->OnError("Media Player 7 engine not available");
                reporter->OnOpenState(0);
            } else if (!bridge_->Play(playUrl_)) {
                reporter->OnError("Media Player 7 engine refused the address");
                reporter->OnOpenState(0);
            }
        } else if (msg.wParam == 2) {
            if (bridge_) bridge_->Continue();
        }
        return 1;
    case UWM_GETVERSION:
        AnswerMediaPlayerLevel(reporter);
        g_stop = 1;
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- entry

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static CradleApp app;
    return app.Main(instance, GetCommandLineA());
}
