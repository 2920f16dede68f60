#include "control_activex.h"

#include <cstdio>
#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "debug_log.h"
#include "player_globals.h"
#include "playlist_asx.h"
#include "registry.h"
#include "settings_interface.h"
#include "shared_data.h"
#include "statusrecords.h"
#include "win_handles.h"

namespace {

cControlActiveX* volatile g_client = nullptr;
volatile LONG g_watchers = 0;

struct WatchJob {
    HANDLE process;
};

DWORD WINAPI WatchMain(LPVOID param) {
    WatchJob* job = static_cast<WatchJob*>(param);
    int polls = 0;
    for (;;) {
        DWORD code = 0;
        if (!GetExitCodeProcess(job->process, &code) || code != STILL_ACTIVE) break;
        if (++polls > cControlActiveX::kStopPolls) {
            WriteDebugLog("Host did not end after stop - terminated", 5);
            TerminateProcess(job->process, 100);
            WaitForSingleObject(job->process, 2000);
            break;
        }
        Sleep(cControlActiveX::kStopPollMs);
    }
    CloseHandle(job->process);
    delete job;
    InterlockedDecrement(&g_watchers);
    return 0;
}

const char* GenreStem(int genre) {
    switch (genre) {
        case 1: case 2: case 15: return "hits";
        case 9: case 14: case 60: return "oldies";
        case 10: case 12: case 23: return "schlager";
        case 17: case 29: return "elektro";
        case 18: case 35: case 38: case 39: return "rock";
        case 24: case 25: return "jazz";
        default: return "reagae";
    }
}

}  // namespace

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cControlActiveX* client = g_client;
    if (!client) return 0;
    switch (msg) {
        case WM_COPYDATA: return client->OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case UWM_PLAYER_REPLY: return client->OnReply(wParam, lParam);
        case UWM_SET_VOLUME:
            client->owner_->OnVolumeMessage();
            return 0;
        default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

long cControlActiveX::PendingWatchers() { return g_watchers; }

cControlActiveX::cControlActiveX(cControlOwner* owner, cHostClientNet* net)
    : owner_(owner), player_(owner->StatusPlayer()), net_(net ? net : DefaultHostClientNet()) {
    InitializeCriticalSection(&commandLock_);
    relay_.reset(new cSendRunTimeInfo(player_));
    for (HANDLE& e : events_) e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    offline_ = IsOffline();
}

cControlActiveX::~cControlActiveX() {
    if (g_client == this) g_client = nullptr;
    if (hostProcess_) CloseHandle(hostProcess_);
    for (HANDLE e : events_)
        if (e) CloseHandle(e);
    relay_.reset();
    DeleteCriticalSection(&commandLock_);
}

void cControlActiveX::Log(int level, const char* text) { WriteDebugLog(text, level); }

int cControlActiveX::Status(const char* text, int code) {
    char copy[1024];
    bk::TextCopy(copy, sizeof copy, text);
    return player_ ? player_->SendStatus(copy, code) : 0;
}

void cControlActiveX::Init() {
    Log(7, "Control ActiveX - init");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = bk::kStatusWindowClass;
    RegisterClassA(&wc);
    g_client = this;
    window_ = CreateWindowExA(WS_EX_APPWINDOW, bk::kStatusWindowClass, "", WS_POPUP, 1, 1, 2, 2, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ProbeEngines();
    if (cSettingsInterface* settings = player_ ? player_->GetSettings() : nullptr) {
        settings->SetHostCapabilities(static_cast<int>(capabilities_));
        settings->SetHostCapabilitiesKnown(1);
    }
    initialised_ = 1;
    hostPid_ = hostThreadId_ = 0;
    Log(7, "Control ActiveX - init ok");
}

void cControlActiveX::Pump() {
    Sleep(delay_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        delay_ = 5;
    }
    if (delay_ < 90) ++delay_;
}

bool cControlActiveX::StartProcess(const char* switches, PROCESS_INFORMATION* pi) {
    char path[MAX_PATH * 2], command[MAX_PATH * 2 + 64];
    bk::TextFormat(path, sizeof path, "%s\\%s", td::ProgramFolder(), kHostProgram);
    // Quoted: a program folder with blanks must not start "C:\Program.exe".
    bk::TextFormat(command, sizeof command, "\"%s\"%s", path, switches);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    *pi = {};
    if (!CreateProcessA(path, command, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                        td::ProgramFolder()[0] ? td::ProgramFolder() : nullptr, &si, pi)) {
        WriteDebugLogF(1, "Start of %s failed (%lu)", command, GetLastError());
        *pi = {};
        return false;
    }
    NoteStarted(pi->dwProcessId);
    return true;
}

void cControlActiveX::NoteStarted(DWORD pid) {
    started_[startedNext_++ % (sizeof started_ / sizeof started_[0])] = pid;
}

bool cControlActiveX::KnownSender(DWORD pid) const {
    if (pid != 0 && pid == hostPid_) return true;
    for (DWORD p : started_)
        if (p != 0 && p == pid) return true;
    return false;
}

DWORD cControlActiveX::WaitIdle(HANDLE process, DWORD threadId, DWORD ms, HANDLE giveWay) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD rc = WaitForInputIdle(process, 50);
        if (rc != WAIT_TIMEOUT) return rc;
        if (giveWay && WaitForSingleObject(giveWay, 0) == WAIT_OBJECT_0) return WAIT_TIMEOUT;
        // Wine reports a host that only peeks at its queue as never idle;
        // a main thread that has its queue reads our commands all the same.
        if (threadId && WaitForSingleObject(process, 0) == WAIT_TIMEOUT && PostThreadMessageA(threadId, WM_NULL, 0, 0))
            return 0;
        Pump();
        if (GetTickCount() - start >= ms) return WAIT_TIMEOUT;
    }
}

