// List pushes, station details and the station search over a user data store
// in a temporary user folder, against a recording double of the skin
// engine's list functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "list_push.h"
#include "online_host.h"
#include "registry.h"
#include "tdtest.h"
#include "timerentry.h"
#include "user_data_store.h"

namespace {

// ---- recording double of facetkit's list functions
std::mutex g_mu;
std::vector<std::string> g_calls;

void Rec(std::string line) {
    std::lock_guard<std::mutex> l(g_mu);
    g_calls.push_back(std::move(line));
}
std::string T(const char* s) { return s ? std::string(s) : std::string("(null)"); }

void DClear(int kind) { Rec("ClearList " + std::to_string(kind)); }
void DAddToList(int kind, const char* text, int id, int parent) {
    Rec("AddToList " + std::to_string(kind) + " " + T(text) + " " + std::to_string(id) + " " + std::to_string(parent));
}
void DFav(const char* text, int id, int folder) {
    Rec("AddToFavoriten " + T(text) + " " + std::to_string(id) + " " + std::to_string(folder));
}
void DTop(const char* text, int id, const char* date) {
    Rec("AddToTopTen " + T(text) + " " + std::to_string(id) + " " + T(date));
}
void DPod(const char* address, int id, int sub) {
    Rec("AddToPodcast " + T(address) + " " + std::to_string(id) + " " + std::to_string(sub));
}
std::vector<int> g_hits;
std::vector<std::string> g_hitTexts;
int g_progress = 0;
void DSearch(const char* text, int id) {
    if (!text) {
        ++g_progress;
        return;
    }
    std::lock_guard<std::mutex> l(g_mu);
    g_hits.push_back(id);
    g_hitTexts.push_back(text);
}
int DStatus(char* text, int code) {
    Rec("Status " + std::to_string(code) + " " + T(text));
    return 0;
}

void DOwn(const char* text, int id) { Rec("AddUserDefinedSender " + T(text) + " " + std::to_string(id)); }
void DTimer(cTimerEntry* e) {
    Rec(e ? "AddToTimerEntrie " + std::to_string(e->GetId()) + " " + e->GetSendername() : "AddToTimerEntrie (null)");
}
void DSkinStation(const char* text, int id) { Rec("AddToSkinDefinedSender " + T(text) + " " + std::to_string(id)); }
void DTip(const char* text, int id, const char* date) {
    Rec("AddToProgrammtipps " + T(text) + " " + std::to_string(id) + " " + T(date));
}
void DDetails(const char* line, int id, const char* name, const char* regions, int country, int type,
              const char* genres, const char* languages, const char* streams) {
    Rec("GetDetails " + std::to_string(id) + " [" + T(line) + "] " + T(name) + " r" + T(regions) + " c" +
        std::to_string(country) + " t" + std::to_string(type) + " g" + T(genres) + " l" + T(languages) + " [" +
        T(streams) + "]");
}
void DLast(const char* text, int id) { Rec("GetLastPlayedSender " + T(text) + " " + std::to_string(id)); }

td::SkinListApi Double(const volatile int* uiUp = nullptr) {
    td::SkinListApi a;
    a.ClearList = DClear;
    a.AddToList = DAddToList;
    a.AddToFavoriten = DFav;
    a.AddToTopTen = DTop;
    a.AddToPodcast = DPod;
    a.SearchResult = DSearch;
    a.ReceiveStatus = DStatus;
    a.AddUserDefinedSender = DOwn;
    a.AddToTimerEntrie = DTimer;
    a.AddToSkinDefinedSender = DSkinStation;
    a.AddToProgrammtipps = DTip;
    a.GetDetails = DDetails;
    a.GetLastPlayedSender = DLast;
    a.uiUp = uiUp;
    return a;
}

// Details fields 0x02-separated, records 0x01: "|" and "#" are easier to
// read in expectations.
std::string Readable(std::string s) {
    for (char& c : s) {
        if (c == '\x02') c = '|';
        if (c == '\x01') c = '#';
    }
    return s;
}
std::vector<std::string> Readable(std::vector<std::string> v) {
    for (std::string& s : v) s = Readable(s);
    return v;
}

struct StationSpec {
    uint32_t id;
    const char* name;
    const char* genres;     // channel G
    const char* languages;  // channel S
    const char* type;       // channel T
    const char* country;    // station L
    const char* region;     // channel R
    const char* date;       // channel D
    int streamType;         // 0: no stream
    int kbit;
};

class ListPushTest : public ::testing::Test {
protected:
    ListPushTest() : reg_(GetSettingsKeyName()), user_("lpuser"), program_("lpprog") {
        SetValue("PathUser", user_.Path().c_str());
        online::SetProgramFolder(program_.Path());
        store_.reset(new cUserDataStore(false));
        g_calls.clear();
        g_hits.clear();
        g_hitTexts.clear();
        g_progress = 0;
    }
    ~ListPushTest() override {
        store_.reset();
        online::SetProgramFolder("");
    }

