#include "wmp_host.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "interface_host.h"
#include "internetcheck.h"
#include "playerstatus.h"
#include "shared_data.h"
#include "wmp_events.h"

namespace {

const char kHostClass[] = "mediabridge_wmp_host";
const char kContainerClass[] = "mediabridge_wmp_container";
// Reported when the control gives up on an address without saying why.
const char kOpenFailedText[] = "The stream could not be opened.";

CWMPHost::ControlFactory g_factory = CreateWmpControl;


HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleInstance), &module);
    return module;
}

}  // namespace

// ---------------------------------------------------------------- state maps

int MapPlayState(long s) {
    switch (s) {
    case 0: case 1: case 8: return 0;
    case 2: return 1;
    case 3: case 6: case 9: return 2;
    case 4: return 4;
    case 5: return 5;
    case 7: case 10: case 11: return 3;
    default: return -1;
    }
}

int MapOpenState(long s) {
    switch (s) {
    case 0: return 0;
    case 1: case 2: case 4: case 5: case 6: case 8: case 11: case 14: case 15: case 16: case 17: case 18: case 19:
        return 2;
    case 3: case 10: return 4;
    case 7: case 13: case 20: return 6;
    case 9: return 3;
    case 12: case 21: return 5;
    default: return -1;
    }
}

// ---------------------------------------------------------------- meta poll job

// Everything one poll needs, copied on the window's thread: the worker
// touches neither the control (it belongs to the window's thread) nor the
// window object, which may be gone by the time the poll ends.
struct CWMPHost::MetaJob {
    HWND window;
    std::shared_ptr<PollState> state;
    unsigned long generation;   // the host's play the poll belongs to
    int retries;
    char streamUrl[1024];
    char metaUrl[1024];
    char server[256];
    char user[512];
    char password[512];
    // Results.
    int found;
    char title[cInternetCheck::kTitleSize];
    char resolved[1024];
};

void CWMPHost::SetControlFactory(ControlFactory factory) { g_factory = factory ? factory : CreateWmpControl; }

CWMPHost::CWMPHost() : pollState_(std::make_shared<PollState>()) {}

CWMPHost::~CWMPHost() {
    Term();
    if (hwnd_) DestroyWindow(hwnd_);
}

void PrefixedLogV(const char* prefix, int level, const char* fmt, va_list args) {
    char text[1024];
    bk::TextFormatV(text, sizeof text, fmt, args);
    DebugLog(level, "%s %s", prefix, text);
}

void CWMPHost::Log(int level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    PrefixedLogV("CWMPHost", level, fmt, args);
    va_end(args);
}

void CWMPHost::SetCredentials(const char* user, const char* password) {
    memset(user_, 0, sizeof user_);
    memset(password_, 0, sizeof password_);
    bk::TextCopy(user_, user);
    bk::TextCopy(password_, password);
}

// ---------------------------------------------------------------- window

HWND CWMPHost::Create(HWND parent, const char* caption, DWORD style) {
    HINSTANCE instance = ModuleInstance();
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kHostClass, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kHostClass;
        RegisterClassA(&wc);
    }
    if (!GetClassInfoA(instance, kContainerClass, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = kContainerClass;
        RegisterClassA(&wc);
    }
    CreateWindowExA(0, kHostClass, caption, style, 0, 0, 0, 0, parent, nullptr, instance, this);
    return hwnd_;
}

