// The engine against a local HTTP server and local files, heard on the null
// sink's monitor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play_engine.h"
#include "tdtest.h"
#include "test_audio.h"

namespace {

using pe::EventKind;

// Collects the engine's events while waiting.
struct Watcher {
    pe::PlayEngine& engine;
    std::vector<pe::Event> events;
    size_t cursor = 0;   // each wait looks at the events after the last one it matched

    void Drain() {
        pe::Event ev;
        while (engine.PopEvent(&ev)) events.push_back(ev);
    }
    bool WaitFor(EventKind kind, int value, DWORD ms) {
        return tdtest::WaitFor(
            [&] {
                Drain();
                for (; cursor < events.size(); ++cursor) {
                    if (events[cursor].kind == kind && events[cursor].value == value) {
                        ++cursor;
                        return true;
                    }
                }
                return false;
            },
            ms);
    }
    bool WaitFor(EventKind kind, DWORD ms) { return WaitFor(kind, 0, ms); }
    // Position of the first event of a kind (and value), or -1.
    int Index(EventKind kind, int value = -1) const {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].kind == kind && (value < 0 || events[i].value == value)) return static_cast<int>(i);
        return -1;
    }
};

class PlayEngineTest : public ::testing::Test {
protected:
    tdtest::HttpServer server;
    std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(4.0));
};

TEST_F(PlayEngineTest, IcyStreamOpensBuffersPlaysAndShowsItsTitle) {
    pe_test::IcyStreamOptions o;
    o.audio = mp3;
    o.bytesPerSecond = 16000;
    server.Route("/live", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });

    pe::PlayEngine engine(nullptr, 0);
    engine.SetBufferMs(1000);
    Watcher w{engine};
    engine.Open(server.Url("/live").c_str(), true);
    ASSERT_TRUE(w.WaitFor(EventKind::BufferingEnd, 10000));
    // Opening, then buffering, then playing, in this order.
    int connecting = w.Index(EventKind::OpenState, pe::kConnecting);
    int open = w.Index(EventKind::OpenState, pe::kOpen);
    int bufStart = w.Index(EventKind::BufferingStart);
    int waiting = w.Index(EventKind::PlayState, pe::kWaiting);
    int playing = w.Index(EventKind::PlayState, pe::kPlaying);
    EXPECT_LT(connecting, open);
    EXPECT_LT(open, bufStart);
    EXPECT_LT(bufStart, waiting);
    EXPECT_LT(waiting, playing);
    EXPECT_LT(playing, w.Index(EventKind::BufferingEnd));

    ASSERT_TRUE(tdtest::WaitFor([&] { return engine.Info().title[0] != 0; }, 30000));
    pe::EngineInfo info = engine.Info();
    EXPECT_STREQ(info.title, "Test Artist - Test Tone");
    EXPECT_STREQ(info.author, "Test Radio");
    EXPECT_EQ(info.bitrate, 128000u);
    EXPECT_EQ(info.durationMs, 0u);
    EXPECT_EQ(info.bufferingProgress, 100);
    EXPECT_EQ(server.Requests().at(0).Header("icy-metadata"), "1");

    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(1000, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
    EXPECT_GT(engine.Info().positionMs, 500u);

    engine.Pause();
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPaused, 30000));
    // What the sound server still held plays out; then it is quiet.
    double rms = 0;
    EXPECT_TRUE(tdtest::WaitFor(
        [&] {
            std::vector<int16_t> quiet;
            if (!tdtest::CaptureDefault(500, &quiet)) return false;
            rms = tdtest::Measure(quiet.data(), quiet.size() / 2).rms;
            return rms < 500.0;
        },
        20000))
        << "rms " << rms;

    engine.Play();
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 30000));
    EXPECT_TRUE(pe_test::HearTone(800, 4000, &st)) << "rms " << st.rms;

    engine.Stop();
    w.Drain();
    EXPECT_EQ(engine.Info().playState, pe::kStopped);
    EXPECT_EQ(w.events.back().kind, EventKind::PlayState);
    EXPECT_EQ(w.events.back().value, pe::kStopped);
}

