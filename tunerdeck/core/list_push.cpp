#include "list_push.h"

#include <algorithm>
#include <ctime>
#include <vector>

#include "bounded_text.h"
#include "debug_log.h"
#include "registry.h"
#include "skin_binding.h"
#include "timerentry.h"
#include "user_data_store.h"

namespace td {

namespace {

const char kSep = '\x02';

// The mark bytes of the details texts must not come in with a station's own
// texts, or the skin would split a name into fields.
void AppendField(std::string* out, const std::string& text) {
    for (char c : text)
        if (c != '\x01' && c != '\x02' && c != '\x03' && c != '\x05') out->push_back(c);
}

void AppendNumber(std::string* out, long v) { *out += std::to_string(v); }

std::vector<long> SplitIds(const std::string& text) {
    std::vector<long> ids;
    cStationIndex::SplitIds(text, &ids);
    return ids;
}

bool Contains(const std::vector<long>& ids, long v) {
    for (long x : ids)
        if (x == v) return true;
    return false;
}

std::string UpperTrimmed(const char* text, size_t cap) {
    size_t n = 0;
    while (n < cap && text[n]) ++n;
    size_t b = 0;
    while (b < n && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (n > b && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
    std::string out;
    for (size_t i = b; i < n; ++i) out.push_back(static_cast<char>(cStationIndex::Upper(static_cast<unsigned char>(text[i]))));
    return out;
}

bool Contains(const long* ids, uint32_t n, long v) {
    for (uint32_t i = 0; i < n; ++i)
        if (ids[i] == v) return true;
    return false;
}

// The stream a details text names: the one the player would play, and
// whether an installed engine plays it.
const cStreamElement* ChosenStream(const std::vector<const cStreamElement*>& streams, const StreamChoiceRules& rules,
                                   bool* playable) {
    *playable = false;
    if (streams.empty()) return nullptr;
    std::vector<StreamCandidate> candidates;
    for (const cStreamElement* s : streams)
        candidates.push_back({s->GetId(), static_cast<int>(s->GetF()), static_cast<int32_t>(s->GetQ())});
    StreamChoiceRules first = rules;
    first.attempt = 1;
    const StreamChoice choice = ChooseStream(candidates, first);
    *playable = choice.found;
    return choice.index >= 0 ? streams[static_cast<size_t>(choice.index)] : streams.front();
}

std::string BuildDetails(const cChannelElement& ch, const cSenderElement* se,
                         const std::vector<const cStreamElement*>& streams, int language, const StreamChoiceRules& rules) {
    bool playable = false;
    const cStreamElement* st = ChosenStream(streams, rules, &playable);
    std::string d;
    if (se) AppendField(&d, se->GetName());
    d += kSep;
    AppendField(&d, ch.N);
    d += kSep;
    AppendField(&d, ch.G);
    d += kSep;
    AppendNumber(&d, se ? se->GetT() : 0);
    d += kSep;
    AppendNumber(&d, se ? se->GetL() : 0);
    d += kSep;
    AppendField(&d, ch.S);
    d += kSep;
    AppendNumber(&d, st ? static_cast<long>(st->GetQ()) : -1);
    d += kSep;
    AppendNumber(&d, st ? static_cast<long>(st->GetD()) : -1);
    d += kSep;
    d += '0';
    d += kSep;
    AppendField(&d, language == 2 ? ch.Tx_ENG : ch.Tx);
    d += kSep;
    d += playable ? '1' : '0';
    return d;
}

std::string Joined(const std::vector<std::string>& fields) {
    std::string d;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) d += kSep;
        AppendField(&d, fields[i]);
    }
    return d;
}

// An own station in the station-details form: name, a blank, genre, type,
// country and language ids, three zeros, description, playable; the own
// station list adds stream format, address and homepage.
std::string OwnDetails(cUserDefinedStation& st, bool full) {
    std::vector<std::string> f = {st.Field("N"), " ", st.Field("K"), st.Field("T"), st.Field("L"), st.Field("S"),
                                  "0", "0", "0", st.Field("IN"), "1"};
    if (full) {
        f.push_back(st.Field("F"));
        f.push_back(st.Field("US"));
        f.push_back(st.Field("UH"));
    }
    return Joined(f);
}

// The own station with that id; the caller holds the user-list lock.
cUserDefinedStation* FindOwn(cUserDataStore* store, uint32_t id) {
    cUserDefinedStations* own = store->GetUserStations();
    if (!own) return nullptr;
    for (auto& st : own->stations)
        if (st && static_cast<uint32_t>(st->GetId()) == id) return st.get();
    return nullptr;
}

// Looks one channel up with its station and streams; the caller holds the
// three station locks.
std::string DetailsLocked(cListe* senders, cListe* channels, cListe* streams, uint32_t channelId, int language,
                          const StreamChoiceRules& rules) {
    auto* ch = static_cast<cChannelElement*>(channels->GetById(channelId));
    if (!ch) return std::string();
    auto* se = static_cast<cSenderElement*>(senders->GetById(ch->SID));
    std::vector<const cStreamElement*> own;
    for (cListElement* e = streams->First(); e; e = e->Next()) {
        auto* s = static_cast<cStreamElement*>(e);
        if (s->GetCID() == channelId) own.push_back(s);
    }
    return BuildDetails(*ch, se, own, language, rules);
}

// What a details text takes from the rules besides the database: the stream
// the player would choose first, and whether an installed engine plays it.
std::string RulesKey(const StreamChoiceRules& r) {
    char key[96];
    bk::TextFormat(key, sizeof key, "%lu/%d/%d/%d/%d/%d/%d", r.capabilities, r.mode, r.autoSelect, r.internetAccess,
                   r.bandwidthClass, r.preferredType, r.chosenWanted ? 1 : 0);
    return key;
}

// Holds the station, channel and stream locks in the store's order.
class StationLocks {
public:
    explicit StationLocks(cUserDataStore* s) : s_(s) {
        senders = s_->LockSenderList();
        channels = s_->LockChannelList();
        streams = s_->LockStreamList();
    }
    ~StationLocks() {
        s_->UnlockStreamList();
        s_->UnlockChannelList();
        s_->UnlockSenderList();
    }
    StationLocks(const StationLocks&) = delete;
    StationLocks& operator=(const StationLocks&) = delete;
    cListe* senders;
    cListe* channels;
    cListe* streams;

private:
    cUserDataStore* s_;
};

long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

}  // namespace

void SkinListApi::Status(const char* text, int code) const {
    if (!ReceiveStatus) return;
    char buf[1024];
    bk::TextCopy(buf, sizeof buf, text ? text : "");
    ReceiveStatus(text ? buf : nullptr, code);
}

SkinListApi SkinListApiFrom(const cSkinBinding& skin, const volatile int* uiUp) {
    SkinListApi a;
    a.ClearList = skin.Get<decltype(a.ClearList)>(kClearList);
    a.AddToList = skin.Get<decltype(a.AddToList)>(kAddToList);
    a.AddToFavoriten = skin.Get<decltype(a.AddToFavoriten)>(kAddToFavoriten);
    a.AddToTopTen = skin.Get<decltype(a.AddToTopTen)>(kAddToTopTen);
    a.AddToPodcast = skin.Get<decltype(a.AddToPodcast)>(kAddToPodcast);
    a.SearchResult = skin.Get<decltype(a.SearchResult)>(kSearchResult);
    a.ReceiveStatus = skin.Get<decltype(a.ReceiveStatus)>(kReceiveStatus);
    a.AddUserDefinedSender = skin.Get<decltype(a.AddUserDefinedSender)>(kAddUserDefinedSender);
    a.AddToTimerEntrie = skin.Get<decltype(a.AddToTimerEntrie)>(kAddToTimerEntrie);
    a.AddToSkinDefinedSender = skin.Get<decltype(a.AddToSkinDefinedSender)>(kAddToSkinDefinedSender);
    a.AddToProgrammtipps = skin.Get<decltype(a.AddToProgrammtipps)>(kAddToProgrammtipps);
    a.GetDetails = skin.Get<decltype(a.GetDetails)>(kGetDetails);
    a.GetLastPlayedSender = skin.Get<decltype(a.GetLastPlayedSender)>(kGetLastPlayedSender);
    a.ShowInfo = skin.Get<decltype(a.ShowInfo)>(kShowInfo);
    a.uiUp = uiUp;
    return a;
}

const char* BandwidthClassText(int cls, int language) {
    switch (cls) {
        case 1: return "< 32 kbit/s - Modem";
        case 2: return "< 64 kbit/s - ISDN";
        case 3: return "32 - 64 kbit/s - ISDN";
        case 4: return "> 32 kbit/s - ISDN/DSL";
        case 5: return "> 64 kbit/s - DSL";
        default: return language == 1 ? "<Unbekannt>" : "<unknown>";
    }
}

bool DaysOfDateText(const char* text, size_t len, long* days) {
    if (!text || len < 8) return false;
    long v[3] = {};
    const int widths[3] = {4, 2, 2};
    size_t p = 0;
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < widths[f]; ++i, ++p) {
            if (text[p] < '0' || text[p] > '9') return false;
            v[f] = v[f] * 10 + (text[p] - '0');
        }
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31) return false;
    *days = DaysFromCivil(v[0], static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2]));
    return true;
}

