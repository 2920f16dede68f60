#include "player.h"

#include <process.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "agent_control.h"
#include "app_start.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "core_actions.h"
#include "debug_log.h"
#include "debugtext.h"
#include "encoder_setup.h"
#include "list_push.h"
#include "pipe.h"
#include "player_globals.h"
#include "profiles.h"
#include "recording_control.h"
#include "registry.h"
#include "requests.h"
#include "server_jobs.h"
#include "shared_data.h"
#include "internet.h"
#include "user_data_store.h"

namespace {

constexpr unsigned kMessageSkinUnreadable = 15;
constexpr unsigned kMessageNotInDatabase = 10;
constexpr unsigned kMessageFormatUnknown = 11;
constexpr unsigned kMessageUnknownStation = 12;
constexpr unsigned kMessageNoEngine = 359;
constexpr const char* kFinished = "finished playing...";

// A text of the catalogue; the built-in one where the catalogue lacks it.
std::string Message(unsigned id, int language) {
    char text[1024] = {};
    GetResourceString(GetBasekitModule(), id, language, text, sizeof text);
    return text;
}

// Texts that go into the shared section's 1,024-byte slots.
std::string Slot(const std::string& text) { return text.size() > 1023 ? text.substr(0, 1023) : text; }

// Walks the station database's streams under the stream-list lock until
// visit answers false; *count receives the number of streams in the list.
template <typename Visit>
void ForEachStream(cUserDataStore* store, int* count, Visit visit) {
    cListe* streams = store->LockStreamList();
    if (streams) {
        if (count) *count = streams->GetAnzElement();
        if (cIterator* it = streams->GetIterator()) {
            it->First();
            while (cListElement* e = it->Next())
                if (!visit(static_cast<cStreamElement*>(e))) break;
            streams->FreeIterator(it);
        }
    }
    store->UnlockStreamList();
}

struct UploadBatch {
    cRadioPlayer* player;
    std::vector<ListenRecord> records;
};

struct RetryJob {
    cRadioPlayer* player;
    uint32_t streamId;
    int attempt;       // 0: a reconnect to the same stream
    uint32_t channelId;
    int failedRuns;    // short runs before this one, one after the other
};

using PfnAddToFavoriten = void (*)(const char*, int, int);
using PfnAddToTopTen = void (*)(const char*, int, const char*);
using PfnAddToPodcast = void (*)(const char*, int, int);
using PfnSearchResult = void (*)(const char*, int);
using PfnSetPeakLevel = void (*)(int, int);
using PfnSetRecTime = void (*)(int, int, int, int);

// The list functions the pushes call go through the player that runs the
// user interface, so that they stay valid when the skin library is loaded
// anew at another address.
cRadioPlayer* volatile g_uiPlayer = nullptr;

void ListClear(int kind) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<td::PfnClearList>(td::kClearList, kind);
}
void ListAdd(int kind, const char* text, int id, int parent) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<td::PfnAddToList>(td::kAddToList, kind, text, id, parent);
}
void ListFavorite(const char* text, int id, int folder) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<PfnAddToFavoriten>(td::kAddToFavoriten, text, id, folder);
}
void ListTop(const char* text, int id, const char* date) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<PfnAddToTopTen>(td::kAddToTopTen, text, id, date);
}
void ListPodcast(const char* address, int id, int subscribed) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<PfnAddToPodcast>(td::kAddToPodcast, address, id, subscribed);
}
void ListSearchResult(const char* text, int channelId) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<PfnSearchResult>(td::kSearchResult, text, channelId);
}
void ListUserStation(const char* text, int id) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<void (*)(const char*, int)>(td::kAddUserDefinedSender, text, id);
}
void ListTimer(cTimerEntry* entry) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<void (*)(cTimerEntry*)>(td::kAddToTimerEntrie, entry);
}
void ListSkinStation(const char* text, int id) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<void (*)(const char*, int)>(td::kAddToSkinDefinedSender, text, id);
}
void ListTip(const char* text, int id, const char* date) {
    if (cRadioPlayer* p = g_uiPlayer)
        p->CallSkin<void (*)(const char*, int, const char*)>(td::kAddToProgrammtipps, text, id, date);
}
void ListDetails(const char* line, int id, const char* name, const char* regions, int country, int type,
                 const char* genres, const char* languages, const char* streams) {
    using Fn = void (*)(const char*, int, const char*, const char*, int, int, const char*, const char*, const char*);
    if (cRadioPlayer* p = g_uiPlayer)
        p->CallSkin<Fn>(td::kGetDetails, line, id, name, regions, country, type, genres, languages, streams);
}
void ListLastPlayed(const char* text, int channelId) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<td::PfnGetLastPlayedSender>(td::kGetLastPlayedSender, text, channelId);
}
void ListShowInfo(int cx, int cy, const char* text) {
    if (cRadioPlayer* p = g_uiPlayer) p->CallSkin<void (*)(int, int, const char*)>(td::kShowInfo, cx, cy, text);
}
int ListStatus(char* text, int code) {
    cRadioPlayer* p = g_uiPlayer;
    return p ? p->SendStatus(text, code) : 0;
}

// Field n (0-based) of a details text.
std::string DetailsField(const std::string& details, int n) {
    size_t at = 0;
    for (int i = 0; i < n; ++i) {
        at = details.find('\x02', at);
        if (at == std::string::npos) return std::string();
        ++at;
    }
    size_t end = details.find('\x02', at);
    return details.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

void BrowserThread(void* arg) {
    std::unique_ptr<char[]> address(static_cast<char*>(arg));
    StartBrowser(address.get());
}

// A number of the start-up check's answer; `fallback` when it is empty or not a number.
int AnswerNumber(const std::string& text, int fallback) {
    if (text.empty()) return fallback;
    char* end = nullptr;
    long v = strtol(text.c_str(), &end, 10);
    return end && *end == 0 ? static_cast<int>(v) : fallback;
}

}  // namespace

// The user-action callback's target: the core's own actions over the data
// store and the recording pipe, and what needs the player itself.
class cPlayerActions : public td::cCoreActions {
public:
    explicit cPlayerActions(cRadioPlayer* p)
        : cCoreActions(&p->settings_, p->store_.get(), p->recording_.get(), p->ListApi()), p_(p) {
        SetDisplayTextSource([p] { return p->GetDisplayText(); });
        SetListsChanged([this] { Lister().PushFavorites(p_->settings_.GetLanguage()); });
        SetEnding([p] { return p->state_ == 2; });
        Lister().SetEngineWait([p] { p->WaitForEngineProbes(cRadioPlayer::kEngineWaitMs); });
        Lister().SetStreamRules([p] { return p->StreamRules(0, 1, true); });
    }

    void ChangeSkin(const char* skin) override {
        char current[201] = {};
        GetValue("SKIN", current, sizeof current);
        SetValue("LAST_SKIN", current);
        SetValue("SKIN", skin);
        p_->Stop(1);
        p_->SendStatus(nullptr, 21);
        p_->RequestSkinRestart();
    }
    void Banner(int action, int kind) override { p_->SetBanner(action, kind); }
    void SecondBanner(int action, int kind) override { p_->SetBanner(action, kind); }
    int BannerAnswer() override { return p_->IsBannerRunning(); }
    void DebugText(const char* text, int level) override { SendDebugText(text, level); }
    void CloseInstanceMarker() override { td::CloseInstanceMarker(); }
    int SendRecommendation(void* record) override {
        return p_->jobs_->SendRecommendation(static_cast<td::RecommendationRecord*>(record));
    }
    void RunProgram(const char* commandLine) override {
        char command[MAX_PATH + 64];
        bk::TextCopy(command, sizeof command, commandLine);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                           &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        } else {
            WriteDebugLogF(2, "cannot start %s: %lu", command, GetLastError());
        }
    }
    int UnpackEncoder(const char* archive) override { return UnpackEncoderLibrary(archive); }
    unsigned long Capabilities() override { return p_->GetCapabilities(); }
    void StoreProxy(const char* host, const char* port, int enabled) override {
        p_->settings_.SetProxyHost(host);
        p_->settings_.SetProxyPort(port);
        p_->settings_.SetProxyEnabled(enabled);
    }

    void CheckConnection() override { p_->CheckConnection(); }
    void ClearMetaAddresses() override {
        SetMETAURL("");
        SetVL_METAURL("");
    }
    void SetLocalFile(int flag) override { p_->SetLocalFile(flag); }
    void PlayChannel(int channelId) override;
    void PlayStream(int streamId) override { p_->Play(static_cast<uint32_t>(streamId)); }
    void PlayAddress(int type, const char* address) override { p_->PlayPrepared(type, address, 0); }
    void PlayLocalFile(int type, const char* address) override { p_->PlayPrepared(type, address, 1); }
    void Stop() override { p_->Stop(1); }
    void TogglePause() override { p_->Pause(); }
    int Language() override { return p_->settings_.GetLanguage(); }
    void OpenBrowser(const char* address) override {
        // The shell may take its time; the caller's thread goes on.
        char* copy = new char[4048]();
        bk::TextCopy(copy, 4048, address);
        if (_beginthread(BrowserThread, 0, copy) == static_cast<uintptr_t>(-1L)) delete[] copy;
    }
    void ShowHelp(const char* page) override { p_->jobs_->ShowHelp(page); }
    void PushAllLists() override { p_->PushAllLists(); }
    void SetRecTime() override {
        p_->CallSkin<PfnSetRecTime>(td::kSetRecTime, recording_->GetFreeRecordTime(), 0, 0, 0);
    }
    void PlayTrack(int track) override { p_->PlayTrack(track); }
    void SetTrackPosition(int position) override { p_->SetTrackPosition(position); }
    void DownloadSkin(const char* name, int size) override {
        p_->RequestSkinRestart();
        p_->DownloadSkin(name, static_cast<unsigned long>(size));
    }
    void UpdateDatabase() override {
        // One update at a time: a second one starts after the first has ended.
        DWORD start = GetTickCount();
        while (!p_->TrySetJob(cRadioPlayer::kJobDatabase)) {
            if (p_->state_ == 2 || GetTickCount() - start > 600000) return;
            Sleep(50);
        }
        p_->jobs_->UpdateDatabase();
        p_->ClearJob(cRadioPlayer::kJobDatabase);
    }
    void SendSkinData(const char* text) override { p_->jobs_->SendSkinData(text, p_->skinId_); }
    void ShutdownComputer() override { ::ShutdownComputer(); }
    void UpdateProgrammTips() override { p_->jobs_->UpdateProgrammTips(); }
    void ShowOfferedUpdate() override { p_->jobs_->ShowOfferedUpdate(); }
    void ShowDeadStreams() override { p_->jobs_->ShowDeadStreams(); }

