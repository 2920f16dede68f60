// The recording pipe on generated blocks: peaks, clip handling, silence,
// cutting into pieces, start and stop reports. Capture itself is replaced
// by handing blocks to ProcessSamples; the live capture is in
// capture_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_host.h"
#include "lame_mp3.h"
#include "pipe.h"
#include "tdtest.h"

namespace {

// A pipe that opens no sound device and keeps the input level in fields.
class BlockPipe : public CPipe {
public:
    explicit BlockPipe(cPipeHost* host) : CPipe(host) { SetPauseScale(0); }
    ~BlockPipe() override {
        if (IsRecording()) StopRecordingToFile();
    }
    int OpenStream(int* alreadyOpen) override {
        int sps, bps, nch;
        ApplyJobQuality(&sps, &bps, &nch);
        waveFormat_.SetSampleRate(sps);
        waveFormat_.SetBitsPerSample(bps);
        waveFormat_.SetChannels(nch);
        if (alreadyOpen) *alreadyOpen = 0;
        return 0;   // no stream: nothing is captured
    }
    int GetRecordLevel(int* value, int* maximum, int* minimum, int* step) override {
        *value = level;
        *maximum = 65535;
        *minimum = 0;
        *step = 120;
        return 1;
    }
    void SetRecordLevel(int l) override { level = l; }
    std::atomic<int> level{60000};
};

constexpr unsigned kFrames = 1470;   // one block at 44.1 kHz (rate / 30)
constexpr size_t kBlockBytes = kFrames * 4;

std::vector<int16_t> Block(int16_t left, int16_t right) {
    std::vector<int16_t> b(kFrames * 2);
    for (unsigned i = 0; i < kFrames; ++i) {
        b[2 * i] = static_cast<int16_t>(i % 2 ? left : -left);
        b[2 * i + 1] = static_cast<int16_t>(i % 2 ? right : -right);
    }
    return b;
}

uint32_t DataSize(const std::string& wav) {
    if (wav.size() < 46) return 0;
    return uint8_t(wav[42]) | uint8_t(wav[43]) << 8 | uint8_t(wav[44]) << 16 | uint32_t(uint8_t(wav[45])) << 24;
}

struct PipeFixture : ::testing::Test {
    tdtest::TempFolder tmp{"pipe"};
    FakeHost host;
    PipeFixture() { host.folder = tmp.Path(); }
    std::string File(const char* name) { return tmp.File(name); }
};

}  // namespace

TEST_F(PipeFixture, PeaksReachTheLevelMeter) {
    BlockPipe pipe(&host);
    std::vector<int16_t> b = Block(16000, 0);
    pipe.ProcessSamples(b.data(), kFrames);
    // range 32000 of full scale 64879 (990 per mille of 65535)
    ASSERT_TRUE(tdtest::WaitFor([&] {
        std::lock_guard<std::mutex> g(host.mu);
        return !host.peaks.empty();
    }, 3000));
    std::lock_guard<std::mutex> g(host.mu);
    EXPECT_EQ(49, host.peaks.back().first);
    EXPECT_EQ(0, host.peaks.back().second);
}

TEST_F(PipeFixture, ClippingLowersTheInputLevelByTheHitCount) {
    struct Case {
        int hits;
        int multiplier;
    } cases[] = {{3, 1}, {6, 1}, {7, 2}, {20, 2}, {50, 2}, {51, 15}, {400, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hits);
        host.statuses.clear();
        BlockPipe pipe(&host);
        pipe.ArmLevelAdjust(1);
        std::vector<int16_t> b = Block(1000, 1000);
        b[0] = -32768;
        for (int i = 0; i < c.hits; ++i) b[2 * (10 + i * 3)] = 32767;
        pipe.ProcessSamples(b.data(), kFrames);
        EXPECT_EQ(c.multiplier, pipe.GetStepMultiplier());
        int expect = 60000 - 120 * c.multiplier;
        ASSERT_TRUE(tdtest::WaitFor([&] { return pipe.level == expect; }, 30000));
        char text[64];
        snprintf(text, sizeof text, "%d|65535|0", expect);
        auto st = host.Statuses();
        ASSERT_FALSE(st.empty());
        EXPECT_EQ(44, st.back().code);
        EXPECT_EQ(text, st.back().text);
    }
    // Not armed: a clipping block changes nothing.
    BlockPipe quiet(&host);
    std::vector<int16_t> b = Block(32767, 32767);
    quiet.ProcessSamples(b.data(), kFrames);
    Sleep(50);
    EXPECT_EQ(60000, quiet.level);
}