LRESULT CALLBACK CWMPHost::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWMPHost* self = reinterpret_cast<CWMPHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<CWMPHost*>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    }
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE: return self->OnCreate();
    case WM_DESTROY:
        self->OnDestroy();
        return 0;
    case WM_SIZE:
        if (self->container_) {
            RECT r;
            GetClientRect(hwnd, &r);
            MoveWindow(self->container_, 0, 0, r.right, r.bottom, TRUE);
        }
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
        self->OnTimer(wParam);
        return 0;
    case kRetryPlay:
        if (self->lastPlayState_ == 10 && self->lastOpenState_ == 6 && self->player_ && self->player_->HasControls()) {
            self->Log(7, "try to play again...");
            self->player_->Play();
        }
        return 0;
    case kMetaPollDone:
        self->OnMetaPollDone(reinterpret_cast<MetaJob*>(lParam));
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->container_ = nullptr;
        PostQuitMessage(0);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT CWMPHost::OnCreate() {
    Log(7, "OnCreate");
    metaPolling_ = false;
    container_ = CreateWindowExA(0, kContainerClass, "WMP Host", WS_CHILD, 0, 0, 0, 0, hwnd_, nullptr,
                                 ModuleInstance(), nullptr);
    if (container_) player_ = g_factory(container_);
    if (!player_) {
        Log(1, "OnCreate: the control could not be created");
        PostQuitMessage(0);
        return 0;
    }
    sink_ = CWMPEventDispatch::New();
    sink_->SetHost(this);
    connected_ = player_->Connect(static_cast<IWMPEvents*>(sink_));
    if (!connected_) {
        Log(1, "OnCreate: no connection point takes the event sink");
        PostQuitMessage(0);
    }
    return 0;
}

void CWMPHost::OnDestroy() {
    if (player_) {
        player_->Disconnect();
        player_->Close();
        player_.reset();
    }
    if (sink_) {
        sink_->SetHost(nullptr);
        sink_->Release();
        sink_ = nullptr;
    }
}

bool CWMPHost::TimerRunning(UINT_PTR id) const { return id < 4 && timers_[id]; }

void CWMPHost::StartTimer(UINT_PTR id, UINT ms) {
    if (!hwnd_ || id >= 4) return;
    if (SetTimer(hwnd_, id, ms, nullptr)) timers_[id] = true;
}

void CWMPHost::StopTimer(UINT_PTR id) {
    if (id >= 4) return;
    if (hwnd_) KillTimer(hwnd_, id);
    timers_[id] = false;
}

// ---------------------------------------------------------------- states

long CWMPHost::CurrentPlayState() {
    long s = 0;
    if (player_ && player_->PlayState(&s) && s != 0) return s;
    return lastPlayState_;
}

long CWMPHost::CurrentOpenState() {
    long s = 0;
    if (player_ && player_->OpenState(&s) && s != 0) {
        Log(15, "GetOpenState - Ausgang2, %ld", s);
        return s;
    }
    return lastOpenState_;
}

void CWMPHost::OnOpenStateChange(long state) {
    Log(7, "OnOpenStateChange - Eingang, Params: NewState=%ld", state);
    lastOpenState_ = state;
    if (reporter_ && CurrentPlayState() != 8) {
        int mapped = MapOpenState(state);
        if (mapped >= 0) reporter_->OnOpenState(static_cast<unsigned long>(mapped));
    }
}

void CWMPHost::OnPlayStateChange(long state) {
    Log(7, "OnPlayStateChange - Eingang, Params: NewState=%ld", state);
    long previous = lastPlayState_;
    lastPlayState_ = state;
    if (reporter_ && state != 8 && (lastOpenState_ == 7 || lastOpenState_ == 13 || lastOpenState_ == 20)) {
        int mapped = MapPlayState(state);
        if (mapped >= 0) reporter_->OnPlayState(static_cast<unsigned long>(mapped));
    }
    if (state != 3) {
        StopTimer(kRunInfoTimer);
        // Ready with an empty playlist: start again, but only once the
        // control has left the call that raised the event (Wine's control
        // raises it inside put_URL and fails when play is called there) and
        // only when nothing else has happened since.
        if (state == 10 && lastOpenState_ == 6 && hwnd_) PostMessageA(hwnd_, kRetryPlay, 0, 0);
        // The control fell back to "undefined" while opening an address that
        // never played, and it raises no error event for that (Wine's
        // control does so for every http address): report it as an error,
        // or the main program would wait for a stream that never comes.
        if (state == 0 && openPending_ && previous != 0) {
            openPending_ = false;
            Log(1, "the control gave up on the address");
            OnError();
        }
        return;
    }
    openPending_ = false;
    char title[500] = {}, author[500] = {};
    double duration = 0;
    long count = 1, index = 0;
    if (player_) {
        player_->ItemText("Title", title, sizeof title);
        player_->ItemText("Author", author, sizeof author);
        if (!player_->Duration(&duration) || !std::isfinite(duration) || duration < 0) duration = 0;
        if (!player_->EntryCount(&count) || count < 1) count = 1;
        if (!player_->CurrentEntry(&index) || index < 0) index = 0;
    }
    if (reporter_) {
        reporter_->SetMyStreamInfo(static_cast<unsigned long>(index), static_cast<unsigned long>(count),
                                   static_cast<unsigned long>(duration) * 1000, title, author);
        title_[0] = 0;
    }
    if (!TimerRunning(kRunInfoTimer)) StartTimer(kRunInfoTimer, 1000);
    index_ = index;
    count_ = count;
    duration_ = duration;
}

