// The Media Player 7+ engine: a hidden window of the calling thread that
// hosts the control in a container child, turns the control's events into
// status reports, polls run information and buffering on timers and the
// stream's title every 10 seconds on a short-lived worker thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <memory>

#include "wmp_control.h"

class cSendRunTimeInfo;
class CWMPEventDispatch;

// The control's states in the numbering the status reporter uses (that of
// the Media Player 6.4 control); -1 where nothing is reported.
int MapPlayState(long controlState);
int MapOpenState(long controlState);

// A log line "<prefix> <text>" to the debug-text sender.
void PrefixedLogV(const char* prefix, int level, const char* fmt, va_list args);

class CWMPHost {
public:
    // Timer ids.
    enum : UINT_PTR { kRunInfoTimer = 1, kBufferingTimer = 2, kMetaTimer = 3 };
    // The poll worker hands its result back with this message (lParam: job).
    static constexpr UINT kMetaPollDone = WM_APP + 0x51;
    // A deferred new start of the control (see OnPlayStateChange).
    static constexpr UINT kRetryPlay = WM_APP + 0x52;

    using ControlFactory = std::unique_ptr<WmpControl> (*)(HWND container);
    // Tests put a double of the control in place of the real one.
    static void SetControlFactory(ControlFactory factory);

    CWMPHost();
    ~CWMPHost();
    CWMPHost(const CWMPHost&) = delete;
    CWMPHost& operator=(const CWMPHost&) = delete;

    // Creates the window (its creation hosts the control); null on failure.
    HWND Create(HWND parent, const char* caption, DWORD style);
    HWND Window() const { return hwnd_; }
    WmpControl* Player() const { return player_.get(); }

    void SetReporter(cSendRunTimeInfo* reporter) { reporter_ = reporter; }
    void SetCredentials(const char* user, const char* password);

    // Operations of the bridge.
    int Play(const char* address);
    void StartMetaPolling();
    void GetCurrentSrcURL(char* out, size_t size);
    void Continue();
    void Pause();
    void SetBufferSize(long ms);
    void SetCurrentPosition(unsigned long seconds);
    void SetCurrentEntry(unsigned long entry);
    void SetProxie(const char* host, long port);
    void Term();

    // Event handlers (the sink calls them; so do the tests).
    void OnOpenStateChange(long state);
    void OnPlayStateChange(long state);
    void OnBuffering(bool start);
    void OnError();
    void OnTimer(UINT_PTR id);

    // Test seams and views.
    void SetMetaInterval(UINT ms) { metaIntervalMs_ = ms; }
    bool MetaPolling() const { return metaPolling_; }
    int MetaRetries() const { return metaRetries_; }
    const char* MetaAddress() const { return metaUrl_; }
    bool TimerRunning(UINT_PTR id) const;
    bool PollBusy() const { return pollState_->busy.load() != 0; }
    long LastPlayState() const { return lastPlayState_; }
    long LastOpenState() const { return lastOpenState_; }

    void Log(int level, const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;

private:
    struct PollState {
        std::atomic<long> busy{0};
    };
    struct MetaJob;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI PollThread(LPVOID job);
    LRESULT OnCreate();
    void OnDestroy();
    void OnMetaPollDone(MetaJob* job);
    void StartTimer(UINT_PTR id, UINT ms);
    void StopTimer(UINT_PTR id);
    void RunInfoStep();
    void StartMetaPoll();
    // The control's states as far as it can tell them; its stub answers
    // (failure, or the undefined state 0) give the state the events said.
    long CurrentPlayState();
    long CurrentOpenState();
    void ReportError(const char* text);

    HWND hwnd_ = nullptr;
    HWND container_ = nullptr;
    std::unique_ptr<WmpControl> player_;
    CWMPEventDispatch* sink_ = nullptr;
    bool connected_ = false;
    cSendRunTimeInfo* reporter_ = nullptr;
    bool metaPolling_ = false;
    char title_[1024] = {};
    char user_[512] = {};
    char password_[512] = {};
    char metaUrl_[1024] = {};
    bool timers_[4] = {};
    int metaRetries_ = 0;
    UINT metaIntervalMs_ = 10000;
    long lastPlayState_ = 0;
    long lastOpenState_ = 0;
    long index_ = 0;
    long count_ = 0;
    double duration_ = 0;
    // An address was accepted and has not played yet: a fall back to the
    // undefined state then means the control gave up on it without an error.
    bool openPending_ = false;
    unsigned long errorReports_ = 0;
    std::shared_ptr<PollState> pollState_;
    unsigned long metaGeneration_ = 0;   // raised by Term: older polls' results are dropped
};