std::string TodayText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[16];
    bk::TextFormat(buf, sizeof buf, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    return buf;
}

long TodayDays() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return DaysFromCivil(t.wYear, t.wMonth, t.wDay);
}

StreamChoiceRules cStationLister::Rules() const {
    if (streamRules_) return streamRules_();
    StreamChoiceRules all;
    all.capabilities = 1 | 2 | 4;
    all.chosenWanted = true;
    return all;
}

std::string cStationLister::StationDetails(uint32_t channelId, int language) {
    if (!store_) return std::string();
    if (channelId >= kFirstUserStationId) return UserStationDetails(channelId, false);
    StationLocks l(store_);
    return DetailsLocked(l.senders, l.channels, l.streams, channelId, language, Rules());
}

std::string cStationLister::UserStationDetails(uint32_t id, bool full) {
    if (!store_) return std::string();
    store_->LockUserLists();
    cUserDefinedStation* st = FindOwn(store_, id);
    const std::string d = st ? OwnDetails(*st, full) : std::string();
    store_->UnlockUserLists();
    return d;
}

std::string cStationLister::ProgrammTipText(const cProgrammtipp& t, const char* today) {
    const bool isNew = today && strlen(today) >= 8 && t.received.compare(0, 8, today, 8) == 0;
    return Joined({t.start, t.stop, t.title, t.genre, t.sender, t.channel, t.channelid, isNew ? "1" : "0", t.link,
                   t.timername});
}

