// The player object: the one cRadioPlayer of tunerdeck. It holds the
// settings, binds the skin engine and runs its user interface (Start), and
// relays every status of the playback side to the skin.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

#include "banners.h"
#include "control_activex.h"
#include "host_client_net.h"
#include "info_callback.h"
#include "pipe_host.h"
#include "play_rules.h"
#include "playerstatus.h"
#include "settings.h"
#include "settings_doc.h"
#include "skin_binding.h"
#include "win_handles.h"

class CPipe;
class cDownloadManager;
class cUserDataStore;
class cPlayerActions;

namespace td {
class cRecordingControl;
class cServerJobs;
struct SkinListApi;
}  // namespace td

// The listening timer of the player, started again for every play.
class cPlayerListenTimer : public cListenTimer {
public:
    void Begin();
    // The interface server's clock (seconds of the epoch): the periods are
    // reported in its time from then on.
    void SetServerTime(uint32_t serverNow);

private:
    volatile int32_t offset_ = 0;
};

class cRadioPlayer : public cRadioPlayerInfo, private cControlOwner {
public:
    // Passes of the bounded waits (30 ms each) at destruction.
    static constexpr int kEndPasses = 200;
    // Job bits of the background work.
    static constexpr long kJobDatabase = 2, kJobTopStations = 4, kJobReports = 8, kJobStartCheck = 0x40;
    // Queued listening reports: more start an upload; at most kMaxReports are kept.
    static constexpr size_t kReportBatch = 4;
    static constexpr size_t kMaxReports = 500;
    // How long a play waits for the playback-host client to come up.
    static constexpr DWORD kClientReadyMs = 20000;
    static constexpr DWORD kPumpStepMs = 30;
    // A stream that ran at least this long was up: its end is no failed try.
    static constexpr int32_t kSteadyRunSeconds = 10;
    // How long the end of Start gives the start-up check at least (an
    // accepted update may be fetching its installer: longer while it does).
    static constexpr DWORD kStartCheckEndMs = 120000;
    // How long a job started before the interface waits for it.
    static constexpr DWORD kUiWaitMs = 20000;
    // How long a list with station details waits for the engine probes.
    static constexpr DWORD kEngineWaitMs = 10000;

    explicit cRadioPlayer(int errorFlag);
    ~cRadioPlayer() override;
    // Ends the player's threads (bounded), saves the report queue and frees
    // the skin library. False when a thread still runs: the object must then
    // not be deleted, as that thread will still write to it; the process end
    // reclaims it. The destructor calls it when nobody did.
    bool Shutdown();
    cRadioPlayer(const cRadioPlayer&) = delete;
    cRadioPlayer& operator=(const cRadioPlayer&) = delete;
    // How long the end of the user interface waits for callback workers (a
    // list push may wait for the station database to finish loading).
    static constexpr DWORD kCallbackWorkersMs = 30000;

