// The player-status interface and its reporter. A playback engine reports
// what happens to its stream through one cSendRunTimeInfo: in the main
// program straight to the player object (in-process mode), in the playback
// host as WM_COPYDATA status records to the main program's status window
// (remote mode; layouts in statusrecords.h).
#pragma once

#include <windows.h>

#include "basekit_api.h"
#include "listen_timer.h"

class cSettingsInterface;   // the host interface of the player core


class BASEKIT_API cRadioPlayerInfo {
public:
    // All zero and null: there is no stream information.
    virtual void SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime, char* title,
                                 char* author);
    virtual void SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d);
    virtual int SendStatus(char* text, int code);
    virtual ~cRadioPlayerInfo();
    virtual void ExtLog(char* text, int level);
    virtual void Stop(int reason);
    virtual unsigned long GetStatus();   // 2: the player is ending
    virtual void SetActiveXStatus(unsigned long playState);
    virtual bk::ListenTimerSlots* GetListenTimer() = 0;
    virtual void OnFinishedPlaying(int hasError) = 0;
    virtual void SetExtraValue(int value) = 0;
    virtual cSettingsInterface* GetSettings() = 0;
    virtual int GetStationAirInfo(char* buffer100) = 0;
    virtual void OnBufferingStart() = 0;
    // The two settings the reporter reads (the host interface belongs to the
    // player core, so basekit asks the player, which forwards them):
    // GetSettings()->GetTimeout() in seconds and GetSettings()->GetLanguage().
    virtual int GetTimeout() = 0;
    virtual int GetLanguage() = 0;
};

class BASEKIT_API cSendRunTimeInfo {
public:
    // A null player makes a remote reporter.
    explicit cSendRunTimeInfo(cRadioPlayerInfo* player);
    virtual void SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime, char* title,
                                 char* author);
    virtual void SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d);
    virtual ~cSendRunTimeInfo();
    cSendRunTimeInfo(const cSendRunTimeInfo&) = delete;
    cSendRunTimeInfo& operator=(const cSendRunTimeInfo&) = delete;

    void Reset(int noTrackText);
    void ResetWatchWindow();
    HWND GetWatchWindow() const { return watchWindow_; }
    unsigned char GetPlaystate() const { return playState_; }

    void Log(const char* text, int level);
    void SetPlaystate(unsigned char state);
    void OnBuffering(unsigned long percent);
    void ResetBuffer();
    void OnError(const char* text);
    void OnPlayState(unsigned long state);
    void OnOpenState(unsigned long state);

    // Milliseconds a remote report may wait for the status window.
    static constexpr UINT kSendTimeoutMs = 2000;
    static constexpr int kDefaultTimeoutSeconds = 60;

private:
    static DWORD WINAPI WatchdogMain(LPVOID self);
    void RunWatchdog();
    void StartWatchdog();
    void WaitForWatchdog();
    void LogF(int level, const char* fmt, ...);
    LRESULT Send(unsigned kind, const void* record, size_t size);
    void SendValue(unsigned kind, unsigned long value);
    void SendText(unsigned kind, const char* text, int level);
    void Status(const char* text, int code);
    void StatusMessage(unsigned id, int code);
    void LoadMessage(unsigned id, char* buffer, size_t size);
    bool Remote() const { return player_ == nullptr; }

    volatile unsigned char playState_ = 1;
    char errorText_[256] = {};
    int errorFlag_ = 0;
    int bufferingStarted_ = 0;
    HWND volatile watchWindow_ = nullptr;
    volatile unsigned long streamValue_ = 0;
    int firstRun_ = 1;
    volatile long lastPercent_ = -1;
    unsigned long processId_;
    CRITICAL_SECTION watchdogLock_;
    volatile LONG stop_ = 0;
    volatile LONG ticks_ = 0;
    volatile LONG running_ = 0;
    HANDLE watchdogThread_ = nullptr;
    volatile DWORD watchdogThreadId_ = 0;
    cRadioPlayerInfo* player_;
};