void cControlActiveX::PostToHost(DWORD threadId, UINT msg, WPARAM w, LPARAM l) {
    if (!threadId) return;
    // A host that reported idle may still be a moment away from its queue.
    for (int i = 0; i < 40; ++i) {
        if (PostThreadMessageA(threadId, msg, w, l)) return;
        if (GetLastError() != ERROR_INVALID_THREAD_ID) return;
        Sleep(25);
    }
}

void cControlActiveX::ProbeEngines() {
    Pump();
    InterlockedExchange(&capabilities_, 0);
    InterlockedExchange(&probing_, 1);
    PROCESS_INFORMATION probes[2] = {};
    bool started[2] = {StartProcess(" -mpV", &probes[0]), StartProcess(" -rpV", &probes[1])};
    Pump();
    for (int i = 0; i < 2; ++i)
        if (started[i]) WaitIdle(probes[i].hProcess, 0, kIdleWaitMs);
    for (int i = 0; i < 2; ++i) {
        if (!started[i]) continue;
        DWORD begin = GetTickCount();
        while (WaitForSingleObject(probes[i].hProcess, 0) == WAIT_TIMEOUT) {
            if (GetTickCount() - begin > kProbeExitMs) {
                Log(1, "Probe did not end - terminated");
                TerminateProcess(probes[i].hProcess, 100);
                break;
            }
            Pump();
            Sleep(30);
        }
        CloseHandle(probes[i].hThread);
        CloseHandle(probes[i].hProcess);
    }
    Pump();
    InterlockedExchange(&probing_, 0);
    owner_->OnProbeAnswered(kReplyRealVersion);
    owner_->OnProbeAnswered(kReplyMediaLevel);
    owner_->OnProbeAnswered(0);
}

void cControlActiveX::Run() {
    g_client = this;
    while (player_->GetStatus() != 2) {
        try {
            Pump();
            static const Event order[] = {kPlay, kStop, kPause, kTrackPos, kPlayTrack, kCheck};
            for (Event e : order) {
                if (WaitForSingleObject(events_[e], 0) != WAIT_OBJECT_0) continue;
                switch (e) {
                    case kPlay: OnPlay(); break;
                    case kStop: OnStop(); break;
                    case kPause: OnPause(); break;
                    case kTrackPos: OnSetTrackPos(); break;
                    case kPlayTrack: OnPlayTrack(); break;
                    case kCheck: OnCheckConnection(); break;
                    default: break;
                }
            }
        } catch (...) {
            Log(7, "Exception in ControlActivX !!!!! Try to Stop playing...");
            OnStop();
        }
    }
    OnStop();
    Pump();
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    Pump();
    g_client = nullptr;
    Pump();
    UnregisterClassA(bk::kStatusWindowClass, GetModuleHandleA(nullptr));
}

// ---------------------------------------------------------------- requests

void cControlActiveX::PlayUrl(const char* address, int type) {
    Log(7, "Command Play-prepare");
    {
        bk::ScopedLock lock(&commandLock_);
        command_ = type;
        if (!bk::TextCopy(address_, sizeof address_, address)) Log(5, "Play address cut to 1023 characters");
    }
    SetEvent(events_[kPlay]);
    Log(7, "set play event...");
}

void cControlActiveX::TogglePause() {
    if (relay_->GetPlaystate() == 5) {
        {
            bk::ScopedLock lock(&commandLock_);
            command_ = engine_;
        }
        SetEvent(events_[kPlay]);
    } else {
        SetEvent(events_[kPause]);
    }
}