void CWMPHost::OnBuffering(bool start) {
    if (start) {
        if (!TimerRunning(kBufferingTimer)) StartTimer(kBufferingTimer, 2000);
        return;
    }
    StopTimer(kBufferingTimer);
    long state = CurrentPlayState();
    if (state != lastPlayState_) OnPlayStateChange(state);
    if (reporter_) {
        int mapped = MapPlayState(state);
        if (mapped >= 0) reporter_->OnPlayState(static_cast<unsigned long>(mapped));
    }
}

void CWMPHost::OnError() {
    Log(15, "OnError - Eingang");
    Log(7, "OnError");
    std::string errorText;
    if (player_) {
        std::vector<WmpControl::ErrorEntry> entries;
        player_->ErrorQueue(&entries);
        Log(7, "OnError (count: %d)", static_cast<int>(entries.size()));
        for (const auto& e : entries) {
            Log(7, "Code: %ld - Text: %.900s", e.code, e.text.c_str());
            errorText = e.text;
        }
        if (player_->HasCurrentItem()) {
            long code = 0;
            std::string text;
            int r = player_->ItemError(&code, &text);
            // An item without the extended interface (Wine's) still has
            // its error reported, with the queue's text: stopping here would
            // leave the main program waiting for a stream that failed.
            if (r < 0) {
                Log(7, "query interface failed");
            } else if (r > 0) {
                Log(7, "Code: %ld - Text: %.900s", code, text.c_str());
                errorText = text;
            }
        }
    }
    long openState = CurrentOpenState();
    long playState = CurrentPlayState();
    Log(7, "OpenState: %ld - Playstate: %ld", openState, playState);
    if (playState != 3 && player_) {
        long count = 0, index = 0;
        if (player_->EntryCount(&count)) count_ = count;
        if (player_->CurrentEntry(&index)) index_ = index;
        Log(7, "tracks: %ld , akt track %ld", count_, index_);
        // Go on with the next entry of a playlist; the failing entry itself
        // is not started again (it would fail the same way for ever).
        if (index_ + 1 < count_) {
            ++index_;
            player_->PlayEntry(index_);
            Log(15, "OnError - Ausgang3");
            return;
        }
    }
    StopTimer(kRunInfoTimer);
    StopTimer(kBufferingTimer);
    StopTimer(kMetaTimer);
    metaPolling_ = false;
    openPending_ = false;
    ++errorReports_;
    if (reporter_) {
        // Open state 0 would end the report here (the reporter forgets the
        // status window with it), before the error could be told.
        int mapped = MapOpenState(openState);
        if (mapped > 0) reporter_->OnOpenState(static_cast<unsigned long>(mapped));
        if (playState == 3) {
            reporter_->OnPlayState(2);
        } else {
            ReportError(errorText.empty() ? kOpenFailedText : errorText.c_str());
            reporter_->OnOpenState(0);
        }
    }
    Log(15, "OnError - Ausgang4");
}

void CWMPHost::ReportError(const char* text) {
    char cut[512];
    bk::TextCopy(cut, text);
    reporter_->OnError(cut);
}

// ---------------------------------------------------------------- timers

