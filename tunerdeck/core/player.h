// The player object: the one cRadioPlayer of tunerdeck. It holds the
// settings, binds the skin engine and runs its user interface (Start), and
// relays every status of the playback side to the skin.
#pragma once

#include <windows.h>

#include "playerstatus.h"
#include "settings.h"
#include "settings_doc.h"
#include "skin_binding.h"
#include "win_handles.h"

class cDownloadManager;

class cRadioPlayer : public cRadioPlayerInfo {
public:
    // Passes of the bounded waits (30 ms each) at destruction.
    static constexpr int kEndPasses = 200;
    static constexpr DWORD kPumpStepMs = 30;

    explicit cRadioPlayer(int errorFlag);
    ~cRadioPlayer() override;
    cRadioPlayer(const cRadioPlayer&) = delete;
    cRadioPlayer& operator=(const cRadioPlayer&) = delete;

    // ---- status interface
    void SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime, char* title,
                         char* author) override;
    void SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) override;
    int SendStatus(char* text, int code) override;
    void ExtLog(char* text, int level) override;
    void Stop(int byUser) override;
    unsigned long GetStatus() override { return static_cast<unsigned long>(state_); }
    void SetActiveXStatus(unsigned long playState) override { enginePlayState_ = static_cast<int>(playState); }
    cListenTimer* GetListenTimer() override { return &listenTimer_; }
    void OnFinishedPlaying(int hasError) override;
    void SetExtraValue(int value) override { extraValue_ = value; }
    cSettingsInterface* GetSettings() override { return &settings_; }
    int GetStationAirInfo(char* buffer100) override;
    void OnBufferingStart() override {}
    int GetTimeout() override { return settings_.GetTimeout(); }
    int GetLanguage() override { return settings_.GetLanguage(); }

    // ---- start and the skin engine
    // Runs the user interface until it ends for good: 1 when the skin
    // library could not be bound at the first attempt, else 0.
    int Start(int startArg);
    // The callback handed to the skin engine (the user-action entry).
    void SetEventCallback(HostEventCallback callback) { callback_ = callback; }
    void SetDownloadManager(cDownloadManager* downloads) { downloads_ = downloads; }
    void RequestSkinRestart() { restart_ = 1; }
    int IsUiUp() const { return uiUp_; }
    int GetSkinId() const { return skinId_; }
    td::cSkinBinding& Skin() { return skin_; }

    void DebugLog(const char* text, int level);
    // Sleeps in 50 ms steps while any of the job bits is set, at most
    // maxMs (and not past the end of the player).
    void WaitForJobs(long bits, DWORD maxMs = 30000);
    long JobFlags() const { return jobFlags_; }
    // Sets a job bit unless it is set already: false when it was.
    bool TrySetJob(long bit);
    void ClearJob(long bit);

    cSettings& Settings() { return settings_; }

private:
    bool InitSkin();
    void ReadSkinId();
    void PumpMessages();

    cSettings settings_;
    cListenTimer listenTimer_;
    td::cSkinBinding skin_;
    bk::CriticalSection skinCallLock_;
    bk::CriticalSection playLock_;
    bk::CriticalSection reportLock_;

    HostEventCallback callback_ = nullptr;
    cDownloadManager* downloads_ = nullptr;
    volatile int state_ = 1;
    volatile int uiUp_ = 0;
    volatile int restart_ = 0;
    volatile LONG jobFlags_ = 0;
    int enginePlayState_ = 0;
    int stoppedByUser_ = 0;
    int attempt_ = 1;
    int extraValue_ = 1;
    int errorFlag_ = 0;
    int skinId_ = 0;
    char skinFolder_[MAX_PATH + 16] = {};
};