void cControlActiveX::SetTrackPosition(unsigned long position) {
    {
        bk::ScopedLock lock(&commandLock_);
        command_ = static_cast<long>(position);
    }
    SetEvent(events_[kTrackPos]);
}

void cControlActiveX::PlayTrack(unsigned long entry) {
    {
        bk::ScopedLock lock(&commandLock_);
        command_ = static_cast<long>(entry);
    }
    SetEvent(events_[kPlayTrack]);
}

void cControlActiveX::CheckConnection() { SetEvent(events_[kCheck]); }
void cControlActiveX::RequestStop() { SetEvent(events_[kStop]); }

void cControlActiveX::PostVolumeChange(int volume) {
    DWORD thread = hostThreadId_;
    if (thread) PostThreadMessageA(thread, UWM_SET_VOLUME, static_cast<WPARAM>(volume), 0);
}

// ---------------------------------------------------------------- host processes

void cControlActiveX::WatchHostExit(HANDLE process) {
    if (!process) return;
    WatchJob* job = new WatchJob{process};
    InterlockedIncrement(&g_watchers);
    HANDLE thread = CreateThread(nullptr, 0, WatchMain, job, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        // Without a watcher the host is ended at once rather than left behind.
        TerminateProcess(process, 100);
        CloseHandle(process);
        delete job;
        InterlockedDecrement(&g_watchers);
    }
}

DWORD cControlActiveX::StartHost(const char* switches) {
    if (hostThreadId_ && hostProcess_) {
        DWORD previousThread = hostThreadId_;
        WatchHostExit(hostProcess_);
        PostToHost(previousThread, UWM_CMD_STOP, 0, 0);
    } else if (hostProcess_) {
        CloseHandle(hostProcess_);
    }
    hostProcess_ = nullptr;
    hostPid_ = hostThreadId_ = 0;
    PROCESS_INFORMATION pi;
    if (!StartProcess(switches, &pi)) return WAIT_FAILED;
    CloseHandle(pi.hThread);
    hostProcess_ = pi.hProcess;
    hostPid_ = pi.dwProcessId;
    hostThreadId_ = pi.dwThreadId;
    DWORD begin = GetTickCount();
    DWORD rc = WaitIdle(pi.hProcess, pi.dwThreadId, kIdleWaitMs);
    WriteDebugLogF(7, "Host %lu ready (%lu) after %lu ms", pi.dwProcessId, rc, GetTickCount() - begin);
    return rc;
}

