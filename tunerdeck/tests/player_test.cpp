// The player object with the facetkit stand-in and the real playback host:
// what a play sends to the skin, the tone on the monitor, the end of a
// stream whose server goes away, and listening reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app_start.h"
#include "core_test_support.h"
#include "debug_log.h"
#include "ifserver.h"
#include "info_callback.h"
#include "pipe.h"
#include "player.h"
#include "registry.h"
#include "requests.h"
#include "station_db.h"
#include "test_audio.h"
#include "user_data_store.h"

namespace {

constexpr const char* kMainClass = "tunerdeck Main Wnd Class";

// A player whose user interface (the facetkit stand-in) runs on a thread of
// its own. The program folder is the build's, where the playback host is:
// the host must load the very basekit.dll of this process to share its
// data section.
class RunningPlayer {
public:
    RunningPlayer() : log_(folders_.Docs() + "\\facetkit.log") {
        td::SetProgramFolder(tdtest::BinDir().c_str());
        // The user's files in the test's folder: no database of the build's to load.
        SetValue("PathUser", (folders_.User() + "\\").c_str());
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", log_.c_str());
    }
    ~RunningPlayer() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (ui_.joinable()) ui_.join();
        delete player_;
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", nullptr);
    }

    cRadioPlayer* Start(int retryCount, int reconnect, const std::function<void(cRadioPlayer&)>& before = nullptr) {
        player_ = new cRadioPlayer(0);
        if (before) before(*player_);
        player_->SetSkinLibraryFolder((tdtest::BinDir() + "\\fake_facetkit_full").c_str());
        player_->Settings().SetRetryCount(retryCount);
        player_->Settings().SetReconnectOnServerLost(static_cast<short>(reconnect));
        ui_ = std::thread([this] { startResult_ = player_->Start(0); });
        tdtest::WaitFor([&] { return (window_ = tdtest::FindWindowOf(kMainClass, GetCurrentProcessId())) != nullptr; },
                        20000);
        return window_ ? player_ : nullptr;
    }
    std::string Log() const {
        std::string text;
        tdtest::ReadFileBytes(log_, &text);
        return text;
    }
    bool WaitForLog(const std::string& line, DWORD ms, size_t from = 0) const {
        return tdtest::WaitFor([&] { return Log().find(line, from) != std::string::npos; }, ms, 50);
    }
    const coretest::PlayerFolders& Folders() const { return folders_; }
    // Acts as the user: the callback the player handed the skin engine.
    int Callback(int fkt, int ch, void* text = nullptr) {
        using Fn = int (*)(int, int, void*);
        auto fn = reinterpret_cast<Fn>(GetProcAddress(player_->Skin().Module(), "FakeInvokeCallback"));
        return fn ? fn(fkt, ch, text) : -2;
    }
    // Closes the interface and waits until Start has returned.
    int End() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
        if (ui_.joinable()) ui_.join();
        return startResult_;
    }

private:
    coretest::PlayerFolders folders_;
    std::string log_;
    cRadioPlayer* player_ = nullptr;
    std::thread ui_;
    HWND window_ = nullptr;
    int startResult_ = -1;
};

// The station database of the user folder: one station with one
// RealAudio stream at `address`.
constexpr uint32_t kChannel = 1, kStream = 500001;
void WriteStationDatabase(const std::string& userFolder, const std::string& address) {
    SetValue("PathUser", (userFolder + "\\").c_str());
    auto doc = std::make_unique<cStationDbDoc>();
    auto sender = std::make_unique<cSenderDoc>();
    sender->N = "Testfunk";
    sender->Id = "1";
    sender->T = "1";
    sender->L = "1";
    auto channel = std::make_unique<cChannelDoc>();
    channel->N = "Eins";
    channel->Id = std::to_string(kChannel);
    channel->SID = "1";
    channel->G = "5";
    channel->S = "1";
    channel->T = "1";
    channel->Tx = "Deutsch";
    channel->Tx_ENG = "English";
    auto stream = std::make_unique<cStreamDoc>();
    stream->Id = kStream;
    stream->CID = kChannel;
    stream->F = 1;
    stream->Q = 128;
    stream->U = address;
    doc->senders.push_back(std::move(sender));
    doc->channels.push_back(std::move(channel));
    doc->streams.push_back(std::move(stream));
    cUserDataStore store(false);
    ASSERT_EQ(store.SaveStationDatabase(doc), 1);
}

