// What the player does with stations that fail, drop or start slowly, as a
// user meets it: the real program plays links to local servers that answer
// 404, cut the stream or send only a little of it, and is judged by what it
// shows, what it plays and what it asks the servers.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "catalogue.h"
#include "player_session.h"
#include "registry.h"
#include "settings.h"
#include "test_audio.h"

namespace {

using journeys::PlayerSession;

constexpr DWORD kEventMs = 30000;
// 128 kbit/s: the test tone's MP3 as the stations send it.
constexpr size_t kBytesPerSecond = 16000;

const std::string& ToneMp3() {
    static const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(4.0));
    return mp3;
}

// The tone as a station sends it, in real time; the server closes the
// connection after `cutAfterSeconds` of sound (0: never).
tdtest::HttpResponse ToneStream(size_t cutAfterSeconds) {
    pe_test::IcyStreamOptions o;
    o.audio = ToneMp3();
    o.bytesPerSecond = kBytesPerSecond;
    if (cutAfterSeconds) o.stopAfterBytes = cutAfterSeconds * kBytesPerSecond;
    return pe_test::IcyStream(o);
}

// As a web page hands it over; kind 1, the stand-in host's engine that
// reaches http streams under Wine.
std::string CustomLink(const std::string& url, const std::string& name) {
    std::string escaped;
    for (char c : name) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return "tunerdeck://|CUSTOMURL|" + url + "|1|" + escaped;
}

// The user's settings as the settings pages store them, written before the
// player starts.
void ChangeSettings(const std::function<void(cSettings&)>& change) {
    cSettings settings;
    change(settings);
    settings.Save();
}

// The times (GetTickCount) at which a route was asked.
class RequestClock {
public:
    void Note() {
        std::lock_guard<std::mutex> hold(lock_);
        times_.push_back(GetTickCount());
    }
    std::vector<DWORD> Times() const {
        std::lock_guard<std::mutex> hold(lock_);
        return times_;
    }
    size_t Count() const { return Times().size(); }

private:
    mutable std::mutex lock_;
    std::vector<DWORD> times_;
};

TEST(CoreJourneys, ADeadStationIsReportedAndAskedAgainWithGrowingPauses) {
    // A playlist whose entries all answer 404, as a station that went off
    // the air leaves behind.
    tdtest::HttpServer server;
    RequestClock entries;
    server.Serve("/dead.pls",
                 "[playlist]\r\nNumberOfEntries=2\r\nFile1=" + server.Url("/gone1") + "\r\nFile2=" +
                     server.Url("/gone2") + "\r\nVersion=2\r\n",
                 "audio/x-scpls");
    server.Route("/gone*", [&](const tdtest::HttpRequest&) {
        entries.Note();
        return tdtest::HttpResponse::Text(404, "<html><body>404 Not Found</body></html>", "text/html");
    });
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(server.Url("/dead.pls"), "Dead Station")));

    std::string seen;
    EXPECT_TRUE(s.WaitForText(journeys::kStatusLine, [](const std::string& t) { return t.find("404") != std::string::npos; },
                              kEventMs, &seen))
        << "status line shows \"" << seen << "\"";
    s.Screenshot("dead-station");
    // Five tries: the pauses before them grow (1, 2, 4, 8 s), so the last
    // gap is far longer than the first, where a fixed pause keeps them equal.
    ASSERT_TRUE(tdtest::WaitFor([&] { return entries.Count() >= 5; }, 120000, 200))
        << entries.Count() << " tries\n" << s.Log();
    const std::vector<DWORD> t = entries.Times();
    const DWORD first = t[1] - t[0], last = t[4] - t[3];
    EXPECT_GE(last, first + 4000) << "gaps " << first << " ms and " << last << " ms";
    EXPECT_TRUE(s.Program().Running());
    EXPECT_TRUE(s.CloseByButton());
}

TEST(CoreJourneys, AStreamThatDropsComesBack) {
    // The server closes every connection after six seconds of sound.
    tdtest::HttpServer server;
    server.Route("/drops", [](const tdtest::HttpRequest&) { return ToneStream(6); });
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(server.Url("/drops"), "Dropping Station")));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    // The first connection's sound has ended before the player asks again.
    ASSERT_TRUE(tdtest::WaitFor([&] { return server.Count("/drops") >= 2; }, 60000, 100)) << s.Log();
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "no sound after the reconnect: rms " << st.rms << "\n" << s.Log();
    s.Screenshot("stream-back-after-drop");
    EXPECT_TRUE(s.CloseByButton());
}