private:
    cRadioPlayer* p_;
};

void cPlayerActions::PlayChannel(int channelId) {
    cUserDataStore* store = p_->store_.get();
    int before = 0, after = 0;
    ForEachStream(store, &before, [](cStreamElement*) { return false; });
    SendDebugText("Calling SelectStreamFromChannel...pr\xFC" "fe DB...", 7);
    if (!store->IsLoaded() && !store->IsLoading()) store->LoadStationDatabase();
    store->WaitForStationDatabase(30000);
    if (store->IsLoaded())
        SendDebugText("Calling SelectStreamFromChannel...DB geladen", 7);
    else
        SendDebugText("Calling DB nicht geladen!", 1);
    int found = 0;
    const uint32_t stream = p_->SelectStreamFromChannel(static_cast<uint32_t>(channelId), &found, 1, 1, nullptr);
    ForEachStream(store, &after, [](cStreamElement*) { return false; });
    char line[160];
    bk::TextFormat(line, sizeof line, "StID: %d - ChID: %d - cDB1: %d - cDB2: %d", static_cast<int>(stream), channelId,
                   before, after);
    SendDebugText(line, 7);
    bk::TextFormat(line, sizeof line, "%ld", static_cast<long>(channelId));
    SetValue("LastChannelId", line);
    p_->Play(stream);
}

char cRadioPlayer::interfaceServer_[256] = {};

void cPlayerListenTimer::Begin() { Restart(static_cast<uint32_t>(time(nullptr) + offset_)); }

void cPlayerListenTimer::SetServerTime(uint32_t serverNow) {
    offset_ = static_cast<int32_t>(serverNow - static_cast<uint32_t>(time(nullptr)));
}

cRadioPlayer::cRadioPlayer(int errorFlag) : errorFlag_(errorFlag) {
    DebugLog("Creating instanze", 7);
    settings_.Load();
    store_.reset(new cUserDataStore(true));
    recording_.reset(new td::cRecordingControl(&settings_, [this](char* text, int code) { SendStatus(text, code); }));
    jobs_.reset(new td::cServerJobs(&settings_, store_.get(), ListApi()));
    jobs_->SetPlayerState(&state_);
    jobs_->SetBrowser([](const char* address) { StartBrowser(address); });
    jobs_->SetMessageBox([this](const char* text, const char* title, UINT flags) {
        const int answer = MessageBoxA(nullptr, text, title, flags);
        // The skin loop must hold before the interface closes for a skin update.
        if (answer == IDYES && offerKind_ == 2) td::SetUpdateFlag(2);
        return answer;
    });
    actions_.reset(new cPlayerActions(this));
    state_ = 1;
    extraValue_ = 1;
    unsigned long genre = 0;
    GetValue("LastGenre", &genre);
    lastGenre_ = static_cast<int>(genre);
    LoadSavedReports();
    DebugLog("old useractions ok", 7);
    for (auto& e : probeEvents_) e.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    clientThreadRunning_ = 1;
    if (_beginthread(ClientThread, 0, this) == static_cast<uintptr_t>(-1L)) clientThreadRunning_ = 0;
    for (int32_t kind : {kBannerMain, kBannerSplash}) {
        auto* start = new BannerThreadStart{this, kind};
        InterlockedIncrement(&bannerThreads_);
        if (_beginthread(BannerThread, 0, start) == static_cast<uintptr_t>(-1L)) {
            InterlockedDecrement(&bannerThreads_);
            delete start;
        }
    }
    DebugLog("Creating instanze..ok", 7);
    localFile_ = 0;
}

cRadioPlayer::~cRadioPlayer() {
    if (!shutDown_ && !Shutdown()) {
        // Whatever still runs keeps what it uses; the process end reclaims it.
        actions_.release();
        jobs_.release();
        recording_.release();
        store_.release();
    }
}

bool cRadioPlayer::Shutdown() {
    if (shutDown_) return !ThreadsRunning();
    shutDown_ = true;
    state_ = 2;
    EndCallbacks();
    // Threads of the player end when they see state 2; give them a bounded time.
    for (int pass = 0; pass < kEndPasses && ThreadsRunning(); ++pass) {
        PumpMessages();
        state_ = 2;
    }
    if (pipe_) {
        pipe_->DetachSkin();
        recording_->SetPipe(nullptr);
        pipe_.reset();
    }
    SaveListenReports(true);
    {
        bk::ScopedLock lock(skinCallLock_);
        skin_.Free();
    }
    if (downloads_) downloads_->SetSettings(nullptr);
    if (g_uiPlayer == this) g_uiPlayer = nullptr;
    if (!ThreadsRunning()) return true;
    DebugLog("threads still running at the end", 1);
    return false;
}

bool cRadioPlayer::ThreadsRunning() const {
    return jobFlags_ != 0 || clientThreadRunning_ || workers_ || bannerThreads_ || td::RunningCallbackWorkers();
}

td::cCallbackTarget* cRadioPlayer::CallbackTarget() { return actions_.get(); }

td::SkinListApi cRadioPlayer::ListApi() {
    td::SkinListApi a;
    a.ClearList = ListClear;
    a.AddToList = ListAdd;
    a.AddToFavoriten = ListFavorite;
    a.AddToTopTen = ListTop;
    a.AddToPodcast = ListPodcast;
    a.SearchResult = ListSearchResult;
    a.ReceiveStatus = ListStatus;
    a.AddUserDefinedSender = ListUserStation;
    a.AddToTimerEntrie = ListTimer;
    a.AddToSkinDefinedSender = ListSkinStation;
    a.AddToProgrammtipps = ListTip;
    a.GetDetails = ListDetails;
    a.GetLastPlayedSender = ListLastPlayed;
    a.ShowInfo = ListShowInfo;
    a.uiUp = &uiUp_;
    return a;
}

void cRadioPlayer::EndCallbacks() {
    if (!callbackTargetSet_) return;
    td::SetCallbackTarget(nullptr);
    callbackTargetSet_ = false;
    if (!td::WaitForCallbackWorkers(kCallbackWorkersMs)) DebugLog("callback workers still running", 1);
}

void cRadioPlayer::ClientThread(void* arg) {
    auto* self = static_cast<cRadioPlayer*>(arg);
    auto* client = new cControlActiveX(static_cast<cControlOwner*>(self), self->net_.get());
    self->client_ = client;
    client->Init();
    client->Run();
    self->client_ = nullptr;
    // Requests of other threads may still be on their way into it.
    Sleep(100);
    delete client;
    InterlockedExchange(&self->clientThreadRunning_, 0);
}

void cRadioPlayer::BannerThread(void* arg) {
    std::unique_ptr<BannerThreadStart> start(static_cast<BannerThreadStart*>(arg));
    cRadioPlayer* self = start->player;
    {
        std::unique_ptr<cBanner> banner(new cBanner(&self->bannerHost_));
        banner->SetBannerType(start->kind);
        {
            bk::ScopedLock lock(self->bannerLock_);
            (start->kind == kBannerMain ? self->banner_ : self->secondBanner_) = banner.get();
        }
        banner->Run();
        bk::ScopedLock lock(self->bannerLock_);
        (start->kind == kBannerMain ? self->banner_ : self->secondBanner_) = nullptr;
    }
    InterlockedDecrement(&self->bannerThreads_);
}

void cRadioPlayer::SetBanner(int action, int kind) {
    const bool shown = settings_.GetVelmoAddy() == 1;
    bk::ScopedLock lock(bannerLock_);
    if (kind == kBannerMain) {
        if (!banner_) return;
        switch (action) {
            case 1: if (shown) banner_->TriggerStart(); break;
            case 2: banner_->TriggerStop(); break;
            case 3: if (shown) banner_->TriggerRefresh(); break;
            case 4: if (shown) banner_->TriggerReload(); break;
            default: break;
        }
        return;
    }
    if (!secondBanner_) return;
    if (action == 1) {
        // A refused kind starts the one taken before.
        if (shown || kind == kBannerPodcast || kind == kBannerInfo) secondBanner_->SetBannerType(kind);
        secondBanner_->TriggerStart();
    } else if (action == 2) {
        secondBanner_->TriggerStop();
    }
}