struct BoxSearch {
    int button;
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || strcmp(cls, "#32770") != 0 || !GetDlgItem(hwnd, search->button)) return TRUE;
    if (search->button == IDOK && GetDlgItem(hwnd, IDYES)) return TRUE;
    search->box = hwnd;
    return FALSE;
}

// Answers the first box of this process that has `button` (IDOK: a box with
// nothing but OK) with it; its text, or empty when none came within `ms`.
std::string AnswerBox(int button, DWORD ms) {
    BoxSearch search{button};
    tdtest::WaitFor([&] {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        return search.box != nullptr;
    }, ms, 50);
    if (!search.box) return std::string();
    char text[2048] = {};
    // The box may be found before its text is in place.
    tdtest::WaitFor([&] { return GetDlgItemTextA(search.box, 0xFFFF, text, sizeof text) > 0; }, 2000, 20);
    PostMessageA(search.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(search.box, button)));
    return text;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(Player, PlaysAnAddressThroughTheHostAndRetriesWhenTheServerGoesAway) {
    RunningPlayer run;
    cRadioPlayer* player = run.Start(2, 1);
    ASSERT_NE(player, nullptr) << run.Log();

    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(4.0));
    o.bytesPerSecond = 16000;
    auto server = std::make_unique<tdtest::HttpServer>();
    server->Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });

    // RealAudio: the RealPlayer engine, whatever Media Player the prefix has.
    player->PlayAddress(1, server->Url("/station").c_str());
    EXPECT_TRUE(run.WaitForLog("ReceiveStatus 1 0", 30000)) << run.Log();
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetStatus() == 0; }, 30000));
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetEnginePlayState() == 4; }, 30000)) << run.Log();
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(1500, 4000, &st)) << "rms " << st.rms << "\n" << run.Log();

    server->Stop();
    // The stream had run: reconnect, which fails, then one retry, then the end.
    EXPECT_TRUE(run.WaitForLog("ReceiveStatus 16 keep_record OK finished playing...", 30000)) << run.Log();
    EXPECT_TRUE(run.WaitForLog("ReceiveStatus 16 finished playing...", 60000)) << run.Log();
    Sleep(3000);
    std::string log = run.Log();
    EXPECT_EQ(Count(log, "ReceiveStatus 16 finished playing..."), 1u) << log;
    EXPECT_GE(player->PendingReports(), 1u);
}

// Neither a host that cannot start nor a stream that ends before it ever
// played is a normal end: each is a try under the retry count, and the
// last one ends the play for good (no reconnect for ever).
TEST(Player, AStreamThatNeverRanIsRetriedUpToTheCountAndThenEnds) {
    tdtest::TempFolder empty("nohost");
    tdtest::HttpServer server;
    server.Route("/empty", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(200, "", "audio/mpeg"); });
    struct Case {
        const char* what;
        bool hostMissing;
        // "keep_record finished playing..." at least: the player's retry, and
        // each failed host start of the client (a recording runs on until the
        // player's last word; on a busy machine a host can also miss its
        // start-up wait)
        size_t kept;
    } cases[] = {{"no host", true, 3}, {"empty stream", false, 1}};
    for (const Case& c : cases) {
        RunningPlayer run;
        cRadioPlayer* player = run.Start(2, 1);
        ASSERT_NE(player, nullptr) << run.Log();
        ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetCapabilities() != 0; }, 20000)) << c.what;
        if (c.hostMissing) td::SetProgramFolder(empty.Path().c_str());
        player->PlayAddress(1, server.Url("/empty").c_str());
        ASSERT_TRUE(run.WaitForLog("ReceiveStatus 16 finished playing...", 60000)) << c.what << run.Log();
        // The last try ended it: no worker is left for another.
        ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetAttempt() == 2 && player->RetryWorkers() == 0; }, 10000))
            << c.what;
        const std::string log = run.Log();
        EXPECT_GE(Count(log, "ReceiveStatus 16 keep_record finished playing..."), c.kept) << c.what << log;
        EXPECT_EQ(Count(log, "ReceiveStatus 16 finished playing..."), 1u) << c.what << log;
        EXPECT_EQ(Count(log, "keep_record OK finished"), 0u) << c.what << log;
        td::SetProgramFolder(tdtest::BinDir().c_str());
    }
}

