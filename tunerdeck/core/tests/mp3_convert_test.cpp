// WAV-to-MP3 conversion through the callback (codes 62 and 63) with the real
// encoder library: progress to the order's window, a stop that leaves no
// file, and sources or encoders that cannot be opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "convert_order.h"
#include "core_actions.h"
#include "info_callback.h"
#include "lame_mp3.h"
#include "mp3_convert.h"
#include "settings.h"
#include "tdtest.h"
#include "wave_file.h"

namespace {

// The WAV reader's complaints about a damaged file, instead of its message box.
std::vector<std::string> g_waveMessages;
void WaveMessage(const char* text) { g_waveMessages.push_back(text); }

// A 16-bit stereo WAV file of a 1 kHz tone.
std::string ToneWav(double seconds) {
    const uint32_t rate = 44100, frames = static_cast<uint32_t>(seconds * rate);
    std::string pcm(frames * 4, '\0');
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t v = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 1000 * i / rate));
        memcpy(&pcm[i * 4], &v, 2);
        memcpy(&pcm[i * 4 + 2], &v, 2);
    }
    auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    std::string fmt = u16(1) + u16(2) + u32(rate) + u32(rate * 4) + u16(4) + u16(16);
    return "RIFF" + u32(static_cast<uint32_t>(4 + 8 + fmt.size() + 8 + pcm.size())) + "WAVE" + "fmt " +
           u32(static_cast<uint32_t>(fmt.size())) + fmt + "data" + u32(static_cast<uint32_t>(pcm.size())) + pcm;
}

td::ConvertOrder Order(const std::string& wav, const std::string& mp3, HWND window = nullptr) {
    td::ConvertOrder o;
    memset(&o, 0, sizeof o);
    o.notifyWindow = static_cast<int32_t>(reinterpret_cast<intptr_t>(window));
    strncpy(o.wavPath, wav.c_str(), sizeof o.wavPath - 1);
    strncpy(o.mp3Path, mp3.c_str(), sizeof o.mp3Path - 1);
    return o;
}

using Progress = std::vector<std::pair<int, int>>;

// The progress as the pop-up sees it: messages 1185 on a window of this thread.
class ProgressWindow {
public:
    ProgressWindow() {
        window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~ProgressWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    // Collects messages until the final one (wParam 0, or lParam 100).
    Progress Collect(DWORD timeoutMs) {
        Progress got;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            MSG m;
            while (PeekMessageA(&m, window_, td::kConvertProgressMessage, td::kConvertProgressMessage, PM_REMOVE))
                got.emplace_back(static_cast<int>(m.wParam), static_cast<int>(m.lParam));
            if (!got.empty() && (got.back().first == 0 || got.back().second == 100)) break;
            Sleep(10);
        }
        return got;
    }

private:
    HWND window_;
};

class Mp3ConvertTest : public ::testing::Test {
protected:
    Mp3ConvertTest() : files_("conv") {
        files_.Write("tone.wav", ToneWav(3.0));
        g_waveMessages.clear();
        cWaveFile::SetMessageFunction(WaveMessage);
        recording_.reset(new td::cRecordingControl(&settings_, nullptr));
        actions_.reset(new td::cCoreActions(&settings_, nullptr, recording_.get(), td::SkinListApi()));
        td::SetCallbackTarget(actions_.get());
    }
    ~Mp3ConvertTest() override {
        td::SetCallbackTarget(nullptr);
        td::WaitForCallbackWorkers(60000);
        cWaveFile::SetMessageFunction(nullptr);
    }
    tdtest::TempFolder files_;
    cSettings settings_;
    std::unique_ptr<td::cRecordingControl> recording_;
    std::unique_ptr<td::cCoreActions> actions_;
};

TEST_F(Mp3ConvertTest, TheCallbackConvertsACopyOfTheOrderAndReportsToItsWindow) {
    ProgressWindow window;
    td::ConvertOrder order = Order(files_.File("tone.wav"), files_.File("tone.mp3"), window.Handle());
    td::InfoCallback(62, 0, &order);
    memset(&order, 'x', sizeof order);   // the pop-up's record may change at once
    const Progress got = window.Collect(60000);
    ASSERT_TRUE(td::WaitForCallbackWorkers(60000));
    EXPECT_TRUE(g_waveMessages.empty());

    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(std::make_pair(100, 0), got.front());
    EXPECT_EQ(std::make_pair(100, 100), got.back());
    for (size_t i = 1; i + 1 < got.size(); ++i) {
        EXPECT_EQ(100, got[i].first);
        EXPECT_GE(got[i].second, got[i - 1].second);
        EXPECT_LE(got[i].second, 99);
    }
    // 3 s at 128 kbit/s: about 48 KB of MPEG audio frames.
    const std::string mp3 = files_.Read("tone.mp3");
    EXPECT_GT(mp3.size(), 30000u);
    EXPECT_LT(mp3.size(), 80000u);
    ASSERT_GE(mp3.size(), 2u);
    size_t sync = mp3.find('\xFF');
    ASSERT_NE(std::string::npos, sync);
    EXPECT_EQ(0xE0, static_cast<unsigned char>(mp3[sync + 1]) & 0xE0);
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\converted-tone.mp3", mp3);
}