int cRadioPlayer::IsBannerRunning() {
    {
        bk::ScopedLock lock(bannerLock_);
        if (banner_ && banner_->HasBrowser()) return 1;
    }
    return SendStatus(nullptr, 15);
}

bool cRadioPlayer::cPlayerBannerHost::GetBannerRecord(int32_t kind, BannerRecord* record) {
    td::SkinEntry entry = td::kGetBannerInfo;
    if (kind == kBannerSplash || kind == kBannerPopup) entry = td::kGetSpezBannerInfo;
    else if (kind == kBannerPodcast) entry = td::kGetPodcastBannerInfo;
    else if (kind == kBannerInfo) entry = td::kGetInfoBannerInfo;
    using PfnBannerInfo = BannerRecord* (*)(BannerRecord*);
    td::cSkinBinding& skin = p_->skin_;
    if (!skin.Ready() || !skin.Has(entry)) return false;
    bk::ScopedLock lock(p_->skinCallLock_);
    // The library may have been released while this thread waited.
    if (!skin.Ready() || !skin.Has(entry)) return false;
    BannerRecord filled = {};
    skin.Get<PfnBannerInfo>(entry)(&filled);
    *record = filled;
    return true;
}

std::string cRadioPlayer::cPlayerBannerHost::GetText(const char* name) {
    cSettings& s = p_->settings_;
    if (!strcmp(name, "AdBannerUrl")) return s.GetAdBannerUrl();
    if (!strcmp(name, "AdBannerUrl_ENG")) return s.GetAdBannerUrl_ENG();
    if (!strcmp(name, "SplashURL")) return s.GetSplashURL();
    if (!strcmp(name, "SplashURL_ENG")) return s.GetSplashURL_ENG();
    if (!strcmp(name, "InfoURL")) {
        std::string text;
        int cx = 0, cy = 0;
        if (p_->jobs_) p_->jobs_->OfferedInfo(&text, &cx, &cy);
        return text;
    }
    // The pop-up banner's addresses ("PopupURL", "PopupURL_ENG") are kept
    // by no setting: that banner stays empty.
    return std::string();
}

int32_t cRadioPlayer::cPlayerBannerHost::GetNumber(const char* name) {
    cSettings& s = p_->settings_;
    if (!strcmp(name, "AdBannerCX")) return s.GetAdBannerCX();
    if (!strcmp(name, "AdBannerCY")) return s.GetAdBannerCY();
    if (!strcmp(name, "AdBannerCX_ENG")) return s.GetAdBannerCX_ENG();
    if (!strcmp(name, "AdBannerCY_ENG")) return s.GetAdBannerCY_ENG();
    if (!strcmp(name, "InfoCX") || !strcmp(name, "InfoCY")) {
        std::string text;
        int cx = 0, cy = 0;
        if (p_->jobs_) p_->jobs_->OfferedInfo(&text, &cx, &cy);
        return name[4] == 'X' ? cx : cy;
    }
    return 0;
}

void cRadioPlayer::SetRunState(unsigned long state) {
    if (state_ != 2) state_ = static_cast<int>(state);
}

void cRadioPlayer::OnProbeAnswered(int which) {
    if (which == kReplyRealVersion || which == 0) SetEvent(probeEvents_[0].Get());
    if (which == kReplyMediaLevel || which == 0) SetEvent(probeEvents_[1].Get());
}

void cRadioPlayer::DebugLog(const char* text, int level) {
    if (!text || !*text) return;
    char line[1024];
    bk::TextFormat(line, sizeof line, "CRADIOPLAYER %s", text);
    SendDebugText(line, level);
    WriteDebugLog(text, level);
}

void cRadioPlayer::ExtLog(char* text, int level) { DebugLog(text, level); }

void cRadioPlayer::PumpMessages() {
    Sleep(kPumpStepMs);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool cRadioPlayer::TrySetJob(long bit) {
    return (InterlockedOr(&jobFlags_, bit) & bit) == 0;
}

void cRadioPlayer::ClearJob(long bit) { InterlockedAnd(&jobFlags_, ~bit); }

void cRadioPlayer::WaitForJobs(long bits, DWORD maxMs) {
    DWORD start = GetTickCount();
    while ((jobFlags_ & bits) != 0 && GetTickCount() - start < maxMs) Sleep(50);
}

// ---------------------------------------------------------------- status relay

int cRadioPlayer::SendStatus(char* text, int code) {
    if (!skin_.Ready() || !uiUp_ || !skin_.Has(td::kReceiveStatus)) return 0;
    bk::ScopedLock lock(skinCallLock_);
    // The library may have been released while this thread waited.
    if (!skin_.Ready() || !uiUp_) return 0;
    return skin_.Get<td::PfnReceiveStatus>(td::kReceiveStatus)(text, code);
}

void cRadioPlayer::SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime,
                                   char* title, char* author) {
    if (!skin_.Ready() || !skin_.Has(td::kSetStreamInfo)) return;
    bk::ScopedLock lock(skinCallLock_);
    // The library may have been released while this thread waited.
    if (!skin_.Ready() || !skin_.Has(td::kSetStreamInfo)) return;
    char attemptText[256];
    if (maxTrack == 0 && attempt_ > 1 && title) {
        char format[200];
        GetResourceString(GetBasekitModule(), 16, settings_.GetLanguage(), format, sizeof format);
        bk::TextFormat(attemptText, sizeof attemptText, format, attempt_);
        title = attemptText;
    }
    skin_.Get<td::PfnSetStreamInfo>(td::kSetStreamInfo)(track, maxTrack, maxPlaytime, title, author);
}

void cRadioPlayer::SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
    if (!skin_.Ready() || !skin_.Has(td::kSetStreamRunInfo)) return;
    bk::ScopedLock lock(skinCallLock_);
    if (skin_.Ready() && skin_.Has(td::kSetStreamRunInfo))
        skin_.Get<td::PfnSetStreamRunInfo>(td::kSetStreamRunInfo)(a, b, c, d);
}

void cRadioPlayer::Stop(int byUser) {
    if (client_) client_->RequestStop();
    if (state_ != 2) state_ = 1;
    stoppedByUser_ = byUser == 1 ? 1 : 0;
}

int cRadioPlayer::GetStationAirInfo(char* buffer100) {
    if (buffer100) {
        // The station's own text (its air times) of the channel that plays;
        // "0" when the channel is not in the database or says nothing.
        std::string air;
        const uint32_t channelId = currentChannelId_;
        cListe* senders = store_->LockSenderList();
        cListe* channels = store_->LockChannelList();
        if (senders && channels && channelId && channelId < td::kFirstUserStationId)
            if (auto* ch = static_cast<cChannelElement*>(channels->GetById(channelId)))
                if (auto* se = static_cast<cSenderElement*>(senders->GetById(ch->SID))) air = se->GetR();
        store_->UnlockChannelList();
        store_->UnlockSenderList();
        bk::TextCopyN(buffer100, 100, air.empty() ? "0" : air.c_str(), 99);
    }
    int retries = settings_.GetRetryCount();
    return (retries != 0 && attempt_ >= retries) ? 0 : 1;
}

// ---------------------------------------------------------------- start

bool cRadioPlayer::InitSkin() {
    return skin_.Init(skinLibraryFolder_.empty() ? td::ProgramFolder() : skinLibraryFolder_.c_str());
}

void cRadioPlayer::ReadSkinId() {
    DebugLog("Call GetPlayerSkinVersion...", 7);
    MyFileInfo program = {}, skin = {};
    char skinFolder[MAX_PATH + 16];
    bk::TextFormat(skinFolder, sizeof skinFolder, "%s\\skins\\", td::ProgramFolder());
    GetPlayerSkinVersion(&program, &skin, td::ProgramFolder(), skinFolder);
    skinId_ = static_cast<int>(skin.Module);
    DebugLog("Call GetPlayerSkinVersion...ok", 7);
}

namespace {
// Prepare answers 0 when the skin is ready; anything else is a skin that
// failed, which the start treats as -1.
int PrepareResult(int prepared) { return prepared == 0 ? 0 : -1; }
}  // namespace

