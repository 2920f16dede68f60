// playcradle as the main program drives it: started with a switch, commanded
// by thread messages, answering on a status window of class
// "control_activex_class" that this test process owns.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cradle_app.h"
#include "shared_data.h"
#include "url_protocol.h"
#include "statusrecords.h"
#include "tdtest.h"
#include "status_window.h"
#include "test_audio.h"

namespace {

std::string Cradle() { return tdtest::BinDir() + "\\playcradle.exe"; }

// Posts a thread message once the host has a queue.
bool Post(tdtest::Process& p, UINT msg, WPARAM w = 0, LPARAM l = 0) {
    return tdtest::WaitFor([&] { return PostThreadMessageA(p.MainThreadId(), msg, w, l) != 0; }, 30000);
}

TEST(PlaycradleCommandLine, SwitchesAreMatchedAsAWhole) {
    struct Case {
        const char* line;
        EngineKind engine;
        int32_t probe;
        bool check;
    } cases[] = {
        {" -rp", kEngineReal, 0, false},          {" -mp", kEngineMp64, 0, false},
        {" -mp9", kEngineMp9, 0, false},          {" -rpV", kEngineReal, 1, false},
        {" -mpV", kEngineMp64, 1, false},         {"\"C:\\a b\\playcradle.exe\" -mp", kEngineMp64, 0, false},
        {"playcradle.exe -CheckConnection", kEngineNone, 0, true},
        {" -mp9 ", kEngineNone, 0, false},        {" -MP", kEngineNone, 0, false},
        {"", kEngineNone, 0, false},              {" -rp -mp", kEngineNone, 0, false},
    };
    for (const Case& c : cases) {
        int32_t probe = -1;
        bool check = true;
        EXPECT_EQ(ParseCradleCommandLine(c.line, &probe, &check), c.engine) << c.line;
        EXPECT_EQ(probe, c.probe) << c.line;
        EXPECT_EQ(check, c.check) << c.line;
    }
    EXPECT_EQ(MajorVersion("6.0.14.806"), 6);
    EXPECT_EQ(MajorVersion("12"), 12);
    EXPECT_EQ(MajorVersion("11,2"), 11);
    EXPECT_EQ(MajorVersion("123456789012"), 123456789);
    EXPECT_EQ(MajorVersion(nullptr), 0);
}

const char kNoWmpCradle[] = "cradle_nowmp.exe";

// Wine's per-program library settings: an empty load order disables the
// library for that program only, so tests running beside this one keep it.
class WmpSwitchedOff {
public:
    WmpSwitchedOff() {
        HKEY k = nullptr;
        std::string overrides = AppKey() + "\\DllOverrides";
        if (RegCreateKeyExA(HKEY_CURRENT_USER, overrides.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(k, "wmp", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
            RegCloseKey(k);
        }
    }
    ~WmpSwitchedOff() { RegDeleteTreeA(HKEY_CURRENT_USER, AppKey().c_str()); }

private:
    static std::string AppKey() { return std::string("Software\\Wine\\AppDefaults\\") + kNoWmpCradle; }
};

TEST(PlaycradleProbes, AnswerWhatTheEnginesCanDo) {
    tdtest::HttpServer server;
    server.Route("/ping.html", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(200, "<p>ok_vl</p>"); });
    tdtest::HttpServer silent;
    silent.Route("/ping.html", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(200, "maintenance"); });

    // A copy of the host without the stand-ins beside it.
    tdtest::TempFolder bare;
    ASSERT_TRUE(CopyFileA(Cradle().c_str(), bare.File("playcradle.exe").c_str(), FALSE));
    for (const char* dll : {"basekit.dll", "mediabridge.dll"})
        ASSERT_TRUE(CopyFileA((tdtest::BinDir() + "\\" + dll).c_str(), bare.File(dll).c_str(), FALSE)) << dll;
    // A copy under a name of its own for which Wine's loader switches the
    // platform's Media Player 7+ control off: its library never loads.
    ASSERT_TRUE(CopyFileA(Cradle().c_str(), bare.File(kNoWmpCradle).c_str(), FALSE));
    WmpSwitchedOff noWmp;

