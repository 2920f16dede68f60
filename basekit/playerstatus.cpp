#include "playerstatus.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "bounded_text.h"
#include "servicelinks.h"
#include "statusrecords.h"

// ------------------------------------------------------------ default bodies
void cRadioPlayerInfo::SetMyStreamInfo(unsigned long, unsigned long, unsigned long, char*, char*) {}
void cRadioPlayerInfo::SetMyStreamRunInfo(unsigned long, unsigned long, unsigned long, unsigned long) {}
int cRadioPlayerInfo::SendStatus(char*, int) { return 1; }
cRadioPlayerInfo::~cRadioPlayerInfo() = default;
void cRadioPlayerInfo::ExtLog(char*, int) {}
void cRadioPlayerInfo::Stop(int) {}
unsigned long cRadioPlayerInfo::GetStatus() { return 0; }
void cRadioPlayerInfo::SetActiveXStatus(unsigned long) {}

namespace {
// Message texts of the catalogue used here.
enum : unsigned {
    kMsgStopped = 287,
    kMsgTimeout = 292,
    kMsgBuffering = 293,
    kMsgUnknownError = 294,
    kMsgNotAlwaysOnAir = 295,
    kMsgPaused = 296,
    kMsgPlaying = 297,
    kMsgWaiting = 298,
    kMsgScanForward = 299,
    kMsgScanBackward = 300,
    kMsgSkipForward = 301,
    kMsgSkipBackward = 302,
    kMsgLoadingPlaylist = 303,
    kMsgLocating = 304,
    kMsgConnecting = 305,
    kMsgOpening = 306,
    kMsgOpen = 307,
    kMsgTrackOne = 372,
};
constexpr size_t kMessageSize = 500;   // message texts: at most 499 characters
constexpr long kTicksPerSecond = 4;    // the watchdog ticks every 250 ms
}  // namespace

// ------------------------------------------------------------ life cycle
cSendRunTimeInfo::cSendRunTimeInfo(cRadioPlayerInfo* player)
    : processId_(GetCurrentProcessId()), player_(player) {
    InitializeCriticalSection(&watchdogLock_);
    Reset(0);
}

cSendRunTimeInfo::~cSendRunTimeInfo() {
    WaitForWatchdog();
    if (watchdogThread_) {
        // The thread clears its running flag just before it leaves the lock.
        if (GetThreadId(watchdogThread_) != GetCurrentThreadId()) WaitForSingleObject(watchdogThread_, INFINITE);
        CloseHandle(watchdogThread_);
    }
    DeleteCriticalSection(&watchdogLock_);
}

void cSendRunTimeInfo::WaitForWatchdog() {
    // The watchdog itself may end up here through a call back into the
    // player (Stop, then Reset): it must not wait for itself.
    if (watchdogThreadId_ == GetCurrentThreadId()) {
        InterlockedExchange(&stop_, 1);
        return;
    }
    while (InterlockedCompareExchange(&running_, 0, 0) != 0) {
        InterlockedExchange(&stop_, 1);
        Sleep(10);
    }
}

void cSendRunTimeInfo::Reset(int noTrackText) {
    InterlockedExchange(&stop_, 1);
    playState_ = 1;
    firstRun_ = 1;
    errorFlag_ = 0;
    errorText_[0] = 0;
    watchWindow_ = nullptr;
    streamValue_ = 0;
    bufferingStarted_ = 0;
    ResetBuffer();
    lastPercent_ = -1;
    watchWindow_ = FindWindowA(bk::kStatusWindowClass, nullptr);
    WaitForWatchdog();
    if (!Remote()) {
        char title[kMessageSize];
        LoadMessage(kMsgTrackOne, title, sizeof title);
        SetMyStreamInfo(0, 0, 0, noTrackText ? nullptr : title, nullptr);
    }
}

void cSendRunTimeInfo::ResetWatchWindow() {
    Log("ResetWatchWindow", 9);
    watchWindow_ = nullptr;
}

// ------------------------------------------------------------ helpers
void cSendRunTimeInfo::LoadMessage(unsigned id, char* buffer, size_t size) {
    int language = player_ ? player_->GetLanguage() : 1;
    bk3::LoadMessageText(id, language, buffer, size);
}

void cSendRunTimeInfo::Status(const char* text, int code) {
    if (player_) player_->SendStatus(const_cast<char*>(text), code);
}