int cRadioPlayer::Start(int startArg) {
    DebugLog("Entering Start...", 7);
    restart_ = 0;
    g_uiPlayer = this;
    td::SetCallbackTarget(actions_.get());
    callbackTargetSet_ = true;
    jobs_->SetServer(interfaceServer_);
    // Podcasts, skins and the encoder archive go through the proxy with the
    // user's name and password.
    if (downloads_) downloads_->SetSettings(&credentials_);

    {
        int type = 0, value = 0, folder = 0;
        int language = 0;
        GetAutoCutSettings(settings_.GetAutoCutMuster(), &type, &value, &folder, &language);
        settings_.SetAutoCutType(type);
        settings_.SetAutoCutValue(value);
        recording_->SetAutoCutFolder(folder);
    }

    if (startArg == 1) {
        char key[101] = {};
        unsigned long size = 0;
        GetValue("DownloadSkinKey", key, sizeof key);
        GetValue("DownloadSkinSize", &size);
        // The key came with a link from a web page: nothing is fetched and
        // installed before the user says so.
        if (strlen(key) > 2 && AskBeforeLinkedSkin(key)) DownloadSkin(key, size);
    }

    DebugLog("Call InitSkin...", 7);
    bool ready = InitSkin();
    DebugLog("Call InitSkin...ok", 7);
    if (!ready) {
        EndCallbacks();
        return 1;
    }

    DebugLog("Send settings to Skin...", 7);
    skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
    DebugLog("Send settings to Skin...ok", 7);

    // The skin engine keeps its podcast feeds and the encoder archive beside
    // the skins folder it is given: the user's, where the user may write.
    char userSkins[sizeof skinFolder_] = {};
    GetValue("PathSkins", userSkins, sizeof userSkins);
    if (userSkins[0])
        bk::TextCopy(skinFolder_, sizeof skinFolder_, userSkins);
    else
        bk::TextFormat(skinFolder_, sizeof skinFolder_, "%s\\skins\\", td::ProgramFolder());
    StartStartupCheck();
    ReadSkinId();
    if (IsOffline()) {
        char offline[512] = {};
        getOfflineSkinDir(offline);
        size_t n = strlen(offline);
        if (n > 0) offline[n - 1] = 0;
        bk::TextCopy(skinFolder_, sizeof skinFolder_, offline);
    }

    DebugLog("Call pfnPrepare...", 7);
    int result = PrepareResult(skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 1));
    DebugLog("Call pfnPrepare...ok", 7);

    CreatePipe();

    {
        char date[32] = {};
        GetValue("TopSenderDate", date, sizeof date);
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (TopStationsDue(date, now)) {
            DebugLog("Topsender aktualisieren", 7);
            StartTopStationUpdate();
        }
    }

    bool endNow = false;
    do {
        if (!skin_.Ready()) {
            // Nothing of the recording pipe may reach a library on its way out.
            if (pipe_) pipe_->DetachSkin();
            bk::ScopedLock lock(skinCallLock_);
            skin_.Free();
        }
        while (td::UpdateFlag() == 2 && state_ != 2) {
            PumpMessages();
            restart_ = 1;
        }
        if (!skin_.Ready() && !InitSkin()) {
            // A library that cannot be bound again leaves nothing to call.
            char text[512];
            bk::TextFormat(text, sizeof text, "Initialisierung der Oberfl\xE4" "che fehlgeschlagen (%s)",
                       skin_.MissingEntry() ? skin_.MissingEntry() : skin_.Path());
            td::ShowPlayerMessage(text);
            break;
        }
        if (pipe_) pipe_->AttachSkin();
        if (restart_) {
            ReadSkinId();
            settings_.SetNavWinCX(0);
            settings_.SetNavWinCY(0);
            settings_.SetAdBannerCX(0);
            settings_.SetAdBannerCY(0);
            settings_.SetAdBannerCX_ENG(0);
            settings_.SetAdBannerCY_ENG(0);
            skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
            result = PrepareResult(skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 0));
            restart_ = 0;
            StartStartupCheck();
        }
        DebugLog("start skin...", 7);
        uiUp_ = 1;
        actions_->TimerListChanged(nullptr);
        if (!store_->IsLoaded()) settings_.SetDBTime("");
        if (result != -1) result = skin_.Get<td::PfnBuildUp>(td::kBuildUp)(callback_, skinFolder_, startArg);
        {
            bk::ScopedLock lock(skinCallLock_);
            uiUp_ = 0;
        }
        recording_->StopRecording();
        if (pipe_ && !pipe_->IsRecording()) pipe_->StopListening();
        // Prepare answers 0 or -1 and BuildUp 1 when the interface ran: only
        // -1 means the skin could not be built.
        if (result == -1) {
            char last[1024] = {};
            GetValue("LAST_SKIN", last, sizeof last);
            if (!last[0]) {
                char skin[1024] = {}, format[256] = {}, text[1400];
                GetValue("SKIN", skin, sizeof skin);
                GetResourceString(GetBasekitModule(), kMessageSkinUnreadable, settings_.GetLanguage(), format,
                                  sizeof format);
                if (!format[0]) bk::TextCopy(format, "Skin-Datei %s kann nicht gelesen werden");
                bk::TextFormat(text, sizeof text, format, skin);
                td::ShowPlayerMessage(text);
                if (!restart_) endNow = true;
            } else {
                SetValue("SKIN", last);
                SetValue("LAST_SKIN", "");
                restart_ = 1;
            }
        }
        skin_.SetReady(false);
        result = 0;
    } while (!endNow && (restart_ == 1 || td::UpdateFlag() == 2) && state_ != 2);

    Stop(1);
    state_ = 2;
    // The interface is gone: no user action arrives any more, and the
    // workers still running end before the library and the player go.
    EndCallbacks();
    if (pipe_) pipe_->DetachSkin();
    {
        bk::ScopedLock lock(skinCallLock_);
        skin_.Free();
    }
    // An accepted update may still be downloading its installer: past the
    // usual bound, wait while its progress window shows it is still
    // fetching (a stalled transfer ends at the connection's time-outs).
    const DWORD checkEndStart = GetTickCount();
    while ((jobFlags_ & kJobStartCheck) != 0 &&
           (GetTickCount() - checkEndStart < kStartCheckEndMs || cOnlineClient::ProgressDialog()))
        Sleep(50);
    if (g_uiPlayer == this) g_uiPlayer = nullptr;
    DebugLog("Leave Start", 7);
    return 0;
}

void cRadioPlayer::UsePipe(CPipe* pipe) {
    pipe_.reset(pipe);
    recording_->SetPipe(pipe);
}

void cRadioPlayer::CreatePipe() {
    if (pipe_) return;
    DebugLog("Create Pipe...", 7);
    try {
        pipe_.reset(CreateRecordingPipe(&pipeHost_));
    } catch (...) {
        // The loopback pipe may fail while it is made: the sound-card pipe takes its place.
        DebugLog("Execption Create Vista-Pipe", 1);
        try {
            pipe_.reset(new CPipe(&pipeHost_));
        } catch (...) {
            pipe_.reset();
        }
    }
    DebugLog("Create Pipe...ok", 7);
    if (!pipe_) {
        DebugLog("...no pipe here!!!!", 1);
        return;
    }
    DebugLog("Init Pipe...", 7);
    recording_->SetPipe(pipe_.get());
    pipe_->SetFormatFlag(settings_.GetRecordingFormat());
    if (settings_.GetRecordingSource() == -1)
        settings_.SetRecordingSource(pipe_->GetRecordSource());
    else
        pipe_->SetRecordSource(settings_.GetRecordingSource());
    // The recording device stays as the user chose it (-1: the system's
    // default input): the pipe opens the one the setting names.
    DebugLog("Init Pipe...ok", 7);
}

bool cRadioPlayer::TopStationsDue(const char* date, const SYSTEMTIME& now) {
    SYSTEMTIME day = {};
    day.wYear = 2000;
    day.wMonth = 1;
    day.wDay = 1;
    if (date && strlen(date) >= 8) {
        int y = 0, m = 0, d = 0;
        bool digits = true;
        for (int i = 0; i < 8; ++i) digits = digits && date[i] >= '0' && date[i] <= '9';
        if (digits && sscanf(date, "%4d%2d%2d", &y, &m, &d) == 3) {
            SYSTEMTIME t = {};
            t.wYear = static_cast<WORD>(y);
            t.wMonth = static_cast<WORD>(m);
            t.wDay = static_cast<WORD>(d);
            FILETIME probe;
            if (y >= 1601 && SystemTimeToFileTime(&t, &probe)) day = t;
        }
    }
    day.wHour = 23;
    day.wMinute = 59;
    day.wSecond = 59;
    FILETIME a, b;
    if (!SystemTimeToFileTime(&day, &a) || !SystemTimeToFileTime(&now, &b)) return true;
    ULARGE_INTEGER ua, ub;
    ua.LowPart = a.dwLowDateTime;
    ua.HighPart = a.dwHighDateTime;
    ub.LowPart = b.dwLowDateTime;
    ub.HighPart = b.dwHighDateTime;
    const unsigned long long week = 7ull * 24 * 3600 * 10000000ull;
    return ub.QuadPart > ua.QuadPart + week;
}

bool cRadioPlayer::StartJob(long bit, void (*thread)(void*)) {
    // The bit is set before the thread runs, so a waiter never misses it.
    if (!TrySetJob(bit)) return false;
    if (_beginthread(thread, 0, this) == static_cast<uintptr_t>(-1L)) {
        ClearJob(bit);
        return false;
    }
    return true;
}

bool cRadioPlayer::StartTopStationUpdate() { return StartJob(kJobTopStations, TopStationThread); }

bool cRadioPlayer::WaitForUi(DWORD maxMs) {
    const DWORD start = GetTickCount();
    while (!uiUp_ && state_ != 2 && GetTickCount() - start < maxMs) Sleep(20);
    return uiUp_ != 0;
}

