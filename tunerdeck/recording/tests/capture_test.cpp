// Live capture through PortAudio: a tone played into the null sink is
// recorded from its monitor into WAV and MP3 files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "pa18.h"
#include "pipe.h"
#include "tdtest.h"
#include "test_audio.h"
#include "wave_file.h"

namespace {

// A block counts as sounding at well over half the tone's level (8485):
// a recording at the wrong level or pitch has no block that passes the
// checks, one with gaps of the player's own has enough that do.
constexpr double kSounding = 5000;

std::vector<int16_t> ReadWav(const std::string& path, int* rate) {
    std::vector<int16_t> pcm;
    cWaveFile in(path.c_str(), nullptr);
    if (!in.IsOpen()) return pcm;
    *rate = in.GetSampleRate();
    while (cByteBuffer* b = in.ReadBlock()) {
        const int16_t* s = reinterpret_cast<const int16_t*>(b->Data());
        pcm.insert(pcm.end(), s, s + b->Size() / 2);
        delete b;
    }
    return pcm;
}

}  // namespace

TEST(Pa18, InputDevicesComeFirst) {
    ASSERT_EQ(0, pa18::Pa_Initialize());
    int n = pa18::Pa_CountDevices();
    ASSERT_GT(n, 0);
    bool outputsBegun = false;
    for (int i = 0; i < n; ++i) {
        const pa18::PaDeviceInfo* d = pa18::Pa_GetDeviceInfo(i);
        ASSERT_NE(nullptr, d);
        if (d->maxInputChannels > 0) EXPECT_FALSE(outputsBegun) << d->name;
        else outputsBegun = true;
    }
    EXPECT_EQ(nullptr, pa18::Pa_GetDeviceInfo(n));
    EXPECT_GE(pa18::Pa_GetDefaultInputDeviceID(), 0);
    pa18::Pa_Terminate();
}

// Wine's mixers: an output mixer with a master volume, an input mixer with
// no recording-source selection.
TEST(LiveCapture, MixerReadsAsFarAsTheSystemOffers) {
    FakeHost host;
    CPipe pipe(&host);
    int v = 0, mx = 0, mn = 0, st = 0;
    pipe.GetMasterVolume(&v, &mx, &mn, &st);
    EXPECT_EQ(65535, mx);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 65535);
    std::string sources;
    pipe.GetSourceNames(sources);
    EXPECT_EQ(std::string("\x02-1"), sources);
    EXPECT_EQ(-1, pipe.GetRecordSource());
    EXPECT_EQ(0, pipe.GetRecordLevel(&v, &mx, &mn, &st));
    EXPECT_EQ(0, pipe.IsListening());   // asking opened and closed the stream again
}

// A job profile below what the encoder takes (8 bit, 11 kHz): the capture
// is opened at the raised format the encoder is told, so the file holds the
// tone at its pitch, not noise at another speed.
TEST(LiveCapture, LowQualityProfileGivesAValidMp3) {
    tdtest::TempFolder tmp("caplow");
    FakeHost host;
    host.folder = tmp.Path();
    host.device = -1;
    host.profiles["Low"] = Profile{11025, 8, 2};
    CPipe pipe(&host);
    pipe.StartListening();
    ASSERT_EQ(1, pipe.IsListening());
    // Longer than the recording needs even on a slow machine; stopped after it.
    tdtest::TonePlayer player(tdtest::SineStereo(1000, 40.0, 12000));
    ASSERT_TRUE(tdtest::WaitFor([&] { return host.BestPeak() >= 30; }, 20000)) << host.BestPeak();
    size_t reports = host.RecTimeCount();
    pipe.StartRecordingToFile(MakeJob(tmp.File("low.mp3"), 1, 11025, 8, 2, 0, 0, "Low"), 0);
    ASSERT_EQ(1, pipe.IsRecording());
    EXPECT_EQ(16, pipe.GetWaveFormat().GetBitsPerSample());
    EXPECT_EQ(16000, pipe.GetWaveFormat().GetSampleRate());
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.RecordedAtLeast(reports, 2); }, 30000));
    pipe.StopRecordingToFile();
    player.Stop();
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\recording-low.mp3", tmp.Read("low.mp3"));

    int rate = 0;
    std::vector<int16_t> mp3 = pe_test::DecodeMp3(tmp.Read("low.mp3"), &rate);
    EXPECT_EQ(16000, rate);
    ASSERT_GT(mp3.size() / 2, 8000u);
    tdtest::ToneStats ms = tdtest::MeasureSounding(mp3.data() + 2 * 1600, mp3.size() / 2 - 3200, kSounding, rate, 800);
    EXPECT_GE(ms.frames, 4000u) << "less than a quarter second of the tone";
    EXPECT_NEAR(1000.0, ms.frequency, 40.0);
    EXPECT_NEAR(8485.0, ms.rms, 1500.0);
}