void cSendRunTimeInfo::StatusMessage(unsigned id, int code) {
    char text[kMessageSize];
    LoadMessage(id, text, sizeof text);
    Status(text, code);
}

void cSendRunTimeInfo::LogF(int level, const char* fmt, ...) {
    char line[1024];
    va_list args;
    va_start(args, fmt);
    bk::TextFormatV(line, sizeof line, fmt, args);
    va_end(args);
    Log(line, level);
}

LRESULT cSendRunTimeInfo::Send(unsigned kind, const void* record, size_t size) {
    HWND target = watchWindow_;
    if (!target) return 0;
    COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(size);
    cds.lpData = const_cast<void*>(record);
    DWORD_PTR answer = 0;
    // A receiver that hangs must not stop the engine thread for long.
    if (!SendMessageTimeoutA(target, WM_COPYDATA, kind, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kSendTimeoutMs, &answer))
        return 0;
    return static_cast<LRESULT>(answer);
}

void cSendRunTimeInfo::SendValue(unsigned kind, unsigned long value) {
    bk::StatusValueRecord rec = {static_cast<uint32_t>(processId_), static_cast<uint32_t>(value)};
    Send(kind, &rec, sizeof rec);
}

void cSendRunTimeInfo::SendText(unsigned kind, const char* text, int level) {
    // Kinds 1 and 7 share the layout: process id, 512-byte text, 32 bits.
    bk::StatusLogRecord rec = {};
    rec.processId = static_cast<uint32_t>(processId_);
    bk::TextCopy(rec.text, text);
    rec.level = kind == bk::kStatusLog ? level : 0;
    Send(kind, &rec, sizeof rec);
}

// ------------------------------------------------------------ reports
void cSendRunTimeInfo::Log(const char* text, int level) {
    if (Remote()) {
        if (watchWindow_) SendText(bk::kStatusLog, text ? text : "", level);
        return;
    }
    char line[1024];
    bk::TextFormat(line, sizeof line, "CSendRunTimeInfo %s", text ? text : "");
    player_->ExtLog(line, level);
}

void cSendRunTimeInfo::SetPlaystate(unsigned char state) {
    if (Remote()) {
        playState_ = state;
        if (watchWindow_) SendValue(bk::kStatusPlayState, state);
        if (state == 1) watchWindow_ = nullptr;
        return;
    }
    LogF(9, "SetPlaystate Playstate(%d)", state);
    playState_ = state;
    if ((state == 2 || state == 3) && InterlockedCompareExchange(&running_, 0, 0) == 0) {
        if (bk::ListenTimerSlots* timer = player_->GetListenTimer()) timer->OnConnected();
        Log("Connetion start", 9);
        StartWatchdog();
    }
    player_->SetActiveXStatus(state);
    if (state == 5) {
        Status("playerstate: pause", 10);
        InterlockedExchange(&stop_, 1);
        return;
    }
    if (state != 1) {
        InterlockedExchange(&ticks_, 0);
        StartWatchdog();
    }
    if (state > 3) Status("playerstate: run", 9);
    if (state == 1) {
        Status("playerstate: stop", 8);
        if (bk::ListenTimerSlots* timer = player_->GetListenTimer()) {
            if (timer->OnStop(static_cast<int>(streamValue_))) player_->OnFinishedPlaying(errorFlag_);
        }
        player_->SetMyStreamInfo(0, 0, 0, nullptr, nullptr);
        Log("Connection stop", 9);
    }
}

void cSendRunTimeInfo::OnPlayState(unsigned long state) {
    if (Remote()) {
        if (!watchWindow_) return;
        SendValue(bk::kStatusEnginePlayState, state);
        if (state == 0 || state == 8) {
            playState_ = 1;
            watchWindow_ = nullptr;
        } else if (state == 1) {
            playState_ = 5;
        } else if (state == 2) {
            playState_ = 4;
        } else if (state <= 7) {
            playState_ = 6;
        }
        return;
    }
    if (!player_->GetSettings() || state > 8) return;
    InterlockedExchange(&ticks_, 0);
    switch (state) {
        case 0:
        case 8:
            ResetBuffer();
            StatusMessage(kMsgStopped, 0);
            SetPlaystate(1);
            ResetWatchWindow();
            break;
        case 1:
            StatusMessage(kMsgPaused, 0);
            SetPlaystate(5);
            break;
        case 2:
            StatusMessage(kMsgPlaying, 0);
            SetPlaystate(4);
            break;
        case 3:
            SetPlaystate(6);
            StatusMessage(kMsgWaiting, 13);
            break;
        case 4:
            SetPlaystate(6);
            StatusMessage(kMsgScanForward, 0);
            break;
        case 5:
            SetPlaystate(6);
            StatusMessage(kMsgScanBackward, 0);
            break;
        case 6:
            SetPlaystate(6);
            StatusMessage(kMsgSkipForward, 13);
            break;
        case 7:
            SetPlaystate(6);
            StatusMessage(kMsgSkipBackward, 13);
            break;
    }
}