void cStationLister::PushUserStations() {
    if (!store_ || !skin_.ClearList || !skin_.AddUserDefinedSender || !skin_.Up()) return;
    std::vector<std::pair<int32_t, std::string>> items;
    store_->LockUserLists();
    if (cUserDefinedStations* own = store_->GetUserStations())
        for (auto& st : own->stations)
            if (st) items.emplace_back(st->GetId(), OwnDetails(*st, true));
    store_->UnlockUserLists();
    skin_.ClearList(kListUserStations);
    for (size_t i = 0; i < items.size() && skin_.Up(); ++i)
        skin_.AddUserDefinedSender(items[i].second.c_str(), items[i].first);
    skin_.AddUserDefinedSender(nullptr, 0);
}

void cStationLister::PushTimerEntries(int language) {
    if (!store_ || !skin_.ClearList || !skin_.AddToTimerEntrie || !skin_.Up()) return;
    // Copies: the skin keeps its own, and the details need the station locks,
    // which come before the user-list lock.
    std::vector<std::unique_ptr<cTimerEntry>> entries;
    store_->LockUserLists();
    for (cListElement* e = store_->GetTimerList()->First(); e; e = e->Next())
        entries.emplace_back(new cTimerEntry(static_cast<const cTimerEntry*>(e)));
    store_->UnlockUserLists();
    for (auto& e : entries) {
        const std::string details = StationDetails(static_cast<uint32_t>(e->GetChannelID()), language);
        if (!details.empty()) e->SetSendername(details.c_str());
    }
    skin_.ClearList(kListTimers);
    for (size_t i = 0; i < entries.size() && skin_.Up(); ++i) skin_.AddToTimerEntrie(entries[i].get());
    skin_.AddToTimerEntrie(nullptr);
}