TEST_F(Mp3ConvertTest, AStopEndsTheConversionAndLeavesNoFile) {
    // Code 63 while the conversion runs (at its first progress report).
    Progress got;
    bool asked = false;
    actions_->SetConvertNotify([&](HWND, WPARAM w, LPARAM l) {
        got.emplace_back(static_cast<int>(w), static_cast<int>(l));
        if (w == 100 && l > 0 && l < 100 && !asked) {
            asked = true;
            td::InfoCallback(63, 0, nullptr);
            // The stop's worker has set the flag once it is gone; this
            // conversion's worker is the one left.
            tdtest::WaitFor([] { return td::RunningCallbackWorkers() <= 1; }, 30000);
        }
    });
    td::ConvertOrder order = Order(files_.File("tone.wav"), files_.File("stopped.mp3"));
    td::InfoCallback(62, 0, &order);
    ASSERT_TRUE(td::WaitForCallbackWorkers(60000));
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(std::make_pair(100, 0), got.front());
    EXPECT_EQ(std::make_pair(0, 0), got.back());
    EXPECT_FALSE(files_.Exists("stopped.mp3"));

    // The stop belonged to that conversion: the next one runs to its end.
    got.clear();
    actions_->SetConvertNotify([&](HWND, WPARAM w, LPARAM l) { got.emplace_back(static_cast<int>(w), static_cast<int>(l)); });
    order = Order(files_.File("tone.wav"), files_.File("again.mp3"));
    td::InfoCallback(62, 0, &order);
    ASSERT_TRUE(td::WaitForCallbackWorkers(60000));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::make_pair(100, 100), got.back());
    EXPECT_TRUE(files_.Exists("again.mp3"));
}

TEST_F(Mp3ConvertTest, SourcesAndEncodersThatCannotBeOpenedFail) {
    files_.Write("broken.wav", "RIFF....WAVEjunk");
    td::ConvertOrder unterminated = Order(files_.File("tone.wav"), files_.File("x.mp3"));
    memset(unterminated.mp3Path, 'a', sizeof unterminated.mp3Path);   // no end inside the field

    struct Case {
        const char* name;
        td::ConvertOrder order;
    } cases[] = {
        {"missing source", Order(files_.File("none.wav"), files_.File("none.mp3"))},
        {"not a WAV file", Order(files_.File("broken.wav"), files_.File("broken.mp3"))},
        {"no target", Order(files_.File("tone.wav"), "")},
        {"target in a missing folder", Order(files_.File("tone.wav"), files_.File("no\\such\\x.mp3"))},
        {"unterminated target", unterminated},
    };
    for (Case& c : cases) {
        Progress got;
        EXPECT_EQ(0, td::ConvertWavToMp3(&c.order, nullptr, [&](HWND, WPARAM w, LPARAM l) {
            got.emplace_back(static_cast<int>(w), static_cast<int>(l));
        })) << c.name;
        EXPECT_EQ((Progress{{0, 0}}), got) << c.name;
        EXPECT_EQ(0, c.order.lastWParam) << c.name;
    }
    EXPECT_FALSE(files_.Exists("broken.mp3"));
    EXPECT_EQ(1u, g_waveMessages.size());   // the damaged file, not the missing one

    // Without the encoder library: the check says so and nothing is written.
    tdtest::TempFolder empty("noenc");
    cLameMP3::SetSearchFolders(empty.Path().c_str(), empty.Path().c_str());
    int result = -1;
    EXPECT_EQ(0, td::InfoCallback(67, 0, &result));
    EXPECT_EQ(0, result);
    Progress got;
    td::ConvertOrder order = Order(files_.File("tone.wav"), files_.File("noenc.mp3"));
    EXPECT_EQ(0, td::ConvertWavToMp3(&order, nullptr, [&](HWND, WPARAM w, LPARAM l) {
        got.emplace_back(static_cast<int>(w), static_cast<int>(l));
    }));
    EXPECT_EQ((Progress{{0, 0}}), got);
    EXPECT_FALSE(files_.Exists("noenc.mp3"));
    cLameMP3::SetSearchFolders(nullptr, nullptr);
    EXPECT_EQ(1, td::InfoCallback(67, 0, &result));
    EXPECT_EQ(1, result);
}

}  // namespace
