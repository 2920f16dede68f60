// The bridge with the platform's own Media Player 7+ control (Wine's here):
// local files play end to end into the null sink, an http address ends in
// an error report, and the control's stub answers do not confuse the host.
#include <gtest/gtest.h>

#include <atomic>

#include <functional>
#include <string>
#include <thread>

#include "bridge_fixture.h"
#include "mediabridge.h"
#include "test_audio.h"
#include "wmp_host.h"

namespace {

struct RealBridge {
    RealBridge() : bridge(status.Reporter(), const_cast<char*>(""), const_cast<char*>("")) {
        CWMPHost::SetControlFactory(nullptr);
        bridge.Init(GetModuleHandleA(nullptr));
        status.Reset();
    }
    ~RealBridge() {
        bridge.Term();
        delete bridge.Host();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {}
    }
    // Pumps this thread (the control and the host window live on it) until
    // the condition holds.
    bool Until(const std::function<bool()>& cond, DWORD ms) { return tdtest::WaitFor(cond, ms); }

    StatusWindow status;
    CMediabridge bridge;
};

TEST(MediabridgeWine, PlaysLocalFilesIntoTheSoundCard) {
    tdtest::TempFolder folder("mb");
    std::vector<int16_t> tone = pe_test::TestTone(6);
    folder.Write("tone.wav", pe_test::MakeWav(tone));
    folder.Write("tone.mp3", pe_test::MakeMp3(tone));
    for (const char* name : {"tone.wav", "tone.mp3"}) {
        SCOPED_TRACE(name);
        RealBridge b;
        ASSERT_EQ(b.bridge.IsPlayerOK(), 2);
        std::string path = folder.File(name);
        ASSERT_EQ(b.bridge.Play(const_cast<char*>(path.c_str())), 1);
        // Open (6 for the control's "media open"), then playing (2).
        EXPECT_TRUE(b.status.WaitFor(bk::kStatusOpenState, 6, 10000));
        ASSERT_TRUE(b.status.WaitFor(bk::kStatusEnginePlayState, 2, 10000));
        auto info = b.status.Of(bk::kStatusStreamInfo);
        ASSERT_FALSE(info.empty());
        EXPECT_EQ(info[0].streamInfo.maxTrack, 1u);   // (Wine's control knows no duration yet here)
        // Sound arrives while the host's thread keeps pumping.
        tdtest::ToneStats stats;
        std::atomic<bool> heard{false}, listened{false};
        std::thread listen([&] {
            heard = pe_test::HearTone(1500, 1000, &stats);
            listened = true;
        });
        b.Until([&] { return listened.load(); }, 60000);
        listen.join();
        EXPECT_TRUE(heard) << "rms " << stats.rms << " frequency " << stats.frequency;
        // Run information from timer 1: the position moves on.
        ASSERT_TRUE(b.status.WaitFor(bk::kStatusRunInfo, -1, 30000));
        auto run = b.status.Of(bk::kStatusRunInfo);
        EXPECT_GT(run.back().runInfo.a, 0u);
        char source[1024] = {};
        char* out = source;
        b.bridge.GetCurrentSrcURL(&out);
        EXPECT_NE(std::string(source).find(name), std::string::npos) << source;
        b.bridge.Pause();
        b.bridge.Continue();
    }
}

TEST(MediabridgeWine, AnHttpAddressEndsInAnErrorReport) {
    tdtest::HttpServer server;
    server.Serve("/tone.mp3", pe_test::MakeMp3(pe_test::TestTone(3)), "audio/mpeg");
    RealBridge b;
    ASSERT_EQ(b.bridge.IsPlayerOK(), 2);
    std::string url = server.Url("/tone.mp3");
    b.bridge.Play(const_cast<char*>(url.c_str()));
    ASSERT_TRUE(b.status.WaitFor(bk::kStatusError, -1, 15000));
    EXPECT_TRUE(b.status.Of(bk::kStatusEnginePlayState).empty() ||
                b.status.Of(bk::kStatusEnginePlayState).back().value.value != 2);
}

TEST(MediabridgeWine, ProxyAndBufferCommandsTolerateTheStubs) {
    RealBridge b;
    ASSERT_EQ(b.bridge.IsPlayerOK(), 2);
    b.bridge.SetProxie(const_cast<char*>("127.0.0.1"), 8080);
    b.bridge.SetProxie(nullptr, 0);
    b.bridge.SetBufferSize(90000);
    b.bridge.SetCurrentEntry(1);
    b.bridge.SetCurrentPosition(3);
    EXPECT_EQ(b.bridge.IsPlayerOK(), 2);
}

}  // namespace