// A station that sends `burst` bytes at once and then only a trickle: the
// engine can fill a buffer no longer than the burst.
tdtest::HttpResponse BurstThenTrickle(size_t burst) {
    pe_test::IcyStreamOptions o;
    o.audio = ToneMp3();
    tdtest::HttpResponse r = pe_test::IcyStream(o);
    auto inner = r.stream;
    auto pending = std::make_shared<std::string>();
    auto sent = std::make_shared<size_t>(0);
    r.stream = [inner, pending, sent, burst](std::string* more) {
        const size_t want = *sent < burst ? burst - *sent : 8;
        if (*sent >= burst) Sleep(100);
        while (pending->size() < want) {
            std::string chunk;
            if (!inner(&chunk)) return false;
            *pending += chunk;
        }
        *more = pending->substr(0, want);
        pending->erase(0, want);
        *sent += want;
        return true;
    };
    return r;
}

TEST(CoreJourneys, AOneSecondBufferStartsTheSoundFromTwoSecondsOfStream) {
    // With the 15 s default nothing would play: the buffer never fills.
    tdtest::HttpServer server;
    server.Route("/slow", [](const tdtest::HttpRequest&) { return BurstThenTrickle(2 * kBytesPerSecond); });
    PlayerSession s;
    ChangeSettings([](cSettings& settings) { settings.SetBufferSize(1); });
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(server.Url("/slow"), "Slow Station")));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    EXPECT_EQ(server.Count("/slow"), 1u);
    EXPECT_TRUE(s.CloseByButton());
}

// scripts/bench: from the link to the first sound of a steady stream, with
// the default buffer of 15 s and with 1 s.
TEST(CoreJourneyBench, FirstSoundAfterALink) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "benchmark: scripts/bench runs it";
    struct Case {
        int bufferSeconds;
        const char* figure;
        double target;
    } cases[] = {{15, "journey first sound, 15 s buffer", 16000}, {1, "journey first sound, 1 s buffer", 2000}};
    for (const Case& c : cases) {
        tdtest::HttpServer server;
        server.Route("/steady", [](const tdtest::HttpRequest&) { return ToneStream(0); });
        PlayerSession s;
        ChangeSettings([&](cSettings& settings) { settings.SetBufferSize(c.bufferSeconds); });
        ASSERT_TRUE(s.Start());
        // A link clicked on a web page while the player is ready.
        char ready[512] = {};
        GetResourceString(nullptr, 414, kLanguageGerman, ready, sizeof ready);
        s.WaitForText(journeys::kStatusLine, [&](const std::string& t) { return t == ready; }, kEventMs);
        const DWORD begin = GetTickCount();
        ASSERT_TRUE(s.Link(CustomLink(server.Url("/steady"), "Steady Station")));
        // Short listening windows: the figure is as fine as they are.
        bool heard = false;
        while (!heard && GetTickCount() - begin < 60000) heard = pe_test::HearTone(300, 1500, nullptr, 300);
        ASSERT_TRUE(heard);
        tdtest::Figure(c.figure, static_cast<double>(GetTickCount() - begin), "ms", c.target);
        if (getenv("TD_BENCH_LOG")) printf("%s\n", s.Log().c_str());
        s.CloseByButton();
    }
}

