// The list store as the host fills it through the exports: every list kind's
// series, the "all" entries and their sorting, dates, and the recent list
// with its registry value.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "host_exports.h"
#include "list_store.h"
#include "registry.h"
#include "tdtest.h"
#include "timerentry.h"
#include "txtelement.h"
#include "win_handles.h"

namespace {

struct Row {
    unsigned long id;
    std::string text;
    bool operator==(const Row& o) const { return id == o.id && text == o.text; }
};
std::ostream& operator<<(std::ostream& os, const Row& r) { return os << "{" << r.id << ",\"" << r.text << "\"}"; }

std::vector<Row> Rows(int slot) {
    std::vector<Row> rows;
    for (cListElement* e = GetListStore().List(slot)->First(); e; e = e->Next()) {
        const char* t = static_cast<cTxtElement*>(e)->GetText();
        rows.push_back({e->GetId(), t ? t : "(null)"});
    }
    return rows;
}

std::vector<std::string> Texts(int slot) {
    std::vector<std::string> out;
    for (const Row& r : Rows(slot)) out.push_back(r.text);
    return out;
}

// Keeps the user's ResentList value around a test that writes it.
class RecentValueGuard {
public:
    RecentValueGuard() { GetValue(kRecentValueName, saved_, sizeof saved_); }
    ~RecentValueGuard() { SetValue(kRecentValueName, saved_[0] ? saved_ : nullptr); }

private:
    char saved_[kRecentValueSize] = {};
};

TEST(ListStore, FavouriteFoldersStartWithTheTwoFixedFolders) {
    AddToFavoriten("Jazz", 0, 7);
    ClearList(11);
    EXPECT_EQ(Rows(LS_FAVOURITE_FOLDERS),
              (std::vector<Row>{{0, "Alle Favoriten"}, {0xFFFF0001ul, "Eigene Sender"}}));
    // A station (id not 0) goes to the favourites; id 0 makes a folder whose
    // id is the folder argument.
    ClearList(7);
    AddToFavoriten("Radio Eins", 42, 30001);
    AddToFavoriten("Meine", 0, 30002);
    AddToFavoriten(nullptr, 0, 0);
    ASSERT_EQ(Rows(LS_FAVOURITES), (std::vector<Row>{{42, "Radio Eins"}}));
    EXPECT_EQ(static_cast<cFavoritenElement*>(GetListStore().List(LS_FAVOURITES)->First())->GetOrdner(), 30001ul);
    EXPECT_EQ(Rows(LS_FAVOURITE_FOLDERS).back(), (Row{30002, "Meine"}));
}

TEST(ListStore, EveryKindClearsItsOwnListOnly) {
    struct Case {
        int kind;
        int slot;
    } cases[] = {{0, LS_STATION_TYPES}, {1, LS_LANGUAGES},        {2, LS_REGIONS},          {3, LS_COUNTRIES_LOWER},
                 {4, LS_GENRES_LOWER},  {5, LS_GENRES_UPPER},     {6, LS_COUNTRIES_UPPER},  {7, LS_FAVOURITES},
                 {8, LS_TOP_STATIONS},  {10, LS_STREAM_FORMATS},  {12, LS_QUALITIES},       {14, LS_USER_STATIONS},
                 {15, LS_TIMER_ENTRIES}, {16, LS_PROGRAMME_TIPS}, {17, LS_SKIN_STATIONS},   {18, LS_PODCASTS}};
    cTimerEntry timer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        cListStore& store = GetListStore();
        if (c.slot == LS_TIMER_ENTRIES)
            store.AddTimerEntry(&timer);
        else if (c.slot == LS_PODCASTS)
            store.AddPodcast("http://feed", 1, 0);
        else
            store.AddText(c.slot, "x", 1);
        int recentBefore = store.List(LS_RECENT)->GetAnzElement();
        store.AddText(LS_SEARCH_HITS, "hit", 5);
        int hitsBefore = store.List(LS_SEARCH_HITS)->GetAnzElement();
        ClearList(c.kind);
        EXPECT_EQ(store.List(c.slot)->GetAnzElement(), 0);
        EXPECT_EQ(store.List(LS_SEARCH_HITS)->GetAnzElement(), hitsBefore);
        EXPECT_EQ(store.List(LS_RECENT)->GetAnzElement(), recentBefore);
    }
    // Kinds without a list, and the recent list (never cleared this way), are no-ops.
    for (int kind : {-1, 9, 13, 19, 255}) ClearList(kind);
}