TEST(LiveCapture, ToneIsRecordedToWavAndMp3) {
    tdtest::TempFolder tmp("cap");
    FakeHost host;
    host.folder = tmp.Path();
    host.device = -1;   // the default input: the null sink's monitor
    CPipe pipe(&host);

    std::string names;
    pipe.GetDeviceNames(names);
    EXPECT_NE(std::string::npos, names.find("\x01\x02-1"));

    pipe.StartListening();
    ASSERT_EQ(1, pipe.IsListening());
    // Longer than the recordings need even on a slow machine; stopped after them.
    tdtest::TonePlayer player(tdtest::SineStereo(1000, 40.0, 12000));
    // The level meter shows the tone once it reaches the capture.
    ASSERT_TRUE(tdtest::WaitFor([&] { return host.BestPeak() >= 30; }, 20000)) << host.BestPeak();

    size_t reports = host.RecTimeCount();
    pipe.StartRecordingToFile(MakeJob(tmp.File("live.wav")), 0);
    ASSERT_EQ(1, pipe.IsRecording());
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.RecordedAtLeast(reports, 2); }, 30000));
    pipe.StopRecordingToFile();

    reports = host.RecTimeCount();
    pipe.StartRecordingToFile(MakeJob(tmp.File("live.mp3"), 1), 0);
    ASSERT_EQ(1, pipe.IsRecording());
    EXPECT_TRUE(tdtest::WaitFor([&] { return host.RecordedAtLeast(reports, 2); }, 30000));
    pipe.StopRecordingToFile();
    player.Stop();

    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\recording-live.wav", tmp.Read("live.wav"));
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\recording-live.mp3", tmp.Read("live.mp3"));

    auto st = host.Statuses();
    std::vector<int> codes;
    for (const auto& s : st) codes.push_back(s.code);
    EXPECT_EQ((std::vector<int>{47, 46, 47, 46}), codes);
    EXPECT_EQ(0u, st[0].text.find("WAV\x02"));
    EXPECT_EQ(0u, st[2].text.find("MP3\x02"));

    int rate = 0;
    std::vector<int16_t> wav = ReadWav(tmp.File("live.wav"), &rate);
    EXPECT_EQ(44100, rate);
    ASSERT_GT(wav.size() / 2, 22050u);   // Wine delivers capture blocks late and in bursts
    tdtest::ToneStats ws = tdtest::MeasureSounding(wav.data() + 2 * 4410, wav.size() / 2 - 4410, kSounding);
    EXPECT_GE(ws.frames, 11025u) << "less than a quarter second of the tone";
    EXPECT_NEAR(1000.0, ws.frequency, 40.0);
    EXPECT_NEAR(8485.0, ws.rms, 1300.0);

    std::vector<int16_t> mp3 = pe_test::DecodeMp3(tmp.Read("live.mp3"));
    ASSERT_GT(mp3.size() / 2, 22050u);
    tdtest::ToneStats ms = tdtest::MeasureSounding(mp3.data() + 2 * 4410, mp3.size() / 2 - 8820, kSounding);
    EXPECT_GE(ms.frames, 11025u) << "less than a quarter second of the tone";
    EXPECT_NEAR(1000.0, ms.frequency, 40.0);
    EXPECT_NEAR(8485.0, ms.rms, 1500.0);

    // The level meter saw the tone: 24000 of 64879 is 36 percent.
    std::lock_guard<std::mutex> g(host.mu);
    int best = 0;
    for (auto& p : host.peaks) best = std::max(best, p.first);
    EXPECT_GE(best, 30);
    EXPECT_LE(best, 42);
    ASSERT_FALSE(host.recTimes.empty());
}