// scripts/bench: from process start to the main window drawn, side by side
// with a minimal program that opens one window (onewindow.exe), five starts
// of each in turns; and from a click on the close button to the window
// gone and to the end of the process, with nothing playing. The player
// starts in a user folder that an earlier run has set up, as a user's
// starts after the first do.
TEST(CoreJourneyBench, StartAndCloseAgainstAMinimalWindow) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "benchmark: scripts/bench runs it";
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t0) {
        return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    };
    PlayerSession s;
    // As a user's player runs: without the debug log the harness turns on
    // (TD_BENCH_LOG keeps it).
    if (!getenv("TD_BENCH_LOG")) SetValue("DEBUG_IT", static_cast<const char*>(nullptr));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.CloseByButton());
    char ready[512] = {};
    GetResourceString(nullptr, 414, kLanguageGerman, ready, sizeof ready);
    std::vector<double> minimal, player, gone, ended;
    for (int round = 0; round < 5; ++round) {
        {
            tdtest::Process one;
            Clock::time_point t0 = Clock::now();
            ASSERT_TRUE(one.Start(tdtest::BinDir() + "\\onewindow.exe"));
            HWND window = one.WaitForWindow("tunerdeck one window", 30000);
            ASSERT_NE(window, nullptr);
            WaitForInputIdle(one.Handle(), 30000);
            minimal.push_back(since(t0));
            PostMessageA(window, WM_CLOSE, 0, 0);
            ASSERT_TRUE(one.Wait(30000));
        }
        tdtest::Process program;
        Clock::time_point t0 = Clock::now();
        ASSERT_TRUE(program.Start(s.ProgramFolder() + "\\tunerdeck.exe", {}, s.ProgramFolder()));
        HWND main = program.WaitForWindow("tunerdeck Main Wnd Class", 60000);
        ASSERT_NE(main, nullptr);
        WaitForInputIdle(program.Handle(), 60000);
        // Drawn: the skin's elements are in place and answer.
        journeys::ElementView close;
        ASSERT_TRUE(tdtest::WaitFor([&] { return (close = s.Element(journeys::kCloseButton, main)).found; }, 60000, 5));
        player.push_back(since(t0));
        // Closed once the status line says the player is ready, with
        // nothing playing.
        ASSERT_TRUE(tdtest::WaitFor([&] { return s.Element(journeys::kStatusLine, main).text == ready; }, 60000, 50));
        // The click as the harness gives it, at the button's middle (in its
        // own window when it has one).
        HWND target = close.ownWindow ? close.ownWindow : main;
        RECT at = close.rect;
        if (close.ownWindow) GetClientRect(close.ownWindow, &at);
        t0 = Clock::now();
        journeys::ClickAt(target, POINT{(at.left + at.right) / 2, (at.top + at.bottom) / 2});
        ASSERT_TRUE(tdtest::WaitFor([&] { return !IsWindow(main) || !IsWindowVisible(main); }, 30000, 2));
        gone.push_back(since(t0));
        ASSERT_TRUE(program.Wait(30000));
        ended.push_back(since(t0));
    }
    printf("[ BENCH    ] start-up, median of 5: player %.0f ms, minimal window %.0f ms\n", tdtest::Median(player),
           tdtest::Median(minimal));
    tdtest::Figure("start-up, main window drawn, beyond a minimal window", tdtest::Median(player) - tdtest::Median(minimal),
                   "ms", 500);
    tdtest::Figure("closing, click to window gone", tdtest::Median(gone), "ms", 100);
    tdtest::Figure("closing, click to process end", tdtest::Median(ended), "ms", 1000);
}

// scripts/soak: plays a local stream that the server cuts every minute,
// for TD_SOAK_MINUTES (default 10), with a recording running when
// TD_SOAK_RECORD is set, and prints one line per figure. Not part of any
// pass or fail.
struct ProgramUse {
    SIZE_T privateBytes = 0;
    DWORD handles = 0;
};

// Wine answers 0 for a process's private bytes and handle count: they are
// counted from its committed private pages and the system's handle table
// there.
SIZE_T CommittedPrivateBytes(HANDLE process) {
    SIZE_T sum = 0;
    MEMORY_BASIC_INFORMATION mbi;
    const char* at = nullptr;
    while (VirtualQueryEx(process, at, &mbi, sizeof mbi) == sizeof mbi) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) sum += mbi.RegionSize;
        const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return sum;
}

