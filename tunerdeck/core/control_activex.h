// The playback-host client: starts "playcradle.exe" once per played stream,
// commands it by thread messages and receives its status records on a
// hidden window of class "control_activex_class". It runs on a thread of its
// own (Init, then Run); every other thread asks it for work by signalling
// one of six events.
#pragma once

#include <windows.h>

#include <memory>

#include "host_client_net.h"
#include "playerstatus.h"

// Thread messages to the host's main thread, and its answer to our window.
enum HostMessage : UINT {
    UWM_SET_BUFF_SIZE = WM_USER + 125,   // 1149
    UWM_CMD_PAUSE = 1150,
    UWM_CMD_STOP = 1151,
    UWM_CMD_TRACKPOS = 1152,
    UWM_CMD_PLAYTRACK = 1153,
    UWM_CMD_PLAY = 1154,
    UWM_PLAYER_REPLY = WM_USER + 131,    // 1155
    UWM_SET_VOLUME = 1200,
};
enum HostReply : WPARAM { kReplyRealVersion = 10, kReplyMediaLevel = 11, kReplyConnection = 12 };
enum HostCapability : unsigned long {
    kCapRealPlayer = 1,
    kCapMediaPlayer = 2,
    kCapNewEngine = 4,
    kCapNewMediaPlayer = 8,
};
enum StreamType { kStreamReal = 1, kStreamWindowsMedia = 2, kStreamMp3 = 3 };

constexpr const char* kHostProgram = "playcradle.exe";
constexpr const char* kAsxFileName = "wmptmp00.asx";

// What the client needs of the player object beyond its status interface.
class cControlOwner {
public:
    // The status target: its SendStatus, GetStatus (2 = ending) and GetSettings.
    virtual cRadioPlayerInfo* StatusPlayer() = 0;
    virtual void SetRunState(unsigned long state) = 0;
    // A probe answered (kReplyRealVersion or kReplyMediaLevel), or all
    // probes ended (0): waiters on the probe results may go on.
    virtual void OnProbeAnswered(int which) = 0;
    virtual void OnStreamStarted() = 0;
    // The first genre id of the station being played (offline demo sounds).
    virtual int CurrentGenreId() = 0;
    virtual void OnVolumeMessage() = 0;

protected:
    ~cControlOwner() = default;
};

class cControlActiveX {
public:
    // Milliseconds: a host's start-up wait, the wait for a probe to end, the
    // time a stopped host gets before it is ended (with exit code 100).
    static constexpr DWORD kIdleWaitMs = 3000;
    static constexpr DWORD kProbeExitMs = 15000;
    static constexpr int kStopPolls = 40;
    static constexpr DWORD kStopPollMs = 100;
    static constexpr unsigned kAddressSize = 1024;
    static constexpr unsigned long kPlaylistLimit = 20000;

    explicit cControlActiveX(cControlOwner* owner, cHostClientNet* net = nullptr);
    ~cControlActiveX();
    cControlActiveX(const cControlActiveX&) = delete;
    cControlActiveX& operator=(const cControlActiveX&) = delete;

    void Init();
    void Run();

    // Requests from any thread.
    void PlayUrl(const char* address, int type);
    void TogglePause();
    void SetTrackPosition(unsigned long position);
    void PlayTrack(unsigned long entry);
    void CheckConnection();
    void RequestStop();
    void PostVolumeChange(int volume);

    unsigned long GetCapabilities() const { return static_cast<unsigned long>(capabilities_); }
    int GetConnectionResult() const { return connectionResult_; }
    int IsInitialised() const { return initialised_; }
    DWORD HostProcessId() const { return hostPid_; }
    int EngineInUse() const { return engine_; }
    unsigned char GetPlaystate() const { return relay_->GetPlaystate(); }
    HWND Window() const { return window_; }
    // Stopped hosts still being watched.
    static long PendingWatchers();

    // Writes the ASX for a playlist address into folder (trailing backslash)
    // and puts "file://" + its path into *address; false leaves it alone.
    bool ResolvePlaylist(char* address, size_t addressSize, const char* folder);

private:
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    enum Event { kPlay, kStop, kPause, kTrackPos, kPlayTrack, kCheck, kEvents };

    void Pump();
    int Status(const char* text, int code);
    void Log(int level, const char* text);
    bool StartProcess(const char* switches, PROCESS_INFORMATION* pi);
    void NoteStarted(DWORD pid);
    bool KnownSender(DWORD pid) const;
    // Until the process is idle (or, with its main thread given, has a
    // queue), at most ms; also ends once giveWay (an event) is set.
    DWORD WaitIdle(HANDLE process, DWORD threadId, DWORD ms, HANDLE giveWay = nullptr);
    void PostToHost(DWORD threadId, UINT msg, WPARAM w, LPARAM l);
    void ProbeEngines();
    DWORD StartHost(const char* switches);
    void WatchHostExit(HANDLE process);
    void OnPlay();
    void OnPause();
    void OnStop();
    void OnSetTrackPos();
    void OnPlayTrack();
    void OnCheckConnection();
    LRESULT OnCopyData(WPARAM kind, const COPYDATASTRUCT* cds);
    LRESULT OnReply(WPARAM kind, LPARAM value);

    cControlOwner* owner_;
    cRadioPlayerInfo* player_;
    cHostClientNet* net_;
    std::unique_ptr<cSendRunTimeInfo> relay_;
    HANDLE events_[kEvents] = {};
    HWND window_ = nullptr;
    HANDLE hostProcess_ = nullptr;
    volatile DWORD hostPid_ = 0;
    volatile DWORD hostThreadId_ = 0;
    volatile LONG capabilities_ = 0;
    volatile int initialised_ = 0;
    volatile int connectionResult_ = 0;
    volatile int engine_ = 0;
    int offline_ = 0;
    volatile LONG probing_ = 0;
    DWORD delay_ = 0;
    DWORD started_[4] = {};   // recent probe and check processes, whose log lines are taken
    unsigned startedNext_ = 0;

    CRITICAL_SECTION commandLock_;   // the play address and the command value travel together
    char address_[kAddressSize] = {};
    long command_ = 0;
};
