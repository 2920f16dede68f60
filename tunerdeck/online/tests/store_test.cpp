// The user data store against real files in a temporary user folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "blowfish.h"
#include "online_host.h"
#include "player_cipher.h"
#include "rdb_files.h"
#include "registry.h"
#include "sample_station_db.h"
#include "tdtest.h"
#include "user_data_store.h"

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest() : reg_(GetSettingsKeyName()), user_("tduser"), program_("tdprog") {
        SetValue("PathUser", user_.Path().c_str());   // without the backslash on purpose
        online::SetProgramFolder(program_.Path());
    }
    ~StoreTest() override { online::SetProgramFolder(""); }

    std::string DbTime() {
        char buf[64] = {};
        GetValue("DB_TIME", buf, sizeof buf);
        return buf;
    }
    void WriteWithTrailer(const std::string& name, std::string content) {
        AppendCrc16(&content);
        user_.Write(name, content);
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder user_, program_;
};

template <typename T>
std::vector<T*> Items(cListe* l) {
    std::vector<T*> out;
    for (cListElement* e = l->First(); e; e = e->Next()) out.push_back(static_cast<T*>(e));
    return out;
}

std::string Le32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

TEST(Crc16, CheckValue) {
    const char* s = "123456789";
    EXPECT_EQ(0x31C3, CalcCrc16(reinterpret_cast<const unsigned char*>(s), 9));
    std::string c = s;
    AppendCrc16(&c);
    EXPECT_EQ('\xC3', c[9]);   // low byte first
    EXPECT_EQ('\x31', c[10]);
}

TEST_F(StoreTest, TrailerAppendedToAFileOfAnotherWriter) {
    user_.Write("_tempdb.rdb", "123456789");
    EXPECT_TRUE(AppendCrc16ToFile(user_.File("_tempdb.rdb").c_str(), 1));
    EXPECT_EQ("123456789\xC3\x31", user_.Read("_tempdb.rdb"));
    std::string content;
    EXPECT_EQ(1, ReadUserDataFile("_tempdb.rdb", &content, true));
    EXPECT_EQ("123456789", content);
    EXPECT_FALSE(AppendCrc16ToFile(user_.File("missing.rdb").c_str(), 1));
}