    struct Case {
        const char* name;
        std::string exe;
        const char* arg;
        bool registered;
        std::string server;
        WPARAM kind;
        LPARAM value;
    } cases[] = {
        {"rpV", Cradle(), "-rpV", true, "", 10, 6},
        {"rpV without realbridge", bare.File("playcradle.exe"), "-rpV", true, "", 10, 0},
        {"mpV", Cradle(), "-mpV", true, "", 11, 2},
        {"mpV without the 6.4 control", Cradle(), "-mpV", false, "", 11, 2},
        {"mpV with the 6.4 control only", bare.File(kNoWmpCradle), "-mpV", true, "", 11, 1},
        {"mpV without any control", bare.File(kNoWmpCradle), "-mpV", false, "", 11, 0},
        {"connection", Cradle(), "-CheckConnection", true, server.Host(), 12, 1},
        {"no acknowledgement", Cradle(), "-CheckConnection", true, silent.Host(), 12, 0},
        {"no server", Cradle(), "-CheckConnection", true, "127.0.0.1:1", 12, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", c.registered ? "DllRegisterServer" : "DllUnregisterServer"), S_OK);
        SetEnvironmentVariableA("TD_INTERFACE_SERVER", c.server.empty() ? nullptr : c.server.c_str());
        StatusWindow status;
        tdtest::Process p;
        ASSERT_TRUE(p.Start(c.exe, {c.arg})) << c.name;
        LPARAM value = -1;
        EXPECT_TRUE(status.WaitReply(c.kind, &value, 20000)) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
        DWORD code = 99;
        EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 10000)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
    }
    SetEnvironmentVariableA("TD_INTERFACE_SERVER", nullptr);
    ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK);
}

TEST(PlaycradleProbes, UnknownSwitchesEndWithoutAnswer) {
    for (const char* arg : {"-MP", "-mp9x", "-play"}) {
        StatusWindow status;
        tdtest::Process p;
        ASSERT_TRUE(p.Start(Cradle(), {arg}));
        DWORD code = 99;
        EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 10000)) << arg;
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(status.replies.empty()) << arg;
        EXPECT_TRUE(status.records.empty()) << arg;
    }
}

// One engine switch playing one stream.
class PlaycradlePlayTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK); }
    void StartAndPlay(const std::string& url, int bufferSeconds) {
        ASSERT_TRUE(host.Start(Cradle(), {GetParam()}));
        ASSERT_TRUE(Post(host, UWM_SET_BUFF_SIZE, 0, bufferSeconds));
        SetPlayURL(url.c_str());
        ASSERT_TRUE(Post(host, UWM_CMD_PLAY, 1));
    }
    void StopAndEnd() {
        ASSERT_TRUE(Post(host, UWM_CMD_STOP));
        Post(host, UWM_CMD_STOP);   // a second stop is refused; the process ends once
        DWORD code = 99;
        EXPECT_TRUE(tdtest::WaitFor([&] { return host.Wait(0, &code); }, 10000));
        EXPECT_EQ(code, 0u);
    }

    tdtest::HttpServer server;
    StatusWindow status;
    tdtest::Process host;
};

TEST_P(PlaycradlePlayTest, IcyMp3StationPlaysPausesContinuesAndStops) {
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(4.0));
    o.bytesPerSecond = 16000;
    server.Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });
    // Four seconds of buffer: the server sends two seconds at once, the rest
    // in real time, so the buffering lasts long enough to be reported.
    StartAndPlay(server.Url("/station"), 4);

    // Opening, buffering with progress, playing, stream information.
    int open = status.WaitRecord(bk::kStatusOpenState, 6, 10000);
    int buffering = status.WaitRecord(bk::kStatusBuffering, -1, 10000);
    int playing = status.WaitRecord(bk::kStatusEnginePlayState, 2, 10000);
    ASSERT_GE(open, 0);
    ASSERT_GT(buffering, open);
    ASSERT_GT(playing, buffering);
    uint32_t progress = status.records[buffering].rec.value.value;
    EXPECT_GE(progress, 1u);
    EXPECT_LE(progress, 100u);
    int info = -1;
    ASSERT_TRUE(tdtest::WaitFor(
        [&] {
            for (size_t i = 0; i < status.records.size(); ++i)
                if (status.records[i].kind == bk::kStatusStreamInfo && status.records[i].rec.streamInfo.title[0])
                    info = static_cast<int>(i);
            return info >= 0;
        },
        8000));
    EXPECT_GT(info, open);
    EXPECT_STREQ(status.records[info].rec.streamInfo.title, "Test Artist - Test Tone");
    EXPECT_STREQ(status.records[info].rec.streamInfo.author, "Test Radio");
    EXPECT_EQ(status.records[info].rec.streamInfo.processId, host.Pid());

    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(800, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
    EXPECT_GE(status.WaitRecord(bk::kStatusRunInfo, -1, 30000), 0);

    ASSERT_TRUE(Post(host, UWM_CMD_PAUSE));
    EXPECT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 1, 30000), 0);
    ASSERT_TRUE(Post(host, UWM_CMD_PLAY, 2));
    EXPECT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 2, 30000), 0);
    EXPECT_TRUE(pe_test::HearTone(600, 4000, &st)) << "rms " << st.rms;

    // The volume message is taken by every engine; the endpoint may refuse it.
    ASSERT_TRUE(Post(host, UWM_SET_VOLUME, 250));
    StopAndEnd();
}