void CWMPHost::OnTimer(UINT_PTR id) {
    switch (id) {
    case kRunInfoTimer:
        if (TimerRunning(kRunInfoTimer)) RunInfoStep();
        break;
    case kBufferingTimer:
        if (TimerRunning(kBufferingTimer) && reporter_) {
            long percent = 0;
            if (!player_ || !player_->BufferingProgress(&percent) || percent < 0) percent = 0;
            reporter_->OnBuffering(static_cast<unsigned long>(percent));
        }
        break;
    case kMetaTimer:
        StopTimer(kMetaTimer);
        if (metaPolling_) StartMetaPoll();
        break;
    default: break;
    }
}

void CWMPHost::RunInfoStep() {
    if (!player_) return;
    char text[64] = {};
    unsigned long bitrate = 0;
    if (player_->ItemText("Bitrate", text, sizeof text)) bitrate = strtoul(text, nullptr, 10);
    double position = 0;
    if (lastPlayState_ != 3 || !player_->Position(&position) || !std::isfinite(position) || position < 0) position = 0;
    long progress = 0;
    if (!player_->BufferingProgress(&progress) || progress < 0) progress = 0;
    if (reporter_)
        reporter_->SetMyStreamRunInfo(static_cast<unsigned long>(position * 1000), bitrate, 0,
                                      static_cast<unsigned long>(progress));
}

// ---------------------------------------------------------------- meta data

void CWMPHost::StartMetaPolling() {
    metaRetries_ = 0;
    char resolved[1024] = {};
    GetMETAURL(resolved);
    bk::TextCopy(metaUrl_, resolved);
    metaPolling_ = true;
    StartTimer(kMetaTimer, metaIntervalMs_);
    title_[0] = 0;
}

void CWMPHost::StartMetaPoll() {
    if (pollState_->busy.load()) {
        // The poll of an earlier play is still out: try again later.
        StartTimer(kMetaTimer, metaIntervalMs_);
        return;
    }
    auto* job = new MetaJob();
    job->window = hwnd_;
    job->state = pollState_;
    job->generation = metaGeneration_;
    job->retries = metaRetries_;
    if (metaRetries_ >= 2) bk::TextCopy(job->streamUrl, metaUrl_);
    else GetCurrentSrcURL(job->streamUrl, sizeof job->streamUrl);
    bk::TextCopy(job->metaUrl, metaUrl_);
    bk::InterfaceServer(job->server, sizeof job->server);
    bk::TextCopy(job->user, user_);
    bk::TextCopy(job->password, password_);
    // Busy before the thread exists, so that Term never misses a poll that
    // is about to start.
    pollState_->busy.store(1);
    HANDLE thread = CreateThread(nullptr, 0, PollThread, job, 0, nullptr);
    if (!thread) {
        pollState_->busy.store(0);
        delete job;
        StartTimer(kMetaTimer, metaIntervalMs_);
        return;
    }
    CloseHandle(thread);
}

DWORD WINAPI CWMPHost::PollThread(LPVOID param) {
    MetaJob* job = static_cast<MetaJob*>(param);
    std::shared_ptr<PollState> state = job->state;
    {
        cInternetCheck check(job->server, job->user, job->password);
        char stationMeta[1024] = {};
        GetVL_METAURL(stationMeta);
        char* title = job->title;
        if (strlen(stationMeta) < 2) job->found = check.ShoutcastStatus(job->streamUrl, &title);
        else job->found = check.VLMetaStatus(stationMeta, &title);
        if (!job->found && job->retries == 0) {
            // The first failure: resolve the address once (playlist or
            // redirect) and poll the result from the third try on. A stream
            // with no resolved address yet resolves its own.
            char address[1024];
            bk::TextCopy(address, job->metaUrl[0] ? job->metaUrl : job->streamUrl);
            if (address[0]) {
                check.ConvertAlternativURL(address, sizeof address);
                GetMETAURL(job->resolved);
            }
        }
    }
    HWND window = job->window;
    if (!window || !PostMessageA(window, kMetaPollDone, 0, reinterpret_cast<LPARAM>(job))) {
        delete job;
        state->busy.store(0);
    }
    return 0;
}

