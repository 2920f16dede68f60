// The player object with the facetkit stand-in and the real playback host:
// what a play sends to the skin, the tone on the monitor, the end of a
// stream whose server goes away, and listening reports.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app_start.h"
#include "core_test_support.h"
#include "player.h"
#include "test_audio.h"

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
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", log_.c_str());
    }
    ~RunningPlayer() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (ui_.joinable()) ui_.join();
        delete player_;
        SetEnvironmentVariableA("TD_FAKE_FACETKIT_LOG", nullptr);
    }

    cRadioPlayer* Start(int retryCount, int reconnect) {
        player_ = new cRadioPlayer(0);
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

private:
    coretest::PlayerFolders folders_;
    std::string log_;
    cRadioPlayer* player_ = nullptr;
    std::thread ui_;
    HWND window_ = nullptr;
    int startResult_ = -1;
};

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
    EXPECT_TRUE(run.WaitForLog("ReceiveStatus 1 0", 5000)) << run.Log();
    ASSERT_TRUE(tdtest::WaitFor([&] { return player->GetStatus() == 0; }, 5000));
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

}  // namespace