TEST_F(PipeFixture, WavRecordingReportsStartAndStop) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("rec.wav")), 0);
    ASSERT_EQ(1, pipe.IsRecording());
    std::vector<int16_t> b = Block(5000, 3000);
    for (int i = 0; i < 10; ++i) pipe.ProcessSamples(b.data(), kFrames);
    pipe.StopRecordingToFile();
    EXPECT_EQ(0, pipe.IsRecording());
    EXPECT_EQ(3, pipe.GetRecordState());
    auto st = host.Statuses();
    ASSERT_EQ(2u, st.size());
    EXPECT_EQ(47, st[0].code);
    EXPECT_EQ(std::string("WAV\x02" "CD\x02" "44100\x02" "16\x02" "2"), st[0].text);
    EXPECT_EQ(46, st[1].code);
    EXPECT_EQ(File("rec.wav"), st[1].text);
    ASSERT_EQ(1u, host.finished.size());
    EXPECT_EQ(1, host.finished[0]->pieceNumber);
    std::string wav = tmp.Read("rec.wav");
    EXPECT_EQ(10 * kBlockBytes, DataSize(wav));
    EXPECT_EQ(0, memcmp(wav.data() + 46, b.data(), kBlockBytes));
    ASSERT_FALSE(host.recTimes.empty());
    EXPECT_EQ(3, host.recTimes.back()[3]);
    EXPECT_GT(host.recTimes.back()[0], 0);   // free seconds of the recording folder
    EXPECT_EQ(static_cast<int>(10 * kBlockBytes), host.recTimes.back()[1]);
}

TEST_F(PipeFixture, StartingWhileRecordingOnlyStops) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("a.wav")), 0);
    pipe.StartRecordingToFile(MakeJob(File("b.wav")), 0);
    EXPECT_EQ(0, pipe.IsRecording());
    EXPECT_EQ((std::vector<int>{47, 46}), host.Codes());
    EXPECT_FALSE(tmp.Exists("b.wav"));
}

TEST_F(PipeFixture, SilenceIsSkippedAfterThirtyOneQuietBlocks) {
    host.skipSilence = 1;
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("s.wav")), 0);
    std::vector<int16_t> loud = Block(12000, 12000), quiet = Block(50, 40), other = Block(9000, 200);
    pipe.ProcessSamples(loud.data(), kFrames);
    for (int i = 0; i < 31; ++i) pipe.ProcessSamples(quiet.data(), kFrames);
    EXPECT_EQ(32 * kBlockBytes, pipe.GetRecordedBytes());
    EXPECT_EQ(1, pipe.GetRecordState());
    for (int i = 0; i < 10; ++i) pipe.ProcessSamples(quiet.data(), kFrames);
    EXPECT_EQ(32 * kBlockBytes, pipe.GetRecordedBytes());
    EXPECT_EQ(2, pipe.GetRecordState());
    pipe.ProcessSamples(other.data(), kFrames);   // a changing block resumes at once
    EXPECT_EQ(33 * kBlockBytes, pipe.GetRecordedBytes());
    EXPECT_EQ(1, pipe.GetRecordState());
    // A steady loud tone keeps its range from block to block, yet is no silence.
    for (int i = 0; i < 60; ++i) pipe.ProcessSamples(loud.data(), kFrames);
    EXPECT_EQ(93 * kBlockBytes, pipe.GetRecordedBytes());
    pipe.StopRecordingToFile();
    EXPECT_EQ(93 * kBlockBytes, DataSize(tmp.Read("s.wav")));
}