void cRadioPlayer::TopStationThread(void* arg) {
    auto* self = static_cast<cRadioPlayer*>(arg);
    // The job starts before the interface is built; its list goes to the interface.
    self->WaitForUi(kUiWaitMs);
    self->jobs_->UpdateTopStations();
    self->ClearJob(kJobTopStations);
}

bool cRadioPlayer::StartStartupCheck() { return StartJob(kJobStartCheck, StartupCheckThread); }

void cRadioPlayer::StartupCheckThread(void* arg) {
    auto* self = static_cast<cRadioPlayer*>(arg);
    self->StartupCheck();
    self->ClearJob(kJobStartCheck);
}

std::string cRadioPlayer::SkinStationList() {
    bk::ScopedLock lock(textLock_);
    return skinStations_;
}

std::string cRadioPlayer::ServerText(int n) {
    if (n < 0 || n > 3) return std::string();
    bk::ScopedLock lock(textLock_);
    return serverTexts_[n];
}

void cRadioPlayer::StartupCheck() {
    cOnlineClient inet("", settings_.GetUserNameAuth(), settings_.GetUserPasswortAuth());
    if (interfaceServer_[0]) inet.SetServerName(interfaceServer_);
    const VersionReportInfo info = ReadVersionReportInfo();
    std::unique_ptr<cUpdateInfoDoc> answer;
    inet.SendVersionInfo(settings_.GetPID(), &answer, errorFlag_, settings_.GetLanguage(), &info);
    if (!answer) return;
    const cUpdateInfoDoc& a = *answer;
    // A failed request answers with empty fields: what is stored stays.
    if (!a.PId.empty()) settings_.SetPID(a.PId.c_str());
    {
        bk::ScopedLock lock(textLock_);
        const std::string* texts[4] = {&a.HilfeDatum, &a.HilfeDatumENG, &a.HilfeURL, &a.HilfeURLENG};
        for (int i = 0; i < 4; ++i)
            if (!texts[i]->empty()) serverTexts_[i] = *texts[i];
        if (!a.SKIN_SENDER.empty()) skinStations_ = a.SKIN_SENDER;
    }
    jobs_->SetHelpDownload(ServerText(2), ServerText(3));
    if (a.ServerTime.size() > 13) {
        struct tm t = {};
        if (sscanf(a.ServerTime.c_str(), "%4d%2d%2d%2d%2d%2d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                   &t.tm_min, &t.tm_sec) == 6) {
            t.tm_year -= 1900;
            t.tm_mon -= 1;
            t.tm_isdst = -1;
            time_t server = mktime(&t);
            if (server != static_cast<time_t>(-1)) listenTimer_.SetServerTime(static_cast<uint32_t>(server));
        }
    }
    if (!a.AddyUrl.empty()) settings_.SetAdBannerUrl(a.AddyUrl.c_str());
    if (!a.AddyUrl_ENG.empty()) settings_.SetAdBannerUrl_ENG(a.AddyUrl_ENG.c_str());
    if (!a.splashScreenURL.empty()) settings_.SetSplashURL(a.splashScreenURL.c_str());
    if (!a.splashScreenURL_ENG.empty()) settings_.SetSplashURL_ENG(a.splashScreenURL_ENG.c_str());
    // Sizes: -1 (or nothing) keeps the value.
    struct Size {
        const std::string& text;
        void (cSettings::*set)(int);
    } sizes[] = {{a.AddyCX, &cSettings::SetAdBannerCX},
                 {a.AddyCY, &cSettings::SetAdBannerCY},
                 {a.AddyCX_ENG, &cSettings::SetAdBannerCX_ENG},
                 {a.AddyCY_ENG, &cSettings::SetAdBannerCY_ENG},
                 {a.splashScreenSizeX, &cSettings::SetSplashCX},
                 {a.splashScreenSizeY, &cSettings::SetSplashCY},
                 {a.splashScreenSizeX_ENG, &cSettings::SetSplashCX_ENG},
                 {a.splashScreenSizeY_ENG, &cSettings::SetSplashCY_ENG}};
    for (const Size& z : sizes) {
        int v = AnswerNumber(z.text, -1);
        if (v != -1) (settings_.*z.set)(v);
    }
    // What follows goes to the interface, which may still be being built.
    WaitForUi(kUiWaitMs);
    std::string skinStations;
    {
        bk::ScopedLock lock(textLock_);
        skinStations = skinStations_;
    }
    if (skinStations.size() > 1 && actions_)
        actions_->Lister().PushSkinStations(skinStations.c_str(), settings_.GetLanguage());
    Sleep(100);
    SendStatus(nullptr, 28);

    jobs_->KeepOfferedInfo(a);

    // Update offers: "1" offers when the user wants automatic updates, "2" always.
    const bool autoUpdate = settings_.GetUseAutoUpdate() != 0;
    const bool program = (a.status == "1" && autoUpdate) || a.status == "2";
    const bool skin = (a.skinStatus == "1" && autoUpdate) || a.skinStatus == "2";
    if (!program && !skin) return;
    const int programKb = AnswerNumber(a.UpdateSize, 0) / 1024;
    const int skinKb = AnswerNumber(a.skinUpdateSize, 0) / 1024;
    char skinName[201] = {};
    GetValue("SKIN", skinName, sizeof skinName);
    char text[1600];
    auto installSkin = [&]() {
        std::string local;
        const int got = inet.GetSkinUpdate(static_cast<unsigned long>(AnswerNumber(a.skinUpdateSize, 0)),
                                           a.skinUpdateUrl.c_str(), &local);
        if (got == cOnlineClient::kRefusedCode) TellRefusedDownload();
        if (got != 1) return false;
        // The running skin library holds the file: wait until it is unloaded.
        for (int i = 0; i < 3000 && skin_.Module(); ++i) Sleep(10);
        const std::string skins = std::string(td::ProgramFolder()) + "\\skins\\";
        return !skin_.Module() && online::InstallSkinFile(local, skins, skinName);
    };
    auto fetchInstaller = [&]() {
        const int got = inet.GetPlayerUpdate(static_cast<unsigned long>(AnswerNumber(a.UpdateSize, 0)),
                                             a.UpdateUrl.c_str());
        if (got == 1) td::SetUpdateFlag(1);   // only a fetched and checked installer runs at the end
        if (got == cOnlineClient::kRefusedCode) TellRefusedDownload();
        else if (got != 1) TellFailedUpdate();
    };
    if (program && !skin) {
        bk::TextFormat(text, sizeof text, "Aktuelle Version : %s \nDateigr\xF6\xDF" "e        : %d KBytes",
                       a.Version.c_str(), programKb);
        if (jobs_->OfferUpdate(1, text)) fetchInstaller();
    } else if (program) {
        bk::TextFormat(text, sizeof text,
                       "Aktuelle Version : %s \nDateigr\xF6\xDF" "e        : %d kBytes\n\nSkin : %s \nAktuelle Version : "
                       "%s \nDateigr\xF6\xDF" "e        : %d kBytes",
                       a.Version.c_str(), programKb, skinName, a.skinVersion.c_str(), skinKb);
        if (jobs_->OfferUpdate(1, text)) {
            installSkin();
            fetchInstaller();
        }
    } else {
        char format[512];
        bk::TextCopy(format, sizeof format,
                     Message(8, settings_.GetLanguage()).c_str());
        bk::TextFormat(text, sizeof text, format, skinName, a.skinVersion.c_str(), skinKb);
        offerKind_ = 2;
        if (jobs_->OfferUpdate(2, text)) {
            installSkin();
            td::SetUpdateFlag(0);   // the skin loop builds the interface again
        }
        offerKind_ = 0;
    }
}

// ---------------------------------------------------------------- playing

std::string cRadioPlayer::GetCurrentAddress() {
    bk::ScopedLock lock(playLock_);
    return currentAddress_;
}

std::string cRadioPlayer::GetDisplayText() {
    bk::ScopedLock lock(playLock_);
    return displayText_;
}

td::StreamChoiceRules cRadioPlayer::StreamRules(int mode, int attempt, bool chosenWanted) {
    td::StreamChoiceRules rules;
    rules.capabilities = GetCapabilities();
    rules.mode = mode;
    rules.autoSelect = settings_.GetAutoselectBandbreite();
    rules.internetAccess = settings_.GetInternetaccess();
    rules.attempt = attempt;
    rules.chosenWanted = chosenWanted;
    if (actions_) {
        // Choices by the user's line follow the last search.
        rules.bandwidthClass = actions_->LastSearch().bandwidthClass;
        rules.preferredType = actions_->LastSearch().streamType;
    }
    return rules;
}

uint32_t cRadioPlayer::SelectStreamFromChannel(uint32_t channelId, int* found, int mode, int attempt,
                                               std::string* chosen) {
    if (found) *found = 0;
    if (channelId >= td::kFirstUserStationId) return channelId;
    std::vector<td::StreamCandidate> candidates;
    std::vector<std::string> addresses;
    ForEachStream(store_.get(), nullptr, [&](cStreamElement* s) {
        if (s->GetCID() == channelId) {
            candidates.push_back({static_cast<uint32_t>(s->GetId()), static_cast<int>(s->GetF()),
                                  static_cast<int32_t>(s->GetQ())});
            addresses.push_back(s->GetUrl());
        }
        return true;
    });
    if (candidates.empty()) {
        char line[200];
        bk::TextFormat(line, sizeof line, "SelectStreamFromChannel: kein stream gefunden zu ChannelID: <%u>",
                       channelId);
        DebugLog(line, 1);
        return 0;
    }
    td::StreamChoice choice = td::ChooseStream(candidates, StreamRules(mode, attempt, chosen != nullptr));
    if (found) *found = choice.found ? 1 : 0;
    if (choice.index >= 0) {
        // The meta address belongs to the stream that is chosen, not the last one seen.
        if (!chosen && candidates[choice.index].type == kStreamMp3) SetMETAURL(Slot(addresses[choice.index]).c_str());
        if (chosen) *chosen = addresses[choice.index];
    }
    return choice.id;
}

void cRadioPlayer::FinishedPlay(const char* message) {
    if (message && *message) SendStatus(const_cast<char*>(message), 0);
    SendStatus(const_cast<char*>(kFinished), 16);
}

void cRadioPlayer::PlayAddress(int type, const char* address) {
    {
        bk::ScopedLock lock(playLock_);
        addressBuffer_ = address ? address : "";
        customStreamType_ = type;
        localFile_ = 0;
    }
    Play(static_cast<uint32_t>(-1));
}

void cRadioPlayer::PlayLocalFile(int type, const char* path) {
    if (!path) return;
    store_->CountFile(path);
    {
        bk::ScopedLock lock(playLock_);
        addressBuffer_ = std::string("FILE://") + path;
        customStreamType_ = type;
        localFile_ = 1;
    }
    Play(static_cast<uint32_t>(-1));
}

void cRadioPlayer::Pause() {
    if (client_) client_->TogglePause();
}

void cRadioPlayer::PlayPrepared(int type, const char* address, int localFile) {
    if (!address) return;
    {
        bk::ScopedLock lock(playLock_);
        addressBuffer_ = address;
        customStreamType_ = type;
        localFile_ = localFile;
    }
    Play(static_cast<uint32_t>(-1));
}

void cRadioPlayer::PlayTrack(int entry) {
    if (client_) client_->PlayTrack(static_cast<unsigned long>(entry));
}

void cRadioPlayer::SetTrackPosition(int position) {
    if (client_) client_->SetTrackPosition(static_cast<unsigned long>(position));
}

void cRadioPlayer::CheckConnection() {
    if (client_) client_->CheckConnection();
}

std::string cRadioPlayer::StationDetails(uint32_t channelId) {
    return actions_ ? actions_->StationDetails(static_cast<int>(channelId)) : std::string();
}

void cRadioPlayer::PushAllLists() {
    if (!actions_) return;
    const int language = settings_.GetLanguage();
    td::cStationLister& lister = actions_->Lister();
    lister.PushCategoryLists(language);
    lister.PushFavorites(language);
    char date[32] = {};
    GetValue("TopSenderDate", date, sizeof date);
    lister.PushTopStations(language, date);
    lister.PushPodcasts();
    actions_->PushUserLists();
    std::string skinStations;
    {
        bk::ScopedLock lock(textLock_);
        skinStations = skinStations_;
    }
    if (skinStations.size() > 1) lister.PushSkinStations(skinStations.c_str(), language);
    lister.PushLastPlayed(language);
}

void cRadioPlayer::WaitForEngineProbes(DWORD maxMs) {
    HANDLE events[2] = {probeEvents_[0].Get(), probeEvents_[1].Get()};
    const DWORD start = GetTickCount();
    // In short steps, so that the end of the player is not held up.
    while (state_ != 2 && GetTickCount() - start < maxMs)
        if (WaitForMultipleObjects(2, events, TRUE, 50) == WAIT_OBJECT_0) return;
}

void cRadioPlayer::OnBufferingStart() {
    const int remembered = recording_->VolumeTriple()[0];
    if (remembered == 0) SendStatus(const_cast<char*>(""), 53);
    recording_->ReadVolumeState();
    // Some engines turn the wave-out volume when they start buffering: put it
    // back, but only to a value that was read (never to the unread 0).
    if (pipe_ && volumeRead_ && recording_->VolumeTriple()[0] != remembered) {
        pipe_->SetWaveOutVolume(remembered);
        recording_->ReadVolumeState();
    }
    volumeRead_ = true;
}

// ---------------------------------------------------------------- the recording pipe's host

void cRadioPlayer::cPlayerPipeHost::SendStatus(char* text, int code) {
    // A finished job goes back to the skin as the record it was made from.
    if (code == 46 && text) text = p_->recording_->HandBack(reinterpret_cast<RecordJob*>(text));
    p_->SendStatus(text, code);
}

void cRadioPlayer::cPlayerPipeHost::SetPeakLevel(int left, int right) {
    p_->CallSkin<PfnSetPeakLevel>(td::kSetPeakLevel, left, right);
}

void cRadioPlayer::cPlayerPipeHost::SetRecTime(int freeSeconds, int totalFileBytes, int recordedSeconds,
                                              int recordState) {
    p_->CallSkin<PfnSetRecTime>(td::kSetRecTime, freeSeconds, totalFileBytes, recordedSeconds, recordState);
}

void cRadioPlayer::cPlayerPipeHost::ShowMessage(const char* text, const char*) { td::ShowPlayerMessage(text); }

int cRadioPlayer::cPlayerPipeHost::GetRecBitsPerSample() { return p_->recording_->GetRecBitsPerSample(); }
int cRadioPlayer::cPlayerPipeHost::GetRecSampleRate() { return p_->recording_->GetRecSampleRate(); }
int cRadioPlayer::cPlayerPipeHost::GetRecChannels() { return p_->recording_->GetRecChannels(); }

int cRadioPlayer::cPlayerPipeHost::MakeRecordFileName(const char* current, int counter, char* out, size_t outSize,
                                                     RecordJob* job) {
    return p_->recording_->MakeRecordFileName(current, counter, out, outSize, job);
}

void cRadioPlayer::cPlayerPipeHost::GetRecordingDir(char* buffer, size_t size) {
    bk::TextCopy(buffer, size, p_->settings_.GetRecordingDir());
}

void cRadioPlayer::cPlayerPipeHost::GetQualityMuster(char* buffer, size_t size) {
    bk::TextCopy(buffer, size, p_->settings_.GetQualityMuster());
}

void cRadioPlayer::cPlayerPipeHost::GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch) {
    int language = 0;
    ::GetRecQualitySettings(name, sps, bps, nch, &language);
}