TEST_F(StoreTest, EveryUserFileRoundTrips) {
    {
        cUserDataStore store(false);
        auto* fav = new cValueElement;
        fav->SetId(17);
        fav->SetValue(3);
        store.GetFavoriten()->Add(fav);
        auto* fav2 = new cValueElement;
        fav2->SetId(0x80000001u);
        store.GetFavoriten()->Add(fav2);
        store.GetListFolders()->Add(new cNamedValueElement(124, "Meine Liste", 2));   // id starts with '|'
        store.GetListFolders()->Add(new cNamedValueElement(2, "", 0));
        store.GetPodcasts()->Add(new cNamedValueElement(0, "A", 1));
        store.GetPodcasts()->Add(new cNamedValueElement(1, "Feed #2", 0));
        cListe* tops = store.LockTopSender();
        for (uint32_t id : {5u, 9u, 1u}) {
            auto* t = new cValueElement;
            t->SetId(id);
            tops->Add(t);
        }
        store.UnlockTopSender();
        auto own = std::make_unique<cUserDefinedStation>();
        own->Field("N") = "Mein <Sender> & Co";
        own->Field("Id") = "-65535";
        own->Field("US") = "http://own/?x=1&y=2";
        store.GetUserStations()->stations.push_back(std::move(own));
        std::vector<std::unique_ptr<cProgrammtipp>> tips;
        tips.push_back(std::make_unique<cProgrammtipp>());
        tips[0]->title = "Jazz & Blues";
        tips[0]->start = "209912241800";
        EXPECT_EQ(1, store.SaveFavoriten());
        EXPECT_EQ(1, store.SaveTopSender());
        EXPECT_EQ(1, store.SaveListFolders());
        EXPECT_EQ(1, store.SavePodcasts());
        EXPECT_EQ(1, store.SaveUserStations());
        EXPECT_EQ(1, store.SaveProgrammtipps(tips));
        store.CountFile("C:\\music\\a.mp3");
    }
    EXPECT_EQ(std::string("\xFF\xFF\xFF\xFF", 4), user_.Read("radiofa.rdb").substr(0, 4));
    EXPECT_FALSE(user_.Exists("radiofa.rdb.tmp"));

    cUserDataStore back(false);
    auto favs = Items<cValueElement>(back.GetFavoriten());
    ASSERT_EQ(2u, favs.size());
    EXPECT_EQ(17u, favs[0]->GetId());
    EXPECT_EQ(3, favs[0]->GetValue());
    EXPECT_EQ(0x80000001u, favs[1]->GetId());
    auto lists = Items<cNamedValueElement>(back.GetListFolders());
    ASSERT_EQ(2u, lists.size());
    EXPECT_EQ(124u, lists[0]->GetId());
    EXPECT_EQ("Meine Liste", lists[0]->GetName());
    EXPECT_EQ(2, lists[0]->GetValue());
    auto pods = Items<cNamedValueElement>(back.GetPodcasts());
    ASSERT_EQ(2u, pods.size());
    EXPECT_EQ("A", pods[0]->GetName());
    EXPECT_EQ(1, pods[0]->GetValue());
    EXPECT_EQ("Feed #2", pods[1]->GetName());
    EXPECT_EQ(1u, pods[1]->GetId());
    EXPECT_EQ(2u, back.NextPodcastId());
    cListe* tops = back.LockTopSender();
    auto topIds = Items<cValueElement>(tops);
    back.UnlockTopSender();
    ASSERT_EQ(3u, topIds.size());
    EXPECT_EQ(9u, topIds[1]->GetId());
    ASSERT_EQ(1u, back.GetUserStations()->stations.size());
    EXPECT_EQ("Mein <Sender> & Co", back.GetUserStations()->stations[0]->Field("N"));
    EXPECT_EQ("http://own/?x=1&y=2", back.GetUserStations()->stations[0]->Field("US"));
    EXPECT_EQ(-65534, back.GetUserStations()->GetNextId());
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    EXPECT_EQ(1, back.LoadProgrammtipps(&tips, -1));
    ASSERT_EQ(1u, tips.size());
    EXPECT_EQ("Jazz & Blues", tips[0]->title);
    EXPECT_EQ(1, back.GetFileCount("C:\\music\\a.mp3"));
}

TEST_F(StoreTest, DamagedFilesLoadEmptyAndAreKeptAside) {
    std::string good = "\xFF\xFF\xFF\xFF" + Le32(5) + Le32(1);
    AppendCrc16(&good);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut short", good.substr(0, good.size() - 3)},
        {"wrong check value", good.substr(0, good.size() - 1) + char(good.back() ^ 1)},
        {"two bytes", good.substr(0, 2)},
        {"garbage", std::string(97, '\x5A')},
        {"empty", std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"radiofa.rdb", "radiott.rdb", "radioli.rdb"}) {
            user_.Write(name, c.bytes);
            DeleteFileA(user_.File(std::string(name) + ".bad").c_str());
        }
        cUserDataStore store(false);
        EXPECT_TRUE(store.GetFavoriten()->IsEmpty());
        EXPECT_TRUE(store.GetListFolders()->IsEmpty());
        EXPECT_TRUE(store.LockTopSender()->IsEmpty());
        store.UnlockTopSender();
        // The user's damaged file is set aside, so the next save does not
        // destroy what could still be rescued from it.
        EXPECT_EQ(c.bytes, user_.Read("radiofa.rdb.bad"));
        EXPECT_FALSE(user_.Exists("radiofa.rdb"));
        EXPECT_EQ(1, store.SaveFavoriten());
        EXPECT_EQ(c.bytes, user_.Read("radiofa.rdb.bad"));
    }
}

