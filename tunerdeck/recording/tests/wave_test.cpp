// WAV files: format repair, write/read round trips, files cut off while
// being written, and damaged headers.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tdtest.h"
#include "wav_header.h"
#include "wave_file.h"

namespace {

std::vector<std::string> g_messages;
void RecordMessage(const char* text) { g_messages.push_back(text); }

struct MessageCatcher {
    MessageCatcher() {
        g_messages.clear();
        cWaveFile::SetMessageFunction(RecordMessage);
    }
    ~MessageCatcher() { cWaveFile::SetMessageFunction(nullptr); }
};

uint32_t Le32(const std::string& s, size_t at) {
    return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8 | uint8_t(s[at + 2]) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string U16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }

std::string Chunk(const std::string& id, const std::string& body) {
    std::string c = id + U32(static_cast<uint32_t>(body.size())) + body;
    if (body.size() & 1) c += '\0';
    return c;
}

std::string Fmt(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits, uint16_t align = 0) {
    if (!align) align = static_cast<uint16_t>(ch * bits / 8);
    return U16(tag) + U16(ch) + U32(rate) + U32(rate * align) + U16(align) + U16(bits);
}

std::string Riff(const std::string& chunks) { return "RIFF" + U32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks; }

}  // namespace

TEST(WaveFormat, RepairsBadValuesAndDerivesTheRest) {
    cWaveFormat f;
    f.SetBitsPerSample(4);
    f.SetSampleRate(0);
    f.SetChannels(0);
    EXPECT_EQ(16, f.GetBitsPerSample());
    EXPECT_EQ(48000, f.GetSampleRate());
    EXPECT_EQ(2, f.GetChannels());
    EXPECT_EQ(4, f.GetBlockAlign());
    EXPECT_EQ(192000, f.GetAvgBytesPerSec());
    f.SetBitsPerSample(8);
    f.SetChannels(1);
    f.SetSampleRate(22050);
    EXPECT_EQ(1, f.GetBlockAlign());
    EXPECT_EQ(22050, f.GetAvgBytesPerSec());
}

TEST(ByteBuffer, OwnsOrOnlyPoints) {
    uint8_t foreign[4] = {1, 2, 3, 4};
    {
        cByteBuffer wrap(foreign, sizeof foreign);
        EXPECT_EQ(4u, wrap.Size());
        wrap.Clear();
    }
    EXPECT_EQ(0, foreign[2]);   // cleared, and not freed by the wrapper
    cByteBuffer none(nullptr, 10);
    EXPECT_EQ(0u, none.Size());
    cByteBuffer own(100, true);
    EXPECT_EQ(100u, own.Size());
}

TEST(WaveFile, RoundTripKeepsFormatAndSamples) {
    tdtest::TempFolder tmp("wav");
    cWaveFormat f;
    f.SetSampleRate(44100);
    std::vector<int16_t> pcm = tdtest::SineStereo(440, 0.5, 8000);
    {
        cWaveFile out(tmp.File("a.wav").c_str(), &f);
        ASSERT_TRUE(out.IsOpen());
        cByteBuffer block(pcm.data(), pcm.size() * 2);
        ASSERT_TRUE(out.Write(block));
    }
    std::string bytes = tmp.Read("a.wav");
    ASSERT_EQ(46 + pcm.size() * 2, bytes.size());   // 18-byte fmt chunk
    EXPECT_EQ(bytes.size() - 8, Le32(bytes, 4));
    EXPECT_EQ(pcm.size() * 2, Le32(bytes, 42));   // 18-byte fmt: data size at 42

    cWaveFile in(tmp.File("a.wav").c_str(), nullptr);
    ASSERT_EQ(cWaveFile::kReading, in.GetMode());
    EXPECT_EQ(44100, in.GetSampleRate());
    EXPECT_EQ(2, in.GetChannels());
    std::vector<int16_t> back;
    while (cByteBuffer* b = in.ReadBlock()) {
        const int16_t* s = reinterpret_cast<const int16_t*>(b->Data());
        back.insert(back.end(), s, s + b->Size() / 2);
        delete b;
    }
    EXPECT_EQ(pcm, back);
    cByteBuffer block(pcm.data(), 4);
    EXPECT_FALSE(in.Write(block));   // reading mode
}

TEST(WaveFile, EmptyRecordingIsAValidFile) {
    tdtest::TempFolder tmp("wav");
    cWaveFormat f;
    { cWaveFile out(tmp.File("e.wav").c_str(), &f); }
    std::string bytes = tmp.Read("e.wav");
    WaveHeaderInfo info = {};
    ASSERT_EQ(kWaveOk, ScanWaveHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bytes.size(), &info));
    EXPECT_EQ(0u, info.dataSize);
    EXPECT_EQ(bytes.size() - 8, Le32(bytes, 4));
}

// A recording whose program dies before it closes the file still says how
// much it holds, up to the last size update.
TD_CHILD(wave_writer_dies) {
    if (argc < 2) return 2;
    cWaveFormat f;
    cWaveFile* out = new cWaveFile(argv[1], &f);   // never closed
    std::vector<uint8_t> block(300 * 1024, 7);
    if (!out->Write(cByteBuffer(block.data(), block.size()))) return 3;
    TerminateProcess(GetCurrentProcess(), 9);
    return 0;
}