// The player's own log file (its DebugLog lines).
std::string PlayerLogFile() {
    char path[MAX_PATH + 32] = {};
    td::DebugLogPaths(path, sizeof path, nullptr, 0);
    std::string text;
    tdtest::ReadFileBytes(path, &text);
    return text;
}

// The skin's banner codes reach the two banner objects, whose control is
// the system's web browser: made where the system has one, and where it
// cannot be made the banner stays empty without holding up the player or
// its end. Without VelmoAddy only the podcast and info kinds start.
TEST(Player, TheSkinsBannerCodesDriveTheBannerObjects) {
    RunningPlayer run;
    cRadioPlayer* player = run.Start(0, 0, [](cRadioPlayer& p) { p.Settings().SetVelmoAddy(0); });
    ASSERT_NE(player, nullptr) << run.Log();
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->BannerThreads() == 2; }, 10000));
    HWND main = tdtest::FindWindowOf(kMainClass, GetCurrentProcessId());
    const size_t logStart = PlayerLogFile().size();
    // Each start ends placed (the control made, loaded and shown) or given
    // up (logged as an error).
    auto givenUp = [&] {
        const std::string log = PlayerLogFile();
        return Count(log.size() > logStart ? log.substr(logStart) : log, "OnStartBanner - kein Browser-Control");
    };
    auto started = [&](const char* record, size_t before) {
        return run.WaitForLog(record, 30000) && tdtest::WaitFor([&] {
            HWND host = FindWindowExA(main, nullptr, "tunerdeck Banner Host", nullptr);
            // Shown by its own style (the stand-in's main window is never shown).
            return (host && (GetWindowLongA(host, GWL_STYLE) & WS_VISIBLE)) || givenUp() > before;
        }, 30000, 50);
    };

    // Not shown: the main banner stays down; the podcast banner starts.
    run.Callback(24, 0);
    run.Callback(56, 4);
    ASSERT_TRUE(started("GetPodcastBannerInfo", 0)) << run.Log();
    EXPECT_EQ(run.Log().find("GetBannerInfo"), std::string::npos) << run.Log();
    const bool control = FindWindowExA(main, nullptr, "tunerdeck Banner Host", nullptr) != nullptr;
    std::printf("web browser control: %s\n", control ? "made" : "not available (failed softly)");
    run.Callback(57, 4);
    ASSERT_TRUE(tdtest::WaitFor([&] { return !FindWindowExA(main, nullptr, "tunerdeck Banner Host", nullptr); },
                                10000, 50));

    // Shown: code 24 starts the main banner, 27 answers whether it runs.
    player->Settings().SetVelmoAddy(1);
    const size_t startsBefore = givenUp();
    run.Callback(24, 0);
    ASSERT_TRUE(started("GetBannerInfo", startsBefore)) << run.Log();
    const size_t before = Count(run.Log(), "ReceiveStatus 15");
    EXPECT_EQ(run.Callback(27, 0), 1);
    EXPECT_EQ(Count(run.Log(), "ReceiveStatus 15"), before + (control ? 0 : 1)) << run.Log();
    // Stopped, the skin hears that it may close.
    run.Callback(25, 0);
    ASSERT_TRUE(tdtest::WaitFor([&] {
        run.Callback(27, 0);
        return Count(run.Log(), "ReceiveStatus 15") > before + (control ? 0 : 1);
    }, 10000, 100)) << run.Log();
    EXPECT_EQ(FindWindowExA(main, nullptr, "tunerdeck Banner Host", nullptr), nullptr);

    // A start the end of the interface overtakes ends with the player.
    run.Callback(24, 0);
    EXPECT_EQ(run.End(), 0);
    EXPECT_TRUE(player->Shutdown());
    EXPECT_EQ(player->BannerThreads(), 0);
}