TEST_F(PipeFixture, SilenceIsKeptWhenSkippingIsOff) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("k.wav")), 0);
    std::vector<int16_t> quiet = Block(0, 0);
    for (int i = 0; i < 50; ++i) pipe.ProcessSamples(quiet.data(), kFrames);
    EXPECT_EQ(50 * kBlockBytes, pipe.GetRecordedBytes());
}

// 30 minutes at 44.1 kHz, 16 bit, stereo: 317,520,000 bytes, exactly 54,000
// blocks. That block still goes to the first piece, the next to the second.
TEST_F(PipeFixture, CutByMinutesAtTheBlockThatCompletesThem) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("long.wav"), 0, 44100, 16, 2, 1, 30), 0);
    std::vector<int16_t> b = Block(7000, 7000);
    for (int i = 0; i < 54000; ++i) pipe.ProcessSamples(b.data(), kFrames);
    ASSERT_EQ(1u, host.madeNames.size());
    EXPECT_EQ(File("long_1.wav"), host.madeNames[0]);
    EXPECT_EQ(1, pipe.GetPieceCounter());
    pipe.ProcessSamples(b.data(), kFrames);
    pipe.StopRecordingToFile();
    EXPECT_EQ(317520000u, DataSize(tmp.Read("long.wav").substr(0, 64)));
    EXPECT_EQ(kBlockBytes, DataSize(tmp.Read("long_1.wav")));
    ASSERT_EQ(1u, host.finished.size());
    EXPECT_EQ(2, host.finished[0]->pieceNumber);
    EXPECT_EQ(0, host.finished[0]->firstCounter);
}

TEST_F(PipeFixture, CutByMebibytesAndNoCutForValueZero) {
    struct Case {
        int type, value, blocks;
        std::vector<uint32_t> pieces;
    } cases[] = {
        // 1 MiB is passed by block 179 (1,052,520 bytes).
        {2, 1, 200, {179 * kBlockBytes, 21 * kBlockBytes}},
        {2, 0, 200, {200 * kBlockBytes}},
        {1, 0, 200, {200 * kBlockBytes}},
        {1, -5, 200, {200 * kBlockBytes}},
        {0, 1, 200, {200 * kBlockBytes}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "/" << c.value);
        tdtest::TempFolder tmp2("pipe");
        FakeHost h;
        h.folder = tmp2.Path();
        BlockPipe pipe(&h);
        pipe.StartRecordingToFile(MakeJob(tmp2.File("m.wav"), 0, 44100, 16, 2, c.type, c.value), 5);
        std::vector<int16_t> b = Block(7000, 100);
        for (int i = 0; i < c.blocks; ++i) pipe.ProcessSamples(b.data(), kFrames);
        pipe.StopRecordingToFile();
        ASSERT_EQ(c.pieces.size() - 1, h.madeNames.size());
        EXPECT_EQ(c.pieces[0], DataSize(tmp2.Read("m.wav")));
        if (c.pieces.size() > 1) {
            EXPECT_EQ(tmp2.File("m_6.wav"), h.madeNames[0]);
            EXPECT_EQ(c.pieces[1], DataSize(tmp2.Read("m_6.wav")));
            EXPECT_EQ(2, h.finished[0]->pieceNumber);
        }
    }
}