void CWMPHost::OnMetaPollDone(MetaJob* job) {
    if (!job) return;
    job->title[sizeof job->title - 1] = 0;
    job->resolved[sizeof job->resolved - 1] = 0;
    if (metaPolling_ && job->generation == metaGeneration_) {
        if (job->found) {
            if (job->title[0] && strcmp(job->title, title_) != 0) {
                bk::TextCopy(title_, job->title);
                if (reporter_)
                    reporter_->SetMyStreamInfo(static_cast<unsigned long>(index_), static_cast<unsigned long>(count_),
                                               static_cast<unsigned long>(duration_) * 1000, title_,
                                               const_cast<char*>(""));
            }
            StartTimer(kMetaTimer, metaIntervalMs_);
        } else {
            ++metaRetries_;
            if (metaRetries_ > 2) {
                Log(7, "meta data polling ends");
                metaPolling_ = false;
            } else {
                if (metaRetries_ == 1 && job->resolved[0]) bk::TextCopy(metaUrl_, job->resolved);
                StartTimer(kMetaTimer, metaIntervalMs_);
            }
        }
    }
    delete job;
    pollState_->busy.store(0);
}

// ---------------------------------------------------------------- commands

int CWMPHost::Play(const char* address) {
    if (!player_ || !address) return 0;
    // The control may open, start and fail the address inside this call
    // (Wine's does): the failure must count already.
    openPending_ = true;
    unsigned long errors = errorReports_;
    if (FAILED(player_->SetUrl(address))) {
        openPending_ = false;
        return 0;
    }
    if (errorReports_ == errors) StartMetaPolling();
    return 1;
}

void CWMPHost::GetCurrentSrcURL(char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = 0;
    if (player_) player_->SourceUrl(out, size < 1024 ? size : 1024);
}

void CWMPHost::Continue() {
    if (player_ && player_->IsAvailable("play")) player_->Play();
}

void CWMPHost::Pause() {
    if (player_ && player_->IsAvailable("pause")) player_->Pause();
}

void CWMPHost::SetBufferSize(long ms) {
    if (ms > 60000) ms = 60000;
    if (ms < 0) ms = 0;
    if (player_) player_->SetBufferingTime(ms);
}

void CWMPHost::SetCurrentPosition(unsigned long seconds) {
    if (!player_) return;
    player_->SetPosition(static_cast<double>(seconds));
    if (TimerRunning(kRunInfoTimer)) RunInfoStep();
}

void CWMPHost::SetCurrentEntry(unsigned long entry) {
    if (player_ && entry >= 1 && entry <= 0x7FFFFFFFul) player_->PlayEntry(static_cast<long>(entry - 1));
}

void CWMPHost::SetProxie(const char* host, long port) {
    Log(15, "SetProxie - Eingang, Params: *host=%.300s, port=%ld", host ? host : "(null)", port);
    if (!player_) {
        Log(15, "m_spWMPPlayer - fail");
    } else {
        Log(15, "m_spWMPPlayer - ok");
        if (player_->HasNetwork()) {
            Log(15, "spWMPNetwork - ok");
            if (host) {
                Log(15, "host - ok");
                if (FAILED(player_->SetProxySettings("http", 2))) Log(7, "setProxySettings failed");
                Log(7, "Proxy: %.300s Port: %ld", host, port);
                if (FAILED(player_->SetProxyName("http", host))) Log(7, "setProxyName failed");
                if (FAILED(player_->SetProxyPort("http", port))) Log(7, "setProxyPort failed");
                char name[300] = {};
                player_->ProxyName("http", name, sizeof name);
                Log(7, "getProxy: %s", name);
            } else {
                Log(15, "host - fail");
                player_->SetProxySettings("http", 0);
            }
        }
    }
    Log(15, "SetProxie - Ausgang");
}

void CWMPHost::Term() {
    StopTimer(kBufferingTimer);
    StopTimer(kRunInfoTimer);
    StopTimer(kMetaTimer);
    metaPolling_ = false;
    // A poll that runs uses copies only and may stall for WinINet's
    // time-outs: the stream must not play on meanwhile, so it is left to
    // end on its own. Its late result belongs to an older play and is
    // dropped.
    ++metaGeneration_;
    StopTimer(kMetaTimer);
    if (player_) {
        player_->Disconnect();
        player_->Close();
        player_.reset();
    }
}