TEST_F(PlayEngineTest, WavDownloadPlaysToItsEnd) {
    server.Serve("/tone.wav", pe_test::MakeWav(pe_test::TestTone(3.0)), "audio/wav");
    pe::PlayEngine engine(nullptr, 0);
    engine.SetBufferMs(500);
    Watcher w{engine};
    engine.Open(server.Url("/tone.wav").c_str(), true);
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000));
    pe::EngineInfo info = engine.Info();
    EXPECT_EQ(info.durationMs, 3000u);
    EXPECT_EQ(info.bitrate, 44100u * 32);
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(700, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
    ASSERT_TRUE(w.WaitFor(EventKind::EndOfStream, 30000));
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kStopped, 30000));
    EXPECT_FALSE(engine.Info().hasError);

    // Play again after the end: starts over.
    engine.Play();
    EXPECT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000));
    engine.Close();
    EXPECT_EQ(engine.Info().openState, pe::kClosed);
}

TEST_F(PlayEngineTest, BrokenAddressesReportAnErrorWithoutHanging) {
    server.Route("/missing", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(404, "no"); });
    server.Route("/page", [](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Text(200, "<html>" + std::string(70000, 'x') + "</html>", "text/html");
    });
    server.Route("/short-page", [](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Text(200, "<html>hello</html>", "text/html");
    });
    server.Route("/cut", [&](const tdtest::HttpRequest&) {
        pe_test::IcyStreamOptions o;
        o.audio = mp3;
        o.stopAfterBytes = 40000;   // about 2.5 s of audio, then the server hangs up
        return pe_test::IcyStream(o);
    });
    server.Route("/icy404", [](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.statusLine = "ICY 404 Resource Not Found";
        r.noContentLength = true;
        return r;
    });
    tdtest::TempFolder tmp;
    tmp.Write("notes.txt", "not audio at all");

    // A port where nothing listens.
    int deadPort;
    {
        tdtest::HttpServer gone;
        deadPort = gone.Port();
    }
    struct Case {
        std::string address;
        const char* expect;   // part of the error text
    } cases[] = {
        {"http://127.0.0.1:" + std::to_string(deadPort) + "/x", "Cannot connect"},
        {server.Url("/missing"), "404"},
        // Wine's WinINet turns every "ICY nnn" status line into 200, so the
        // refusal shows as an answer without audio.
        {server.Url("/icy404"), "Unsupported format"},
        {server.Url("/page"), "Unsupported format"},
        {server.Url("/short-page"), "Unsupported format"},
        {server.Url("/cut"), "ended unexpectedly"},
        {tmp.File("missing.mp3"), "Cannot open the file"},
        {tmp.File("notes.txt"), "Unsupported format"},
        {"rtsp://example.invalid/stream", "Unsupported address"},
    };
    for (const Case& c : cases) {
        pe::PlayEngine engine(nullptr, 0);
        engine.SetBufferMs(500);
        Watcher w{engine};
        engine.Open(c.address.c_str(), true);
        ASSERT_TRUE(w.WaitFor(EventKind::Error, 30000)) << c.address;
        pe::EngineInfo info = engine.Info();
        EXPECT_TRUE(info.hasError) << c.address;
        EXPECT_NE(std::string(info.error).find(c.expect), std::string::npos) << c.address << ": " << info.error;
        EXPECT_EQ(info.playState, pe::kStopped);
        EXPECT_EQ(info.openState, pe::kClosed);
        engine.Stop();   // after an error: returns, does not hang
    }
}