bool cControlActiveX::ResolvePlaylist(char* address, size_t addressSize, const char* folder) {
    char downloaded[MAX_PATH + 16] = {};
    if (!GetTempFileNameA(folder, "vltmp", 0, downloaded)) return false;
    bool ok = false;
    if (net_->Downloadfile(address, downloaded, kPlaylistLimit)) {
        std::string body;
        bk::ScopedFile file(CreateFileA(downloaded, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file) {
            char buffer[4096];
            DWORD got = 0;
            while (body.size() < kPlaylistLimit && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got)
                body.append(buffer, got);
        }
        const std::vector<std::string> entries = td::PlaylistEntries(body.data(), body.size());
        if (entries.empty()) {
            // Nothing playable in it: the play fails here, no empty list goes to the engine.
            Log(1, "playlist without a usable address");
            if (!DeleteFileA(downloaded)) DeleteFileA(downloaded);
            return false;
        }
        char asxPath[MAX_PATH * 2];
        bk::TextFormat(asxPath, sizeof asxPath, "%s%s", folder, kAsxFileName);
        std::string asx = td::BuildAsx(entries);
        bk::ScopedFile out(CreateFileA(asxPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (out && WriteFile(out.Get(), asx.data(), static_cast<DWORD>(asx.size()), &written, nullptr) &&
            written == asx.size()) {
            char local[kAddressSize];
            if (bk::TextFormat(local, sizeof local, "file://%s", asxPath)) {
                bk::TextCopy(address, addressSize, local);
                ok = true;
            }
        }
    }
    if (!DeleteFileA(downloaded)) {
        Sleep(50);
        DeleteFileA(downloaded);
    }
    return ok;
}

void cControlActiveX::OnPlay() {
    char address[kAddressSize];
    int type;
    {
        bk::ScopedLock lock(&commandLock_);
        bk::TextCopy(address, sizeof address, address_);
        type = static_cast<int>(command_);
        ResetEvent(events_[kPlay]);
    }
    const bool paused = relay_->GetPlaystate() == 5;
    const bool newEngine = (capabilities_ & kCapNewMediaPlayer) != 0;
    const int language = player_->GetLanguage();

    // A resumed stream is already open in its host: no new resolution.
    if (!paused && (type == kStreamWindowsMedia || type == kStreamMp3) && newEngine) {
        char text[256];
        GetResourceString(nullptr, 1, language, text, sizeof text);
        Status(text, 13);
        bool playlist = td::IsPlaylistAddress(address);
        if (!playlist) {
            char target[kAddressSize] = {};
            if (net_->CheckURLRedirected(address, target, sizeof target) && td::IsPlaylistAddress(target)) {
                bk::TextCopy(address, sizeof address, target);
                playlist = true;
            }
        }
        if (playlist) {
            GetResourceString(nullptr, 2, language, text, sizeof text);
            Status(text, 13);
            char folder[512] = {};
            GetValue("PathUser", folder, sizeof folder);
            if (!folder[0]) bk::TextFormat(folder, sizeof folder, "%s\\", td::ProgramFolder());
            ResolvePlaylist(address, sizeof address, folder);
        }
    }
    Log(7, "prepare...ok");
    if (!paused) SetPlayURL(address);
    WriteDebugLogF(7, "Command Play (%s) Type(%d)", address, type);
    if (!paused) relay_->Reset(0);

    const bool real = type == kStreamReal || (type == kStreamMp3 && !newEngine);
    const char* switches = real ? " -rp" : (newEngine ? " -mp9" : " -mp");
    Status(real ? "realplayer cmd play..." : "mediaplayer cmd play...", 18);
    if (paused && hostThreadId_) {
        PostToHost(hostThreadId_, UWM_CMD_PLAY, 2, 0);
    } else {
        if (StartHost(switches) != 0) {
            owner_->SetRunState(1);
            // Whether this was the last try is the player's to say when it
            // hears of the end: a running recording is kept until then.
            Status("keep_record finished playing...", 16);
            relay_->OnPlayState(0);
            Pump();
            WriteDebugLogF(7, "retCommand Play (%s) Type(%d)", address, type);
            return;
        }
        cSettingsInterface* settings = player_->GetSettings();
        PostToHost(hostThreadId_, UWM_SET_BUFF_SIZE, 0, settings ? settings->GetBufferSize() : 15);
        relay_->SetPlaystate(2);
        if (offline_) {
            char dir[512] = {};
            GetOfflineSoundfilesDir(dir);
            const char* prefix = real ? (type == kStreamMp3 ? "mp3_test_" : "real_test_") : "ms_test_";
            const char* extension = real ? ".ram" : ".wax";
            char name[128];
            bk::TextFormat(name, sizeof name, "%s%s%s", prefix, GenreStem(owner_->CurrentGenreId()), extension);
            bk::TextFormat(address, sizeof address, "file://%s%s", dir, name);
            SetPlayURL(address);
        }
        PostToHost(hostThreadId_, UWM_CMD_PLAY, 1, 0);
    }
    engine_ = real ? 1 : 2;
    Status(real ? "realplayer cmd play...ok" : "mediaplayer cmd play...ok", 5);
    owner_->OnStreamStarted();
    Pump();
    WriteDebugLogF(7, "retCommand Play (%s) Type(%d)", address, type);
}

void cControlActiveX::OnPause() {
    Log(7, "OnPause");
    Status("fkt cmd pause...", 5);
    int engine = engine_;
    if (engine) {
        bool real = engine == 1;
        Status(real ? "realplayer cmd pause..." : "mediaplayer cmd pause...", 5);
        Log(7, real ? "ActiveX Pause Realplayer..." : "ActiveX Pause Mediaplayer...");
        PostToHost(hostThreadId_, UWM_CMD_PAUSE, 0, 0);
        Status(real ? "realplayer cmd pause...ok" : "mediaplayer cmd pause...ok", 5);
    }
    ResetEvent(events_[kPause]);
}

void cControlActiveX::OnStop() {
    Log(7, "OnStop");
    DWORD thread = hostThreadId_;
    if (hostProcess_) WatchHostExit(hostProcess_);
    hostProcess_ = nullptr;
    hostPid_ = hostThreadId_ = 0;
    relay_->SetPlaystate(1);
    relay_->Reset(1);
    int engine = engine_;
    engine_ = 0;
    Status("fkt cmd stop...", 5);
    Pump();
    if (engine && thread) {
        PostToHost(thread, UWM_CMD_STOP, 0, 0);
        Status(engine == 1 ? "realplayer term...ok" : "mediaplayer cmd stop...ok", 17);
    }
    ResetEvent(events_[kStop]);
}

void cControlActiveX::OnSetTrackPos() {
    Log(7, "OnSetTrackPos");
    unsigned long position;
    {
        bk::ScopedLock lock(&commandLock_);
        position = static_cast<unsigned long>(command_);
    }
    if (engine_ == 1) PostToHost(hostThreadId_, UWM_CMD_TRACKPOS, 0, static_cast<LPARAM>(position));
    else if (engine_ == 2) PostToHost(hostThreadId_, UWM_CMD_TRACKPOS, 0, static_cast<LPARAM>(position / 1000));
    ResetEvent(events_[kTrackPos]);
}

void cControlActiveX::OnPlayTrack() {
    Log(7, "OnPlayTrack");
    long entry;
    {
        bk::ScopedLock lock(&commandLock_);
        entry = command_;
    }
    if (engine_ == 1) PostToHost(hostThreadId_, UWM_CMD_PLAYTRACK, 0, entry);
    else if (engine_ == 2) PostToHost(hostThreadId_, UWM_CMD_PLAYTRACK, 0, entry + 1);
    ResetEvent(events_[kPlayTrack]);
}

void cControlActiveX::OnCheckConnection() {
    ResetEvent(events_[kCheck]);
    PROCESS_INFORMATION pi;
    if (!StartProcess(" -CheckConnection", &pi)) return;
    Pump();
    // The check's host asks the server on its main thread before it ever
    // reads messages: with its thread the wait ends once it has a queue,
    // not when the answer is in (that comes as a message). A play asked
    // meanwhile is not held up by it at all.
    WaitIdle(pi.hProcess, pi.dwThreadId, kIdleWaitMs, events_[kPlay]);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// ---------------------------------------------------------------- window

LRESULT cControlActiveX::OnCopyData(WPARAM kind, const COPYDATASTRUCT* cds) {
    bk::StatusRecord rec;
    if (!cds || !bk::DecodeStatusRecord(static_cast<uint32_t>(kind), cds->lpData, cds->cbData, &rec)) return 0;
    const bool fromHost = rec.processId != 0 && rec.processId == hostPid_;
    switch (kind) {
        case bk::kStatusLog:
            if (KnownSender(rec.processId)) relay_->Log(rec.log.text, rec.log.level);
            return 0;
        case bk::kStatusRunInfo:
            if (!fromHost) return bk::kStatusNotWanted;
            relay_->SetMyStreamRunInfo(rec.runInfo.a, rec.runInfo.b, rec.runInfo.c, rec.runInfo.d);
            return 0;
        default: break;
    }
    if (!fromHost) return 0;
    switch (kind) {
        case bk::kStatusPlayState: relay_->SetPlaystate(static_cast<unsigned char>(rec.value.value)); break;
        case bk::kStatusBuffering: relay_->OnBuffering(rec.value.value); break;
        case bk::kStatusResetBuffer: relay_->ResetBuffer(); break;
        case bk::kStatusEnginePlayState: relay_->OnPlayState(rec.value.value); break;
        case bk::kStatusOpenState: relay_->OnOpenState(rec.value.value); break;
        case bk::kStatusError: relay_->OnError(rec.error.text); break;
        case bk::kStatusStreamInfo:
            if (rec.streamInfo.maxTrack < 9999)
                relay_->SetMyStreamInfo(rec.streamInfo.track, rec.streamInfo.maxTrack, rec.streamInfo.maxPlaytime,
                                        rec.streamInfo.title, rec.streamInfo.author);
            break;
        default: break;
    }
    return 0;
}

LRESULT cControlActiveX::OnReply(WPARAM kind, LPARAM value) {
    switch (kind) {
        case kReplyRealVersion:
            if (!probing_) return 0;
            if (value > 0) InterlockedOr(&capabilities_, kCapRealPlayer);
            if (value > 5) InterlockedOr(&capabilities_, kCapNewEngine);
            owner_->OnProbeAnswered(kReplyRealVersion);
            return 0;
        case kReplyMediaLevel:
            if (!probing_) return 0;
            if (value == 1) InterlockedOr(&capabilities_, kCapMediaPlayer);
            if (value > 1) InterlockedOr(&capabilities_, kCapMediaPlayer | kCapNewEngine | kCapNewMediaPlayer);
            owner_->OnProbeAnswered(kReplyMediaLevel);
            return 0;
        case kReplyConnection: {
            connectionResult_ = static_cast<int>(value);
            char text[16];
            bk::TextFormat(text, sizeof text, "%d", offline_ ? 1 : connectionResult_);
            Status(text, 29);
            return 0;
        }
        default: return 0;
    }
}