void cRadioPlayer::cPlayerPipeHost::SetRecQualitySettings(const char* name, int sps, int bps, int nch) {
    ::SetRecQualitySettings(name, sps, bps, nch);
}

void cRadioPlayer::cPlayerPipeHost::GetMessageText(unsigned id, int language, char* buffer, size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    GetResourceString(GetBasekitModule(), id, language, buffer, static_cast<int>(size));
}

void cRadioPlayer::cPlayerPipeHost::SendVolumeStatus() { p_->recording_->SendVolumeStatus(); }

void cRadioPlayer::cPlayerPipeHost::PostVolumeChange(int volume) {
    if (cControlActiveX* client = p_->client_) client->PostVolumeChange(volume);
}

bool cRadioPlayer::EngineForOwnAddress(unsigned long caps, int language) {
    // An address of kind 1 (RealAudio or MP3) plays through Media Player without RealPlayer.
    if (streamType_ == kStreamReal && !(caps & 1)) {
        if (caps & 4)
            streamType_ = kStreamMp3;
        else if (caps & 2)
            streamType_ = kStreamWindowsMedia;
    }
    if (caps & td::CapabilityOfType(streamType_)) return true;
    char text[512];
    bk::TextFormat(text, sizeof text, "StreamFormat unbekannt! Bitte %s installieren",
                   td::EngineNameOfType(streamType_, language));
    SendStatus(text, 0);
    SendStatus(const_cast<char*>(""), 30 + streamType_);
    FinishedPlay(nullptr);
    return false;
}

