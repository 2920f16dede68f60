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
int g_progress = 0;
void DSearch(const char* text, int id) {
    if (!text) {
        ++g_progress;
        return;
    }
    std::lock_guard<std::mutex> l(g_mu);
    g_hits.push_back(id);
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

// A search over a database of the size the server delivers, timed. The walk
// is linear: stations and streams are indexed once per search.
TEST_F(ListPushTest, SearchBenchmarkOver60000Stations) {
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
                  {"country 4, class 1, MP3", Criteria(), 1000}};
    runs[1].c.upperGenre = 7;
    runs[1].c.language = 3;
    runs[2].c.country = 4;
    runs[2].c.bandwidthClass = 1;
    runs[2].c.streamType = 3;
    for (Run& r : runs) {
        g_hits.clear();
        g_progress = 0;
        td::cStationLister::SearchOptions o;
        const auto t0 = std::chrono::steady_clock::now();
        const int hits = td::cStationLister(store_.get(), Double()).Search(r.c, o);
        const long long ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        std::printf("[ BENCH    ] search by %s over %d stations: %d hits in %lld ms\n", r.what, kCount, hits, ms);
        std::fflush(stdout);
        EXPECT_EQ(r.hits, hits);
        EXPECT_GT(hits, 0);
        EXPECT_EQ(kCount / 100, g_progress);
    }
}

}  // namespace
