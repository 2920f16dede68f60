// The MP3 encoder wrapper over the real lame_enc.dll: the configuration it
// hands over, load failures, chunking, a decoded round trip, and its speed
// beside LAME alone.
#include <gtest/gtest.h>

#include <lame.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "lame_mp3.h"
#include "rec_settings.h"
#include "registry.h"
#include "tdtest.h"

namespace {

const char kKey[] = "Software\\tdtest\\recording_lame";

struct Mp3Settings {
    tdtest::RegistrySandbox sandbox{kKey};
    Mp3Settings() { RecSetSettingsKey(kKey); }
    ~Mp3Settings() { RecSetSettingsKey(nullptr); }
    void Set(const char* name, const char* value) { sandbox.SetString(name, value); }
};

WaveFormatRecord Pcm(int rate, int channels) {
    WaveFormatRecord f = {};
    f.formatTag = 1;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = static_cast<uint32_t>(rate);
    f.bitsPerSample = 16;
    f.blockAlign = static_cast<uint16_t>(channels * 2);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    return f;
}

// Decodes an MP3 file to interleaved stereo (mono duplicated).
std::vector<int16_t> DecodeMp3(const std::string& bytes) {
    std::vector<int16_t> pcm;
    hip_t hip = hip_decode_init();
    std::vector<short> l(1 << 16), r(1 << 16);
    for (size_t at = 0; at < bytes.size(); at += 512) {
        size_t n = bytes.size() - at < 512 ? bytes.size() - at : 512;
        int got = hip_decode(hip, reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data() + at)), n, l.data(), r.data());
        for (int i = 0; i < got; ++i) {
            pcm.push_back(l[i]);
            pcm.push_back(r[i]);
        }
    }
    hip_decode_exit(hip);
    return pcm;
}

}  // namespace

// The encoder's settings and its user folder are the player's: whatever key
// launchgate names, not a fixed one.
TEST(LameMP3, SettingsComeFromThePlayersKey) {
    RecSetSettingsKey(nullptr);
    EXPECT_STREQ(GetSettingsKeyName(), RecSettingsKey());
    RecSetSettingsKey(kKey);
    EXPECT_STREQ(kKey, RecSettingsKey());
    RecSetSettingsKey("");
    EXPECT_STREQ(GetSettingsKeyName(), RecSettingsKey());
}

TEST(LameMP3, ConfigurationFollowsTheSettings) {
    struct Case {
        const char* what;
        const char* bitrate;
        const char* vbr;
        const char* stereo;
        int channels;
        unsigned expectRate;
        int expectMode;
        int expectVbr;
    } cases[] = {
        {"defaults", nullptr, nullptr, nullptr, 2, 128, BE_MP3_MODE_STEREO, 1},
        {"bit rate 0", "0", "1", "STEREO", 2, 128, BE_MP3_MODE_STEREO, 1},
        {"joint stereo", "192", "1", "JOINT", 2, 192, BE_MP3_MODE_JSTEREO, 1},
        {"JSTEREO", "160", "0", "JSTEREO", 2, 160, BE_MP3_MODE_JSTEREO, 0},
        {"mono source", "64", "0", "STEREO", 1, 64, BE_MP3_MODE_MONO, 0},
    };
    tdtest::TempFolder tmp("mp3");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mp3Settings settings;
        if (c.bitrate) settings.Set("MP3_Bitrate", c.bitrate);
        if (c.vbr) settings.Set("MP3_VBR", c.vbr);
        if (c.stereo) settings.Set("STEREO_ART", c.stereo);
        WaveFormatRecord f = Pcm(44100, c.channels);
        cLameMP3 enc(tmp.File("c.mp3").c_str(), &f);
        ASSERT_EQ(1, enc.LoadEncoder());
        ASSERT_EQ(1, enc.Init());
        const BE_CONFIG& cfg = enc.GetConfig();
        EXPECT_EQ(256u, cfg.dwConfig);
        EXPECT_EQ(1u, cfg.format.LHV1.dwStructVersion);
        EXPECT_EQ(331u, cfg.format.LHV1.dwStructSize);
        EXPECT_EQ(44100u, cfg.format.LHV1.dwSampleRate);
        EXPECT_EQ(c.expectRate, cfg.format.LHV1.dwBitrate);
        EXPECT_EQ(c.expectRate, cfg.format.LHV1.dwMaxBitrate);
        EXPECT_EQ(c.expectMode, cfg.format.LHV1.nMode);
        EXPECT_EQ(c.expectVbr, cfg.format.LHV1.bEnableVBR);
        EXPECT_EQ(c.expectVbr, cfg.format.LHV1.bWriteVBRHeader);
        EXPECT_EQ(LQP_HIGH_QUALITY, cfg.format.LHV1.nPreset);
        EXPECT_EQ(2, cfg.format.LHV1.nVBRQuality);
        EXPECT_EQ(TRUE, cfg.format.LHV1.bOriginal);
        EXPECT_EQ(1, enc.DeInit());
        EXPECT_EQ(1, enc.DeInit());   // a second time: nothing left to do
    }
}