void cRadioPlayer::Play(uint32_t streamId) {
    const int language = settings_.GetLanguage();
    DWORD start = GetTickCount();
    while ((!client_ || !client_->IsInitialised()) && state_ != 2 && GetTickCount() - start < kClientReadyMs)
        Sleep(30);
    WriteDebugLogF(7, "Wait activXInit - %lu", GetTickCount() - start);
    if (!client_ || !client_->IsInitialised()) {
        FinishedPlay(nullptr);
        return;
    }
    SetUserName(Slot(settings_.GetUserNameAuth()).c_str(), Slot(settings_.GetUserPasswortAuth()).c_str());
    const unsigned long caps = GetCapabilities();
    if (caps == 0) {
        FinishedPlay(Message(kMessageNoEngine, language).c_str());
        return;
    }
    if (enginePlayState_ == 5) {
        if (client_) client_->TogglePause();
        return;
    }
    if (static_cast<int>(streamId) == playingStreamId_ && streamId != static_cast<uint32_t>(-1) &&
        enginePlayState_ != 1 && enginePlayState_ != 3 && enginePlayState_ != 5 && state_ == 0)
        return;

    DWORD lockStart = GetTickCount();
    bk::ScopedLock lock(playLock_);
    WriteDebugLogF(7, "Wait critical section - %lu", GetTickCount() - lockStart);
    attempt_ = 1;
    failedRuns_ = 0;
    stoppedByUser_ = 0;
    displayText_.clear();
    std::string name, meta;
    int genre = 0;

    if (streamId == static_cast<uint32_t>(-1)) {
        currentStreamId_ = currentChannelId_ = static_cast<uint32_t>(-1);
        streamType_ = customStreamType_;
        currentAddress_ = addressBuffer_;
        if (!EngineForOwnAddress(caps, language)) return;
    } else if (streamId < td::kFirstUserStationId) {
        localFile_ = 0;
        if (!store_->IsLoaded()) {
            Sleep(200);
            if (!store_->IsLoading()) store_->LoadStationDatabase();
            store_->WaitForStationDatabase(10000);
        }
        bool found = false;
        int unplayableType = 0;
        uint32_t channel = 0;
        int count = 0;
        ForEachStream(store_.get(), &count, [&](cStreamElement* s) {
            if (s->GetId() != streamId) return true;
            int type = static_cast<int>(s->GetF());
            if (!(caps & td::CapabilityOfType(type))) {
                unplayableType = type;
                return true;
            }
            found = true;
            streamType_ = type;
            channel = s->GetCID();
            currentAddress_ = s->GetUrl();
            return false;
        });
        WriteDebugLogF(7, "StreamId: %u - Streams in db: %d", streamId, count);
        if (!found) {
            char text[600];
            if (unplayableType) {
                bk::TextFormat(text, sizeof text,
                               Message(kMessageFormatUnknown, language).c_str(),
                               td::EngineNameOfType(unplayableType, language));
                SendStatus(const_cast<char*>(""), 30 + unplayableType);
            } else {
                bk::TextFormat(text, sizeof text,
                               Message(kMessageNotInDatabase, language).c_str(),
                               streamId);
                SendStatus(const_cast<char*>(""), 67);
                DebugLog("Sender nicht in DB", 1);
            }
            FinishedPlay(text);
            return;
        }
        currentStreamId_ = streamId;
        currentChannelId_ = channel;
        cListe* channels = store_->LockChannelList();
        if (channels) {
            if (auto* c = static_cast<cChannelElement*>(channels->GetById(channel))) {
                name = c->N;
                meta = c->M;
                genre = atoi(c->G.c_str());
            }
        }
        store_->UnlockChannelList();
        // The genre's value in the genre list stands for it (its id when 0).
        if (genre) {
            // The lists are replaced under the station locks.
            store_->LockSenderList();
            if (cListe* genres = store_->GetCategoryList(kStoreGenre))
                if (auto* g = static_cast<cNamedValueElement*>(genres->GetById(static_cast<uint32_t>(genre))))
                    if (g->GetValue() != 0) genre = g->GetValue();
            store_->UnlockSenderList();
        }
    } else {
        localFile_ = 0;
        currentStreamId_ = streamId;
        bool found = false;
        store_->LockUserLists();
        if (cUserDefinedStations* own = store_->GetUserStations()) {
            for (auto& st : own->stations) {
                if (static_cast<uint32_t>(st->GetId()) != streamId) continue;
                found = true;
                name = st->Field("N");
                currentAddress_ = st->Field("US");
                int type = atoi(st->Field("F").c_str());
                streamType_ = type >= 1 && type <= 3 ? type : kStreamMp3;
                break;
            }
        }
        store_->UnlockUserLists();
        if (!found) {
            char text[300];
            // The German text whatever the language, as the program always had it.
            bk::TextFormat(text, sizeof text, Message(kMessageNotInDatabase, kLanguageGerman).c_str(), streamId);
            FinishedPlay(text);
            return;
        }
        currentChannelId_ = streamId;
        if (!EngineForOwnAddress(caps, language)) return;
    }

    SendStatus(const_cast<char*>("0"), 1);
    DebugLog("playcommand...", 7);
    if (streamId != static_cast<uint32_t>(-1)) {
        SetValue("LastStreamId", static_cast<unsigned long>(currentStreamId_));
        SetValue("LastChannelId", static_cast<unsigned long>(currentChannelId_));
        char text[1100];
        bk::TextFormat(text, sizeof text, "Play : %s ", currentAddress_.c_str());
        SendStatus(text, 0);
        const std::string details = StationDetails(currentChannelId_);
        if (!details.empty())
            CallSkin<td::PfnGetLastPlayedSender>(td::kGetLastPlayedSender, details.c_str(),
                                                 static_cast<int>(currentChannelId_));
        if (streamId < td::kFirstUserStationId) {
            // The station's parent and its own name, as the recent list shows them.
            const std::string parent = DetailsField(details, 0), own = DetailsField(details, 1);
            if (!parent.empty() || !own.empty())
                name = parent.empty() ? own : own.empty() ? parent : parent + " - " + own;
            if (!meta.empty()) SetVL_METAURL(Slot(meta).c_str());
        } else {
            DebugLog("userdefined stream", 7);
        }
        if (!name.empty()) {
            displayText_ = name;
            if (skin_.Ready() && uiUp_ && skin_.Has(td::kAddToList)) {
                bk::ScopedLock skinLock(skinCallLock_);
                if (skin_.Ready() && uiUp_) {
                    auto add = skin_.Get<td::PfnAddToList>(td::kAddToList);
                    add(13, displayText_.c_str(), static_cast<int>(currentChannelId_), 0);
                }
            }
        }
        if (genre) {
            lastGenre_ = genre;
            SetValue("LastGenre", genre);
        }
    }
    DebugLog("InitWatchWavVolume...", 7);
    if (displayText_.empty()) displayText_ = Message(kMessageUnknownStation, language);
    recording_->ReadVolumeState();
    volumeRead_ = true;
    DebugLog("InitWatchWavVolume...ok", 7);
    listenTimer_.Begin();
    InterlockedExchange(&playedSincePlay_, 0);
    playingStreamId_ = static_cast<int>(currentStreamId_);
    if (client_) {
        WriteDebugLogF(7, "send play command (%s) (%d)...", currentAddress_.c_str(), streamType_);
        client_->PlayUrl(currentAddress_.c_str(), streamType_);
        DebugLog("send play command ok", 7);
    }
    state_ = 0;
    DebugLog("playcommand...ok", 7);
    if (pipe_) {
        DebugLog("startpegelanpassung...", 7);
        pipe_->StartLevelAdjust();
        DebugLog("startpegelanpassung ok", 7);
    }
}

// ---------------------------------------------------------------- end of a stream and reports

void cRadioPlayer::OnFinishedPlaying(int hasError) {
    const int streamId = playingStreamId_;
    const uint32_t start = listenTimer_.GetListenStart();
    const uint32_t stop = listenTimer_.GetListenStop();
    const std::string address = GetCurrentAddress();
    WriteDebugLogF(7, "Listen to StreamID: %d --- URL: %s", streamId, address.c_str());
    WriteDebugLogF(7, "ConnectionDuration: %u sek Quality: %d", listenTimer_.GetDuration() / 1000,
                   listenTimer_.GetQuality());

    td::EndFacts facts;
    facts.hasError = hasError != 0;
    facts.stoppedByUser = stoppedByUser_ != 0;
    facts.localFile = localFile_ != 0;
    // Seconds spent connecting and buffering are no run of the stream.
    facts.elapsedSeconds = playedSincePlay_ ? static_cast<int32_t>(stop - start) : 0;
    facts.attempt = attempt_;
    facts.retryCount = settings_.GetRetryCount();
    facts.reconnectOnLost = settings_.GetReconnectOnServerLost();
    td::EndDecision d = td::DecideEnd(facts);
    SendStatus(const_cast<char*>(d.statusText), 16);

    if (!facts.localFile) {
        ListenRecord r;
        char skin[16];
        bk::TextFormat(skin, sizeof skin, "%d", skinId_);
        r.skinId = skin;
        r.quality = listenTimer_.GetQuality();
        r.userUrl = streamId < 1 ? address : std::string();
        r.connectTime = static_cast<int32_t>(listenTimer_.GetDuration() / 1000);
        r.start = start;
        r.stop = stop;
        r.streamId = streamId;
        QueueReport(r, start == stop);
    }
    if (PendingReports() > kReportBatch) SendListenReports();

    // Ends that come soon after the start, one after the other, wait longer
    // and longer before the next try; a stream that ran for a while starts
    // the count afresh.
    if (facts.stoppedByUser || facts.elapsedSeconds >= kSteadyRunSeconds)
        failedRuns_ = 0;
    else
        ++failedRuns_;
    RetryJob job{this, static_cast<uint32_t>(streamId), 0, currentChannelId_, failedRuns_};
    bool again = false;
    switch (d.action) {
    case td::EndAction::kLocalFileFailed:
        SendStatus(const_cast<char*>("6"), 71);
        break;
    case td::EndAction::kLocalFileEnded:
        SendStatus(const_cast<char*>(""), 72);
        break;
    case td::EndAction::kRetryNextStream:
        job.attempt = attempt_ + 1;
        WriteDebugLogF(7, "retry %d/%d", job.attempt, facts.retryCount);
        again = true;
        break;
    case td::EndAction::kReconnect:
        DebugLog("ReconnectOnServerLost...", 7);
        again = true;
        break;
    case td::EndAction::kNone:
        break;
    }
    stoppedByUser_ = 0;
    SaveListenReports();
    if (!again || state_ == 2) return;
    // The next play runs on a worker of its own: this is the status thread,
    // and a retry pauses first.
    auto* heapJob = new RetryJob(job);
    InterlockedIncrement(&workers_);
    auto worker = [](void* arg) {
        std::unique_ptr<RetryJob> j(static_cast<RetryJob*>(arg));
        cRadioPlayer* p = j->player;
        uint32_t pause = j->failedRuns ? td::RetryPauseMs(j->failedRuns + 1) : 500;
        for (uint32_t waited = 0; waited < pause && p->state_ != 2 && !p->stoppedByUser_; waited += 50) Sleep(50);
        if (p->state_ != 2 && !p->stoppedByUser_) {
            if (j->attempt) {
                int found = 0;
                uint32_t next = p->SelectStreamFromChannel(j->channelId, &found, 0, j->attempt, nullptr);
                if (j->channelId >= td::kFirstUserStationId) next = j->channelId;
                if (next) {
                    p->playingStreamId_ = 0;   // the same stream again must not count as playing
                    p->Play(next);
                }
                p->attempt_ = j->attempt;
            } else {
                p->playingStreamId_ = 0;
                p->Play(j->streamId);
            }
            p->failedRuns_ = j->failedRuns;
        }
        InterlockedDecrement(&p->workers_);
    };
    if (_beginthread(worker, 0, heapJob) == static_cast<uintptr_t>(-1L)) {
        delete heapJob;
        InterlockedDecrement(&workers_);
    }
}