TEST_P(PlaycradlePlayTest, WavStreamPlays) {
    server.Serve("/tone.wav", pe_test::MakeWav(pe_test::TestTone(6.0)), "audio/wav");
    StartAndPlay(server.Url("/tone.wav"), 1);
    ASSERT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 2, 10000), 0);
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(800, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
    ASSERT_TRUE(Post(host, UWM_CMD_PAUSE));
    EXPECT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 1, 30000), 0);
    ASSERT_TRUE(Post(host, UWM_CMD_PLAY, 2));
    EXPECT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 2, 30000), 0);
    StopAndEnd();
}

TEST_P(PlaycradlePlayTest, GoesToAnotherEntryOfAPlaylist) {
    tdtest::TempFolder tmp;
    tmp.Write("a.wav", pe_test::MakeWav(pe_test::TestTone(8.0)));
    tmp.Write("b.wav", pe_test::MakeWav(pe_test::TestTone(8.0)));
    tmp.Write("list.m3u", "#EXTM3U\r\n" + tmp.File("a.wav") + "\r\n" + tmp.File("b.wav") + "\r\n");
    StartAndPlay(tmp.File("list.m3u"), 1);
    auto streamInfo = [&](uint32_t track) {
        return tdtest::WaitFor(
            [&] {
                for (const Received& r : status.records)
                    if (r.kind == bk::kStatusStreamInfo && r.rec.streamInfo.track == track &&
                        r.rec.streamInfo.maxTrack == 2)
                        return true;
                return false;
            },
            10000);
    };
    ASSERT_TRUE(streamInfo(0));
    // The second entry: counted from 1 for the Media Player engine, from 0 for RealPlayer.
    bool real = std::string(GetParam()) == "-rp";
    ASSERT_TRUE(Post(host, UWM_CMD_PLAYTRACK, 0, real ? 1 : 2));
    EXPECT_TRUE(streamInfo(1));
    StopAndEnd();
}

TEST_P(PlaycradlePlayTest, SeeksInAFile) {
    tdtest::TempFolder tmp;
    tmp.Write("long.wav", pe_test::MakeWav(pe_test::TestTone(12.0)));
    StartAndPlay(tmp.File("long.wav"), 1);
    ASSERT_GE(status.WaitRecord(bk::kStatusEnginePlayState, 2, 10000), 0);
    // Milliseconds for RealPlayer, seconds for the Media Player engine.
    bool real = std::string(GetParam()) == "-rp";
    ASSERT_TRUE(Post(host, UWM_CMD_TRACKPOS, 0, real ? 6000 : 6));
    EXPECT_TRUE(tdtest::WaitFor(
        [&] {
            for (const Received& r : status.records)
                if (r.kind == bk::kStatusRunInfo && r.rec.runInfo.a >= 6000) return true;
            return false;
        },
        8000));
    StopAndEnd();
}

TEST_P(PlaycradlePlayTest, PlaysThroughTheProxyOfTheSharedSettings) {
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(2.0));
    o.bytesPerSecond = 16000;
    server.Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });
    // The test server stands in as the proxy; the station's host does not exist.
    SetProxySettings("127.0.0.1", std::to_string(server.Port()).c_str(), 1, 0);
    StartAndPlay("http://radio.invalid/station", 1);
    bool playing = status.WaitRecord(bk::kStatusEnginePlayState, 2, 10000) >= 0;
    SetProxySettings("", "", 0, 0);
    UnsetProxiMP();   // the Media Player engine's own proxy setting, for the tests after this one
    EXPECT_TRUE(playing);
    std::vector<tdtest::HttpRequest> requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    // Wine's WinINet writes the port into the proxy request.
    EXPECT_EQ(requests[0].target.find("http://radio.invalid"), 0u) << requests[0].target;
    EXPECT_EQ(requests[0].path, "/station");
    StopAndEnd();
}