TEST(LameMP3, LoadFailuresSayWhatIsMissing) {
    tdtest::TempFolder empty1("lame1"), empty2("lame2");
    cLameMP3::SetSearchFolders(empty1.Path().c_str(), empty2.Path().c_str());
    cLameMP3 none("", nullptr);
    EXPECT_EQ(0, none.LoadEncoder());
    EXPECT_EQ(cLameMP3::kErrNoLibrary, none.GetLastError());
    EXPECT_EQ(0, none.Init());

    // Found in the user folder, but it lacks beWriteVBRHeader.
    cLameMP3::SetSearchFolders(empty1.Path().c_str(), (tdtest::BinDir() + "\\lame_partial").c_str());
    cLameMP3 partial("", nullptr);
    EXPECT_EQ(0, partial.LoadEncoder());
    EXPECT_EQ(cLameMP3::kErrNoEntryPoint, partial.GetLastError());
    cLameMP3::SetSearchFolders(nullptr, nullptr);

    cLameMP3 real("", nullptr);
    EXPECT_EQ(1, real.LoadEncoder());
    EXPECT_EQ(cLameMP3::kErrNone, real.GetLastError());
    EXPECT_EQ(1, real.EncodeChunk(4, "\0\0\0\0"));   // not initialised: nothing to do
}

// After a failed encode the stream is closed once and never touched again;
// the file is still closed by DeInit.
TEST(LameMP3, FailedEncodeClosesTheStreamOnce) {
    tdtest::TempFolder tmp("mp3");
    std::string dir = tdtest::BinDir() + "\\lame_failing";
    cLameMP3::SetSearchFolders(dir.c_str(), dir.c_str());
    // Held here too, so that its counts outlive the encoder object.
    HMODULE lib = LoadLibraryA((dir + "\\lame_enc.dll").c_str());
    ASSERT_NE(nullptr, lib);
    WaveFormatRecord f = Pcm(44100, 2);
    {
        cLameMP3 enc(tmp.File("f.mp3").c_str(), &f);
        ASSERT_EQ(1, enc.LoadEncoder());
        ASSERT_EQ(1, enc.Init());
        std::vector<int16_t> pcm(2940, 100);
        EXPECT_EQ(0, enc.EncodeChunk(static_cast<int>(pcm.size() * 2), pcm.data()));
        EXPECT_EQ(1, enc.EncodeChunk(static_cast<int>(pcm.size() * 2), pcm.data()));   // nothing more goes in
        EXPECT_EQ(1, enc.DeInit());
        EXPECT_EQ(1, enc.DeInit());
    }
    cLameMP3::SetSearchFolders(nullptr, nullptr);
    auto counts = reinterpret_cast<void (*)(LONG*, LONG*, LONG*)>(reinterpret_cast<void*>(GetProcAddress(lib, "tdCounts")));
    ASSERT_NE(nullptr, counts);
    LONG encode = 0, deinit = 0, close = 0;
    counts(&encode, &deinit, &close);
    EXPECT_EQ(1, encode);
    EXPECT_EQ(0, deinit);
    EXPECT_EQ(1, close);
    FreeLibrary(lib);
    EXPECT_TRUE(DeleteFileA(tmp.File("f.mp3").c_str()));   // closed, so it can go
}

