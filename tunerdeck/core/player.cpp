#include "player.h"

#include <process.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app_start.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "debug_log.h"
#include "debugtext.h"
#include "player_globals.h"
#include "profiles.h"
#include "registry.h"
#include "requests.h"
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
std::string Message(unsigned id, int language, const char* german = "", const char* english = "") {
    char text[1024] = {};
    GetResourceString(GetBasekitModule(), id, language, text, sizeof text);
    if (!text[0]) return language == 2 ? english : german;
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
};

}  // namespace

char cRadioPlayer::interfaceServer_[256] = {};

void cPlayerListenTimer::Begin() { Restart(static_cast<uint32_t>(time(nullptr))); }

cRadioPlayer::cRadioPlayer(int errorFlag) : errorFlag_(errorFlag) {
    DebugLog("Creating instanze", 7);
    settings_.Load();
    store_.reset(new cUserDataStore(true));
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
    DebugLog("Creating instanze..ok", 7);
    localFile_ = 0;
}

cRadioPlayer::~cRadioPlayer() {
    state_ = 2;
    // Threads of the player end when they see state 2; give them a bounded time.
    for (int pass = 0; pass < kEndPasses && (jobFlags_ != 0 || clientThreadRunning_ || workers_); ++pass) {
        PumpMessages();
        state_ = 2;
    }
    SaveListenReports();
    skin_.Free();
    // Whatever still runs keeps what it uses; the process end reclaims it.
    if (clientThreadRunning_ || jobFlags_ || workers_) {
        DebugLog("threads still running at the end", 1);
        store_.release();
    }
}

void cRadioPlayer::ClientThread(void* arg) {
    auto* self = static_cast<cRadioPlayer*>(arg);
    auto* client = new cControlActiveX(static_cast<cControlOwner*>(self));
    self->client_ = client;
    client->Init();
    client->Run();
    self->client_ = nullptr;
    // Requests of other threads may still be on their way into it.
    Sleep(100);
    delete client;
    InterlockedExchange(&self->clientThreadRunning_, 0);
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
    if (skin_.Ready() && skin_.Has(td::kSetStreamRunInfo))
        skin_.Get<td::PfnSetStreamRunInfo>(td::kSetStreamRunInfo)(a, b, c, d);
}

void cRadioPlayer::Stop(int byUser) {
    if (client_) client_->RequestStop();
    if (state_ != 2) state_ = 1;
    stoppedByUser_ = byUser == 1 ? 1 : 0;
}