void cStationLister::PushSkinStations(const char* idList, int language) {
    if (!store_ || !skin_.ClearList || !skin_.AddToSkinDefinedSender || !skin_.Up()) return;
    std::vector<std::pair<long, std::string>> items;
    for (long id : SplitIds(idList ? idList : "")) {
        std::string details = StationDetails(static_cast<uint32_t>(id), language);
        if (!details.empty()) items.emplace_back(id, std::move(details));
    }
    skin_.ClearList(kListSkinStations);
    for (size_t i = 0; i < items.size() && skin_.Up(); ++i)
        skin_.AddToSkinDefinedSender(items[i].second.c_str(), static_cast<int>(items[i].first));
    skin_.AddToSkinDefinedSender(nullptr, 0);
}

void cStationLister::PushProgrammTips(const std::vector<std::unique_ptr<cProgrammtipp>>& tips, const char* date) {
    if (!skin_.ClearList || !skin_.AddToProgrammtipps || !skin_.Up()) return;
    const std::string today = TodayText();
    skin_.ClearList(kListProgrammTips);
    for (size_t i = 0; i < tips.size() && skin_.Up(); ++i) {
        if (!tips[i]) continue;
        const std::string text = ProgrammTipText(*tips[i], today.c_str());
        skin_.AddToProgrammtipps(text.c_str(), atoi(tips[i]->tippId.c_str()), nullptr);
    }
    skin_.AddToProgrammtipps(nullptr, 0, date ? date : "");
}

bool cStationLister::PushDetails(uint32_t channelId, int language) {
    if (!store_ || channelId == 0) return false;
    std::string line, name, regions, genres, languages, streams;
    int country = 0, type = 0;
    if (channelId >= kFirstUserStationId) {
        store_->LockUserLists();
        cUserDefinedStation* st = FindOwn(store_, channelId);
        if (st) {
            line = OwnDetails(*st, false);
            AppendField(&name, st->Field("N"));
            AppendField(&genres, st->Field("K"));
            AppendField(&languages, st->Field("S"));
            country = atoi(st->Field("L").c_str());
            type = atoi(st->Field("T").c_str());
            // One stream record: the station's own address.
            streams = "\x01" + std::to_string(static_cast<int32_t>(channelId)) + kSep + "0" + kSep + "0" + kSep;
            AppendField(&streams, st->Field("US"));
        }
        store_->UnlockUserLists();
        if (!st) return false;
    } else {
        StationLocks l(store_);
        auto* ch = static_cast<cChannelElement*>(l.channels->GetById(channelId));
        if (!ch) return false;
        auto* se = static_cast<cSenderElement*>(l.senders->GetById(ch->SID));
        std::vector<const cStreamElement*> own;
        for (cListElement* e = l.streams->First(); e; e = e->Next()) {
            auto* st = static_cast<cStreamElement*>(e);
            if (st->GetCID() != channelId) continue;
            own.push_back(st);
            // Per stream: id, second number, bandwidth and the digit of its type.
            streams += '\x01';
            streams += std::to_string(st->GetId()) + kSep + std::to_string(st->GetD()) + kSep +
                       std::to_string(st->GetQ()) + kSep + std::to_string(st->GetF() % 10);
        }
        line = BuildDetails(*ch, se, own, language, Rules());
        AppendField(&name, ch->N);
        AppendField(&regions, ch->R);
        AppendField(&genres, ch->G);
        AppendField(&languages, ch->S);
        country = se ? se->GetL() : 0;
        type = se ? se->GetT() : 0;
    }
    if (skin_.GetDetails && skin_.Up())
        skin_.GetDetails(line.c_str(), static_cast<int>(channelId), name.c_str(), regions.c_str(), country, type,
                         genres.c_str(), languages.c_str(), streams.c_str());
    return true;
}