TEST_F(StoreTest, OlderLayoutsAreRead) {
    WriteWithTrailer("radiofa.rdb", Le32(7) + Le32(8) + "\x01");
    WriteWithTrailer("radioli.rdb", "\xFF\xFF\xFF\xFF" "a|b|c|d||" + Le32(42) + Le32(1) + std::string("Alt\0", 4) +
                                        "|rest|" + Le32(43) + Le32(0) + std::string("skip\0", 5));
    user_.Write("radiopod.rdb", "<Podcasts><entry>X#ABO:1</entry><entry>Y#ABO:</entry><entry>Z</entry>");
    user_.Write("radiocnt.rdb", "<Filecounter><entry>C:\\a#COUNT:4</entry><entry>C:\\b</entry></Filecounter>");
    cUserDataStore store(false);
    auto favs = Items<cValueElement>(store.GetFavoriten());
    ASSERT_EQ(2u, favs.size());   // ids only, the odd byte at the end ignored
    EXPECT_EQ(8u, favs[1]->GetId());
    EXPECT_EQ(0, favs[1]->GetValue());
    auto lists = Items<cNamedValueElement>(store.GetListFolders());
    ASSERT_EQ(1u, lists.size());
    EXPECT_EQ(42u, lists[0]->GetId());
    EXPECT_EQ("Alt", lists[0]->GetName());
    auto pods = Items<cNamedValueElement>(store.GetPodcasts());
    ASSERT_EQ(3u, pods.size());   // the last entry lacks nothing but its closing tag? no: all three close
    EXPECT_EQ(1, pods[0]->GetValue());
    EXPECT_EQ("Y", pods[1]->GetName());
    EXPECT_EQ(0, pods[1]->GetValue());
    EXPECT_EQ("Z", pods[2]->GetName());
    EXPECT_EQ(4, store.GetFileCount("C:\\a"));
}

