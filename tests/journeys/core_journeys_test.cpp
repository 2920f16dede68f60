// What the player does with stations that fail, drop or start slowly, as a
// user meets it: the real program plays links to local servers that answer
// 404, cut the stream or send only a little of it, and is judged by what it
// shows, what it plays and what it asks the servers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "player_session.h"
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
    server.Route("/drops", [](const tdtest::HttpRequest&) {
        pe_test::IcyStreamOptions o;
        o.audio = ToneMp3();
        o.bytesPerSecond = kBytesPerSecond;
        o.stopAfterBytes = 6 * kBytesPerSecond;
        return pe_test::IcyStream(o);
    });
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
        server.Route("/steady", [](const tdtest::HttpRequest&) {
            pe_test::IcyStreamOptions o;
            o.audio = ToneMp3();
            o.bytesPerSecond = kBytesPerSecond;
            return pe_test::IcyStream(o);
        });
        PlayerSession s;
        ChangeSettings([&](cSettings& settings) { settings.SetBufferSize(c.bufferSeconds); });
        ASSERT_TRUE(s.Start());
        const DWORD begin = GetTickCount();
        ASSERT_TRUE(s.Link(CustomLink(server.Url("/steady"), "Steady Station")));
        // Short listening windows: the figure is as fine as they are.
        bool heard = false;
        while (!heard && GetTickCount() - begin < 60000) heard = pe_test::HearTone(300, 1500, nullptr, 300);
        ASSERT_TRUE(heard);
        tdtest::Figure(c.figure, static_cast<double>(GetTickCount() - begin), "ms", c.target);
        s.CloseByButton();
    }
}

}  // namespace