uint32_t cStationLister::PushLastPlayed(int language) {
    if (!skin_.GetLastPlayedSender || !skin_.Up()) return 0;
    char text[16] = {};
    GetValue("LastChannelId", text, 11);
    // Own stations are stored as negative numbers: they wrap to their ids.
    const uint32_t id = static_cast<uint32_t>(strtoul(text, nullptr, 10));
    if (id) WaitForEngines();
    const std::string details = id ? StationDetails(id, language) : std::string();
    if (details.empty()) {
        skin_.GetLastPlayedSender(kPlayerTitle, 0);
        return 0;
    }
    skin_.GetLastPlayedSender(details.c_str(), static_cast<int>(id));
    PushDetails(id, language);
    return id;
}

void cStationLister::PushCategoryLists(int language) {
    if (!store_ || !skin_.ClearList || !skin_.AddToList || !skin_.Up()) return;
    const int base = language == 2 ? kStoreCategoriesPerLanguage : 0;
    struct Pair {
        int kind;
        int category;
    };
    const Pair order[] = {{kListLanguages, kStoreLanguage}, {kListStationTypes, kStoreKind},
                          {kListRegions, kStoreRegion},     {kListGenres1, kStoreTopGenre},
                          {kListCountries1, kStoreContinent}, {kListCountries2, kStoreCountry},
                          {kListGenres2, kStoreGenre}};
    {
        // The category lists are filled with the station database.
        cListe* senders = store_->LockSenderList();
        (void)senders;
        for (const Pair& p : order) {
            skin_.ClearList(p.kind);
            cListe* list = store_->GetCategoryList(base + p.category);
            for (cListElement* e = list ? list->First() : nullptr; e && skin_.Up(); e = e->Next()) {
                auto* nv = static_cast<cNamedValueElement*>(e);
                skin_.AddToList(p.kind, nv->GetName().c_str(), static_cast<int>(nv->GetId()), nv->GetValue());
            }
            skin_.AddToList(p.kind, nullptr, 0, 0);
        }
        store_->UnlockSenderList();
    }
    skin_.ClearList(kListFormats);
    const char* formats[] = {"RealAudio", "Windows Media", "MP3"};
    for (int i = 0; i < 3 && skin_.Up(); ++i) skin_.AddToList(kListFormats, formats[i], i + 1, 0);
    skin_.AddToList(kListFormats, nullptr, 0, 0);
    skin_.ClearList(kListBandwidth);
    for (int c = 1; c <= 5 && skin_.Up(); ++c) skin_.AddToList(kListBandwidth, BandwidthClassText(c, language), c, 0);
    skin_.AddToList(kListBandwidth, nullptr, 0, 0);
    skin_.Status(nullptr, 2);
}