    void AddStation(const StationSpec& s) {
        cSenderDoc se;
        se.N = std::string("Parent ") + s.name;
        se.Id = std::to_string(s.id);
        se.T = "1";
        se.L = s.country;
        cChannelDoc ch;
        ch.N = s.name;
        ch.Id = std::to_string(s.id);
        ch.SID = std::to_string(s.id);
        ch.G = s.genres;
        ch.S = s.languages;
        ch.T = s.type;
        ch.R = s.region;
        ch.D = s.date;
        ch.Tx = "Deutsch";
        ch.Tx_ENG = "English";
        store_->LockSenderList()->Add(new cSenderElement(se));
        store_->LockChannelList()->Add(new cChannelElement(ch));
        if (s.streamType) {
            cStreamDoc st;
            st.Id = s.id + 500000;
            st.CID = s.id;
            st.F = static_cast<uint8_t>(s.streamType);
            st.Q = s.kbit;
            st.U = "http://example/" + std::to_string(s.id);
            store_->LockStreamList()->Add(new cStreamElement(st));
            store_->UnlockStreamList();
        }
        store_->UnlockChannelList();
        store_->UnlockSenderList();
    }
    void AddCategory(int category, uint32_t id, const char* de, const char* en, int32_t parent) {
        store_->GetCategoryList(category)->Add(new cNamedValueElement(id, de, parent));
        store_->GetCategoryList(kStoreCategoriesPerLanguage + category)->Add(new cNamedValueElement(id, en, parent));
    }
    void AddFavorite(uint32_t id, int32_t folder) {
        auto* e = new cValueElement;
        e->SetId(id);
        e->SetValue(folder);
        store_->GetFavoriten()->Add(e);
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder user_, program_;
    std::unique_ptr<cUserDataStore> store_;
};

const StationSpec kStations[] = {
    // id  name             genres  lang  type country region date       type kbit
    {1, "Rock Antenne", "10;11", "1", "1", "49", "3", "20261201", 3, 128},
    {2, "Jazz Welle", "20", "1;2", "2", "49", "4", "20200101", 2, 24},
    {3, "rock radio one", "11", "2", "1", "44", "5", "20261205", 1, 48},
    {4, "Nachrichten", "30", "1", "1", "43", "3", "2026", 3, 64},
    {5, "Stummer Sender", "10", "1", "1", "49", "3", "20261201", 0, 0},
};

class ListPushFixture : public ListPushTest {
protected:
    ListPushFixture() {
        for (const StationSpec& s : kStations) AddStation(s);
        AddCategory(kStoreGenre, 10, "Rock", "Rock", 100);
        AddCategory(kStoreGenre, 11, "Hardrock", "Hard rock", 100);
        AddCategory(kStoreGenre, 20, "Jazz", "Jazz", 200);
        AddCategory(kStoreTopGenre, 100, "Rock & Pop", "Rock & pop", 0);
        AddCategory(kStoreCountry, 49, "Deutschland", "Germany", 7);
        AddCategory(kStoreCountry, 43, "Österreich", "Austria", 7);
        AddCategory(kStoreCountry, 44, "England", "England", 8);
        AddCategory(kStoreLanguage, 1, "Deutsch", "German", 0);
    }
};

TEST_F(ListPushFixture, StationDetailsCarryElevenFieldsAndNoMarkBytes) {
    td::cStationLister lister(store_.get(), Double());
    EXPECT_EQ("Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|1", Readable(lister.StationDetails(1, 1)));
    EXPECT_EQ("Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|English|1", Readable(lister.StationDetails(1, 2)));
    // No stream: bandwidth and second number -1, not playable.
    EXPECT_EQ("Parent Stummer Sender|Stummer Sender|10|1|49|1|-1|-1|0|Deutsch|0", Readable(lister.StationDetails(5, 1)));
    EXPECT_EQ("", lister.StationDetails(999, 1));

    StationSpec bad = {6, "Evil\x02Name\x01", "1", "1", "1", "1", "1", "20260101", 3, 32};
    AddStation(bad);
    EXPECT_EQ("Parent EvilName|EvilName|1|1|1|1|32|0|0|Deutsch|1", Readable(lister.StationDetails(6, 1)));

    // Playable only with an installed engine for one of its streams (here MP3).
    td::StreamChoiceRules noMp3;
    noMp3.capabilities = 1 | 2;
    noMp3.chosenWanted = true;
    lister.SetStreamRules([&] { return noMp3; });
    EXPECT_EQ("Parent EvilName|EvilName|1|1|1|1|32|0|0|Deutsch|0", Readable(lister.StationDetails(6, 1)));
    noMp3.capabilities = 4;
    EXPECT_EQ("Parent EvilName|EvilName|1|1|1|1|32|0|0|Deutsch|1", Readable(lister.StationDetails(6, 1)));
}

TEST_F(ListPushFixture, FavoritesPushMovesFavouritesOfDeletedFoldersToAll) {
    store_->GetListFolders()->Add(new cNamedValueElement(3, "Meine", 0));
    AddFavorite(1, 3);
    AddFavorite(2, 9);   // folder 9 no longer exists
    td::cStationLister(store_.get(), Double()).PushFavorites(1);

    ASSERT_EQ(6u, g_calls.size());
    EXPECT_EQ("ClearList 7", g_calls[0]);
    EXPECT_EQ(0u, g_calls[1].find("AddToFavoriten Parent Rock Antenne"));
    EXPECT_EQ(" 1 3", g_calls[1].substr(g_calls[1].size() - 4));
    EXPECT_EQ(" 2 0", g_calls[2].substr(g_calls[2].size() - 4));
    EXPECT_EQ("ClearList 11", g_calls[3]);
    EXPECT_EQ("AddToFavoriten Meine 0 3", g_calls[4]);
    EXPECT_EQ("AddToFavoriten (null) 0 0", g_calls[5]);
    EXPECT_EQ(0, static_cast<cValueElement*>(store_->GetFavoriten()->GetById(2))->GetValue());
    EXPECT_TRUE(user_.Exists("radiofa.rdb"));   // the repair is stored
}

TEST_F(ListPushFixture, TopStationsAndCategoryListsEndEverySeries) {
    auto* tops = store_->LockTopSender();
    auto* e = new cValueElement;
    e->SetId(3);
    tops->Add(e);
    store_->UnlockTopSender();
    td::cStationLister lister(store_.get(), Double());
    lister.PushTopStations(2, "20261210");
    ASSERT_EQ(3u, g_calls.size());
    EXPECT_EQ("ClearList 8", g_calls[0]);
    EXPECT_EQ("AddToTopTen Parent rock radio one\x02rock radio one\x02" "11\x02" "1\x02" "44\x02" "2\x02" "48\x02" "0\x02"
              "0\x02" "English\x02" "1 3 (null)",
              g_calls[1]);
    EXPECT_EQ("AddToTopTen (null) 0 20261210", g_calls[2]);

    g_calls.clear();
    lister.PushCategoryLists(2);
    std::vector<std::string> clears, ends;
    for (const std::string& c : g_calls) {
        if (c.rfind("ClearList", 0) == 0) clears.push_back(c.substr(10));
        if (c.find(" (null) 0 0") != std::string::npos) ends.push_back(c.substr(10, c.find(' ', 10) - 10));
    }
    EXPECT_EQ((std::vector<std::string>{"1", "0", "2", "4", "3", "6", "5", "10", "12"}), clears);
    EXPECT_EQ(clears, ends);
    EXPECT_NE(g_calls.end(), std::find(g_calls.begin(), g_calls.end(), "AddToList 6 Austria 43 7"));
    EXPECT_NE(g_calls.end(), std::find(g_calls.begin(), g_calls.end(), "AddToList 10 Windows Media 2 0"));
    EXPECT_NE(g_calls.end(), std::find(g_calls.begin(), g_calls.end(), "AddToList 12 > 64 kbit/s - DSL 5 0"));
    EXPECT_EQ("Status 2 (null)", g_calls.back());
}

TEST_F(ListPushFixture, StationListsWaitForTheEnginesBeforeTheirDetails) {
    AddFavorite(1, 0);
    SetValue("LastChannelId", "1");
    td::cStationLister lister(store_.get(), Double());
    lister.SetEngineWait([] { Rec("WaitForEngines"); });
    lister.PushFavorites(1);
    lister.PushTopStations(1, "");
    lister.PushLastPlayed(1);
    std::vector<std::string> firsts;
    for (size_t i = 0; i + 1 < g_calls.size(); ++i)
        if (g_calls[i] == "WaitForEngines") firsts.push_back(g_calls[i + 1].substr(0, g_calls[i + 1].find(' ')));
    EXPECT_EQ((std::vector<std::string>{"ClearList", "ClearList", "GetLastPlayedSender"}), firsts);
}

TEST_F(ListPushFixture, NothingIsPushedWhileTheUserInterfaceIsDown) {
    volatile int up = 0;
    AddFavorite(1, 0);
    td::cStationLister lister(store_.get(), Double(&up));
    lister.PushFavorites(1);
    lister.PushPodcasts();
    lister.PushCategoryLists(1);
    EXPECT_TRUE(g_calls.empty());
    td::SkinListApi unbound = Double();
    unbound.AddToTopTen = nullptr;
    td::cStationLister(store_.get(), unbound).PushTopStations(1, "");
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(ListPushFixture, PodcastsKeepOneEntryPerAddressAndNeverReuseIds) {
    td::cStationLister lister(store_.get(), Double());
    lister.AddPodcast("http://feeds.example/a.xml");
    lister.AddPodcast("http://feeds.example/b.xml");
    EXPECT_EQ((std::vector<std::string>{"AddToPodcast http://feeds.example/a.xml 0 1", "AddToPodcast (null) 0 0",
                                        "AddToPodcast http://feeds.example/b.xml 1 1", "AddToPodcast (null) 0 0"}),
              g_calls);
    g_calls.clear();
    lister.AddPodcast("HTTP://FEEDS.EXAMPLE/A.XML");
    EXPECT_EQ((std::vector<std::string>{"Status 71 5"}), g_calls);

    lister.DeletePodcast(0);
    lister.AddPodcast("http://feeds.example/c.xml");   // count is 1 again; id must not be 1
    lister.SetPodcastSubscribed(1, false);
    g_calls.clear();
    lister.PushPodcasts();
    EXPECT_EQ((std::vector<std::string>{"ClearList 18", "AddToPodcast http://feeds.example/b.xml 1 0",
                                        "AddToPodcast http://feeds.example/c.xml 2 1", "AddToPodcast (null) 0 0"}),
              g_calls);
    lister.AddPodcast(nullptr);   // ignored
}

td::SearchCriteria Criteria(const char* name = "") {
    td::SearchCriteria c = {};
    lstrcpynA(c.name, name, sizeof c.name);
    return c;
}

TEST_F(ListPushFixture, SearchFindsByEveryCriterion) {
    struct Case {
        const char* what;
        td::SearchCriteria c;
        std::vector<int> ids;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, void (*set)(td::SearchCriteria*), std::vector<int> ids) {
        Case k{what, Criteria(), ids};
        set(&k.c);
        cases.push_back(k);
    };
    add("nothing given", [](td::SearchCriteria*) {}, {1, 2, 3, 4, 5});
    add("name, trimmed, any case", [](td::SearchCriteria* c) { lstrcpyA(c->name, "  rOcK "); }, {1, 3});
    add("genre", [](td::SearchCriteria* c) { c->upperGenre = 11; }, {1, 3});
    add("genre group", [](td::SearchCriteria* c) { c->genreGroup = 100; }, {1, 3, 5});
    add("genre group without members", [](td::SearchCriteria* c) { c->genreGroup = 555; }, {});
    add("language", [](td::SearchCriteria* c) { c->language = 2; }, {2, 3});
    add("station type", [](td::SearchCriteria* c) { c->stationType = 2; }, {2});
    add("country", [](td::SearchCriteria* c) { c->country = 49; }, {1, 2, 5});
    add("country group", [](td::SearchCriteria* c) { c->countryGroup = 7; }, {1, 2, 4, 5});
    add("region", [](td::SearchCriteria* c) { c->region = 3; }, {1, 4, 5});
    add("bandwidth class 1", [](td::SearchCriteria* c) { c->bandwidthClass = 1; }, {2});
    add("bandwidth class 3", [](td::SearchCriteria* c) { c->bandwidthClass = 3; }, {3, 4});
    add("bandwidth class 5 (above 63)", [](td::SearchCriteria* c) { c->bandwidthClass = 5; }, {1, 4});
    add("class out of range keeps all", [](td::SearchCriteria* c) { c->bandwidthClass = 9; }, {1, 2, 3, 4, 5});
    add("stream type", [](td::SearchCriteria* c) { c->streamType = 3; }, {1, 4});
    add("type and class", [](td::SearchCriteria* c) { c->streamType = 3; c->bandwidthClass = 4; }, {1, 4});
    add("new stations (short date is not new)", [](td::SearchCriteria* c) { c->newStations = 1; }, {1, 3, 5});
    add("name and country", [](td::SearchCriteria* c) { lstrcpyA(c->name, "ROCK"); c->country = 44; }, {3});

    long today = 0;
    ASSERT_TRUE(td::DaysOfDateText("20261210", 8, &today));
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        g_hits.clear();
        g_calls.clear();
        td::cStationLister::SearchOptions o;
        o.today = today;
        o.newStationDays = 14;
        EXPECT_EQ(static_cast<int>(k.ids.size()), td::cStationLister(store_.get(), Double()).Search(k.c, o));
        EXPECT_EQ(k.ids, g_hits);
        EXPECT_EQ((std::vector<std::string>{"Status 7 "}), g_calls);
    }
}

// A search hands over whether an installed engine plays each hit: a change
// of the installed engines shows in the next search, not only after the
// next database load.
TEST_F(ListPushFixture, SearchDetailsFollowTheInstalledEngines) {
    td::StreamChoiceRules rules;
    rules.chosenWanted = true;
    td::cStationLister lister(store_.get(), Double());
    lister.SetStreamRules([&] { return rules; });
    struct Step {
        unsigned long capabilities;
        int language;
        const char* details;
    } steps[] = {
        {1 | 2 | 4, 1, "Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|1"},
        {1 | 2, 1, "Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|0"},   // MP3 engine gone
        {1 | 2, 2, "Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|English|0"},
        {4, 1, "Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|1"},
        {4, 2, "Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|English|1"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.details);
        rules.capabilities = step.capabilities;
        td::cStationLister::SearchOptions o;
        o.language = step.language;
        g_hitTexts.clear();
        EXPECT_EQ(1, lister.Search(Criteria("Rock Antenne"), o));
        EXPECT_EQ(std::vector<std::string>{step.details}, Readable(g_hitTexts));
    }
}

TEST_F(ListPushFixture, SearchNameIsBoundedAndCancelStopsTheWalk) {
    td::SearchCriteria c = Criteria();
    memset(c.name, 'R', sizeof c.name);   // no terminating NUL
    td::cStationLister::SearchOptions o;
    EXPECT_EQ(0, td::cStationLister(store_.get(), Double()).Search(c, o));

    int asked = 0;
    o.cancelled = [&] { return ++asked > 2; };
    EXPECT_EQ(2, td::cStationLister(store_.get(), Double()).Search(Criteria(), o));
    EXPECT_EQ(0, td::cStationLister(nullptr, Double()).Search(Criteria(), o));
}

// The search as a plain walk over the lists, each text taken apart anew for
// every channel: what the indexed search must find, in the same order.
std::vector<int> WalkedSearch(cUserDataStore* store, const td::SearchCriteria& c, long today, int newDays) {
    auto ids = [](const std::string& text) {
        std::vector<long> out;
        long v = 0;
        bool any = false;
        for (char ch : text + ";") {
            if (ch >= '0' && ch <= '9') {
                v = std::min(v * 10 + (ch - '0'), 0x7fffffffL);
                any = true;
            } else if (any) {
                out.push_back(v);
                v = 0;
                any = false;
            }
        }
        return out;
    };
    auto has = [](const std::vector<long>& v, long x) { return std::find(v.begin(), v.end(), x) != v.end(); };
    auto upper = [](std::string s) {
        for (char& ch : s) {
            auto u = static_cast<unsigned char>(ch);
            if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) ch = static_cast<char>(u - 32);
        }
        return s;
    };
    std::string name = upper(std::string(c.name, strnlen(c.name, sizeof c.name)));
    name.erase(0, name.find_first_not_of(" \t") == std::string::npos ? name.size() : name.find_first_not_of(" \t"));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    auto group = [&](int category, int g) {
        std::vector<long> out;
        for (cListElement* e = store->GetCategoryList(category)->First(); e; e = e->Next())
            if (static_cast<cNamedValueElement*>(e)->GetValue() == g) out.push_back(static_cast<long>(e->GetId()));
        return out;
    };
    const std::vector<long> genres = c.upperGenre ? std::vector<long>{c.upperGenre} : group(kStoreGenre, c.genreGroup);
    const std::vector<long> countries = c.country ? std::vector<long>{c.country} : group(kStoreCountry, c.countryGroup);
    std::vector<int> hits;
    cListe* senders = store->LockSenderList();
    cListe* channels = store->LockChannelList();
    cListe* streams = store->LockStreamList();
    for (cListElement* e = channels->First(); e; e = e->Next()) {
        const auto* ch = static_cast<cChannelElement*>(e);
        const auto* se = static_cast<cSenderElement*>(senders->GetById(ch->SID));
        if (upper(ch->N).find(name) == std::string::npos) continue;
        if (c.upperGenre || c.genreGroup) {
            bool any = false;
            for (long g : ids(ch->G)) any = any || has(genres, g);
            if (!any) continue;
        }
        if (c.language && !has(ids(ch->S), c.language)) continue;
        if (c.stationType && atol(ch->T.c_str()) != c.stationType) continue;
        if ((c.country || c.countryGroup) && !(se && has(countries, se->GetL()))) continue;
        if (c.region && !has(ids(ch->R), c.region)) continue;
        if ((c.bandwidthClass >= 1 && c.bandwidthClass <= 5) || c.streamType) {
            bool any = false;
            for (cListElement* s = streams->First(); s; s = s->Next()) {
                const auto* st = static_cast<cStreamElement*>(s);
                any = any || (st->GetCID() == ch->GetId() && td::InBandwidthClass(c.bandwidthClass, static_cast<long>(st->GetQ())) &&
                              (!c.streamType || st->GetF() == c.streamType));
            }
            if (!any) continue;
        }
        long d = 0;
        if (c.newStations && (!td::DaysOfDateText(ch->D.c_str(), ch->D.size(), &d) || d < today - newDays)) continue;
        hits.push_back(static_cast<int>(ch->GetId()));
    }
    store->UnlockStreamList();
    store->UnlockChannelList();
    store->UnlockSenderList();
    return hits;
}

// A directory with the untidy corners of real data: channels without a
// station or streams, several streams per channel, a channel id given twice,
// lists with blanks and junk, type texts with trailing text, short and
// malformed dates, streams of unknown channels.
TEST_F(ListPushTest, IndexedSearchFindsWhatAWalkFinds) {
    const int kChannels = 3000;
    uint32_t seed = 12345;
    auto rnd = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const char* words[] = {"Rock", "jazz", "Welle", "\xDC" "ber", "\xFC" "ber", "Radio", "FM", "Klassik"};
    const char* dates[] = {"20261201", "20261130", "20200101", "2026", "2026AB01", "", "20261209x"};
    const char* types[] = {"1", "2", " 3", "2x", "", "-1"};
    {
        cListe* senders = store_->LockSenderList();
        cListe* channels = store_->LockChannelList();
        cListe* streams = store_->LockStreamList();
        for (int i = 1; i <= kChannels; ++i) {
            if (rnd(10)) {
                cSenderDoc se;
                se.N = "Station " + std::to_string(i);
                se.Id = std::to_string(i);
                se.L = std::to_string(rnd(8));
                senders->Add(new cSenderElement(se));
            }
            cChannelDoc ch;
            ch.N = std::string(words[rnd(8)]) + " " + words[rnd(8)] + " " + std::to_string(i);
            ch.Id = std::to_string(i % 997 == 0 ? i - 1 : i);
            ch.SID = std::to_string(i);
            ch.G = std::to_string(rnd(12)) + (rnd(2) ? "; " + std::to_string(rnd(12)) : "") + (rnd(5) ? "" : ";x;7");
            ch.S = rnd(6) ? std::to_string(1 + rnd(4)) + ";" + std::to_string(1 + rnd(4)) : "";
            ch.T = types[rnd(6)];
            ch.R = std::to_string(rnd(9));
            ch.D = dates[rnd(7)];
            channels->Add(new cChannelElement(ch));
            for (uint32_t k = rnd(4); k > 0; --k) {
                cStreamDoc st;
                st.Id = static_cast<uint32_t>(i * 4 + k);
                st.CID = static_cast<uint32_t>(rnd(50) ? i : kChannels + 7);
                st.F = static_cast<uint8_t>(1 + rnd(3));
                st.Q = static_cast<int32_t>(16 + rnd(150));
                streams->Add(new cStreamElement(st));
            }
        }
        store_->UnlockStreamList();
        store_->UnlockChannelList();
        store_->UnlockSenderList();
    }
    for (uint32_t g = 0; g < 12; ++g) AddCategory(kStoreGenre, g, "G", "G", static_cast<int32_t>(100 + g % 3));
    for (uint32_t l = 0; l < 8; ++l) AddCategory(kStoreCountry, l, "L", "L", l < 4 ? 7 : 8);

    struct Case {
        const char* name;
        uint16_t genre, language;
        uint8_t streamType, stationType;
        uint16_t country, region, cls, fresh, countryGroup, genreGroup;
    };
    const Case cases[] = {
        {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},        {" \xFC" "BER ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"rock", 3, 0, 0, 0, 0, 0, 0, 0, 0, 0},     {"", 7, 2, 0, 0, 0, 0, 0, 0, 0, 0},
        {"", 0, 0, 3, 0, 4, 0, 1, 0, 0, 0},         {"", 0, 0, 0, 2, 0, 5, 0, 0, 0, 0},
        {"", 0, 0, 0, 3, 0, 0, 0, 0, 0, 0},         {"", 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
        {"", 0, 0, 0, 0, 0, 0, 0, 0, 7, 101},       {"", 0, 0, 0, 0, 0, 0, 5, 0, 8, 0},
        {"welle", 0, 4, 2, 1, 0, 0, 3, 0, 0, 0},    {"", 0, 0, 0, 0, 0, 0, 9, 0, 0, 0},
        {"", 0, 0, 0, 0, 0, 0, 0, 0, 99, 0},        {"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 555},
        {"", 99, 0, 0, 0, 0, 0, 0, 0, 0, 0},        {"FM 2", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0},      {"klassik", 0, 1, 0, 0, 0, 8, 4, 1, 7, 102},
    };
    long today = 0;
    ASSERT_TRUE(td::DaysOfDateText("20261210", 8, &today));
    for (const Case& k : cases) {
        td::SearchCriteria c = Criteria(k.name);
        c.upperGenre = k.genre;
        c.language = k.language;
        c.streamType = k.streamType;
        c.stationType = k.stationType;
        c.country = k.country;
        c.region = k.region;
        c.bandwidthClass = k.cls;
        c.newStations = k.fresh;
        c.countryGroup = k.countryGroup;
        c.genreGroup = k.genreGroup;
        SCOPED_TRACE(testing::Message() << "name '" << k.name << "' genre " << k.genre << " language " << k.language
                                        << " type " << int(k.stationType) << " class " << k.cls << " groups "
                                        << k.countryGroup << "/" << k.genreGroup);
        g_hits.clear();
        g_progress = 0;
        td::cStationLister::SearchOptions o;
        o.today = today;
        const int n = td::cStationLister(store_.get(), Double()).Search(c, o);
        const std::vector<int> expected = WalkedSearch(store_.get(), c, today, o.newStationDays);
        EXPECT_EQ(expected, g_hits);
        EXPECT_EQ(static_cast<int>(expected.size()), n);
        EXPECT_EQ(kChannels / 100, g_progress);
    }
}

// An own station with its nine fields as the editor sends them.
void AddOwnStation(cUserDataStore* store, int32_t id, const char* name, const char* address) {
    auto st = std::unique_ptr<cUserDefinedStation>(new cUserDefinedStation);
    const char* names[] = {"N", "K", "T", "L", "S", "IN", "F", "US", "UH"};
    const std::string values[] = {name, "10", "2", "49", "1", "Mein\x02Text", "3", address, "http://home.example/"};
    for (int i = 0; i < 9; ++i) st->Field(names[i]) = values[i];
    st->Field("Id") = std::to_string(id);
    store->LockUserLists();
    store->GetUserStations()->stations.push_back(std::move(st));
    store->UnlockUserLists();
}

TEST_F(ListPushFixture, OwnStationsCarryTheirFieldsInBothForms) {
    ASSERT_NE(nullptr, store_->GetUserStations());   // an empty list without a file
    AddOwnStation(store_.get(), -65535, "Mein Sender", "http://stream.example/live");
    td::cStationLister lister(store_.get(), Double());
    // The station-details form (separators inside the texts dropped) ...
    EXPECT_EQ("Mein Sender| |10|2|49|1|0|0|0|MeinText|1", Readable(lister.StationDetails(0xFFFF0001u, 1)));
    EXPECT_EQ("", lister.StationDetails(0xFFFF0002u, 1));
    // ... and the own-station list's, with format, address and homepage.
    lister.PushUserStations();
    EXPECT_EQ((std::vector<std::string>{
                  "ClearList 14",
                  "AddUserDefinedSender Mein Sender| |10|2|49|1|0|0|0|MeinText|1|3|http://stream.example/live|"
                  "http://home.example/ -65535",
                  "AddUserDefinedSender (null) 0"}),
              Readable(g_calls));
}

TEST_F(ListPushFixture, TimerEntriesShowTheirStationsDetails) {
    auto add = [&](unsigned long id, unsigned long channel, const char* station) {
        auto* e = new cTimerEntry;
        e->SetId(id);
        e->SetChannelID(channel);
        e->SetSendername(station);
        store_->GetTimerList()->Add(e);
    };
    add(1, 1, "alt");
    add(2, 999, "Unbekannt");   // not in the database: keeps its own name
    td::cStationLister(store_.get(), Double()).PushTimerEntries(1);
    EXPECT_EQ((std::vector<std::string>{"ClearList 15", "AddToTimerEntrie 1 Parent Rock Antenne - Rock Antenne",
                                        "AddToTimerEntrie 2 Unbekannt", "AddToTimerEntrie (null)"}),
              g_calls);
    EXPECT_STREQ("alt", static_cast<cTimerEntry*>(store_->GetTimerList()->GetById(1))->GetSendername());
}

TEST_F(ListPushFixture, SkinStationsAndProgrammeTipsEndTheirSeries) {
    td::cStationLister lister(store_.get(), Double());
    lister.PushSkinStations("3;999;x;1", 1);   // unknown ids left out
    ASSERT_EQ(4u, g_calls.size());
    EXPECT_EQ("ClearList 17", g_calls[0]);
    EXPECT_EQ(0u, g_calls[1].find("AddToSkinDefinedSender Parent rock radio one"));
    EXPECT_EQ(" 3", g_calls[1].substr(g_calls[1].size() - 2));
    EXPECT_EQ(" 1", g_calls[2].substr(g_calls[2].size() - 2));
    EXPECT_EQ("AddToSkinDefinedSender (null) 0", g_calls[3]);

    SYSTEMTIME t;
    GetLocalTime(&t);
    char today[16];
    wsprintfA(today, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    const char* received[] = {today, "20200101"};
    for (int i = 0; i < 2; ++i) {
        tips.emplace_back(new cProgrammtipp);
        cProgrammtipp& p = *tips.back();
        p.tippId = std::to_string(40 + i);
        p.start = "202612201800";
        p.stop = "202612201900";
        p.title = "Konzert";
        p.genre = "Klassik";
        p.sender = "Sender";
        p.channel = "Kanal";
        p.channelid = "1";
        p.link = "http://tip.example/";
        p.timername = "Konzert";
        p.received = received[i];
    }
    g_calls.clear();
    lister.PushProgrammTips(tips, "20261210");
    EXPECT_EQ((std::vector<std::string>{
                  "ClearList 16",
                  "AddToProgrammtipps 202612201800|202612201900|Konzert|Klassik|Sender|Kanal|1|1|http://tip.example/|"
                  "Konzert 40 (null)",
                  "AddToProgrammtipps 202612201800|202612201900|Konzert|Klassik|Sender|Kanal|1|0|http://tip.example/|"
                  "Konzert 41 (null)",
                  "AddToProgrammtipps (null) 0 20261210"}),
              Readable(g_calls));
}

TEST_F(ListPushFixture, DetailsViewGetsTheStationAndItsStreamRecords) {
    AddOwnStation(store_.get(), -65535, "Mein Sender", "http://stream.example/live");
    td::cStationLister lister(store_.get(), Double());
    EXPECT_TRUE(lister.PushDetails(1, 1));
    EXPECT_TRUE(lister.PushDetails(0xFFFF0001u, 1));
    EXPECT_FALSE(lister.PushDetails(999, 1));
    EXPECT_FALSE(lister.PushDetails(0, 1));
    EXPECT_EQ((std::vector<std::string>{
                  "GetDetails 1 [Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|1] Rock Antenne r3 "
                  "c49 t1 g10;11 l1 [#500001|0|128|3]",
                  "GetDetails -65535 [Mein Sender| |10|2|49|1|0|0|0|MeinText|1] Mein Sender r c49 t2 g10 l1 "
                  "[#-65535|0|0|http://stream.example/live]"}),
              Readable(g_calls));
}

TEST_F(ListPushFixture, LastPlayedStationOrThePlayersTitle) {
    AddOwnStation(store_.get(), -65535, "Mein Sender", "http://stream.example/live");
    struct Case {
        const char* stored;   // "LastChannelId", null: none
        uint32_t shown;
        const char* first;    // the GetLastPlayedSender call
    } cases[] = {
        {nullptr, 0, "GetLastPlayedSender velmirant-Player 0"},
        {"0", 0, "GetLastPlayedSender velmirant-Player 0"},
        {"999", 0, "GetLastPlayedSender velmirant-Player 0"},
        {"1", 1, "GetLastPlayedSender Parent Rock Antenne|Rock Antenne|10;11|1|49|1|128|0|0|Deutsch|1 1"},
        {"-65535", 0xFFFF0001u, "GetLastPlayedSender Mein Sender| |10|2|49|1|0|0|0|MeinText|1 -65535"},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        SetValue("LastChannelId", c.stored);
        EXPECT_EQ(c.shown, td::cStationLister(store_.get(), Double()).PushLastPlayed(1)) << T(c.stored);
        ASSERT_EQ(c.shown ? 2u : 1u, g_calls.size()) << T(c.stored);
        EXPECT_EQ(c.first, Readable(g_calls[0])) << T(c.stored);
        if (c.shown) EXPECT_EQ(0u, g_calls[1].find("GetDetails " + std::to_string(static_cast<int>(c.shown))));
    }
}

TEST(ListPushDates, DateTexts) {
    long d = 0;
    EXPECT_TRUE(td::DaysOfDateText("19700101", 8, &d));
    EXPECT_EQ(0, d);
    EXPECT_TRUE(td::DaysOfDateText("20000301xyz", 11, &d));
    EXPECT_EQ(11017, d);
    EXPECT_FALSE(td::DaysOfDateText("2026120", 7, &d));
    EXPECT_FALSE(td::DaysOfDateText("2026AB01", 8, &d));
    EXPECT_FALSE(td::DaysOfDateText("20261301", 8, &d));
    EXPECT_FALSE(td::DaysOfDateText(nullptr, 8, &d));
}

// A search over a database of the size the server delivers, timed (median
// of five) whatever the number of hits.
TEST_F(ListPushTest, SearchBenchmarkOver60000Stations) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "a benchmark (scripts/bench)";
    const int kCount = 60000;
    {
        cListe* senders = store_->LockSenderList();
        cListe* channels = store_->LockChannelList();
        cListe* streams = store_->LockStreamList();
        for (int i = 1; i <= kCount; ++i) {
            cSenderDoc se;
            se.N = "Sender " + std::to_string(i);
            se.Id = std::to_string(i);
            se.T = "1";
            se.L = std::to_string(i % 60);
            senders->Add(new cSenderElement(se));
            cChannelDoc ch;
            ch.N = "Radio Station Number " + std::to_string(i) + (i % 1000 == 0 ? " Jazzclub" : "");
            ch.Id = se.Id;
            ch.SID = se.Id;
            ch.G = std::to_string(i % 40) + ";" + std::to_string(40 + i % 13);
            ch.S = std::to_string(1 + i % 5);
            ch.T = "1";
            ch.R = std::to_string(i % 30);
            ch.D = "20261201";
            ch.Tx = "Ein Sender";
            ch.Tx_ENG = "A station";
            channels->Add(new cChannelElement(ch));
            for (int k = 0; k < 2; ++k) {
                cStreamDoc st;
                st.Id = static_cast<uint32_t>(i * 2 + k);
                st.CID = static_cast<uint32_t>(i);
                st.F = static_cast<uint8_t>(1 + (i + k) % 3);
                st.Q = (k ? 24 : 128) + i % 7;
                streams->Add(new cStreamElement(st));
            }
        }
        store_->UnlockStreamList();
        store_->UnlockChannelList();
        store_->UnlockSenderList();
    }
    struct Run {
        const char* what;
        td::SearchCriteria c;
        int hits;
    };
    Run runs[] = {{"name", Criteria("jazzclub"), 60}, {"genre 7 + language 3", Criteria(), 1500},
                  {"country 4, class 1, MP3", Criteria(), 1000}, {"language 3", Criteria(), 12000},
                  {"nothing", Criteria(), kCount}};
    runs[1].c.upperGenre = 7;
    runs[1].c.language = 3;
    runs[2].c.country = 4;
    runs[2].c.bandwidthClass = 1;
    runs[2].c.streamType = 3;
    runs[3].c.language = 3;
    {
        // The first search after a load arranges the index and the details texts.
        const auto t0 = std::chrono::steady_clock::now();
        td::cStationLister::SearchOptions o;
        td::cStationLister(store_.get(), Double()).Search(runs[0].c, o);
        std::printf("[ BENCH    ] first search after a load (index and details texts made): %.1f ms\n",
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    for (Run& r : runs) {
        std::vector<double> ms;
        for (int round = 0; round < 5; ++round) {
            g_hits.clear();
            g_progress = 0;
            td::cStationLister::SearchOptions o;
            const auto t0 = std::chrono::steady_clock::now();
            const int hits = td::cStationLister(store_.get(), Double()).Search(r.c, o);
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            EXPECT_EQ(r.hits, hits) << r.what;
            EXPECT_EQ(kCount / 100, g_progress);
        }
        const std::string name = "search by " + std::string(r.what) + " over 60000 stations (" +
                                 std::to_string(r.hits) + " hits)";
        tdtest::Figure(name.c_str(), tdtest::Median(ms), "ms", 5);
    }
}

}  // namespace