TEST_F(StoreTest, DamagedXmlFilesGiveWhatTheyHold) {
    struct Case {
        const char* what;
        std::string stations;
        size_t count;
    } cases[] = {
        {"garbage", std::string("\x01\xFF<<>>&&", 8), 0},
        {"no closing tags", "<UserDefinedStations><SenderArray><UDSe><N>x</N>", 0},
        {"one whole, one cut", "<SenderArray><UDSe><N>a</N></UDSe><UDSe><N>b</SenderArray>", 1},
        {"escaped tags in a value", "<SenderArray><UDSe><N>&lt;/UDSe&gt;&lt;UDSe&gt;</N></UDSe></SenderArray>", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        user_.Write("user_stations.rdb", c.stations);
        user_.Write("programmtipps.rdb", c.stations);
        cUserDataStore store(false);
        ASSERT_NE(nullptr, store.GetUserStations());
        EXPECT_EQ(c.count, store.GetUserStations()->stations.size());
        std::vector<std::unique_ptr<cProgrammtipp>> tips;
        EXPECT_EQ(1, store.LoadProgrammtipps(&tips, -1));
        EXPECT_TRUE(tips.empty());
    }
}

TEST_F(StoreTest, FailedSaveKeepsThePreviousFile) {
    {
        cUserDataStore store(false);
        store.GetPodcasts()->Add(new cNamedValueElement(0, "Keep me", 1));
        ASSERT_EQ(1, store.SavePodcasts());
    }
    std::string before = user_.Read("radiopod.rdb");
    // The temporary file cannot be made: a folder stands in its place.
    ASSERT_TRUE(CreateDirectoryA(user_.File("radiopod.rdb.tmp").c_str(), nullptr));
    cUserDataStore store(false);
    store.GetPodcasts()->Delete();
    EXPECT_EQ(-1, store.SavePodcasts());
    EXPECT_EQ(before, user_.Read("radiopod.rdb"));
    RemoveDirectoryA(user_.File("radiopod.rdb.tmp").c_str());
}

TEST_F(StoreTest, StationDatabaseFileCases) {
    std::string text = MakeSampleStationDb(3)->WriteText();
    std::string noLanguage = MakeSampleStationDb(3, false)->WriteText();
    std::string otherKey = text;
    otherKey.resize(RoundUpTo8(otherKey.size()), '\0');
    {
        unsigned char key[16] = {1, 2, 3};
        CBlowFish other(key, sizeof key);
        other.Encrypt(reinterpret_cast<unsigned char*>(&otherKey[0]), static_cast<unsigned>(otherKey.size()));
    }
    std::string enciphered = EncipherPadded(text);
    std::string withTrailer = enciphered;
    AppendCrc16(&withTrailer);
    struct Case {
        const char* what;
        std::string file;
        bool trailer;
        int loaded;
    } cases[] = {
        {"enciphered", enciphered, true, 1},
        {"plain text", text, true, 1},
        {"plain text without trailer", text, false, 0},
        {"wrong key", otherKey, true, 0},
        {"no language", EncipherPadded(noLanguage), true, 0},
        {"cut short", withTrailer.substr(0, withTrailer.size() / 2), false, 0},
        {"garbage", std::string(4096, '\x33'), true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetValue("DB_TIME", "20260101000000");
        if (c.trailer) WriteWithTrailer("radiodb.rdb", c.file);
        else user_.Write("radiodb.rdb", c.file);
        cUserDataStore store(false);
        EXPECT_EQ(c.loaded, store.IsLoaded());
        EXPECT_EQ(0, store.IsLoading());
        EXPECT_EQ(c.loaded ? "20260101000000" : "", DbTime());
        if (c.loaded) {
            EXPECT_EQ(3u, store.FindSenderId("Station 3"));
        }
    }
    // No file at all.
    DeleteFileA(user_.File("radiodb.rdb").c_str());
    SetValue("DB_TIME", "20260101000000");
    cUserDataStore store(false);
    EXPECT_EQ(0, store.IsLoaded());
    EXPECT_EQ("", DbTime());
}

TEST_F(StoreTest, SavingTheDatabaseReplacesAndReloadsIt) {
    cUserDataStore store(true);
    ASSERT_TRUE(store.WaitForStationDatabase(10000));
    EXPECT_EQ(0, store.IsLoaded());
    std::unique_ptr<cStationDbDoc> empty(new cStationDbDoc);
    EXPECT_EQ(0, store.SaveStationDatabase(empty));
    EXPECT_TRUE(empty);   // not taken
    EXPECT_FALSE(user_.Exists("radiodb.rdb"));
    auto db = MakeSampleStationDb(5);
    EXPECT_EQ(1, store.SaveStationDatabase(db));
    EXPECT_FALSE(db);
    EXPECT_EQ(1, store.IsLoaded());
    EXPECT_EQ(4u, store.FindSenderId("Station 4"));
    EXPECT_EQ(0u, store.FindSenderId("station 4"));
    std::string url;
    EXPECT_TRUE(store.FindStreamUrlBySender("Station 2", &url));
    EXPECT_EQ("http://stream2.example/live.mp3?a=1&b=2", url);
    EXPECT_FALSE(store.GetStreamUrl(99, &url));
    cListe* streams = store.LockStreamList();
    auto* st = static_cast<cStreamElement*>(streams->GetById(5));
    store.UnlockStreamList();
    ASSERT_NE(nullptr, st);
    cChannelElement* ch = st->GetChannel(&store);
    ASSERT_NE(nullptr, ch);
    EXPECT_EQ(5u, ch->SID);
    auto langs = Items<cNamedValueElement>(store.GetCategoryList(kStoreLanguage));
    auto langsEn = Items<cNamedValueElement>(store.GetCategoryList(kStoreCategoriesPerLanguage + kStoreLanguage));
    ASSERT_EQ(1u, langs.size());
    EXPECT_EQ("Deutsch", langs[0]->GetName());
    EXPECT_EQ("German", langsEn[0]->GetName());
    // The file is the enciphered text with its trailer.
    std::string file = user_.Read("radiodb.rdb");
    EXPECT_EQ(0u, (file.size() - 2) % 8);
    EXPECT_EQ(std::string::npos, file.find("<?xml"));
}

TEST_F(StoreTest, DefaultDataFromTheProgramFolder) {
    online::SetProgramFolder(tdtest::BinDir());
    cUserDataStore store(false);
    ASSERT_EQ(1, store.IsLoaded());
    EXPECT_EQ(265, store.LockSenderList()->GetAnzElement());
    store.UnlockSenderList();
    EXPECT_EQ(291, store.LockStreamList()->GetAnzElement());
    store.UnlockStreamList();
    EXPECT_EQ(10, store.LockTopSender()->GetAnzElement());
    store.UnlockTopSender();
    EXPECT_NE(0u, store.FindSenderId("80s80s"));
    EXPECT_TRUE(store.GetFavoriten()->IsEmpty());
    EXPECT_FALSE(store.GetCategoryList(kStoreCountry)->IsEmpty());
}

TEST_F(StoreTest, ReadersDuringAReload) {
    {
        cUserDataStore writer(false);
        auto db = MakeSampleStationDb(2000);
        ASSERT_EQ(1, writer.SaveStationDatabase(db));
    }
    cUserDataStore store(true);
    volatile LONG stop = 0;
    std::thread reader([&] {
        while (!stop) {
            std::string url;
            store.FindStreamUrlBySender("Station 1999", &url);
            // In the lock order: channel before stream.
            cListe* channels = store.LockChannelList();
            cListe* streams = store.LockStreamList();
            if (channels->GetById(7) && streams->GetById(7)) store.GetStreamUrl(7, &url);
            store.UnlockStreamList();
            store.UnlockChannelList();
        }
    });
    for (int i = 0; i < 3; ++i) {
        auto db = MakeSampleStationDb(1000 + i);
        EXPECT_EQ(1, store.SaveStationDatabase(db));
    }
    InterlockedExchange(&stop, 1);
    reader.join();
    ASSERT_TRUE(store.WaitForStationDatabase(10000));
    EXPECT_EQ(1002u, store.FindSenderId("Station 1002"));
}

std::string LocalStart(time_t t) {
    char buf[32];
    strftime(buf, sizeof buf, "%Y%m%d%H%M", localtime(&t));
    return buf;
}

TEST_F(StoreTest, ProgrammeTipsByAge) {
    time_t now = time(nullptr);
    std::vector<std::unique_ptr<cProgrammtipp>> tips;
    for (auto start : {LocalStart(now - 3 * 86400), LocalStart(now - 86400), std::string("202613011200"),
                       std::string("20261201"), LocalStart(now + 3600)}) {
        tips.push_back(std::make_unique<cProgrammtipp>());
        tips.back()->start = start;
        tips.back()->title = start;
    }
    cUserDataStore store(false);
    ASSERT_EQ(1, store.SaveProgrammtipps(tips));
    std::vector<std::unique_ptr<cProgrammtipp>> kept;
    store.LoadProgrammtipps(&kept, 2);
    ASSERT_EQ(2u, kept.size());
    EXPECT_EQ(tips[1]->start, kept[0]->start);   // yesterday stays, three days ago goes
    EXPECT_EQ(tips[4]->start, kept[1]->start);
    kept.clear();
    store.LoadProgrammtipps(&kept, 0);
    ASSERT_EQ(1u, kept.size());
    kept.clear();
    store.LoadProgrammtipps(&kept, -1);
    EXPECT_EQ(3u, kept.size());   // bad month and short start dropped
}

TEST_F(StoreTest, FileCounterCountsAndForgetsDeletedFiles) {
    user_.Write("a.mp3", "x");
    user_.Write("gone.mp3", "x");
    std::string a = user_.File("a.mp3"), gone = user_.File("gone.mp3");
    {
        cUserDataStore store(false);
        store.CountFile(a);
        store.CountFile(a);
        std::string upper = a;
        for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        store.CountFile(upper);
        store.CountFile(gone);
        store.CountFile("http://pod.example/episode.mp3");
        EXPECT_EQ(2, store.GetFileCount(a));
        EXPECT_EQ(1, store.GetFileCount(upper));
        EXPECT_EQ(0, store.GetFileCount("never"));
    }
    DeleteFileA(gone.c_str());
    cUserDataStore store(false);
    EXPECT_EQ(1, store.GetFileCount(gone));
    store.GetFileCounter()->Prune();
    EXPECT_EQ(0, store.GetFileCount(gone));
    EXPECT_EQ(2, store.GetFileCount(a));
    EXPECT_EQ(1, store.GetFileCount("http://pod.example/episode.mp3"));
    EXPECT_NE(std::string::npos, user_.Read("radiocnt.rdb").find("gone.mp3"));   // until the next count
    store.CountFile(a);
    EXPECT_EQ(std::string::npos, user_.Read("radiocnt.rdb").find("gone.mp3"));
}

// An update saved while the start-up loader still parses the old database
// stays: the loader's older result is dropped, never put in its place.
TEST_F(StoreTest, ADatabaseSavedWhileTheStartUpLoaderParsesIsTheOneThatStays) {
    {
        cUserDataStore writer(false);
        auto old = MakeSampleStationDb(30000);
        ASSERT_EQ(1, writer.SaveStationDatabase(old));
    }
    auto store = std::make_unique<cUserDataStore>(true);
    auto update = MakeSampleStationDb(3);
    ASSERT_EQ(1, store->SaveStationDatabase(update));
    ASSERT_TRUE(store->WaitForStationDatabase(120000));
    EXPECT_EQ(1, store->IsLoaded());
    EXPECT_EQ(3, store->LockStreamList()->GetAnzElement());
    store->UnlockStreamList();
}

class StoreBench : public StoreTest {
protected:
    double WriteDb(int stations) {
        cUserDataStore writer(false);
        auto db = MakeSampleStationDb(stations);
        EXPECT_EQ(1, writer.SaveStationDatabase(db));
        return user_.Read("radiodb.rdb").size() / 1048576.0;
    }
    // Milliseconds to load the written database, and the bytes it holds.
    double Load(int stations, double* heldMb) {
        // Wine reports no private bytes; the working set is what it measures.
        auto held = [] {
            PROCESS_MEMORY_COUNTERS_EX m = {};
            GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
            return static_cast<double>(m.PrivateUsage ? m.PrivateUsage : m.WorkingSetSize);
        };
        const double before = held();
        auto t0 = std::chrono::steady_clock::now();
        auto store = std::make_unique<cUserDataStore>(true);
        EXPECT_TRUE(store->WaitForStationDatabase(120000));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (heldMb) *heldMb = (held() - before) / 1048576.0;
        EXPECT_EQ(1, store->IsLoaded());
        EXPECT_EQ(stations, store->LockStreamList()->GetAnzElement());
        store->UnlockStreamList();
        return ms;
    }
};

// Load time and memory of databases of the size the server delivers, and the
// curve over sizes (it must stay linear). Memory first, while the heap of
// this process is still fresh.
TEST_F(StoreBench, LoadsSixtyThousandStationsAndGrowsLinearly) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "a benchmark (scripts/bench)";
    const double fileMb = WriteDb(60000);
    double memMb = 0;
    std::vector<double> sixty = {Load(60000, &memMb)};
    for (int round = 0; round < 4; ++round) sixty.push_back(Load(60000, nullptr));
    printf("[ BENCH    ] station database of 60000 stations (%.1f MB file)\n", fileMb);
    tdtest::Figure("station database load, 60000 stations", tdtest::Median(sixty), "ms", 300);
    tdtest::Figure("station database memory held, 60000 stations", memMb, "MB", 40);
    const int sizes[] = {15000, 30000, 60000, 120000};
    double perFirst = 0, perLast = 0;
    for (int n : sizes) {
        WriteDb(n);
        std::vector<double> ms;
        for (int round = 0; round < 3; ++round) ms.push_back(Load(n, nullptr));
        const double per = tdtest::Median(ms) / n * 1000;
        printf("[ CURVE    ] %6d stations: %7.1f ms, %.2f ms per 1000\n", n, tdtest::Median(ms), per);
        if (n == sizes[0]) perFirst = per;
        perLast = per;
    }
    tdtest::Figure("station database load per station, 120000 against 15000", perLast / perFirst, "x", 1.5);
}
}  // namespace