TEST_P(PlaycradlePlayTest, BrokenStreamsReportErrors) {
    std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(4.0));
    server.Route("/missing", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(404, "no"); });
    server.Route("/page", [](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Text(200, "<html>" + std::string(70000, 'x') + "</html>", "text/html");
    });
    server.Route("/cut", [&](const tdtest::HttpRequest&) {
        pe_test::IcyStreamOptions o;
        o.audio = mp3;
        o.stopAfterBytes = 30000;
        return pe_test::IcyStream(o);
    });
    int deadPort;
    {
        tdtest::HttpServer gone;
        deadPort = gone.Port();
    }
    struct Case {
        std::string url;
        const char* text;
    } cases[] = {
        {server.Url("/missing"), "404"},
        {"http://127.0.0.1:" + std::to_string(deadPort) + "/", "Cannot connect"},
        {server.Url("/page"), "Unsupported format"},
        {server.Url("/cut"), "ended unexpectedly"},
    };
    for (const Case& c : cases) {
        StatusWindow errStatus;
        tdtest::Process p;
        ASSERT_TRUE(p.Start(Cradle(), {GetParam()}));
        ASSERT_TRUE(Post(p, UWM_SET_BUFF_SIZE, 0, 1));
        SetPlayURL(c.url.c_str());
        ASSERT_TRUE(Post(p, UWM_CMD_PLAY, 1));
        int err = errStatus.WaitRecord(bk::kStatusError, -1, 15000);
        ASSERT_GE(err, 0) << c.url;
        EXPECT_NE(std::string(errStatus.records[err].rec.error.text).find(c.text), std::string::npos)
            << c.url << ": " << errStatus.records[err].rec.error.text;
        ASSERT_TRUE(Post(p, UWM_CMD_STOP));
        DWORD code = 99;
        EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 10000)) << c.url;
    }
    host.Start(Cradle(), {GetParam()});   // the fixture's host: ended at once
    StopAndEnd();
}

INSTANTIATE_TEST_SUITE_P(Engines, PlaycradlePlayTest, ::testing::Values("-mp", "-rp"));

// The Media Player 7+ engine through the platform's control (Wine's here,
// which plays local files only).
TEST(PlaycradleMp9, PlaysLocalFilesEndToEnd) {
    tdtest::TempFolder folder("mp9");
    std::vector<int16_t> tone = pe_test::TestTone(8.0);
    folder.Write("tone.wav", pe_test::MakeWav(tone));
    folder.Write("tone.mp3", pe_test::MakeMp3(tone));
    for (const char* name : {"tone.wav", "tone.mp3"}) {
        SCOPED_TRACE(name);
        StatusWindow status;
        tdtest::Process host;
        ASSERT_TRUE(host.Start(Cradle(), {"-mp9"}));
        ASSERT_TRUE(Post(host, UWM_SET_BUFF_SIZE, 0, 1));
        SetPlayURL(folder.File(name).c_str());
        ASSERT_TRUE(Post(host, UWM_CMD_PLAY, 1));

        int open = status.WaitRecord(bk::kStatusOpenState, 6, 15000);
        int playing = status.WaitRecord(bk::kStatusEnginePlayState, 2, 10000);
        ASSERT_GE(open, 0);
        ASSERT_GT(playing, open);
        int info = status.WaitRecord(bk::kStatusStreamInfo, -1, 30000);
        ASSERT_GT(info, open);
        EXPECT_EQ(status.records[info].rec.streamInfo.processId, host.Pid());
        // This thread keeps taking the host's records while the sink is heard:
        // the host's sends give up on a receiver that does not answer.
        tdtest::ToneStats st;
        std::atomic<bool> heard{false}, listened{false};
        std::thread listen([&] {
            heard = pe_test::HearTone(1500, 1000, &st);
            listened = true;
        });
        tdtest::WaitFor([&] { return listened.load(); }, 60000);
        listen.join();
        EXPECT_TRUE(heard) << "rms " << st.rms << " freq " << st.frequency;
        EXPECT_GE(status.WaitRecord(bk::kStatusRunInfo, -1, 30000), 0);

        // The other commands reach the control without upsetting the host.
        for (UINT m : {UWM_CMD_PAUSE, UWM_CMD_PLAY, UWM_CMD_TRACKPOS, UWM_CMD_PLAYTRACK})
            ASSERT_TRUE(Post(host, m, m == UWM_CMD_PLAY ? 2 : 0, m == UWM_CMD_TRACKPOS ? 2 : 1));
        ASSERT_TRUE(Post(host, UWM_CMD_STOP));
        Post(host, UWM_CMD_STOP);   // refused; the process ends once
        DWORD code = 99;
        EXPECT_TRUE(tdtest::WaitFor([&] { return host.Wait(0, &code); }, 10000));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(status.replies.empty());
    }
}

