// The loopback pipe: the down-mix on generated buffers, the session's
// volume events, and its set-up where loopback capture is missing (Wine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "downmix.h"
#include "fake_host.h"
#include "tdtest.h"
#include "vista_pipe.h"

namespace {

void CountCleared(uint32_t, uint32_t, void* ctx) { ++*static_cast<int*>(ctx); }

}  // namespace

TEST(Downmix, FivePointOneFoldsIntoLeftAndRight) {
    const uint32_t mask = kSpkFrontLeft | kSpkFrontRight | kSpkFrontCenter | kSpkLowFrequency | kSpkBackLeft | kSpkBackRight;
    // FL FR FC LFE BL BR, two frames
    std::vector<int16_t> in = {100, 200, 10, 20, 1000, 2000, -100, -200, -10, -20, -1000, -2000};
    std::vector<int16_t> out(4);
    DownmixToStereo16(in.data(), 2, 6, false, mask, out.data());
    EXPECT_EQ((std::vector<int16_t>{1130, 2230, -1130, -2230}), out);
}

TEST(Downmix, SumsSaturateInsteadOfWrapping) {
    const uint32_t mask = kSpkFrontLeft | kSpkFrontRight | kSpkFrontCenter | kSpkLowFrequency;
    // FL FR FC LFE
    std::vector<int16_t> in = {20000, -20000, 20000, 0};
    std::vector<int16_t> out(2);
    DownmixToStereo16(in.data(), 1, 4, false, mask, out.data());
    EXPECT_EQ(32767, out[0]);   // 40000 would wrap to -25536
    EXPECT_EQ(0, out[1]);
    std::vector<int16_t> low = {-20000, -20000, -20000, 0};
    DownmixToStereo16(low.data(), 1, 4, false, mask, out.data());
    EXPECT_EQ(-32768, out[0]);
    EXPECT_EQ(-32768, out[1]);
    std::vector<int16_t> loud = {30000, 30000, 30000, 30000};
    DownmixToStereo16(loud.data(), 1, 4, false, mask, out.data());
    EXPECT_EQ(32767, out[0]);
    EXPECT_EQ(32767, out[1]);
}

TEST(Downmix, FloatAndMaskless) {
    std::vector<float> in = {0.5f, -0.25f, 2.0f, -2.0f};
    std::vector<int16_t> out(4);
    DownmixToStereo16(in.data(), 2, 2, true, DefaultSpeakerMask(2), out.data());
    EXPECT_EQ(16383, out[0]);
    EXPECT_EQ(-8191, out[1]);
    EXPECT_EQ(32767, out[2]);
    EXPECT_EQ(-32768, out[3]);
    // One channel without a mask is the centre: both sides.
    std::vector<int16_t> mono = {1234};
    DownmixToStereo16(mono.data(), 1, 1, false, DefaultSpeakerMask(1), out.data());
    EXPECT_EQ(1234, out[0]);
    EXPECT_EQ(1234, out[1]);
    // No speakers at all: silence, nothing read out of place.
    DownmixToStereo16(mono.data(), 1, 1, false, 0, out.data());
    EXPECT_EQ(0, out[0]);
}

TEST(Downmix, MaskKeepsOnlyAsManyBitsAsChannels) {
    int cleared = 0;
    EXPECT_EQ(0x3u, TrimSpeakerMask(0x3F, 2, CountCleared, &cleared));
    EXPECT_EQ(4, cleared);
    cleared = 0;
    EXPECT_EQ(0x33u, TrimSpeakerMask(0x33, 4, CountCleared, &cleared));
    EXPECT_EQ(0, cleared);
}

TEST(AudioSessionEvents, OwnVolumeGoesToThePlaybackHost) {
    FakeHost host;
    cAudioSessionEvents events(&host);
    GUID other = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(S_OK, events.OnSimpleVolumeChanged(0.42f, FALSE, &kPlayerSessionGroup));
    EXPECT_EQ(S_OK, events.OnSimpleVolumeChanged(0.9f, FALSE, &other));
    EXPECT_EQ((std::vector<int>{42}), host.postedVolumes);
    EXPECT_EQ(1, host.volumeStatusCalls);
    void* p = nullptr;
    EXPECT_EQ(S_OK, events.QueryInterface(IID_IUnknown, &p));
    EXPECT_EQ(static_cast<IAudioSessionEvents*>(&events), p);
    EXPECT_EQ(E_NOINTERFACE, events.QueryInterface(IID_IDispatch, &p));
}

// Wine has no capture service for loopback: the player then takes the
// sound-card pipe, and a loopback pipe set up anyway ends its capture
// thread at once.
TEST(VistaPipe, WithoutLoopbackThePlayerGetsTheSoundCardPipe) {
    FakeHost host;
    tdtest::TempFolder tmp("vista");
    host.folder = tmp.Path();
    bool loopback = cVistaPipe::LoopbackAvailable();
    CPipe* pipe = CreateRecordingPipe(&host);
    ASSERT_NE(nullptr, pipe);
    EXPECT_EQ(loopback, dynamic_cast<cVistaPipe*>(pipe) != nullptr);
    delete pipe;
    if (loopback) GTEST_SKIP() << "loopback capture works here";

    cVistaPipe vista(&host);
    vista.StartListening();
    vista.StartListening();
    EXPECT_FALSE(vista.HasCaptureClient());
    EXPECT_LE(vista.CaptureThreadStarts(), 1);
    EXPECT_EQ(-1, vista.GetRecordSource());
    int v = 0, mx = 0, mn = 0, st = 0;
    vista.GetWaveOutVolume(&v, &mx, &mn, &st);
    EXPECT_EQ(-1, v);
    EXPECT_EQ(-1, st);
    vista.GetMasterVolume(&v, &mx, &mn, &st);
    EXPECT_EQ(100, mx);
    EXPECT_EQ(0, mn);
    EXPECT_EQ(1, st);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 100);

    // The recording side still works on blocks handed to it.
    if (vista.CaptureThreadStarts() == 1) {
        vista.SetPauseScale(0);
        vista.StartRecordingToFile(MakeJob(tmp.File("v.wav"), 0, vista.GetWaveFormat().GetSampleRate()), 0);
        ASSERT_EQ(1, vista.IsRecording());
        std::vector<int16_t> block(2 * 480, 1000);
        vista.ProcessSamples(block.data(), 480);
        vista.StopRecordingToFile();
        EXPECT_EQ(480u * 4, vista.GetRecordedBytes());
    }
}