TEST(Player, StatusReachesTheSkinOnlyWhileItsInterfaceIsUp) {
    RunningPlayer run;
    {
        cRadioPlayer before(0);
        EXPECT_EQ(before.SendStatus(const_cast<char*>("early"), 0), 0);
    }
    cRadioPlayer* player = run.Start(0, 0);
    ASSERT_NE(player, nullptr) << run.Log();
    EXPECT_EQ(player->SendStatus(const_cast<char*>("while up"), 0), 1);
    EXPECT_NE(run.Log().find("ReceiveStatus 0 while up"), std::string::npos);
    EXPECT_EQ(run.Log().find("early"), std::string::npos);
    player->Stop(1);
    EXPECT_EQ(player->GetStatus(), 1ul);
}

TEST(Player, AStreamNotInTheDatabaseEndsThePlayWithTheMessage) {
    RunningPlayer run;
    cRadioPlayer* player = run.Start(0, 0);
    ASSERT_NE(player, nullptr) << run.Log();
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetCapabilities() != 0; }, 30000));
    player->Play(4242);
    std::string log = run.Log();
    size_t missing = log.find("ReceiveStatus 67 ");
    size_t message = log.find("4242", missing);
    size_t finished = log.find("ReceiveStatus 16 finished playing...", message);
    EXPECT_NE(missing, std::string::npos) << log;
    EXPECT_NE(message, std::string::npos) << log;
    EXPECT_NE(finished, std::string::npos) << log;
    EXPECT_EQ(player->GetStatus(), 1ul) << "nothing plays";
}

TEST(Player, AStationPlayedByIdThroughTheSkinsCallbackIsHeardAndStopsAtTheUsersWord) {
    RunningPlayer run;
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(4.0));
    o.bytesPerSecond = 16000;
    tdtest::HttpServer server;
    server.Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });
    WriteStationDatabase(run.Folders().User(), server.Url("/station"));

    cRadioPlayer* player = run.Start(0, 0);
    ASSERT_NE(player, nullptr) << run.Log();
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetCapabilities() != 0; }, 30000));

    EXPECT_EQ(run.Callback(2, static_cast<int>(kStream)), 0) << "a worker code answers at once";
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetEnginePlayState() == 4; }, 30000)) << run.Log();
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(1500, 4000, &st)) << "rms " << st.rms << "\n" << run.Log();
    // What the skin hears of the play, in order: the empty buffer, the
    // address, the station's details and its place in the recent list.
    std::string log = run.Log();
    size_t buffer = log.find("ReceiveStatus 1 0");
    size_t play = log.find("ReceiveStatus 0 Play : " + server.Url("/station"), buffer);
    size_t details = log.find("GetLastPlayedSender Testfunk\x02" "Eins\x02", play);
    size_t recent = log.find("AddToList 13 Testfunk - Eins 1 0", details);
    EXPECT_NE(buffer, std::string::npos) << log;
    EXPECT_NE(play, std::string::npos) << log;
    EXPECT_NE(details, std::string::npos) << log;
    EXPECT_NE(recent, std::string::npos) << log;
    EXPECT_EQ(player->GetDisplayText(), "Testfunk - Eins");
    std::string value;
    EXPECT_TRUE(run.Folders().Registry().GetString("LastStreamId", &value));
    EXPECT_EQ(value, std::to_string(kStream));

    // The user's stop: the end is final, and no retry plays it again.
    const size_t stopAt = run.Log().size();
    EXPECT_EQ(run.Callback(3, 0), 0);
    EXPECT_TRUE(run.WaitForLog("finished playing...", 20000, stopAt)) << run.Log();
    EXPECT_TRUE(tdtest::WaitFor([&] { return td::RunningCallbackWorkers() == 0; }, 30000));
    Sleep(1500);
    EXPECT_NE(player->GetEnginePlayState(), 4);
    EXPECT_EQ(Count(run.Log(), "ReceiveStatus 0 Play : "), 1u) << run.Log();
    EXPECT_EQ(run.Log().find("keep_record", stopAt), std::string::npos) << run.Log();

    // By channel: the channel's stream plays, and the channel is kept for the next start.
    SetValue("LastChannelId", static_cast<const char*>(nullptr));
    EXPECT_EQ(run.Callback(1, static_cast<int>(kChannel)), 0);
    EXPECT_TRUE(tdtest::WaitFor([&] { return Count(run.Log(), "ReceiveStatus 0 Play : ") == 2; }, 30000)) << run.Log();
    EXPECT_TRUE(tdtest::WaitFor([&] { return player->GetEnginePlayState() == 4; }, 30000)) << run.Log();
    EXPECT_EQ(player->GetPlayingStreamId(), static_cast<int>(kStream));
    EXPECT_TRUE(run.Folders().Registry().GetString("LastChannelId", &value));
    EXPECT_EQ(value, std::to_string(kChannel));
    EXPECT_EQ(run.Callback(3, 0), 0);
    EXPECT_TRUE(tdtest::WaitFor([&] { return player->GetEnginePlayState() != 4; }, 20000));
    EXPECT_TRUE(tdtest::WaitFor([&] { return td::RunningCallbackWorkers() == 0; }, 30000));

    EXPECT_EQ(run.End(), 0);
    // With the interface gone nothing reaches the player any more.
    size_t before = run.Log().size();
    EXPECT_EQ(td::InfoCallback(2, static_cast<int>(kStream), nullptr), 0);
    Sleep(300);
    EXPECT_EQ(td::RunningCallbackWorkers(), 0);
    EXPECT_EQ(run.Log().size(), before) << run.Log().substr(before);
}