void cSendRunTimeInfo::OnOpenState(unsigned long state) {
    if (Remote()) {
        if (state == 0) SetPlaystate(1);
        else if (watchWindow_) SendValue(bk::kStatusOpenState, state);
        return;
    }
    LogF(9, "OnOpenState State(%lu)", state);
    InterlockedExchange(&ticks_, 0);
    if (!player_->GetSettings() || state > 6) return;
    switch (state) {
        case 0: OnPlayState(0); break;
        case 1:
        case 2:
            SetPlaystate(6);
            StatusMessage(kMsgLoadingPlaylist, 13);
            break;
        case 3:
            SetPlaystate(6);
            ResetBuffer();
            StatusMessage(kMsgLocating, 13);
            break;
        case 4:
            SetPlaystate(6);
            StatusMessage(kMsgConnecting, 13);
            break;
        case 5:
            SetPlaystate(6);
            StatusMessage(kMsgOpening, 13);
            break;
        case 6:
            SetPlaystate(5);
            StatusMessage(kMsgOpen, 13);
            break;
    }
}

void cSendRunTimeInfo::OnBuffering(unsigned long percent) {
    if (Remote()) {
        if (watchWindow_) SendValue(bk::kStatusBuffering, percent);
        return;
    }
    if (static_cast<long>(percent) == lastPercent_) return;
    if (!bufferingStarted_) {
        player_->OnBufferingStart();
        bufferingStarted_ = 1;
    }
    lastPercent_ = static_cast<long>(percent);
    InterlockedExchange(&ticks_, 0);
    char text[kMessageSize];
    bk::TextFormat(text, sizeof text, "%lu", percent);
    Status(text, 1);
    char format[kMessageSize];
    LoadMessage(kMsgBuffering, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, static_cast<int>(percent));   // "... (%d %%)"
    Status(text, 13);
}

void cSendRunTimeInfo::ResetBuffer() {
    if (Remote()) {
        if (watchWindow_) SendValue(bk::kStatusResetBuffer, 0);
        return;
    }
    Status("0", 1);
}

void cSendRunTimeInfo::OnError(const char* text) {
    if (Remote()) {
        if (watchWindow_) SendText(bk::kStatusError, text ? text : "", 0);
        return;
    }
    InterlockedExchange(&ticks_, 0);
    bk::TextCopy(errorText_, text);
    errorFlag_ = 1;
    if (!text) return;
    // Room for an engine text of 1022 characters and the notice behind it.
    char message[1024 + kMessageSize];
    char logLine[1024];
    if (!text[0]) {
        LoadMessage(kMsgUnknownError, message, sizeof message);
        bk::TextCopy(logLine, "OnError err - unbekannter fehler");
    } else {
        bk::TextCopyN(message, sizeof message, text, 1022);
        bk::TextFormat(logLine, sizeof logLine, "OnError err(%s)", text);
    }
    char airInfo[101] = {};   // one spare byte: the player may fill all 100
    int hasAirInfo = player_->GetStationAirInfo(airInfo);
    airInfo[100] = 0;
    if (strcmp(airInfo, "0") != 0) {
        char notice[kMessageSize];
        LoadMessage(kMsgNotAlwaysOnAir, notice, sizeof notice);
        bk::TextAppend(message, notice);
        if (hasAirInfo == 0) Status(nullptr, 68);
    }
    Status(message, 6);
    Log(logLine, 7);
}