void cRadioPlayer::QueueReport(const ListenRecord& record, bool zeroLength) {
    bk::ScopedLock lock(reportLock_);
    if (zeroLength)
        for (const ListenRecord& r : reports_)
            if (r.streamId == record.streamId) return;
    reports_.push_back(record);
    while (reports_.size() > kMaxReports) reports_.pop_front();
}

size_t cRadioPlayer::PendingReports() {
    bk::ScopedLock lock(reportLock_);
    return reports_.size();
}

void cRadioPlayer::RequeueReport(const ListenRecord& record) {
    bk::ScopedLock lock(reportLock_);
    reports_.push_front(record);
    while (reports_.size() > kMaxReports) reports_.pop_back();
}

void cRadioPlayer::FinishUpload(bool sent) {
    bk::ScopedLock lock(reportLock_);
    if (!sent)
        for (auto it = uploading_.rbegin(); it != uploading_.rend(); ++it) reports_.push_front(*it);
    while (reports_.size() > kMaxReports) reports_.pop_back();
    uploading_.clear();
}

void cRadioPlayer::SetInterfaceServer(const char* host) {
    bk::TextCopy(interfaceServer_, host ? host : "");
    // The playback hosts this process starts check the same server.
    SetEnvironmentVariableA("TD_INTERFACE_SERVER", interfaceServer_[0] ? interfaceServer_ : nullptr);
}

void cRadioPlayer::SendListenReports() {
    // One upload at a time; records stay queued while one runs.
    if (!TrySetJob(kJobReports)) return;
    auto* batch = new UploadBatch{this, {}};
    {
        bk::ScopedLock lock(reportLock_);
        for (const ListenRecord& r : reports_)
            if (!(r.streamId == 0 && r.userUrl.empty())) batch->records.push_back(r);
        reports_.clear();
        uploading_ = batch->records;
    }
    if (batch->records.empty() ||
        _beginthread(UploadThread, 0, batch) == static_cast<uintptr_t>(-1L)) {
        FinishUpload(false);
        delete batch;
        ClearJob(kJobReports);
    }
}

void cRadioPlayer::UploadThread(void* arg) {
    std::unique_ptr<UploadBatch> batch(static_cast<UploadBatch*>(arg));
    cRadioPlayer* p = batch->player;
    p->SendStatus(const_cast<char*>("SetPlayTime thread start"), 5);
    cSettings& s = p->settings_;
    cOnlineClient inet("", s.GetUserNameAuth(), s.GetUserPasswortAuth());
    if (interfaceServer_[0]) inet.SetServerName(interfaceServer_);
    char skin[201] = {};
    GetValue("SKIN", skin, sizeof skin);
    const char* agent = _stricmp(skin, "quillmere.dll") == 0 ? "QUILLPROBE" : "";
    int ok = inet.SetPlayTime(s.GetPID(), batch->records, agent, s.GetLanguage());
    p->FinishUpload(ok != 0);
    p->SendStatus(const_cast<char*>("SetPlayTime thread term"), 5);
    p->ClearJob(kJobReports);
}

void cRadioPlayer::SaveListenReports(bool always) {
    std::string text;
    {
        bk::ScopedLock lock(reportLock_);
        // A batch still on its way is saved too: were the program to end
        // before the server answers, it would be lost.
        std::vector<ListenRecord> all(uploading_.begin(), uploading_.end());
        all.insert(all.end(), reports_.begin(), reports_.end());
        for (const ListenRecord& r : all) {
            std::string one;
            CUSERACTION(r).GetActionXml(&one);
            text += one;
        }
        // A retry that added nothing leaves the registry alone: a dead station
        // would otherwise rewrite the settings at every try.
        if (!always && reportsSaved_ && text == savedReports_) return;
        savedReports_ = text;
        reportsSaved_ = true;
    }
    settings_.SetPendingUserActions(text);
    settings_.Save();
}

void cRadioPlayer::LoadSavedReports() {
    const std::string saved = settings_.GetPendingUserActions();
    size_t at = 0;
    while (at < saved.size()) {
        size_t end = saved.find("</Action>", at);
        if (end == std::string::npos) break;
        end += 9;
        cListenActionDoc doc;
        doc.Parse(saved.substr(at, end - at));
        at = end;
        ListenRecord r;
        r.streamId = atoi(doc.StreamID.c_str());
        r.quality = atoi(doc.Quality.c_str());
        r.connectTime = atoi(doc.ConnectTime.c_str());
        r.start = static_cast<uint32_t>(strtoul(doc.ListenStart.c_str(), nullptr, 10));
        r.stop = static_cast<uint32_t>(strtoul(doc.ListenStop.c_str(), nullptr, 10));
        r.userUrl = doc.UserURL;
        r.skinId = doc.SkinID;
        bk::ScopedLock lock(reportLock_);
        reports_.push_back(r);
    }
    if (PendingReports() > 0) SendListenReports();
}

// ---------------------------------------------------------------- skin download

bool cRadioPlayer::AskBeforeLinkedSkin(const char* key) {
    char text[512];
    bk::TextFormat(text, sizeof text,
                   settings_.GetLanguage() == 2
                       ? "A web page asks to install the skin \"%s\".\n\nDownload and install it?"
                       : "Eine Webseite m\xF6" "chte den Skin \"%s\" installieren.\n\nHerunterladen und installieren?",
                   key);
    return MessageBoxA(nullptr, text, "tunerdeck", MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

void cRadioPlayer::TellRefusedDownload() {
    const char* text = settings_.GetLanguage() == 2
                           ? "The downloaded update could not be verified and was deleted."
                           : "Das heruntergeladene Update konnte nicht gepr\xFC" "ft werden und wurde gel\xF6scht.";
    DebugLog(text, 1);
    // An accepted program update has closed the interface already.
    if (!uiUp_ || !SendStatus(const_cast<char*>(text), 0)) td::ShowPlayerMessage(text);
}

void cRadioPlayer::TellFailedUpdate() {
    const char* text = settings_.GetLanguage() == 2
                           ? "The program update could not be downloaded."
                           : "Das Programm-Update konnte nicht heruntergeladen werden.";
    DebugLog(text, 1);
    if (!uiUp_ || !SendStatus(const_cast<char*>(text), 0)) td::ShowPlayerMessage(text);
}

int cRadioPlayer::DownloadSkin(const char* key, unsigned long size) {
    cOnlineClient inet("", settings_.GetUserNameAuth(), settings_.GetUserPasswortAuth());
    if (interfaceServer_[0]) inet.SetServerName(interfaceServer_);
    const int savedMode = td::UpdateFlag();
    td::SetUpdateFlag(2);
    std::string address, local;
    bool installed = false;
    int got = 0;
    if (inet.GetDownloadlocation(key, &address) && !address.empty())
        got = inet.GetSkinUpdate(size, address.c_str(), &local);
    if (got == cOnlineClient::kRefusedCode) TellRefusedDownload();
    if (got == 1 && !local.empty()) {
        Stop(1);
        MyFileInfo info = {};
        std::string name;
        if (GetFileVersion(local.c_str(), &info)) name = info.OriginalFilename;
        if (td::IsInstallableSkinName(name)) {
            std::string target = std::string(td::ProgramFolder()) + "\\skins\\" + name;
            // The old skin goes only when the new one takes its place.
            if (MoveFileExA(local.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
                char current[201] = {};
                GetValue("SKIN", current, sizeof current);
                SetValue("LAST_SKIN", current);
                SetValue("SKIN", name.c_str());
                installed = true;
            }
        } else {
            WriteDebugLogF(1, "DownloadSkin: refused file name <%s>", name.c_str());
        }
        if (!installed) DeleteFileA(local.c_str());
    }
    td::SetUpdateFlag(savedMode);
    if (installed) return 1;
    td::ShowPlayerMessage(Message(14, settings_.GetLanguage()).c_str());
    return 0;
}