TEST(Player, TheRecordingPipeFeedsTheMeterOnlyWhileTheInterfaceIsUp) {
    RunningPlayer run;
    cRadioPlayer* player = run.Start(0, 0);
    ASSERT_NE(player, nullptr) << run.Log();
    ASSERT_NE(player->Pipe(), nullptr) << "made at Start";
    // Holds the stand-in in memory after the player has let it go.
    HMODULE fake = LoadLibraryA((tdtest::BinDir() + "\\fake_facetkit_full\\facetkit.dll").c_str());
    ASSERT_NE(fake, nullptr);
    using Counter = LONG (*)();
    auto peaks = reinterpret_cast<Counter>(GetProcAddress(fake, "FakePeakCalls"));
    ASSERT_NE(peaks, nullptr);

    // Lists ready: every list goes to the skin, then the free recording time.
    EXPECT_EQ(run.Callback(15, 0), 0);
    EXPECT_TRUE(run.WaitForLog("SetRecTime ", 10000)) << run.Log();
    EXPECT_NE(run.Log().find("ClearList 10"), std::string::npos) << run.Log();
    // Listening starts the level meter.
    EXPECT_EQ(run.Callback(40, 0), 0);
    EXPECT_TRUE(tdtest::WaitFor([&] { return peaks() > 0; }, 10000)) << "no level reached the meter";

    EXPECT_EQ(run.End(), 0);
    const LONG after = peaks();
    Sleep(600);
    EXPECT_EQ(peaks(), after) << "the meter was fed after the interface had gone";
    FreeLibrary(fake);
}

TEST(Player, TopStationsAreDueAWeekAfterTheDayOfTheirLastUpdate) {
    SYSTEMTIME now = {};
    now.wYear = 2026;
    now.wMonth = 12;
    now.wDay = 10;
    now.wHour = 12;
    struct Case {
        const char* date;
        bool due;
    } cases[] = {
        {"", true},            // never updated: counts as 2000-01-01
        {"20261203", false},   // its day ends 23:59:59, seven days later is the 10th at 23:59:59
        {"20261202", true},
        {"20261210", false},
        {"2026120", true},     // too short
        {"2026x203", true},    // not a date
        {"20261332", true},    // impossible day
    };
    for (const Case& c : cases) EXPECT_EQ(cRadioPlayer::TopStationsDue(c.date, now), c.due) << c.date;
}