void cSendRunTimeInfo::SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
    streamValue_ = c ? c : b;
    lastPercent_ = static_cast<long>(d);
    if (Remote()) {
        if (!watchWindow_) return;
        bk::StatusRunInfoRecord rec = {static_cast<uint32_t>(processId_), static_cast<uint32_t>(a),
                                       static_cast<uint32_t>(b), static_cast<uint32_t>(c), static_cast<uint32_t>(d)};
        if (Send(bk::kStatusRunInfo, &rec, sizeof rec) == bk::kStatusNotWanted) watchWindow_ = nullptr;
        return;
    }
    if (firstRun_ && a != 0) {
        Log("Listening start...", 9);
        if (bk::ListenTimerSlots* timer = player_->GetListenTimer()) timer->OnFirstData();
        firstRun_ = 0;
        if (!bufferingStarted_) {
            player_->OnBufferingStart();
            bufferingStarted_ = 1;
        }
    }
    player_->SetMyStreamRunInfo(a, b, c, d);
    InterlockedExchange(&ticks_, 0);
    StartWatchdog();
}

void cSendRunTimeInfo::SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime,
                                       char* title, char* author) {
    if (Remote()) {
        if (!watchWindow_) return;
        bk::StatusStreamInfoRecord rec = {};
        rec.processId = static_cast<uint32_t>(processId_);
        rec.track = static_cast<uint32_t>(track);
        rec.maxTrack = static_cast<uint32_t>(maxTrack);
        rec.maxPlaytime = static_cast<uint32_t>(maxPlaytime);
        bk::TextCopy(rec.title, title);
        bk::TextCopy(rec.author, author);
        Send(bk::kStatusStreamInfo, &rec, sizeof rec);
        return;
    }
    LogF(7, "SetMyStreamInfo Track(%lu) MaxTrack(%lu) MaxPlaytime(%lu)", track, maxTrack, maxPlaytime);
    player_->SetMyStreamInfo(track, maxTrack, maxPlaytime, title, author);
}

// ------------------------------------------------------------ watchdog
void cSendRunTimeInfo::StartWatchdog() {
    // One watchdog at most: the running flag is taken before the thread
    // exists, so two reports in a row cannot start two.
    if (Remote() || !player_->GetSettings()) return;
    if (InterlockedCompareExchange(&running_, 1, 0) != 0) return;
    InterlockedExchange(&stop_, 0);
    if (watchdogThread_) CloseHandle(watchdogThread_);   // the previous one has ended
    DWORD id = 0;
    watchdogThread_ = CreateThread(nullptr, 0, WatchdogMain, this, 0, &id);
    if (!watchdogThread_) {
        InterlockedExchange(&running_, 0);
        return;
    }
    watchdogThreadId_ = id;
}

DWORD WINAPI cSendRunTimeInfo::WatchdogMain(LPVOID self) {
    static_cast<cSendRunTimeInfo*>(self)->RunWatchdog();
    return 0;
}

void cSendRunTimeInfo::RunWatchdog() {
    EnterCriticalSection(&watchdogLock_);
    watchdogThreadId_ = GetCurrentThreadId();
    OutputDebugStringA("WATCHDOG-starting\n");
    InterlockedExchange(&ticks_, 0);
    unsigned char noted = playState_;
    int seconds = player_->GetTimeout();
    if (seconds <= 0) seconds = kDefaultTimeoutSeconds;   // never "end every play at once"
    long limit = seconds > 0x7FFFFFFF / kTicksPerSecond ? 0x7FFFFFFF : seconds * kTicksPerSecond;
    while (InterlockedCompareExchange(&stop_, 0, 0) == 0 && InterlockedCompareExchange(&ticks_, 0, 0) < limit &&
           player_->GetStatus() != 2) {
        if ((InterlockedCompareExchange(&ticks_, 0, 0) & 1) && noted != 1) Status("", 14);
        InterlockedIncrement(&ticks_);
        noted = playState_;
        Sleep(250);
    }
    if (InterlockedCompareExchange(&ticks_, 0, 0) >= limit && InterlockedCompareExchange(&stop_, 0, 0) == 0) {
        char text[kMessageSize];
        LoadMessage(kMsgTimeout, text, sizeof text);
        OnError(text);
        player_->Stop(3);
        SetPlaystate(1);
    }
    watchdogThreadId_ = 0;
    InterlockedExchange(&running_, 0);
    OutputDebugStringA("WATCHDOG-terminating\n");
    LeaveCriticalSection(&watchdogLock_);
}