    // ---- status interface
    void SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime, char* title,
                         char* author) override;
    void SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) override;
    int SendStatus(char* text, int code) override;
    void ExtLog(char* text, int level) override;
    void Stop(int byUser) override;
    unsigned long GetStatus() override { return static_cast<unsigned long>(state_); }
    void SetActiveXStatus(unsigned long playState) override {
        enginePlayState_ = static_cast<int>(playState);
        if (playState == 4) InterlockedExchange(&playedSincePlay_, 1);
    }
    cListenTimer* GetListenTimer() override { return &listenTimer_; }
    void OnFinishedPlaying(int hasError) override;
    void SetExtraValue(int value) override { extraValue_ = value; }
    cSettingsInterface* GetSettings() override { return &settings_; }
    int GetStationAirInfo(char* buffer100) override;
    void OnBufferingStart() override;
    int GetTimeout() override { return settings_.GetTimeout(); }
    int GetLanguage() override { return settings_.GetLanguage(); }

    // ---- start and the skin engine
    // Runs the user interface until it ends for good: 1 when the skin
    // library could not be bound at the first attempt, else 0.
    int Start(int startArg);
    // The callback handed to the skin engine (the user-action entry,
    // td::InfoCallback unless a caller sets another).
    void SetEventCallback(HostEventCallback callback) { callback_ = callback; }
    // What the user-action callback reaches while Start runs.
    td::cCallbackTarget* CallbackTarget();
    // The recording pipe made at Start (null before and when none could be made).
    CPipe* Pipe() { return pipe_.get(); }
    // A pipe to use in place of the one Start would make (taken over; tests
    // hand a double made for PipeHost()).
    void UsePipe(CPipe* pipe);
    cPipeHost* PipeHost() { return &pipeHost_; }
    td::cRecordingControl* Recording() { return recording_.get(); }
    td::cServerJobs* Jobs() { return jobs_.get(); }
    // The interface server's texts the start-up check took over, 0..3.
    std::string ServerText(int n);
    std::string SkinStationList();
    void SetDownloadManager(cDownloadManager* downloads) { downloads_ = downloads; }
    void RequestSkinRestart() { restart_ = 1; }
    // Downloads the skin the server names for key and installs it in the
    // program's skins folder: 1 when it was installed (SKIN then names it).
    int DownloadSkin(const char* key, unsigned long size);
    // Where facetkit.dll is loaded from; empty (the default): the program folder.
    void SetSkinLibraryFolder(const char* folder) { skinLibraryFolder_ = folder ? folder : ""; }
    int IsUiUp() const { return uiUp_; }
    // Calls a bound entry point of the skin engine while its interface is
    // up, under the skin-call lock; nothing when it is not bound or down.
    template <typename F, typename... A>
    void CallSkin(td::SkinEntry e, A... args) {
        if (!skin_.Ready() || !uiUp_ || !skin_.Has(e)) return;
        bk::ScopedLock lock(skinCallLock_);
        if (skin_.Ready() && uiUp_) skin_.Get<F>(e)(args...);
    }
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

    // ---- playing
    // The stream of a channel to play (see ChooseStream); a user station's
    // id comes back unchanged. chosen receives the stream's address when given.
    // The rules of the stream choice with the engines and the user's settings.
    td::StreamChoiceRules StreamRules(int mode, int attempt, bool chosenWanted);
    uint32_t SelectStreamFromChannel(uint32_t channelId, int* found, int mode, int attempt, std::string* chosen);
    // Whether the user wants the skin a web page's link names.
    bool AskBeforeLinkedSkin(const char* key);
    // Tells the user that a downloaded program or skin was refused (its
    // size or signature) and deleted.
    void TellRefusedDownload();
    // Tells the user that an accepted program update could not be fetched.
    void TellFailedUpdate();
    // A custom address or an own station: the type falls back to an engine
    // that is there; false (the play ended with the install hint) when none.
    bool EngineForOwnAddress(unsigned long caps, int language);
    void Play(uint32_t streamId);
    void PlayAddress(int type, const char* address);
    void PlayLocalFile(int type, const char* path);
    void Pause();
    int GetPlayingStreamId() const { return playingStreamId_; }
    int GetCurrentChannelId() const { return static_cast<int>(currentChannelId_); }
    int GetStreamType() const { return streamType_; }
    int GetEnginePlayState() const { return enginePlayState_; }
    int GetAttempt() const { return attempt_; }
    LONG RetryWorkers() const { return workers_; }
    std::string GetCurrentAddress();
    std::string GetDisplayText();
    unsigned long GetCapabilities() const { return client_ ? client_->GetCapabilities() : 0; }
    cControlActiveX* Client() { return client_; }
    cUserDataStore* Store() { return store_.get(); }
    // Details of a station (database channel or own station); empty when unknown.
    std::string StationDetails(uint32_t channelId);
    void PlayTrack(int entry);
    void SetTrackPosition(int position);
    void CheckConnection();
    void SetLocalFile(int flag) { localFile_ = flag; }
    // Plays an address prepared by the caller ("FILE://" for a local file).
    void PlayPrepared(int type, const char* address, int localFile);
    // Pushes every list to the skin engine.
    void PushAllLists();
    // Waits until both engine probes have answered (bounded, and not past the end).
    void WaitForEngineProbes(DWORD maxMs);

    // ---- banners
    // Kind 0 drives the main banner (action 1 start, 2 stop, 3 refresh, 4
    // reload; all but the stop only with VelmoAddy 1), any other kind the
    // second banner (1 start, taking the kind when allowed; 2 stop).
    void SetBanner(int action, int kind);
    // 1 while the main banner has its browser control; otherwise status 15
    // goes to the skin (it may close) and its answer comes back.
    int IsBannerRunning();
    // Banner threads still running (each ends when the player ends).
    LONG BannerThreads() const { return bannerThreads_; }

    // ---- background jobs
    // The start-up check and the top-station update, each on a thread of
    // its own under its job bit; false when it runs already.
    bool StartStartupCheck();
    bool StartTopStationUpdate();
    // Whether the top stations are due: the day of "TopSenderDate" (YYYYMMDD,
    // 2000-01-01 when missing or unreadable) ended more than 7 days before `now`.
    static bool TopStationsDue(const char* date, const SYSTEMTIME& now);

    // ---- listening reports
    void SendListenReports();
    void RequeueReport(const ListenRecord& record);
    // The upload thread's end: a batch the server did not take goes back to
    // the front of the queue.
    void FinishUpload(bool sent);
    bool ThreadsRunning() const;
    // Writes the settings with the queued reports; unless `always`, only when
    // the queue changed since the last write.
    void SaveListenReports(bool always = false);
    size_t PendingReports();
    // The interface server that reports and skin downloads go to ("host[:port]"), for every player
    // made afterwards too; empty: the built-in one.
    static void SetInterfaceServer(const char* host);

