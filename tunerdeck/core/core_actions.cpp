#include "core_actions.h"

#include <cstring>
#include <memory>

#include "bounded_text.h"
#include "player_globals.h"
#include "registry.h"
#include "settings.h"
#include "timerlist.h"
#include "user_data_store.h"

namespace td {

void cCoreActions::ListsChanged() {
    if (listsChanged_) listsChanged_();
}

void cCoreActions::SetFavorite(int stationId, int folder) {
    if (!store_ || stationId == 0) return;
    store_->LockUserLists();
    auto* f = static_cast<cValueElement*>(store_->GetFavoriten()->GetById(static_cast<unsigned long>(stationId)));
    if (!f) {
        f = new cValueElement;
        f->SetId(static_cast<unsigned long>(stationId));
        store_->GetFavoriten()->Add(f);
    }
    f->SetValue(folder);
    store_->UnlockUserLists();
    ListsChanged();
    store_->SaveFavoriten();
}

void cCoreActions::RemoveFavorite(int stationId) {
    if (!store_) return;
    store_->LockUserLists();
    cListElement* f = store_->GetFavoriten()->GetById(static_cast<unsigned long>(stationId));
    if (f) store_->GetFavoriten()->Delete(f);
    store_->UnlockUserLists();
    ListsChanged();
    store_->SaveFavoriten();
}

void cCoreActions::SetFolder(int folderId, const char* name) {
    if (!store_ || !name) return;
    // The folder file holds names of at most this many characters.
    char bounded[kMaxFolderName + 1];
    bk::TextCopy(bounded, sizeof bounded, name);
    name = bounded;
    store_->LockUserLists();
    cListe* folders = store_->GetListFolders();
    if (folderId != 0) {
        auto* f = static_cast<cNamedValueElement*>(folders->GetById(static_cast<unsigned long>(folderId)));
        if (f) f->SetName(name);
    } else {
        uint32_t id = 1;
        while (folders->GetById(id)) ++id;
        folders->Add(new cNamedValueElement(id, name, 0));
    }
    store_->UnlockUserLists();
    ListsChanged();
    store_->SaveListFolders();
}

void cCoreActions::RemoveFolder(int folderId) {
    if (!store_) return;
    store_->LockUserLists();
    cListElement* f = store_->GetListFolders()->GetById(static_cast<unsigned long>(folderId));
    if (f) store_->GetListFolders()->Delete(f);
    store_->UnlockUserLists();
    ListsChanged();
    store_->SaveListFolders();
}

void cCoreActions::SetUserStation(int id, const std::string (&fields)[9]) {
    if (!store_) return;
    static const char* const kOrder[9] = {"N", "K", "T", "L", "S", "IN", "F", "US", "UH"};
    bool created = false;
    int32_t stationId = id;
    store_->LockUserLists();
    cUserDefinedStations* own = store_->GetUserStations();
    if (own) {
        cUserDefinedStation* st = nullptr;
        for (auto& s : own->stations)
            if (s && s->GetId() == id) st = s.get();
        if (!st) {
            // A new station: one above the highest id, not the id the skin sent.
            stationId = own->GetNextId();
            own->stations.push_back(std::make_unique<cUserDefinedStation>());
            st = own->stations.back().get();
            created = true;
        }
        for (int i = 0; i < 9; ++i) st->Field(kOrder[i]) = fields[i];
        st->Field("Id") = std::to_string(stationId);
    }
    store_->UnlockUserLists();
    if (!own) return;
    if (created) InfoCallback(7, stationId, nullptr);
    store_->SaveUserStations();
    lister_.PushUserStations();
    ListsChanged();
}

void cCoreActions::DeleteUserStation(int id) {
    if (!store_) return;
    bool removed = false;
    store_->LockUserLists();
    if (cUserDefinedStations* own = store_->GetUserStations()) {
        for (auto it = own->stations.begin(); it != own->stations.end(); ++it)
            if (*it && (*it)->GetId() == id) {
                own->stations.erase(it);
                removed = true;
                break;
            }
    }
    store_->UnlockUserLists();
    if (!removed) return;
    store_->SaveUserStations();
    lister_.PushUserStations();
    ListsChanged();
    store_->SaveFavoriten();
}

int32_t cCoreActions::GetFileCount(const char* fileName) {
    return store_ && fileName ? store_->GetFileCount(fileName) : 0;
}

void cCoreActions::CountFile(const char* fileName) {
    if (store_ && fileName && *fileName) store_->CountFile(fileName);
}

std::string cCoreActions::DatabaseTime() { return settings_ ? settings_->GetDBTime() : ""; }

std::string cCoreActions::StationDetails(int channelId) {
    return lister_.StationDetails(static_cast<uint32_t>(channelId), Language());
}

const char* cCoreActions::ProgramFolder() { return td::ProgramFolder(); }

int cCoreActions::Language() { return settings_ ? settings_->GetLanguage() : 1; }

void cCoreActions::Search(const SearchCriteria& criteria) {
    lastSearch_ = criteria;
    cStationLister::SearchOptions o;
    o.language = Language();
    if (settings_) o.newStationDays = settings_->GetAlterNeueSender();
    o.cancelled = ending_;
    lister_.Search(criteria, o);
}

std::string cCoreActions::StationHomepage(int channelId) {
    if (!store_ || channelId == 0) return std::string();
    const uint32_t id = static_cast<uint32_t>(channelId);
    std::string page;
    if (id < kFirstUserStationId) {
        cListe* senders = store_->LockSenderList();
        cListe* channels = store_->LockChannelList();
        if (auto* ch = static_cast<cChannelElement*>(channels->GetById(id)))
            if (auto* se = static_cast<cSenderElement*>(senders->GetById(ch->SID))) page = se->GetHomepage();
        store_->UnlockChannelList();
        store_->UnlockSenderList();
        if (!page.empty()) return page;
    }
    store_->LockUserLists();
    if (cUserDefinedStations* own = store_->GetUserStations())
        for (auto& st : own->stations)
            if (st && static_cast<uint32_t>(st->GetId()) == id) page = st->Field("UH");
    store_->UnlockUserLists();
    return page;
}

void cCoreActions::TimerListChanged(void* timerList) {
    if (!store_) return;
    if (timerList) SaveTimerList(static_cast<cListe*>(timerList));
    store_->LockUserLists();
    store_->ReloadTimerList();
    store_->UnlockUserLists();
    lister_.PushTimerEntries(Language());
}

void cCoreActions::OpenProgrammTip(int id) {
    if (!store_) return;
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    store_->LoadProgrammtipps(&tips, -1);
    for (const auto& t : tips)
        if (t && atoi(t->tippId.c_str()) == id) {
            // A link from the server: only a web address reaches the shell.
            if (IsWebAddress(t->link.c_str())) OpenBrowser(t->link.c_str());
            return;
        }
}

void cCoreActions::PushProgrammTips() {
    if (!store_) return;
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    store_->LoadProgrammtipps(&tips, settings_ ? settings_->GetDeleteOldPrgTipps() : -1);
    char date[32] = {};
    GetValue("ProgrammtippsDate", date, sizeof date);
    lister_.PushProgrammTips(tips, date);
}

void cCoreActions::ReloadProgrammTips() {
    if (!store_) return;
    // The skin asks this to clear away ended tips: those whose start has passed.
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    store_->LoadProgrammtipps(&tips, 0);
    char date[32] = {};
    GetValue("ProgrammtippsDate", date, sizeof date);
    lister_.PushProgrammTips(tips, date);
}

void cCoreActions::PushUserLists() {
    lister_.PushUserStations();
    lister_.PushTimerEntries(Language());
    PushProgrammTips();
}

void cCoreActions::StartRecording(void* record) {
    recording_->StartRecording(record, displayText_ ? displayText_().c_str() : "");
}

void cCoreActions::ConvertToMp3(const void* record) {
    if (!record) return;
    ConvertOrder order;
    memcpy(&order, record, sizeof order);
    // A stop asked for an earlier conversion must not end this one.
    InterlockedExchange(&stopConversion_, 0);
    ConvertWavToMp3(&order, &stopConversion_, convertNotify_);
}

void cCoreActions::ApplyRecordFormat() {
    recording_->SetRecordFormat();
    if (!settings_ || !skin_.ReceiveStatus) return;
    char text[600];
    bk::TextFormat(text, sizeof text, "%s\x02%s\x02%d\x02%d\x02%d", settings_->GetRecordingFormat() == 1 ? "MP3" : "WAV",
                   settings_->GetQualityMuster(), settings_->GetQualitySPS(), settings_->GetQualityBPS(),
                   settings_->GetQualityNCH());
    skin_.ReceiveStatus(text, 52);
}

}  // namespace td