TEST(PlaycradleMp9, AnswersItsLevelWhenAskedAndEnds) {
    StatusWindow status;
    tdtest::Process host;
    ASSERT_TRUE(host.Start(Cradle(), {"-mp9"}));
    ASSERT_TRUE(Post(host, UWM_GETVERSION));
    LPARAM level = -1;
    EXPECT_TRUE(status.WaitReply(11, &level, 10000));
    EXPECT_EQ(level, 2);
    DWORD code = 99;
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.Wait(0, &code); }, 10000));
    EXPECT_EQ(code, 0u);
}

TEST(PlaycradleMp9, AnHttpAddressEndsInAnErrorReport) {
    tdtest::HttpServer server;
    server.Serve("/tone.mp3", pe_test::MakeMp3(pe_test::TestTone(3.0)), "audio/mpeg");
    StatusWindow status;
    tdtest::Process host;
    ASSERT_TRUE(host.Start(Cradle(), {"-mp9"}));
    SetPlayURL(server.Url("/tone.mp3").c_str());
    ASSERT_TRUE(Post(host, UWM_CMD_PLAY, 1));
    int err = status.WaitRecord(bk::kStatusError, -1, 20000);
    ASSERT_GE(err, 0);
    for (size_t i = 0; i < status.records.size(); ++i)
        EXPECT_FALSE(status.records[i].kind == bk::kStatusEnginePlayState && status.records[i].rec.value.value == 2)
            << "record " << i;
    ASSERT_TRUE(host.Running());
    ASSERT_TRUE(Post(host, UWM_CMD_STOP));
    DWORD code = 99;
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.Wait(0, &code); }, 10000));
    EXPECT_EQ(code, 0u);
}

TEST(PlaycradleLife, EndsWhenTheStatusWindowGoes) {
    tdtest::HttpServer server;
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(2.0));
    o.bytesPerSecond = 16000;
    server.Route("/station", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });
    auto status = std::make_unique<StatusWindow>();
    tdtest::Process p;
    ASSERT_TRUE(p.Start(Cradle(), {"-rp"}));
    ASSERT_TRUE(Post(p, UWM_SET_BUFF_SIZE, 0, 1));
    SetPlayURL(server.Url("/station").c_str());
    ASSERT_TRUE(Post(p, UWM_CMD_PLAY, 1));   // the host looks the window up here
    ASSERT_GE(status->WaitRecord(bk::kStatusEnginePlayState, 2, 10000), 0);
    status->Destroy();
    DWORD code = 99;
    EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 60000));
    EXPECT_EQ(code, 0u);
}

TEST(PlaycradleLife, AQuietLoopOutlivesTheWatchdog) {
    // No message for longer than the watchdog's 14 s: the loop's own passes
    // keep it alive.
    StatusWindow status;
    tdtest::Process p;
    ASSERT_TRUE(p.Start(Cradle(), {"-rp"}));
    ASSERT_TRUE(Post(p, UWM_SET_VOLUME, 40));   // before any play command, with or without an endpoint
    SetPlayURL("http://127.0.0.1:1/none");
    ASSERT_TRUE(Post(p, UWM_CMD_PLAY, 3));      // reads the address, does nothing else
    Sleep(16000);
    EXPECT_TRUE(p.Running());
    ASSERT_TRUE(Post(p, UWM_CMD_STOP));
    DWORD code = 99;
    EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 10000));
    EXPECT_EQ(code, 0u);
}

TEST(PlaycradleLife, WatchdogEndsAStalledLoop) {
    StatusWindow status;
    tdtest::Process p;
    ASSERT_TRUE(p.Start(Cradle(), {"-rp"}));
    ASSERT_TRUE(Post(p, UWM_SET_BUFF_SIZE, 0, 1));
    // A play command answered on the status window: the command loop runs,
    // and the watchdog was started before it.
    SetPlayURL("http://127.0.0.1:1/none");
    ASSERT_TRUE(Post(p, UWM_CMD_PLAY, 1));
    ASSERT_GE(status.WaitRecord(bk::kStatusPlayState, 2, 30000), 0);
    // Freeze the command loop from outside; the watchdog thread goes on.
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, p.MainThreadId());
    ASSERT_TRUE(thread);
    SuspendThread(thread);
    DWORD start = GetTickCount();
    DWORD code = 99;
    EXPECT_TRUE(tdtest::WaitFor([&] { return p.Wait(0, &code); }, 60000));
    DWORD took = GetTickCount() - start;
    CloseHandle(thread);
    EXPECT_EQ(code, 1u);
    EXPECT_GE(took, 12000u);   // not before the watchdog's limit
}

}  // namespace