TEST_F(PlayEngineTest, LocalPlaylistEntriesAndSeeking) {
    tdtest::TempFolder tmp;
    tmp.Write("a.wav", pe_test::MakeWav(pe_test::TestTone(3.0)));
    tmp.Write("b.mp3", mp3);
    tmp.Write("list.m3u", "#EXTM3U\r\n" + tmp.File("a.wav") + "\r\n" + tmp.File("b.mp3") + "\r\n");

    pe::PlayEngine engine(nullptr, 0);
    engine.SetBufferMs(300);
    Watcher w{engine};
    engine.Open(tmp.File("list.m3u").c_str(), true);
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000));
    pe::EngineInfo info = engine.Info();
    EXPECT_EQ(info.entryCount, 2);
    EXPECT_EQ(info.currentEntry, 1);
    EXPECT_EQ(info.durationMs, 3000u);

    engine.Seek(2000);
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000));
    EXPECT_GE(engine.Info().positionMs, 2000u);

    engine.Stop();
    engine.SetCurrentEntry(2);
    engine.Play();
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000));
    info = engine.Info();
    EXPECT_EQ(info.currentEntry, 2);
    EXPECT_NEAR(static_cast<double>(info.durationMs), 4000.0, 200.0);
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(700, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
}

TEST_F(PlayEngineTest, AStationSendingInRealTimePlaysOnWithoutRunningDry) {
    // 128 kbit/s: as fast as it plays; the second station switches to an
    // insert at 22.05 kHz (at the same bit rate) every four seconds.
    const std::string insert = pe_test::MakeMp3(tdtest::SineStereo(1000.0, 2.0, 12000, 22050), 22050, 128);
    struct Station {
        const char* what;
        const char* path;
        std::string audio;
    } stations[] = {{"steady", "/steady", mp3}, {"switching rate", "/switching", mp3 + insert}};
    for (const Station& station : stations) {
        SCOPED_TRACE(station.what);
        pe_test::IcyStreamOptions o;
        o.audio = station.audio;
        o.bytesPerSecond = 16000;
        server.Route(station.path, [o](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });
        pe::PlayEngine engine(nullptr, 0);
        engine.SetBufferMs(3000);
        Watcher w{engine};
        engine.Open(server.Url(station.path).c_str(), true);
        ASSERT_TRUE(w.WaitFor(EventKind::BufferingEnd, 20000));
        const uint32_t start = engine.Info().positionMs;
        // Eight seconds of sound later the engine still plays and never waited again.
        ASSERT_TRUE(tdtest::WaitFor([&] { return engine.Info().positionMs >= start + 8000; }, 30000))
            << engine.Info().positionMs - start << " ms played";
        tdtest::ToneStats st;
        EXPECT_TRUE(pe_test::HearTone(1500, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
        w.Drain();
        int rebuffered = 0;
        for (size_t i = w.Index(EventKind::BufferingEnd) + 1; i < w.events.size(); ++i)
            rebuffered += w.events[i].kind == EventKind::BufferingStart;
        EXPECT_EQ(rebuffered, 0);
        EXPECT_EQ(engine.Info().playState, pe::kPlaying);
    }
}

TEST_F(PlayEngineTest, PodcastFileWithCoverArtPlays) {
    // A 400 KiB ID3v2 tag (a picture) before the first frame.
    const size_t body = 400 * 1024;
    std::string tag = std::string("ID3\x03\x00\x00", 6);
    for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((body >> shift) & 0x7F);
    tag += "APIC";
    while (tag.size() < 10 + body) tag += "\xFF\xFB\x90\x64picture";
    tag.resize(10 + body);
    tdtest::TempFolder tmp;
    tmp.Write("episode.mp3", tag + mp3);

    pe::PlayEngine engine(nullptr, 0);
    engine.SetBufferMs(300);
    Watcher w{engine};
    engine.Open(tmp.File("episode.mp3").c_str(), true);
    ASSERT_TRUE(w.WaitFor(EventKind::PlayState, pe::kPlaying, 10000)) << engine.Info().error;
    EXPECT_NEAR(static_cast<double>(engine.Info().durationMs), 4000.0, 200.0);
    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(700, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
}

}  // namespace