void cStationLister::PushFavorites(int language) {
    if (!store_ || !skin_.ClearList || !skin_.AddToFavoriten || !skin_.Up()) return;
    struct Fav {
        uint32_t id;
        int32_t folder;
    };
    std::vector<Fav> favs;
    std::vector<std::pair<uint32_t, std::string>> folders;
    bool changed = false;
    store_->LockUserLists();
    cListe* folderList = store_->GetListFolders();
    for (cListElement* e = folderList->First(); e; e = e->Next())
        folders.emplace_back(static_cast<uint32_t>(e->GetId()), static_cast<cNamedValueElement*>(e)->GetName());
    for (cListElement* e = store_->GetFavoriten()->First(); e; e = e->Next()) {
        auto* f = static_cast<cValueElement*>(e);
        // A favourite in a folder that is gone shows under all favourites.
        if (f->GetValue() != 0 && !folderList->GetById(static_cast<unsigned long>(f->GetValue()))) {
            f->SetValue(0);
            changed = true;
        }
        favs.push_back({static_cast<uint32_t>(f->GetId()), f->GetValue()});
    }
    store_->UnlockUserLists();
    if (changed) store_->SaveFavoriten();
    WaitForEngines();
    const StreamChoiceRules rules = Rules();

    // Details outside the user-list lock: the station locks come first.
    std::vector<std::string> details;
    {
        StationLocks l(store_);
        for (const Fav& f : favs) details.push_back(DetailsLocked(l.senders, l.channels, l.streams, f.id, language, rules));
    }
    skin_.ClearList(kListFavorites);
    for (size_t i = 0; i < favs.size() && skin_.Up(); ++i)
        skin_.AddToFavoriten(details[i].c_str(), static_cast<int>(favs[i].id), favs[i].folder);
    skin_.ClearList(kListFolders);
    for (size_t i = 0; i < folders.size() && skin_.Up(); ++i)
        skin_.AddToFavoriten(folders[i].second.c_str(), 0, static_cast<int>(folders[i].first));
    skin_.AddToFavoriten(nullptr, 0, 0);
}

void cStationLister::PushTopStations(int language, const char* date) {
    if (!store_ || !skin_.ClearList || !skin_.AddToTopTen || !skin_.Up()) return;
    std::vector<uint32_t> ids;
    cListe* tops = store_->LockTopSender();
    for (cListElement* e = tops->First(); e; e = e->Next()) ids.push_back(static_cast<uint32_t>(e->GetId()));
    store_->UnlockTopSender();
    WaitForEngines();
    const StreamChoiceRules rules = Rules();
    std::vector<std::string> details;
    {
        StationLocks l(store_);
        for (uint32_t id : ids) details.push_back(DetailsLocked(l.senders, l.channels, l.streams, id, language, rules));
    }
    skin_.ClearList(kListTopStations);
    for (size_t i = 0; i < ids.size() && skin_.Up(); ++i)
        skin_.AddToTopTen(details[i].c_str(), static_cast<int>(ids[i]), nullptr);
    skin_.AddToTopTen(nullptr, 0, date ? date : "");
}

void cStationLister::PushPodcasts() {
    if (!store_ || !skin_.ClearList || !skin_.AddToPodcast || !skin_.Up()) return;
    std::vector<cNamedValueElement> items;
    store_->LockUserLists();
    for (cListElement* e = store_->GetPodcasts()->First(); e; e = e->Next()) {
        auto* p = static_cast<cNamedValueElement*>(e);
        items.emplace_back(static_cast<uint32_t>(p->GetId()), p->GetName(), p->GetValue());
    }
    store_->UnlockUserLists();
    skin_.ClearList(kListPodcasts);
    for (size_t i = 0; i < items.size() && skin_.Up(); ++i)
        skin_.AddToPodcast(items[i].GetName().c_str(), static_cast<int>(items[i].GetId()), items[i].GetValue());
    skin_.AddToPodcast(nullptr, 0, 0);
}

void cStationLister::AddPodcast(const char* address) {
    if (!store_ || !address || !*address) return;
    store_->LockUserLists();
    for (cListElement* e = store_->GetPodcasts()->First(); e; e = e->Next()) {
        if (lstrcmpiA(static_cast<cNamedValueElement*>(e)->GetName().c_str(), address) == 0) {
            store_->UnlockUserLists();
            skin_.Status("5", 71);
            return;
        }
    }
    // One above the highest id: after a deletion the count would repeat an id.
    const uint32_t id = store_->NextPodcastId();
    store_->GetPodcasts()->Add(new cNamedValueElement(id, address, 1));
    store_->UnlockUserLists();
    store_->SavePodcasts();
    if (skin_.AddToPodcast && skin_.Up()) {
        skin_.AddToPodcast(address, static_cast<int>(id), 1);
        skin_.AddToPodcast(nullptr, 0, 0);
    }
}