private:
    // cControlOwner
    cRadioPlayerInfo* StatusPlayer() override { return this; }
    void SetRunState(unsigned long state) override;
    void OnProbeAnswered(int which) override;
    void OnStreamStarted() override {}
    int CurrentGenreId() override { return lastGenre_; }
    void OnVolumeMessage() override {}

    class cPlayerPipeHost : public cPipeHost {
    public:
        explicit cPlayerPipeHost(cRadioPlayer* player) : p_(player) {}
        void SendStatus(char* text, int code) override;
        void SetPeakLevel(int left, int right) override;
        void SetRecTime(int freeSeconds, int totalFileBytes, int recordedSeconds, int recordState) override;
        void DebugLog(const char* text, int level) override { p_->DebugLog(text, level); }
        void ShowMessage(const char* text, const char* title) override;
        int GetRecBitsPerSample() override;
        int GetRecSampleRate() override;
        int GetRecChannels() override;
        int MakeRecordFileName(const char* current, int counter, char* out, size_t outSize, RecordJob* job) override;
        void GetRecordingDir(char* buffer, size_t size) override;
        int GetRecordSkipSilents() override { return p_->settings_.GetRecordSkipSilents(); }
        int GetAdjustRecordVol() override { return p_->settings_.GetAdjustRecordVol(); }
        int GetLanguage() override { return p_->settings_.GetLanguage(); }
        int GetRecordingDevice() override { return p_->settings_.GetRecordingDevice(); }
        int GetRecordingSource() override { return p_->settings_.GetRecordingSource(); }
        void GetQualityMuster(char* buffer, size_t size) override;
        void SetRecordingSource(int index) override { p_->settings_.SetRecordingSource(index); }
        void SetRecordingDevice(int index) override { p_->settings_.SetRecordingDevice(index); }
        void GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch) override;
        void SetRecQualitySettings(const char* name, int sps, int bps, int nch) override;
        void GetMessageText(unsigned id, int language, char* buffer, size_t size) override;
        void SendVolumeStatus() override;
        void PostVolumeChange(int volume) override;

    private:
        cRadioPlayer* p_;
    };
    friend class cPlayerPipeHost;
    friend class cPlayerActions;

    static void ClientThread(void* self);
    // What the banner objects ask of the player: state, texts and sizes
    // from the settings and the kept information offer, the skin's records.
    class cPlayerBannerHost : public IBannerPlayer {
    public:
        explicit cPlayerBannerHost(cRadioPlayer* player) : p_(player) {}
        int GetStatus() override { return p_->state_; }
        bool GetBannerRecord(int32_t kind, BannerRecord* record) override;
        int32_t GetLanguage() override { return p_->settings_.GetLanguage(); }
        std::string GetText(const char* name) override;
        int32_t GetNumber(const char* name) override;
        int32_t GetGenreId() override { return p_->lastGenre_; }
        uint32_t GetSkinId() override { return static_cast<uint32_t>(p_->skinId_); }
        void WriteDebugLog(const char* text, int level) override { p_->DebugLog(text, level); }

    private:
        cRadioPlayer* p_;
    };
    friend class cPlayerBannerHost;
    struct BannerThreadStart {
        cRadioPlayer* player;
        int32_t kind;
    };
    static void BannerThread(void* start);
    bool StartJob(long bit, void (*thread)(void*));
    // Waits until the interface is up (false when it did not come or the player ends).
    bool WaitForUi(DWORD maxMs);
    static void StartupCheckThread(void* self);
    static void TopStationThread(void* self);
    void StartupCheck();
    void CreatePipe();
    void EndCallbacks();
    td::SkinListApi ListApi();
    static void UploadThread(void* batch);
    void QueueReport(const ListenRecord& record, bool zeroLength);
    void LoadSavedReports();
    void FinishedPlay(const char* message);
    bool InitSkin();
    void ReadSkinId();
    void PumpMessages();

    cSettings settings_;
    cSettingsCredentials credentials_{&settings_};
    // Playlist resolution through the player's own proxy and its credentials.
    std::unique_ptr<cHostClientNet> net_ = MakeHostClientNet(&credentials_);
    cPlayerListenTimer listenTimer_;
    cPlayerPipeHost pipeHost_{this};
    std::unique_ptr<cUserDataStore> store_;
    cControlActiveX* volatile client_ = nullptr;
    volatile LONG clientThreadRunning_ = 0;
    std::deque<ListenRecord> reports_;
    std::string savedReports_;   // the queue as last written (under reportLock_)
    std::vector<ListenRecord> uploading_;   // the batch on its way to the server (under reportLock_)
    bool shutDown_ = false;
    bool reportsSaved_ = false;
    bk::ScopedHandle probeEvents_[2];
    td::cSkinBinding skin_;
    bk::CriticalSection skinCallLock_;
    bk::CriticalSection playLock_;
    bk::CriticalSection reportLock_;

    HostEventCallback callback_ = td::InfoCallback;
    cDownloadManager* downloads_ = nullptr;
    volatile int state_ = 1;
    volatile int uiUp_ = 0;
    volatile int restart_ = 0;
    volatile LONG jobFlags_ = 0;
    volatile int enginePlayState_ = 0;
    // The engine has played since the last play command: an end before that
    // is a stream that never ran, however long the host tried.
    volatile LONG playedSincePlay_ = 0;
    int stoppedByUser_ = 0;
    int attempt_ = 1;
    int failedRuns_ = 0;   // ends soon after their start, one after the other (retry pause)
    int extraValue_ = 1;
    int errorFlag_ = 0;
    int skinId_ = 0;
    volatile int playingStreamId_ = 0;
    uint32_t currentStreamId_ = 0, currentChannelId_ = 0;
    int streamType_ = 0;
    int customStreamType_ = 0;
    int localFile_ = 0;
    int lastGenre_ = 0;
    std::string addressBuffer_;
    std::string currentAddress_;
    std::string displayText_;
    static char interfaceServer_[256];
    std::string skinLibraryFolder_;
    std::unique_ptr<td::cRecordingControl> recording_;
    std::unique_ptr<td::cServerJobs> jobs_;
    std::unique_ptr<cPlayerActions> actions_;
    std::unique_ptr<CPipe> pipe_;
    bool callbackTargetSet_ = false;
    bk::CriticalSection textLock_;   // the server texts
    std::string serverTexts_[4];
    std::string skinStations_;
    volatile int offerKind_ = 0;
    volatile bool volumeRead_ = false;   // the wave-out volume triple holds a value read from the pipe   // the update offer on screen (2: a skin update)
    volatile LONG workers_ = 0;   // retry workers still running
    cPlayerBannerHost bannerHost_{this};
    // The two banner objects: set exactly while their threads run, and
    // used and cleared under bannerLock_.
    bk::CriticalSection bannerLock_;
    cBanner* banner_ = nullptr;
    cBanner* secondBanner_ = nullptr;
    volatile LONG bannerThreads_ = 0;
    char skinFolder_[MAX_PATH + 16] = {};
};