TEST(LameMP3, EncodesLargeBlocksThatDecodeToTheTone) {
    Mp3Settings settings;
    settings.Set("MP3_VBR", "0");
    tdtest::TempFolder tmp("mp3");
    WaveFormatRecord f = Pcm(44100, 2);
    std::vector<int16_t> tone = tdtest::SineStereo(1000, 2.0, 10000);
    {
        cLameMP3 enc(tmp.File("t.mp3").c_str(), &f);
        ASSERT_EQ(1, enc.LoadEncoder());
        ASSERT_EQ(1, enc.Init());
        // Capture blocks (1470 frames) and converter blocks (5000 frames)
        // are larger than one encoder chunk.
        ASSERT_LT(enc.GetSamplesPerChunk(), 2940u);
        size_t at = 0;
        bool big = false;
        while (at < tone.size()) {
            size_t n = (big ? 10000 : 2940);
            if (n > tone.size() - at) n = tone.size() - at;
            ASSERT_EQ(1, enc.EncodeChunk(static_cast<int>(n * 2), tone.data() + at));
            at += n;
            big = !big;
        }
        ASSERT_EQ(1, enc.DeInit());
        std::string bytes = tmp.Read("t.mp3");
        EXPECT_EQ(bytes.size(), enc.GetTotalBytes64());
    }
    std::string bytes = tmp.Read("t.mp3");
    ASSERT_GT(bytes.size(), 30000u);   // 2 s at 128 kbit/s is 32 kB
    std::vector<int16_t> back = DecodeMp3(bytes);
    ASSERT_GT(back.size() / 2, 80000u);
    // Skip the encoder's delay at the start.
    tdtest::ToneStats st = tdtest::Measure(back.data() + 2 * 4000, back.size() / 2 - 8000);
    EXPECT_NEAR(1000.0, st.frequency, 5.0);
    EXPECT_NEAR(10000 / std::sqrt(2.0), st.rms, 700);
}

// Speed of our wrapper beside LAME by itself on the same 20 s of input,
// each the median of five runs.
TEST(LameMP3, BenchmarkAgainstLameAlone) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "a benchmark (scripts/bench)";
    Mp3Settings settings;
    settings.Set("MP3_VBR", "0");
    settings.Set("MP3_Bitrate", "128");
    tdtest::TempFolder tmp("mp3");
    const double seconds = 20.0;
    std::vector<int16_t> tone = tdtest::SineStereo(440, seconds, 12000);
    for (size_t i = 0; i < tone.size(); i += 2) tone[i] = static_cast<int16_t>(tone[i] / 2 + (i * 2654435761u >> 20) % 512);

    WaveFormatRecord f = Pcm(44100, 2);
    auto wrapped = [&] {
        auto t0 = std::chrono::steady_clock::now();
        cLameMP3 enc(tmp.File("w.mp3").c_str(), &f);
        EXPECT_EQ(1, enc.LoadEncoder());
        EXPECT_EQ(1, enc.Init());
        for (size_t at = 0; at < tone.size(); at += 2940) {
            size_t n = tone.size() - at < 2940 ? tone.size() - at : 2940;
            EXPECT_EQ(1, enc.EncodeChunk(static_cast<int>(n * 2), tone.data() + at));
        }
        EXPECT_EQ(1, enc.DeInit());
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    auto alone = [&] {
        auto t0 = std::chrono::steady_clock::now();
        lame_t lame = lame_init();
        lame_set_in_samplerate(lame, 44100);
        lame_set_num_channels(lame, 2);
        lame_set_brate(lame, 128);
        lame_set_mode(lame, STEREO);
        lame_set_quality(lame, 2);
        EXPECT_GE(lame_init_params(lame), 0);
        std::vector<unsigned char> out(1 << 16);
        FILE* file = fopen(tmp.File("l.mp3").c_str(), "wb");
        for (size_t at = 0; at < tone.size(); at += 2940) {
            size_t n = tone.size() - at < 2940 ? tone.size() - at : 2940;
            int k = lame_encode_buffer_interleaved(lame, tone.data() + at, static_cast<int>(n / 2), out.data(),
                                                   static_cast<int>(out.size()));
            EXPECT_GE(k, 0);
            fwrite(out.data(), 1, static_cast<size_t>(k > 0 ? k : 0), file);
        }
        int k = lame_encode_flush(lame, out.data(), static_cast<int>(out.size()));
        fwrite(out.data(), 1, static_cast<size_t>(k > 0 ? k : 0), file);
        fclose(file);
        lame_close(lame);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    // Taken in turns, so that a busy moment of the machine falls on both.
    std::vector<double> w, a;
    for (int round = 0; round < 5; ++round) {
        w.push_back(wrapped());
        a.push_back(alone());
    }
    const double wrapper = tdtest::Median(w), lameAlone = tdtest::Median(a);
    printf("[ BENCH    ] MP3 encoding of %.0f s stereo 44.1 kHz: wrapper over lame_enc.dll %.1fx real time, "
           "LAME alone %.1fx real time\n", seconds, seconds / wrapper, seconds / lameAlone);
    tdtest::Figure("MP3 encoder wrapper, share of LAME's own speed", 100.0 * lameAlone / wrapper, "%", 97, false);
}