void cStationLister::SetPodcastSubscribed(uint32_t id, bool subscribed) {
    if (!store_) return;
    store_->LockUserLists();
    auto* p = static_cast<cNamedValueElement*>(store_->GetPodcasts()->GetById(id));
    if (p) p->SetValue(subscribed ? 1 : 0);
    store_->UnlockUserLists();
    if (p) store_->SavePodcasts();
}

void cStationLister::DeletePodcast(uint32_t id) {
    if (!store_) return;
    store_->LockUserLists();
    cListElement* p = store_->GetPodcasts()->GetById(id);
    if (p) store_->GetPodcasts()->Delete(p);
    store_->UnlockUserLists();
    if (p) store_->SavePodcasts();
}

int cStationLister::Search(const SearchCriteria& c, const SearchOptions& o) {
    if (!store_) return 0;
    for (int i = 0; i < 3000 && !store_->IsLoaded() && store_->IsLoading(); ++i) {
        if (o.cancelled && o.cancelled()) return 0;
        Sleep(20);
    }
    const std::string name = UpperTrimmed(c.name, sizeof c.name);
    WriteDebugLogF(7, "Searchparams: %s,%d,%d,%d,%d,%d,%d,%d,%d,%d", name.empty() ? "--" : name.c_str(),
                   c.upperGenre, c.country, c.region, c.language, c.streamType, c.stationType, c.bandwidthClass,
                   c.countryGroup, c.genreGroup);

    StationLocks l(store_);
    // Group criteria become id sets; a group without members finds nothing.
    auto groupMembers = [&](int category, int group) {
        std::vector<long> ids;
        cListe* list = store_->GetCategoryList(category);
        for (cListElement* e = list ? list->First() : nullptr; e; e = e->Next())
            if (static_cast<cNamedValueElement*>(e)->GetValue() == group) ids.push_back(static_cast<long>(e->GetId()));
        return ids;
    };
    const bool genreGiven = c.upperGenre != 0 || c.genreGroup != 0;
    const std::vector<long> genres =
        c.upperGenre ? std::vector<long>{c.upperGenre} : (c.genreGroup ? groupMembers(kStoreGenre, c.genreGroup) : std::vector<long>{});
    const bool countryGiven = c.country != 0 || c.countryGroup != 0;
    const std::vector<long> countries =
        c.country ? std::vector<long>{c.country} : (c.countryGroup ? groupMembers(kStoreCountry, c.countryGroup) : std::vector<long>{});
    const bool streamGiven = (c.bandwidthClass >= 1 && c.bandwidthClass <= 5) || c.streamType != 0;
    const long today = o.today ? o.today : TodayDays();

    cStationIndex& index = store_->StationIndexLocked();
    const std::vector<cStationIndex::Channel>& all = index.Channels();
    const StreamChoiceRules rules = Rules();

    // The candidates: the channels of the narrowest criterion that the index
    // lists values for; every candidate is still checked against them all.
    const std::vector<uint32_t>* narrowest = nullptr;
    std::vector<uint32_t> merged;
    bool none = false;
    auto narrow = [&](const cStationIndex::Postings& postings, const std::vector<long>& values) {
        if (none) return;
        if (values.size() == 1) {
            const auto it = postings.find(values[0]);
            if (it == postings.end()) none = true;
            else if (!narrowest || it->second.size() < narrowest->size()) narrowest = &it->second;
            return;
        }
        if (values.empty()) {
            none = true;
            return;
        }
        // A group: the union of its members' channels, once each, in list order.
        size_t size = 0;
        for (long v : values) {
            const auto it = postings.find(v);
            if (it != postings.end()) size += it->second.size();
        }
        if (narrowest && size >= narrowest->size()) return;
        merged.clear();
        for (long v : values) {
            const auto it = postings.find(v);
            if (it != postings.end()) merged.insert(merged.end(), it->second.begin(), it->second.end());
        }
        std::sort(merged.begin(), merged.end());
        merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
        if (merged.empty()) none = true;
        narrowest = &merged;
    };
    if (genreGiven) narrow(index.ByGenre(), genres);
    if (c.language) narrow(index.ByLanguage(), {static_cast<long>(c.language)});
    if (c.stationType) narrow(index.ByType(), {static_cast<long>(c.stationType)});
    if (countryGiven) narrow(index.ByCountry(), countries);
    if (c.region) narrow(index.ByRegion(), {static_cast<long>(c.region)});

    const int total = static_cast<int>(all.size());
    int walked = 0, hits = 0;
    // Progress every 100 channels of the list, as if each were looked at.
    auto walkTo = [&](int position) {
        for (int next = (walked / 100 + 1) * 100; next <= position && skin_.SearchResult; next += 100)
            skin_.SearchResult(nullptr, static_cast<int>(static_cast<long long>(next) * 100 / total));
        walked = position;
    };
    const char* names = index.UpperNames();
    auto check = [&](const cStationIndex::Channel& x) {
        if (!name.empty()) {
            const char* from = names + x.nameAt;
            const char* to = from + x.nameLength;
            if (std::search(from, to, name.begin(), name.end()) == to) return false;
        }
        if (genreGiven) {
            bool any = false;
            const long* g = index.IdsOf(x.genres);
            for (uint32_t i = 0; i < x.genres.count && !any; ++i) any = Contains(genres, g[i]);
            if (!any) return false;
        }
        if (c.language && !Contains(index.IdsOf(x.languages), x.languages.count, c.language)) return false;
        if (c.stationType && x.type != c.stationType) return false;
        if (countryGiven && !(x.sender && Contains(countries, x.sender->GetL()))) return false;
        if (c.region && !Contains(index.IdsOf(x.regions), x.regions.count, c.region)) return false;
        if (streamGiven) {
            bool any = false;
            const cStreamElement* const* s = index.StreamsOf(x);
            for (uint32_t i = 0; i < x.streamCount && !any; ++i)
                any = InBandwidthClass(c.bandwidthClass, static_cast<long>(s[i]->GetQ())) &&
                      (c.streamType == 0 || s[i]->GetF() == c.streamType);
            if (!any) return false;
        }
        if (c.newStations) {
            long d = 0;
            const std::string& date = x.channel->D;
            if (!DaysOfDateText(date.c_str(), date.size(), &d) || d < today - o.newStationDays) return false;
        }
        return true;
    };
    // Every channel's details text in the asked language, made by the first
    // search after a load or after a change of the installed engines; a hit
    // then costs no more than its call.
    const int slot = o.language == 2 ? 1 : 0;
    cStationIndex::Texts& details = index.CachedTexts(slot);
    const std::string key = RulesKey(rules);
    if (skin_.SearchResult && (details.at.size() != all.size() || details.key != key)) {
        details.key = key;
        details.bytes.clear();
        details.at.clear();
        details.at.reserve(all.size());
        std::vector<const cStreamElement*> own;
        for (const cStationIndex::Channel& x : all) {
            own.assign(index.StreamsOf(x), index.StreamsOf(x) + x.streamCount);
            details.at.push_back(static_cast<uint32_t>(details.bytes.size()));
            details.bytes += BuildDetails(*x.channel, x.sender, own, o.language, rules);
            details.bytes.push_back('\0');
        }
    }
    auto take = [&](uint32_t at) {
        ++hits;
        if (skin_.SearchResult)
            skin_.SearchResult(details.bytes.data() + details.at[at], static_cast<int>(all[at].channel->GetId()));
    };
    bool stopped = false;
    if (!none && narrowest) {
        for (uint32_t at : *narrowest) {
            if (o.cancelled && o.cancelled()) {
                stopped = true;
                break;
            }
            walkTo(static_cast<int>(at) + 1);
            if (check(all[at])) take(at);
        }
    } else if (!none) {
        for (int at = 0; at < total; ++at) {
            if (o.cancelled && o.cancelled()) {
                stopped = true;
                break;
            }
            walkTo(at + 1);
            if (check(all[static_cast<size_t>(at)])) take(static_cast<uint32_t>(at));
        }
    }
    if (!stopped) walkTo(total);
    skin_.Status("", 7);
    return hits;
}

}  // namespace td