DWORD HandlesInSystemTable(DWORD pid) {
    struct Entry {
        ULONG pid;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<char> buffer(1 << 20);
    ULONG got = 0;
    LONG status;
    while ((status = query(16 /* handles */, buffer.data(), static_cast<ULONG>(buffer.size()), &got)) ==
               static_cast<LONG>(0xC0000004) && buffer.size() < (256u << 20))
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    DWORD n = 0;
    for (ULONG i = 0; i < count; ++i) n += entries[i].pid == pid;
    return n;
}

ProgramUse UseOf(const tdtest::Process& program) {
    ProgramUse use;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(program.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        use.privateBytes = counters.PrivateUsage;
    if (!use.privateBytes) use.privateBytes = CommittedPrivateBytes(program.Handle());
    GetProcessHandleCount(program.Handle(), &use.handles);
    if (!use.handles) use.handles = HandlesInSystemTable(program.Pid());
    return use;
}

void SoakLine(const std::string& name, const std::string& value) { printf("[ SOAK     ] %s: %s\n", name.c_str(), value.c_str()); }

// The sizes of the recording's pieces under a folder (sub-folders too).
void PieceSizes(const std::string& folder, std::vector<uint64_t>* sizes) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            PieceSizes(folder + "\\" + name, sizes);
            continue;
        }
        sizes->push_back((uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

TEST(CoreSoak, PlaysAndRecordsAStreamWithDrops) {
    const char* minutesText = getenv("TD_SOAK_MINUTES");
    if (!minutesText) GTEST_SKIP() << "soak: scripts/soak runs it";
    const double minutes = atof(minutesText) > 0 ? atof(minutesText) : 10;
    const bool record = getenv("TD_SOAK_RECORD") != nullptr;
    tdtest::HttpServer server;
    server.Route("/soak", [](const tdtest::HttpRequest&) { return ToneStream(60); });
    PlayerSession s;
    if (record) {
        // A cut profile of one minute: the recording is a row of pieces, each
        // of which must arrive whole.
        const std::string cutFile = s.UserFolder() + "schneiden.ini";
        WritePrivateProfileStringA("Soak", "CUT_TYPE", "1", cutFile.c_str());
        WritePrivateProfileStringA("Soak", "VALUE", "1", cutFile.c_str());
        WritePrivateProfileStringA("Soak", "FOLDER", "0", cutFile.c_str());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, cutFile.c_str());
        ChangeSettings([](cSettings& settings) { settings.SetAutoCutMuster("Soak"); });
    }
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(server.Url("/soak"), "Soak Station")));
    ASSERT_TRUE(s.WaitForTone(kEventMs)) << s.Log();
    if (record) {
        ASSERT_TRUE(s.Click(journeys::kRecordButton));
        ASSERT_FALSE(s.WaitForFile(s.RecordingFolder(), ".wav", 176400, kEventMs).empty())
            << "the recording did not start\n" << s.Log();
    }
    const ProgramUse first = UseOf(s.Program());
    const DWORD begin = GetTickCount();
    const DWORD length = static_cast<DWORD>(minutes * 60000);
    // One-second windows of the null sink: a window without the tone is a
    // second of silence; a run of them is one gap.
    size_t silentSeconds = 0, gaps = 0, windows = 0;
    bool inGap = false;
    while (GetTickCount() - begin < length && s.Program().Running()) {
        std::vector<int16_t> pcm;
        if (!tdtest::CaptureDefault(1000, &pcm)) break;
        ++windows;
        const bool silent = tdtest::Measure(pcm.data(), pcm.size() / 2).rms < 1500;
        silentSeconds += silent;
        if (silent && !inGap) ++gaps;
        inGap = silent;
    }
    const ProgramUse last = UseOf(s.Program());
    const size_t connections = server.Count("/soak");
    const DWORD recordedMs = GetTickCount() - begin;
    if (record) {
        // Stopped by hand: the saved pop-up comes once the last piece is closed.
        const std::vector<HWND> before = s.Popups();
        EXPECT_TRUE(s.Click(journeys::kRecordButton));
        HWND saved = journeys::WaitForNewPopup(s, before, kEventMs);
        EXPECT_NE(saved, nullptr) << "no recording-saved pop-up";
        if (saved) {
            PostMessageA(saved, WM_CLOSE, 0, 0);
            journeys::WaitGone(saved, kEventMs);
        }
    }
    SoakLine("minutes", std::to_string(recordedMs / 60000.0));
    SoakLine("private memory", std::to_string(first.privateBytes / 1024) + " KiB at start, " +
                                   std::to_string(last.privateBytes / 1024) + " KiB at end");
    SoakLine("handles", std::to_string(first.handles) + " at start, " + std::to_string(last.handles) + " at end");
    SoakLine("silent gaps", std::to_string(gaps) + " (" + std::to_string(silentSeconds) + " of " +
                                std::to_string(windows) + " one-second windows silent)");
    SoakLine("reconnects", std::to_string(connections ? connections - 1 : 0) + " (the server cuts every 60 s)");
    if (record) {
        // 44.1 kHz 16-bit stereo; a piece is cut after each minute of sound.
        const uint64_t minuteBytes = 60ull * 176400;
        std::vector<uint64_t> sizes;
        PieceSizes(s.RecordingFolder(), &sizes);
        std::sort(sizes.begin(), sizes.end());
        // A header and no sound; every piece but the smallest (the one the
        // stop cut) holds a whole minute, give or take a second.
        size_t empty = 0, cutShort = 0;
        uint64_t sound = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            empty += sizes[i] <= 44;
            cutShort += i > 0 && sizes[i] + 176400 < minuteBytes;
            sound += sizes[i] > 44 ? sizes[i] - 44 : 0;
        }
        // The capture may run slower than the clock on a busy machine: the
        // minutes of sound in the pieces, against the minutes the soak ran,
        // tell a recording that stopped early from one that fell behind.
        char minutesText[96];
        snprintf(minutesText, sizeof minutesText, "%.1f minutes of sound in %.1f minutes",
                 static_cast<double>(sound) / (60.0 * 176400), recordedMs / 60000.0);
        SoakLine("recording pieces written", std::to_string(sizes.size()) + " (" + minutesText + ")");
        SoakLine("recording pieces lost",
                 std::to_string(empty) + " empty, " + std::to_string(cutShort) + " short of a minute");
    } else {
        SoakLine("recording pieces written", "not run (set TD_SOAK_RECORD)");
        SoakLine("recording pieces lost", "not run");
    }
    EXPECT_TRUE(s.Program().Running()) << "the player ended during the soak";
    s.CloseByButton();
}

}  // namespace