int cRadioPlayer::GetStationAirInfo(char* buffer100) {
    if (buffer100) bk::TextCopy(buffer100, 100, "0");
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

int cRadioPlayer::Start(int startArg) {
    DebugLog("Entering Start...", 7);
    restart_ = 0;

    {
        int type = 0, value = 0, folder = 0;
        int language = 0;
        GetAutoCutSettings(settings_.GetAutoCutMuster(), &type, &value, &folder, &language);
        settings_.SetAutoCutType(type);
        settings_.SetAutoCutValue(value);
    }

    if (startArg == 1) {
        char key[101] = {};
        unsigned long size = 0;
        GetValue("DownloadSkinKey", key, sizeof key);
        GetValue("DownloadSkinSize", &size);
        if (strlen(key) > 2) DownloadSkin(key, size);
    }

    DebugLog("Call InitSkin...", 7);
    bool ready = InitSkin();
    DebugLog("Call InitSkin...ok", 7);
    if (!ready) return 1;

    DebugLog("Send settings to Skin...", 7);
    skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
    DebugLog("Send settings to Skin...ok", 7);

    bk::TextFormat(skinFolder_, sizeof skinFolder_, "%s\\skins\\", td::ProgramFolder());
    ReadSkinId();
    if (IsOffline()) {
        char offline[512] = {};
        getOfflineSkinDir(offline);
        size_t n = strlen(offline);
        if (n > 0) offline[n - 1] = 0;
        bk::TextCopy(skinFolder_, sizeof skinFolder_, offline);
    }

    DebugLog("Call pfnPrepare...", 7);
    int result = skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 1);
    DebugLog("Call pfnPrepare...ok", 7);

    bool endNow = false;
    do {
        if (!skin_.Ready()) skin_.Free();
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
        if (restart_) {
            ReadSkinId();
            settings_.SetNavWinCX(0);
            settings_.SetNavWinCY(0);
            settings_.SetAdBannerCX(0);
            settings_.SetAdBannerCY(0);
            settings_.SetAdBannerCX_ENG(0);
            settings_.SetAdBannerCY_ENG(0);
            skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
            result = skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 0);
            restart_ = 0;
        }
        DebugLog("start skin...", 7);
        uiUp_ = 1;
        if (result != -1) result = skin_.Get<td::PfnBuildUp>(td::kBuildUp)(callback_, skinFolder_, startArg);
        {
            bk::ScopedLock lock(skinCallLock_);
            uiUp_ = 0;
        }
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
    {
        bk::ScopedLock lock(skinCallLock_);
        skin_.Free();
    }
    WaitForJobs(0x40);
    DebugLog("Leave Start", 7);
    return 0;
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
    td::StreamChoiceRules rules;
    rules.capabilities = GetCapabilities();
    rules.mode = mode;
    rules.autoSelect = settings_.GetAutoselectBandbreite();
    rules.internetAccess = settings_.GetInternetaccess();
    rules.attempt = attempt;
    rules.chosenWanted = chosen != nullptr;
    td::StreamChoice choice = td::ChooseStream(candidates, rules);
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
    stoppedByUser_ = 0;
    displayText_.clear();
    std::string name;
    int genre = 0;

    if (streamId == static_cast<uint32_t>(-1)) {
        currentStreamId_ = currentChannelId_ = static_cast<uint32_t>(-1);
        streamType_ = customStreamType_;
        currentAddress_ = addressBuffer_;
        // A custom stream of kind 1 (RealAudio or MP3) plays through Media Player without RealPlayer.
        if (streamType_ == kStreamReal && !(caps & 1)) {
            if (caps & 4)
                streamType_ = kStreamMp3;
            else if (caps & 2)
                streamType_ = kStreamWindowsMedia;
        }
        if (!(caps & td::CapabilityOfType(streamType_))) {
            char text[512];
            bk::TextFormat(text, sizeof text, "StreamFormat unbekannt! Bitte %s installieren",
                           td::EngineNameOfType(streamType_, language));
            SendStatus(text, 0);
            SendStatus(const_cast<char*>(""), 30 + streamType_);
            FinishedPlay(nullptr);
            return;
        }
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
                               Message(kMessageFormatUnknown, language, "StreamFormat unbekannt! Bitte %s installieren!",
                                       "StreamFormat unrecognised! Please install %s!")
                                   .c_str(),
                               td::EngineNameOfType(unplayableType, language));
                SendStatus(const_cast<char*>(""), 30 + unplayableType);
            } else {
                bk::TextFormat(text, sizeof text,
                               Message(kMessageNotInDatabase, language, "Sender %u nicht in der Datenbank",
                                       "Station %u is not in the database")
                                   .c_str(),
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
                genre = atoi(c->G.c_str());
            }
        }
        store_->UnlockChannelList();
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
            bk::TextFormat(text, sizeof text, "Sender %u nicht in der Datenbank", streamId);
            FinishedPlay(text);
            return;
        }
        currentChannelId_ = streamId;
    }

    SendStatus(const_cast<char*>("0"), 1);
    DebugLog("playcommand...", 7);
    if (streamId != static_cast<uint32_t>(-1)) {
        SetValue("LastStreamId", static_cast<unsigned long>(currentStreamId_));
        SetValue("LastChannelId", static_cast<unsigned long>(currentChannelId_));
        char text[1100];
        bk::TextFormat(text, sizeof text, "Play : %s ", currentAddress_.c_str());
        SendStatus(text, 0);
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
    if (displayText_.empty()) displayText_ = Message(kMessageUnknownStation, language, "unbekannter Sender", "Unknown station");
    listenTimer_.Begin();
    playingStreamId_ = static_cast<int>(currentStreamId_);
    if (client_) {
        WriteDebugLogF(7, "send play command (%s) (%d)...", currentAddress_.c_str(), streamType_);
        client_->PlayUrl(currentAddress_.c_str(), streamType_);
        DebugLog("send play command ok", 7);
    }
    state_ = 0;
    DebugLog("playcommand...ok", 7);
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
    facts.elapsedSeconds = static_cast<int32_t>(stop - start);
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

    RetryJob job{this, static_cast<uint32_t>(streamId), 0, currentChannelId_};
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
        uint32_t pause = j->attempt ? td::RetryPauseMs(j->attempt) : 500;
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

void cRadioPlayer::SetInterfaceServer(const char* host) { bk::TextCopy(interfaceServer_, host ? host : ""); }

void cRadioPlayer::SendListenReports() {
    // One upload at a time; records stay queued while one runs.
    if (!TrySetJob(kJobReports)) return;
    auto* batch = new UploadBatch{this, {}};
    {
        bk::ScopedLock lock(reportLock_);
        for (const ListenRecord& r : reports_)
            if (!(r.streamId == 0 && r.userUrl.empty())) batch->records.push_back(r);
        reports_.clear();
    }
    if (batch->records.empty() ||
        _beginthread(UploadThread, 0, batch) == static_cast<uintptr_t>(-1L)) {
        for (auto it = batch->records.rbegin(); it != batch->records.rend(); ++it) RequeueReport(*it);
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
    if (!ok)
        for (auto it = batch->records.rbegin(); it != batch->records.rend(); ++it) p->RequeueReport(*it);
    p->SendStatus(const_cast<char*>("SetPlayTime thread term"), 5);
    p->ClearJob(kJobReports);
}

void cRadioPlayer::SaveListenReports() {
    std::string text;
    {
        bk::ScopedLock lock(reportLock_);
        for (const ListenRecord& r : reports_) {
            std::string one;
            CUSERACTION(r).GetActionXml(&one);
            text += one;
        }
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

int cRadioPlayer::DownloadSkin(const char* key, unsigned long size) {
    cOnlineClient inet("", settings_.GetUserNameAuth(), settings_.GetUserPasswortAuth());
    if (interfaceServer_[0]) inet.SetServerName(interfaceServer_);
    const int savedMode = td::UpdateFlag();
    td::SetUpdateFlag(2);
    std::string address, local;
    bool installed = false;
    if (inet.GetDownloadlocation(key, &address) && !address.empty() &&
        inet.GetSkinUpdate(size, address.c_str(), &local) && !local.empty()) {
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
    td::ShowPlayerMessage(Message(14, settings_.GetLanguage(), "Download der Skin fehlgeschlagen!",
                                  "Skin download failed").c_str());
    return 0;
}