TEST(WaveFile, FileOfAProgramThatDiedStillHasSizes) {
    tdtest::TempFolder tmp("wav");
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("wave_writer_dies", {tmp.File("c.wav")}));
    DWORD code = 0;
    ASSERT_TRUE(child.Wait(20000, &code));
    EXPECT_EQ(9u, code);
    std::string bytes = tmp.Read("c.wav");
    ASSERT_GE(bytes.size(), 46u + 300 * 1024);
    EXPECT_EQ(300u * 1024, Le32(bytes, 42));
    EXPECT_EQ(bytes.size() - 8, Le32(bytes, 4));
}

TEST(WaveFile, ExtensibleFmtIsReadByItsFirst18Bytes) {
    tdtest::TempFolder tmp("wav");
    // 40-byte fmt: extensible, PCM sub-format.
    std::string ext = Fmt(0xFFFE, 2, 32000, 16) + U16(22) + U16(16) + U32(3) +
                      std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 16);
    ASSERT_EQ(40u, ext.size());
    tmp.Write("x.wav", Riff(Chunk("fmt ", ext) + Chunk("LIST", "abc") + Chunk("data", std::string(64, '\1'))));
    MessageCatcher catcher;
    cWaveFile in(tmp.File("x.wav").c_str(), nullptr);
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(32000, in.GetSampleRate());
    EXPECT_EQ(4, in.GetBlockAlign());
    cByteBuffer* b = in.ReadBlock();
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(64u, b->Size());
    delete b;
    EXPECT_TRUE(g_messages.empty());
}

TEST(WaveFile, DamagedHeadersFailWithTheirMessage) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"not RIFF", "RIFX" + U32(4) + "WAVE", "Error descending into file"},
        {"not WAVE", "RIFF" + U32(4) + "AVI ", "Error descending into file"},
        {"empty", "", "Error descending into file"},
        {"data before fmt", Riff(Chunk("data", "abcd") + Chunk("fmt ", Fmt(1, 2, 44100, 16))), "Error descending in wave file"},
        {"no fmt", Riff(Chunk("LIST", "xx")), "Error descending in wave file"},
        {"fmt too short", Riff(Chunk("fmt ", std::string(10, '\0')) + Chunk("data", "")), "Error ascending in File"},
        {"float samples", Riff(Chunk("fmt ", Fmt(3, 2, 44100, 32)) + Chunk("data", "")), "Error ascending in File"},
        {"no channels", Riff(Chunk("fmt ", Fmt(1, 0, 44100, 16, 4)) + Chunk("data", "")), "Error ascending in File"},
        {"24 bits", Riff(Chunk("fmt ", Fmt(1, 2, 44100, 24)) + Chunk("data", "")), "Error ascending in File"},
        {"zero rate", Riff(Chunk("fmt ", Fmt(1, 2, 0, 16)) + Chunk("data", "")), "Error ascending in File"},
        {"wrong block align", Riff(Chunk("fmt ", Fmt(1, 2, 44100, 16, 3)) + Chunk("data", "")), "Error ascending in File"},
        {"fmt beyond file", "RIFF" + U32(100) + "WAVE" + "fmt " + U32(5000) + Fmt(1, 2, 44100, 16), "Error ascending in File"},
        {"no data", Riff(Chunk("fmt ", Fmt(1, 2, 44100, 16))), "error reading data chunk"},
    };
    tdtest::TempFolder tmp("wav");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tmp.Write("bad.wav", c.bytes);
        MessageCatcher catcher;
        cWaveFile in(tmp.File("bad.wav").c_str(), nullptr);
        EXPECT_FALSE(in.IsOpen());
        EXPECT_EQ(nullptr, in.ReadBlock());
        ASSERT_EQ(1u, g_messages.size());
        EXPECT_EQ(c.message, g_messages[0]);
    }
    MessageCatcher catcher;
    cWaveFile missing(tmp.File("none.wav").c_str(), nullptr);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(g_messages.empty());   // a missing file fails silently
}

TEST(WaveFile, DataSizeBeyondTheFileReadsOnlyWhatIsThere) {
    tdtest::TempFolder tmp("wav");
    tmp.Write("t.wav", Riff(Chunk("fmt ", Fmt(1, 1, 8000, 8))) + "data" + U32(1000000) + std::string(10, 'z'));
    cWaveFile in(tmp.File("t.wav").c_str(), nullptr);
    ASSERT_TRUE(in.IsOpen());
    cByteBuffer* b = in.ReadBlock();
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(10u, b->Size());
    delete b;
    EXPECT_EQ(nullptr, in.ReadBlock());
}

// Random damage to valid headers: the scanner must never read outside its
// buffer or hand out a format the readers cannot take.
TEST(WaveHeaderFuzz, MutatedHeadersAreRefusedOrSane) {
    std::string base = Riff(Chunk("fmt ", Fmt(1, 2, 44100, 16)) + Chunk("data", std::string(64, 'a')));
    std::mt19937 rng(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string s = base;
        int flips = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < flips; ++i) s[rng() % s.size()] = static_cast<char>(rng());
        if (rng() % 4 == 0) s.resize(rng() % s.size());
        std::vector<uint8_t> heap(s.begin(), s.end());   // exact size: overreads would show
        WaveHeaderInfo info = {};
        if (ScanWaveHeader(heap.data(), heap.size(), heap.size(), &info) == kWaveOk) {
            ASSERT_GE(info.format.channels, 1);
            ASSERT_LE(info.format.channels, 2);
            ASSERT_EQ(info.format.blockAlign, info.format.channels * info.format.bitsPerSample / 8);
            ASSERT_LE(info.dataOffset + info.dataSize, heap.size());
        }
    }
}