TEST(Player, TheStartUpCheckTakesTheServersAnswerAndAFailedOneKeepsWhatWasStored) {
    ifserver::InterfaceServer server;
    cRadioPlayer::SetInterfaceServer(server.Host().c_str());
    {
        RunningPlayer run;
        cRadioPlayer* player = run.Start(0, 0);
        ASSERT_NE(player, nullptr) << run.Log();
        ASSERT_TRUE(tdtest::WaitFor([&] { return (player->JobFlags() & cRadioPlayer::kJobStartCheck) == 0; }, 30000));
        EXPECT_STREQ(player->Settings().GetPID(), "4711");
        EXPECT_EQ(player->ServerText(2), "http://127.0.0.1/hilfe.chm");
        EXPECT_EQ(player->ServerText(0), "20260101");
        EXPECT_EQ(player->SkinStationList(), "1;2;3");
        EXPECT_EQ(player->Settings().GetAdBannerCX(), 468);
        EXPECT_EQ(player->Settings().GetSplashCY_ENG(), 301);
        EXPECT_TRUE(run.WaitForLog("ReceiveStatus 28 (null)", 30000)) << run.Log();
        // The skin's own stations as one series (none of them is in this database).
        std::string log = run.Log();
        size_t clear = log.find("ClearList 17");
        EXPECT_NE(clear, std::string::npos) << log;
        EXPECT_NE(log.find("AddToSkinDefinedSender (null) 0", clear), std::string::npos) << log;
        // A first start has no top-station date: the update asks the server.
        ASSERT_TRUE(tdtest::WaitFor([&] { return (player->JobFlags() & cRadioPlayer::kJobTopStations) == 0; }, 30000));
        bool askedTops = false;
        for (const std::string& r : server.Requests())
            askedTops = askedTops || ifserver::InterfaceServer::RootOf(r) == "GetTops";
        EXPECT_TRUE(askedTops);
    }
    server.SetFault(ifserver::Fault::kStatus500);
    {
        RunningPlayer run;
        cRadioPlayer* player = run.Start(0, 0, [](cRadioPlayer& p) { p.Settings().SetPID("1234"); });
        ASSERT_NE(player, nullptr) << run.Log();
        ASSERT_TRUE(tdtest::WaitFor([&] { return (player->JobFlags() & cRadioPlayer::kJobStartCheck) == 0; }, 30000));
        EXPECT_STREQ(player->Settings().GetPID(), "1234") << "an empty answer wiped the player id";
    }
    cRadioPlayer::SetInterfaceServer("");
}

bool g_signatureGood = false;
bool FakeVerifier(const char*) { return g_signatureGood; }

// The installer runs only when it came whole (the size the server announced)
// and its signature verifies; anything else is deleted and the user told.
// The signature check is the verifier seam (the system's is installed at
// start-up): Wine's WinVerifyTrust is checked on its own below.
TEST(Player, AnAcceptedProgramUpdateRunsTheInstallerOnlyWhenItWasFetchedWholeAndSigned) {
    struct Case {
        const char* what;
        const char* path;
        bool served;
        const char* announced;
        bool signedWell;
        bool runs;
    } cases[] = {{"fetched and signed", "/update.exe", true, "1000", true, true},
                 {"not there", "/missing.exe", false, "1000", true, false},
                 {"not signed", "/update.exe", true, "1000", false, false},
                 {"another size", "/update.exe", true, "999", true, false},
                 {"no size announced", "/update.exe", true, "", true, false}};
    for (const Case& c : cases) {
        g_signatureGood = c.signedWell;
        SetCodeVerifier(FakeVerifier);
        ifserver::InterfaceServer server;
        if (c.served) server.ServeFile("/update.exe", std::string(1000, 'u'));
        server.SetReply("UpdatePlayerInfo2",
                        "<UpdatePlayerInfo2Resp><PId>4711</PId><Version>9.9.9.9</Version><status>2</status>"
                        "<UpdateSize>" + std::string(c.announced) + "</UpdateSize><UpdateUrl>" + server.Url(c.path) +
                            "</UpdateUrl><skinStatus>0</skinStatus></UpdatePlayerInfo2Resp>");
        cRadioPlayer::SetInterfaceServer(server.Host().c_str());
        td::SetUpdateFlag(0);
        RunningPlayer run;
        SetValue("PathUser", (run.Folders().User() + "\\").c_str());
        std::string box;
        std::thread answer([&] { box = AnswerBox(IDYES, 20000); });
        cRadioPlayer* player = run.Start(0, 0);
        answer.join();
        ASSERT_NE(player, nullptr) << run.Log();
        EXPECT_NE(box.find("9.9.9.9"), std::string::npos) << box;
        // A refused download is told once the interface has closed for the update.
        std::string toldText;
        std::thread told([&] {
            if (c.served && !c.runs) toldText = AnswerBox(IDOK, 30000);
        });
        // The accepted offer closes the interface (the stand-in leaves that to the test).
        EXPECT_TRUE(run.WaitForLog("ReceiveStatus 21 (null)", 10000)) << run.Log();
        EXPECT_EQ(run.End(), 0);
        EXPECT_EQ(td::UpdateFlag(), c.runs ? 1 : 0) << c.what;
        EXPECT_EQ(GetFileAttributesA((run.Folders().User() + "\\update.exe").c_str()) != INVALID_FILE_ATTRIBUTES,
                  c.runs)
            << c.what;
        told.join();
        EXPECT_EQ(toldText.find("konnte nicht gepr") != std::string::npos, c.served && !c.runs) << c.what << toldText;
    }
    SetCodeVerifier(nullptr);
    td::SetUpdateFlag(0);
    cRadioPlayer::SetInterfaceServer("");
}