TEST(ListStore, CriteriaSeriesEndWithSortedListAndAllEntry) {
    struct Case {
        int kind;
        int slot;
        std::vector<const char*> pushed;
        std::vector<std::string> expected;
    } cases[] = {
        {5, LS_GENRES_UPPER, {"Rock#3", "Jazz#1", "Pop#2"}, {"", "Jazz", "Pop", "Rock"}},
        {4, LS_GENRES_LOWER, {"Rock#3", "Jazz#1", "Pop#2"}, {"alle Genres", "Jazz", "Pop", "Rock"}},
        // Equal numbers and missing "#" keep the host's order (0 sorts first).
        {6, LS_COUNTRIES_UPPER, {"B#2", "A#2", "C", "D#1"}, {"", "C", "D", "B", "A"}},
        {0, LS_STATION_TYPES, {"Talk", "aktuell", "Musik"}, {"alle Sendertypen", "aktuell", "Musik", "Talk"}},
        {1, LS_LANGUAGES, {"Spanisch", "Deutsch"}, {"alle Sprachen", "Deutsch", "Spanisch"}},
        {2, LS_REGIONS, {"Nord"}, {"alle Regionen", "Nord"}},
        {3, LS_COUNTRIES_LOWER, {"Schweiz", "\xD6sterreich", "Deutschland"},
         {"alle L\xE4nder", "Deutschland", "\xD6sterreich", "Schweiz"}},
        {10, LS_STREAM_FORMATS, {"WMA", "MP3"}, {"alle Streamformate", "MP3", "WMA"}},
        {12, LS_QUALITIES, {"hoch", "mittel", "gering"}, {"alle Qualit\xE4ten", "hoch", "mittel", "gering"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ClearList(c.kind);
        int id = 10;
        for (const char* t : c.pushed) AddToList(c.kind, t, id++, 0);
        AddToList(c.kind, nullptr, 0, 0);
        EXPECT_EQ(Texts(c.slot), c.expected);
        EXPECT_EQ(Rows(c.slot).front().id, 0ul);
        ClearList(c.kind);
    }
}

TEST(ListStore, KindsWithoutCriteriaTakeNoEntry) {
    for (int kind : {7, 8, 9, 11}) {
        int before[LS_COUNT];
        for (int s = 0; s < LS_COUNT; ++s) before[s] = GetListStore().List(s)->GetAnzElement();
        AddToList(kind, "x", 1, 0);
        AddToList(kind, nullptr, 0, 0);
        for (int s = 0; s < LS_COUNT; ++s) EXPECT_EQ(GetListStore().List(s)->GetAnzElement(), before[s]) << kind;
    }
}

TEST(ListStore, SeriesOfTheOtherExports) {
    ClearList(8);
    ClearList(16);
    ClearList(17);
    ClearList(14);
    ClearList(15);
    cListStore& store = GetListStore();
    store.List(LS_SEARCH_HITS)->Delete();
    AddToTopTen("Eins", 1, nullptr);
    AddToTopTen("Zwei", 2, nullptr);
    AddToTopTen(nullptr, 0, "20261210");
    EXPECT_EQ(Rows(LS_TOP_STATIONS), (std::vector<Row>{{1, "Eins"}, {2, "Zwei"}}));
    EXPECT_STREQ(store.TopTenDate(), "10.12.2026");
    AddToProgrammtipps("Tipp", 9, nullptr);
    AddToProgrammtipps(nullptr, 0, "20270305120000");
    EXPECT_EQ(Rows(LS_PROGRAMME_TIPS), (std::vector<Row>{{9, "Tipp"}}));
    EXPECT_STREQ(store.TipsDate(), "05.03.2027");
    AddToSkinDefinedSender("Skin", 3);
    AddToSkinDefinedSender(nullptr, 0);
    AddUserDefinedSender("Eigen", 4);
    AddUserDefinedSender(nullptr, 0);
    EXPECT_EQ(Rows(LS_SKIN_STATIONS), (std::vector<Row>{{3, "Skin"}}));
    EXPECT_EQ(Rows(LS_USER_STATIONS), (std::vector<Row>{{4, "Eigen"}}));
    SearchResult("Treffer", 77);
    SearchResult(nullptr, 40);
    EXPECT_EQ(Rows(LS_SEARCH_HITS), (std::vector<Row>{{77, "Treffer"}}));
    EXPECT_EQ(store.SearchPercent(), 40);
    cTimerEntry timer;
    timer.SetId(12);
    AddToTimerEntrie(&timer);
    AddToTimerEntrie(nullptr);
    ASSERT_EQ(store.List(LS_TIMER_ENTRIES)->GetAnzElement(), 1);
    EXPECT_NE(store.List(LS_TIMER_ENTRIES)->First(), &timer);   // a copy of its own
    EXPECT_EQ(store.List(LS_TIMER_ENTRIES)->First()->GetId(), 12ul);
    ClearList(18);
    EXPECT_EQ(AddToPodcast("http://a/feed.xml", 5, 1), 1);
    EXPECT_EQ(AddToPodcast(nullptr, 0, 0), 1);
    EXPECT_TRUE(store.PodcastListComplete());
    auto* feed = static_cast<cPodcastEntry*>(store.List(LS_PODCASTS)->First());
    ASSERT_NE(feed, nullptr);
    EXPECT_STREQ(feed->GetText(), "http://a/feed.xml");
    EXPECT_EQ(feed->subscribed, 1);
}

TEST(ListStore, ListDates) {
    struct Case {
        const char* date;
        const char* expected;
    } cases[] = {{"20261210", "10.12.2026"}, {"19990101xyz", "01.01.1999"}, {"2026121", "keep"},
                 {"", "keep"},               {nullptr, "keep"}};
    for (const Case& c : cases) {
        char out[cListStore::DATE_SIZE] = "keep";
        cListStore::FormatListDate(c.date, out, sizeof out);
        EXPECT_STREQ(out, c.expected) << (c.date ? c.date : "(null)");
    }
}

TEST(ListStore, RecentStationsMoveToFrontWithinTheLimit) {
    RecentValueGuard guard;
    cListStore& store = GetListStore();
    store.List(LS_RECENT)->Delete();
    for (int id = 1; id <= 7; ++id) store.AddRecent(("S" + std::to_string(id)).c_str(), id, 5);
    EXPECT_EQ(Texts(LS_RECENT), (std::vector<std::string>{"S7", "S6", "S5", "S4", "S3"}));
    store.AddRecent("S4 neu", 4, 5);
    EXPECT_EQ(Texts(LS_RECENT), (std::vector<std::string>{"S4 neu", "S7", "S6", "S5", "S3"}));
    // A smaller limit cuts the list down; a limit below 1 still keeps the newest.
    store.AddRecent("S8", 8, 3);
    EXPECT_EQ(Texts(LS_RECENT), (std::vector<std::string>{"S8", "S4 neu", "S7"}));
    store.AddRecent("S9", 9, 0);
    EXPECT_EQ(Texts(LS_RECENT), (std::vector<std::string>{"S9"}));

    // The registry value holds the list and reads back into the same list.
    store.AddRecent("Eins; Zwei", 10, 5);
    char value[kRecentValueSize];
    GetValue(kRecentValueName, value, sizeof value);
    EXPECT_STREQ(value, "Eins; Zwei\x01" "10;S9\x01" "9;");
    store.List(LS_RECENT)->Delete();
    store.LoadRecent(value);
    EXPECT_EQ(Rows(LS_RECENT), (std::vector<Row>{{10, "Eins; Zwei"}, {9, "S9"}}));
    // A restart of the user interface reads the value into the same store.
    store.LoadRecent(value);
    EXPECT_EQ(Rows(LS_RECENT), (std::vector<Row>{{10, "Eins; Zwei"}, {9, "S9"}}));
}

TEST(ListStore, RecentValueMalformedPiecesAreSkipped) {
    struct Case {
        const char* value;
        std::vector<Row> expected;
    } cases[] = {
        {"", {}},
        {"nur Text;", {}},
        {"A\x01" "1;B\x01" "2;", {{1, "A"}, {2, "B"}}},
        {"A\x01" "12", {}},                          // id cut short: dropped
        {"A\x01x;B\x01" "2;", {{2, "B"}}},            // id not numeric
        {"A\x01;B\x01" "3;", {{3, "B"}}},             // empty id
    };
    for (const Case& c : cases) {
        GetListStore().List(LS_RECENT)->Delete();
        GetListStore().LoadRecent(c.value);
        EXPECT_EQ(Rows(LS_RECENT), c.expected) << c.value;
    }
    GetListStore().List(LS_RECENT)->Delete();
}

TEST(ListStore, RecentValueStaysBelowItsLimit) {
    RecentValueGuard guard;
    cListStore& store = GetListStore();
    store.List(LS_RECENT)->Delete();
    std::string name(600, 'n');
    for (int id = 11; id <= 20; ++id) store.AddRecent(name.c_str(), id, 20);
    char value[kRecentValueSize];
    store.BuildRecentValue(value, sizeof value);
    EXPECT_EQ(strlen(value), 6u * (600 + 4));   // only whole pieces, below 4095
    EXPECT_EQ(store.List(LS_RECENT)->GetAnzElement(), 10);
    store.List(LS_RECENT)->Delete();
}

}  // namespace

namespace {

// A broad search's hits as the player pushes them, with its progress calls,
// timed (median of five).
TEST(ListStoreBench, TenThousandSearchHits) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "a benchmark (scripts/bench)";
    const std::string details = "Parent Station\x02Radio Station Number 12345\x02" "10;41\x02" "1\x02" "49\x02"
                                "1;3\x02" "128\x02" "0\x02" "0\x02" "A station\x02" "1";
    std::vector<double> ms;
    for (int round = 0; round < 5; ++round) {
        {
            bk::ScopedLock hold(GetListStore().Lock());
            GetListStore().List(LS_SEARCH_HITS)->Delete();
        }
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 1; i <= 10000; ++i) {
            SearchResult(details.c_str(), i);
            if (i % 17 == 0) SearchResult(nullptr, i / 100);
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        EXPECT_EQ(10000, GetListStore().List(LS_SEARCH_HITS)->GetAnzElement());
    }
    tdtest::Figure("10000 search hits pushed to the skin's list", tdtest::Median(ms), "ms", 50);
}

}  // namespace