// RIFF sizes are 32-bit: a WAV piece is closed before it reaches the limit.
// A cut that gets no name (or whose file does not open) ends the recording
// with a write error instead of going on with audio sent nowhere.
TEST_F(PipeFixture, FailedCutStopsTheRecording) {
    struct Case {
        const char* what;
        int format;
        bool noName;
    } cases[] = {
        {"wav, no name", 0, true},
        {"mp3, no name", 1, true},
        {"wav, folder gone", 0, false},
        {"mp3, folder gone", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tdtest::TempFolder tmp2("pipecut");
        FakeHost h;
        h.folder = tmp2.Path();
        h.noNames = c.noName;
        BlockPipe pipe(&h);
        std::string first = tmp2.File(c.format ? "c.mp3" : "c.wav");
        pipe.StartRecordingToFile(MakeJob(first, c.format, 44100, 16, 2, 1, 1), 0);   // a piece a minute
        ASSERT_EQ(1, pipe.IsRecording());
        // The second piece's folder: a name inside a folder that is not there.
        if (!c.noName) h.pieceFolder = tmp2.File("gone");
        std::vector<int16_t> b = Block(7000, 100);
        for (int i = 0; i < 2000 && pipe.IsRecording(); ++i) pipe.ProcessSamples(b.data(), kFrames);
        EXPECT_EQ(0, pipe.IsRecording());
        std::vector<int> codes = h.Codes();
        ASSERT_GE(codes.size(), 3u);
        EXPECT_EQ(47, codes[0]);
        EXPECT_EQ(46, codes[codes.size() - 2]);   // the display ends the recording
        EXPECT_EQ(41, codes.back());
        ASSERT_EQ(1u, h.finished.size());
        EXPECT_EQ(1, h.finished[0]->pieceNumber);
        EXPECT_GT(tmp2.Read(c.format ? "c.mp3" : "c.wav").size(), 100000u);   // the first piece is whole
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tmp2.File("c_-1.mp3").c_str()));
    }
}

TEST_F(PipeFixture, WavPiecesStayBelowTheSizeLimit) {
    BlockPipe pipe(&host);
    pipe.SetWavePieceLimit(100000);
    pipe.StartRecordingToFile(MakeJob(File("w.wav")), 0);
    std::vector<int16_t> b = Block(7000, 100);
    for (int i = 0; i < 40; ++i) pipe.ProcessSamples(b.data(), kFrames);
    pipe.StopRecordingToFile();
    // 17 blocks fit below 100,000 bytes: pieces of 17, 17 and 6 blocks.
    ASSERT_EQ(2u, host.madeNames.size());
    EXPECT_EQ(17 * kBlockBytes, DataSize(tmp.Read("w.wav")));
    EXPECT_EQ(17 * kBlockBytes, DataSize(tmp.Read("w_1.wav")));
    EXPECT_EQ(6 * kBlockBytes, DataSize(tmp.Read("w_2.wav")));
}

TEST_F(PipeFixture, SampleWidthsCountTheirBytes) {
    struct Case {
        int bits;
        int channels;
        int fileBits;
        size_t bytesPerFrame;
    } cases[] = {{8, 2, 8, 2}, {8, 1, 8, 1}, {16, 1, 16, 2}, {24, 2, 16, 4}, {32, 2, 16, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
        tdtest::TempFolder tmp2("pipe");
        FakeHost h;
        h.folder = tmp2.Path();
        h.profiles["CD"] = Profile{22050, c.bits, c.channels};
        BlockPipe pipe(&h);
        pipe.StartRecordingToFile(MakeJob(tmp2.File("x.wav"), 0, 22050, c.bits, c.channels), 0);
        ASSERT_EQ(1, pipe.IsRecording());
        EXPECT_EQ(c.fileBits, pipe.GetWaveFormat().GetBitsPerSample());
        std::vector<uint8_t> block(735 * 8, 0x40);
        pipe.ProcessSamples(block.data(), 735);
        EXPECT_EQ(735 * c.bytesPerFrame, pipe.GetRecordedBytes());
        pipe.StopRecordingToFile();
        std::string wav = tmp2.Read("x.wav");
        EXPECT_EQ(735 * c.bytesPerFrame, DataSize(wav));
        EXPECT_EQ(c.fileBits, uint8_t(wav[34]));
    }
}

TEST_F(PipeFixture, TargetsThatCannotBeMadeLeaveThePipeIdle) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("missing\\folder\\r.wav")), 0);
    EXPECT_EQ(0, pipe.IsRecording());
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_NE(std::string::npos, host.messages[0].find("konnte nicht erstellt werden"));
    EXPECT_TRUE(host.Codes().empty());

    cLameMP3::SetSearchFolders(tmp.Path().c_str(), tmp.Path().c_str());   // no encoder anywhere
    pipe.StartRecordingToFile(MakeJob(File("r.mp3"), 1), 0);
    cLameMP3::SetSearchFolders(nullptr, nullptr);
    EXPECT_EQ(0, pipe.IsRecording());
    auto st = host.Statuses();
    ASSERT_EQ(1u, st.size());
    EXPECT_EQ(48, st[0].code);
    EXPECT_EQ("1", st[0].text);
}