// The system's verifier: a program without a signature is not trusted.
TEST(Player, TheSystemsVerifierRefusesUnsignedPrograms) {
    tdtest::TempFolder folder("sig");
    const std::string program = folder.File("unsigned.exe");
    ASSERT_TRUE(CopyFileA((tdtest::BinDir() + "\\fake_agent\\traywatch.exe").c_str(), program.c_str(), FALSE));
    EXPECT_FALSE(VerifyAuthenticode(program.c_str()));
    EXPECT_FALSE(VerifyAuthenticode(folder.File("absent.exe").c_str()));
}

TEST(Player, TheInterfacesEndWaitsForTheCallbackWorkersStillRunning) {
    RunningPlayer run;
    cRadioPlayer* player = run.Start(0, 0);
    ASSERT_NE(player, nullptr) << run.Log();
    // Code 48 waits about 5 s for lists that never become ready (and no
    // worker of an earlier test may make them so).
    ASSERT_TRUE(tdtest::WaitFor([&] { return td::RunningCallbackWorkers() == 0; }, 60000));
    td::ResetCallbackFlags();
    // The worker's wait of about 5 s starts after this.
    const DWORD start = GetTickCount();
    EXPECT_EQ(run.Callback(48, 0), 0);
    ASSERT_TRUE(tdtest::WaitFor([&] { return td::RunningCallbackWorkers() > 0; }, 30000));
    // Counted before its thread runs: give the worker time to begin its
    // wait, so the end cannot come before it reached the player.
    Sleep(2000);
    EXPECT_EQ(run.End(), 0);
    EXPECT_EQ(td::RunningCallbackWorkers(), 0) << "Start left while a worker could still reach the player";
    // Lists that became ready meanwhile (a list push of the player's own)
    // end the worker's wait early; otherwise the end waited for it.
    if (!td::ListsReady()) EXPECT_GE(GetTickCount() - start, 4500u);
}

// A pipe whose wave-out volume is a plain number (the mixer here has none).
class VolumePipe : public CPipe {
public:
    explicit VolumePipe(cPipeHost* host) : CPipe(host, false) {}
    volatile int volume = 80;
    int sets = 0;
    void GetWaveOutVolume(int* value, int* maximum, int* minimum, int* step) override {
        *value = volume;
        *maximum = 100;
        *minimum = 0;
        *step = 1;
    }
    void SetWaveOutVolume(int value) override {
        volume = value;
        ++sets;
    }
};

TEST(Player, BufferingPutsBackTheWaveOutVolumeAnEngineTurned) {
    RunningPlayer run;
    VolumePipe* pipe = nullptr;
    cRadioPlayer* player = run.Start(0, 0, [&](cRadioPlayer& p) {
        pipe = new VolumePipe(p.PipeHost());
        p.UsePipe(pipe);
    });
    ASSERT_NE(player, nullptr) << run.Log();
    ASSERT_EQ(player->Pipe(), pipe);
    // Nothing read yet: the skin hears of it, and the volume is taken.
    player->OnBufferingStart();
    EXPECT_TRUE(run.WaitForLog("ReceiveStatus 53 \r\n", 30000)) << run.Log();
    EXPECT_EQ(pipe->sets, 0);
    // An engine turns the volume down as it starts buffering: it goes back.
    pipe->volume = 40;
    player->OnBufferingStart();
    EXPECT_EQ(pipe->volume, 80);
    EXPECT_EQ(pipe->sets, 1);
    // Unchanged: left alone.
    player->OnBufferingStart();
    EXPECT_EQ(pipe->sets, 1);
    EXPECT_EQ(Count(run.Log(), "ReceiveStatus 53 "), 1u);
}

}  // namespace