TEST_F(PipeFixture, Mp3RaisesLowQualitiesAndReportsIt) {
    host.profiles["CD"] = Profile{11025, 8, 2};
    BlockPipe pipe(&host);
    pipe.SetRecordFormat(0);   // WAV leaves the profile alone
    EXPECT_EQ(8, host.profiles["CD"].bps);
    EXPECT_TRUE(host.Codes().empty());
    pipe.SetRecordFormat(1);
    EXPECT_EQ(16, host.profiles["CD"].bps);
    EXPECT_EQ(16000, host.profiles["CD"].sps);
    EXPECT_EQ((std::vector<int>{51}), host.Codes());   // and the encoder was found

    FakeHost h2;
    h2.folder = tmp.Path();
    BlockPipe pipe2(&h2);
    pipe2.StartRecordingToFile(MakeJob(File("low.mp3"), 1, 11025, 8, 2), 0);
    ASSERT_EQ(1, pipe2.IsRecording());
    EXPECT_EQ(16, pipe2.GetWaveFormat().GetBitsPerSample());
    EXPECT_GE(pipe2.GetWaveFormat().GetSampleRate(), 16000);
    std::vector<int16_t> b = Block(3000, 3000);
    for (int i = 0; i < 20; ++i) pipe2.ProcessSamples(b.data(), 533);
    pipe2.StopRecordingToFile();
    EXPECT_EQ((std::vector<int>{51, 47, 46}), h2.Codes());
    EXPECT_GT(tmp.Read("low.mp3").size(), 1000u);
}

TEST_F(PipeFixture, NoDisplayCallsAfterTheSkinIsGone) {
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("g.wav")), 0);
    std::vector<int16_t> b = Block(5000, 3000);
    pipe.ProcessSamples(b.data(), kFrames);
    pipe.DetachSkin();
    {
        std::lock_guard<std::mutex> g(host.mu);
        host.skinGone = true;
    }
    for (int i = 0; i < 30; ++i) {
        std::vector<int16_t> v = Block(static_cast<int16_t>(1000 + 300 * i), 100);
        pipe.ProcessSamples(v.data(), kFrames);
        Sleep(2);
    }
    pipe.StopRecordingToFile();
    Sleep(50);
    std::lock_guard<std::mutex> g(host.mu);
    EXPECT_EQ(0, host.callsAfterGone);
}

// An encoder that fails mid-recording: the recording stops, the receiver
// gets the job back, then the write error.
TEST_F(PipeFixture, FailedEncodeStopsWithWriteError) {
    std::string dir = tdtest::BinDir() + "\\lame_failing";
    cLameMP3::SetSearchFolders(dir.c_str(), dir.c_str());
    BlockPipe pipe(&host);
    pipe.StartRecordingToFile(MakeJob(File("fail.mp3"), 1), 0);
    ASSERT_EQ(1, pipe.IsRecording());
    std::vector<int16_t> b = Block(3000, 3000);
    pipe.ProcessSamples(b.data(), kFrames);
    cLameMP3::SetSearchFolders(nullptr, nullptr);
    EXPECT_EQ(0, pipe.IsRecording());
    auto st = host.Statuses();
    ASSERT_EQ(3u, st.size());
    EXPECT_EQ(47, st[0].code);
    EXPECT_EQ(46, st[1].code);
    EXPECT_EQ(41, st[2].code);
    EXPECT_EQ("Unable to write to file", st[2].text);
    EXPECT_TRUE(tmp.Exists("fail.mp3"));   // what was written stays
}
